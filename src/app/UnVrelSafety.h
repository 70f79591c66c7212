// The refusals of a run: the log items that the program passes over, without
// touching anything, because removing them could take the system's own places
// with it (a damaged log names those as easily as the application's items).
// Every refusal of the program is decided by one of these functions; a true
// answer means the handler leaves the item and goes on with the next; the
// item is then recorded as refused in the outcomes given.
#pragma once

#include <string>

#include "app/UnVrelOutcomes.h"
#include "core/epView.h"

// An "AddReg" or "CreateKeys" path: a value many programs share, or a path
// that would fall back to deleting a protected key.
bool RefuseRegistryEntry(TOutcomeRecorder& outcomes, const std::string& path,
                         TView view = TView::Native);

// A "CreateDirs" directory: a protected directory or a reparse point.
bool RefuseDirectory(TOutcomeRecorder& outcomes, const std::string& dir);

// Drops what is known of the real places of directories, so that the next
// judgement looks again: a section calls it before its first item, since a
// folder may have been swapped for a link since the preview.
void ForgetRealPlaces();

// The same rules as questions only: nothing is recorded (the removal plan).
// WouldRefuseFileMask: a "CopyFiles" key that is not absolute, or a mask that
// would sweep a protected directory.
bool WouldRefuseRegistryEntry(const std::string& path, TView view = TView::Native);
bool WouldRefuseFileMask(const std::string& mask);
bool WouldRefuseDirectory(const std::string& dir);
