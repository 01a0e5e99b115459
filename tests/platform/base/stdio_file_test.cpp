#include "platform/base/stdio_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class StdioFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/trelwin_stdio_XXXXXX";
        int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        m_path = name;
    }
    void TearDown() override { unlink(m_path.c_str()); }
    void WriteRaw(const std::string& bytes)
    {
        FILE* f = fopen(m_path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    std::vector<std::string> ReadLines(UINT flags)
    {
        CStdioFile file;
        std::vector<std::string> lines;
        if (!file.Open(m_path.c_str(), flags))
            return lines;
        CString line;
        for (int guard = 0; guard < 100 && file.ReadString(line); ++guard)
            lines.emplace_back(line);
        return lines;
    }
    std::string m_path;
};

TEST_F(StdioFileTest, ReadStringHandlesBothEndingsAndUnterminatedLastLine)
{
    WriteRaw("one\r\ntwo\n\r\nlast");
    EXPECT_EQ(ReadLines(CFile::modeRead | CFile::typeText),
              (std::vector<std::string>{"one", "two", "", "last"}));
    // Binary mode keeps the carriage returns.
    EXPECT_EQ(ReadLines(CFile::modeRead | CFile::typeBinary),
              (std::vector<std::string>{"one\r", "two", "\r", "last"}));
}

TEST_F(StdioFileTest, EmptyFileAndTrailingNewline)
{
    WriteRaw("");
    EXPECT_TRUE(ReadLines(CFile::modeRead).empty());
    WriteRaw("only\n");
    EXPECT_EQ(ReadLines(CFile::modeRead), (std::vector<std::string>{"only"}));
    WriteRaw(std::string(10000, 'w') + "\nshort");
    auto lines = ReadLines(CFile::modeRead);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 10000u);
}

TEST_F(StdioFileTest, CreateNoTruncateKeepsContentAndAppendsAtEnd)
{
    WriteRaw("first\n");
    {
        CStdioFile file;
        ASSERT_TRUE(file.Open(m_path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
        EXPECT_EQ(file.GetLength(), 6u);
        file.SeekToEnd();
        file.WriteString("second\n");
        EXPECT_EQ(file.GetLength(), 13u);
    }
    EXPECT_EQ(ReadLines(CFile::modeRead), (std::vector<std::string>{"first", "second"}));
    {
        CStdioFile file(m_path.c_str(), CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(file.GetLength(), 0u);
    }
}

TEST_F(StdioFileTest, ReadStringIntoBuffer)
{
    WriteRaw("ab\r\ncdefgh\n");
    CStdioFile file(m_path.c_str(), CFile::modeRead);
    char buf[5];
    ASSERT_NE(file.ReadString(buf, sizeof buf), nullptr);
    EXPECT_STREQ(buf, "ab\n");
    ASSERT_NE(file.ReadString(buf, sizeof buf), nullptr);
    EXPECT_STREQ(buf, "cdef");
    ASSERT_NE(file.ReadString(buf, sizeof buf), nullptr);
    EXPECT_STREQ(buf, "gh\n");
    EXPECT_EQ(file.ReadString(buf, sizeof buf), nullptr);
}

TEST_F(StdioFileTest, OpenFailureFillsException)
{
    CStdioFile file;
    CFileException error;
    EXPECT_FALSE(file.Open("/nonexistent_dir_trelwin/x.txt", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_strFileName, "/nonexistent_dir_trelwin/x.txt");
    try {
        CStdioFile thrown("/nonexistent_dir_trelwin/x.txt", CFile::modeRead);
        FAIL() << "constructor did not throw";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
        char text[128];
        EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
        EXPECT_NE(std::string(text).find("x.txt"), std::string::npos);
        e->Delete();
    }
}

}  // namespace
