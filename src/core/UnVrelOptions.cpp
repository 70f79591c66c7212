// Finding the log path among the arguments, and reading the options through
// one table of known options.
#include "core/UnVrelOptions.h"

#include <cstddef>
#include <utility>

#include "core/UnVrelCommandLine.h"
#include "core/epAsciiCase.h"

namespace {

// One known option: a flag ("/S") sets a bool member, a valued option
// ("/LOG=path") sets a string member. Exactly one of the two is given.
struct TOptionRule {
    std::string_view Name;
    bool TRunOptions::*Flag;
    std::string TRunOptions::*Value;
};

const TOptionRule kOptionTable[] = {
    {"S", &TRunOptions::Silent, nullptr},
    {"DELSHARED", &TRunOptions::DeleteUnusedShared, nullptr},
    {"LOG", nullptr, &TRunOptions::ReportPath},
    {kCopyOfOptionName, nullptr, &TRunOptions::CopyOf},
    {"PREVIEW", &TRunOptions::Preview, nullptr},
    {"NORESTART", &TRunOptions::NoRestart, nullptr},
};

bool IsOption(std::string_view argument) {
    return !argument.empty() && (argument[0] == '/' || argument[0] == '-');
}

// Applies the option (its leading "/" or "-" already gone); false when no
// rule takes it as written.
bool ApplyOption(std::string_view text, TRunOptions& options) {
    const std::size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    for (const TOptionRule& rule : kOptionTable) {
        if (!SameTextAscii(name, rule.Name)) continue;
        if (rule.Flag != nullptr) {
            if (equals != std::string_view::npos) return false;
            options.*rule.Flag = true;
            return true;
        }
        if (equals == std::string_view::npos || equals + 1 == text.size()) return false;
        options.*rule.Value = std::string(text.substr(equals + 1));
        return true;
    }
    return false;
}

}  // namespace

TRunOptions ParseRunOptionArguments(const std::vector<std::string>& arguments) {
    TRunOptions options;
    for (const std::string& argument : arguments) {
        if (!IsOption(argument)) continue;
        if (!ApplyOption(std::string_view(argument).substr(1), options))
            options.Unknown.push_back(argument);
    }
    return options;
}

std::string LogPathArgument(std::string_view commandLine) {
    for (int index = 1;; ++index) {
        std::string argument = ParamStr(commandLine, index);
        if (argument.empty() || !IsOption(argument)) return argument;
    }
}

TRunOptions ParseRunOptions(std::string_view commandLine) {
    std::vector<std::string> arguments;
    for (int index = 1;; ++index) {
        std::string argument = ParamStr(commandLine, index);
        if (argument.empty()) break;
        arguments.push_back(std::move(argument));
    }
    return ParseRunOptionArguments(arguments);
}
