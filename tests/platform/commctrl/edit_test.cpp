// The single-line edit control driven by injected keys and mouse input:
// typing, selection, the clipboard, EN_CHANGE, read-only, scrolling to the
// caret and the text limit.
#include <cstring>

#include "platform/user/global_memory.h"
#include "tests/platform/commctrl/classic_control_test_util.h"

using namespace control_test;

namespace {

constexpr int kId = 1006;

class EditTest : public ControlParentTest {
protected:
    HWND NewEdit(DWORD style = ES_AUTOHSCROLL, int width = 200, const char* text = "") {
        HWND edit = Control("EDIT", text, style | WS_TABSTOP, 10, 10, width, 22, kId, WS_EX_CLIENTEDGE);
        SetFocus(edit);
        Pump();
        m_notes.clear();
        return edit;
    }
    static std::string Text(HWND edit) {
        char buffer[512] = {};
        GetWindowTextA(edit, buffer, sizeof(buffer));
        return buffer;
    }
    static std::pair<int, int> Selection(HWND edit) {
        DWORD start = 0, end = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
    }
    static int CharX(HWND edit, int index) {
        return static_cast<short>(LOWORD(SendMessageA(edit, EM_POSFROMCHAR, index, 0)));
    }
    static std::string ClipboardText() {
        std::string text;
        if (!OpenClipboard(nullptr)) return "<busy>";
        if (HANDLE memory = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(memory));
            GlobalUnlock(memory);
        }
        CloseClipboard();
        return text;
    }
};

TEST_F(EditTest, TypingInsertsAtTheCaretAndNotifiesEachChange) {
    HWND edit = NewEdit();
    EXPECT_EQ(CaretWindow(), edit);
    Type("Abc 12");
    EXPECT_EQ(Text(edit), "Abc 12");
    EXPECT_EQ(GetWindowTextLengthA(edit), 6);
    EXPECT_EQ(Count(kId, EN_CHANGE), 6);
    EXPECT_EQ(Count(kId, EN_UPDATE), 6);
    EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
    POINT caret{};
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, CharX(edit, 6));
    // In the middle, then Backspace and Delete around the caret.
    Press(VK_LEFT);
    Press(VK_LEFT);
    Type("x");
    EXPECT_EQ(Text(edit), "Abc x12");
    Press(VK_BACK);
    Press(VK_BACK);
    Press(VK_DELETE);
    EXPECT_EQ(Text(edit), "Abc2");
    EXPECT_EQ(Selection(edit), std::make_pair(3, 3));
    // Keys that are not text change nothing.
    const int changes = Count(kId, EN_CHANGE);
    Press(VK_RETURN);
    Press(VK_ESCAPE);
    Press(VK_TAB);
    EXPECT_EQ(Text(edit), "Abc2");
    EXPECT_EQ(Count(kId, EN_CHANGE), changes);
    // Ink of the text in the window's text colour on the window colour.
    EXPECT_GT(CountColour(edit, ClientOf(edit), GetSysColor(COLOR_WINDOWTEXT)), 10);
    EXPECT_EQ(GetClientPixel(edit, ClientOf(edit).right - 2, 2), GetSysColor(COLOR_WINDOW));
}

TEST_F(EditTest, ShiftArrowsHomeAndEndSelectAndTypingReplaces) {
    HWND edit = NewEdit(ES_AUTOHSCROLL, 200, "alpha beta");
    SendMessageA(edit, EM_SETSEL, 10, 10);
    Key(VK_SHIFT, true);
    Press(VK_LEFT);
    Press(VK_LEFT);
    Key(VK_SHIFT, false);
    EXPECT_EQ(Selection(edit), std::make_pair(8, 10));
    // The selection is drawn highlighted.
    const RECT selected{CharX(edit, 8) + 1, 2, CharX(edit, 10) - 1, 12};
    EXPECT_GT(CountColour(edit, selected, GetSysColor(COLOR_HIGHLIGHT)), 0);
    Type("X");
    EXPECT_EQ(Text(edit), "alpha beX");
    Key(VK_SHIFT, true);
    Press(VK_HOME);
    Key(VK_SHIFT, false);
    EXPECT_EQ(Selection(edit), std::make_pair(0, 9));
    Press(VK_RIGHT);  // collapses to the end of the selection
    EXPECT_EQ(Selection(edit), std::make_pair(9, 9));
    Key(VK_CONTROL, true);
    Key(VK_SHIFT, true);
    Press(VK_LEFT);  // a word at a time
    Key(VK_SHIFT, false);
    Key(VK_CONTROL, false);
    EXPECT_EQ(Selection(edit), std::make_pair(6, 9));
    Chord(VK_CONTROL, 'A');
    EXPECT_EQ(Selection(edit), std::make_pair(0, 9));
    // EM_SETSEL with -1 as the end selects to the end; the caret is at the second index.
    SendMessageA(edit, EM_SETSEL, 3, -1);
    EXPECT_EQ(Selection(edit), std::make_pair(3, 9));
    SendMessageA(edit, EM_SETSEL, 7, 2);
    EXPECT_EQ(Selection(edit), std::make_pair(2, 7));
    POINT caret{};
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, CharX(edit, 2));
    EXPECT_EQ(Count(kId, EN_CHANGE), 1);  // only the typing changed the text
}

TEST_F(EditTest, MouseDragAndDoubleClickSelect) {
    HWND edit = NewEdit(ES_AUTOHSCROLL, 200, "alpha beta gamma");
    SetFocus(m_parent);
    Pump();
    MoveTo(edit, CharX(edit, 1), 8);
    Button(true);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(GetCapture(), edit);
    MoveTo(edit, CharX(edit, 4) + 1, 8);
    MoveTo(edit, CharX(edit, 8), 8);
    Button(false);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Selection(edit), std::make_pair(1, 8));
    // Shift+click extends from the anchor.
    Key(VK_SHIFT, true);
    ClickAt(edit, CharX(edit, 12), 8);
    Key(VK_SHIFT, false);
    EXPECT_EQ(Selection(edit), std::make_pair(1, 12));
    // A double click selects the word under it.
    const POINT at = OnScreen(edit, CharX(edit, 7) + 2, 8);
    trelwin::user::InjectMouseMove(at.x, at.y, 5000);
    for (DWORD t : {5010u, 5020u, 5060u, 5070u}) trelwin::user::InjectMouseButton(0, t == 5010u || t == 5060u, t);
    Pump();
    EXPECT_EQ(Selection(edit), std::make_pair(6, 10));
    EXPECT_EQ(Count(kId, EN_CHANGE), 0);
}

TEST_F(EditTest, CutCopyAndPasteGoThroughTheClipboard) {
    HWND edit = NewEdit(ES_AUTOHSCROLL, 200, "one two");
    SendMessageA(edit, EM_SETSEL, 4, 7);
    Chord(VK_CONTROL, 'C');
    EXPECT_EQ(ClipboardText(), "two");
    EXPECT_EQ(Text(edit), "one two");
    Chord(VK_CONTROL, 'X');
    EXPECT_EQ(Text(edit), "one ");
    EXPECT_EQ(ClipboardText(), "two");
    Press(VK_HOME);
    Chord(VK_CONTROL, 'V');
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(Text(edit), "twotwoone ");
    EXPECT_EQ(Selection(edit), std::make_pair(6, 6));
    EXPECT_EQ(Count(kId, EN_CHANGE), 3);
    // Shift+Delete cuts, Shift+Insert pastes, Ctrl+Z takes the last change back.
    SendMessageA(edit, EM_SETSEL, 6, 9);
    Chord(VK_SHIFT, VK_DELETE);
    EXPECT_EQ(ClipboardText(), "one");
    EXPECT_EQ(Text(edit), "twotwo ");
    Chord(VK_SHIFT, VK_INSERT);
    EXPECT_EQ(Text(edit), "twotwoone ");
    Chord(VK_CONTROL, 'Z');
    EXPECT_EQ(Text(edit), "twotwo ");
    // A line break in pasted text ends what is taken.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
    std::strcpy(static_cast<char*>(GlobalLock(memory)), "ab\r\ncd");
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(edit), "twotwoab ");
}

TEST_F(EditTest, ChangeNotificationsFollowTheRules) {
    HWND edit = NewEdit();
    SetWindowTextA(edit, "C:\\update.zpk");
    EXPECT_EQ(Count(kId, EN_CHANGE), 1);  // a single-line edit tells of set text too
    EXPECT_EQ(Text(edit), "C:\\update.zpk");
    EXPECT_FALSE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
    EXPECT_EQ(Selection(edit), std::make_pair(0, 0));
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
    EXPECT_EQ(Count(kId, EN_CHANGE), 1);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("new"));
    EXPECT_EQ(Text(edit), "new");
    EXPECT_EQ(Count(kId, EN_CHANGE), 2);
    // Nothing to delete: no change, no notification.
    Press(VK_END);
    Press(VK_DELETE);
    Press(VK_HOME);
    Press(VK_BACK);
    EXPECT_EQ(Count(kId, EN_CHANGE), 2);
    // Focus notifications.
    SetFocus(m_parent);
    Pump();
    EXPECT_EQ(Count(kId, EN_KILLFOCUS), 1);
    EXPECT_NE(CaretWindow(), edit);
    SetFocus(edit);
    Pump();
    EXPECT_EQ(Count(kId, EN_SETFOCUS), 1);
    EXPECT_EQ(CaretWindow(), edit);
    // WM_GETTEXT cuts to the buffer.
    char small[3] = {'x', 'x', 'x'};
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, sizeof(small), reinterpret_cast<LPARAM>(small)), 2);
    EXPECT_STREQ(small, "ne");
}

TEST_F(EditTest, ReadOnlyRefusesInputButCopiesAndLooksIt) {
    HWND edit = NewEdit(ES_AUTOHSCROLL | ES_READONLY, 200, "fixed text");
    EXPECT_EQ(GetClientPixel(edit, ClientOf(edit).right - 2, 2), GetSysColor(COLOR_3DFACE));
    Type("abc");
    Press(VK_BACK);
    Press(VK_DELETE);
    Chord(VK_CONTROL, 'A');
    Chord(VK_CONTROL, 'C');
    Chord(VK_CONTROL, 'X');
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(Text(edit), "fixed text");
    EXPECT_EQ(ClipboardText(), "fixed text");
    EXPECT_EQ(Count(kId, EN_CHANGE), 0);
    EXPECT_EQ(Selection(edit), std::make_pair(0, 10));
    // The parent colours it as a static.
    ColourControls(WM_CTLCOLORSTATIC, RGB(200, 200, 100), RGB(0, 0, 0), RGB(200, 200, 100));
    InvalidateRect(edit, nullptr, TRUE);
    Pump();
    EXPECT_EQ(GetClientPixel(edit, ClientOf(edit).right - 2, 2), RGB(200, 200, 100));
    // Writable again.
    EXPECT_TRUE(SendMessageA(edit, EM_SETREADONLY, FALSE, 0));
    Pump();
    EXPECT_EQ(GetClientPixel(edit, ClientOf(edit).right - 2, 2), GetSysColor(COLOR_WINDOW));
    Press(VK_END);
    Type("s");
    EXPECT_EQ(Text(edit), "fixed texts");
}

TEST_F(EditTest, AutomaticScrollingKeepsTheCaretInView) {
    HWND edit = NewEdit(ES_AUTOHSCROLL, 80);
    const RECT client = ClientOf(edit);
    Type("abcdefghijklmnopqrstuvwxyz0123456789");
    EXPECT_EQ(Text(edit).size(), 36u);
    EXPECT_GT(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 10);
    POINT caret{};
    GetCaretPos(&caret);
    EXPECT_GE(caret.x, client.left);
    EXPECT_LT(caret.x, client.right);
    EXPECT_EQ(caret.x, CharX(edit, 36));
    Press(VK_HOME);
    EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, 1);
    for (int i = 0; i < 20; ++i) Press(VK_RIGHT);
    GetCaretPos(&caret);
    EXPECT_GE(caret.x, client.left);
    EXPECT_LT(caret.x, client.right);
    EXPECT_GT(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    // Dragging past the right edge scrolls on.
    Press(VK_HOME);
    MoveTo(edit, 5, 8);
    Button(true);
    MoveTo(edit, client.right + 40, 8);
    Button(false);
    EXPECT_GT(Selection(edit).second, 10);
    EXPECT_GT(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(EditTest, HoldingTheMouseBeyondTheEdgeGoesOnScrolling) {
    HWND edit = NewEdit(ES_AUTOHSCROLL, 80, "abcdefghijklmnopqrstuvwxyz");
    MoveTo(edit, 5, 8);
    Button(true);
    MoveTo(edit, ClientOf(edit).right + 3, 8);
    const int reached = Selection(edit).second;
    EXPECT_LT(reached, 26);
    // Without moving, the selection grows by the timer until the end.
    EXPECT_TRUE(PumpUntil([&] { return Selection(edit).second == 26; }, 8000));
    EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0) > 0, true);
    Button(false);
    // Back to the start on the left.
    MoveTo(edit, 30, 8);
    Button(true);
    MoveTo(edit, -5, 8);  // still over the parent
    EXPECT_TRUE(PumpUntil([&] { return Selection(edit).first == 0; }, 8000));
    EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    Button(false);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditTest, PasswordNumberAndCaseStyles) {
    HWND password = NewEdit(ES_AUTOHSCROLL | ES_PASSWORD);
    Type("secret");
    EXPECT_EQ(Text(password), "secret");
    EXPECT_EQ(SendMessageA(password, EM_GETPASSWORDCHAR, 0, 0), '*');
    Chord(VK_CONTROL, 'A');
    Chord(VK_CONTROL, 'C');
    EXPECT_NE(ClipboardText(), "secret");  // hidden text is not copied
    DestroyWindow(password);
    HWND number = NewEdit(ES_AUTOHSCROLL | ES_NUMBER);
    Type("1a2 B3");
    EXPECT_EQ(Text(number), "123");
    DestroyWindow(number);
    HWND upper = NewEdit(ES_AUTOHSCROLL | ES_UPPERCASE);
    Type("abc");
    EXPECT_EQ(Text(upper), "ABC");
}

TEST_F(EditTest, WithoutAutomaticScrollingTheWidthIsTheLimit) {
    HWND edit = NewEdit(0, 60);
    Type("abcdefghijklmnopqrstuvwxyz");
    const size_t length = Text(edit).size();
    EXPECT_GT(length, 3u);
    EXPECT_LT(length, 26u);
    EXPECT_GT(Count(kId, EN_MAXTEXT), 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(EditTest, TextLimitCutsInputAndSaysSo) {
    HWND edit = NewEdit();
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 32767);
    SendMessageA(edit, EM_LIMITTEXT, 5, 0);
    Type("abcdefg");
    EXPECT_EQ(Text(edit), "abcde");
    EXPECT_EQ(Count(kId, EN_MAXTEXT), 2);
    EXPECT_EQ(Count(kId, EN_CHANGE), 5);
    // A paste takes what fits in place of the selection.
    SendMessageA(edit, EM_SETSEL, 1, 3);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("XYZW"));
    EXPECT_EQ(Text(edit), "aXYde");
    EXPECT_EQ(Count(kId, EN_MAXTEXT), 3);
    // Set text is not held to the limit.
    SetWindowTextA(edit, "0123456789");
    EXPECT_EQ(Text(edit), "0123456789");
}

TEST_F(EditTest, ClientEdgeAndDialogCode) {
    HWND edit = NewEdit();
    RECT window{};
    GetWindowRect(edit, &window);
    EXPECT_EQ(ClientOf(edit).right, window.right - window.left - 4);
    EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
    EXPECT_EQ(GetClassLongPtrA(edit, GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(LoadCursorA(nullptr, IDC_IBEAM)));
}

}  // namespace
