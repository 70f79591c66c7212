// Showing the preview: the read-only window DLG_PREVIEW, or the report of an
// unattended preview.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/UnVrel.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelPreview.h"
#include "res/resource.h"
#include "win/handles.h"

namespace {

// Where the list's forecast and item columns start, in dialog units (the
// section's starts at the left edge).
constexpr int kForecastColumn = 52;
constexpr int kItemColumn = 310;
constexpr int kTabStops[] = {kForecastColumn, kItemColumn};

const char* const kHeadText =
    "Preview: nothing has been changed or started. Every action of the log in the order of a "
    "run, with what it would do on this machine now.";

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// The widest line in pixels, so that the list scrolls sideways to its end.
int WidestLine(HWND list, const std::vector<std::string>& lines) {
    RECT columns{kForecastColumn, 0, kItemColumn, 0};
    MapDialogRect(GetParent(list), &columns);
    const int stops[] = {columns.left, columns.right};
    const WindowDc dc(list, WindowDc::Client);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
    const SelectGuard selected(dc.get(), font);
    int widest = 0;
    for (const std::string& line : lines) {
        const DWORD extent = GetTabbedTextExtentA(dc.get(), line.c_str(), static_cast<int>(line.size()),
                                                  2, stops);
        widest = std::max(widest, static_cast<int>(LOWORD(extent)));
    }
    return widest + 8;
}

// What DLG_PREVIEW is given through its lParam.
struct TPreviewData {
    const TRun& Run;
    const std::vector<TPreviewItem>& Items;
};

void FillPreview(HWND dialog, const TPreviewData& data) {
    const std::vector<TPreviewItem>& items = data.Items;
    SetWindowTextA(dialog, kProgramTitle);
    SetDlgItemTextA(dialog, IDC_PREVIEW_HEAD, (std::string(kHeadText) + "\r\nLog: " + data.Run.LogPath).c_str());
    SetDlgItemTextA(dialog, IDOK, LoadMessageText(data.Run, IDS_CLOSE).c_str());
    const HWND list = GetDlgItem(dialog, IDC_PREVIEW_LIST);
    SendMessageA(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(kTabStops));
    std::vector<std::string> lines;
    for (const TPreviewItem& item : items) {
        lines.push_back(FormatPreviewRow(item));
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines.back().c_str()));
    }
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(WidestLine(list, lines)), 0);
    SetDlgItemTextA(dialog, IDC_PREVIEW_SUMMARY, Joined(FormatPreviewSummary(items), "; ").c_str());
}

INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_INITDIALOG:
                FillPreview(dialog, *reinterpret_cast<const TPreviewData*>(lParam));
                return TRUE;
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDOK);
                return TRUE;
            default:
                return FALSE;
        }
    } catch (...) {
        // No exception may cross into the system's dialog code; a window
        // that cannot show its list closes.
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

void ReportPreview(TReport& report, const std::vector<TPreviewItem>& items) {
    for (const TPreviewItem& item : items) report.Line(FormatPreviewLine(item));
    for (const std::string& line : FormatPreviewSummary(items)) report.Line(line);
    report.Flush();
}

}  // namespace

void RunPreview(TRun& run) {
    const std::vector<TPreviewItem> items = ForecastRun(run);
    run.Outcomes.SetRunEnd(TRunEnd::Previewed);
    if (run.Options.Silent) {
        ReportPreview(run.Outcomes.Report(), items);
        return;
    }
    const TPreviewData data{run, items};
    DialogBoxParamA(run.Instance, RES_DLG_PREVIEW, nullptr, PreviewDialogProc,
                    reinterpret_cast<LPARAM>(&data));
}
