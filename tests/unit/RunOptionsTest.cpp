// The log path and the options around it: which are taken, which are
// unknown, and which are no options at all.
#include "core/UnVrelOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct OptionCase {
    const char* commandLine;
    const char* log;
    bool silent;
    bool deleteShared;
    const char* report;
    std::vector<std::string> unknown;
};

const OptionCase kCases[] = {
    // With only the log path the run is what it always was.
    {"UnVrel.exe app.log", "app.log", false, false, "", {}},
    {"UnVrel.exe app.log /S", "app.log", true, false, "", {}},
    // Either lead character, any letter case, any order.
    {"UnVrel.exe app.log -s /delshared", "app.log", true, true, "", {}},
    {"UnVrel.exe app.log /DelShared /S", "app.log", true, true, "", {}},
    {"UnVrel.exe app.log /LOG=C:\\r.txt", "app.log", false, false, "C:\\r.txt", {}},
    {"UnVrel.exe app.log /log=\"C:\\My Docs\\r.txt\" /S", "app.log", true, false, "C:\\My Docs\\r.txt", {}},
    {"UnVrel.exe app.log \"-Log=C:\\a b\\r.txt\"", "app.log", false, false, "C:\\a b\\r.txt", {}},
    // The last of a repeated valued option wins.
    {"UnVrel.exe app.log /LOG=a.txt /LOG=b.txt", "app.log", false, false, "b.txt", {}},
    // Arguments that are no options stay ignored, as a second argument always was.
    {"UnVrel.exe app.log extra more /S", "app.log", true, false, "", {}},
    // Unknown names, a flag given a value, a valued option without one.
    {"UnVrel.exe app.log /Q /S", "app.log", true, false, "", {"/Q"}},
    {"UnVrel.exe app.log /S=1 -SILENT", "app.log", false, false, "", {"/S=1", "-SILENT"}},
    {"UnVrel.exe app.log /LOG /LOG= / -", "app.log", false, false, "", {"/LOG", "/LOG=", "/", "-"}},
    // Options may stand before the log as well: the first argument that is
    // no option is the log.
    {"UnVrel.exe /S app.log", "app.log", true, false, "", {}},
    {"UnVrel.exe -s /LOG=r.txt \"C:\\My App\\a.log\" /DELSHARED", "C:\\My App\\a.log", true, true,
     "r.txt", {}},
    {"UnVrel.exe /Q app.log other.log", "app.log", false, false, "", {"/Q"}},
    // Deployment tools add /NORESTART to every uninstall command.
    {"UnVrel.exe /NORESTART app.log -norestart /S", "app.log", true, false, "", {}},
    // Nothing but options: no log at all.
    {"UnVrel.exe /S", "", true, false, "", {}},
    {"UnVrel.exe", "", false, false, "", {}},
};

TEST(RunOptions, ParsesEveryCase) {
    for (const OptionCase& c : kCases) {
        EXPECT_EQ(LogPathArgument(c.commandLine), c.log) << c.commandLine;
        const TRunOptions options = ParseRunOptions(c.commandLine);
        EXPECT_EQ(options.Silent, c.silent) << c.commandLine;
        EXPECT_EQ(options.DeleteUnusedShared, c.deleteShared) << c.commandLine;
        EXPECT_EQ(options.ReportPath, c.report) << c.commandLine;
        EXPECT_EQ(options.Unknown, c.unknown) << c.commandLine;
    }
}

}  // namespace
