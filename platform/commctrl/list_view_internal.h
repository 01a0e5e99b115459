// The list view's state and the parts its sources share. The items live
// here (or, with owner data, only their selection and focus); the column
// widths, titles and order live in the header control, which the layout
// reads directly.
#pragma once

#include <string>
#include <vector>

#include "platform/commctrl/list_view.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace trelwin::commctrl::listview {

struct Cell {
    std::string text;
    bool textCallback = false;
    int image = I_IMAGENONE;
};

struct Item {
    std::vector<Cell> cells;  // cells[0] is the item itself; grows on demand
    UINT state = 0;
    LPARAM lParam = 0;
    int indent = 0;
};

struct Column {
    int format = LVCFMT_LEFT;
    int image = -1;
};

// A column's place on the screen, in the list's client coordinates.
struct Span {
    int column;
    int left;
    int right;
};

struct State {
    static constexpr DWORD kMagic = 0x4C565731;
    DWORD magic = kMagic;
    HWND hwnd = nullptr;
    HWND header = nullptr;
    DWORD exStyle = 0;

    std::vector<Item> items;    // lists that hold their items
    std::vector<UINT> odStates;  // owner data: one state per item
    std::vector<Column> columns;

    HIMAGELIST smallImages = nullptr;
    HIMAGELIST stateImages = nullptr;
    HIMAGELIST normalImages = nullptr;
    HFONT font = nullptr;
    COLORREF bkColor = CLR_DEFAULT;
    COLORREF textColor = CLR_DEFAULT;
    COLORREF textBkColor = CLR_DEFAULT;
    UINT callbackMask = 0;

    int top = 0;      // first row shown
    int scrollX = 0;  // pixels scrolled to the right
    int focus = -1;
    int anchor = -1;  // where a Shift selection starts (the selection mark)
    int wheelRest = 0;
    int cacheFrom = -1;
    int cacheTo = -1;

    int rowHeight = 16;
    int headerHeight = 0;
    RECT headerPlace{};  // where the header was put last
    bool hasFocus = false;
    bool redraw = true;
    bool inLayout = false;

    // The left button went down on the list and has not come up yet.
    bool leftDown = false;
    int downItem = -1;
    int downSubItem = -1;
    POINT downPoint{};
};

State* StateOf(HWND hwnd);
DWORD Style(const State& s);
bool OwnerData(const State& s);
bool SingleSel(const State& s);

// Notifications to the parent; the code goes into the header given.
LRESULT Notify(const State& s, UINT code, NMHDR* hdr);

// Model (list_view_model.cpp).
int Count(const State& s);
// What the item holds, asking the parent (LVN_GETDISPINFO) for callback
// fields and for everything of an owner-data item. Text at most 259
// characters.
std::string ItemText(State& s, int item, int subItem);
int ItemImage(State& s, int item, int subItem);
UINT ItemState(const State& s, int item);
LPARAM ItemParam(State& s, int item);
int ItemIndent(State& s, int item);
// What a cell shows, with one question to the parent at most.
struct Shown {
    std::string text;
    int image = I_IMAGENONE;
    int indent = 0;
};
// want: LVIF_TEXT, LVIF_IMAGE, LVIF_INDENT.
Shown ItemShown(State& s, int item, int subItem, UINT want);
LRESULT GetItem(State& s, LVITEMA* item);
LRESULT SetItem(State& s, const LVITEMA* item);
LRESULT InsertItem(State& s, const LVITEMA* item);
LRESULT DeleteItem(State& s, int index);
LRESULT DeleteAllItems(State& s);
LRESULT SetItemCount(State& s, int count);
// Changes the state bits in mask of one item (-1: every item), with the
// LVN_ITEMCHANGING / LVN_ITEMCHANGED notifications; false when refused.
bool SetState(State& s, int item, UINT state, UINT mask);
// Owner data and plain lists alike: selects exactly the items first..last
// (or none when first < 0), with one notification per changed item, or for
// owner data one LVN_ODSTATECHANGED for the range.
void SelectRange(State& s, int first, int last);
void SetFocusItem(State& s, int item);
LRESULT GetNextItem(const State& s, int start, UINT flags);
int SelectedCount(const State& s);
LRESULT SortItems(State& s, LPARAM context, PFNLVCOMPARE compare);
LRESULT FindItem(State& s, int start, const LVFINDINFOA* info);

// Columns (list_view_columns.cpp).
int ColumnCount(const State& s);
LRESULT InsertColumn(State& s, int index, const LVCOLUMNA* column);
LRESULT DeleteColumn(State& s, int index);
LRESULT GetColumn(State& s, int index, LVCOLUMNA* column);
LRESULT SetColumn(State& s, int index, const LVCOLUMNA* column);
int ColumnWidth(const State& s, int index);
LRESULT SetColumnWidth(State& s, int index, int width);
LRESULT OnHeaderNotify(State& s, WPARAM wParam, NMHDR* hdr);

// Layout (list_view_layout.cpp).
void UpdateMetrics(State& s);
void UpdateLayout(State& s);
void PlaceHeader(State& s);
std::vector<Span> Spans(const State& s);
int TotalWidth(const State& s);
RECT ItemArea(const State& s);
int CountPerPage(const State& s);
int RowTop(const State& s, int item);
bool GetItemRect(State& s, int item, int code, RECT* rect);
bool GetSubItemRect(State& s, int item, int subItem, int code, RECT* rect);
int HitTest(State& s, LVHITTESTINFO* info, bool subItems);
void ScrollTo(State& s, int top);
void ScrollHorizontally(State& s, int x);
bool EnsureVisible(State& s, int item, bool partialOk);
void InvalidateItems(const State& s, int first, int last);
// Parts of an item's first column.
struct ItemParts {
    RECT stateIcon;
    RECT icon;
    RECT label;
};
// indent -1: the item's own.
ItemParts PartsOf(State& s, int item, const Span& column0, int top, int indent = -1);
int TextWidth(const State& s, const std::string& text);

// Painting (list_view_paint.cpp).
void Paint(State& s, HDC hdc, const RECT& clip);

// Input (list_view_input.cpp).
LRESULT OnMouse(State& s, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT OnKeyDown(State& s, WPARAM key);
LRESULT OnScroll(State& s, UINT msg, WPARAM wParam);
LRESULT OnWheel(State& s, WPARAM wParam);

// Text margins: inside the label of the first column, and on each side of
// the other columns' text (2 and 6 pixels at 96 dpi).
inline int LabelMargin() { return user::ScaleToScreen(2); }
inline int SubItemMargin() { return user::ScaleToScreen(6); }

}  // namespace trelwin::commctrl::listview
