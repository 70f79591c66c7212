// The refusals of a run (see UnVrelSafety.h): the machine's protected
// directories are gathered once, on first use, by the worker.
#include "app/UnVrelSafety.h"

#include "app/UnVrelOutcomes.h"
#include "win/epProtection.h"

namespace {

const TProtectedDirs& ProtectedDirs() {
    static const TProtectedDirs dirs = GatherProtectedDirs();
    return dirs;
}

// Every refusal counts in the run's outcomes, under the item the log names.
bool RecordIfRefused(const std::string& item, bool refused) {
    if (refused) RecordOutcome(item, TOutcome::Refused);
    return refused;
}

}  // namespace

bool WouldRefuseRegistryEntry(const std::string& path) { return IsRegistryEntryRefused(path); }

bool WouldRefuseFileMask(const std::string& mask) { return IsMaskRefused(mask, ProtectedDirs()); }

bool WouldRefuseDirectory(const std::string& dir) { return IsDirectoryRefused(dir, ProtectedDirs()); }

bool RefuseRegistryEntry(const std::string& path) {
    return RecordIfRefused(path, WouldRefuseRegistryEntry(path));
}

bool RefuseFileMask(const std::string& mask) {
    return RecordIfRefused(mask, WouldRefuseFileMask(mask));
}

bool RefuseDirectory(const std::string& dir) {
    return RecordIfRefused(dir, WouldRefuseDirectory(dir));
}
