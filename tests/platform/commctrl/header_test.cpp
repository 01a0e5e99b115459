// The header control on its own: items and order, dividers dragged with
// and without the parent's consent, clicks with the pressed look, items
// dragged into another order.
#include "tests/platform/commctrl/list_test_util.h"

using namespace list_test;
using namespace trelwin::user;

namespace {

class HeaderTest : public ListTest {
protected:
    HWND Make3(DWORD style = HDS_BUTTONS | HDS_FULLDRAG) {
        HWND h = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD | WS_VISIBLE | style, 20, 20, 400, 20, top,
                                 reinterpret_cast<HMENU>(7), nullptr, nullptr);
        const char* titles[] = {"One", "Two", "Three"};
        for (int i = 0; i < 3; ++i) {
            HDITEMA item{};
            item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
            item.pszText = const_cast<char*>(titles[i]);
            item.cxy = 100;
            item.fmt = HDF_LEFT | HDF_STRING;
            EXPECT_EQ(SendMessageA(h, HDM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item)), i);
        }
        user_test::Pump();
        parent.notices.clear();
        return h;
    }

    static int Width(HWND h, int index) {
        HDITEMA item{};
        item.mask = HDI_WIDTH;
        SendMessageA(h, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
        return item.cxy;
    }

    static std::vector<int> Order(HWND h) {
        std::vector<int> order(SendMessageA(h, HDM_GETITEMCOUNT, 0, 0));
        SendMessageA(h, HDM_GETORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
        return order;
    }

    // Presses at one client x, moves through the others, releases at the last.
    void Drag(HWND h, std::vector<int> xs, int y = 10) {
        POINT pt = Screen(h, xs[0], y);
        InjectMouseMove(pt.x, pt.y);
        Pump();
        InjectMouseButton(0, true, NextTime());
        Pump();
        for (size_t i = 1; i < xs.size(); ++i) {
            pt = Screen(h, xs[i], y);
            InjectMouseMove(pt.x, pt.y);
            Pump();
        }
        InjectMouseButton(0, false, m_time + 10);
        Pump();
    }

    static void Pump() { user_test::Pump(); }

    std::vector<UINT> HeaderCodes() const {
        std::vector<UINT> out;
        for (UINT c : parent.Codes()) {
            if (c <= HDN_FIRST && c >= HDN_LAST) out.push_back(c);
        }
        return out;
    }
};

TEST_F(HeaderTest, ItemsOrderLayoutAndHitTests) {
    HWND h = Make3();
    EXPECT_EQ(SendMessageA(h, HDM_GETITEMCOUNT, 0, 0), 3);
    RECT r{};
    EXPECT_TRUE(SendMessageA(h, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right, 200);
    HDHITTESTINFO hit{};
    hit.pt = POINT{150, 5};
    EXPECT_EQ(SendMessageA(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_ONHEADER));
    hit.pt = POINT{198, 5};
    EXPECT_EQ(SendMessageA(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_ONDIVIDER));
    hit.pt = POINT{350, 5};
    EXPECT_EQ(SendMessageA(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_NOWHERE));

    // A hidden (zero-width) item's divider opens to the right of the line.
    HDITEMA zero{};
    zero.mask = HDI_WIDTH;
    zero.cxy = 0;
    SendMessageA(h, HDM_SETITEMA, 2, reinterpret_cast<LPARAM>(&zero));
    hit.pt = POINT{203, 5};
    EXPECT_EQ(SendMessageA(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 2);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_ONDIVOPEN));
    hit.pt = POINT{197, 5};
    EXPECT_EQ(SendMessageA(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_ONDIVIDER));

    int order[3] = {2, 0, 1};
    EXPECT_TRUE(SendMessageA(h, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
    EXPECT_EQ(Order(h), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(SendMessageA(h, HDM_ORDERTOINDEX, 1, 0), 0);
    int bad[3] = {0, 0, 1};
    EXPECT_FALSE(SendMessageA(h, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(bad)));
    EXPECT_FALSE(SendMessageA(h, HDM_SETORDERARRAY, 2, reinterpret_cast<LPARAM>(order)));
    EXPECT_TRUE(SendMessageA(h, HDM_DELETEITEM, 0, 0));
    EXPECT_EQ(Order(h), (std::vector<int>{1, 0}));

    RECT area{0, 0, 300, 200};
    WINDOWPOS wp{};
    HDLAYOUT layout{&area, &wp};
    EXPECT_TRUE(SendMessageA(h, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout)));
    EXPECT_GT(wp.cy, 13);
    EXPECT_EQ(area.top, wp.cy);
    EXPECT_EQ(wp.cx, 300);
}

TEST_F(HeaderTest, TrackingADividerAllowed) {
    HWND h = Make3();
    const POINT over = Screen(h, 199, 10);
    InjectMouseMove(over.x, over.y);
    Pump();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZEWE));
    const POINT away = Screen(h, 150, 10);
    InjectMouseMove(away.x, away.y);
    Pump();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));

    Drag(h, {199, 220, 241});
    EXPECT_EQ(Width(h, 1), 142);
    const std::vector<UINT> codes = HeaderCodes();
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(codes.front(), HDN_BEGINTRACKA);
    EXPECT_EQ(codes.back(), HDN_ENDTRACKA);
    auto tracks = parent.Of(HDN_TRACKA);
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].item, 1);
    EXPECT_EQ(tracks[0].to, 121);
    EXPECT_EQ(tracks[1].to, 142);
    EXPECT_EQ(parent.Of(HDN_ITEMCHANGEDA).size(), 2u);
    EXPECT_EQ(parent.Of(HDN_ENDTRACKA)[0].to, 142);
    RECT r{};
    SendMessageA(h, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.left, 242);
}

TEST_F(HeaderTest, TrackingRefusedAtTheStartOrPerChange) {
    HWND h = Make3();
    parent.answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == HDN_BEGINTRACKA; };
    Drag(h, {99, 130});
    EXPECT_EQ(Width(h, 0), 100);
    EXPECT_EQ(HeaderCodes(), (std::vector<UINT>{HDN_BEGINTRACKA}));
    EXPECT_EQ(GetCapture(), nullptr);

    // The parent refuses widths below 80: the divider stops there.
    parent.notices.clear();
    parent.answer = [](NMHDR* hdr) -> LRESULT {
        if (hdr->code != HDN_ITEMCHANGINGA) return 0;
        auto* nm = reinterpret_cast<NMHEADERA*>(hdr);
        return nm->pitem->cxy < 80;
    };
    Drag(h, {99, 85, 60});
    EXPECT_EQ(Width(h, 0), 86);
    EXPECT_EQ(parent.Of(HDN_ITEMCHANGEDA).size(), 1u);
    EXPECT_EQ(parent.Of(HDN_ENDTRACKA).size(), 1u);
    HDITEMA narrow{};
    narrow.mask = HDI_WIDTH;
    narrow.cxy = 10;
    EXPECT_FALSE(SendMessageA(h, HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&narrow)));
    EXPECT_EQ(Width(h, 0), 86);
}

TEST_F(HeaderTest, WithoutFullDragTheWidthChangesAtTheEnd) {
    HWND h = Make3(HDS_BUTTONS);
    Drag(h, {99, 120, 140});
    EXPECT_EQ(Width(h, 0), 141);  // the cursor keeps its distance from the divider
    const std::vector<UINT> codes = HeaderCodes();
    EXPECT_EQ(codes, (std::vector<UINT>{HDN_BEGINTRACKA, HDN_TRACKA, HDN_TRACKA, HDN_ENDTRACKA, HDN_ITEMCHANGINGA,
                                        HDN_ITEMCHANGEDA}));
}

TEST_F(HeaderTest, ClicksShowThePressedLookAndAreNotified) {
    HWND h = Make3();
    const COLORREF light = GetClientPixel(h, 100, 0);
    const POINT pt = Screen(h, 150, 10);
    InjectMouseMove(pt.x, pt.y);
    InjectMouseButton(0, true);
    Pump();
    UpdateWindow(h);
    EXPECT_EQ(GetClientPixel(h, 100, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_NE(light, GetSysColor(COLOR_BTNSHADOW));
    InjectMouseButton(0, false);
    Pump();
    UpdateWindow(h);
    EXPECT_EQ(GetClientPixel(h, 100, 0), light);
    auto clicks = parent.Of(HDN_ITEMCLICKA);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, 1);
    EXPECT_EQ(clicks[0].from2, 0);

    // Released elsewhere: no click.
    parent.notices.clear();
    Drag(h, {150, 260});
    EXPECT_TRUE(parent.Of(HDN_ITEMCLICKA).empty());

    Click(h, 150, 10, {}, 1);
    EXPECT_EQ(parent.Of(NM_RCLICK).size(), 1u);

    const POINT div = Screen(h, 199, 10);
    InjectMouseClick(div.x, div.y, 0, 7000000);
    InjectMouseClick(div.x, div.y, 0, 7000100);
    Pump();
    auto dbl = parent.Of(HDN_DIVIDERDBLCLICKA);
    ASSERT_EQ(dbl.size(), 1u);
    EXPECT_EQ(dbl[0].item, 1);
}

TEST_F(HeaderTest, DraggingAnItemReordersUnlessRefused) {
    HWND h = Make3(HDS_BUTTONS | HDS_FULLDRAG | HDS_DRAGDROP);
    Drag(h, {30, 60, 120, 160});
    EXPECT_EQ(Order(h), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(HeaderCodes(), (std::vector<UINT>{HDN_BEGINDRAG, HDN_ENDDRAG}));
    auto ends = parent.Of(HDN_ENDDRAG);
    EXPECT_EQ(ends[0].item, 0);
    EXPECT_EQ(ends[0].to, 1);
    EXPECT_TRUE(parent.Of(HDN_ITEMCLICKA).empty());
    RECT r{};
    SendMessageA(h, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.left, 100);

    // To the far right end: the last place.
    Drag(h, {150, 200, 390});
    EXPECT_EQ(Order(h), (std::vector<int>{1, 2, 0}));

    parent.notices.clear();
    parent.answer = [](NMHDR* hdr) -> LRESULT { return hdr->code == HDN_ENDDRAG; };
    Drag(h, {250, 100, 20});
    EXPECT_EQ(Order(h), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(parent.Of(HDN_ENDDRAG).size(), 1u);

    // Without HDS_DRAGDROP a drag is only a press that ends elsewhere.
    HWND plain = Make3();
    Drag(plain, {30, 160});
    EXPECT_EQ(Order(plain), (std::vector<int>{0, 1, 2}));
}

}  // namespace
