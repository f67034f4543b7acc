// The choice lists of association and attribute fields.
#include "tests/views/views_fixture.h"

using namespace kiln::test;
using Rows = std::vector<std::pair<std::string, std::string>>;

namespace {

class FieldLists : public ViewsTest {
protected:
    bool Prepare(const URI_Ref& rsc, const char* field, const char* view = kView_Html1) {
        pack.Reset();
        return app.HtmlMsg_OnPrepareEditField(View(view), rsc, field, "", &pack);
    }
    Rows RowsOf() const {
        Rows r;
        for (const auto& [shown, value] : pack.vList.vPairs) r.emplace_back(shown.str(), value.str());
        return r;
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> r;
        for (const auto& row : RowsOf()) r.push_back(row.first);
        return r;
    }
    static std::pair<std::string, std::string> Row(const std::string& shown, const URI_Ref& r) { return {shown, r.sUri}; }
    Struct_EditPack pack;
};

using AssociationLists = FieldLists;
using AttributeLists = FieldLists;

TEST_F(AssociationLists, TheClearingRowComesFirstAndFieldsWithoutACaseAreRefused) {
    EXPECT_FALSE(Prepare(icd.doiOp, "sec:DOI.DO"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}}));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"不支持对“DOI.DO”关联的编辑！"});
    // A case that finds no target still has its clearing row.
    URI_Ref rcb = MakeUnder(icd.lnLLN0, "sec:RCB", "RCB1", "sec:RCB.LNode", 1);
    EXPECT_TRUE(Prepare(rcb, "sec:RCB.DataSet"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}}));
    EXPECT_EQ(pack.nEditKind, 7);
}

TEST_F(AssociationLists, ControlBlocksOfferTheirNodesDataSetsAndTheServersLogs) {
    URI_Ref dsOwn = MakeUnder(icd.lnLLN0, "sec:DataSet", "dsOwn", "sec:DataSet.LNode", 1);
    MakeUnder(icd.lnPtoc, "sec:DataSet", "dsOther", "sec:DataSet.LNode", 1);
    URI_Ref rcb = MakeUnder(icd.lnLLN0, "sec:RCB", "RCB1", "sec:RCB.LNode", 1);
    EXPECT_TRUE(Prepare(rcb, "sec:RCB.DataSet"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}, Row(app.GetRscText(dsOwn, false).str(), dsOwn)}));
    URI_Ref log1 = MakeUnder(icd.lnLLN0, "sec:Log", "log1", "sec:Log.LNode", 1);
    URI_Ref log2 = MakeUnder(icd.lnPtoc, "sec:Log", "log2", "sec:Log.LNode", 1);
    URI_Ref ldC = MakeUnder(icd.s2, "sec:LDevice", "LD_C", "sec:LDevice.Server", 2);
    URI_Ref lnC = MakeLNode(ldC, "", "GGIO", "1", 1);
    MakeUnder(lnC, "sec:Log", "logOtherServer", "sec:Log.LNode", 1);
    URI_Ref lcb = MakeUnder(icd.lnPtoc, "sec:LCB", "LCB1", "sec:LCB.LNode", 1);
    EXPECT_TRUE(Prepare(lcb, "sec:LCB.Log"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}, Row(app.GetRscText(log1, false).str(), log1),
                              Row(app.GetRscText(log2, false).str(), log2)}));
}

TEST_F(AssociationLists, AnInstanceLnTypeIsOfferedOnlyUnrelatedTypesOfItsClass) {
    URI_Ref derived = MakeLNodeType(m.instPkg, "P1_PTOC_D", 2, m.p1Ptoc);
    MakeLNodeType(m.instPkg, "P1_PTOC_DD", 3, derived);
    URI_Ref other = MakeLNodeType(m.instPkg, "P1_PTOC_X", 4);
    URI_Ref mmxu = MakeLNodeType(m.instPkg, "P1_MMXU", 5);
    for (const URI_Ref& t : {derived, other}) Link(t, "sec:LNodeType.ClassOf_LNType", m.ptoc);
    Link(mmxu, "sec:LNodeType.ClassOf_LNType", m.mmxu);
    Link(m.p1Ptoc, "sec:LNodeType.ClassOf_LNType", m.ptoc);
    EXPECT_TRUE(Prepare(m.p1Ptoc, "sec:LNodeType.Abstract_Type"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}, Row("P1_PTOC_X(P1)", other)}));
}

TEST_F(AssociationLists, BaseDevicesOfAnIcdDeviceNeverItself) {
    URI_Ref base = MakeUnder(m.instPkg, "sec:LDevice", "BASE_LD", "sec:LDevice.TypePackage", 1);
    Set(base, "sec:LDevice.isAbstract", "true");
    Link(icd.icdPkg, "sec:TypePackage.Depend_TypePackage", m.instPkg);
    // "TRUE" is not "true": the device takes its ICD's package.
    Set(icd.ldA, "sec:LDevice.isAbstract", "TRUE");
    EXPECT_TRUE(Prepare(icd.ldA, "sec:LDevice.Abstract_LDevice"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}, Row("BASE_LD(P1)", base)}));
    EXPECT_TRUE(Prepare(base, "sec:LDevice.Abstract_LDevice"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}}));
    URI_Ref loose = MakeLDevice(kIcdDomain, "LOOSE", 1);
    EXPECT_FALSE(Prepare(loose, "sec:LDevice.Abstract_LDevice"));
}

TEST_F(AssociationLists, ProductVersionsListTheIcdsOfTheirProductByOrder) {
    URI_Ref product = Make(kInstDomain, "sec:Product", "PX");
    URI_Ref b = Make(kIcdDomain, "sec:ICD", "B_ICD", 1), a = Make(kIcdDomain, "sec:ICD", "A_ICD", 2);
    for (const URI_Ref& x : {a, b}) Link(x, "sec:ICD.Product", product);
    URI_Ref ver = MakeUnder(product, "sec:ProductVer", "V1", "sec:ProductVer.Product", 1);
    EXPECT_TRUE(Prepare(ver, "sec:ProductVer.ICD"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}, Row("B_ICD", b), Row("A_ICD", a)}));
}

TEST_F(AssociationLists, EditLevelsAndTheSignalFlowCase) {
    app.m_nEditLevel = 2;
    EXPECT_TRUE(Prepare(icd.doiOp, "sec:DOI.DO"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}}));
    EXPECT_FALSE(Prepare(icd.extRef, "sec:DARef.LNode"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"请先从图形上指定要编辑的信号流！"});
    app.m_uFieldIED = icd.ied;
    EXPECT_FALSE(Prepare(icd.extRef, "sec:DARef.LNode", kView_Html2));
    EXPECT_TRUE(Prepare(icd.extRef, "sec:DARef.LNode"));
    EXPECT_EQ(pack.vList.GetSize(), 3);
    app.m_nEditLevel = 3;
    URI_Ref rcb = MakeUnder(icd.lnLLN0, "sec:RCB", "RCB1", "sec:RCB.LNode", 1);
    MakeUnder(icd.lnLLN0, "sec:DataSet", "ds", "sec:DataSet.LNode", 1);
    EXPECT_TRUE(Prepare(rcb, "sec:RCB.DataSet"));
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}}));
}

TEST_F(AttributeLists, TheTypeOfAStructuredMemberListsDataTypesOnly) {
    EXPECT_TRUE(Prepare(m.spsOrigin, "sec:BDA.bType"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Originator  (IEC61850)", "AnalogueValue  (IEC61850)",
                                                 "Vector  (IEC61850)"}));
    // A BDA is never offered the DA type that holds it.
    EXPECT_TRUE(Prepare(m.vecMag, "sec:BDA.bType"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Originator  (IEC61850)", "AnalogueValue  (IEC61850)"}));
    // An INT32 member lists the basic types.
    EXPECT_TRUE(Prepare(m.incStVal, "sec:BDA.bType"));
    ASSERT_GT(pack.vList.GetSize(), 20);
    EXPECT_NE(pack.vList.vPairs[0].second.Find("#PreBasicTypeEnum."), -1);
}

TEST_F(AttributeLists, EnumeratedAttributesShowDescriptions) {
    EXPECT_TRUE(Prepare(m.spsStVal, "sec:DA.fc_0"));
    ASSERT_GT(pack.vList.GetSize(), 2);
    EXPECT_EQ(Shown()[0], "ST (状态信息)");
    // Members of instance types keep their constraints.
    EXPECT_FALSE(Prepare(m.p1SpsStVal, "sec:DA.fc_0"));
    URI_Ref product = Make(kInstDomain, "sec:Product", "PX");
    EXPECT_TRUE(Prepare(product, "sec:Product.productType"));
    EXPECT_EQ(Shown()[0], "--保护装置");
    app.m_nEditLevel = 2;
    EXPECT_TRUE(Prepare(product, "sec:Product.productType"));
    EXPECT_TRUE(pack.vList.vPairs.empty());
}

TEST_F(AttributeLists, DataValuesByTheirBasicType) {
    URI_Ref enumVal, boolVal, intVal;
    ASSERT_TRUE(app.NewRsc_Val(&enumVal, m.incCtlModel));
    ASSERT_TRUE(app.NewRsc_Val(&boolVal, m.spsStVal));
    ASSERT_TRUE(app.NewRsc_Val(&intVal, m.incStVal));
    EXPECT_TRUE(Prepare(enumVal, "sec:Val.sValue"));
    // Each value by its code and the text a file holds (its "val"), not its name.
    EXPECT_EQ(RowsOf(), (Rows{{"01：1", "1"}, {"02：2", "2"}}));
    EXPECT_TRUE(Prepare(boolVal, "sec:Val.sValue"));
    EXPECT_EQ(RowsOf(), (Rows{{"是", "true"}, {"否", "false"}}));
    pack.nEditKind = 7;
    EXPECT_TRUE(app.HtmlMsg_OnPrepareEditField(View(kView_Html1), intVal, "sec:Val.sValue", "", &pack));
    EXPECT_EQ(pack.nEditKind, 2);
    // A value made on a DAI is defined by what defines the DAI.
    URI_Ref dai = MakeUnder(icd.doiOp, "sec:DAI", "stVal[ST]", "sec:DAI.DOI", 1);
    URI_Ref daiVal;
    ASSERT_TRUE(app.NewRsc_Val(&daiVal, dai));
    Set(m.p1SpsStVal, "sec:BDA.bType", EnumValue("PreBasicTypeEnum", "BOOLEAN"));
    EXPECT_TRUE(Prepare(daiVal, "sec:Val.sValue"));
    EXPECT_EQ(RowsOf(), (Rows{{"是", "true"}, {"否", "false"}}));
    URI_Ref orphan = Make(kIcdDomain, "sec:Val", "");
    EXPECT_FALSE(Prepare(orphan, "sec:Val.sValue"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"内部错误（181）：不能获得DA/BDA！"});
}

TEST_F(AttributeLists, ACyclicTypeChainEndsAndAStaleHandleGetsNothing) {
    // PTOC -> CommonLN -> PTOC: each type of the circle once.
    Link(m.commonLN, "sec:LNodeType.Abstract_Type", m.ptoc);
    URI_Ref ref = MakeUnder(icd.lnPtoc, "sec:ExtRef", "er", "sec:ExtRef.LNode", 2);
    Link(ref, "sec:DARef.LNode", icd.lnPtoc);
    EXPECT_TRUE(Prepare(ref, "sec:DARef.doName"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"  ", "Op", "  ", "Str", "Op", "  ", "Mod", "Beh", "NamPlt"}));
    pack.Reset();
    pack.vList2.Add("", "Nope.stVal[ST]");
    EXPECT_FALSE(app.HtmlMsg_OnPrepareEditField(View(kView_Html1), icd.lnPtoc, "sec:LNode.DOIs", "", &pack));
    URI_Ref stale("kiln.icd1#gone", "sec:LNode");
    EXPECT_FALSE(Prepare(stale, "cim:Naming.name"));
    EXPECT_TRUE(pack.vList.vPairs.empty());
    Struct_ItemDesc item = ItemOf(stale);
    EXPECT_TRUE(Children(kView_TreeUser, &item).empty());
}

TEST_F(AttributeLists, OrderNumbersAndDataReferenceNames) {
    EXPECT_TRUE(Prepare(icd.i3, "e301:OrdNaming.ord"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    URI_Ref fcda = MakeUnder(MakeUnder(icd.lnPtoc, "sec:DataSet", "ds", "sec:DataSet.LNode", 1), "sec:FCDA", "f",
                             "sec:FCDA.DataSet", 1);
    EXPECT_FALSE(Prepare(fcda, "sec:DARef.doName"));
    EXPECT_EQ(ui.Messages().back(), "请先指定逻辑节点！");
    Link(fcda, "sec:DARef.LNode", icd.lnPtoc);
    EXPECT_FALSE(Prepare(fcda, "sec:DARef.daName"));
    EXPECT_EQ(ui.Messages().back(), "请先指定DO！");
    Set(fcda, "sec:DARef.doName", "Nope");
    EXPECT_FALSE(Prepare(fcda, "sec:DARef.daName"));
    EXPECT_EQ(ui.Messages().back(), "非法DO名称！");
    // The node's type and each of its abstract types, each after its blank row.
    EXPECT_TRUE(Prepare(fcda, "sec:DARef.doName"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"  ", "Op", "  ", "Str", "Op", "  ", "Mod", "Beh", "NamPlt"}));
    // A row shows the constraints; it stores the name SCL gives the attribute.
    Set(fcda, "sec:DARef.doName", "Str");
    EXPECT_TRUE(Prepare(fcda, "sec:DARef.daName"));
    EXPECT_EQ(RowsOf(), (Rows{{"  ", "NULL"},
                              {"stVal[ST]", "stVal"},
                              {"q[ST]", "q"},
                              {"origin[ST].orCat", "origin.orCat"},
                              {"origin[ST].orIdent", "origin.orIdent"},
                              {"d[DC]", "d"}}));
    Set(fcda, "sec:DARef.doName", "Mod");
    EXPECT_TRUE(Prepare(fcda, "sec:DARef.daName"));
    EXPECT_EQ(RowsOf(), (Rows{{"  ", "NULL"}, {"stVal[ST,SV]", "stVal"}, {"ctlModel[CF]", "ctlModel"}}));
    // A type nesting past the walks' bound lists the paths up to it, and a
    // message before the list says where it stopped.
    URI_Ref inner;
    for (int i = 39; i >= 0; --i) {
        URI_Ref d = MakeDAType(m.instPkg, "D" + CString(std::to_string(i).c_str()), 200 + i);
        MakeBDA(d, "v", 1, "INT32");
        if (inner.IsSet()) MakeBDA(d, "b", 2, "Struct", inner);
        inner = d;
    }
    URI_Ref deep = MakeDOType(m.instPkg, "Deep", 9);
    MakeDA(deep, "d", 1, "ST", "Struct", inner);
    MakeDO(m.p1Ptoc, "Deep", 9, deep);
    Set(fcda, "sec:DARef.doName", "Deep");
    auto messages = ui.Messages();
    EXPECT_TRUE(Prepare(fcda, "sec:DARef.daName"));
    messages.push_back("类型嵌套超过32层");
    EXPECT_EQ(ui.Messages(), messages);
    const Rows rows = RowsOf();
    ASSERT_EQ(rows.size(), 32u);  // the blank row, then one "v" in each of the 31 types below the DO type
    std::string last = "d[ST]";
    for (int i = 0; i < 30; ++i) last += ".b";
    EXPECT_EQ(rows.back().first, last + ".v");
}

}  // namespace
