// The journal's text: heads and records, their checksums, and what they prove.
#include "core/UnVrelJournal.h"

#include <charconv>
#include <vector>

#include "core/epSha256.h"

namespace {

constexpr std::size_t kChecksumDigits = 16;
constexpr std::string_view kHeadWord = "journal";
constexpr std::string_view kVersion = "1";
constexpr std::size_t kSha256Digits = 64;

struct TStepName {
    TJournalStep Step;
    std::string_view Word;
};
constexpr TStepName kStepNames[] = {{TJournalStep::Lowered, "lowered"},
                                    {TJournalStep::Answered, "answered"},
                                    {TJournalStep::Released, "released"}};

struct TAnswerName {
    TSharedAnswer Answer;
    std::string_view Word;
};
constexpr TAnswerName kAnswerNames[] = {{TSharedAnswer::Yes, "yes"},
                                        {TSharedAnswer::No, "no"},
                                        {TSharedAnswer::YesToAll, "yes-to-all"},
                                        {TSharedAnswer::NoToAll, "no-to-all"}};

std::string_view StepWord(TJournalStep step) {
    for (const TStepName& name : kStepNames)
        if (name.Step == step) return name.Word;
    return "?";
}

std::string_view AnswerWord(TSharedAnswer answer) {
    for (const TAnswerName& name : kAnswerNames)
        if (name.Answer == answer) return name.Word;
    return "?";
}

std::optional<TJournalStep> StepOfWord(std::string_view word) {
    for (const TStepName& name : kStepNames)
        if (name.Word == word) return name.Step;
    return std::nullopt;
}

std::optional<TSharedAnswer> AnswerOfWord(std::string_view word) {
    for (const TAnswerName& name : kAnswerNames)
        if (name.Word == word) return name.Answer;
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

// The body of an intact line: its checksum matches.
std::optional<std::string_view> OpenSealedLine(std::string_view line) {
    if (line.size() < kChecksumDigits + 1 || line[kChecksumDigits] != ' ') return std::nullopt;
    const std::string_view body = line.substr(kChecksumDigits + 1);
    if (line.substr(0, kChecksumDigits) != Checksum(body)) return std::nullopt;
    return body;
}

// The first count fields of text separated by single blanks, and the rest
// after the blank that ends the last of them.
bool SplitFields(std::string_view text, std::size_t count, std::vector<std::string_view>& fields,
                 std::string_view& rest) {
    fields.clear();
    while (fields.size() < count) {
        const std::size_t blank = text.find(' ');
        if (blank == std::string_view::npos) return false;
        fields.push_back(text.substr(0, blank));
        text.remove_prefix(blank + 1);
    }
    rest = text;
    return true;
}

template <typename T>
bool ParseDecimal(std::string_view text, T& value) {
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
    const char* const end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
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
                                  ? std::string(AnswerWord(record.Answer))
                                  : std::to_string(record.Count);
    return SealedLine(std::string(StepWord(record.Step)) + " " + std::to_string(record.Line) + " " +
                      value + " " + EscapePath(record.Path));
}

std::optional<TLogContent> ParseJournalHead(std::string_view line) {
    const std::optional<std::string_view> body = OpenSealedLine(line);
    if (!body) return std::nullopt;
    std::vector<std::string_view> fields;
    std::string_view sha;
    if (!SplitFields(*body, 3, fields, sha)) return std::nullopt;
    TLogContent log;
    if (fields[0] != kHeadWord || fields[1] != kVersion || !ParseDecimal(fields[2], log.Size) ||
        sha.size() != kSha256Digits || !IsLowerHex(sha))
        return std::nullopt;
    log.Sha256 = std::string(sha);
    return log;
}

std::optional<TJournalRecord> ParseJournalRecord(std::string_view line) {
    const std::optional<std::string_view> body = OpenSealedLine(line);
    if (!body) return std::nullopt;
    std::vector<std::string_view> fields;
    std::string_view path;
    if (!SplitFields(*body, 3, fields, path)) return std::nullopt;
    TJournalRecord record;
    const std::optional<TJournalStep> step = StepOfWord(fields[0]);
    if (!step || !ParseDecimal(fields[1], record.Line)) return std::nullopt;
    record.Step = *step;
    if (record.Step == TJournalStep::Answered) {
        const std::optional<TSharedAnswer> answer = AnswerOfWord(fields[2]);
        if (!answer) return std::nullopt;
        record.Answer = *answer;
    } else {
        std::string_view count = fields[2];
        const bool negative = !count.empty() && count[0] == '-';
        if (negative) count.remove_prefix(1);
        std::int64_t magnitude = 0;
        if (!ParseDecimal(count, magnitude) || magnitude > 2147483648LL ||
            (!negative && magnitude > 2147483647LL) || (negative && magnitude == 0))
            return std::nullopt;
        record.Count = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    }
    std::optional<std::string> unescaped = UnescapePath(path);
    if (!unescaped) return std::nullopt;
    record.Path = std::move(*unescaped);
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
