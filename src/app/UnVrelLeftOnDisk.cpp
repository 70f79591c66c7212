// The items of the run still on the disk, by path identity.
#include "app/UnVrelLeftOnDisk.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "core/epFileUtils.h"
#include "win/epPathIdentity.h"
#include "win/handles.h"

namespace {

// Few items ever stay (files in use, failures): a plain map is enough.
std::map<std::string, TLeftState> LeftOnDisk;

TFolderContents ContentsOf(const std::string& path) {
    const auto noted = LeftOnDisk.find(GetPathIdentity(path));
    if (noted == LeftOnDisk.end()) return TFolderContents::Others;
    switch (noted->second) {
        case TLeftState::Goes: return TFolderContents::OnlyGoing;
        case TLeftState::Kept: return TFolderContents::Kept;
        case TLeftState::Stayed: return TFolderContents::Stayed;
    }
    return TFolderContents::Others;
}

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

void NoteLeftOnDisk(const std::string& path, TLeftState state) {
    LeftOnDisk[GetPathIdentity(path)] = state;
}

bool IsNotedAsGoing(const std::string& path) {
    const auto noted = LeftOnDisk.find(GetPathIdentity(path));
    return noted != LeftOnDisk.end() && noted->second == TLeftState::Goes;
}

TFolderContents JudgeFolderContents(const std::string& dir) {
    const std::string folder = AddBackslash(dir);
    WIN32_FIND_DATAA data{};
    const UniqueFind search(FindFirstFileA((folder + "*").c_str(), &data));
    if (!search) return TFolderContents::Stayed;
    TFolderContents worst = TFolderContents::OnlyGoing;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        worst = std::max(worst, ContentsOf(folder + data.cFileName));
    } while (worst != TFolderContents::Stayed && FindNextFileA(search.get(), &data));
    return worst;
}
