// Every ICD exported from a complete model is valid SCL of the 2007B4
// schema (xmllint), with and without the values of the M2I mapping.
#include "tests/export/export_fixture.h"

namespace kiln::test {
namespace {

class SchemaTest : public ExportTest {
protected:
    void ExportAndValidate(const CompleteIcd& c, bool bFromM2I, const std::string& file) {
        if (bFromM2I)
            ui.AnswerYes("是否由M2I生成DOI DAI");
        else
            ui.AnswerNo("是否由M2I生成DOI DAI");
        ui.AnswerSaveFile(Path(file).c_str());
        ASSERT_TRUE(app.Rsc_ICD_Export(c.icd, false));
        bool skipped = false;
        const std::string errors = ValidateScl(Path(file), skipped);
        if (skipped) GTEST_SKIP() << "../shared/xsd or xmllint is absent: schema not checked";
        EXPECT_EQ(errors, "") << file;
    }
};

TEST_F(SchemaTest, HandBuiltModelWithEveryElementKind) {
    const CompleteIcd c = BuildCompleteIcd();
    ExportAndValidate(c, false, "complete.icd");
}

TEST_F(SchemaTest, EmptyDataSetsAndLogControlWithoutLog) {
    const CompleteIcd c = BuildCompleteIcd();
    URI_Ref empty = MakeUnder(c.lln0, "sec:DataSet", "dsEmpty", "sec:DataSet.LNode", 2);
    URI_Ref rcb = MakeUnder(c.lln0, "sec:RCB", "urcbEmpty", "sec:RCB.LNode", 2);
    Link(rcb, "sec:RCB.DataSet", empty);
    Set(rcb, "sec:RCB.rptID", "urcbEmpty");
    Set(rcb, "sec:RCB.confRev", "1");
    Doc().ClearLinks(c.lcb, "sec:LCB.Log");
    Doc().ClearLinks(c.lcb, "sec:LCB.DataSet");
    Link(c.lcb, "sec:LCB.DataSet", empty);
    ExportAndValidate(c, false, "empty_parts.icd");
}

TEST_F(SchemaTest, HandBuiltModelWithMappingValues) {
    const CompleteIcd c = BuildCompleteIcd();
    URI_Ref item = Make(kIcdDomain, "sec:MapItem", "MI1", 1);
    Link(item, "sec:DARef.LNode", c.ptoc);
    Set(item, "sec:DARef.doName", "Op");
    Set(item, "sec:DARef.daName", "stVal");
    Set(item, "sec:MapItem.valStr", "true");
    Set(item, "sec:MapItem.dU", "动作");
    Set(item, "cim:Naming.description", "保护动作");
    URI_Ref range = Make(kIcdDomain, "sec:MapItem", "MI2", 2);
    Link(range, "sec:DARef.LNode", c.mmxu);
    Set(range, "sec:DARef.doName", "A.phsA");
    Set(range, "sec:DARef.daName", "cVal.mag.f");
    Set(range, "sec:MapItem.valStr", "0");
    Set(range, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "A"));
    Set(range, "sec:MapItem.unitMultiplier", EnumValue("MultiplierEnum", "k"));
    Set(range, "sec:MapItem.minVal", "0");
    Set(range, "sec:MapItem.maxVal", "100");
    Set(range, "sec:MapItem.stepSize", "0.01");
    ExportAndValidate(c, true, "mapped.icd");
}

}  // namespace
}  // namespace kiln::test
