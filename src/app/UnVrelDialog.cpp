// The main dialog DLG_UNINSTALL and the status list the worker writes to.
#include <windows.h>

#include <commctrl.h>

#include "app/UnVrel.h"
#include "app/UnVrelBanner.h"
#include "res/resource.h"
#include "win/sysutil.h"

namespace {

void InitUninstallDialog(HWND dialog) {
    MainDialog = dialog;
    BoxOwnerWindow = dialog;
    SetWindowTextA(dialog, kProgramTitle);
    SetDlgItemTextA(dialog, IDC_CLOSE, LoadMessageText(IDS_CLOSE).c_str());
    BannerSurface = BuildBanner(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_CLOSE), FALSE);
    SetFocus(GetDlgItem(dialog, IDC_BANNER));
}

// Close, Enter and Escape end the dialog only once the worker has enabled Close.
void CloseIfFinished(HWND dialog) {
    if (IsWindowEnabled(GetDlgItem(dialog, IDC_CLOSE))) EndDialog(dialog, 1);
}

void HandleDialogMessage(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitUninstallDialog(dialog);
            break;
        case WM_PAINT:
            PaintBanner(dialog, BannerSurface.get());
            break;
        case WM_DESTROY:
            BannerSurface.reset();
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) CloseIfFinished(dialog);
            break;
        default:
            break;
    }
}

// The text of the status list's last line as this program added it. The
// line is never read back from the list: Wine converts a line asked for in
// the ANSI form from another thread through a fixed buffer on the list's
// thread, and a long line (a replaced message of a thousand characters or
// more) overran it and killed the dialog's thread, so Close never came.
std::string lastStatusLine;

LRESULT SendToStatusList(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(MainDialog, IDC_STATUS, message, wParam, lParam);
}

}  // namespace

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    try {
        HandleDialogMessage(dialog, message, wParam);
    } catch (const std::exception& error) {
        // No exception may cross into the system's dialog code. The worker is
        // still resumed below, so its Close comes and the dialog can end.
        AddStatusLine(error.what());
    } catch (...) {
    }
    // The worker starts only once the banner is built and Close disabled.
    if (message == WM_INITDIALOG) ResumeThread(WorkerThread);
    return FALSE;
}

// Without a main dialog (the unattended run) the status lines go nowhere;
// what they would tell is in the outcome record and its report.
void AddStatusLine(const std::string& text) {
    if (MainDialog == nullptr) return;
    lastStatusLine = text;
    SendToStatusList(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    UpdateWindow(GetDlgItem(MainDialog, IDC_STATUS));
    const LRESULT count = SendToStatusList(LB_GETCOUNT, 0, 0);
    SendToStatusList(LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
}

void AppendStatus(const std::string& word) {
    if (MainDialog == nullptr) return;
    const LRESULT last = SendToStatusList(LB_GETCOUNT, 0, 0) - 1;
    if (last < 0) return;
    SendToStatusList(LB_DELETESTRING, static_cast<WPARAM>(last), 0);
    AddStatusLine(lastStatusLine + " " + word);
}
