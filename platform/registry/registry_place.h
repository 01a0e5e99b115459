// Where a registry file's text really lives, and the locks that keep
// processes from changing it at the same time.
#pragma once

#include <string>
#include <vector>

namespace trelwin::registry {

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);

// The file that path leads to: path itself, or the end of the chain of
// symbolic links that starts there (relative links taken from the folder
// of the link), whether or not that file exists. A chain that does not end
// within 40 links gives path back; reading it then fails.
std::string FollowLinks(const std::string& path);

// Holds an exclusive flock on each of the folders while it lives; other
// processes locking any of them wait. A folder named twice (or by two
// names) is locked once, and the folders are locked in the order of their
// device and inode numbers, so that two processes locking overlapping sets
// never wait for each other in a circle.
class FolderLocks {
public:
    explicit FolderLocks(const std::vector<std::string>& folders);
    ~FolderLocks();
    FolderLocks(const FolderLocks&) = delete;
    FolderLocks& operator=(const FolderLocks&) = delete;

    // True when the first folder is locked. Another folder that cannot be
    // opened is not locked: nothing can be written there either.
    bool Held() const { return held_; }

private:
    std::vector<int> fds_;
    bool held_ = false;
};

}  // namespace trelwin::registry
