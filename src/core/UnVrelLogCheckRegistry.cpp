// The log checker on the registry sections: "AddReg" (values, or keys when no
// such value exists) and "CreateKeys" (keys with everything below them).
#include <string>

#include "core/UnVrelLogCheckView.h"
#include "core/epProtectedKeys.h"
#include "core/epRegPath.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"

namespace logcheck {

namespace {

const char* const kRootNames[] = {"HKCR",   "HKCU",   "HKLM",   "HKU",    "HKCR32",
                                  "HKCU32", "HKLM32", "HKCR64", "HKCU64", "HKLM64"};

struct TLongRoot {
    const char* LongName;
    const char* ShortName;
};

const TLongRoot kLongRoots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR"},
    {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_USERS", "HKU"},
};

// The short name for a long root name, with the view it may end in
// ("HKEY_LOCAL_MACHINE_64" or "HKEY_LOCAL_MACHINE64" is "HKLM64"); empty
// when root is not that long name.
std::string ShortFormOf(std::string_view root, const TLongRoot& form) {
    const std::string_view longName = form.LongName;
    if (root.size() < longName.size() || !SameTextI(root.substr(0, longName.size()), longName))
        return std::string();
    std::string_view suffix = root.substr(longName.size());
    if (suffix.empty()) return form.ShortName;
    if (suffix.front() == '_') suffix.remove_prefix(1);
    const bool hasViews = std::string_view(form.ShortName) != "HKU";
    if (!hasViews || !ViewByName(suffix)) return std::string();
    return std::string(form.ShortName) + std::string(suffix);
}

// Why the path's root is not recognised, as one sentence; empty when it is.
std::string ExplainRoot(const std::string& path, const TRegistryPath& parts) {
    if (parts.Root != TRegistryRoot::None) return std::string();
    if (FindRegistrySeparator(path) == 0) {
        const bool quotes = path.find_first_of("'\"") != std::string::npos;
        return quotes ? "a quote in " + Quoted(path) +
                            " is never closed, so the path has no key part"
                      : Quoted(path) + " has no key part: write root\\key\\value";
    }
    const std::string root = TextBefore(path, '\\');
    for (const char* name : kRootNames) {
        if (SameTextI(root, name)) {
            return "root " + Quoted(root) + " must be written " + Quoted(name) +
                   ": root names are matched exactly, so this line reaches nothing";
        }
    }
    for (const TLongRoot& form : kLongRoots) {
        const std::string shortName = ShortFormOf(root, form);
        if (!shortName.empty()) {
            return "root " + Quoted(root) + " must be written " + Quoted(shortName) +
                   ": only the short names are read, so this line reaches nothing";
        }
    }
    return "root " + Quoted(root) +
           " is not one of HKCR, HKCU, HKLM, HKU (or HKCR, HKCU, HKLM with 32 or 64): this "
           "line reaches nothing";
}

// True when the root is the one fault: reported with a code of its own.
bool CheckRoot(const TSectionView& section, const TEntry& entry, const std::string& path,
               const TRegistryPath& parts, TFindings& findings) {
    const std::string why = ExplainRoot(path, parts);
    if (why.empty()) return false;
    const std::string root = TextBefore(path, '\\');
    bool caseOnly = false;
    for (const char* name : kRootNames) caseOnly = caseOnly || SameTextI(root, name);
    findings.Add(entry.Line, TSeverity::Error, caseOnly ? "lower-case-root" : "unknown-root",
                 section.Name, why);
    return true;
}

bool CheckNamesSomething(const TSectionView& section, const TEntry& entry,
                         const std::string& path, TFindings& findings) {
    if (!path.empty()) return true;
    findings.Add(entry.Line, TSeverity::Error, "empty-item", section.Name,
                 "the line begins with \"=\" and names no registry entry");
    return false;
}

// A key written under Wow6432Node by hand reaches the 32-bit view only by
// the 64-bit program's back door; the view of the entry says it plainly.
void NoteWow6432Node(const TSectionView& section, const TEntry& entry, const std::string& path,
                     TFindings& findings) {
    std::string_view rest = path;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('\\');
        if (SameTextI(rest.substr(0, slash), "Wow6432Node")) {
            findings.Add(entry.Line, TSeverity::Note, "wow6432node", section.Name,
                         Quoted(path) + " names Wow6432Node by hand: the uninstaller takes the "
                         "path as written in the entry's view; write the key without it and "
                         "let a 32-bit view (HKLM32, or [Options] View=32) lead there");
            return;
        }
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
}

void CheckValue(const TSectionView& section, const TEntry& entry, TFindings& findings) {
    const std::string path = ItemOf(section.Name, entry.Text);
    if (!CheckNamesSomething(section, entry, path, findings)) return;
    const TRegistryPath parts = ParseRegistryPath(path);
    if (CheckRoot(section, entry, path, parts, findings)) return;
    if (IsSharedRegistryValue(path)) {
        findings.Add(entry.Line, TSeverity::Error, "shared-value", section.Name,
                     Quoted(path) + " is a value that many programs share; it is never deleted");
    } else if (IsProtectedRegistryKey(path)) {
        findings.Add(entry.Line, TSeverity::Error, "protected-key", section.Name,
                     "when no value " + Quoted(parts.ValueName) + " exists, the line names the key " +
                         Quoted(path) + ", which is the system's own (or holds such a key) and "
                         "is never deleted");
    } else {
        NoteWow6432Node(section, entry, path, findings);
    }
}

void CheckKey(const TSectionView& section, const TEntry& entry, TFindings& findings) {
    const std::string path = ItemOf(section.Name, entry.Text);
    if (!CheckNamesSomething(section, entry, path, findings)) return;
    const std::string keyPath = RegistryKeyPath(path);
    const TRegistryPath parts = ParseRegistryPath(keyPath);
    if (CheckRoot(section, entry, keyPath, parts, findings)) return;
    if (NamesRootKey(parts)) {
        findings.Add(entry.Line, TSeverity::Error, "protected-key", section.Name,
                     Quoted(path) + " is a root key, which is never deleted");
    } else if (IsProtectedRegistryKey(keyPath)) {
        findings.Add(entry.Line, TSeverity::Error, "protected-key", section.Name,
                     Quoted(path) + " is the system's own key, or holds one, and is never "
                     "deleted: name the application's own keys below it");
    } else {
        NoteWow6432Node(section, entry, path, findings);
    }
}

}  // namespace

void CheckRegistry(const TLogView& log, TFindings& findings) {
    if (const TSectionView* values = log.Find("AddReg")) {
        for (const TEntry& entry : values->Entries) CheckValue(*values, entry, findings);
    }
    if (const TSectionView* keys = log.Find("CreateKeys")) {
        for (const TEntry& entry : keys->Entries) CheckKey(*keys, entry, findings);
    }
}

}  // namespace logcheck
