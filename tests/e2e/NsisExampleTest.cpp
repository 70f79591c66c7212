// The example NSIS installer of integrations/nsis, built by makensis, as a
// user meets it: installed silently, its log checked clean and naming exactly
// what each macro did, then removed by the quiet uninstall command the
// installer registered, which leaves the registry and drive C as they were.
#include <gtest/gtest.h>

#include <algorithm>
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

// The log's lines by section, each section's in file order; lines before the
// first header under "". A section written twice is a failure: the reader
// takes only the first.
std::map<std::string, Lines> ReadLog(const std::string& path) {
    std::map<std::string, Lines> sections;
    const std::optional<std::string> bytes = ReadAllBytes(path);
    EXPECT_TRUE(bytes) << path;
    std::string section;
    for (const std::string& line : SplitAt(bytes.value_or(""), "\r\n")) {
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            EXPECT_EQ(sections.count(section), 0u) << "[" << section << "] twice";
            sections[section];
        } else if (!line.empty()) {
            sections[section].push_back(line);
        }
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

    // Runs the quiet uninstall command, with the shared file this example
    // alone counts taken away too: it ends with exit code 0 and leaves the
    // machine as it was before.
    void UninstallToTheMachineBefore(const Capture& before) {
        const auto [exe, args] = QuietUninstallCommand();
        ASSERT_EQ(exe, kApp + "\\UnVrel.exe");
        EXPECT_EQ(args, " \"" + kInstallLog + "\" /S");
        EXPECT_EQ(RunProgram(exe, args + " /DELSHARED"), std::optional<DWORD>(0));
        const Capture after = WaitForMachineLike(before);
        EXPECT_TRUE(after == before) << Difference(before, after);
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

// The sections of the example's log that the capture cannot prove, each as
// its macros write it: settings that leave no trace on the machine, the INI
// entries of a file that goes whole, and the folders and keys, which must not
// claim one that was there before (it stays non-empty, so it would not show).
// Files, values, shortcuts, counts, servers and fonts: the capture after the
// uninstallation shows any that the log misses or claims wrongly.
std::map<std::string, Lines> ExpectedUnseenSections() {
    const std::string exe = kApp + "\\TamskExample.exe";
    const std::string ini = kApp + "\\TamskExample.ini";
    const std::string example = "Software\\Tamsk\\Tamsk Example";
    const std::string document = "HKCR\\TamskExample.Document";
    const auto items = [](Lines names) {
        for (std::string& name : names) name += "=1";
        return names;
    };
    return {
        {"", {"; Installation log of Tamsk Example, written by its installer."}},
        {"Options", {"View=64"}},
        {"CreateDirs", items({kApp, kApp + "\\Docs", kApp + "\\Templates", kApp + "\\Docs\\Guide",
                              kShared, kMenu})},
        {"CreateKeys",
         items({"HKLM\\" + example, "HKLM\\Software\\Tamsk", "HKCU\\" + example + "\\Settings",
                "HKCU\\" + example, "HKCU\\Software\\Tamsk", "HKCU\\" + example + "\\Recent",
                "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TamskExample.exe",
                "HKCR\\.tamskx", document + "\\shell\\open\\command", document + "\\shell\\open",
                document + "\\shell", document,
                "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TamskExample"})},
        {"AddIni", items({ini + ",Window,Width", ini + ",Recent files,'File 1, pinned'"})},
        {"PreRunApp", {"1=" + exe + ",/close,,0,Closing Tamsk Example..."}},
        {"RunApp",
         {"1=" + WindowsDir() + "\\system32\\cmd.exe,"
              "'/c if exist \"C:\\ProgramData\\Tamsk Example\" rd /s /q "
              "\"C:\\ProgramData\\Tamsk Example\"',,0,"
              "'Removing the data of Tamsk Example, if any...'"}},
        {"Strings",
         {"1=Uninstall Tamsk Example",
          "4=Do you really want to remove Tamsk Example and all of its components?",
          "5=Tamsk Example has been removed."}},
        {"Display", {"DialogTitleFont=Tahoma,16,8388608,B", "Charset=0"}},
    };
}

}  // namespace

// The files and folders the log names are on the machine, the shared file
// is counted, the server and the font registered; the log's sections the
// capture cannot prove are as the macros write them.
TEST_F(NsisExample, EveryMacroLogsWhatItDidAndTheQuietUninstallLeavesTheMachineAsBefore) {
    const Capture before = CaptureMachine();
    Install();
    ExpectCheckedClean(kInstallLog);

    std::map<std::string, Lines> logged = ReadLog(kInstallLog);
    for (const auto& [section, lines] : ExpectedUnseenSections())
        EXPECT_EQ(logged[section], lines) << "[" << section << "]";
    for (const auto& [section, lines] : logged) {
        for (const std::string& line : lines) {
            const std::string path = line.substr(0, line.rfind('='));
            const bool folder = section == "CreateDirs";
            if (folder || section == "CopyFiles" || section == "Shortcuts") {
                EXPECT_TRUE(folder ? DirectoryExists(path) : FileExists(path)) << line;
            }
        }
    }
    EXPECT_EQ(ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters, kShared + "\\TamskShared.dll", k64),
              std::optional<DWORD>(1));
    EXPECT_EQ(ReadStringValue(HKEY_CLASSES_ROOT, kServerKey, "", k64),
              std::optional<std::string>(kApp + "\\TamskExampleServer.dll"));
    EXPECT_EQ(
        ReadStringValue(HKEY_LOCAL_MACHINE, kFontsKey, "Tamsk Example Symbols (TrueType)", k64),
        std::optional<std::string>("TamskExample.ttf"));

    UninstallToTheMachineBefore(before);
}

// The user's own notes in a folder the installer also fills: the notes and
// their folders stay, whatever the installer put there goes. The folders
// that were there are not claimed: they stay non-empty, so the capture
// alone would not show it.
TEST_F(NsisExample, InstallIntoAFolderHoldingAUsersFileLeavesThatFileAndItsFolders) {
    const std::string notes = kApp + "\\Docs\\my notes.txt";
    MakeUserFile(notes);
    const Capture before = CaptureMachine();
    Install();
    ExpectCheckedClean(kInstallLog);

    const Lines dirs = ReadLog(kInstallLog)["CreateDirs"];
    for (const std::string& folder : {kApp, kApp + "\\Docs"})
        EXPECT_EQ(std::count(dirs.begin(), dirs.end(), folder + "=1"), 0) << folder;

    UninstallToTheMachineBefore(before);
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
        if (FileExists(kLog)) RunUnattendedOn(kLog, "/S");
        DeleteKeyTree(HKEY_CURRENT_USER, kExisting);
        RemoveCaseTree(std::string(kCaseRoot) + "\\nsis-cases");
    }

    // After the uninstallation: the application's folder gone, the user's
    // value and entry as they were, the installer's value beside them gone.
    void ExpectOnlyTheUsersItemsLeft() {
        EXPECT_FALSE(DirectoryExists(kApp));
        EXPECT_EQ(ReadStringValue(HKEY_CURRENT_USER, kExisting, "Old"), std::string("as before"));
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kExisting, "New"));
    }

    const std::string kApp = "C:\\Program Files\\Tamsk Cases";
    const std::string kLog = kApp + "\\install.log";
    const std::string kExisting = "Software\\TamskE2E\\Existing";
    const std::string kIni = std::string(kCaseRoot) + "\\nsis-cases\\existing.ini";
    const std::string kIniBytes = "[S]\r\nold=as before\r\n";
};

}  // namespace

// Nothing that was there before is claimed; names are quoted as the log
// requires, or left out when it cannot hold them (their key goes whole);
// the 32-bit view and the shell context give their roots; every macro keeps
// the registers and the error flag (the installer checks those itself and
// ends with 0). Run a second time, as an update, the installer leaves its
// log as it was.
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
        {"Strings", {"5='\"Done\"'"}},
    };
    EXPECT_EQ(ReadLog(kLog), expected);
    ExpectCheckedClean(kLog);
    const std::optional<std::string> first = ReadAllBytes(kLog);
    ASSERT_EQ(RunProgram(kCasesSetup, "/S"), std::optional<DWORD>(0));
    EXPECT_EQ(ReadAllBytes(kLog), first);

    EXPECT_EQ(RunUnattendedOn(kLog, "/S"), std::optional<DWORD>(0));
    ExpectOnlyTheUsersItemsLeft();
    for (const char* key : {"Software\\Tamsk Cases", "Software\\Tamsk Cases All"})
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key) || KeyExists(HKEY_LOCAL_MACHINE, key, k64))
            << key;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Tamsk Cases", KEY_WOW64_32KEY));
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

    EXPECT_EQ(RunUnattendedOn(kLog, "/S"), std::optional<DWORD>(0));
    ExpectOnlyTheUsersItemsLeft();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tamsk Cases"));
}
