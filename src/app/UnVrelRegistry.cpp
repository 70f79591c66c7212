// The handlers of "AddReg" and "CreateKeys" (registry values and keys) and of
// "AddIni" (entries of INI files).
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelWorker.h"
#include "core/epIniFile.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "res/resource.h"
#include "win/epRegIni.h"

namespace {

bool LessTextI(const std::string& a, const std::string& b) { return CompareTextI(a, b) < 0; }

// "AddReg": each line's name part is the path of a value, or of a key when
// no such value exists.
void RemoveRegistryValues() {
    LoadLogSection("AddReg");
    if (WorkList.empty()) return;
    AddStatusLine(LoadMessageText(IDS_REMOVE_REG_VALUES));
    for (const std::string& line : WorkList) DeleteRegistryEntry(KeyOf(line));
    AppendStatus("ok");
}

// "CreateKeys": sorted so that every key comes after the keys whose paths
// are prefixes of its own, then taken from the last: subkeys go before their
// parents whatever the order in the log.
void RemoveRegistryKeys() {
    LoadLogSection("CreateKeys");
    if (WorkList.empty()) return;
    AddStatusLine(LoadMessageText(IDS_REMOVE_REG_KEYS));
    for (std::string& line : WorkList) line = EntryKey(line);
    // A merge sort stays in bounds whatever the locale's comparison answers
    // for odd byte strings.
    std::stable_sort(WorkList.begin(), WorkList.end(), LessTextI);
    for (auto key = WorkList.rbegin(); key != WorkList.rend(); ++key) DeleteRegistryEntry(*key);
    AppendStatus("ok");
}

}  // namespace

void RemoveRegistryEntries() {
    RemoveRegistryValues();
    RemoveRegistryKeys();
}

void RemoveIniEntries() {
    LoadLogSection("AddIni");
    if (WorkList.empty()) return;
    AddStatusLine(LoadMessageText(IDS_REMOVE_INI));
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
    AppendStatus("ok");
}
