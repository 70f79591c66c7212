// The registry path grammar: one string names a registry key or value, root
// name first, as the installation log writes registry entries.
//
//   root name \ subkey path \ value name
//
// The separating backslash is the last one that stands outside quotes, the
// path being scanned from its end (a quote opened by ' or " is closed by the
// same character; the other kind inside it is plain text). A value name that
// starts with a single quote is taken without its quotes, a doubled quote
// inside them standing for one. Root names are "HKCR", "HKCU", "HKLM" and
// "HKU", matched exactly; "HKCR32", "HKCU32", "HKLM32" and the same with 64
// name a root in one view of 64-bit Windows (core/epView.h). A path holding a NUL byte is never resolved: the
// system's calls would read only the part before it. Pure byte-string code:
// the Win32 side maps the root to its key (win/epRegIni.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/epView.h"

enum class TRegistryRoot { None, ClassesRoot, CurrentUser, LocalMachine, Users };

// A path taken apart. Root is None when the root name is not recognised (or
// the path has no key part, or holds a NUL byte); SubKey is empty for the root key itself;
// ValueName is empty for a key's default value. View is the one the root
// name gives (HKLM64: Bits64), Native for a root name without one.
struct TRegistryPath {
    TRegistryRoot Root = TRegistryRoot::None;
    TView View = TView::Native;
    std::string SubKey;
    std::string ValueName;
};

// The root that the name denotes, compared exactly; None for any other text.
// A name with a view ("HKLM64") denotes its root as well.
TRegistryRoot RegistryRootByName(std::string_view name);

// The view that the root name gives: Bits32 for "HKLM32", "HKCU32" and
// "HKCR32", Bits64 for the same with 64, Native for any other text.
TView RegistryViewByName(std::string_view name);

// The path of the value `name` under `keyPath` (which ends in a backslash):
// the name between single quotes, a quote inside it doubled, so that
// backslashes and quotes in it never split the path.
std::string RegistryValuePath(std::string_view keyPath, std::string_view name);

// Position (from 1) of the separating backslash, or 0 when the path has none
// outside quotes.
std::size_t FindRegistrySeparator(std::string_view path);

// The path as a value path: key part before the separator (root, then the
// subkey path after its first backslash), value name after it. Without a
// separator the key part is empty, so the root is None.
TRegistryPath ParseRegistryPath(std::string_view path);

// The key path form: the path with a trailing backslash (an empty path stays
// empty), so that the whole of it is the key part and the value name is empty.
std::string RegistryKeyPath(std::string_view path);

// The key that a key path names, as its parent and its own name: the path
// without its trailing backslash is split at its last backslash, quotes
// playing no part, so the name is exactly the last component that opening the
// key used. Root is None when there is no parent to split off.
TRegistryPath SplitRegistryKeyName(std::string_view path);

// True when the parsed key part names a root key alone (its subkey path is
// empty or only backslashes): such a key must never be deleted.
bool NamesRootKey(const TRegistryPath& parts);
