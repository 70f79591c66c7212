// The "RegFonts" and "RegServers" handlers: they undo what the installation
// registered with the system, passing over the kept shared files.
#include <windows.h>

#include <optional>
#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelPlan.h"
#include "app/UnVrelViews.h"
#include "app/UnVrelWorker.h"
#include "core/epFileUtils.h"
#include "core/epRegPath.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "res/resource.h"
#include "win/epFileUtils.h"
#include "win/epFontResource.h"
#include "win/epProtection.h"
#include "win/epRegIni.h"
#include "win/epWow64.h"
#include "win/oleunreg.h"

namespace {

const char* const kFontsKey95 = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\";
const char* const kFontsKeyNT = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";

// How long the font-change broadcast waits for each window.
constexpr UINT kBroadcastTimeoutMs = 5000;

// True when the font file can name a file: it has a name part and no wildcard.
// Built into a mask, anything else would match values of other fonts ("*"
// alone would match every value of the key).
bool CanNameFontFile(const std::string& fontFile) {
    return !ExtractFileName(fontFile).empty() && fontFile.find_first_of("*?") == std::string::npos;
}

// Deletes every fonts-key value whose data is the font file, by its full path
// or, for a font of the fonts directory, by its bare name, case aside.
// listing holds the key's "name=data" lines. Absent when no value matched,
// Removed when every match went, Failed (with the registry's error) when one
// stayed.
TOutcome DeleteFontValues(const std::string& fontsKey, const TStringList& listing,
                          const std::string& fontFile, DWORD& error) {
    TOutcome outcome = TOutcome::Absent;
    for (const std::string& line : listing) {
        if (!FontValueMatches(line, fontFile)) continue;
        if (DeleteRegistryValue(RegistryValuePath(fontsKey, KeyOf(line)))) {
            if (outcome == TOutcome::Absent) outcome = TOutcome::Removed;
        } else {
            outcome = TOutcome::Failed;
            error = GetLastError();
        }
    }
    return outcome;
}

// The font's values go, then the font itself if it was loaded.
void RemoveFont(TOutcomeRecorder& outcomes, const std::string& fontsKey, const TStringList& listing,
                const TPlanItem& font) {
    DWORD error = ERROR_SUCCESS;
    TOutcome outcome = DeleteFontValues(fontsKey, listing, font.Written, error);
    // A font that was loaded and no longer is counts as removed too. The
    // values name the file as the log does; the system knows it by the
    // path of the log's view.
    const std::string& loaded = font.Path;
    if (UnloadFontFile(loaded) && outcome == TOutcome::Absent)
        outcome = TOutcome::Removed;
    outcomes.Record(font.Written, outcome, error);
}

void RemoveFontEntries(TRun& run, const TSectionPlan& plan) {
    const std::string fontsKey = FontsKey();
    TStringList listing;
    ListRegistryValues(fontsKey, listing);
    for (const TPlanItem& item : plan.Items) {
        if (!RecordDecided(run.Outcomes, item)) RemoveFont(run.Outcomes, fontsKey, listing, item);
    }
    // A hung window cannot hold the run up.
    BroadcastFontChange(kBroadcastTimeoutMs);
}

void RemoveServerEntries(TRun& run, const TSectionPlan& plan) {
    for (const TPlanItem& item : plan.Items) {
        if (RecordDecided(run.Outcomes, item)) continue;
        const std::string& serverFile = item.Path;
        if (UnregisterServer(serverFile, item.View)) {
            run.Outcomes.Record(serverFile, TOutcome::Removed);
        } else {
            // A server whose file is gone has nothing left to unregister.
            run.Outcomes.Record(serverFile,
                          IsExistingFile(serverFile) ? TOutcome::Failed : TOutcome::Absent);
        }
    }
}

}  // namespace

std::string FontsKey() {
    return PlatformId == VER_PLATFORM_WIN32_WINDOWS ? kFontsKey95 : kFontsKeyNT;
}

bool FontValueMatches(const std::string& listingLine, const std::string& fontFile) {
    if (!CanNameFontFile(fontFile)) return false;
    if (MatchesMask(listingLine, "*=" + fontFile, true)) return true;
    return MatchesFontsByBareName(fontFile) &&
           MatchesMask(listingLine, "*=" + ExtractFileName(fontFile), true);
}

void RemoveFonts(TRun& run) { RunSection(run, "RegFonts", IDS_REMOVE_FONTS, RemoveFontEntries); }

void RemoveOleServers(TRun& run) {
    RunSection(run, "RegServers", IDS_REMOVE_SERVERS, RemoveServerEntries);
}
