// The removal plan: one traversal of a removal section of the log, as the
// machine is now, gives the items the run takes, in the order it takes them,
// each with what the rules decided for it. The run acts on the plan, the
// preview renders it; nothing else walks a section's lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/UnVrelRun.h"
#include "core/UnVrelPlan.h"
#include "core/epView.h"

// One item of a removal section.
struct TPlanItem {
    // The entry as the log writes it: the name under which a line that names
    // nothing here, or a kept shared file, is recorded.
    std::string Written;
    // The entry taken in its view: the file, folder, key, value or INI entry
    // the run acts on (for a mask, the mask, expanded when it is acted on).
    // For RegFonts, empty when the font file names nothing here.
    std::string Path;
    // The view the entry is taken in: the log's, or for a registry path with
    // a root of its own (HKLM32, HKLM64) that root's.
    TView View = TView::Native;
    TPlanRule Rule = TPlanRule::Act;
};

struct TSectionPlan {
    const TLogSectionInfo* Section = nullptr;
    // In the order the run takes them; empty when the section has no lines.
    std::vector<TPlanItem> Items;
};

// The plan of one removal section (one of RemovalSections()) of the run's
// log, judged now: kept names the shared files that stay, which the later
// sections pass over; view is the log's view.
TSectionPlan PlanSection(const TRun& run, const TLogSectionInfo& section, TView view,
                         const TSharedNames& kept);

// The plan of the named removal section (see above); an empty plan for a
// name that is no removal section.
TSectionPlan PlanSection(const TRun& run, const char* section, TView view,
                         const TSharedNames& kept);

// For an item the run does not act on, records what the rules decided:
// absent for an entry that names nothing (here), kept for a kept shared file
// (under the entry as written), refused (under its path); nothing for a name
// passed over. False for an item to act on, with nothing recorded.
bool RecordDecided(TOutcomeRecorder& outcomes, const TPlanItem& item);

// Expands a mask of CopyFiles (or a single name) when it is acted on: calls
// act with each file, not folder, that it matches, in the order the
// directory lists them, as the search goes on (act may delete the file).
// Returns 0 when it matched at least one, else the search's error.
unsigned long ForEachMatch(const std::string& mask,
                           const std::function<void(const std::string&)>& act);

// True when a search that found nothing says that the mask names nothing
// there, rather than that its directory could not be read.
bool IsNothingThere(unsigned long searchResult);
