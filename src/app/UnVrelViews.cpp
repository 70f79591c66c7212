// The view in which the run takes the log's entries (see UnVrelViews.h).
#include "app/UnVrelViews.h"

#include "win/epRegIni.h"
#include "win/epWow64.h"

TView LogView(const TRun& run) {
    return LogViewOf(ReadProfileString(run.LogPath, "Options", "View", ""));
}

std::optional<std::string> EntryFile(TOutcomeRecorder& outcomes, const std::string& path,
                                     TView view) {
    std::optional<std::string> file = FileInView(path, view);
    if (!file) outcomes.Record(path, TOutcome::Absent);
    return file;
}
