// Files, shortcuts and directories as an uninstallation removes them: masks
// in one directory, read-only files, files in use put off until the next
// restart, help-file companions, kept shared files, shortcuts and empty
// directories deepest first.
#include <gtest/gtest.h>

#include <algorithm>

#include "CaseFixture.h"

using namespace e2e;

namespace {

class Files : public UninstallerCase {
protected:
    void SetUp() override {
        UninstallerCase::SetUp();
        ClearPendingRenames();
    }
    void TearDown() override {
        for (const std::string& file : counters) DeleteValue(HKEY_LOCAL_MACHINE, kCounters,
                file, kOldLogView);
        ClearPendingRenames();
        UninstallerCase::TearDown();
    }

    // Creates the case's file name (directories included) and returns its path.
    std::string Make(const std::string& name) {
        const std::string path = dir + "\\" + name;
        EXPECT_TRUE(WriteFileBytes(path, "data")) << path;
        return path;
    }
    std::string MakeDir(const std::string& name) {
        const std::string path = dir + "\\" + name;
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        return path;
    }
    // A "path=1" line for each path.
    static std::string Section(const std::string& name, const Lines& paths) {
        std::string text = "[" + name + "]\r\n";
        for (const std::string& path : paths) text += path + "=1\r\n";
        return text;
    }

    // Writes the log, then runs the uninstaller on it to the end.
    ScenarioResult Run(const std::string& logText, const std::string& shot = "") {
        EXPECT_TRUE(WriteFileBytes(log, logText));
        return RunToTheEnd({}, shot);
    }

    Lines counters;  // SharedDLLs values the case made
};

}  // namespace

TEST_F(Files, MaskDeletesMatchingFilesOfItsDirectoryOnly) {
    const std::string a = Make("App\\a.dll");
    const std::string b = Make("App\\B.DLL");
    const std::string text = Make("App\\readme.txt");
    const std::string nested = Make("App\\Sub\\c.dll");
    const std::string inPlugins = Make("App\\Plugins.dll\\d.txt");
    const ScenarioResult r = Run(Section("CopyFiles", {dir + "\\App\\*.dll"}));
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{kFilesLine, kDone}));
    EXPECT_EQ(r.seen.back().progress.pos, 10);
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(FileExists(b));
    EXPECT_TRUE(FileExists(text));
    EXPECT_TRUE(FileExists(nested));
    EXPECT_TRUE(FileExists(inPlugins));
    EXPECT_TRUE(DirectoryExists(dir + "\\App\\Plugins.dll"));
}

TEST_F(Files, ReadOnlyFileIsDeletedAndMissingOnesArePassedOver) {
    const std::string readOnly = Make("ro.txt");
    ASSERT_TRUE(MakeReadOnly(readOnly));
    const std::string plain = Make("plain.txt");
    const ScenarioResult r = Run(Section(
        "CopyFiles", {dir + "\\missing.txt", dir + "\\NoDir\\*.*", readOnly, plain, "=orphan"}));
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{kFilesLine, kDone}));
    EXPECT_FALSE(FileExists(readOnly));
    EXPECT_FALSE(FileExists(plain));
    EXPECT_TRUE(ReadPendingRenames().empty());
}

// A file in use is put off until the next restart, the files line still ends
// with " ok", its directory stays because it is not empty yet and says so,
// and the user is told to restart.
// The restart takes the file in use and then its folder, so it leaves nothing.
TEST_F(Files, FileInUseIsScheduledForRestartAndItsFolderAfterIt) {
    const std::string busy = Make("Busy\\busy.dll");
    const std::string other = Make("Busy\\other.dll");
    HeldFile held(busy);
    ASSERT_TRUE(held.held());
    const ScenarioResult r = Run(Section("CopyFiles", {dir + "\\Busy\\*.dll"}) +
                                 Section("CreateDirs", {dir + "\\Busy"}));
    held.Release();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{kFilesLine, kDirsLine, kRestartLine, kDone}));
    EXPECT_TRUE(FileExists(busy));
    EXPECT_FALSE(FileExists(other));
    EXPECT_EQ(ReadPendingRenames(), (Lines{PendingName(busy), "", PendingName(dir + "\\Busy"), ""}));
    EXPECT_TRUE(DirectoryExists(dir + "\\Busy"));
}

TEST_F(Files, HelpFileTakesItsGidAndFtsCompanions) {
    const Lines gone{Make("Help.hlp"), Make("Help.gid"), Make("Help.fts"), Make("Docs\\a.hlp"),
                     Make("Docs\\a.gid"), Make("Docs\\b.fts")};
    const Lines kept{Make("Help.txt"), Make("Other.gid"), Make("Help.gid.bak")};
    // The extension test ignores case; the companions follow a mask as a mask.
    const ScenarioResult r =
        Run(Section("CopyFiles", {dir + "\\Help.HLP", dir + "\\Docs\\*.hlp"}));
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{kFilesLine, kDone}));
    for (const std::string& path : gone) EXPECT_FALSE(FileExists(path)) << path;
    for (const std::string& path : kept) EXPECT_TRUE(FileExists(path)) << path;
}

// The kept name is compared with the key as written, ignoring case: the key
// is not expanded as a mask for it, so a mask still reaches a kept file.
TEST_F(Files, KeptSharedFileIsPassedOverWithItsCompanions) {
    const std::string shared = Make("Shared.hlp");
    const std::string gid = Make("Shared.gid");
    const std::string fts = Make("Shared.fts");
    const std::string maskReached = Make("Lib\\kept.dll");
    const std::string plain = Make("plain.dll");
    for (const std::string& path : {shared, maskReached}) {
        ASSERT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, kCounters, path, 3, kOldLogView));
        counters.push_back(path);
    }
    const ScenarioResult r =
        Run(Section("SharedFiles", {shared, maskReached}) +
            Section("CopyFiles", {Upper(shared), dir + "\\Lib\\*.dll", plain}));
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{kSharedLine, kFilesLine, kDone}));
    EXPECT_TRUE(FileExists(shared));
    EXPECT_TRUE(FileExists(gid));
    EXPECT_TRUE(FileExists(fts));
    EXPECT_FALSE(FileExists(maskReached));
    EXPECT_FALSE(FileExists(plain));
    EXPECT_EQ(ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters,
            shared, kOldLogView), std::optional<DWORD>(2));
}

TEST_F(Files, ShortcutsGetTheirExtensionReplacedOrAppendedAndAreNeverScheduled) {
    const Lines gone{Make("Menu\\App.lnk"), Make("Menu\\App.pif"), Make("Menu\\Tool.lnk"),
                     Make("Menu\\Tool.pif"), Make("Menu\\Doc.lnk"), Make("Menu\\Doc.pif"),
                     Make("Menu\\Dir.v2\\Name.lnk"), Make("Menu\\Ro.lnk")};
    ASSERT_TRUE(MakeReadOnly(dir + "\\Menu\\Ro.lnk"));
    const Lines kept{Make("Menu\\Tool"), Make("Menu\\Doc.txt"), Make("Menu\\Held.lnk"),
                     Make("Menu\\Wild.lnk")};
    HeldFile held(dir + "\\Menu\\Held.lnk");
    ASSERT_TRUE(held.held());
    const ScenarioResult r = Run(Section(
        "Shortcuts", {dir + "\\Menu\\App.lnk", dir + "\\Menu\\Tool", dir + "\\Menu\\Doc.txt",
                      dir + "\\Menu\\Dir.v2\\Name", dir + "\\Menu\\Ro.pif",
                      dir + "\\Menu\\Held.lnk", dir + "\\Menu\\W*"}));
    held.Release();
    ASSERT_TRUE(r.ok) << Describe(r);
    // The held shortcut is the one item that stayed.
    EXPECT_EQ(r.seen.back().lines,
              (Lines{"Rimozione delle icone... elementi non rimossi: 1", kDone}));
    for (const std::string& path : gone) EXPECT_FALSE(FileExists(path)) << path;
    for (const std::string& path : kept) EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_TRUE(ReadPendingRenames().empty());
}

// The log lies inside a directory to remove: the handler deletes it first.
// Subdirectories go before their parents whatever the order and the case of
// the lines; a directory that still holds a file stays and is counted.
TEST_F(Files, DirectoriesGoDeepestFirstAndOnlyWhenEmpty) {
    MakeDir("App");
    MakeDir("App\\Data");
    MakeDir("App\\Data\\Deep");
    MakeDir("Keep");
    MakeDir("Keep\\Empty");
    const std::string keptFile = Make("Keep\\user.cfg");
    log = dir + "\\App\\uninst.log";
    const ScenarioResult r =
        Run(Section("CreateDirs", {dir + "\\app", dir + "\\APP\\Data\\deep", dir + "\\Keep",
                                   dir + "\\Missing", dir + "\\keep\\EMPTY", dir + "\\App\\DATA"}));
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines,
              (Lines{"Rimozione delle cartelle... elementi non rimossi: 1", kDone}));
    EXPECT_EQ(r.seen.back().progress.pos, 10);
    EXPECT_FALSE(DirectoryExists(dir + "\\App"));
    EXPECT_FALSE(DirectoryExists(dir + "\\Keep\\Empty"));
    EXPECT_TRUE(FileExists(keptFile));
}

TEST_F(Files, EmptySectionsShowNoLine) {
    const std::string file = Make("stay.txt");
    const ScenarioResult r =
        Run("[Shortcuts]\r\n[CopyFiles]\r\nno equals sign here\r\n[CreateDirs]\r\n; " + dir + "\r\n");
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, Lines{kDone});
    EXPECT_EQ(r.seen.back().progress.pos, 10);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(log));  // the worker deletes it all the same
}

// The three sections in phase order whatever their order in the log.
TEST_F(Files, SectionsRunInPhaseOrder) {
    const std::string file = Make("App\\app.exe");
    const std::string link = Make("Menu\\App.lnk");
    const ScenarioResult r =
        Run(Section("CreateDirs", {dir + "\\App", dir + "\\Menu"}) +
                Section("CopyFiles", {file}) + Section("Shortcuts", {link}),
            kArtifacts + "\\files-finished.bmp");
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen.back().lines, (Lines{kShortcutsLine, kFilesLine, kDirsLine, kDone}));
    EXPECT_EQ(r.seen.back().selected, 3);
    EXPECT_EQ(r.seen.back().progress.pos, 10);
    EXPECT_FALSE(DirectoryExists(dir + "\\App"));
    EXPECT_FALSE(DirectoryExists(dir + "\\Menu"));
}
