// /PREVIEW on the sample installation: the window lists every action with
// what it would do now (a file in use, a read-only one, the shared-file
// questions, a line the safety rules refuse), and afterwards every item of
// the installation is still there; unattended, the same list goes to the
// report only.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "../support/FileBytes.h"
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

// The preview's controls: its head (what it is and which log it shows) and its list.
constexpr int kHeadId = 103;
constexpr int kListId = 101;

// Where the dialog's control lies in the dialog's client area.
RECT PlaceOf(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
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

// The report's item lines, in their order: those whose first field is a
// section of the log.
std::vector<ReportItem> ReportItems(const std::string& report) {
    std::vector<ReportItem> items;
    for (const std::string& line : SplitAt(report, "\r\n")) {
        const std::vector<std::string> fields = SplitAt(line, "\t");
        if (fields.size() >= 3 && FindLogSection(fields[0]) != nullptr)
            items.push_back({fields[0], fields[1], fields[2]});
    }
    return items;
}

// The outcome a forecast line foresees, by the forecasts' default words;
// nothing for the forecasts that are no outcome (a question, a program to
// run, a line passed over).
std::optional<TOutcome> ForeseenOutcome(const std::string& verdict) {
    const std::pair<TForecast, const char*> words[] = {
        {TForecast::Remove, "verrebbe rimosso"}, {TForecast::Nothing, "nulla da fare"},
        {TForecast::Restart, "al prossimo riavvio"}, {TForecast::Keep, "resta"},
        {TForecast::Ask, "si chiede all'utente"}, {TForecast::Refuse, "rifiutato"},
        {TForecast::Fail, "resterebbe"}, {TForecast::Run, "verrebbe eseguito"},
        {TForecast::Skip, "saltato"}, {TForecast::Done, "gi\xE0 fatto da un'esecuzione precedente"},
    };
    for (const auto& [forecast, word] : words) {
        const std::string text = word;
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

    // The report of an unattended run of the sample log with these options.
    std::string UnattendedReport(const std::string& options) {
        const std::string report = dir + "\\report.txt";
        DeleteFileA(report.c_str());
        const ScenarioResult result =
            Run(Quote(kSampleLogPath) + " /S " + options + " /LOG=" + Quote(report), {});
        EXPECT_TRUE(result.ok) << Describe(result);
        return ReadFileBytes(report).value_or("");
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
    EXPECT_EQ(preview.ControlText(kHeadId),
              "Anteprima: nulla \xE8 stato modificato n\xE9 avviato. Ogni azione del log "
              "nell'ordine di un'esecuzione, con ci\xF2 che farebbe ora su questo computer.\r\n"
              "Log file di installazione: " + std::string(kSampleLogPath));
    EXPECT_EQ(preview.columns, (Lines{"Sezione", "Previsione", "Elemento"}));
    EXPECT_EQ(preview.cut, Lines{});
    const std::vector<std::string>& lines = preview.lines;
    const std::string sys32 = "C:\\windows\\system32\\";
    for (const std::string& line : std::vector<std::string>{
             "SharedFiles\tresta: count 3, lowered to 2\t" + sys32 + "tamskdemo-common.dll",
             "SharedFiles\tsi chiede all'utente: count 1, no other user\t" + sys32 + "tamskdemo-unused.dll",
             "Shortcuts\tverrebbe rimosso: present\tC:\\users\\Public\\Desktop\\Tamsk Demo.lnk",
             "AddIni\tverrebbe rimosso: entry present\tC:\\Program Files\\Tamsk Demo\\demo.ini,Opzioni,Colore",
             "RegFonts\tverrebbe rimosso: \"Tamsk Demo Sans (TrueType)\"\tC:\\windows\\Fonts\\TAMSKDEMO.TTF",
             "AddReg\tverrebbe rimosso: value present (32-bit view)\tHKCU\\Software\\Tamsk Demo\\Impostazioni\\Lingua",
             "CreateKeys\tverrebbe rimosso: key present, with 1 subkey (32-bit view)\tHKCU\\Software\\Tamsk Demo",
             "RegServers\tverrebbe rimosso: present\t" + std::string(kDemoDir) + "\\TamskServer.dll",
             "CopyFiles\trifiutato: a mask over what is not the application's\tC:\\windows\\SysWOW64\\*.dll",
             "CopyFiles\tverrebbe rimosso: present, read-only\t" + readOnly,
             "CopyFiles\tal prossimo riavvio: in use\t" + inUse,
             "CopyFiles\tsi chiede all'utente: goes if the shared file may go\t" + sys32 + "tamskdemo-unused.dll",
             "Log\tverrebbe rimosso: the log itself\t" + std::string(kSampleLogPath),
             "CreateDirs\tverrebbe rimosso: empty by then\t" + std::string(kDemoDir) + "\\Dati",
             "CreateDirs\tresterebbe: not empty, 1 entry left\t" + std::string(kDemoDir),
             "CreateDirs\tverrebbe rimosso: empty by then\tC:\\ProgramData\\Microsoft\\Windows\\Start "
             "Menu\\Programs\\Tamsk Demo",
         }) {
        EXPECT_TRUE(HasLine(lines, line)) << "missing: " << line;
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "PreRunApp\tverrebbe eseguito: hidden; a failure stops the removal\t" + kTestProgram +
                                 " --record " + kPreRunRecord);
    EXPECT_EQ(lines.back(), "RunApp\tverrebbe eseguito: hidden\t" + kTestProgram +
                                " --record C:\\windows\\temp\\tamsk-demo-runapp.txt");
    EXPECT_NE(preview.text.find("rifiutato: 1"), std::string::npos) << preview.text;
    EXPECT_NE(preview.text.find("al prossimo riavvio: 1"), std::string::npos) << preview.text;

    ExpectNothingChanged();
}

TEST_F(Preview, UnattendedWritesTheSameListToTheReportOnly) {
    const std::string text = UnattendedReport("/PREVIEW");
    for (const std::string& line : std::vector<std::string>{
             std::string("Log: ") + kSampleLogPath + "\r\n",
             "SharedFiles\tC:\\windows\\system32\\tamskdemo-unused.dll\tresta: count 1, no other user: "
             "kept (no /DELSHARED)\r\n",
             "CopyFiles\tC:\\windows\\system32\\tamskdemo-unused.dll\tresta: a shared file that stays\r\n",
             "CopyFiles\tC:\\windows\\SysWOW64\\*.dll\trifiutato: a mask over what is not the "
             "application's\r\n",
             "rifiutato: 1\r\n",
             "Result: preview: nothing was changed\r\n",
             "Exit code: 0\r\n",
         }) {
        EXPECT_NE(text.find(line), std::string::npos) << "missing: " << line << "\n" << text;
    }
    ExpectNothingChanged();
}

TEST_F(Preview, ForecastsEveryItemOfTheRunInItsOrderAndOutcome) {
    const std::string forecast = UnattendedReport("/PREVIEW");
    const std::string report = UnattendedReport("");

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
    ASSERT_EQ(foreseen.size(), done.size()) << forecast << report;
    for (std::size_t i = 0; i < done.size(); ++i) {
        SCOPED_TRACE(done[i].section + "\t" + done[i].item + "\t" + done[i].verdict);
        EXPECT_EQ(foreseen[i].section, done[i].section);
        EXPECT_EQ(ComparableItem(foreseen[i]), ComparableItem(done[i]));
        EXPECT_EQ(OutcomeName(outcomes[i]), done[i].verdict);
    }
}

// A log in another language replaces every word of the preview, in the window
// (where no column cuts a text short) and in the unattended report alike.
TEST_F(Preview, ReplacedTextsShowInTheWindowAndInTheReport) {
    const std::string strings =
        "[Strings]\r\n"
        "26=Aper\xE7u : rien n'a \xE9t\xE9 modifi\xE9.\r\n"
        "27=Journal :\r\n"
        "28=Section\r\n"
        "29=Pr\xE9vision\r\n"
        "30=\xC9l\xE9ment\r\n"
        "31=serait supprim\xE9 d\xE9" "finitivement de cet ordinateur\r\n"
        "35=l'utilisateur d\xE9" "cide\r\n"
        "36=refus\xE9\r\n"
        "38=serait lanc\xE9\r\n"
        "23=Fermer\r\n";
    ASSERT_TRUE(WriteFileBytes(kSampleLogPath, sampleLog + strings));

    const ScenarioResult result =
        Run(Quote(kSampleLogPath) + " /PREVIEW",
            {PressStep(WindowKind::PreviewDialog, IDOK, kArtifacts + "\\preview-replaced.bmp")});
    ASSERT_TRUE(result.ok) << Describe(result);
    const Seen& preview = result.seen[0];
    EXPECT_EQ(preview.ControlText(kHeadId),
              "Aper\xE7u : rien n'a \xE9t\xE9 modifi\xE9.\r\nJournal : " + std::string(kSampleLogPath));
    EXPECT_EQ(preview.columns, (Lines{"Section", "Pr\xE9vision", "\xC9l\xE9ment"}));
    EXPECT_EQ(preview.ControlText(IDOK), "Fermer");
    const std::string removed = "serait supprim\xE9 d\xE9" "finitivement de cet ordinateur";
    EXPECT_TRUE(HasLine(preview.lines, "Shortcuts\t" + removed +
                                           ": present\tC:\\users\\Public\\Desktop\\Tamsk Demo.lnk"));
    EXPECT_TRUE(HasLine(preview.lines, "CopyFiles\trefus\xE9: a mask over what is not the "
                                       "application's\tC:\\windows\\SysWOW64\\*.dll"));
    // A forecast the log leaves alone keeps its default.
    EXPECT_TRUE(HasLine(preview.lines, "SharedFiles\tresta: count 3, lowered to 2\t"
                                       "C:\\windows\\system32\\tamskdemo-common.dll"));
    EXPECT_NE(preview.text.find("l'utilisateur d\xE9" "cide: "), std::string::npos) << preview.text;
    EXPECT_EQ(preview.cut, Lines{});

    const std::string report = dir + "\\preview.txt";
    const ScenarioResult unattended =
        Run(Quote(kSampleLogPath) + " /S /PREVIEW /LOG=" + Quote(report), {});
    ASSERT_TRUE(unattended.ok) << Describe(unattended);
    const std::string text = ReadFileBytes(report).value_or("");
    for (const std::string& line : std::vector<std::string>{
             "PreRunApp\t" + kTestProgram + " --record " + kPreRunRecord +
                 "\tserait lanc\xE9: hidden; a failure stops the removal\r\n",
             "Shortcuts\tC:\\users\\Public\\Desktop\\Tamsk Demo.lnk\t" + removed + ": present\r\n",
             "refus\xE9: 1\r\n",
         }) {
        EXPECT_NE(text.find(line), std::string::npos) << "missing: " << line << "\n" << text;
    }
    ExpectNothingChanged();
}

// Made larger, the window gives the room to its list and keeps Close in its
// corner; Enter, with the list holding the focus, closes it as Close does.
TEST_F(Preview, ResizedWindowGrowsItsListAndEnterCloses) {
    const Process program = StartProgram(kUninstaller, Quote(kSampleLogPath) + " /PREVIEW");
    ASSERT_TRUE(program);
    const HWND window = WaitForTopWindow(program.id(), IsPreviewDialog);
    ASSERT_NE(window, nullptr);
    const RECT list = PlaceOf(window, kListId);
    const RECT close = PlaceOf(window, IDOK);
    RECT frame{};
    ASSERT_TRUE(GetWindowRect(window, &frame));
    // To the screen's corner, so that the larger window is still all on the screen.
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 200,
                             frame.bottom - frame.top + 100, SWP_NOZORDER));
    for (int i = 0; i < 250 && PlaceOf(window, IDOK).left == close.left; ++i) Sleep(kPollMs);
    const RECT grown = PlaceOf(window, kListId);
    EXPECT_EQ(grown.right - list.right, 200);
    EXPECT_EQ(grown.bottom - list.bottom, 100);
    EXPECT_EQ(grown.top, list.top);
    const RECT moved = PlaceOf(window, IDOK);
    EXPECT_EQ(moved.left - close.left, 200);
    EXPECT_EQ(moved.top - close.top, 100);
    // Drawn anew (a message sent to its thread) before the screen is read.
    UpdateWindow(window);
    SaveWindowBitmap(window, kArtifacts + "\\preview-resized.bmp");

    ASSERT_TRUE(SendKey(window, VK_RETURN));
    EXPECT_EQ(WaitForExit(program), std::optional<DWORD>(0));
    ExpectNothingChanged();
}
#endif
