// The preview's forecast: each section of the log in the order of a run,
// each item judged by what is on the machine now, with the handlers' own
// rules (the kept shared files, the refusals, the fonts match). Only reads.
#include "app/UnVrelPreview.h"

#include <windows.h>

#include <optional>
#include <set>
#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelSafety.h"
#include "app/UnVrelViews.h"
#include "app/UnVrelWorker.h"
#include "core/epFileUtils.h"
#include "core/epProtectedKeys.h"
#include "core/epRegPath.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "core/sysutilNumbers.h"
#include "win/epFileFind.h"
#include "win/epFileUtils.h"
#include "win/epRegIni.h"
#include "win/epWow64.h"
#include "win/handles.h"

namespace {

using TPathSet = std::set<std::string, TLessTextI>;

// The forecast as it grows, and what it knows so far that later sections
// depend on: which shared files stay or wait for the user's answer, and
// which files and directories would be gone.
struct TForecastRun {
    const TRun& run;
    std::vector<TPreviewItem> items;
    TStringList lines;  // the lines of the section being forecast
    std::string section;
    TStringList keptShared;   // "name=" lines: stay whatever happens
    TStringList askedShared;  // "name=" lines: stay unless the user lets them go
    TPathSet removed;         // files and directories that would be gone
    TView view = TView::Bits32;  // the log's view, in which its entries are taken
};

void Add(TForecastRun& f, const std::string& item, TForecast forecast, const std::string& now = std::string()) {
    f.items.push_back(TPreviewItem{f.section, item, forecast, now});
}

// The path of the file or directory that the entry names in the log's view
// (the system folder of that view); nothing, with the item added, when it
// names nothing on this system.
std::optional<std::string> FileOf(TForecastRun& f, const std::string& written) {
    std::optional<std::string> file = FileInView(written, f.view);
    if (!file) Add(f, written, TForecast::Nothing, "no 64-bit system folder on this system");
    return file;
}

// Loads the section into the work list, as its handler would, and makes it
// the section of the items added next. False when it has no lines.
bool BeginSection(TForecastRun& f, const char* section) {
    f.lines = LoadLogSection(f.run, section);
    f.section = section;
    return !f.lines.empty();
}

// "1 subkey", "2 subkeys", "1 entry", "3 entries".
std::string Counted(std::size_t count, const std::string& word) {
    std::string text = std::to_string(count) + " ";
    if (count == 1) return text + word;
    if (word.back() == 'y') return text + word.substr(0, word.size() - 1) + "ies";
    return text + word + "s";
}

bool IsUseError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_USER_MAPPED_FILE;
}

// True when another program holds the file so that it cannot be deleted now:
// it does not open for deletion, or (a running program, a loaded library)
// not for writing. Opening changes nothing in the file.
bool IsFileInUse(const std::string& path, bool readOnly) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    {
        const UniqueFile file(CreateFileA(path.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                          0, nullptr));
        if (!file && IsUseError(GetLastError())) return true;
    }
    if (readOnly) return false;
    const UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    return !file && IsUseError(GetLastError());
}

// What deleting the file now would do, with the words that say why.
TForecast ForecastFileDeletion(const std::string& path, std::string& now) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        now = "missing";
        return TForecast::Nothing;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        now = "a directory, not a file";
        return TForecast::Fail;
    }
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (IsFileInUse(path, readOnly)) {
        now = readOnly ? "in use, read-only" : "in use";
        return TForecast::Restart;
    }
    now = readOnly ? "present, read-only" : "present";
    return TForecast::Remove;
}

void AddFileDeletion(TForecastRun& f, const std::string& path) {
    std::string now;
    const TForecast forecast = ForecastFileDeletion(path, now);
    if (forecast == TForecast::Remove) f.removed.insert(path);
    Add(f, path, forecast, now);
}

// The forecast for a file that a shared-file decision holds back; false when
// none does and the file takes its own course.
bool AddIfShared(TForecastRun& f, const std::string& path) {
    if (TKeptNames(f.keptShared).Contains(path)) {
        Add(f, path, TForecast::Keep, "a shared file that stays");
        return true;
    }
    if (TKeptNames(f.askedShared).Contains(path)) {
        Add(f, path, TForecast::Ask, "goes if the shared file may go");
        return true;
    }
    return false;
}

std::string ShowModeWord(const std::string& field) {
    switch (StrToIntDef(field, 1)) {
        case 0: return "hidden";
        case 2: return "maximised";
        case 3: return "minimised";
        default: return "shown normally";
    }
}

void ForecastPrograms(TForecastRun& f, const char* section) {
    if (!BeginSection(f, section)) return;
    const bool last = std::string(section) == "RunApp";
    for (const std::string& line : TStringList(f.lines)) {
        const std::string value = ValueOf(line);
        const std::string program = StripQuotes(GetField(1, value, CommaSet()), kDoubleQuote);
        if (!IsExistingFile(program) || (last && f.removed.count(program) > 0)) {
            Add(f, program, TForecast::Skip,
                IsExistingFile(program) ? "deleted by CopyFiles before it would run"
                                        : "no such program");
            continue;
        }
        std::string now = ShowModeWord(GetField(4, value, CommaSet()));
        if (!last) now += "; a failure stops the removal";
        // The item as a command line: the program and its parameters.
        const std::string parameters = GetField(2, value, CommaSet());
        Add(f, parameters.empty() ? program : program + " " + parameters, TForecast::Run, now);
    }
}

void ForecastSharedFiles(TForecastRun& f) {
    if (!BeginSection(f, "SharedFiles")) return;
    for (const std::string& line : TStringList(f.lines)) {
        const std::string path = EntryKey(line);
        if (path.empty()) {
            Add(f, path, TForecast::Skip, "names no file");
            continue;
        }
        const std::optional<std::int32_t> count = SharedUseCount(path, f.view);
        if (!count) {
            f.keptShared.push_back(path + "=");
            Add(f, path, TForecast::Keep, "its count states no number");
            continue;
        }
        const std::string counted = "count " + std::to_string(*count);
        if (*count > 1) {
            f.keptShared.push_back(path + "=");
            Add(f, path, TForecast::Keep, counted + ", lowered to " + std::to_string(*count - 1));
        } else if (!f.run.Options.Silent) {
            f.askedShared.push_back(path + "=");
            Add(f, path, TForecast::Ask, counted + ", no other user");
        } else if (f.run.Options.DeleteUnusedShared) {
            Add(f, path, TForecast::Remove, counted + ", no other user: its count goes (/DELSHARED)");
        } else {
            f.keptShared.push_back(path + "=");
            Add(f, path, TForecast::Keep, counted + ", no other user: kept (no /DELSHARED)");
        }
    }
}

void ForecastShortcuts(TForecastRun& f) {
    if (!BeginSection(f, "Shortcuts")) return;
    for (const std::string& line : TStringList(f.lines)) {
        const std::optional<std::string> file = FileOf(f, EntryKey(line));
        if (!file) continue;
        const std::string& key = *file;
        bool any = false;
        for (const char* ext : {".lnk", ".pif"}) {
            const std::string path = ChangeFileExt(key, ext);
            if (key.empty() || !IsExistingFile(path)) continue;
            any = true;
            std::string now;
            TForecast forecast = ForecastFileDeletion(path, now);
            // Shortcuts are never left for the next restart.
            if (forecast == TForecast::Restart) forecast = TForecast::Fail;
            if (forecast == TForecast::Remove) f.removed.insert(path);
            Add(f, path, forecast, now);
        }
        if (!any) Add(f, key, TForecast::Nothing, "no .lnk or .pif of that name");
    }
}

void ForecastIniEntries(TForecastRun& f) {
    if (!BeginSection(f, "AddIni")) return;
    for (const std::string& line : TStringList(f.lines)) {
        const std::string fields = KeyOf(line);
        const std::string file = GetField(1, fields, CommaSet());
        try {
            TepIniFile& ini = GetIniFile(file, true);
            const bool present =
                ini.FindKey(GetField(2, fields, CommaSet()), GetField(3, fields, CommaSet()), false)
                    .Index >= 0;
            Add(f, fields, present ? TForecast::Remove : TForecast::Nothing,
                present ? "entry present" : "no such entry");
        } catch (const EInOutError&) {
            Add(f, fields, TForecast::Fail, "the file cannot be opened");
        }
    }
}

void ForecastFonts(TForecastRun& f) {
    if (!BeginSection(f, "RegFonts")) return;
    TStringList listing;
    ListRegistryValues(FontsKey(), listing);
    for (const std::string& line : TStringList(f.lines)) {
        const std::string fontFile = EntryKey(line);
        if (AddIfShared(f, fontFile)) continue;
        std::string names;
        for (const std::string& value : listing) {
            if (!FontValueMatches(value, fontFile)) continue;
            names += (names.empty() ? "" : ", ") + ("\"" + KeyOf(value) + "\"");
        }
        if (names.empty()) {
            Add(f, fontFile, TForecast::Nothing, "no fonts-key value");
        } else {
            Add(f, fontFile, TForecast::Remove, names);
        }
    }
}

// The forecast of a registry path, which says in which view it looks.
void AddInView(TForecastRun& f, const std::string& path, TForecast forecast,
               const std::string& now) {
    const TView view = EntryView(ParseRegistryPath(RegistryKeyPath(path)).View, f.view);
    Add(f, path, forecast, now + " (" + ViewName(view) + ")");
}

// A registry path of AddReg (asKey false) or CreateKeys (asKey true).
void AddRegistryEntry(TForecastRun& f, const std::string& path, bool asKey) {
    if (WouldRefuseRegistryEntry(path, f.view)) {
        AddInView(f, path, TForecast::Refuse,
                  IsSharedRegistryValue(path) ? "a value that many programs share"
                                              : "the key is the system's own, or holds such a key");
        return;
    }
    if (ParseRegistryPath(path).Root == TRegistryRoot::None &&
        ParseRegistryPath(RegistryKeyPath(path)).Root == TRegistryRoot::None) {
        Add(f, path, TForecast::Nothing, "its root is not one the uninstaller reads");
        return;
    }
    if (RegistryValueExists(path, f.view)) {
        AddInView(f, path, TForecast::Remove,
                  asKey ? "a value of that name goes, not the key" : "value present");
        return;
    }
    if (RegistryKeyExists(path, f.view)) {
        TStringList subkeys;
        ListRegistrySubkeys(path, subkeys, f.view);
        std::string now = asKey ? "key present" : "no such value, the key goes";
        if (!subkeys.empty()) now += ", with " + Counted(subkeys.size(), "subkey");
        AddInView(f, path, TForecast::Remove, now);
        return;
    }
    AddInView(f, path, TForecast::Nothing, "absent");
}

void ForecastRegistry(TForecastRun& f) {
    if (BeginSection(f, "AddReg")) {
        for (const std::string& line : TStringList(f.lines)) AddRegistryEntry(f, KeyOf(line), false);
    }
    if (BeginSection(f, "CreateKeys")) {
        TStringList keys;
        for (const std::string& line : f.lines) keys.push_back(EntryKey(line));
        SortTextI(keys);
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) AddRegistryEntry(f, *key, true);
    }
}

void ForecastServers(TForecastRun& f) {
    if (!BeginSection(f, "RegServers")) return;
    for (const std::string& line : TStringList(f.lines)) {
        const std::string written = EntryKey(line);
        if (AddIfShared(f, written)) continue;
        const std::optional<std::string> file = FileOf(f, written);
        if (!file) continue;
        const std::string& server = *file;
        if (IsExistingFile(server)) {
            Add(f, server, TForecast::Remove, "present");
        } else {
            Add(f, server, TForecast::Nothing, "missing");
        }
    }
}

void AddMatches(TForecastRun& f, const std::string& mask, bool named) {
    TSearchRecEx rec;
    DWORD result = SearchFirst(mask, 0, kNonFileAttributes, rec);
    if (result != 0 && named) Add(f, mask, TForecast::Nothing, "no file matches");
    for (; result == 0; result = SearchNext(rec)) AddFileDeletion(f, rec.FullName);
    SearchClose(rec);
}

void ForecastFiles(TForecastRun& f) {
    if (!BeginSection(f, "CopyFiles")) return;
    for (const std::string& line : TStringList(f.lines)) {
        const std::string written = EntryKey(line);
        if (AddIfShared(f, written)) continue;
        const std::optional<std::string> file = FileOf(f, written);
        if (!file) continue;
        const std::string& key = *file;
        if (WouldRefuseFileMask(key)) {
            Add(f, key, TForecast::Refuse, "a mask over what is not the application's");
            continue;
        }
        AddMatches(f, key, true);
        if (SameTextI(ExtractFileExt(key), ".hlp")) {
            AddMatches(f, ChangeFileExt(key, ".gid"), false);
            AddMatches(f, ChangeFileExt(key, ".fts"), false);
        }
    }
}

// The directory's entries that the run would not have removed by the time
// the directory's turn comes.
int CountEntriesLeft(TForecastRun& f, const std::string& dir) {
    int left = 0;
    TSearchRecEx rec;
    for (DWORD result = SearchFirst(AddBackslash(dir) + "*", kAnyAttribute, 0, rec); result == 0;
         result = SearchNext(rec)) {
        if (f.removed.count(rec.FullName) == 0) ++left;
    }
    return left;
}

void ForecastDirectories(TForecastRun& f) {
    if (!BeginSection(f, "CreateDirs")) return;
    TStringList dirs;
    for (const std::string& line : TStringList(f.lines)) {
        if (std::optional<std::string> dir = FileOf(f, EntryKey(line))) dirs.push_back(*dir);
    }
    SortTextI(dirs);
    for (auto dir = dirs.rbegin(); dir != dirs.rend(); ++dir) {
        if (WouldRefuseDirectory(*dir)) {
            Add(f, *dir, TForecast::Refuse, "protected, or a link");
        } else if (!IsExistingDirectory(*dir)) {
            Add(f, *dir, TForecast::Nothing, "missing");
        } else if (const int left = CountEntriesLeft(f, *dir)) {
            Add(f, *dir, TForecast::Fail,
                "not empty, " + Counted(static_cast<std::size_t>(left), "entry") + " left");
        } else {
            f.removed.insert(RemoveBackslash(*dir));
            Add(f, *dir, TForecast::Remove, "empty by then");
        }
    }
}

// The log goes right before the directories (and at the latest after them).
void ForecastLogDeletion(TForecastRun& f) {
    f.section = "Log";
    f.removed.insert(f.run.LogPath);
    Add(f, f.run.LogPath, TForecast::Remove, "the log itself");
}

}  // namespace

std::vector<TPreviewItem> ForecastRun(const TRun& run) {
    TForecastRun f{run, {}, {}, {}, {}, {}, {}, LogView(run)};
    ForecastPrograms(f, "PreRunApp");
    ForecastSharedFiles(f);
    ForecastShortcuts(f);
    ForecastIniEntries(f);
    ForecastFonts(f);
    ForecastRegistry(f);
    ForecastServers(f);
    ForecastFiles(f);
    ForecastLogDeletion(f);
    ForecastDirectories(f);
    ForecastPrograms(f, "RunApp");
    return std::move(f.items);
}
