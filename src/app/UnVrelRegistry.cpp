// The handlers of "AddReg" and "CreateKeys" (registry values and keys) and of
// "AddIni" (entries of INI files).
#include <windows.h>

#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelPlan.h"
#include "app/UnVrelSafety.h"
#include "app/UnVrelViews.h"
#include "app/UnVrelWorker.h"
#include "core/epIniFile.h"
#include "core/epStrUtils.h"
#include "res/resource.h"
#include "win/epRegIni.h"

namespace {

// Deletes the value or key the path names and records what became of it.
// Whether it was there is asked only when the deletion failed, so a run
// that removes everything pays for no extra lookups. The deleter works in
// the entry's view, and so does the question.
void DeleteRegistryItem(TOutcomeRecorder& outcomes, const std::string& path,
                        TRegistryEntryDeleter& deleter, TView view) {
    if (deleter.Delete(path)) {
        outcomes.Record(path, TOutcome::Removed);
        return;
    }
    const DWORD error = GetLastError();
    if (RegistryValueExists(path, view) || RegistryKeyExists(path, view)) {
        outcomes.Record(path, TOutcome::Failed, error);
    } else {
        outcomes.Record(path, TOutcome::Absent);
    }
}

// Deletes one INI entry and records whether it was there. A file that
// exists but cannot be opened for writing (another program holds it) fails
// the entry; the rest of the section and of the run go on. Gives the file.
std::string DeleteIniEntry(TOutcomeRecorder& outcomes, const std::string& fields) {
    std::string file = GetField(1, fields, CommaSet());
    const std::string section = GetField(2, fields, CommaSet());
    const std::string key = GetField(3, fields, CommaSet());
    try {
        const bool present = GetIniFile(file, false).FindKey(section, key, false).Index >= 0;
        DeleteProfileKey(file, section, key);
        outcomes.Record(fields, present ? TOutcome::Removed : TOutcome::Absent);
    } catch (const EInOutError& error) {
        outcomes.Record(fields, TOutcome::Failed, error.SystemError);
    }
    return file;
}

// "AddReg" (each item the path of a value, or of a key when no such value
// exists) and "CreateKeys" (keys, deepest first).
void RemoveRegistryItems(TRun& run, const TSectionPlan& plan) {
    const TView view = LogView(run);
    TRegistryEntryDeleter deleter(view);
    for (const TPlanItem& item : plan.Items) {
        if (RecordDecided(run.Outcomes, item)) continue;
        // Judged again at its turn: deleting an earlier item may have taken
        // the value that kept this path from naming a protected key.
        if (!RefuseRegistryEntry(run.Outcomes, item.Path, view))
            DeleteRegistryItem(run.Outcomes, item.Path, deleter, view);
    }
}

// "AddIni": field 1 of each line's name part is the INI file, field 2 the
// section, field 3 the key; the files are written back once, at the end.
// The log, which the run holds unchanged, stays cached for the sections
// still to come, unless a line may have named it.
void RemoveIniEntryLines(TRun& run, const TSectionPlan& plan) {
    bool mayNameLog = false;
    for (const TPlanItem& item : plan.Items) {
        if (run.Log.HasLogName(DeleteIniEntry(run.Outcomes, item.Path))) mayNameLog = true;
    }
    if (mayNameLog) {
        FlushProfileCache();
    } else {
        FlushProfileCacheExcept(run.LogPath);
    }
}

}  // namespace

void RemoveRegistryEntries(TRun& run) {
    RunSection(run, "AddReg", IDS_REMOVE_REG_VALUES, RemoveRegistryItems);
    RunSection(run, "CreateKeys", IDS_REMOVE_REG_KEYS, RemoveRegistryItems);
}

void RemoveIniEntries(TRun& run) { RunSection(run, "AddIni", IDS_REMOVE_INI, RemoveIniEntryLines); }
