// Protected directories and the mask rule (see epProtectedPaths.h).
#include "core/epProtectedPaths.h"

#include <algorithm>

#include "core/epAsciiCase.h"
#include "core/epFileUtils.h"
#include "core/epTextCase.h"

namespace {

// A name part needs this many leading characters that are not wildcards
// before it may sweep a protected directory.
constexpr std::size_t kLeadingLiterals = 3;

// The characters that make a name part a pattern (the last three are the
// system's own DOS wildcards). Tested byte by byte, without a library call
// per byte: asked for every file of a run.
bool IsWildcard(char c) { return c == '*' || c == '?' || c == '<' || c == '>' || c == '"'; }

bool StartsWith(std::string_view text, std::string_view head) {
    return text.size() >= head.size() && text.substr(0, head.size()) == head;
}


// The text up to the next backslash, which is taken off rest with it.
std::string_view TakeComponent(std::string_view& rest) {
    const std::size_t end = rest.find('\\');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return part;
}

// The root of an absolute path ("C:\" or "\\server\share"), taken off rest;
// empty when the path has none.
std::string TakeRoot(std::string_view& rest) {
    const bool device = HasDevicePrefix(rest);
    rest = WithoutDevicePrefix(rest);
    bool share = false;
    if (device && StartsWithAscii(rest, "UNC\\")) {
        rest.remove_prefix(4);
        share = true;
    } else if (!device && StartsWith(rest, "\\\\")) {
        rest.remove_prefix(2);
        share = true;
    }
    if (share) {
        const std::string_view server = TakeComponent(rest);
        const std::string_view name = TakeComponent(rest);
        if (server.empty() || name.empty()) return std::string();
        return "\\\\" + std::string(server) + "\\" + std::string(name);
    }
    if (rest.size() < 3 || !IsAsciiLetter(rest[0]) || rest[1] != ':' || rest[2] != '\\')
        return std::string();
    const std::string root(rest.substr(0, 3));
    rest.remove_prefix(3);
    return root;
}

// The components of the path below its root, as the system resolves them:
// "." and empty ones dropped, ".." taking back the one before it, trailing
// dots and blanks dropped.
std::vector<std::string> ResolveComponents(std::string_view rest) {
    std::vector<std::string> parts;
    while (!rest.empty()) {
        std::string part(TakeComponent(rest));
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        if (!part.empty()) parts.push_back(std::move(part));
    }
    return parts;
}

bool IsDriveRootForm(const std::string& normal) { return normal.size() == 3 && normal[1] == ':'; }

bool IsRootForm(const std::string& normal) {
    if (IsDriveRootForm(normal)) return true;
    // "\\SERVER\SHARE": one backslash after the leading pair.
    return StartsWith(normal, "\\\\") && normal.find('\\', 2) == normal.rfind('\\');
}

// The normalized parent of a normalized directory; empty for a root.
std::string ParentOf(const std::string& normal) {
    if (IsRootForm(normal)) return std::string();
    std::string parent = normal.substr(0, normal.rfind('\\'));
    if (parent.size() == 2 && parent[1] == ':') parent += '\\';
    return parent;
}

void InsertSorted(std::vector<std::string>& list, std::string item) {
    const auto at = std::lower_bound(list.begin(), list.end(), item);
    if (at == list.end() || *at != item) list.insert(at, std::move(item));
}

bool HoldsSorted(const std::vector<std::string>& list, const std::string& item) {
    return std::binary_search(list.begin(), list.end(), item);
}

// The normalized ancestors of a normalized directory, nearest first.
std::vector<std::string> AncestorsOf(const std::string& normal) {
    std::vector<std::string> ancestors;
    for (std::string parent = ParentOf(normal); !parent.empty(); parent = ParentOf(parent))
        ancestors.push_back(parent);
    return ancestors;
}

std::size_t CountLeadingLiterals(std::string_view name) {
    return static_cast<std::size_t>(std::find_if(name.begin(), name.end(), IsWildcard) - name.begin());
}

}  // namespace

std::string NormalizeDirectory(std::string_view path) {
    const std::string slashed = ToBackslashes(path);
    std::string_view rest = slashed;
    std::string normal = TakeRoot(rest);
    if (normal.empty()) return normal;
    for (const std::string& part : ResolveComponents(rest)) {
        if (normal.back() != '\\') normal += '\\';
        normal += part;
    }
    return UpperCaseAnsi(normal);
}

bool HasWildcard(std::string_view path) { return std::any_of(path.begin(), path.end(), IsWildcard); }

bool IsMaskPath(std::string_view path) {
    const std::string slashed = ToBackslashes(path);
    return HasWildcard(WithoutDevicePrefix(slashed));
}

bool IsPlainFullPath(std::string_view path) {
    if (path.size() < 3 || !IsAsciiLetter(path[0]) || path[1] != ':' || path[2] != '\\')
        return false;
    const bool plainBytes = std::all_of(path.begin(), path.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x80 && c != '/' && c != '~' && !IsWildcard(c);
    });
    if (!plainBytes) return false;
    std::string_view rest = path.substr(3);
    while (!rest.empty()) {
        const std::string_view part = TakeComponent(rest);
        if (part.empty() || part == "." || part == ".." || part.back() == '.' || part.back() == ' ')
            return false;
    }
    return true;
}

void TProtectedDirs::Add(std::string_view dir) {
    std::string normal = NormalizeDirectory(dir);
    if (!normal.empty()) InsertSorted(dirs_, std::move(normal));
}

void TProtectedDirs::AddWithChildren(std::string_view dir) {
    std::string normal = NormalizeDirectory(dir);
    if (normal.empty()) return;
    InsertSorted(dirs_, normal);
    InsertSorted(parents_, std::move(normal));
}

void TProtectedDirs::AddProfilesRoot(std::string_view dir) {
    std::string normal = NormalizeDirectory(dir);
    if (normal.empty()) return;
    AddWithChildren(normal);
    InsertSorted(profiles_, std::move(normal));
}

void TProtectedDirs::AddTree(std::string_view dir) {
    std::string normal = NormalizeDirectory(dir);
    if (normal.empty()) return;
    InsertSorted(dirs_, normal);
    InsertSorted(trees_, std::move(normal));
}

// "C:\USERS\BOB\DOCUMENTS": below a profiles root, past the profile's own
// root, one of the folders every profile has.
bool TProtectedDirs::IsProfileFolder(const std::string& normal) const {
    if (profiles_.empty()) return false;
    for (const std::string& ancestor : AncestorsOf(normal)) {
        if (!HoldsSorted(profiles_, ancestor)) continue;
        // What follows "ROOT\PROFILE\".
        const std::size_t profileEnd = normal.find('\\', ancestor.size() + 1);
        if (profileEnd == std::string::npos) continue;
        const std::string rest = normal.substr(profileEnd + 1);
        const std::vector<std::string>& known = ProfileKnownFolders();
        if (std::find(known.begin(), known.end(), rest) != known.end()) return true;
    }
    return false;
}

bool TProtectedDirs::IsInTree(const std::string& normal) const {
    if (trees_.empty()) return false;
    if (HoldsSorted(trees_, normal)) return true;
    for (const std::string& ancestor : AncestorsOf(normal)) {
        if (HoldsSorted(trees_, ancestor)) return true;
    }
    return false;
}

bool TProtectedDirs::Contains(std::string_view dir) const {
    const std::string normal = NormalizeDirectory(dir);
    if (normal.empty()) return false;
    if (IsRootForm(normal) || HoldsSorted(dirs_, normal)) return true;
    const std::string parent = ParentOf(normal);
    return (!parent.empty() && HoldsSorted(parents_, parent)) || IsProfileFolder(normal);
}

bool TProtectedDirs::GuardsMasks(std::string_view dir) const {
    return Contains(dir) || IsInTree(NormalizeDirectory(dir));
}

const std::vector<std::string>& ProfileKnownFolders() {
    static const std::vector<std::string> folders = {
        "DESKTOP", "DOCUMENTS", "DOWNLOADS", "MUSIC", "PICTURES", "VIDEOS", "FAVORITES",
        "MY DOCUMENTS", "APPDATA", "APPDATA\\LOCAL", "APPDATA\\LOCALLOW", "APPDATA\\ROAMING",
    };
    return folders;
}

bool IsRefusedMask(std::string_view mask, const TProtectedDirs& dirs) {
    const std::string path = ToBackslashes(mask);
    if (!HasWildcard(WithoutDevicePrefix(path))) return false;
    const std::string dir = ExtractFileDir(path);
    if (HasWildcard(WithoutDevicePrefix(dir)) || NormalizeDirectory(dir).empty()) return true;
    return dirs.GuardsMasks(dir) && CountLeadingLiterals(ExtractFileName(path)) < kLeadingLiterals;
}

bool IsInDirectory(std::string_view path, std::string_view dir) {
    const std::string own = NormalizeDirectory(ExtractFileDir(ToBackslashes(path)));
    return !own.empty() && own == NormalizeDirectory(dir);
}
