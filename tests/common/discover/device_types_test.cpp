#include "common/discover/device_types.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct Expected
{
    int type;
    const char* name;
    int group;
    int deviceClass;
    int feature;
};

// Spot checks across the table: both ends, every class and both flags.
const Expected kRows[] = {
    {0, "Vindra", 0, 0, 1},          {2, "Veltranox", 2, 1, 1},
    {3, "K-Tressel OutputBox", 3, 2, 1}, {8, "Tandrel", 2, 1, 0},
    {9, "Tandrel IP Decoder", 5, 1, 0}, {11, "Drovemantle", 6, 1, 0},
    {14, "Wexal", 9, 3, 1},          {15, "Wexo", 9, 3, 0},
    {18, "Imbra Delk", 7, 1, 1},     {20, "Drovemantle LC XL", 11, 1, 0},
    {22, "Drovemantle LC W", 12, 1, 0}, {23, "Obrelon", 13, 4, 1},
    {25, "Veltranox2", 15, 5, 1},    {28, "Tesmo", 16, 1, 1},
    {29, "ObrelonBP", 17, 4, 1},     {32, "Obrelon TS MUX", 20, 4, 1},
    {35, "Obrelon Aero", 14, 4, 1},
};

TEST(DeviceTypes, LooksUpNameGroupClassAndFlag)
{
    for (const Expected& row : kRows)
    {
        SCOPED_TRACE(row.type);
        EXPECT_STREQ(row.name, GetDeviceTypeName(row.type));
        EXPECT_EQ(row.group, GetDeviceGroup(row.type));
        EXPECT_EQ(row.deviceClass, GetDeviceClass(GetDeviceGroup(row.type)));
        EXPECT_EQ(row.feature, HasDeviceFeature(row.type));
    }
}

TEST(DeviceTypes, TypesWithoutModelAreUnknown)
{
    for (int type : {1, 36, -1, 127, -128, 1000})
    {
        SCOPED_TRACE(type);
        EXPECT_STREQ("Unknown", GetDeviceTypeName(type));
        EXPECT_EQ(0, GetDeviceGroup(type));
        EXPECT_EQ(0, GetDeviceClass(GetDeviceGroup(type)));
        EXPECT_EQ(1, HasDeviceFeature(type));
    }
}

TEST(DeviceTypes, OnlyTheSecondSubFamilyLacksTheFeature)
{
    std::string without;
    for (int type = -2; type <= 40; ++type)
        if (!HasDeviceFeature(type))
            without += std::to_string(type) + " ";
    EXPECT_EQ("8 9 10 11 13 15 17 20 22 ", without);
}

TEST(DeviceTypes, SharedGroupsDifferOnlyInTheFlag)
{
    EXPECT_EQ(GetDeviceGroup(2), GetDeviceGroup(8));
    EXPECT_NE(HasDeviceFeature(2), HasDeviceFeature(8));
    EXPECT_EQ(7, GetDeviceGroup(18));
    EXPECT_EQ(GetDeviceGroup(7), GetDeviceGroup(18));
    EXPECT_EQ(GetDeviceGroup(10), GetDeviceGroup(18));
}

TEST(DeviceTypes, ClassIsDefinedOnGroups)
{
    const int classes[] = {0, 0, 1, 2, 2, 1, 1, 1, 1, 3, 1, 1, 1, 4, 4, 5, 1, 4, 4, 4, 4, 4, 4, 4};
    for (int group = 0; group < 24; ++group)
        EXPECT_EQ(classes[group], GetDeviceClass(group)) << group;
    for (int group : {-1, 24, 255, 100000})
        EXPECT_EQ(0, GetDeviceClass(group)) << group;
}

} // namespace
