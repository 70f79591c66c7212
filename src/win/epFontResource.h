// The fonts that the system has loaded from files, as an uninstallation
// takes one away and tells the windows.
#pragma once

#include <windows.h>

#include <string>

// Unloads the font file that the system loaded: path, in the encoding of
// names, is the file as it was loaded (a full path, or a bare name for a
// file of the fonts directory). True when the system had it loaded and let
// it go; false for a font it did not know, and for a path holding a NUL.
bool UnloadFontFile(const std::string& path);

// Tells every top-level window that the set of fonts has changed and waits
// until each has handled it, at most timeoutMs per window; a window whose
// thread has stopped reading its messages is passed over at once.
void BroadcastFontChange(UINT timeoutMs);
