#include "platform/base/file.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/trelwin_file_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
    }
    void TearDown() override
    {
        unlink((m_dir + "/a.bin").c_str());
        unlink((m_dir + "/b.bin").c_str());
        rmdir(m_dir.c_str());
    }
    std::string m_dir;
};

TEST_F(FileTest, WriteSeekReadAndLength)
{
    std::string path = m_dir + "/a.bin";
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary));
    f.Write("0123456789", 10);
    EXPECT_EQ(f.GetLength(), 10u);
    EXPECT_EQ(f.Seek(-3, CFile::end), 7u);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 8), 3u);
    EXPECT_STREQ(buf, "789");
    EXPECT_EQ(f.Read(buf, 8), 0u);
    f.SeekToBegin();
    EXPECT_EQ(f.Seek(2, CFile::current), 2u);
    EXPECT_EQ(f.GetPosition(), 2u);
    f.SetLength(4);
    EXPECT_EQ(f.GetLength(), 4u);
    EXPECT_EQ(f.GetFileName(), "a.bin");
    EXPECT_EQ(f.GetFileTitle(), "a");
    EXPECT_EQ(f.GetFilePath(), CString(path.c_str()));
    f.Close();
    EXPECT_EQ(f.m_hFile, CFile::hFileNull);
    try {
        f.Read(buf, 1);
        FAIL() << "read from a closed file";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::invalidFile);
        e->Delete();
    }
}

TEST_F(FileTest, BackslashPathsRenameAndRemove)
{
    std::string a = m_dir + "/a.bin";
    std::string aBack = m_dir + "\\a.bin";
    {
        CFile f(aBack.c_str(), CFile::modeCreate | CFile::modeWrite);
        f.Write("x", 1);
    }
    EXPECT_EQ(access(a.c_str(), F_OK), 0);
    CFile::Rename(a.c_str(), (m_dir + "/b.bin").c_str());
    EXPECT_NE(access(a.c_str(), F_OK), 0);
    CFile::Remove((m_dir + "/b.bin").c_str());
    try {
        CFile::Remove((m_dir + "/b.bin").c_str());
        FAIL() << "removed a missing file";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
        e->Delete();
    }
}

TEST_F(FileTest, OpenFailuresReportCause)
{
    CFile f;
    CFileException error;
    EXPECT_FALSE(f.Open((m_dir + "/missing").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(f.Open(m_dir.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_FALSE(f.Open((m_dir + "/missing").c_str(), CFile::modeRead));
}

}  // namespace
