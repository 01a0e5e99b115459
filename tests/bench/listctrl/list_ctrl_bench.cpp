// The device list with the Discover page's five columns and owner data:
// filling 250 and 10,000 rows, sorting 10,000 rows by two keys (with a
// plain std::stable_sort of the same texts by the same comparison to
// measure it against), and painting one screen after a sort.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/afx/afx.h"
#include "platform/display/display.h"

namespace {

using Row = std::vector<std::string>;

const char* const kTypes[] = {"Encoder E-200", "Decoder D-110", "Encoder E-400", "Gateway G-10", "Decoder D-310"};

// The same rows for every run: a few types, many names, repeated pairs.
std::vector<Row> Devices(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) {
        char ip[32];
        char name[32];
        snprintf(ip, sizeof ip, "10.%d.%d.%d", i / 65536, (i / 256) % 256, i % 256);
        snprintf(name, sizeof name, "Studio %c-%03d", static_cast<char>('A' + random() % 26),
                 static_cast<int>(random() % 1000));
        rows.push_back({ip, name, kTypes[random() % 5], std::to_string(random() % 10) + ".0", "Link 100 Mbit/s"});
    }
    return rows;
}

struct Page {
    CWnd parent;
    CBriselListCtrl list;

    Page() {
        trelwin::display::use_headless(1024, 768);
        parent.CreateEx(0, nullptr, "PropertyPageDiscover", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr);
        list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_ALIGNLEFT | LVS_OWNERDATA, CRect(0, 0, 880, 680),
                    &parent, 1000);
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        const char* titles[] = {"IP", "Name", "Type", "Version", "Line Status"};
        for (int i = 0; i < 5; ++i) {
            list.InsertColumn(i, titles[i], LVCFMT_CENTER, 150);
            list.SetColumnSortType(i, TIPO_ORDENACION_TEXTO);
        }
    }
    ~Page() {
        list.DestroyWindow();
        parent.DestroyWindow();
    }

    void Fill(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            const int at = list.InsertItem(list.GetItemCount(), row[0].c_str());
            for (int c = 1; c < 5; ++c) list.SetItemText(at, c, row[c].c_str());
        }
    }

    // Type first, then name: the two keys.
    void SetKeys() {
        CBriselHeaderCtrl& header = list.GetHeader();
        header.ResetSortKeys(2);
        header.SetPriority(1, 1);
    }

    void Paint() {
        list.Invalidate(FALSE);
        list.UpdateWindow();
    }
};

// Rows kept out of the registry: the benchmarks save no layout.
struct NoLayout {
    NoLayout() { setenv("TRELWIN_REGISTRY_DIR", "/nonexistent-trelwin-bench-registry", 1); }
};

void BM_FillOwnerData(benchmark::State& state) {
    NoLayout noLayout;
    Page page;
    const std::vector<Row> rows = Devices(static_cast<int>(state.range(0)), 1);
    for (auto _ : state) {
        state.PauseTiming();
        page.list.DeleteAllItems();
        state.ResumeTiming();
        page.Fill(rows);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillOwnerData)->Arg(250)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SortTwoKeys(benchmark::State& state) {
    NoLayout noLayout;
    Page page;
    page.SetKeys();
    unsigned seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        page.list.DeleteAllItems();
        page.Fill(Devices(10000, seed++));
        state.ResumeTiming();
        page.list.SortByColumn(2, FALSE, FALSE);
    }
}
BENCHMARK(BM_SortTwoKeys)->Unit(benchmark::kMillisecond);

// What the sort is measured against: std::stable_sort of the same rows by
// the same comparison of the same two columns.
void BM_StableSortBaseline(benchmark::State& state) {
    unsigned seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<Row> rows = Devices(10000, seed++);
        std::vector<const Row*> order;
        for (const Row& row : rows) order.push_back(&row);
        state.ResumeTiming();
        std::stable_sort(order.begin(), order.end(), [](const Row* a, const Row* b) {
            int result = CBriselListCtrl::CompareItems((*a)[2].c_str(), (*b)[2].c_str(), 2, 0, 1);
            if (result == 0) result = CBriselListCtrl::CompareItems((*a)[1].c_str(), (*b)[1].c_str(), 2, 0, 1);
            return result < 0;
        });
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK(BM_StableSortBaseline)->Unit(benchmark::kMillisecond);

void BM_RepaintAfterSort(benchmark::State& state) {
    NoLayout noLayout;
    Page page;
    page.SetKeys();
    page.Fill(Devices(10000, 1));
    for (auto _ : state) {
        state.PauseTiming();
        page.list.SortByColumn(2, FALSE, TRUE);
        state.ResumeTiming();
        page.Paint();
    }
}
BENCHMARK(BM_RepaintAfterSort)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
