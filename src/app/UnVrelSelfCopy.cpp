// Running the removal from a temporary copy of the program, and the copy's
// removal of the original once the first process has ended.
#include "app/UnVrelSelfCopy.h"

#include <windows.h>

#include <ntsecapi.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "app/UnVrelReport.h"
#include "app/UnVrelWorker.h"
#include "core/UnVrelSelfCopy.h"
#include "core/epFileUtils.h"
#include "core/epProtectedPaths.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "win/epFileFind.h"
#include "win/epFileIdentity.h"
#include "win/epFileUtils.h"
#include "win/epHeldFile.h"
#include "win/epPathIdentity.h"
#include "win/epPrivateSecurity.h"
#include "win/epProcesses.h"
#include "win/epProgramStart.h"
#include "win/epRegIni.h"
#include "win/epSharedValues.h"
#include "win/epSystemNames.h"
#include "win/handles.h"
#include "win/sysutil.h"

// What the copy knows of its first process.
struct TSelfCopy::TFirstProcess {
    UniqueHandle Process;            // SYNCHRONIZE: to wait for its end
    unsigned long Id = 0;
    std::string Executable;          // as the system names it
    std::string ExecutableIdentity;  // see GetPathIdentity
    std::string ExecutableName;      // its long file name
    // The copy's own file, held since the first process wrote it: no one
    // can write, rename or delete it, and the system deletes it when this
    // (the last) handle closes. Empty when the first process gave none.
    UniqueFile OwnFile;
};

namespace {

// How long the copy waits for the first process to end after telling it the
// exit code; how often and how long it then tries to delete the original
// (a virus scanner may still hold the file for a moment).
constexpr DWORD kFirstProcessDeadlineMs = 60000;
constexpr int kDeleteAttempts = 50;
constexpr DWORD kDeleteRetryMs = 100;
// New random folder names tried before giving up.
constexpr int kFolderAttempts = 8;

using TFirstProcess = TSelfCopy::TFirstProcess;

// The folder that holds path, without a trailing backslash (a drive root keeps it).
std::string FolderOf(const std::string& path) { return RemoveBackslash(ExtractFileDir(path)); }

// ---- The copy: checking the first process ----

// The handle by which the first process made this copy hold its own file,
// when it really is one to this copy's file.
UniqueFile TakeOwnFileHold(unsigned long firstProcessId) {
    const TSharedValues record = TSharedValues::Open(CopyRecordName(firstProcessId), false);
    const std::optional<std::uint64_t> value = record ? record.Read(kCopyHoldSlot) : std::nullopt;
    if (!value || *value == 0) return UniqueFile();
    const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(*value));
    const std::optional<TFileIdentity> held = GetFileIdentity(handle);
    if (!held || !IsFileWithIdentity(GetOwnExecutable(), *held)) return UniqueFile();
    return UniqueFile(handle);
}

// The process that the option names, when it is this process's parent.
std::optional<TFirstProcess> OpenFirstProcess(const std::string& option) {
    const std::optional<unsigned long> id = ParseProcessId(option);
    if (!id) return std::nullopt;
    TFirstProcess first;
    first.Id = *id;
    first.Process = OpenParentProcess(static_cast<DWORD>(*id), SYNCHRONIZE);
    if (!first.Process) return std::nullopt;
    first.Executable = GetProcessExecutable(first.Process.get());
    if (first.Executable.empty()) return std::nullopt;
    first.ExecutableIdentity = GetPathIdentity(first.Executable);
    first.ExecutableName = ExtractFileName(GetFullLongPath(first.Executable));
    return first;
}

// True when this program runs from a folder that RunFromTemporaryCopy makes:
// only such a copy ever schedules its own file and folder for deletion.
bool RunsFromCopyFolder() {
    const std::string own = GetOwnExecutable();
    const std::string temp = GetTempDir();
    if (own.empty() || temp.empty()) return false;
    const std::string folder = FolderOf(GetFullLongPath(own));
    return IsCopyFolderName(ExtractFileName(folder)) && IsSameFilePath(FolderOf(folder), temp);
}

// ---- The copy: after the run ----

void SignalFirstProcess(const TFirstProcess& first, int exitCode) {
    const TSharedValues record = TSharedValues::Open(CopyRecordName(first.Id), true);
    const UniqueHandle finished(
        OpenEventA(EVENT_MODIFY_STATE, FALSE, CopyFinishedName(first.Id).c_str()));
    if (!record || !finished) return;
    if (!record.Write(kCopyExitCodeSlot, static_cast<std::uint32_t>(exitCode))) return;
    SetEvent(finished.get());
}

void DeleteOriginal(const TFirstProcess& first) {
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (DeleteFileForced(first.Executable) || !IsExistingFile(first.Executable)) return;
        Sleep(kDeleteRetryMs);
    }
    // Still held by someone: it goes at the next restart, as a direct run's would.
    DeleteFileOnReboot(first.Executable);
}

// The fall-back when the system does not let the copy leave its folder: the
// copy and its folder go when the system next starts, and the report says so.
void ScheduleOwnRemoval(const std::string& own, TReport& report) {
    ClearFileAttributes(own);
    DeleteFileOnReboot(own);
    // The same scheduling removes an empty folder at the restart.
    if (PlatformId == VER_PLATFORM_WIN32_NT) DeleteFileOnRebootNT(FolderOf(own));
    FlushProfileCache();
    report.Line("Note: the temporary copy " + own +
               " and its folder are deleted at the next restart (the system did not let them "
               "go now)");
}

// ---- The first process: deciding ----

// True when mask, expanded as the "CopyFiles" handler expands it, matches
// the file exe.
bool MaskMatchesFile(const std::string& mask, const std::string& exe) {
    TSearchRecEx rec;
    bool found = false;
    for (DWORD result = SearchFirst(mask, 0, kNonFileAttributes, rec); result == 0 && !found;
         result = SearchNext(rec)) {
        found = IsSameFilePath(rec.FullName, exe);
    }
    SearchClose(rec);
    return found;
}

bool IsNamedInCopyFiles(const std::string& logPath, const std::string& exe) {
    TStringList lines;
    ReadProfileSection(logPath, "CopyFiles", lines);
    const std::string longName = ExtractFileName(GetFullLongPath(exe));
    const std::string shortName = ExtractFileName(GetShortPath(exe));
    for (const std::string& line : lines) {
        const std::string key = EntryKey(line);
        const std::string name = ExtractFileName(key);
        // Only a mask, or the program's own name, can match it: the others
        // are passed over without asking the disk.
        const bool isMask = HasWildcard(name);
        if (!isMask && !SameFileName(name, longName) && !SameFileName(name, shortName)) continue;
        if (MaskMatchesFile(key, exe)) return true;
    }
    return false;
}

bool LiesInCreatedDirectory(const std::string& logPath, const std::string& identity) {
    TStringList lines;
    ReadProfileSection(logPath, "CreateDirs", lines);
    for (const std::string& line : lines) {
        const std::string dir = EntryKey(line);
        if (!dir.empty() && IsSameOrWithin(identity, GetPathIdentity(dir))) return true;
    }
    return false;
}

bool NeedsTemporaryCopy(const std::string& logPath, const std::string& exe) {
    const std::string identity = GetPathIdentity(exe);
    try {
        return LiesInCreatedDirectory(logPath, identity) || IsNamedInCopyFiles(logPath, exe);
    } catch (const EInOutError&) {
        // A log that cannot be read is the run's to report, as it always was.
        return false;
    }
}

// ---- The first process: the private folder ----

std::optional<std::uint64_t> MakeRandomNumber() {
    std::uint64_t number = 0;
    if (!RtlGenRandom(&number, sizeof number)) return std::nullopt;
    return number;
}

// A new folder with a random name in the user's temporary folder, that only
// the current user may use (only administrators and the system when this
// process is elevated, since the same user's other programs are not);
// empty when it cannot be made. A folder that is already there is never
// taken.
std::string CreatePrivateFolder() {
    const std::string temp = GetTempDir();
    TPrivateSecurity security(PrivateToForThisProcess());
    if (temp.empty() || security.get() == nullptr) return std::string();
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        const std::optional<std::uint64_t> random = MakeRandomNumber();
        if (!random) return std::string();
        const std::string folder = AddBackslash(temp) + CopyFolderName(*random);
        if (CreateDirectoryWith(folder, security.get())) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
    return std::string();
}

// ---- The first process: starting the copy and waiting for it ----

// The objects through which the copy tells its exit code. Made new here,
// before the copy starts: names that already exist are not trusted.
struct TCopySignal {
    UniqueHandle Finished;
    TSharedValues Record;
};

std::optional<TCopySignal> CreateCopySignal() {
    const DWORD self = GetCurrentProcessId();
    TCopySignal signal;
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, CopyFinishedName(self).c_str());
    const DWORD error = GetLastError();
    signal.Finished.reset(raw);
    if (!signal.Finished || error == ERROR_ALREADY_EXISTS) return std::nullopt;
    signal.Record = TSharedValues::Create(CopyRecordName(self), true);
    if (!signal.Record) return std::nullopt;
    return signal;
}

int ReadSignalledExitCode(const TCopySignal& signal) {
    return static_cast<int>(signal.Record.Read(kCopyExitCodeSlot).value_or(0));
}

// The program's own bytes; nothing when they cannot be read.
std::optional<std::string> ReadOwnBytes(const std::string& exe) {
    const UniqueFile file(OpenFileHandle(exe, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return std::nullopt;
    std::string bytes = ReadRestOfFile(file.get());
    if (static_cast<LONGLONG>(bytes.size()) != size.QuadPart) return std::nullopt;
    return bytes;
}

// Writes the copy and holds it (WriteHeldFile); the handle is inheritable,
// so that the copy takes the hold over.
UniqueFile WriteHeldCopy(const std::string& exe, const std::string& copyPath) {
    const std::optional<std::string> bytes = ReadOwnBytes(exe);
    return bytes ? WriteHeldFile(copyPath, *bytes) : UniqueFile();
}

// Starts the copy by its full path, with this process's arguments exactly as
// it got them and the internal option, in the directory this process was
// started in; it inherits hold, and no other handle.
UniqueHandle StartCopy(const std::string& copyPath, HANDLE hold,
                       const std::wstring& startDirectory) {
    std::wstring commandLine =
        CopyCommandLine(GetCommandLineW(), ToSystemName(copyPath), GetCurrentProcessId());
    return StartProgramFile(copyPath, std::move(commandLine), startDirectory, hold);
}

struct TCopyEnd {
    int ExitCode = 0;
    bool Signalled = false;  // false: the copy ended without a word
};

// Waits, handling this thread's messages, until the copy signals its exit
// code or ends.
TCopyEnd WaitForCopy(HANDLE process, const TCopySignal& signal) {
    WaitProcessingMessages({signal.Finished.get(), process}, TWaitMessages::All);
    if (WaitForSingleObject(signal.Finished.get(), 0) == WAIT_OBJECT_0)
        return TCopyEnd{ReadSignalledExitCode(signal), true};
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return TCopyEnd{static_cast<int>(code), false};
}

// Removes a copy that did not clean up after itself, and its folder. Its
// file goes with the last handle of the hold, which the system closes a
// moment after the copy's end: the folder is tried until then.
void RemoveCopy(const std::string& copyPath) {
    const std::string folder = FolderOf(copyPath);
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        DeleteFilePlain(copyPath);
        if (RemoveEmptyDirectory(folder) || !IsExistingDirectory(folder)) return;
        Sleep(kDeleteRetryMs);
    }
}

// True when nothing but the claimed executable and directories put off
// before is left in dir.
bool HoldsOnlyWhatIsPutOff(const std::string& dir, const std::string& executable,
                           const std::vector<std::string>& deferredDirs) {
    TSearchRecEx rec;
    DWORD result = SearchFirst(AddBackslash(dir) + "*", kAnyAttribute, 0, rec);
    if (!IsDirectoryRead(result)) return false;
    for (; result == 0; result = SearchNext(rec)) {
        const auto isPath = [&rec](const std::string& other) {
            return IsSameFilePath(rec.FullName, other);
        };
        const bool putOff =
            isPath(executable) || std::any_of(deferredDirs.begin(), deferredDirs.end(), isPath);
        if (!putOff) return false;
    }
    return true;
}

}  // namespace

TSelfCopy::TSelfCopy() = default;
TSelfCopy::~TSelfCopy() = default;

void TSelfCopy::Prepare(TRunOptions& options) {
    startDirectory_ = GetWorkingDirectory();
    if (options.CopyOf.empty()) return;
    // Only the last one is the first process's own: any before it came from
    // its caller and is unknown to the copy, as it was to the first process.
    for (const std::string& foreign : ForeignCopyOfOptions(ReadCommandLine()))
        options.Unknown.push_back(foreign);
    std::optional<TFirstProcess> first = OpenFirstProcess(options.CopyOf);
    if (first && RunsFromCopyFolder()) {
        first->OwnFile = TakeOwnFileHold(first->Id);
        first_ = std::make_unique<TFirstProcess>(std::move(*first));
        return;
    }
    options.Unknown.push_back("/" + std::string(kCopyOfOptionName) + "=" + options.CopyOf);
    options.CopyOf.clear();
}

bool TSelfCopy::IsTemporaryCopy() const { return first_ != nullptr; }

unsigned long TSelfCopy::FirstProcessId() const { return first_ ? first_->Id : 0; }

bool TSelfCopy::RunFromTemporaryCopy(const std::string& logPath) {
    if (IsTemporaryCopy()) return false;
    const std::string exe = GetOwnExecutable();
    if (exe.empty() || !NeedsTemporaryCopy(logPath, exe)) return false;
    const std::optional<TCopySignal> signal = CreateCopySignal();
    if (!signal) return false;
    const std::string folder = CreatePrivateFolder();
    if (folder.empty()) return false;
    const std::string copyPath = AddBackslash(folder) + ExtractFileName(GetFullLongPath(exe));
    UniqueHandle process;
    {
        UniqueFile hold = WriteHeldCopy(exe, copyPath);
        const auto value = reinterpret_cast<std::uintptr_t>(hold.get());
        if (hold && signal->Record.Write(kCopyHoldSlot, value))
            process = StartCopy(copyPath, hold.get(), startDirectory_);
        // The copy has its own handle now; without a copy the file goes here.
    }
    if (!process) {
        RemoveCopy(copyPath);
        return false;
    }
    const TCopyEnd end = WaitForCopy(process.get(), *signal);
    copyExitCode_ = end.ExitCode;
    // A copy that ended without a word did not clean up after itself.
    if (!end.Signalled) RemoveCopy(copyPath);
    return true;
}

bool TSelfCopy::ClaimOwnExecutable(const std::string& path) {
    if (!first_ || !SameFileName(ExtractFileName(path), first_->ExecutableName)) return false;
    if (!IsSameFilePath(path, first_->Executable)) return false;
    originalClaimed_ = true;
    return true;
}

bool TSelfCopy::DeferDirectoryRemoval(const std::string& dir) {
    if (!first_ || !originalClaimed_) return false;
    const std::string identity = GetPathIdentity(RemoveBackslash(dir));
    if (!IsSameOrWithin(first_->ExecutableIdentity, identity)) return false;
    if (!HoldsOnlyWhatIsPutOff(identity, first_->Executable, deferredDirs_)) return false;
    deferredDirs_.push_back(dir);
    return true;
}

void TSelfCopy::LeaveCopyFolder(TReport& report) {
    if (!first_) return;
    const std::string own = GetOwnExecutable();
    if (own.empty()) return;
    const std::string folder = FolderOf(own);
    const std::string left = AddBackslash(FolderOf(folder)) + LeftCopyName(ExtractFileName(folder));
    // The held file, moved beside its folder, is deleted by the system when
    // this process ends; the folder is empty then and goes now.
    if (!first_->OwnFile || !RenameHeldFile(first_->OwnFile.get(), left)) {
        ScheduleOwnRemoval(own, report);
    } else if (!RemoveEmptyDirectory(folder)) {
        report.Line("Note: the temporary folder " + folder +
                    " stays: it holds what this program did not put there");
    }
}

int TSelfCopy::Finish(int exitCode) {
    if (copyExitCode_) return *copyExitCode_;
    if (!first_) return exitCode;
    SignalFirstProcess(*first_, exitCode);
    WaitForSingleObject(first_->Process.get(), kFirstProcessDeadlineMs);
    if (originalClaimed_) DeleteOriginal(*first_);
    for (const std::string& dir : deferredDirs_) RemoveEmptyDirectory(dir);
    return exitCode;
}
