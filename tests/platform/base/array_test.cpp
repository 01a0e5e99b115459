#include "platform/base/array.h"
#include "platform/base/cstring.h"

#include "tests/platform/base/throws_invalid_arg.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts live instances so leaks and double destruction show.
struct Counted {
    static int live;
    int value;
    Counted() : value(0) { ++live; }
    Counted(int v) : value(v) { ++live; }
    Counted(const Counted& o) : value(o.value) { ++live; }
    Counted& operator=(const Counted&) = default;
    ~Counted() { --live; }
};
int Counted::live = 0;

TEST(CArrayGrowth, InsertAtBeyondSizeGrowsWithDefaults)
{
    CArray<int, int> a;
    a.Add(1);
    a.InsertAt(4, 9, 2);
    ASSERT_EQ(a.GetSize(), 6);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 0);
    EXPECT_EQ(a[3], 0);
    EXPECT_EQ(a[4], 9);
    EXPECT_EQ(a[5], 9);
    EXPECT_EQ(a.GetUpperBound(), 5);
}

TEST(CArrayGrowth, InsertAndRemoveShift)
{
    CArray<CString> a;
    for (const char* s : {"a", "b", "c", "d", "e"})
        a.Add(s);
    a.InsertAt(1, "X", 2);
    ASSERT_EQ(a.GetSize(), 7);
    EXPECT_EQ(a[0], "a");
    EXPECT_EQ(a[1], "X");
    EXPECT_EQ(a[2], "X");
    EXPECT_EQ(a[3], "b");
    EXPECT_EQ(a[6], "e");
    a.RemoveAt(0, 3);
    ASSERT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a[0], "b");
    EXPECT_EQ(a[3], "e");
    a.RemoveAt(3);
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[2], "d");

    CArray<CString> b;
    b.Add("1");
    b.Add("2");
    a.InsertAt(1, &b);
    ASSERT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[1], "1");
    EXPECT_EQ(a[2], "2");
    EXPECT_EQ(a[3], "c");
}

TEST(CArrayGrowth, SetAtGrowSetSizeAndAddAliasing)
{
    CArray<int> a;
    a.SetAtGrow(3, 7);
    ASSERT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a[0], 0);
    EXPECT_EQ(a[3], 7);
    a.SetSize(2);
    EXPECT_EQ(a.GetSize(), 2);
    a.SetSize(5, 100);
    EXPECT_EQ(a[4], 0);

    // Adding an element of the array itself while it reallocates.
    CArray<CString> s;
    s.Add(CString('q', 100));
    for (int i = 0; i < 50; ++i)
        s.Add(s[0]);
    EXPECT_EQ(s.GetSize(), 51);
    EXPECT_EQ(s[50], CString('q', 100));
    s.InsertAt(0, s[50]);
    EXPECT_EQ(s[0], CString('q', 100));
    s.FreeExtra();
    EXPECT_EQ(s.GetSize(), 52);
}

TEST(CArrayBounds, ErrorsRaiseInvalidArg)
{
    CArray<int> a;
    a.Add(1);
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)a[1]; }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)a.GetAt(-1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAt(1, 0); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)a.ElementAt(5); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(0, 2); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.InsertAt(-1, 0); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAtGrow(-1, 0); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetSize(-1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.Append(a); }));
    EXPECT_EQ(a.GetSize(), 1);
    EXPECT_EQ(a[0], 1);
}

TEST(CArrayLifetime, ElementsDestroyedExactlyOnce)
{
    Counted::live = 0;
    {
        CArray<Counted> a;
        for (int i = 0; i < 100; ++i)
            a.Add(Counted(i));
        EXPECT_EQ(Counted::live, 100);
        a.InsertAt(10, Counted(-1), 5);
        EXPECT_EQ(Counted::live, 105);
        a.RemoveAt(0, 20);
        EXPECT_EQ(Counted::live, 85);
        a.SetSize(200);
        EXPECT_EQ(Counted::live, 200);
        a.SetSize(3);
        EXPECT_EQ(Counted::live, 3);
        a.FreeExtra();
        EXPECT_EQ(Counted::live, 3);
        CArray<Counted> b;
        b.Copy(a);
        b.Append(a);
        EXPECT_EQ(Counted::live, 9);
        b.RemoveAll();
        EXPECT_EQ(Counted::live, 3);
    }
    EXPECT_EQ(Counted::live, 0);
}

TEST(CArrayLifetime, SharedPointersReleased)
{
    auto p = std::make_shared<int>(5);
    {
        CArray<std::shared_ptr<int>> a;
        for (int i = 0; i < 20; ++i)
            a.Add(p);
        a.RemoveAt(0, 5);
        EXPECT_EQ(p.use_count(), 16);
        a.InsertAt(30, p);
        EXPECT_EQ(p.use_count(), 17);
    }
    EXPECT_EQ(p.use_count(), 1);
}

TEST(CArrayContents, DataAndCopyKeepOrder)
{
    CArray<int, int> a;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(a.Add(i * i), i);
    const int* data = a.GetData();
    EXPECT_EQ(data[9], 81);
    CArray<int, int> b;
    b.Add(-1);
    EXPECT_EQ(b.Append(a), 1);
    EXPECT_EQ(b.GetSize(), 11);
    EXPECT_EQ(b[10], 81);
    b.Copy(a);
    EXPECT_EQ(b.GetSize(), 10);
    EXPECT_EQ(b[0], 0);
    b.ElementAt(0) = 42;
    EXPECT_EQ(b[0], 42);
    EXPECT_EQ(a[0], 0);
}

}  // namespace
