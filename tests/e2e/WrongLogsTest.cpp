// A damaged log, run with the rights of an administrator: beside the
// application's own items it names the system's keys, shared values, masks
// without a directory or over system directories, a font that shares a
// system font's file name, shared files with odd counters and a read-only
// file in use. Every own item goes; every place of the system stays.
//
// The refused forms would empty this Wine prefix's Windows directory or
// registry if the program failed to refuse them. So the case first proves
// the rules on this machine's own directories and a harmless stand-in run:
// the same kinds of refusal aimed at places of the case's own making (a
// profile root, a key directly under HKCU). Only when those stay untouched
// does the real log run.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "../support/FileBytes.h"
#include "CaseFixture.h"
#include "core/epFileUtils.h"
#include "win/epProtection.h"

using namespace e2e;

namespace {

const char* const kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TamskWrongLogs";
const char* const kFontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* const kEnvironment = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char* const kAppInitKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char* const kOwnService = "SYSTEM\\CurrentControlSet\\Services\\TamskWrongLogs";
const char* const kOwnClass = "CLSID\\{7A3C1E52-0D4B-4E8F-9C61-5B2A8D7E4F10}";
const char* const kOwnUserKey = "Software\\Tamsk WrongLogs";
const char* const kStandInKey = "TamskWrongLogs";  // directly under HKCU
const char* const kMarker = "TamskWrongLogsMarker";
const char* const kArial = "Arial (TrueType)";
const char* const kOwnFont = "Tamsk WrongLogs (TrueType)";
const char* const kOwnArialCopy = "Tamsk WrongLogs Arial (TrueType)";

std::string SystemDir() {
    char buffer[MAX_PATH] = {};
    GetSystemDirectoryA(buffer, MAX_PATH);
    return buffer;
}

using Text = std::optional<std::string>;

std::string Hklm(const std::string& subkey) { return "HKLM\\" + subkey; }
std::string Hkcu(const std::string& subkey) { return "HKCU\\" + subkey; }

// Each "path=1" line of the section.
std::string Section(const std::string& name, const Lines& paths) {
    std::string text = "[" + name + "]\r\n";
    for (const std::string& path : paths) text += path + "=1\r\n";
    return text;
}

class WrongLogs : public UninstallerCase {
protected:
    void SetUp() override {
        UninstallerCase::SetUp();
        ClearPendingRenames();
        system = SystemDir();
        char profile[MAX_PATH] = {};
        ASSERT_NE(GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH), 0u);
        standInProfile = ExtractFileDir(profile) + "TamskWrongLogs";
        emptyProfile = standInProfile + "Empty";
        savedArial = ReadStringValue(HKEY_LOCAL_MACHINE, kFontsKey, kArial);
        savedPath = ReadStringValue(HKEY_LOCAL_MACHINE, kEnvironment, "Path");
        appInitKeyExisted = KeyExists(HKEY_LOCAL_MACHINE, kAppInitKey);
    }
    void TearDown() override {
        held.reset();
        // The link goes first: nothing may follow it into the system.
        if (!link.empty()) {
            EXPECT_TRUE(RemoveUnixLink(link)) << link;
        }
        if (!appInitKeyExisted) DeleteKeyTree(HKEY_LOCAL_MACHINE, kAppInitKey);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kOwnService);
        for (const std::string& path : markerFiles) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        RemoveDirectoryA(standInProfile.c_str());
        RemoveDirectoryA(emptyProfile.c_str());
        DeleteValue(HKEY_LOCAL_MACHINE, kRun, kMarker);
        DeleteValue(HKEY_LOCAL_MACHINE, kRun, "TamskWrongLogs");
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstall);
        DeleteKeyTree(HKEY_CLASSES_ROOT, kOwnClass);
        DeleteKeyTree(HKEY_CURRENT_USER, kOwnUserKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, kStandInKey);
        for (const char* name : {kOwnFont, kOwnArialCopy})
            DeleteValue(HKEY_LOCAL_MACHINE, kFontsKey, name);
        if (savedArial)
            SetStringValue(HKEY_LOCAL_MACHINE, kFontsKey, kArial, *savedArial);
        else
            DeleteValue(HKEY_LOCAL_MACHINE, kFontsKey, kArial);
        for (const std::string& path : counters) DeleteValue(HKEY_LOCAL_MACHINE, kCounters, path);
        ClearPendingRenames();
        UninstallerCase::TearDown();
    }

    // Creates a file (directories included) that the case removes afterwards.
    std::string MakeFile(const std::string& path) {
        EXPECT_TRUE(WriteFileBytes(path, "data")) << path;
        markerFiles.push_back(path);
        return path;
    }

    // The case sets up the system's places and its own items as this 64-bit
    // program sees them: its logs say so.
    ScenarioResult RunLog(const std::string& text) {
        EXPECT_TRUE(WriteFileBytes(log, "[Options]\r\nView=64\r\n" + text));
        return RunToTheEnd();
    }

    std::string system;
    std::string standInProfile;  // a profile root of the case's own making
    std::string emptyProfile;
    Text savedArial;
    Text savedPath;
    bool appInitKeyExisted = false;
    std::string link;
    Lines markerFiles;
    Lines counters;
    std::optional<HeldFile> held;
};

// The spelling of C: that this machine shares as C$ (the test prefix does).
std::string OnShare(const std::string& path) { return "\\\\localhost\\C$" + path.substr(2); }
std::string OnUncShare(const std::string& path) {
    return "\\\\?\\UNC\\localhost\\C$" + path.substr(2);
}

bool HasReportLine(const Lines& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// Each spelling of a protected place that once got through: a share of this
// machine, "\\?\UNC\", "\??\", a link on the way, a folder below System32, the
// public Documents, and the keys that hold PATH and AppInit_DLLs. Every one
// is refused and its marker stays; the application's own items beside them,
// spelled the same ways, go.
TEST_F(WrongLogs, EverySpellingOfAProtectedPlaceIsRefused) {
    char profile[MAX_PATH] = {};
    char publicDir[MAX_PATH] = {};
    ASSERT_NE(GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH), 0u);
    ASSERT_NE(GetEnvironmentVariableA("PUBLIC", publicDir, MAX_PATH), 0u);
    link = dir + "\\App2\\link";
    ASSERT_TRUE(CreateDirectoryA((dir + "\\App2").c_str(), nullptr));
    ASSERT_TRUE(MakeUnixLink(link, system)) << link;
    ASSERT_TRUE(CreateDirectoryA(emptyProfile.c_str(), nullptr));
    const Text appInit = ReadStringValue(HKEY_LOCAL_MACHINE, kAppInitKey, "AppInit_DLLs");
    if (!appInit) {
        ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kAppInitKey, "AppInit_DLLs", ""));
    }
    ASSERT_TRUE(savedPath.has_value());

    const Lines masks{OnShare(system) + "\\*.zq5", OnUncShare(system) + "\\*.zq6",
                      OnShare(WindowsDir()) + "\\*.zqt", OnShare(profile) + "\\*.zqu",
                      link + "\\*.zqk", system + "\\drivers\\*.zqe",
                      std::string(publicDir) + "\\Documents\\*.zqf"};
    const Lines markers{MakeFile(system + "\\zzmark.zq5"),
                        MakeFile(system + "\\zzmark.zq6"),
                        MakeFile(WindowsDir() + "\\zzmark.zqt"),
                        MakeFile(std::string(profile) + "\\zzmark.zqu"),
                        MakeFile(system + "\\zzmark.zqk"),
                        MakeFile(system + "\\drivers\\zzmark.zqe"),
                        MakeFile(std::string(publicDir) + "\\Documents\\zzmark.zqf")};
    const Lines dirs{OnShare(emptyProfile), OnUncShare(emptyProfile), "\\??\\" + emptyProfile};
    const Lines keys{Hklm(kEnvironment), Hklm(kAppInitKey)};

    // The application's own items, named through the same spellings.
    const Lines ownFiles{MakeFile(dir + "\\Own\\a.own"), MakeFile(dir + "\\Own\\b.own"),
                         MakeFile(dir + "\\App2\\c.own")};
    const std::string ownDir = dir + "\\OwnEmpty";
    ASSERT_TRUE(CreateDirectoryA(ownDir.c_str(), nullptr));
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kOwnService, "ImagePath", "tamsk.exe"));

    Lines copyLines = masks;
    copyLines.insert(copyLines.end(), {OnShare(dir) + "\\Own\\*.own", dir + "\\App2\\*.own"});
    Lines dirLines = dirs;
    dirLines.push_back("\\??\\" + ownDir);
    Lines keyLines = keys;
    keyLines.push_back(Hklm(kOwnService));
    // System32 and the keys as this 64-bit program sees them: the log says so.
    ASSERT_TRUE(WriteFileBytes(log, "[Options]\r\nView=64\r\n" + Section("CreateKeys", keyLines) +
                                        Section("CopyFiles", copyLines) +
                                        Section("CreateDirs", dirLines)));
    const std::string report = dir + "\\report.txt";
    const Process p = StartProgram(kUninstaller, Quote(log) + " /S " + Quote("/LOG=" + report));
    ASSERT_TRUE(p);
    EXPECT_EQ(WaitForExit(p), std::optional<DWORD>(1603));

    for (const std::string& path : markers) EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_TRUE(DirectoryExists(emptyProfile));
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kEnvironment, "Path"), savedPath);
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kAppInitKey, "AppInit_DLLs"),
              appInit ? appInit : Text(""));
    const std::optional<std::string> bytes = ReadAllBytes(report);
    ASSERT_TRUE(bytes.has_value());
    const Lines lines = SplitAt(*bytes, "\r\n");
    for (const std::string& key : keys)
        EXPECT_TRUE(HasReportLine(lines, "CreateKeys\t" + key + "\trefused")) << key;
    for (const std::string& mask : masks)
        EXPECT_TRUE(HasReportLine(lines, "CopyFiles\t" + mask + "\trefused")) << mask;
    for (const std::string& path : dirs)
        EXPECT_TRUE(HasReportLine(lines, "CreateDirs\t" + path + "\trefused")) << path;

    for (const std::string& path : ownFiles) EXPECT_FALSE(FileExists(path)) << path;
    EXPECT_FALSE(DirectoryExists(ownDir));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOwnService));
    EXPECT_TRUE(FileExists(system + "\\kernel32.dll"));
}

TEST_F(WrongLogs, OnlyTheApplicationsOwnItemsGo) {
    // The rules hold on this machine's own directories and keys.
    const TProtectedDirs dirs = GatherProtectedDirs();
    TRealPlaces places(GatherLocalShares());
    for (const std::string& mask : {std::string("*.*"), std::string("C:\\*.*"), system + "\\*.dll",
                                    WindowsDir() + "\\*.*"})
        ASSERT_TRUE(IsMaskRefused(mask, dirs, places)) << mask;
    ASSERT_TRUE(IsDirectoryRefused(WindowsDir(), dirs, places));
    const Lines systemKeys{"HKLM\\SOFTWARE", "HKCU\\Software", "HKLM\\SYSTEM\\CurrentControlSet",
                           "HKCR\\CLSID"};
    for (const std::string& path : systemKeys) ASSERT_TRUE(IsRegistryEntryRefused(path)) << path;
    for (const std::string& path : {Hklm(kRun), Hklm(kEnvironment) + "\\Path"})
        ASSERT_TRUE(IsRegistryEntryRefused(path)) << path;

    // The stand-in run: the same refusals, aimed at what the case made.
    const std::string standInFile = MakeFile(standInProfile + "\\keep.txt");
    ASSERT_TRUE(CreateDirectoryA(emptyProfile.c_str(), nullptr));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, kStandInKey, "Keep", "x"));
    const ScenarioResult standIn = RunLog(
        Section("AddReg", {Hkcu(kStandInKey)}) + Section("CreateKeys", {Hkcu(kStandInKey)}) +
        Section("CopyFiles", {standInProfile + "\\*.*"}) + Section("CreateDirs", {emptyProfile}));
    ASSERT_TRUE(standIn.ok) << Describe(standIn);
    ASSERT_TRUE(FileExists(standInFile));
    ASSERT_TRUE(DirectoryExists(emptyProfile));
    ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, kStandInKey, "Keep"));

    // The system's places, each with a marker.
    ASSERT_TRUE(savedPath.has_value());
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kRun, kMarker, "marker.exe"));
    const std::string windowsMarker = MakeFile(WindowsDir() + "\\tamsk-wrong-logs-marker.txt");
    const std::string rootMarker = MakeFile("C:\\tamsk-wrong-logs-marker.txt");
    const std::string systemMarker = MakeFile(system + "\\tamskmarker.dll");
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kFontsKey, kArial, "arial.ttf"));
    const std::string otherShared = dir + "\\Shared\\other.dll";
    const std::string oddShared = dir + "\\Shared\\odd.dll";
    const std::string keptWithEquals = dir + "\\Shared\\a=b.dll";
    for (const std::string& path : {otherShared, oddShared, keptWithEquals}) {
        MakeFile(path);
        counters.push_back(path);
    }
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kCounters, otherShared, "3"));
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kCounters, oddShared, "many"));
    ASSERT_TRUE(SetDwordValue(HKEY_LOCAL_MACHINE, kCounters, keptWithEquals, 2));

    // The application's own items, some of them below the system's places.
    const Lines ownFiles{MakeFile(dir + "\\App\\app.exe"), MakeFile(dir + "\\App\\one.dat"),
                         MakeFile(dir + "\\App\\two.dat"), MakeFile(system + "\\tamskwl-own.dll")};
    const std::string busy = MakeFile(dir + "\\Busy\\busy.dll");
    ASSERT_TRUE(MakeReadOnly(busy));
    held.emplace(busy);
    ASSERT_TRUE(held->held());
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kRun, "TamskWrongLogs", "app.exe"));
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName", "Tamsk WrongLogs"));
    ASSERT_TRUE(SetStringValue(HKEY_CLASSES_ROOT, kOwnClass, "", "Tamsk WrongLogs"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, kOwnUserKey, "Setting", "1"));
    const std::string ownFont = dir + "\\Fonts\\tamskwl.ttf";
    const std::string ownArial = dir + "\\Fonts\\arial.ttf";
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kFontsKey, kOwnFont, ownFont));
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kFontsKey, kOwnArialCopy, ownArial));

    Lines keys = systemKeys;
    keys.insert(keys.end(), {Hklm(kUninstall), "HKCR\\" + std::string(kOwnClass),
                             Hkcu(kOwnUserKey)});
    const ScenarioResult r = RunLog(
        Section("SharedFiles", {otherShared, oddShared, keptWithEquals}) +
        Section("RegFonts", {ownFont, ownArial}) +
        Section("AddReg", {Hklm(kEnvironment) + "\\Path", Hklm(kRun),
                           Hklm(kRun) + "\\TamskWrongLogs", Hkcu(kOwnUserKey) + "\\Setting"}) +
        Section("CreateKeys", keys) +
        Section("CopyFiles", {"*.*", "C:\\*.*", system + "\\*.dll", dir + "\\App\\app.exe",
                              dir + "\\App\\*.dat", system + "\\tamskwl*.dll", busy, otherShared,
                              oddShared, keptWithEquals}) +
        Section("CreateDirs", {WindowsDir(), emptyProfile, dir + "\\App", dir + "\\Busy"}));
    held.reset();
    ASSERT_TRUE(r.ok) << Describe(r);
    // Each refusal counts as an item not removed; the busy directory goes at
    // the restart, right after its file.
    EXPECT_EQ(r.seen.back().lines,
              (Lines{kSharedLine, kFontsLine,
                     "Rimozione dei valori di registro... elementi non rimossi: 2",
                     "Rimozione delle chiavi di registro... elementi non rimossi: 4",
                     "Rimozione dei file... elementi non rimossi: 3",
                     "Rimozione delle cartelle... elementi non rimossi: 2", kRestartLine, kDone}));

    // Every own item is gone; the file in use goes at the restart, writable.
    for (const std::string& path : ownFiles) EXPECT_FALSE(FileExists(path)) << path;
    EXPECT_FALSE(DirectoryExists(dir + "\\App"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRun, "TamskWrongLogs"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kOwnClass));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOwnUserKey));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kFontsKey, kOwnFont));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kFontsKey, kOwnArialCopy));
    EXPECT_TRUE(FileExists(busy));
    EXPECT_EQ(GetFileAttributesA(busy.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ReadPendingRenames(),
              (Lines{PendingName(busy), "", PendingName(dir + "\\Busy"), ""}));

    // Every place of the system stays.
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, kMarker));
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kEnvironment, "Path"), savedPath);
    for (const char* key : {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                            "SYSTEM\\CurrentControlSet\\Services",
                            "SYSTEM\\CurrentControlSet\\Control"})
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Wine"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
    for (const std::string& path : {windowsMarker, rootMarker, systemMarker,
                                    system + "\\kernel32.dll", WindowsDir() + "\\win.ini"})
        EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_TRUE(DirectoryExists(emptyProfile));
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kFontsKey, kArial), Text("arial.ttf"));
    // The other program's counter keeps its type; an odd one is left as it is.
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kCounters, otherShared), Text("2"));
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kCounters, oddShared), Text("many"));
    EXPECT_EQ(ReadDwordValue(HKEY_LOCAL_MACHINE, kCounters, keptWithEquals),
              std::optional<DWORD>(1));
    for (const std::string& path : {otherShared, oddShared, keptWithEquals})
        EXPECT_TRUE(FileExists(path)) << path;
}

}  // namespace
