// The application object and the start-up: InitInstance, the message loop
// with its idle work and message filter, the end by WM_QUIT or by the main
// window going, and the application's own commands.
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/afx/afx_wnd_test_util.h"

using afx_test::AfxWindowTest;

namespace {

class CMainWnd : public CWnd {
public:
    std::vector<std::string> calls;
    UINT filtered = 0;

    BOOL PreTranslateMessage(MSG* pMsg) override { return pMsg->message == filtered; }

protected:
    afx_msg void OnTimer(UINT_PTR) {
        calls.push_back("finish");
        DestroyWindow();
    }
    afx_msg LRESULT OnFiltered(WPARAM, LPARAM) {
        calls.push_back("filtered message dispatched");
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMainWnd, CWnd)
    ON_WM_TIMER()
    ON_MESSAGE(WM_USER + 11, OnFiltered)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp("AfxTestApp") {}

    std::vector<std::string> calls;
    BOOL initAnswer = FALSE;
    int exitAnswer = 0;
    bool runMainWindow = false;
    int quitCode = -1;  // >= 0: InitInstance posts WM_QUIT with it
    CMainWnd mainWnd;
    LONG longestIdle = -1;

    BOOL InitInstance() override {
        calls.push_back("InitInstance");
        if (runMainWindow) {
            if (!mainWnd.CreateEx(0, nullptr, "main", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr)) return FALSE;
            m_pMainWnd = &mainWnd;
            mainWnd.filtered = WM_USER + 11;
            mainWnd.PostMessage(WM_USER + 11);
            mainWnd.SetTimer(1, 20);
        }
        if (quitCode >= 0) ::PostQuitMessage(quitCode);
        return initAnswer;
    }
    int Run() override {
        calls.push_back("Run");
        return CWinApp::Run();
    }
    BOOL OnIdle(LONG lCount) override {
        longestIdle = std::max(longestIdle, lCount);
        return CWinApp::OnIdle(lCount);
    }
    int ExitInstance() override {
        calls.push_back("ExitInstance");
        const int code = CWinApp::ExitInstance();
        return exitAnswer != 0 ? exitAnswer : code;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

class AfxStartUp : public AfxWindowTest {
protected:
    void SetUp() override {
        AfxWindowTest::SetUp();
        ::setenv("TRELWIN_DISPLAY", "headless", 1);
    }
    int Start(std::vector<std::string> args = {"program"}) {
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        return AfxWinMain(static_cast<int>(argv.size()), argv.data());
    }
};

TEST_F(AfxStartUp, InitInstanceReturningFalseEndsWithoutAMessageLoop) {
    CTestApp app;
    app.exitAnswer = 3;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(Start(), 3);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"InitInstance", "ExitInstance"}));
    EXPECT_EQ(app.longestIdle, -1);
}

TEST_F(AfxStartUp, WithoutADisplayTheProgramEndsAtOnceWithAFailure) {
    struct Saved {
        const char* name;
        std::string value;
        bool set;
    };
    std::vector<Saved> saved;
    for (const char* name : {"TRELWIN_DISPLAY", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(name);
        saved.push_back({name, v ? v : "", v != nullptr});
        ::unsetenv(name);
    }
    CTestApp app;
    app.initAnswer = TRUE;
    EXPECT_EQ(Start(), 1);
    EXPECT_TRUE(app.calls.empty());
    for (const Saved& s : saved) {
        if (s.set) ::setenv(s.name, s.value.c_str(), 1);
    }
    ::setenv("TRELWIN_DISPLAY", "headless", 1);
}

TEST_F(AfxStartUp, TheMessageLoopRunsUntilWmQuitAndReturnsItsCode) {
    CTestApp app;
    app.initAnswer = TRUE;
    app.quitCode = 7;
    EXPECT_EQ(Start(), 7);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"InitInstance", "Run", "ExitInstance"}));
}

TEST_F(AfxStartUp, TheLoopFiltersIdlesAndEndsWhenTheMainWindowGoes) {
    CTestApp app;
    app.initAnswer = TRUE;
    app.runMainWindow = true;
    EXPECT_EQ(Start(), 0);
    // The window's own filter took the posted message; the timer, due after
    // an idle phase, destroyed the window, which ended the loop.
    EXPECT_EQ(app.mainWnd.calls, std::vector<std::string>{"finish"});
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(app.calls.back(), "ExitInstance");
    EXPECT_GE(app.longestIdle, 1);  // the idle phase reached the freeing of temporaries
}

TEST_F(AfxStartUp, SetUpNamesTheApplicationAndKeepsTheCommandLine) {
    CTestApp app;
    Start({"program", "one", "two"});
    EXPECT_STREQ(app.m_pszAppName, "AfxTestApp");
    EXPECT_STREQ(app.m_lpCmdLine, "one two");
    EXPECT_NE(app.m_pszExeName, nullptr);
    EXPECT_NE(std::string(app.m_pszExeName).find("win_app_test"), std::string::npos);
    EXPECT_EQ(app.m_nThreadID, GetCurrentThreadId());
    EXPECT_NE(AfxGetInstanceHandle(), nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());

    app.SetRegistryKey("Company");
    EXPECT_STREQ(app.m_pszRegistryKey, "Company");
    EXPECT_STREQ(app.m_pszProfileName, "AfxTestApp");
}

TEST_F(AfxStartUp, TheApplicationTakesItsMappedCommandsOnly) {
    CTestApp app;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, CN_COMMAND, nullptr, nullptr));
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1, CN_COMMAND, nullptr, nullptr));
    AFX_CMDHANDLERINFO info{nullptr};
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(info.pTarget, static_cast<void*>(static_cast<CWinApp*>(&app)));
}

TEST_F(AfxStartUp, TheMainWindowIsForgottenWhenItsObjectGoes) {
    CTestApp app;
    {
        CWnd wnd;
        app.m_pMainWnd = &wnd;
        EXPECT_EQ(AfxGetMainWnd(), &wnd);
    }
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

TEST_F(AfxStartUp, ObjectsOfOtherThreadsLeaveTheMainWindowAlone) {
    CTestApp app;
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    HWND plain = afx_test::MakePlain();
    std::thread worker([plain] {
        // Its temporary object goes when the thread ends.
        for (int i = 0; i < 50; ++i) {
            CWnd::FromHandle(plain);
            trelwin::afx::FreeTemporaryObjects();
        }
    });
    for (int i = 0; i < 50; ++i) app.m_pMainWnd = i % 2 ? &main : nullptr;
    worker.join();
    app.m_pMainWnd = &main;
    EXPECT_EQ(AfxGetMainWnd(), &main);
}

TEST(AfxStartUpWithoutApp, NoApplicationObjectIsAClearFailure) {
    ASSERT_EQ(AfxGetApp(), nullptr);
    char name[] = "program";
    char* argv[] = {name};
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxWinMain(1, argv), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no application object"), std::string::npos);
}

}  // namespace
