// What the open-file dialog shows, apart from its windows: a folder read
// into entries (its folders and the files that the filter admits), their
// order (folders first, then by the chosen column either way), the texts of
// the size and date columns, the filter list, the completion of a typed
// path, and the places to jump to. Everything here works on the file system
// and on strings only, so it is tested without a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/win_types.h"

namespace trelwin::commctrl::filedialog {

enum class EntryKind { Folder, File, BrokenLink };

struct Entry {
    std::string name;
    EntryKind kind = EntryKind::File;
    uint64_t size = 0;      // bytes; 0 for folders and broken links
    int64_t modified = 0;   // seconds since the epoch (the link's own for a broken link)
};

struct Filter {
    std::string description;
    std::vector<std::string> patterns;
};

enum class SortColumn { Name, Size, Modified };

struct SortOrder {
    SortColumn column = SortColumn::Name;
    bool descending = false;
};

struct Listing {
    std::vector<Entry> entries;
    int error = 0;  // errno of a folder that could not be read (entries then empty)
};

// The folder's sub-folders (links to folders included) and the files that
// match one of the patterns; names starting with a dot only when hidden is
// true. Entries that vanish while the folder is read are left out.
Listing ReadFolder(const std::string& folder, const std::vector<std::string>& patterns, bool hidden);

// Folders before files in either direction; names compare without regard to
// case, and equal sizes or dates fall back to the name order.
void SortEntries(std::vector<Entry>& entries, SortOrder order);

// "0 bytes", "1 byte", "999 bytes", then 1024-based with one decimal below
// ten: "1.0 KB", "9.9 KB", "10 KB", "1.5 MB", "2.0 GB".
std::string FormatSize(uint64_t bytes);
// Local time as "YYYY-MM-DD HH:MM".
std::string FormatModified(int64_t seconds);

// "Name (*.a)\0*.a;*.b\0...\0\0" into filters; "All files (*.*)" is added
// when no filter admits every file already, so any file can be chosen.
std::vector<Filter> ParseFilters(LPCSTR text);
std::vector<std::string> SplitPatterns(const std::string& text);

// A path as the user typed it, made absolute: "~" and "~/..." from the home
// folder, a relative one from base; "." and ".." parts resolved, no trailing
// slash (except the root itself).
std::string ResolvePath(const std::string& typed, const std::string& base);

// The completion of a typed path: the longest text that every entry of its
// folder starting with the typed last part shares, with a '/' after a single
// folder; the typed text itself when nothing (or nothing longer) matches.
// Files count only when withFiles is true. Matching respects case.
std::string CompletePath(const std::string& typed, const std::string& base, bool withFiles);

struct Place {
    const char* label;
    std::string path;
};
// Home, the desktop folder (the user's configured one, else ~/Desktop when
// it exists, else the home) and the root.
std::vector<Place> Places();
std::string HomeFolder();

}  // namespace trelwin::commctrl::filedialog
