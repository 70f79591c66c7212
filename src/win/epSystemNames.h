// The one place that knows how the program's names reach the system: every
// name is held in the log's own encoding (its bytes as read), and the
// services hand it to the wide-character functions through this module.
//
// The encoding is process-wide, as the system's own ANSI code page is for the
// ANSI functions that it replaces: it is set once at start-up, as soon as the
// log's first bytes are known and before the worker starts, and never
// changes afterwards. Until it is set, names are ANSI.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/epNameEncoding.h"

// Makes encoding the encoding of every later conversion.
void SetNameEncoding(TNameEncoding encoding);
// The encoding set last (ANSI until SetNameEncoding is called).
TNameEncoding NameEncoding();

// The name in the system's characters. Bytes that do not form a character of
// the encoding become U+FFFD, so a damaged name never shrinks into another
// (least of all into an empty one, which the registry takes for the key itself).
std::wstring ToSystemName(std::string_view name);
// A name the system gave back, in the encoding; characters the ANSI code page
// lacks become "?", as the ANSI functions answer.
std::string FromSystemName(std::wstring_view name);
std::string FromSystemName(const wchar_t* name);

// Text in encoding from re-encoded in encoding to (unchanged when they are
// the same); characters that to lacks become "?".
std::string ConvertText(std::string_view text, TNameEncoding from, TNameEncoding to);

// A file path in the form that the system takes whole: a short rooted path
// unchanged; any other made full first (as the system would resolve it) and,
// when long, given the "\\?\" form ("\\?\UNC\" for a share). A path that
// already has a device prefix stays as it is.
std::wstring ToSystemPath(std::string_view path);

// The encoding of the log at path (a path in pathEncoding, whatever the
// encoding set), told by its first bytes: ANSI when it cannot be read.
TNameEncoding ReadLogEncoding(const std::string& path, TNameEncoding pathEncoding);

// The program's command line in encoding: as the system gives it to the
// ANSI functions for ANSI, converted from the wide one for UTF-8 (which
// spells every character of it).
std::string ReadCommandLine(TNameEncoding encoding);
// The same in the encoding set.
std::string ReadCommandLine();
