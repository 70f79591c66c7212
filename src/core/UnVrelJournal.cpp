// The journal's text: heads and records, their checksums, and what they prove.
#include "core/UnVrelJournal.h"

#include <charconv>

#include "core/epSha256.h"

namespace {

constexpr std::size_t kChecksumDigits = 16;
constexpr std::string_view kHeadWord = "journal";
constexpr std::string_view kVersion = "1";
constexpr std::size_t kSha256Digits = 64;

// The words that stand for a step or an answer in a record.
template <typename T>
struct TWord {
    T Value;
    std::string_view Word;
};

constexpr TWord<TJournalStep> kStepWords[] = {{TJournalStep::Lowered, "lowered"},
                                              {TJournalStep::Answered, "answered"},
                                              {TJournalStep::Released, "released"}};

constexpr TWord<TSharedAnswer> kAnswerWords[] = {{TSharedAnswer::Yes, "yes"},
                                                 {TSharedAnswer::No, "no"},
                                                 {TSharedAnswer::YesToAll, "yes-to-all"},
                                                 {TSharedAnswer::NoToAll, "no-to-all"}};

template <typename T, std::size_t N>
std::string_view WordOf(const TWord<T> (&words)[N], T value) {
    for (const TWord<T>& word : words)
        if (word.Value == value) return word.Word;
    return "?";
}

template <typename T, std::size_t N>
std::optional<T> ValueOfWord(const TWord<T> (&words)[N], std::string_view text) {
    for (const TWord<T>& word : words)
        if (word.Word == text) return word.Value;
    return std::nullopt;
}

bool MustEscape(unsigned char c) { return c < 32 || c == 127 || c == '%'; }

std::string EscapePath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (!MustEscape(byte)) {
            out += c;
            continue;
        }
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Nothing when an escape is malformed or needless, or a byte that must be
// escaped stands bare.
std::optional<std::string> UnescapePath(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte != '%') {
            if (MustEscape(byte)) return std::nullopt;
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        // One spelling per path: an escape of a byte that needs none was not ours.
        const auto escaped = static_cast<unsigned char>(high * 16 + low);
        if (!MustEscape(escaped)) return std::nullopt;
        out += static_cast<char>(escaped);
        i += 2;
    }
    return out;
}

std::string Checksum(std::string_view body) { return Sha256Hex(body).substr(0, kChecksumDigits); }

std::string SealedLine(const std::string& body) { return Checksum(body) + " " + body + "\n"; }

// A line's body as the journal's lines are made: three fields, each ended
// by a single blank, then the rest (a digest, or a path that may hold blanks).
struct TSealedFields {
    std::string_view Field[3];
    std::string_view Rest;
};

// The fields of a line whose checksum matches its body; nothing for a
// damaged line or one with fewer fields.
std::optional<TSealedFields> OpenSealedLine(std::string_view line) {
    if (line.size() < kChecksumDigits + 1 || line[kChecksumDigits] != ' ') return std::nullopt;
    std::string_view body = line.substr(kChecksumDigits + 1);
    if (line.substr(0, kChecksumDigits) != Checksum(body)) return std::nullopt;
    TSealedFields sealed;
    for (std::string_view& field : sealed.Field) {
        const std::size_t blank = body.find(' ');
        if (blank == std::string_view::npos) return std::nullopt;
        field = body.substr(0, blank);
        body.remove_prefix(blank + 1);
    }
    sealed.Rest = body;
    return sealed;
}

template <typename T>
bool ParseDecimal(std::string_view text, T& value) {
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
    const char* const end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// A use count as FormatJournalRecord writes it: one spelling per value of
// a signed 32-bit count, "-0" and leading zeros refused.
bool ParseCount(std::string_view text, std::int32_t& count) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    std::int64_t magnitude = 0;
    if (!ParseDecimal(text, magnitude) || magnitude > 2147483648LL ||
        (!negative && magnitude > 2147483647LL) || (negative && magnitude == 0))
        return false;
    count = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

bool IsLowerHex(std::string_view text) {
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace

bool operator==(const TLogContent& one, const TLogContent& other) {
    return one.Size == other.Size && one.Sha256 == other.Sha256;
}

TLogContent DescribeLogContent(std::string_view bytes) {
    return TLogContent{bytes.size(), Sha256Hex(bytes)};
}

std::string FormatJournalHead(const TLogContent& log) {
    return SealedLine(std::string(kHeadWord) + " " + std::string(kVersion) + " " +
                      std::to_string(log.Size) + " " + log.Sha256);
}

std::string FormatJournalRecord(const TJournalRecord& record) {
    const std::string value = record.Step == TJournalStep::Answered
                                  ? std::string(WordOf(kAnswerWords, record.Answer))
                                  : std::to_string(record.Count);
    return SealedLine(std::string(WordOf(kStepWords, record.Step)) + " " +
                      std::to_string(record.Line) + " " + value + " " + EscapePath(record.Path));
}

std::optional<TLogContent> ParseJournalHead(std::string_view line) {
    const std::optional<TSealedFields> sealed = OpenSealedLine(line);
    TLogContent log;
    if (!sealed || sealed->Field[0] != kHeadWord || sealed->Field[1] != kVersion ||
        !ParseDecimal(sealed->Field[2], log.Size) || sealed->Rest.size() != kSha256Digits ||
        !IsLowerHex(sealed->Rest))
        return std::nullopt;
    log.Sha256 = std::string(sealed->Rest);
    return log;
}

std::optional<TJournalRecord> ParseJournalRecord(std::string_view line) {
    const std::optional<TSealedFields> sealed = OpenSealedLine(line);
    if (!sealed) return std::nullopt;
    TJournalRecord record;
    const std::optional<TJournalStep> step = ValueOfWord(kStepWords, sealed->Field[0]);
    if (!step || !ParseDecimal(sealed->Field[1], record.Line)) return std::nullopt;
    record.Step = *step;
    if (record.Step == TJournalStep::Answered) {
        const std::optional<TSharedAnswer> answer = ValueOfWord(kAnswerWords, sealed->Field[2]);
        if (!answer) return std::nullopt;
        record.Answer = *answer;
    } else if (!ParseCount(sealed->Field[2], record.Count)) {
        return std::nullopt;
    }
    std::optional<std::string> path = UnescapePath(sealed->Rest);
    if (!path) return std::nullopt;
    record.Path = std::move(*path);
    return record;
}

TJournalSteps TJournalSteps::Read(std::string_view text, const TLogContent& log) {
    TJournalSteps steps;
    steps.endsInsideLine_ = !text.empty() && text.back() != '\n';
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        // A line without its end was torn while it was written: it proves nothing.
        if (end == std::string_view::npos) break;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (first) {
            first = false;
            const std::optional<TLogContent> head = ParseJournalHead(line);
            if (!head || !(*head == log)) return steps;
            steps.forLog_ = true;
            continue;
        }
        if (const std::optional<TJournalRecord> record = ParseJournalRecord(line)) steps.Add(*record);
    }
    return steps;
}

void TJournalSteps::Add(const TJournalRecord& record) {
    steps_.emplace(record.Step, record.Line, record.Path);
    if (record.Step == TJournalStep::Answered) answers_[{record.Line, record.Path}] = record.Answer;
}

bool TJournalSteps::Has(TJournalStep step, std::size_t line, const std::string& path) const {
    return steps_.count(TKey(step, line, path)) > 0;
}

std::optional<TSharedAnswer> TJournalSteps::AnswerFor(std::size_t line,
                                                      const std::string& path) const {
    const auto found = answers_.find({line, path});
    if (found == answers_.end()) return std::nullopt;
    return found->second;
}
