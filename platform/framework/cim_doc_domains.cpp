// Domains of the document: names, types, editable flags, data blocks.

#include "platform/framework/cim_doc.h"
#include "platform/framework/cim_store.h"
#include "platform/mfc/file_io.h"

#include <cstdio>
#include <string>
#include <string_view>

using namespace kiln::cim;

CString CBase_CimDoc::GetDomainPrefixDefault() const { return CString(m_p->prefix); }

void CBase_CimDoc::SetDomainPrefixDefault(const CString& prefix) {
    if (m_p->prefix != prefix.str()) m_p->Changed();  // the manifest holds it
    m_p->prefix = prefix.str();
}

namespace {

// The characters no domain name holds, besides control characters.
constexpr std::string_view kRefusedInName = "/\\\"<>&";

// Why a name is no domain name (the "#" rule, or the character it holds
// with those refused); "" for a domain name.
CString DomainNameFault(const CString& name) {
    const std::string& n = name.str();
    if (n.size() < 2 || n.back() != '#' || n.find('#') != n.size() - 1) return "应以“#”结尾且只含一个“#”";
    for (unsigned char c : n) {
        if (c >= 0x20 && kRefusedInName.find(static_cast<char>(c)) == std::string_view::npos) continue;
        char control[8];
        std::snprintf(control, sizeof control, "0x%02X", c);
        const std::string held = c < 0x20 ? std::string(control) : std::string(1, static_cast<char>(c));
        std::string refused;
        for (char r : kRefusedInName) refused += std::string(refused.empty() ? "" : " ") + r;
        return CString("含“" + held + "”；域名不能含 " + refused + " 或控制字符");
    }
    return CString();
}

}  // namespace

bool CBase_CimDoc::IsValidDomainName(const CString& name) { return DomainNameFault(name).IsEmpty(); }

CString CBase_CimDoc::NamedDomain(const CString& stem) {
    std::string name = stem.str() + "#";
    const std::string_view icd = kIcdDomainSuffix;
    if (name.size() >= icd.size() && name.compare(name.size() - icd.size(), icd.size(), icd) == 0)
        name[name.size() - icd.size()] = '_';
    return CString(name);
}

bool CBase_CimDoc::CreateDomain(const CString& name, const URI_Ref& type, const CString& title, bool editable) {
    Store& s = *m_p;
    if (!Usable("domain")) return false;
    if (const CString why = DomainNameFault(name); !why.IsEmpty()) return Fail("域名无效（" + why + "）：" + name);
    if (s.DomainId(name.str()) >= 0) return Fail("域已存在：" + name);
    std::string typeName;
    if (!s.DomainTypeName(type, typeName)) return Fail("域类型不存在");
    s.AddDomain(name.str(), typeName, title.str(), editable);
    return true;
}

bool CBase_CimDoc::Is_DomainExist(const CString& name) const { return m_p->LiveDomain(name.str()) >= 0; }

bool CBase_CimDoc::IsDomainEditable(const CString& name) const {
    int d = m_p->LiveDomain(name.str());
    return d >= 0 && m_p->domains[static_cast<size_t>(d)].editable;
}

bool CBase_CimDoc::SetDomainEditable(const CString& name, bool editable) {
    int d = m_p->LiveDomain(name.str());
    if (d < 0 || m_p->domains[static_cast<size_t>(d)].env) return Fail("域不存在：" + name);
    Domain& dom = m_p->domains[static_cast<size_t>(d)];
    if (dom.editable != editable) m_p->Changed();
    dom.editable = editable;
    return true;
}

CString CBase_CimDoc::DomainTypeName(const CString& name) const {
    int d = m_p->LiveDomain(name.str());
    return d < 0 ? CString() : CString(m_p->domains[static_cast<size_t>(d)].typeName);
}

CString CBase_CimDoc::DomainTitle(const CString& name) const {
    int d = m_p->LiveDomain(name.str());
    return d < 0 ? CString() : CString(m_p->domains[static_cast<size_t>(d)].title);
}

std::vector<CString> CBase_CimDoc::DomainNames() const {
    std::vector<CString> out;
    for (const Domain& d : m_p->domains)
        if (d.alive) out.emplace_back(d.name);
    return out;
}

bool CBase_CimDoc::Get_Rsc_Domain(const URI_Ref& rsc, CString& domain) const {
    const Store& s = *m_p;
    Idx i = s.Find(rsc);
    if (i == kNone) {
        domain.Empty();
        return Fail("对象不存在：" + CString(rsc.sUri));
    }
    domain = s.domains[s.R(i).domain].name;
    return true;
}

bool CBase_CimDoc::FindDomainType(const CString& name, URI_Ref& type) const {
    const Store& s = *m_p;
    type.Clear();
    if (!s.schema || name.IsEmpty()) return Fail("域类型不存在：" + name);
    int cls = s.schema->ClassId(kDomainTypeClass);
    int nameRole = s.schema->RoleId("cim:Naming.name");
    if (cls < 0) return Fail("域类型不存在：" + name);
    for (Idx i : s.byClass[static_cast<size_t>(cls)]) {
        if (!s.R(i).alive) continue;
        const std::string* n = s.Attr(i, nameRole);
        if (n && *n == name.str()) {
            type = s.Handle(i);
            return true;
        }
    }
    return Fail("域类型不存在：" + name);
}

bool CBase_CimDoc::Delete_a_Domain(const CString& name) {
    Store& s = *m_p;
    if (Fault("domain")) return false;
    int d = s.LiveDomain(name.str());
    if (d < 0) return Fail("域不存在：" + name);
    if (s.domains[static_cast<size_t>(d)].env) return Fail("不能删除文档环境");
    for (size_t i = 0; i < s.rsc.size(); ++i)
        if (s.rsc[i].alive && s.rsc[i].domain == d) s.Kill(static_cast<Idx>(i));
    s.domains[static_cast<size_t>(d)].alive = false;
    s.Changed();
    s.domainIds.erase(name.str());
    return true;
}

bool CBase_CimDoc::IsDomainModified(const CString& name) const {
    int d = m_p->LiveDomain(name.str());
    return d >= 0 && m_p->domains[static_cast<size_t>(d)].modified;
}

bool CBase_CimDoc::Is_Tmp_Domain(const CString& name) const {
    int d = m_p->LiveDomain(name.str());
    return d >= 0 && m_p->domains[static_cast<size_t>(d)].temporary;
}

bool CBase_CimDoc::ServerTest() const {
    if (m_bDatabase && !m_bServerReachable) return Fail("数据库服务器不可达");
    return true;
}

// ---- data blocks ------------------------------------------------------------

bool CBase_CimDoc::SetDataBlock(const CString& domain, const CString& key, const CString& data) {
    int d = m_p->LiveDomain(domain.str());
    if (d < 0 || m_p->domains[static_cast<size_t>(d)].env) return Fail("域不存在：" + domain);
    if (key.IsEmpty()) return Fail("数据块的名称为空");
    Domain& dom = m_p->domains[static_cast<size_t>(d)];
    if (!dom.editable) return RefuseWrite(d);
    m_p->Modified(dom);
    for (auto& b : dom.blocks) {
        if (b.first == key.str()) {
            b.second = data.str();
            return true;
        }
    }
    dom.blocks.emplace_back(key.str(), data.str());
    return true;
}

bool CBase_CimDoc::GetDataBlock(const CString& domain, const CString& key, CString& data) const {
    int d = m_p->LiveDomain(domain.str());
    if (d < 0) return Fail("域不存在：" + domain);
    for (const auto& b : m_p->domains[static_cast<size_t>(d)].blocks) {
        if (b.first == key.str()) {
            data = b.second;
            return true;
        }
    }
    return Fail("数据块不存在：" + key);
}

bool CBase_CimDoc::SetDataBlock_byFile(const CString& domain, const CString& key, const CString& file) {
    std::string data, reason;
    if (!kiln::file::ReadFile(file.str(), data, reason)) return Fail("不能读取文件" + file + "：" + reason);
    return SetDataBlock(domain, key, CString(data));
}

bool CBase_CimDoc::GetDataBlock_byFile(const CString& domain, const CString& key, const CString& file) const {
    CString data;
    if (!GetDataBlock(domain, key, data)) return false;
    // Replaced whole, never opened: a FIFO in its place is not waited on.
    if (!kiln::file::ReplaceFile(file.str(), data.str(), false)) return Fail("不能写入文件：" + file);
    return true;
}

void CBase_CimDoc::SetDrawerFolder(const CString& folder) { m_p->drawerFolder = folder.str(); }
