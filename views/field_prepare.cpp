// The preparation of a property field's edit: the guards, the edit levels,
// the order in which the families of editors are tried, the free-text
// default and the rules for names.
#include <set>
#include <string>

#include "views/property_editor.h"
#include "views/view_helpers.h"

namespace {

// Classes whose fields cannot be edited at all above edit level 1.
const std::set<std::string> kTypeAndModelClasses = {
    "sec:LNode", "sec:LDevice", "sec:LNodeType", "sec:DOType", "sec:EnumType", "sec:DAType",
    "sec:DO",    "sec:SDO",     "sec:DA",        "sec:BDA",    "sec:Val"};

// Classes whose other attributes may still be edited at edit level 2.
const std::set<std::string> kLevel2Classes = {"sec:IED",  "sec:LDevice", "sec:LNode",    "sec:DataSet",
                                              "sec:FCDA", "sec:LCB",     "sec:RCB",      "sec:ClientLN",
                                              "sec:DOI",  "sec:DAI",     "sec:ExtRef"};

// Fields the exports write from elsewhere, so an edit could never reach a
// file: a node's type text (its type link's name), an ICD's revision (the
// text after "_Rev" of its name), a DAI's fc (its DA's) and the node a
// data-set member names (its node link's).
const std::set<std::string> kDerivedFields = {"sec:LNode.lnType", "sec:ICD.icdRevision", "sec:DAI.fc",
                                              "sec:FCDA.ldInst",  "sec:FCDA.lnClass",    "sec:FCDA.lnInst",
                                              "sec:FCDA.memberRef",
                                              // A DAI's DA class and a DOI's CDC, those of its member's type.
                                              "sec:DAI.daType", "sec:DOI.cdcType",
                                              // A value's description, the name of the enumeration value it
                                              // holds, set with the value.
                                              "sec:BDA.valueDesc", "sec:DAI.valueDesc", "sec:Val.desc",
                                              // An ICD's product type, its IED's type.
                                              "sec:ICD.productType"};

// Fields the model keeps for itself, which no file holds: whether a type is
// a standard class or an instance type (fixed when it is made), whether an
// LN type's IED type came from a file, an inherited DO's mark and a
// semantic entry's description.
const std::set<std::string> kBookkeepingFields = {
    "sec:TypePackage.isInstType", "sec:LNodeType.isInstType", "sec:DOType.isInstType", "sec:DAType.isInstType",
    "sec:LNodeType.iedTypeRead",  "sec:DO.derivate",          "sec:DO.SemanticDesc",
    // What marks the standard package, a device or an LN type kept as a
    // type of a declaration package, and the order of a DO type's DAs and
    // SDOs read from a file (its members' orders move them).
    "sec:TypePackage.ref", "sec:LDevice.isAbstract", "sec:LNodeType.isAbstract", "sec:DOType.memberKinds",
    // A member's semantic space: set where the member is read or made, it
    // marks a member beyond its standard class, which the MICS document
    // leaves out; no file holds its text.
    "sec:DO.SemanticNs", "sec:SDO.SemanticNs", "sec:BDA.SemanticNs"};

// Classes no file writes: signal lists and their signals, setting groups
// and their values, and GOOSE and sampled-value control blocks (which the
// ICD export leaves out and names).
const std::set<std::string> kUnwrittenClasses = {"sec:SignalList",  "sec:InSignal", "sec:OutSignal", "sec:SettingGroup",
                                                 "sec:SettingData", "sec:GSE",      "sec:SV"};

// Whether a field of the class is one no file holds: a path name (an
// information item is written by its id); a server, a setting group block,
// a member, a report client and a value have no name in a file, an
// enumeration value its text and code, an ICD's IED the template's, an
// information table and a mapping the ICD's; a member's, a value's, an ICD's,
// a type package's, an information table's and a mapping's description
// stands nowhere (a server's is its devices'); a structure member's and a
// sub-data object's presence are their standard member's.
bool Unwritten(const std::string& cls, const CString& field) {
    if (field == "cim:Naming.pathName") return true;
    static const std::set<std::string> nameless = {"sec:Server", "sec:SGCB", "sec:FCDA", "sec:ClientLN", "sec:Val",
                                                   "sec:EnumVal", "sec:IED", "sec:ITB", "sec:M2I"};
    if (field == "cim:Naming.name") return nameless.count(cls) > 0;
    static const std::set<std::string> undescribed = {"sec:FCDA", "sec:Val", "sec:Server", "sec:ICD",
                                                      "sec:TypePackage", "sec:ITB", "sec:M2I"};
    if (field == "cim:Naming.description") return undescribed.count(cls) > 0;
    if (cls == "sec:SDO") return field == "sec:SDO.presence";
    return cls == "sec:BDA" && field == "sec:BDA.presence";
}

// A name-semantic entry of an instance package records the name and
// description of a data object its import read beyond the object's class;
// no file writes the entry (the object's own name and description are).
bool RecordedSemantic(CKiln_Main& app, const URI_Ref& rsc) {
    const char* pkgRole = rsc.sClass == "sec:DOSemantic"   ? "sec:DOSemantic.TypePackage"
                          : rsc.sClass == "sec:DASemantic" ? "sec:DASemantic.TypePackage"
                                                           : nullptr;
    if (!pkgRole) return false;
    URI_Ref pkg = app.DocMtd_getFirstUri_ofAsso(rsc, pkgRole);
    return pkg.IsSet() && app.Is_InstType(pkg);
}

// Whether "cim:Naming.name" of the resource may be edited.
bool NameEditable(CKiln_Main& app, URI_Ref rsc) {
    const std::string& cls = rsc.sClass;
    const char* pkgPath = cls == "sec:DO"    ? "sec:DO.LNodeType/sec:LNodeType.TypePackage"
                          : cls == "sec:SDO" ? "sec:SDO.MemberOf_DOType/sec:DOType.TypePackage"
                          : cls == "sec:DA"  ? "sec:DA.MemberOf_DOType/sec:DOType.TypePackage"
                          : cls == "sec:BDA" ? "sec:BDA.MemberOf_DAType/sec:DAType.TypePackage"
                                             : nullptr;
    if (pkgPath) {
        URI_Ref pkg = app.DocMtd_getFirstUri_ofAsso(rsc, pkgPath);
        // Members of instance types keep the names of their standard members,
        // except a DO of a name-space extension.
        if (pkg.IsSet() && app.Is_InstType(pkg))
            return cls == "sec:DO" && !app.DocMtd_getValue_ofAttr(rsc, "sec:DO.SemanticNs").IsEmpty();
    }
    if (cls == "sec:DOI" || cls == "sec:DAI") return false;
    if (cls == "sec:LNodeType") {
        CString inst = app.DocMtd_getValue_ofAttr(rsc, "sec:LNodeType.isInstType");
        if (app.DocMtd_getFirstUri_ofAsso(rsc, "sec:LNodeType.Abstract_Type").IsSet() && inst.MakeLower() == "false")
            return false;
    }
    return true;
}

}  // namespace

bool CKiln_Main::HtmlMsg_OnPrepareEditField(CBase_Cmd* pView, URI_Ref rsc, CString field, CString,
                                            Struct_EditPack* pPack) {
    using namespace kiln::views;
    if (!pPack) return false;
    Struct_EditPack& pack = *pPack;
    pack.vList.Clear();
    if (m_nEditLevel != 1 && kTypeAndModelClasses.count(rsc.sClass)) return false;
    if (rsc.IsEmpty() || !DomainEditable(*this, rsc)) return false;
    if (field.IsEmpty() || kDerivedFields.count(field.str()) || kBookkeepingFields.count(field.str())) return false;
    if (kUnwrittenClasses.count(rsc.sClass) || Unwritten(rsc.sClass, field) || RecordedSemantic(*this, rsc))
        return false;
    // The SDI fields of a DAI that stands in no SDI.
    if (rsc.sClass == "sec:DAI" && SdiPartSeparator(field) && SdiLevels(*this, rsc) == 0) return false;

    if (field == "sec:Val" && (rsc.sClass == "sec:DA" || rsc.sClass == "sec:BDA"))
        if (auto made = OnDemandValue(*this, pView, rsc)) return *made;
    if (field == "sec:LNode.DOIs" && rsc.sClass == "sec:LNode")
        if (auto made = OnDemandDOI(*this, pView, pack, rsc)) return *made;
    if (rsc.sClass == "sec:DOI" && ContainsAfterFirst(field, "[") && ContainsAfterFirst(field, "]"))
        return OnDemandDAI(*this, pView, rsc, field);

    Struct_AttrDfn attr;
    if (!DocMtd_Get_AttrDfn(CString(rsc.sClass), field, attr)) {
        Struct_AssoDfn asso;
        if (!DocMtd_Get_AssoDfn(CString(rsc.sClass), field, asso)) return false;
        return AssociationList(*this, pView, rsc, field, pack);
    }

    if (field == "sec:BDA.bType" && m_nEditLevel == 1)
        if (auto listed = StructOrEnumTypeList(*this, rsc, pack)) return *listed;
    if (!attr.sText7.IsEmpty()) return EnumeratedAttrList(*this, rsc, field, attr, pack);
    if (m_nEditLevel == 3) return true;
    if (m_nEditLevel == 2) {
        if (!kLevel2Classes.count(rsc.sClass)) return true;
        if (rsc.sClass == "sec:ExtRef" && field == "cim:Naming.name") return true;
    }
    if (auto listed = ValueLists(*this, rsc, field, attr, pack)) return *listed;

    pack.nEditKind = 2;
    if (field != "cim:Naming.name") return true;
    return NameEditable(*this, rsc);
}
