// The header control's state, shared by its sources and read by the list
// view that owns a header (it lays its columns out from the header's
// widths and order without a message per column).
#pragma once

#include <string>
#include <vector>

#include "platform/commctrl/header.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace trelwin::commctrl::header {

struct Item {
    std::string text;
    int width = 0;
    int format = HDF_LEFT | HDF_STRING;
    LPARAM lParam = 0;
    int image = -1;
    HBITMAP bitmap = nullptr;
};

// What the left button is doing.
enum class Mode { None, Pressing, Tracking, Dragging };

struct State {
    static constexpr DWORD kMagic = 0x48445231;
    DWORD magic = kMagic;
    HWND hwnd = nullptr;
    std::vector<Item> items;
    std::vector<int> order;  // display position -> item index
    HFONT font = nullptr;
    HIMAGELIST images = nullptr;

    Mode mode = Mode::None;
    int active = -1;       // item pressed, tracked or dragged
    bool pressed = false;  // the pressed item is drawn pushed in
    POINT down{};          // where the button went down
    int trackOffset = 0;   // cursor x minus the divider's x at the start
    int startWidth = 0;
    int trackWidth = 0;    // width shown while tracking
    int lineX = -1;        // x of the tracking line drawn without full drag
    int dragX = 0;         // cursor x while dragging
    int dropOrder = -1;    // display position the dragged item would take
};

// The state of a header window, or null for any other window.
State* StateOf(HWND hwnd);

// Item rectangles in client coordinates; the items lie side by side in
// display order.
RECT ItemRect(const State& s, int index);
int ItemLeft(const State& s, int index);

// Which item, and which part, a client point is on.
int HitTest(const State& s, POINT pt, UINT* flags);

// The height the header needs for its font.
int LayoutHeight(const State& s);

// Sends a header notification to the parent and returns its answer.
LRESULT Notify(const State& s, UINT code, int item, int button, HDITEMA* pitem);

// Changes an item as HDM_SETITEM does: asks the parent first
// (HDN_ITEMCHANGING may refuse), applies, tells it (HDN_ITEMCHANGED).
bool ChangeItem(State& s, int index, const HDITEMA& change);

// Moves an item to another display position.
void MoveToOrder(State& s, int index, int position);

// Window procedure parts.
void Paint(State& s, HDC hdc);
LRESULT OnMouse(State& s, UINT msg, WPARAM wParam, LPARAM lParam);
bool OnSetCursor(State& s);
void CancelMode(State& s);

}  // namespace trelwin::commctrl::header
