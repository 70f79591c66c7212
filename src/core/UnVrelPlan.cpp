// The removal plan's rules that need no machine (see UnVrelPlan.h).
#include "core/UnVrelPlan.h"

#include <algorithm>

#include "core/epAsciiCase.h"
#include "core/epFileUtils.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"

namespace {

bool IsSection(std::string_view section, std::string_view name) { return SameTextI(section, name); }

}  // namespace

std::vector<const TLogSectionInfo*> RemovalSections() {
    std::vector<const TLogSectionInfo*> sections;
    for (const TLogSectionInfo& info : kLogSections) {
        if (info.Form == TItemForm::EntryKey || info.Form == TItemForm::NamePart)
            sections.push_back(&info);
    }
    return sections;
}

std::string PlanEntryOf(const TLogSectionInfo& section, std::string_view line) {
    switch (section.Form) {
        case TItemForm::NamePart: return KeyOf(line);
        case TItemForm::EntryKey: return EntryKey(line);
        default: return std::string();
    }
}

std::string PlanEntryOf(std::string_view section, std::string_view line) {
    const TLogSectionInfo* info = FindLogSection(section);
    if (info == nullptr || info->Form != TItemForm::NamePart) return EntryKey(line);
    return KeyOf(line);
}

void OrderDeepestFirst(std::vector<std::string>& paths) {
    SortTextI(paths);
    std::reverse(paths.begin(), paths.end());
}

std::vector<std::string> ShortcutForms(const std::string& entry) {
    return {ChangeFileExt(entry, ".lnk"), ChangeFileExt(entry, ".pif")};
}

std::vector<std::string> HelpCompanions(const std::string& file) {
    // The file system compares the extension's ASCII letters without case, in
    // every locale: the locale's rules would let a dotless "i" match an "I".
    if (!SameTextAscii(ExtractFileExt(file), ".hlp")) return {};
    return {ChangeFileExt(file, ".gid"), ChangeFileExt(file, ".fts")};
}

TSharedNames::TSharedNames(std::vector<std::string> names) : names_(std::move(names)) {
    SortTextI(names_);
}

bool TSharedNames::Contains(const std::string& name) const {
    return std::binary_search(names_.begin(), names_.end(), name, TLessTextI());
}

TPlanRule RuleFromLog(std::string_view section, const std::string& entry,
                      const TSharedNames& kept) {
    if (entry.empty() && (IsSection(section, "SharedFiles") || IsSection(section, "Shortcuts")))
        return TPlanRule::NamesNothing;
    const bool passesShared = IsSection(section, "RegFonts") ||
                              IsSection(section, "RegServers") || IsSection(section, "CopyFiles");
    if (passesShared && kept.Contains(entry)) return TPlanRule::KeptShared;
    return TPlanRule::Act;
}
