// The options after the log path: which are taken, which are unknown, and
// which are no options at all.
#include "core/UnVrelOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct OptionCase {
    const char* commandLine;
    bool silent;
    bool deleteShared;
    const char* report;
    std::vector<std::string> unknown;
};

const OptionCase kCases[] = {
    // With only the log path the run is what it always was.
    {"UnVrel.exe app.log", false, false, "", {}},
    {"UnVrel.exe app.log /S", true, false, "", {}},
    // Either lead character, any letter case, any order.
    {"UnVrel.exe app.log -s /delshared", true, true, "", {}},
    {"UnVrel.exe app.log /DelShared /S", true, true, "", {}},
    {"UnVrel.exe app.log /LOG=C:\\r.txt", false, false, "C:\\r.txt", {}},
    {"UnVrel.exe app.log /log=\"C:\\My Docs\\r.txt\" /S", true, false, "C:\\My Docs\\r.txt", {}},
    {"UnVrel.exe app.log \"-Log=C:\\a b\\r.txt\"", false, false, "C:\\a b\\r.txt", {}},
    // The last of a repeated valued option wins.
    {"UnVrel.exe app.log /LOG=a.txt /LOG=b.txt", false, false, "b.txt", {}},
    // Arguments that are no options stay ignored, as a second argument always was.
    {"UnVrel.exe app.log extra more /S", true, false, "", {}},
    // Unknown names, a flag given a value, a valued option without one.
    {"UnVrel.exe app.log /Q /S", true, false, "", {"/Q"}},
    {"UnVrel.exe app.log /S=1 -SILENT", false, false, "", {"/S=1", "-SILENT"}},
    {"UnVrel.exe app.log /LOG /LOG= / -", false, false, "", {"/LOG", "/LOG=", "/", "-"}},
    // The log path itself is never an option, whatever it looks like.
    {"UnVrel.exe /S", false, false, "", {}},
};

TEST(RunOptions, ParsesEveryCase) {
    for (const OptionCase& c : kCases) {
        const TRunOptions options = ParseRunOptions(c.commandLine);
        EXPECT_EQ(options.Silent, c.silent) << c.commandLine;
        EXPECT_EQ(options.DeleteUnusedShared, c.deleteShared) << c.commandLine;
        EXPECT_EQ(options.ReportPath, c.report) << c.commandLine;
        EXPECT_EQ(options.Unknown, c.unknown) << c.commandLine;
    }
}

}  // namespace
