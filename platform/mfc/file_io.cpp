#include "platform/mfc/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kiln::file {

namespace {

// Removes the temporaries of `path` whose writers are dead (killed before
// their rename): only what this program could have written, a regular file
// of this user's whose writer's number a process can have. Those of a live
// process, this one included, may still be written and stay.
void RemoveDeadTemporaries(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string_view base = slash == std::string::npos ? std::string_view(path)
                                                             : std::string_view(path).substr(slash + 1);
    if (base.empty()) return;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const int dfd = ::dirfd(d);
    while (const dirent* e = ::readdir(d)) {
        std::string_view target;
        pid_t writer = 0;
        if (!TemporaryOf(e->d_name, target, writer) || target != base || writer == ::getpid()) continue;
        struct stat st {};
        if (::kill(writer, 0) == 0 || errno != ESRCH) continue;
        if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid())
            ::unlinkat(dfd, e->d_name, 0);
    }
    ::closedir(d);
}

// The highest process number the system gives (the kernel's limit when it
// does not say).
long long PidMax() {
    static const long long max = [] {
        long long n = 0;
        if (FILE* f = std::fopen("/proc/sys/kernel/pid_max", "r")) {
            if (std::fscanf(f, "%lld", &n) != 1) n = 0;
            std::fclose(f);
        }
        return n > 1 ? n - 1 : 4194303;
    }();
    return max;
}

// A number as this program writes it (std::to_string of an unsigned): digits
// without a leading zero, at most `max`; -1 for anything else.
long long WrittenNumber(std::string_view t, long long max) {
    if (t.empty() || t.size() > 10 || (t.size() > 1 && t[0] == '0')) return -1;
    long long v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v <= max ? v : -1;
}

}  // namespace

std::string KindOf(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFREG: return "a regular file";
        case S_IFDIR: return "a folder";
        case S_IFIFO: return "a FIFO";
        case S_IFSOCK: return "a socket";
        case S_IFCHR: return "a character device";
        case S_IFBLK: return "a block device";
        case S_IFLNK: return "a link";
        default: return "not a regular file";
    }
}

std::string KindAt(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return KindOf(st.st_mode);
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return "a dangling link";
    return "";
}

bool TemporaryOf(std::string_view name, std::string_view& target, pid_t& writer) {
    const size_t at = name.rfind(".tmp");
    if (at == std::string_view::npos || at == 0) return false;
    const std::string_view rest = name.substr(at + 4);
    const size_t cut = rest.find('_');
    if (cut == std::string_view::npos) return false;
    // Only the names ReplaceFileWith gives: a process number a process can
    // have and a counter, both without leading zeros.
    const long long pid = WrittenNumber(rest.substr(0, cut), PidMax());
    if (pid < 1 || WrittenNumber(rest.substr(cut + 1), 0xffffffffLL) < 0) return false;
    target = name.substr(0, at);
    writer = static_cast<pid_t>(pid);
    return true;
}

bool ReadFile(const std::string& path, std::string& out) {
    std::string reason;
    return ReadFile(path, out, reason);
}

bool ReadFile(const std::string& path, std::string& out, std::string& reason) {
    return ReadFile(path, out, reason, 0, nullptr);
}

bool ReadFile(const std::string& path, std::string& out, std::string& reason, size_t head,
              const std::function<bool(std::string_view)>& goOn) {
    // Without blocking, so that a FIFO or a device is named, not waited on;
    // a socket cannot be opened at all and is named by its type, as is a
    // link that leads nowhere.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        struct stat st {};
        if (err == ENXIO && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            reason = "is " + KindOf(st.st_mode);
        else if (err == ENOENT && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            reason = "is a dangling link";
        else
            reason = std::strerror(err);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) reason = "is " + KindOf(st.st_mode);
    if (ok) {
        const size_t size = static_cast<size_t>(st.st_size);
        const bool headFirst = goOn && head > 0 && size > head;
        out.resize(headFirst ? head : size);
        size_t got = 0;
        for (bool headDone = !headFirst;;) {
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
            if (headDone || !ok || got < out.size()) break;
            headDone = true;
            if (!goOn(std::string_view(out.data(), got))) break;
            out.resize(size);
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
    RemoveDeadTemporaries(path);
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
