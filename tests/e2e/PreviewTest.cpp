// /PREVIEW on the sample installation: the window lists every action with
// what it would do now (a file in use, a read-only one, the shared-file
// questions, a line the safety rules refuse), and afterwards every item of
// the installation is still there; unattended, the same list goes to the
// report only.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "CaseFixture.h"
#include "SampleInstall.h"
#include "core/UnVrelLogSections.h"
#include "core/UnVrelOutcomes.h"
#include "core/UnVrelPreviewText.h"
#include "core/epFileUtils.h"
#include "core/epStrUtils.h"
#include "demo/SampleRun.h"

using namespace e2e;

namespace {

const char* const kDemoDir = "C:\\Program Files\\Tamsk Demo";
const char* const kPreRunRecord = "C:\\windows\\temp\\tamsk-demo-prerun.txt";

// The sample log with one damaged line more: a mask over System32.
std::string SampleLogWithRefusal() {
    const std::string text = ReadFileBytes(E2E_SAMPLE_LOG).value_or("");
    return ReplaceAll(ExpandPlaceholders(text, {{"TestProgram", kTestProgram}}), "[CopyFiles]\r\n",
                      "[CopyFiles]\r\nC:\\windows\\system32\\*.dll=1\r\n");
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// One item line of a report: section, item, and what the third field says.
struct ReportItem {
    std::string section;
    std::string item;
    std::string verdict;  // the forecast or the outcome, with what follows it
};

std::vector<std::string> SplitOn(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;
         start = at + separator.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The report's item lines, in their order: those whose first field is a
// section of the log.
std::vector<ReportItem> ReportItems(const std::string& reportPath) {
    std::vector<ReportItem> items;
    for (const std::string& line : SplitOn(ReadFileBytes(reportPath).value_or(""), "\r\n")) {
        const std::vector<std::string> fields = SplitOn(line, "\t");
        if (fields.size() >= 3 && FindLogSection(fields[0]) != nullptr)
            items.push_back({fields[0], fields[1], fields[2]});
    }
    return items;
}

// The outcome a forecast line foresees; nothing for the forecasts that are
// no outcome (a question, a program to run, a line passed over).
std::optional<TOutcome> ForeseenOutcome(const std::string& verdict) {
    for (TForecast forecast : {TForecast::Remove, TForecast::Nothing, TForecast::Restart,
                               TForecast::Keep, TForecast::Ask, TForecast::Refuse, TForecast::Fail,
                               TForecast::Run, TForecast::Skip}) {
        const std::string text = ForecastText(forecast);
        if (verdict != text && verdict.rfind(text + ": ", 0) != 0) continue;
        TOutcome outcome = TOutcome::Absent;
        if (!ForecastOutcome(forecast, outcome)) return std::nullopt;
        return outcome;
    }
    ADD_FAILURE() << "no forecast: " << verdict;
    return std::nullopt;
}

// A shortcut is forecast by the .lnk and .pif files it names, the run
// records it under the entry: compare the name without its extension.
std::string ComparableItem(const ReportItem& item) {
    if (item.section != "Shortcuts") return item.item;
    return item.item.substr(0, item.item.size() - ExtractFileExt(item.item).size());
}

class Preview : public UninstallerCase {
protected:
    void SetUp() override {
        UninstallerCase::SetUp();
        sampleLog = SampleLogWithRefusal();
        ASSERT_TRUE(InstallFromLog(sampleLog, std::string(TAMSK_OLE_FIXTURE_DIR) + "\\OleServerOk.dll"));
        ASSERT_TRUE(WriteFileBytes(kSampleLogPath, sampleLog));
        DeleteFileA(kPreRunRecord);
        ClearPendingRenames();
    }

    void TearDown() override {
        // Nothing of the sample may stay for the next case: remove it for real.
        SetFileAttributesA((std::string(kDemoDir) + "\\TamskDemo.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
        Run(Quote(kSampleLogPath) + " /S /DELSHARED", {});
        for (const char* name : {"tamskdemo-common.dll", "tamskdemo-kept.dll", "tamskdemo-unused.dll"}) {
            // The sample is an old log: its System32 files lie in SysWOW64.
            const std::string path = std::string("C:\\windows\\system32\\") + name;
            DeleteFileA((std::string("C:\\windows\\syswow64\\") + name).c_str());
            DeleteValue(HKEY_LOCAL_MACHINE, kCounters, path, kOldLogView);
        }
        DeleteFileA(kPreRunRecord);
        DeleteFileA("C:\\windows\\temp\\tamsk-demo-runapp.txt");
        ClearPendingRenames();
        UninstallerCase::TearDown();
    }

    // Every item of the installation is where the installer put it, the
    // counts are as they were, and nothing ran or waits for a restart.
    void ExpectNothingChanged() {
        for (const LogItem& item : CheckLogItems(sampleLog)) {
            EXPECT_TRUE(item.present) << item.section << ": " << item.item;
        }
        EXPECT_TRUE(FileExists(kSampleLogPath));
        EXPECT_EQ(ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters,
                "C:\\windows\\system32\\tamskdemo-common.dll", kOldLogView),
                  std::optional<DWORD>(3));
        EXPECT_FALSE(FileExists(kPreRunRecord)) << "a program was started";
        EXPECT_TRUE(ReadPendingRenames().empty());
    }

    std::string sampleLog;
};

}  // namespace

#ifdef TAMSK_OLE_FIXTURE_DIR
TEST_F(Preview, ListsWhatARunWouldDoNowAndChangesNothing) {
    const std::string inUse = std::string(kDemoDir) + "\\Leggimi.txt";
    const std::string readOnly = std::string(kDemoDir) + "\\TamskDemo.exe";
    ASSERT_TRUE(MakeReadOnly(readOnly));
    HeldFile held(inUse);
    ASSERT_TRUE(held.held());

    const ScenarioResult result =
        Run(Quote(kSampleLogPath) + " /PREVIEW",
            {PressStep(WindowKind::PreviewDialog, IDOK, kArtifacts + "\\preview-sample.bmp")});
    ASSERT_TRUE(result.ok) << Describe(result);
    EXPECT_EQ(result.exitCode, std::optional<DWORD>(0));
    held.Release();

    const Seen& preview = result.seen[0];
    EXPECT_EQ(preview.caption, "Tamsk Uninstaller");
    EXPECT_EQ(preview.ControlText(IDOK), "Chiudi");
    const std::vector<std::string>& lines = preview.lines;
    const std::string sys32 = "C:\\windows\\system32\\";
    for (const std::string& line : std::vector<std::string>{
             "SharedFiles\tstays: count 3, lowered to 2\t" + sys32 + "tamskdemo-common.dll",
             "SharedFiles\tthe user is asked: count 1, no other user\t" + sys32 + "tamskdemo-unused.dll",
             "Shortcuts\twould be removed: present\tC:\\users\\Public\\Desktop\\Tamsk Demo.lnk",
             "AddIni\twould be removed: entry present\tC:\\Program Files\\Tamsk Demo\\demo.ini,Opzioni,Colore",
             "RegFonts\twould be removed: \"Tamsk Demo Sans (TrueType)\"\tC:\\windows\\Fonts\\TAMSKDEMO.TTF",
             "AddReg\twould be removed: value present (32-bit view)\tHKCU\\Software\\Tamsk Demo\\Impostazioni\\Lingua",
             "CreateKeys\twould be removed: key present, with 1 subkey (32-bit view)\tHKCU\\Software\\Tamsk Demo",
             "RegServers\twould be removed: present\t" + std::string(kDemoDir) + "\\TamskServer.dll",
             "CopyFiles\trefused: a mask over what is not the application's\tC:\\windows\\SysWOW64\\*.dll",
             "CopyFiles\twould be removed: present, read-only\t" + readOnly,
             "CopyFiles\tat the next restart: in use\t" + inUse,
             "CopyFiles\tthe user is asked: goes if the shared file may go\t" + sys32 + "tamskdemo-unused.dll",
             "Log\twould be removed: the log itself\t" + std::string(kSampleLogPath),
             "CreateDirs\twould be removed: empty by then\t" + std::string(kDemoDir) + "\\Dati",
             "CreateDirs\twould stay: not empty, 1 entry left\t" + std::string(kDemoDir),
             "CreateDirs\twould be removed: empty by then\tC:\\ProgramData\\Microsoft\\Windows\\Start "
             "Menu\\Programs\\Tamsk Demo",
         }) {
        EXPECT_TRUE(HasLine(lines, line)) << "missing: " << line;
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "PreRunApp\twould run: hidden; a failure stops the removal\t" + kTestProgram +
                                 " --record " + kPreRunRecord);
    EXPECT_EQ(lines.back(), "RunApp\twould run: hidden\t" + kTestProgram +
                                " --record C:\\windows\\temp\\tamsk-demo-runapp.txt");
    EXPECT_NE(preview.text.find("refused: 1"), std::string::npos) << preview.text;
    EXPECT_NE(preview.text.find("at the next restart: 1"), std::string::npos) << preview.text;

    ExpectNothingChanged();
}

TEST_F(Preview, UnattendedWritesTheSameListToTheReportOnly) {
    const std::string report = dir + "\\preview.txt";
    const ScenarioResult result = Run(Quote(kSampleLogPath) + " /S /PREVIEW /LOG=" + Quote(report), {});
    ASSERT_TRUE(result.ok) << Describe(result);
    EXPECT_EQ(result.exitCode, std::optional<DWORD>(0));

    const std::string text = ReadFileBytes(report).value_or("");
    for (const std::string& line : std::vector<std::string>{
             std::string("Log: ") + kSampleLogPath + "\r\n",
             "SharedFiles\tC:\\windows\\system32\\tamskdemo-unused.dll\tstays: count 1, no other user: "
             "kept (no /DELSHARED)\r\n",
             "CopyFiles\tC:\\windows\\system32\\tamskdemo-unused.dll\tstays: a shared file that stays\r\n",
             "CopyFiles\tC:\\windows\\SysWOW64\\*.dll\trefused: a mask over what is not the "
             "application's\r\n",
             "refused: 1\r\n",
             "Result: preview: nothing was changed\r\n",
             "Exit code: 0\r\n",
         }) {
        EXPECT_NE(text.find(line), std::string::npos) << "missing: " << line << "\n" << text;
    }
    ExpectNothingChanged();
}

TEST_F(Preview, ForecastsEveryItemOfTheRunInItsOrderAndOutcome) {
    const std::string forecast = dir + "\\preview.txt";
    const std::string report = dir + "\\run.txt";
    ASSERT_TRUE(Run(Quote(kSampleLogPath) + " /S /PREVIEW /LOG=" + Quote(forecast), {}).ok);
    const ScenarioResult result = Run(Quote(kSampleLogPath) + " /S /LOG=" + Quote(report), {});
    ASSERT_TRUE(result.ok) << Describe(result);

    std::vector<ReportItem> foreseen;
    std::vector<TOutcome> outcomes;
    for (const ReportItem& item : ReportItems(forecast)) {
        if (const std::optional<TOutcome> outcome = ForeseenOutcome(item.verdict)) {
            foreseen.push_back(item);
            outcomes.push_back(*outcome);
        }
    }
    // The test server records its unregistration in "<server>.log", which a
    // mask of CopyFiles then takes too: a file that did not exist when the
    // preview looked.
    std::vector<ReportItem> done = ReportItems(report);
    const std::string serverRecord = std::string(kDemoDir) + "\\TamskServer.dll.log";
    done.erase(std::remove_if(done.begin(), done.end(),
                              [&](const ReportItem& item) { return item.item == serverRecord; }),
               done.end());
    ASSERT_EQ(foreseen.size(), done.size()) << ReadFileBytes(forecast).value_or("")
                                            << ReadFileBytes(report).value_or("");
    for (std::size_t i = 0; i < done.size(); ++i) {
        SCOPED_TRACE(done[i].section + "\t" + done[i].item + "\t" + done[i].verdict);
        EXPECT_EQ(foreseen[i].section, done[i].section);
        EXPECT_EQ(ComparableItem(foreseen[i]), ComparableItem(done[i]));
        EXPECT_EQ(OutcomeName(outcomes[i]), done[i].verdict);
    }
}
#endif
