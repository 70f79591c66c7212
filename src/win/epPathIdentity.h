// One spelling for every way of writing a path: full (relative paths taken
// from the current directory), long names for short ones, one letter case.
// Two spellings of the same existing file give the same identity.
#pragma once

#include <string>

// The full path in its long form. A path that does not exist, or whose long
// form the system does not give, stays in its full form as written; a path
// the system cannot make full stays as it is.
std::string GetFullLongPath(const std::string& path);

// GetFullLongPath upper-cased by the user locale: compare identities with ==.
std::string GetPathIdentity(const std::string& path);
