// Protected directories and the mask rule: the form in which directories
// are compared, which masks may sweep which directory, and the fonts rule's
// directory test.
#include "core/epProtectedPaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProtectedPaths, NormalizedForm) {
    struct Case {
        const char* path;
        const char* normal;
    };
    const Case cases[] = {
        {"C:\\Windows", "C:\\WINDOWS"},
        {"c:/windows/", "C:\\WINDOWS"},
        {"C:\\", "C:\\"},
        {"C:\\\\Windows\\.\\System32\\..\\", "C:\\WINDOWS"},
        {"C:\\Windows.\\Fonts. .", "C:\\WINDOWS\\FONTS"},
        {"C:\\..\\..", "C:\\"},
        {"\\\\?\\C:\\Windows", "C:\\WINDOWS"},
        {"\\\\.\\C:\\Windows\\", "C:\\WINDOWS"},
        {"\\\\?\\UNC\\srv\\share\\dir", "\\\\SRV\\SHARE\\DIR"},
        {"\\\\srv\\share", "\\\\SRV\\SHARE"},
        {"\\\\srv\\share\\..", "\\\\SRV\\SHARE"},
        {"\\??\\C:\\Users\\x", "C:\\USERS\\X"},
        {"\\??\\UNC\\srv\\share\\x", "\\\\SRV\\SHARE\\X"},
        {"\\\\.\\UNC\\srv\\share", "\\\\SRV\\SHARE"},
        // Not absolute.
        {"C:", ""}, {"C:Windows", ""}, {"Windows", ""}, {"\\Windows", ""}, {"", ""},
        {"\\\\srv", ""}, {"\\\\srv\\", ""}, {"\\\\?\\Volume{1}\\", ""}, {"1:\\x", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(NormalizeDirectory(c.path), c.normal) << c.path;
}

TProtectedDirs SampleDirs() {
    TProtectedDirs dirs;
    dirs.Add("C:\\Windows");
    dirs.Add("C:\\Windows\\System32\\");
    dirs.Add("c:/program files");
    dirs.Add("relative");  // ignored
    dirs.AddProfilesRoot("C:\\Users");
    dirs.AddTree("D:\\WinNT");
    return dirs;
}

// Paths past the short limit reach the system in the "\\?\" form, which it
// does not resolve; the rules resolve every spelling alike before judging,
// so a long detour cannot lead into a protected tree unnoticed.
TEST(ProtectedPaths, LongSpellingsAreJudgedAsTheirShortForms) {
    const std::string deep = "\\" + std::string(300, 'd');
    const struct {
        std::string path;
        const char* normal;
    } cases[] = {
        {"\\\\?\\C:\\App" + deep + "\\..\\..\\Windows", "C:\\WINDOWS"},
        {"C:\\App" + deep + "\\..\\..\\Windows\\", "C:\\WINDOWS"},
        {"\\\\?\\UNC\\srv\\share" + deep + "\\..", "\\\\SRV\\SHARE"},
        {"\\\\?\\C:" + deep + "\\..\\..\\..", "C:\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeDirectory(c.path), c.normal) << c.path;
    EXPECT_TRUE(IsRefusedMask("\\\\?\\C:\\Windows" + deep + "\\..\\*.*", SampleDirs()));
    EXPECT_FALSE(IsRefusedMask("\\\\?\\C:\\App" + deep + "\\*.dll", SampleDirs()));
}

// The paths that may skip the system's full long form: any doubt falls to the system.
TEST(ProtectedPaths, PlainFullPaths) {
    const char* plain[] = {"C:\\", "C:\\Programmi\\Tamsk Demo", "d:\\App\\", "C:\\a.b\\c d\\f.txt"};
    for (const char* path : plain) EXPECT_TRUE(IsPlainFullPath(path)) << path;
    const char* others[] = {"", "C:", "C:App", "\\App", "App\\x", "\\\\srv\\share\\x",
                            "\\\\?\\C:\\App", "C:/App", "C:\\PROGRA~1\\App", "C:\\App\\.\\x",
                            "C:\\App\\..\\x", "C:\\App.\\x", "C:\\App \\x", "C:\\App\\\\x",
                            "C:\\App\\*.dll", "C:\\App\\a?", "C:\\Citt\xE0", "C:\\a\tb"};
    for (const char* path : others) EXPECT_FALSE(IsPlainFullPath(path)) << path;
}

TEST(ProtectedPaths, ProtectedDirectories) {
    struct Case {
        const char* dir;
        bool protectedDir;
    };
    const Case cases[] = {
        {"C:\\", true}, {"D:\\", true}, {"\\\\srv\\share\\", true}, {"C:\\Windows", true},
        {"C:\\WINDOWS\\", true}, {"C:\\Windows\\Temp\\..", true}, {"C:\\Program Files", true},
        {"C:\\Users", true}, {"C:\\Users\\Bob", true}, {"C:\\Users\\Public\\", true},
        {"C:\\Users\\Bob\\Desktop", true}, {"C:\\Users\\Public\\Documents\\", true},
        {"C:\\Users\\Bob\\AppData\\Local", true}, {"\\??\\C:\\Users\\Bob", true},
        {"D:\\WinNT", true},
        {"C:\\Windows\\Temp", false}, {"C:\\Program Files\\Tamsk Demo", false},
        {"C:\\Users\\Bob\\Documents\\Tamsk", false}, {"C:\\Users\\Bob\\AppData\\Local\\Tamsk", false},
        {"C:\\Users\\Bob\\Local", false}, {"C:\\Users\\Documents", true},
        {"D:\\WinNT\\System32\\drivers", false}, {"D:\\Users\\Bob", false},
        {"\\\\srv\\share\\dir", false}, {"relative", false}, {"Windows", false}, {"", false},
    };
    const TProtectedDirs dirs = SampleDirs();
    for (const Case& c : cases) EXPECT_EQ(dirs.Contains(c.dir), c.protectedDir) << c.dir;
}

TEST(ProtectedPaths, Masks) {
    struct Case {
        const char* mask;
        bool refused;
    };
    const Case cases[] = {
        // Not absolute: the directory part lost its drive, or it is missing.
        {"*.*", true}, {"*.dll", true}, {"C:*.*", true}, {"\\App\\*.dll", true},
        {"App\\*.dll", true},
        // A protected directory without three leading literals.
        {"C:\\*.*", true}, {"D:\\*", true}, {"C:\\Windows\\*.*", true}, {"c:/windows/*.dll", true},
        {"C:\\Windows\\System32\\*.dll", true}, {"C:\\Windows\\System32\\..\\*.*", true},
        {"C:\\Windows\\Temp\\..\\ab*.exe", true}, {"\\\\?\\C:\\Windows\\*.*", true},
        {"C:\\Windows\\a?c*.dll", true}, {"C:\\Windows\\<", true}, {"C:\\Users\\*", true},
        {"C:\\Users\\Bob\\*.*", true}, {"C:\\Program Files\\*.exe", true},
        {"\\\\srv\\share\\*.*", true}, {"\\??\\C:\\Users\\*.*", true},
        // Below a system tree, at any depth, and in a profile's own folders.
        {"D:\\WinNT\\*.*", true}, {"D:\\WinNT\\System32\\drivers\\*.sys", true},
        {"d:/winnt/a/b/c/?.x", true}, {"C:\\Users\\Public\\Documents\\*.*", true},
        {"C:\\Users\\Bob\\Desktop\\*.lnk", true}, {"C:\\Users\\Bob\\AppData\\Roaming\\*", true},
        {"D:\\WinNT\\System32\\drivers\\tamsk*.sys", false},
        {"C:\\Users\\Bob\\Documents\\Tamsk\\*.*", false},
        {"C:\\Users\\Bob\\AppData\\Local\\Tamsk\\*.*", false},
        // A wildcard in the directory part cannot be judged.
        {"C:\\*\\*.dll", true}, {"C:\\App?\\a.dll", true},
        // Allowed: a literal start in a protected directory, or a directory of its own.
        {"C:\\Windows\\System32\\tamsk*.dll", false}, {"C:\\Windows\\tam?.ini", false},
        {"C:\\App\\*.*", false}, {"C:\\Users\\Bob\\AppData\\Tamsk\\*.*", false},
        {"C:\\Program Files\\Tamsk Demo\\*.log", false}, {"C:\\Windows\\Temp\\*.*", false},
        {"\\\\srv\\share\\App\\*.dll", false}, {"\\\\?\\C:\\App\\*.dll", false},
        // Exact names are never refused here.
        {"C:\\Windows\\notepad.exe", false}, {"readme.txt", false}, {"C:\\Windows\\", false},
        {"\\??\\C:\\Windows\\notepad.exe", false}, {"\\\\?\\C:\\Users\\a.txt", false},
    };
    const TProtectedDirs dirs = SampleDirs();
    for (const Case& c : cases) EXPECT_EQ(IsRefusedMask(c.mask, dirs), c.refused) << c.mask;
}

TEST(ProtectedPaths, FileDirectlyInDirectory) {
    struct Case {
        const char* path;
        bool inFonts;
    };
    const Case cases[] = {
        {"C:\\Windows\\Fonts\\arial.ttf", true},
        {"c:/windows/fonts/ARIAL.TTF", true},
        {"C:\\Windows\\System32\\..\\Fonts\\arial.ttf", true},
        {"C:\\Program Files\\App\\Fonts\\arial.ttf", false},
        {"C:\\Windows\\Fonts\\Sub\\arial.ttf", false},
        {"arial.ttf", false},
        {"Fonts\\arial.ttf", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsInDirectory(c.path, "C:\\WINDOWS\\FONTS\\"), c.inFonts) << c.path;
}

}  // namespace
