// The MICS document written with every ICD export.
#include "export/kiln_export.h"
#include "tests/export/export_fixture.h"

namespace kiln::test {
namespace {

class MicsTest : public ExportTest {
protected:
    // Runs the writer on the project's template and reads back what it saved.
    const pugi::xml_document& Run(const URI_Ref& icd, bool expect = true) {
        CBase_XML xml;
        EXPECT_TRUE(xml.Load(Path("Template/MICS_Template.xml").c_str()));
        CKiln_Export exporter;
        EXPECT_EQ(exporter.Export_MICS(&app, xml, icd), expect);
        EXPECT_TRUE(xml.SaveAs(Path("out.mics").c_str(), true));
        return LoadFile(Path("out.mics"));
    }
};

TEST_F(MicsTest, SpacesTypesAndNames) {
    const CompleteIcd c = BuildCompleteIcd();
    Set(c.ptocT, "sec:LNodeType.prefix", "P");
    Set(c.ptocT, "cim:Naming.description", "过流");
    URI_Ref own = MakeDOType(c.pkg, "PROT_SPS", 1);
    Link(own, "sec:DOType.ClassOf_DOType", m.sps);
    MakeDA(own, "stVal", 1, "ST", "BOOLEAN");
    URI_Ref nsDa = MakeDA(own, "ext", 2, "ST", "Enum", m.ctlModel);
    URI_Ref skipped = MakeDA(own, "vendorX", 3, "ST", "INT32");
    Set(skipped, "sec:BDA.SemanticNs", "vendor");
    (void)nsDa;

    const pugi::xml_document& doc = Run(c.icd);
    pugi::xml_node root = doc.child("MICS");
    EXPECT_STREQ(root.attribute("iedModel").value(), "Prot_Ver2_Rev5");
    EXPECT_STREQ(root.child("Header").attribute("id").value(), "MICS for Prot_Ver2_Rev5");
    // One space: the ICD's own package (the standard package is left out).
    EXPECT_EQ(Select(root, "SemanticSpaces/SemanticSpace/@space_ID"), std::vector<std::string>{"Prot_Ver2_Rev5"});
    EXPECT_EQ(Select(root, "SemanticSpaces/SemanticSpace/@depend_SpaceID"), std::vector<std::string>{"IEC61850"});
    EXPECT_EQ(Select(root, "SemanticSpaces/SemanticSpace/@isStdSpace"), std::vector<std::string>{"true"});
    EXPECT_EQ(Select(root, "LNodeTypes/LNodeType/@name_ID"),
              (std::vector<std::string>{"LLN0_T", "PTOC_T", "MMXU_T"}));
    // PTOC_T has a prefix: its own Op, then the DOs of PTOC and its base.
    EXPECT_EQ(Select(root, "LNodeTypes/LNodeType[@name_ID='PTOC_T']/DO/@name_ID"),
              (std::vector<std::string>{"Op", "Str", "Op", "Mod", "Beh", "NamPlt"}));
    EXPECT_EQ(Select(root, "LNodeTypes/LNodeType[@name_ID='PTOC_T']/DO[1]/@doType"),
              std::vector<std::string>{"SPS"});
    EXPECT_EQ(Select(root, "DOTypes/DOType/@name_ID"), std::vector<std::string>{"PROT_SPS"});
    EXPECT_EQ(Select(root, "DOTypes/DOType/DA/@name_ID"), (std::vector<std::string>{"stVal", "ext"}));
    EXPECT_EQ(Select(root, "DOTypes/DOType/DA/@type"), (std::vector<std::string>{"", "ctlModel"}));
    EXPECT_TRUE(root.child("DATypes").first_child().empty());
    // A_Name entries in writing order, each with its description.
    EXPECT_EQ(Select(root, "SemanticSpaces/SemanticSpace/A_Name[@name_Type='LNType']/@name_ID"),
              (std::vector<std::string>{"LLN0_T", "PTOC_T", "MMXU_T"}));
    EXPECT_EQ(Select(root, "SemanticSpaces/SemanticSpace/A_Name[@name_ID='PTOC_T']/Semantic_Desc"),
              std::vector<std::string>{"Semantic_Desc"});
    EXPECT_STREQ(root.select_node("//A_Name[@name_ID='PTOC_T']/Semantic_Desc").node().text().get(), "过流");
}

TEST_F(MicsTest, DependencyChainAndInheritedSemantics) {
    const CompleteIcd c = BuildCompleteIcd();
    Doc().ClearLinks(c.pkg, "sec:TypePackage.Depend_TypePackage");
    Link(c.pkg, "sec:TypePackage.Depend_TypePackage", m.instPkg);
    Set(c.ptocT, "sec:LNodeType.prefix", "P");
    URI_Ref stdSem = MakeUnder(m.stdPkg, "sec:DOSemantic", "Str", "sec:DOSemantic.TypePackage");
    Link(m.ptocStr, "sec:DO.DOSemantic", stdSem);
    URI_Ref ownSem = MakeUnder(m.instPkg, "sec:DOSemantic", "Op", "sec:DOSemantic.TypePackage");
    Set(ownSem, "cim:Naming.description", "动作");
    Link(m.ptocOp, "sec:DO.DOSemantic", ownSem);

    const pugi::xml_document& doc = Run(c.icd);
    pugi::xml_node root = doc.child("MICS");
    EXPECT_EQ(Select(root, "SemanticSpaces/SemanticSpace/@space_ID"),
              (std::vector<std::string>{"Prot_Ver2_Rev5", "P1"}));
    EXPECT_EQ(Select(root, "SemanticSpaces/SemanticSpace/@depend_SpaceID"),
              (std::vector<std::string>{"P1", "IEC61850"}));
    EXPECT_EQ(Select(root, "LNodeTypes/LNodeType[@name_ID='PTOC_T']/DO/@space_ID"),
              (std::vector<std::string>{"Prot_Ver2_Rev5", "IEC 61850-7-4:2003", "P1", "", "", ""}));
    // The inherited Op of P1 has an A_Name that carries its description as an attribute.
    pugi::xml_node own = root.select_node("SemanticSpaces/SemanticSpace[1]/A_Name[@name_ID='Op'][2]").node();
    EXPECT_STREQ(own.attribute("Semantic_Desc").value(), "动作");
    EXPECT_TRUE(own.children().begin() == own.children().end());
    EXPECT_TRUE(Select(root, "SemanticSpaces/SemanticSpace/A_Name[@name_ID='Str']").empty());
}

TEST_F(MicsTest, FreeExtensionAndNoPackage) {
    const CompleteIcd c = BuildCompleteIcd();
    Set(c.icd, "sec:ICD.extDOFreely", "TRUE");
    const pugi::xml_document& doc = Run(c.icd);
    EXPECT_EQ(Select(doc, "/MICS/SemanticSpaces/SemanticSpace/@isStdSpace"), std::vector<std::string>{"false"});
    EXPECT_EQ(AttrNames(doc.select_node("/MICS/LNodeTypes/LNodeType").node()), std::vector<std::string>{"icd_ID"});
    EXPECT_TRUE(Select(doc, "//A_Name[@name_Type='LNType']").empty());

    URI_Ref bare = Make(kIcdDomain, "sec:ICD", "Bare");
    const pugi::xml_document& none = Run(bare, false);
    EXPECT_STREQ(none.child("MICS").attribute("iedModel").value(), "Bare");
    EXPECT_TRUE(none.child("MICS").child("SemanticSpaces").first_child().empty());
}

TEST_F(MicsTest, TypeAndSemanticDescStandInTheCreatedAttributeLists) {
    const CompleteIcd c = BuildCompleteIcd();
    Set(c.ptocT, "sec:LNodeType.prefix", "P");
    URI_Ref ownSem = MakeUnder(m.instPkg, "sec:DOSemantic", "Op", "sec:DOSemantic.TypePackage");
    Link(m.ptocOp, "sec:DO.DOSemantic", ownSem);
    URI_Ref own = MakeDOType(c.pkg, "PROT_INC", 1);
    MakeDA(own, "ctlModel", 1, "CF", "Enum", m.ctlModel);
    MakeDA(own, "stVal", 2, "ST", "INT32");

    const pugi::xml_document& doc = Run(c.icd);
    for (const pugi::xpath_node& da : doc.select_nodes("/MICS/DOTypes/DOType/DA")) {
        EXPECT_EQ(AttrNames(da.node()),
                  (std::vector<std::string>{"space_ID", "name_ID", "bType", "presence", "desc", "type"}));
    }
    EXPECT_EQ(Select(doc, "/MICS/DOTypes/DOType/DA/@type"), (std::vector<std::string>{"ctlModel", ""}));
    pugi::xml_node inherited = doc.select_node("//A_Name[@Semantic_Desc]").node();
    ASSERT_FALSE(inherited.empty());
    EXPECT_EQ(AttrNames(inherited), (std::vector<std::string>{"name_ID", "name_Type", "Semantic_Desc"}));
    // Entries of own members keep the two names and a Semantic_Desc child.
    pugi::xml_node ownEntry = doc.select_node("//A_Name[@name_ID='ctlModel']").node();
    EXPECT_EQ(AttrNames(ownEntry), (std::vector<std::string>{"name_ID", "name_Type"}));
    EXPECT_FALSE(ownEntry.child("Semantic_Desc").empty());
    // Writing order: each LN type, its own DOs, its inherited DOs; then each
    // DO type and its DAs.
    EXPECT_EQ(Select(doc, "/MICS/SemanticSpaces/SemanticSpace/A_Name/@name_ID"),
              (std::vector<std::string>{"LLN0_T", "PTOC_T", "Op", "Str", "Op", "Mod", "Beh", "NamPlt", "MMXU_T",
                                        "PROT_INC", "ctlModel", "stVal"}));
    EXPECT_EQ(Select(doc, "/MICS/SemanticSpaces/SemanticSpace/A_Name/@name_Type"),
              (std::vector<std::string>{"LNType", "LNType", "DO", "DO", "DO", "DO", "DO", "DO", "LNType", "DOType",
                                        "DA", "DA"}));
}

TEST_F(MicsTest, InheritedDosNeedPrefixAndClass) {
    const CompleteIcd c = BuildCompleteIcd();
    Set(c.ptocT, "sec:LNodeType.prefix", "P");
    Doc().ClearLinks(c.ptocT, "sec:LNodeType.ClassOf_LNType");  // a prefix without a class
    MakeDO(c.mmxuT, "TotW", 1, m.p1Sps);                          // a class without a prefix
    const pugi::xml_document& doc = Run(c.icd);
    EXPECT_EQ(Select(doc, "/MICS/LNodeTypes/LNodeType[@name_ID='PTOC_T']/DO/@name_ID"),
              std::vector<std::string>{"Op"});
    EXPECT_EQ(Select(doc, "/MICS/LNodeTypes/LNodeType[@name_ID='MMXU_T']/DO/@name_ID"),
              std::vector<std::string>{"TotW"});
}

TEST_F(MicsTest, CircleOfBaseTypesEnds) {
    const CompleteIcd c = BuildCompleteIcd();
    Set(c.ptocT, "sec:LNodeType.prefix", "P");
    // PTOC -> CommonLN -> PTOC: each class's DOs once.
    Link(m.commonLN, "sec:LNodeType.Abstract_Type", m.ptoc);
    const pugi::xml_document& doc = Run(c.icd);
    EXPECT_EQ(Select(doc, "/MICS/LNodeTypes/LNodeType[@name_ID='PTOC_T']/DO/@name_ID"),
              (std::vector<std::string>{"Op", "Str", "Op", "Mod", "Beh", "NamPlt"}));
}

}  // namespace
}  // namespace kiln::test
