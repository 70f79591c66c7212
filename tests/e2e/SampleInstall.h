// Playing the installer: creates on this system everything an installation
// log lists (files, shortcuts, directories, registry values and keys, INI
// entries, fonts, shared-file counts), so that a whole uninstallation can be
// run and what it leaves behind checked item by item.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// The log's text with every "{Name}" replaced by the given value.
std::string ExpandPlaceholders(std::string text,
                               const std::vector<std::pair<std::string, std::string>>& values);

// Creates what the log lists. A "SharedFiles" line's value is taken as the
// file's use count; a "RegServers" DLL is copied from oleServerDll when it is
// given. False when something could not be created.
bool InstallFromLog(const std::string& logText, const std::string& oleServerDll = "");

// One item of the log and whether it is still on the system.
struct LogItem {
    std::string section;
    std::string item;
    bool present = false;
};

// Every removable item the log lists, in section order, with its state now.
std::vector<LogItem> CheckLogItems(const std::string& logText);

}  // namespace e2e
