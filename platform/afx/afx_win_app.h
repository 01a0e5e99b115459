// CWinApp: the program's one application object and its start-up.
//
// The program defines one global object of a class derived from CWinApp;
// its constructor makes it the application (AfxGetApp). The framework's
// main (afx_main.cpp, linked into the program) sets the application up
// (AfxWinInit), chooses the display, and calls InitApplication and
// InitInstance; when InitInstance returns TRUE the application runs its
// message loop (Run) until WM_QUIT, else ExitInstance is called at once.
// The result of ExitInstance is the process's exit code.
#pragma once

#include <string>

#include "platform/afx/afx_wnd.h"
#include "platform/threading/afx_thread.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)

public:
    // The class the map entries cast the object from (see AfxMapTarget).
    using AfxMapRoot = CWinApp;

    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // Without a name given to the constructor: the program's file name
    // without its folder and extension.
    LPCSTR m_pszAppName = nullptr;
    LPCSTR m_pszExeName = nullptr;
    // Set by SetRegistryKey: the company key under HKEY_CURRENT_USER\Software
    // and the application's key under it.
    LPCSTR m_pszRegistryKey = nullptr;
    LPCSTR m_pszProfileName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;
    MSG m_msgCur{};

    virtual BOOL InitApplication();
    virtual BOOL InitInstance();
    // The message loop: idle processing whenever the queue is empty, until
    // WM_QUIT; returns ExitInstance's result.
    virtual int Run();
    // Gets and dispatches one message; FALSE for WM_QUIT.
    virtual BOOL PumpMessage();
    // Offers the message to the objects of its window and its parents up to
    // the main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Idle work; TRUE asks for more idle calls. The second call of an idle
    // phase frees the temporary framework objects of the thread.
    virtual BOOL OnIdle(LONG lCount);
    // Whether the message ends an idle phase (repeated mouse moves and
    // paints do not).
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // Returns the exit code (the WM_QUIT code when the loop ran).
    virtual int ExitInstance();
    virtual CWnd* GetMainWnd() { return m_pMainWnd; }

    // Names the key of the application's settings:
    // HKEY_CURRENT_USER\Software\<key>\<application name>.
    void SetRegistryKey(LPCSTR lpszRegistryKey);

    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The help command; there is no help file, so it does nothing.
    afx_msg void OnHelp();

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

private:
    friend BOOL AFXAPI AfxWinInit(int argc, char** argv);

    std::string m_appName;
    std::string m_exeName;
    std::string m_registryKey;
    std::string m_commandLine;
    UINT m_lastMouseMessage = 0;
    POINT m_lastMousePoint{};
};

CWinApp* AFXAPI AfxGetApp();
// The application's name (m_pszAppName); "" when there is no application.
LPCSTR AFXAPI AfxGetAppName();
HINSTANCE AFXAPI AfxGetInstanceHandle();
HINSTANCE AFXAPI AfxGetResourceHandle();
CWnd* AFXAPI AfxGetMainWnd();

// Fills in the application's instance, names and command line from the
// program's arguments.
BOOL AFXAPI AfxWinInit(int argc, char** argv);
// The framework's start-up and run of the application object; the program's
// main returns its result. 1 without InitInstance when there is no display
// to show the windows on (see trelwin::display::choose_for_program).
int AFXAPI AfxWinMain(int argc, char** argv);
// Windows here host no controls of other components, so there is nothing
// to enable; the call is kept for the start-up that makes it.
inline void AFXAPI AfxEnableControlContainer() {}

// The message filter of modal loops: the application's PreTranslateMessage,
// or the walk up the message's windows when there is no application.
BOOL AFXAPI AfxPreTranslateMessage(MSG* pMsg);
