// The worker thread: the programs to run first, the removal phases in their
// fixed order with the progress bar, the programs to run last, and Close.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "app/UnVrel.h"
#include "app/UnVrelPlan.h"
#include "app/UnVrelViews.h"
#include "app/UnVrelWorker.h"
#include "core/UnVrelRunEntry.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "res/resource.h"
#include "win/epFileUtils.h"
#include "win/epProgramStart.h"
#include "win/epRegIni.h"
#include "win/handles.h"
#include "win/sysutil.h"

namespace {

constexpr int kProgressSteps = 10;

// An unattended run has no dialog: its progress goes nowhere.
LRESULT SendToProgress(const TRun& run, UINT message, WPARAM wParam, LPARAM lParam) {
    if (run.MainDialog == nullptr) return 0;
    return SendDlgItemMessageA(run.MainDialog, IDC_PROGRESS, message, wParam, lParam);
}

static_assert(kShowHide == SW_HIDE && kShowNormal == SW_SHOW &&
                  kShowMaximized == SW_SHOWMAXIMIZED && kShowMinimized == SW_SHOWMINIMIZED,
              "the show field maps to the shell's own show commands");

// Waits for the process while handling this thread's messages, so that a
// box or dialog owned by the thread stays responsive.
DWORD WaitForProcessExit(HANDLE process) {
    WaitProcessingMessages({process}, TWaitMessages::All);
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) return 0;
    return code;
}

// Shows why the run ended early. Showing it must not fail in turn: Close
// still has to come.
void ShowRunError(const TRun& run, const char* text) noexcept {
    try {
        AddStatusLine(run, text);
    } catch (...) {
    }
}

// The journal goes now, or at the next restart when something holds it;
// either way its folder is judged as if it were gone.
void DeleteJournal(TRun& run) {
    const std::string& journal = run.Journal.Path();
    const TDeletionResult result = DeleteFileOrSchedule(journal);
    if (result.Outcome == TDeletionOutcome::Scheduled)
        run.LeftOnDisk.Note(journal, TLeftState::Goes);
    if (result.Outcome != TDeletionOutcome::Failed) return;
    run.LeftOnDisk.Note(journal, TLeftState::Stayed);
    run.Outcomes.Report().Line("Note: the journal " + journal +
                               " of the deleted log could not be deleted (error " +
                               std::to_string(result.Error) + ").");
}

void FinishRun(const TRun& run) {
    if (run.MainDialog == nullptr) return;
    EnableWindow(GetDlgItem(run.MainDialog, IDC_CLOSE), TRUE);
}

void RunRemoval(TRun& run) {
    SendToProgress(run, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressSteps));
    SendToProgress(run, PBM_SETSTEP, 1, 0);
    if (!ProcessPreRunApp(run)) {
        run.Outcomes.SetRunEnd(TRunEnd::StoppedByPreRun);
        return;
    }
    StepProgress(run);
    RunRemovalPhases(run);
    // The CreateDirs phase may have deleted the log already.
    DeleteLog(run);
    RunPhase(run, ProcessRunApp);
    // Right before the last line, so nobody closes the dialog unaware.
    if (run.Outcomes.AnyScheduled()) AddStatusLine(run, LoadMessageText(run, IDS_RESTART_NEEDED));
    AddStatusLine(run, LoadMessageText(run, IDS_DONE));
}

}  // namespace

TStringList LoadLogSection(const TRun& run, const std::string& section) {
    TStringList lines;
    ReadProfileSection(run.LogPath, section, lines);
    return lines;
}

bool DeleteLog(TRun& run) {
    // While the log is there to give the journal's path its long form.
    run.Journal.Locate(run.LogPath);
    run.Journal.Close();
    const bool deleted = run.Log.Delete();
    // The caller reads why the log stayed.
    const DWORD error = GetLastError();
    if (!IsExistingFile(run.LogPath)) DeleteJournal(run);
    SetLastError(error);
    return deleted;
}

void StepProgress(const TRun& run) { SendToProgress(run, PBM_STEPIT, 0, 0); }

void RunPhase(TRun& run, void (*handler)(TRun&)) {
    handler(run);
    StepProgress(run);
}

void RunSection(TRun& run, const char* section, int message,
                void (*steps)(TRun&, const TSectionPlan& plan)) {
    const TSectionPlan plan = PlanSection(run, section, LogView(run), run.KeptSharedFiles);
    if (plan.Items.empty()) return;
    run.Outcomes.BeginSection(section);
    AddStatusLine(run, LoadMessageText(run, message));
    steps(run, plan);
    AppendStatus(run, run.Outcomes.EndSection(LoadMessageText(run, IDS_NOT_REMOVED)));
}

int RunAndWait(const TRun& run, const std::string& file, const std::string& parameters,
               const std::string& directory, int show) {
    TShellStart start;
    start.File = file;
    start.Parameters = parameters;
    start.Directory = directory;
    start.Show = show;
    start.Owner = run.MainDialog;
    // Nobody is there to close the shell's own error box in an unattended
    // run; the failure still counts, as -1.
    start.NoBoxes = run.Options.Silent;
    UniqueHandle process;
    if (!ShellStart(start, process)) return -1;
    // A document handed to a program that was already running gives no
    // process to wait for: count it as a success.
    if (!process) return 0;
    return static_cast<int>(WaitForProcessExit(process.get()));
}

int RunEntry(const TRun& run, const std::string& value) {
    const TRunEntry entry = ParseRunEntry(value);
    if (!IsExistingFile(entry.Program)) return 0;
    if (!entry.StatusText.empty()) AddStatusLine(run, entry.StatusText);
    return RunAndWait(run, entry.Program, entry.Parameters, entry.Directory, entry.Show);
}

bool ProcessPreRunApp(TRun& run) {
    for (const std::string& line : LoadLogSection(run, "PreRunApp")) {
        if (RunEntry(run, ValueOf(line)) != 0) return false;
    }
    return true;
}

void ProcessRunApp(TRun& run) {
    for (const std::string& line : LoadLogSection(run, "RunApp")) RunEntry(run, ValueOf(line));
}

DWORD WINAPI UninstallWorker(LPVOID parameter) {
    TRun& run = *static_cast<TRun*>(parameter);
    try {
        RunRemoval(run);
    } catch (const std::exception& error) {
        // An error must not end the process with the run half done and no
        // word: say what happened, then let the user close.
        run.Outcomes.SetRunEnd(TRunEnd::Aborted, error.what());
        ShowRunError(run, error.what());
    } catch (...) {
        run.Outcomes.SetRunEnd(TRunEnd::Aborted, "Unexpected error");
        ShowRunError(run, "Unexpected error");
    }
    FinishRun(run);
    return 1;
}
