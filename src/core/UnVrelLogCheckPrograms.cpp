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

// The first CopyFiles line that deletes the file, or nullptr.
const TEntry* CopyFilesLineFor(const TCopyIndex& copies, const std::string& file) {
    const std::string same = ComparablePath(file);
    for (const TCopyLine* line : copies.Candidates(file, same)) {
        if (TCopyIndex::Takes(*line, same)) return line->Entry;
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

void CheckProgram(const TCopyIndex& copies, const TCheckTarget& target,
                  const TSectionView& section, const TEntry& entry, TFindings& findings) {
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
                     "program " + Quoted(program) + " " + DescribeNotFullPath(program, target) +
                         ": give its full path");
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
        if (const TEntry* copy = CopyFilesLineFor(copies, program)) {
            findings.Add(entry.Line, TSeverity::Error, "program-removed", section.Name,
                         "RunApp programs run after the removal, but CopyFiles (line " +
                             std::to_string(copy->Line) + ") deletes " + Quoted(program) +
                             " before: it will not run");
        }
    }
}

}  // namespace

void CheckPrograms(const TLogView& log, const TCheckTarget& target, TFindings& findings) {
    const TCopyIndex copies(log);
    for (const char* name : {"PreRunApp", "RunApp"}) {
        const TSectionView* section = log.Find(name);
        if (section == nullptr) continue;
        for (const TEntry& entry : section->Entries) {
            CheckProgram(copies, target, *section, entry, findings);
        }
    }
}

}  // namespace logcheck
