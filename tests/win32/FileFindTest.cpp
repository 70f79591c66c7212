// Directory walking against Wine's real file system: filters, the full path,
// the DOS time stamp, and the end codes.
#include "win/epFileFind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace {

using Names = std::vector<std::string>;

class FileFind : public TempDirTest {
protected:
    void MakeDir(const std::string& name) const {
        ASSERT_TRUE(CreateDirectoryA(PathOf(name).c_str(), nullptr));
    }

    // FullName of every match, sorted; end receives the code that ended the search.
    static Names Collect(const std::string& mask, DWORD include, DWORD exclude, DWORD& end) {
        Names found;
        TSearchRecEx rec;
        for (end = SearchFirst(mask, include, exclude, rec); end == 0; end = SearchNext(rec)) {
            found.push_back(rec.FullName);
        }
        SearchClose(rec);
        std::sort(found.begin(), found.end());
        return found;
    }
};

TEST_F(FileFind, FilesOnlyFilterPassesOverMatchingDirectoriesAndDots) {
    const std::string a = Write("a.dll");
    const std::string b = Write("b.DLL");
    Write("readme.txt");
    MakeDir("Plugins.dll");
    Write("Plugins.dll\\c.dll");
    DWORD end = 0;
    EXPECT_EQ(Collect(PathOf("*.dll"), 0, kNonFileAttributes, end), (Names{a, b}));
    EXPECT_EQ(end, static_cast<DWORD>(ERROR_NO_MORE_FILES));

    // Without any filter the directory shows, but "." and ".." never do.
    const Names all = Collect(PathOf("*"), 0, 0, end);
    EXPECT_EQ(all, (Names{PathOf("Plugins.dll"), a, b, PathOf("readme.txt")}));
    const Names everything = Collect(PathOf("*"), kAnyAttribute, 0, end);
    EXPECT_EQ(everything, all);

    // A mask spelled with "/" names its matches in its own folder, not in the one above.
    EXPECT_EQ(Collect(PathOf("Plugins.dll/*.dll"), 0, kNonFileAttributes, end),
              Names{PathOf("Plugins.dll/c.dll")});
}

TEST_F(FileFind, IncludeNeedsOneSharedAttributeAndExcludeNone) {
    const std::string locked = Write("locked.txt");
    const std::string hidden = Write("hidden.txt");
    Write("plain.txt");
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    DWORD end = 0;
    EXPECT_EQ(Collect(PathOf("*.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 0, end),
              (Names{hidden, locked}));
    EXPECT_EQ(Collect(PathOf("*.txt"), FILE_ATTRIBUTE_READONLY, 0, end), Names{locked});
    EXPECT_EQ(Collect(PathOf("*.txt"), 0, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, end),
              Names{PathOf("plain.txt")});
}

TEST_F(FileFind, RecordHoldsSizeAttributesNameAndLocalDosTime) {
    const std::string path = Write("data.bin", std::string(1234, 'z'));
    // 2021-03-04 05:06:08 local time, an even second as DOS times need.
    SYSTEMTIME local{};
    local.wYear = 2021;
    local.wMonth = 3;
    local.wDay = 4;
    local.wHour = 5;
    local.wMinute = 6;
    local.wSecond = 8;
    FILETIME localTime{};
    FILETIME utc{};
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    {
        UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
        ASSERT_TRUE(file);
        ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &utc));
    }
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const DWORD attributes = GetFileAttributesA(path.c_str());  // Wine adds the archive bit

    TSearchRecEx rec;
    ASSERT_EQ(SearchFirst(path, 0, kNonFileAttributes, rec), 0u);
    EXPECT_EQ(rec.Name, "data.bin");
    EXPECT_EQ(rec.Path, dir_ + "\\");
    EXPECT_EQ(rec.FullName, path);
    EXPECT_EQ(rec.Size, 1234u);
    EXPECT_EQ(rec.Attr, attributes);
    EXPECT_NE(rec.Attr & FILE_ATTRIBUTE_READONLY, 0u);
    const DWORD date = ((2021 - 1980) << 9) | (3 << 5) | 4;
    const DWORD time = (5 << 11) | (6 << 5) | (8 / 2);
    EXPECT_EQ(rec.Time, (date << 16) | time);
    EXPECT_EQ(rec.IncludeAttr, kAnyAttribute);
    EXPECT_EQ(rec.ExcludeAttr, kNonFileAttributes);
    // A mask naming one file exactly gives it once.
    EXPECT_EQ(SearchNext(rec), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    SearchClose(rec);
    EXPECT_FALSE(rec.FindHandle);
}

TEST_F(FileFind, MaskWithoutDirectoryIsRelativeToTheCurrentDirectory) {
    Write("one.tmp");
    char saved[MAX_PATH + 1] = {};
    ASSERT_NE(GetCurrentDirectoryA(sizeof saved, saved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
    DWORD end = 0;
    const Names found = Collect("*.tmp", 0, kNonFileAttributes, end);
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(found, Names{"one.tmp"});

    // A drive-relative mask keeps its "C:" as the directory part.
    TSearchRecEx rec;
    EXPECT_NE(SearchFirst("C:no-such-file.tamsk", 0, 0, rec), 0u);
    EXPECT_EQ(rec.Path, "C:");
}

TEST_F(FileFind, FailuresReturnTheSystemCodeAndLeaveNoSearchOpen) {
    MakeDir("only.dir");
    TSearchRecEx rec;
    EXPECT_EQ(SearchFirst(PathOf("missing\\*.dll"), 0, 0, rec),
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(rec.FindHandle);
    EXPECT_EQ(SearchFirst(PathOf("*.exe"), 0, 0, rec), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(rec.FindHandle);
    // Only an excluded entry matches: the search runs out instead.
    EXPECT_EQ(SearchFirst(PathOf("only.*"), 0, kNonFileAttributes, rec),
              static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_FALSE(rec.FindHandle);
    SearchClose(rec);  // harmless on a closed record
    EXPECT_NE(SearchNext(rec), 0u);
}

TEST_F(FileFind, AWholeDirectorySearchTellsAnEmptyDirectoryFromAMissingOne) {
    MakeDir("empty");
    MakeDir("full");
    Write("full\\a.txt");
    const struct {
        const char* mask;
        bool read;
    } cases[] = {
        {"empty\\*", true},
        {"full\\*", true},
        {"missing\\*", false},
        {"full\\a.txt\\*", false},
    };
    for (const auto& c : cases) {
        TSearchRecEx rec;
        EXPECT_EQ(IsDirectoryRead(SearchFirst(PathOf(c.mask), kAnyAttribute, 0, rec)), c.read)
            << c.mask;
    }
}

TEST_F(FileFind, DeletingTheCurrentMatchDoesNotDisturbTheSearch) {
    for (int i = 0; i < 20; ++i) Write("f" + std::to_string(i) + ".dat");
    int seen = 0;
    TSearchRecEx rec;
    for (DWORD r = SearchFirst(PathOf("*.dat"), 0, kNonFileAttributes, rec); r == 0;
         r = SearchNext(rec)) {
        EXPECT_TRUE(DeleteFileA(rec.FullName.c_str())) << rec.FullName;
        ++seen;
    }
    SearchClose(rec);
    EXPECT_EQ(seen, 20);
    DWORD end = 0;
    EXPECT_TRUE(Collect(PathOf("*"), 0, 0, end).empty());
}

TEST_F(FileFind, ANewSearchClosesTheOneTheRecordHolds) {
    Write("a.txt");
    Write("b.txt");
    TSearchRecEx rec;
    ASSERT_EQ(SearchFirst(PathOf("*.txt"), 0, 0, rec), 0u);
    ASSERT_EQ(SearchFirst(PathOf("a.txt"), 0, 0, rec), 0u);
    EXPECT_EQ(rec.Name, "a.txt");
    EXPECT_EQ(SearchNext(rec), static_cast<DWORD>(ERROR_NO_MORE_FILES));
}

}  // namespace
