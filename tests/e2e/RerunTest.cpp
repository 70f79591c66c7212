// A run ended part way after "SharedFiles" (the user's session closed, a
// server that crashes the uninstaller, a deployment tool's time-out) and
// started again on the same log: the journal beside the log keeps the second
// run from lowering a use count twice or asking again what was answered.
#include <gtest/gtest.h>

#include <algorithm>

#include "../support/FileBytes.h"
#include "CaseFixture.h"

using namespace e2e;

namespace {

constexpr int kYes = 107, kNo = 109;

class RunEndedPartWay : public SharedFilesCase {
protected:
    void SetUp() override {
        SharedFilesCase::SetUp();
        sharedDir = dir + "\\Shared";
        app = dir + "\\App";
        ASSERT_TRUE(CreateDirectoryA(sharedDir.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(app.c_str(), nullptr));
        log = app + "\\uninst.log";
        journal = log + ".journal";
        report = dir + "\\report.txt";
    }

    // The log of an installation of the shared files, one program file and
    // its folder, which holds the log; extra sections come between.
    void WriteLog(const std::string& extra = "") {
        const std::string program = app + "\\app.exe";
        ASSERT_TRUE(WriteFileBytes(program, "program"));
        std::string text = "[SharedFiles]\r\n";
        for (const std::string& file : sharedFiles) text += file + "=1\r\n";
        text += extra + "[CopyFiles]\r\n";
        for (const std::string& file : sharedFiles) text += file + "=1\r\n";
        text += program + "=1\r\n[CreateDirs]\r\n" + app + "=1\r\n";
        ASSERT_TRUE(WriteFileBytes(log, text));
    }

    bool ReportHas(const std::string& start) const {
        const Lines lines = ReadReportLines(report);
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    }

    std::string app, journal, report;
};

// The shared-file dialog of the process that asks about the file name.
HWND WaitForQuestionAbout(DWORD processId, const std::string& name) {
    return WaitForTopWindow(processId, [&](HWND window) {
        return IsSharedFileDialog(window) && ReadControlText(window, 104) == name;
    });
}

}  // namespace

// Ended by the user's session while it asks about the last file: the counts
// lowered and the answer given stay as they are; started again, only the
// question never answered comes.
TEST_F(RunEndedPartWay, InteractiveRerunAsksOnlyWhatWasNotAnswered) {
    const std::string busy = Shared("busy.dll", 3);
    const std::string lonely = Shared("lonely.dll", 1);
    const std::string twice = Shared("twice.dll", 2);
    const std::string last = Shared("last.dll", 1);
    WriteLog();
    {
        Process p = StartAndConfirm();
        ASSERT_TRUE(p);
        const HWND first = WaitForQuestionAbout(p.id(), "lonely.dll");
        ASSERT_NE(first, nullptr);
        ASSERT_TRUE(PressButton(first, kYes));
        ASSERT_NE(WaitForQuestionAbout(p.id(), "last.dll"), nullptr);
        KillIfRunning(p);
    }
    EXPECT_EQ(Count(busy), std::optional<DWORD>(2));
    EXPECT_FALSE(Count(lonely).has_value());
    EXPECT_EQ(Count(twice), std::optional<DWORD>(1));
    ASSERT_TRUE(FileExists(journal));

    const ScenarioResult r = RunToTheEnd({PressStep(WindowKind::SharedFileDialog, kNo)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].ControlText(104), "last.dll");
    EXPECT_EQ(r.seen.back().lines.back(), kDone);
    EXPECT_EQ(Count(busy), std::optional<DWORD>(2));
    EXPECT_EQ(Count(twice), std::optional<DWORD>(1));
    EXPECT_EQ(Count(last), std::optional<DWORD>(1));
    for (const std::string& stays : {busy, twice, last}) EXPECT_TRUE(FileExists(stays)) << stays;
    EXPECT_FALSE(FileExists(lonely));
    EXPECT_FALSE(FileExists(journal));
    EXPECT_FALSE(DirectoryExists(app));  // the log, the journal and the program all gone
}

// Ended by a server program it unregisters, after "SharedFiles": the
// preview then tells what is already done, and the unattended run started
// again lowers nothing twice, releases no count that was only lowered, and
// ends normally.
#ifdef TAMSK_OLE_FIXTURE_DIR
TEST_F(RunEndedPartWay, UnattendedRerunAfterACrashLowersEachCountOnce) {
    const std::string busy = Shared("busy.dll", 3);
    const std::string twice = Shared("twice.dll", 2);
    const std::string lonely = Shared("lonely.dll", 1);
    const std::string server = dir + "\\server.exe";
    ASSERT_TRUE(CopyFileA((std::string(TAMSK_OLE_FIXTURE_DIR) + "\\OleServerEndsParentExe.exe").c_str(),
                          server.c_str(), TRUE));
    WriteLog("[RegServers]\r\n" + server + "=1\r\n");

    const std::optional<DWORD> ended = RunUnattended("/S /DELSHARED");
    ASSERT_TRUE(ended.has_value());
    EXPECT_NE(*ended, 0u);  // ended by the server, not by itself
    EXPECT_EQ(Count(busy), std::optional<DWORD>(2));
    EXPECT_EQ(Count(twice), std::optional<DWORD>(1));
    EXPECT_FALSE(Count(lonely).has_value());
    ASSERT_TRUE(FileExists(log));
    ASSERT_TRUE(FileExists(journal));

    EXPECT_EQ(RunUnattended("/S /DELSHARED /PREVIEW " + Quote("/LOG=" + report)),
              std::optional<DWORD>(0));
    // The forecast's default words: "already done by an earlier run".
    const std::string alreadyDone = "gi\xE0 fatto da un'esecuzione precedente";
    for (const std::string& done : {busy, twice, lonely})
        EXPECT_TRUE(ReportHas("SharedFiles\t" + done + "\t" + alreadyDone)) << done;
    ASSERT_TRUE(DeleteFileA(report.c_str()));

    EXPECT_EQ(RunUnattended("/S /DELSHARED " + Quote("/LOG=" + report)), std::optional<DWORD>(0));
    for (const std::string& skipped : {busy, twice, lonely})
        EXPECT_TRUE(ReportHas("SharedFiles\t" + skipped + "\tabsent")) << skipped;
    EXPECT_EQ(Count(busy), std::optional<DWORD>(2));
    EXPECT_EQ(Count(twice), std::optional<DWORD>(1));
    EXPECT_TRUE(FileExists(busy));
    EXPECT_TRUE(FileExists(twice));
    EXPECT_FALSE(FileExists(lonely));
    EXPECT_FALSE(FileExists(journal));
    EXPECT_FALSE(DirectoryExists(app));
}
#endif
