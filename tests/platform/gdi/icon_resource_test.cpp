#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "canvas.h"
#include "byte_builder.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/image/icon_resource.h"
#include "platform/gdi/internal/object_table.h"

using namespace gdi_test;
using trelwin::gdi::best_icon_entry;
using trelwin::gdi::decode_icon_file;
using trelwin::gdi::decode_icon_image;

namespace {

using gdi_test::Bytes;
Bytes image_header(int width, int height, int bpp, uint32_t colours = 0) {
    Bytes b;
    b.u32(40).u32(static_cast<uint32_t>(width)).u32(static_cast<uint32_t>(height * 2)).u16(1).u16(bpp);
    b.u32(BI_RGB).u32(0).u32(0).u32(0).u32(colours).u32(0);
    return b;
}

// 4 x 2, 4 bits: the top row (transparent), red, blue, blue; the bottom row
// (transparent), blue, blue, blue. The mask makes the first column
// transparent, where the image is black. Rows are stored bottom-up.
Bytes four_bit_image() {
    Bytes b = image_header(4, 2, 4, 3);
    b.u32(0).u32(0x00FF0000).u32(0x000000FF);  // 0 black, 1 red, 2 blue
    b.u8(0x02).u8(0x22).zeros(2);              // bottom colour row
    b.u8(0x01).u8(0x22).zeros(2);              // top colour row
    b.u8(0x80).zeros(3).u8(0x80).zeros(3);     // mask rows, bottom then top
    return b;
}

// 2 x 1, 32 bits with alpha and no mask rows.
Bytes alpha_image() {
    Bytes b = image_header(2, 1, 32);
    b.u32(0x80FF0000).u32(0xFF0000FF);
    return b;
}

Bytes file_of(const std::vector<std::pair<Bytes, int>>& images, bool cursor = false) {
    Bytes dir;
    dir.u16(0).u16(cursor ? 2 : 1).u16(static_cast<unsigned>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (const auto& [image, size] : images) {
        dir.u8(static_cast<unsigned>(size)).u8(static_cast<unsigned>(size)).u8(0).u8(0);
        dir.u16(cursor ? 1 : 1).u16(cursor ? 1 : image.data[14]);
        dir.u32(static_cast<uint32_t>(image.data.size())).u32(offset);
        offset += static_cast<uint32_t>(image.data.size());
    }
    for (const auto& entry : images) dir.append(entry.first);
    return dir;
}

bool near(COLORREF c, COLORREF want) {
    return std::abs(GetRValue(c) - GetRValue(want)) <= 2 && std::abs(GetGValue(c) - GetGValue(want)) <= 2 &&
           std::abs(GetBValue(c) - GetBValue(want)) <= 2;
}

}  // namespace

TEST(IconResources, PaletteImageWithMask) {
    const Bytes image = four_bit_image();
    HICON icon = decode_icon_image(image.data.data(), image.data.size(), true, 0, 0, nullptr);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_EQ(info.xHotspot, 2u);  // icons keep the hot spot in the middle
    EXPECT_EQ(info.yHotspot, 1u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    Canvas screen(4, 2, kGreen);
    DrawIcon(screen.dc(), 0, 0, icon);
    EXPECT_EQ(screen.row(0, kRed), ".#..");
    EXPECT_EQ(screen.row(0, kBlue), "..##");
    EXPECT_EQ(screen.row(1, kBlue), ".###");
    EXPECT_EQ(screen.column(0, kGreen), "##");
    DestroyIcon(icon);
}

TEST(IconResources, AlphaImagesWithoutMaskRows) {
    const Bytes image = alpha_image();
    HICON icon = decode_icon_image(image.data.data(), image.data.size(), true, 0, 0, nullptr);
    ASSERT_NE(icon, nullptr);
    Canvas screen(2, 1, kGreen);
    DrawIcon(screen.dc(), 0, 0, icon);
    EXPECT_TRUE(near(screen.at(0, 0), RGB(128, 127, 0)));
    EXPECT_EQ(screen.at(1, 0), kBlue);
    DestroyIcon(icon);
}

TEST(IconResources, CursorResourcesCarryTheirHotSpot) {
    Bytes resource;
    resource.u16(3).u16(1).append(four_bit_image());
    HCURSOR cursor = CreateIconFromResourceEx(resource.data.data(), static_cast<DWORD>(resource.data.size()), FALSE,
                                              0x00030000, 0, 0, 0);
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 3u);
    EXPECT_EQ(info.yHotspot, 1u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyCursor(cursor);
}

TEST(IconResources, ScaledToTheAskedSize) {
    const Bytes image = four_bit_image();
    HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(image.data.data()), static_cast<DWORD>(image.data.size()),
                                          TRUE, 0x00030000, 8, 4, 0);
    ASSERT_NE(icon, nullptr);
    Canvas screen(8, 4, kGreen);
    DrawIcon(screen.dc(), 0, 0, icon);
    EXPECT_EQ(screen.row(0, kBlue), "....####");
    EXPECT_EQ(screen.row(3, kGreen), "##......");
    DestroyIcon(icon);
}

TEST(IconResources, FilesAndGroupsPickTheBestSize) {
    const Bytes file = file_of({{alpha_image(), 2}, {four_bit_image(), 4}});
    std::string error;
    EXPECT_EQ(best_icon_entry(file.data.data(), file.data.size(), 16, 4, 4, &error), 1);
    EXPECT_EQ(best_icon_entry(file.data.data(), file.data.size(), 16, 2, 2, &error), 0);
    // Equally near: the deeper colour (the 32-bit image) wins.
    EXPECT_EQ(best_icon_entry(file.data.data(), file.data.size(), 16, 3, 3, &error), 0);

    HICON icon = decode_icon_file(file.data.data(), file.data.size(), 4, 4, &error);
    ASSERT_NE(icon, nullptr) << error;
    Canvas screen(4, 2, kGreen);
    DrawIconEx(screen.dc(), 0, 0, icon, 4, 2, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(screen.row(1, kBlue), ".###");
    DestroyIcon(icon);

    // A group resource: 14-byte entries ending in the image's resource id.
    Bytes group;
    group.u16(0).u16(1).u16(2);
    group.u8(16).u8(16).u8(0).u8(0).u16(1).u16(8).u32(100).u16(997);
    group.u8(32).u8(32).u8(0).u8(0).u16(1).u16(32).u32(100).u16(998);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(group.data.data(), TRUE, 16, 16, 0), 997);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(group.data.data(), TRUE, 32, 32, 0), 998);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(group.data.data(), TRUE, 24, 20, 0), 997);
}

TEST(IconResources, RefusesDamagedData) {
    DeleteDC(CreateCompatibleDC(nullptr));  // stock objects exist before counting
    const size_t before = trelwin::gdi::live_object_count();
    std::string error;
    auto refuse = [&](const std::vector<uint8_t>& bytes) {
        error.clear();
        EXPECT_EQ(decode_icon_image(bytes.data(), bytes.size(), true, 0, 0, &error), nullptr);
        EXPECT_FALSE(error.empty());
    };
    const Bytes good = four_bit_image();
    std::vector<uint8_t> bytes = good.data;
    bytes.pop_back();  // the last mask row is short
    refuse(bytes);
    bytes.resize(40 + 12 + 4);  // one colour row of two
    refuse(bytes);
    bytes = good.data;
    bytes[8] = 3;  // odd height: colour and mask rows cannot split it
    refuse(bytes);
    bytes = good.data;
    bytes[14] = 16;
    refuse(bytes);
    bytes = good.data;
    bytes[32] = 17;  // 17 colours for 4 bits
    refuse(bytes);
    bytes = good.data;
    bytes[16] = BI_RLE4;
    refuse(bytes);
    refuse({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    refuse({});

    // A file whose entry points past its end, and a directory counting more
    // entries than it has.
    Bytes file = file_of({{four_bit_image(), 4}});
    file.data[6 + 12] = 0xF0;
    EXPECT_EQ(decode_icon_file(file.data.data(), file.data.size(), 0, 0, &error), nullptr);
    file = file_of({{four_bit_image(), 4}});
    file.data[4] = 9;
    EXPECT_EQ(decode_icon_file(file.data.data(), file.data.size(), 0, 0, &error), nullptr);
    EXPECT_EQ(best_icon_entry(file.data.data(), 6, 16, 0, 0, &error), -1);
    EXPECT_EQ(trelwin::gdi::live_object_count(), before);
}
