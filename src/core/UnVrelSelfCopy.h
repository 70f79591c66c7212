// The rules of the run from a temporary copy that need no system: the copy's
// command line, its private folder's name, the names of its signal to the
// first process, and how paths nest.
//
// Paths compared here are identities: full long paths in one letter case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The command line that starts the copy: its path in double quotes, the
// arguments of the first process's command line as written, and the internal
// option naming the first process.
std::string CopyCommandLine(std::string_view commandLine, std::string_view copyPath,
                            unsigned long firstProcessId);
// The same over the system's wide command line, whose arguments then reach
// the copy exactly as the first process got them, whatever their characters.
std::wstring CopyCommandLine(std::wstring_view commandLine, std::wstring_view copyPath,
                             unsigned long firstProcessId);

// Every internal option naming a first process among the command line's
// arguments (after the log path) except the last, as written. The first
// process appends its own last; any before it came from whoever started the
// first process, and the copy treats them as unknown, as a direct run would.
std::vector<std::string> ForeignCopyOfOptions(std::string_view commandLine);

// A process id written as decimal digits only, from 1 to 4294967295;
// nothing for anything else (signs, blanks, hexadecimal, overflow).
std::optional<unsigned long> ParseProcessId(std::string_view text);

// True when path is dir itself or lies anywhere below it. A dir ending in a
// backslash (a drive root) holds every path that starts with it.
bool IsSameOrWithin(std::string_view path, std::string_view dir);

// The name of the copy's private folder: "UnVrel-" and the random number as
// 16 hexadecimal digits.
std::string CopyFolderName(std::uint64_t random);

// True for a folder name that CopyFolderName can give (letter case aside).
bool IsCopyFolderName(std::string_view name);

// The names of the objects through which the first process and its copy
// talk: the shared record (the copy's exit code; the handle by which the
// copy holds its own file) and the signal that the exit code is there.
std::string CopyRecordName(unsigned long firstProcessId);
std::string CopyFinishedName(unsigned long firstProcessId);

// The slots of the shared record.
constexpr int kCopyExitCodeSlot = 0;
constexpr int kCopyHoldSlot = 1;

// Where the copy moves its own file at the end of the run, out of its
// folder so that the folder can go: beside the folder in the temporary
// folder, the folder's name with ".tmp" appended.
std::string LeftCopyName(std::string_view copyFolderName);
