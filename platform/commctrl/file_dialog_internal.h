// The open-file dialog's state and the parts its sources share:
// file_dialog.cpp runs the dialog and decides what OK does,
// file_dialog_list.cpp keeps the details list (owner data over the shown
// entries, sorting by a header click, type-ahead), file_dialog_folder.cpp
// moves between folders and completes a typed path. All of it runs on the
// dialog's thread.
#pragma once

#include <string>
#include <vector>

#include "platform/commctrl/file_dialog.h"
#include "platform/commctrl/file_dialog_model.h"
#include "platform/commctrl/list_view.h"

namespace trelwin::commctrl::filedialog {

// Controls besides those of file_dialog.h.
constexpr int kUpButton = 1200;
constexpr int kFirstPlace = 1201;  // one button per place, in the order of Places()

struct Dialog {
    OPENFILENAMEA* ofn = nullptr;
    HWND hwnd = nullptr;
    std::vector<Filter> filters;
    std::vector<std::string> typedPatterns;  // a pattern typed into the name box, until the filter changes
    std::vector<Place> places;
    std::string folder;             // the folder shown
    std::vector<Entry> entries;     // what the list shows, in its order
    SortOrder order;
    std::string typeAhead;          // letters typed into the list in quick succession
    DWORD typeAheadTime = 0;
    bool settingText = false;       // the dialog itself is changing the path box
    size_t pathLength = 0;          // the path box's length after its last change
};

HWND Item(const Dialog& d, int id);

// The list (file_dialog_list.cpp).
void SetUpList(Dialog& d);
// Shows d.entries (sorted by d.order); the entry named `select`, if any,
// becomes the selected one.
void ShowEntries(Dialog& d, const std::string& select);
// The selected entry's index in d.entries, or -1.
int SelectedEntry(const Dialog& d);
// WM_NOTIFY from the list or its header; true when handled.
bool OnListNotify(Dialog& d, NMHDR* hdr);
// A character typed into the list: selects the next entry whose name starts
// with what was typed within the last second.
void TypeAhead(Dialog& d, char c, DWORD time);

// Folders (file_dialog_folder.cpp).
const std::vector<std::string>& Patterns(const Dialog& d);
// Reads and shows a folder; false (and nothing changed) when it cannot be
// read, after a message that says why.
bool Enter(Dialog& d, const std::string& folder);
// Reads the shown folder again, keeping the selection.
void Refresh(Dialog& d);
void GoUp(Dialog& d);
// The path box changed: inline completion of what was typed at its end.
void OnPathEdited(Dialog& d);
void ShowFolderText(Dialog& d);

// A warning over the dialog, titled as the dialog; the focus returns to the
// control that had it.
void Warn(const Dialog& d, const std::string& text);
// "<path>\n<text>" for an errno.
std::string DescribeError(const std::string& path, int error);

// OK and the activation of an entry (file_dialog.cpp).
void Accept(Dialog& d);
void Activate(Dialog& d, int entry);

}  // namespace trelwin::commctrl::filedialog
