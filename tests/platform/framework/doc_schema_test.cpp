// The schema data file and the schema records the document hands out.
#include "tests/platform/framework/doc_fixture.h"

#include "platform/framework/cim_schema.h"
#include "platform/mfc/text_funcs.h"

using kiln::cim::CCimSchema;
using kiln::cim::RoleKind;

TEST_F(DocTest, SchemaLookupsFollowInheritance) {
    Struct_AttrDfn a;
    ASSERT_TRUE(svc.DocMtd_Get_AttrDfn("sec:DA", "sec:BDA.bType", a));
    EXPECT_EQ(a.sText7, "PreBasicTypeEnum");
    EXPECT_LT(a.sText6.Find(":Boolean"), 0);
    ASSERT_TRUE(svc.DocMtd_Get_AttrDfn("sec:RCB", "sec:RCB.BRCB_or_URCB", a));
    EXPECT_GT(a.sText6.Find(":Boolean"), 0);
    EXPECT_FALSE(svc.DocMtd_Get_AttrDfn("sec:BDA", "sec:DA.fc_0", a));
    EXPECT_FALSE(svc.DocMtd_Get_AttrDfn("sec:DA", "sec:DA.LNode", a));

    Struct_AssoDfn s;
    ASSERT_TRUE(svc.DocMtd_Get_AssoDfn("sec:MapItem", "sec:DARef.LNode", s));
    EXPECT_EQ(s.sText3, "sec:LNode");
    EXPECT_EQ(s.sText4, "sec:LNode.DARefs");
    ASSERT_TRUE(svc.DocMtd_Get_AssoDfn("sec:LNode", "sec:LNode.SGCB", s));
    EXPECT_EQ(s.nMaxMultiplicity, 1);
    ASSERT_TRUE(svc.DocMtd_Get_AssoDfn("sec:LNode", "sec:LNode.DOIs", s));
    EXPECT_GE(s.nMaxMultiplicity, 10);
    EXPECT_FALSE(svc.DocMtd_Get_AssoDfn("sec:LNode", "cim:Naming.name", s)) << "an attribute is no association";

    // Every class answers the naming roles; the class record carries the display name.
    const CCimSchema& sc = *doc.Schema();
    for (int c = 0; c < sc.ClassCount(); ++c) {
        CString cls = sc.Class(c).name;
        EXPECT_TRUE(svc.DocMtd_Get_AttrDfn(cls, "cim:Naming.name", a)) << cls;
        CClassDfn d;
        ASSERT_TRUE(svc.DocMtd_Get_ClassDfn(cls, d));
        EXPECT_EQ(d.sText1, cls);
        EXPECT_FALSE(d.sText5.IsEmpty()) << cls << " has no display name";
    }
    CClassDfn d;
    ASSERT_TRUE(svc.DocMtd_Get_ClassDfn("sec:DataSet", d));
    EXPECT_EQ(d.sText5, "数据集");
    EXPECT_FALSE(svc.DocMtd_Get_ClassDfn("sec:Foo", d));
}

TEST_F(DocTest, EveryNamedPairAnswersItsReverse) {
    const CCimSchema& sc = *doc.Schema();
    int pairs = 0;
    for (int r = 0; r < sc.RoleCount(); ++r) {
        const auto& ri = sc.Role(r);
        if (ri.kind != RoleKind::Association || ri.name.empty()) continue;
        CString rev = svc.DocMtd_GetReverseAsso(CString(ri.name));
        if (rev.IsEmpty()) continue;  // the other end has no name
        ++pairs;
        EXPECT_EQ(svc.DocMtd_GetReverseAsso(rev), CString(ri.name));
        // The reverse end is defined on the target class (the generic creator asks it there).
        Struct_AssoDfn s;
        EXPECT_TRUE(svc.DocMtd_Get_AssoDfn(CString(sc.Class(ri.target).name), rev, s)) << rev;
    }
    EXPECT_GE(pairs, 2 * 59);
    EXPECT_EQ(svc.DocMtd_GetReverseAsso("sec:DO.LNodeType"), "sec:LNodeType.DOs");
    EXPECT_EQ(svc.DocMtd_GetReverseAsso("sec:ICD.TypePackage"), "sec:TypePackage.ICD");
    EXPECT_EQ(svc.DocMtd_GetReverseAsso("cim:Naming.name"), "");
}

TEST_F(DocTest, SchemaFileCoversTheDesignTables) {
    const CCimSchema& sc = *doc.Schema();
    // Every role the design's tables name resolves (the alias included).
    for (const char* role : {"sec:DA.DASemantic", "sec:SDI.DOI", "sec:DOI.SDIs", "sec:LNode.Agenting_LDs",
                             "sec:TypePackage.Support_TypePackages", "dEnv:DomainTypeBase.fileType",
                             "cim:TransformerWinding.windingType", "sec:MapItem.unitMultiplier"})
        EXPECT_GE(sc.RoleId(role), 0) << role;
    EXPECT_EQ(sc.RoleId("sec:DA.DASemantic"), sc.RoleId("sec:BDA.DASemantic"));

    CEnumClassDfn e;
    ASSERT_TRUE(svc.DocMtd_Get_EnumClassDfn("FCType", e));
    ASSERT_EQ(e.vValues.size(), 13u);
    EXPECT_EQ(e.vValues[0].sText1, CString(kiln::cim::kModelNamespace) + "#FCType.ST");
    EXPECT_FALSE(e.vValues[0].sText4.IsEmpty());
    ASSERT_TRUE(svc.DocMtd_Get_EnumClassDfn("SIUnitEnum", e));
    EXPECT_EQ(e.vValues.size(), 57u);
    Struct_AttrDfn a;
    ASSERT_TRUE(svc.DocMtd_Get_AttrDfn("sec:Product", "sec:Product.productType", a));
    ASSERT_TRUE(svc.DocMtd_Get_EnumClassDfn(a.sText7, e));
    EXPECT_FALSE(e.vValues.empty());
    EXPECT_FALSE(svc.DocMtd_Get_EnumClassDfn("NoSuchEnum", e));

    // The shared design's role list, when it is there: every quoted role is in the schema.
    std::string path = std::string(KILN_SHARED_DIR) + "/design/schema.md";
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) GTEST_SKIP() << "no " << path << ": ../shared is absent";
    std::string text;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    fclose(f);
    int checked = 0;
    for (size_t p = 0; (p = text.find("| \"", p)) != std::string::npos; ++p) {
        size_t end = text.find('"', p + 3);
        std::string role = text.substr(p + 3, end - p - 3);
        if (role.find(':') == std::string::npos || role.find('.') == std::string::npos || role.find(' ') != std::string::npos)
            continue;
        ++checked;
        EXPECT_GE(sc.RoleId(role), 0) << role;
    }
    EXPECT_GT(checked, 150);
}

TEST(SchemaFile, BrokenSchemasAreRefused) {
    CCimSchema s;
    std::string err;
    EXPECT_FALSE(s.LoadText("<Schema><Class name='a:B' base='a:Missing'/></Schema>", err));
    EXPECT_NE(err.find("a:Missing"), std::string::npos);
    EXPECT_FALSE(s.LoadText("<Schema><Class name='a:A' base='a:B'/><Class name='a:B' base='a:A'/></Schema>", err));
    EXPECT_FALSE(s.LoadText("<Schema><Class name='a:A'><Attribute role='a:A.x' enum='Nope'/></Class></Schema>", err));
    EXPECT_FALSE(s.LoadText("<Schema", err));
    EXPECT_FALSE(s.LoadFile("/nonexistent/schema.xml", err));
    EXPECT_TRUE(s.LoadText("<Schema><Class name='a:A'/><Association role='a:A.me' from='a:A' to='a:A' max='n'/></Schema>", err)) << err;
    EXPECT_GE(s.Role(s.RoleId("a:A.me")).maxMult, 10);
}

namespace {

// The values of one simple type of an SCL schema file, in their order.
std::vector<std::string> SclEnumeration(const std::string& text, const std::string& typeName) {
    std::vector<std::string> values;
    size_t p = text.find("<xs:simpleType name=\"" + typeName + "\"");
    if (p == std::string::npos) return values;
    const size_t end = text.find("</xs:simpleType>", p);
    const std::string tag = "<xs:enumeration value=\"";
    while ((p = text.find(tag, p)) != std::string::npos && p < end) {
        p += tag.size();
        values.push_back(text.substr(p, text.find('"', p) - p));
    }
    return values;
}

std::vector<std::string> SchemaValues(CDocServices& svc, const char* enumName) {
    CEnumClassDfn e;
    std::vector<std::string> values;
    if (!svc.DocMtd_Get_EnumClassDfn(enumName, e)) return values;
    for (const auto& v : e.vValues) values.push_back(StringAfter(v.sText1, "#", ".").str());
    return values;
}

}  // namespace

// The choice lists offer what the 2007 edition of SCL allows: its functional
// constraints and its predefined basic types, in its order.
TEST_F(DocTest, FunctionalConstraintsAndBasicTypesAreThoseOfScl2007) {
    const std::string path = std::string(KILN_SHARED_DIR) + "/xsd/SCL2007B4/SCL_Enums.xsd";
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) GTEST_SKIP() << "no " << path << ": ../shared is absent";
    std::string text;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    fclose(f);

    const std::vector<std::string> fcs = SclEnumeration(text, "tFCEnum");
    const std::vector<std::string> basicTypes = SclEnumeration(text, "tPredefinedBasicTypeEnum");
    ASSERT_EQ(fcs.size(), 13u);
    ASSERT_EQ(basicTypes.size(), 38u);
    EXPECT_EQ(SchemaValues(svc, "FCType"), fcs);
    EXPECT_EQ(SchemaValues(svc, "PreBasicTypeEnum"), basicTypes);
    EXPECT_FALSE(SchemaValues(svc, "ITBDataTypeEnum").empty());
}
