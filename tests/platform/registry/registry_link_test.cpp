// A settings file that is a symbolic link: the file it leads to is read
// and written, the link stays where it is, and processes that reach the
// file through the link or directly wait for each other.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "tests/platform/registry/registry_test_dir.h"
#include "tests/platform/registry/registry_text.h"

namespace fs = std::filesystem;

namespace {

// A temporary folder outside the registry folder, removed at the end.
class OtherFolder {
public:
    OtherFolder() {
        std::string pattern = fs::temp_directory_path().string() + "/trelwin-linked-XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~OtherFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

const char kKept[] = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"kept\"\n";

}  // namespace

// Each case lays links in the registry folder (and a file elsewhere), then
// the program reads a value and writes one. The links stay as they were,
// the new value lands in the file at the end of the chain, and nothing else
// appears in the registry folder.
TEST(RegistryLink, TheFileAtTheEndOfTheLinksIsWrittenAndTheLinksStay) {
    struct Case {
        const char* name;
        // Name in the registry folder and what it links to, the registry
        // file last; "@" stands for the other folder, "^" for the way there
        // from the registry folder.
        std::vector<std::pair<std::string, std::string>> links;
        const char* file;  // the text of settings.reg in the other folder beforehand, or null for none
        const char* end;   // where the chain ends in the other folder, or null
        std::string before;  // the value read first
        LONG written;
        const char* aside;  // the text of a copy set aside beside the end, or null for none
    };
    const std::string reg = "HKEY_CURRENT_USER.reg";
    const Case cases[] = {
        {"link to a file in another folder", {{reg, "@/settings.reg"}}, kKept, "settings.reg", "kept", ERROR_SUCCESS,
         nullptr},
        {"relative link", {{reg, "^/settings.reg"}}, kKept, "settings.reg", "kept", ERROR_SUCCESS, nullptr},
        {"chain of two links", {{"middle.reg", "@/settings.reg"}, {reg, "middle.reg"}}, kKept, "settings.reg", "kept",
         ERROR_SUCCESS, nullptr},
        {"link to a file not made yet", {{reg, "@/settings.reg"}}, nullptr, "settings.reg", "<no key>", ERROR_SUCCESS,
         nullptr},
        {"link into a folder that does not exist", {{reg, "@/gone/settings.reg"}}, nullptr, nullptr, "<no key>",
         ERROR_CANTWRITE, nullptr},
        {"link to a damaged file", {{reg, "@/settings.reg"}}, "not a settings file\n", "settings.reg", "<no key>",
         ERROR_SUCCESS, "not a settings file\n"},
        {"links in a circle", {{"circle.reg", reg}, {reg, "circle.reg"}}, nullptr, nullptr, "<no key>",
         ERROR_REGISTRY_CORRUPT, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedRegistryDir dir;
        OtherFolder other;
        if (c.file) std::ofstream(other.Path() + "/settings.reg") << c.file;
        std::set<std::string> names;
        std::vector<std::string> targets;
        for (const auto& [name, link] : c.links) {
            std::string target = link;
            if (target[0] == '@') target.replace(0, 1, other.Path());
            if (target[0] == '^') target.replace(0, 1, "../" + fs::path(other.Path()).filename().string());
            fs::create_symlink(target, dir.Path() + "/" + name);
            names.insert(name);
            targets.push_back(target);
        }

        testing::internal::CaptureStderr();
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "A", "v"), c.before);
        EXPECT_EQ(WriteText(HKEY_CURRENT_USER, "B", "w", "new"), c.written);
        testing::internal::GetCapturedStderr();

        EXPECT_EQ(Names(dir.Path()), names);
        for (size_t i = 0; i < c.links.size(); ++i) {
            std::error_code notLink;
            EXPECT_EQ(fs::read_symlink(dir.Path() + "/" + c.links[i].first, notLink).string(), targets[i]);
            EXPECT_FALSE(notLink) << c.links[i].first;
        }
        if (c.written == ERROR_SUCCESS) {
            const std::string text = FileText(other.Path() + "/" + c.end);
            EXPECT_NE(text.find("\"w\"=\"new\""), std::string::npos) << text;
            EXPECT_EQ(text.find("kept") != std::string::npos, c.before == "kept") << text;
            dir.ForceReread();
            EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "B", "w"), "new");
        }
        std::vector<std::string> aside;
        for (const std::string& name : Names(other.Path()))
            if (name.find(".corrupt-") != std::string::npos) aside.push_back(name);
        ASSERT_EQ(aside.size(), c.aside ? 1u : 0u);
        if (c.aside) {
            EXPECT_EQ(FileText(other.Path() + "/" + aside[0]), c.aside);
        }
    }
}

// Processes whose registry folder holds a link to a file elsewhere, and
// processes whose registry folder is where that file lives, write at the
// same time; every value of every one of them ends up in the file.
TEST(RegistryLink, ProcessesWritingThroughTheLinkAndDirectlyLoseNothing) {
    ScopedRegistryDir dir;
    OtherFolder other;
    const std::string target = other.Path() + "/HKEY_CURRENT_USER.reg";
    fs::create_symlink(target, dir.FilePath());
    constexpr int kChildren = 4, kValues = 40;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            alarm(60);  // never outlives a lost parent
            setenv("TRELWIN_REGISTRY_DIR", (c % 2 ? other.Path() : dir.Path()).c_str(), 1);
            int failed = 0;
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "p" + std::to_string(c) + "_" + std::to_string(i);
                failed |= WriteText(HKEY_CURRENT_USER, "Shared", name.c_str(), "x") != ERROR_SUCCESS;
            }
            _exit(failed);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.FilePath())));
    const std::string text = FileText(target);
    for (int c = 0; c < kChildren; ++c) {
        for (int i = 0; i < kValues; ++i) {
            const std::string line = "\"p" + std::to_string(c) + "_" + std::to_string(i) + "\"=\"x\"";
            EXPECT_NE(text.find(line), std::string::npos) << line;
        }
    }
    // And this process, which has read nothing yet, sees them through the link.
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Shared", "p0_39"), "x");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Shared", "p3_0"), "x");
}
