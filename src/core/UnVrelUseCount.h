// The use count of a shared file as the registry holds it. It is meant to be
// a REG_DWORD, but installers have written it in other types; a count is read
// for what its data says and written back in the type it had, so that another
// program reading it finds what it expects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Registry value types, by the numbers the registry gives them.
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kRegQword = 11;

// The count that a value of that type with those data bytes states: a
// REG_DWORD of up to 4 bytes (little-endian, signed), a big-endian one of 4,
// a REG_QWORD of 8 within the signed 32-bit range, or a REG_SZ or
// REG_EXPAND_SZ of decimal digits (blanks around them allowed, the text ending
// at its first zero byte) within that range. Nothing for any other type or
// for data that states no number.
std::optional<std::int32_t> ReadUseCount(std::uint32_t type, std::string_view data);

// The data bytes that state count in the given type, as ReadUseCount reads
// them back (a string ends with its zero byte). A type that ReadUseCount
// does not read gets the REG_DWORD form.
std::string UseCountData(std::uint32_t type, std::int32_t count);
