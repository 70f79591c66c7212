// File and path primitives of epFileUtils against Wine's real file system.
#include "win/epFileUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestFiles.h"
#include "win/handles.h"

namespace {

using Lines = std::vector<std::string>;

class FileUtilsTest : public TempDirTest {
protected:
    // The whole file as ReadRestOfFile reads it from the start.
    static std::string ReadRest(const std::string& path) {
        UniqueFile file(OpenFileHandle(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL));
        return ReadRestOfFile(file.get());
    }

    // The lines as the INI loader's reading loop sees them.
    static Lines ReadLinesByLoop(const std::string& path) {
        HANDLE file = OpenFileHandle(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL);
        EXPECT_TRUE(IsOpenHandle(file));
        Lines lines;
        while (!AtEndOfFile(file) && lines.size() < 10000) lines.push_back(ReadTextLine(file));
        CloseFileHandle(file);
        EXPECT_EQ(file, nullptr);
        return lines;
    }
};

TEST_F(FileUtilsTest, ReadTextLineSplitsAtCrAndDropsLf) {
    const std::string path = Write("crlf.txt", "ab\r\ncd");
    HANDLE file = OpenFileHandle(path, GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(IsOpenHandle(file));
    EXPECT_EQ(ReadTextLine(file), "ab");
    EXPECT_FALSE(AtEndOfFile(file));
    EXPECT_EQ(ReadTextLine(file), "cd");
    EXPECT_TRUE(AtEndOfFile(file));
    EXPECT_EQ(ReadTextLine(file), "");
    EXPECT_TRUE(AtEndOfFile(file));
    CloseFileHandle(file);

    EXPECT_EQ(ReadLinesByLoop(Write("lf.txt", "one\ntwo\nthree\n")), Lines{"onetwothree"});
    const std::string longLine(250, 'x');
    EXPECT_EQ(ReadLinesByLoop(Write("long.txt", longLine + "\r\nz")), (Lines{longLine, "z"}));
}

TEST_F(FileUtilsTest, SplitTextLinesAgreesWithTheReadingLoop) {
    std::vector<std::string> cases = {
        "", "\r", "\n", "\r\n", "\n\r", "ab\r\n", "ab\r", "a\rb\rc", "\r\r\n\n\r", "a\n\rb",
        std::string(99, 'x') + "\r\nyy",   // CR is byte 100, LF opens the next chunk
        std::string(100, 'x') + "\r\nyy",  // CR opens the second chunk
        std::string(101, 'x') + "\r\nyy",
        std::string(98, 'x') + "\r\n\r\n",
        std::string(99, 'x') + "\n\r" + std::string(150, 'y'),
        std::string(200, 'x') + "\r",
        std::string(300, '\n'),
    };
    // Deterministic noise over the three interesting bytes.
    unsigned seed = 12345;
    for (int n = 0; n < 20; ++n) {
        std::string bytes;
        const size_t length = 50 + static_cast<size_t>(n) * 17;
        for (size_t i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            bytes.push_back("ab\r\n"[(seed >> 16) % 4]);
        }
        cases.push_back(bytes);
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const std::string path = Write("case" + std::to_string(i) + ".txt", cases[i]);
        EXPECT_EQ(SplitTextLines(cases[i]), ReadLinesByLoop(path));
        EXPECT_EQ(ReadRest(path), cases[i]);
    }
}

TEST_F(FileUtilsTest, ReadErrorEndsTheReadingLoop) {
    const std::string path = Write("writeonly.txt", "ab\r\ncd\r\n");
    HANDLE file = OpenFileHandle(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(IsOpenHandle(file));
    EXPECT_FALSE(AtEndOfFile(file));
    EXPECT_EQ(ReadTextLine(file), "");
    EXPECT_TRUE(AtEndOfFile(file));
    CloseFileHandle(file);
}

TEST_F(FileUtilsTest, FailedOpenIsNotAnOpenHandle) {
    HANDLE file = OpenFileHandle(PathOf("missing.txt"), GENERIC_READ, 0, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(IsOpenHandle(file));
    CloseFileHandle(file);
    EXPECT_EQ(file, nullptr);
    EXPECT_TRUE(AtEndOfFile(file));
    EXPECT_EQ(ReadTextLine(file), "");
}

TEST_F(FileUtilsTest, WriteTextLineEndsEachLineWithCrLf) {
    const std::string path = PathOf("out.txt");
    HANDLE file = OpenFileHandle(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(IsOpenHandle(file));
    WriteTextLine(file, "[Rename]");
    WriteTextLine(file, "");
    WriteTextLine(file, std::string(300, 'k'));
    CloseFileHandle(file);
    EXPECT_EQ(ReadRest(path), "[Rename]\r\n\r\n" + std::string(300, 'k') + "\r\n");
}

TEST_F(FileUtilsTest, IsExistingDirectoryOnlyForDirectories) {
    EXPECT_TRUE(IsExistingDirectory(dir_));
    EXPECT_FALSE(IsExistingDirectory(Write("file.txt", "x")));
    EXPECT_FALSE(IsExistingDirectory(PathOf("missing")));
    EXPECT_FALSE(IsExistingDirectory(""));
}

TEST_F(FileUtilsTest, CreateDirectoryPathCreatesMissingParents) {
    const std::string nested = PathOf("a\\b\\c");
    CreateDirectoryPath(nested + "\\");
    EXPECT_TRUE(IsExistingDirectory(nested));

    // An existing directory is left as it is, with its contents.
    const std::string kept = Write("a\\b\\c\\keep.txt", "x");
    CreateDirectoryPath(nested);
    EXPECT_EQ(ReadRest(kept), "x");

    // Roots and odd input do nothing and must come back.
    for (const char* odd : {"", "C:\\", "C:", "\\", "\\\\", "\\\\\\\\", "::::",
                            "C:\\\\\\", ":\\:\\"}) {
        CreateDirectoryPath(odd);
    }
}

TEST_F(FileUtilsTest, GetShortPathFallsBackToThePath) {
    const std::string missing = PathOf("no such file.txt");
    EXPECT_EQ(GetShortPath(missing), missing);

    const std::string existing = Write("a rather long file name.text", "x");
    const std::string shortPath = GetShortPath(existing);
    ASSERT_FALSE(shortPath.empty());
    EXPECT_EQ(shortPath.find('\0'), std::string::npos);
    EXPECT_NE(GetFileAttributesA(shortPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(GetWindowsDir, MatchesTheSystemWithoutTrailingBackslash) {
    char expected[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryA(expected, sizeof expected);
    ASSERT_GT(length, 0u);
    const std::string dir = GetWindowsDir();
    EXPECT_EQ(dir, std::string(expected, length));
    EXPECT_NE(dir.back(), '\\');
}

TEST(RemoveBackslashAnsi, UsesTheCodePage) {
    EXPECT_EQ(RemoveBackslash("C:\\Dir\\"), "C:\\Dir");
    EXPECT_EQ(RemoveBackslash("C:\\"), "C:\\");
}

}  // namespace
