// Names outside the ANSI code page, from a UTF-8 log, and paths lower past 260
// characters, from an ANSI one, as an uninstallation removes them. These
// cases run with a UTF-8 locale for Wine (tests/e2e/CMakeLists.txt): only
// then can it hold such names on the Unix side.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "CaseFixture.h"

using namespace e2e;

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string Utf16Bytes(const std::string& utf8) {
    const std::wstring wide = L"\xFEFF" + WideOf(utf8);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

bool SetValue(const std::string& subkey, const std::string& name) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, WideOf(subkey).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD one = 1;
    const LONG rc = RegSetValueExW(key, WideOf(name).c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool HasKey(const std::string& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WideOf(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool HasValue(const std::string& subkey, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WideOf(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegQueryValueExW(key, WideOf(name).c_str(), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

class Names : public KeyedUninstallerCase {
protected:
    void SetUp() override {
        KeyedUninstallerCase::SetUp();
        ClearPendingRenames();
    }
    void TearDown() override {
        ClearPendingRenames();
        KeyedUninstallerCase::TearDown();
    }

    std::string Make(const std::string& name) {
        const std::string path = dir + "\\" + name;
        EXPECT_TRUE(WriteFileAnyPath(path, "data")) << path;
        return path;
    }
    std::string MakeDir(const std::string& name) {
        const std::string path = dir + "\\" + name;
        EXPECT_TRUE(MakeDirsAnyPath(path)) << path;
        return path;
    }

    // Writes the log's bytes, then runs the uninstaller on it to the end;
    // the status lines when Close became enabled.
    Lines RunLog(const std::string& bytes, const std::string& shot = "") {
        EXPECT_TRUE(WriteFileBytes(log, bytes));
        const ScenarioResult r = RunToTheEnd({}, shot);
        EXPECT_TRUE(r.ok) << Describe(r);
        return r.ok ? r.seen.back().lines : Lines{};
    }
};

}  // namespace

// Files and a folder named exactly, one mask, registry keys and values, and
// INI entries in UTF-16 and UTF-8 files, all named in UTF-8: each goes, its
// ASCII look-alike stays.
TEST_F(Names, Utf8LogRemovesWhatItNamesOutsideTheAnsiCodePage) {
    const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87";
    const std::string city = Make("Citt\xC3\xA0.txt");
    const std::string omega = Make("\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.dll");
    const std::string data = Make(chinese + "\\\xE6\x95\xB0\xE6\x8D\xAE.pak");
    const std::string smile = Make("smile\xF0\x9F\x98\x80.txt");
    const std::string masked = Make("\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.ocx");
    const std::string folder = dir + "\\" + chinese;
    const Lines kept{Make("Citta.txt"), Make("Omega.dll"), Make("zhongwen\\shuju.pak"),
                     Make("smile.txt"), Make("Omega.ocx"), MakeDir("zhongwen\\empty")};
    const std::string unicodeKey = chinese;
    const std::string unicodeValue = "Citt\xC3\xA0";
    ASSERT_TRUE(SetValue(K(unicodeKey), "v"));
    ASSERT_TRUE(SetValue(K("Values"), unicodeValue));
    ASSERT_TRUE(SetValue(K("Values"), "Citta"));
    ASSERT_TRUE(SetValue(K("zhongwen"), "v"));
    const std::string wideIni = dir + "\\wide.ini";
    const std::string utf8Ini = dir + "\\utf8.ini";
    ASSERT_TRUE(WriteFileAnyPath(wideIni, Utf16Bytes("[Sezione]\r\nCitt\xC3\xA0=1\r\nCitta=2\r\n")));
    ASSERT_TRUE(WriteFileAnyPath(utf8Ini, "; \xCE\xB1\r\n[\xCE\xA3]\r\n\xCE\xA9=1\r\nO=2\r\n"));

    const Lines lines = RunLog(
        std::string(kUtf8Mark) + "[CopyFiles]\r\n" +  //
        city + "=1\r\n" + omega + "=1\r\n" + data + "=1\r\n" + smile + "=1\r\n" +
        dir + "\\\xCE\xA9\xCE\xBC*.ocx=1\r\n" +                 //
        "[CreateDirs]\r\n" + folder + "=1\r\n" +                //
        "[AddReg]\r\n" + P("Values\\" + unicodeValue) + "=1\r\n" +  //
        "[CreateKeys]\r\n" + P(unicodeKey) + "=1\r\n" +             //
        "[AddIni]\r\n" + wideIni + ",Sezione,Citt\xC3\xA0=1\r\n" +  //
        utf8Ini + ",\xCE\xA3,\xCE\xA9=1\r\n");

    EXPECT_EQ(lines, (Lines{kIniLine, kValuesLine, kKeysLine, kFilesLine, kDirsLine, kDone}));
    for (const std::string& gone : {city, omega, data, smile, masked, folder})
        EXPECT_FALSE(ExistsAnyPath(gone)) << gone;
    for (const std::string& stays : kept) EXPECT_TRUE(ExistsAnyPath(stays)) << stays;
    EXPECT_FALSE(HasKey(K(unicodeKey)));
    EXPECT_TRUE(HasKey(K("zhongwen")));
    EXPECT_FALSE(HasValue(K("Values"), unicodeValue));
    EXPECT_TRUE(HasValue(K("Values"), "Citta"));
    EXPECT_EQ(ReadFileAnyPath(wideIni), Utf16Bytes("[Sezione]\r\nCitta=2\r\n"));
    EXPECT_EQ(ReadFileAnyPath(utf8Ini), "; \xCE\xB1\r\n[\xCE\xA3]\r\nO=2\r\n");
}

// An ANSI log naming files, a help file with its companions, a shortcut, a
// mask and folders 300 to past 1,000 characters deep, one file held open
// at the bottom: each is removed, the one in use and the folders above it
// at the restart, deepest first, and every status line says "ok".
TEST_F(Names, AnsiLogRemovesEverythingAtPathsPastTheShortLimit) {
    std::string upper;
    while (upper.size() < 280) upper += "\\a-folder-of-forty-characters-in-all-xx";
    std::string middle = upper;
    while (middle.size() < 660) middle += "\\another-folder-at-forty-characters-xxxx";
    std::string lower = middle;
    Lines folders;  // the parents first, as an installation makes them
    while (lower.size() < 970) {
        lower += "\\a-folder-lower-down-at-forty-characters-x";
        folders.push_back(dir + lower);
    }
    const std::string named = Make(upper.substr(1) + "\\named.txt");
    const Lines help{Make(upper.substr(1) + "\\guide.hlp"), Make(upper.substr(1) + "\\guide.gid"),
                     Make(upper.substr(1) + "\\guide.fts")};
    const std::string link = Make(upper.substr(1) + "\\Program.lnk");
    const std::string deep = Make(middle.substr(1) + "\\deep.dll");
    const std::string busy = Make(lower.substr(1) + "\\busy.dll");
    const std::string kept = Make(middle.substr(1) + "\\kept.dll");
    const Lines masked{Make(lower.substr(1) + "\\one.ocx"), Make(lower.substr(1) + "\\two.ocx")};
    const std::string deepest = Make(lower.substr(1) + "\\deepest.dll");
    const std::string mask = dir + lower + "\\*.ocx";
    ASSERT_GT(named.size(), 300u);
    ASSERT_GT(busy.size(), 1000u);
    ASSERT_GT(mask.size(), 1000u);
    const UniqueFile held(CreateFileW(LongFormOf(busy).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    std::string dirs = "[CreateDirs]\r\n";
    for (const std::string& folder : folders) dirs += folder + "=1\r\n";
    const Lines lines = RunLog("[Shortcuts]\r\n" + link + "=1\r\n" +  //
                               "[CopyFiles]\r\n" + named + "=1\r\n" + help[0] + "=1\r\n" +
                               deep + "=1\r\n" + busy + "=1\r\n" + mask + "=1\r\n" +
                               deepest + "=1\r\n" + dirs);

    EXPECT_EQ(lines, (Lines{kShortcutsLine, kFilesLine, kDirsLine, kRestartLine, kDone}));
    for (const std::string& gone : {named, help[0], help[1], help[2], link, deep, masked[0],
                                    masked[1], deepest})
        EXPECT_FALSE(ExistsAnyPath(gone)) << gone.size();
    EXPECT_TRUE(ExistsAnyPath(busy));
    EXPECT_TRUE(ExistsAnyPath(kept));
    // The file in use past 1,000 characters goes at the restart, then the
    // folders that hold it, deepest first.
    Lines scheduled{"\\??\\" + busy, ""};
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        scheduled.insert(scheduled.end(), {"\\??\\" + *folder, ""});
    EXPECT_EQ(ReadPendingRenames(), scheduled);
}
