// Directories that no wildcard mask of a log sweeps and that CreateDirs never
// removes, and the one form in which the rules compare directories. Pure
// rules: the machine's own list of protected directories is data that the
// caller gathers (win/epProtection.h), so that the program, a log checker or a
// preview judge an item alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The directory in the form the rules compare: absolute, backslashes only
// ("/" counts as one), no empty, "." or ".." components, the trailing dots
// and blanks of each component dropped, upper-cased (ANSI code page), no
// trailing backslash except for a drive root ("C:\"); a share root reads
// "\\SERVER\SHARE". The prefixes "\\?\", "\\.\" and the native "\??\" (and
// "\\?\UNC\" and its like) are read as the system reads them; a share keeps the
// server's name as written (core/epPathPlace.h tells what it stands for). Empty when the path is not absolute: no drive
// letter followed by ":\", no "\\server\share".
std::string NormalizeDirectory(std::string_view path);

// True when the path holds a wildcard: "*" or "?", or one of the system's
// own "<", ">" and '"', which a directory search also expands.
bool HasWildcard(std::string_view path);

// True when the path names a pattern rather than one file: a wildcard
// stands in it past the device prefix ("\\?\", "\\.\", "\??\") that a path may
// start with.
bool IsMaskPath(std::string_view path);

// True when the system's own path functions would give the path back as it
// stands, letter case aside: a drive-absolute path of plain ASCII, with
// backslashes only, no "." or ".." component, no empty one but a final one,
// none ending in a dot or a blank, no wildcard, and no "~", which every
// short (8.3) alias the system makes holds. Such a path needs no look at the
// disk to be made full and long.
bool IsPlainFullPath(std::string_view path);

// The directories of one machine that are protected.
class TProtectedDirs {
public:
    // Protects the directory; a path that is not absolute is ignored.
    void Add(std::string_view dir);
    // Protects the directory and every directory directly inside it.
    void AddWithChildren(std::string_view dir);
    // A profiles root: protects it, each profile's own root inside it, and
    // in each profile the user's own folders that every profile has
    // (ProfileKnownFolders), whatever the user is called.
    void AddProfilesRoot(std::string_view dir);
    // A system tree (the Windows directory): protects the directory, and
    // brings every directory below it, at any depth, under the mask rule
    // (GuardsMasks) without protecting it from "CreateDirs": an application
    // may have a folder of its own there.
    void AddTree(std::string_view dir);
    // True for a drive or share root, a directory added, a directory
    // directly inside one added with its children, or a profile's own folder
    // of a profiles root. False for a path that is not absolute.
    bool Contains(std::string_view dir) const;
    // True when a mask in the directory must start with literals: it is
    // protected (Contains) or lies anywhere below a system tree.
    bool GuardsMasks(std::string_view dir) const;

private:
    bool IsProfileFolder(const std::string& normal) const;
    bool IsInTree(const std::string& normal) const;

    std::vector<std::string> dirs_;      // normalized, sorted
    std::vector<std::string> parents_;   // normalized, sorted
    std::vector<std::string> profiles_;  // profiles roots, normalized, sorted
    std::vector<std::string> trees_;     // normalized, sorted
};

// The folders, relative to a profile's root and upper-cased, that are the
// user's own in every profile: Desktop, Documents, Downloads, Music,
// Pictures, Videos, Favorites, the older "My Documents", and AppData with its
// Local, LocalLow and Roaming. An application's folder below them is not.
const std::vector<std::string>& ProfileKnownFolders();

// True when a "CopyFiles" key must not be expanded: it holds a wildcard and
// either its directory part is not absolute or holds a wildcard itself, or
// its directory is guarded (TProtectedDirs::GuardsMasks) and its name part
// does not start with at least three characters that are not wildcards
// ("tamsk*.dll" passes, "*.dll" does not). A key without a wildcard names one
// file and is never refused here. The path is judged as written: the caller
// judges the place it really stands for as well (win/epProtection.h).
bool IsRefusedMask(std::string_view mask, const TProtectedDirs& dirs);

// True when path lies directly in dir, both compared in the normalized form;
// false when either is not absolute.
bool IsInDirectory(std::string_view path, std::string_view dir);
