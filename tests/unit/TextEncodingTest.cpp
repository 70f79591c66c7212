// Telling an INI file's encoding, and the UTF-16 LE <-> UTF-8 round trip.
#include "core/epTextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

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
        {"\xE0\0"s, "\xC3\xA0"},                         // à
        {"\xA9\x03"s, "\xCE\xA9"},                       // Ω
        {"\x2D\x4E\x87\x65"s, "\xE4\xB8\xAD\xE6\x96\x87"},  // 中文
        {"\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},       // an emoji, outside the BMP
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

}  // namespace
