// The one rule for "the same file": two paths name the same file when both
// open and the file system gives them one identity (volume and file index);
// when either cannot be opened, when their identities (GetPathIdentity) are
// equal. The self-copy, the run lock and the hold on the log all ask here.
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

// The rule above: true when a and b name the same file.
bool IsSameFile(const std::string& a, const std::string& b);
