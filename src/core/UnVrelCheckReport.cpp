// Writing the log checker's findings as text lines or as JSON.
#include "core/UnVrelCheckReport.h"

#include <algorithm>
#include <cstdint>

namespace {

// Windows-1252 bytes 0x80 to 0x9F as Unicode; 0 for the unassigned ones.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

constexpr std::uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
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
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void AppendFindingJson(std::string& out, const TFinding& finding) {
    out += "{\"line\":" + std::to_string(finding.Line);
    out += ",\"severity\":" + JsonString(SeverityName(finding.Severity));
    out += ",\"code\":" + JsonString(finding.Code);
    out += ",\"section\":" + JsonString(AnsiToUtf8(finding.Section));
    out += ",\"message\":" + JsonString(AnsiToUtf8(finding.Message));
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

std::string FormatFindingsText(const TCheckedLog& log, bool utf8) {
    const auto text = [utf8](const std::string& ansi) { return utf8 ? AnsiToUtf8(ansi) : ansi; };
    std::string out;
    for (const TFinding& finding : log.Findings) {
        out += log.Path;
        if (finding.Line > 0) out += ":" + std::to_string(finding.Line);
        out += ": ";
        out += SeverityName(finding.Severity);
        out += ": ";
        if (!finding.Section.empty()) out += "[" + text(finding.Section) + "] ";
        out += text(finding.Message) + " (" + finding.Code + ")\n";
    }
    const TCounts counts = CountFindings(log.Findings);
    out += log.Path + ": " + Plural(counts.errors, "error") + ", " +
           Plural(counts.warnings, "warning") + ", " + Plural(counts.notes, "note") + "\n";
    return out;
}

std::string FormatFindingsJson(const std::vector<TCheckedLog>& logs, bool pathsAreUtf8) {
    std::string out = "{\"logs\":[";
    for (std::size_t i = 0; i < logs.size(); ++i) {
        const TCheckedLog& log = logs[i];
        const TCounts counts = CountFindings(log.Findings);
        if (i > 0) out += ",";
        out += "{\"path\":" + JsonString(pathsAreUtf8 ? log.Path : AnsiToUtf8(log.Path));
        out += ",\"errors\":" + std::to_string(counts.errors);
        out += ",\"warnings\":" + std::to_string(counts.warnings);
        out += ",\"notes\":" + std::to_string(counts.notes);
        out += ",\"findings\":[";
        for (std::size_t k = 0; k < log.Findings.size(); ++k) {
            if (k > 0) out += ",";
            AppendFindingJson(out, log.Findings[k]);
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
