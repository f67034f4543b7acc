#include "tests/core/create_scaffold.h"

#include <string>

namespace kiln::test {

CreateTest::CreateTest() {
    MakeDomain(kProductDomain, "二次模型装置类型包");
    MakeDomain(kIcdDomain, "二次模型装置ICD包");
    prodPkg = Make(kProductDomain, "sec:ProductPackage", "PP");
    product = MakeUnder(prodPkg, "sec:Product", "P", "sec:Product.ProductPackage");

    icd = Make(kIcdDomain, "sec:ICD", "ICD1");
    Link(icd, "sec:ICD.Product", product);
    ied = MakeUnder(icd, "sec:IED", "TEMPLATE", "sec:IED.ICD");
    server = MakeUnder(ied, "sec:Server", "IED_Server", "sec:Server.IED");
    ld = MakeUnder(server, "sec:LDevice", "LD1", "sec:LDevice.Server", 1);
    lnode = MakeLNode(ld, "", "PTOC", "1", 1, m.p1Ptoc);
    dataSet = MakeUnder(lnode, "sec:DataSet", "ds1", "sec:DataSet.LNode", 1);
    rcb = MakeUnder(lnode, "sec:RCB", "rcb1", "sec:RCB.LNode", 1);
    sgcb = MakeUnder(lnode, "sec:SGCB", "SGCB", "sec:SGCB.LNode");
    settingGroup = MakeUnder(sgcb, "sec:SettingGroup", "SG1", "sec:SettingGroup.SGCB", 1);
    doi = MakeUnder(lnode, "sec:DOI", "Op", "sec:DOI.LNode", 1);
    Link(doi, "sec:DOI.DO", m.p1PtocOp);
    signalList = MakeUnder(ied, "sec:SignalList", "信号列表", "sec:SignalList.IED");
    itb = MakeUnder(icd, "sec:ITB", "ITB", "sec:ITB.ICD");
    m2i = MakeUnder(icd, "sec:M2I", "M2I", "sec:M2I.ICD");
    infoGroup = MakeUnder(itb, "sec:InfoGroup", "Trip", "sec:InfoGroup.ITB");
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

int CreateTest::FailEachCall(int calls, const std::function<bool(URI_Ref* out)>& create,
                             std::initializer_list<const char*> ops) {
    const URI_Ref sentinel("kiln.none#sentinel", "sec:Foo");
    int failures = 0;
    for (const char* op : ops) {
        for (int skip = 0; skip < calls; ++skip) {
            SCOPED_TRACE(std::string(op) + " " + std::to_string(skip));
            const int before = Count();
            Doc().InjectFault(op, skip);
            URI_Ref out = sentinel;
            const bool made = create(&out);
            Doc().ClearFault();
            if (made) {
                EXPECT_GT(Count(), before);
                continue;
            }
            ++failures;
            EXPECT_EQ(Count(), before);
            EXPECT_TRUE(out.IsEmpty());
        }
    }
    EXPECT_TRUE(Messages().empty());
    return failures;
}

}  // namespace kiln::test
