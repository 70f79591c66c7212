// What a path's spelling stands for on this machine, before any safety rule
// judges it: a share of this machine is its local folder ("\\localhost\C$\x"
// is "C:\x"), the device prefixes ("\\?\", "\\.\", "\??\") are dropped, and a
// spelling whose folder cannot be told (a share of this machine that is not
// known, a volume or device name) says so. Pure: the machine's names and
// shares are data that the caller gathers (win/epPathPlace.h), which also
// follows the links on the way; a log checker uses the standard machine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/epProtectedPaths.h"

// A path written as a share: "\\server\share\rest", "\\?\UNC\server\share\rest"
// (also with "\\.\" or "\??\"). Rest has no leading backslash and may be empty.
struct TSharePath {
    std::string Server;
    std::string Share;
    std::string Rest;
};

// True, with its parts, when the path (with "\" or "/") is written as a share.
bool ParseSharePath(std::string_view path, TSharePath& share);

// The names under which this machine answers and the folders it shares.
class TLocalShares {
public:
    // A name of this machine beside those every machine has ("localhost",
    // 127.x.x.x, "::1"): its computer name, its DNS names, its addresses.
    void AddServerName(std::string_view name);
    // A share of this machine and the local folder it stands for.
    void AddShare(std::string_view name, std::string_view folder);
    // The Windows directory, which the administrative share "ADMIN$" stands for.
    void SetWindowsDir(std::string_view dir);

    bool IsThisMachine(std::string_view server) const;
    // The local folder of the share, or empty: "X$" is drive X's root on any
    // machine, "ADMIN$" the Windows directory, any other share only as
    // added (compared ignoring ASCII case).
    std::string FolderOf(std::string_view share) const;

private:
    std::vector<std::string> servers_;  // upper-cased
    std::vector<std::pair<std::string, std::string>> shares_;  // upper-cased name, folder
    std::string windowsDir_;
};

// The folder of a share as the server service keeps it in the registry: a
// REG_MULTI_SZ of "Name=value" texts, one of them "Path=C:\folder". Empty
// when none is.
std::string ShareFolderOfSettings(std::string_view multiSz);

enum class TPlaceKind {
    Local,    // a folder of this machine, spelled with its drive (or relative as given)
    Remote,   // a share of another machine, judged as written
    Unknown,  // cannot be told: a share of this machine that is not known, a device name
};

struct TPlace {
    TPlaceKind Kind = TPlaceKind::Unknown;
    std::string Path;  // empty for Unknown
};

// What the spelling stands for without looking at the disk: a share of this
// machine becomes its local folder plus the rest, "\\?\C:\x", "\\.\C:\x" and
// "\??\C:\x" become "C:\x"; a path without a root stays as written (Local).
// Another machine's administrative shares ("\\srv\C$\x", "\\srv\ADMIN$\x")
// are read as the same folders of this machine's layout, so that the rules
// that protect this machine's system folders protect that machine's too;
// its other shares stay as written (Remote). Names that no folder has
// ("\\?\Volume{…}\", "\\?\GLOBALROOT\…", "\\.\pipe\…") are Unknown.
TPlace LocalSpelling(std::string_view path, const TLocalShares& shares);

// The path on a substituted drive read as the folder the drive stands for:
// "Q:\\x" with the drive's device target "\??\C:\\Windows" is "C:\\Windows\\x".
// Empty when the path has no drive letter or the target is not a folder
// (a disk's device name, a network drive).
std::string SubstitutedPath(std::string_view path, std::string_view driveTarget);

// The mask rule (IsRefusedMask) on the place the mask's spelling stands for,
// as written and as LocalSpelling reads it; a mask whose place is Unknown is
// refused. What a log checker can tell without the disk.
bool IsRefusedMaskSpelling(std::string_view mask, const TLocalShares& shares,
                           const TProtectedDirs& dirs);

// True when the directory, as written or as LocalSpelling reads it, is
// protected (TProtectedDirs::Contains), or its place is Unknown.
bool IsProtectedDirSpelling(std::string_view dir, const TLocalShares& shares,
                            const TProtectedDirs& dirs);
