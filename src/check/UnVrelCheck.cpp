// unvrel-check: checks installation logs before they ship, for installer
// builds on any machine (a native program on Linux, a console program on
// Windows). Exit code 0 when every log is clean, 1 when the worst finding is
// a warning, 2 when any is an error (or a log cannot be read, or the command
// line is wrong).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/UnVrelCheckReport.h"
#include "core/UnVrelLogCheck.h"

namespace {

constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: unvrel-check [--json] LOG...\n"
    "Reads each installation log as the uninstaller reads it and reports, with line\n"
    "numbers, what it would ignore, refuse or do otherwise than meant. Paths are\n"
    "judged for a machine with the standard layout (C:\\Windows, C:\\Program Files...).\n"
    "  --json   one JSON document on standard output instead of text lines\n"
    "Exit code: 0 clean, 1 warnings only, 2 errors.\n";

// Log paths are bytes in the system's code page on Windows and UTF-8 here.
#ifdef _WIN32
constexpr bool kUtf8Console = false;
#else
constexpr bool kUtf8Console = true;
#endif

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

TCheckedLog CheckOneLog(const std::string& path, const TCheckTarget& target) {
    TCheckedLog log;
    log.Path = path;
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        log.Findings.push_back(TFinding{0, TSeverity::Error, "unreadable", "",
                                        "the file cannot be read"});
        return log;
    }
    log.Findings = CheckLogText(bytes, target);
    return log;
}

void Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    bool optionsEnded = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded) {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--help" || arg == "-h") {
            Write(kUsage);
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "unvrel-check: unknown option %s\n%s", arg.c_str(), kUsage);
            return kExitUsage;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }

    const TCheckTarget target = StandardCheckTarget();
    std::vector<TCheckedLog> logs;
    for (const std::string& path : paths) logs.push_back(CheckOneLog(path, target));
    if (json) {
        Write(FormatFindingsJson(logs, kUtf8Console));
    } else {
        for (const TCheckedLog& log : logs) Write(FormatFindingsText(log, kUtf8Console));
    }
    std::fflush(stdout);
    return CheckExitCode(logs);
}
