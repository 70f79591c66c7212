// The example logs of docs/log-format.md, taken from the document itself so
// that the document and the tests cannot drift apart. An example log is a
// fenced block whose info string is "ini log=NAME"; the document is UTF-8
// with LF line ends, a log is Windows-1252 with CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace docs {

struct ExampleLog {
    std::string name;  // NAME of "ini log=NAME"
    std::string log;   // the block's lines, each ended by CR LF, in Windows-1252
};

// The Windows-1252 byte of a Unicode code point, or '?' when it has none.
inline char Windows1252Byte(std::uint32_t code) {
    static const std::uint16_t kHigh[32] = {
        0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == code) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// UTF-8 text as Windows-1252 bytes.
inline std::string Utf8ToWindows1252(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        std::uint32_t code = extra == 0 ? lead : (lead & (0x3F >> extra));
        for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < utf8.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        }
        out += Windows1252Byte(code);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// Every example log of the document, in document order. untagged counts the
// "ini" blocks that carry no log name: examples that no test would run.
inline std::vector<ExampleLog> ExtractExampleLogs(const std::string& markdown, int& untagged) {
    const std::string tag = "```ini log=";
    std::vector<ExampleLog> logs;
    untagged = 0;
    ExampleLog* open = nullptr;
    bool inOther = false;
    std::size_t start = 0;
    while (start < markdown.size()) {
        std::size_t end = markdown.find('\n', start);
        if (end == std::string::npos) end = markdown.size();
        std::string line = markdown.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (open != nullptr || inOther) {
            if (line == "```") {
                open = nullptr;
                inOther = false;
            } else if (open != nullptr) {
                open->log += Utf8ToWindows1252(line) + "\r\n";
            }
        } else if (line.rfind(tag, 0) == 0) {
            logs.push_back(ExampleLog{line.substr(tag.size()), ""});
            open = &logs.back();
        } else if (line.rfind("```", 0) == 0) {
            if (line == "```ini") ++untagged;
            inOther = true;
        }
    }
    return logs;
}

}  // namespace docs
