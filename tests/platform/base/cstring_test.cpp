#include "platform/base/cstring.h"
#include "platform/base/exceptions.h"

#include "tests/platform/base/throws_invalid_arg.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(CStringFormat, LongOutputAndCStringArguments)
{
    CString big('x', 5000);
    CString name("dev");
    CString s;
    s.Format("%s-%s:%d", name, big, 42);
    EXPECT_EQ(s.GetLength(), 3 + 1 + 5000 + 3);
    EXPECT_EQ(s.Left(4), "dev-");
    EXPECT_EQ(s.Right(3), ":42");

    // Explicit LPCTSTR casts, as framework code writes them.
    s.Format("%s|%s", (LPCTSTR)name, static_cast<LPCTSTR>(name));
    EXPECT_EQ(s, "dev|dev");

    s.Format("%d.%d.%d", 1, 0, 0);
    EXPECT_EQ(s, "1.0.0");
    s.Format("%08X %5.2f %c %%", 0xBEEFu, 3.14159, 'z');
    EXPECT_EQ(s, "0000BEEF  3.14 z %");
}

// Formats written for a 32-bit long: "%ld" and "%lu" with LONG and DWORD
// values, also once the arguments no longer fit in registers.
TEST(CStringFormat, LongConversionsOfThirtyTwoBitValues)
{
    const DWORD big = 4000000000u;
    const LONG negative = -5;
    const int plain = -7;
    CString s;
    s.Format("%lu %ld %d %u %lx %c %hd", big, negative, plain, big, big, 'x', static_cast<short>(-2));
    EXPECT_EQ(s, "4000000000 -5 -7 4000000000 ee6b2800 x -2");
    s.Format("%ld %lu %ld %lu %ld %lu %ld %lu %ld %lu", negative, big, negative, big, negative, big, negative, big,
             negative, big);
    EXPECT_EQ(s, "-5 4000000000 -5 4000000000 -5 4000000000 -5 4000000000 -5 4000000000");
    s.Empty();
    s.AppendFormat("%lu (%lu Kbps)", static_cast<DWORD>(123456), static_cast<DWORD>(800));
    EXPECT_EQ(s, "123456 (800 Kbps)");
    const long long wide = -9000000000LL;
    s.Format("%lld %zu", wide, static_cast<size_t>(5000000000u));
    EXPECT_EQ(s, "-9000000000 5000000000");
}

TEST(CStringFormat, SelfAsArgumentAndAppend)
{
    CString s("abc");
    s.Format("[%s]", s);
    EXPECT_EQ(s, "[abc]");
    s.AppendFormat("<%s>", s);
    EXPECT_EQ(s, "[abc]<[abc]>");
    s.AppendFormat("%s", CString('y', 1000));
    EXPECT_EQ(s.GetLength(), 12 + 1000);
}

TEST(CStringSearch, FindBoundaries)
{
    CString s("abcabc");
    EXPECT_EQ(s.Find('c'), 2);
    EXPECT_EQ(s.Find('c', 3), 5);
    EXPECT_EQ(s.Find('c', 6), -1);
    EXPECT_EQ(s.Find('c', -1), -1);
    EXPECT_EQ(s.Find('z'), -1);
    EXPECT_EQ(s.Find("bc"), 1);
    EXPECT_EQ(s.Find("bc", 2), 4);
    EXPECT_EQ(s.Find("bc", 5), -1);
    EXPECT_EQ(s.Find("bc", 100), -1);
    EXPECT_EQ(s.Find("abcabcd"), -1);
    EXPECT_EQ(s.ReverseFind('a'), 3);
    EXPECT_EQ(s.ReverseFind('z'), -1);
    EXPECT_EQ(CString().ReverseFind('a'), -1);
    EXPECT_EQ(s.FindOneOf("xc"), 2);
    EXPECT_EQ(s.FindOneOf("xyz"), -1);
}

TEST(CStringExtract, MidLeftRightClamp)
{
    CString s("hello");
    EXPECT_EQ(s.Mid(1, 3), "ell");
    EXPECT_EQ(s.Mid(3), "lo");
    EXPECT_EQ(s.Mid(5), "");
    EXPECT_EQ(s.Mid(9), "");
    EXPECT_EQ(s.Mid(-2, 3), "hel");
    EXPECT_EQ(s.Mid(2, 100), "llo");
    EXPECT_EQ(s.Mid(2, -1), "");
    EXPECT_EQ(s.Mid(1, 0x7fffffff), "ello");
    EXPECT_EQ(s.Left(0), "");
    EXPECT_EQ(s.Left(99), "hello");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Right(2), "lo");
    EXPECT_EQ(s.Right(99), "hello");
    EXPECT_EQ(s.Right(-3), "");
    EXPECT_EQ(CString("192.168.1.2").SpanIncluding("0123456789"), "192");
    EXPECT_EQ(CString("key=value").SpanExcluding("=;"), "key");
}

TEST(CStringEdit, ReplaceCountsAndEdgeCases)
{
    CString s("aaaa");
    EXPECT_EQ(s.Replace("aa", "a"), 2);
    EXPECT_EQ(s, "aa");
    s = "abab";
    EXPECT_EQ(s.Replace("ab", "abab"), 2);
    EXPECT_EQ(s, "abababab");
    EXPECT_EQ(s.Replace("", "x"), 0);
    EXPECT_EQ(s, "abababab");
    EXPECT_EQ(s.Replace("b", ""), 4);
    EXPECT_EQ(s, "aaaa");
    EXPECT_EQ(s.Replace("zz", "y"), 0);
    EXPECT_EQ(s.Replace('a', 'b'), 4);
    EXPECT_EQ(s, "bbbb");
    EXPECT_EQ(s.Replace('b', 'b'), 0);

    CString path("C:\\dir\\file");
    EXPECT_EQ(path.Replace("\\", "/"), 2);
    EXPECT_EQ(path, "C:/dir/file");

    // Replacement text taken from the string itself.
    CString self("xyx");
    EXPECT_EQ(self.Replace(self.Left(1), self), 2);
    EXPECT_EQ(self, "xyxyxyx");
}

TEST(CStringEdit, RemoveInsertDelete)
{
    CString s("a-b-c");
    EXPECT_EQ(s.Remove('-'), 2);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.Insert(1, 'X'), 4);
    EXPECT_EQ(s, "aXbc");
    EXPECT_EQ(s.Insert(99, "END"), 7);
    EXPECT_EQ(s, "aXbcEND");
    EXPECT_EQ(s.Insert(-5, ">"), 8);
    EXPECT_EQ(s, ">aXbcEND");
    EXPECT_EQ(s.Delete(1, 2), 6);
    EXPECT_EQ(s, ">bcEND");
    EXPECT_EQ(s.Delete(4, 100), 4);
    EXPECT_EQ(s, ">bcE");
    EXPECT_EQ(s.Delete(10), 4);
    EXPECT_EQ(s.Delete(0, 0), 4);
}

TEST(CStringEdit, Trim)
{
    CString s(" \t hi there \r\n");
    s.Trim();
    EXPECT_EQ(s, "hi there");
    s = "   ";
    s.Trim();
    EXPECT_EQ(s, "");
    s = "xxhixx";
    s.TrimLeft('x');
    EXPECT_EQ(s, "hixx");
    s.TrimRight('x');
    EXPECT_EQ(s, "hi");
    s = "\"'quoted'\"";
    s.Trim("\"'");
    EXPECT_EQ(s, "quoted");
    s = "  left";
    s.TrimRight();
    EXPECT_EQ(s, "  left");
    s = "xxxx";
    s.TrimRight("x");
    EXPECT_EQ(s, "");
}

TEST(CStringEdit, CaseAndReverse)
{
    CString s("MiXeD 1");
    EXPECT_EQ(CString(s).MakeLower(), "mixed 1");
    EXPECT_EQ(CString(s).MakeUpper(), "MIXED 1");
    EXPECT_EQ(CString(s).MakeReverse(), "1 DeXiM");
    EXPECT_EQ(s.CompareNoCase("mixed 1"), 0);
    EXPECT_LT(CString("abc").Compare("abd"), 0);
    EXPECT_GT(CString("b").Compare("abc"), 0);
}

TEST(CStringBuffer, GetBufferReleaseRoundTrip)
{
    CString s("keep");
    char* p = s.GetBuffer(64);
    EXPECT_STREQ(p, "keep");
    strcpy(p, "written by C code");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "written by C code");
    EXPECT_EQ(s.GetLength(), 17);

    p = s.GetBuffer(10);
    p[3] = '\0';
    s.ReleaseBuffer();
    EXPECT_EQ(s, "wri");

    p = s.GetBufferSetLength(5);
    memcpy(p, "ABCDE", 5);
    s.ReleaseBuffer(5);
    EXPECT_EQ(s, "ABCDE");
    s.GetBuffer(0);
    s.ReleaseBuffer(2);
    EXPECT_EQ(s, "AB");
    EXPECT_TRUE(ThrowsInvalidArg([&] { s.ReleaseBuffer(100); }));
}

TEST(CStringOperators, ConcatenationAndComparison)
{
    CString a("ab");
    CString b = a + "cd" + 'e';
    EXPECT_EQ(b, "abcde");
    EXPECT_EQ("x" + a, "xab");
    EXPECT_EQ('y' + a, "yab");
    a += b;
    a += 'f';
    EXPECT_EQ(a, "ababcdef");
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_TRUE(CString("a") < "b");
    EXPECT_TRUE("a" < CString("b"));
    EXPECT_TRUE(CString("b") >= "b");
    EXPECT_TRUE(CString("b") != "c");
    EXPECT_TRUE("c" == CString("c"));
    LPCTSTR nul = nullptr;
    EXPECT_EQ(CString(nul), "");
    EXPECT_EQ(CString("abcdef", 3), "abc");
    EXPECT_EQ(CString('-', 3), "---");
}

TEST(CStringAccess, IndexErrorsThrow)
{
    CString s("ab");
    EXPECT_EQ(s[1], 'b');
    s.SetAt(0, 'z');
    EXPECT_EQ(s, "zb");
    EXPECT_EQ(s[2], '\0');  // the terminator may be read
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)s.GetAt(3); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { s.SetAt(2, 'x'); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)s[-1]; }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { s.SetAt(5, 'x'); }));
}

TEST(CStringTokenize, WalksAllTokens)
{
    CString s("  a,b;;c  ");
    std::vector<std::string> tokens;
    int pos = 0;
    for (int guard = 0; guard < 20; ++guard) {
        CString t = s.Tokenize(" ,;", pos);
        if (pos < 0)
            break;
        tokens.emplace_back(t);
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{"a", "b", "c"}));

    pos = 0;
    CString whole = CString("abc").Tokenize("", pos);
    EXPECT_EQ(whole, "abc");
    CString after = CString("abc").Tokenize("", pos);
    EXPECT_EQ(pos, -1);
    EXPECT_EQ(after, "");
}

int FakeTable(HINSTANCE, UINT id, LPSTR buf, int cch)
{
    std::string text;
    if (id == 7)
        text = "Seven";
    else if (id == 8)
        text = std::string(1000, 'L');
    else
        return 0;
    int n = std::min<int>(static_cast<int>(text.size()), cch - 1);
    memcpy(buf, text.data(), static_cast<size_t>(n));
    buf[n] = '\0';
    return n;
}

TEST(CStringLoadString, UsesRegisteredTable)
{
    CString s("old");
    SetStringTableLookup(nullptr);
    EXPECT_FALSE(s.LoadString(7));
    EXPECT_EQ(s, "");
    SetStringTableLookup(FakeTable);
    EXPECT_TRUE(s.LoadString(7));
    EXPECT_EQ(s, "Seven");
    EXPECT_TRUE(s.LoadString(8));
    EXPECT_EQ(s.GetLength(), 1000);
    EXPECT_FALSE(s.LoadString(9));
    s.Format(7u);
    EXPECT_EQ(s, "Seven");
    SetStringTableLookup(nullptr);
}

TEST(CStringThreads, CopiesAreIndependent)
{
    const CString shared("shared text that threads copy");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&shared, t] {
            for (int i = 0; i < 2000; ++i) {
                CString mine = shared;
                mine.AppendFormat("%d", t);
                mine.MakeUpper();
                ASSERT_EQ(mine.Left(6), "SHARED");
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(shared, "shared text that threads copy");
}

}  // namespace
