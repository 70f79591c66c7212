// unvrel-check as an installer build runs it: over the example logs of
// docs/log-format.md (all clean) and over the bad logs of tests/data/check,
// each of which names its expected findings in comments:
//   "; expect: SEVERITY CODE"       a finding on the next line that is no such comment
//   "; expect file: SEVERITY CODE"  a finding about the whole file
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "../support/DocExamples.h"

namespace {

namespace fs = std::filesystem;

struct CheckerRun {
    int exitCode = -1;
    std::string output;
};

CheckerRun RunChecker(const std::string& arguments) {
    CheckerRun run;
    const std::string command = std::string(UNVREL_CHECK_EXE) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

// "LINE SEVERITY CODE" for every "; expect" comment of a bad log, sorted.
std::vector<std::string> ExpectedFindings(const std::string& text) {
    std::vector<std::string> expected;
    std::vector<std::string> pending;
    int line = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string content = text.substr(start, end - start);
        if (!content.empty() && content.back() == '\r') content.pop_back();
        start = end + 1;
        ++line;
        if (content.rfind("; expect file: ", 0) == 0) {
            expected.push_back("0 " + content.substr(15));
        } else if (content.rfind("; expect: ", 0) == 0) {
            pending.push_back(content.substr(10));
        } else {
            for (const std::string& finding : pending) expected.push_back(std::to_string(line) + " " + finding);
            pending.clear();
        }
    }
    std::sort(expected.begin(), expected.end());
    return expected;
}

// "LINE SEVERITY CODE" for every finding line of the checker's text output, sorted.
std::vector<std::string> ReportedFindings(const std::string& output) {
    static const std::regex finding(R"(^.*?(?::(\d+))?: (error|warning|note): .* \(([a-z0-9-]+)\)$)");
    std::vector<std::string> reported;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(start, end - start);
        start = end + 1;
        std::smatch match;
        if (!std::regex_match(line, match, finding)) continue;
        const std::string number = match[1].matched ? match[1].str() : "0";
        reported.push_back(number + " " + match[2].str() + " " + match[3].str());
    }
    std::sort(reported.begin(), reported.end());
    return reported;
}

int ExitCodeFor(const std::vector<std::string>& findings) {
    int code = 0;
    for (const std::string& f : findings) {
        if (f.find(" error ") != std::string::npos) return 2;
        if (f.find(" warning ") != std::string::npos) code = 1;
    }
    return code;
}

TEST(CheckProgram, FindsInEachBadLogExactlyWhatItsCommentsExpect) {
    const fs::path dir = fs::path(TAMSK_SOURCE_DIR) / "tests" / "data" / "check";
    int logs = 0;
    for (const auto& file : fs::directory_iterator(dir)) {
        if (file.path().extension() != ".log") continue;
        ++logs;
        const std::vector<std::string> expected = ExpectedFindings(ReadFile(file.path()));
        const CheckerRun run = RunChecker(Quote(file.path()));
        EXPECT_EQ(ReportedFindings(run.output), expected) << file.path() << "\n" << run.output;
        EXPECT_EQ(run.exitCode, ExitCodeFor(expected)) << file.path();
    }
    EXPECT_GE(logs, 5);
}

TEST(CheckProgram, FindsTheDocumentsExampleLogsClean) {
    int untagged = 0;
    const std::vector<docs::ExampleLog> examples = docs::ExtractExampleLogs(
        ReadFile(fs::path(TAMSK_SOURCE_DIR) / "docs" / "log-format.md"), untagged);
    EXPECT_EQ(untagged, 0) << "every ini block of the document must be an example log";
    ASSERT_GE(examples.size(), 5u);

    const fs::path dir = fs::path(TAMSK_CHECK_WORK_DIR) / "doc-examples";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string arguments = "--json";
    for (const docs::ExampleLog& example : examples) {
        const fs::path path = dir / (example.name + ".log");
        std::ofstream(path, std::ios::binary) << example.log;
        arguments += " " + Quote(path);
    }
    const CheckerRun run = RunChecker(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("\"severity\":\"error\""), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("\"severity\":\"warning\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\"exitCode\":0}"), std::string::npos) << run.output;
}

// A directory among the logs, as a build's glob may pass one: a finding of
// its own, and every other log still checked and reported.
TEST(CheckProgram, ReportsAnUnreadableArgumentAndChecksTheOthers) {
    const fs::path dir = fs::path(TAMSK_CHECK_WORK_DIR) / "unreadable";
    fs::remove_all(dir);
    fs::create_directories(dir / "logs.d");
    std::ofstream(dir / "good.log", std::ios::binary) << "[CopyFiles]\r\nC:\\App\\a.exe=1\r\n";
    std::ofstream(dir / "bad.log", std::ios::binary) << "[CopyFiles]\r\nApp\\a.exe=1\r\n";
    const CheckerRun run = RunChecker(Quote(dir / "good.log") + " " + Quote(dir / "logs.d") + " " +
                                      Quote(dir / "bad.log"));
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("logs.d: error: the file cannot be read: it is a directory"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("good.log: 0 errors, 0 warnings, 0 notes"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("bad.log:2: warning: "), std::string::npos) << run.output;
}

TEST(CheckProgram, TellsHowItIsUsed) {
    EXPECT_EQ(RunChecker("").exitCode, 2);
    EXPECT_EQ(RunChecker("--frobnicate x.log").exitCode, 2);
    const CheckerRun missing = RunChecker("/nonexistent/install.log");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.output.find("(unreadable)"), std::string::npos) << missing.output;
    const CheckerRun help = RunChecker("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("usage: unvrel-check"), std::string::npos);
}

}  // namespace
