// Shared files as an uninstallation meets them: use counts under
// HKLM\...\SharedDLLs lowered or removed, DLG_DELSHARED asked about the files
// no other installation uses, and "CopyFiles" deleting only what may go.
#include <gtest/gtest.h>

#include "CaseFixture.h"

using namespace e2e;

namespace {

const std::string kExplanation =
    "Il sistema indica che il seguente file condiviso non \xE8 pi\xF9 utilizzato da alcun "
    "programma.  Se qualche programma sta ancora utilizzando questo file ed esso viene rimosso, "
    "potrebbe cessare di funzionare.  Si \xE8 certi di voler rimuovere il file condivso?\r\r"
    "Lasciare questo file non dannegger\xE0 il sistema.  Se non si \xE8 certi su cosa fare, \xE8 "
    "consigliabile scegliere di non rimuovere il componente condiviso.";

constexpr int kYes = 107, kYesToAll = 108, kNo = 109, kNoToAll = 110;

class SharedFiles : public SharedFilesCase {
protected:
    // A log that lists every shared file both in "SharedFiles" and in
    // "CopyFiles", as an installation does, plus extra sections.
    void WriteLog(const std::string& extra = "") {
        std::string text = "[SharedFiles]\r\n";
        for (const std::string& file : sharedFiles) text += file + "=1\r\n";
        text += "[CopyFiles]\r\n";
        for (const std::string& file : sharedFiles) text += file + "=1\r\n";
        ASSERT_TRUE(WriteFileBytes(log, text + extra));
    }
};

Step Answer(int button) { return PressStep(WindowKind::SharedFileDialog, button); }

}  // namespace

TEST_F(SharedFiles, CountAboveOneIsLoweredAndTheFileStays) {
    const std::string file = Shared("used.dll", 3);
    WriteLog();
    const ScenarioResult r = RunToTheEnd({});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (std::vector<std::string>{kSharedLine, kFilesLine, kDone}));
    EXPECT_EQ(Count(file), std::optional<DWORD>(2));
    EXPECT_TRUE(FileExists(file));  // kept from "CopyFiles"
}

TEST_F(SharedFiles, CountOfOneAnsweredYesRemovesCountAndFile) {
    const std::string file = Shared("lonely.dll", 1);
    WriteLog();
    const std::string shot = kArtifacts + "\\delshared-default.bmp";
    const ScenarioResult r = RunToTheEnd({PressStep(WindowKind::SharedFileDialog, kYes, shot)});
    ASSERT_TRUE(r.ok) << Describe(r);
    const Seen& asked = r.seen[1];
    EXPECT_EQ(asked.caption, "Rimuovere il file condiviso?");
    EXPECT_EQ(asked.ControlText(101), kExplanation);
    EXPECT_EQ(asked.ControlText(103), "Nome del file:");
    EXPECT_EQ(asked.ControlText(105), "Collocato in:");
    EXPECT_EQ(asked.ControlText(104), "lonely.dll");
    EXPECT_EQ(asked.ControlText(106), dir + "\\");
    EXPECT_EQ(asked.ControlText(kYes), "S\xEC");
    EXPECT_EQ(asked.ControlText(kYesToAll), "S\xEC a tutti");
    EXPECT_EQ(asked.ControlText(kNo), "No");
    EXPECT_EQ(asked.ControlText(kNoToAll), "No a tutti");
    EXPECT_EQ(r.seen.back().lines, (std::vector<std::string>{kSharedLine, kFilesLine, kDone}));
    EXPECT_FALSE(Count(file).has_value());
    EXPECT_FALSE(FileExists(file));
}

TEST_F(SharedFiles, NoAndEscapeKeepCountAndFile) {
    const std::string first = Shared("first.dll", 1);
    const std::string second = Shared("second.dll", 1);
    WriteLog();
    const ScenarioResult r =
        RunToTheEnd({Answer(kNo), KeyStep(WindowKind::SharedFileDialog, VK_ESCAPE)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].ControlText(104), "first.dll");
    EXPECT_EQ(r.seen[2].ControlText(104), "second.dll");
    for (const std::string& file : {first, second}) {
        EXPECT_EQ(Count(file), std::optional<DWORD>(1)) << file;
        EXPECT_TRUE(FileExists(file)) << file;
    }
}

TEST_F(SharedFiles, EnterAnswersYes) {
    const std::string file = Shared("enter.dll", 1);
    WriteLog();
    const ScenarioResult r = RunToTheEnd({KeyStep(WindowKind::SharedFileDialog, VK_RETURN)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_FALSE(Count(file).has_value());
    EXPECT_FALSE(FileExists(file));
}

TEST_F(SharedFiles, FileWithoutCountIsAskedAbout) {
    const std::string kept = Shared("nocount-kept.dll", std::nullopt);
    const std::string gone = Shared("nocount-gone.dll", std::nullopt);
    WriteLog();
    const ScenarioResult r = RunToTheEnd({Answer(kNo), Answer(kYes)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_FALSE(Count(kept).has_value());  // nothing written for the kept one
    EXPECT_TRUE(FileExists(kept));
    EXPECT_FALSE(FileExists(gone));
}

TEST_F(SharedFiles, NoToAllIsRemembered) {
    const std::string a = Shared("a.dll", 1);
    const std::string b = Shared("b.dll", 1);
    const std::string c = Shared("c.dll", 0);
    WriteLog();
    const ScenarioResult r = RunToTheEnd({Answer(kNoToAll)});  // no second dialog
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(Count(a), std::optional<DWORD>(1));
    EXPECT_EQ(Count(b), std::optional<DWORD>(1));
    EXPECT_EQ(Count(c), std::optional<DWORD>(0));
    for (const std::string& file : {a, b, c}) EXPECT_TRUE(FileExists(file)) << file;
}

TEST_F(SharedFiles, YesToAllIsRememberedButCountsAboveOneAreOnlyLowered) {
    const std::string a = Shared("a.dll", 1);
    const std::string b = Shared("b.dll", 1);
    const std::string busy = Shared("busy.dll", 5);
    const std::string c = Shared("c.dll", std::nullopt);
    WriteLog();
    const ScenarioResult r = RunToTheEnd({Answer(kYesToAll)});  // no second dialog
    ASSERT_TRUE(r.ok) << Describe(r);
    for (const std::string& file : {a, b, c}) {
        EXPECT_FALSE(Count(file).has_value()) << file;
        EXPECT_FALSE(FileExists(file)) << file;
    }
    EXPECT_EQ(Count(busy), std::optional<DWORD>(4));
    EXPECT_TRUE(FileExists(busy));
}

TEST_F(SharedFiles, PathWithAQuoteIsCountedLikeAnyOther) {
    const std::string busy = Shared("it's.dll", 3);
    const std::string lonely = Shared("o'neil's.dll", 1);
    WriteLog();
    const ScenarioResult r = RunToTheEnd({Answer(kYes)});  // asked about the second only
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].ControlText(104), "o'neil's.dll");
    EXPECT_EQ(Count(busy), std::optional<DWORD>(2));
    EXPECT_TRUE(FileExists(busy));
    EXPECT_FALSE(Count(lonely).has_value());
    EXPECT_FALSE(FileExists(lonely));
}

TEST_F(SharedFiles, DialogTextsAreReplacedFromStrings) {
    const std::string file = Shared("texts.dll", 1);
    WriteLog("[Strings]\r\n15=Remove shared file?\r\n16=First paragraph.||||Second one.\r\n"
             "17=File name:\r\n18=Located in:\r\n19=Yes\r\n20=Yes to all\r\n21=No way\r\n"
             "22=None\r\n");
    const ScenarioResult r = RunToTheEnd({Answer(kNo)});
    ASSERT_TRUE(r.ok) << Describe(r);
    const Seen& asked = r.seen[1];
    EXPECT_EQ(asked.caption, "Remove shared file?");
    EXPECT_EQ(asked.ControlText(101), "First paragraph.\r\rSecond one.");
    EXPECT_EQ(asked.ControlText(103), "File name:");
    EXPECT_EQ(asked.ControlText(105), "Located in:");
    EXPECT_EQ(asked.ControlText(kYes), "Yes");
    EXPECT_EQ(asked.ControlText(kYesToAll), "Yes to all");
    EXPECT_EQ(asked.ControlText(kNo), "No way");
    EXPECT_EQ(asked.ControlText(kNoToAll), "None");
    EXPECT_TRUE(FileExists(file));
}

TEST_F(SharedFiles, EmptySectionAsksNothingAndKeepsNothing) {
    const std::string file = dir + "\\plain.dll";
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    ASSERT_TRUE(WriteFileBytes(log, "[SharedFiles]\r\n[CopyFiles]\r\n" + file + "=1\r\n"));
    const ScenarioResult r = RunToTheEnd({});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (std::vector<std::string>{kFilesLine, kDone}));
    EXPECT_FALSE(FileExists(file));
}

// The dialog belongs to the worker thread but is owned by the main dialog,
// which stays disabled while it is asked.
TEST_F(SharedFiles, DialogIsModalToTheMainDialog) {
    const std::string file = Shared("owned.dll", 1);
    WriteLog();
    Process p = StartAndConfirm();
    ASSERT_TRUE(p);
    const HWND asked = WaitForTopWindow(p.id(), IsSharedFileDialog);
    ASSERT_NE(asked, nullptr);
    const HWND main = WaitForTopWindow(p.id(), IsMainDialog);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(GetWindow(asked, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_NE(GetWindowThreadProcessId(asked, nullptr), GetWindowThreadProcessId(main, nullptr));
    ASSERT_TRUE(PressButton(asked, kNo));
    ASSERT_TRUE(WaitForControlEnabled(main, IDOK));
    EXPECT_TRUE(IsWindowEnabled(main));
    ASSERT_TRUE(PressButton(main, IDOK));
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
    EXPECT_EQ(Count(file), std::optional<DWORD>(1));
}
