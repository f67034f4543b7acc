// The preparation of a field edit: guards, edit levels, name rules, and the
// items made on demand (default values, DOIs, DAIs, mapping items).
#include "tests/views/views_fixture.h"

using namespace kiln::test;
using Rows = std::vector<std::pair<std::string, std::string>>;

namespace {

class FieldPrepare : public ViewsTest {
protected:
    // Prepares the field in the property view; `pack` keeps what it was given.
    bool Prepare(const URI_Ref& rsc, const char* field) {
        return app.HtmlMsg_OnPrepareEditField(View(kView_Html1), rsc, field, "", &pack);
    }
    Rows RowsOf() const {
        Rows r;
        for (const auto& [shown, value] : pack.vList.vPairs) r.emplace_back(shown.str(), value.str());
        return r;
    }
    std::vector<URI_Ref> Targets(const URI_Ref& rsc, const char* role) {
        std::vector<URI_Ref> out;
        app.DocMtd_get_Association_BUris(rsc, role, out, "e301:OrdNaming.ord", SortPolicy_ByOrd);
        return out;
    }
    Struct_EditPack pack;
};

TEST_F(FieldPrepare, GuardsRefuseSilentlyAndLeaveTheListEmpty) {
    pack.Add_ListItem("old", "old");
    EXPECT_FALSE(Prepare(icd.ldA, ""));
    EXPECT_TRUE(pack.vList.vPairs.empty());
    EXPECT_FALSE(Prepare(icd.ldA, "sec:Foo.bar"));
    EXPECT_TRUE(Prepare(icd.ldA, "cim:Naming.description"));
    EXPECT_EQ(pack.nEditKind, 2);
    EXPECT_TRUE(pack.vList.vPairs.empty());
    ASSERT_TRUE(app.m_Doc.SetDomainEditable(kIcdDomain, false));
    EXPECT_FALSE(Prepare(icd.ldA, "cim:Naming.description"));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FieldPrepare, NameRules) {
    EXPECT_FALSE(Prepare(icd.doiOp, "cim:Naming.name"));
    // Members of instance types keep their names ...
    EXPECT_FALSE(Prepare(m.p1SpsStVal, "cim:Naming.name"));
    EXPECT_FALSE(Prepare(m.p1PtocOp, "cim:Naming.name"));
    // ... except a DO of a name-space extension; standard members may be renamed.
    Set(m.p1PtocOp, "sec:DO.SemanticNs", "MyNs");
    EXPECT_TRUE(Prepare(m.p1PtocOp, "cim:Naming.name"));
    EXPECT_EQ(pack.nEditKind, 2);
    EXPECT_TRUE(Prepare(m.spsStVal, "cim:Naming.name"));
    // A standard LN type derived from an abstract one keeps its name, whatever
    // the case of its "false".
    Set(m.ptoc, "sec:LNodeType.isInstType", "FALSE");
    EXPECT_FALSE(Prepare(m.ptoc, "cim:Naming.name"));
    EXPECT_TRUE(Prepare(m.commonLN, "cim:Naming.name"));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FieldPrepare, EditLevelsOfferLess) {
    app.m_nEditLevel = 2;
    EXPECT_FALSE(Prepare(icd.lnPtoc, "cim:Naming.description"));
    pack.nEditKind = 5;
    EXPECT_TRUE(Prepare(icd.extRef, "cim:Naming.name"));
    EXPECT_EQ(pack.nEditKind, 5);
    EXPECT_TRUE(Prepare(icd.i1, "cim:Naming.name"));
    EXPECT_EQ(pack.nEditKind, 5);
    // An information table's name and description: its file writes the ICD's.
    EXPECT_FALSE(Prepare(icd.itb, "cim:Naming.name"));
    EXPECT_FALSE(Prepare(icd.m2i, "cim:Naming.description"));
    app.m_nEditLevel = 3;
    EXPECT_TRUE(Prepare(icd.ied, "cim:Naming.description"));
    EXPECT_EQ(pack.nEditKind, 5);
}

TEST_F(FieldPrepare, ADefaultValueIsMadeAfterTheQuestion) {
    // Structured: refused before any question.
    EXPECT_FALSE(Prepare(m.spsOrigin, "sec:Val"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"不能创建复合结构的缺省值！"});
    ui.ClearCalls();
    ui.AnswerNo("$?$创建缺省值？");
    EXPECT_FALSE(Prepare(m.spsStVal, "sec:Val"));
    EXPECT_TRUE(Targets(m.spsStVal, "sec:BDA.Vals").empty());
    ui.AnswerYes();
    const int refreshed = View(kView_Html1)->m_nRefreshCount;
    EXPECT_TRUE(Prepare(m.spsStVal, "sec:Val"));
    EXPECT_EQ(Targets(m.spsStVal, "sec:BDA.Vals").size(), 1u);
    EXPECT_EQ(View(kView_Html1)->m_nRefreshCount, refreshed + 1);
    EXPECT_EQ(ui.Messages().back(), "是否创建stVal的缺省值？\n\n注意：这将影响到所有使用 SPS 的类型和成员");
    // With a value already: no question, no new value.
    ui.ClearCalls();
    EXPECT_FALSE(Prepare(m.spsStVal, "sec:Val"));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Targets(m.spsStVal, "sec:BDA.Vals").size(), 1u);
}

TEST_F(FieldPrepare, AnInstanceOnTheNodesPageUsesTheDoiItHas) {
    pack.vList2.Add("", "Op.stVal[ST]");
    ui.AnswerYes("$?$创建当前值？");
    EXPECT_TRUE(Prepare(icd.lnPtoc, "sec:LNode.DOIs"));
    EXPECT_EQ(Targets(icd.lnPtoc, "sec:LNode.DOIs"), std::vector<URI_Ref>{icd.doiOp});
    auto dais = Targets(icd.doiOp, "sec:DOI.DAIs");
    ASSERT_EQ(dais.size(), 1u);
    EXPECT_EQ(Get(dais[0], "cim:Naming.name"), "stVal[ST]");
    EXPECT_EQ(app.DocMtd_getFirstUri_ofAsso(dais[0], "sec:DAI.BDA"), m.p1SpsStVal);
    // Asked again for the same path: the DAI is there.
    ui.ClearCalls();
    ui.AnswerYes();
    EXPECT_FALSE(Prepare(icd.lnPtoc, "sec:LNode.DOIs"));
    EXPECT_EQ(ui.Messages().back(), "已经存在“Op.stVal[ST]”的当前值，不用创建！");
    EXPECT_EQ(Targets(icd.lnPtoc, "sec:LNode.DOIs").size(), 1u);
    EXPECT_EQ(Targets(icd.doiOp, "sec:DOI.DAIs").size(), 1u);
    // On the DOI's own page the path has no data-object name.
    ui.AnswerYes();
    EXPECT_FALSE(Prepare(icd.doiOp, "stVal[ST]"));
    EXPECT_EQ(ui.Messages().back(), "已经存在“stVal[ST]”的当前值，不用创建！");
    // The node given a type whose Op has d: the DOI, made for the old type's
    // Op, takes its DAI from the Op of the node's type.
    const URI_Ref other = MakeLNodeType(m.instPkg, "P2_PTOC", 9, m.ptoc);
    Link(other, "sec:LNodeType.ClassOf_LNType", m.ptoc);
    MakeDO(other, "Op", 1, m.sps);
    CString typeUri = other.sUri.c_str();
    app.HtmlMsg_OnFieldChanged(View(kView_Html1), icd.lnPtoc, "sec:LNode.LNodeType", CString(m.p1Ptoc.sUri.c_str()),
                               typeUri, nullptr, nullptr);
    ASSERT_EQ(Targets(icd.lnPtoc, "sec:LNode.LNodeType"), std::vector<URI_Ref>{other});
    ui.AnswerYes();
    EXPECT_TRUE(Prepare(icd.doiOp, "d[DC]"));
    dais = Targets(icd.doiOp, "sec:DOI.DAIs");
    ASSERT_EQ(dais.size(), 2u);
    EXPECT_EQ(app.DocMtd_getFirstUri_ofAsso(dais[1], "sec:DAI.BDA"), m.spsD);
}

TEST_F(FieldPrepare, ADataObjectOfAnAbstractTypeGetsItsDoiWithItsValueOnly) {
    // Declined, or a path its DO does not hold: no DOI either.
    for (const char* path : {"Str.q[ST]", "Str.bogus[ST]", "Str.origin[ST]"}) {
        pack.vList2.Clear();
        pack.vList2.Add("", path);
        if (path == std::string("Str.q[ST]"))
            ui.AnswerNo();
        else
            ui.AnswerYes();
        EXPECT_FALSE(Prepare(icd.lnPtoc, "sec:LNode.DOIs")) << path;
        EXPECT_EQ(Targets(icd.lnPtoc, "sec:LNode.DOIs"), std::vector<URI_Ref>{icd.doiOp}) << path;
    }
    pack.vList2.Clear();
    pack.vList2.Add("", "Str.q[ST]");
    ui.AnswerYes();
    EXPECT_TRUE(Prepare(icd.lnPtoc, "sec:LNode.DOIs"));
    auto dois = Targets(icd.lnPtoc, "sec:LNode.DOIs");
    ASSERT_EQ(dois.size(), 2u);
    EXPECT_EQ(app.DocMtd_getFirstUri_ofAsso(dois[1], "sec:DOI.DO"), m.ptocStr);
    EXPECT_EQ(Targets(dois[1], "sec:DOI.DAIs").size(), 1u);
    // A structured attribute has no path of its own.
    ui.ClearCalls();
    ui.AnswerYes();
    EXPECT_FALSE(Prepare(dois[1], "origin[ST]"));
    EXPECT_EQ(ui.Messages().back(), "不能创建“origin[ST]”的值：origin[ST]是复合结构，应指定其成员，如origin[ST].orCat！");
    ui.AnswerYes();
    EXPECT_TRUE(Prepare(dois[1], "origin[ST].orCat"));
    EXPECT_EQ(Targets(dois[1], "sec:DOI.DAIs").size(), 2u);
}

// A path that names no value of the node's type makes nothing and says
// which part is wrong: the form, the DO, or the path below the DO (asked
// about first, as a path that is held).
TEST_F(FieldPrepare, APathNoTypeDeclaresMakesNothing) {
    const CString form = "，应为DO.DA[FC]的形式，如Mod.stVal[ST]！";
    const struct {
        const char* path;
        bool asked;
        CString why;
    } rows[] = {
        {"Nope.stVal[ST]", false, "逻辑节点PTOC1的类型中没有Nope！"},
        {"OpstVal", false, "路径中没有功能约束[FC]" + form},
        {"Op.stVal", false, "路径中没有功能约束[FC]" + form},
        {"Op[ST]", false, "路径中没有DO或DA" + form},
        {"Str.origin.orCat[ST]", true, "路径应为Str.origin[ST].orCat！"},
        {"Str.stVal[MX]", true, "路径应为Str.stVal[ST]！"},
        {"Str.origin[ST].bogus", true, "DO: Str的类型中没有origin.bogus！"},
        {"Str.bogus[ST]", true, "DO: Str的类型中没有bogus！"},
    };
    for (const auto& row : rows) {
        pack.vList2.Clear();
        pack.vList2.Add("", row.path);
        ui.ClearCalls();
        if (row.asked) ui.AnswerYes("$?$创建当前值？");
        EXPECT_FALSE(Prepare(icd.lnPtoc, "sec:LNode.DOIs")) << row.path;
        EXPECT_EQ(Targets(icd.lnPtoc, "sec:LNode.DOIs").size(), 1u);
        EXPECT_EQ(ui.Messages().back(), "不能创建“" + CString(row.path) + "”的值：" + row.why) << row.path;
    }
    // On the page of a DOI whose DO the node's type does not hold.
    const URI_Ref gone = MakeUnder(icd.lnPtoc, "sec:DOI", "Gone", "sec:DOI.LNode", 2);
    ui.AnswerYes("$?$创建当前值？");
    EXPECT_FALSE(Prepare(gone, "stVal[ST]"));
    EXPECT_EQ(ui.Messages().back(), "不能创建“stVal[ST]”的值：逻辑节点PTOC1的类型中没有Gone！");
}

TEST_F(FieldPrepare, MappingItemsOnDemand) {
    EXPECT_TRUE(Prepare(icd.i1, "sec:InfoItem.MapItem"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"已创建映射条目，请继续。"});
    EXPECT_EQ(RowsOf(), (Rows{{"清除...", "NULL"}}));
    EXPECT_EQ(pack.nEditKind, 7);
    ASSERT_EQ(Targets(icd.m2i, "sec:M2I.MapItems").size(), 1u);
    ui.ClearCalls();
    EXPECT_FALSE(Prepare(icd.i1, "sec:InfoItem.MapItem"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"已经存在映射条目，不用创建！"});
    app.DocMtd_clear_Association(icd.icd, "sec:ICD.M2I");
    ui.ClearCalls();
    EXPECT_FALSE(Prepare(icd.i2, "sec:InfoItem.MapItem"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"内部错误（180）--不能定位映射！"});
}

}  // namespace
