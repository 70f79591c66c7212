// Encodings: of the log's names, of another program's INI file (with the
// UTF-16 LE <-> UTF-8 round trip), and the long form of full paths.
#include "core/epNameEncoding.h"
#include "core/epTextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(NameEncodingOfLog, OnlyTheUtf8MarkMakesAUtf8Log) {
    const struct {
        std::string start;
        TNameEncoding encoding;
    } cases[] = {
        {"\xEF\xBB\xBF[Strings]", TNameEncoding::Utf8},
        {"\xEF\xBB\xBF", TNameEncoding::Utf8},
        {"[Strings]", TNameEncoding::Ansi},
        {"", TNameEncoding::Ansi},
        {"\xEF\xBB", TNameEncoding::Ansi},
        {"\xFF\xFE[\0"s, TNameEncoding::Ansi},
        {"[CopyFiles]\r\nCitt\xC3\xA0.txt", TNameEncoding::Ansi},
    };
    for (const auto& c : cases) EXPECT_EQ(NameEncodingOfLog(c.start), c.encoding) << c.start;
}

TEST(DetectTextEncoding, TellsEachEncodingByItsBytes) {
    const struct {
        std::string bytes;
        TTextEncoding encoding;
    } cases[] = {
        {"", TTextEncoding::Ansi},
        {"[S]\r\nKey=Value\r\n", TTextEncoding::Ansi},
        {"[S]\r\nCitt\xE0=1\r\n", TTextEncoding::Ansi},          // code page 1252
        {"[S]\r\nCitt\xC3\xA0=1\r\n", TTextEncoding::Utf8},      // no mark, UTF-8 beyond ASCII
        {"\xEF\xBB\xBF[S]\r\nK=V\r\n", TTextEncoding::Utf8},     // the mark alone decides
        {"\xEF\xBB\xBF[S]\r\nCitt\xE0=1", TTextEncoding::Unknown},  // mark, then no UTF-8
        {"\xFF\xFE[\0S\0]\0"s, TTextEncoding::Utf16Le},
        {"\xFF\xFE[\0S\0"s "\x3D\xD8\x00\xDE"s, TTextEncoding::Utf16Le},  // a surrogate pair
        {"\xFF\xFE[\0S"s, TTextEncoding::Unknown},               // half a character
        {"\xFF\xFE\x00\xDE"s, TTextEncoding::Unknown},           // a lone low surrogate
        {"\xFF\xFE\x3D\xD8"s, TTextEncoding::Unknown},           // a lone high surrogate
        {"\xFF\xFE[\0\0\0"s, TTextEncoding::Unknown},            // a NUL character
        {"\xFE\xFF\0[\0S"s, TTextEncoding::Unknown},             // UTF-16 BE
        {"[S]\r\nK=\0V"s, TTextEncoding::Unknown},               // a NUL byte
        {"K=\xC0\xAF", TTextEncoding::Ansi},                     // overlong: not UTF-8
        {"K=\xED\xA0\x80", TTextEncoding::Ansi},                 // an encoded surrogate
        {"K=\xF4\x90\x80\x80", TTextEncoding::Ansi},             // past U+10FFFF
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DetectTextEncoding(c.bytes), c.encoding) << ::testing::PrintToString(c.bytes);
    }
}

TEST(Utf16Le, RoundTripsEveryCharacterAndTheMark) {
    const struct {
        std::string utf16;
        std::string utf8;
    } cases[] = {
        {"", ""},
        {"\xFF\xFE"s, "\xEF\xBB\xBF"},
        {"K\0=\0\r\0\n\0"s, "K=\r\n"},
        {"\xE0\0"s, "\xC3\xA0"},                            // à
        {"\xA9\x03"s, "\xCE\xA9"},                          // Ω
        {"\x2D\x4E\x87\x65"s, "\xE4\xB8\xAD\xE6\x96\x87"},  // 中文
        {"\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},          // an emoji, outside the BMP
    };
    for (const auto& c : cases) {
        const auto utf8 = Utf16LeToUtf8(c.utf16);
        ASSERT_TRUE(utf8.has_value()) << ::testing::PrintToString(c.utf16);
        EXPECT_EQ(*utf8, c.utf8);
        EXPECT_EQ(Utf8ToUtf16Le(c.utf8), c.utf16) << ::testing::PrintToString(c.utf8);
    }
    EXPECT_FALSE(Utf16LeToUtf8("K\0="s).has_value());
    EXPECT_FALSE(Utf16LeToUtf8("\x00\xDC"s).has_value());
}

TEST(IsRootedPath, DrivesSharesAndDevicesOnly) {
    const struct {
        const wchar_t* path;
        bool rooted;
    } cases[] = {
        {L"C:\\App\\a.txt", true}, {L"c:/App", true},          {L"\\\\srv\\share\\a", true},
        {L"\\\\?\\C:\\a", true},   {L"//srv/share", true},      {L"C:a.txt", false},
        {L"a.txt", false},         {L"\\App\\a.txt", false},    {L"..\\a", false},
        {L"", false},              {L"C:", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsRootedPath(c.path), c.rooted) << c.path;
}

// The form a full path reaches the system in, and that form read back as
// written: only long paths without a device prefix are prefixed, and only
// what LongPathForm adds comes off again; device names it never makes stay.
TEST(LongPathForm, PrefixesOnlyLongPathsAndPlainPathFormUndoesOnlyThat) {
    const std::wstring deep = L"\\" + std::wstring(300, L'd');
    const std::wstring edge(kLongPathLength - 4, L'e');  // "C:\" + edge: one short of long
    const struct {
        std::wstring full;
        std::wstring form;   // LongPathForm(full)
        std::wstring plain;  // PlainPathForm(form)
    } cases[] = {
        {L"C:\\App\\a.txt", L"C:\\App\\a.txt", L"C:\\App\\a.txt"},
        {L"C:\\" + edge, L"C:\\" + edge, L"C:\\" + edge},
        {L"C:\\" + edge + L"e", L"\\\\?\\C:\\" + edge + L"e", L"C:\\" + edge + L"e"},
        {L"C:" + deep, L"\\\\?\\C:" + deep, L"C:" + deep},
        {L"\\\\srv\\share" + deep, L"\\\\?\\UNC\\srv\\share" + deep, L"\\\\srv\\share" + deep},
        {L"\\\\?\\C:" + deep, L"\\\\?\\C:" + deep, L"C:" + deep},
        {L"\\\\?\\UNC\\srv\\share" + deep, L"\\\\?\\UNC\\srv\\share" + deep,
         L"\\\\srv\\share" + deep},
        {L"\\\\.\\C:" + deep, L"\\\\.\\C:" + deep, L"\\\\.\\C:" + deep},
        {L"\\??\\C:" + deep, L"\\??\\C:" + deep, L"\\??\\C:" + deep},
        {L"\\\\?\\Volume{1234}\\a", L"\\\\?\\Volume{1234}\\a", L"\\\\?\\Volume{1234}\\a"},
        {L"\\\\?\\C:", L"\\\\?\\C:", L"\\\\?\\C:"},
        {L"\\\\srv\\share", L"\\\\srv\\share", L"\\\\srv\\share"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LongPathForm(c.full), c.form) << c.full.size();
        EXPECT_EQ(PlainPathForm(c.form), c.plain) << c.form.size();
    }
}

}  // namespace
