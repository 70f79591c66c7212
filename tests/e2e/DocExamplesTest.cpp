// The example logs of docs/log-format.md, taken from the document and run as
// an installer author would: installed, uninstalled with the real program,
// and nothing of them left behind.
#include <gtest/gtest.h>

#include "../support/DocExamples.h"
#include "CaseFixture.h"
#include "SampleInstall.h"
#include "core/epFileUtils.h"
#include "core/epIniFile.h"
#include "core/epStrUtils.h"
#include "core/sysutilNumbers.h"

using namespace e2e;

namespace {

TStringList SectionLines(const std::string& log, const char* section) {
    TepIniModel model(AllIniOptions());
    model.LoadText(log);
    TStringList lines;
    model.ReadSectionValues(section, lines);
    return lines;
}

// The program of each PreRunApp and RunApp line.
std::vector<std::string> ProgramsOf(const std::string& log) {
    std::vector<std::string> programs;
    for (const char* section : {"PreRunApp", "RunApp"}) {
        for (const std::string& line : SectionLines(log, section)) {
            programs.push_back(StripQuotes(GetField(1, ValueOf(line), CommaSet()), kDoubleQuote));
        }
    }
    return programs;
}

// Message text `id` as the example's Strings section gives it, else def.
std::string MessageText(const std::string& log, int id, const std::string& def) {
    TepIniModel model(AllIniOptions());
    model.LoadText(log);
    return model.ReadString("Strings", std::to_string(id), def);
}

// One "Sì" for each shared file whose count the installation leaves at 1.
std::vector<Step> SharedFileAnswers(const std::string& log) {
    std::vector<Step> steps;
    for (const std::string& line : SectionLines(log, "SharedFiles")) {
        if (StrToIntDef(ValueOf(line), 1) <= 1) steps.push_back(PressStep(WindowKind::SharedFileDialog, 107));
    }
    return steps;
}

class DocExamples : public UninstallerCase {
protected:
    void TearDown() override {
        // The programs the examples run last belong to "other installations".
        for (const std::string& program : leftovers_) {
            DeleteFileA(program.c_str());
            RemoveDirectoryA(ExtractFileDir(program).c_str());
        }
        UninstallerCase::TearDown();
    }

    // Installs the example, plays the uninstallation, and checks that every
    // item of the log is gone.
    void RunExample(const docs::ExampleLog& example) {
        SCOPED_TRACE("example log " + example.name);
        ASSERT_TRUE(InstallFromLog(example.log, std::string(TAMSK_OLE_FIXTURE_DIR) + "\\OleServerOk.dll"));
        for (const std::string& program : ProgramsOf(example.log)) {
            ASSERT_TRUE(CopyFileA(kTestProgram.c_str(), program.c_str(), FALSE)) << program;
            leftovers_.push_back(program);
        }
        ASSERT_TRUE(WriteFileBytes(log, example.log));
        ClearPendingRenames();

        // The stand-in server records its unregistration here, not beside itself.
        const std::string serverRecord = dir + "\\" + example.name + "-servers.txt";
        SetEnvironmentVariableA("TAMSK_OLE_FIXTURE_LOG", serverRecord.c_str());
        const ScenarioResult result = RunToTheEnd(SharedFileAnswers(example.log));
        SetEnvironmentVariableA("TAMSK_OLE_FIXTURE_LOG", nullptr);
        ASSERT_TRUE(result.ok) << Describe(result);
        EXPECT_EQ(result.exitCode, std::optional<DWORD>(0));
        // No section's status line says that items stayed.
        const std::string notRemoved = TextBefore(MessageText(example.log, 24, "elementi non rimossi: %d"), '%');
        for (const std::string& line : result.seen.back().lines) {
            EXPECT_EQ(line.find(notRemoved), std::string::npos) << line;
        }
        for (const LogItem& item : CheckLogItems(example.log)) {
            EXPECT_FALSE(item.present) << item.section << ": " << item.item;
        }
        const std::string unregistered = ReadFileBytes(serverRecord).value_or("");
        for (const std::string& line : SectionLines(example.log, "RegServers")) {
            EXPECT_NE(unregistered.find(TextBefore(line, '=')), std::string::npos) << line;
        }
        EXPECT_FALSE(FileExists(log));
        EXPECT_TRUE(ReadPendingRenames().empty()) << "nothing waits for a restart";
    }

    std::vector<std::string> leftovers_;
};

}  // namespace

#ifdef TAMSK_OLE_FIXTURE_DIR
TEST_F(DocExamples, EveryExampleLogOfTheReferenceIsRemovedWhole) {
    const auto markdown = ReadFileBytes(E2E_LOG_FORMAT_DOC);
    ASSERT_TRUE(markdown.has_value());
    int untagged = 0;
    const std::vector<docs::ExampleLog> examples = docs::ExtractExampleLogs(*markdown, untagged);
    ASSERT_GE(examples.size(), 5u);
    for (const docs::ExampleLog& example : examples) RunExample(example);
}
#endif
