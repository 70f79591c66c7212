// The removal plan's rules that need no machine: the entries the sections'
// lines name, the order of keys and folders, the companions, and the log's own rules.
#include "core/UnVrelPlan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Plan, EachSectionNamesItsEntryByItsOwnForm) {
    struct Case {
        const char* section;
        const char* line;
        const char* entry;
    };
    for (const Case& c : std::vector<Case>{
             {"CopyFiles", "C:\\a=b.txt=1", "C:\\a=b.txt"},  // up to the last "="
             {"copyfiles", "C:\\a.txt", ""},                // no "=": names nothing
             {"CreateKeys", "HKCU\\A=B=", "HKCU\\A=B"},
             {"AddReg", "HKCU\\A\\v=1=2", "HKCU\\A\\v"},      // the name part
             {"AddIni", "C:\\a.ini,S,K=x=y", "C:\\a.ini,S,K"},
             {"Unknown", "a=b=c", "a=b"},
         }) {
        EXPECT_EQ(PlanEntryOf(c.section, c.line), c.entry) << c.section << " " << c.line;
    }
    EXPECT_EQ(PlanEntryOf(*FindLogSection("RunApp"), "a=b"), "");
}

TEST(Plan, KeysAndFoldersGoDeepestFirst) {
    std::vector<std::string> paths{"C:\\App", "C:\\App\\Data\\Old", "c:\\app\\data", "C:\\Other"};
    OrderDeepestFirst(paths);
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\Other", "C:\\App\\Data\\Old", "c:\\app\\data",
                                               "C:\\App"}));
}

TEST(Plan, CompanionsFollowTheEntrysName) {
    EXPECT_EQ(ShortcutForms("C:\\Menu\\App"),
              (std::vector<std::string>{"C:\\Menu\\App.lnk", "C:\\Menu\\App.pif"}));
    EXPECT_EQ(ShortcutForms("C:\\Menu\\App.exe"),
              (std::vector<std::string>{"C:\\Menu\\App.lnk", "C:\\Menu\\App.pif"}));
    EXPECT_EQ(HelpCompanions("C:\\App\\Guide.HLP"),
              (std::vector<std::string>{"C:\\App\\Guide.gid", "C:\\App\\Guide.fts"}));
    // Only ASCII letters fold: a dotless or dotted i of some locale is no "i".
    EXPECT_TRUE(HelpCompanions("C:\\App\\Guide.h\xFDp").empty());
    EXPECT_TRUE(HelpCompanions("C:\\App\\Guide.txt").empty());
    EXPECT_TRUE(HelpCompanions("C:\\App.hlp\\Guide").empty());
}

TEST(Plan, TheLogAloneDecidesEmptyNamesAndKeptSharedFiles) {
    const TSharedNames kept({"C:\\Sys\\Common.dll", "C:\\Sys\\Other.dll"});
    struct Case {
        const char* section;
        const char* entry;
        TPlanRule rule;
    };
    for (const Case& c : std::vector<Case>{
             {"SharedFiles", "", TPlanRule::NamesNothing},
             {"Shortcuts", "", TPlanRule::NamesNothing},
             {"CopyFiles", "", TPlanRule::Act},
             {"CopyFiles", "c:\\sys\\COMMON.dll", TPlanRule::KeptShared},
             {"RegFonts", "C:\\Sys\\Other.dll", TPlanRule::KeptShared},
             {"RegServers", "C:\\Sys\\Common.dll", TPlanRule::KeptShared},
             {"SharedFiles", "C:\\Sys\\Common.dll", TPlanRule::Act},
             {"CreateDirs", "C:\\Sys\\Common.dll", TPlanRule::Act},
             {"CopyFiles", "C:\\Sys\\Common.dl", TPlanRule::Act},
         }) {
        EXPECT_EQ(RuleFromLog(c.section, c.entry, kept), c.rule) << c.section << " " << c.entry;
    }
}

}  // namespace
