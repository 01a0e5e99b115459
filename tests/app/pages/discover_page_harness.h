// Shared by the Discover page's tests and benchmark: the wizard sheet run on
// the virtual screen starting on the Discover page, inside the private
// network that private_network.sh makes (activating the page broadcasts on
// every interface, so the fixture refuses to run anywhere else); discovery
// messages made by hand; and the list read back through the list view's
// own messages.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/pages/property_page_discover.h"
#include "app/registry_settings.h"
#include "app/wizard_ids.h"
#include "app/zelo_property_sheet.h"
#include "common/discover/discover_info.h"
#include "common/discover/multi_discover.h"
#include "platform/base/system_time.h"
#include "platform/display/display.h"
#include "platform/user/input.h"
#include "tests/app/wizard_script.h"
#include "tests/net/standin_process.h"
#include "tests/platform/afx/afx_wnd_test_util.h"
#include "tools/package_maker/package_maker.h"

namespace discover_page_test
{

using discovery_test::PrivateNetwork;

// What the sheet's first page would have chosen for a package.
struct Package
{
    int family = 4;
    int expectedType = -1;
    int familyPackage = 1;
    int subFamily = 1;
    int testMode = 0;
};

// A package of the family-4 type 23 in the folder; its path.
inline std::string WritePackage(const std::filesystem::path& folder)
{
    namespace pm = package_maker;
    pm::Image image;
    image.sections = pm::MakeDeviceTypeSections(23);
    image.sections.push_back(pm::MakeSection(0x0A0D, 1, "02.5.6", std::string(100, 'b')));
    const std::string path = (folder / "update.zpk").string();
    std::string error;
    EXPECT_TRUE(pm::WriteFile(path, pm::EncryptPackage(pm::BuildImage(image)), error)) << error;
    return path;
}

// The package path is that of the environment's TRELWIN_TEST_PACKAGE (the
// fixture writes one), so that a run that goes on to the progress page
// finds a package to read.
inline void ApplyPackage(CZeloPropertySheet& sheet, const Package& p)
{
    const char* package = std::getenv("TRELWIN_TEST_PACKAGE");
    sheet.m_strPackagePath = package != nullptr ? package : "";
    sheet.m_nFamily = p.family;
    sheet.m_nExpectedDeviceType = p.expectedType;
    sheet.m_nFamilyPackage = p.familyPackage;
    sheet.m_nSubFamily = p.subFamily;
    sheet.m_nTestMode = p.testMode;
}

// A device as the discoverer reports it: found always; a version message
// when version is not null; a settings message when name is not null.
struct FakeDevice
{
    std::string address;
    int type = 23;
    const char* version = nullptr;
    const char* name = nullptr;
    const char* status = "";
    UINT port = 50013;
};

inline void PostSettings(HWND page, const FakeDevice& d, CBriselDiscoverInfo* info)
{
    CDeviceSettings settings;
    settings.s1 = d.name;
    settings.s2 = d.status;
    const int size = settings.Write(nullptr);
    void* datagram = std::malloc(static_cast<size_t>(size));
    settings.Write(static_cast<BYTE*>(datagram));
    ::PostMessageA(page, MSG_DISCOVER_DEVICE_SETTINGS, reinterpret_cast<WPARAM>(datagram),
                   reinterpret_cast<LPARAM>(info));
}

inline void PostDevice(HWND page, const FakeDevice& d)
{
    ::PostMessageA(page, MSG_DISCOVER_DEVICE_FOUND,
                   reinterpret_cast<WPARAM>(new CBriselDiscoverInfo(d.address.c_str(), d.port, d.type, "")), 0);
    if (d.version != nullptr)
        ::PostMessageA(page, MSG_DISCOVER_DEVICE_VERSION,
                       reinterpret_cast<WPARAM>(new CBriselDiscoverInfo(d.address.c_str(), d.port, d.type, d.version)),
                       0);
    if (d.name != nullptr)
        PostSettings(page, d, new CBriselDiscoverInfo(d.address.c_str(), d.port, d.type, ""));
}

// One row as the list view shows it: the five texts and the image.
struct Row
{
    std::string ip, name, type, version, status;
    int image = -1;
};

inline std::string ItemText(HWND list, int row, int column)
{
    char text[512] = {};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

inline int ItemImage(HWND list, int row)
{
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = -1;
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

inline std::vector<Row> ListRows(HWND list)
{
    std::vector<Row> rows;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        rows.push_back({ItemText(list, i, 0), ItemText(list, i, 1), ItemText(list, i, 2), ItemText(list, i, 3),
                        ItemText(list, i, 4), ItemImage(list, i)});
    }
    return rows;
}

// The row images in row order as digits, e.g. "0102".
inline std::string Images(HWND list)
{
    std::string images;
    for (const Row& row : ListRows(list))
        images += static_cast<char>('0' + row.image);
    return images;
}

// The row whose first column reads the text, -1 when none does.
inline int FindRow(HWND list, const std::string& ip)
{
    const std::vector<Row> rows = ListRows(list);
    for (size_t i = 0; i < rows.size(); ++i)
    {
        if (rows[i].ip == ip)
            return static_cast<int>(i);
    }
    return -1;
}

// Screen points on a row: the middle of its image, and a point on its
// "Name" text.
inline POINT RowImagePoint(HWND list, int row)
{
    RECT icon{};
    icon.left = LVIR_ICON;
    ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon));
    POINT at{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    ::ClientToScreen(list, &at);
    return at;
}

inline POINT RowTextPoint(HWND list, int row)
{
    POINT at = RowImagePoint(list, row);
    at.x += 200;
    return at;
}

class Clock
{
public:
    DWORD Next() { return m_time += 1000; }
    DWORD Soon() { return m_time += 50; }

private:
    DWORD m_time = ::GetTickCount();
};

// A click (or a double click) at a screen point; each click far enough in
// time from the last that no double click is made by chance.
inline void Click(Clock& clock, POINT at)
{
    trelwin::user::InjectMouseClick(at.x, at.y, 0, clock.Next());
}

inline void DoubleClick(Clock& clock, POINT at)
{
    trelwin::user::InjectMouseClick(at.x, at.y, 0, clock.Next());
    trelwin::user::InjectMouseClick(at.x, at.y, 0, clock.Soon());
}

inline void PressKey(UINT key)
{
    trelwin::user::InjectKey(key, true);
    trelwin::user::InjectKey(key, false);
}

// Runs the sheet with the steps (one per timer tick); the result of DoModal.
inline INT_PTR RunSheet(CZeloPropertySheet& sheet, std::vector<std::function<void()>> steps)
{
    wizard_test::RunSteps(std::move(steps));
    const INT_PTR result = sheet.DoModal();
    wizard_test::StopSteps();
    return result;
}

inline HWND PageOf(CZeloPropertySheet& sheet)
{
    CPropertyPage* page = sheet.GetActivePage();
    return page != nullptr ? page->m_hWnd : nullptr;
}

inline HWND PageItem(CZeloPropertySheet& sheet, int id)
{
    return ::GetDlgItem(PageOf(sheet), id);
}

inline void ClickButton(CZeloPropertySheet& sheet, int id)
{
    ::SendMessageA(PageOf(sheet), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(PageItem(sheet, id)));
}

// The text of the active window's children, for the message boxes.
inline std::string BoxTexts()
{
    return wizard_test::ChildTexts(::GetActiveWindow());
}

// The fixture: the virtual screen, a registry of the test's own with short
// discovery times, and the check that only the private network's interface
// can broadcast here.
class DiscoverPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_net = PrivateNetwork::FromEnvironment();
        if (!m_net.IsPresent())
            GTEST_SKIP() << "not inside the private network of tests/net/private_network.sh: the page broadcasts";
        CBriselMultiDiscover probe;
        CStringList addresses;
        probe.ListLocalAddresses(addresses);
        ASSERT_EQ(addresses.GetCount(), 1) << "more than the private interface can broadcast here: not broadcasting";
        ASSERT_EQ(std::string(static_cast<LPCTSTR>(addresses.GetHead())), m_net.programAddress);
        trelwin::display::use_headless(1024, 768);
        m_registry = std::filesystem::path(::testing::TempDir()) /
                     ("trelwin_discover_" + std::to_string(::getpid()) + "_" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_registry);
        std::filesystem::create_directories(m_registry);
        ::setenv("TRELWIN_REGISTRY_DIR", m_registry.c_str(), 1);
        // A run of one receive attempt where no device is wanted; a short
        // one for typed addresses.
        WriteRegistryString("0", "DiscoverDevicesTimeout");
        WriteRegistryString("1", "DiscoverManualDevicesTimeout");
        // The progress page, where some tests end, gives up on an absent
        // device soon.
        WriteRegistryString("200", "UpgradePacketTimeout");
        WriteRegistryString("400", "UpgradeResetTimeout");
        ::setenv("TRELWIN_TEST_PACKAGE", WritePackage(m_registry).c_str(), 1);
    }

    void TearDown() override
    {
        afx_test::Pump();
        trelwin::afx::FreeTemporaryObjects();
        if (!m_registry.empty())
            std::filesystem::remove_all(m_registry);
    }

    void StartDevices(discovery_test::CStandinProcess& standin, const std::vector<std::string>& lines,
                      const std::vector<std::string>& options = {"--listen-broadcast"})
    {
        std::string error;
        ASSERT_TRUE(standin.Start(m_net, lines, error, options)) << error;
    }

    std::string Dev(int n) const { return m_net.Device(n); }

    PrivateNetwork m_net;
    std::filesystem::path m_registry;
};

}  // namespace discover_page_test
