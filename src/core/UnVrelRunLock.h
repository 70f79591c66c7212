// The names of the system objects through which two starts on the same log
// find each other: the run lock and the record of the process that shows the
// run's windows.
//
// Both are named from the log's file identity (volume and file index), not
// from its path: every spelling of the log (\\?\, a share, another drive
// letter, short names) meets the same lock.
#pragma once

#include <string>
#include <string_view>

#include "core/epFileIdentity.h"

// The session's own namespace, which every program of the session shares.
constexpr std::string_view kSessionNamespace = "Local\\";

// The alias of the private namespace that only administrators can create:
// an elevated run keeps its lock there, out of reach of the user's other,
// non-elevated programs.
constexpr std::string_view kAdminNamespaceAlias = "TamskUninstaller";

// The lock of the runs on the log: the namespace prefix ("Local\" or the
// private alias and a backslash), "TamskUninstaller.Run." and the identity as
// FileIdentityText writes it.
std::string RunLockName(std::string_view prefix, const TFileIdentity& log);

// The record, beside the lock, of the process whose windows show the run:
// the same with "TamskUninstaller.Owner.".
std::string RunOwnerName(std::string_view prefix, const TFileIdentity& log);
