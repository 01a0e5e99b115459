#include "platform/base/cstring.h"
#include "platform/base/map.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

TEST(CMapBasics, LookupSetAtOperatorAndRemove)
{
    CMap<int, int, CString, LPCTSTR> m;
    EXPECT_TRUE(m.IsEmpty());
    CString v;
    EXPECT_FALSE(m.Lookup(1, v));
    m.SetAt(1, "one");
    m[2] = "two";
    m.SetAt(1, "uno");
    EXPECT_EQ(m.GetCount(), 2);
    ASSERT_TRUE(m.Lookup(1, v));
    EXPECT_EQ(v, "uno");
    EXPECT_EQ(m[3], "");  // inserted empty
    EXPECT_EQ(m.GetCount(), 3);
    EXPECT_TRUE(m.RemoveKey(3));
    EXPECT_FALSE(m.RemoveKey(3));
    EXPECT_EQ(m.GetCount(), 2);
    m.RemoveAll();
    EXPECT_TRUE(m.IsEmpty());
    EXPECT_EQ(m.GetStartPosition(), nullptr);
}

TEST(CMapIteration, VisitsEveryEntryOnceThroughRehash)
{
    CMap<CString, const CString&, int, int> m;
    m.InitHashTable(3);
    std::map<std::string, int> expected;
    for (int i = 0; i < 500; ++i) {
        CString k;
        k.Format("key%d", i);
        m[k] = i;
        expected[std::string(k)] = i;
    }
    std::map<std::string, int> seen;
    POSITION pos = m.GetStartPosition();
    for (int guard = 0; pos && guard < 1000; ++guard) {
        CString k;
        int v;
        m.GetNextAssoc(pos, k, v);
        EXPECT_TRUE(seen.emplace(std::string(k), v).second);
    }
    EXPECT_EQ(seen, expected);
}

TEST(CMapIteration, RemovingReturnedEntryWhileIterating)
{
    CMap<int, int, int, int> m;
    for (int i = 0; i < 100; ++i)
        m[i] = i * 2;
    std::set<int> visited;
    POSITION pos = m.GetStartPosition();
    for (int guard = 0; pos && guard < 200; ++guard) {
        int k, v;
        m.GetNextAssoc(pos, k, v);
        EXPECT_EQ(v, k * 2);
        visited.insert(k);
        if (k % 2 == 0) {
            EXPECT_TRUE(m.RemoveKey(k));
        }
    }
    EXPECT_EQ(visited.size(), 100u);
    EXPECT_EQ(m.GetCount(), 50);
    int v;
    EXPECT_FALSE(m.Lookup(4, v));
    EXPECT_TRUE(m.Lookup(5, v));
}

enum Kind { KindA = 1, KindB = 7 };

TEST(CMapKeys, PointerStringAndEnumKeys)
{
    int a = 0, b = 0;
    CMap<void*, void*, int, int> byPtr;
    byPtr[&a] = 1;
    byPtr[&b] = 2;
    int v;
    ASSERT_TRUE(byPtr.Lookup(&b, v));
    EXPECT_EQ(v, 2);

    CMap<LPCTSTR, LPCTSTR, int, int> byLiteral;
    static const char kName[] = "name";
    byLiteral[kName] = 3;
    EXPECT_TRUE(byLiteral.Lookup(kName, v));

    // The framework's usual string-keyed form: stored CString, looked up by text.
    CMap<CString, LPCTSTR, int, int> byText;
    byText["alpha"] = 1;
    CString key("alpha");
    ASSERT_TRUE(byText.Lookup(key, v));
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(byText.RemoveKey("alpha"));

    CMap<Kind, Kind, CString, const CString&> byEnum;
    byEnum[KindB] = "b";
    CString s;
    EXPECT_TRUE(byEnum.Lookup(KindB, s));
    EXPECT_FALSE(byEnum.Lookup(KindA, s));
}

}  // namespace
