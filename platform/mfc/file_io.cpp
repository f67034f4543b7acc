#include "platform/mfc/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kiln::file {

int OpenFolderOf(const std::string& path, std::string& name) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    return ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Opens an entry of `dirfd` to lock it, whatever its permissions let this
// user open it for; -1 when it cannot be opened or is a link.
int OpenToLock(int dirfd, const char* name) {
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::openat(dirfd, name, O_RDONLY | flags);
    return fd >= 0 || errno != EACCES ? fd : ::openat(dirfd, name, O_WRONLY | flags);
}

// Removes the temporaries of `name` in the folder `dirfd` whose writers are
// dead (killed before their rename): only what this program could have
// written, a regular file of this user's whose writer's number a process can
// have, that nobody holds locked. A writer holds its temporary locked from
// its creation to its rename, so a temporary that can be locked is a dead
// writer's, whatever its number now names here (a process that took the
// number since, a killed writer not yet reaped, a writer of another PID
// namespace). Only where the file system has no locks does the number
// decide: the process must no longer run. The lock is held while the file
// goes.
void RemoveDeadTemporaries(int dirfd, const std::string& name) {
    if (name.empty()) return;
    for (const std::string& entry : NamesIn(dirfd)) {
        std::string_view target;
        pid_t writer = 0;
        if (!TemporaryOf(entry, target, writer) || target != name) continue;
        const int fd = OpenToLock(dirfd, entry.c_str());
        if (fd < 0) continue;
        struct stat held {}, named {};
        bool dead = false;
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid()) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                dead = true;
            else if (errno != EWOULDBLOCK && errno != EINTR)
                dead = writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH;
        }
        if (dead && ::fstatat(dirfd, entry.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, named))
            ::unlinkat(dirfd, entry.c_str(), 0);
        ::close(fd);
    }
}

// Creates a new temporary for `name` in `dirfd`, locked for as long as it is
// open; its name in `tmp`. -1 with errno when none can be made.
int CreateTemporary(int dirfd, const std::string& name, std::string& tmp) {
    // A name of its own for every call, so that two writers never share one.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = name + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        const int fd = ::openat(dirfd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        // Taken: a writer of another PID namespace may have the same number.
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return -1;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        // Where the file system has no locks, nobody can take it either.
        if (locked != 0) return fd;
        // A cleaner that found it before the lock may have removed it.
        if (NameLeadsTo(dirfd, tmp, fd)) return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// The kept-out folders and files of the run, when it names them.
const KeptOut* g_keptOut = nullptr;

bool Kept(const struct stat& st) { return g_keptOut && g_keptOut->Holds(st.st_dev, st.st_ino); }

// Whether the folder `dirfd` (named `named`), or what `name` in it is or
// leads to, is kept out: the run's own, or another workspace's folder, whose
// mark `other` (when given) receives.
bool KeptOutAt(int dirfd, const std::string& name, const std::string& named = ".", FolderMark* other = nullptr) {
    if (!g_keptOut) return false;
    struct stat st {};
    if (::fstat(dirfd, &st) == 0 && Kept(st)) return true;
    if (!name.empty() && ((::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && Kept(st)) ||
                          (::fstatat(dirfd, name.c_str(), &st, 0) == 0 && Kept(st))))
        return true;
    FolderMark mark = WorkspaceFolderAt(dirfd, named);
    const bool marked = static_cast<bool>(mark);
    if (other) *other = std::move(mark);
    return marked;
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

bool ReplaceFileAt(int dirfd, const std::string& name, bool sync, const std::function<bool(int fd)>& produce,
                   int* error, Target target, bool* unsynced) {
    if (unsynced) *unsynced = false;
    auto fail = [&](int err) {
        if (error) *error = err != 0 ? err : EIO;
        return false;
    };
    if (target == Target::Chosen && KeptOutAt(dirfd, name)) return fail(kKeptOut);
    if (name.empty()) return fail(EISDIR);
    RemoveDeadTemporaries(dirfd, name);
    std::string tmp;
    const int fd = CreateTemporary(dirfd, name, tmp);
    if (fd < 0) return fail(errno);
    // The lock stays on this second descriptor until the rename is done.
    const int held = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    bool ok = false;
    int err = 0;
    if (held < 0 || !CopyModeAt(fd, dirfd, name)) {
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
    if (ok && ::renameat(dirfd, tmp.c_str(), dirfd, name.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) ::unlinkat(dirfd, tmp.c_str(), 0);
    if (held >= 0) ::close(held);
    if (!ok) return fail(err);
    // The new name lasts too.
    if (sync && !SyncFolder(dirfd)) {
        if (unsynced) *unsynced = true;
        return fail(errno);
    }
    return true;
}

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

std::string KindAt(const std::string& path) { return KindAt(AT_FDCWD, path); }

std::string KindAt(int dirfd, const std::string& name) {
    struct stat st {};
    if (::fstatat(dirfd, name.c_str(), &st, 0) == 0) return KindOf(st.st_mode);
    if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) return "a dangling link";
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

namespace {

// Reads the file into `out` (a std::string or Bytes) as ReadFile says.
// `path` is a name in the folder `dirfd` (AT_FDCWD: the current folder).
template <class Buffer>
bool ReadInto(int dirfd, const std::string& path, Buffer& out, std::string& reason, size_t head,
              const std::function<bool(std::string_view)>& goOn) {
    // Without blocking, so that a FIFO or a device is named, not waited on;
    // a socket cannot be opened at all and is named by its type, as is a
    // link that leads nowhere.
    int fd = ::openat(dirfd, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        struct stat st {};
        if (err == ENXIO && ::fstatat(dirfd, path.c_str(), &st, 0) == 0 && !S_ISREG(st.st_mode))
            reason = "is " + KindOf(st.st_mode);
        else if (err == ENOENT && ::fstatat(dirfd, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
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

}  // namespace

bool ReadFile(const std::string& path, std::string& out, std::string& reason) {
    return ReadInto(AT_FDCWD, path, out, reason, 0, nullptr);
}

bool ReadFile(int dirfd, const std::string& name, std::string& out, std::string& reason) {
    return ReadInto(dirfd, name, out, reason, 0, nullptr);
}

bool ReadFile(const std::string& path, Bytes& out, std::string& reason, size_t head,
              const std::function<bool(std::string_view)>& goOn) {
    return ReadInto(AT_FDCWD, path, out, reason, head, goOn);
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

bool ReplaceFileWith(const std::string& path, bool sync, const std::function<bool(int fd)>& produce, int* error,
                     Target target) {
    std::string name;
    const int dirfd = OpenFolderOf(path, name);
    if (dirfd < 0) {
        if (error) *error = errno;
        return false;
    }
    const bool ok = ReplaceFileAt(dirfd, name, sync, produce, error, target);
    ::close(dirfd);
    return ok;
}

std::string ErrorText(int err) {
    return err == kKeptOut ? "它是工作区自己的文件，导出不能写入" : std::strerror(err);
}

KeptOut::KeptOut(const std::vector<std::string>& paths, const std::vector<int>& held)
    : m_paths(paths), m_outer(g_keptOut) {
    for (const std::string& p : paths)
        if (struct stat st {}; ::stat(p.c_str(), &st) == 0) m_ids.emplace_back(st.st_dev, st.st_ino);
    for (const int fd : held)
        if (struct stat st {}; fd >= 0 && ::fstat(fd, &st) == 0) m_ids.emplace_back(st.st_dev, st.st_ino);
    g_keptOut = this;
}

KeptOut::~KeptOut() { g_keptOut = m_outer; }

bool KeptOut::Holds(dev_t dev, ino_t ino) const {
    for (const auto& [d, i] : m_ids)
        if (d == dev && i == ino) return true;
    for (const std::string& p : m_paths)
        if (struct stat st {}; ::stat(p.c_str(), &st) == 0 && st.st_dev == dev && st.st_ino == ino) return true;
    return false;
}

bool IsKeptOut(const std::string& path, FolderMark* other) {
    if (!g_keptOut) return false;
    std::string name;
    const int dirfd = OpenFolderOf(path, name);
    if (dirfd < 0) return false;
    const size_t slash = path.rfind('/');
    const bool kept = KeptOutAt(dirfd, name, slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash),
                                other);
    ::close(dirfd);
    return kept;
}

namespace {

// Whether `text` is kiln's manifest: its first element is KilnDocument.
bool IsKilnManifest(std::string_view text) {
    constexpr std::string_view kRoot = "<KilnDocument";
    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (at + 1 < text.size() && (text[at + 1] == '?' || text[at + 1] == '!')) continue;
        return text.substr(at, kRoot.size()) == kRoot && at + kRoot.size() < text.size() &&
               std::string_view(" \t\r\n/>").find(text[at + kRoot.size()]) != std::string_view::npos;
    }
    return false;
}

}  // namespace

FolderMark WorkspaceFolderAt(int dirfd, const std::string& named) {
    FolderMark mark;
    // The manifest's head tells: the rest is not read.
    Bytes head;
    std::string reason;
    if (ReadInto(dirfd, kManifestFile, head, reason, 4096, [](std::string_view) { return false; }) &&
        IsKilnManifest(head)) {
        mark.folder = "document folder";
        mark.holds = "kiln's manifest " + (named == "/" ? "" : named) + "/" + kManifestFile;
        return mark;
    }
    std::string names;
    for (const char* file : kTemplateFiles) {
        struct stat st {};
        if (::fstatat(dirfd, file, &st, 0) != 0 || !S_ISREG(st.st_mode)) return mark;
        names += (names.empty() ? "" : file == std::end(kTemplateFiles)[-1] ? " and " : ", ") + std::string(file);
    }
    mark.folder = "template folder";
    mark.holds = "kiln's templates " + names;
    return mark;
}

bool CopyMode(int fd, const std::string& like) { return CopyModeAt(fd, AT_FDCWD, like); }

bool CopyModeAt(int fd, int dirfd, const std::string& like) {
    struct stat st {};
    return ::fstatat(dirfd, like.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode) || ::fchmod(fd, st.st_mode & 07777) == 0;
}

bool SyncFolder(int dirfd) { return ::fsync(dirfd) == 0 || errno == EINVAL; }

bool NameLeadsTo(int dirfd, const std::string& name, int fd) {
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::fstatat(dirfd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           SameFile(held, named);
}

std::vector<std::string> NamesIn(int dirfd) {
    std::vector<std::string> names;
    // Read through a copy, from the start: closing the listing closes the
    // copy, and the copy shares its place with `dirfd`.
    const int copy = ::fcntl(dirfd, F_DUPFD_CLOEXEC, 0);
    DIR* d = copy < 0 ? nullptr : ::fdopendir(copy);
    if (!d) {
        if (copy >= 0) ::close(copy);
        return names;
    }
    ::rewinddir(d);
    while (const dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
    ::closedir(d);
    return names;
}

}  // namespace kiln::file
