// The uninstaller installed in a folder whose name the ANSI code page lacks:
// started there on its UTF-8 log, it finds itself, runs from its temporary
// copy, starts the log's program with its exact argument and folder, removes
// the font and everything else, and leaves nothing behind. An ANSI log in
// such a folder, or reporting to such a path, is refused, never read or
// written through a look-alike path. These
// cases run with a UTF-8 locale for Wine (tests/e2e/CMakeLists.txt): only
// then can it hold such names on the Unix side.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "CaseFixture.h"

using namespace e2e;

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
const char* const kFontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
// "Ωμέγα", and a name that the ANSI functions spell as "Omega".
const std::string kOmega = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";
const std::string kOmegaLookAlike = "\xCE\xA9mega";
constexpr DWORD kRunDeadlineMs = 60000;

// Starts the program at a path in UTF-8 with the command line "exe" args.
Process StartWide(const std::string& exe, const std::string& args) {
    std::wstring commandLine = WideOf("\"" + exe + "\" " + args);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(WideOf(exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return Process();
    const UniqueHandle thread(info.hThread);
    return Process(UniqueHandle(info.hProcess), info.dwProcessId);
}

bool SetFontValue(const std::string& name, const std::string& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const std::wstring text = WideOf(data);
    const LONG rc = RegSetValueExW(key, WideOf(name).c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool HasFontValue(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegQueryValueExW(key, WideOf(name).c_str(), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

void DeleteFontValue(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, WideOf(name).c_str());
    RegCloseKey(key);
}

class UnicodePrograms : public SelfCopyCase {
protected:
    void TearDown() override {
        DeleteFontValue(fontValue);
        SelfCopyCase::TearDown();
    }

    // A folder of the case with the uninstaller copied into it.
    std::string InstallUninstallerIn(const std::string& name) {
        const std::string folder = dir + "\\" + name;
        EXPECT_TRUE(CreateDirectoryW(WideOf(folder).c_str(), nullptr)) << folder;
        EXPECT_TRUE(CopyFileW(WideOf(kUninstaller).c_str(),
                              WideOf(folder + "\\UnVrel.exe").c_str(), TRUE));
        return folder;
    }

    std::string fontValue = "TamskE2E " + kOmega + " (TrueType)";
};

}  // namespace

TEST_F(UnicodePrograms, UninstallerInUnicodeFolderRunsItsUtf8LogFromItsCopyAndLeavesNothing) {
    const std::string app = InstallUninstallerIn(kOmega);
    const std::string exe = app + "\\UnVrel.exe";
    const std::string font = app + "\\" + kOmega + ".ttf";
    const std::string record = dir + "\\record.txt";
    const std::string report = dir + "\\report.txt";
    const std::string argument = "\"" + kOmega + " \xE4\xB8\xAD\"";
    ASSERT_TRUE(WriteFileAnyPath(font, "font"));
    ASSERT_TRUE(SetFontValue(fontValue, font));
    log = app + "\\uninst.log";
    ASSERT_TRUE(WriteFileAnyPath(
        log, std::string(kUtf8Mark) + "[PreRunApp]\r\n1=" + kTestProgram + ",--record " +
                 record + " --utf8 " + argument + "," + app + ",0\r\n" +  //
                 "[RegFonts]\r\n" + font + "=1\r\n" +                     //
                 "[CopyFiles]\r\n" + exe + "=1\r\n" + log + "=1\r\n" + font + "=1\r\n" +
                 "[CreateDirs]\r\n" + app + "=1\r\n"));

    first = StartWide(exe, "\"" + log + "\" /S /LOG=" + report);
    ASSERT_TRUE(first);
    EXPECT_EQ(WaitForExit(first, kRunDeadlineMs), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFileBytes(record), std::optional<std::string>("--record " + record + " --utf8 " +
                                                                 argument + "|" + app + "\r\n"));
    EXPECT_FALSE(HasFontValue(fontValue));
    EXPECT_FALSE(ExistsAnyPath(font));
    EXPECT_FALSE(ExistsAnyPath(log));
    EXPECT_TRUE(WaitForTheCopyToFinish(app)) << Leftovers();
    EXPECT_EQ(ReadPendingRenames(), Lines{});
    const Lines lines = ReadReportLines(report);
    const Lines tail(lines.end() - std::min<std::size_t>(lines.size(), 8), lines.end());
    EXPECT_EQ(tail, (Lines{"Result: completed", "removed: 5", "absent: 0", "scheduled: 0",
                           "kept: 0", "refused: 0", "failed: 0", "Exit code: 0"}))
        << ::testing::PrintToString(lines);
}

// The ANSI functions spell "Ωmega" as "Omega". An ANSI log in a folder
// "Ωmega" is refused, never taken for the log in "Omega" that names a file to
// remove; an ANSI log's report at "Ωmega.txt" is refused too, never written
// over "Omega.txt", and nothing is removed.
TEST_F(UnicodePrograms, AnsiLogNeverReachesTheLookAlikeOfAPathItsCodePageLacks) {
    const std::string app = InstallUninstallerIn(kOmegaLookAlike);
    const std::string victim = dir + "\\Omega\\victim.txt";
    const std::string victimLog = dir + "\\Omega\\uninst.log";
    const std::string report = dir + "\\report.txt";
    const std::string lookAlikeReport = dir + "\\Omega.txt";
    ASSERT_TRUE(WriteFileBytes(victim, "data"));
    ASSERT_TRUE(WriteFileBytes(victimLog, "[CopyFiles]\r\n" + victim + "=1\r\n"));
    ASSERT_TRUE(WriteFileBytes(lookAlikeReport, "kept"));
    log = app + "\\uninst.log";
    ASSERT_TRUE(WriteFileAnyPath(log, "[CopyFiles]\r\n" + victim + "=1\r\n"));

    first = StartWide(app + "\\UnVrel.exe", "\"" + log + "\" /S /LOG=" + report);
    ASSERT_TRUE(first);
    EXPECT_EQ(WaitForExit(first, kRunDeadlineMs), std::optional<DWORD>(1619));
    const Lines lines = ReadReportLines(report);
    const auto refused = [](const std::string& line) {
        return line.rfind("Result: log missing or unreadable", 0) == 0;
    };
    EXPECT_NE(std::find_if(lines.begin(), lines.end(), refused), lines.end())
        << ::testing::PrintToString(lines);

    first = StartWide(kUninstaller, Quote(victimLog) + " /S /LOG=" + dir + "\\" +
                                        kOmegaLookAlike + ".txt");
    ASSERT_TRUE(first);
    EXPECT_EQ(WaitForExit(first, kRunDeadlineMs), std::optional<DWORD>(87));
    EXPECT_EQ(ReadFileBytes(lookAlikeReport), std::optional<std::string>("kept"));
    EXPECT_FALSE(ExistsAnyPath(dir + "\\" + kOmegaLookAlike + ".txt"));
    EXPECT_TRUE(FileExists(victim));
    EXPECT_TRUE(ExistsAnyPath(log));
}
