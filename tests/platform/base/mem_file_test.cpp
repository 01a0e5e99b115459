#include "platform/base/mem_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

bool ThrowsFileException(CMemFile& f, const void* data, UINT n, int* cause = nullptr)
{
    try {
        f.Write(data, n);
    } catch (CFileException* e) {
        if (cause)
            *cause = e->m_cause;
        e->Delete();
        return true;
    }
    return false;
}

TEST(CMemFileAttached, ReadOnlyBufferRefusesGrowthAndStopsAtEnd)
{
    BYTE bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CMemFile f(bytes, sizeof bytes);
    EXPECT_EQ(f.GetLength(), 8u);
    BYTE out[16] = {};
    EXPECT_EQ(f.Read(out, 5), 5u);
    EXPECT_EQ(f.Read(out + 5, 16), 3u);
    EXPECT_EQ(memcmp(out, bytes, 8), 0);
    EXPECT_EQ(f.Read(out, 1), 0u);

    // Seeking past the end is allowed; reading there gives nothing.
    EXPECT_EQ(f.Seek(100, CFile::begin), 100u);
    EXPECT_EQ(f.Read(out, 4), 0u);

    f.SeekToBegin();
    BYTE nine = 9;
    f.Write(&nine, 1);  // inside the buffer: allowed
    EXPECT_EQ(bytes[0], 9);
    f.Seek(-1, CFile::end);
    int cause = -1;
    BYTE two[2] = {0xAA, 0xBB};
    EXPECT_TRUE(ThrowsFileException(f, two, 2, &cause));
    EXPECT_EQ(cause, CFileException::diskFull);
    EXPECT_EQ(f.GetLength(), 8u);
    EXPECT_EQ(bytes[7], 8);

    BYTE* back = f.Detach();
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(f.GetLength(), 0u);
}

TEST(CMemFileAttached, NegativeSeekRefused)
{
    BYTE bytes[4] = {};
    CMemFile f(bytes, sizeof bytes);
    try {
        f.Seek(-5, CFile::end);
        FAIL() << "negative position accepted";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badSeek);
        e->Delete();
    }
    EXPECT_EQ(f.GetPosition(), 0u);
}

TEST(CMemFileGrowing, GrowsInStepsAndZeroFillsGaps)
{
    CMemFile f(1024);
    char text[3000];
    for (size_t i = 0; i < sizeof text; ++i)
        text[i] = static_cast<char>('a' + i % 26);
    f.Write(text, 1000);
    EXPECT_EQ(f.GetBufferSize(), 1024u);
    f.Write(text + 1000, 2000);
    EXPECT_EQ(f.GetLength(), 3000u);
    EXPECT_EQ(f.GetBufferSize(), 3072u);
    EXPECT_EQ(memcmp(f.GetBuffer(), text, 3000), 0);

    f.Seek(10, CFile::end);
    f.Write("Z", 1);
    EXPECT_EQ(f.GetLength(), 3011u);
    f.Seek(3000, CFile::begin);
    char gap[11];
    EXPECT_EQ(f.Read(gap, 11), 11u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(gap[i], 0);
    EXPECT_EQ(gap[10], 'Z');

    f.SetLength(5);
    EXPECT_EQ(f.GetLength(), 5u);
    EXPECT_EQ(f.GetPosition(), 5u);
    f.SetLength(8);
    f.SeekToBegin();
    char head[8];
    EXPECT_EQ(f.Read(head, 8), 8u);
    EXPECT_EQ(memcmp(head, "abcde\0\0\0", 8), 0);

    BYTE* owned = f.Detach();
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(memcmp(owned, "abcde", 5), 0);
    free(owned);
}

TEST(CMemFileAttached, GrowableCallerBufferIsCopiedNotFreed)
{
    BYTE caller[4] = {};
    {
        CMemFile f(caller, sizeof caller, 16);
        EXPECT_EQ(f.GetLength(), 0u);
        f.Write("abcd", 4);
        EXPECT_EQ(memcmp(caller, "abcd", 4), 0);
        f.Write("efgh", 4);
        EXPECT_EQ(f.GetLength(), 8u);
        EXPECT_NE(f.GetBuffer(), caller);
        EXPECT_EQ(memcmp(f.GetBuffer(), "abcdefgh", 8), 0);
    }
    EXPECT_EQ(memcmp(caller, "abcd", 4), 0);
}

TEST(CMemFileRuntimeClass, IsKindOfFile)
{
    CMemFile f;
    EXPECT_TRUE(f.IsKindOf(RUNTIME_CLASS(CFile)));
    EXPECT_TRUE(f.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(f.IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_STREQ(f.GetRuntimeClass()->m_lpszClassName, "CMemFile");
}

}  // namespace
