// The registry path grammar (see epRegPath.h).
#include "core/epRegPath.h"

#include "core/epFileUtils.h"
#include "core/epStrUtils.h"

namespace {

// Root and subkey path of a key part: the root name runs to its first
// backslash, the subkey path is everything after it.
void ResolveKeyPart(std::string_view keyPart, TRegistryPath& parts) {
    const std::string rootName = TextBefore(keyPart, '\\');
    parts.Root = RegistryRootByName(rootName);
    parts.View = RegistryViewByName(rootName);
    parts.SubKey = TextAfter(keyPart, '\\');
}

// The roots that can be named in one view: a 32-bit program's HKU holds the
// same keys as a 64-bit one's, so only these three have view names.
struct TViewRoot {
    std::string_view Name;
    TRegistryRoot Root;
};

constexpr TViewRoot kViewRoots[] = {
    {"HKCR", TRegistryRoot::ClassesRoot},
    {"HKCU", TRegistryRoot::CurrentUser},
    {"HKLM", TRegistryRoot::LocalMachine},
};

// The view suffix of a root name ("32" or "64") and the root it follows.
const TViewRoot* FindViewRoot(std::string_view name, TView& view) {
    if (name.size() != 6) return nullptr;
    const std::optional<TView> suffix = ViewByName(name.substr(4));
    if (!suffix) return nullptr;
    for (const TViewRoot& root : kViewRoots) {
        if (name.substr(0, 4) == root.Name) {
            view = *suffix;
            return &root;
        }
    }
    return nullptr;
}

}  // namespace

TView RegistryViewByName(std::string_view name) {
    TView view = TView::Native;
    return FindViewRoot(name, view) != nullptr ? view : TView::Native;
}

TRegistryRoot RegistryRootByName(std::string_view name) {
    TView view = TView::Native;
    if (const TViewRoot* root = FindViewRoot(name, view)) return root->Root;
    if (name == "HKCR") return TRegistryRoot::ClassesRoot;
    if (name == "HKCU") return TRegistryRoot::CurrentUser;
    if (name == "HKLM") return TRegistryRoot::LocalMachine;
    if (name == "HKU") return TRegistryRoot::Users;
    return TRegistryRoot::None;
}

std::size_t FindRegistrySeparator(std::string_view path) {
    char openQuote = 0;
    for (std::size_t i = path.size(); i > 0; --i) {
        const char c = path[i - 1];
        if (c == '\'' || c == '"') {
            if (openQuote == 0)
                openQuote = c;
            else if (openQuote == c)
                openQuote = 0;
        } else if (openQuote == 0 && c == '\\') {
            return i;
        }
    }
    return 0;
}

TRegistryPath ParseRegistryPath(std::string_view path) {
    TRegistryPath parts;
    const std::size_t separator = FindRegistrySeparator(path);
    std::string_view keyPart;
    std::string_view valueName = path;
    if (separator > 0) {
        keyPart = path.substr(0, separator - 1);
        valueName = path.substr(separator);
    }
    parts.ValueName = StripQuotes(valueName, kApostrophe);
    if (!keyPart.empty() && !HoldsNul(path)) ResolveKeyPart(keyPart, parts);
    return parts;
}

std::string RegistryKeyPath(std::string_view path) { return AddBackslash(path); }

TRegistryPath SplitRegistryKeyName(std::string_view path) {
    TRegistryPath parts;
    std::string_view key = path;
    if (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    const std::size_t last = key.rfind('\\');
    if (last == std::string_view::npos || HoldsNul(path)) return parts;
    ResolveKeyPart(key.substr(0, last), parts);
    parts.ValueName = std::string(key.substr(last + 1));
    return parts;
}

bool NamesRootKey(const TRegistryPath& parts) {
    return parts.Root != TRegistryRoot::None &&
           parts.SubKey.find_first_not_of('\\') == std::string::npos;
}

std::string RegistryValuePath(std::string_view keyPath, std::string_view name) {
    return std::string(keyPath) + "'" + ReplaceAll(name, "'", "''") + "'";
}
