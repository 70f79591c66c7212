// A program for the end-to-end tests to start through the shell.
//
//   TestProgram.exe [--record FILE] [--show] [--probe PATH]... [--wait-for FILE]
//                   [--exit CODE] [args...]
//
// --record appends one line "args|current directory" to FILE (so a test sees
// that it ran, with what and where); with --show a line "show=N" follows, N
// the show command it was started with (-1 when none was given); each --probe
// adds a line "PATH=1" or "PATH=0" telling whether PATH existed when it ran.
// The record is written first; then --wait-for blocks until FILE exists (at
// most 60 s), so a test can act while the uninstaller waits; --exit sets the
// exit code (0 by default).
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/UnVrelCommandLine.h"
#include "core/sysutilNumbers.h"

namespace {

std::string CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string dir(size, '\0');
    const DWORD n = GetCurrentDirectoryA(size, &dir[0]);
    dir.resize(n < size ? n : 0);
    return dir;
}

// Everything after the program name, as the command line gave it.
std::string ArgumentsText(const char* commandLine) {
    std::string line(commandLine);
    size_t pos = 0;
    bool quoted = false;
    while (pos < line.size() && (quoted || static_cast<unsigned char>(line[pos]) > ' ')) {
        if (line[pos] == '"') quoted = !quoted;
        ++pos;
    }
    while (pos < line.size() && static_cast<unsigned char>(line[pos]) <= ' ') ++pos;
    return line.substr(pos);
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
    std::vector<std::string> probes;
    bool recordShow = false;
    int exitCode = 0;
    for (int i = 1;; ++i) {
        const std::string arg = ParamStr(commandLine, i);
        if (arg.empty()) break;
        const std::string value = ParamStr(commandLine, i + 1);
        if (arg == "--record") {
            recordFile = value;
            ++i;
        } else if (arg == "--show") {
            recordShow = true;
        } else if (arg == "--probe") {
            probes.push_back(value);
            ++i;
        } else if (arg == "--wait-for") {
            waitFile = value;
            ++i;
        } else if (arg == "--exit") {
            exitCode = StrToIntDef(value, 0);
            ++i;
        }
    }
    if (!recordFile.empty()) {
        std::string text = ArgumentsText(commandLine) + "|" + CurrentDirectory() + "\r\n";
        if (recordShow) text += "show=" + std::to_string(ShowCommand()) + "\r\n";
        for (const std::string& path : probes) {
            const bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
            text += path + (exists ? "=1\r\n" : "=0\r\n");
        }
        std::ofstream(recordFile, std::ios::app | std::ios::binary) << text;
    }
    if (!waitFile.empty()) WaitForFile(waitFile);
    return exitCode;
}
