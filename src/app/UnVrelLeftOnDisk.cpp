// The items of the run still on the disk, by path identity.
#include "app/UnVrelLeftOnDisk.h"

#include <windows.h>

#include <algorithm>

#include "core/epFileUtils.h"
#include "win/epPathIdentity.h"
#include "win/handles.h"

namespace {

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

void TLeftOnDisk::Note(const std::string& path, TLeftState state) {
    left_[GetPathIdentity(path)] = state;
}

bool TLeftOnDisk::IsNotedAsGoing(const std::string& path) const {
    const auto noted = left_.find(GetPathIdentity(path));
    return noted != left_.end() && noted->second == TLeftState::Goes;
}

TFolderContents TLeftOnDisk::ContentsOf(const std::string& path) const {
    const auto noted = left_.find(GetPathIdentity(path));
    if (noted == left_.end()) return TFolderContents::Others;
    switch (noted->second) {
        case TLeftState::Goes: return TFolderContents::OnlyGoing;
        case TLeftState::Kept: return TFolderContents::Kept;
        case TLeftState::Stayed: return TFolderContents::Stayed;
    }
    return TFolderContents::Others;
}

TFolderContents TLeftOnDisk::JudgeFolder(const std::string& dir) const {
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
