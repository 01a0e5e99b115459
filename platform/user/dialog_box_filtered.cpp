// The modal dialog with the caller's message filter.
#include "platform/user/dialog_box_filtered.h"

#include <utility>

#include "platform/user/dialog_internal.h"

namespace trelwin::user {

namespace {

thread_local const DialogMessageFilter* t_scopedFilter = nullptr;

}  // namespace

ScopedDialogFilter::ScopedDialogFilter(DialogMessageFilter filter)
    : m_filter(std::move(filter)), m_outer(t_scopedFilter) {
    t_scopedFilter = &m_filter;
}

ScopedDialogFilter::~ScopedDialogFilter() { t_scopedFilter = m_outer; }

INT_PTR DialogBoxIndirectFiltered(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                  DLGPROC lpDialogFunc, LPARAM dwInitParam, const DialogMessageFilter& filter) {
    return dialog::RunModalDialogFromTemplate(
        hInstance, lpTemplate, hWndParent, lpDialogFunc, dwInitParam, [&filter](HWND hDlg, MSG& msg) {
            if (filter) return filter(hDlg, msg);
            const DialogMessageFilter* scoped = t_scopedFilter;
            if (scoped != nullptr && *scoped && (*scoped)(hDlg, msg)) return true;
            return IsDialogMessageA(hDlg, &msg) != FALSE;
        });
}

}  // namespace trelwin::user
