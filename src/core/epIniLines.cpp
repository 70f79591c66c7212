// Line-preserving removal of INI entries.
#include "core/epIniLines.h"

#include <utility>

#include "core/epStrUtils.h"
#include "core/epTextCase.h"

namespace {

bool StartsWithUtf16Bom(std::string_view bytes) {
    return bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                 (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

}  // namespace

bool IsRewritableIniText(std::string_view bytes) {
    return !StartsWithUtf16Bom(bytes) && !HoldsNul(bytes);
}

TIniLineEditor::TIniLineEditor(std::string bytes, const TIniOptions& options)
    : bytes_(std::move(bytes)), lines_(SplitIniText(bytes_, options)), removed_(lines_.size()) {
    // Walks the lines as ParseIniText does, so that every entry lands in the
    // section the model puts it in (or in none).
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t current = kNone;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        TIniLine& parsed = lines_[i].Parsed;
        switch (parsed.Kind) {
            case TIniLineKind::Header:
                current = sections_.size();
                sections_.push_back(Section{std::move(parsed.Text), {}});
                break;
            case TIniLineKind::DamagedHeader:
                current = kNone;
                break;
            case TIniLineKind::Entry: {
                const std::size_t equals = parsed.Text.find('=');
                // A line without "=" has no key: no removal ever matches it.
                if (current != kNone && equals != std::string::npos) {
                    sections_[current].Entries.push_back(Entry{i, parsed.Text.substr(0, equals)});
                }
                break;
            }
            case TIniLineKind::Skipped:
                break;
        }
        parsed.Text.clear();
    }
}

bool TIniLineEditor::DeleteKey(std::string_view section, std::string_view key) {
    for (Section& candidate : sections_) {
        if (!SameTextI(candidate.Name, section)) continue;
        // Only the first section of a name counts; later ones stay untouched.
        for (Entry& entry : candidate.Entries) {
            if (entry.Removed || !SameTextI(entry.Key, key)) continue;
            entry.Removed = true;
            removed_[entry.Line] = true;
            modified_ = true;
            return true;
        }
        return false;
    }
    return false;
}

std::string TIniLineEditor::Text() const {
    std::string text;
    text.reserve(bytes_.size());
    const std::size_t bodyStart = lines_.empty() ? bytes_.size() : lines_.front().Start;
    text.append(bytes_, 0, bodyStart);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (removed_[i]) continue;
        text.append(bytes_, lines_[i].Start, lines_[i].End - lines_[i].Start);
    }
    return text;
}
