// The system folder in the two views of 64-bit Windows. A 32-bit program
// that names Windows\System32 reaches Windows\SysWOW64 (except for a few
// folders the system leaves where they are), and reaches the real System32
// through the alias Windows\Sysnative; a 64-bit program reaches what it
// names. A log entry means the folder its installer reached, so the path
// this program must use depends on the entry's view, on the system, and on
// this program's own bitness. Pure: the caller says what the machine is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/epView.h"

// What the machine is: where its Windows directory lies, whether it is
// 64-bit, and whether this program is a 64-bit one.
struct TSystemLayout {
    std::string WindowsDir;  // "C:\Windows", without a trailing backslash
    bool Windows64 = false;
    bool Program64 = false;
};

// The path through which this program reaches what path names in the view.
// Paths outside the system folder, and every path in the Native view, stay as
// they are. Below Windows\System32 or Windows\Sysnative (letter case aside,
// "/" read as "\", and in the rules' normalized form when the path is
// spelled otherwise):
//   - 64-bit program: a 32-bit entry's System32 is SysWOW64, except
//     catroot, catroot2, driverstore, drivers\etc, logfiles and spool;
//     Sysnative is System32 in either view;
//   - 32-bit program on 64-bit Windows: a 64-bit entry's System32 is
//     Sysnative; a 32-bit entry's path is left to the system;
//   - 32-bit Windows: a 64-bit entry's System32 names nothing (nullopt).
// The part of the path after the folder is kept as written (wildcards too).
std::optional<std::string> PathInView(std::string_view path, TView view,
                                      const TSystemLayout& layout);

// The path by which a program of the other bitness on 64-bit Windows
// reaches what this program reaches by path (a 32-bit program's System32 is
// the other's SysWOW64, its Sysnative the other's System32, and the other way
// round). Unchanged on 32-bit Windows.
std::string PathForOtherBitness(std::string_view path, const TSystemLayout& layout);

// True when the part of a path below System32 (no leading backslash) lies in
// one of the folders that the system does not redirect for 32-bit programs.
bool IsUnredirectedSystemPath(std::string_view belowSystem32);
