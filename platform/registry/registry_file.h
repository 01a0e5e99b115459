// One registry root kept in its REGEDIT4 file.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <string>

#include "platform/base/win_types.h"
#include "platform/registry/registry_tree.h"

namespace trelwin::registry {

// What identifies one version of the file on disk. Every save replaces the
// file by a new one, so a change of inode, size or times means someone else
// wrote it.
struct FileStamp {
    bool known = false;   // false: the file must be read before the tree is used
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    mode_t mode = 0;

    bool operator==(const FileStamp& other) const;
};

// Not thread-safe: the caller serialises the calls. Between processes the
// folder is locked (flock) for the whole of each call.
class RegistryFile {
public:
    using Operation = std::function<LONG(RegistryKey& root, bool& changed)>;

    explicit RegistryFile(std::string rootName) : rootName_(std::move(rootName)) {}

    // Runs op on the root as it stands on disk. A writing op sets changed
    // when it changed the tree; the file is then rewritten before Access
    // returns. When that fails the result is ERROR_CANTWRITE and the tree is
    // read again at the next call.
    LONG Access(bool write, const Operation& op);

    const std::string& RootName() const { return rootName_; }

private:
    void Refresh(bool locked);
    void SetAside(const std::string& reason, bool locked);
    bool Save();

    std::string rootName_;
    std::string path_;
    RegistryKey tree_;
    FileStamp stamp_;
    // Set while an unreadable file could not be moved out of the way: writes
    // are refused rather than overwriting it.
    bool blocked_ = false;
};

}  // namespace trelwin::registry
