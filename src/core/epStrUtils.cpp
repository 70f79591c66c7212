// String and field helpers: field splitting with quotes, quote removal,
// key=value splitting, marker replacement and wildcard masks.
#include "core/epStrUtils.h"

#include "core/epTextCase.h"

namespace {

constexpr char kStar = '*';
constexpr char kAnyChar = '?';

// Quote tracking shared by the two passes of GetField: either quote character
// opens a stretch, only the same one closes it.
class TQuoteState {
public:
    void Update(char c) {
        if (open_ == 0) {
            if (c == kDoubleQuote || c == kApostrophe) open_ = c;
        } else if (c == open_) {
            open_ = 0;
        }
    }
    bool Inside() const { return open_ != 0; }

private:
    char open_ = 0;
};

bool IsSeparator(const TQuoteState& quotes, const TCharSet& set, char c) {
    return !quotes.Inside() && set.Contains(static_cast<unsigned char>(c));
}

// True when segment, "?" matching any byte, stands in text at index at.
// The caller guarantees that the segment fits.
bool SegmentAt(std::string_view segment, std::string_view text, std::size_t at) {
    for (std::size_t i = 0; i < segment.size(); ++i) {
        if (segment[i] != kAnyChar && segment[i] != text[at + i]) return false;
    }
    return true;
}

// True when rest matches the end of text, right-aligned, without reaching
// before index from (0-based).
bool TailMatches(std::string_view rest, std::string_view text, std::size_t from) {
    if (text.size() - from < rest.size()) return false;
    return SegmentAt(rest, text, text.size() - rest.size());
}

std::string FoldDoubleStars(std::string_view mask) {
    std::string folded;
    folded.reserve(mask.size());
    for (char c : mask) {
        if (c == kStar && !folded.empty() && folded.back() == kStar) continue;
        folded += c;
    }
    return folded;
}

// The matching loop proper, on texts already upper-cased and folded, both non-empty.
bool MatchFrom(std::string_view text, std::string_view mask) {
    std::size_t t = 0;
    std::size_t m = 0;
    while (t < text.size() && m < mask.size()) {
        if (mask[m] == text[t] || mask[m] == kAnyChar) {
            ++t;
            ++m;
            continue;
        }
        if (mask[m] != kStar) return false;

        std::string rest(mask.substr(m + 1));
        if (CutAtStar(rest) == 0) {
            // The final segment only has to match the end of the text.
            return rest.empty() || TailMatches(rest, text, t);
        }
        const std::size_t found = WildPos(rest, text.substr(t));
        if (found == 0) return false;
        t += found - 1 + rest.size();
        m += 1 + rest.size();
    }
    if (t < text.size()) return false;
    // Only the mask's last character decides whether an unmatched remainder
    // is acceptable, not each character of that remainder.
    return m >= mask.size() || mask.back() == kStar;
}

}  // namespace

TCharSet TCharSet::Of(std::string_view chars) {
    TCharSet set;
    for (char c : chars) set.Include(static_cast<unsigned char>(c));
    return set;
}

const TCharSet& CommaSet() {
    static const TCharSet comma = TCharSet::Of(",");
    return comma;
}

std::string GetField(std::int32_t n, std::string_view line, const TCharSet& set) {
    TQuoteState quotes;
    std::size_t pos = 0;
    std::int64_t field = 1;
    while (pos < line.size() && field < n) {
        quotes.Update(line[pos]);
        if (IsSeparator(quotes, set, line[pos])) ++field;
        ++pos;
    }
    std::string result;
    while (pos < line.size()) {
        quotes.Update(line[pos]);
        if (IsSeparator(quotes, set, line[pos])) break;
        result += line[pos];
        ++pos;
    }
    return StripQuotes(result, kApostrophe);
}

std::string StripQuotes(std::string_view text, char q) {
    if (text.empty() || text.front() != q) return std::string(text);
    std::string result;
    std::size_t i = 1;
    while (i < text.size()) {
        if (text[i] != q) {
            result += text[i];
            ++i;
        } else if (i + 1 < text.size() && text[i + 1] == q) {
            result += q;
            i += 2;
        } else {
            return result;  // closing quote: whatever follows is dropped
        }
    }
    // Unclosed: the last character stands in for the missing closing quote.
    if (!result.empty()) result.pop_back();
    return result;
}

std::string ReplaceAll(std::string_view text, std::string_view old, std::string_view repl) {
    if (old.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(old); at != std::string_view::npos;
         at = text.find(old, from)) {
        result.append(text.substr(from, at - from));
        result.append(repl);
        from = at + old.size();
    }
    result.append(text.substr(from));
    return result;
}

std::string TextBefore(std::string_view text, char c) {
    return std::string(text.substr(0, text.find(c)));
}

std::string TextAfter(std::string_view text, char c) {
    const std::size_t at = text.find(c);
    if (at == std::string_view::npos) return std::string();
    return std::string(text.substr(at + 1));
}

std::string KeyOf(std::string_view line) { return TextBefore(line, '='); }

std::string ValueOf(std::string_view line) { return TextAfter(line, '='); }

std::string EntryKey(std::string_view line) {
    const std::size_t equals = line.rfind('=');
    return equals == std::string_view::npos ? std::string() : std::string(line.substr(0, equals));
}

std::string OneField(std::string_view text) {
    std::string field(text);
    for (char& c : field) {
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    }
    return field;
}

bool MatchesMask(std::string_view text, std::string_view mask, bool ignoreCase) {
    std::string t(text);
    std::string m(mask);
    if (ignoreCase) {
        t = UpperCaseAnsi(t);
        m = UpperCaseAnsi(m);
    }
    if (m == t) return true;
    m = FoldDoubleStars(m);
    if (m.size() == 1 && m[0] == kStar) return true;
    if (m.empty() || t.empty()) return false;
    return MatchFrom(t, m);
}

std::size_t WildPos(std::string_view segment, std::string_view text) {
    if (segment.empty() || segment.size() > text.size()) return 0;
    if (segment.find(kAnyChar) == std::string_view::npos) {
        const std::size_t at = text.find(segment);
        return at == std::string_view::npos ? 0 : at + 1;
    }
    for (std::size_t at = 0; at + segment.size() <= text.size(); ++at) {
        if (SegmentAt(segment, text, at)) return at + 1;
    }
    return 0;
}

std::size_t CutAtStar(std::string& text) {
    const std::size_t at = text.find(kStar);
    if (at == std::string::npos) return 0;
    text.resize(at);
    return at + 1;
}

bool HoldsNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }
