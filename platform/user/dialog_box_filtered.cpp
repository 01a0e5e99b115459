// The modal dialog with the caller's message filter.
#include "platform/user/dialog_box_filtered.h"

#include <utility>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/user/dialog_internal.h"
#include "platform/user/geometry.h"
#include "platform/user/modal_loop.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

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
    if (lpTemplate && (lpTemplate->style & WS_CHILD)) {
        SetLastError(ERROR_INVALID_PARAMETER);  // a modal dialog is a window of its own
        return -1;
    }
    // Made hidden, so that it shows only once it is modal.
    DLGTEMPLATE hidden{};
    if (lpTemplate) {
        hidden = *lpTemplate;
        hidden.style &= ~WS_VISIBLE;
    }
    HWND hDlg = CreateDialogIndirectParamA(hInstance, lpTemplate ? &hidden : nullptr, hWndParent, lpDialogFunc,
                                           dwInitParam);
    if (!hDlg) return -1;
    dialog::DialogState state;
    INT_PTR result = -1;
    if (dialog::GetState(hDlg, &state) && state.ended) {
        result = state.result;  // ended while it was being made
    } else {
        // From here EndDialog ends the loop instead of only hiding the dialog.
        dialog::UpdateState(hDlg, [](dialog::DialogState& s) { s.modal = true; });
        const HWND owner = GetWindow(hDlg, GW_OWNER);
        ShowWindow(hDlg, SW_SHOWNORMAL);
        result = RunModalLoop(hDlg, owner, [hDlg, &filter](MSG& msg) {
            if (filter) return filter(hDlg, msg);
            const DialogMessageFilter* scoped = t_scopedFilter;
            if (scoped != nullptr && *scoped && (*scoped)(hDlg, msg)) return true;
            return IsDialogMessageA(hDlg, &msg) != FALSE;
        });
        if (dialog::GetState(hDlg, &state) && state.ended) result = state.result;
    }
    if (IsWindow(hDlg)) DestroyWindow(hDlg);
    return result;
}

}  // namespace trelwin::user
