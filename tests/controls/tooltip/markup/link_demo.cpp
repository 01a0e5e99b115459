// A window holding a line of a tip with two links, drawn on a background
// effect and worked by CMarkupDrawer: the link under the mouse is drawn with
// the style sheet's "a:hover" rule and the others with "a:link", the hand
// cursor shows over them, a click opens the web link or sends the message
// link's text. For a driver outside the process on a real X server:
//
//   trelwin_link_demo
//
// prints "link N X Y" (the centre of link N in the window) once drawn, then
// "hover N" for each change of the link under the mouse (-2: none), "hand N"
// when the hand cursor was set over link N, "message TEXT" for a message
// link. Escape ends it with exit code 0; left alone it ends after 30 seconds
// with exit code 1.
#include <cstdio>
#include <cstring>
#include <vector>

#include "controls/tooltip/markup/markup_drawer.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace {

const char kTitle[] = "Trelwin tip links";
const UINT kRepaint = 0x465;
const UINT kLinkMessage = WM_APP + 2;

class CDemoDrawer : public CMarkupDrawer
{
public:
    std::vector<HotArea>& HotAreas() { return m_arrHotAreas; }
};

struct Piece {
    const char* text;
    int kind;
    const char* target;
};

const Piece kPieces[] = {
    {"Enc 1 answers at ", LINK_KIND_NONE, ""},
    {"10.213.1.1", LINK_KIND_URL, "http://10.213.1.1/status"},
    {" \x95 ", LINK_KIND_NONE, ""},
    {"note", LINK_KIND_MESSAGE, "note"},
};

CDemoDrawer* g_drawer = nullptr;
bool g_reported = false;
int g_exitCode = 1;

HFONT FontOf(const StyleRecord& style)
{
    LOGFONTA font{};
    font.lfHeight = style.fontHeight;
    font.lfWeight = style.fontWeight;
    font.lfItalic = static_cast<BYTE>(style.italic);
    font.lfUnderline = static_cast<BYTE>(style.underline);
    font.lfCharSet = DEFAULT_CHARSET;
    strncpy(font.lfFaceName, style.faceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&font);
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    CDrawEffects& effects = g_drawer->GetDrawManager();
    effects.FillEffect(dc, client, BACK_EFFECT_3VGRADIENT, RGB(255, 255, 235), RGB(235, 235, 255),
                       RGB(205, 210, 240), 0, 5);
    effects.DrawRectangle(dc, client, RGB(255, 255, 255), RGB(90, 90, 120), 1, 1);

    g_drawer->HotAreas().clear();
    SetBkMode(dc, TRANSPARENT);
    int x = 14, link = -1;
    for (const Piece& piece : kPieces) {
        StyleRecord style;
        g_drawer->ApplyCssDeclarations(g_drawer->GetCssStyle("body"), style);
        if (piece.kind != LINK_KIND_NONE) {
            ++link;
            g_drawer->ApplyCssDeclarations(
                g_drawer->GetCssStyle(link == g_drawer->GetHoveredLink() ? "a:hover" : "a:link"), style);
        }
        HFONT font = FontOf(style);
        HGDIOBJ old = SelectObject(dc, font);
        SetTextColor(dc, style.textColor);
        const int length = static_cast<int>(strlen(piece.text));
        SIZE size{};
        GetTextExtentPoint32A(dc, piece.text, length, &size);
        const int y = (client.bottom - size.cy) / 2;
        TextOutA(dc, x, y, piece.text, length);
        if (piece.kind != LINK_KIND_NONE) {
            g_drawer->HotAreas().push_back(HotArea{RECT{x, y, x + size.cx, y + size.cy}, piece.kind, link, piece.target});
            if (!g_reported) {
                // The centre relative to the window's top-left corner.
                POINT centre{x + size.cx / 2, y + size.cy / 2};
                ClientToScreen(hwnd, &centre);
                RECT window;
                GetWindowRect(hwnd, &window);
                std::printf("link %d %d %d\n", link, static_cast<int>(centre.x - window.left),
                            static_cast<int>(centre.y - window.top));
            }
        }
        x += size.cx;
        SelectObject(dc, old);
        DeleteObject(font);
    }
    g_reported = true;
    std::fflush(stdout);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK DemoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_SETCURSOR: {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd, &pt);
        if (g_drawer->OnSetCursor(pt)) {
            if (GetCursor() == g_drawer->GetHandCursor()) {
                std::printf("hand %d\n", g_drawer->GetHoveredLink());
                std::fflush(stdout);
            }
            return TRUE;
        }
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        g_drawer->OnLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            g_exitCode = 0;
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    if (msg == kRepaint) {
        std::printf("hover %d\n", static_cast<int>(static_cast<INT_PTR>(wParam)));
        std::fflush(stdout);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 1;
    }
    if (msg == kLinkMessage) {
        std::printf("message %s\n", reinterpret_cast<const char*>(wParam));
        std::fflush(stdout);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int main()
{
    if (!trelwin::display::use_host_display()) return 3;
    CDemoDrawer drawer;
    g_drawer = &drawer;
    WNDCLASSA wc{};
    wc.lpfnWndProc = DemoProc;
    wc.lpszClassName = "TrelwinLinkDemo";
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, kTitle, WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 120, 120,
                                360, 90, nullptr, nullptr, nullptr, nullptr);
    if (hwnd == nullptr) return 4;
    drawer.SetRepaintTarget(hwnd, kRepaint, 0);
    drawer.SetLinkMessageTarget(hwnd, kLinkMessage, 0);
    const UINT_PTR guard = SetTimer(nullptr, 0, 30000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); });
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(nullptr, guard);
    return g_exitCode;
}
