#include "ui/shell/TrayRect.h"

#include <gtest/gtest.h>

#include <ostream>

// gtest prints a failing rectangle by its sides rather than as raw bytes.
static std::ostream& operator<<(std::ostream& os, const CRectI& r) {
    return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
static bool operator==(const CRectI& a, const CRectI& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

struct TaskbarCase {
    const char* pszName;
    CRectI taskbar;
    unsigned nEdge;
    CRectI expected;
};

// Screens of 1024 x 768 with the bar on each edge, a second monitor left of the first (negative
// coordinates) and a bar too short for the usual offsets, which the rule does not clip.
const TaskbarCase kTaskbarCases[] = {
    {"left bar", {0, 0, 60, 768}, kTaskbarEdgeLeft, {0, 668, 60, 752}},
    {"right bar", {964, 0, 1024, 768}, kTaskbarEdgeRight, {964, 668, 1024, 752}},
    {"top bar", {0, 0, 1024, 30}, kTaskbarEdgeTop, {924, 0, 1008, 30}},
    {"bottom bar", {0, 738, 1024, 768}, kTaskbarEdgeBottom, {924, 738, 1008, 768}},
    {"bottom bar one pixel high", {0, 699, 1024, 700}, kTaskbarEdgeBottom, {924, 699, 1008, 700}},
    {"right bar, monitor at the left", {-100, -200, -40, 568}, kTaskbarEdgeRight, {-100, 468, -40, 552}},
    {"bottom bar, monitor at the left", {-1280, 994, 0, 1024}, kTaskbarEdgeBottom, {-100, 994, -16, 1024}},
    {"left bar shorter than the offsets", {0, 0, 60, 50}, kTaskbarEdgeLeft, {0, -50, 60, 34}},
};

} // namespace

TEST(TrayRectTest, TaskbarPositionGivesTheStretchBeforeTheBarsEnd) {
    for (const TaskbarCase& c : kTaskbarCases) {
        SCOPED_TRACE(c.pszName);
        CRectI result = {1, 2, 3, 4};
        ASSERT_TRUE(NotifyRectFromTaskbarPos(c.taskbar, c.nEdge, &result));
        EXPECT_EQ(c.expected, result);
    }
}

TEST(TrayRectTest, VerticalBarGivesFullWidthAndHorizontalBarFullHeight) {
    const CRectI bar = {10, 20, 90, 700};
    for (unsigned nEdge : {kTaskbarEdgeLeft, kTaskbarEdgeRight}) {
        SCOPED_TRACE(nEdge);
        CRectI r = {};
        ASSERT_TRUE(NotifyRectFromTaskbarPos(bar, nEdge, &r));
        EXPECT_EQ(bar.left, r.left);
        EXPECT_EQ(bar.right, r.right);
        EXPECT_EQ(bar.bottom - 100, r.top);
        EXPECT_EQ(bar.bottom - 16, r.bottom);
        EXPECT_EQ(84, r.bottom - r.top);
    }
    for (unsigned nEdge : {kTaskbarEdgeTop, kTaskbarEdgeBottom}) {
        SCOPED_TRACE(nEdge);
        CRectI r = {};
        ASSERT_TRUE(NotifyRectFromTaskbarPos(bar, nEdge, &r));
        EXPECT_EQ(bar.top, r.top);
        EXPECT_EQ(bar.bottom, r.bottom);
        EXPECT_EQ(bar.right - 100, r.left);
        EXPECT_EQ(bar.right - 16, r.right);
        EXPECT_EQ(84, r.right - r.left);
    }
}

TEST(TrayRectTest, UnknownEdgeIsNotTakenAndLeavesTheResultAlone) {
    for (unsigned nEdge : {4u, 5u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(nEdge);
        CRectI result = {1, 2, 3, 4};
        EXPECT_FALSE(NotifyRectFromTaskbarPos({0, 738, 1024, 768}, nEdge, &result));
        EXPECT_EQ((CRectI{1, 2, 3, 4}), result);
    }
}

TEST(TrayRectTest, TrayWindowIsCutToItsBottomRightCorner) {
    struct Case {
        const char* pszName;
        CRectI window;
        CRectI expected;
    };
    const Case cases[] = {
        {"wide and tall", {0, 738, 1024, 768 + 2}, {874, 740, 1024, 770}},
        {"bottom bar", {0, 728, 1024, 768}, {874, 738, 1024, 768}},
        {"right bar", {964, 0, 1024, 768}, {964, 738, 1024, 768}},
        {"narrower than 150 keeps its width", {900, 700, 1000, 768}, {900, 738, 1000, 768}},
        {"exactly 150 wide keeps its width", {850, 700, 1000, 768}, {850, 738, 1000, 768}},
        {"151 wide loses one pixel", {849, 700, 1000, 768}, {850, 738, 1000, 768}},
        {"lower than 30 keeps its height", {0, 750, 1024, 768}, {874, 750, 1024, 768}},
        {"exactly 30 high keeps its height", {0, 738, 1024, 768}, {874, 738, 1024, 768}},
        {"31 high loses one pixel", {0, 737, 1024, 768}, {874, 738, 1024, 768}},
        {"small in both directions is taken whole", {500, 500, 520, 510}, {500, 500, 520, 510}},
        {"empty stays empty", {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"negative coordinates", {-1280, -40, -10, 0}, {-160, -30, -10, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        EXPECT_EQ(c.expected, NotifyRectFromTrayWindow(c.window));
    }
}

TEST(TrayRectTest, WorkAreaGivesTheFixedCornerEvenWhenSmaller) {
    EXPECT_EQ((CRectI{874, 670, 1024, 700}), NotifyRectFromWorkArea({0, 0, 1024, 700}));
    EXPECT_EQ((CRectI{874, 738, 1024, 768}), NotifyRectFromWorkArea({60, 0, 1024, 768}));
    EXPECT_EQ((CRectI{-150, -30, 0, 0}), NotifyRectFromWorkArea({-1280, -1024, 0, 0}));
    // The corner is not clipped to a work area smaller than itself.
    EXPECT_EQ((CRectI{-50, -10, 100, 20}), NotifyRectFromWorkArea({0, 0, 100, 20}));
}
