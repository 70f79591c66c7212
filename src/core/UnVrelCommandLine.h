// Taking the program's arguments apart, and formatting the "log not found" text.
#pragma once

#include <string>
#include <string_view>

// Argument `index` of a command line (0 is the program itself), or empty when
// there is none. Arguments are split at blanks and control characters (bytes
// up to 32); a double-quoted stretch may hold blanks and its quotes are
// removed; a lone pair of quotes between arguments counts as nothing.
std::string ParamStr(std::string_view commandLine, int index);

// Everything after argument 0 (the program), exactly as written: quotes and
// blanks between the arguments stay; the separators right after the program
// are gone. Empty when there is no argument.
std::string ArgumentsAfterProgram(std::string_view commandLine);

// The format with its first "%s" replaced by arg and every "%%" by "%". Any
// other conversion, and any "%s" after the first, stays as it stands: a
// replaced message text can never make the formatting read past its argument.
std::string FormatWithOneString(std::string_view format, std::string_view arg);

// The same for any one conversion ("%d" with a number already as text):
// only its first occurrence takes arg, "%%" gives "%", the rest stays as text.
std::string FormatWithOneArgument(std::string_view format, char conversion, std::string_view arg);
