// Display texts of resources, with and without their class labels.
#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

class DisplayTextTest : public ModelTest {
protected:
    CString Labelled(URI_Ref rsc) { return app.GetRscText(rsc, true); }
    CString Plain(URI_Ref rsc) { return app.GetRscText(rsc, false); }
};

// A type package is labelled by its instance flag, a DA shows its
// functional constraint when it has one; the plain text drops the label.
TEST_F(DisplayTextTest, ClassLabelsAndThePlainText) {
    const URI_Ref bare = MakeDA(m.sps, "x", 9, "", "BOOLEAN");
    const struct {
        URI_Ref rsc;
        const char* labelled;
        const char* plain;
    } kCases[] = {
        {m.stdPkg, "标准定义:IEC61850", "IEC61850"},
        {m.instPkg, "产品类型包:P1", "P1"},
        {m.sps, "DO类型:SPS", "SPS"},
        {m.ptocOp, "数据对象:Op", "Op"},
        {m.wyePhsA, "子数据对象:phsA", "phsA"},
        {m.vector, "DA类型:Vector", "Vector"},
        {m.orCat, "子数据属性:orCat", "orCat"},
        {m.spsStVal, "数据属性:stVal (ST)", "stVal (ST)"},
        {bare, "数据属性:x", "x"},
    };
    for (const auto& k : kCases) {
        EXPECT_EQ(Labelled(k.rsc), k.labelled);
        EXPECT_EQ(Plain(k.rsc), k.plain);
    }
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
    URI_Ref winding =
        MakeUnder(transformer, "cim:TransformerWinding", "W", "cim:TransformerWinding.MemberOf_PowerTransformer");
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
