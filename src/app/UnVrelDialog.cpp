// The main dialog DLG_UNINSTALL and the status list the worker writes to.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelBanner.h"
#include "res/resource.h"
#include "win/sysutil.h"
#include "win/epWindowTexts.h"

namespace {

// What the dialog keeps while it is shown, in its DWLP_USER.
struct TMainDialog {
    TRun& Run;
    std::unique_ptr<TBannerSurface> Banner;
    // The text of the status list's last line as the worker added it. The
    // line is never read back from the list: Wine converts a line asked for
    // in the ANSI form from another thread through a fixed buffer on the
    // list's thread, and a long line (a replaced message of a thousand
    // characters or more) overran it and killed the dialog's thread, so
    // Close never came.
    std::string LastStatusLine;
};

TMainDialog* DialogData(HWND dialog) {
    return reinterpret_cast<TMainDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void InitUninstallDialog(HWND dialog, TMainDialog& data) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&data));
    data.Run.MainDialog = dialog;
    BoxOwnerWindow = dialog;
    SetWindowTextIn(dialog, kProgramTitle);
    SetDlgItemTextIn(dialog, IDC_CLOSE, LoadMessageText(data.Run, IDS_CLOSE));
    data.Banner = BuildBanner(data.Run, dialog);
    EnableWindow(GetDlgItem(dialog, IDC_CLOSE), FALSE);
    SetFocus(GetDlgItem(dialog, IDC_BANNER));
}

// Close, Enter and Escape end the dialog only once the worker has enabled Close.
void CloseIfFinished(HWND dialog) {
    if (IsWindowEnabled(GetDlgItem(dialog, IDC_CLOSE))) EndDialog(dialog, 1);
}

void HandleDialogMessage(HWND dialog, UINT message, WPARAM wParam, TMainDialog* data) {
    switch (message) {
        case WM_PAINT:
            PaintBanner(dialog, data != nullptr ? data->Banner.get() : nullptr);
            break;
        case WM_DESTROY:
            if (data != nullptr) data->Banner.reset();
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) CloseIfFinished(dialog);
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    TMainDialog* data = message == WM_INITDIALOG ? reinterpret_cast<TMainDialog*>(lParam)
                                                 : DialogData(dialog);
    try {
        if (message == WM_INITDIALOG) {
            InitUninstallDialog(dialog, *data);
        } else {
            HandleDialogMessage(dialog, message, wParam, data);
        }
    } catch (const std::exception& error) {
        // No exception may cross into the system's dialog code. The worker is
        // still resumed below, so its Close comes and the dialog can end.
        if (data != nullptr) AddStatusLine(data->Run, error.what());
    } catch (...) {
    }
    // The worker starts only once the banner is built and Close disabled.
    if (message == WM_INITDIALOG) ResumeThread(data->Run.WorkerThread);
    return FALSE;
}

LRESULT SendToStatusList(const TRun& run, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(run.MainDialog, IDC_STATUS, message, wParam, lParam);
}

}  // namespace

INT_PTR ShowUninstallDialog(TRun& run) {
    TMainDialog data{run, nullptr, std::string()};
    const INT_PTR result = DialogBoxParamW(run.Instance, L"" RES_DLG_UNINSTALL, nullptr,
                                           UninstallDialogProc, reinterpret_cast<LPARAM>(&data));
    run.MainDialog = nullptr;
    return result;
}

// Without a main dialog (the unattended run) the status lines go nowhere;
// what they would tell is in the outcome record and its report.
void AddStatusLine(const TRun& run, const std::string& text) {
    if (run.MainDialog == nullptr) return;
    if (TMainDialog* data = DialogData(run.MainDialog)) data->LastStatusLine = text;
    AddListBoxLine(GetDlgItem(run.MainDialog, IDC_STATUS), text);
    UpdateWindow(GetDlgItem(run.MainDialog, IDC_STATUS));
    const LRESULT count = SendToStatusList(run, LB_GETCOUNT, 0, 0);
    SendToStatusList(run, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
}

void AppendStatus(const TRun& run, const std::string& word) {
    if (run.MainDialog == nullptr) return;
    const TMainDialog* data = DialogData(run.MainDialog);
    const LRESULT last = SendToStatusList(run, LB_GETCOUNT, 0, 0) - 1;
    if (data == nullptr || last < 0) return;
    SendToStatusList(run, LB_DELETESTRING, static_cast<WPARAM>(last), 0);
    AddStatusLine(run, data->LastStatusLine + " " + word);
}
