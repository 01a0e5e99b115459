// The translator: its log lines (format, escapes, the rule that keeps a line
// out when the log already holds a part of it), where the log lives, and
// the walks over a dialog and a menu that put translated texts in place and
// log the rest.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/language/lang_dialog.h"
#include "common/language/language.h"
#include "platform/display/display.h"
#include "platform/resources/string_table.h"
#include "platform/user/dialog_template.h"
#include "tests/platform/afx/afx_wnd_test_util.h"

using trelwin::user::DialogItemTemplate;
using trelwin::user::DialogTemplate;

namespace
{

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A private folder for the log, removed afterwards.
class LogFolder
{
public:
    LogFolder()
    {
        m_path = std::filesystem::path(::testing::TempDir()) /
                 ("trelwin_lang_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_path);
    }
    ~LogFolder() { std::filesystem::remove_all(m_path); }
    std::string Path() const { return m_path.string(); }
    std::string Log() const { return ReadFile(Path() + "/Lang/missing.txt"); }

private:
    std::filesystem::path m_path;
};

TEST(LanguageLog, LinesAreFormattedEscapedAndWrittenOnce)
{
    LogFolder folder;
    CLanguage language;
    language.m_strBaseDirectory = folder.Path().c_str();
    struct Step
    {
        const char* name;
        int kind;
        int id;
        const char* text;
        const char* added;  // "" when the log must stay as it was
    };
    const Step steps[] = {
        {"string", 0, 0x67, "Error de inicialización", "#0067# \"Error de inicialización\"\n"},
        {"menu item with a tab", 1, 0x72, "Sort\tCtrl+S", "#M0072# \"Sort\\tCtrl+S\"\n"},
        {"dialog caption", 2, 0x00700000, "Column selection", "#D00700000# \"Column selection\"\n"},
        {"the same again", 2, 0x00700000, "Column selection", ""},
        {"a line that holds a line of the log", 1, 0x73, "Anything at all", ""},
        {"line breaks", 2, 0x00700001, "a\r\nb", "#D00700001# \"a\\r\\nb\"\n"},
        {"a wide popup key", 1, 0x710002, "Recent", "#M710002# \"Recent\"\n"},
    };
    // A translator's note in the log keeps out every line that contains it.
    std::filesystem::create_directories(folder.Path() + "/Lang");
    std::ofstream(folder.Path() + "/Lang/missing.txt") << "#M0073#\n";
    std::string expected = "#M0073#\n";
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.name);
        language.LogMissing(s.kind, s.id, s.text);
        expected += s.added;
        EXPECT_EQ(folder.Log(), expected);
    }
}

TEST(LanguageLog, LivesInTheUsersDataFolderAndIsSkippedWhenItCannotBeMade)
{
    LogFolder folder;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", folder.Path().c_str(), 1);
    CLanguage language;
    language.LogMissing(0, 0x67, "Error");
    EXPECT_EQ(ReadFile(folder.Path() + "/BriselTrelwin/Lang/missing.txt"), "#0067# \"Error\"\n");

    // A file where the Lang folder should be: nothing is written, nothing fails.
    language.m_strBaseDirectory = (folder.Path() + "/blocked").c_str();
    std::ofstream(folder.Path() + "/blocked") << "x";
    language.LogMissing(0, 0x68, "Lost");
    EXPECT_EQ(ReadFile(folder.Path() + "/blocked"), "x");
    if (saved)
        ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

// Every text the tables lack is a miss worth a line, also when the program
// has no text for it either: the translator learns which ids are asked for.
TEST(LanguageLog, StringsComeFromTheTableThenTheResourcesAndEveryMissIsLogged)
{
    LogFolder folder;
    CLanguage language;
    language.m_strBaseDirectory = folder.Path().c_str();
    trelwin::RegisterString(0x6E0, "Only in the resources");
    language.AddText(CLanguage::TEXT_STRING, 0x6E2, "Übersetzt");
    struct Step
    {
        const char* name;
        int id;
        const char* text;
        const char* added;
    };
    const Step steps[] = {
        {"a resource text", 0x6E0, "Only in the resources", "#06E0# \"Only in the resources\"\n"},
        {"neither table nor resource", 0x6E1, "", "#06E1# \"\"\n"},
        {"translated", 0x6E2, "Übersetzt", ""},
        {"the same miss again", 0x6E1, "", ""},
    };
    std::string expected;
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(std::string(language.GetString(s.id)), s.text);
        expected += s.added;
        EXPECT_EQ(folder.Log(), expected);
    }
}

constexpr WORD kDialogId = 0x2455;
constexpr int kLowStatic = 5;
constexpr int kNamed = 1001;
constexpr int kEdit = 1002;
constexpr int kCombo = 1003;
constexpr int kUntranslated = 1004;
constexpr int kEmptyText = 1005;

const DialogItemTemplate kItems[] = {
    {"STATIC", "Low id", kLowStatic, WS_VISIBLE, 0, 5, 5, 80, 10},
    {"STATIC", "Named", kNamed, WS_VISIBLE, 0, 5, 20, 80, 10},
    {"EDIT", "typed", kEdit, WS_VISIBLE | WS_BORDER, 0, 5, 35, 80, 12},
    {"COMBOBOX", "", kCombo, WS_VISIBLE | CBS_DROPDOWNLIST, 0, 5, 50, 80, 60},
    {"STATIC", "No id", -1, WS_VISIBLE, 0, 5, 65, 80, 10},
    {"BUTTON", "Untranslated", kUntranslated, WS_VISIBLE | BS_PUSHBUTTON, 0, 5, 80, 80, 14},
    {"STATIC", "", kEmptyText, WS_VISIBLE, 0, 5, 100, 80, 10},
};
const DialogTemplate kDialog = {WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 0, 100, 120, "Column selection",
                                "MS Sans Serif", 8, kItems, std::size(kItems)};
const trelwin::user::DialogTemplateRegistration kRegistration(kDialogId, kDialog);

// Fills its combo box before the translation runs, as a dialog whose list
// comes from its resources would have it.
class CComboDialog : public CLangDialog
{
public:
    CComboDialog() : CLangDialog(kDialogId) {}
    BOOL OnInitDialog() override
    {
        ::SendDlgItemMessageA(m_hWnd, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
        ::SendDlgItemMessageA(m_hWnd, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
        return CLangDialog::OnInitDialog();
    }
};

std::string Text(CWnd& dialog, int id)
{
    CString text;
    dialog.GetDlgItem(id)->GetWindowText(text);
    return static_cast<LPCSTR>(text);
}

std::string ComboItems(CWnd& dialog)
{
    std::string items;
    CWnd* combo = dialog.GetDlgItem(kCombo);
    for (int i = 0; i < static_cast<int>(combo->SendMessage(CB_GETCOUNT)); ++i)
    {
        char item[64] = {};
        combo->SendMessage(CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items += std::string(i ? "|" : "") + item;
    }
    return items;
}

class LangDialogTest : public afx_test::AfxWindowTest
{
};

TEST_F(LangDialogTest, OpeningTranslatesWhatTheTablesHoldAndLogsTheRestOnce)
{
    LogFolder folder;
    const CString savedBase = g_Language.m_strBaseDirectory;
    g_Language.m_strBaseDirectory = folder.Path().c_str();
    const int key = kDialogId << 16;

    // First with empty tables: every text stays, the texts are logged.
    {
        CComboDialog dialog;
        ASSERT_TRUE(dialog.Create(kDialogId));
        EXPECT_EQ(Text(dialog, kNamed), "Named");
        dialog.DestroyWindow();
    }
    const std::string firstLog = "#D24550000# \"Column selection\"\n"
                                 "#0005# \"\"\n"
                                 "#D24550005# \"Low id\"\n"
                                 "#D245503E9# \"Named\"\n"
                                 "#D245503EB# \"one\\ntwo\"\n"
                                 "#D245503EC# \"Untranslated\"\n";
    EXPECT_EQ(folder.Log(), firstLog);

    // Then with texts for some: those are put in place; edits and controls
    // without an id keep theirs even when the tables name them.
    g_Language.AddText(CLanguage::TEXT_STRING, kLowStatic, "Niedrig");
    g_Language.AddText(CLanguage::TEXT_DIALOG, key | kNamed, "Benannt");
    g_Language.AddText(CLanguage::TEXT_DIALOG, key | kNamed, "Second entry loses");
    g_Language.AddText(CLanguage::TEXT_DIALOG, key | kCombo, "eins\nzwei\ndrei");
    g_Language.AddText(CLanguage::TEXT_DIALOG, key | kEdit, "never");
    g_Language.AddText(CLanguage::TEXT_DIALOG, key | 0xFFFF, "never");
    {
        CComboDialog dialog;
        ASSERT_TRUE(dialog.Create(kDialogId));
        CString caption;
        dialog.GetWindowText(caption);
        EXPECT_EQ(std::string(caption), "Column selection");
        EXPECT_EQ(Text(dialog, kLowStatic), "Niedrig");
        EXPECT_EQ(Text(dialog, kNamed), "Benannt");
        EXPECT_EQ(ComboItems(dialog), "eins|zwei|drei");
        EXPECT_EQ(Text(dialog, kEdit), "typed");
        EXPECT_EQ(Text(dialog, kUntranslated), "Untranslated");
        char noId[32] = {};
        ::GetWindowTextA(::GetWindow(dialog.GetDlgItem(kCombo)->m_hWnd, GW_HWNDNEXT), noId, sizeof noId);
        EXPECT_STREQ(noId, "No id");
        dialog.DestroyWindow();
    }
    EXPECT_EQ(folder.Log(), firstLog);
    g_Language.m_strBaseDirectory = savedBase;
}

// A caption the tables lack is logged even when it is empty; a control's
// text only when it has one.
TEST_F(LangDialogTest, AMissingCaptionIsLoggedEvenWhenEmpty)
{
    LogFolder folder;
    CLanguage language;
    language.m_strBaseDirectory = folder.Path().c_str();
    struct Case
    {
        const char* caption;
        const char* control;
        const char* log;
    };
    const Case cases[] = {
        {"", "", "#D00330000# \"\"\n"},
        {"", "Label", "#D00330000# \"\"\n#D003300C8# \"Label\"\n"},
        {"Settings", "", "#D00330000# \"Settings\"\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string("caption \"") + c.caption + "\", control \"" + c.control + "\"");
        std::filesystem::remove_all(folder.Path());
        CWnd dialog;
        ASSERT_TRUE(dialog.CreateEx(0, nullptr, c.caption, WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
        ASSERT_NE(::CreateWindowExA(0, "STATIC", c.control, WS_CHILD | WS_VISIBLE, 5, 5, 80, 10, dialog.m_hWnd,
                                    reinterpret_cast<HMENU>(200), nullptr, nullptr),
                  nullptr);
        EXPECT_EQ(language.TranslateDialog(&dialog, 0x33), 1);
        EXPECT_EQ(folder.Log(), c.log);
        dialog.DestroyWindow();
    }
}

// A menu like a list's header menu: two top-level popups, one with an inner
// popup and a separator.
struct TestMenu
{
    TestMenu()
    {
        recent.CreatePopupMenu();
        recent.AppendMenu(MF_STRING, 0x74, "First");
        file.CreatePopupMenu();
        file.AppendMenu(MF_STRING, 0x72, "Open");
        file.AppendMenu(MF_SEPARATOR);
        file.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(recent.Detach()), "Recent");
        edit.CreatePopupMenu();
        edit.AppendMenu(MF_STRING, 0x75, "Copy");
        bar.CreateMenu();
        bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(file.Detach()), "File");
        bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(edit.Detach()), "Edit");
    }
    std::string Item(CMenu* menu, UINT item, UINT flags)
    {
        CString text;
        menu->GetMenuString(item, text, flags);
        return static_cast<LPCSTR>(text);
    }
    CMenu bar, file, edit, recent;
};

TEST(LanguageMenu, WalkPutsFieldsItemTextsAndPopupKeysInPlace)
{
    LogFolder folder;
    CLanguage language;
    language.m_strBaseDirectory = folder.Path().c_str();
    language.AddText(CLanguage::TEXT_MENU, 113, "#Datei#Bearbeiten#");
    language.AddText(CLanguage::TEXT_MENU, 0x72, "Öffnen");
    language.AddText(CLanguage::TEXT_MENU, 113 << 16, "Zuletzt");
    TestMenu menu;
    EXPECT_EQ(language.TranslateMenu(&menu.bar, 113, TRUE), 1);
    CMenu* file = menu.bar.GetSubMenu(0);
    EXPECT_EQ(menu.Item(&menu.bar, 0, MF_BYPOSITION), "Datei");
    EXPECT_EQ(menu.Item(&menu.bar, 1, MF_BYPOSITION), "Bearbeiten");
    EXPECT_EQ(menu.Item(file, 0x72, MF_BYCOMMAND), "Öffnen");
    EXPECT_EQ(menu.Item(file, 2, MF_BYPOSITION), "Zuletzt");
    ASSERT_NE(file->GetSubMenu(2), nullptr);  // still the popup it was
    EXPECT_EQ(menu.Item(file->GetSubMenu(2), 0x74, MF_BYCOMMAND), "First");
    EXPECT_EQ(folder.Log(), "#M0074# \"First\"\n#M0075# \"Copy\"\n");
}

TEST(LanguageMenu, UntranslatedTopLevelTitlesAreLoggedAsOneLine)
{
    LogFolder folder;
    CLanguage language;
    language.m_strBaseDirectory = folder.Path().c_str();
    TestMenu menu;
    language.TranslateMenu(&menu.bar, 113, TRUE);
    EXPECT_EQ(menu.Item(&menu.bar, 0, MF_BYPOSITION), "File");
    EXPECT_EQ(folder.Log(), "#M0072# \"Open\"\n"
                            "#M710000# \"Recent\"\n"
                            "#M0074# \"First\"\n"
                            "#M0075# \"Copy\"\n"
                            "#M0071# \"#File#Edit#\"\n");
}

}  // namespace
