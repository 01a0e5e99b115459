// A stable sort of positions for comparison functions that callers supply
// (a list's sort callback, a list's typed column comparison): the elements
// stay where they are while the function runs, and a function that is not a
// strict order (one that answers 1 for equal elements, or contradicts
// itself) still gets a permutation back, in n log n calls, never a read
// outside the range.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace trelwin {

// The positions 0..n-1 in sorted order: compare(a, b) <= 0 keeps a before
// b. A bottom-up merge sort, so equal elements keep their order.
template <class Compare>
std::vector<size_t> StableOrder(size_t n, Compare compare) {
    std::vector<size_t> order(n);
    std::vector<size_t> buffer(n);
    for (size_t i = 0; i < n; ++i) order[i] = i;
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n);
            const size_t hi = std::min(lo + 2 * width, n);
            size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi) buffer[out++] = compare(order[a], order[b]) <= 0 ? order[a++] : order[b++];
            while (a < mid) buffer[out++] = order[a++];
            while (b < hi) buffer[out++] = order[b++];
        }
        order.swap(buffer);
    }
    return order;
}

}  // namespace trelwin
