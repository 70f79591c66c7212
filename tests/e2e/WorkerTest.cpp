// The worker run as the user meets it: the programs to run first, which can
// stop everything, the removal phases with the progress bar, the deletion of
// the log, and the programs to run last.
#include <gtest/gtest.h>

#include "../support/FileBytes.h"
#include "CaseFixture.h"

using namespace e2e;

namespace {

class Worker : public UninstallerCase {
protected:
    void SetUp() override {
        UninstallerCase::SetUp();
        record = dir + "\\record.txt";
    }

    // The lines the test program wrote to the record file, in order.
    Lines Records() const {
        const std::optional<std::string> bytes = ReadFileBytes(record);
        return bytes ? SplitAt(*bytes, "\r\n") : Lines();
    }

    std::string record;
};

}  // namespace

TEST_F(Worker, LogWithoutSectionsShowsOnlyTheFinalLineAndIsDeleted) {
    ASSERT_TRUE(WriteFileBytes(log, "; nothing was installed\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    const Seen& end = r.seen.back();
    EXPECT_EQ(end.lines, Lines{kDone});
    EXPECT_EQ(end.progress.pos, 10);
    EXPECT_EQ(end.progress.min, 0);
    EXPECT_EQ(end.progress.max, 10);
    EXPECT_FALSE(FileExists(log));
}

TEST_F(Worker, FailingFirstProgramStopsTheRunBeforeAnythingIsRemoved) {
    const std::string file = dir + "\\app.dll";
    ASSERT_TRUE(WriteFileBytes(file, "code"));
    ASSERT_TRUE(WriteFileBytes(
        log, "[PreRunApp]\r\n1=" + kTestProgram + ",--record " + record +
                 " --exit 1,,0,Verifica in corso\r\n"
                 "[CopyFiles]\r\n" + file + "=1\r\n[CreateDirs]\r\n" + dir + "=1\r\n"
                 "[RunApp]\r\n1=" + kTestProgram + ",--record " + record + ",,0,Mai\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    const Seen& end = r.seen.back();
    EXPECT_EQ(end.lines, Lines{"Verifica in corso"});
    EXPECT_EQ(end.progress.pos, 0);
    EXPECT_EQ(end.progress.max, 10);
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(log));
    EXPECT_EQ(Records().size(), 1u);  // the "RunApp" program never ran
    EXPECT_EQ(r.exitCode, 0u);
}

TEST_F(Worker, SecondProgramIsNeverStartedAfterTheFirstFails) {
    const std::string second = dir + "\\second.txt";
    ASSERT_TRUE(WriteFileBytes(
        log, "[PreRunApp]\r\n1=" + kTestProgram + ",--record " + record + " --exit 2\r\n"
             "2=" + kTestProgram + ",--record " + second + ",,,Secondo\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, Lines{});
    EXPECT_EQ(r.seen.back().progress.pos, 0);
    EXPECT_EQ(Records().size(), 1u);
    EXPECT_FALSE(FileExists(second));
    EXPECT_TRUE(FileExists(log));
}

// 259 is also the code that marks a running process: the wait must still end.
TEST_F(Worker, ExitCode259EndsTheWaitAndCountsAsAFailure) {
    ASSERT_TRUE(WriteFileBytes(
        log, "[PreRunApp]\r\n1=" + kTestProgram + ",--exit 259,,0,Codice 259\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, Lines{"Codice 259"});
    EXPECT_EQ(r.seen.back().progress.pos, 0);
    EXPECT_TRUE(FileExists(log));
}

TEST_F(Worker, MissingProgramIsPassedOverAndTheRunGoesOn) {
    const std::string file = dir + "\\app.dll";
    ASSERT_TRUE(WriteFileBytes(file, "code"));
    ASSERT_TRUE(WriteFileBytes(
        log, "[PreRunApp]\r\n1=" + dir + "\\nowhere.exe,,,,Mai visto\r\n"
             "2=" + dir + ",,,,Una cartella\r\n"
             "3=" + kTestProgram + ",--record " + record + ",,0,\"Attendere, prego, grazie\"\r\n"
             "[CopyFiles]\r\n" + file + "=1\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{"Attendere, prego, grazie", kFilesLine, kDone}));
    EXPECT_EQ(r.seen.back().progress.pos, 10);
    EXPECT_EQ(Records().size(), 1u);
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(FileExists(log));
}

// Field 4 chooses how the program is shown; parameters and directory reach it
// unchanged, and without a directory it starts in the Windows directory.
TEST_F(Worker, FieldsReachTheProgramAndTheShowModeMapsToTheShellsValue) {
    const std::string work = dir + "\\work";
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    const std::string args = "--record " + record + " --show";
    std::string text = "[PreRunApp]\r\n";
    const Lines modes{"0", "1", "2", "3", "7", "x", " $2"};
    for (size_t i = 0; i < modes.size(); ++i) {
        text += std::to_string(i) + "=" + kTestProgram + "," + args + "," + work + "," + modes[i] + "\r\n";
    }
    text += "m=" + kTestProgram + "," + args + "\r\n";  // no show field at all
    ASSERT_TRUE(WriteFileBytes(log, text));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, Lines{kDone});
    const Lines records = Records();
    ASSERT_EQ(records.size(), 2 * (modes.size() + 1)) << ::testing::PrintToString(records);
    const Lines shows{"show=0", "show=5", "show=3", "show=2", "show=5", "show=5", "show=3", "show=5"};
    for (size_t i = 0; i < shows.size(); ++i) {
        const std::string& where = i + 1 < shows.size() ? work : WindowsDir();
        EXPECT_EQ(records[2 * i], args + "|" + where) << i;
        EXPECT_EQ(records[2 * i + 1], shows[i]) << i;
    }
}

// The parser takes the outer pair of quotes off the whole value, so the
// program field runs on to the end of it and names no file.
TEST_F(Worker, ValueQuotedAtBothEndsNamesNoProgram) {
    ASSERT_TRUE(WriteFileBytes(log, "[PreRunApp]\r\n1=\"" + kTestProgram + "\",--record " +
                                        record + ",,,\"Testo\"\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, Lines{kDone});
    EXPECT_FALSE(FileExists(record));
}

TEST_F(Worker, LastProgramsRunAfterTheLogIsGoneAndTheirFailuresAreIgnored) {
    const std::string file = dir + "\\app.dll";
    ASSERT_TRUE(WriteFileBytes(file, "code"));
    const std::string probe = " --probe " + log + " --probe " + file;
    ASSERT_TRUE(WriteFileBytes(
        log, "[Strings]\r\n5=Tutto finito\r\n"
             "[RunApp]\r\n1=" + kTestProgram + ",--record " + record + probe + " --exit 3,,0,Dopo\r\n"
             "2=" + dir + "\\nowhere.exe,,,,Mai visto\r\n"
             "3=" + kTestProgram + ",--record " + record + probe + ",,0\r\n"
             "[CopyFiles]\r\n" + file + "=1\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    // Message 5 comes from the log too, read after its deletion.
    EXPECT_EQ(r.seen.back().lines, (Lines{kFilesLine, "Dopo", "Tutto finito"}));
    EXPECT_EQ(r.seen.back().progress.pos, 10);
    const Lines records = Records();
    ASSERT_EQ(records.size(), 6u) << ::testing::PrintToString(records);
    for (size_t run = 0; run < 2; ++run) {
        EXPECT_EQ(records[3 * run + 1], log + "=0");
        EXPECT_EQ(records[3 * run + 2], file + "=0");
    }
    EXPECT_FALSE(FileExists(log));
}

TEST_F(Worker, NothingIsRemovedWhileAFirstProgramRuns) {
    // While the first program waits, nothing after it has happened yet.
    const std::string go = dir + "\\go";
    const std::string file = dir + "\\app.dll";
    ASSERT_TRUE(WriteFileBytes(file, "code"));
    ASSERT_TRUE(WriteFileBytes(
        log, "[PreRunApp]\r\n1=" + kTestProgram + ",--wait-for " + go + ",,0,In attesa\r\n"
             "[CopyFiles]\r\n" + file + "=1\r\n"));
    Process p = StartAndConfirm();
    ASSERT_TRUE(p);
    const HWND dialog = WaitForTopWindow(p.id(), IsMainDialog);
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < 500 && ReadStatusLines(dialog).empty(); ++i) Sleep(kPollMs);
    EXPECT_EQ(ReadStatusLines(dialog), Lines{"In attesa"});
    EXPECT_EQ(ReadProgress(dialog).pos, 0);
    EXPECT_EQ(ReadProgress(dialog).max, 10);
    EXPECT_TRUE(FileExists(file));
    ASSERT_TRUE(WriteFileBytes(go, ""));
    ASSERT_TRUE(WaitForControlEnabled(dialog, IDOK));
    EXPECT_EQ(ReadStatusLines(dialog), (Lines{"In attesa", kFilesLine, kDone}));
    EXPECT_EQ(ReadProgress(dialog).pos, 10);
    EXPECT_FALSE(FileExists(file));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
}

// An error that leaves a phase ends the run with its message as the last
// status line; the later phases, the log deletion and the final line are
// skipped, and Close still comes. Here the log cannot be opened again when
// AddIni's status word is looked up in it: an AddIni line names the log
// itself, so the cached copy was dropped, and another program locked the
// log before the confirmation, so the uninstaller could not hold it itself.
TEST_F(Worker, ErrorInAPhaseIsShownAndCloseStillComes) {
    const std::string shared = dir + "\\shared.dll";
    const std::string file = dir + "\\app.dll";
    const std::string ini = dir + "\\app.ini";
    ASSERT_TRUE(WriteFileBytes(shared, "code"));
    ASSERT_TRUE(WriteFileBytes(file, "code"));
    ASSERT_TRUE(WriteFileBytes(ini, "[Settings]\r\nKey=v\r\n"));
    ASSERT_TRUE(WriteFileBytes(log, "[SharedFiles]\r\n" + shared + "=1\r\n[AddIni]\r\n" + ini +
                                        ",Settings,Key=1\r\n" + log + ",Settings,Key=1\r\n" +
                                        "[CopyFiles]\r\n" + file + "=1\r\n"));
    // The log is in the profile cache once the confirmation shows.
    Process p = StartProgram(kUninstaller, Quote(log));
    ASSERT_TRUE(p);
    const HWND box = WaitForTopWindow(p.id(), IsMessageBox);
    ASSERT_NE(box, nullptr);
    UniqueFile locked(CreateFileA(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked);
    ASSERT_TRUE(PressButton(box, IDYES));
    // The shared file has no use count, so the worker asks about it.
    const HWND ask = WaitForTopWindow(p.id(), IsSharedFileDialog);
    ASSERT_NE(ask, nullptr);
    ASSERT_TRUE(PressButton(ask, 109));  // "No": the file stays
    const HWND dialog = WaitForTopWindow(p.id(), IsMainDialog);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitForControlEnabled(dialog, IDOK));
    std::string upperLog = log;
    CharUpperBuffA(&upperLog[0], static_cast<DWORD>(upperLog.size()));
    EXPECT_EQ(ReadStatusLines(dialog),
              (Lines{"Verifica file condivisi... ok", "Rimozioni dei dati di inizializzazione...",
                     "Cannot open file " + upperLog}));
    EXPECT_EQ(ReadProgress(dialog).pos, 3);
    locked.reset();
    EXPECT_TRUE(FileExists(log));
    EXPECT_TRUE(FileExists(file));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
}
