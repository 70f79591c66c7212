// Directory walking: the entries of one directory that match a path with
// wildcards, filtered by their attributes, each with its full path. The
// search never descends into subdirectories and never yields "." or "..".
//
// Calling order: SearchFirst; while the last result is 0, use the record's
// fields and call SearchNext; then SearchClose. The record also closes its
// search when it goes out of scope, so an exception cannot leak the handle.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

// Attributes of which an entry needs at least one; this value means any entry.
constexpr DWORD kAnyAttribute = 0x3F;
// Attributes that keep directories and volume labels out: files only.
constexpr DWORD kNonFileAttributes = FILE_ATTRIBUTE_DIRECTORY | 0x08;

// One search in progress; the caller owns it and passes it to every call.
struct TSearchRecEx {
    DWORD Time = 0;         // last write, local time, DOS date (high word) and time (low word)
    DWORD Size = 0;         // low 32 bits of the size in bytes
    DWORD Attr = 0;         // the entry's file attributes
    std::string Path;       // the mask's directory part, up to its last "\" or ":"
    std::string Name;       // the entry's name
    std::string FullName;   // Path followed by Name
    DWORD IncludeAttr = 0;  // an entry needs one of these (kAnyAttribute: any entry)
    DWORD ExcludeAttr = 0;  // an entry may have none of these
    UniqueFind FindHandle;  // the system's search; invalid when none is open
    WIN32_FIND_DATAA FindData{};  // the system's data on the current entry
};

// Starts a search over mask (a search the record still holds is closed
// first). include 0 means any entry. 0 when the record holds a first match,
// else the system error code: ERROR_PATH_NOT_FOUND for a missing directory,
// ERROR_FILE_NOT_FOUND when the system finds nothing that matches,
// ERROR_NO_MORE_FILES when it finds only what the search passes over ("."
// and "..", or entries the attributes keep out), ERROR_INVALID_NAME for a
// mask holding a NUL byte; the record then holds no open search.
DWORD SearchFirst(const std::string& mask, DWORD include, DWORD exclude, TSearchRecEx& rec);

// True when SearchFirst's result says the directory was read: a first match,
// or only what the search passes over. For a search over a whole directory
// ("dir\*"), false means that the directory is missing or may not be read,
// or that it is an empty drive root (the one kind without "." and "..").
bool IsDirectoryRead(DWORD searchFirstResult);

// Moves to the next match: 0, or the system error code (ERROR_NO_MORE_FILES
// at the end). Deleting the current match's file first does not disturb it.
DWORD SearchNext(TSearchRecEx& rec);

// Ends the search; the record may then start another one.
void SearchClose(TSearchRecEx& rec);
