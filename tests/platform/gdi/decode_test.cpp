// Every way a BMP can be cut short or lie about itself must fail cleanly;
// the reader's decoding results are covered by bmp_reader_test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "canvas.h"
#include "platform/gdi/gdi.h"

using trelwin::gdi::decode_bmp;

namespace {

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// A BMP made by the format's rules: file header, 40-byte info header,
// colour table, masks, then rows padded to 4 bytes.
std::vector<uint8_t> make_bmp(int width, int height, int bpp, uint32_t compression,
                              const std::vector<uint32_t>& table, const std::vector<uint8_t>& rows, bool file = true) {
    std::vector<uint8_t> v;
    const uint32_t offset = (file ? 14 : 0) + 40 + static_cast<uint32_t>(table.size()) * 4;
    if (file) {
        v.push_back('B');
        v.push_back('M');
        put32(v, offset + static_cast<uint32_t>(rows.size()));
        put32(v, 0);
        put32(v, offset);
    }
    put32(v, 40);
    put32(v, static_cast<uint32_t>(width));
    put32(v, static_cast<uint32_t>(height));
    put16(v, 1);
    put16(v, static_cast<uint32_t>(bpp));
    put32(v, compression);
    put32(v, static_cast<uint32_t>(rows.size()));
    put32(v, 2835);
    put32(v, 2835);
    put32(v, compression == BI_BITFIELDS ? 0 : static_cast<uint32_t>(table.size()));
    put32(v, 0);
    for (uint32_t t : table) put32(v, t);
    v.insert(v.end(), rows.begin(), rows.end());
    return v;
}

}  // namespace

TEST(BmpDecode, RefusesDamagedFilesWithAReason) {
    const std::vector<uint8_t> rows = {0, 0, 0, 0, 0, 0, 0, 0};
    auto good = make_bmp(2, 2, 24, BI_RGB, {}, rows);
    std::string error;
    // Every truncation fails cleanly.
    for (size_t n = 0; n < good.size(); ++n) {
        EXPECT_EQ(decode_bmp(good.data(), n, &error), nullptr) << n;
        EXPECT_FALSE(error.empty());
    }
    auto huge = make_bmp(100000, 100000, 24, BI_RGB, {}, rows);
    EXPECT_EQ(decode_bmp(huge.data(), huge.size(), &error), nullptr);
    EXPECT_NE(error.find("range"), std::string::npos);
    auto rle = make_bmp(2, 2, 8, BI_RLE8, {0, 0}, rows);
    EXPECT_EQ(decode_bmp(rle.data(), rle.size(), &error), nullptr);
    EXPECT_NE(error.find("compressed"), std::string::npos);
    auto bad_depth = make_bmp(2, 2, 7, BI_RGB, {}, rows);
    EXPECT_EQ(decode_bmp(bad_depth.data(), bad_depth.size(), &error), nullptr);
    auto big_table = make_bmp(2, 1, 1, BI_RGB, {0, 1, 2}, rows);
    EXPECT_EQ(decode_bmp(big_table.data(), big_table.size(), &error), nullptr);
    // A pixel offset pointing past the end.
    auto far = good;
    far[10] = 0xFF;
    EXPECT_EQ(decode_bmp(far.data(), far.size(), &error), nullptr);
    EXPECT_EQ(decode_bmp(nullptr, 10, &error), nullptr);
}
