// What the Win32-service tests and the end-to-end tests of OLE servers share:
// the system kind of the type libraries they make, and wide text for the OLE
// calls that take it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

// The ANSI text as UTF-16, converted by the system code page.
inline std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return wide;
}
