// The list view with 10,000 rows: filling it, and painting one screen of it
// after a scroll (with the items held by the list, and with owner data and
// custom drawing asking the parent for every cell shown).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "platform/commctrl/commctrl.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace {

constexpr int kRows = 10000;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->code == LVN_GETDISPINFOA) {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
            if (info->item.mask & LVIF_TEXT) {
                std::snprintf(info->item.pszText, info->item.cchTextMax, "192.168.%d.%d", info->item.iItem / 250,
                              info->item.iItem % 250);
            }
            return 0;
        }
        if (hdr->code == NM_CUSTOMDRAW) {
            auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
            if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
            if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYSUBITEMDRAW;
            if (cd->nmcd.dwDrawStage == (CDDS_SUBITEM | CDDS_ITEMPREPAINT)) {
                cd->clrTextBk = (cd->nmcd.dwItemSpec % 2) ? RGB(240, 240, 255) : RGB(255, 255, 255);
                return CDRF_NOTIFYPOSTPAINT;
            }
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

struct Fixture {
    HWND top = nullptr;
    HWND list = nullptr;

    explicit Fixture(DWORD style) {
        trelwin::display::use_headless(1024, 768);
        WNDCLASSA wc{};
        wc.lpfnWndProc = ParentProc;
        wc.lpszClassName = "ListBenchParent";
        RegisterClassA(&wc);
        top = CreateWindowExA(0, "ListBenchParent", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr,
                              nullptr, nullptr);
        list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | style, 0, 0, 880, 680, top,
                               reinterpret_cast<HMENU>(1000), nullptr, nullptr);
        SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        const char* titles[] = {"IP", "Name", "Type", "Version", "Line Status"};
        for (int i = 0; i < 5; ++i) {
            LVCOLUMNA c{};
            c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            c.pszText = const_cast<char*>(titles[i]);
            c.cx = 150;
            c.fmt = LVCFMT_CENTER;
            SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
        }
    }
    ~Fixture() {
        DestroyWindow(top);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

    void Fill() {
        char text[32];
        for (int i = 0; i < kRows; ++i) {
            std::snprintf(text, sizeof(text), "10.0.%d.%d", i / 250, i % 250);
            LVITEMA it{};
            it.mask = LVIF_TEXT | LVIF_PARAM;
            it.iItem = i;
            it.pszText = text;
            it.lParam = i;
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
            for (int sub = 1; sub < 5; ++sub) {
                std::snprintf(text, sizeof(text), "cell %d.%d", i, sub);
                LVITEMA cell{};
                cell.iSubItem = sub;
                cell.pszText = text;
                SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&cell));
            }
        }
    }

    void ScrollAndPaint() {
        const int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
        const int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
        SendMessageA(list, WM_VSCROLL, top + 2 * page >= kRows ? SB_TOP : SB_PAGEDOWN, 0);
        UpdateWindow(list);
    }
};

// 10,000 rows of five columns, inserted one by one with their sub-item texts.
void BM_Insert10000Rows(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            Fixture f(0);
            state.ResumeTiming();
            f.Fill();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Insert10000Rows)->Unit(benchmark::kMillisecond);

// A page down and the painting of the screen that it shows.
void BM_PaintScreenAfterScroll(benchmark::State& state) {
    Fixture f(0);
    f.Fill();
    UpdateWindow(f.list);
    for (auto _ : state) f.ScrollAndPaint();
    state.counters["rows"] = static_cast<double>(SendMessageA(f.list, LVM_GETCOUNTPERPAGE, 0, 0));
}
BENCHMARK(BM_PaintScreenAfterScroll)->Unit(benchmark::kMicrosecond);

void BM_PaintScreenAfterScrollOwnerDataCustomDraw(benchmark::State& state) {
    Fixture f(LVS_OWNERDATA);
    SendMessageA(f.list, LVM_SETITEMCOUNT, kRows, 0);
    UpdateWindow(f.list);
    for (auto _ : state) f.ScrollAndPaint();
}
BENCHMARK(BM_PaintScreenAfterScrollOwnerDataCustomDraw)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
