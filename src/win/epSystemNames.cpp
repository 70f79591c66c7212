// Name conversions between the log's encoding and the system's characters.
#include "win/epSystemNames.h"

#include <climits>

#include "win/handles.h"

namespace {

TNameEncoding currentEncoding = TNameEncoding::Ansi;

UINT CodePageOf(TNameEncoding encoding) {
    return encoding == TNameEncoding::Utf8 ? CP_UTF8 : CP_ACP;
}

UINT CodePage() { return CodePageOf(currentEncoding); }

int ClampLength(std::size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int length = ClampLength(text.size());
    const int count = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (count <= 0) return std::wstring(1, L'\xFFFD');
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, &wide[0], count);
    return wide;
}

std::string FromWide(std::wstring_view text, UINT codePage) {
    if (text.empty()) return std::string();
    const int length = ClampLength(text.size());
    const int count =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return std::string();
    std::string bytes(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, &bytes[0], count, nullptr, nullptr);
    return bytes;
}

// A path already in the system's characters in the form that the system
// takes whole (see ToSystemPath).
std::wstring SystemPathOf(std::wstring wide) {
    if (wide.size() < kLongPathLength && IsRootedPath(wide)) return wide;
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD count = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()),
                                             &full[0], nullptr);
        if (count == 0) return wide;
        if (count < full.size()) {
            full.resize(count);
            // A relative path that stays short is left for the system to
            // resolve, as it always was.
            if (full.size() < kLongPathLength) return wide;
            return LongPathForm(full);
        }
        full.assign(count + 1, L'\0');
    }
    return wide;
}

}  // namespace

void SetNameEncoding(TNameEncoding encoding) { currentEncoding = encoding; }

TNameEncoding NameEncoding() { return currentEncoding; }

std::wstring ToSystemName(std::string_view name) { return ToWide(name, CodePage()); }

std::string FromSystemName(std::wstring_view name) { return FromWide(name, CodePage()); }

std::string ConvertText(std::string_view text, TNameEncoding from, TNameEncoding to) {
    if (from == to) return std::string(text);
    return FromWide(ToWide(text, CodePageOf(from)), CodePageOf(to));
}

std::string FromSystemName(const wchar_t* name) {
    return name == nullptr ? std::string() : FromSystemName(std::wstring_view(name));
}

std::wstring ToSystemPath(std::string_view path) { return SystemPathOf(ToSystemName(path)); }

TNameEncoding ReadLogEncoding(const std::string& path, TNameEncoding pathEncoding) {
    const std::wstring name = SystemPathOf(ToWide(path, CodePageOf(pathEncoding)));
    const UniqueFile file(CreateFileW(name.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return TNameEncoding::Ansi;
    char start[3] = {};
    DWORD count = 0;
    if (!ReadFile(file.get(), start, sizeof(start), &count, nullptr)) return TNameEncoding::Ansi;
    return NameEncodingOfLog(std::string_view(start, count));
}

std::string ReadCommandLine(TNameEncoding encoding) {
    if (encoding == TNameEncoding::Ansi) return GetCommandLineA();
    return FromWide(GetCommandLineW(), CodePageOf(encoding));
}

std::string ReadCommandLine() { return ReadCommandLine(currentEncoding); }
