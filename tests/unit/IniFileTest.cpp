// The INI grammar, the write-back layout and the in-memory model of epIniFile.
#include "core/epIniFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using Lines = TStringList;

TIniOptions Only(bool skipComments, bool keyLinesOnly, bool trim, bool quotes) {
    TIniOptions options;
    options.SkipComments = skipComments;
    options.KeyLinesOnly = keyLinesOnly;
    options.TrimAroundEquals = trim;
    options.StripValueQuotes = quotes;
    return options;
}

// The lines of section [S] after parsing "[S]\r\n" + body.
Lines EntriesOf(const std::string& body, const TIniOptions& options = AllIniOptions()) {
    TSectionList sections = ParseIniText("[S]\r\n" + body, options);
    if (sections.Count() == 0) return {};
    return sections.SectionLines(0);
}

std::string StoredAs(const std::string& line) {
    const Lines lines = EntriesOf(line + "\r\n");
    return lines.empty() ? "<dropped>" : lines[0];
}

TepIniModel ModelOf(const std::string& text) {
    TepIniModel model(AllIniOptions());
    model.LoadText(text);
    return model;
}

std::string ReadData(const std::string& name) {
    std::ifstream in(std::string(TAMSK_TEST_DATA) + "/ini/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(IniParser, EachOptionDoesItsOwnThingOnly) {
    const std::string body = "; note\r\nplain line\r\nk  =  v\r\nq='x'\r\n";
    EXPECT_EQ(EntriesOf(body, Only(false, false, false, false)),
              (Lines{"; note", "plain line", "k  =  v", "q='x'"}));
    EXPECT_EQ(EntriesOf(body, Only(true, false, false, false)),
              (Lines{"plain line", "k  =  v", "q='x'"}));
    EXPECT_EQ(EntriesOf(body, Only(false, true, false, false)),
              (Lines{"k  =  v", "q='x'"}));  // "; note" has no "=" either
    EXPECT_EQ(EntriesOf(body, Only(false, false, true, false)),
              (Lines{"; note", "plain line", "k=v", "q='x'"}));
    EXPECT_EQ(EntriesOf(body, Only(false, false, false, true)),
              (Lines{"; note", "plain line", "k  =  v", "q=x"}));
    // Without trimming, the blank after "=" hides the quote.
    EXPECT_EQ(EntriesOf("k= 'v'\r\n", Only(false, false, false, true)), Lines{"k= 'v'"});
}

TEST(IniParser, TrimsControlBytesButKeepsHighBytes) {
    EXPECT_EQ(StoredAs("\t\x01  key  =  value \x1a"), "key=value");
    EXPECT_EQ(StoredAs("k=S\xec\xa0"), "k=S\xec\xa0");
    EXPECT_EQ(StoredAs("\xa0k=v"), "\xa0k=v");
    EXPECT_EQ(StoredAs("a b\t=\t c d"), "a b=c d");  // blanks inside stay
    EXPECT_EQ(StoredAs("k=a = b"), "k=a = b");       // only the first "=" counts
    EXPECT_EQ(StoredAs("=  value"), "=  value");     // a line beginning with "=" stays
    EXPECT_EQ(StoredAs("no equals"), "<dropped>");
    EXPECT_EQ(StoredAs("x;y=1"), "x;y=1");  // ";" starts a comment only at the start
    EXPECT_EQ(StoredAs("; k=1"), "<dropped>");
}

TEST(IniParser, BlanksOnEitherSideOfEqualsGoAlone) {
    const struct {
        const char* line;
        const char* stored;
    } cases[] = {
        {"k =v", "k=v"},       {"k= v", "k=v"},         {"k\t=v", "k=v"},
        {"k=\tv", "k=v"},      {"k ='v'", "k=v"},       {"k= \"v\"", "k=v"},
        {"k=v ", "k=v"},       {"k='v' x", "k='v' x"},  {"k='v\"", "k='v\""},
        {"k=v'", "k=v'"},      {"k==v", "k==v"},        {"k= =v", "k==v"},
    };
    for (const auto& c : cases) EXPECT_EQ(StoredAs(c.line), c.stored) << c.line;
}

TEST(IniParser, HeadersStandAsTheyAre) {
    const TSectionList sections =
        ParseIniText("  [Files]  \r\n[Files] ;x\r\na=1\r\n[]\r\nb=2\r\n[ A ]\r\nc=3\r\n[\r\n]\r\n",
                     AllIniOptions());
    ASSERT_EQ(sections.Count(), 3);
    EXPECT_EQ(sections.Name(0), "Files");
    EXPECT_EQ(sections.SectionLines(0), Lines{"a=1"});  // "[Files] ;x" is no header, no entry
    EXPECT_EQ(sections.Name(1), "");
    EXPECT_EQ(sections.Name(2), " A ");
    EXPECT_EQ(sections.SectionLines(2), Lines{"c=3"});
    EXPECT_EQ(ParseIniLine("[Files] ;x", Only(false, false, false, false)).Kind,
              TIniLineKind::Entry);
}

TEST(IniParser, ValueQuotesLoseOnePairOnly) {
    EXPECT_EQ(StoredAs("key = 'C:\\a b'"), "key=C:\\a b");
    EXPECT_EQ(StoredAs("key=\"C:\\a b\""), "key=C:\\a b");
    EXPECT_EQ(StoredAs("key=''"), "key=");
    EXPECT_EQ(StoredAs("key='"), "key='");
    EXPECT_EQ(StoredAs("key=x'"), "key=x'");
    EXPECT_EQ(StoredAs("key='a'b'"), "key=a'b");
    EXPECT_EQ(StoredAs("key=\"a'"), "key=\"a'");
    EXPECT_EQ(StoredAs("key=\"\"a\"\""), "key=\"a\"");
    EXPECT_EQ(StoredAs("='v'"), "='v'");  // no key: left alone
}

TEST(IniParser, DropsOrphansAndDuplicateSections) {
    const TSectionList sections =
        ParseIniText("k=0\r\n[A]\r\nk=1\r\n[a]\r\nk=2\r\n[B]\r\n[A]\r\nk=3\r\n", AllIniOptions());
    ASSERT_EQ(sections.Count(), 2);
    EXPECT_EQ(sections.Name(0), "A");
    EXPECT_EQ(sections.SectionLines(0), Lines{"k=1"});
    EXPECT_EQ(sections.Name(1), "B");
    EXPECT_EQ(ModelOf("[A]\r\nk=1\r\n[a]\r\nk=2\r\n").Modified, false);
}

// Power cuts leave NUL-filled blocks in files that are appended to. Such a
// line is ignored; NUL bytes at a line's ends are trimmed like any control
// byte; the lines under a damaged header belong to no section.
TEST(IniParser, LinesHoldingANulByteAreIgnored) {
    const std::string nul(1, '\0');
    const struct {
        std::string text;
        Lines expected;
    } cases[] = {
        {"[S]\r\nHKCU\\Vendor" + nul + "junk=1\r\nk=2\r\n", {"k=2"}},
        {"[S]\r\nk=1" + nul + "\r\n" + nul + nul + "j=2" + nul + "\r\n", {"k=1", "j=2"}},
        {"[S]\r\nk=" + nul + "x\r\n" + std::string(512, '\0') + "\r\nj=2\r\n", {"j=2"}},
        {"[S]\r\na=1\r\n[S" + nul + "]\r\nb=2\r\n[T]\r\nc=3\r\n", {"a=1"}},
        {"[S" + nul + "]\r\nb=2\r\n[S]\r\nc=3\r\n", {"c=3"}},
        {"[S]\r\n" + nul + "[T]\r\nc=3\r\n", {}},  // a header once trimmed
    };
    for (const auto& c : cases) {
        const TSectionList sections = ParseIniText(c.text, AllIniOptions());
        const std::int32_t s = sections.Count() > 0 && sections.Name(0) == "S" ? 0 : -1;
        EXPECT_EQ(s < 0 ? Lines{} : sections.SectionLines(s), c.expected) << c.text;
        for (std::int32_t i = 0; i < sections.Count(); ++i) {
            EXPECT_EQ(sections.Name(i).find('\0'), std::string::npos);
            for (const std::string& line : sections.SectionLines(i))
                EXPECT_EQ(line.find('\0'), std::string::npos) << line;
        }
    }
}

TEST(IniParser, Utf8MarkBeforeTheFirstHeaderIsPassedOver) {
    const TSectionList sections = ParseIniText(
        "\xEF\xBB\xBF[Settings]\r\nLang=it\r\n[Plugins]\r\nOld=1\r\n", AllIniOptions());
    ASSERT_EQ(sections.Count(), 2);
    EXPECT_EQ(sections.Name(0), "Settings");
    EXPECT_EQ(sections.SectionLines(0), Lines{"Lang=it"});
    // Only at the very start: anywhere else the bytes are text.
    EXPECT_EQ(EntriesOf("\xEF\xBB\xBFk=1\r\n"), Lines{"\xEF\xBB\xBFk=1"});
}

TEST(IniParser, LfOnlyFileIsOneLine) {
    EXPECT_EQ(ParseIniText("[A]\nk=1\nj=2\n", AllIniOptions()).Count(), 0);
    const TSectionList header = ParseIniText("[A]\n", AllIniOptions());
    ASSERT_EQ(header.Count(), 1);
    EXPECT_EQ(header.Name(0), "A");
}

TEST(IniParser, RemoveDuplicatesKeepsFileOrder) {
    TSectionList sections;
    for (const char* name : {"c", "B", "a", "C", "b", "A", "d"}) sections.Add(name);
    sections.LastIndex = 5;
    sections.RemoveDuplicates();
    ASSERT_EQ(sections.Count(), 4);
    EXPECT_EQ(sections.Name(0), "c");
    EXPECT_EQ(sections.Name(1), "B");
    EXPECT_EQ(sections.Name(2), "a");
    EXPECT_EQ(sections.Name(3), "d");
    EXPECT_EQ(sections.LastIndex, 0);
}

TEST(IniLayout, RewriteMatchesGoldenFiles) {
    const std::string input = ReadData("input.ini");
    TepIniModel model = ModelOf(input);
    EXPECT_EQ(FormatIniText(model.Sections), ReadData("expected-rewritten.ini"));

    model.WriteString("STRINGS", "1", "Uno");
    model.DeleteKey("copyfiles", "c:\\app\\help.hlp");
    model.EraseSection(" a ");
    model.WriteString("New", "k", "v");
    EXPECT_EQ(FormatIniText(model.Sections), ReadData("expected-modified.ini"));

    Lines strings;
    model.GetStrings(strings);
    std::string joined;
    for (const std::string& line : strings) joined += line + "\r\n";
    EXPECT_EQ(joined, ReadData("expected-modified.ini"));
}

TEST(IniLayout, EmptySectionsAndEmptyModelWriteNothing) {
    TepIniModel model = ModelOf("[A]\r\nk=1\r\n[B]\r\n[C]\r\nj=2\r\n");
    model.DeleteKey("C", "j");
    EXPECT_EQ(FormatIniText(model.Sections), "[A]\r\nk=1\r\n\r\n");
    EXPECT_EQ(FormatIniText(TSectionList()), "");
}

TEST(IniModel, FindKeySearchesSectionsCircularly) {
    TepIniModel model = ModelOf("[A]\r\nk=a\r\n[B]\r\nk=b\r\nK=b2\r\n[C]\r\nk=c\r\n");
    model.CurSection = 2;
    TKeyPosition found = model.FindKey("b", "K", false);
    EXPECT_EQ(model.CurSection, 1);
    ASSERT_NE(found.Lines, nullptr);
    EXPECT_EQ(found.Index, 0);
    EXPECT_EQ(model.FindKey("a", "missing", false).Index, -1);
    EXPECT_EQ(model.CurSection, 0);
    EXPECT_EQ(model.FindKey("none", "k", false).Lines, nullptr);
    model.CurSection = 99;  // a stale start is harmless
    EXPECT_EQ(model.ReadString("C", "k", ""), "c");

    found = model.FindKey("new", "k", true);
    EXPECT_EQ(model.CurSection, 3);
    EXPECT_EQ(found.Index, -1);
    EXPECT_TRUE(found.Lines->empty());
    EXPECT_FALSE(model.Modified);
}

TEST(IniModel, ReadStringTakesTheFirstKey) {
    TepIniModel model = ModelOf("[S]\r\nk=1\r\nk=2\r\nempty=\r\nnoequals\r\n");
    EXPECT_EQ(model.ReadString("s", "K", "d"), "1");
    EXPECT_EQ(model.ReadString("S", "empty", "d"), "");
    EXPECT_EQ(model.ReadString("S", "missing", "d"), "d");
    EXPECT_EQ(model.ReadString("T", "k", "d"), "d");
    model.KeyLinesOnly = false;
    model.LoadText("[S]\r\nnoequals\r\n");
    EXPECT_EQ(model.ReadString("S", "noequals", "d"), "d");  // a line without "=" has no key
}

TEST(IniModel, WriteStringReplacesOrAppends) {
    TepIniModel model = ModelOf("[S]\r\nk=1\r\nk=2\r\n");
    model.WriteString("S", "k", "1");
    EXPECT_FALSE(model.Modified);
    model.WriteString("S", "k", "3");
    EXPECT_TRUE(model.Modified);
    EXPECT_EQ(model.Sections.SectionLines(0), (Lines{"k=3", "k=2"}));
    model.WriteString("s", "K", "3");  // other spelling: replaces the stored one
    EXPECT_EQ(model.Sections.SectionLines(0), (Lines{"K=3", "k=2"}));
    model.WriteString("S", "j", " spaced ");
    model.WriteString("T", "x", "");
    EXPECT_EQ(model.Sections.SectionLines(0), (Lines{"K=3", "k=2", "j= spaced "}));
    ASSERT_EQ(model.Sections.Count(), 2);
    EXPECT_EQ(model.Sections.SectionLines(1), Lines{"x="});
}

struct CountingModel : TepIniModel {
    int updates = 0;
    void UpdateFile() override { ++updates; }
};

TEST(IniModel, EmptyKeyAddressesTheWholeSection) {
    CountingModel model;
    model.LoadText("[S]\r\nk=1\r\n[T]\r\nj=1\r\n");
    model.WriteString("", "", "");
    EXPECT_EQ(model.updates, 1);
    model.WriteString("s", "", "ignored");
    EXPECT_EQ(model.Sections.Count(), 1);
    EXPECT_TRUE(model.Modified);
    EXPECT_EQ(model.updates, 1);
}

TEST(IniModel, DeleteAndEraseChangeOnlyWhatExists) {
    TepIniModel model = ModelOf("[S]\r\nk=1\r\nk=2\r\n[T]\r\nj=1\r\n");
    model.DeleteKey("S", "missing");
    model.DeleteKey("U", "k");  // adds an empty U, which is never written
    model.EraseSection("none");
    EXPECT_FALSE(model.Modified);
    EXPECT_EQ(model.Sections.Count(), 3);
    model.DeleteKey("s", "K");
    EXPECT_TRUE(model.Modified);
    EXPECT_EQ(model.Sections.SectionLines(0), Lines{"k=2"});

    model.CurSection = 2;
    model.Sections.LastIndex = 2;
    model.EraseSection("t");
    EXPECT_EQ(model.Sections.Count(), 2);
    EXPECT_EQ(model.CurSection, 0);
    EXPECT_EQ(model.Sections.LastIndex, 0);
    EXPECT_EQ(model.ReadString("T", "j", "gone"), "gone");
}

TEST(IniModel, ReadSectionValuesMergesByKey) {
    TepIniModel model = ModelOf("[S]\r\nk=1\r\nk=2\r\nj=3\r\n");
    Lines list;
    model.ReadSectionValues("s", list);
    EXPECT_EQ(list, (Lines{"k=1", "k=2", "j=3"}));

    list = {"J=old", "x=1", "x=2", "nokey", "nokey"};
    model.ReadSectionValues("S", list);
    EXPECT_EQ(list, (Lines{"k=1", "k=2", "j=3", "x=1", "nokey", "nokey"}));

    list = {"keep"};
    model.ReadSectionValues("missing", list);
    EXPECT_EQ(list, Lines{"keep"});
}

TEST(IniModel, SectionAndNameLists) {
    TepIniModel model(Only(true, false, true, true));
    model.LoadText("[S]\r\nk=1\r\n=v\r\nbare\r\n[T]\r\n");
    Lines keys = {"old"};
    model.ReadSection("s", keys);
    EXPECT_EQ(keys, (Lines{"old", "k", "", ""}));
    Lines names = {"old"};
    model.ReadSections(names);
    EXPECT_EQ(names, (Lines{"S", "T"}));
}

TEST(IniModel, IntegersAndBooleans) {
    TepIniModel model = ModelOf(
        "[N]\r\nd= -42\r\nhex=0x1F\r\nupper=0XfF\r\ndollar=$10\r\nbad=12a\r\nempty=\r\n"
        "long=0x" + std::string(300, '0') + "1\r\n");
    EXPECT_EQ(model.ReadInteger("N", "d", 7), -42);
    EXPECT_EQ(model.ReadInteger("N", "hex", 7), 31);
    EXPECT_EQ(model.ReadInteger("N", "upper", 7), 255);
    EXPECT_EQ(model.ReadInteger("N", "dollar", 7), 16);
    EXPECT_EQ(model.ReadInteger("N", "bad", 7), 7);
    EXPECT_EQ(model.ReadInteger("N", "empty", 7), 7);
    EXPECT_EQ(model.ReadInteger("N", "missing", 7), 7);
    // Only 255 digits after "0x" are looked at.
    EXPECT_EQ(model.ReadInteger("N", "long", 7), 0);

    model.WriteInteger("N", "w", -2147483647 - 1);
    EXPECT_EQ(model.ReadString("N", "w", ""), "-2147483648");
    model.WriteBool("N", "b", true);
    EXPECT_EQ(model.ReadString("N", "b", ""), "1");
    EXPECT_TRUE(model.ReadBool("N", "b", false));
    EXPECT_TRUE(model.ReadBool("N", "missing", true));
    EXPECT_FALSE(model.ReadBool("N", "bad", false));
}

TEST(IniModel, WriteSectionValuesWritesEachLine) {
    TepIniModel model = ModelOf("[S]\r\nk=1\r\n");
    model.WriteSectionValues("S", {"K=2", "a=b=c", "bare", "n=3"});
    EXPECT_EQ(model.Sections.SectionLines(0), (Lines{"K=2", "a=b=c", "bare=", "n=3"}));
    EXPECT_EQ(model.ReadString("S", "a", ""), "b=c");
}

}  // namespace
