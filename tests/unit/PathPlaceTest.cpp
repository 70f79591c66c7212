// What a path's spelling stands for on this machine: shares of this machine
// and of others, device prefixes, substituted drives, and the mask and
// directory rules judged on that place.
#include "core/epPathPlace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TLocalShares SampleShares() {
    TLocalShares shares;
    shares.SetWindowsDir("C:\\Windows");
    shares.AddServerName("TAMSK-PC");
    shares.AddServerName("tamsk-pc.example.org");
    shares.AddShare("Users", "C:\\Users");
    shares.AddShare("Data", "D:\\Data");
    return shares;
}

TEST(PathPlace, SpellingsAndTheFolderTheyStandFor) {
    using K = TPlaceKind;
    struct Case {
        const char* path;
        TPlaceKind kind;
        const char* place;
    };
    const Case cases[] = {
        // This machine's shares, under each of its names.
        {"\\\\localhost\\C$\\Windows\\System32", K::Local, "C:\\Windows\\System32"},
        {"\\\\LOCALHOST\\c$", K::Local, "C:\\"},
        {"//localhost/C$/Users/Bob", K::Local, "C:\\Users\\Bob"},
        {"\\\\?\\UNC\\localhost\\C$\\Windows", K::Local, "C:\\Windows"},
        {"\\\\.\\UNC\\127.0.0.1\\D$\\x", K::Local, "D:\\x"},
        {"\\??\\UNC\\[::1]\\ADMIN$\\System32", K::Local, "C:\\Windows\\System32"},
        {"\\\\127.1.2.3\\Users\\Public", K::Local, "C:\\Users\\Public"},
        {"\\\\tamsk-pc\\users\\\\Bob", K::Local, "C:\\Users\\Bob"},
        {"\\\\TAMSK-PC.EXAMPLE.ORG\\Data", K::Local, "D:\\Data"},
        {"\\\\0--1.ipv6-literal.net\\C$\\x", K::Local, "C:\\x"},
        // Device prefixes and plain paths.
        {"\\??\\C:\\Users\\x", K::Local, "C:\\Users\\x"},
        {"\\\\?\\C:\\Users", K::Local, "C:\\Users"},
        {"\\\\.\\c:", K::Local, "c:\\"},
        {"C:\\App", K::Local, "C:\\App"},
        {"App\\x", K::Local, "App\\x"},
        // Another machine: its administrative shares as this machine's
        // layout, its other shares as written.
        {"\\\\server\\C$\\Windows", K::Remote, "C:\\Windows"},
        {"\\\\server\\admin$", K::Remote, "C:\\Windows"},
        {"\\\\server\\apps\\Tamsk", K::Remote, "\\\\server\\apps\\Tamsk"},
        {"\\\\127.0.0\\C$", K::Remote, "C:\\"},
        // Nothing tells where these are.
        {"\\\\localhost\\Secret\\x", K::Unknown, ""},
        {"\\\\?\\UNC\\localhost\\IPC$", K::Unknown, ""},
        {"\\\\?\\Volume{0a1b}\\App", K::Unknown, ""},
        {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\x", K::Unknown, ""},
        {"\\\\.\\pipe\\x", K::Unknown, ""},
    };
    const TLocalShares shares = SampleShares();
    for (const Case& c : cases) {
        const TPlace place = LocalSpelling(c.path, shares);
        EXPECT_EQ(place.Kind, c.kind) << c.path;
        EXPECT_EQ(place.Path, c.place) << c.path;
    }
}

TEST(PathPlace, ShareParts) {
    TSharePath share;
    ASSERT_TRUE(ParseSharePath("\\\\?\\unc\\srv\\sh\\a\\b", share));
    EXPECT_EQ(share.Server + "|" + share.Share + "|" + share.Rest, "srv|sh|a\\b");
    ASSERT_TRUE(ParseSharePath("\\\\srv\\sh", share));
    EXPECT_EQ(share.Rest, "");
    for (const char* path : {"\\\\srv", "\\\\srv\\", "\\\\\\sh", "C:\\x", "\\\\?\\C:\\x", "\\x"})
        EXPECT_FALSE(ParseSharePath(path, share)) << path;
}

TEST(PathPlace, RegistrySettingsAndSubstitutedDrives) {
    using namespace std::string_literals;
    EXPECT_EQ(ShareFolderOfSettings("CSCFlags=0\0MaxUses=4294967295\0Path=D:\\Data\0Type=0\0\0"s),
              "D:\\Data");
    EXPECT_EQ(ShareFolderOfSettings("path=C:\\x"s), "C:\\x");
    EXPECT_EQ(ShareFolderOfSettings("Type=0\0\0"s), "");

    struct Case {
        const char* path;
        const char* target;
        const char* place;
    };
    const Case cases[] = {
        {"Q:\\System32", "\\??\\C:\\Windows", "C:\\Windows\\System32"},
        {"q:", "\\??\\C:\\Windows", "C:\\Windows"},
        {"Q:\\", "\\??\\C:", "C:\\"},
        {"Q:\\x", "\\Device\\HarddiskVolume1", ""},
        {"Q:\\x", "\\Device\\LanmanRedirector\\;Q:0\\srv\\share", ""},
        {"\\\\srv\\share", "\\??\\C:\\Windows", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(SubstitutedPath(c.path, c.target), c.place) << c.path;
}

TEST(PathPlace, RulesJudgeTheFolderASpellingStandsFor) {
    TProtectedDirs dirs;
    dirs.AddTree("C:\\Windows");
    dirs.Add("C:\\Windows\\System32");
    dirs.AddProfilesRoot("C:\\Users");
    const TLocalShares shares = SampleShares();
    struct Case {
        const char* path;
        bool refusedMask;
        bool protectedDir;
    };
    const Case cases[] = {
        {"\\\\localhost\\C$\\windows\\system32\\*.zq5", true, true},
        {"\\\\?\\UNC\\localhost\\C$\\windows\\system32\\*.zq6", true, true},
        {"\\\\localhost\\C$\\windows\\*.zqt", true, true},
        {"\\\\localhost\\C$\\users\\root\\*.zqu", true, true},
        {"\\\\tamsk-pc\\Users\\Public\\Documents\\*.*", true, true},
        {"\\\\server\\ADMIN$\\System32\\drivers\\*.sys", true, false},
        {"\\\\localhost\\Secret\\*.*", true, true},
        {"\\\\?\\Volume{0a1b}\\App\\*.*", true, true},
        {"\\\\localhost\\C$\\App\\*.*", false, false},
        {"\\\\localhost\\C$\\windows\\system32\\tamsk*.dll", false, true},
        {"\\\\server\\apps\\Tamsk\\*.*", false, false},
        {"\\\\localhost\\Secret\\a.dll", false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsRefusedMaskSpelling(c.path, shares, dirs), c.refusedMask) << c.path;
        // The same spelling's directory, as a CreateDirs line names it.
        std::string dir(c.path);
        dir = dir.substr(0, dir.rfind('\\'));
        EXPECT_EQ(IsProtectedDirSpelling(dir, shares, dirs), c.protectedDir) << dir;
    }
    EXPECT_TRUE(IsProtectedDirSpelling("\\??\\C:\\users\\x", shares, dirs));
    EXPECT_TRUE(IsProtectedDirSpelling("\\\\localhost\\C$", shares, dirs));
    EXPECT_FALSE(IsProtectedDirSpelling("\\\\localhost\\C$\\App", shares, dirs));
}

}  // namespace
