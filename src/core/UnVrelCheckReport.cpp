// Writing the log checker's findings as text lines or as JSON.
#include "core/UnVrelCheckReport.h"

#include <algorithm>
#include <cstdint>

#include "core/epTextEncoding.h"

namespace {

// Windows-1252 bytes 0x80 to 0x9F as Unicode; 0 for the unassigned ones.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

constexpr std::uint32_t kReplacement = 0xFFFD;

const char kHex[] = "0123456789ABCDEF";

// A character a terminal may act on rather than show: C0 controls (ESC
// begins a terminal's escape sequences), DEL and the C1 controls (U+009B is
// a terminal's one-character CSI).
bool IsControl(std::uint32_t code) {
    return code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0);
}

// "<0x1B>": how text output shows a control character, or a byte it cannot
// show. No file name on Windows holds "<" or ">", so a path never reads so.
void AppendShown(std::string& out, std::uint32_t code) {
    out += "<0x";
    out += kHex[(code >> 4) & 0xF];
    out += kHex[code & 0xF];
    out += '>';
}

// "\u00e9": a character as a JSON escape.
void AppendJsonEscape(std::string& out, std::uint32_t code) {
    static const char kLowerHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kLowerHex[(code >> shift) & 0xF];
}

// The Windows-1252 character of a byte; the five bytes 1252 leaves
// unassigned stand for U+0081 and so on, as the system's own conversion has it.
std::uint32_t Cp1252Character(unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    const std::uint16_t code = kHighControls[byte - 0x80];
    return code != 0 ? code : byte;
}

// The length of the well-formed UTF-8 sequence at the start of text (no
// overlong form, no surrogate, nothing above U+10FFFF) and its character;
// 0 when none starts there.
std::size_t DecodeUtf8(std::string_view text, std::uint32_t& code) {
    const auto at = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        length = 2;
        code = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3;
        code = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        length = 4;
        code = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (at(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return 0;
    return length;
}

// How a path is written out. The path is bytes: UTF-8 on a system whose
// file names are UTF-8 (but any bytes may stand in a name there), the ANSI
// code page (1252) on Windows.
enum class TPathOutput { Text, Json };

std::string FormatPath(std::string_view path, bool pathsAreUtf8, TPathOutput output) {
    const bool json = output == TPathOutput::Json;
    // The console of the ANSI build shows the code page's bytes as they are.
    if (!json && !pathsAreUtf8) return ShowControls(path);
    std::string out;
    while (!path.empty()) {
        std::uint32_t code = 0;
        std::size_t length = pathsAreUtf8 ? DecodeUtf8(path, code) : 0;
        const bool asBytes = length == 0;
        if (asBytes) {
            // A byte of the ANSI code page, or one that is no part of a UTF-8
            // character: its 1252 character, escaped in JSON so that the
            // substitution shows.
            code = Cp1252Character(static_cast<unsigned char>(path.front()));
            length = 1;
        }
        if (json && (IsControl(code) || (asBytes && pathsAreUtf8))) {
            AppendJsonEscape(out, code);
        } else if (json && (code == '"' || code == '\\')) {
            out += '\\';
            out += static_cast<char>(code);
        } else if (!json && IsControl(code)) {
            AppendShown(out, asBytes ? static_cast<unsigned char>(path.front()) : code);
        } else if (asBytes) {
            AppendUtf8(out, code);
        } else {
            out.append(path.substr(0, length));
        }
        path.remove_prefix(length);
    }
    return out;
}

struct TCounts {
    int errors = 0;
    int warnings = 0;
    int notes = 0;
};

TCounts CountFindings(const std::vector<TFinding>& findings) {
    TCounts counts;
    for (const TFinding& finding : findings) {
        switch (finding.Severity) {
            case TSeverity::Error: ++counts.errors; break;
            case TSeverity::Warning: ++counts.warnings; break;
            default: ++counts.notes; break;
        }
    }
    return counts;
}

std::string Plural(int n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// The text as a JSON string, quotes included; the text is UTF-8 already.
std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendJsonEscape(out, byte);
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Text a finding quotes from the log, as UTF-8.
std::string LogTextAsUtf8(const TCheckedLog& log, std::string_view text) {
    return log.Utf8 ? ValidUtf8(text) : AnsiToUtf8(text);
}

void AppendFindingJson(std::string& out, const TCheckedLog& log, const TFinding& finding) {
    out += "{\"line\":" + std::to_string(finding.Line);
    out += ",\"severity\":" + JsonString(SeverityName(finding.Severity));
    out += ",\"code\":" + JsonString(finding.Code);
    out += ",\"section\":" + JsonString(LogTextAsUtf8(log, finding.Section));
    out += ",\"message\":" + JsonString(LogTextAsUtf8(log, finding.Message));
    out += "}";
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0) {
            const std::uint16_t code = kHighControls[byte - 0x80];
            AppendUtf8(out, code != 0 ? code : kReplacement);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::uint32_t code = 0;
        const std::size_t length = DecodeUtf8(text, code);
        if (length == 0) {
            AppendUtf8(out, kReplacement);
            text.remove_prefix(1);
            continue;
        }
        out.append(text.substr(0, length));
        text.remove_prefix(length);
    }
    return out;
}

std::string ShowControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            AppendShown(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

std::string FormatFindingsText(const TCheckedLog& log, bool utf8) {
    const auto text = [utf8, &log](const std::string& quoted) {
        return ShowControls(utf8 ? LogTextAsUtf8(log, quoted) : quoted);
    };
    const std::string path = FormatPath(log.Path, utf8, TPathOutput::Text);
    std::string out;
    for (const TFinding& finding : log.Findings) {
        out += path;
        if (finding.Line > 0) out += ":" + std::to_string(finding.Line);
        out += ": ";
        out += SeverityName(finding.Severity);
        out += ": ";
        if (!finding.Section.empty()) out += "[" + text(finding.Section) + "] ";
        out += text(finding.Message) + " (" + finding.Code + ")\n";
    }
    const TCounts counts = CountFindings(log.Findings);
    out += path + ": " + Plural(counts.errors, "error") + ", " +
           Plural(counts.warnings, "warning") + ", " + Plural(counts.notes, "note") + "\n";
    return out;
}

std::string FormatFindingsJson(const std::vector<TCheckedLog>& logs, bool pathsAreUtf8) {
    std::string out = "{\"logs\":[";
    for (std::size_t i = 0; i < logs.size(); ++i) {
        const TCheckedLog& log = logs[i];
        const TCounts counts = CountFindings(log.Findings);
        if (i > 0) out += ",";
        out += "{\"path\":\"" + FormatPath(log.Path, pathsAreUtf8, TPathOutput::Json) + "\"";
        out += ",\"errors\":" + std::to_string(counts.errors);
        out += ",\"warnings\":" + std::to_string(counts.warnings);
        out += ",\"notes\":" + std::to_string(counts.notes);
        out += ",\"findings\":[";
        for (std::size_t k = 0; k < log.Findings.size(); ++k) {
            if (k > 0) out += ",";
            AppendFindingJson(out, log, log.Findings[k]);
        }
        out += "]}";
    }
    out += "],\"exitCode\":" + std::to_string(CheckExitCode(logs)) + "}\n";
    return out;
}

int CheckExitCode(const std::vector<TCheckedLog>& logs) {
    int code = 0;
    for (const TCheckedLog& log : logs) code = std::max(code, CheckExitCode(log.Findings));
    return code;
}
