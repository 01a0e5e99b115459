#include "app/package/update_package.h"

#include "tools/package_maker/package_maker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace pm = package_maker;

namespace
{

class UpdatePackage : public testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::path(testing::TempDir()) /
                (std::string("update_package_") + info->name() + "_" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    CString Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = (m_dir / name).string();
        std::string error;
        EXPECT_TRUE(pm::WriteFile(path, bytes, error)) << error;
        return path.c_str();
    }

    static std::string Container(int deviceType)
    {
        pm::Image image;
        image.sections = pm::MakeDeviceTypeSections(static_cast<uint8_t>(deviceType));
        image.sections.push_back(pm::MakeSection(0x0100, 1, "02.5.6", std::string(5000, 'b')));
        return pm::BuildImage(image);
    }

    std::filesystem::path m_dir;
};

TEST_F(UpdatePackage, DecryptsAPackage)
{
    const std::string plain = Container(23);
    const std::string package = pm::EncryptPackage(plain);
    ASSERT_NE(plain, package.substr(0, plain.size()));
    std::string out = "stale";
    EXPECT_TRUE(DecryptUpdateFile(Write("a.zpk", package), out));
    EXPECT_EQ(plain, out);
}

TEST_F(UpdatePackage, PlainContainerIsReadUnchanged)
{
    const std::string plain = Container(23);
    std::string out;
    EXPECT_TRUE(DecryptUpdateFile(Write("plain.zpk", plain), out));
    EXPECT_EQ(plain, out);
}

TEST_F(UpdatePackage, WrongTagIsReadUnchanged)
{
    std::string package = pm::EncryptPackage(Container(23));
    package.back() ^= 0x01;
    std::string out;
    EXPECT_TRUE(DecryptUpdateFile(Write("tag.zpk", package), out));
    EXPECT_EQ(package, out);

    // A changed ciphertext byte fails the same way.
    package.back() ^= 0x01;
    package[100] ^= 0x40;
    EXPECT_TRUE(DecryptUpdateFile(Write("body.zpk", package), out));
    EXPECT_EQ(package, out);
}

TEST_F(UpdatePackage, FilesShorterThanTheTagAreReadUnchanged)
{
    std::string out;
    EXPECT_TRUE(DecryptUpdateFile(Write("short.zpk", "12345"), out));
    EXPECT_EQ("12345", out);
    // Exactly a tag's length: no ciphertext and a tag that does not match.
    EXPECT_TRUE(DecryptUpdateFile(Write("twelve.zpk", "123456789012"), out));
    EXPECT_EQ("123456789012", out);
}

TEST_F(UpdatePackage, EmptyPackageDecryptsToNothing)
{
    // The tag of no bytes at all authenticates and gives an empty container.
    std::string out = "stale";
    EXPECT_FALSE(DecryptUpdateFile(Write("nothing.zpk", pm::EncryptPackage("")), out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(DecryptUpdateFile(Write("empty.zpk", ""), out));
    EXPECT_TRUE(out.empty());
}

TEST_F(UpdatePackage, UnreadableFilesGiveNothing)
{
    std::string out = "stale";
    EXPECT_FALSE(DecryptUpdateFile((m_dir / "missing.zpk").string().c_str(), out));
    EXPECT_TRUE(out.empty());
    out = "stale";
    EXPECT_FALSE(DecryptUpdateFile(m_dir.string().c_str(), out)) << "a folder";
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(DecryptUpdateFile("", out));
    EXPECT_EQ(-1, GetPackageTypeId((m_dir / "missing.zpk").string().c_str()));
    EXPECT_EQ(-1, GetPackageTypeId(m_dir.string().c_str()));
}

// A package is held whole in memory, so a file larger than 1 GiB is refused
// as a whole: never read as the container at its start, whatever follows.
TEST_F(UpdatePackage, FilesLargerThanOneGibAreRefusedWhole)
{
    struct Case
    {
        const char* name;
        std::string start;
        unsigned long long size;  // the file's whole length; zeros after start
    };
    const std::string plain = Container(9);
    const Case cases[] = {
        {"a container followed by 4 GiB of zeros", plain, plain.size() + (4ull << 30)},
        {"a package followed by 4 GiB of zeros", pm::EncryptPackage(plain), (4ull << 30) + 464},
        {"a container filled to 1 GiB and one byte", plain, (1ull << 30) + 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CString path = Write("large.zpk", c.start);
        std::filesystem::resize_file(path.GetString(), c.size);  // sparse: no disk is used
        std::string out = "stale";
        EXPECT_FALSE(DecryptUpdateFile(path, out));
        EXPECT_TRUE(out.empty());
        EXPECT_EQ(-1, GetPackageTypeId(path));
    }
    // The same container alone is a package.
    EXPECT_EQ(9, GetPackageTypeId(Write("small.zpk", plain)));
}

TEST_F(UpdatePackage, PackageTypeIsByte13OfThePackageInformation)
{
    EXPECT_EQ(9, GetPackageTypeId(Write("9.zpk", pm::EncryptPackage(Container(9)))));
    EXPECT_EQ(23, GetPackageTypeId(Write("23.zpk", pm::EncryptPackage(Container(23)))));
    EXPECT_EQ(200, GetPackageTypeId(Write("200.zpk", pm::EncryptPackage(Container(200))))) << "unsigned";
    EXPECT_EQ(0, GetPackageTypeId(Write("0.zpk", pm::EncryptPackage(Container(0)))));
    EXPECT_EQ(9, GetPackageTypeId(Write("plain.zpk", Container(9))));
}

TEST_F(UpdatePackage, PackageWithoutInformationHasNoType)
{
    pm::Image image;
    image.sections.push_back(pm::MakeSection(0x0100, 1, "02.5.6", "body"));
    EXPECT_EQ(-1, GetPackageTypeId(Write("none.zpk", pm::EncryptPackage(pm::BuildImage(image)))));

    // A section of type 0xFE in another group, but no key 0xFEFE.
    image.sections.push_back(pm::MakeSection(0x01FE, 1, "\x09", ""));
    EXPECT_EQ(-1, GetPackageTypeId(Write("other.zpk", pm::EncryptPackage(pm::BuildImage(image)))));

    EXPECT_EQ(-1, GetPackageTypeId(Write("junk.zpk", std::string(4000, 'j'))));
    image = pm::Image{};
    image.tag = "Veltrano3";
    image.sections = pm::MakeDeviceTypeSections(9);
    EXPECT_EQ(-1, GetPackageTypeId(Write("tag.zpk", pm::EncryptPackage(pm::BuildImage(image)))));
}

} // namespace
