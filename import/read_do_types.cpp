// Type-template reader: DO types with their DAs and SDOs, trigger options,
// functional constraints, type links, name semantics and the presence
// conditions of the CDC's members.
#include <cstring>

#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using namespace kiln::import;

bool CKiln_Import::Import_DOType(CKiln_Main* app, URI_Ref doType, XmlNode node, CString ord, bool bLoadDepends) {
    if (node.IsNull() || doType.IsEmpty()) return true;
    if (bLoadDepends) LoadDependTypes(app, app->DocMtd_getFirstUri_ofAsso(doType, "sec:DOType.TypePackage"), true);
    if (!ord.IsEmpty()) app->DocMtd_Modify_attribute_value(doType, kRoleOrd, ord);
    app->DocMtd_Modify_attribute_value(doType, "sec:DOType.isInstType", "true");
    CString desc, cdc;
    const bool hasDesc = ReadAttr(node, "desc", desc);
    const bool hasCdc = ReadAttr(node, "cdc", cdc);
    app->Mtd_SetStatusBarText("正在导入TypePackage下 DOType: " + AttrText(node, "id"));
    Report_MissingAttributes(node);
    ImportNameTable members;
    if (hasCdc) {
        auto it = m_mapKnownDOTypes.find(cdc);
        if (it != m_mapKnownDOTypes.end()) {
            app->DocMtd_add_Association(doType, "sec:DOType.ClassOf_DOType", it->second);
            AddMembersByName(app, it->second, "sec:DOType.Contains_DAs", members);
            AddMembersByName(app, it->second, "sec:DOType.Contains_SDOs", members);
        } else {
            AddOtherError("错误：ICD文件:  DOType:" + app->DocMtd_getValue_ofAttr(doType, kRoleName),
                          "未找到CDC:" + cdc);
            // The CDC text is kept, so that the type is written with it.
            app->DocMtd_Modify_attribute_value(doType, "sec:DOType.cdc", cdc);
        }
    }
    if (hasDesc) app->DocMtd_Modify_attribute_value(doType, "cim:Naming.description", desc);
    CString iedType;
    if (ReadAttr(node, "iedType", iedType)) app->DocMtd_Modify_attribute_value(doType, "sec:DOType.iedType", iedType);
    long i = 0;
    for (const XmlNode& da : Children(node, "DA")) Import_DA(app, doType, members, da, Dec(++i));
    i = 0;
    for (const XmlNode& sdo : Children(node, "SDO")) Import_SDO(app, doType, members, sdo, Dec(++i));
    // Each kind is numbered on its own; the file's order across both is kept
    // where an SDO comes ahead of a DA, which the DAs-then-SDOs order would lose.
    CString kinds;
    bool sdoSeen = false, sdoAhead = false;
    for (const XmlNode& m : node.ChildElements()) {
        const char* kind = m.PugiNode().name();
        if (std::strcmp(kind, "DA") == 0) {
            kinds += 'A';
            sdoAhead = sdoAhead || sdoSeen;
        } else if (std::strcmp(kind, "SDO") == 0) {
            kinds += 'S';
            sdoSeen = true;
        }
    }
    if (sdoAhead) app->DocMtd_Modify_attribute_value(doType, "sec:DOType.memberKinds", kinds);
    return true;
}

void CKiln_Import::CopyPresence(CKiln_Main* app, const URI_Ref& classMember, const URI_Ref& member,
                                const char* role) {
    // A member of another kind under the same name has none to give.
    if (classMember.sClass != member.sClass) return;
    const CString presence = app->DocMtd_getValue_ofAttr(classMember, role);
    if (!presence.IsEmpty()) app->DocMtd_Modify_attribute_value(member, role, presence);
}

namespace {

// The value of "sec:DA.trgOp" for the three trigger flags; "" writes nothing.
// With qchg beside dchg or dupd (reported as an error) the data triggers are
// kept.
CString TrgOpOf(bool dchg, bool qchg, bool dupd) {
    if (dchg && dupd) return "DChg_DUpd";
    if (dchg) return "DChg";
    if (dupd) return "DUpd";
    if (qchg) return "QChg";
    return "";
}

}  // namespace

bool CKiln_Import::Import_DA(CKiln_Main* app, URI_Ref doType, ImportNameTable& members, XmlNode node, CString ord) {
    URI_Ref da;
    if (!app->NewRsc_DA(&da, doType, "")) return true;
    CString name, text;
    const bool hasName = ReadAttr(node, "name", name);
    app->DocMtd_Modify_attribute_value(da, kRoleOrd, ord);

    const bool dchg = IsTrueText(AttrText(node, "dchg"));
    const bool qchg = IsTrueText(AttrText(node, "qchg"));
    const bool dupd = IsTrueText(AttrText(node, "dupd"));
    if (dchg && qchg) AddOtherError("错误：ICD文件:  DA:" + name, "dchg与qchg同为true！");
    if (dupd && qchg) AddOtherError("错误：ICD文件:  DA:" + name, "dupd与qchg同为true！");
    const CString trgOp = TrgOpOf(dchg, qchg, dupd);
    if (!trgOp.IsEmpty()) app->DocMtd_Modify_attribute_value(da, "sec:DA.trgOp", ModelEnum("TrgOpTypeEnum", trgOp));

    if (ReadAttr(node, "fc", text)) app->DocMtd_Modify_attribute_value(da, "sec:DA.fc_0", ModelEnum("FCType", text));
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(da, "cim:Naming.description", text);
    const CString ns = m_strHeaderId.IsEmpty() ? CString(kNewPackageNs) : m_strHeaderId;
    auto member = members.find(name);
    const bool isMember = member != members.end();
    if (isMember) CopyPresence(app, member->second, da, "sec:BDA.presence");
    if (hasName) {
        app->DocMtd_Modify_attribute_value(da, kRoleName, name);
        auto semantic = m_mapKnownDASemantics.find(name);
        if (semantic != m_mapKnownDASemantics.end()) {
            if (isMember)
                app->DocMtd_add_Association(da, "sec:BDA.DASemantic", semantic->second);
            else
                app->DocMtd_Modify_attribute_value(da, "sec:BDA.SemanticNs", ns);
        } else if (!isMember) {
            app->DocMtd_Modify_attribute_value(da, "sec:BDA.SemanticNs", ns);
        }
    }
    CString bType, typeId;
    if (ReadAttr(node, "bType", bType)) {
        if (!m_setBasicTypes.count(bType))
            AddOtherError("错误：ICD文件:  DA:" + name, "bType指定错误,在850标准无 " + bType + " 类型。");
        app->DocMtd_Modify_attribute_value(da, "sec:BDA.bType", ModelEnum("PreBasicTypeEnum", bType));
        if (ReadAttr(node, "type", typeId)) {
            Struct_ImportShell* entry = LinkMemberType(app, da, bType, typeId, "DA", name);
            if (entry && isMember) {
                // A struct DA of the CDC tells its DA type which class it has.
                URI_Ref cls = app->DocMtd_getFirstUri_ofAsso(member->second, "sec:BDA.DefinedBy_Struct");
                URI_Ref has = app->DocMtd_getFirstUri_ofAsso(entry->m_uShell, "sec:DAType.ClassOf_DAType");
                if (cls.IsSet() && has.IsEmpty()) {
                    app->DocMtd_add_Association(entry->m_uShell, "sec:DAType.ClassOf_DAType", cls);
                    entry->m_uClass = cls;
                }
            } else if (entry) {
                app->DocMtd_Modify_attribute_value(da, "sec:BDA.SemanticNs", m_strHeaderId);
            }
        }
    }
    if (ReadAttr(node, "valKind", text))
        app->DocMtd_Modify_attribute_value(da, "sec:BDA.valKind", ModelEnum("ValKindEnum", text));
    if (ReadAttr(node, "count", text)) app->DocMtd_Modify_attribute_value(da, "sec:BDA.count", text);
    if (ReadAttr(node, "sAddr", text)) app->DocMtd_Modify_attribute_value(da, "sec:BDA.sAddr", text);
    if (ReadAttr(node, "valImport", text))
        app->DocMtd_Modify_attribute_value(da, "sec:BDA.valImport",
                                           IsTrueText(text) || text == "1" ? "true" : "false");
    // A DA's values are read like a BDA's, so that they survive a round trip.
    ImportMemberVals(app, da, node, "sec:BDA.valueStr");
    return true;
}

bool CKiln_Import::Import_SDO(CKiln_Main* app, URI_Ref doType, ImportNameTable& members, XmlNode node, CString ord) {
    URI_Ref sdo;
    if (!app->NewRsc_SDO(&sdo, doType, ord)) return true;
    CString name, text;
    if (ReadAttr(node, "name", name)) app->DocMtd_Modify_attribute_value(sdo, kRoleName, name);
    auto semantic = m_mapKnownDASemantics.find(name);
    const auto member = members.find(name);
    const bool isMember = member != members.end();
    if (isMember) CopyPresence(app, member->second, sdo, "sec:SDO.presence");
    if (semantic != m_mapKnownDASemantics.end()) {
        if (isMember)
            app->DocMtd_add_Association(sdo, "sec:SDO.DASemantic", semantic->second);
        else
            app->DocMtd_Modify_attribute_value(sdo, "sec:SDO.SemanticNs", "扩展");
    } else if (!isMember) {
        app->DocMtd_Modify_attribute_value(sdo, "sec:SDO.SemanticNs", "扩展");
    }
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(sdo, "cim:Naming.description", text);
    if (ReadAttr(node, "count", text)) app->DocMtd_Modify_attribute_value(sdo, "sec:SDO.count", text);
    if (ReadAttr(node, "type", text)) {
        auto it = m_mapNewDOTypes.find(text);
        if (it != m_mapNewDOTypes.end() && it->second.m_uShell.IsSet())
            app->DocMtd_add_Association(sdo, "sec:SDO.DefinedBy_DOType", it->second.m_uShell);
        else
            AddOtherError("错误：ICD文件:  SDO:" + name, "未找到DOType:" + text);
    }
    return true;
}
