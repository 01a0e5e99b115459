// One registry root kept in its REGEDIT4 file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>

#include "platform/base/win_types.h"
#include "platform/registry/registry_tree.h"

namespace trelwin::registry {

// What the file on disk looked like at the last look: whether it exists and
// its identity. Equal stamps alone do not prove equal content: an inode
// freed by a rename is soon given to the next new file, and file times are
// stored in steps of the file system's granularity, so two versions written
// within one step can share every field. See RegistryFile::Trusted.
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

// Largest settings file read or written, in bytes. A larger file is not a
// settings file: it is set aside like a damaged one.
inline constexpr size_t kMaxFileSize = 32u << 20;

// Only a regular file (or a link to one) is read; anything else in its place
// (a FIFO, a device, a folder) is refused with a message and left alone,
// and the root stays empty and unwritten while it is there.
//
// A read of a file whose stamp has not changed since it was last read or
// written, long enough after its last change, costs one stat: the tree kept
// from then is used as it is. Any other call reads the text, and parses it
// only when it differs from the text last read or written.
//
// A link is followed: its file is read, written (a new file renamed over
// it) and set aside where it is, and the link stays.
//
// Not thread-safe: the caller serialises the calls. Between processes the
// folder, and the folder of a file that a link leads to, is locked (flock)
// for the whole of each call that reads the text or changes the file.
class RegistryFile {
public:
    using Operation = std::function<LONG(RegistryKey& root, bool& changed)>;
    using PairOperation =
        std::function<LONG(RegistryKey& firstRoot, bool& firstChanged, RegistryKey& secondRoot, bool& secondChanged)>;

    explicit RegistryFile(std::string rootName) : rootName_(std::move(rootName)) {}

    // Runs op on the root as it stands on disk. A writing op sets changed
    // when it changed the tree; the file is then rewritten before Access
    // returns. When that fails the result is ERROR_CANTWRITE and the tree is
    // read again at the next call.
    LONG Access(bool write, const Operation& op);

    // Runs op on two roots kept in one folder, under one lock, each as it
    // stands on disk, and saves the changed ones, first before second. When
    // a save fails (or the root cannot be written), no later root is saved,
    // the roots not saved are read again at their next call, and the result
    // is ERROR_CANTWRITE or ERROR_REGISTRY_CORRUPT.
    static LONG AccessTogether(RegistryFile& first, RegistryFile& second, const PairOperation& op);

    const std::string& RootName() const { return rootName_; }

private:
    // Follows the registry folder; returns it.
    std::string FollowFolder();
    // True when tree_ holds the file's content as of now, judged by a stat.
    bool Unchanged() const;
    bool Trusted() const;
    // Gives up a change that was not saved.
    void Discard();
    void Refresh(bool locked);
    void SetAside(const std::string& reason, bool locked);
    // Leaves the file alone, empties the root and blocks writes; says why
    // once for each state of the file.
    void Refuse(const FileStamp& now, const std::string& why);
    bool Save();

    std::string rootName_;
    std::string path_;
    // The file path_ leads to (itself, or the end of its links), as taken
    // when the lock of the call in progress was; written and set aside there.
    std::string target_;
    RegistryKey tree_;
    // The file's text as last read or saved, so that a file whose text is
    // unchanged is not parsed again.
    enum class Cached { Nothing, Tree, Unreadable };
    std::string text_;
    Cached cached_ = Cached::Nothing;  // Tree: tree_ holds text_; Unreadable: text_ failed and was reported
    FileStamp stamp_;
    // When tree_ was last known to match the file (a coarse clock reading
    // taken before the stamp was).
    timespec verified_{};
    // Set while an unreadable file could not be moved out of the way: writes
    // are refused rather than overwriting it.
    bool blocked_ = false;
};

}  // namespace trelwin::registry
