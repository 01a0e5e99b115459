// The open-file dialog in a temporary folder: the listing and its filter,
// folders entered by double click, typed names and paths, the existence
// checks with their message, the default extension and the buffer size.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/system_time.h"
#include "platform/commctrl/commctrl.h"
#include "tests/platform/user/window_test_util.h"

using namespace user_test;
using trelwin::commctrl::MatchesFilePattern;
using trelwin::user::InjectChar;
using trelwin::user::InjectKey;
using trelwin::user::InjectMouseButton;
using trelwin::user::InjectMouseMove;

namespace fs = std::filesystem;

namespace {

const char kFilter[] = "Update files (*.zpk)\0*.zpk\0All files\0*.*\0";

class FileDialogTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_dir = fs::temp_directory_path() / ("file_dialog_test_" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "sub");
        for (const char* name : {"a.zpk", "B.ZPK", "notes.txt", "sub/inner.zpk", ".hidden.zpk"}) {
            std::ofstream(m_dir / name) << "x";
        }
        std::memset(m_file, 0, sizeof(m_file));
        m_ofn = OPENFILENAMEA{};
        m_ofn.lStructSize = sizeof(m_ofn);
        m_ofn.lpstrFilter = kFilter;
        m_ofn.nFilterIndex = 1;
        m_ofn.lpstrFile = m_file;
        m_ofn.nMaxFile = sizeof(m_file);
        m_dirText = m_dir.string();
        m_ofn.lpstrInitialDir = m_dirText.c_str();
        m_ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    }
    void TearDown() override {
        WindowTest::TearDown();
        fs::remove_all(m_dir);
    }

    // Runs the dialog; each step runs on a timer message, so after all that
    // the previous step caused, and gets the active window (the dialog, or
    // a message box over it).
    BOOL Run(std::vector<std::function<void(HWND)>> steps) {
        WindowProbe* probe = NewProbe();
        m_steps = std::move(steps);
        probe->handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m != WM_TIMER || w != 77) return DefWindowProcA(h, m, w, l);
            KillTimer(h, 77);
            if (m_next < m_steps.size()) {
                m_steps[m_next++](GetActiveWindow());
                SetTimer(h, 77, 1, nullptr);
            }
            return 0;
        };
        HWND driver = Make(probe, WS_POPUP, 0, 0, 1, 1);
        SetTimer(driver, 77, 1, nullptr);
        const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
            EndDialog(GetActiveWindow(), IDCANCEL);
        });
        const BOOL result = GetOpenFileNameA(&m_ofn);
        KillTimer(nullptr, guard);
        DestroyWindow(driver);
        EXPECT_EQ(m_next, m_steps.size()) << "steps left when the dialog ended";
        return result;
    }

    static void Press(UINT vk) {
        InjectKey(vk, true);
        InjectKey(vk, false);
    }
    static void Type(HWND dialog, const std::string& text) {
        HWND edit = GetDlgItem(dialog, IDC_FILE_NAME);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        for (char c : text) InjectChar(c);
    }
    // The texts of one column of the list, top to bottom.
    static std::vector<std::string> Items(HWND dialog, int column = 0) {
        std::vector<std::string> items;
        HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
        const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
        for (LRESULT i = 0; i < count && i < 100; ++i) {
            char text[256] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            items.push_back(text);
        }
        return items;
    }
    static void GoUpFromTheList(HWND dialog) {
        SetFocus(GetDlgItem(dialog, IDC_FILE_LIST));
        Press(VK_BACK);
    }
    static std::string Text(HWND window, int id) {
        char text[1024] = {};
        GetDlgItemTextA(window, id, text, sizeof(text));
        return text;
    }
    static void DoubleClickItem(HWND dialog, const std::string& item) {
        HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
        const std::vector<std::string> names = Items(dialog);
        const auto found = std::find(names.begin(), names.end(), item);
        ASSERT_NE(found, names.end()) << item;
        RECT r{};
        r.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(found - names.begin()), reinterpret_cast<LPARAM>(&r));
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(list, &p);
        const DWORD t = GetTickCount();
        InjectMouseMove(p.x, p.y, t);
        InjectMouseButton(0, true, t + 1);
        InjectMouseButton(0, false, t + 2);
        InjectMouseButton(0, true, t + 50);
        InjectMouseButton(0, false, t + 51);
    }

    fs::path m_dir;
    std::string m_dirText;
    char m_file[512];
    OPENFILENAMEA m_ofn;
    std::vector<std::function<void(HWND)>> m_steps;
    size_t m_next = 0;
};

}  // namespace

TEST(FilePatternTest, MatchesWildcardsIgnoringCase) {
    EXPECT_TRUE(MatchesFilePattern("update.zpk", "*.zpk"));
    EXPECT_TRUE(MatchesFilePattern("UPDATE.ZPK", "*.zpk"));
    EXPECT_FALSE(MatchesFilePattern("update.zpk.bak", "*.zpk"));
    EXPECT_FALSE(MatchesFilePattern("zpk", "*.zpk"));
    EXPECT_TRUE(MatchesFilePattern("a.b.zpk", "*.zpk"));
    EXPECT_TRUE(MatchesFilePattern("noextension", "*.*"));
    EXPECT_TRUE(MatchesFilePattern("abc", "a?c"));
    EXPECT_FALSE(MatchesFilePattern("abbc", "a?c"));
    EXPECT_TRUE(MatchesFilePattern("fw_v1_2.bin", "fw*v1*.bin"));
    EXPECT_FALSE(MatchesFilePattern("", "?"));
}

TEST_F(FileDialogTest, RefusesAMissingFileWithAMessageThenReturnsATypedPath) {
    m_ofn.lpstrTitle = "Choose an update";
    std::string message;
    const BOOL ok = Run({[&](HWND dialog) {
                             char title[64];
                             GetWindowTextA(dialog, title, sizeof(title));
                             EXPECT_STREQ(title, "Choose an update");
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), m_dirText);
                             EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_FILE_NAME);
                             Type(dialog, "missing.zpk");
                             Press(VK_RETURN);
                         },
                         [&](HWND box) {
                             message = Text(box, 0xFFFF);  // the message box's text
                             Press(VK_RETURN);
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_FILE_NAME);
                             Type(dialog, "nofolder/x.zpk");
                             Press(VK_RETURN);
                         },
                         [&](HWND box) {
                             EXPECT_NE(Text(box, 0xFFFF).find("Path does not exist"), std::string::npos);
                             Press(VK_RETURN);
                         },
                         [&](HWND dialog) {
                             Type(dialog, "sub/../sub/inner.zpk");  // relative to the folder shown
                             Press(VK_RETURN);
                         }});
    EXPECT_EQ(message, (m_dir / "missing.zpk").string() + "\nFile not found.\nCheck the file name and try again.");
    ASSERT_TRUE(ok);
    const std::string expected = (m_dir / "sub" / "inner.zpk").string();
    EXPECT_EQ(std::string(m_file), expected);
    EXPECT_EQ(m_ofn.nFileOffset, expected.size() - std::strlen("inner.zpk"));
    EXPECT_EQ(m_ofn.nFileExtension, expected.size() - 3);
    EXPECT_EQ(m_ofn.nFilterIndex, 1u);
}

TEST_F(FileDialogTest, ListsFoldersAndFilteredFilesEntersFoldersAndSwitchesFilters) {
    const BOOL ok = Run({[&](HWND dialog) {
                             EXPECT_EQ(Items(dialog), (std::vector<std::string>{"sub", "a.zpk", "B.ZPK"}));
                             EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FILE_TYPES, CB_GETCURSEL, 0, 0), 0);
                             SetFocus(GetDlgItem(dialog, IDC_FILE_TYPES));
                             Press(VK_DOWN);  // the second filter
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Items(dialog),
                                       (std::vector<std::string>{"sub", "a.zpk", "B.ZPK", "notes.txt"}));
                             DoubleClickItem(dialog, "sub");
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), (m_dir / "sub").string());
                             EXPECT_EQ(Items(dialog), (std::vector<std::string>{"inner.zpk"}));
                             GoUpFromTheList(dialog);
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), m_dirText);
                             Type(dialog, "*.txt");  // a typed pattern filters
                             Press(VK_RETURN);
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Items(dialog), (std::vector<std::string>{"sub", "notes.txt"}));
                             Type(dialog, (m_dir / "sub").string());  // a typed folder is entered
                             Press(VK_RETURN);
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), (m_dir / "sub").string());
                             EXPECT_EQ(Text(dialog, IDC_FILE_NAME), "");
                             GoUpFromTheList(dialog);
                         },
                         [&](HWND dialog) { DoubleClickItem(dialog, "notes.txt"); }});
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::string(m_file), (m_dir / "notes.txt").string());
    EXPECT_EQ(m_ofn.nFilterIndex, 2u);
}

TEST_F(FileDialogTest, AppendsTheDefaultExtensionAndStartsFromTheGivenName) {
    m_ofn.lpstrDefExt = "zpk";
    const std::string start = (m_dir / "sub" / "inner.zpk").string();
    std::strcpy(m_file, start.c_str());
    const BOOL ok = Run({[&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), (m_dir / "sub").string());
                             EXPECT_EQ(Text(dialog, IDC_FILE_NAME), "inner.zpk");
                             Type(dialog, "../a");
                             Press(VK_RETURN);
                         }});
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::string(m_file), (m_dir / "a.zpk").string());
}

TEST_F(FileDialogTest, HonoursTheBufferSizeAndReportsCancel) {
    const std::string path = (m_dir / "a.zpk").string();
    m_ofn.nMaxFile = static_cast<DWORD>(path.size());  // one short: no room for the null
    BOOL ok = Run({[&](HWND dialog) {
        Type(dialog, path);
        Press(VK_RETURN);
    }});
    EXPECT_FALSE(ok);
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    WORD needed = 0;
    std::memcpy(&needed, m_file, sizeof(needed));
    EXPECT_EQ(needed, path.size() + 1);

    m_ofn.nMaxFile = sizeof(m_file);
    m_next = 0;
    ok = Run({[&](HWND) { Press(VK_ESCAPE); }});
    EXPECT_FALSE(ok);
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    m_ofn.lStructSize = 8;
    EXPECT_FALSE(GetOpenFileNameA(&m_ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
}
