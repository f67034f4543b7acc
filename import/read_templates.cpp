// The DataTypeTemplates element of an SCL file into one type package: the
// dependency question, the target package, a shell per type element (so a
// member may name a type that stands later in the file), then the members.
#include "core/type_nesting.h"
#include "import/import_util.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::import::Children;
using kiln::import::Dec;
using kiln::import::MembersByOrd;

namespace {

// The attributes SCL requires of a type or a member, where the readers read
// on without them. The ids are the keys, checked before anything is read; an
// LN type's lnClass, a DO's name and an enumeration value's ord their readers
// name ("lnclass为空", "名称为空", "...不是整数").
constexpr struct {
    const char* element;
    std::initializer_list<const char*> attributes;
} kRequired[] = {{"DOType", {"cdc"}},
                 {"DO", {"type"}},
                 {"SDO", {"name", "type"}},
                 {"DA", {"name", "bType", "fc"}},
                 {"BDA", {"name", "bType"}}};

}  // namespace

void CKiln_Import::Report_MissingAttributes(const XmlNode& type) {
    const CString kind = type.NodeName();
    const CString who = "错误：ICD文件:  " + kind + ":" + kiln::import::AttrText(type, "id");
    // The type itself, then its members: a member by its name, one without
    // a name by its place among those of its kind ("第2个SDO").
    auto check = [&](const XmlNode& element, const CString& elementKind, const CString& what) {
        for (const auto& r : kRequired) {
            if (elementKind != r.element) continue;
            for (const char* attribute : r.attributes) {
                CString value;
                if (!kiln::import::ReadAttr(element, attribute, value))
                    AddOtherError(who, what + "缺少SCL必需的属性" + attribute);
            }
        }
    };
    check(type, kind, kind);
    std::map<CString, int> places;
    for (const XmlNode& member : type.ChildElements()) {
        const CString memberKind = member.NodeName();
        const int place = ++places[memberKind];
        CString name;
        check(member, memberKind,
              kiln::import::ReadAttr(member, "name", name) ? memberKind + ":" + name
                                                          : "第" + Dec(place) + "个" + memberKind);
    }
}

std::vector<CString> CKiln_Import::InheritedDOs(CKiln_Main* app, const CString& id, const CString& base,
                                                const TemplateDOs& fileDOs,
                                                const std::map<CString, CString>& fileBases) {
    std::vector<CString> names;
    std::set<CString> visited{id};
    CString current = base;
    // As far as the walks of types go along a chain of bases.
    while (!current.IsEmpty() && visited.size() < kiln::core::kTypeNestingBound && visited.insert(current).second) {
        auto inFile = fileDOs.find(current);
        if (inFile != fileDOs.end()) {
            names.insert(names.end(), inFile->second.begin(), inFile->second.end());
            auto next = fileBases.find(current);
            current = next == fileBases.end() ? CString() : next->second;
            continue;
        }
        auto known = m_mapNewLNodeTypes.find(current);
        if (known != m_mapNewLNodeTypes.end() && known->second.m_uShell.IsSet()) {
            std::vector<URI_Ref> chain;
            app->Get_AbstractTypes(known->second.m_uShell, &chain, "sec:LNodeType.Abstract_Type");
            for (const URI_Ref& t : chain)
                for (const URI_Ref& d : MembersByOrd(app, t, "sec:LNodeType.DOs"))
                    names.push_back(app->DocMtd_getValue_ofAttr(d, kRoleName));
        }
        break;
    }
    return names;
}

bool CKiln_Import::Import_DataTypeTemplates(CKiln_Main* app, URI_Ref icd, XmlNode templates, CString name) {
    m_bAnswerCancelled = false;
    m_bCreatorRefused = false;
    for (int i = 0; i < kiln::import::kBasicTypeCount; ++i) m_setBasicTypes.insert(kiln::import::kBasicTypes[i]);

    // The package the types depend on; the answer is a resource's URI text.
    Struct_EditPack pack;
    app->SetEditPack_forDependPackage(&pack, URI_Ref());
    CString answer(app->m_uStdTypePackage.sUri.c_str());
    if (!app->Mtd_SingleInputBox("选择依赖的类型包：", answer, &pack, false)) {
        m_bAnswerCancelled = true;
        return false;
    }
    const URI_Ref depend = app->DocMtd_TestBy_URIRef(answer);
    if (depend.IsEmpty()) return false;
    std::vector<URI_Ref> instPackages;
    app->GetTypePackage_Depended(&instPackages, depend, true);
    app->Mtd_SetStatusBarText("正在导入TypePackage");

    URI_Ref package;
    if (icd.IsSet()) {
        package = app->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.TypePackage");
    } else {
        CString candidate = name.IsEmpty() ? CString(kiln::import::kNewPackageNs) : name;
        for (int n = 1; !name.IsEmpty() && m_mapTypePackages.count(candidate); ++n) candidate += Dec(n);
        // The package's name is asked by its creator: a cancelled name, like
        // a refusal the creator showed itself, is no fault of the file.
        if (!app->NewRsc_TypePackage(&package, candidate, true, URI_Ref())) {
            m_bAnswerCancelled = true;
            return false;
        }
    }
    if (package.IsEmpty()) return false;
    kiln::import::AddMembersByName(app, package, "sec:TypePackage.DOSemantics", m_mapOwnDOSemantics);

    // The package depends on the chosen one only; a clear that removes
    // nothing ends the loop.
    for (URI_Ref old = app->DocMtd_getFirstUri_ofAsso(package, "sec:TypePackage.Depend_TypePackage"); old.IsSet();) {
        app->DocMtd_clear_Association(package, "sec:TypePackage.Depend_TypePackage");
        const URI_Ref still = app->DocMtd_getFirstUri_ofAsso(package, "sec:TypePackage.Depend_TypePackage");
        if (still == old) break;
        old = still;
    }
    app->DocMtd_add_Association(package, "sec:TypePackage.Depend_TypePackage", depend);
    if (templates.IsNull()) return false;
    m_nLogCount = 0;

    // Types of the product packages of the dependency chain.
    for (const URI_Ref& p : instPackages) {
        const std::pair<const char*, ImportShellTable*> kKnown[] = {
            {"sec:TypePackage.Base_LDevices", &m_mapNewLDevices}, {"sec:TypePackage.EnumTypes", &m_mapNewEnumTypes},
            {"sec:TypePackage.DATypes", &m_mapNewDATypes},         {"sec:TypePackage.DOTypes", &m_mapNewDOTypes},
            {"sec:TypePackage.LNodeTypes", &m_mapNewLNodeTypes}};
        for (const auto& [role, table] : kKnown) {
            for (const URI_Ref& t : MembersByOrd(app, p, role)) {
                Struct_ImportShell shell;
                shell.m_uShell = t;
                table->emplace(app->DocMtd_getValue_ofAttr(t, kRoleName), shell);
            }
        }
    }

    // The DOs and bases of the LNodeType elements as the file gives them,
    // before any inherited DO is removed.
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

    // Pass 1: a shell per element, kind by kind.
    using Creator = bool (CKiln_Main::*)(URI_Ref*, URI_Ref);
    const struct {
        const char* element;
        const char* key;
        ImportShellTable* table;
        Creator create;
        const char* name;
        const char* error;
    } kKinds[] = {
        {"LDevice", "inst", &m_mapNewLDevices, nullptr, "错误：ICD文件:  LDevice:", "LDevice有inst为null！"},
        {"EnumType", "id", &m_mapNewEnumTypes, &CKiln_Main::NewRsc_EnumType, "错误：ICD文件:  EnumType:",
         "EnumType有id为null！"},
        {"DAType", "id", &m_mapNewDATypes, &CKiln_Main::NewRsc_DAType, "错误：ICD文件:  DAType:", "DAType有id为null！"},
        {"DOType", "id", &m_mapNewDOTypes, &CKiln_Main::NewRsc_DOType, "错误：ICD文件:  DOType:", "DOType有id为null！"},
        {"LNodeType", "id", &m_mapNewLNodeTypes, &CKiln_Main::NewRsc_LNodeType, "错误：ICD文件:  LNodeType:",
         "LNodeType  id为null！"}};
    for (const auto& kind : kKinds) {
        const std::vector<XmlNode> elements = Children(templates, kind.element);
        for (size_t i = 0; i < elements.size(); ++i) {
            const XmlNode& el = elements[i];
            CString key;
            if (!el.GetAttribute(kind.key, key)) {
                AddOtherError(kind.name, kind.error);
                return false;
            }
            const CString element(kind.element);
            if (element == "EnumType" && IsStandardEnumType(app, el, key)) continue;
            CString base;
            if (element == "LNodeType" && el.GetAttribute("zScl:base", base) && !base.IsEmpty() &&
                !kind.table->count(key)) {
                if (!fileDOs.count(base) && !m_mapNewLNodeTypes.count(base)) {
                    AddOtherError("错误：ICD文件:  LNodeType:" + key, "未找到基于的基类(zScl:base)" + base);
                } else {
                    const std::vector<CString> inherited = InheritedDOs(app, key, base, fileDOs, fileBases);
                    const std::set<CString> drop(inherited.begin(), inherited.end());
                    for (const XmlNode& d : Children(el, "DO"))
                        if (drop.count(kiln::import::AttrText(d, "name"))) el.RemoveChild(d);
                }
            }
            const auto same = kind.table->find(key);
            if (same != kind.table->end()) {
                // A second element of an id the file gave already is left
                // out; one of a depended package's type stands for it.
                if (!same->second.m_pNode.IsNull())
                    AddOtherError("错误：ICD文件:  " + element + ":" + key, element + "的" + kind.key + "重复，只导入了第一个");
                continue;
            }
            Struct_ImportShell shell;
            const bool made = kind.create ? (app->*kind.create)(&shell.m_uShell, package)
                                          : app->NewRsc_LDevice(&shell.m_uShell, package, URI_Ref(), URI_Ref(), URI_Ref());
            if (!made) {
                m_bCreatorRefused = true;
                return false;
            }
            app->DocMtd_Modify_attribute_value(shell.m_uShell, kRoleName, key);
            shell.m_strOrd = Dec(static_cast<long long>(i + 1));
            shell.m_pNode = el;
            shell.m_strBase = base;
            kind.table->emplace(key, shell);
        }
    }

    // Pass 2: the members, each table in ascending key order.
    for (auto& [key, s] : m_mapNewLDevices) Import_BaseLDevices(app, s.m_uShell, s.m_pNode, s.m_strOrd, false);
    for (auto& [key, s] : m_mapNewEnumTypes) Import_EnumType(app, s.m_uShell, s.m_pNode, s.m_strOrd);
    for (auto& [key, s] : m_mapNewDOTypes) Import_DOType(app, s.m_uShell, s.m_pNode, s.m_strOrd, false);
    for (auto& [key, s] : m_mapNewDATypes) Import_DAType(app, s.m_uShell, s.m_pNode, s.m_strOrd, false);
    for (auto& [key, s] : m_mapNewLNodeTypes)
        Import_LNodeType(app, s.m_uShell, s.m_pNode, s.m_strBase, package, s.m_strOrd, false);
    Link_AllStructBDAs(app);
    Report_TypeNesting(app);
    return true;
}

void CKiln_Import::Report_TypeNesting(CKiln_Main* app) {
    std::vector<URI_Ref> read;
    for (const ImportShellTable* table : {&m_mapNewLNodeTypes, &m_mapNewDOTypes, &m_mapNewDATypes})
        for (const auto& [key, s] : *table)
            if (!s.m_pNode.IsNull()) read.push_back(s.m_uShell);
    for (const kiln::core::TypeNestingFault& fault : kiln::core::TypeNestingFaults(*app, read))
        AddOtherError("错误：ICD文件:  " + CString(fault.type.sClass.c_str()).Mid(4) + ":" +
                          app->DocMtd_getValue_ofAttr(fault.type, kRoleName),
                      fault.text);
}

bool CKiln_Import::Import_BaseLDevices(CKiln_Main* app, URI_Ref ldevice, XmlNode node, CString /*ord*/,
                                       bool /*bFlag*/) {
    if (node.IsNull()) return true;
    CString lnType, inst, abstractLD;
    Get_NodeText(m_pSourceXml->Get_NodePtr(node, "LN0"), "@lnType", lnType);
    node.GetAttribute("inst", inst);
    // An empty AbstractLD, which the type-package export writes for a
    // device without a base, names no base.
    const bool hasAbstract = node.GetAttribute("AbstractLD", abstractLD) && !abstractLD.IsEmpty();
    const XmlNode ln0 = m_pSourceXml->Get_NodePtr(node, "LN0");

    if (m_mapNewLNodeTypes.count(lnType)) {
        app->DocMtd_Modify_attribute_value(ldevice, kRoleName, inst);
        app->Mtd_SetStatusBarText("正在导入LD:" + inst);
        CString desc;
        if (node.GetAttribute("desc", desc)) app->DocMtd_Modify_attribute_value(ldevice, "cim:Naming.description", desc);
        Import_LNode(app, ldevice, ln0, "1", URI_Ref(), URI_Ref(), "", false);
    } else if (!ln0.IsNull()) {
        AddEntry(m_pLDevicesNode, "LDevice", "错误：ICD文件:  LDevice:" + inst, "未找到LN0类型" + lnType, &m_nErrors);
    }
    const std::vector<XmlNode> lns = Children(node, "LN");
    for (size_t i = 0; i < lns.size(); ++i)
        Import_LNode(app, ldevice, lns[i], Dec(static_cast<long long>(i + 2)), URI_Ref(), URI_Ref(), "", false);

    if (!hasAbstract) return true;
    auto target = m_mapNewLDevices.find(abstractLD);
    if (target == m_mapNewLDevices.end() || target->second.m_uShell.IsEmpty()) {
        AddEntry(m_pLDevicesNode, "LDevice", "错误：ICD文件:  LDevice:" + inst, "未找到AbstractLD " + abstractLD,
                 &m_nErrors);
        return true;
    }
    // A link that would make the device its own base is left out.
    if (BaseClosesCycle(app, ldevice, target->second.m_uShell, "sec:LDevice.Abstract_LDevice")) {
        AddEntry(m_pLDevicesNode, "LDevice", "错误：ICD文件:  LDevice:" + inst, "AbstractLD " + abstractLD + "形成循环",
                 &m_nErrors);
        return true;
    }
    app->DocMtd_add_Association(ldevice, "sec:LDevice.Abstract_LDevice", target->second.m_uShell);
    return true;
}
