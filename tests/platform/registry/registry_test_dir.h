// A private registry folder for one test: TRELWIN_REGISTRY_DIR points at a
// fresh temporary folder for the object's lifetime.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class ScopedRegistryDir {
public:
    ScopedRegistryDir() {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/trelwin-registry-XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
        setenv("TRELWIN_REGISTRY_DIR", path_.c_str(), 1);
    }
    ~ScopedRegistryDir() {
        unsetenv("TRELWIN_REGISTRY_DIR");
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScopedRegistryDir(const ScopedRegistryDir&) = delete;
    ScopedRegistryDir& operator=(const ScopedRegistryDir&) = delete;

    const std::string& Path() const { return path_; }

    std::string FilePath(const std::string& root = "HKEY_CURRENT_USER") const {
        return path_ + "/" + root + ".reg";
    }

    std::string ReadFile(const std::string& root = "HKEY_CURRENT_USER") const {
        std::ifstream in(FilePath(root), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Replaces the file the way another program would (new file, renamed
    // over the old one), so the registry reads it again at its next call.
    void WriteFile(const std::string& text, const std::string& root = "HKEY_CURRENT_USER") const {
        std::string temp = FilePath(root) + ".edit";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out << text;
        }
        std::rename(temp.c_str(), FilePath(root).c_str());
    }

    // Makes the registry forget what it holds in memory for this root and
    // read the file again. The registry parses only a text that differs from
    // the one it last read or wrote, so a blank line (which means nothing)
    // is added to a file that has any text.
    void ForceReread(const std::string& root = "HKEY_CURRENT_USER") const {
        std::string text = ReadFile(root);
        WriteFile(text.empty() ? text : text + "\n", root);
    }

private:
    std::string path_;
};
