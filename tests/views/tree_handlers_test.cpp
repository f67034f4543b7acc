// The tree handlers: icons, item texts, clicks and drops.
#include "platform/ui/scripted_ui.h"
#include "tests/views/views_fixture.h"

using namespace kiln::test;

namespace {

class TreeHandlers : public ViewsTest {
protected:
    Struct_ItemDesc Folder(const URI_Ref& rsc, const char* key, const char* text, const char* label) {
        Struct_ItemDesc item;
        app.TreeMtd_SetItemDetail(&item, rsc, key, text, true, label);
        return item;
    }
};

TEST_F(TreeHandlers, IconsOfClassesAndFolders) {
    for (const char* sid : {kView_TreeUser, kView_TreePreset}) {
        CBase_Cmd* view = View(sid);
        ASSERT_TRUE(app.TreeMsg_OnPresetClassIcons(view));
        EXPECT_EQ(view->m_vClassIcons.size(), 43u);
        EXPECT_EQ(view->m_vClassIcons.front().first, "sec:TypePackage");
    }
    EXPECT_EQ(View(kView_TreeUser)->Mtd_GetClassIcon("sec:TypePackage"), 222);
    EXPECT_EQ(View(kView_TreePreset)->Mtd_GetClassIcon("sec:TypePackage"), 194);
    CBase_Cmd* view = View(kView_TreePreset);
    EXPECT_EQ(view->Mtd_GetClassIcon("类型配置"), 222);
    EXPECT_EQ(view->Mtd_GetClassIcon("sec:LNodeType"), 134);
    EXPECT_EQ(view->Mtd_GetClassIcon("sec:ClientLN"), 227);
    EXPECT_EQ(view->Mtd_GetClassIcon("sec:Product"), 248);
    EXPECT_EQ(view->m_vClassIcons.back().first, "sec:Product");
    for (const char* none : {"LD类型", "软件版本", "sec:InfoGroup", "sec:SDI", "sec:GSE"})
        EXPECT_EQ(view->Mtd_GetClassIcon(none), -1) << none;
}

TEST_F(TreeHandlers, FoldersKeepTheirOwnTextResourcesShowTheirs) {
    CString text;
    Struct_ItemDesc ungrouped = Folder(icd.itb, "sec:ITB", "未分组", "InfoItemUnGroup");
    ASSERT_TRUE(app.TreeMsg_OnGetRscText(View(kView_TreeUser), &ungrouped, &text));
    EXPECT_EQ(text, "未分组");
    Struct_ItemDesc signals = Folder(icd.sl1, "sec:SignalList", "信号列表", "");
    ASSERT_TRUE(app.TreeMsg_OnGetRscText(View(kView_TreeUser), &signals, &text));
    EXPECT_EQ(text, "信号列表");
    Struct_ItemDesc cdc = Folder(m.stdPkg, "DO类型", "CDC类", "CDC类");
    ASSERT_TRUE(app.TreeMsg_OnGetRscText(View(kView_TreeUser), &cdc, &text));
    EXPECT_EQ(text, "CDC类");
    Struct_ItemDesc node = ItemOf(icd.lnPtoc);
    node.sText3.Empty();
    ASSERT_TRUE(app.TreeMsg_OnGetRscText(View(kView_TreeUser), &node, &text));
    EXPECT_EQ(text, app.GetRscText(icd.lnPtoc, true));
    // A domain type of the document environment: the framework's text.
    std::vector<URI_Ref> types;
    ASSERT_TRUE(app.DocMtd_get_Uris_byClassName(kDomainTypeClass, types, "", SortPolicy_None));
    Struct_ItemDesc env = ItemOf(types.front());
    ASSERT_TRUE(app.TreeMsg_OnGetRscText(View(kView_TreeManager), &env, &text));
    EXPECT_EQ(text, app.DocMtd_getValue_ofAttr(types.front(), "cim:Naming.name"));
}

TEST_F(TreeHandlers, ClicksShowThePageAtTheFoldersAnchor) {
    CBase_Cmd* prop = app.m_pHtmlPropView;
    CBase_Cmd* second = View(kView_Html2);
    ASSERT_NE(prop, nullptr);
    Struct_ItemDesc doFolder = Folder(m.instPkg, "DO类型", "DO类型", "DO类型");
    EXPECT_TRUE(app.TreeMsg_OnClick(View(kView_TreeUser), &doFolder));
    EXPECT_EQ(prop->m_uShown, m.instPkg);
    EXPECT_EQ(prop->m_sShownAnchor, "DO类型");
    for (const char* key : {"类型配置", "DO名称语义"}) {
        Struct_ItemDesc f = Folder(m.stdPkg, key, key, "");
        app.TreeMsg_OnClick(View(kView_TreeUser), &f);
        EXPECT_EQ(prop->m_sShownAnchor, key);
    }
    for (const char* key : {"名称语义", "sec:TypePackage"}) {
        Struct_ItemDesc f = Folder(m.stdPkg, key, key, "");
        app.TreeMsg_OnClick(View(kView_TreeUser), &f);
        EXPECT_EQ(prop->m_sShownAnchor, "HeadLine") << key;
    }
    second->Mtd_ShowRsc(m.stdPkg, 0);
    Struct_ItemDesc node = ItemOf(icd.lnPtoc);
    EXPECT_TRUE(app.TreeMsg_OnClick(View(kView_TreeUser), &node));
    EXPECT_EQ(prop->m_uShown, icd.lnPtoc);
    EXPECT_TRUE(second->m_uShown.IsEmpty());
    // With the configuration flag off a click shows nothing.
    app.m_Doc.cim_cfg().m_bSyncViews = false;
    Struct_ItemDesc other = ItemOf(icd.ldA);
    EXPECT_TRUE(app.TreeMsg_OnClick(View(kView_TreeUser), &other));
    EXPECT_EQ(prop->m_uShown, icd.lnPtoc);
}

TEST_F(TreeHandlers, AnInformationItemDroppedOnAGroupTakesItsName) {
    Struct_ItemDesc item = ItemOf(icd.i2), group = ItemOf(icd.gAlarm);
    EXPECT_FALSE(app.TreeMsg_OnEndDrag(View(kView_TreeUser), &item, &group));
    EXPECT_EQ(Get(icd.i2, "sec:InfoItem.infoGroup"), "Alarm");
    EXPECT_TRUE(ui.Messages().empty());
    ASSERT_TRUE(app.m_Doc.SetDomainEditable(kIcdDomain, false));
    Struct_ItemDesc other = ItemOf(icd.i1);
    EXPECT_FALSE(app.TreeMsg_OnEndDrag(View(kView_TreeUser), &other, &group));
    EXPECT_EQ(Get(icd.i1, "sec:InfoItem.infoGroup"), "遥信");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0049"});
}

TEST_F(TreeHandlers, AnInstanceTypeDroppedOnAnInstancePackageMovesThere) {
    Struct_ItemDesc type = ItemOf(m.p1Ptoc), pkg = ItemOf(icd.icdPkg);
    EXPECT_TRUE(app.TreeMsg_OnEndDrag(View(kView_TreeUser), &type, &pkg));
    std::vector<URI_Ref> links;
    app.DocMtd_get_Association_BUris(m.p1Ptoc, "sec:LNodeType.TypePackage", links, "", SortPolicy_None);
    EXPECT_EQ(links, std::vector<URI_Ref>{icd.icdPkg});
    // On an instance DO type: nothing changes, true.
    Struct_ItemDesc doType = ItemOf(m.p1Sps);
    EXPECT_TRUE(app.TreeMsg_OnEndDrag(View(kView_TreeUser), &type, &doType));
    EXPECT_EQ(app.DocMtd_getFirstUri_ofAsso(m.p1Ptoc, "sec:LNodeType.TypePackage"), icd.icdPkg);
    // A standard type is not moved.
    Struct_ItemDesc stdType = ItemOf(m.ptoc);
    EXPECT_FALSE(app.TreeMsg_OnEndDrag(View(kView_TreeUser), &stdType, &pkg));
    EXPECT_EQ(app.DocMtd_getFirstUri_ofAsso(m.ptoc, "sec:LNodeType.TypePackage"), m.stdPkg);
}

TEST_F(TreeHandlers, AFailedRelinkKeepsTheOldPackage) {
    Struct_ItemDesc type = ItemOf(m.p1Ptoc), pkg = ItemOf(icd.icdPkg);
    app.m_Doc.InjectFault("add");
    EXPECT_FALSE(app.TreeMsg_OnEndDrag(View(kView_TreeUser), &type, &pkg));
    app.m_Doc.ClearFault();
    EXPECT_EQ(app.DocMtd_getFirstUri_ofAsso(m.p1Ptoc, "sec:LNodeType.TypePackage"), m.instPkg);
    // A read-only domain of the dragged type refuses with its own number.
    ASSERT_TRUE(app.m_Doc.SetDomainEditable(kInstDomain, false));
    EXPECT_FALSE(app.TreeMsg_OnEndDrag(View(kView_TreeUser), &type, &pkg));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0050"});
    EXPECT_EQ(app.DocMtd_getFirstUri_ofAsso(m.p1Ptoc, "sec:LNodeType.TypePackage"), m.instPkg);
}

}  // namespace
