// The refusals of a run (see UnVrelSafety.h): the machine's protected
// directories and shares are gathered once, on first use, by the worker.
#include "app/UnVrelSafety.h"

#include "app/UnVrelOutcomes.h"
#include "win/epProtection.h"

namespace {

const TProtectedDirs& ProtectedDirs() {
    static const TProtectedDirs dirs = GatherProtectedDirs();
    return dirs;
}

// The real places of the directories that masks and CreateDirs lines name,
// each looked up once per section.
TRealPlaces& RealPlaces() {
    static TRealPlaces places(GatherLocalShares());
    return places;
}

// Every refusal counts in the run's outcomes, under the item the log names.
bool RecordIfRefused(TOutcomeRecorder& outcomes, const std::string& item, bool refused) {
    if (refused) outcomes.Record(item, TOutcome::Refused);
    return refused;
}

}  // namespace

bool WouldRefuseRegistryEntry(const std::string& path, TView view) {
    return IsRegistryEntryRefused(path, view);
}

void ForgetRealPlaces() { RealPlaces().Forget(); }

bool WouldRefuseFileMask(const std::string& mask) {
    return IsMaskRefused(mask, ProtectedDirs(), RealPlaces());
}

bool WouldRefuseDirectory(const std::string& dir) {
    return IsDirectoryRefused(dir, ProtectedDirs(), RealPlaces());
}

bool RefuseRegistryEntry(TOutcomeRecorder& outcomes, const std::string& path, TView view) {
    return RecordIfRefused(outcomes, path, WouldRefuseRegistryEntry(path, view));
}

bool RefuseDirectory(TOutcomeRecorder& outcomes, const std::string& dir) {
    return RecordIfRefused(outcomes, dir, WouldRefuseDirectory(dir));
}
