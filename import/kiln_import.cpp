// The importer object: construction, node text, report entries, the types of
// the dependency chain, and the readers' shared helpers.
#include "import/kiln_import.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "import/import_util.h"
#include "platform/framework/cim_schema.h"
#include "platform/mfc/text_funcs.h"
#include "platform/xml/xml_names.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace kiln::import {

const char* const kBasicTypes[] = {
    "BOOLEAN",    "INT8",      "INT16",       "INT24",       "INT32",       "INT64",        "INT128",       "INT8U",
    "INT16U",     "INT24U",    "INT32U",      "FLOAT32",     "FLOAT64",     "Enum",         "Dbpos",        "Tcmd",
    "Quality",    "Timestamp", "VisString32", "VisString64", "VisString65", "VisString129", "VisString255", "Octet64",
    "Unicode255", "Struct",    "EntryTime",   "Check",       "ObjRef",      "Currency",     "PhyComAddr",   "TrgOps",
    "OptFlds",    "SvOptFlds", "LogOptFlds",  "EntryID",     "Octet6",      "Octet16",
};
const int kBasicTypeCount = static_cast<int>(sizeof(kBasicTypes) / sizeof(kBasicTypes[0]));

CString ModelEnum(const char* enumName, const CString& value) {
    return CString(kiln::cim::kModelNamespace) + "#" + enumName + "." + value;
}

bool ReadAttr(const XmlNode& node, const char* name, CString& out) {
    return node.GetAttributeOrPrefixed(name, "zScl:", out);
}

void WriteChanged(CKiln_Main* app, const URI_Ref& rsc, const CString& role, const CString& value) {
    // An empty value is written always: it may stand for no attribute yet.
    if (!value.IsEmpty() && app->DocMtd_getValue_ofAttr(rsc, role) == value) return;
    app->DocMtd_Modify_attribute_value(rsc, role, value);
}

CString AttrText(const XmlNode& node, const char* name) {
    CString text;
    ReadAttr(node, name, text);
    return text;
}

void DropSclPrefix(const XmlNode& root) {
    const CString name = root.NodeName();
    const int colon = name.Find(':');
    if (colon <= 0) return;
    const CString prefix = name.Left(colon);
    CString ns;
    if (root.GetAttribute("xmlns:" + prefix, ns) && ns == kSclNamespace)
        root.DropElementPrefix(prefix);
}

std::vector<XmlNode> Children(const XmlNode& node, const char* name) {
    std::vector<XmlNode> out;
    if (!node.IsElement()) return out;
    // A plain name or "*" is answered by walking the children; other paths
    // (unions such as "A|a") go through XPath.
    if (std::strcmp(name, "*") == 0 || kiln::xml::IsXmlName(name)) {
        const XmlChildElements kids = node.ChildElements(std::strcmp(name, "*") == 0 ? nullptr : name);
        for (const XmlNode& child : kids) out.push_back(child);
        return out;
    }
    XmlNodeList list = node.SelectNodes(name);
    out.reserve(static_cast<size_t>(list.Length()));
    for (long i = 0; i < list.Length(); ++i) out.push_back(list.Item(i));
    return out;
}

std::vector<XmlNode> ChildrenIn(const XmlNode& node, const CString& ns, std::initializer_list<const char*> locals) {
    return node.ChildElementsIn(ns, locals);
}

CString NotRead(const XmlNode& element, const CString& why) { return "元素" + element.NodeName() + "未导入" + why; }

CString OtherNamespace(const XmlNode& element) { return OtherNamespace(element.NamespaceUri()); }

CString OtherNamespace(const CString& uri) { return "（命名空间" + (uri.IsEmpty() ? CString("无") : uri) + "）"; }

CString Unread(const XmlNode& element, const CString& ns, std::initializer_list<const char*> known) {
    if (element.NamespaceUri() != ns) return NotRead(element, OtherNamespace(element));
    const CString local = element.LocalName();
    for (const char* k : known)
        if (local == k) return CString();
    return NotRead(element);
}

bool IsNamespaceDeclaration(const CString& name) { return name == "xmlns" || name.Left(6) == "xmlns:"; }

CString NamespacePath(const CString& uri) {
    const int scheme = uri.Find("://");
    if (scheme < 0) return uri;
    const int slash = uri.Find('/', scheme + 3);
    return slash >= 0 ? uri.Mid(slash) : CString();
}

bool IsTableRoot(const XmlNode& root, const char* local, const char* ns) {
    if (root.IsNull() || root.LocalName() != local) return false;
    const CString uri = root.NamespaceUri();
    return uri.IsEmpty() || uri == ns || (ns[0] == '/' && NamespacePath(uri) == ns);
}

CString WrongRoot(const XmlNode& root, const char* local, const char* ns) {
    if (IsTableRoot(root, local, ns)) return CString();
    const CString read = "只导入根元素为" + CString(local) + "（命名空间" + (ns[0] == '/' ? "路径为" : "") + ns +
                         "，或无命名空间）的文件";
    if (root.IsNull()) return "文件没有根元素，" + read;
    return "根元素是" + root.NodeName() + OtherNamespace(root) + "，" + read;
}

CString NoneToRead(const XmlNode& root, const char* local, const char* reads) {
    if (root.IsNull()) return CString();
    const CString ns = root.NamespaceUri();
    if (!root.ChildElementsIn(ns, {local}).empty()) return CString();
    CString cause = "根元素" + root.NodeName() + "中没有" + local + "元素";
    for (const XmlNode& child : root.ChildElements())
        if (child.LocalName() == local) {
            cause = NotRead(child, OtherNamespace(child));
            break;
        }
    return cause + "，" + reads + "只从根元素下同一命名空间（" + (ns.IsEmpty() ? CString("无") : ns) + "）的" + local +
           "元素导入";
}

CString Dec(long long n) { return CString(std::to_string(n)); }

bool IsTrueText(const CString& text) {
    // SCL's xs:boolean also writes true as "1", with blanks around allowed.
    CString t = text;
    t.Trim();
    return t.CompareNoCase("true") == 0 || t == "1";
}

CString ReadBoolText(const XmlNode& node, const char* name, bool absent) {
    CString text;
    return kiln::core::BoolText(ReadAttr(node, name, text) ? IsTrueText(text) : absent);
}

int LeadingInt(const CString& text) {
    const char* p = text.GetString();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;  // clamped below
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::vector<URI_Ref> MembersByOrd(CKiln_Main* app, const URI_Ref& owner, const char* role) {
    std::vector<URI_Ref> out;
    if (owner.IsSet()) app->DocMtd_get_Association_BUris(owner, role, out, kRoleOrd, SortPolicy_ByOrd);
    return out;
}

void AddMembersByName(CKiln_Main* app, const URI_Ref& owner, const char* role, ImportNameTable& table) {
    for (const URI_Ref& m : MembersByOrd(app, owner, role)) table.emplace(app->DocMtd_getValue_ofAttr(m, kRoleName), m);
}

CString FcOf(CKiln_Main* app, const URI_Ref& da) {
    return StringAfter(app->DocMtd_getValue_ofAttr(da, "sec:DA.fc_0"), "#", ".");
}

}  // namespace kiln::import

CKiln_Import::CKiln_Import()
    : m_nLogCount(0), m_bExtDOFreely(false), m_nErrors(0), m_nWarnings(0), m_pMain(nullptr), m_pSourceXml(nullptr) {}

CKiln_Import::~CKiln_Import() {
    m_vPendingRefs.clear();
    m_vLCBs.clear();
    m_mapKeyDAs.clear();
    m_mapNewDATypes.clear();
    m_mapNewDOTypes.clear();
    m_mapNewLNodeTypes.clear();
    m_mapNewLDevices.clear();
    m_mapNewEnumTypes.clear();
    m_setBasicTypes.clear();
    m_saReportAttrs.RemoveAll();
}

bool CKiln_Import::Get_NodeText(const XmlNode& node, const CString& xpath, CString& out) {
    return CBase_XML::Get_NodeText(node, xpath, out);
}

void CKiln_Import::AddEntry(const XmlNode& category, const char* element, const CString& name, const CString& error,
                            int* pCounter) {
    XmlNode entry = m_xmlReportDoc.AddNewNode_withAttrs(category, element, m_saReportAttrs);
    m_xmlReportDoc.Write_NodeValueString(entry, "@name", name);
    m_xmlReportDoc.Write_NodeValueString(entry, "@error", error);
    if (pCounter) ++*pCounter;
}

void CKiln_Import::LoadDependTypes(CKiln_Main* app, const URI_Ref& package, bool bInstance) {
    std::vector<URI_Ref> packages;
    if (package.IsSet()) app->GetTypePackage_Depended(&packages, package, bInstance);
    const std::pair<const char*, ImportShellTable*> kLists[] = {{"sec:TypePackage.EnumTypes", &m_mapNewEnumTypes},
                                                                {"sec:TypePackage.DATypes", &m_mapNewDATypes},
                                                                {"sec:TypePackage.DOTypes", &m_mapNewDOTypes},
                                                                {"sec:TypePackage.LNodeTypes", &m_mapNewLNodeTypes}};
    for (const URI_Ref& p : packages) {
        for (const auto& [role, table] : kLists) {
            for (const URI_Ref& t : kiln::import::MembersByOrd(app, p, role)) {
                Struct_ImportShell shell;
                shell.m_uShell = t;
                table->emplace(app->DocMtd_getValue_ofAttr(t, kRoleName), shell);
            }
        }
    }
}
