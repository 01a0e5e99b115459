#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/base/smart_ptr.h"

namespace {

std::atomic<int> g_nDeleted{0};

class Base {
public:
    virtual ~Base() { ++g_nDeleted; }
    int m_nValue = 0;
};

class Derived : public Base {
public:
    explicit Derived(std::atomic<int>* pDerivedDeleted) : m_pDerivedDeleted(pDerivedDeleted) {}
    ~Derived() override { ++*m_pDerivedDeleted; }
    std::atomic<int>* m_pDerivedDeleted;
};

// An object that holds a pointer to itself's sibling: releasing the last
// outside reference deletes the object that holds the assignment's source.
struct Node {
    virtual ~Node() { ++g_nDeleted; }
    CSmartPtr<Node> m_next;
};

class SmartPtrTest : public ::testing::Test {
protected:
    void SetUp() override { g_nDeleted = 0; }
};

}  // namespace

TEST_F(SmartPtrTest, LastReleaseDeletesThroughTheVirtualDestructorOnce) {
    std::atomic<int> derivedDeleted{0};
    {
        CSmartPtr<Base> first(new Derived(&derivedDeleted));
        CSmartPtr<Base> second(first);
        CSmartPtr<Base> third;
        third = second;
        EXPECT_EQ(first.GetPtr(), third.GetPtr());
        first.Release();
        EXPECT_TRUE(first.IsNull());
        second.Release();
        EXPECT_EQ(g_nDeleted, 0);
        third->m_nValue = 3;
    }
    EXPECT_EQ(g_nDeleted, 1);
    EXPECT_EQ(derivedDeleted, 1);
}

TEST_F(SmartPtrTest, SelfAssignmentAndEmptyPointers) {
    CSmartPtr<Base> pointer(new Base);
    CSmartPtr<Base>& alias = pointer;
    pointer = alias;
    EXPECT_FALSE(pointer.IsNull());
    CSmartPtr<Base> empty;
    empty.Release();
    empty = CSmartPtr<Base>();
    EXPECT_TRUE(empty.IsNull());
    pointer = empty;  // drops the only reference
    EXPECT_EQ(g_nDeleted, 1);
    EXPECT_TRUE(pointer.IsNull());
}

TEST_F(SmartPtrTest, AssignmentFromInsideTheReleasedObject) {
    CSmartPtr<Node> head(new Node);
    head->m_next = CSmartPtr<Node>(new Node);
    head = head->m_next;  // the old head, holder of the source, goes
    EXPECT_EQ(g_nDeleted, 1);
    EXPECT_FALSE(head.IsNull());
    head.Release();
    EXPECT_EQ(g_nDeleted, 2);
}

TEST_F(SmartPtrTest, CopiesAndReleasesFromManyThreadsDeleteOnce) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 20000;
    CSmartPtr<Base> shared(new Base);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([own = shared] {
            for (int i = 0; i < kRounds; ++i) {
                CSmartPtr<Base> copy(own);
                CSmartPtr<Base> another;
                another = copy;
            }
        });
    }
    shared.Release();  // the threads now hold the only references
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(g_nDeleted, 1);
}
