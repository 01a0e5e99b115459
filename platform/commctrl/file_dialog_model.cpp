#include "platform/commctrl/file_dialog_model.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include "platform/commctrl/file_dialog.h"

namespace trelwin::commctrl::filedialog {

namespace {

int CompareNames(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);  // case decides last, so the order is total
}

template <typename T>
int CompareValues(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool Matches(const std::string& name, const std::vector<std::string>& patterns) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& p) { return MatchesFilePattern(name.c_str(), p.c_str()); });
}

std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The value of XDG_DESKTOP_DIR in the user's folder settings, with $HOME
// expanded; "" when it is not set there.
std::string ConfiguredDesktop(const std::string& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file = (config && *config == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DESKTOP_DIR=\"";
        if (line.compare(0, key.size(), key) != 0 || line.back() != '"') continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        return value.empty() || value[0] != '/' ? std::string() : value;
    }
    return {};
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

Listing ReadFolder(const std::string& folder, const std::vector<std::string>& patterns, bool hidden) {
    Listing listing;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        listing.error = errno;
        return listing;
    }
    const int fd = dirfd(dir);
    while (const dirent* d = readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == ".." || (name[0] == '.' && !hidden)) continue;
        struct stat st {};
        Entry entry;
        entry.name = name;
        if (fstatat(fd, d->d_name, &st, 0) == 0) {
            entry.kind = S_ISDIR(st.st_mode) ? EntryKind::Folder : EntryKind::File;
            entry.size = entry.kind == EntryKind::File ? static_cast<uint64_t>(st.st_size) : 0;
            entry.modified = static_cast<int64_t>(st.st_mtime);
        } else if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
            entry.kind = EntryKind::BrokenLink;
            entry.modified = static_cast<int64_t>(st.st_mtime);
        } else {
            continue;  // gone since the folder was read
        }
        if (entry.kind != EntryKind::Folder && !Matches(name, patterns)) continue;
        listing.entries.push_back(std::move(entry));
    }
    closedir(dir);
    return listing;
}

void SortEntries(std::vector<Entry>& entries, SortOrder order) {
    std::stable_sort(entries.begin(), entries.end(), [order](const Entry& a, const Entry& b) {
        const bool aFolder = a.kind == EntryKind::Folder;
        const bool bFolder = b.kind == EntryKind::Folder;
        if (aFolder != bFolder) return aFolder;
        int c = 0;
        if (order.column == SortColumn::Size) c = CompareValues(a.size, b.size);
        if (order.column == SortColumn::Modified) c = CompareValues(a.modified, b.modified);
        if (c == 0) c = CompareNames(a.name, b.name);
        return order.descending ? c > 0 : c < 0;
    });
}

std::string FormatSize(uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    while (value >= 1023.95 && unit + 1 < std::size(kUnits)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    // One decimal while it says something: below ten of the unit.
    if (value < 9.95) {
        std::snprintf(text, sizeof(text), "%.1f %s", value, kUnits[unit]);
    } else {
        std::snprintf(text, sizeof(text), "%.0f %s", value, kUnits[unit]);
    }
    return text;
}

std::string FormatModified(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) return {};
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M", &local);
    return text;
}

std::vector<std::string> SplitPatterns(const std::string& text) {
    std::vector<std::string> patterns;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        std::string piece = Trimmed(text.substr(start, end - start));
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
    const bool allAdmitted = std::any_of(filters.begin(), filters.end(), [](const Filter& f) {
        return std::any_of(f.patterns.begin(), f.patterns.end(),
                           [](const std::string& p) { return p == "*.*" || p == "*"; });
    });
    if (!allAdmitted) filters.push_back({"All files (*.*)", {"*.*"}});
    return filters;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir == '/') return pw->pw_dir;
    return "/";
}

std::string ResolvePath(const std::string& typed, const std::string& base) {
    std::string path = typed;
    if (path == "~" || path.compare(0, 2, "~/") == 0) {
        path = HomeFolder() + path.substr(1);
    } else if (path.empty() || path[0] != '/') {
        path = base + "/" + path;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string CompletePath(const std::string& typed, const std::string& base, bool withFiles) {
    const size_t slash = typed.find_last_of('/');
    const std::string head = slash == std::string::npos ? std::string() : typed.substr(0, slash + 1);
    const std::string stem = typed.substr(head.size());
    if (stem.empty() || stem == "." || stem == "..") return typed;
    const std::string folder = ResolvePath(head.empty() ? "." : head, base);
    const Listing listing = ReadFolder(folder, {"*"}, stem[0] == '.');
    std::string common;
    int matches = 0;
    bool folder_match = false;
    for (const Entry& e : listing.entries) {
        if (e.kind != EntryKind::Folder && !withFiles) continue;
        if (e.name.compare(0, stem.size(), stem) != 0) continue;
        if (matches++ == 0) {
            common = e.name;
        } else {
            size_t n = 0;
            while (n < common.size() && n < e.name.size() && common[n] == e.name[n]) ++n;
            common.resize(n);
        }
        folder_match = e.kind == EntryKind::Folder;
    }
    if (matches == 0) return typed;
    std::string completed = head + common;
    if (matches == 1 && folder_match) completed += "/";
    return completed.size() > typed.size() ? completed : typed;
}

std::vector<Place> Places() {
    const std::string home = HomeFolder();
    std::string desktop = ConfiguredDesktop(home);
    if (desktop.empty() || !IsFolder(desktop)) desktop = IsFolder(home + "/Desktop") ? home + "/Desktop" : home;
    return {{"&Home", home}, {"&Desktop", desktop}, {"&Root", "/"}};
}

}  // namespace trelwin::commctrl::filedialog
