// Deleting files, and deleting them at the next restart on both platform
// families: through PendingFileRenameOperations (NT) and through the
// "Rename" section of wininit.ini (the 95 family, called directly here).
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "core/epFileUtils.h"
#include "win/epFileUtils.h"
#include "win/epRegIni.h"
#include "win/handles.h"

namespace {

const char* const kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* const kPending = "PendingFileRenameOperations";

// The raw REG_MULTI_SZ bytes of the pending operations, or nothing when absent.
std::optional<std::string> ReadPendingBytes() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != 0) {
        return std::nullopt;
    }
    UniqueHkey owner(key);
    DWORD size = 0;
    if (RegQueryValueExA(key, kPending, nullptr, nullptr, nullptr, &size) != 0) return std::nullopt;
    std::string data(size, '\0');
    if (size > 0 &&
        RegQueryValueExA(key, kPending, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]),
                         &size) != 0) {
        return std::nullopt;
    }
    data.resize(size);
    return data;
}

void RestorePendingBytes(const std::optional<std::string>& bytes) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != 0) return;
    UniqueHkey owner(key);
    if (bytes) {
        RegSetValueExA(key, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(bytes->data()),
                       static_cast<DWORD>(bytes->size()));
    } else {
        RegDeleteValueA(key, kPending);
    }
}

// The strings of the pending operations, in order.
std::vector<std::string> PendingStrings() {
    std::vector<std::string> strings;
    const std::optional<std::string> bytes = ReadPendingBytes();
    if (!bytes) return strings;
    size_t start = 0;
    while (start < bytes->size()) {
        size_t end = bytes->find('\0', start);
        if (end == std::string::npos) end = bytes->size();
        strings.push_back(bytes->substr(start, end - start));
        start = end + 1;
    }
    // The list ends with an empty string (and the value with a second NUL).
    while (!strings.empty() && strings.back().empty()) strings.pop_back();
    return strings;
}

bool HasPendingDeletion(const std::string& path) {
    const std::vector<std::string> s = PendingStrings();
    for (size_t i = 0; i < s.size(); i += 2) {
        if (s[i] == "\\??\\" + path && (i + 1 == s.size() || s[i + 1].empty())) return true;
    }
    return false;
}

class Deletion : public TempDirTest {
protected:
    void SetUp() override {
        FlushProfileCache();
        savedPending_ = ReadPendingBytes();
        savedPlatform_ = PlatformId;
        TempDirTest::SetUp();
        wininit_ = PathOf("wininit.ini");
    }
    void TearDown() override {
        FlushProfileCache();
        PlatformId = savedPlatform_;
        RestorePendingBytes(savedPending_);
        TempDirTest::TearDown();
    }

    std::optional<std::string> savedPending_;
    DWORD savedPlatform_ = 0;
    std::string wininit_;
};

TEST_F(Deletion, ForcedDeletionClearsReadOnlyHiddenAndSystem) {
    const std::string readOnly = Write("ro.txt");
    const std::string hidden = Write("hs.txt");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_FALSE(DeleteFileA(readOnly.c_str()));  // what the plain call cannot do
    EXPECT_TRUE(DeleteFileForced(readOnly));
    EXPECT_TRUE(DeleteFileForced(hidden));
    EXPECT_FALSE(Exists(readOnly));
    EXPECT_FALSE(Exists(hidden));
    EXPECT_FALSE(DeleteFileForced(readOnly));  // already gone
}

TEST_F(Deletion, FileInUseIsNotDeletedAndKeepsItsAttributes) {
    const std::string path = Write("held.txt");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const DWORD fileAttributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(fileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
    {
        UniqueFile held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(DeleteFileForced(path));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(GetFileAttributesA(path.c_str()), fileAttributes);
    }
    // A directory is no file: it stays, with its attributes.
    const std::string sub = dir_ + "\\sub";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const DWORD dirAttributes = GetFileAttributesA(sub.c_str());
    ASSERT_NE(dirAttributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_FALSE(DeleteFileForced(sub));
    EXPECT_EQ(GetFileAttributesA(sub.c_str()), dirAttributes);
    SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(sub.c_str());
}

TEST_F(Deletion, OnNtAHeldFileIsScheduledUnderItsLongPath) {
    RecordPlatformId();
    ASSERT_EQ(PlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));  // what Wine reports
    const std::string path = Write("Long Held Name.txt");
    UniqueFile held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    ASSERT_FALSE(DeleteFileForced(path));
    DeleteFileOnReboot(path);
    EXPECT_TRUE(HasPendingDeletion(path));
    EXPECT_TRUE(Exists(path));
    EXPECT_FALSE(Exists(wininit_));
}

// A restart list that already deletes a path (in any letter case) does not
// get it a second time: one run never schedules one path twice.
TEST_F(Deletion, OnNtAPathIsScheduledOnceHoweverOftenItIsAsked) {
    RecordPlatformId();
    const std::string path = Write("twice.txt");
    const std::string other = Write("other.txt");
    const std::string upper = path.substr(0, path.size() - 9) + "TWICE.TXT";
    const std::string requests[] = {path, upper, path, other};
    for (const std::string& request : requests) EXPECT_TRUE(DeleteFileOnReboot(request)) << request;
    const std::vector<std::string> pending = PendingStrings();
    const auto count = [&pending](const std::string& p) {
        int n = 0;
        for (size_t i = 0; i < pending.size(); i += 2)
            if (pending[i] == "\\??\\" + p) ++n;
        return n;
    };
    EXPECT_EQ(count(path), 1);
    EXPECT_EQ(count(other), 1);
    EXPECT_EQ(count(upper), 0);
}

// Only a file in use goes at the next restart, and without its read-only
// attribute; whatever else cannot be deleted stays and says why.
TEST_F(Deletion, OnlyAFileInUseIsScheduledAndLosesItsReadOnlyFlag) {
    RecordPlatformId();
    const std::string readOnly = Write("ro.txt");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string held = Write("held.txt");
    ASSERT_TRUE(SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    UniqueFile holder(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    // A loaded library: its deletion is denied although it opens for deletion.
    char system[MAX_PATH] = {};
    ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string library = PathOf("loaded.dll");
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\version.dll").c_str(), library.c_str(), FALSE));
    UniqueModule loaded(LoadLibraryA(library.c_str()));
    ASSERT_TRUE(loaded);
    const std::string sub = PathOf("sub");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));

    struct Case {
        std::string path;
        TDeletionOutcome outcome;
        DWORD error;
    };
    const Case cases[] = {
        {Write("plain.txt"), TDeletionOutcome::Removed, 0},
        {readOnly, TDeletionOutcome::Removed, 0},
        {held, TDeletionOutcome::Scheduled, 0},
        {library, TDeletionOutcome::Scheduled, 0},
        {PathOf("missing.txt"), TDeletionOutcome::Absent, 0},
        {PathOf("NoDir\\missing.txt"), TDeletionOutcome::Absent, 0},
        {sub, TDeletionOutcome::Failed, ERROR_ACCESS_DENIED},
        {PathOf("bad<name.txt"), TDeletionOutcome::Failed, ERROR_INVALID_NAME},
    };
    for (const Case& c : cases) {
        const TDeletionResult result = DeleteFileOrSchedule(c.path);
        EXPECT_EQ(result.Outcome, c.outcome) << c.path;
        EXPECT_EQ(result.Error, c.error) << c.path;
        EXPECT_EQ(HasPendingDeletion(c.path), c.outcome == TDeletionOutcome::Scheduled) << c.path;
    }
    EXPECT_EQ(GetFileAttributesA(held.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(Exists(library));
    EXPECT_TRUE(Exists(sub));
}

TEST_F(Deletion, WininitKeepsEveryPendingDeletionAndTheLinesOfOthers) {
    WriteBytes(wininit_,
               "[Rename]\r\nC:\\OTHER\\NEW.DLL=C:\\OTHER\\OLD.DLL\r\nNUL=C:\\OTHER\\GONE.TMP\r\n"
               "[Boot]\r\nshell=x\r\n");
    const std::string first = Write("First Long Name.txt");
    const std::string second = Write("Second Long Name.txt");
    const std::string missing = dir_ + "\\Never Made.txt";
    const std::string firstShort = GetShortPath(first);
    const std::string secondShort = GetShortPath(second);
    ASSERT_NE(firstShort, first);  // the short form, not the long path, goes in
    ScheduleWininitDeletion(wininit_, first);
    ScheduleWininitDeletion(wininit_, second);
    ScheduleWininitDeletion(wininit_, missing);  // no short form: the long path
    EXPECT_EQ(ReadBytes(wininit_)->find(firstShort), std::string::npos);  // not before the flush
    FlushProfileCache();
    EXPECT_EQ(ReadBytes(wininit_),
              "[Rename]\r\nC:\\OTHER\\NEW.DLL=C:\\OTHER\\OLD.DLL\r\nNUL=C:\\OTHER\\GONE.TMP\r\n"
              "NUL=" + firstShort + "\r\nNUL=" + secondShort + "\r\nNUL=" + missing +
              "\r\n\r\n[Boot]\r\nshell=x\r\n\r\n");
}

TEST_F(Deletion, WininitThatDoesNotExistIsCreatedAtTheFlush) {
    const std::string path = Write("a.txt");
    ScheduleWininitDeletion(wininit_, path);
    EXPECT_FALSE(Exists(wininit_));
    FlushProfileCache();
    EXPECT_EQ(ReadBytes(wininit_), "[Rename]\r\nNUL=" + GetShortPath(path) + "\r\n\r\n");
}

// The 95-family branch as the program reaches it: wininit.ini of the
// Windows directory, and nothing handed to MoveFileExA.
TEST_F(Deletion, On95FamilyTheWindowsDirectoryWininitGetsTheLine) {
    const std::string real = AddBackslash(GetWindowsDir()) + "wininit.ini";
    const std::optional<std::string> before = ReadBytes(real);
    const std::string path = Write("x.txt");
    PlatformId = VER_PLATFORM_WIN32_WINDOWS;
    DeleteFileOnReboot(path);
    FlushProfileCache();
    const std::optional<std::string> after = ReadBytes(real);
    // Put the prefix back before checking, so a failure leaves nothing behind.
    if (before) {
        WriteBytes(real, *before);
    } else {
        DeleteFileA(real.c_str());
    }
    ASSERT_TRUE(after.has_value());
    EXPECT_NE(after->find("[Rename]\r\n"), std::string::npos);
    EXPECT_NE(after->find("NUL=" + GetShortPath(path) + "\r\n"), std::string::npos);
    EXPECT_FALSE(HasPendingDeletion(path));
}

}  // namespace
