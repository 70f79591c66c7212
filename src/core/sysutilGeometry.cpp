// Rectangle arithmetic behind the centred message boxes.
//
// Sums are taken in 64 bits and clamped back: a window rectangle comes from the
// system, but nothing here should overflow whatever it is handed.
#include "core/sysutilGeometry.h"

#include <cstdint>
#include <limits>

namespace {

std::int32_t Clamp32(std::int64_t value) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : value > hi ? hi : value);
}

// The rectangle with corner (left, top) and the given size, clamped to 32 bits.
TRect MakeRect(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
    return TRect{Clamp32(left), Clamp32(top), Clamp32(left + width), Clamp32(top + height)};
}

}  // namespace

TRect CentredRect(const TRect& workArea, std::int32_t width, std::int32_t height) {
    const std::int64_t areaWidth = std::int64_t{workArea.Right} - workArea.Left;
    const std::int64_t areaHeight = std::int64_t{workArea.Bottom} - workArea.Top;
    // C++ integer division truncates toward zero, as the placement requires.
    const std::int64_t x = (areaWidth - width) / 2;
    const std::int64_t y = (areaHeight - height) / 2;
    return MakeRect(workArea.Left + x, workArea.Top + y, width, height);
}

void KeepOnScreen(TRect& rect, std::int32_t screenWidth, std::int32_t screenHeight) {
    const std::int64_t width = std::int64_t{rect.Right} - rect.Left;
    const std::int64_t height = std::int64_t{rect.Bottom} - rect.Top;
    std::int64_t left = rect.Left;
    std::int64_t top = rect.Top;
    if (left + width > screenWidth) left = std::int64_t{screenWidth} - width;
    if (left < 0) left = 0;
    if (top + height > screenHeight) top = std::int64_t{screenHeight} - height;
    if (top < 0) top = 0;
    rect = MakeRect(left, top, width, height);
}
