// A resizable dialog's controls following its edges: each control keeps its
// distance to the edges it is anchored to, and grows with the window along
// the sides anchored at both ends.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>
#include <vector>

// Which edges of the dialog a control follows.
enum class TAnchor {
    Top,          // stays at the top, grows in width
    Fill,         // grows in width and height
    Bottom,       // moves with the bottom edge, grows in width
    BottomRight,  // moves with the bottom and the right edge, keeps its size
};

class TDialogLayout {
public:
    // Takes the dialog's present client size and the controls' places as the
    // layout's start; a control id the dialog lacks is left out.
    void Record(HWND dialog, std::initializer_list<std::pair<int, TAnchor>> controls);

    // Moves the recorded controls to fit the dialog's present client size.
    // Nothing when nothing was recorded or the client area is empty (minimised).
    void Apply(HWND dialog) const;

    // The window size when recorded: the smallest the dialog may be made,
    // so that no control is pushed over another. Zero before Record.
    POINT MinimumSize() const noexcept { return minimum_; }

private:
    struct TPlaced {
        int Id;
        TAnchor Anchor;
        RECT Start;
    };
    std::vector<TPlaced> placed_;
    SIZE client_{0, 0};
    POINT minimum_{0, 0};
};
