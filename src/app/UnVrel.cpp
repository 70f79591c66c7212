// The program body: command line, confirmation, worker creation and the main
// dialog, inside the error trap that shows an escaping error's message.
#include "app/UnVrel.h"

#include <objbase.h>

#include <exception>

#include "app/UnVrelBanner.h"
#include "app/UnVrelLogHold.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelPreview.h"
#include "app/UnVrelReport.h"
#include "app/UnVrelRunLock.h"
#include "app/UnVrelSelfCopy.h"
#include "core/UnVrelCommandLine.h"
#include "core/epStrUtils.h"
#include "res/resource.h"
#include "win/epDllSearch.h"
#include "win/epFileUtils.h"
#include "win/epRegIni.h"
#include "win/handles.h"
#include "win/sysutil.h"

HINSTANCE InstanceHandle = nullptr;
std::string LogPath;
HWND MainDialog = nullptr;
TStringList WorkList;
TStringList KeptSharedFiles;
HANDLE WorkerThread = nullptr;
DWORD WorkerThreadId = 0;
std::unique_ptr<TBannerSurface> BannerSurface;
std::string CurrentSharedFile;
TRunOptions RunOptions;

const char* const kProgramTitle = "Tamsk Uninstaller";

namespace {

const char* const kCannotCreateDialog = "Cannot create DLG_UNINSTALL dialog!";
const char* const kCannotCreateWorker = "Cannot create the uninstall thread!";

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

std::string LoadResourceString(int id) {
    // With a zero buffer size LoadStringA cannot report the length, so grow
    // the buffer until the text fits with room to spare.
    std::string buffer(256, '\0');
    for (;;) {
        const int n = LoadStringA(InstanceHandle, static_cast<UINT>(id), &buffer[0],
                                  static_cast<int>(buffer.size()));
        if (n <= 0) return std::string();
        if (static_cast<size_t>(n) < buffer.size() - 1) return buffer.substr(0, static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

// The progress bar's window class comes from comctl32, which is not one of the
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
void RunUninstall() {
    UniqueHandle thread(CreateThread(nullptr, 0, UninstallWorker, nullptr, CREATE_SUSPENDED,
                                     &WorkerThreadId));
    if (!thread) {
        // Without a worker the dialog's Close would never be enabled.
        SetRunEnd(TRunEnd::Aborted, kCannotCreateWorker);
        ShowError(kCannotCreateWorker);
        return;
    }
    WorkerThread = thread.get();
    const INT_PTR result = DialogBoxParamA(InstanceHandle, RES_DLG_UNINSTALL, nullptr,
                                           UninstallDialogProc, 0);
    if (result == -1) {
        // The worker never ran; it dies, still suspended, with the process.
        SetRunEnd(TRunEnd::Aborted, kCannotCreateDialog);
        ShowError(kCannotCreateDialog);
    } else {
        // Close is the worker's last action: let it return before the
        // profile cache is flushed and the lists go away. Its enabling of
        // Close is a message sent to this thread, so the wait must carry out
        // sent messages or it could wait for ever.
        WaitHandlingSentMessages(thread.get());
    }
    WorkerThread = nullptr;
}

// The path made absolute from the directory the program was started in, so
// that a relative report path means what the caller meant; the path as given
// when the system cannot make it absolute.
std::string FullPathOf(const std::string& path) {
    if (path.empty()) return path;
    const DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::string full(size, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return full;
}

// True when the log can be opened and read; it stays in the profile cache.
bool CanReadLog() {
    try {
        GetIniFile(LogPath, true);
        return true;
    } catch (const EInOutError&) {
        return false;
    }
}

// The interactive run: boxes for what is wrong, the confirmation, then the
// worker under the main dialog; with /PREVIEW the preview window instead of
// the confirmation. Unknown options are ignored here.
void RunInteractive() {
    if (LogPath.empty()) {
        SetRunEnd(TRunEnd::LogUnreadable);
        ShowError(LoadMessageText(IDS_NO_LOG_GIVEN));
    } else if (!IsExistingFile(LogPath)) {
        SetRunEnd(TRunEnd::LogUnreadable);
        ShowError(FormatWithOneString(LoadMessageText(IDS_LOG_NOT_FOUND), LogPath));
    } else if (RunOptions.Preview) {
        RunPreview();
    } else if (AskQuestion(LoadMessageText(IDS_CONFIRM_REMOVE)) == IDYES) {
        HoldLog();
        RunUninstall();
        ReleaseLog();
    } else {
        SetRunEnd(TRunEnd::Cancelled);
    }
}

// The unattended run: no box and no dialog; what would stop the interactive
// run at a box ends this one with its exit code, before anything is touched.
// The removal itself is the worker's, run here on the main thread.
void RunUnattended() {
    if (!RunOptions.Unknown.empty()) {
        SetRunEnd(TRunEnd::InvalidOption, RunOptions.Unknown.front());
    } else if (LogPath.empty() || !IsExistingFile(LogPath) || !CanReadLog()) {
        SetRunEnd(TRunEnd::LogUnreadable);
    } else if (RunOptions.Preview) {
        RunPreview();
    } else {
        HoldLog();
        UninstallWorker(nullptr);
        ReleaseLog();
    }
}

// A second start on a log whose run is going on does nothing of its own: it
// shows the running one, or in an unattended run just says so.
void StandAsideForRunningRun() {
    SetRunEnd(TRunEnd::AnotherRunActive);
    if (!RunOptions.Silent) BringRunToFront(LogPath);
}

// The run of this start: the report opens (and tells of a run lock that a
// stranger holds), then the interactive or the unattended run.
void RunHere(TRunLockState lock) {
    BeginRunOutcomes();
    if (lock == TRunLockState::HeldByStranger) ReportLine(kRunLockHeldByStranger);
    if (RunOptions.Silent) {
        RunUnattended();
    } else {
        RunInteractive();
    }
}

void RunProgramBody() {
    RecordPlatformId();
    const UniqueModule commonControls = InitCommonControlsFromSystem();
    ExtraBoxStyle = MB_SETFOREGROUND;
    ApplicationTitle = kProgramTitle;
    InstanceHandle = GetModuleHandleA(nullptr);
    const std::string commandLine = GetCommandLineA();
    LogPath = ParamStr(commandLine, 1);
    RunOptions = ParseRunOptions(commandLine);
    RunOptions.ReportPath = FullPathOf(RunOptions.ReportPath);
    PrepareSelfCopy(RunOptions);
    // Relative paths on the command line and in the log are taken from the
    // Windows directory.
    SetCurrentDirectoryA(GetWindowsDir().c_str());
    WorkList.clear();
    KeptSharedFiles.clear();

    // Held until the run is over.
    const TRunLock lock = IsExistingFile(LogPath) ? TakeRunLock(LogPath, FirstProcessId())
                                                  : TRunLock();
    if (lock.State() == TRunLockState::RunGoingOn) {
        // Its own report, if it asks for one elsewhere, tells why nothing happened.
        BeginRunOutcomes();
        StandAsideForRunningRun();
    } else if (RunOptions.Preview || !RunFromTemporaryCopy()) {
        // A preview removes nothing, so it never needs a copy of its own.
        RunHere(lock.State());
    }
    // Else a copy of the program did the whole run, its report included;
    // FinishSelfCopy hands on its exit code.
    KeptSharedFiles.clear();
    WorkList.clear();
}

// An error that ends the program: shown in a box, unless no box may come.
void ShowFatalError(const char* text) {
    SetRunEnd(TRunEnd::Aborted, text);
    if (!RunOptions.Silent) ShowError(text);
}

}  // namespace

std::string ReadLogString(const std::string& section, const std::string& key,
                          const std::string& def) {
    return ReplaceAll(ReadProfileString(LogPath, section, key, def), "||", "\r");
}

std::string LoadMessageText(int id) {
    return ReadLogString("Strings", std::to_string(id), LoadResourceString(id));
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a library by name.
    LimitDllSearchToSystem();
    const ComInitialization com;
    try {
        RunProgramBody();
    } catch (const std::exception& error) {
        ShowFatalError(error.what());
    } catch (...) {
        ShowFatalError("Unexpected error");
    }
    try {
        FlushProfileCache();
        LeaveCopyFolder();
        EndRunOutcomes();
    } catch (...) {
        // A failure during the final clean-up shows nothing.
    }
    const int exitCode = RunExitCode();
    try {
        return FinishSelfCopy(exitCode);
    } catch (...) {
        return exitCode;
    }
}
