#include "zip/zip_archive.h"
#include "zip/zip_mem_file.h"
#include "zip/zip_path_component.h"
#include "zip/zip_storage.h"
#include "zip_test_support.h"

namespace
{

using namespace zip_test;

TEST(ZipPathComponent, PathsComeApartAndTogetherAgain)
{
    struct Case
    {
        const char* path;
        const char* drive;
        const char* filePath;
        const char* title;
        const char* ext;
    };
    const Case cases[] = {
        {"/tmp/maps/skin.zip", "", "/tmp/maps", "skin", "zip"},
        {"/skin.zip", "", "/", "skin", "zip"},
        {"skin", "", "", "skin", ""},
        {"dir.v2/archive.tar.gz", "", "dir.v2", "archive.tar", "gz"},
        {"/home/u/.hidden", "", "/home/u", ".hidden", ""},
        {"C:\\maps\\skin.zip", "C:", "C:\\maps", "skin", "zip"},
        {"C:skin.zip", "C:", "C:", "skin", "zip"},
        {"\\\\host\\share\\dir\\skin.zip", "\\\\host\\share", "\\\\host\\share\\dir", "skin", "zip"},
        {"\\\\?\\unc\\host\\share\\skin.zip", "\\\\?\\unc\\host\\share", "\\\\?\\unc\\host\\share\\", "skin", "zip"},
        {"\\\\?\\C:\\long\\skin.zip", "\\\\?\\C:", "\\\\?\\C:\\long", "skin", "zip"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        CZipPathComponent path(c.path);
        EXPECT_EQ(std::string(path.GetFileDrive()), c.drive);
        EXPECT_EQ(std::string(path.GetFilePath()), c.filePath);
        EXPECT_EQ(std::string(path.GetFileTitle()), c.title);
        EXPECT_EQ(std::string(path.GetFileExt()), c.ext);
        EXPECT_EQ(std::string(path.GetFullPath()), c.path);
    }
    CZipPathComponent unc("\\\\?\\UNC\\host\\share\\a.zip");
    EXPECT_EQ(std::string(unc.GetPrefix()), "\\\\?\\UNC\\");
    EXPECT_EQ(std::string(unc.GetNoDrive()), "\\a.zip");
}

TEST(ZipStorage, SplitVolumesAreNumberedFromTheArchivesName)
{
    struct Case
    {
        const char* archive;
        DWORD volume;
        bool last;
        const char* name;
    };
    const Case cases[] = {
        {"/data/maps.zip", 1, false, "/data/maps.z01"},
        {"/data/maps.zip", 9, false, "/data/maps.z09"},
        {"/data/maps.zip", 99, false, "/data/maps.z99"},
        {"/data/maps.zip", 100, false, "/data/maps.z100"},
        {"/data/maps.zip", 1234, false, "/data/maps.z1234"},
        {"/data/maps.zip", 100, true, "/data/maps.zip"},
        {"/data/maps", 2, false, "/data/maps.z02"},
        {"C:\\data\\maps.zip", 9, false, "C:\\data\\maps.z09"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::string(CZipStorage::GetSplitVolumeName(c.archive, c.volume, c.last)), c.name);
    }
    EXPECT_EQ(std::string(CZipStorage::GetSpanVolumeLabel(1)), "pkback# 001");
    EXPECT_EQ(std::string(CZipStorage::GetSpanVolumeLabel(42)), "pkback# 042");
}

class ZipSplitArchive : public TempDir
{
};

// 15 files of 1000 incompressible bytes in volumes of 128 bytes: more than
// a hundred volumes, every one within its size, the first one marked, and
// every file read back across the volume borders.
TEST_F(ZipSplitArchive, WritesMoreThanAHundredVolumesAndReadsThemBack)
{
    const ZIP_SIZE_TYPE volumeSize = 128;
    const std::string archive = Path("maps.zip");
    std::vector<Bytes> files;
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipCreateSplit, volumeSize));
        EXPECT_EQ(zip.GetSegmMode(), CZipStorage::splitArchive);
        for (int i = 0; i < 15; ++i)
        {
            files.push_back(RandomBytes(1000, i));
            ASSERT_TRUE(zip.AddNewFile(files.back().data(), 1000, ("f" + std::to_string(i)).c_str()));
        }
        zip.Close();
    }
    const std::vector<std::string> names = Names();
    ASSERT_GT(names.size(), 101u);
    EXPECT_EQ(names.front(), "maps.z01");
    EXPECT_EQ(names.back(), "maps.zip");
    EXPECT_TRUE(std::filesystem::exists(Path("maps.z09")));
    EXPECT_TRUE(std::filesystem::exists(Path("maps.z100")));
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        EXPECT_LE(std::filesystem::file_size(Path(name)), volumeSize);
    }
    const Bytes first = ReadWholeFile(Path("maps.z01"));
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(Bytes(first.begin(), first.begin() + 4), (Bytes{'P', 'K', 7, 8}));

    CZipArchive zip;
    ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpen));
    EXPECT_EQ(zip.GetSegmMode(), CZipStorage::splitArchive);
    ASSERT_EQ(zip.GetCount(), 15);
    for (int i = 14; i >= 0; --i)
    {
        SCOPED_TRACE(i);
        CZipMemFile out;
        ASSERT_TRUE(zip.ExtractFile(zip.FindFile(("f" + std::to_string(i)).c_str()), out));
        EXPECT_EQ(out.GetData(), files[i]);
    }
    // A split archive is finished once written.
    EXPECT_FALSE(zip.AddNewFile("x", 1, "more"));
    zip.Close();
}

TEST_F(ZipSplitArchive, OneVolumeIsMarkedAsASingleSegment)
{
    const std::string archive = Path("small.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipCreateSplit, 1 << 20));
    ASSERT_TRUE(zip.AddNewFile("abc", 3, "a.txt"));
    zip.Close();
    EXPECT_EQ(Names(), std::vector<std::string>{"small.zip"});
    const Bytes bytes = ReadWholeFile(archive);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{'P', 'K', '0', '0'}));
    ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly));
    EXPECT_EQ(zip.GetSegmMode(), 0);
    CZipMemFile out;
    ASSERT_TRUE(zip.ExtractFile(0, out));
    EXPECT_EQ(out.GetData(), (Bytes{'a', 'b', 'c'}));
}

// Spanning needs a removable device; this folder is on a fixed one, so the
// archive is refused before any file is made.
TEST_F(ZipSplitArchive, SpanningOnAFixedDeviceIsRefused)
{
    CZipArchive zip;
    std::string text;
    EXPECT_EQ(ZipErrorOf([&] { zip.Open(Path("span.zip").c_str(), CZipArchive::zipCreateSpan); }, &text),
              CZipException::nonRemovable);
    EXPECT_EQ(text, "The device selected for the spanned archive is not removable");
    EXPECT_TRUE(zip.IsClosed());
    EXPECT_TRUE(Names().empty());
}

TEST_F(ZipSplitArchive, RecordsLargerThanAVolumeAreRefused)
{
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(Path("tiny.zip").c_str(), CZipArchive::zipCreateSplit, 40));
    EXPECT_EQ(ZipErrorOf([&] { zip.AddNewFile("x", 1, "a-name-that-makes-the-local-header-too-long"); }),
              CZipException::tooLongData);
    zip.Close(CZipArchive::afAfterException);
}

}  // namespace
