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

// One file, one name in each namespace; another file or another volume, another name.
TEST(RunLockName, NamesTheLogsFileIdentityInTheGivenNamespace) {
    const TFileIdentity log{0x59000000u, 0xa74128u};
    const struct {
        std::string name;
        const char* expected;
    } cases[] = {
        {RunLockName("Local\\", log), "Local\\TamskUninstaller.Run.59000000-0000000000a74128"},
        {RunLockName("TamskUninstaller\\", log),
         "TamskUninstaller\\TamskUninstaller.Run.59000000-0000000000a74128"},
        {RunOwnerName("Local\\", log), "Local\\TamskUninstaller.Owner.59000000-0000000000a74128"},
        {RunLockName("Local\\", {0xFFFFFFFFu, 0xFFFFFFFFFFFFFFFFull}),
         "Local\\TamskUninstaller.Run.ffffffff-ffffffffffffffff"},
        {RunLockName("Local\\", {}), "Local\\TamskUninstaller.Run.00000000-0000000000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.name, c.expected);
    EXPECT_NE(RunLockName("Local\\", log), RunLockName("Local\\", {0x59000001u, 0xa74128u}));
    EXPECT_NE(RunLockName("Local\\", log), RunLockName("Local\\", {0x59000000u, 0xa74129u}));
}
