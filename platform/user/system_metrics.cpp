#include "platform/user/system_metrics.h"

#include <atomic>

#include "platform/display/display.h"
#include "platform/gdi/internal/dc_state.h"
#include "platform/gdi/rect.h"
#include "platform/user/window_tree.h"

namespace {

std::atomic<UINT> g_doubleClickTime{500};
constexpr UINT kHoverTime = 400;
constexpr UINT kHoverSize = 4;

SIZE ScreenSize() {
    UserGuard guard(UserLock());
    return trelwin::display::current().screen_size();
}

}  // namespace

namespace trelwin::user {

int ScreenDpi() { return gdi::screen_dpi(); }

int ScaleToScreen(int pixels) { return MulDiv(pixels, ScreenDpi(), 96); }

}  // namespace trelwin::user

namespace {

// The metrics that are lengths, at 96 dpi.
int LengthAt96(int nIndex) {
    switch (nIndex) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYCAPTION:
    case SM_CYMENU:
        return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CXSMSIZE:
    case SM_CYSMSIZE:
        return 12;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
        return 75;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CXMIN:
    case SM_CXMINTRACK:
        return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK:
        return 27;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    default: return 0;
    }
}

}  // namespace

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CXMAXIMIZED:
    case SM_CXMAXTRACK:
        return ScreenSize().cx;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
    case SM_CYMAXIMIZED:
    case SM_CYMAXTRACK:
        return ScreenSize().cy;
    case SM_CYFULLSCREEN: return ScreenSize().cy - GetSystemMetrics(SM_CYCAPTION);
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
    case SM_SWAPBUTTON:
        return 0;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER:
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
    case SM_CMONITORS:
        return 1;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    default: return trelwin::user::ScaleToScreen(LengthAt96(nIndex));
    }
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT, PVOID pvParam, UINT) {
    if (!pvParam) return FALSE;
    switch (uiAction) {
    case SPI_GETWORKAREA: {
        const SIZE size = ScreenSize();
        *static_cast<RECT*>(pvParam) = RECT{0, 0, size.cx, size.cy};
        return TRUE;
    }
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
        *static_cast<UINT*>(pvParam) = kHoverSize;
        return TRUE;
    case SPI_GETMOUSEHOVERTIME:
        *static_cast<UINT*>(pvParam) = kHoverTime;
        return TRUE;
    case SPI_GETWHEELSCROLLLINES:
        *static_cast<UINT*>(pvParam) = 3;
        return TRUE;
    default:
        return FALSE;
    }
}

UINT WINAPI GetDoubleClickTime() { return g_doubleClickTime.load(); }

BOOL WINAPI SetDoubleClickTime(UINT uInterval) {
    g_doubleClickTime = uInterval == 0 ? 500 : uInterval;
    return TRUE;
}
