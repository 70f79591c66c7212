// The "RegFonts" and "RegServers" handlers: they undo what the installation
// registered with the system, passing over the kept shared files.
#include <windows.h>

#include <optional>
#include <string>

#include "app/UnVrel.h"
#include "app/UnVrelHandlers.h"
#include "app/UnVrelOutcomes.h"
#include "app/UnVrelViews.h"
#include "app/UnVrelWorker.h"
#include "core/epFileUtils.h"
#include "core/epRegPath.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "res/resource.h"
#include "win/epFileUtils.h"
#include "win/epProtection.h"
#include "win/epRegIni.h"
#include "win/epWow64.h"
#include "win/oleunreg.h"

namespace {

const char* const kFontsKey95 = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\";
const char* const kFontsKeyNT = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";

// How long the font-change broadcast waits for each window. A window whose
// thread has stopped reading its messages is passed over at once.
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

// Tells every top-level window that the set of fonts has changed, and waits
// until they have handled it; a hung window cannot hold the run up.
void BroadcastFontChange() {
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG,
                        kBroadcastTimeoutMs, nullptr);
}

void RemoveFontEntries(TRun& run, TStringList& lines) {
    const TKeptNames kept(run.KeptSharedFiles);
    const std::string fontsKey = FontsKey();
    const TView view = LogView(run);
    TStringList listing;
    ListRegistryValues(fontsKey, listing);
    for (const std::string& line : lines) {
        const std::string fontFile = EntryKey(line);
        if (kept.Contains(fontFile)) {
            run.Outcomes.Record(fontFile, TOutcome::Kept);
            continue;
        }
        DWORD error = ERROR_SUCCESS;
        TOutcome outcome = DeleteFontValues(fontsKey, listing, fontFile, error);
        // A font that was loaded and no longer is counts as removed too. The
        // values name the file as the log does; the system knows it by the
        // path of the log's view.
        const std::optional<std::string> loaded = FileInView(fontFile, view);
        if (loaded && !HoldsNul(*loaded) && RemoveFontResourceA(loaded->c_str()) &&
            outcome == TOutcome::Absent)
            outcome = TOutcome::Removed;
        run.Outcomes.Record(fontFile, outcome, error);
    }
    BroadcastFontChange();
}

void RemoveServerEntries(TRun& run, TStringList& lines) {
    const TKeptNames kept(run.KeptSharedFiles);
    const TView view = LogView(run);
    for (const std::string& line : lines) {
        const std::string written = EntryKey(line);
        if (kept.Contains(written)) {
            run.Outcomes.Record(written, TOutcome::Kept);
            continue;
        }
        const std::optional<std::string> file = EntryFile(run.Outcomes, written, view);
        if (!file) continue;
        const std::string& serverFile = *file;
        if (UnregisterServer(serverFile, view)) {
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
