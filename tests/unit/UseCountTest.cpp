// Use counts of shared files stored in any type: what each one states, and
// the bytes written back in the same type.
#include "core/UnVrelUseCount.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

std::string B(const char* bytes, std::size_t size) { return std::string(bytes, size); }

TEST(UseCount, ReadsWhatEachTypeStates) {
    struct Case {
        std::uint32_t type;
        std::string data;
        std::optional<std::int32_t> count;
    };
    const Case cases[] = {
        {kRegDword, B("\x03\0\0\0", 4), 3},
        {kRegDword, B("\x03", 1), 3},
        {kRegDword, B("\xff\xff\xff\xff", 4), -1},
        {kRegDword, "", std::nullopt},
        {kRegDword, B("\x03\0\0\0\0", 5), std::nullopt},
        {kRegDwordBigEndian, B("\0\0\x01\x02", 4), 258},
        {kRegDwordBigEndian, B("\0\x03", 2), std::nullopt},
        {kRegQword, B("\x03\0\0\0\0\0\0\0", 8), 3},
        {kRegQword, B("\0\0\0\0\x01\0\0\0", 8), std::nullopt},
        {kRegQword, B("\x03\0\0\0", 4), std::nullopt},
        {kRegSz, B("3\0", 2), 3},
        {kRegSz, "3", 3},
        {kRegSz, B(" 12\t\0", 5), 12},
        {kRegSz, B("3\0junk", 6), 3},
        {kRegExpandSz, B("7\0", 2), 7},
        {kRegSz, "2147483647", 2147483647},
        {kRegSz, "2147483648", std::nullopt},
        {kRegSz, "99999999999", std::nullopt},
        {kRegSz, B("\0", 1), std::nullopt},
        {kRegSz, "many", std::nullopt},
        {kRegSz, "-1", std::nullopt},
        {kRegSz, "3 4", std::nullopt},
        {3 /* REG_BINARY */, B("\x03\0\0\0", 4), std::nullopt},
        {7 /* REG_MULTI_SZ */, B("3\0\0", 3), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadUseCount(c.type, c.data), c.count)
            << c.type << " " << testing::PrintToString(c.data);
}

TEST(UseCount, WritesBackInTheSameType) {
    EXPECT_EQ(UseCountData(kRegSz, 2), B("2\0", 2));
    EXPECT_EQ(UseCountData(kRegExpandSz, 10), B("10\0", 3));
    EXPECT_EQ(UseCountData(kRegDword, 2), B("\x02\0\0\0", 4));
    EXPECT_EQ(UseCountData(kRegDwordBigEndian, 2), B("\0\0\0\x02", 4));
    EXPECT_EQ(UseCountData(kRegQword, 2), B("\x02\0\0\0\0\0\0\0", 8));
    for (std::uint32_t type : {kRegSz, kRegExpandSz, kRegDword, kRegDwordBigEndian, kRegQword}) {
        for (std::int32_t count : {0, 1, 50, 2147483647})
            EXPECT_EQ(ReadUseCount(type, UseCountData(type, count)), count) << type << " " << count;
    }
}

}  // namespace
