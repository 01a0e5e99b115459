#include "platform/registry/registry_place.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <tuple>

namespace trelwin::registry {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int links = 0; links < 40; ++links) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        char target[PATH_MAX];
        const ssize_t n = readlink(current.c_str(), target, sizeof target);
        if (n <= 0 || static_cast<size_t>(n) == sizeof target) return path;
        const std::string next(target, static_cast<size_t>(n));
        current = next[0] == '/' ? next : FolderOf(current) + "/" + next;
    }
    return path;
}

FolderLocks::FolderLocks(const std::vector<std::string>& folders) {
    struct Folder {
        dev_t device;
        ino_t inode;
        int fd;
        bool first;
    };
    std::vector<Folder> open;
    for (size_t i = 0; i < folders.size(); ++i) {
        const int fd = ::open(folders[i].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat st;
        if (fd < 0) continue;
        if (fstat(fd, &st) != 0) {
            close(fd);
            continue;
        }
        const auto same = [&](const Folder& f) { return f.device == st.st_dev && f.inode == st.st_ino; };
        const auto found = std::find_if(open.begin(), open.end(), same);
        if (found != open.end()) {
            found->first = found->first || i == 0;
            close(fd);
            continue;
        }
        open.push_back(Folder{st.st_dev, st.st_ino, fd, i == 0});
    }
    std::sort(open.begin(), open.end(), [](const Folder& a, const Folder& b) {
        return std::tie(a.device, a.inode) < std::tie(b.device, b.inode);
    });
    for (const Folder& f : open) {
        bool locked;
        while (!(locked = flock(f.fd, LOCK_EX) == 0) && errno == EINTR) {
        }
        if (!locked) {
            close(f.fd);
            continue;
        }
        fds_.push_back(f.fd);
        held_ = held_ || f.first;
    }
}

FolderLocks::~FolderLocks() {
    for (int fd : fds_) close(fd);  // closing releases the lock
}

}  // namespace trelwin::registry
