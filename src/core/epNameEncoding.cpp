// Log encodings and the long form of full paths.
#include "core/epNameEncoding.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasWideDevicePrefix(std::wstring_view path) {
    if (path.size() < 4 || !IsSlash(path[3])) return false;
    const bool doubled = IsSlash(path[0]) && IsSlash(path[1]) && (path[2] == L'?' || path[2] == L'.');
    const bool native = path[0] == L'\\' && path[1] == L'?' && path[2] == L'?';
    return doubled || native;
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

TNameEncoding NameEncodingOfLog(std::string_view start) {
    return start.substr(0, kUtf8Mark.size()) == kUtf8Mark ? TNameEncoding::Utf8
                                                          : TNameEncoding::Ansi;
}

bool IsRootedPath(std::wstring_view path) {
    if (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1])) return true;
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSlash(path[2]);
}

std::wstring LongPathForm(std::wstring_view fullPath) {
    if (fullPath.size() < kLongPathLength || HasWideDevicePrefix(fullPath))
        return std::wstring(fullPath);
    if (fullPath.size() >= 2 && IsSlash(fullPath[0]) && IsSlash(fullPath[1]))
        return L"\\\\?\\UNC\\" + std::wstring(fullPath.substr(2));
    return L"\\\\?\\" + std::wstring(fullPath);
}

std::wstring PlainPathForm(std::wstring_view path) {
    constexpr std::wstring_view kShare = L"\\\\?\\UNC\\";
    constexpr std::wstring_view kLocal = L"\\\\?\\";
    if (path.substr(0, kShare.size()) == kShare)
        return L"\\\\" + std::wstring(path.substr(kShare.size()));
    if (path.substr(0, kLocal.size()) == kLocal && path.size() >= kLocal.size() + 3 &&
        IsDriveLetter(path[kLocal.size()]) && path[kLocal.size() + 1] == L':' &&
        IsSlash(path[kLocal.size() + 2]))
        return std::wstring(path.substr(kLocal.size()));
    return std::wstring(path);
}
