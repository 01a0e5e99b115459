#include "common/discover/device_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

void PutU32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

void PutString(std::string& out, const std::string& text)
{
    PutU32(out, static_cast<uint32_t>(text.size()));
    out += text;
}

// A record of the version with the fields that version carries.
std::string Record(int version, const std::string& s1 = "name", const std::string& s2 = "line")
{
    std::string out;
    PutString(out, "BRISEL");
    PutU32(out, static_cast<uint32_t>(version));
    PutU32(out, 11);
    PutU32(out, 22);
    PutU32(out, 33);
    PutString(out, s1);
    if (version > 0)
        PutU32(out, 44);
    if (version > 1)
        PutString(out, s2);
    return out;
}

int Read(CDeviceSettings& settings, const std::string& bytes)
{
    // An exact-size heap copy, so that a read past the end shows under the
    // sanitizers.
    std::vector<BYTE> copy(bytes.begin(), bytes.end());
    return settings.Read(copy.data(), static_cast<int>(copy.size()));
}

CDeviceSettings Filled()
{
    CDeviceSettings settings;
    settings.a = 1;
    settings.b = 2;
    settings.c = 3;
    settings.s1 = "before1";
    settings.d = 4;
    settings.s2 = "before2";
    settings.version = 9;
    return settings;
}

void ExpectUnchanged(const CDeviceSettings& settings)
{
    EXPECT_EQ(1, Filled().Equals(settings));
}

TEST(DeviceSettings, DefaultRecordIs38Bytes)
{
    CDeviceSettings settings;
    EXPECT_EQ(38, settings.Write(nullptr));
    std::vector<BYTE> buffer(38);
    EXPECT_EQ(38, settings.Write(buffer.data()));
    std::string expected;
    PutString(expected, "BRISEL");
    PutU32(expected, 2);
    expected += std::string(24, '\0');
    EXPECT_EQ(expected, std::string(buffer.begin(), buffer.end()));
}

TEST(DeviceSettings, SizeGrowsWithTheStrings)
{
    CDeviceSettings settings;
    settings.s1 = "abc";
    settings.s2 = "hello";
    settings.version = 0;
    EXPECT_EQ(38 + 3 + 5, settings.Write(nullptr)) << "every item is written whatever the version";
}

TEST(DeviceSettings, RoundTripsThroughTheWire)
{
    CDeviceSettings written;
    written.a = 0xA1A2A3A4;
    written.b = 7;
    written.c = 0xFFFFFFFF;
    written.s1 = "Encoder hall 2";
    written.d = 99;
    written.s2 = CString("up\0down", 7);
    std::vector<BYTE> buffer(static_cast<size_t>(written.Write(nullptr)));
    written.Write(buffer.data());

    CDeviceSettings read;
    EXPECT_EQ(static_cast<int>(buffer.size()), read.Read(buffer.data(), static_cast<int>(buffer.size())));
    EXPECT_EQ(1, read.Equals(written));
    EXPECT_EQ(0xA1A2A3A4u, read.a);
    EXPECT_STREQ("Encoder hall 2", read.s1);
}

TEST(DeviceSettings, ReadVersionsZeroOneAndTwo)
{
    CDeviceSettings settings = Filled();
    const std::string v0 = Record(0);
    EXPECT_EQ(static_cast<int>(v0.size()), Read(settings, v0));
    EXPECT_EQ(0, settings.version);
    EXPECT_EQ(11u, settings.a);
    EXPECT_EQ(33u, settings.c);
    EXPECT_STREQ("name", settings.s1);
    EXPECT_EQ(4u, settings.d) << "version 0 carries no d";
    EXPECT_STREQ("before2", settings.s2);

    settings = Filled();
    const std::string v1 = Record(1);
    EXPECT_EQ(static_cast<int>(v1.size()), Read(settings, v1));
    EXPECT_EQ(1, settings.version);
    EXPECT_EQ(44u, settings.d);
    EXPECT_STREQ("before2", settings.s2) << "version 1 carries no s2";

    settings = Filled();
    const std::string v2 = Record(2);
    EXPECT_EQ(static_cast<int>(v2.size()), Read(settings, v2));
    EXPECT_EQ(44u, settings.d);
    EXPECT_STREQ("line", settings.s2);
}

TEST(DeviceSettings, ReadConsumesOnlyTheRecord)
{
    CDeviceSettings settings;
    const std::string record = Record(2);
    EXPECT_EQ(static_cast<int>(record.size()), Read(settings, record + "trailing bytes"));
    // A later version appends fields that this one does not know.
    const std::string v3 = Record(3);
    EXPECT_EQ(static_cast<int>(v3.size()), Read(settings, v3 + "more"));
    EXPECT_EQ(3, settings.version);
}

TEST(DeviceSettings, RejectsOtherMagics)
{
    CDeviceSettings settings = Filled();
    std::string record = Record(2);
    record[4] = 'b';
    EXPECT_EQ(0, Read(settings, record));

    std::string longer;
    PutString(longer, std::string("BRISEL\0", 7));
    EXPECT_EQ(0, Read(settings, longer + Record(2).substr(10)));
    std::string shorter;
    PutString(shorter, "BRISE");
    EXPECT_EQ(0, Read(settings, shorter + Record(2).substr(10)));
    EXPECT_EQ(0, settings.Read(nullptr, 100));
    ExpectUnchanged(settings);
}

TEST(DeviceSettings, EveryTruncationFailsWithoutChange)
{
    for (int version : {0, 1, 2})
    {
        const std::string record = Record(version);
        for (size_t length = 0; length < record.size(); ++length)
        {
            CDeviceSettings settings = Filled();
            EXPECT_EQ(0, Read(settings, record.substr(0, length))) << version << " " << length;
            ExpectUnchanged(settings);
        }
    }
}

TEST(DeviceSettings, LyingStringCountsFail)
{
    // A count of 1000 in a 40-byte datagram.
    std::string record = Record(2, "ab", "");
    ASSERT_EQ(40u, record.size());
    std::string lying = record;
    lying[26] = static_cast<char>(1000 & 0xFF);
    lying[27] = static_cast<char>(1000 >> 8);
    CDeviceSettings settings = Filled();
    EXPECT_EQ(0, Read(settings, lying));
    ExpectUnchanged(settings);

    // Negative counts, and one that would wrap a 32-bit offset.
    for (uint32_t count : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 0x7FFFFFFCu})
    {
        std::string bad = record;
        bad[26] = static_cast<char>(count);
        bad[27] = static_cast<char>(count >> 8);
        bad[28] = static_cast<char>(count >> 16);
        bad[29] = static_cast<char>(count >> 24);
        EXPECT_EQ(0, Read(settings, bad)) << count;
        ExpectUnchanged(settings);
    }

    std::string lyingMagic;
    PutU32(lyingMagic, 0xFFFFFFFF);
    lyingMagic += "BRISEL";
    EXPECT_EQ(0, Read(settings, lyingMagic));
}

TEST(DeviceSettings, LengthPrefixedStrings)
{
    EXPECT_EQ(4 + 5, CDeviceSettings::WriteLengthPrefixedString(nullptr, "hello"));
    BYTE buffer[16] = {};
    EXPECT_EQ(9, CDeviceSettings::WriteLengthPrefixedString(buffer, "hello"));
    EXPECT_EQ(std::string("\5\0\0\0hello", 9), std::string(reinterpret_cast<char*>(buffer), 9));

    CString text;
    EXPECT_EQ(9, CDeviceSettings::ReadLengthPrefixedString(buffer, 9, text));
    EXPECT_STREQ("hello", text);
    EXPECT_EQ(0, CDeviceSettings::ReadLengthPrefixedString(buffer, 8, text));
    EXPECT_EQ(0, CDeviceSettings::ReadLengthPrefixedString(buffer, 3, text));
    EXPECT_EQ(0, CDeviceSettings::ReadLengthPrefixedString(nullptr, 9, text));
}

TEST(DeviceSettings, EqualsComparesTheSerialisedForm)
{
    CDeviceSettings one;
    CDeviceSettings two;
    EXPECT_EQ(1, one.Equals(two));
    two.s1 = "x";
    EXPECT_EQ(0, one.Equals(two)) << "different sizes";
    one.s1 = "y";
    EXPECT_EQ(0, one.Equals(two)) << "same size, different bytes";
    one.s1 = "x";
    two.version = 1;
    EXPECT_EQ(0, one.Equals(two)) << "the version is part of the record";
    two.version = 2;
    two.d = 1;
    EXPECT_EQ(0, one.Equals(two));
}

} // namespace
