// The importer object: node text, report entries, the accepted basic types
// against the SCL schema, and the key data attributes by CDC.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/import/import_fixture.h"

namespace kiln::test {
namespace {

TEST_F(ImportTest, NodeTextTellsAbsentFromEmpty) {
    XmlNode root = LoadScl(Scl("", R"(<IED name="" desc="保护装置"><Private>  文本  </Private></IED>)"));
    XmlNode ied = scl.Get_NodePtr(root, "IED");
    CString out = "stale";
    EXPECT_FALSE(imp.Get_NodeText(XmlNode(), "@name", out));
    EXPECT_EQ(out, "");
    out = "stale";
    EXPECT_FALSE(imp.Get_NodeText(ied, "@type", out));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(imp.Get_NodeText(ied, "@name", out));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(imp.Get_NodeText(ied, "@desc", out));
    EXPECT_EQ(out, "保护装置");
    EXPECT_TRUE(imp.Get_NodeText(scl.Get_NodePtr(ied, "Private"), ".", out));
    EXPECT_EQ(out, "  文本  ");
}

TEST_F(ImportTest, ANewImporterStartsEmpty) {
    CKiln_Import fresh;
    EXPECT_EQ(fresh.m_nErrors, 0);
    EXPECT_EQ(fresh.m_nWarnings, 0);
    EXPECT_EQ(fresh.m_nLogCount, 0);
    EXPECT_FALSE(fresh.m_bExtDOFreely);
    EXPECT_EQ(fresh.m_pMain, nullptr);
    EXPECT_EQ(fresh.m_pSourceXml, nullptr);
    EXPECT_TRUE(fresh.m_setBasicTypes.empty());
    EXPECT_TRUE(fresh.m_pOtherErrorsNode.IsNull());
}

TEST_F(ImportTest, ReportEntriesCarryTheListedAttributesInOrder) {
    ImportIcd(
        Scl(R"(<DOType id="T" cdc="NOPE"/>)",
            R"(<IED name="A"><AccessPoint name="S1"><Server><LDevice inst="LD0"/></Server></AccessPoint></IED>)"));
    const CString saved =
        CString(::testing::TempDir().c_str()) + "/import_report_" + std::to_string(::getpid()).c_str() + ".xml";
    ASSERT_TRUE(imp.m_xmlReportDoc.SaveAs(saved));
    std::stringstream text;
    {
        std::ifstream in(saved.GetString());
        text << in.rdbuf();
    }
    std::remove(saved.GetString());
    // Every entry is made with name, error and parent, in that order; parent stays empty.
    EXPECT_NE(text.str().find(R"(<other_error name="错误：ICD文件:  DOType:T" error="未找到CDC:NOPE" parent="" />)"),
              std::string::npos)
        << text.str();
    EXPECT_NE(
        text.str().find(R"(<LDevice name="错误：LD0" error="未找到LDevice:LD0的LLN0Type或LPHDType" parent="" />)"),
        std::string::npos)
        << text.str();
    EXPECT_EQ(imp.m_nErrors, 2);
}

TEST(ImportBasicTypes, TheListIsTheSchemasPredefinedBasicTypes) {
    const std::string xsd = std::string(KILN_SHARED_DIR) + "/xsd/SCL2007B4/SCL_Enums.xsd";
    std::ifstream in(xsd);
    if (!in) GTEST_SKIP() << "../shared is absent: " << xsd;
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    const size_t start = all.find("name=\"tPredefinedBasicTypeEnum\"");
    ASSERT_NE(start, std::string::npos);
    const std::string block = all.substr(start, all.find("</xs:simpleType>", start) - start);
    std::vector<std::string> fromSchema;
    const std::regex value("<xs:enumeration value=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(block.begin(), block.end(), value); it != std::sregex_iterator(); ++it)
        fromSchema.push_back((*it)[1]);
    std::vector<std::string> ours(kiln::import::kBasicTypes, kiln::import::kBasicTypes + kiln::import::kBasicTypeCount);
    EXPECT_EQ(ours, fromSchema);
}

TEST_F(ImportTest, TheSchemaOffersEveryAcceptedBasicType) {
    CEnumClassDfn dfn;
    ASSERT_TRUE(app.DocMtd_Get_EnumClassDfn("PreBasicTypeEnum", dfn));
    std::vector<std::string> schema;
    for (const Struct_EnumValDfn& v : dfn.vValues) schema.push_back(v.sText2.str());
    std::vector<std::string> ours(kiln::import::kBasicTypes, kiln::import::kBasicTypes + kiln::import::kBasicTypeCount);
    EXPECT_EQ(schema, ours);
}

TEST(ImportKeyDAs, TheFixedTableAndItsLookups) {
    CKiln_Import imp;
    EXPECT_FALSE(imp.IsKeyDA("SPS", "stVal"));  // empty before it is filled
    ASSERT_TRUE(imp.Init_KeyDATable("", ""));
    EXPECT_TRUE(imp.IsKeyDA("SPS", "STVAL"));
    EXPECT_FALSE(imp.IsKeyDA("sps", "stVal"));
    EXPECT_TRUE(imp.IsKeyDA("INC", "stVal"));
    EXPECT_TRUE(imp.IsKeyDA("SPC", "stVal"));
    EXPECT_FALSE(imp.IsKeyDA("INC", "stlVal"));
    EXPECT_TRUE(imp.IsKeyDA("ASG", "setMag[1].f"));
    EXPECT_TRUE(imp.IsKeyDA("ASG", "setMag[SG]"));  // reduced to "setMag"
    EXPECT_TRUE(imp.IsKeyDA("CMV", "cVal[0].mag"));
    EXPECT_TRUE(imp.IsKeyDA("CMV", "cVal"));
    EXPECT_FALSE(imp.IsKeyDA("CMV", "cVal.mag.i"));
    EXPECT_FALSE(imp.IsKeyDA("ACD", "general["));  // without "]" compared unchanged
    EXPECT_TRUE(imp.IsKeyDA("ACD", "general"));
    // The measured values whose units a map item carries.
    EXPECT_TRUE(imp.IsKeyDA("MV", "mag[MX].f"));
    EXPECT_FALSE(imp.IsKeyDA("MV", "units.SIUnit"));
    EXPECT_TRUE(imp.IsKeyDA("SAV", "instMag.f"));
    EXPECT_TRUE(imp.IsKeyDA("BCR", "actVal"));
    EXPECT_TRUE(imp.IsKeyDA("APC", "mxVal.f"));
    EXPECT_FALSE(imp.IsKeyDA("", "stVal"));
    EXPECT_FALSE(imp.IsKeyDA("XYZ", "stVal"));

    EXPECT_FALSE(imp.Init_KeyDATable("SPS", ""));
    EXPECT_FALSE(imp.Init_KeyDATable("", "t"));
    EXPECT_FALSE(imp.IsKeyDA("SPS", "t"));
    EXPECT_TRUE(imp.Init_KeyDATable("SPS", "t"));
    EXPECT_TRUE(imp.Init_KeyDATable("SPS", "t"));
    EXPECT_TRUE(imp.Init_KeyDATable("NEW", "x"));
    EXPECT_TRUE(imp.IsKeyDA("SPS", "T"));
    EXPECT_TRUE(imp.IsKeyDA("NEW", "x"));
    EXPECT_EQ(imp.m_mapKeyDAs["SPS"], (std::vector<CString>{"stVal", "t"}));
    // Filling again keeps the lists the table holds.
    ASSERT_TRUE(imp.Init_KeyDATable("", ""));
    EXPECT_EQ(imp.m_mapKeyDAs["SPS"].size(), 2u);
    EXPECT_EQ(imp.m_mapKeyDAs.size(), 14u);
}

}  // namespace
}  // namespace kiln::test
