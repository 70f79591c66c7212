// Running the removal from a temporary copy of the program, and the copy's
// removal of the original once the first process has ended.
#include "app/UnVrelSelfCopy.h"

#include <windows.h>

#include <ntsecapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "app/UnVrelWorker.h"
#include "core/UnVrelSelfCopy.h"
#include "core/epFileUtils.h"
#include "core/epProtectedPaths.h"
#include "core/epTextCase.h"
#include "win/epFileFind.h"
#include "win/epFileUtils.h"
#include "win/epPathIdentity.h"
#include "win/epRegIni.h"
#include "win/handles.h"
#include "win/sysutil.h"

// What the copy knows of its first process.
struct TSelfCopy::TFirstProcess {
    UniqueHandle Process;            // SYNCHRONIZE: to wait for its end
    unsigned long Id = 0;
    std::string Executable;          // as the system names it
    std::string ExecutableIdentity;  // see GetPathIdentity
    std::string ExecutableName;      // its long file name
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

std::string GetOwnExecutable() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) return buffer.substr(0, n);
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

// The folder that holds path, without a trailing backslash (a drive root keeps it).
std::string FolderOf(const std::string& path) { return RemoveBackslash(ExtractFileDir(path)); }

// The user's temporary folder without a trailing backslash; empty when unknown.
std::string GetTempFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH) return std::string();
    return RemoveBackslash(std::string(buffer, n));
}

// ---- The copy: checking the first process ----

DWORD GetParentProcessId() {
    const HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (raw == INVALID_HANDLE_VALUE) return 0;
    const UniqueHandle snapshot(raw);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self) return entry.th32ParentProcessID;
    }
    return 0;
}

// A parent that has ended may leave its id to a newer process: the real
// parent started before this process did.
bool StartedBeforeThisProcess(HANDLE process) {
    FILETIME created{}, ownCreated{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
    if (!GetProcessTimes(GetCurrentProcess(), &ownCreated, &exited, &kernel, &user)) return false;
    return CompareFileTime(&created, &ownCreated) <= 0;
}

std::string GetProcessExecutable(HANDLE process) {
    char buffer[4 * MAX_PATH] = {};
    DWORD size = sizeof buffer;
    if (!QueryFullProcessImageNameA(process, 0, buffer, &size)) return std::string();
    return std::string(buffer, size);
}

// The process that the option names, when it is this process's parent.
std::optional<TFirstProcess> OpenFirstProcess(const std::string& option) {
    const std::optional<unsigned long> id = ParseProcessId(option);
    if (!id || *id != GetParentProcessId()) return std::nullopt;
    TFirstProcess first;
    first.Id = *id;
    first.Process.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                    static_cast<DWORD>(*id)));
    if (!first.Process || !StartedBeforeThisProcess(first.Process.get())) return std::nullopt;
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
    const std::string temp = GetTempFolder();
    if (own.empty() || temp.empty()) return false;
    const std::string folder = GetPathIdentity(FolderOf(own));
    return IsCopyFolderName(ExtractFileName(folder)) &&
           FolderOf(folder) == GetPathIdentity(temp);
}

// ---- The copy: after the run ----

void SignalFirstProcess(const TFirstProcess& first, int exitCode) {
    const UniqueHandle record(
        OpenFileMappingA(FILE_MAP_WRITE, FALSE, CopyExitCodeName(first.Id).c_str()));
    const UniqueHandle finished(
        OpenEventA(EVENT_MODIFY_STATE, FALSE, CopyFinishedName(first.Id).c_str()));
    if (!record || !finished) return;
    {
        const MappedView view(MapViewOfFile(record.get(), FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
        if (!view) return;
        InterlockedExchange(static_cast<volatile LONG*>(view.get()), static_cast<LONG>(exitCode));
    }
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

// A running program cannot delete its own file: the copy and its folder go
// when the system next starts.
void ScheduleOwnRemoval() {
    const std::string own = GetOwnExecutable();
    if (own.empty()) return;
    SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileOnReboot(own);
    if (PlatformId == VER_PLATFORM_WIN32_NT)
        MoveFileExA(FolderOf(own).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    FlushProfileCache();
}

// ---- The first process: deciding ----

// True when mask, expanded as the "CopyFiles" handler expands it, matches
// the file whose identity is given.
bool MaskMatchesFile(const std::string& mask, const std::string& identity) {
    TSearchRecEx rec;
    bool found = false;
    for (DWORD result = SearchFirst(mask, 0, kNonFileAttributes, rec); result == 0 && !found;
         result = SearchNext(rec)) {
        found = GetPathIdentity(rec.FullName) == identity;
    }
    SearchClose(rec);
    return found;
}

bool IsNamedInCopyFiles(const std::string& logPath, const std::string& exe,
                        const std::string& identity) {
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
        if (MaskMatchesFile(key, identity)) return true;
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
        return LiesInCreatedDirectory(logPath, identity) ||
               IsNamedInCopyFiles(logPath, exe, identity);
    } catch (const EInOutError&) {
        // A log that cannot be read is the run's to report, as it always was.
        return false;
    }
}

// ---- The first process: the private folder ----

// Security that lets only the current user into the folder and what it holds.
class TUserOnlySecurity {
public:
    TUserOnlySecurity() { Build(); }
    TUserOnlySecurity(const TUserOnlySecurity&) = delete;
    TUserOnlySecurity& operator=(const TUserOnlySecurity&) = delete;

    // nullptr when it could not be built.
    SECURITY_ATTRIBUTES* get() { return built_ ? &attributes_ : nullptr; }

private:
    void Build() {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return;
        const UniqueHandle token(raw);
        DWORD size = 0;
        GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        if (size == 0) return;
        user_.resize(size);
        if (!GetTokenInformation(token.get(), TokenUser, user_.data(), size, &size)) return;
        const PSID sid = reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid;
        const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
        acl_.resize(aclSize);
        ACL* acl = reinterpret_cast<ACL*>(acl_.data());
        if (!InitializeAcl(acl, aclSize, ACL_REVISION)) return;
        if (!AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                                   FILE_ALL_ACCESS, sid))
            return;
        if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION)) return;
        if (!SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) return;
        // Protected: nothing is inherited from the temporary folder's own rules.
        if (!SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
            return;
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
        built_ = true;
    }

    std::vector<unsigned char> user_;  // TOKEN_USER
    std::vector<unsigned char> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool built_ = false;
};

std::optional<std::uint64_t> MakeRandomNumber() {
    std::uint64_t number = 0;
    if (!RtlGenRandom(&number, sizeof number)) return std::nullopt;
    return number;
}

// A new folder with a random name in the user's temporary folder, that only
// the current user may use; empty when it cannot be made. A folder that is
// already there is never taken.
std::string CreatePrivateFolder() {
    const std::string temp = GetTempFolder();
    TUserOnlySecurity security;
    if (temp.empty() || security.get() == nullptr) return std::string();
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        const std::optional<std::uint64_t> random = MakeRandomNumber();
        if (!random) return std::string();
        const std::string folder = AddBackslash(temp) + CopyFolderName(*random);
        if (CreateDirectoryA(folder.c_str(), security.get())) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
    return std::string();
}

// ---- The first process: starting the copy and waiting for it ----

// The objects through which the copy tells its exit code. Made new here,
// before the copy starts: names that already exist are not trusted.
struct TCopySignal {
    UniqueHandle Finished;
    UniqueHandle ExitCodeRecord;
};

std::optional<TCopySignal> CreateCopySignal() {
    const DWORD self = GetCurrentProcessId();
    TCopySignal signal;
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, CopyFinishedName(self).c_str());
    DWORD error = GetLastError();
    signal.Finished.reset(raw);
    if (!signal.Finished || error == ERROR_ALREADY_EXISTS) return std::nullopt;
    raw = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                             CopyExitCodeName(self).c_str());
    error = GetLastError();
    signal.ExitCodeRecord.reset(raw);
    if (!signal.ExitCodeRecord || error == ERROR_ALREADY_EXISTS) return std::nullopt;
    return signal;
}

int ReadSignalledExitCode(const TCopySignal& signal) {
    const MappedView view(
        MapViewOfFile(signal.ExitCodeRecord.get(), FILE_MAP_READ, 0, 0, sizeof(LONG)));
    if (!view) return 0;
    return static_cast<int>(*static_cast<const volatile LONG*>(view.get()));
}

// Starts the copy by its full path, with this process's arguments, the
// internal option, the show state this process was given, in the directory
// this process was started in.
UniqueHandle StartCopy(const std::string& copyPath, const std::string& startDirectory) {
    STARTUPINFOA own{};
    own.cb = sizeof own;
    GetStartupInfoA(&own);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if ((own.dwFlags & STARTF_USESHOWWINDOW) != 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = own.wShowWindow;
    }
    std::string commandLine = CopyCommandLine(GetCommandLineA(), copyPath, GetCurrentProcessId());
    PROCESS_INFORMATION info{};
    const char* directory = startDirectory.empty() ? nullptr : startDirectory.c_str();
    if (!CreateProcessA(copyPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory, &startup, &info))
        return UniqueHandle();
    const UniqueHandle thread(info.hThread);
    // The user started this process; the copy's boxes and dialog must come
    // to the front as this process's own would have.
    AllowSetForegroundWindow(info.dwProcessId);
    return UniqueHandle(info.hProcess);
}

struct TCopyEnd {
    int ExitCode = 0;
    bool Signalled = false;  // false: the copy ended without a word
};

// Waits, handling this thread's messages, until the copy signals its exit
// code or ends.
TCopyEnd WaitForCopy(HANDLE process, const TCopySignal& signal) {
    const HANDLE handles[] = {signal.Finished.get(), process};
    for (;;) {
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(2, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 2) break;  // signalled, ended, or the wait failed
        ProcessMessages();
    }
    if (WaitForSingleObject(signal.Finished.get(), 0) == WAIT_OBJECT_0)
        return TCopyEnd{ReadSignalledExitCode(signal), true};
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return TCopyEnd{static_cast<int>(code), false};
}

void RemoveCopy(const std::string& copyPath) {
    SetFileAttributesA(copyPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(copyPath.c_str());
    RemoveDirectoryA(FolderOf(copyPath).c_str());
}

// True when nothing but the claimed executable and directories put off
// before is left in dir (identity given).
bool HoldsOnlyWhatIsPutOff(const std::string& dir, const std::string& executableIdentity,
                           const std::vector<std::string>& deferredIdentities) {
    WIN32_FIND_DATAA data{};
    const HANDLE raw = FindFirstFileA((AddBackslash(dir) + "*").c_str(), &data);
    if (raw == INVALID_HANDLE_VALUE) return false;
    const UniqueFind search(raw);
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string identity = GetPathIdentity(AddBackslash(dir) + name);
        const bool putOff = identity == executableIdentity ||
                            std::find(deferredIdentities.begin(), deferredIdentities.end(),
                                      identity) != deferredIdentities.end();
        if (!putOff) return false;
    } while (FindNextFileA(search.get(), &data));
    return true;
}

}  // namespace

TSelfCopy::TSelfCopy() = default;
TSelfCopy::~TSelfCopy() = default;

void TSelfCopy::Prepare(TRunOptions& options) {
    char directory[MAX_PATH + 1] = {};
    const DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
    startDirectory_ = (n > 0 && n <= MAX_PATH) ? std::string(directory, n) : std::string();
    if (options.CopyOf.empty()) return;
    std::optional<TFirstProcess> first = OpenFirstProcess(options.CopyOf);
    if (first && RunsFromCopyFolder()) {
        first_ = std::make_unique<TFirstProcess>(std::move(*first));
        return;
    }
    options.Unknown.push_back("/" + std::string(kCopyOfOptionName) + "=" + options.CopyOf);
    options.CopyOf.clear();
}

bool TSelfCopy::IsTemporaryCopy() const { return first_ != nullptr; }

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
    if (CopyFileA(exe.c_str(), copyPath.c_str(), TRUE)) {
        // A read-only original gives a read-only copy, which the deletion
        // at the next restart would pass over.
        SetFileAttributesA(copyPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        process = StartCopy(copyPath, startDirectory_);
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
    if (GetPathIdentity(path) != first_->ExecutableIdentity) return false;
    originalClaimed_ = true;
    return true;
}

bool TSelfCopy::DeferDirectoryRemoval(const std::string& dir) {
    if (!first_ || !originalClaimed_) return false;
    const std::string identity = GetPathIdentity(RemoveBackslash(dir));
    if (!IsSameOrWithin(first_->ExecutableIdentity, identity)) return false;
    if (!HoldsOnlyWhatIsPutOff(identity, first_->ExecutableIdentity, deferredIdentities_))
        return false;
    deferredDirs_.push_back(dir);
    deferredIdentities_.push_back(identity);
    return true;
}

int TSelfCopy::Finish(int exitCode) {
    if (copyExitCode_) return *copyExitCode_;
    if (!first_) return exitCode;
    SignalFirstProcess(*first_, exitCode);
    WaitForSingleObject(first_->Process.get(), kFirstProcessDeadlineMs);
    if (originalClaimed_) DeleteOriginal(*first_);
    for (const std::string& dir : deferredDirs_) RemoveDirectoryA(dir.c_str());
    ScheduleOwnRemoval();
    return exitCode;
}
