// The open-file dialog's model on a folder made for the test: what a folder
// shows, its order by each column both ways, the size and date texts, the
// filter list and the completion of typed paths.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/commctrl/file_dialog_model.h"

namespace fs = std::filesystem;
using namespace trelwin::commctrl::filedialog;

namespace {

class FileDialogModel : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("file_dialog_model_" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // A file of `size` bytes last modified at `when` (seconds since the epoch).
    void File(const std::string& name, size_t size, time_t when) {
        std::ofstream(m_dir / name) << std::string(size, 'x');
        Touch(name, when);
    }
    void Folder(const std::string& name, time_t when) {
        fs::create_directory(m_dir / name);
        Touch(name, when);
    }
    void Touch(const std::string& name, time_t when) {
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (m_dir / name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << name;
    }
    static std::vector<std::string> Names(const std::vector<Entry>& entries) {
        std::vector<std::string> names;
        for (const Entry& e : entries) names.push_back(e.name);
        return names;
    }

    fs::path m_dir;
};

}  // namespace

TEST_F(FileDialogModel, FoldersComeFirstInEveryOrderOfEveryColumn) {
    File("b.zpk", 300, 1000);
    File("A.zpk", 5000, 3000);
    File("c.ZPK", 20, 2000);
    File("notes.txt", 1, 4000);
    File(".hidden.zpk", 1, 4000);
    Folder("zeta", 500);
    Folder("Alpha", 9000);
    fs::create_symlink(m_dir / "missing", m_dir / "dangling.zpk");
    fs::create_symlink(m_dir / "zeta", m_dir / "to-zeta");

    const Listing listing = ReadFolder(m_dir.string(), {"*.zpk"}, false);
    ASSERT_EQ(listing.error, 0);
    struct Case {
        SortOrder order;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {{SortColumn::Name, false}, {"Alpha", "to-zeta", "zeta", "A.zpk", "b.zpk", "c.ZPK", "dangling.zpk"}},
        {{SortColumn::Name, true}, {"zeta", "to-zeta", "Alpha", "dangling.zpk", "c.ZPK", "b.zpk", "A.zpk"}},
        // Folders have no size: among themselves they keep the name order.
        {{SortColumn::Size, false}, {"Alpha", "to-zeta", "zeta", "dangling.zpk", "c.ZPK", "b.zpk", "A.zpk"}},
        {{SortColumn::Size, true}, {"zeta", "to-zeta", "Alpha", "A.zpk", "b.zpk", "c.ZPK", "dangling.zpk"}},
        // A link to a folder has the folder's date (a tie: the name decides);
        // a broken link has its own, which is now.
        {{SortColumn::Modified, false}, {"to-zeta", "zeta", "Alpha", "b.zpk", "c.ZPK", "A.zpk", "dangling.zpk"}},
        {{SortColumn::Modified, true}, {"Alpha", "zeta", "to-zeta", "dangling.zpk", "A.zpk", "c.ZPK", "b.zpk"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.order.column) * 2 + c.order.descending);
        std::vector<Entry> entries = listing.entries;
        SortEntries(entries, c.order);
        EXPECT_EQ(Names(entries), c.names);
    }
    for (const Entry& e : listing.entries) {
        SCOPED_TRACE(e.name);
        if (e.name == "A.zpk") {
            EXPECT_EQ(e.kind, EntryKind::File);
            EXPECT_EQ(e.size, 5000u);
            EXPECT_EQ(e.modified, 3000);
        }
        if (e.name == "to-zeta") {
            EXPECT_EQ(e.kind, EntryKind::Folder);
        }
        if (e.name == "dangling.zpk") {
            EXPECT_EQ(e.kind, EntryKind::BrokenLink);
        }
    }
    EXPECT_EQ(ReadFolder(m_dir.string(), {"*.zpk"}, true).entries.size(), listing.entries.size() + 1);
    EXPECT_EQ(ReadFolder((m_dir / "nothing").string(), {"*"}, false).error, ENOENT);
    EXPECT_EQ(ReadFolder((m_dir / "notes.txt").string(), {"*"}, false).error, ENOTDIR);
}

TEST(FileDialogTexts, SizesAndDatesReadAsAPersonWritesThem) {
    const std::pair<uint64_t, const char*> sizes[] = {
        {0, "0 bytes"},         {1, "1 byte"},           {1023, "1023 bytes"},  {1024, "1.0 KB"},
        {1536, "1.5 KB"},       {10188, "9.9 KB"},       {10240, "10 KB"},      {1048000, "1023 KB"},
        {1048576, "1.0 MB"},    {uint64_t{5} << 30, "5.0 GB"},    {1572864, "1.5 MB"},   {1048575, "1.0 MB"},
    };
    for (const auto& [bytes, text] : sizes) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(FormatSize(bytes), text);
    }
    ::setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(FormatModified(0), "1970-01-01 00:00");
    EXPECT_EQ(FormatModified(1717171717), "2024-05-31 16:08");
    ::setenv("TZ", "Europe/Madrid", 1);
    tzset();
    EXPECT_EQ(FormatModified(1717171717), "2024-05-31 18:08");  // summer time, UTC+2
    ::unsetenv("TZ");
    tzset();
}

TEST(FileDialogTexts, FilterListsGainAllFilesUnlessTheyHaveIt) {
    const std::vector<Filter> page = ParseFilters("Zelo Flash files (*.zpk)\0*.zpk\0");
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].description, "Zelo Flash files (*.zpk)");
    EXPECT_EQ(page[0].patterns, std::vector<std::string>{"*.zpk"});
    EXPECT_EQ(page[1].patterns, std::vector<std::string>{"*.*"});
    EXPECT_EQ(ParseFilters("Any\0*\0").size(), 1u);
    const std::vector<Filter> two = ParseFilters("Images\0*.png; *.JPG\0All\0*.*\0");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].patterns, (std::vector<std::string>{"*.png", "*.JPG"}));
    EXPECT_EQ(ParseFilters(nullptr).size(), 1u);
}

TEST_F(FileDialogModel, TypedPathsResolveAndComplete) {
    Folder("alpha", 1);
    Folder("alpine", 1);
    Folder("beta", 1);
    File("bfile.txt", 1, 1);
    File("gamma.zpk", 1, 1);
    Folder(".config", 1);
    const std::string dir = m_dir.string();
    ::setenv("HOME", dir.c_str(), 1);
    struct Case {
        const char* typed;
        bool withFiles;
        std::string completed;
    };
    const Case cases[] = {
        {"al", false, "alp"},                 // two folders share "alp"
        {"alph", false, "alpha/"},            // one folder: its name and a slash
        {"b", false, "beta/"},                // files do not count for a folder path
        {"b", true, "b"},                     // a folder and a file: nothing longer in common
        {"g", true, "gamma.zpk"},             // a file gets no slash
        {"g", false, "g"},
        {"A", false, "A"},                    // case counts
        {"x", false, "x"},
        {"~/alph", false, "~/alpha/"},
        {".c", false, ".config/"},            // a leading dot asks for hidden names
        {"alpha/../be", false, "alpha/../beta/"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(CompletePath(c.typed, dir, c.withFiles), c.completed);
    }
    EXPECT_EQ(CompletePath(dir + "/alph", "/", false), dir + "/alpha/");
    const std::pair<const char*, std::string> paths[] = {
        {"sub/file", dir + "/sub/file"}, {"/a/./b/../c/", "/a/c"}, {"~", dir}, {"~/x", dir + "/x"},
        {"/..", "/"},                    {"..", m_dir.parent_path().string()}, {".", dir},
    };
    for (const auto& [typed, resolved] : paths) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(ResolvePath(typed, dir), resolved);
    }
}
