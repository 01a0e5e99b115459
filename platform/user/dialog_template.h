// Dialog templates as C++ tables.
//
// A dialog is described by a DialogTemplate: the window's styles, its
// rectangle and its controls' rectangles in dialog units, the caption, the
// font, and a table of DialogItemTemplate entries. resources/ holds such
// tables and registers each under RT_DIALOG with its id, the data of the
// resource being the DialogTemplate object itself; so FindResource,
// LoadResource and LockResource give back a pointer to the table, which is
// what DialogBoxIndirectParamA and CreateDialogIndirectParamA take.
// Templates made at run time (the message box) are the same structure,
// built in memory.
//
// The tables are not copied: a registered template must stay valid for the
// rest of the process (static storage), a run-time one for the call.
#pragma once

#include <cstddef>

#include "platform/base/win_types.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"
#include "platform/user/user_types.h"

// The predefined control classes of binary templates, for a class pointer
// that is a small number instead of a name.
#define DLGITEM_BUTTON MAKEINTATOM(0x0080)
#define DLGITEM_EDIT MAKEINTATOM(0x0081)
#define DLGITEM_STATIC MAKEINTATOM(0x0082)
#define DLGITEM_LISTBOX MAKEINTATOM(0x0083)
#define DLGITEM_SCROLLBAR MAKEINTATOM(0x0084)
#define DLGITEM_COMBOBOX MAKEINTATOM(0x0085)

namespace trelwin::user {

struct DialogItemTemplate {
    LPCSTR className;  // "BUTTON", "EDIT", "msctls_updown32", ... or a DLGITEM_ value
    LPCSTR text;       // null: no text
    int id;
    DWORD style;  // WS_CHILD is always added
    DWORD exStyle;
    short x, y, cx, cy;  // dialog units, in the dialog's client area
};

struct DialogTemplate {
    DWORD style;  // WS_ and DS_ styles
    DWORD exStyle;
    short x, y, cx, cy;  // dialog units; cx and cy give the client area
    LPCSTR caption;      // null: no caption text
    LPCSTR fontName;     // with DS_SETFONT: the dialog font's face
    WORD pointSize;      // with DS_SETFONT: its size in points
    const DialogItemTemplate* items;
    size_t itemCount;
    LPCSTR className = nullptr;  // null: the dialog class "#32770"
    WORD fontWeight = 0;         // 0: FW_NORMAL
    BYTE fontItalic = 0;
};

// The class name an item's class pointer stands for (DLGITEM_ values
// become names, anything else is returned as it is).
LPCSTR DialogItemClassName(LPCSTR className);

// The template registered under RT_DIALOG with this name or id in the
// program's module; null with the last error set when there is none or the
// resource is not a DialogTemplate.
const DialogTemplate* FindDialogTemplate(HINSTANCE hInstance, LPCSTR name);

// Registers a template from a static initialiser:
//   static const DialogItemTemplate kItems[] = {...};
//   static const DialogTemplate kDialog = {..., kItems, std::size(kItems)};
//   static DialogTemplateRegistration reg(112, kDialog);
class DialogTemplateRegistration {
public:
    DialogTemplateRegistration(WORD id, const DialogTemplate& dialog) {
        RegisterResource(RT_DIALOG, MAKEINTRESOURCEA(id), &dialog, sizeof(DialogTemplate));
    }
};

}  // namespace trelwin::user

// The in-memory form that the *Indirect functions take.
typedef trelwin::user::DialogTemplate DLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEA;
typedef LPCDLGTEMPLATEA LPCDLGTEMPLATE;
