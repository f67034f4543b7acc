// Whole-file reading and writing for the layers that keep files: read a file
// at once, write a buffer through a descriptor, and replace a file's contents
// so that a reader sees the old file or the new one, never a part of either.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kiln::file {

// A byte buffer whose new room is not zero-filled first: a file's bytes are
// read, or a text converted, straight into it.
class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::string_view text) : Bytes() {
        resize(text.size());
        if (!text.empty()) std::memcpy(m_bytes.get(), text.data(), text.size());
    }
    char* data() { return m_bytes.get(); }
    const char* data() const { return m_bytes.get(); }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    char operator[](size_t i) const { return m_bytes[i]; }
    operator std::string_view() const { return std::string_view(m_bytes.get(), m_size); }
    // Keeps the first bytes; room beyond them is left as it is.
    void resize(size_t n) {
        if (n > m_capacity) {
            std::unique_ptr<char[]> more(new char[n]);
            if (m_size > 0) std::memcpy(more.get(), m_bytes.get(), m_size);
            m_bytes = std::move(more);
            m_capacity = n;
        }
        m_size = n;
    }

private:
    std::unique_ptr<char[]> m_bytes;
    size_t m_size = 0, m_capacity = 0;
};

// The bytes of a regular file; false (and `out` unspecified) when it cannot
// be opened, is no regular file or a read fails. A FIFO, socket or device in
// its place is never waited on.
bool ReadFile(const std::string& path, std::string& out);
// The same, with the reason of a failure as a text ("No such file or
// directory", "is a folder", "is a FIFO", "is a dangling link").
bool ReadFile(const std::string& path, std::string& out, std::string& reason);
// The same, for the file `name` in the open folder `dirfd`.
bool ReadFile(int dirfd, const std::string& name, std::string& out, std::string& reason);
// The same into a Bytes; for a file larger than `head` bytes, its first
// `head` bytes are read first and given to `goOn`: when it returns false the
// rest is not read, and `out` holds the head alone (the result is true).
bool ReadFile(const std::string& path, Bytes& out, std::string& reason, size_t head = 0,
              const std::function<bool(std::string_view)>& goOn = nullptr);

// What a file of the type bits `mode` is, for a message: "a folder",
// "a FIFO", "a socket", "a character device", "a block device", "a link",
// "a regular file".
std::string KindOf(mode_t mode);
// What the path leads to, the same way ("a regular file", "a FIFO", ...),
// or "a dangling link"; empty when there is nothing at the path.
std::string KindAt(const std::string& path);
// The same, for the name `name` in the open folder `dirfd`.
std::string KindAt(int dirfd, const std::string& name);

// Writes all `n` bytes to the descriptor, going on after interruptions;
// false on an error (errno says which).
bool WriteAll(int fd, const char* data, size_t n);

struct FolderMark;

// Whose file a replacement writes: the program's own, or one a user chose
// (an export's answer), which never goes into a kept-out folder or over a
// kept-out file (see KeptOut).
enum class Target { Own, Chosen };

// The error a replacement of a chosen file gives when its folder or file is
// kept out; ErrorText names it.
constexpr int kKeptOut = -1;
// The cause of a failed replacement for a message: the system's text of the
// errno value, or what kKeptOut means.
std::string ErrorText(int err);

// Writes `data` to a new temporary file beside `path`, then renames it to
// `path`. The folder of `path` is opened once, and the file is created,
// written and renamed relative to that descriptor, so that what was judged
// is what is written, whatever replaces the folder's name meanwhile. With
// `sync` the file reaches the disk before the rename, and its new name
// after it. A file that is replaced keeps its permissions (a failure to set
// them fails the replace). On failure the temporary file is removed,
// `path` is untouched (but for a failed sync of the folder after the
// rename), and `error` (when given) receives the errno value or kKeptOut.
// The temporary is locked (flock) while it is written; the temporaries of
// `path` that killed writers of this user left (see TemporaryOf) go first:
// those that nobody holds locked (a writer at work, in whatever PID
// namespace, holds its own), and, where the file system has no locks, those
// of a process that no longer runs.
bool ReplaceFile(const std::string& path, std::string_view data, bool sync, int* error = nullptr);
// The same, with the contents written by `produce` into the descriptor of
// the temporary file (so that a large text need not be held whole first).
// A false from `produce` fails the replace with the errno it left (EIO when
// none), and nothing of it stays.
bool ReplaceFileWith(const std::string& path, bool sync, const std::function<bool(int fd)>& produce,
                     int* error = nullptr, Target target = Target::Own);
// The same, for the file `name` of the open folder `dirfd`, which stays
// open: a folder opened (and locked) once takes the file, whatever its path
// leads to meanwhile. `unsynced` (when given) receives whether a failure
// came only after the rename, from the folder's sync: the new file then
// has its name, but may not have reached the disk. `other` (when given)
// receives the mark of another workspace's folder that kept a chosen file
// out (see IsKeptOut).
bool ReplaceFileAt(int dirfd, const std::string& name, bool sync, const std::function<bool(int fd)>& produce,
                   int* error = nullptr, Target target = Target::Own, bool* unsynced = nullptr,
                   FolderMark* other = nullptr);
// Opens the folder of `path` ("." when it has no slash) for the writes
// relative to it, with the file's name in it; -1 with errno.
int OpenFolderOf(const std::string& path, std::string& name);

// The folders into which, and the files over which, no chosen file is
// written: the workspace's own, which the host names for a run, and, while
// one lives, any other workspace's document or template folder (see
// WorkspaceFolderAt). They are
// known by what they are (device and inode), so that any path to them,
// through links or a bind mount, is found: the paths as they were when named
// and as they lead when asked (a folder put in another's place is kept out
// as well), and the open folders `held`. While one lives, replacements of
// chosen files and IsKeptOut test against it.
class KeptOut {
public:
    explicit KeptOut(const std::vector<std::string>& paths, const std::vector<int>& held = {});
    ~KeptOut();
    KeptOut(const KeptOut&) = delete;
    KeptOut& operator=(const KeptOut&) = delete;
    bool Holds(dev_t dev, ino_t ino) const;

private:
    std::vector<std::pair<dev_t, ino_t>> m_ids;
    std::vector<std::string> m_paths;
    const KeptOut* m_outer;
};
// The folders and files of a workspace, by their names in it: the document
// folder, the template folder beside it and the lock file.
inline constexpr const char* kDocumentFolder = "document";
inline constexpr const char* kTemplateFolder = "Template";
inline constexpr const char* kLockFile = ".kiln.lock";
// The manifest that marks a document folder, and its root element.
inline constexpr const char* kManifestFile = "document.xml";
inline constexpr const char* kManifestRoot = "KilnDocument";

// Reads the prolog of an XML text up to its first element's name, chunk by
// chunk, so that a file need not be read whole: a UTF-8 byte-order mark,
// then blanks, the XML declaration, processing instructions, comments and a
// DOCTYPE (quoted strings, comments, processing instructions and
// declarations inside it passed over), as XML lets them stand before the
// root. Anything else first (text, a CDATA section, a malformed tag, a
// section the DOCTYPE may not hold) leaves the text without a root for it.
class PrologReader {
public:
    // Reads the next chunk; false once the reading is over (the root's name
    // read, or something else came), when more text changes nothing.
    bool Read(std::string_view chunk);
    // The first element's name once read whole (a blank, "/" or ">" after
    // it); empty otherwise.
    const std::string& Root() const { return m_root; }

private:
    enum class At : unsigned char;
    bool Step(char c);
    At m_at{};
    size_t m_n = 0;      // what the state counts
    size_t m_depth = 0;  // the declarations open in the DOCTYPE
    bool m_inDoctype = false;
    char m_quote = 0;
    std::string m_name, m_root;
};
// The root element's name of the whole text `text`, as PrologReader reads it.
std::string RootElementOf(std::string_view text);

// A folder of a workspace known by what it is, however it is reached (a
// link's target, a bind mount, where the workspace around it is not seen):
// a document folder holds kiln's manifest `document.xml` (its root element
// KilnDocument, as the document reads it), a template folder all the
// templates kiln reads, which an init copies into it (kTemplateFiles, each a
// regular file), or is the Template folder beside a document folder (seen
// from its folder above, or from the folder its path names above it): a
// folder of a user's is neither.
struct FolderMark {
    // "document folder", "template folder", or "workspace folder" (whose lock
    // file it is); null for none.
    const char* folder = nullptr;
    std::string why;  // what tells: "it holds kiln's manifest DIR/document.xml", ...
    explicit operator bool() const { return folder != nullptr; }
    // Why no export writes the file `path` there: "<path> is in the document
    // folder of another workspace (it holds ...), which no export writes into".
    std::string Refusal(const std::string& path) const;
};
inline constexpr const char* kTemplateFiles[] = {"ICD_Template.xml", "MICS_Template.xml", "ITB_Template.xml",
                                                 "M2I_Template.xml", "Report_Template.xml"};
// The templates of kTemplateFiles that the open folder `dirfd` lacks as
// regular files (a link followed), in their order.
std::vector<std::string> TemplatesLacking(int dirfd);
// Names as a message lists them: "a, b and c".
std::string Listed(const std::vector<std::string>& names);
// The mark of the open folder `dirfd`, named `named` (for `why`, and to find
// the folder above it by its path).
FolderMark WorkspaceFolderAt(int dirfd, const std::string& named);
// The path the open file `fd` has now (as the system names it); empty when
// it cannot be told.
std::string PathOf(int fd);

// Whether a file written at `path` would go into a kept-out folder or over a
// kept-out file: the folder of `path` as it opens, or what its name is or
// leads to in it; or into another workspace's document or template folder,
// known by its mark, or over its lock file (in a folder whose document folder
// is marked), whose mark `other` (when given) then receives (it stays empty
// for the run's own files).
bool IsKeptOut(const std::string& path, FolderMark* other = nullptr);

// The temporary file of a replacement: "<target>.tmp<pid>_<n>". True for
// such a name as ReplaceFileWith writes it (no leading zeros, a process
// number the system can give), with the target's name and the writer's
// process.
bool TemporaryOf(std::string_view name, std::string_view& target, pid_t& writer);

// Gives the file `fd` the permission bits of the file at `like`, when there
// is one (a new file that replaces an old one keeps what the user set);
// false, with errno, when they cannot be set.
bool CopyMode(int fd, const std::string& like);
// The same, for the file `like` in the open folder `dirfd`.
bool CopyModeAt(int fd, int dirfd, const std::string& like);
// The names in the open folder `dirfd` ("." and ".." among them); none when
// it cannot be read.
std::vector<std::string> NamesIn(int dirfd);

// Makes the names of the open folder `dirfd` last (a file system that cannot
// sync a folder says EINVAL: that counts as done); false, with errno, when
// it cannot.
bool SyncFolder(int dirfd);
// Whether the name `name` in the open folder `dirfd` (a link not followed)
// still leads to the file open as `fd`.
bool NameLeadsTo(int dirfd, const std::string& name, int fd);
// Whether the two statuses are of one file (its device and inode).
bool SameFile(const struct stat& a, const struct stat& b);

// Closes a descriptor when it goes (none for -1), unless it was taken.
class FdHold {
public:
    explicit FdHold(int fd) : m_fd(fd) {}
    ~FdHold() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FdHold(const FdHold&) = delete;
    FdHold& operator=(const FdHold&) = delete;
    int Take() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

}  // namespace kiln::file
