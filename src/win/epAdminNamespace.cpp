// The Administrators' private namespace through functions found at run time.
#include "win/epAdminNamespace.h"

#include <windows.h>

#include <vector>

#include "win/epPrivateSecurity.h"
#include "win/epDllSearch.h"

namespace {

using CreateBoundaryFunction = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using AddSidFunction = BOOL(WINAPI*)(HANDLE*, PSID);
using CreateNamespaceFunction = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using OpenNamespaceFunction = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
using DeleteBoundaryFunction = VOID(WINAPI*)(HANDLE);

std::wstring WidenAscii(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

TAdminNamespace TAdminNamespace::OpenOrCreate(const std::string& alias) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto createBoundary =
        FindFunction<CreateBoundaryFunction>(kernel, "CreateBoundaryDescriptorW");
    const auto addSid = FindFunction<AddSidFunction>(kernel, "AddSIDToBoundaryDescriptor");
    const auto create = FindFunction<CreateNamespaceFunction>(kernel, "CreatePrivateNamespaceW");
    const auto open = FindFunction<OpenNamespaceFunction>(kernel, "OpenPrivateNamespaceW");
    const auto deleteBoundary =
        FindFunction<DeleteBoundaryFunction>(kernel, "DeleteBoundaryDescriptor");
    if (!createBoundary || !addSid || !create || !open || !deleteBoundary)
        return TAdminNamespace();

    const std::wstring name = WidenAscii(alias);
    HANDLE boundary = createBoundary(name.c_str(), 0);
    if (boundary == nullptr) return TAdminNamespace();
    std::vector<unsigned char> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    HANDLE space = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid.data(), &size) &&
        addSid(&boundary, sid.data())) {
        TPrivateSecurity security(TPrivateTo::Administrators, GENERIC_ALL);
        space = create(security.get(), boundary, name.c_str());
        if (space == nullptr && GetLastError() == ERROR_ALREADY_EXISTS)
            space = open(boundary, name.c_str());
    }
    // The namespace keeps its own copy of the boundary: the descriptor (a
    // block of memory, not a handle) can go now.
    deleteBoundary(boundary);
    if (space == nullptr) return TAdminNamespace();
    TAdminNamespace result;
    result.namespace_.reset(space);
    result.prefix_ = alias + "\\";
    return result;
}
