// The handlers of "CopyFiles", "Shortcuts" and "CreateDirs", and the mask
// deletion on which the first rests.
#include <windows.h>

#include <optional>
#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelPlan.h"
#include "app/UnVrelSafety.h"
#include "app/UnVrelWorker.h"
#include "core/epFileUtils.h"
#include "core/epProtectedPaths.h"
#include "core/epStrUtils.h"
#include "res/resource.h"
#include "win/epFileUtils.h"
#include "win/epWow64.h"

namespace {

// The two files this run holds itself, which no deletion at the next
// restart may take: true when the path is one of them, dealt with and recorded.
bool DeleteFileOfTheRun(TRun& run, const std::string& path) {
    if (run.SelfCopy.ClaimOwnExecutable(path)) {
        // The uninstaller's own file, held by the process that started this
        // copy: deleted right after the run, once that process has ended.
        run.LeftOnDisk.Note(path, TLeftState::Goes);
        run.Outcomes.Record(path, TOutcome::Removed);
        return true;
    }
    // The held log is in use only by this run: it goes now, not at the restart.
    if (run.Log.IsHeldLog(path)) {
        const bool deleted = DeleteLog(run);
        if (!deleted) run.LeftOnDisk.Note(path, TLeftState::Stayed);
        run.Outcomes.Record(path, deleted ? TOutcome::Removed : TOutcome::Failed,
                      deleted ? 0 : GetLastError());
        return true;
    }
    return false;
}

// Deletes one file now or, only when it is in use, at the next restart, and
// records which.
void DeleteNowOrAtRestart(TRun& run, const std::string& path) {
    if (DeleteFileOfTheRun(run, path)) return;
    const TDeletionResult result = DeleteFileOrSchedule(path);
    if (result.Outcome == TDeletionOutcome::Scheduled) run.LeftOnDisk.Note(path, TLeftState::Goes);
    if (result.Outcome == TDeletionOutcome::Failed) run.LeftOnDisk.Note(path, TLeftState::Stayed);
    run.Outcomes.RecordDeletion(path, result);
}

// A name without wildcards needs no directory search: nearly every such
// file goes at the first try, and a missing one is simply absent. False
// when the deletion was refused for another reason (read-only, in use, a
// directory, a short name of a file of the run): the search decides then.
bool DeleteExactName(TRun& run, const std::string& path) {
    if (HasWildcard(path) || HoldsNul(path)) return false;
    if (DeleteFileOfTheRun(run, path)) return true;
    if (DeleteFilePlain(path)) {
        run.Outcomes.Record(path, TOutcome::Removed);
        return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    run.Outcomes.Record(path, TOutcome::Absent);
    return true;
}

// Every file (not directory) of the mask's directory that matches it; what
// cannot be deleted now goes at the next restart. Each match is recorded;
// a mask the log names (named) that matches nothing is recorded as well.
void DeleteFilesByMask(TRun& run, const std::string& mask, bool named) {
    const unsigned long result =
        ForEachMatch(mask, [&run](const std::string& file) { DeleteNowOrAtRestart(run, file); });
    if (result == 0 || !named) return;
    if (IsNothingThere(result)) {
        run.Outcomes.Record(mask, TOutcome::Absent);
    } else {
        run.Outcomes.Record(mask, TOutcome::Failed, result);
    }
}

// A file or mask of the log, with the help index files of a help file.
void RemoveFileEntry(TRun& run, const std::string& key) {
    if (!DeleteExactName(run, key)) DeleteFilesByMask(run, key, true);
    for (const std::string& companion : HelpCompanions(key)) DeleteFilesByMask(run, companion, false);
}

void RemoveFileEntries(TRun& run, const TSectionPlan& plan) {
    for (const TPlanItem& item : plan.Items) {
        // The folders judge what stays where it lies: in the log's view.
        if (item.Rule == TPlanRule::KeptShared) run.LeftOnDisk.Note(item.Path, TLeftState::Kept);
        if (!RecordDecided(run.Outcomes, item)) RemoveFileEntry(run, item.Path);
    }
}

// The shortcut's .lnk and .pif forms: Failed when either stayed for a
// reason other than its absence, Removed when one went, else Absent.
void RemoveShortcut(TOutcomeRecorder& outcomes, const std::string& key) {
    TOutcome outcome = TOutcome::Absent;
    DWORD failure = 0;
    for (const std::string& form : ShortcutForms(key)) {
        const bool deleted = DeleteFileForced(form);
        const DWORD error = deleted ? ERROR_SUCCESS : GetLastError();
        const TOutcome one = DeletionOutcome(deleted, error);
        if (one == TOutcome::Failed) {
            outcome = TOutcome::Failed;
            failure = error;
        } else if (one == TOutcome::Removed && outcome == TOutcome::Absent) {
            outcome = TOutcome::Removed;
        }
    }
    outcomes.Record(key, outcome, failure);
}

void RemoveShortcutEntries(TRun& run, const TSectionPlan& plan) {
    for (const TPlanItem& item : plan.Items) {
        if (!RecordDecided(run.Outcomes, item)) RemoveShortcut(run.Outcomes, item.Path);
    }
}

// Why a folder that is not empty stays (the report's reason for "kept").
const char* const kHoldsOthers = "holds files the log does not list";
const char* const kHoldsKept = "holds files that stay in use";

// A folder that holds nothing but what goes at the next restart is deleted
// then too, after its contents (scheduled earlier, so listed before it), so
// the restart leaves nothing behind. A folder listed twice is scheduled once.
void ScheduleFolder(TRun& run, const std::string& dir) {
    if (run.LeftOnDisk.IsNotedAsGoing(dir)) {
        run.Outcomes.Record(dir, TOutcome::Scheduled);
        return;
    }
    // The 95 family deletes only files at the restart: there the folder stays.
    if (PlatformId == VER_PLATFORM_WIN32_NT && DeleteFileOnRebootNT(dir)) {
        run.LeftOnDisk.Note(dir, TLeftState::Goes);
        run.Outcomes.Record(dir, TOutcome::Scheduled);
        return;
    }
    run.LeftOnDisk.Note(dir, TLeftState::Stayed);
    run.Outcomes.Record(dir, TOutcome::Failed, ERROR_DIR_NOT_EMPTY);
}

// A folder that is not empty: scheduled when all it holds goes at the
// restart; kept when it holds what is not the application's alone; failed
// when what holds it is an item of the log that could not be removed.
void SettleFolderThatIsNotEmpty(TRun& run, const std::string& dir) {
    switch (run.LeftOnDisk.JudgeFolder(dir)) {
        case TFolderContents::OnlyGoing:
            ScheduleFolder(run, dir);
            break;
        case TFolderContents::Kept:
            run.LeftOnDisk.Note(dir, TLeftState::Kept);
            run.Outcomes.RecordStaying(dir, kHoldsKept);
            break;
        case TFolderContents::Others:
            // Not noted: to the folder above, this one is as foreign as its files.
            run.Outcomes.RecordStaying(dir, kHoldsOthers);
            break;
        case TFolderContents::Stayed:
            run.LeftOnDisk.Note(dir, TLeftState::Stayed);
            run.Outcomes.Record(dir, TOutcome::Failed, ERROR_DIR_NOT_EMPTY);
            break;
    }
}

void RemoveDirectoryEntry(TRun& run, const std::string& dir) {
    // Judged again at its turn: a folder removed before it, under another
    // spelling, can change the answer.
    if (RefuseDirectory(run.Outcomes, dir)) return;
    if (RemoveEmptyDirectory(dir)) {
        run.Outcomes.Record(dir, TOutcome::Removed);
        return;
    }
    const DWORD error = GetLastError();
    // A folder left holding only the uninstaller's own file goes right after
    // that file, once the run is over.
    if (run.SelfCopy.DeferDirectoryRemoval(dir)) {
        run.LeftOnDisk.Note(dir, TLeftState::Goes);
        run.Outcomes.Record(dir, TOutcome::Removed);
        return;
    }
    if (error == ERROR_DIR_NOT_EMPTY) {
        SettleFolderThatIsNotEmpty(run, dir);
        return;
    }
    const TOutcome outcome = DeletionOutcome(false, error);
    if (outcome == TOutcome::Failed) run.LeftOnDisk.Note(dir, TLeftState::Stayed);
    run.Outcomes.Record(dir, outcome, error);
}

// The plan took the log's view before the log goes, and put every folder
// before its parent.
void RemoveDirectoryEntries(TRun& run, const TSectionPlan& plan) {
    DeleteLog(run);
    for (const TPlanItem& item : plan.Items) {
        if (!RecordDecided(run.Outcomes, item)) RemoveDirectoryEntry(run, item.Path);
    }
}

}  // namespace

void RemoveFiles(TRun& run) { RunSection(run, "CopyFiles", IDS_REMOVE_FILES, RemoveFileEntries); }

void RemoveShortcuts(TRun& run) {
    RunSection(run, "Shortcuts", IDS_REMOVE_SHORTCUTS, RemoveShortcutEntries);
}

void RemoveDirectories(TRun& run) {
    RunSection(run, "CreateDirs", IDS_REMOVE_DIRS, RemoveDirectoryEntries);
}
