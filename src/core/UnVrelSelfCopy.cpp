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

}  // namespace

std::string CopyCommandLine(std::string_view commandLine, std::string_view copyPath,
                            unsigned long firstProcessId) {
    std::string line = "\"" + std::string(copyPath) + "\"";
    const std::string arguments = ArgumentsAfterProgram(commandLine);
    if (!arguments.empty()) line += " " + arguments;
    return line + " /" + std::string(kCopyOfOptionName) + "=" + std::to_string(firstProcessId);
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
