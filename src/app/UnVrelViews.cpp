// The view in which the run takes the log's entries (see UnVrelViews.h).
#include "app/UnVrelViews.h"

#include "win/epRegIni.h"

TView LogView(const TRun& run) {
    return LogViewOf(ReadProfileString(run.LogPath, "Options", "View", ""));
}
