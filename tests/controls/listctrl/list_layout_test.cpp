// The device list's column layout in the registry: saved when the list
// goes and applied as the page inserts its columns again; short number
// lists, a foreign column count, layouts left machine-wide, and every kind
// of damaged layout, which is not applied, reported and deleted.
#include <map>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "tests/controls/listctrl/list_ctrl_test_util.h"

using namespace listctrl_test;

namespace {

const char* const kLayoutKey = "SOFTWARE\\BRISEL\\BriselTrelwin\\CBriselListCtrl\\PropertyPageDiscover\\-1\\Columnas";
const char* const kWindowKey = "SOFTWARE\\BRISEL\\BriselTrelwin\\CBriselListCtrl\\PropertyPageDiscover";

using Values = std::map<std::string, std::string>;

// A layout of the Discover page's list as the list writes one: IP 90 wide,
// Type hidden, "ID" hidden, Version then IP first, keys Version up, IP down.
Values SoundLayout() {
    return {{"nColumnas", "6"},
            {"Name_0", "IP"},          {"width_0", "90"},
            {"Name_1", "Name"},        {"width_1", "150"},
            {"Name_2", "Type"},        {"width_2", "0"},
            {"Name_3", "Version"},     {"width_3", "100"},
            {"Name_4", "Line Status"}, {"width_4", "150"},
            {"Name_5", "ID"},          {"width_5", "0"},
            {"OrdenColumnas", "2,5,3,0,1,4"},
            {"Visibles", "1,1,0,1,1,0"},
            {"OrderBy", "1,-1,-1,0,-1,-1"},
            {"OrderByAscDesc", "1,0,0,0,0,0"}};
}

void WriteValues(HKEY root, const char* path, const Values& values) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    for (const auto& [name, text] : values) {
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }
    RegCloseKey(key);
}

Values ReadValues(HKEY root, const char* path) {
    Values values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        char name[256] = {};
        char data[256] = {};
        DWORD nameSize = sizeof name;
        DWORD dataSize = sizeof data - 1;
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS) {
            break;
        }
        values[name] = data;
    }
    RegCloseKey(key);
    return values;
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// What a list shows of its layout.
struct Layout {
    std::vector<int> widths;
    std::vector<int> visible;
    std::vector<int> order;
    std::string keys;
};

}  // namespace

class BriselListLayout : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        m_app = std::make_unique<CWinApp>("BriselTrelwin");
    }
    void TearDown() override {
        ListFixture::TearDown();
        m_app.reset();
    }

    CBriselListCtrl& DiscoverList() { return MakeList(LVS_OWNERDATA, DiscoverColumns()); }

    static Layout Shown(CBriselListCtrl& list) {
        Layout layout;
        CBriselHeaderCtrl& header = list.GetHeader();
        for (int i = 0; i < header.GetItemCount(); ++i) {
            layout.widths.push_back(list.GetColumnWidth(i));
            layout.visible.push_back(header.IsColumnVisible(i) ? 1 : 0);
        }
        layout.order = Order(list);
        for (int column : header.GetSortKeys()) {
            layout.keys += (layout.keys.empty() ? "" : " ") + std::to_string(column) +
                           (header.GetDirection(column) ? "v" : "^");
        }
        return layout;
    }

    static void ExpectLayout(CBriselListCtrl& list, const Layout& expected) {
        const Layout shown = Shown(list);
        EXPECT_EQ(shown.widths, expected.widths);
        EXPECT_EQ(shown.visible, expected.visible);
        EXPECT_EQ(shown.order, expected.order);
        EXPECT_EQ(shown.keys, expected.keys);
    }

    // The Discover page's list over the sound layout with some values
    // changed; what it said on stderr meanwhile.
    CBriselListCtrl& ListOverLayout(const Values& changes, std::string& said) {
        FreshRegistry();
        Values values = SoundLayout();
        for (const auto& [name, text] : changes) values[name] = text;
        WriteValues(HKEY_CURRENT_USER, kLayoutKey, values);
        testing::internal::CaptureStderr();
        CBriselListCtrl& list = DiscoverList();
        said = testing::internal::GetCapturedStderr();
        return list;
    }

    // The Discover page's list as it inserts its columns.
    static Layout Inserted() { return {{150, 150, 150, 100, 150, 0}, {1, 1, 1, 1, 1, 0}, {0, 1, 2, 3, 4, 5}, ""}; }

    std::unique_ptr<CWinApp> m_app;
};

TEST_F(BriselListLayout, ALayoutSavedWhenTheListGoesComesBackWithItsColumns) {
    {
        CBriselListCtrl& list = DiscoverList();
        ExpectLayout(list, Inserted());
        Fill(list, {{"10.0.0.2", "b", "x", "2.0"}, {"10.0.0.1", "a", "y", "1.0"}});
        // The user narrows IP, hides Type, sorts by Version then IP down
        // and moves Version first.
        list.SetColumnWidth(0, 90);
        list.GetHeader().SetTracking(TRUE);
        list.SetColumnWidth(2, 0);
        list.GetHeader().SetColumnVisible(2, FALSE);
        list.GetHeader().SetTracking(FALSE);
        ClickHeader(list, 3);
        ClickHeader(list, 0, true);
        ClickHeader(list, 0, true);
        int order[] = {2, 5, 3, 0, 1, 4};
        list.SetColumnOrderArray(6, order);
        list.DestroyWindow();
    }
    EXPECT_EQ(ReadValues(HKEY_CURRENT_USER, kLayoutKey), SoundLayout());

    CBriselListCtrl& again = DiscoverList();
    ExpectLayout(again, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0}, {2, 5, 3, 0, 1, 4}, "3^ 0v"});
}

TEST_F(BriselListLayout, ShortNumberListsForeignNamesAndOrdersOfAnotherLengthApplyWhatTheySay) {
    struct Case {
        const char* name;
        Values changes;
        Layout expected;
    };
    const Case cases[] = {
        {"the whole layout", {}, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0}, {2, 5, 3, 0, 1, 4}, "3^ 0v"}},
        // Only the first three flags are read: Version stays shown.
        {"three flags", {{"Visibles", "1,1,0"}}, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0}, {2, 5, 3, 0, 1, 4},
                                                  "3^ 0v"}},
        // A blank after the comma ends the list: only IP is a key.
        {"a blank ends the keys", {{"OrderBy", "0, 1"}}, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0},
                                                          {2, 5, 3, 0, 1, 4}, "0v"}},
        {"an empty order", {{"OrdenColumnas", ""}}, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0},
                                                     {2, 5, 0, 1, 3, 4}, "3^ 0v"}},
        // An order with a comma too few or too many is left out; the rest
        // of the layout applies.
        {"order too short", {{"OrdenColumnas", "2,5,3,0,1"}}, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0},
                                                               {2, 5, 0, 1, 3, 4}, "3^ 0v"}},
        {"order too long", {{"OrdenColumnas", "2,5,3,0,1,4,0"}}, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0},
                                                                  {2, 5, 0, 1, 3, 4}, "3^ 0v"}},
        {"order with a comma after it", {{"OrdenColumnas", "2,5,3,0,1,4,"}},
         {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0}, {2, 5, 0, 1, 3, 4}, "3^ 0v"}},
        {"order without commas", {{"OrdenColumnas", "253014"}}, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0},
                                                                 {2, 5, 0, 1, 3, 4}, "3^ 0v"}},
        // A column that now has another heading keeps its inserted width.
        {"a renamed column", {{"Name_0", "Address"}}, {{150, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0},
                                                      {2, 5, 3, 0, 1, 4}, "3^ 0v"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string said;
        CBriselListCtrl& list = ListOverLayout(c.changes, said);
        EXPECT_EQ(said, "");
        ExpectLayout(list, c.expected);
        list.DestroyWindow();
    }
}

TEST_F(BriselListLayout, ADamagedLayoutIsNotAppliedButReportedAndDeleted) {
    struct Case {
        const char* name;
        Values changes;
    };
    const Case cases[] = {
        {"count with letters", {{"nColumnas", "6x"}}},
        {"negative count", {{"nColumnas", "-6"}}},
        {"huge width", {{"width_1", "999999"}}},
        {"negative width", {{"width_1", "-3"}}},
        {"width in words", {{"width_3", "wide"}}},
        {"order with a column twice", {{"OrdenColumnas", "2,5,3,0,1,1"}}},
        {"order past the columns", {{"OrdenColumnas", "2,5,3,0,1,9"}}},
        {"order in words", {{"OrdenColumnas", "2,5,x,0,1,4"}}},
        {"order with an empty place", {{"OrdenColumnas", "2,5,,0,1,4"}}},
        {"a visible flag of 2", {{"Visibles", "1,2,0,1,1,0"}}},
        {"two first keys", {{"OrderBy", "0,0,-1,-1,-1,-1"}}},
        {"a key past the columns", {{"OrderBy", "1,-1,-1,7,-1,-1"}}},
        {"a direction of 5", {{"OrderByAscDesc", "1,5"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string said;
        CBriselListCtrl& list = ListOverLayout(c.changes, said);
        EXPECT_NE(said.find("column layout of list -1 of \"PropertyPageDiscover\""), std::string::npos) << said;
        ExpectLayout(list, Inserted());
        list.DestroyWindow();
    }
    // The same damage met by a list that does not restore its settings
    // first: not applied either, said once.
    FreshRegistry();
    Values values = SoundLayout();
    values["width_1"] = "-3";
    WriteValues(HKEY_CURRENT_USER, kLayoutKey, values);
    testing::internal::CaptureStderr();
    CBriselListCtrl& list = *m_lists.emplace_back(std::make_unique<CBriselListCtrl>());
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, CRect(0, 0, 800, 300), &m_parent,
                            kListId));
    for (size_t i = 0; i < DiscoverColumns().size(); ++i) {
        list.InsertColumn(static_cast<int>(i), DiscoverColumns()[i].first, LVCFMT_CENTER, DiscoverColumns()[i].second);
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("is not applied: width_1 is not a width"), std::string::npos) << said;
    EXPECT_EQ(said.find("is not applied", said.find("is not applied") + 1), std::string::npos) << said;
    EXPECT_EQ(Shown(list).widths, Inserted().widths);
}

TEST_F(BriselListLayout, ALayoutForAnotherNumberOfColumnsIsDeletedWithTheWindowsOtherLists) {
    Values values = SoundLayout();
    values["nColumnas"] = "7";
    WriteValues(HKEY_CURRENT_USER, kLayoutKey, values);
    const std::string otherList = std::string(kWindowKey) + "\\-2\\Columnas";
    WriteValues(HKEY_CURRENT_USER, otherList.c_str(), SoundLayout());
    const std::string otherWindow = "SOFTWARE\\BRISEL\\BriselTrelwin\\CBriselListCtrl\\PropertyPageProgress\\-1";
    WriteValues(HKEY_CURRENT_USER, otherWindow.c_str(), {{"nColumnas", "8"}});
    CBriselListCtrl& list = DiscoverList();
    ExpectLayout(list, Inserted());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kWindowKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, otherWindow.c_str()));
    EXPECT_EQ(list.LoadColumnCount("-1"), -1);
}

TEST_F(BriselListLayout, ALayoutLeftMachineWideMovesToTheUser) {
    WriteValues(HKEY_LOCAL_MACHINE, kLayoutKey, SoundLayout());
    CBriselListCtrl& list = DiscoverList();
    ExpectLayout(list, {{90, 150, 0, 100, 150, 0}, {1, 1, 0, 1, 1, 0}, {2, 5, 3, 0, 1, 4}, "3^ 0v"});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\BRISEL\\BriselTrelwin\\CBriselListCtrl"));
    EXPECT_EQ(ReadValues(HKEY_CURRENT_USER, kLayoutKey), SoundLayout());
}
