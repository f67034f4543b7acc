// The conditions of the menus that are easiest to get wrong, the frame of
// the builder (manager view, hiding rule, view kinds) and the handlers that
// open a menu.
#include <algorithm>
#include <set>

#include "tests/views/menu_fixture.h"
#include "views/context_menu_tables.h"

using namespace kiln::test;

namespace {

using Items = std::vector<std::string>;

// The position of the item, -1 when the menu lacks it.
int IndexOf(const Items& items, const std::string& item) {
    auto it = std::find(items.begin(), items.end(), item);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

}  // namespace

TEST(MenuTables, HoldThirtySevenTablesOf422RowsAnd117Commands) {
    int tables = 0, rows = 0;
    std::set<std::string> commands;
    for (const auto& t : kiln::views::MenuTables()) {
        ++tables;
        for (const auto& row : t.rows) {
            ++rows;
            if (std::string(row.command) != kiln::views::kMenuSeparator) commands.insert(row.command);
            else EXPECT_STREQ(row.text, "") << t.cls;
        }
    }
    EXPECT_EQ(tables, 37);
    EXPECT_EQ(rows, 422);
    EXPECT_EQ(commands.size(), 117u);
}

TEST_F(MenuTest, TheFirstFolderLabelGivesTheWholeMenu) {
    // "LN类型" gives one item on every kind of package.
    for (const URI_Ref& pkg : {m.declPackage, m.freePackage, m.icdPackage})
        EXPECT_EQ(Menu(kView_TreeUser, pkg, "LN类型"), Items{"增加 LN 类型|ICD:Add LNodeType"});
    EXPECT_EQ(Menu(kView_TreeUser, m.freePackage, "DO名称语义"),
              (Items{"增加 DO名称语义|ICD:Add DOSemantic", "----", "自动关联DO名称|ICD:Auto-Link DOSemantic"}));
    // Folder labels no row tests get the package's own menu.
    for (const char* label : {"Enum类型", "名称语义"}) {
        EXPECT_EQ(Menu(kView_TreeUser, m.freePackage, label), Menu(kView_TreeUser, m.freePackage, ""));
        EXPECT_EQ(Menu(kView_TreeUser, m.declPackage, label), Menu(kView_TreeUser, m.declPackage, ""));
    }
    // A declaration package outside the folders: only the four creation items.
    EXPECT_EQ(Commands(kView_TreeUser, m.declPackage),
              (Items{"ICD:Add LNodeType", "ICD:Add DOType", "ICD:Add DAType", "ICD:Add EnumType"}));
}

TEST_F(MenuTest, BaseDeviceOnlyWhileTheProductPackageHasNoICD) {
    const Items free = Menu(kView_TreeUser, m.freePackage);
    const int at = IndexOf(free, "增加 基类 LD |ICD:Add Base LDevice");
    ASSERT_GE(at, 1);
    EXPECT_EQ(free[static_cast<size_t>(at - 1)], "增加 DA 类型配置|ICD:Add DAType");
    Items owned = Menu(kView_TreeUser, m.icdPackage);
    EXPECT_EQ(IndexOf(owned, "增加 基类 LD |ICD:Add Base LDevice"), -1);
    owned.insert(owned.begin() + at, free[static_cast<size_t>(at)]);
    EXPECT_EQ(owned, free);
    // Two separators in a row, between the import and the declaration package.
    const int import = IndexOf(free, "导入LNodeType|ICD:Import LNodeType");
    ASSERT_GE(import, 0);
    EXPECT_EQ(Items(free.begin() + import, free.begin() + import + 4),
              (Items{"导入LNodeType|ICD:Import LNodeType", "----", "----", "增加类型声明包|ICD:Add TypePackage"}));
}

TEST_F(MenuTest, FreeExtensionOfProductLNTypes) {
    const std::string ext = "扩展 DO|ICD:Add Ext-DO";
    // No ICD, or a value other than "false" in any letter case: offered, with its separator.
    EXPECT_EQ(Menu(kView_TreeUser, m.lnTypeFree)[0], ext);
    for (const char* value : {"true", "", "yes"}) {
        app.DocMtd_Modify_attribute_value(m.icd, "sec:ICD.extDOFreely", value);
        const Items items = Menu(kView_TreeUser, m.lnTypeInst);
        ASSERT_GE(items.size(), 3u);
        EXPECT_EQ(Items(items.begin(), items.begin() + 3), (Items{ext, "----", "加入指定 DO|ICD:Add DO"})) << value;
    }
    for (const char* value : {"false", "FALSE", "False"}) {
        app.DocMtd_Modify_attribute_value(m.icd, "sec:ICD.extDOFreely", value);
        EXPECT_EQ(Menu(kView_TreeUser, m.lnTypeInst)[0], "加入指定 DO|ICD:Add DO") << value;
    }
    // A declaration type never offers it.
    EXPECT_EQ(Menu(kView_TreeUser, m.lnTypeDecl)[0], "新增 DO|ICD:Add DO");
}

TEST_F(MenuTest, MembersOfTypesByOwnerAndBasicType) {
    const Items preset{"增加 预设值|ICD:Add Val", "----", "上移|ICD:Move Up"};
    const std::string toBasic = "切换到 基本类型|ICD:Switch to BasicType", toEnum = "切换到 枚举类型|ICD:Switch to EnumType",
                      toStruct = "切换到 复合类型|ICD:Switch to Struct";
    auto head = [&](const URI_Ref& rsc) {
        Items items = Menu(kView_TreeUser, rsc);
        items.resize(std::min<size_t>(items.size(), 3));
        return items;
    };
    // Only exactly "true" makes the owner an instance type.
    EXPECT_EQ(head(m.daOwnerInst), preset);
    EXPECT_EQ(head(m.bdaOwnerInst), preset);
    EXPECT_EQ(head(m.daOwnerUpper), (Items{toBasic, toEnum, "----"}));
    EXPECT_EQ(head(m.daOwnerEmpty), (Items{toBasic, toEnum, "----"}));
    EXPECT_EQ(head(m.bdaOwnerUpper), (Items{toBasic, toEnum, "----"}));
    // Without an owner: a declaration member, switches by basic type.
    EXPECT_EQ(head(m.daNoOwner), (Items{toBasic, toStruct, "----"}));
    EXPECT_EQ(head(m.bdaNoOwner), (Items{toBasic, toStruct, "----"}));
    // The two kinds a member does not have.
    for (const auto& [da, bda, switches] :
         {std::tuple{m.daStruct, m.bdaStruct, Items{toBasic, toEnum, "----"}},
          std::tuple{m.daEnum, m.bdaEnum, Items{toBasic, toStruct, "----"}},
          std::tuple{m.daBoolean, m.bdaBoolean, Items{toStruct, toEnum, "----"}},
          std::tuple{m.daNoBType, m.bdaNoBType, Items{toStruct, toEnum, "----"}},
          std::tuple{m.daBareStruct, m.bdaBareStruct, Items{toStruct, toEnum, "----"}}}) {
        EXPECT_EQ(head(da), switches) << da.sUri;
        EXPECT_EQ(head(bda), switches) << bda.sUri;
    }
    // The BDA's own texts.
    EXPECT_NE(IndexOf(Menu(kView_TreeUser, m.bdaStruct), "删除 子DA|ICD:Delete"), -1);
}

TEST_F(MenuTest, LogicalNodesByLNClass) {
    const std::string lln0First = "自动创建 数据集等(All)|ICD:Auto Add DataSet";
    const std::string byItb = "根据 ITB 增加DO|ICD:Add DO From LNode by ITB";
    const std::string dataSet = "增加 数据集|ICD:Add DataSet";
    const Items lln0 = Menu(kView_TreeUser, m.lnLLN0);
    ASSERT_EQ(lln0.size(), 25u);
    EXPECT_EQ(lln0[0], lln0First);
    EXPECT_EQ(lln0[6], "----");
    EXPECT_EQ(lln0[7], dataSet);
    EXPECT_EQ(IndexOf(lln0, byItb), -1);
    const Items ggio = Menu(kView_TreeUser, m.lnGGIO);
    EXPECT_EQ(Items(ggio.begin(), ggio.begin() + 2), (Items{byItb, dataSet}));
    // Names are compared with their letter case; other classes start with the data set.
    for (const URI_Ref& node : {m.lnLowerGGIO, m.lnLPHD, m.lnNoType, m.lnNoClass})
        EXPECT_EQ(Menu(kView_TreeUser, node)[0], dataSet) << node.sUri;
    // No "增加 采样控制块" separator before the move items.
    EXPECT_EQ(IndexOf(ggio, "增加 采样控制块|ICD:Add SV") + 1, IndexOf(ggio, "上移|ICD:Move Up"));
    // Without a known standard LLN0 a node without an LN class counts as LLN0.
    app.m_uStdLLN0Type.Clear();
    EXPECT_EQ(Menu(kView_TreeUser, m.lnNoType)[0], lln0First);
    EXPECT_EQ(Menu(kView_TreeUser, m.lnNoClass)[0], lln0First);
    EXPECT_EQ(Menu(kView_TreeUser, m.lnGGIO)[0], byItb);
}

TEST_F(MenuTest, LevelsAndViewKinds) {
    const Items copyPaste{"复制 IED实例部分|ICD:Copy", "粘贴 IED实例部分|ICD:Paste"};
    Items level1 = Menu(kView_TreeUser, m.ied);
    EXPECT_EQ(level1, (Items{"增加 LD|ICD:Add LDevice", "----", "创建 信号列表|ICD:Add SignalList", "----",
                             copyPaste[0], copyPaste[1]}));
    app.m_nEditLevel = 2;
    EXPECT_EQ(Menu(kGraphicsView, m.ied), copyPaste);
    for (const char* view : {kView_TreeUser, kView_Html1})
        EXPECT_EQ(Menu(view, m.ied), (Items{"图形上画出IED|PRI:Draw This", "----", "删除 IED|ICD:Delete", "----",
                                            copyPaste[0], copyPaste[1]}));
    // An LNode at level 2: the "SCD:" items, then the eight creation items only.
    EXPECT_EQ(Commands(kView_TreeUser, m.lnLLN0),
              (Items{"SCD:Add Asso MemberOf_LNodeContainer", "----", "SCD:Clear Asso MemberOf_LNodeContainer", "----",
                     "ICD:Add DataSet", "ICD:Add RCB", "ICD:Add LCB", "ICD:Add DOI", "ICD:Add ExtRef", "----",
                     "ICD:Add GSE", "ICD:Add SV"}));
    // The first chain no longer runs: an ICD tracks an empty menu and becomes current.
    EXPECT_EQ(Menu(kView_TreeUser, m.icd), Items{});
    EXPECT_EQ(app.m_uCurRsc, m.icd);
    // The hiding rule: no menu, the current resource stays.
    Menu(kView_TreeUser, m.lnTypeInst, "", false);
    Menu(kView_TreeUser, m.ldevice, "", false);
    EXPECT_EQ(app.m_uCurRsc, m.icd);
    // Without a view there is no menu either.
    app.ShortMenu(nullptr, m.ied, URI_Ref(), "");
    EXPECT_EQ(app.m_uCurRsc, m.icd);
    app.m_nEditLevel = 3;
    EXPECT_EQ(Menu(kView_TreeUser, m.ied), Items{});
    app.m_nEditLevel = 0;
    EXPECT_EQ(Menu(kView_TreeUser, m.ied), level1);
    Menu(kView_TreeUser, m.valOfDA, "", false);
    EXPECT_EQ(Menu(kView_TreeUser, m.icd).size(), 20u);
}

TEST_F(MenuTest, TheManagerViewShowsOnlyTheFrameworksMenu) {
    app.m_uCurRsc = m.ied;
    for (const URI_Ref& rsc : {m.icd, m.lnGGIO, URI_Ref()}) {
        Menu(kView_TreeManager, rsc, "", false);
        const Struct_UiCall* common = ui.LastOf(Enum_UiCall::CommonMenu);
        ASSERT_NE(common, nullptr);
        EXPECT_EQ(common->uRsc.sUri, rsc.sUri);
        EXPECT_EQ(app.m_uCurRsc, m.ied);
    }
    // A domain type gets the framework's own item.
    URI_Ref domainType;
    ASSERT_TRUE(app.m_Doc.FindDomainType("二次模型数据类型包", domainType));
    EXPECT_EQ(Menu(kView_TreeManager, domainType), Items{"导入域数据|COMMON:Import ExternalData"});
    EXPECT_EQ(app.m_uCurRsc, m.ied);
}

TEST_F(MenuTest, RightClickHandlersPassTheirResources) {
    // A tree item: its resource and its group label; empty space: nothing.
    Struct_ItemDesc folder;
    app.TreeMtd_SetItemDetail(&folder, m.freePackage, "LN类型", "LN类型", true, "LN类型");
    ui.AnswerMenuDismiss();
    EXPECT_TRUE(app.TreeMsg_OnRClick(View(kView_TreeUser), &folder));
    EXPECT_EQ(ui.LastOf(Enum_UiCall::PopupMenu)->vList.vPairs.size(), 1u);
    EXPECT_EQ(app.m_uCurRsc, m.freePackage);
    ui.AnswerMenuDismiss();
    EXPECT_TRUE(app.TreeMsg_OnRClick(View(kView_TreeICDPreset), nullptr));
    EXPECT_EQ(ui.LastOf(Enum_UiCall::PopupMenu)->vList.Get_Second_byFirst("增加标准定义包"), "ICD:Add TypePackage");
    EXPECT_TRUE(app.m_uCurRsc.IsEmpty());

    // An HTML view: the given resource, else the shown one, else no menu.
    CBase_Cmd* html = View(kView_Html2);
    ui.ClearCalls();
    EXPECT_FALSE(app.HtmlMsg_OnRClick(html, URI_Ref(), "", nullptr));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::PopupMenu), 0);
    html->m_uShown = m.itb;
    ui.AnswerMenuDismiss();
    EXPECT_TRUE(app.HtmlMsg_OnRClick(html, URI_Ref(), "", nullptr));
    EXPECT_EQ(app.m_uCurRsc, m.itb);
    EXPECT_EQ(app.m_pCurCmd, html);
    ui.AnswerMenuDismiss();
    EXPECT_TRUE(app.HtmlMsg_OnRClick(html, m.m2i, "", nullptr));
    EXPECT_EQ(app.m_uCurRsc, m.m2i);

    // The graphics view: the clicked and the second resource; a left click
    // opens the menu only while no resource is current.
    CBase_Cmd* graphics = View(kGraphicsView);
    std::vector<URI_Ref> selected{m.ied};
    ui.AnswerMenuDismiss();
    EXPECT_TRUE(app.VgMsg_OnRClick(graphics, m.lnGGIO, m.ldevice, selected));
    EXPECT_EQ(app.m_uCurRsc, m.lnGGIO);
    EXPECT_EQ(app.m_uCurRsc2, m.ldevice);
    ui.ClearCalls();
    EXPECT_TRUE(app.VgMsg_OnClick(graphics, m.ied, URI_Ref()));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::PopupMenu), 0);
    EXPECT_EQ(app.m_uCurRsc, m.lnGGIO);
    app.m_uCurRsc.Clear();
    ui.AnswerMenuDismiss();
    EXPECT_TRUE(app.VgMsg_OnClick(graphics, m.ied, m.server));
    EXPECT_EQ(app.m_uCurRsc, m.ied);
    EXPECT_EQ(app.m_uCurRsc2, m.server);
    ui.VerifyAllAnswered();
}

TEST_F(MenuTest, SimpleViewCallbacksGiveTheirFixedAnswers) {
    CBase_Cmd* graphics = View(kGraphicsView);
    std::vector<URI_Ref> rscs{m.ied}, out;
    std::vector<Struct_LinkLineDesc> links(1);
    bool flag = true;
    CString text = "unchanged";
    EXPECT_FALSE(app.VgMsg_OnPasteNew(graphics, rscs, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(app.VgMsg_BeforeDeleteLink(graphics, links));
    EXPECT_FALSE(app.VgMsg_BeforeDeleteRsc(graphics, 1, rscs, true, flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(app.VgMsg_OnZoomChange(graphics, 100, 200));
    EXPECT_FALSE(app.VgMsg_BeforeSaveModified(graphics, &text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(app.VgMsg_AfterFileOpened(graphics));

    // Link ends take the host's colour named "Unknown", whatever they join.
    app.m_ColorCfg.m_vColors = {{"Known", 0x00FF00}, {"Unknown", 0x123456}};
    EXPECT_EQ(app.VgMsg_OnSetColor_ofFoot(graphics, m.ied, m.server), 0x123456u);
    EXPECT_EQ(app.VgMsg_OnSetColor_ofFoot(graphics, m.lnGGIO, m.icd), 0x123456u);

    // Only LN, DO and DA types and information items may be dragged.
    Struct_ItemDesc item;
    for (const URI_Ref& rsc : {m.lnTypeInst, m.doTypeDecl, m.daTypeInst, m.infoItem}) {
        item.uRsc = rsc;
        EXPECT_TRUE(app.TreeMsg_OnBeginDrag(View(kView_TreeUser), &item)) << rsc.sClass;
    }
    for (const URI_Ref& rsc : {m.dataObject, m.freePackage, m.enumType, URI_Ref()}) {
        item.uRsc = rsc;
        EXPECT_FALSE(app.TreeMsg_OnBeginDrag(View(kView_TreeUser), &item)) << rsc.sClass;
    }
    EXPECT_FALSE(app.TreeMsg_OnBeginDrag(View(kView_TreeUser), nullptr));
    // A double click answers as the framework does.
    item.uRsc = m.ied;
    EXPECT_EQ(app.TreeMsg_OnDoubleClick(View(kView_TreeUser), &item),
              app.CBase_AppCim::TreeMsg_OnDoubleClick(View(kView_TreeUser), &item));
    EXPECT_TRUE(ui.Calls().empty());
}
