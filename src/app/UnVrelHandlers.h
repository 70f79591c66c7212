// The section handlers: each removes what one or two log sections list.
//
// Every handler takes its section's removal plan (app/UnVrelPlan.h); with no
// lines it does nothing at all, otherwise it adds one status line with its
// message, works through the plan's items in their order, recording what
// became of each item (a failure never stops the section), and ends the line
// with " ok" or the count of the items that stayed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/UnVrelRun.h"
#include "core/epView.h"

// "SharedFiles": lowers use counts, asks about unused shared files, and
// leaves the kept shared files for the later phases.
void CheckSharedFiles(TRun& run);
// "Shortcuts": the .lnk or .pif shortcut of each line.
void RemoveShortcuts(TRun& run);
// "AddIni": the INI entries, then one flush of the profile cache.
void RemoveIniEntries(TRun& run);
// "RegFonts": the fonts' registry values and resources.
void RemoveFonts(TRun& run);
// "AddReg", then "CreateKeys": registry values, then keys.
void RemoveRegistryEntries(TRun& run);
// "RegServers": OLE servers and type libraries.
void RemoveOleServers(TRun& run);
// "CopyFiles": files and masks, with help-index companions.
void RemoveFiles(TRun& run);
// "CreateDirs": deletes the log, then the empty directories, deepest first.
void RemoveDirectories(TRun& run);

// What the handlers know that a preview of the run must judge alike.

// The use count of a shared file as "SharedFiles" reads it: 1 when it has
// no counter; nothing when its counter states no number (the file then stays
// without a question). The counter is read in the view (each view has its own).
std::optional<std::int32_t> SharedUseCount(const std::string& file, TView view);

// True when the shared file has a counter in the view, whatever it states.
bool HasSharedCounter(const std::string& file, TView view);

// The fonts key of the running system, as a registry path ending in "\".
std::string FontsKey();

// True when a line "name=data" of the fonts key's listing registers the
// font file: its data is the file's path or, for a font of the fonts
// directory or one given without a directory, its bare name (case aside).
bool FontValueMatches(const std::string& listingLine, const std::string& fontFile);
