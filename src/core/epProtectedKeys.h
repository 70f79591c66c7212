// Registry keys and values that no log line removes: the system's own places,
// which a damaged log names as easily as the application's. Pure rules over
// registry paths (grammar in core/epRegPath.h), so that the program, a log
// checker or a preview judge an item alike without touching the registry.
//
// Keys are compared component by component, ignoring ASCII case, in one
// folded form: empty components and "Wow6432Node" are left out,
// HKLM\SOFTWARE\Classes\X and HKCU\Software\Classes\X are HKCR\X,
// HKU\<user>\X is HKCU\X (HKU\<user>_Classes\X is HKCR\X) and
// HKLM\SYSTEM\ControlSetNNN is HKLM\SYSTEM\CurrentControlSet.
#pragma once

#include <string_view>

// True when deleting the key that keyPath names (a trailing backslash is
// optional) would take a protected place with it: a root key, a key directly
// under HKLM, HKCU or HKU (and HKU\<user>\Software), a protected key such as
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run or HKCR\CLSID, a key that
// holds a shared value (IsSharedRegistryValue: ...\Session Manager\Environment,
// ...\Windows NT\CurrentVersion\Windows), or any ancestor of one. The keys below a protected key (an application's own
// ...\Uninstall\App or HKCR\CLSID\{class}) are not protected. False for a
// path whose root is not recognised: it reaches no key.
bool IsProtectedRegistryKey(std::string_view keyPath);

// True when valuePath names a value that many programs share and that no log
// line removes: Path, PATHEXT and PSModulePath of either Environment key,
// Shell and Userinit of Winlogon, BootExecute of Session Manager, AppInit_DLLs
// of Windows NT\CurrentVersion\Windows.
bool IsSharedRegistryValue(std::string_view valuePath);
