// Moving between folders in the open-file dialog: entering one (or saying
// why it cannot be read), going up, reading the shown one again, and the
// path box that shows the folder and completes what is typed into it.
#include <cstring>

#include "platform/commctrl/combo_box.h"
#include "platform/commctrl/edit.h"
#include "platform/commctrl/file_dialog_internal.h"
#include "platform/user/message_box.h"
#include "platform/user/user.h"

namespace trelwin::commctrl::filedialog {

namespace {

std::string TextOf(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(std::strlen(text.c_str()));
    return text;
}

}  // namespace

HWND Item(const Dialog& d, int id) { return GetDlgItem(d.hwnd, id); }

const std::vector<std::string>& Patterns(const Dialog& d) {
    if (!d.typedPatterns.empty()) return d.typedPatterns;
    LRESULT index = SendMessageA(Item(d, IDC_FILE_TYPES), CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(d.filters.size())) index = 0;
    return d.filters[static_cast<size_t>(index)].patterns;
}

std::string DescribeError(const std::string& path, int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return path + "\nYou are not allowed to open this folder.";
    case ENOENT:
        return path + "\nThe folder no longer exists.";
    case ENOTDIR:
        return path + "\nThis is not a folder.";
    default:
        return path + "\nThe folder cannot be opened: " + std::strerror(error) + ".";
    }
}

void Warn(const Dialog& d, const std::string& text) {
    HWND focus = GetFocus();
    const std::string title = TextOf(d.hwnd);
    MessageBoxA(d.hwnd, text.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
    if (focus != nullptr && IsWindow(focus)) SetFocus(focus);
}

void ShowFolderText(Dialog& d) {
    d.settingText = true;
    SetWindowTextA(Item(d, IDC_FILE_FOLDER), d.folder.c_str());
    d.settingText = false;
    d.pathLength = d.folder.size();
}

bool Enter(Dialog& d, const std::string& folder) {
    const bool hidden = (d.ofn->Flags & OFN_FORCESHOWHIDDEN) != 0;
    Listing listing = ReadFolder(folder, Patterns(d), hidden);
    if (listing.error != 0) {
        Warn(d, DescribeError(folder, listing.error));
        return false;
    }
    // Coming up from a sub-folder selects it, so that the way back is a key away.
    std::string select;
    if (d.folder.size() > folder.size() && d.folder.compare(0, folder.size(), folder) == 0) {
        const size_t start = folder == "/" ? 1 : folder.size() + 1;
        select = d.folder.substr(start, d.folder.find('/', start) - start);
    }
    d.folder = folder;
    d.entries = std::move(listing.entries);
    d.typeAhead.clear();
    ShowEntries(d, select);
    ShowFolderText(d);
    return true;
}

void Refresh(Dialog& d) {
    const int selected = SelectedEntry(d);
    const std::string keep = selected >= 0 ? d.entries[static_cast<size_t>(selected)].name : std::string();
    Listing listing = ReadFolder(d.folder, Patterns(d), (d.ofn->Flags & OFN_FORCESHOWHIDDEN) != 0);
    if (listing.error != 0) return;  // what is shown stays; entering anything says why
    d.entries = std::move(listing.entries);
    ShowEntries(d, keep);
}

void GoUp(Dialog& d) {
    if (d.folder == "/") return;
    Enter(d, ResolvePath("..", d.folder));
}

void OnPathEdited(Dialog& d) {
    if (d.settingText) return;
    HWND edit = Item(d, IDC_FILE_FOLDER);
    const std::string text = TextOf(edit);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const bool typedAtEnd = text.size() > d.pathLength && start == end && end == text.size();
    d.pathLength = text.size();
    if (!typedAtEnd) return;  // deleting or editing inside the text completes nothing
    const std::string completed = CompletePath(text, d.folder, false);
    if (completed.size() <= text.size()) return;
    // The completion is selected: typing on replaces it, End or Enter takes it.
    d.settingText = true;
    SetWindowTextA(edit, completed.c_str());
    SendMessageA(edit, EM_SETSEL, text.size(), static_cast<LPARAM>(completed.size()));
    d.settingText = false;
}

}  // namespace trelwin::commctrl::filedialog
