// The "RegFonts" and "RegServers" phases as a run of the uninstaller shows
// them: fonts-key values, the font-change broadcast that a window of this
// process counts, and the stand-in OLE servers recording how they were used.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "../support/OleTestSupport.h"
#include "CaseFixture.h"

using namespace e2e;

namespace {

const std::string kFixtureDir = TAMSK_OLE_FIXTURE_DIR;
const char* const kFontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* const kOrderVariable = "TAMSK_OLE_FIXTURE_LOG";

// The first line that another process writes to the file, once it is
// complete; nothing at the deadline.
std::optional<std::string> WaitForRecordedLine(const std::string& path) {
    const DWORD start = GetTickCount();
    for (;;) {
        const std::optional<std::string> bytes = ReadFileBytes(path);
        const size_t end = bytes ? bytes->find("\r\n") : std::string::npos;
        if (end != std::string::npos) return bytes->substr(0, end);
        if (GetTickCount() - start > kWindowDeadlineMs) return std::nullopt;
        Sleep(kPollMs);
    }
}

// A hidden top-level window on a thread of its own that counts the
// WM_FONTCHANGE messages reaching it. Its own thread keeps reading messages
// while the test thread waits for the uninstaller.
class FontChangeCounter {
public:
    FontChangeCounter() {
        ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        blocked_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        release_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        thread_.reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
        if (thread_) WaitForSingleObject(ready_.get(), 10000);
    }
    ~FontChangeCounter() {
        Unblock();
        if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (thread_) WaitForSingleObject(thread_.get(), 10000);
    }
    FontChangeCounter(const FontChangeCounter&) = delete;
    FontChangeCounter& operator=(const FontChangeCounter&) = delete;

    bool ready() const { return window_ != nullptr; }
    int count() const { return count_; }

    // Makes the window's thread stop reading messages, as a program that
    // hangs, until Unblock; true once it has stopped.
    bool Block() {
        return PostMessageA(window_, kBlockMessage, 0, 0) &&
               WaitForSingleObject(blocked_.get(), 10000) == WAIT_OBJECT_0;
    }
    void Unblock() { SetEvent(release_.get()); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<FontChangeCounter*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_FONTCHANGE && self != nullptr) ++self->count_;
        if (message == kBlockMessage && self != nullptr) {
            SetEvent(self->blocked_.get());
            WaitForSingleObject(self->release_.get(), 60000);
        }
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    }

    static DWORD WINAPI Run(LPVOID parameter) {
        auto* self = static_cast<FontChangeCounter*>(parameter);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TamskFontChangeCounter";
        RegisterClassA(&windowClass);  // already there from an earlier case: fine
        HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10,
                                      10, nullptr, nullptr, windowClass.hInstance, nullptr);
        if (window != nullptr) {
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->window_ = window;
        }
        SetEvent(self->ready_.get());
        if (window == nullptr) return 1;
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        return 0;
    }

    static constexpr UINT kBlockMessage = WM_APP + 1;

    std::atomic<int> count_{0};
    std::atomic<HWND> window_{nullptr};
    UniqueHandle ready_;
    UniqueHandle blocked_;
    UniqueHandle release_;
    UniqueHandle thread_;
};

class OleFonts : public UninstallerCase {
protected:
    void TearDown() override {
        SetEnvironmentVariableA(kOrderVariable, nullptr);
        for (const std::string& name : fontValues) DeleteValue(HKEY_LOCAL_MACHINE, kFontsKey, name);
        for (const std::string& name : sharedValues) {
            for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
                DeleteValue(HKEY_LOCAL_MACHINE, kCounters, name, view);
        }
        for (const std::string& guid : libraries) {
            RegDeleteTreeA(HKEY_CLASSES_ROOT, ("TypeLib\\" + guid).c_str());
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ("TypeLib\\" + guid).c_str());
        }
        UninstallerCase::TearDown();
    }

    // A fonts-key value of this case (name made unique), holding data.
    std::string AddFontValue(const std::string& suffix, const std::string& data) {
        const std::string name = "TamskE2E " + TestName() + " " + suffix;
        fontValues.push_back(name);
        EXPECT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kFontsKey, name, data));
        return name;
    }

    bool HasFontValue(const std::string& name) const {
        return ValueExists(HKEY_LOCAL_MACHINE, kFontsKey, name);
    }

    // A use count above 1, so that the SharedFiles phase keeps the file
    // without asking; in the view of the log that names it.
    void SetSharedCount(const std::string& path, DWORD count, REGSAM view = kOldLogView) {
        sharedValues.push_back(path);
        ASSERT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, kCounters, path, count, view));
    }

    std::string CopyFixture(const std::string& fixture, const std::string& name) {
        const std::string target = dir + "\\" + name;
        const std::optional<std::string> bytes = ReadFileBytes(kFixtureDir + "\\" + fixture);
        EXPECT_TRUE(bytes) << fixture;
        EXPECT_TRUE(WriteFileBytes(target, bytes.value_or(std::string())));
        return target;
    }

    // A new type library at path, registered; its guid text.
    std::string MakeRegisteredTypeLibrary(const std::string& path) {
        GUID guid = {};
        EXPECT_EQ(CoCreateGuid(&guid), S_OK);
        wchar_t guidText[64] = {};
        StringFromGUID2(guid, guidText, 64);
        std::string text;
        for (const wchar_t* p = guidText; *p != L'\0'; ++p) text += static_cast<char>(*p);
        libraries.push_back(text);

        const std::wstring file = Wide(path);
        ICreateTypeLib2* create = nullptr;
        EXPECT_EQ(CreateTypeLib2(kSysKind, file.c_str(), &create), S_OK);
        if (create == nullptr) return text;
        create->SetGuid(guid);
        create->SetVersion(1, 0);
        create->SetName(const_cast<LPOLESTR>(L"TamskE2ELibrary"));
        EXPECT_EQ(create->SaveAllChanges(), S_OK);
        create->Release();
        ITypeLib* library = nullptr;
        EXPECT_EQ(LoadTypeLib(file.c_str(), &library), S_OK);
        if (library != nullptr) {
            EXPECT_EQ(RegisterTypeLib(library, const_cast<LPOLESTR>(file.c_str()), nullptr),
                      S_OK);
            library->Release();
        }
        return text;
    }

    static bool IsTypeLibraryRegistered(const std::string& guid) {
        return KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\" + guid + "\\1.0");
    }

    std::vector<std::string> fontValues;
    std::vector<std::string> sharedValues;
    std::vector<std::string> libraries;
};

// The fonts are those of the Windows fonts directory, whose values may hold
// the bare file name (no file is deleted by this phase).
TEST_F(OleFonts, FontValuesNamingTheFileByPathOrNameInAnyCaseGoAndOneBroadcastIsSent) {
    const std::string fonts = WindowsDir() + "\\Fonts\\";
    const std::string font = fonts + "TamskX.TTF";
    const std::string other = fonts + "TamskOther.ttf";
    const std::string byPath = AddFontValue("by path", font);
    const std::string byUpperPath = AddFontValue("by upper path", Upper(font));
    const std::string byName = AddFontValue("by name", "TAMSKX.TTF");
    const std::string byLowerName = AddFontValue("by lower name", "tamskx.ttf");
    // Names that the registry path grammar would otherwise split or unquote.
    const std::string slashed = AddFontValue("back\\slash", font);
    const std::string quoted = AddFontValue("'quoted' it's", "TamskX.ttf");
    const std::string longer = AddFontValue("longer name", "XTAMSKX.TTF");
    const std::string otherByName = AddFontValue("other", "TAMSKOTHER.TTF");
    const std::string unrelated = AddFontValue("unrelated", "TamskY.TTF");
    ASSERT_TRUE(WriteFileBytes(log, "[RegFonts]\r\n" + font + "=1\r\n" + other + "=1\r\n"));
    FontChangeCounter counter;
    ASSERT_TRUE(counter.ready());

    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines, (Lines{kFontsLine, kDone}));
    EXPECT_EQ(counter.count(), 1);
    EXPECT_FALSE(HasFontValue(byPath));
    EXPECT_FALSE(HasFontValue(byUpperPath));
    EXPECT_FALSE(HasFontValue(byName));
    EXPECT_FALSE(HasFontValue(byLowerName));
    EXPECT_FALSE(HasFontValue(otherByName));
    EXPECT_FALSE(HasFontValue(slashed));
    EXPECT_FALSE(HasFontValue(quoted));
    EXPECT_TRUE(HasFontValue(longer));
    EXPECT_TRUE(HasFontValue(unrelated));
}

TEST_F(OleFonts, KeptSharedFontKeepsItsValueAndStillBroadcasts) {
    // In the fonts directory, so that its bare-name value would go too.
    const std::string font = WindowsDir() + "\\Fonts\\TamskShared.ttf";
    const std::string kept = AddFontValue("kept", "TamskShared.ttf");
    // Listed in other letter case among the shared files: still the same file.
    SetSharedCount(Upper(font), 3);
    ASSERT_TRUE(WriteFileBytes(log, "[SharedFiles]\r\n" + Upper(font) + "=1\r\n[RegFonts]\r\n" +
                                        font + "=1\r\n"));
    FontChangeCounter counter;
    ASSERT_TRUE(counter.ready());

    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines, (Lines{kSharedLine, kFontsLine, kDone}));
    EXPECT_TRUE(HasFontValue(kept));
    EXPECT_EQ(counter.count(), 1);
}

TEST_F(OleFonts, FontFileWithWildcardsOrWithoutNameDeletesNoValue) {
    // Taken as masks, these lines would match the values of other fonts.
    const std::string some = AddFontValue("some", "TamskA.ttf");
    const std::string empty = AddFontValue("empty", "");
    ASSERT_TRUE(WriteFileBytes(log, "[RegFonts]\r\n" + dir + "\\Tamsk?.ttf=1\r\n" + dir +
                                        "\\Tamsk*=1\r\n" + dir + "\\=1\r\n"));
    FontChangeCounter counter;
    ASSERT_TRUE(counter.ready());

    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines, (Lines{kFontsLine, kDone}));
    EXPECT_TRUE(HasFontValue(some));
    EXPECT_TRUE(HasFontValue(empty));
    EXPECT_EQ(counter.count(), 1);
}

TEST_F(OleFonts, WindowThatStopsReadingMessagesCannotHoldTheRunUp) {
    const std::string font = dir + "\\Fonts\\X.TTF";
    const std::string value = AddFontValue("by path", font);
    ASSERT_TRUE(WriteFileBytes(log, "[RegFonts]\r\n" + font + "=1\r\n"));
    FontChangeCounter counter;
    ASSERT_TRUE(counter.ready());
    ASSERT_TRUE(counter.Block());

    const ScenarioResult r = RunToTheEnd();
    counter.Unblock();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines, (Lines{kFontsLine, kDone}));
    EXPECT_FALSE(HasFontValue(value));
}

TEST_F(OleFonts, EmptyOrMissingFontSectionSendsNoBroadcast) {
    const std::string font = dir + "\\Fonts\\X.TTF";
    const std::string value = AddFontValue("untouched", font);
    FontChangeCounter counter;
    ASSERT_TRUE(counter.ready());

    ASSERT_TRUE(WriteFileBytes(log, "[RegFonts]\r\n[CreateKeys]\r\n"));
    ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines, (Lines{kDone}));

    ASSERT_TRUE(WriteFileBytes(log, "[Display]\r\nFontName=Arial\r\n"));
    r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    EXPECT_EQ(r.seen[1].lines, (Lines{kDone}));

    EXPECT_EQ(counter.count(), 0);
    EXPECT_TRUE(HasFontValue(value));
}

TEST_F(OleFonts, ServersAreUnregisteredOnceInSectionOrderExceptKeptOnes) {
    const std::string order = dir + "\\order.txt";
    ASSERT_TRUE(SetEnvironmentVariableA(kOrderVariable, order.c_str()));
    const std::string second = CopyFixture("OleServerFalse.dll", "second.ocx");
    const std::string kept = CopyFixture("OleServerOk.dll", "kept.dll");
    const std::string first = CopyFixture("OleServerOk.dll", "first.dll");
    const std::string failing = CopyFixture("OleServerFail.dll", "failing.dll");
    const std::string noExport = CopyFixture("OleNoExport.dll", "noexport.dll");
    const std::string program = CopyFixture("OleServerExe.exe", "My Server\\Srv Exe.EXE");
    const std::string library = dir + "\\types.tlb";
    const std::string guid = MakeRegisteredTypeLibrary(library);
    ASSERT_TRUE(IsTypeLibraryRegistered(guid));
    // The type library this 64-bit test program registers is a 64-bit one:
    // the log says so.
    SetSharedCount(kept, 2, KEY_WOW64_64KEY);
    const std::string missing = dir + "\\missing.dll";
    ASSERT_TRUE(WriteFileBytes(
        log, "[Options]\r\nView=64\r\n[SharedFiles]\r\n" + Upper(kept) + "=1\r\n[RegServers]\r\n" + first + "=1\r\n" +
                 missing + "=1\r\n" + kept + "=1\r\n" + failing + "=1\r\n" + noExport + "=1\r\n" +
                 library + "=1\r\n" + program + "=1\r\n" + second + "=1\r\n"));

    const ScenarioResult r = RunToTheEnd();
    ASSERT_TRUE(r.ok) << Describe(r);
    // The server whose export fails and the one without an export (nor a type
    // library) stay registered, and the line says so; the missing one is absent.
    EXPECT_EQ(r.seen[1].lines,
              (Lines{kSharedLine, "Rimozione dei server OLE... elementi non rimossi: 2", kDone}));
    EXPECT_EQ(ReadFileBytes(order),
              std::optional<std::string>(first + "\r\n" + failing + "\r\n" + second + "\r\n"));
    EXPECT_EQ(ReadFileBytes(first + ".log"), std::optional<std::string>("DllUnregisterServer\r\n"));
    EXPECT_FALSE(FileExists(kept + ".log"));
    EXPECT_FALSE(FileExists(noExport + ".log"));
    EXPECT_FALSE(IsTypeLibraryRegistered(guid));

    const std::optional<std::string> started = WaitForRecordedLine(program + ".log");
    ASSERT_TRUE(started) << "the server program was not started";
    // Wine quotes the program name it found; the switch follows the path directly.
    std::string line = *started;
    if (!line.empty() && line[0] == '"') line.erase(line.find('"', 1), 1).erase(0, 1);
    EXPECT_EQ(line, program + " /UNREGSERVER");
}

// A server program is waited for, so CopyFiles finds its file free: removed,
// not put off to the restart.
TEST_F(OleFonts, SlowServerProgramIsWaitedForAndItsFileRemovedInTheSameRun) {
    const std::string program = CopyFixture("OleServerSlowExe.exe", "slowsrv.exe");
    ASSERT_TRUE(ClearPendingRenames());
    ASSERT_TRUE(WriteFileBytes(log, "[RegServers]\r\n" + program + "=1\r\n[CopyFiles]\r\n" +
                                        program + "=1\r\n"));
    const Process p = StartProgram(kUninstaller, "/S " + Quote(log));
    ASSERT_TRUE(p);
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(0));
    EXPECT_FALSE(FileExists(program));
    EXPECT_TRUE(ReadPendingRenames().empty()) << ::testing::PrintToString(ReadPendingRenames());
    EXPECT_TRUE(FileExists(program + ".log")) << "the server program did not finish";
}

}  // namespace
