// Win32 UI driver for the end-to-end tests: see UiDriver.h.
#include "UiDriver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>

namespace e2e {

namespace {

// A cross-process read must not hang the test when the program is stuck.
constexpr UINT kSendTimeoutMs = 5000;

DWORD Elapsed(DWORD start) { return GetTickCount() - start; }

// SendMessageTimeoutW; false when the message failed or timed out.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                            &answer) == 0)
        return false;
    result = static_cast<LRESULT>(answer);
    return true;
}

// The text in codePage: the program's own bytes when that is its log's encoding.
std::string ToNarrow(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        size, nullptr, nullptr);
    return result;
}

std::string ClassOf(HWND window) {
    char name[256] = {};  // class names are limited to 256 characters by the system
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

bool HasClass(HWND window, const char* name) {
    return window != nullptr && lstrcmpiA(ClassOf(window).c_str(), name) == 0;
}

bool IsDialog(HWND window) { return HasClass(window, "#32770"); }

bool IsShown(HWND window) { return IsWindow(window) && IsWindowVisible(window); }

DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    if (ProcessOf(window) == search.processId && IsWindowVisible(window))
        search.found.push_back(window);
    return TRUE;
}

std::optional<WindowKind> Classify(HWND window) {
    if (IsSharedFileDialog(window)) return WindowKind::SharedFileDialog;
    if (IsMainDialog(window)) return WindowKind::MainDialog;
    if (IsPreviewDialog(window)) return WindowKind::PreviewDialog;
    if (IsMessageBox(window)) return WindowKind::MessageBox;
    return std::nullopt;
}

// One key message as the system would build it for a key typed once.
LPARAM KeyData(UINT virtualKey, bool up) {
    const UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM data = 1 | static_cast<LPARAM>(scanCode << 16);
    if (up) data |= static_cast<LPARAM>(3u << 30);  // previous state down, transition up
    return data;
}

bool WriteBitmapFile(const std::string& path, int width, int height, const void* bits,
                     DWORD bitsSize) {
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as the DIB section holds it
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = bitsSize;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + bitsSize;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(static_cast<const char*>(bits), bitsSize);
    return static_cast<bool>(out);
}

}  // namespace

// ---- Processes ----

Process::~Process() { KillIfRunning(*this); }

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        KillIfRunning(*this);
        process_ = std::move(other.process_);
        id_ = other.id_;
    }
    return *this;
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

Process StartProgram(const std::string& exePath, const std::string& args,
                     const std::string& workDir) {
    std::string commandLine = Quote(exePath);
    if (!args.empty()) commandLine += " " + args;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &info))
        return {};
    CloseHandle(info.hThread);
    return Process(UniqueHandle(info.hProcess), info.dwProcessId);
}

std::optional<DWORD> WaitForExit(const Process& process, DWORD deadlineMs) {
    if (!process || WaitForSingleObject(process.handle(), deadlineMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process.handle(), &code)) return std::nullopt;
    return code;
}

void KillIfRunning(const Process& process) {
    if (!process || WaitForSingleObject(process.handle(), 0) == WAIT_OBJECT_0) return;
    TerminateProcess(process.handle(), 1);
    WaitForSingleObject(process.handle(), kExitDeadlineMs);
}

// ---- Finding windows ----

std::vector<HWND> ListTopWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<DWORD> ListChildProcesses(DWORD processId, const std::string& exeName) {
    std::vector<DWORD> children;
    // Id 0 stands for no process; those started from outside Wine say it is their parent.
    if (processId == 0) return children;
    const HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (raw == INVALID_HANDLE_VALUE) return children;
    const UniqueHandle snapshot(raw);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == processId && entry.th32ProcessID != processId &&
            lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0)
            children.push_back(entry.th32ProcessID);
    }
    return children;
}

HWND WaitForTopWindow(DWORD processId, const WindowTest& test, DWORD deadlineMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND window : ListTopWindows(processId))
            if (test(window)) return window;
        if (Elapsed(start) >= deadlineMs) return nullptr;
        Sleep(kPollMs);
    }
}

bool WaitForWindowGone(HWND window, DWORD deadlineMs) {
    const DWORD start = GetTickCount();
    while (IsShown(window)) {
        if (Elapsed(start) >= deadlineMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

bool IsMessageBox(HWND window) {
    return IsDialog(window) && HasClass(GetDlgItem(window, 0xFFFF), "Static");
}

bool IsMainDialog(HWND window) {
    return IsDialog(window) && HasClass(GetDlgItem(window, 101), "ListBox") &&
           HasClass(GetDlgItem(window, 102), PROGRESS_CLASSA);
}

bool IsPreviewDialog(HWND window) {
    return IsDialog(window) && HasClass(GetDlgItem(window, 101), WC_LISTVIEWA) &&
           GetDlgItem(window, 102) == nullptr && HasClass(GetDlgItem(window, 104), "Static");
}

bool IsSharedFileDialog(HWND window) {
    if (!IsDialog(window)) return false;
    for (int id = 107; id <= 110; ++id)
        if (!HasClass(GetDlgItem(window, id), "Button")) return false;
    return true;
}

// ---- Reading ----

std::string ReadWindowText(HWND window, UINT codePage) {
    LRESULT length = 0;
    if (window == nullptr || !Ask(window, WM_GETTEXTLENGTH, 0, 0, length) || length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied))
        return {};
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return ToNarrow(text, codePage);
}

std::string ReadControlText(HWND dialog, int id, UINT codePage) {
    HWND control = GetDlgItem(dialog, id);
    return control ? ReadWindowText(control, codePage) : std::string();
}

std::string ReadBoxText(HWND box, UINT codePage) { return ReadControlText(box, 0xFFFF, codePage); }

std::vector<Control> ListControls(HWND dialog, UINT codePage) {
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        Control c;
        c.id = GetDlgCtrlID(child);
        c.className = ClassOf(child);
        c.text = ReadWindowText(child, codePage);
        c.enabled = IsWindowEnabled(child) != FALSE;
        c.visible = IsWindowVisible(child) != FALSE;
        controls.push_back(std::move(c));
    }
    return controls;
}

std::vector<int> ListButtons(HWND dialog) {
    std::vector<int> ids;
    for (const Control& c : ListControls(dialog))
        if (c.visible && lstrcmpiA(c.className.c_str(), "Button") == 0) ids.push_back(c.id);
    return ids;
}

bool IsControlEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowEnabled(control);
}

bool WaitForControlEnabled(HWND dialog, int id, DWORD deadlineMs) {
    const DWORD start = GetTickCount();
    while (!IsControlEnabled(dialog, id)) {
        if (!IsWindow(dialog) || Elapsed(start) >= deadlineMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

std::vector<std::string> ReadStatusLines(HWND mainDialog, UINT codePage) {
    std::vector<std::string> lines;
    HWND list = GetDlgItem(mainDialog, 101);
    LRESULT count = 0;
    if (list == nullptr || !Ask(list, LB_GETCOUNT, 0, 0, count)) return lines;
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = 0;
        if (!Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, length) || length < 0) break;
        // The ANSI LB_GETTEXT comes back as UTF-16 bytes across processes under Wine;
        // the Unicode message converted back gives the program's own bytes.
        // Room to spare: while the program runs, the line can grow (" ok")
        // between the two messages, and the copy does not know our size.
        std::wstring text(static_cast<size_t>(length) + 1024, L'\0');
        LRESULT copied = 0;
        if (!Ask(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()),
                 copied) ||
            copied < 0)
            break;
        text.resize(std::min(static_cast<size_t>(copied), text.size() - 1));
        lines.push_back(ToNarrow(text, codePage));
    }
    return lines;
}

namespace {

// Memory in the window's process for the list-view messages, whose pointers
// the system does not carry across processes: a structure and its text are
// written there, the control fills them, the answer is read back.
class RemoteMemory {
public:
    static constexpr size_t kSize = 64 * 1024;
    static constexpr size_t kTextOffset = 1024;  // past any of the structures
    static constexpr size_t kTextChars = (kSize - kTextOffset) / sizeof(wchar_t);

    explicit RemoteMemory(HWND window)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               ProcessOf(window))) {
        if (process_)
            base_ = static_cast<char*>(VirtualAllocEx(process_.get(), nullptr, kSize,
                                                      MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteMemory() {
        if (base_ != nullptr) VirtualFreeEx(process_.get(), base_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    explicit operator bool() const noexcept { return base_ != nullptr; }
    LPARAM At(size_t offset) const { return reinterpret_cast<LPARAM>(base_ + offset); }
    wchar_t* Text() const { return reinterpret_cast<wchar_t*>(base_ + kTextOffset); }

    bool Write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_.get(), base_ + offset, data, size, nullptr) != FALSE;
    }

    // The text the control wrote: at most length characters, up to its end.
    std::string ReadText(LRESULT length, UINT codePage) const {
        const auto chars = static_cast<LRESULT>(kTextChars - 1);
        std::wstring text(static_cast<size_t>(std::clamp<LRESULT>(length, 0, chars)), L'\0');
        if (!text.empty() && !ReadProcessMemory(process_.get(), base_ + kTextOffset, text.data(),
                                                text.size() * sizeof(wchar_t), nullptr))
            return {};
        text.resize(wcsnlen(text.c_str(), text.size()));
        return ToNarrow(text, codePage);
    }

private:
    UniqueHandle process_;
    char* base_ = nullptr;
};

HWND ListOf(HWND dialog) {
    const HWND list = GetDlgItem(dialog, 101);
    return HasClass(list, WC_LISTVIEWA) ? list : nullptr;
}

int CountColumns(HWND list) {
    LRESULT header = 0;
    LRESULT count = 0;
    if (!Ask(list, LVM_GETHEADER, 0, 0, header) || header == 0 ||
        !Ask(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, count))
        return 0;
    return static_cast<int>(std::max<LRESULT>(count, 0));
}

int CountRows(HWND list) {
    LRESULT count = 0;
    return Ask(list, LVM_GETITEMCOUNT, 0, 0, count) ? static_cast<int>(count) : 0;
}

std::string ReadCell(HWND list, const RemoteMemory& remote, int row, int column, UINT codePage) {
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = remote.Text();
    cell.cchTextMax = static_cast<int>(RemoteMemory::kTextChars);
    LRESULT length = 0;
    if (!remote.Write(0, &cell, sizeof cell) ||
        !Ask(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), remote.At(0), length))
        return {};
    return remote.ReadText(length, codePage);
}

// Width in pixels of text in the list's font, as the list itself measures it.
int MeasureInList(HWND list, const RemoteMemory& remote, const std::string& text, UINT codePage) {
    const int size = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 1)), L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), size);
    LRESULT width = 0;
    if (wide.size() > RemoteMemory::kTextChars ||
        !remote.Write(RemoteMemory::kTextOffset, wide.data(), wide.size() * sizeof(wchar_t)) ||
        !Ask(list, LVM_GETSTRINGWIDTHW, 0, remote.At(RemoteMemory::kTextOffset), width))
        return 0;
    return static_cast<int>(width);
}

}  // namespace

namespace {

// The title of column, or nothing when the list would not give it.
std::optional<std::string> ReadColumnTitle(HWND list, const RemoteMemory& remote, int column,
                                           UINT codePage) {
    LVCOLUMNW header = {};
    header.mask = LVCF_TEXT;
    header.pszText = remote.Text();
    header.cchTextMax = static_cast<int>(RemoteMemory::kTextChars);
    LRESULT ok = FALSE;
    if (!remote.Write(0, &header, sizeof header) ||
        !Ask(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), remote.At(0), ok) || !ok)
        return std::nullopt;
    return remote.ReadText(static_cast<LRESULT>(RemoteMemory::kTextChars), codePage);
}

// One text per index below count(list), each read by readOne, up to the
// first it cannot read.
template <typename ReadOne>
std::vector<std::string> ReadListTexts(HWND dialog, int (*count)(HWND), ReadOne readOne) {
    std::vector<std::string> texts;
    const HWND list = ListOf(dialog);
    if (list == nullptr) return texts;
    const RemoteMemory remote(list);
    if (!remote) return texts;
    for (int index = 0, end = count(list); index < end; ++index) {
        std::optional<std::string> text = readOne(list, remote, index);
        if (!text) break;
        texts.push_back(std::move(*text));
    }
    return texts;
}

}  // namespace

std::vector<std::string> ReadListRows(HWND dialog, UINT codePage) {
    return ReadListTexts(dialog, CountRows, [codePage](HWND list, const RemoteMemory& remote, int row) {
        std::string line;
        for (int column = 0, columns = CountColumns(list); column < columns; ++column)
            line += (column == 0 ? "" : "\t") + ReadCell(list, remote, row, column, codePage);
        return std::optional<std::string>(line);
    });
}

std::vector<std::string> ReadListColumns(HWND dialog, UINT codePage) {
    return ReadListTexts(dialog, CountColumns,
                         [codePage](HWND list, const RemoteMemory& remote, int column) {
                             return ReadColumnTitle(list, remote, column, codePage);
                         });
}

std::vector<std::string> ListCutCells(HWND dialog, UINT codePage) {
    // The room a list view keeps beside a cell's text, left and right.
    constexpr int kCellPadding = 12;
    std::vector<std::string> cut;
    const HWND list = ListOf(dialog);
    if (list == nullptr) return cut;
    const RemoteMemory remote(list);
    if (!remote) return cut;
    for (int column = 0, columns = CountColumns(list); column < columns; ++column) {
        LRESULT width = 0;
        if (!Ask(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0, width)) continue;
        for (int row = 0, rows = CountRows(list); row < rows; ++row) {
            const std::string text = ReadCell(list, remote, row, column, codePage);
            if (MeasureInList(list, remote, text, codePage) + kCellPadding > width)
                cut.push_back(std::to_string(row) + "," + std::to_string(column) + ": " + text);
        }
    }
    return cut;
}

int ReadSelectedIndex(HWND mainDialog) {
    LRESULT index = LB_ERR;
    HWND list = GetDlgItem(mainDialog, 101);
    if (list == nullptr || !Ask(list, LB_GETCURSEL, 0, 0, index)) return LB_ERR;
    return static_cast<int>(index);
}

Progress ReadProgress(HWND mainDialog) {
    Progress progress;
    HWND bar = GetDlgItem(mainDialog, 102);
    LRESULT value = 0;
    // Limits one at a time: a PBRANGE pointer would not cross the process boundary.
    if (bar == nullptr) return progress;
    if (Ask(bar, PBM_GETPOS, 0, 0, value)) progress.pos = static_cast<int>(value);
    if (Ask(bar, PBM_GETRANGE, TRUE, 0, value)) progress.min = static_cast<int>(value);
    if (Ask(bar, PBM_GETRANGE, FALSE, 0, value)) progress.max = static_cast<int>(value);
    return progress;
}

// ---- Answering ----

bool PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    // A posted BN_CLICKED is what the button itself sends its dialog on a click;
    // BM_CLICK would depend on the dialog being active, which a test cannot promise.
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

bool PostCommand(HWND dialog, int id) {
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) != FALSE;
}

bool SendKey(HWND dialog, UINT virtualKey) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
        info.hwndFocus != nullptr && IsChild(dialog, info.hwndFocus))
        target = info.hwndFocus;
    return PostMessageA(target, WM_KEYDOWN, virtualKey, KeyData(virtualKey, false)) &&
           PostMessageA(target, WM_KEYUP, virtualKey, KeyData(virtualKey, true));
}

// ---- Screenshots ----

bool SaveWindowBitmap(HWND window, const std::string& path) {
    RECT r = {};
    if (!IsWindow(window) || !GetWindowRect(window, &r)) return false;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    // The screen holds what the other process has drawn; its own window DC
    // may not (its surface lives in that process).
    WindowDc screen(nullptr, WindowDc::Client);
    if (!screen) return false;
    MemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> bitmap(
        CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || bits == nullptr) return false;
    {
        SelectGuard select(memory.get(), bitmap.get());
        if (!select || !BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top,
                               SRCCOPY | CAPTUREBLT))
            return false;
        GdiFlush();
    }
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    return WriteBitmapFile(path, width, height, bits, stride * static_cast<DWORD>(height));
}

// ---- Scenario ----

const char* KindName(WindowKind kind) {
    switch (kind) {
    case WindowKind::MessageBox: return "message box";
    case WindowKind::MainDialog: return "main dialog";
    case WindowKind::SharedFileDialog: return "shared-file dialog";
    case WindowKind::PreviewDialog: return "preview";
    }
    return "window";
}

Step PressStep(WindowKind expect, int button, const std::string& shot) {
    return Step{expect, button, 0, shot};
}

Step KeyStep(WindowKind expect, UINT key, const std::string& shot) {
    return Step{expect, 0, key, shot};
}

std::string Seen::ControlText(int id) const {
    for (const Control& c : controls)
        if (c.id == id) return c.text;
    return {};
}

std::vector<int> Seen::Buttons() const {
    std::vector<int> ids;
    for (const Control& c : controls)
        if (c.visible && lstrcmpiA(c.className.c_str(), "Button") == 0) ids.push_back(c.id);
    return ids;
}

namespace {

std::string DescribeWindow(HWND window) {
    std::string text = "  [" + ClassOf(window) + "] \"" + ReadWindowText(window) + "\"";
    if (IsMessageBox(window)) text += " box text: \"" + ReadBoxText(window) + "\"";
    if (IsSharedFileDialog(window)) text += " file: \"" + ReadControlText(window, 104) + "\"";
    if (IsMainDialog(window)) {
        const Progress p = ReadProgress(window);
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, " progress %d of %d..%d, Close %s", p.pos, p.min,
                      p.max, IsControlEnabled(window, 1) ? "enabled" : "disabled");
        text += buffer;
        for (const std::string& line : ReadStatusLines(window)) text += "\n    | " + line;
    }
    return text + "\n";
}

Seen Record(HWND window, WindowKind kind, UINT codePage) {
    Seen seen;
    seen.kind = kind;
    seen.caption = ReadWindowText(window, codePage);
    seen.controls = ListControls(window, codePage);
    if (kind == WindowKind::MessageBox) seen.text = ReadBoxText(window, codePage);
    if (kind == WindowKind::SharedFileDialog) seen.text = ReadControlText(window, 101, codePage);
    if (kind == WindowKind::PreviewDialog) {
        seen.text = ReadControlText(window, 104, codePage);
        seen.lines = ReadListRows(window, codePage);
        seen.columns = ReadListColumns(window, codePage);
        seen.cut = ListCutCells(window, codePage);
    }
    if (kind == WindowKind::MainDialog) {
        seen.lines = ReadStatusLines(window, codePage);
        seen.selected = ReadSelectedIndex(window);
        seen.progress = ReadProgress(window);
    }
    return seen;
}

class ScenarioRun {
public:
    explicit ScenarioRun(const ScenarioOptions& options) : options_(options) {}

    ScenarioResult Play(const std::string& exePath, const std::string& args,
                        const std::vector<Step>& steps) {
        start_ = GetTickCount();
        exeName_ = exePath.substr(exePath.find_last_of("\\/:") + 1);
        process_ = StartProgram(exePath, args, options_.workDir);
        if (!process_) {
            result_.failure = "cannot start " + exePath;
            return std::move(result_);
        }
        for (size_t i = 0; i < steps.size(); ++i)
            if (!PlayStep(steps[i], i + 1)) return std::move(result_);
        result_.exitCode = WaitForExit(process_, options_.exitDeadlineMs);
        result_.milliseconds = Elapsed(start_);
        if (!result_.exitCode) {
            Fail("the program did not end after the last step");
            return std::move(result_);
        }
        result_.ok = true;
        return std::move(result_);
    }

private:
    bool PlayStep(const Step& step, size_t number) {
        HWND window = WaitForStepWindow(step.expect, number);
        if (window == nullptr) return false;
        result_.seen.push_back(Record(window, step.expect, options_.textCodePage));
        if (!step.shot.empty()) SaveWindowBitmap(window, step.shot);
        bool answered = false;
        if (step.button != 0)
            answered = PressButton(window, step.button);
        else if (step.key != 0)
            answered = SendKey(window, step.key);
        if (!answered)
            return Fail("step " + std::to_string(number) + ": could not answer the " +
                        KindName(step.expect));
        if (!WaitForWindowGone(window, options_.stepDeadlineMs))
            return Fail("step " + std::to_string(number) + ": the " + KindName(step.expect) +
                        " is still shown after the answer");
        return true;
    }

    // The window of the expected kind; for the main dialog, once Close is
    // enabled and nothing modal covers it. nullptr after a recorded failure.
    HWND WaitForStepWindow(WindowKind expect, size_t number) {
        const std::string what = "step " + std::to_string(number) + " (" + KindName(expect) + ")";
        const DWORD start = GetTickCount();
        for (;;) {
            if (const auto code = WaitForExit(process_, 0)) {
                result_.exitCode = code;
                Fail(what + ": the program ended with code " + std::to_string(*code));
                return nullptr;
            }
            HWND match = nullptr;
            bool covered = false;
            for (HWND window : Windows()) {
                const auto kind = Classify(window);
                if (!kind) continue;
                if (*kind == expect) {
                    if (match == nullptr) match = window;
                } else if (*kind != WindowKind::MainDialog) {
                    Fail(what + ": unexpected " + KindName(*kind));
                    return nullptr;
                }
                covered = covered || *kind != WindowKind::MainDialog;
            }
            if (match != nullptr && expect != WindowKind::MainDialog) return match;
            if (match != nullptr && !covered && IsControlEnabled(match, 1)) return match;
            if (Elapsed(start) >= options_.stepDeadlineMs) {
                Fail(what + ": not seen within " + std::to_string(options_.stepDeadlineMs) +
                     " ms");
                return nullptr;
            }
            Sleep(kPollMs);
        }
    }

    // The program's windows, and its children's when they count as its own.
    std::vector<HWND> Windows() const {
        std::vector<HWND> windows = ListTopWindows(process_.id());
        if (!options_.followChildren) return windows;
        for (DWORD child : ListChildProcesses(process_.id(), exeName_)) {
            const std::vector<HWND> more = ListTopWindows(child);
            windows.insert(windows.end(), more.begin(), more.end());
        }
        return windows;
    }

    // Records the failure with what is on the screen, captures it, and ends
    // the program. Always false.
    bool Fail(const std::string& what) {
        result_.failure = what + "\nwindows of the program:\n";
        int n = 0;
        for (HWND window : Windows()) {
            result_.failure += DescribeWindow(window);
            if (!options_.failureShotPrefix.empty())
                SaveWindowBitmap(window,
                                 options_.failureShotPrefix + "-" + std::to_string(++n) + ".bmp");
        }
        if (options_.followChildren) {
            for (DWORD child : ListChildProcesses(process_.id(), exeName_)) {
                const UniqueHandle process(
                    OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child));
                if (!process) continue;
                TerminateProcess(process.get(), 1);
                WaitForSingleObject(process.get(), kExitDeadlineMs);
            }
        }
        KillIfRunning(process_);
        result_.milliseconds = Elapsed(start_);
        return false;
    }

    const ScenarioOptions& options_;
    std::string exeName_;  // the file name of the started program's executable
    Process process_;
    ScenarioResult result_;
    DWORD start_ = 0;
};

}  // namespace

ScenarioResult RunScenario(const std::string& exePath, const std::string& args,
                           const std::vector<Step>& steps, const ScenarioOptions& options) {
    return ScenarioRun(options).Play(exePath, args, steps);
}

std::string Describe(const ScenarioResult& result) {
    std::string text = result.ok ? "completed" : "FAILED: " + result.failure;
    text += "\nexit code: " + (result.exitCode ? std::to_string(*result.exitCode) : "none") +
            ", " + std::to_string(result.milliseconds) + " ms\n";
    for (const Seen& seen : result.seen) {
        text += std::string(KindName(seen.kind)) + " \"" + seen.caption + "\"";
        if (!seen.text.empty()) text += ": \"" + seen.text + "\"";
        text += "\n";
        for (const std::string& line : seen.lines) text += "  | " + line + "\n";
    }
    return text;
}

}  // namespace e2e
