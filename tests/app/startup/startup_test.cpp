// The program's start-up (InitInstance of the program's own application
// object): without sockets only the message of string 103 is shown and the
// wizard never appears; with them the wizard runs, settings left under
// HKEY_LOCAL_MACHINE have moved to the user's key, and Cancel on the first
// page ends it with no other window shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/zelo_trelwin_app.h"
#include "common/base/registry_helpers.h"
#include "platform/display/display.h"
#include "tests/app/wizard_script.h"

using wizard_test::ChildTexts;
using wizard_test::WindowText;

namespace
{

class StartUpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        trelwin::display::use_headless(1024, 768);
        m_registry = std::filesystem::path(::testing::TempDir()) / ("trelwin_startup_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_registry);
        ::setenv("TRELWIN_REGISTRY_DIR", m_registry.c_str(), 1);
    }
    void TearDown() override
    {
        SetSocketsUnavailable(false);
        std::filesystem::remove_all(m_registry);
    }

    std::filesystem::path m_registry;
};

// Every top-level window the script saw active, by its title.
std::vector<std::string>& Seen()
{
    static std::vector<std::string> seen;
    return seen;
}

void NoteActive()
{
    const std::string title = WindowText(::GetActiveWindow());
    if (Seen().empty() || Seen().back() != title)
        Seen().push_back(title);
}

TEST_F(StartUpTest, WithoutSocketsOnlyTheMessageOfString103IsShown)
{
    SetSocketsUnavailable(true);
    Seen().clear();
    std::string texts;
    wizard_test::RunSteps({[&] {
        NoteActive();
        texts = ChildTexts(::GetActiveWindow());
        ::PostMessageA(::GetActiveWindow(), WM_COMMAND, IDOK, 0);
    }});
    EXPECT_FALSE(theApp.InitInstance());
    wizard_test::StopSteps();
    ASSERT_EQ(Seen().size(), 1u);  // the box alone, never the wizard
    EXPECT_EQ(Seen().front().rfind("BriselTrelwin v", 0), std::string::npos);
    EXPECT_NE(texts.find("Error de inicialización de Windows Sockets.|"), std::string::npos) << texts;
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST_F(StartUpTest, TheWizardRunsWithTheUsersSettingsAndCancelEndsIt)
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brisel\\BriselTrelwin", 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "DiscoverDevicesTimeout", 0, REG_SZ, reinterpret_cast<const BYTE*>("7"), 2);
    ::RegCloseKey(key);
    Seen().clear();
    wizard_test::RunSteps({[] { NoteActive(); }, [] { NoteActive(); },
                           [] { ::PostMessageA(::GetActiveWindow(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0); },
                           [] { NoteActive(); }});
    EXPECT_FALSE(theApp.InitInstance());
    wizard_test::StopSteps();
    ASSERT_FALSE(Seen().empty());
    EXPECT_EQ(Seen().front().rfind("BriselTrelwin v", 0), 0u) << Seen().front();
    EXPECT_LE(Seen().size(), 2u);  // the wizard, then nothing once it has gone
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);

    char value[16] = {};
    DWORD size = sizeof value;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Brisel\\BriselTrelwin", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegQueryValueExA(key, "DiscoverDevicesTimeout", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_STREQ(value, "7");
    EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brisel\\BriselTrelwin", 0, KEY_READ, &key),
              ERROR_SUCCESS);
}

}  // namespace
