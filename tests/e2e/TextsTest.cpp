// Texts of a UTF-8 log as every window shows them: the [Strings] replacements
// exactly as written, the defaults the same Italian words as for an ANSI log.
#include <gtest/gtest.h>

#include <algorithm>

#include "CaseFixture.h"

using namespace e2e;

namespace {

// Greek texts in UTF-8, one per window that shows a replaced text. The
// banner's title (1) is painted, not read: the main dialog's shot shows it.
const std::string kQuestion = "\xCE\x9D\xCE\xB1 \xCE\xB1\xCF\x86\xCE\xB1\xCE\xB9\xCF\x81\xCE\xB5"
                              "\xCE\xB8\xCE\xB5\xCE\xAF;";                          // Να αφαιρεθεί;
const std::string kBanner = "\xCE\x91\xCF\x80\xCE\xB5\xCE\xB3\xCE\xBA\xCE\xB1\xCF\x84\xCE\xAC"
                            "\xCF\x83\xCF\x84\xCE\xB1\xCF\x83\xCE\xB7";            // Απεγκατάσταση
const std::string kClose = "\xCE\x9A\xCE\xBB\xCE\xB5\xCE\xAF\xCF\x83\xCE\xB9\xCE\xBC\xCE\xBF";  // Κλείσιμο
const std::string kDoneGreek = "\xCE\xA4\xCE\xAD\xCE\xBB\xCE\xBF\xCF\x82.";                     // Τέλος.
const std::string kSharedCaption = "\xCE\x9A\xCE\xBF\xCE\xB9\xCE\xBD\xCF\x8C "
                                   "\xCE\xB1\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xBF;";  // Κοινό αρχείο;
const std::string kSharedYes = "\xCE\x9D\xCE\xB1\xCE\xB9";                              // Ναι
const std::string kPreviewHead = "\xCE\xA0\xCF\x81\xCE\xBF\xCE\xB5\xCF\x80\xCE\xB9\xCF\x83"
                                 "\xCE\xBA\xCF\x8C\xCF\x80\xCE\xB7\xCF\x83\xCE\xB7";  // Προεπισκόπηση
const std::string kWillGo = "\xCE\xB8\xCE\xB1 \xCF\x86\xCF\x8D\xCE\xB3\xCE\xB5\xCE\xB9";  // θα φύγει
const std::string kBom = "\xEF\xBB\xBF";

constexpr int kSharedYesId = 107, kSharedYesAllId = 108;

std::string StringsSection() {
    return "[Strings]\r\n1=" + kBanner + "\r\n4=" + kQuestion + "\r\n5=" + kDoneGreek +
           "\r\n15=" + kSharedCaption + "\r\n19=" + kSharedYes + "\r\n23=" + kClose +
           "\r\n26=" + kPreviewHead + "\r\n31=" + kWillGo + "\r\n";
}

class Texts : public UninstallerCase {
protected:
    ScenarioResult RunUtf8(const std::string& args, const std::vector<Step>& steps) {
        ScenarioOptions options;
        options.failureShotPrefix = kArtifacts + "\\" + TestName();
        options.textCodePage = CP_UTF8;
        return RunScenario(kUninstaller, args, steps, options);
    }
};

}  // namespace

TEST_F(Texts, Utf8LogShowsItsReplacedTextsInEveryWindow) {
    const std::string file = dir + "\\lonely.dll";
    ASSERT_TRUE(WriteFileBytes(file, "shared"));
    ASSERT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, kCounters, file, 1, kOldLogView));
    ASSERT_TRUE(WriteFileBytes(log, kBom + "[SharedFiles]\r\n" + file + "=1\r\n" +
                                        StringsSection()));
    const ScenarioResult r =
        RunUtf8(Quote(log), {PressStep(WindowKind::MessageBox, IDYES, kArtifacts + "\\texts-box.bmp"),
                             PressStep(WindowKind::SharedFileDialog, kSharedYesId,
                                       kArtifacts + "\\texts-shared.bmp"),
                             PressStep(WindowKind::MainDialog, IDOK, kArtifacts + "\\texts-main.bmp")});
    DeleteValue(HKEY_LOCAL_MACHINE, kCounters, file, kOldLogView);
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[0].text, kQuestion);
    const Seen& asked = r.seen[1];
    EXPECT_EQ(asked.caption, kSharedCaption);
    EXPECT_EQ(asked.ControlText(kSharedYesId), kSharedYes);
    // A text the log leaves alone: the resource's own words, in UTF-8.
    EXPECT_EQ(asked.ControlText(kSharedYesAllId), "S\xC3\xAC a tutti");
    EXPECT_EQ(asked.ControlText(104), "lonely.dll");
    const Seen& main = r.seen[2];
    EXPECT_EQ(main.ControlText(IDOK), kClose);
    EXPECT_EQ(main.lines, (std::vector<std::string>{"Verifica file condivisi... ok", kDoneGreek}));
}

TEST_F(Texts, Utf8LogPreviewShowsItsReplacedTexts) {
    const std::string file = dir + "\\gone.txt";
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    ASSERT_TRUE(WriteFileBytes(log, kBom + "[CopyFiles]\r\n" + file + "=1\r\n" + StringsSection()));
    const ScenarioResult r = RunUtf8(
        Quote(log) + " /PREVIEW",
        {PressStep(WindowKind::PreviewDialog, IDOK, kArtifacts + "\\texts-preview.bmp")});
    ASSERT_TRUE(r.ok) << Describe(r);
    const Seen& preview = r.seen[0];
    EXPECT_EQ(preview.ControlText(IDOK), kClose);
    EXPECT_EQ(preview.ControlText(103).rfind(kPreviewHead + "\r\n", 0), 0u) << preview.ControlText(103);
    const std::string row = "CopyFiles\t" + kWillGo + ": present\t" + file;
    EXPECT_NE(std::find(preview.lines.begin(), preview.lines.end(), row), preview.lines.end())
        << Describe(r);
    EXPECT_EQ(preview.cut, std::vector<std::string>{});
}
