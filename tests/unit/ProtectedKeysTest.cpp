// Protected registry keys and shared values: the places a damaged log must
// never take with it, beside the application's own keys below them.
#include "core/epProtectedKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProtectedKeys, RootsHivesAndTheSystemsOwnKeysAreProtected) {
    const char* const cases[] = {
        "HKLM", "HKLM\\", "HKLM\\\\", "HKCU", "HKCR\\", "HKU",
        // Directly under a hive, and a user's hive with its Software key.
        "HKLM\\SOFTWARE", "HKLM\\software\\", "HKCU\\Software", "HKLM\\SYSTEM", "HKLM\\\\SOFTWARE",
        "HKU\\.DEFAULT", "HKU\\S-1-5-21-7\\Software", "HKU\\S-1-5-21-7_Classes",
        // Protected keys, in every spelling that reaches them.
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\",
        "HKLM\\software\\microsoft\\windows\\currentversion\\RUNONCE",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\\\App Paths",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions",
        "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
        "HKLM\\SOFTWARE\\Classes", "HKLM\\SOFTWARE\\Policies",
        "HKLM\\SYSTEM\\CurrentControlSet\\Services", "HKLM\\SYSTEM\\ControlSet001\\Control",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "HKCU\\Software\\Classes",
        "HKCU\\Software\\Policies", "HKCU\\Control Panel", "HKCU\\Environment",
        "HKU\\S-1-5-21-7\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
        "HKU\\S-1-5-21-7\\Environment",
        "HKCR\\CLSID", "HKCR\\clsid\\", "HKCR\\*", "HKCR\\exefile", "HKCR\\.DLL",
        "HKCR\\Wow6432Node\\CLSID",
        "HKLM\\SOFTWARE\\Classes\\CLSID", "HKCU\\Software\\Classes\\.exe",
        "HKLM\\SOFTWARE\\Wow6432Node\\Classes\\CLSID", "HKU\\S-1-5-21-7_Classes\\CLSID",
        // Keys that hold a shared value, and more of the system's own.
        "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
        "HKLM\\SYSTEM\\ControlSet001\\Control\\Session Manager",
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
        "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\",
        "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
        "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Lsa",
        "HKLM\\SYSTEM\\CurrentControlSet\\Control\\SafeBoot",
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
        "HKLM\\SYSTEM\\CurrentControlSet\\Enum", "HKLM\\SYSTEM\\MountedDevices",
        "HKCR\\.txt", "HKCR\\txtfile", "HKCR\\.HTML", "HKCR\\htmlfile", "HKCR\\.url",
        "HKCR\\InternetShortcut", "HKCR\\.ini", "HKCR\\regfile", "HKCR\\.zip", "HKCR\\.jpg",
        "HKCR\\.png", "HKCR\\http", "HKLM\\SOFTWARE\\Classes\\.txt",
        // Ancestors of protected keys.
        "HKLM\\SOFTWARE\\Microsoft", "HKLM\\SOFTWARE\\Microsoft\\Windows",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "HKLM\\SYSTEM\\CurrentControlSet",
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT", "HKCU\\Software\\Microsoft",
        "HKLM\\SOFTWARE\\Wow6432Node",
    };
    for (const char* path : cases) EXPECT_TRUE(IsProtectedRegistryKey(path)) << path;
}

TEST(ProtectedKeys, TheApplicationsOwnKeysBelowThemAreNot) {
    const char* const cases[] = {
        "HKLM\\SOFTWARE\\Tamsk Demo",
        "HKCU\\Software\\Tamsk Demo\\Impostazioni",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TamskDemo",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TamskDemo.exe\\",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.tamsk",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunTamsk",
        "HKLM\\SOFTWARE\\Microsoft\\Tamsk",
        "HKLM\\SYSTEM\\CurrentControlSet\\Services\\TamskSvc",
        "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\\Tamsk",
        "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Lsa\\TamskPackage",
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Tamsk",
        "HKLM\\SYSTEM\\CurrentControlSet\\Control\\TamskDriver",
        "HKCR\\.txt\\OpenWithProgids\\TamskDemo.Text", "HKCR\\txtfile\\shell\\TamskOpen",
        "HKCR\\.txt2", "HKCR\\.tamskzip",
        "HKCR\\CLSID\\{12345678-1234-1234-1234-123456789ABC}",
        "HKLM\\SOFTWARE\\Classes\\CLSID\\{12345678-1234-1234-1234-123456789ABC}",
        "HKCR\\.tamsk", "HKCR\\TamskDemo.Document", "HKCR\\*\\shellex\\ContextMenuHandlers\\Tamsk",
        "HKCR\\.exe2", "HKCU\\Software\\Classes\\.tamsk",
        "HKU\\S-1-5-21-7\\Software\\Tamsk Demo", "HKU\\S-1-5-21-7_Classes\\.tamsk",
        // Not a registry path at all: it reaches no key.
        "hklm\\SOFTWARE", "HKEY_LOCAL_MACHINE\\SOFTWARE", "SOFTWARE", "",
    };
    for (const char* path : cases) EXPECT_FALSE(IsProtectedRegistryKey(path)) << path;
}

TEST(ProtectedKeys, SharedValues) {
    struct Case {
        std::string path;
        bool shared;
    };
    const std::string environment =
        "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\\";
    const Case cases[] = {
        {environment + "Path", true},
        {environment + "PATH", true},
        {environment + "'Path'", true},
        {environment + "PSModulePath", true},
        {"HKLM\\SYSTEM\\ControlSet002\\Control\\Session Manager\\Environment\\PATHEXT", true},
        {"HKCU\\Environment\\Path", true},
        {"HKU\\S-1-5-21-7\\Environment\\path", true},
        {"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell", true},
        {"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit", true},
        {"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\BootExecute", true},
        {"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\AppInit_DLLs", true},
        {"HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\"
         "AppInit_DLLs",
         true},
        {"HKCU\\Environment\\TAMSK_HOME", false},
        {"HKCU\\Environment\\", false},
        {"HKCU\\Environment\\Path\\", false},
        {"HKLM\\SOFTWARE\\Tamsk Demo\\Path", false},
        {"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\TamskShell", false},
        {"hklm\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\BootExecute", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSharedRegistryValue(c.path), c.shared) << c.path;
}

}  // namespace
