// Display texts of resources, with and without their class labels.
#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

class DisplayTextTest : public ModelTest {
protected:
    CString Labelled(URI_Ref rsc) { return app.GetRscText(rsc, true); }
    CString Plain(URI_Ref rsc) { return app.GetRscText(rsc, false); }
};

TEST_F(DisplayTextTest, TypePackagesByTheirInstanceFlag) {
    EXPECT_EQ(Labelled(m.stdPkg), "标准定义:IEC61850");
    EXPECT_EQ(Plain(m.stdPkg), "IEC61850");
    EXPECT_EQ(Labelled(m.instPkg), "产品类型包:P1");
    EXPECT_EQ(Plain(m.instPkg), "P1");
}

TEST_F(DisplayTextTest, TypesAndMembersCarryTheirLabels) {
    EXPECT_EQ(Labelled(m.sps), "DO类型:SPS");
    EXPECT_EQ(Plain(m.sps), "SPS");
    EXPECT_EQ(Labelled(m.ptocOp), "数据对象:Op");
    EXPECT_EQ(Labelled(m.wyePhsA), "子数据对象:phsA");
    EXPECT_EQ(Labelled(m.vector), "DA类型:Vector");
    EXPECT_EQ(Labelled(m.orCat), "子数据属性:orCat");
    EXPECT_EQ(Plain(m.orCat), "orCat");
}

TEST_F(DisplayTextTest, DataAttributeShowsItsFunctionalConstraint) {
    EXPECT_EQ(Labelled(m.spsStVal), "数据属性:stVal (ST)");
    EXPECT_EQ(Plain(m.spsStVal), "stVal (ST)");
    URI_Ref bare = MakeDA(m.sps, "x", 9, "", "BOOLEAN");
    EXPECT_EQ(Labelled(bare), "数据属性:x");
}

TEST_F(DisplayTextTest, LNodeTypeShowsItsDescriptionOnlyAsInstanceType) {
    Set(m.lln0, "cim:Naming.description", "逻辑节点零");
    EXPECT_EQ(Labelled(m.lln0), "LLN0");
    EXPECT_EQ(Labelled(m.p1Ptoc), "P1_PTOC (保护)");
    Set(m.p1Ptoc, "sec:LNodeType.isInstType", "True");
    EXPECT_EQ(Labelled(m.p1Ptoc), "P1_PTOC");
    Set(m.p1Ptoc, "sec:LNodeType.isInstType", "true");
    Set(m.p1Ptoc, "cim:Naming.description", "");
    EXPECT_EQ(Labelled(m.p1Ptoc), "P1_PTOC");
}

TEST_F(DisplayTextTest, InfoGroupAndLogicalDevice) {
    URI_Ref group = Make(kInstDomain, "sec:InfoGroup", "G1");
    EXPECT_EQ(Labelled(group), "InfoGroup:(G1)");
    Set(group, "cim:Naming.description", "遥信");
    EXPECT_EQ(Labelled(group), "InfoGroup:遥信(G1)");
    EXPECT_EQ(Plain(group), "遥信(G1)");

    URI_Ref ld = MakeLDevice(kInstDomain, "PROT", 1);
    EXPECT_EQ(Labelled(ld), "逻辑装置:PROT");
    Set(ld, "cim:Naming.description", "保护");
    EXPECT_EQ(Labelled(ld), "逻辑装置:PROT(保护)");
    EXPECT_EQ(Plain(ld), "PROT(保护)");
}

TEST_F(DisplayTextTest, LogicalNodeLabelledAndUnderItsDevice) {
    URI_Ref ld = MakeLDevice(kInstDomain, "PROT", 1);
    URI_Ref ln = MakeLNode(ld, "", "PTOC", "1", 1);
    EXPECT_EQ(Labelled(ln), "逻辑节点:[]PTOC[1]");
    EXPECT_EQ(Plain(ln), "PROT/[]PTOC[1]");
    Set(ln, "sec:LNode.prefix", "Ph");
    Set(ln, "cim:Naming.description", "过流");
    EXPECT_EQ(Labelled(ln), "逻辑节点:[Ph]PTOC[1](过流)");
    EXPECT_EQ(Plain(ln), "PROT/[Ph]PTOC[1](过流)");
}

TEST_F(DisplayTextTest, LogicalNodeWithoutClassShowsItsTypesClassAndStaysUnchanged) {
    URI_Ref ld = MakeLDevice(kInstDomain, "PROT", 1);
    URI_Ref ln = MakeLNode(ld, "", "", "1", 1, m.p1Ptoc);
    Set(ln, "cim:Naming.name", "PTOC1");

    EXPECT_EQ(Labelled(ln), "逻辑节点:[]PTOC[1]");
    EXPECT_EQ(Plain(ln), "PROT/[]PTOC[1]");
    // Showing a node does not write to it.
    EXPECT_EQ(Get(ln, "cim:Naming.name"), "PTOC1");
    EXPECT_EQ(Get(ln, "sec:LNode.lnClass"), "");
}

TEST_F(DisplayTextTest, PlainTextCutsOnlyTheLabelItPutInFront) {
    URI_Ref ld = MakeLDevice(kInstDomain, "LD:1", 1);
    URI_Ref ln = MakeLNode(ld, "", "PTOC", "1", 1);
    EXPECT_EQ(Plain(ln), "LD:1/[]PTOC[1]");

    URI_Ref typeWithColon = MakeLNodeType(m.instPkg, "A:B", 7);
    EXPECT_EQ(Plain(typeWithColon), "A:B");

    URI_Ref group = Make(kInstDomain, "sec:InfoGroup", "G:1");
    Set(group, "cim:Naming.description", "a:b");
    EXPECT_EQ(Plain(group), "a:b(G:1)");

    URI_Ref dataSet = Make(kInstDomain, "sec:DataSet", "ds:x");
    EXPECT_EQ(Labelled(dataSet), "数据集: ds:x");
    EXPECT_EQ(Plain(dataSet), "ds:x");
}

TEST_F(DisplayTextTest, OtherClassesByTheirDisplayNameOrClassName) {
    URI_Ref dataSet = Make(kInstDomain, "sec:DataSet", "DS1");
    EXPECT_EQ(Labelled(dataSet), "数据集: DS1");
    EXPECT_EQ(Plain(dataSet), "DS1");

    URI_Ref x = MakeLDevice(kInstDomain, "X", 2);
    URI_Ref foo(x.sUri, "sec:Foo");  // a class the schema does not define
    EXPECT_EQ(Labelled(foo), "Foo: X");
    EXPECT_EQ(Plain(foo), "X");
}

TEST_F(DisplayTextTest, WindingShowsItsTransformerAndNumber) {
    URI_Ref transformer = Make(kInstDomain, "cim:PowerTransformer", "1号主变");
    URI_Ref winding = Make(kInstDomain, "cim:TransformerWinding", "W");
    Link(winding, "cim:TransformerWinding.MemberOf_PowerTransformer", transformer);
    Set(winding, "cim:TransformerWinding.windingType", EnumValue("WindingType", "primary"));
    EXPECT_EQ(Labelled(winding), "1号主变第一绕组");
    Set(winding, "cim:TransformerWinding.windingType", EnumValue("WindingType", "quaternary"));
    EXPECT_EQ(Labelled(winding), "1号主变第四绕组");
    Set(winding, "cim:TransformerWinding.windingType", EnumValue("WindingType", "other"));
    EXPECT_EQ(Labelled(winding), "1号主变");
    Set(winding, "cim:TransformerWinding.windingType", "#WindingType.secondary");  // at the first character
    EXPECT_EQ(Labelled(winding), "1号主变");
}

TEST_F(DisplayTextTest, UnknownResourceIsQuestionMarks) {
    URI_Ref missing("kiln.p1#nothing", "sec:DOType");
    EXPECT_EQ(Labelled(missing), "???");
    EXPECT_EQ(Plain(missing), "???");
    URI_Ref empty;
    EXPECT_EQ(Labelled(empty), "???");
    EXPECT_TRUE(ui.Calls().empty());
}

}  // namespace
}  // namespace kiln::test
