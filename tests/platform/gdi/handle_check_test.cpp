// Handles given as numbers are checked against the object table.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/gdi/handle_check.h"

namespace {

uint64_t Number(HANDLE h) { return reinterpret_cast<uintptr_t>(h); }

TEST(HandleCheck, OnlyLiveObjectsOfTheKindAskedForAreHandedBack) {
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(2, 2, 1, 1, nullptr);
    ICONINFO info{TRUE, 1, 1, mask, bitmap};
    HICON icon = CreateIconIndirect(&info);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HBITMAP deleted = CreateBitmap(1, 1, 1, 32, nullptr);
    DeleteObject(deleted);
    int onTheStack = 0;

    EXPECT_EQ(trelwin::gdi::bitmap_from_number(Number(bitmap)), bitmap);
    EXPECT_EQ(trelwin::gdi::icon_from_number(Number(icon)), icon);
    struct Case {
        const char* name;
        uint64_t value;
    };
    const Case notBitmaps[] = {
        {"icon", Number(icon)}, {"pen", Number(pen)}, {"deleted bitmap", Number(deleted)}, {"zero", 0},
        {"small number", 130}, {"tag byte alone", 0xA5}, {"stack address", reinterpret_cast<uintptr_t>(&onTheStack)},
        {"all ones", ~uint64_t(0)}, {"another generation of the bitmap's slot", Number(bitmap) ^ (uint64_t(1) << 40)},
    };
    for (const Case& c : notBitmaps) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(trelwin::gdi::bitmap_from_number(c.value), nullptr);
    }
    EXPECT_EQ(trelwin::gdi::icon_from_number(Number(bitmap)), nullptr);
    EXPECT_EQ(trelwin::gdi::icon_from_number(Number(pen)), nullptr);
    DestroyIcon(icon);
    EXPECT_EQ(trelwin::gdi::icon_from_number(Number(icon)), nullptr);
    DeleteObject(pen);
    DeleteObject(mask);
    DeleteObject(bitmap);
}

}  // namespace
