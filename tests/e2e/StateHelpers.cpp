// Case state for the end-to-end tests: see StateHelpers.h.
#include "StateHelpers.h"

#include "../support/FileBytes.h"
#include "win/epFileUtils.h"

#include <algorithm>

namespace e2e {

namespace {

constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingValue = "PendingFileRenameOperations";

bool StartsWithI(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.data(),
                          static_cast<int>(prefix.size()), prefix.data(),
                          static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

void CreateParents(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

// Polls the condition for up to ten seconds.
template <typename Condition>
bool WaitUntil(Condition done) {
    for (int tries = 0; tries < 200; ++tries) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

// The Unix name Wine gives a Windows path; empty when it has none.
std::string UnixName(const std::string& path) {
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<UnixNameFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) return std::string();
    std::wstring wide(path.begin(), path.end());
    char* name = convert(wide.c_str());
    if (name == nullptr) return std::string();
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Starts a program of the Unix side (Wine starts an ELF file as it is). The
// process handle Wine gives for it does not tell when the program is done:
// the caller waits for what the program does.
void RunUnixTool(const char* program, const std::string& args) {
    std::string command = std::string(program) + " " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const std::string exe = std::string("Z:") + program;
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

}  // namespace

bool MakeUnixLink(const std::string& link, const std::string& target) {
    const std::string unixLink = UnixName(link);
    const std::string unixTarget = UnixName(target);
    if (unixLink.empty() || unixTarget.empty()) return false;
    RunUnixTool("/bin/ln", "-sfn \"" + unixTarget + "\" \"" + unixLink + "\"");
    return WaitUntil([&] {
        const DWORD attributes = GetFileAttributesA(link.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    });
}

bool RemoveUnixLink(const std::string& link) {
    const std::string unixLink = UnixName(link);
    if (!unixLink.empty()) RunUnixTool("/bin/rm", "-f \"" + unixLink + "\"");
    return WaitUntil([&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

namespace {

std::string Utf8Of(const std::wstring& wide) {
    const int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(count > 0 ? count : 0), '\0');
    if (count > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0],
                            count, nullptr, nullptr);
    return utf8;
}

// Whatever the names and depth below dir: a case may make names that the
// ANSI functions cannot spell, and paths past the short limit.
void DeleteTreeContents(const std::string& dir) {
    WIN32_FIND_DATAW found;
    UniqueFind find(FindFirstFileW((LongFormOf(dir) + L"\\*").c_str(), &found));
    if (!find) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::string path = dir + "\\" + Utf8Of(name);
        // A link is removed, never followed: it may lead into the system.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            RemoveUnixLink(path);
            continue;
        }
        const std::wstring longPath = LongFormOf(path);
        SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            DeleteTreeContents(path);
            RemoveDirectoryW(longPath.c_str());
        } else {
            DeleteFileW(longPath.c_str());
        }
    } while (FindNextFileW(find.get(), &found));
}

UniqueHkey OpenKey(HKEY root, const std::string& subkey, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
    return UniqueHkey(key);
}

// The raw data of a value of one of the given types; nothing otherwise.
std::optional<std::string> ReadValueData(HKEY root, const std::string& subkey,
                                         const std::string& name, DWORD wantedType,
                                         DWORD otherType, REGSAM view = 0) {
    UniqueHkey key = OpenKey(root, subkey, KEY_QUERY_VALUE | view);
    if (!key) return std::nullopt;
    for (;;) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS ||
            (type != wantedType && type != otherType))
            return std::nullopt;
        std::string data(size, '\0');
        const LONG rc = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_MORE_DATA) continue;  // the value grew in between
        if (rc != ERROR_SUCCESS) return std::nullopt;
        data.resize(std::min<size_t>(size, data.size()));
        return data;
    }
}

bool SetValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
              const void* data, DWORD size, REGSAM view) {
    HKEY raw = nullptr;
    if (RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &raw,
                        nullptr) != ERROR_SUCCESS)
        return false;
    UniqueHkey key(raw);
    return RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                          size) == ERROR_SUCCESS;
}

// GetPrivateProfileStringA into a buffer that grows until the text fits;
// reserve is how many terminators the call leaves at the end of a full buffer.
std::string ReadProfile(const std::string& path, const char* section, const char* key,
                        DWORD reserve) {
    for (DWORD size = 256;; size *= 2) {
        std::string buffer(size, '\0');
        const DWORD length = GetPrivateProfileStringA(section, key, "", buffer.data(), size,
                                                      path.c_str());
        if (length + reserve < size || size >= (1u << 24)) {
            buffer.resize(std::min(length, size));
            return buffer;
        }
    }
}

}  // namespace

// ---- Files ----

bool RemoveCaseTree(const std::string& path) {
    const std::string root = std::string(kCaseRoot) + "\\";
    if (!StartsWithI(path, root) || path.size() <= root.size()) return false;
    const std::wstring longPath = LongFormOf(path);
    const DWORD attributes = GetFileAttributesW(longPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTreeContents(path);
        RemoveDirectoryW(longPath.c_str());
    } else {
        DeleteFileW(longPath.c_str());
    }
    return !ExistsAnyPath(path);
}

std::string MakeCaseDir(const std::string& name) {
    std::string safe = name;
    std::replace_if(
        safe.begin(), safe.end(),
        [](char c) { return std::string_view("\\/:*?\"<>| ").find(c) != std::string_view::npos; },
        '_');
    const std::string dir = std::string(kCaseRoot) + "\\" + safe;
    if (safe.empty() || !RemoveCaseTree(dir)) return {};
    CreateDirectoryA(kCaseRoot, nullptr);
    return CreateDirectoryA(dir.c_str(), nullptr) ? dir : std::string();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    CreateParents(path);
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAllBytes(file.get(), bytes);
}

std::optional<std::string> ReadFileBytes(const std::string& path) { return ReadAllBytes(path); }

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
}

HeldFile::HeldFile(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {}

// ---- Registry ----

bool CreateKey(HKEY root, const std::string& subkey, REGSAM view) {
    HKEY raw = nullptr;
    const bool made = RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_READ | view, nullptr,
                                      &raw, nullptr) == ERROR_SUCCESS;
    UniqueHkey key(raw);
    return made;
}

bool KeyExists(HKEY root, const std::string& subkey, REGSAM view) {
    return static_cast<bool>(OpenKey(root, subkey, KEY_READ | view));
}

bool SetStringValue(HKEY root, const std::string& subkey, const std::string& name,
                    const std::string& value, REGSAM view) {
    return SetValue(root, subkey, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>(value.size() + 1), view);
}

bool SetDwordValue(HKEY root, const std::string& subkey, const std::string& name, DWORD value,
                   REGSAM view) {
    return SetValue(root, subkey, name, REG_DWORD, &value, sizeof value, view);
}

bool ValueExists(HKEY root, const std::string& subkey, const std::string& name, REGSAM view) {
    UniqueHkey key = OpenKey(root, subkey, KEY_QUERY_VALUE | view);
    return key &&
           RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
}

std::optional<std::string> ReadStringValue(HKEY root, const std::string& subkey,
                                           const std::string& name, REGSAM view) {
    auto data = ReadValueData(root, subkey, name, REG_SZ, REG_EXPAND_SZ, view);
    if (data) {
        const size_t end = data->find('\0');
        if (end != std::string::npos) data->resize(end);
    }
    return data;
}

std::optional<DWORD> ReadDwordValue(HKEY root, const std::string& subkey,
                                    const std::string& name, REGSAM view) {
    const auto data = ReadValueData(root, subkey, name, REG_DWORD, REG_DWORD, view);
    if (!data || data->size() != sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    std::copy(data->begin(), data->end(), reinterpret_cast<char*>(&value));
    return value;
}

bool DeleteValue(HKEY root, const std::string& subkey, const std::string& name, REGSAM view) {
    UniqueHkey key = OpenKey(root, subkey, KEY_SET_VALUE | view);
    if (!key) return true;
    const LONG rc = RegDeleteValueA(key.get(), name.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool DeleteKeyTree(HKEY root, const std::string& subkey, REGSAM view) {
    const size_t separator = subkey.find('\\');
    if (separator == std::string::npos || separator == 0 || separator + 1 >= subkey.size())
        return false;
    {
        // RegDeleteTree has no view of its own: it empties the key opened in one.
        UniqueHkey key = OpenKey(root, subkey, KEY_ALL_ACCESS | view);
        if (!key) return !KeyExists(root, subkey, view);
        const LONG rc = RegDeleteTreeA(key.get(), nullptr);
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return false;
    }
    return RegDeleteKeyExA(root, subkey.c_str(), view, 0) == ERROR_FILE_NOT_FOUND ||
           !KeyExists(root, subkey, view);
}

std::vector<std::string> ReadPendingRenames() {
    std::vector<std::string> names;
    const auto data =
        ReadValueData(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, REG_MULTI_SZ, REG_MULTI_SZ);
    if (!data) return names;
    // Every string ends with a NUL; the strings come in pairs (source, then
    // target, empty for a deletion), so an odd empty string left at the end
    // is the terminator of the list and not a target.
    names = SplitAt(*data, std::string(1, '\0'));
    if (names.size() % 2 == 1 && names.back().empty()) names.pop_back();
    return names;
}

bool ClearPendingRenames() { return DeleteValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue); }

std::string PendingName(const std::string& path) { return "\\??\\" + path; }

// ---- INI files ----

std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& key) {
    // The key list (NUL-separated names, double NUL at the end) tells a
    // missing key from an empty value.
    const std::string keys = ReadProfile(path, section.c_str(), nullptr, 2);
    bool present = false;
    for (size_t start = 0; start < keys.size() && !present;) {
        size_t end = keys.find('\0', start);
        if (end == std::string::npos) end = keys.size();
        present = lstrcmpiA(keys.substr(start, end - start).c_str(), key.c_str()) == 0;
        start = end + 1;
    }
    if (!present) return std::nullopt;
    return ReadProfile(path, section.c_str(), key.c_str(), 1);
}

std::wstring WideOf(const std::string& utf8) {
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                          nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count > 0 ? count : 0), L'\0');
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], count);
    return wide;
}

std::wstring LongFormOf(const std::string& path) { return L"\\\\?\\" + WideOf(path); }

bool MakeDirsAnyPath(const std::string& path) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos;
         at = path.find('\\', at + 1))
        CreateDirectoryW(LongFormOf(path.substr(0, at)).c_str(), nullptr);
    return CreateDirectoryW(LongFormOf(path).c_str(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteFileAnyPath(const std::string& path, const std::string& bytes) {
    MakeDirsAnyPath(path.substr(0, path.rfind('\\')));
    const UniqueFile file(CreateFileW(LongFormOf(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                             nullptr) && written == bytes.size();
}

std::string ReadFileAnyPath(const std::string& path) {
    const UniqueFile file(CreateFileW(LongFormOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(64 * 1024, '\0');
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return "(unreadable)";
    bytes.resize(read);
    return bytes;
}

bool ExistsAnyPath(const std::string& path) {
    return GetFileAttributesW(LongFormOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListTempDirNames() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::vector<std::string> names;
    if (n == 0 || n > MAX_PATH) return names;
    WIN32_FIND_DATAW data{};
    const HANDLE search = FindFirstFileW((std::wstring(buffer, n) + L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(Utf8Of(name));
    } while (FindNextFileW(search, &data));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace e2e
