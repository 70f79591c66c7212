// The write-through file that keeps the run's journal, and whole-file reads,
// against Wine's real file system.
#include "win/epWriteThroughFile.h"

#include <gtest/gtest.h>

#include "TestFiles.h"

namespace {

using WriteThroughFileTest = TempDirTest;

TEST_F(WriteThroughFileTest, AppendsKeepWhatIsThereAndReplaceStartsAfresh) {
    const std::string path = Write("journal", "earlier\n");
    TWriteThroughFile file;
    ASSERT_TRUE(file.Open(path, false));
    ASSERT_TRUE(file.Append("one\n"));
    ASSERT_TRUE(file.Append("two \xE8\n"));
    // Others may read the file while it is open, as a second run would.
    EXPECT_EQ(ReadWholeFile(path, 100), std::optional<std::string>("earlier\none\ntwo \xE8\n"));
    file.Close();
    EXPECT_FALSE(file.Append("closed\n"));

    ASSERT_TRUE(file.Open(path, true));
    ASSERT_TRUE(file.Append("fresh\n"));
    file.Close();
    EXPECT_EQ(ReadBytes(path), std::optional<std::string>("fresh\n"));

    const std::string created = PathOf("new");
    ASSERT_TRUE(file.Open(created, false));
    file.Close();
    EXPECT_EQ(ReadWholeFile(created, 0), std::optional<std::string>(""));
}

TEST_F(WriteThroughFileTest, NothingOpensOrReadsWhereNoFileCanBe) {
    TWriteThroughFile file;
    EXPECT_FALSE(file.Open(PathOf("missing\\journal"), false));
    EXPECT_FALSE(file.Open(dir_, false));
    EXPECT_FALSE(file.Open(std::string("a\0b", 3), false));
    const std::string path = Write("log", "12345");
    EXPECT_EQ(ReadWholeFile(path, 5), std::optional<std::string>("12345"));
    EXPECT_FALSE(ReadWholeFile(path, 4));  // larger than allowed
    EXPECT_FALSE(ReadWholeFile(PathOf("missing"), 100));
    EXPECT_FALSE(ReadWholeFile(dir_, 100));
}

}  // namespace
