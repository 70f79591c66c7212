// A stand-in for an in-process OLE server. Its "DllUnregisterServer" appends
// one line to "<the DLL's own path>.log", so that a test sees each call of a
// copy of it, and its own path to the file that the environment variable
// TAMSK_OLE_FIXTURE_LOG names (when set), so that the order of calls across
// copies shows; it returns the HRESULT the DLL was built with
// (OLE_FIXTURE_RESULT). Built with OLE_FIXTURE_NO_EXPORT it exports the same
// function as "DllRegisterServer" instead, and has no "DllUnregisterServer".
#include <windows.h>

#include <string>

#include "FixtureRecord.h"

namespace {

HMODULE thisModule = nullptr;

std::string OwnPath() { return ModulePath(thisModule); }

std::string SharedLogName() {
    const DWORD needed = GetEnvironmentVariableA("TAMSK_OLE_FIXTURE_LOG", nullptr, 0);
    if (needed == 0) return std::string();
    std::string buffer(needed, '\0');
    const DWORD length = GetEnvironmentVariableA("TAMSK_OLE_FIXTURE_LOG", &buffer[0], needed);
    if (length == 0 || length >= needed) return std::string();
    buffer.resize(length);
    return buffer;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) thisModule = instance;
    return TRUE;
}

// The export-less variant still has a registration export: it only lacks the
// one that undoes it.
#ifdef OLE_FIXTURE_NO_EXPORT
#define OLE_FIXTURE_EXPORT DllRegisterServer
#else
#define OLE_FIXTURE_EXPORT DllUnregisterServer
#endif
#define OLE_FIXTURE_TEXT(name) OLE_FIXTURE_STRING(name)
#define OLE_FIXTURE_STRING(name) #name

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE OLE_FIXTURE_EXPORT() {
    const std::string path = OwnPath();
    AppendLine(path + ".log", OLE_FIXTURE_TEXT(OLE_FIXTURE_EXPORT));
    const std::string shared = SharedLogName();
    if (!shared.empty()) AppendLine(shared, path);
    return OLE_FIXTURE_RESULT;
}
