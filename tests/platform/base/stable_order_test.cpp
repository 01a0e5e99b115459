// StableOrder: a permutation in order whatever the comparison answers, and
// equal elements kept in their order.
#include "platform/base/stable_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

bool IsPermutation(std::vector<size_t> order) {
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] != i) return false;
    }
    return true;
}

}  // namespace

TEST(StableOrder, SortsStablyAndStaysAPermutationForAnyAnswer) {
    // Keys with repeats; the expected order is the one of a stable sort of
    // (key, position) pairs, made here by hand from the table.
    const std::vector<int> keys = {3, 1, 2, 1, 3, 0, 2, 1};
    const std::vector<size_t> sorted = {5, 1, 3, 7, 2, 6, 0, 4};
    EXPECT_EQ(trelwin::StableOrder(keys.size(), [&](size_t a, size_t b) { return keys[a] - keys[b]; }), sorted);

    struct Case {
        const char* name;
        size_t n;
        int (*answer)(size_t, size_t, std::mt19937&);
    };
    const Case cases[] = {
        {"always 1, even for an element against itself", 1000, [](size_t, size_t, std::mt19937&) { return 1; }},
        {"always -1", 1000, [](size_t, size_t, std::mt19937&) { return -1; }},
        {"random answers", 1000, [](size_t, size_t, std::mt19937& r) { return static_cast<int>(r() % 3) - 1; }},
        {"nothing to sort", 0, [](size_t, size_t, std::mt19937&) { return 1; }},
        {"one element", 1, [](size_t, size_t, std::mt19937&) { return 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 random(7);
        size_t calls = 0;
        const std::vector<size_t> order = trelwin::StableOrder(c.n, [&](size_t a, size_t b) {
            ++calls;
            EXPECT_LT(a, c.n);
            EXPECT_LT(b, c.n);
            return c.answer(a, b, random);
        });
        EXPECT_EQ(order.size(), c.n);
        EXPECT_TRUE(IsPermutation(order));
        EXPECT_LE(calls, c.n * 11);  // n log2 n for n = 1000
    }
}
