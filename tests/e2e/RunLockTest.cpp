// One run per installation at a time: a second start on the log of a run
// that is going on does nothing of its own, however the log's path is
// spelled (\\?\, a share, another drive letter); a start on another log
// runs as always; a lock name that no run holds is not obeyed.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "../support/FileBytes.h"
#include "CaseFixture.h"

using namespace e2e;

namespace {

// Starts a Unix shell command on this machine (Wine starts Unix programs
// natively, but gives no handle to wait for): the caller polls for its
// effect. The test prefix's drive letters are links in its dosdevices
// folder, which only Unix can make.
bool StartUnixCommand(const std::string& command) {
    std::string line = "Z:\\bin\\sh -c \"" + command + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return false;
    if (info.hThread != nullptr) CloseHandle(info.hThread);
    if (info.hProcess != nullptr) CloseHandle(info.hProcess);
    return true;
}

// Polls until path exists; false at the deadline.
bool WaitForPath(const std::string& path) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kWindowDeadlineMs; Sleep(kPollMs))
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
}

// The Unix path of the test prefix's dosdevices folder; empty outside Wine.
std::string DosDevices() {
    char prefix[1024] = {};
    const DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    return n > 0 && n < sizeof prefix ? std::string(prefix, n) + "/dosdevices" : std::string();
}

// A drive letter free in the test prefix that maps dir (on drive C);
// nothing when none could be made. RemoveDriveLetter takes it away.
std::optional<char> MapDriveLetter(const std::string& dir) {
    const std::string devices = DosDevices();
    if (devices.empty() || Upper(dir.substr(0, 3)) != "C:\\") return std::nullopt;
    std::string target = "../drive_c/" + dir.substr(3);
    for (char& c : target)
        if (c == '\\') c = '/';
    for (char letter = 'm'; letter <= 'w'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        if (StartUnixCommand("ln -sn '" + target + "' " + devices + "/" + letter + ":") &&
            WaitForPath(root))
            return letter;
        return std::nullopt;
    }
    return std::nullopt;
}

void RemoveDriveLetter(char letter) {
    StartUnixCommand("rm -f " + DosDevices() + "/" + letter + ":");
}

class RunLock : public SharedFilesCase {
protected:
    void SetUp() override {
        SharedFilesCase::SetUp();
        record = dir + "\\record.txt";
        go = dir + "\\go";
        shared = Shared("shared.dll", 3);
        // The log exists from the start, so that its short form can be had.
        ASSERT_TRUE(WriteFileBytes(log, ""));
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

// The session's lock name of the file at path, as the program forms it.
std::string SessionLockName(const std::string& path) {
    const UniqueFile file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::string();
    char name[96] = {};
    snprintf(name, sizeof name, "Local\\TamskUninstaller.Run.%08lx-%08lx%08lx",
             static_cast<unsigned long>(info.dwVolumeSerialNumber),
             static_cast<unsigned long>(info.nFileIndexHigh),
             static_cast<unsigned long>(info.nFileIndexLow));
    return name;
}

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
    EXPECT_EQ(Count(shared), std::optional<DWORD>(2));
    EXPECT_TRUE(FileExists(shared));
    EXPECT_FALSE(FileExists(log));
}

TEST_F(RunLock, UnattendedSecondStartEndsWithAnotherInstallationInProgress) {
    WriteLog("1=" + SecondStart(OtherSpelling() + " /S", false));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(SecondStarts(), Lines{"spawned=1618 windows=0"});
    EXPECT_EQ(r.seen.back().lines, kRunLines);
    EXPECT_EQ(Count(shared), std::optional<DWORD>(2));
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
    EXPECT_EQ(Count(shared), std::optional<DWORD>(2));
}

// The lock names the log's file, not its path: \\?\, the share of drive C
// (the test prefix has one) and another drive letter that maps the log's
// folder all meet the run.
TEST_F(RunLock, EverySpellingOfTheLogMeetsTheRunningRun) {
    const std::optional<char> letter = MapDriveLetter(dir);
    ASSERT_TRUE(letter.has_value());
    const std::string spellings[] = {"\\\\?\\" + log, "\\\\localhost\\C$\\" + log.substr(3),
                                     std::string(1, *letter) + ":\\" + log.substr(log.rfind('\\') + 1)};
    for (const std::string& spelling : spellings)
        EXPECT_TRUE(FileExists(spelling)) << spelling;
    std::string preRun;
    for (int i = 0; i < 3; ++i)
        preRun += std::to_string(i + 1) + "=" + SecondStart(spellings[i] + " /S", false);
    WriteLog(preRun);
    const ScenarioResult r = RunToTheEnd();
    RemoveDriveLetter(*letter);
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(SecondStarts(), (Lines{"spawned=1618 windows=0", "spawned=1618 windows=0",
                                     "spawned=1618 windows=0"}));
    EXPECT_EQ(r.seen.back().lines, kRunLines);
    EXPECT_EQ(Count(shared), std::optional<DWORD>(2));
}

// A program that took the lock's name first (no run of ours holds it) does
// not keep an unattended run from its work: the run goes on and says so.
TEST_F(RunLock, NameTakenByAnotherProgramIsNotObeyed) {
    WriteLog("");
    const std::string name = SessionLockName(log);
    ASSERT_FALSE(name.empty());
    const UniqueHandle squatter(CreateMutexA(nullptr, TRUE, name.c_str()));
    ASSERT_TRUE(squatter);
    const std::string report = dir + "\\report.txt";
    Process p = StartProgram(kUninstaller, Quote(log) + " /S /LOG=" + Quote(report));
    ASSERT_TRUE(p);
    EXPECT_EQ(WaitForExit(p, 30000), std::optional<DWORD>(0));
    EXPECT_EQ(Count(shared), std::optional<DWORD>(2));
    EXPECT_FALSE(FileExists(log));
    const std::optional<std::string> text = ReadAllBytes(report);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("Run lock: held by a program that is not a run of this uninstaller"),
              std::string::npos)
        << *text;
}
