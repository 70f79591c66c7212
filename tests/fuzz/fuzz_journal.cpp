// Fuzz target for the run journal's text: no input may crash or read outside
// its string, every line that reads as a record is written back to the same
// line, and a journal's steps never outnumber its lines.
#include "core/UnVrelJournal.h"

#include "FuzzSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckLine(std::string_view line) {
    const std::optional<TJournalRecord> record = ParseJournalRecord(line);
    if (!record) return;
    const std::string again = FormatJournalRecord(*record);
    Require(again == std::string(line) + "\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        CheckLine(text.substr(start, end - start));
        start = end + 1;
    }
    // As a journal of its own first line's content, and of another.
    const std::size_t firstEnd = std::min(text.find('\n'), text.size());
    const std::optional<TLogContent> named = ParseJournalHead(text.substr(0, firstEnd));
    const TJournalSteps steps = TJournalSteps::Read(text, named.value_or(DescribeLogContent(text)));
    Require(steps.IsForLog() == (named.has_value() && firstEnd < text.size()));
    Require(steps.Size() <= static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    return 0;
}
