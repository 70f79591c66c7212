// Appends written through to the disk, and whole-file reads.
#include "win/epWriteThroughFile.h"

#include <new>

#include "win/epFileUtils.h"

bool TWriteThroughFile::Open(const std::string& path, bool replace) {
    // Write-through so that each write reaches the disk, and a flush after
    // it for what the flag leaves in the drive's own cache.
    file_.reset(OpenFileHandle(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH));
    if (!file_) return false;
    if (replace && !SetEndOfFile(file_.get())) {
        const DWORD error = GetLastError();
        Close();
        SetLastError(error);
        return false;
    }
    return true;
}

bool TWriteThroughFile::Append(std::string_view bytes) {
    if (!file_) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    LARGE_INTEGER none{};
    if (!SetFilePointerEx(file_.get(), none, nullptr, FILE_END)) return false;
    if (!WriteAllBytes(file_.get(), bytes)) return false;
    return FlushFileBuffers(file_.get()) != FALSE;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    const UniqueFile file(OpenFileHandle(path, GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return std::nullopt;
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        if (!ReadFile(file.get(), &bytes[done], chunk, &read, nullptr)) return std::nullopt;
        if (read == 0) break;  // it shrank meanwhile
        done += read;
    }
    bytes.resize(done);
    return bytes;
}
