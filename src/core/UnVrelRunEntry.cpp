// Taking apart the entries of the programs to run before and after the removal.
#include "core/UnVrelRunEntry.h"

#include "core/epStrUtils.h"
#include "core/sysutilNumbers.h"

int ShowCommandOf(std::string_view field) {
    switch (StrToIntDef(field, 1)) {
        case 0: return kShowHide;
        case 2: return kShowMaximized;
        case 3: return kShowMinimized;
        default: return kShowNormal;
    }
}

TRunEntry ParseRunEntry(std::string_view value) {
    TRunEntry entry;
    entry.Program = StripQuotes(GetField(1, value, CommaSet()), kDoubleQuote);
    entry.Parameters = GetField(2, value, CommaSet());
    entry.Directory = GetField(3, value, CommaSet());
    entry.Show = ShowCommandOf(GetField(4, value, CommaSet()));
    entry.StatusText = StripQuotes(GetField(5, value, CommaSet()), kDoubleQuote);
    return entry;
}
