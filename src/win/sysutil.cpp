// Centred message boxes and the message pump.
//
// A box is centred by a CBT hook on the thread that shows it: the hook moves
// the box when it is first activated, i.e. after it has been sized to its text
// and before it is drawn where the system put it, and then removes itself.
#include "win/sysutil.h"

#include "win/epSystemNames.h"

std::string ApplicationTitle;
UINT ExtraBoxStyle = 0;
HWND BoxOwnerWindow = NULL;

namespace {

// The hook waiting to centre the box of this thread. One per thread, so a box
// shown on another thread can never take or remove it.
thread_local HHOOK boxHook = NULL;

// Removes the hook if it is still installed, on every path out of the box.
class BoxHookGuard {
public:
    BoxHookGuard() = default;
    BoxHookGuard(const BoxHookGuard&) = delete;
    BoxHookGuard& operator=(const BoxHookGuard&) = delete;
    ~BoxHookGuard() {
        if (boxHook != NULL) {
            UnhookWindowsHookEx(boxHook);
            boxHook = NULL;
        }
    }
};

LRESULT CALLBACK CentreBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    // Only the activation matters; other notifications are let through as
    // they are, without handing them on.
    if (code != HCBT_ACTIVATE) return 0;
    CentreInWorkArea(reinterpret_cast<HWND>(wParam));
    const HHOOK hook = boxHook;
    const LRESULT result = CallNextHookEx(hook, code, wParam, lParam);
    // The box is moved once: a window activated later on this thread is left alone.
    UnhookWindowsHookEx(hook);
    boxHook = NULL;
    return result;
}

HWND BoxOwner() { return BoxOwnerWindow != NULL ? GetLastActivePopup(BoxOwnerWindow) : NULL; }

const char* CaptionOr(const char* fallback) {
    return ApplicationTitle.empty() ? fallback : ApplicationTitle.c_str();
}

TRect ToTRect(const RECT& r) { return TRect{r.left, r.top, r.right, r.bottom}; }

RECT ToRect(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

}  // namespace

void ShowError(const std::string& text) {
    ShowCentredMessageBox(BoxOwner(), CaptionOr("Error"), text, MB_OK | MB_ICONHAND);
}

int AskQuestion(const std::string& text) {
    return ShowCentredMessageBox(BoxOwner(), CaptionOr("Question"), text,
                                 MB_YESNO | MB_ICONQUESTION);
}

int ShowCentredMessageBox(HWND owner, const std::string& caption, const std::string& text,
                          UINT style) {
    BoxHookGuard guard;
    // A box shown from inside a box (e.g. by a window procedure) finds the
    // outer hook still set when the outer box was never activated: replace it
    // rather than leak it.
    if (boxHook != NULL) UnhookWindowsHookEx(boxHook);
    // Without the hook the box still appears, only where the system puts it.
    boxHook = SetWindowsHookExA(WH_CBT, CentreBoxHook, NULL, GetCurrentThreadId());
    // Texts are in the log's encoding: the wide box shows a UTF-8 log's as
    // written, an ANSI log's as the ANSI box did.
    const int result = MessageBoxW(owner, ToSystemName(text).c_str(), ToSystemName(caption).c_str(),
                                   ExtraBoxStyle | MB_TASKMODAL | style);
    // Windows reports a box that could not be shown as 0, Wine as -1 (the
    // failed dialog's result); callers are promised 0.
    return result < 0 ? 0 : result;
}

void CentreInWorkArea(HWND window) {
    RECT workArea{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        workArea = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    RECT current{};
    if (!GetWindowRect(window, &current)) return;
    RECT target = ToRect(CentredRect(ToTRect(workArea), current.right - current.left,
                                     current.bottom - current.top));
    KeepOnScreen(target);
    SetWindowPos(window, NULL, target.left, target.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepOnScreen(RECT& rect) {
    TRect r = ToTRect(rect);
    KeepOnScreen(r, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    rect = ToRect(r);
}

void ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Sleep(1);
}

namespace {

// What is left of timeoutMs since start (INFINITE stays INFINITE).
DWORD RemainingMs(ULONGLONG start, DWORD timeoutMs) {
    if (timeoutMs == INFINITE) return INFINITE;
    const ULONGLONG spent = GetTickCount64() - start;
    return spent >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - spent);
}

void CarryOutMessages(TWaitMessages messages) {
    if (messages == TWaitMessages::All) {
        ProcessMessages();
        return;
    }
    // Peeking carries out the messages sent to this thread; with
    // PM_QS_SENDMESSAGE it takes nothing out of the queue.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

DWORD WaitProcessingMessages(std::initializer_list<HANDLE> objects, TWaitMessages messages,
                             DWORD timeoutMs) {
    const DWORD count = static_cast<DWORD>(objects.size());
    const bool all = messages == TWaitMessages::All;
    const DWORD wake = all ? QS_ALLINPUT : QS_SENDMESSAGE;
    // MWMO_INPUTAVAILABLE: messages left in the queue when ProcessMessages
    // stopped at a WM_QUIT still wake the wait.
    const DWORD flags = all ? MWMO_INPUTAVAILABLE : 0;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjectsEx(count, objects.begin(),
                                                        RemainingMs(start, timeoutMs), wake, flags);
        if (woken != WAIT_OBJECT_0 + count) return woken;
        CarryOutMessages(messages);
    }
}

DWORD WaitHandlingSentMessages(HANDLE object, DWORD timeoutMs) {
    return WaitProcessingMessages({object}, TWaitMessages::Sent, timeoutMs);
}
