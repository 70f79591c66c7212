// Fuzz target for the INI parser, the write-back layout and the model's
// operations: none may crash or read outside its strings, and each keeps its
// cheap invariants. The first input byte picks the parser options.
#include "core/epFileUtils.h"
#include "core/epIniFile.h"
#include "core/epTextCase.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kMaxPieces = 16;
constexpr std::int32_t kMaxPairwiseSections = 300;

// No name or line of a parsed model holds a NUL byte: such a line never
// reaches a handler, and a damaged header opens no section.
void CheckNoNul(const TSectionList& sections) {
    for (std::int32_t i = 0; i < sections.Count(); ++i) {
        Require(sections.Name(i).find('\0') == std::string::npos);
        for (const std::string& line : sections.SectionLines(i))
            Require(line.find('\0') == std::string::npos);
    }
}

void CheckNamesUnique(const TSectionList& sections) {
    if (sections.Count() > kMaxPairwiseSections) return;
    for (std::int32_t i = 0; i < sections.Count(); ++i) {
        for (std::int32_t j = i + 1; j < sections.Count(); ++j) {
            Require(!SameTextI(sections.Name(i), sections.Name(j)));
        }
    }
}

// Formatting and parsing again gives the same text, as long as the quotes
// option is off. With it on, removing the closing quote can leave a line
// that reads differently the next time (a value in two pairs of quotes, a
// value ending in a blank, or an entry that now looks like "[header]"), so
// the round trip legitimately loses more each time.
// Only a parsed model qualifies: the operations store whatever they are given,
// blanks at the ends and lines shaped like headers included.
void CheckRoundTrip(const TSectionList& sections, const TIniOptions& options, bool parsed) {
    const std::string formatted = FormatIniText(sections);
    const TSectionList again = ParseIniText(formatted, options);
    if (parsed && !options.StripValueQuotes) Require(FormatIniText(again) == formatted);
    CheckNamesUnique(again);
    FormatIniText(ParseIniText(formatted, AllIniOptions()));
}

void CheckModel(TepIniModel& model, const TStringList& pieces) {
    const std::size_t n = pieces.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& section = pieces[i];
        const std::string& key = pieces[(i + 1) % n];
        const std::string& value = pieces[(i + 2) % n];

        model.WriteString(section, key, value);
        if (!key.empty() && key.find('=') == std::string::npos) {
            Require(model.ReadString(section, key, "\x01") == value);
        }
        model.ReadInteger(section, value, 0);
        model.ReadBool(section, key, true);

        TStringList list(pieces.begin(), pieces.begin() + static_cast<std::ptrdiff_t>(i));
        model.ReadSectionValues(section, list);
        model.ReadSection(key, list);
        if (i % 3 == 0) model.WriteSectionValues(value, list);
        if (i % 4 == 1) model.DeleteKey(section, value);
        if (i % 5 == 2) {
            model.EraseSection(key);
            Require(model.Sections.IndexOf(key) == -1);
        }
    }
    CheckNamesUnique(model.Sections);

    TStringList lines;
    model.GetStrings(lines);
    std::string joined;
    for (const std::string& line : lines) joined += line + "\r\n";
    Require(joined == FormatIniText(model.Sections));
    model.ReadSections(lines);
    Require(lines.size() == static_cast<std::size_t>(model.Sections.Count()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const TIniOptions options = OptionsFromBits(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    TepIniModel model(options);
    model.LoadText(text);
    CheckNamesUnique(model.Sections);
    CheckNoNul(model.Sections);
    // A leading UTF-8 mark is passed over, so it changes nothing (a second
    // one would be text).
    if (text.substr(0, kUtf8Bom.size()) != kUtf8Bom)
        Require(FormatIniText(ParseIniText(std::string(kUtf8Bom) + std::string(text), options)) ==
            FormatIniText(model.Sections));
    Require(!model.Modified);
    CheckRoundTrip(model.Sections, options, true);

    TStringList pieces = SplitTextLines(text);
    if (pieces.size() > kMaxPieces) pieces.resize(kMaxPieces);
    if (!pieces.empty()) CheckModel(model, pieces);
    CheckRoundTrip(model.Sections, options, false);
    return 0;
}
