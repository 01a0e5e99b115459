// The column dialogs, reached as a user reaches them: a right click on the
// list's header, the menu item chosen by the keyboard, then the dialog
// driven through its controls (double clicks, the buttons, the up-down)
// by a script that runs one step per timer tick inside the dialog's loop.
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "common/language/language.h"
#include "controls/listctrl/brisel_list_ids.h"
#include "tests/controls/listctrl/list_ctrl_test_util.h"

using namespace listctrl_test;

namespace {

constexpr UINT_PTR kScriptTimer = 0x5C12;

// The steps of the running script; each runs at its own timer tick (a tick
// comes only when no input is waiting, so a step sees what the last one
// did). After the last step a few ticks press Esc in case a dialog or menu
// is still open, then the timer stops.
struct Script {
    std::vector<std::function<void()>> steps;
    size_t next = 0;
    int spare = 0;
};

Script& Running() {
    static Script script;
    return script;
}

void CALLBACK RunStep(HWND hWnd, UINT, UINT_PTR id, DWORD) {
    Script& script = Running();
    if (script.next < script.steps.size()) {
        script.steps[script.next++]();
    } else if (++script.spare % 10 == 0 && script.spare <= 50) {
        trelwin::user::InjectKey(VK_ESCAPE, true);
        trelwin::user::InjectKey(VK_ESCAPE, false);
    } else if (script.spare > 50) {
        KillTimer(hWnd, id);
    }
}

HWND FindDialog(const char* caption) {
    struct Search {
        const char* caption;
        HWND found;
    } search{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        char text[64] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        if (IsWindowVisible(hwnd) && std::string(text) == s->caption) s->found = hwnd;
        return s->found == nullptr;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> Entries(HWND dialog, int id) {
    std::vector<std::string> out;
    HWND list = GetDlgItem(dialog, id);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && i < 50; ++i) {
        char text[256] = {};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    return out;
}

int EntryIndex(HWND dialog, int id, const char* text) {
    const std::vector<std::string> entries = Entries(dialog, id);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == text) return static_cast<int>(i);
    }
    return -1;
}

class ColumnDialogs : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        // The translator's log of texts it lacks goes to the test's folder.
        m_savedLogFolder = g_Language.m_strBaseDirectory;
        g_Language.m_strBaseDirectory = m_registry->Path().c_str();
    }
    void TearDown() override {
        KillTimer(m_parent.m_hWnd, kScriptTimer);
        g_Language.m_strBaseDirectory = m_savedLogFolder;
        ListFixture::TearDown();
    }

    std::string MissingLog() const {
        std::ifstream in(m_registry->Path() + "/Lang/missing.txt");
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Right-clicks the header and picks the menu's item by its place;
    // then runs the steps, which find the dialog by its caption.
    void RunMenuCommand(CBriselListCtrl& list, int menuItem, const char* caption,
                        std::vector<std::function<void(HWND)>> steps) {
        Script& script = Running();
        script = Script{};
        for (int i = 0; i <= menuItem; ++i) script.steps.push_back([] { Press(VK_DOWN); });
        script.steps.push_back([] { Press(VK_RETURN); });
        for (auto& step : steps) {
            script.steps.push_back([this, step, caption] {
                HWND dialog = FindDialog(caption);
                if (dialog == nullptr) return;
                ++m_stepsInDialog;
                step(dialog);
            });
        }
        m_stepsInDialog = 0;
        SetTimer(m_parent.m_hWnd, kScriptTimer, 20, &RunStep);
        CRect item;
        list.GetHeader().GetItemRect(0, &item);
        CPoint pt = item.CenterPoint();
        list.GetHeader().ClientToScreen(&pt);
        trelwin::user::InjectMouseClick(pt.x, pt.y, 1, NextTime());
        // The menu and then the dialog run their own loops in here.
        const DWORD start = GetTickCount();
        while (Running().next < Running().steps.size() && GetTickCount() - start < 10000) {
            Sleep(2);
            Pump();
        }
        Pump();
        KillTimer(m_parent.m_hWnd, kScriptTimer);
        EXPECT_EQ(m_stepsInDialog, static_cast<int>(steps.size()));
        EXPECT_EQ(FindDialog(caption), nullptr);
    }

    static void Press(UINT vk) {
        trelwin::user::InjectKey(vk, true);
        trelwin::user::InjectKey(vk, false);
    }

    void ClickControl(HWND dialog, int id, int x = -1, int y = -1) {
        HWND control = GetDlgItem(dialog, id);
        RECT r{};
        GetClientRect(control, &r);
        POINT pt{x >= 0 ? x : r.right / 2, y >= 0 ? y : r.bottom / 2};
        ClientToScreen(control, &pt);
        trelwin::user::InjectMouseClick(pt.x, pt.y, 0, NextTime());
    }

    void ClickEntry(HWND dialog, int id, const char* text, bool twice = false) {
        HWND control = GetDlgItem(dialog, id);
        RECT r{};
        SendMessageA(control, LB_GETITEMRECT, EntryIndex(dialog, id, text), reinterpret_cast<LPARAM>(&r));
        POINT pt{r.left + 10, (r.top + r.bottom) / 2};
        ClientToScreen(control, &pt);
        const DWORD t = NextTime();
        trelwin::user::InjectMouseClick(pt.x, pt.y, 0, t);
        if (twice) trelwin::user::InjectMouseClick(pt.x, pt.y, 0, t + 40);
    }

    int m_stepsInDialog = 0;
    CString m_savedLogFolder;
};

}  // namespace

TEST_F(ColumnDialogs, ChoosingColumnsHidesShowsAndOrdersThem) {
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, DiscoverColumns());
    Fill(list, {{"10.0.0.1", "a", "x", "1", "up"}, {"10.0.0.2", "b", "y", "2", "down"}});
    std::vector<std::string> seenLeft;
    std::vector<std::string> seenRight;
    bool tracking = false;
    RunMenuCommand(list, 0, "Column selection",
                   {[&](HWND d) {
                        seenLeft = Entries(d, IDC_BRISELLIST_AVAILABLE);
                        seenRight = Entries(d, IDC_BRISELLIST_SELECTED);
                        tracking = list.GetHeader().IsTracking();
                        ClickEntry(d, IDC_BRISELLIST_SELECTED, "Type", true);
                    },
                    [&](HWND d) { ClickEntry(d, IDC_BRISELLIST_AVAILABLE, "ID"); },
                    [&](HWND d) { ClickControl(d, IDC_BRISELLIST_ADD); },
                    [&](HWND d) { ClickEntry(d, IDC_BRISELLIST_SELECTED, "Line Status"); },
                    // The up-down's upper arrow moves the entry up by one.
                    [&](HWND d) { ClickControl(d, IDC_BRISELLIST_SPIN, -1, 3); },
                    [&](HWND d) {
                        EXPECT_EQ(Entries(d, IDC_BRISELLIST_SELECTED),
                                  (std::vector<std::string>{"IP", "Name", "Line Status", "Version", "ID"}));
                        // A step of five, as an accelerated up-down sends:
                        // the entry stops at the end of the list.
                        NMUPDOWN step{};
                        step.hdr.hwndFrom = GetDlgItem(d, IDC_BRISELLIST_SPIN);
                        step.hdr.idFrom = IDC_BRISELLIST_SPIN;
                        step.hdr.code = UDN_DELTAPOS;
                        step.iDelta = 5;
                        SendMessageA(d, WM_NOTIFY, IDC_BRISELLIST_SPIN, reinterpret_cast<LPARAM>(&step));
                        EXPECT_EQ(Entries(d, IDC_BRISELLIST_SELECTED),
                                  (std::vector<std::string>{"IP", "Name", "Version", "ID", "Line Status"}));
                        ClickControl(d, IDOK);
                    }});
    EXPECT_EQ(seenLeft, (std::vector<std::string>{"ID"}));
    EXPECT_EQ(seenRight, (std::vector<std::string>{"IP", "Name", "Type", "Version", "Line Status"}));
    EXPECT_TRUE(tracking);
    EXPECT_FALSE(list.GetHeader().IsTracking());
    EXPECT_EQ(Order(list), (std::vector<int>{2, 0, 1, 3, 5, 4}));
    EXPECT_FALSE(list.GetHeader().IsColumnVisible(2));
    EXPECT_EQ(list.GetColumnWidth(2), 0);
    // "ID" shown again is as wide as its heading.
    EXPECT_TRUE(list.GetHeader().IsColumnVisible(5));
    EXPECT_GE(list.GetColumnWidth(5), list.GetStringWidth("ID"));
    EXPECT_LT(list.GetColumnWidth(5), list.GetStringWidth("ID") + 20);
    EXPECT_EQ(list.GetColumnWidth(3), 100);
    // The menu and the dialog went through the translator, which found no
    // text and logged what it showed instead.
    const std::string log = MissingLog();
    EXPECT_NE(log.find("#D00700000# \"Column selection\""), std::string::npos) << log;
    EXPECT_NE(log.find("#M0072# \"&Choose colums\""), std::string::npos) << log;

    // Cancel changes nothing.
    RunMenuCommand(list, 0, "Column selection",
                   {[&](HWND d) { ClickEntry(d, IDC_BRISELLIST_SELECTED, "IP", true); },
                    [&](HWND d) { ClickControl(d, IDCANCEL); }});
    EXPECT_EQ(Order(list), (std::vector<int>{2, 0, 1, 3, 5, 4}));
    EXPECT_TRUE(list.GetHeader().IsColumnVisible(0));
}

TEST_F(ColumnDialogs, OrderByChoosesTheKeysAndAnEmptyChoiceLeavesTheRowsAlone) {
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA, DiscoverColumns());
    list.SetColumnSortType(4, TIPO_ORDENACION_NINGUNA);
    Fill(list, {{"10.0.0.3", "b", "B"}, {"10.0.0.1", "a", "B"}, {"10.0.0.2", "b", "A"}});
    ClickHeader(list, 2);
    ClickHeader(list, 1, true);
    ASSERT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"10.0.0.2", "10.0.0.1", "10.0.0.3"}));

    std::vector<std::string> seenLeft;
    std::vector<std::string> seenRight;
    RunMenuCommand(list, 1, "Columns Order by",
                   {[&](HWND d) {
                        seenLeft = Entries(d, IDC_BRISELLIST_AVAILABLE);
                        seenRight = Entries(d, IDC_BRISELLIST_SELECTED);
                        ClickEntry(d, IDC_BRISELLIST_SELECTED, "Type", true);
                    },
                    [&](HWND d) { ClickEntry(d, IDC_BRISELLIST_SELECTED, "Name", true); },
                    [&](HWND d) {
                        EXPECT_TRUE(Entries(d, IDC_BRISELLIST_SELECTED).empty());
                        ClickControl(d, IDOK);
                    }});
    // The keys in chain order; the sortable other columns, alphabetically.
    EXPECT_EQ(seenRight, (std::vector<std::string>{"Type", "Name"}));
    EXPECT_EQ(seenLeft, (std::vector<std::string>{"ID", "IP", "Version"}));
    EXPECT_TRUE(list.GetHeader().GetSortKeys().empty());
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"10.0.0.2", "10.0.0.1", "10.0.0.3"}));

    // IP then Name as keys: the rows follow at once.
    RunMenuCommand(list, 1, "Columns Order by",
                   {[&](HWND d) { ClickEntry(d, IDC_BRISELLIST_AVAILABLE, "IP", true); },
                    [&](HWND d) { ClickControl(d, IDOK); }});
    EXPECT_EQ(list.GetHeader().GetSortKeys(), (std::vector<int>{0}));
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
}
