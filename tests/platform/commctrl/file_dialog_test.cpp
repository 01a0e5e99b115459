// The open-file dialog in a temporary folder: the listing and its filter,
// folders entered by double click, typed names and paths, the existence
// checks with their message, the default extension and the buffer size.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
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

    // A click in the middle of a column heading, far in time from any other.
    static void ClickHeading(HWND dialog, int column) {
        HWND header = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, IDC_FILE_LIST, LVM_GETHEADER, 0, 0));
        RECT r{};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(header, &p);
        static DWORD time = 5000000;
        time += 2000;
        trelwin::user::InjectMouseClick(p.x, p.y, 0, time);
    }
    static void ClickButton(HWND dialog, const char* text) {
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char title[64] = {};
            GetWindowTextA(child, title, sizeof(title));
            if (std::string(title) != text) continue;
            RECT r{};
            GetWindowRect(child, &r);
            static DWORD time = 7000000;
            time += 2000;
            trelwin::user::InjectMouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2, 0, time);
            return;
        }
        ADD_FAILURE() << "no button " << text;
    }
    static std::string Selected(HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
        const LRESULT index = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        const std::vector<std::string> items = Items(dialog);
        return index < 0 || index >= static_cast<LRESULT>(items.size()) ? std::string("(none)")
                                                                           : items[static_cast<size_t>(index)];
    }
    // Text typed into the path box, each character as a key press.
    static void TypePath(HWND dialog, const std::string& text) {
        HWND edit = GetDlgItem(dialog, IDC_FILE_FOLDER);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        for (char c : text) InjectChar(c);
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

// The details list as a person uses it: headings sort by their column both
// ways with folders first, the size and date columns, letters select by
// name, Enter and Alt+Up move down and up, a place button jumps, the path
// box completes a folder name and Enter opens it.
TEST_F(FileDialogTest, DetailsListSortsMovesAndJumpsByKeysAndClicks) {
    std::ofstream(m_dir / "B.ZPK") << std::string(2048, 'x');
    fs::create_directories(m_dir / "home" / "docs");
    std::ofstream(m_dir / "home" / "docs" / "home.zpk") << "x";
    const std::string home = (m_dir / "home").string();
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    ::setenv("HOME", home.c_str(), 1);
    std::vector<std::vector<std::string>> orders;
    const BOOL ok = Run({[&](HWND dialog) {
                             EXPECT_EQ(Items(dialog), (std::vector<std::string>{"home", "sub", "a.zpk", "B.ZPK"}));
                             EXPECT_EQ(Items(dialog, 1), (std::vector<std::string>{"", "", "1 byte", "2.0 KB"}));
                             ClickHeading(dialog, 1);  // size, smallest first
                             const std::vector<std::string> dates = Items(dialog, 2);
                             ASSERT_EQ(dates.size(), 4u);
                             EXPECT_EQ(dates[2].size(), std::string("2024-05-31 18:08").size());
                         },
                         [&](HWND dialog) {
                             orders.push_back(Items(dialog));
                             ClickHeading(dialog, 1);  // largest first
                         },
                         [&](HWND dialog) {
                             orders.push_back(Items(dialog));
                             ClickHeading(dialog, 0);  // name, A to Z
                         },
                         [&](HWND dialog) {
                             orders.push_back(Items(dialog));
                             ClickHeading(dialog, 0);  // Z to A
                         },
                         [&](HWND dialog) {
                             orders.push_back(Items(dialog));
                             SetFocus(GetDlgItem(dialog, IDC_FILE_LIST));
                             InjectChar('s');
                             InjectChar('u');
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Selected(dialog), "sub");
                             Press(VK_RETURN);
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), (m_dir / "sub").string());
                             InjectChar('I');
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Selected(dialog), "inner.zpk");
                             EXPECT_EQ(Text(dialog, IDC_FILE_NAME), "inner.zpk");
                             InjectKey(VK_MENU, true);
                             Press(VK_UP);
                             InjectKey(VK_MENU, false);
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), m_dirText);
                             EXPECT_EQ(Selected(dialog), "sub");  // the way back is a key away
                             ClickButton(dialog, "&Home");
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), home);
                             EXPECT_EQ(Items(dialog), std::vector<std::string>{"docs"});
                             TypePath(dialog, home + "/d");
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), home + "/docs/");
                             DWORD start = 0, end = 0;
                             SendDlgItemMessageA(dialog, IDC_FILE_FOLDER, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                                 reinterpret_cast<LPARAM>(&end));
                             EXPECT_EQ(start, home.size() + 2);  // the completion stays selected
                             EXPECT_EQ(end, home.size() + 6);
                             Press(VK_RETURN);
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), home + "/docs");
                             EXPECT_EQ(Items(dialog), std::vector<std::string>{"home.zpk"});
                             ClickButton(dialog, "&Root");
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), "/");
                             Press(VK_ESCAPE);
                         }});
    ::setenv("HOME", savedHome.c_str(), 1);
    EXPECT_FALSE(ok);
    const std::vector<std::vector<std::string>> expected = {
        {"home", "sub", "a.zpk", "B.ZPK"},
        {"sub", "home", "B.ZPK", "a.zpk"},
        {"home", "sub", "a.zpk", "B.ZPK"},
        {"sub", "home", "B.ZPK", "a.zpk"},
    };
    EXPECT_EQ(orders, expected);
}

// What cannot be opened is said, and nothing is lost: a folder that went
// away, a link that points nowhere and a file removed after it was listed
// each leave the dialog where it was with the list read again. A dialog
// opened without a folder starts where the last file was chosen.
TEST_F(FileDialogTest, TroublesAreNamedAndTheNextDialogStartsAtTheLastChoice) {
    fs::create_directories(m_dir / "gone");
    fs::create_symlink(m_dir / "nowhere.zpk", m_dir / "dangling.zpk");
    std::vector<std::string> messages;
    auto message = [&](HWND box) {
        messages.push_back(Text(box, 0xFFFF));
        Press(VK_RETURN);
    };
    BOOL ok = Run({[&](HWND dialog) {
                       EXPECT_EQ(Items(dialog),
                                 (std::vector<std::string>{"gone", "sub", "a.zpk", "B.ZPK", "dangling.zpk"}));
                       fs::remove(m_dir / "gone");
                       DoubleClickItem(dialog, "gone");
                   },
                   message,
                   [&](HWND dialog) {
                       EXPECT_EQ(Text(dialog, IDC_FILE_FOLDER), m_dirText);
                       EXPECT_EQ(Items(dialog), (std::vector<std::string>{"sub", "a.zpk", "B.ZPK", "dangling.zpk"}));
                       DoubleClickItem(dialog, "dangling.zpk");
                   },
                   message,
                   [&](HWND dialog) {
                       fs::remove(m_dir / "B.ZPK");
                       DoubleClickItem(dialog, "B.ZPK");
                   },
                   message,
                   [&](HWND dialog) {
                       EXPECT_EQ(Items(dialog), (std::vector<std::string>{"sub", "a.zpk", "dangling.zpk"}));
                       EXPECT_EQ(Text(dialog, IDC_FILE_NAME), "B.ZPK");
                       DoubleClickItem(dialog, "sub");
                   },
                   [&](HWND dialog) { DoubleClickItem(dialog, "inner.zpk"); }});
    ASSERT_TRUE(ok);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            (m_dir / "gone").string() + "\nThe folder no longer exists.",
                            (m_dir / "dangling.zpk").string() + "\nThis link points to a file that does not exist.",
                            (m_dir / "B.ZPK").string() + "\nFile not found.\nCheck the file name and try again.",
                        }));
    m_ofn.lpstrInitialDir = nullptr;
    m_next = 0;
    std::string startedIn;
    ok = Run({[&](HWND dialog) {
        startedIn = Text(dialog, IDC_FILE_FOLDER);
        Press(VK_ESCAPE);
    }});
    EXPECT_FALSE(ok);
    EXPECT_EQ(startedIn, (m_dir / "sub").string());
}

