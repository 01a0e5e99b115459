// Where the package page's Browse opens: at home the first time, then in
// the folder of the package chosen last (kept in the program's settings),
// or in the folder of a package already in the path box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/registry_settings.h"
#include "app/wizard_ids.h"
#include "app/zelo_property_sheet.h"
#include "platform/display/display.h"
#include "platform/user/input.h"
#include "tests/app/wizard_script.h"
#include "tests/platform/afx/afx_wnd_test_util.h"
#include "tests/platform/registry/registry_test_dir.h"

namespace
{

namespace fs = std::filesystem;

void Press(UINT vk)
{
    trelwin::user::InjectKey(vk, true);
    trelwin::user::InjectKey(vk, false);
}

TEST(SelectFileBrowse, OpensWhereTheLastPackageWasChosen)
{
    trelwin::display::use_headless(1024, 768);
    ScopedRegistryDir registry;
    const fs::path root = fs::path(registry.Path()) / "files";
    for (const char* folder : {"home", "first", "second", "third"})
        fs::create_directories(root / folder);
    for (const char* file : {"first/a.zpk", "second/b.zpk", "third/c.zpk"})
        std::ofstream(root / file) << "x";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    ::setenv("HOME", (root / "home").c_str(), 1);

    auto* sheet = new CZeloPropertySheet("");
    auto pageItem = [&](int id) { return ::GetDlgItem(sheet->GetActivePage()->m_hWnd, id); };
    auto browse = [&] {
        ::PostMessageA(sheet->GetActivePage()->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(pageItem(IDC_BROWSE)));
    };
    std::vector<std::string> openedIn;
    auto lookIn = [&] {
        openedIn.push_back(wizard_test::WindowText(::GetDlgItem(::GetActiveWindow(), IDC_FILE_FOLDER)));
        Press(VK_ESCAPE);
    };
    std::string chosen, remembered;
    wizard_test::RunSteps({
        browse,
        [&] {
            openedIn.push_back(wizard_test::WindowText(::GetDlgItem(::GetActiveWindow(), IDC_FILE_FOLDER)));
            ::SetDlgItemTextA(::GetActiveWindow(), IDC_FILE_NAME, (root / "first" / "a.zpk").c_str());
            Press(VK_RETURN);
        },
        [&] {
            chosen = wizard_test::WindowText(pageItem(IDC_PACKAGE_PATH));
            remembered = static_cast<LPCSTR>(ReadRegistryString("LastPackageFolder"));
            // As an earlier run would have left it, with the path box empty.
            WriteRegistryString((root / "second").c_str(), "LastPackageFolder");
            ::SetWindowTextA(pageItem(IDC_PACKAGE_PATH), "");
            browse();
        },
        lookIn,
        [&] {
            ::SetWindowTextA(pageItem(IDC_PACKAGE_PATH), (root / "third" / "c.zpk").c_str());
            browse();
        },
        lookIn,
        [&] {
            // Neither folder exists: the dialog's own memory of this run.
            ::SetWindowTextA(pageItem(IDC_PACKAGE_PATH), (root / "gone" / "x.zpk").c_str());
            WriteRegistryString((root / "gone").c_str(), "LastPackageFolder");
            browse();
        },
        lookIn,
        [&] { sheet->PressButton(PSBTN_CANCEL); },
    });
    sheet->DoModal();
    wizard_test::StopSteps();
    ::setenv("HOME", savedHome.c_str(), 1);
    afx_test::Pump();
    delete sheet;
    trelwin::afx::FreeTemporaryObjects();

    EXPECT_EQ(chosen, (root / "first" / "a.zpk").string());
    EXPECT_EQ(remembered, (root / "first").string());
    EXPECT_EQ(openedIn, (std::vector<std::string>{(root / "home").string(), (root / "second").string(),
                                                  (root / "third").string(), (root / "first").string()}));
}

}
