// Reading whole files and splitting records: shared by the Win32-service
// tests and the end-to-end tests.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win/handles.h"

// The file's whole content, read while others may keep it open, or nothing
// when it cannot be opened.
inline std::optional<std::string> ReadAllBytes(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    return bytes;
}

// The pieces of text between separators; a separator at the very end starts
// no further, empty piece.
inline std::vector<std::string> SplitAt(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        pieces.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    return pieces;
}
