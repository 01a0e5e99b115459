// The up-down control ("msctls_updown32"): two arrow buttons that step a
// position within a range, optionally showing it in a buddy window.
#pragma once

#include "platform/base/win_types.h"

#define UPDOWN_CLASSA "msctls_updown32"
#define UPDOWN_CLASS UPDOWN_CLASSA

// Styles.
#define UDS_WRAP 0x0001
#define UDS_SETBUDDYINT 0x0002
#define UDS_ALIGNRIGHT 0x0004
#define UDS_ALIGNLEFT 0x0008
#define UDS_AUTOBUDDY 0x0010
#define UDS_ARROWKEYS 0x0020
#define UDS_HORZ 0x0040
#define UDS_NOTHOUSANDS 0x0080
#define UDS_HOTTRACK 0x0100

#define UD_MAXVAL 0x7fff
#define UD_MINVAL (-UD_MAXVAL)

// Messages.
#define UDM_SETRANGE (0x0400 + 101)
#define UDM_GETRANGE (0x0400 + 102)
#define UDM_SETPOS (0x0400 + 103)
#define UDM_GETPOS (0x0400 + 104)
#define UDM_SETBUDDY (0x0400 + 105)
#define UDM_GETBUDDY (0x0400 + 106)
#define UDM_SETACCEL (0x0400 + 107)
#define UDM_GETACCEL (0x0400 + 108)
#define UDM_SETBASE (0x0400 + 109)
#define UDM_GETBASE (0x0400 + 110)
#define UDM_SETRANGE32 (0x0400 + 111)
#define UDM_GETRANGE32 (0x0400 + 112)
#define UDM_SETPOS32 (0x0400 + 113)
#define UDM_GETPOS32 (0x0400 + 114)

// Notifications (WM_NOTIFY).
#ifndef UDN_FIRST
#define UDN_FIRST (0U - 721U)
#define UDN_LAST (0U - 740U)
#endif
#define UDN_DELTAPOS (UDN_FIRST - 1)

// UDN_DELTAPOS: the position before the step and the proposed change. A
// non-zero answer refuses the step.
typedef struct _NM_UPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
} NMUPDOWN, *LPNMUPDOWN;

typedef struct {
    UINT nSec;
    UINT nInc;
} UDACCEL, *LPUDACCEL;
