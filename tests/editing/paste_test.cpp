// The copy buffer and pasting: the pairs of classes, the logical-device and
// logical-node copies with what they carry, pastes that are refused or fail
// half-way, and after each paste no resource without its owner and every
// list numbered 1..n.
#include "tests/editing/copy_fixture.h"

namespace kiln::test {
namespace {

using Texts = std::vector<CString>;

class PasteTest : public CopyTest {
protected:
    void SetUp() override { x = BuildIcd(); }
    Texts Names(const std::vector<URI_Ref>& list) {
        Texts names;
        for (const URI_Ref& r : list) names.push_back(Get(r, "cim:Naming.name"));
        return names;
    }
    int Refreshes() { return ui.CountOf(Enum_UiCall::AllViewsRefresh); }
    // Copies `source` and pastes it onto `target`; the paste must succeed
    // and leave the document tidy.
    void CopyPaste(const URI_Ref& source, const URI_Ref& target) {
        const Snapshot before = Take();
        EXPECT_FALSE(app.Rsc_Copy(source));
        ui.ClearCalls();
        EXPECT_TRUE(app.Rsc_Paste(target));
        EXPECT_EQ(Refreshes(), 1);
        EXPECT_EQ(ui.LastOf(Enum_UiCall::AllViewsRefresh)->nType, 1u);
        EXPECT_TRUE(Messages().empty());
        ExpectTidy(before);
    }
    // A node of device P1/LD1 typed by the ICD's own LN type P1_LLN0, which
    // also gets a DO "Blk" of the ICD's DO type P1_INC; the node has a DOI.
    URI_Ref MakeIcdTypedNode() {
        MakeDO(x.pkgLln0, "Blk", 2, x.pkgInc);
        URI_Ref node = MakeLNode(x.ld1, "", "GAPC", "1", 3, x.pkgLln0);
        MakeUnder(node, "sec:DOI", "Mod", "sec:DOI.LNode", 1);
        ui.ClearCalls();
        return node;
    }
    IcdModel x;
};

TEST_F(PasteTest, APasteBeforeAnyCopyOrOfAPairWithoutARowMakesNothingAndSaysWhy) {
    const int before = Count();
    EXPECT_FALSE(app.Rsc_Paste(x.ld1));
    EXPECT_EQ(Refreshes(), 0);
    EXPECT_TRUE(Messages().empty());

    // Pairs that no row takes: refreshed, true, nothing made, one message.
    struct Case {
        URI_Ref copied, target;
        const char* message;
    };
    const Case cases[] = {
        {x.ptoc1, x.ld2, "逻辑节点不能粘贴到逻辑装置上！"},
        {x.ld1, x.ied, "逻辑装置不能粘贴到IED上！"},
        {x.pkgAv, x.pkg, "DA类型不能粘贴到类型声明包上！"},
        {x.pkgInc, x.pkg, "DO类型不能粘贴到类型声明包上！"},
        {x.pkgAv, x.pkgInc, "DA类型不能粘贴到DO类型上！"},
        {x.dataSet, x.ptoc1, "数据集不能粘贴！"},  // menus_model.kiln pastes these, a report block and an ICD
        {x.extRef, x.extRef, "外部输入量不能粘贴！"},
        {URI_Ref(), x.ld1, "复制的内容不能粘贴！"},  // an empty handle was copied
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(app.Rsc_Copy(c.copied));
        ui.ClearCalls();
        EXPECT_TRUE(app.Rsc_Paste(c.target)) << c.copied.sClass << " onto " << c.target.sClass;
        EXPECT_EQ(Refreshes(), 1);
        EXPECT_EQ(Messages(), Texts{c.message}) << c.copied.sClass << " onto " << c.target.sClass;
    }
    EXPECT_EQ(Count(), before);
}

TEST_F(PasteTest, ACopiedResourceDeletedSincePastesNothingAndSaysSo) {
    URI_Ref spare = MakeDAType(x.pkg, "Spare", 2);
    EXPECT_FALSE(app.Rsc_Copy(spare));
    ASSERT_TRUE(app.Rsc_Delete(spare, false));
    const int before = Count();
    ui.ClearCalls();
    EXPECT_FALSE(app.Rsc_Paste(x.pkgAv));
    EXPECT_EQ(Count(), before);
    EXPECT_EQ(Messages(), Texts{"复制的DA类型已被删除，不能粘贴！"});
    // The buffer still holds it; a later copy replaces it.
    ASSERT_EQ(app.m_vCopiedRscs.size(), 1u);
    EXPECT_FALSE(app.Rsc_Copy(x.pkgAv));
    EXPECT_TRUE(app.Rsc_Paste(x.pkgAv));
    EXPECT_EQ(Along(x.pkg, "sec:TypePackage.DATypes").size(), 2u);
}

TEST_F(PasteTest, AnLDeviceComesWithItsNodesInOrderAndTakesTheLastPlaceOfItsIed) {
    MakeLNode(x.ld1, "", "LPHD", "1", 3, m.lphd);
    MakeLNode(x.ld1, "", "PTOC", "2", 4, m.p1Ptoc);
    MakeLNode(x.ld1, "", "MMXU", "2", 5, m.mmxu);
    Set(x.ld1, "cim:Naming.description", "保护");
    CopyPaste(x.ld1, x.ld2);
    // The IED's devices are numbered across its two servers: LD1, LD2, LD3,
    // copy; the copy's name is taken, so it is named as a new device.
    std::vector<URI_Ref> lds = Along(x.ied, "sec:IED.Servers/sec:Server.LDevices");
    ASSERT_EQ(Names(lds), (Texts{"LD1", "LD2", "LD3", "LD_4"}));
    const URI_Ref copy = lds[3];
    EXPECT_EQ(Get(copy, "cim:Naming.description"), "保护");
    std::vector<URI_Ref> nodes = Along(copy, "sec:LDevice.LNodes");
    EXPECT_EQ(Names(nodes), (Texts{"LLN0", "PTOC1", "LPHD1", "PTOC2", "MMXU2"}));
    EXPECT_EQ(First(nodes[2], "sec:LNode.LNodeType"), m.lphd);
    // The source keeps its nodes.
    EXPECT_EQ(Along(x.ld1, "sec:LDevice.LNodes").size(), 5u);
}

TEST_F(PasteTest, ANodeGoesLastInTheTargetsDeviceWithItsTypeFoundByNameAndNoDois) {
    URI_Ref gapc = MakeIcdTypedNode();
    const size_t types = Along(x.pkg, "sec:TypePackage.LNodeTypes").size();
    CopyPaste(gapc, x.mmxu1);
    std::vector<URI_Ref> nodes = Along(x.ld2, "sec:LDevice.LNodes");
    ASSERT_EQ(Names(nodes), (Texts{"MMXU1", "GAPC1"}));
    EXPECT_EQ(Get(nodes[1], "sec:LNode.lnInst"), "1");
    EXPECT_EQ(Get(nodes[1], "sec:LNode.lnClass"), "GAPC");
    EXPECT_EQ(First(nodes[1], "sec:LNode.LNodeType"), x.pkgLln0);
    EXPECT_EQ(Along(x.pkg, "sec:TypePackage.LNodeTypes").size(), types);
    EXPECT_TRUE(Along(nodes[1], "sec:LNode.DOIs").empty());
}

TEST_F(PasteTest, ANodeOfASharedTypeTakesItsDoisAndTheDaisThatNameAnAttribute) {
    Link(x.doiOp, "sec:DOI.DO", m.p1PtocOp);
    Link(x.daiStVal, "sec:DAI.BDA", m.p1SpsStVal);
    MakeUnder(x.doiOp, "sec:DAI", "loose", "sec:DAI.DOI", 2);  // names no attribute
    URI_Ref q = MakeUnder(x.doiOp, "sec:DAI", "q", "sec:DAI.DOI", 3);
    Link(q, "sec:DAI.BDA", m.p1SpsQ);
    Set(q, "cim:Naming.description", "品质");
    CopyPaste(x.ptoc1, x.lln0);
    std::vector<URI_Ref> nodes = Along(x.ld1, "sec:LDevice.LNodes");
    ASSERT_EQ(Names(nodes), (Texts{"LLN0", "PTOC1", "PTOC2"}));
    const URI_Ref copy = nodes[2];
    EXPECT_EQ(First(copy, "sec:LNode.LNodeType"), m.p1Ptoc);
    std::vector<URI_Ref> dois = Along(copy, "sec:LNode.DOIs");
    ASSERT_EQ(Names(dois), Texts{"Op"});
    EXPECT_EQ(First(dois[0], "sec:DOI.DO"), m.p1PtocOp);
    std::vector<URI_Ref> dais = Along(dois[0], "sec:DOI.DAIs");
    ASSERT_EQ(Names(dais), (Texts{"stVal", "q"}));
    EXPECT_EQ(First(dais[0], "sec:DAI.BDA"), m.p1SpsStVal);
    EXPECT_EQ(First(dais[1], "sec:DAI.BDA"), m.p1SpsQ);
    EXPECT_EQ(Get(dais[1], "cim:Naming.description"), "品质");
    // Neither SDIs, values nor SV and GSE blocks are copied.
    EXPECT_TRUE(Along(dois[0], "sec:DOI.SDIs").empty());
    EXPECT_TRUE(Along(dais[0], "sec:DAI.Vals").empty());
    EXPECT_TRUE(Along(copy, "sec:LNode.CBs").empty());
}

TEST_F(PasteTest, ANodeFromAnotherIcdGetsItsTypeCopiedIntoTheReceivingPackageOnce) {
    URI_Ref gapc = MakeIcdTypedNode();
    Icd2Model y = BuildIcd2();
    CopyPaste(gapc, y.ggio);
    std::vector<URI_Ref> nodes = Along(y.lda, "sec:LDevice.LNodes");
    ASSERT_EQ(Names(nodes), (Texts{"GGIO1", "GAPC1"}));
    std::vector<URI_Ref> lnTypes = Along(y.pkg, "sec:TypePackage.LNodeTypes");
    ASSERT_EQ(Names(lnTypes), Texts{"P1_LLN0"});
    EXPECT_EQ(First(nodes[1], "sec:LNode.LNodeType"), lnTypes[0]);
    EXPECT_EQ(First(lnTypes[0], "sec:LNodeType.ClassOf_LNType"), m.lln0);
    EXPECT_EQ(Names(Along(lnTypes[0], "sec:LNodeType.DOs")), (Texts{"Mod", "Blk"}));
    EXPECT_EQ(Names(Along(y.pkg, "sec:TypePackage.DOTypes")), Texts{"P1_INC"});
    EXPECT_EQ(Names(Along(y.pkg, "sec:TypePackage.DATypes")), Texts{"P1_AV"});
    // The type is not shared, so the DOIs stay behind.
    EXPECT_TRUE(Along(nodes[1], "sec:LNode.DOIs").empty());

    // Pasted again, the node finds the copied type by name.
    CopyPaste(gapc, y.ggio);
    nodes = Along(y.lda, "sec:LDevice.LNodes");
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(First(nodes[2], "sec:LNode.LNodeType"), lnTypes[0]);
    EXPECT_EQ(Along(y.pkg, "sec:TypePackage.LNodeTypes").size(), 1u);
}

TEST_F(PasteTest, ANodePastedIntoABaseDeviceTakesItsTypeFromTheDevicesPackage) {
    URI_Ref gapc = MakeIcdTypedNode();
    URI_Ref baseNode = Along(x.baseLd, "sec:LDevice.LNodes")[0];
    const size_t types = Along(x.pkg, "sec:TypePackage.LNodeTypes").size();
    CopyPaste(gapc, baseNode);
    std::vector<URI_Ref> nodes = Along(x.baseLd, "sec:LDevice.LNodes");
    ASSERT_EQ(Names(nodes), (Texts{"LLN0", "GAPC1"}));
    EXPECT_EQ(First(nodes[1], "sec:LNode.LNodeType"), x.pkgLln0);
    EXPECT_EQ(Along(x.pkg, "sec:TypePackage.LNodeTypes").size(), types);
}

TEST_F(PasteTest, ControlBlocksGoOnTheFirstCopiedDataSetOfTheirDataSetsName) {
    URI_Ref second = MakeUnder(x.lln0, "sec:DataSet", "dsAin", "sec:DataSet.LNode", 2);
    MakeUnder(second, "sec:FCDA", "FCDA_1", "sec:FCDA.DataSet", 1);
    MakeUnder(x.lln0, "sec:DataSet", "dsOther", "sec:DataSet.LNode", 3);
    MakeUnder(x.lln0, "sec:DataSet", "", "sec:DataSet.LNode", 4);  // a nameless one
    URI_Ref fcda = Along(x.dataSet, "sec:DataSet.FCDAs")[0];
    Set(fcda, "sec:DARef.doName", "Op");
    Set(fcda, "sec:DARef.daName", "stVal");
    Link(x.lcb, "sec:LCB.DataSet", second);
    Set(x.lcb, "sec:LCB.intgPd", "5000");
    URI_Ref lcb2 = MakeUnder(x.lln0, "sec:LCB", "lcb2", "sec:LCB.LNode", 2);
    Set(lcb2, "sec:LCB.intgPd", "7000");
    // The RCB's data set belongs to another node and matches no copied name.
    URI_Ref foreign = MakeUnder(x.ptoc1, "sec:DataSet", "dsTrip", "sec:DataSet.LNode", 1);
    Link(x.rcb, "sec:RCB.DataSet", foreign);
    Set(x.extRef, "sec:DARef.doName", "Op");
    Set(x.log, "cim:Naming.description", "日志");
    CopyPaste(x.lln0, x.mmxu1);

    const URI_Ref copy = Along(x.ld2, "sec:LDevice.LNodes")[1];
    std::vector<URI_Ref> sets = Along(copy, "sec:LNode.DataSets");
    // The nameless one keeps its creator's name.
    ASSERT_EQ(Names(sets), (Texts{"dsAin", "dsAin", "dsOther", "DataSet_4"}));
    std::vector<URI_Ref> fcdas = Along(sets[0], "sec:DataSet.FCDAs");
    ASSERT_EQ(Names(fcdas), (Texts{"FCDA_1", "FCDA_2"}));
    EXPECT_EQ(Get(fcdas[0], "sec:DARef.doName"), "Op");
    EXPECT_EQ(Get(fcdas[0], "sec:DARef.daName"), "stVal");

    std::vector<URI_Ref> lcbs = Along(copy, "sec:LNode.LCBs");
    ASSERT_EQ(Names(lcbs), (Texts{"lcb", "lcb2"}));
    EXPECT_EQ(First(lcbs[0], "sec:LCB.DataSet"), sets[0]);
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.intgPd"), "5000");
    // Without a data set (not even the nameless one): the creator's defaults.
    EXPECT_TRUE(First(lcbs[1], "sec:LCB.DataSet").IsEmpty());
    EXPECT_EQ(Get(lcbs[1], "sec:LCB.intgPd"), "10000");
    std::vector<URI_Ref> rcbs = Along(copy, "sec:LNode.RCBs");
    ASSERT_EQ(Names(rcbs), Texts{"brcbAin"});
    EXPECT_TRUE(First(rcbs[0], "sec:RCB.DataSet").IsEmpty());
    EXPECT_TRUE(Along(rcbs[0], "sec:RCB.ClientLNs").empty());

    // External inputs take their names only; the log its values.
    std::vector<URI_Ref> extRefs = Along(copy, "sec:LNode.ExtRefs");
    ASSERT_EQ(Names(extRefs), Texts{"ExtRef_1"});
    EXPECT_EQ(Get(extRefs[0], "sec:DARef.doName"), "");
    EXPECT_EQ(Get(First(copy, "sec:LNode.Log"), "cim:Naming.description"), "日志");
    // The source's blocks keep their data sets.
    EXPECT_EQ(First(x.lcb, "sec:LCB.DataSet"), second);
    EXPECT_EQ(First(x.rcb, "sec:RCB.DataSet"), foreign);
}

// A copied member names the copy of the node its original names when that
// node was copied too (also a node copied after the member's), else the
// original node in the same IED, else the node of the same device name and
// node name in the IED it was pasted into, or none.
TEST_F(PasteTest, CopiedMembersNameTheCopiesOfTheirNodesOrTheOriginals) {
    const std::vector<URI_Ref> members = Along(x.dataSet, "sec:DataSet.FCDAs");
    Link(members[0], "sec:DARef.LNode", x.lln0);
    Link(members[1], "sec:DARef.LNode", x.ptoc1);
    URI_Ref third = MakeUnder(x.dataSet, "sec:FCDA", "FCDA_3", "sec:FCDA.DataSet", 3);
    Link(third, "sec:DARef.LNode", x.mmxu1);
    MakeUnder(x.dataSet, "sec:FCDA", "FCDA_4", "sec:FCDA.DataSet", 4);  // names no node

    // A node: its own members name the copy, the others their nodes.
    CopyPaste(x.lln0, x.mmxu1);
    const URI_Ref nodeCopy = Along(x.ld2, "sec:LDevice.LNodes")[1];
    std::vector<URI_Ref> copied = Along(First(nodeCopy, "sec:LNode.DataSets"), "sec:DataSet.FCDAs");
    ASSERT_EQ(copied.size(), 4u);
    EXPECT_EQ(First(copied[0], "sec:DARef.LNode"), nodeCopy);
    EXPECT_EQ(First(copied[1], "sec:DARef.LNode"), x.ptoc1);
    EXPECT_EQ(First(copied[2], "sec:DARef.LNode"), x.mmxu1);
    EXPECT_TRUE(First(copied[3], "sec:DARef.LNode").IsEmpty());

    // A device: LLN0 and PTOC1 are copied with it (PTOC1 after the data
    // set), MMXU1 of another device is not.
    CopyPaste(x.ld1, x.ld2);
    const URI_Ref ldCopy = Along(x.ied, "sec:IED.Servers/sec:Server.LDevices").back();
    const std::vector<URI_Ref> nodes = Along(ldCopy, "sec:LDevice.LNodes");
    ASSERT_EQ(nodes.size(), 2u);
    copied = Along(First(nodes[0], "sec:LNode.DataSets"), "sec:DataSet.FCDAs");
    ASSERT_EQ(copied.size(), 4u);
    EXPECT_EQ(First(copied[0], "sec:DARef.LNode"), nodes[0]);
    EXPECT_EQ(First(copied[1], "sec:DARef.LNode"), nodes[1]);
    EXPECT_EQ(First(copied[2], "sec:DARef.LNode"), x.mmxu1);
    // The originals keep their nodes.
    EXPECT_EQ(First(members[1], "sec:DARef.LNode"), x.ptoc1);

    // Into another ICD, which has an LD2/MMXU1 and no LD1/PTOC1; of its two
    // devices named LD2 the first by number answers, not the first made.
    const Icd2Model y = BuildIcd2();
    const URI_Ref ld2Again = MakeUnder(y.server, "sec:LDevice", "LD2", "sec:LDevice.Server", 3);
    MakeLNode(ld2Again, "", "MMXU", "1", 1, m.mmxu);
    const URI_Ref ld2 = MakeUnder(y.server, "sec:LDevice", "LD2", "sec:LDevice.Server", 2);
    const URI_Ref mmxu1 = MakeLNode(ld2, "", "MMXU", "1", 1, m.mmxu);
    CopyPaste(x.lln0, mmxu1);
    const URI_Ref otherCopy = Along(ld2, "sec:LDevice.LNodes")[1];
    copied = Along(First(otherCopy, "sec:LNode.DataSets"), "sec:DataSet.FCDAs");
    ASSERT_EQ(copied.size(), 4u);
    EXPECT_EQ(First(copied[0], "sec:DARef.LNode"), otherCopy);
    EXPECT_TRUE(First(copied[1], "sec:DARef.LNode").IsEmpty());
    EXPECT_EQ(First(copied[2], "sec:DARef.LNode"), mmxu1);
    EXPECT_TRUE(First(copied[3], "sec:DARef.LNode").IsEmpty());
}

TEST_F(PasteTest, TheSettingGroupTreeIsCopiedAndTheSourceKeepsItsOwn) {
    URI_Ref sg1 = Along(x.sgcb, "sec:SGCB.SettingGroups")[0];
    MakeUnder(sg1, "sec:SettingData", "SD2", "sec:SettingData.SettingGroup", 2);
    MakeUnder(sg1, "sec:SettingData", "SD3", "sec:SettingData.SettingGroup", 3);
    URI_Ref sg2 = MakeUnder(x.sgcb, "sec:SettingGroup", "SG2", "sec:SettingGroup.SGCB", 2);
    for (int i = 1; i <= 3; ++i)
        MakeUnder(sg2, "sec:SettingData", "SD" + ToText(i), "sec:SettingData.SettingGroup", i);
    CopyPaste(x.lln0, x.mmxu1);
    const URI_Ref copy = Along(x.ld2, "sec:LDevice.LNodes")[1];
    const URI_Ref sgcb = First(copy, "sec:LNode.SGCB");
    ASSERT_TRUE(sgcb.IsSet());
    EXPECT_NE(sgcb, x.sgcb);
    std::vector<URI_Ref> groups = Along(sgcb, "sec:SGCB.SettingGroups");
    ASSERT_EQ(Names(groups), (Texts{"SG1", "SG2"}));
    for (const URI_Ref& g : groups)
        EXPECT_EQ(Names(Along(g, "sec:SettingGroup.SettingDatas")), (Texts{"SD1", "SD2", "SD3"}));
    std::vector<URI_Ref> own = Along(x.sgcb, "sec:SGCB.SettingGroups");
    ASSERT_EQ(own, (std::vector<URI_Ref>{sg1, sg2}));
    EXPECT_EQ(Along(sg1, "sec:SettingGroup.SettingDatas").size(), 3u);
}

TEST_F(PasteTest, TypesGoLastInTheTargetsPackageAndADoLastInItsLNodeType) {
    CopyPaste(x.pkgAv, x.pkgAv);
    EXPECT_EQ(Names(Along(x.pkg, "sec:TypePackage.DATypes")), (Texts{"P1_AV", "P1_AV2"}));
    CopyPaste(x.pkgInc, x.pkgInc);
    EXPECT_EQ(Names(Along(x.pkg, "sec:TypePackage.DOTypes")), (Texts{"P1_INC", "P1_INC2"}));
    // An LN type onto its package and onto a type of it.
    CopyPaste(x.pkgLln0, x.pkg);
    CopyPaste(x.pkgLln0, x.pkgLln0);
    std::vector<URI_Ref> lnTypes = Along(x.pkg, "sec:TypePackage.LNodeTypes");
    ASSERT_EQ(Names(lnTypes), (Texts{"P1_LLN0", "P1_LLN02", "P1_LLN03"}));
    EXPECT_EQ(Names(Along(lnTypes[2], "sec:LNodeType.DOs")), Texts{"Mod"});

    // A DO onto a DO: last in that DO's LNodeType, though its source is first.
    URI_Ref mod = Along(x.pkgLln0, "sec:LNodeType.DOs")[0];
    MakeDO(x.pkgLln0, "Beh", 2, m.inc);
    const URI_Ref blk = MakeDO(lnTypes[2], "Blk", 1, m.inc);
    CopyPaste(blk, mod);
    std::vector<URI_Ref> dos = Along(x.pkgLln0, "sec:LNodeType.DOs");
    ASSERT_EQ(Names(dos), (Texts{"Mod", "Beh", "Blk"}));
    EXPECT_EQ(First(dos[2], "sec:DO.DefinedBy_DOType"), m.inc);
    // A DO onto an LNodeType of another ICD's package.
    Icd2Model y = BuildIcd2();
    URI_Ref target = MakeLNodeType(y.pkg, "P2_LLN0", 1);
    MakeDO(target, "Loc", 1, m.sps);
    CopyPaste(mod, target);
    EXPECT_EQ(Names(Along(target, "sec:LNodeType.DOs")), (Texts{"Loc", "Mod"}));
}

TEST_F(PasteTest, APasteIntoALockedDomainMakesNothingAndShowsOneMessage) {
    URI_Ref gapc = MakeIcdTypedNode();
    // The receiving ICD's package is locked: the node is made, its type
    // cannot be, and the node goes again.
    Icd2Model y = BuildIcd2(true);
    const int before = Count();
    EXPECT_FALSE(app.Rsc_Copy(gapc));
    EXPECT_FALSE(app.Rsc_Paste(y.ggio));
    EXPECT_EQ(Messages(), Texts{"当前域不可编辑！-W0058"});
    EXPECT_EQ(Count(), before);
    EXPECT_EQ(Refreshes(), 1);

    // The whole ICD locked: the device is refused at once.
    // A DO of a name the target type does not hold.
    const URI_Ref otherType = MakeLNodeType(x.pkg, "P1_X", 9);
    const URI_Ref blk = MakeDO(otherType, "Health", 1, x.pkgInc);
    const int withBlk = Count();
    ASSERT_TRUE(Doc().SetDomainEditable(kIcdDomain, false));
    struct Case {
        URI_Ref copied, target;
        const char* message;
    };
    const Case cases[] = {
        {x.ld1, x.ld2, "当前域不可编辑！-W0071"},
        {x.ptoc1, x.mmxu1, "当前域不可编辑！-W0072"},
        {x.pkgAv, x.pkgAv, "当前域不可编辑！-W0060"},
        {x.pkgInc, x.pkgInc, "当前域不可编辑！-W0059"},
        {x.pkgLln0, x.pkg, "当前域不可编辑！-W0058"},
        {blk, x.pkgLln0, "当前域不可编辑！-W0061"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(app.Rsc_Copy(c.copied));
        ui.ClearCalls();
        EXPECT_FALSE(app.Rsc_Paste(c.target)) << c.message;
        EXPECT_EQ(Messages(), Texts{c.message});
        EXPECT_EQ(Count(), withBlk);
    }
}

TEST_F(PasteTest, ADoOfANameTheTypeHoldsIsRefusedAndNothingIsMade) {
    const Texts refused{"LN类型中已经存在名为Mod的DO，不能粘贴！"};
    const URI_Ref mod = Along(x.pkgLln0, "sec:LNodeType.DOs")[0];
    Icd2Model y = BuildIcd2();
    const URI_Ref holding = MakeLNodeType(y.pkg, "P2_LLN0", 1);
    MakeDO(holding, "Mod", 1, m.inc);
    const int before = Count();
    EXPECT_FALSE(app.Rsc_Copy(mod));
    // Onto itself, onto its own type, onto another ICD's type holding "Mod".
    for (const URI_Ref& target : {mod, x.pkgLln0, holding}) {
        ui.ClearCalls();
        EXPECT_FALSE(app.Rsc_Paste(target));
        EXPECT_EQ(Messages(), refused);
        EXPECT_EQ(Refreshes(), 1);
        EXPECT_EQ(Count(), before);
    }
    EXPECT_EQ(Names(Along(x.pkgLln0, "sec:LNodeType.DOs")), Texts{"Mod"});
    EXPECT_EQ(Names(Along(holding, "sec:LNodeType.DOs")), Texts{"Mod"});
    // Its name freed there, the type takes it.
    Set(Along(holding, "sec:LNodeType.DOs")[0], "cim:Naming.name", "Health");
    CopyPaste(mod, holding);
    EXPECT_EQ(Names(Along(holding, "sec:LNodeType.DOs")), (Texts{"Health", "Mod"}));
}

TEST_F(PasteTest, ACopiedLln0IsRefusedWhereTheDeviceHasOneAndNothingIsMade) {
    const Texts refused{"逻辑装置中已经存在LLN0，不能增加逻辑节点！"};
    const int before = Count();
    EXPECT_FALSE(app.Rsc_Copy(x.lln0));
    // Onto a node of its own device, and onto itself.
    for (const URI_Ref& target : {x.ptoc1, x.lln0}) {
        ui.ClearCalls();
        EXPECT_FALSE(app.Rsc_Paste(target));
        EXPECT_EQ(Messages(), refused);
        EXPECT_EQ(Refreshes(), 1);
        EXPECT_EQ(Count(), before);
    }
    // Nodes made in the editor carry no class of their own: the class of
    // their type counts, for the copied node and for the device's one.
    URI_Ref madeLln0 = MakeLNode(x.ld2, "", "", "", 2, m.lln0);
    const int withIt = Count();
    EXPECT_FALSE(app.Rsc_Copy(madeLln0));
    ui.ClearCalls();
    EXPECT_FALSE(app.Rsc_Paste(x.mmxu1));
    EXPECT_EQ(Messages(), refused);
    EXPECT_EQ(Count(), withIt);
    EXPECT_FALSE(app.Rsc_Copy(x.lln0));
    ui.ClearCalls();
    EXPECT_FALSE(app.Rsc_Paste(x.mmxu1));
    EXPECT_EQ(Messages(), refused);
    EXPECT_EQ(Along(x.ld2, "sec:LDevice.LNodes"), (std::vector<URI_Ref>{x.mmxu1, madeLln0}));
    // A device without its LLN0 takes the copy; other classes are pasted beside it.
    ASSERT_TRUE(app.Rsc_Delete(madeLln0, false));
    CopyPaste(x.lln0, x.mmxu1);
    CopyPaste(x.ptoc1, x.lln0);
    EXPECT_EQ(Names(Along(x.ld2, "sec:LDevice.LNodes")), (Texts{"MMXU1", "LLN0"}));
    EXPECT_EQ(Names(Along(x.ld1, "sec:LDevice.LNodes")), (Texts{"LLN0", "PTOC1", "PTOC2"}));
}

TEST_F(PasteTest, ANameTakenWhereTheCopyGoesGivesTheFirstFreeNumberAndTheStatusLineSaysSo) {
    // The status texts of one paste.
    auto pasteSays = [&](const URI_Ref& source, const URI_Ref& target) {
        CopyPaste(source, target);
        Texts texts;
        for (const Struct_UiCall& call : ui.CallsOf(Enum_UiCall::StatusText)) texts.push_back(call.sText);
        return texts;
    };
    // A node into its own device: after the class's two other nodes comes
    // 3, which the prefix A has, so 4.
    Set(x.ptoc1, "sec:LNode.prefix", "A");
    Set(x.ptoc1, "cim:Naming.name", "APTOC1");
    const URI_Ref third = MakeLNode(x.ld1, "A", "PTOC", "3", 3, m.p1Ptoc);
    EXPECT_EQ(pasteSays(x.ptoc1, third), Texts{"逻辑节点APTOC1已存在，新逻辑节点命名为APTOC4"});
    std::vector<URI_Ref> nodes = Along(x.ld1, "sec:LDevice.LNodes");
    ASSERT_EQ(Names(nodes), (Texts{"LLN0", "APTOC1", "APTOC3", "APTOC4"}));
    EXPECT_EQ(Get(nodes[3], "sec:LNode.lnInst"), "4");
    EXPECT_EQ(Get(nodes[3], "sec:LNode.prefix"), "A");
    // Prefix, class and instance count, not the name: "BPTOC1" stands for
    // CPTOC1, the fifth of its class.
    const URI_Ref other = MakeLNode(x.ld1, "B", "PTOC", "1", 5, m.p1Ptoc);
    Set(other, "sec:LNode.prefix", "C");
    EXPECT_EQ(pasteSays(other, x.ptoc1), Texts{"逻辑节点CPTOC1已存在，新逻辑节点命名为CPTOC5"});
    // A free name is kept, silently: into another device, and of another prefix.
    EXPECT_TRUE(pasteSays(x.ptoc1, x.mmxu1).empty());
    Set(x.ptoc1, "sec:LNode.prefix", "D");
    Set(x.ptoc1, "cim:Naming.name", "DPTOC1");
    EXPECT_TRUE(pasteSays(x.ptoc1, x.mmxu1).empty());
    EXPECT_EQ(Names(Along(x.ld2, "sec:LDevice.LNodes")), (Texts{"MMXU1", "APTOC1", "DPTOC1"}));

    // A type into the package of its name: the name and the first free
    // number from 2; into a package without that name, its own.
    Set(x.pkgInc, "cim:Naming.name", "P1_X");
    MakeDOType(x.pkg, "P1_X2", 2);
    EXPECT_EQ(pasteSays(x.pkgInc, x.pkgInc), Texts{"DO类型P1_X已存在，新类型命名为P1_X3"});
    EXPECT_EQ(pasteSays(x.pkgAv, x.pkgAv), Texts{"DA类型P1_AV已存在，新类型命名为P1_AV2"});
    EXPECT_EQ(pasteSays(x.pkgLln0, x.pkgLln0), Texts{"LN类型P1_LLN0已存在，新类型命名为P1_LLN02"});
    EXPECT_EQ(Names(Along(x.pkg, "sec:TypePackage.DOTypes")), (Texts{"P1_X", "P1_X2", "P1_X3"}));
    Icd2Model y = BuildIcd2();
    EXPECT_TRUE(pasteSays(x.pkgLln0, y.pkg).empty());
    EXPECT_EQ(Names(Along(y.pkg, "sec:TypePackage.LNodeTypes")), Texts{"P1_LLN0"});

    // A device into its own IED: "LD_" and the first free number from its
    // place; into another ICD's IED it keeps its name.
    Set(x.ld3, "cim:Naming.name", "LD_4");
    EXPECT_EQ(pasteSays(x.ld1, x.ld2), Texts{"逻辑装置LD1已存在，新逻辑装置命名为LD_5"});
    EXPECT_EQ(Names(Along(x.ied, "sec:IED.Servers/sec:Server.LDevices")), (Texts{"LD1", "LD2", "LD_4", "LD_5"}));
    EXPECT_TRUE(pasteSays(x.ld1, y.lda).empty());
    EXPECT_EQ(Names(Along(y.server, "sec:Server.LDevices")), (Texts{"LDA", "LD1"}));
}

TEST_F(PasteTest, ACreationFailingAnywhereTakesBackTheWholePaste) {
    // A device of the first ICD into the second: nodes of shared and of
    // copied types, DOIs, data sets, blocks, settings, inputs.
    MakeIcdTypedNode();
    Link(x.daiStVal, "sec:DAI.BDA", m.p1SpsStVal);
    Icd2Model y = BuildIcd2();
    EXPECT_FALSE(app.Rsc_Copy(x.ld1));
    const Snapshot before = Take();
    const int count = Count();
    int failures = 0;
    for (int k = 0; k < 400; ++k) {
        Doc().InjectFault("create", k);
        const bool done = app.Rsc_Paste(y.lda);
        Doc().ClearFault();
        if (done) break;
        ++failures;
        EXPECT_EQ(Count(), count) << "creation " << k;
        EXPECT_TRUE(Messages().empty()) << "creation " << k;
    }
    // Each resource of the paste (the LDevice, 3 nodes, DOIs, DAIs, data
    // sets, FCDAs, blocks, settings, input and types) failed once.
    EXPECT_EQ(static_cast<size_t>(failures), MadeSince(before).size());
    EXPECT_GT(failures, 20);
    ExpectTidy(before);
    EXPECT_EQ(Along(y.ied, "sec:IED.Servers/sec:Server.LDevices").size(), 2u);
}

}  // namespace
}  // namespace kiln::test
