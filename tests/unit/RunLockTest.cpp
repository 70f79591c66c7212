// The names through which two starts on one log find each other.
#include <gtest/gtest.h>

#include <string>

#include "core/UnVrelRunLock.h"
#include "core/epSha256.h"

TEST(Sha256Hex, MatchesTheStandardTestVectors) {
    const struct {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        // Bytes above 127 are data like any other.
        {std::string("\xE8\xFF\x80", 3),
         "8abf8564edcea94f1fce3d9a1addbaf34da18be236467f56e9edc4c9c73efab8"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Hex(c.input), c.digest) << c.input.size();
}

TEST(RunLockName, OneNameForEveryLetterCaseOfOnePath) {
    const std::string name = RunLockName("C:\\Program Files\\App\\uninst.log");
    EXPECT_EQ(name, RunLockName("c:\\PROGRAM FILES\\app\\UNINST.LOG"));
    EXPECT_NE(name, RunLockName("C:\\Program Files\\App\\uninst2.log"));
    EXPECT_NE(name, RunOwnerName("C:\\Program Files\\App\\uninst.log"));
}

TEST(RunLockName, EveryPathGivesANameOfFixedForm) {
    const std::string prefixes[] = {"Local\\TamskUninstaller.Run.",
                                    "Local\\TamskUninstaller.Owner."};
    const std::string paths[] = {"", "C:\\a.log", std::string(5000, '\\'),
                                 "\\\\server\\share\\with:colon*and?\"quote\".log",
                                 std::string("C:\\perch\xE9\\\x01.log")};
    for (const std::string& path : paths) {
        const std::string names[] = {RunLockName(path), RunOwnerName(path)};
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(names[i].compare(0, prefixes[i].size(), prefixes[i]), 0) << names[i];
            const std::string digits = names[i].substr(prefixes[i].size());
            EXPECT_EQ(digits.size(), 64u);
            EXPECT_EQ(digits.find_first_not_of("0123456789abcdef"), std::string::npos) << digits;
        }
    }
}
