// The document as a folder: manifest "document.xml" and one CIM-XML file per
// domain. A save writes the domain files under new names (a new generation),
// then replaces the manifest with one rename: until that rename the old
// manifest and the old files are the document, whole.
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

// Writes a whole file through `fill`, synced to disk before it counts as
// written; false with the reason in `error`.
template <typename Fill>
bool WriteFile(const std::string& path, Fill fill, std::string& error) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "不能写入文件" + path + "：" + std::strerror(errno);
        return false;
    }
    FdSink sink(fd);
    bool ok = fill(sink);
    int err = ok ? 0 : errno;
    if (ok && fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) error = "写入文件" + path + "失败：" + std::strerror(err ? err : EIO);
    return ok;
}

void SyncDir(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// What an existing manifest says: its generation and the files it uses.
struct OldManifest {
    long generation = 0;
    std::vector<std::string> files;
};

OldManifest ReadOldManifest(const std::string& folder) {
    OldManifest m;
    pugi::xml_document doc;
    if (!doc.load_file(kiln::path::Join(folder, kManifest).GetString())) return m;
    pugi::xml_node root = doc.child("KilnDocument");
    m.generation = root.attribute("generation").as_llong(0);
    for (pugi::xml_node d : root.children("Domain")) m.files.emplace_back(d.attribute("file").value());
    return m;
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
    if (!MakeDirs(folder)) return Fail("不能创建文件夹：" + CString(folder));
    OldManifest old = ReadOldManifest(folder);
    long gen = old.generation + 1;
    std::string error;

    std::vector<std::vector<Idx>> members = MembersByDomain(s);
    std::vector<std::string> written;
    auto abandon = [&](const std::string& why) {
        for (const std::string& f : written) unlink(kiln::path::Join(folder, f).GetString());
        return Fail(CString(why));
    };

    pugi::xml_document man;
    pugi::xml_node decl = man.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = man.append_child("KilnDocument");
    root.append_attribute("format") = 1;
    root.append_attribute("generation") = static_cast<long long>(gen);
    root.append_attribute("domainPrefix") = s.prefix.c_str();

    int k = 0;
    for (size_t d = 0; d < s.domains.size(); ++d) {
        const Domain& dom = s.domains[d];
        if (!dom.alive || dom.env) continue;
        std::string file = "domain-" + std::to_string(++k) + "-g" + std::to_string(gen) + ".xml";
        if (Fault("save")) return abandon(m_error.str());
        bool ok = WriteFile(
            kiln::path::Join(folder, file).str(),
            [&](XmlSink& sink) { return WriteDomain(s, static_cast<int>(d), members[d], sink); }, error);
        written.push_back(file);
        if (!ok) return abandon(error);
        pugi::xml_node n = root.append_child("Domain");
        n.append_attribute("name") = dom.name.c_str();
        n.append_attribute("type") = dom.typeName.c_str();
        n.append_attribute("title") = dom.title.c_str();
        n.append_attribute("editable") = dom.editable;
        if (dom.temporary) n.append_attribute("temporary") = true;
        n.append_attribute("file") = file.c_str();
        for (const auto& b : dom.blocks) {
            pugi::xml_node bn = n.append_child("DataBlock");
            bn.append_attribute("key") = b.first.c_str();
            bn.text() = b.second.c_str();
        }
    }

    if (Fault("save")) return abandon(m_error.str());
    std::ostringstream text;
    man.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    int err = 0;
    if (!kiln::file::ReplaceFile(kiln::path::Join(folder, kManifest).str(), text.str(), true, &err))
        return abandon("不能替换清单文件：" + std::string(std::strerror(err)));
    SyncDir(folder);

    // The new manifest is in place: the previous generation's files go.
    std::set<std::string> keep(written.begin(), written.end());
    for (const std::string& f : old.files)
        if (!f.empty() && f.find('/') == std::string::npos && !keep.count(f))
            unlink(kiln::path::Join(folder, f).GetString());

    m_docPath = folder;
    for (Domain& d : s.domains) d.modified = false;
    return true;
}

bool CBase_CimDoc::Open(const CString& folderText) {
    const CCimSchema* schema = CCimSchema::Shared();
    if (!schema) return Fail("文档模式未加载：" + CString(CCimSchema::LoadError()));
    if (Fault("open")) return false;
    std::string folder = StripSlash(folderText.str());
    std::string manPath = kiln::path::Join(folder, kManifest).str();
    pugi::xml_document man;
    pugi::xml_parse_result pr = man.load_file(manPath.c_str());
    if (!pr) return Fail("不能读取文档清单" + CString(manPath) + "：" + pr.description());
    pugi::xml_node root = man.child("KilnDocument");
    if (!root) return Fail("文档清单" + CString(manPath) + "格式错误：缺少KilnDocument");

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
        for (pugi::xml_node b : n.children("DataBlock"))
            dom.blocks.emplace_back(b.attribute("key").value(), b.text().get());
        files.emplace_back(d, file);
    }
    std::vector<PendingLink> pending;
    std::string error, text;
    for (const auto& [d, file] : files) {
        std::string path = kiln::path::Join(folder, file).str();
        if (!kiln::file::ReadFile(path, text)) return Fail("不能读取域文件：" + CString(path));
        if (!ToUtf8Text(text, error) || !ReadDomain(s, d, text, path, &pending, error)) return Fail(CString(error));
    }
    if (!ResolvePending(s, pending, error)) return Fail(CString(error));
    for (Domain& d : s.domains) d.modified = false;
    m_docPath = folder;
    m_p = std::move(fresh);
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
    WriteDomain(s, d, MembersByDomain(s)[static_cast<size_t>(d)], sink);
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
    std::string text, error;
    if (!kiln::file::ReadFile(file.str(), text)) return Fail("不能读取文件：" + file);
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

    std::string text, error;
    if (!kiln::file::ReadFile(file.str(), text)) return Fail("不能读取文件：" + file);
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
    std::string path = kiln::path::Join(s.drawerFolder, name + ".xml").str(), text, error;
    if (!kiln::file::ReadFile(path, text)) return Fail("不能读取抽屉文件：" + CString(path));
    if (!ReadInto(s, domain.str(), text, path, error)) return Fail(CString(error));
    s.domains[static_cast<size_t>(s.DomainId(domain.str()))].temporary = true;
    return true;
}
