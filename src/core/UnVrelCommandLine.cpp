// Command-line splitting in the manner of the classic runtime's ParamStr.
#include "core/UnVrelCommandLine.h"

namespace {

bool IsSeparator(unsigned char c) { return c <= ' '; }

// Reads the argument that starts at or after pos into arg; returns the
// position after it. An empty arg means the command line is exhausted.
size_t NextParam(std::string_view line, size_t pos, std::string& arg) {
    arg.clear();
    for (;;) {
        while (pos < line.size() && IsSeparator(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos + 1 < line.size() && line[pos] == '"' && line[pos + 1] == '"') {
            pos += 2;
        } else {
            break;
        }
    }
    while (pos < line.size() && !IsSeparator(static_cast<unsigned char>(line[pos]))) {
        if (line[pos] == '"') {
            ++pos;
            while (pos < line.size() && line[pos] != '"') arg += line[pos++];
            if (pos < line.size()) ++pos;
        } else {
            arg += line[pos++];
        }
    }
    return pos;
}

}  // namespace

std::string ParamStr(std::string_view commandLine, int index) {
    std::string arg;
    size_t pos = 0;
    for (int i = 0; i <= index; ++i) {
        pos = NextParam(commandLine, pos, arg);
        if (arg.empty()) return std::string();
    }
    return arg;
}

std::string ArgumentsAfterProgram(std::string_view commandLine) {
    std::string program;
    size_t pos = NextParam(commandLine, 0, program);
    while (pos < commandLine.size() && IsSeparator(static_cast<unsigned char>(commandLine[pos])))
        ++pos;
    return std::string(commandLine.substr(pos));
}

std::string FormatWithOneArgument(std::string_view format, char conversion,
                                  std::string_view arg) {
    std::string result;
    bool argUsed = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char next = format[i + 1];
            if (next == '%') {
                result += '%';
                ++i;
                continue;
            }
            if (next == conversion && !argUsed) {
                result.append(arg);
                argUsed = true;
                ++i;
                continue;
            }
        }
        result += format[i];
    }
    return result;
}

std::string FormatWithOneString(std::string_view format, std::string_view arg) {
    return FormatWithOneArgument(format, 's', arg);
}
