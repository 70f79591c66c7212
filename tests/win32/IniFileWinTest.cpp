// TepIniFile against the real file system: sharing, creation, write-back.
#include "win/epIniFile.h"

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "core/epFileUtils.h"
#include "win/epFileUtils.h"
#include "win/handles.h"

namespace {

using IniFileWin = TempDirTest;

TEST_F(IniFileWin, ReadOnlyObjectOutlivesItsFile) {
    const std::string path = PathOf("app.log");
    WriteBytes(path, "[RunApp]\r\ncmd=notepad.exe\r\n[Strings]\r\n5=Fine\r\n");
    {
        TepIniFile log(path, true, true, true, true, true);
        EXPECT_EQ(log.Handle, nullptr);
        ASSERT_TRUE(DeleteFileA(path.c_str()));
        EXPECT_EQ(log.ReadString("Strings", "5", ""), "Fine");
        TStringList lines;
        log.ReadSectionValues("RunApp", lines);
        EXPECT_EQ(lines, TStringList{"cmd=notepad.exe"});
        log.WriteString("Strings", "5", "changed");  // never written by a read-only object
    }
    EXPECT_FALSE(Exists(path));
}

TEST_F(IniFileWin, WritableObjectSharesItsFileForReadingOnly) {
    const std::string path = PathOf("app.ini");
    WriteBytes(path, "[S]\r\nk=1\r\n");
    {
        TepIniFile ini(path, false, true, true, true, true);
        EXPECT_TRUE(IsOpenHandle(ini.Handle));
        UniqueFile writer(CreateFileA(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_FALSE(writer);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        UniqueFile reader(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(reader);
    }
    UniqueFile writer(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(writer);
}

TEST_F(IniFileWin, MissingFileIsCreatedOnlyWhenSomethingWasWritten) {
    const std::string path = PathOf("a\\b\\new.ini");
    {
        TepIniFile ini(path, false, true, true, true, true);
        EXPECT_EQ(ini.ReadString("S", "k", "def"), "def");
        ini.DeleteKey("S", "k");
        EXPECT_EQ(ini.Handle, nullptr);
    }
    EXPECT_FALSE(Exists(PathOf("a")));
    {
        TepIniFile ini(path, false, true, true, true, true);
        ini.WriteString("S", "k", "v");
        EXPECT_FALSE(Exists(path));
        ini.UpdateFile();
        EXPECT_FALSE(ini.Modified);
        EXPECT_EQ(ReadBytes(path), "[S]\r\nk=v\r\n\r\n");
        EXPECT_TRUE(IsOpenHandle(ini.Handle));
        ini.WriteString("S", "j", "w");

        // Binding to another file writes the pending change first and lets the old file go.
        ini.SetFileName(PathOf("other.ini"));
        EXPECT_EQ(ReadBytes(path), "[S]\r\nk=v\r\nj=w\r\n\r\n");
        EXPECT_TRUE(DeleteFileA(path.c_str()));
        ini.WriteString("T", "x", "1");
    }
    EXPECT_EQ(ReadBytes(PathOf("other.ini")), "[T]\r\nx=1\r\n\r\n");
}

TEST_F(IniFileWin, FileHeldExclusivelyRaisesCannotOpen) {
    const std::string path = PathOf("locked.ini");
    WriteBytes(path, "[S]\r\nk=1\r\n");
    UniqueFile holder(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    for (bool readOnly : {true, false}) {
        try {
            TepIniFile ini(path, readOnly, true, true, true, true);
            ADD_FAILURE() << "no error, read-only " << readOnly;
        } catch (const EInOutError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
        }
    }
}

TEST_F(IniFileWin, RewriteIsByteExactAndCutsTheOldTail) {
    const std::string input = ReadBytes(DataFile("ini/input.ini")).value_or("");
    ASSERT_FALSE(input.empty());
    const std::string path = PathOf("setup.ini");
    WriteBytes(path, input);
    {
        TepIniFile ini(path, false, true, true, true, true);
        ini.WriteString("Strings", "1", "Primo messaggio");  // same line: nothing to write
    }
    EXPECT_EQ(ReadBytes(path), input);
    {
        TepIniFile ini(path, false, true, true, true, true);
        ini.WriteString("STRINGS", "1", "Uno");
        ini.DeleteKey("copyfiles", "c:\\app\\help.hlp");
        ini.EraseSection(" a ");
        ini.WriteString("New", "k", "v");
    }
    EXPECT_EQ(ReadBytes(path), ReadBytes(DataFile("ini/expected-modified.ini")));
}

TEST_F(IniFileWin, BareNameMeansTheWindowsDirectory) {
    const std::string name = "tamsk-ini-" + std::to_string(GetCurrentProcessId()) + ".ini";
    const std::string full = AddBackslash(GetWindowsDir()) + name;
    DeleteFileA(full.c_str());
    {
        TepIniFile ini(name, false, true, true, true, true);
        EXPECT_EQ(ini.FileName, full);
        ini.WriteString("Rename", "NUL", "C:\\x.tmp");
    }
    EXPECT_EQ(ReadBytes(full), "[Rename]\r\nNUL=C:\\x.tmp\r\n\r\n");
    EXPECT_TRUE(DeleteFileA(full.c_str()));
}

TEST_F(IniFileWin, LongLinesAndLargeFilesLoadWhole) {
    const std::string longValue(300, 'v');
    std::string text = "[Long]\r\nk=" + longValue + "\r\n[Big]\r\n";
    int count = 0;
    while (text.size() < (1u << 20)) {
        text += "C:\\Program Files\\App\\file" + std::to_string(count++) + ".dll=1\r\n";
    }
    const std::string path = PathOf("big.log");
    WriteBytes(path, text);
    TepIniFile log(path, true, true, true, true, true);
    EXPECT_EQ(log.ReadString("Long", "k", ""), longValue);
    TStringList lines;
    log.ReadSectionValues("Big", lines);
    ASSERT_EQ(lines.size(), static_cast<size_t>(count));
    EXPECT_EQ(lines.back(), "C:\\Program Files\\App\\file" + std::to_string(count - 1) + ".dll=1");
}

TEST_F(IniFileWin, FailedCreationIsNotRetried) {
    const std::string blocker = PathOf("blocker");
    WriteBytes(blocker, "a file where a directory should be");
    const std::string path = blocker + "\\x.ini";
    TepIniFile ini(path, false, true, true, true, true);
    ini.WriteString("S", "k", "v");
    ini.UpdateFile();
    EXPECT_EQ(ini.Handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ini.Modified);

    ASSERT_TRUE(DeleteFileA(blocker.c_str()));
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    ini.WriteString("S", "k", "w");
    ini.UpdateFile();
    EXPECT_FALSE(Exists(path));
}

TEST_F(IniFileWin, DirectoryPathGivesAnEmptyModel) {
    TepIniFile ini(dir_, true, true, true, true, true);
    EXPECT_EQ(ini.Sections.Count(), 0);
    EXPECT_EQ(ini.Handle, nullptr);
}

}  // namespace
