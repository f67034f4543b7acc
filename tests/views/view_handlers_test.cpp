// The HTML views' link routing and style sheets, and the graphics view's
// handlers.
#include "tests/views/views_fixture.h"

using namespace kiln::test;

namespace {

class HtmlHandlers : public ViewsTest {
protected:
    CString Sheet(const URI_Ref& rsc, CString& label) {
        CString sheet;
        EXPECT_FALSE(app.HtmlMsg_OnSetXsltFile(View(kView_Html1), rsc, &sheet, nullptr, &label, nullptr));
        return sheet;
    }
};

TEST_F(HtmlHandlers, StyleSheetsByClassAndPageLabel) {
    CString label = "LN类型";
    EXPECT_EQ(Sheet(m.sps, label), "sec_DOType.xsl");
    EXPECT_EQ(label, "");
    label = "Enum类型";
    EXPECT_EQ(Sheet(m.stdPkg, label), "sec_TypePackage_EnumType.xsl");
    EXPECT_EQ(label, "Enum类型");
    label = "DA名称语义";
    EXPECT_EQ(Sheet(m.stdPkg, label), "sec_TypePackage_DASemantic.xsl");
    label = "";
    EXPECT_EQ(Sheet(m.stdPkg, label), "sec_TypePackage.xsl");
    label = "名称语义";
    EXPECT_EQ(Sheet(m.stdPkg, label), "sec_TypePackage.xsl");
    app.m_uFieldIED = icd.ied;
    Sheet(icd.ied, label);
    EXPECT_TRUE(app.m_uFieldIED.IsEmpty());
}

TEST_F(HtmlHandlers, LinksOfTheFirstViewOpenInTheSecond) {
    CBase_Cmd* v1 = View(kView_Html1);
    CBase_Cmd* v2 = View(kView_Html2);
    CBase_Cmd* tree = View(kView_TreeUser);
    URI_Ref target = icd.ldA;
    EXPECT_FALSE(app.HtmlMsg_OnBeforeNavigate(v1, target, "", false));
    EXPECT_EQ(v2->m_uShown, icd.ldA);
    EXPECT_TRUE(tree->m_uLocated.IsEmpty());
    // Asked to stay, or with the second view closed: located, and followed.
    EXPECT_TRUE(app.HtmlMsg_OnBeforeNavigate(v1, target, "", true));
    EXPECT_EQ(tree->m_uLocated, icd.ldA);
    v2->m_bWindowReady = false;
    target = icd.ldB;
    EXPECT_TRUE(app.HtmlMsg_OnBeforeNavigate(v1, target, "", false));
    EXPECT_EQ(tree->m_uLocated, icd.ldB);
    EXPECT_EQ(v2->m_uShown, icd.ldA);
    // In the second view a link is followed there only.
    target = icd.ied;
    EXPECT_TRUE(app.HtmlMsg_OnBeforeNavigate(v2, target, "", false));
    EXPECT_EQ(tree->m_uLocated, icd.ldB);
    // Routing off, or no target: followed without more.
    v2->m_bWindowReady = true;
    app.m_Doc.cim_cfg().m_bSyncViews = false;
    EXPECT_TRUE(app.HtmlMsg_OnBeforeNavigate(v1, target, "", false));
    EXPECT_EQ(v2->m_uShown, icd.ldA);
    URI_Ref none;
    app.m_Doc.cim_cfg().m_bSyncViews = true;
    EXPECT_TRUE(app.HtmlMsg_OnBeforeNavigate(v1, none, "", false));
}

TEST_F(HtmlHandlers, TheGraphicsViewBindsDrawingsToDomainsAndAddsNoLinks) {
    CBase_Cmd* vg = app.Mtd_AddView("图形视图", ViewClass_Graphics);
    int n = 0;
    bool f1 = false, f2 = true;
    EXPECT_TRUE(app.VgMsg_OnFileOpen(vg, "", &n, &f1, &f2));
    EXPECT_TRUE(n == 1 && f1 && !f2);
    EXPECT_TRUE(vg->m_uDomain.IsEmpty());
    n = 0;
    f1 = false;
    EXPECT_FALSE(app.VgMsg_OnFileOpen(vg, "/d/vp/NoSuch.svg", &n, &f1, &f2));
    EXPECT_TRUE(n == 1 && f1 && !f2);
    EXPECT_TRUE(app.VgMsg_OnFileOpen(vg, "/d/vp/kiln.icd1.svg", &n, &f1, &f2));
    EXPECT_EQ(vg->m_uDomain.sUri, kIcdDomain);

    for (const char* style : {"upright_line", "Sloping_Line", ""}) {
        int kind = 0;
        EXPECT_FALSE(app.VgMsg_OnAddLink(vg, icd.ldA, icd.ldB, style, &kind));
        EXPECT_EQ(kind, 3) << style;
    }
    int kind = 0;
    EXPECT_FALSE(app.VgMsg_OnAddLink(vg, icd.ldA, icd.ldB, "Dotted", &kind));
    EXPECT_EQ(kind, 0);

    CString shape = "box";
    std::vector<URI_Ref> list{icd.ldA};
    Struct_Pairs pairs;
    pairs.Add("a", "b");
    URI_Ref rsc = icd.ldA;
    EXPECT_TRUE(app.VgMsg_OnSetShape_ofObj(vg, rsc, &shape, &list, &pairs));
    EXPECT_TRUE(shape.IsEmpty() && list.empty() && pairs.vPairs.empty());

    // Moving the mouse forgets the menu's pick, not the current resource.
    app.m_uCurRsc = icd.ldA;
    bool flag = true;
    EXPECT_TRUE(app.VgMsg_OnMouseMove(vg, icd.ldB, &flag));
    EXPECT_EQ(app.m_uCurRsc, icd.ldA);
    EXPECT_EQ(app.Mtd_LastMenuPick(), 0u);
    // With a current resource a left click shows no menu.
    EXPECT_TRUE(app.VgMsg_OnClick(vg, icd.ldB, URI_Ref()));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::PopupMenu), 0);
    EXPECT_EQ(app.m_uCurRsc, icd.ldA);
}

}  // namespace
