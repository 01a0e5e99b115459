#include <gtest/gtest.h>

#include "platform/afx/afx_geometry.h"

namespace {

void ExpectRect(const RECT& r, LONG l, LONG t, LONG rr, LONG b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rr);
    EXPECT_EQ(r.bottom, b);
}

}  // namespace

TEST(CRectCorners, TopLeftAndBottomRightAliasTheRectangle) {
    CRect r(1, 2, 30, 40);
    r.TopLeft() = CPoint(5, 6);
    r.BottomRight().Offset(1, 1);
    ExpectRect(r, 5, 6, 31, 41);
    r.TopLeft().x = -3;
    EXPECT_EQ(r.left, -3);
    const CRect& c = r;
    EXPECT_EQ(&c.TopLeft().x, &r.left);
    EXPECT_EQ(&c.BottomRight().y, &r.bottom);
    // A RECT pointer and the object are the same memory.
    LPRECT p = r;
    EXPECT_EQ(p, static_cast<RECT*>(&r));
}

TEST(CRectShape, SizeCentreEmptyAndNull) {
    CRect r(-7, -3, 0, 4);
    EXPECT_EQ(r.Width(), 7);
    EXPECT_EQ(r.Height(), 7);
    EXPECT_EQ(r.Size(), CSize(7, 7));
    // Truncated toward zero: (-7 + 0) / 2 = -3.
    EXPECT_EQ(r.CenterPoint(), CPoint(-3, 0));

    CRect inverted(10, 10, 5, 20);
    EXPECT_TRUE(inverted.IsRectEmpty());
    EXPECT_FALSE(inverted.IsRectNull());
    inverted.NormalizeRect();
    ExpectRect(inverted, 5, 10, 10, 20);
    EXPECT_FALSE(inverted.IsRectEmpty());

    CRect upside(0, 9, 3, 1);
    upside.NormalizeRect();
    ExpectRect(upside, 0, 1, 3, 9);

    CRect zero;
    EXPECT_TRUE(zero.IsRectNull());
    EXPECT_TRUE(zero.IsRectEmpty());
    CRect line(4, 4, 4, 10);
    EXPECT_TRUE(line.IsRectEmpty());
    EXPECT_FALSE(line.IsRectNull());
}

TEST(CRectShape, PtInRectExcludesTheRightAndBottomEdges) {
    CRect r(0, 0, 10, 5);
    EXPECT_TRUE(r.PtInRect(CPoint(0, 0)));
    EXPECT_TRUE(r.PtInRect(CPoint(9, 4)));
    EXPECT_FALSE(r.PtInRect(CPoint(10, 4)));
    EXPECT_FALSE(r.PtInRect(CPoint(9, 5)));
    EXPECT_FALSE(r.PtInRect(CPoint(-1, 0)));
}

TEST(CRectResize, InflateAndDeflateByEveryOverload) {
    CRect r(10, 10, 20, 20);
    r.InflateRect(2, 3);
    ExpectRect(r, 8, 7, 22, 23);
    r.DeflateRect(CSize(2, 3));
    ExpectRect(r, 10, 10, 20, 20);
    // Per side: each field moves that side outward.
    r.InflateRect(1, 2, 3, 4);
    ExpectRect(r, 9, 8, 23, 24);
    RECT sides{1, 2, 3, 4};
    r.DeflateRect(&sides);
    ExpectRect(r, 10, 10, 20, 20);
    r.InflateRect(&sides);
    ExpectRect(r, 9, 8, 23, 24);
    r.DeflateRect(1, 2, 3, 4);
    ExpectRect(r, 10, 10, 20, 20);
    r.InflateRect(CSize(-1, 0));
    ExpectRect(r, 11, 10, 19, 20);
    r.DeflateRect(5, 5);  // past empty: nothing normalises
    ExpectRect(r, 16, 15, 14, 15);
}

TEST(CRectMove, OffsetAndMoveKeepTheSize) {
    CRect r(1, 2, 11, 22);
    r.OffsetRect(CPoint(1, 1));
    r.OffsetRect(CSize(-2, 0));
    r.OffsetRect(1, -1);
    ExpectRect(r, 1, 2, 11, 22);
    r.MoveToX(-5);
    ExpectRect(r, -5, 2, 5, 22);
    r.MoveToY(100);
    ExpectRect(r, -5, 100, 5, 120);
    r.MoveToXY(CPoint(0, 0));
    ExpectRect(r, 0, 0, 10, 20);
    r.SetRect(CPoint(3, 4), CPoint(5, 6));
    ExpectRect(r, 3, 4, 5, 6);
    r.SetRectEmpty();
    EXPECT_TRUE(r.IsRectNull());
}

TEST(CRectSets, IntersectUnionAndSubtract) {
    CRect a(0, 0, 10, 10), b(5, 5, 15, 15), far(20, 20, 30, 30);
    CRect r;
    EXPECT_TRUE(r.IntersectRect(&a, &b));
    ExpectRect(r, 5, 5, 10, 10);
    r.SetRect(1, 1, 2, 2);
    EXPECT_FALSE(r.IntersectRect(&a, &far));
    EXPECT_TRUE(r.IsRectNull());
    EXPECT_TRUE(r.UnionRect(&a, &far));
    ExpectRect(r, 0, 0, 30, 30);
    // An empty operand does not stretch the union.
    CRect empty(100, 100, 100, 200);
    EXPECT_TRUE(r.UnionRect(&a, &empty));
    ExpectRect(r, 0, 0, 10, 10);

    // Subtracting a band that spans one whole side shortens the rectangle.
    CRect band(-5, 6, 15, 20);
    EXPECT_TRUE(r.SubtractRect(&a, &band));
    ExpectRect(r, 0, 0, 10, 6);
    // A hole in the middle leaves the rectangle whole.
    CRect hole(2, 2, 4, 4);
    EXPECT_TRUE(r.SubtractRect(&a, &hole));
    ExpectRect(r, 0, 0, 10, 10);
    // Covering it completely leaves nothing.
    CRect cover(-1, -1, 11, 11);
    EXPECT_FALSE(r.SubtractRect(&a, &cover));
    EXPECT_TRUE(r.IsRectEmpty());
}

TEST(CRectOperators, ArithmeticAndComparison) {
    const CRect a(0, 0, 10, 10);
    EXPECT_EQ(a & CRect(5, -5, 20, 5), CRect(5, 0, 10, 5));
    EXPECT_TRUE((a & CRect(10, 0, 20, 10)).IsRectEmpty());
    EXPECT_EQ(a | CRect(-5, 2, 3, 30), CRect(-5, 0, 10, 30));
    EXPECT_EQ(a + CPoint(1, 2), CRect(1, 2, 11, 12));
    EXPECT_EQ(a - CSize(1, 2), CRect(-1, -2, 9, 8));
    RECT grow{1, 1, 2, 2};
    EXPECT_EQ(a + &grow, CRect(-1, -1, 12, 12));
    EXPECT_EQ(a - &grow, CRect(1, 1, 8, 8));
    EXPECT_TRUE(a != CRect(0, 0, 10, 11));
    EXPECT_TRUE(a.EqualRect(CRect(0, 0, 10, 10)));

    CRect r = a;
    r += CPoint(5, 5);
    r -= CSize(5, 0);
    EXPECT_EQ(r, CRect(0, 5, 10, 15));
    r &= a;
    EXPECT_EQ(r, CRect(0, 5, 10, 10));
    r |= CRect(20, 20, 21, 21);
    EXPECT_EQ(r, CRect(0, 5, 21, 21));
    r += &grow;
    EXPECT_EQ(r, CRect(-1, 4, 23, 23));
    r -= &grow;
    EXPECT_EQ(r, CRect(0, 5, 21, 21));

    // Each coordinate rounded half away from zero.
    EXPECT_EQ(CRect(1, -1, 3, 5).MulDiv(1, 2), CRect(1, -1, 2, 3));
}

TEST(CPointAndCSize, ArithmeticMixesThem) {
    CPoint p(3, 4);
    const CPoint q(1, 1);
    EXPECT_EQ(p - q, CSize(2, 3));
    EXPECT_EQ(p + CSize(1, 1), CPoint(4, 5));
    EXPECT_EQ(p - CSize(1, 1), CPoint(2, 3));
    EXPECT_EQ(-p, CPoint(-3, -4));
    EXPECT_EQ(CSize(2, 2) + p, CPoint(5, 6));
    EXPECT_EQ(CSize(2, 2) - p, CPoint(-1, -2));
    EXPECT_EQ(CSize(2, 2) + CSize(1, 0), CSize(3, 2));
    EXPECT_EQ(-CSize(2, -1), CSize(-2, 1));
    const RECT r{0, 0, 2, 2};
    EXPECT_EQ(p + &r, CRect(3, 4, 5, 6));
    EXPECT_EQ(p - &r, CRect(-3, -4, -1, -2));
    EXPECT_EQ(CSize(1, 1) + &r, CRect(1, 1, 3, 3));
    p += CSize(1, 1);
    p -= CPoint(2, 2);
    EXPECT_EQ(p, CPoint(2, 3));
    CSize s(5, 5);
    s -= CSize(1, 2);
    EXPECT_EQ(s, CSize(4, 3));
    EXPECT_EQ(CPoint(CSize(7, 8)), CPoint(7, 8));
    EXPECT_EQ(CSize(CPoint(7, 8)), CSize(7, 8));
}

TEST(CPointAndCSize, PackedCoordinatesAreSigned) {
    const LPARAM packed = MAKELPARAM(static_cast<WORD>(-5), 300);
    EXPECT_EQ(CPoint(packed), CPoint(-5, 300));
    EXPECT_EQ(CSize(static_cast<DWORD>(MAKELONG(10, static_cast<WORD>(-2)))), CSize(10, -2));
}
