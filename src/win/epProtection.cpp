// The machine's side of the safety rules (see epProtection.h).
#include "win/epProtection.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/epFileUtils.h"
#include "core/epProtectedKeys.h"
#include "win/epFileUtils.h"
#include "win/epRegIni.h"
#include "win/epSystemString.h"
#include "win/epSystemNames.h"

namespace {

const char* const kProfileList =
    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

std::string ShellFolder(int folder) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return FromSystemName(path);
}

std::string Environment(const char* name) {
    const std::wstring wideName = ToSystemName(name);
    return FromSystemName(ReadSystemWideString([&wideName](wchar_t* buffer, DWORD size) {
        return GetEnvironmentVariableW(wideName.c_str(), buffer, size);
    }));
}

std::string ExpandEnvironment(const std::string& text) {
    const std::wstring wideText = ToSystemName(text);
    return FromSystemName(ReadSystemWideString([&wideText](wchar_t* buffer, DWORD size) {
        // The count includes the terminating zero.
        const DWORD count = ExpandEnvironmentStringsW(wideText.c_str(), buffer, size);
        return count == 0 ? 0 : (count <= size ? count - 1 : count);
    }));
}

// The long form of an existing path; empty when the path does not exist.
// A long path is asked in its "\\?\" form: Wine's GetLongPathNameW builds
// any other in a fixed buffer on its stack and writes past it from about
// 1,000 characters on.
std::string ExistingLongPath(const std::string& path) {
    const std::wstring name = ToSystemPath(path);
    const std::wstring longPath = ReadSystemWideString(
        [&name](wchar_t* buffer, DWORD size) { return GetLongPathNameW(name.c_str(), buffer, size); });
    // The answer is spelled as the path was, not in the form given to the system.
    const bool prefixed = name.rfind(L"\\\\?\\", 0) == 0 && path.rfind("\\\\?\\", 0) != 0;
    return FromSystemName(prefixed ? PlainPathForm(longPath) : longPath);
}

std::string LongPath(const std::string& path) {
    const std::string longPath = ExistingLongPath(path);
    return longPath.empty() ? path : longPath;
}

// A path held in a registry string value, its variables expanded; empty
// when there is no such value.
std::string RegistryPathValue(const std::string& path) {
    DWORD type = REG_NONE;
    std::string data;
    if (!ReadRegistryData(path, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    data = data.substr(0, data.find('\0'));
    return type == REG_EXPAND_SZ ? ExpandEnvironment(data) : data;
}

// The forms of one directory that the rules meet: as the system names it,
// its long form and its real place (a folder of the system may be a link).
std::vector<std::string> FormsOf(const std::string& dir) {
    if (dir.empty()) return {};
    std::vector<std::string> forms{dir, LongPath(dir)};
    const std::string real = FindRealPlace(dir, TLocalShares());
    if (!real.empty()) forms.push_back(real);
    return forms;
}

void Protect(TProtectedDirs& dirs, const std::string& dir) {
    for (const std::string& form : FormsOf(dir)) dirs.Add(form);
}

void ProtectProfilesRoot(TProtectedDirs& dirs, const std::string& dir) {
    for (const std::string& form : FormsOf(dir)) dirs.AddProfilesRoot(form);
}

void ProtectTree(TProtectedDirs& dirs, const std::string& dir) {
    for (const std::string& form : FormsOf(dir)) dirs.AddTree(form);
}

// A profile's own folders by their names in it, for profiles kept outside
// the profiles root; those inside it are protected by the rule.
void ProtectProfile(TProtectedDirs& dirs, const std::string& profile) {
    if (profile.empty()) return;
    Protect(dirs, profile);
    for (const std::string& folder : ProfileKnownFolders())
        Protect(dirs, AddBackslash(profile) + folder);
}

void ProtectSystemDirs(TProtectedDirs& dirs) {
    const std::string windows = GetWindowsDir();
    ProtectTree(dirs, windows);
    ProtectTree(dirs, FromSystemName(ReadSystemWideString(GetSystemWindowsDirectoryW)));
    Protect(dirs, FromSystemName(ReadSystemWideString(GetSystemDirectoryW)));
    Protect(dirs, FromSystemName(ReadSystemWideString(GetSystemWow64DirectoryW)));
    for (const char* name : {"System32", "SysWOW64", "Sysnative", "Fonts", "INF"})
        Protect(dirs, AddBackslash(windows) + name);
    for (int folder : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS})
        Protect(dirs, ShellFolder(folder));
    for (const char* name : {"SystemRoot", "windir"}) ProtectTree(dirs, Environment(name));
}

void ProtectProgramDirs(TProtectedDirs& dirs) {
    for (int folder : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                       CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA})
        Protect(dirs, ShellFolder(folder));
    for (const char* name :
         {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "CommonProgramFiles",
          "CommonProgramFiles(x86)", "CommonProgramW6432", "ProgramData", "ALLUSERSPROFILE"})
        Protect(dirs, Environment(name));
}

// The profiles root protects each profile's root and own folders with it;
// profiles kept elsewhere (service accounts, another drive) are named one
// by one.
void ProtectProfileDirs(TProtectedDirs& dirs) {
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    const std::string userProfile = Environment("USERPROFILE");
    ProtectProfilesRoot(dirs,
                        RegistryPathValue(std::string(kProfileList) + "\\ProfilesDirectory"));
    for (const std::string& own : {profile, userProfile}) {
        ProtectProfile(dirs, own);
        if (!own.empty()) ProtectProfilesRoot(dirs, ExtractFileDir(RemoveBackslash(own)));
    }
    for (const char* name : {"\\Public", "\\Default"})
        ProtectProfile(dirs, RegistryPathValue(std::string(kProfileList) + name));
    Protect(dirs, RegistryPathValue(std::string(kProfileList) + "\\ProgramData"));
    ProtectProfile(dirs, Environment("PUBLIC"));
    TStringList sids;
    ListRegistrySubkeys(kProfileList, sids);
    for (const std::string& sid : sids)
        ProtectProfile(dirs, RegistryPathValue(std::string(kProfileList) + "\\" + sid +
                                               "\\ProfileImagePath"));
}

// The current user's and the public profile's own folders where the shell
// keeps them, also when they were moved out of the profile.
void ProtectKnownFolders(TProtectedDirs& dirs) {
    for (int folder : {CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_MYPICTURES, CSIDL_MYMUSIC,
                       CSIDL_MYVIDEO, CSIDL_FAVORITES, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
                       CSIDL_STARTMENU, CSIDL_PROGRAMS, CSIDL_STARTUP, CSIDL_COMMON_DOCUMENTS,
                       CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_PICTURES, CSIDL_COMMON_MUSIC,
                       CSIDL_COMMON_VIDEO, CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS,
                       CSIDL_COMMON_STARTUP})
        Protect(dirs, ShellFolder(folder));
}

bool IsReparsePoint(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(ToSystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

TProtectedDirs GatherProtectedDirs() {
    TProtectedDirs dirs;
    ProtectSystemDirs(dirs);
    ProtectProgramDirs(dirs);
    ProtectProfileDirs(dirs);
    ProtectKnownFolders(dirs);
    return dirs;
}

std::string GetFontsDir() {
    const std::string fonts = ShellFolder(CSIDL_FONTS);
    return fonts.empty() ? AddBackslash(GetWindowsDir()) + "Fonts" : RemoveBackslash(fonts);
}

std::string GetFullLongPath(const std::string& path) {
    const std::string full = GetFullPath(path);
    if (full.empty()) return path;
    const std::string whole = ExistingLongPath(full);
    if (!whole.empty()) return whole;
    const std::string dir = ExtractFileDir(full);
    if (dir.empty()) return full;
    return AddBackslash(LongPath(dir)) + ExtractFileName(full);
}

bool IsMaskRefused(const std::string& mask, const TProtectedDirs& dirs, TRealPlaces& places) {
    if (IsRefusedMask(mask, dirs)) return true;
    if (!IsMaskPath(mask)) return false;
    std::string path = mask;
    std::replace(path.begin(), path.end(), '/', '\\');
    const std::string place = places.PlaceOf(RemoveBackslash(ExtractFileDir(path)));
    return place.empty() || IsRefusedMask(AddBackslash(place) + ExtractFileName(path), dirs);
}

bool IsDirectoryRefused(const std::string& dir, const TProtectedDirs& dirs, TRealPlaces& places) {
    if (dirs.Contains(dir) || IsReparsePoint(dir)) return true;
    // The form without the trailing backslash is asked about only when there is one.
    const std::string bare = RemoveBackslash(dir);
    if (bare != dir && IsReparsePoint(bare)) return true;
    // A line that names nothing removes nothing.
    if (bare.empty()) return false;
    const std::string place = places.PlaceOf(bare);
    return place.empty() || dirs.Contains(place);
}

bool IsRegistryEntryRefused(const std::string& path, TView view) {
    if (IsSharedRegistryValue(path)) return true;
    // The pure rule first: most lines name no protected key, and need no
    // look at the registry.
    return IsProtectedRegistryKey(path) && !RegistryValueExists(path, view);
}

bool MatchesFontsByBareName(const std::string& fontFile) {
    if (ExtractFileDir(fontFile).empty()) return true;
    return IsInDirectory(GetFullLongPath(fontFile), GetFontsDir()) ||
           IsInDirectory(fontFile, GetFontsDir());
}
