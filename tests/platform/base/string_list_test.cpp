#include "platform/base/exceptions.h"
#include "platform/base/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Items(const CStringList& list)
{
    std::vector<std::string> out;
    POSITION pos = list.GetHeadPosition();
    for (int guard = 0; pos && guard < 1000; ++guard)
        out.emplace_back(list.GetNext(pos));
    return out;
}

TEST(CStringListOrder, HeadTailAndWalkBothWays)
{
    CStringList list;
    list.AddTail("b");
    list.AddTail("c");
    list.AddHead("a");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.GetCount(), 3);

    std::vector<std::string> back;
    POSITION pos = list.GetTailPosition();
    while (pos)
        back.emplace_back(list.GetPrev(pos));
    EXPECT_EQ(back, (std::vector<std::string>{"c", "b", "a"}));

    EXPECT_EQ(list.RemoveHead(), "a");
    EXPECT_EQ(list.RemoveTail(), "c");
    EXPECT_EQ(list.GetHead(), "b");
    EXPECT_EQ(list.GetTail(), "b");
    EXPECT_EQ(list.RemoveTail(), "b");
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    try {
        list.RemoveHead();
        FAIL() << "removing from an empty list";
    } catch (CInvalidArgException* e) {
        e->Delete();
    }
}

TEST(CStringListEdit, FindRemoveAtAndInsert)
{
    CStringList list;
    for (const char* s : {"10.0.0.1", "10.0.0.2", "10.0.0.1", "10.0.0.3"})
        list.AddTail(s);
    POSITION first = list.Find("10.0.0.1");
    ASSERT_NE(first, nullptr);
    POSITION second = list.Find("10.0.0.1", first);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(list.Find("10.0.0.1", second), nullptr);
    EXPECT_EQ(list.Find("10.0.0.9"), nullptr);
    EXPECT_EQ(list.Find("10.0.0.3"), list.GetTailPosition());

    // Removing while walking: take the position before advancing.
    POSITION pos = list.GetHeadPosition();
    while (pos) {
        POSITION current = pos;
        if (list.GetNext(pos) == "10.0.0.1")
            list.RemoveAt(current);
    }
    EXPECT_EQ(Items(list), (std::vector<std::string>{"10.0.0.2", "10.0.0.3"}));

    list.InsertBefore(list.GetHeadPosition(), "first");
    list.InsertAfter(list.GetTailPosition(), "last");
    list.InsertAfter(list.FindIndex(1), "middle");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"first", "10.0.0.2", "middle", "10.0.0.3", "last"}));
    EXPECT_EQ(list.GetTail(), "last");
    list.SetAt(list.FindIndex(2), "MIDDLE");
    EXPECT_EQ(list.GetAt(list.FindIndex(2)), "MIDDLE");
    EXPECT_EQ(list.FindIndex(5), nullptr);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    list.AddTail("again");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"again"}));
}

TEST(CStringListEdit, AddListToItself)
{
    CStringList list;
    list.AddTail("x");
    list.AddTail("y");
    list.AddTail(&list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"x", "y", "x", "y"}));
    CStringList other;
    other.AddTail("a");
    other.AddTail("b");
    other.AddHead(&other);
    EXPECT_EQ(Items(other), (std::vector<std::string>{"a", "b", "a", "b"}));
}

}  // namespace
