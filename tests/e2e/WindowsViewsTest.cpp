// The two views of 64-bit Windows: twins of every kind of item are set up in
// the 32-bit view (reg.exe /reg:32, SysWOW64) and in the 64-bit one
// (/reg:64, System32), and each log removes the twins of its own view only:
// an old log those of the 32-bit view, as the i686 build always did.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CaseFixture.h"

using namespace e2e;

namespace {

const std::string kKey = "SOFTWARE\\TamskE2EViews";
const std::string kFile = "tamskviews.dll";
const std::string kShared = "tamskviews-shared.dll";
const std::string kDir = "TamskViews";

class WindowsViews : public UninstallerCase {
protected:
    void SetUp() override {
        UninstallerCase::SetUp();
        system32 = WindowsDir() + "\\system32\\";
        syswow64 = WindowsDir() + "\\syswow64\\";
        CleanUp();
    }
    void TearDown() override {
        CleanUp();
        UninstallerCase::TearDown();
    }

    void CleanUp() {
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            DeleteKeyTree(HKEY_LOCAL_MACHINE, kKey, view);
            DeleteValue(HKEY_LOCAL_MACHINE, kCounters, system32 + kShared, view);
        }
        for (const std::string& folder : {system32, syswow64}) {
            DeleteFileA((folder + kFile).c_str());
            DeleteFileA((folder + kShared).c_str());
            RemoveDirectoryA((folder + kDir).c_str());
        }
    }

    // reg.exe of the system, as an installer's script would call it.
    void Reg(const std::string& args) {
        const Process reg = StartProgram(system32 + "reg.exe", args);
        ASSERT_TRUE(reg) << args;
        ASSERT_EQ(WaitForExit(reg), std::optional<DWORD>(0)) << args;
    }

    // One twin of each item in each view: a value, a key with subkeys, a
    // shared-file count of 1, a file, a shared file and a folder.
    void InstallTwins() {
        for (const char* view : {"/reg:32", "/reg:64"}) {
            Reg("add \"HKLM\\" + kKey + "\" /v Version /d 1 /f " + view);
            Reg("add \"HKLM\\" + kKey + "\\Tree\\Deep\" /v Leaf /d 1 /f " + view);
            Reg("add \"HKLM\\" + kCounters + "\" /v \"" + system32 + kShared +
                "\" /t REG_DWORD /d 1 /f " + view);
        }
        for (const std::string& folder : {system32, syswow64}) {
            ASSERT_TRUE(WriteFileBytes(folder + kFile, "data"));
            ASSERT_TRUE(WriteFileBytes(folder + kShared, "data"));
            ASSERT_TRUE(CreateDirectoryA((folder + kDir).c_str(), nullptr));
        }
    }

    // What of the twins is left in one view: "value", "tree", "count",
    // "file", "shared file", "folder".
    Lines LeftIn(REGSAM view) {
        const std::string& folder = view == KEY_WOW64_32KEY ? syswow64 : system32;
        Lines left;
        if (ValueExists(HKEY_LOCAL_MACHINE, kKey, "Version", view)) left.push_back("value");
        if (KeyExists(HKEY_LOCAL_MACHINE, kKey + "\\Tree", view)) left.push_back("tree");
        if (ValueExists(HKEY_LOCAL_MACHINE, kCounters, system32 + kShared, view))
            left.push_back("count");
        if (FileExists(folder + kFile)) left.push_back("file");
        if (FileExists(folder + kShared)) left.push_back("shared file");
        if (DirectoryExists(folder + kDir)) left.push_back("folder");
        return left;
    }

    // The log of the twins, in the system folder as installers write it,
    // with the options and registry roots given; run unattended, the
    // unused shared file let go.
    std::optional<DWORD> RemoveWith(const std::string& options, const std::string& valueRoot,
                                    const std::string& keyRoot) {
        const std::string text = options + "[SharedFiles]\r\n" + system32 + kShared +
                                 "=1\r\n[AddReg]\r\n" + valueRoot + "\\" + kKey +
                                 "\\Version=1\r\n[CreateKeys]\r\n" + keyRoot + "\\" + kKey +
                                 "\\Tree=1\r\n[CopyFiles]\r\n" + system32 + kFile + "=1\r\n" +
                                 system32 + kShared + "=1\r\n[CreateDirs]\r\n" + system32 +
                                 kDir + "=1\r\n";
        EXPECT_TRUE(WriteFileBytes(log, text));
        const Process p = StartProgram(kUninstaller, Quote(log) + " /S /DELSHARED");
        if (!p) return std::nullopt;
        return WaitForExit(p);
    }

    std::string system32;
    std::string syswow64;
};

const Lines kAll{"value", "tree", "count", "file", "shared file", "folder"};

TEST_F(WindowsViews, EachLogRemovesTheTwinsOfItsViewAndLeavesTheOthers) {
    struct Case {
        const char* what;
        std::string options;
        Lines left32;
        Lines left64;
    } const cases[] = {
        {"a log without options is in the 32-bit view", "", {}, kAll},
        {"View=32", "[Options]\r\nView=32\r\n", {}, kAll},
        {"View=64", "[Options]\r\nView=64\r\n", kAll, {}},
    };
    for (const Case& c : cases) {
        InstallTwins();
        EXPECT_EQ(RemoveWith(c.options, "HKLM", "HKLM"), std::optional<DWORD>(0)) << c.what;
        EXPECT_EQ(LeftIn(KEY_WOW64_32KEY), c.left32) << c.what;
        EXPECT_EQ(LeftIn(KEY_WOW64_64KEY), c.left64) << c.what;
        CleanUp();
    }
}

TEST_F(WindowsViews, RootsWithAViewOverrideTheLogsLineByLine) {
    InstallTwins();
    EXPECT_EQ(RemoveWith("", "HKLM64", "HKLM"), std::optional<DWORD>(0));
    EXPECT_EQ(LeftIn(KEY_WOW64_32KEY), (Lines{"value"}));
    EXPECT_EQ(LeftIn(KEY_WOW64_64KEY), (Lines{"tree", "count", "file", "shared file", "folder"}));
    CleanUp();

    InstallTwins();
    EXPECT_EQ(RemoveWith("[Options]\r\nView=64\r\n", "HKLM", "HKLM32"), std::optional<DWORD>(0));
    EXPECT_EQ(LeftIn(KEY_WOW64_32KEY),
              (Lines{"value", "count", "file", "shared file", "folder"}));
    EXPECT_EQ(LeftIn(KEY_WOW64_64KEY), (Lines{"tree"}));
}

#ifdef TAMSK_OLE_FIXTURE_DIR
// The log's view says where the installer worked, not what the server is:
// its file header does, and a 64-bit server goes by a 64-bit program.
TEST_F(WindowsViews, ServerOfAnyBitnessInAnOldLogIsUnregistered) {
    const std::string server = dir + "\\Server64.dll";
    ASSERT_TRUE(CopyFileA((std::string(TAMSK_OLE_FIXTURE_DIR) + "\\OleServerOk.dll").c_str(),
                          server.c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(log, "[RegServers]\r\n" + server + "=1\r\n"));
    const Process p = StartProgram(kUninstaller, Quote(log) + " /S");
    ASSERT_TRUE(p);
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFileBytes(server + ".log"),
              std::optional<std::string>("DllUnregisterServer\r\n"));
}
#endif

}  // namespace
