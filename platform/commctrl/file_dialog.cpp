// The open-file dialog: a path box with completion, places to jump to, a
// details list of the folder (file_dialog_list.cpp), the name box and the
// filter. A typed name is taken relative to the folder shown, a typed folder
// is entered, a typed pattern filters. Without a folder to start in, it opens
// where the last file was chosen in this process, else in the home folder.
#include "platform/commctrl/file_dialog.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "platform/commctrl/button.h"
#include "platform/commctrl/combo_box.h"
#include "platform/commctrl/edit.h"
#include "platform/commctrl/file_dialog_internal.h"
#include "platform/commctrl/static.h"
#include "platform/user/dialog_box_filtered.h"
#include "platform/user/input.h"
#include "platform/user/message_functions.h"
#include "platform/user/user.h"

namespace trelwin::commctrl::filedialog {

namespace {

thread_local DWORD t_lastError = 0;

// The folder of the file chosen last in this process. Guarded by its mutex
// (dialogs may run on more than one thread).
struct LastFolder {
    std::mutex mutex;
    std::string path;
};
LastFolder& Last() {
    static auto* last = new LastFolder;
    return *last;
}

enum class PathKind { Missing, Folder, File, BrokenLink, Other };

PathKind KindOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode) ? PathKind::Folder : S_ISREG(st.st_mode) ? PathKind::File : PathKind::Other;
    }
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) ? PathKind::BrokenLink : PathKind::Missing;
}

std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

std::string TextOf(HWND hwnd) {
    char buffer[4096] = {};
    GetWindowTextA(hwnd, buffer, sizeof(buffer));
    return buffer;
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

// Hands the path back as the structure asks; false when the caller's
// buffer is too small (the dialog then fails with FNERR_BUFFERTOOSMALL).
bool Deliver(Dialog& d, const std::string& path) {
    OPENFILENAMEA& ofn = *d.ofn;
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (path.size() + 1 > ofn.nMaxFile) {
        if (ofn.lpstrFile && ofn.nMaxFile >= 2) {
            const WORD needed = static_cast<WORD>(std::min<size_t>(path.size() + 1, 0xFFFF));
            std::memcpy(ofn.lpstrFile, &needed, sizeof(needed));
        }
        t_lastError = FNERR_BUFFERTOOSMALL;
        return false;
    }
    std::memcpy(ofn.lpstrFile, path.c_str(), path.size() + 1);
    ofn.nFileOffset = static_cast<WORD>(nameStart);
    const size_t dot = path.find_last_of('.');
    ofn.nFileExtension = dot == std::string::npos || dot < nameStart ? 0 : static_cast<WORD>(dot + 1);
    if (ofn.lpstrFileTitle && ofn.nMaxFileTitle) {
        const std::string name = path.substr(nameStart);
        const size_t count = std::min<size_t>(name.size(), ofn.nMaxFileTitle - 1);
        std::memcpy(ofn.lpstrFileTitle, name.c_str(), count);
        ofn.lpstrFileTitle[count] = '\0';
    }
    const LRESULT filter = SendMessageA(Item(d, IDC_FILE_TYPES), CB_GETCURSEL, 0, 0);
    if (filter >= 0) ofn.nFilterIndex = static_cast<DWORD>(filter + 1);
    std::lock_guard<std::mutex> lock(Last().mutex);
    Last().path = nameStart > 1 ? path.substr(0, nameStart - 1) : "/";
    return true;
}

// A file path that the user chose: checked as the flags ask, then handed
// back. A file that is gone leaves the dialog as it was, with the list read
// again.
void Choose(Dialog& d, std::string full) {
    const OPENFILENAMEA& ofn = *d.ofn;
    const std::string name = full.substr(full.find_last_of('/') + 1);
    if (ofn.lpstrDefExt && *ofn.lpstrDefExt && name.find('.') == std::string::npos) {
        full += ".";
        full += ofn.lpstrDefExt;
    }
    const PathKind kind = KindOf(full);
    if (ofn.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) {
        const std::string parent = full.substr(0, std::max<size_t>(full.find_last_of('/'), 1));
        if (KindOf(parent) != PathKind::Folder) {
            Warn(d, full + "\nPath does not exist.\nCheck the path and try again.");
            return;
        }
    }
    if (ofn.Flags & OFN_FILEMUSTEXIST) {
        if (kind == PathKind::BrokenLink) {
            Warn(d, full + "\nThis link points to a file that does not exist.");
            Refresh(d);
            return;
        }
        if (kind != PathKind::File) {
            Warn(d, full + "\nFile not found.\nCheck the file name and try again.");
            Refresh(d);
            return;
        }
    }
    EndDialog(d.hwnd, Deliver(d, full) ? IDOK : -2);
}

// What the path box holds, on Enter: a folder is entered, a file chosen.
void AcceptPath(Dialog& d) {
    const std::string typed = Trimmed(TextOf(Item(d, IDC_FILE_FOLDER)));
    if (typed.empty()) return;
    const std::string path = ResolvePath(typed, d.folder);
    if (KindOf(path) == PathKind::Folder) {
        if (!Enter(d, path)) ShowFolderText(d);
        return;
    }
    if (KindOf(path) == PathKind::Missing) {
        Warn(d, path + "\nPath does not exist.\nCheck the path and try again.");
        return;
    }
    Choose(d, path);
}

void InitialiseFilters(Dialog& d) {
    d.filters = ParseFilters(d.ofn->lpstrFilter);
    HWND types = Item(d, IDC_FILE_TYPES);
    for (const Filter& filter : d.filters) {
        SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.description.c_str()));
    }
    DWORD index = d.ofn->nFilterIndex ? d.ofn->nFilterIndex - 1 : 0;
    if (index >= d.filters.size()) index = 0;
    SendMessageA(types, CB_SETCURSEL, index, 0);
}

// Where the dialog opens: the folder of a given path, the initial folder,
// the folder of the last choice, the home folder; the first that exists.
std::string StartFolder(const OPENFILENAMEA& ofn, std::string* name) {
    std::vector<std::string> candidates;
    if (ofn.lpstrFile && *ofn.lpstrFile) {
        const std::string given = ofn.lpstrFile;
        const size_t slash = given.find_last_of('/');
        if (slash != std::string::npos) {
            const std::string parent = ResolvePath(slash == 0 ? "/" : given.substr(0, slash), HomeFolder());
            if (KindOf(parent) == PathKind::Folder) {
                *name = given.substr(slash + 1);
                return parent;
            }
        }
        *name = given;
    }
    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) candidates.push_back(ofn.lpstrInitialDir);
    {
        std::lock_guard<std::mutex> lock(Last().mutex);
        if (!Last().path.empty()) candidates.push_back(Last().path);
    }
    candidates.push_back(HomeFolder());
    for (const std::string& c : candidates) {
        const std::string folder = ResolvePath(c, HomeFolder());
        if (KindOf(folder) == PathKind::Folder) return folder;
    }
    return "/";
}

void Initialise(Dialog& d) {
    const OPENFILENAMEA& ofn = *d.ofn;
    if (ofn.lpstrTitle) SetWindowTextA(d.hwnd, ofn.lpstrTitle);
    d.places = Places();
    for (size_t i = 0; i < d.places.size(); ++i) {
        SetWindowTextA(Item(d, kFirstPlace + static_cast<int>(i)), d.places[i].label);
    }
    InitialiseFilters(d);
    SetUpList(d);
    std::string name;
    const std::string folder = StartFolder(ofn, &name);
    if (!Enter(d, folder)) Enter(d, "/");
    SetWindowTextA(Item(d, IDC_FILE_NAME), name.c_str());
}

// The keys that the dialog handles wherever the focus is, before the
// dialog's own keyboard interface: Alt+Up and Backspace in the list go up,
// letters typed in the list select by name.
bool FilterKeys(Dialog& d, MSG& msg) {
    HWND list = Item(d, IDC_FILE_LIST);
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_UP) {
        GoUp(d);
        return true;
    }
    if (msg.hwnd != list) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_BACK) {
        GoUp(d);
        return true;
    }
    if (msg.message == WM_CHAR && msg.wParam > ' ' && msg.wParam != 0x7F && GetKeyState(VK_CONTROL) >= 0) {
        TypeAhead(d, static_cast<char>(msg.wParam), msg.time);
        return true;
    }
    return false;
}

INT_PTR OnCommand(Dialog& d, WORD id, WORD code) {
    switch (id) {
    case IDOK:
        Accept(d);
        return TRUE;
    case IDCANCEL:
        EndDialog(d.hwnd, IDCANCEL);
        return TRUE;
    case kUpButton:
        GoUp(d);
        return TRUE;
    case IDC_FILE_FOLDER:
        if (code == EN_CHANGE) OnPathEdited(d);
        return TRUE;
    case IDC_FILE_TYPES:
        if (code == CBN_SELCHANGE) {
            d.typedPatterns.clear();
            Refresh(d);
        }
        return TRUE;
    default:
        if (id >= kFirstPlace && id < kFirstPlace + static_cast<int>(d.places.size())) {
            Enter(d, d.places[id - kFirstPlace].path);
            return TRUE;
        }
        return FALSE;
    }
}

INT_PTR CALLBACK FileDialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* d = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        d = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
        d->hwnd = hDlg;
        Initialise(*d);
        // The name box first: a typed name and Enter are all it takes.
        SendMessageA(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(*d, IDC_FILE_NAME)), TRUE);
        return FALSE;
    case WM_COMMAND:
        return d ? OnCommand(*d, LOWORD(wParam), HIWORD(wParam)) : FALSE;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        return d && hdr && hdr->idFrom == IDC_FILE_LIST && OnListNotify(*d, hdr) ? TRUE : FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

void Activate(Dialog& d, int entry) {
    const Entry e = d.entries[static_cast<size_t>(entry)];
    const std::string path = d.folder == "/" ? "/" + e.name : d.folder + "/" + e.name;
    if (e.kind == EntryKind::Folder) {
        if (Enter(d, path)) {
            SetWindowTextA(Item(d, IDC_FILE_NAME), "");
        } else {
            Refresh(d);
        }
        return;
    }
    SetWindowTextA(Item(d, IDC_FILE_NAME), e.name.c_str());
    Choose(d, path);
}

// OK: the list's selection when the list has the focus (or the name box is
// empty), the path box's text when it has the focus, else the name box: a
// folder is entered, a pattern filters, a file is checked and handed back.
void Accept(Dialog& d) {
    HWND focus = GetFocus();
    if (focus == Item(d, IDC_FILE_FOLDER)) {
        AcceptPath(d);
        return;
    }
    const std::string text = Trimmed(TextOf(Item(d, IDC_FILE_NAME)));
    const int selected = SelectedEntry(d);
    if (selected >= 0 && (text.empty() || focus == Item(d, IDC_FILE_LIST))) {
        Activate(d, selected);
        return;
    }
    if (text.empty()) return;
    if (HasWildcard(text)) {
        d.typedPatterns = SplitPatterns(text);
        Refresh(d);
        return;
    }
    const std::string path = ResolvePath(text, d.folder);
    if (KindOf(path) == PathKind::Folder) {
        if (Enter(d, path)) SetWindowTextA(Item(d, IDC_FILE_NAME), "");
        return;
    }
    Choose(d, path);
}

}  // namespace trelwin::commctrl::filedialog

namespace trelwin::commctrl {

bool MatchesFilePattern(const char* name, const char* pattern) {
    if (std::strcmp(pattern, "*.*") == 0) return true;
    // Greedy matching with one backtracking point for the last '*'.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '?' ||
            (*pattern && *pattern != '*' &&
             std::tolower(static_cast<unsigned char>(*pattern)) == std::tolower(static_cast<unsigned char>(*name)))) {
            ++pattern;
            ++name;
        } else if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

}  // namespace trelwin::commctrl

using trelwin::commctrl::filedialog::Dialog;
using trelwin::commctrl::filedialog::kFirstPlace;
using trelwin::commctrl::filedialog::kUpButton;
using trelwin::user::DialogItemTemplate;

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    using trelwin::commctrl::filedialog::t_lastError;
    t_lastError = 0;
    if (!lpofn || lpofn->lStructSize < offsetof(OPENFILENAMEA, pvReserved)) {
        t_lastError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!lpofn->lpstrFile || lpofn->nMaxFile == 0) {
        t_lastError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    Dialog dialog;
    dialog.ofn = lpofn;
    const DWORD tab = WS_VISIBLE | WS_TABSTOP;
    // Left to right, top to bottom, which is also the Tab order.
    const DialogItemTemplate items[] = {
        {"STATIC", "Look &in:", -1, WS_VISIBLE, 0, 7, 9, 34, 8},
        {"EDIT", "", IDC_FILE_FOLDER, tab | WS_BORDER | ES_AUTOHSCROLL, 0, 44, 7, 280, 12},
        {"BUTTON", "&Up", kUpButton, tab | BS_PUSHBUTTON, 0, 328, 6, 45, 14},
        {"BUTTON", "", kFirstPlace, tab | BS_PUSHBUTTON, 0, 7, 25, 50, 14},
        {"BUTTON", "", kFirstPlace + 1, tab | BS_PUSHBUTTON, 0, 7, 43, 50, 14},
        {"BUTTON", "", kFirstPlace + 2, tab | BS_PUSHBUTTON, 0, 7, 61, 50, 14},
        {WC_LISTVIEWA, nullptr, IDC_FILE_LIST,
         tab | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 62, 25, 311, 146},
        {"STATIC", "File &name:", -1, WS_VISIBLE, 0, 62, 180, 48, 8},
        {"EDIT", "", IDC_FILE_NAME, tab | WS_BORDER | ES_AUTOHSCROLL, 0, 114, 178, 206, 12},
        {"BUTTON", "&Open", IDOK, tab | BS_DEFPUSHBUTTON, 0, 328, 177, 45, 14},
        {"STATIC", "Files of &type:", -1, WS_VISIBLE, 0, 62, 198, 50, 8},
        {"COMBOBOX", nullptr, IDC_FILE_TYPES, tab | CBS_DROPDOWNLIST, 0, 114, 196, 206, 80},
        {"BUTTON", "Cancel", IDCANCEL, tab | BS_PUSHBUTTON, 0, 328, 195, 45, 14},
    };
    DLGTEMPLATE tmpl{};
    tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_3DLOOK;
    tmpl.cx = 380;
    tmpl.cy = 216;
    tmpl.caption = "Open";
    tmpl.fontName = "MS Sans Serif";
    tmpl.pointSize = 8;
    tmpl.items = items;
    tmpl.itemCount = std::size(items);
    const INT_PTR result = trelwin::user::DialogBoxIndirectFiltered(
        lpofn->hInstance, &tmpl, lpofn->hwndOwner, trelwin::commctrl::filedialog::FileDialogProc,
        reinterpret_cast<LPARAM>(&dialog),
        [&dialog](HWND hDlg, MSG& msg) {
            if (dialog.hwnd != nullptr && trelwin::commctrl::filedialog::FilterKeys(dialog, msg)) return true;
            return IsDialogMessageA(hDlg, &msg) != FALSE;
        });
    if (result == IDOK) return TRUE;
    if (result == -1 && t_lastError == 0) t_lastError = CDERR_DIALOGFAILURE;
    return FALSE;
}

DWORD WINAPI CommDlgExtendedError() { return trelwin::commctrl::filedialog::t_lastError; }
