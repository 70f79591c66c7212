// The items of the run still on the disk, by path identity.
#include "app/UnVrelLeftOnDisk.h"

#include <windows.h>

#include <algorithm>

#include "core/epFileUtils.h"
#include "win/epFileFind.h"
#include "win/epPathIdentity.h"

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
    TSearchRecEx rec;
    DWORD result = SearchFirst(AddBackslash(dir) + "*", kAnyAttribute, 0, rec);
    if (!IsDirectoryRead(result)) return TFolderContents::Stayed;
    TFolderContents worst = TFolderContents::OnlyGoing;
    for (; result == 0 && worst != TFolderContents::Stayed; result = SearchNext(rec))
        worst = std::max(worst, ContentsOf(rec.FullName));
    return worst;
}
