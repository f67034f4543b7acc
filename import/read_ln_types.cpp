// Type-template reader: LN types with their DOs, base types, LN classes,
// iedType and DO name semantics; the check of DA types without a standard class.
#include <set>

#include "core/scl_names.h"
#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using namespace kiln::import;

bool CKiln_Import::BaseClosesCycle(CKiln_Main* app, const URI_Ref& rsc, const URI_Ref& base, const char* role) {
    // Walks to the end of the chain, through the ancestors noted before,
    // then notes that end for every type passed.
    std::vector<URI_Ref> passed;
    std::set<std::string> seen;
    URI_Ref end = base;
    for (URI_Ref t = base; t.IsSet() && seen.insert(t.sUri).second;) {
        end = t;
        passed.push_back(t);
        auto noted = m_mapBaseAncestors.find(t.sUri);
        t = noted != m_mapBaseAncestors.end() ? noted->second : app->DocMtd_getFirstUri_ofAsso(t, role);
    }
    for (const URI_Ref& t : passed)
        if (t.sUri != end.sUri) m_mapBaseAncestors[t.sUri] = end;
    return end.sUri == rsc.sUri;
}

bool CKiln_Import::Import_LNodeType(CKiln_Main* app, URI_Ref lnType, XmlNode node, CString base, URI_Ref package,
                                    CString ord, bool bLoadDepends) {
    if (node.IsNull() || lnType.IsEmpty()) return true;
    if (bLoadDepends) LoadDependTypes(app, app->DocMtd_getFirstUri_ofAsso(lnType, "sec:LNodeType.TypePackage"), true);
    CString desc, lnClass, id;
    const bool hasDesc = ReadAttr(node, "desc", desc);
    ReadAttr(node, "lnClass", lnClass);
    if (!ord.IsEmpty()) app->DocMtd_Modify_attribute_value(lnType, kRoleOrd, ord);
    app->DocMtd_Modify_attribute_value(lnType, "sec:LNodeType.isInstType", "true");
    ReadAttr(node, "id", id);
    app->Mtd_SetStatusBarText("正在导入TypePackage下 LNodeType: " + id);
    if (hasDesc) app->DocMtd_Modify_attribute_value(lnType, "cim:Naming.description", desc);
    CString iedType;
    if (ReadAttr(node, "iedType", iedType))
        app->DocMtd_Modify_attribute_value(lnType, "sec:LNodeType.iedType", iedType);
    // A type read without one is written without one, not with its IED's name.
    app->DocMtd_Modify_attribute_value(lnType, "sec:LNodeType.iedTypeRead", "true");

    const CString who = "错误：ICD文件:  LNodeType:" + id;
    Report_MissingAttributes(node);
    if (!base.IsEmpty()) {
        auto it = m_mapNewLNodeTypes.find(base);
        if (it == m_mapNewLNodeTypes.end() || it->second.m_uShell.IsEmpty()) {
            AddOtherError(who, "zScl:base " + base + "类型包中未找到");
        } else if (BaseClosesCycle(app, lnType, it->second.m_uShell, "sec:LNodeType.Abstract_Type")) {
            // A base that is the type itself or derives from it would close a cycle.
            AddOtherError(who, "基于的基类(zScl:base)" + base + "形成循环");
        } else {
            app->DocMtd_add_Association(lnType, "sec:LNodeType.Abstract_Type", it->second.m_uShell);
        }
    }
    ImportNameTable classDOs;
    if (lnClass.IsEmpty()) {
        AddOtherError(who, "lnclass为空");
    } else if (auto it = m_mapKnownLNodeTypes.find(lnClass); it != m_mapKnownLNodeTypes.end()) {
        app->DocMtd_add_Association(lnType, "sec:LNodeType.ClassOf_LNType", it->second);
        // The class's DOs include those it inherits from its abstract classes.
        std::vector<URI_Ref> chain;
        app->Get_AbstractTypes(it->second, &chain, "sec:LNodeType.Abstract_Type");
        for (const URI_Ref& t : chain) AddMembersByName(app, t, "sec:LNodeType.DOs", classDOs);
    } else {
        AddOtherError(who, "lnclass: " + lnClass + "在标准包中未找到");
        // The class text is kept, so that the type and its nodes are written with it.
        app->DocMtd_Modify_attribute_value(lnType, "sec:LNodeType.lnClass", lnClass);
    }
    // A DO made under a name SCL refuses, or holds once in a type, is kept and named.
    std::set<CString> names;
    long i = 0;
    for (const XmlNode& d : Children(node, "DO")) {
        if (!Import_DO(app, lnType, d, Dec(++i), id, lnClass, classDOs, package)) continue;
        const CString name = AttrText(d, "name");
        if (!kiln::core::IsSclDoName(name.str()))
            AddOtherError("错误：ICD文件:  DO:" + id + "." + name,
                          "DO名" + name + "不符合SCL（应以大写字母开头，只含字母和数字，最多12个字符）");
        if (!names.insert(name).second) AddOtherError("错误：ICD文件:  DO:" + id + "." + name, "LNodeType中已有同名DO");
    }
    return true;
}

bool CKiln_Import::Import_DO(CKiln_Main* app, URI_Ref lnType, XmlNode node, CString ord, CString /*typeId*/,
                             CString lnClass, ImportNameTable& classDOs, URI_Ref package) {
    URI_Ref dataObject;
    if (!app->NewRsc_DO(&dataObject, lnType, ord)) return false;
    CString name, desc, typeId, transient;
    const bool hasName = ReadAttr(node, "name", name);
    if (hasName) app->DocMtd_Modify_attribute_value(dataObject, kRoleName, name);
    if (ReadAttr(node, "type", typeId)) {
        auto it = m_mapNewDOTypes.find(typeId);
        if (it != m_mapNewDOTypes.end() && it->second.m_uShell.IsSet())
            app->DocMtd_add_Association(dataObject, "sec:DO.DefinedBy_DOType", it->second.m_uShell);
        else
            AddOtherError("错误：ICD文件:  DO:" + name, "未找到DOType:" + typeId);
    }
    if (ReadAttr(node, "desc", desc)) app->DocMtd_Modify_attribute_value(dataObject, "cim:Naming.description", desc);
    if (!hasName) {
        AddOtherError("ICD文件:  DO:", "名称为空");
        return false;
    }
    const CString ns = m_strHeaderId.IsEmpty() ? CString(kNewPackageNs) : m_strHeaderId;
    const auto classDO = classDOs.find(name);
    const bool inClass = classDO != classDOs.end();
    // A DO of the class keeps the class's presence condition, as one made from the class does.
    if (inClass) CopyPresence(app, classDO->second, dataObject, "sec:DO.presence");
    auto known = m_mapKnownDOSemantics.find(name);
    if (known != m_mapKnownDOSemantics.end()) {
        if (inClass) {
            app->DocMtd_add_Association(dataObject, "sec:DO.DOSemantic", known->second);
        } else {
            auto own = m_mapOwnDOSemantics.find(name);
            if (own != m_mapOwnDOSemantics.end()) {
                app->DocMtd_add_Association(dataObject, "sec:DO.DOSemantic", own->second);
            } else {
                URI_Ref semantic;
                if (app->NewRsc_DOSemantic(&semantic, package)) {
                    app->DocMtd_Modify_attribute_value(semantic, kRoleName, name);
                    app->DocMtd_Modify_attribute_value(semantic, "cim:Naming.description", desc);
                    app->DocMtd_add_Association(dataObject, "sec:DO.DOSemantic", semantic);
                    m_mapOwnDOSemantics.emplace(name, semantic);
                }
            }
            app->DocMtd_Modify_attribute_value(dataObject, "sec:DO.SemanticNs", ns);
            app->DocMtd_Modify_attribute_value(dataObject, "sec:DO.SemanticDesc", desc);
        }
    } else if (!inClass) {
        app->DocMtd_Modify_attribute_value(dataObject, "sec:DO.SemanticNs", ns);
        app->DocMtd_Modify_attribute_value(dataObject, "sec:DO.SemanticDesc", desc);
    }
    if (!m_bExtDOFreely && !m_mapKnownDOs.count(lnClass + name)) {
        app->DocMtd_Modify_attribute_value(dataObject, "sec:DO.SemanticNs", m_strHeaderId);
        app->DocMtd_Modify_attribute_value(dataObject, "cim:Naming.description", desc);
    }
    if (ReadAttr(node, "transient", transient))
        app->DocMtd_Modify_attribute_value(dataObject, "sec:DO.transient", IsTrueText(transient) ? "true" : "false");
    CString accessControl;
    if (ReadAttr(node, "accessControl", accessControl))
        app->DocMtd_Modify_attribute_value(dataObject, "sec:DO.accessControl", accessControl);
    return true;
}

bool CKiln_Import::Check_DATypeClassOf(CKiln_Main* app) {
    for (const auto& [id, shell] : m_mapNewDATypes) {
        if (shell.m_uShell.IsEmpty()) continue;
        if (app->DocMtd_getFirstUri_ofAsso(shell.m_uShell, "sec:DAType.ClassOf_DAType").IsEmpty())
            AddEntry(m_pOtherErrorsNode, "other_error", "警告:ICD文件:  DAType:" + id, " 未找到ClassofDAType",
                     &m_nWarnings);
    }
    return true;
}
