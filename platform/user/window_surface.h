// The surface of a top-level window and the draw targets that DCs of its
// windows use.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/internal/dc_state.h"
#include "platform/gdi/internal/region_data.h"
#include "platform/gdi/internal/surface.h"
#include "platform/user/window_defs.h"

struct CTopSurface {
    std::vector<uint32_t> pixels;
    trelwin::gdi::Surface surface;
    // Keeps what overlaps the old size; the rest starts white. True when
    // the size changed (every pixel was written anew).
    bool Resize(int width, int height);
};

// The part of a window (client or whole) that drawing may touch, in the
// coordinates of its top-level window's surface. Caller holds UserLock.
trelwin::gdi::RegionData VisibleRegionInTop(HWND hwnd, bool client);

// A DC's way onto a window: the top-level surface, the window's origin on
// it and its visible part, recomputed whenever windows change. A paint DC
// is further limited to the update region it was made for.
class CWindowDrawTarget : public trelwin::gdi::DrawTarget {
public:
    CWindowDrawTarget(HWND hwnd, bool client, std::optional<trelwin::gdi::RegionData> paintArea)
        : m_hwnd(hwnd), m_client(client), m_paintArea(std::move(paintArea)) {}
    trelwin::gdi::Surface* surface() override;
    POINT origin() override;
    const trelwin::gdi::RegionData* visible_region() override;
    uint64_t generation() override;

    HWND Window() const { return m_hwnd; }
    // What the DC may have changed, in top-level coordinates, and the top-level window.
    trelwin::gdi::RegionData ReachedArea();
    HWND TopWindow();

private:
    void Refresh();

    HWND m_hwnd;
    bool m_client;
    std::optional<trelwin::gdi::RegionData> m_paintArea;  // DC coordinates
    uint64_t m_generation = 0;
    std::shared_ptr<CTopSurface> m_top;
    HWND m_topWindow = nullptr;
    trelwin::gdi::Surface m_empty;
    POINT m_origin{0, 0};
    trelwin::gdi::RegionData m_visible;
};

// The screen as a draw target (GetDC(NULL)).
class CScreenDrawTarget : public trelwin::gdi::DrawTarget {
public:
    trelwin::gdi::Surface* surface() override;
};
