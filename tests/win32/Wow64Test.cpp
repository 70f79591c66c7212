// The two views of 64-bit Windows as this program meets them under Wine: a
// 64-bit system, and the path of the system folder in each view, judged in
// its long form when it is spelled relative to the Windows directory.
#include "win/epWow64.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::string WindowsDir() {
    char buffer[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, length);
}

TEST(Wow64, SystemFolderPathsLeadToTheFolderOfTheirView) {
    // The x86_64 build: a 64-bit system, every view there.
    EXPECT_TRUE(IsWindows64());
    EXPECT_TRUE(ViewExists(TView::Bits64));
    EXPECT_EQ(ViewAccess(TView::Bits32), static_cast<REGSAM>(KEY_WOW64_32KEY));
    EXPECT_EQ(ViewAccess(TView::Native), 0u);

    const std::string windows = WindowsDir();
    EXPECT_EQ(FileInView(windows + "\\System32\\tamsk.dll", TView::Bits32),
              windows + "\\SysWOW64\\tamsk.dll");
    EXPECT_EQ(FileInView(windows + "\\System32\\tamsk.dll", TView::Bits64),
              windows + "\\System32\\tamsk.dll");

    // Taken from the current directory, the Windows directory as the run
    // makes it: the long form shows the system folder.
    char saved[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(windows.c_str()));
    const std::optional<std::string> relative = FileInView("System32\\tamsk.dll", TView::Bits32);
    SetCurrentDirectoryA(saved);
    ASSERT_TRUE(relative.has_value());
    EXPECT_EQ(relative->substr(relative->size() - 19), "\\SysWOW64\\tamsk.dll") << *relative;
    EXPECT_EQ(FileInView("tamsk.dll", TView::Bits32), std::optional<std::string>("tamsk.dll"));
}

}  // namespace
