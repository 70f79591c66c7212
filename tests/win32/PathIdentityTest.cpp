// One identity for every spelling of a path: full, long, one letter case.
#include "win/epPathIdentity.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TestFiles.h"
#include "core/epFileUtils.h"

namespace {

class PathIdentity : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        CreateDirectoryA(PathOf("Long Folder Name").c_str(), nullptr);
        file = Write("Long Folder Name\\installation-log.txt");
    }

    std::string ShortOf(const std::string& path) const {
        char buffer[MAX_PATH] = {};
        const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
        return std::string(buffer, n < MAX_PATH ? n : 0);
    }

    std::string file;
};

// A current directory that is put back when the test ends.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir) {
        GetCurrentDirectoryA(MAX_PATH, previous_);
        SetCurrentDirectoryA(dir.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryA(previous_); }

private:
    char previous_[MAX_PATH] = {};
};

}  // namespace

TEST_F(PathIdentity, EverySpellingOfAFileGivesOneIdentity) {
    const std::string shortForm = ShortOf(file);
    ASSERT_FALSE(shortForm.empty());
    ASSERT_NE(shortForm, file);
    const CurrentDirectory current(PathOf("Long Folder Name"));
    const std::string spellings[] = {
        file,
        shortForm,
        "installation-log.txt",
        "..\\LONG FOLDER NAME\\INSTALLATION-LOG.TXT",
        ".\\" + ExtractFileName(shortForm),
        PathOf("Long Folder Name\\.\\..\\Long Folder Name\\installation-log.txt"),
    };
    const std::string identity = GetPathIdentity(file);
    EXPECT_EQ(GetFullLongPath(shortForm), file);
    for (const std::string& spelling : spellings)
        EXPECT_EQ(GetPathIdentity(spelling), identity) << spelling;
    EXPECT_NE(GetPathIdentity(PathOf("Long Folder Name\\other.txt")), identity);
}

TEST_F(PathIdentity, MissingPathStaysInItsFullForm) {
    const CurrentDirectory current(dir_);
    EXPECT_EQ(GetFullLongPath("missing\\gone.txt"), PathOf("missing\\gone.txt"));
    EXPECT_EQ(GetFullLongPath(PathOf("NO~1\\X.TXT")), PathOf("NO~1\\X.TXT"));
}

// Two existing names are one file when the file system says so (a hard link
// too); a name that does not exist is compared by its full long spelling.
TEST_F(PathIdentity, SameFileByIdentityOrByFullPath) {
    const std::string link = PathOf("link.txt");
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), file.c_str(), nullptr));
    const std::string other = Write("other.txt");
    const std::string missing = PathOf("Long Folder Name\\missing.txt");
    const struct {
        std::string one, two;
        bool same;
    } cases[] = {
        {file, ShortOf(file), true},
        {file, link, true},
        {file, other, false},
        {missing, PathOf("LONG FOLDER NAME\\.\\MISSING.TXT"), true},
        {missing, file, false},
        {missing, PathOf("missing.txt"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSameFilePath(c.one, c.two), c.same) << c.one << " / " << c.two;
}
