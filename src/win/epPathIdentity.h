// One spelling for every way of writing a path: full (relative paths taken
// from the current directory), long names for short ones, one letter case.
// Two spellings of the same existing file give the same identity.
#pragma once

#include <string>

#include "win/epProtection.h"  // GetFullLongPath

// GetFullLongPath upper-cased by the user locale: compare identities with ==.
std::string GetPathIdentity(const std::string& path);

// The one rule for "the same file", used by the self-copy, the run lock, the
// hold on the log and the report: true when both paths name one file, by the
// file's own identity (its volume and its index there, GetFileIdentity) when
// both can be opened, so that hard links, short names, \?\, shares and
// other drive letters are seen through; else by GetPathIdentity.
bool IsSameFilePath(const std::string& one, const std::string& other);
