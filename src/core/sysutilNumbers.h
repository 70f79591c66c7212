// The standard string-to-integer conversion used for every number read from the log.
//
// Accepted: optional leading spaces (not tabs), an optional sign, then decimal
// digits or "$" followed by hexadecimal digits (the 32 bits taken as they
// stand, so "$FFFFFFFF" is -1 and "-$1" is -1 too). The whole text must be
// consumed and the value must fit 32 bits (decimal -2147483648..2147483647,
// hexadecimal up to eight significant digits); anything else, including an
// empty text, a lone sign or "$" and trailing blanks, is invalid and the
// caller's default applies.
#pragma once

#include <cstdint>
#include <string_view>

// True and the value in result when text converts; false and result untouched otherwise.
bool TryStrToInt(std::string_view text, std::int32_t& result);

// The converted value, or def when text does not convert.
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);

// The converted value, or 0 when text does not convert.
std::int32_t ToIntegerOrZero(std::string_view text);
