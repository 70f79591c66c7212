// The benchmark of the uninstaller on large synthetic installations: makes
// an installation log and the same removals as a plain list for the floor
// program, installs what they name, and times either the uninstaller, run as
// a user would (Yes to the confirmation, Close as soon as it is enabled), or
// the floor program, each as a whole process from its start to its end.
// After each run it checks that exactly what had to go is gone.
// scripts/bench runs it and compares the times.
//
//   BenchRunner.exe prepare SIZE              a fresh installation of SIZE with its log and list
//   BenchRunner.exe measure UNVREL SIZE       the uninstaller timed, the check, the clean-up
//   BenchRunner.exe floor FLOOR SIZE          the floor program timed, the check, the clean-up
//   BenchRunner.exe empty UNVREL              the uninstaller on a log that lists nothing
//   BenchRunner.exe empty-floor FLOOR         the floor program on an empty list
//   BenchRunner.exe clean SIZE                removes whatever a size left behind
//
// Preparing and timing are separate runs so that the caller can flush the
// freshly written files to disk in between: deleting files still in the
// write-back cache costs less than deleting files already on disk.
//
// SIZE is a number N, for the growth series: N "CopyFiles" files, ten to a
// folder, the first half of them also "SharedFiles" with use count 5
// (lowered to 4 and kept, so no question is asked and the file phase must
// pass over each), N/10 "CreateDirs", N "AddReg" values ten to a key, those
// N/10 keys as "CreateKeys", and N/10 "AddIni" entries in two INI files.
// Or SIZE is L, a large installation: 20,000 files in 200 folders, 10,000
// registry values in 100 keys, 1,000 INI entries in 10 files, 500 shortcuts,
// 101 keys and 202 folders (the installation's own folder and key among
// them), 31,803 log lines; with the log itself 31,804 items. LxK is L with
// every count K times as large (K from 2 to 10).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "SampleInstall.h"
#include "StateHelpers.h"
#include "UiDriver.h"
#include "core/UnVrelCommandLine.h"
#include "core/epRegPath.h"
#include "core/sysutilNumbers.h"
#include "floor/FloorList.h"
#include "res/resource.h"
#include "win/epRegIni.h"
#include "win/handles.h"

using namespace e2e;

namespace {

const std::string kBenchRoot = "C:\\tamsk-bench";
const std::string kRegistryRoot = "HKCU\\Software\\TamskBench";
const std::string kSharedDllsKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string kEmptyName = "empty";

constexpr int kInstalledUseCount = 5;
constexpr int kMinNumberedSize = 10;
constexpr int kMaxNumberedSize = 1000000;
constexpr int kMaxLargeFactor = 10;

// The removal is timed by watching the program's windows: a short poll, so
// that a window or a section's start is seen within a few milliseconds, yet
// not so short that the watching takes the processor from the program watched.
constexpr DWORD kWatchPollMs = 5;
// Generous: a removal that grows faster than linearly must still finish and
// be reported, not cut off.
constexpr DWORD kRemovalDeadlineMs = 30 * 60 * 1000;
constexpr double kConfirmationDeadlineMs = 60 * 1000;
constexpr double kQuestionCheckMs = 250;
// The status list is read less often than Close is looked at: each reading
// is a message that wakes the program's own window thread, a cost the floor
// program does not pay. A phase boundary is then known to within this.
constexpr double kLineCheckMs = 20;

// ---- The synthetic installation ----

// A number with at least width digits.
std::string Padded(int number, int width) {
    std::string text = std::to_string(number);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<size_t>(width) - text.size(), '0');
    return text;
}

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

// What an installation of one size holds.
struct Shape {
    std::string name;  // "500", "L", "Lx4": also the name of its folder and key
    int files = 0;
    int filesPerFolder = 1;
    int shared = 0;  // the first files are also shared files that stay
    int values = 0;
    int valuesPerKey = 1;
    int iniEntries = 0;
    int iniFiles = 1;
    int shortcuts = 0;
    bool ownsRoots = false;  // the installation's own folder and key are log items too
};

Shape NumberedShape(int n) {
    return Shape{std::to_string(n), n, 10, n / 2, n, 10, n / 10, 2, 0, false};
}

Shape LargeShape(int factor) {
    return Shape{factor == 1 ? "L" : "Lx" + std::to_string(factor),
                 20000 * factor, 100, 0, 10000 * factor, 100, 1000 * factor, 10 * factor,
                 500 * factor, true};
}

// "L", "LxK" or a number; nothing for anything else.
std::optional<Shape> ParseShape(const std::string& text) {
    if (text == "L" || text == "l") return LargeShape(1);
    if (text.size() > 2 && (text[0] == 'L' || text[0] == 'l') && (text[1] == 'x' || text[1] == 'X')) {
        const int factor = StrToIntDef(text.substr(2), 0);
        if (factor >= 1 && factor <= kMaxLargeFactor) return LargeShape(factor);
        return std::nullopt;
    }
    const int n = StrToIntDef(text, 0);
    if (n >= kMinNumberedSize && n <= kMaxNumberedSize) return NumberedShape(n);
    return std::nullopt;
}

struct Layout {
    Shape shape;
    std::string dir;        // C:\tamsk-bench\NAME
    std::string iniDir;     // C:\tamsk-bench\NAME-ini: the INI files are no items themselves
    std::string log;        // in dir
    std::string floorList;  // C:\tamsk-bench\NAME-floor.txt
    std::string keyPath;    // HKCU\Software\TamskBench\NAME

    int FolderCount() const { return CeilDiv(shape.files, shape.filesPerFolder); }
    int KeyCount() const { return CeilDiv(shape.values, shape.valuesPerKey); }
    int RootCount() const { return shape.ownsRoots ? 1 : 0; }
    bool HasShortcutFolder() const { return shape.shortcuts > 0; }

    std::string Folder(int i) const { return dir + "\\cartella" + Padded(i, 4); }
    std::string File(int i) const {
        return Folder(i / shape.filesPerFolder) + "\\file" + Padded(i, 6) + ".dat";
    }
    std::string ShortcutFolder() const { return dir + "\\Menu"; }
    std::string Shortcut(int i) const {
        return ShortcutFolder() + "\\Collegamento" + Padded(i, 4) + ".lnk";
    }
    std::string ShortcutAs(int i, const char* ext) const {
        const std::string lnk = Shortcut(i);
        return lnk.substr(0, lnk.size() - 4) + ext;
    }
    // The entries go to the files in runs, as an installer writes them.
    std::string IniFile(int i) const {
        const int file = static_cast<int>(static_cast<long long>(i) * shape.iniFiles / shape.iniEntries);
        return iniDir + "\\bench-" + Padded(file, 2) + ".ini";
    }
    std::string IniKey(int i) const { return "Voce" + Padded(i, 5); }
    std::string Key(int i) const { return keyPath + "\\Chiave" + Padded(i, 4); }
    std::string ValueName(int i) const { return "Valore" + std::to_string(i % shape.valuesPerKey); }
    std::string Value(int i) const { return Key(i / shape.valuesPerKey) + "\\" + ValueName(i); }
    std::string Counter(int i) const { return RegistryValuePath(kSharedDllsKey + "\\", File(i)); }
    // The folders that still hold a kept shared file afterwards.
    bool FolderStays(int folder) const { return folder * shape.filesPerFolder < shape.shared; }
    // SharedFiles, Shortcuts, AddIni, AddReg, CreateKeys, CopyFiles, CreateDirs.
    int LineCount() const {
        return shape.shared + shape.shortcuts + shape.iniEntries + shape.values + KeyCount() +
               RootCount() + shape.files + FolderCount() + (HasShortcutFolder() ? 1 : 0) +
               RootCount();
    }
    // The log lines and the log itself, which the uninstaller deletes too.
    int ItemCount() const { return LineCount() + 1; }
};

Layout LayoutFor(const Shape& shape) {
    Layout layout;
    layout.shape = shape;
    layout.dir = kBenchRoot + "\\" + shape.name;
    layout.iniDir = layout.dir + "-ini";
    layout.log = layout.dir + "\\install.log";
    layout.floorList = layout.dir + "-floor.txt";
    layout.keyPath = kRegistryRoot + "\\" + shape.name;
    return layout;
}

void AppendSection(std::string& log, const char* name) {
    log += "\r\n[";
    log += name;
    log += "]\r\n";
}

// Sections in the order an installer writes them; the uninstaller's order
// is its own.
std::string MakeLog(const Layout& layout) {
    const Shape& shape = layout.shape;
    std::string log = "; Installazione sintetica per la misura dei tempi: " + shape.name + ".\r\n";
    if (shape.shared > 0) AppendSection(log, "SharedFiles");
    for (int i = 0; i < shape.shared; ++i)
        log += layout.File(i) + "=" + std::to_string(kInstalledUseCount) + "\r\n";
    if (shape.shortcuts > 0) AppendSection(log, "Shortcuts");
    for (int i = 0; i < shape.shortcuts; ++i) log += layout.Shortcut(i) + "=1\r\n";
    AppendSection(log, "AddIni");
    for (int i = 0; i < shape.iniEntries; ++i)
        log += layout.IniFile(i) + ",Voci," + layout.IniKey(i) + "=valore " + std::to_string(i) +
               "\r\n";
    AppendSection(log, "AddReg");
    for (int i = 0; i < shape.values; ++i)
        log += layout.Value(i) + "=dato " + std::to_string(i) + "\r\n";
    AppendSection(log, "CreateKeys");
    if (shape.ownsRoots) log += layout.keyPath + "=1\r\n";
    for (int i = 0; i < layout.KeyCount(); ++i) log += layout.Key(i) + "=1\r\n";
    AppendSection(log, "CopyFiles");
    for (int i = 0; i < shape.files; ++i) log += layout.File(i) + "=1\r\n";
    AppendSection(log, "CreateDirs");
    if (shape.ownsRoots) log += layout.dir + "=1\r\n";
    if (layout.HasShortcutFolder()) log += layout.ShortcutFolder() + "=1\r\n";
    for (int i = 0; i < layout.FolderCount(); ++i) log += layout.Folder(i) + "=1\r\n";
    return log;
}

// ---- The floor's list: the same removals as plain calls ----

void AppendListLine(std::string& list, char tag, std::initializer_list<std::string> fields) {
    list += tag;
    for (const std::string& field : fields) {
        list += floor_list::kSeparator;
        list += field;
    }
    list += "\r\n";
}

// The text before the last backslash and the text after it.
std::pair<std::string, std::string> SplitAtLastBackslash(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return {path.substr(0, slash), path.substr(slash + 1)};
}

// In the order in which the uninstaller takes the sections; keys and folders
// deepest first, as the uninstaller removes them.
std::string MakeFloorList(const Layout& layout) {
    using namespace floor_list;
    const Shape& shape = layout.shape;
    std::string list;
    if (shape.shared > 0) AppendListLine(list, kStretch, {"SharedFiles"});
    for (int i = 0; i < shape.shared; ++i) AppendListLine(list, kUseCount, {kSharedDllsKey, layout.File(i)});
    if (shape.shortcuts > 0) AppendListLine(list, kStretch, {"Shortcuts"});
    for (int i = 0; i < shape.shortcuts; ++i) {
        AppendListLine(list, kFile, {layout.ShortcutAs(i, ".lnk")});
        AppendListLine(list, kFile, {layout.ShortcutAs(i, ".pif")});
    }
    AppendListLine(list, kStretch, {"AddIni"});
    for (int i = 0; i < shape.iniEntries; ++i)
        AppendListLine(list, kIniEntry, {layout.IniFile(i), "Voci", layout.IniKey(i)});
    AppendListLine(list, kStretch, {"AddReg"});
    for (int i = 0; i < shape.values; ++i) {
        const auto [key, name] = SplitAtLastBackslash(layout.Value(i));
        AppendListLine(list, kValue, {key, name});
    }
    AppendListLine(list, kStretch, {"CreateKeys"});
    for (int i = layout.KeyCount() - 1; i >= 0; --i) AppendListLine(list, kKey, {layout.Key(i)});
    if (shape.ownsRoots) AppendListLine(list, kKey, {layout.keyPath});
    AppendListLine(list, kStretch, {"CopyFiles"});
    for (int i = shape.shared; i < shape.files; ++i) AppendListLine(list, kFile, {layout.File(i)});
    AppendListLine(list, kStretch, {"CreateDirs"});
    AppendListLine(list, kFile, {layout.log});
    for (int i = layout.FolderCount() - 1; i >= 0; --i)
        AppendListLine(list, kDirectory, {layout.Folder(i)});
    if (layout.HasShortcutFolder()) AppendListLine(list, kDirectory, {layout.ShortcutFolder()});
    if (shape.ownsRoots) AppendListLine(list, kDirectory, {layout.dir});
    return list;
}

// ---- Clean-up ----

// The entries of a directory (without "." and ".."): full paths of its
// files and of its subdirectories. Empty when it cannot be listed.
void ListDirectory(const std::string& dir, std::vector<std::string>& files,
                   std::vector<std::string>& subdirs) {
    WIN32_FIND_DATAA data{};
    const UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &data));
    if (!find) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? subdirs : files)
            .push_back(dir + "\\" + name);
    } while (FindNextFileA(find.get(), &data));
}

// Deletes a directory tree below the benchmark root, read-only files
// included; refuses every other path.
bool RemoveBenchTree(const std::string& path) {
    if (path.size() <= kBenchRoot.size() + 1 ||
        path.compare(0, kBenchRoot.size() + 1, kBenchRoot + "\\") != 0)
        return false;
    std::vector<std::string> files;
    std::vector<std::string> subdirs;
    ListDirectory(path, files, subdirs);
    for (const std::string& dir : subdirs) RemoveBenchTree(dir);
    for (const std::string& file : files) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    RemoveDirectoryA(path.c_str());
    return !DirectoryExists(path);
}

bool KeyIsEmpty(const std::string& path) {
    TStringList names;
    ListRegistrySubkeys(path, names);
    if (!names.empty()) return false;
    ListRegistryValueNames(path, names);
    return names.empty();
}

// Everything a size may have left: its files, folders and list, its use
// counts, its registry key. The shared parents go when nothing else is in them.
bool CleanSize(const Layout& layout) {
    for (int i = 0; i < layout.shape.shared; ++i) DeleteRegistryValue(layout.Counter(i));
    bool clean = !DirectoryExists(layout.dir) || RemoveBenchTree(layout.dir);
    clean = (!DirectoryExists(layout.iniDir) || RemoveBenchTree(layout.iniDir)) && clean;
    DeleteFileA(layout.floorList.c_str());
    clean = !FileExists(layout.floorList) && clean;
    if (RegistryKeyExists(layout.keyPath)) clean = DeleteRegistryKey(layout.keyPath) && clean;
    if (RegistryKeyExists(kRegistryRoot) && KeyIsEmpty(kRegistryRoot))
        DeleteRegistryKey(kRegistryRoot);
    RemoveDirectoryA(kBenchRoot.c_str());
    for (int i = 0; i < layout.shape.shared && clean; ++i)
        clean = !RegistryValueExists(layout.Counter(i));
    return clean;
}

// ---- Timing ----

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

// The processor time a process has used, user and kernel, in ms. Under load
// it shows the work done where the elapsed time also holds the waiting for
// a processor. The Wine server's share is not in it.
double ProcessorMs(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

struct Mark {
    double ms = 0;  // since the answer to the confirmation
    std::string text;
};

struct Removal {
    bool ok = false;
    std::string failure;
    double answeredMs = 0;    // Yes pressed, since the start of the process
    std::vector<Mark> lines;  // each status line when it was first seen
    LRESULT linesRead = 0;    // lines whose text is in lines
    double closeMs = 0;       // Close enabled, since Yes
    double exitMs = 0;        // the process ended, since Close was pressed
    double totalMs = 0;       // the process from its start to its end
    double cpuMs = 0;         // its processor time, user and kernel
    DWORD exitCode = 0;
};

struct MainDialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainDialogWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<MainDialogSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsMainDialog(window)) return TRUE;
    search.found = window;
    return FALSE;
}

// The main dialog, shown or not yet: the worker starts while the dialog is
// being created, before it shows.
HWND FindMainDialog(DWORD processId) {
    MainDialogSearch search{processId, nullptr};
    EnumWindows(FindMainDialogWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A list box's line count and one line, read with the Unicode messages (see
// UiDriver.h); -1 / nothing when the list does not answer.
LRESULT ReadLineCount(HWND list) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) return -1;
    return static_cast<LRESULT>(count);
}

std::optional<std::string> ReadLine(HWND list, LRESULT index) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                             5000, &length) ||
        static_cast<LRESULT>(length) == LB_ERR)
        return std::nullopt;
    // Room to spare: the line may have been replaced by a longer one since
    // its length was asked.
    std::wstring text(static_cast<size_t>(length) + 256, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                             &copied) ||
        static_cast<LRESULT>(copied) == LB_ERR)
        return std::nullopt;
    text.resize(std::min(static_cast<size_t>(copied), text.size()));
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(),
                            size, nullptr, nullptr);
    return ansi;
}

// Notes the time of every status line that appeared since the last look, and
// reads the lines that can no longer change: the program replaces its last
// line (deleting it and adding the longer text), so that one is read only
// once the run is over. A read that fails is tried again at the next look.
void CollectNewLines(HWND list, double nowMs, bool over, Removal& removal) {
    const LRESULT count = ReadLineCount(list);
    while (count > static_cast<LRESULT>(removal.lines.size()))
        removal.lines.push_back(Mark{nowMs, {}});
    const LRESULT settled = over ? count : count - 1;
    for (; removal.linesRead < settled; ++removal.linesRead) {
        const std::optional<std::string> text = ReadLine(list, removal.linesRead);
        if (!text) return;
        removal.lines[static_cast<size_t>(removal.linesRead)].text = *text;
    }
}

// A message box or shared-file dialog of the process: no question is
// expected during this removal.
HWND FindQuestion(DWORD processId) {
    for (HWND window : ListTopWindows(processId))
        if (IsMessageBox(window) || IsSharedFileDialog(window)) return window;
    return nullptr;
}

const Removal& Fail(Removal& removal, const std::string& why) {
    removal.failure = why;
    return removal;
}

// The confirmation box, looked for at the watching pace: the time the user
// needs to answer counts as nothing.
HWND WaitForConfirmation(const Process& process) {
    const double start = NowMs();
    while (NowMs() - start < kConfirmationDeadlineMs) {
        for (HWND window : ListTopWindows(process.id()))
            if (IsMessageBox(window)) return window;
        if (WaitForSingleObject(process.handle(), kWatchPollMs) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

// Runs the uninstaller on the log as a user would: Yes to the confirmation,
// then watches the main dialog until Close is enabled, presses Close and
// waits for the process to end.
Removal TimeRemoval(const std::string& uninstaller, const std::string& log) {
    Removal removal;
    const double launched = NowMs();
    const Process process = StartProgram(uninstaller, Quote(log));
    if (!process) return Fail(removal, "cannot start " + uninstaller);
    const HWND box = WaitForConfirmation(process);
    if (box == nullptr) return Fail(removal, "no confirmation box");
    const std::string question = ReadBoxText(box);

    const double start = NowMs();
    removal.answeredMs = start - launched;
    if (!PressButton(box, IDYES)) return Fail(removal, "the box has no Yes: " + question);
    // The handles are looked up once each: every look at another process's
    // window is a request to the server that the program under test needs
    // too. The dialog is found as soon as its list exists, perhaps before its
    // Close button does.
    HWND dialog = nullptr;
    HWND close = nullptr;
    HWND list = nullptr;
    bool shown = false;
    double nextQuestionCheck = kQuestionCheckMs;
    double nextLineCheck = 0;
    for (;;) {
        const double now = NowMs() - start;
        if (dialog == nullptr && (dialog = FindMainDialog(process.id())) != nullptr)
            list = GetDlgItem(dialog, IDC_STATUS);
        if (dialog != nullptr) {
            // Until the dialog shows, its initialisation may not yet have
            // disabled Close: an enabled Close counts only once it has shown.
            // Close first, then the lines: every line added before Close was
            // enabled is then collected with a time no later than Close's.
            shown = shown || IsWindowVisible(dialog);
            if (shown && close == nullptr) close = GetDlgItem(dialog, IDC_CLOSE);
            const bool finished = close != nullptr && IsWindowEnabled(close);
            if (finished || now >= nextLineCheck) {
                CollectNewLines(list, now, finished, removal);
                nextLineCheck = now + kLineCheckMs;
            }
            if (finished) {
                removal.closeMs = now;
                break;
            }
        }
        if (WaitForSingleObject(process.handle(), 0) == WAIT_OBJECT_0)
            return Fail(removal, "the uninstaller ended before Close was enabled");
        if (now > kRemovalDeadlineMs) return Fail(removal, "Close not enabled within the deadline");
        // A question would hold the run until the deadline: look for one now
        // and then, not at every poll.
        if (now >= nextQuestionCheck) {
            if (const HWND question = FindQuestion(process.id()))
                return Fail(removal, "the uninstaller asks: " + ReadWindowText(question) + " / " +
                                         ReadBoxText(question) +
                                         ReadControlText(question, IDC_SHARED_NAME));
            nextQuestionCheck = now + kQuestionCheckMs;
        }
        Sleep(kWatchPollMs);
    }
    const double closing = NowMs();
    if (!PressButton(dialog, IDC_CLOSE)) return Fail(removal, "Close cannot be pressed");
    const std::optional<DWORD> code = WaitForExit(process);
    if (!code) return Fail(removal, "the uninstaller did not end after Close");
    const double ended = NowMs();
    removal.exitMs = ended - closing;
    removal.totalMs = ended - launched;
    removal.cpuMs = ProcessorMs(process.handle());
    removal.exitCode = *code;
    removal.ok = true;
    return removal;
}

struct FloorRun {
    bool ok = false;
    std::string failure;
    double totalMs = 0;  // the process from its start to its end
    double cpuMs = 0;    // its processor time, user and kernel
    std::vector<std::pair<std::string, double>> stretches;
    std::string summary;  // its closing line
};

// What the floor program printed: its stretches and its closing line.
void ReadFloorOutput(const std::string& output, FloorRun& run) {
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        char name[128] = {};
        int lines = 0;
        double ms = 0;
        if (std::sscanf(line.c_str(), "STRETCH %127s %d %lf", name, &lines, &ms) == 3)
            run.stretches.emplace_back(name, ms);
        else if (line.compare(0, 6, "FLOOR ") == 0)
            run.summary = line.substr(6);
    }
}

// Runs the floor program on the list and times it from its start to its end;
// its output comes through a pipe, read once it has ended (a few lines).
FloorRun TimeFloor(const std::string& floor, const std::string& list) {
    FloorRun run;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        run.failure = "cannot make a pipe";
        return run;
    }
    const UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();
    std::string commandLine = Quote(floor) + " " + Quote(list);
    PROCESS_INFORMATION info{};
    const double launched = NowMs();
    if (!CreateProcessA(floor.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &info)) {
        run.failure = "cannot start " + floor;
        return run;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    const bool ended = WaitForSingleObject(process.get(), kRemovalDeadlineMs) == WAIT_OBJECT_0;
    run.totalMs = NowMs() - launched;
    run.cpuMs = ProcessorMs(process.get());
    writer.reset();  // the child's end alone is left: reading stops when it is gone
    if (!ended) {
        TerminateProcess(process.get(), 1);
        run.failure = "the floor program did not end within the deadline";
        return run;
    }
    std::string output;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(reader.get(), buffer, sizeof(buffer), &count, nullptr) && count > 0)
        output.append(buffer, count);
    ReadFloorOutput(output, run);
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    if (code != 0) {
        run.failure = "the floor program failed (" + std::to_string(code) + "): " + output;
        return run;
    }
    run.ok = true;
    return run;
}

// ---- Naming the sections by their status line ----

struct Section {
    int message;
    const char* name;
};

// The sections as their status lines announce them; IDS_DONE ends the run.
const Section kSections[] = {
    {IDS_CHECK_SHARED, "SharedFiles"},  {IDS_REMOVE_SHORTCUTS, "Shortcuts"},
    {IDS_REMOVE_INI, "AddIni"},         {IDS_REMOVE_FONTS, "RegFonts"},
    {IDS_REMOVE_REG_VALUES, "AddReg"},  {IDS_REMOVE_REG_KEYS, "CreateKeys"},
    {IDS_REMOVE_SERVERS, "RegServers"}, {IDS_REMOVE_FILES, "CopyFiles"},
    {IDS_REMOVE_DIRS, "CreateDirs"},    {IDS_DONE, "done"},
};

// The texts the uninstaller shows, read from its own string table.
std::map<std::string, std::string> LoadSectionTexts(const std::string& uninstaller) {
    std::map<std::string, std::string> texts;
    const UniqueModule module(
        LoadLibraryExA(uninstaller.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return texts;
    for (const Section& section : kSections) {
        std::string buffer(1024, '\0');  // a status text is one short line
        const int n = LoadStringA(module.get(), static_cast<UINT>(section.message), buffer.data(),
                                  static_cast<int>(buffer.size()));
        if (n > 0) texts[buffer.substr(0, static_cast<size_t>(n))] = section.name;
    }
    return texts;
}

// The section a status line announces: the longest text it begins with.
std::string SectionOfLine(const std::map<std::string, std::string>& texts,
                          const std::string& line) {
    std::string best = "other";
    size_t bestLength = 0;
    for (const auto& [text, name] : texts) {
        if (text.size() > bestLength && line.compare(0, text.size(), text) == 0) {
            best = name;
            bestLength = text.size();
        }
    }
    return best;
}

// "launch" from the start of the process to the answer to the confirmation,
// "start" up to the first status line, each section up to the next line,
// "finish" from the last line to Close enabled, "exit" from Close to the end
// of the process.
std::vector<std::pair<std::string, double>> SplitPhases(
    const Removal& removal, const std::map<std::string, std::string>& texts) {
    std::vector<std::pair<std::string, double>> phases;
    phases.emplace_back("launch", removal.answeredMs);
    double previous = 0;
    std::string name = "start";
    for (const Mark& mark : removal.lines) {
        phases.emplace_back(name, mark.ms - previous);
        previous = mark.ms;
        name = SectionOfLine(texts, mark.text);
        if (name == "done") name = "finish";
    }
    phases.emplace_back(name, removal.closeMs - previous);
    phases.emplace_back("exit", removal.exitMs);
    return phases;
}

// ---- What must be left ----

void CollectTree(const std::string& dir, std::set<std::string>& files,
                 std::set<std::string>& dirs) {
    std::vector<std::string> ownFiles;
    std::vector<std::string> subdirs;
    ListDirectory(dir, ownFiles, subdirs);
    files.insert(ownFiles.begin(), ownFiles.end());
    for (const std::string& subdir : subdirs) {
        dirs.insert(subdir);
        CollectTree(subdir, files, dirs);
    }
}

void Expect(std::vector<std::string>& problems, bool condition, const std::string& what) {
    if (!condition) problems.push_back(what);
}

// Exactly the kept shared files are left, with their use counts lowered by
// one, in their folders; every other item of the log is gone, the log too.
std::vector<std::string> CheckLeftovers(const Layout& layout, const std::string& log) {
    std::vector<std::string> problems;
    std::set<std::string> files;
    std::set<std::string> dirs;
    CollectTree(layout.dir, files, dirs);
    std::set<std::string> keptFiles;
    std::set<std::string> keptDirs;
    for (int i = 0; i < layout.shape.shared; ++i) keptFiles.insert(layout.File(i));
    for (int i = 0; i < layout.FolderCount(); ++i)
        if (layout.FolderStays(i)) keptDirs.insert(layout.Folder(i));
    for (const std::string& file : files)
        Expect(problems, keptFiles.count(file) == 1, "left behind: " + file);
    for (const std::string& file : keptFiles)
        Expect(problems, files.count(file) == 1, "kept file deleted: " + file);
    for (const std::string& dir : dirs)
        Expect(problems, keptDirs.count(dir) == 1, "folder left behind: " + dir);
    for (const std::string& dir : keptDirs)
        Expect(problems, dirs.count(dir) == 1, "folder removed: " + dir);
    if (layout.shape.ownsRoots)
        Expect(problems, !DirectoryExists(layout.dir), "folder left behind: " + layout.dir);

    const std::string lowered = "count " + std::to_string(kInstalledUseCount - 1) + " of ";
    for (const LogItem& item : CheckLogItems(log)) {
        if (item.section == "SharedFiles" || item.section == "CopyFiles" ||
            item.section == "CreateDirs") {
            if (item.item.compare(0, 6, "count ") == 0)
                Expect(problems, item.present && item.item.compare(0, lowered.size(), lowered) == 0,
                       "use count not lowered to " + std::to_string(kInstalledUseCount - 1) + ": " +
                           item.item);
            continue;  // the files and folders are checked above, all of them
        }
        Expect(problems, !item.present, item.section + " left behind: " + item.item);
    }
    TStringList names;
    ListRegistrySubkeys(layout.keyPath, names);
    Expect(problems, names.empty(), "subkeys left under " + layout.keyPath);
    return problems;
}

// Prints the problems (the first ten) under the run's name; true when there were none.
bool ReportProblems(const std::string& run, const std::vector<std::string>& problems) {
    for (size_t i = 0; i < problems.size() && i < 10; ++i)
        std::printf("CHECK %s %s\n", run.c_str(), problems[i].c_str());
    if (problems.size() > 10)
        std::printf("CHECK %s ... %lu problems in all\n", run.c_str(),
                    static_cast<unsigned long>(problems.size()));
    return problems.empty();
}

// ---- Commands ----

int Prepare(const Layout& layout) {
    if (!CleanSize(layout)) {
        std::printf("cannot clean %s and %s\n", layout.dir.c_str(), layout.keyPath.c_str());
        return 1;
    }
    const std::string log = MakeLog(layout);
    const double start = NowMs();
    const bool installed = InstallFromLog(log) && WriteFileBytes(layout.log, log) &&
                           WriteFileBytes(layout.floorList, MakeFloorList(layout));
    const double elapsed = NowMs() - start;
    if (!installed) {
        std::printf("the installation of size %s could not be made\n", layout.shape.name.c_str());
        CleanSize(layout);
        return 1;
    }
    std::printf("PREPARED size=%s log_lines=%d items=%d install_ms=%.0f\n",
                layout.shape.name.c_str(), layout.LineCount(), layout.ItemCount(), elapsed);
    return 0;
}

void PrintRemoval(const std::string& size, const Removal& removal,
                  const std::map<std::string, std::string>& texts) {
    std::printf("RESULT kind=unvrel size=%s total=%.1f cpu=%.1f", size.c_str(), removal.totalMs,
                removal.cpuMs);
    for (const auto& [name, ms] : SplitPhases(removal, texts))
        std::printf(" %s=%.1f", name.c_str(), ms);
    std::printf("\n");
    for (const Mark& mark : removal.lines) {
        if (SectionOfLine(texts, mark.text) == "other")
            std::printf("NOTE unvrel %s status line of no known section: \"%s\"\n", size.c_str(),
                        mark.text.c_str());
    }
}

int Measure(const std::string& uninstaller, const Layout& layout) {
    const std::string& size = layout.shape.name;
    if (!FileExists(layout.log)) {
        std::printf("no installation of size %s: run prepare first\n", size.c_str());
        return 1;
    }
    const std::map<std::string, std::string> texts = LoadSectionTexts(uninstaller);
    const Removal removal = TimeRemoval(uninstaller, layout.log);
    int status = 0;
    if (!removal.ok) {
        std::printf("FAILED kind=unvrel size=%s: %s\n", size.c_str(), removal.failure.c_str());
        status = 1;
    } else {
        PrintRemoval(size, removal, texts);
        if (removal.exitCode != 0)
            std::printf("CHECK unvrel %s exit code %lu\n", size.c_str(), removal.exitCode);
        if (!ReportProblems("unvrel " + size, CheckLeftovers(layout, MakeLog(layout))) ||
            removal.exitCode != 0)
            status = 1;
    }
    if (!CleanSize(layout)) {
        std::printf("CHECK unvrel %s the clean-up left something behind\n", size.c_str());
        status = 1;
    }
    return status;
}

void PrintFloorRun(const std::string& size, const FloorRun& run) {
    std::printf("RESULT kind=floor size=%s total=%.1f cpu=%.1f", size.c_str(), run.totalMs, run.cpuMs);
    double inside = 0;
    for (const auto& [name, ms] : run.stretches) {
        std::printf(" %s=%.1f", name.c_str(), ms);
        inside += ms;
    }
    // Starting the process, reading the list, ending.
    std::printf(" outside=%.1f\nNOTE floor %s %s\n", run.totalMs - inside, size.c_str(),
                run.summary.c_str());
}

int MeasureFloor(const std::string& floor, const Layout& layout) {
    const std::string& size = layout.shape.name;
    if (!FileExists(layout.floorList)) {
        std::printf("no installation of size %s: run prepare first\n", size.c_str());
        return 1;
    }
    const FloorRun run = TimeFloor(floor, layout.floorList);
    int status = 0;
    if (!run.ok) {
        std::printf("FAILED kind=floor size=%s: %s\n", size.c_str(), run.failure.c_str());
        status = 1;
    } else {
        PrintFloorRun(size, run);
        if (!ReportProblems("floor " + size, CheckLeftovers(layout, MakeLog(layout)))) status = 1;
    }
    if (!CleanSize(layout)) {
        std::printf("CHECK floor %s the clean-up left something behind\n", size.c_str());
        status = 1;
    }
    return status;
}

// The fixed cost of a run: a log with no items still means the start, the
// confirmation, the dialog and Close.
int MeasureEmpty(const std::string& uninstaller) {
    const std::string dir = kBenchRoot + "\\" + kEmptyName;
    const std::string log = dir + "\\install.log";
    RemoveBenchTree(dir);
    CreateDirectoryA(kBenchRoot.c_str(), nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    if (!WriteFileBytes(log, "; Registro di installazione senza voci.\r\n")) {
        std::printf("FAILED kind=unvrel size=%s: cannot write %s\n", kEmptyName.c_str(), log.c_str());
        return 1;
    }
    const Removal removal = TimeRemoval(uninstaller, log);
    int status = 0;
    if (!removal.ok) {
        std::printf("FAILED kind=unvrel size=%s: %s\n", kEmptyName.c_str(), removal.failure.c_str());
        status = 1;
    } else {
        PrintRemoval(kEmptyName, removal, LoadSectionTexts(uninstaller));
        std::vector<std::string> problems;
        Expect(problems, removal.exitCode == 0, "exit code " + std::to_string(removal.exitCode));
        Expect(problems, !FileExists(log), "left behind: " + log);
        if (!ReportProblems("unvrel " + kEmptyName, problems)) status = 1;
    }
    RemoveBenchTree(dir);
    RemoveDirectoryA(kBenchRoot.c_str());
    return status;
}

int MeasureEmptyFloor(const std::string& floor) {
    const std::string list = kBenchRoot + "\\" + kEmptyName + "-floor.txt";
    CreateDirectoryA(kBenchRoot.c_str(), nullptr);
    if (!WriteFileBytes(list, "")) {
        std::printf("FAILED kind=floor size=%s: cannot write %s\n", kEmptyName.c_str(), list.c_str());
        return 1;
    }
    const FloorRun run = TimeFloor(floor, list);
    DeleteFileA(list.c_str());
    RemoveDirectoryA(kBenchRoot.c_str());
    if (!run.ok) {
        std::printf("FAILED kind=floor size=%s: %s\n", kEmptyName.c_str(), run.failure.c_str());
        return 1;
    }
    PrintFloorRun(kEmptyName, run);
    return 0;
}

void PrintUsage() {
    std::printf(
        "usage: BenchRunner prepare SIZE | measure UNVREL SIZE | floor FLOOR SIZE |\n"
        "                   empty UNVREL | empty-floor FLOOR | clean SIZE\n"
        "  SIZE: a number from %d to %d, L, or LxK with K from 2 to %d\n",
        kMinNumberedSize, kMaxNumberedSize, kMaxLargeFactor);
}

}  // namespace

int main() {
    const char* commandLine = GetCommandLineA();
    const std::string command = ParamStr(commandLine, 1);
    const std::string program = ParamStr(commandLine, 2);
    if (command == "empty" && !program.empty()) return MeasureEmpty(program);
    if (command == "empty-floor" && !program.empty()) return MeasureEmptyFloor(program);
    const bool timed = command == "measure" || command == "floor";
    const std::optional<Shape> shape = ParseShape(ParamStr(commandLine, timed ? 3 : 2));
    if (!shape || (!timed && command != "prepare" && command != "clean")) {
        PrintUsage();
        return 2;
    }
    const Layout layout = LayoutFor(*shape);
    if (command == "prepare") return Prepare(layout);
    if (command == "clean") return CleanSize(layout) ? 0 : 1;
    if (command == "floor") return MeasureFloor(program, layout);
    return Measure(program, layout);
}
