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

using DialogMessageFilter = std::function<bool(HWND hDlg, MSG& msg)>;

// filter: true takes the message (it is then neither translated nor
// dispatched). Without a filter, the thread's scoped filter (below) sees
// the message first and IsDialogMessageA after it. Returns the value given
// to EndDialog, or -1 when the dialog could not be made.
INT_PTR DialogBoxIndirectFiltered(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                  DLGPROC lpDialogFunc, LPARAM dwInitParam, const DialogMessageFilter& filter);

// A filter for the dialog loops that their maker runs without one of its
// own (a wizard sheet run by PropertySheetA), for as long as the object
// lives on the calling thread; an inner scope replaces an outer one.
class ScopedDialogFilter {
public:
    explicit ScopedDialogFilter(DialogMessageFilter filter);
    ~ScopedDialogFilter();
    ScopedDialogFilter(const ScopedDialogFilter&) = delete;
    ScopedDialogFilter& operator=(const ScopedDialogFilter&) = delete;

private:
    DialogMessageFilter m_filter;
    const DialogMessageFilter* m_outer;
};

}  // namespace trelwin::user
