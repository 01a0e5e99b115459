// The device list's resources: the context menu of its header (113) and
// the column selection (112) and sort order (117) dialogs. Both dialogs
// have the same face: the columns that may be added on the left (kept in
// alphabetical order), the chosen ones on the right in their order, with an
// up-down to move the selected one.
#include <iterator>

#include "controls/listctrl/brisel_list_ids.h"
#include "platform/commctrl/commctrl.h"
#include "platform/resources/resource_registry.h"
#include "platform/user/dialog_template.h"

namespace
{

using trelwin::user::DialogItemTemplate;
using trelwin::user::DialogTemplate;
using trelwin::user::DialogTemplateRegistration;

const MENUTEMPLATEITEM kHeaderMenu[] = {
    {MF_POPUP | MF_END, 0, "Columns"},
    {MF_STRING, ID_BRISELLIST_CHOOSE_COLUMNS, "&Choose colums"},
    {MF_STRING | MF_END, ID_BRISELLIST_ORDER_BY, "&Order by"},
};
const trelwin::ResourceRegistration kHeaderMenuRegistration(RT_MENU, MAKEINTRESOURCEA(IDR_BRISELLIST_HEADER_MENU),
                                                            kHeaderMenu, sizeof kHeaderMenu);

const DWORD kListStyle = WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY;
const DWORD kDialogStyle = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;

const DialogItemTemplate kColumnsItems[] = {
    {"STATIC", "Avaliable columns", IDC_BRISELLIST_COLUMNS_AVAILABLE_LABEL, WS_VISIBLE, 0, 7, 7, 110, 8},
    {"LISTBOX", nullptr, IDC_BRISELLIST_AVAILABLE, kListStyle | LBS_SORT, 0, 7, 18, 110, 132},
    {"BUTTON", "Add - >", IDC_BRISELLIST_ADD, WS_VISIBLE | WS_TABSTOP, 0, 124, 56, 50, 14},
    {"BUTTON", "< - Remove", IDC_BRISELLIST_REMOVE, WS_VISIBLE | WS_TABSTOP, 0, 124, 76, 50, 14},
    {"STATIC", "Selected columns", IDC_BRISELLIST_COLUMNS_SELECTED_LABEL, WS_VISIBLE, 0, 181, 7, 85, 8},
    {"LISTBOX", nullptr, IDC_BRISELLIST_SELECTED, kListStyle, 0, 181, 18, 85, 132},
    {UPDOWN_CLASSA, nullptr, IDC_BRISELLIST_SPIN, WS_VISIBLE, 0, 269, 70, 12, 24},
    {"STATIC", "Double-click to add or remove a column", IDC_BRISELLIST_COLUMNS_HINT, WS_VISIBLE, 0, 7, 165, 160,
     8},
    {"BUTTON", "Ok", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 177, 162, 50, 14},
    {"BUTTON", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 231, 162, 50, 14},
};
const DialogTemplate kColumnsDialog = {kDialogStyle, 0, 0, 0, 288, 183, "Column selection", "MS Sans Serif", 8,
                                       kColumnsItems, std::size(kColumnsItems)};
const DialogTemplateRegistration kColumnsRegistration(IDD_BRISELLIST_COLUMNS, kColumnsDialog);

const DialogItemTemplate kOrderItems[] = {
    {"STATIC", "Avaliable columns", IDC_BRISELLIST_ORDER_AVAILABLE_LABEL, WS_VISIBLE, 0, 7, 7, 110, 8},
    {"LISTBOX", nullptr, IDC_BRISELLIST_AVAILABLE, kListStyle | LBS_SORT, 0, 7, 18, 110, 132},
    {"BUTTON", "Add - >", IDC_BRISELLIST_ADD, WS_VISIBLE | WS_TABSTOP, 0, 124, 56, 50, 14},
    {"BUTTON", "< - Remove", IDC_BRISELLIST_REMOVE, WS_VISIBLE | WS_TABSTOP, 0, 124, 76, 50, 14},
    {"STATIC", "Columns Order by", IDC_BRISELLIST_ORDER_SELECTED_LABEL, WS_VISIBLE, 0, 181, 7, 85, 8},
    {"LISTBOX", nullptr, IDC_BRISELLIST_SELECTED, kListStyle, 0, 181, 18, 85, 132},
    {UPDOWN_CLASSA, nullptr, IDC_BRISELLIST_SPIN, WS_VISIBLE, 0, 269, 70, 12, 24},
    {"STATIC", "Double-click to add or remove a column", IDC_BRISELLIST_ORDER_HINT, WS_VISIBLE, 0, 7, 165, 160, 8},
    {"BUTTON", "Ok", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 177, 162, 50, 14},
    {"BUTTON", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 231, 162, 50, 14},
};
const DialogTemplate kOrderDialog = {kDialogStyle, 0, 0, 0, 288, 183, "Columns Order by", "MS Sans Serif", 8,
                                     kOrderItems, std::size(kOrderItems)};
const DialogTemplateRegistration kOrderRegistration(IDD_BRISELLIST_COLUMNS_ORDER, kOrderDialog);

}  // namespace
