// An ICD built on the shipped standard definitions: instance LN types of
// LLN0, LPHD, PTOC, XCBR, MMXU, GGIO and CSWI take over every data object of
// their classes, so that the written file holds the standard DO, DA and
// enumeration types those reference; it must be valid SCL. (The constraint
// SR occurs only in the service-tracking types of LTRK, some of whose
// attributes have no basic type in the standard definitions.)
#include <filesystem>

#include "tests/export/export_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

class StdPackageTest : public ::testing::Test {
protected:
    StdPackageTest() {
        app.m_Doc.SetDomainPrefixDefault("kiln");
        char pattern[] = "/tmp/kiln-export-std-XXXXXX";
        ws = mkdtemp(pattern);
        fs::create_directories(ws + "/document");
        fs::create_directories(ws + "/Template");
        for (const char* t : {"ICD_Template.xml", "MICS_Template.xml"})
            fs::copy_file(std::string(KILN_SOURCE_DIR) + "/Template/" + t, ws + "/Template/" + t);
        app.m_Doc.SetDocPath((ws + "/document").c_str());
    }
    ~StdPackageTest() override {
        std::error_code ec;
        fs::remove_all(ws, ec);
    }

    URI_Ref Add(const CString& dom, const char* cls, const CString& name, int ord, const char* role,
                const URI_Ref& parent) {
        URI_Ref r;
        EXPECT_TRUE(app.DocMtd_create_a_Rsc(dom, cls, r, name)) << app.LastDocError();
        if (ord > 0) app.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", CString(std::to_string(ord)));
        if (role) {
            EXPECT_TRUE(app.DocMtd_add_Association(r, role, parent)) << role;
        }
        return r;
    }

    CScriptedUi ui;
    CKiln_Main app;
    std::string ws;
};

TEST_F(StdPackageTest, IcdOfStandardClassesIsValidScl) {
    URI_Ref type;
    ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
    ASSERT_TRUE(app.Import_ExterDomainFile(type, "sec:TypePackage",
                                           CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml"))
        << app.LastDocError();
    ASSERT_TRUE(app.Msg_OnOpenDocument());
    std::vector<URI_Ref> stdTypes;
    ASSERT_TRUE(app.DocMtd_get_Association_BUris(app.m_uStdTypePackage, "sec:TypePackage.LNodeTypes", stdTypes,
                                                 "e301:OrdNaming.ord", SortPolicy_ByOrd));
    auto stdClass = [&](const char* name) {
        for (const URI_Ref& t : stdTypes)
            if (app.DocMtd_getValue_ofAttr(t, "cim:Naming.name") == name) return t;
        ADD_FAILURE() << "no standard class " << name;
        return URI_Ref();
    };

    ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", type));
    const CString dom = "kiln.icd#";
    ASSERT_TRUE(app.Proc_Create_a_Domain_byType(dom, type, "ICD", DomainTypeDfn()));
    URI_Ref icd = Add(dom, "sec:ICD", "Std_Ver1", 0, nullptr, URI_Ref());
    URI_Ref ied = Add(dom, "sec:IED", "TEMPLATE", 0, "sec:IED.ICD", icd);
    URI_Ref server = Add(dom, "sec:Server", "IED_Server", 0, "sec:Server.IED", ied);
    URI_Ref pkg = Add(dom, "sec:TypePackage", "StdPkg", 0, "sec:TypePackage.ICD", icd);
    app.DocMtd_Modify_attribute_value(pkg, "sec:TypePackage.isInstType", "true");
    app.DocMtd_add_Association(pkg, "sec:TypePackage.Depend_TypePackage", app.m_uStdTypePackage);
    URI_Ref ld = Add(dom, "sec:LDevice", "CTRL", 1, "sec:LDevice.Server", server);

    int ord = 0;
    for (const char* cls : {"LLN0", "LPHD", "PTOC", "XCBR", "MMXU", "GGIO", "CSWI"}) {
        ++ord;
        URI_Ref t = Add(dom, "sec:LNodeType", CString(cls) + "_Inst", ord, "sec:LNodeType.TypePackage", pkg);
        app.DocMtd_Modify_attribute_value(t, "sec:LNodeType.isInstType", "true");
        app.DocMtd_add_Association(t, "sec:LNodeType.ClassOf_LNType", stdClass(cls));
        app.DocMtd_add_Association(t, "sec:LNodeType.Abstract_Type", stdClass(cls));
        URI_Ref ln = Add(dom, "sec:LNode", cls, ord, "sec:LNode.LDevice", ld);
        app.DocMtd_Modify_attribute_value(ln, "sec:LNode.lnInst", "1");
        app.DocMtd_add_Association(ln, "sec:LNode.LNodeType", t);
    }

    ui.AnswerNo("是否由M2I生成DOI DAI").AnswerSaveFile((ws + "/std.icd").c_str());
    ASSERT_TRUE(app.Rsc_ICD_Export(icd, false));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((ws + "/std.icd").c_str()));
    // The file holds the functional constraints and basic types of the edition.
    for (const char* fc : {"OR", "BL"})
        EXPECT_FALSE(doc.select_node((std::string("//DA[@fc='") + fc + "']").c_str()).node().empty()) << fc;
    for (const char* bType : {"Check", "ObjRef", "VisString129"})
        EXPECT_FALSE(doc.select_node((std::string("//*[@bType='") + bType + "']").c_str()).node().empty()) << bType;

    const std::string xsd = std::string(KILN_SHARED_DIR) + "/xsd/SCL2007B4/SCL.xsd";
    if (!fs::exists(xsd) || std::system("command -v xmllint >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "../shared/xsd or xmllint is absent: schema not checked";
    const std::string cmd = "xmllint --noout --schema '" + xsd + "' '" + ws + "/std.icd' > " + ws + "/lint.txt 2>&1";
    const int rc = std::system(cmd.c_str());
    std::string lint;
    if (FILE* f = std::fopen((ws + "/lint.txt").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && lint.size() < 20000) lint.append(buf, n);
        std::fclose(f);
    }
    EXPECT_EQ(rc, 0) << lint;
}

}  // namespace
}  // namespace kiln::test
