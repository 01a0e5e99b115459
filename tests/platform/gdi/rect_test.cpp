#include <gtest/gtest.h>

#include "platform/gdi/rect.h"

TEST(MulDiv, RoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(1, -1, 2), -1);
    EXPECT_EQ(MulDiv(1, 1, -2), -1);
    EXPECT_EQ(MulDiv(-1, -1, 2), 1);
    EXPECT_EQ(MulDiv(5, 1, 3), 2);  // 1.67
    EXPECT_EQ(MulDiv(4, 1, 3), 1);  // 1.33
    EXPECT_EQ(MulDiv(255, 50, 100), 128);  // 127.5
}

TEST(MulDiv, UsesA64BitProductAndReportsFailures) {
    EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000);
    EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
    EXPECT_EQ(MulDiv(7, 3, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 4, 1), -1);  // does not fit
    EXPECT_EQ(MulDiv(729, 96, 2540), 28);
}

TEST(RectHelpers, IntersectUnionAndEmptiness) {
    RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, r;
    EXPECT_TRUE(IntersectRect(&r, &a, &b));
    RECT expected{5, 5, 10, 10};
    EXPECT_TRUE(EqualRect(&r, &expected));
    RECT c{10, 0, 20, 10};
    EXPECT_FALSE(IntersectRect(&r, &a, &c));  // touching edges do not overlap
    EXPECT_TRUE(IsRectEmpty(&r));
    EXPECT_TRUE(UnionRect(&r, &a, &b));
    EXPECT_EQ(r.right, 20);
    RECT empty{3, 3, 3, 8};
    EXPECT_TRUE(UnionRect(&r, &a, &empty));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 10);
    EXPECT_TRUE(IsRectEmpty(&empty));
}

TEST(RectHelpers, PointsOnTheRightOrBottomEdgeAreOutside) {
    RECT r{0, 0, 10, 5};
    EXPECT_TRUE(PtInRect(&r, POINT{0, 0}));
    EXPECT_TRUE(PtInRect(&r, POINT{9, 4}));
    EXPECT_FALSE(PtInRect(&r, POINT{10, 4}));
    EXPECT_FALSE(PtInRect(&r, POINT{9, 5}));
}

TEST(RectHelpers, OffsetInflateCopySet) {
    RECT r;
    SetRect(&r, 1, 2, 3, 4);
    OffsetRect(&r, 10, 20);
    EXPECT_EQ(r.left, 11);
    EXPECT_EQ(r.bottom, 24);
    InflateRect(&r, 2, -1);
    EXPECT_EQ(r.left, 9);
    EXPECT_EQ(r.right, 15);
    EXPECT_EQ(r.top, 23);
    EXPECT_EQ(r.bottom, 23);
    RECT copy;
    CopyRect(&copy, &r);
    EXPECT_TRUE(EqualRect(&copy, &r));
    SetRectEmpty(&copy);
    EXPECT_TRUE(IsRectEmpty(&copy));
}

TEST(RectHelpers, SubtractOnlyShrinksWhenARectangleRemains) {
    RECT a{0, 0, 10, 10}, r;
    RECT top_band{0, 0, 10, 3};
    EXPECT_TRUE(SubtractRect(&r, &a, &top_band));
    EXPECT_EQ(r.top, 3);
    EXPECT_EQ(r.bottom, 10);
    RECT right_band{6, -5, 20, 15};
    EXPECT_TRUE(SubtractRect(&r, &a, &right_band));
    EXPECT_EQ(r.right, 6);
    RECT middle{3, 3, 6, 6};
    EXPECT_TRUE(SubtractRect(&r, &a, &middle));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 10);
    RECT all{-1, -1, 11, 11};
    EXPECT_FALSE(SubtractRect(&r, &a, &all));
}
