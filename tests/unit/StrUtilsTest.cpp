// Field splitting, quotes, key/value lines, marker replacement, wildcard
// masks, and the letter case of the ASCII letters alone.
#include "core/epStrUtils.h"
#include "core/epAsciiCase.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Field(std::int32_t n, const std::string& line) { return GetField(n, line, CommaSet()); }

TEST(GetFieldTest, SplitsAtCommasAndNumbersFromOne) {
    EXPECT_EQ(Field(1, "a,b,c"), "a");
    EXPECT_EQ(Field(2, "a,b,c"), "b");
    EXPECT_EQ(Field(3, "a,b,c"), "c");
    EXPECT_EQ(Field(4, "a,b,c"), "");
    EXPECT_EQ(Field(2, "a,,c"), "");
    EXPECT_EQ(Field(3, "a,,c"), "c");
    EXPECT_EQ(Field(2, "a,"), "");
    EXPECT_EQ(Field(1, ""), "");
    EXPECT_EQ(Field(1, ",b"), "");
}

TEST(GetFieldTest, NumbersBelowOneGiveTheFirstField) {
    EXPECT_EQ(Field(0, "a,b"), "a");
    EXPECT_EQ(Field(-1, "a,b"), "a");
    EXPECT_EQ(Field(INT_MIN, "a,b"), "a");
}

TEST(GetFieldTest, NumbersFarPastTheEndGiveEmpty) {
    EXPECT_EQ(Field(INT_MAX, "a,b,c"), "");
    EXPECT_EQ(Field(INT_MAX, ""), "");
    EXPECT_EQ(Field(1000, ",,,"), "");
    EXPECT_EQ(Field(4, ",,,"), "");
}

TEST(GetFieldTest, KeepsBlanks) { EXPECT_EQ(Field(1, " a ,b"), " a "); }

TEST(GetFieldTest, ApostropheQuotedFieldsAreUnquoted) {
    EXPECT_EQ(Field(1, "'x,y',z"), "x,y");
    EXPECT_EQ(Field(2, "'x,y',z"), "z");
    EXPECT_EQ(Field(1, "'it''s',b"), "it's");
    EXPECT_EQ(Field(2, "'it''s',b"), "b");
}

TEST(GetFieldTest, DoubleQuotedFieldsKeepTheirQuotes) {
    EXPECT_EQ(Field(1, "\"C:\\a,b.exe\",x"), "\"C:\\a,b.exe\"");
    EXPECT_EQ(Field(2, "\"C:\\a,b.exe\",x"), "x");
    // An apostrophe inside double quotes is an ordinary character.
    EXPECT_EQ(Field(1, "\"it's, here\",x"), "\"it's, here\"");
    EXPECT_EQ(Field(2, "\"it's, here\",x"), "x");
    // A double quote inside apostrophes is an ordinary character too.
    EXPECT_EQ(Field(2, "'a\",b',c"), "c");
}

TEST(GetFieldTest, QuotesInsideAFieldAlsoProtectSeparators) {
    EXPECT_EQ(Field(1, "ab'c,d'e,f"), "ab'c,d'e");
    EXPECT_EQ(Field(2, "ab'c,d'e,f"), "f");
}

TEST(GetFieldTest, UnclosedQuoteSwallowsTheRestOfTheLine) {
    EXPECT_EQ(Field(2, "'a,b"), "");
    EXPECT_EQ(Field(1, "'a,b"), "a,");
    EXPECT_EQ(Field(1, "'"), "");
    EXPECT_EQ(Field(2, "x,\"y,z"), "\"y,z");
}

TEST(GetFieldTest, OtherSetsSplitAtAnyOfTheirCharacters) {
    const TCharSet set = TCharSet::Of(";|");
    EXPECT_EQ(GetField(2, "a;b|c", set), "b");
    EXPECT_EQ(GetField(3, "a;b|c", set), "c");
    EXPECT_EQ(GetField(1, "a,b;c", set), "a,b");
    EXPECT_EQ(GetField(2, std::string("a\0b", 3), TCharSet::Of(std::string("\0", 1))), "b");
    EXPECT_EQ(GetField(1, "a,b", TCharSet()), "a,b");
    const TCharSet high = TCharSet::Of("\xFF");
    EXPECT_TRUE(high.Contains(0xFF));
    EXPECT_FALSE(high.Contains(0x7F));
    EXPECT_EQ(GetField(2, "a\xFF" "b", high), "b");
}

TEST(StripQuotesTest, ClosedQuotes) {
    EXPECT_EQ(StripQuotes("'abc'", kApostrophe), "abc");
    EXPECT_EQ(StripQuotes("'a''b'", kApostrophe), "a'b");
    EXPECT_EQ(StripQuotes("'abc'def", kApostrophe), "abc");
    EXPECT_EQ(StripQuotes("''", kApostrophe), "");
    EXPECT_EQ(StripQuotes("''''", kApostrophe), "'");
    EXPECT_EQ(StripQuotes("\"C:\\My App\\x.exe\"", kDoubleQuote), "C:\\My App\\x.exe");
    EXPECT_EQ(StripQuotes("\"a'b\"", kDoubleQuote), "a'b");
}

TEST(StripQuotesTest, UnclosedQuoteDropsTheLastCharacter) {
    EXPECT_EQ(StripQuotes("'", kApostrophe), "");
    EXPECT_EQ(StripQuotes("'a", kApostrophe), "");
    EXPECT_EQ(StripQuotes("'abc", kApostrophe), "ab");
    EXPECT_EQ(StripQuotes("'a''b", kApostrophe), "a'");
    EXPECT_EQ(StripQuotes("'''", kApostrophe), "");
}

TEST(StripQuotesTest, UnquotedTextStaysAsItIs) {
    EXPECT_EQ(StripQuotes("abc", kApostrophe), "abc");
    EXPECT_EQ(StripQuotes("", kApostrophe), "");
    EXPECT_EQ(StripQuotes("'abc'", kDoubleQuote), "'abc'");
    EXPECT_EQ(StripQuotes(" 'abc'", kApostrophe), " 'abc'");
}

TEST(ReplaceAllTest, ReplacesEveryOccurrenceWithoutOverlap) {
    EXPECT_EQ(ReplaceAll("a||b||", "||", "\r"), "a\rb\r");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("||||", "||", "\r"), "\r\r");
    EXPECT_EQ(ReplaceAll("|||", "||", "\r"), "\r|");
}

TEST(ReplaceAllTest, InsertedTextIsNotSearchedAgain) {
    EXPECT_EQ(ReplaceAll("ab", "a", "aa"), "aab");
    EXPECT_EQ(ReplaceAll("aXa", "a", "a"), "aXa");
}

TEST(ReplaceAllTest, EmptyOrAbsentOldLeavesTheText) {
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("abc", "d", "x"), "abc");
    EXPECT_EQ(ReplaceAll("", "a", "x"), "");
    EXPECT_EQ(ReplaceAll("a", "abc", "x"), "a");
    EXPECT_EQ(ReplaceAll("Ab", "a", "x"), "Ab");
}

TEST(KeyValueTest, SplitsAtTheFirstEqualsSign) {
    EXPECT_EQ(ValueOf("k=a=b"), "a=b");
    EXPECT_EQ(KeyOf("k=a=b"), "k");
    EXPECT_EQ(ValueOf("k"), "");
    EXPECT_EQ(KeyOf("k"), "k");
    EXPECT_EQ(KeyOf("=v"), "");
    EXPECT_EQ(ValueOf("=v"), "v");
    EXPECT_EQ(ValueOf("k="), "");
    EXPECT_EQ(KeyOf(""), "");
    EXPECT_EQ(ValueOf(""), "");
}

TEST(KeyValueTest, AnEntryKeyEndsAtTheLastEqualsSign) {
    // A log entry's value comes last: the name before it may hold "=".
    EXPECT_EQ(EntryKey("C:\\a=b.dll=1"), "C:\\a=b.dll");
    EXPECT_EQ(EntryKey("C:\\app.exe="), "C:\\app.exe");
    EXPECT_EQ(EntryKey("=1"), "");
    EXPECT_EQ(EntryKey("no equals sign"), "");
}

TEST(KeyValueTest, OneFieldBlanksEveryControlByte) {
    EXPECT_EQ(OneField("a\tb\r\nc"), "a b  c");
    EXPECT_EQ(OneField(std::string("x\0\x1fy\x7f\xe4", 6)), "x  y\x7f\xe4");
}

TEST(KeyValueTest, TextBeforeAndAfterAnyCharacter) {
    EXPECT_EQ(TextBefore("HKLM\\Software", '\\'), "HKLM");
    EXPECT_EQ(TextAfter("HKLM\\Software\\X", '\\'), "Software\\X");
    EXPECT_EQ(TextBefore("HKLM", '\\'), "HKLM");
    EXPECT_EQ(TextAfter("HKLM", '\\'), "");
}

bool MatchI(const std::string& text, const std::string& mask) { return MatchesMask(text, mask, true); }

TEST(MatchesMaskTest, FontLinesMatchTheirFileName) {
    EXPECT_TRUE(MatchI("Arial (TrueType)=ARIAL.TTF", "*=arial.ttf"));
    EXPECT_FALSE(MatchI("Arial (TrueType)=ARIALBD.TTF", "*=arial.ttf"));
    EXPECT_FALSE(MatchI("ARIAL.TTF", "*=ARIAL.TTF"));
}

TEST(MatchesMaskTest, WildcardsMatch) {
    EXPECT_TRUE(MatchI("ABC", "A?C"));
    EXPECT_TRUE(MatchI("ABC", "A*"));
    EXPECT_TRUE(MatchI("ABC", "*C"));
    EXPECT_TRUE(MatchI("AXBYC", "A*B*C"));
    EXPECT_TRUE(MatchI("ABC", "???"));
    EXPECT_TRUE(MatchI("ABC", "*"));
    EXPECT_TRUE(MatchI("ABC", "A**C"));
    EXPECT_TRUE(MatchI("AXXBC", "A*B?"));
    EXPECT_TRUE(MatchI("AXBXBC", "A*B*C"));
    EXPECT_TRUE(MatchI("AXYBC", "A*?B*C"));
}

TEST(MatchesMaskTest, WildcardsReject) {
    EXPECT_FALSE(MatchI("ABC", "*B"));
    EXPECT_FALSE(MatchI("ABC", "AB*BC"));
    EXPECT_FALSE(MatchI("AB", "A?C"));
    EXPECT_FALSE(MatchI("ABC", "AB"));
    EXPECT_FALSE(MatchI("ABC", "??"));
    EXPECT_FALSE(MatchI("AB", "???"));
    EXPECT_FALSE(MatchI("AXBYC", "A*Z*C"));
    EXPECT_FALSE(MatchI("ABC", "X*"));
}

TEST(MatchesMaskTest, EmptyTextAndEmptyMask) {
    EXPECT_TRUE(MatchI("", "*"));
    EXPECT_TRUE(MatchI("", "***"));
    EXPECT_TRUE(MatchI("", ""));
    EXPECT_FALSE(MatchI("", "?"));
    EXPECT_FALSE(MatchI("", "A*"));
    EXPECT_FALSE(MatchI("A", ""));
}

TEST(MatchesMaskTest, OnlyTheLastMaskCharacterDecidesAnUnmatchedRest) {
    EXPECT_TRUE(MatchI("AB", "ABX*"));
    EXPECT_TRUE(MatchI("AB", "AB*"));
    EXPECT_TRUE(MatchI("AB", "*?*?*?*"));
    EXPECT_FALSE(MatchI("AB", "ABX"));
    EXPECT_FALSE(MatchI("AB", "AB*X"));
}

TEST(MatchesMaskTest, FinalSegmentLongerThanTheRestOfTheText) {
    EXPECT_FALSE(MatchI("A", "*ABCDEFGH"));
    EXPECT_FALSE(MatchI("AB", "A*??"));
    EXPECT_FALSE(MatchI("AXB", "A*B*XB"));
    EXPECT_TRUE(MatchI("AB", "A*?"));
}

TEST(MatchesMaskTest, PathologicalMasks) {
    EXPECT_TRUE(MatchI("ABC", "**********"));
    EXPECT_FALSE(MatchI("ABC", "????"));
    EXPECT_TRUE(MatchI("ABC", "*?*?*?*"));
    EXPECT_TRUE(MatchI("A*C", "A*C"));
    EXPECT_TRUE(MatchI("*", "*"));
    EXPECT_TRUE(MatchI("?", "?"));
    EXPECT_TRUE(MatchI(std::string(1000, 'A'), "*A*A*A*A*A*A*A*A*A*A"));
    EXPECT_FALSE(MatchI(std::string(1000, 'A'), std::string(1001, '?')));
}

TEST(MatchesMaskTest, CaseMattersUnlessIgnored) {
    EXPECT_FALSE(MatchesMask("abc", "ABC", false));
    EXPECT_FALSE(MatchesMask("abc", "A*", false));
    EXPECT_TRUE(MatchesMask("abc", "a*", false));
    EXPECT_TRUE(MatchesMask("abc", "A*", true));
    EXPECT_TRUE(MatchesMask("Font.TTF", "*.ttf", true));
}

#ifdef _WIN32
// Under code page 1252 the user locale also folds the accented letters.
TEST(MatchesMaskTest, IgnoringCaseFollowsTheLocaleOnWindows) {
    EXPECT_TRUE(MatchI("citt\xE0.ttf", "*\xC0.TTF"));
    EXPECT_FALSE(MatchesMask("citt\xE0.ttf", "*\xC0.ttf", false));
}
#endif

TEST(WildPosTest, FindsTheFirstPlaceFromOne) {
    EXPECT_EQ(WildPos("B", "ABCB"), 2u);
    EXPECT_EQ(WildPos("ABC", "ABC"), 1u);
    EXPECT_EQ(WildPos("?C", "ABCB"), 2u);
    EXPECT_EQ(WildPos("B?", "ABCB"), 2u);
    EXPECT_EQ(WildPos("??", "AB"), 1u);
    EXPECT_EQ(WildPos("C?", "ABC"), 0u);
    EXPECT_EQ(WildPos("X", "ABC"), 0u);
}

TEST(WildPosTest, SegmentsThatCannotFit) {
    EXPECT_EQ(WildPos("ABCD", "ABC"), 0u);
    EXPECT_EQ(WildPos("????", "ABC"), 0u);
    EXPECT_EQ(WildPos("?", ""), 0u);
    EXPECT_EQ(WildPos("", "ABC"), 0u);
    EXPECT_EQ(WildPos("", ""), 0u);
}

TEST(CutAtStarTest, CutsBeforeTheFirstStar) {
    std::string text = "AB*C*D";
    EXPECT_EQ(CutAtStar(text), 3u);
    EXPECT_EQ(text, "AB");

    text = "*";
    EXPECT_EQ(CutAtStar(text), 1u);
    EXPECT_EQ(text, "");

    text = "ABC";
    EXPECT_EQ(CutAtStar(text), 0u);
    EXPECT_EQ(text, "ABC");

    text.clear();
    EXPECT_EQ(CutAtStar(text), 0u);
    EXPECT_EQ(text, "");
}

// Only the 26 letters fold: their neighbours differ by the same 32, and no
// code page may fold the bytes from 0x80 up here.
TEST(AsciiCaseTest, OnlyTheLettersFold) {
    const struct {
        std::string a;
        std::string b;
        bool same;
    } cases[] = {
        {"DllUnregisterServer", "DLLUNREGISTERSERVER", true},
        {".Exe", ".eXE", true},
        {"", "", true},
        {"@", "`", false},
        {"[", "{", false},
        {"^", "~", false},
        {"_", "\x7f", false},
        {"\xe4", "\xc4", false},
        {"\xe9t\xe9", "\xc9T\xc9", false},
        {"\xe4x", "\xe4X", true},
        {"ab", "abc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameTextAscii(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameTextAscii(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
    EXPECT_EQ(UpperAscii(std::string("admin$`az{\xe4\xfe\xff\0b", 15)),
              std::string("ADMIN$`AZ{\xe4\xfe\xff\0B", 15));
    for (const char letter : {'a', 'z', 'A', 'Z'}) EXPECT_TRUE(IsAsciiLetter(letter)) << letter;
    for (const char other : {'@', '[', '`', '{', '\xe4'}) EXPECT_FALSE(IsAsciiLetter(other)) << other;
}

TEST(AsciiCaseTest, StartsWithNeedsTheWholeHead) {
    EXPECT_TRUE(StartsWithAscii("unc\\server", "UNC\\"));
    EXPECT_TRUE(StartsWithAscii("anything", ""));
    EXPECT_FALSE(StartsWithAscii("UN", "UNC\\"));
    EXPECT_FALSE(StartsWithAscii("\xe4nc", "\xc4NC"));
}

}  // namespace
