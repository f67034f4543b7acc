// The content of DataTypeTemplates: LNodeType, DOType, DAType and EnumType
// elements, either the types an exported IED uses or one type package whole.
#include "core/kiln_main.h"
#include "export/export_util.h"
#include "export/kiln_export.h"

using namespace kiln::exporter;

namespace {

// Enumeration types of the standard definitions carry "850EN_" in front of
// their SCL id.
CString EnumId(const CString& name) { return name.Find("850EN_") == 0 ? name.Mid(6) : name; }

// The values of a DA or BDA, each with its setting group, in their order.
bool WriteVals(CKiln_Main* pMain, CBase_XML& xml, const XmlNode& element, const std::vector<URI_Ref>& vals) {
    for (const URI_Ref& v : vals) {
        const CString group = Attr(pMain, v, "sec:Val.sGroup");
        XmlNode val = xml.AddNewNode_withAttr(element, "Val", group.IsEmpty() ? CString() : CString("sGroup"));
        if (!val) return false;
        if (!group.IsEmpty() && !Put(xml, val, "sGroup", group)) return false;
        if (!xml.Write_NodeValueString(val, ".", Attr(pMain, v, "sec:Val.sValue"))) return false;
    }
    return true;
}

}  // namespace

bool CKiln_Export::SkipsType(CKiln_Main* pMain, const URI_Ref& type, const char* role) const {
    return !m_bIcdForm && Attr(pMain, type, role).CompareNoCase("false") == 0;
}

bool CKiln_Export::Export_ICD_TypePackages(const XmlNode& node, CKiln_Main* pMain, CBase_XML& xml,
                                           const URI_Ref& /*icd*/) {
    if (!node) return false;
    m_bIcdForm = true;
    // The lists grow while they are written: each loop reads the size anew.
    for (size_t i = 0; i < m_lnTypeList.size(); ++i)
        if (!Export_LNodeType(node, pMain, xml, m_lnTypeList[i])) return false;
    for (size_t i = 0; i < m_doTypeList.size(); ++i)
        if (!Export_DOType(node, pMain, xml, m_doTypeList[i])) return false;
    for (size_t i = 0; i < m_daTypeList.size(); ++i)
        if (!Export_DAType(node, pMain, xml, m_daTypeList[i])) return false;
    for (size_t i = 0; i < m_enumTypeList.size(); ++i)
        if (!Export_EnumType(node, pMain, xml, m_enumTypeList[i])) return false;
    return true;
}

bool CKiln_Export::Export_Alone_TypePackage(const XmlNode& node, CKiln_Main* pMain, CBase_XML& xml,
                                            const URI_Ref& package, bool bWithBaseLDevices) {
    if (!node) return false;
    m_bIcdForm = false;
    std::vector<URI_Ref> lnTypes, devices, doTypes, daTypes, enumTypes;
    if (!Members(pMain, package, "sec:TypePackage.LNodeTypes", lnTypes)) return false;
    if (bWithBaseLDevices) {
        Members(pMain, package, "sec:TypePackage.Base_LDevices", devices);
        for (const URI_Ref& ld : devices)
            if (!Export_LDevice(pMain, node, xml, ld, true)) return false;
    }
    for (const URI_Ref& t : lnTypes)
        if (!Export_LNodeType(node, pMain, xml, t)) return false;
    if (!Members(pMain, package, "sec:TypePackage.DOTypes", doTypes)) return false;
    for (const URI_Ref& t : doTypes)
        if (!Export_DOType(node, pMain, xml, t)) return false;
    if (!Members(pMain, package, "sec:TypePackage.DATypes", daTypes)) return false;
    for (const URI_Ref& t : daTypes)
        if (!Export_DAType(node, pMain, xml, t)) return false;
    if (!Members(pMain, package, "sec:TypePackage.EnumTypes", enumTypes)) return false;
    std::set<std::string> ids;
    for (const URI_Ref& t : enumTypes) {
        if (!Export_EnumType(node, pMain, xml, t)) return false;
        ids.insert(EnumId(Attr(pMain, t, kiln::core::kRoleName)).str());
    }
    // Then the enumerations referenced from other packages, once per id.
    for (size_t i = 0; i < m_enumTypeList.size(); ++i) {
        const URI_Ref t = m_enumTypeList[i];
        if (!ids.insert(EnumId(Attr(pMain, t, kiln::core::kRoleName)).str()).second) continue;
        if (!Export_EnumType(node, pMain, xml, t)) return false;
    }
    return true;
}

bool CKiln_Export::Export_LNodeType(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& type) {
    CString name;
    if (!ReadName(pMain, type, name)) return false;
    if (SkipsType(pMain, type, "sec:LNodeType.isInstType")) return true;
    const CString desc = Attr(pMain, type, "cim:Naming.description");
    // The iedType a file gave the type (none when it gave none), else the
    // name of the IED whose ICD owns the type's package.
    CString iedName = Attr(pMain, type, "sec:LNodeType.iedType");
    const bool read = Attr(pMain, type, "sec:LNodeType.iedTypeRead").CompareNoCase("true") == 0;
    if (iedName.IsEmpty() && !read) {
        const URI_Ref icd = pMain->DocMtd_getFirstUri_ofAsso(type, "sec:LNodeType.TypePackage/sec:TypePackage.ICD");
        if (icd.IsSet()) iedName = FirstName(pMain, icd, "sec:ICD.IED");
    }
    const bool withIedType = !read || !iedName.IsEmpty();
    const CString base = FirstName(pMain, type, "sec:LNodeType.Abstract_Type");
    const CString lnClass = kiln::core::LnClassOfType(*pMain, type);

    CStringArray attrs = Names({"id"});
    if (withIedType) attrs.Add("iedType");
    // A type without a class is written without one; the breaches name it.
    if (!lnClass.IsEmpty()) attrs.Add("lnClass");
    if (!base.IsEmpty()) attrs.Add("zScl:base");
    attrs.Add("desc");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "LNodeType", attrs);
    if (!element) return false;
    Put(xml, element, "id", name);
    if (withIedType) Put(xml, element, "iedType", iedName);
    if (!lnClass.IsEmpty()) Put(xml, element, "lnClass", lnClass);
    if (!base.IsEmpty()) Put(xml, element, "zScl:base", base);
    Put(xml, element, "desc", desc);

    // The DOs of the type, then those of its base types; a DO named like one
    // a type nearer in the chain wrote is the same data object and is left
    // out. A second DO of one name in one type SCL cannot hold: it is left
    // out and named.
    std::vector<URI_Ref> chain;
    pMain->Get_AbstractTypes(type, &chain, "sec:LNodeType.Abstract_Type");
    std::set<std::string> written;
    for (const URI_Ref& t : chain) {
        std::vector<URI_Ref> dos;
        if (!Members(pMain, t, "sec:LNodeType.DOs", dos)) return false;
        std::set<std::string> own;
        for (const URI_Ref& d : dos) {
            const CString doName = Attr(pMain, d, kiln::core::kRoleName);
            if (!own.insert(doName.str()).second)
                m_vLeftOut.push_back("DO（LN类型中已有同名DO）：" + Attr(pMain, t, kiln::core::kRoleName) + "." + doName);
            if (!written.insert(doName.str()).second) continue;
            if (!Export_DO(element, pMain, xml, d)) return false;
        }
    }
    return true;
}

bool CKiln_Export::Export_DO(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& dataObject) {
    CString name;
    if (!ReadName(pMain, dataObject, name)) return false;
    const CString desc = Attr(pMain, dataObject, "cim:Naming.description");
    const CString type = FirstName(pMain, dataObject, "sec:DO.DefinedBy_DOType");
    Get_m_doTypeList(pMain, dataObject);
    // What an imported DO's file said of access and transience, as it said
    // it; nothing where it said nothing.
    const CString accessControl = Attr(pMain, dataObject, "sec:DO.accessControl");
    const CString transient = Attr(pMain, dataObject, "sec:DO.transient");
    CStringArray attrs = Names({"name", "type"});
    if (!accessControl.IsEmpty()) attrs.Add("accessControl");
    if (!transient.IsEmpty()) attrs.Add("transient");
    attrs.Add("desc");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "DO", attrs);
    if (!element) return false;
    Put(xml, element, "name", name);
    Put(xml, element, "type", type);
    if (!accessControl.IsEmpty()) Put(xml, element, "accessControl", accessControl);
    if (!transient.IsEmpty()) Put(xml, element, "transient", transient);
    Put(xml, element, "desc", desc);
    return true;
}

bool CKiln_Export::Get_m_doTypeList(CKiln_Main* pMain, const URI_Ref& member) {
    CollectTypes(pMain, member, m_doTypeList, m_doTypeUris, "sec:DOType.Contains_SDOs");
    return true;
}

bool CKiln_Export::Get_m_daTypeList(CKiln_Main* pMain, const URI_Ref& member) {
    CollectTypes(pMain, member, m_daTypeList, m_daTypeUris, "sec:DAType.Contains_BDAs");
    return true;
}

void CKiln_Export::CollectTypes(CKiln_Main* pMain, const URI_Ref& member, std::vector<URI_Ref>& list,
                                std::set<std::string>& uris, const char* membersRole) {
    // Depth first, in member order, with a stack of its own: the list holds
    // each type once, and a type it holds was taken with those below it.
    std::vector<URI_Ref> pending{member};
    while (!pending.empty()) {
        const URI_Ref m = pending.back();
        pending.pop_back();
        const char* role = m.sClass == "sec:SDO" ? "sec:SDO.DefinedBy_DOType"
                           : m.sClass == "sec:DO" ? "sec:DO.DefinedBy_DOType"
                                                  : "sec:BDA.DefinedBy_Struct";
        const URI_Ref type = pMain->DocMtd_getFirstUri_ofAsso(m, role);
        if (type.IsEmpty() || uris.count(type.sUri)) continue;
        AddOnce(list, uris, type);
        std::vector<URI_Ref> members;
        Members(pMain, type, membersRole, members);
        pending.insert(pending.end(), members.rbegin(), members.rend());
    }
}

bool CKiln_Export::Export_DOType(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& type) {
    CString name;
    if (!ReadName(pMain, type, name)) return false;
    if (SkipsType(pMain, type, "sec:DOType.isInstType")) return true;
    const CString desc = Attr(pMain, type, "cim:Naming.description");
    const CString cdc = kiln::core::CdcOfType(*pMain, type);
    const CString iedType = Attr(pMain, type, "sec:DOType.iedType");
    CStringArray attrs = Names({"id"});
    if (!iedType.IsEmpty()) attrs.Add("iedType");
    if (!cdc.IsEmpty()) attrs.Add("cdc");
    attrs.Add("desc");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "DOType", attrs);
    if (!element) return false;
    Put(xml, element, "id", name);
    if (!iedType.IsEmpty()) Put(xml, element, "iedType", iedType);
    if (!cdc.IsEmpty()) Put(xml, element, "cdc", cdc);
    Put(xml, element, "desc", desc);

    std::vector<URI_Ref> das, sdos;
    if (!Members(pMain, type, "sec:DOType.Contains_DAs", das)) return false;
    if (!Members(pMain, type, "sec:DOType.Contains_SDOs", sdos)) return false;
    auto writeSdo = [&](const URI_Ref& s) {
        const CString count = Attr(pMain, s, "sec:SDO.count");
        CStringArray sdoAttrs = Names({"name", "type", "desc"});
        if (!count.IsEmpty()) sdoAttrs.Add("count");
        XmlNode sdo = xml.AddNewNode_withAttrs(element, "SDO", sdoAttrs);
        if (!sdo) return false;
        Put(xml, sdo, "name", Attr(pMain, s, kiln::core::kRoleName));
        Put(xml, sdo, "type", FirstName(pMain, s, "sec:SDO.DefinedBy_DOType"));
        Put(xml, sdo, "desc", Attr(pMain, s, "cim:Naming.description"));
        if (!count.IsEmpty()) Put(xml, sdo, "count", count);
        return true;
    };
    // The members in the order across both kinds that the type keeps (one
    // letter a member), each kind in its own order; a member the letters do
    // not reach follows: the DAs, then the SDOs.
    size_t nextDa = 0, nextSdo = 0;
    const CString kinds = Attr(pMain, type, "sec:DOType.memberKinds");
    for (int k = 0; k < kinds.GetLength(); ++k) {
        if (kinds[k] == 'A' && nextDa < das.size() && !Export_DA(element, pMain, xml, das[nextDa++], false))
            return false;
        if (kinds[k] == 'S' && nextSdo < sdos.size() && !writeSdo(sdos[nextSdo++])) return false;
    }
    for (; nextDa < das.size(); ++nextDa)
        if (!Export_DA(element, pMain, xml, das[nextDa], false)) return false;
    for (; nextSdo < sdos.size(); ++nextSdo)
        if (!writeSdo(sdos[nextSdo])) return false;
    return true;
}

bool CKiln_Export::Export_DA(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& member,
                             bool bAsBDA) {
    CString name;
    if (!ReadName(pMain, member, name)) return false;
    const bool bDA = member.sClass == "sec:DA";
    const CString desc = Attr(pMain, member, "cim:Naming.description");
    const CString sAddr = Attr(pMain, member, "sec:BDA.sAddr");
    const CString fc = bDA ? Reduce(Attr(pMain, member, "sec:DA.fc_0")) : CString();
    const CString bType = Reduce(Attr(pMain, member, "sec:BDA.bType"));
    const CString trg = bDA ? Reduce(Attr(pMain, member, "sec:DA.trgOp")) : CString();
    const CString valKind = Reduce(Attr(pMain, member, "sec:BDA.valKind"));
    const CString valImport = Attr(pMain, member, "sec:BDA.valImport");
    // An array's size as the file gave it, or as the definitions give it
    // to a member made from them.
    const CString count = Attr(pMain, member, "sec:BDA.count");

    CString type;
    if (bType == "Enum") {
        const URI_Ref enumType = pMain->DocMtd_getFirstUri_ofAsso(member, "sec:BDA.DefinedBy_EnumType");
        if (enumType.IsSet()) {
            type = EnumId(Attr(pMain, enumType, kiln::core::kRoleName));
            AddOnce(m_enumTypeList, m_enumTypeUris, enumType);
        }
    } else if (bType == "Struct") {
        type = FirstName(pMain, member, "sec:BDA.DefinedBy_Struct");
        if (bDA) Get_m_daTypeList(pMain, member);
    }

    std::vector<const char*> triggers;
    if (trg == "DChg") triggers.push_back("dchg");
    if (trg.Find("QChg") >= 0) triggers.push_back("qchg");
    if (trg.Find("DChg_DUpd") >= 0) {
        triggers.push_back("dupd");
        triggers.push_back("dchg");
    }
    if (trg == "DUpd") triggers.push_back("dupd");

    CStringArray attrs = Names({"name", "desc"});
    if (!fc.IsEmpty()) attrs.Add("fc");
    attrs.Add("bType");
    if (!sAddr.IsEmpty()) attrs.Add("sAddr");
    for (const char* t : triggers) attrs.Add(t);
    if (!type.IsEmpty()) attrs.Add("type");
    if (!valKind.IsEmpty()) attrs.Add("valKind");
    if (!count.IsEmpty()) attrs.Add("count");
    if (!valImport.IsEmpty()) attrs.Add("valImport");
    XmlNode element = xml.AddNewNode_withAttrs(parent, bAsBDA ? "BDA" : "DA", attrs);
    if (!element) return false;
    Put(xml, element, "name", name);
    Put(xml, element, "desc", desc);
    if (!fc.IsEmpty()) Put(xml, element, "fc", fc);
    Put(xml, element, "bType", bType);
    if (!type.IsEmpty()) Put(xml, element, "type", type);
    for (const char* t : triggers) Put(xml, element, t, "true");
    if (!sAddr.IsEmpty()) Put(xml, element, "sAddr", sAddr);
    if (!valKind.IsEmpty()) Put(xml, element, "valKind", valKind);
    if (!count.IsEmpty()) Put(xml, element, "count", count);
    if (!valImport.IsEmpty()) Put(xml, element, "valImport", valImport);

    // The member's values as the model keeps them (a file's, with their
    // setting groups); without any, its own value.
    std::vector<URI_Ref> vals;
    if (!Members(pMain, member, "sec:BDA.Vals", vals)) return false;
    if (!vals.empty()) return WriteVals(pMain, xml, element, vals);
    CString value;
    if (!pMain->DocMtd_get_attribute_value(member, "sec:BDA.valueStr", value)) return false;
    if (!value.IsEmpty() && !xml.Write_NodeValueString_withCreate(element, "Val", value)) return false;
    return true;
}

bool CKiln_Export::Export_DAType(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& type) {
    CString name;
    if (!ReadName(pMain, type, name)) return false;
    if (SkipsType(pMain, type, "sec:DAType.isInstType")) return true;
    const CString iedType = Attr(pMain, type, "sec:DAType.iedType");
    CStringArray attrs = Names({"id"});
    if (!iedType.IsEmpty()) attrs.Add("iedType");
    attrs.Add("desc");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "DAType", attrs);
    if (!element) return false;
    Put(xml, element, "id", name);
    if (!iedType.IsEmpty()) Put(xml, element, "iedType", iedType);
    Put(xml, element, "desc", Attr(pMain, type, "cim:Naming.description"));
    std::vector<URI_Ref> bdas;
    if (!Members(pMain, type, "sec:DAType.Contains_BDAs", bdas)) return false;
    for (const URI_Ref& b : bdas)
        if (!Export_DA(element, pMain, xml, b, true)) return false;
    return true;
}

bool CKiln_Export::Export_EnumType(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& type) {
    CString name;
    if (!ReadName(pMain, type, name)) return false;
    XmlNode element = xml.AddNewNode_withAttrs(parent, "EnumType", Names({"id", "desc"}));
    if (!element) return false;
    Put(xml, element, "id", EnumId(name));
    Put(xml, element, "desc", Attr(pMain, type, "cim:Naming.description"));
    std::vector<URI_Ref> values;
    if (!Members(pMain, type, "sec:EnumType.EnumVals", values)) return false;
    for (const URI_Ref& v : values)
        if (!Export_EnumVals(element, pMain, xml, v)) return false;
    return true;
}

bool CKiln_Export::Export_EnumVals(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& value) {
    CString name;
    if (!ReadName(pMain, value, name)) return false;
    const CString desc = Attr(pMain, value, "cim:Naming.description");
    const CString ord = Attr(pMain, value, kiln::core::kRoleOrd);
    CString text = Attr(pMain, value, "sec:EnumVal.val");
    if (text.IsEmpty()) text = name;
    CStringArray attrs = Names({"ord"});
    if (!desc.IsEmpty()) attrs.Add("desc");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "EnumVal", attrs);
    if (!element) return false;
    Put(xml, element, "ord", ord);
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);
    return xml.Write_NodeValueString(element, ".", text);
}
