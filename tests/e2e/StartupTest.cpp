// Start-up as the user meets it: the command line, the boxes before anything
// is removed, the replaced message texts, and the main dialog's life cycle.
#include <gtest/gtest.h>

#include <utility>

#include "../support/FileBytes.h"
#include "CaseFixture.h"

using namespace e2e;

namespace {

const std::string kTitle = "Tamsk Uninstaller";
const std::string kConfirm =
    "Si \xE8 certi di voler rimuovere completamente l'applicazione selezionata e tutti i suoi "
    "componenti?";

using Startup = UninstallerCase;

}  // namespace

TEST_F(Startup, NoArgumentShowsMessage2AndEnds) {
    const ScenarioResult r = Run("", {PressStep(WindowKind::MessageBox, IDOK)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].caption, kTitle);
    EXPECT_EQ(r.seen[0].text, "Log file di installazione non specificato!");
    EXPECT_EQ(r.seen[0].Buttons(), std::vector<int>{IDOK});
    EXPECT_EQ(r.exitCode, 0u);
}

TEST_F(Startup, MissingLogShowsMessage3WithThePathAsGiven) {
    const std::string missing = dir + "\\Nowhere\\app.log";
    const ScenarioResult r = Run(Quote(missing), {PressStep(WindowKind::MessageBox, IDOK)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].caption, kTitle);
    EXPECT_EQ(r.seen[0].text, "Log file di installazione " + missing + " non reperibile!");
    EXPECT_EQ(r.exitCode, 0u);
}

TEST_F(Startup, DirectoryGivenAsLogIsNotALog) {
    const ScenarioResult r = Run(Quote(dir), {KeyStep(WindowKind::MessageBox, VK_RETURN)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].text, "Log file di installazione " + dir + " non reperibile!");
    EXPECT_EQ(r.exitCode, 0u);
}

TEST_F(Startup, NoToTheConfirmationTouchesNothing) {
    const std::string file = dir + "\\keep.txt";
    ASSERT_TRUE(WriteFileBytes(file, "data"));
    const std::string text = "[CopyFiles]\r\n" + file + "=1\r\n[CreateDirs]\r\n" + dir + "=1\r\n";
    ASSERT_TRUE(WriteFileBytes(log, text));
    const ScenarioResult r = Run(Quote(log), {PressStep(WindowKind::MessageBox, IDNO)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].caption, kTitle);
    EXPECT_EQ(r.seen[0].text, kConfirm);
    EXPECT_EQ(r.seen[0].Buttons(), (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadFileBytes(file), std::optional<std::string>("data"));
    EXPECT_EQ(ReadFileBytes(log), std::optional<std::string>(text));
}

TEST_F(Startup, QuotedPathWithBlanksIsTakenWholeAndFurtherArgumentsIgnored) {
    const std::string spaced = dir + "\\Program Files\\My App\\install.log";
    ASSERT_TRUE(WriteFileBytes(spaced, "[Strings]\r\n4=Rimuovere My App?\r\n"));
    const ScenarioResult r =
        Run(Quote(spaced) + " second.log third", {PressStep(WindowKind::MessageBox, IDNO)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].text, "Rimuovere My App?");
}

TEST_F(Startup, BareFileNameIsLookedForInTheWindowsDirectory) {
    const std::string name = "tamsk-e2e-bare.log";
    const std::string path = WindowsDir() + "\\" + name;
    ASSERT_TRUE(WriteFileBytes(path, "[Strings]\r\n4=Trovato nella cartella di Windows\r\n"));
    const ScenarioResult r = Run(name, {PressStep(WindowKind::MessageBox, IDNO)});
    DeleteFileA(path.c_str());
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].text, "Trovato nella cartella di Windows");
}

TEST_F(Startup, LogThatCannotBeOpenedShowsTheErrorAndEnds) {
    ASSERT_TRUE(WriteFileBytes(log, "[Strings]\r\n4=never read\r\n"));
    UniqueFile held(CreateFileA(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    const ScenarioResult r = Run(Quote(log), {PressStep(WindowKind::MessageBox, IDOK)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].caption, kTitle);
    // The profile cache names files upper-cased.
    std::string upper = log;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    EXPECT_EQ(r.seen[0].text, "Cannot open file " + upper);
    EXPECT_EQ(r.exitCode, 0u);
}

TEST_F(Startup, ReplacedTextsUseTheDecimalKeyAndTurnBarsIntoLineBreaks) {
    ASSERT_TRUE(WriteFileBytes(log, "[Strings]\r\n5=Fatto||finito\r\n23=Close\r\n"));
    ScenarioResult r = Run(Quote(log), {PressStep(WindowKind::MessageBox, IDYES),
                                        PressStep(WindowKind::MainDialog, IDOK)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines.back(), "Fatto\rfinito");
    EXPECT_EQ(r.seen[1].ControlText(IDOK), "Close");

    ASSERT_TRUE(WriteFileBytes(log, "[Strings]\r\n05=Not message 5\r\n"));
    r = Run(Quote(log), {PressStep(WindowKind::MessageBox, IDYES),
                         PressStep(WindowKind::MainDialog, IDOK)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines.back(), kDone);
}

// The box's text is a message like any other: the log, only read, may replace it.
TEST_F(Startup, ReportNamingTheLogIsRefusedWithABoxBeforeTheConfirmation) {
    const std::string files = "[CopyFiles]\r\n" + dir + "\\app.dll=1\r\n";
    const std::string option = "/LOG=" + log;
    for (const auto& [bytes, text] : std::vector<std::pair<std::string, std::string>>{
             {files, option + " indica il log di installazione stesso: il rapporto lo "
                              "sostituirebbe. Nulla \xE8 stato modificato."},
             {files + "[Strings]\r\n41=%s est le journal lui-m\xEAme.\r\n",
              option + " est le journal lui-m\xEAme."}}) {
        ASSERT_TRUE(WriteFileBytes(log, bytes));
        const ScenarioResult r =
            Run(Quote(option) + " " + Quote(log), {PressStep(WindowKind::MessageBox, IDOK)});
        ASSERT_TRUE(r.ok) << Describe(r);
        EXPECT_EQ(r.seen[0].text, text);
        EXPECT_EQ(ReadAllBytes(log), std::optional<std::string>(bytes));
    }
}

// The journal of an earlier run ended part way is what keeps the next run
// from lowering counts twice: a report over it would empty it first.
TEST_F(Startup, ReportNamingTheLogsJournalIsAnInvalidParameter) {
    const std::string bytes = "[CopyFiles]\r\n" + dir + "\\app.dll=1\r\n";
    ASSERT_TRUE(WriteFileBytes(log, bytes));
    const std::string journal = log + ".journal";
    ASSERT_TRUE(WriteFileBytes(journal, "kept"));
    const Process p =
        StartProgram(kUninstaller, "/S " + Quote("/LOG=" + Upper(journal)) + " " + Quote(log));
    ASSERT_TRUE(p);
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(87));
    EXPECT_EQ(ReadAllBytes(journal), std::optional<std::string>("kept"));
    EXPECT_EQ(ReadAllBytes(log), std::optional<std::string>(bytes));
}

// A replaced text is shown whole whatever its length, and the run still ends.
TEST_F(Startup, StatusTextOfTenThousandCharactersIsShownAndTheRunEnds) {
    const std::string file = dir + "\\app.dll";
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    std::string text;
    while (text.size() < 10000) text += "Rimozione dei file " + std::to_string(text.size()) + "; ";
    text.resize(10000);
    ASSERT_TRUE(WriteFileBytes(log, "[Strings]\r\n6=" + text + "\r\n[CopyFiles]\r\n" + file + "=1\r\n"));
    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{text + " ok", kDone}));
    EXPECT_FALSE(FileExists(file));
}

TEST_F(Startup, LogWithoutSectionsEndsWithTheFinalLineAndAFullBar) {
    ASSERT_TRUE(WriteFileBytes(log, "; nothing installed\r\n"));
    const ScenarioResult r =
        Run(Quote(log), {PressStep(WindowKind::MessageBox, IDYES),
                         PressStep(WindowKind::MainDialog, IDOK, kArtifacts + "\\main-default.bmp")});
    ASSERT_TRUE(r.ok) << Describe(r);
    const Seen& dialog = r.seen[1];
    EXPECT_EQ(dialog.caption, kTitle);
    EXPECT_EQ(dialog.ControlText(IDOK), "Chiudi");
    EXPECT_EQ(dialog.lines, std::vector<std::string>{kDone});
    EXPECT_EQ(dialog.selected, 0);
    EXPECT_EQ(dialog.progress.pos, 10);
    EXPECT_EQ(dialog.progress.min, 0);
    EXPECT_EQ(dialog.progress.max, 10);
    EXPECT_EQ(r.exitCode, 0u);
}

// While the worker runs, neither Close nor Enter nor Escape ends the dialog.
TEST_F(Startup, DialogCannotBeClosedWhileTheWorkerRuns) {
    const std::string go = dir + "\\go";
    ASSERT_TRUE(WriteFileBytes(
        log, "[PreRunApp]\r\n1=" + kTestProgram + ",--wait-for " + go + ",,0,\"Attesa, prego\"\r\n"
             "[Display]\r\nDialogTitleFont=Times New Roman,20,255,BIU\r\n"));
    Process p = StartAndConfirm();
    ASSERT_TRUE(p);
    const HWND dialog = WaitForTopWindow(p.id(), IsMainDialog);
    ASSERT_NE(dialog, nullptr);
    // The status text of the waiting program shows that the worker is inside it.
    for (int i = 0; i < 500 && ReadStatusLines(dialog).empty(); ++i) Sleep(kPollMs);
    EXPECT_EQ(ReadStatusLines(dialog), std::vector<std::string>{"Attesa, prego"});
    EXPECT_EQ(ReadWindowText(dialog), kTitle);
    EXPECT_FALSE(IsControlEnabled(dialog, IDOK));
    EXPECT_FALSE(PressButton(dialog, IDOK));
    EXPECT_TRUE(PostCommand(dialog, IDOK));
    EXPECT_TRUE(SendKey(dialog, VK_RETURN));
    EXPECT_TRUE(SendKey(dialog, VK_ESCAPE));
    Sleep(300);  // give the dialog time to (wrongly) act on them
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(WaitForExit(p, 0).has_value());
    SaveWindowBitmap(dialog, kArtifacts + "\\main-running-times.bmp");

    ASSERT_TRUE(WriteFileBytes(go, ""));
    ASSERT_TRUE(WaitForControlEnabled(dialog, IDOK));
    EXPECT_EQ(ReadStatusLines(dialog), (std::vector<std::string>{"Attesa, prego", kDone}));
    EXPECT_EQ(ReadProgress(dialog).pos, 10);
    ASSERT_TRUE(SendKey(dialog, VK_ESCAPE));
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
}
