// Pure path and text-line helpers of the file primitives.
#include "core/epFileUtils.h"

#include <algorithm>
#include <cstring>

#include "core/epAsciiCase.h"
#include "core/epTextCase.h"

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// Position of the last "\", "/" or ":" of the path, or npos. The system reads
// "/" as "\": a name split only at "\" would run on into a folder's name.
size_t FindLastDelimiter(std::string_view path) { return path.find_last_of("\\/:"); }

bool IsDriveRoot(std::string_view path) {
    return path.size() == 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// Byte offset at which the last character begins. A lead byte at the very end
// (a truncated double-byte character) is a character of its own.
size_t FindLastCharStart(std::string_view path, const TLeadBytePredicate& isLeadByte) {
    size_t start = 0;
    size_t i = 0;
    while (i < path.size()) {
        start = i;
        const bool lead = isLeadByte && isLeadByte(static_cast<unsigned char>(path[i]));
        i += (lead && i + 1 < path.size()) ? 2 : 1;
    }
    return start;
}

void AppendWithoutLf(std::string& line, std::string_view part) {
    for (char c : part) {
        if (c != kLf) line.push_back(c);
    }
}

}  // namespace

std::string AddBackslash(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != '\\') result.push_back('\\');
    return result;
}

bool HasTrailingBackslash(std::string_view path, const TLeadBytePredicate& isLeadByte) {
    if (path.empty()) return false;
    return FindLastCharStart(path, isLeadByte) == path.size() - 1 && path.back() == '\\';
}

std::string RemoveBackslash(std::string_view path, const TLeadBytePredicate& isLeadByte) {
    // "\" alone is one character and stays; a drive root keeps its backslash.
    if (path.size() > 1 && HasTrailingBackslash(path, isLeadByte) && !IsDriveRoot(path)) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

std::string ExtractFileDir(std::string_view path) {
    const size_t pos = FindLastDelimiter(path);
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string ExtractFileName(std::string_view path) {
    const size_t pos = FindLastDelimiter(path);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

bool SameFileName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && SameTextI(a, b);
}

std::string ToBackslashes(std::string_view path) {
    std::string result(path);
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

bool HasDevicePrefix(std::string_view path) {
    return path.size() >= 4 && IsSlash(path[0]) && IsSlash(path[3]) &&
           ((IsSlash(path[1]) && (path[2] == '?' || path[2] == '.')) ||
            (path[1] == '?' && path[2] == '?'));
}

std::string_view WithoutDevicePrefix(std::string_view path) {
    if (HasDevicePrefix(path)) path.remove_prefix(4);
    return path;
}

std::string ExtractFileExt(std::string_view path) {
    const std::string name = ExtractFileName(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    std::string result(path.substr(0, path.size() - ExtractFileExt(path).size()));
    result.append(ext);
    return result;
}

std::string_view NextTextLine(std::string_view bytes, size_t& pos, std::string& scratch) {
    // The chunked reader leaves the file just after each CR, so chunk
    // boundaries never show: every CR ends a line, and whatever bytes follow
    // the last CR (even LFs alone) form one more line.
    const char* const data = bytes.data();
    const void* const cr = std::memchr(data + pos, kCr, bytes.size() - pos);
    const size_t end = cr != nullptr ? static_cast<size_t>(static_cast<const char*>(cr) - data)
                                     : bytes.size();
    size_t start = pos;
    pos = end + 1;
    // With CR LF line ends every line but the first starts with the LF of
    // the one before: drop those without copying.
    while (start < end && data[start] == kLf) ++start;
    const std::string_view line(data + start, end - start);
    if (std::memchr(line.data(), kLf, line.size()) == nullptr) return line;
    scratch.clear();
    AppendWithoutLf(scratch, line);
    return scratch;
}

std::vector<std::string> SplitTextLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string scratch;
    for (size_t pos = 0; pos < bytes.size();) lines.emplace_back(NextTextLine(bytes, pos, scratch));
    return lines;
}
