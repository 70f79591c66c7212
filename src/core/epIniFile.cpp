// The INI grammar, the write-back layout and the in-memory model.
#include "core/epIniFile.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "core/epFileUtils.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "core/sysutilNumbers.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr std::size_t kMaxHexDigitsAfter0x = 255;

bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimControl(std::string_view line) {
    std::size_t first = 0;
    std::size_t last = line.size();
    while (first < last && IsControlOrBlank(line[first])) ++first;
    while (last > first && IsControlOrBlank(line[last - 1])) --last;
    return line.substr(first, last - first);
}

// Blanks and tabs before the first "=", then those after it, unless the line
// begins with "=". Each run goes in one erase, so a long run costs one pass.
void TrimAroundFirstEquals(std::string& entry) {
    std::size_t equals = entry.find('=');
    if (equals == std::string::npos || equals == 0) return;
    std::size_t keyEnd = equals;
    while (keyEnd > 0 && IsBlankOrTab(entry[keyEnd - 1])) --keyEnd;
    entry.erase(keyEnd, equals - keyEnd);
    equals = keyEnd;
    if (equals == 0) return;
    std::size_t valueStart = equals + 1;
    while (valueStart < entry.size() && IsBlankOrTab(entry[valueStart])) ++valueStart;
    entry.erase(equals + 1, valueStart - equals - 1);
}

// One pair of like quotes around the whole value; nothing is unescaped.
void StripValueQuotePair(std::string& entry) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos || equals == 0) return;
    if (entry.size() - equals - 1 < 2) return;
    const char quote = entry[equals + 1];
    if ((quote != kDoubleQuote && quote != kApostrophe) || entry.back() != quote) return;
    entry.pop_back();
    entry.erase(equals + 1, 1);
}

// Whether the options change the entry whose first "=" is at equals. Most
// entries have no blank next to "=" and no quotes around the value: they are
// stored as they stand, without a working copy.
bool NeedsShaping(std::string_view entry, std::size_t equals, const TIniOptions& options) {
    if (equals == std::string_view::npos || equals == 0) return false;
    const std::size_t after = equals + 1;
    if (options.TrimAroundEquals &&
        (IsBlankOrTab(entry[equals - 1]) || (after < entry.size() && IsBlankOrTab(entry[after]))))
        return true;
    return options.StripValueQuotes && entry.size() - after >= 2 &&
           (entry[after] == kDoubleQuote || entry[after] == kApostrophe) &&
           entry.back() == entry[after];
}

bool LineHasKey(std::string_view line, std::string_view key) {
    const std::size_t equals = line.find('=');
    return equals != std::string_view::npos && SameTextI(line.substr(0, equals), key);
}

std::int32_t FirstLineWithKey(const TStringList& lines, std::string_view key) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (LineHasKey(lines[i], key)) return static_cast<std::int32_t>(i);
    }
    return -1;
}

}  // namespace

std::string CannotOpenFileMessage(std::string_view path) {
    std::string message = "Cannot open file ";
    message += path;
    return message;
}

TIniOptions AllIniOptions() { return TIniOptions{true, true, true, true}; }

// ---------------------------------------------------------------------------
// TSectionList

std::int32_t TSectionList::Add(std::string name) {
    items_.push_back(TSection{std::move(name), {}});
    return Count() - 1;
}

void TSectionList::Delete(std::int32_t index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Index(index)));
    LastIndex = 0;
}

void TSectionList::Clear() {
    items_.clear();
    LastIndex = 0;
}

std::int32_t TSectionList::IndexOf(std::string_view name) {
    const std::int32_t found = IndexOfFrom(name, LastIndex);
    if (found >= 0) LastIndex = found;
    return found;
}

std::int32_t TSectionList::IndexOfFrom(std::string_view name, std::int32_t start) const {
    const std::size_t count = items_.size();
    const std::size_t first = (start > 0 && Index(start) < count) ? Index(start) : 0;
    for (std::size_t n = 0; n < count; ++n) {
        std::size_t i = first + n;
        if (i >= count) i -= count;
        if (SameTextI(items_[i].Name, name)) return static_cast<std::int32_t>(i);
    }
    return -1;
}

void TSectionList::RemoveDuplicates() {
    LastIndex = 0;
    const std::size_t count = items_.size();
    if (count < 2) return;

    // Sort positions by name once. The locale's comparison need not be a
    // strict weak order for every byte string; a merge sort stays in bounds
    // whatever it answers, and being stable it keeps each group in file order.
    std::vector<std::size_t> byName(count);
    std::iota(byName.begin(), byName.end(), std::size_t{0});
    std::stable_sort(byName.begin(), byName.end(), [this](std::size_t a, std::size_t b) {
        return CompareTextI(items_[a].Name, items_[b].Name) < 0;
    });

    std::vector<bool> later(count, false);
    std::size_t kept = byName[0];
    for (std::size_t k = 1; k < count; ++k) {
        const std::size_t current = byName[k];
        if (CompareTextI(items_[kept].Name, items_[current].Name) == 0) {
            later[std::max(kept, current)] = true;
            kept = std::min(kept, current);
        } else {
            kept = current;
        }
    }

    std::size_t out = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (later[i]) continue;
        if (out != i) items_[out] = std::move(items_[i]);
        ++out;
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(out), items_.end());
}

// ---------------------------------------------------------------------------
// Parsing and formatting

TIniLine ParseIniLine(std::string_view line, const TIniOptions& options) {
    TIniLine result;
    const std::string_view text = TrimControl(line);
    if (text.empty() || (options.SkipComments && text.front() == ';')) return result;
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        result.Kind = HoldsNul(text) ? TIniLineKind::DamagedHeader : TIniLineKind::Header;
        result.Text.assign(text.substr(1, text.size() - 2));
        return result;
    }
    if (HoldsNul(text)) return result;
    const std::size_t equals = text.find('=');
    if (!NeedsShaping(text, equals, options)) {
        if (options.KeyLinesOnly && equals == std::string_view::npos) return result;
        return TIniLine{TIniLineKind::Entry, std::string(text)};
    }
    std::string entry(text);
    if (options.TrimAroundEquals) TrimAroundFirstEquals(entry);
    if (options.StripValueQuotes) StripValueQuotePair(entry);
    if (options.KeyLinesOnly && entry.find('=') == std::string::npos) return result;
    result.Kind = TIniLineKind::Entry;
    result.Text = std::move(entry);
    return result;
}

std::vector<TIniTextLine> SplitIniText(std::string_view bytes, const TIniOptions& options) {
    std::vector<TIniTextLine> lines;
    std::size_t start = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
    std::string content;
    while (start < bytes.size()) {
        const std::size_t cr = bytes.find(kCr, start);
        const std::size_t contentEnd = cr == std::string_view::npos ? bytes.size() : cr;
        std::size_t end = contentEnd;
        if (end < bytes.size()) ++end;
        while (end < bytes.size() && bytes[end] == kLf) ++end;
        // LF bytes are no line ends: dropped wherever they stand.
        content.clear();
        for (std::size_t i = start; i < contentEnd; ++i) {
            if (bytes[i] != kLf) content.push_back(bytes[i]);
        }
        lines.push_back(TIniTextLine{start, end, ParseIniLine(content, options)});
        start = end;
    }
    return lines;
}

TSectionList ParseIniText(std::string_view bytes, const TIniOptions& options) {
    TSectionList sections;
    std::int32_t current = -1;
    // Line by line, without a copy of the whole text as lines in between; a
    // UTF-8 byte-order mark before the first line is no part of it.
    std::size_t pos = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
    std::string scratch;
    while (pos < bytes.size()) {
        TIniLine line = ParseIniLine(NextTextLine(bytes, pos, scratch), options);
        switch (line.Kind) {
            case TIniLineKind::Header:
                current = sections.Add(std::move(line.Text));
                break;
            case TIniLineKind::DamagedHeader:
                current = -1;
                break;
            case TIniLineKind::Entry:
                if (current >= 0) {
                    sections.SectionLines(current).push_back(std::move(line.Text));
                }
                break;
            case TIniLineKind::Skipped:
                break;
        }
    }
    sections.RemoveDuplicates();
    return sections;
}

std::string FormatIniText(const TSectionList& sections) {
    std::size_t size = 0;
    for (std::int32_t i = 0; i < sections.Count(); ++i) {
        const TStringList& lines = sections.SectionLines(i);
        if (lines.empty()) continue;
        size += sections.Name(i).size() + 2 + 2 * kLineEnd.size();
        for (const std::string& line : lines) size += line.size() + kLineEnd.size();
    }
    std::string text;
    text.reserve(size);
    for (std::int32_t i = 0; i < sections.Count(); ++i) {
        const TStringList& lines = sections.SectionLines(i);
        if (lines.empty()) continue;
        text += '[';
        text += sections.Name(i);
        text += ']';
        text += kLineEnd;
        for (const std::string& line : lines) {
            text += line;
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return text;
}

// ---------------------------------------------------------------------------
// TepIniModel

TepIniModel::TepIniModel(const TIniOptions& options)
    : SkipComments(options.SkipComments),
      KeyLinesOnly(options.KeyLinesOnly),
      TrimAroundEquals(options.TrimAroundEquals),
      StripValueQuotes(options.StripValueQuotes) {}

TIniOptions TepIniModel::Options() const {
    return TIniOptions{SkipComments, KeyLinesOnly, TrimAroundEquals, StripValueQuotes};
}

void TepIniModel::LoadText(std::string_view bytes) {
    Sections = ParseIniText(bytes, Options());
    CurSection = 0;
}

void TepIniModel::Clear() {
    Sections.Clear();
    CurSection = 0;
}

TKeyPosition TepIniModel::FindKey(std::string_view section, std::string_view key,
                                  bool createSection) {
    TKeyPosition position;
    const std::int32_t index = Sections.IndexOfFrom(section, CurSection);
    if (index < 0) {
        if (!createSection) return position;
        CurSection = Sections.Add(std::string(section));
        position.Lines = &Sections.SectionLines(CurSection);
        return position;
    }
    CurSection = index;
    position.Lines = &Sections.SectionLines(index);
    position.Index = FirstLineWithKey(*position.Lines, key);
    return position;
}

std::string TepIniModel::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) {
    const TKeyPosition position = FindKey(section, key, false);
    if (position.Index < 0) return std::string(def);
    return ValueOf((*position.Lines)[static_cast<std::size_t>(position.Index)]);
}

void TepIniModel::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    if (key.empty()) {
        if (section.empty() && value.empty()) {
            UpdateFile();
        } else {
            EraseSection(section);
        }
        return;
    }
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key).append(1, '=').append(value);

    const TKeyPosition position = FindKey(section, key, true);
    if (position.Index < 0) {
        position.Lines->push_back(std::move(line));
        Modified = true;
        return;
    }
    std::string& stored = (*position.Lines)[static_cast<std::size_t>(position.Index)];
    if (stored != line) {
        stored = std::move(line);
        Modified = true;
    }
}

std::int32_t TepIniModel::ReadInteger(std::string_view section, std::string_view key,
                                      std::int32_t def) {
    std::string text = ReadString(section, key, "");
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text = "$" + text.substr(2, kMaxHexDigitsAfter0x);
    }
    return StrToIntDef(text, def);
}

void TepIniModel::WriteInteger(std::string_view section, std::string_view key,
                               std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

bool TepIniModel::ReadBool(std::string_view section, std::string_view key, bool def) {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TepIniModel::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TepIniModel::ReadSection(std::string_view section, TStringList& list) {
    const std::int32_t index = Sections.IndexOf(section);
    if (index < 0) return;
    for (const std::string& line : Sections.SectionLines(index)) {
        const std::size_t equals = line.find('=');
        list.push_back(equals == std::string::npos ? std::string() : line.substr(0, equals));
    }
}

void TepIniModel::ReadSections(TStringList& list) {
    TStringList names;
    names.reserve(static_cast<std::size_t>(Sections.Count()));
    for (std::int32_t i = 0; i < Sections.Count(); ++i) names.push_back(Sections.Name(i));
    list = std::move(names);
}

void TepIniModel::ReadSectionValues(std::string_view section, TStringList& list) {
    const std::int32_t index = Sections.IndexOf(section);
    if (index < 0) return;
    TStringList merged = Sections.SectionLines(index);
    for (std::string& old : list) {
        const std::size_t equals = old.find('=');
        if (equals != std::string::npos &&
            FirstLineWithKey(merged, std::string_view(old).substr(0, equals)) >= 0) {
            continue;
        }
        merged.push_back(std::move(old));
    }
    list = std::move(merged);
}

void TepIniModel::WriteSectionValues(std::string_view section, const TStringList& list) {
    for (const std::string& line : list) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            WriteString(section, line, "");
        } else {
            const std::string_view text(line);
            WriteString(section, text.substr(0, equals), text.substr(equals + 1));
        }
    }
}

void TepIniModel::AppendLine(std::string_view section, std::string_view line) {
    std::int32_t index = Sections.IndexOfFrom(section, CurSection);
    if (index < 0) index = Sections.Add(std::string(section));
    CurSection = index;
    Sections.SectionLines(index).emplace_back(line);
    Modified = true;
}

void TepIniModel::EraseSection(std::string_view section) {
    const std::int32_t index = Sections.IndexOf(section);
    if (index < 0) return;
    Sections.Delete(index);
    CurSection = 0;
    Modified = true;
}

void TepIniModel::DeleteKey(std::string_view section, std::string_view key) {
    const TKeyPosition position = FindKey(section, key, true);
    if (position.Index < 0) return;
    position.Lines->erase(position.Lines->begin() + position.Index);
    Modified = true;
}

void TepIniModel::GetStrings(TStringList& list) {
    for (std::int32_t i = 0; i < Sections.Count(); ++i) {
        const TStringList& lines = Sections.SectionLines(i);
        if (lines.empty()) continue;
        list.push_back("[" + Sections.Name(i) + "]");
        list.insert(list.end(), lines.begin(), lines.end());
        list.emplace_back();
    }
}

void TepIniModel::UpdateFile() { Modified = false; }
