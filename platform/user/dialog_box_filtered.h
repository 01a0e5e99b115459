// A modal dialog whose loop lets the caller see each message first: the
// framework offers messages to its window objects (PreTranslateMessage)
// before the dialog's keyboard interface, which DialogBoxIndirectParamA's
// own loop cannot do. Otherwise the same as DialogBoxIndirectParamA: the
// owner is disabled while the loop runs, EndDialog ends it, and the dialog
// is destroyed before the call returns.
#pragma once

#include <functional>

#include "platform/user/dialog_manager.h"

namespace trelwin::user {

// filter: true takes the message (it is then neither translated nor
// dispatched); without a filter IsDialogMessageA is used. Returns the
// value given to EndDialog, or -1 when the dialog could not be made.
INT_PTR DialogBoxIndirectFiltered(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                  DLGPROC lpDialogFunc, LPARAM dwInitParam,
                                  const std::function<bool(HWND hDlg, MSG& msg)>& filter);

}  // namespace trelwin::user
