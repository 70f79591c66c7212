// A program for the end-to-end tests to start through the shell.
//
//   TestProgram.exe [--record FILE] [--utf8] [--show] [--probe PATH]... [--wait-for FILE]
//                   [--spawn PROGRAM [--spawn-args TEXT]] [--exit CODE] [args...]
//
// --record appends one line "args|current directory" to FILE (so a test sees
// that it ran, with what and where); with --utf8 both come from the wide
// command line and directory, in UTF-8, so that characters outside the ANSI
// code page are recorded exactly (FILE itself is still an ANSI path); with
// --show a line "show=N" follows, N the show command it was started with
// (-1 when none was given); each --probe adds a line "PATH=1" or "PATH=0"
// telling whether PATH existed when it ran.
// The record is written first; then --wait-for blocks until FILE exists (at
// most 60 s), so a test can act while the uninstaller waits; then --spawn
// starts PROGRAM with the command line "PROGRAM" TEXT, waits for it (at most
// 60 s, then kills it) and appends "spawned=CODE windows=N" to the record:
// its exit code (-1 when it could not start, -2 when it was killed) and how
// many visible top-level windows it was seen to show; --exit sets the exit
// code (0 by default).
#include <windows.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/UnVrelCommandLine.h"
#include "core/sysutilNumbers.h"
#include "win/handles.h"

namespace {

std::string Utf8(const wchar_t* text, int length = -1) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, &bytes[0], size, nullptr, nullptr);
    if (length < 0 && !bytes.empty()) bytes.pop_back();  // the terminating zero
    return bytes;
}

std::string CurrentDirectoryUtf8() {
    std::wstring dir(GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), &dir[0]);
    return Utf8(dir.c_str(), n < dir.size() ? static_cast<int>(n) : 0);
}

std::string CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string dir(size, '\0');
    const DWORD n = GetCurrentDirectoryA(size, &dir[0]);
    dir.resize(n < size ? n : 0);
    return dir;
}

struct WindowCount {
    DWORD processId;
    std::set<HWND> seen;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM data) {
    auto& count = *reinterpret_cast<WindowCount*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count.processId && IsWindowVisible(window)) count.seen.insert(window);
    return TRUE;
}

// Runs the program, watching for its windows, and tells how it ended.
std::string Spawn(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return "spawned=-1 windows=0";
    const UniqueHandle thread(info.hThread);
    const UniqueHandle process(info.hProcess);
    WindowCount count{info.dwProcessId, {}};
    long long code = -2;
    for (int i = 0; i < 3000 && code == -2; ++i) {
        EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
        if (WaitForSingleObject(process.get(), 20) != WAIT_OBJECT_0) continue;
        DWORD exitCode = 0;
        GetExitCodeProcess(process.get(), &exitCode);
        code = exitCode;
    }
    if (code == -2) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
    return "spawned=" + std::to_string(code) + " windows=" + std::to_string(count.seen.size());
}

void WaitForFile(const std::string& path) {
    for (int i = 0; i < 3000; ++i) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
        Sleep(20);
    }
}

int ShowCommand() {
    STARTUPINFOA info{};
    info.cb = sizeof(info);
    GetStartupInfoA(&info);
    return (info.dwFlags & STARTF_USESHOWWINDOW) != 0 ? info.wShowWindow : -1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* commandLine = GetCommandLineA();
    std::string recordFile;
    std::string waitFile;
    std::string spawnProgram;
    std::string spawnArguments;
    std::vector<std::string> probes;
    bool recordShow = false;
    bool utf8 = false;
    int exitCode = 0;
    for (int i = 1;; ++i) {
        const std::string arg = ParamStr(commandLine, i);
        if (arg.empty()) break;
        const std::string value = ParamStr(commandLine, i + 1);
        if (arg == "--record") {
            recordFile = value;
            ++i;
        } else if (arg == "--utf8") {
            utf8 = true;
        } else if (arg == "--show") {
            recordShow = true;
        } else if (arg == "--probe") {
            probes.push_back(value);
            ++i;
        } else if (arg == "--wait-for") {
            waitFile = value;
            ++i;
        } else if (arg == "--spawn") {
            spawnProgram = value;
            ++i;
        } else if (arg == "--spawn-args") {
            spawnArguments = value;
            ++i;
        } else if (arg == "--exit") {
            exitCode = StrToIntDef(value, 0);
            ++i;
        }
    }
    if (!recordFile.empty()) {
        std::string text =
            utf8 ? ArgumentsAfterProgram(Utf8(GetCommandLineW())) + "|" + CurrentDirectoryUtf8()
                 : ArgumentsAfterProgram(commandLine) + "|" + CurrentDirectory();
        text += "\r\n";
        if (recordShow) text += "show=" + std::to_string(ShowCommand()) + "\r\n";
        for (const std::string& path : probes) {
            const bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
            text += path + (exists ? "=1\r\n" : "=0\r\n");
        }
        std::ofstream(recordFile, std::ios::app | std::ios::binary) << text;
    }
    if (!waitFile.empty()) WaitForFile(waitFile);
    if (!spawnProgram.empty()) {
        const std::string result = Spawn(spawnProgram, spawnArguments) + "\r\n";
        std::ofstream(recordFile, std::ios::app | std::ios::binary) << result;
    }
    return exitCode;
}
