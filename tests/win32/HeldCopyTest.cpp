// What keeps the temporary copy of the program from being swapped, and the
// one rule for "the same file": a held file that no one else can write,
// rename or delete and that goes with its last handle; a private folder
// that admits only its owners; one identity for every spelling of a file.
#include <gtest/gtest.h>
#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "win/epPathIdentity.h"
#include "win/epHeldFile.h"
#include "win/epPrivateSecurity.h"
#include "win/epSharedValues.h"

namespace {

class HeldCopy : public TempDirTest {};

// The accounts that an entry of a DACL allows full access, inherited below,
// sorted; and whether the DACL is protected from the parent's rules.
struct TFolderRights {
    std::vector<std::string> Allowed;
    bool Protected = false;
};

// The rights a security descriptor gives.
TFolderRights ReadRights(PSECURITY_DESCRIPTOR descriptor) {
    TFolderRights rights;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (GetSecurityDescriptorControl(descriptor, &control, &revision))
        rights.Protected = (control & SE_DACL_PROTECTED) != 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present) return rights;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace) ||
            static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        // Full access, and inherited by what the folder will hold.
        const BYTE inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
        if ((allowed->Mask & FILE_ALL_ACCESS) != FILE_ALL_ACCESS ||
            (allowed->Header.AceFlags & inherit) != inherit)
            continue;
        char* text = nullptr;
        if (!ConvertSidToStringSidA(const_cast<DWORD*>(&allowed->SidStart), &text)) continue;
        rights.Allowed.emplace_back(text);
        LocalFree(text);
    }
    std::sort(rights.Allowed.begin(), rights.Allowed.end());
    return rights;
}

std::string CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
    std::vector<unsigned char> user(256);
    DWORD size = 0;
    const bool read = GetTokenInformation(token, TokenUser, user.data(),
                                          static_cast<DWORD>(user.size()), &size);
    CloseHandle(token);
    char* text = nullptr;
    if (!read || !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
        return std::string();
    std::string sid = text;
    LocalFree(text);
    return sid;
}

}  // namespace

// Held, the copy can be read (and so started) but not written, renamed or
// deleted by anyone; its mover takes it out of its folder, and it is gone
// with the hold.
TEST_F(HeldCopy, HeldFileResistsEveryChangeAndGoesWithItsHold) {
    const std::string path = PathOf("UnVrel.exe");
    const std::string moved = PathOf("moved.tmp");
    UniqueFile hold = WriteHeldFile(path, "program bytes");
    ASSERT_TRUE(hold);
    EXPECT_EQ(ReadBytes(path), std::optional<std::string>("program bytes"));
    const struct {
        DWORD access;
        const char* what;
    } opens[] = {{GENERIC_WRITE, "write"}, {DELETE, "delete"}, {FILE_APPEND_DATA, "append"}};
    for (const auto& open : opens) {
        const UniqueFile other(CreateFileA(path.c_str(), open.access, 7, nullptr, OPEN_EXISTING, 0,
                                           nullptr));
        EXPECT_FALSE(other) << open.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << open.what;
    }
    EXPECT_FALSE(MoveFileA(path.c_str(), PathOf("swapped.exe").c_str()));
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    // A file that is already there is never taken for a copy.
    EXPECT_FALSE(WriteHeldFile(path, "other bytes"));

    ASSERT_TRUE(RenameHeldFile(hold.get(), moved));
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(Exists(moved));
    hold.reset();
    EXPECT_FALSE(Exists(moved));
}

// An elevated run's folder admits only the Administrators and the system,
// any other run's only its user; neither inherits the parent's rules. Wine
// here does not keep the security a folder is created with (it gives every
// folder its defaults), so the descriptor the folder is created with is
// what is checked, and that the system takes it.
TEST_F(HeldCopy, PrivateFolderAdmitsOnlyItsOwners) {
    const std::string user = CurrentUserSid();
    ASSERT_FALSE(user.empty());
    const struct {
        TPrivateTo who;
        std::vector<std::string> allowed;
    } cases[] = {
        {TPrivateTo::Administrators, {"S-1-5-18", "S-1-5-32-544"}},
        {TPrivateTo::CurrentUser, {user}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string folder = PathOf("private" + std::to_string(++n));
        TPrivateSecurity security(c.who);
        ASSERT_NE(security.get(), nullptr);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), security.get()));
        const TFolderRights rights = ReadRights(security.get()->lpSecurityDescriptor);
        EXPECT_EQ(rights.Allowed, c.allowed) << folder;
        EXPECT_TRUE(rights.Protected) << folder;
        EXPECT_FALSE(security.get()->bInheritHandle);
        EXPECT_TRUE(WriteHeldFile(folder + "\\UnVrel.exe", "x")) << folder;
    }
}

// The one rule for "the same file": identity when both exist, the path's
// identity otherwise.
TEST_F(HeldCopy, SameFileByIdentityWhenBothExist) {
    const std::string file = Write("Long Name Of A Log.txt");
    const std::string other = Write("other.txt");
    char shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(file.c_str(), shortName, MAX_PATH), 0u);
    const struct {
        std::string a;
        std::string b;
        bool same;
    } cases[] = {
        {file, shortName, true},
        {file, "\\\\?\\" + file, true},
        {file, PathOf(".\\LONG NAME OF A LOG.TXT"), true},
        {dir_, dir_ + "\\", true},
        {file, other, false},
        {PathOf("missing.txt"), PathOf("MISSING.TXT"), true},
        {PathOf("missing.txt"), PathOf("missing2.txt"), false},
        {file, PathOf("missing.txt"), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSameFilePath(c.a, c.b), c.same) << c.a << " / " << c.b;
}

// Values shared by name: a name that exists is not trusted by a maker that
// needs it new, and a reader cannot write.
TEST_F(HeldCopy, SharedValuesAreReadByNameAndNeverTakenOver) {
    const std::string name = "Local\\TamskTest.Values." + std::to_string(GetCurrentProcessId());
    const TSharedValues made = TSharedValues::Create(name, true);
    ASSERT_TRUE(made);
    EXPECT_FALSE(TSharedValues::Create(name, true));
    EXPECT_TRUE(made.Write(1, 0x123456789ull));
    EXPECT_FALSE(made.Write(TSharedValues::kSlots, 1));
    const TSharedValues reader = TSharedValues::Open(name, false);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader.Read(0), std::optional<std::uint64_t>(0));
    EXPECT_EQ(reader.Read(1), std::optional<std::uint64_t>(0x123456789ull));
    EXPECT_FALSE(reader.Write(0, 5));
    EXPECT_FALSE(TSharedValues::Open(name + ".none", false));
}
