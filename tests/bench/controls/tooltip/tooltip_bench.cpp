// The tip mark-up and its background effects: tokenizing a 4 KiB tip and
// reading every attribute of its tags (nanoseconds per byte), and each
// background effect over a 400 x 200 area (the slowest must stay below 2 ms).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "controls/tooltip/markup/markup_drawer.h"
#include "platform/gdi/gdi.h"
#include "tests/platform/gdi/canvas.h"

namespace {

// A device's tip: a table of its fields with styled text, links and images,
// repeated up to 4 KiB.
std::string TipText() {
    const std::string row =
        "<tr><td width=70 bgcolor=buttonface align=right>Name</td><td width=130 bgcolor=window valign=middle>"
        "<font color=\"#ff9900\" size=2 face='Verdana' style=-b+i>Enc&nbsp;1 &amp; &lt;spare&gt;</font></td></tr>\n"
        "<tr><td colspan=2 bgeffect=hgradient bgcolor=infobackground bgendcolor=white>"
        "<a href=\"http://10.213.1.1/status\">Status</a> <bmp idres=130 width=50% mask=#ff00ff style=s> "
        "<b>Connected</b>\tsince 12:04</td></tr>\n";
    std::string text = "<table border=1 cellpadding=2 cellspacing=1 bordercolor=gray>";
    while (text.size() + row.size() + 8 < 4096) text += row;
    text += "</table>";
    text.resize(4096, ' ');
    return text;
}

void BM_TokenizeTipAndReadAttributes(benchmark::State& state) {
    CMarkupDrawer drawer;
    const std::string tip = TipText();
    int attributes = 0;
    for (auto _ : state) {
        drawer.SetMarkupText(tip.c_str());
        drawer.PrepareText();
        const CString& text = drawer.GetMarkupText();
        int pos = 0;
        while (pos < text.GetLength()) {
            CString tag;
            const CString run = drawer.GetNextChunk(text, pos, tag);
            benchmark::DoNotOptimize(run);
            if (tag.IsEmpty()) continue;
            CString styleName;
            int closing = 0;
            CString name = tag;
            const CString attributeText = drawer.SplitTag(name);
            const int id = drawer.GetTagId(name, styleName, closing);
            int at = 0;
            for (;;) {
                CString attribute;
                const CString value = drawer.GetNextAttribute(attributeText, at, attribute);
                if (attribute.IsEmpty()) break;
                ++attributes;
                benchmark::DoNotOptimize(value);
            }
            if (id == MARKUP_TAG_BITMAP) {
                ImageAttributes image;
                drawer.ParseImageAttributes(attributeText, image);
            } else if (name == "td" || name == "table") {
                StyleRecord style;
                drawer.ParseTableAttributes(attributeText, style, name == "table");
            }
        }
        const TableSize size = drawer.GetTableSize(text);
        benchmark::DoNotOptimize(size);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(tip.size()));
    state.counters["ns_per_byte"] = benchmark::Counter(static_cast<double>(state.iterations()) * tip.size(),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["attributes"] = static_cast<double>(attributes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TokenizeTipAndReadAttributes)->Unit(benchmark::kMicrosecond);

void BM_FillEffect400x200(benchmark::State& state) {
    const int effect = static_cast<int>(state.range(0));
    const gdi_test::Canvas canvas(400, 200);
    CDrawEffects effects;
    const RECT rect{0, 0, 400, 200};
    for (auto _ : state) {
        effects.FillEffect(canvas.dc(), rect, effect, RGB(255, 255, 225), RGB(200, 200, 255), RGB(90, 90, 140), 12, 5);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillEffect400x200)->DenseRange(BACK_EFFECT_SOLID, BACK_EFFECT_METAL)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
