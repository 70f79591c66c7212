// The example's COM server: an in-process server that registers one class
// under HKCR and removes that registration again, as the installer's RegDLL
// and the uninstaller's RegServers line expect of it. It serves no objects.
#include <windows.h>

#include <string>

namespace {

HMODULE thisModule = nullptr;

const char kClassKey[] = "CLSID\\{6C3A1D52-93E4-4B7B-8F0B-2E5A7C1D9F41}";
const char kProgIdKey[] = "TamskExample.Greeter";
const char kClassId[] = "{6C3A1D52-93E4-4B7B-8F0B-2E5A7C1D9F41}";

bool SetKeyValue(const std::string& key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(handle, name, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

std::string ModulePath() {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(thisModule, buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

bool IsGone(LONG result) { return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND; }

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) thisModule = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::string path = ModulePath();
    const std::string classKey = kClassKey;
    const bool ok = !path.empty() && SetKeyValue(classKey, nullptr, "Tamsk Example Greeter") &&
                    SetKeyValue(classKey + "\\InprocServer32", nullptr, path) &&
                    SetKeyValue(classKey + "\\InprocServer32", "ThreadingModel", "Apartment") &&
                    SetKeyValue(classKey + "\\ProgID", nullptr, kProgIdKey) &&
                    SetKeyValue(kProgIdKey, nullptr, "Tamsk Example Greeter") &&
                    SetKeyValue(std::string(kProgIdKey) + "\\CLSID", nullptr, kClassId);
    return ok ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const bool ok = IsGone(RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey)) &&
                    IsGone(RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey)) &&
                    IsGone(RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgIdKey)) &&
                    IsGone(RegDeleteKeyA(HKEY_CLASSES_ROOT, kProgIdKey));
    return ok ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID,
                                                                          LPVOID* object) {
    if (object != nullptr) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_OK; }
