// Damaged logs and INI files, and an unlucky machine: a NUL byte in a log
// line, INI files of other programs with everything a hand-edited file holds,
// a library planted beside the program, a server path with blanks, and
// another program trying to change the log during the run.
#include <gtest/gtest.h>

#include "CaseFixture.h"

using namespace e2e;

namespace {

const std::string kPlantedDir = TAMSK_PLANTED_DIR;
const std::string kOleFixtureDir = TAMSK_OLE_FIXTURE_DIR;

class DamagedInput : public KeyedUninstallerCase {
protected:
    // A copy of a file at target (directories made as needed).
    static void CopyTo(const std::string& source, const std::string& target) {
        const std::optional<std::string> bytes = ReadFileBytes(source);
        ASSERT_TRUE(bytes) << source;
        ASSERT_TRUE(WriteFileBytes(target, *bytes)) << target;
    }

    // The first line another process wrote to the file, once it is complete;
    // nothing at the deadline.
    static std::optional<std::string> WaitForRecordedLine(const std::string& path) {
        const DWORD start = GetTickCount();
        for (;;) {
            const std::optional<std::string> bytes = ReadFileBytes(path);
            const size_t end = bytes ? bytes->find("\r\n") : std::string::npos;
            if (end != std::string::npos) return bytes->substr(0, end);
            if (GetTickCount() - start > kWindowDeadlineMs) return std::nullopt;
            Sleep(kPollMs);
        }
    }
};

// Wine's per-program form of WINEDLLOVERRIDES=comctl32=n,b: the loader then
// prefers a comctl32.dll beside UnVrel.exe to its own, as Windows does for a
// library that is not one of its known ones. (A changed WINEDLLOVERRIDES
// reaches no program started from inside Wine; this key does.) Removed
// again when the object dies.
class PreferLibraryBesideUnVrel {
public:
    PreferLibraryBesideUnVrel() {
        ok_ = RegCreateKeyA(HKEY_CURRENT_USER, kKey, key_.put()) == ERROR_SUCCESS &&
              RegSetValueExA(key_.get(), "comctl32", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("native,builtin"), 15) == ERROR_SUCCESS;
    }
    ~PreferLibraryBesideUnVrel() {
        key_.reset();
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\UnVrel.exe");
    }
    PreferLibraryBesideUnVrel(const PreferLibraryBesideUnVrel&) = delete;
    PreferLibraryBesideUnVrel& operator=(const PreferLibraryBesideUnVrel&) = delete;

    bool ok() const { return ok_; }

private:
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\UnVrel.exe\\DllOverrides";
    UniqueHkey key_;
    bool ok_ = false;
};

}  // namespace

// The line's checks would see the whole line and the system's calls only the
// text before the NUL: the run must not act on it at all, and must end.
TEST_F(DamagedInput, LogLineHoldingANulByteIsIgnoredAndTheRunEnds) {
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("Vendor"), "Value", 1));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("Vendor\\Sub"), "Inner", 2));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, K("Gone")));
    const std::string nul(1, '\0');
    ASSERT_TRUE(WriteFileBytes(log, "[AddReg]\r\n" + P("Vendor\\Value") + nul + "junk=1\r\n" +
                                        "[CreateKeys]\r\n" + P("Vendor") + nul + "junk=1\r\n" +
                                        P("Gone") + "=1\r\n"));

    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines, (Lines{kKeysLine, kDone}));
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadDwordValue(HKEY_CURRENT_USER, K("Vendor"), "Value"), std::optional<DWORD>(1));
    EXPECT_EQ(ReadDwordValue(HKEY_CURRENT_USER, K("Vendor\\Sub"), "Inner"),
              std::optional<DWORD>(2));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K("Gone")));
    EXPECT_FALSE(FileExists(log));
}

TEST_F(DamagedInput, AddIniKeepsEveryByteButTheRemovedLines) {
    const std::string bom = dir + "\\bom.ini";
    const std::string rich = dir + "\\rich.ini";
    ASSERT_TRUE(WriteFileBytes(bom, "\xEF\xBB\xBF[Settings]\r\nLang=it\r\nKeepMe=1\r\n"
                                    "[Plugins]\r\nOld=1\r\nOther=2\r\n"));
    const std::string richText = "early=before any header\r\n"
                                 "; a comment\r\n"
                                 "[App]\r\n"
                                 "  Gone  =  \"quoted\"  \r\n"
                                 "a line without equals\r\n"
                                 "\r\n"
                                 "Kept = 'quoted'\r"
                                 "[Other]\n\r\n"
                                 "Gone=in another section\r\n"
                                 "[app]\r\n"
                                 "Gone=in a later section of the same name\r\n"
                                 "last=no line end";
    const std::string removed = "  Gone  =  \"quoted\"  \r\n";
    ASSERT_TRUE(WriteFileBytes(rich, richText));
    ASSERT_TRUE(WriteFileBytes(log, "[AddIni]\r\n" + bom + ",Plugins,Old=1\r\n" + rich +
                                        ",App,gone=1\r\n" + rich + ",App,Missing=1\r\n"));
    const ScenarioResult run = RunToTheEnd();
    ASSERT_TRUE(run.ok) << Describe(run);
    EXPECT_EQ(run.seen[1].lines, (Lines{kIniLine, kDone}));
    EXPECT_EQ(ReadFileBytes(bom),
              std::optional<std::string>("\xEF\xBB\xBF[Settings]\r\nLang=it\r\nKeepMe=1\r\n"
                                         "[Plugins]\r\nOther=2\r\n"));
    std::string expected = richText;
    expected.erase(expected.find(removed), removed.size());
    EXPECT_EQ(ReadFileBytes(rich), std::optional<std::string>(expected));
}

TEST_F(DamagedInput, LibraryPlantedBesideTheProgramIsNotLoaded) {
    const std::string program = dir + "\\UnVrel.exe";
    const std::string planted = dir + "\\comctl32.dll";
    CopyTo(kUninstaller, program);
    CopyTo(kPlantedDir + "\\comctl32.dll", planted);
    ASSERT_FALSE(HasFatalFailure());
    const PreferLibraryBesideUnVrel overrides;
    ASSERT_TRUE(overrides.ok());

    ScenarioOptions options;
    options.failureShotPrefix = kArtifacts + "\\" + TestName();
    const ScenarioResult r =
        RunScenario(program, "", {PressStep(WindowKind::MessageBox, IDOK)}, options);
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(FileExists(planted + ".log")) << ReadFileBytes(planted + ".log").value_or("");
}

TEST_F(DamagedInput, ServerProgramWithBlanksInItsPathIsTheOneStarted) {
    const std::string fixture = kOleFixtureDir + "\\OleServerExe.exe";
    const std::string server = dir + "\\My Apps\\Tamsk Demo\\srv.exe";
    const std::string plantedFirst = dir + "\\My.exe";
    const std::string plantedSecond = dir + "\\My Apps\\Tamsk.exe";
    CopyTo(fixture, server);
    CopyTo(fixture, plantedFirst);
    CopyTo(fixture, plantedSecond);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(WriteFileBytes(log, "[RegServers]\r\n" + server + "=1\r\n"));

    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines, (Lines{kServersLine, kDone}));
    // The server is not waited for: its record may come after the run.
    EXPECT_EQ(WaitForRecordedLine(server + ".log"),
              std::optional<std::string>(server + " /UNREGSERVER"));
    EXPECT_FALSE(FileExists(plantedFirst + ".log"));
    EXPECT_FALSE(FileExists(plantedSecond + ".log"));
}

// While the first program waits, another program tries to rewrite, replace
// and delete the log: all three fail, reading still works, and the run ends
// as usual with the log deleted by the uninstaller itself.
TEST_F(DamagedInput, LogCannotBeChangedByOthersDuringTheRun) {
    const std::string go = dir + "\\go";
    const std::string moved = dir + "\\moved.log";
    const std::string file = dir + "\\app.dll";
    ASSERT_TRUE(WriteFileBytes(file, "code"));
    ASSERT_TRUE(WriteFileBytes(log, "[PreRunApp]\r\n1=" + kTestProgram + ",--wait-for " + go +
                                        ",,0,In attesa\r\n[CopyFiles]\r\n" + file + "=1\r\n"));
    Process p = StartAndConfirm();
    ASSERT_TRUE(p);
    const HWND dialog = WaitForTopWindow(p.id(), IsMainDialog);
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < 500 && ReadStatusLines(dialog).empty(); ++i) Sleep(kPollMs);
    ASSERT_EQ(ReadStatusLines(dialog), Lines{"In attesa"});

    const UniqueFile writer(CreateFileA(log.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_FALSE(MoveFileA(log.c_str(), moved.c_str()));
    EXPECT_FALSE(DeleteFileA(log.c_str()));
    EXPECT_TRUE(ReadFileBytes(log).has_value());

    ASSERT_TRUE(WriteFileBytes(go, ""));
    ASSERT_TRUE(WaitForControlEnabled(dialog, IDOK));
    EXPECT_EQ(ReadStatusLines(dialog), (Lines{"In attesa", kFilesLine, kDone}));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(FileExists(log));
    EXPECT_FALSE(FileExists(moved));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
}
