// Moving a resizable dialog's controls with its edges.
#include "win/epDialogLayout.h"

namespace {

RECT MovedRect(RECT rect, TAnchor anchor, int dx, int dy) {
    switch (anchor) {
        case TAnchor::Top: rect.right += dx; break;
        case TAnchor::Fill:
            rect.right += dx;
            rect.bottom += dy;
            break;
        case TAnchor::Bottom:
            rect.top += dy;
            rect.bottom += dy;
            rect.right += dx;
            break;
        case TAnchor::BottomRight: OffsetRect(&rect, dx, dy); break;
    }
    return rect;
}

}  // namespace

void TDialogLayout::Record(HWND dialog, std::initializer_list<std::pair<int, TAnchor>> controls) {
    RECT client{};
    RECT window{};
    if (!GetClientRect(dialog, &client) || !GetWindowRect(dialog, &window)) return;
    client_ = SIZE{client.right, client.bottom};
    minimum_ = POINT{window.right - window.left, window.bottom - window.top};
    placed_.clear();
    for (const auto& [id, anchor] : controls) {
        const HWND control = GetDlgItem(dialog, id);
        RECT rect{};
        if (control == nullptr || !GetWindowRect(control, &rect)) continue;
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        placed_.push_back(TPlaced{id, anchor, rect});
    }
}

void TDialogLayout::Apply(HWND dialog) const {
    RECT client{};
    if (placed_.empty() || !GetClientRect(dialog, &client) || client.right == 0 ||
        client.bottom == 0)
        return;
    const int dx = client.right - client_.cx;
    const int dy = client.bottom - client_.cy;
    for (const TPlaced& control : placed_) {
        const RECT rect = MovedRect(control.Start, control.Anchor, dx, dy);
        SetWindowPos(GetDlgItem(dialog, control.Id), nullptr, rect.left, rect.top,
                     rect.right - rect.left, rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The wrapped texts are drawn anew for their new width.
    InvalidateRect(dialog, nullptr, TRUE);
}
