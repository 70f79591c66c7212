// Telling a text file's encoding, and UTF-16 LE <-> UTF-8.
#include "core/epTextEncoding.h"

#include <cstdint>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

unsigned char ByteAt(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

// Length of the UTF-8 sequence at i and its code point; 0 when it is not a
// well-formed one.
std::size_t DecodeUtf8(std::string_view bytes, std::size_t i, std::uint32_t& code) {
    const unsigned char lead = ByteAt(bytes, i);
    std::size_t length = 0;
    std::uint32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07u, least = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - i < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = ByteAt(bytes, i + k);
        if ((next & 0xC0u) != 0x80u) return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}


void AppendUnit(std::string& out, std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

bool HasNonAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

}  // namespace

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::size_t FirstNonUtf8(std::string_view bytes) {
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = DecodeUtf8(bytes, i, code);
        if (length == 0) return i;
        i += length;
    }
    return std::string_view::npos;
}

bool IsValidUtf8(std::string_view bytes) { return FirstNonUtf8(bytes) == std::string_view::npos; }

TTextEncoding DetectTextEncoding(std::string_view bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        const std::optional<std::string> text = Utf16LeToUtf8(bytes);
        // A NUL character is no more text in UTF-16 than a NUL byte is in ANSI.
        if (!text || text->find('\0') != std::string::npos) return TTextEncoding::Unknown;
        return TTextEncoding::Utf16Le;
    }
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return TTextEncoding::Unknown;
    if (bytes.find('\0') != std::string_view::npos) return TTextEncoding::Unknown;
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        return IsValidUtf8(bytes) ? TTextEncoding::Utf8 : TTextEncoding::Unknown;
    if (HasNonAscii(bytes) && IsValidUtf8(bytes)) return TTextEncoding::Utf8;
    return TTextEncoding::Ansi;
}

std::optional<std::string> Utf16LeToUtf8(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::string out;
    out.reserve(bytes.size());
    const auto unitAt = [&bytes](std::size_t i) {
        return static_cast<std::uint32_t>(ByteAt(bytes, i) | (ByteAt(bytes, i + 1) << 8));
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(i);
        if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
        if (unit < 0xD800 || unit > 0xDBFF) {
            AppendUtf8(out, unit);
            continue;
        }
        if (i + 3 >= bytes.size()) return std::nullopt;
        const std::uint32_t low = unitAt(i + 2);
        if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = DecodeUtf8(utf8, i, code);
        // Only valid text comes here; a stray byte keeps its place as U+FFFD.
        if (length == 0) length = 1, code = 0xFFFD;
        i += length;
        if (code < 0x10000) {
            AppendUnit(out, code);
        } else {
            code -= 0x10000;
            AppendUnit(out, 0xD800 + (code >> 10));
            AppendUnit(out, 0xDC00 + (code & 0x3FF));
        }
    }
    return out;
}
