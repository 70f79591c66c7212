// The registry path grammar: root names, the separating backslash with its
// quote tracking, quoted value names and the key path form.
#include "core/epRegPath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SplitCase {
    const char* path;
    TRegistryRoot root;
    const char* subKey;
    const char* valueName;
};

void ExpectSplit(const SplitCase& c) {
    const TRegistryPath parts = ParseRegistryPath(c.path);
    EXPECT_EQ(parts.Root, c.root) << c.path;
    if (c.root == TRegistryRoot::None) return;
    EXPECT_EQ(parts.SubKey, c.subKey) << c.path;
    EXPECT_EQ(parts.ValueName, c.valueName) << c.path;
}

TEST(RegistryPath, SplitsAsTheTableShows) {
    const SplitCase cases[] = {
        {"HKLM\\Software\\X\\Version", TRegistryRoot::LocalMachine, "Software\\X", "Version"},
        {"HKLM\\Software\\X\\", TRegistryRoot::LocalMachine, "Software\\X", ""},
        {"HKCU\\Version", TRegistryRoot::CurrentUser, "", "Version"},
        {"HKLM\\Software\\X\\'C:\\dir\\a.dll'", TRegistryRoot::LocalMachine, "Software\\X",
         "C:\\dir\\a.dll"},
        {"Version", TRegistryRoot::None, "", ""},
        {"hklm\\Software\\X\\Version", TRegistryRoot::None, "", ""},
        {"HKCR\\.txt\\", TRegistryRoot::ClassesRoot, ".txt", ""},
        {"HKU\\.DEFAULT\\Name", TRegistryRoot::Users, ".DEFAULT", "Name"},
    };
    for (const SplitCase& c : cases) ExpectSplit(c);
}

// The system would read such a path only up to the NUL byte: wherever it
// stands, the path resolves to nothing, as a value path and as a key path.
TEST(RegistryPath, PathHoldingANulByteIsNeverResolved) {
    const std::string nul(1, '\0');
    for (const std::string& path :
         {"HKCU\\Software\\Vendor" + nul + "junk", "HKCU\\Software\\Vendor\\" + nul,
          "HKCU" + nul + "\\Software\\X", "HKLM\\S\\'a'" + nul + "b", nul + "HKCU\\S\\V"}) {
        EXPECT_EQ(ParseRegistryPath(path).Root, TRegistryRoot::None);
        EXPECT_EQ(ParseRegistryPath(RegistryKeyPath(path)).Root, TRegistryRoot::None);
        EXPECT_EQ(SplitRegistryKeyName(RegistryKeyPath(path)).Root, TRegistryRoot::None);
    }
}

TEST(RegistryPath, RootNamesMatchExactly) {
    EXPECT_EQ(RegistryRootByName("HKCR"), TRegistryRoot::ClassesRoot);
    EXPECT_EQ(RegistryRootByName("HKCU"), TRegistryRoot::CurrentUser);
    EXPECT_EQ(RegistryRootByName("HKLM"), TRegistryRoot::LocalMachine);
    EXPECT_EQ(RegistryRootByName("HKU"), TRegistryRoot::Users);
    for (const char* other : {"", "hklm", "Hklm", "HKEY_LOCAL_MACHINE", "HKLM ", " HKLM", "HKCC"})
        EXPECT_EQ(RegistryRootByName(other), TRegistryRoot::None) << other;
    EXPECT_EQ(ParseRegistryPath("\\Software\\X").Root, TRegistryRoot::None);
}

TEST(RegistryPath, QuotedValueNames) {
    // Backslashes inside the quotes do not separate; a doubled quote is one.
    ExpectSplit({"HKLM\\Software\\X\\'C:\\dir\\it''s.dll'", TRegistryRoot::LocalMachine,
                 "Software\\X", "C:\\dir\\it's.dll"});
    // Anything after the closing quote is dropped.
    ExpectSplit({"HKLM\\S\\'a\\b'tail", TRegistryRoot::LocalMachine, "S", "a\\b"});
    // Double quotes protect backslashes too, but stay in the name.
    ExpectSplit({"HKLM\\S\\\"a\\b\"", TRegistryRoot::LocalMachine, "S", "\"a\\b\""});
    // A quote of the other kind inside an open quote is plain text.
    ExpectSplit({"HKLM\\S\\'a\"\\b'", TRegistryRoot::LocalMachine, "S", "a\"\\b"});
    ExpectSplit({"HKLM\\S\\\"a'\\b\"", TRegistryRoot::LocalMachine, "S", "\"a'\\b\""});
    // A name that does not start with a quote keeps its quotes.
    ExpectSplit({"HKLM\\S\\a'b'c", TRegistryRoot::LocalMachine, "S", "a'b'c"});
    // Quotes in the key part are never removed.
    ExpectSplit({"HKLM\\'S'\\V", TRegistryRoot::LocalMachine, "'S'", "V"});
}

TEST(RegistryPath, UnclosedQuoteLeavesNoSeparator) {
    EXPECT_EQ(FindRegistrySeparator("HKLM\\S\\it's"), 0u);
    EXPECT_EQ(ParseRegistryPath("HKLM\\S\\it's").Root, TRegistryRoot::None);
    // The key path form is not affected: its own backslash is found first.
    const TRegistryPath key = ParseRegistryPath(RegistryKeyPath("HKLM\\S\\it's"));
    EXPECT_EQ(key.Root, TRegistryRoot::LocalMachine);
    EXPECT_EQ(key.SubKey, "S\\it's");
    EXPECT_EQ(key.ValueName, "");
}

TEST(RegistryPath, SeparatorPositions) {
    EXPECT_EQ(FindRegistrySeparator(""), 0u);
    EXPECT_EQ(FindRegistrySeparator("HKLM"), 0u);
    EXPECT_EQ(FindRegistrySeparator("HKLM\\"), 5u);
    EXPECT_EQ(FindRegistrySeparator("HKLM\\A\\B"), 7u);
    EXPECT_EQ(FindRegistrySeparator("HKLM\\A\\'x\\y'"), 7u);
    EXPECT_EQ(FindRegistrySeparator("HKLM\\A\\'x''\\y'"), 7u);
}

TEST(RegistryPath, KeyPathForm) {
    EXPECT_EQ(RegistryKeyPath(""), "");
    EXPECT_EQ(RegistryKeyPath("HKLM"), "HKLM\\");
    EXPECT_EQ(RegistryKeyPath("HKLM\\S\\"), "HKLM\\S\\");
    // A value path without a backslash fails; as a key path it names the root.
    EXPECT_EQ(ParseRegistryPath("HKLM").Root, TRegistryRoot::None);
    const TRegistryPath root = ParseRegistryPath(RegistryKeyPath("HKLM"));
    EXPECT_EQ(root.Root, TRegistryRoot::LocalMachine);
    EXPECT_TRUE(NamesRootKey(root));
}

TEST(RegistryPath, RootKeysAreRecognisedInEveryForm) {
    for (const char* path : {"HKLM", "HKLM\\", "HKLM\\\\", "HKLM\\\\\\", "HKCU", "HKU\\", "HKCR"})
        EXPECT_TRUE(NamesRootKey(ParseRegistryPath(RegistryKeyPath(path)))) << path;
    for (const char* path : {"HKLM\\SOFTWARE", "HKLM\\\\SOFTWARE", "HKCU\\S\\"})
        EXPECT_FALSE(NamesRootKey(ParseRegistryPath(RegistryKeyPath(path)))) << path;
    EXPECT_FALSE(NamesRootKey(ParseRegistryPath("hklm\\")));
}

TEST(RegistryPath, KeyNameIsTheLastComponentAsOpened) {
    TRegistryPath named = SplitRegistryKeyName("HKLM\\Software\\X\\");
    EXPECT_EQ(named.Root, TRegistryRoot::LocalMachine);
    EXPECT_EQ(named.SubKey, "Software");
    EXPECT_EQ(named.ValueName, "X");

    named = SplitRegistryKeyName("HKCU\\Top\\");
    EXPECT_EQ(named.Root, TRegistryRoot::CurrentUser);
    EXPECT_EQ(named.SubKey, "");
    EXPECT_EQ(named.ValueName, "Top");

    // Quotes play no part: an unpaired one, or a quoted pair, stays in the name.
    named = SplitRegistryKeyName("HKCU\\S\\it's\\");
    EXPECT_EQ(named.SubKey, "S");
    EXPECT_EQ(named.ValueName, "it's");
    named = SplitRegistryKeyName("HKCU\\S\\'a\\b'\\");
    EXPECT_EQ(named.SubKey, "S\\'a");
    EXPECT_EQ(named.ValueName, "b'");

    EXPECT_EQ(SplitRegistryKeyName("HKLM\\").Root, TRegistryRoot::None);
    EXPECT_EQ(SplitRegistryKeyName("").Root, TRegistryRoot::None);
    EXPECT_EQ(SplitRegistryKeyName("HKCU\\S\\\\").ValueName, "");
}

}  // namespace

TEST(RegistryValuePath, QuotedNamesReadBackWhole) {
    const std::string path = RegistryValuePath("HKLM\\Shared\\", "C:\\dir\\o'neil.dll");
    EXPECT_EQ(path, "HKLM\\Shared\\'C:\\dir\\o''neil.dll'");
    const TRegistryPath parts = ParseRegistryPath(path);
    EXPECT_EQ(parts.ValueName, "C:\\dir\\o'neil.dll");
}
