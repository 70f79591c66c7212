// The log path and the options on the command line.
//
// An option starts with "/" or "-"; its name is compared without regard to
// ASCII letter case; options come in any order, before or after the log
// path. The first argument that is not an option is the log; later ones are
// ignored, as a bare second argument always was. With no option at all the
// run is the interactive one it has always been.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TRunOptions {
    // /S: no confirmation, no dialog, no box; the exit code tells the outcome.
    bool Silent = false;
    // /DELSHARED: an unattended run removes shared files whose use count has
    // dropped to zero (the answer "Yes to all"); without it they are kept.
    bool DeleteUnusedShared = false;
    // /NORESTART: accepted for deployment tools, which add it to every
    // uninstall command; the program never restarts the machine anyway.
    bool NoRestart = false;
    // /PREVIEW: nothing is changed and nothing is started; what a run would
    // do is shown (or, unattended, written to the report) instead.
    bool Preview = false;
    // /LOG=path: where the removal report goes; empty for no report. The
    // path may be quoted; the quotes are gone here.
    std::string ReportPath;
    // /COPYOF=id (internal): this process is the temporary copy that the
    // process id started to do the run for it. Only the program itself passes
    // it; the copy honours it only when that process is really its parent.
    std::string CopyOf;
    // Every argument that looked like an option but is not one of ours (or
    // lacks its value, or has one it must not have), as written.
    std::vector<std::string> Unknown;
};

// The name of the internal option that names the first process.
constexpr std::string_view kCopyOfOptionName = "COPYOF";

// The first argument after the program (argument 0) that is not an option,
// split as ParamStr splits it; empty when there is none.
std::string LogPathArgument(std::string_view commandLine);

// The options among the command line's arguments after the program, split
// as ParamStr splits them. Never fails: what it does not understand lands in
// Unknown. To add an option, give TRunOptions a member and kOptionTable in
// UnVrelOptions.cpp a row.
TRunOptions ParseRunOptions(std::string_view commandLine);

// The same over arguments already split; those that are not options (the
// log path among them) are passed over.
TRunOptions ParseRunOptionArguments(const std::vector<std::string>& arguments);
