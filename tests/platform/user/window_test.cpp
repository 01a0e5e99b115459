// Window classes, registered messages, and the life of a window.
#include "tests/platform/user/user_test_util.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

using namespace user_test;

TEST(RegisteredMessage, OneNumberPerNameWhateverTheCase) {
    const UINT first = RegisterWindowMessageA("UserTest_Registered_A");
    EXPECT_GE(first, 0xC000u);
    EXPECT_LE(first, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA("usertest_registered_a"), first);
    EXPECT_EQ(RegisterWindowMessageA("USERTEST_REGISTERED_A"), first);
    const UINT second = RegisterWindowMessageA("UserTest_Registered_B");
    EXPECT_NE(second, first);
    EXPECT_GE(second, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
    EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);
}

TEST(WindowClass, RegisteredOnceAndFoundByNameOrAtom) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "UserTestClass";
    wc.cbWndExtra = 16;
    const ATOM atom = RegisterClassA(&wc);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    WNDCLASSA found{};
    ASSERT_TRUE(GetClassInfoA(nullptr, "usertestclass", &found));
    EXPECT_EQ(found.lpfnWndProc, &DefWindowProcA);
    EXPECT_EQ(found.cbWndExtra, 16);
    HWND byAtom = CreateWindowExA(0, MAKEINTATOM(atom), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(byAtom, nullptr);
    EXPECT_TRUE(DestroyWindow(byAtom));

    EXPECT_TRUE(UnregisterClassA("UserTestClass", nullptr));
    EXPECT_FALSE(GetClassInfoA(nullptr, "UserTestClass", &found));
    EXPECT_EQ(CreateWindowExA(0, "UserTestClass", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(RegisterClassA(&wc), atom);  // the name keeps its atom
    UnregisterClassA("UserTestClass", nullptr);
}

TEST(Window, CreationAndDestructionMessagesInOrder) {
    WindowProbe probe;
    HWND hwnd = CreateProbe(&probe);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), GetCurrentThreadId());
    EXPECT_EQ(GetParent(hwnd), nullptr);  // message-only windows have no parent
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(probe.Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(Window, RefusedCreationLeavesNoWindow) {
    WindowProbe probe;
    probe.handler = [](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        return msg == WM_CREATE ? -1 : DefWindowProcA(hwnd, msg, w, l);
    };
    EXPECT_EQ(CreateProbe(&probe), nullptr);
    ASSERT_FALSE(probe.received.empty());
    EXPECT_FALSE(IsWindow(probe.received.front().hwnd));
    EXPECT_EQ(probe.Messages(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
}

TEST(Window, HandlesAreNotReused) {
    std::vector<HWND> destroyed;
    for (int i = 0; i < 50; ++i) {
        HWND hwnd = CreateProbe(nullptr);
        ASSERT_NE(hwnd, nullptr);
        for (HWND old : destroyed) ASSERT_NE(hwnd, old);
        DestroyWindow(hwnd);
        destroyed.push_back(hwnd);
    }
}

TEST(Window, ChildrenGoWithTheirParent) {
    WindowProbe parentProbe, childProbe;
    HWND parent = CreateProbe(&parentProbe);
    HWND child = CreateWindowExA(0, ProbeClass(), "", 0, 0, 0, 0, 0, parent, nullptr, nullptr, &childProbe);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), parent);
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(childProbe.Messages().back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(CreateWindowExA(0, ProbeClass(), "", 0, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr), nullptr);
}

TEST(Window, OnlyTheOwnerThreadDestroysIt) {
    HWND hwnd = CreateProbe(nullptr);
    BOOL destroyed = TRUE;
    DWORD error = 0;
    std::thread other([&] {
        destroyed = DestroyWindow(hwnd);
        error = GetLastError();
    });
    other.join();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsWindow(hwnd));
    DestroyWindow(hwnd);
}

TEST(Window, ExtraBytesAndFields) {
    HWND hwnd = CreateProbe(nullptr);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, 0, 7), 0);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, sizeof(LONG_PTR), -9), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), 7);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, sizeof(LONG_PTR)), -9);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, 2 * sizeof(LONG_PTR)), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ProbeProc));
    DestroyWindow(hwnd);
}

TEST(Window, CloseDestroysThroughTheDefaultProcedure) {
    WindowProbe probe;
    HWND hwnd = CreateProbe(&probe);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
}
