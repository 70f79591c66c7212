// The rules of the run from a temporary copy: its command line, the process
// id it is given, its folder's name and how paths nest.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/UnVrelCommandLine.h"
#include "core/UnVrelOptions.h"
#include "core/UnVrelSelfCopy.h"

// The copy must read exactly the log path and options the first process
// read, plus the option that names the first process.
TEST(CopyCommandLine, GivesTheCopyTheSameArgumentsAndTheFirstProcess) {
    const std::string original =
        "\"C:\\Program Files\\App\\UnVrel.exe\" \"C:\\Program Files\\App\\a.log\" /s /LOG=r.txt";
    const std::string line = CopyCommandLine(original, "C:\\Temp\\UnVrel-0123\\UnVrel.exe", 4242);
    EXPECT_EQ(ParamStr(line, 0), "C:\\Temp\\UnVrel-0123\\UnVrel.exe");
    EXPECT_EQ(ParamStr(line, 1), "C:\\Program Files\\App\\a.log");
    const TRunOptions options = ParseRunOptions(line);
    EXPECT_TRUE(options.Silent);
    EXPECT_EQ(options.ReportPath, "r.txt");
    EXPECT_EQ(options.CopyOf, "4242");
    EXPECT_TRUE(options.Unknown.empty());
    EXPECT_EQ(ParamStr(CopyCommandLine("u.exe", "C:\\c.exe", 7), 1), "/COPYOF=7");
}

// Through the wide command line the copy gets the arguments as written,
// characters beyond ASCII, quotes and blanks included: only the program's
// own path is replaced.
TEST(CopyCommandLine, WideLineKeepsEveryCharacterOfTheArguments) {
    const struct {
        std::wstring line;
        std::wstring expected;
    } cases[] = {
        {L"\"C:\\\u03A9\u03BC\u03AD\u03B3\u03B1\\UnVrel.exe\"  \"C:\\\u03A9\u03BC\u03AD\u03B3\u03B1\\u.log\" /S",
         L"\"C:\\T\\\u4E2D.exe\" \"C:\\\u03A9\u03BC\u03AD\u03B3\u03B1\\u.log\" /S /COPYOF=9"},
        // A program path without quotes ends at the first blank, whatever
        // characters it holds.
        {L"C:\\\u03A9\\u.exe\t\u00E8.log  /LOG=\"r \u03B1.txt\"",
         L"\"C:\\T\\\u4E2D.exe\" \u00E8.log  /LOG=\"r \u03B1.txt\" /COPYOF=9"},
        {L"\"C:\\\u03A9 \u03B1\\u.exe\"", L"\"C:\\T\\\u4E2D.exe\" /COPYOF=9"},
        // Even a lone surrogate, which no conversion would keep.
        {L"u.exe a\xD800.log", L"\"C:\\T\\\u4E2D.exe\" a\xD800.log /COPYOF=9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CopyCommandLine(c.line, L"C:\\T\\\u4E2D.exe", 9), c.expected);
}

// A caller's own /COPYOF is not the first process's: only the last one is.
TEST(ForeignCopyOfOptions, AreEveryInternalOptionButTheLast) {
    const struct {
        const char* line;
        std::vector<std::string> foreign;
    } cases[] = {
        {"u.exe a.log /S", {}},
        {"u.exe a.log /S /COPYOF=12", {}},
        {"u.exe a.log /COPYOF=4 /S /COPYOF=12", {"/COPYOF=4"}},
        {"u.exe a.log -copyof=4 /CopyOf=5 /COPYOF=12", {"-copyof=4", "/CopyOf=5"}},
        // Not options, or not this option: left to the option reader.
        {"u.exe a.log /COPYOF= /COPYOFX=2 /COPYOF=12", {}},
        // Before the log path too, wherever options may stand.
        {"u.exe /COPYOF=3 a.log /COPYOF=12", {"/COPYOF=3"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ForeignCopyOfOptions(c.line), c.foreign) << c.line;
    const std::string line = CopyCommandLine("u.exe a.log /COPYOF=4", "C:\\T\\u.exe", 12);
    EXPECT_EQ(ForeignCopyOfOptions(line), std::vector<std::string>{"/COPYOF=4"});
    EXPECT_EQ(ParseRunOptions(line).CopyOf, "12");
}

TEST(ParseProcessId, TakesPlainDecimalNumbersOnly) {
    const struct {
        const char* text;
        std::optional<unsigned long> id;
    } cases[] = {
        {"1", 1ul},           {"4242", 4242ul}, {"4294967295", 4294967295ul},
        {"0", std::nullopt},  {"", std::nullopt}, {"4294967296", std::nullopt},
        {"-5", std::nullopt}, {"+5", std::nullopt}, {" 5", std::nullopt},
        {"5 ", std::nullopt}, {"$10", std::nullopt}, {"0x10", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseProcessId(c.text), c.id) << c.text;
}

TEST(IsSameOrWithin, FollowsWholePathComponents) {
    const struct {
        const char* path;
        const char* dir;
        bool within;
    } cases[] = {
        {"C:\\APP\\UNVREL.EXE", "C:\\APP", true},
        {"C:\\APP\\BIN\\UNVREL.EXE", "C:\\APP", true},
        {"C:\\APP", "C:\\APP", true},
        {"C:\\APP\\UNVREL.EXE", "C:\\APP\\", true},
        {"C:\\APPS\\UNVREL.EXE", "C:\\APP", false},
        {"C:\\AP", "C:\\APP", false},
        {"C:\\UNVREL.EXE", "C:\\", true},
        {"D:\\APP\\UNVREL.EXE", "C:\\", false},
        {"C:\\APP\\UNVREL.EXE", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSameOrWithin(c.path, c.dir), c.within) << c.path << " in " << c.dir;
}

TEST(CopyFolderName, IsRecognisedAndNothingElseIs) {
    EXPECT_EQ(CopyFolderName(0x0123456789ABCDEFull), "UnVrel-0123456789abcdef");
    EXPECT_EQ(CopyFolderName(0), "UnVrel-0000000000000000");
    EXPECT_TRUE(IsCopyFolderName(CopyFolderName(0xFEDCBA9876543210ull)));
    EXPECT_TRUE(IsCopyFolderName("UNVREL-0123456789ABCDEF"));
    const char* others[] = {"UnVrel-0123456789abcde", "UnVrel-0123456789abcdef0",
                            "UnVrel-0123456789abcdeg", "UnVrel_0123456789abcdef", "App", ""};
    for (const char* name : others) EXPECT_FALSE(IsCopyFolderName(name)) << name;
}
