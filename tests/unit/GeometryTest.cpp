// Placement of the centred message boxes: centring in the work area and
// keeping a rectangle on the screen.
#include "core/sysutilGeometry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>

static std::ostream& operator<<(std::ostream& os, const TRect& r) {
    return os << "{" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << "}";
}

namespace {

TRect Rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    return TRect{left, top, right, bottom};
}

TEST(CentredRect, CentresInWholeScreenWorkArea) {
    EXPECT_EQ(Rect(312, 234, 712, 534), CentredRect(Rect(0, 0, 1024, 768), 400, 300));
}

TEST(CentredRect, OddDifferencesTruncate) {
    // (1024 - 401) / 2 = 311.5 and (768 - 299) / 2 = 234.5: both truncated.
    EXPECT_EQ(Rect(311, 234, 712, 533), CentredRect(Rect(0, 0, 1024, 768), 401, 299));
}

TEST(CentredRect, LargerThanWorkAreaTruncatesTowardZero) {
    // (1024 - 1101) / 2 = -38.5 -> -38, not -39; (768 - 771) / 2 = -1.5 -> -1.
    EXPECT_EQ(Rect(-38, -1, 1063, 770), CentredRect(Rect(0, 0, 1024, 768), 1101, 771));
}

TEST(CentredRect, CentresInAreaLeftByTaskbar) {
    // Taskbar 60 pixels wide at the left: the box is centred in 964 x 768.
    EXPECT_EQ(Rect(60 + 282, 234, 60 + 282 + 400, 534),
              CentredRect(Rect(60, 0, 1024, 768), 400, 300));
    // Taskbar 30 pixels high at the top: centred in 1024 x 738.
    EXPECT_EQ(Rect(312, 30 + 219, 712, 30 + 219 + 300),
              CentredRect(Rect(0, 30, 1024, 768), 400, 300));
}

TEST(KeepOnScreen, LeavesRectangleInsideScreenAlone) {
    TRect r = Rect(0, 0, 1024, 768);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(0, 0, 1024, 768), r);
    r = Rect(10, 20, 110, 220);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(10, 20, 110, 220), r);
}

TEST(KeepOnScreen, ShiftsBackFromEachEdgeKeepingSize) {
    TRect r = Rect(1000, 100, 1100, 200);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(924, 100, 1024, 200), r);
    r = Rect(-50, 100, 50, 200);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(0, 100, 100, 200), r);
    r = Rect(100, 700, 200, 800);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(100, 668, 200, 768), r);
    r = Rect(100, -5, 200, 95);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(100, 0, 200, 100), r);
    r = Rect(-10, -10, 90, 90);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(0, 0, 100, 100), r);
}

TEST(KeepOnScreen, LargerThanScreenEndsAtLeftAndTopZero) {
    // The right-edge test runs first and pushes the left edge negative; the
    // left-edge test then wins, so the overflow is all on the right/bottom.
    TRect r = Rect(100, 100, 1300, 1000);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(0, 0, 1200, 900), r);
    r = Rect(-300, -200, 900, 700);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(0, 0, 1200, 900), r);
}

TEST(KeepOnScreen, CentredBoxWiderThanScreenStartsAtLeftEdge) {
    TRect r = CentredRect(Rect(0, 0, 1024, 768), 1200, 100);
    ASSERT_EQ(-88, r.Left);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(0, 334, 1200, 434), r);
}

TEST(Geometry, ExtremeValuesStayInRange) {
    constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
    const TRect c = CentredRect(Rect(lo, lo, hi, hi), hi, hi);
    EXPECT_LE(c.Left, c.Right);
    TRect r = Rect(hi - 10, lo, hi, lo + 10);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(Rect(1014, 0, 1024, 10), r);
    r = Rect(lo, lo, hi, hi);
    KeepOnScreen(r, 1024, 768);
    EXPECT_EQ(0, r.Left);
    EXPECT_EQ(0, r.Top);
    EXPECT_EQ(hi, r.Right);
}

}  // namespace
