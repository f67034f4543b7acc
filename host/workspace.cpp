#include "host/workspace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>
#include <system_error>
#include <vector>

#include "host/transcript.h"
#include "host/workspace_lock.h"
#include "platform/framework/cim_doc.h"
#include "platform/mfc/file_io.h"

#ifndef KILN_INSTALL_DIR
#define KILN_INSTALL_DIR "."
#endif

namespace fs = std::filesystem;

namespace kiln::host {

Installation Installation::Find() {
    const char* home = std::getenv("KILN_HOME");
    return Installation{home && *home ? home : KILN_INSTALL_DIR};
}

std::string Installation::TemplateDir() const { return (fs::path(root) / "Template").string(); }

std::string Installation::StdDomainFile() const {
    fs::path p = fs::path(root) / kStdDomainFile;
    std::error_code ec;
    return fs::is_regular_file(p, ec) ? p.string() : std::string();
}

namespace {

// What an init made, in the order it made it: each folder and file by its
// name in a folder the init holds open, and by what it is (device and
// inode). A failed init removes through those folders only what it made,
// and only while its name still leads to it, whatever the workspace's path
// leads to meanwhile.
class Made {
public:
    Made() = default;
    Made(const Made&) = delete;
    Made& operator=(const Made&) = delete;
    ~Made() {
        for (const int fd : m_fds) ::close(fd);
    }

    // Makes the folder `name` in the folder `dirfd` and opens it, never
    // through a link: -1, with errno, when either fails.
    int Folder(int dirfd, const std::string& name) {
        if (::mkdirat(dirfd, name.c_str(), 0755) != 0) return -1;
        const int fd = ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return -1;
        m_fds.push_back(fd);
        Note(dirfd, name, fd, true);
        return fd;
    }
    // Opens the folder `name` of the folder `dirfd` that another made, never
    // through a link: -1, with errno, when it cannot.
    int Open(int dirfd, const std::string& name) {
        const int fd = ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) m_fds.push_back(fd);
        return fd;
    }
    // Creates the file `name` in the folder `dirfd` (where nothing had that
    // name) with `bytes`, synced; false, with errno, when it cannot.
    bool File(int dirfd, const std::string& name, const std::string& bytes, mode_t mode) {
        const int fd = ::openat(dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) return false;
        Note(dirfd, name, fd, false);
        bool ok = kiln::file::WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
        const int err = errno;
        if (::close(fd) != 0 && ok) return false;
        errno = err;
        return ok;
    }
    // The files a save into the folder `dirfd` writes, `names`, and their
    // temporaries: whichever of them a failed save left go too.
    void Saved(int dirfd, const std::map<std::string, std::string>& names) {
        Item item{dirfd, "", 0, 0, false, {}};
        for (const auto& named : names) item.saved.insert(named.first);
        m_items.push_back(std::move(item));
    }
    // Removes what was made, the last first; a folder only when it is empty.
    void Remove() {
        struct stat st {};
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            if (!it->saved.empty()) {
                for (const std::string& name : kiln::file::NamesIn(it->dirfd)) {
                    std::string_view target;
                    pid_t writer = 0;
                    if ((it->saved.count(name) ||
                         (kiln::file::TemporaryOf(name, target, writer) && it->saved.count(std::string(target)))) &&
                        ::fstatat(it->dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
                        ::unlinkat(it->dirfd, name.c_str(), 0);
                }
                continue;
            }
            if (::fstatat(it->dirfd, it->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == it->dev &&
                st.st_ino == it->ino)
                ::unlinkat(it->dirfd, it->name.c_str(), it->folder ? AT_REMOVEDIR : 0);
        }
    }

private:
    struct Item {
        int dirfd;
        std::string name;
        dev_t dev;
        ino_t ino;
        bool folder;
        std::set<std::string> saved;  // a save's files (Saved)
    };
    void Note(int dirfd, const std::string& name, int fd, bool folder) {
        struct stat st {};
        if (::fstat(fd, &st) == 0) m_items.push_back({dirfd, name, st.st_dev, st.st_ino, folder, {}});
    }
    std::vector<Item> m_items;
    std::vector<int> m_fds;
};

// Copies the installation's templates `from` into the folder `toFd` (named
// `to`), which the init made, folder by folder through what it made;
// `count` receives the number of files.
bool CopyTemplates(const fs::path& from, int toFd, const fs::path& to, Made& made, int& count, std::string& error) {
    auto fail = [&](const std::string& why) {
        error = "cannot copy the templates from " + from.string() + " to " + to.string() + ": " + why;
        return false;
    };
    std::error_code ec;
    for (auto it = fs::directory_iterator(from, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        struct stat st {};
        if (::stat(it->path().c_str(), &st) != 0) return fail(std::strerror(errno));
        if (S_ISDIR(st.st_mode)) {
            const int sub = made.Folder(toFd, name);
            if (sub < 0 || !CopyTemplates(it->path(), sub, to / name, made, count, error)) {
                return sub < 0 ? fail(std::strerror(errno)) : false;
            }
            continue;
        }
        std::string bytes, reason;
        if (!kiln::file::ReadFile(it->path().string(), bytes, reason)) return fail(it->path().string() + " " + reason);
        if (!made.File(toFd, name, bytes, st.st_mode & 0777)) return fail(std::strerror(errno));
        ++count;
    }
    if (ec) return fail(ec.message());
    // Their names last too.
    if (!kiln::file::SyncFolder(toFd)) return fail(std::strerror(errno));
    return true;
}

bool HasManifest(const fs::path& root) {
    std::error_code ec;
    return fs::is_regular_file(root / kDocumentFolder / kManifestFile, ec);
}

// The same, in the open workspace folder `rootFd`.
bool HasManifestAt(int rootFd) {
    struct stat st {};
    return ::fstatat(rootFd, (std::string(kDocumentFolder) + "/" + kManifestFile).c_str(), &st, 0) == 0 &&
           S_ISREG(st.st_mode);
}

// What is wrong with the manifest of the open workspace folder `rootFd`
// that is no regular file: "is missing", "is a dangling link", "is a
// folder", "is a FIFO", ...
std::string ManifestFault(int rootFd) {
    const std::string kind = kiln::file::KindAt(rootFd, std::string(kDocumentFolder) + "/" + kManifestFile);
    return kind.empty() ? "is missing" : "is " + kind;
}

// The document of a new workspace: the default domain prefix and, when the
// installation has standard definitions, their read-only domain, whose name
// `imported` receives.
bool MakeDocument(CBase_CimDoc& doc, const Installation& inst, std::string& imported, std::string& error) {
    if (!doc.isOpened()) {
        error = "the document cannot be made: " + doc.LastError().str();
        return false;
    }
    doc.SetDomainPrefixDefault(kDefaultDomainPrefix);
    const std::string stdFile = inst.StdDomainFile();
    if (stdFile.empty()) return true;
    URI_Ref type;
    if (!doc.FindDomainType(kStdDomainType, type)) {
        error = std::string("the document has no domain type ") + kStdDomainType;
        return false;
    }
    CString domain;
    if (!doc.ImportDomainFile(stdFile.c_str(), type, kStdDomainClass, "", &domain)) {
        error = "cannot import " + stdFile + ": " + doc.LastError().str();
        return false;
    }
    if (!doc.SetDomainEditable(domain, false)) {
        error = "cannot make the domain " + domain.str() + " read-only: " + doc.LastError().str();
        return false;
    }
    imported = domain.str();
    return true;
}

// What an init of `inst` writes into the document folder (file name ->
// bytes), made in memory; false when it cannot be made.
bool InitFiles(const Installation& inst, std::map<std::string, std::string>& files) {
    CBase_CimDoc doc;
    std::string imported, error;
    return MakeDocument(doc, inst, imported, error) && doc.SaveInMemory(files);
}

// Whether the document folder holds anything besides its manifest that an
// init did not write: the domain files and reports of saved work. An init
// that stopped half-way left nothing, or the installation's standard domain
// as an init saves it (byte for byte), or a part of it (a domain file is
// written in place, a kill leaves its beginning), or a part of its
// manifest. Without `inst`, any other file counts.
bool HoldsSavedFiles(int docFd, const Installation* inst) {
    std::map<std::string, std::string> init;
    bool made = false;
    for (const std::string& name : kiln::file::NamesIn(docFd)) {
        if (name == "." || name == ".." || name == kManifestFile) continue;
        if (!inst || (!made && !(made = true, InitFiles(*inst, init)))) return true;
        std::string bytes, reason;
        if (!kiln::file::ReadFile(docFd, name, bytes, reason)) return true;
        // The init's file `of`, whole or its beginning.
        auto begins = [&](std::string_view of) {
            const auto own = init.find(std::string(of));
            return own != init.end() && own->second.compare(0, bytes.size(), bytes) == 0;
        };
        if (begins(name)) continue;
        // A temporary is the init's when it begins a file the init writes, or
        // is the manifest's (which counts only once it has its name).
        std::string_view target;
        pid_t writer = 0;
        if (kiln::file::TemporaryOf(name, target, writer) && (target == kManifestFile || begins(target))) continue;
        return true;
    }
    return false;
}

// A folder with the document folder but no manifest, or with Template/ and
// a lock file (`hadLockFile`: there before this kiln came), which an init
// makes first: a workspace whose making stopped half-way. Init and run say
// the same, and name what to remove: what only an init made. A manifest
// lost beside saved files, or something else in its place, is named
// instead: the files stay.
// The workspace folder is `rootFd`, open, named `root`.
bool HalfMade(int rootFd, const fs::path& root, bool hadLockFile, const Installation& inst, std::string& error) {
    const fs::path docFolder = root / kDocumentFolder;
    const fs::path tmplFolder = root / kTemplateFolder;
    // An init makes folders there: anything else is the user's, named as
    // what it is and left alone.
    for (const auto& [name, what] : {std::pair{kDocumentFolder, "document folder"}, {kTemplateFolder, "template folder"}})
        if (const std::string kind = kiln::file::KindAt(rootFd, name); !kind.empty() && kind != "a folder") {
            error = root.string() + " holds " + (root / name).string() + ", which is " + kind +
                    ", where a workspace has its " + what + "; nothing was changed";
            return true;
        }
    const fs::path manifest = docFolder / kManifestFile;
    const std::string fault = ManifestFault(rootFd);
    const int docFd = ::openat(rootFd, kDocumentFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const kiln::file::FdHold closing(docFd);
    const bool saved = docFd >= 0 && HoldsSavedFiles(docFd, fault == "is missing" ? &inst : nullptr);
    const bool docEmpty = docFd < 0 || kiln::file::NamesIn(docFd).size() <= 2;
    struct stat st {};
    const bool hasDoc = ::fstatat(rootFd, kDocumentFolder, &st, 0) == 0;
    const bool hasTmpl = ::fstatat(rootFd, kTemplateFolder, &st, 0) == 0;
    // A document folder of the user's that no workspace of kiln made: no
    // lock file or Template beside it, nothing in it that a document writes.
    auto kilnsFile = [&] {
        for (const std::string& name : kiln::file::NamesIn(docFd))
            if (CBase_CimDoc::IsDocumentFileName(name)) return true;
        return false;
    };
    if (saved && fault == "is missing" && !hadLockFile && !hasTmpl && !kilnsFile()) {
        error = root.string() + " holds " + docFolder.string() + ", a folder that no workspace of kiln made (no " +
                "manifest " + kManifestFile + " or file of a document in it, no template folder or lock file " +
                "beside it); nothing was changed";
        return true;
    }
    if (saved || fault != "is missing") {
        error = root.string() + " holds a workspace whose manifest " + manifest.string() + " " + fault + "; " +
                (saved ? "the saved files in " + docFolder.string() + " are kept and " : "") +
                "nothing was changed: put the manifest back (from a backup) to open the workspace";
        return true;
    }
    if (!hasDoc && !(hadLockFile && hasTmpl)) return false;
    std::string made;
    for (const auto& [p, there] : {std::pair{docFolder, hasDoc}, {tmplFolder, hasTmpl}})
        if (there) made += (made.empty() ? "" : " and ") + p.string();
    const bool initsOwn = hasDoc && !docEmpty;
    error = root.string() + " holds a half-made workspace: " + manifest.string() + " is missing" +
            (initsOwn ? " and " + docFolder.string() + " holds only what an init writes" : "") + "; remove " + made +
            " and run kiln init " + root.string() + " again";
    return true;
}

// A workspace's document folder named where a workspace is meant: its
// workspace is the folder above, named instead, and no workspace is made
// inside it.
bool IsDocumentFolder(const fs::path& root, std::string& error) {
    std::error_code ec;
    fs::path named = root.lexically_normal();
    if (!named.has_filename()) named = named.parent_path();
    if (HasManifest(root) || !fs::is_regular_file(root / kManifestFile, ec) || named.filename() != kDocumentFolder)
        return false;
    error = named.string() + " is the document folder of the workspace " + named.parent_path().string() +
            ", not a workspace (run kiln run " + named.parent_path().string() + ")";
    return true;
}

// A folder as given (without a trailing slash), its deepest existing folder,
// and that as it resolves (empty when it cannot be resolved).
struct NamedFolder {
    fs::path named, existing, resolved;
};

NamedFolder Resolve(const fs::path& root) {
    std::error_code ec;
    NamedFolder f;
    f.named = root.lexically_normal();
    if (!f.named.has_filename()) f.named = f.named.parent_path();
    f.existing = f.named;
    while (!fs::exists(f.existing, ec) && f.existing.has_relative_path()) f.existing = f.existing.parent_path();
    f.resolved = fs::canonical(f.existing, ec);
    if (ec) f.resolved.clear();
    return f;
}

// A folder at or below the document or template folder of a workspace, by
// its path as given or as its deepest existing folder resolves: an init
// makes no workspace among another's files, and a run names the workspace.
// `error` names it, then `tail`.
bool InsideWorkspace(const fs::path& root, const std::string& tail, std::string& error) {
    const auto [named, existing, resolved] = Resolve(root);
    // Each path from `root` itself (when it stands for it) up to the top.
    for (const auto& [start, isRoot] : {std::pair{named, true}, {resolved, existing == named}})
        for (fs::path folder = start; folder.has_relative_path(); folder = folder.parent_path()) {
            const std::string name = folder.filename().string();
            const fs::path workspace = folder.parent_path();
            if ((name != kDocumentFolder && name != kTemplateFolder) || !HasManifest(workspace)) continue;
            const std::string what = name == kDocumentFolder ? "document folder" : "template folder";
            error = root.string() +
                    (isRoot && folder == start ? " is the " + what : " is inside the " + what + " " + folder.string()) +
                    " of the workspace " + workspace.string() + tail;
            return true;
        }
    return false;
}

// The open folder `fd` at or below a document or template folder known by
// what it is (see kiln::file::WorkspaceFolderAt), however its path led there
// (the target of a linked document or Template folder, a bind mount of one,
// a folder of the path swapped for a link after the path was judged): it and
// the folders above it, up to the top. `fd` is the deepest existing folder of
// `root` (`isRoot`: `root` itself). `error` names it, then `tail`.
bool InsideWorkspaceAt(int fd, bool isRoot, const fs::path& root, const std::string& tail, std::string& error) {
    int at = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    for (bool first = true; at >= 0; first = false) {
        const kiln::file::FdHold closing(at);
        const std::string folder = kiln::file::PathOf(at);
        if (const kiln::file::FolderMark mark = kiln::file::WorkspaceFolderAt(at, folder)) {
            error = root.string() +
                    (first && isRoot ? std::string(" is the ") + mark.folder + " of a workspace"
                                     : std::string(" is inside the ") + mark.folder + " " + folder + " of a workspace") +
                    " (" + mark.why + ")" + tail;
            return true;
        }
        const int up = ::openat(at, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat here {}, above {};
        const bool top =
            up < 0 || ::fstat(at, &here) != 0 || ::fstat(up, &above) != 0 || kiln::file::SameFile(here, above);
        if (top && up >= 0) ::close(up);
        at = top ? -1 : up;
    }
    return false;
}

// An init at work holds the lock until its manifest is written.
std::string InitAtWork(const fs::path& root, const std::string& holder) {
    return holder + " is making a workspace in " + root.string() + "; nothing was changed";
}

// The steps of an init on the locked workspace folder `rootFd`, named
// `root`: every folder and file is made through the folders it made, never
// by its path; `made` receives what they made, for a failure to remove.
bool MakeWorkspace(int rootFd, const fs::path& root, bool hadLockFile, const Installation& inst, Transcript& out,
                   Made& made, std::string& error) {
    std::error_code ec;
    const fs::path docFolder = root / kDocumentFolder;
    const fs::path tmplFolder = root / kTemplateFolder;
    if (HasManifestAt(rootFd)) {
        error = root.string() + " already holds a workspace (" + (docFolder / kManifestFile).string() + " exists)";
        return false;
    }
    if (HalfMade(rootFd, root, hadLockFile, inst, error)) return false;
    if (!kiln::file::KindAt(rootFd, kTemplateFolder).empty()) {
        error = root.string() + " already holds a workspace (" + tmplFolder.string() + " exists)";
        return false;
    }
    const fs::path from = inst.TemplateDir();
    if (!fs::is_directory(from, ec)) {
        error = "the installation has no template folder " + from.string() + " (set KILN_HOME)";
        return false;
    }
    // Every workspace's template folder holds all the templates, by which it
    // is known wherever it is reached (see kiln::file::WorkspaceFolderAt).
    const int fromFd = ::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const kiln::file::FdHold closingFrom(fromFd);
    const std::vector<std::string> lacking = kiln::file::TemplatesLacking(fromFd);
    const size_t lacks = lacking.size();
    if (lacks > 0) {
        error = "the installation's template folder " + from.string() + " lacks " + (lacks > 1 ? "the templates " : "the template ") +
                kiln::file::Listed(lacking) + ", which a workspace needs (set KILN_HOME); nothing was changed";
        return false;
    }
    int files = 0;
    const int tmplFd = made.Folder(rootFd, kTemplateFolder);
    if (tmplFd < 0) {
        error = "cannot copy the templates from " + from.string() + " to " + tmplFolder.string() + ": " +
                std::strerror(errno);
        return false;
    }
    if (!CopyTemplates(from, tmplFd, tmplFolder, made, files, error)) return false;

    CBase_CimDoc doc;
    std::string imported;
    if (!MakeDocument(doc, inst, imported, error)) return false;

    std::map<std::string, std::string> written;
    const int docFd = made.Folder(rootFd, kDocumentFolder);
    if (docFd < 0 || !doc.SaveInMemory(written)) {
        error = "cannot save the document into " + docFolder.string() + ": " +
                (docFd < 0 ? CString(std::strerror(errno)) : doc.LastError()).str();
        return false;
    }
    made.Saved(docFd, written);
    if (!doc.Save(docFolder.string().c_str(), docFd)) {
        error = "cannot save the document into " + docFolder.string() + ": " + doc.LastError().str();
        return false;
    }
    // The names of the two folders last too.
    if (!kiln::file::SyncFolder(rootFd)) {
        error = "cannot sync the folder " + root.string() + ": " + std::strerror(errno);
        return false;
    }

    out.Line("workspace " + root.string());
    out.Line("Template: " + std::to_string(files) + " files from " + inst.TemplateDir(), 2);
    out.Line("document: " + docFolder.string() + " (default domain prefix " + kDefaultDomainPrefix + ")", 2);
    if (imported.empty())
        out.Line("no standard definitions: the installation has no " + std::string(kStdDomainFile), 2);
    else
        out.Line("domain " + imported + ": " + inst.StdDomainFile() + " (" + kStdDomainType + ", read-only)", 2);
    return true;
}

}  // namespace

bool InitWorkspace(const std::string& dir, const Installation& inst, Transcript& out, std::string& error,
                   const std::function<void()>& beforeLock, const std::function<void()>& beforeMake) {
    std::error_code ec;
    const fs::path root = fs::absolute(dir, ec);
    if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
        error = root.string() + " is a file, not a folder";
        return false;
    }
    const std::string nested = "; no workspace is made inside another, nothing was changed";
    if (IsDocumentFolder(root, error) || InsideWorkspace(root, nested, error)) return false;
    if (beforeMake) beforeMake();
    // The deepest folder of the path that exists is opened as the path leads
    // (through the user's links) and judged as it opened; each folder below
    // it is made and opened through the one above, never through a link.
    // From here the workspace is the folder opened so (a folder this init
    // made is never reached through a link), whatever its path leads to
    // later: all is made, and a failure removed, through it.
    const NamedFolder path = Resolve(root);
    const bool existed = path.existing == path.named;
    const int top = ::open(path.existing.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top < 0) {
        error = "cannot " + std::string(existed ? "open" : "make") + " the folder " + root.string() + ": " +
                std::strerror(errno);
        return false;
    }
    const kiln::file::FdHold closingTop(top);
    if (InsideWorkspaceAt(top, existed, root, nested, error)) return false;
    Made folders;
    int rootFd = top;
    bool found = false;  // a folder below `top` that another made meanwhile
    for (const fs::path& part : existed ? fs::path() : path.named.lexically_relative(path.existing)) {
        // Of two inits, the one whose mkdir makes the folder made it; the
        // other finds it there.
        const std::string name = part.string();
        int sub = folders.Folder(rootFd, name);
        if (sub < 0 && errno == EEXIST && (sub = folders.Open(rootFd, name)) >= 0) found = true;
        if (sub < 0) {
            struct stat st {};
            const bool link = ::fstatat(rootFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
            error = "cannot make the folder " + root.string() + ": " +
                    (link ? name + " in " + kiln::file::PathOf(rootFd) + " is a link, which an init does not follow"
                          : std::string(std::strerror(errno)));
            folders.Remove();
            return false;
        }
        rootFd = sub;
    }
    if (found && InsideWorkspaceAt(rootFd, true, root, nested, error)) {
        folders.Remove();
        return false;
    }
    if (beforeLock) beforeLock();
    // Two inits, or an init beside a run, never work on one folder at once;
    // one refused by another's lock leaves the folder to it.
    WorkspaceLock lock;
    std::string holder;
    if (!lock.Acquire(root.string(), error, &holder, rootFd)) {
        if (!holder.empty() && !HasManifestAt(rootFd)) error = InitAtWork(root, holder);
        return false;
    }
    Made made;
    if (MakeWorkspace(rootFd, root, !lock.MadeFile(), inst, out, made, error)) return true;
    // A failed init removes, while it holds the lock, only what it made: the
    // folders of the path too when it made them, nothing else came into them
    // meanwhile and their names still lead to them. The lock file it made
    // stays when another kiln has made a workspace there since (the file is
    // the workspace's now).
    made.Remove();
    if (lock.MadeFile() && !HasManifestAt(rootFd)) ::unlinkat(rootFd, kLockFile, 0);
    folders.Remove();  // empty folders only
    lock.Release();
    return false;
}

bool FindDocumentFolder(const std::string& dir, std::string& docFolder, std::string& error) {
    std::error_code ec;
    const fs::path root = fs::absolute(dir, ec);
    if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
        error = root.string() + " is a file, not a workspace folder (make a workspace with kiln init DIR)";
        return false;
    }
    if (!fs::is_directory(root, ec)) {
        error = "no workspace at " + root.string() + ": the folder does not exist (make one with kiln init " + dir +
                ")";
        return false;
    }
    const fs::path folder = root / kDocumentFolder;
    // No manifest yet: an init that holds the lock is still making it, and
    // may have finished by the time it is asked.
    if (!HasManifest(root)) {
        if (const std::string holder = LockHolder(root.string()); !holder.empty()) {
            error = InitAtWork(root, holder) + ", try again when it has finished";
            return false;
        }
    }
    if (IsDocumentFolder(root, error)) return false;
    if (!HasManifest(root)) {
        if (InsideWorkspace(root, ", not a workspace", error)) return false;
        const int rootFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const kiln::file::FdHold closing(rootFd);
        const bool halfMade = rootFd >= 0 && HalfMade(rootFd, root, fs::exists(root / kLockFile, ec), Installation::Find(), error);
        if (!halfMade)
            error = root.string() + " is not a workspace: " + (folder / kManifestFile).string() +
                    " is missing (make one with kiln init DIR)";
        return false;
    }
    docFolder = folder.string();
    return true;
}

}  // namespace kiln::host
