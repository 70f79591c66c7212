// Drives another process's dialogs from inside Wine: starts the program,
// finds its top-level windows by class and control ids, reads what they show
// and answers them the way a user would. Every wait polls with a deadline.
//
// Texts are ANSI byte strings in the system code page (1252 here): they are
// read with the Unicode messages and converted back, which gives exactly the
// bytes the program under test stored.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win/handles.h"

namespace e2e {

// Poll interval of every wait, and the default deadlines.
constexpr DWORD kPollMs = 20;
constexpr DWORD kWindowDeadlineMs = 20000;
constexpr DWORD kExitDeadlineMs = 15000;

// A started program. The destructor kills it if it is still running, so a
// failing test never leaves a program behind or hangs on one.
class Process {
public:
    Process() = default;
    Process(UniqueHandle process, DWORD id) : process_(std::move(process)), id_(id) {}
    ~Process();
    Process(Process&&) = default;
    Process& operator=(Process&& other) noexcept;  // kills the program it held

    HANDLE handle() const noexcept { return process_.get(); }
    DWORD id() const noexcept { return id_; }
    explicit operator bool() const noexcept { return static_cast<bool>(process_); }

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// Starts exePath with the command line "exePath" args (args as given: quote
// them with Quote). workDir empty keeps ours. An empty Process on failure.
Process StartProgram(const std::string& exePath, const std::string& args,
                     const std::string& workDir = "");

// text in double quotes, for a command-line argument that may hold blanks.
std::string Quote(const std::string& text);

// The exit code once the process has ended within deadlineMs, else nothing
// (the process is left running).
std::optional<DWORD> WaitForExit(const Process& process, DWORD deadlineMs = kExitDeadlineMs);

// Terminates the process if it still runs and waits for it to go.
void KillIfRunning(const Process& process);

using WindowTest = std::function<bool(HWND)>;

// Visible top-level windows of the process, in Z order (topmost first).
std::vector<HWND> ListTopWindows(DWORD processId);

// Ids of the processes that the process started, that still run and whose
// executable's file name is exeName (letter case aside); none for id 0. The
// name keeps out what the system starts on a program's behalf (Wine's
// desktop process, for one).
std::vector<DWORD> ListChildProcesses(DWORD processId, const std::string& exeName);

// The first visible top-level window of the process that passes test, polled
// until deadlineMs has passed; nullptr then.
HWND WaitForTopWindow(DWORD processId, const WindowTest& test,
                      DWORD deadlineMs = kWindowDeadlineMs);

// Polls until the window is gone or hidden; false when it is still shown.
bool WaitForWindowGone(HWND window, DWORD deadlineMs = kWindowDeadlineMs);

// Window classes of this program's surface.
bool IsMessageBox(HWND window);        // "#32770" with the box text static 0xFFFF
bool IsMainDialog(HWND window);        // list box 101 and progress bar 102
bool IsSharedFileDialog(HWND window);  // buttons 107 to 110
bool IsPreviewDialog(HWND window);     // list view 101 and summary 104, no progress bar

// The window's own text (a caption or a control's text); empty on failure.
std::string ReadWindowText(HWND window, UINT codePage = CP_ACP);

// Text of the dialog's control id; empty when the control is missing.
std::string ReadControlText(HWND dialog, int id, UINT codePage = CP_ACP);

// The text of a message box (its static 0xFFFF).
std::string ReadBoxText(HWND box, UINT codePage = CP_ACP);

// One child control as the user sees it.
struct Control {
    int id = 0;
    std::string className;  // as registered: "Button", "Static", "msctls_progress32"...
    std::string text;
    bool enabled = false;
    bool visible = false;
};

// The dialog's direct child controls, in Z (tab) order.
std::vector<Control> ListControls(HWND dialog, UINT codePage = CP_ACP);

// Ids of the dialog's visible button controls, in tab order.
std::vector<int> ListButtons(HWND dialog);

bool IsControlEnabled(HWND dialog, int id);

// Polls until control id is enabled; false at the deadline.
bool WaitForControlEnabled(HWND dialog, int id, DWORD deadlineMs = kWindowDeadlineMs);

// Clicks button id as a user would: refused (false) when the button is
// missing, hidden or disabled. Otherwise posts BN_CLICKED to the dialog.
bool PressButton(HWND dialog, int id);

// Posts WM_COMMAND(id, BN_CLICKED) to the dialog whatever state the button is
// in: what a stray command looks like, to prove the program ignores it.
bool PostCommand(HWND dialog, int id);

// Sends one key press (key down, key up) to the control that has the focus in
// the dialog's thread, or to the dialog when none has: the dialog's message
// loop gets it and IsDialogMessage turns Enter into IDOK or the default
// button, Escape into IDCANCEL, exactly as for a real key.
bool SendKey(HWND dialog, UINT virtualKey);

// Lines of the main dialog's status list (101), first to last.
std::vector<std::string> ReadStatusLines(HWND mainDialog, UINT codePage = CP_ACP);

// Rows of the dialog's list view (101), first to last, each row's cells
// joined by tabs.
std::vector<std::string> ReadListRows(HWND dialog, UINT codePage = CP_ACP);

// Titles of the dialog's list-view columns, left to right.
std::vector<std::string> ReadListColumns(HWND dialog, UINT codePage = CP_ACP);

// The cells of the dialog's list view that their column is too narrow to
// show whole, as "row,column: text"; empty when every text fits.
std::vector<std::string> ListCutCells(HWND dialog, UINT codePage = CP_ACP);

// Index of the selected status line, or -1 (LB_ERR) when none is selected.
int ReadSelectedIndex(HWND mainDialog);

struct Progress {
    int pos = 0;
    int min = 0;
    int max = 0;
};

// Position and range of the main dialog's progress bar (102).
Progress ReadProgress(HWND mainDialog);

// Writes the window as it shows on the screen to a 24-bit .bmp file.
bool SaveWindowBitmap(HWND window, const std::string& path);

// ---- Scenario: a script of expected windows and the answers to give ----

enum class WindowKind { MessageBox, MainDialog, SharedFileDialog, PreviewDialog };

const char* KindName(WindowKind kind);

// One expected window. Exactly one of button or key is the answer (button
// wins when both are set). For the main dialog the step waits until Close (1)
// is enabled, records the status list and the progress, then answers.
struct Step {
    WindowKind expect = WindowKind::MessageBox;
    int button = 0;     // button id to press (IDOK, IDYES, 107, ...)
    UINT key = 0;       // else a key: VK_RETURN or VK_ESCAPE
    std::string shot;   // when not empty: save the window as this .bmp first
};

// A step answered by pressing button (shot: optional .bmp of the window first).
Step PressStep(WindowKind expect, int button, const std::string& shot = "");

// A step answered by the key VK_RETURN or VK_ESCAPE.
Step KeyStep(WindowKind expect, UINT key, const std::string& shot = "");

// What one step found, recorded before the answer was given.
struct Seen {
    WindowKind kind = WindowKind::MessageBox;
    std::string caption;
    std::string text;  // message box: its text; shared-file dialog: control 101; preview: 104
    std::vector<Control> controls;
    std::vector<std::string> lines;  // main dialog; preview: its rows, cells joined by tabs
    std::vector<std::string> columns;  // preview: the column titles
    std::vector<std::string> cut;      // preview: cells shown cut short (ListCutCells)
    int selected = -1;               // main dialog only
    Progress progress;               // main dialog only

    // Text of control id, or empty when it was not there.
    std::string ControlText(int id) const;
    std::vector<int> Buttons() const;
};

struct ScenarioResult {
    bool ok = false;          // every step found and answered, and the process ended
    std::string failure;      // what went wrong, with what was on the screen
    std::vector<Seen> seen;   // one per step reached
    std::optional<DWORD> exitCode;
    DWORD milliseconds = 0;   // start to exit
};

struct ScenarioOptions {
    std::string workDir;
    DWORD stepDeadlineMs = kWindowDeadlineMs;
    DWORD exitDeadlineMs = kExitDeadlineMs;
    std::string failureShotPrefix;  // failure screenshots go to <prefix>-<n>.bmp
    // Texts are read back in this code page: CP_UTF8 for a UTF-8 log gives
    // the log's own bytes, as CP_ACP does for an ANSI one.
    UINT textCodePage = CP_ACP;
    // The windows of the program's child processes that run an executable of
    // the same file name count as its own (a program that hands its run to a
    // copy of itself); on a failure they are ended with it.
    bool followChildren = false;
};

// Starts exePath with args and plays the steps in order. An unexpected box or
// shared-file dialog, a missed deadline or an early exit ends the scenario
// with a failure; the program is then captured and killed.
ScenarioResult RunScenario(const std::string& exePath, const std::string& args,
                           const std::vector<Step>& steps, const ScenarioOptions& options = {});

// The result in readable form, for a failed assertion's message.
std::string Describe(const ScenarioResult& result);

}  // namespace e2e
