// The INI file model and parser: bytes -> sections of key=value lines -> bytes.
//
// ParseIniText reads any byte string by the INI grammar below and never fails;
// FormatIniText writes a model back in the one layout every rewritten INI file
// has. TepIniModel answers reads and makes changes in memory; the Windows
// class TepIniFile (win/epIniFile.h) binds a model to a file on disk.
//
// Grammar, line by line (a line ends at CR; LF bytes are dropped wherever they
// stand): bytes of code 32 or less are trimmed from both ends; an empty line is
// skipped, and so is a line beginning with ";" when SkipComments is on; a line
// that begins with "[" and ends with "]" starts a section named by the text
// between them, taken as it stands; any other line is an entry of the current
// section (entries before the first header are dropped), shaped by the options
// TrimAroundEquals, StripValueQuotes and KeyLinesOnly. A later section whose
// name equals an earlier one (ignoring case) is dropped with its lines.
//
// Damaged bytes: a UTF-8 byte-order mark at the very start of the bytes is
// passed over. A line that still holds a NUL byte once trimmed is ignored
// (power cuts leave NUL-filled blocks in files that are appended to); when it
// has a header's shape, the lines after it belong to no section up to the next
// header, so they are never taken for the previous section's.
//
// Texts are ANSI byte strings; names and keys are compared ignoring case by
// the user locale's rules (core/epTextCase.h).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A list of text lines, in order, duplicates allowed.
using TStringList = std::vector<std::string>;

// Raised when a file exists but cannot be opened; the message names the file
// and SystemError holds the system's reason (0 when none was given).
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(const std::string& message, unsigned long systemError = 0)
        : std::runtime_error(message), SystemError(systemError) {}
    unsigned long SystemError;
};

// "Cannot open file " followed by the path, as EInOutError carries it.
std::string CannotOpenFileMessage(std::string_view path);

// The parser's four switches; the profile cache turns all of them on.
struct TIniOptions {
    bool SkipComments = false;      // a line beginning with ";" counts as empty
    bool KeyLinesOnly = false;      // an entry without "=" is dropped
    bool TrimAroundEquals = false;  // blanks and tabs next to the first "=" go
    bool StripValueQuotes = false;  // one pair of like quotes around the whole value goes
};

// All four options on.
TIniOptions AllIniOptions();

// One section: its name as it stood between the brackets, and its lines.
struct TSection {
    std::string Name;
    TStringList Lines;
};

// The sections of a file in file order. Indexes run from 0 to Count() - 1;
// an index outside that range is a caller's error.
class TSectionList {
public:
    // Where the next IndexOf starts: the index it found last. Any value is
    // accepted; one outside the list counts as 0.
    std::int32_t LastIndex = 0;

    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    const std::string& Name(std::int32_t index) const { return items_[Index(index)].Name; }
    TStringList& SectionLines(std::int32_t index) { return items_[Index(index)].Lines; }
    const TStringList& SectionLines(std::int32_t index) const { return items_[Index(index)].Lines; }

    // Appends a section with no lines and returns its index. Does not check the name.
    std::int32_t Add(std::string name);
    // Removes the section and its lines; LastIndex goes back to 0.
    void Delete(std::int32_t index);
    // Removes every section; LastIndex goes back to 0.
    void Clear();

    // Index of the section with that name (ignoring case), searching from
    // LastIndex to the end and then from the start; the hit is kept in
    // LastIndex. -1 when there is none.
    std::int32_t IndexOf(std::string_view name);
    // The same circular search starting at start, leaving LastIndex alone.
    std::int32_t IndexOfFrom(std::string_view name, std::int32_t start) const;

    // Keeps the first section of every group whose names are equal ignoring
    // case and removes the later ones with their lines (never merged); the
    // survivors keep their file order. LastIndex goes back to 0.
    void RemoveDuplicates();

private:
    std::size_t Index(std::int32_t index) const { return static_cast<std::size_t>(index); }
    std::vector<TSection> items_;
};

// What one line of a file turns out to be. DamagedHeader: a header whose name
// holds a NUL byte; it opens no section, and the entries after it are dropped.
enum class TIniLineKind { Skipped, Header, Entry, DamagedHeader };

struct TIniLine {
    TIniLineKind Kind = TIniLineKind::Skipped;
    std::string Text;  // the section name of a header, the stored text of an entry
};

// Classifies one line (without its line end) by the grammar and the options.
TIniLine ParseIniLine(std::string_view line, const TIniOptions& options);

// The UTF-8 byte-order mark that may open a file.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One line of a file's bytes as the parser reads it, and where it stands.
struct TIniTextLine {
    std::size_t Start = 0;  // offset of its first byte
    std::size_t End = 0;    // offset just past its line end: a CR and the LFs right after it
    TIniLine Parsed;
};

// The lines of a file's bytes, in order, after a leading UTF-8 byte-order mark
// (which belongs to no line). Together they cover every other byte exactly once.
std::vector<TIniTextLine> SplitIniText(std::string_view bytes, const TIniOptions& options);

// The sections of a whole file's bytes, duplicate sections removed.
TSectionList ParseIniText(std::string_view bytes, const TIniOptions& options);

// The file text of a model: for each section that has lines, "[name]" CR LF,
// each line followed by CR LF, then one more CR LF. Sections without lines are left out.
std::string FormatIniText(const TSectionList& sections);

// Where FindKey found a key: the section's lines (none when the section is
// missing) and the index of the first line with the key (-1 when it has none).
struct TKeyPosition {
    TStringList* Lines = nullptr;
    std::int32_t Index = -1;
};

// The in-memory part of an INI file: sections, lookups and changes. Changes
// set Modified; UpdateFile is where a file-backed model writes them.
// Section names and keys are compared ignoring case; the key of a line is its
// text before the first "=", and a line without "=" has no key at all.
class TepIniModel {
public:
    TSectionList Sections;
    std::int32_t CurSection = 0;  // where FindKey's section search starts
    bool Modified = false;
    bool SkipComments = false;
    bool KeyLinesOnly = false;
    bool TrimAroundEquals = false;
    bool StripValueQuotes = false;

    TepIniModel() = default;
    explicit TepIniModel(const TIniOptions& options);
    virtual ~TepIniModel() = default;
    TepIniModel(const TepIniModel&) = default;
    TepIniModel(TepIniModel&&) = default;
    TepIniModel& operator=(const TepIniModel&) = default;
    TepIniModel& operator=(TepIniModel&&) = default;

    // The four option flags as parser options.
    TIniOptions Options() const;

    // Replaces the model by the sections of bytes, parsed with the object's
    // options. Does not touch Modified.
    void LoadText(std::string_view bytes);

    // Removes every section; CurSection and LastIndex go back to 0.
    void Clear();

    // Finds the section circularly from CurSection (a hit is kept there) and in
    // it the first line with the key. A missing section is appended, empty,
    // when createSection is set (then Index is -1), else Lines is null.
    TKeyPosition FindKey(std::string_view section, std::string_view key, bool createSection);

    // The text after the "=" of the first line with the key (possibly empty),
    // or def when the section or the key is missing.
    virtual std::string ReadString(std::string_view section, std::string_view key,
                                   std::string_view def);
    // Replaces the first line with the key by key=value, or appends it (the
    // section created at the end if missing); Modified only when a line
    // changed (exact comparison). An empty key erases the section, or, with
    // section and value empty too, calls UpdateFile.
    virtual void WriteString(std::string_view section, std::string_view key,
                             std::string_view value);
    // The value as a 32-bit integer ("0x" read as "$" hexadecimal), or def
    // when it is missing or does not convert.
    virtual std::int32_t ReadInteger(std::string_view section, std::string_view key,
                                     std::int32_t def);
    // Writes the value's decimal text.
    virtual void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // ReadInteger (def as 1 or 0) compared with 0.
    virtual bool ReadBool(std::string_view section, std::string_view key, bool def);
    // Writes "1" or "0".
    virtual void WriteBool(std::string_view section, std::string_view key, bool value);
    // Appends the key of each of the section's lines (empty for a line without
    // "="); nothing when the section is missing.
    virtual void ReadSection(std::string_view section, TStringList& list);
    // Replaces the list's content by the section names in file order.
    virtual void ReadSections(TStringList& list);
    // Missing section: list unchanged. Otherwise the list becomes the
    // section's lines followed by those old lines whose key no line before
    // them has; an empty list thus receives exactly the section's lines.
    virtual void ReadSectionValues(std::string_view section, TStringList& list);
    // WriteString for each key=value line of the list, in order (a line
    // without "=" writes its whole text as the key with an empty value).
    virtual void WriteSectionValues(std::string_view section, const TStringList& list);
    // Appends line to the section (created at the end if missing) even when
    // a line with its key is already there; Modified afterwards. For sections
    // that list one item per line under a repeated key.
    virtual void AppendLine(std::string_view section, std::string_view line);
    // Removes the section with its lines; Modified when there was one.
    virtual void EraseSection(std::string_view section);
    // Removes the first line with the key; Modified when there was one. A
    // missing section is added empty, which changes nothing on disk.
    virtual void DeleteKey(std::string_view section, std::string_view key);
    // Appends the model's lines in the layout of FormatIniText (without line ends).
    virtual void GetStrings(TStringList& list);
    // Writes pending changes where the model keeps its file; a model without
    // one drops them. Modified is false afterwards.
    virtual void UpdateFile();
};
