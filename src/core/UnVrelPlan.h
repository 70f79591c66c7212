// The removal plan's rules that need no machine: which item each line of a
// removal section names, the order in which a run takes the items, the
// companion files an item brings along, and the rules decided from the log
// alone (a line that names nothing, a shared file that stays). The run, the
// preview and the log checker all take a section's items from here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/UnVrelLogSections.h"

// The removal sections in the order of a run: SharedFiles, Shortcuts, AddIni,
// RegFonts, AddReg, CreateKeys, RegServers, CopyFiles, CreateDirs.
std::vector<const TLogSectionInfo*> RemovalSections();

// The item that a line of the section names: the text before the line's last
// "=", or for AddReg and AddIni its name part (before the first "="); empty
// when the line has no "=" or the section names no items.
std::string PlanEntryOf(const TLogSectionInfo& section, std::string_view line);

// The same, for a section given by name; a section the program does not read
// takes the text before the last "=".
std::string PlanEntryOf(std::string_view section, std::string_view line);

// Sorts the paths ignoring case, then reverses them: every path then comes
// before each path that is a prefix of it, so subkeys and subfolders go
// before their parents whatever the order of the log.
void OrderDeepestFirst(std::vector<std::string>& paths);

// The files a Shortcuts entry removes: its .lnk and .pif forms, in that order.
std::vector<std::string> ShortcutForms(const std::string& entry);

// The help index files that go with a help file: its .gid and .fts forms when
// its extension is .hlp (ASCII letters compared without case, as the file
// system's names are); none otherwise.
std::vector<std::string> HelpCompanions(const std::string& file);

// What the rules decided for one item of the plan.
enum class TPlanRule {
    Act,           // the run acts on it
    NamesNothing,  // the line names no file (an empty name): nothing to do
    NoPlace,       // it names nothing in the log's view on this system
    KeptShared,    // a shared file that stays on the system: left alone
    Refused,       // the safety rules forbid touching it
    PassedOver,    // a name no system call can take (it holds a NUL byte)
};

// The names of the shared files that stay, sorted once so that each lookup is
// a binary search ignoring case (as every lookup names them: the entry as
// the log writes it).
class TSharedNames {
public:
    TSharedNames() = default;
    explicit TSharedNames(std::vector<std::string> names);
    bool Contains(const std::string& name) const;
    bool Empty() const { return names_.empty(); }

private:
    std::vector<std::string> names_;
};

// The rule that follows from the log alone for an entry of the section, or
// Act when only the machine can tell: NamesNothing for an empty SharedFiles
// or Shortcuts entry; KeptShared for a RegFonts, RegServers or CopyFiles
// entry that names a kept shared file.
TPlanRule RuleFromLog(std::string_view section, const std::string& entry,
                      const TSharedNames& kept);
