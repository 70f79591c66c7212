// Directory walking over FindFirstFileA and its companions.
#include "win/epFileFind.h"

#include <cstring>

#include "core/epFileUtils.h"
#include "core/epStrUtils.h"

namespace {

bool IsDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool IsMatch(const TSearchRecEx& rec) {
    const DWORD attributes = rec.FindData.dwFileAttributes;
    if (rec.IncludeAttr != kAnyAttribute && (attributes & rec.IncludeAttr) == 0) return false;
    if ((attributes & rec.ExcludeAttr) != 0) return false;
    return !IsDotEntry(rec.FindData.cFileName);
}

DWORD DosTimeOf(const FILETIME& lastWrite) {
    FILETIME local{};
    WORD date = 0;
    WORD time = 0;
    if (!FileTimeToLocalFileTime(&lastWrite, &local) ||
        !FileTimeToDosDateTime(&local, &date, &time)) {
        return 0;
    }
    return (static_cast<DWORD>(date) << 16) | time;
}

void TakeEntry(TSearchRecEx& rec) {
    const WIN32_FIND_DATAA& data = rec.FindData;
    rec.Time = DosTimeOf(data.ftLastWriteTime);
    rec.Size = data.nFileSizeLow;
    rec.Attr = data.dwFileAttributes;
    // The system terminates the name, but never read past the array.
    rec.Name.assign(data.cFileName, strnlen(data.cFileName, sizeof(data.cFileName)));
    rec.FullName = rec.Path + rec.Name;
}

// Passes over the entries that do not match; 0 with the record filled in at
// the first one that does, else the error that ended the search.
DWORD MatchStep(TSearchRecEx& rec) {
    while (!IsMatch(rec)) {
        if (!FindNextFileA(rec.FindHandle.get(), &rec.FindData)) return GetLastError();
    }
    TakeEntry(rec);
    return 0;
}

}  // namespace

DWORD SearchFirst(const std::string& mask, DWORD include, DWORD exclude, TSearchRecEx& rec) {
    SearchClose(rec);
    rec.Path = ExtractFileDir(mask);
    rec.IncludeAttr = include == 0 ? kAnyAttribute : include;
    rec.ExcludeAttr = exclude;
    if (HoldsNul(mask)) return ERROR_INVALID_NAME;
    rec.FindHandle.reset(FindFirstFileA(mask.c_str(), &rec.FindData));
    if (!rec.FindHandle) return GetLastError();
    const DWORD result = MatchStep(rec);
    if (result != 0) SearchClose(rec);
    return result;
}

bool IsDirectoryRead(DWORD searchFirstResult) {
    return searchFirstResult == 0 || searchFirstResult == ERROR_NO_MORE_FILES;
}

DWORD SearchNext(TSearchRecEx& rec) {
    if (!FindNextFileA(rec.FindHandle.get(), &rec.FindData)) return GetLastError();
    return MatchStep(rec);
}

void SearchClose(TSearchRecEx& rec) { rec.FindHandle.reset(); }
