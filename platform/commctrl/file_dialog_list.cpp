// The open-file dialog's details list: a report-view list with owner data
// over the dialog's entries (name with its icon, size, date modified), the
// sort order chosen by a click on a column heading and shown by the
// heading's mark, and type-ahead.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/commctrl/file_dialog_icons.h"
#include "platform/user/system_metrics.h"
#include "platform/commctrl/file_dialog_internal.h"
#include "platform/user/user.h"

namespace trelwin::commctrl::filedialog {

namespace {

constexpr DWORD kTypeAheadPause = 1000;  // ms after which typing starts a new prefix

struct ColumnSpec {
    const char* title;
    int format;
    const char* widest;  // the widest text the column shows (the name column takes the rest)
    SortColumn sort;
};
const ColumnSpec kColumns[] = {
    {"Name", LVCFMT_LEFT, nullptr, SortColumn::Name},
    {"Size", LVCFMT_RIGHT, "1023 bytes", SortColumn::Size},
    {"Date modified", LVCFMT_LEFT, "0000-00-00 00:00", SortColumn::Modified},
};

HWND List(const Dialog& d) { return Item(d, IDC_FILE_LIST); }

void ShowSortMark(const Dialog& d) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(List(d), LVM_GETHEADER, 0, 0));
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (kColumns[i].sort == d.order.column) item.fmt |= d.order.descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
}

std::string CellText(const Entry& e, int column) {
    switch (column) {
    case 0:
        return e.name;
    case 1:
        return e.kind == EntryKind::File ? FormatSize(e.size) : std::string();
    default:
        return FormatModified(e.modified);
    }
}

void GiveDisplayInfo(const Dialog& d, NMLVDISPINFOA& info) {
    LVITEMA& item = info.item;
    if (item.iItem < 0 || item.iItem >= static_cast<int>(d.entries.size())) return;
    const Entry& e = d.entries[static_cast<size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::string text = CellText(e, item.iSubItem);
        const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::memcpy(item.pszText, text.data(), n);
        item.pszText[n] = '\0';
    }
    if (item.mask & LVIF_IMAGE) {
        item.iImage = e.kind == EntryKind::Folder ? kFolderIcon : e.kind == EntryKind::File ? kFileIcon : kBrokenLinkIcon;
    }
}

void SelectOnly(const Dialog& d, int index) {
    HWND list = List(d);
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    if (index < 0) return;
    LVITEMA item{};
    item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, index);
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

// A selected file's name goes into the name box, as a typed name would.
void OnSelectionChanged(Dialog& d) {
    const int index = SelectedEntry(d);
    if (index < 0 || GetFocus() != List(d)) return;
    const Entry& e = d.entries[static_cast<size_t>(index)];
    if (e.kind != EntryKind::Folder) SetWindowTextA(Item(d, IDC_FILE_NAME), e.name.c_str());
}

void OnColumnClick(Dialog& d, int column) {
    if (column < 0 || column >= static_cast<int>(std::size(kColumns))) return;
    const SortColumn clicked = kColumns[column].sort;
    d.order.descending = clicked == d.order.column ? !d.order.descending : false;
    d.order.column = clicked;
    const int selected = SelectedEntry(d);
    ShowEntries(d, selected >= 0 ? d.entries[static_cast<size_t>(selected)].name : std::string());
}

bool StartsWithIgnoringCase(const std::string& name, const std::string& prefix) {
    if (name.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

}  // namespace

void SetUpList(Dialog& d) {
    HWND list = List(d);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(MakeFileIcons()));
    auto width = [list](const char* text) {
        return static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
    };
    RECT client{};
    GetClientRect(list, &client);
    int rest = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.pszText = const_cast<LPSTR>(kColumns[i].title);
        column.iSubItem = i;
        // Room for the text, the cell's margins and the heading's sort mark.
        const int pad = trelwin::user::ScaleToScreen(16);
        if (kColumns[i].widest) column.cx = std::max(width(kColumns[i].widest), width(kColumns[i].title) + pad) + pad;
        if (i > 0) rest -= column.cx;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    // The name takes what the other columns leave.
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(std::max(rest, width("Name") * 3), 0));
}

void ShowEntries(Dialog& d, const std::string& select) {
    SortEntries(d.entries, d.order);
    HWND list = List(d);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SelectOnly(d, -1);
    SendMessageA(list, LVM_SETITEMCOUNT, d.entries.size(), 0);
    int index = -1;
    for (size_t i = 0; i < d.entries.size() && !select.empty(); ++i) {
        if (d.entries[i].name == select) index = static_cast<int>(i);
    }
    if (index >= 0) {
        SelectOnly(d, index);
    } else if (!d.entries.empty()) {
        // The focus mark on the first entry, so that the arrows start there.
        LVITEMA item{};
        item.state = item.stateMask = LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    ShowSortMark(d);
}

int SelectedEntry(const Dialog& d) {
    const LRESULT index = SendMessageA(List(d), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    return index >= 0 && index < static_cast<LRESULT>(d.entries.size()) ? static_cast<int>(index) : -1;
}

bool OnListNotify(Dialog& d, NMHDR* hdr) {
    switch (hdr->code) {
    case LVN_GETDISPINFOA:
        GiveDisplayInfo(d, *reinterpret_cast<NMLVDISPINFOA*>(hdr));
        return true;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        OnSelectionChanged(d);
        return true;
    case LVN_COLUMNCLICK:
        OnColumnClick(d, reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem);
        return true;
    case NM_DBLCLK: {
        const int item = reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem;
        if (item >= 0 && item < static_cast<int>(d.entries.size())) Activate(d, item);
        return true;
    }
    default:
        return false;
    }
}

void TypeAhead(Dialog& d, char c, DWORD time) {
    if (d.entries.empty()) return;
    if (time - d.typeAheadTime > kTypeAheadPause) d.typeAhead.clear();
    d.typeAheadTime = time;
    d.typeAhead += c;
    // A repeated first letter steps through the entries that start with it.
    const bool stepping = d.typeAhead.size() > 1 &&
                          d.typeAhead.find_first_not_of(d.typeAhead[0]) == std::string::npos;
    const std::string prefix = stepping ? d.typeAhead.substr(0, 1) : d.typeAhead;
    const int current = SelectedEntry(d);
    const size_t count = d.entries.size();
    const size_t start = current < 0 ? 0 : static_cast<size_t>(current) + (d.typeAhead.size() == 1 || stepping ? 1 : 0);
    for (size_t k = 0; k < count; ++k) {
        const size_t i = (start + k) % count;
        if (StartsWithIgnoringCase(d.entries[i].name, prefix)) {
            SelectOnly(d, static_cast<int>(i));
            OnSelectionChanged(d);
            return;
        }
    }
}

}  // namespace trelwin::commctrl::filedialog
