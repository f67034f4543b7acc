#include "tests/core/fixture.h"

#include "platform/framework/cim_schema.h"

namespace kiln::test {

CString EnumValue(const char* enumName, const char* value) {
    return CString(kiln::cim::kModelNamespace) + "#" + enumName + "." + value;
}

CoreTest::CoreTest() {
    EXPECT_TRUE(Doc().isOpened()) << Doc().LastError();
    Doc().SetDomainPrefixDefault(kPrefix);
}

void CoreTest::MakeDomain(const CString& domain, const CString& typeName, bool editable) {
    URI_Ref type;
    if (!Doc().FindDomainType(typeName, type)) {
        ADD_FAILURE() << "no domain type " << typeName;
        return;
    }
    if (!Doc().CreateDomain(domain, type, domain, editable)) ADD_FAILURE() << Doc().LastError();
}

URI_Ref CoreTest::Make(const CString& domain, const CString& cls, const CString& name, int ord) {
    URI_Ref rsc;
    if (!Doc().CreateResource(domain, cls, rsc, name)) {
        ADD_FAILURE() << "cannot create " << cls << " " << name << ": " << Doc().LastError();
        return rsc;
    }
    if (ord > 0) Set(rsc, "e301:OrdNaming.ord", ToText(ord));
    return rsc;
}

CString CoreTest::ToText(int n) {
    CString s;
    s.Format("%d", n);
    return s;
}

URI_Ref CoreTest::MakeUnder(const URI_Ref& parent, const CString& cls, const CString& name, const CString& role,
                           int ord) {
    URI_Ref rsc = Make(DomainOf(parent), cls, name, ord);
    Link(rsc, role, parent);
    return rsc;
}

void CoreTest::Set(const URI_Ref& rsc, const CString& role, const CString& value) {
    if (!Doc().SetAttribute(rsc, role, value))
        ADD_FAILURE() << "cannot set " << role << " of " << rsc.sUri << ": " << Doc().LastError();
}

void CoreTest::Link(const URI_Ref& rsc, const CString& role, const URI_Ref& target) {
    if (!Doc().AddLink(rsc, role, target))
        ADD_FAILURE() << "cannot link " << rsc.sUri << " " << role << " " << target.sUri << ": " << Doc().LastError();
}

CString CoreTest::Get(const URI_Ref& rsc, const CString& role) {
    CString value;
    Doc().GetAttribute(rsc, role, value);
    return value;
}

std::vector<CString> CoreTest::DataSetMembers(const URI_Ref& dataSet) {
    std::vector<URI_Ref> members;
    Doc().Targets(dataSet, "sec:DataSet.FCDAs", members, "e301:OrdNaming.ord", 3);
    std::vector<CString> out;
    for (const URI_Ref& f : members)
        out.push_back(Get(Doc().FirstTarget(f, "sec:DARef.LNode"), "cim:Naming.name") + "." +
                      Get(f, "sec:DARef.doName"));
    return out;
}

CString CoreTest::DomainOf(const URI_Ref& rsc) {
    CString domain;
    Doc().Get_Rsc_Domain(rsc, domain);
    return domain;
}

URI_Ref CoreTest::MakeTypePackage(const CString& domain, const CString& name, bool inst, const CString& ref) {
    URI_Ref pkg = Make(domain, "sec:TypePackage", name);
    Set(pkg, "sec:TypePackage.isInstType", inst ? "true" : "false");
    if (!ref.IsEmpty()) Set(pkg, "sec:TypePackage.ref", ref);
    return pkg;
}

URI_Ref CoreTest::MakeType(const URI_Ref& pkg, const CString& cls, const CString& name, int ord) {
    URI_Ref t = Make(DomainOf(pkg), cls, name, ord);
    Set(t, cls + ".isInstType", Get(pkg, "sec:TypePackage.isInstType"));
    Link(t, cls + ".TypePackage", pkg);
    return t;
}

URI_Ref CoreTest::MakeLNodeType(const URI_Ref& pkg, const CString& name, int ord, const URI_Ref& abstractType) {
    URI_Ref t = MakeType(pkg, "sec:LNodeType", name, ord);
    if (abstractType.IsSet()) Link(t, "sec:LNodeType.Abstract_Type", abstractType);
    return t;
}

URI_Ref CoreTest::MakeDOType(const URI_Ref& pkg, const CString& name, int ord) {
    return MakeType(pkg, "sec:DOType", name, ord);
}

URI_Ref CoreTest::MakeDAType(const URI_Ref& pkg, const CString& name, int ord) {
    return MakeType(pkg, "sec:DAType", name, ord);
}

URI_Ref CoreTest::MakeEnumType(const URI_Ref& pkg, const CString& name, int ord, const std::vector<CString>& values) {
    URI_Ref t = MakeUnder(pkg, "sec:EnumType", name, "sec:EnumType.TypePackage", ord);
    int n = 0;
    for (const CString& v : values) {
        URI_Ref val = MakeUnder(t, "sec:EnumVal", v, "sec:EnumVal.EnumType", ++n);
        Set(val, "sec:EnumVal.val", ToText(n));
    }
    return t;
}

void ModelTest::AddUnits(const URI_Ref& pkg, const URI_Ref& doType, int ord, bool range) {
    auto enumOf = [&](const char* name, std::initializer_list<std::pair<int, const char*>> codes) {
        URI_Ref t = MakeUnder(pkg, "sec:EnumType", name, "sec:EnumType.TypePackage", 90);
        for (const auto& [code, literal] : codes) {
            URI_Ref val = MakeUnder(t, "sec:EnumVal", literal, "sec:EnumVal.EnumType");
            Set(val, "e301:OrdNaming.ord", ToText(code));
            Set(val, "sec:EnumVal.val", literal);
        }
        return t;
    };
    URI_Ref unit = MakeDAType(pkg, "Unit", 90);
    MakeBDA(unit, "SIUnit", 1, "Enum",
            enumOf("SIUnitKind", {{5, "A"}, {23, "\xC2\xB0" "C"}, {29, "V"}, {38, "W"}, {62, "Watts"}}));
    MakeBDA(unit, "multiplier", 2, "Enum", enumOf("MultiplierKind", {{-6, "\xC2\xB5"}, {-3, "m"}, {3, "k"}, {24, "Y"}}));
    MakeDA(doType, "units", ord, "CF", "Struct", unit);
    if (!range) return;
    MakeDA(doType, "minVal", ord + 1, "CF", "Struct", m.analogueValue);
    MakeDA(doType, "maxVal", ord + 2, "CF", "Struct", m.analogueValue);
    MakeDA(doType, "stepSize", ord + 3, "CF", "Struct", m.analogueValue);
    MakeDA(doType, "dU", ord + 4, "DC", "Unicode255");
}

URI_Ref CoreTest::MakeDO(const URI_Ref& lnType, const CString& name, int ord, const URI_Ref& doType) {
    URI_Ref d = MakeUnder(lnType, "sec:DO", name, "sec:DO.LNodeType", ord);
    if (doType.IsSet()) Link(d, "sec:DO.DefinedBy_DOType", doType);
    return d;
}

URI_Ref CoreTest::MakeSDO(const URI_Ref& doType, const CString& name, int ord, const URI_Ref& sdoType) {
    URI_Ref s = MakeUnder(doType, "sec:SDO", name, "sec:SDO.MemberOf_DOType", ord);
    if (sdoType.IsSet()) Link(s, "sec:SDO.DefinedBy_DOType", sdoType);
    return s;
}

namespace {
// The type link of a Struct or Enum member.
const char* typeRoleOf(const CString& bType) {
    if (bType == "Struct") return "sec:BDA.DefinedBy_Struct";
    if (bType == "Enum") return "sec:BDA.DefinedBy_EnumType";
    return nullptr;
}
}  // namespace

URI_Ref CoreTest::MakeDA(const URI_Ref& doType, const CString& name, int ord, const CString& fc,
                         const CString& bType, const URI_Ref& structOrEnum) {
    URI_Ref a = MakeUnder(doType, "sec:DA", name, "sec:DA.MemberOf_DOType", ord);
    if (!fc.IsEmpty()) Set(a, "sec:DA.fc_0", EnumValue("FCType", fc));
    if (!bType.IsEmpty()) Set(a, "sec:BDA.bType", EnumValue("PreBasicTypeEnum", bType));
    if (const char* role = typeRoleOf(bType); role && structOrEnum.IsSet()) Link(a, role, structOrEnum);
    return a;
}

URI_Ref CoreTest::MakeBDA(const URI_Ref& daType, const CString& name, int ord, const CString& bType,
                          const URI_Ref& structOrEnum) {
    URI_Ref b = MakeUnder(daType, "sec:BDA", name, "sec:BDA.MemberOf_DAType", ord);
    if (!bType.IsEmpty()) Set(b, "sec:BDA.bType", EnumValue("PreBasicTypeEnum", bType));
    if (const char* role = typeRoleOf(bType); role && structOrEnum.IsSet()) Link(b, role, structOrEnum);
    return b;
}

URI_Ref CoreTest::MakeNestedDATypes(const URI_Ref& pkg, const CString& prefix, int levels, int ord,
                                    const std::vector<CString>& members, const CString& leafType) {
    URI_Ref inner;
    for (int i = levels - 1; i >= 0; --i) {
        URI_Ref t = MakeDAType(pkg, prefix + ToText(i), ord + i);
        int n = 0;
        for (const CString& name : members) MakeBDA(t, name, ++n, inner.IsSet() ? "Struct" : leafType, inner);
        inner = t;
    }
    return inner;
}

URI_Ref CoreTest::MakeLDevice(const CString& domain, const CString& name, int ord) {
    return Make(domain, "sec:LDevice", name, ord);
}

URI_Ref CoreTest::MakeLNode(const URI_Ref& ld, const CString& prefix, const CString& lnClass, const CString& lnInst,
                            int ord, const URI_Ref& lnType) {
    URI_Ref n = MakeUnder(ld, "sec:LNode", prefix + lnClass + lnInst, "sec:LNode.LDevice", ord);
    if (!prefix.IsEmpty()) Set(n, "sec:LNode.prefix", prefix);
    if (!lnClass.IsEmpty()) Set(n, "sec:LNode.lnClass", lnClass);
    if (!lnInst.IsEmpty()) Set(n, "sec:LNode.lnInst", lnInst);
    if (lnType.IsSet()) Link(n, "sec:LNode.LNodeType", lnType);
    return n;
}

ModelTest::ModelTest() {
    MakeDomain(kStdDomain, "二次模型标准定义包3");
    MakeDomain(kInstDomain, "二次模型数据类型包");

    m.stdPkg = MakeTypePackage(kStdDomain, "IEC61850", false, kStdTypePackageRef);
    m.ctlModel = MakeEnumType(m.stdPkg, "ctlModel", 1, {"status-only", "direct-with-normal-security"});

    m.originator = MakeDAType(m.stdPkg, "Originator", 1);
    m.orCat = MakeBDA(m.originator, "orCat", 1, "Enum", m.ctlModel);
    m.orIdent = MakeBDA(m.originator, "orIdent", 2, "Octet64");
    m.analogueValue = MakeDAType(m.stdPkg, "AnalogueValue", 2);
    m.avF = MakeBDA(m.analogueValue, "f", 1, "FLOAT32");
    m.avI = MakeBDA(m.analogueValue, "i", 2, "INT32");
    m.vector = MakeDAType(m.stdPkg, "Vector", 3);
    m.vecMag = MakeBDA(m.vector, "mag", 1, "Struct", m.analogueValue);
    m.vecAng = MakeBDA(m.vector, "ang", 2, "Struct", m.analogueValue);

    m.sps = MakeDOType(m.stdPkg, "SPS", 1);
    m.spsStVal = MakeDA(m.sps, "stVal", 1, "ST", "BOOLEAN");
    m.spsQ = MakeDA(m.sps, "q", 2, "ST", "Quality");
    m.spsOrigin = MakeDA(m.sps, "origin", 3, "ST", "Struct", m.originator);
    m.spsD = MakeDA(m.sps, "d", 4, "DC", "VisString255");
    m.inc = MakeDOType(m.stdPkg, "INC", 2);
    m.incStVal = MakeDA(m.inc, "stVal", 1, "ST", "INT32");
    Set(m.incStVal, "sec:DA.fc_1", EnumValue("FCType", "SV"));
    m.incCtlModel = MakeDA(m.inc, "ctlModel", 2, "CF", "Enum", m.ctlModel);
    m.lpl = MakeDOType(m.stdPkg, "LPL", 3);
    m.lplVendor = MakeDA(m.lpl, "vendor", 1, "DC", "VisString255");
    m.lplLdNs = MakeDA(m.lpl, "ldNs", 2, "EX", "VisString255");
    m.cmv = MakeDOType(m.stdPkg, "CMV", 4);
    m.cmvCVal = MakeDA(m.cmv, "cVal", 1, "MX", "Struct", m.vector);
    m.cmvQ = MakeDA(m.cmv, "q", 2, "MX", "Quality");
    m.wye = MakeDOType(m.stdPkg, "WYE", 5);
    m.wyePhsA = MakeSDO(m.wye, "phsA", 1, m.cmv);
    m.wyePhsB = MakeSDO(m.wye, "phsB", 2, m.cmv);
    m.wyePhsC = MakeSDO(m.wye, "phsC", 3, m.cmv);
    m.wyeD = MakeDA(m.wye, "d", 1, "DC", "VisString255");

    m.commonLN = MakeLNodeType(m.stdPkg, "CommonLN", 1);
    m.commonMod = MakeDO(m.commonLN, "Mod", 1, m.inc);
    m.commonBeh = MakeDO(m.commonLN, "Beh", 2, m.inc);
    m.commonNamPlt = MakeDO(m.commonLN, "NamPlt", 3, m.lpl);
    m.lln0 = MakeLNodeType(m.stdPkg, "LLN0", 2, m.commonLN);
    m.lln0Loc = MakeDO(m.lln0, "Loc", 1, m.sps);
    m.lphd = MakeLNodeType(m.stdPkg, "LPHD", 3, m.commonLN);
    m.lphdPhyHealth = MakeDO(m.lphd, "PhyHealth", 1, m.inc);
    m.lphdProxy = MakeDO(m.lphd, "Proxy", 2, m.sps);
    m.ptoc = MakeLNodeType(m.stdPkg, "PTOC", 4, m.commonLN);
    m.ptocStr = MakeDO(m.ptoc, "Str", 1, m.sps);
    m.ptocOp = MakeDO(m.ptoc, "Op", 2, m.sps);
    m.mmxu = MakeLNodeType(m.stdPkg, "MMXU", 5, m.commonLN);
    m.mmxuA = MakeDO(m.mmxu, "A", 1, m.wye);

    m.instPkg = MakeTypePackage(kInstDomain, "P1", true);
    Link(m.instPkg, "sec:TypePackage.Depend_TypePackage", m.stdPkg);
    m.p1Sps = MakeDOType(m.instPkg, "P1_SPS", 1);
    Link(m.p1Sps, "sec:DOType.ClassOf_DOType", m.sps);
    m.p1SpsStVal = MakeDA(m.p1Sps, "stVal", 1, "ST", "BOOLEAN");
    m.p1SpsQ = MakeDA(m.p1Sps, "q", 2, "ST", "Quality");
    m.p1Ptoc = MakeLNodeType(m.instPkg, "P1_PTOC", 1, m.ptoc);
    Link(m.p1Ptoc, "sec:LNodeType.ClassOf_LNType", m.ptoc);
    Set(m.p1Ptoc, "cim:Naming.description", "保护");
    m.p1PtocOp = MakeDO(m.p1Ptoc, "Op", 1, m.p1Sps);

    EXPECT_TRUE(app.Msg_OnOpenDocument());
    EXPECT_EQ(app.m_uStdTypePackage, m.stdPkg);
    ui.ClearCalls();
}

}  // namespace kiln::test
