// The log checker on the programs to run: "PreRunApp" and "RunApp".
#include <cstdint>
#include <string>

#include "core/UnVrelLogCheckView.h"
#include "core/epFileUtils.h"
#include "core/epStrUtils.h"
#include "core/sysutilNumbers.h"

namespace logcheck {

namespace {

constexpr std::int32_t kProgramFields = 5;

// True when the CopyFiles line's key, a file or a mask, takes the file.
bool DeletesFile(const std::string& key, const std::string& file) {
    const std::string keyPath = ComparablePath(key);
    const std::string filePath = ComparablePath(file);
    if (keyPath.empty() || filePath.empty()) return false;
    if (!HoldsWildcard(ExtractFileName(keyPath))) return keyPath == filePath;
    return ExtractFileDir(keyPath) == ExtractFileDir(filePath) &&
           MatchesMask(ExtractFileName(filePath), ExtractFileName(keyPath), true);
}

// The CopyFiles line that deletes the file, or nullptr.
const TEntry* CopyFilesLineFor(const TLogView& log, const std::string& file) {
    const TSectionView* copyFiles = log.Find("CopyFiles");
    if (copyFiles == nullptr) return nullptr;
    for (const TEntry& entry : copyFiles->Entries) {
        if (DeletesFile(EntryKeyOf(entry.Text), file)) return &entry;
    }
    return nullptr;
}

bool IsKnownShowMode(const std::string& field) {
    if (field.empty()) return true;
    std::int32_t mode = 0;
    return TryStrToInt(field, mode) && mode >= 0 && mode <= 3;
}

// The reader strips one pair of quotes around a whole value: an entry whose
// program and status text are both in double quotes loses the program's
// opening quote and the text's closing one.
bool LosesProgramQuotes(const TEntry& entry) {
    const std::string unstripped = ValueOf(entry.Unstripped);
    return unstripped != ValueOf(entry.Text) && !unstripped.empty() &&
           unstripped.front() == kDoubleQuote;
}

void CheckProgram(const TLogView& log, const TSectionView& section, const TEntry& entry,
                  TFindings& findings) {
    const std::string value = ValueOf(entry.Text);
    if (LosesProgramQuotes(entry)) {
        findings.Add(entry.Line, TSeverity::Error, "program-quotes", section.Name,
                     "the value begins and ends with a double quote, and the reader removes "
                     "that pair: the program then runs on to the end of the line, names no file "
                     "and is passed over; a program path needs quotes only when it holds a comma");
        return;
    }
    const std::string program = StripQuotes(GetField(1, value, CommaSet()), kDoubleQuote);
    if (program.empty()) {
        findings.Add(entry.Line, TSeverity::Error, "program-missing", section.Name,
                     "names no program (field 1 of program,parameters,directory,show,text)");
        return;
    }
    if (!IsAbsolutePath(program)) {
        findings.Add(entry.Line, TSeverity::Warning, "program-relative", section.Name,
                     "program " + Quoted(program) +
                         " is a relative path, taken from the Windows directory: give its full path");
    }
    const std::string show = GetField(4, value, CommaSet());
    if (!IsKnownShowMode(show)) {
        findings.Add(entry.Line, TSeverity::Warning, "show-mode", section.Name,
                     "show mode " + Quoted(show) +
                         " is not 0 (hidden), 1 (normal), 2 (maximised) or 3 (minimised): "
                         "the program is shown normally");
    }
    if (!GetField(kProgramFields + 1, value, CommaSet()).empty()) {
        findings.Add(entry.Line, TSeverity::Warning, "program-fields", section.Name,
                     "more than five fields: what follows the fifth comma is dropped; put a "
                     "status text that holds commas in double quotes");
    }
    if (section.Info->Name == "RunApp") {
        if (const TEntry* copy = CopyFilesLineFor(log, program)) {
            findings.Add(entry.Line, TSeverity::Error, "program-removed", section.Name,
                         "RunApp programs run after the removal, but CopyFiles (line " +
                             std::to_string(copy->Line) + ") deletes " + Quoted(program) +
                             " before: it will not run");
        }
    }
}

}  // namespace

void CheckPrograms(const TLogView& log, TFindings& findings) {
    for (const char* name : {"PreRunApp", "RunApp"}) {
        const TSectionView* section = log.Find(name);
        if (section == nullptr) continue;
        for (const TEntry& entry : section->Entries) CheckProgram(log, *section, entry, findings);
    }
}

}  // namespace logcheck
