// The log's name encoding and the long form of full paths.
#include "core/epNameEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NameEncodingOfLog, OnlyTheUtf8MarkMakesAUtf8Log) {
    const struct {
        std::string start;
        TNameEncoding encoding;
    } cases[] = {
        {"\xEF\xBB\xBF[Strings]", TNameEncoding::Utf8},
        {"\xEF\xBB\xBF", TNameEncoding::Utf8},
        {"[Strings]", TNameEncoding::Ansi},
        {"", TNameEncoding::Ansi},
        {"\xEF\xBB", TNameEncoding::Ansi},
        {"\xFF\xFE[\0", TNameEncoding::Ansi},
        {"[CopyFiles]\r\nCitt\xC3\xA0.txt", TNameEncoding::Ansi},
    };
    for (const auto& c : cases) EXPECT_EQ(NameEncodingOfLog(c.start), c.encoding) << c.start;
}

TEST(IsRootedPath, DrivesSharesAndDevicesOnly) {
    const struct {
        const wchar_t* path;
        bool rooted;
    } cases[] = {
        {L"C:\\App\\a.txt", true}, {L"c:/App", true},          {L"\\\\srv\\share\\a", true},
        {L"\\\\?\\C:\\a", true},   {L"//srv/share", true},      {L"C:a.txt", false},
        {L"a.txt", false},         {L"\\App\\a.txt", false},    {L"..\\a", false},
        {L"", false},              {L"C:", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsRootedPath(c.path), c.rooted) << c.path;
}

TEST(LongPathForm, PrefixesOnlyLongPathsWithoutADevicePrefix) {
    const std::wstring deep = L"\\" + std::wstring(300, L'd');
    const std::wstring edge(kLongPathLength - 4, L'e');  // "C:\" + edge: one short of long
    const struct {
        std::wstring full;
        std::wstring form;
    } cases[] = {
        {L"C:\\App\\a.txt", L"C:\\App\\a.txt"},
        {L"C:\\" + edge, L"C:\\" + edge},
        {L"C:\\" + edge + L"e", L"\\\\?\\C:\\" + edge + L"e"},
        {L"C:" + deep, L"\\\\?\\C:" + deep},
        {L"\\\\srv\\share" + deep, L"\\\\?\\UNC\\srv\\share" + deep},
        {L"\\\\?\\C:" + deep, L"\\\\?\\C:" + deep},
        {L"\\\\?\\UNC\\srv\\share" + deep, L"\\\\?\\UNC\\srv\\share" + deep},
        {L"\\\\.\\C:" + deep, L"\\\\.\\C:" + deep},
        {L"\\??\\C:" + deep, L"\\??\\C:" + deep},
        {L"\\\\srv\\share", L"\\\\srv\\share"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(LongPathForm(c.full), c.form) << c.full.size();
}

// The form the system was given, read back as written: what LongPathForm
// added comes off, device names it never makes stay.
TEST(PlainPathForm, UndoesOnlyWhatLongPathFormAdds) {
    const std::wstring deep = L"\\" + std::wstring(300, L'd');
    const struct {
        std::wstring form;
        std::wstring plain;
    } cases[] = {
        {L"\\\\?\\C:" + deep, L"C:" + deep},
        {L"\\\\?\\UNC\\srv\\share" + deep, L"\\\\srv\\share" + deep},
        {L"C:\\App", L"C:\\App"},
        {L"\\\\?\\Volume{1234}\\a", L"\\\\?\\Volume{1234}\\a"},
        {L"\\\\.\\C:\\a", L"\\\\.\\C:\\a"},
        {L"\\\\?\\C:", L"\\\\?\\C:"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(PlainPathForm(c.form), c.plain) << c.form.size();
}

}  // namespace
