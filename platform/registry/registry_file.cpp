#include "platform/registry/registry_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/base/win_errors.h"
#include "platform/registry/regedit_format.h"
#include "platform/registry/registry_folder.h"

namespace trelwin::registry {

namespace {

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

FileStamp StampOf(const struct stat& st) {
    FileStamp s;
    s.known = true;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = st.st_mtim;
    s.changed = st.st_ctim;
    s.mode = st.st_mode & 07777;
    return s;
}

FileStamp MissingStamp() {
    FileStamp s;
    s.known = true;
    return s;
}

// Holds an exclusive flock on the registry folder; other processes using
// the same folder wait for it.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        fd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) return;
        while (flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) close(fd_);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

bool ReadAll(int fd, std::string& out) {
    out.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out.append(buf, static_cast<size_t>(n));
    }
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// A name beside the file that no earlier set-aside copy uses.
std::string AsideName(const std::string& path) {
    char stamp[32];
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string base = path + ".corrupt-" + stamp;
    std::string name = base;
    for (int i = 2; access(name.c_str(), F_OK) == 0 && i < 1000; ++i) name = base + "-" + std::to_string(i);
    return name;
}

}  // namespace

bool FileStamp::operator==(const FileStamp& o) const {
    if (known != o.known || exists != o.exists) return false;
    if (!exists) return true;
    return device == o.device && inode == o.inode && size == o.size && SameTime(modified, o.modified) &&
           SameTime(changed, o.changed) && mode == o.mode;
}

LONG RegistryFile::Access(bool write, const Operation& op) {
    std::string folder = RegistryFolder();
    std::string path = folder + "/" + rootName_ + ".reg";
    if (path != path_) {
        path_ = path;
        tree_.Clear();
        cached_ = Cached::Nothing;
        stamp_ = FileStamp();
        blocked_ = false;
    }
    if (write && !MakeFolders(folder)) return ERROR_ACCESS_DENIED;
    // A reader of a folder that does not exist (yet) has nothing to lock.
    FolderLock lock(folder);
    if (write && !lock.Held()) return ERROR_ACCESS_DENIED;
    Refresh(lock.Held());
    if (write && blocked_) return ERROR_REGISTRY_CORRUPT;

    bool changed = false;
    LONG result = op(tree_, changed);
    if (write && changed && !Save()) {
        cached_ = Cached::Nothing;  // tree_ holds the change that is not on disk
        return ERROR_CANTWRITE;
    }
    return result;
}

void RegistryFile::Refresh(bool locked) {
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            tree_.Clear();
            text_.clear();
            cached_ = Cached::Tree;
            stamp_ = MissingStamp();
            blocked_ = false;
            return;
        }
        int openErrno = errno;
        struct stat st;
        FileStamp now = stat(path_.c_str(), &st) == 0 ? StampOf(st) : MissingStamp();
        if (!(now == stamp_)) {
            std::fprintf(stderr, "registry: %s cannot be opened (%s); %s is empty and cannot be changed\n",
                         path_.c_str(), std::strerror(openErrno), rootName_.c_str());
        }
        tree_.Clear();
        cached_ = Cached::Nothing;
        stamp_ = now;
        blocked_ = true;
        return;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        tree_.Clear();
        cached_ = Cached::Nothing;
        stamp_ = FileStamp();
        return;
    }
    // The whole text is read and compared every time: the file's times and
    // inode cannot prove that another process has not rewritten it.
    std::string text;
    bool readOk = ReadAll(fd, text);
    int readErrno = errno;
    close(fd);
    stamp_ = StampOf(st);
    if (!readOk) {
        SetAside(std::string("reading failed: ") + std::strerror(readErrno), false);
        cached_ = Cached::Nothing;  // text_ is not what the file holds
        return;
    }
    if (text == text_ && cached_ != Cached::Nothing) return;
    blocked_ = false;
    RegistryKey fresh;
    RegeditError error;
    if (text.empty() || ParseRegedit(text, rootName_, fresh, &error)) {
        tree_ = std::move(fresh);
        text_ = std::move(text);
        cached_ = Cached::Tree;
        return;
    }
    text_ = std::move(text);
    SetAside("line " + std::to_string(error.line) + ": " + error.reason, locked);
}

void RegistryFile::SetAside(const std::string& reason, bool locked) {
    tree_.Clear();
    cached_ = Cached::Nothing;
    if (locked) {
        std::string aside = AsideName(path_);
        if (rename(path_.c_str(), aside.c_str()) == 0) {
            std::fprintf(stderr, "registry: %s cannot be read (%s); it was kept as %s and %s starts empty\n",
                         path_.c_str(), reason.c_str(), aside.c_str(), rootName_.c_str());
            text_.clear();
            cached_ = Cached::Tree;
            stamp_ = MissingStamp();
            blocked_ = false;
            return;
        }
    }
    std::fprintf(stderr, "registry: %s cannot be read (%s); %s is empty and is not written until the file is repaired\n",
                 path_.c_str(), reason.c_str(), rootName_.c_str());
    cached_ = Cached::Unreadable;
    blocked_ = true;
}

bool RegistryFile::Save() {
    std::string text = FormatRegedit(tree_, rootName_);
    std::string temp = path_ + ".tmp";
    mode_t mode = stamp_.exists ? stamp_.mode : 0600;
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(temp.c_str(), path_.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself must reach the disk too.
    int dir = open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    struct stat st;
    stamp_ = stat(path_.c_str(), &st) == 0 ? StampOf(st) : FileStamp();
    text_ = std::move(text);
    cached_ = Cached::Tree;
    return true;
}

}  // namespace trelwin::registry
