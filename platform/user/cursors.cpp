#include "platform/user/cursors.h"

#include <map>
#include <mutex>
#include <optional>
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

HCURSOR MakeCursor(const CShape& shape) {
    // One monochrome bitmap: the AND mask above the XOR mask, rows of 4 bytes.
    std::vector<BYTE> bits(32 * 64 / 8, 0);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            char c = ' ';
            if (y < static_cast<int>(shape.rows.size())) {
                const char* row = shape.rows[y];
                for (int i = 0; row[i] && i <= x; ++i) {
                    if (i == x) c = row[i];
                }
            }
            const bool transparent = c != 'X' && c != '.';
            const bool white = c == '.';
            if (transparent) bits[y * 4 + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            if (white) bits[(y + 32) * 4 + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    HBITMAP mask = CreateBitmap(32, 64, 1, 1, bits.data());
    ICONINFO info{FALSE, static_cast<DWORD>(shape.hotspot.x), static_cast<DWORD>(shape.hotspot.y), mask, nullptr};
    HCURSOR cursor = CreateIconIndirect(&info);
    DeleteObject(mask);
    return cursor;
}

// The standard icons: a coloured sign on a round or triangular ground.
HICON MakeIcon(WORD id) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP colour = CreateCompatibleBitmap(screen, 32, 32);
    HBITMAP mask = CreateBitmap(32, 32, 1, 1, nullptr);
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
    const POINT tri[3] = {{16, 1}, {31, 30}, {1, 30}};
    HGDIOBJ oldBitmap = SelectObject(dc, mask);
    RECT all{0, 0, 32, 32};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    if (triangle) Polygon(dc, tri, 3); else Ellipse(dc, 1, 1, 31, 31);
    SelectObject(dc, colour);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HBRUSH brush = CreateSolidBrush(ground);
    SelectObject(dc, brush);
    if (triangle) Polygon(dc, tri, 3); else Ellipse(dc, 1, 1, 31, 31);
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, DEFAULT_QUALITY, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, triangle ? RGB(0, 0, 0) : RGB(255, 255, 255));
    RECT text{0, triangle ? 6 : 2, 32, 32};
    DrawTextA(dc, sign, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(brush);
    DeleteDC(dc);
    ICONINFO info{TRUE, 16, 16, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

struct CStandardImages {
    std::mutex lock;
    std::map<WORD, HCURSOR> cursors;
    std::map<WORD, HICON> icons;
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
    auto found = images.cursors.find(id);
    if (found != images.cursors.end()) return found->second;
    for (const CShape& shape : Shapes()) {
        if (shape.id == id) {
            HCURSOR cursor = MakeCursor(shape);
            images.cursors[id] = cursor;
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
    auto found = images.icons.find(id);
    if (found != images.icons.end()) return found->second;
    HICON icon = MakeIcon(id);
    images.icons[id] = icon;
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
