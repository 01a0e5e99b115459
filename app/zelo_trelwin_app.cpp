#include "app/zelo_trelwin_app.h"

#include "app/zelo_property_sheet.h"
#include "common/base/registry_helpers.h"
#include "platform/commctrl/commctrl.h"

namespace
{

// The program's named messages. Only the first has a receiver (the drawing
// map window) and a sender (drawing objects); the others are registered so
// that their numbers are taken from the start, as every part of the program
// that uses one registers it again by name and gets the same number.
const UINT s_registeredMessages[] = {
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_INVALIDATE_RECT"),
    ::RegisterWindowMessageA("MSG_BRISELLISTCTRL_KEYDOWN"),
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_BUTTON_CLICK"),
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_BUTTON_DOWN"),
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_BUTTON_MOUSE_UP"),
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_BUTTON_MOUSE_OVER"),
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_BUTTON_MOUSE_LEAVE"),
    ::RegisterWindowMessageA("MSG_SLIDER_POSITION_CHANGE"),
    ::RegisterWindowMessageA("MSG_SLIDER_START_SCROLLING"),
    ::RegisterWindowMessageA("MSG_SLIDER_END_SCROLLING"),
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_HISTOGRAM_PROCESS_SCALE_CONTROL"),
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_HISTOGRAM_UPDATE_VERTICAL_SCALE"),
    ::RegisterWindowMessageA("MSG_DRAWING_OBJECT_HISTOGRAM_SHOW_CONTEXT_MENU"),
};

// String-table entry of the message shown when sockets cannot start.
const UINT IDP_SOCKETS_INIT_FAILED = 103;

}  // namespace

CZeloTrelwinApp theApp;

BEGIN_MESSAGE_MAP(CZeloTrelwinApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CZeloTrelwinApp::CZeloTrelwinApp() : CWinApp(nullptr)
{
    static_cast<void>(s_registeredMessages);
}

BOOL CZeloTrelwinApp::InitInstance()
{
    ::InitCommonControls();
    CWinApp::InitInstance();
    if (!AfxSocketInit())
    {
        AfxMessageBox(IDP_SOCKETS_INIT_FAILED);
        return FALSE;
    }
    AfxEnableControlContainer();
    SetRegistryKey("Aplicaciones generadas con el Asistente para aplicaciones local");
    // Settings an older installation left under the machine-wide key follow
    // the user; a failed move leaves them where they were.
    MoveRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Software\\Brisel\\", "BriselTrelwin");

    CZeloPropertySheet sheet("", nullptr, 0);
    m_pMainWnd = &sheet;
    sheet.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
