// The program body: command line, confirmation, worker creation and the main
// dialog, inside the error trap that shows an escaping error's message.
#include "app/UnVrel.h"

#include <objbase.h>

#include <exception>

#include "app/UnVrelJournal.h"
#include "app/UnVrelPreview.h"
#include "core/UnVrelCommandLine.h"
#include "core/epStrUtils.h"
#include "res/resource.h"
#include "win/epDllSearch.h"
#include "win/epFileUtils.h"
#include "win/epPathIdentity.h"
#include "win/epProcesses.h"
#include "win/epRegIni.h"
#include "win/epSystemNames.h"
#include "win/epSystemString.h"
#include "win/handles.h"
#include "win/sysutil.h"

const char* const kProgramTitle = "Tamsk Uninstaller";

namespace {

const char* const kCannotCreateDialog = "Cannot create DLG_UNINSTALL dialog!";
const char* const kCannotCreateWorker = "Cannot create the uninstall thread!";
const char* const kLogPathNotInCodePage =
    "The log is not in UTF-8 and its path has characters that the system's code page cannot "
    "write, so nothing can open it by that path: %s\r\nMove the log, or save it in UTF-8 "
    "(starting with the byte-order mark).";
const char* const kReportPathNotInCodePage =
    "The log is not in UTF-8 and the report's path has characters that the system's code page "
    "cannot write, so the report would go to another file: %s\r\nChoose another path, or save "
    "the log in UTF-8 (starting with the byte-order mark).";

// COM on the main thread for the whole run: the servers that the worker
// unregisters and the type libraries it loads expect it in the process.
class ComInitialization {
public:
    ComInitialization() noexcept : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComInitialization() {
        if (initialized_) CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

private:
    bool initialized_;
};

// The resource text in the log's encoding: a UTF-8 log's defaults are the same
// words as an ANSI log's, so texts composed from both never mix encodings.
std::string LoadResourceString(HINSTANCE instance, int id) {
    // A zero buffer size asks LoadStringW for a read-only pointer to the text
    // itself, which is not terminated: the length comes with it.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(instance, static_cast<UINT>(id),
                                   reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || text == nullptr) return std::string();
    return FromSystemName(std::wstring_view(text, static_cast<std::size_t>(length)));
}

// The window classes of the progress bar and of the preview's list view come
// from comctl32 (InitCommonControls registers both), which is not one of the
// system's known libraries: it is loaded from the system directory by its full
// path, never imported (an imported one would be looked for beside the
// program first). Held until the dialog is gone.
UniqueModule InitCommonControlsFromSystem() {
    using InitCommonControlsFunction = void(WINAPI*)();
    UniqueModule library(LoadSystemLibrary("comctl32.dll"));
    const auto init = FindFunction<InitCommonControlsFunction>(library.get(), "InitCommonControls");
    if (init != nullptr) init();
    return library;
}

// Runs the worker under the main dialog; returns when the dialog has closed
// and the worker has returned.
void RunUninstall(TRun& run) {
    DWORD threadId = 0;
    UniqueHandle thread(CreateThread(nullptr, 0, UninstallWorker, &run, CREATE_SUSPENDED,
                                     &threadId));
    if (!thread) {
        // Without a worker the dialog's Close would never be enabled.
        run.Outcomes.SetRunEnd(TRunEnd::Aborted, kCannotCreateWorker);
        ShowError(kCannotCreateWorker);
        return;
    }
    run.WorkerThread = thread.get();
    const INT_PTR result = ShowUninstallDialog(run);
    if (result == -1) {
        // The worker never ran; it dies, still suspended, with the process.
        run.Outcomes.SetRunEnd(TRunEnd::Aborted, kCannotCreateDialog);
        ShowError(kCannotCreateDialog);
    } else {
        // Close is the worker's last action: let it return before the
        // profile cache is flushed and the lists go away. Its enabling of
        // Close is a message sent to this thread, so the wait must carry out
        // sent messages or it could wait for ever.
        WaitHandlingSentMessages(thread.get());
    }
    run.WorkerThread = nullptr;
}

// The path made absolute from the directory the program was started in, so
// that a relative report path means what the caller meant; the path as given
// when the system cannot make it absolute.
std::string FullPathOf(const std::string& path) {
    const std::string full = GetFullPath(path);
    return full.empty() ? path : full;
}

// True when the log can be opened and read; it stays in the profile cache.
bool CanReadLog(const TRun& run) {
    try {
        GetIniFile(run.LogPath, true);
        return true;
    } catch (const EInOutError&) {
        return false;
    }
}

// Holds the log, then opens the report: whatever the report path, by then
// the log's bytes are read and no one, the report included, can write over
// them. The hold lasts until run.Log.Release.
void HoldLogAndOpenReport(TRun& run) {
    run.Log.Hold(run.LogPath);
    run.Outcomes.Begin(run.Options.ReportPath, run.LogPath);
    if (run.Lock.State() == TRunLockState::HeldByStranger)
        run.Outcomes.Report().Line(kRunLockHeldByStranger);
}

// A preview changes nothing and judges every file as others see it: it runs
// without the hold, which it would take for a file in use.
void PreviewWithReport(TRun& run) {
    HoldLogAndOpenReport(run);
    run.Log.Release();
    RunPreview(run);
}

// The interactive run: boxes for what is wrong, the confirmation, then the
// worker under the main dialog; with /PREVIEW the preview window instead of
// the confirmation. Unknown options are ignored here.
void RunInteractive(TRun& run) {
    if (run.LogPath.empty()) {
        run.Outcomes.Begin(run.Options.ReportPath, run.LogPath);
        run.Outcomes.SetRunEnd(TRunEnd::LogUnreadable);
        ShowError(LoadMessageText(run, IDS_NO_LOG_GIVEN));
        return;
    }
    if (!IsExistingFile(run.LogPath)) {
        run.Outcomes.Begin(run.Options.ReportPath, run.LogPath);
        run.Outcomes.SetRunEnd(TRunEnd::LogUnreadable);
        ShowError(FormatWithOneString(LoadMessageText(run, IDS_LOG_NOT_FOUND), run.LogPath));
        return;
    }
    // An unreadable log shows the default texts, as it always has.
    CanReadLog(run);
    if (run.Options.Preview) {
        PreviewWithReport(run);
        return;
    }
    const bool confirmed = AskQuestion(LoadMessageText(run, IDS_CONFIRM_REMOVE)) == IDYES;
    HoldLogAndOpenReport(run);
    if (confirmed) {
        RunUninstall(run);
    } else {
        run.Outcomes.SetRunEnd(TRunEnd::Cancelled);
    }
    run.Log.Release();
}

// The unattended run: no box and no dialog; what would stop the interactive
// run at a box ends this one with its exit code, before anything is touched.
// The removal itself is the worker's, run here on the main thread.
void RunUnattended(TRun& run) {
    if (!run.Options.Unknown.empty()) {
        run.Outcomes.Begin(run.Options.ReportPath, run.LogPath);
        run.Outcomes.SetRunEnd(TRunEnd::InvalidOption, run.Options.Unknown.front());
    } else if (run.LogPath.empty() || !IsExistingFile(run.LogPath) || !CanReadLog(run)) {
        run.Outcomes.Begin(run.Options.ReportPath, run.LogPath);
        run.Outcomes.SetRunEnd(TRunEnd::LogUnreadable);
    } else if (run.Options.Preview) {
        PreviewWithReport(run);
    } else {
        HoldLogAndOpenReport(run);
        UninstallWorker(&run);
        run.Log.Release();
    }
}

// A second start on a log whose run is going on does nothing of its own: it
// shows the running one, or in an unattended run just says so.
void StandAsideForRunningRun(TRun& run) {
    run.Outcomes.SetRunEnd(TRunEnd::AnotherRunActive);
    if (!run.Options.Silent) BringRunToFront(run.LogPath);
}

// The message that says /LOG names the log itself or its journal, in any
// spelling (creating the report would empty the log before it is read, or
// the journal before a run started again reads it); 0 when it names neither.
int ReportWouldReplace(const TRun& run) {
    if (run.Options.ReportPath.empty() || run.LogPath.empty()) return 0;
    if (IsSameFilePath(run.Options.ReportPath, run.LogPath)) return IDS_REPORT_IS_LOG;
    if (IsSameFilePath(run.Options.ReportPath, JournalPathOf(run.LogPath)))
        return IDS_REPORT_IS_JOURNAL;
    return 0;
}

// Message text id as LoadMessageText gives it, or its default when the log
// cannot be read: there the log's own error must not take the box's place.
std::string LoadMessageTextOrDefault(const TRun& run, int id) {
    if (!CanReadLog(run)) return LoadResourceString(run.Instance, id);
    return LoadMessageText(run, id);
}

// A report over the log or its journal is an invalid parameter: nothing is
// written, no report is made (the log is only read, for its texts);
// interactively a box (message why) says why.
void RefuseReport(TRun& run, const std::string& format) {
    const std::string option = "/LOG=" + run.Options.ReportPath;
    run.Outcomes.SetRunEnd(TRunEnd::InvalidOption, option);
    if (run.Options.Silent) return;
    ShowError(FormatWithOneString(format, option));
}

// The run of this start, the interactive or the unattended one; each opens
// the report once it is safe to.
void RunHere(TRun& run) {
    if (run.Options.Silent) {
        RunUnattended(run);
    } else {
        RunInteractive(run);
    }
}

// True when text, in the encoding of names, names what utf8 does: always
// for a UTF-8 log; for an ANSI one, when the code page has every character.
bool SpellsAlike(const std::string& text, const std::string& utf8) {
    return NameEncoding() == TNameEncoding::Utf8 ||
           ConvertText(text, TNameEncoding::Ansi, TNameEncoding::Utf8) == utf8;
}

// Makes the log's encoding that of every name and takes the log's path in
// it. The log is found in the command line in UTF-8, which spells any path;
// an ANSI log is then named by the ANSI command line, as it always was.
// False when that names another path than the UTF-8 one (the code page lacks
// a character of it, and its stand-in could name another file): run.LogPath
// is then that ANSI spelling, which must not be opened.
bool TakeLogPath(TRun& run) {
    const std::string logInUtf8 = LogPathArgument(ReadCommandLine(TNameEncoding::Utf8));
    SetNameEncoding(ReadLogEncoding(logInUtf8, TNameEncoding::Utf8));
    run.LogPath = LogPathArgument(ReadCommandLine());
    return SpellsAlike(run.LogPath, logInUtf8);
}

// The same for the report's path of the options, taken as given (before it
// is made full).
bool TakeOptions(TRun& run) {
    run.Options = ParseRunOptions(ReadCommandLine());
    const std::string reportInUtf8 =
        ParseRunOptions(ReadCommandLine(TNameEncoding::Utf8)).ReportPath;
    return SpellsAlike(run.Options.ReportPath, reportInUtf8);
}

// An ANSI log that its path cannot name ends the run before anything is
// opened, as a log that cannot be read does.
void RefuseLogPathOutsideCodePage(TRun& run) {
    run.Outcomes.Begin(run.Options.ReportPath, run.LogPath);
    const std::string text = FormatWithOneString(kLogPathNotInCodePage, run.LogPath);
    run.Outcomes.SetRunEnd(TRunEnd::LogUnreadable, text);
    if (!run.Options.Silent) ShowError(text);
}

void RunProgramBody(TRun& run) {
    RecordPlatformId();
    const UniqueModule commonControls = InitCommonControlsFromSystem();
    ExtraBoxStyle = MB_SETFOREGROUND;
    ApplicationTitle = kProgramTitle;
    run.Instance = GetModuleHandleA(nullptr);
    const bool logNamed = TakeLogPath(run);
    const bool reportNamed = TakeOptions(run);
    run.Options.ReportPath = FullPathOf(run.Options.ReportPath);
    run.SelfCopy.Prepare(run.Options);
    // Relative paths on the command line and in the log are taken from the
    // Windows directory.
    SetWorkingDirectory(GetWindowsDir());

    // A report that cannot be named is never written, not even to say why
    // the log is refused.
    if (!reportNamed) {
        RefuseReport(run, kReportPathNotInCodePage);
    } else if (!logNamed) {
        RefuseLogPathOutsideCodePage(run);
    } else if (const int why = ReportWouldReplace(run)) {
        RefuseReport(run, LoadMessageTextOrDefault(run, why));
    } else if (!IsExistingFile(run.LogPath)) {
        RunHere(run);
    } else if (run.Lock.Take(run.LogPath, run.SelfCopy.FirstProcessId()) ==
               TRunLockState::RunGoingOn) {
        // Its own report, if it asks for one elsewhere, tells why nothing happened.
        run.Outcomes.Begin(run.Options.ReportPath, run.LogPath);
        StandAsideForRunningRun(run);
    } else if (run.Options.Preview || !run.SelfCopy.RunFromTemporaryCopy(run.LogPath)) {
        // A preview removes nothing, so it never needs a copy of its own.
        RunHere(run);
    }
    // Else a copy of the program did the whole run, its report included;
    // TSelfCopy::Finish hands on its exit code.
}

// An error that ends the program: shown in a box, unless no box may come.
void ShowFatalError(TRun& run, const char* text) {
    run.Outcomes.SetRunEnd(TRunEnd::Aborted, text);
    if (!run.Options.Silent) ShowError(text);
}

}  // namespace

std::string ReadLogString(const TRun& run, const std::string& section, const std::string& key,
                          const std::string& def) {
    return ReplaceAll(ReadProfileString(run.LogPath, section, key, def), "||", "\r");
}

std::string LoadMessageText(const TRun& run, int id) {
    return ReadLogString(run, "Strings", std::to_string(id), LoadResourceString(run.Instance, id));
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a library by name.
    LimitDllSearchToSystem();
    const ComInitialization com;
    TRun run;
    try {
        RunProgramBody(run);
    } catch (const std::exception& error) {
        ShowFatalError(run, error.what());
    } catch (...) {
        ShowFatalError(run, "Unexpected error");
    }
    try {
        FlushProfileCache();
        run.SelfCopy.LeaveCopyFolder(run.Outcomes.Report());
        run.Outcomes.End(run.Options.Silent);
    } catch (...) {
        // A failure during the final clean-up shows nothing.
    }
    const int exitCode = run.Outcomes.ExitCode(run.Options.Silent);
    try {
        return run.SelfCopy.Finish(exitCode);
    } catch (...) {
        return exitCode;
    }
}
