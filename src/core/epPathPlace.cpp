// What a path's spelling stands for on this machine (see epPathPlace.h).
#include "core/epPathPlace.h"

#include <algorithm>

#include "core/epAsciiCase.h"
#include "core/epFileUtils.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TakeComponent(std::string_view& rest) {
    const std::size_t end = rest.find('\\');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return part;
}

// 127.0.0.1 and the rest of the loopback network: four dotted numbers, the first 127.
bool IsLoopbackV4(std::string_view server) {
    if (!StartsWithAscii(server, "127.")) return false;
    int dots = 0;
    for (char c : server) {
        if (c == '.') {
            ++dots;
        } else if (!IsDigit(c)) {
            return false;
        }
    }
    return dots == 3 && server.back() != '.';
}

// "::1" in the spellings a path may give it: bracketed, with its zeros
// written out, or as the name the system gives an address in a path.
bool IsLoopbackV6(const std::string& upper) {
    return upper == "::1" || upper == "[::1]" || upper == "0:0:0:0:0:0:0:1" ||
           upper == "0--1.IPV6-LITERAL.NET";
}

std::string Join(const std::string& folder, std::string_view rest) {
    if (rest.empty()) return folder;
    return AddBackslash(folder) + std::string(rest);
}

// The folder of an administrative share ("C$", "ADMIN$"), or empty.
std::string AdministrativeFolder(std::string_view share, const std::string& windowsDir) {
    if (share.size() == 2 && IsAsciiLetter(share[0]) && share[1] == '$')
        return std::string(1, UpperAscii(share[0])) + ":\\";
    if (UpperAscii(share) == "ADMIN$") return windowsDir;
    return std::string();
}

}  // namespace

bool ParseSharePath(std::string_view path, TSharePath& share) {
    const std::string slashed = ToBackslashes(path);
    std::string_view rest = slashed;
    if (HasDevicePrefix(rest)) {
        rest.remove_prefix(4);
        if (!StartsWithAscii(rest, "UNC\\")) return false;
        rest.remove_prefix(4);
    } else if (StartsWithAscii(rest, "\\\\")) {
        rest.remove_prefix(2);
    } else {
        return false;
    }
    const std::string_view server = TakeComponent(rest);
    const std::string_view name = TakeComponent(rest);
    if (server.empty() || name.empty()) return false;
    while (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
    share = TSharePath{std::string(server), std::string(name), std::string(rest)};
    return true;
}

void TLocalShares::AddServerName(std::string_view name) {
    if (!name.empty()) servers_.push_back(UpperAscii(name));
}

void TLocalShares::AddShare(std::string_view name, std::string_view folder) {
    if (!name.empty() && !folder.empty())
        shares_.emplace_back(UpperAscii(name), std::string(folder));
}

void TLocalShares::SetWindowsDir(std::string_view dir) { windowsDir_ = std::string(dir); }

bool TLocalShares::IsThisMachine(std::string_view server) const {
    const std::string upper = UpperAscii(server);
    if (upper == "LOCALHOST" || IsLoopbackV4(upper) || IsLoopbackV6(upper)) return true;
    return std::find(servers_.begin(), servers_.end(), upper) != servers_.end();
}

std::string TLocalShares::FolderOf(std::string_view share) const {
    std::string folder = AdministrativeFolder(share, windowsDir_);
    if (!folder.empty()) return folder;
    const std::string upper = UpperAscii(share);
    for (const auto& [name, path] : shares_) {
        if (name == upper) return path;
    }
    return std::string();
}

std::string ShareFolderOfSettings(std::string_view multiSz) {
    while (!multiSz.empty()) {
        const std::size_t end = multiSz.find('\0');
        const std::string_view text = multiSz.substr(0, end);
        if (StartsWithAscii(text, "Path=")) return std::string(text.substr(5));
        if (end == std::string_view::npos) break;
        multiSz.remove_prefix(end + 1);
    }
    return std::string();
}

TPlace LocalSpelling(std::string_view path, const TLocalShares& shares) {
    const std::string slashed = ToBackslashes(path);
    TSharePath share;
    if (ParseSharePath(slashed, share)) {
        if (shares.IsThisMachine(share.Server)) {
            const std::string folder = shares.FolderOf(share.Share);
            if (folder.empty()) return TPlace{};
            return TPlace{TPlaceKind::Local, Join(folder, share.Rest)};
        }
        const std::string folder = AdministrativeFolder(share.Share, shares.FolderOf("ADMIN$"));
        return TPlace{TPlaceKind::Remote, folder.empty() ? slashed : Join(folder, share.Rest)};
    }
    if (HasDevicePrefix(slashed)) {
        const std::string_view rest = std::string_view(slashed).substr(4);
        const bool drive = rest.size() >= 2 && IsAsciiLetter(rest[0]) && rest[1] == ':' &&
                           (rest.size() == 2 || rest[2] == '\\');
        if (!drive) return TPlace{};
        const std::string local(rest);
        return TPlace{TPlaceKind::Local, rest.size() == 2 ? local + "\\" : local};
    }
    return TPlace{TPlaceKind::Local, slashed};
}

std::string SubstitutedPath(std::string_view path, std::string_view driveTarget) {
    const bool drive = path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
    if (!drive || !StartsWithAscii(driveTarget, "\\??\\")) return std::string();
    const std::string_view folder = driveTarget.substr(4);
    if (folder.size() < 2 || !IsAsciiLetter(folder[0]) || folder[1] != ':') return std::string();
    std::string_view rest = path.substr(2);
    while (!rest.empty() && (rest.front() == '\\' || rest.front() == '/')) rest.remove_prefix(1);
    return Join(folder.size() == 2 ? std::string(folder) + "\\" : std::string(folder), rest);
}

bool IsRefusedMaskSpelling(std::string_view mask, const TLocalShares& shares,
                           const TProtectedDirs& dirs) {
    if (IsRefusedMask(mask, dirs)) return true;
    if (!IsMaskPath(mask)) return false;
    const TPlace place = LocalSpelling(mask, shares);
    return place.Kind == TPlaceKind::Unknown || IsRefusedMask(place.Path, dirs);
}

bool IsProtectedDirSpelling(std::string_view dir, const TLocalShares& shares,
                            const TProtectedDirs& dirs) {
    if (dirs.Contains(dir)) return true;
    const TPlace place = LocalSpelling(dir, shares);
    return place.Kind == TPlaceKind::Unknown || dirs.Contains(place.Path);
}
