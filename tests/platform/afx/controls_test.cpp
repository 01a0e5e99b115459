// The control classes on the real controls: each member reaches the
// control's message (list view items, columns, sorting and selection; the
// header; list box, combo box, edit and up-down), run-time class checks,
// menus tracked by injected keys and message boxes answered by a key.
#include <string>
#include <vector>

#include "platform/commctrl/commctrl.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/string_table.h"
#include "platform/user/input.h"
#include "tests/platform/afx/afx_wnd_test_util.h"

using namespace afx_test;

namespace {

constexpr UINT kListId = 40;
constexpr UINT kPromptId = 9301;
constexpr WORD kMenuId = 9302;

const trelwin::StringTableEntry kStrings[] = {{kPromptId, "Replace the firmware?"}};
const trelwin::StringTableRegistration kStringRegistration(kStrings);

const MENUTEMPLATEITEM kMenu[] = {
    {MF_POPUP | MF_END, 0, "List"},
    {MF_STRING, 114, "&Columns"},
    {MF_STRING | MF_END, 119, "&Order by"},
};
const trelwin::ResourceRegistration kMenuRegistration(RT_MENU, MAKEINTRESOURCEA(kMenuId), kMenu, sizeof kMenu);

void Press(UINT vk) {
    trelwin::user::InjectKey(vk, true);
    trelwin::user::InjectKey(vk, false);
}

// Presses the keys one per timer tick of the window, then stops; a guard
// presses Esc a few times more so that no loop is left running.
struct KeyScript {
    std::vector<UINT> keys;
    size_t next = 0;
};

KeyScript& Script() {
    static KeyScript script;
    return script;
}

void StartKeys(HWND hWnd, std::vector<UINT> keys) {
    Script() = KeyScript{std::move(keys), 0};
    ::SetTimer(hWnd, 0x4B, 30, [](HWND h, UINT, UINT_PTR id, DWORD) {
        KeyScript& s = Script();
        if (s.next < s.keys.size()) {
            Press(s.keys[s.next++]);
        } else if (s.next < s.keys.size() + 100) {
            ++s.next;
            if (s.next % 20 == 0) Press(VK_ESCAPE);
        } else {
            ::KillTimer(h, id);
        }
    });
}

int CALLBACK ByDataDescending(LPARAM a, LPARAM b, LPARAM sign) { return static_cast<int>((b - a) * sign); }

class ControlsTest : public AfxWindowTest {
protected:
    void SetUp() override {
        AfxWindowTest::SetUp();
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
    }
    void TearDown() override {
        m_parent.DestroyWindow();
        AfxWindowTest::TearDown();
    }
    CWnd m_parent;
};

}  // namespace

TEST_F(ControlsTest, ListCtrlItemsColumnsSortingAndSelection) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 380, 280), &m_parent, kListId));
    EXPECT_EQ(list.InsertColumn(0, "Name", LVCFMT_LEFT, 120), 0);
    EXPECT_EQ(list.InsertColumn(1, "Address", LVCFMT_CENTER, 90, 1), 1);
    EXPECT_EQ(list.GetColumnWidth(1), 90);
    EXPECT_TRUE(list.SetColumnWidth(1, 100));
    EXPECT_EQ(list.GetColumnWidth(1), 100);
    LVCOLUMN column{};
    char heading[32] = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = heading;
    column.cchTextMax = sizeof heading;
    ASSERT_TRUE(list.GetColumn(1, &column));
    EXPECT_STREQ(heading, "Address");
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);

    const char* names[] = {"alpha", "bravo", "charlie", "delta"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.InsertItem(i, names[i]), i);
        EXPECT_TRUE(list.SetItemText(i, 1, (std::string("10.0.0.") + std::to_string(i)).c_str()));
        EXPECT_TRUE(list.SetItemData(i, static_cast<DWORD_PTR>(i * 10)));
    }
    EXPECT_EQ(list.GetItemCount(), 4);
    EXPECT_STREQ(list.GetItemText(2, 0), "charlie");
    EXPECT_STREQ(list.GetItemText(3, 1), "10.0.0.3");
    EXPECT_EQ(list.GetItemData(1), 10u);

    // Sorted by the callback on the item data, largest first.
    ASSERT_TRUE(list.SortItems(&ByDataDescending, 1));
    EXPECT_STREQ(list.GetItemText(0, 0), "delta");
    EXPECT_STREQ(list.GetItemText(3, 0), "alpha");
    EXPECT_STREQ(list.GetItemText(0, 1), "10.0.0.3");  // sub-items move with their rows

    // Selection: two rows, iterated in order.
    EXPECT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_TRUE(list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(list.GetSelectedCount(), 2u);
    EXPECT_EQ(list.GetItemState(3, LVIS_FOCUSED | LVIS_SELECTED), static_cast<UINT>(LVIS_FOCUSED | LVIS_SELECTED));
    std::vector<int> selected;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos != nullptr && selected.size() < 10;) {
        selected.push_back(list.GetNextSelectedItem(pos));
    }
    EXPECT_EQ(selected, (std::vector<int>{1, 3}));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
    EXPECT_TRUE(list.SetItemState(-1, 0, LVIS_SELECTED));
    EXPECT_EQ(list.GetFirstSelectedItemPosition(), nullptr);

    // Geometry: the middle of a row's label hits that row and column.
    CRect cell;
    ASSERT_TRUE(list.GetSubItemRect(2, 1, LVIR_BOUNDS, cell));
    LVHITTESTINFO hit{};
    hit.pt = cell.CenterPoint();
    EXPECT_EQ(list.SubItemHitTest(&hit), 2);
    EXPECT_EQ(hit.iSubItem, 1);
    CRect row;
    ASSERT_TRUE(list.GetItemRect(1, &row, LVIR_BOUNDS));
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(row.CenterPoint(), &flags), 1);
    EXPECT_NE(flags & LVHT_ONITEM, 0u);
    EXPECT_EQ(list.GetTopIndex(), 0);
    EXPECT_GT(list.GetCountPerPage(), 4);
    EXPECT_GT(list.GetStringWidth("charlie"), list.GetStringWidth("c"));

    // Extended styles, colours.
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_EQ(list.GetExtendedStyle() & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
              static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES));
    EXPECT_TRUE(list.SetBkColor(RGB(248, 18, 18)));
    EXPECT_EQ(list.GetBkColor(), RGB(248, 18, 18));

    // Column order through the list and through its header.
    int order[2] = {1, 0};
    EXPECT_TRUE(list.SetColumnOrderArray(2, order));
    int readBack[2] = {-1, -1};
    EXPECT_TRUE(list.GetColumnOrderArray(readBack));
    EXPECT_EQ(readBack[0], 1);
    EXPECT_EQ(readBack[1], 0);
    CHeaderCtrl* header = list.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(header->IsKindOf(RUNTIME_CLASS(CHeaderCtrl)));
    EXPECT_EQ(header->GetItemCount(), 2);
    EXPECT_EQ(header->OrderToIndex(0), 1);
    int headerOrder[2] = {-1, -1};
    EXPECT_TRUE(header->GetOrderArray(headerOrder));
    EXPECT_EQ(headerOrder[0], 1);
    HDITEM item{};
    char text[32] = {};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ASSERT_TRUE(header->GetItem(0, &item));
    EXPECT_STREQ(text, "Name");
    EXPECT_EQ(item.cxy, 120);
    CRect headerRect;
    ASSERT_TRUE(header->GetItemRect(0, &headerRect));
    HDHITTESTINFO headerHit{};
    headerHit.pt = headerRect.CenterPoint();
    EXPECT_EQ(header->HitTest(&headerHit), 0);

    // Items go.
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(header->GetItemCount(), 1);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ControlsTest, HeaderObjectOfAListIsTheOneTiedToIt) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 200, 100), &m_parent, kListId));
    CHeaderCtrl header;
    ASSERT_TRUE(header.SubclassWindow(reinterpret_cast<HWND>(list.SendMessage(LVM_GETHEADER))));
    EXPECT_EQ(list.GetHeaderCtrl(), &header);
    header.UnsubclassWindow();
    CHeaderCtrl* temporary = list.GetHeaderCtrl();
    EXPECT_NE(temporary, &header);
    EXPECT_EQ(temporary->m_hWnd, reinterpret_cast<HWND>(list.SendMessage(LVM_GETHEADER)));
    EXPECT_EQ(header.m_hWnd, nullptr);
}

TEST_F(ControlsTest, ListBoxComboBoxEditAndSpinMembers) {
    CListBox listBox;
    ASSERT_TRUE(listBox.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL, CRect(0, 0, 100, 80), &m_parent, 41));
    EXPECT_EQ(listBox.AddString("one"), 0);
    EXPECT_EQ(listBox.AddString("two"), 1);
    EXPECT_EQ(listBox.InsertString(0, "zero"), 0);
    EXPECT_EQ(listBox.GetCount(), 3);
    CString text;
    listBox.GetText(2, text);
    EXPECT_STREQ(text, "two");
    EXPECT_EQ(listBox.GetTextLen(0), 4);
    EXPECT_NE(listBox.SetItemData(1, 77), LB_ERR);
    EXPECT_EQ(listBox.GetItemData(1), 77u);
    EXPECT_EQ(listBox.FindStringExact(-1, "two"), 2);
    listBox.SetCurSel(1);
    EXPECT_EQ(listBox.GetCurSel(), 1);
    EXPECT_EQ(listBox.DeleteString(0), 2);
    listBox.ResetContent();
    EXPECT_EQ(listBox.GetCount(), 0);

    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(110, 0, 210, 120), &m_parent, 42));
    combo.AddString("Ethernet");
    combo.AddString("Serial");
    EXPECT_EQ(combo.GetCount(), 2);
    combo.SetCurSel(1);
    EXPECT_EQ(combo.GetCurSel(), 1);
    combo.GetLBText(0, text);
    EXPECT_STREQ(text, "Ethernet");
    EXPECT_EQ(combo.GetLBTextLen(1), 6);
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);

    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(0, 100, 150, 120), &m_parent, 43));
    edit.SetWindowText("192.168.1.1");
    edit.SetSel(4, 7);
    int start = -1;
    int end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 7);
    edit.ReplaceSel("10");
    CString edited;
    edit.GetWindowText(edited);
    EXPECT_STREQ(edited, "192.10.1.1");
    edit.SetLimitText(5);
    EXPECT_EQ(edit.GetLimitText(), 5u);

    CSpinButtonCtrl spin;
    ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT, CRect(160, 100, 176, 120), &m_parent, 44));
    spin.SetRange32(1, 65535);
    int lower = 0;
    int upper = 0;
    spin.GetRange32(lower, upper);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 65535);
    spin.SetPos32(502);
    EXPECT_EQ(spin.GetPos32(), 502);
    spin.SetBuddy(&edit);
    EXPECT_EQ(spin.GetBuddy()->m_hWnd, edit.m_hWnd);
    EXPECT_STREQ([&] { CString t; edit.GetWindowText(t); return t; }(), "502");
}

TEST_F(ControlsTest, RunTimeClassesTellTheControlsApart) {
    CEdit edit;
    CListCtrl list;
    CDateTimeCtrl date;
    CSpinButtonCtrl spin;
    CStatic label;
    CButton button;
    EXPECT_TRUE(edit.IsKindOf(RUNTIME_CLASS(CEdit)));
    EXPECT_TRUE(edit.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(label.IsKindOf(RUNTIME_CLASS(CEdit)));
    EXPECT_FALSE(button.IsKindOf(RUNTIME_CLASS(CListCtrl)));
    EXPECT_TRUE(date.IsKindOf(RUNTIME_CLASS(CDateTimeCtrl)));
    EXPECT_FALSE(date.IsKindOf(RUNTIME_CLASS(CSpinButtonCtrl)));
    EXPECT_TRUE(spin.IsKindOf(RUNTIME_CLASS(CSpinButtonCtrl)));
    EXPECT_TRUE(list.IsKindOf(RUNTIME_CLASS(CListCtrl)));

    ASSERT_TRUE(label.Create("Legend", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(0, 0, 100, 20), &m_parent));
    ASSERT_TRUE(button.Create("Force", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(0, 30, 100, 50), &m_parent, 50));
    button.SetCheck(BST_CHECKED);
    EXPECT_EQ(button.GetCheck(), BST_CHECKED);
    EXPECT_EQ(button.GetButtonStyle() & BS_TYPEMASK, static_cast<UINT>(BS_AUTOCHECKBOX));
    CString caption;
    label.GetWindowText(caption);
    EXPECT_STREQ(caption, "Legend");
}

TEST_F(ControlsTest, MenuItemsAndAPopupTrackedByKeys) {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 101, "&One"));
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 102, "&Two"));
    EXPECT_TRUE(menu.AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 103, "T&hree"));
    EXPECT_EQ(menu.GetMenuItemCount(), 4);
    EXPECT_EQ(menu.GetMenuItemID(1), 102u);
    EXPECT_EQ(menu.CheckMenuItem(101, MF_CHECKED | MF_BYCOMMAND), static_cast<UINT>(MF_UNCHECKED));
    EXPECT_EQ(menu.GetMenuState(101, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    menu.EnableMenuItem(103, MF_GRAYED | MF_BYCOMMAND);
    EXPECT_TRUE(menu.ModifyMenu(102, MF_BYCOMMAND | MF_STRING, 102, "&Second"));
    CString label;
    EXPECT_EQ(menu.GetMenuString(1, label, MF_BYPOSITION), 7);
    EXPECT_STREQ(label, "&Second");
    EXPECT_EQ(CMenu::FromHandle(menu.m_hMenu), &menu);

    // Down to the first item, down to the second, Enter: its command.
    StartKeys(m_parent.m_hWnd, {VK_DOWN, VK_DOWN, VK_RETURN});
    const BOOL chosen = menu.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, 50, 50, &m_parent);
    ::KillTimer(m_parent.m_hWnd, 0x4B);
    EXPECT_EQ(chosen, 102);

    HMENU handle = menu.Detach();
    EXPECT_EQ(menu.m_hMenu, nullptr);
    EXPECT_TRUE(::IsMenu(handle));
    EXPECT_TRUE(menu.Attach(handle));
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(::IsMenu(handle));
}

TEST_F(ControlsTest, MenuFromResourcesAndItsPopup) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(kMenuId));
    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetMenuItemCount(), 2);
    EXPECT_EQ(popup->GetMenuItemID(1), 119u);
    CMenu missing;
    EXPECT_FALSE(missing.LoadMenu(9399));
    EXPECT_EQ(missing.m_hMenu, nullptr);
}

TEST_F(ControlsTest, MessageBoxAnswersWithTheKeyPressed) {
    StartKeys(m_parent.m_hWnd, {VK_RETURN});
    EXPECT_EQ(AfxMessageBox("Continue?", MB_YESNO | MB_ICONQUESTION), IDYES);
    // A string table prompt whose second button is the default.
    StartKeys(m_parent.m_hWnd, {VK_RETURN});
    EXPECT_EQ(AfxMessageBox(kPromptId, MB_YESNO | MB_DEFBUTTON2), IDNO);
    ::KillTimer(m_parent.m_hWnd, 0x4B);
    EXPECT_EQ(AfxMessageBox(9399), 0);  // no such string: nothing shown
}

TEST_F(ControlsTest, WaitCursorShowsAndPutsBackTheCursor) {
    HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
    ::SetCursor(arrow);
    {
        CWaitCursor wait;
        EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_WAIT));
        ::SetCursor(arrow);
        wait.Restore();
        EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_WAIT));
    }
    EXPECT_EQ(::GetCursor(), arrow);
}

namespace {

// A header that draws its owner-drawn items itself.
class CDrawingHeader : public CHeaderCtrl {
public:
    std::vector<int> drawn;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
        drawn.push_back(static_cast<int>(lpDrawItemStruct->itemID));
        ::FillRect(lpDrawItemStruct->hDC, &lpDrawItemStruct->rcItem,
                   static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
};

}  // namespace

TEST_F(ControlsTest, OwnerDrawnHeaderItemsComeBackToTheHeaderObject) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 150), &m_parent, kListId));
    list.InsertColumn(0, "Name", LVCFMT_LEFT, 100);
    list.InsertColumn(1, "Type", LVCFMT_LEFT, 100);
    CDrawingHeader header;
    ASSERT_TRUE(header.SubclassWindow(reinterpret_cast<HWND>(list.SendMessage(LVM_GETHEADER))));
    HDITEM item{};
    item.mask = HDI_FORMAT;
    item.fmt = HDF_OWNERDRAW;
    ASSERT_TRUE(header.SetItem(1, &item));
    header.RedrawWindow();
    ASSERT_FALSE(header.drawn.empty());
    for (int id : header.drawn) EXPECT_EQ(id, 1);  // only the owner-drawn item
    header.UnsubclassWindow();
}

TEST_F(ControlsTest, CheckStateIsTheItemsStateImage) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 150), &m_parent, kListId));
    list.InsertColumn(0, "Name", LVCFMT_LEFT, 100);
    for (int i = 0; i < 3; ++i) list.InsertItem(i, "device");
    struct Case {
        int item;
        BOOL check;
        UINT stateImage;  // the state bits afterwards, 0x1000 per image index
        BOOL read;
    };
    const Case cases[] = {{0, TRUE, 0x2000, 1}, {1, FALSE, 0x1000, 0}, {0, FALSE, 0x1000, 0}, {1, TRUE, 0x2000, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item * 10 + c.check);
        EXPECT_TRUE(list.SetCheck(c.item, c.check));
        EXPECT_EQ(list.GetItemState(c.item, LVIS_STATEIMAGEMASK), c.stateImage);
        EXPECT_EQ(list.GetCheck(c.item), c.read);
    }
    // An item that never had a check state says so; selection is not one.
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetCheck(2), -1);
    EXPECT_FALSE(list.SetCheck(7, TRUE));
}
