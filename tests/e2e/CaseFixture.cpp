// The scaffolding of the end-to-end cases: see CaseFixture.h.
#include "CaseFixture.h"

#include "../support/FileBytes.h"

namespace e2e {

const std::string kUninstaller = TAMSK_UNVREL_EXE;
const std::string kTestProgram = TAMSK_TEST_PROGRAM_EXE;
const std::string kArtifacts = E2E_ARTIFACT_DIR;

const std::string kCounters = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

const std::string kDone = "Disinstallazione terminata.";
const std::string kSharedLine = "Verifica file condivisi... ok";
const std::string kShortcutsLine = "Rimozione delle icone... ok";
const std::string kIniLine = "Rimozioni dei dati di inizializzazione... ok";
const std::string kFontsLine = "Rimozione dei font... ok";
const std::string kValuesLine = "Rimozione dei valori di registro... ok";
const std::string kKeysLine = "Rimozione delle chiavi di registro... ok";
const std::string kServersLine = "Rimozione dei server OLE... ok";
const std::string kFilesLine = "Rimozione dei file... ok";
const std::string kDirsLine = "Rimozione delle cartelle... ok";
const std::string kRestartLine = "Alcuni file verranno rimossi al prossimo riavvio del computer.";

std::string TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

std::string WindowsDir() {
    char buffer[MAX_PATH] = {};
    GetWindowsDirectoryA(buffer, MAX_PATH);
    return buffer;
}

std::string Upper(std::string text) {
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::optional<DWORD> RunUnattendedOn(const std::string& log, const std::string& options) {
    const Process p = StartProgram(kUninstaller, Quote(log) + " " + options);
    if (!p) return std::nullopt;
    return WaitForExit(p);
}

Lines ReadReportLines(const std::string& report) {
    const std::optional<std::string> bytes = ReadAllBytes(report);
    return bytes ? SplitAt(*bytes, "\r\n") : Lines();
}

void CaseFixture::SetUp() {
    dir = MakeCaseDir(TestName());
    ASSERT_FALSE(dir.empty());
    log = dir + "\\uninst.log";
}

void CaseFixture::TearDown() { RemoveCaseTree(dir); }

ScenarioResult UninstallerCase::Run(const std::string& args, const std::vector<Step>& steps) {
    ScenarioOptions options;
    options.failureShotPrefix = kArtifacts + "\\" + TestName();
    return RunScenario(kUninstaller, args, steps, options);
}

ScenarioResult UninstallerCase::RunToTheEnd(const std::vector<Step>& between,
                                            const std::string& shot) {
    std::vector<Step> steps{PressStep(WindowKind::MessageBox, IDYES)};
    steps.insert(steps.end(), between.begin(), between.end());
    steps.push_back(PressStep(WindowKind::MainDialog, IDOK, shot));
    return Run(Quote(log), steps);
}

Process UninstallerCase::StartAndConfirm() {
    Process p = StartProgram(kUninstaller, Quote(log));
    if (!p) return p;
    const HWND box = WaitForTopWindow(p.id(), IsMessageBox);
    if (box == nullptr || !PressButton(box, IDYES)) return Process();
    return p;
}

void SharedFilesCase::SetUp() {
    UninstallerCase::SetUp();
    sharedDir = dir;
}

void SharedFilesCase::TearDown() {
    for (const std::string& file : sharedFiles)
        DeleteValue(HKEY_LOCAL_MACHINE, kCounters, file, kOldLogView);
    UninstallerCase::TearDown();
}

std::string SharedFilesCase::Shared(const std::string& name, std::optional<DWORD> count) {
    const std::string path = sharedDir + "\\" + name;
    EXPECT_TRUE(WriteFileBytes(path, "shared")) << path;
    sharedFiles.push_back(path);
    if (count) {
        EXPECT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, kCounters, path, *count, kOldLogView));
    }
    return path;
}

std::optional<DWORD> SharedFilesCase::Count(const std::string& path) const {
    return ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters, path, kOldLogView);
}

void KeyedUninstallerCase::SetUp() {
    UninstallerCase::SetUp();
    key = "Software\\TamskE2E\\" + TestName();
    DeleteKeyTree(HKEY_CURRENT_USER, key);
}

void KeyedUninstallerCase::TearDown() {
    DeleteKeyTree(HKEY_CURRENT_USER, key);
    UninstallerCase::TearDown();
}

void SelfCopyCase::SetUp() {
    UninstallerCase::SetUp();
    ClearPendingRenames();
    tempBefore = ListTempDirNames();
}

void SelfCopyCase::TearDown() {
    // A copy left running by a failed case must not meet the next one.
    for (DWORD child : ListChildProcesses(first.id(), "UnVrel.exe")) {
        const UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child));
        if (process) TerminateProcess(process.get(), 1);
    }
    first = Process();
    ClearPendingRenames();
    UninstallerCase::TearDown();
}

bool SelfCopyCase::WaitForTheCopyToFinish(const std::string& gone) const {
    constexpr DWORD kGoneDeadlineMs = 15000;
    for (DWORD start = GetTickCount(); GetTickCount() - start < kGoneDeadlineMs;
         Sleep(kPollMs)) {
        if (!ExistsAnyPath(gone) && ListTempDirNames() == tempBefore) return true;
    }
    return false;
}

std::string SelfCopyCase::Leftovers() const {
    return ::testing::PrintToString(ListTempDirNames()) + " before " +
           ::testing::PrintToString(tempBefore) + "; pending " +
           ::testing::PrintToString(ReadPendingRenames());
}

}  // namespace e2e
