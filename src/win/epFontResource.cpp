// Unloading a font file and telling the windows.
#include "win/epFontResource.h"

#include "core/epStrUtils.h"
#include "win/epSystemNames.h"

bool UnloadFontFile(const std::string& path) {
    if (path.empty() || HoldsNul(path)) return false;
    // The name as the font was loaded by: a bare name must stay bare (the
    // system looks for it in the fonts directory), so no path form is made.
    return RemoveFontResourceW(ToSystemName(path).c_str()) != FALSE;
}

void BroadcastFontChange(UINT timeoutMs) {
    SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, timeoutMs,
                        nullptr);
}
