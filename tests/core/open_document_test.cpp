// The plug-in object's construction and the opening of a document.
#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

const char* kNoStdMessage = "没有发现IEC61850-7-x标准类型定义，请首先导入该域！";

class OpenDocumentTest : public CoreTest {
protected:
    OpenDocumentTest() { MakeDomain(kStdDomain, "二次模型标准定义包3"); }

    URI_Ref Package(const CString& name, const CString& ref) { return MakeTypePackage(kStdDomain, name, false, ref); }
};

TEST_F(OpenDocumentTest, ConstructionSetsTheHostTextsAndEmptyState) {
    EXPECT_EQ(app.m_strAppTitle, "ICD建模工具");
    ASSERT_EQ(app.m_vAppNames.size(), 1u);
    EXPECT_EQ(app.m_vAppNames[0], "ICD建模");
    EXPECT_EQ(app.m_nEditLevel, 1);
    EXPECT_TRUE(app.m_uStdTypePackage.IsEmpty());
    EXPECT_TRUE(app.m_uStdLLN0Type.IsEmpty());
    EXPECT_TRUE(app.m_uStdLPHDType.IsEmpty());
    EXPECT_TRUE(app.m_vCopiedRscs.empty());
    EXPECT_FALSE(app.m_bBulkDelete);
    EXPECT_FALSE(app.m_xmlReport.IsLoaded());
    EXPECT_TRUE(app.m_pReportNode.IsNull());
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(OpenDocumentTest, DocumentWithoutPrefixIsRefusedAndNothingChanges) {
    URI_Ref pkg = Package("IEC61850", kStdTypePackageRef);
    Doc().SetDomainPrefixDefault("");
    app.m_nDocState = 3;
    app.m_uStdLLN0Type = pkg;  // a handle from an earlier opening stays

    EXPECT_FALSE(app.Msg_OnOpenDocument());

    ASSERT_EQ(ui.Messages(), std::vector<CString>{"EP格式错误：域名前缀未设置！"});
    const Struct_UiCall* box = ui.LastOf(Enum_UiCall::FrameworkMessageBox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->nType, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(box->sCaption.IsEmpty());
    EXPECT_EQ(app.m_nDocState, 3);
    EXPECT_TRUE(app.m_uStdTypePackage.IsEmpty());
    EXPECT_EQ(app.m_uStdLLN0Type, pkg);
}

TEST_F(OpenDocumentTest, FindsPackageAndTypesIgnoringTheCaseOfTheirNames) {
    URI_Ref pkg = Package("IEC61850", kStdTypePackageRef);
    MakeLNodeType(pkg, "PTOC", 1);
    URI_Ref lln0 = MakeLNodeType(pkg, "lln0", 2);
    URI_Ref lphd = MakeLNodeType(pkg, "LpHd", 3);

    EXPECT_TRUE(app.Msg_OnOpenDocument());

    EXPECT_TRUE(ui.Calls().empty());
    EXPECT_EQ(app.m_nDocState, 10);
    EXPECT_EQ(app.m_uStdTypePackage, pkg);
    EXPECT_EQ(app.m_uStdLLN0Type, lln0);
    EXPECT_EQ(app.m_uStdLPHDType, lphd);
}

TEST_F(OpenDocumentTest, RefMustMatchExactly) {
    Package("WithSlash", "http://www.iec.ch/61850/2003/");
    Package("OtherCase", "HTTP://www.iec.ch/61850/2003");
    Package("Scl", "http://www.iec.ch/61850/2003/SCL");
    Package("NoRef", "");

    EXPECT_TRUE(app.Msg_OnOpenDocument());

    EXPECT_EQ(ui.Messages(), std::vector<CString>{kNoStdMessage});
    EXPECT_EQ(app.m_nDocState, 10);
    EXPECT_TRUE(app.m_uStdTypePackage.IsEmpty());
    EXPECT_TRUE(app.m_uStdLLN0Type.IsEmpty());
    EXPECT_TRUE(app.m_uStdLPHDType.IsEmpty());
}

TEST_F(OpenDocumentTest, FirstOfTwoStandardPackagesInTheFrameworksOrderWins) {
    // The framework lists packages by name: Alpha before Zeta, although Zeta
    // was made first.
    URI_Ref zeta = Package("Zeta", kStdTypePackageRef);
    MakeLNodeType(zeta, "LLN0", 1);
    URI_Ref alpha = Package("Alpha", kStdTypePackageRef);
    URI_Ref alphaLln0 = MakeLNodeType(alpha, "LLN0", 1);

    EXPECT_TRUE(app.Msg_OnOpenDocument());

    EXPECT_EQ(app.m_uStdTypePackage, alpha);
    EXPECT_EQ(app.m_uStdLLN0Type, alphaLln0);
    EXPECT_TRUE(app.m_uStdLPHDType.IsEmpty());
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(OpenDocumentTest, NameWithATrailingBlankIsNotFound) {
    URI_Ref pkg = Package("IEC61850", kStdTypePackageRef);
    MakeLNodeType(pkg, "LLN0 ", 1);
    URI_Ref lphd = MakeLNodeType(pkg, "LPHD", 2);

    EXPECT_TRUE(app.Msg_OnOpenDocument());

    EXPECT_TRUE(app.m_uStdLLN0Type.IsEmpty());
    EXPECT_EQ(app.m_uStdLPHDType, lphd);
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(OpenDocumentTest, WalkGoesInSiblingOrderAndStopsWhenBothAreFound) {
    // Made in another order than their order numbers.
    URI_Ref pkg = Package("IEC61850", kStdTypePackageRef);
    URI_Ref late = MakeLNodeType(pkg, "LLN0", 3);
    URI_Ref lln0 = MakeLNodeType(pkg, "Lln0", 2);
    URI_Ref lphd = MakeLNodeType(pkg, "LPHD", 1);

    EXPECT_TRUE(app.Msg_OnOpenDocument());

    EXPECT_EQ(app.m_uStdLPHDType, lphd);
    EXPECT_EQ(app.m_uStdLLN0Type, lln0);  // the walk stopped before "LLN0" at 3
    EXPECT_NE(app.m_uStdLLN0Type, late);
}

TEST_F(OpenDocumentTest, LaterLLN0ReplacesAnEarlierOneWhileLPHDIsMissing) {
    URI_Ref pkg = Package("IEC61850", kStdTypePackageRef);
    MakeLNodeType(pkg, "LLN0", 1);
    URI_Ref second = MakeLNodeType(pkg, "lln0", 2);
    URI_Ref lphd = MakeLNodeType(pkg, "LPHD", 3);

    EXPECT_TRUE(app.Msg_OnOpenDocument());

    EXPECT_EQ(app.m_uStdLLN0Type, second);
    EXPECT_EQ(app.m_uStdLPHDType, lphd);
}

TEST_F(OpenDocumentTest, OpeningAgainRecomputesTheHandles) {
    // Without a standard package first, then with one, then without again.
    EXPECT_TRUE(app.Msg_OnOpenDocument());
    EXPECT_EQ(ui.Messages(), std::vector<CString>{kNoStdMessage});
    EXPECT_TRUE(app.m_uStdTypePackage.IsEmpty());

    URI_Ref pkg = Package("IEC61850", kStdTypePackageRef);
    URI_Ref lln0 = MakeLNodeType(pkg, "LLN0", 1);
    URI_Ref lphd = MakeLNodeType(pkg, "LPHD", 2);
    ui.ClearCalls();
    EXPECT_TRUE(app.Msg_OnOpenDocument());
    EXPECT_TRUE(ui.Calls().empty());
    EXPECT_EQ(app.m_uStdTypePackage, pkg);
    EXPECT_EQ(app.m_uStdLLN0Type, lln0);
    EXPECT_EQ(app.m_uStdLPHDType, lphd);

    Set(pkg, "sec:TypePackage.ref", "http://www.iec.ch/61850/2007");
    EXPECT_TRUE(app.Msg_OnOpenDocument());
    EXPECT_EQ(ui.Messages(), std::vector<CString>{kNoStdMessage});
    EXPECT_TRUE(app.m_uStdTypePackage.IsEmpty());
    EXPECT_TRUE(app.m_uStdLLN0Type.IsEmpty());
    EXPECT_TRUE(app.m_uStdLPHDType.IsEmpty());
}

// The installation's standard definitions, imported as a domain the way a new
// workspace gets them: opening finds their package and its LLN0 and LPHD.
TEST(OpenShippedStandard, FindsThePackageAndItsLln0AndLphd) {
    CScriptedUi ui;
    CKiln_Main app;
    app.m_Doc.SetDomainPrefixDefault("kiln");
    URI_Ref type;
    ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
    ASSERT_TRUE(app.Import_ExterDomainFile(type, "sec:TypePackage",
                                           CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml"))
        << app.LastDocError();

    EXPECT_TRUE(app.Msg_OnOpenDocument());

    EXPECT_TRUE(ui.Messages().empty());
    ASSERT_TRUE(app.m_uStdTypePackage.IsSet());
    EXPECT_EQ(app.DocMtd_getValue_ofAttr(app.m_uStdTypePackage, "sec:TypePackage.ref"), kStdTypePackageRef);
    ASSERT_TRUE(app.m_uStdLLN0Type.IsSet());
    ASSERT_TRUE(app.m_uStdLPHDType.IsSet());
    EXPECT_EQ(app.DocMtd_getValue_ofAttr(app.m_uStdLLN0Type, "cim:Naming.name"), "LLN0");
    EXPECT_EQ(app.DocMtd_getValue_ofAttr(app.m_uStdLPHDType, "cim:Naming.name"), "LPHD");
    EXPECT_EQ(app.DocMtd_getFirstUri_ofAsso(app.m_uStdLLN0Type, "sec:LNodeType.TypePackage"), app.m_uStdTypePackage);
}

}  // namespace
}  // namespace kiln::test
