// Links of a drawn tip (hover notifications, the hand cursor, clicks),
// animation steps of image strips, and the bitmaps, icons, strings and
// handles that tags name.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "controls/tooltip/markup/markup_drawer.h"
#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"
#include "platform/resources/string_table.h"
#include "tests/controls/tooltip/tooltip_test_util.h"
#include "tests/platform/gdi/byte_builder.h"
#include "tests/platform/user/opener_stand_in.h"
#include "tests/platform/user/window_test_util.h"

using tooltip_test::CDrawerProbe;

namespace {

class MarkupLinkWindow : public user_test::WindowTest {};

const UINT kRepaint = 0x465;
const UINT kLinkMessage = WM_USER + 77;

HotArea Area(int left, int top, int right, int bottom, int kind, int link, const char* target)
{
    return HotArea{RECT{left, top, right, bottom}, kind, link, target};
}

std::vector<WPARAM> Notifications(user_test::WindowProbe* probe, UINT message, LPARAM lParam)
{
    std::vector<WPARAM> sent;
    std::lock_guard<std::mutex> guard(probe->lock);
    for (const auto& r : probe->received) {
        if (r.message != message) continue;
        EXPECT_EQ(r.lParam, lParam);
        sent.push_back(r.wParam);
    }
    return sent;
}

// One link in two pieces, one bare link without a target, one message link.
void AddLinks(CDrawerProbe& drawer)
{
    drawer.HotAreas() = {
        Area(10, 10, 30, 20, LINK_KIND_URL, 0, "http://ok.example/"),
        Area(31, 10, 50, 20, LINK_KIND_URL, 0, "http://ok.example/"),
        Area(10, 30, 40, 40, LINK_KIND_MESSAGE, 1, ""),
        Area(60, 10, 80, 20, LINK_KIND_MESSAGE, 2, "note"),
        Area(60, 30, 80, 40, LINK_KIND_URL, 3, "javascript:alert(1)"),
    };
}

// The mouse moves over the links: each change of link (or leaving them all)
// sends one notification with the link's index (-2 for none), and the hand
// cursor shows over links that lead somewhere.
TEST_F(MarkupLinkWindow, HoverNotifiesEachChangeOfLinkOnceAndShowsTheHand)
{
    auto* probe = NewProbe();
    HWND tip = Make(probe, WS_POPUP, 0, 0, 100, 50);
    CDrawerProbe drawer;
    drawer.SetRepaintTarget(tip, kRepaint, 7);
    AddLinks(drawer);
    ASSERT_NE(drawer.GetHandCursor(), nullptr);
    struct Step {
        POINT pt;
        bool handSet;
        std::vector<WPARAM> sentSoFar;
    };
    const WPARAM none = static_cast<WPARAM>(static_cast<INT_PTR>(-2));
    const Step steps[] = {
        {{5, 5}, false, {}},                        // no link, none hovered before: nothing sent
        {{10, 10}, true, {0}},                      // top-left corner of link 0
        {{30, 20}, true, {0}},                      // right and bottom edges count as inside
        {{40, 15}, true, {0}},                      // the second piece of the same link
        {{20, 35}, false, {0, 1}},                  // a link without a target: no hand
        {{100, 100}, false, {0, 1, none}},          // off every link
        {{101, 100}, false, {0, 1, none}},
        {{70, 15}, true, {0, 1, none, 2}},
    };
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.pt.x) + "," + std::to_string(s.pt.y));
        EXPECT_EQ(drawer.OnSetCursor(s.pt), s.handSet);
        EXPECT_EQ(Notifications(probe, kRepaint, 7), s.sentSoFar);
        if (s.handSet) {
            EXPECT_EQ(GetCursor(), drawer.GetHandCursor());
        }
    }
    EXPECT_EQ(drawer.FindHotArea(POINT{31, 10}), 1);
    EXPECT_EQ(drawer.FindHotArea(POINT{9, 10}), -1);
    EXPECT_EQ(drawer.FindHotArea(POINT{30, 21}), -1);

    // Without a window to tell, hovering still works and sends nothing.
    CDrawerProbe alone;
    AddLinks(alone);
    EXPECT_TRUE(alone.OnSetCursor(POINT{15, 15}));
    EXPECT_FALSE(alone.OnSetCursor(POINT{0, 0}));
    EXPECT_EQ(alone.GetHoveredLink(), -2);
}

// A click opens a web link, sends a message link's text to the link-message
// target while the call lasts, and does nothing for anything else.
TEST_F(MarkupLinkWindow, ClicksOpenWebLinksAndSendMessageLinksOnly)
{
    user_test::OpenerStandIn opener;
    user_test::ScopedEnv env("TRELWIN_URL_OPENER", opener.Script().c_str());
    auto* probe = NewProbe();
    std::vector<std::string> texts;
    probe->handler = [&texts](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == kLinkMessage) texts.push_back(reinterpret_cast<const char*>(w));
        return DefWindowProcA(hwnd, msg, w, l);
    };
    HWND owner = Make(probe, WS_POPUP, 0, 0, 100, 50);
    CDrawerProbe drawer;
    AddLinks(drawer);

    drawer.OnLButtonDown(POINT{45, 12});
    EXPECT_EQ(opener.WaitForOutput().substr(0, 21), "1\nhttp://ok.example/\n");

    drawer.OnLButtonDown(POINT{70, 35});  // javascript: is no web address
    drawer.OnLButtonDown(POINT{20, 35});  // empty target
    drawer.OnLButtonDown(POINT{70, 15});  // message link, nobody to send it to
    drawer.OnLButtonDown(POINT{95, 45});  // no link
    EXPECT_TRUE(texts.empty());
    drawer.SetLinkMessageTarget(owner, kLinkMessage, 3);
    drawer.OnLButtonDown(POINT{70, 15});
    EXPECT_EQ(texts, std::vector<std::string>{"note"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    struct stat info {};
    EXPECT_NE(stat(opener.Output().c_str(), &info), 0) << "a click opened something else";
}

TEST(MarkupLinks, AnimationStepsAdvanceEveryStrip)
{
    CDrawerProbe drawer;
    drawer.Animations() = {{0, 4, 0, 3}, {0, 0, 0, 1}, {2, 3, 0, 1}};
    std::string frames, changed;
    for (int step = 0; step < 13; ++step) {
        changed += drawer.OnTimer() ? 'x' : '.';
        frames += static_cast<char>('0' + drawer.Animations()[0].frame);
    }
    // Speed 3, four frames: the frame changes every third step and wraps.
    EXPECT_EQ(frames, "0011122233300");
    // The third strip (speed 1) changes on every step.
    EXPECT_EQ(changed, "xxxxxxxxxxxxx");
    EXPECT_EQ(drawer.Animations()[1].tick, 0);  // no frames: left alone
    EXPECT_EQ(drawer.Animations()[2].frame, (2 + 13) % 3);

    drawer.Animations() = {{0, 4, 0, 3}};
    changed.clear();
    for (int step = 0; step < 7; ++step) changed += drawer.OnTimer() ? 'x' : '.';
    EXPECT_EQ(changed, "..x..x.");
}

// A 2 x 2 bitmap as a resource holds it: a packed 24-bit DIB, rows bottom-up,
// red and green above, blue and white below.
const std::vector<uint8_t>& TwoByTwoDib()
{
    static const std::vector<uint8_t> dib = gdi_test::Bytes()
                                                .u32(40).i32(2).i32(2).u16(1).u16(24).u32(0).u32(16).zeros(16)
                                                .u8(255).u8(0).u8(0).u8(255).u8(255).u8(255).zeros(2)
                                                .u8(0).u8(0).u8(255).u8(0).u8(255).u8(0).zeros(2)
                                                .data;
    return dib;
}

const char* WriteBitmapFile()
{
    static const std::string path = "/tmp/trelwin-tooltip-" + std::to_string(getpid()) + ".bmp";
    const std::vector<uint8_t>& dib = TwoByTwoDib();
    const gdi_test::Bytes file = gdi_test::Bytes().u8('B').u8('M').u32(14 + dib.size()).u32(0).u32(54);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data.data()), static_cast<std::streamsize>(file.data.size()));
    out.write(reinterpret_cast<const char*>(dib.data()), static_cast<std::streamsize>(dib.size()));
    return path.c_str();
}

class MarkupResources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        trelwin::RegisterResource(RT_BITMAP, MAKEINTRESOURCEA(130), TwoByTwoDib().data(), TwoByTwoDib().size());
        static const trelwin::StringTableEntry strings[] = {
            {61000, "Prompt\nTip text"}, {61001, "Prompt\nTip\nMore"}, {61002, "no line feed"}, {61003, "\n"},
        };
        static const trelwin::StringTableRegistration registration(strings);
    }
};

TEST_F(MarkupResources, StringsAndTipsComeFromTheStringTable)
{
    struct Case {
        UINT id;
        const char* string;
        const char* tip;
    };
    const Case cases[] = {
        {61000, "Prompt\nTip text", "Tip text"}, {61001, "Prompt\nTip\nMore", "Tip"},
        {61002, "no line feed", ""},             {61003, "\n", ""},
        {61999, "", ""},                         {0, "", ""},
    };
    CMarkupDrawer drawer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_STREQ(drawer.GetStringFromResource(c.id), c.string);
        EXPECT_STREQ(drawer.GetTipFromResource(c.id), c.tip);
    }
}

// Bitmaps come from the program's resources; module names load nothing,
// files only where the program allows them, handles only when live.
TEST_F(MarkupResources, ImagesComeOnlyFromTheProgramAllowedFilesAndLiveHandles)
{
    CMarkupDrawer drawer;
    HBITMAP bitmap = drawer.GetBitmapFromResource(130);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(CDrawEffects::GetSizeOfBitmap(bitmap).cx, 2);
    EXPECT_EQ(drawer.GetBitmapFromResource(0), nullptr);
    EXPECT_EQ(drawer.GetBitmapFromResource(131), nullptr);
    EXPECT_EQ(drawer.GetBitmapFromDll(130, nullptr), nullptr);
    EXPECT_EQ(drawer.GetBitmapFromDll(130, "/usr/lib/x86_64-linux-gnu/libc.so.6"), nullptr);
    EXPECT_EQ(drawer.GetIconFromDll(1, 32, 32, "shell32.dll"), nullptr);
    EXPECT_EQ(drawer.GetIconFromDll(1, 32, 32, nullptr), nullptr);

    const char* file = WriteBitmapFile();
    EXPECT_EQ(drawer.GetBitmapFromFile(file), nullptr);
    drawer.AllowFileImages(TRUE);
    HBITMAP fromFile = drawer.GetBitmapFromFile(file);
    ASSERT_NE(fromFile, nullptr);
    EXPECT_EQ(CDrawEffects::GetSizeOfBitmap(fromFile).cy, 2);
    EXPECT_EQ(drawer.GetBitmapFromFile("/nonexistent.bmp"), nullptr);
    DeleteObject(fromFile);
    std::remove(file);

    const UINT_PTR number = reinterpret_cast<UINT_PTR>(bitmap);
    EXPECT_EQ(CMarkupDrawer::GetBitmapFromHandle(number), bitmap);
    EXPECT_EQ(CMarkupDrawer::GetIconFromHandle(number), nullptr);
    EXPECT_EQ(CMarkupDrawer::GetBitmapFromHandle(number + 1), nullptr);
    DeleteObject(bitmap);
    EXPECT_EQ(CMarkupDrawer::GetBitmapFromHandle(number), nullptr);
}

// The background image of a table is tiled from the rectangle's corner.
TEST_F(MarkupResources, TableBackgroundReferencesTileTheirBitmap)
{
    const char* file = WriteBitmapFile();
    struct Case {
        const char* reference;
        bool allowFiles;
        bool tiled;
    };
    const std::string fileReference = std::string("file:") + file;
    const Case cases[] = {
        {"idres:130", false, true},  {"idres : 130;", false, true}, {"idres", false, false},
        {"idres:", false, false},    {"idres:131", false, false},   {"iddll:130", false, false},
        {"other:130", false, false}, {fileReference.c_str(), false, false}, {fileReference.c_str(), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reference);
        gdi_test::Canvas canvas(9, 7, RGB(1, 1, 1));
        CMarkupDrawer drawer;
        drawer.AllowFileImages(c.allowFiles);
        drawer.DrawBackgroundImage(canvas.dc(), RECT{1, 1, 8, 6}, c.reference);
        if (!c.tiled) {
            EXPECT_EQ(canvas.count(RGB(1, 1, 1)), 63);
            continue;
        }
        EXPECT_EQ(canvas.count(RGB(1, 1, 1)), 63 - 35);
        EXPECT_EQ(canvas.row(1, RGB(255, 0, 0)), ".#.#.#.#.");
        EXPECT_EQ(canvas.row(2, RGB(0, 0, 255)), ".#.#.#.#.");
        EXPECT_EQ(canvas.at(7, 5), RGB(255, 0, 0));
        EXPECT_EQ(canvas.at(2, 2), RGB(255, 255, 255));
    }
    std::remove(file);
}

}  // namespace
