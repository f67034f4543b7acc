// Type-template reader: enumeration types with their values, DA types with
// their BDAs and values, and the DA classes of struct members.
#include <set>

#include "core/scl_value_types.h"
#include "import/import_util.h"
#include "import/kiln_import.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using namespace kiln::import;

namespace {

// True when the text is an xs:int: an optional sign and digits, within 32 bits.
bool IsXsInt(const std::string& text) {
    const size_t digits = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
    if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos) return false;
    const size_t first = text.find_first_not_of('0', digits);
    if (first == std::string::npos) return true;
    if (text.size() - first > 10) return false;
    const long long value = std::stoll(text.substr(first));
    return text[0] == '-' ? value <= 2147483648LL : value <= 2147483647LL;
}

}  // namespace

bool CKiln_Import::Import_EnumType(CKiln_Main* app, URI_Ref enumType, XmlNode node, CString ord) {
    if (node.IsNull() || enumType.IsEmpty()) return true;
    if (!ord.IsEmpty()) app->DocMtd_Modify_attribute_value(enumType, kRoleOrd, ord);
    CString desc, id;
    ReadAttr(node, "desc", desc);
    ReadAttr(node, "id", id);
    app->Mtd_SetStatusBarText("正在导入TypePackage下 EnumType: " + id);
    app->DocMtd_Modify_attribute_value(enumType, "cim:Naming.description", desc);
    std::set<std::string> ords;  // by value: "2", "02" and "+2" are one to SCL
    for (const XmlNode& ev : Children(node, "EnumVal")) {
        CString text, evOrd, evDesc;
        Get_NodeText(ev, ".", text);
        ReadAttr(ev, "ord", evOrd);
        // An order number the model cannot hold is left out, with its value;
        // one SCL holds once is kept and named.
        const CString who = "错误：ICD文件:  EnumType:" + id;
        if (!IsXsInt(evOrd.str())) {
            AddOtherError(who, "EnumVal " + text + "的ord“" + evOrd + "”不是整数，未导入");
            continue;
        }
        if (!ords.insert(kiln::core::SclWholeNumberKey(evOrd.str())).second)
            AddOtherError(who, "EnumVal " + text + "的ord " + evOrd + "重复");
        URI_Ref value;
        if (!app->NewRsc_EnumVal(&value, enumType, evOrd)) continue;
        app->DocMtd_Modify_attribute_value(value, "sec:EnumVal.val", text);
        // A value without text is written back without one, not under its name.
        if (text.IsEmpty()) app->DocMtd_Modify_attribute_value(value, kRoleName, text);
        if (ReadAttr(ev, "desc", evDesc)) app->DocMtd_Modify_attribute_value(value, "cim:Naming.description", evDesc);
    }
    return true;
}

bool CKiln_Import::IsStandardEnumType(CKiln_Main* app, const XmlNode& node, const CString& id) {
    auto known = m_mapKnownEnumTypes.find(id.Find("850EN_") >= 0 ? id : "850EN_" + id);
    if (known == m_mapKnownEnumTypes.end()) return false;
    // Descriptions count too: a copy that describes itself or its values
    // otherwise is the file's own, so that the export writes them back.
    const char* const kDesc = "cim:Naming.description";
    if (AttrText(node, "desc") != app->DocMtd_getValue_ofAttr(known->second, kDesc)) return false;
    const std::vector<XmlNode> values = Children(node, "EnumVal");
    const std::vector<URI_Ref> standard = MembersByOrd(app, known->second, "sec:EnumType.EnumVals");
    if (values.size() != standard.size()) return false;
    for (size_t i = 0; i < values.size(); ++i) {
        CString text;
        Get_NodeText(values[i], ".", text);
        if (AttrText(values[i], "ord") != app->DocMtd_getValue_ofAttr(standard[i], kRoleOrd) ||
            text != app->DocMtd_getValue_ofAttr(standard[i], "sec:EnumVal.val") ||
            AttrText(values[i], "desc") != app->DocMtd_getValue_ofAttr(standard[i], kDesc))
            return false;
    }
    return true;
}

bool CKiln_Import::Import_DAType(CKiln_Main* app, URI_Ref daType, XmlNode node, CString ord, bool bLoadDepends) {
    if (node.IsNull() || daType.IsEmpty()) return true;
    if (bLoadDepends) LoadDependTypes(app, app->DocMtd_getFirstUri_ofAsso(daType, "sec:DAType.TypePackage"), false);
    if (!ord.IsEmpty()) app->DocMtd_Modify_attribute_value(daType, kRoleOrd, ord);
    app->DocMtd_Modify_attribute_value(daType, "sec:DAType.isInstType", "true");
    app->Mtd_SetStatusBarText("正在导入TypePackage下 DAType: " + AttrText(node, "id"));
    Report_MissingAttributes(node);
    CString text;
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(daType, "cim:Naming.description", text);
    if (ReadAttr(node, "iedType", text)) app->DocMtd_Modify_attribute_value(daType, "sec:DAType.iedType", text);
    long i = 0;
    for (const XmlNode& bda : Children(node, "BDA")) Import_BDA(app, daType, bda, Dec(++i));
    return true;
}

Struct_ImportShell* CKiln_Import::LinkMemberType(CKiln_Main* app, const URI_Ref& member, const CString& bType,
                                                 const CString& typeId, const char* kind, const CString& name) {
    const CString who = CString("错误：ICD文件:  ") + kind + ":" + name;
    if (bType.CompareNoCase("Struct") == 0) {
        auto it = m_mapNewDATypes.find(typeId);
        if (it == m_mapNewDATypes.end() || it->second.m_uShell.IsEmpty()) {
            AddOtherError(who, "未找到DAType:" + typeId);
            return nullptr;
        }
        app->DocMtd_add_Association(member, "sec:BDA.DefinedBy_Struct", it->second.m_uShell);
        return &it->second;
    }
    if (bType.CompareNoCase("Enum") == 0) {
        // The file's own copy of a standard enumeration (one whose values
        // differ) comes first, then the standard's, then the chain's.
        auto own = m_mapNewEnumTypes.find(typeId);
        const bool ownOfFile =
            own != m_mapNewEnumTypes.end() && own->second.m_uShell.IsSet() && !own->second.m_pNode.IsNull();
        const CString stdKey = typeId.Find("850EN_") >= 0 ? typeId : "850EN_" + typeId;
        auto known = m_mapKnownEnumTypes.find(stdKey);
        if (known != m_mapKnownEnumTypes.end() && !ownOfFile) {
            app->DocMtd_add_Association(member, "sec:BDA.DefinedBy_EnumType", known->second);
            return nullptr;
        }
        if (own != m_mapNewEnumTypes.end() && own->second.m_uShell.IsSet())
            app->DocMtd_add_Association(member, "sec:BDA.DefinedBy_EnumType", own->second.m_uShell);
        else
            AddOtherError(who, "未找到EnumType:" + typeId);
    }
    return nullptr;
}

void CKiln_Import::ImportMemberVals(CKiln_Main* app, const URI_Ref& owner, const XmlNode& node,
                                    const CString& valueRole) {
    long i = 0;
    for (const XmlNode& val : node.ChildElements("Val")) {
        if (i == 0) {
            CString text;
            Get_NodeText(val, ".", text);
            app->DocMtd_Modify_attribute_value(owner, valueRole, text);
        }
        Import_Val(app, owner, val, Dec(++i));
    }
}

bool CKiln_Import::Import_BDA(CKiln_Main* app, URI_Ref daType, XmlNode node, CString ord) {
    URI_Ref bda;
    if (!app->NewRsc_BDA(&bda, daType, "")) return true;
    app->DocMtd_Modify_attribute_value(bda, kRoleOrd, ord);
    CString name, bType, typeId, text;
    if (ReadAttr(node, "name", name)) app->DocMtd_Modify_attribute_value(bda, kRoleName, name);
    if (ReadAttr(node, "bType", bType)) {
        if (!m_setBasicTypes.count(bType))
            AddOtherError("错误：ICD文件:  DA:" + name, "bType指定错误,在850标准无 " + bType + " 类型。");
        app->DocMtd_Modify_attribute_value(bda, "sec:BDA.bType", ModelEnum("PreBasicTypeEnum", bType));
        if (ReadAttr(node, "type", typeId)) LinkMemberType(app, bda, bType, typeId, "BDA", name);
    }
    if (ReadAttr(node, "valKind", text))
        app->DocMtd_Modify_attribute_value(bda, "sec:BDA.valKind", ModelEnum("ValKindEnum", text));
    if (ReadAttr(node, "count", text)) app->DocMtd_Modify_attribute_value(bda, "sec:BDA.count", text);
    if (ReadAttr(node, "sAddr", text)) app->DocMtd_Modify_attribute_value(bda, "sec:BDA.sAddr", text);
    if (ReadAttr(node, "valImport", text))
        app->DocMtd_Modify_attribute_value(bda, "sec:BDA.valImport",
                                           IsTrueText(text) || text == "1" ? "true" : "false");
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(bda, "cim:Naming.description", text);
    ImportMemberVals(app, bda, node, "sec:BDA.valueStr");
    return true;
}

bool CKiln_Import::Import_Val(CKiln_Main* app, URI_Ref owner, XmlNode node, CString ord) {
    URI_Ref val;
    // Numbered as read: the creator need not look at the values before.
    if (!app->NewRsc_Val(&val, owner, ord)) return true;
    CString text;
    Get_NodeText(node, ".", text);
    app->DocMtd_Modify_attribute_value(val, "sec:Val.sValue", text);
    // A value's own description goes where the property editor shows it.
    if (ReadAttr(node, "desc", text)) app->DocMtd_Modify_attribute_value(val, "sec:Val.desc", text);
    if (ReadAttr(node, "sGroup", text)) app->DocMtd_Modify_attribute_value(val, "sec:Val.sGroup", text);
    return true;
}

bool CKiln_Import::Link_StructBDAs(CKiln_Main* app, URI_Ref daClass, XmlNode node) {
    if (node.IsNull()) return true;
    ImportNameTable classBDAs;
    AddMembersByName(app, daClass, "sec:DAType.Contains_BDAs", classBDAs);
    for (const XmlNode& bda : Children(node, "BDA")) {
        CString bType, name, typeId;
        if (!ReadAttr(bda, "bType", bType) || bType != "Struct") continue;
        if (!ReadAttr(bda, "name", name) || !ReadAttr(bda, "type", typeId)) continue;
        auto member = classBDAs.find(name);
        auto entry = m_mapNewDATypes.find(typeId);
        if (member == classBDAs.end() || entry == m_mapNewDATypes.end() || entry->second.m_uShell.IsEmpty()) continue;
        URI_Ref memberClass = app->DocMtd_getFirstUri_ofAsso(member->second, "sec:BDA.DefinedBy_Struct");
        URI_Ref hasClass = app->DocMtd_getFirstUri_ofAsso(entry->second.m_uShell, "sec:DAType.ClassOf_DAType");
        if (memberClass.IsEmpty() || hasClass.IsSet() || entry->second.m_uClass.IsSet()) continue;
        // A type gets its class once in a run, so the descent ends.
        app->DocMtd_add_Association(entry->second.m_uShell, "sec:DAType.ClassOf_DAType", memberClass);
        entry->second.m_uClass = memberClass;
        Link_StructBDAs(app, memberClass, entry->second.m_pNode);
    }
    return true;
}

bool CKiln_Import::Link_AllStructBDAs(CKiln_Main* app) {
    for (auto& [id, shell] : m_mapNewDATypes)
        if (shell.m_uClass.IsSet()) Link_StructBDAs(app, shell.m_uClass, shell.m_pNode);
    // The BDAs of a type that now has its class keep the presence conditions
    // of the class's BDAs, as those of a type made from the class do.
    for (auto& [id, shell] : m_mapNewDATypes) {
        if (shell.m_uClass.IsEmpty() || shell.m_pNode.IsNull()) continue;
        ImportNameTable classBDAs;
        AddMembersByName(app, shell.m_uClass, "sec:DAType.Contains_BDAs", classBDAs);
        for (const URI_Ref& bda : MembersByOrd(app, shell.m_uShell, "sec:DAType.Contains_BDAs")) {
            auto member = classBDAs.find(app->DocMtd_getValue_ofAttr(bda, kRoleName));
            if (member != classBDAs.end()) CopyPresence(app, member->second, bda, "sec:BDA.presence");
        }
    }
    return true;
}
