// The document as a folder: manifest "document.xml" and one CIM-XML file per
// domain. A save writes the files of the changed domains under new names (a
// new generation), then replaces the manifest with one rename: until that
// rename the old manifest and the old files are the document, whole. A save
// that changes nothing writes nothing. One process at a time may save into a
// folder (the host locks its workspace for a whole run).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
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

constexpr const char* kManifest = "document.xml";

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

// Writes a new file through `fill`, synced to disk before it counts as
// written, with the permissions of `like` when that file exists; false with
// the reason in `error` (`fill` may give its own). The name must be free: a file is never overwritten.
template <typename Fill>
bool WriteNewFile(const std::string& path, const std::string& like, Fill fill, std::string& error) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "不能写入文件" + path + "：" + std::strerror(errno);
        return false;
    }
    if (!like.empty()) kiln::file::CopyMode(fd, like);
    FdSink sink(fd);
    std::string fillError;
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
        unlink(path.c_str());
        error = "写入文件" + path + "失败：" + (fillError.empty() ? std::strerror(err ? err : EIO) : fillError);
    }
    return ok;
}

void SyncDir(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
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

// A temporary file that a replacement of the manifest leaves when it is
// killed ("document.xml.tmp<pid>_<n>").
bool IsManifestPart(std::string_view name) {
    std::string prefix = std::string(kManifest) + ".tmp";
    return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix;
}

// What an existing manifest says: its generation and the files it uses.
struct OldManifest {
    bool exists = false;
    std::string bytes;
    long long generation = 0;
    std::vector<std::string> files;
};

// Reads the manifest of `folder`; false with the reason when it is there but
// cannot be read or is of an unknown format or generation.
bool ReadOldManifest(const std::string& folder, OldManifest& m, std::string& error) {
    std::string path = kiln::path::Join(folder, kManifest).str();
    std::string reason;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && errno == ENOENT) return true;
    if (!kiln::file::ReadFile(path, m.bytes, reason)) {
        error = "不能读取文档清单" + path + "：" + reason;
        return false;
    }
    m.exists = true;
    pugi::xml_document doc;
    pugi::xml_node root;
    if (doc.load_buffer(m.bytes.data(), m.bytes.size())) root = doc.child("KilnDocument");
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

// The names in a folder.
std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) names.emplace_back(e->d_name);
        closedir(dir);
    }
    return names;
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
// that there was no file; any other copy goes. The parts a killed
// replacement of the file left ("<name>.tmp...") go as well.
void SettleKeptFiles(const std::string& folder, long long current) {
    const std::vector<std::string> names = FolderNames(folder);
    for (const std::string& n : names) {
        std::string name;
        long long generation = 0;
        if (!UnsavedCopy(n, name, generation)) continue;
        const std::string copy = kiln::path::Join(folder, n).str(), file = kiln::path::Join(folder, name).str();
        struct stat st {};
        if (generation != current)
            unlink(copy.c_str());
        else if (stat(copy.c_str(), &st) == 0 && st.st_size == 0)
            unlink(file.c_str()), unlink(copy.c_str());
        else
            rename(copy.c_str(), file.c_str());
        const std::string part = name + ".tmp";
        for (const std::string& other : names)
            if (other.size() > part.size() && other.compare(0, part.size(), part) == 0)
                unlink(kiln::path::Join(folder, other).GetString());
    }
}

// A character that XML 1.0 does not allow, or a byte that is no UTF-8, in a
// text bound for the manifest.
bool WritableText(const std::string& text) { return kiln::xml::FirstBadXmlChar(text) == std::string::npos; }

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
        for (size_t d = 0; d < s.domains.size(); ++d) {
            if (!write[d] || s.domains[d].firstRsc == kNone) continue;
            for (Idx i = s.domains[d].firstRsc; i <= s.domains[d].lastRsc && i < s.rsc.size(); ++i)
                if (s.rsc[i].alive && s.rsc[i].domain == d) out[d].push_back(i);
        }
        return out;
    }
    for (size_t i = 0; i < s.rsc.size(); ++i)
        if (s.rsc[i].alive && write[s.rsc[i].domain]) out[s.rsc[i].domain].push_back(static_cast<Idx>(i));
    return out;
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

}  // namespace

const CString& CBase_CimDoc::DocPath() const { return m_docPath; }

void CBase_CimDoc::SetDocPath(const CString& folder) { m_docPath = StripSlash(folder.str()); }

bool CBase_CimDoc::Save() {
    if (m_docPath.IsEmpty()) return Fail("文档还没有保存位置");
    return Save(CString(m_docPath));
}

bool CBase_CimDoc::Save(const CString& folderText) {
    Store& s = *m_p;
    if (!Usable(nullptr)) return false;
    std::string folder = StripSlash(folderText.str());
    if (!MakeDirs(folder)) return Fail("不能创建文件夹：" + CString(folder) + "：" + std::strerror(errno));
    OldManifest old;
    std::string error;
    if (!ReadOldManifest(folder, old, error)) return Fail(CString(error));
    // The files of this document that the folder holds now: those of the last
    // open or save, when that was this folder and its manifest still names them.
    const bool sameFolder = folder == m_docPath.str() && old.exists;
    std::set<std::string> oldFiles(old.files.begin(), old.files.end());

    // A new generation above every one the folder mentions, so that no new
    // file takes the name of a file that is there, even one a killed save left.
    const std::vector<std::string> names = FolderNames(folder);
    long long top = old.generation;
    for (const std::string& n : names) top = std::max(top, FileGeneration(n));
    if (top >= kMaxGeneration) return Fail("文档" + CString(folder) + "的代数已到上限");
    const long long gen = top + 1;

    std::vector<std::vector<Idx>> members;
    std::vector<std::string> written;
    std::vector<std::string> files(s.domains.size());
    auto abandon = [&](const std::string& why) {
        for (const std::string& f : written) unlink(kiln::path::Join(folder, f).GetString());
        return Fail(CString(why));
    };

    pugi::xml_document man;
    pugi::xml_node decl = man.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = man.append_child("KilnDocument");
    root.append_attribute("format") = kFormat;
    pugi::xml_attribute genAttr = root.append_attribute("generation");
    genAttr = old.generation;
    root.append_attribute("domainPrefix") = s.prefix.c_str();
    if (!WritableText(s.prefix)) return Fail("域名前缀含有XML不允许的字符");

    int k = 0;
    for (size_t d = 0; d < s.domains.size(); ++d) {
        const Domain& dom = s.domains[d];
        if (!dom.alive || dom.env) continue;
        ++k;
        std::string file = dom.file;
        if (!sameFolder || dom.modified || file.empty() || !oldFiles.count(file)) {
            if (members.empty()) members = MembersOfDomainsToWrite(s, sameFolder, oldFiles);
            file = "domain-" + std::to_string(k) + "-g" + std::to_string(gen) + ".xml";
            if (Fault("save")) return abandon(m_error.str());
            // The new file takes the place of the domain's previous file.
            std::string like = sameFolder && !dom.file.empty() && oldFiles.count(dom.file)
                                   ? kiln::path::Join(folder, dom.file).str()
                                   : std::string();
            bool ok = WriteNewFile(
                kiln::path::Join(folder, file).str(), like,
                [&](XmlSink& sink, std::string& why) { return WriteDomain(s, static_cast<int>(d), members[d], sink, why); },
                error);
            if (!ok) return abandon(error);
            written.push_back(file);
        }
        files[d] = file;
        for (const std::string* text : {&dom.name, &dom.typeName, &dom.title})
            if (!WritableText(*text)) return abandon("域" + dom.name + "的名称、类型或标题含有XML不允许的字符");
        pugi::xml_node n = root.append_child("Domain");
        n.append_attribute("name") = dom.name.c_str();
        n.append_attribute("type") = dom.typeName.c_str();
        n.append_attribute("title") = dom.title.c_str();
        n.append_attribute("editable") = dom.editable;
        if (dom.temporary) n.append_attribute("temporary") = true;
        n.append_attribute("file") = file.c_str();
        for (const auto& b : dom.blocks) {
            if (!WritableText(b.first)) return abandon("域" + dom.name + "的数据块名含有XML不允许的字符");
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
    // Nothing changed: the folder stays as it is, byte for byte.
    const bool unchanged = written.empty() && old.exists && text.str() == old.bytes;
    if (!unchanged) {
        genAttr = gen;
        text.str(std::string());
        man.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
        if (Fault("save")) return abandon(m_error.str());
        int err = 0;
        if (!kiln::file::ReplaceFile(kiln::path::Join(folder, kManifest).str(), text.str(), true, &err))
            return abandon("不能替换清单文件：" + std::string(std::strerror(err)));
        SyncDir(folder);
    }

    // The new manifest is in place: files it does not name go, those of the
    // previous generation and the parts a killed save left behind.
    std::set<std::string> keep(files.begin(), files.end());
    for (const std::string& f : old.files)
        if (!f.empty() && f.find('/') == std::string::npos && !keep.count(f))
            unlink(kiln::path::Join(folder, f).GetString());
    for (const std::string& n : names)
        if ((FileGeneration(n) >= 0 && !keep.count(n)) || IsManifestPart(n))
            unlink(kiln::path::Join(folder, n).GetString());

    // Files kept until this save now follow it: their copies go.
    SettleKeptFiles(folder, -1);
    m_keptFiles.clear();
    m_generation = unchanged ? old.generation : gen;

    m_docPath = folder;
    for (size_t d = 0; d < s.domains.size(); ++d) {
        s.domains[d].modified = false;
        s.domains[d].file = files[d];
    }
    return true;
}

bool CBase_CimDoc::KeepFileUntilSave(const CString& name) {
    if (m_docPath.IsEmpty() || m_keptFiles.count(name.str())) return true;
    const std::string file = kiln::path::Join(m_docPath.str(), name.str()).str();
    std::string bytes, reason;
    struct stat st {};
    if (stat(file.c_str(), &st) == 0 && !kiln::file::ReadFile(file, bytes, reason))
        return Fail("不能读取文件" + CString(file) + "：" + reason);
    int err = 0;
    if (!kiln::file::ReplaceFile(file + std::string(kUnsavedMark) + std::to_string(m_generation), bytes, true, &err))
        return Fail("不能保存文件" + CString(file) + "的副本：" + std::strerror(err));
    m_keptFiles.insert(name.str());
    return true;
}

void CBase_CimDoc::RestoreUnsavedFiles() {
    if (!m_docPath.IsEmpty()) SettleKeptFiles(m_docPath.str(), m_generation);
    m_keptFiles.clear();
}

bool CBase_CimDoc::Open(const CString& folderText) {
    const CCimSchema* schema = CCimSchema::Shared();
    if (!schema) return Fail("文档模式未加载：" + CString(CCimSchema::LoadError()));
    if (Fault("open")) return false;
    std::string folder = StripSlash(folderText.str());
    std::string manPath = kiln::path::Join(folder, kManifest).str();
    std::string bytes, reason, error;
    if (!kiln::file::ReadFile(manPath, bytes, reason)) return Fail("不能读取文档清单" + CString(manPath) + "：" + reason);
    pugi::xml_document man;
    pugi::xml_parse_result pr = man.load_buffer(bytes.data(), bytes.size());
    if (!pr) {
        kiln::xml::TextPosition at = kiln::xml::PositionOf(bytes, static_cast<size_t>(pr.offset));
        return Fail("不能读取文档清单" + CString(manPath) + "：第" + std::to_string(at.line) + "行第" +
                    std::to_string(at.column) + "列：" + pr.description());
    }
    pugi::xml_node root = man.child("KilnDocument");
    if (!root) return Fail("文档清单" + CString(manPath) + "格式错误：缺少KilnDocument");
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
    for (pugi::xml_node n : root.children("Domain")) {
        CString name = n.attribute("name").value();
        std::string file = n.attribute("file").value();
        if (!IsValidDomainName(name) || s.DomainId(name.str()) >= 0)
            return Fail("文档清单中的域名无效或重复：" + name);
        if (file.empty() || file.find('/') != std::string::npos) return Fail("文档清单中域" + name + "的文件名无效");
        int d = s.AddDomain(name.str(), n.attribute("type").value(), n.attribute("title").value(),
                            n.attribute("editable").as_bool(true));
        Domain& dom = s.domains[static_cast<size_t>(d)];
        dom.temporary = n.attribute("temporary").as_bool(false);
        dom.file = file;
        for (pugi::xml_node b : n.children("DataBlock")) {
            std::string data = b.text().get();
            if (std::string_view(b.attribute("encoding").value()) == "base64" && !FromBase64(b.text().get(), data))
                return Fail("文档清单中域" + name + "的数据块" + b.attribute("key").value() + "不是有效的base64文本");
            dom.blocks.emplace_back(b.attribute("key").value(), std::move(data));
        }
        files.emplace_back(d, file);
    }
    std::vector<PendingLink> pending;
    std::string text;
    for (const auto& [d, file] : files) {
        std::string path = kiln::path::Join(folder, file).str();
        if (!kiln::file::ReadFile(path, text, reason)) return Fail("不能读取域文件" + CString(path) + "：" + reason);
        if (!ToUtf8Text(text, error)) return Fail(CString(path) + "：" + CString(error));
        if (!ReadDomain(s, d, text, path, &pending, error, nullptr, false)) return Fail(CString(error));
    }
    if (!ResolvePending(s, pending, error)) return Fail(CString(error));
    for (Domain& d : s.domains) d.modified = false;
    m_docPath = folder;
    m_p = std::move(fresh);
    // Files a run kept and then lost (killed before its save) are put back.
    m_generation = generation;
    m_keptFiles.clear();
    SettleKeptFiles(folder, generation);
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
    StringSink sink;
    std::string error;
    if (!WriteDomain(s, d, MembersByDomain(s)[static_cast<size_t>(d)], sink, error)) return Fail(CString(error));
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
    if (name.empty()) name = (s.prefix.empty() ? stem : s.prefix + "." + stem) + "#";
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
