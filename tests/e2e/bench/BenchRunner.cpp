// The benchmark of the uninstaller on a large synthetic installation: makes
// an installation log of size N, installs what it lists, runs the uninstaller
// on it as a user would and times the removal, section by section, from the
// answer to the confirmation to the moment Close is enabled. scripts/bench
// runs it for several sizes and compares the times.
//
//   BenchRunner.exe prepare N          fresh C:\tamsk-bench\N with its log, installed
//   BenchRunner.exe measure UNVREL N   the timed removal, the check, the clean-up
//   BenchRunner.exe clean N            removes whatever a size left behind
//
// Preparing and measuring are separate runs so that the caller can flush
// the freshly written files to disk in between: deleting files still in the
// write-back cache costs less than deleting files already on disk.
//
// For a log of size N: N "CopyFiles" files, ten to a directory, the first
// half of them also "SharedFiles" with use count 5 (lowered to 4 and kept,
// so no question is asked and the file phase must pass over each), N/10
// "CreateDirs", N "AddReg" values ten to a key, those N/10 keys as
// "CreateKeys", and N/10 "AddIni" entries in two INI files.
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
#include "res/resource.h"
#include "win/epRegIni.h"
#include "win/handles.h"

using namespace e2e;

namespace {

const std::string kBenchRoot = "C:\\tamsk-bench";
const std::string kRegistryRoot = "HKCU\\Software\\TamskBench";
const char* const kSharedDlls = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";

constexpr int kInstalledUseCount = 5;
constexpr int kItemsPerFolder = 10;
constexpr int kMaxSize = 1000000;

// The removal is timed by watching the status list: a short poll, so that a
// section's start is seen within a few milliseconds, yet not so short that
// the watching takes the processor from the program watched.
constexpr DWORD kWatchPollMs = 5;
// Generous: a removal that grows faster than linearly must still finish and
// be reported, not cut off.
constexpr DWORD kRemovalDeadlineMs = 30 * 60 * 1000;
constexpr double kQuestionCheckMs = 250;

// ---- The synthetic installation ----

// A number with at least width digits.
std::string Padded(int number, int width) {
    std::string text = std::to_string(number);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<size_t>(width) - text.size(), '0');
    return text;
}

struct Layout {
    int size = 0;
    std::string dir;  // C:\tamsk-bench\N
    std::string log;
    std::string keyPath;  // HKCU\Software\TamskBench\N

    int FileCount() const { return size; }
    int SharedCount() const { return size / 2; }
    int FolderCount() const { return (size + kItemsPerFolder - 1) / kItemsPerFolder; }
    int IniCount() const { return size / 10; }

    std::string Folder(int i) const { return dir + "\\cartella" + Padded(i, 4); }
    std::string File(int i) const {
        return Folder(i / kItemsPerFolder) + "\\file" + Padded(i, 6) + ".dat";
    }
    std::string IniFile(int i) const {
        return dir + (i < IniCount() / 2 ? "\\bench-a.ini" : "\\bench-b.ini");
    }
    std::string Key(int i) const { return keyPath + "\\Chiave" + Padded(i, 4); }
    std::string Value(int i) const {
        return Key(i / kItemsPerFolder) + "\\Valore" + std::to_string(i % kItemsPerFolder);
    }
    std::string Counter(int i) const { return RegistryValuePath(kSharedDlls, File(i)); }
    // The folders that still hold a kept shared file afterwards.
    bool FolderStays(int folder) const { return folder * kItemsPerFolder < SharedCount(); }
    // SharedFiles, AddIni, AddReg, CreateKeys, CopyFiles, CreateDirs.
    int LineCount() const {
        return SharedCount() + IniCount() + size + FolderCount() + FileCount() + FolderCount();
    }
};

Layout LayoutFor(int size) {
    Layout layout;
    layout.size = size;
    layout.dir = kBenchRoot + "\\" + std::to_string(size);
    layout.log = layout.dir + "\\install.log";
    layout.keyPath = kRegistryRoot + "\\" + std::to_string(size);
    return layout;
}

// Sections in the order an installer writes them; the uninstaller's order
// is its own.
std::string MakeLog(const Layout& layout) {
    std::string log =
        "; Installazione sintetica per la misura dei tempi: " + std::to_string(layout.size) +
        " elementi.\r\n\r\n[SharedFiles]\r\n";
    for (int i = 0; i < layout.SharedCount(); ++i)
        log += layout.File(i) + "=" + std::to_string(kInstalledUseCount) + "\r\n";
    log += "\r\n[AddIni]\r\n";
    for (int i = 0; i < layout.IniCount(); ++i)
        log += layout.IniFile(i) + ",Voci,Voce" + Padded(i, 5) + "=valore " + std::to_string(i) +
               "\r\n";
    log += "\r\n[AddReg]\r\n";
    for (int i = 0; i < layout.size; ++i)
        log += layout.Value(i) + "=dato " + std::to_string(i) + "\r\n";
    log += "\r\n[CreateKeys]\r\n";
    for (int i = 0; i < layout.FolderCount(); ++i) log += layout.Key(i) + "=1\r\n";
    log += "\r\n[CopyFiles]\r\n";
    for (int i = 0; i < layout.FileCount(); ++i) log += layout.File(i) + "=1\r\n";
    log += "\r\n[CreateDirs]\r\n";
    for (int i = 0; i < layout.FolderCount(); ++i) log += layout.Folder(i) + "=1\r\n";
    return log;
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

// Everything a size may have left: its files and folders, its use counts,
// its registry key. The shared parents go when nothing else is in them.
bool CleanSize(const Layout& layout) {
    for (int i = 0; i < layout.SharedCount(); ++i) DeleteRegistryValue(layout.Counter(i));
    bool clean = !DirectoryExists(layout.dir) || RemoveBenchTree(layout.dir);
    if (RegistryKeyExists(layout.keyPath)) clean = DeleteRegistryKey(layout.keyPath) && clean;
    if (RegistryKeyExists(kRegistryRoot) && KeyIsEmpty(kRegistryRoot))
        DeleteRegistryKey(kRegistryRoot);
    RemoveDirectoryA(kBenchRoot.c_str());
    for (int i = 0; i < layout.SharedCount() && clean; ++i)
        clean = !RegistryValueExists(layout.Counter(i));
    return clean;
}

// ---- Timing the removal ----

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

struct Mark {
    double ms = 0;  // since the answer to the confirmation
    std::string text;
};

struct Removal {
    bool ok = false;
    std::string failure;
    std::vector<Mark> lines;  // each status line when it was first seen
    LRESULT linesRead = 0;    // lines whose text is in lines
    double closeMs = 0;       // Close enabled
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

// Runs the uninstaller on the log: Yes to the confirmation, then watches the
// main dialog until Close is enabled, and presses Close.
Removal TimeRemoval(const std::string& uninstaller, const std::string& log) {
    Removal removal;
    const Process process = StartProgram(uninstaller, Quote(log));
    if (!process) return Fail(removal, "cannot start " + uninstaller);
    const HWND box = WaitForTopWindow(process.id(), IsMessageBox);
    if (box == nullptr) return Fail(removal, "no confirmation box");
    const std::string question = ReadBoxText(box);

    const double start = NowMs();
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
            CollectNewLines(list, now, finished, removal);
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
    if (!PressButton(dialog, IDC_CLOSE)) return Fail(removal, "Close cannot be pressed");
    const std::optional<DWORD> code = WaitForExit(process);
    if (!code) return Fail(removal, "the uninstaller did not end after Close");
    removal.exitCode = *code;
    removal.ok = true;
    return removal;
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

// "start" up to the first status line, each section up to the next line,
// "finish" from the last line to Close.
std::vector<std::pair<std::string, double>> SplitPhases(
    const Removal& removal, const std::map<std::string, std::string>& texts) {
    std::vector<std::pair<std::string, double>> phases;
    double previous = 0;
    std::string name = "start";
    for (const Mark& mark : removal.lines) {
        phases.emplace_back(name, mark.ms - previous);
        previous = mark.ms;
        name = SectionOfLine(texts, mark.text);
        if (name == "done") name = "finish";
    }
    phases.emplace_back(name, removal.closeMs - previous);
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
// one, in their folders; every other item of the log is gone.
std::vector<std::string> CheckLeftovers(const Layout& layout, const std::string& log) {
    std::vector<std::string> problems;
    std::set<std::string> files;
    std::set<std::string> dirs;
    CollectTree(layout.dir, files, dirs);
    files.erase(layout.dir + "\\bench-a.ini");  // the INI files themselves are no log item
    files.erase(layout.dir + "\\bench-b.ini");
    std::set<std::string> keptFiles;
    std::set<std::string> keptDirs;
    for (int i = 0; i < layout.SharedCount(); ++i)
        keptFiles.insert(layout.File(i));  // the first half
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

// ---- Commands ----

int ParseSize(const std::string& text) {
    const int size = StrToIntDef(text, 0);
    return size >= kItemsPerFolder && size <= kMaxSize ? size : 0;
}

int Prepare(const Layout& layout) {
    if (!CleanSize(layout)) {
        std::printf("cannot clean %s and %s\n", layout.dir.c_str(), layout.keyPath.c_str());
        return 1;
    }
    const std::string log = MakeLog(layout);
    const double start = NowMs();
    const bool installed = InstallFromLog(log) && WriteFileBytes(layout.log, log);
    const double elapsed = NowMs() - start;
    if (!installed) {
        std::printf("the installation of size %d could not be made\n", layout.size);
        CleanSize(layout);
        return 1;
    }
    std::printf("PREPARED n=%d log_lines=%d install_ms=%.0f\n", layout.size, layout.LineCount(),
                elapsed);
    return 0;
}

int Measure(const std::string& uninstaller, const Layout& layout) {
    const std::string log = MakeLog(layout);
    if (!FileExists(layout.log)) {
        std::printf("no installation of size %d: run prepare first\n", layout.size);
        return 1;
    }
    const std::map<std::string, std::string> texts = LoadSectionTexts(uninstaller);
    const Removal removal = TimeRemoval(uninstaller, layout.log);
    int status = 0;
    if (!removal.ok) {
        std::printf("FAILED n=%d: %s\n", layout.size, removal.failure.c_str());
        status = 1;
    } else {
        std::printf("RESULT n=%d total=%.1f", layout.size, removal.closeMs);
        for (const auto& [name, ms] : SplitPhases(removal, texts))
            std::printf(" %s=%.1f", name.c_str(), ms);
        std::printf("\n");
        for (const Mark& mark : removal.lines) {
            if (SectionOfLine(texts, mark.text) == "other")
                std::printf("NOTE n=%d status line of no known section: \"%s\"\n", layout.size,
                            mark.text.c_str());
        }
        const std::vector<std::string> problems = CheckLeftovers(layout, log);
        if (removal.exitCode != 0)
            std::printf("CHECK n=%d exit code %lu\n", layout.size, removal.exitCode);
        for (size_t i = 0; i < problems.size() && i < 10; ++i)
            std::printf("CHECK n=%d %s\n", layout.size, problems[i].c_str());
        if (problems.size() > 10)
            std::printf("CHECK n=%d ... %lu problems in all\n", layout.size,
                        static_cast<unsigned long>(problems.size()));
        if (!problems.empty() || removal.exitCode != 0) status = 1;
    }
    if (!CleanSize(layout)) {
        std::printf("CHECK n=%d the clean-up left something behind\n", layout.size);
        status = 1;
    }
    return status;
}

void PrintUsage() {
    std::printf(
        "usage: BenchRunner prepare N | measure UNVREL N | clean N\n"
        "  (N from %d to %d)\n",
        kItemsPerFolder, kMaxSize);
}

}  // namespace

int main() {
    const char* commandLine = GetCommandLineA();
    const std::string command = ParamStr(commandLine, 1);
    const bool measuring = command == "measure";
    const int size = ParseSize(ParamStr(commandLine, measuring ? 3 : 2));
    if (size == 0 || (command != "prepare" && command != "clean" && !measuring)) {
        PrintUsage();
        return 2;
    }
    const Layout layout = LayoutFor(size);
    if (command == "prepare") return Prepare(layout);
    if (command == "clean") return CleanSize(layout) ? 0 : 1;
    return Measure(ParamStr(commandLine, 2), layout);
}
