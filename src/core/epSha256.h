// SHA-256 digests of byte strings, for names that must stay short and free of
// any character of the text they stand for.
#pragma once

#include <string>
#include <string_view>

// The SHA-256 digest of the bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);
