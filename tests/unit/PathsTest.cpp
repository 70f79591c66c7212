// Path helpers and the text-line splitter of epFileUtils.
#include "core/epFileUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

bool NoLeadBytes(unsigned char) { return false; }
// Lead bytes as in the double-byte Japanese code page.
bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

TEST(AddBackslash, AppendsOnlyWhenMissing) {
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("C:"), "C:\\");
    EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
    EXPECT_EQ(AddBackslash("C:\\Dir"), "C:\\Dir\\");
    // Looks at the last byte only, even when it is a trail byte.
    EXPECT_EQ(AddBackslash("\x81\\"), "\x81\\");
}

TEST(RemoveBackslash, KeepsRootsAndSingleBackslash) {
    EXPECT_EQ(RemoveBackslash("", NoLeadBytes), "");
    EXPECT_EQ(RemoveBackslash("\\", NoLeadBytes), "\\");
    EXPECT_EQ(RemoveBackslash("C:\\", NoLeadBytes), "C:\\");
    EXPECT_EQ(RemoveBackslash("z:\\", NoLeadBytes), "z:\\");
    EXPECT_EQ(RemoveBackslash("C:\\Dir\\", NoLeadBytes), "C:\\Dir");
    EXPECT_EQ(RemoveBackslash("C:\\Dir", NoLeadBytes), "C:\\Dir");
    EXPECT_EQ(RemoveBackslash("\\\\", NoLeadBytes), "\\");
    // Not a drive letter, or not three characters: the backslash goes.
    EXPECT_EQ(RemoveBackslash("1:\\", NoLeadBytes), "1:");
    EXPECT_EQ(RemoveBackslash("CC:\\", NoLeadBytes), "CC:");
    EXPECT_EQ(RemoveBackslash("C:\\\\", NoLeadBytes), "C:\\");
}

TEST(RemoveBackslash, NeverTakesATrailByteForABackslash) {
    EXPECT_EQ(RemoveBackslash("\x81\\", ShiftJisLead), "\x81\\");
    EXPECT_EQ(RemoveBackslash("a\\\x95\\", ShiftJisLead), "a\\\x95\\");
    EXPECT_EQ(RemoveBackslash("\x95\\\\", ShiftJisLead), "\x95\\");
    // Walking from the start matters: here 0x81 is itself a trail byte.
    EXPECT_EQ(RemoveBackslash("\x81\x81\\", ShiftJisLead), "\x81\x81");
    // The same bytes without lead bytes are plain backslashes.
    EXPECT_EQ(RemoveBackslash("\x81\\", NoLeadBytes), "\x81");
    // A truncated double-byte character at the end is left alone.
    EXPECT_EQ(RemoveBackslash("ab\x81", ShiftJisLead), "ab\x81");
    EXPECT_FALSE(HasTrailingBackslash("\x81\\", ShiftJisLead));
    EXPECT_TRUE(HasTrailingBackslash("\x81\\", nullptr));
}

TEST(ExtractFileParts, SplitAtLastBackslashOrColon) {
    EXPECT_EQ(ExtractFileDir("C:\\App\\Help.hlp"), "C:\\App\\");
    EXPECT_EQ(ExtractFileName("C:\\App\\Help.hlp"), "Help.hlp");
    EXPECT_EQ(ExtractFileExt("C:\\App\\Help.hlp"), ".hlp");
    EXPECT_EQ(ExtractFileDir("C:file.txt"), "C:");
    EXPECT_EQ(ExtractFileName("C:file.txt"), "file.txt");
    EXPECT_EQ(ExtractFileDir("file.txt"), "");
    EXPECT_EQ(ExtractFileName("C:\\App\\"), "");
    EXPECT_EQ(ExtractFileExt("archive.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("C:\\dir.d\\noext"), "");
    EXPECT_EQ(ExtractFileExt("name."), ".");
    EXPECT_EQ(ExtractFileExt(""), "");
}

// The system reads "/" as "\": a name must never run on into its folder's name,
// or a companion or an extension check would name a file the log does not.
TEST(ExtractFileParts, ASlashSeparatesAsABackslashDoes) {
    const struct {
        const char* path;
        const char* dir;
        const char* name;
        const char* ext;
    } cases[] = {
        {"C:\\Apps\\x/y.lnk", "C:\\Apps\\x/", "y.lnk", ".lnk"},
        {"C:\\Apps\\v1.0/app", "C:\\Apps\\v1.0/", "app", ""},
        {"C:/Apps/Guide.hlp", "C:/Apps/", "Guide.hlp", ".hlp"},
        {"C:\\Apps/", "C:\\Apps/", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    }
    EXPECT_EQ(ChangeFileExt("C:\\Apps\\v1.0/app", ".lnk"), "C:\\Apps\\v1.0/app.lnk");
}

TEST(DevicePrefix, ReadWithEitherSlash) {
    const struct {
        const char* path;
        const char* body;  // what WithoutDevicePrefix leaves
    } cases[] = {
        {"\\\\?\\C:\\x", "C:\\x"},
        {"\\\\.\\C:\\x", "C:\\x"},
        {"\\??\\C:\\x", "C:\\x"},
        {"//?/C:/x", "C:/x"},
        {"\\/.\\pipe", "pipe"},
        {"\\\\?\\", ""},
        // Not a prefix: a share, a "?" in a name, too short, a third kind of mark.
        {"\\\\server\\share", "\\\\server\\share"},
        {"\\?\\x", "\\?\\x"},
        {"\\\\?", "\\\\?"},
        {"\\\\*\\x", "\\\\*\\x"},
        {"\\.?\\x", "\\.?\\x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithoutDevicePrefix(c.path), c.body) << c.path;
        EXPECT_EQ(HasDevicePrefix(c.path), std::string(c.body) != c.path) << c.path;
    }
    EXPECT_EQ(ToBackslashes("C:/a\\b/"), "C:\\a\\b\\");
}

TEST(SplitTextLines, LineEndsFollowTheChunkedReader) {
    EXPECT_EQ(SplitTextLines(""), Lines{});
    EXPECT_EQ(SplitTextLines("ab\r\ncd"), (Lines{"ab", "cd"}));
    // The LF of a final CR LF forms an empty last line; a final CR does not.
    EXPECT_EQ(SplitTextLines("ab\r\n"), (Lines{"ab", ""}));
    EXPECT_EQ(SplitTextLines("ab\r"), (Lines{"ab"}));
    EXPECT_EQ(SplitTextLines("a\nb\nc\n"), (Lines{"abc"}));
    EXPECT_EQ(SplitTextLines("\r\r"), (Lines{"", ""}));
    EXPECT_EQ(SplitTextLines("\n"), (Lines{""}));
    EXPECT_EQ(SplitTextLines("a\n\rb"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitTextLines(std::string("a\0b\r", 4)), (Lines{std::string("a\0b", 3)}));
    const std::string longLine(250, 'x');
    EXPECT_EQ(SplitTextLines(longLine + "\r\n" + longLine), (Lines{longLine, longLine}));
}

TEST(SameFileName, LetterCaseAloneDoesNotMatter) {
    EXPECT_TRUE(SameFileName("Uninst.log", "UNINST.LOG"));
    EXPECT_TRUE(SameFileName("", ""));
    EXPECT_FALSE(SameFileName("uninst.log", "uninst.log."));
    EXPECT_FALSE(SameFileName("uninst.log", "uninst.lag"));
}

}  // namespace
