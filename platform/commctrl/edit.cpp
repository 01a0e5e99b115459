#include "platform/commctrl/edit.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/commctrl/classic_control.h"
#include "platform/commctrl/control_classes.h"
#include "platform/user/global_memory.h"

namespace {

using namespace trelwin::commctrl;

constexpr size_t kDefaultLimit = 32767;
constexpr size_t kLargestLimit = 0x7FFFFFFE;
constexpr UINT_PTR kScrollTimer = 1;  // selecting with the mouse held beyond an edge
constexpr UINT kScrollInterval = 100;

struct CEditState {
    std::string text;
    size_t anchor = 0;  // the fixed end of the selection
    size_t caret = 0;   // the moving end, where the caret is
    size_t first = 0;   // the first byte shown (horizontal scrolling)
    size_t limit = kDefaultLimit;
    bool modified = false;
    bool focus = false;
    bool tracking = false;  // selecting with the mouse
    int beyond = 0;         // -1 or 1 while that mouse is held left or right of the text
    HFONT font = nullptr;
    char passwordChar = 0;
    int leftMargin = 1;
    int rightMargin = 1;
    // One step of undo; undoing swaps it with the present, so a second
    // undo redoes.
    bool canUndo = false;
    std::string undoText;
    size_t undoAnchor = 0, undoCaret = 0;
};

DWORD EditStyle(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }
bool ReadOnly(HWND hwnd) { return (EditStyle(hwnd) & ES_READONLY) != 0; }
size_t SelStart(const CEditState* s) { return std::min(s->anchor, s->caret); }
size_t SelEnd(const CEditState* s) { return std::max(s->anchor, s->caret); }

// Positions move by whole characters: a UTF-8 sequence is one character;
// any other byte is one on its own.
size_t SequenceLength(const std::string& t, size_t i) {
    const auto b = static_cast<unsigned char>(t[i]);
    size_t n = b >= 0xF0 && b < 0xF5 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 1;
    if (b >= 0xF5) n = 1;
    if (i + n > t.size()) return 1;
    for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

std::vector<size_t> Boundaries(const std::string& t) {
    std::vector<size_t> b;
    for (size_t i = 0; i < t.size(); i += SequenceLength(t, i)) b.push_back(i);
    b.push_back(t.size());
    return b;
}

size_t NextChar(const std::string& t, size_t i) { return i >= t.size() ? t.size() : i + SequenceLength(t, i); }

size_t PreviousChar(const std::string& t, size_t i) {
    size_t previous = 0;
    for (size_t p = 0; p < i && p < t.size(); p += SequenceLength(t, p)) previous = p;
    return previous;
}

bool IsWordChar(char c) { return !std::isspace(static_cast<unsigned char>(c)); }

// Ctrl+Left: to the start of this or the previous word.
size_t PreviousWord(const std::string& t, size_t i) {
    while (i > 0 && !IsWordChar(t[i - 1])) --i;
    while (i > 0 && IsWordChar(t[i - 1])) --i;
    return i;
}

// Ctrl+Right: past this word and the blanks after it.
size_t NextWord(const std::string& t, size_t i) {
    while (i < t.size() && IsWordChar(t[i])) ++i;
    while (i < t.size() && !IsWordChar(t[i])) ++i;
    return i;
}

// What is drawn: the text, or one password character per character.
std::string Shown(const CEditState* s) {
    if (!s->passwordChar) return s->text;
    std::string shown;
    for (size_t i = 0; i < s->text.size(); i += SequenceLength(s->text, i)) {
        shown.append(SequenceLength(s->text, i), s->passwordChar);
    }
    return shown;
}

struct CLayout {
    RECT format{};           // where text goes
    int lineHeight = 0;
    std::vector<int> x;      // x.size() == text.size() + 1: offset of each byte position
    int textLeft = 0;        // client x of byte position 0
};

CLayout Measure(HWND hwnd, const CEditState* s) {
    CLayout layout;
    RECT client{};
    GetClientRect(hwnd, &client);
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, ControlFont(s->font));
    TEXTMETRICA tm{};
    GetTextMetricsA(hdc, &tm);
    layout.lineHeight = tm.tmHeight;
    const std::string shown = Shown(s);
    layout.x.assign(shown.size() + 1, 0);
    if (!shown.empty()) {
        std::vector<int> after(shown.size(), 0);
        SIZE size{};
        GetTextExtentExPointA(hdc, shown.data(), static_cast<int>(shown.size()), 0, nullptr, after.data(), &size);
        for (size_t i = 0; i < shown.size(); ++i) layout.x[i + 1] = after[i];
    }
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    layout.format = client;
    layout.format.left += s->leftMargin;
    layout.format.right -= s->rightMargin;
    if (layout.format.right < layout.format.left) layout.format.right = layout.format.left;
    if (client.bottom - client.top >= layout.lineHeight + 2) layout.format.top += 1;
    layout.format.bottom = std::min<LONG>(client.bottom, layout.format.top + layout.lineHeight);
    const int width = layout.format.right - layout.format.left;
    const int textWidth = layout.x.back();
    const DWORD align = EditStyle(hwnd) & (ES_CENTER | ES_RIGHT);
    if (textWidth <= width && align == ES_CENTER) {
        layout.textLeft = layout.format.left + (width - textWidth) / 2;
    } else if (textWidth <= width && align == ES_RIGHT) {
        layout.textLeft = layout.format.right - textWidth;
    } else {
        layout.textLeft = layout.format.left - layout.x[std::min(s->first, s->text.size())];
    }
    return layout;
}

// Scrolls so that the caret shows, a quarter of the width ahead of it
// when going back, and no space is wasted after the end of the text.
void ScrollToCaret(HWND hwnd, CEditState* s) {
    if (s->first > s->text.size()) s->first = 0;
    CLayout layout = Measure(hwnd, s);
    const int width = layout.format.right - layout.format.left;
    const std::vector<size_t> bounds = Boundaries(s->text);
    const int caretX = layout.x[s->caret];
    if (layout.x.back() <= width || !(EditStyle(hwnd) & ES_AUTOHSCROLL)) {
        s->first = 0;
        return;
    }
    if (caretX < layout.x[s->first]) {
        size_t first = s->caret;
        for (size_t b : bounds) {
            if (b <= s->caret && caretX - layout.x[b] <= width / 4) {
                first = b;
                break;
            }
        }
        s->first = first;
    } else if (caretX - layout.x[s->first] > width - 1) {
        for (size_t b : bounds) {
            if (b >= s->first && caretX - layout.x[b] <= width - 1) {
                s->first = b;
                break;
            }
        }
    }
    // Text that got shorter: show as much of it as fits.
    while (s->first > 0) {
        const size_t previous = PreviousChar(s->text, s->first);
        if (layout.x.back() - layout.x[previous] > width - 1) break;
        s->first = previous;
    }
}

void PlaceCaret(HWND hwnd, CEditState* s) {
    if (!s->focus) return;
    const CLayout layout = Measure(hwnd, s);
    SetCaretPos(layout.textLeft + layout.x[s->caret], layout.format.top);
}

// After the selection or the scrolling changed.
void Refresh(HWND hwnd, CEditState* s) {
    ScrollToCaret(hwnd, s);
    InvalidateRect(hwnd, nullptr, FALSE);
    PlaceCaret(hwnd, s);
}

size_t CharFromX(HWND hwnd, const CEditState* s, int x) {
    const CLayout layout = Measure(hwnd, s);
    size_t best = 0;
    int bestDistance = 0x7FFFFFFF;
    for (size_t b : Boundaries(s->text)) {
        const int distance = std::abs(layout.textLeft + layout.x[b] - x);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = b;
        }
    }
    return best;
}

void SyncWindowText(HWND hwnd, const CEditState* s) {
    DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s->text.c_str()));
}

void Changed(HWND hwnd, CEditState* s) {
    SyncWindowText(hwnd, s);
    ScrollToCaret(hwnd, s);
    NotifyParent(hwnd, EN_UPDATE);
    InvalidateRect(hwnd, nullptr, FALSE);
    PlaceCaret(hwnd, s);
    NotifyParent(hwnd, EN_CHANGE);
}

std::string Transformed(HWND hwnd, std::string text) {
    const DWORD style = EditStyle(hwnd);
    // One line: a pasted line break ends what is taken.
    const size_t lineEnd = text.find_first_of("\r\n");
    if (lineEnd != std::string::npos) text.resize(lineEnd);
    for (char& c : text) {
        if (style & ES_UPPERCASE) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (style & ES_LOWERCASE) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Cuts the insertion to whole characters that keep the text within the
// limit and, without automatic scrolling, within the width. True when it
// had to be cut.
bool FitInsertion(HWND hwnd, const CEditState* s, std::string& insert) {
    const size_t kept = s->text.size() - (SelEnd(s) - SelStart(s));
    const size_t room = s->limit > kept ? s->limit - kept : 0;
    bool cut = false;
    if (insert.size() > room) {
        size_t end = 0;
        while (end < insert.size() && end + SequenceLength(insert, end) <= room) end += SequenceLength(insert, end);
        insert.resize(end);
        cut = true;
    }
    if (!(EditStyle(hwnd) & ES_AUTOHSCROLL) && !insert.empty()) {
        CEditState probe;
        probe.font = s->font;
        probe.passwordChar = s->passwordChar;
        const std::string before = s->text.substr(0, SelStart(s));
        const std::string after = s->text.substr(SelEnd(s));
        while (!insert.empty()) {
            probe.text = before + insert + after;
            const CLayout layout = Measure(hwnd, &probe);
            if (layout.x.back() <= layout.format.right - layout.format.left - 1) break;
            insert.resize(PreviousChar(insert, insert.size()));
            cut = true;
        }
    }
    return cut;
}

void RememberForUndo(CEditState* s) {
    s->canUndo = true;
    s->undoText = s->text;
    s->undoAnchor = s->anchor;
    s->undoCaret = s->caret;
}

// Puts the text in place of the selection; EN_MAXTEXT when not all of it
// fits. Returns whether the text changed.
bool ReplaceSelection(HWND hwnd, CEditState* s, std::string insert, bool undoable) {
    insert = Transformed(hwnd, std::move(insert));
    if (FitInsertion(hwnd, s, insert)) NotifyParent(hwnd, EN_MAXTEXT);
    if (!IsWindow(hwnd)) return false;
    const size_t start = SelStart(s), end = SelEnd(s);
    if (insert.empty() && start == end) return false;
    if (undoable) RememberForUndo(s);
    s->text.replace(start, end - start, insert);
    s->anchor = s->caret = start + insert.size();
    s->modified = true;
    Changed(hwnd, s);
    return true;
}

void Copy(HWND hwnd, const CEditState* s) {
    if (s->passwordChar || SelStart(s) == SelEnd(s)) return;
    const std::string part = s->text.substr(SelStart(s), SelEnd(s) - SelStart(s));
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, part.size() + 1);
    if (!memory) return;
    char* bytes = static_cast<char*>(GlobalLock(memory));
    std::memcpy(bytes, part.c_str(), part.size() + 1);
    GlobalUnlock(memory);
    if (!OpenClipboard(hwnd)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    CloseClipboard();
}

void Paste(HWND hwnd, CEditState* s) {
    if (ReadOnly(hwnd) || !OpenClipboard(hwnd)) return;
    std::string text;
    if (HANDLE memory = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(memory))) {
            text.assign(bytes, strnlen(bytes, GlobalSize(memory)));
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    if (!text.empty()) ReplaceSelection(hwnd, s, text, true);
}

void Cut(HWND hwnd, CEditState* s) {
    if (ReadOnly(hwnd) || s->passwordChar) return;
    Copy(hwnd, s);
    ReplaceSelection(hwnd, s, "", true);
}

void Undo(HWND hwnd, CEditState* s) {
    if (!s->canUndo) return;
    std::swap(s->text, s->undoText);
    std::swap(s->anchor, s->undoAnchor);
    std::swap(s->caret, s->undoCaret);
    s->anchor = std::min(s->anchor, s->text.size());
    s->caret = std::min(s->caret, s->text.size());
    s->modified = true;
    Changed(hwnd, s);
}

void SelectAll(HWND hwnd, CEditState* s) {
    s->anchor = 0;
    s->caret = s->text.size();
    Refresh(hwnd, s);
}

void DeleteKey(HWND hwnd, CEditState* s, bool backwards) {
    if (ReadOnly(hwnd)) return;
    if (s->anchor == s->caret) {
        if (backwards) {
            if (s->caret == 0) return;
            s->anchor = PreviousChar(s->text, s->caret);
        } else {
            if (s->caret >= s->text.size()) return;
            s->anchor = NextChar(s->text, s->caret);
        }
    }
    ReplaceSelection(hwnd, s, "", true);
}

void MoveCaret(HWND hwnd, CEditState* s, size_t to, bool extend) {
    s->caret = std::min(to, s->text.size());
    if (!extend) s->anchor = s->caret;
    Refresh(hwnd, s);
}

void OnKeyDown(HWND hwnd, CEditState* s, WPARAM key) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const std::string& t = s->text;
    switch (key) {
    case VK_LEFT:
        if (!shift && !ctrl && s->anchor != s->caret) {
            MoveCaret(hwnd, s, SelStart(s), false);
        } else {
            MoveCaret(hwnd, s, ctrl ? PreviousWord(t, s->caret) : PreviousChar(t, s->caret), shift);
        }
        break;
    case VK_RIGHT:
        if (!shift && !ctrl && s->anchor != s->caret) {
            MoveCaret(hwnd, s, SelEnd(s), false);
        } else {
            MoveCaret(hwnd, s, ctrl ? NextWord(t, s->caret) : NextChar(t, s->caret), shift);
        }
        break;
    case VK_HOME: MoveCaret(hwnd, s, 0, shift); break;
    case VK_END: MoveCaret(hwnd, s, t.size(), shift); break;
    case VK_DELETE:
        if (shift) {
            Cut(hwnd, s);
        } else {
            DeleteKey(hwnd, s, false);
        }
        break;
    case VK_INSERT:
        if (ctrl) Copy(hwnd, s);
        if (shift) Paste(hwnd, s);
        break;
    default: break;
    }
}

void OnChar(HWND hwnd, CEditState* s, WPARAM wParam) {
    const char c = static_cast<char>(wParam);
    switch (wParam) {
    case 0x01: SelectAll(hwnd, s); return;   // Ctrl+A
    case 0x03: Copy(hwnd, s); return;        // Ctrl+C
    case 0x16: Paste(hwnd, s); return;       // Ctrl+V
    case 0x18: Cut(hwnd, s); return;         // Ctrl+X
    case 0x1A: if (!ReadOnly(hwnd)) Undo(hwnd, s); return;  // Ctrl+Z
    case 0x08: DeleteKey(hwnd, s, true); return;
    default: break;
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || ReadOnly(hwnd)) return;
    if ((EditStyle(hwnd) & ES_NUMBER) && !std::isdigit(static_cast<unsigned char>(c))) return;
    ReplaceSelection(hwnd, s, std::string(1, c), true);
}

void SelectWordAt(HWND hwnd, CEditState* s, size_t at) {
    const std::string& t = s->text;
    size_t start = at, end = at;
    if (at < t.size() && IsWordChar(t[at])) {
        while (start > 0 && IsWordChar(t[start - 1])) --start;
        while (end < t.size() && IsWordChar(t[end])) ++end;
    } else if (at > 0 && IsWordChar(t[at - 1])) {
        while (start > 0 && IsWordChar(t[start - 1])) --start;
    } else {
        while (start > 0 && !IsWordChar(t[start - 1])) --start;
        while (end < t.size() && !IsWordChar(t[end])) ++end;
    }
    s->anchor = start;
    s->caret = end;
    Refresh(hwnd, s);
}

void Paint(HWND hwnd, HDC hdc, CEditState* s) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const int saved = SaveDC(hdc);
    SelectObject(hdc, ControlFont(s->font));
    HBRUSH brush = ParentColours(hwnd, hdc, ReadOnly(hwnd) || !enabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    if (brush) FillRect(hdc, &client, brush);
    if (!enabled) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    const CLayout layout = Measure(hwnd, s);
    const std::string shown = Shown(s);
    SetBkMode(hdc, TRANSPARENT);
    ExtTextOutA(hdc, layout.textLeft, layout.format.top, ETO_CLIPPED, &layout.format, shown.data(),
                static_cast<UINT>(shown.size()), nullptr);
    const bool showSelection = s->focus || (EditStyle(hwnd) & ES_NOHIDESEL);
    if (showSelection && s->anchor != s->caret) {
        RECT selected{layout.textLeft + layout.x[SelStart(s)], layout.format.top,
                      layout.textLeft + layout.x[SelEnd(s)], layout.format.bottom};
        IntersectRect(&selected, &selected, &layout.format);
        FillRect(hdc, &selected, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        ExtTextOutA(hdc, layout.textLeft, layout.format.top, ETO_CLIPPED, &selected, shown.data(),
                    static_cast<UINT>(shown.size()), nullptr);
    }
    RestoreDC(hdc, saved);
}

LRESULT GetSelection(const CEditState* s, WPARAM wParam, LPARAM lParam) {
    const auto start = static_cast<DWORD>(SelStart(s)), end = static_cast<DWORD>(SelEnd(s));
    if (auto* p = reinterpret_cast<DWORD*>(wParam)) *p = start;
    if (auto* p = reinterpret_cast<DWORD*>(lParam)) *p = end;
    if (start > 0xFFFF || end > 0xFFFF) return -1;
    return MAKELRESULT(start, end);
}

void SetSelection(HWND hwnd, CEditState* s, WPARAM wParam, LPARAM lParam) {
    const auto start = static_cast<INT_PTR>(wParam), end = static_cast<LONG_PTR>(lParam);
    const size_t size = s->text.size();
    if (start == -1) {
        s->anchor = s->caret;  // deselect
    } else {
        s->anchor = start < 0 ? size : std::min(static_cast<size_t>(start), size);
        s->caret = end < 0 ? size : std::min(static_cast<size_t>(end), size);
        // Never inside a character.
        const std::vector<size_t> bounds = Boundaries(s->text);
        auto snap = [&](size_t& at) { at = *std::lower_bound(bounds.begin(), bounds.end(), at); };
        snap(s->anchor);
        snap(s->caret);
    }
    Refresh(hwnd, s);
}

LRESULT OnGetText(const CEditState* s, WPARAM size, LPSTR buffer) {
    if (!buffer || size == 0) return 0;
    const size_t n = std::min(s->text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, s->text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT OnSetText(HWND hwnd, CEditState* s, LPCSTR text) {
    // The limit is for what the user enters; the program may set more.
    s->text = text ? text : "";
    s->anchor = s->caret = 0;
    s->first = 0;
    s->modified = false;
    s->canUndo = false;
    Changed(hwnd, s);
    return TRUE;
}

void StopTracking(HWND hwnd, CEditState* s) {
    if (s->beyond) KillTimer(hwnd, kScrollTimer);
    s->beyond = 0;
    if (!s->tracking) return;
    s->tracking = false;
    if (GetCapture() == hwnd) ReleaseCapture();
}

void OnSetFocus(HWND hwnd, CEditState* s) {
    s->focus = true;
    const CLayout layout = Measure(hwnd, s);
    CreateCaret(hwnd, nullptr, 1, layout.lineHeight);
    PlaceCaret(hwnd, s);
    ShowCaret(hwnd);
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyParent(hwnd, EN_SETFOCUS);
}

void OnKillFocus(HWND hwnd, CEditState* s) {
    s->focus = false;
    StopTracking(hwnd, s);
    if (CaretWindow() == hwnd) DestroyCaret();
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyParent(hwnd, EN_KILLFOCUS);
}

void OnScrollTimer(HWND hwnd, CEditState* s) {
    if (!s->tracking || !s->beyond) {
        StopTracking(hwnd, s);
        return;
    }
    MoveCaret(hwnd, s, s->beyond < 0 ? PreviousChar(s->text, s->caret) : NextChar(s->text, s->caret), true);
}

LRESULT OnMouse(HWND hwnd, CEditState* s, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    switch (msg) {
    case WM_LBUTTONDOWN: {
        if (!s->focus) SetFocus(hwnd);
        if (!IsWindow(hwnd)) return 0;
        const size_t at = CharFromX(hwnd, s, x);
        MoveCaret(hwnd, s, at, (wParam & MK_SHIFT) != 0);
        s->tracking = true;
        SetCapture(hwnd);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        SelectWordAt(hwnd, s, CharFromX(hwnd, s, x));
        return 0;
    case WM_MOUSEMOVE: {
        if (!s->tracking) return 0;
        // Beyond the edges the nearest character is a hidden one, so
        // selecting there scrolls the text; held still there, a timer
        // goes on scrolling a character at a time.
        MoveCaret(hwnd, s, CharFromX(hwnd, s, x), true);
        const RECT format = Measure(hwnd, s).format;
        const int beyond = x < format.left ? -1 : x >= format.right ? 1 : 0;
        if (beyond && !s->beyond) SetTimer(hwnd, kScrollTimer, kScrollInterval, nullptr);
        if (!beyond && s->beyond) KillTimer(hwnd, kScrollTimer);
        s->beyond = beyond;
        return 0;
    }
    case WM_LBUTTONUP:
        StopTracking(hwnd, s);
        return 0;
    default: return 0;
    }
}

void OnCreate(HWND hwnd, CEditState* s, const CREATESTRUCTA* cs) {
    s->text = cs->lpszName && !IS_INTRESOURCE(cs->lpszName) ? cs->lpszName : "";
    const size_t lineEnd = s->text.find_first_of("\r\n");
    if (lineEnd != std::string::npos) s->text.resize(lineEnd);
    if (cs->style & ES_PASSWORD) s->passwordChar = '*';
    SyncWindowText(hwnd, s);
}

void SetMargins(HWND hwnd, CEditState* s, WPARAM which, LPARAM value) {
    int left = LOWORD(value), right = HIWORD(value);
    if (left == EC_USEFONTINFO) left = 1;
    if (right == EC_USEFONTINFO) right = 1;
    if (which & EC_LEFTMARGIN) s->leftMargin = left;
    if (which & EC_RIGHTMARGIN) s->rightMargin = right;
    Refresh(hwnd, s);
}

LRESULT EditMessage(HWND hwnd, CEditState* s, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case EM_GETSEL: return GetSelection(s, wParam, lParam);
    case EM_SETSEL: SetSelection(hwnd, s, wParam, lParam); return 0;
    case EM_REPLACESEL: {
        const char* text = reinterpret_cast<const char*>(lParam);
        ReplaceSelection(hwnd, s, text ? text : "", wParam != 0);
        return 0;
    }
    case EM_LIMITTEXT:
        s->limit = wParam == 0 ? kLargestLimit : std::min(static_cast<size_t>(wParam), kLargestLimit);
        return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(s->limit);
    case EM_SETREADONLY: {
        const DWORD style = EditStyle(hwnd);
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(wParam ? style | ES_READONLY : style & ~static_cast<DWORD>(ES_READONLY)));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    case EM_GETMODIFY: return s->modified;
    case EM_SETMODIFY: s->modified = wParam != 0; return 0;
    case EM_CANUNDO: return s->canUndo;
    case EM_UNDO:
    case WM_UNDO: Undo(hwnd, s); return s->canUndo;
    case EM_EMPTYUNDOBUFFER: s->canUndo = false; s->undoText.clear(); return 0;
    case EM_SETPASSWORDCHAR:
        s->passwordChar = static_cast<char>(wParam);
        Refresh(hwnd, s);
        return 0;
    case EM_GETPASSWORDCHAR: return static_cast<unsigned char>(s->passwordChar);
    case EM_SETMARGINS: SetMargins(hwnd, s, wParam, lParam); return 0;
    case EM_GETMARGINS: return MAKELRESULT(s->leftMargin, s->rightMargin);
    case EM_GETLINECOUNT: return 1;
    case EM_LINEINDEX: return wParam == 0 || static_cast<INT_PTR>(wParam) == -1 ? 0 : -1;
    case EM_LINEFROMCHAR: return 0;
    case EM_LINELENGTH: return static_cast<LRESULT>(s->text.size());
    case EM_GETLINE: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam != 0) return 0;
        WORD room = 0;
        std::memcpy(&room, buffer, sizeof(room));
        const size_t n = std::min<size_t>(room, s->text.size());
        std::memcpy(buffer, s->text.data(), n);
        return static_cast<LRESULT>(n);
    }
    case EM_GETFIRSTVISIBLELINE: return static_cast<LRESULT>(s->first);  // one line: the first character shown
    case EM_SCROLLCARET: Refresh(hwnd, s); return TRUE;
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<RECT*>(lParam)) *r = Measure(hwnd, s).format;
        return 0;
    case EM_POSFROMCHAR: {
        if (wParam > s->text.size()) return -1;
        const CLayout layout = Measure(hwnd, s);
        return MAKELRESULT(static_cast<WORD>(layout.textLeft + layout.x[wParam]), static_cast<WORD>(layout.format.top));
    }
    case EM_CHARFROMPOS: return static_cast<LRESULT>(CharFromX(hwnd, s, GET_X_LPARAM(lParam)));
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CEditState* s = LiveState<CEditState>(hwnd, msg);
    if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE: OnCreate(hwnd, s, reinterpret_cast<CREATESTRUCTA*>(lParam)); return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: PaintMessage(hwnd, wParam, [&](HDC hdc) { Paint(hwnd, hdc, s); }); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTEXT: return OnSetText(hwnd, s, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT: return OnGetText(s, wParam, reinterpret_cast<LPSTR>(lParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(s->text.size());
    case WM_SETFONT:
        SetControlFont(hwnd, s->font, wParam, lParam);
        if (s->focus) {
            const CLayout layout = Measure(hwnd, s);
            CreateCaret(hwnd, nullptr, 1, layout.lineHeight);
            ShowCaret(hwnd);
        }
        Refresh(hwnd, s);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETFOCUS: OnSetFocus(hwnd, s); return 0;
    case WM_KILLFOCUS: OnKillFocus(hwnd, s); return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_SIZE: Refresh(hwnd, s); return 0;
    case WM_KEYDOWN: OnKeyDown(hwnd, s, wParam); return 0;
    case WM_CHAR: OnChar(hwnd, s, wParam); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: return OnMouse(hwnd, s, msg, wParam, lParam);
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) {
            s->tracking = false;
            StopTracking(hwnd, s);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kScrollTimer) OnScrollTimer(hwnd, s);
        return 0;
    case WM_CUT: Cut(hwnd, s); return 0;
    case WM_COPY: Copy(hwnd, s); return 0;
    case WM_PASTE: Paste(hwnd, s); return 0;
    case WM_CLEAR:
        if (!ReadOnly(hwnd)) ReplaceSelection(hwnd, s, "", true);
        return 0;
    default: return EditMessage(hwnd, s, msg, wParam, lParam);
    }
}

void RegisterEditClass() { RegisterControl(WC_EDITA, EditProc, IDC_IBEAM); }

trelwin::commctrl::ControlClass g_editClass(&RegisterEditClass);

}  // namespace
