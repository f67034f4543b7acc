#include "tests/editing/std_icd_builder.h"

#include <algorithm>
#include <set>

namespace kiln::model {

namespace {

constexpr const char* kName = "cim:Naming.name";
constexpr const char* kOrd = "e301:OrdNaming.ord";

CString Num(int n) {
    CString t;
    t.Format("%d", n);
    return t;
}

// The value name of an enumeration value ("...#FCType.ST" gives "ST").
CString ValueName(const CString& value) {
    const int dot = value.ReverseFind('.');
    return dot >= 0 ? value.Mid(dot + 1) : value;
}

}  // namespace

StdIcdBuilder::StdIcdBuilder(CDocServices& svc, URI_Ref stdPkg, CString typeDomain, CString icdDomain)
    : s(svc), m_stdPkg(std::move(stdPkg)), m_typeDomain(std::move(typeDomain)), m_icdDomain(std::move(icdDomain)) {}

bool StdIcdBuilder::Fail(const CString& what) {
    if (m_error.IsEmpty()) m_error = what + ": " + s.LastDocError();
    return false;
}

URI_Ref StdIcdBuilder::Create(const CString& domain, const char* cls, const CString& name, int ord) {
    URI_Ref out;
    if (!s.DocMtd_create_a_Rsc(domain, cls, out, name)) {
        Fail(CString("create ") + cls + " " + name);
        return URI_Ref();
    }
    ++resourceCount;
    if (ord > 0) SetValue(out, kOrd, Num(ord));
    return out;
}

bool StdIcdBuilder::Link(const URI_Ref& from, const char* role, const URI_Ref& to) {
    return s.DocMtd_add_Association(from, role, to) || Fail(CString("link ") + role);
}

bool StdIcdBuilder::SetValue(const URI_Ref& rsc, const char* role, const CString& value) {
    return s.DocMtd_Modify_attribute_value(rsc, role, value) || Fail(CString("set ") + role);
}

bool StdIcdBuilder::Wanted(const URI_Ref& d) {
    return !mandatoryOnly || ValueName(s.DocMtd_getValue_ofAttr(d, "sec:DO.presence")) == "M";
}

CString StdIcdBuilder::Name(const URI_Ref& rsc) { return s.DocMtd_getValue_ofAttr(rsc, kName); }

bool StdIcdBuilder::MakePackage(const CString& name) {
    package = Create(m_typeDomain, "sec:TypePackage", name, 0);
    return package.IsSet() && SetValue(package, "sec:TypePackage.isInstType", "true") &&
           Link(package, "sec:TypePackage.Depend_TypePackage", m_stdPkg);
}

URI_Ref StdIcdBuilder::StdEnumType(const CString& name) {
    std::vector<URI_Ref> enums;
    s.DocMtd_get_Association_BUris(m_stdPkg, "sec:TypePackage.EnumTypes", enums, kOrd, SortPolicy_ByOrd);
    for (const URI_Ref& e : enums)
        if (Name(e).str().ends_with(name.str())) return e;
    return URI_Ref();
}

URI_Ref StdIcdBuilder::DOTypeOf(const URI_Ref& cdc, std::vector<std::string>& onPath) {
    if (auto it = m_doTypes.find(cdc.sUri); it != m_doTypes.end()) return it->second;
    if (std::find(onPath.begin(), onPath.end(), cdc.sUri) != onPath.end()) return URI_Ref();
    onPath.push_back(cdc.sUri);
    URI_Ref type = Create(m_typeDomain, "sec:DOType", Name(package) + "_" + Name(cdc),
                          static_cast<int>(m_doTypes.size()) + 1);
    m_doTypes[cdc.sUri] = type;
    if (!Link(type, "sec:DOType.TypePackage", package) || !Link(type, "sec:DOType.ClassOf_DOType", cdc) ||
        !SetValue(type, "sec:DOType.isInstType", "true"))
        return URI_Ref();
    std::vector<URI_Ref> members;
    s.DocMtd_get_Association_BUris(cdc, "sec:DOType.Contains_SDOs", members, kOrd, SortPolicy_ByOrd);
    int ord = 0;
    for (const URI_Ref& sdo : members) {
        URI_Ref copy = Create(m_typeDomain, "sec:SDO", Name(sdo), ++ord);
        Link(copy, "sec:SDO.MemberOf_DOType", type);
        URI_Ref sdoCdc = s.DocMtd_getFirstUri_ofAsso(sdo, "sec:SDO.DefinedBy_DOType");
        if (sdoCdc.IsSet()) {
            URI_Ref sdoType = DOTypeOf(sdoCdc, onPath);
            if (sdoType.IsSet()) Link(copy, "sec:SDO.DefinedBy_DOType", sdoType);
        }
    }
    s.DocMtd_get_Association_BUris(cdc, "sec:DOType.Contains_DAs", members, kOrd, SortPolicy_ByOrd);
    ord = 0;
    for (const URI_Ref& da : members) {
        URI_Ref copy = Create(m_typeDomain, "sec:DA", Name(da), ++ord);
        Link(copy, "sec:DA.MemberOf_DOType", type);
        for (const char* role : {"sec:DA.fc_0", "sec:BDA.bType"}) {
            const CString value = s.DocMtd_getValue_ofAttr(da, role);
            if (!value.IsEmpty()) SetValue(copy, role, value);
        }
        // Structures and enumerations stay the standard's. A generic class
        // (ENS, ENC, ENG) leaves its enumeration to the DO, as the menus take
        // it from the DO's definition: one shared type takes BehaviourModeKind.
        for (const char* role : {"sec:BDA.DefinedBy_Struct", "sec:BDA.DefinedBy_EnumType"}) {
            URI_Ref target = s.DocMtd_getFirstUri_ofAsso(da, role);
            if (target.IsEmpty() && CString(role) == "sec:BDA.DefinedBy_EnumType" &&
                s.DocMtd_getValue_ofAttr(da, "sec:BDA.bType").str().ends_with(".Enum"))
                target = StdEnumType("BehaviourModeKind");
            if (target.IsSet()) Link(copy, role, target);
        }
    }
    onPath.pop_back();
    return type;
}

URI_Ref StdIcdBuilder::LNodeTypeOf(const CString& lnClass) {
    if (auto it = m_lnTypes.find(lnClass.str()); it != m_lnTypes.end()) return it->second;
    std::vector<URI_Ref> classes;
    s.DocMtd_get_Association_BUris(m_stdPkg, "sec:TypePackage.LNodeTypes", classes, kOrd, SortPolicy_ByOrd);
    URI_Ref cls;
    for (const URI_Ref& c : classes)
        if (Name(c) == lnClass) cls = c;
    if (cls.IsEmpty()) {
        Fail("no standard class " + lnClass);
        return URI_Ref();
    }
    URI_Ref type = Create(m_typeDomain, "sec:LNodeType", Name(package) + "_" + lnClass,
                          static_cast<int>(m_lnTypes.size()) + 1);
    m_lnTypes[lnClass.str()] = type;
    Link(type, "sec:LNodeType.TypePackage", package);
    Link(type, "sec:LNodeType.ClassOf_LNType", cls);
    SetValue(type, "sec:LNodeType.isInstType", "true");
    // The class's DOs and those it inherits, the first of each name.
    std::set<std::string> names;
    int ord = 0;
    std::set<std::string> passed;
    for (URI_Ref c = cls; c.IsSet() && passed.insert(c.sUri).second;
         c = s.DocMtd_getFirstUri_ofAsso(c, "sec:LNodeType.Abstract_Type")) {
        std::vector<URI_Ref> dos;
        s.DocMtd_get_Association_BUris(c, "sec:LNodeType.DOs", dos, kOrd, SortPolicy_ByOrd);
        for (const URI_Ref& d : dos) {
            if (!names.insert(Name(d).str()).second || !Wanted(d)) continue;
            URI_Ref copy = Create(m_typeDomain, "sec:DO", Name(d), ++ord);
            Link(copy, "sec:DO.LNodeType", type);
            std::vector<std::string> onPath;
            URI_Ref cdc = s.DocMtd_getFirstUri_ofAsso(d, "sec:DO.DefinedBy_DOType");
            URI_Ref doType = cdc.IsSet() ? DOTypeOf(cdc, onPath) : URI_Ref();
            if (doType.IsSet()) Link(copy, "sec:DO.DefinedBy_DOType", doType);
        }
    }
    return type;
}

bool StdIcdBuilder::MakeIcd(const CString& name) {
    icd = Create(m_icdDomain, "sec:ICD", name, 0);
    ied = Create(m_icdDomain, "sec:IED", "TEMPLATE", 0);
    server = Create(m_icdDomain, "sec:Server", "IED_Server", 0);
    return icd.IsSet() && ied.IsSet() && server.IsSet() && Link(ied, "sec:IED.ICD", icd) &&
           Link(server, "sec:Server.IED", ied) && Link(package, "sec:TypePackage.ICD", icd);
}

URI_Ref StdIcdBuilder::AddLNode(const URI_Ref& ld, const CString& lnClass, const CString& inst, int ord) {
    const URI_Ref type = LNodeTypeOf(lnClass);
    if (type.IsEmpty()) return URI_Ref();
    URI_Ref node = Create(m_icdDomain, "sec:LNode", lnClass + inst, ord);
    Link(node, "sec:LNode.LDevice", ld);
    Link(node, "sec:LNode.LNodeType", type);
    if (!inst.IsEmpty()) SetValue(node, "sec:LNode.lnInst", inst);
    ++lnodeCount;

    // A DOI per DO with a DAI per DA (per member of a structure), as an
    // import makes them; the status and measured values, also
    // those one SDO down, in a data set of the node.
    URI_Ref dataSet = Create(m_icdDomain, "sec:DataSet", "DS_" + lnClass + inst, 1);
    Link(dataSet, "sec:DataSet.LNode", node);
    int members = 0;
    auto addMembers = [&](const URI_Ref& doType, const CString& doPath) {
        std::vector<URI_Ref> das;
        s.DocMtd_get_Association_BUris(doType, "sec:DOType.Contains_DAs", das, kOrd, SortPolicy_ByOrd);
        for (const URI_Ref& da : das) {
            const CString fc = ValueName(s.DocMtd_getValue_ofAttr(da, "sec:DA.fc_0"));
            if (fc != "ST" && fc != "MX") continue;
            ++members;
            URI_Ref fcda = Create(m_icdDomain, "sec:FCDA", "FCDA" + Num(members), members);
            Link(fcda, "sec:FCDA.DataSet", dataSet);
            Link(fcda, "sec:DARef.LNode", node);
            SetValue(fcda, "sec:DARef.doName", doPath);
            SetValue(fcda, "sec:DARef.daName", Name(da));
        }
    };
    std::vector<URI_Ref> dos;
    s.DocMtd_get_Association_BUris(type, "sec:LNodeType.DOs", dos, kOrd, SortPolicy_ByOrd);
    int doiOrd = 0;
    for (const URI_Ref& d : dos) {
        URI_Ref doi = Create(m_icdDomain, "sec:DOI", Name(d), ++doiOrd);
        Link(doi, "sec:DOI.LNode", node);
        if (doiLinks) Link(doi, "sec:DOI.DO", d);
        const URI_Ref doType = s.DocMtd_getFirstUri_ofAsso(d, "sec:DO.DefinedBy_DOType");
        std::vector<URI_Ref> das;
        s.DocMtd_get_Association_BUris(doType, "sec:DOType.Contains_DAs", das, kOrd, SortPolicy_ByOrd);
        int daiOrd = 0;
        for (const URI_Ref& da : das)
            AddDais(doi, da, Name(da) + "[" + ValueName(s.DocMtd_getValue_ofAttr(da, "sec:DA.fc_0")) + "]", daiOrd);
        addMembers(doType, Name(d));
        std::vector<URI_Ref> sdos;
        s.DocMtd_get_Association_BUris(doType, "sec:DOType.Contains_SDOs", sdos, kOrd, SortPolicy_ByOrd);
        for (const URI_Ref& sdo : sdos)
            addMembers(s.DocMtd_getFirstUri_ofAsso(sdo, "sec:SDO.DefinedBy_DOType"), Name(d) + "." + Name(sdo));
    }
    return node;
}

void StdIcdBuilder::AddDais(const URI_Ref& doi, const URI_Ref& member, const CString& path, int& ord) {
    const URI_Ref structType = s.DocMtd_getFirstUri_ofAsso(member, "sec:BDA.DefinedBy_Struct");
    if (structType.IsEmpty()) {
        URI_Ref dai = Create(m_icdDomain, "sec:DAI", path, ++ord);
        Link(dai, "sec:DAI.DOI", doi);
        Link(dai, "sec:DAI.BDA", member);
        return;
    }
    std::vector<URI_Ref> bdas;
    s.DocMtd_get_Association_BUris(structType, "sec:DAType.Contains_BDAs", bdas, kOrd, SortPolicy_ByOrd);
    for (const URI_Ref& bda : bdas) AddDais(doi, bda, path + "." + Name(bda), ord);
}

bool StdIcdBuilder::AddLDevice(const CString& name, int nodes, const std::vector<CString>& classes) {
    URI_Ref ld = Create(m_icdDomain, "sec:LDevice", name, 0);
    if (ld.IsEmpty() || !Link(ld, "sec:LDevice.Server", server)) return false;
    int ord = 0;
    URI_Ref lln0 = AddLNode(ld, "LLN0", "", ++ord);
    if (lln0.IsEmpty()) return false;
    URI_Ref log = Create(m_icdDomain, "sec:Log", "Log", 1);
    URI_Ref lcb = Create(m_icdDomain, "sec:LCB", "LCB1", 1);
    URI_Ref sgcb = Create(m_icdDomain, "sec:SGCB", "SGCB", 1);
    if (!Link(log, "sec:Log.LNode", lln0) || !Link(lcb, "sec:LCB.LNode", lln0) || !Link(lcb, "sec:LCB.Log", log) ||
        !Link(sgcb, "sec:SGCB.LNode", lln0))
        return false;
    if (AddLNode(ld, "LPHD", "1", ++ord).IsEmpty()) return false;
    std::map<std::string, int> instances;
    for (int i = 0; i < nodes; ++i) {
        const CString& cls = classes[static_cast<size_t>(i) % classes.size()];
        if (AddLNode(ld, cls, Num(++instances[cls.str()]), ++ord).IsEmpty()) return false;
    }
    return m_error.IsEmpty();
}

}  // namespace kiln::model
