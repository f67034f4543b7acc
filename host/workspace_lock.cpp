#include "host/workspace_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/workspace.h"
#include "platform/mfc/file_io.h"

namespace kiln::host {

namespace {

// Byte 0 carries the lock itself: an open-file-description lock, which no
// close of another descriptor of the file in this process drops. Byte 1
// carries a process lock that only tells others which process holds it.
constexpr off_t kLockByte = 0;
constexpr off_t kOwnerByte = 1;
// How long a refused run waits for the holder to name itself.
constexpr int kOwnerWaitMs = 2000;

struct flock Range(short type, off_t start) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = 1;
    return fl;
}

// Who holds the lock on the file of `fd`: the holder names itself on the
// owner byte just after it took the lock, so this waits for that, at most
// kOwnerWaitMs. Empty when the lock comes free meanwhile.
std::string HolderOf(int fd) {
    for (int waitedMs = 0;; ++waitedMs) {
        struct flock who = Range(F_WRLCK, kOwnerByte);
        if (::fcntl(fd, F_GETLK, &who) == 0 && who.l_type != F_UNLCK && who.l_pid > 0)
            return "another kiln (process " + std::to_string(who.l_pid) + ")";
        struct flock lock = Range(F_WRLCK, kLockByte);
        if (::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type == F_UNLCK) return "";
        if (waitedMs >= kOwnerWaitMs) return "another kiln";
        ::usleep(1000);
    }
}

// Locks the document folder of the workspace `root` as it resolves, so that
// a workspace whose document is a link to another's is refused while the
// other runs. True when there is no folder; false, naming the other
// workspace's holder when it can, while another kiln has it, and false too
// when the folder cannot be locked at all (a file system without such
// locks): two workspaces linked to it could then both write it.
bool LockDocument(const std::string& root, int rootFd, int& fd, std::string& error) {
    namespace fs = std::filesystem;
    const std::string folder = root + "/" + kDocumentFolder;
    fd = ::openat(rootFd, kDocumentFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    const int err = errno;
    ::close(fd);
    fd = -1;
    if (err != EWOULDBLOCK) {
        error = "cannot lock the workspace " + root + ": its document folder " + folder + " cannot be locked: " +
                std::strerror(err);
        return false;
    }
    std::error_code ec;
    const fs::path resolved = fs::canonical(folder, ec);
    const bool linked = !ec && !fs::equivalent(resolved.parent_path(), root, ec) && !ec;
    const std::string who = linked ? LockHolder(resolved.parent_path().string()) : std::string();
    error = "the workspace " + root + " is in use by " + (who.empty() ? "another kiln" : who) +
            ": its document folder " + folder +
            (linked ? " is " + resolved.string() + ", which that kiln works on"
                    : " is reached from another workspace that kiln works on") +
            "; nothing was changed, try again when it has finished";
    return false;
}

}  // namespace

bool WorkspaceLock::Acquire(const std::string& root, std::string& error, std::string* holder, int rootFd) {
    Release();
    if (holder) holder->clear();
    const std::string path = root + "/" + kLockFile;
    // The folder is opened once: its files are the lock's, whatever its
    // name leads to later.
    const int dirfd = rootFd >= 0 ? rootFd : ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0) {
        error = "cannot open the lock file " + path + ": " + std::strerror(errno);
        return false;
    }
    const kiln::file::FdHold closing(rootFd >= 0 ? -1 : dirfd);
    // A lock file removed and made again between our open and our lock would
    // leave us holding a lock nobody else sees: the lock counts only when the
    // name still leads to the file we locked.
    for (int attempt = 0; attempt < 5; ++attempt) {
        // Made here or found: a failed init removes only a lock file it made.
        // Opened without blocking: a FIFO or a device in its place is named.
        // Never through a link: the lock would write into the file it leads to.
        auto otherInPlace = [&](const std::string& kind) {
            error = "cannot lock the workspace " + root + ": its lock file " + path + " is " + kind;
            return false;
        };
        bool made = true;
        int fd = ::openat(dirfd, kLockFile, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) {
            made = false;
            fd = ::openat(dirfd, kLockFile, O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0 && errno == ENOENT) continue;  // removed in between
        }
        if (fd < 0 && errno == ELOOP) {
            const std::string kind = kiln::file::KindAt(dirfd, kLockFile);
            return otherInPlace(kind == "a dangling link" ? kind : "a link");
        }
        if (fd < 0 && (errno == ENXIO || errno == EISDIR)) {
            const std::string kind = kiln::file::KindAt(dirfd, kLockFile);
            if (!kind.empty()) return otherInPlace(kind);
        }
        if (fd < 0) {
            error = "cannot open the lock file " + path + ": " + std::strerror(errno);
            return false;
        }
        struct stat held {};
        if (::fstat(fd, &held) == 0 && !S_ISREG(held.st_mode)) {
            ::close(fd);
            return otherInPlace(kiln::file::KindOf(held.st_mode));
        }
        struct flock fl = Range(F_WRLCK, kLockByte);
        if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
            const int err = errno;
            const std::string who = err == EACCES || err == EAGAIN ? HolderOf(fd) : std::string();
            ::close(fd);
            if (err != EACCES && err != EAGAIN) {
                error = "cannot lock the workspace " + root + ": " + std::strerror(err);
                return false;
            }
            if (who.empty()) continue;  // it came free: try again
            if (holder) *holder = who;
            error = "the workspace " + root + " is in use by " + who +
                    "; nothing was changed, try again when it has finished";
            return false;
        }
        if (kiln::file::NameLeadsTo(dirfd, kLockFile, fd)) {
            struct flock owner = Range(F_WRLCK, kOwnerByte);
            ::fcntl(fd, F_SETLK, &owner);  // only for the message of others
            m_fd = fd;
            m_madeFile = made;
            if (LockDocument(root, dirfd, m_docFd, error)) return true;
            Release();
            return false;
        }
        ::close(fd);
    }
    error = "cannot lock the workspace " + root + ": its lock file keeps changing";
    return false;
}

std::string LockHolder(const std::string& root) {
    const int fd = ::open((root + "/" + kLockFile).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return "";
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return "";
    }
    struct flock lock = Range(F_WRLCK, kLockByte);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    const std::string who = held ? HolderOf(fd) : std::string();
    ::close(fd);
    return who;
}

void WorkspaceLock::Release() {
    if (m_docFd >= 0) ::close(m_docFd);  // closing drops the lock
    m_docFd = -1;
    if (m_fd < 0) return;
    ::close(m_fd);  // closing drops the lock
    m_fd = -1;
    m_madeFile = false;
}

}  // namespace kiln::host
