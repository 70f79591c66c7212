// A complete uninstallation of the sample application: every section of the
// log, shared files answered both ways, and exactly what must stay stays.
#include <gtest/gtest.h>

#include "CaseFixture.h"
#include "demo/SampleRun.h"

using namespace e2e;

#ifdef TAMSK_OLE_FIXTURE_DIR
TEST(FullRun, RemovesTheSampleInstallationLeavingOnlyTheSharedFilesThatStay) {
    SampleRunInput input;
    input.uninstaller = kUninstaller;
    input.testProgram = kTestProgram;
    input.sampleLog = E2E_SAMPLE_LOG;
    input.oleServer = std::string(TAMSK_OLE_FIXTURE_DIR) + "\\OleServerOk.dll";
    input.shotDir = kArtifacts;
    const SampleRunResult run = RunSample(input);
    ASSERT_TRUE(run.installed);
    ASSERT_TRUE(run.scenario.ok) << Describe(run.scenario);
    EXPECT_EQ(run.scenario.exitCode, std::optional<DWORD>(0));

    const Seen& shared = run.scenario.seen[1];
    EXPECT_EQ(shared.ControlText(104), "tamskdemo-unused.dll");
    EXPECT_EQ(shared.ControlText(106), "C:\\windows\\system32\\");
    EXPECT_EQ(run.scenario.seen[2].ControlText(104), "tamskdemo-kept.dll");

    const Seen& dialog = run.scenario.seen.back();
    EXPECT_EQ(dialog.lines, (std::vector<std::string>{
                                "Chiusura di Tamsk Demo in corso...",
                                "Verifica file condivisi... ok",
                                "Rimozione delle icone... ok",
                                "Rimozioni dei dati di inizializzazione... ok",
                                "Rimozione dei font... ok",
                                "Rimozione dei valori di registro... ok",
                                "Rimozione delle chiavi di registro... ok",
                                "Rimozione dei server OLE... ok",
                                "Rimozione dei file... ok",
                                "Rimozione delle cartelle... ok",
                                "Pulizia finale...",
                                "Disinstallazione terminata.",
                            }));
    EXPECT_EQ(dialog.progress.pos, 10);

    for (const LogItem& item : run.items) {
        EXPECT_EQ(item.present, SampleItemShouldStay(item)) << item.section << ": " << item.item;
    }
    EXPECT_EQ(ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters,
            "C:\\windows\\system32\\tamskdemo-common.dll", kOldLogView),
              std::optional<DWORD>(2));
    EXPECT_EQ(ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters,
            "C:\\windows\\system32\\tamskdemo-kept.dll", kOldLogView),
              std::optional<DWORD>(1));
    EXPECT_TRUE(run.logDeleted);
    ASSERT_EQ(run.records.size(), 3u);
    EXPECT_NE(run.records[0].find("tamsk-demo-prerun.txt|C:\\windows"), std::string::npos);
    EXPECT_EQ(run.records[1], "C:\\Program Files\\Tamsk Demo\\TamskServer.dll\r\n");
    EXPECT_NE(run.records[2].find("tamsk-demo-runapp.txt|C:\\windows"), std::string::npos);
    EXPECT_FALSE(DirectoryExists("C:\\Program Files\\Tamsk Demo"));

    // What stays belongs to "other installations" only for this test.
    for (const char* name : {"tamskdemo-common.dll", "tamskdemo-kept.dll"}) {
        // The sample is an old log: its System32 files lie in SysWOW64.
        const std::string path = std::string("C:\\windows\\system32\\") + name;
        DeleteFileA((std::string("C:\\windows\\syswow64\\") + name).c_str());
        DeleteValue(HKEY_LOCAL_MACHINE, kCounters, path, kOldLogView);
    }
}
#endif
