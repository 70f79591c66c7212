// The RAII owners of win/handles.h: each releases what it owns exactly once.
#include "win/handles.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

std::string TempPath(const char* name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + name;
}

HANDLE OpenExclusive(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A file opened without sharing can be opened again only once it is closed.
bool IsFileFree(const std::string& path) {
    HANDLE h = OpenExclusive(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

TEST(UniqueFile, ClosesOnScopeExitAndMovesOwnership) {
    const std::string path = TempPath("tamsk-handles-file.txt");
    {
        UniqueFile file(OpenExclusive(path));
        ASSERT_TRUE(file);
        EXPECT_FALSE(IsFileFree(path));
        UniqueFile other(std::move(file));
        EXPECT_FALSE(file);
        EXPECT_TRUE(other);
        UniqueFile third;
        third = std::move(other);
        EXPECT_FALSE(IsFileFree(path));
    }
    EXPECT_TRUE(IsFileFree(path));

    HANDLE raw = nullptr;
    {
        UniqueFile file(OpenExclusive(path));
        raw = file.release();
        EXPECT_FALSE(file);
    }
    EXPECT_FALSE(IsFileFree(path));
    CloseHandle(raw);

    UniqueFile file(OpenExclusive(path));
    file.reset();
    EXPECT_TRUE(IsFileFree(path));
    EXPECT_FALSE(UniqueFile(INVALID_HANDLE_VALUE));
    DeleteFileA(path.c_str());
}

TEST(UniqueHandle, ClosesTheLastReferenceToANamedEvent) {
    const char* name = "tamsk-handles-event";
    {
        UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, name));
        ASSERT_TRUE(event);
        UniqueHandle opened(OpenEventA(SYNCHRONIZE, FALSE, name));
        EXPECT_TRUE(opened);
    }
    UniqueHandle gone(OpenEventA(SYNCHRONIZE, FALSE, name));
    EXPECT_FALSE(gone);
}

TEST(UniqueFind, ClosesTheSearch) {
    // An open search holds its directory, which cannot be removed meanwhile.
    const std::string dir = TempPath("tamsk-handles-find");
    CreateDirectoryA(dir.c_str(), nullptr);
    WIN32_FIND_DATAA data;
    {
        UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &data));
        ASSERT_TRUE(find);
        EXPECT_FALSE(RemoveDirectoryA(dir.c_str()));
    }
    EXPECT_TRUE(RemoveDirectoryA(dir.c_str()));
    EXPECT_FALSE(UniqueFind(FindFirstFileA((dir + "\\*").c_str(), &data)));
}

TEST(UniqueHkey, ClosesOpenedKeysButNeverPredefinedRoots) {
    HKEY raw = nullptr;
    {
        UniqueHkey key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()),
                  ERROR_SUCCESS);
        ASSERT_TRUE(key);
        raw = key.get();
    }
    DWORD subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);

    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                      HKEY_CURRENT_CONFIG}) {
        EXPECT_TRUE(handle_traits::Hkey::isPredefined(root));
        { UniqueHkey wrapped(root); }
    }
    UniqueHkey again;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, again.put()),
              ERROR_SUCCESS);
}

LRESULT CALLBACK PassHook(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(UniqueHook, UnhooksOnScopeExit) {
    HHOOK raw = nullptr;
    {
        UniqueHook hook(SetWindowsHookExA(WH_CBT, PassHook, nullptr, GetCurrentThreadId()));
        ASSERT_TRUE(hook);
        raw = hook.get();
    }
    EXPECT_FALSE(UnhookWindowsHookEx(raw));
}

TEST(UniqueModule, FreesTheLibrary) {
    const char* name = "msimg32.dll";
    ASSERT_EQ(GetModuleHandleA(name), nullptr);
    {
        UniqueModule module(LoadLibraryA(name));
        ASSERT_TRUE(module);
        EXPECT_NE(GetModuleHandleA(name), nullptr);
    }
    EXPECT_EQ(GetModuleHandleA(name), nullptr);
}

TEST(GdiObject, DeletesTheObject) {
    HBRUSH raw = nullptr;
    {
        GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
        ASSERT_TRUE(brush);
        raw = brush.get();
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(MemoryDc, DeletesTheContext) {
    HDC raw = nullptr;
    {
        MemoryDc dc(CreateCompatibleDC(nullptr));
        ASSERT_TRUE(dc);
        raw = dc.get();
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(MappedView, UnmapsTheView) {
    UniqueHandle mapping(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr));
    ASSERT_TRUE(mapping);
    void* raw = nullptr;
    {
        MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
        ASSERT_TRUE(view);
        raw = view.get();
        *static_cast<volatile char*>(raw) = 1;
    }
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(VirtualQuery(raw, &info, sizeof info), 0u);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
}

TEST(SelectGuard, RestoresThePreviousObjectBeforeItsOwnerDies) {
    MemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BRUSH);
    HBRUSH raw = nullptr;
    {
        GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(4, 5, 6)));
        raw = brush.get();
        SelectGuard select(dc.get(), brush.get());
        EXPECT_TRUE(select);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), brush.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), original);
    EXPECT_EQ(GetObjectType(raw), 0u);  // deselected first, so it could be deleted
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A message-only window: it needs no display and is never shown.
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 50, 20, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = nullptr;
};

TEST_F(WindowTest, WindowDcIsReleasedToItsWindow) {
    for (WindowDc::Area area : {WindowDc::Whole, WindowDc::Client}) {
        HDC raw = nullptr;
        {
            WindowDc dc(window_, area);
            ASSERT_TRUE(dc);
            raw = dc.get();
            EXPECT_NE(GetObjectType(raw), 0u);
        }
        // A context that was already given back cannot be released again.
        EXPECT_EQ(ReleaseDC(window_, raw), 0);
    }
}

TEST_F(WindowTest, PaintDcEndsThePaint) {
    HDC raw = nullptr;
    {
        PaintDc paint(window_);
        ASSERT_TRUE(paint);
        raw = paint.get();
    }
    // EndPaint gave the context back.
    EXPECT_EQ(ReleaseDC(window_, raw), 0);
}

}  // namespace
