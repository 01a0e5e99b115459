// Message maps: a class lists the messages it handles between
// BEGIN_MESSAGE_MAP(theClass, baseClass) and END_MESSAGE_MAP(). Every entry
// is a small function made by its ON_... macro that unpacks wParam and
// lParam and calls the handler with its own signature, so a handler of the
// wrong type does not compile. The tables are static; a message is looked up
// in the object's class first and in each base class after it, and the
// first entry that matches decides.
//
// An entry function answers whether the message was handled. Most handlers
// always handle it; the _EX forms return the handler's BOOL, so that a
// control's reflected notification handler can let its parent see the
// notification too.
#pragma once

#include "platform/base/win_types.h"
#include "platform/user/user.h"

// Messages the framework routes that the window layer does not name.
#ifndef WM_NOTIFY
#define WM_NOTIFY 0x004E
#endif
#ifndef WM_COMMAND
#define WM_COMMAND 0x0111
#endif
#ifndef WM_DRAWITEM
#define WM_DRAWITEM 0x002B
#endif
#ifndef WM_MEASUREITEM
#define WM_MEASUREITEM 0x002C
#endif
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019  // the key of ON_WM_CTLCOLOR entries for every WM_CTLCOLOR... message
#endif
#ifndef CTLCOLOR_MSGBOX
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6
#endif
#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif

// A parent hands a control's own notification back to the control under
// this offset (see CWnd::ReflectChildNotify).
#define WM_REFLECT_BASE 0xBC00

// The notification code of menu and accelerator commands.
#define CN_COMMAND 0

// What an entry function receives and answers.
struct AFX_MSGARGS {
    UINT message;    // the window message (WM_CTLCOLOR...: the real one)
    WPARAM wParam;
    LPARAM lParam;
    UINT nID;        // commands and notifications: the control or command id
    void* pExtra;    // notifications: the AFX_NOTIFY
    LRESULT result;  // the message's result, set by the entry
};

// What ON_NOTIFY and ON_NOTIFY_REFLECT handlers get.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// What a reflected WM_CTLCOLOR... carries to the control.
struct AFX_CTLCOLOR {
    HWND hWnd;
    HDC hDC;
    UINT nCtlType;
};

// Filled by OnCmdMsg instead of calling the handler, to ask who would take a
// command.
struct AFX_CMDHANDLERINFO {
    void* pTarget;
};

// pTarget is the object as the root class of its map hierarchy
// (T::AfxMapRoot*); TRUE when the message was handled.
using AFX_PMSGTHUNK = BOOL (*)(void* pTarget, AFX_MSGARGS& args);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;              // window message, WM_COMMAND or WM_NOTIFY (reflected: + WM_REFLECT_BASE)
    UINT nCode;                 // low word of the control notification code
    UINT nID;                   // first and last control id
    UINT nLastID;
    const UINT* pnRegistered;   // ON_REGISTERED_MESSAGE: the variable that holds the message number
    AFX_PMSGTHUNK pfn;          // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root class
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The first entry of the table that takes the message (nCode and nID count
// for WM_COMMAND and WM_NOTIFY entries and their reflections only).
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode, UINT nID);

// Looks the message up in the map and its base maps and calls the first
// entry found. FALSE when no entry takes it or the entry did not handle it.
BOOL AfxDispatchMessageMap(const AFX_MSGMAP* pMap, void* pTarget, UINT nMsg, UINT nCode, UINT nID, AFX_MSGARGS& args);

// The command form of the lookup used by OnCmdMsg: nCode holds the
// notification code in its low word and the message (0: WM_COMMAND) in its
// high word. With pHandlerInfo the handler is only found, not called.
BOOL AfxDispatchCmdMsg(const AFX_MSGMAP* pMap, void* pTarget, UINT nID, int nCode, void* pExtra,
                       AFX_CMDHANDLERINFO* pHandlerInfo);

// The map of a root class: no entries, no base.
const AFX_MSGMAP* AfxEmptyMessageMap();

template <class T>
T* AfxMapTarget(void* pTarget) {
    return static_cast<T*>(static_cast<typename T::AfxMapRoot*>(pTarget));
}

#define afx_msg

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

// ThisClass names the class inside the table, for the entry macros.
#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() { \
        using ThisClass = theClass; \
        using TheBaseClass = baseClass; \
        static_cast<void>(sizeof(ThisClass*)); \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, 0, nullptr, nullptr}}; \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap; \
    }

// One entry whose function runs the statements given with `self` (the
// object as ThisClass) and `a` (the AFX_MSGARGS).
#define TRELWIN_MSG_ENTRY(msg, code, id, lastId, registered, ...) \
    {static_cast<UINT>(msg), static_cast<UINT>(static_cast<WORD>(code)), static_cast<UINT>(id), \
     static_cast<UINT>(lastId), registered, [](void* pTarget, AFX_MSGARGS& a) -> BOOL { \
         ThisClass* self = AfxMapTarget<ThisClass>(pTarget); \
         static_cast<void>(self); \
         static_cast<void>(a); \
         __VA_ARGS__ \
     }},

#define TRELWIN_WM_ENTRY(msg, ...) TRELWIN_MSG_ENTRY(msg, 0, 0, 0, nullptr, __VA_ARGS__)

// Any message: LRESULT memberFxn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) \
    TRELWIN_WM_ENTRY(message, a.result = self->memberFxn(a.wParam, a.lParam); return TRUE;)

// A message whose number is kept in a variable (RegisterWindowMessage):
// LRESULT memberFxn(WPARAM, LPARAM).
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    TRELWIN_MSG_ENTRY(0, 0, 0, 0, &(nMessageVariable), \
                      a.result = self->memberFxn(a.wParam, a.lParam); return TRUE;)

// Commands from menus, accelerators and controls.
#define ON_COMMAND(id, memberFxn) TRELWIN_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, id, nullptr, self->memberFxn(); return TRUE;)
#define ON_COMMAND_EX(id, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, id, nullptr, return self->memberFxn(a.nID);)
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, idLast, nullptr, self->memberFxn(a.nID); return TRUE;)

// Control notifications sent with WM_COMMAND: void memberFxn().
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_COMMAND, wNotifyCode, id, id, nullptr, self->memberFxn(); return TRUE;)
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_COMMAND, wNotifyCode, id, idLast, nullptr, self->memberFxn(a.nID); return TRUE;)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)

// WM_NOTIFY: void memberFxn(NMHDR*, LRESULT*).
#define ON_NOTIFY(wNotifyCode, id, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_NOTIFY, wNotifyCode, id, id, nullptr, { \
        auto* n = static_cast<AFX_NOTIFY*>(a.pExtra); \
        self->memberFxn(n->pNMHDR, n->pResult); \
        return TRUE; \
    })
// void memberFxn(UINT id, NMHDR*, LRESULT*).
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_NOTIFY, wNotifyCode, id, idLast, nullptr, { \
        auto* n = static_cast<AFX_NOTIFY*>(a.pExtra); \
        self->memberFxn(a.nID, n->pNMHDR, n->pResult); \
        return TRUE; \
    })
// BOOL memberFxn(UINT id, NMHDR*, LRESULT*): FALSE passes it on.
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_NOTIFY, wNotifyCode, id, id, nullptr, { \
        auto* n = static_cast<AFX_NOTIFY*>(a.pExtra); \
        return self->memberFxn(a.nID, n->pNMHDR, n->pResult); \
    })

// A control's own notifications, reflected to it by its parent.
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, wNotifyCode, 0, 0, nullptr, { \
        auto* n = static_cast<AFX_NOTIFY*>(a.pExtra); \
        self->memberFxn(n->pNMHDR, n->pResult); \
        return TRUE; \
    })
// BOOL memberFxn(NMHDR*, LRESULT*): FALSE lets the parent handle it too.
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, wNotifyCode, 0, 0, nullptr, { \
        auto* n = static_cast<AFX_NOTIFY*>(a.pExtra); \
        return self->memberFxn(n->pNMHDR, n->pResult); \
    })
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, wNotifyCode, 0, 0, nullptr, self->memberFxn(); return TRUE;)
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn) \
    TRELWIN_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, wNotifyCode, 0, 0, nullptr, return self->memberFxn();)

#include "platform/afx/afx_msg_wm.h"
