// The example NSIS installer of integrations/nsis, built by makensis, as a
// user meets it: installed silently, its log checked clean and naming exactly
// what each macro did, then removed by the quiet uninstall command the
// installer registered, which leaves the registry and drive C as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <set>

#include "../support/FileBytes.h"
#include "CaseFixture.h"

using namespace e2e;

namespace {

#ifdef TAMSK_NSIS_EXAMPLE_SETUP
const std::string kSetup = TAMSK_NSIS_EXAMPLE_SETUP;
#else
const std::string kSetup;
#endif
#ifdef TAMSK_NSIS_CASES_SETUP
const std::string kCasesSetup = TAMSK_NSIS_CASES_SETUP;
#else
const std::string kCasesSetup;
#endif
const std::string kChecker = TAMSK_UNVREL_CHECK_EXE;

const std::string kApp = "C:\\Program Files\\Tamsk Example";
const std::string kInstallLog = kApp + "\\install.log";
const std::string kShared = "C:\\Program Files\\Common Files\\Tamsk Shared";
const std::string kMenu = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Tamsk Example";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TamskExample";
const std::string kFontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kServerKey = "CLSID\\{6C3A1D52-93E4-4B7B-8F0B-2E5A7C1D9F41}\\InprocServer32";
constexpr REGSAM k64 = KEY_WOW64_64KEY;
constexpr DWORD kInstallDeadlineMs = 60000;
constexpr DWORD kSettleDeadlineMs = 20000;

// ---- What the machine holds: one line per key, value, folder and file ----

using Capture = std::set<std::string>;

std::string Hex(const BYTE* data, DWORD size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (DWORD i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

// The key with its values and subkeys, except the subkey skip (empty: none).
void CaptureKey(HKEY root, const std::string& name, const std::string& subkey, Capture& out,
                const std::string& skip = "") {
    if (subkey == skip) return;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ | k64, &key) != ERROR_SUCCESS) return;
    const UniqueHkey holder(key);
    out.insert(name + "\\" + subkey + "\\");
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr,
                         &values, &longestName, &longestData, nullptr,
                         nullptr) != ERROR_SUCCESS)
        return;
    std::string valueName(longestName + 1, '\0');
    std::vector<BYTE> data(longestData + 1);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameSize = static_cast<DWORD>(valueName.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(key, i, &valueName[0], &nameSize, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            continue;
        out.insert(name + "\\" + subkey + "\\" + valueName.substr(0, nameSize) + " = " +
                   std::to_string(type) + ":" + Hex(data.data(), dataSize));
    }
    std::vector<std::string> children;
    std::string child(longestSubkey + 1, '\0');
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD size = static_cast<DWORD>(child.size());
        if (RegEnumKeyExA(key, i, &child[0], &size, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS)
            children.push_back(child.substr(0, size));
    }
    for (const std::string& c : children) CaptureKey(root, name, subkey + "\\" + c, out, skip);
}

// Files with their size and time of last writing; folders by name alone
// (a folder's time changes with whatever comes and goes inside it).
void CaptureFolder(const std::string& folder, Capture& out) {
    WIN32_FIND_DATAA data{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    const UniqueFind holder(search);
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(path + "\\");
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) CaptureFolder(path, out);
        } else {
            out.insert(path + " " + std::to_string(data.nFileSizeLow) + " " +
                       std::to_string(data.ftLastWriteTime.dwLowDateTime));
        }
    } while (FindNextFileA(search, &data));
}

// The registry an installation touches (the machine's and the user's
// software, both views, with the list of programs, the shared-file counts,
// the fonts and the classes, and the user's environment) and drive C. Not
// HKCU\Software\Wine: Wine's own settings and caches, which have no
// counterpart on Windows (loading a font adds it to Wine's font cache there,
// and Wine keeps that entry after the font has gone).
Capture CaptureMachine() {
    Capture out;
    CaptureKey(HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE", out);
    CaptureKey(HKEY_CURRENT_USER, "HKCU", "Software", out, "Software\\Wine");
    CaptureKey(HKEY_CURRENT_USER, "HKCU", "Environment", out);
    CaptureFolder("C:", out);
    return out;
}

std::string Difference(const Capture& before, const Capture& after) {
    std::vector<std::string> gone, added;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(gone));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    std::string text;
    for (const std::string& line : gone) text += "\n  - " + line;
    for (const std::string& line : added) text += "\n  + " + line;
    return text.empty() ? "no difference" : text;
}

// Polls until the machine looks as it did (the uninstaller's copy of itself
// finishes after the command has ended); the last capture either way.
Capture WaitForMachineLike(const Capture& expected) {
    Capture now = CaptureMachine();
    for (const DWORD start = GetTickCount(); now != expected && GetTickCount() - start < kSettleDeadlineMs;) {
        Sleep(200);
        now = CaptureMachine();
    }
    return now;
}

// ---- The log ----

using Sections = std::vector<std::pair<std::string, Lines>>;

// The log's sections in file order, each with its lines.
Sections ReadSections(const std::string& path) {
    Sections sections;
    const std::optional<std::string> bytes = ReadAllBytes(path);
    if (!bytes) return sections;
    for (const std::string& line : SplitAt(*bytes, "\r\n")) {
        if (line.size() > 1 && line.front() == '[' && line.back() == ']')
            sections.emplace_back(line.substr(1, line.size() - 2), Lines{});
        else if (!sections.empty() && !line.empty())
            sections.back().second.push_back(line);
    }
    return sections;
}

// ---- Programs ----

// Runs the program with the arguments and its output going to outputFile;
// its exit code, or nothing when it did not end within the deadline.
std::optional<DWORD> RunProgram(const std::string& exe, const std::string& args,
                                const std::string& outputFile = "") {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFile output;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!outputFile.empty()) {
        output.reset(CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
    }
    std::string commandLine = Quote(exe) + " " + args;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, output ? TRUE : FALSE, 0,
                        nullptr, nullptr, &startup, &info))
        return std::nullopt;
    CloseHandle(info.hThread);
    const Process process(UniqueHandle(info.hProcess), info.dwProcessId);
    return WaitForExit(process, kInstallDeadlineMs);
}

// The registered quiet uninstall command, split into program and arguments.
std::pair<std::string, std::string> QuietUninstallCommand() {
    const std::string command =
        ReadStringValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", k64)
            .value_or("");
    if (command.size() < 2 || command.front() != '"') return {};
    const size_t close = command.find('"', 1);
    if (close == std::string::npos) return {};
    return {command.substr(1, close - 1), command.substr(close + 1)};
}

// unvrel-check finds nothing wrong with the log (notes at most).
void ExpectCheckedClean(const std::string& log) {
    const std::string output = kArtifacts + "\\" + TestName() + "-check.txt";
    EXPECT_EQ(RunProgram(kChecker, Quote(log), output), std::optional<DWORD>(0))
        << ReadAllBytes(output).value_or("(no output)");
}

// ---- The cases ----

class NsisExample : public ::testing::Test {
protected:
    void SetUp() override {
        if (kSetup.empty()) GTEST_SKIP() << "makensis was not found: no example installer";
        // Every Windows installation has this key; Wine's prefix lacks it,
        // and the installer's count would make it.
        ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kCounters, k64));
        ClearPendingRenames();
    }
    void TearDown() override {
        // A case that failed half-way must not leave the example behind.
        if (FileExists(kInstallLog)) {
            const auto [exe, args] = QuietUninstallCommand();
            if (!exe.empty()) RunProgram(exe, args + " /DELSHARED");
        }
        for (const std::string& file : userFiles) DeleteFileA(file.c_str());
        for (auto dir = userDirs.rbegin(); dir != userDirs.rend(); ++dir)
            RemoveDirectoryA(dir->c_str());
        ClearPendingRenames();
    }

    void Install() {
        ASSERT_EQ(RunProgram(kSetup, "/S"), std::optional<DWORD>(0));
        ASSERT_TRUE(FileExists(kInstallLog));
    }

    void ExpectTheLogChecksClean() { ExpectCheckedClean(kInstallLog); }

    // Runs the quiet uninstall command, with the shared file this example
    // alone counts taken away too; it ends with exit code 0.
    void Uninstall() {
        const auto [exe, args] = QuietUninstallCommand();
        ASSERT_EQ(exe, kApp + "\\UnVrel.exe");
        EXPECT_EQ(args, " \"" + kInstallLog + "\" /S");
        EXPECT_EQ(RunProgram(exe, args + " /DELSHARED"), std::optional<DWORD>(0));
    }

    void MakeUserFile(const std::string& path) {
        for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
            const std::string dir = path.substr(0, at);
            if (!DirectoryExists(dir) && CreateDirectoryA(dir.c_str(), nullptr))
                userDirs.push_back(dir);
        }
        ASSERT_TRUE(WriteFileBytes(path, "my own notes\r\n"));
        userFiles.push_back(path);
    }

    Lines userFiles;
    Lines userDirs;
};

// One line of the log, the macro that wrote it, and how the machine shows
// what the line names.
struct LoggedItem {
    const char* macro;
    std::string section;
    std::string line;
    std::function<bool()> done;
};

bool HasFile(const std::string& path) { return FileExists(path); }
bool HasDir(const std::string& path) { return DirectoryExists(path); }
bool HasKey(HKEY root, const std::string& key) { return KeyExists(root, key, k64); }
bool HasValue(HKEY root, const std::string& key, const std::string& name) {
    return ValueExists(root, key, name, k64);
}
bool Always() { return true; }

std::vector<LoggedItem> ExpectedItems() {
    const std::string fonts = WindowsDir() + "\\Fonts\\TamskExample.ttf";
    const std::string desktop = "C:\\users\\Public\\Desktop\\Tamsk Example.lnk";
    const std::string ini = kApp + "\\TamskExample.ini";
    const std::string exe = kApp + "\\TamskExample.exe";
    const std::string server = kApp + "\\TamskExampleServer.dll";
    const std::string sharedDll = kShared + "\\TamskShared.dll";
    const auto dir = [](const char* macro, const std::string& path) {
        return LoggedItem{macro, "CreateDirs", path + "=1", [path] { return HasDir(path); }};
    };
    const auto file = [](const char* macro, const std::string& path) {
        return LoggedItem{macro, "CopyFiles", path + "=1", [path] { return HasFile(path); }};
    };
    const auto key = [](const char* macro, HKEY root, const std::string& name,
                        const std::string& subkey) {
        return LoggedItem{macro, "CreateKeys", name + "\\" + subkey + "=1",
                          [root, subkey] { return HasKey(root, subkey); }};
    };
    const auto value = [](const char* macro, HKEY root, const std::string& name,
                          const std::string& subkey, const std::string& valueName,
                          const std::string& written) {
        return LoggedItem{macro, "AddReg", name + "\\" + subkey + "\\" + written + "=1",
                          [root, subkey, valueName] { return HasValue(root, subkey, valueName); }};
    };
    const auto setting = [](const char* macro, const char* section, const std::string& line) {
        return LoggedItem{macro, section, line, Always};
    };
    return {
        setting("TamskLogOpen", "Options", "View=64"),
        dir("TamskLogOpen", kApp),
        file("TamskFile", exe),
        file("TamskFile", server),
        file("TamskFileAs", kApp + "\\Read me.txt"),
        dir("TamskFiles", kApp + "\\Docs"),
        dir("TamskFiles", kApp + "\\Templates"),
        dir("TamskFiles", kApp + "\\Docs\\Guide"),
        file("TamskFiles", kApp + "\\Templates\\letter=short.txt"),
        file("TamskFiles", kApp + "\\Templates\\minutes.txt"),
        file("TamskFiles", kApp + "\\Docs\\readme.txt"),
        file("TamskFiles", kApp + "\\Docs\\Guide\\next.txt"),
        file("TamskFiles", kApp + "\\Docs\\Guide\\start.txt"),
        dir("TamskSharedFile", kShared),
        {"TamskSharedFile", "SharedFiles", sharedDll + "=1",
         [] {
             return ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters,
                                   kShared + "\\TamskShared.dll", k64) == DWORD{1};
         }},
        file("TamskSharedFile", sharedDll),
        {"TamskRegDLL", "RegServers", server + "=1",
         [server] { return ReadStringValue(HKEY_CLASSES_ROOT, kServerKey, "", k64) == server; }},
        {"TamskInstallFont", "RegFonts", fonts + "=1",
         [] {
             return ReadStringValue(HKEY_LOCAL_MACHINE, kFontsKey,
                                    "Tamsk Example Symbols (TrueType)", k64) ==
                    std::string("TamskExample.ttf");
         }},
        file("TamskInstallFont", fonts),
        dir("TamskCreateDirectory", kMenu),
        {"TamskCreateShortCut", "Shortcuts", kMenu + "\\Tamsk Example.lnk=1",
         [] { return HasFile(kMenu + "\\Tamsk Example.lnk"); }},
        {"TamskCreateShortCut", "Shortcuts", kMenu + "\\Read me.lnk=1",
         [] { return HasFile(kMenu + "\\Read me.lnk"); }},
        {"TamskCreateShortCut", "Shortcuts", desktop + "=1", [desktop] { return HasFile(desktop); }},
        key("TamskWriteRegStr", HKEY_LOCAL_MACHINE, "HKLM", "Software\\Tamsk\\Tamsk Example"),
        key("TamskWriteRegStr", HKEY_LOCAL_MACHINE, "HKLM", "Software\\Tamsk"),
        value("TamskWriteRegStr", HKEY_LOCAL_MACHINE, "HKLM", "Software\\Tamsk\\Tamsk Example",
              "InstallDir", "InstallDir"),
        value("TamskWriteRegDWORD", HKEY_LOCAL_MACHINE, "HKLM", "Software\\Tamsk\\Tamsk Example",
              "Version", "Version"),
        key("TamskWriteRegStr", HKEY_CURRENT_USER, "HKCU",
            "Software\\Tamsk\\Tamsk Example\\Settings"),
        key("TamskWriteRegStr", HKEY_CURRENT_USER, "HKCU", "Software\\Tamsk\\Tamsk Example"),
        key("TamskWriteRegStr", HKEY_CURRENT_USER, "HKCU", "Software\\Tamsk"),
        value("TamskWriteRegStr", HKEY_CURRENT_USER, "HKCU",
              "Software\\Tamsk\\Tamsk Example\\Settings", "Language", "Language"),
        key("TamskWriteRegStr", HKEY_CURRENT_USER, "HKCU", "Software\\Tamsk\\Tamsk Example\\Recent"),
        value("TamskWriteRegStr", HKEY_CURRENT_USER, "HKCU", "Software\\Tamsk\\Tamsk Example\\Recent",
              "C:\\Users\\Public\\Documents\\todo.txt", "'C:\\Users\\Public\\Documents\\todo.txt'"),
        key("TamskWriteRegStr", HKEY_LOCAL_MACHINE, "HKLM",
            "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TamskExample.exe"),
        value("TamskWriteRegStr", HKEY_LOCAL_MACHINE, "HKLM",
              "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TamskExample.exe", "", ""),
        key("TamskWriteRegStr", HKEY_CLASSES_ROOT, "HKCR", ".tamskx"),
        value("TamskWriteRegStr", HKEY_CLASSES_ROOT, "HKCR", ".tamskx", "", ""),
        key("TamskWriteRegStr", HKEY_CLASSES_ROOT, "HKCR", "TamskExample.Document\\shell\\open\\command"),
        key("TamskWriteRegStr", HKEY_CLASSES_ROOT, "HKCR", "TamskExample.Document\\shell\\open"),
        key("TamskWriteRegStr", HKEY_CLASSES_ROOT, "HKCR", "TamskExample.Document\\shell"),
        key("TamskWriteRegStr", HKEY_CLASSES_ROOT, "HKCR", "TamskExample.Document"),
        value("TamskWriteRegStr", HKEY_CLASSES_ROOT, "HKCR",
              "TamskExample.Document\\shell\\open\\command", "", ""),
        value("TamskWriteRegExpandStr", HKEY_CURRENT_USER, "HKCU", "Environment",
              "TAMSK_EXAMPLE_HOME", "TAMSK_EXAMPLE_HOME"),
        file("TamskWriteINIStr", ini),
        {"TamskWriteINIStr", "AddIni", ini + ",Window,Width=1",
         [ini] { return ReadIniValue(ini, "Window", "Width") == std::string("640"); }},
        {"TamskWriteINIStr", "AddIni", ini + ",Recent files,'File 1, pinned'=1",
         [ini] { return ReadIniValue(ini, "Recent files", "File 1, pinned").has_value(); }},
        {"TamskPreRunApp", "PreRunApp", "1=" + exe + ",/close,,0,Closing Tamsk Example...",
         [exe] { return HasFile(exe); }},
        {"TamskRunApp", "RunApp",
         "1=" + WindowsDir() + "\\system32\\cmd.exe,"
             "'/c if exist \"C:\\ProgramData\\Tamsk Example\" rd /s /q "
             "\"C:\\ProgramData\\Tamsk Example\"',,0,"
             "'Removing the data of Tamsk Example, if any...'",
         [] { return HasFile(WindowsDir() + "\\system32\\cmd.exe"); }},
        setting("TamskString", "Strings", "1=Uninstall Tamsk Example"),
        setting("TamskString", "Strings",
                "4=Do you really want to remove Tamsk Example and all of its components?"),
        setting("TamskString", "Strings", "5=Tamsk Example has been removed."),
        setting("TamskTitleFont", "Display", "DialogTitleFont=Tahoma,16,8388608,B"),
        setting("TamskTitleFont", "Display", "Charset=0"),
        file("TamskInstallUninstaller", kApp + "\\UnVrel.exe"),
        key("TamskInstallUninstaller", HKEY_LOCAL_MACHINE, "HKLM",
            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TamskExample"),
    };
}

// The expected lines of each section in the order the items were installed.
std::map<std::string, Lines> LinesBySection(const std::vector<LoggedItem>& items) {
    std::map<std::string, Lines> sections;
    for (const LoggedItem& item : items) sections[item.section].push_back(item.line);
    return sections;
}

std::map<std::string, Lines> LinesBySection(const Sections& sections) {
    std::map<std::string, Lines> result;
    for (const auto& [name, lines] : sections) {
        Lines& target = result[name];
        target.insert(target.end(), lines.begin(), lines.end());
    }
    return result;
}

}  // namespace

TEST_F(NsisExample, EveryMacroLogsWhatItDidAndTheQuietUninstallLeavesTheMachineAsBefore) {
    const Capture before = CaptureMachine();
    Install();
    ExpectTheLogChecksClean();

    const Sections sections = ReadSections(kInstallLog);
    const std::vector<LoggedItem> items = ExpectedItems();
    std::set<std::string> names;
    for (const auto& section : sections)
        EXPECT_TRUE(names.insert(section.first).second) << "[" << section.first << "] twice";
    EXPECT_EQ(LinesBySection(sections), LinesBySection(items));
    for (const LoggedItem& item : items)
        EXPECT_TRUE(item.done()) << item.macro << " logged [" << item.section << "] " << item.line
                                 << " but the machine does not show it";

    Uninstall();
    const Capture after = WaitForMachineLike(before);
    EXPECT_TRUE(after == before) << Difference(before, after);
}

// The user's own notes in a folder the installer also fills: the notes and
// their folders stay, whatever the installer put there goes.
TEST_F(NsisExample, InstallIntoAFolderHoldingAUsersFileLeavesThatFileAndItsFolders) {
    const std::string notes = kApp + "\\Docs\\my notes.txt";
    MakeUserFile(notes);
    const Capture before = CaptureMachine();
    Install();
    ExpectTheLogChecksClean();

    const std::map<std::string, Lines> logged = LinesBySection(ReadSections(kInstallLog));
    const Lines& dirs = logged.count("CreateDirs") ? logged.at("CreateDirs") : Lines{};
    EXPECT_EQ(std::count(dirs.begin(), dirs.end(), kApp + "=1"), 0);
    EXPECT_EQ(std::count(dirs.begin(), dirs.end(), kApp + "\\Docs=1"), 0);
    EXPECT_EQ(std::count(dirs.begin(), dirs.end(), kApp + "\\Docs\\Guide=1"), 1);
    const Lines& files = logged.count("CopyFiles") ? logged.at("CopyFiles") : Lines{};
    EXPECT_EQ(std::count(files.begin(), files.end(), notes + "=1"), 0);
    EXPECT_EQ(std::count(files.begin(), files.end(), kApp + "\\Docs\\readme.txt=1"), 1);

    Uninstall();
    const Capture after = WaitForMachineLike(before);
    EXPECT_TRUE(after == before) << Difference(before, after);
    EXPECT_TRUE(FileExists(notes));
}

namespace {

// The installer of the macros' harder cases (tests/e2e/fixture/NsisMacroCases.nsi),
// with what it finds on the machine: a key with a value and an INI file
// with an entry, both the user's.
class NsisMacroCases : public ::testing::Test {
protected:
    void SetUp() override {
        if (kCasesSetup.empty()) GTEST_SKIP() << "makensis was not found: no installer";
        ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, kExisting, "Old", "as before"));
        ASSERT_TRUE(WriteFileBytes(kIni, kIniBytes));
    }
    void TearDown() override {
        if (FileExists(kLog)) RunProgram(kUninstaller, Quote(kLog) + " /S");
        DeleteKeyTree(HKEY_CURRENT_USER, kExisting);
        RemoveCaseTree(std::string(kCaseRoot) + "\\nsis-cases");
    }

    const std::string kApp = "C:\\Program Files\\Tamsk Cases";
    const std::string kLog = kApp + "\\install.log";
    const std::string kExisting = "Software\\TamskE2E\\Existing";
    const std::string kIni = std::string(kCaseRoot) + "\\nsis-cases\\existing.ini";
    const std::string kIniBytes = "[S]\r\nold=as before\r\n";
};

}  // namespace

// Nothing that was there before is claimed, names are quoted as the log
// requires or left out when it cannot hold them, other views and the shell
// context give their roots, and every macro keeps the registers and the
// error flag (the installer checks those itself and ends with 0). Run a
// second time, as an update, the installer leaves its log as it was.
TEST_F(NsisMacroCases, LogNamesOnlyWhatTheInstallerMadeInTheFormTheReaderTakes) {
    ASSERT_EQ(RunProgram(kCasesSetup, "/S"), std::optional<DWORD>(0))
        << ReadAllBytes(kLog).value_or("(no log)");
    const std::map<std::string, Lines> expected{
        {"", {"; Installation log of Tamsk Cases, written by its installer."}},
        {"Options", {"View=64"}},
        {"CreateDirs", {kApp + "=1", kApp + "\\Made=1", kApp + "\\Made too=1"}},
        {"CopyFiles",
         {kApp + "\\cases.nsi=1", kApp + "\\Made\\cases.nsi=1", kApp + "\\Made too\\cases.nsi=1"}},
        {"CreateKeys",
         {"HKCU\\Software\\Tamsk Cases=1", "HKLM32\\Software\\Tamsk Cases=1",
          "HKCU\\Software\\Tamsk Cases\\Context=1", "HKLM\\Software\\Tamsk Cases All=1"}},
        {"AddReg",
         {"HKCU\\Software\\Tamsk Cases\\Plain=1", "HKCU\\" + kExisting + "\\New=1",
          "HKCU\\Software\\Tamsk Cases\\'Anna''s notes'=1",
          "HKCU\\Software\\Tamsk Cases\\'trailing '=1", "HKLM32\\Software\\Tamsk Cases\\View=1",
          "HKCU\\Software\\Tamsk Cases\\Context\\Who=1", "HKLM\\Software\\Tamsk Cases All\\Who=1"}},
        {"AddIni", {kIni + ",S,new=1"}},
        {"PreRunApp", {"1=''C:\\Tamsk, Cases\\stop.exe',,,0,'Closing, please wait''"}},
        {"RunApp", {"1=" + WindowsDir() + "\\system32\\cmd.exe,/c exit 0,,0,"}},
        {"Strings", {"5='\"Done\"'"}},
    };
    const std::optional<std::string> first = ReadAllBytes(kLog);
    ASSERT_TRUE(first);
    std::map<std::string, Lines> logged;
    std::string section;
    for (const std::string& line : SplitAt(*first, "\r\n")) {
        if (!line.empty() && line.front() == '[')
            section = line.substr(1, line.size() - 2);
        else if (!line.empty())
            logged[section].push_back(line);
    }
    EXPECT_EQ(logged, expected);
    ExpectCheckedClean(kLog);

    ASSERT_EQ(RunProgram(kCasesSetup, "/S"), std::optional<DWORD>(0));
    EXPECT_EQ(ReadAllBytes(kLog), first);

    EXPECT_EQ(RunProgram(kUninstaller, Quote(kLog) + " /S"), std::optional<DWORD>(0));
    EXPECT_FALSE(DirectoryExists(kApp));
    for (const char* key : {"Software\\Tamsk Cases", "Software\\Tamsk Cases All"})
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key) || KeyExists(HKEY_LOCAL_MACHINE, key, k64))
            << key;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Tamsk Cases", KEY_WOW64_32KEY));
    EXPECT_EQ(ReadStringValue(HKEY_CURRENT_USER, kExisting, "Old"), std::string("as before"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kExisting, "New"));
    EXPECT_EQ(ReadAllBytes(kIni), kIniBytes);
}

// A failed installation (here one that stops half-way) leaves a log of what
// it did, and that log removes it.
TEST_F(NsisMacroCases, InstallationStoppedHalfWayLeavesALogThatRemovesWhatWasDone) {
    const std::optional<DWORD> code = RunProgram(kCasesSetup, "/S /STOP");
    ASSERT_TRUE(code);
    EXPECT_NE(*code, 0u);
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Tamsk Cases"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kExisting, "New"));
    ExpectCheckedClean(kLog);

    EXPECT_EQ(RunProgram(kUninstaller, Quote(kLog) + " /S"), std::optional<DWORD>(0));
    EXPECT_FALSE(DirectoryExists(kApp));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tamsk Cases"));
    EXPECT_EQ(ReadStringValue(HKEY_CURRENT_USER, kExisting, "Old"), std::string("as before"));
}
