// CWnd: creation tied to the object, subclassing and the original
// procedure, the handle map, destruction and PostNcDestroy, and the walk of
// PreTranslateMessage up the parents.
#include <atomic>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/afx/afx_wnd_test_util.h"

using afx_test::AfxWindowTest;
using afx_test::Log;
using afx_test::Saw;

namespace {

// -- creation ----------------------------------------------------------------

class CCreationWnd : public CWnd {
public:
    std::vector<UINT> order;
    int createAnswer = 0;
    BOOL preCreateAnswer = TRUE;
    DWORD addStyle = 0;
    int preSubclassCalls = 0;
    int postNcDestroyCalls = 0;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        cs.style |= static_cast<LONG>(addStyle);
        return preCreateAnswer && CWnd::PreCreateWindow(cs);
    }
    void PreSubclassWindow() override { ++preSubclassCalls; }
    void PostNcDestroy() override { ++postNcDestroyCalls; }

protected:
    afx_msg LRESULT OnNcCreate(WPARAM, LPARAM) {
        order.push_back(WM_NCCREATE);
        return Default();
    }
    afx_msg int OnCreate(LPCREATESTRUCT) {
        order.push_back(WM_CREATE);
        return createAnswer;
    }
    afx_msg void OnDestroy() {
        order.push_back(WM_DESTROY);
        Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCreationWnd, CWnd)
    ON_MESSAGE(WM_NCCREATE, OnNcCreate)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

TEST_F(AfxWindowTest, CreationMessagesReachTheMapOfAFrameworkClass) {
    CCreationWnd wnd;
    wnd.addStyle = WS_VISIBLE;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "made", WS_POPUP, 10, 10, 100, 50, nullptr, nullptr));
    EXPECT_EQ(wnd.order, (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    EXPECT_EQ(wnd.preSubclassCalls, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_TRUE(wnd.IsWindowVisible());  // the style PreCreateWindow added
    CString text;
    wnd.GetWindowText(text);
    EXPECT_EQ(text, CString("made"));

    const HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.order.back(), static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(wnd.postNcDestroyCalls, 1);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST_F(AfxWindowTest, AFailedCreationLeavesNoWindowAndRunsPostNcDestroy) {
    CCreationWnd refused;
    refused.createAnswer = -1;
    EXPECT_FALSE(refused.CreateEx(0, nullptr, "refused", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(refused.m_hWnd, nullptr);
    EXPECT_EQ(refused.postNcDestroyCalls, 1);

    CCreationWnd stopped;
    stopped.preCreateAnswer = FALSE;
    EXPECT_FALSE(stopped.CreateEx(0, nullptr, "stopped", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_TRUE(stopped.order.empty());
    EXPECT_EQ(stopped.postNcDestroyCalls, 1);

    CCreationWnd noClass;
    EXPECT_FALSE(noClass.CreateEx(0, "NoSuchClassAnywhere", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(noClass.postNcDestroyCalls, 1);
}

TEST_F(AfxWindowTest, ChildrenGetTheirIdAndAWindowCannotBeCreatedTwice) {
    CCreationWnd parent, child;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    ASSERT_TRUE(child.Create(nullptr, "child", 0, CRect(5, 5, 25, 15), &parent, 77));
    EXPECT_EQ(child.GetDlgCtrlID(), 77);
    EXPECT_EQ(parent.GetDlgItem(77), &child);
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_NE(child.GetStyle() & WS_CHILD, 0u);
    EXPECT_FALSE(child.Create(nullptr, "again", 0, CRect(0, 0, 1, 1), &parent, 78));
}

TEST_F(AfxWindowTest, AWindowOfAnotherClassIsSubclassedOnceItExists) {
    CCreationWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, afx_test::PlainClass(), "plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    // Its creation went to its own procedure only.
    EXPECT_TRUE(wnd.order.empty());
    EXPECT_TRUE(Saw(WM_CREATE));
    EXPECT_EQ(wnd.preSubclassCalls, 1);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd.m_hWnd, GWLP_WNDPROC)), &AfxWndProc);
    Log().messages.clear();
    wnd.DestroyWindow();
    EXPECT_EQ(wnd.order, std::vector<UINT>{WM_DESTROY});
    EXPECT_TRUE(Saw(WM_DESTROY));  // Default reached the class procedure
    EXPECT_TRUE(Saw(WM_NCDESTROY));
}

TEST_F(AfxWindowTest, ClassRegistrationIsOncePerName) {
    const LPCSTR a = AfxRegisterWndClass(CS_DBLCLKS);
    const LPCSTR b = AfxRegisterWndClass(CS_DBLCLKS);
    const LPCSTR c = AfxRegisterWndClass(0);
    EXPECT_STREQ(a, b);
    EXPECT_STRNE(a, c);
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(AfxGetInstanceHandle(), a, &wc));
    EXPECT_EQ(wc.lpfnWndProc, &AfxWndProc);
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_DBLCLKS));

    // An existing name is success without a change.
    wc.style = 0;
    EXPECT_TRUE(AfxRegisterClass(&wc));
    WNDCLASSA again{};
    ASSERT_TRUE(GetClassInfoA(AfxGetInstanceHandle(), a, &again));
    EXPECT_EQ(again.style, static_cast<UINT>(CS_DBLCLKS));
}

// -- destruction ---------------------------------------------------------------

std::atomic<int> g_deleted{0};

class CSelfDeleting : public CWnd {
public:
    ~CSelfDeleting() override { ++g_deleted; }
    void PostNcDestroy() override { delete this; }
};

TEST_F(AfxWindowTest, PostNcDestroyDeletesAnObjectThatOwnsItself) {
    g_deleted = 0;
    auto* wnd = new CSelfDeleting;
    ASSERT_TRUE(wnd->CreateEx(0, nullptr, "self", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const HWND hWnd = wnd->m_hWnd;
    ::DestroyWindow(hWnd);
    EXPECT_EQ(g_deleted, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);

    // A creation that fails deletes it as well.
    class CRefusing : public CSelfDeleting {
    public:
        BOOL PreCreateWindow(CREATESTRUCT&) override { return FALSE; }
    };
    auto* refusing = new CRefusing;
    EXPECT_FALSE(refusing->CreateEx(0, nullptr, "no", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(g_deleted, 2);
}

// A map that keeps WM_NCDESTROY from CWnd still lets the window go.
class CKeepsNcDestroy : public CWnd {
public:
    int postNcDestroyCalls = 0;
    void PostNcDestroy() override { ++postNcDestroyCalls; }

protected:
    afx_msg LRESULT OnNcDestroyOwn(WPARAM, LPARAM) { return 0; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CKeepsNcDestroy, CWnd)
    ON_MESSAGE(WM_NCDESTROY, OnNcDestroyOwn)
END_MESSAGE_MAP()

TEST_F(AfxWindowTest, AnObjectIsLetGoEvenWhenItsMapTakesNcDestroy) {
    CKeepsNcDestroy wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "keeps", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const HWND hWnd = wnd.m_hWnd;
    ::DestroyWindow(hWnd);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(wnd.postNcDestroyCalls, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST_F(AfxWindowTest, DeletingTheObjectDestroysItsWindow) {
    HWND hWnd = nullptr;
    {
        CWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

// -- subclassing ---------------------------------------------------------------

class CSubclasser : public CWnd {
public:
    int preSubclassCalls = 0;
    std::vector<UINT_PTR> timers;
    void PreSubclassWindow() override { ++preSubclassCalls; }

protected:
    afx_msg void OnTimer(UINT_PTR id) {
        timers.push_back(id);
        Default();
    }
    afx_msg LRESULT OnOwn(WPARAM, LPARAM) { return 5; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSubclasser, CWnd)
    ON_WM_TIMER()
    ON_MESSAGE(WM_USER + 1, OnOwn)
END_MESSAGE_MAP()

TEST_F(AfxWindowTest, ASubclassedWindowKeepsItsProcedureForTheDefault) {
    HWND plain = afx_test::MakePlain();
    CSubclasser wnd;
    ASSERT_TRUE(wnd.SubclassWindow(plain));
    EXPECT_EQ(wnd.preSubclassCalls, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), &wnd);
    Log().messages.clear();

    ::SendMessageA(plain, WM_TIMER, 9, 0);
    EXPECT_EQ(wnd.timers, std::vector<UINT_PTR>{9});
    EXPECT_TRUE(Saw(WM_TIMER));  // through Default

    EXPECT_EQ(::SendMessageA(plain, WM_USER + 1, 0, 0), 5);
    EXPECT_FALSE(Saw(WM_USER + 1));  // handled without the default

    Log().answer = 77;  // what the original procedure answers to WM_USER + 2
    EXPECT_EQ(::SendMessageA(plain, WM_USER + 2, 0, 0), 77);

    CSubclasser second;
    EXPECT_FALSE(second.SubclassWindow(plain));  // it has an object already
    EXPECT_EQ(second.preSubclassCalls, 0);

    EXPECT_EQ(wnd.UnsubclassWindow(), plain);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(plain, GWLP_WNDPROC)), &afx_test::PlainProc);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    ::SendMessageA(plain, WM_TIMER, 10, 0);
    EXPECT_EQ(wnd.timers.size(), 1u);
}

TEST_F(AfxWindowTest, ADialogItemIsSubclassedByIdAndGivenBackWhenDestroyed) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    HWND item = afx_test::MakePlain(parent.m_hWnd, 1007);
    CSubclasser wnd;
    EXPECT_FALSE(wnd.SubclassDlgItem(1008, &parent));
    ASSERT_TRUE(wnd.SubclassDlgItem(1007, &parent));
    EXPECT_EQ(wnd.m_hWnd, item);
    Log().messages.clear();
    ::DestroyWindow(item);
    EXPECT_TRUE(Saw(WM_NCDESTROY));  // the original procedure saw the end
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

// -- the handle map ------------------------------------------------------------

TEST_F(AfxWindowTest, FromHandleGivesTheOwnerOrOneTemporaryPerThread) {
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(CWnd::FromHandle(owner.m_hWnd), &owner);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

    HWND plain = afx_test::MakePlain();
    CWnd* temporary = CWnd::FromHandle(plain);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->m_hWnd, plain);
    EXPECT_EQ(CWnd::FromHandle(plain), temporary);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);

    CWnd* elsewhere = nullptr;
    HWND seen = nullptr;
    std::thread([&] {
        elsewhere = CWnd::FromHandle(plain);
        seen = elsewhere->m_hWnd;
        EXPECT_EQ(CWnd::FromHandle(owner.m_hWnd), &owner);  // owners are seen from every thread
    }).join();
    EXPECT_NE(elsewhere, temporary);
    EXPECT_EQ(seen, plain);

    // Freeing the temporaries leaves the window alone.
    trelwin::afx::FreeTemporaryObjects();
    EXPECT_TRUE(IsWindow(plain));
    EXPECT_EQ(CWnd::FromHandle(plain)->m_hWnd, plain);
}

TEST_F(AfxWindowTest, AttachAndDetachTieAndUntieWithoutChangingTheProcedure) {
    HWND plain = afx_test::MakePlain();
    CSubclasser wnd;
    ASSERT_TRUE(wnd.Attach(plain));
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), &wnd);
    EXPECT_FALSE(wnd.Attach(afx_test::MakePlain()));  // has one already
    ::SendMessageA(plain, WM_TIMER, 3, 0);
    EXPECT_TRUE(wnd.timers.empty());  // messages still go to the class procedure only
    EXPECT_EQ(wnd.Detach(), plain);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    EXPECT_TRUE(IsWindow(plain));
}

TEST(AfxWindowThreads, OwnersAndTemporariesOfManyThreadsStayApart) {
    constexpr int kThreads = 6;
    constexpr int kRounds = 40;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    std::vector<std::atomic<HWND>> shared(kThreads);
    // Every thread arrives at both, whatever happened to it before.
    std::latch created(kThreads);
    std::latch finished(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CWnd keeper;
            if (!keeper.CreateEx(0, nullptr, "keeper", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr)) ++failures;
            shared[t] = keeper.m_hWnd;
            created.arrive_and_wait();
            for (int round = 0; round < kRounds; ++round) {
                CWnd wnd;
                if (!wnd.CreateEx(0, nullptr, "round", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr)) ++failures;
                if (CWnd::FromHandlePermanent(wnd.m_hWnd) != &wnd) ++failures;
                HWND other = shared[(t + 1) % kThreads];
                CWnd* seen = CWnd::FromHandle(other);
                if (seen == nullptr || seen->m_hWnd != other) ++failures;
                wnd.DestroyWindow();
                if (round % 8 == 0) trelwin::afx::FreeTemporaryObjects();
            }
            finished.arrive_and_wait();
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
}

// -- PreTranslateMessage -------------------------------------------------------

class CFilterWnd : public CWnd {
public:
    std::vector<std::string>* trail = nullptr;
    std::string name;
    UINT takes = 0;

    BOOL PreTranslateMessage(MSG* pMsg) override {
        trail->push_back(name);
        return pMsg->message == takes;
    }
};

TEST_F(AfxWindowTest, PreTranslateMessageWalksUpTheParentsUntilOneTakesIt) {
    std::vector<std::string> trail;
    CFilterWnd top, middle, bottom;
    top.name = "top";
    middle.name = "middle";
    bottom.name = "bottom";
    top.trail = middle.trail = bottom.trail = &trail;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "top", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    ASSERT_TRUE(middle.Create(nullptr, "middle", 0, CRect(0, 0, 50, 50), &top, 1));
    HWND between = afx_test::MakePlain(middle.m_hWnd, 2);  // no object: skipped
    ASSERT_TRUE(bottom.Create(nullptr, "bottom", 0, CRect(0, 0, 10, 10), CWnd::FromHandle(between), 3));
    middle.takes = WM_KEYDOWN;

    MSG msg{bottom.m_hWnd, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(top.m_hWnd, &msg));
    EXPECT_EQ(trail, (std::vector<std::string>{"bottom", "middle"}));

    trail.clear();
    msg.message = WM_CHAR;
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(top.m_hWnd, &msg));
    EXPECT_EQ(trail, (std::vector<std::string>{"bottom", "middle", "top"}));

    trail.clear();
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(middle.m_hWnd, &msg));  // stops at the window given
    EXPECT_EQ(trail, (std::vector<std::string>{"bottom", "middle"}));
}

// -- wrappers ----------------------------------------------------------------

TEST_F(AfxWindowTest, StyleChangesReportWhetherAnythingChanged) {
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "style", WS_POPUP | WS_BORDER, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_FALSE(wnd.ModifyStyle(0, WS_BORDER));
    EXPECT_TRUE(wnd.ModifyStyle(WS_BORDER, WS_TABSTOP, SWP_FRAMECHANGED));
    EXPECT_EQ(wnd.GetStyle() & (WS_BORDER | WS_TABSTOP), static_cast<DWORD>(WS_TABSTOP));
    EXPECT_TRUE(wnd.ModifyStyleEx(0, WS_EX_TOOLWINDOW));
    EXPECT_NE(wnd.GetExStyle() & WS_EX_TOOLWINDOW, 0u);

    CRect client;
    wnd.GetClientRect(&client);
    CPoint origin(0, 0);
    wnd.ClientToScreen(&origin);
    CRect onScreen = client;
    wnd.ClientToScreen(&onScreen);
    EXPECT_EQ(onScreen.TopLeft(), origin);
    wnd.ScreenToClient(&onScreen);
    EXPECT_EQ(onScreen, client);
}

}  // namespace
