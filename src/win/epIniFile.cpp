// Loading and writing back the file behind an INI model.
#include "win/epIniFile.h"

#include <utility>

#include "core/epFileUtils.h"
#include "core/epStrUtils.h"
#include "win/epFileUtils.h"
#include "win/handles.h"

namespace {

// A directory is not a file: the model of a directory path stays empty, and
// writing it back fails quietly like any file that cannot be created.
bool FileExists(const std::string& path) {
    if (HoldsNul(path)) return false;
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
    if (WriteAllBytes(file, text)) SetEndOfFile(file);
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
    lines_.reset();
    rewritable_ = true;
    if (!ReadOnly) lines_.emplace(std::string(), Options());
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
    std::string bytes = ReadRestOfFile(file.get());
    LoadText(bytes);
    if (ReadOnly) return;
    rewritable_ = IsRewritableIniText(bytes);
    lines_.emplace(std::move(bytes), Options());
    Handle = file.release();
}

void TepIniFile::UpdateFile() {
    if (!Modified) return;
    if (!FileName.empty() && !ReadOnly && rewritable_) {
        if (Handle == nullptr) {
            CreateDirectoryPath(ExtractFileDir(FileName));
            Handle = OpenFileHandle(FileName, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL);
        }
        if (IsOpenHandle(Handle))
            RewriteFile(Handle, lines_ ? lines_->Text() : FormatIniText(Sections));
    }
    Modified = false;
}

template <typename Change>
void TepIniFile::ChangeLayout(Change change) {
    const bool pending = std::exchange(Modified, false);
    change();
    if (Modified) lines_.reset();
    Modified = Modified || pending;
}

void TepIniFile::DeleteKey(std::string_view section, std::string_view key) {
    if (!rewritable_) return;
    TepIniModel::DeleteKey(section, key);
    if (lines_) lines_->DeleteKey(section, key);
}

void TepIniFile::WriteString(std::string_view section, std::string_view key,
                             std::string_view value) {
    // The model turns this call into a write-back, which must see the
    // pending changes.
    if (key.empty() && section.empty() && value.empty()) {
        UpdateFile();
        return;
    }
    ChangeLayout([&] { TepIniModel::WriteString(section, key, value); });
}

void TepIniFile::EraseSection(std::string_view section) {
    ChangeLayout([&] { TepIniModel::EraseSection(section); });
}

void TepIniFile::AppendLine(std::string_view section, std::string_view line) {
    ChangeLayout([&] { TepIniModel::AppendLine(section, line); });
}
