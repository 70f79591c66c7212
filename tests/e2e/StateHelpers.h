// Prepares and checks what an uninstallation acts on: case directories and
// files, registry keys and values, INI files, and the list of deletions the
// system will carry out at the next restart. Paths and texts are ANSI bytes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win/handles.h"

namespace e2e {

// The root of every case directory.
constexpr const char* kCaseRoot = "C:\\tamsk-e2e";

// Empties and recreates C:\tamsk-e2e\<name> and returns its path (no trailing
// backslash); empty when it cannot be made.
std::string MakeCaseDir(const std::string& name);

// Deletes a directory tree, read-only files included, whatever its names
// (UTF-8) and depth; true when it is gone. Links in it are removed, never
// followed. Refuses drive roots, the case root itself and anything outside it.
bool RemoveCaseTree(const std::string& path);

// Creates or truncates the file (parent directories included) with exactly bytes.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// The file's whole content, or nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);

bool FileExists(const std::string& path);       // an existing file, not a directory
bool DirectoryExists(const std::string& path);

// Sets the read-only attribute.
bool MakeReadOnly(const std::string& path);

// Makes link (a Windows path) a symbolic link of the Unix side to the
// directory target, which Wine reports as a reparse point and follows as a
// junction (Wine 8 cannot make either itself). True when the link is there.
bool MakeUnixLink(const std::string& link, const std::string& target);
// Removes the link itself, never what it leads to; true when it is gone.
bool RemoveUnixLink(const std::string& link);

// Holds a file open without delete sharing, so that deleting it fails with a
// sharing violation (error 32) until this object dies.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    bool held() const noexcept { return static_cast<bool>(file_); }
    void Release() { file_.reset(); }

private:
    UniqueFile file_;
};

// ---- Registry (subkeys relative to a predefined root) ----
//
// view is KEY_WOW64_32KEY or KEY_WOW64_64KEY for one view of 64-bit Windows,
// 0 for this program's own (the 64-bit one).

// The view of a log without "[Options] View=": the 32-bit one.
constexpr REGSAM kOldLogView = KEY_WOW64_32KEY;

bool CreateKey(HKEY root, const std::string& subkey, REGSAM view = 0);
bool KeyExists(HKEY root, const std::string& subkey, REGSAM view = 0);
bool SetStringValue(HKEY root, const std::string& subkey, const std::string& name,
                    const std::string& value, REGSAM view = 0);
bool SetDwordValue(HKEY root, const std::string& subkey, const std::string& name, DWORD value,
                   REGSAM view = 0);
bool ValueExists(HKEY root, const std::string& subkey, const std::string& name, REGSAM view = 0);
std::optional<std::string> ReadStringValue(HKEY root, const std::string& subkey,
                                           const std::string& name, REGSAM view = 0);
std::optional<DWORD> ReadDwordValue(HKEY root, const std::string& subkey,
                                    const std::string& name, REGSAM view = 0);
bool DeleteValue(HKEY root, const std::string& subkey, const std::string& name, REGSAM view = 0);

// Deletes the key and everything below it; true when it is gone. Refuses a
// subkey of fewer than two levels ("Software" alone), so a slip cannot wipe a hive.
bool DeleteKeyTree(HKEY root, const std::string& subkey, REGSAM view = 0);

// The strings of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager
// PendingFileRenameOperations in order, each source followed by its target
// (empty for a deletion); empty when the value is missing.
std::vector<std::string> ReadPendingRenames();

// Removes that value, so that a case starts with no pending operations.
bool ClearPendingRenames();

// The path as PendingFileRenameOperations names it: "\??\" and the path.
std::string PendingName(const std::string& path);

// ---- Paths in UTF-8, of any length ----
//
// For the cases whose names the ANSI functions cannot spell: every path goes
// to the system in its "\\?\" form.

std::wstring WideOf(const std::string& utf8);
// The "\\?\" form of a full path in UTF-8.
std::wstring LongFormOf(const std::string& path);
// Creates the directory and its parents; true when it is there.
bool MakeDirsAnyPath(const std::string& path);
// Creates or truncates the file (parent directories included) with exactly bytes.
bool WriteFileAnyPath(const std::string& path, const std::string& bytes);
// The file's content (up to 64 KB), or "(unreadable)".
std::string ReadFileAnyPath(const std::string& path);
bool ExistsAnyPath(const std::string& path);  // a file or a directory

// The names in the user's temporary folder (UTF-8), sorted.
std::vector<std::string> ListTempDirNames();

// ---- INI files ----

// One value through the system's profile functions; nothing when the key is
// missing.
std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& key);

}  // namespace e2e
