// The label: it sizes itself to its text when asked, paints with the last
// background colour given, and a click hands its text to the desktop only
// when it is a web link and the label's control takes clicks (SS_NOTIFY).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "controls/label/label.h"
#include "platform/user/dialog_template.h"
#include "platform/user/input.h"
#include "tests/platform/afx/afx_wnd_test_util.h"

using trelwin::user::DialogItemTemplate;
using trelwin::user::DialogTemplate;

namespace
{

constexpr WORD kDialogId = 0x2461;
constexpr int kLink = 2001;
constexpr int kLegend = 2002;

const DialogItemTemplate kItems[] = {
    {"STATIC", "link", kLink, WS_VISIBLE | SS_NOTIFY, 0, 10, 10, 120, 12},
    {"STATIC", "legend", kLegend, WS_VISIBLE, 0, 10, 40, 120, 12},
};
const DialogTemplate kDialog = {WS_POPUP | WS_VISIBLE | DS_SETFONT, 0, 0, 0, 160, 70, nullptr, "MS Sans Serif", 8,
                                kItems, std::size(kItems)};
const trelwin::user::DialogTemplateRegistration kRegistration(kDialogId, kDialog);

class CLabelDialog : public CDialog
{
public:
    explicit CLabelDialog(BOOL autoSize) : CDialog(kDialogId), m_link(autoSize), m_legend(autoSize) {}
    CLabel m_link;
    CLabel m_legend;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, kLink, m_link);
        DDX_Control(pDX, kLegend, m_legend);
    }
};

CRect ScreenRect(CWnd& wnd)
{
    CRect r;
    wnd.GetWindowRect(&r);
    return r;
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

class LabelTest : public afx_test::AfxWindowTest
{
};

TEST_F(LabelTest, AutoSizeFitsTheTextWhereTheLabelStands)
{
    struct Case
    {
        const char* name;
        BOOL autoSize;
        const char* text;
    };
    const Case cases[] = {
        {"short text", TRUE, "Hi"},
        {"long legend", TRUE, "Devices discovered but not reachable (different subnet)"},
        {"two lines", TRUE, "first line\nsecond, longer line"},
        {"auto-size off", FALSE, "Devices discovered but not reachable (different subnet)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CLabelDialog dialog(c.autoSize);
        ASSERT_TRUE(dialog.Create(kDialogId));
        const CRect before = ScreenRect(dialog.m_legend);
        dialog.m_legend.SetText(c.text);

        // The measurement a second way: the stock font the label starts with.
        CRect measured(0, 0, 0, 0);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextA(dc, c.text, -1, &measured, DT_CALCRECT);
        SelectObject(dc, old);
        DeleteDC(dc);

        const CRect after = ScreenRect(dialog.m_legend);
        EXPECT_EQ(after.TopLeft(), before.TopLeft());
        EXPECT_EQ(after.Size(), c.autoSize ? measured.Size() : before.Size());
        CString text;
        dialog.m_legend.GetWindowText(text);
        EXPECT_STREQ(text, c.text);
        dialog.DestroyWindow();
    }
}

TEST_F(LabelTest, PaintsWithTheLastBackgroundGiven)
{
    CLabelDialog dialog(FALSE);
    ASSERT_TRUE(dialog.Create(kDialogId));
    dialog.m_legend.SetBkColor(RGB(200, 0, 0)).SetBkColor(RGB(0, 160, 0));
    dialog.m_legend.SetText("");
    dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
    const CRect r = ScreenRect(dialog.m_legend);
    EXPECT_EQ(ScreenPixel(r.left + 1, r.top + 1), RGB(0, 160, 0));
    EXPECT_EQ(ScreenPixel(r.right - 2, r.bottom - 2), RGB(0, 160, 0));
    // The link label keeps the dialog face colour it started with.
    const CRect link = ScreenRect(dialog.m_link);
    EXPECT_EQ(ScreenPixel(link.right - 2, link.bottom - 2), GetSysColor(COLOR_3DFACE));
    dialog.DestroyWindow();
}

// An opener that appends its one argument to a file, in place of xdg-open.
class FakeOpener
{
public:
    FakeOpener()
    {
        m_dir = std::filesystem::path(::testing::TempDir()) / ("trelwin_opener_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        const std::string script = (m_dir / "open").string();
        std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$@\" >> '" << Opened() << "'\nprintf '\\n' >> '"
                              << Opened() << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        ::setenv("TRELWIN_URL_OPENER", script.c_str(), 1);
    }
    ~FakeOpener()
    {
        ::unsetenv("TRELWIN_URL_OPENER");
        std::filesystem::remove_all(m_dir);
    }
    std::string Opened() const { return (m_dir / "opened").string(); }
    // What was opened, once it holds `lines` lines (two seconds at most).
    std::string WaitFor(int lines) const
    {
        std::string text;
        for (int tries = 0; tries < 200; ++tries)
        {
            std::ifstream in(Opened());
            std::ostringstream all;
            all << in.rdbuf();
            text = all.str();
            if (std::count(text.begin(), text.end(), '\n') >= lines)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return text;
    }

private:
    std::filesystem::path m_dir;
};

TEST_F(LabelTest, AClickOpensOnlyWebLinksAndOnlyOnALabelThatTakesClicks)
{
    FakeOpener opener;
    CLabelDialog dialog(FALSE);
    ASSERT_TRUE(dialog.Create(kDialogId));
    struct Case
    {
        const char* name;
        CLabel* label;
        const char* text;
    };
    // Refused texts come first, the one link that opens last: once it has
    // arrived, nothing else may have been opened before it.
    const Case cases[] = {
        {"a file", &dialog.m_link, "/etc/passwd"},
        {"a file address", &dialog.m_link, "file:///etc/passwd"},
        {"a command", &dialog.m_link, "sh -c 'touch /tmp/x'"},
        {"a link with a blank", &dialog.m_link, "http://host/a b"},
        {"a link with a line break", &dialog.m_link, "https://host/\n--help"},
        {"a bare scheme", &dialog.m_link, "https://"},
        {"a link on the legend", &dialog.m_legend, "https://example.org/legend"},
        {"a web link", &dialog.m_link, "HTTPS://example.org/update?x=1&y=$HOME"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        c.label->SetText(c.text);
        const CRect r = ScreenRect(*c.label);
        trelwin::user::InjectMouseClick(r.left + 3, r.top + 3);
        afx_test::Pump();
    }
    EXPECT_EQ(opener.WaitFor(1), "HTTPS://example.org/update?x=1&y=$HOME|\n");
    dialog.DestroyWindow();
}

}  // namespace
