// The commands that work on information items: entry renumbering and
// descriptions from the ITB, bay-wise mapping, logical nodes from the ITB
// and common mapping targets.
#include "tests/commands/info_item_fixture.h"

namespace kiln::test {
namespace {

class InfoItemCommandsTest : public InfoItemTest {
protected:
    CString Entry(const URI_Ref& item) { return Get(item, "sec:InfoItem.p103_ent"); }
    CString Desc(const URI_Ref& rsc) { return Get(rsc, "cim:Naming.description"); }
    void DropItb() { ASSERT_TRUE(app.DocMtd_del_Association(icd, "sec:ICD.ITB", itb)); }
    // A further logical device of the server, with a PTOC node "PTOC1".
    URI_Ref BayDevice(URI_Ref* node) {
        URI_Ref dev;
        EXPECT_TRUE(app.NewRsc_LDevice(&dev, ied, p1Lln0, p1Lphd, URI_Ref()));
        EXPECT_TRUE(app.NewRsc_LNode(node, dev, m.p1Ptoc, true));
        return dev;
    }
};

// ---- entry renumbering and descriptions from the ITB ----

TEST_F(InfoItemCommandsTest, EntriesOfOneTypeAndGroupAreNumberedInTheOrderOfTheOldOnes) {
    URI_Ref a = Item("1", "A", "2", "5"), b = Item("2", "B", "2", "3"), c = Item("3", "C", "2", "3"),
            d = Item("4", "D", "2", "9"), other = Item("5", "E", "3", "7");
    for (const URI_Ref& i : {a, b, c, d, other}) Set(i, "sec:InfoItem.p103_typ", "1");
    Run(c, "ICD:Sort InfoItem p103_ent");
    EXPECT_EQ((std::vector<CString>{"3", "1", "2", "4", "7"}),
              (std::vector<CString>{Entry(a), Entry(b), Entry(c), Entry(d), Entry(other)}));
    EXPECT_TRUE(Refreshes().empty());
    // An empty entry counts as 0 and comes first; another type stays apart.
    URI_Ref empty = Item("6", "F", "2", "");
    Set(empty, "sec:InfoItem.p103_typ", "1");
    URI_Ref otherType = Item("7", "G", "2", "1");
    Set(otherType, "sec:InfoItem.p103_typ", "2");
    Run(a, "ICD:Sort InfoItem p103_ent");
    EXPECT_EQ((std::vector<CString>{"1", "2", "3", "4", "5", "1"}),
              (std::vector<CString>{Entry(empty), Entry(b), Entry(c), Entry(a), Entry(d), Entry(otherType)}));
    // More items of one type and group than an entry number can count: said,
    // nothing renumbered.
    for (int i = 0; i < 251; ++i) Set(Item(std::to_string(100 + i).c_str(), "H", "2", "0"), "sec:InfoItem.p103_typ", "1");
    Run(a, "ICD:Sort InfoItem p103_ent");
    EXPECT_EQ(std::vector<CString>{"相同Typ和Grp的信息条目有256个，Ent最多为255，不能排列！"}, ui.Messages());
    EXPECT_EQ((std::vector<CString>{"1", "2", "3", "4", "5"}),
              (std::vector<CString>{Entry(empty), Entry(b), Entry(c), Entry(a), Entry(d)}));
}

TEST_F(InfoItemCommandsTest, DescriptionsFromTheItbGoToTheNodeAndThoseAfterIt) {
    std::vector<URI_Ref> nodes = Members(ld, "sec:LDevice.LNodes");
    for (int i = 0; i < 3; ++i) {
        URI_Ref n;
        ASSERT_TRUE(app.NewRsc_LNode(&n, ld, m.p1Ptoc, true));
    }
    nodes = Members(ld, "sec:LDevice.LNodes");
    ASSERT_EQ(6u, nodes.size());
    for (const URI_Ref& n : nodes) Set(n, "cim:Naming.description", "旧");
    Item("1", "第三", "2", "1");
    Item("2", "第一", "1", "1");
    Item("3", "第二", "1", "2");
    ui.AnswerDialog(Rows({{0, 2}}));
    Run(nodes[4], "ICD:Write Desc By ITB");
    EXPECT_EQ((std::vector<CString>{"旧", "旧", "旧", "旧", "第一", "第二"}),
              (std::vector<CString>{Desc(nodes[0]), Desc(nodes[1]), Desc(nodes[2]), Desc(nodes[3]), Desc(nodes[4]),
                                    Desc(nodes[5])}));
    EXPECT_EQ((std::vector<int>{2, 1}), Refreshes());

    ui.ClearCalls();
    ui.AnswerDialog(Cancelled());
    Run(nodes[0], "ICD:Write Desc By ITB");
    EXPECT_EQ("旧", Desc(nodes[0]));
    EXPECT_EQ((std::vector<int>{2, 1}), Refreshes());

    ui.ClearCalls();
    DropItb();
    Run(nodes[0], "ICD:Write Desc By ITB");
    EXPECT_EQ(std::vector<CString>{"没有找到ITB !"}, ui.Messages());
    EXPECT_EQ(0, ui.CountOf(Enum_UiCall::ModalDialog));
    EXPECT_TRUE(Refreshes().empty());
}

// ---- bay-wise mapping ----

TEST_F(InfoItemCommandsTest, PickedItemsAreMappedOntoTheNodeOfOneNameInSuccessiveDevices) {
    URI_Ref p2, p3, p4;
    URI_Ref dev2 = BayDevice(&p2);
    BayDevice(&p3);
    BayDevice(&p4);
    ASSERT_EQ("2", Get(dev2, "e301:OrdNaming.ord"));
    URI_Ref first = Item("1", "一"), second = Item("2", "二"), third = Item("3", "三");
    URI_Ref firstMap = Map(first, URI_Ref(), "");
    Map(second, URI_Ref(), "");
    Map(third, URI_Ref(), "");
    Map(Item("4", "四"), p2, "Op");  // mapped: not shown by the grid
    // Rows picked out of table order: the links follow the selection.
    ui.AnswerDialog(Rows({{2, 2}, {0, 1}})).AnswerInputChoice("PTOC1", "请选择：");
    Run(dev2, "ICD:Most Bay To M2I MapItem");
    ASSERT_EQ(1u, MapItemsOf(second).size());
    ASSERT_EQ(1u, MapItemsOf(third).size());
    EXPECT_EQ(std::vector<URI_Ref>{p2}, NodesOf(MapItemsOf(third)[0]));
    EXPECT_EQ(std::vector<URI_Ref>{p3}, NodesOf(firstMap));
    EXPECT_EQ(std::vector<URI_Ref>{p4}, NodesOf(MapItemsOf(second)[0]));
    EXPECT_EQ((std::vector<CString>{"LLN0", "LPHD1", "PTOC1"}), LastChoices());
    EXPECT_TRUE(Refreshes().empty());

    // Again from device 2 with five items over three devices: an item that
    // named a node gets the new one in its place; the items without mapping
    // item get none, since no DO can be given to it, and are named.
    Link(firstMap, "sec:DARef.LNode", p4);  // now names two nodes
    URI_Ref fifth = Item("5", "五"), sixth = Item("6", "六");
    ui.ClearCalls();
    ui.AnswerDialog(Rows({{0, 4}})).AnswerInputChoice("LLN0");
    Run(dev2, "ICD:Most Bay To M2I MapItem");
    const URI_Ref lln0Of2 = Members(dev2, "sec:LDevice.LNodes")[0];
    EXPECT_EQ(std::vector<URI_Ref>{lln0Of2}, NodesOf(firstMap));
    EXPECT_EQ(1u, NodesOf(MapItemsOf(second)[0]).size());
    EXPECT_EQ(1u, NodesOf(MapItemsOf(third)[0]).size());
    EXPECT_TRUE(MapItemsOf(fifth).empty());
    EXPECT_TRUE(MapItemsOf(sixth).empty());
    EXPECT_EQ(std::vector<CString>{"信息“五”没有映射条目，不能确定DO，未生成映射条目！\n"
                                   "信息“六”没有映射条目，不能确定DO，未生成映射条目！"},
              ui.Messages());
}

TEST_F(InfoItemCommandsTest, BayMappingTakesTheRowsChosenWhateverTheirIds) {
    URI_Ref p2, p3, p4;
    URI_Ref dev2 = BayDevice(&p2), dev3 = BayDevice(&p3);
    BayDevice(&p4);
    // Items as the menus make them: no id until numbered. The first is mapped
    // (so not shown); the rows picked are the other two.
    URI_Ref mapped = Item("", "一"), second = Item("", "二"), third = Item("", "三");
    const URI_Ref mappedMap = Map(mapped, p4, "Op");
    Map(second, URI_Ref(), "");
    Map(third, URI_Ref(), "");
    ui.AnswerDialog(Rows({{1, 1}, {0, 0}})).AnswerInputChoice("PTOC1", "请选择：");
    Run(dev2, "ICD:Most Bay To M2I MapItem");
    ASSERT_EQ(2u, ShownRows().size());
    EXPECT_NE(-1, ShownRows()[0].Find("二"));
    ASSERT_EQ(1u, MapItemsOf(second).size());
    ASSERT_EQ(1u, MapItemsOf(third).size());
    EXPECT_EQ(std::vector<URI_Ref>{p2}, NodesOf(MapItemsOf(third)[0]));
    EXPECT_EQ(std::vector<URI_Ref>{p3}, NodesOf(MapItemsOf(second)[0]));
    // The mapped item keeps its own mapping item and link.
    EXPECT_EQ(std::vector<URI_Ref>{mappedMap}, MapItemsOf(mapped));
    EXPECT_EQ(std::vector<URI_Ref>{p4}, NodesOf(mappedMap));

    // Two items of one id: each row still maps its own item.
    for (const URI_Ref& item : {second, third}) Set(MapItemsOf(item)[0], "sec:DARef.doName", "Op");
    URI_Ref twinA = Item("7", "甲"), twinB = Item("7", "乙");
    Map(twinA, URI_Ref(), "");
    Map(twinB, URI_Ref(), "");
    ui.AnswerDialog(Rows({{0, 1}})).AnswerInputChoice("LLN0", "请选择：");
    Run(dev2, "ICD:Most Bay To M2I MapItem");
    ASSERT_EQ(2u, ShownRows().size());
    ASSERT_EQ(1u, MapItemsOf(twinA).size());
    ASSERT_EQ(1u, MapItemsOf(twinB).size());
    EXPECT_EQ(Members(dev2, "sec:LDevice.LNodes").front(), NodesOf(MapItemsOf(twinA)[0]).at(0));
    EXPECT_EQ(Members(dev3, "sec:LDevice.LNodes").front(), NodesOf(MapItemsOf(twinB)[0]).at(0));
}

TEST_F(InfoItemCommandsTest, BayMappingStopsAtCancelAndWithoutAnItb) {
    URI_Ref item = Item("1", "一");
    ui.AnswerDialog(Cancelled());
    Run(ld, "ICD:Most Bay To M2I MapItem");
    EXPECT_TRUE(MapItemsOf(item).empty());
    EXPECT_EQ(0, ui.CountOf(Enum_UiCall::InputBox));

    // An item without mapping item gets none, and is named; nothing is
    // left to link, so no node is asked for.
    ui.AnswerDialog(Rows({{0, 0}}));
    Run(ld, "ICD:Most Bay To M2I MapItem");
    EXPECT_TRUE(MapItemsOf(item).empty());
    EXPECT_EQ(std::vector<CString>{"信息“一”没有映射条目，不能确定DO，未生成映射条目！"}, ui.Messages());
    EXPECT_EQ(0, ui.CountOf(Enum_UiCall::InputBox));

    // Cancel in the choice of the node: the mapping item stays unlinked.
    const URI_Ref mapItem = Map(item, URI_Ref(), "");
    ui.AnswerDialog(Rows({{0, 0}})).AnswerInputCancel();
    Run(ld, "ICD:Most Bay To M2I MapItem");
    EXPECT_EQ(std::vector<URI_Ref>{mapItem}, MapItemsOf(item));
    EXPECT_TRUE(NodesOf(mapItem).empty());

    DropItb();
    ui.ClearCalls();
    Run(ld, "ICD:Most Bay To M2I MapItem");
    EXPECT_EQ(std::vector<CString>{"没有找到ITB !"}, ui.Messages());
    EXPECT_EQ(0, ui.CountOf(Enum_UiCall::ModalDialog));
}

// ---- logical nodes from the ITB ----

TEST_F(InfoItemCommandsTest, OneNodeWithOneInputPerPickedItemNumberedByClass) {
    URI_Ref second;
    ASSERT_TRUE(app.NewRsc_LNode(&second, ld, m.p1Ptoc, true));  // PTOC1 and PTOC2 exist
    Item("1", "跳闸", "1", "2");
    Map(Item("2", "合闸", "1", "1"), ptoc, "Op");  // mapped, still offered
    Item("3", "告警", "2", "1");
    const size_t before = Members(ld, "sec:LDevice.LNodes").size();
    ui.AnswerDialog(Rows({{0, 2}})).AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：");
    Run(ld, "ICD:Create LNode by ITB");
    EXPECT_EQ(3u, ShownRows().size());
    std::vector<URI_Ref> nodes = Members(ld, "sec:LDevice.LNodes");
    ASSERT_EQ(before + 3, nodes.size());
    for (size_t i = 0; i < 3; ++i) {
        const URI_Ref& n = nodes[before + i];
        const CString name[] = {"合闸", "跳闸", "告警"};
        EXPECT_EQ("PTOC" + ToText(static_cast<int>(i) + 3), Get(n, "cim:Naming.name"));
        EXPECT_EQ(ToText(static_cast<int>(i) + 3), Get(n, "sec:LNode.lnInst"));
        EXPECT_EQ(name[i], Desc(n));
        EXPECT_EQ(std::vector<CString>{name[i]}, Names(n, "sec:LNode.ExtRefs"));
        EXPECT_TRUE(Members(n, "sec:LNode.DOIs").empty());
    }
    EXPECT_EQ((std::vector<int>{1, 2}), Refreshes());
    // PTOC3 deleted: four PTOCs counted, and PTOC5 is taken.
    ASSERT_TRUE(app.Rsc_Delete(nodes[before], false));
    ui.ClearCalls();
    ui.AnswerDialog(Rows({{1, 1}})).AnswerInputChoice("P1_PTOC  (P1)", "选择逻辑节点类型：");
    Run(ld, "ICD:Create LNode by ITB");
    std::vector<CString> said;
    for (const Struct_UiCall& call : ui.CallsOf(Enum_UiCall::StatusText)) said.push_back(call.sText);
    EXPECT_EQ(std::vector<CString>{"逻辑节点PTOC5已存在，新逻辑节点命名为PTOC6"}, said);
    EXPECT_EQ("PTOC6", Get(Members(ld, "sec:LDevice.LNodes").back(), "cim:Naming.name"));
}

TEST_F(InfoItemCommandsTest, NodesFromTheItbStopWhereTheUserDoesAndSkipRefusedRows) {
    Item("1", "跳闸");
    Item("2", "合闸");
    const size_t before = ResourceCount();
    ui.AnswerDialog(Cancelled());
    Run(ld, "ICD:Create LNode by ITB");
    EXPECT_EQ(0, ui.CountOf(Enum_UiCall::InputBox));
    EXPECT_EQ((std::vector<int>{1, 2}), Refreshes());

    ui.ClearCalls();
    ui.AnswerDialog(Rows({{0, 1}})).AnswerInputCancel("选择逻辑节点类型：");
    Run(ld, "ICD:Create LNode by ITB");
    EXPECT_TRUE(Refreshes().empty());

    ui.AnswerDialog(Rows({})).AnswerInputChoice("P1_PTOC  (P1)");
    Run(ld, "ICD:Create LNode by ITB");
    EXPECT_EQ(before, ResourceCount());

    // A locked device refuses every node: one message a row, nothing else.
    ui.ClearCalls();
    ASSERT_TRUE(Doc().SetDomainEditable(kIcdDomain, false));
    ui.AnswerDialog(Rows({{0, 1}})).AnswerInputChoice("P1_PTOC  (P1)");
    Run(ld, "ICD:Create LNode by ITB");
    EXPECT_EQ((std::vector<CString>{"当前域不可编辑！-W0072", "当前域不可编辑！-W0072"}), ui.Messages());
    EXPECT_EQ(before, ResourceCount());
}

TEST_F(InfoItemCommandsTest, AnLln0TypeWhereTheDeviceHasItsLln0OrForSeveralItemsMakesNothing) {
    Item("1", "跳闸");
    Item("2", "合闸");
    const CString refused = "逻辑装置中已经存在LLN0，不能增加逻辑节点！";
    const size_t before = ResourceCount();
    ui.AnswerDialog(Rows({{0, 0}})).AnswerInputChoice("P1_LLN0  (P1)", "选择逻辑节点类型：");
    Run(ld, "ICD:Create LNode by ITB");
    EXPECT_EQ(std::vector<CString>{refused}, ui.Messages());
    EXPECT_EQ(before, ResourceCount());
    EXPECT_TRUE(Refreshes().empty());
    // Without its LLN0 the device takes one, for one item only.
    ASSERT_TRUE(app.Rsc_Delete(lln0, false));
    const std::vector<CString> without = Names(ld, "sec:LDevice.LNodes");
    ui.ClearCalls();
    ui.AnswerDialog(Rows({{0, 1}})).AnswerInputChoice("P1_LLN0  (P1)");
    Run(ld, "ICD:Create LNode by ITB");
    EXPECT_EQ(std::vector<CString>{refused}, ui.Messages());
    EXPECT_EQ(without, Names(ld, "sec:LDevice.LNodes"));
    ui.ClearCalls();
    ui.AnswerDialog(Rows({{1, 1}})).AnswerInputChoice("P1_LLN0  (P1)");
    Run(ld, "ICD:Create LNode by ITB");
    EXPECT_TRUE(ui.Messages().empty());
    const std::vector<URI_Ref> nodes = Members(ld, "sec:LDevice.LNodes");
    ASSERT_EQ(without.size() + 1, nodes.size());
    EXPECT_EQ(m.lln0, Doc().FirstTarget(Doc().FirstTarget(nodes.back(), "sec:LNode.LNodeType"),
                                        "sec:LNodeType.ClassOf_LNType"));
    EXPECT_EQ("合闸", Desc(nodes.back()));
}

// ---- common mapping targets ----

TEST_F(InfoItemCommandsTest, ACommonNodeFillsOnlyMappingItemsWithoutOne) {
    URI_Ref a = Item("1", "一"), b = Item("2", "二"), c = Item("3", "三");
    Map(Item("0", "全"), ptoc, "Op");  // mapped: hidden
    URI_Ref aMap = Map(a, lln0, "");
    URI_Ref bMap = Map(b, URI_Ref(), "");
    // Rows 3 then 1: the working list still follows the table.
    ui.AnswerDialog(Rows({{2, 2}, {0, 1}})).AnswerInputChoice(app.GetRscText(ptoc, false), "请选择：");
    Run(m2i, "ICD:Appoint To SameLNode");
    EXPECT_EQ(3u, ShownRows().size());
    EXPECT_EQ(std::vector<URI_Ref>{lln0}, NodesOf(aMap));
    EXPECT_EQ(std::vector<URI_Ref>{ptoc}, NodesOf(bMap));
    ASSERT_EQ(1u, MapItemsOf(c).size());
    EXPECT_EQ(std::vector<URI_Ref>{ptoc}, NodesOf(MapItemsOf(c)[0]));
    EXPECT_EQ(std::vector<int>{2}, Refreshes());

    // Nothing picked: nothing asked, no refresh.
    ui.ClearCalls();
    ui.AnswerDialog(Rows({}));
    Run(m2i, "ICD:Appoint To SameLNode");
    EXPECT_EQ(0, ui.CountOf(Enum_UiCall::InputBox));
    EXPECT_TRUE(Refreshes().empty());

    // A locked M2I refuses the mapping item of a new item: that row is
    // skipped, and with no mapping item left nothing is asked.
    URI_Ref d = Item("4", "四");
    ASSERT_TRUE(Doc().SetDomainEditable(kIcdDomain, false));
    ui.ClearCalls();
    ui.AnswerDialog(Rows({{3, 3}}));  // items 1, 2, 3 and 4 are shown
    Run(m2i, "ICD:Appoint To SameLNode");
    EXPECT_EQ(std::vector<CString>{"当前域不可编辑！-W0089"}, ui.Messages());
    EXPECT_TRUE(MapItemsOf(d).empty());
    EXPECT_EQ(0, ui.CountOf(Enum_UiCall::InputBox));
}

TEST_F(InfoItemCommandsTest, ACommonNodeGoesToTheRowsChosenWhateverTheirIds) {
    // Items as the menus make them, without ids: only the row picked is filled.
    URI_Ref first = Item("", "一"), second = Item("", "二");
    ui.AnswerDialog(Rows({{1, 1}})).AnswerInputChoice(app.GetRscText(ptoc, false), "请选择：");
    Run(m2i, "ICD:Appoint To SameLNode");
    ASSERT_EQ(2u, ShownRows().size());
    EXPECT_TRUE(MapItemsOf(first).empty());
    ASSERT_EQ(1u, MapItemsOf(second).size());
    EXPECT_EQ(std::vector<URI_Ref>{ptoc}, NodesOf(MapItemsOf(second)[0]));
}

TEST_F(InfoItemCommandsTest, ACommonDoNameListsTheTypeChainAndTheBlankRowWritesNothing) {
    URI_Ref a = Item("1", "一"), b = Item("2", "二");
    URI_Ref aMap = Map(a, ptoc, "Op");  // mapped: shown all the same
    URI_Ref bMap = Map(b, URI_Ref(), "");
    ui.AnswerDialog(Rows({{0, 1}})).AnswerInputChoice("  ");
    Run(m2i, "ICD:Appoint To SameDO");
    EXPECT_EQ(2u, ShownRows().size());
    EXPECT_EQ((std::vector<CString>{"  ", "Op", "  ", "Str", "Op", "  ", "Mod", "Beh", "NamPlt"}), LastChoices());
    EXPECT_EQ("", Get(bMap, "sec:DARef.doName"));
    EXPECT_TRUE(Refreshes().empty());

    ui.AnswerDialog(Rows({{0, 1}})).AnswerInputChoice("Str");
    Run(m2i, "ICD:Appoint To SameDO");
    EXPECT_EQ("Op", Get(aMap, "sec:DARef.doName"));
    EXPECT_EQ("Str", Get(bMap, "sec:DARef.doName"));
    EXPECT_EQ(std::vector<int>{2}, Refreshes());
}

TEST_F(InfoItemCommandsTest, ACommonAttributePathNeedsANodeAndAValidDo) {
    URI_Ref a = Item("1", "一"), b = Item("2", "二");
    URI_Ref aMap = Map(a, ptoc, "Op", "q[ST]");
    URI_Ref bMap = Map(b, ptoc, "Op");
    ui.AnswerDialog(Rows({{0, 1}})).AnswerInputChoice("stVal[ST]");
    Run(m2i, "ICD:Appoint To SameDA");
    EXPECT_EQ((std::vector<CString>{"  ", "stVal[ST]", "q[ST]"}), LastChoices());
    EXPECT_EQ("q[ST]", Get(aMap, "sec:DARef.daName"));
    EXPECT_EQ("stVal", Get(bMap, "sec:DARef.daName"));  // the row's name without its constraint
    // Below a sub-data object the SDO goes into the DO name, as the M2I names it.
    MakeDO(app.DocMtd_getFirstUri_ofAsso(ptoc, "sec:LNode.LNodeType"), "A", 9, m.wye);
    URI_Ref cMap = Map(Item("3", "三"), ptoc, "A");
    ui.AnswerDialog(Rows({{2, 2}})).AnswerInputChoice("phsB.cVal[MX].mag.f");
    Run(m2i, "ICD:Appoint To SameDA");
    EXPECT_EQ("A.phsB/cVal.mag.f", Get(cMap, "sec:DARef.doName") + "/" + Get(cMap, "sec:DARef.daName"));

    ui.ClearCalls();
    Set(aMap, "sec:DARef.doName", "Nope");
    ui.AnswerDialog(Rows({{0, 0}}));
    Run(m2i, "ICD:Appoint To SameDA");
    Set(aMap, "sec:DARef.doName", "");
    ui.AnswerDialog(Rows({{0, 0}}));
    Run(m2i, "ICD:Appoint To SameDA");
    // The first item of the table without a mapping item gets one, which
    // names no node: the commands stop and take the new mapping item back.
    URI_Ref first = Item("0", "零");
    ui.AnswerDialog(Rows({{0, 0}}));
    Run(m2i, "ICD:Appoint To SameDO");
    EXPECT_EQ((std::vector<CString>{"非法DO名称！", "请先指定DO！", "请先指定逻辑节点！"}), ui.Messages());
    EXPECT_TRUE(MapItemsOf(first).empty());
    EXPECT_EQ(0, ui.CountOf(Enum_UiCall::InputBox));
    EXPECT_TRUE(Refreshes().empty());
    // So does every command that ends without filling: refused, its choice
    // cancelled or its blank row chosen. The document is as it was.
    URI_Ref later = Item("9", "九");
    Set(aMap, "sec:DARef.doName", "Op");
    CString before;
    app.DocMtd_DEnv_CimDomainToStr(kIcdDomain, before);
    enum Answer { None, Cancel, Blank };
    const struct {
        const char* command;
        // Rows of the items "0", "1", "2" and "9" (the node's grid shows "0"
        // and "9" only): "0" and "9" have no mapping item.
        std::vector<std::pair<int, int>> rows;
        Answer answer;
    } ends[] = {
        {"ICD:Appoint To SameDA", {{0, 0}}, None},          {"ICD:Appoint To SameLNode", {{0, 1}}, Cancel},
        {"ICD:Appoint To SameDO", {{1, 1}, {3, 3}}, Cancel}, {"ICD:Appoint To SameDA", {{1, 1}, {3, 3}}, Cancel},
        {"ICD:Appoint To SameDO", {{1, 1}, {3, 3}}, Blank},  {"ICD:Appoint To SameDA", {{1, 1}, {3, 3}}, Blank},
    };
    for (const auto& e : ends) {
        ui.ClearCalls();
        ui.AnswerDialog(Rows(e.rows));
        if (e.answer == Cancel) ui.AnswerInputCancel();
        if (e.answer == Blank) ui.AnswerInputChoice("  ");
        Run(m2i, e.command);
        CString after;
        app.DocMtd_DEnv_CimDomainToStr(kIcdDomain, after);
        EXPECT_EQ(e.answer == None ? 0 : 1, ui.CountOf(Enum_UiCall::InputBox)) << e.command;
        EXPECT_TRUE(MapItemsOf(first).empty() && MapItemsOf(later).empty()) << e.command;
        EXPECT_EQ(before, after) << e.command;
        EXPECT_TRUE(Refreshes().empty()) << e.command;
    }
    // One that fills keeps the mapping item it made.
    ui.ClearCalls();
    ui.AnswerDialog(Rows({{0, 0}})).AnswerInputChoice(app.GetRscText(ptoc, false), "请选择：");
    Run(m2i, "ICD:Appoint To SameLNode");
    ASSERT_EQ(1u, MapItemsOf(first).size());
    EXPECT_EQ(std::vector<URI_Ref>{ptoc}, NodesOf(MapItemsOf(first)[0]));
}

}  // namespace
}  // namespace kiln::test
