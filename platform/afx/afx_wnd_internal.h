// Shared by the CWnd sources: the handle map of windows and the per-thread
// state of message handling.
#pragma once

#include "platform/afx/afx_handle_map.h"
#include "platform/afx/afx_wnd.h"

namespace trelwin::afx {

inline void ForgetWnd(CWnd* pWnd) { pWnd->m_hWnd = nullptr; }

using WndMap = HandleMap<CWnd, &ForgetWnd>;

struct WndThreadState {
    // The object that Create ties to the next window of a framework class
    // that this thread creates.
    CWnd* pWndInit = nullptr;
    // The message being handled (Default, reflection).
    MSG lastSentMsg{};
};

WndThreadState& GetWndThreadState();

}  // namespace trelwin::afx
