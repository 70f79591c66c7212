// The log checker on the sections read by key: "Strings" (message texts) and
// "Display" (the banner's title font).
#include <cstdint>
#include <set>
#include <string>

#include "core/UnVrelFont.h"
#include "core/UnVrelLogCheckView.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "core/sysutilNumbers.h"

namespace logcheck {

namespace {

constexpr int kFirstMessage = 1;
constexpr int kLastMessage = 25;
constexpr int kLogNotFoundMessage = 3;
constexpr int kNotRemovedMessage = 24;
constexpr std::size_t kTitleFontFields = 4;

bool IsDecimal(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// A later line with a key already given: a lookup by key takes the first.
template <typename Report>
void ForEachFirstKey(const TSectionView& section, TFindings& findings, Report report) {
    std::set<std::string, TLessTextI> seen;
    for (const TEntry& entry : section.Entries) {
        const std::string key = KeyOf(entry.Text);
        if (!seen.insert(key).second) {
            findings.Add(entry.Line, TSeverity::Warning, "duplicate-key", section.Name,
                         "key " + Quoted(key) + " is given again; only its first line counts");
            continue;
        }
        report(entry, key, ValueOf(entry.Text));
    }
}

// How many "%c" conversions the text holds of the wanted kind and of any
// other, "%%" standing for a percent sign.
struct TConversions {
    int wanted = 0;
    int other = 0;
};

TConversions CountConversions(std::string_view text, char wanted) {
    TConversions count;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
        } else if (i + 1 < text.size() && text[i + 1] == wanted) {
            ++count.wanted;
            ++i;
        } else {
            ++count.other;
        }
    }
    return count;
}

void CheckConversions(const TSectionView& section, const TEntry& entry, int message,
                      std::string_view value, TFindings& findings) {
    const char wanted = message == kLogNotFoundMessage ? 's' : 'd';
    const std::string what = message == kLogNotFoundMessage ? "the log's path" : "the number";
    const TConversions count = CountConversions(value, wanted);
    if (count.wanted == 1 && count.other == 0) return;
    std::string problem;
    if (count.wanted == 0) {
        problem = "has no %" + std::string(1, wanted) + ", so " + what + " is not shown";
    } else if (count.wanted > 1) {
        problem = "has more than one %" + std::string(1, wanted) + "; only the first becomes " +
                  what + ", the others show as they stand";
    } else {
        problem = "holds a % that is neither %" + std::string(1, wanted) +
                  " nor %%; it shows as it stands (write %% for a percent sign)";
    }
    findings.Add(entry.Line, TSeverity::Warning, "format-conversions", section.Name,
                 "message " + std::to_string(message) + " " + problem);
}

void CheckString(const TSectionView& section, const TEntry& entry, const std::string& key,
                 const std::string& value, TFindings& findings) {
    if (!IsDecimal(key)) {
        findings.Add(entry.Line, TSeverity::Warning, "strings-key", section.Name,
                     "key " + Quoted(key) + " is not a message number (1 to 25): ignored");
        return;
    }
    const std::int32_t number = StrToIntDef(key, 0);
    if (key.size() > 1 && key.front() == '0') {
        findings.Add(entry.Line, TSeverity::Warning, "strings-key", section.Name,
                     "key " + Quoted(key) + " has a leading zero; the uninstaller looks up " +
                         Quoted(std::to_string(number)) + ", so this text is never used");
        return;
    }
    if (number < kFirstMessage || number > kLastMessage) {
        findings.Add(entry.Line, TSeverity::Warning, "strings-key", section.Name,
                     "there is no message " + key + " (messages are numbered 1 to 25): ignored");
        return;
    }
    if (number == 2 || number == kLogNotFoundMessage) {
        findings.Add(entry.Line, TSeverity::Note, "never-shown", section.Name,
                     "message " + key + " appears only when the log cannot be read, so its "
                     "replacement is never shown");
    }
    if (number == kLogNotFoundMessage || number == kNotRemovedMessage) {
        CheckConversions(section, entry, number, value, findings);
    }
}

void CheckStrings(const TSectionView& section, TFindings& findings) {
    ForEachFirstKey(section, findings,
                    [&](const TEntry& entry, const std::string& key, const std::string& value) {
                        CheckString(section, entry, key, value, findings);
                    });
}

void FontWarning(const TSectionView& section, const TEntry& entry, const std::string& text,
                 TFindings& findings) {
    findings.Add(entry.Line, TSeverity::Warning, "display-font", section.Name, text);
}

void CheckStyleLetters(const TSectionView& section, const TEntry& entry,
                       const std::string& letters, TFindings& findings) {
    for (const char c : letters) {
        if (c == 'B' || c == 'I' || c == 'U' || c == 'S') continue;
        const bool lower = c == 'b' || c == 'i' || c == 'u' || c == 's';
        FontWarning(section, entry,
                    "style " + Quoted(letters) + ": " +
                        (lower ? "style letters are upper case (B, I, U, S); lower-case ones "
                                 "are ignored"
                               : "only B, I, U and S mean something; the other characters are "
                                 "ignored"),
                    findings);
        return;
    }
}

void CheckTitleFont(const TSectionView& section, const TEntry& entry, const std::string& value,
                    TFindings& findings) {
    if (value.empty()) {
        FontWarning(section, entry,
                    "an empty DialogTitleFont does not give the default title font: the title "
                    "is drawn in the system's face, 8 points, regular, black",
                    findings);
        return;
    }
    const std::string face = GetField(1, value, CommaSet());
    const std::string size = GetField(2, value, CommaSet());
    const std::string colour = GetField(3, value, CommaSet());
    std::int32_t number = 0;
    if (face.size() > kMaxFaceNameLength) {
        FontWarning(section, entry,
                    "the face name is longer than 31 characters and is cut to " +
                        Quoted(FitFaceName(face)),
                    findings);
    }
    if (!TryStrToInt(size, number) || number <= 0) {
        FontWarning(section, entry,
                    "size " + Quoted(size) + " is not a positive number of points: 8 is used",
                    findings);
    }
    if (!colour.empty() && (!TryStrToInt(colour, number) || number < 0 || number > 0xFFFFFF)) {
        FontWarning(section, entry,
                    "colour " + Quoted(colour) +
                        " is not a number from 0 to 16777215 (0x00BBGGRR): the title is black",
                    findings);
    }
    CheckStyleLetters(section, entry, GetField(4, value, CommaSet()), findings);
    if (!GetField(static_cast<std::int32_t>(kTitleFontFields) + 1, value, CommaSet()).empty()) {
        FontWarning(section, entry,
                    "more than four fields (face,size,colour,style): the rest is ignored",
                    findings);
    }
}

void CheckCharset(const TSectionView& section, const TEntry& entry, const std::string& value,
                  TFindings& findings) {
    std::int32_t number = 0;
    if (!TryStrToInt(value, number)) {
        findings.Add(entry.Line, TSeverity::Warning, "display-charset", section.Name,
                     "Charset " + Quoted(value) + " is not a number: 1 (the default) is used");
    } else if (number < 0 || number > 255) {
        findings.Add(entry.Line, TSeverity::Warning, "display-charset", section.Name,
                     "Charset " + value + " is not a character-set code (0 to 255): only its "
                     "low byte is used");
    }
}

void CheckDisplay(const TSectionView& section, TFindings& findings) {
    ForEachFirstKey(section, findings,
                    [&](const TEntry& entry, const std::string& key, const std::string& value) {
                        if (SameTextI(key, "DialogTitleFont")) {
                            CheckTitleFont(section, entry, value, findings);
                        } else if (SameTextI(key, "Charset")) {
                            CheckCharset(section, entry, value, findings);
                        } else {
                            findings.Add(entry.Line, TSeverity::Warning, "display-key",
                                         section.Name,
                                         "the uninstaller reads DialogTitleFont and Charset "
                                         "here, not " + Quoted(key));
                        }
                    });
}

}  // namespace

void CheckTexts(const TLogView& log, TFindings& findings) {
    if (const TSectionView* strings = log.Find("Strings")) CheckStrings(*strings, findings);
    if (const TSectionView* display = log.Find("Display")) CheckDisplay(*display, findings);
}

}  // namespace logcheck
