// A file that cannot be swapped: written new, then held open so that no one
// can write, rename or delete it while it is held, and deleted by the system
// when its last handle closes. The temporary copy of the program is one: its
// first process writes and holds it, the copy inherits the hold.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

// Creates the file at path (it must not exist yet) with bytes, then holds it:
// the handle reads, may rename the file, shares it for reading only, closes
// with the file's deletion, and is inheritable (to hand it to a started
// process). Between the write and the hold another program with rights in
// the folder could have changed the file: the hold is kept only when the
// file holds bytes exactly. An empty handle when anything fails; a file
// already written then goes as the handle closes.
UniqueFile WriteHeldFile(const std::string& path, const std::string& bytes);

// Renames the held file to target (a full path on the same volume; it must
// not exist). False when the system refuses (GetLastError tells why).
bool RenameHeldFile(HANDLE file, const std::string& target);
