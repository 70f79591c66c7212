// The log checker on the sections that name files and directories:
// "SharedFiles", "Shortcuts", "AddIni", "RegFonts", "RegServers", "CopyFiles"
// and "CreateDirs".
#include <string>
#include <vector>

#include "core/UnVrelLogCheckView.h"
#include "core/epPathPlace.h"
#include "core/epProtectedPaths.h"
#include "core/epFileUtils.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"

namespace logcheck {

namespace {

// What a section's paths may be.
struct TPathRules {
    bool masks = false;      // wildcards in the file name are expanded
    bool bareNames = false;  // a name without directory has a meaning of its own
};

const TEntry* const kNoEntry = nullptr;

// The entries of a section, or none when the log lacks it.
const std::vector<TEntry>& EntriesOf(const TLogView& log, const char* name) {
    static const std::vector<TEntry> none;
    const TSectionView* section = log.Find(name);
    return section != nullptr ? section->Entries : none;
}

// Reports what makes the path unusable or suspect; false when it names
// nothing at all, so that no further check applies.
bool CheckPath(const TSectionView& section, const TEntry& entry, const std::string& path,
               const TPathRules& rules, const TCheckTarget& target, TFindings& findings) {
    if (path.empty()) {
        findings.Add(entry.Line, TSeverity::Error, "empty-item", section.Name,
                     "the line begins with \"=\" and names nothing");
        return false;
    }
    // The "?" of a "\\?\" or "\??\" prefix is no wildcard.
    if (!rules.masks && IsMaskPath(path)) {
        findings.Add(entry.Line, TSeverity::Warning, "wildcard", section.Name,
                     Quoted(path) + " holds a wildcard, which this section does not expand: "
                     "name each item");
    }
    const bool bare = ExtractFileDir(path).empty();
    if (!IsAbsolutePath(path) && !(rules.bareNames && bare)) {
        findings.Add(entry.Line, TSeverity::Warning, "relative-path", section.Name,
                     Quoted(path) + " is a relative path, taken from the Windows directory (" +
                         target.WindowsDir + "): give the full path");
    }
    return true;
}

// Why the safety rules refuse the mask, as one sentence.
std::string WhyMaskRefused(const std::string& mask, const TCheckTarget& target) {
    const std::string dir = ExtractFileDir(mask);
    const TPlace place = LocalSpelling(mask, target.Shares);
    if (place.Kind == TPlaceKind::Unknown) {
        return "the mask " + Quoted(mask) + " names a share of this machine or a device whose "
               "folder cannot be told: the safety rules refuse it";
    }
    if (!IsAbsolutePath(dir) && place.Path == mask) {
        return "the mask " + Quoted(mask) + " has no full directory, so it would be expanded in "
               "the Windows directory: the safety rules refuse it";
    }
    if (HoldsWildcard(dir)) {
        return "the mask " + Quoted(mask) + " has a wildcard in its directory part: the safety "
               "rules refuse it";
    }
    const std::string where =
        place.Path == mask ? std::string() : " (it stands for " + Quoted(place.Path) + ")";
    return "the mask " + Quoted(mask) + where + " would sweep a protected directory or a "
           "folder below the Windows directory: there its name must start with at least three "
           "characters that are no wildcards (tamsk*.dll)";
}

// A share of this machine names a local folder the long way round: the
// uninstaller judges the folder, but the log is clearer with it.
void CheckShareSpelling(const TSectionView& section, const TEntry& entry, const std::string& path,
                        const TCheckTarget& target, TFindings& findings) {
    TSharePath share;
    if (!ParseSharePath(path, share) || !target.Shares.IsThisMachine(share.Server)) return;
    const TPlace place = LocalSpelling(path, target.Shares);
    if (place.Kind != TPlaceKind::Local) return;
    findings.Add(entry.Line, TSeverity::Warning, "share-path", section.Name,
                 Quoted(path) + " reaches " + Quoted(place.Path) + " through a share of this "
                 "machine: the safety rules judge that folder; write it so");
}

void CheckCopyFiles(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find("CopyFiles");
    if (section == nullptr) return;
    for (const TEntry& entry : section->Entries) {
        const std::string key = EntryKeyOf(entry.Text);
        if (!key.empty() && IsRefusedMaskSpelling(key, target.Shares, target.ProtectedDirs)) {
            findings.Add(entry.Line, TSeverity::Error, "refused-mask", section->Name,
                         WhyMaskRefused(key, target));
            continue;
        }
        if (CheckPath(*section, entry, key, TPathRules{true, false}, target, findings))
            CheckShareSpelling(*section, entry, key, target, findings);
    }
}

void CheckPlainSection(const TLogView& log, const char* name, const TPathRules& rules,
                       const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find(name);
    if (section == nullptr) return;
    for (const TEntry& entry : section->Entries) {
        CheckPath(*section, entry, EntryKeyOf(entry.Text), rules, target, findings);
    }
}

void CheckShortcuts(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find("Shortcuts");
    if (section == nullptr) return;
    for (const TEntry& entry : section->Entries) {
        const std::string path = EntryKeyOf(entry.Text);
        if (!CheckPath(*section, entry, path, {}, target, findings)) continue;
        const std::string ext = ExtractFileExt(path);
        if (ext.empty() || SameTextI(ext, ".lnk") || SameTextI(ext, ".pif")) continue;
        findings.Add(entry.Line, TSeverity::Warning, "shortcut-extension", section->Name,
                     "the extension " + Quoted(ext) + " is replaced by .lnk and .pif, so " +
                         Quoted(ExtractFileName(path)) + " itself is not removed");
    }
}

void CheckIniEntries(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find("AddIni");
    if (section == nullptr) return;
    for (const TEntry& entry : section->Entries) {
        const std::string names = KeyOf(entry.Text);
        const std::string file = GetField(1, names, CommaSet());
        if (file.empty() || GetField(2, names, CommaSet()).empty() ||
            GetField(3, names, CommaSet()).empty()) {
            findings.Add(entry.Line, TSeverity::Error, "ini-fields", section->Name,
                         "an AddIni line names file,section,key before its \"=\"; " +
                             Quoted(names) + " lacks one of them, so nothing is removed");
            continue;
        }
        if (!GetField(4, names, CommaSet()).empty()) {
            findings.Add(entry.Line, TSeverity::Warning, "ini-fields", section->Name,
                         "more than three fields before the \"=\": a name holding a comma must "
                         "be written between single quotes");
        }
        CheckPath(*section, entry, file, TPathRules{false, true}, target, findings);
    }
}

// ---- SharedFiles against CopyFiles ----

bool MaskTakes(const std::string& mask, const std::string& file) {
    const std::string maskPath = ComparablePath(mask);
    const std::string filePath = ComparablePath(file);
    return !maskPath.empty() && !filePath.empty() && HoldsWildcard(ExtractFileName(maskPath)) &&
           ExtractFileDir(maskPath) == ExtractFileDir(filePath) &&
           MatchesMask(ExtractFileName(filePath), ExtractFileName(maskPath), true);
}

void CheckSharedAgainstCopies(const TSectionView& section, const TEntry& entry,
                              const std::string& path, const std::vector<TEntry>& copies,
                              TFindings& findings) {
    const std::string same = ComparablePath(path);
    bool named = false;
    for (const TEntry& copy : copies) {
        const std::string key = EntryKeyOf(copy.Text);
        const std::string where = "CopyFiles (line " + std::to_string(copy.Line) + ")";
        if (SameTextI(key, path)) {
            named = true;
            findings.Add(entry.Line, TSeverity::Note, "shared-and-copied", section.Name,
                         where + " deletes this file only once no other installation counts it "
                         "and the user agrees; until then it stays");
        } else if (!same.empty() && ComparablePath(key) == same) {
            named = true;
            findings.Add(entry.Line, TSeverity::Error, "shared-spelling", section.Name,
                         where + " names this file as " + Quoted(key) +
                             "; the uninstaller compares the text, so it deletes the file even "
                             "while other programs count it: spell it the same in both");
        } else if (MaskTakes(key, path)) {
            named = true;
            findings.Add(entry.Line, TSeverity::Error, "shared-by-mask", section.Name,
                         where + " takes this file with the mask " + Quoted(key) +
                             ", and a mask is deleted whatever the use count: name the "
                             "application's own files one by one");
        }
    }
    if (!named) {
        findings.Add(entry.Line, TSeverity::Warning, "shared-not-removed", section.Name,
                     "CopyFiles does not name this file: once nobody counts it, its count goes "
                     "but the file stays");
    }
}

void CheckSharedFiles(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find("SharedFiles");
    if (section == nullptr) return;
    const std::vector<TEntry>& copies = EntriesOf(log, "CopyFiles");
    std::vector<const TEntry*> seen;
    for (const TEntry& entry : section->Entries) {
        const std::string path = EntryKeyOf(entry.Text);
        if (!CheckPath(*section, entry, path, {}, target, findings)) continue;
        const std::string same = ComparablePath(path);
        const TEntry* earlier = kNoEntry;
        for (const TEntry* other : seen) {
            const std::string otherPath = EntryKeyOf(other->Text);
            if (SameTextI(otherPath, path) || (!same.empty() && ComparablePath(otherPath) == same))
                earlier = other;
        }
        if (earlier != kNoEntry) {
            findings.Add(entry.Line, TSeverity::Error, "shared-twice", section->Name,
                         "line " + std::to_string(earlier->Line) +
                             " names this file already: its use count would be lowered twice");
            continue;
        }
        seen.push_back(&entry);
        CheckSharedAgainstCopies(*section, entry, path, copies, findings);
    }
}

// ---- CreateDirs ----

// The comparable paths of every file, shortcut, INI file and directory the
// log names, to see which directories hold something.
std::vector<std::string> NamedPaths(const TLogView& log) {
    std::vector<std::string> paths;
    const auto add = [&paths](const std::string& path) {
        std::string same = ComparablePath(path);
        if (!same.empty()) paths.push_back(std::move(same));
    };
    for (const char* name : {"CopyFiles", "Shortcuts", "SharedFiles", "RegFonts", "RegServers",
                             "CreateDirs"}) {
        for (const TEntry& entry : EntriesOf(log, name)) add(EntryKeyOf(entry.Text));
    }
    for (const TEntry& entry : EntriesOf(log, "AddIni")) {
        add(GetField(1, KeyOf(entry.Text), CommaSet()));
    }
    return paths;
}

bool HoldsNamedPath(const std::string& dir, const std::vector<std::string>& paths) {
    const std::string prefix = dir + "\\";
    for (const std::string& path : paths) {
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0) return true;
    }
    return false;
}

void CheckDirectories(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find("CreateDirs");
    if (section == nullptr) return;
    const std::vector<std::string> paths = NamedPaths(log);
    for (const TEntry& entry : section->Entries) {
        const std::string dir = EntryKeyOf(entry.Text);
        if (!CheckPath(*section, entry, dir, {}, target, findings)) continue;
        const std::string same = ComparablePath(dir);
        if (IsProtectedDirSpelling(dir, target.Shares, target.ProtectedDirs)) {
            findings.Add(entry.Line, TSeverity::Error, "protected-dir", section->Name,
                         Quoted(dir) + " is a protected directory (or one whose folder cannot be "
                         "told) and is never removed: list only the directories the "
                         "installation created");
            continue;
        }
        CheckShareSpelling(*section, entry, dir, target, findings);
        if (!same.empty() && !HoldsNamedPath(same, paths)) {
            findings.Add(entry.Line, TSeverity::Warning, "empty-dir", section->Name,
                         "the log names nothing inside " + Quoted(dir) +
                             ": unless the installation leaves it empty, it stays");
        }
    }
}

}  // namespace

void CheckFiles(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    CheckSharedFiles(log, target, findings);
    CheckShortcuts(log, target, findings);
    CheckIniEntries(log, target, findings);
    CheckPlainSection(log, "RegFonts", TPathRules{false, true}, target, findings);
    CheckPlainSection(log, "RegServers", {}, target, findings);
    CheckCopyFiles(log, target, findings);
    CheckDirectories(log, target, findings);
}

}  // namespace logcheck
