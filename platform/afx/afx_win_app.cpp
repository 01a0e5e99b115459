#include "platform/afx/afx_win_app.h"

#include <atomic>
#include <cstdio>

#include "platform/afx/afx_handle_map.h"
#include "platform/base/module_handle.h"
#include "platform/base/process.h"
#include "platform/display/display.h"

namespace {

std::atomic<CWinApp*> g_app{nullptr};

}  // namespace

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinApp::CWinApp(LPCSTR lpszAppName) {
    if (lpszAppName != nullptr) {
        m_appName = lpszAppName;
        m_pszAppName = m_appName.c_str();
    }
    // The application is the main thread's object and is never deleted by
    // the thread machinery.
    m_bAutoDelete = FALSE;
    m_nThreadID = ::GetCurrentThreadId();
    g_app = this;
}

CWinApp::~CWinApp() {
    CWinApp* self = this;
    g_app.compare_exchange_strong(self, nullptr);
}

const AFX_MSGMAP* CWinApp::GetThisMessageMap() { return AfxEmptyMessageMap(); }

const AFX_MSGMAP* CWinApp::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CWinApp::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    return AfxDispatchCmdMsg(GetMessageMap(), static_cast<AfxMapRoot*>(this), nID, nCode, pExtra, pHandlerInfo);
}

void CWinApp::OnHelp() {}

BOOL CWinApp::InitApplication() { return TRUE; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

void CWinApp::SetRegistryKey(LPCSTR lpszRegistryKey) {
    m_registryKey = lpszRegistryKey != nullptr ? lpszRegistryKey : "";
    m_pszRegistryKey = m_registryKey.c_str();
    m_pszProfileName = m_pszAppName;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    return CWnd::WalkPreTranslateTree(m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr, pMsg);
}

BOOL CWinApp::PumpMessage() {
    if (::GetMessage(&m_msgCur, nullptr, 0, 0) <= 0) return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessage(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinApp::OnIdle(LONG lCount) {
    if (lCount < 1) return TRUE;
    trelwin::afx::FreeTemporaryObjects();
    return FALSE;
}

BOOL CWinApp::IsIdleMessage(MSG* pMsg) {
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        const bool same = m_lastMouseMessage == pMsg->message && m_lastMousePoint.x == pMsg->pt.x &&
                          m_lastMousePoint.y == pMsg->pt.y;
        m_lastMouseMessage = pMsg->message;
        m_lastMousePoint = pMsg->pt;
        return same ? FALSE : TRUE;
    }
    return pMsg->message != WM_PAINT;
}

int CWinApp::Run() {
    bool idle = true;
    LONG idleCount = 0;
    MSG peeked;
    for (;;) {
        while (idle && !::PeekMessage(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessage(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    }
}

CWinApp* AFXAPI AfxGetApp() { return g_app.load(); }

LPCSTR AFXAPI AfxGetAppName() {
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pszAppName != nullptr ? app->m_pszAppName : "";
}

HINSTANCE AFXAPI AfxGetInstanceHandle() {
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_hInstance != nullptr ? app->m_hInstance : ::GetModuleHandle(nullptr);
}

// Resources are the program's own; there is no separate resource module.
HINSTANCE AFXAPI AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

CWnd* AFXAPI AfxGetMainWnd() {
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->GetMainWnd() : nullptr;
}

BOOL AFXAPI AfxWinInit(int argc, char** argv) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return FALSE;
    app->m_hInstance = ::GetModuleHandle(nullptr);
    app->m_nThreadID = ::GetCurrentThreadId();

    char path[4096] = {};
    std::string exe = ::GetModuleFileName(nullptr, path, sizeof path) > 0 ? path : (argc > 0 ? argv[0] : "");
    exe = exe.substr(exe.find_last_of('/') + 1);
    if (const size_t dot = exe.find_last_of('.'); dot != std::string::npos && dot > 0) exe.resize(dot);
    app->m_exeName = exe;
    app->m_pszExeName = app->m_exeName.c_str();
    if (app->m_pszAppName == nullptr) {
        app->m_appName = exe;
        app->m_pszAppName = app->m_appName.c_str();
    }

    app->m_commandLine.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1) app->m_commandLine += ' ';
        app->m_commandLine += argv[i];
    }
    app->m_lpCmdLine = app->m_commandLine.data();
    app->m_nCmdShow = SW_SHOWNORMAL;
    return TRUE;
}

int AFXAPI AfxWinMain(int argc, char** argv) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        std::fputs("The program has no application object.\n", stderr);
        return -1;
    }
    if (!AfxWinInit(argc, argv)) return -1;
    // Without a display the user could not see or end the program.
    if (!trelwin::display::choose_for_program()) return 1;
    if (!app->InitApplication()) return -1;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd != nullptr) app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

BOOL AFXAPI AfxPreTranslateMessage(MSG* pMsg) {
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_nThreadID == ::GetCurrentThreadId()) return app->PreTranslateMessage(pMsg);
    return CWnd::WalkPreTranslateTree(nullptr, pMsg);
}
