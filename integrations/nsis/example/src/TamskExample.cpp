// Tamsk Example, the small application that the example installer installs.
// Started with /close, it closes a running copy of itself and ends with exit
// code 0, as the uninstaller's PreRunApp line expects before it removes the
// program's files.
#include <windows.h>

namespace {

const char kTitle[] = "Tamsk Example";

void CloseRunningCopies() {
    // The running copy shows its message box with this title.
    while (HWND window = FindWindowA("#32770", kTitle)) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        if (IsWindow(window)) break;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (lstrcmpiA(commandLine, "/close") == 0) {
        CloseRunningCopies();
        return 0;
    }
    MessageBoxA(nullptr, "Tamsk Example is installed.", kTitle, MB_OK | MB_ICONINFORMATION);
    return 0;
}
