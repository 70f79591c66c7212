// Loading and writing back the file behind an INI model.
#include "win/epIniFile.h"

#include "core/epFileUtils.h"
#include "win/epFileUtils.h"
#include "win/handles.h"

namespace {

// Largest single WriteFile request; a file text this big never occurs in
// practice, but a size_t must not be cut to a DWORD silently.
constexpr std::size_t kMaxWriteChunk = 0x40000000;

// A directory is not a file: the model of a directory path stays empty, and
// writing it back fails quietly like any file that cannot be created.
bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Rewrites the file from its start with text and cuts it after it. A write
// that stops short leaves the rest of the old file rather than cutting it.
void RewriteFile(HANDLE file, const std::string& text) {
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR) {
        return;
    }
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(left < kMaxWriteChunk ? left : kMaxWriteChunk);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return;
        data += written;
        left -= written;
    }
    SetEndOfFile(file);
}

TIniOptions MakeOptions(bool skipComments, bool keyLinesOnly, bool trimAroundEquals,
                        bool stripValueQuotes) {
    return TIniOptions{skipComments, keyLinesOnly, trimAroundEquals, stripValueQuotes};
}

}  // namespace

TepIniFile::TepIniFile(const std::string& fileName, bool readOnly, bool skipComments,
                       bool keyLinesOnly, bool trimAroundEquals, bool stripValueQuotes)
    : TepIniModel(MakeOptions(skipComments, keyLinesOnly, trimAroundEquals, stripValueQuotes)),
      ReadOnly(readOnly) {
    // LoadFile holds the file in a guard until loading has succeeded, so a
    // throw from here leaves no handle behind for the destructor that never runs.
    SetFileName(fileName);
}

TepIniFile::~TepIniFile() {
    try {
        UpdateFile();
    } catch (...) {
        // Out of memory while formatting: the changes are lost, as any failed
        // write-back loses them.
    }
    CloseFileHandle(Handle);
}

void TepIniFile::SetFileName(const std::string& name) {
    UpdateFile();
    // Also forgets a failed open: a new file gets its own attempt at creation.
    CloseFileHandle(Handle);
    Clear();
    FileName = name;
    if (!name.empty() && ExtractFileDir(name).empty()) {
        FileName = AddBackslash(GetWindowsDir()) + name;
    }
    if (!name.empty()) LoadFile(FileName);
    Modified = false;
}

void TepIniFile::LoadFile(const std::string& path) {
    CloseFileHandle(Handle);
    Clear();
    if (!FileExists(path)) return;

    UniqueFile file(ReadOnly ? OpenFileHandle(path, GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL)
                             : OpenFileHandle(path, GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ, OPEN_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL));
    if (!file) {
        const DWORD error = GetLastError();
        throw EInOutError(CannotOpenFileMessage(path), error);
    }
    LoadText(ReadRestOfFile(file.get()));
    if (!ReadOnly) Handle = file.release();
}

void TepIniFile::UpdateFile() {
    if (!Modified) return;
    if (!FileName.empty() && !ReadOnly) {
        if (Handle == nullptr) {
            CreateDirectoryPath(ExtractFileDir(FileName));
            Handle = OpenFileHandle(FileName, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL);
        }
        if (IsOpenHandle(Handle)) RewriteFile(Handle, FormatIniText(Sections));
    }
    Modified = false;
}
