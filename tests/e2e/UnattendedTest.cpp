// What a run tells about its items: status lines that count what stayed, the
// notice about a restart, the removal report, and the unattended run (/S)
// whose exit code says how it went without showing anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "../support/FileBytes.h"
#include "CaseFixture.h"
#include "UnVrelVersion.h"

using namespace e2e;

namespace {

class Outcomes : public UninstallerCase {
protected:
    void SetUp() override {
        UninstallerCase::SetUp();
        ClearPendingRenames();
        report = dir + "\\Reports Here\\report.txt";
        CreateDirectoryA((dir + "\\Reports Here").c_str(), nullptr);
    }
    void TearDown() override {
        held.clear();
        for (const std::string& file : counters) DeleteValue(HKEY_LOCAL_MACHINE, kCounters,
                file, kOldLogView);
        ClearPendingRenames();
        UninstallerCase::TearDown();
    }

    std::string Make(const std::string& name) {
        const std::string path = dir + "\\" + name;
        EXPECT_TRUE(WriteFileBytes(path, "data")) << path;
        return path;
    }
    void Hold(const std::string& path) {
        held.push_back(std::make_unique<HeldFile>(path));
        EXPECT_TRUE(held.back()->held()) << path;
    }

    // An installation where three items cannot go: a file in use (scheduled
    // for the restart), an INI file another program holds, and the
    // directory that still holds the file in use.
    void MakeTroubledInstallation() {
        busy = Make("App\\busy.dll");
        plain = Make("App\\plain.dll");
        ini = Make("locked.ini");
        ASSERT_TRUE(WriteFileBytes(ini, "[S]\r\nk=v\r\n"));
        Hold(busy);
        Hold(ini);
        ASSERT_TRUE(WriteFileBytes(log, "[AddIni]\r\n" + ini + ",S,k=1\r\n[CopyFiles]\r\n" + dir +
                                            "\\App\\*.dll=1\r\n[CreateDirs]\r\n" + dir +
                                            "\\App=1\r\n"));
    }

    Lines ReportLines() const { return ReadReportLines(report); }

    std::string report;
    std::string busy, plain, ini;
    std::vector<std::unique_ptr<HeldFile>> held;
    Lines counters;
};

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

TEST_F(Outcomes, StatusLinesCountWhatStayedAndTheRestartIsAnnounced) {
    MakeTroubledInstallation();
    const ScenarioResult r = RunToTheEnd({}, kArtifacts + "\\outcomes-not-removed.bmp");
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines,
              (Lines{"Rimozioni dei dati di inizializzazione... elementi non rimossi: 1",
                     "Rimozione dei file... ok", kDirsLine, kRestartLine, kDone}));
    EXPECT_EQ(r.seen.back().selected, 4);
    EXPECT_EQ(r.exitCode, std::optional<DWORD>(0));
}

TEST_F(Outcomes, ReplacedTextsCountAndAnnounceInTheLogsLanguage) {
    const std::string file = Make("App\\busy.dll");
    Make("App\\user.txt");
    Hold(file);
    const std::string strings = "[Strings]\r\n24=%d items left (100%%, %s)\r\n25=Restart!\r\n";
    ASSERT_TRUE(WriteFileBytes(log, strings + "[CopyFiles]\r\n" + file + "=1\r\n[CreateDirs]\r\n" +
                                        dir + "\\App=1\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines,
              (Lines{kFilesLine, "Rimozione delle cartelle... 1 items left (100%, %s)", "Restart!",
                     kDone}));
}

TEST_F(Outcomes, UnattendedRunWithItemsLeftEndsWith1603AndReportsEachItem) {
    MakeTroubledInstallation();
    EXPECT_EQ(RunUnattended("/S \"/LOG=" + report + "\""), std::optional<DWORD>(1603));
    const Lines lines = ReportLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Tamsk Uninstaller " TAMSK_VERSION_STRING " - removal report");
    EXPECT_EQ(lines[1], "Log: " + log);
    EXPECT_TRUE(StartsWith(lines[2], "Start: ")) << lines[2];
    EXPECT_TRUE(StartsWith(lines[3], "AddIni\t" + ini + ",S,k\tfailed\t32\t")) << lines[3];
    EXPECT_TRUE(Contains(lines, "CopyFiles\t" + busy + "\tscheduled"));
    EXPECT_TRUE(Contains(lines, "CopyFiles\t" + plain + "\tremoved"));
    const auto dirLine = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line == "CreateDirs\t" + dir + "\\App\tscheduled";
    });
    EXPECT_NE(dirLine, lines.end()) << ::testing::PrintToString(lines);
    const Lines tail(lines.end() - std::min<size_t>(lines.size(), 8), lines.end());
    EXPECT_EQ(tail, (Lines{"Result: completed", "removed: 1", "absent: 0", "scheduled: 2",
                           "kept: 0", "refused: 0", "failed: 1", "Exit code: 1603"}));
    EXPECT_TRUE(FileExists(busy));
    EXPECT_FALSE(FileExists(plain));
}

TEST_F(Outcomes, UnattendedCleanRunEndsWith0AndRemovesEverything) {
    const std::string file = Make("App\\app.exe");
    ASSERT_TRUE(WriteFileBytes(
        log, "[CopyFiles]\r\n" + file + "=1\r\n[CreateDirs]\r\n" + dir + "\\App=1\r\n"));
    EXPECT_EQ(RunUnattended("-log=\"" + report + "\" -s"), std::optional<DWORD>(0));
    EXPECT_FALSE(DirectoryExists(dir + "\\App"));
    EXPECT_FALSE(FileExists(log));
    EXPECT_TRUE(Contains(ReportLines(), "Exit code: 0"));
}

// The application still running: its file and then its folder go at the
// restart, and a deployment tool reads "done, restart needed".
TEST_F(Outcomes, UnattendedRunWithAFileInUseEndsWith3010AndSchedulesItsFolderAfterIt) {
    busy = Make("App\\busy.dll");
    const std::string gone = Make("App\\gone.dll");
    Hold(busy);
    ASSERT_TRUE(WriteFileBytes(log, "[CopyFiles]\r\n" + busy + "=1\r\n" + gone +
                                        "=1\r\n[CreateDirs]\r\n" + dir + "\\App=1\r\n"));
    EXPECT_EQ(RunUnattended("/S \"/LOG=" + report + "\""), std::optional<DWORD>(3010));
    EXPECT_EQ(ReadPendingRenames(),
              (Lines{PendingName(busy), "", PendingName(dir + "\\App"), ""}));
    EXPECT_FALSE(FileExists(gone));
    EXPECT_TRUE(Contains(ReportLines(), "CreateDirs\t" + dir + "\\App\tscheduled"));
}

// A folder that also holds what the log does not list (a user's file, the
// report itself) is not the application's alone: it stays, and the run
// succeeds.
TEST_F(Outcomes, FolderHoldingFilesTheLogDoesNotListIsKeptAndTheRunSucceeds) {
    const std::string app = dir + "\\App";
    const auto removeAppInto = [&](const std::string& reportPath) {
        Make("App\\app.exe");
        ASSERT_TRUE(WriteFileBytes(log, "[CopyFiles]\r\n" + app + "\\app.exe=1\r\n[CreateDirs]\r\n" +
                                            app + "=1\r\n"));
        EXPECT_EQ(RunUnattended("/S \"/LOG=" + reportPath + "\""), std::optional<DWORD>(0));
        EXPECT_TRUE(DirectoryExists(app));
        EXPECT_FALSE(FileExists(app + "\\app.exe"));
        const std::optional<std::string> text = ReadAllBytes(reportPath);
        ASSERT_TRUE(text) << reportPath;
        const Lines lines = SplitAt(*text, "\r\n");
        EXPECT_TRUE(Contains(lines, "CreateDirs\t" + app + "\tkept\tholds files the log does not list"))
            << ::testing::PrintToString(lines);
    };
    const std::string userFile = Make("App\\user.txt");
    removeAppInto(report);
    EXPECT_TRUE(FileExists(userFile));
    ASSERT_TRUE(DeleteFileA(userFile.c_str()));
    removeAppInto(app + "\\report.txt");
    EXPECT_TRUE(ReadPendingRenames().empty());
}

TEST_F(Outcomes, UnattendedRunStoppedByAFirstProgramEndsWith1602) {
    const std::string file = Make("app.dll");
    const std::string first = "[PreRunApp]\r\n1=" + kTestProgram + ",--exit 1,,0,Prima\r\n";
    ASSERT_TRUE(WriteFileBytes(log, first + "[CopyFiles]\r\n" + file + "=1\r\n"));
    EXPECT_EQ(RunUnattended("/S"), std::optional<DWORD>(1602));
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(log));
}

TEST_F(Outcomes, UnattendedRunOnAMissingLogEndsWith1619WithoutAWindow) {
    EXPECT_EQ(RunUnattended("/S \"/LOG=" + report + "\""), std::optional<DWORD>(1619));
    EXPECT_TRUE(Contains(ReportLines(), "Result: log missing or unreadable"));
}

TEST_F(Outcomes, UnattendedRunWithAnUnknownOptionEndsWith87BeforeTouchingAnything) {
    const std::string file = Make("app.dll");
    ASSERT_TRUE(WriteFileBytes(log, "[CopyFiles]\r\n" + file + "=1\r\n"));
    EXPECT_EQ(RunUnattended("/S /QUIET"), std::optional<DWORD>(87));
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(log));
}

TEST_F(Outcomes, UnattendedRunKeepsASharedFileAtZeroUnlessDelSharedIsGiven) {
    const std::string kept = Make("kept.dll");
    const std::string gone = Make("gone.dll");
    counters = {kept, gone};
    ASSERT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, kCounters, kept, 1, kOldLogView));
    ASSERT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, kCounters, gone, 1, kOldLogView));
    ASSERT_TRUE(WriteFileBytes(
        log, "[SharedFiles]\r\n" + kept + "=1\r\n[CopyFiles]\r\n" + kept + "=1\r\n"));
    EXPECT_EQ(RunUnattended("/S"), std::optional<DWORD>(0));
    EXPECT_TRUE(FileExists(kept));
    EXPECT_EQ(ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters,
            kept, kOldLogView), std::optional<DWORD>(1));

    ASSERT_TRUE(WriteFileBytes(
        log, "[SharedFiles]\r\n" + gone + "=1\r\n[CopyFiles]\r\n" + gone + "=1\r\n"));
    EXPECT_EQ(RunUnattended("/DELSHARED /S"), std::optional<DWORD>(0));
    EXPECT_FALSE(FileExists(gone));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kCounters, gone, kOldLogView));
}

// A file named without wildcards is deleted without a search first; every
// outcome stays what the search gave, under the name the log writes.
TEST_F(Outcomes, FilesNamedExactlyKeepTheirOutcomes) {
    const std::string gone = Make("App\\gone.dll");
    const std::string readOnly = Make("App\\ro.dll");
    ASSERT_TRUE(MakeReadOnly(readOnly));
    const std::string inUse = Make("App\\busy.dll");
    Hold(inUse);
    const std::string folder = dir + "\\App\\Folder.dll";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const Lines named = {gone, readOnly, inUse, folder, dir + "\\App\\missing.dll",
                         dir + "\\NoDir\\missing.dll"};
    std::string text = "[CopyFiles]\r\n";
    for (const std::string& file : named) text += file + "=1\r\n";
    ASSERT_TRUE(WriteFileBytes(log, text));
    EXPECT_EQ(RunUnattended("/S \"/LOG=" + report + "\""), std::optional<DWORD>(3010));
    const Lines lines = ReportLines();
    const char* outcomes[] = {"removed", "removed", "scheduled", "absent", "absent", "absent"};
    for (size_t i = 0; i < named.size(); ++i)
        EXPECT_TRUE(Contains(lines, "CopyFiles\t" + named[i] + "\t" + outcomes[i]))
            << named[i] << ::testing::PrintToString(lines);
    EXPECT_FALSE(FileExists(gone));
    EXPECT_FALSE(FileExists(readOnly));
    EXPECT_TRUE(FileExists(inUse));
    EXPECT_TRUE(DirectoryExists(folder));
}

// Deployment tools write the options before the log, add /NORESTART to every
// uninstall command, and sometimes name no log at all: each ends unattended.
TEST_F(Outcomes, OptionsStandBeforeOrAfterTheLogAndNoRestartIsAccepted) {
    const std::string file = dir + "\\App\\app.exe";
    const std::string bytes = "[CopyFiles]\r\n" + file + "=1\r\n";
    for (const std::string& arguments :
         {"/S " + Quote(log), Quote(log) + " /S /NORESTART", "-norestart /s " + Quote(log)}) {
        Make("App\\app.exe");
        ASSERT_TRUE(WriteFileBytes(log, bytes));
        const Process p = StartProgram(kUninstaller, arguments);
        ASSERT_TRUE(p);
        EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0)) << arguments;
        EXPECT_FALSE(FileExists(file)) << arguments;
        EXPECT_FALSE(FileExists(log)) << arguments;
    }
    const Process bare = StartProgram(kUninstaller, "/S /NORESTART");
    ASSERT_TRUE(bare);
    EXPECT_EQ(WaitForExit(bare), std::optional<DWORD>(1619));
}

// A report path that names the log in any spelling would empty the log
// before it is read: the run refuses it and leaves the log as it was.
TEST_F(Outcomes, ReportNamingTheLogIsAnInvalidParameterAndTouchesNothing) {
    const std::string file = Make("app.dll");
    const std::string bytes = "[CopyFiles]\r\n" + file + "=1\r\n";
    ASSERT_TRUE(WriteFileBytes(log, bytes));
    const std::string link = dir + "\\link.log";
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), log.c_str(), nullptr));
    for (const std::string& spelling : {log, dir + "\\.\\UNINST.LOG", link}) {
        for (const char* mode : {"/S", "/S /PREVIEW"}) {
            EXPECT_EQ(RunUnattended(std::string(mode) + " \"/LOG=" + spelling + "\""),
                      std::optional<DWORD>(87))
                << spelling << " " << mode;
            EXPECT_EQ(ReadAllBytes(log), std::optional<std::string>(bytes)) << spelling;
            EXPECT_TRUE(FileExists(file));
        }
    }
}
