// Reading the pending operations at the next restart.
#include "win/epRestartList.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "core/epTextCase.h"
#include "win/epFileUtils.h"
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

}  // namespace

bool IsDeletionPending(const std::string& path) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return false;
    const UniqueHkey key(raw);
    const std::string full = GetFullPath(path);
    const std::string wanted = UpperCaseAnsi("\\??\\" + (full.empty() ? path : full));
    for (const char* name : kListValues) {
        const std::vector<std::string> list = ReadMultiString(key.get(), name);
        for (std::size_t i = 0; i + 1 < list.size(); i += 2) {
            if (list[i + 1].empty() && UpperCaseAnsi(list[i]) == wanted) return true;
        }
    }
    return false;
}
