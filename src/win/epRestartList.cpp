// Reading the pending operations at the next restart.
#include "win/epRestartList.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "core/epTextCase.h"
#include "win/epFileUtils.h"
#include "win/epSystemNames.h"
#include "win/handles.h"

namespace {

const wchar_t* const kSessionManager = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t* const kListValues[] = {L"PendingFileRenameOperations",
                                      L"PendingFileRenameOperations2"};

// The strings of a REG_MULTI_SZ value; empty when it is missing or not one.
std::vector<std::string> ReadMultiString(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ || size == 0)
        return {};
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    // Pairs hold empty strings: the value's end, not the first empty one,
    // ends the list.
    std::vector<std::string> strings;
    const std::size_t count = size / sizeof(wchar_t);
    const std::size_t end = count < data.size() ? count : data.size();
    for (std::size_t start = 0; start < end;) {
        const std::wstring_view text(data.data() + start);
        start += text.size() + 1;
        strings.push_back(FromSystemName(text));
    }
    return strings;
}

}  // namespace

bool IsDeletionPending(const std::string& path) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return false;
    const UniqueHkey key(raw);
    const std::string full = GetFullPath(path);
    const std::string wanted = UpperCaseAnsi("\\??\\" + (full.empty() ? path : full));
    for (const wchar_t* name : kListValues) {
        const std::vector<std::string> list = ReadMultiString(key.get(), name);
        for (std::size_t i = 0; i + 1 < list.size(); i += 2) {
            if (list[i + 1].empty() && UpperCaseAnsi(list[i]) == wanted) return true;
        }
    }
    return false;
}
