// The header control ("SysHeader32"): a row of column titles above a list,
// with dividers the user drags to size the columns, items the user clicks
// and, with HDS_DRAGDROP, drags into another order. Its items and its
// notifications (HDN_..., NM_RCLICK) are declared in notify.h.
#pragma once

#include "platform/commctrl/notify.h"
#include "platform/user/window_defs.h"

#define WC_HEADERA "SysHeader32"
#define WC_HEADER WC_HEADERA

#define HDS_HORZ 0x0000
#define HDS_BUTTONS 0x0002
#define HDS_HOTTRACK 0x0004
#define HDS_HIDDEN 0x0008
#define HDS_DRAGDROP 0x0040
#define HDS_FULLDRAG 0x0080

#define HDM_FIRST 0x1200
#define HDM_GETITEMCOUNT (HDM_FIRST + 0)
#define HDM_INSERTITEMA (HDM_FIRST + 1)
#define HDM_DELETEITEM (HDM_FIRST + 2)
#define HDM_GETITEMA (HDM_FIRST + 3)
#define HDM_SETITEMA (HDM_FIRST + 4)
#define HDM_LAYOUT (HDM_FIRST + 5)
#define HDM_HITTEST (HDM_FIRST + 6)
#define HDM_GETITEMRECT (HDM_FIRST + 7)
#define HDM_SETIMAGELIST (HDM_FIRST + 8)
#define HDM_GETIMAGELIST (HDM_FIRST + 9)
#define HDM_ORDERTOINDEX (HDM_FIRST + 15)
#define HDM_GETORDERARRAY (HDM_FIRST + 17)
#define HDM_SETORDERARRAY (HDM_FIRST + 18)
#define HDM_INSERTITEM HDM_INSERTITEMA
#define HDM_GETITEM HDM_GETITEMA
#define HDM_SETITEM HDM_SETITEMA

// HDM_LAYOUT: the header takes its place at the top of *prc, says where in
// *pwpos, and leaves in *prc what remains below it.
typedef struct _HD_LAYOUT {
    RECT* prc;
    WINDOWPOS* pwpos;
} HDLAYOUT, *LPHDLAYOUT, HD_LAYOUT;

#ifndef ODT_HEADER
#define ODT_HEADER 100
#endif
#ifndef WM_DRAWITEM
#define WM_DRAWITEM 0x002B
#endif
