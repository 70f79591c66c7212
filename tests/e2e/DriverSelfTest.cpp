// The UI driver and the state helpers, proved against the stand-in program
// before they are trusted with the real one.
#include <gtest/gtest.h>

#include "CaseFixture.h"

using namespace e2e;

namespace {

const std::string kFixture = E2E_FIXTURE_EXE;

class Driver : public CaseFixture {
protected:
    void SetUp() override {
        CaseFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(WriteFileBytes(log, "[CopyFiles]\r\n"));
    }

    void LetFixtureFinish() { ASSERT_TRUE(WriteFileBytes(log + ".go", "")); }
};

const std::vector<std::string> kFinalLines = {
    "Verifica file condivisi... ok",
    "Rimozione dei file... ok",
    "Disinstallazione terminata. S\xEC",
};

}  // namespace

TEST_F(Driver, ReadsTheErrorBoxAndAnswersItWithEnter) {
    const ScenarioResult r =
        RunScenario(kFixture, "", {KeyStep(WindowKind::MessageBox, VK_RETURN)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].caption, "Tamsk Uninstaller");
    EXPECT_EQ(r.seen[0].text, "Log file di installazione non specificato!");
    EXPECT_EQ(r.seen[0].Buttons(), std::vector<int>{IDOK});
    EXPECT_EQ(r.exitCode, 0u);
}

TEST_F(Driver, AnsweringNoEndsTheProgramAtOnce) {
    const ScenarioResult r =
        RunScenario(kFixture, Quote(log), {PressStep(WindowKind::MessageBox, IDNO)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_NE(r.seen[0].text.find("Si \xE8 certi"), std::string::npos);
    EXPECT_EQ(r.seen[0].Buttons(), (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_LT(r.milliseconds, 5000u);
}

// The low-level calls one by one: keys and a stray command while Close is
// disabled change nothing; once enabled, Escape ends the dialog.
TEST_F(Driver, MainDialogIgnoresKeysUntilCloseIsEnabled) {
    Process p = StartProgram(kFixture, Quote(log));
    ASSERT_TRUE(p);
    HWND box = WaitForTopWindow(p.id(), IsMessageBox);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(PressButton(box, IDYES));
    HWND main = WaitForTopWindow(p.id(), IsMainDialog);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ReadWindowText(main), "Tamsk Uninstaller");
    EXPECT_EQ(ReadControlText(main, IDOK), "Chiudi");

    EXPECT_FALSE(IsControlEnabled(main, IDOK));
    EXPECT_FALSE(PressButton(main, IDOK));
    EXPECT_TRUE(SendKey(main, VK_ESCAPE));
    EXPECT_TRUE(SendKey(main, VK_RETURN));
    EXPECT_TRUE(PostCommand(main, IDOK));
    // Proving that nothing happens needs a fixed wait; it is kept short.
    EXPECT_FALSE(WaitForExit(p, 300));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(ReadStatusLines(main), std::vector<std::string>{kFinalLines[0]});

    LetFixtureFinish();
    ASSERT_TRUE(WaitForControlEnabled(main, IDOK));
    EXPECT_EQ(ReadStatusLines(main), kFinalLines);
    EXPECT_EQ(ReadSelectedIndex(main), 2);
    const Progress progress = ReadProgress(main);
    EXPECT_EQ(progress.pos, 10);
    EXPECT_EQ(progress.min, 0);
    EXPECT_EQ(progress.max, 10);

    const std::string shot = kArtifacts + "\\fixture-main.bmp";
    ASSERT_TRUE(SaveWindowBitmap(main, shot));
    const auto bytes = ReadFileBytes(shot);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(0, 2), "BM");
    EXPECT_GT(bytes->size(), 100000u);  // a dialog of several hundred pixels a side

    ASSERT_TRUE(SendKey(main, VK_ESCAPE));
    EXPECT_EQ(WaitForExit(p), 0u);
}

TEST_F(Driver, ScenarioAnswersSharedFileDialogAndPressesClose) {
    LetFixtureFinish();
    const std::string shot = kArtifacts + "\\fixture-shared.bmp";
    DeleteFileA(shot.c_str());
    const ScenarioResult r = RunScenario(kFixture, Quote(log) + " shared",
                                         {PressStep(WindowKind::MessageBox, IDYES),
                                          PressStep(WindowKind::SharedFileDialog, 108, shot),
                                          PressStep(WindowKind::MainDialog, IDOK)});
    ASSERT_TRUE(r.ok) << Describe(r);
    const Seen& shared = r.seen[1];
    EXPECT_EQ(shared.caption, "Rimuovere il file condiviso?");
    EXPECT_EQ(shared.ControlText(104), "shared.dll");
    EXPECT_EQ(shared.ControlText(108), "S\xEC a tutti");
    EXPECT_EQ(shared.Buttons(), (std::vector<int>{107, 108, 109, 110}));
    EXPECT_EQ(r.seen[2].lines.at(1), "Risposta 10");
    EXPECT_EQ(r.seen[2].lines.back(), kFinalLines.back());
    EXPECT_EQ(r.seen[2].progress.pos, 10);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(FileExists(shot));
}

TEST_F(Driver, KeysAnswerEveryWindowOfAScenario) {
    LetFixtureFinish();
    const ScenarioResult r = RunScenario(kFixture, Quote(log) + " shared",
                                         {KeyStep(WindowKind::MessageBox, VK_RETURN),
                                          KeyStep(WindowKind::SharedFileDialog, VK_ESCAPE),
                                          KeyStep(WindowKind::MainDialog, VK_RETURN)});
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[2].lines.at(1), "Risposta 7");
    EXPECT_EQ(r.exitCode, 0u);
}

TEST_F(Driver, ScenarioStopsAtAnUnexpectedWindowAndCapturesIt) {
    ScenarioOptions options;
    options.failureShotPrefix = kArtifacts + "\\unexpected";
    DeleteFileA((options.failureShotPrefix + "-1.bmp").c_str());
    const ScenarioResult r =
        RunScenario(kFixture, "", {PressStep(WindowKind::MainDialog, IDOK)}, options);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.failure.find("unexpected message box"), std::string::npos) << Describe(r);
    EXPECT_NE(r.failure.find("non specificato"), std::string::npos) << Describe(r);
    EXPECT_TRUE(FileExists(options.failureShotPrefix + "-1.bmp")) << Describe(r);
    EXPECT_LT(r.milliseconds, 10000u);
}

// ---- State helpers ----

TEST_F(Driver, CaseDirectoryStartsEmptyEvenAfterReadOnlyFiles) {
    const std::string file = dir + "\\sub\\a.txt";
    ASSERT_TRUE(WriteFileBytes(file, std::string("x\0y\xEC", 4)));
    EXPECT_EQ(ReadFileBytes(file), std::string("x\0y\xEC", 4));
    ASSERT_TRUE(MakeReadOnly(file));
    EXPECT_FALSE(DeleteFileA(file.c_str()));
    EXPECT_EQ(MakeCaseDir(TestName()), dir);
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_FALSE(RemoveCaseTree("C:\\"));
    EXPECT_FALSE(RemoveCaseTree(kCaseRoot));
}

TEST_F(Driver, HeldFileCannotBeDeletedUntilReleased) {
    const std::string file = dir + "\\held.dll";
    ASSERT_TRUE(WriteFileBytes(file, "MZ"));
    HeldFile held(file);
    ASSERT_TRUE(held.held());
    EXPECT_FALSE(DeleteFileA(file.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    held.Release();
    EXPECT_TRUE(DeleteFileA(file.c_str()));
}

TEST_F(Driver, RegistryHelpersWorkUnderAPrivateKey) {
    const std::string key = "Software\\TamskE2E\\" + TestName();
    ASSERT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, key));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, key + "\\Sub", "Path", "C:\\App\xEC"));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, key, "Count", 3));
    EXPECT_EQ(ReadStringValue(HKEY_CURRENT_USER, key + "\\Sub", "Path"), "C:\\App\xEC");
    EXPECT_EQ(ReadDwordValue(HKEY_CURRENT_USER, key, "Count"), 3u);
    EXPECT_FALSE(ReadDwordValue(HKEY_CURRENT_USER, key + "\\Sub", "Path"));
    EXPECT_TRUE(DeleteValue(HKEY_CURRENT_USER, key, "Count"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key, "Count"));
    EXPECT_FALSE(DeleteKeyTree(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, key));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
}

TEST_F(Driver, PendingRenamesListTheScheduledDeletion) {
    ASSERT_TRUE(ClearPendingRenames());
    EXPECT_TRUE(ReadPendingRenames().empty());
    const std::string a = dir + "\\a.dll";
    const std::string b = dir + "\\b.dll";
    ASSERT_TRUE(MoveFileExA(a.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(MoveFileExA(b.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(ReadPendingRenames(),
              (std::vector<std::string>{PendingName(a), "", PendingName(b), ""}));
    EXPECT_TRUE(ClearPendingRenames());
}

TEST_F(Driver, IniValueTellsAnEmptyValueFromAMissingKey) {
    const std::string ini = dir + "\\app.ini";
    ASSERT_TRUE(WriteFileBytes(ini, "[Main]\r\nEmpty=\r\nName=Caff\xE8\r\n"));
    EXPECT_EQ(ReadIniValue(ini, "Main", "Name"), "Caff\xE8");
    EXPECT_EQ(ReadIniValue(ini, "main", "EMPTY"), "");
    EXPECT_FALSE(ReadIniValue(ini, "Main", "Missing"));
    EXPECT_FALSE(ReadIniValue(ini, "Other", "Name"));
}
