// Registry values and keys ("AddReg", "CreateKeys") and INI entries ("AddIni")
// as an uninstallation removes them: each case under its own key
// HKCU\Software\TamskE2E\<case> and in its own case directory.
#include <gtest/gtest.h>

#include "CaseFixture.h"

using namespace e2e;

namespace {

class RemovalCase : public KeyedUninstallerCase {
protected:
    // Runs the uninstaller on the log text, confirming and closing; the
    // status lines seen when Close became enabled.
    std::vector<std::string> RunLog(const std::string& text) {
        EXPECT_TRUE(WriteFileBytes(log, text));
        const ScenarioResult r = RunToTheEnd();
        EXPECT_TRUE(r.ok) << Describe(r);
        return r.ok ? r.seen[1].lines : std::vector<std::string>{};
    }
};

using RegistryEntries = RemovalCase;
using IniEntries = RemovalCase;

}  // namespace

TEST_F(RegistryEntries, AddRegRemovesValuesDefaultValuesAndKeys) {
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("Values"), "Gone", 1));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("Values"), "Kept", 2));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, K("WithDefault"), "", "default"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, K("WithDefault"), "V", "v"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, K("NoDefault"), "V", "v"));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("NoDefault\\Sub"), "W", 1));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("WholeKey"), "A", 1));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("WholeKey\\Sub\\Deeper"), "B", 2));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("Untouched"), "A", 1));

    const std::vector<std::string> lines =
        RunLog("[AddReg]\r\n" + P("Values\\Gone") + "=1\r\n" +  //
               P("WithDefault\\") + "=1\r\n" +                  //
               P("NoDefault\\") + "=1\r\n" +                    //
               P("WholeKey") + "=1\r\n" +                       //
               "=" + P("Untouched") + "\r\n");

    EXPECT_EQ(lines, (std::vector<std::string>{kValuesLine, kDone}));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, K("Values"), "Gone"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, K("Values"), "Kept"));
    // A trailing backslash names the default value: it alone goes when it exists...
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, K("WithDefault"), ""));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, K("WithDefault"), "V"));
    // ...and the whole key when it does not.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K("NoDefault")));
    // A path that names no value but a key removes the key with everything below.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K("WholeKey")));
    // A line starting with "=" has an empty name part and removes nothing.
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, K("Untouched"), "A"));
}

TEST_F(RegistryEntries, CreateKeysRemovesSubkeysAndKeysInEitherOrder) {
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("A\\B"), "V", 1));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("C\\D"), "V", 1));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("C"), "V", 1));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, K("Eq")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, K("Eq=a")));
    // A path that also names a value of the parent removes that value only.
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("Both"), "W", 1));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, K("Both\\W")));

    const std::vector<std::string> lines =
        RunLog("[CreateKeys]\r\n" + P("A") + "=1\r\n" + P("a\\B") + "=1\r\n" +  //
               P("C\\D") + "=1\r\n" + P("C") + "=1\r\n" +                        //
               P("Eq") + "=a=b\r\n" + P("Both\\W") + "=1\r\n");

    EXPECT_EQ(lines, (std::vector<std::string>{kKeysLine, kDone}));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K("A")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K("C")));
    // "key=a=b" names the key "key=a", not "key".
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K("Eq=a")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K("Eq")));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, K("Both"), "W"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K("Both\\W")));
}

TEST_F(RegistryEntries, RootKeyLinesLeaveEveryRootIntact) {
    const std::string machineKey = "SOFTWARE\\TamskE2E\\" + TestName();
    ASSERT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, machineKey, "Marker", 1));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("Marker"), "Marker", 1));
    ASSERT_TRUE(SetDwordValue(HKEY_CURRENT_USER, K("Gone"), "V", 1));

    const std::string roots = "HKLM=1\r\nHKLM\\=1\r\nHKLM\\\\=1\r\nHKCU=1\r\nHKU=1\r\nHKCR=1\r\n";
    const std::vector<std::string> lines =
        RunLog("[AddReg]\r\n" + roots + "[CreateKeys]\r\n" + roots + P("Gone") + "=1\r\n");

    // Both sections ran, each with its own line counting the six refused
    // roots, and the real key went.
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Rimozione dei valori di registro... elementi non rimossi: 6",
                         "Rimozione delle chiavi di registro... elementi non rimossi: 6", kDone}));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K("Gone")));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, machineKey, "Marker"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, K("Marker"), "Marker"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Wine"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, ".DEFAULT\\Software"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, machineKey);
}

TEST_F(IniEntries, AddIniRemovesTheLinesOfItsEntriesFromEachFile) {
    const std::string one = dir + "\\one.ini";
    const std::string two = dir + "\\two.ini";
    const std::string comma = dir + "\\c,d.ini";
    const std::string missing = dir + "\\missing.ini";
    const std::string bareName = "tamsk-e2e-addini.ini";
    const std::string inWindows = WindowsDir() + "\\" + bareName;
    ASSERT_TRUE(WriteFileBytes(one, "; settings\r\n[App]\r\nkey1=v1\r\nkey2 = v2\r\n\r\n"
                                    "[Other]\r\nx=1\r\n"));
    ASSERT_TRUE(WriteFileBytes(two, "[S]\r\nk=v\r\n[T]\r\nm=n\r\n=orphan\r\nlast=1"));
    ASSERT_TRUE(WriteFileBytes(comma, "[Sec]\r\nk=v\r\nj=w\r\n"));
    ASSERT_TRUE(WriteFileBytes(inWindows, "[Win]\r\ngone=1\r\nkept=2\r\n"));

    const std::vector<std::string> lines =
        RunLog("[AddIni]\r\n" + one + ",App,key1=v1\r\n" +  //
               two + ",S,k=v\r\n" +                          //
               two + ",T=\r\n" +                             // two fields: the empty key
               "'" + comma + "',Sec,k=v\r\n" +               //
               bareName + ",Win,gone=1\r\n" +                //
               missing + ",S,k=v\r\n");
    const std::optional<std::string> windowsBytes = ReadFileBytes(inWindows);
    DeleteFileA(inWindows.c_str());

    EXPECT_EQ(lines, (std::vector<std::string>{kIniLine, kDone}));
    EXPECT_EQ(ReadFileBytes(one), std::optional<std::string>("; settings\r\n[App]\r\nkey2 = v2\r\n"
                                                             "\r\n[Other]\r\nx=1\r\n"));
    // The empty key is the line that starts with "=".
    EXPECT_EQ(ReadFileBytes(two), std::optional<std::string>("[S]\r\n[T]\r\nm=n\r\nlast=1"));
    EXPECT_EQ(ReadFileBytes(comma), std::optional<std::string>("[Sec]\r\nj=w\r\n"));
    // A bare name is a file in the Windows directory.
    EXPECT_EQ(windowsBytes, std::optional<std::string>("[Win]\r\nkept=2\r\n"));
    EXPECT_FALSE(FileExists(missing));
}

TEST_F(IniEntries, FileThatCannotBeOpenedForWritingIsCountedAndPassedOver) {
    const std::string locked = dir + "\\locked.ini";
    const std::string open = dir + "\\open.ini";
    const std::string lockedText = "[S]\r\nk=v\r\n";
    ASSERT_TRUE(WriteFileBytes(locked, lockedText));
    ASSERT_TRUE(WriteFileBytes(open, "[S]\r\nk=v\r\nj=w\r\n"));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, K("Later")));
    HeldFile held(locked);  // readable by others, but not writable
    ASSERT_TRUE(held.held());

    const std::vector<std::string> lines =
        RunLog("[AddIni]\r\n" + locked + ",S,k=1\r\n" + open + ",S,k=1\r\n" +  //
               "[CreateKeys]\r\n" + P("Later") + "=1\r\n");
    held.Release();

    // The item failed and is counted; the next line and the next phases still ran.
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Rimozioni dei dati di inizializzazione... elementi non rimossi: 1",
                         kKeysLine, kDone}));
    EXPECT_EQ(ReadFileBytes(locked), std::optional<std::string>(lockedText));
    EXPECT_EQ(ReadFileBytes(open), std::optional<std::string>("[S]\r\nj=w\r\n"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K("Later")));
}
