// The handler of "SharedFiles": lowers the use counts of shared files, asks
// through DLG_DELSHARED about those no other installation uses, and leaves
// the kept shared files for the later phases.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelPlan.h"
#include "app/UnVrelViews.h"
#include "app/UnVrelWorker.h"
#include "core/epFileUtils.h"
#include "core/epRegPath.h"
#include "core/epStrUtils.h"
#include "core/UnVrelJournal.h"
#include "core/UnVrelUseCount.h"
#include "res/resource.h"
#include "win/epRegIni.h"
#include "win/epWindowTexts.h"

namespace {

// Where the use count of every shared file lives: one value per file, named
// by its full path, in each view a key of its own.
const char* const kCountersKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";

// Answers of DLG_DELSHARED beside IDYES and IDNO: the program's own, so they
// can be remembered for the rest of the section.
constexpr INT_PTR kNoToAll = 9;
constexpr INT_PTR kYesToAll = 10;

// The registry path of a file's use count. The file path is the value name,
// between single quotes so its backslashes do not separate; a quote inside
// it is doubled, as the path grammar reads it back. The root names the view
// (HKLM32, HKLM64), so every read and write of the counter stays in it.
std::string CounterPath(const std::string& file, TView view) {
    const char* const root = view == TView::Bits32   ? "HKLM32"
                             : view == TView::Bits64 ? "HKLM64"
                                                     : "HKLM";
    return RegistryValuePath(root + std::string(kCountersKey), file);
}

// A file's use count and the type the registry holds it in.
struct TUseCount {
    std::int32_t Count = 1;
    DWORD Type = REG_DWORD;
};

// The count that the counter states, whatever its type; a counter that
// cannot be read counts as 1. Nothing when it states no number.
std::optional<TUseCount> ReadUseCountOf(const std::string& counter) {
    DWORD type = REG_NONE;
    std::string data;
    if (!ReadRegistryData(counter, type, data)) return TUseCount{};
    const std::optional<std::int32_t> count = ReadUseCount(type, data);
    if (!count) return std::nullopt;
    return TUseCount{*count, type};
}

// Writes the count back in the type the counter had; false when the
// registry refused (GetLastError tells why).
bool WriteUseCount(const std::string& counter, const TUseCount& count) {
    const std::string data = UseCountData(count.Type, count.Count);
    return WriteRegistryValue(counter, count.Type, data.data(), static_cast<DWORD>(data.size()));
}

// What DLG_DELSHARED is given through its lParam: the run whose texts it
// shows and the file it asks about.
struct TSharedQuestion {
    const TRun& Run;
    const std::string& File;
};

void InitSharedDialog(HWND dialog, const TSharedQuestion& question) {
    const auto text = [&](int id) { return LoadMessageText(question.Run, id); };
    SetWindowTextIn(dialog, text(IDS_SHARED_CAPTION));
    SetDlgItemTextIn(dialog, IDC_SHARED_TEXT, text(IDS_SHARED_TEXT));
    SetDlgItemTextIn(dialog, IDC_SHARED_NAME_LABEL, text(IDS_SHARED_NAME_LABEL));
    SetDlgItemTextIn(dialog, IDC_SHARED_DIR_LABEL, text(IDS_SHARED_DIR_LABEL));
    SetDlgItemTextIn(dialog, IDC_SHARED_NAME, ExtractFileName(question.File));
    SetDlgItemTextIn(dialog, IDC_SHARED_DIR, ExtractFileDir(question.File));
    SetDlgItemTextIn(dialog, IDC_SHARED_YES, text(IDS_YES));
    SetDlgItemTextIn(dialog, IDC_SHARED_YES_ALL, text(IDS_YES_ALL));
    SetDlgItemTextIn(dialog, IDC_SHARED_NO, text(IDS_NO));
    SetDlgItemTextIn(dialog, IDC_SHARED_NO_ALL, text(IDS_NO_ALL));
}

void AnswerSharedDialog(HWND dialog, WORD command) {
    switch (command) {
        case IDC_SHARED_YES: EndDialog(dialog, IDYES); break;
        case IDC_SHARED_YES_ALL: EndDialog(dialog, kYesToAll); break;
        case IDC_SHARED_NO:
        case IDCANCEL: EndDialog(dialog, IDNO); break;
        case IDC_SHARED_NO_ALL: EndDialog(dialog, kNoToAll); break;
        default: break;
    }
}

// Answers 0 to every message, WM_INITDIALOG included, so that the system
// sets no initial focus of its own.
INT_PTR CALLBACK DeleteSharedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_INITDIALOG:
                InitSharedDialog(dialog, *reinterpret_cast<const TSharedQuestion*>(lParam));
                break;
            case WM_COMMAND: AnswerSharedDialog(dialog, LOWORD(wParam)); break;
            default: break;
        }
    } catch (...) {
        // The dialog cannot show what it asks about: keep the file.
        EndDialog(dialog, IDNO);
    }
    return 0;
}

// Shows DLG_DELSHARED about one file, owned by the main dialog. Its answer:
// IDYES, IDNO, kYesToAll or kNoToAll; -1 or 0 when it could not be shown.
// An unattended run asks nobody: /DELSHARED answers "Yes to all", its
// absence "No to all".
INT_PTR AskDeleteShared(const TRun& run, const std::string& path) {
    if (run.Options.Silent) return run.Options.DeleteUnusedShared ? kYesToAll : kNoToAll;
    const TSharedQuestion question{run, path};
    return DialogBoxParamW(run.Instance, L"" RES_DLG_DELSHARED, run.MainDialog, DeleteSharedDialogProc,
                           reinterpret_cast<LPARAM>(&question));
}

// The dialog's answers as the journal keeps them; nothing for a dialog that
// could not be shown, which answered nothing.
std::optional<TSharedAnswer> JournalAnswerOf(INT_PTR answer) {
    switch (answer) {
        case IDYES: return TSharedAnswer::Yes;
        case IDNO: return TSharedAnswer::No;
        case kYesToAll: return TSharedAnswer::YesToAll;
        case kNoToAll: return TSharedAnswer::NoToAll;
        default: return std::nullopt;
    }
}

INT_PTR DialogAnswerOf(TSharedAnswer answer) {
    switch (answer) {
        case TSharedAnswer::Yes: return IDYES;
        case TSharedAnswer::No: return IDNO;
        case TSharedAnswer::YesToAll: return kYesToAll;
        case TSharedAnswer::NoToAll: return kNoToAll;
    }
    return IDNO;
}

// Writes the step to the journal before it is made. A journal that cannot
// be written does not stop the run, which then goes on as it always has;
// the report says so once.
void JournalStep(TRun& run, const TJournalRecord& step) {
    const bool failedBefore = run.Journal.HasFailed();
    if (run.Journal.Record(step) || failedBefore) return;
    const DWORD error = GetLastError();
    run.Outcomes.Report().Line("Note: the journal " + run.Journal.Path() +
                               " cannot be written (error " + std::to_string(error) +
                               "); a run started again after this one is ended part way "
                               "would repeat the shared-file steps.");
}

// The answer about the file: the one an earlier run of the log was given
// for this line, else the dialog's, which the journal keeps at once.
INT_PTR AnswerAbout(TRun& run, std::size_t line, const std::string& path) {
    if (const std::optional<TSharedAnswer> earlier = run.Journal.EarlierAnswer(line, path))
        return DialogAnswerOf(*earlier);
    const INT_PTR answer = AskDeleteShared(run, path);
    if (const std::optional<TSharedAnswer> kept = JournalAnswerOf(answer))
        JournalStep(run, {TJournalStep::Answered, line, path, 0, *kept});
    return answer;
}

// A step that an earlier run of the log made for the line is not made
// again: its item is absent now, and the file stays kept (a count lowered)
// or goes with "CopyFiles" (a count released, with the answer that let it
// go still in force for the lines after it) unless another installation has
// counted the file again since, when it stays untouched. Whether the file
// goes; nothing when the journal names no step for the line.
std::optional<bool> SkipEarlierStep(TRun& run, std::size_t line, const std::string& path,
                                    const std::string& counter, INT_PTR& answer) {
    if (run.Journal.WasDone(TJournalStep::Lowered, line, path)) {
        run.Outcomes.Record(path, TOutcome::Absent);
        return false;
    }
    if (!run.Journal.WasDone(TJournalStep::Released, line, path)) return std::nullopt;
    if (const std::optional<TSharedAnswer> earlier = run.Journal.EarlierAnswer(line, path))
        answer = DialogAnswerOf(*earlier);
    if (RegistryValueExists(counter)) {
        run.Outcomes.Record(path, TOutcome::Kept);
        return false;
    }
    run.Outcomes.Record(path, TOutcome::Absent);
    return true;
}

// Another installation still uses the file: one use less, and it stays.
void LowerUseCount(TOutcomeRecorder& outcomes, const std::string& path, const std::string& counter,
                   const TUseCount& count) {
    if (WriteUseCount(counter, {count.Count - 1, count.Type})) {
        outcomes.Record(path, TOutcome::Kept);
    } else {
        outcomes.Record(path, TOutcome::Failed, GetLastError());
    }
}

// The file may go: its use count goes now, the file itself with "CopyFiles".
void ReleaseUseCount(TOutcomeRecorder& outcomes, const std::string& path,
                     const std::string& counter) {
    if (DeleteRegistryValue(counter)) {
        outcomes.Record(path, TOutcome::Removed);
        return;
    }
    const DWORD error = GetLastError();
    outcomes.Record(path, RegistryValueExists(counter) ? TOutcome::Failed : TOutcome::Absent, error);
}

// Settles one shared file by its use count, asking about it when nobody else
// uses it (answer keeps a "to all" answer for the rest of the section). Each
// step that must not be made twice goes to the journal first; line, the
// entry's place in the section, names it there. True when the file may go:
// its count is gone, the file goes with "CopyFiles".
bool SettleSharedFile(TRun& run, std::size_t line, const std::string& path, TView view,
                      INT_PTR& answer) {
    const std::string counter = CounterPath(path, view);
    if (const std::optional<bool> goes = SkipEarlierStep(run, line, path, counter, answer))
        return *goes;
    const std::optional<TUseCount> count = ReadUseCountOf(counter);
    // A counter that states no number belongs to whoever wrote it: the file
    // stays and nobody is asked about it.
    if (!count) {
        run.Outcomes.Record(path, TOutcome::Kept);
        return false;
    }
    if (count->Count > 1) {
        JournalStep(run, {TJournalStep::Lowered, line, path, count->Count, TSharedAnswer::No});
        LowerUseCount(run.Outcomes, path, counter, *count);
        return false;
    }
    if (answer != kNoToAll && answer != kYesToAll) answer = AnswerAbout(run, line, path);
    if (answer == IDYES || answer == kYesToAll) {
        JournalStep(run, {TJournalStep::Released, line, path, count->Count, TSharedAnswer::No});
        ReleaseUseCount(run.Outcomes, path, counter);
        return true;
    }
    run.Outcomes.Record(path, TOutcome::Kept);
    return false;
}

// Every file that does not go stays for the later phases, a line that names
// no file (recorded absent: its "counter" would be the key's default value)
// included.
void CheckSharedEntries(TRun& run, const TSectionPlan& plan) {
    std::vector<std::string> kept;
    INT_PTR answer = 0;
    run.Journal.Load(run.LogPath);
    for (std::size_t line = 0; line < plan.Items.size(); ++line) {
        const TPlanItem& item = plan.Items[line];
        if (RecordDecided(run.Outcomes, item) ||
            !SettleSharedFile(run, line, item.Path, item.View, answer))
            kept.push_back(item.Written);
    }
    run.Journal.Close();
    run.KeptSharedFiles = TSharedNames(std::move(kept));
}

}  // namespace

std::optional<std::int32_t> SharedUseCount(const std::string& file, TView view) {
    const std::optional<TUseCount> count = ReadUseCountOf(CounterPath(file, view));
    if (!count) return std::nullopt;
    return count->Count;
}

bool HasSharedCounter(const std::string& file, TView view) {
    return RegistryValueExists(CounterPath(file, view));
}

void CheckSharedFiles(TRun& run) {
    RunSection(run, "SharedFiles", IDS_CHECK_SHARED, CheckSharedEntries);
}
