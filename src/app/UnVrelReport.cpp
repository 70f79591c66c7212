// Writing the removal report: every line goes straight to the file, so what
// the process dies with is already there.
#include "app/UnVrelReport.h"

#include <vector>

#include "UnVrelVersion.h"
#include "core/UnVrelReportText.h"
#include "res/resource.h"
#include "win/epFileUtils.h"
#include "win/handles.h"

namespace {

void WriteLine(HANDLE file, const std::string& text) {
    if (file != nullptr && file != INVALID_HANDLE_VALUE) WriteTextLine(file, text);
}

void WriteLines(HANDLE file, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) WriteLine(file, line);
}

TReportTime Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    TReportTime time;
    time.Year = now.wYear;
    time.Month = now.wMonth;
    time.Day = now.wDay;
    time.Hour = now.wHour;
    time.Minute = now.wMinute;
    time.Second = now.wSecond;
    return time;
}

// The system's text for an error code, in the ANSI code page; empty when it
// has none.
std::string SystemErrorText(DWORD error) {
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, buffer, sizeof buffer, nullptr);
    return std::string(buffer, length);
}

}  // namespace

void TReport::Open(const std::string& path, const std::string& logPath) {
    if (path.empty()) return;
    // Shared for reading: an administrator may watch it while the run goes.
    file_.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    WriteLines(file_.get(), FormatReportHead(TAMSK_VERSION_STRING, logPath, Now()));
    Flush();
}

void TReport::Item(const std::string& section, const std::string& item, TOutcome outcome,
                   DWORD error, const std::string& reason) {
    if (!file_) return;
    const bool explain = outcome == TOutcome::Failed && error != 0;
    WriteLine(file_.get(), FormatReportItem(section, item, outcome, error,
                                            explain ? SystemErrorText(error) : reason));
}

void TReport::Line(const std::string& text) { WriteLine(file_.get(), text); }

void TReport::Flush() {
    if (file_) FlushFileBuffers(file_.get());
}

void TReport::Close(TRunEnd end, const std::string& detail, const TOutcomeCounts& counts,
                    int exitCode) {
    if (!file_) return;
    WriteLines(file_.get(), FormatReportEnd(Now(), end, detail, counts, exitCode));
    Flush();
    file_.reset();
}
