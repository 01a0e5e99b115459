#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/base/collection.h"
#include "common/base/smart_ptr.h"
#include "tests/platform/base/throws_invalid_arg.h"

namespace {

// A derived collection, as owners write them, that keeps a find-and-remove
// consistent by holding the (recursive) lock around both.
class CValueCollection : public CCollection<int> {
public:
    bool RemoveValue(int nValue) {
        CSingleLock lock(&m_lock, TRUE);
        int nIndex = Find(nValue);
        if (nIndex < 0) {
            return false;
        }
        RemoveAt(nIndex);
        return true;
    }
};

struct Tracked {
    explicit Tracked(int* pDeleted) : m_pDeleted(pDeleted) {}
    virtual ~Tracked() { ++*m_pDeleted; }
    int* m_pDeleted;
};

}  // namespace

TEST(CollectionTest, AddAppendsAndReturnsTheIndex) {
    CCollection<int> items;
    EXPECT_EQ(items.Find(1), -1);
    EXPECT_EQ(items.Add(10), 0);
    EXPECT_EQ(items.Add(11), 1);
    EXPECT_EQ(items.GetSize(), 2);
}

TEST(CollectionTest, AddBeyondTheEndGrowsWithDefaults) {
    CCollection<int> items;
    EXPECT_EQ(items.Add(7, 5), 5);
    ASSERT_EQ(items.GetSize(), 6);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(items.GetAt(i), 0);
    }
    EXPECT_EQ(items.GetAt(5), 7);
}

TEST(CollectionTest, AddInsideShiftsTheRestUp) {
    CCollection<int> items;
    items.Add(1);
    items.Add(2);
    items.Add(3);
    EXPECT_EQ(items.Add(0, 0), 0);
    ASSERT_EQ(items.GetSize(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items.GetAt(i), i);
    }
    EXPECT_TRUE(ThrowsInvalidArg([&] { items.Add(9, -2); }));
    EXPECT_EQ(items.GetSize(), 4);
}

TEST(CollectionTest, RemoveAtShiftsDownAndChecksTheIndex) {
    CCollection<int> items;
    for (int i = 0; i < 4; ++i) {
        items.Add(i * 10);
    }
    items.RemoveAt(3);
    ASSERT_EQ(items.GetSize(), 3);
    EXPECT_EQ(items.GetAt(2), 20);
    items.RemoveAt(0);
    EXPECT_EQ(items.GetAt(0), 10);
    EXPECT_EQ(items.GetAt(1), 20);
    EXPECT_TRUE(ThrowsInvalidArg([&] { items.RemoveAt(2); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { items.RemoveAt(-1); }));
    EXPECT_EQ(items.GetSize(), 2);
}

TEST(CollectionTest, FindGivesTheFirstMatch) {
    CCollection<int> items;
    items.Add(4);
    items.Add(5);
    items.Add(4);
    EXPECT_EQ(items.Find(4), 0);
    EXPECT_EQ(items.Find(5), 1);
    EXPECT_EQ(items.Find(6), -1);
}

TEST(CollectionTest, SmartPointerElementsHoldReferences) {
    int deleted = 0;
    {
        CCollection<CSmartPtr<Tracked>> items;
        {
            CSmartPtr<Tracked> first(new Tracked(&deleted));
            CSmartPtr<Tracked> second(new Tracked(&deleted));
            items.Add(first);
            items.Add(second);
            EXPECT_EQ(items.Find(second), 1);
        }
        EXPECT_EQ(deleted, 0);  // the collection still holds both
        items.RemoveAt(0);
        EXPECT_EQ(deleted, 1);
    }
    EXPECT_EQ(deleted, 2);  // the destructor released the rest
}

TEST(CollectionTest, ConcurrentAddFindAndRemoveStayConsistent) {
    constexpr int kWriters = 4;
    constexpr int kPerWriter = 300;
    CValueCollection items;
    std::vector<std::thread> threads;
    std::atomic<bool> writing{true};
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&items, w] {
            for (int i = 0; i < kPerWriter; ++i) {
                items.Add(w * 1000 + i, i % 3 == 0 ? 0 : -1);
            }
        });
    }
    std::thread reader([&] {
        while (writing) {
            int nSize = items.GetSize();
            if (nSize > 0) {
                items.Find(nSize);
            }
        }
    });
    for (auto& thread : threads) {
        thread.join();
    }
    writing = false;
    reader.join();
    ASSERT_EQ(items.GetSize(), kWriters * kPerWriter);

    threads.clear();
    std::atomic<int> removed{0};
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&items, &removed, w] {
            for (int i = 0; i < kPerWriter; ++i) {
                removed += items.RemoveValue(w * 1000 + i) ? 1 : 0;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(removed, kWriters * kPerWriter);
    EXPECT_EQ(items.GetSize(), 0);
}
