// The process clipboard and the global memory blocks it hands over.
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/user/clipboard.h"
#include "platform/user/global_memory.h"

namespace {

HGLOBAL TextBlock(const char* text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::strcpy(static_cast<char*>(GlobalLock(memory)), text);
    GlobalUnlock(memory);
    return memory;
}

TEST(GlobalMemory, MoveableBlocksLockAndFixedBlocksAreTheirAddress) {
    HGLOBAL moveable = GlobalAlloc(GHND, 10);
    ASSERT_NE(moveable, nullptr);
    EXPECT_EQ(GlobalSize(moveable), 10u);
    auto* bytes = static_cast<BYTE*>(GlobalLock(moveable));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[9], 0);  // zeroed
    EXPECT_NE(static_cast<void*>(bytes), moveable);
    EXPECT_EQ(GlobalLock(moveable), bytes);
    EXPECT_TRUE(GlobalUnlock(moveable));   // still locked once
    EXPECT_FALSE(GlobalUnlock(moveable));  // now unlocked
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(moveable));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalFree(moveable), nullptr);
    EXPECT_EQ(GlobalLock(moveable), nullptr);
    EXPECT_EQ(GlobalFree(moveable), moveable);  // not a block any more

    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
    EXPECT_EQ(GlobalLock(fixed), static_cast<void*>(fixed));
    EXPECT_EQ(GlobalFree(fixed), nullptr);
}

TEST(Clipboard, HoldsTextUntilEmptiedAndNeedsToBeOpen) {
    HGLOBAL refused = TextBlock("refused");
    EXPECT_EQ(SetClipboardData(CF_TEXT, refused), nullptr);  // not open: the block stays the caller's
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_EQ(GlobalFree(refused), nullptr);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    HGLOBAL block = TextBlock("192.168.0.10");
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), block);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_OEMTEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);  // closed

    // Another thread cannot open it while this one has it open.
    ASSERT_TRUE(OpenClipboard(nullptr));
    bool otherOpened = true;
    std::thread([&] { otherOpened = OpenClipboard(nullptr) != FALSE; }).join();
    EXPECT_FALSE(otherOpened);
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_EQ(data, block);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(data)), "192.168.0.10");
    GlobalUnlock(data);
    // Emptying frees what it held.
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(CloseClipboard());
    std::thread([&] {
        otherOpened = OpenClipboard(nullptr) != FALSE;
        if (otherOpened) CloseClipboard();
    }).join();
    EXPECT_TRUE(otherOpened);
}

}  // namespace
