// File and path primitives on the Win32 API.
#include "win/epFileUtils.h"

#include <vector>

#include "core/epStrUtils.h"
#include "win/epRegIni.h"
#include "win/epRestartList.h"
#include "win/epSystemNames.h"
#include "win/epSystemString.h"
#include "win/handles.h"

namespace {

constexpr DWORD kLineChunk = 100;
constexpr DWORD kBulkChunk = 64 * 1024;
constexpr DWORD kMaxWriteChunk = 1u << 30;
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

// A name holding a NUL byte would reach the system cut short, as another
// name: it is refused with the error the system gives a name it cannot take.
bool RefuseNulName(const std::string& name) {
    if (!HoldsNul(name)) return false;
    SetLastError(ERROR_INVALID_NAME);
    return true;
}

bool GetPosition(HANDLE handle, LONGLONG& position) {
    LARGE_INTEGER zero = {};
    LARGE_INTEGER current = {};
    if (!SetFilePointerEx(handle, zero, &current, FILE_CURRENT)) return false;
    position = current.QuadPart;
    return true;
}

void MoveBy(HANDLE handle, LONGLONG distance) {
    LARGE_INTEGER delta = {};
    delta.QuadPart = distance;
    SetFilePointerEx(handle, delta, nullptr, FILE_CURRENT);
}

void MoveToEnd(HANDLE handle) {
    LARGE_INTEGER zero = {};
    SetFilePointerEx(handle, zero, nullptr, FILE_END);
}

// Reads up to size bytes; a failed read counts as the end of the file. The
// position is then moved to the end, so that a caller looping until
// AtEndOfFile is not kept reading a handle that can never be read.
DWORD ReadChunk(HANDLE handle, char* buffer, DWORD size) {
    DWORD count = 0;
    if (!ReadFile(handle, buffer, size, &count, nullptr)) {
        MoveToEnd(handle);
        return 0;
    }
    return count;
}

// Puts back the attributes a file had before a deletion was tried (those
// that can be set; none left means normal), keeping the error of the failure.
void RestoreAttributes(const std::string& path, DWORD attributes) {
    const DWORD error = GetLastError();
    const DWORD settable = attributes & kSettableAttributes;
    SetFileAttributesW(ToSystemPath(path).c_str(),
                       settable != 0 ? settable : FILE_ATTRIBUTE_NORMAL);
    SetLastError(error);
}

// True when the file opens for deletion: the process may delete it, and
// what stopped the deletion is a use of it.
bool OpensForDelete(const std::string& path) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const UniqueFile file(
        CreateFileW(ToSystemPath(path).c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, 0,
                    nullptr));
    return static_cast<bool>(file);
}

// True when a deletion that failed with error failed because the file is in
// use, not because the process may not delete it.
// Most files to delete are neither read-only nor in use: the deletions try
// the plain call first, and look at attributes and uses only when it was
// refused for another reason than the file's absence.
bool IsNotThere(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool IsInUse(const std::string& path, DWORD error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE: return true;
        case ERROR_ACCESS_DENIED: return OpensForDelete(path);
        default: return false;
    }
}

TDeletionResult FailedOrAbsent(DWORD error) {
    if (IsNotThere(error)) return {TDeletionOutcome::Absent, 0};
    return {TDeletionOutcome::Failed, error};
}

// The path without a last-character backslash (a drive root loses it too).
std::string StripTrailingBackslash(std::string path) {
    if (HasTrailingBackslash(path, IsAnsiLeadByte)) path.pop_back();
    return path;
}

}  // namespace

bool IsOpenHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

HANDLE OpenFileHandle(const std::string& name, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags) {
    if (RefuseNulName(name)) return INVALID_HANDLE_VALUE;
    return CreateFileW(ToSystemPath(name).c_str(), access, share, nullptr, disposition, flags,
                       nullptr);
}

void CloseFileHandle(HANDLE& handle) {
    if (IsOpenHandle(handle)) CloseHandle(handle);
    handle = nullptr;
}

bool AtEndOfFile(HANDLE handle) {
    // A handle whose position or size cannot be had has nothing more to give.
    LONGLONG position = 0;
    LARGE_INTEGER size = {};
    if (!GetPosition(handle, position) || !GetFileSizeEx(handle, &size)) return true;
    return position >= size.QuadPart;
}

std::string ReadTextLine(HANDLE handle) {
    std::string line;
    char chunk[kLineChunk];
    for (;;) {
        const DWORD count = ReadChunk(handle, chunk, kLineChunk);
        if (count == 0) return line;
        DWORD partLength = 0;
        while (partLength < count && chunk[partLength] != '\r') ++partLength;
        for (DWORD i = 0; i < partLength; ++i) {
            if (chunk[i] != '\n') line.push_back(chunk[i]);
        }
        if (partLength < count) {
            // Leave the file just after the CR for the next line.
            MoveBy(handle, -static_cast<LONGLONG>(count - partLength - 1));
            return line;
        }
    }
}

std::string ReadRestOfFile(HANDLE handle) {
    std::string bytes;
    std::vector<char> buffer(kBulkChunk);
    for (;;) {
        const DWORD count = ReadChunk(handle, buffer.data(), kBulkChunk);
        if (count == 0) return bytes;
        bytes.append(buffer.data(), count);
    }
}

bool WriteAllBytes(HANDLE handle, std::string_view bytes) {
    const char* data = bytes.data();
    size_t size = bytes.size();
    while (size > 0) {
        const DWORD want = size > kMaxWriteChunk ? kMaxWriteChunk : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle, data, want, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

void WriteTextLine(HANDLE handle, std::string_view text) {
    std::string line(text);
    line += "\r\n";
    WriteAllBytes(handle, line);
}

DWORD ReadFileAttributes(const std::string& path) {
    if (RefuseNulName(path)) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(ToSystemPath(path).c_str());
}

bool IsExistingDirectory(const std::string& path) {
    if (HoldsNul(path)) return false;
    const DWORD attributes = GetFileAttributesW(ToSystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingFile(const std::string& path) {
    if (HoldsNul(path)) return false;
    const DWORD attributes = GetFileAttributesW(ToSystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string RemoveBackslash(std::string_view path) { return RemoveBackslash(path, IsAnsiLeadByte); }

void CreateDirectoryPath(const std::string& path) {
    // Walk up to the first ancestor that exists (or cannot be split further),
    // then create the missing ones top-down. Each step keeps only a strict
    // prefix, so odd input such as "::::" or "\\server" cannot loop, and a very
    // deep path cannot exhaust the stack.
    if (HoldsNul(path)) return;
    std::vector<std::string> missing;
    std::string current = StripTrailingBackslash(path);
    while (current.size() >= 3 && !IsExistingDirectory(current)) {
        const std::string parent = ExtractFileDir(current);
        if (parent.size() >= current.size()) break;
        missing.push_back(current);
        current = StripTrailingBackslash(parent);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        CreateDirectoryW(ToSystemPath(*it).c_str(), nullptr);
    }
}

std::string GetShortPath(const std::string& path) {
    if (HoldsNul(path)) return path;
    // The short form exists to be short: a path too long for it has none.
    const std::wstring name = ToSystemName(path);
    const std::wstring shortPath = ReadSystemWideString(
        [&name](wchar_t* buffer, DWORD size) { return GetShortPathNameW(name.c_str(), buffer, size); });
    return shortPath.empty() ? path : FromSystemName(shortPath);
}

std::string GetFullPath(const std::string& path) {
    if (HoldsNul(path)) return std::string();
    const std::wstring name = ToSystemName(path);
    return FromSystemName(ReadSystemWideString([&name](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(name.c_str(), size, buffer, nullptr);
    }));
}

std::string GetWindowsDir() { return FromSystemName(ReadSystemWideString(GetWindowsDirectoryW)); }

std::string GetTempDir() {
    std::wstring temp = ReadSystemWideString(
        [](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
    // The backslash goes before the conversion, where no byte of another
    // character can be mistaken for it; a drive root keeps it, as
    // RemoveBackslash leaves it.
    if (temp.size() > 3 && temp.back() == L'\\') temp.pop_back();
    return FromSystemName(temp);
}

bool CreateDirectoryWith(const std::string& path, SECURITY_ATTRIBUTES* security) {
    if (RefuseNulName(path)) return false;
    return CreateDirectoryW(ToSystemPath(path).c_str(), security) != FALSE;
}

bool ClearFileAttributes(const std::string& path) {
    if (RefuseNulName(path)) return false;
    return SetFileAttributesW(ToSystemPath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

DWORD PlatformId = VER_PLATFORM_WIN32_NT;

void RecordPlatformId() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (GetVersionExA(&info)) PlatformId = info.dwPlatformId;
}

bool DeleteFilePlain(const std::string& path) {
    if (RefuseNulName(path)) return false;
    return DeleteFileW(ToSystemPath(path).c_str()) != FALSE;
}

bool RemoveEmptyDirectory(const std::string& path) {
    if (RefuseNulName(path)) return false;
    return RemoveDirectoryW(ToSystemPath(path).c_str()) != FALSE;
}

bool DeleteFileForced(const std::string& path) {
    if (HoldsNul(path)) return false;
    const std::wstring name = ToSystemPath(path);
    if (DeleteFileW(name.c_str())) return true;
    if (IsNotThere(GetLastError())) return false;
    const DWORD attributes = GetFileAttributesW(name.c_str());
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(name.c_str())) return true;
    // A file in use (or a directory) keeps its read-only, hidden and system
    // attributes: a failed deletion changes nothing.
    if (attributes != INVALID_FILE_ATTRIBUTES) RestoreAttributes(path, attributes);
    return false;
}

bool DeleteFileOnReboot(const std::string& path) {
    if (HoldsNul(path)) return false;
    if (PlatformId == VER_PLATFORM_WIN32_NT) return DeleteFileOnRebootNT(path);
    return DeleteFileOnRebootWin9x(path);
}

bool DeleteFileOnRebootNT(const std::string& path) {
    if (HoldsNul(path)) return false;
    // Never the same deletion twice: once is enough for the restart.
    if (IsDeletionPending(path)) return true;
    return MoveFileExW(ToSystemPath(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool DeleteFileOnRebootWin9x(const std::string& path) {
    ScheduleWininitDeletion(AddBackslash(GetWindowsDir()) + "wininit.ini", path);
    return true;
}

TDeletionResult DeleteFileOrSchedule(const std::string& path) {
    if (HoldsNul(path)) return {TDeletionOutcome::Failed, ERROR_INVALID_NAME};
    const std::wstring name = ToSystemPath(path);
    if (DeleteFileW(name.c_str())) return {TDeletionOutcome::Removed, 0};
    if (IsNotThere(GetLastError())) return {TDeletionOutcome::Absent, 0};
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FailedOrAbsent(GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {TDeletionOutcome::Failed, ERROR_ACCESS_DENIED};
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(name.c_str())) return {TDeletionOutcome::Removed, 0};
    DWORD error = GetLastError();
    // Asked while the read-only attribute is off: a read-only file does not
    // open for deletion, whatever uses it.
    if (IsInUse(path, error)) {
        if (DeleteFileOnReboot(path)) {
            RestoreAttributes(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
            return {TDeletionOutcome::Scheduled, 0};
        }
        error = GetLastError();
    }
    RestoreAttributes(path, attributes);
    return FailedOrAbsent(error);
}

void ScheduleWininitDeletion(const std::string& iniPath, const std::string& path) {
    if (HoldsNul(path)) return;
    // Writing by key would leave one NUL line per run; the system reads every
    // line of the section, so each deletion gets a line of its own.
    AppendProfileLine(iniPath, "Rename", "NUL=" + GetShortPath(path));
}
