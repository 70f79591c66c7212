// Where a directory really is (see epPathPlace.h).
#include "win/epPathPlace.h"

#include <windows.h>

#include <lm.h>

#include <cwchar>
#include <vector>

#include "core/epFileUtils.h"
#include "win/epDllSearch.h"
#include "win/epFileUtils.h"
#include "win/epRegIni.h"
#include "win/epSystemString.h"
#include "win/handles.h"
#include "win/epSystemNames.h"

namespace {

const char* const kSharesKey = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\LanmanServer\\Shares";

// A share of this machine leads to a folder that may itself be reached
// through another share; a few steps settle any real set-up, and a loop of
// shares ends as a place that cannot be known.
constexpr int kMaxShareSteps = 4;

std::string NarrowText(const wchar_t* text) {
    if (text == nullptr) return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(size - 1));
    return narrow;
}

void AddComputerNames(TLocalShares& shares) {
    for (COMPUTER_NAME_FORMAT format :
         {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified,
          ComputerNamePhysicalNetBIOS, ComputerNamePhysicalDnsHostname,
          ComputerNamePhysicalDnsFullyQualified}) {
        char name[MAX_COMPUTERNAME_LENGTH + 256] = {};
        DWORD size = sizeof(name);
        if (GetComputerNameExA(format, name, &size)) shares.AddServerName(name);
    }
}

// The server service's list. The library is not one of the system's known
// ones, so it is taken from the system directory by its full path.
void AddServiceShares(TLocalShares& shares) {
    using NetShareEnumFn = NET_API_STATUS(WINAPI*)(LMSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD,
                                                   LPDWORD);
    using NetApiBufferFreeFn = NET_API_STATUS(WINAPI*)(LPVOID);
    UniqueModule library(LoadSystemLibrary("netapi32.dll"));
    const auto enumerate = FindFunction<NetShareEnumFn>(library.get(), "NetShareEnum");
    const auto release = FindFunction<NetApiBufferFreeFn>(library.get(), "NetApiBufferFree");
    if (enumerate == nullptr || release == nullptr) return;
    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS status =
        enumerate(nullptr, 2, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr);
    if (status == NERR_Success || status == ERROR_MORE_DATA) {
        const auto* info = reinterpret_cast<const SHARE_INFO_2*>(buffer);
        for (DWORD i = 0; info != nullptr && i < read; ++i)
            shares.AddShare(NarrowText(info[i].shi2_netname), NarrowText(info[i].shi2_path));
    }
    if (buffer != nullptr) release(buffer);
}

void AddRegistryShares(TLocalShares& shares) {
    TStringList names;
    ListRegistryValueNames(kSharesKey, names);
    for (const std::string& name : names) {
        DWORD type = REG_NONE;
        std::string data;
        if (ReadRegistryData(std::string(kSharesKey) + "\\" + name, type, data) &&
            type == REG_MULTI_SZ)
            shares.AddShare(name, ShareFolderOfSettings(data));
    }
}

// A substituted drive (SUBST, DefineDosDevice) followed to the folder it
// stands for, a few times over; the path unchanged on any other drive.
std::string WithoutSubstitution(std::string path) {
    for (int step = 0; step < kMaxShareSteps; ++step) {
        if (path.size() < 2 || path[1] != ':') break;
        wchar_t target[MAX_PATH + 8] = {};
        const std::wstring drive = ToSystemName(path.substr(0, 2));
        if (QueryDosDeviceW(drive.c_str(), target, MAX_PATH + 8) == 0) break;
        const std::string folder = SubstitutedPath(path, FromSystemName(target));
        if (folder.empty()) break;
        path = folder;
    }
    return path;
}

// The file or directory opened only to be named: no access asked for, as
// naming it needs none, and a folder whose content this account may not
// read is still judged.
UniqueFile OpenToName(const std::string& path) {
    return UniqueFile(CreateFileW(ToSystemPath(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The final path of the open file, every link on the way followed
// ("\\?\C:\Windows" or "\\?\UNC\server\share\..."); empty, with the
// error, when the system gives none.
std::string FinalPathOfHandle(HANDLE file, DWORD& error) {
    return FromSystemName(ReadSystemWideString([file, &error](wchar_t* buffer, DWORD size) {
        const DWORD count =
            GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        error = GetLastError();
        return count;
    }));
}

// The parent of a full path, or empty at a root ("C:\", "\\server\share").
std::string ParentDir(const std::string& path) {
    const std::string own = RemoveBackslash(path);
    const std::string parent = RemoveBackslash(ExtractFileDir(own));
    if (parent.empty() || parent == own || NormalizeDirectory(parent).empty()) return std::string();
    return parent;
}

// The name the entry has in its folder (its long name, in its own letter
// case). False, with the error, when it cannot be read, when the path's last
// part is a pattern rather than a name, and for a link or junction: where
// that leads is what only the final path could tell.
bool ReadOwnName(const std::string& path, std::string& name, DWORD& error) {
    if (HasWildcard(ExtractFileName(path))) {
        error = ERROR_INVALID_NAME;
        return false;
    }
    WIN32_FIND_DATAW data{};
    const UniqueFind find(FindFirstFileW(ToSystemPath(path).c_str(), &data));
    if (!find) {
        error = GetLastError();
        return false;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        error = ERROR_CANT_RESOLVE_FILENAME;
        return false;
    }
    name = FromSystemName(std::wstring_view(
        data.cFileName, wcsnlen(data.cFileName, sizeof(data.cFileName) / sizeof(wchar_t))));
    return !name.empty();
}

// The final path of an existing directory that the system would not name
// (Wine names nothing longer than about MAX_PATH): the final path of its
// nearest ancestor that it names, followed by the own names of the folders
// below it, none of which may be a link. Empty, with the error, when no
// ancestor is named or a folder on the way is a link.
std::string FinalPathThroughAncestor(const std::string& path, DWORD& error) {
    std::vector<std::string> below;  // the deepest first
    for (std::string current = RemoveBackslash(path);;) {
        std::string name;
        if (!ReadOwnName(current, name, error)) return std::string();
        below.push_back(name);
        current = ParentDir(current);
        if (current.empty()) return std::string();
        const UniqueFile dir = OpenToName(current);
        if (!dir) {
            error = GetLastError();
            return std::string();
        }
        std::string final = FinalPathOfHandle(dir.get(), error);
        if (final.empty()) continue;
        for (auto it = below.rbegin(); it != below.rend(); ++it) final = AddBackslash(final) + *it;
        return final;
    }
}

// The final path of the opened file or directory; false with the error when
// it cannot be opened or named.
bool FinalPathOf(const std::string& path, std::string& final, DWORD& error) {
    const UniqueFile file = OpenToName(path);
    if (!file) {
        error = GetLastError();
        return false;
    }
    final = FinalPathOfHandle(file.get(), error);
    if (final.empty()) final = FinalPathThroughAncestor(path, error);
    return !final.empty();
}

// Errors that say the directory is not there (also a drive without its
// disk): its place is its nearest existing ancestor's.
bool IsAbsent(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME ||
           error == ERROR_NOT_READY || error == ERROR_INVALID_DRIVE;
}

std::string PlaceOfMissing(const std::string& path, const TPlace& spelled,
                           const TLocalShares& shares) {
    const std::string parent = ParentDir(path);
    if (parent.empty()) return spelled.Kind == TPlaceKind::Local ? spelled.Path : std::string();
    const std::string place = FindRealPlace(parent, shares);
    if (place.empty()) return place;
    return AddBackslash(place) + ExtractFileName(RemoveBackslash(path));
}

}  // namespace

TLocalShares GatherLocalShares() {
    TLocalShares shares;
    shares.SetWindowsDir(GetWindowsDir());
    AddComputerNames(shares);
    AddServiceShares(shares);
    AddRegistryShares(shares);
    return shares;
}

std::string FindRealPlace(const std::string& dir, const TLocalShares& shares) {
    TSharePath share;
    const TPlace spelled = LocalSpelling(dir, shares);
    if (spelled.Kind == TPlaceKind::Remote) return spelled.Path;
    // A share of this machine, or a device name, is opened as written: the
    // system tells where it leads, whatever the list of shares says. Any
    // other path in its local spelling, made full.
    std::string open = spelled.Kind == TPlaceKind::Local && !ParseSharePath(dir, share)
                           ? WithoutSubstitution(GetFullPath(spelled.Path))
                           : dir;
    if (open.empty()) return open;
    for (int step = 0; step < kMaxShareSteps; ++step) {
        std::string final;
        DWORD error = 0;
        if (!FinalPathOf(open, final, error))
            return IsAbsent(error) ? PlaceOfMissing(open, spelled, shares) : std::string();
        const TPlace real = LocalSpelling(final, shares);
        if (real.Kind != TPlaceKind::Local || !ParseSharePath(final, share)) return real.Path;
        // A share of this machine: where its folder leads.
        open = real.Path;
    }
    return std::string();
}

std::string TRealPlaces::PlaceOf(const std::string& dir) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        const auto known = places_.find(dir);
        if (known != places_.end()) return known->second;
    }
    std::string place = FindRealPlace(dir, shares_);
    std::lock_guard<std::mutex> hold(lock_);
    places_.emplace(dir, place);
    return place;
}

void TRealPlaces::Forget() {
    std::lock_guard<std::mutex> hold(lock_);
    places_.clear();
}
