// Laying out and drawing tips against DrawText of the same plain text: a
// typical device list tip (one line, a device's escaped name) and a 2 KiB
// tip with a table. Each mark-up case measures and draws, as the tooltip
// does when it shows a tip; each DrawText case measures (DT_CALCRECT) and
// draws. The one-line tip should cost no more than five times DrawText.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "controls/tooltip/markup/markup_drawer.h"
#include "platform/gdi/gdi.h"
#include "tests/platform/gdi/canvas.h"

namespace {

const char kListTip[] = "Encoder 4K-2 Studio B (rack 3, slot 12) - 10.213.1.45";

std::string TableTip()
{
    const std::string row =
        "<tr><td width=70 bgcolor=buttonface align=right>Name</td><td width=130 bgcolor=window>"
        "<b>Encoder</b> <font color=#ff9900>4K-2</font> studio</td></tr>"
        "<tr><td>Version</td><td><i>3.14.15</i> (2024-05-01)</td></tr>";
    std::string text = "<table border=1 cellpadding=2 cellspacing=1 bordercolor=gray>";
    while (text.size() + row.size() + 8 < 2048) text += row;
    return text + "</table>";
}

// The same words without tags, for DrawText.
std::string PlainOf(const std::string& markup)
{
    std::string plain;
    bool inTag = false;
    for (char c : markup) {
        if (c == '<') inTag = true;
        else if (c == '>') inTag = false;
        else if (!inTag) plain += c;
    }
    return plain;
}

// A 600 x 800 canvas and the tips' font.
struct Target {
    Target()
    {
        LOGFONTA lf{};
        lf.lfHeight = 13;
        lf.lfWeight = 400;
        strcpy(lf.lfFaceName, "Verdana");
        font = CreateFontIndirectA(&lf);
    }
    ~Target() { DeleteObject(font); }
    gdi_test::Canvas canvas{600, 800};
    HDC dc = canvas.dc();
    HFONT font;
};

void MeasureAndDraw(benchmark::State& state, const std::string& text)
{
    Target target;
    CMarkupDrawer drawer;
    drawer.SetMaxWidth(580);
    for (auto _ : state) {
        SIZE size{0, 0};
        drawer.PrepareOutput(target.dc, text.c_str(), &size);
        drawer.SetPrepareFlag(0);
        SIZE drawn{0, 0};
        const RECT rc{0, 0, size.cx, size.cy};
        drawer.DrawHtml(&drawn, &rc);
        benchmark::DoNotOptimize(drawn);
    }
}

void DrawTextOf(benchmark::State& state, const std::string& text)
{
    Target target;
    HGDIOBJ oldFont = SelectObject(target.dc, target.font);
    for (auto _ : state) {
        RECT rc{0, 0, 580, 0};
        DrawTextA(target.dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CALCRECT | DT_WORDBREAK);
        DrawTextA(target.dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_WORDBREAK);
        benchmark::DoNotOptimize(rc);
    }
    SelectObject(target.dc, oldFont);
}

void BM_ListTipMarkup(benchmark::State& state) { MeasureAndDraw(state, CMarkupDrawer::EscapeText(kListTip).GetString()); }
void BM_ListTipDrawText(benchmark::State& state) { DrawTextOf(state, kListTip); }
void BM_TableTipMarkup(benchmark::State& state) { MeasureAndDraw(state, TableTip()); }
void BM_TableTipDrawText(benchmark::State& state) { DrawTextOf(state, PlainOf(TableTip())); }

BENCHMARK(BM_ListTipMarkup);
BENCHMARK(BM_ListTipDrawText);
BENCHMARK(BM_TableTipMarkup);
BENCHMARK(BM_TableTipDrawText);

}  // namespace

BENCHMARK_MAIN();
