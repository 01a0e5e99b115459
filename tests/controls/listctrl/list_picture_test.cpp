// The Discover page's list as a person sees it: 250 devices in its five
// columns, the unreachable ones red, sorted by type and then by name with
// two header clicks, painted on the virtual screen and kept as a picture
// (artefacts/listctrl in the build folder).
#include <filesystem>
#include <string>
#include <vector>

#include "tests/controls/listctrl/list_ctrl_test_util.h"
#include "tests/controls/listctrl/made_up_devices.h"

#ifndef TRELWIN_LISTCTRL_ARTEFACTS
#define TRELWIN_LISTCTRL_ARTEFACTS "artefacts/listctrl"
#endif

using namespace listctrl_test;

namespace {

constexpr COLORREF kUnreachable = RGB(248, 18, 18);

}  // namespace

class BriselListPicture : public ListFixture {};

TEST_F(BriselListPicture, TwoHundredFiftyDevicesSortedByTypeAndName) {
    CBriselListCtrl& list = MakeList(LVS_OWNERDATA | LVS_SHOWSELALWAYS, DiscoverColumns());
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 250; ++i) rows.push_back(MadeUpDevice(i));
    Fill(list, rows);
    for (int i = 0; i < 250; ++i) {
        if (IsUnreachable(i)) list.SetRowColors(i, RGB(0, 0, 0), kUnreachable);
    }
    ClickHeader(list, 2);
    ClickHeader(list, 1, true);
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.Invalidate();
    Paint();

    // The rows come by type, then by name.
    const std::vector<std::string> types = ColumnTexts(list, 2);
    const std::vector<std::string> names = ColumnTexts(list, 1);
    ASSERT_EQ(types.size(), 250u);
    for (size_t i = 1; i < types.size(); ++i) {
        ASSERT_TRUE(types[i - 1] < types[i] || (types[i - 1] == types[i] && names[i - 1] <= names[i])) << i;
    }
    // The red rows are still the unreachable devices after the sort.
    for (int i = 0; i < list.GetCountPerPage(); ++i) {
        if (i == 2) continue;  // the selected row shows the selection
        const int device = std::stoi(list.GetItemText(i, 5).GetString());
        CRect cell;
        list.GetSubItemRect(i, 4, LVIR_BOUNDS, cell);
        const COLORREF pixel = trelwin::user::GetClientPixel(list.m_hWnd, cell.right - 4, cell.top + 3);
        EXPECT_EQ(pixel == kUnreachable, IsUnreachable(device)) << "row " << i << " device " << device;
    }

    std::filesystem::create_directories(TRELWIN_LISTCTRL_ARTEFACTS);
    const std::string path = std::string(TRELWIN_LISTCTRL_ARTEFACTS) + "/discover_250_devices.png";
    std::string error;
    EXPECT_TRUE(trelwin::user::SaveWindowPng(m_parent.m_hWnd, path, &error)) << error;
}
