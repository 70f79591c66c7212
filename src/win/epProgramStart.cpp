// Opening programs through the shell and starting program files directly.
#include "win/epProgramStart.h"

#include <shellapi.h>

#include <vector>

#include "core/epStrUtils.h"
#include "win/epSystemNames.h"

namespace {

// The list of handles a started process inherits: the one given alone.
class TInheritList {
public:
    explicit TInheritList(HANDLE handle) : handle_(handle) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        initialized_ = true;
        listed_ = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_,
                                            sizeof handle_, nullptr, nullptr) != FALSE;
    }
    ~TInheritList() {
        if (initialized_)
            DeleteProcThreadAttributeList(
                reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data()));
    }
    TInheritList(const TInheritList&) = delete;
    TInheritList& operator=(const TInheritList&) = delete;

    // Nullptr when the system cannot limit what is inherited (this
    // process's other handles are not inheritable anyway).
    LPPROC_THREAD_ATTRIBUTE_LIST get() {
        return listed_ ? reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data()) : nullptr;
    }

private:
    HANDLE handle_;
    std::vector<unsigned char> buffer_;
    bool initialized_ = false;
    bool listed_ = false;
};

}  // namespace

bool ShellStart(const TShellStart& start, UniqueHandle& process) {
    process.reset();
    if (HoldsNul(start.File) || HoldsNul(start.Parameters) || HoldsNul(start.Directory)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // As the user would type them: the shell finds a bare program name on
    // its own search path, so no path form is made.
    const std::wstring file = ToSystemName(start.File);
    const std::wstring parameters = ToSystemName(start.Parameters);
    const std::wstring directory = ToSystemName(start.Directory);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    if (start.NoBoxes) info.fMask |= SEE_MASK_FLAG_NO_UI;
    info.hwnd = start.Owner;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = directory.c_str();
    info.nShow = start.Show;
    if (!ShellExecuteExW(&info)) return false;
    process.reset(info.hProcess);
    return true;
}

UniqueHandle StartProgramFile(const std::string& path, std::wstring commandLine,
                              const std::wstring& directory, HANDLE inherit) {
    STARTUPINFOW own{};
    own.cb = sizeof own;
    GetStartupInfoW(&own);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    if ((own.dwFlags & STARTF_USESHOWWINDOW) != 0) {
        startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = own.wShowWindow;
    }
    TInheritList inheritList(inherit);
    startup.lpAttributeList = inheritList.get();
    const DWORD flags = startup.lpAttributeList != nullptr ? EXTENDED_STARTUPINFO_PRESENT : 0;
    if (flags == 0) startup.StartupInfo.cb = sizeof startup.StartupInfo;
    const std::wstring program = ToSystemPath(path);
    PROCESS_INFORMATION info{};
    // CreateProcessW may write into the command line: it is this function's own copy.
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, flags, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup.StartupInfo,
                        &info))
        return UniqueHandle();
    const UniqueHandle thread(info.hThread);
    // The user started this process; the new one's boxes and windows must
    // come to the front as this process's own would have.
    AllowSetForegroundWindow(info.dwProcessId);
    return UniqueHandle(info.hProcess);
}
