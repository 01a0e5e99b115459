#include "platform/user/cursors.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/user/images.h"
#include "platform/user/painting.h"
#include "platform/user/system_metrics.h"
#include "platform/user/window_tree.h"

namespace {

// Shapes as rows: 'X' black, '.' white, anything else shows the screen.
struct CShape {
    WORD id;
    POINT hotspot;
    std::vector<const char*> rows;
};

const std::vector<CShape>& Shapes() {
    static const std::vector<CShape> shapes = {
        {32512, {0, 0}, {"X", "XX", "X.X", "X..X", "X...X", "X....X", "X.....X", "X......X", "X.......X", "X........X",
                         "X.....XXXXX", "X..X..X", "X.X X..X", "XX  X..X", "X    X..X", "     X..X", "      X..X",
                         "      X..X", "       XX"}},
        {32513, {4, 8}, {"XXX XXX", "   X", "   X", "   X", "   X", "   X", "   X", "   X", "   X", "   X", "   X",
                         "   X", "   X", "   X", "   X", "XXX XXX"}},
        {32514, {7, 10}, {"XXXXXXXXXXXXXXX", "X.............X", " X...........X", "  X.........X", "   X.......X",
                          "    X.....X", "     X...X", "      X.X", "     X...X", "    X.....X", "   X.......X",
                          "  X.........X", " X...........X", "X.............X", "XXXXXXXXXXXXXXX"}},
        {32515, {7, 7}, {"       X", "       X", "       X", "       X", "       X", "       X", "       X",
                         "XXXXXXXXXXXXXXX", "       X", "       X", "       X", "       X", "       X", "       X",
                         "       X"}},
        {32516, {4, 0}, {"    X", "   XXX", "  XXXXX", " XXXXXXX", "XXXXXXXXX", "   XXX", "   XXX", "   XXX", "   XXX",
                         "   XXX", "   XXX"}},
        {32642, {5, 5}, {"XXXXXX", "X...X", "X..X", "X.X.X", "XX X.X", "    X.X", "     X.X XX", "      X.X.X",
                         "       X..X", "      X...X", "     XXXXXX"}},
        {32643, {5, 5}, {"     XXXXXX", "      X...X", "       X..X", "      X.X.X", "     X.X XX", "    X.X", "XX X.X",
                         "X.X.X", "X..X", "X...X", "XXXXXX"}},
        {32644, {10, 4}, {"   X       X", "  XX       XX", " X.XXXXXXXXX.X", "X.............X", " X.XXXXXXXXX.X",
                          "  XX       XX", "   X       X"}},
        {32645, {4, 10}, {"   X", "  X.X", " X...X", "XXX.XXX", "  X.X", "  X.X", "  X.X", "  X.X", "  X.X", "  X.X",
                          "  X.X", "  X.X", "  X.X", "XXX.XXX", " X...X", "  X.X", "   X"}},
        {32646, {7, 7}, {"       X", "      X.X", "     X...X", "       X", "   X   X   X", "  XX   X   XX",
                         " X.XXXXXXXXX.X", "X.............X", " X.XXXXXXXXX.X", "  XX   X   XX", "   X   X   X",
                         "       X", "     X...X", "      X.X", "       X"}},
        {32648, {7, 7}, {"    XXXXXXX", "  XX.......XX", " X...XXXXX...X", " X..XX    X..X", "X..X X    X...X",
                         "X..X  X    X..X", "X..X   X   X..X", "X..X    X  X..X", "X..X     X X..X", " X..X     XX..X",
                         " X...XXXXX...X", "  XX.......XX", "    XXXXXXX"}},
        {32649, {5, 0}, {"     XX", "    X..X", "    X..X", "    X..X", "    X..XXX", "    X..X..XXX", " XX X..X..X..XX",
                         "X..XX........X", "X...X........X", " X...........X", "  X..........X", "  X.........X",
                         "   X........X", "   X.......X", "    X......X", "    XXXXXXXX"}},
    };
    return shapes;
}

// The shapes are drawn for 96 dpi; on a finer screen each of their pixels
// becomes a square of whole pixels, which keeps their edges sharp.
HCURSOR MakeCursor(const CShape& shape, int factor) {
    const int n = 32 * factor, stride = (n + 31) / 32 * 4;
    // One monochrome bitmap: the AND mask above the XOR mask.
    std::vector<BYTE> bits(static_cast<size_t>(stride * n * 2), 0);
    for (int y = 0; y < n; ++y) {
        const int row = y / factor;
        for (int x = 0; x < n; ++x) {
            const int column = x / factor;
            char c = ' ';
            if (row < static_cast<int>(shape.rows.size())) {
                const char* text = shape.rows[static_cast<size_t>(row)];
                for (int i = 0; text[i] && i <= column; ++i) {
                    if (i == column) c = text[i];
                }
            }
            const bool transparent = c != 'X' && c != '.';
            const bool white = c == '.';
            const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            if (transparent) bits[static_cast<size_t>(y * stride + x / 8)] |= bit;
            if (white) bits[static_cast<size_t>((y + n) * stride + x / 8)] |= bit;
        }
    }
    HBITMAP mask = CreateBitmap(n, 2 * n, 1, 1, bits.data());
    ICONINFO info{FALSE, static_cast<DWORD>(shape.hotspot.x * factor), static_cast<DWORD>(shape.hotspot.y * factor),
                  mask, nullptr};
    HCURSOR cursor = CreateIconIndirect(&info);
    DeleteObject(mask);
    return cursor;
}

// The standard icons: a coloured sign on a round or triangular ground.
// Drawn at the size of the screen's icons.
HICON MakeIcon(WORD id) {
    const int n = GetSystemMetrics(SM_CXICON);
    const auto at = [n](int v) { return MulDiv(v, n, 32); };
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP colour = CreateCompatibleBitmap(screen, n, n);
    HBITMAP mask = CreateBitmap(n, n, 1, 1, nullptr);
    ReleaseDC(nullptr, screen);
    COLORREF ground = RGB(0, 0, 255);
    const char* sign = "i";
    bool triangle = false;
    switch (id) {
    case 32513: ground = RGB(255, 0, 0); sign = "x"; break;
    case 32514: ground = RGB(0, 0, 255); sign = "?"; break;
    case 32515: ground = RGB(255, 255, 0); sign = "!"; triangle = true; break;
    case 32516: ground = RGB(0, 0, 255); sign = "i"; break;
    default: ground = RGB(0, 128, 128); sign = ""; break;
    }
    const POINT tri[3] = {{at(16), at(1)}, {at(31), at(30)}, {at(1), at(30)}};
    HGDIOBJ oldBitmap = SelectObject(dc, mask);
    RECT all{0, 0, n, n};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    if (triangle) Polygon(dc, tri, 3); else Ellipse(dc, at(1), at(1), at(31), at(31));
    SelectObject(dc, colour);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HBRUSH brush = CreateSolidBrush(ground);
    SelectObject(dc, brush);
    if (triangle) Polygon(dc, tri, 3); else Ellipse(dc, at(1), at(1), at(31), at(31));
    HFONT font = CreateFontA(-at(20), 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, DEFAULT_QUALITY, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, triangle ? RGB(0, 0, 0) : RGB(255, 255, 255));
    RECT text{0, at(triangle ? 6 : 2), n, n};
    DrawTextA(dc, sign, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(brush);
    DeleteDC(dc);
    ICONINFO info{TRUE, static_cast<DWORD>(n / 2), static_cast<DWORD>(n / 2), mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

// By resolution and id: a screen of another resolution gets its own.
struct CStandardImages {
    std::mutex lock;
    std::map<std::pair<int, WORD>, HCURSOR> cursors;
    std::map<std::pair<int, WORD>, HICON> icons;
};

CStandardImages& Standard() {
    static auto* images = new CStandardImages;
    return *images;
}

bool IsStandardId(HINSTANCE module, LPCSTR name, WORD first, WORD last) {
    if (module != nullptr || !IS_INTRESOURCE(name)) return false;
    const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    return id >= first && id <= last;
}

// A null name is refused; a name that is not one of the standard ids comes
// from the resources in the standard size. Nothing when it is standard.
std::optional<HANDLE> FromResources(HINSTANCE module, LPCSTR name, WORD first, WORD last, UINT type) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HANDLE(nullptr);
    }
    if (IsStandardId(module, name, first, last)) return std::nullopt;
    return LoadImageA(module, name, type, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
}

HCURSOR g_cursor = nullptr;  // guarded by UserLock
int g_showCount = 0;

}  // namespace

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    if (auto loaded = FromResources(hInstance, lpCursorName, 32512, 32651, IMAGE_CURSOR)) {
        return static_cast<HCURSOR>(*loaded);
    }
    WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpCursorName));
    if (id == 32651 || id == 32650) id = 32512;  // help and busy arrows look like the arrow
    CStandardImages& images = Standard();
    std::lock_guard<std::mutex> guard(images.lock);
    const int dpi = trelwin::user::ScreenDpi();
    auto found = images.cursors.find({dpi, id});
    if (found != images.cursors.end()) return found->second;
    for (const CShape& shape : Shapes()) {
        if (shape.id == id) {
            HCURSOR cursor = MakeCursor(shape, std::max(1, dpi / 96));
            images.cursors[{dpi, id}] = cursor;
            return cursor;
        }
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    if (auto loaded = FromResources(hInstance, lpIconName, 32512, 32517, IMAGE_ICON)) return static_cast<HICON>(*loaded);
    const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpIconName));
    CStandardImages& images = Standard();
    std::lock_guard<std::mutex> guard(images.lock);
    const int dpi = trelwin::user::ScreenDpi();
    auto found = images.icons.find({dpi, id});
    if (found != images.icons.end()) return found->second;
    HICON icon = MakeIcon(id);
    images.icons[{dpi, id}] = icon;
    return icon;
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
    UserGuard guard(UserLock());
    HCURSOR previous = g_cursor;
    g_cursor = hCursor;
    if (previous != hCursor) trelwin::display::current().set_cursor(g_showCount >= 0 ? hCursor : nullptr);
    return previous;
}

HCURSOR WINAPI GetCursor() {
    UserGuard guard(UserLock());
    return g_cursor;
}

int WINAPI ShowCursor(BOOL bShow) {
    UserGuard guard(UserLock());
    g_showCount += bShow ? 1 : -1;
    trelwin::display::current().set_cursor(g_showCount >= 0 ? g_cursor : nullptr);
    return g_showCount;
}
