// Full, long, upper-cased paths through the system's own path functions.
#include "win/epPathIdentity.h"

#include <windows.h>

#include "core/epTextCase.h"

namespace {

std::string GetFullPath(const std::string& path) {
    std::string buffer(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                         &buffer[0], nullptr);
        if (n == 0) return path;
        if (n < buffer.size()) return buffer.substr(0, n);
        buffer.assign(n, '\0');  // n counts the terminating NUL here
    }
    return path;
}

std::string GetLongPath(const std::string& path) {
    std::string buffer(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n =
            GetLongPathNameA(path.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
        if (n == 0) return path;
        if (n < buffer.size()) return buffer.substr(0, n);
        buffer.assign(n, '\0');
    }
    return path;
}

}  // namespace

std::string GetFullLongPath(const std::string& path) {
    const std::string full = GetFullPath(path);
    // Every short name the system makes holds a "~"; without one there is no
    // short component to expand, and the disk need not be asked.
    if (full.find('~') == std::string::npos) return full;
    return GetLongPath(full);
}

std::string GetPathIdentity(const std::string& path) {
    return UpperCaseAnsi(GetFullLongPath(path));
}
