#include "tests/core/create_scaffold.h"

namespace kiln::test {

CreateTest::CreateTest() {
    MakeDomain(kProductDomain, "二次模型装置类型包");
    MakeDomain(kIcdDomain, "二次模型装置ICD包");
    prodPkg = Make(kProductDomain, "sec:ProductPackage", "PP");
    product = Make(kProductDomain, "sec:Product", "P");
    Link(product, "sec:Product.ProductPackage", prodPkg);

    icd = Make(kIcdDomain, "sec:ICD", "ICD1");
    Link(icd, "sec:ICD.Product", product);
    ied = Make(kIcdDomain, "sec:IED", "TEMPLATE");
    Link(ied, "sec:IED.ICD", icd);
    server = Make(kIcdDomain, "sec:Server", "IED_Server");
    Link(server, "sec:Server.IED", ied);
    ld = Make(kIcdDomain, "sec:LDevice", "LD1", 1);
    Link(ld, "sec:LDevice.Server", server);
    lnode = MakeLNode(ld, "", "PTOC", "1", 1, m.p1Ptoc);
    dataSet = Make(kIcdDomain, "sec:DataSet", "ds1", 1);
    Link(dataSet, "sec:DataSet.LNode", lnode);
    rcb = Make(kIcdDomain, "sec:RCB", "rcb1", 1);
    Link(rcb, "sec:RCB.LNode", lnode);
    sgcb = Make(kIcdDomain, "sec:SGCB", "SGCB");
    Link(sgcb, "sec:SGCB.LNode", lnode);
    settingGroup = Make(kIcdDomain, "sec:SettingGroup", "SG1", 1);
    Link(settingGroup, "sec:SettingGroup.SGCB", sgcb);
    doi = Make(kIcdDomain, "sec:DOI", "Op", 1);
    Link(doi, "sec:DOI.LNode", lnode);
    Link(doi, "sec:DOI.DO", m.p1PtocOp);
    signalList = Make(kIcdDomain, "sec:SignalList", "信号列表");
    Link(signalList, "sec:SignalList.IED", ied);
    itb = Make(kIcdDomain, "sec:ITB", "ITB");
    Link(itb, "sec:ITB.ICD", icd);
    m2i = Make(kIcdDomain, "sec:M2I", "M2I");
    Link(m2i, "sec:M2I.ICD", icd);
    infoGroup = Make(kIcdDomain, "sec:InfoGroup", "Trip");
    Link(infoGroup, "sec:InfoGroup.ITB", itb);
}

URI_Ref CreateTest::Of(Parent p) const {
    switch (p) {
        case Parent::Product: return product;
        case Parent::InstPackage: return m.instPkg;
        case Parent::StdPackage: return m.stdPkg;
        case Parent::P1Ptoc: return m.p1Ptoc;
        case Parent::P1Sps: return m.p1Sps;
        case Parent::Originator: return m.originator;
        case Parent::P1SpsStVal: return m.p1SpsStVal;
        case Parent::CtlModel: return m.ctlModel;
        case Parent::Icd: return icd;
        case Parent::Ied: return ied;
        case Parent::Server: return server;
        case Parent::LDevice: return ld;
        case Parent::LNode: return lnode;
        case Parent::DataSet: return dataSet;
        case Parent::Rcb: return rcb;
        case Parent::Sgcb: return sgcb;
        case Parent::SettingGroup: return settingGroup;
        case Parent::Doi: return doi;
        case Parent::SignalList: return signalList;
        case Parent::Itb: return itb;
        case Parent::M2I: return m2i;
        case Parent::InfoGroup: return infoGroup;
    }
    return URI_Ref();
}

std::vector<URI_Ref> CreateTest::Targets(const URI_Ref& rsc, const CString& role) {
    std::vector<URI_Ref> out;
    EXPECT_TRUE(Doc().Targets(rsc, role, out, "e301:OrdNaming.ord", 3)) << Doc().LastError();
    return out;
}

}  // namespace kiln::test
