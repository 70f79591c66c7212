// Letter case of the ASCII letters alone (see epAsciiCase.h).
#include "core/epAsciiCase.h"

#include <cstddef>

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = UpperAscii(c);
    return upper;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithAscii(a, b);
}

bool StartsWithAscii(std::string_view text, std::string_view head) {
    if (text.size() < head.size()) return false;
    for (std::size_t i = 0; i < head.size(); ++i) {
        if (UpperAscii(text[i]) != UpperAscii(head[i])) return false;
    }
    return true;
}
