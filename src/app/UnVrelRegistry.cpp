// The handlers of "AddReg" and "CreateKeys" (registry values and keys) and of
// "AddIni" (entries of INI files).
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelSafety.h"
#include "app/UnVrelWorker.h"
#include "core/epIniFile.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "res/resource.h"
#include "win/epRegIni.h"

namespace {

// "AddReg": each line's name part is the path of a value, or of a key when
// no such value exists.
void RemoveRegistryValues() {
    for (const std::string& line : WorkList) {
        const std::string path = KeyOf(line);
        if (RefuseRegistryEntry(path)) continue;
        DeleteRegistryEntry(path);
    }
}

// "CreateKeys": sorted so that every key comes after the keys whose paths
// are prefixes of its own, then taken from the last: subkeys go before their
// parents whatever the order in the log.
void RemoveRegistryKeys() {
    for (std::string& line : WorkList) line = EntryKey(line);
    SortTextI(WorkList);
    for (auto key = WorkList.rbegin(); key != WorkList.rend(); ++key) {
        if (RefuseRegistryEntry(*key)) continue;
        DeleteRegistryEntry(*key);
    }
}

// "AddIni": field 1 of each line's name part is the INI file, field 2 the
// section, field 3 the key; the files are written back once, at the end.
void RemoveIniEntryLines() {
    for (const std::string& line : WorkList) {
        const std::string fields = KeyOf(line);
        try {
            DeleteProfileKey(GetField(1, fields, CommaSet()), GetField(2, fields, CommaSet()),
                             GetField(3, fields, CommaSet()));
        } catch (const EInOutError&) {
            // A file that exists but cannot be opened for writing is one item
            // that failed: the rest of the section and of the run go on.
        }
    }
    FlushProfileCache();
}

}  // namespace

void RemoveRegistryEntries() {
    RunSection("AddReg", IDS_REMOVE_REG_VALUES, RemoveRegistryValues);
    RunSection("CreateKeys", IDS_REMOVE_REG_KEYS, RemoveRegistryKeys);
}

void RemoveIniEntries() { RunSection("AddIni", IDS_REMOVE_INI, RemoveIniEntryLines); }
