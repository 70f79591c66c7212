// The profile cache: one object per upper-cased file name, read-only objects
// reloaded writable on a write, changes reaching the disk only at a flush.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TestFiles.h"
#include "core/epIniFile.h"
#include "core/epTextCase.h"
#include "win/epFileUtils.h"
#include "win/epRegIni.h"

namespace {

class ProfileCache : public TempDirTest {
protected:
    void SetUp() override {
        FlushProfileCache();
        TempDirTest::SetUp();
        if (HasFatalFailure()) return;
        path_ = Write("app.log", "[Strings]\r\n5=Fatto\r\n[RunApp]\r\n1=a.exe\r\n2=b.exe\r\n");
    }
    void TearDown() override {
        FlushProfileCache();
        TempDirTest::TearDown();
    }
    std::string path_;
};

}  // namespace

TEST_F(ProfileCache, NamesDifferingOnlyInCaseShareOneObject) {
    TepIniFile& lower = GetIniFile(path_, true);
    const std::string upper = UpperCaseAnsi(path_);
    EXPECT_EQ(&GetIniFile(upper, true), &lower);
    EXPECT_EQ(lower.FileName, upper);
}

TEST_F(ProfileCache, AnotherSpellingOfThePathGetsItsOwnObject) {
    TepIniFile& plain = GetIniFile(path_, true);
    TepIniFile& dotted = GetIniFile(dir_ + "\\.\\app.log", true);
    EXPECT_NE(&plain, &dotted);
    EXPECT_EQ(dotted.ReadString("Strings", "5", ""), "Fatto");
}

TEST_F(ProfileCache, ReadOnlyObjectIsReloadedWritableOnAWriteAndKept) {
    EXPECT_EQ(ReadProfileString(path_, "Strings", "5", "x"), "Fatto");
    EXPECT_TRUE(GetIniFile(path_, true).ReadOnly);
    DeleteProfileKey(path_, "RunApp", "1");
    TepIniFile& writable = GetIniFile(path_, true);
    EXPECT_FALSE(writable.ReadOnly);
    EXPECT_EQ(&GetIniFile(path_, false), &writable);
    TStringList lines;
    ReadProfileSection(path_, "RunApp", lines);
    EXPECT_EQ(lines, (TStringList{"2=b.exe"}));
    // Not on disk before the flush, then gone with its line and nothing else.
    EXPECT_NE(ReadBytes(path_).value_or("").find("1=a.exe"), std::string::npos);
    FlushProfileCache();
    EXPECT_EQ(ReadBytes(path_), "[Strings]\r\n5=Fatto\r\n[RunApp]\r\n2=b.exe\r\n");
}

TEST_F(ProfileCache, LogContentOutlivesTheFileUntilTheNextFlush) {
    EXPECT_EQ(ReadProfileString(path_, "Strings", "5", "x"), "Fatto");
    ASSERT_TRUE(DeleteFileA(path_.c_str()));
    EXPECT_EQ(ReadProfileString(path_, "Strings", "5", "x"), "Fatto");
    TStringList lines;
    ReadProfileSection(path_, "RunApp", lines);
    EXPECT_EQ(lines.size(), 2u);
    FlushProfileCache();
    EXPECT_EQ(ReadProfileString(path_, "Strings", "5", "x"), "x");
    lines.clear();
    ReadProfileSection(path_, "RunApp", lines);
    EXPECT_TRUE(lines.empty());
}

TEST_F(ProfileCache, SecondWriteOfAKeyReplacesTheFirst) {
    const std::string ini = dir_ + "\\w.ini";
    WriteProfileString(ini, "Rename", "NUL", "C:\\A.TXT");
    WriteProfileString(ini, "Rename", "NUL", "C:\\B.TXT");
    FlushProfileCache();
    EXPECT_EQ(ReadBytes(ini), "[Rename]\r\nNUL=C:\\B.TXT\r\n\r\n");
    DeleteFileA(ini.c_str());
}

TEST_F(ProfileCache, NewFileIsCreatedUnderTheUpperCasedName) {
    const std::string name = "tamskcache" + std::to_string(GetCurrentProcessId()) + ".ini";
    EXPECT_TRUE(WriteProfileString(name, "Rename", "NUL", "C:\\X"));
    FlushProfileCache();
    const std::string upper = UpperCaseAnsi(name);
    const std::string full = AddBackslash(GetWindowsDir()) + upper;
    WIN32_FIND_DATAA found{};
    const HANDLE find = FindFirstFileA(full.c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_STREQ(found.cFileName, upper.c_str());
    EXPECT_EQ(ReadBytes(full), "[Rename]\r\nNUL=C:\\X\r\n\r\n");
    DeleteFileA(full.c_str());
}

TEST_F(ProfileCache, FileThatCannotBeOpenedIsNotCached) {
    const HANDLE holder = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    try {
        ReadProfileString(path_, "Strings", "5", "x");
        ADD_FAILURE() << "no error for a file held exclusively";
    } catch (const EInOutError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + UpperCaseAnsi(path_));
    }
    CloseHandle(holder);
    EXPECT_EQ(ReadProfileString(path_, "Strings", "5", "x"), "Fatto");
}
