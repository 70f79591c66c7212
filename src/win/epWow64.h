// The two views of 64-bit Windows as this program meets them: whether the
// system has them, the registry access flag that opens a key in one, and the
// path through which a file of one is reached (core/epSystemFolder.h).
// Nothing is shown and nothing throws.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/epSystemFolder.h"
#include "core/epView.h"

// True on 64-bit Windows: this program is the x86_64 build, or a 32-bit
// program that the system runs under WOW64.
bool IsWindows64();

// True when the view exists on this system: every view but Bits64 on
// 32-bit Windows, where there is one view and nothing lies in a 64-bit one.
bool ViewExists(TView view);

// The flag that opens a registry key in the view: KEY_WOW64_32KEY or
// KEY_WOW64_64KEY on 64-bit Windows; 0 for Native, and on 32-bit Windows
// (whose older versions refuse the flags).
REGSAM ViewAccess(TView view);

// This machine's Windows directory and bitness, read once.
const TSystemLayout& SystemLayout();

// The path through which this program reaches what path names in the view
// (PathInView for this machine); a path spelled with a short name or taken
// from the current directory is judged in its full long form. Nothing when
// it names nothing here (the 64-bit System32 on 32-bit Windows).
std::optional<std::string> FileInView(const std::string& path, TView view);
