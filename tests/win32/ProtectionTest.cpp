// The machine's side of the safety rules against Wine's real directories and
// registry: the protected directories it gathers, masks and directories
// judged in their full long form, and the registry services' refusal of
// protected keys and shared values.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestFiles.h"
#include "core/epFileUtils.h"
#include "win/epFileUtils.h"
#include "win/epProtection.h"
#include "win/epRegIni.h"
#include "win/handles.h"

namespace {

std::string Env(const char* name) {
    char buffer[MAX_PATH] = {};
    const DWORD count = GetEnvironmentVariableA(name, buffer, MAX_PATH);
    return count > 0 && count < MAX_PATH ? std::string(buffer, count) : std::string();
}

std::string SystemDir() {
    char buffer[MAX_PATH] = {};
    const UINT count = GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, count);
}

// The directory in which the test's profile lies.
std::string ProfilesRoot() { return ExtractFileDir(Env("USERPROFILE")); }

class Protection : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        dirs_ = GatherProtectedDirs();
        windows_ = GetWindowsDir();
    }

    TProtectedDirs dirs_;
    TRealPlaces places_{GatherLocalShares()};
    std::string windows_;
};

TEST_F(Protection, TheMachinesOwnDirectoriesAreGathered) {
    const std::string programFiles = Env("ProgramFiles");
    ASSERT_FALSE(programFiles.empty());
    ASSERT_NE(GetShortPath(programFiles), programFiles);  // Wine gives short names
    const std::string protectedDirs[] = {
        "C:\\", windows_, SystemDir(), windows_ + "\\SysWOW64", windows_ + "\\Sysnative",
        windows_ + "\\Fonts", windows_ + "\\INF", programFiles, Env("ProgramFiles(x86)"),
        Env("CommonProgramFiles"), Env("CommonProgramFiles(x86)"), Env("ProgramData"),
        Env("USERPROFILE"), Env("PUBLIC"), ProfilesRoot(), ProfilesRoot() + "Someone Else",
        GetShortPath(programFiles),
    };
    for (const std::string& dir : protectedDirs) {
        ASSERT_FALSE(dir.empty());
        EXPECT_TRUE(IsDirectoryRefused(dir, dirs_, places_)) << dir;
    }
    const std::string ownDirs[] = {
        windows_ + "\\Temp", programFiles + "\\Tamsk Demo", Env("APPDATA") + "\\Tamsk",
        Env("ProgramData") + "\\Tamsk", dir_,
    };
    for (const std::string& dir : ownDirs)
        EXPECT_FALSE(IsDirectoryRefused(dir, dirs_, places_)) << dir;
}

// A link to a directory stands for another directory: removing it is not
// removing what the installation made.
TEST_F(Protection, ReparsePointsAreNeverRemovedAsDirectories) {
    const std::string link = TAMSK_REPARSE_DIR;
    ASSERT_NE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u) << link;
    EXPECT_TRUE(IsDirectoryRefused(link, dirs_, places_));
    EXPECT_TRUE(IsDirectoryRefused(link + "\\", dirs_, places_));
    EXPECT_FALSE(IsDirectoryRefused(ExtractFileDir(link), dirs_, places_));
}

TEST_F(Protection, MasksAreJudgedAsWrittenAndInTheirFullLongForm) {
    const std::string shortProgramFiles = GetShortPath(Env("ProgramFiles"));
    const std::string refused[] = {
        "*.*", "..\\*.*", windows_ + "\\System32\\..\\*.*", SystemDir() + "\\*.dll",
        shortProgramFiles + "\\*.exe", GetShortPath(Env("USERPROFILE")) + "\\*.*", "C:\\*.*",
    };
    for (const std::string& mask : refused)
        EXPECT_TRUE(IsMaskRefused(mask, dirs_, places_)) << mask;
    const std::string allowed[] = {
        SystemDir() + "\\tamsk*.dll", dir_ + "\\*.*", shortProgramFiles + "\\Tamsk Demo\\*.log",
        windows_ + "\\notepad.exe",
    };
    for (const std::string& mask : allowed)
        EXPECT_FALSE(IsMaskRefused(mask, dirs_, places_)) << mask;
}

// The place a spelling really stands for: a share of this machine (the test
// prefix shares drive C as \\localhost\C$), a device prefix, a link on the way.
TEST_F(Protection, RealPlacesFollowSharesPrefixesAndLinks) {
    const std::string link = TAMSK_REPARSE_DIR;
    const std::string target = FindRealPlace(ExtractFileDir(link) + "target", TLocalShares());
    ASSERT_FALSE(target.empty());
    struct Case {
        std::string dir;
        std::string place;
    };
    const Case cases[] = {
        {"\\\\localhost\\C$\\windows\\system32", SystemDir()},
        {"\\\\?\\UNC\\localhost\\c$\\windows", windows_},
        {"\\??\\C:\\windows", windows_},
        {"\\\\.\\C:\\windows\\.\\system32", SystemDir()},
        {GetShortPath(Env("ProgramFiles")), Env("ProgramFiles")},
        {link, target},
        {link + "\\missing\\deeper", target + "\\missing\\deeper"},
        {"\\\\localhost\\C$\\no such folder", "C:\\no such folder"},
        // Nothing tells what these stand for.
        {"\\\\localhost\\NoSuchShare\\x", ""},
        {"\\\\?\\GLOBALROOT\\Device\\Nothing", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormalizeDirectory(places_.PlaceOf(c.dir)), NormalizeDirectory(c.place)) << c.dir;
        EXPECT_EQ(places_.PlaceOf(c.dir).empty(), c.place.empty()) << c.dir;
    }
}

// Folders deeper than Wine will name (its final path stops near 260
// characters) are placed through their nearest named ancestor, a link on
// the way followed; a long spelling of a protected folder is still refused.
TEST_F(Protection, RealPlacesOfFoldersTooDeepForTheSystemToName) {
    const std::string link = TAMSK_REPARSE_DIR;
    const std::string target = FindRealPlace(ExtractFileDir(link) + "target", TLocalShares());
    ASSERT_FALSE(target.empty());
    std::string chain;
    while (chain.size() < 500) chain += "\\a-folder-deep-down-at-forty-characters";
    CreateDirectoryPath(dir_ + chain);
    CreateDirectoryPath(link + chain);
    ASSERT_TRUE(IsExistingDirectory(dir_ + chain));
    ASSERT_TRUE(IsExistingDirectory(link + chain));

    EXPECT_EQ(NormalizeDirectory(places_.PlaceOf(dir_ + chain)),
              NormalizeDirectory(FindRealPlace(dir_, TLocalShares()) + chain));
    EXPECT_EQ(NormalizeDirectory(places_.PlaceOf(link + chain)), NormalizeDirectory(target + chain));
    EXPECT_FALSE(IsMaskRefused(dir_ + chain + "\\*.ocx", dirs_, places_));
    std::string detour;
    while (detour.size() < 500) detour += "\\a-folder-never-made\\..";
    EXPECT_TRUE(IsMaskRefused(windows_ + detour + "\\system32\\*.dll", dirs_, places_));
    EXPECT_TRUE(IsDirectoryRefused(windows_ + detour + "\\system32", dirs_, places_));
    // The helpers' removal stops at the short limit: the chains go folder by folder.
    for (const std::string& base : {dir_, link}) {
        for (std::string path = base + chain; path.size() > base.size();
             path = RemoveBackslash(ExtractFileDir(path)))
            RemoveEmptyDirectory(path);
    }
}

// Masks below the Windows directory and in the users' own folders need
// literals however they are spelled; an application's own folders do not.
TEST_F(Protection, MasksAreJudgedAtTheirRealPlace) {
    const std::string refused[] = {
        "\\\\localhost\\C$\\windows\\system32\\*.dll",
        "\\\\?\\UNC\\localhost\\C$\\windows\\*.*",
        "\\\\localhost\\C$\\users\\*.*",
        SystemDir() + "\\drivers\\*.sys",
        windows_ + "\\Temp\\*.*",
        Env("USERPROFILE") + "\\Documents\\*.*",
        Env("USERPROFILE") + "\\Desktop\\*.lnk",
        Env("PUBLIC") + "\\Documents\\*.*",
        Env("APPDATA") + "\\*.*",
        "\\\\localhost\\NoSuchShare\\App\\*.*",
    };
    for (const std::string& mask : refused)
        EXPECT_TRUE(IsMaskRefused(mask, dirs_, places_)) << mask;
    const std::string allowed[] = {
        Env("ProgramFiles") + "\\Tamsk\\*.*", Env("ProgramData") + "\\Tamsk\\*.*",
        Env("APPDATA") + "\\Tamsk\\*.*", Env("LOCALAPPDATA") + "\\Tamsk\\*.*",
        "\\\\localhost\\C$\\Tamsk\\*.*", std::string(TAMSK_REPARSE_DIR) + "\\*.*",
        "\\\\localhost\\NoSuchShare\\App\\a.dll",
    };
    for (const std::string& mask : allowed)
        EXPECT_FALSE(IsMaskRefused(mask, dirs_, places_)) << mask;
    EXPECT_TRUE(IsDirectoryRefused("\\??\\C:\\users", dirs_, places_));
    EXPECT_TRUE(IsDirectoryRefused("\\\\localhost\\C$\\users\\Public", dirs_, places_));
    EXPECT_TRUE(IsDirectoryRefused(Env("PUBLIC") + "\\Documents", dirs_, places_));
    EXPECT_FALSE(IsDirectoryRefused(Env("PUBLIC") + "\\Documents\\Tamsk", dirs_, places_));
}

// The registry services themselves refuse: a handler that forgot to ask
// still cannot take a protected key or a shared value.
class ProtectedRegistry : public ::testing::Test {
protected:
    static constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const char* kOwnKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TamskProtectionTest";
    static constexpr const char* kMarker = "TamskProtectionTest";
    static constexpr const char* kShared = "PSModulePath";

    void SetUp() override {
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kRun, run_.put()), ERROR_SUCCESS);
        ASSERT_TRUE(SetText(run_.get(), kMarker));
        UniqueHkey own;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kOwnKey, own.put()), ERROR_SUCCESS);
        ASSERT_TRUE(SetText(own.get(), "DisplayName"));
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Environment", environment_.put()),
                  ERROR_SUCCESS);
        madeShared_ = !Holds(environment_.get(), kShared);
        if (madeShared_) {
            ASSERT_TRUE(SetText(environment_.get(), kShared));
        }
    }
    void TearDown() override {
        if (run_) RegDeleteValueA(run_.get(), kMarker);
        if (madeShared_ && environment_) RegDeleteValueA(environment_.get(), kShared);
        RegDeleteKeyA(HKEY_CURRENT_USER, kOwnKey);
    }

    static bool SetText(HKEY key, const char* name) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2) ==
               ERROR_SUCCESS;
    }
    static bool Holds(HKEY key, const char* name) {
        return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    UniqueHkey run_;
    UniqueHkey environment_;
    bool madeShared_ = false;
};

TEST_F(ProtectedRegistry, ProtectedKeysAndSharedValuesStayWhileOwnItemsGo) {
    const std::string run = std::string("HKCU\\") + kRun;
    EXPECT_FALSE(DeleteRegistryKey(run));
    EXPECT_FALSE(DeleteRegistryEntry(run + "\\"));
    EXPECT_FALSE(DeleteRegistryKey("HKCU\\Software\\Microsoft"));
    EXPECT_TRUE(Holds(run_.get(), kMarker));
    EXPECT_TRUE(IsRegistryEntryRefused(run));
    EXPECT_TRUE(IsRegistryEntryRefused("HKCU\\Environment\\PSModulePath"));
    EXPECT_FALSE(DeleteRegistryEntry("HKCU\\Environment\\PSModulePath"));
    EXPECT_TRUE(Holds(environment_.get(), kShared));

    // The application's own value below a protected key, and its own key.
    EXPECT_FALSE(IsRegistryEntryRefused(run + "\\" + kMarker));
    EXPECT_TRUE(DeleteRegistryEntry(run + "\\" + kMarker));
    EXPECT_FALSE(Holds(run_.get(), kMarker));
    EXPECT_FALSE(IsRegistryEntryRefused(std::string("HKCU\\") + kOwnKey));
    EXPECT_TRUE(DeleteRegistryEntry(std::string("HKCU\\") + kOwnKey));
}

}  // namespace
