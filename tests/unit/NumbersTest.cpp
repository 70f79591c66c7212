// The standard string-to-integer conversion used for numbers read from the log.
#include "core/sysutilNumbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

constexpr std::int32_t kBad = -12345;

std::int32_t Convert(const std::string& text) { return StrToIntDef(text, kBad); }

TEST(StrToIntTest, Decimal) {
    EXPECT_EQ(Convert("14"), 14);
    EXPECT_EQ(Convert("0"), 0);
    EXPECT_EQ(Convert("-0"), 0);
    EXPECT_EQ(Convert("+7"), 7);
    EXPECT_EQ(Convert("-7"), -7);
    EXPECT_EQ(Convert("007"), 7);
    EXPECT_EQ(Convert("2147483647"), INT_MAX);
    EXPECT_EQ(Convert("-2147483648"), INT_MIN);
    EXPECT_EQ(Convert("00000000000000000000042"), 42);
}

TEST(StrToIntTest, DecimalOutOfRangeIsInvalid) {
    EXPECT_EQ(Convert("2147483648"), kBad);
    EXPECT_EQ(Convert("-2147483649"), kBad);
    EXPECT_EQ(Convert("4294967295"), kBad);
    EXPECT_EQ(Convert("99999999999999999999999"), kBad);
}

TEST(StrToIntTest, Hexadecimal) {
    EXPECT_EQ(Convert("$E"), 14);
    EXPECT_EQ(Convert("$e"), 14);
    EXPECT_EQ(Convert("$00FFFFFF"), 16777215);
    EXPECT_EQ(Convert("$7FFFFFFF"), INT_MAX);
    EXPECT_EQ(Convert("$80000000"), INT_MIN);
    EXPECT_EQ(Convert("$FFFFFFFF"), -1);
    EXPECT_EQ(Convert("$0000000001"), 1);
    EXPECT_EQ(Convert("-$1F"), -31);
    EXPECT_EQ(Convert("+$1F"), 31);
    EXPECT_EQ(Convert("-$FFFFFFFF"), 1);
    EXPECT_EQ(Convert("  $10"), 16);
}

TEST(StrToIntTest, HexadecimalBeyondEightDigitsIsInvalid) {
    EXPECT_EQ(Convert("$100000000"), kBad);
    EXPECT_EQ(Convert("$FFFFFFFFF"), kBad);
}

TEST(StrToIntTest, LeadingSpacesOnly) {
    EXPECT_EQ(Convert(" 14"), 14);
    EXPECT_EQ(Convert("   -3"), -3);
    EXPECT_EQ(Convert("14 "), kBad);
    EXPECT_EQ(Convert("\t14"), kBad);
    EXPECT_EQ(Convert("- 3"), kBad);
    EXPECT_EQ(Convert("$ 3"), kBad);
}

TEST(StrToIntTest, MalformedTextIsInvalid) {
    EXPECT_EQ(Convert(""), kBad);
    EXPECT_EQ(Convert("   "), kBad);
    EXPECT_EQ(Convert("-"), kBad);
    EXPECT_EQ(Convert("+"), kBad);
    EXPECT_EQ(Convert("$"), kBad);
    EXPECT_EQ(Convert("-$"), kBad);
    EXPECT_EQ(Convert("$-1"), kBad);
    EXPECT_EQ(Convert("--1"), kBad);
    EXPECT_EQ(Convert("14pt"), kBad);
    EXPECT_EQ(Convert("1E"), kBad);
    EXPECT_EQ(Convert("0x1F"), kBad);
    EXPECT_EQ(Convert("$1G"), kBad);
    EXPECT_EQ(Convert(std::string("1\0" "2", 3)), kBad);
}

TEST(StrToIntTest, TryLeavesTheResultAloneOnFailure) {
    std::int32_t value = 99;
    EXPECT_FALSE(TryStrToInt("x", value));
    EXPECT_EQ(value, 99);
    EXPECT_TRUE(TryStrToInt("-5", value));
    EXPECT_EQ(value, -5);
}

TEST(ToIntegerOrZeroTest, ZeroWhenTheTextDoesNotConvert) {
    EXPECT_EQ(ToIntegerOrZero("14"), 14);
    EXPECT_EQ(ToIntegerOrZero(" 14"), 14);
    EXPECT_EQ(ToIntegerOrZero("$E"), 14);
    EXPECT_EQ(ToIntegerOrZero("16777215"), 16777215);
    EXPECT_EQ(ToIntegerOrZero("14pt"), 0);
    EXPECT_EQ(ToIntegerOrZero(""), 0);
}

}  // namespace
