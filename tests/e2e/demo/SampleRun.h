// One whole run on the bundled sample application "Tamsk Demo": install it
// from its log, uninstall it as a user would (Yes; "Sì" to the first unused
// shared file, "No" to the second; Close), and take stock afterwards. Shared
// by the demo and by the end-to-end test of a complete uninstallation.
#pragma once

#include <string>
#include <vector>

#include "SampleInstall.h"
#include "UiDriver.h"

namespace e2e {

struct SampleRunInput {
    std::string uninstaller;  // UnVrel.exe
    std::string testProgram;  // TestProgram.exe, for {TestProgram} in the log
    std::string sampleLog;    // samples/demo/install.log
    std::string oleServer;    // a DLL standing in for the log's OLE server; may be empty
    std::string shotDir;      // where the screenshots go; empty for none
    bool preview = false;     // first a preview (/PREVIEW), closed at once
};

struct SampleRunResult {
    bool installed = false;
    ScenarioResult preview;                // when asked for: the preview window, closed
    ScenarioResult scenario;
    std::vector<LogItem> items;            // every item of the log, after the run
    bool logDeleted = false;
    std::vector<std::string> records;      // what the programs and the server recorded
};

// The installation log's own path in the sample.
extern const char* const kSampleLogPath;

SampleRunResult RunSample(const SampleRunInput& input);

// True for the items that must stay: the shared file others still use and
// the one the user keeps.
bool SampleItemShouldStay(const LogItem& item);

}  // namespace e2e
