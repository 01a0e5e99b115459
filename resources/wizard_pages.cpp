// Dialog templates of the wizard's three pages. All three share one size,
// so the sheet keeps the same place for each; sizes are in dialog units of
// the pages' font.
#include <iterator>

#include "platform/commctrl/commctrl.h"
#include "platform/user/dialog_template.h"

namespace {

using trelwin::user::DialogItemTemplate;
using trelwin::user::DialogTemplate;
using trelwin::user::DialogTemplateRegistration;

constexpr DWORD kPageStyle = WS_CHILD | DS_SETFONT | DS_CONTROL;
constexpr short kPageWidth = 500;
constexpr short kPageHeight = 250;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kReport = WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS;

// Package selection: the path and a button that browses for it.
const DialogItemTemplate kSelectFileItems[] = {
    {"EDIT", "", 1006, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 7, 10, 420, 14},
    {"BUTTON", "Browse", 1007, kButton, 0, 433, 10, 60, 14},
};
const DialogTemplate kSelectFile = {kPageStyle, 0, 0, 0, kPageWidth, kPageHeight, nullptr,
                                    "MS Sans Serif", 8, kSelectFileItems, std::size(kSelectFileItems)};
const DialogTemplateRegistration kSelectFileRegistration(134, kSelectFile);

// Device selection: the list (its rows live in the list control's own
// storage), the legend for unreachable devices, the buttons that tick and
// search, the typed addresses and the two options.
const DialogItemTemplate kDiscoverItems[] = {
    {"SysListView32", "", 1000, kReport | LVS_ALIGNLEFT | LVS_OWNERDATA, 0, 7, 7, 486, 150},
    {"STATIC", "", 1020, WS_VISIBLE, 0, 7, 161, 10, 8},
    {"STATIC", "", 1021, WS_VISIBLE, 0, 21, 161, 260, 8},
    {"BUTTON", "Select All", 1013, kButton | WS_GROUP, 0, 7, 174, 60, 14},
    {"BUTTON", "Select None", 1014, kButton, 0, 71, 174, 60, 14},
    {"BUTTON", "Refresh", 1005, kButton, 0, 135, 174, 60, 14},
    {"EDIT", "", 1015, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 7, 194, 220, 14},
    {"BUTTON", "Add Device", 1004, kButton, 0, 231, 194, 60, 14},
    {"BUTTON", "Advanced Options", 1018, WS_VISIBLE | BS_GROUPBOX, 0, 300, 170, 193, 44},
    {"BUTTON", "Force Complete Upgrade", 1017, kCheck | WS_GROUP, 0, 310, 183, 175, 10},
    {"BUTTON", "Restore Default Configuration", 1016, kCheck, 0, 310, 197, 175, 10},
};
const DialogTemplate kDiscover = {kPageStyle, 0, 0, 0, kPageWidth, kPageHeight, nullptr,
                                  "MS Sans Serif", 8, kDiscoverItems, std::size(kDiscoverItems)};
const DialogTemplateRegistration kDiscoverRegistration(104, kDiscover);

// Progress: the overall percentage, the frame the gauge is placed in, and
// one row per device being updated.
const DialogItemTemplate kProgressItems[] = {
    {"STATIC", "Global Progress", -1, WS_VISIBLE, 0, 7, 7, 100, 8},
    {"STATIC", "0%", 1011, WS_VISIBLE | SS_RIGHT, 0, 471, 7, 22, 8},
    {"STATIC", "", 1012, WS_VISIBLE | SS_BLACKFRAME, 0, 7, 19, 486, 11},
    {"SysListView32", "", 1000, kReport, 0, 7, 45, 486, 198},
};
const DialogTemplate kProgress = {kPageStyle, 0, 0, 0, kPageWidth, kPageHeight, nullptr,
                                  "MS Sans Serif", 8, kProgressItems, std::size(kProgressItems)};
const DialogTemplateRegistration kProgressRegistration(135, kProgress);

}  // namespace
