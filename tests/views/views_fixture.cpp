#include "tests/views/views_fixture.h"

namespace kiln::test {

ViewsTest::ViewsTest() {
    app.Mtd_CreateStandardViews();
    MakeDomain(kIcdDomain, "二次模型数据类型包");
    IcdModel& x = icd;
    x.icd = Make(kIcdDomain, "sec:ICD", "ICD1");
    x.icdPkg = MakeTypePackage(kIcdDomain, "ICD1模板类包", true);
    Link(x.icdPkg, "sec:TypePackage.ICD", x.icd);
    x.ied = MakeUnder(x.icd, "sec:IED", "TEMPLATE", "sec:IED.ICD", 1);
    x.sl1 = MakeUnder(x.ied, "sec:SignalList", "SL1", "sec:SignalList.IED", 1);
    x.sl2 = MakeUnder(x.ied, "sec:SignalList", "SL2", "sec:SignalList.IED", 2);
    x.in1 = MakeUnder(x.sl1, "sec:InSignal", "IN1", "sec:InSignal.SignalList", 1);
    x.out1 = MakeUnder(x.sl1, "sec:OutSignal", "OUT1", "sec:OutSignal.SignalList", 1);
    x.s1 = MakeUnder(x.ied, "sec:Server", "S1", "sec:Server.IED", 1);
    x.s2 = MakeUnder(x.ied, "sec:Server", "S2", "sec:Server.IED", 2);
    x.ldA = MakeUnder(x.s1, "sec:LDevice", "LD_A", "sec:LDevice.Server", 2);
    x.ldB = MakeUnder(x.s2, "sec:LDevice", "LD_B", "sec:LDevice.Server", 1);
    x.lnLLN0 = MakeLNode(x.ldA, "", "LLN0", "", 1);
    x.lnPtoc = MakeLNode(x.ldA, "", "PTOC", "1", 2, m.p1Ptoc);
    x.doiOp = MakeUnder(x.lnPtoc, "sec:DOI", "Op", "sec:DOI.LNode", 1);
    Link(x.doiOp, "sec:DOI.DO", m.p1PtocOp);
    x.extRef = MakeUnder(x.lnPtoc, "sec:ExtRef", "ER1", "sec:ExtRef.LNode", 1);
    x.gse = MakeUnder(x.lnPtoc, "sec:GSE", "GSE1", "sec:CB.LNode", 1);
    x.itb = MakeUnder(x.icd, "sec:ITB", "ITB1", "sec:ITB.ICD", 1);
    x.gYaoxin = MakeUnder(x.itb, "sec:InfoGroup", "遥信", "sec:InfoGroup.ITB", 1);
    x.gAlarm = MakeUnder(x.itb, "sec:InfoGroup", "Alarm", "sec:InfoGroup.ITB", 2);
    const char* groups[] = {"遥信", "", "alarm", "Alarm", "不存在"};
    URI_Ref* items[] = {&x.i1, &x.i2, &x.i3, &x.i4, &x.i5};
    for (int k = 0; k < 5; ++k) {
        *items[k] = MakeUnder(x.itb, "sec:InfoItem", CString("I") + ToText(k + 1), "sec:InfoItem.ITB", k + 1);
        Set(*items[k], "sec:InfoItem.infoGroup", groups[k]);
    }
    x.m2i = MakeUnder(x.icd, "sec:M2I", "M2I1", "sec:M2I.ICD", 1);
    Link(x.m2i, "sec:M2I.ITB", x.itb);
    ui.ClearCalls();
}

std::vector<Struct_ItemDesc> ViewsTest::Children(const char* sid, Struct_ItemDesc* parent) {
    std::vector<Struct_ItemDesc> out;
    EXPECT_TRUE(app.TreeMsg_OnSetChildItems(View(sid), parent, &out));
    return out;
}

std::vector<std::string> ViewsTest::Texts(const std::vector<Struct_ItemDesc>& items) {
    std::vector<std::string> texts;
    for (const auto& item : items) texts.push_back(item.sText3.str());
    return texts;
}

Struct_ItemDesc ViewsTest::Child(const char* sid, Struct_ItemDesc* parent, const std::string& text) {
    for (const auto& item : Children(sid, parent))
        if (item.sText3.str() == text) return item;
    ADD_FAILURE() << "no item " << text;
    return Struct_ItemDesc();
}

Struct_ItemDesc ViewsTest::ItemOf(const URI_Ref& rsc) {
    Struct_ItemDesc item;
    app.TreeMtd_SetItemDetail(&item, rsc, CString(rsc.sClass), app.GetRscText(const_cast<URI_Ref&>(rsc), true), true,
                              "");
    return item;
}

}  // namespace kiln::test
