// The standard string-to-integer conversion: decimal or "$" hexadecimal, 32 bits.
#include "core/sysutilNumbers.h"

#include <cstddef>

namespace {

constexpr std::uint32_t kMaxPositive = 0x7FFFFFFFu;

int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The 32 bits of magnitude, negated modulo 2^32 when negative, read as a
// two's-complement integer without relying on implementation-defined casts.
std::int32_t FromBits(std::uint32_t magnitude, bool negative) {
    const std::uint32_t bits = negative ? 0u - magnitude : magnitude;
    if (bits <= kMaxPositive) return static_cast<std::int32_t>(bits);
    return -static_cast<std::int32_t>(~bits) - 1;
}

}  // namespace

bool TryStrToInt(std::string_view text, std::int32_t& result) {
    std::size_t i = 0;
    // Only spaces count as leading blanks, as in the runtime this mirrors.
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const bool hex = i < text.size() && text[i] == '$';
    if (hex) ++i;
    if (i == text.size()) return false;

    // Hexadecimal takes up to 32 bits as they stand; decimal must stay within
    // the signed range, the negative side one further than the positive.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : kMaxPositive + std::uint64_t{negative};
    const unsigned base = hex ? 16 : 10;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], hex);
        if (digit < 0) return false;
        value = value * base + static_cast<unsigned>(digit);
        if (value > limit) return false;
    }
    result = FromBits(static_cast<std::uint32_t>(value), negative);
    return true;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
    std::int32_t value = def;
    return TryStrToInt(text, value) ? value : def;
}

std::int32_t ToIntegerOrZero(std::string_view text) { return StrToIntDef(text, 0); }
