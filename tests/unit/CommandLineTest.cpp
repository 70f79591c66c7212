// Taking the log path from the command line, and the "log not found" text.
#include <gtest/gtest.h>

#include "core/UnVrelCommandLine.h"

TEST(ParamStr, SplitsAtBlanksAndControlCharacters) {
    EXPECT_EQ(ParamStr("UnVrel.exe app.log", 1), "app.log");
    EXPECT_EQ(ParamStr("UnVrel.exe\tapp.log\r\nmore", 1), "app.log");
    EXPECT_EQ(ParamStr("  UnVrel.exe    app.log   ", 1), "app.log");
    EXPECT_EQ(ParamStr("UnVrel.exe a.log b.log", 2), "b.log");
}

TEST(ParamStr, QuotedPartsKeepBlanksAndLoseTheirQuotes) {
    EXPECT_EQ(ParamStr("\"C:\\Program Files\\App\\UnVrel.exe\" \"C:\\Program Files\\App\\app.log\"", 1),
              "C:\\Program Files\\App\\app.log");
    EXPECT_EQ(ParamStr("u.exe C:\\\"Program Files\"\\x.log", 1), "C:\\Program Files\\x.log");
    // An unclosed quote runs to the end of the line.
    EXPECT_EQ(ParamStr("u.exe \"C:\\a b", 1), "C:\\a b");
}

TEST(ParamStr, EmptyQuotePairsBetweenArgumentsCountAsNothing) {
    EXPECT_EQ(ParamStr("u.exe \"\" app.log", 1), "app.log");
    EXPECT_EQ(ParamStr("u.exe \"\"", 1), "");
}

TEST(ParamStr, MissingArgumentIsEmpty) {
    EXPECT_EQ(ParamStr("UnVrel.exe", 1), "");
    EXPECT_EQ(ParamStr("UnVrel.exe   ", 1), "");
    EXPECT_EQ(ParamStr("", 1), "");
    EXPECT_EQ(ParamStr("", 0), "");
}

TEST(ParamStr, BytesAboveAsciiAreNotSeparators) {
    EXPECT_EQ(ParamStr("u.exe perch\xE9.log", 1), "perch\xE9.log");
}

TEST(ArgumentsAfterProgram, KeepsTheArgumentsAsWritten) {
    const struct {
        const char* line;
        const char* arguments;
    } cases[] = {
        {"UnVrel.exe app.log", "app.log"},
        {"\"C:\\Program Files\\App\\UnVrel.exe\"  \"C:\\Program Files\\App\\a.log\" /S",
         "\"C:\\Program Files\\App\\a.log\" /S"},
        {"C:\\\"Program Files\"\\UnVrel.exe\tx.log  /LOG=\"C:\\r e.txt\"",
         "x.log  /LOG=\"C:\\r e.txt\""},
        {"UnVrel.exe", ""},
        {"UnVrel.exe   ", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ArgumentsAfterProgram(c.line), c.arguments) << c.line;
}

TEST(FormatWithOneString, ReplacesTheFirstStringConversion) {
    EXPECT_EQ(FormatWithOneString("Log file di installazione %s non reperibile!", "C:\\x.log"),
              "Log file di installazione C:\\x.log non reperibile!");
}

TEST(FormatWithOneString, MalformedFormatsNeverReadAnotherArgument) {
    EXPECT_EQ(FormatWithOneString("no conversion", "p"), "no conversion");
    EXPECT_EQ(FormatWithOneString("%s and %s", "p"), "p and %s");
    EXPECT_EQ(FormatWithOneString("%d %x %n %s", "p"), "%d %x %n p");
    EXPECT_EQ(FormatWithOneString("100%% of %s", "p"), "100% of p");
    EXPECT_EQ(FormatWithOneString("trailing %", "p"), "trailing %");
    EXPECT_EQ(FormatWithOneString("%s", "50%s"), "50%s");
}
