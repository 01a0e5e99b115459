#include "platform/gdi/rect.h"

#include <algorithm>
#include <cstdint>

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    int64_t product = static_cast<int64_t>(a) * b;
    int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    // Round half away from zero.
    int64_t result = product >= 0 ? (product + divisor / 2) / divisor : -((-product + divisor / 2) / divisor);
    if (result > INT32_MAX || result < INT32_MIN) return -1;
    return static_cast<int>(result);
}

BOOL SetRect(LPRECT r, int left, int top, int right, int bottom) {
    if (!r) return FALSE;
    *r = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT r) {
    if (!r) return FALSE;
    *r = RECT{0, 0, 0, 0};
    return TRUE;
}

BOOL CopyRect(LPRECT dst, const RECT* src) {
    if (!dst || !src) return FALSE;
    *dst = *src;
    return TRUE;
}

BOOL OffsetRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}

BOOL InflateRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* r) {
    return !r || r->right <= r->left || r->bottom <= r->top;
}

BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    const bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        *dst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    if (ea) { *dst = *b; return TRUE; }
    if (eb) { *dst = *a; return TRUE; }
    *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
    return TRUE;
}

BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    RECT result = *a;
    RECT overlap;
    if (IntersectRect(&overlap, a, b)) {
        // Only a cut that leaves a rectangle shrinks it: the subtracted
        // rectangle must span the whole width or height of the first.
        if (overlap.left == a->left && overlap.right == a->right) {
            if (overlap.top == a->top) result.top = overlap.bottom;
            else if (overlap.bottom == a->bottom) result.bottom = overlap.top;
        } else if (overlap.top == a->top && overlap.bottom == a->bottom) {
            if (overlap.left == a->left) result.left = overlap.right;
            else if (overlap.right == a->right) result.right = overlap.left;
        }
    }
    if (IsRectEmpty(&result)) {
        *dst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *dst = result;
    return TRUE;
}

BOOL PtInRect(const RECT* r, POINT pt) {
    return r && pt.x >= r->left && pt.x < r->right && pt.y >= r->top && pt.y < r->bottom;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    if (!a || !b) return FALSE;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
