// The open-file dialog over the file system: folders first, then the files
// that the chosen filter admits; a typed name is taken relative to the
// folder shown, a typed folder is entered, a typed pattern filters.
#include "platform/commctrl/file_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "platform/commctrl/button.h"
#include "platform/commctrl/combo_box.h"
#include "platform/commctrl/edit.h"
#include "platform/commctrl/list_box.h"
#include "platform/commctrl/static.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_box.h"
#include "platform/user/painting.h"
#include "platform/user/message_functions.h"
#include "platform/user/window_object.h"
#include "platform/user/window_tree.h"

namespace fs = std::filesystem;

namespace {

thread_local DWORD t_lastError = 0;

struct Filter {
    std::string description;
    std::vector<std::string> patterns;
};

struct FileDialog {
    OPENFILENAMEA* ofn = nullptr;
    std::vector<Filter> filters;
    std::vector<std::string> typedPatterns;  // a pattern typed into the name box, until the filter changes
    fs::path folder;
};

constexpr LPARAM kFolderItem = 1;
constexpr LPARAM kFileItem = 0;

std::vector<std::string> SplitPatterns(const std::string& text) {
    std::vector<std::string> patterns;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        std::string piece = text.substr(start, end - start);
        piece.erase(0, piece.find_first_not_of(' '));
        piece.erase(piece.find_last_not_of(' ') + 1);
        if (!piece.empty()) patterns.push_back(piece);
        start = end + 1;
    }
    return patterns;
}

std::vector<Filter> ParseFilters(LPCSTR text) {
    std::vector<Filter> filters;
    while (text && *text) {
        Filter filter;
        filter.description = text;
        text += filter.description.size() + 1;
        if (!*text) break;  // a description without patterns ends the list
        filter.patterns = SplitPatterns(text);
        text += std::strlen(text) + 1;
        filters.push_back(std::move(filter));
    }
    if (filters.empty()) filters.push_back({"All files (*.*)", {"*.*"}});
    return filters;
}

// A folder's path without "." and ".." parts and without a trailing slash.
fs::path Normal(const fs::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text.empty() ? fs::path("/") : fs::path(text);
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

const std::vector<std::string>& Patterns(const FileDialog& dialog, HWND hDlg) {
    if (!dialog.typedPatterns.empty()) return dialog.typedPatterns;
    LRESULT index = SendDlgItemMessageA(hDlg, IDC_FILE_TYPES, CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(dialog.filters.size())) index = 0;
    return dialog.filters[static_cast<size_t>(index)].patterns;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

void ShowFolderText(FileDialog& dialog, HWND hDlg) {
    SetDlgItemTextA(hDlg, IDC_FILE_FOLDER, dialog.folder.string().c_str());
}

// Lists the folder; false (and nothing changed) when it cannot be read.
bool Fill(FileDialog& dialog, HWND hDlg, const fs::path& folder) {
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    if (error) return false;
    std::vector<std::string> folders, files;
    const bool hidden = (dialog.ofn->Flags & OFN_FORCESHOWHIDDEN) != 0;
    const std::vector<std::string>& patterns = Patterns(dialog, hDlg);
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::string name = it->path().filename().string();
        if (name.empty() || (name[0] == '.' && !hidden)) continue;
        std::error_code statError;
        if (it->is_directory(statError)) {
            folders.push_back(name);
        } else if (std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) {
                       return trelwin::commctrl::MatchesFilePattern(name.c_str(), p.c_str());
                   })) {
            files.push_back(name);
        }
    }
    std::sort(folders.begin(), folders.end(), LessIgnoringCase);
    std::sort(files.begin(), files.end(), LessIgnoringCase);
    dialog.folder = folder;
    HWND list = GetDlgItem(hDlg, IDC_FILE_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    auto add = [list](const std::string& text, LPARAM kind) {
        const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (index >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), kind);
    };
    if (folder.has_parent_path() && folder.parent_path() != folder) add("../", kFolderItem);
    for (const std::string& name : folders) add(name + "/", kFolderItem);
    for (const std::string& name : files) add(name, kFileItem);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    ShowFolderText(dialog, hDlg);
    return true;
}

bool Enter(FileDialog& dialog, HWND hDlg, const fs::path& folder) {
    const fs::path target = Normal(folder);
    if (Fill(dialog, hDlg, target)) return true;
    const std::string text = target.string() + "\nThe folder cannot be opened.";
    MessageBoxA(hDlg, text.c_str(), "Open", MB_OK | MB_ICONWARNING);
    return false;
}

// The list item's text without the folder mark; its kind through *folder.
std::string ItemName(HWND list, LRESULT index, bool* folder) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    *folder = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0) == kFolderItem;
    if (*folder && !text.empty() && text.back() == '/') text.pop_back();
    return text;
}

void Warn(HWND hDlg, const std::string& text) {
    const std::string title = WindowTextOf(hDlg);
    MessageBoxA(hDlg, text.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(hDlg, IDC_FILE_NAME));
}

// Hands the path back as the structure asks; false when the caller's
// buffer is too small (the dialog then fails with FNERR_BUFFERTOOSMALL).
bool Deliver(FileDialog& dialog, HWND hDlg, const std::string& path) {
    OPENFILENAMEA& ofn = *dialog.ofn;
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
    if (dot == std::string::npos || dot < nameStart) {
        ofn.nFileExtension = 0;
    } else {
        ofn.nFileExtension = static_cast<WORD>(dot + 1);
    }
    if (ofn.lpstrFileTitle && ofn.nMaxFileTitle) {
        const std::string name = path.substr(nameStart);
        const size_t count = std::min<size_t>(name.size(), ofn.nMaxFileTitle - 1);
        std::memcpy(ofn.lpstrFileTitle, name.c_str(), count);
        ofn.lpstrFileTitle[count] = '\0';
    }
    const LRESULT filter = SendDlgItemMessageA(hDlg, IDC_FILE_TYPES, CB_GETCURSEL, 0, 0);
    if (filter >= 0) ofn.nFilterIndex = static_cast<DWORD>(filter + 1);
    return true;
}

// OK: a folder is entered, a pattern filters, a file name is checked and
// handed back.
void Accept(FileDialog& dialog, HWND hDlg) {
    HWND list = GetDlgItem(hDlg, IDC_FILE_LIST);
    char buffer[4096];
    GetDlgItemTextA(hDlg, IDC_FILE_NAME, buffer, sizeof(buffer));
    std::string text = buffer;
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected >= 0 && (text.empty() || GetFocus() == list)) {
        bool folder = false;
        const std::string name = ItemName(list, selected, &folder);
        if (folder) {
            if (Enter(dialog, hDlg, dialog.folder / name)) SetDlgItemTextA(hDlg, IDC_FILE_NAME, "");
            return;
        }
        if (text.empty() || GetFocus() == list) text = name;
    }
    if (text.empty()) return;
    if (HasWildcard(text)) {
        dialog.typedPatterns = SplitPatterns(text);
        Fill(dialog, hDlg, dialog.folder);
        return;
    }
    fs::path path(text);
    if (path.is_relative()) path = dialog.folder / path;
    path = path.lexically_normal();
    std::error_code error;
    if (fs::is_directory(path, error)) {
        if (Enter(dialog, hDlg, path)) SetDlgItemTextA(hDlg, IDC_FILE_NAME, "");
        return;
    }
    std::string full = path.string();
    if (full.size() > 1 && full.back() == '/') full.pop_back();
    const OPENFILENAMEA& ofn = *dialog.ofn;
    const std::string name = fs::path(full).filename().string();
    if (ofn.lpstrDefExt && *ofn.lpstrDefExt && name.find('.') == std::string::npos) {
        full += ".";
        full += ofn.lpstrDefExt;
    }
    if (ofn.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) {
        const fs::path parent = fs::path(full).parent_path();
        if (!parent.empty() && !fs::is_directory(parent, error)) {
            Warn(hDlg, full + "\nPath does not exist.\nCheck the path and try again.");
            return;
        }
    }
    if ((ofn.Flags & OFN_FILEMUSTEXIST) && !fs::is_regular_file(full, error)) {
        Warn(hDlg, full + "\nFile not found.\nCheck the file name and try again.");
        return;
    }
    EndDialog(hDlg, Deliver(dialog, hDlg, full) ? IDOK : -2);
}

void OnListNotify(FileDialog& dialog, HWND hDlg, WORD code) {
    HWND list = GetDlgItem(hDlg, IDC_FILE_LIST);
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index < 0) return;
    bool folder = false;
    const std::string name = ItemName(list, index, &folder);
    if (code == LBN_SELCHANGE) {
        if (!folder) SetDlgItemTextA(hDlg, IDC_FILE_NAME, name.c_str());
    } else if (code == LBN_DBLCLK) {
        if (folder) {
            Enter(dialog, hDlg, dialog.folder / name);
        } else {
            SetDlgItemTextA(hDlg, IDC_FILE_NAME, name.c_str());
            Accept(dialog, hDlg);
        }
    }
}

fs::path StartFolder(const OPENFILENAMEA& ofn, std::string* name) {
    std::error_code error;
    if (ofn.lpstrFile && *ofn.lpstrFile) {
        const fs::path given(ofn.lpstrFile);
        if (given.has_parent_path() && fs::is_directory(given.parent_path(), error)) {
            *name = given.filename().string();
            return Normal(fs::absolute(given.parent_path(), error));
        }
        *name = ofn.lpstrFile;
    }
    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir && fs::is_directory(ofn.lpstrInitialDir, error)) {
        return Normal(fs::absolute(ofn.lpstrInitialDir, error));
    }
    fs::path current = fs::current_path(error);
    return error ? fs::path("/") : current;
}

void Initialise(FileDialog& dialog, HWND hDlg) {
    const OPENFILENAMEA& ofn = *dialog.ofn;
    if (ofn.lpstrTitle) SetWindowTextA(hDlg, ofn.lpstrTitle);
    dialog.filters = ParseFilters(ofn.lpstrFilter);
    for (const Filter& filter : dialog.filters) {
        SendDlgItemMessageA(hDlg, IDC_FILE_TYPES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.description.c_str()));
    }
    DWORD index = ofn.nFilterIndex ? ofn.nFilterIndex - 1 : 0;
    if (index >= dialog.filters.size()) index = 0;
    SendDlgItemMessageA(hDlg, IDC_FILE_TYPES, CB_SETCURSEL, index, 0);
    std::string name;
    const fs::path folder = StartFolder(ofn, &name);
    if (!Fill(dialog, hDlg, folder)) Fill(dialog, hDlg, "/");
    SetDlgItemTextA(hDlg, IDC_FILE_NAME, name.c_str());
}

INT_PTR CALLBACK FileDialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<FileDialog*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        dialog = reinterpret_cast<FileDialog*>(lParam);
        SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
        Initialise(*dialog, hDlg);
        // The name box first: a typed name and Enter are all it takes.
        SendMessageA(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hDlg, IDC_FILE_NAME)), TRUE);
        return FALSE;
    case WM_COMMAND:
        if (!dialog) return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: Accept(*dialog, hDlg); return TRUE;
        case IDCANCEL: EndDialog(hDlg, IDCANCEL); return TRUE;
        case IDC_FILE_LIST: OnListNotify(*dialog, hDlg, HIWORD(wParam)); return TRUE;
        case IDC_FILE_TYPES:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                dialog->typedPatterns.clear();
                Fill(*dialog, hDlg, dialog->folder);
            }
            return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

}  // namespace

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

using trelwin::user::DialogItemTemplate;

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    t_lastError = 0;
    if (!lpofn || lpofn->lStructSize < offsetof(OPENFILENAMEA, pvReserved)) {
        t_lastError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!lpofn->lpstrFile || lpofn->nMaxFile == 0) {
        t_lastError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    FileDialog dialog;
    dialog.ofn = lpofn;
    const DialogItemTemplate items[] = {
        {"STATIC", "Look in:", -1, WS_VISIBLE, 0, 7, 8, 40, 8},
        {"STATIC", "", IDC_FILE_FOLDER, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 50, 8, 223, 8},
        {"LISTBOX", nullptr, IDC_FILE_LIST,
         WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 7, 21, 266, 120},
        {"STATIC", "File &name:", -1, WS_VISIBLE, 0, 7, 150, 48, 8},
        {"EDIT", "", IDC_FILE_NAME, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 58, 148, 150, 12},
        {"STATIC", "Files of &type:", -1, WS_VISIBLE, 0, 7, 167, 48, 8},
        {"COMBOBOX", nullptr, IDC_FILE_TYPES, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 58, 165,
         150, 80},
        {"BUTTON", "&Open", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 223, 147, 50, 14},
        {"BUTTON", "Cancel", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 223, 164, 50, 14},
    };
    DLGTEMPLATE tmpl{};
    tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_3DLOOK;
    tmpl.cx = 280;
    tmpl.cy = 185;
    tmpl.caption = "Open";
    tmpl.fontName = "MS Sans Serif";
    tmpl.pointSize = 8;
    tmpl.items = items;
    tmpl.itemCount = std::size(items);
    const INT_PTR result = DialogBoxIndirectParamA(lpofn->hInstance, &tmpl, lpofn->hwndOwner, FileDialogProc,
                                                   reinterpret_cast<LPARAM>(&dialog));
    if (result == IDOK) return TRUE;
    if (result == -1 && t_lastError == 0) t_lastError = CDERR_DIALOGFAILURE;
    return FALSE;
}

DWORD WINAPI CommDlgExtendedError() { return t_lastError; }
