// Window texts through the wide functions, converted from the log's encoding.
#include "win/epWindowTexts.h"

#include <string>

#include "win/epSystemNames.h"

bool SetWindowTextIn(HWND window, std::string_view text) {
    return SetWindowTextW(window, ToSystemName(text).c_str()) != FALSE;
}

bool SetDlgItemTextIn(HWND dialog, int id, std::string_view text) {
    return SetDlgItemTextW(dialog, id, ToSystemName(text).c_str()) != FALSE;
}

LRESULT AddListBoxLine(HWND list, std::string_view text) {
    const std::wstring line = ToSystemName(text);
    return SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}
