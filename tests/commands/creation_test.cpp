// The generic creation frame and its bodies: placing behind a sibling, the
// multiplicity limit, the Log, M2I and mapping-item bodies, types and
// members of instance packages, logical devices, nodes, DOIs and DAIs.
#include <algorithm>

#include "core/type_nesting.h"
#include "tests/commands/commands_fixture.h"

#include <algorithm>
#include <utility>

namespace kiln::test {
namespace {

class Creation : public CommandsTest {};

TEST_F(Creation, ADataSetChosenOnASiblingStandsRightBehindIt) {
    Run(ptoc, "ICD:Add DataSet");
    Run(ptoc, "ICD:Add DataSet");
    std::vector<URI_Ref> sets = Members(ptoc, "sec:LNode.DataSets");
    ASSERT_EQ(sets.size(), 2u);
    Run(sets[0], "ICD:Add DataSet");  // chosen on the first
    EXPECT_EQ(Names(ptoc, "sec:LNode.DataSets"), (std::vector<CString>{"DataSet_1", "DataSet_3", "DataSet_2"}));
    Run(ptoc, "ICD:Add DataSet");  // chosen on the node: appended
    EXPECT_EQ(Names(ptoc, "sec:LNode.DataSets").back(), "DataSet_4");
    // A data set chosen while the current resource is of an unrelated class: nothing.
    ui.ClearCalls();
    Run(ptoc, "ICD:Add FCDA");
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(Creation, ARoleOfAtMostOneMemberRefusesTheSecond) {
    Run(ptoc, "ICD:Add SGCB");
    ui.ClearCalls();
    Run(ptoc, "ICD:Add SGCB");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"超出上限，不能增加对象！"});
    EXPECT_TRUE(Refreshes().empty());
    EXPECT_EQ(Members(ptoc, "sec:LNode.SGCB").size(), 1u);
    // Unbounded roles take any number.
    for (int i = 0; i < 12; ++i) Run(ptoc, "ICD:Add ExtRef");
    EXPECT_EQ(Members(ptoc, "sec:LNode.ExtRefs").size(), 12u);
}

TEST_F(Creation, TheLogOfAServerYesLinksEveryLcbNoKeepsTheOthers) {
    URI_Ref log1, log2, lcb1, lcb2;
    ASSERT_TRUE(app.NewRsc_Log(&log1, lln0));
    ASSERT_TRUE(app.NewRsc_Log(&log2, Members(ld, "sec:LDevice.LNodes")[1]));
    ASSERT_TRUE(app.NewRsc_LCB(&lcb1, lln0, URI_Ref()));
    ASSERT_TRUE(app.NewRsc_LCB(&lcb2, ptoc, URI_Ref()));
    ui.ClearCalls();

    ui.AnswerNo("是否让所有日志控制块与此日志关联？");
    Run(ptoc, "ICD:Add Log");
    EXPECT_EQ(Members(ptoc, "sec:LNode.Log").size(), 1u);
    EXPECT_TRUE(Doc().FirstTarget(log1, "sec:Log.LNode").IsSet());
    EXPECT_EQ(Doc().FirstTarget(lcb2, "sec:LCB.Log"), log1);
    const URI_Ref noLog = Doc().FirstTarget(ptoc, "sec:LNode.Log");
    app.Rsc_Delete(noLog, false);
    ui.ClearCalls();

    ui.AnswerYes();
    Run(ptoc, "ICD:Add Log");
    std::vector<URI_Ref> logs;
    Doc().PathTargets(server, "sec:Server.LDevices/sec:LDevice.LNodes/sec:LNode.Log", logs);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(Doc().FirstTarget(logs[0], "sec:Log.LNode"), ptoc);
    for (const URI_Ref& lcb : {lcb1, lcb2}) {
        std::vector<URI_Ref> targets;
        Doc().Targets(lcb, "sec:LCB.Log", targets);
        EXPECT_EQ(targets, std::vector<URI_Ref>{logs[0]});
    }
    EXPECT_EQ(Refreshes(), std::vector<int>{0});
}

TEST_F(Creation, ARefusedLogLeavesTheServersLogsAndLinks) {
    URI_Ref log1, lcb;
    ASSERT_TRUE(app.NewRsc_Log(&log1, lln0));
    ASSERT_TRUE(app.NewRsc_LCB(&lcb, ptoc, URI_Ref()));
    ui.ClearCalls();
    ui.AnswerYes();
    Doc().InjectFault("create");
    Run(ptoc, "ICD:Add Log");
    EXPECT_TRUE(Doc().FirstTarget(log1, "sec:Log.LNode").IsSet());
    EXPECT_EQ(Doc().FirstTarget(lcb, "sec:LCB.Log"), log1);
    EXPECT_TRUE(Members(ptoc, "sec:LNode.Log").empty());
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(Creation, AnM2INeedsTheITBAndAMappingItemStandsBehindItsItem) {
    Run(icd, "ICD:Add M2I");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"请先建立装置信息描述表！"});
    EXPECT_TRUE(Members(icd, "sec:ICD.M2I").empty());

    Run(icd, "ICD:Add ITB");
    const URI_Ref itb = Doc().FirstTarget(icd, "sec:ICD.ITB");
    for (int i = 0; i < 5; ++i) Run(itb, "ICD:Add InfoItem");
    Run(icd, "ICD:Add M2I");
    const URI_Ref m2i = Doc().FirstTarget(icd, "sec:ICD.M2I");
    ASSERT_EQ(Members(m2i, "sec:M2I.MapItems").size(), 5u);
    const URI_Ref item4 = Members(itb, "sec:ITB.InfoItems")[3];
    Run(item4, "ICD:Add InfoItem MapItem");
    std::vector<URI_Ref> items = Members(m2i, "sec:M2I.MapItems");
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(Doc().FirstTarget(items[4], "sec:MapItem.InfoItem"), item4);
    EXPECT_EQ(Get(items[4], "e301:OrdNaming.ord"), "5");
}

TEST_F(Creation, TypesOfAnInstancePackageInstantiateAStandardClass) {
    // A declaration package makes a bare type without a question.
    Run(m.stdPkg, "ICD:Add LNodeType");
    EXPECT_EQ(ui.CountOf(Enum_UiCall::InputBox), 0);
    // An instance package that sees no standard package.
    URI_Ref lone = MakeTypePackage(kInstDomain, "孤立包", true);
    ui.ClearCalls();
    Run(lone, "ICD:Add LNodeType");
    Run(lone, "ICD:Add DOType");
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"没有发现标准LN类型！", "没有发现标准CDC类型！"}));
    // With the standard package in sight: the chosen class, then the scope.
    ui.ClearCalls();
    ui.AnswerInputChoice("MMXU  (IEC61850)", "选择被实例化的标准LN类型：").AnswerInputChoice("不复制任何成员\t\t\t");
    Run(m.instPkg, "ICD:Add LNodeType");
    std::vector<URI_Ref> types = Members(m.instPkg, "sec:TypePackage.LNodeTypes");
    EXPECT_EQ(Doc().FirstTarget(types.back(), "sec:LNodeType.ClassOf_LNType"), m.mmxu);
    EXPECT_EQ(Refreshes(), std::vector<int>{0});
    // Cancel: nothing.
    const size_t before = ResourceCount();
    ui.ClearCalls();
    ui.AnswerInputCancel();
    Run(m.instPkg, "ICD:Add LNodeType");
    EXPECT_EQ(ResourceCount(), before);
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(Creation, ATypeNameThePackageHoldsGivesTheFirstFreeOneAndTheStatusLineSaysSo) {
    auto statusTexts = [&] {
        std::vector<CString> texts;
        for (const Struct_UiCall& call : ui.CallsOf(Enum_UiCall::StatusText)) texts.push_back(call.sText);
        return texts;
    };
    const char* kNoMembers = "不复制任何成员\t\t\t";
    // E1_SPS made twice; E1_MMXU made, a second taken by another LN type.
    MakeLNodeType(m.instPkg, "E1_MMXU2", 9);
    for (int i = 0; i < 2; ++i) {
        ui.AnswerInputChoice("SPS  (IEC61850)", "选择被实例化的标准CDC类型：").AnswerInputChoice(kNoMembers);
        Run(m.instPkg, "ICD:Add DOType");
        ui.AnswerInputChoice("MMXU  (IEC61850)", "选择被实例化的标准LN类型：").AnswerInputChoice(kNoMembers);
        Run(m.instPkg, "ICD:Add LNodeType");
    }
    EXPECT_EQ(statusTexts(), (std::vector<CString>{"DO类型E1_SPS已存在，新类型命名为E1_SPS2",
                                                   "LN类型E1_MMXU已存在，新类型命名为E1_MMXU3"}));
    EXPECT_EQ(Names(m.instPkg, "sec:TypePackage.DOTypes"), (std::vector<CString>{"P1_SPS", "E1_SPS", "E1_SPS2"}));
    std::vector<CString> lnTypes = Names(m.instPkg, "sec:TypePackage.LNodeTypes");
    std::sort(lnTypes.begin(), lnTypes.end());
    EXPECT_EQ(lnTypes, (std::vector<CString>{"E1_MMXU", "E1_MMXU2", "E1_MMXU3", "P1_LLN0", "P1_LPHD", "P1_PTOC"}));
}

TEST_F(Creation, MembersOfAnInstanceTypeComeFromItsClassThenItsBaseMinusTakenNames) {
    auto values = [&] {
        std::vector<std::string> out;
        for (const auto& [display, value] : ui.LastOf(Enum_UiCall::InputBox)->vList.vPairs) out.push_back(value.str());
        return out;
    };
    ui.AnswerInputCancel("选择要加入的DO：");
    Run(m.p1Ptoc, "ICD:Add DO");
    EXPECT_EQ(values(), (std::vector<std::string>{m.ptocStr.sUri, m.commonMod.sUri, m.commonBeh.sUri,
                                                  m.commonNamPlt.sUri}));
    EXPECT_TRUE(Refreshes().empty());
    for (const char* taken : {"Str", "Mod", "Beh", "NamPlt"}) MakeDO(m.p1Ptoc, taken, 9, URI_Ref());
    ui.ClearCalls();
    Run(m.p1Ptoc, "ICD:Add DO");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"逻辑节点类中没有可加入的DO！"});

    const URI_Ref classless = MakeDOType(m.instPkg, "P1_X", 7);
    ui.ClearCalls();
    Run(classless, "ICD:Add DA");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"未指定标准CDC类！"});

    // A member chosen on a sibling: the new DA stands behind the sibling.
    ui.ClearCalls();
    const URI_Ref sps = MakeDOType(m.instPkg, "P1_SPS2", 8);
    Link(sps, "sec:DOType.ClassOf_DOType", m.sps);
    const URI_Ref q = MakeDA(sps, "q", 1, "ST", "Quality");
    MakeDA(sps, "t", 2, "ST", "Timestamp");
    ui.AnswerInputChoice(app.GetRscText(m.spsStVal, false));
    Run(q, "ICD:Add DA");
    EXPECT_EQ(Names(sps, "sec:DOType.Contains_DAs"), (std::vector<CString>{"q", "stVal", "t"}));
}

TEST_F(Creation, DirectMembersOfDeclarationTypesAndExtensionDOs) {
    Run(m.ptoc, "ICD:Add DO");  // a declaration type: a bare DO of the package's namespace
    std::vector<URI_Ref> dos = Members(m.ptoc, "sec:LNodeType.DOs");
    EXPECT_EQ(Get(dos.back(), "sec:DO.SemanticNs"), "IEC61850");
    EXPECT_EQ(Get(dos.back(), "cim:Naming.name").Left(3), "DO_");  // not written to an ICD: the creator's name
    // Ext-DO on an instance type: allowed unless the ICD says exactly "false";
    // the creator's "DO_2" is no SCL DO name, so the DO is DO2.
    Run(m.p1Ptoc, "ICD:Add Ext-DO");
    dos = Members(m.p1Ptoc, "sec:LNodeType.DOs");
    ASSERT_EQ(dos.size(), 2u);
    EXPECT_EQ(Get(dos.back(), "sec:DO.SemanticNs"), "P1");
    EXPECT_EQ(Get(dos.back(), "cim:Naming.name"), "DO2");
    const std::vector<Struct_UiCall> said = ui.CallsOf(Enum_UiCall::StatusText);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back().sText, "DO名DO_2不符合SCL，新DO命名为DO2");
    Link(m.instPkg, "sec:TypePackage.ICD", icd);
    Set(icd, "sec:ICD.extDOFreely", "false");
    ui.ClearCalls();
    Run(m.p1Ptoc, "ICD:Add Ext-DO");
    EXPECT_EQ(Members(m.p1Ptoc, "sec:LNodeType.DOs").size(), 2u);
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(Creation, ExpandedDOsOfferTheDOTypesOfAPackageChainThatMayLoop) {
    URI_Ref a = MakeTypePackage(kInstDomain, "A", true), b = MakeTypePackage(kInstDomain, "B", true);
    Link(a, "sec:TypePackage.Depend_TypePackage", b);
    Link(b, "sec:TypePackage.Depend_TypePackage", a);
    URI_Ref lnType = MakeLNodeType(a, "A_PTOC", 1);
    Link(lnType, "sec:LNodeType.ClassOf_LNType", m.ptoc);
    URI_Ref ta = MakeDOType(a, "A_SPS", 1), tb = MakeDOType(b, "B_INC", 1), taken = MakeDOType(b, "Op", 2);
    MakeDO(lnType, "Op", 1, ta);
    ui.AnswerInputChoice(app.GetRscText(tb, false));
    Run(lnType, "ICD:Add expand DO");
    std::vector<std::string> offered;
    for (const auto& [d, v] : ui.LastOf(Enum_UiCall::InputBox)->vList.vPairs) offered.push_back(v.str());
    EXPECT_EQ(offered, (std::vector<std::string>{ta.sUri, tb.sUri}));
    (void)taken;
    const URI_Ref made = Members(lnType, "sec:LNodeType.DOs").back();
    EXPECT_EQ(Doc().FirstTarget(made, "sec:DO.DefinedBy_DOType"), tb);
    EXPECT_EQ(Get(made, "sec:DO.SemanticNs"), "扩展");
    EXPECT_EQ(Get(made, "cim:Naming.name"), "DO2");  // an SCL DO name, not the creator's "DO_2"
}

TEST_F(Creation, LogicalDevicesFindTheInstanceTypesOfLln0AndLphd) {
    Run(ied, "ICD:Add LDevice");
    std::vector<URI_Ref> lds;
    Doc().PathTargets(ied, "sec:IED.Servers/sec:Server.LDevices", lds);
    ASSERT_EQ(lds.size(), 2u);
    std::vector<URI_Ref> nodes = Members(lds[1], "sec:LDevice.LNodes");
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(Doc().FirstTarget(nodes[0], "sec:LNode.LNodeType"), p1Lln0);
    EXPECT_EQ(Doc().FirstTarget(nodes[1], "sec:LNode.LNodeType"), p1Lphd);
    // Chosen on a device, the parent is the IED.
    Run(ld, "ICD:Add LDevice");
    Doc().PathTargets(ied, "sec:IED.Servers/sec:Server.LDevices", lds);
    EXPECT_EQ(lds.size(), 3u);
    // A package chain without an LPHD instance type.
    Doc().ClearLinks(p1Lphd, "sec:LNodeType.ClassOf_LNType");
    ui.ClearCalls();
    Run(ied, "ICD:Add LDevice");
    EXPECT_EQ(ui.Messages(),
              std::vector<CString>{"在类型包中没有发现LPHD或LLN0实例化类型，不能增加逻辑装置！"});
    // A package chain that runs in a circle: the listing says so, nothing more.
    URI_Ref a = MakeTypePackage(kInstDomain, "A", true), b = MakeTypePackage(kInstDomain, "B", true);
    Link(a, "sec:TypePackage.Depend_TypePackage", b);
    Link(b, "sec:TypePackage.Depend_TypePackage", a);
    Doc().ClearLinks(icd, "sec:ICD.TypePackage");
    Link(icd, "sec:ICD.TypePackage", a);
    ui.ClearCalls();
    Run(ied, "ICD:Add LDevice");
    EXPECT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages().front().Find("在类型包中没有发现"), -1);
    // Without the standard definitions.
    app.m_uStdLPHDType.Clear();
    ui.ClearCalls();
    Run(ied, "ICD:Add LDevice");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"没有发现IEC61850的LPHD和LLN0定义，不能增加逻辑装置"});
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(Creation, BaseDevicesOfAPackageAndTheirNodes) {
    Run(m.instPkg, "ICD:Add Base LDevice");
    std::vector<URI_Ref> bases = Members(m.instPkg, "sec:TypePackage.Base_LDevices");
    ASSERT_EQ(bases.size(), 1u);
    EXPECT_EQ(Get(bases[0], "sec:LDevice.isAbstract"), "true");
    EXPECT_EQ(Names(bases[0], "sec:LDevice.LNodes"), (std::vector<CString>{"LLN0", "LPHD1"}));
    // A node of a base device: the package's own instance types.
    ui.AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：");
    Run(bases[0], "ICD:Add LNode");
    EXPECT_EQ(Names(bases[0], "sec:LDevice.LNodes").back(), "PTOC1");
    // Many nodes always look in the ICD's package, which a base device has not.
    ui.ClearCalls();
    Run(bases[0], "ICD:Add Many LNodes");
    EXPECT_EQ(ui.Messages(),
              std::vector<CString>{"由于类型包中没有定义除LLN0、LPHD之外的逻辑节点类型，不能增加逻辑节点！"});
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(Creation, ManyNodesAreNumberedOnWithinTheirClass) {
    ui.AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：").AnswerInput("3", "请输入数量：");
    Run(ld, "ICD:Add Many LNodes");
    std::vector<CString> names = Names(ld, "sec:LDevice.LNodes");
    EXPECT_EQ(names, (std::vector<CString>{"LLN0", "LPHD1", "PTOC1", "PTOC2", "PTOC3", "PTOC4"}));
    EXPECT_EQ(Get(Members(ld, "sec:LDevice.LNodes").back(), "sec:LNode.lnInst"), "4");
    EXPECT_EQ(Refreshes(), std::vector<int>{0});
    for (const char* count : {"abc", "0", "-2", "2x"}) {
        ui.ClearCalls();
        ui.AnswerInputChoice("P1_PTOC  (P1)").AnswerInput(count);
        Run(ld, "ICD:Add Many LNodes");
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"数量“" + CString(count) + "”不是1到10000之间的整数，未增加逻辑节点！"});
        EXPECT_EQ(Names(ld, "sec:LDevice.LNodes").size(), 6u) << count;
        EXPECT_TRUE(Refreshes().empty()) << count;
    }
    ui.ClearCalls();
    ui.AnswerInputChoice("P1_PTOC  (P1)").AnswerInputCancel("请输入数量：");
    Run(ld, "ICD:Add Many LNodes");
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes").size(), 6u);
    // Above the limit of one command, however far: refused, nothing made.
    for (const char* count : {"10001", "4294967297", "99999999999"}) {
        ui.ClearCalls();
        ui.AnswerInputChoice("P1_PTOC  (P1)").AnswerInput(count);
        Run(ld, "ICD:Add Many LNodes");
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"数量超出上限，每次最多增加 10000 个逻辑节点！"}) << count;
        ASSERT_EQ(Names(ld, "sec:LDevice.LNodes").size(), 6u) << count;
        EXPECT_TRUE(Refreshes().empty()) << count;
    }
}

TEST_F(Creation, ANodeOrDeviceNumberedOntoATakenNameTakesTheFirstFreeOneAndTheStatusLineSaysSo) {
    auto statusTexts = [&] {
        std::vector<CString> texts;
        for (const Struct_UiCall& call : ui.CallsOf(Enum_UiCall::StatusText)) texts.push_back(call.sText);
        return texts;
    };
    // PTOC1 deleted, PTOC2 left: the next node counts one PTOC and would be
    // a second PTOC2.
    ui.AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：");
    Run(ld, "ICD:Add LNode");
    ASSERT_EQ(Names(ld, "sec:LDevice.LNodes"), (std::vector<CString>{"LLN0", "LPHD1", "PTOC1", "PTOC2"}));
    ASSERT_TRUE(app.Rsc_Delete(Members(ld, "sec:LDevice.LNodes")[2], false));
    ui.ClearCalls();
    ui.AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：");
    Run(ld, "ICD:Add LNode");
    EXPECT_EQ(statusTexts(), std::vector<CString>{"逻辑节点PTOC2已存在，新逻辑节点命名为PTOC3"});
    ui.ClearCalls();
    ui.AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：").AnswerInput("2", "请输入数量：");
    Run(ld, "ICD:Add Many LNodes");
    EXPECT_EQ(statusTexts(), (std::vector<CString>{"逻辑节点PTOC3已存在，新逻辑节点命名为PTOC4",
                                                   "逻辑节点PTOC4已存在，新逻辑节点命名为PTOC5"}));
    const std::vector<URI_Ref> nodes = Members(ld, "sec:LDevice.LNodes");
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes"),
              (std::vector<CString>{"LLN0", "LPHD1", "PTOC2", "PTOC3", "PTOC4", "PTOC5"}));
    EXPECT_EQ(Get(nodes.back(), "sec:LNode.lnInst"), "5");
    // A free number is the counted one, silently: PTOC4 deleted, three
    // PTOCs counted.
    ASSERT_TRUE(app.Rsc_Delete(nodes[4], false));
    ui.ClearCalls();
    ui.AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：");
    Run(ld, "ICD:Add LNode");
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes").back(), "PTOC4");

    // Devices: the second of three deleted, the next would be a second LD_3.
    Run(ied, "ICD:Add LDevice");
    Run(ied, "ICD:Add LDevice");
    std::vector<URI_Ref> lds;
    Doc().PathTargets(ied, "sec:IED.Servers/sec:Server.LDevices", lds);
    ASSERT_EQ(lds.size(), 3u);
    ASSERT_EQ(Get(lds[2], "cim:Naming.name"), "LD_3");
    ASSERT_TRUE(app.Rsc_Delete(lds[1], false));
    ui.ClearCalls();
    Run(ied, "ICD:Add LDevice");
    EXPECT_EQ(statusTexts(), std::vector<CString>{"逻辑装置LD_3已存在，新逻辑装置命名为LD_4"});
    Doc().PathTargets(ied, "sec:IED.Servers/sec:Server.LDevices", lds);
    ASSERT_EQ(lds.size(), 3u);
    EXPECT_EQ(Get(lds[2], "cim:Naming.name"), "LD_4");
}

TEST_F(Creation, ASecondLln0IsRefusedAndNothingIsMade) {
    const std::vector<CString> before = Names(ld, "sec:LDevice.LNodes");
    const CString refused = "逻辑装置中已经存在LLN0，不能增加逻辑节点！";
    ui.AnswerInputChoice("P1_LLN0  (P1)", "选择逻辑节点类型：");
    Run(ld, "ICD:Add LNode");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{refused});
    ui.ClearCalls();
    ui.AnswerInputChoice("P1_LLN0  (P1)", "选择逻辑节点类型：").AnswerInput("2", "请输入数量：");
    Run(ld, "ICD:Add Many LNodes");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{refused});
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes"), before);
    EXPECT_TRUE(Refreshes().empty());
    // Without its LLN0 a device takes one again, but one only.
    const URI_Ref lln0 = Members(ld, "sec:LDevice.LNodes").front();
    ASSERT_TRUE(app.Rsc_Delete(lln0, false));
    for (const char* count : {"2", "1", "1"}) {
        ui.ClearCalls();
        ui.AnswerInputChoice("P1_LLN0  (P1)").AnswerInput(count);
        Run(ld, "ICD:Add Many LNodes");
    }
    EXPECT_EQ(ui.Messages(), std::vector<CString>{refused});
    std::vector<CString> names = Names(ld, "sec:LDevice.LNodes");
    EXPECT_EQ(std::count(names.begin(), names.end(), CString("LLN0")), 1);  // named as the ICD names it
    EXPECT_EQ(names.size(), before.size());
    // Other classes are not counted against it.
    ui.ClearCalls();
    ui.AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：");
    Run(ld, "ICD:Add LNode");
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Names(ld, "sec:LDevice.LNodes").size(), before.size() + 1);
}

TEST_F(Creation, ADOWithADOIIsNotOfferedAgainAndADAIIsNamedByItsPath) {
    ui.AnswerInputChoice("Op", "选择DO：");
    Run(ptoc, "ICD:Add DOI");
    const URI_Ref doi = Doc().FirstTarget(ptoc, "sec:LNode.DOIs");
    ASSERT_TRUE(doi.IsSet());
    EXPECT_EQ(Get(doi, "cim:Naming.name"), "Op");
    ui.ClearCalls();
    ui.AnswerInputCancel("选择DO：");
    Run(ptoc, "ICD:Add DOI");
    EXPECT_TRUE(LastChoices().empty());

    ui.AnswerInputChoice("stVal[ST]", "选择 Op 下的DA：");
    Run(doi, "ICD:Add DAI");
    EXPECT_EQ(Names(doi, "sec:DOI.DAIs"), std::vector<CString>{"stVal[ST]"});
    ui.AnswerInputCancel();
    Run(doi, "ICD:Add DAI");
    EXPECT_EQ(LastChoices(), std::vector<CString>{"q[ST]"});
}

TEST_F(Creation, ADAIIsTheRowChosenAlsoAmongMembersThatShareTheirDefinition) {
    // Three phases of one measured-value type: every "f" and "q" below is the
    // same member of the same structure type.
    MakeDO(m.p1Ptoc, "A", 2, m.wye);
    ui.AnswerInputChoice("A", "选择DO：");
    Run(ptoc, "ICD:Add DOI");
    const URI_Ref doi = Members(ptoc, "sec:LNode.DOIs").back();
    ASSERT_EQ(Get(doi, "cim:Naming.name"), "A");
    const std::pair<CString, URI_Ref> rows[] = {
        {"phsB.cVal[MX].ang.f", m.avF}, {"phsC.q[MX]", m.cmvQ}, {"phsA.cVal[MX].ang.f", m.avF},
        {"phsC.cVal[MX].mag.i", m.avI}};
    for (const auto& [path, member] : rows) {
        ui.AnswerInputChoice(path, "选择 A 下的DA：");
        Run(doi, "ICD:Add DAI");
        const URI_Ref dai = Members(doi, "sec:DOI.DAIs").back();
        EXPECT_EQ(Get(dai, "cim:Naming.name"), path);
        EXPECT_EQ(Doc().FirstTarget(dai, "sec:DAI.BDA"), member) << path;
    }
    EXPECT_EQ(Members(doi, "sec:DOI.DAIs").size(), std::size(rows));
    // What was made is no longer offered; its twins still are.
    ui.AnswerInputCancel();
    Run(doi, "ICD:Add DAI");
    const std::vector<CString> offered = LastChoices();
    for (const auto& [path, member] : rows) EXPECT_EQ(std::count(offered.begin(), offered.end(), path), 0) << path;
    EXPECT_EQ(std::count(offered.begin(), offered.end(), CString("phsB.cVal[MX].mag.f")), 1);
}

TEST_F(Creation, AWideTypeOffersTheDAsItsWalkReachesAndSaysWhereItStopped) {
    // Two DA types in each of 17 levels: 131,072 attributes, past the budget.
    URI_Ref wide = MakeDOType(m.instPkg, "Wide", 9);
    MakeDA(wide, "w", 1, "ST", "Struct", MakeNestedDATypes(m.instPkg, "W", 17, 100, {"a", "b"}));
    MakeDO(m.p1Ptoc, "Wide", 9, wide);
    ui.AnswerInputChoice("Wide", "选择DO：");
    Run(ptoc, "ICD:Add DOI");
    const URI_Ref doi = Members(ptoc, "sec:LNode.DOIs").back();
    ASSERT_EQ(Get(doi, "cim:Naming.name"), "Wide");
    const size_t before = ui.Messages().size();
    ui.AnswerInputCancel();
    Run(doi, "ICD:Add DAI");
    const std::vector<CString> offered = LastChoices();
    EXPECT_GT(offered.size(), kiln::core::kTypeEntryBudget / 4);
    EXPECT_LT(offered.size(), kiln::core::kTypeEntryBudget);
    EXPECT_EQ(offered.front(), "w[ST].a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a");
    const std::vector<CString> messages = ui.Messages();
    EXPECT_EQ(std::vector<CString>(messages.begin() + static_cast<long>(before), messages.end()),
              std::vector<CString>{"类型嵌套展开超过100000条路径"});
}

}  // namespace
}  // namespace kiln::test
