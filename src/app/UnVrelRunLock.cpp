// The run lock: a mutex named from the log's file identity, and beside it a
// small shared record of the process whose windows show the run.
//
// The session's objects carry the default security of their creator; a run
// of another user that may not open the mutex still learns that it exists
// (the system answers "access denied" rather than creating a second one).
// When it cannot read the record either, a start that is not elevated
// stands aside (most likely an administrator's run is going on), while an
// elevated one, whose own lock is the Administrators' one, goes on.
#include "app/UnVrelRunLock.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "core/UnVrelRunLock.h"
#include "core/epFileUtils.h"
#include "res/resource.h"
#include "win/epDllSearch.h"
#include "win/epFileIdentity.h"
#include "win/epPrivateSecurity.h"
#include "win/epProcesses.h"

const char* const kRunLockHeldByStranger =
    "Run lock: held by a program that is not a run of this uninstaller; the run went on "
    "without it";

namespace {

// The slot of the record that holds the id of the process showing the run.
constexpr int kOwnerSlot = 0;

// True when the executable is this uninstaller (any copy or version of it):
// it carries the main dialog and the banner among its resources. Loaded as
// data only: nothing of it runs. An image that can no longer be read (a
// temporary copy that has moved its file away at its very end) counts by its
// file name, which the copy keeps from this program.
bool IsThisProgram(const std::string& executable) {
    if (executable.empty()) return false;
    const UniqueModule image = LoadImageAsData(executable);
    if (!image) return SameFileName(ExtractFileName(executable), ExtractFileName(GetOwnExecutable()));
    return FindResourceA(image.get(), RES_DLG_UNINSTALL, RT_DIALOG) != nullptr &&
           FindResourceA(image.get(), RES_BANNER_BITMAP, RT_BITMAP) != nullptr;
}

// How long a start waits for the record of a lock that it found taken: the
// run that took the lock writes it right after.
constexpr DWORD kOwnerRecordWaitMs = 1000;
constexpr DWORD kOwnerRecordPollMs = 50;

// The process recorded as showing the run; 0 when there is no readable record.
DWORD ReadOwner(const std::string& prefix, const TFileIdentity& log) {
    const TSharedValues record = TSharedValues::Open(RunOwnerName(prefix, log), false);
    const std::optional<std::uint64_t> id = record ? record.Read(kOwnerSlot) : std::nullopt;
    return id && *id <= 0xFFFFFFFFu ? static_cast<DWORD>(*id) : 0;
}

// ReadOwner, given a moment when the record is not written yet.
DWORD WaitForOwner(const std::string& prefix, const TFileIdentity& log) {
    DWORD owner = ReadOwner(prefix, log);
    for (DWORD waited = 0; owner == 0 && waited < kOwnerRecordWaitMs;
         waited += kOwnerRecordPollMs) {
        Sleep(kOwnerRecordPollMs);
        owner = ReadOwner(prefix, log);
    }
    return owner;
}

// True when owner is a live process of this program.
bool IsRunOfThisProgram(DWORD owner) {
    if (owner == 0) return false;
    const UniqueHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner));
    if (!process || WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return false;
    return IsThisProgram(GetProcessExecutable(process.get()));
}

// Writes this process's id into the record of the run's window owner.
TSharedValues PublishOwner(const std::string& prefix, const TFileIdentity& log) {
    TSharedValues record = TSharedValues::Create(RunOwnerName(prefix, log), false);
    if (record) record.Write(kOwnerSlot, GetCurrentProcessId());
    return record;
}

struct TNamespaceLock {
    TRunLockState State = TRunLockState::Unguarded;
    UniqueHandle Mutex;
    TSharedValues Owner;
};

// The lock in one namespace. unverifiable: what a lock that cannot be
// opened, and whose record cannot be read, counts as.
TNamespaceLock TakeIn(const std::string& prefix, const TFileIdentity& log,
                      unsigned long firstProcessId, TRunLockState unverifiable) {
    TNamespaceLock lock;
    SetLastError(ERROR_SUCCESS);
    lock.Mutex.reset(CreateMutexA(nullptr, FALSE, RunLockName(prefix, log).c_str()));
    const DWORD error = GetLastError();
    if (!lock.Mutex && error != ERROR_ACCESS_DENIED) return lock;  // no lock at all
    if (lock.Mutex && error != ERROR_ALREADY_EXISTS) {
        lock.State = TRunLockState::Held;
        lock.Owner = PublishOwner(prefix, log);
        return lock;
    }
    const DWORD owner = WaitForOwner(prefix, log);
    if (firstProcessId != 0 && owner == firstProcessId) {
        // The copy shares the lock its first process took.
        lock.State = TRunLockState::Held;
        lock.Owner = PublishOwner(prefix, log);
        return lock;
    }
    const bool opened = static_cast<bool>(lock.Mutex);
    lock.Mutex.reset();
    if (!opened && owner == 0) {
        lock.State = unverifiable;
    } else {
        lock.State = IsRunOfThisProgram(owner) ? TRunLockState::RunGoingOn
                                               : TRunLockState::HeldByStranger;
    }
    return lock;
}

struct FrontWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindFrontWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<FrontWindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

TRunLockState TRunLock::Take(const std::string& logPath, unsigned long firstProcessId) {
    const std::optional<TFileIdentity> log = GetFileIdentity(logPath);
    if (!log) return state_ = TRunLockState::Unguarded;
    const bool elevated = IsElevatedProcess();
    if (elevated) {
        namespace_ = TAdminNamespace::OpenOrCreate(std::string(kAdminNamespaceAlias));
        if (namespace_) {
            TNamespaceLock admin =
                TakeIn(namespace_.Prefix(), *log, firstProcessId, TRunLockState::RunGoingOn);
            // Only administrators reach this namespace: whatever holds the
            // name there is one of their runs.
            if (admin.State == TRunLockState::HeldByStranger)
                admin.State = TRunLockState::RunGoingOn;
            if (admin.State == TRunLockState::RunGoingOn) return state_ = admin.State;
            adminLock_ = std::move(admin.Mutex);
            adminOwner_ = std::move(admin.Owner);
            state_ = admin.State;
        }
    }
    TNamespaceLock session =
        TakeIn(std::string(kSessionNamespace), *log, firstProcessId,
               elevated ? TRunLockState::HeldByStranger : TRunLockState::RunGoingOn);
    if (session.State == TRunLockState::Unguarded) return state_;
    // With the Administrators' lock held, the session's name only lets
    // non-elevated starts see the run; a stranger that took it changes
    // nothing for this run.
    if (session.State == TRunLockState::HeldByStranger && adminLock_) return state_;
    sessionLock_ = std::move(session.Mutex);
    sessionOwner_ = std::move(session.Owner);
    return state_ = session.State;
}

void BringRunToFront(const std::string& logPath) {
    const std::optional<TFileIdentity> log = GetFileIdentity(logPath);
    if (!log) return;
    DWORD owner = 0;
    if (IsElevatedProcess()) {
        const TAdminNamespace space =
            TAdminNamespace::OpenOrCreate(std::string(kAdminNamespaceAlias));
        if (space) owner = ReadOwner(space.Prefix(), *log);
    }
    if (owner == 0) owner = ReadOwner(std::string(kSessionNamespace), *log);
    if (owner == 0 || owner == GetCurrentProcessId()) return;
    // EnumWindows goes from the top of the Z order down: the first enabled
    // window is the one the user has to answer.
    FrontWindowSearch search{owner, nullptr};
    EnumWindows(FindFrontWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return;
    if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
    SetForegroundWindow(search.found);
}
