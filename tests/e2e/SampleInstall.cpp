// Playing the installer from an installation log, and checking afterwards
// which of the log's items are still on the system.
#include "SampleInstall.h"

#include <windows.h>

#include "StateHelpers.h"
#include "core/epFileUtils.h"
#include "core/epIniFile.h"
#include "core/epRegPath.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "core/epView.h"
#include "core/sysutilNumbers.h"
#include "win/epFileUtils.h"
#include "win/epRegIni.h"

namespace e2e {

namespace {

const char* const kSharedDlls = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";
const char* const kFontsKey = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";
const char* const kContent = "Tamsk Demo\r\n";

// The view the log's installer worked in: "[Options] View=", 32 without it.
TView ViewOf(const TepIniModel& log) {
    TepIniModel copy = log;
    return LogViewOf(copy.ReadString("Options", "View", ""));
}

// Where a file of the log lies for this (64-bit) installer: in the 32-bit
// view, System32 is SysWOW64. Written apart from the uninstaller's own
// mapping, so that a fault there shows; the few folders the system does not
// redirect are not used by the logs installed here.
std::string OnDisk(const std::string& path, TView view) {
    const std::string system32 = GetWindowsDir() + "\\system32";
    if (view != TView::Bits32 || path.size() <= system32.size() ||
        !SameTextI(path.substr(0, system32.size()), system32) || path[system32.size()] != '\\')
        return path;
    return GetWindowsDir() + "\\syswow64" + path.substr(system32.size());
}

// The access flag of the view of a registry path: its root's own, else the log's.
REGSAM ViewAccess(const std::string& path, TView view) {
    switch (EntryView(ParseRegistryPath(AddBackslash(path)).View, view)) {
        case TView::Bits32: return KEY_WOW64_32KEY;
        case TView::Bits64: return KEY_WOW64_64KEY;
        case TView::Native: break;
    }
    return 0;
}

TStringList SectionOf(const TepIniModel& log, const char* section) {
    TepIniModel copy = log;
    TStringList lines;
    copy.ReadSectionValues(section, lines);
    return lines;
}

bool HasWildcards(const std::string& path) {
    return ExtractFileName(path).find_first_of("*?") != std::string::npos;
}

// A bare INI file name lives in the Windows directory.
std::string IniPath(const std::string& name) {
    return ExtractFileDir(name).empty() ? AddBackslash(GetWindowsDir()) + name : name;
}

bool CreateRegistryKey(const std::string& path, TView view) {
    HKEY root = nullptr;
    std::string subKey;
    std::string valueName;
    if (!SplitRegistryPath(AddBackslash(path), root, subKey, valueName)) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE | ViewAccess(path, view),
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool WriteRegistryString(const std::string& path, const std::string& text,
                         TView view = TView::Native) {
    return WriteRegistryValue(path, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1),
                              view);
}

// Two files for a mask ("*" → uno, due), one for a plain path.
std::vector<std::string> FilesFor(const std::string& key) {
    if (!HasWildcards(key)) return {key};
    std::vector<std::string> files;
    for (const char* word : {"uno", "due"}) {
        files.push_back(ReplaceAll(ReplaceAll(key, "*", word), "?", "x"));
    }
    return files;
}

bool AnyFileMatches(const std::string& mask) {
    WIN32_FIND_DATAA data{};
    const HANDLE find = FindFirstFileA(mask.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    do {
        found = found || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (!found && FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

bool InstallFiles(const TepIniModel& log) {
    bool ok = true;
    for (const std::string& line : SectionOf(log, "CopyFiles")) {
        const std::string key = OnDisk(EntryKey(line), ViewOf(log));
        for (const std::string& file : FilesFor(key)) {
            if (!FileExists(file)) ok = WriteFileBytes(file, kContent) && ok;
        }
        if (SameTextI(ExtractFileExt(key), ".hlp")) {
            ok = WriteFileBytes(ChangeFileExt(key, ".gid"), kContent) && ok;
            ok = WriteFileBytes(ChangeFileExt(key, ".fts"), kContent) && ok;
        }
    }
    return ok;
}

bool InstallSharedFiles(const TepIniModel& log) {
    bool ok = true;
    for (const std::string& line : SectionOf(log, "SharedFiles")) {
        const std::string path = EntryKey(line);
        ok = WriteFileBytes(OnDisk(path, ViewOf(log)), kContent) && ok;
        const std::int32_t count = StrToIntDef(ValueOf(line), 1);
        ok = WriteRegistryInteger(RegistryValuePath(kSharedDlls, path), count, ViewOf(log)) && ok;
    }
    return ok;
}

bool InstallShortcuts(const TepIniModel& log) {
    bool ok = true;
    for (const std::string& line : SectionOf(log, "Shortcuts")) {
        ok = WriteFileBytes(ChangeFileExt(OnDisk(EntryKey(line), ViewOf(log)), ".lnk"), kContent) &&
             ok;
    }
    return ok;
}

bool InstallIniEntries(const TepIniModel& log) {
    bool ok = true;
    for (const std::string& line : SectionOf(log, "AddIni")) {
        const std::string names = KeyOf(line);
        const std::string file = IniPath(GetField(1, names, CommaSet()));
        CreateDirectoryPath(ExtractFileDir(file));
        ok = WritePrivateProfileStringA(GetField(2, names, CommaSet()).c_str(),
                                        GetField(3, names, CommaSet()).c_str(),
                                        ValueOf(line).c_str(), file.c_str()) &&
             ok;
    }
    return ok;
}

bool InstallFonts(const TepIniModel& log) {
    bool ok = true;
    for (const std::string& line : SectionOf(log, "RegFonts")) {
        const std::string file = EntryKey(line);
        if (!FileExists(file)) ok = WriteFileBytes(file, kContent) && ok;
        ok = WriteRegistryString(RegistryValuePath(kFontsKey, ValueOf(line)), ExtractFileName(file)) &&
             ok;
    }
    return ok;
}

bool InstallRegistry(const TepIniModel& log) {
    bool ok = true;
    for (const std::string& line : SectionOf(log, "CreateKeys")) {
        ok = CreateRegistryKey(EntryKey(line), ViewOf(log)) && ok;
    }
    for (const std::string& line : SectionOf(log, "AddReg")) {
        ok = WriteRegistryString(KeyOf(line), ValueOf(line), ViewOf(log)) && ok;
    }
    return ok;
}

bool InstallServers(const TepIniModel& log, const std::string& oleServerDll) {
    if (oleServerDll.empty()) return true;
    bool ok = true;
    for (const std::string& line : SectionOf(log, "RegServers")) {
        const std::string path = OnDisk(EntryKey(line), ViewOf(log));
        CreateDirectoryPath(ExtractFileDir(path));
        ok = CopyFileA(oleServerDll.c_str(), path.c_str(), FALSE) && ok;
    }
    return ok;
}

bool InstallDirectories(const TepIniModel& log) {
    for (const std::string& line : SectionOf(log, "CreateDirs"))
        CreateDirectoryPath(OnDisk(EntryKey(line), ViewOf(log)));
    return true;
}

void AddItem(std::vector<LogItem>& items, const char* section, const std::string& item, bool present) {
    items.push_back(LogItem{section, item, present});
}

}  // namespace

std::string ExpandPlaceholders(std::string text,
                               const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, value] : values) text = ReplaceAll(text, "{" + name + "}", value);
    return text;
}

bool InstallFromLog(const std::string& logText, const std::string& oleServerDll) {
    TepIniModel log(AllIniOptions());
    log.LoadText(logText);
    bool ok = InstallDirectories(log);
    ok = InstallFiles(log) && ok;
    ok = InstallSharedFiles(log) && ok;
    ok = InstallShortcuts(log) && ok;
    ok = InstallIniEntries(log) && ok;
    ok = InstallFonts(log) && ok;
    ok = InstallRegistry(log) && ok;
    ok = InstallServers(log, oleServerDll) && ok;
    return ok;
}

std::vector<LogItem> CheckLogItems(const std::string& logText) {
    TepIniModel log(AllIniOptions());
    log.LoadText(logText);
    std::vector<LogItem> items;
    const TView view = ViewOf(log);
    for (const std::string& line : SectionOf(log, "SharedFiles")) {
        const std::string path = EntryKey(line);
        AddItem(items, "SharedFiles", path, FileExists(OnDisk(path, view)));
        const std::string counter = RegistryValuePath(kSharedDlls, path);
        AddItem(items, "SharedFiles",
                "count " + std::to_string(ReadRegistryInteger(counter, 0, view)) + " of " + path,
                RegistryValueExists(counter, view));
    }
    for (const std::string& line : SectionOf(log, "Shortcuts")) {
        const std::string path = ChangeFileExt(OnDisk(EntryKey(line), view), ".lnk");
        AddItem(items, "Shortcuts", path, FileExists(path));
    }
    for (const std::string& line : SectionOf(log, "AddIni")) {
        const std::string names = KeyOf(line);
        const std::string file = IniPath(GetField(1, names, CommaSet()));
        AddItem(items, "AddIni", names,
                ReadIniValue(file, GetField(2, names, CommaSet()), GetField(3, names, CommaSet()))
                    .has_value());
    }
    for (const std::string& line : SectionOf(log, "RegFonts")) {
        AddItem(items, "RegFonts", ValueOf(line),
                RegistryValueExists(RegistryValuePath(kFontsKey, ValueOf(line))));
    }
    for (const std::string& line : SectionOf(log, "AddReg")) {
        AddItem(items, "AddReg", KeyOf(line), RegistryValueExists(KeyOf(line), view));
    }
    for (const std::string& line : SectionOf(log, "CreateKeys")) {
        AddItem(items, "CreateKeys", EntryKey(line), RegistryKeyExists(EntryKey(line), view));
    }
    for (const std::string& line : SectionOf(log, "CopyFiles")) {
        const std::string key = OnDisk(EntryKey(line), view);
        AddItem(items, "CopyFiles", key, HasWildcards(key) ? AnyFileMatches(key) : FileExists(key));
        if (SameTextI(ExtractFileExt(key), ".hlp")) {
            AddItem(items, "CopyFiles", ChangeFileExt(key, ".gid"), FileExists(ChangeFileExt(key, ".gid")));
            AddItem(items, "CopyFiles", ChangeFileExt(key, ".fts"), FileExists(ChangeFileExt(key, ".fts")));
        }
    }
    for (const std::string& line : SectionOf(log, "CreateDirs")) {
        AddItem(items, "CreateDirs", EntryKey(line), DirectoryExists(OnDisk(EntryKey(line), view)));
    }
    return items;
}

}  // namespace e2e
