// Rectangle arithmetic behind the centred message boxes: where a window of a
// given size goes in the work area, and how it is kept on the screen.
//
// Pure code: the caller supplies the work area and the screen size that the
// system reports, so every rule can be checked without a display.
#pragma once

#include <cstdint>

// A rectangle in screen pixels; width is Right - Left, height Bottom - Top.
struct TRect {
    std::int32_t Left;
    std::int32_t Top;
    std::int32_t Right;
    std::int32_t Bottom;
};

inline bool operator==(const TRect& a, const TRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}
inline bool operator!=(const TRect& a, const TRect& b) { return !(a == b); }

// The rectangle of size width x height centred in workArea: its top-left corner
// is workArea's plus half the difference of the sizes, truncated toward zero
// (so negative when the rectangle is larger than the work area). Not kept on
// the screen; coordinates that would leave the 32-bit range are clamped to it.
TRect CentredRect(const TRect& workArea, std::int32_t width, std::int32_t height);

// Shifts rect, keeping its size, so that it lies within a screen of
// screenWidth x screenHeight whose top-left corner is (0, 0). Four tests in
// this order: right edge past the screen, left edge below 0, bottom edge past
// the screen, top edge below 0; a rectangle wider (taller) than the screen
// therefore ends with its left (top) edge at 0. Clamped as CentredRect.
void KeepOnScreen(TRect& rect, std::int32_t screenWidth, std::int32_t screenHeight);
