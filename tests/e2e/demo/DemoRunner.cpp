// The demo: installs the sample application from its installation log,
// previews its removal, runs the uninstaller on it the way a user would,
// saves a screenshot of every window, and reports what the uninstallation
// left behind.
//
//   DemoRunner.exe UNVREL TESTPROGRAM SAMPLE_LOG SHOT_DIR [OLE_SERVER_DLL]
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/UnVrelCommandLine.h"
#include "demo/SampleRun.h"

using namespace e2e;

namespace {

void PrintRun(const Seen& dialog) {
    std::printf("Status list:\n");
    for (const std::string& line : dialog.lines) std::printf("  %s\n", line.c_str());
    std::printf("Progress %d of %d\n", dialog.progress.pos, dialog.progress.max);
}

void PrintRecords(const std::vector<std::string>& records) {
    std::printf("Programs and servers that ran (PreRunApp, RegServers, RunApp):\n");
    for (const std::string& record : records)
        std::printf("  %s", record.empty() ? "(nothing recorded)\r\n" : record.c_str());
}

int PrintItems(const std::vector<LogItem>& items) {
    int wrong = 0;
    std::printf("What the log listed:\n");
    for (const LogItem& item : items) {
        const bool expected = item.present == SampleItemShouldStay(item);
        if (!expected) ++wrong;
        std::printf("  %-12s %-6s %s%s\n", item.section.c_str(), item.present ? "stays" : "gone",
                    item.item.c_str(), expected ? "" : "   <-- unexpected");
    }
    return wrong;
}

}  // namespace

int main() {
    const char* commandLine = GetCommandLineA();
    SampleRunInput input;
    input.uninstaller = ParamStr(commandLine, 1);
    input.testProgram = ParamStr(commandLine, 2);
    input.sampleLog = ParamStr(commandLine, 3);
    input.shotDir = ParamStr(commandLine, 4);
    input.oleServer = ParamStr(commandLine, 5);
    input.preview = true;
    if (input.shotDir.empty()) {
        std::printf("usage: DemoRunner UNVREL TESTPROGRAM SAMPLE_LOG SHOT_DIR [OLE_SERVER_DLL]\n");
        return 2;
    }
    std::printf("Installing the sample application and running %s \"%s\"...\n",
                input.uninstaller.c_str(), kSampleLogPath);
    const SampleRunResult run = RunSample(input);
    if (!run.installed) {
        std::printf("the sample installation could not be made\n");
        return 1;
    }
    if (!run.preview.ok) {
        std::printf("%s\n", Describe(run.preview).c_str());
        return 1;
    }
    std::printf("Preview (nothing changed):\n");
    for (const std::string& line : run.preview.seen[0].lines) std::printf("  %s\n", line.c_str());
    std::printf("  %s\n", run.preview.seen[0].text.c_str());
    if (!run.scenario.ok) {
        std::printf("%s\n", Describe(run.scenario).c_str());
        return 1;
    }
    PrintRun(run.scenario.seen.back());
    std::printf("Exit code %lu\n", static_cast<unsigned long>(run.scenario.exitCode.value_or(99)));
    PrintRecords(run.records);
    const int wrong = PrintItems(run.items);
    std::printf("Log file %s\n", run.logDeleted ? "deleted" : "still there  <-- unexpected");
    const bool good = wrong == 0 && run.logDeleted;
    std::printf("%s\n", good ? "Everything is as it should be." : "Some items are not as expected.");
    return good ? 0 : 1;
}
