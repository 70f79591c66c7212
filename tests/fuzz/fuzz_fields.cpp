// Fuzz target for the field, quote and mask helpers and the integer conversion:
// none may crash or read outside its strings, and each keeps its cheap invariants.
#include "core/epStrUtils.h"
#include "core/sysutilNumbers.h"

#include "FuzzSupport.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void CheckFields(std::string_view line) {
    static const std::int32_t kNumbers[] = {INT_MIN, -1, 0, 1, 2, 3, 7, 1000, INT_MAX};
    for (std::int32_t n : kNumbers) {
        Require(GetField(n, line, CommaSet()).size() <= line.size());
    }
    Require(GetField(0, line, CommaSet()) == GetField(1, line, CommaSet()));

    // The first byte tells how many of the next bytes make a set of their own;
    // what follows them is the line.
    if (line.empty()) return;
    std::size_t setSize = static_cast<unsigned char>(line[0]) % 4;
    if (setSize > line.size() - 1) setSize = line.size() - 1;
    const TCharSet set = TCharSet::Of(line.substr(1, setSize));
    const std::string_view rest = line.substr(1 + setSize);
    for (std::int32_t n : kNumbers) Require(GetField(n, rest, set).size() <= rest.size());
}

void CheckQuotes(std::string_view text) {
    for (char q : {kApostrophe, kDoubleQuote}) {
        const std::string stripped = StripQuotes(text, q);
        Require(stripped.size() <= text.size());
        if (text.empty() || text[0] != q) Require(stripped == text);
    }
}

void CheckReplace(std::string_view text, std::string_view old) {
    Require(ReplaceAll(text, old, old) == text);
    const std::string removed = ReplaceAll(text, old, "");
    Require(removed.size() <= text.size());
    if (!old.empty()) Require(ReplaceAll(text, old, "\r").size() <= text.size());
}

void CheckMask(std::string_view text, std::string_view mask) {
    for (bool ignoreCase : {false, true}) {
        MatchesMask(text, mask, ignoreCase);
        MatchesMask(mask, text, ignoreCase);
        Require(MatchesMask(text, text, ignoreCase));
        Require(MatchesMask(text, "*", ignoreCase));
    }

    const std::size_t p = WildPos(mask, text);
    if (p > 0) {
        Require(p - 1 + mask.size() <= text.size());
        for (std::size_t i = 0; i < mask.size(); ++i) {
            Require(mask[i] == '?' || mask[i] == text[p - 1 + i]);
        }
    }

    std::string cut(mask);
    const std::size_t star = CutAtStar(cut);
    if (star == 0) {
        Require(cut == mask && mask.find('*') == std::string_view::npos);
    } else {
        Require(star <= mask.size() && mask[star - 1] == '*');
        Require(cut.size() == star - 1 && mask.substr(0, star - 1) == cut);
        Require(cut.find('*') == std::string::npos);
    }
}

void CheckNumber(std::string_view text) {
    std::int32_t value = 0;
    if (TryStrToInt(text, value)) {
        Require(ToIntegerOrZero(text) == value);
        std::int32_t again = ~value;
        Require(TryStrToInt(std::to_string(value), again) && again == value);
    } else {
        Require(StrToIntDef(text, 77) == 77);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const bool hasNul = nul != std::string_view::npos;
    const std::string_view text = input.substr(0, hasNul ? nul : size / 2);
    const std::string_view mask = input.substr(hasNul ? nul + 1 : size / 2);

    CheckFields(input);
    CheckQuotes(input);
    CheckReplace(text, mask);
    CheckMask(text, mask);
    CheckNumber(input);
    CheckNumber(text);
    return 0;
}
