// Model generation from the information table: a new LN type, its LN and the
// mapping of the chosen items, or item data objects added to an LN's type;
// every choice and the M2I's lock before the first object is made.
#include <algorithm>

#include "tests/commands/commands_fixture.h"

namespace kiln::test {
namespace {

using Texts = std::vector<CString>;

class ItbGeneration : public CommandsTest {
protected:
    ItbGeneration() {
        Set(icd, "cim:Naming.name", "P");
        mmxnClass = MakeLNodeType(m.stdPkg, "MMXN", 70);
        ggioClass = MakeLNodeType(m.stdPkg, "GGIO", 71);
        EXPECT_TRUE(app.NewRsc_ITB(&itb, icd));
        int id = 0;
        for (const char* name : {"Amp1", "Amp2", "Amp3", "Vol1"}) {
            URI_Ref item;
            EXPECT_TRUE(app.NewRsc_InfoItem(&item, itb));
            Set(item, "sec:InfoItem.id", ToText(++id));
            Set(item, "cim:Naming.name", name);
            items.push_back(item);
        }
        ui.ClearCalls();
    }

    URI_Ref Type(const CString& name) { return MakeDOType(m.instPkg, name, ++ord); }
    // The types every group command needs, besides the ones a test adds.
    void CommonTypes() {
        lpl = Type("zel_LPL");
        ins = Type("zel_INS");
    }
    // OK on the grid with the ranges of rows (first, last from 0) selected.
    void AnswerRows(std::vector<std::pair<int, int>> ranges) {
        Struct_UiDialogAnswer a;
        a.nResult = IDOK;
        for (auto [first, last] : ranges) a.vRanges.push_back({first, 0, last, 8});
        ui.AnswerDialog(a);
    }
    // The generated LN of the device: the last one in order.
    URI_Ref NewNode() { return Members(ld, "sec:LDevice.LNodes").back(); }
    URI_Ref TypeOf(const URI_Ref& dataObject) { return Doc().FirstTarget(dataObject, "sec:DO.DefinedBy_DOType"); }
    // "node.DO" of every mapping item of the item.
    Texts MappedTo(const URI_Ref& item) {
        Texts out;
        for (const URI_Ref& mapItem : Members(item, "sec:InfoItem.MapItem"))
            out.push_back(Get(Doc().FirstTarget(mapItem, "sec:DARef.LNode"), "cim:Naming.name") + "." +
                          Get(mapItem, "sec:DARef.doName"));
        return out;
    }

    URI_Ref mmxnClass, ggioClass, itb, lpl, ins;
    std::vector<URI_Ref> items;
    int ord = 20;
};

constexpr const char* kMMXN = "ICD:Create LNodeType DOs LNode M2I(MMXN MV)";

TEST_F(ItbGeneration, ANewTypeAndNodeCarryTheChosenItemsInRowOrderAndAreMapped) {
    CommonTypes();
    const URI_Ref modInc = Type("zel_Mod_INC"), inc = Type("zel_INC"), mv = Type("zel_MV");
    // Two MMXN nodes before the new one.
    const URI_Ref mmxnType = MakeLNodeType(m.instPkg, "P1_MMXN", 60);
    Link(mmxnType, "sec:LNodeType.ClassOf_LNType", mmxnClass);
    MakeLNode(ld, "", "MMXN", "7", 4, mmxnType);
    MakeLNode(ld, "", "MMXN", "9", 5, mmxnType);
    ui.ClearCalls();

    AnswerRows({{2, 2}, {0, 1}});
    Run(ld, kMMXN);
    const URI_Ref lnType = Doc().FirstTarget(NewNode(), "sec:LNode.LNodeType");
    EXPECT_EQ(Get(lnType, "cim:Naming.name"), "P_MMXN");
    EXPECT_EQ(Get(lnType, "cim:Naming.description"), "量测量");
    EXPECT_EQ(Doc().FirstTarget(lnType, "sec:LNodeType.ClassOf_LNType"), mmxnClass);
    EXPECT_EQ(Doc().FirstTarget(lnType, "sec:LNodeType.TypePackage"), m.instPkg);
    EXPECT_EQ(Get(NewNode(), "cim:Naming.name"), "MMXN3");
    EXPECT_EQ(Get(NewNode(), "cim:Naming.description"), "量测量");
    EXPECT_EQ(Get(NewNode(), "sec:LNode.LNodeUse"), "");

    // Four common DOs, then the items in the order the rows were chosen.
    const std::vector<URI_Ref> dos = Members(lnType, "sec:LNodeType.DOs");
    ASSERT_EQ(dos.size(), 7u);
    Texts names, descriptions;
    for (const URI_Ref& d : dos) {
        names.push_back(Get(d, "cim:Naming.name"));
        descriptions.push_back(Get(d, "cim:Naming.description"));
    }
    EXPECT_EQ(names, (Texts{"Mod", "Health", "Beh", "NamPlt", "Amp3", "Amp1", "Amp2"}));
    EXPECT_EQ(descriptions, (Texts{"模式", "健康", "性能", "铭牌", "Amp3", "Amp1", "Amp2"}));
    EXPECT_EQ(TypeOf(dos[0]), modInc);  // beats zel_INC, which comes after it
    EXPECT_EQ(TypeOf(dos[1]), ins);     // the only zel_INS serves Health and Beh
    EXPECT_EQ(TypeOf(dos[2]), ins);
    EXPECT_EQ(TypeOf(dos[3]), lpl);
    for (size_t i = 4; i < 7; ++i) {
        EXPECT_EQ(TypeOf(dos[i]), mv);
        EXPECT_EQ(Get(dos[i], "sec:DO.SemanticNs"), "扩展");
    }
    // The chosen items point to the new node's DOs; the other one does not.
    EXPECT_EQ(MappedTo(items[0]), Texts{"MMXN3.Amp1"});
    EXPECT_EQ(MappedTo(items[2]), Texts{"MMXN3.Amp3"});
    for (const CString& mapped : MappedTo(items[3])) EXPECT_EQ(mapped, ".");
    EXPECT_EQ(Refreshes(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ui.CountOf(Enum_UiCall::PickResource), 0);
    (void)inc;
}

TEST_F(ItbGeneration, TheGgioCommandsWriteTheirPurposeAndTakeTheLaterTypeOfAName) {
    CommonTypes();
    Type("zel_Mod_INC");
    Type("zel_SPS");
    const URI_Ref sps2 = Type("ZEL_sps");  // the same name in another case: the later one
    AnswerRows({{0, 0}});
    Run(ld, "ICD:Create LNodeType DOs LNode M2I(GGIO SPS)");
    const URI_Ref node = NewNode();
    EXPECT_EQ(Get(node, "sec:LNode.LNodeUse"), EnumValue("LNodeUseEnum", "Alarm"));
    EXPECT_EQ(Get(node, "cim:Naming.name"), "GGIO1");
    const URI_Ref lnType = Doc().FirstTarget(node, "sec:LNode.LNodeType");
    EXPECT_EQ(Get(lnType, "cim:Naming.name"), "P_GGIO");
    EXPECT_EQ(Get(lnType, "cim:Naming.description"), "告警信息");
    EXPECT_EQ(TypeOf(Members(lnType, "sec:LNodeType.DOs").back()), sps2);
}

TEST_F(ItbGeneration, ANameThePackageAlreadyHoldsGivesTheNextFreeOneAndSaysSo) {
    CommonTypes();
    Type("zel_Mod_INC");
    Type("zel_SPS");
    Type("zel_DPS");
    MakeLNodeType(m.instPkg, "P_GGIO3", 62);  // taken before any run
    const char* const runs[] = {"ICD:Create LNodeType DOs LNode M2I(GGIO SPS)",
                                "ICD:Create LNodeType DOs LNode M2I(GGIO DPS) common",
                                "ICD:Create LNodeType DOs LNode M2I(GGIO SPS)"};
    Texts typeNames, statusTexts;
    for (const char* command : runs) {
        ui.ClearCalls();
        AnswerRows({{0, 0}});
        Run(ld, command);
        typeNames.push_back(Get(Doc().FirstTarget(NewNode(), "sec:LNode.LNodeType"), "cim:Naming.name"));
        for (const Struct_UiCall& call : ui.CallsOf(Enum_UiCall::StatusText)) statusTexts.push_back(call.sText);
    }
    EXPECT_EQ(typeNames, (Texts{"P_GGIO", "P_GGIO2", "P_GGIO4"}));
    EXPECT_EQ(statusTexts, (Texts{"LN类型P_GGIO已存在，新类型命名为P_GGIO2", "LN类型P_GGIO已存在，新类型命名为P_GGIO4"}));
    // No two LN types of the package share a name.
    Texts all = Names(m.instPkg, "sec:TypePackage.LNodeTypes");
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

// An item name that cannot name a DO of the new type (not an SCL data name,
// or one the type already has) gets no DO and no mapping and is named; the
// rest is made as usual. With no name left, nothing is made.
TEST_F(ItbGeneration, AnItemWhoseNameCannotNameADoIsNamedAndLeftOut) {
    CommonTypes();
    Type("zel_Mod_INC");
    Type("zel_SPS");
    const char* const names[] = {"过流告警", "OvCurAlm", "OvCurAlm", "Mod", "ovCurAlm", "OvCurAlarm123", "Ind_1"};
    std::vector<URI_Ref> rows;
    for (size_t i = 0; i < std::size(names); ++i) {
        URI_Ref item = items.size() > i ? items[i] : URI_Ref();
        if (item.IsEmpty()) {
            EXPECT_TRUE(app.NewRsc_InfoItem(&item, itb));
            Set(item, "sec:InfoItem.id", ToText(static_cast<int>(i) + 1));
        }
        Set(item, "cim:Naming.name", names[i]);
        rows.push_back(item);
    }
    ui.ClearCalls();
    AnswerRows({{0, 6}});
    Run(ld, "ICD:Create LNodeType DOs LNode M2I(GGIO SPS)");
    const URI_Ref lnType = Doc().FirstTarget(NewNode(), "sec:LNode.LNodeType");
    EXPECT_EQ(Names(lnType, "sec:LNodeType.DOs"), (Texts{"Mod", "Health", "Beh", "NamPlt", "OvCurAlm"}));
    EXPECT_EQ(MappedTo(rows[1]), Texts{"GGIO1.OvCurAlm"});
    for (size_t i : {0, 2, 3, 4, 5, 6})
        for (const CString& mapped : MappedTo(rows[i])) EXPECT_EQ(mapped, ".") << names[i];
    const CString invalid = "的名称不能作为DO名称（应以大写英文字母开头，只含英文字母和数字，不超过12个字符），未生成DO！";
    const CString taken = "的名称与LN类型中已有的DO重名，未生成DO！";
    EXPECT_EQ(ui.Messages(), Texts{"信息“过流告警”" + invalid + "\n信息“OvCurAlm”" + taken + "\n信息“Mod”" + taken +
                                   "\n信息“ovCurAlm”" + invalid + "\n信息“OvCurAlarm123”" + invalid +
                                   "\n信息“Ind_1”" + invalid});
    EXPECT_EQ(Refreshes(), (std::vector<int>{1, 2}));

    // Only names that cannot be DOs: the message, and nothing made.
    ui.ClearCalls();
    const size_t before = ResourceCount();
    AnswerRows({{0, 0}});  // the mapped OvCurAlm is hidden: row 0 is 过流告警
    Run(ld, "ICD:Create LNodeType DOs LNode M2I(GGIO SPS)");
    EXPECT_EQ(ui.Messages(), Texts{"信息“过流告警”" + invalid});
    EXPECT_EQ(ResourceCount(), before);
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(ItbGeneration, EveryChoiceAndTheLockComeBeforeTheFirstObject) {
    CommonTypes();
    Type("zel_MV");
    const size_t before = ResourceCount();
    // OK without a row.
    AnswerRows({});
    Run(ld, kMMXN);
    // No mode type at all: the pick is cancelled.
    AnswerRows({{0, 0}});
    ui.AnswerPickCancel("选择Mod使用的DOType:");
    Run(ld, kMMXN);
    EXPECT_EQ(ResourceCount(), before);  // not even the M2I
    EXPECT_TRUE(Refreshes().empty());
    EXPECT_TRUE(ui.Messages().empty());

    // A picked mode type; the item type is there; the M2I, in a domain of
    // its own, cannot be edited.
    ASSERT_TRUE(Doc().FirstTarget(icd, "sec:ICD.M2I").IsEmpty());
    MakeDomain("kiln.m2i#", "二次模型装置ICD包");
    const URI_Ref lockedM2i = Make("kiln.m2i#", "sec:M2I", "M2I");
    Link(lockedM2i, "sec:M2I.ICD", icd);
    Link(lockedM2i, "sec:M2I.ITB", itb);
    Doc().SetDomainEditable("kiln.m2i#", false);
    const size_t withLockedM2i = ResourceCount();
    ui.ClearCalls();
    AnswerRows({{0, 0}});
    ui.AnswerPick(CString(ins.sUri));
    Run(ld, kMMXN);
    EXPECT_EQ(ui.Messages(), Texts{"当前域不可编辑！-W0096"});
    EXPECT_EQ(ResourceCount(), withLockedM2i);
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(ItbGeneration, MissingStandardClassOrNamePlateTypeIsNamedAndNothingIsMade) {
    Type("zel_Mod_INC");
    Type("zel_INS");
    Type("zel_ING");
    Type("zel_MV");
    const size_t before = ResourceCount();
    // No RING class in the standard package.
    AnswerRows({{0, 0}});
    Run(ld, "ICD:Create LNodeType DOs LNode M2I(RING ING)");
    // No zel_LPL.
    AnswerRows({{0, 0}});
    Run(ld, kMMXN);
    EXPECT_EQ(ui.Messages(), (Texts{"没有找到标准逻辑节点类RING！", "没有找到DOType zel_LPL！"}));
    EXPECT_EQ(ResourceCount(), before);
    // Without an ITB: the Part's notice, before anything.
    ui.ClearCalls();
    ASSERT_TRUE(app.Rsc_Delete(itb, false));
    Run(ld, kMMXN);
    EXPECT_EQ(ui.Messages(), Texts{"没有找到ITB !"});
    EXPECT_EQ(ui.CountOf(Enum_UiCall::ModalDialog), 0);
}

// ---- item data objects added to an existing LN's type ----

class AddDOFromLNode : public ItbGeneration {
protected:
    AddDOFromLNode() {
        ggioType = MakeLNodeType(m.instPkg, "P1_GGIO", 61);
        Link(ggioType, "sec:LNodeType.ClassOf_LNType", ggioClass);
        ggio = MakeLNode(ld, "", "GGIO", "1", 5, ggioType);
        Set(ggio, "cim:Naming.description", "告警信号");  // every DO name of its type is a key
        URI_Ref m2i;
        EXPECT_TRUE(app.NewRsc_M2I(&m2i, icd, itb, true));
        ui.ClearCalls();
    }
    URI_Ref ggioType, ggio;
};

constexpr const char* kAddDO = "ICD:Add DO From LNode by ITB";

TEST_F(AddDOFromLNode, ItemDataObjectsGoToTheNodesTypeInRowOrderAndAreMapped) {
    // Packages by name: "P0" before "P1"; P1's zel_SPS is the later one.
    MakeDomain("kiln.p0#", "二次模型装置类型包");
    const URI_Ref p0 = MakeTypePackage("kiln.p0#", "P0", true);
    MakeDOType(p0, "zel_SPS", 1);
    const URI_Ref sps = Type("zel_sps");
    AnswerRows({{3, 3}, {0, 0}});
    Run(ggio, kAddDO);
    const std::vector<URI_Ref> dos = Members(ggioType, "sec:LNodeType.DOs");
    ASSERT_EQ(dos.size(), 2u);
    EXPECT_EQ(Get(dos[0], "cim:Naming.name"), "Vol1");
    EXPECT_EQ(Get(dos[1], "cim:Naming.description"), "Amp1");
    EXPECT_EQ(TypeOf(dos[0]), sps);
    EXPECT_EQ(Get(dos[1], "sec:DO.SemanticNs"), "扩展");
    EXPECT_EQ(MappedTo(items[3]), Texts{"GGIO1.Vol1"});
    EXPECT_EQ(MappedTo(items[0]), Texts{"GGIO1.Amp1"});
    EXPECT_EQ(Refreshes(), (std::vector<int>{1, 2}));
}

TEST_F(AddDOFromLNode, ACancelledTypeChoiceOrALockedM2iMakesNothing) {
    Type("zel_ASG");
    // No zel_SPS: the pick is cancelled, after the grid's OK.
    AnswerRows({{0, 1}});
    ui.AnswerPickCancel("选择GGIO其它DO使用的DOType:");
    Run(ggio, kAddDO);
    // OK without a row; Cancel.
    AnswerRows({});
    Run(ggio, kAddDO);
    ui.AnswerDialog(Struct_UiDialogAnswer{});
    Run(ggio, kAddDO);
    EXPECT_TRUE(Members(ggioType, "sec:LNodeType.DOs").empty());
    EXPECT_TRUE(Refreshes().empty());

    // A picked type, but the M2I's domain is locked.
    const URI_Ref asg = Doc().FirstTarget(m.instPkg, "sec:TypePackage.DOTypes");
    Doc().SetDomainEditable(kIcdDomain, false);
    AnswerRows({{0, 1}});
    ui.AnswerPickText("zel_ASG");
    Run(ggio, kAddDO);
    EXPECT_EQ(ui.Messages(), Texts{"当前域不可编辑！-W0095"});
    EXPECT_TRUE(Members(ggioType, "sec:LNodeType.DOs").empty());
    (void)asg;
}

TEST_F(AddDOFromLNode, ARowWhoseCreatorRefusedIsSkipped) {
    Type("zel_SPS");
    AnswerRows({{0, 2}});
    Doc().InjectFault("create", 1);  // the second row's DO
    Run(ggio, kAddDO);
    Texts names;
    for (const URI_Ref& d : Members(ggioType, "sec:LNodeType.DOs")) names.push_back(Get(d, "cim:Naming.name"));
    EXPECT_EQ(names, (Texts{"Amp1", "Amp3"}));
    EXPECT_EQ(MappedTo(items[2]), Texts{"GGIO1.Amp3"});
    EXPECT_EQ(MappedTo(items[1]), Texts{"."});
}

// Items without ids, two of each name: only the row chosen is mapped, by the
// group command and by the single-LN one; the other item of its name keeps
// its mapping item without a node.
TEST_F(AddDOFromLNode, OnlyTheRowsChosenAreMappedWhateverTheirIds) {
    CommonTypes();
    Type("zel_Mod_INC");
    Type("zel_SPS");
    const char* const names[] = {"OvCurAlm", "OvCurAlm", "ZroSeqAlm", "ZroSeqAlm"};
    for (size_t i = 0; i < items.size(); ++i) {
        Set(items[i], "sec:InfoItem.id", "");
        Set(items[i], "cim:Naming.name", names[i]);
    }
    ui.ClearCalls();
    AnswerRows({{0, 0}});
    Run(ld, "ICD:Create LNodeType DOs LNode M2I(GGIO SPS)");
    EXPECT_EQ(Get(NewNode(), "cim:Naming.name"), "GGIO2");
    EXPECT_EQ(MappedTo(items[0]), Texts{"GGIO2.OvCurAlm"});
    EXPECT_EQ(MappedTo(items[1]), Texts{"."});

    // The first item is mapped and hidden now: row 1 is the first ZroSeqAlm.
    AnswerRows({{1, 1}});
    Run(ggio, kAddDO);
    EXPECT_EQ(Names(ggioType, "sec:LNodeType.DOs"), Texts{"ZroSeqAlm"});
    EXPECT_EQ(MappedTo(items[2]), Texts{"GGIO1.ZroSeqAlm"});
    EXPECT_EQ(MappedTo(items[3]), Texts{"."});
    EXPECT_EQ(MappedTo(items[1]), Texts{"."});
    EXPECT_TRUE(ui.Messages().empty());
}

// A name the node's type already has, or no SCL data name: no DO, no mapping.
TEST_F(AddDOFromLNode, ANameTheTypeHasOrNoDataNameIsNamedAndLeftOut) {
    Type("zel_SPS");
    MakeDO(ggioType, "Amp2", 1, URI_Ref());
    Set(items[0], "cim:Naming.name", "Amp 1");
    ui.ClearCalls();
    AnswerRows({{0, 3}});
    Run(ggio, kAddDO);
    EXPECT_EQ(Names(ggioType, "sec:LNodeType.DOs"), (Texts{"Amp2", "Amp3", "Vol1"}));
    EXPECT_EQ(MappedTo(items[2]), Texts{"GGIO1.Amp3"});
    EXPECT_EQ(MappedTo(items[0]), Texts{"."});
    EXPECT_EQ(MappedTo(items[1]), Texts{"."});
    EXPECT_EQ(ui.Messages(),
              Texts{"信息“Amp 1”的名称不能作为DO名称（应以大写英文字母开头，只含英文字母和数字，不超过12个字符），"
                    "未生成DO！\n信息“Amp2”的名称与LN类型中已有的DO重名，未生成DO！"});
}

}  // namespace
}  // namespace kiln::test
