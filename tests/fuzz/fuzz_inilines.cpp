// Fuzz target for the line-preserving removal of INI entries: whatever the
// bytes and the options (first input byte), the result is the input minus
// whole lines, one line per successful removal and never anything but an
// entry, and its model is the model after the same removals.
#include "core/epFileUtils.h"
#include "core/epIniFile.h"
#include "core/epIniLines.h"
#include "core/epStrUtils.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kMaxRemovals = 48;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::size_t BomSize(std::string_view bytes) {
    return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
}

// The bytes after a leading UTF-8 mark as whole lines, each with its line
// end (a CR and the LFs right after it). Written apart from the editor's own
// splitting, so that the two check each other.
std::vector<std::string_view> WholeLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = BomSize(bytes);
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r') ++end;
        if (end < bytes.size()) ++end;
        while (end < bytes.size() && bytes[end] == '\n') ++end;
        lines.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return lines;
}

// True when line stands in result at `at` as a whole line: a line's LF bytes
// are all those after its CR, so a kept line is never followed by an LF, and
// "k=1\r" does not stand where "k=1\r\n" does.
bool StandsAt(std::string_view result, std::size_t at, std::string_view line) {
    if (result.substr(at, line.size()) != line) return false;
    const std::size_t next = at + line.size();
    return next == result.size() || result[next] != '\n';
}

// Checks that result is input with some whole lines left out (the earliest
// match is the right one for a subsequence) and returns those lines. The
// mark always stays: it belongs to the file, not to its first line, which
// may begin with an LF of its own.
std::vector<std::string_view> OmittedLines(std::string_view input, std::string_view result) {
    std::vector<std::string_view> omitted;
    std::size_t at = BomSize(input);
    Require(result.substr(0, at) == input.substr(0, at));
    for (std::string_view line : WholeLines(input)) {
        if (StandsAt(result, at, line)) {
            at += line.size();
        } else {
            omitted.push_back(line);
        }
    }
    Require(at == result.size());
    return omitted;
}

std::size_t CountLines(const TSectionList& sections) {
    std::size_t count = 0;
    for (std::int32_t i = 0; i < sections.Count(); ++i) count += sections.SectionLines(i).size();
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const TIniOptions options = OptionsFromBits(data[0]);
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

    TIniLineEditor editor(input, options);
    TepIniModel model(options);
    model.LoadText(input);

    // What to remove: the sections and keys the model holds, and pieces of
    // the input, which name nothing or something by another spelling.
    std::vector<std::pair<std::string, std::string>> removals;
    for (std::int32_t i = 0; i < model.Sections.Count() && removals.size() < kMaxRemovals; ++i) {
        for (const std::string& line : model.Sections.SectionLines(i)) {
            if (removals.size() >= kMaxRemovals) break;
            removals.emplace_back(model.Sections.Name(i), KeyOf(line));
        }
    }
    const std::vector<std::string> pieces = SplitTextLines(input);
    for (std::size_t i = 0; i + 1 < pieces.size() && removals.size() < 2 * kMaxRemovals; i += 2)
        removals.emplace_back(pieces[i], pieces[i + 1]);

    std::size_t removed = 0;
    for (const auto& removal : removals) {
        const std::size_t before = CountLines(model.Sections);
        model.DeleteKey(removal.first, removal.second);
        const bool gone = editor.DeleteKey(removal.first, removal.second);
        // The model and the editor remove a line together or not at all.
        Require(gone == (CountLines(model.Sections) < before));
        if (gone) ++removed;
    }

    const std::string result = editor.Text();
    Require(editor.Modified() == (removed > 0));
    const std::vector<std::string_view> omitted = OmittedLines(input, result);
    Require(omitted.size() == removed);
    for (std::string_view line : omitted) {
        std::string content;
        for (char c : line.substr(0, line.find('\r'))) {
            if (c != '\n') content.push_back(c);
        }
        Require(ParseIniLine(content, options).Kind == TIniLineKind::Entry);
    }
    Require(FormatIniText(ParseIniText(result, options)) == FormatIniText(model.Sections));
    return 0;
}
