// The view of 64-bit Windows in which the run takes the log's entries: the
// log's own ("[Options] View="), which every handler passes down to the
// services with each entry (core/epView.h, win/epWow64.h).
#pragma once

#include <optional>
#include <string>

#include "app/UnVrelOutcomes.h"
#include "app/UnVrelRun.h"
#include "core/epView.h"

// The log's view: Bits64 for "View=64", Bits32 for "View=32" and for a log
// without the option (or with a value that names no view).
TView LogView(const TRun& run);

// The path through which the run reaches the file or directory that an
// entry names in the view (win/epWow64.h: the system folder of that view).
// Nothing when it names nothing on this system (a 64-bit System32 path on
// 32-bit Windows): the entry is then recorded as absent.
std::optional<std::string> EntryFile(TOutcomeRecorder& outcomes, const std::string& path,
                                     TView view);
