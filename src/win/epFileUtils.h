// File and path primitives on the Win32 API.
//
// A file handle counts as open when it is neither 0 (no file) nor
// INVALID_HANDLE_VALUE (a failed open). Paths are ANSI byte strings; a path
// holding a NUL byte names nothing: every operation fails (or does nothing)
// for it without calling the system, which would read only its first part.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/epDeletion.h"
#include "core/epFileUtils.h"

// True for a handle that refers to an open file.
bool IsOpenHandle(HANDLE handle);

// CreateFileA with no security attributes and no template; the handle as the
// system returns it (INVALID_HANDLE_VALUE on failure).
HANDLE OpenFileHandle(const std::string& name, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags);

// Closes the handle and sets the variable to 0.
void CloseFileHandle(HANDLE& handle);

// True when the current position is at or past the end of the file.
bool AtEndOfFile(HANDLE handle);

// The next line from the current position, without its CR; LF bytes are dropped.
// A read error behaves as the end of the file.
std::string ReadTextLine(HANDLE handle);

// Everything from the current position to the end of the file (stops at a read error).
std::string ReadRestOfFile(HANDLE handle);

// Writes the bytes at the current position, in as many calls as the system
// needs; true when every byte was written, false at the first call that
// fails or writes nothing (what came before it stays written).
bool WriteAllBytes(HANDLE handle, std::string_view bytes);

// Writes text followed by CR LF; the count written is not checked.
void WriteTextLine(HANDLE handle, std::string_view text);

// The file's attributes (GetFileAttributesW on the path's system form);
// INVALID_FILE_ATTRIBUTES, with the system's error, when it cannot be read.
DWORD ReadFileAttributes(const std::string& path);

// True when the path names an existing directory.
bool IsExistingDirectory(const std::string& path);

// True when the path names an existing file (a directory does not count).
bool IsExistingFile(const std::string& path);

// RemoveBackslash with the lead bytes of the ANSI code page.
std::string RemoveBackslash(std::string_view path);

// Creates the directory and every missing parent; failures are ignored.
void CreateDirectoryPath(const std::string& path);

// Short form of the path, or the path itself when the system gives none.
std::string GetShortPath(const std::string& path);

// The absolute form of the path (GetFullPathNameA: relative to the current
// directory, "." and ".." resolved, nothing asked of the disk); empty when
// the system cannot give one.
std::string GetFullPath(const std::string& path);

// The Windows directory, without a trailing backslash (as the system gives it).
std::string GetWindowsDir();

// The user's temporary folder, without a trailing backslash (a drive root
// keeps it); empty when the system does not tell.
std::string GetTempDir();

// Creates the one directory path (its parent must exist) with the security
// given (nullptr: what its parent passes on). False with the system's error
// when it was not created: ERROR_ALREADY_EXISTS for a directory or file
// already there, which is never taken for a new one.
bool CreateDirectoryWith(const std::string& path, SECURITY_ATTRIBUTES* security);

// Makes the file's attributes normal (no read-only, hidden or system); false
// when the system refuses.
bool ClearFileAttributes(const std::string& path);

// ---- Deletion and deletion at the next restart ----

// The platform identifier (dwPlatformId of GetVersionExA) that decides how a
// deletion is put off until the next restart. VER_PLATFORM_WIN32_NT until
// RecordPlatformId has run; every other value counts as the 95 family.
extern DWORD PlatformId;

// Reads the platform identifier into PlatformId; called once at start-up.
// Leaves it unchanged when the system does not tell.
void RecordPlatformId();

// Deletes the file as it is, attributes untouched; false with the system's
// error (GetLastError) when it was refused or is not there.
bool DeleteFilePlain(const std::string& path);

// Removes the directory when it is empty; false with the system's error
// (ERROR_DIR_NOT_EMPTY for one that still holds something).
bool RemoveEmptyDirectory(const std::string& path);

// Deletes the file, clearing its read-only, hidden and system attributes
// first when the plain deletion was refused. True when the file was
// deleted; false for a missing or locked file (or a directory), whose
// attributes are then put back as they were.
bool DeleteFileForced(const std::string& path);

// Arranges for the file to be deleted when the system next starts, in the way
// PlatformId calls for. False (GetLastError tells why) when the system
// refused; the file then stays.
bool DeleteFileOnReboot(const std::string& path);

// The NT way: MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT, the path as given.
// False when the system refused (no right to schedule, for instance).
bool DeleteFileOnRebootNT(const std::string& path);

// The 95-family way: a "NUL=" line with the file's short path (the long path
// when there is no short form) in section "Rename" of the Windows directory's
// wininit.ini, kept in the profile cache until it is flushed. Always true.
bool DeleteFileOnRebootWin9x(const std::string& path);

// Deletes the file now as DeleteFileForced does or, only when it is in use,
// at the next restart: when the deletion failed with a sharing or lock
// violation, or was denied although the file opens for deletion (a running
// program, a loaded library). A file scheduled so is left without its
// read-only attribute, which would stop the deletion at the restart. A file
// the process may not delete, and one that cannot be scheduled, stays with
// its attributes: Failed with the system's error code.
TDeletionResult DeleteFileOrSchedule(const std::string& path);

// Adds a "NUL=" line for path to section "Rename" of the INI file iniPath
// through the profile cache. Every earlier line of the section stays, so
// several pending deletions and the lines of other programs all survive.
void ScheduleWininitDeletion(const std::string& iniPath, const std::string& path);
