#include "platform/mfc/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kiln::file {

bool ReadFile(const std::string& path, std::string& out) {
    std::string reason;
    return ReadFile(path, out, reason);
}

bool ReadFile(const std::string& path, std::string& out, std::string& reason) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) reason = S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file";
    if (ok) {
        out.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < out.size()) {
            ssize_t n = ::read(fd, out.data() + got, out.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ok = false;
                reason = std::strerror(errno);
            }
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        out.resize(got);  // a file that shrank meanwhile ends where it ends now
    }
    ::close(fd);
    return ok;
}

bool WriteAll(int fd, const char* data, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool ReplaceFile(const std::string& path, std::string_view data, bool sync, int* error) {
    return ReplaceFileWith(path, sync, [&](int fd) { return WriteAll(fd, data.data(), data.size()); }, error);
}

bool ReplaceFileWith(const std::string& path, bool sync, const std::function<bool(int fd)>& produce, int* error) {
    // A name of its own for every call, so that two writers never share one.
    static std::atomic<unsigned> counter{0};
    std::string tmp = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error) *error = errno;
        return false;
    }
    bool ok = false;
    int err = 0;
    if (!CopyMode(fd, path)) {
        err = errno;
    } else {
        try {
            errno = 0;
            ok = produce(fd) && (!sync || ::fsync(fd) == 0);
        } catch (...) {
            errno = ENOMEM;
        }
        err = ok ? 0 : errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (ok) return true;
    ::unlink(tmp.c_str());
    if (error) *error = err != 0 ? err : EIO;
    return false;
}

bool CopyMode(int fd, const std::string& like) {
    struct stat st {};
    return ::stat(like.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::fchmod(fd, st.st_mode & 07777) == 0;
}

}  // namespace kiln::file
