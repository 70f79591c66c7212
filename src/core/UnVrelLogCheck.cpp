// The log checker's frame: the line-by-line reading with line numbers, the
// findings about the file's shape, and the section checks in turn.
#include "core/UnVrelLogCheck.h"

#include <algorithm>
#include <utility>

#include "core/UnVrelLogCheckView.h"
#include "core/UnVrelPlan.h"
#include "core/epAsciiCase.h"
#include "core/epFileUtils.h"
#include "core/epIniFile.h"
#include "core/epNameEncoding.h"
#include "core/epTextEncoding.h"
#include "core/epTextCase.h"

namespace logcheck {

const TSectionView* TLogView::Find(std::string_view name) const {
    for (const TSectionView& section : Sections) {
        if (SameTextI(section.Name, name)) return &section;
    }
    return nullptr;
}

void TFindings::Add(std::int32_t line, TSeverity severity, std::string_view code,
                    std::string_view section, std::string message) {
    items_.push_back(TFinding{line, severity, std::string(code), std::string(section),
                              std::move(message)});
}

std::vector<TFinding> TFindings::Take() {
    std::stable_sort(items_.begin(), items_.end(),
                     [](const TFinding& a, const TFinding& b) { return a.Line < b.Line; });
    return std::move(items_);
}

std::string ItemOf(std::string_view section, const std::string& line) {
    return PlanEntryOf(section, line);
}

bool IsAbsolutePath(std::string_view path) { return !NormalizeDirectory(path).empty(); }

bool HoldsWildcard(std::string_view path) { return HasWildcard(path); }

std::string ComparablePath(std::string_view path) { return NormalizeDirectory(path); }

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string DescribeNotFullPath(std::string_view path, const TCheckTarget& target) {
    if (IsAbsolutePath(path)) return std::string();
    const std::string& windows = target.WindowsDir;
    const std::string drive = windows.substr(0, 2);
    if (HasDevicePrefix(path)) {
        return "is a device path that names no drive letter and no share the safety rules "
               "recognise, so they cannot tell where it leads";
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return "names a server but no share (\\\\server\\share\\...)";
    }
    if (!path.empty() && IsSeparator(path[0])) {
        return "has no drive letter, so it is taken on the drive of the Windows directory (" +
               drive + ToBackslashes(path) + ")";
    }
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
        if (SameTextI(path.substr(0, 2), drive)) {
            return "has no backslash after the drive letter, so it is taken from the current "
                   "folder of drive " + drive + ", the Windows directory (" + windows + ")";
        }
        return "has no backslash after the drive letter, so it is taken from whatever folder "
               "is current on drive " + std::string(path.substr(0, 2)) + " (usually its root)";
    }
    return "is a relative path, taken from the Windows directory (" + windows + ")";
}

}  // namespace logcheck

namespace {

using namespace logcheck;

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// Where each line starts as an editor counts lines (CR LF, CR or LF end one),
// so that a finding points where the author looks, even in a file whose line
// ends the uninstaller reads otherwise.
class TLineNumbers {
public:
    explicit TLineNumbers(std::string_view bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == kCr && i + 1 < bytes.size() && bytes[i + 1] == kLf) ++i;
            if (bytes[i] == kCr || bytes[i] == kLf) starts_.push_back(i + 1);
        }
    }
    std::int32_t At(std::size_t offset) const {
        const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
        return static_cast<std::int32_t>(after - starts_.begin()) + 1;
    }

private:
    std::vector<std::size_t> starts_;
};

TIniOptions WithoutQuoteStripping() {
    TIniOptions options = AllIniOptions();
    options.StripValueQuotes = false;
    return options;
}

TIniOptions WithoutKeyLinesOnly() {
    TIniOptions options = AllIniOptions();
    options.KeyLinesOnly = false;
    return options;
}

bool HoldsByte(std::string_view text, char byte) {
    return text.find(byte) != std::string_view::npos;
}

// The line's bytes without its line end: what the reader splits off, LFs
// inside it still there.
std::string_view ContentOf(std::string_view bytes, const TIniTextLine& line) {
    std::string_view text = bytes.substr(line.Start, line.End - line.Start);
    while (!text.empty() && text.back() == kLf) text.remove_suffix(1);
    if (!text.empty() && text.back() == kCr) text.remove_suffix(1);
    return text;
}

std::string WithoutLf(std::string_view text) {
    std::string result;
    for (const char c : text) {
        if (c != kLf) result += c;
    }
    return result;
}

// The number of the line that holds the byte at offset: lines end at CR.
std::int32_t LineAt(std::string_view bytes, std::size_t offset) {
    const auto crs = std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), kCr);
    return static_cast<std::int32_t>(crs) + 1;
}

// Bytes the log's encoding has no character for: in a UTF-8 log, anything
// that is not UTF-8; in an ANSI log, the five bytes Windows-1252 leaves
// unassigned, which stand for characters of another code page (or of none).
void CheckEncoding(std::string_view bytes, TFindings& findings) {
    if (NameEncodingOfLog(bytes) == TNameEncoding::Utf8) {
        const std::size_t bad = FirstNonUtf8(bytes);
        if (bad == std::string_view::npos) return;
        findings.Add(LineAt(bytes, bad), TSeverity::Warning, "not-utf8", "",
                     "the log starts with the UTF-8 mark but holds bytes that are not UTF-8: "
                     "the names they are part of name nothing on the disk");
        return;
    }
    const std::size_t bad = bytes.find_first_of(std::string_view("\x81\x8D\x8F\x90\x9D", 5));
    if (bad == std::string_view::npos) return;
    findings.Add(LineAt(bytes, bad), TSeverity::Warning, "not-cp1252", "",
                 "a byte that is no character of Windows-1252, the code page this log is read "
                 "in: names beyond that code page need a UTF-8 log (UTF-8 with its byte-order "
                 "mark), which holds every character");
}

// Findings about the encoding and the line ends, which decide whether the
// rest can be read at all. False when the file cannot be a log.
bool CheckFileShape(std::string_view bytes, TFindings& findings) {
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        findings.Add(0, TSeverity::Error, "utf16", "",
                     "the log is UTF-16; the uninstaller reads bytes in the ANSI code page "
                     "(Windows-1252), or UTF-8 after its byte-order mark: write the log in "
                     "UTF-8 with the mark");
        return false;
    }
    CheckEncoding(bytes, findings);
    if (!HoldsByte(bytes, kCr) && HoldsByte(bytes, kLf)) {
        findings.Add(0, TSeverity::Error, "lf-line-ends", "",
                     "the lines end with LF alone; the uninstaller ends a line only at CR and "
                     "reads this file as one line: end each line with CR LF");
        return false;
    }
    return true;
}

struct TReading {
    std::vector<TSectionView> all;  // every header, duplicates and unknown ones included
};

// A line the reader drops although it is neither empty nor a comment.
void NoteDroppedLine(const TSectionView& current, std::int32_t number, std::string_view content,
                     TFindings& findings) {
    if (current.Info == nullptr) return;  // a section nobody reads
    const TIniLine loose = ParseIniLine(WithoutLf(content), WithoutKeyLinesOnly());
    if (loose.Kind != TIniLineKind::Entry) return;  // empty or a comment
    const bool bracket = !loose.Text.empty() && loose.Text.front() == '[';
    findings.Add(number, TSeverity::Error, "no-equals", current.Name,
                 bracket ? "neither a section header (it must end with \"]\") nor an entry "
                           "(it has no \"=\"): the line is ignored"
                         : "the line has no \"=\": the uninstaller ignores it; write it as "
                           "item=value");
}

// A line before the first header: the reader drops it whatever it holds.
void NoteLineBeforeHeaders(std::string_view bytes, const TIniTextLine& line, std::int32_t number,
                           bool& reported, TFindings& findings) {
    if (reported) return;
    const TIniLine loose = ParseIniLine(WithoutLf(ContentOf(bytes, line)), WithoutKeyLinesOnly());
    if (loose.Kind == TIniLineKind::Skipped) return;
    reported = true;
    findings.Add(number, TSeverity::Warning, "before-first-section", "",
                 "lines before the first section header are ignored");
}

// Reads the log line by line as the uninstaller does, reporting the lines
// it drops and why.
TReading ReadLines(std::string_view bytes, TFindings& findings) {
    const TLineNumbers numbers(bytes);
    const std::vector<TIniTextLine> lines = SplitIniText(bytes, AllIniOptions());
    TReading reading;
    bool reportedLoose = false;
    for (const TIniTextLine& line : lines) {
        const std::int32_t number = numbers.At(line.Start);
        const std::string_view content = ContentOf(bytes, line);
        TSectionView* current = reading.all.empty() ? nullptr : &reading.all.back();
        const std::string section = current != nullptr ? current->Name : std::string();
        if (HoldsByte(content, '\0')) {
            const bool header = line.Parsed.Kind != TIniLineKind::Skipped &&
                                !line.Parsed.Text.empty() && content.find('[') < content.find('\0');
            findings.Add(number, TSeverity::Error, "nul-byte", section,
                         header ? "the section header holds a NUL byte (a damaged file?): the "
                                  "uninstaller ignores it and every line up to the next header"
                                : "the line holds a NUL byte (a damaged file?): the uninstaller "
                                  "ignores it");
            // The lines after a damaged header belong to no section.
            if (header) reading.all.push_back(TSectionView{nullptr, "", number, {}, true});
            continue;
        }
        if (HoldsByte(content, kLf)) {
            findings.Add(number, TSeverity::Error, "joined-lines", section,
                         "a line ends with LF alone here; the uninstaller ends lines only at CR "
                         "and joins these lines into one: end each line with CR LF");
        }
        if (line.Parsed.Kind == TIniLineKind::Header) {
            reading.all.push_back(
                TSectionView{FindLogSection(line.Parsed.Text), line.Parsed.Text, number, {}, false});
        } else if (current == nullptr) {
            NoteLineBeforeHeaders(bytes, line, number, reportedLoose, findings);
        } else if (line.Parsed.Kind == TIniLineKind::Entry) {
            current->Entries.push_back(
                TEntry{number, line.Parsed.Text,
                       ParseIniLine(WithoutLf(content), WithoutQuoteStripping()).Text});
        } else {
            NoteDroppedLine(*current, number, content, findings);
        }
    }
    return reading;
}

std::string KnownNameLike(std::string_view name) {
    std::string trimmed(name);
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(0, 1);
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    const TLogSectionInfo* info = FindLogSection(trimmed);
    return info != nullptr ? std::string(info->Name) : std::string();
}

// Keeps the first section of each name the program reads; reports the rest.
TLogView SelectSections(TReading& reading, TFindings& findings) {
    TLogView view;
    for (TSectionView& section : reading.all) {
        if (section.Damaged) continue;
        if (section.Info == nullptr) {
            const std::string like = KnownNameLike(section.Name);
            findings.Add(section.Line, TSeverity::Warning, "unknown-section", section.Name,
                         like.empty()
                             ? "the uninstaller does not read a section of this name"
                             : "the uninstaller reads [" + like + "], not [" + section.Name +
                                   "]: blanks inside the brackets are part of the name");
            continue;
        }
        const TSectionView* first = view.Find(section.Name);
        if (first == nullptr) {
            view.Sections.push_back(std::move(section));
            continue;
        }
        const bool hasEntries = !section.Entries.empty();
        findings.Add(section.Line, hasEntries ? TSeverity::Error : TSeverity::Warning,
                     "duplicate-section", section.Name,
                     "[" + first->Name + "] already began at line " + std::to_string(first->Line) +
                         "; only the first section of a name counts" +
                         (hasEntries ? ", so its " + std::to_string(section.Entries.size()) +
                                           (section.Entries.size() == 1 ? " entry is" : " entries are") +
                                           " ignored: merge the two"
                                     : std::string()));
    }
    return view;
}

void CheckSomethingToRemove(const TLogView& log, TFindings& findings) {
    for (const TSectionView& section : log.Sections) {
        if (section.Info->Message != 0 && !section.Entries.empty()) return;
    }
    findings.Add(0, TSeverity::Warning, "nothing-to-remove", "",
                 "no removal section (SharedFiles, Shortcuts, AddIni, RegFonts, AddReg, "
                 "CreateKeys, RegServers, CopyFiles, CreateDirs) has an entry");
}

}  // namespace

TCheckTarget StandardCheckTarget() {
    TCheckTarget target;
    target.WindowsDir = "C:\\Windows";
    target.ProtectedDirs.AddTree("C:\\Windows");
    target.Shares.SetWindowsDir("C:\\Windows");
    for (const char* dir : {"C:\\Windows\\System32", "C:\\Windows\\SysWOW64",
                            "C:\\Windows\\Sysnative", "C:\\Windows\\Fonts", "C:\\Windows\\INF",
                            "C:\\Program Files", "C:\\Program Files\\Common Files",
                            "C:\\Program Files (x86)", "C:\\Program Files (x86)\\Common Files",
                            "C:\\ProgramData"}) {
        target.ProtectedDirs.Add(dir);
    }
    target.ProtectedDirs.AddProfilesRoot("C:\\Users");
    return target;
}

std::vector<TFinding> CheckLogText(std::string_view bytes, const TCheckTarget& target) {
    TFindings findings;
    if (CheckFileShape(bytes, findings)) {
        TReading reading = ReadLines(bytes, findings);
        const TLogView log = SelectSections(reading, findings);
        CheckSomethingToRemove(log, findings);
        CheckTexts(log, findings);
        CheckOptions(log, findings);
        CheckPrograms(log, target, findings);
        CheckRegistry(log, findings);
        CheckFiles(log, target, findings);
    }
    return findings.Take();
}

int CheckExitCode(const std::vector<TFinding>& findings) {
    int code = 0;
    for (const TFinding& finding : findings) {
        if (finding.Severity == TSeverity::Error) return 2;
        if (finding.Severity == TSeverity::Warning) code = 1;
    }
    return code;
}

const char* SeverityName(TSeverity severity) {
    switch (severity) {
        case TSeverity::Error: return "error";
        case TSeverity::Warning: return "warning";
        default: return "note";
    }
}
