// ASCII letter case: the letters fold, every other byte stays exactly itself.
#include "core/epAsciiCase.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AsciiCase, OnlyTheLettersFold) {
    const struct {
        std::string a;
        std::string b;
        bool same;
    } cases[] = {
        {"DllUnregisterServer", "DLLUNREGISTERSERVER", true},
        {".Exe", ".eXE", true},
        {"", "", true},
        // Neighbours that differ from a letter pair by the same 32.
        {"@", "`", false},
        {"[", "{", false},
        {"^", "~", false},
        {"_", "\x7f", false},
        // Bytes from 0x80 up: no code page folds them here.
        {"\xe4", "\xc4", false},
        {"\xe9t\xe9", "\xc9T\xc9", false},
        {"\xe4x", "\xe4X", true},
        {"ab", "abc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameTextAscii(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameTextAscii(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

TEST(AsciiCase, UpperCasingKeepsEveryOtherByte) {
    EXPECT_EQ(UpperAscii("admin$"), "ADMIN$");
    EXPECT_EQ(UpperAscii("`az{"), "`AZ{");
    EXPECT_EQ(UpperAscii("\xe4\xfe\xff"), "\xe4\xfe\xff");
    EXPECT_EQ(UpperAscii(std::string("a\0b", 3)), std::string("A\0B", 3));
    EXPECT_TRUE(IsAsciiLetter('a') && IsAsciiLetter('Z'));
    EXPECT_FALSE(IsAsciiLetter('@') || IsAsciiLetter('[') || IsAsciiLetter('`') ||
                 IsAsciiLetter('{') || IsAsciiLetter('\xe4'));
}

TEST(AsciiCase, StartsWithNeedsTheWholeHead) {
    EXPECT_TRUE(StartsWithAscii("unc\\server", "UNC\\"));
    EXPECT_TRUE(StartsWithAscii("UnVrel-0123", "unvrel-"));
    EXPECT_TRUE(StartsWithAscii("anything", ""));
    EXPECT_FALSE(StartsWithAscii("UN", "UNC\\"));
    EXPECT_FALSE(StartsWithAscii("\xe4nc", "\xc4NC"));
}

}  // namespace
