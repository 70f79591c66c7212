// The removal plan (see UnVrelPlan.h): the traversal of each removal section,
// with the rules that need the machine (the log's view, the safety rules).
#include "app/UnVrelPlan.h"

#include <windows.h>

#include <optional>

#include "app/UnVrelSafety.h"
#include "app/UnVrelWorker.h"
#include "core/epRegPath.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "win/epFileFind.h"
#include "win/epWow64.h"

namespace {

// What one traversal knows of its section.
struct TPlanning {
    const TLogSectionInfo& Section;
    TView View;
    const TSharedNames& Kept;

    bool Is(const char* name) const { return SameTextI(Section.Name, name); }
};

// The judgement of the safety rules for a file section's item in its place.
TPlanRule RuleInPlace(const TPlanning& p, const std::string& path) {
    if (p.Is("CopyFiles") && WouldRefuseFileMask(path)) return TPlanRule::Refused;
    if (!p.Is("CreateDirs")) return TPlanRule::Act;
    if (HoldsNul(path)) return TPlanRule::PassedOver;
    return WouldRefuseDirectory(path) ? TPlanRule::Refused : TPlanRule::Act;
}

// An entry that names a file or folder, taken in the log's view.
TPlanItem PlanFileEntry(const TPlanning& p, const std::string& written) {
    TPlanItem item{written, written, p.View, RuleFromLog(p.Section.Name, written, p.Kept)};
    if (item.Rule == TPlanRule::NamesNothing) return item;
    const std::optional<std::string> place = FileInView(written, p.View);
    // A kept file stays where it lies, which the folders judge in the log's view.
    if (item.Rule == TPlanRule::KeptShared) {
        item.Path = place.value_or(written);
        return item;
    }
    // A font that names nothing here still loses its fonts-key values.
    if (p.Is("RegFonts")) {
        item.Path = place.value_or(std::string());
        return item;
    }
    if (!place) {
        item.Rule = TPlanRule::NoPlace;
        return item;
    }
    item.Path = *place;
    item.Rule = RuleInPlace(p, item.Path);
    return item;
}

// A registry path of AddReg or CreateKeys, taken in its own view.
TPlanItem PlanRegistryEntry(const TPlanning& p, const std::string& path) {
    const TView own = ParseRegistryPath(RegistryKeyPath(path)).View;
    TPlanItem item{path, path, EntryView(own, p.View), TPlanRule::Act};
    if (WouldRefuseRegistryEntry(path, p.View)) item.Rule = TPlanRule::Refused;
    return item;
}

TPlanItem PlanEntry(const TPlanning& p, const std::string& entry) {
    if (p.Is("AddReg") || p.Is("CreateKeys")) return PlanRegistryEntry(p, entry);
    if (p.Is("AddIni") || p.Is("SharedFiles")) {
        return TPlanItem{entry, entry, p.View, RuleFromLog(p.Section.Name, entry, p.Kept)};
    }
    return PlanFileEntry(p, entry);
}

std::vector<std::string> EntriesOf(const TRun& run, const TLogSectionInfo& section) {
    std::vector<std::string> entries;
    for (const std::string& line : LoadLogSection(run, std::string(section.Name)))
        entries.push_back(PlanEntryOf(section, line));
    return entries;
}

// CreateKeys: the keys as the log writes them, deepest first.
void PlanKeysDeepestFirst(const TPlanning& p, std::vector<std::string> keys, TSectionPlan& plan) {
    OrderDeepestFirst(keys);
    for (const std::string& key : keys) plan.Items.push_back(PlanRegistryEntry(p, key));
}

// CreateDirs: the entries that name nothing here first, in the log's order;
// then the folders in their places, deepest first.
void PlanFoldersDeepestFirst(const TPlanning& p, const std::vector<std::string>& entries,
                             TSectionPlan& plan) {
    std::vector<std::string> dirs;
    for (const std::string& written : entries) {
        std::optional<std::string> dir = FileInView(written, p.View);
        if (dir) {
            dirs.push_back(std::move(*dir));
        } else {
            plan.Items.push_back(TPlanItem{written, written, p.View, TPlanRule::NoPlace});
        }
    }
    OrderDeepestFirst(dirs);
    for (const std::string& dir : dirs)
        plan.Items.push_back(TPlanItem{dir, dir, p.View, RuleInPlace(p, dir)});
}

}  // namespace

TSectionPlan PlanSection(const TRun& run, const TLogSectionInfo& section, TView view,
                         const TSharedNames& kept) {
    const TPlanning p{section, view, kept};
    TSectionPlan plan{&section, {}};
    std::vector<std::string> entries = EntriesOf(run, section);
    if (entries.empty()) return plan;
    // A folder may have been swapped for a link since the last section looked.
    if (p.Is("CopyFiles") || p.Is("CreateDirs")) ForgetRealPlaces();
    if (p.Is("CreateKeys")) {
        PlanKeysDeepestFirst(p, std::move(entries), plan);
    } else if (p.Is("CreateDirs")) {
        PlanFoldersDeepestFirst(p, entries, plan);
    } else {
        plan.Items.reserve(entries.size());
        for (const std::string& entry : entries) plan.Items.push_back(PlanEntry(p, entry));
    }
    return plan;
}

TSectionPlan PlanSection(const TRun& run, const char* section, TView view,
                         const TSharedNames& kept) {
    const TLogSectionInfo* info = FindLogSection(section);
    if (info == nullptr) return TSectionPlan{};
    return PlanSection(run, *info, view, kept);
}

bool RecordDecided(TOutcomeRecorder& outcomes, const TPlanItem& item) {
    switch (item.Rule) {
        case TPlanRule::Act: return false;
        case TPlanRule::NamesNothing:
        case TPlanRule::NoPlace: outcomes.Record(item.Written, TOutcome::Absent); break;
        case TPlanRule::KeptShared: outcomes.Record(item.Written, TOutcome::Kept); break;
        case TPlanRule::Refused: outcomes.Record(item.Path, TOutcome::Refused); break;
        case TPlanRule::PassedOver: break;
    }
    return true;
}

unsigned long ForEachMatch(const std::string& mask,
                           const std::function<void(const std::string&)>& act) {
    TSearchRecEx rec;
    const DWORD first = SearchFirst(mask, 0, kNonFileAttributes, rec);
    for (DWORD result = first; result == 0; result = SearchNext(rec)) act(rec.FullName);
    SearchClose(rec);
    return first;
}

bool IsNothingThere(unsigned long searchResult) {
    return searchResult == ERROR_FILE_NOT_FOUND || searchResult == ERROR_PATH_NOT_FOUND ||
           searchResult == ERROR_NO_MORE_FILES || searchResult == ERROR_INVALID_NAME;
}
