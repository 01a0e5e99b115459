#include "zip/zip_crc32_cryptograph.h"

#include "zip/zip_archive.h"
#include "zip/zip_mem_file.h"
#include "python_zip_check.h"
#include "zip_test_support.h"

#include <cstring>

namespace
{

using namespace zip_test;

CZipAutoBuffer Password(const char* text)
{
    CZipAutoBuffer buffer;
    buffer.Fill(text, static_cast<DWORD>(std::strlen(text)));
    return buffer;
}

Bytes Concat(Bytes a, const std::string& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The cipher bytes were made with Python's zipfile decrypter, by finding for
// each position the byte that it turns into the plain one.
const Bytes HEADER_A = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const Bytes CIPHER_A = {0xc8, 0x88, 0xc2, 0xbf, 0x0d, 0xe3, 0xa4, 0x03, 0xf4, 0x15, 0x32, 0xd2,
                        0x5a, 0x23, 0x93, 0xb4, 0x9e, 0xc1, 0x1e, 0x19, 0x35, 0xcc, 0x8e};
// Ten bytes 0xA0..0xA9, then the CRC's two high bytes, then the data.
const std::string PLAIN_B = "stored bytes, checked by CRC";
const DWORD CRC_B = 0x09c256c2;
const Bytes CIPHER_B = {0x9e, 0x74, 0x67, 0x2b, 0xd7, 0xf7, 0x88, 0x4f, 0xff, 0x05, 0xa8, 0x11, 0x03, 0xf8,
                        0xaf, 0x1f, 0x4c, 0x68, 0x2f, 0x6f, 0xf4, 0x0d, 0x0c, 0x6e, 0xff, 0x47, 0xb8, 0xa2,
                        0x4f, 0x03, 0x1f, 0x57, 0x2c, 0x88, 0xa7, 0x2c, 0xeb, 0x07, 0x06, 0xf3};

Bytes HeaderB()
{
    Bytes header;
    for (int i = 0; i < 10; ++i)
        header.push_back(static_cast<unsigned char>(0xA0 + i));
    header.push_back(static_cast<unsigned char>(CRC_B >> 16));
    header.push_back(static_cast<unsigned char>(CRC_B >> 24));
    return header;
}

TEST(Crc32Cryptograph, StreamMatchesKnownVectors)
{
    struct Case
    {
        const char* password;
        Bytes plain;
        Bytes cipher;
    };
    const Case cases[] = {
        {"secret", Concat(HEADER_A, "Hello, ZIP!"), CIPHER_A},
        {"pass", Concat(HeaderB(), PLAIN_B), CIPHER_B},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.password);
        CZipCrc32Cryptograph encoder;
        encoder.CryptInitKeys(Password(c.password));
        Bytes buffer = c.plain;
        // In two pieces: the keys carry over from one call to the next.
        encoder.Encode(reinterpret_cast<char*>(buffer.data()), 5);
        encoder.Encode(reinterpret_cast<char*>(buffer.data()) + 5, static_cast<DWORD>(buffer.size() - 5));
        EXPECT_EQ(buffer, c.cipher);
        CZipCrc32Cryptograph decoder;
        decoder.CryptInitKeys(Password(c.password));
        decoder.Decode(reinterpret_cast<char*>(buffer.data()), static_cast<DWORD>(buffer.size()));
        EXPECT_EQ(buffer, c.plain);
    }
}

// An archive put together byte by byte around vector B: one stored file,
// encrypted, without a data descriptor, so its check byte is the CRC's.
Bytes HandMadeArchive(const Bytes& data)
{
    Bytes zip;
    auto put16 = [&](unsigned v) { zip.push_back(v & 0xFF), zip.push_back((v >> 8) & 0xFF); };
    auto put32 = [&](unsigned v) { put16(v & 0xFFFF), put16(v >> 16); };
    const std::string name = "crc.txt";
    auto common = [&] {
        put16(20), put16(1), put16(0), put16(0x6000), put16(0x5A21);  // needed, encrypted, stored, time, date
        put32(CRC_B), put32(static_cast<unsigned>(data.size())), put32(static_cast<unsigned>(PLAIN_B.size()));
        put16(static_cast<unsigned>(name.size()));
    };
    put32(0x04034b50), common(), put16(0);
    zip.insert(zip.end(), name.begin(), name.end());
    zip.insert(zip.end(), data.begin(), data.end());
    const unsigned central = static_cast<unsigned>(zip.size());
    put32(0x02014b50), put16(20), common(), put16(0), put16(0), put16(0), put16(0), put32(0), put32(0);
    zip.insert(zip.end(), name.begin(), name.end());
    const unsigned centralSize = static_cast<unsigned>(zip.size()) - central;
    put32(0x06054b50), put16(0), put16(0), put16(1), put16(1), put32(centralSize), put32(central), put16(0);
    return zip;
}

TEST(Crc32Cryptograph, PasswordIsCheckedAgainstTheHeaderAndTheDataAgainstItsCrc)
{
    Bytes damaged = CIPHER_B;
    damaged[20] ^= 0x01;
    struct Case
    {
        const char* name;
        const char* password;
        Bytes data;
        int code;
    };
    const Case cases[] = {
        {"right password", "pass", CIPHER_B, -1},
        {"wrong password", "pasS", CIPHER_B, CZipException::badPassword},
        {"no password", "", CIPHER_B, CZipException::badPassword},
        {"damaged data", "pass", damaged, CZipException::badCrc},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Bytes bytes = HandMadeArchive(c.data);
        CZipMemFile file(bytes.data(), bytes.size());
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(file, CZipArchive::zipOpenReadOnly));
        zip.SetPassword(c.password);
        CZipMemFile out;
        std::string text;
        EXPECT_EQ(ZipErrorOf([&] { zip.ExtractFile(0, out); }, &text), c.code) << text;
        if (c.code == -1)
        {
            EXPECT_EQ(std::string(out.GetData().begin(), out.GetData().end()), PLAIN_B);
        }
        if (c.code == CZipException::badPassword)
        {
            EXPECT_EQ(text, "An incorrect password set for the file being decrypted");
        }
        zip.Close();
    }
}

class Crc32CryptographArchive : public TempDir
{
};

// Files the library encrypts are read by Python's zipfile with the same
// password: the 12-byte header, its check bytes, the compressed size that
// counts the header and the data stream all have to be right for that.
TEST_F(Crc32CryptographArchive, PythonReadsWhatTheLibraryEncrypted)
{
    if (!HavePython())
        GTEST_SKIP() << "python3 with its zipfile module is not installed";
    std::filesystem::create_directory(m_dir / "plain");
    struct Member
    {
        std::string name;
        Bytes data;
        int level;
    };
    const Member members[] = {
        {"empty.bin", {}, -1},
        {"one.bin", {0x42}, -1},
        {"text.txt", TextBytes(100000, 11), 9},
        {"random.bin", RandomBytes(300000, 12), -1},
        {"stored.bin", RandomBytes(70000, 13), 0},
    };
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(Path("secret.zip").c_str(), CZipArchive::zipCreate));
    zip.SetPassword("Tr3lwin pass");
    for (const Member& m : members)
    {
        std::ofstream(m_dir / "plain" / m.name, std::ios::binary)
            .write(reinterpret_cast<const char*>(m.data.data()), static_cast<std::streamsize>(m.data.size()));
        ASSERT_TRUE(zip.AddNewFile(m.data.data(), static_cast<DWORD>(m.data.size()), m.name.c_str(), m.level));
    }
    zip.Close();
    EXPECT_TRUE(RunPython(PYTHON_COMPARE_MEMBERS, Path("secret.zip") + " " + (m_dir / "plain").string() +
                                                      " 'Tr3lwin pass'"));

    // And the library reads its own files back.
    ASSERT_TRUE(zip.Open(Path("secret.zip").c_str(), CZipArchive::zipOpenReadOnly));
    zip.SetPassword("Tr3lwin pass");
    for (const Member& m : members)
    {
        SCOPED_TRACE(m.name);
        CZipFileHeader info;
        ASSERT_TRUE(zip.GetFileInfo(info, zip.FindFile(m.name.c_str())));
        EXPECT_TRUE(info.IsEncrypted());
        if (m.level == 0)
        {
            EXPECT_EQ(info.m_uComprSize, m.data.size() + 12);
        }
        CZipMemFile out;
        ASSERT_TRUE(zip.ExtractFile(zip.FindFile(m.name.c_str()), out));
        EXPECT_EQ(out.GetData(), m.data);
    }
}

}  // namespace
