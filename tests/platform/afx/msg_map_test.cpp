// Message maps: lookup in the class and then its bases, the arguments each
// entry kind unpacks, commands and notifications, and reflection of a
// control's notifications back to the control.
#include <string>
#include <vector>

#include "tests/platform/afx/afx_wnd_test_util.h"

using afx_test::AfxWindowTest;

namespace {

UINT g_registeredMessage = RegisterWindowMessageA("AfxTestRegisteredMessage");

constexpr UINT kCodeA = static_cast<UINT>(-2);    // a notification code below zero
constexpr UINT kCodeB = static_cast<UINT>(-101);
constexpr UINT kCodeC = 0x464;
constexpr UINT kEditChange = 0x0300;

// -- lookup order ----------------------------------------------------------

class CBaseWnd : public CWnd {
public:
    std::vector<std::string> calls;

protected:
    afx_msg void OnTimer(UINT_PTR id) { calls.push_back("base timer " + std::to_string(id)); }
    afx_msg void OnSize(UINT, int, int) { calls.push_back("base size"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_WM_TIMER()
    ON_WM_SIZE()
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
protected:
    afx_msg void OnSize(UINT, int, int) { calls.push_back("derived size"); }
    afx_msg LRESULT OnUser(WPARAM, LPARAM) {
        calls.push_back("derived user");
        return 0;
    }
    afx_msg LRESULT OnEditColour(WPARAM, LPARAM) {
        calls.push_back("derived edit colour");
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_WM_SIZE()
    ON_MESSAGE(WM_USER, OnUser)
    ON_MESSAGE(WM_CTLCOLOREDIT, OnEditColour)
END_MESSAGE_MAP()

BOOL MakePopup(CWnd& wnd) { return wnd.CreateEx(0, nullptr, "popup", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr); }

TEST_F(AfxWindowTest, TheClassMapComesFirstAndItsBasesAfterIt) {
    CDerivedWnd wnd;
    ASSERT_TRUE(MakePopup(wnd));
    wnd.calls.clear();
    wnd.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 10));
    wnd.SendMessage(WM_TIMER, 7, 0);
    wnd.SendMessage(WM_USER, 0, 0);
    // A map entry for one WM_CTLCOLOR... message comes before CWnd's
    // ON_WM_CTLCOLOR, which takes all of them.
    wnd.SendMessage(WM_CTLCOLOREDIT, 0, 0);
    EXPECT_EQ(wnd.calls,
              (std::vector<std::string>{"derived size", "base timer 7", "derived user", "derived edit colour"}));

    CBaseWnd base;
    ASSERT_TRUE(MakePopup(base));
    base.calls.clear();
    base.SendMessage(WM_SIZE, SIZE_RESTORED, 0);
    base.SendMessage(WM_USER, 0, 0);  // only the derived class maps it
    EXPECT_EQ(base.calls, (std::vector<std::string>{"base size"}));
}

// -- arguments of the ON_WM_ entries ------------------------------------------

class CArgsWnd : public CWnd {
public:
    std::vector<std::string> calls;
    UINT flags = 0, nChar = 0, repeat = 0, keyFlags = 0, sizeType = 0, hitTest = 0, mouseMessage = 0;
    UINT ctlType = 99, sbCode = 0, sbPos = 0, showStatus = 0;
    int cx = 0, cy = 0;
    short delta = 0;
    CPoint point;
    UINT_PTR timer = 0;
    CWnd* other = nullptr;
    HDC dc = nullptr;
    BOOL show = FALSE;
    bool scrollBarWasNull = false;
    LPVOID createParams = nullptr;
    bool createdTied = false;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        createParams = cs->lpCreateParams;
        createdTied = m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this;
        return CWnd::OnCreate(cs);
    }
    afx_msg void OnSize(UINT type, int x, int y) { sizeType = type, cx = x, cy = y; }
    afx_msg void OnTimer(UINT_PTR id) { timer = id; }
    afx_msg void OnMouseMove(UINT f, CPoint p) { Mouse("move", f, p); }
    afx_msg void OnLButtonDown(UINT f, CPoint p) { Mouse("ldown", f, p); }
    afx_msg void OnLButtonUp(UINT f, CPoint p) { Mouse("lup", f, p); }
    afx_msg void OnLButtonDblClk(UINT f, CPoint p) { Mouse("ldbl", f, p); }
    afx_msg void OnRButtonDown(UINT f, CPoint p) { Mouse("rdown", f, p); }
    afx_msg void OnRButtonUp(UINT f, CPoint p) { Mouse("rup", f, p); }
    afx_msg BOOL OnMouseWheel(UINT f, short z, CPoint p) {
        Mouse("wheel", f, p);
        delta = z;
        return TRUE;
    }
    afx_msg void OnKeyDown(UINT c, UINT r, UINT f) { Key("keydown", c, r, f); }
    afx_msg void OnChar(UINT c, UINT r, UINT f) { Key("char", c, r, f); }
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT message) {
        other = wnd, hitTest = hit, mouseMessage = message;
        return TRUE;
    }
    afx_msg LRESULT OnNcHitTest(CPoint p) {
        point = p;
        return HTCAPTION;
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC) {
        dc = pDC->m_hDC;
        return 42;
    }
    afx_msg void OnContextMenu(CWnd* wnd, CPoint p) {
        other = wnd;
        point = p;
        calls.push_back("context");
    }
    afx_msg void OnShowWindow(BOOL b, UINT status) { show = b, showStatus = status; }
    afx_msg void OnCaptureChanged(CWnd* wnd) {
        other = wnd;
        calls.push_back("capture");
    }
    afx_msg void OnSetFocus(CWnd* wnd) {
        other = wnd;
        calls.push_back("setfocus");
    }
    afx_msg void OnKillFocus(CWnd* wnd) {
        other = wnd;
        calls.push_back("killfocus");
    }
    afx_msg UINT OnGetDlgCode() { return 0x85; }
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
        sbCode = code, sbPos = pos, scrollBarWasNull = bar == nullptr;
    }
    afx_msg void OnClose() { calls.push_back("close"); }  // keeps the window
    afx_msg void OnMouseLeave() { calls.push_back("leave"); }
    afx_msg void OnCancelMode() { calls.push_back("cancelmode"); }
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* wnd, UINT type) {
        dc = pDC->m_hDC, other = wnd, ctlType = type;
        return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    }
    afx_msg LRESULT OnRegistered(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w * 100 + l); }
    afx_msg void OnPaint() {
        PAINTSTRUCT ps;
        BeginPaint(m_hWnd, &ps);
        EndPaint(m_hWnd, &ps);
        calls.push_back("paint");
    }

    void Mouse(const char* what, UINT f, CPoint p) {
        calls.push_back(what);
        flags = f;
        point = p;
    }
    void Key(const char* what, UINT c, UINT r, UINT f) {
        calls.push_back(what);
        nChar = c, repeat = r, keyFlags = f;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CArgsWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_MOUSEWHEEL()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_SETCURSOR()
    ON_WM_NCHITTEST()
    ON_WM_ERASEBKGND()
    ON_WM_CONTEXTMENU()
    ON_WM_SHOWWINDOW()
    ON_WM_CAPTURECHANGED()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_GETDLGCODE()
    ON_WM_VSCROLL()
    ON_WM_CLOSE()
    ON_WM_MOUSELEAVE()
    ON_WM_CANCELMODE()
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_REGISTERED_MESSAGE(g_registeredMessage, OnRegistered)
END_MESSAGE_MAP()

class EntryArguments : public AfxWindowTest {
protected:
    void SetUp() override {
        AfxWindowTest::SetUp();
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "args", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, &marker));
        wnd.calls.clear();
    }
    int marker = 0;
    CArgsWnd wnd;
};

TEST_F(EntryArguments, CreationReachesTheMapWithTheObjectTiedAlready) {
    EXPECT_EQ(wnd.createParams, &marker);
    EXPECT_TRUE(wnd.createdTied);
}

TEST_F(EntryArguments, SizeTimerAndShow) {
    wnd.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(300, 200));
    EXPECT_EQ(wnd.sizeType, static_cast<UINT>(SIZE_MAXIMIZED));
    EXPECT_EQ(wnd.cx, 300);
    EXPECT_EQ(wnd.cy, 200);
    wnd.SendMessage(WM_TIMER, 0x104, 0);
    EXPECT_EQ(wnd.timer, 0x104u);
    wnd.SendMessage(WM_SHOWWINDOW, TRUE, 3);
    EXPECT_TRUE(wnd.show);
    EXPECT_EQ(wnd.showStatus, 3u);
}

TEST_F(EntryArguments, MouseMessagesGoToTheirOwnHandlersWithSignedPoints) {
    const std::pair<UINT, const char*> kinds[] = {{WM_MOUSEMOVE, "move"},   {WM_LBUTTONDOWN, "ldown"},
                                                  {WM_LBUTTONUP, "lup"},    {WM_LBUTTONDBLCLK, "ldbl"},
                                                  {WM_RBUTTONDOWN, "rdown"}, {WM_RBUTTONUP, "rup"}};
    for (auto [message, name] : kinds) {
        wnd.calls.clear();
        wnd.SendMessage(message, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));
        EXPECT_EQ(wnd.calls, std::vector<std::string>{name});
        EXPECT_EQ(wnd.flags, static_cast<UINT>(MK_LBUTTON | MK_SHIFT));
        EXPECT_EQ(wnd.point, CPoint(-5, 7));
    }
    EXPECT_EQ(wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -240), MAKELPARAM(10, 20)), TRUE);
    EXPECT_EQ(wnd.flags, static_cast<UINT>(MK_CONTROL));
    EXPECT_EQ(wnd.delta, -240);
    EXPECT_EQ(wnd.point, CPoint(10, 20));
}

TEST_F(EntryArguments, KeysSplitRepeatCountAndFlags) {
    wnd.SendMessage(WM_KEYDOWN, VK_DOWN, MAKELPARAM(3, 0x150));
    EXPECT_EQ(wnd.nChar, static_cast<UINT>(VK_DOWN));
    EXPECT_EQ(wnd.repeat, 3u);
    EXPECT_EQ(wnd.keyFlags, 0x150u);
    wnd.SendMessage(WM_CHAR, 'x', MAKELPARAM(1, 0x2d));
    EXPECT_EQ(wnd.calls.back(), "char");
    EXPECT_EQ(wnd.nChar, static_cast<UINT>('x'));
}

TEST_F(EntryArguments, WindowArgumentsAreObjectsAndResultsAreReturned) {
    EXPECT_EQ(wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(wnd.other, &wnd);  // the window's own object, not a temporary
    EXPECT_EQ(wnd.hitTest, static_cast<UINT>(HTCLIENT));
    EXPECT_EQ(wnd.mouseMessage, static_cast<UINT>(WM_MOUSEMOVE));

    HWND plain = afx_test::MakePlain();
    wnd.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(plain), MAKELPARAM(30, -2));
    ASSERT_NE(wnd.other, nullptr);
    EXPECT_EQ(wnd.other->m_hWnd, plain);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    EXPECT_EQ(wnd.point, CPoint(30, -2));

    wnd.SendMessage(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(plain));
    EXPECT_EQ(wnd.other->m_hWnd, plain);
    wnd.SendMessage(WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(wnd.other, nullptr);
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"context", "capture", "killfocus"}));

    EXPECT_EQ(wnd.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(5, 6)), HTCAPTION);
    EXPECT_EQ(wnd.point, CPoint(5, 6));
    EXPECT_EQ(wnd.SendMessage(WM_GETDLGCODE), 0x85);
    EXPECT_EQ(wnd.SendMessage(g_registeredMessage, 3, 4), 304);
}

TEST_F(EntryArguments, EraseAndControlColoursGetDeviceContexts) {
    HDC hdc = ::GetDC(wnd.m_hWnd);
    EXPECT_EQ(wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc)), 42);
    EXPECT_EQ(wnd.dc, hdc);

    HWND plain = afx_test::MakePlain(wnd.m_hWnd, 5);
    const UINT messages[] = {WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORBTN};
    const UINT types[] = {CTLCOLOR_STATIC, CTLCOLOR_EDIT, CTLCOLOR_BTN};
    for (int i = 0; i < 3; ++i) {
        wnd.dc = nullptr;
        const LRESULT brush =
            wnd.SendMessage(messages[i], reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(plain));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(BLACK_BRUSH));
        EXPECT_EQ(wnd.ctlType, types[i]);
        EXPECT_EQ(wnd.dc, hdc);
        EXPECT_EQ(wnd.other->m_hWnd, plain);
    }
    ::ReleaseDC(wnd.m_hWnd, hdc);
}

TEST_F(EntryArguments, ScrollPositionAndMissingScrollBar) {
    wnd.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 300), 0);
    EXPECT_EQ(wnd.sbCode, static_cast<UINT>(SB_THUMBTRACK));
    EXPECT_EQ(wnd.sbPos, 300u);
    EXPECT_TRUE(wnd.scrollBarWasNull);
}

TEST_F(EntryArguments, HandlersThatDoNotCallTheBaseReplaceTheDefault) {
    wnd.SendMessage(WM_CLOSE);
    EXPECT_TRUE(IsWindow(wnd.m_hWnd));
    wnd.SendMessage(WM_MOUSELEAVE);
    wnd.SendMessage(WM_CANCELMODE);
    wnd.ShowWindow(SW_SHOWNA);
    wnd.Invalidate();
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"close", "leave", "cancelmode", "paint"}));
}

// -- commands and notifications -------------------------------------------------

class CParentWnd : public CWnd {
public:
    std::vector<std::string> calls;
    BOOL exAnswer = FALSE;
    NMHDR* lastHeader = nullptr;

protected:
    afx_msg void OnCommand100() { calls.push_back("command 100"); }
    afx_msg void OnClicked101() { calls.push_back("clicked 101"); }
    afx_msg void OnRange(UINT id) { calls.push_back("range " + std::to_string(id)); }
    afx_msg void OnEditChange() { calls.push_back("change 102"); }
    afx_msg void OnNotifyA(NMHDR* header, LRESULT* result) {
        lastHeader = header;
        calls.push_back("parent A");
        *result = 11;
    }
    afx_msg void OnNotifyB(NMHDR*, LRESULT*) { calls.push_back("parent B"); }
    afx_msg void OnNotifyRange(UINT id, NMHDR*, LRESULT* result) {
        calls.push_back("notify range " + std::to_string(id));
        *result = 12;
    }
    afx_msg BOOL OnNotifyEx(UINT id, NMHDR*, LRESULT*) {
        calls.push_back("notify ex " + std::to_string(id));
        return exAnswer;
    }
    afx_msg void OnChildClicked() { calls.push_back("parent clicked 300"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParentWnd, CWnd)
    ON_COMMAND(100, OnCommand100)
    ON_BN_CLICKED(101, OnClicked101)
    ON_COMMAND_RANGE(200, 210, OnRange)
    ON_CONTROL(kEditChange, 102, OnEditChange)
    ON_NOTIFY(kCodeA, 300, OnNotifyA)
    ON_NOTIFY(kCodeB, 300, OnNotifyB)
    ON_NOTIFY_RANGE(kCodeA, 400, 402, OnNotifyRange)
    ON_NOTIFY_EX(kCodeC, 300, OnNotifyEx)
    ON_BN_CLICKED(300, OnChildClicked)
END_MESSAGE_MAP()

class CReflectingChild : public CWnd {
public:
    std::vector<std::string> calls;
    BOOL exAnswer = TRUE;
    HBRUSH brush = nullptr;
    UINT ctlType = 99;

protected:
    afx_msg void OnOwnA(NMHDR*, LRESULT* result) {
        calls.push_back("child A");
        *result = 21;
    }
    afx_msg BOOL OnOwnB(NMHDR*, LRESULT*) {
        calls.push_back("child B");
        return exAnswer;
    }
    afx_msg void OnOwnClicked() { calls.push_back("child clicked"); }
    afx_msg LRESULT OnOwnDraw(WPARAM, LPARAM lParam) {
        calls.push_back("child draws item " + std::to_string(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->itemID));
        return TRUE;
    }
    afx_msg LRESULT OnOwnMeasure(WPARAM, LPARAM lParam) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 17;
        return TRUE;
    }
    afx_msg HBRUSH CtlColor(CDC*, UINT type) {
        ctlType = type;
        return brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingChild, CWnd)
    ON_NOTIFY_REFLECT(kCodeA, OnOwnA)
    ON_NOTIFY_REFLECT_EX(kCodeB, OnOwnB)
    ON_CONTROL_REFLECT(BN_CLICKED, OnOwnClicked)
    ON_MESSAGE(WM_REFLECT_BASE + WM_DRAWITEM, OnOwnDraw)
    ON_MESSAGE(WM_REFLECT_BASE + WM_MEASUREITEM, OnOwnMeasure)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class Routing : public AfxWindowTest {
protected:
    void SetUp() override {
        AfxWindowTest::SetUp();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
        ASSERT_TRUE(child.Create(nullptr, "child", WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 300));
    }

    LRESULT Notify(HWND from, UINT code) {
        NMHDR header{from, static_cast<UINT_PTR>(GetDlgCtrlID(from)), code};
        return parent.SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    LRESULT Command(HWND from, UINT code) {
        return parent.SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(from), code), reinterpret_cast<LPARAM>(from));
    }

    CParentWnd parent;
    CReflectingChild child;
};

TEST_F(Routing, MenuCommandsAndControlNotificationsFindTheirEntries) {
    EXPECT_EQ(parent.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0), 1);
    EXPECT_EQ(parent.SendMessage(WM_COMMAND, MAKEWPARAM(205, 0), 0), 1);
    EXPECT_EQ(parent.SendMessage(WM_COMMAND, MAKEWPARAM(211, 0), 0), 0);  // outside the range
    HWND button = afx_test::MakePlain(parent.m_hWnd, 101);
    HWND edit = afx_test::MakePlain(parent.m_hWnd, 102);
    EXPECT_EQ(Command(button, BN_CLICKED), 1);
    EXPECT_EQ(Command(edit, kEditChange), 1);
    EXPECT_EQ(Command(edit, BN_CLICKED), 0);  // a code the map does not name for that control
    EXPECT_EQ(parent.calls,
              (std::vector<std::string>{"command 100", "range 205", "clicked 101", "change 102"}));
}

TEST_F(Routing, NotificationsFromControlsWithoutObjectsReachTheParent) {
    HWND plain = afx_test::MakePlain(parent.m_hWnd, 401);
    EXPECT_EQ(Notify(plain, kCodeA), 12);
    EXPECT_EQ(parent.calls, std::vector<std::string>{"notify range 401"});

    HWND other = afx_test::MakePlain(parent.m_hWnd, 300);
    NMHDR header{other, 300, kCodeA};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&header)), 11);
    EXPECT_EQ(parent.lastHeader, &header);
}

TEST_F(Routing, AReflectedNotificationStaysWithTheControl) {
    EXPECT_EQ(Notify(child.m_hWnd, kCodeA), 21);
    EXPECT_EQ(child.calls, std::vector<std::string>{"child A"});
    EXPECT_TRUE(parent.calls.empty());

    EXPECT_EQ(Command(child.m_hWnd, BN_CLICKED), 1);
    EXPECT_EQ(child.calls.back(), "child clicked");
    EXPECT_TRUE(parent.calls.empty());
}

TEST_F(Routing, OwnerDrawingGoesToTheControlThatDrawsItself) {
    DRAWITEMSTRUCT draw{};
    draw.CtlID = 300;
    draw.itemID = 4;
    draw.hwndItem = child.m_hWnd;
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 300, reinterpret_cast<LPARAM>(&draw)), TRUE);
    EXPECT_EQ(child.calls, std::vector<std::string>{"child draws item 4"});

    MEASUREITEMSTRUCT measure{};
    measure.CtlID = 300;
    parent.SendMessage(WM_MEASUREITEM, 300, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemHeight, 17u);

    draw.hwndItem = afx_test::MakePlain(parent.m_hWnd, 301);  // no object: the default handling
    parent.SendMessage(WM_DRAWITEM, 301, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(child.calls.size(), 1u);
}

TEST_F(Routing, AnExtendedReflectionThatDeclinesLetsTheParentHandleItToo) {
    child.exAnswer = TRUE;
    Notify(child.m_hWnd, kCodeB);
    EXPECT_TRUE(parent.calls.empty());
    child.exAnswer = FALSE;
    Notify(child.m_hWnd, kCodeB);
    EXPECT_EQ(child.calls, (std::vector<std::string>{"child B", "child B"}));
    EXPECT_EQ(parent.calls, std::vector<std::string>{"parent B"});
}

TEST_F(Routing, ANotificationTheControlDoesNotReflectGoesToTheParent) {
    parent.exAnswer = TRUE;
    Notify(child.m_hWnd, kCodeC);
    EXPECT_EQ(parent.calls, std::vector<std::string>{"notify ex 300"});
    EXPECT_TRUE(child.calls.empty());
}

TEST_F(Routing, ANotificationWithoutSenderIsNotRouted) {
    NMHDR header{nullptr, 300, kCodeA};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&header)), 0);
    EXPECT_TRUE(parent.calls.empty());
    EXPECT_TRUE(child.calls.empty());
}

TEST_F(Routing, AControlThatGivesABrushColoursItselfElseTheParentDefaultApplies) {
    HDC hdc = ::GetDC(parent.m_hWnd);
    child.brush = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                                 reinterpret_cast<LPARAM>(child.m_hWnd)),
              reinterpret_cast<LRESULT>(child.brush));
    EXPECT_EQ(child.ctlType, static_cast<UINT>(CTLCOLOR_STATIC));

    child.brush = nullptr;
    const LRESULT fallback =
        parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(child.m_hWnd));
    EXPECT_EQ(fallback, DefWindowProcA(parent.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                                       reinterpret_cast<LPARAM>(child.m_hWnd)));
    ::ReleaseDC(parent.m_hWnd, hdc);
}

}  // namespace
