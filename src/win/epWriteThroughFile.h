// A file whose every append is on the disk when the call returns: for a
// record that must survive a power cut or the process being ended right
// after it was written.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "win/handles.h"

class TWriteThroughFile {
public:
    // Opens the file at path for appending, creating it when it is missing;
    // with replace, empties it first. Others may read it meanwhile, not write
    // it. False (GetLastError tells why) when it cannot be opened or emptied;
    // the object is then closed.
    bool Open(const std::string& path, bool replace);

    // Writes bytes at the end of the file and returns once the system has put
    // them on the disk. False (GetLastError tells why) when the file is not
    // open or any part failed: the bytes may then be on the disk in part.
    bool Append(std::string_view bytes);

    void Close() { file_.reset(); }

    bool IsOpen() const { return static_cast<bool>(file_); }

private:
    UniqueFile file_;
};

// The whole file at path, read while others may read, write or delete it;
// nothing when it cannot be opened or read, holds more than maxBytes, or
// does not fit in memory.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes);
