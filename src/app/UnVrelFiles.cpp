// The handlers of "CopyFiles", "Shortcuts" and "CreateDirs", and the mask
// deletion on which the first rests.
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelSelfCopy.h"
#include "app/UnVrelWorker.h"
#include "core/epFileUtils.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "res/resource.h"
#include "win/epFileFind.h"
#include "win/epFileUtils.h"

namespace {

bool IsAsciiLetterEqual(char a, char b) {
    const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return fold(a) == fold(b);
}

bool HasExtension(const std::string& path, std::string_view ext) {
    const std::string own = ExtractFileExt(path);
    return own.size() == ext.size() && std::equal(own.begin(), own.end(), ext.begin(), IsAsciiLetterEqual);
}

// The path with its extension replaced by ext, or with ext appended when it has none.
std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    return path.substr(0, path.size() - ExtractFileExt(path).size()) + ext;
}

// Every file (not directory) of the mask's directory that matches it; what
// cannot be deleted now goes at the next restart.
void DeleteFilesByMask(const std::string& mask) {
    TSearchRecEx rec;
    for (DWORD result = SearchFirst(mask, 0, kNonFileAttributes, rec); result == 0;
         result = SearchNext(rec)) {
        if (ClaimOwnExecutable(rec.FullName)) {
            // The uninstaller's own file, held by the process that started this
            // copy: deleted right after the run, once that process has ended.
            RecordOutcome(rec.FullName, TOutcome::Removed);
            continue;
        }
        if (!DeleteFileForced(rec.FullName)) DeleteFileOnReboot(rec.FullName);
    }
    SearchClose(rec);
}

void RemoveFileEntries() {
    const TKeptNames kept(KeptSharedFiles);
    for (const std::string& line : WorkList) {
        const std::string key = EntryKey(line);
        // The kept name is compared with the key as written: a mask is not
        // expanded for it.
        if (kept.Contains(key)) continue;
        DeleteFilesByMask(key);
        if (HasExtension(key, ".hlp")) {
            DeleteFilesByMask(ChangeFileExt(key, ".gid"));
            DeleteFilesByMask(ChangeFileExt(key, ".fts"));
        }
    }
}

void RemoveShortcutEntries() {
    for (const std::string& line : WorkList) {
        const std::string key = EntryKey(line);
        // A line that names nothing would otherwise reach ".lnk" in the
        // current (Windows) directory.
        if (key.empty()) continue;
        DeleteFileForced(ChangeFileExt(key, ".lnk"));
        DeleteFileForced(ChangeFileExt(key, ".pif"));
    }
}

void RemoveDirectoryEntries() {
    DeleteFileForced(LogPath);
    for (std::string& line : WorkList) line = EntryKey(line);
    // A directory sorts before every path that extends it, so going from the
    // last to the first removes each subdirectory before its parent.
    SortTextI(WorkList);
    for (auto it = WorkList.rbegin(); it != WorkList.rend(); ++it) {
        // A folder left holding only the uninstaller's own file goes right
        // after that file, once the run is over.
        if (!RemoveDirectoryA(it->c_str()) && DeferDirectoryRemoval(*it))
            RecordOutcome(*it, TOutcome::Removed);
    }
}

}  // namespace

void RemoveFiles() { RunSection("CopyFiles", IDS_REMOVE_FILES, RemoveFileEntries); }

void RemoveShortcuts() { RunSection("Shortcuts", IDS_REMOVE_SHORTCUTS, RemoveShortcutEntries); }

void RemoveDirectories() { RunSection("CreateDirs", IDS_REMOVE_DIRS, RemoveDirectoryEntries); }
