// Helpers of the device list tests: a page-like parent window (a framework
// window, so that the list gets its own notifications back) on a fresh
// virtual screen, a private registry, lists with the Discover page's
// columns, and reading a column or the header back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/afx/afx.h"
#include "platform/base/process.h"
#include "platform/base/system_time.h"
#include "platform/display/display.h"
#include "platform/user/input.h"
#include "platform/user/painting.h"
#include "tests/platform/afx/afx_wnd_test_util.h"
#include "tests/platform/registry/registry_test_dir.h"

namespace listctrl_test {

constexpr UINT kListId = 1000;

// The Discover page's columns and their widths.
inline const std::vector<std::pair<const char*, int>>& DiscoverColumns() {
    static const std::vector<std::pair<const char*, int>> columns = {
        {"IP", 150}, {"Name", 150}, {"Type", 150}, {"Version", 100}, {"Line Status", 150}};
    return columns;
}

using afx_test::DestroyThreadWindows;
using afx_test::Pump;

class ListFixture : public ::testing::Test {
protected:
    void SetUp() override {
        trelwin::display::use_headless(900, 700);
        m_registry = std::make_unique<ScopedRegistryDir>();
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "PropertyPageDiscover", WS_POPUP | WS_VISIBLE, 0, 0, 860, 640,
                                      nullptr, nullptr));
    }
    void TearDown() override {
        for (UINT vk : {VK_SHIFT, VK_CONTROL}) trelwin::user::InjectKey(vk, false);
        trelwin::user::InjectMouseButton(0, false);
        trelwin::user::InjectMouseButton(1, false);
        m_lists.clear();
        m_parent.DestroyWindow();
        DestroyThreadWindows();
        trelwin::afx::FreeTemporaryObjects();
        m_registry.reset();
    }

    // Forgets every stored layout (a list that went saved its own).
    void FreshRegistry() {
        m_registry.reset();
        m_registry = std::make_unique<ScopedRegistryDir>();
    }

    // A list in the parent as a page makes it: RestoreSettings, then each
    // column with its sort kind.
    CBriselListCtrl& MakeList(DWORD style, const std::vector<std::pair<const char*, int>>& columns,
                              _eTipoOrdenacion kind = TIPO_ORDENACION_TEXTO, CRect rect = CRect(10, 10, 850, 630)) {
        m_lists.push_back(std::make_unique<CBriselListCtrl>());
        CBriselListCtrl& list = *m_lists.back();
        EXPECT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_ALIGNLEFT | style, rect, &m_parent, kListId));
        int count = static_cast<int>(columns.size());
        list.RestoreSettings(&count);
        for (size_t i = 0; i < columns.size(); ++i) {
            EXPECT_EQ(list.InsertColumn(static_cast<int>(i), columns[i].first, LVCFMT_CENTER, columns[i].second),
                      static_cast<int>(i));
            list.SetColumnSortType(static_cast<int>(i), kind);
        }
        return list;
    }

    // Rows of texts, one InsertItem and SetItemText per cell.
    static void Fill(CBriselListCtrl& list, const std::vector<std::vector<std::string>>& rows) {
        for (const auto& row : rows) {
            const int at = list.InsertItem(list.GetItemCount(), row[0].c_str());
            ASSERT_GE(at, 0);
            for (size_t c = 1; c < row.size(); ++c) list.SetItemText(at, static_cast<int>(c), row[c].c_str());
        }
    }

    static std::vector<std::string> ColumnTexts(const CBriselListCtrl& list, int column) {
        std::vector<std::string> out;
        for (int i = 0; i < list.GetItemCount(); ++i) out.emplace_back(list.GetItemText(i, column));
        return out;
    }

    static std::string HeaderText(CBriselListCtrl& list, int column) {
        return static_cast<LPCSTR>(list.GetHeader().GetColumnText(column));
    }

    static std::vector<int> Order(CBriselListCtrl& list) {
        std::vector<int> order(static_cast<size_t>(list.GetHeader().GetItemCount()));
        list.GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
        return order;
    }

    // A click in the middle of a header item, with Shift held or not.
    void ClickHeader(CBriselListCtrl& list, int column, bool shift = false, int button = 0) {
        CRect item;
        ASSERT_TRUE(list.GetHeader().GetItemRect(column, &item));
        CPoint pt = item.CenterPoint();
        list.GetHeader().ClientToScreen(&pt);
        if (shift) trelwin::user::InjectKey(VK_SHIFT, true);
        trelwin::user::InjectMouseClick(pt.x, pt.y, button, NextTime());
        if (shift) trelwin::user::InjectKey(VK_SHIFT, false);
        Pump();
    }

    // A left-button drag in the header from one client x to another.
    void DragHeader(CBriselListCtrl& list, int fromX, int toX) {
        CRect client;
        list.GetHeader().GetClientRect(&client);
        CPoint from(fromX, client.Height() / 2);
        CPoint to(toX, client.Height() / 2);
        list.GetHeader().ClientToScreen(&from);
        list.GetHeader().ClientToScreen(&to);
        trelwin::user::InjectMouseMove(from.x, from.y, NextTime());
        trelwin::user::InjectMouseButton(0, true, NextTime());
        Pump();
        for (int step = 1; step <= 4; ++step) {
            trelwin::user::InjectMouseMove(from.x + (to.x - from.x) * step / 4, to.y, NextTime());
            Pump();
        }
        trelwin::user::InjectMouseButton(0, false, NextTime());
        Pump();
    }

    // Times far enough apart that two clicks never make a double click.
    DWORD NextTime() {
        m_time += 2000;
        return m_time;
    }

    // Paints everything that waits to be painted.
    void Paint() {
        m_parent.UpdateWindow();
        for (auto& list : m_lists) {
            if (list->m_hWnd != nullptr) list->UpdateWindow();
        }
        Pump();
    }

    CWnd m_parent;
    std::unique_ptr<ScopedRegistryDir> m_registry;
    std::vector<std::unique_ptr<CBriselListCtrl>> m_lists;
    DWORD m_time = 1000000;
};

}  // namespace listctrl_test
