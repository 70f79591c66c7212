// Registry keys and values that no log line removes (see epProtectedKeys.h).
#include "core/epProtectedKeys.h"

#include <string>
#include <vector>

#include "core/epAsciiCase.h"
#include "core/epRegPath.h"

namespace {

using TComponents = std::vector<std::string>;

// A key in the folded form: its root and its components, upper-cased.
struct TFoldedKey {
    TRegistryRoot Root = TRegistryRoot::None;
    TComponents Parts;
};

// The system's own keys. Those under "SOFTWARE" hold for HKLM and HKCU alike:
// each user's hive has the same places for the same purposes.
const char* const kSoftwareKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions",
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
    "SOFTWARE\\Classes",
    "SOFTWARE\\Policies",
};

const char* const kMachineKeys[] = {
    "SYSTEM\\CurrentControlSet\\Services",
    "SYSTEM\\CurrentControlSet\\Control",
    "SYSTEM\\CurrentControlSet\\Control\\Lsa",
    "SYSTEM\\CurrentControlSet\\Control\\SafeBoot",
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
    "SYSTEM\\CurrentControlSet\\Enum",
    "SYSTEM\\MountedDevices",
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
};

const char* const kUserKeys[] = {
    "Control Panel",
    "Environment",
};

// Classes that the system itself defines: COM registration, the shell's
// universal classes, the file types of programs and shortcuts, and the
// common document types that the system opens with its own programs (an
// installer adds its verbs below them, never owns them), with the
// protocols every browser shares.
const char* const kClassKeys[] = {
    "CLSID", "Interface", "TypeLib", "AppID", "*", "Directory", "Folder", "Drive",
    "AllFilesystemObjects", "SystemFileAssociations", "Unknown",
    "exefile", "dllfile", "lnkfile", "batfile", "cmdfile", "comfile", "piffile", "scrfile",
    "cplfile", "sysfile", "regfile", "inifile", "inffile", "txtfile", "htmlfile", "htafile",
    "InternetShortcut", "CompressedFolder", "jpegfile", "pngfile", "giffile", "Paint.Picture",
    "icofile", "xmlfile", "VBSFile", "JSFile", "WSFFile", "Msi.Package",
    ".exe", ".dll", ".lnk", ".bat", ".cmd", ".com", ".pif", ".scr", ".cpl", ".sys", ".reg",
    ".ini", ".inf", ".txt", ".log", ".htm", ".html", ".hta", ".url", ".zip", ".jpg", ".jpeg",
    ".png", ".gif", ".bmp", ".ico", ".xml", ".vbs", ".js", ".wsf", ".msi",
    "http", "https", "ftp", "mailto", "file",
};

struct TSharedValues {
    TRegistryRoot Root;
    const char* Key;
    std::vector<const char*> Names;
};

const char* const kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* const kEnvironment =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char* const kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "CONTROLSET001": one of the numbered sets that CurrentControlSet points to.
bool IsNumberedControlSet(const std::string& part) {
    const std::string prefix = "CONTROLSET";
    if (part.size() <= prefix.size() || part.compare(0, prefix.size(), prefix) != 0) return false;
    for (std::size_t i = prefix.size(); i < part.size(); ++i) {
        if (!IsDigit(part[i])) return false;
    }
    return true;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The upper-cased components of a subkey path, without empty ones and
// without "Wow6432Node", which only mirrors the same places for 32-bit programs.
TComponents SplitComponents(std::string_view subKey) {
    TComponents parts;
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = subKey.find('\\', start);
        if (end == std::string_view::npos) end = subKey.size();
        std::string part = UpperAscii(subKey.substr(start, end - start));
        if (!part.empty() && part != "WOW6432NODE") parts.push_back(std::move(part));
        start = end + 1;
    }
    return parts;
}

void DropFirst(TComponents& parts, std::size_t count) {
    parts.erase(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(count));
}

// Brings the other names of one place to one form: a user's hive under HKU
// to HKCU, the classes stores to HKCR, a numbered control set to the current one.
TFoldedKey Fold(TRegistryRoot root, std::string_view subKey) {
    TFoldedKey key{root, SplitComponents(subKey)};
    if (key.Root == TRegistryRoot::Users && !key.Parts.empty()) {
        key.Root = EndsWith(key.Parts[0], "_CLASSES") ? TRegistryRoot::ClassesRoot
                                                       : TRegistryRoot::CurrentUser;
        DropFirst(key.Parts, 1);
    }
    const bool hive =
        key.Root == TRegistryRoot::LocalMachine || key.Root == TRegistryRoot::CurrentUser;
    if (hive && key.Parts.size() > 2 && key.Parts[0] == "SOFTWARE" && key.Parts[1] == "CLASSES") {
        key.Root = TRegistryRoot::ClassesRoot;
        DropFirst(key.Parts, 2);
    }
    if (key.Root == TRegistryRoot::LocalMachine && key.Parts.size() > 1 &&
        key.Parts[0] == "SYSTEM" && IsNumberedControlSet(key.Parts[1]))
        key.Parts[1] = "CURRENTCONTROLSET";
    return key;
}

const std::vector<TSharedValues>& SharedValues() {
    static const std::vector<TSharedValues> values = {
        {TRegistryRoot::LocalMachine, kEnvironment, {"PATH", "PATHEXT", "PSMODULEPATH"}},
        {TRegistryRoot::CurrentUser, "Environment", {"PATH", "PATHEXT", "PSMODULEPATH"}},
        {TRegistryRoot::LocalMachine, kWinlogon, {"SHELL", "USERINIT"}},
        {TRegistryRoot::CurrentUser, kWinlogon, {"SHELL", "USERINIT"}},
        {TRegistryRoot::LocalMachine, kSessionManager, {"BOOTEXECUTE"}},
        {TRegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
         {"APPINIT_DLLS"}},
    };
    return values;
}

std::vector<TFoldedKey> MakeProtectedKeys() {
    std::vector<TFoldedKey> keys;
    const auto add = [&keys](TRegistryRoot root, const char* path) {
        keys.push_back({root, SplitComponents(path)});
    };
    for (const char* path : kSoftwareKeys) {
        add(TRegistryRoot::LocalMachine, path);
        add(TRegistryRoot::CurrentUser, path);
    }
    for (const char* path : kMachineKeys) add(TRegistryRoot::LocalMachine, path);
    for (const char* path : kUserKeys) add(TRegistryRoot::CurrentUser, path);
    for (const char* path : kClassKeys) add(TRegistryRoot::ClassesRoot, path);
    // A key that holds a shared value would take the value with it.
    for (const TSharedValues& shared : SharedValues()) add(shared.Root, shared.Key);
    return keys;
}

const std::vector<TFoldedKey>& ProtectedKeys() {
    static const std::vector<TFoldedKey> keys = MakeProtectedKeys();
    return keys;
}

// True when key is place itself or one of its ancestors.
bool IsSelfOrAncestor(const TFoldedKey& key, const TFoldedKey& place) {
    if (key.Root != place.Root || key.Parts.size() > place.Parts.size()) return false;
    for (std::size_t i = 0; i < key.Parts.size(); ++i) {
        if (key.Parts[i] != place.Parts[i]) return false;
    }
    return true;
}

bool IsSameKey(const TFoldedKey& a, const TFoldedKey& b) {
    return a.Parts.size() == b.Parts.size() && IsSelfOrAncestor(a, b);
}

// A root, or a key whose loss takes a whole hive's worth of programs with it.
bool IsHiveTop(const TFoldedKey& key) {
    switch (key.Root) {
        case TRegistryRoot::LocalMachine:
        case TRegistryRoot::CurrentUser: return key.Parts.size() <= 1;
        default: return key.Parts.empty();
    }
}

}  // namespace

bool IsProtectedRegistryKey(std::string_view keyPath) {
    const TRegistryPath parts = ParseRegistryPath(RegistryKeyPath(keyPath));
    if (parts.Root == TRegistryRoot::None) return false;
    // HKU itself and each user's hive directly under it, before the hive is
    // folded into the HKCU form.
    if (parts.Root == TRegistryRoot::Users && SplitComponents(parts.SubKey).size() <= 1)
        return true;
    const TFoldedKey key = Fold(parts.Root, parts.SubKey);
    if (IsHiveTop(key)) return true;
    for (const TFoldedKey& place : ProtectedKeys()) {
        if (IsSelfOrAncestor(key, place)) return true;
    }
    return false;
}

bool IsSharedRegistryValue(std::string_view valuePath) {
    const TRegistryPath parts = ParseRegistryPath(valuePath);
    if (parts.Root == TRegistryRoot::None) return false;
    const TFoldedKey key = Fold(parts.Root, parts.SubKey);
    const std::string name = UpperAscii(parts.ValueName);
    for (const TSharedValues& shared : SharedValues()) {
        if (!IsSameKey(key, {shared.Root, SplitComponents(shared.Key)})) continue;
        for (const char* sharedName : shared.Names) {
            if (name == sharedName) return true;
        }
    }
    return false;
}
