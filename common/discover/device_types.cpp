#include "common/discover/device_types.h"

#include <iterator>

namespace
{

struct DeviceTypeEntry
{
    LPCTSTR name;
    int group;
    int feature;
};

// Indexed by type.
const DeviceTypeEntry kDeviceTypes[] = {
    {"Vindra", 0, 1},
    {"Unknown", 0, 1},
    {"Veltranox", 2, 1},
    {"K-Tressel OutputBox", 3, 1},
    {"K-Tressel Encoder", 4, 1},
    {"Veltranox IP Decoder", 5, 1},
    {"Oskaline", 6, 1},
    {"Olphen", 7, 1},
    {"Tandrel", 2, 0},
    {"Tandrel IP Decoder", 5, 0},
    {"TandrMAX", 7, 0},
    {"Drovemantle", 6, 0},
    {"Veltranox LC", 8, 1},
    {"Tandrel LC", 8, 0},
    {"Wexal", 9, 1},
    {"Wexo", 9, 0},
    {"Casvel IP", 10, 1},
    {"Drovemantle LC", 10, 0},
    {"Imbra Delk", 7, 1},
    {"Casvel IP XL", 11, 1},
    {"Drovemantle LC XL", 11, 0},
    {"Casvel IP W", 12, 1},
    {"Drovemantle LC W", 12, 0},
    {"Obrelon", 13, 1},
    {"Obrelon ST", 14, 1},
    {"Veltranox2", 15, 1},
    {"ObrelonHD", 13, 1},
    {"ObrelonHD ST", 14, 1},
    {"Tesmo", 16, 1},
    {"ObrelonBP", 17, 1},
    {"Plexaro", 18, 1},
    {"Plexaro ST", 19, 1},
    {"Obrelon TS MUX", 20, 1},
    {"Obrelon GW", 14, 1},
    {"ObrelonHD ST Decoder", 14, 1},
    {"Obrelon Aero", 14, 1},
};
static_assert(std::size(kDeviceTypes) == DEVICE_TYPE_LAST + 1);

// Indexed by group.
const int kGroupClasses[] = {0, 0, 1, 2, 2, 1, 1, 1, 1, 3, 1, 1, 1, 4, 4, 5, 1, 4, 4, 4, 4, 4, 4, 4};

const DeviceTypeEntry kUnknownType = {"Unknown", 0, 1};

const DeviceTypeEntry& Lookup(int type)
{
    if (type < 0 || type > DEVICE_TYPE_LAST)
        return kUnknownType;
    return kDeviceTypes[type];
}

} // namespace

LPCTSTR GetDeviceTypeName(int type)
{
    return Lookup(type).name;
}

int GetDeviceGroup(int type)
{
    return Lookup(type).group;
}

int GetDeviceClass(int group)
{
    if (group < 0 || group >= static_cast<int>(std::size(kGroupClasses)))
        return 0;
    return kGroupClasses[group];
}

int HasDeviceFeature(int type)
{
    return Lookup(type).feature;
}
