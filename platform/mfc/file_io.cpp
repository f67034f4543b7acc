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

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

namespace {

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

// `file` in the folder named `folder`, for a message.
std::string In(const std::string& folder, const char* file) { return (folder == "/" ? "" : folder) + "/" + file; }

// Opens the file `path` of the folder `dirfd` to read it, without blocking,
// so that a FIFO or a device is named, not waited on: -1, with `reason` ("No
// such file or directory", "is a folder", "is a dangling link"), when it
// cannot be opened or is no regular file; else the descriptor, with `st`
// its status.
int OpenToRead(int dirfd, const std::string& path, std::string& reason, struct stat& st) {
    // A socket cannot be opened at all and is named by its type, as is a
    // link that leads nowhere.
    const int fd = ::openat(dirfd, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        if (err == ENXIO && ::fstatat(dirfd, path.c_str(), &st, 0) == 0 && !S_ISREG(st.st_mode))
            reason = "is " + KindOf(st.st_mode);
        else if (err == ENOENT && ::fstatat(dirfd, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            reason = "is a dangling link";
        else
            reason = std::strerror(err);
        return -1;
    }
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
    reason = "is " + KindOf(st.st_mode);
    ::close(fd);
    return -1;
}

// Whether the open folder `dirfd` holds kiln's manifest, as the document
// reads it: its prolog is read, chunk by chunk, up to the root's name, and
// the rest is not read.
bool HoldsManifest(int dirfd) {
    std::string reason;
    struct stat st {};
    const int fd = dirfd < 0 ? -1 : OpenToRead(dirfd, kManifestFile, reason, st);
    if (fd < 0) return false;
    PrologReader prolog;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || !prolog.Read(std::string_view(chunk, static_cast<size_t>(n)))) break;
    }
    ::close(fd);
    return prolog.Root() == kManifestRoot;
}

// Whether the document folder in the open folder `dirfd` (named `named`)
// holds kiln's manifest; `why` then names it.
bool DocumentFolderIn(int dirfd, const std::string& named, std::string& why) {
    const int doc = ::openat(dirfd, kDocumentFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    const FdHold closing(doc);
    if (!HoldsManifest(doc)) return false;
    why = "kiln's manifest " + In(In(named, kDocumentFolder), kManifestFile);
    return true;
}

// The open folder `dirfd` (named `named`) as the folder of a workspace whose
// lock file it holds: its document folder holds kiln's manifest.
FolderMark LockFolderAt(int dirfd, const std::string& named) {
    FolderMark mark;
    if (DocumentFolderIn(dirfd, named, mark.why)) {
        mark.folder = "workspace folder";
        mark.why = "its document folder holds " + mark.why;
    }
    return mark;
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
    FolderMark mark = name == kLockFile ? LockFolderAt(dirfd, named) : WorkspaceFolderAt(dirfd, named);
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
                   int* error, Target target, bool* unsynced, FolderMark* other) {
    if (unsynced) *unsynced = false;
    auto fail = [&](int err) {
        if (error) *error = err != 0 ? err : EIO;
        return false;
    };
    if (target == Target::Chosen && KeptOutAt(dirfd, name, PathOf(dirfd), other)) return fail(kKeptOut);
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
    struct stat st {};
    const int fd = OpenToRead(dirfd, path, reason, st);
    if (fd < 0) return false;
    bool ok = true;
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

enum class PrologReader::At : unsigned char {
    Bom,        // the byte-order mark's first m_n bytes read
    Misc,       // between the parts of the prolog
    Open,       // after "<"
    Name,       // the first element's name
    Pi,         // in a processing instruction (m_n: after a "?")
    Bang,       // after "<!"
    BangDash,   // after "<!-"
    Keyword,    // the first m_n bytes of "DOCTYPE" read
    Comment,    // in a comment (m_n: the dashes in a row)
    Doctype,    // in the DOCTYPE
    DtOpen,     // in the DOCTYPE, after "<"
    DtBang,     // in the DOCTYPE, after "<!"
    Quote,      // in a quoted string of the DOCTYPE
    Done,
};

namespace {
constexpr std::string_view kBom = "\xEF\xBB\xBF", kDoctype = "DOCTYPE";
// Longer names are none the reader is asked about.
constexpr size_t kMaxRootName = 1024;
}  // namespace

bool PrologReader::Read(std::string_view chunk) {
    for (const char c : chunk)
        if (!Step(c)) return false;
    return m_at != At::Done;
}

bool PrologReader::Step(char c) {
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    auto stop = [&] {
        m_at = At::Done;
        return false;
    };
    // A comment or processing instruction returns to where it stands.
    const At outer = m_inDoctype ? At::Doctype : At::Misc;
    switch (m_at) {
        case At::Bom:
            if (c == kBom[m_n]) {
                if (++m_n == kBom.size()) m_at = At::Misc;
                return true;
            }
            if (m_n > 0) return stop();
            m_at = At::Misc;
            return Step(c);
        case At::Misc:
            if (blank) return true;
            if (c != '<') return stop();
            m_at = At::Open;
            return true;
        case At::Open:
            m_n = 0;
            if (c == '?' || c == '!') {
                m_at = c == '?' ? At::Pi : At::Bang;
                return true;
            }
            if (blank || c == '/' || c == '>') return stop();
            m_at = At::Name;
            m_name.assign(1, c);
            return true;
        case At::Name:
            if (blank || c == '/' || c == '>') {
                m_root = m_name;
                return stop();
            }
            if (m_name.size() >= kMaxRootName) return stop();
            m_name += c;
            return true;
        case At::Pi:
            if (c == '>' && m_n == 1) m_at = outer;
            m_n = c == '?';
            return true;
        case At::Bang:
            if (c == '-') m_at = At::BangDash;
            else if (c == kDoctype[0] && !m_inDoctype) m_at = At::Keyword, m_n = 1;
            else return stop();
            return true;
        case At::BangDash:
            if (c != '-') return stop();
            m_at = At::Comment;
            m_n = 0;
            return true;
        case At::Keyword:
            if (c != kDoctype[m_n]) return stop();
            if (++m_n == kDoctype.size()) m_at = At::Doctype, m_inDoctype = true, m_depth = 0;
            return true;
        case At::Comment:
            if (c == '>' && m_n >= 2) m_at = outer;
            m_n = c == '-' ? m_n + 1 : 0;
            return true;
        case At::Doctype:
            if (c == '"' || c == '\'') m_at = At::Quote, m_quote = c;
            else if (c == '<') m_at = At::DtOpen;
            // Its end, or the end of a declaration inside it.
            else if (c == '>' && m_depth == 0) m_at = At::Misc, m_inDoctype = false;
            else if (c == '>') --m_depth;
            return true;
        case At::DtOpen:
            m_n = 0;
            if (c == '?') m_at = At::Pi;
            else if (c == '!') m_at = At::DtBang;
            else return stop();
            return true;
        case At::DtBang:
            if (c == '-') {
                m_at = At::BangDash;
                return true;
            }
            // A conditional section has no place here.
            if (c == '[') return stop();
            ++m_depth;
            m_at = At::Doctype;
            return Step(c);
        case At::Quote:
            if (c == m_quote) m_at = At::Doctype;
            return true;
        case At::Done: break;
    }
    return false;
}

std::string RootElementOf(std::string_view text) {
    PrologReader prolog;
    prolog.Read(text);
    return prolog.Root();
}

std::string PathOf(int fd) {
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    return n > 0 && static_cast<size_t>(n) < sizeof path ? std::string(path, static_cast<size_t>(n)) : std::string();
}

std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

std::vector<std::string> TemplatesLacking(int dirfd) {
    std::vector<std::string> lacking;
    for (const char* file : kTemplateFiles)
        if (struct stat st {}; ::fstatat(dirfd, file, &st, 0) != 0 || !S_ISREG(st.st_mode)) lacking.emplace_back(file);
    return lacking;
}

std::string FolderMark::Refusal(const std::string& path) const {
    if (std::string_view(folder) == "workspace folder")
        return path + " is the lock file of another workspace (" + why + "), which no export writes over";
    return path + " is in the " + folder + " of another workspace (" + why + "), which no export writes into";
}

FolderMark WorkspaceFolderAt(int dirfd, const std::string& named) {
    FolderMark mark;
    if (HoldsManifest(dirfd)) {
        mark.folder = "document folder";
        mark.why = "it holds kiln's manifest " + In(named, kManifestFile);
        return mark;
    }
    if (TemplatesLacking(dirfd).empty()) {
        mark.folder = "template folder";
        mark.why = "it holds kiln's templates " + Listed({std::begin(kTemplateFiles), std::end(kTemplateFiles)});
        return mark;
    }
    // The Template folder of a workspace, whatever it holds: seen from the
    // folder above it, and from the folder its path names above it.
    struct stat self {};
    if (::fstat(dirfd, &self) != 0) return mark;
    std::string name;
    for (const int up : {::openat(dirfd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC), OpenFolderOf(named, name)}) {
        const FdHold closing(up);
        struct stat tmpl {};
        if (mark || up < 0 || ::fstatat(up, kTemplateFolder, &tmpl, 0) != 0 || !SameFile(tmpl, self) ||
            !DocumentFolderIn(up, PathOf(up), mark.why))
            continue;
        mark.folder = "template folder";
        mark.why = "the document folder beside it holds " + mark.why;
    }
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
