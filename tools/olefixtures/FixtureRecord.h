// How the stand-in servers record that they were used: one line appended to
// a file, commonly "<the module's own path>.log".
#pragma once

#include <windows.h>

#include <string>

// The full path of the module (nullptr: the program itself); empty on failure.
inline std::string ModulePath(HMODULE module) {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(module, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return buffer.substr(0, length);
        buffer.resize(buffer.size() * 2);
    }
}

// Appends line and CR LF to the file (created when missing); false when the
// file cannot be opened.
inline bool AppendLine(const std::string& file, const std::string& line) {
    const HANDLE handle = CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const std::string bytes = line + "\r\n";
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(handle);
    return true;
}
