// Inside the log checker: the log as the reader delivers it, each entry with
// the line it came from, and the collector the checks report to. Shared by
// the checker's source files only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// The item a line names: EntryKey (before the last "=") or the name part
// (before the first "=").
std::string EntryKeyOf(const std::string& line);

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

// The checks, one family per source file.
void CheckTexts(const TLogView& log, TFindings& findings);       // Strings, Display
void CheckOptions(const TLogView& log, TFindings& findings);     // Options
void CheckPrograms(const TLogView& log, TFindings& findings);    // PreRunApp, RunApp
void CheckRegistry(const TLogView& log, TFindings& findings);    // AddReg, CreateKeys
void CheckFiles(const TLogView& log, const TCheckTarget& target, TFindings& findings);

}  // namespace logcheck
