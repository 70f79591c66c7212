// Command line, folder name and nesting rules of the run from a temporary copy.
#include "core/UnVrelSelfCopy.h"

#include <cstddef>
#include <utility>

#include "core/UnVrelCommandLine.h"
#include "core/UnVrelOptions.h"
#include "core/epAsciiCase.h"

namespace {

constexpr std::string_view kFolderPrefix = "UnVrel-";
constexpr std::size_t kFolderDigits = 16;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The copy's path in double quotes, the arguments unless there are none,
// and the internal option naming the first process.
template <typename Char>
std::basic_string<Char> ComposeCopyLine(std::basic_string_view<Char> copyPath,
                                        std::basic_string_view<Char> arguments,
                                        unsigned long firstProcessId) {
    std::basic_string<Char> line(1, Char('"'));
    line.append(copyPath);
    line += Char('"');
    if (!arguments.empty()) {
        line += Char(' ');
        line.append(arguments);
    }
    const std::string option =
        " /" + std::string(kCopyOfOptionName) + "=" + std::to_string(firstProcessId);
    line.append(option.begin(), option.end());
    return line;
}

// A wide text as bytes of the same count for the splitting rules of
// ParamStr, which look at ASCII characters only: every other character
// stands as a letter.
std::string AsciiShape(std::wstring_view text) {
    std::string shape(text.size(), 'x');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned long>(text[i]) < 0x80) shape[i] = static_cast<char>(text[i]);
    }
    return shape;
}

}  // namespace

std::string CopyCommandLine(std::string_view commandLine, std::string_view copyPath,
                            unsigned long firstProcessId) {
    return ComposeCopyLine(copyPath, std::string_view(ArgumentsAfterProgram(commandLine)),
                           firstProcessId);
}

std::wstring CopyCommandLine(std::wstring_view commandLine, std::wstring_view copyPath,
                             unsigned long firstProcessId) {
    // The arguments are the end of the command line: ParamStr's rules, run
    // over its shape, tell how long that end is.
    const std::size_t length = ArgumentsAfterProgram(AsciiShape(commandLine)).size();
    return ComposeCopyLine(copyPath, commandLine.substr(commandLine.size() - length),
                           firstProcessId);
}

std::vector<std::string> ForeignCopyOfOptions(std::string_view commandLine) {
    std::vector<std::string> found;
    // From the first argument on: wherever options may stand.
    for (int index = 1;; ++index) {
        std::string argument = ParamStr(commandLine, index);
        if (argument.empty()) break;
        if (!ParseRunOptionArguments({argument}).CopyOf.empty()) found.push_back(std::move(argument));
    }
    if (!found.empty()) found.pop_back();
    return found;
}

std::optional<unsigned long> ParseProcessId(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    unsigned long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned long long>(c - '0');
    }
    if (value == 0 || value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<unsigned long>(value);
}

bool IsSameOrWithin(std::string_view path, std::string_view dir) {
    if (dir.empty()) return false;
    if (path == dir) return true;
    if (dir.back() == '\\') return path.size() > dir.size() && path.substr(0, dir.size()) == dir;
    return path.size() > dir.size() + 1 && path.substr(0, dir.size()) == dir &&
           path[dir.size()] == '\\';
}

std::string CopyFolderName(std::uint64_t random) {
    static const char kHex[] = "0123456789abcdef";
    std::string name(kFolderPrefix);
    for (int shift = 60; shift >= 0; shift -= 4) name += kHex[(random >> shift) & 0xF];
    return name;
}

bool IsCopyFolderName(std::string_view name) {
    if (name.size() != kFolderPrefix.size() + kFolderDigits) return false;
    if (!StartsWithAscii(name, kFolderPrefix)) return false;
    for (const char c : name.substr(kFolderPrefix.size())) {
        if (!IsHexDigit(c)) return false;
    }
    return true;
}

std::string CopyRecordName(unsigned long firstProcessId) {
    return "Local\\TamskUninstaller.Copy." + std::to_string(firstProcessId);
}

std::string CopyFinishedName(unsigned long firstProcessId) {
    return "Local\\TamskUninstaller.Finished." + std::to_string(firstProcessId);
}

std::string LeftCopyName(std::string_view copyFolderName) {
    return std::string(copyFolderName) + ".tmp";
}
