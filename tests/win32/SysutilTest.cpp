// The centred message boxes, window centring and the message pump, under Wine
// with a display. A watcher thread finds each box by class, reads it and
// presses its button; when a box never shows up or never closes, the watcher
// ends the box's modal loop with WM_QUIT so that the test fails instead of hanging.
#include "win/sysutil.h"
#include "win/handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kBoxTimeoutMs = 15000;
constexpr UINT kShowProbeWindow = WM_APP + 1;
constexpr UINT kCounted = WM_APP + 2;
const char kTestClass[] = "TamskSysutilTest";

// Polls condition every 10 ms until it holds or timeoutMs has passed.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

// Window text read from any thread without risk of blocking forever.
std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_BLOCK, 5000, &copied)) {
        return {};
    }
    text.resize(std::min<size_t>(copied, length));
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "}";
}

// Where a window of r's size belongs: centred in the work area, kept on screen.
RECT ExpectedCentred(const RECT& r) {
    RECT wa{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    TRect t = CentredRect(TRect{wa.left, wa.top, wa.right, wa.bottom}, r.right - r.left,
                          r.bottom - r.top);
    KeepOnScreen(t, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return RECT{t.Left, t.Top, t.Right, t.Bottom};
}

BOOL CALLBACK TakeVisibleBox(HWND w, LPARAM found) {
    if (ClassOf(w) != "#32770" || !IsWindowVisible(w)) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

HWND FindBoxOfThread(DWORD threadId) {
    HWND found = NULL;
    EnumThreadWindows(threadId, TakeVisibleBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK AddVisibleButtonId(HWND w, LPARAM ids) {
    if (ClassOf(w) == "Button" && IsWindowVisible(w)) {
        reinterpret_cast<std::vector<int>*>(ids)->push_back(GetDlgCtrlID(w));
    }
    return TRUE;
}

std::vector<int> VisibleButtonIds(HWND box) {
    std::vector<int> ids;
    EnumChildWindows(box, AddVisibleButtonId, reinterpret_cast<LPARAM>(&ids));
    std::sort(ids.begin(), ids.end());
    return ids;
}

// What the watcher saw of the box.
struct SeenBox {
    bool found = false;
    bool closed = false;  // the box went away after the answer, without WM_QUIT
    std::string caption;
    std::string text;
    std::vector<int> buttons;
    RECT rect{};
    HWND owner = NULL;
};

// Watches for the box that the constructing thread is about to show. While the
// box is up it runs duringBox (on the watcher thread), then answer(box).
class BoxWatcher {
public:
    explicit BoxWatcher(std::function<void(HWND)> answer,
                        std::function<void(HWND)> duringBox = {})
        : boxThread_(GetCurrentThreadId()),
          worker_([this, answer, duringBox] { Watch(answer, duringBox); }) {}

    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    ~BoxWatcher() {
        if (worker_.joinable()) worker_.join();
    }

    // Call on the box's thread after the box returned: waits for the watcher
    // and removes a WM_QUIT it may have left behind.
    SeenBox Finish() {
        worker_.join();
        MSG msg;
        while (PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        return seen_;
    }

private:
    void Watch(const std::function<void(HWND)>& answer,
               const std::function<void(HWND)>& duringBox) {
        HWND box = NULL;
        if (!WaitFor([&] { return (box = FindBoxOfThread(boxThread_)) != NULL; },
                     kBoxTimeoutMs)) {
            PostThreadMessageA(boxThread_, WM_QUIT, 0, 0);
            return;
        }
        // A message answered by the box's thread means its modal loop is
        // running, so the box has been shown and activated.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(box, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
        seen_.found = true;
        seen_.caption = TextOf(box);
        seen_.text = TextOf(GetDlgItem(box, 0xFFFF));
        seen_.buttons = VisibleButtonIds(box);
        seen_.rect = WindowRect(box);
        seen_.owner = GetWindow(box, GW_OWNER);
        if (duringBox) duringBox(box);
        answer(box);
        seen_.closed = WaitFor([&] { return !IsWindow(box); }, kBoxTimeoutMs);
        if (!seen_.closed) PostThreadMessageA(boxThread_, WM_QUIT, 0, 0);
    }

    DWORD boxThread_;
    SeenBox seen_;
    std::thread worker_;
};

void PressById(HWND box, int id) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

void ClickButton(HWND box, int id) { PostMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0); }

// Test windows: they record the kCounted messages they receive, and on
// kShowProbeWindow create and show (so activate) a window at a fixed place.
std::vector<WPARAM> countedMessages;
HWND probeWindow = NULL;
const RECT kProbeRect{7, 9, 7 + 211, 9 + 113};

HWND CreateTestWindow(const RECT& r, DWORD style) {
    return CreateWindowExA(0, kTestClass, "sysutil test", style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kCounted:
        countedMessages.push_back(wParam);
        return 0;
    case kShowProbeWindow:
        probeWindow = CreateTestWindow(kProbeRect, WS_POPUP);
        ShowWindow(probeWindow, SW_SHOW);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A thread that sends one kCounted message (wParam 2) to the window it is given.
DWORD WINAPI SendCounted(LPVOID window) {
    SendMessageA(static_cast<HWND>(window), kCounted, 2, 0);
    return 0;
}

class Sysutil : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = kTestClass;
        RegisterClassA(&wc);
    }

    void SetUp() override { ResetModule(); }

    void TearDown() override {
        ResetModule();
        for (HWND w : windows_) DestroyWindow(w);
        if (probeWindow != NULL) DestroyWindow(probeWindow);
        probeWindow = NULL;
        countedMessages.clear();
    }

    static void ResetModule() {
        ApplicationTitle.clear();
        ExtraBoxStyle = 0;
        BoxOwnerWindow = NULL;
    }

    HWND Window(const RECT& r, DWORD style = WS_POPUP) {
        HWND w = CreateTestWindow(r, style);
        if (w != NULL) windows_.push_back(w);
        return w;
    }

    // A window at r, shown and so activated: with a hook left behind it
    // would be moved to the centre.
    void ExpectShownWindowStaysPut(const RECT& r) {
        HWND w = Window(r);
        ASSERT_NE(nullptr, w);
        ShowWindow(w, SW_SHOW);
        EXPECT_EQ(w, GetActiveWindow());
        EXPECT_PRED2(SameRect, r, WindowRect(w)) << Show(WindowRect(w));
    }

    std::vector<HWND> windows_;
};

TEST_F(Sysutil, ErrorBoxWithoutTitleIsCaptionedErrorAndCentred) {
    BoxWatcher watcher([](HWND box) { PressById(box, IDOK); });
    ShowError("Impossibile trovare il file, perch\xE8 manca.");
    const SeenBox seen = watcher.Finish();
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ("Error", seen.caption);
    EXPECT_EQ("Impossibile trovare il file, perch\xE8 manca.", seen.text);
    EXPECT_EQ(std::vector<int>{IDOK}, seen.buttons);
    EXPECT_EQ(nullptr, seen.owner);
    EXPECT_PRED2(SameRect, ExpectedCentred(seen.rect), seen.rect) << Show(seen.rect);
}

TEST_F(Sysutil, QuestionBoxHasOnlyYesAndNoAndReturnsTheAnswer) {
    BoxWatcher no([](HWND box) { PressById(box, IDNO); });
    EXPECT_EQ(IDNO, AskQuestion("Rimuovere l'applicazione?"));
    SeenBox seen = no.Finish();
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ("Question", seen.caption);
    EXPECT_EQ("Rimuovere l'applicazione?", seen.text);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), seen.buttons);
    EXPECT_PRED2(SameRect, ExpectedCentred(seen.rect), seen.rect) << Show(seen.rect);

    BoxWatcher yes([](HWND box) { ClickButton(box, IDYES); });
    EXPECT_EQ(IDYES, AskQuestion("Rimuovere l'applicazione?"));
    seen = yes.Finish();
    EXPECT_TRUE(seen.found);
    EXPECT_TRUE(seen.closed);
}

TEST_F(Sysutil, TitleCaptionsBothBoxesWithForegroundStyle) {
    ApplicationTitle = "Tamsk Uninstaller";
    ExtraBoxStyle = MB_SETFOREGROUND;
    BoxWatcher error([](HWND box) { PressById(box, IDOK); });
    ShowError("Errore");
    SeenBox seen = error.Finish();
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ("Tamsk Uninstaller", seen.caption);

    BoxWatcher question([](HWND box) { PressById(box, IDYES); });
    EXPECT_EQ(IDYES, AskQuestion("Continuare?"));
    seen = question.Finish();
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ("Tamsk Uninstaller", seen.caption);
}

TEST_F(Sysutil, BoxIsOwnedByTheOwnerWindowsLastActivePopup) {
    BoxOwnerWindow = Window(RECT{100, 100, 400, 300});
    ASSERT_NE(nullptr, BoxOwnerWindow);
    ShowWindow(BoxOwnerWindow, SW_SHOW);
    BoxWatcher watcher([](HWND box) { PressById(box, IDNO); });
    EXPECT_EQ(IDNO, AskQuestion("Continuare?"));
    const SeenBox seen = watcher.Finish();
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ(BoxOwnerWindow, seen.owner);
}

TEST_F(Sysutil, OnlyTheBoxIsCentredNotWindowsActivatedLater) {
    // Created on this thread before the box; the watcher asks it, while the
    // box is up, to show a second window, which the hook must leave alone.
    HWND helper = Window(RECT{0, 0, 10, 10});
    ASSERT_NE(nullptr, helper);
    RECT probeDuringBox{};
    BoxWatcher watcher([](HWND box) { PressById(box, IDOK); },
                       [&](HWND) {
                           DWORD_PTR ignored = 0;
                           SendMessageTimeoutA(helper, kShowProbeWindow, 0, 0, SMTO_BLOCK, 5000,
                                               &ignored);
                           probeDuringBox = WindowRect(probeWindow);
                       });
    ShowError("Errore");
    const SeenBox seen = watcher.Finish();
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.closed);
    EXPECT_NE(nullptr, probeWindow);
    EXPECT_PRED2(SameRect, kProbeRect, probeDuringBox) << Show(probeDuringBox);
    ExpectShownWindowStaysPut(RECT{11, 13, 11 + 201, 13 + 101});
}

TEST_F(Sysutil, HookIsRemovedWhenTheBoxCannotBeShown) {
    // An owner that is no window makes MessageBoxA fail before any activation,
    // so the hook procedure never removed itself.
    HWND notAWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FF0));
    ASSERT_FALSE(IsWindow(notAWindow));
    EXPECT_EQ(0, ShowCentredMessageBox(notAWindow, "Question", "Continuare?",
                                       MB_YESNO | MB_ICONQUESTION));
    ExpectShownWindowStaysPut(RECT{17, 19, 17 + 203, 19 + 105});
}

TEST_F(Sysutil, CentreInWorkAreaMovesWithoutResizingOrActivating) {
    HWND active = Window(RECT{500, 500, 600, 600});
    ASSERT_NE(nullptr, active);
    ShowWindow(active, SW_SHOW);
    const RECT start{3, 5, 3 + 301, 5 + 203};
    HWND w = Window(start, WS_POPUP | WS_VISIBLE);
    ASSERT_NE(nullptr, w);
    SetActiveWindow(active);
    ASSERT_EQ(active, GetActiveWindow());

    CentreInWorkArea(w);
    const RECT moved = WindowRect(w);
    EXPECT_PRED2(SameRect, ExpectedCentred(start), moved) << Show(moved);
    EXPECT_FALSE(SameRect(start, moved));
    EXPECT_EQ(active, GetActiveWindow());
}

TEST_F(Sysutil, ProcessMessagesDispatchesEverythingWaiting) {
    HWND w = Window(RECT{0, 0, 10, 10});
    ASSERT_NE(nullptr, w);
    for (WPARAM i = 1; i <= 3; ++i) PostMessageA(w, kCounted, i, 0);
    ProcessMessages();
    EXPECT_EQ((std::vector<WPARAM>{1, 2, 3}), countedMessages);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, NULL, kCounted, kCounted, PM_NOREMOVE));
    ProcessMessages();  // an empty queue: returns after its short sleep
    EXPECT_EQ(3u, countedMessages.size());
}

TEST_F(Sysutil, ProcessMessagesStopsAtQuitLeavingWhatFollows) {
    HWND w = Window(RECT{0, 0, 10, 10});
    ASSERT_NE(nullptr, w);
    PostMessageA(w, kCounted, 1, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
    PostMessageA(w, kCounted, 2, 0);
    ProcessMessages();
    EXPECT_EQ(std::vector<WPARAM>{1}, countedMessages);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "quit not consumed";
    ProcessMessages();
    EXPECT_EQ((std::vector<WPARAM>{1, 2}), countedMessages);
}

// A thread that sends to this thread's window before it ends would wait for
// ever on a plain wait; this one carries the message out and sees the thread
// end, and leaves posted messages in the queue.
TEST_F(Sysutil, WaitCarriesOutSentMessagesAndLeavesPostedOnes) {
    HWND w = Window(RECT{0, 0, 10, 10});
    ASSERT_NE(nullptr, w);
    PostMessageA(w, kCounted, 1, 0);
    UniqueHandle sender(CreateThread(nullptr, 0, SendCounted, w, 0, nullptr));
    ASSERT_TRUE(sender);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitHandlingSentMessages(sender.get(), 10000));
    EXPECT_EQ(std::vector<WPARAM>{2}, countedMessages);
    ProcessMessages();
    EXPECT_EQ((std::vector<WPARAM>{2, 1}), countedMessages);

    UniqueHandle never(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitHandlingSentMessages(never.get(), 50));
}

}  // namespace
