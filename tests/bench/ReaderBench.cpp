// The benchmark of the log reader: how long the INI model takes to load a
// large installation log and hand over its largest section, and how much
// memory it needs for that, next to a plain program that reads the same file
// the simplest way (read it whole, split it into lines, trim them, collect
// the section's lines).
//
//   reader_bench [LINES [RUNS]]     default 100000 lines, 21 readings of each
//
// The log is generated (about 65 bytes a line, CR LF line ends, as an
// installer writes it) into a temporary directory and removed at the end.
// Each reading runs once in a fresh process, as the program reads its log,
// so that no reading inherits the allocator's state of another. The two
// readers take turns, the order alternating from one pair to the next, so
// that a slow spell of the machine falls on both; the figures are medians.
// Memory is the peak resident size the process reaches while it reads
// (Linux: VmHWM less the VmRSS it had before).
//
// Built in the native preset with optimisation whatever the preset's build
// type; not part of the test suite (scripts/bench reader runs it).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/epIniFile.h"

namespace {

constexpr const char* kLargestSection = "CopyFiles";
constexpr int kDefaultLines = 100000;
constexpr int kDefaultRuns = 21;
constexpr int kWarmUpRuns = 2;

// ---- The log ----

std::string Padded(int number, int width) {
    std::string text = std::to_string(number);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width - static_cast<int>(text.size())), '0');
    return text;
}

void AppendLine(std::string& log, const std::string& line) {
    log += line;
    log += "\r\n";
}

// A log shaped like a large real one: a few settings, many registry values,
// and most of all files (`files` lines). The registry section carries the
// forms the reader's options are for (blanks around "=", quoted values).
std::string MakeLogWithFiles(int lines, int files) {
    const int values = lines * 3 / 10;
    const std::string app = "C:\\Programmi\\Tamsk Software\\Demo";
    std::string log;
    log.reserve(static_cast<size_t>(lines) * 70);
    AppendLine(log, "; Registro di installazione generato per la misura del lettore.");
    const auto section = [&log](const char* name) {
        AppendLine(log, std::string("[") + name + "]");
    };
    section("Strings");
    for (int i = 1; i <= 20; ++i) AppendLine(log, std::to_string(i) + "=Messaggio numero " + std::to_string(i));
    log += "\r\n";
    section("Display");
    AppendLine(log, "DialogTitleFont=Arial,18,1");
    AppendLine(log, "Charset=0");
    log += "\r\n";
    section("SharedFiles");
    for (int i = 0; i < 1000; ++i) AppendLine(log, "C:\\WINDOWS\\SYSTEM\\condiviso" + Padded(i, 4) + ".dll=1");
    log += "\r\n";
    section("Shortcuts");
    for (int i = 0; i < 1000; ++i)
        AppendLine(log, "C:\\WINDOWS\\Menu Avvio\\Programmi\\Tamsk\\Collegamento " + Padded(i, 4) + ".lnk=1");
    log += "\r\n";
    section("AddIni");
    for (int i = 0; i < 3000; ++i)
        AppendLine(log, "tamsk" + Padded(i % 10, 2) + ".ini,Impostazioni,Voce" + Padded(i, 5) + "=valore " + std::to_string(i));
    log += "\r\n";
    section("RegFonts");
    for (int i = 0; i < 10; ++i) AppendLine(log, "C:\\WINDOWS\\FONTS\\tamsk" + Padded(i, 2) + ".ttf=Tamsk " + Padded(i, 2) + " (TrueType)");
    log += "\r\n";
    section("AddReg");
    for (int i = 0; i < values; ++i) {
        const std::string path = "HKLM\\SOFTWARE\\Tamsk\\Applicazione\\Chiave" + Padded(i / 100, 4) + "\\Valore" + Padded(i, 6);
        switch (i % 10) {
            case 0: AppendLine(log, path + " = \"dato con spazi " + std::to_string(i) + "\""); break;
            case 5: AppendLine(log, path + "\t= 'C:\\Programmi\\Tamsk'"); break;
            default: AppendLine(log, path + "=dato " + std::to_string(i)); break;
        }
    }
    log += "\r\n";
    section("CreateKeys");
    for (int i = 0; i < 300; ++i) AppendLine(log, "HKLM\\SOFTWARE\\Tamsk\\Applicazione\\Chiave" + Padded(i, 4) + "=1");
    log += "\r\n";
    section("RegServers");
    for (int i = 0; i < 20; ++i) AppendLine(log, app + "\\server" + Padded(i, 2) + ".dll=1");
    log += "\r\n";
    section(kLargestSection);
    for (int i = 0; i < files; ++i)
        AppendLine(log, app + "\\Cartella" + Padded(i / 100, 4) + "\\file" + Padded(i, 6) + ".dat=1");
    log += "\r\n";
    section("CreateDirs");
    for (int i = 0; i < 630; ++i) AppendLine(log, app + "\\Cartella" + Padded(i, 4) + "=1");
    log += "\r\n";
    section("RunApp");
    AppendLine(log, "1=C:\\WINDOWS\\notepad.exe,,,1,");
    AppendLine(log, "2=C:\\WINDOWS\\explorer.exe,,,1,");
    return log;
}

size_t CountLines(const std::string& log) {
    return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
}

// A log of exactly `lines` lines: the files take up what the other sections leave.
std::string MakeLog(int lines) {
    const int others = static_cast<int>(CountLines(MakeLogWithFiles(lines, 0)));
    return MakeLogWithFiles(lines, std::max(10, lines - others));
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Both readers get the file's bytes the same way.
std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
            bytes.resize(static_cast<size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        }
    }
    std::fclose(file);
    return bytes;
}

// ---- The two readers ----

// As the program reads its log: the model with every option on, loaded from
// the file's bytes (freed once loaded), then the section copied out whole.
TStringList ReadWithModel(const std::string& path) {
    TepIniModel model(AllIniOptions());
    model.LoadText(ReadWholeFile(path));
    TStringList section;
    model.ReadSectionValues(kLargestSection, section);
    return section;
}

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 32) line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32) line.remove_suffix(1);
    return line;
}

// The plain way: the whole file, its lines, trimmed, and the section's lines.
TStringList ReadPlainly(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    std::vector<std::string> lines;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        lines.emplace_back(Trimmed(std::string_view(bytes).substr(start, end - start)));
        start = end + 1;
    }
    const std::string header = std::string("[") + kLargestSection + "]";
    TStringList section;
    bool inside = false;
    for (const std::string& line : lines) {
        if (!line.empty() && line.front() == '[') {
            inside = line == header;
        } else if (inside && !line.empty()) {
            section.push_back(line);
        }
    }
    return section;
}

// ---- Measuring ----

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"), or -1.
long ReadStatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    }
    return -1;
}

// One reading, as the program does it: once, in a process of its own. Prints
// the time it took and the growth of the peak resident size meanwhile.
int ReportOneReading(const std::string& which, const std::string& path) {
    const long before = ReadStatusKb("VmRSS");
    const auto start = std::chrono::steady_clock::now();
    const TStringList section = which == "model" ? ReadWithModel(path) : ReadPlainly(path);
    const auto end = std::chrono::steady_clock::now();
    const long peak = ReadStatusKb("VmHWM");
    if (before < 0 || peak < 0 || section.empty()) return 1;
    std::printf("%.3f %ld %zu\n", std::chrono::duration<double, std::milli>(end - start).count(),
                peak - before, section.size());
    return 0;
}

double TimeMs(TStringList (*reader)(const std::string&), const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    const TStringList section = reader(path);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Reading {
    double ms = -1;
    double kb = -1;
    size_t lines = 0;
};

// Runs this program again as "--one WHICH PATH" and reads what it prints.
// A fresh process each time: the allocator's state left by one reading
// would otherwise favour or burden the next, and the program reads its log
// in a fresh process too.
Reading ReadInChild(const std::string& which, const std::string& path) {
    Reading reading;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return reading;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execl("/proc/self/exe", "reader_bench", "--one", which.c_str(), path.c_str(), nullptr);
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string output;
    char buffer[128];
    ssize_t n = 0;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return reading;
    if (std::sscanf(output.c_str(), "%lf %lf %zu", &reading.ms, &reading.kb, &reading.lines) != 3) return Reading{};
    return reading;
}

void PrintSpread(const char* name, const std::vector<double>& values, const char* unit) {
    std::printf("  %-6s median %9.2f %s  min-max %.2f-%.2f\n", name, Median(values), unit,
                *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()));
}

int RunBenchmark(int lineCount, int runs) {
    char dirTemplate[] = "/tmp/tamsk-reader-XXXXXX";
    const char* dir = mkdtemp(dirTemplate);
    if (dir == nullptr) {
        std::printf("cannot make a temporary directory\n");
        return 1;
    }
    const std::string path = std::string(dir) + "/install.log";
    const std::string log = MakeLog(lineCount);
    if (!WriteWholeFile(path, log)) {
        std::printf("cannot write %s\n", path.c_str());
        return 1;
    }
    const size_t logLines = CountLines(log);
    std::printf("log: %zu lines, %zu bytes (%.2f MB), largest section [%s]\n", logLines, log.size(),
                static_cast<double>(log.size()) / 1e6, kLargestSection);

    // Both must hand over the same lines, or the comparison means nothing.
    const TStringList byModel = ReadWithModel(path);
    const TStringList plain = ReadPlainly(path);
    if (byModel != plain || byModel.empty()) {
        std::printf("FAILED the two readers disagree on [%s]: %zu and %zu lines\n", kLargestSection,
                    byModel.size(), plain.size());
        return 1;
    }

    for (int i = 0; i < kWarmUpRuns; ++i) {
        ReadInChild("model", path);
        ReadInChild("plain", path);
    }
    std::vector<double> modelMs, plainMs, modelKb, plainKb, ratios;
    for (int i = 0; i < runs; ++i) {
        Reading a;
        Reading b;
        if (i % 2 == 0) {
            a = ReadInChild("model", path);
            b = ReadInChild("plain", path);
        } else {
            b = ReadInChild("plain", path);
            a = ReadInChild("model", path);
        }
        if (a.ms <= 0 || b.ms <= 0 || a.lines != plain.size() || b.lines != plain.size()) {
            std::printf("FAILED a reading in a child process failed\n");
            return 1;
        }
        modelMs.push_back(a.ms);
        plainMs.push_back(b.ms);
        modelKb.push_back(a.kb);
        plainKb.push_back(b.kb);
        ratios.push_back(a.ms / b.ms);
    }
    std::printf("time, %d interleaved readings each, one fresh process per reading, section of %zu lines:\n",
                runs, plain.size());
    PrintSpread("model", modelMs, "ms");
    PrintSpread("plain", plainMs, "ms");
    const double ratio = Median(ratios);
    std::printf("  model/plain: median of the pair ratios %.2f (ratio of the medians %.2f), target at most 1.10\n",
                ratio, Median(modelMs) / Median(plainMs));

    // The same readings repeated in this one process: memory the allocator
    // already holds is reused, so this compares the work on the lines alone.
    for (int i = 0; i < kWarmUpRuns; ++i) {
        TimeMs(ReadWithModel, path);
        TimeMs(ReadPlainly, path);
    }
    std::vector<double> warmModel, warmPlain, warmRatios;
    for (int i = 0; i < runs; ++i) {
        const bool modelFirst = i % 2 == 0;
        const double first = TimeMs(modelFirst ? ReadWithModel : ReadPlainly, path);
        const double second = TimeMs(modelFirst ? ReadPlainly : ReadWithModel, path);
        warmModel.push_back(modelFirst ? first : second);
        warmPlain.push_back(modelFirst ? second : first);
        warmRatios.push_back(warmModel.back() / warmPlain.back());
    }
    std::printf("time, %d interleaved readings each, repeated in one process (memory reused):\n", runs);
    PrintSpread("model", warmModel, "ms");
    PrintSpread("plain", warmPlain, "ms");
    const double warmRatio = Median(warmRatios);
    std::printf("  model/plain: median of the pair ratios %.2f (ratio of the medians %.2f)\n", warmRatio,
                Median(warmModel) / Median(warmPlain));

    const double logKb = static_cast<double>(log.size()) / 1024.0;
    std::printf("peak memory while reading (growth of the resident size):\n");
    PrintSpread("model", modelKb, "kB");
    PrintSpread("plain", plainKb, "kB");
    std::printf("  model %.2f x the log's size (target at most 4), plain %.2f x\n", Median(modelKb) / logKb,
                Median(plainKb) / logKb);
    std::printf(
        "RESULT lines=%zu bytes=%zu model_ms=%.2f plain_ms=%.2f ratio=%.3f warm_model_ms=%.2f "
        "warm_plain_ms=%.2f warm_ratio=%.3f model_kb=%.0f plain_kb=%.0f\n",
        logLines, log.size(), Median(modelMs), Median(plainMs), ratio, Median(warmModel), Median(warmPlain),
        warmRatio, Median(modelKb), Median(plainKb));

    std::remove(path.c_str());
    rmdir(dir);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--one") return ReportOneReading(argv[2], argv[3]);
    const int lines = argc > 1 ? std::atoi(argv[1]) : kDefaultLines;
    const int runs = argc > 2 ? std::atoi(argv[2]) : kDefaultRuns;
    if (lines < 1000 || runs < 1) {
        std::printf("usage: reader_bench [LINES [RUNS]]   (LINES at least 1000)\n");
        return 2;
    }
    return RunBenchmark(lines, runs);
}
