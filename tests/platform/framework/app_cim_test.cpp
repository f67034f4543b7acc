// The framework base of the plug-in: default handler answers, the context
// menu's way from a picked item to its command string, the views' services,
// the questions it asks, and the import of an external domain.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/framework/app_cim.h"
#include "platform/ui/scripted_ui.h"
#include "platform/ui/ui_functions.h"
#include "platform/xml/base_xml.h"

namespace {

// A plug-in stand-in that records the commands it receives.
struct RecordingApp : CBase_AppCim {
    std::vector<CString> commands;
    void Msg_OnAppCommand(CString command) override { commands.push_back(command); }
};

// A fresh folder under the temporary directory, removed with its files.
struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/kiln_app_XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

URI_Ref DomainType(CDocServices& svc, const char* name) {
    URI_Ref type;
    EXPECT_TRUE(svc.Proc_FindCreatableType_ByName(name, "", type));
    return type;
}

}  // namespace

TEST(AppCim, DefaultHandlersDoNothingAndAnswerFalseOrEmpty) {
    CScriptedUi ui;
    CBase_AppCim app;
    app.Mtd_CreateStandardViews();
    CBase_Cmd* tree = app.Mtd_View_of_sID("TreeView_User");
    Struct_ItemDesc item;
    std::vector<Struct_ItemDesc> items;
    URI_Ref rsc("urn:d#X", "sec:ICD"), rsc2;
    CString text = "kept", newValue = "v";
    int refresh = 5;
    std::vector<URI_Ref> list;

    EXPECT_TRUE(app.GridMsg_OnLClick(tree, "1"));
    EXPECT_FALSE(app.GridMsg_OnRClick(tree, "1"));
    EXPECT_FALSE(app.TreeMsg_OnRClick(tree, &item));
    EXPECT_FALSE(app.TreeMsg_OnDoubleClick(tree, &item));
    EXPECT_FALSE(app.TreeMsg_OnSetChildItems(tree, nullptr, &items));
    EXPECT_TRUE(items.empty());
    EXPECT_FALSE(app.TreeMsg_OnGetRscText(tree, &item, &text));
    EXPECT_EQ(CString("kept"), text);
    EXPECT_FALSE(app.HtmlMsg_OnFieldChanged(tree, rsc, "f", "o", newValue, &text, &refresh));
    EXPECT_EQ(CString("v"), newValue);
    EXPECT_EQ(5, refresh);
    EXPECT_FALSE(app.VgMsg_OnDblClick(tree, rsc, rsc2));
    EXPECT_FALSE(app.VgMsg_OnRClick(tree, rsc, rsc2, list));
    EXPECT_EQ(0ul, app.VgMsg_OnSetColor_ofFoot(tree, rsc, rsc2));
    EXPECT_FALSE(app.Msg_OnOpenDocument());
    EXPECT_FALSE(app.Rsc_Adjust_Order(rsc, "e301:OrdNaming.ord", 2));
    EXPECT_TRUE(app.Mtd_GetErrorMsg().IsEmpty());
    app.Msg_OnAppCommand("ICD:Delete");  // nothing happens, nothing is shown
    EXPECT_TRUE(ui.Calls().empty());
    EXPECT_STREQ("CBase_AppCim", app.GetRuntimeClass()->m_lpszClassName);
}

TEST(AppCim, ErrorTextAndItsResourceAreKept) {
    CBase_AppCim app;
    URI_Ref ln("urn:d#LN3", "sec:LNode");
    app.Mtd_SetErrorMsg("内部错误（181）", ln);
    EXPECT_EQ(CString("内部错误（181）"), app.Get_ErrorMsg());
    EXPECT_EQ(CString("内部错误（181）"), app.Mtd_GetErrorMsg());
    EXPECT_EQ(ln, app.Mtd_GetErrorUri());
    EXPECT_EQ(CString("sec:LNode"), CString(app.Mtd_GetErrorUri().sClass));
}

TEST(AppCim, TreeItemDetailsGoToTheirFields) {
    CBase_AppCim app;
    Struct_ItemDesc item;
    URI_Ref pkg("urn:d#P1", "sec:TypePackage");
    ASSERT_TRUE(app.TreeMtd_SetItemDetail(&item, pkg, "LN类型", "LN类", true, "LN类型", "", true, 0));
    EXPECT_EQ(pkg, item.uRsc);
    EXPECT_EQ(CString("LN类型"), item.sText4);  // the item key
    EXPECT_EQ(CString("LN类型"), item.sKey);
    EXPECT_EQ(CString("LN类型"), item.sText2);  // the group label
    EXPECT_EQ(CString("LN类"), item.sText3);    // the shown text
    ASSERT_TRUE(app.TreeMtd_SetItemDetail(&item, pkg, "sec:InSignal", "输入信号_1", false, "", "", true, 0));
    EXPECT_FALSE(item.bFlag1);
    EXPECT_TRUE(item.sText2.IsEmpty());
    EXPECT_FALSE(app.TreeMtd_SetItemDetail(nullptr, pkg, "k", "t", true, ""));

    CBase_Cmd view("TreeView_User", 1);
    app.TreeMtd_Add_a_ClassIcon(&view, "sec:TypePackage", 194);
    app.TreeMtd_Add_a_ClassIcon(&view, "sec:TypePackage", 222);
    EXPECT_EQ(222, view.Mtd_GetClassIcon("sec:TypePackage"));
    EXPECT_EQ(-1, view.Mtd_GetClassIcon("LD类型"));
}

TEST(AppCim, HtmlViewsShowAPageAtAnAnchorAndTellWhatTheyShow) {
    CScriptedUi ui;
    CBase_AppCim app;
    app.Mtd_CreateStandardViews();
    URI_Ref pkg("urn:d#P1", "sec:TypePackage");
    ASSERT_TRUE(app.HtmlMtd_LocateNow(app.m_pHtmlPropView, pkg, "DO类型", "DO类型", true));
    EXPECT_EQ(pkg, app.HtmlMtd_GetCurrentUri(app.m_pHtmlPropView));
    const Struct_UiCall* shown = ui.LastOf(Enum_UiCall::ViewShow);
    ASSERT_NE(nullptr, shown);
    EXPECT_EQ(CString("超文本视图1"), shown->sCaption);
    EXPECT_EQ(CString("DO类型"), shown->sText);
    EXPECT_TRUE(app.HtmlMtd_GetCurrentUri(app.Mtd_View_of_sID("超文本视图2")).IsEmpty());
    EXPECT_FALSE(app.HtmlMtd_LocateNow(nullptr, pkg, "k", "HeadLine"));
    EXPECT_TRUE(app.HtmlMtd_GetCurrentUri(nullptr).IsEmpty());
}

TEST(AppCim, APickedContextMenuItemReachesTheDispatcherWithItsCommandString) {
    CScriptedUi ui;
    RecordingApp app;
    ASSERT_EQ(app.Mtd_MainWnd(), AfxGetMainWnd());
    ui.SetCursorPos(300, 120);
    ui.AnswerMenuCommand("ICD:Delete");

    // Built the way the context-menu builder builds its menu.
    app.Mtd_Clear_MN_Varibles();
    CMenu bar, popup;
    bar.CreateMenu();
    popup.CreatePopupMenu();
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "First");
    app.Mtd_ShortMenu_Clear();
    EXPECT_TRUE(app.Mtd_ShortMenu_Append(bar.GetSubMenu(0), "ICD:Add LNode", "增加 LN", true));
    EXPECT_TRUE(app.Mtd_ShortMenu_Append(bar.GetSubMenu(0), "_分隔符_", "", true));
    EXPECT_TRUE(app.Mtd_ShortMenu_Append(bar.GetSubMenu(0), "ICD:Delete", "删除 LDevice", true));
    EXPECT_FALSE(app.Mtd_ShortMenu_Append(nullptr, "ICD:Delete", "删除", true));
    EXPECT_EQ(3, bar.GetSubMenu(0)->GetMenuItemCount());
    POINT pt;
    GetCursorPos(&pt);
    bar.GetSubMenu(0)->TrackPopupMenu(TPM_RIGHTBUTTON, static_cast<int>(pt.x - 1), static_cast<int>(pt.y),
                                      AfxGetMainWnd());

    const Struct_UiCall* menu = ui.LastOf(Enum_UiCall::PopupMenu);
    EXPECT_EQ(299, menu->x);
    EXPECT_EQ(120, menu->y);
    ASSERT_EQ(3, menu->vList.GetSize());
    EXPECT_EQ(CString("ICD:Add LNode"), menu->vList.vPairs[0].second);
    EXPECT_TRUE(menu->vList.vPairs[1].first.IsEmpty());  // the separator
    EXPECT_TRUE(app.commands.empty());
    AfxPumpMessages();
    ASSERT_EQ(1u, app.commands.size());
    EXPECT_EQ(CString("ICD:Delete"), app.commands[0]);
    EXPECT_EQ(CString("ICD:Delete"), app.Mtd_ShortMenu_CommandOf(app.Mtd_LastMenuPick()));

    // A new menu forgets the old commands.
    app.Mtd_ShortMenu_Clear();
    EXPECT_TRUE(app.Mtd_ShortMenu_CommandOf(app.Mtd_LastMenuPick()).IsEmpty());
}

TEST(AppCim, TheMainWindowCarriesTheWaitCursor) {
    CScriptedUi ui;
    {
        CBase_AppCim app;
        ASSERT_EQ(app.Mtd_MainWnd(), AfxGetMainWnd());
        AfxGetMainWnd()->BeginWaitCursor();
        AfxGetMainWnd()->BeginWaitCursor();
        EXPECT_EQ(2, ui.WaitCursorDepth());
        AfxGetMainWnd()->EndWaitCursor();
        EXPECT_EQ(1, ui.WaitCursorDepth());
    }
    // The application's window goes with it.
    EXPECT_EQ(nullptr, AfxGetMainWnd());
}

TEST(AppCim, PickingAResourceFromAList) {
    CScriptedUi ui;
    CBase_AppCim app;
    URI_Ref type = DomainType(app, "二次模型数据类型包");
    ASSERT_TRUE(app.Proc_Create_a_Domain_byType("kiln.types#", type, "类型", DomainTypeDfn()));
    URI_Ref inc, sps, unnamed;
    ASSERT_TRUE(app.DocMtd_create_a_Rsc("kiln.types#", "sec:DOType", inc, "zel_INC"));
    ASSERT_TRUE(app.DocMtd_create_a_Rsc("kiln.types#", "sec:DOType", sps, "zel_SPS"));
    ASSERT_TRUE(app.DocMtd_create_a_Rsc("kiln.types#", "sec:DOType", unnamed, ""));
    app.DocMtd_Modify_attribute_value(unnamed, "cim:Naming.name", "");
    std::vector<URI_Ref> list{inc, sps, unnamed};
    ui.AnswerPickText("zel_SPS", "选择RASG其它DO使用的DOType:").AnswerPickCancel();

    URI_Ref chosen = inc;
    EXPECT_TRUE(app.Select_A_URI_FromSeq(list, chosen, "选择RASG其它DO使用的DOType:"));
    EXPECT_EQ(sps, chosen);
    const Struct_UiCall* call = ui.LastOf(Enum_UiCall::PickResource);
    EXPECT_EQ(0u, call->nType);  // the preset row
    EXPECT_EQ(CString(unnamed.sUri), call->vList.vPairs[2].first);  // no name: shown by its identifier

    EXPECT_FALSE(app.Select_A_URI_FromSeq(list, chosen, "p"));
    EXPECT_EQ(sps, chosen);
    // Nothing to pick from: no question.
    EXPECT_FALSE(app.Select_A_URI_FromSeq({}, chosen, "p"));
    EXPECT_EQ(2, ui.CountOf(Enum_UiCall::PickResource));
}

TEST(AppCim, TheDomainNameQuestionBuildsTheDomainFromPrefixAndName) {
    CScriptedUi ui;
    CBase_AppCim app;
    ui.AnswerInput("  产品A  ", "请输入新建装置类型包的名称").AnswerInput("a#b").AnswerInputCancel().AnswerInput("  ");
    CString name, domain = "parent#";
    ASSERT_TRUE(app.Mtd_InputName_withDomainName("kiln", name, domain, "请输入新建装置类型包的名称"));
    EXPECT_EQ(CString("产品A"), name);
    EXPECT_EQ(CString("kiln.产品A#"), domain);
    ASSERT_TRUE(app.Mtd_InputName_withDomainName("kiln#", name, domain, "q"));
    EXPECT_EQ(CString("kiln.a_b#"), domain);  // exactly one "#"
    name = "标准定义包";
    domain = "d#";
    EXPECT_FALSE(app.Mtd_InputName_withDomainName("kiln", name, domain, "q"));
    EXPECT_EQ(CString("标准定义包"), name);
    EXPECT_EQ(CString("d#"), domain);
    // A blank name is no cancel: the caller is told that none was given.
    EXPECT_TRUE(app.Mtd_InputName_withDomainName("kiln", name, domain, "q"));
    EXPECT_EQ(CString(), name);
    EXPECT_EQ(CString(), domain);
    EXPECT_EQ(CString("请输入新建装置类型包的名称"), ui.CallsOf(Enum_UiCall::InputBox)[0].sText);
}

TEST(AppCim, ImportingAnExternalDomainAsksForTheFileAndReportsARefusal) {
    TempDir dir;
    CBase_AppCim source;
    URI_Ref type = DomainType(source, "二次模型数据类型包");
    ASSERT_TRUE(source.Proc_Create_a_Domain_byType("src.types#", type, "类型", DomainTypeDfn()));
    URI_Ref pkg;
    ASSERT_TRUE(source.DocMtd_create_a_Rsc("src.types#", "sec:TypePackage", pkg, "产品类型包"));
    std::string file = dir.path + "/pkg.xml";
    ASSERT_TRUE(source.m_Doc.CimDomainToFile("src.types#", file.c_str())) << source.LastDocError();
    std::string broken = dir.path + "/broken.xml";
    std::ofstream(broken) << "<rdf:RDF><oops";

    CScriptedUi ui;
    CBase_AppCim app;
    URI_Ref target = DomainType(app, "二次模型数据类型包");
    ui.AnswerOpenFile(file.c_str()).AnswerFileCancel().AnswerOpenFile(broken.c_str());

    ASSERT_TRUE(app.Import_ExterDomainData(target, "sec:TypePackage")) << app.LastDocError();
    std::vector<URI_Ref> pkgs;
    ASSERT_TRUE(app.DocMtd_get_Uris_byClassName("sec:TypePackage", pkgs, "", SortPolicy_ByName));
    ASSERT_EQ(1u, pkgs.size());
    EXPECT_EQ(CString("产品类型包"), app.DocMtd_getValue_ofAttr(pkgs[0], "cim:Naming.name"));
    CString domain;
    ASSERT_TRUE(app.DocMtd_DEnv_Get_Rsc_Domain(pkgs[0], domain));
    EXPECT_EQ(CString("二次模型数据类型包"), app.m_Doc.DomainTypeName(domain));
    EXPECT_TRUE(ui.Messages().empty());

    EXPECT_FALSE(app.Import_ExterDomainData(target, "sec:TypePackage"));  // cancelled
    EXPECT_TRUE(ui.Messages().empty());

    EXPECT_FALSE(app.Import_ExterDomainData(target, "sec:TypePackage"));
    ASSERT_EQ(1u, ui.Messages().size());
    EXPECT_FALSE(ui.Messages()[0].IsEmpty());
    EXPECT_EQ(app.LastDocError(), ui.Messages()[0]);
    pkgs.clear();
    app.DocMtd_get_Uris_byClassName("sec:TypePackage", pkgs, "", SortPolicy_ByName);
    EXPECT_EQ(1u, pkgs.size());  // the refused file added nothing
}

TEST(AppCim, TheManagerViewListsDomainTypesAndTheirDomains) {
    CScriptedUi ui;
    RecordingApp app;
    app.Mtd_CreateStandardViews();
    CBase_Cmd* manager = app.Mtd_View_of_sID("TreeView_Manager");
    URI_Ref type = DomainType(app, "二次模型装置ICD包");
    ASSERT_TRUE(app.Proc_Create_a_Domain_byType("abc.icd#", type, "ICD模型", DomainTypeDfn()));

    std::vector<Struct_ItemDesc> top;
    ASSERT_TRUE(app.TreeMsg_OnSetChildItems(manager, nullptr, &top));
    ASSERT_EQ(6u, top.size());
    Struct_ItemDesc* icdType = nullptr;
    for (auto& item : top) {
        CString text;
        ASSERT_TRUE(app.TreeMsg_OnGetRscText(manager, &item, &text));
        if (text == "二次模型装置ICD包") icdType = &item;
    }
    ASSERT_NE(nullptr, icdType);
    std::vector<Struct_ItemDesc> domains;
    ASSERT_TRUE(app.TreeMsg_OnSetChildItems(manager, icdType, &domains));
    ASSERT_EQ(1u, domains.size());
    CString text;
    ASSERT_TRUE(app.TreeMsg_OnGetRscText(manager, &domains[0], &text));
    EXPECT_EQ(CString("abc.icd#"), text);

    // Its common menu offers the import on a domain type; the pick makes the
    // type the current resource and sends the command.
    URI_Ref before("urn:d#ICD1", "sec:ICD");
    app.m_uCurRsc = before;
    ui.AnswerMenuDismiss().AnswerMenuText("导入域数据");
    EXPECT_FALSE(app.APPCOMMON_ShortMenu(manager, domains[0].uRsc));  // a domain: nothing offered
    EXPECT_TRUE(app.APPCOMMON_ShortMenu(manager, icdType->uRsc));
    AfxPumpMessages();
    EXPECT_EQ(before, app.m_uCurRsc);  // dismissed: unchanged
    EXPECT_TRUE(app.APPCOMMON_ShortMenu(manager, icdType->uRsc));
    AfxPumpMessages();
    EXPECT_EQ(icdType->uRsc, app.m_uCurRsc);
    EXPECT_EQ(manager, app.m_pCurCmd);
    ASSERT_EQ(1u, app.commands.size());
    EXPECT_EQ(CString("COMMON:Import ExternalData"), app.commands[0]);
    EXPECT_EQ(3, ui.CountOf(Enum_UiCall::CommonMenu));

    // The handle of a domain that is gone has no text.
    ASSERT_TRUE(app.DocMtd_DEnvDelete_a_Domain("abc.icd#"));
    text = "kept";
    EXPECT_FALSE(app.TreeMsg_OnGetRscText(manager, &domains[0], &text));
    EXPECT_EQ(CString("kept"), text);
}

TEST(AppCim, NodeValuesComeFromAttributesOrChildElements) {
    CBase_XML xml;
    XmlNode root = xml.AddNewNode_withAttr(xml.GetDocument(), "Item", "id");
    ASSERT_FALSE(root.IsNull());
    xml.Write_NodeValueString(root, "@id", "7");
    xml.Write_NodeValueString_withCreate(root, "name", "开关");
    CBase_AppCim app;
    EXPECT_EQ(CString("7"), app.Get_Node_ValueString(root, "id"));
    EXPECT_EQ(CString("7"), app.Get_Node_ValueString(root, "@id"));
    EXPECT_EQ(CString("开关"), app.Get_Node_ValueString(root, "name"));
    EXPECT_TRUE(app.Get_Node_ValueString(root, "@name").IsEmpty());
    EXPECT_TRUE(app.Get_Node_ValueString(root, "missing").IsEmpty());
    EXPECT_TRUE(app.Get_Node_ValueString(XmlNode(), "id").IsEmpty());
}
