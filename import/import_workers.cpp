// The three workers that read an SCL file with its import report: an ICD
// into a new ICD of a product, a type-package file into a new package, and
// the types of a file into an existing package.
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "core/array_elements.h"
#include "import/import_util.h"

using kiln::core::kRoleName;
using kiln::import::Children;
using kiln::import::MembersByOrd;

namespace {

// The namespace declarations in force along a walk down the tree: per
// prefix the URIs bound to it, innermost last, so that an element's
// namespace is found without a walk up or a look through every binding.
class Declarations {
public:
    size_t Mark() const { return m_entered.size(); }
    void Leave(size_t mark) {
        for (; m_entered.size() > mark; m_entered.pop_back()) m_bound[m_entered.back()].pop_back();
    }
    void Enter(const XmlNode& element) {
        for (const XmlNode& a : element.Attributes()) {
            const CString name = a.NodeName();
            if (!kiln::import::IsNamespaceDeclaration(name)) continue;
            const CString prefix = name == "xmlns" ? CString() : name.Mid(6);
            m_bound[prefix].push_back(a.GetText());
            m_entered.push_back(prefix);
        }
    }
    // The namespace of an element entered last ("" for none); false for a
    // prefix nothing binds.
    bool UriOf(const XmlNode& element, CString& uri) const {
        const CString name = element.NodeName();
        const int colon = name.Find(':');
        const CString prefix = colon > 0 ? name.Left(colon) : CString();
        const auto it = m_bound.find(prefix);
        const bool bound = it != m_bound.end() && !it->second.empty();
        uri = bound ? it->second.back() : CString();
        return bound || prefix.IsEmpty();
    }

private:
    std::map<CString, std::vector<CString>> m_bound;
    std::vector<CString> m_entered;  // the prefix of each binding, in the order entered
};

}  // namespace

bool CKiln_Import::Take_SclNamespace(const XmlNode& root) {
    m_strRefusal = kiln::import::WrongRoot(root, "SCL", kiln::import::kSclNamespace);
    if (!m_strRefusal.IsEmpty()) return false;
    const CString ns = root.NamespaceUri();
    Declarations decls;
    decls.Enter(root);
    // The walk without recursion: per level the children still to look at,
    // where their findings are named, and the declarations to go back to.
    struct Level {
        std::vector<XmlNode> children;
        size_t next = 0;
        CString where;
        size_t mark = 0;
    };
    std::vector<Level> stack;
    stack.push_back(Level{Children(root, "*"), 0, "SCL", decls.Mark()});
    std::vector<std::pair<XmlNode, CString>> prefixed;  // elements of SCL's namespace under a prefix
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.children.size()) {
            decls.Leave(level.mark);
            stack.pop_back();
            continue;
        }
        const XmlNode element = level.children[level.next++];
        const size_t mark = decls.Mark();
        decls.Enter(element);
        CString uri;
        const bool bound = decls.UriOf(element, uri);
        const CString where = level.where;
        if (!bound || uri != ns) {
            AddOtherError("错误：ICD文件:  " + where,
                          kiln::import::NotRead(element, kiln::import::OtherNamespace(uri)));
            element.ParentNode().RemoveChild(element);
            decls.Leave(mark);
            continue;
        }
        const CString local = element.LocalName(), name = element.NodeName();
        if (local != name) prefixed.emplace_back(element, name.Left(name.Find(':')));
        // Only the templates are read below the root; a Private element
        // holds a tool's own content, of any namespace, and is not read.
        if ((stack.size() == 1 && local != "DataTypeTemplates") || local == "Private") {
            decls.Leave(mark);
            continue;
        }
        CString inner = stack.size() == 1 ? local : where;
        for (const char* kind : {"LNodeType", "DOType", "DAType", "EnumType"})
            if (local == kind) inner = local + ":" + kiln::import::AttrText(element, "id");
        stack.push_back(Level{Children(element, "*"), 0, inner, mark});
    }
    for (const auto& [element, prefix] : prefixed) element.DropElementPrefix(prefix);
    return true;
}

bool CKiln_Import::Import_ICD(URI_Ref* pOut, CKiln_Main* app, CBase_XML* source, URI_Ref /*base*/, CBase_XML report,
                              bool /*bFlag*/, URI_Ref product) {
    m_nErrors = 0;
    m_nWarnings = 0;
    if (!Bind_Report(app, source, report)) return false;
    const XmlNode root = source->GetDocumentElement();
    bool keyMissing = false;
    if (!Check_FileKeys(root, keyMissing)) {
        if (keyMissing) Finish_Report(app, "ICD");
        return false;
    }
    app->Mtd_SetStatusBarText("正在导入ICD。");
    const URI_Ref stdPackage = Load_StandardTables(app);
    m_bExtDOFreely = false;

    URI_Ref icd;
    if (!app->NewRsc_ICD(&icd, stdPackage, "_新导入_", false, product)) return false;
    if (pOut) *pOut = icd;

    const XmlNode header = source->Get_NodePtr(root, "Header");
    CString revision, version;
    const bool hasRevision = Get_NodeText(header, "@revision", revision);
    const bool hasVersion = Get_NodeText(header, "@version", version);
    const bool hasId = Get_NodeText(header, "@id", m_strHeaderId);
    if (hasRevision) app->DocMtd_Modify_attribute_value(icd, "sec:ICD.icdRevision", revision);
    if (hasVersion) app->DocMtd_Modify_attribute_value(icd, "sec:ICD.icdVersion", version);
    if (hasId) app->DocMtd_Modify_attribute_value(icd, kRoleName, m_strHeaderId + "_Ver" + version + "_Rev" + revision);
    app->DocMtd_Modify_attribute_value(icd, "sec:ICD.extDOFreely", m_bExtDOFreely ? "true" : "false");

    // The IED taken is the first one with a server: a substation file may
    // start with clients, which hold no logical device.
    const std::vector<XmlNode> ieds = Children(root, "IED");
    XmlNode ied;
    for (const XmlNode& candidate : ieds) {
        for (const XmlNode& ap : Children(candidate, "AccessPoint"))
            if (!Children(ap, "Server").empty()) {
                ied = candidate;
                break;
            }
        if (!ied.IsNull()) break;
    }
    CString productType;
    Get_NodeText(ied, "@type", productType);
    app->DocMtd_Modify_attribute_value(icd, "sec:ICD.productType", productType);

    Import_DataTypeTemplates(app, icd, source->Get_NodePtr(root, "DataTypeTemplates"), "");
    if (m_bCreatorRefused) return false;
    if (ied.IsNull())
        AddOtherError("错误：ICD文件:  IED:", "未找到IED");
    else
        Import_IED(app, icd, ied);
    if (!ied.IsNull() && ieds.size() > 1) {
        const CString name = kiln::import::AttrText(ied, "name");
        AddEntry(m_pOtherErrorsNode, "other_error", "警告：ICD文件:  IED:" + name,
                 "文件中有" + kiln::import::Dec(static_cast<long long>(ieds.size())) + "个IED，只导入了第一个有Server的IED:" +
                     name,
                 &m_nWarnings);
    }

    // The references ask only for these DA paths; a table of every DA path of
    // the ICD would be the larger part of the import's memory.
    std::set<CString> asked;
    for (const Struct_PendingRef& ref : m_vPendingRefs)
        if (!ref.m_strDAName.IsEmpty())
            asked.insert(ref.m_strLDInst + "/" + ref.m_strLNName + "." +
                         kiln::core::WithoutElementIndexes(ref.m_strDOName.str() + "." + ref.m_strDAName.str()).c_str());
    ImportNameTable daPaths;
    Index_ICD_DAs(app, icd, daPaths, &asked);
    Index_ICD_LNodes(app, icd);
    app->Mtd_SetStatusBarText("正在导入ICD: 添加ExtRef及FCDA等关联");
    Link_ExtRefsAndFCDAs(app, daPaths);
    Check_DATypeClassOf(app);
    Report_UnkeptContent(root, ied);
    Finish_Report(app, "ICD");
    return true;
}

bool CKiln_Import::Import_TypePackageFile(CKiln_Main* app, CBase_XML* source, CBase_XML report) {
    m_nErrors = 0;
    if (!Bind_Report(app, source, report)) return false;
    const XmlNode root = source->GetDocumentElement();
    // Named before the namespace step drops templates of another namespace.
    const CString noTemplates = kiln::import::NoneToRead(root, "DataTypeTemplates", "类型包的类型");
    if (!Take_SclNamespace(root)) return false;
    bool keyMissing = false;
    if (!Check_FileKeys(root, keyMissing)) {
        if (keyMissing) Finish_Report(app, "TypePackage");
        return false;
    }
    // A file without templates is refused before the question.
    const XmlNode templates = source->Get_NodePtr(root, "DataTypeTemplates");
    if (templates.IsNull()) {
        m_strRefusal = noTemplates;
        return false;
    }
    app->Mtd_SetStatusBarText("正在导入ICD。");
    Load_StandardTables(app);
    CString id;
    Get_NodeText(source->Get_NodePtr(root, "Header"), "@id", id);
    Import_DataTypeTemplates(app, URI_Ref(), templates, id);
    if (m_bAnswerCancelled) return true;
    if (m_bCreatorRefused) return false;
    Finish_Report(app, "TypePackage");
    return true;
}

bool CKiln_Import::Import_LNodeTypeFile(CKiln_Main* app, CBase_XML* source, CBase_XML report, URI_Ref package) {
    m_nErrors = 0;
    if (!Bind_Report(app, source, report)) return false;
    const XmlNode root = source->GetDocumentElement();
    const CString noTemplates = kiln::import::NoneToRead(root, "DataTypeTemplates", "LN类型");
    if (!Take_SclNamespace(root)) return false;
    bool keyMissing = false;
    if (!Check_FileKeys(root, keyMissing, false)) return false;
    const XmlNode templates = source->Get_NodePtr(root, "DataTypeTemplates");
    if (templates.IsNull()) m_strRefusal = noTemplates;
    if (templates.IsNull() || package.IsEmpty()) return false;
    Load_StandardTables(app);
    kiln::import::AddMembersByName(app, package, "sec:TypePackage.DOSemantics", m_mapOwnDOSemantics);
    app->Mtd_SetStatusBarText("正在导入ICD。");
    for (int i = 0; i < kiln::import::kBasicTypeCount; ++i) m_setBasicTypes.insert(kiln::import::kBasicTypes[i]);

    // Names the package holds already.
    std::set<CString> existing;
    for (const char* role : {"sec:TypePackage.LNodeTypes", "sec:TypePackage.DOTypes", "sec:TypePackage.DATypes",
                             "sec:TypePackage.EnumTypes"})
        for (const URI_Ref& t : MembersByOrd(app, package, role)) existing.insert(app->DocMtd_getValue_ofAttr(t, kRoleName));

    // The DOs and bases of the LNodeType elements before any change.
    TemplateDOs fileDOs;
    std::map<CString, CString> fileBases;
    for (const XmlNode& el : Children(templates, "LNodeType")) {
        CString id;
        if (!el.GetAttribute("id", id) || fileDOs.count(id)) continue;
        std::vector<CString>& dos = fileDOs[id];
        for (const XmlNode& d : Children(el, "DO")) dos.push_back(kiln::import::AttrText(d, "name"));
        CString base;
        if (el.GetAttribute("zScl:base", base)) fileBases.emplace(id, base);
    }

    // Shells of all three kinds first, so that members may name types that
    // stand later in the file.
    using Creator = bool (CKiln_Main::*)(URI_Ref*, URI_Ref);
    const struct {
        const char* element;
        ImportShellTable* table;
        Creator create;
        const char* label;
        const char* noId;
    } kKinds[] = {{"LNodeType", &m_mapNewLNodeTypes, &CKiln_Main::NewRsc_LNodeType, "LNodeType:", "LNodeType  id为null！"},
                  {"DOType", &m_mapNewDOTypes, &CKiln_Main::NewRsc_DOType, "DOType:", "DOType有id为null！"},
                  {"DAType", &m_mapNewDATypes, &CKiln_Main::NewRsc_DAType, "DAType:", "DAType有id为null！"},
                  {"EnumType", &m_mapNewEnumTypes, &CKiln_Main::NewRsc_EnumType, "EnumType:", "EnumType有id为null！"}};
    // The enumerations the file's types use; those of the standard, as the
    // standard gives them, are the standard's.
    std::set<CString> usedEnums;
    for (const char* element : {"DOType", "DAType"})
        for (const XmlNode& type : Children(templates, element))
            for (const XmlNode& member : type.ChildElements())
                if (kiln::import::AttrText(member, "bType") == "Enum") usedEnums.insert(kiln::import::AttrText(member, "type"));
    for (const auto& kind : kKinds) {
        const bool enums = kind.table == &m_mapNewEnumTypes;
        const std::vector<XmlNode> elements = Children(templates, kind.element);
        for (const XmlNode& el : elements) {
            CString id;
            if (!el.GetAttribute("id", id)) {
                if (!enums) AddOtherError(CString("错误：ICD文件:  ") + kind.label, kind.noId);
                continue;
            }
            if (enums && (!usedEnums.count(id) || IsStandardEnumType(app, el, id))) continue;
            if (existing.count(id)) {
                AddEntry(m_pOtherErrorsNode, "other_error", CString("警告：ICD文件:  ") + kind.label + id,
                         "类型包中已有同名类型", &m_nWarnings);
                continue;
            }
            if (kind.table->count(id)) {
                // A second element of an id the file gave already.
                AddOtherError(CString("错误：ICD文件:  ") + kind.label + id,
                              CString(kind.element) + "的id重复，只导入了第一个");
                continue;
            }
            Struct_ImportShell shell;
            if (!(app->*kind.create)(&shell.m_uShell, package)) return false;
            app->DocMtd_Modify_attribute_value(shell.m_uShell, kRoleName, id);
            shell.m_pNode = el;
            el.GetAttribute("zScl:base", shell.m_strBase);
            kind.table->emplace(id, shell);
        }
    }
    // The types of the package's chain, behind the new ones.
    LoadDependTypes(app, package, true);

    // Inherited DOs are removed along the whole base chain, in the file and
    // then in the model.
    for (auto& [id, s] : m_mapNewLNodeTypes) {
        if (s.m_pNode.IsNull() || s.m_strBase.IsEmpty()) continue;
        const std::vector<CString> inherited = InheritedDOs(app, id, s.m_strBase, fileDOs, fileBases);
        const std::set<CString> drop(inherited.begin(), inherited.end());
        for (const XmlNode& d : Children(s.m_pNode, "DO"))
            if (drop.count(kiln::import::AttrText(d, "name"))) s.m_pNode.RemoveChild(d);
    }

    for (const XmlNode& el : Children(templates, "LNodeType")) {
        CString id;
        if (!el.GetAttribute("id", id)) continue;
        auto it = m_mapNewLNodeTypes.find(id);
        if (it == m_mapNewLNodeTypes.end() || !(it->second.m_pNode == el)) continue;
        Import_LNodeType(app, it->second.m_uShell, el, it->second.m_strBase, package, "", false);
    }
    for (const XmlNode& el : Children(templates, "DOType")) {
        CString id;
        el.GetAttribute("id", id);
        auto it = m_mapNewDOTypes.find(id);
        if (it != m_mapNewDOTypes.end() && it->second.m_pNode == el)
            Import_DOType(app, it->second.m_uShell, el, "", false);
    }
    for (const XmlNode& el : Children(templates, "DAType")) {
        CString id;
        el.GetAttribute("id", id);
        auto it = m_mapNewDATypes.find(id);
        if (it != m_mapNewDATypes.end() && it->second.m_pNode == el)
            Import_DAType(app, it->second.m_uShell, el, "", false);
    }
    for (const XmlNode& el : Children(templates, "EnumType")) {
        auto it = m_mapNewEnumTypes.find(kiln::import::AttrText(el, "id"));
        if (it != m_mapNewEnumTypes.end() && it->second.m_pNode == el) Import_EnumType(app, it->second.m_uShell, el, "");
    }
    Link_AllStructBDAs(app);
    Report_TypeNesting(app);
    Finish_Report(app, "LNodeType");
    return true;
}
