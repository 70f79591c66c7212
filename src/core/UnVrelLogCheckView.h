// Inside the log checker: the log as the reader delivers it, each entry with
// the line it came from, and the collector the checks report to. Shared by
// the checker's source files only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/UnVrelLogCheck.h"
#include "core/UnVrelLogSections.h"

namespace logcheck {

// One entry of a section: the line as the reader stores it, and the same line
// read without value-quote stripping (for the forms where that matters).
struct TEntry {
    std::int32_t Line = 0;
    std::string Text;
    std::string Unstripped;
};

// The first section of each name that the program reads; later ones of the
// same name, and sections it does not read, are reported and left out.
struct TSectionView {
    const TLogSectionInfo* Info = nullptr;
    std::string Name;  // as the header writes it
    std::int32_t Line = 0;
    std::vector<TEntry> Entries;
    bool Damaged = false;  // a header holding a NUL byte: its lines belong to no section
};

class TLogView {
public:
    std::vector<TSectionView> Sections;
    // The section the program reads under that name, or nullptr.
    const TSectionView* Find(std::string_view name) const;
};

class TFindings {
public:
    void Add(std::int32_t line, TSeverity severity, std::string_view code,
             std::string_view section, std::string message);
    std::vector<TFinding> Take();

private:
    std::vector<TFinding> items_;
};

// Helpers the section checks share.

// The item a line of the section names, as the run's plan reads it
// (core/UnVrelPlan.h): the name part for AddReg and AddIni, else the text
// before the last "=".
std::string ItemOf(std::string_view section, const std::string& line);

// "C:\..." or "\\server\share\...": a path that does not depend on the
// current directory, as the safety rules judge it (core/epProtectedPaths.h).
bool IsAbsolutePath(std::string_view path);

// True when the path holds a wildcard that a directory search expands.
bool HoldsWildcard(std::string_view path);

// The form in which two spellings of one path compare equal, the safety
// rules' own (NormalizeDirectory); empty when the path is not absolute.
std::string ComparablePath(std::string_view path);

// The text in double quotes for a message.
std::string Quoted(std::string_view text);

// One CopyFiles line with the forms the checks compare.
struct TCopyLine {
    const TEntry* Entry = nullptr;
    std::string Key;         // EntryKey, as written
    std::string Comparable;  // ComparablePath(Key); empty when not absolute
    bool Mask = false;       // a full path whose name part holds a wildcard
};

// The CopyFiles lines, indexed so that the lines that may concern one file
// are found without going through all of them: a large log names tens of
// thousands of files, and every shared file and program is looked up.
class TCopyIndex {
public:
    explicit TCopyIndex(const TLogView& log);
    // In line order, every line that names the path with the same text
    // (letter case aside) or the same comparable path, and every mask in the
    // same folder: a superset of the lines that take the file, for the caller
    // to judge. comparable is ComparablePath(path).
    std::vector<const TCopyLine*> Candidates(const std::string& path,
                                             const std::string& comparable) const;
    // True when the line, a file or a mask, takes the file whose comparable
    // path is given (never for a path that is not absolute).
    static bool Takes(const TCopyLine& line, const std::string& comparable);

private:
    using TPositions = std::vector<std::size_t>;
    std::vector<TCopyLine> lines_;
    std::unordered_map<std::string, TPositions> byText_;        // upper-cased key
    std::unordered_map<std::string, TPositions> byComparable_;
    std::unordered_map<std::string, TPositions> masksByFolder_;  // ExtractFileDir(Comparable)
};

// How the uninstaller places a path that the safety rules do not take as a
// full path, as the end of a sentence beginning with the quoted path: "is a
// relative path, taken from the Windows directory (C:\Windows)". Empty for a
// full path.
std::string DescribeNotFullPath(std::string_view path, const TCheckTarget& target);

// The checks, one family per source file.
void CheckTexts(const TLogView& log, TFindings& findings);       // Strings, Display
void CheckOptions(const TLogView& log, TFindings& findings);     // Options
void CheckPrograms(const TLogView& log, const TCheckTarget& target,
                   TFindings& findings);                          // PreRunApp, RunApp
void CheckRegistry(const TLogView& log, TFindings& findings);    // AddReg, CreateKeys
void CheckFiles(const TLogView& log, const TCheckTarget& target, TFindings& findings);

}  // namespace logcheck
