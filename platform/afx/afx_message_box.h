// AfxMessageBox: a message box owned by the window the user is working in
// (the active window, else the main window), titled with the application's
// name. AfxMessageBox with a number shows that string table entry.
//
// CWaitCursor: the wait cursor for the object's lifetime; the cursor it
// replaced comes back when it goes.
#pragma once

#include "platform/base/win_types.h"
#include "platform/user/cursors.h"
#include "platform/user/message_box.h"

int AFXAPI AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// A missing entry is named on standard error and 0 is returned.
int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    // Shows the wait cursor again (after something else changed it).
    void Restore();

private:
    HCURSOR m_hOldCursor;
};
