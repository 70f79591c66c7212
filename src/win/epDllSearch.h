// Where the program takes its libraries from. A library that is not one of the
// system's known libraries would otherwise be looked for in the program's own
// folder first, so a file planted there under a system library's name would
// run inside the uninstaller, with its rights.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

// Limits the libraries that are loaded by name from now on to the system
// directory (SetDefaultDllDirectories, looked up at run time); on a system
// without it, takes at least the current directory out of the search
// (SetDllDirectoryA with an empty text). Called first thing in WinMain.
void LimitDllSearchToSystem();

// Loads the library from the system directory by its full path, whatever the
// search order; null when it cannot be loaded. The caller frees it.
HMODULE LoadSystemLibrary(const char* name);

// The executable or library at path (in the encoding of names, any length)
// mapped as data only: nothing of it runs and nothing it imports is loaded,
// but its resources can be read. Empty when it cannot be mapped.
UniqueModule LoadImageAsData(const std::string& path);

// The function's address as the type it really has; null when the module or
// the function is missing. The detour through void(*)() is the one cast
// between function types that the compiler accepts without a warning.
template <typename Function>
Function FindFunction(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
