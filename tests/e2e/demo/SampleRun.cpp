// A whole install-and-uninstall run on the sample application.
#include "demo/SampleRun.h"

#include <windows.h>

#include "StateHelpers.h"

namespace e2e {

const char* const kSampleLogPath = "C:\\Program Files\\Tamsk Demo\\install.log";

namespace {

// Where the programs the log runs, and the OLE server, record that they ran.
const char* const kRecords[] = {"C:\\windows\\temp\\tamsk-demo-prerun.txt",
                                "C:\\windows\\temp\\tamsk-demo-ole.txt",
                                "C:\\windows\\temp\\tamsk-demo-runapp.txt"};

std::string Shot(const std::string& dir, const char* name) {
    return dir.empty() ? std::string() : dir + "\\" + name;
}

}  // namespace

bool SampleItemShouldStay(const LogItem& item) {
    return item.item.find("tamskdemo-common.dll") != std::string::npos ||
           item.item.find("tamskdemo-kept.dll") != std::string::npos;
}

SampleRunResult RunSample(const SampleRunInput& input) {
    SampleRunResult result;
    const auto text = ReadFileBytes(input.sampleLog);
    if (!text) return result;
    const std::string log = ExpandPlaceholders(*text, {{"TestProgram", input.testProgram}});
    result.installed = InstallFromLog(log, input.oleServer) && WriteFileBytes(kSampleLogPath, log);
    if (!result.installed) return result;

    for (const char* record : kRecords) DeleteFileA(record);
    if (input.preview) {
        result.preview = RunScenario(
            input.uninstaller, Quote(kSampleLogPath) + " /PREVIEW",
            {PressStep(WindowKind::PreviewDialog, IDOK, Shot(input.shotDir, "0-preview.bmp"))});
        if (!result.preview.ok) return result;
    }
    SetEnvironmentVariableA("TAMSK_OLE_FIXTURE_LOG", kRecords[1]);
    result.scenario = RunScenario(
        input.uninstaller, Quote(kSampleLogPath),
        {PressStep(WindowKind::MessageBox, IDYES, Shot(input.shotDir, "1-confirm.bmp")),
         PressStep(WindowKind::SharedFileDialog, 107, Shot(input.shotDir, "2-shared-yes.bmp")),
         PressStep(WindowKind::SharedFileDialog, 109, Shot(input.shotDir, "3-shared-no.bmp")),
         PressStep(WindowKind::MainDialog, IDOK, Shot(input.shotDir, "4-finished.bmp"))});
    SetEnvironmentVariableA("TAMSK_OLE_FIXTURE_LOG", nullptr);

    result.items = CheckLogItems(log);
    result.logDeleted = !FileExists(kSampleLogPath);
    for (const char* record : kRecords) result.records.push_back(ReadFileBytes(record).value_or(""));
    return result;
}

}  // namespace e2e
