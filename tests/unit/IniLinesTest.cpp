// Removing INI entries line by line: the file keeps every other byte, and the
// line that goes is the one the model removes.
#include "core/epIniLines.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Removal {
    const char* section;
    const char* key;
    bool removed;
};

std::string ReadData(const std::string& name) {
    std::ifstream in(std::string(TAMSK_TEST_DATA) + "/ini/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The model of the bytes after the removals, in the write-back layout: what
// the model itself holds after the same DeleteKey calls must equal it.
std::string LayoutOf(const std::string& bytes) {
    return FormatIniText(ParseIniText(bytes, AllIniOptions()));
}

TEST(IniLines, GoldenFileLosesExactlyTheRemovedLines) {
    const std::string input = ReadData("lines-input.ini");
    ASSERT_FALSE(input.empty());
    const std::vector<Removal> removals = {
        {"plugins", "old", true},   // the first Old of the first [Plugins] only
        {"Plugins", "OLD", true},   // then the next line with that key
        {"Plugins", "Old", false},  // the commented one and the later [PLUGINS] do not count
        {"Plugins", "", true},      // the empty key is the line that starts with "="
        {"Plugins", "a line without equals", false},
        {"Settings", "lang", true},  // found although stored with blanks around "="
        {"Last", "Gone", true},
        {"Missing", "Gone", false},
    };
    TIniLineEditor editor(input, AllIniOptions());
    TepIniModel model(AllIniOptions());
    model.LoadText(input);
    EXPECT_FALSE(editor.Modified());
    for (const Removal& r : removals) {
        EXPECT_EQ(editor.DeleteKey(r.section, r.key), r.removed) << r.section << "," << r.key;
        model.DeleteKey(r.section, r.key);
    }
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(editor.Text(), ReadData("lines-expected.ini"));
    EXPECT_EQ(LayoutOf(editor.Text()), FormatIniText(model.Sections));
}

TEST(IniLines, NothingRemovedGivesTheBytesBack) {
    for (const std::string& bytes :
         {std::string(), std::string("\xEF\xBB\xBF"), std::string("k=v\r\n"),
          std::string("[S]\r\nk=v"), std::string("\n\n[S]\r\r\n\nk=1\r")}) {
        TIniLineEditor editor(bytes, AllIniOptions());
        EXPECT_FALSE(editor.DeleteKey("S", "x"));
        EXPECT_FALSE(editor.Modified());
        EXPECT_EQ(editor.Text(), bytes);
    }
}

// Each line goes with its own line end, whatever that is; a CR is the only
// line end the parser knows, and LF bytes after it belong to it.
TEST(IniLines, LineEndsGoWithTheirLines) {
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"[S]\r\nk=1\r\nj=2\r\n", "[S]\r\nj=2\r\n"},
        {"[S]\rk=1\rj=2\r", "[S]\rj=2\r"},
        {"[S]\r\nk=1\r\n\n\nj=2", "[S]\r\nj=2"},
        {"[S]\r\nj=2\r\nk=1", "[S]\r\nj=2\r\n"},
        {"[S]\nk=1\r\nj=2", "[S]\nk=1\r\nj=2"},  // "[S]\nk=1" is one line, no header
        {"[S]\rk=1\rk=1\r\n\nj=2", "[S]\rk=1\r\n\nj=2"},  // the first of two like lines
    };
    for (const auto& c : cases) {
        TIniLineEditor editor(c.input, AllIniOptions());
        editor.DeleteKey("S", "k");
        EXPECT_EQ(editor.Text(), c.expected) << c.input;
    }
}

TEST(IniLines, FilesThatAreNeverWrittenBack) {
    const struct {
        std::string bytes;
        bool rewritable;
    } cases[] = {
        {"[S]\r\nk=1\r\n", true},
        {"\xEF\xBB\xBF[S]\r\nk=1\r\n", true},
        {"", true},
        {std::string("\xFF\xFE[\0S\0]\0", 8), false},
        {"\xFE\xFF", false},
        {std::string("[S]\r\nk=1\r\n\0\0\0\0", 14), false},
        {std::string("\0", 1), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsRewritableIniText(c.bytes), c.rewritable) << c.bytes;
}

}  // namespace
