// Helpers of the dialog tests: plain stand-ins for the button and edit
// controls (registered as "BUTTON" and "EDIT" when no real ones are linked
// in), which answer WM_GETDLGCODE as those controls do and record what they
// receive, and a dialog procedure whose behaviour a test sets.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "tests/platform/user/window_test_util.h"

namespace dialog_test {

constexpr UINT kBmGetCheck = 0x00F0;
constexpr UINT kBmSetCheck = 0x00F1;
constexpr UINT kBmSetStyle = 0x00F4;
constexpr UINT kBmClick = 0x00F5;
constexpr UINT kEmSetSel = 0x00B1;
constexpr DWORD kBsPushButton = 0x0;
constexpr DWORD kBsDefPushButton = 0x1;
constexpr DWORD kBsCheckBox = 0x2;
constexpr DWORD kBsAutoRadioButton = 0x9;
constexpr COLORREF kButtonFace = RGB(192, 192, 192);

// What the stand-in controls received, by window.
struct ControlLog {
    std::vector<UINT> messages;
    WPARAM lastKey = 0;
    HFONT font = nullptr;
    int check = 0;
};

inline std::map<HWND, ControlLog>& Logs() {
    static std::map<HWND, ControlLog> logs;
    return logs;
}

inline void Notify(HWND button) {
    SendMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), 0), reinterpret_cast<LPARAM>(button));
}

inline LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ControlLog& log = Logs()[hwnd];
    log.messages.push_back(msg);
    const DWORD type = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & 0xF;
    switch (msg) {
    case WM_GETDLGCODE:
        if (type == kBsDefPushButton) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (type == kBsPushButton) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (type == kBsAutoRadioButton) return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON;
    case WM_SETFONT: log.font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(log.font);
    case kBmSetStyle:
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((GetWindowLongA(hwnd, GWL_STYLE) & ~0xFL) | (wParam & 0xF)));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case kBmSetCheck: log.check = static_cast<int>(wParam); return 0;
    case kBmGetCheck: return log.check;
    case kBmClick:
        if (type == kBsAutoRadioButton) {
            for (HWND s = GetWindow(GetParent(hwnd), GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
                if ((GetWindowLongA(s, GWL_STYLE) & 0xF) == static_cast<LONG>(kBsAutoRadioButton)) Logs()[s].check = 0;
            }
            Logs()[hwnd].check = 1;
        }
        Notify(hwnd);
        return 0;
    case WM_LBUTTONDOWN: SetFocus(hwnd); return 0;
    case WM_LBUTTONUP: SendMessageA(hwnd, kBmClick, 0, 0); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH face = CreateSolidBrush(kButtonFace);
        FillRect(hdc, &r, face);
        DeleteObject(face);
        FrameRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (log.font) SelectObject(hdc, log.font);
        SetBkMode(hdc, TRANSPARENT);
        char text[64];
        GetWindowTextA(hwnd, text, sizeof(text));
        DrawTextA(hdc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

inline LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ControlLog& log = Logs()[hwnd];
    log.messages.push_back(msg);
    switch (msg) {
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETFONT: log.font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_KEYDOWN: log.lastKey = wParam; return 0;
    case WM_LBUTTONDOWN: SetFocus(hwnd); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// A control that takes every key (as a multi-line editor would).
inline LRESULT CALLBACK AllKeysProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ControlLog& log = Logs()[hwnd];
    log.messages.push_back(msg);
    if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    if (msg == WM_KEYDOWN) log.lastKey = wParam;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

inline void RegisterStandIns() {
    static bool done = [] {
        for (auto [name, proc] : {std::pair<const char*, WNDPROC>{"BUTTON", ButtonProc}, {"EDIT", EditProc},
                                  {"DlgTestAllKeys", AllKeysProc}}) {
            WNDCLASSA existing{};
            if (GetClassInfoA(nullptr, name, &existing)) continue;
            WNDCLASSA wc{};
            wc.lpfnWndProc = proc;
            wc.lpszClassName = name;
            wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            RegisterClassA(&wc);
        }
        return true;
    }();
    (void)done;
}

// The dialog procedure of the tests: the handler decides, the received
// messages are kept.
struct DialogProbe {
    std::vector<UINT> messages;
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    WPARAM initWParam = 0;
    LPARAM initLParam = 0;
    std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> handler;
};

inline DialogProbe*& CurrentProbe() {
    static DialogProbe* probe = nullptr;
    return probe;
}

inline INT_PTR CALLBACK ProbeDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    DialogProbe* probe = CurrentProbe();
    if (!probe) return FALSE;
    probe->messages.push_back(msg);
    if (msg == WM_INITDIALOG) {
        probe->initWParam = wParam;
        probe->initLParam = lParam;
        SetTimer(hDlg, 0x5AFE, 10000, nullptr);  // bounds every modal test
    }
    if (msg == WM_TIMER && wParam == 0x5AFE) {
        EndDialog(hDlg, -99);
        return TRUE;
    }
    if (msg == WM_COMMAND) probe->commands.emplace_back(wParam, lParam);
    return probe->handler ? probe->handler(hDlg, msg, wParam, lParam) : (msg == WM_INITDIALOG ? TRUE : FALSE);
}

class DialogTest : public user_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        RegisterStandIns();
        Logs().clear();
        CurrentProbe() = &m_probe;
    }
    void TearDown() override {
        WindowTest::TearDown();
        CurrentProbe() = nullptr;
        Logs().clear();
    }
    // Runs the messages of a modeless dialog through IsDialogMessage.
    void PumpDialog(HWND hDlg, int limit = 1000) {
        MSG msg;
        for (int n = 0; n < limit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
            if (!IsDialogMessageA(hDlg, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    void Key(HWND hDlg, UINT vk) {
        trelwin::user::InjectKey(vk, true);
        trelwin::user::InjectKey(vk, false);
        PumpDialog(hDlg);
    }
    std::vector<int> CommandIds() const {
        std::vector<int> ids;
        for (auto& c : m_probe.commands) ids.push_back(LOWORD(c.first));
        return ids;
    }

    DialogProbe m_probe;
};

}  // namespace dialog_test
