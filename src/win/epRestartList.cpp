// Reading the pending operations at the next restart.
#include "win/epRestartList.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "core/epTextCase.h"
#include "win/handles.h"

namespace {

const char* const kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* const kListValues[] = {"PendingFileRenameOperations", "PendingFileRenameOperations2"};

// The strings of a REG_MULTI_SZ value; empty when it is missing or not one.
std::vector<std::string> ReadMultiString(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ || size == 0)
        return {};
    std::vector<char> data(size + 2, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    // Pairs hold empty strings: the value's end, not the first empty one,
    // ends the list.
    std::vector<std::string> strings;
    const std::size_t end = size < data.size() ? size : data.size();
    for (std::size_t start = 0; start < end;) {
        std::string text(data.data() + start);
        start += text.size() + 1;
        strings.push_back(std::move(text));
    }
    return strings;
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 4] = {};
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : path;
}

}  // namespace

bool IsDeletionPending(const std::string& path) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return false;
    const UniqueHkey key(raw);
    const std::string wanted = UpperCaseAnsi("\\??\\" + FullPath(path));
    for (const char* name : kListValues) {
        const std::vector<std::string> list = ReadMultiString(key.get(), name);
        for (std::size_t i = 0; i + 1 < list.size(); i += 2) {
            if (list[i + 1].empty() && UpperCaseAnsi(list[i]) == wanted) return true;
        }
    }
    return false;
}
