#include "host/workspace_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

}  // namespace

bool WorkspaceLock::Acquire(const std::string& root, std::string& error) {
    Release();
    const std::string path = root + "/" + kLockFile;
    // A lock file removed and made again between our open and our lock would
    // leave us holding a lock nobody else sees: the lock counts only when the
    // name still leads to the file we locked.
    int waitedMs = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = "cannot open the lock file " + path + ": " + std::strerror(errno);
            return false;
        }
        struct flock fl = Range(F_WRLCK, kLockByte);
        if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
            const int err = errno;
            struct flock who = Range(F_WRLCK, kOwnerByte);
            const bool known = ::fcntl(fd, F_GETLK, &who) == 0 && who.l_type != F_UNLCK && who.l_pid > 0;
            ::close(fd);
            if (err != EACCES && err != EAGAIN) {
                error = "cannot lock the workspace " + root + ": " + std::strerror(err);
                return false;
            }
            // The holder names itself on the owner byte just after it took
            // the lock: wait for that, or for the lock to come free.
            if (!known && waitedMs < kOwnerWaitMs) {
                ::usleep(1000);
                ++waitedMs;
                --attempt;
                continue;
            }
            error = "the workspace " + root + " is in use by another kiln" +
                    (known ? " (process " + std::to_string(who.l_pid) + ")" : std::string()) +
                    "; nothing was changed, try again when it has finished";
            return false;
        }
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            struct flock owner = Range(F_WRLCK, kOwnerByte);
            ::fcntl(fd, F_SETLK, &owner);  // only for the message of others
            m_fd = fd;
            m_path = path;
            return true;
        }
        ::close(fd);
    }
    error = "cannot lock the workspace " + root + ": its lock file keeps changing";
    return false;
}

void WorkspaceLock::Release(bool removeFile) {
    if (m_fd < 0) return;
    if (removeFile) ::unlink(m_path.c_str());
    ::close(m_fd);  // closing drops the lock
    m_fd = -1;
}

}  // namespace kiln::host
