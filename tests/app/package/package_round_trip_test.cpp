// A package written by the package maker, read back the way the update
// engine reads it: decrypt, walk, build a derived image, compare versions.
#include "app/package/image_container.h"
#include "app/package/update_package.h"

#include "platform/base/mem_file.h"
#include "tools/package_maker/package_maker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

namespace pm = package_maker;

namespace
{

std::string Body(size_t size, int seed)
{
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 7 + seed * 13 + (i >> 9)) & 0xFF);
    return body;
}

TEST(PackageRoundTrip, MakeDecryptWalkCopyCompare)
{
    pm::Image image;
    image.idField = "06.7.7";
    image.sections = pm::MakeDeviceTypeSections(25);
    image.sections.push_back(pm::MakeSection(0x0A0D, 0, "00.0.3", Body(700, 1)));
    image.sections.push_back(pm::MakeSection(0x0100, 0x10000, "02.5.6", Body(200000, 2)));
    image.sections.push_back(pm::MakeSection(0x0100, 0x45000, "02.5.6", Body(65536, 3)));
    image.sections.push_back(pm::MakeSection(0x0A0C, 3, "01.2.3", Body(513, 4)));
    image.sections.push_back(pm::MakeSection(0x050D, 4, "00.0.9", ""));

    const std::string name = "round_trip_" + std::to_string(std::random_device()()) + ".zpk";
    const std::string path = (std::filesystem::path(testing::TempDir()) / name).string();
    std::string error;
    ASSERT_TRUE(pm::WriteFile(path, pm::EncryptPackage(pm::BuildImage(image)), error)) << error;

    EXPECT_EQ(25, GetPackageTypeId(path.c_str()));
    std::string bytes;
    ASSERT_TRUE(DecryptUpdateFile(path.c_str(), bytes));
    std::filesystem::remove(path);
    ASSERT_EQ(pm::BuildImage(image), bytes);

    CMemFile package(reinterpret_cast<BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    // Walk: every section with its key and id, in file order.
    for (int n = 0; n < static_cast<int>(image.sections.size()); ++n)
    {
        WORD key = 0;
        DWORD id = 0;
        ASSERT_EQ(1, FindImageSection(package, key, id, n)) << n;
        EXPECT_EQ(image.sections[n].Key(), key) << n;
        EXPECT_EQ(image.sections[n].id, id) << n;
    }
    WORD key = 0;
    DWORD id = 0;
    EXPECT_EQ(0, FindImageSection(package, key, id, static_cast<int>(image.sections.size())));

    // A derived image as the cross-generation path builds it: information
    // sections, then every section of types 0, 10 and 12.
    CMemFile derived;
    BeginImage(package, derived);
    EXPECT_EQ(1, SetImageIdField(derived, "06_7_5"));
    CopyImageSections(package, derived, IMAGE_KEY_LOADER_START, -1);
    CopyImageSections(package, derived, IMAGE_KEY_PACKAGE_INFO, -1);
    for (int n = 0; FindImageSection(package, key, id, n); ++n)
    {
        const BYTE type = key & 0xFF;
        if (type == 0 || type == 10 || type == 12)
            CopyImageSections(package, derived, key, static_cast<int>(id));
    }

    pm::Image expected;
    expected.idField = "06_7_5";
    expected.sections = {image.sections[0], image.sections[1], image.sections[3], image.sections[4],
                         image.sections[5]};
    EXPECT_EQ(pm::BuildImage(expected),
              std::string(reinterpret_cast<const char*>(derived.GetBuffer()), derived.GetLength()));

    // Versions, against the package and against the derived image.
    EXPECT_EQ(1, CompareImageVersion(package, IMAGE_KEY_INIT, -1, "00.0.2"));
    EXPECT_EQ(0, CompareImageVersion(derived, 0x0100, 0x45000, "02.5.6"));
    EXPECT_EQ(1, CompareImageVersion(derived, 0x0100, 0x45000, "02.5.5"));
    EXPECT_EQ(-1, CompareImageVersion(derived, 0x0A0C, 3, "01.2.4"));
    EXPECT_EQ(0, CompareImageVersion(derived, IMAGE_KEY_INIT, -1, "00.0.2")) << "not copied";

    // Every copied body still has the CRC that its header carries.
    _TImageSection header = {};
    ASSERT_TRUE(ReadImageSectionHeader(derived, header, 0x0100, 0x10000));
    EXPECT_EQ(pm::Crc32(image.sections[3].body.data(), image.sections[3].body.size()), header.crc);
}

} // namespace
