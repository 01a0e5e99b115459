// Resource and command ids of the device list: its header menu and the two
// column dialogs (tables in resources/brisel_list_dialogs.cpp).
#pragma once

// The header's context menu and its two commands, which come back to the list.
#define IDR_BRISELLIST_HEADER_MENU 113
#define ID_BRISELLIST_CHOOSE_COLUMNS 114
#define ID_BRISELLIST_ORDER_BY 119

// The column selection dialog and the sort order dialog share their controls.
#define IDD_BRISELLIST_COLUMNS 112
#define IDD_BRISELLIST_COLUMNS_ORDER 117
#define IDC_BRISELLIST_ADD 104
#define IDC_BRISELLIST_REMOVE 105
#define IDC_BRISELLIST_AVAILABLE 106
#define IDC_BRISELLIST_SPIN 108
#define IDC_BRISELLIST_SELECTED 115
#define IDC_BRISELLIST_COLUMNS_AVAILABLE_LABEL 109
#define IDC_BRISELLIST_COLUMNS_SELECTED_LABEL 110
#define IDC_BRISELLIST_COLUMNS_HINT 111
#define IDC_BRISELLIST_ORDER_AVAILABLE_LABEL 116
#define IDC_BRISELLIST_ORDER_SELECTED_LABEL 117
#define IDC_BRISELLIST_ORDER_HINT 118
