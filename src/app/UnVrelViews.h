// The view of 64-bit Windows in which the run takes the log's entries: the
// log's own ("[Options] View="), which every handler passes down to the
// services with each entry (core/epView.h, win/epWow64.h).
#pragma once

#include "app/UnVrelRun.h"
#include "core/epView.h"

// The log's view: Bits64 for "View=64", Bits32 for "View=32" and for a log
// without the option (or with a value that names no view).
TView LogView(const TRun& run);
