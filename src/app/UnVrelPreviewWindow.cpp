// Showing the preview: the read-only window DLG_PREVIEW, or the report of an
// unattended preview. Every word of it is a message text.
#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "app/UnVrel.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelPreview.h"
#include "res/resource.h"
#include "win/epDialogLayout.h"
#include "win/epSystemNames.h"
#include "win/epWindowTexts.h"

static_assert(IDS_FORECAST_LAST - IDS_FORECAST_FIRST + 1 == kForecastKinds,
              "one message text for each forecast");

namespace {

// The list's columns, left to right: section, forecast, item.
constexpr int kColumnTitles[] = {IDS_PREVIEW_SECTION_COLUMN, IDS_PREVIEW_FORECAST_COLUMN,
                                 IDS_PREVIEW_ITEM_COLUMN};

TForecastTexts LoadForecastTexts(const TRun& run) {
    TForecastTexts texts;
    for (std::size_t index = 0; index < kForecastKinds; ++index)
        texts.Words[index] = LoadMessageText(run, IDS_FORECAST_FIRST + static_cast<int>(index));
    return texts;
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// What DLG_PREVIEW is given through its lParam and keeps in DWLP_USER.
struct TPreviewData {
    const TRun& Run;
    const std::vector<TPreviewItem>& Items;
    const TForecastTexts& Texts;
    TDialogLayout Layout;
};

TPreviewData* DataOf(HWND dialog) {
    return reinterpret_cast<TPreviewData*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void AddColumns(HWND list, const TRun& run) {
    int column = 0;
    for (const int title : kColumnTitles) {
        std::wstring text = ToSystemName(LoadMessageText(run, title));
        LVCOLUMNW header{};
        header.mask = LVCF_TEXT | LVCF_SUBITEM;
        header.pszText = text.data();
        header.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&header));
        ++column;
    }
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    std::wstring wide = ToSystemName(text);
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
}

void AddRow(HWND list, int index, const TPreviewRow& row) {
    std::wstring section = ToSystemName(row.Section);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = section.data();
    const auto added =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (added < 0) return;
    SetCell(list, added, 1, row.Forecast);
    SetCell(list, added, 2, row.Item);
}

// Each column as wide as its widest text or its title, whichever is wider,
// so that no forecast is cut short; the list scrolls sideways to the end of
// the longest item.
void FitColumns(HWND list) {
    for (WPARAM column = 0; column < std::size(kColumnTitles); ++column) {
        SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
        const LRESULT content = SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0);
        SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE_USEHEADER);
        const LRESULT title = SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0);
        if (content > title) SendMessageA(list, LVM_SETCOLUMNWIDTH, column, content);
    }
}

void FillList(HWND list, const TPreviewData& data) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumns(list, data.Run);
    // One redraw for the whole list, however long the log.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, data.Items.size(), 0);
    int index = 0;
    for (const TPreviewItem& item : data.Items)
        AddRow(list, index++, FormatPreviewRow(item, data.Texts));
    FitColumns(list);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void FillPreview(HWND dialog, TPreviewData& data) {
    const TRun& run = data.Run;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&data));
    SetWindowTextIn(dialog, kProgramTitle);
    const std::string head = LoadMessageText(run, IDS_PREVIEW_HEAD) + "\r\n" +
                             LoadMessageText(run, IDS_PREVIEW_LOG_LABEL) + " " + run.LogPath;
    SetDlgItemTextIn(dialog, IDC_PREVIEW_HEAD, head);
    SetDlgItemTextIn(dialog, IDOK, LoadMessageText(run, IDS_CLOSE));
    FillList(GetDlgItem(dialog, IDC_PREVIEW_LIST), data);
    SetDlgItemTextIn(dialog, IDC_PREVIEW_SUMMARY,
                     Joined(FormatPreviewSummary(data.Items, data.Texts), "; "));
    data.Layout.Record(dialog, {{IDC_PREVIEW_HEAD, TAnchor::Top},
                                {IDC_PREVIEW_LIST, TAnchor::Fill},
                                {IDC_PREVIEW_SUMMARY, TAnchor::Bottom},
                                {IDOK, TAnchor::BottomRight}});
}

void LimitTrackSize(HWND dialog, MINMAXINFO& limits) {
    const TPreviewData* data = DataOf(dialog);
    // The first sizing messages come before WM_INITDIALOG has recorded anything.
    if (data == nullptr || data->Layout.MinimumSize().x == 0) return;
    limits.ptMinTrackSize = data->Layout.MinimumSize();
}

INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_INITDIALOG:
                FillPreview(dialog, *reinterpret_cast<TPreviewData*>(lParam));
                return TRUE;
            case WM_SIZE:
                if (const TPreviewData* data = DataOf(dialog)) data->Layout.Apply(dialog);
                return TRUE;
            case WM_GETMINMAXINFO:
                LimitTrackSize(dialog, *reinterpret_cast<MINMAXINFO*>(lParam));
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

void ReportPreview(TReport& report, const std::vector<TPreviewItem>& items,
                   const TForecastTexts& texts) {
    for (const TPreviewItem& item : items) report.Line(FormatPreviewLine(item, texts));
    for (const std::string& line : FormatPreviewSummary(items, texts)) report.Line(line);
    report.Flush();
}

}  // namespace

void RunPreview(TRun& run) {
    const std::vector<TPreviewItem> items = ForecastRun(run);
    const TForecastTexts texts = LoadForecastTexts(run);
    run.Outcomes.SetRunEnd(TRunEnd::Previewed);
    if (run.Options.Silent) {
        ReportPreview(run.Outcomes.Report(), items, texts);
        return;
    }
    TPreviewData data{run, items, texts, {}};
    DialogBoxParamW(run.Instance, L"" RES_DLG_PREVIEW, nullptr, PreviewDialogProc,
                    reinterpret_cast<LPARAM>(&data));
}
