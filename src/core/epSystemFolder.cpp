// The system folder in the two views of 64-bit Windows (see epSystemFolder.h).
#include "core/epSystemFolder.h"

#include "core/epAsciiCase.h"
#include "core/epProtectedPaths.h"

namespace {

constexpr std::string_view kSystem32 = "System32";
constexpr std::string_view kSysnative = "Sysnative";
constexpr std::string_view kSysWow64 = "SysWOW64";

// The folders below System32 that a 32-bit program reaches as they are: the
// system keeps one copy of them for both kinds of program.
constexpr std::string_view kUnredirected[] = {
    "catroot", "catroot2", "driverstore", "drivers\\etc", "logfiles", "spool",
};

// The byte as the comparisons below read it: "/" as "\", ASCII letters upper-cased.
char FoldPathByte(char c) { return c == '/' ? '\\' : UpperAscii(c); }

// True when text begins with prefix, ASCII letter case aside and "/" read as
// "\", and the prefix ends there or at a backslash.
bool StartsWithComponent(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (FoldPathByte(text[i]) != FoldPathByte(prefix[i])) return false;
    }
    return text.size() == prefix.size() || FoldPathByte(text[prefix.size()]) == '\\';
}

// A path taken apart at the system folder it lies in.
struct TSystemPart {
    std::string_view Windows;  // up to the Windows directory, as written
    std::string_view Folder;   // kSystem32 or kSysnative
    std::string_view Below;    // after the folder: empty or "\..."
};

std::optional<TSystemPart> FindSystemPart(std::string_view path, std::string_view windowsDir) {
    if (windowsDir.empty() || !StartsWithComponent(path, windowsDir) ||
        path.size() == windowsDir.size())
        return std::nullopt;
    const std::string_view inWindows = path.substr(windowsDir.size() + 1);
    for (const std::string_view folder : {kSystem32, kSysnative}) {
        if (StartsWithComponent(inWindows, folder)) {
            return TSystemPart{path.substr(0, windowsDir.size()), folder,
                               inWindows.substr(folder.size())};
        }
    }
    return std::nullopt;
}

// The folder through which this program reaches the part's folder in the
// view; empty when it names nothing here.
std::optional<std::string_view> TargetFolder(const TSystemPart& part, TView view,
                                             const TSystemLayout& layout) {
    if (!layout.Windows64) {
        if (view == TView::Bits64 && part.Folder == kSystem32) return std::nullopt;
        return part.Folder;
    }
    if (!layout.Program64) {
        // The system redirects a 32-bit program's System32 on its own.
        if (view == TView::Bits64 && part.Folder == kSystem32) return kSysnative;
        return part.Folder;
    }
    if (part.Folder == kSysnative) return kSystem32;
    const std::string_view below = part.Below.empty() ? part.Below : part.Below.substr(1);
    if (view == TView::Bits32 && !IsUnredirectedSystemPath(below)) return kSysWow64;
    return kSystem32;
}

// True when a component of the path is "." or "..", or empty (a doubled
// backslash): its written form may not show where it leads.
bool HoldsDotComponent(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && FoldPathByte(path[i]) != '\\') continue;
        const std::string_view component = path.substr(start, i - start);
        const bool doubled = component.empty() && i > 1 && i < path.size();
        if (component == "." || component == ".." || doubled) return true;
        start = i + 1;
    }
    return false;
}

}  // namespace

bool IsUnredirectedSystemPath(std::string_view belowSystem32) {
    for (const std::string_view folder : kUnredirected) {
        if (StartsWithComponent(belowSystem32, folder)) return true;
    }
    return false;
}

std::optional<std::string> PathInView(std::string_view path, TView view,
                                      const TSystemLayout& layout) {
    if (view == TView::Native) return std::string(path);
    std::optional<TSystemPart> part;
    if (!HoldsDotComponent(path)) part = FindSystemPart(path, layout.WindowsDir);
    // Spelled otherwise ("C:\Windows\.\System32", "C:/WINDOWS//system32",
    // "System32\..\System32"): taken in the form the safety rules compare.
    std::string normalized;
    if (!part) {
        normalized = NormalizeDirectory(path);
        const std::string windows = NormalizeDirectory(layout.WindowsDir);
        if (!normalized.empty()) part = FindSystemPart(normalized, windows);
    }
    if (!part) return std::string(path);
    const std::optional<std::string_view> folder = TargetFolder(*part, view, layout);
    if (!folder) return std::nullopt;
    if (*folder == part->Folder) return std::string(path);
    std::string mapped(part->Windows);
    mapped += '\\';
    mapped += *folder;
    mapped += part->Below;
    return mapped;
}

std::string PathForOtherBitness(std::string_view path, const TSystemLayout& layout) {
    if (!layout.Windows64) return std::string(path);
    // This program's own view, seen by the other: for it, what this one
    // names is in this one's view.
    TSystemLayout other = layout;
    other.Program64 = !layout.Program64;
    const TView own = layout.Program64 ? TView::Bits64 : TView::Bits32;
    return PathInView(path, own, other).value_or(std::string(path));
}
