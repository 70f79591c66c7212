// The use count of a shared file in whatever type it is stored (see UnVrelUseCount.h).
#include "core/UnVrelUseCount.h"

#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t kLargestCount = std::numeric_limits<std::int32_t>::max();
// More digits than this cannot fit, whatever they are.
constexpr std::size_t kMostDigits = 10;

std::uint64_t LittleEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i > 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i - 1]);
    return value;
}

std::uint64_t BigEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (char byte : bytes) value = (value << 8) | static_cast<unsigned char>(byte);
    return value;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<std::int32_t> ReadDecimal(std::string_view data) {
    const std::size_t end = data.find('\0');
    if (end != std::string_view::npos) data = data.substr(0, end);
    while (!data.empty() && IsBlank(data.front())) data.remove_prefix(1);
    while (!data.empty() && IsBlank(data.back())) data.remove_suffix(1);
    if (data.empty() || data.size() > kMostDigits) return std::nullopt;
    std::int64_t value = 0;
    for (char c : data) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > kLargestCount) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string Bytes(std::uint64_t value, std::size_t count, bool bigEndian) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        const char byte = static_cast<char>((value >> (8 * i)) & 0xFF);
        bytes[bigEndian ? count - 1 - i : i] = byte;
    }
    return bytes;
}

}  // namespace

std::optional<std::int32_t> ReadUseCount(std::uint32_t type, std::string_view data) {
    switch (type) {
        case kRegDword:
            if (data.empty() || data.size() > 4) return std::nullopt;
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(LittleEndian(data)));
        case kRegDwordBigEndian:
            if (data.size() != 4) return std::nullopt;
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(BigEndian(data)));
        case kRegQword: {
            if (data.size() != 8) return std::nullopt;
            const auto value = static_cast<std::int64_t>(LittleEndian(data));
            if (value < std::numeric_limits<std::int32_t>::min() || value > kLargestCount)
                return std::nullopt;
            return static_cast<std::int32_t>(value);
        }
        case kRegSz:
        case kRegExpandSz: return ReadDecimal(data);
        default: return std::nullopt;
    }
}

std::string UseCountData(std::uint32_t type, std::int32_t count) {
    const auto bits = static_cast<std::uint32_t>(count);
    switch (type) {
        case kRegDwordBigEndian: return Bytes(bits, 4, true);
        case kRegQword:
            return Bytes(static_cast<std::uint64_t>(static_cast<std::int64_t>(count)), 8, false);
        case kRegSz:
        case kRegExpandSz: return std::to_string(count) + '\0';
        default: return Bytes(bits, 4, false);
    }
}
