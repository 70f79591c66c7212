// unvrel-check: checks installation logs before they ship, for installer
// builds on any machine (a native program on Linux, a console program on
// Windows). Exit code 0 when every log is clean, 1 when the worst finding is
// a warning, 2 when any is an error (or a log cannot be read, or the command
// line is wrong).
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "UnVrelVersion.h"
#include "core/UnVrelCheckReport.h"
#include "core/UnVrelLogCheck.h"
#include "core/epNameEncoding.h"

namespace {

constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: unvrel-check [--json] LOG...\n"
    "       unvrel-check --version\n"
    "Reads each installation log as the uninstaller reads it and reports, with line\n"
    "numbers, what it would ignore, refuse or do otherwise than meant. Paths are\n"
    "judged for a machine with the standard layout (C:\\Windows, C:\\Program Files...).\n"
    "  --json   one JSON document on standard output instead of text lines\n"
    "Exit code: 0 clean, 1 warnings only, 2 errors (a log that cannot be read is one).\n";

// Log paths are bytes in the system's code page on Windows and UTF-8 here.
#ifdef _WIN32
constexpr bool kUtf8Console = false;
#else
constexpr bool kUtf8Console = true;
#endif

// Why the file cannot be read, as a finding's message.
std::string DescribeReadError(int error) {
    switch (error) {
        case ENOENT: return "there is no such file";
        case EACCES: return "permission denied";
        case EISDIR: return "it is a directory, not a log file";
        default: return std::strerror(error);
    }
}

// Reads the whole file; on failure says why in `why` and returns false. Only
// a file that ends is read: a directory or a device (a terminal, an endless
// one) is refused before anything is read from it, so that no argument can
// keep the checker waiting or growing. Never throws: one bad argument must
// not cost the findings of the others.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& why) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        why = DescribeReadError(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        why = DescribeReadError(EISDIR);
        return false;
    }
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        why = "it is a device, not a log file";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        why = DescribeReadError(errno);
        return false;
    }
    bool ok = true;
    try {
        char buffer[64 * 1024];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
            bytes.append(buffer, n);
        }
        if (std::ferror(file)) {
            why = DescribeReadError(errno);
            ok = false;
        }
    } catch (const std::bad_alloc&) {
        why = "it is too large to be held in memory";
        ok = false;
    }
    std::fclose(file);
    if (!ok) bytes.clear();
    return ok;
}

TCheckedLog CheckOneLog(const std::string& path, const TCheckTarget& target) {
    TCheckedLog log;
    log.Path = path;
    std::string bytes;
    std::string why;
    if (!ReadWholeFile(path, bytes, why)) {
        log.Findings.push_back(TFinding{0, TSeverity::Error, "unreadable", "",
                                        "the file cannot be read: " + why});
        return log;
    }
    log.Utf8 = NameEncodingOfLog(bytes) == TNameEncoding::Utf8;
    try {
        log.Findings = CheckLogText(bytes, target);
    } catch (const std::bad_alloc&) {
        log.Findings = {TFinding{0, TSeverity::Error, "unreadable", "",
                                 "the file is too large to be checked in the memory at hand"}};
    }
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
        } else if (arg == "--version") {
            Write("unvrel-check " TAMSK_VERSION_STRING "\n");
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "unvrel-check: unknown option %s\n%s", ShowControls(arg).c_str(),
                         kUsage);
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
