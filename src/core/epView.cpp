// The two views of 64-bit Windows (see epView.h).
#include "core/epView.h"

std::optional<TView> ViewByName(std::string_view text) {
    if (text == "32") return TView::Bits32;
    if (text == "64") return TView::Bits64;
    return std::nullopt;
}

TView LogViewOf(std::string_view text) { return ViewByName(text).value_or(TView::Bits32); }

TView EntryView(TView own, TView log) { return own != TView::Native ? own : log; }

const char* ViewName(TView view) {
    switch (view) {
        case TView::Bits32: return "32-bit view";
        case TView::Bits64: return "64-bit view";
        case TView::Native: break;
    }
    return "own view";
}
