// The drawing objects as a person meets them, through the display the
// environment gives: a window with the progress gauge filling up and, under
// it, a map with three boxes that the mouse moves and resizes, and lines
// between them: one from the start, more drawn with Ctrl and the mouse from
// box to box, each following its boxes, selected by a click and removed by
// the Delete key.
//
//   trelwin_drawing_demo [--until FILE] [--png FILE]
//
// It prints "ready MAPX MAPY" once shown, with the map's top-left corner
// relative to the window's, "gauge N" at every value of the gauge (0 to
// 100 in steps of 5), and what the map's hooks hear, in map coordinates
// and box ids (1 to 3): "box ID LEFT TOP RIGHT BOTTOM" when the mouse has
// let go of a box it changed, "connector ID ID" for a new line, "selected
// ID ID" or "selected none", and "removed ID ID". It ends when FILE
// exists, when its window is closed, or after 30 seconds, saving the window
// as a PNG file first when asked.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "drawing/drawing_map_wnd.h"
#include "drawing/drawing_progress_wnd.h"
#include "platform/display/display.h"
#include "platform/user/user.h"
#include "tests/drawing/solid_object.h"

namespace
{

const int GAUGE_X = 15;
const int GAUGE_Y = 16;
const int MAP_X = 15;
const int MAP_Y = 52;

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string Ends(CDrawingObjectConnector* pConnector)
{
    return std::to_string(pConnector->m_fromPath[0]) + " " + std::to_string(pConnector->m_toPath[0]);
}

// A map that tells what the mouse and the keys did to it.
class CDemoMap : public CDrawingObjectMap
{
public:
    explicit CDemoMap(CWnd* pHost) : CDrawingObjectMap(pHost, nullptr, TRUE, TRUE, FALSE)
    {
    }
    void OnChildEdited(CDrawingObject* pChild) override
    {
        const CRect& r = pChild->m_rect;
        char line[80];
        std::snprintf(line, sizeof line, "box %d %ld %ld %ld %ld", pChild->m_nId, static_cast<long>(r.left),
                      static_cast<long>(r.top), static_cast<long>(r.right), static_cast<long>(r.bottom));
        Say(line);
    }
    void OnConnectorAdded(CDrawingObjectConnector* pConnector) override
    {
        Say("connector " + Ends(pConnector));
    }
    void OnConnectorSelected(CDrawingObjectConnector* pConnector) override
    {
        Say("selected " + (pConnector != nullptr ? Ends(pConnector) : std::string("none")));
    }
    void OnConnectorRemoved(CDrawingObjectConnector* pConnector) override
    {
        Say("removed " + Ends(pConnector));
    }
    // How to use it, along the bottom, under the boxes.
    void DrawUnderChildren(CDC* pDC, RECT*) override
    {
        pDC->SelectStockObject(DEFAULT_GUI_FONT);
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(RGB(110, 110, 110));
        CRect text(8, m_rect.Height() - 20, m_rect.Width() - 8, m_rect.Height() - 4);
        pDC->DrawText("Drag a box to move it, its edges to resize it. Ctrl+drag from box to box to join them; "
                      "click a line, then press Delete to remove it.",
                      &text, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
};

class CDemoMapWnd : public CDrawingMapWnd
{
public:
    CDrawingObjectMap* CreateMapObject() override
    {
        delete m_pMapObject;
        m_pMapObject = new CDemoMap(this);
        return m_pMapObject;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    std::string until, png;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--until") == 0 && i + 1 < argc)
            until = argv[++i];
        else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc)
            png = argv[++i];
        else
        {
            std::fprintf(stderr, "usage: %s [--until FILE] [--png FILE]\n", argv[0]);
            return 2;
        }
    }
    trelwin::display::choose_for_program();

    CWnd frame;
    if (!frame.CreateEx(0, nullptr, "Trelwin drawing demo", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 60, 60,
                        770, 325, nullptr, nullptr))
        return 1;
    CDrawingObjectProgressWnd gauge;
    gauge.CreateMapObject();
    gauge.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(GAUGE_X, GAUGE_Y, 10, 10), &frame, 13);
    gauge.GetProgress()->LoadBitmaps(136, 137);

    CDemoMapWnd mapWnd;
    CDrawingObjectMap* map = mapWnd.CreateMapObject();
    mapWnd.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(MAP_X, MAP_Y, MAP_X + 729, MAP_Y + 215), &frame, 14);
    map->m_crBackground = RGB(246, 247, 249);
    // Three boxes whose dark border shows while the mouse is over them.
    drawing_test::CSolidObject* boxes[] = {
        new drawing_test::CSolidObject(&mapWnd, map, RGB(52, 101, 164), CRect(40, 30, 160, 110)),
        new drawing_test::CSolidObject(&mapWnd, map, RGB(233, 130, 38), CRect(300, 50, 420, 150)),
        new drawing_test::CSolidObject(&mapWnd, map, RGB(78, 154, 6), CRect(560, 40, 680, 120))};
    for (int i = 0; i < 3; ++i)
    {
        boxes[i]->m_nId = i + 1;
        boxes[i]->m_crBorder = RGB(20, 20, 20);
        boxes[i]->m_nBorderWidth = 2;
        boxes[i]->SetBorder(TRUE, FALSE);
        map->m_children.Add(boxes[i]);
    }
    map->Connect(boxes[0], boxes[1]);
    frame.ShowWindow(SW_SHOW);
    frame.UpdateWindow();

    CRect frameRect, mapRect;
    frame.GetWindowRect(&frameRect);
    mapWnd.GetWindowRect(&mapRect);
    std::printf("ready %ld %ld\n", static_cast<long>(mapRect.left - frameRect.left),
                static_cast<long>(mapRect.top - frameRect.top));
    std::fflush(stdout);

    const auto start = std::chrono::steady_clock::now();
    int shownValue = -1;
    MSG msg;
    while (::IsWindow(frame.m_hWnd) && std::chrono::steady_clock::now() - start < std::chrono::seconds(30) &&
           (until.empty() || !std::filesystem::exists(until)))
    {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        // The gauge fills up by 5 every tenth of a second.
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const int value = std::min(100, static_cast<int>(elapsed / std::chrono::milliseconds(100)) * 5);
        if (value != shownValue)
        {
            gauge.GetProgress()->SetPercent(value, TRUE);
            shownValue = value;
            std::printf("gauge %d\n", value);
            std::fflush(stdout);
        }
    }
    if (!::IsWindow(frame.m_hWnd))
    {
        std::printf("closed\n");
        return 0;
    }
    if (!png.empty())
    {
        trelwin::display::current().flush();
        std::string error;
        if (!trelwin::user::SaveWindowPng(frame.m_hWnd, png, &error))
        {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    frame.DestroyWindow();
    return 0;
}
