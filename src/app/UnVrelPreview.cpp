// The preview's forecast: the removal plan of each section (app/UnVrelPlan.h),
// the one the run acts on, each item judged by what is on the machine now.
// Only reads.
#include "app/UnVrelPreview.h"

#include <windows.h>

#include <optional>
#include <set>
#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelJournal.h"
#include "app/UnVrelPlan.h"
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
#include "win/epPathIdentity.h"
#include "win/epProcesses.h"
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
    TStringList lines;  // the lines of the program section being forecast
    std::string section;
    std::vector<std::string> keptShared;   // stay whatever happens
    std::vector<std::string> askedShared;  // stay unless the user lets them go
    TSharedNames keptNames;                // keptShared, for the section's lookups
    TPathSet removed;                     // files and directories that would be gone
    TView view = TView::Bits32;  // the log's view, in which its entries are taken
    TStringList fontListing;     // the fonts key's "name=data" lines
    std::string ownExecutable;   // the uninstaller's own file
    // What earlier runs of the log did, read only: the preview starts no journal.
    TRunJournal journal;
    std::size_t line = 0;  // the item's place in its section, which names it in the journal
    std::optional<TSharedAnswer> carried;  // an earlier answer to all, in force
};

void Add(TForecastRun& f, const std::string& item, TForecast forecast, const std::string& now = std::string()) {
    f.items.push_back(TPreviewItem{f.section, item, forecast, now});
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
        const UniqueFile file(OpenFileHandle(path, DELETE, kShareAll, OPEN_EXISTING, 0));
        if (!file && IsUseError(GetLastError())) return true;
    }
    if (readOnly) return false;
    const UniqueFile file(OpenFileHandle(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING, 0));
    return !file && IsUseError(GetLastError());
}

// What deleting the file now would do, with the words that say why.
TForecast ForecastFileDeletion(const std::string& path, std::string& now) {
    const DWORD attributes = ReadFileAttributes(path);
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

// A step that an earlier run of the log made for the line, as the run
// passes over it; an answer to all that came with it holds for the lines
// after it. False when the journal names none.
bool AddIfDoneEarlier(TForecastRun& f, const TPlanItem& item) {
    const std::string& path = item.Path;
    if (f.journal.WasDone(TJournalStep::Lowered, f.line, path)) {
        f.keptShared.push_back(path);
        Add(f, path, TForecast::Done, "its count was lowered then; the file stays");
        return true;
    }
    if (!f.journal.WasDone(TJournalStep::Released, f.line, path)) return false;
    const std::optional<TSharedAnswer> earlier = f.journal.EarlierAnswer(f.line, path);
    if (earlier == TSharedAnswer::YesToAll || earlier == TSharedAnswer::NoToAll) f.carried = earlier;
    if (HasSharedCounter(path, item.View)) {
        f.keptShared.push_back(path);
        Add(f, path, TForecast::Keep, "its count went in an earlier run; counted again since");
        return true;
    }
    Add(f, path, TForecast::Done, "its count went then; the file goes with CopyFiles");
    return true;
}

// A shared file nobody counts any more whose question an earlier run of the
// log answered (for it, or for all files from an earlier one on).
void AddEarlierAnswer(TForecastRun& f, const std::string& path, TSharedAnswer answer,
                      const std::string& counted) {
    if (answer == TSharedAnswer::Yes || answer == TSharedAnswer::YesToAll) {
        Add(f, path, TForecast::Remove,
            counted + ", no other user: its count goes (answered Yes earlier)");
    } else {
        f.keptShared.push_back(path);
        Add(f, path, TForecast::Keep, counted + ", no other user: kept (answered No earlier)");
    }
}

void ForecastSharedFile(TForecastRun& f, const TPlanItem& item) {
    const std::string& path = item.Path;
    if (AddIfDoneEarlier(f, item)) return;
    const std::optional<std::int32_t> count = SharedUseCount(path, item.View);
    if (!count) {
        f.keptShared.push_back(path);
        Add(f, path, TForecast::Keep, "its count states no number");
        return;
    }
    const std::string counted = "count " + std::to_string(*count);
    if (*count > 1) {
        f.keptShared.push_back(path);
        Add(f, path, TForecast::Keep, counted + ", lowered to " + std::to_string(*count - 1));
        return;
    }
    const std::optional<TSharedAnswer> earlier =
        f.carried ? f.carried : f.journal.EarlierAnswer(f.line, path);
    if (earlier == TSharedAnswer::YesToAll || earlier == TSharedAnswer::NoToAll) f.carried = earlier;
    if (earlier) {
        AddEarlierAnswer(f, path, *earlier, counted);
    } else if (!f.run.Options.Silent) {
        f.askedShared.push_back(path);
        Add(f, path, TForecast::Ask, counted + ", no other user");
    } else if (f.run.Options.DeleteUnusedShared) {
        Add(f, path, TForecast::Remove, counted + ", no other user: its count goes (/DELSHARED)");
    } else {
        f.keptShared.push_back(path);
        Add(f, path, TForecast::Keep, counted + ", no other user: kept (no /DELSHARED)");
    }
}

void ForecastShortcut(TForecastRun& f, const TPlanItem& item) {
    bool any = false;
    for (const std::string& path : ShortcutForms(item.Path)) {
        if (!IsExistingFile(path)) continue;
        any = true;
        std::string now;
        TForecast forecast = ForecastFileDeletion(path, now);
        // Shortcuts are never left for the next restart.
        if (forecast == TForecast::Restart) forecast = TForecast::Fail;
        if (forecast == TForecast::Remove) f.removed.insert(path);
        Add(f, path, forecast, now);
    }
    if (!any) Add(f, item.Path, TForecast::Nothing, "no .lnk or .pif of that name");
}

void ForecastIniEntry(TForecastRun& f, const TPlanItem& item) {
    const std::string& fields = item.Path;
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

void ForecastFont(TForecastRun& f, const TPlanItem& item) {
    const std::string& fontFile = item.Written;
    std::string names;
    for (const std::string& value : f.fontListing) {
        if (!FontValueMatches(value, fontFile)) continue;
        names += (names.empty() ? "" : ", ") + ("\"" + KeyOf(value) + "\"");
    }
    if (names.empty()) {
        Add(f, fontFile, TForecast::Nothing, "no fonts-key value");
    } else {
        Add(f, fontFile, TForecast::Remove, names);
    }
}

// The forecast of a registry path, which says in which view it looks.
void AddInView(TForecastRun& f, const TPlanItem& item, TForecast forecast, const std::string& now) {
    Add(f, item.Path, forecast, now + " (" + ViewName(item.View) + ")");
}

// A registry path of AddReg or CreateKeys.
void ForecastRegistryEntry(TForecastRun& f, const TPlanItem& item) {
    const std::string& path = item.Path;
    const bool asKey = f.section == "CreateKeys";
    if (ParseRegistryPath(path).Root == TRegistryRoot::None &&
        ParseRegistryPath(RegistryKeyPath(path)).Root == TRegistryRoot::None) {
        Add(f, path, TForecast::Nothing, "its root is not one the uninstaller reads");
        return;
    }
    if (RegistryValueExists(path, f.view)) {
        AddInView(f, item, TForecast::Remove,
                  asKey ? "a value of that name goes, not the key" : "value present");
        return;
    }
    if (RegistryKeyExists(path, f.view)) {
        TStringList subkeys;
        ListRegistrySubkeys(path, subkeys, f.view);
        std::string now = asKey ? "key present" : "no such value, the key goes";
        if (!subkeys.empty()) now += ", with " + Counted(subkeys.size(), "subkey");
        AddInView(f, item, TForecast::Remove, now);
        return;
    }
    AddInView(f, item, TForecast::Nothing, "absent");
}

void ForecastServer(TForecastRun& f, const TPlanItem& item) {
    if (IsExistingFile(item.Path)) {
        Add(f, item.Path, TForecast::Remove, "present");
    } else {
        Add(f, item.Path, TForecast::Nothing, "missing");
    }
}

// A file the run deletes as it finds it, unless it is the uninstaller's own
// file: the run takes that over from a copy of itself and deletes it after.
void AddMatchingFile(TForecastRun& f, const std::string& path) {
    if (!f.ownExecutable.empty() && IsSameFilePath(path, f.ownExecutable)) {
        f.removed.insert(path);
        Add(f, path, TForecast::Remove, "the uninstaller itself, deleted after the run");
        return;
    }
    AddFileDeletion(f, path);
}

void AddMatches(TForecastRun& f, const std::string& mask, bool named) {
    const unsigned long result =
        ForEachMatch(mask, [&f](const std::string& file) { AddMatchingFile(f, file); });
    if (result == 0 || !named) return;
    if (IsNothingThere(result)) {
        Add(f, mask, TForecast::Nothing, "no file matches");
    } else {
        Add(f, mask, TForecast::Fail, "its folder cannot be read");
    }
}

void ForecastFile(TForecastRun& f, const TPlanItem& item) {
    AddMatches(f, item.Path, true);
    for (const std::string& companion : HelpCompanions(item.Path)) AddMatches(f, companion, false);
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

void ForecastDirectory(TForecastRun& f, const TPlanItem& item) {
    const std::string& dir = item.Path;
    if (!IsExistingDirectory(dir)) {
        Add(f, dir, TForecast::Nothing, "missing");
    } else if (const int left = CountEntriesLeft(f, dir)) {
        Add(f, dir, TForecast::Fail,
            "not empty, " + Counted(static_cast<std::size_t>(left), "entry") + " left");
    } else {
        f.removed.insert(RemoveBackslash(dir));
        Add(f, dir, TForecast::Remove, "empty by then");
    }
}

// Why the safety rules refuse an item of the section.
std::string RefusalReason(const TForecastRun& f, const TPlanItem& item) {
    if (f.section == "CopyFiles") return "a mask over what is not the application's";
    if (f.section == "CreateDirs") return "protected, or a link";
    return IsSharedRegistryValue(item.Path) ? "a value that many programs share"
                                            : "the key is the system's own, or holds such a key";
}

// What the plan decided without the machine's current state; false for an
// item whose forecast the machine decides.
bool AddDecided(TForecastRun& f, const TPlanItem& item) {
    switch (item.Rule) {
        case TPlanRule::Act: return false;
        case TPlanRule::NamesNothing: Add(f, item.Written, TForecast::Nothing, "names no file"); break;
        case TPlanRule::NoPlace:
            Add(f, item.Written, TForecast::Nothing, "no 64-bit system folder on this system");
            break;
        case TPlanRule::KeptShared:
            if (f.keptNames.Contains(item.Written)) {
                Add(f, item.Written, TForecast::Keep, "a shared file that stays");
            } else {
                Add(f, item.Written, TForecast::Ask, "goes if the shared file may go");
            }
            break;
        case TPlanRule::Refused:
            if (f.section == "AddReg" || f.section == "CreateKeys") {
                AddInView(f, item, TForecast::Refuse, RefusalReason(f, item));
            } else {
                Add(f, item.Path, TForecast::Refuse, RefusalReason(f, item));
            }
            break;
        case TPlanRule::PassedOver: Add(f, item.Path, TForecast::Skip, "a name no file can have"); break;
    }
    return true;
}

using TItemForecaster = void (*)(TForecastRun&, const TPlanItem&);

TItemForecaster ForecasterOf(std::string_view section) {
    const std::pair<const char*, TItemForecaster> forecasters[] = {
        {"SharedFiles", ForecastSharedFile}, {"Shortcuts", ForecastShortcut},
        {"AddIni", ForecastIniEntry},       {"RegFonts", ForecastFont},
        {"AddReg", ForecastRegistryEntry},  {"CreateKeys", ForecastRegistryEntry},
        {"RegServers", ForecastServer},     {"CopyFiles", ForecastFile},
        {"CreateDirs", ForecastDirectory},
    };
    for (const auto& [name, forecaster] : forecasters) {
        if (section == name) return forecaster;
    }
    return nullptr;
}

// The items of one removal section, as its plan gives them.
void ForecastSection(TForecastRun& f, const TLogSectionInfo& section) {
    f.section = std::string(section.Name);
    if (f.section == "RegFonts") ListRegistryValues(FontsKey(), f.fontListing);
    f.keptNames = TSharedNames(f.keptShared);
    std::vector<std::string> passedOver = f.keptShared;
    passedOver.insert(passedOver.end(), f.askedShared.begin(), f.askedShared.end());
    const TSectionPlan plan = PlanSection(f.run, section, f.view, TSharedNames(std::move(passedOver)));
    const TItemForecaster forecast = ForecasterOf(section.Name);
    for (std::size_t i = 0; i < plan.Items.size(); ++i) {
        f.line = i;
        if (!AddDecided(f, plan.Items[i])) forecast(f, plan.Items[i]);
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
    TForecastRun f{run, {}, {}, {}, {}, {}, {}, {}, LogView(run), {}, GetOwnExecutable(), {}, 0, {}};
    f.journal.Load(run.LogPath);
    ForecastPrograms(f, "PreRunApp");
    for (const TLogSectionInfo* section : RemovalSections()) {
        if (section->Name == "CreateDirs") ForecastLogDeletion(f);
        ForecastSection(f, *section);
    }
    ForecastPrograms(f, "RunApp");
    return std::move(f.items);
}
