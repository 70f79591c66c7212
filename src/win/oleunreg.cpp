// OLE server unregistration through the server's own export or switch, or
// through OLEAUT32 for type libraries.
#include "win/oleunreg.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/epAsciiCase.h"
#include "core/epFileUtils.h"
#include "core/epStrUtils.h"
#include "win/epDllSearch.h"
#include "win/epFileUtils.h"
#include "win/epWow64.h"
#include "win/handles.h"
#include "win/sysutil.h"

namespace {

constexpr const char* kUnregisterExport = "DllUnregisterServer";
constexpr const char* kUnregisterSwitch = " /UNREGSERVER";
constexpr std::string_view kProgramExtension = ".exe";
constexpr const char* kTypeLibModule = "OLEAUT32.DLL";
constexpr const char* kUnregisterTypeLibFunction = "UnRegisterTypeLib";

using DllUnregisterServerFunction = HRESULT(STDAPICALLTYPE*)();
using UnRegisterTypeLibFunction = HRESULT(STDAPICALLTYPE*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// The ANSI text in UTF-16; empty when it cannot be converted.
std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], needed) != needed)
        return std::wstring();
    return wide;
}

// Owns one reference to a loaded type library.
class TypeLibReference {
public:
    explicit TypeLibReference(ITypeLib* library) noexcept : library_(library) {}
    ~TypeLibReference() {
        if (library_ != nullptr) library_->Release();
    }
    TypeLibReference(const TypeLibReference&) = delete;
    TypeLibReference& operator=(const TypeLibReference&) = delete;

    ITypeLib* get() const noexcept { return library_; }

private:
    ITypeLib* library_;
};

// The library's attributes, handed back to it on destruction. Declared after
// the library's own owner, so that they go back before the library goes.
class TypeLibAttributes {
public:
    explicit TypeLibAttributes(ITypeLib* library) noexcept : library_(library) {
        if (FAILED(library_->GetLibAttr(&attributes_))) attributes_ = nullptr;
    }
    ~TypeLibAttributes() {
        if (attributes_ != nullptr) library_->ReleaseTLibAttr(attributes_);
    }
    TypeLibAttributes(const TypeLibAttributes&) = delete;
    TypeLibAttributes& operator=(const TypeLibAttributes&) = delete;

    const TLIBATTR* get() const noexcept { return attributes_; }

private:
    ITypeLib* library_;
    TLIBATTR* attributes_ = nullptr;
};

}  // namespace

bool IsLoadableModule(const std::string& path) {
    if (path.empty() || HoldsNul(path)) return false;
    return static_cast<bool>(
        UniqueModule(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)));
}

bool UnregisterDllServer(const std::string& path) {
    if (!IsLoadableModule(path)) return false;
    // By its full path with the altered search order, as the system's own
    // registration tool loads a server: the libraries it needs come from its
    // folder first, never from ours.
    const std::string fullPath = GetFullPath(path);
    if (fullPath.empty()) return false;
    const TSystemLayout& layout = SystemLayout();
    const TServerRoute route = ChooseServerRoute(ReadImageMachine(fullPath), layout);
    if (route != TServerRoute::InProcess) {
        // A server program of the other bitness is started as any other.
        if (SameTextAscii(ExtractFileExt(path), kProgramExtension)) return false;
        return UnregisterWithRegsvr32(Regsvr32Path(route, layout),
                                      PathForOtherBitness(fullPath, layout), kServerProgramWaitMs);
    }
    const UniqueModule module(
        LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    const auto unregister =
        FindFunction<DllUnregisterServerFunction>(module.get(), kUnregisterExport);
    if (unregister == nullptr) return false;
    return SUCCEEDED(unregister());
}

bool UnregisterExeServer(const std::string& path, DWORD timeoutMs) {
    if (path.empty() || HoldsNul(path)) return false;
    // The program is named apart from its command line: an unquoted path with
    // blanks would otherwise start C:\My.exe for C:\My Apps\srv.exe.
    std::string commandLine = path + kUnregisterSwitch;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return false;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    return WaitHandlingSentMessages(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool UnregisterServerModule(const std::string& path) {
    if (UnregisterDllServer(path)) return true;
    if (!SameTextAscii(ExtractFileExt(path), kProgramExtension)) return false;
    return UnregisterExeServer(path);
}

bool UnregisterTypeLibrary(const std::string& path, TView view) {
    // OLEAUT32 is linked for LoadTypeLib, so it is loaded for the whole run;
    // UnRegisterTypeLib is looked up because older systems lack it.
    if (HoldsNul(path)) return false;
    const auto unregister = FindFunction<UnRegisterTypeLibFunction>(
        GetModuleHandleA(kTypeLibModule), kUnregisterTypeLibFunction);
    if (unregister == nullptr) return false;

    const std::wstring widePath = WideFromAnsi(GetFullPath(path));
    if (widePath.empty()) return false;
    ITypeLib* loaded = nullptr;
    if (FAILED(LoadTypeLib(widePath.c_str(), &loaded)) || loaded == nullptr) return false;
    const TypeLibReference library(loaded);
    const TypeLibAttributes attributes(library.get());
    const TLIBATTR* attr = attributes.get();
    if (attr == nullptr) return false;
    const SYSKIND kind = view == TView::Bits32   ? SYS_WIN32
                         : view == TView::Bits64 ? SYS_WIN64
                                                 : attr->syskind;
    const HRESULT result =
        unregister(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, kind);
    return SUCCEEDED(result);
}

bool UnregisterServer(const std::string& path, TView view) {
    if (UnregisterServerModule(path)) return true;
    return UnregisterTypeLibrary(path, view);
}

TMachine ReadImageMachine(const std::string& path) {
    if (HoldsNul(path)) return TMachine::Unknown;
    const UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return TMachine::Unknown;
    const auto readAt = [&file](std::uint32_t offset, std::size_t count) {
        std::string bytes(count, '\0');
        OVERLAPPED at{};
        at.Offset = offset;
        DWORD read = 0;
        if (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(count), &read, &at)) read = 0;
        bytes.resize(read);
        return bytes;
    };
    const std::optional<std::uint32_t> offset = PeHeaderOffset(readAt(0, kDosHeaderSize));
    if (!offset) return TMachine::Unknown;
    return PeMachine(readAt(*offset, kPeSignatureSize));
}

bool UnregisterWithRegsvr32(const std::string& regsvr32, const std::string& dll,
                            DWORD timeoutMs) {
    if (regsvr32.empty() || dll.empty() || HoldsNul(regsvr32) || HoldsNul(dll)) return false;
    // The program by its full path, apart from the command line; the DLL's
    // path quoted, as regsvr32 reads its last argument.
    std::string commandLine = "\"" + regsvr32 + "\" /u /s \"" + dll + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(regsvr32.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
        return false;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    if (WaitHandlingSentMessages(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        // A regsvr32 that hangs over the server must not outlive the run.
        TerminateProcess(process.get(), ERROR_TIMEOUT);
        return false;
    }
    DWORD code = 1;
    return GetExitCodeProcess(process.get(), &code) && code == 0;
}
