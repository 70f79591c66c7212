// Which file a path or an open handle names, as the file system tells it
// (volume and file index): what the run lock is named from, and what the one
// rule for "the same file" (IsSameFilePath, win/epPathIdentity.h) compares.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/epFileIdentity.h"

// The identity of an open file or directory; nothing when the system does
// not tell.
std::optional<TFileIdentity> GetFileIdentity(HANDLE file);

// The identity of the file or directory at path, opened for no access at all
// (so that no sharing of another program's open keeps it from being asked);
// nothing when it cannot be opened.
std::optional<TFileIdentity> GetFileIdentity(const std::string& path);

// True when path names the file whose identity is given (false when path
// does not open).
bool IsFileWithIdentity(const std::string& path, const TFileIdentity& identity);
