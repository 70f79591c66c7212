// The uninstaller removes itself: placed in the application's folder and
// listed in the log, it leaves neither its own file, nor the folder, nor a
// restart, nor anything in the temporary folder behind; placed anywhere else
// it runs in one process, as it always did.
#include <gtest/gtest.h>

#include <algorithm>

#include "../support/FileBytes.h"
#include "CaseFixture.h"

using namespace e2e;

namespace {

// An installation whose folder holds the uninstaller, its log and the
// application's files, with the log listing all of them and the folder.
class SelfRemoval : public SelfCopyCase {
protected:
    void SetUp() override {
        SelfCopyCase::SetUp();
        app = dir + "\\App";
        exe = app + "\\UnVrel.exe";
        log = app + "\\uninst.log";
        files = {app + "\\readme.txt", app + "\\Data\\data.bin"};
        for (const std::string& file : files) ASSERT_TRUE(WriteFileBytes(file, "app"));
        ASSERT_TRUE(CopyFileA(kUninstaller.c_str(), exe.c_str(), FALSE));
        std::string text = "[CopyFiles]\r\n" + exe + "=1\r\n" + log + "=1\r\n";
        for (const std::string& file : files) text += file + "=1\r\n";
        text += "[CreateDirs]\r\n" + app + "=1\r\n" + app + "\\Data=1\r\n";
        ASSERT_TRUE(WriteFileBytes(log, text));
    }
    void ExpectEverythingGone() const {
        for (const std::string& file : files) EXPECT_FALSE(FileExists(file)) << file;
        EXPECT_FALSE(FileExists(log));
    }

    std::string app;
    std::string exe;
    std::vector<std::string> files;
};

}  // namespace

TEST_F(SelfRemoval, InstalledUninstallerLeavesNoFolderAndNoRestart) {
    ScenarioOptions options;
    options.followChildren = true;
    options.failureShotPrefix = kArtifacts + "\\" + TestName();
    const ScenarioResult r = RunScenario(exe, Quote(log),
                                         {PressStep(WindowKind::MessageBox, IDYES),
                                          PressStep(WindowKind::MainDialog, IDOK)},
                                         options);
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.exitCode, std::optional<DWORD>(0));
    EXPECT_EQ(r.seen.back().lines, (Lines{kFilesLine, kDirsLine, kDone}));
    EXPECT_TRUE(WaitForTheCopyToFinish(app)) << Leftovers();
    EXPECT_FALSE(DirectoryExists(app));
    EXPECT_EQ(ReadPendingRenames(), Lines{});
}

// The report, asked for by a path relative to the caller's directory, lands
// there and counts the uninstaller and its folder among the removed items.
TEST_F(SelfRemoval, UnattendedCallerWaitsForTheWholeRunAndGetsItsExitCode) {
    first = StartProgram(exe, Quote(log) + " /S /LOG=report.txt", dir);
    ASSERT_TRUE(first);
    EXPECT_EQ(WaitForExit(first, 30000), std::optional<DWORD>(0));
    ExpectEverythingGone();  // already when the first process has ended
    const std::optional<std::string> report = ReadAllBytes(dir + "\\report.txt");
    ASSERT_TRUE(report);
    const Lines lines = SplitAt(*report, "\r\n");
    for (const std::string& line :
         {"CopyFiles\t" + exe + "\tremoved", "CreateDirs\t" + app + "\tremoved"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    const Lines tail(lines.end() - std::min<size_t>(lines.size(), 8), lines.end());
    EXPECT_EQ(tail, (Lines{"Result: completed", "removed: 6", "absent: 0", "scheduled: 0",
                           "kept: 0", "refused: 0", "failed: 0", "Exit code: 0"}));
    EXPECT_TRUE(WaitForTheCopyToFinish(app)) << Leftovers();
    EXPECT_EQ(ReadPendingRenames(), Lines{});
    // No note of a fall-back: the copy left as it should.
    EXPECT_EQ(report->find("Note:"), std::string::npos) << *report;
}

// The copy and the process that started it are one run: a second start on
// the log meanwhile stands aside and brings the copy's window back.
TEST_F(SelfRemoval, SecondStartDuringTheCopysRunStandsAside) {
    const std::string record = dir + "\\record.txt";
    const std::string go = dir + "\\go";
    const std::optional<std::string> text = ReadAllBytes(log);
    ASSERT_TRUE(text);
    ASSERT_TRUE(WriteFileBytes(log, "[PreRunApp]\r\n1=" + kTestProgram + ",--record " + record +
                                        " --wait-for " + go + " --spawn " + kUninstaller +
                                        " --spawn-args \"" + log + "\",,0\r\n" + *text));
    first = StartProgram(exe, Quote(log));
    ASSERT_TRUE(first);
    DWORD copy = 0;
    for (DWORD start = GetTickCount(); copy == 0 && GetTickCount() - start < kWindowDeadlineMs;
         Sleep(kPollMs)) {
        const std::vector<DWORD> children = ListChildProcesses(first.id(), "UnVrel.exe");
        if (!children.empty()) copy = children.front();
    }
    ASSERT_NE(copy, 0u);
    const HWND box = WaitForTopWindow(copy, IsMessageBox);
    ASSERT_TRUE(box != nullptr && PressButton(box, IDYES));
    const HWND dialog = WaitForTopWindow(copy, IsMainDialog);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(WriteFileBytes(go, ""));
    ASSERT_TRUE(WaitForControlEnabled(dialog, IDOK));
    const std::optional<std::string> records = ReadAllBytes(record);
    ASSERT_TRUE(records);
    const Lines lines = SplitAt(*records, "\r\n");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "spawned=0 windows=0"), lines.end())
        << *records;
    EXPECT_FALSE(IsIconic(dialog));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_EQ(WaitForExit(first), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitForTheCopyToFinish(app)) << Leftovers();
}

TEST_F(SelfRemoval, UninstallerOutsideTheInstallationRunsInItsOwnProcess) {
    // The steps find their windows among the started process's own.
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{kFilesLine, kDirsLine, kDone}));
    EXPECT_FALSE(DirectoryExists(app));  // already when the program has ended
    EXPECT_TRUE(ReadPendingRenames().empty()) << ::testing::PrintToString(ReadPendingRenames());
}

// The internal option naming a first process is honoured only in a copy
// started by that process: from its parent but outside a copy folder, or
// naming a process that is not its parent, it changes nothing.
TEST_F(SelfRemoval, InternalOptionFromAnythingButItsFirstProcessChangesNothing) {
    Process stranger = StartProgram(kTestProgram, "--wait-for " + Quote(dir + "\\never"));
    ASSERT_TRUE(stranger);
    const DWORD claimed[] = {GetCurrentProcessId(), stranger.id()};
    for (const DWORD id : claimed) {
        ASSERT_TRUE(WriteFileBytes(log, "[CopyFiles]\r\n" + files[0] + "=1\r\n"));
        ASSERT_TRUE(WriteFileBytes(files[0], "app"));
        const ScenarioResult r = Run(Quote(log) + " /COPYOF=" + std::to_string(id),
                                     {PressStep(WindowKind::MessageBox, IDYES),
                                      PressStep(WindowKind::MainDialog, IDOK)});
        ASSERT_TRUE(r.ok) << id << "\n" << Describe(r);
        EXPECT_EQ(r.exitCode, std::optional<DWORD>(0));
        EXPECT_FALSE(FileExists(files[0]));
    }
    EXPECT_TRUE(ReadPendingRenames().empty()) << ::testing::PrintToString(ReadPendingRenames());
}

// A caller's internal option is not the first process's: the copy treats it
// as unknown as a direct run would, so an unattended run touches nothing.
TEST_F(SelfRemoval, CallersInternalOptionIsUnknownToTheCopyToo) {
    first = StartProgram(exe, Quote(log) + " /S /COPYOF=" + std::to_string(GetCurrentProcessId()),
                         dir);
    ASSERT_TRUE(first);
    EXPECT_EQ(WaitForExit(first, 30000), std::optional<DWORD>(87));
    for (const std::string& file : files) EXPECT_TRUE(FileExists(file)) << file;
    EXPECT_TRUE(FileExists(exe));
    EXPECT_TRUE(FileExists(log));
    EXPECT_TRUE(WaitForTheCopyToFinish("")) << Leftovers();
}
