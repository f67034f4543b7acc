// The document as a folder: manifest "document.xml" and one CIM-XML file per
// domain. A save writes the files of the changed domains under new names (a
// new generation), then replaces the manifest with one rename: until that
// rename the old manifest and the old files are the document, whole. A save
// that changes nothing writes nothing. One process at a time may save into a
// folder (the host locks its workspace for a whole run).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <set>
#include <utility>
#include <sstream>

#include <pugixml.hpp>

#include "platform/framework/cim_doc.h"
#include "platform/framework/cim_store.h"
#include "platform/framework/cimxml.h"
#include "platform/mfc/file_io.h"
#include "platform/mfc/text_funcs.h"
#include "platform/xml/xml_check.h"

using namespace kiln::cim;

namespace {

constexpr const char* kManifest = kiln::file::kManifestFile;

// The manifest's root element, read as the folders of a workspace are known
// by it (kiln::file::PrologReader): the first element after the prolog, and
// KilnDocument; null for any other text.
pugi::xml_node ManifestRoot(const pugi::xml_document& doc, std::string_view bytes) {
    const pugi::xml_node root = doc.document_element();
    return kiln::file::RootElementOf(bytes) == kiln::file::kManifestRoot &&
                   std::string_view(root.name()) == kiln::file::kManifestRoot
               ? root
               : pugi::xml_node();
}

std::string StripSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

bool MakeDirs(const std::string& path) {
    if (path.empty()) return false;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirs(path.substr(0, slash))) return false;
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

// Writes to a file descriptor.
class FdSink : public XmlSink {
public:
    explicit FdSink(int fd) : m_fd(fd) {}
    bool Put(const char* data, size_t n) override { return kiln::file::WriteAll(m_fd, data, n); }

private:
    int m_fd;
};

class StringSink : public XmlSink {
public:
    std::string text;
    bool Put(const char* data, size_t n) override {
        text.append(data, n);
        return true;
    }
};

// A failure injected by the tests into a system call of a save: true when
// the armed fault fires for `op`.
using FaultHook = std::function<bool(const char* op)>;

// The document folder as a save and an open use it: opened once, every file
// read, written, renamed and removed relative to it, so that what its name
// leads to meanwhile changes nothing. `path` names it in messages.
struct Folder {
    int fd;
    std::string path;
    std::string In(const std::string& name) const { return kiln::path::Join(path, name).str(); }
};

// Whether `path` still leads to the open folder `fd`; when not, `error`
// says so: a folder moved away, or replaced by another (a restored copy, a
// link pointed elsewhere), takes no more of the document's files.
bool StillNamed(int fd, const std::string& path, std::string& error) {
    struct stat named {}, held {};
    if (stat(path.c_str(), &named) == 0 && fstat(fd, &held) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino)
        return true;
    error = "文档文件夹" + path + "已不是打开文档时的文件夹（它被移走或替换了），没有保存";
    return false;
}

// A name of its own for a temporary of `name` ("<name>.tmp<pid>_<n>"), which
// the next open or save removes when a kill left it.
std::string TemporaryName(const std::string& name) {
    static std::atomic<unsigned> counter{0};
    return name + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(counter++);
}

// Writes a new file `name` of the folder through `fill`, synced to disk
// before it counts as written, with the permissions of the folder's file
// `like` when that exists; false with the reason in `error` (`fill` may give
// its own). The name must be free: a file is never overwritten. Fault
// "mode": setting the permissions fails.
template <typename Fill>
bool WriteNewFile(const Folder& dir, const std::string& name, const std::string& like, Fill fill,
                  std::string& error, const FaultHook& fault) {
    const std::string path = dir.In(name);
    int fd = openat(dir.fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "不能写入文件" + path + "：" + std::strerror(errno);
        return false;
    }
    if (!like.empty()) {
        const bool injected = fault("mode");
        if (injected || !kiln::file::CopyModeAt(fd, dir.fd, like)) {
            error = "不能设置文件" + path + "的权限：" + std::strerror(injected ? EPERM : errno);
            close(fd);
            unlinkat(dir.fd, name.c_str(), 0);
            return false;
        }
    }
    FdSink sink(fd);
    std::string fillError;
    errno = 0;
    bool ok = fill(sink, fillError);
    int err = ok ? 0 : errno;
    if (ok && fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlinkat(dir.fd, name.c_str(), 0);
        error = "写入文件" + path + "失败：" + (fillError.empty() ? std::strerror(err ? err : EIO) : fillError);
    }
    return ok;
}

// Syncs the folder, so that the names just given in it last; false with the
// reason in `error`. Fault "sync": the sync fails.
bool SyncDir(const Folder& dir, std::string& error, const FaultHook& fault) {
    int err = 0;
    if (fault("sync"))
        err = EIO;
    else if (fsync(dir.fd) != 0)
        err = errno;
    if (err) error = "不能同步文件夹" + dir.path + "：" + std::strerror(err);
    return err == 0;
}

// The manifest's format this code reads and writes.
constexpr long long kFormat = 1;
// Generations stay far below the end of a 64-bit number, so that adding one
// never overflows, whatever a manifest or a file name says.
constexpr long long kMaxGeneration = 999999999999999LL;

// A generation written in decimal digits only ("12"); -1 for anything else
// (a sign, blanks, other characters, or a number beyond kMaxGeneration).
long long ParseGeneration(std::string_view text) {
    if (text.empty() || text.size() > 15) return -1;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v <= kMaxGeneration ? v : -1;
}

// The generation in the name of a domain file ("domain-3-g12.xml" -> 12);
// -1 when the name is not one of ours.
long long FileGeneration(std::string_view name) {
    if (name.substr(0, 7) != "domain-" || name.size() < 12 || name.substr(name.size() - 4) != ".xml") return -1;
    std::string_view mid = name.substr(7, name.size() - 11);
    size_t g = mid.find("-g");
    if (g == std::string_view::npos || g == 0 || ParseGeneration(mid.substr(0, g)) < 0) return -1;
    return ParseGeneration(mid.substr(g + 2));
}

// A temporary file that a replacement or a copy leaves when it is killed
// ("document.xml.tmp<pid>_<n>", "Report.xml.unsaved-g3.tmp<pid>_<n>").
bool IsPart(std::string_view name) {
    std::string_view target;
    pid_t writer = 0;
    return kiln::file::TemporaryOf(name, target, writer);
}

// What an existing manifest says: its generation and the files it uses.
struct OldManifest {
    bool exists = false;
    std::string bytes;
    long long generation = 0;
    std::vector<std::string> files;
};

// Reads the manifest of the folder; false with the reason when it is there
// but cannot be read or is of an unknown format or generation.
bool ReadOldManifest(const Folder& dir, OldManifest& m, std::string& error) {
    std::string path = dir.In(kManifest);
    std::string reason;
    struct stat st;
    if (fstatat(dir.fd, kManifest, &st, 0) != 0 && errno == ENOENT) return true;
    if (!kiln::file::ReadFile(dir.fd, kManifest, m.bytes, reason)) {
        error = "不能读取文档清单" + path + "：" + reason;
        return false;
    }
    m.exists = true;
    pugi::xml_document doc;
    pugi::xml_node root;
    if (doc.load_buffer(m.bytes.data(), m.bytes.size())) root = ManifestRoot(doc, m.bytes);
    if (!root) {
        // Whatever it is, it is not a document this program wrote: saving over
        // it would destroy a file the user may still need.
        error = "文档清单" + path + "不是文档清单";
        return false;
    }
    pugi::xml_attribute format = root.attribute("format");
    if (format && std::string_view(format.value()) != std::to_string(kFormat)) {
        error = "文档清单" + path + "的格式版本" + format.value() + "未知（本程序读写版本" + std::to_string(kFormat) + "）";
        return false;
    }
    m.generation = ParseGeneration(root.attribute("generation").value());
    if (m.generation < 0) {
        error = "文档清单" + path + "的代数无效：" + root.attribute("generation").value();
        return false;
    }
    for (pugi::xml_node d : root.children("Domain")) m.files.emplace_back(d.attribute("file").value());
    return true;
}

// The copy of a file kept until the next save: "<name>.unsaved-g<generation>".
constexpr std::string_view kUnsavedMark = ".unsaved-g";

// The name and generation of such a copy; false for any other name.
bool UnsavedCopy(std::string_view file, std::string& name, long long& generation) {
    const size_t at = file.rfind(kUnsavedMark);
    if (at == std::string_view::npos || at == 0) return false;
    generation = ParseGeneration(file.substr(at + kUnsavedMark.size()));
    name.assign(file.substr(0, at));
    return generation >= 0;
}

// Settles the kept copies of the folder: a copy made on `current` (work
// after that save that was never saved) is put back, an empty one meaning
// that there was no file; any other copy goes. The temporary files that
// killed replacements or copies left go as well, whatever they were of.
void SettleKeptFiles(const Folder& dir, long long current) {
    const std::vector<std::string> names = kiln::file::NamesIn(dir.fd);
    for (const std::string& n : names)
        if (IsPart(n)) unlinkat(dir.fd, n.c_str(), 0);
    for (const std::string& n : names) {
        std::string name;
        long long generation = 0;
        if (!UnsavedCopy(n, name, generation)) continue;
        struct stat st {};
        if (generation != current)
            unlinkat(dir.fd, n.c_str(), 0);
        else if (fstatat(dir.fd, n.c_str(), &st, 0) == 0 && st.st_size == 0)
            unlinkat(dir.fd, name.c_str(), 0), unlinkat(dir.fd, n.c_str(), 0);
        else
            renameat(dir.fd, n.c_str(), dir.fd, name.c_str());
    }
}

// A character that XML 1.0 does not allow, or a byte that is no UTF-8, in a
// text bound for the manifest.
bool WritableText(const std::string& text) { return kiln::xml::FirstBadXmlChar(text) == std::string::npos; }

// The live resources of domain `d` (in creation order), looked for between
// its first and last index.
void AddMembersInRange(const Store& s, size_t d, std::vector<Idx>& out) {
    if (s.domains[d].firstRsc == kNone) return;
    for (Idx i = s.domains[d].firstRsc; i <= s.domains[d].lastRsc && i < s.rsc.size(); ++i)
        if (s.rsc[i].alive && s.rsc[i].domain == d) out.push_back(i);
}

// The live resources of the domains a save writes (in creation order), by
// domain: those not kept as they are in the folder.
std::vector<std::vector<Idx>> MembersOfDomainsToWrite(const Store& s, bool sameFolder,
                                                      const std::set<std::string>& oldFiles) {
    std::vector<bool> write(s.domains.size());
    for (size_t d = 0; d < s.domains.size(); ++d) {
        const Domain& dom = s.domains[d];
        write[d] = dom.alive && !dom.env &&
                   (!sameFolder || dom.modified || dom.file.empty() || !oldFiles.count(dom.file));
    }
    // Each domain's resources lie between its first and last index: when
    // those ranges are short, only they are looked at.
    size_t span = 0;
    for (size_t d = 0; d < s.domains.size(); ++d)
        if (write[d] && s.domains[d].firstRsc != kNone) span += s.domains[d].lastRsc - s.domains[d].firstRsc + 1;
    std::vector<std::vector<Idx>> out(s.domains.size());
    if (span < s.rsc.size()) {
        for (size_t d = 0; d < s.domains.size(); ++d)
            if (write[d]) AddMembersInRange(s, d, out[d]);
        return out;
    }
    for (size_t i = 0; i < s.rsc.size(); ++i)
        if (s.rsc[i].alive && write[s.rsc[i].domain]) out[s.rsc[i].domain].push_back(static_cast<Idx>(i));
    return out;
}

// The file of a save of generation `gen` that holds the `k`th domain it
// writes (from 1).
std::string DomainFileName(int k, long long gen) {
    return "domain-" + std::to_string(k) + "-g" + std::to_string(gen) + ".xml";
}

// Data blocks may hold any bytes (a file's contents): those that are no
// XML text, or hold carriage returns a reader would turn into line feeds,
// are kept in base64.
bool NeedsBase64(const std::string& data) { return !WritableText(data) || data.find('\r') != std::string::npos; }

constexpr char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string ToBase64(const std::string& in) {
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    for (size_t i = 0; i < in.size(); i += 3) {
        uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(in[i])) << 16;
        if (i + 1 < in.size()) v |= static_cast<uint32_t>(static_cast<unsigned char>(in[i + 1])) << 8;
        if (i + 2 < in.size()) v |= static_cast<unsigned char>(in[i + 2]);
        out += kB64[(v >> 18) & 63];
        out += kB64[(v >> 12) & 63];
        out += i + 1 < in.size() ? kB64[(v >> 6) & 63] : '=';
        out += i + 2 < in.size() ? kB64[v & 63] : '=';
    }
    return out;
}

bool FromBase64(std::string_view in, std::string& out) {
    out.clear();
    uint32_t v = 0;
    int bits = 0;
    for (char c : in) {
        if (c == '=' || c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
        const char* p = std::strchr(kB64, c);
        if (!p || !c) return false;
        v = (v << 6) | static_cast<uint32_t>(p - kB64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((v >> bits) & 0xFF);
        }
    }
    return true;
}

// The manifest of the document whose domain d lies in files[d], of the
// given generation; false with the reason when a text cannot be written.
bool ManifestText(const Store& s, const std::vector<std::string>& files, long long generation, std::string& out,
                  std::string& error) {
    pugi::xml_document man;
    pugi::xml_node decl = man.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = man.append_child("KilnDocument");
    root.append_attribute("format") = kFormat;
    root.append_attribute("generation") = generation;
    root.append_attribute("domainPrefix") = s.prefix.c_str();
    for (size_t d = 0; d < s.domains.size(); ++d) {
        const Domain& dom = s.domains[d];
        if (!dom.alive || dom.env) continue;
        for (const std::string* text : {&dom.name, &dom.typeName, &dom.title})
            if (!WritableText(*text)) {
                error = "域" + dom.name + "的名称、类型或标题含有XML不允许的字符";
                return false;
            }
        pugi::xml_node n = root.append_child("Domain");
        n.append_attribute("name") = dom.name.c_str();
        n.append_attribute("type") = dom.typeName.c_str();
        n.append_attribute("title") = dom.title.c_str();
        n.append_attribute("editable") = dom.editable;
        if (dom.temporary) n.append_attribute("temporary") = true;
        n.append_attribute("file") = files[d].c_str();
        for (const auto& b : dom.blocks) {
            if (!WritableText(b.first)) {
                error = "域" + dom.name + "的数据块名含有XML不允许的字符";
                return false;
            }
            pugi::xml_node bn = n.append_child("DataBlock");
            bn.append_attribute("key") = b.first.c_str();
            if (NeedsBase64(b.second)) {
                bn.append_attribute("encoding") = "base64";
                bn.text() = ToBase64(b.second).c_str();
            } else {
                bn.text() = b.second.c_str();
            }
        }
    }
    std::ostringstream text;
    man.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    out = text.str();
    return true;
}

// "true" or "false", as the manifest writes a flag.
bool ReadFlag(std::string_view text, bool& value) {
    if (text != "true" && text != "false") return false;
    value = text == "true";
    return true;
}

// A domain type of the document environment, or none ("").
bool KnownDomainType(const std::string& type) {
    if (type.empty()) return true;
    for (const EnvDomainType& t : kEnvDomainTypes)
        if (type == t.name) return true;
    return false;
}

// True when the manifest (read from `bytes`) holds only the elements,
// attributes and text this program writes; otherwise `what` names the first
// other one. Text where none is written is a damaged element (a "<" become
// another character), whose domain would otherwise be lost without a word.
bool KnownManifestContent(const pugi::xml_node& root, const std::string& bytes, std::string& what) {
    struct Kind {
        const char* element;
        std::initializer_list<const char*> attributes;
        const char* child;  // the only element it may hold (null: none)
        bool text;          // whether it may hold text
    };
    static const Kind kinds[] = {
        {"KilnDocument", {"format", "generation", "domainPrefix"}, "Domain", false},
        {"Domain", {"name", "type", "title", "editable", "temporary", "file"}, "DataBlock", false},
        {"DataBlock", {"key", "encoding"}, nullptr, true},
    };
    std::function<bool(const pugi::xml_node&, const Kind&)> check = [&](const pugi::xml_node& n, const Kind& k) {
        for (pugi::xml_attribute a : n.attributes())
            if (std::none_of(k.attributes.begin(), k.attributes.end(),
                             [&](const char* name) { return std::string_view(a.name()) == name; })) {
                what = std::string(k.element) + "的属性" + a.name() + "未知";
                return false;
            }
        for (pugi::xml_node c : n.children()) {
            if (!k.text && (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)) {
                // Named where it begins, after the blanks before it.
                const size_t at = bytes.find_first_not_of(" \t\r\n", static_cast<size_t>(c.offset_debug()));
                what = kiln::xml::PositionText(bytes, at) + "：" + k.element + "中的文本未知";
                return false;
            }
            if (c.type() != pugi::node_element) continue;
            if (!k.child || std::string_view(c.name()) != k.child) {
                what = std::string(k.element) + "中的元素" + c.name() + "未知";
                return false;
            }
            const Kind& sub = *std::find_if(std::begin(kinds), std::end(kinds),
                                            [&](const Kind& x) { return std::string_view(x.element) == k.child; });
            if (!check(c, sub)) return false;
        }
        return true;
    };
    return check(root, kinds[0]);
}

}  // namespace

const CString& CBase_CimDoc::DocPath() const { return m_docPath; }

bool CBase_CimDoc::IsDocumentFileName(std::string_view name) {
    std::string kept;
    long long generation = 0;
    return FileGeneration(name) >= 0 || IsPart(name) || UnsavedCopy(name, kept, generation);
}

void CBase_CimDoc::SetDocPath(const CString& folder) {
    m_docPath = StripSlash(folder.str());
    HoldFolder(m_docPath.IsEmpty() ? -1 : open(m_docPath.GetString(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

void CBase_CimDoc::HoldFolder(int fd) {
    if (m_docFd >= 0) close(m_docFd);
    m_docFd = fd;
}

bool CBase_CimDoc::Save() {
    if (m_docPath.IsEmpty()) return Fail("文档还没有保存位置");
    return Save(CString(m_docPath));
}

bool CBase_CimDoc::Save(const CString& folderText, int folderFd) {
    Store& s = *m_p;
    if (!Usable(nullptr)) return false;
    // A file that follows the saves could not be kept: a save now would leave
    // it behind the document.
    if (!m_unkeptFiles.empty()) return Fail(CString(m_unkeptFiles.begin()->second));
    m_savedUnsynced = false;
    std::string folder = StripSlash(folderText.str());
    // The document's own folder, as it was opened; any other is opened now
    // (made first when it is missing) and becomes the document's.
    const bool ownFolder = folderFd < 0 && m_docFd >= 0 && folder == m_docPath.str();
    if (!ownFolder && folderFd < 0 && !MakeDirs(folder))
        return Fail("不能创建文件夹：" + CString(folder) + "：" + std::strerror(errno));
    const Folder dir{ownFolder        ? m_docFd
                     : folderFd >= 0 ? fcntl(folderFd, F_DUPFD_CLOEXEC, 0)
                                     : open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC),
                     folder};
    kiln::file::FdHold closing(ownFolder ? -1 : dir.fd);
    if (dir.fd < 0) return Fail("不能打开文件夹：" + CString(folder) + "：" + std::strerror(errno));
    OldManifest old;
    std::string error;
    // Its name must still lead to it: the save goes into neither folder.
    if (ownFolder && !StillNamed(dir.fd, folder, error)) return Fail(CString(error));
    if (!ReadOldManifest(dir, old, error)) return Fail(CString(error));
    // The files of this document that the folder holds now: those of the last
    // open or save, when that was this folder and its manifest still names them.
    const bool sameFolder = folder == m_docPath.str() && old.exists;
    std::set<std::string> oldFiles(old.files.begin(), old.files.end());

    // A new generation above every one the folder mentions, so that no new
    // file takes the name of a file that is there, even one a killed save left.
    const std::vector<std::string> names = kiln::file::NamesIn(dir.fd);
    long long top = old.generation;
    for (const std::string& n : names) top = std::max(top, FileGeneration(n));
    if (top >= kMaxGeneration) return Fail("文档" + CString(folder) + "的代数已到上限");
    const long long gen = top + 1;
    const FaultHook fault = [this](const char* op) { return Fault(op); };

    std::vector<std::vector<Idx>> members;
    std::vector<std::string> written;
    std::vector<std::string> files(s.domains.size());
    auto abandon = [&](const std::string& why) {
        for (const std::string& f : written) unlinkat(dir.fd, f.c_str(), 0);
        return Fail(CString(why));
    };
    if (!WritableText(s.prefix)) return Fail("域名前缀含有XML不允许的字符");

    int k = 0;
    for (size_t d = 0; d < s.domains.size(); ++d) {
        const Domain& dom = s.domains[d];
        if (!dom.alive || dom.env) continue;
        ++k;
        std::string file = dom.file;
        if (!sameFolder || dom.modified || file.empty() || !oldFiles.count(file)) {
            if (members.empty()) members = MembersOfDomainsToWrite(s, sameFolder, oldFiles);
            file = DomainFileName(k, gen);
            if (Fault("save")) return abandon(m_error.str());
            // The new file takes the place of the domain's previous file.
            std::string like = sameFolder && !dom.file.empty() && oldFiles.count(dom.file) ? dom.file : std::string();
            bool ok = WriteNewFile(
                dir, file, like,
                [&](XmlSink& sink, std::string& why) { return WriteDomain(s, static_cast<int>(d), members[d], sink, why); },
                error, fault);
            if (!ok) return abandon(error);
            written.push_back(file);
        }
        files[d] = file;
    }

    std::string text;
    if (!ManifestText(s, files, old.generation, text, error)) return abandon(error);
    // Nothing changed: the folder stays as it is, byte for byte, also when
    // its manifest was read in another form than this program writes.
    const bool unchanged = written.empty() && old.exists &&
                           (text == old.bytes || (sameFolder && old.bytes == m_manifestRead && text == m_manifestAsRead));
    std::string unsynced;
    if (!unchanged) {
        if (!ManifestText(s, files, gen, text, error)) return abandon(error);
        if (Fault("save")) return abandon(m_error.str());
        // The new manifest is written whole beside the old one, then takes
        // its name in one rename.
        const std::string part = TemporaryName(kManifest);
        if (!WriteNewFile(dir, part, old.exists ? kManifest : "",
                          [&](XmlSink& sink, std::string&) { return sink.Put(text.data(), text.size()); }, error,
                          fault))
            return abandon(error);
        if (renameat(dir.fd, part.c_str(), dir.fd, kManifest) != 0) {
            const int err = errno;
            unlinkat(dir.fd, part.c_str(), 0);
            return abandon("不能替换清单文件：" + std::string(std::strerror(err)));
        }
        // From here the new manifest is the document: nothing it names is
        // removed. When the rename may not last, the previous generation's
        // files stay too, so that either manifest a crash leaves finds its
        // files.
        if (!SyncDir(dir, error, fault))
            unsynced = "新的文档清单" + dir.In(kManifest) + "已替换旧的，但" + error + "：文件夹中是这次保存的文档，" +
                       "它和上次保存的文档所用的文件都保留着；请检查磁盘，再执行sync命令使它写到磁盘上";
    }

    // The new manifest is in place: files it does not name go, those of the
    // previous generation and the parts a killed save left behind.
    std::set<std::string> keep(files.begin(), files.end());
    if (unsynced.empty()) {
        for (const std::string& f : old.files)
            if (!f.empty() && f.find('/') == std::string::npos && !keep.count(f)) unlinkat(dir.fd, f.c_str(), 0);
        for (const std::string& n : names)
            if (FileGeneration(n) >= 0 && !keep.count(n)) unlinkat(dir.fd, n.c_str(), 0);
    }

    // Files kept until this save now follow it: their copies go.
    SettleKeptFiles(dir, -1);
    m_keptFiles.clear();
    m_generation = unchanged ? old.generation : gen;
    if (!unchanged) m_manifestRead = m_manifestAsRead = text;

    m_docPath = folder;
    if (!ownFolder) HoldFolder(closing.Take());
    for (size_t d = 0; d < s.domains.size(); ++d) {
        s.domains[d].modified = false;
        s.domains[d].file = files[d];
    }
    if (unsynced.empty()) return true;
    m_savedUnsynced = true;
    return Fail(CString(unsynced));
}

bool CBase_CimDoc::SaveInMemory(std::map<std::string, std::string>& files) const {
    const Store& s = *m_p;
    files.clear();
    if (!Usable(nullptr)) return false;
    // Into an empty folder: every domain is written, in generation 1.
    const std::vector<std::vector<Idx>> members = MembersOfDomainsToWrite(s, false, {});
    std::vector<std::string> names(s.domains.size());
    std::string error;
    int k = 0;
    for (size_t d = 0; d < s.domains.size(); ++d) {
        if (!s.domains[d].alive || s.domains[d].env) continue;
        names[d] = DomainFileName(++k, 1);
        StringSink sink;
        if (!WriteDomain(s, static_cast<int>(d), members[d], sink, error)) return Fail(CString(error));
        files[names[d]] = std::move(sink.text);
    }
    if (!ManifestText(s, names, 1, files[kManifest], error)) return Fail(CString(error));
    return true;
}

bool CBase_CimDoc::KeepFileUntilSave(const CString& name) {
    if (m_docPath.IsEmpty()) return true;
    const Folder dir{m_docFd, m_docPath.str()};
    const std::string file = dir.In(name.str());
    std::string bytes, reason, error;
    // A folder its name no longer leads to takes no save: nor the work of a
    // file that follows the saves.
    if (dir.fd < 0) {
        error = "文档文件夹" + dir.path + "没有打开";
    } else if (!StillNamed(dir.fd, dir.path, error)) {
        return Fail(CString(error));
    }
    if (m_keptFiles.count(name.str())) return true;
    // Anything in the file's place counts: what is no regular file (a link
    // to nothing included) is refused by the read, naming what it is.
    struct stat st {};
    const bool exists = error.empty() && fstatat(dir.fd, name.GetString(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && !kiln::file::ReadFile(dir.fd, name.str(), bytes, reason)) error = "不能读取文件" + file + "：" + reason;
    // The copy is written whole under a temporary name, with the file's
    // permissions, then takes its own name: a kill leaves no half copy (the
    // next open removes the temporary). Fault "keep": its write fails.
    const std::string copy = name.str() + std::string(kUnsavedMark) + std::to_string(m_generation);
    const std::string part = TemporaryName(copy);
    const FaultHook fault = [this](const char* op) { return Fault(op); };
    auto fill = [&](XmlSink& sink, std::string&) {
        if (!Fault("keep")) return sink.Put(bytes.data(), bytes.size());
        errno = ENOSPC;
        return false;
    };
    if (error.empty() && WriteNewFile(dir, part, exists ? name.str() : std::string(), fill, error, fault)) {
        if (renameat(dir.fd, part.c_str(), dir.fd, copy.c_str()) != 0) {
            error = "不能重命名文件" + dir.In(part) + "：" + std::strerror(errno);
            unlinkat(dir.fd, part.c_str(), 0);
        } else if (!SyncDir(dir, error, fault)) {
            unlinkat(dir.fd, copy.c_str(), 0);
        }
    }
    if (!error.empty()) {
        // The file must not take new work now: the saves stop until it is
        // kept, so that it never falls behind the document.
        m_unkeptFiles[name.str()] = "不能保存文件" + file + "的副本：" + error;
        return Fail(CString(m_unkeptFiles[name.str()]));
    }
    m_unkeptFiles.erase(name.str());
    m_keptFiles.insert(name.str());
    return true;
}

void CBase_CimDoc::RestoreUnsavedFiles() {
    if (m_docFd >= 0) SettleKeptFiles(Folder{m_docFd, m_docPath.str()}, m_generation);
    m_keptFiles.clear();
    m_unkeptFiles.clear();
}

bool CBase_CimDoc::Open(const CString& folderText, int folderFd) {
    const CCimSchema* schema = CCimSchema::Shared();
    if (!schema) return Fail("文档模式未加载：" + CString(CCimSchema::LoadError()));
    if (Fault("open")) return false;
    std::string folder = StripSlash(folderText.str());
    std::string manPath = kiln::path::Join(folder, kManifest).str();
    std::string bytes, reason, error;
    const Folder dir{folderFd >= 0 ? fcntl(folderFd, F_DUPFD_CLOEXEC, 0)
                                   : open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC),
                     folder};
    kiln::file::FdHold closing(dir.fd);
    if (dir.fd < 0) return Fail("不能读取文档清单" + CString(manPath) + "：" + std::strerror(errno));
    if (!kiln::file::ReadFile(dir.fd, kManifest, bytes, reason))
        return Fail("不能读取文档清单" + CString(manPath) + "：" + reason);
    // Checked as a domain file is: UTF-8 text with no character XML forbids.
    kiln::xml::XmlTextError bad;
    if (!kiln::xml::CheckXmlText(bytes, bad))
        return Fail("不能读取文档清单" + CString(manPath) + "：" + kiln::xml::PositionText(bytes, bad.offset) + "：" +
                    bad.reason);
    pugi::xml_document man;
    pugi::xml_parse_result pr = man.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!pr) {
        kiln::xml::TextPosition at = kiln::xml::PositionOf(bytes, static_cast<size_t>(pr.offset));
        return Fail("不能读取文档清单" + CString(manPath) + "：第" + std::to_string(at.line) + "行第" +
                    std::to_string(at.column) + "列：" + pr.description());
    }
    pugi::xml_node root = ManifestRoot(man, bytes);
    if (!root) return Fail("文档清单" + CString(manPath) + "格式错误：缺少KilnDocument");
    std::string unknown;
    if (!KnownManifestContent(root, bytes, unknown))
        return Fail("文档清单" + CString(manPath) + "格式错误：" + CString(unknown));
    pugi::xml_attribute format = root.attribute("format");
    if (format && std::string_view(format.value()) != std::to_string(kFormat))
        return Fail("文档清单" + CString(manPath) + "的格式版本" + format.value() + "未知（本程序读写版本" +
                    std::to_string(kFormat) + "）");
    const long long generation = ParseGeneration(root.attribute("generation").value());
    if (generation < 0)
        return Fail("文档清单" + CString(manPath) + "的代数无效：" + root.attribute("generation").value());

    auto fresh = std::make_unique<Store>(schema);
    Store& s = *fresh;
    s.prefix = root.attribute("domainPrefix").value();
    s.drawerFolder = m_p->drawerFolder;
    std::vector<std::pair<int, std::string>> files;
    const CString inManifest = "文档清单" + CString(manPath) + "中";
    for (pugi::xml_node n : root.children("Domain")) {
        CString name = n.attribute("name").value();
        std::string file = n.attribute("file").value();
        if (!IsValidDomainName(name) || s.DomainId(name.str()) >= 0) return Fail(inManifest + "的域名无效或重复：" + name);
        if (file.empty() || file.find('/') != std::string::npos) return Fail(inManifest + "域" + name + "的文件名无效");
        const std::string type = n.attribute("type").value();
        if (!KnownDomainType(type)) return Fail(inManifest + "域" + name + "的类型未知：" + CString(type));
        bool editable = true, temporary = false;
        for (auto [attr, value] : {std::pair{"editable", &editable}, std::pair{"temporary", &temporary}})
            if (pugi::xml_attribute a = n.attribute(attr); a && !ReadFlag(a.value(), *value))
                return Fail(inManifest + "域" + name + "的" + attr + "值无效：" + a.value());
        int d = s.AddDomain(name.str(), type, n.attribute("title").value(), editable);
        Domain& dom = s.domains[static_cast<size_t>(d)];
        dom.temporary = temporary;
        dom.file = file;
        for (pugi::xml_node b : n.children("DataBlock")) {
            std::string data = b.text().get();
            const std::string_view encoding = b.attribute("encoding").value();
            if (b.attribute("encoding") && (encoding != "base64" || !FromBase64(b.text().get(), data)))
                return Fail(inManifest + "域" + name + "的数据块" + b.attribute("key").value() + "不是有效的base64文本");
            dom.blocks.emplace_back(b.attribute("key").value(), std::move(data));
        }
        files.emplace_back(d, file);
    }
    std::vector<PendingLink> pending;
    std::string text;
    for (const auto& [d, file] : files) {
        std::string path = dir.In(file);
        if (!kiln::file::ReadFile(dir.fd, file, text, reason)) return Fail("不能读取域文件" + CString(path) + "：" + reason);
        if (!ToUtf8Text(text, error)) return Fail(CString(path) + "：" + CString(error));
        if (!ReadDomain(s, d, text, path, &pending, error, nullptr, false)) return Fail(CString(error));
    }
    size_t failed = 0;
    if (!ResolvePending(s, pending, error, &failed)) {
        // Named by the file that holds the link and, when the manifest has
        // no domain of that name, by the manifest.
        const PendingLink& p = pending[failed];
        const std::string source = kiln::path::Join(folder, s.domains[s.R(p.src).domain].file).str();
        const size_t hash = p.target.find('#');
        const std::string domain = p.target.substr(0, hash == std::string::npos ? p.target.size() : hash + 1);
        if (s.DomainId(domain) < 0) error += "（" + inManifest.str() + "没有域" + domain + "）";
        return Fail(CString(source) + "：" + CString(error));
    }
    for (Domain& d : s.domains) d.modified = false;
    std::vector<std::string> inFiles(s.domains.size());
    for (size_t d = 0; d < s.domains.size(); ++d) inFiles[d] = s.domains[d].file;
    if (!ManifestText(s, inFiles, generation, m_manifestAsRead, error)) m_manifestAsRead.clear();
    m_manifestRead = std::move(bytes);
    m_docPath = folder;
    HoldFolder(closing.Take());
    m_p = std::move(fresh);
    // Files a run kept and then lost (killed before its save) are put back.
    m_generation = generation;
    m_keptFiles.clear();
    m_unkeptFiles.clear();
    SettleKeptFiles(dir, generation);
    return true;
}

// ---- single domains ------------------------------------------------------------

namespace {

// Reads CIM-XML text into a domain, creating it (editable, no type) when it
// does not exist; a failure removes whatever this call added.
bool ReadInto(Store& s, const std::string& domain, std::string& text, const std::string& source,
              std::string& error) {
    int d = s.DomainId(domain);
    bool made = false;
    if (d < 0) {
        d = s.AddDomain(domain, "", "", true);
        made = true;
    } else if (s.domains[static_cast<size_t>(d)].env) {
        error = "不能向文档环境读入数据";
        return false;
    }
    if (ToUtf8Text(text, error) && ReadDomain(s, d, text, source, nullptr, error)) return true;
    if (made) {
        s.domainIds.erase(domain);
        s.domains[static_cast<size_t>(d)].alive = false;
    }
    return false;
}

}  // namespace

bool CBase_CimDoc::CimDomainToStr(const CString& domain, CString& text) const {
    const Store& s = *m_p;
    int d = s.LiveDomain(domain.str());
    if (d < 0) return Fail("域不存在：" + domain);
    std::vector<Idx> members;
    AddMembersInRange(s, static_cast<size_t>(d), members);
    StringSink sink;
    std::string error;
    if (!WriteDomain(s, d, members, sink, error)) return Fail(CString(error));
    text = std::move(sink.text);
    return true;
}

bool CBase_CimDoc::CimDomainToFile(const CString& domain, const CString& file) const {
    CString text;
    if (!CimDomainToStr(domain, text)) return false;
    int err = 0;
    if (!kiln::file::ReplaceFile(file.str(), text.str(), true, &err))
        return Fail("不能写入文件" + file + "：" + std::strerror(err));
    return true;
}

bool CBase_CimDoc::StrToCimDomain(const CString& text, const CString& domain) {
    if (!Usable("import")) return false;
    if (!IsValidDomainName(domain)) return Fail("域名无效：" + domain);
    std::string t = text.str(), error;
    return ReadInto(*m_p, domain.str(), t, "文本", error) || Fail(CString(error));
}

bool CBase_CimDoc::FileToCimDomain(const CString& file, const CString& domain) {
    return Import_DomainData(domain, file);
}

bool CBase_CimDoc::Import_DomainData(const CString& domain, const CString& file) {
    if (!Usable("import")) return false;
    if (!IsValidDomainName(domain)) return Fail("域名无效：" + domain);
    std::string text, error, reason;
    if (!kiln::file::ReadFile(file.str(), text, reason)) return Fail("不能读取文件" + file + "：" + reason);
    return ReadInto(*m_p, domain.str(), text, file.str(), error) || Fail(CString(error));
}

bool CBase_CimDoc::ImportDomainFile(const CString& file, const URI_Ref& domainType, const CString& requiredClass,
                                    const CString& domain, CString* newDomain) {
    Store& s = *m_p;
    if (!Usable("import")) return false;
    std::string typeName;
    if (!s.DomainTypeName(domainType, typeName)) return Fail("域类型不存在");
    std::string cls = requiredClass.str();
    bool mustHold = true;
    if (!cls.empty() && cls[0] == '*') {
        cls.erase(0, 1);
        mustHold = false;
    }
    int want = cls.empty() ? -1 : s.schema->ClassId(cls);
    if (!cls.empty() && want < 0) return Fail("未知的类：" + CString(cls));

    std::string text, error, reason;
    if (!kiln::file::ReadFile(file.str(), text, reason)) return Fail("不能读取文件" + file + "：" + reason);
    // The file's name without folder and extension; a "#" would break the domain name.
    CString stemText = create_path(file, "**name**", "");
    stemText.Remove('#');
    std::string stem = stemText.str();
    std::string name = domain.str();
    if (name.empty()) name = NamedDomain(CString(s.prefix.empty() ? stem : s.prefix + "." + stem)).str();
    if (!IsValidDomainName(CString(name))) return Fail("域名无效：" + CString(name));
    if (s.DomainId(name) >= 0) return Fail("域已存在：" + CString(name));
    if (!ToUtf8Text(text, error)) return Fail(file + "：" + CString(error));

    const std::vector<bool> modified = ModifiedFlags(s);
    int d = s.AddDomain(name, typeName, stem, true);
    std::vector<Idx> created;
    auto drop = [&]() {
        for (size_t k = created.size(); k-- > 0;) s.Kill(created[k]);
        RestoreModifiedFlags(s, modified);
        s.domainIds.erase(name);
        s.domains[static_cast<size_t>(d)].alive = false;
    };
    if (!ReadDomain(s, d, text, file.str(), nullptr, error, &created)) {
        drop();
        return Fail(CString(error));
    }
    if (want >= 0 && mustHold) {
        bool found = false;
        for (Idx i : created) found = found || s.schema->IsA(s.R(i).cls, want);
        if (!found) {
            drop();
            return Fail(file + "：文件中没有" + CString(cls) + "对象");
        }
    }
    if (newDomain) *newDomain = name;
    return true;
}

bool CBase_CimDoc::OpenDrawerOfKey(const URI_Ref& key, CString& domain) {
    Store& s = *m_p;
    if (!Usable(nullptr)) return false;
    if (s.drawerFolder.empty()) return Fail("没有设置抽屉文件的位置");
    Idx k = s.Find(key);
    if (k == kNone) return Fail("对象不存在：" + CString(key.sUri));
    const std::string* n = s.Attr(k, s.schema->RoleId("cim:Naming.name"));
    std::string name = n && !n->empty() ? *n : s.R(k).uri.substr(s.R(k).uri.find('#') + 1);
    if (domain.IsEmpty()) domain = name + ".drawer#";
    if (!IsValidDomainName(domain)) return Fail("域名无效：" + domain);
    int existing = s.DomainId(domain.str());
    if (existing >= 0) return true;
    std::string path = kiln::path::Join(s.drawerFolder, name + ".xml").str(), text, error, reason;
    if (!kiln::file::ReadFile(path, text, reason)) return Fail("不能读取抽屉文件" + CString(path) + "：" + reason);
    if (!ReadInto(s, domain.str(), text, path, error)) return Fail(CString(error));
    s.domains[static_cast<size_t>(s.DomainId(domain.str()))].temporary = true;
    return true;
}
