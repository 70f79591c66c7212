// The names of the system objects through which two starts on the same log
// find each other: the run lock and the record of the process that shows the
// run's windows.
//
// Both names are taken from the log's full long path upper-cased, through a
// digest: any path, of any length and with any character, gives a name of
// fixed form that the object namespace accepts.
#pragma once

#include <string>
#include <string_view>

// The lock of the runs on the log at fullLongPath (the full path in its long
// form; letter case does not matter): "Local\TamskUninstaller.Run." and 64
// hexadecimal digits.
std::string RunLockName(std::string_view fullLongPath);

// The record, beside the lock, of the process whose windows show the run:
// "Local\TamskUninstaller.Owner." and the same digits as RunLockName.
std::string RunOwnerName(std::string_view fullLongPath);
