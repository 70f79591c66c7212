// One run per installation at a time: a second start on the log of a run
// that is going on does nothing of its own, however the log's path is
// spelled; a start on another log runs as always.
#include <gtest/gtest.h>

#include "../support/FileBytes.h"
#include "CaseFixture.h"

using namespace e2e;

namespace {

class RunLock : public UninstallerCase {
protected:
    void SetUp() override {
        UninstallerCase::SetUp();
        record = dir + "\\record.txt";
        go = dir + "\\go";
        shared = dir + "\\shared.dll";
        ASSERT_TRUE(WriteFileBytes(shared, "code"));
        ASSERT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, kCounters, shared, 3, kOldLogView));
        // The log exists from the start, so that its short form can be had.
        ASSERT_TRUE(WriteFileBytes(log, ""));
    }
    void TearDown() override {
        DeleteValue(HKEY_LOCAL_MACHINE, kCounters, shared, kOldLogView);
        UninstallerCase::TearDown();
    }

    // A "PreRunApp" entry: the test program (after go exists, when wait is
    // set) starts the uninstaller with args and records how that ended.
    std::string SecondStart(const std::string& args, bool wait) const {
        return kTestProgram + ",--record " + record + (wait ? " --wait-for " + go : "") +
               " --spawn " + kUninstaller + " --spawn-args \"" + args + "\",,0\r\n";
    }

    // The log: the programs to run first, then a shared file used by two
    // other installations, which one run lowers to 2.
    void WriteLog(const std::string& preRunApp) {
        ASSERT_TRUE(WriteFileBytes(log, "[PreRunApp]\r\n" + preRunApp + "[SharedFiles]\r\n" +
                                            shared + "=1\r\n[CopyFiles]\r\n" + shared + "=1\r\n"));
    }

    std::optional<DWORD> Count() const {
        return ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters, shared, kOldLogView);
    }

    // How each second start ended: "spawned=CODE windows=N" lines.
    Lines SecondStarts() const {
        Lines starts;
        const std::optional<std::string> bytes = ReadAllBytes(record);
        for (const std::string& line : bytes ? SplitAt(*bytes, "\r\n") : Lines())
            if (line.rfind("spawned=", 0) == 0) starts.push_back(line);
        return starts;
    }

    // The log's path as another start may spell it: relative to the Windows
    // directory (the program's current directory), in short names, which
    // the system gives in upper case.
    std::string OtherSpelling() const {
        char buffer[MAX_PATH] = {};
        const DWORD n = GetShortPathNameA(log.c_str(), buffer, MAX_PATH);
        std::string path(buffer, n < MAX_PATH ? n : 0);
        if (path.size() < 3) return std::string();
        return "..\\" + path.substr(3);  // the Windows directory lies on C: as the cases do
    }

    std::string record;
    std::string go;
    std::string shared;
};

const Lines kRunLines{kSharedLine, kFilesLine, kDone};

}  // namespace

TEST_F(RunLock, SecondStartOnTheSameLogShowsTheRunningOneAndEndsZero) {
    const std::string other = OtherSpelling();
    ASSERT_NE(Upper(other), Upper(log));
    ASSERT_TRUE(FileExists(WindowsDir() + "\\" + other));
    WriteLog("1=" + SecondStart(log, true) + "2=" + SecondStart(other, false));
    Process p = StartAndConfirm();
    ASSERT_TRUE(p);
    const HWND dialog = WaitForTopWindow(p.id(), IsMainDialog);
    ASSERT_NE(dialog, nullptr);
    // Minimised, the running one has to be brought back by the second start.
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog));
    ASSERT_TRUE(WriteFileBytes(go, ""));
    ASSERT_TRUE(WaitForControlEnabled(dialog, IDOK));
    EXPECT_EQ(SecondStarts(), (Lines{"spawned=0 windows=0", "spawned=0 windows=0"}));
    EXPECT_FALSE(IsIconic(dialog));
    EXPECT_EQ(GetForegroundWindow(), dialog);
    EXPECT_EQ(ReadStatusLines(dialog), kRunLines);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
    EXPECT_EQ(Count(), std::optional<DWORD>(2));
    EXPECT_TRUE(FileExists(shared));
    EXPECT_FALSE(FileExists(log));
}

TEST_F(RunLock, UnattendedSecondStartEndsWithAnotherInstallationInProgress) {
    WriteLog("1=" + SecondStart(OtherSpelling() + " /S", false));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(SecondStarts(), Lines{"spawned=1618 windows=0"});
    EXPECT_EQ(r.seen.back().lines, kRunLines);
    EXPECT_EQ(Count(), std::optional<DWORD>(2));
}

TEST_F(RunLock, StartOnAnotherLogRunsWhileARunIsGoingOn) {
    WriteLog("1=" + kTestProgram + ",--wait-for " + go + ",,0\r\n");
    const std::string otherLog = dir + "\\other.log";
    const std::string otherFile = dir + "\\other.txt";
    ASSERT_TRUE(WriteFileBytes(otherFile, "other"));
    ASSERT_TRUE(WriteFileBytes(otherLog, "[CopyFiles]\r\n" + otherFile + "=1\r\n"));
    Process p = StartAndConfirm();
    ASSERT_TRUE(p);
    const HWND dialog = WaitForTopWindow(p.id(), IsMainDialog);
    ASSERT_NE(dialog, nullptr);
    const ScenarioResult r = Run(Quote(otherLog), {PressStep(WindowKind::MessageBox, IDYES),
                                                   PressStep(WindowKind::MainDialog, IDOK)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{kFilesLine, kDone}));
    EXPECT_FALSE(FileExists(otherFile));
    ASSERT_TRUE(WriteFileBytes(go, ""));
    ASSERT_TRUE(WaitForControlEnabled(dialog, IDOK));
    EXPECT_EQ(ReadStatusLines(dialog), kRunLines);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
    EXPECT_EQ(Count(), std::optional<DWORD>(2));
}
