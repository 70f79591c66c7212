// The machine's side of the safety rules: where this system keeps its own
// directories, and the verdicts on log items that need the file system or
// the registry to decide. The rules themselves are pure
// (core/epProtectedPaths.h, core/epProtectedKeys.h); nothing here keeps
// state, so a log checker or a preview can call it as the program does.
#pragma once

#include <string>

#include "core/epProtectedPaths.h"
#include "core/epView.h"
#include "win/epPathPlace.h"

// The protected directories of this machine: the Windows directory (also
// the system's own when it differs) as a system tree (TProtectedDirs::AddTree),
// the system directories (System32, SysWOW64, and Sysnative, through which a
// 32-bit program reaches System32), Windows\Fonts and Windows\INF, the
// Program Files and Common Files roots of both views, ProgramData, the
// profiles root with each profile's root and own folders (also profiles
// kept elsewhere), the current user's and the public profile's own folders
// (Documents, Desktop, Pictures, Music, Videos, Downloads, the start menu)
// wherever they were moved. Each as the system names it, in its long form
// and at its real place (a user's Documents may be a link to another
// folder). Drive and share roots are protected without being listed.
TProtectedDirs GatherProtectedDirs();

// The Windows fonts directory, without a trailing backslash.
std::string GetFontsDir();

// The absolute form of path (a relative one taken from the current
// directory) in long form: the whole path when it exists, else its directory
// part when that exists; the path unchanged when the system cannot resolve
// it. A wildcard in the name part is kept as it stands.
std::string GetFullLongPath(const std::string& path);

// True when a "CopyFiles" key must not be expanded (IsRefusedMask), judged
// as written and again at the real place of its directory (TRealPlaces), so
// that neither "..", a short name, a relative path, a share of this machine
// nor a link on the way slips a protected directory past the rule. A mask
// whose directory's place cannot be known is refused; a key that names one
// file is never refused and costs no look at the disk.
bool IsMaskRefused(const std::string& mask, const TProtectedDirs& dirs, TRealPlaces& places);

// True when a "CreateDirs" directory must not be removed: it is protected,
// as written or at its real place, its place cannot be known, or it is a
// reparse point (a junction or a link), whose removal is not that of a
// directory the installation made.
bool IsDirectoryRefused(const std::string& dir, const TProtectedDirs& dirs, TRealPlaces& places);

// True when an "AddReg" or "CreateKeys" path must not be acted on: it names
// a value that many programs share, or it names no existing value (in the
// view, core/epView.h) and would fall back to deleting a protected key. The
// rules judge a path alike in both views.
bool IsRegistryEntryRefused(const std::string& path, TView view = TView::Native);

// True when a "RegFonts" font file may match fonts-key values that hold its
// bare file name: it lies in the Windows fonts directory or is given without
// a directory. A font elsewhere matches only values that hold its path, so
// that it cannot take the registration of a system font of the same name.
bool MatchesFontsByBareName(const std::string& fontFile);
