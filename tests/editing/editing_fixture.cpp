#include "tests/editing/editing_fixture.h"

namespace kiln::test {

namespace {

// The link of each contained class to its owner.
const char* const kContainmentRoles[] = {
    "sec:Product.ProductPackage", "sec:ProductVer.Product", "sec:LNodeType.TypePackage", "sec:DOType.TypePackage",
    "sec:DAType.TypePackage", "sec:EnumType.TypePackage", "sec:LDevice.TypePackage", "sec:TypePackage.ICD",
    "sec:DO.LNodeType", "sec:SDO.MemberOf_DOType", "sec:DA.MemberOf_DOType", "sec:BDA.MemberOf_DAType",
    "sec:EnumVal.EnumType", "sec:Val.BDA", "sec:Val.DAI", "sec:DOSemantic.TypePackage",
    "sec:DASemantic.TypePackage", "sec:IED.ICD", "sec:Server.IED", "sec:LDevice.Server", "sec:LNode.LDevice",
    "sec:DOI.LNode", "sec:SDI.DOI", "sec:DAI.SDI", "sec:DAI.DOI", "sec:SignalList.IED",
    "sec:InSignal.SignalList", "sec:OutSignal.SignalList", "sec:DataSet.LNode", "sec:FCDA.DataSet",
    "sec:ExtRef.LNode", "sec:RCB.LNode", "sec:ClientLN.RCB", "sec:LCB.LNode", "sec:Log.LNode", "sec:SGCB.LNode",
    "sec:SettingGroup.SGCB", "sec:SettingData.SettingGroup", "sec:CB.LNode", "sec:ITB.ICD", "sec:InfoItem.ITB",
    "sec:InfoGroup.ITB", "sec:M2I.ICD", "sec:MapItem.M2I",
};

const char* const kModelClasses[] = {
    "sec:ProductPackage", "sec:Product", "sec:ProductVer", "sec:TypePackage", "sec:LNodeType", "sec:DOType",
    "sec:DAType", "sec:EnumType", "sec:EnumVal", "sec:DO", "sec:SDO", "sec:DA", "sec:BDA", "sec:Val",
    "sec:DOSemantic", "sec:DASemantic", "sec:ICD", "sec:IED", "sec:Server", "sec:LDevice", "sec:LNode",
    "sec:DOI", "sec:SDI", "sec:DAI", "sec:SignalList", "sec:InSignal", "sec:OutSignal", "sec:DataSet",
    "sec:FCDA", "sec:ExtRef", "sec:RCB", "sec:ClientLN", "sec:LCB", "sec:Log", "sec:SGCB", "sec:SettingGroup",
    "sec:SettingData", "sec:SV", "sec:GSE", "sec:ITB", "sec:InfoItem", "sec:InfoGroup", "sec:M2I", "sec:MapItem",
};

}  // namespace

IcdModel EditingTest::BuildIcd(bool withM2I) {
    IcdModel x;
    MakeDomain(kIcdDomain, "二次模型装置ICD包");
    x.icd = Make(kIcdDomain, "sec:ICD", "P1");
    x.ied = MakeUnder(x.icd, "sec:IED", "P1_IED", "sec:IED.ICD");
    x.s1 = MakeUnder(x.ied, "sec:Server", "S1", "sec:Server.IED");
    x.s2 = MakeUnder(x.ied, "sec:Server", "S2", "sec:Server.IED");
    x.ld1 = MakeUnder(x.s1, "sec:LDevice", "LD1", "sec:LDevice.Server", 1);
    x.ld2 = MakeUnder(x.s1, "sec:LDevice", "LD2", "sec:LDevice.Server", 2);
    x.ld3 = MakeUnder(x.s2, "sec:LDevice", "LD3", "sec:LDevice.Server", 3);
    x.signalList = MakeUnder(x.ied, "sec:SignalList", "信号列表", "sec:SignalList.IED");
    MakeUnder(x.signalList, "sec:InSignal", "输入信号_1", "sec:InSignal.SignalList", 1);
    MakeUnder(x.signalList, "sec:OutSignal", "输出信号_1", "sec:OutSignal.SignalList", 1);

    x.lln0 = MakeLNode(x.ld1, "", "LLN0", "", 1, m.lln0);
    x.dataSet = MakeUnder(x.lln0, "sec:DataSet", "dsAin", "sec:DataSet.LNode", 1);
    MakeUnder(x.dataSet, "sec:FCDA", "FCDA_1", "sec:FCDA.DataSet", 1);
    MakeUnder(x.dataSet, "sec:FCDA", "FCDA_2", "sec:FCDA.DataSet", 2);
    x.rcb = MakeUnder(x.lln0, "sec:RCB", "brcbAin", "sec:RCB.LNode", 1);
    MakeUnder(x.rcb, "sec:ClientLN", "Client_1", "sec:ClientLN.RCB", 1);
    x.lcb = MakeUnder(x.lln0, "sec:LCB", "lcb", "sec:LCB.LNode", 1);
    x.log = MakeUnder(x.lln0, "sec:Log", "log", "sec:Log.LNode");
    Link(x.lcb, "sec:LCB.Log", x.log);
    x.sgcb = MakeUnder(x.lln0, "sec:SGCB", "SGCB", "sec:SGCB.LNode");
    URI_Ref group = MakeUnder(x.sgcb, "sec:SettingGroup", "SG1", "sec:SettingGroup.SGCB", 1);
    MakeUnder(group, "sec:SettingData", "SD1", "sec:SettingData.SettingGroup", 1);
    x.extRef = MakeUnder(x.lln0, "sec:ExtRef", "ExtRef_1", "sec:ExtRef.LNode", 1);

    x.ptoc1 = MakeLNode(x.ld1, "", "PTOC", "1", 2, m.p1Ptoc);
    x.doiOp = MakeUnder(x.ptoc1, "sec:DOI", "Op", "sec:DOI.LNode", 1);
    x.daiStVal = MakeUnder(x.doiOp, "sec:DAI", "stVal", "sec:DAI.DOI", 1);
    MakeUnder(x.daiStVal, "sec:Val", "false", "sec:Val.DAI");
    x.sdi = MakeUnder(x.doiOp, "sec:SDI", "origin", "sec:SDI.DOI", 2);
    MakeUnder(x.sdi, "sec:DAI", "orCat", "sec:DAI.SDI", 1);
    MakeUnder(x.ptoc1, "sec:SV", "采样控制块_1", "sec:CB.LNode", 1);
    MakeUnder(x.ptoc1, "sec:GSE", "GSE控制块_1", "sec:CB.LNode", 1);
    x.mmxu1 = MakeLNode(x.ld2, "", "MMXU", "1", 1, m.mmxu);

    x.pkg = MakeTypePackage(kIcdDomain, "P1模板类包", true);
    Link(x.pkg, "sec:TypePackage.ICD", x.icd);
    Link(x.pkg, "sec:TypePackage.Depend_TypePackage", m.stdPkg);
    x.pkgLln0 = MakeLNodeType(x.pkg, "P1_LLN0", 1);
    Link(x.pkgLln0, "sec:LNodeType.ClassOf_LNType", m.lln0);
    MakeDO(x.pkgLln0, "Mod", 1, m.inc);
    x.pkgAv = MakeDAType(x.pkg, "P1_AV", 1);
    MakeBDA(x.pkgAv, "f", 1, "FLOAT32");
    x.pkgEnum = MakeEnumType(x.pkg, "P1_Enum", 1, {"on"});
    x.pkgInc = MakeDOType(x.pkg, "P1_INC", 1);
    MakeSDO(x.pkgInc, "sub", 1, m.sps);
    URI_Ref da = MakeDA(x.pkgInc, "mag", 1, "MX", "Struct", x.pkgAv);
    MakeUnder(da, "sec:Val", "0", "sec:Val.BDA");
    MakeDA(x.pkgInc, "mode", 2, "CF", "Enum", x.pkgEnum);
    MakeUnder(x.pkg, "sec:DOSemantic", "Mod", "sec:DOSemantic.TypePackage", 1);
    MakeUnder(x.pkg, "sec:DASemantic", "stVal", "sec:DASemantic.TypePackage", 1);
    x.baseLd = MakeUnder(x.pkg, "sec:LDevice", "BASE", "sec:LDevice.TypePackage", 1);
    MakeLNode(x.baseLd, "", "LLN0", "", 1, x.pkgLln0);

    x.itb = MakeUnder(x.icd, "sec:ITB", "ITB", "sec:ITB.ICD");
    x.item1 = MakeUnder(x.itb, "sec:InfoItem", "I1", "sec:InfoItem.ITB", 1);
    x.item2 = MakeUnder(x.itb, "sec:InfoItem", "I2", "sec:InfoItem.ITB", 2);
    MakeUnder(x.itb, "sec:InfoGroup", "Group1", "sec:InfoGroup.ITB");
    if (withM2I) {
        x.m2i = MakeUnder(x.icd, "sec:M2I", "M2I", "sec:M2I.ICD");
        Link(x.m2i, "sec:M2I.ITB", x.itb);
        x.map1 = MakeUnder(x.m2i, "sec:MapItem", "M1", "sec:MapItem.M2I", 1);
        Link(x.map1, "sec:MapItem.InfoItem", x.item1);
        Link(x.map1, "sec:DARef.LNode", x.ptoc1);
        x.map2 = MakeUnder(x.m2i, "sec:MapItem", "M2", "sec:MapItem.M2I", 2);
        Link(x.map2, "sec:MapItem.InfoItem", x.item2);
    }
    ui.ClearCalls();
    return x;
}

URI_Ref EditingTest::BuildProducts() {
    MakeDomain(kProductDomain, "二次模型装置类型包");
    URI_Ref package = Make(kProductDomain, "sec:ProductPackage", "厂家A");
    for (int p = 1; p <= 2; ++p) {
        URI_Ref product = MakeUnder(package, "sec:Product", "产品" + ToText(p), "sec:Product.ProductPackage");
        for (int v = 1; v <= 2; ++v)
            MakeUnder(product, "sec:ProductVer", "V" + ToText(v), "sec:ProductVer.Product");
    }
    return package;
}

std::set<std::string> EditingTest::OwnedResources() {
    std::set<std::string> owned;
    for (const char* cls : kModelClasses) {
        std::vector<URI_Ref> all;
        Doc().ByClass(cls, all);
        for (const URI_Ref& r : all) {
            for (const char* role : kContainmentRoles) {
                if (Doc().FirstTarget(r, role).IsSet()) {
                    owned.insert(r.sUri);
                    break;
                }
            }
        }
    }
    return owned;
}

std::vector<std::string> EditingTest::Orphans(const std::set<std::string>& wereOwned) {
    std::vector<std::string> orphans;
    const std::set<std::string> now = OwnedResources();
    for (const std::string& uri : wereOwned)
        if (Doc().Find(uri.c_str()).IsSet() && !now.count(uri)) orphans.push_back(uri);
    return orphans;
}

std::vector<int> EditingTest::Ords(const std::vector<URI_Ref>& list) {
    std::vector<int> out;
    for (const URI_Ref& r : list) out.push_back(atoi(Get(r, "e301:OrdNaming.ord").str().c_str()));
    return out;
}

std::vector<CString> EditingTest::NamesAlong(const URI_Ref& owner, const CString& role) {
    std::vector<URI_Ref> members;
    Doc().Targets(owner, role, members, "e301:OrdNaming.ord", 3);
    std::vector<CString> names;
    for (const URI_Ref& r : members) names.push_back(Get(r, "cim:Naming.name"));
    return names;
}

}  // namespace kiln::test
