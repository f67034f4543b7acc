// Information groups from 103 addresses, channel numbers of recorder nodes,
// the re-typing of LLN0 and LPHD nodes, and the member-list test.
#include <map>
#include <string>

#include "tests/editing/editing_fixture.h"

namespace kiln::test {
namespace {

class AutoGenerateTest : public EditingTest {
protected:
    AutoGenerateTest() {
        MakeDomain(kIcdDomain, "二次模型装置ICD包");
        ld = MakeLDevice(kIcdDomain, "RCD", 1);
        ui.ClearCalls();
    }

    URI_Ref Item(const URI_Ref& itb, const CString& typ, const CString& grp, const CString& group = "") {
        ++items;
        URI_Ref item = MakeUnder(itb, "sec:InfoItem", "I" + ToText(items), "sec:InfoItem.ITB", items);
        if (!typ.IsEmpty()) Set(item, "sec:InfoItem.p103_typ", typ);
        if (!grp.IsEmpty()) Set(item, "sec:InfoItem.p103_grp", grp);
        if (!group.IsEmpty()) Set(item, "sec:InfoItem.infoGroup", group);
        return item;
    }

    // An instance LN type of the class (a standard LN type named so), with a
    // DO "ChNum" of an ING-like type holding "setVal" when withChannel.
    URI_Ref RecorderType(const CString& lnClass, bool withChannel) {
        URI_Ref cls = MakeLNodeType(m.stdPkg, lnClass, 90 + (++types));
        URI_Ref t = MakeLNodeType(m.instPkg, "P1_" + lnClass + ToText(types), 90 + types);
        Link(t, "sec:LNodeType.ClassOf_LNType", cls);
        if (withChannel) {
            URI_Ref ing = MakeDOType(m.instPkg, "P1_ING" + ToText(types), 90 + types);
            MakeDA(ing, "minVal", 1, "CF", "INT32");
            settingOf[t.sUri] = MakeDA(ing, "SETVAL", 2, "SG", "INT32");  // any letter case
            MakeDO(t, "Other", 1, m.sps);
            MakeDO(t, "chnum", 2, ing);
        }
        return t;
    }

    URI_Ref ld;
    std::map<std::string, URI_Ref> settingOf;  // LN type -> its setting DA
    int items = 0, types = 0;
};

TEST_F(AutoGenerateTest, ItemsAreGroupedByTypeAndGroupNumber) {
    URI_Ref itb = Make(kIcdDomain, "sec:ITB", "ITB");
    URI_Ref a = Item(itb, "1", "2"), b = Item(itb, "1", "2", "old"), c = Item(itb, "2", "5");
    URI_Ref untyped = Item(itb, "", "7", "kept");
    URI_Ref noGroup = Item(itb, "1", "");
    MakeUnder(itb, "sec:InfoGroup", "1/2", "sec:InfoGroup.ITB");
    MakeUnder(itb, "sec:InfoGroup", "2/5 ", "sec:InfoGroup.ITB");  // a trailing blank is another name

    EXPECT_TRUE(app.Rsc_AutoGroupInfoItem(itb));
    EXPECT_EQ(Get(a, "sec:InfoItem.infoGroup"), "1/2");
    EXPECT_EQ(Get(b, "sec:InfoItem.infoGroup"), "1/2");
    EXPECT_EQ(Get(c, "sec:InfoItem.infoGroup"), "2/5");
    EXPECT_EQ(Get(untyped, "sec:InfoItem.infoGroup"), "kept");
    EXPECT_EQ(Get(noGroup, "sec:InfoItem.infoGroup"), "1/");
    EXPECT_EQ(NamesAlong(itb, "sec:ITB.InfoGroups"), (std::vector<CString>{"1/2", "2/5 ", "1/", "2/5"}));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ui.CountOf(Enum_UiCall::AllViewsRefresh), 1);

    // A second run finds every group.
    EXPECT_TRUE(app.Rsc_AutoGroupInfoItem(itb));
    EXPECT_EQ(NamesAlong(itb, "sec:ITB.InfoGroups").size(), 4u);
}

TEST_F(AutoGenerateTest, GroupsAreMadeInTextOrderAndCaseCounts) {
    URI_Ref itb = Make(kIcdDomain, "sec:ITB", "ITB");
    Item(itb, "2", "1");
    Item(itb, "10", "1");
    Item(itb, "a", "1");
    MakeUnder(itb, "sec:InfoGroup", "A/1", "sec:InfoGroup.ITB");
    EXPECT_TRUE(app.Rsc_AutoGroupInfoItem(itb));
    EXPECT_EQ(NamesAlong(itb, "sec:ITB.InfoGroups"), (std::vector<CString>{"A/1", "10/1", "2/1", "a/1"}));
}

TEST_F(AutoGenerateTest, RecorderChannelsGetTheirInstanceNumber) {
    URI_Ref radrType = RecorderType("RADR", true);
    URI_Ref fresh = MakeLNode(ld, "", "RADR", "3", 1, radrType);
    URI_Ref lower = MakeLNode(ld, "", "radr", "4", 2, RecorderType("radr", true));
    URI_Ref rbdr = MakeLNode(ld, "", "RBDR", "5", 3, RecorderType("RBDR", true));
    URI_Ref plain = MakeLNode(ld, "", "RBDR", "6", 4, RecorderType("RBDR", false));
    MakeLNode(ld, "", "RADR", "7", 5);  // no type: left alone
    // RBDR5: a DOI "ChNum" with two setting DAIs and a DOI in other letter case.
    URI_Ref doi = MakeUnder(rbdr, "sec:DOI", "ChNum", "sec:DOI.LNode", 1);
    URI_Ref dai1 = MakeUnder(doi, "sec:DAI", "setVal[SG]", "sec:DAI.DOI", 1);
    URI_Ref other = MakeUnder(doi, "sec:DAI", "setVal", "sec:DAI.DOI", 2);
    URI_Ref dai2 = MakeUnder(doi, "sec:DAI", "setVal[SG]", "sec:DAI.DOI", 3);
    MakeUnder(rbdr, "sec:DOI", "CHNUM", "sec:DOI.LNode", 2);
    // RBDR6: its type has no channel DO, but the node has a DOI "ChNum" without DAIs.
    URI_Ref bare = MakeUnder(plain, "sec:DOI", "ChNum", "sec:DOI.LNode", 1);
    ui.ClearCalls();

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        EXPECT_TRUE(app.Rsc_Set_ChNum(ld));
        // RADR3: a new DOI "ChNum" with one DAI "setVal[SG]" = "3", linked to the definitions.
        ASSERT_EQ(NamesAlong(fresh, "sec:LNode.DOIs"), std::vector<CString>{"ChNum"});
        URI_Ref made = Doc().FirstTarget(fresh, "sec:LNode.DOIs");
        EXPECT_EQ(Doc().FirstTarget(made, "sec:DOI.DO"), app.Get_DO_Dfn(fresh, "chnum"));
        ASSERT_EQ(NamesAlong(made, "sec:DOI.DAIs"), std::vector<CString>{"setVal[SG]"});
        URI_Ref dai = Doc().FirstTarget(made, "sec:DOI.DAIs");
        EXPECT_EQ(Get(dai, "sec:DAI.valueStr"), "3");
        EXPECT_EQ(Doc().FirstTarget(dai, "sec:DAI.BDA"), settingOf[radrType.sUri]);
        // "radr" is no recorder class.
        EXPECT_TRUE(NamesAlong(lower, "sec:LNode.DOIs").empty());
        // Both setting DAIs of the existing DOI; the DOI in other case gets
        // nothing, and a second DOI "ChNum" is not made.
        EXPECT_EQ(Get(dai1, "sec:DAI.valueStr"), "5");
        EXPECT_EQ(Get(dai2, "sec:DAI.valueStr"), "5");
        EXPECT_EQ(Get(other, "sec:DAI.valueStr"), "");
        EXPECT_EQ(NamesAlong(rbdr, "sec:LNode.DOIs"), (std::vector<CString>{"ChNum", "CHNUM"}));
        // A DOI "ChNum" without a setting DAI gets one, without a definition.
        ASSERT_EQ(NamesAlong(bare, "sec:DOI.DAIs"), std::vector<CString>{"setVal[SG]"});
        URI_Ref added = Doc().FirstTarget(bare, "sec:DOI.DAIs");
        EXPECT_EQ(Get(added, "sec:DAI.valueStr"), "6");
        EXPECT_TRUE(Doc().FirstTarget(added, "sec:DAI.BDA").IsEmpty());
    }
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(AutoGenerateTest, ADoiInOtherCaseLeavesRoomForTheChannelDoi) {
    URI_Ref node = MakeLNode(ld, "", "RADR", "2", 1, RecorderType("RADR", true));
    MakeUnder(node, "sec:DOI", "chNum", "sec:DOI.LNode", 1);
    EXPECT_TRUE(app.Rsc_Set_ChNum(ld));
    EXPECT_EQ(NamesAlong(node, "sec:LNode.DOIs"), (std::vector<CString>{"chNum", "ChNum"}));
}

TEST_F(AutoGenerateTest, ALockedNodeShowsTheCreatorsMessageAndTheRestGoesOn) {
    MakeDomain("kiln.locked#", "二次模型装置ICD包");
    URI_Ref lockedLd = MakeLDevice("kiln.locked#", "RCD2", 1);
    URI_Ref locked = MakeLNode(lockedLd, "", "RADR", "1", 1, RecorderType("RADR", true));
    Doc().SetDomainEditable("kiln.locked#", false);
    EXPECT_TRUE(app.Rsc_Set_ChNum(lockedLd));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0073"});
    EXPECT_TRUE(NamesAlong(locked, "sec:LNode.DOIs").empty());
}

class RetypeTest : public AutoGenerateTest {
protected:
    // The package "故障信息类型包" with an LLN0 and an LPHD type (classes
    // written in other case).
    void MakeFaultPackage(bool withLphd = true) {
        MakeDomain("kiln.fault#", "二次模型数据类型包");
        URI_Ref pkg = MakeTypePackage("kiln.fault#", "故障信息类型包", true);
        URI_Ref cls0 = MakeLNodeType(m.stdPkg, "lln0", 80);
        URI_Ref other = MakeLNodeType(pkg, "F_GGIO", 1);
        Link(other, "sec:LNodeType.ClassOf_LNType", MakeLNodeType(m.stdPkg, "GGIO", 81));
        newLln0 = MakeLNodeType(pkg, "F_LLN0", 2);
        Link(newLln0, "sec:LNodeType.ClassOf_LNType", cls0);
        if (withLphd) {
            newLphd = MakeLNodeType(pkg, "F_LPHD", 3);
            Link(newLphd, "sec:LNodeType.ClassOf_LNType", m.lphd);
        }
    }
    URI_Ref Type(const CString& name) { return MakeLNodeType(m.instPkg, name, 70 + (++types)); }
    URI_Ref TypeOf(const URI_Ref& node) { return Doc().FirstTarget(node, "sec:LNode.LNodeType"); }

    URI_Ref newLln0, newLphd;
};

TEST_F(RetypeTest, NodesTakeThePackagesTypesAndGivenUpTypesGo) {
    MakeFaultPackage();
    URI_Ref version = Type("版本信息"), oldLphd = Type("T_LPHD"), alarm = Type("告警信息"), setting = Type("模拟量定值");
    URI_Ref keep = Type("T_GGIO");
    URI_Ref lln0 = MakeLNode(ld, "", "LLN0", "", 1, version);
    URI_Ref lphd = MakeLNode(ld, "", "LPHD", "1", 2, oldLphd);
    URI_Ref user = MakeLNode(ld, "", "GGIO", "1", 3, oldLphd);  // keeps the old LPHD type in use
    URI_Ref ggio = MakeLNode(ld, "", "GGIO", "2", 4, alarm);
    URI_Ref kept = MakeLNode(ld, "", "GGIO", "3", 5, keep);
    URI_Ref ld2 = MakeLDevice(kIcdDomain, "RCD2", 2);
    URI_Ref inner = MakeLNode(ld2, "X", "LLN0", "", 1, setting);  // "XLLN0" holds "LN0"
    app.m_bBulkDelete = true;  // left on by someone: the refusals still apply
    ui.ClearCalls();

    EXPECT_TRUE(app.Rsc_HandleLN0AndDel());
    EXPECT_EQ(TypeOf(lln0), newLln0);
    EXPECT_EQ(TypeOf(inner), newLln0);
    EXPECT_EQ(TypeOf(lphd), newLphd);
    EXPECT_EQ(TypeOf(user), oldLphd);
    EXPECT_TRUE(TypeOf(ggio).IsEmpty());
    EXPECT_EQ(TypeOf(kept), keep);
    EXPECT_FALSE(Alive(version));
    EXPECT_FALSE(Alive(alarm));
    EXPECT_FALSE(Alive(setting));
    EXPECT_TRUE(Alive(oldLphd));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"由于存在属于该类型的逻辑节点实例，不能继续删除！"});
    EXPECT_TRUE(app.m_bBulkDelete);
    EXPECT_EQ(Doc().CountTargets(lln0, "sec:LNode.LNodeType"), 1);

    // A second run finds the nodes re-typed: nothing is given up.
    ui.ClearCalls();
    EXPECT_TRUE(app.Rsc_HandleLN0AndDel());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(Alive(newLln0));
    EXPECT_TRUE(Alive(newLphd));
    EXPECT_EQ(TypeOf(lln0), newLln0);
}

TEST_F(RetypeTest, ThePackagesOwnTypesAreNeverGivenUp) {
    MakeFaultPackage();
    URI_Ref wrong = MakeLNode(ld, "", "LPHD", "2", 1, newLln0);  // the LLN0 type's only user
    ui.ClearCalls();
    EXPECT_TRUE(app.Rsc_HandleLN0AndDel());
    EXPECT_EQ(TypeOf(wrong), newLphd);
    EXPECT_TRUE(Alive(newLln0));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(RetypeTest, WithoutThePackagesTypeANodeKeepsItsType) {
    MakeFaultPackage(false);  // no LPHD type
    URI_Ref version = Type("版本信息"), oldLphd = Type("开关量定值"), alarm = Type("告警信息");
    URI_Ref lphd = MakeLNode(ld, "", "LPHD", "1", 1, oldLphd);
    URI_Ref ggio = MakeLNode(ld, "", "GGIO", "1", 2, alarm);
    ui.ClearCalls();
    EXPECT_TRUE(app.Rsc_HandleLN0AndDel());
    EXPECT_EQ(TypeOf(lphd), oldLphd);
    EXPECT_TRUE(Alive(oldLphd));
    EXPECT_TRUE(TypeOf(ggio).IsEmpty());  // the retired types go whatever the package holds
    EXPECT_FALSE(Alive(alarm));
    EXPECT_TRUE(Alive(version));  // used by no node: not touched
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(RetypeTest, WithoutThePackageLln0NodesStayAsTheyAre) {
    URI_Ref version = Type("版本信息");
    URI_Ref lln0 = MakeLNode(ld, "", "LLN0", "", 1, version);
    EXPECT_TRUE(app.Rsc_HandleLN0AndDel());
    EXPECT_EQ(TypeOf(lln0), version);
    EXPECT_TRUE(Alive(version));
}

TEST_F(RetypeTest, ALockedNodeStopsTheRunBeforeAnyDeletion) {
    MakeFaultPackage();
    MakeDomain("kiln.locked#", "二次模型装置ICD包");
    URI_Ref version = Type("版本信息");
    URI_Ref first = MakeLNode(ld, "", "ALLN0", "", 1, version);  // listed by name: before the locked one
    URI_Ref locked = MakeLNode(MakeLDevice("kiln.locked#", "L", 1), "", "BLLN0", "", 1, version);
    Doc().SetDomainEditable("kiln.locked#", false);
    ui.ClearCalls();
    EXPECT_FALSE(app.Rsc_HandleLN0AndDel());
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0046"});
    EXPECT_EQ(TypeOf(first), newLln0);
    EXPECT_EQ(TypeOf(locked), version);
    EXPECT_TRUE(Alive(version));
}

TEST_F(AutoGenerateTest, MemberListsAreBuiltWithoutChanges) {
    URI_Ref empty = MakeLNodeType(m.instPkg, "P1_EMPTY", 50);
    EXPECT_TRUE(app.Refresh_DOMember(empty));
    EXPECT_TRUE(app.Refresh_DOMember(m.mmxu));
    EXPECT_TRUE(app.Refresh_DOMember(m.p1PtocOp));
    URI_Ref doi = MakeUnder(MakeLNode(ld, "", "PTOC", "1", 1, m.p1Ptoc), "sec:DOI", "Op", "sec:DOI.LNode", 1);
    EXPECT_TRUE(app.Refresh_DOMember(doi));
    // A DO type that contains itself ends the walk.
    URI_Ref loop = MakeDOType(m.instPkg, "P1_LOOP", 53);
    MakeDA(loop, "stVal", 1, "ST", "BOOLEAN");
    MakeSDO(loop, "sub", 2, loop);
    URI_Ref looped = MakeLNodeType(m.instPkg, "P1_LOOPED", 54);
    URI_Ref d = MakeDO(looped, "L", 1, loop);
    EXPECT_TRUE(app.Refresh_DOMember(looped));
    EXPECT_TRUE(app.Refresh_DOMember(d));
    // A deleted type cannot be listed.
    URI_Ref gone = MakeLNodeType(m.instPkg, "P1_GONE", 52);
    ASSERT_TRUE(Doc().DeleteResource(gone));
    EXPECT_FALSE(app.Refresh_DOMember(gone));
    EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace kiln::test
