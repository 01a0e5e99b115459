#include "platform/registry/registry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

#include "platform/base/program_end.h"
#include "platform/base/win_errors.h"
#include "platform/registry/regedit_format.h"
#include "platform/registry/registry_folder.h"
#include "platform/registry/registry_place.h"

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

// The clock that file times are taken from: a later change of any file gets
// a time no earlier than this reading (until someone sets the clock back).
timespec CoarseNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

int64_t Nanoseconds(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; }

// The step in which the file system stores a file's times, as far as one
// time shows it. File systems keep times in steps of a power of ten (or of
// two seconds), so a time with digits below the millisecond comes in steps
// of 100 microseconds at most; any other time may come in steps of up to
// two seconds.
int64_t TimeStep(const timespec& t) { return t.tv_nsec % 1000000 != 0 ? 1000000 : 2000000000; }

// Reads the whole file, but no more than limit bytes: false with
// tooLarge set when there is more.
bool ReadAll(int fd, size_t limit, std::string& out, bool& tooLarge) {
    out.clear();
    tooLarge = false;
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (out.size() + static_cast<size_t>(n) > limit) {
            tooLarge = true;
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

// Renames from to to unless to exists; false with errno otherwise.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a second link never replaces a file.
    if (link(from.c_str(), to.c_str()) != 0) return false;
    unlink(from.c_str());
    return true;
}

// Moves the file to a name beside it that no earlier copy uses: .corrupt-
// and the time, then -2, -3 ... for copies made within one second, then a
// random suffix. The name taken, or "" with errno when the move failed.
std::string MoveAside(const std::string& path) {
    char stamp[32];
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".corrupt-" + stamp;
    for (int i = 1; i <= 100; ++i) {
        std::string name = i == 1 ? base : base + "-" + std::to_string(i);
        if (RenameWithoutReplacing(path, name)) return name;
        if (errno != EEXIST) return {};
    }
    // A hundred copies within one second: an empty file of a fresh name
    // holds the place, and the copy replaces it.
    std::string name = base + "-XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) return {};
    close(fd);
    if (rename(path.c_str(), name.c_str()) == 0) return name;
    int renameErrno = errno;
    unlink(name.c_str());
    errno = renameErrno;
    return {};
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

}  // namespace

bool FileStamp::operator==(const FileStamp& o) const {
    if (known != o.known || exists != o.exists) return false;
    if (!exists) return true;
    return device == o.device && inode == o.inode && size == o.size && SameTime(modified, o.modified) &&
           SameTime(changed, o.changed) && mode == o.mode;
}

std::string RegistryFile::FollowFolder() {
    std::string folder = RegistryFolder();
    std::string path = folder + "/" + rootName_ + ".reg";
    if (path != path_) {
        path_ = path;
        tree_.Clear();
        cached_ = Cached::Nothing;
        stamp_ = FileStamp();
        blocked_ = false;
    }
    return folder;
}

// A change to the file after verified_ gives it a change time of verified_
// or later, in the file system's steps. So when its change time lies at
// least one step before verified_, any later change shows in the stamp,
// whatever inode and size the new version has. A file changed more
// recently may have been changed again within the same step: its text is
// read and compared.
bool RegistryFile::Trusted() const {
    if (!stamp_.exists) return true;
    return Nanoseconds(stamp_.changed) + TimeStep(stamp_.changed) <= Nanoseconds(verified_);
}

bool RegistryFile::Unchanged() const {
    if (cached_ != Cached::Tree || !stamp_.known || !Trusted()) return false;
    struct stat st;
    if (stat(path_.c_str(), &st) != 0) return errno == ENOENT && !stamp_.exists;
    return S_ISREG(st.st_mode) && StampOf(st) == stamp_;
}

void RegistryFile::Discard() {
    if (blocked_)
        tree_.Clear();  // an empty root stands for a file that is left alone
    else
        cached_ = Cached::Nothing;
}

LONG RegistryFile::Access(bool write, const Operation& op) {
    std::string folder = FollowFolder();
    // Without the lock: the file is replaced whole by a rename, so what a
    // stat shows is a whole version, the one the tree holds.
    if (!write && Unchanged()) {
        bool changed = false;
        return op(tree_, changed);
    }
    if (write && !MakeFolders(folder)) return ERROR_ACCESS_DENIED;
    target_ = FollowLinks(path_);
    // A reader of a folder that does not exist (yet) has nothing to lock.
    FolderLocks lock({folder, FolderOf(target_)});
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

LONG RegistryFile::AccessTogether(RegistryFile& first, RegistryFile& second, const PairOperation& op) {
    std::string folder = first.FollowFolder();
    second.FollowFolder();
    if (!MakeFolders(folder)) return ERROR_ACCESS_DENIED;
    first.target_ = FollowLinks(first.path_);
    second.target_ = FollowLinks(second.path_);
    FolderLocks lock({folder, FolderOf(first.target_), FolderOf(second.target_)});
    if (!lock.Held()) return ERROR_ACCESS_DENIED;
    first.Refresh(true);
    second.Refresh(true);

    bool firstChanged = false;
    bool secondChanged = false;
    LONG result = op(first.tree_, firstChanged, second.tree_, secondChanged);
    LONG saved = ERROR_SUCCESS;
    for (auto [file, changed] : {std::pair{&first, firstChanged}, std::pair{&second, secondChanged}}) {
        if (!changed) continue;
        if (saved == ERROR_SUCCESS && file->blocked_) saved = ERROR_REGISTRY_CORRUPT;
        if (saved == ERROR_SUCCESS && !file->Save()) saved = ERROR_CANTWRITE;
        if (saved != ERROR_SUCCESS) file->Discard();
    }
    return saved != ERROR_SUCCESS ? saved : result;
}

void RegistryFile::Refresh(bool locked) {
    // Only a regular file is looked at: opening a FIFO would wait for a
    // writer while the folder is locked, and a device may never end.
    struct stat st;
    if (stat(path_.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            tree_.Clear();
            text_.clear();
            cached_ = Cached::Tree;
            stamp_ = MissingStamp();
            blocked_ = false;
            return;
        }
        Refuse(MissingStamp(), std::string("cannot be looked at (") + std::strerror(errno) + ")");
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        Refuse(StampOf(st), std::string("is ") + KindOf(st.st_mode) + ", not a settings file, and is left alone");
        return;
    }
    if (cached_ == Cached::Tree && StampOf(st) == stamp_ && Trusted()) return;
    // Taken before the stamp that goes with the text read below.
    const timespec looked = CoarseNow();
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        Refuse(StampOf(st), std::string("cannot be opened (") + std::strerror(errno) + ")");
        return;
    }
    // The file may have been replaced since stat: judge what was opened.
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        Refuse(FileStamp(), "changed while it was opened");
        return;
    }
    // The whole text is read, and compared with the one held: a stamp that
    // is not trusted cannot prove that the file was not rewritten.
    std::string text;
    bool tooLarge = static_cast<unsigned long long>(st.st_size) > kMaxFileSize;
    bool readOk = !tooLarge && ReadAll(fd, kMaxFileSize, text, tooLarge);
    int readErrno = errno;
    close(fd);
    stamp_ = StampOf(st);
    if (tooLarge) {
        SetAside("it is larger than " + std::to_string(kMaxFileSize >> 20) + " MiB", locked);
        return;
    }
    if (!readOk) {
        SetAside(std::string("reading failed: ") + std::strerror(readErrno), false);
        cached_ = Cached::Nothing;  // text_ is not what the file holds
        return;
    }
    if (text == text_ && cached_ != Cached::Nothing) {
        verified_ = looked;
        return;
    }
    blocked_ = false;
    RegistryKey fresh;
    RegeditError error;
    RegeditRepeats repeats;
    if (text.empty() || ParseRegedit(text, rootName_, fresh, &error, &repeats)) {
        if (repeats.count > 0) {
            std::fprintf(stderr,
                         "registry: %s line %d repeats %s (repeats in all: %d); where a value is given twice, "
                         "the later one counts\n",
                         path_.c_str(), repeats.firstLine, repeats.first.c_str(), repeats.count);
        }
        tree_ = std::move(fresh);
        text_ = std::move(text);
        cached_ = Cached::Tree;
        verified_ = looked;
        return;
    }
    text_ = std::move(text);
    SetAside("line " + std::to_string(error.line) + ": " + error.reason, locked);
}

void RegistryFile::Refuse(const FileStamp& now, const std::string& why) {
    // Said once for each state of the file, not at every call.
    if (!(now == stamp_))
        std::fprintf(stderr, "registry: %s %s; %s is empty and cannot be changed\n", path_.c_str(), why.c_str(),
                     rootName_.c_str());
    tree_.Clear();
    cached_ = Cached::Nothing;
    stamp_ = now;
    blocked_ = true;
}

void RegistryFile::SetAside(const std::string& reason, bool locked) {
    tree_.Clear();
    cached_ = Cached::Nothing;
    if (locked) {
        std::string aside = MoveAside(target_);
        if (!aside.empty()) {
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
    // A program ended by a signal or a lost display lets this write finish.
    const EndDeferral whole;
    std::string text = FormatRegedit(tree_, rootName_);
    // A file that would be refused when read back is not written.
    if (text.size() > kMaxFileSize) return false;
    // Beside the file the text lives in, so that a link in the registry
    // folder stays a link and its file is replaced.
    std::string temp = target_ + ".tmp";
    mode_t mode = stamp_.exists ? stamp_.mode : 0600;
    // A temporary file left behind (or a FIFO or link in its place) is
    // removed first, so that the new one is surely a file of our own.
    unlink(temp.c_str());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct stat written;
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0 && fstat(fd, &written) == 0;
    ok = close(fd) == 0 && ok;
    // Taken before the rename: whoever changes the file after it gives the
    // file a change time no earlier than this.
    const timespec looked = CoarseNow();
    if (ok) ok = rename(temp.c_str(), target_.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself must reach the disk too.
    int dir = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    text_ = std::move(text);
    struct stat st;
    if (stat(path_.c_str(), &st) == 0 && st.st_dev == written.st_dev && st.st_ino == written.st_ino) {
        stamp_ = StampOf(st);
        verified_ = looked;
        cached_ = Cached::Tree;
    } else {
        // Replaced by someone else already: read at the next call.
        stamp_ = FileStamp();
        cached_ = Cached::Nothing;
    }
    return true;
}

}  // namespace trelwin::registry
