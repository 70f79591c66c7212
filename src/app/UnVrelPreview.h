// The preview of a run (/PREVIEW): every action of the log in the order a
// run would take it, with what would happen on this machine now. Nothing is
// changed and nothing is started: files, registry and INI files are only
// looked at, the programs to run are only named, and the log stays.
#pragma once

#include <vector>

#include "app/UnVrelRun.h"
#include "core/UnVrelPreviewText.h"

// What a run of the log would do with each item, judged now. Reads the log
// through the profile cache as a run does; the shared files' questions are
// answered as the run's mode would answer them (asked interactively; kept,
// or removed with /DELSHARED, when unattended).
std::vector<TPreviewItem> ForecastRun(const TRun& run);

// The preview as the run's mode wants it: the read-only window DLG_PREVIEW
// until the user closes it, or, unattended, the report that /LOG names.
void RunPreview(TRun& run);
