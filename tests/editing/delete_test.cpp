// Deletion: the usage refusals with their texts, confirmation, the cascade
// with its stop and pass-over rules, the bulk-delete flag, contiguous
// numbers afterwards, and no resource left without its owner.
#include "tests/editing/editing_fixture.h"

namespace kiln::test {
namespace {

using Texts = std::vector<CString>;

class DeleteTest : public EditingTest {};

TEST_F(DeleteTest, TypesStillInUseAreRefusedWithTheirOwnText) {
    IcdModel x = BuildIcd();
    URI_Ref instOriginator = MakeDAType(m.instPkg, "P1_Originator", 2);
    Link(instOriginator, "sec:DAType.ClassOf_DAType", m.originator);
    struct Case {
        URI_Ref rsc;
        const char* message;
    };
    const Case cases[] = {
        {m.ptoc, "由于存在基于该标准类型的逻辑节点实例类型，不能继续删除！"},
        {m.p1Ptoc, "由于存在属于该类型的逻辑节点实例，不能继续删除！"},
        {m.sps, "由于存在基于该标准类型的DO实例类型，不能继续删除！"},
        {m.inc, "由于存在属于该类型的DO，不能继续删除！"},
        {m.cmv, "由于存在属于该类型的SDO，不能继续删除！"},
        {m.originator, "由于存在基于该标准类型的DA实例类型，不能继续删除！"},
        {m.analogueValue, "由于存在属于该类型的DA/BDA，不能继续删除！"},
        {m.ctlModel, "由于存在被该类型定义的DA/BDA，不能继续删除！"},
        {x.itb, "因为还存在依赖于本ITB的M2I，不能删除！"},
    };
    const int before = Doc().ResourceCount();
    for (const Case& c : cases) {
        ui.ClearCalls();
        EXPECT_FALSE(app.Rsc_Delete(c.rsc, false)) << c.message;
        EXPECT_EQ(ui.Messages(), Texts{c.message});
    }
    EXPECT_EQ(Doc().ResourceCount(), before);

    // Asked for, a refusal comes after the question.
    ui.ClearCalls();
    ui.AnswerYes("确实要删除“");
    EXPECT_FALSE(app.Rsc_Delete(m.ptoc, true));
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[1], "由于存在基于该标准类型的逻辑节点实例类型，不能继续删除！");
    EXPECT_TRUE(Alive(m.ptocOp) && Alive(m.ptocStr));
}

TEST_F(DeleteTest, AnIedWhoseIcdHasAnM2iIsRefusedByTheClassLibrarysNotice) {
    IcdModel x = BuildIcd();
    const int before = Doc().ResourceCount();
    EXPECT_FALSE(app.Rsc_Delete(x.ied, false));
    ASSERT_EQ(ui.CountOf(Enum_UiCall::LibraryMessageBox), 1);
    EXPECT_EQ(ui.LastOf(Enum_UiCall::LibraryMessageBox)->sText, "存在M2I映射,不能删除IED");
    EXPECT_EQ(ui.CountOf(Enum_UiCall::FrameworkMessageBox), 0);

    // Within an ICD's cascade the IED stops the ICD.
    ui.ClearCalls();
    ui.AnswerYes("$?$删除确认");
    EXPECT_FALSE(app.Rsc_Delete(x.icd, true));
    const Texts messages = ui.Messages();
    ASSERT_EQ(messages.size(), 3u);  // the question first
    EXPECT_EQ(messages[1], "存在M2I映射,不能删除IED");
    EXPECT_EQ(messages[2], "删除 ICD 时发生错误！");
    EXPECT_EQ(Doc().ResourceCount(), before);
}

TEST_F(DeleteTest, TheQuestionAndItsAnswer) {
    IcdModel x = BuildIcd();
    ui.AnswerNo();
    EXPECT_FALSE(app.Rsc_Delete(x.ptoc1, true));
    const Struct_UiCall* question = ui.LastOf(Enum_UiCall::FrameworkMessageBox);
    ASSERT_NE(question, nullptr);
    URI_Ref shown = x.ptoc1;
    // The node's mapping item is left without one, and named.
    EXPECT_EQ(question->sText, "确实要删除“" + app.GetRscText(shown, true) + "”吗？\n删除后以下映射条目将没有逻辑节点：M1");
    EXPECT_EQ(question->sCaption, "$?$删除确认");
    EXPECT_EQ(question->nType, static_cast<UINT>(MB_YESNO));
    EXPECT_TRUE(Alive(x.ptoc1) && Alive(x.doiOp));

    // An LLN0 is asked for by the name its files give it, whatever prefix and instance it holds.
    Set(x.lln0, "sec:LNode.prefix", "Zq");
    Set(x.lln0, "sec:LNode.lnInst", "3");
    ui.AnswerNo();
    EXPECT_FALSE(app.Rsc_Delete(x.lln0, true));
    const CString asked = "确实要删除“逻辑节点:[]LLN0[]”吗？";
    EXPECT_EQ(ui.LastOf(Enum_UiCall::FrameworkMessageBox)->sText.Left(asked.GetLength()), asked);
    // Its menu item names it alike.
    CCmdUI_Eq item;
    app.m_uCurRsc = x.lln0;
    app.Msg_OnAppCommandUpdate("ICD:Delete", &item);
    EXPECT_EQ(item.sText, "删除逻辑节点:[]LLN0[]");

    // Data-set members of one DO of two devices' nodes are named apart, each
    // by its own reference.
    const URI_Ref ptocOfLd2 = MakeLNode(x.ld2, "", "PTOC", "1", 2, m.p1Ptoc);
    for (const auto& [node, ord] : {std::pair{x.ptoc1, 3}, std::pair{ptocOfLd2, 4}}) {
        const URI_Ref member = MakeUnder(x.dataSet, "sec:FCDA", "F", "sec:FCDA.DataSet", ord);
        Link(member, "sec:DARef.LNode", node);
        Set(member, "sec:DARef.doName", "Op");
        Set(member, "sec:DARef.daName", "stVal");
    }
    ui.AnswerNo();
    EXPECT_FALSE(app.Rsc_Delete(m.p1PtocOp, true));
    const CString members = ui.LastOf(Enum_UiCall::FrameworkMessageBox)->sText;
    EXPECT_GE(members.Find("、LD1/LLN0.dsAin:LD1/PTOC1.Op.stVal、LD1/LLN0.dsAin:LD2/PTOC1.Op.stVal"), 0) << members;

    ui.AnswerYes();
    EXPECT_TRUE(app.Rsc_Delete(x.ptoc1, true));
    EXPECT_FALSE(Alive(x.ptoc1) || Alive(x.doiOp) || Alive(x.daiStVal));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::AllViewsRefresh), 1);
    // Without asking: no question, no refresh.
    ui.ClearCalls();
    EXPECT_TRUE(app.Rsc_Delete(x.mmxu1, false));
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(DeleteTest, TheRemainingSiblingsKeepContiguousNumbers) {
    MakeDomain(kIcdDomain, "二次模型装置ICD包");
    URI_Ref ld = MakeLDevice(kIcdDomain, "LD", 1);
    std::vector<URI_Ref> nodes;
    for (int k = 1; k <= 5; ++k) nodes.push_back(MakeLNode(ld, "", "N", ToText(k), k));
    EXPECT_TRUE(app.Rsc_Delete(nodes[1], false));
    EXPECT_EQ(NamesAlong(ld, "sec:LDevice.LNodes"), (Texts{"N1", "N3", "N4", "N5"}));
    EXPECT_EQ(Ords({nodes[0], nodes[2], nodes[3], nodes[4]}), (std::vector<int>{1, 2, 3, 4}));

    // A member that stops its owner's deletion: the owner and the members
    // not yet deleted stay, numbered 1..n in their order.
    Doc().InjectFault("delete", 1);  // N1 goes, N3 cannot
    ui.AnswerYes();
    EXPECT_FALSE(app.Rsc_Delete(ld, true));
    EXPECT_EQ(ui.Messages().back(), "删除 LDevice 时发生错误！");
    EXPECT_TRUE(Alive(ld));
    EXPECT_FALSE(Alive(nodes[0]));
    EXPECT_EQ(Ords({nodes[2], nodes[3], nodes[4]}), (std::vector<int>{1, 2, 3}));

    // Several deleted at once: the survivors numbered 1..n when the last went.
    nodes.push_back(MakeLNode(ld, "", "N", "6", 4));
    EXPECT_TRUE(app.Rsc_DeleteEach({nodes[2], nodes[4]}));
    EXPECT_EQ(Ords({nodes[3], nodes[5]}), (std::vector<int>{1, 2}));
}

TEST_F(DeleteTest, AFailedRemovalIsReportedAndCountsAsFailure) {
    IcdModel x = BuildIcd();
    Doc().InjectFault("delete");
    EXPECT_FALSE(app.Rsc_Delete(x.extRef, false));
    EXPECT_EQ(ui.Messages(), Texts{"删除资源时发生错误！"});
    EXPECT_TRUE(Alive(x.extRef));

    // So the owners up the cascade whose rows stop stay: the DAI's value
    // goes, the DAI cannot, and its DOI and logical node stay.
    ui.ClearCalls();
    Doc().InjectFault("delete", 1);
    ui.AnswerYes();
    EXPECT_FALSE(app.Rsc_Delete(x.ptoc1, true));
    EXPECT_EQ(ui.Messages(), (Texts{ui.Messages().front(), "删除资源时发生错误！", "删除 LNode 时发生错误！"}));
    EXPECT_TRUE(Alive(x.ptoc1) && Alive(x.doiOp) && Alive(x.daiStVal));
    EXPECT_TRUE(NamesAlong(x.daiStVal, "sec:DAI.Vals").empty());
}

TEST_F(DeleteTest, ALockedDomainRefusesAndStopsTheOwner) {
    IcdModel x = BuildIcd(false);
    Doc().SetDomainEditable(kIcdDomain, false);
    EXPECT_FALSE(app.Rsc_Delete(x.ptoc1, true));
    EXPECT_EQ(ui.Messages(), Texts{"当前域不可编辑！-W0090"});

    // A member in a locked domain is a member that cannot be deleted: it
    // stops its owner before anything is deleted.
    Doc().SetDomainEditable(kIcdDomain, true);
    ui.ClearCalls();
    MakeDomain("kiln.locked#", "二次模型装置ICD包");
    URI_Ref foreign = Make("kiln.locked#", "sec:LNode", "FOREIGN", 3);
    Link(foreign, "sec:LNode.LDevice", x.ld1);
    Doc().SetDomainEditable("kiln.locked#", false);
    ui.AnswerYes();
    EXPECT_FALSE(app.Rsc_Delete(x.ld1, true));
    const Texts shown = ui.Messages();  // the question, the refusal, the owner's stop
    EXPECT_EQ(Texts(shown.begin() + 1, shown.end()), (Texts{"当前域不可编辑！-W0090", "删除 LDevice 时发生错误！"}));
    EXPECT_TRUE(Alive(x.ld1) && Alive(foreign) && Alive(x.lln0) && Alive(x.ptoc1) && Alive(x.doiOp));
}

TEST_F(DeleteTest, ADoGoesWithTheDoisThatNameItOrStaysWithThem) {
    IcdModel x = BuildIcd(false);
    // A DOI that cannot be deleted keeps its DO.
    Doc().SetDomainEditable(kIcdDomain, false);
    EXPECT_FALSE(app.Rsc_Delete(m.p1PtocOp, false));
    EXPECT_EQ(ui.Messages(), Texts{"当前域不可编辑！-W0090"});
    EXPECT_TRUE(Alive(m.p1PtocOp) && Alive(x.doiOp));
    Doc().SetDomainEditable(kIcdDomain, true);
    EXPECT_TRUE(app.Rsc_Delete(m.p1PtocOp, false));
    EXPECT_FALSE(Alive(m.p1PtocOp) || Alive(x.doiOp) || Alive(x.daiStVal));
}

TEST_F(DeleteTest, AProductPackageGoesWithItsProductsAndVersionsAfterOneQuestion) {
    URI_Ref package = BuildProducts();
    ui.AnswerYes();
    EXPECT_TRUE(app.Rsc_Delete(package, true));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::FrameworkMessageBox), 1);
    std::vector<URI_Ref> left;
    Doc().ByClass("sec:Product", left);
    EXPECT_TRUE(left.empty());
    Doc().ByClass("sec:ProductVer", left);
    EXPECT_TRUE(left.empty());
}

TEST_F(DeleteTest, ATypePackageStopsAtAnEnumerationUsedElsewhere) {
    MakeDomain("kiln.p9#", "二次模型数据类型包");
    URI_Ref pkg = MakeTypePackage("kiln.p9#", "P9", true);
    URI_Ref av = MakeDAType(pkg, "P9_AV", 1);
    MakeBDA(av, "f", 1, "FLOAT32");
    URI_Ref dot = MakeDOType(pkg, "P9_MV", 1);
    MakeDA(dot, "mag", 1, "MX", "Struct", av);  // types of the package use one another
    URI_Ref lnt = MakeLNodeType(pkg, "P9_MMXU", 1);
    MakeDO(lnt, "TotW", 1, dot);
    URI_Ref used = MakeEnumType(pkg, "P9_Mode", 1, {"on", "off"});
    URI_Ref sem = MakeUnder(pkg, "sec:DOSemantic", "TotW", "sec:DOSemantic.TypePackage", 1);
    MakeDA(m.p1Sps, "mode", 3, "CF", "Enum", used);  // another package uses the enumeration

    ui.AnswerYes();
    EXPECT_FALSE(app.Rsc_Delete(pkg, true));
    const Texts shown = ui.Messages();  // the question, the refusal, the owner's stop
    EXPECT_EQ(Texts(shown.begin() + 1, shown.end()), (Texts{"由于存在被该类型定义的DA/BDA，不能继续删除！", "删除 TypePackage 时发生错误！"}));
    // Refused before anything is deleted: the types that use one another stay too.
    EXPECT_TRUE(Alive(pkg) && Alive(used) && Alive(sem) && Alive(av) && Alive(dot) && Alive(lnt));
    EXPECT_EQ(NamesAlong(used, "sec:EnumType.EnumVals"), (Texts{"on", "off"}));

    // Not asked: the refusal's own text only.
    ui.ClearCalls();
    EXPECT_FALSE(app.Rsc_Delete(pkg, false));
    EXPECT_EQ(ui.Messages(), Texts{"由于存在被该类型定义的DA/BDA，不能继续删除！"});

    // Whole, a package still keeps a type another package's type uses.
    URI_Ref other = MakeTypePackage("kiln.p9#", "P10", true);
    URI_Ref lent = MakeDOType(other, "P10_MV", 1);
    MakeDO(m.p1Ptoc, "TotW", 9, lent);
    ui.ClearCalls();
    EXPECT_FALSE(app.Rsc_Delete(other, false));
    EXPECT_EQ(ui.Messages(), Texts{"由于存在属于该类型的DO，不能继续删除！"});
    EXPECT_TRUE(Alive(other) && Alive(lent));
}

TEST_F(DeleteTest, TheBulkDeleteFlagLastsOnlyAsLongAsTheDeletionThatSetIt) {
    MakeDomain("kiln.p9#", "二次模型数据类型包");
    URI_Ref pkg = MakeTypePackage("kiln.p9#", "P9", true);
    MakeLNodeType(pkg, "P9_PTOC", 1);
    EXPECT_TRUE(app.Rsc_Delete(pkg, false));
    EXPECT_FALSE(app.m_bBulkDelete);
    // A later deletion outside "ICD:Delete" still protects used types.
    EXPECT_FALSE(app.Rsc_Delete(m.ptoc, false));
    EXPECT_TRUE(Alive(m.ptoc));

    // A value set by a caller stays after a nested bulk deletion.
    URI_Ref other = MakeTypePackage("kiln.p9#", "P10", true);
    app.m_bBulkDelete = true;
    EXPECT_TRUE(app.Rsc_Delete(other, false));
    EXPECT_TRUE(app.m_bBulkDelete);
}

TEST_F(DeleteTest, AnIcdWithoutMappingGoesWhole) {
    IcdModel x = BuildIcd(false);
    int icdResources = 0;
    for (const URI_Ref& r : {x.icd, x.ied, x.pkg, x.itb, x.baseLd, x.sdi}) icdResources += Alive(r) ? 1 : 0;
    ASSERT_EQ(icdResources, 6);
    ui.AnswerYes();
    EXPECT_TRUE(app.Rsc_Delete(x.icd, true));
    EXPECT_EQ(ui.Messages().size(), 1u);  // the question alone
    std::vector<URI_Ref> left;
    for (const char* cls : {"sec:ICD", "sec:IED", "sec:Server", "sec:LDevice", "sec:LNode", "sec:DOI", "sec:SDI",
                            "sec:DAI", "sec:SV", "sec:GSE", "sec:ITB", "sec:InfoGroup", "sec:SignalList",
                            "sec:InSignal"}) {
        Doc().ByClass(cls, left);
        EXPECT_TRUE(left.empty()) << cls;
    }
    // The shared packages are untouched, and the flag is back.
    EXPECT_TRUE(Alive(m.p1Ptoc) && Alive(m.ptoc));
    EXPECT_FALSE(app.m_bBulkDelete);
}

// After deleting any one resource of the ICD, every resource that had an
// owner still has one.
struct OrphanCase {
    const char* name;
    URI_Ref IcdModel::*member;
    bool withM2I;
};

void PrintTo(const OrphanCase& c, std::ostream* os) { *os << c.name; }

class OrphanWalkTest : public EditingTest, public ::testing::WithParamInterface<OrphanCase> {};

TEST_P(OrphanWalkTest, NothingIsLeftWithoutItsOwner) {
    const OrphanCase& c = GetParam();
    IcdModel x = BuildIcd(c.withM2I);
    const URI_Ref target = x.*(c.member);
    const std::set<std::string> owned = OwnedResources();
    EXPECT_TRUE(app.Rsc_Delete(target, false)) << ui.Messages().size();
    EXPECT_FALSE(Alive(target));
    EXPECT_EQ(Orphans(owned), std::vector<std::string>{});
}

const OrphanCase kOrphanCases[] = {
    {"ICD", &IcdModel::icd, false},           {"IED", &IcdModel::ied, false},
    {"Server", &IcdModel::s1, true},          {"LDevice", &IcdModel::ld1, true},
    {"LLN0", &IcdModel::lln0, true},          {"LNodeWithControlBlocks", &IcdModel::ptoc1, true},
    {"DOI", &IcdModel::doiOp, true},          {"DAI", &IcdModel::daiStVal, true},
    {"SDI", &IcdModel::sdi, true},            {"DataSet", &IcdModel::dataSet, true},
    {"RCB", &IcdModel::rcb, true},            {"LCB", &IcdModel::lcb, true},
    {"Log", &IcdModel::log, true},            {"SGCB", &IcdModel::sgcb, true},
    {"ExtRef", &IcdModel::extRef, true},      {"SignalList", &IcdModel::signalList, true},
    {"TypePackage", &IcdModel::pkg, true},    {"BaseLDevice", &IcdModel::baseLd, true},
    {"ITB", &IcdModel::itb, false},
    {"M2I", &IcdModel::m2i, true},            {"MapItem", &IcdModel::map1, true},
    {"InfoItem", &IcdModel::item2, true},
};

INSTANTIATE_TEST_SUITE_P(EveryClass, OrphanWalkTest, ::testing::ValuesIn(kOrphanCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeleteTest, TypesWithTheirMembersLeaveNoOrphans) {
    IcdModel x = BuildIcd();
    // Unused types of the ICD's package, outside a bulk deletion.
    URI_Ref spare = MakeDOType(x.pkg, "P1_SPARE", 2);
    MakeSDO(spare, "sub", 1, m.sps);
    URI_Ref da = MakeDA(spare, "v", 1, "MX", "Struct", x.pkgAv);
    MakeUnder(da, "sec:Val", "1", "sec:Val.BDA");
    URI_Ref spareDa = MakeDAType(x.pkg, "P1_SPAREDA", 2);
    MakeBDA(spareDa, "f", 1, "FLOAT32");
    URI_Ref spareEnum = MakeEnumType(x.pkg, "P1_SPAREENUM", 2, {"a", "b"});
    URI_Ref spareLn = MakeLNodeType(x.pkg, "P1_SPARELN", 2);
    MakeDO(spareLn, "Mod", 1, x.pkgInc);
    const std::set<std::string> owned = OwnedResources();
    for (const URI_Ref& t : {spareLn, spare, spareDa, spareEnum}) {
        EXPECT_TRUE(app.Rsc_Delete(t, false)) << t.sUri;
        EXPECT_FALSE(Alive(t));
    }
    EXPECT_EQ(Orphans(owned), std::vector<std::string>{});
    EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace kiln::test
