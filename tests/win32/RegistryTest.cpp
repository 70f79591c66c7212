// Registry access by path against Wine's real registry, under a private key
// (HKCU\Software\TamskTest\<test name>) wiped before and after each test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include "win/epRegIni.h"
#include "win/handles.h"

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        subKey_ = std::string("Software\\TamskTest\\") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        base_ = "HKCU\\" + subKey_;
        Wipe();
    }
    void TearDown() override { Wipe(); }

    void Wipe() {
        RegDeleteTreeA(HKEY_CURRENT_USER, subKey_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, subKey_.c_str());
    }

    // Raw access below the test key, so the checks do not trust the code under test.
    void SetRaw(const std::string& key, const std::string& name, DWORD type,
                const std::string& bytes) {
        UniqueHkey h;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, Sub(key).c_str(), h.put()), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(h.get(), name.empty() ? nullptr : name.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    void SetString(const std::string& key, const std::string& name, const std::string& text) {
        SetRaw(key, name, REG_SZ, text + '\0');
    }
    void SetDword(const std::string& key, const std::string& name, std::uint32_t value) {
        SetRaw(key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
    }
    bool KeyThere(const std::string& key) {
        UniqueHkey h;
        return RegOpenKeyExA(HKEY_CURRENT_USER, Sub(key).c_str(), 0, KEY_READ, h.put()) ==
               ERROR_SUCCESS;
    }
    bool ValueThere(const std::string& key, const std::string& name, DWORD* type = nullptr) {
        UniqueHkey h;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Sub(key).c_str(), 0, KEY_READ, h.put()) !=
            ERROR_SUCCESS)
            return false;
        return RegQueryValueExA(h.get(), name.c_str(), nullptr, type, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }
    // Deletes a symbolic link below the test key as a link (its target
    // stays), without the code under test.
    void DeleteLinkRaw(const std::string& key) {
        using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);
        const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFunction>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
        UniqueHkey link;
        if (ntDeleteKey != nullptr &&
            RegOpenKeyExA(HKEY_CURRENT_USER, Sub(key).c_str(), REG_OPTION_OPEN_LINK, DELETE,
                          link.put()) == ERROR_SUCCESS)
            ntDeleteKey(link.get());
    }
    std::string Sub(const std::string& key) const {
        return key.empty() ? subKey_ : subKey_ + "\\" + key;
    }
    std::string Path(const std::string& rest) const { return base_ + "\\" + rest; }

    std::string subKey_;
    std::string base_;
};

TStringList Sorted(TStringList list) {
    std::sort(list.begin(), list.end());
    return list;
}

}  // namespace

TEST_F(Registry, SplitGivesTheRootKey) {
    HKEY root = nullptr;
    std::string subKey, valueName;
    ASSERT_TRUE(SplitRegistryPath("HKLM\\Software\\X\\'C:\\d\\a.dll'", root, subKey, valueName));
    EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(subKey, "Software\\X");
    EXPECT_EQ(valueName, "C:\\d\\a.dll");
    ASSERT_TRUE(SplitRegistryPath("HKCR\\x\\y", root, subKey, valueName));
    EXPECT_EQ(root, HKEY_CLASSES_ROOT);
    ASSERT_TRUE(SplitRegistryPath("HKU\\x\\y", root, subKey, valueName));
    EXPECT_EQ(root, HKEY_USERS);
    EXPECT_FALSE(SplitRegistryPath("HKEY_CURRENT_USER\\x\\y", root, subKey, valueName));
    EXPECT_EQ(root, nullptr);
}

TEST_F(Registry, IntegersAreWrittenAndReadBack) {
    // Every missing key along the path is created; the value is a REG_DWORD.
    ASSERT_TRUE(WriteRegistryInteger(Path("A\\B\\Count"), 3));
    DWORD type = 0;
    EXPECT_TRUE(ValueThere("A\\B", "Count", &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(ReadRegistryInteger(Path("A\\B\\Count"), 1), 3);
    ASSERT_TRUE(WriteRegistryInteger(Path("A\\B\\Count"), -7));
    EXPECT_EQ(ReadRegistryInteger(Path("A\\B\\Count"), 1), -7);

    EXPECT_EQ(ReadRegistryInteger(Path("A\\B\\Missing"), 42), 42);
    EXPECT_EQ(ReadRegistryInteger(Path("NoKey\\Count"), 42), 42);
    // Longer than 4 bytes: the default. Shorter: zero-extended.
    SetString("A", "Text", "hello");
    EXPECT_EQ(ReadRegistryInteger(Path("A\\Text"), 42), 42);
    SetRaw("A", "Short", REG_BINARY, std::string("\x34\x12", 2));
    EXPECT_EQ(ReadRegistryInteger(Path("A\\Short"), 42), 0x1234);
}

TEST_F(Registry, ValuesOfAnyTypeAreReadIntoTheCallersBuffer) {
    const std::string bytes("\x01\x02\x00\x03", 4);
    ASSERT_TRUE(WriteRegistryValue(Path("K\\Bin"), REG_BINARY, bytes.data(), 4));
    char buffer[8] = {};
    DWORD size = sizeof buffer;
    ASSERT_TRUE(ReadRegistryValue(Path("K\\Bin"), buffer, size));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::string(buffer, size), bytes);
    size = 2;
    EXPECT_FALSE(ReadRegistryValue(Path("K\\Bin"), buffer, size));
}

TEST_F(Registry, DataIsReadWithItsTypeWhateverItsSize) {
    SetString("T", "Count", "3");
    SetDword("T", "Dword", 7);
    const std::string large(5000, 'x');
    SetRaw("T", "Large", REG_BINARY, large);
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
    };
    const Case cases[] = {
        {"Count", REG_SZ, std::string("3\0", 2)},
        {"Dword", REG_DWORD, std::string("\x07\0\0\0", 4)},
        {"Large", REG_BINARY, large},
    };
    for (const Case& c : cases) {
        DWORD type = REG_NONE;
        std::string data;
        ASSERT_TRUE(ReadRegistryData(Path(std::string("T\\") + c.name), type, data)) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(data, c.data) << c.name;
    }
    DWORD type = REG_NONE;
    std::string data;
    EXPECT_FALSE(ReadRegistryData(Path("T\\Missing"), type, data));
    EXPECT_FALSE(ReadRegistryData(Path("NoKey\\Count"), type, data));
}

TEST_F(Registry, UnrecognisedRootsFailEverywhere) {
    const std::string lower = "hkcu\\" + subKey_;
    EXPECT_FALSE(WriteRegistryInteger(lower + "\\V", 1));
    EXPECT_FALSE(KeyThere(""));
    SetDword("", "V", 5);
    EXPECT_EQ(ReadRegistryInteger(lower + "\\V", 9), 9);
    EXPECT_FALSE(RegistryValueExists(lower + "\\V"));
    EXPECT_FALSE(RegistryKeyExists(lower));
    EXPECT_FALSE(DeleteRegistryValue(lower + "\\V"));
    EXPECT_FALSE(DeleteRegistryEntry(lower));
    EXPECT_FALSE(DeleteRegistryKey(lower));
    TStringList list{"old"};
    ListRegistryValues(lower, list);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(ValueThere("", "V"));
}

// The system's calls would read such a path only up to its NUL byte and act
// on the parent key: every operation refuses it instead, and a key deletion
// cannot keep coming back to the same key.
TEST_F(Registry, PathsHoldingANulByteFailEverywhere) {
    SetDword("Vendor", "Value", 1);
    SetDword("Vendor\\Sub", "Inner", 2);
    const std::string nul(1, '\0');
    for (const std::string& path : {Path("Vendor") + nul + "junk", Path("Vendor\\Value") + nul,
                                    Path("Vendor\\'Value'") + nul + "x"}) {
        EXPECT_FALSE(RegistryKeyExists(path));
        EXPECT_FALSE(RegistryValueExists(path));
        EXPECT_FALSE(DeleteRegistryValue(path));
        EXPECT_FALSE(DeleteRegistryKey(path));
        EXPECT_FALSE(DeleteRegistryEntry(path));
        EXPECT_FALSE(WriteRegistryInteger(path, 7));
        EXPECT_EQ(ReadRegistryInteger(path, 9), 9);
    }
    EXPECT_TRUE(ValueThere("Vendor", "Value"));
    EXPECT_TRUE(ValueThere("Vendor\\Sub", "Inner"));
}

TEST_F(Registry, ExistenceOfValuesAndKeys) {
    SetDword("K", "V", 1);
    EXPECT_TRUE(RegistryValueExists(Path("K\\V")));
    EXPECT_FALSE(RegistryValueExists(Path("K\\W")));
    EXPECT_FALSE(RegistryValueExists(Path("K\\")));  // no default value yet
    SetString("K", "", "default");
    EXPECT_TRUE(RegistryValueExists(Path("K\\")));

    EXPECT_TRUE(RegistryKeyExists(Path("K")));
    EXPECT_TRUE(RegistryKeyExists(Path("K\\")));
    EXPECT_FALSE(RegistryKeyExists(Path("L")));
}

TEST_F(Registry, RootKeysAreNeverTakenForKeysToDelete) {
    SetDword("K", "V", 1);
    for (const char* root : {"HKCU", "HKCU\\", "HKCU\\\\", "HKLM", "HKU"})
        ASSERT_FALSE(RegistryKeyExists(root)) << root;
    for (const char* root : {"HKCU", "HKCU\\", "HKCU\\\\"}) {
        EXPECT_FALSE(DeleteRegistryKey(root)) << root;
        EXPECT_FALSE(DeleteRegistryEntry(root)) << root;
    }
    EXPECT_TRUE(ValueThere("K", "V"));
    // Listing a root is harmless and still allowed.
    TStringList subkeys;
    ListRegistrySubkeys("HKCU", subkeys);
    EXPECT_NE(std::find(subkeys.begin(), subkeys.end(), "Software"), subkeys.end());
}

TEST_F(Registry, QuotedValueNamesHoldBackslashesAndQuotes) {
    const std::string path = Path("Shared\\'C:\\dir\\it''s.dll'");
    ASSERT_TRUE(WriteRegistryInteger(path, 2));
    EXPECT_TRUE(ValueThere("Shared", "C:\\dir\\it's.dll"));
    EXPECT_EQ(ReadRegistryInteger(path, 0), 2);
    EXPECT_TRUE(RegistryValueExists(path));
    EXPECT_TRUE(DeleteRegistryValue(path));
    EXPECT_FALSE(ValueThere("Shared", "C:\\dir\\it's.dll"));
    EXPECT_FALSE(DeleteRegistryValue(path));
    EXPECT_FALSE(DeleteRegistryValue(Path("NoKey\\V")));
}

TEST_F(Registry, KeysAreDeletedWithEverythingBelowThem) {
    SetDword("A", "V", 1);
    SetString("A", "", "default");
    SetDword("A\\B", "V", 2);
    SetDword("A\\B\\C", "V", 3);
    SetDword("A\\B\\C\\D", "'odd\\name'", 4);
    SetDword("A\\E", "C:\\x\\y.dll", 5);
    SetDword("Sibling", "V", 6);

    EXPECT_TRUE(DeleteRegistryKey(Path("A")));
    EXPECT_FALSE(KeyThere("A"));
    EXPECT_TRUE(ValueThere("Sibling", "V"));
    EXPECT_FALSE(DeleteRegistryKey(Path("A")));

    SetDword("T\\U", "V", 1);
    EXPECT_TRUE(DeleteRegistryKey(Path("T\\")));  // trailing backslash: the same key
    EXPECT_FALSE(KeyThere("T"));
}

// A symbolic link below a key being deleted, or named itself, goes as a link:
// the key it points to keeps its values and subkeys.
TEST_F(Registry, LinksAreDeletedAsLinksAndTheirTargetsStay) {
    const std::string target = "Software\\TamskTest\\LinkTarget";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, target.c_str());
    UniqueHkey targetKey;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, (target + "\\Sub").c_str(), targetKey.put()),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(targetKey.get(), "V", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("kept"), 5),
              ERROR_SUCCESS);
    const std::wstring native = L"\\Registry\\Machine\\Software\\TamskTest\\LinkTarget";
    const char* const links[] = {"Tree\\Link", "Alone"};
    // A link left by an earlier run: the wipe cannot remove it, as it follows it.
    for (const char* name : links) DeleteLinkRaw(name);
    Wipe();
    for (const char* name : links) {
        UniqueHkey link;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Sub(name).c_str(), 0, nullptr,
                                  REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                                  nullptr, link.put(), nullptr),
                  ERROR_SUCCESS)
            << name;
        ASSERT_EQ(RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                                 reinterpret_cast<const BYTE*>(native.data()),
                                 static_cast<DWORD>(native.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    SetDword("Tree", "Own", 1);
    ASSERT_TRUE(ValueThere("Tree\\Link\\Sub", "V"));  // reached through the link

    EXPECT_TRUE(DeleteRegistryKey(Path("Tree")));
    EXPECT_TRUE(DeleteRegistryKey(Path("Alone")));
    EXPECT_FALSE(KeyThere("Tree"));
    EXPECT_FALSE(KeyThere("Alone"));
    UniqueHkey sub;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (target + "\\Sub").c_str(), 0, KEY_READ,
                            sub.put()),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(sub.get(), "V", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    sub.reset();
    for (const char* name : links) DeleteLinkRaw(name);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, target.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, target.c_str());
}

TEST_F(Registry, KeyWithAnUnpairedQuoteInItsNameIsDeleted) {
    SetDword("it's", "V", 1);
    SetDword("it's\\sub", "V", 2);
    EXPECT_TRUE(RegistryKeyExists(Path("it's")));
    EXPECT_TRUE(DeleteRegistryKey(Path("it's")));
    EXPECT_FALSE(KeyThere("it's"));
}

// The same answers from each entry deletion, one call after another; the
// deleter that keeps its last key open also meets the key it holds being
// deleted, and a value asked for in it afterwards.
TEST_F(Registry, EntryIsAValueFirstThenAKey) {
    TRegistryEntryDeleter deleter;
    const std::function<bool(const std::string&)> means[] = {
        [](const std::string& path) { return DeleteRegistryEntry(path); },
        [&deleter](const std::string& path) { return deleter.Delete(path); }};
    for (const auto& Delete : means) {
        // Y is both a value of X and a subkey of X: the value goes, the key stays.
        SetDword("X", "Y", 1);
        SetDword("X\\Y", "V", 2);
        EXPECT_TRUE(Delete(Path("X\\Y")));
        EXPECT_FALSE(ValueThere("X", "Y"));
        EXPECT_TRUE(ValueThere("X\\Y", "V"));
        // No value Y any more: now the key goes, with its values.
        EXPECT_TRUE(Delete(Path("X\\Y")));
        EXPECT_FALSE(KeyThere("X\\Y"));
        EXPECT_FALSE(Delete(Path("X\\Y")));

        // A trailing backslash names the default value; without one, the key.
        SetString("D", "", "default");
        SetDword("D", "V", 1);
        SetDword("D", "W", 2);
        EXPECT_TRUE(Delete(Path("D\\V")));
        EXPECT_TRUE(Delete(Path("D\\")));
        EXPECT_TRUE(ValueThere("D", "W"));
        EXPECT_FALSE(ValueThere("D", ""));
        EXPECT_TRUE(Delete(Path("D\\")));
        EXPECT_FALSE(KeyThere("D"));
        EXPECT_FALSE(Delete(Path("D\\W")));
        // A key made again under the same name is a new key.
        SetDword("D", "W", 3);
        EXPECT_TRUE(Delete(Path("D\\W")));
        EXPECT_FALSE(ValueThere("D", "W"));
        Wipe();
    }
}

TEST_F(Registry, ListingsOfSubkeysAndValueNames) {
    SetDword("K\\S1", "V", 1);
    SetDword("K\\S2", "V", 1);
    SetDword("K", "a", 1);
    SetString("K", "b", "x");
    const std::string longName(2000, 'n');
    SetDword("K", longName, 1);

    TStringList list{"stale"};
    ListRegistrySubkeys(Path("K"), list);
    EXPECT_EQ(Sorted(list), (TStringList{"S1", "S2"}));
    ListRegistryValueNames(Path("K\\"), list);
    EXPECT_EQ(Sorted(list), (TStringList{"a", "b", longName}));
    ListRegistrySubkeys(Path("Missing"), list);
    EXPECT_TRUE(list.empty());
}

TEST_F(Registry, ValueListingsShowStringsAndNumbersOnly) {
    SetString("F", "Arial (TrueType)", "arial.ttf");
    SetRaw("F", "Expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\x.fon") + '\0');
    SetRaw("F", "Unterminated", REG_SZ, "abc");
    SetRaw("F", "EmbeddedZero", REG_SZ, std::string("ab\0cd", 6));
    SetDword("F", "Negative", static_cast<std::uint32_t>(-2));
    SetDword("F", "Wide", 0x12345);
    SetRaw("F", "ShortDword", REG_DWORD, std::string("\x05\x01", 2));
    SetRaw("F", "Binary", REG_BINARY, std::string("\x01\x02", 2));
    SetRaw("F", "Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    const std::string longText(3000, 't');
    SetString("F", "Long", longText);

    TStringList list{"stale"};
    ListRegistryValues(Path("F"), list);
    EXPECT_EQ(Sorted(list), Sorted({"Arial (TrueType)=arial.ttf", "Expand=%SystemRoot%\\x.fon",
                                    "Unterminated=abc", "EmbeddedZero=ab", "Negative=-2",
                                    "Wide=74565", "ShortDword=261", "Long=" + longText}));

    ListRegistryValues(Path("Missing"), list);
    EXPECT_TRUE(list.empty());
}

namespace {

// Twin keys in both views of HKLM\SOFTWARE (HKCU\Software is one key for
// both views), set up and checked without the code under test.
class RegistryViews : public ::testing::Test {
protected:
    const std::string kSub = "SOFTWARE\\TamskTest\\Views";

    void SetUp() override { Wipe(); }
    void TearDown() override { Wipe(); }

    void Wipe() {
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            UniqueHkey parent;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TamskTest", 0,
                              KEY_ALL_ACCESS | view, parent.put()) == ERROR_SUCCESS) {
                RegDeleteTreeA(parent.get(), "Views");
                RegDeleteKeyExA(parent.get(), "Views", view, 0);
            }
        }
    }
    void SetTwin(REGSAM view, const std::string& key, const std::string& name) {
        UniqueHkey h;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kSub + key).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS | view, nullptr, h.put(), nullptr),
                  ERROR_SUCCESS);
        const DWORD one = 1;
        ASSERT_EQ(RegSetValueExA(h.get(), name.c_str(), 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&one), sizeof one),
                  ERROR_SUCCESS);
    }
    bool ValueIn(REGSAM view, const std::string& key, const std::string& name) {
        UniqueHkey h;
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kSub + key).c_str(), 0, KEY_READ | view,
                             h.put()) == ERROR_SUCCESS &&
               RegQueryValueExA(h.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                   ERROR_SUCCESS;
    }
    bool KeyIn(REGSAM view, const std::string& key) {
        UniqueHkey h;
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kSub + key).c_str(), 0, KEY_READ | view,
                             h.put()) == ERROR_SUCCESS;
    }
    void SetBothTwins() {
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            SetTwin(view, "", "V");
            SetTwin(view, "\\Deep\\Deeper", "W");
        }
    }
};

// Each operation acts in the view it is given, or in the one its root
// names, and leaves the twin of the other view alone.
TEST_F(RegistryViews, EveryOperationActsInItsOwnViewOnly) {
    const std::string path = "HKLM\\" + kSub;
    SetBothTwins();
    EXPECT_TRUE(RegistryValueExists(path + "\\V", TView::Bits32));
    TRegistryEntryDeleter deleter32(TView::Bits32);
    EXPECT_TRUE(deleter32.Delete(path + "\\V"));
    EXPECT_FALSE(ValueIn(KEY_WOW64_32KEY, "", "V"));
    EXPECT_TRUE(ValueIn(KEY_WOW64_64KEY, "", "V"));
    // The tree deletion opens every subkey in the view too.
    EXPECT_TRUE(DeleteRegistryKey(path, TView::Bits32));
    EXPECT_FALSE(KeyIn(KEY_WOW64_32KEY, ""));
    EXPECT_TRUE(ValueIn(KEY_WOW64_64KEY, "\\Deep\\Deeper", "W"));

    // A root with a view wins over the view asked for.
    SetBothTwins();
    EXPECT_TRUE(DeleteRegistryEntry("HKLM64\\" + kSub + "\\Deep\\Deeper\\W", TView::Bits32));
    EXPECT_FALSE(ValueIn(KEY_WOW64_64KEY, "\\Deep\\Deeper", "W"));
    EXPECT_TRUE(ValueIn(KEY_WOW64_32KEY, "\\Deep\\Deeper", "W"));
    TRegistryEntryDeleter deleter64(TView::Bits64);
    EXPECT_TRUE(deleter64.Delete("HKLM32\\" + kSub + "\\Deep"));
    EXPECT_FALSE(KeyIn(KEY_WOW64_32KEY, "\\Deep"));
    EXPECT_TRUE(KeyIn(KEY_WOW64_64KEY, "\\Deep"));

    // Writes go to the view as well.
    EXPECT_TRUE(WriteRegistryInteger(path + "\\Count", 7, TView::Bits32));
    EXPECT_EQ(ReadRegistryInteger(path + "\\Count", 0, TView::Bits32), 7);
    EXPECT_FALSE(ValueIn(KEY_WOW64_64KEY, "", "Count"));
}

}  // namespace
