#include "zip/zip_archive.h"

#include "zip/zip_crc32_cryptograph.h"
#include "zip/zip_deflate_compressor.h"
#include "zip/zip_mem_file.h"
#include "python_zip_check.h"
#include "zip_test_support.h"

namespace
{

using namespace zip_test;

// Lets the tests see and set what an archive keeps to itself.
class OpenArchive : public CZipArchive
{
public:
    using CZipArchive::CreateCompressor;
    using CZipArchive::CreateCryptograph;
    using CZipArchive::m_callbacks;
    using CZipArchive::m_centralDir;
    using CZipArchive::m_iBufferSize;
    using CZipArchive::m_pBuffer;
    using CZipArchive::m_pCompressor;
    using CZipArchive::m_pCryptograph;
    using CZipArchive::m_pszPassword;
    using CZipArchive::m_storage;
    using CZipArchive::m_szArchivePath;
    using CZipArchive::m_szRootPath;
    using CZipArchive::m_uCompressionMethod;
};

// Stand-ins that say when they are deleted.
struct StoreOnlyCompressor : CZipCompressor
{
    explicit StoreOnlyCompressor(bool* deleted) : CZipCompressor(nullptr, 16), m_deleted(deleted) {}
    ~StoreOnlyCompressor() override { *m_deleted = true; }
    bool CanProcess(WORD uMethod) const override { return uMethod == ZIP_METHOD_STORE; }
    void Compress(const void*, DWORD) override {}
    DWORD Decompress(void*, DWORD) override { return 0; }
    bool* m_deleted;
};

struct CountedCryptograph : CZipCrc32Cryptograph
{
    explicit CountedCryptograph(bool* deleted) : m_deleted(deleted) {}
    ~CountedCryptograph() override { *m_deleted = true; }
    bool* m_deleted;
};

TEST(ZipArchive, StartsClosedAndEmptyWithItsDefaults)
{
    OpenArchive zip;
    EXPECT_TRUE(zip.IsClosed());
    EXPECT_TRUE(zip.m_callbacks.IsEmpty());
    EXPECT_EQ(zip.m_storage.IsSegmented(), 0);
    EXPECT_EQ(std::string(zip.m_storage.m_szSplitExtension), "zip");
    EXPECT_EQ(zip.m_storage.GetCurrentVolume(), CZipStorage::NO_VOLUME);
    EXPECT_EQ(zip.m_centralDir.GetCount(), 0);
    EXPECT_EQ(zip.m_uCompressionMethod, 8);
    EXPECT_EQ(zip.m_iBufferSize, 65536u);
    EXPECT_EQ(zip.m_pCryptograph, nullptr);
    EXPECT_EQ(zip.m_pCompressor, nullptr);
    EXPECT_TRUE(zip.m_szRootPath.IsEmpty());
    EXPECT_TRUE(zip.m_szArchivePath.IsEmpty());
    EXPECT_FALSE(zip.m_pszPassword.IsAllocated());
    EXPECT_FALSE(zip.m_pBuffer.IsAllocated());
}

TEST(ZipArchive, CryptographFactoryReplacesOrDropsThePresentOne)
{
    struct Case
    {
        int method;
        bool expectCryptograph;
    };
    const Case cases[] = {{ZIP_ENCRYPTION_NONE, false}, {ZIP_ENCRYPTION_STANDARD, true}, {7, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.method);
        OpenArchive zip;
        bool deleted = false;
        zip.m_pCryptograph = new CountedCryptograph(&deleted);
        zip.CreateCryptograph(c.method);
        EXPECT_TRUE(deleted);
        EXPECT_EQ(zip.m_pCryptograph != nullptr, c.expectCryptograph);
        if (c.expectCryptograph)
        {
            EXPECT_NE(dynamic_cast<CZipCrc32Cryptograph*>(zip.m_pCryptograph), nullptr);
            EXPECT_EQ(dynamic_cast<CountedCryptograph*>(zip.m_pCryptograph), nullptr);
        }
    }
}

TEST(ZipArchive, CompressorFactoryKeepsOneThatHandlesTheMethod)
{
    struct Case
    {
        const char* name;
        bool presentStoresOnly;
        WORD method;
        bool kept;
    };
    const Case cases[] = {
        {"store-only compressor, stored file", true, ZIP_METHOD_STORE, true},
        {"store-only compressor, deflated file", true, ZIP_METHOD_DEFLATE, false},
        {"store-only compressor, other method", true, 12, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        OpenArchive zip;
        bool deleted = false;
        CZipCompressor* present = new StoreOnlyCompressor(&deleted);
        zip.m_pCompressor = present;
        zip.CreateCompressor(c.method);
        EXPECT_EQ(deleted, !c.kept);
        if (c.kept)
        {
            EXPECT_EQ(zip.m_pCompressor, present);
        }
        else
        {
            auto* made = dynamic_cast<ZipLib::CDeflateCompressor*>(zip.m_pCompressor);
            ASSERT_NE(made, nullptr);
            EXPECT_EQ(made->GetBufferSize(), 65536u);
        }
    }
    OpenArchive zip;
    zip.CreateCompressor(ZIP_METHOD_DEFLATE);
    CZipCompressor* made = zip.m_pCompressor;
    zip.CreateCompressor(ZIP_METHOD_STORE);
    EXPECT_EQ(zip.m_pCompressor, made);
}

TEST(ZipArchive, DestructionDeletesTheCompressorAndTheCryptograph)
{
    bool compressorDeleted = false;
    bool cryptographDeleted = false;
    {
        OpenArchive zip;
        zip.m_pCompressor = new StoreOnlyCompressor(&compressorDeleted);
        zip.m_pCryptograph = new CountedCryptograph(&cryptographDeleted);
    }
    EXPECT_TRUE(compressorDeleted);
    EXPECT_TRUE(cryptographDeleted);
}

class ZipArchiveFiles : public TempDir
{
protected:
    void WritePlain(const std::string& name, const Bytes& data)
    {
        std::filesystem::create_directories((m_dir / "plain" / name).parent_path());
        std::ofstream(m_dir / "plain" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
};

// An archive made from memory and from files on disk, added to after it was
// closed, read back by the library and by Python.
TEST_F(ZipArchiveFiles, ArchiveIsWrittenAddedToAndReadBack)
{
    const Bytes text = TextBytes(200000, 21);
    const Bytes noise = RandomBytes(5000, 22);
    WritePlain("docs/readme.txt", text);
    WritePlain("noise.bin", noise);
    std::filesystem::create_directory(m_dir / "plain" / "empty");

    const std::string archive = Path("all.zip");
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipCreate));
        EXPECT_FALSE(zip.Open(archive.c_str(), CZipArchive::zipCreate));
        zip.SetRootPath((m_dir / "plain").string().c_str());
        ASSERT_TRUE(zip.AddNewFile((m_dir / "plain" / "docs" / "readme.txt").string().c_str()));
        ASSERT_TRUE(zip.AddNewFile((m_dir / "plain" / "empty").string().c_str()));
        ASSERT_TRUE(zip.AddNewFile(noise.data(), static_cast<DWORD>(noise.size()), "noise.bin", 0));
        EXPECT_TRUE(zip.SetGlobalComment("made by the tests"));
        zip.Close();
    }
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpen));
        ASSERT_EQ(zip.GetCount(), 3);
        ASSERT_TRUE(zip.AddNewFile("", 0, "zero.bin"));
        zip.Close();
    }
    WritePlain("zero.bin", {});
    if (HavePython())
    {
        EXPECT_TRUE(RunPython(PYTHON_COMPARE_MEMBERS, archive + " " + (m_dir / "plain").string() + " ''"));
    }

    CZipArchive zip;
    ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly));
    EXPECT_EQ(std::string(zip.GetGlobalComment()), "made by the tests");
    struct Expected
    {
        const char* name;
        const Bytes* data;
        WORD method;
        bool directory;
    };
    const Bytes none;
    const Expected expected[] = {
        {"docs/readme.txt", &text, ZIP_METHOD_DEFLATE, false},
        {"empty/", &none, ZIP_METHOD_STORE, true},
        {"noise.bin", &noise, ZIP_METHOD_STORE, false},
        {"zero.bin", &none, ZIP_METHOD_DEFLATE, false},
    };
    ASSERT_EQ(zip.GetCount(), 4);
    for (ZIP_INDEX_TYPE i = 0; i < 4; ++i)
    {
        const Expected& e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(zip.FindFile(e.name), i);
        CZipFileHeader info;
        ASSERT_TRUE(zip.GetFileInfo(info, i));
        EXPECT_EQ(std::string(info.GetFileName()), e.name);
        EXPECT_EQ(info.m_uMethod, e.method);
        EXPECT_EQ(info.IsDirectory(), e.directory);
        EXPECT_EQ(info.m_uUncomprSize, e.data->size());
        SYSTEMTIME time;
        info.GetTime(time);
        EXPECT_GE(time.wYear, 2024);
        if (!e.directory)
        {
            CZipMemFile out;
            ASSERT_TRUE(zip.ExtractFile(i, out));
            EXPECT_EQ(out.GetData(), *e.data);
        }
    }
    EXPECT_EQ(zip.FindFile("DOCS/README.TXT"), ZIP_FILE_INDEX_NOT_FOUND);
    EXPECT_EQ(zip.FindFile("DOCS/README.TXT", false), 0);
    EXPECT_FALSE(zip.AddNewFile("x", 1, "read-only"));
    const std::string extracted = Path("readme-copy.txt");
    ASSERT_TRUE(zip.ExtractFile(0, extracted.c_str()));
    EXPECT_EQ(ReadWholeFile(extracted), text);
}

// Python writes, the library reads.
TEST_F(ZipArchiveFiles, ReadsArchivesThatPythonWrote)
{
    if (!HavePython())
        GTEST_SKIP() << "python3 with its zipfile module is not installed";
    const Bytes text = TextBytes(150000, 31);
    const Bytes noise = RandomBytes(40000, 32);
    WritePlain("a/text.txt", text);
    WritePlain("noise.bin", noise);
    const std::string script = R"PY(
import sys, zipfile
folder, archive = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(archive, "w") as z:
    z.write(folder + "/a/text.txt", "a/text.txt", compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    z.write(folder + "/noise.bin", "noise.bin", compress_type=zipfile.ZIP_STORED)
    z.writestr("a/", b"")
)PY";
    const std::string archive = Path("python.zip");
    ASSERT_TRUE(RunPython(script, (m_dir / "plain").string() + " " + archive));
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly));
    ASSERT_EQ(zip.GetCount(), 3);
    CZipMemFile outText, outNoise;
    ASSERT_TRUE(zip.ExtractFile(zip.FindFile("a/text.txt"), outText));
    ASSERT_TRUE(zip.ExtractFile(zip.FindFile("noise.bin"), outNoise));
    EXPECT_EQ(outText.GetData(), text);
    EXPECT_EQ(outNoise.GetData(), noise);
    CZipFileHeader info;
    ASSERT_TRUE(zip.GetFileInfo(info, zip.FindFile("a/")));
    EXPECT_TRUE(info.IsDirectory());
}

// Damaged archives: the error says what is wrong, nothing is trusted, and an
// extraction that fails leaves no file behind that looks good.
TEST_F(ZipArchiveFiles, DamagedArchivesAreRefusedWithTheirReason)
{
    CZipMemFile good;
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(good, CZipArchive::zipCreate));
        zip.AddNewFile("stored data!", 12, "s.txt", 0);
        zip.Close();
    }
    const Bytes bytes = good.GetData();
    // Offsets in the archive above: the local header (30 bytes and the name)
    // starts it; the central record follows the data and its descriptor.
    const size_t dataOffset = 30 + 5;
    const size_t central = dataOffset + 12 + 16;
    const size_t end = bytes.size() - 22;
    ASSERT_EQ(bytes[central], 'P');
    ASSERT_EQ(bytes[end + 1], 'K');

    auto patched = [&](size_t offset, Bytes with) {
        Bytes b = bytes;
        std::copy(with.begin(), with.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
        return b;
    };
    Bytes withLocator(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end));
    const Bytes locator = {0x50, 0x4b, 0x06, 0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    withLocator.insert(withLocator.end(), locator.begin(), locator.end());
    withLocator.insert(withLocator.end(), bytes.begin() + static_cast<std::ptrdiff_t>(end), bytes.end());
    struct Case
    {
        const char* name;
        Bytes archive;
        int openCode;
        int extractCode;
    };
    const Case cases[] = {
        {"not an archive", RandomBytes(5000, 41), CZipException::cdirNotFound, -1},
        {"empty file", {}, CZipException::cdirNotFound, -1},
        {"directory past the end", patched(end + 16, {0xF0, 0xFF, 0, 0}), CZipException::badZipFile, -1},
        {"64-bit extension", withLocator, CZipException::noZip64, -1},
        {"central record damaged", patched(central, {'X'}), CZipException::badZipFile, -1},
        {"changed data", patched(dataOffset + 3, {'X'}), -1, CZipException::badCrc},
        {"local header damaged", patched(0, {'X'}), -1, CZipException::badZipFile},
        {"encrypted with strong encryption", patched(central + 10, {ZIP_METHOD_WINZIP_AES}), -1, CZipException::noAES},
        {"unknown method", patched(central + 10, {14}), -1, CZipException::genericError},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = Path("damaged.zip");
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(c.archive.data()), static_cast<std::streamsize>(c.archive.size()));
        CZipArchive zip;
        EXPECT_EQ(ZipErrorOf([&] { zip.Open(path.c_str(), CZipArchive::zipOpenReadOnly); }), c.openCode);
        if (c.openCode != -1)
        {
            EXPECT_TRUE(zip.IsClosed());
            continue;
        }
        const std::string target = Path("out.txt");
        std::string text;
        EXPECT_EQ(ZipErrorOf([&] { zip.ExtractFile(0, target.c_str()); }, &text), c.extractCode) << text;
        EXPECT_FALSE(std::filesystem::exists(target));
        if (c.extractCode == CZipException::genericError)
        {
            EXPECT_EQ(text, "The request is not supported.");
        }
        zip.Close();
    }
}

// An archive that its owner forgets to close keeps the files it finished.
TEST_F(ZipArchiveFiles, AnArchiveDestroyedOpenKeepsItsFinishedFiles)
{
    const std::string archive = Path("forgotten.zip");
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipCreate));
        ASSERT_TRUE(zip.AddNewFile("kept", 4, "kept.txt"));
        CZipFileHeader header;
        header.SetFileName("half.txt");
        ASSERT_TRUE(zip.OpenNewFile(header));
        ASSERT_TRUE(zip.WriteNewFile("half", 4));
    }
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly));
    ASSERT_EQ(zip.GetCount(), 1);
    CZipMemFile out;
    ASSERT_TRUE(zip.ExtractFile(0, out));
    EXPECT_EQ(std::string(out.GetData().begin(), out.GetData().end()), "kept");
}

}  // namespace
