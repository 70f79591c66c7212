// The log checker on the sections that name files and directories:
// "SharedFiles", "Shortcuts", "AddIni", "RegFonts", "RegServers", "CopyFiles"
// and "CreateDirs".
#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
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

// 'the wildcard "*"' or 'the wildcards "*" and "?"': each kind the
// text holds, in the order of first appearance. The system also expands
// "<", ">" and '"', which no file name can hold.
std::string NameWildcards(std::string_view text) {
    std::string kinds;
    for (const char c : text) {
        const bool wildcard = HoldsWildcard(std::string_view(&c, 1));
        if (wildcard && kinds.find(c) == std::string::npos) kinds += c;
    }
    std::string named;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0) named += i + 1 == kinds.size() ? " and " : ", ";
        named += kinds[i] == '"' ? std::string("'\"'") : Quoted(std::string(1, kinds[i]));
    }
    return (kinds.size() == 1 ? "the wildcard " : "the wildcards ") + named;
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
        const std::string_view body = WithoutDevicePrefix(path);
        const bool quoted = body.find('"') != std::string_view::npos;
        findings.Add(entry.Line, TSeverity::Warning, "wildcard", section.Name,
                     quoted ? Quoted(path) + " holds a double quote, which no file name can hold: "
                              "quotes around a path are part of it here, so the line names "
                              "nothing; write the path without them"
                            : Quoted(path) + " holds " + NameWildcards(body) +
                                  ", which this section does not expand: name each item");
    }
    const bool bare = ExtractFileDir(path).empty();
    if (!IsAbsolutePath(path) && !(rules.bareNames && bare)) {
        findings.Add(entry.Line, TSeverity::Warning, "relative-path", section.Name,
                     Quoted(path) + " " + DescribeNotFullPath(path, target) +
                         ": give the full path");
    }
    return true;
}

// The folder as written (without its last backslash), and where it leads
// when the rules read it otherwise than letter case ("C:\App\..\Windows").
std::string ShownFolder(const std::string& dir) {
    std::string written = dir;
    const std::size_t size = written.size();
    if (size > 1 && written.back() == '\\' && written[size - 2] != ':') written.pop_back();
    const std::string real = ComparablePath(written);
    if (real.empty() || real == UpperCaseAnsi(written)) return Quoted(written);
    return Quoted(written) + " (" + real + ")";
}

// Why the mask rule (IsRefusedMask) refuses the path the mask is read as,
// as one sentence: the rule's own reading of it ("/" a separator, the "?" of
// "\\?\" no wildcard), in its order. where says what the mask stands for
// when that is not the mask as written.
std::string WhyRuleRefuses(const std::string& mask, const std::string& where,
                           const std::string& stands, const TCheckTarget& target) {
    const std::string path = ToBackslashes(stands);
    const std::string dir = ExtractFileDir(path);
    const std::string_view dirBody = WithoutDevicePrefix(dir);
    if (HoldsWildcard(dirBody)) {
        return "the folder part of the mask " + Quoted(mask) + where + " holds " +
               NameWildcards(dirBody) + ": the safety rules expand a mask only in one fixed folder";
    }
    if (dir.empty()) {
        return "the mask " + Quoted(mask) + where + " names no folder, so it would be expanded in "
               "the Windows directory (" + target.WindowsDir + "): the safety rules refuse it";
    }
    if (!IsAbsolutePath(dir)) {
        const bool separatorLast = dir.size() > 1 && dir.back() == '\\';
        const std::string shown = separatorLast ? dir.substr(0, dir.size() - 1) : dir;
        return "the mask " + Quoted(mask) + where + " has no full folder: " + Quoted(shown) + " " +
               DescribeNotFullPath(shown, target) + "; the safety rules expand a mask only in a "
               "full folder";
    }
    const std::string guarded =
        target.ProtectedDirs.Contains(dir)
            ? "the protected folder " + ShownFolder(dir)
            : "the folder " + ShownFolder(dir) + " below the Windows directory";
    return "the mask " + Quoted(mask) + where + " would sweep " + guarded +
           ": there its name must start with at least three characters that are no wildcards "
           "(tamsk*.dll)";
}

// Why the safety rules refuse the mask: as written, or else as what its
// spelling stands for (a share of this machine, a device prefix).
std::string WhyMaskRefused(const std::string& mask, const TCheckTarget& target) {
    if (IsRefusedMask(mask, target.ProtectedDirs)) return WhyRuleRefuses(mask, "", mask, target);
    const TPlace place = LocalSpelling(mask, target.Shares);
    if (place.Kind == TPlaceKind::Unknown) {
        return "the mask " + Quoted(mask) + " names a share of this machine or a device whose "
               "folder cannot be told: the safety rules refuse it";
    }
    return WhyRuleRefuses(mask, " (it stands for " + Quoted(place.Path) + ")", place.Path, target);
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
        const std::string key = ItemOf(section->Name, entry.Text);
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
        CheckPath(*section, entry, ItemOf(section->Name, entry.Text), rules, target, findings);
    }
}

void CheckShortcuts(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find("Shortcuts");
    if (section == nullptr) return;
    for (const TEntry& entry : section->Entries) {
        const std::string path = ItemOf(section->Name, entry.Text);
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
        const std::string names = ItemOf(section->Name, entry.Text);
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

void CheckSharedAgainstCopies(const TSectionView& section, const TEntry& entry,
                              const std::string& path, const std::string& same,
                              const TCopyIndex& copies, TFindings& findings) {
    bool named = false;
    for (const TCopyLine* copy : copies.Candidates(path, same)) {
        const std::string& key = copy->Key;
        const std::string where = "CopyFiles (line " + std::to_string(copy->Entry->Line) + ")";
        if (SameTextI(key, path)) {
            named = true;
            findings.Add(entry.Line, TSeverity::Note, "shared-and-copied", section.Name,
                         where + " deletes this file only once no other installation counts it "
                         "and the user agrees; until then it stays");
        } else if (!same.empty() && copy->Comparable == same) {
            named = true;
            findings.Add(entry.Line, TSeverity::Error, "shared-spelling", section.Name,
                         where + " names this file as " + Quoted(key) +
                             "; the uninstaller compares the text, so it deletes the file even "
                             "while other programs count it: spell it the same in both");
        } else if (copy->Mask && TCopyIndex::Takes(*copy, same)) {
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

// The shared files named so far, by their text (letter case aside) and by
// their comparable path, each with the line that named it first.
struct TSharedSeen {
    std::unordered_map<std::string, const TEntry*> byText;
    std::unordered_map<std::string, const TEntry*> byComparable;

    // The earlier line that names the same file, or kNoEntry (and the path
    // is remembered).
    const TEntry* Note(const TEntry& entry, const std::string& path, const std::string& same) {
        const auto text = byText.emplace(UpperCaseAnsi(path), &entry);
        if (!text.second) return text.first->second;
        if (same.empty()) return kNoEntry;
        const auto comparable = byComparable.emplace(same, &entry);
        if (comparable.second) return kNoEntry;
        byText.erase(text.first);
        return comparable.first->second;
    }
};

void CheckSharedFiles(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find("SharedFiles");
    if (section == nullptr) return;
    const TCopyIndex copies(log);
    TSharedSeen seen;
    for (const TEntry& entry : section->Entries) {
        const std::string path = ItemOf(section->Name, entry.Text);
        if (!CheckPath(*section, entry, path, {}, target, findings)) continue;
        const std::string same = ComparablePath(path);
        if (const TEntry* earlier = seen.Note(entry, path, same)) {
            findings.Add(entry.Line, TSeverity::Error, "shared-twice", section->Name,
                         "line " + std::to_string(earlier->Line) +
                             " names this file already: its use count would be lowered twice");
            continue;
        }
        CheckSharedAgainstCopies(*section, entry, path, same, copies, findings);
    }
}

// ---- CreateDirs ----

// Every folder that holds a file, shortcut, INI file or folder the log names
// (at any depth), in the comparable form: each named path adds its folders
// up to the first one already there, whose own folders are there too.
std::unordered_set<std::string> FoldersHoldingNamedPaths(const TLogView& log) {
    std::unordered_set<std::string> folders;
    const auto add = [&folders](const std::string& path) {
        const std::string same = ComparablePath(path);
        for (std::size_t end = same.rfind('\\'); end != std::string::npos && end > 0;
             end = same.rfind('\\', end - 1)) {
            if (end + 1 >= same.size()) continue;  // "C:\": nothing below the separator
            if (!folders.insert(same.substr(0, end)).second) break;
        }
    };
    for (const char* name : {"CopyFiles", "Shortcuts", "SharedFiles", "RegFonts", "RegServers",
                             "CreateDirs"}) {
        for (const TEntry& entry : EntriesOf(log, name)) add(ItemOf(name, entry.Text));
    }
    for (const TEntry& entry : EntriesOf(log, "AddIni")) {
        add(GetField(1, ItemOf("AddIni", entry.Text), CommaSet()));
    }
    return folders;
}

// Why CreateDirs never removes the directory, as one sentence.
std::string WhyDirectoryProtected(const std::string& dir, const TCheckTarget& target) {
    const TPlace place = LocalSpelling(dir, target.Shares);
    if (place.Kind == TPlaceKind::Unknown) {
        return Quoted(dir) + " names a share of this machine or a device whose folder cannot be "
               "told, and is never removed: give the folder's own path";
    }
    const std::string stands = target.ProtectedDirs.Contains(dir) || place.Path == dir
                                   ? std::string()
                                   : " (it stands for " + Quoted(place.Path) + ")";
    return Quoted(dir) + stands + " is a protected directory and is never removed: list only the "
           "directories the installation created";
}

void CheckDirectories(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TSectionView* section = log.Find("CreateDirs");
    if (section == nullptr) return;
    const std::unordered_set<std::string> holding = FoldersHoldingNamedPaths(log);
    for (const TEntry& entry : section->Entries) {
        const std::string dir = ItemOf(section->Name, entry.Text);
        if (!CheckPath(*section, entry, dir, {}, target, findings)) continue;
        const std::string same = ComparablePath(dir);
        if (IsProtectedDirSpelling(dir, target.Shares, target.ProtectedDirs)) {
            findings.Add(entry.Line, TSeverity::Error, "protected-dir", section->Name,
                         WhyDirectoryProtected(dir, target));
            continue;
        }
        CheckShareSpelling(*section, entry, dir, target, findings);
        if (!same.empty() && holding.count(same) == 0) {
            findings.Add(entry.Line, TSeverity::Warning, "empty-dir", section->Name,
                         "the log names nothing inside " + Quoted(dir) +
                             ": unless the installation leaves it empty, it stays");
        }
    }
}

}  // namespace

TCopyIndex::TCopyIndex(const TLogView& log) {
    const std::vector<TEntry>& entries = EntriesOf(log, "CopyFiles");
    lines_.reserve(entries.size());
    for (const TEntry& entry : entries) {
        TCopyLine line;
        line.Entry = &entry;
        line.Key = ItemOf("CopyFiles", entry.Text);
        line.Comparable = ComparablePath(line.Key);
        line.Mask = !line.Comparable.empty() && HoldsWildcard(ExtractFileName(line.Comparable));
        const std::size_t at = lines_.size();
        byText_[UpperCaseAnsi(line.Key)].push_back(at);
        if (!line.Comparable.empty()) byComparable_[line.Comparable].push_back(at);
        if (line.Mask) masksByFolder_[ExtractFileDir(line.Comparable)].push_back(at);
        lines_.push_back(std::move(line));
    }
}

std::vector<const TCopyLine*> TCopyIndex::Candidates(const std::string& path,
                                                     const std::string& comparable) const {
    TPositions positions;
    const auto gather = [&positions](const std::unordered_map<std::string, TPositions>& index,
                                     const std::string& key) {
        const auto found = index.find(key);
        if (found == index.end()) return;
        positions.insert(positions.end(), found->second.begin(), found->second.end());
    };
    gather(byText_, UpperCaseAnsi(path));
    if (!comparable.empty()) {
        gather(byComparable_, comparable);
        gather(masksByFolder_, ExtractFileDir(comparable));
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    std::vector<const TCopyLine*> result;
    result.reserve(positions.size());
    for (const std::size_t at : positions) result.push_back(&lines_[at]);
    return result;
}

bool TCopyIndex::Takes(const TCopyLine& line, const std::string& comparable) {
    if (line.Comparable.empty() || comparable.empty()) return false;
    if (!line.Mask) return line.Comparable == comparable;
    return ExtractFileDir(line.Comparable) == ExtractFileDir(comparable) &&
           MatchesMask(ExtractFileName(comparable), ExtractFileName(line.Comparable), true);
}

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
