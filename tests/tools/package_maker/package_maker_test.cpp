#include "tools/package_maker/package_maker.h"

#include "app/package/package_key.h"

#include <cryptopp/aes.h>
#include <cryptopp/filters.h>
#include <cryptopp/gcm.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace pm = package_maker;

namespace
{

uint32_t U32At(const std::string& bytes, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

std::string Decrypt(const std::string& package)
{
    CryptoPP::GCM<CryptoPP::AES>::Decryption decryption;
    decryption.SetKeyWithIV(GetPackageKey(), PACKAGE_KEY_SIZE, GetPackageIv(), PACKAGE_IV_SIZE);
    std::string plain;
    CryptoPP::StringSource source(
        package, true,
        new CryptoPP::AuthenticatedDecryptionFilter(decryption, new CryptoPP::StringSink(plain),
                                                    CryptoPP::AuthenticatedDecryptionFilter::THROW_EXCEPTION,
                                                    static_cast<int>(PACKAGE_TAG_SIZE)));
    return plain;
}

TEST(PackageMaker, Crc32IsTheIeeeCrc)
{
    EXPECT_EQ(0xCBF43926u, pm::Crc32("123456789", 9));
    EXPECT_EQ(0u, pm::Crc32("", 0));
}

TEST(PackageMaker, ContainerLayout)
{
    pm::Image image;
    image.idField = "00.0.1";
    image.reserved = {1, 2, 3, 4, 5};
    image.sections.push_back(pm::MakeSection(0x0A0D, 0x45000, "02.5.6", "body"));
    image.sections.push_back(pm::MakeSection(0xFEFE, 7, "\x17", ""));
    const std::string bytes = pm::BuildImage(image);
    ASSERT_EQ(24u + 28u + 4u + 28u, bytes.size());

    EXPECT_EQ(std::string("Veltrano200.0.1\1\2\3\4\5\2\0\0\0", 24), bytes.substr(0, 24));
    const std::string first = bytes.substr(24, 32);
    EXPECT_EQ("nwdl", first.substr(0, 4));
    EXPECT_EQ(10u, U32At(first, 4)) << "group";
    EXPECT_EQ(0x45000u, U32At(first, 8)) << "id";
    EXPECT_EQ(13, first[12]) << "type";
    EXPECT_EQ(std::string("02.5.6\0", 7), first.substr(13, 7));
    EXPECT_EQ(4u, U32At(first, 20));
    EXPECT_EQ(pm::Crc32("body", 4), U32At(first, 24));
    EXPECT_EQ("body", first.substr(28));

    const std::string second = bytes.substr(56);
    EXPECT_EQ(0xFEu, U32At(second, 4));
    EXPECT_EQ(0xFE, static_cast<unsigned char>(second[12]));
    EXPECT_EQ(std::string("\x17\0\0\0\0\0\0", 7), second.substr(13, 7)) << "short versions are padded";
    EXPECT_EQ(0u, U32At(second, 20));
}

TEST(PackageMaker, LyingFieldsForTests)
{
    pm::Image image;
    image.tag = "Veltranox and more";
    image.count = -3;
    image.sections.push_back(pm::MakeSection(0x0100, 1, "1234567", "ab"));
    image.sections[0].bodyLength = 1000;
    image.sections[0].crc = 0x12345678;
    image.sections[0].magic = std::array<char, 4>{'x', 'y', 'z', 'w'};
    const std::string bytes = pm::BuildImage(image);
    EXPECT_EQ("Veltranox", bytes.substr(0, 9));
    EXPECT_EQ(static_cast<uint32_t>(-3), U32At(bytes, 20));
    EXPECT_EQ("xyzw", bytes.substr(24, 4));
    EXPECT_EQ(std::string("123456\0", 7), bytes.substr(24 + 13, 7));
    EXPECT_EQ(1000u, U32At(bytes, 24 + 20));
    EXPECT_EQ(0x12345678u, U32At(bytes, 24 + 24));
    EXPECT_EQ(24u + 28u + 2u, bytes.size());
}

TEST(PackageMaker, DeviceTypeSections)
{
    const auto sections = pm::MakeDeviceTypeSections(200);
    ASSERT_EQ(2u, sections.size());
    EXPECT_EQ(0xFEFD, sections[0].Key());
    EXPECT_TRUE(sections[0].body.empty());
    EXPECT_EQ(0xFEFE, sections[1].Key());
    EXPECT_EQ(200, static_cast<unsigned char>(sections[1].version[0]));
}

TEST(PackageMaker, EncryptionAuthenticatesWithTheProgramsKey)
{
    const std::string plain = pm::BuildImage(pm::Image{}) + std::string(1000, 'q');
    const std::string package = pm::EncryptPackage(plain);
    EXPECT_EQ(plain.size() + PACKAGE_TAG_SIZE, package.size());
    EXPECT_EQ(plain, Decrypt(package));
    std::string tampered = package;
    tampered[3] ^= 1;
    EXPECT_THROW(Decrypt(tampered), CryptoPP::Exception);
}

} // namespace
