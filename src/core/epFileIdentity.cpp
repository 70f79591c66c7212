// The text form of a file identity.
#include "core/epFileIdentity.h"

namespace {

void AppendHex(std::string& text, std::uint64_t value, int digits) {
    static const char kHex[] = "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::string FileIdentityText(const TFileIdentity& identity) {
    std::string text;
    AppendHex(text, identity.Volume, 8);
    text += '-';
    AppendHex(text, identity.Index, 16);
    return text;
}
