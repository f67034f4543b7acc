#include "tests/views/menu_fixture.h"

#include "platform/ui/ui_error.h"

namespace kiln::test {

MenuTest::MenuTest() {
    CBase_CimDoc& doc = app.m_Doc;
    doc.SetDomainPrefixDefault("kiln");
    URI_Ref type;
    EXPECT_TRUE(doc.FindDomainType("二次模型标准定义包3", type));
    EXPECT_TRUE(doc.CreateDomain("kiln.std#", type, "kiln.std#", true)) << doc.LastError();
    EXPECT_TRUE(doc.CreateResource("kiln.std#", "sec:TypePackage", stdPackage, "IEC61850"));
    doc.SetAttribute(stdPackage, "sec:TypePackage.ref", kStdTypePackageRef);
    doc.SetAttribute(stdPackage, "sec:TypePackage.isInstType", "false");
    for (const char* name : {"LLN0", "LPHD", "PTOC", "GGIO"}) {
        URI_Ref t;
        EXPECT_TRUE(doc.CreateResource("kiln.std#", "sec:LNodeType", t, name));
        doc.SetAttribute(t, "sec:LNodeType.isInstType", "false");
        EXPECT_TRUE(doc.AddLink(t, "sec:LNodeType.TypePackage", stdPackage)) << doc.LastError();
    }
    EXPECT_TRUE(app.Msg_OnOpenDocument());
    app.Mtd_CreateStandardViews();
    app.Mtd_AddView(kGraphicsView, ViewClass_Graphics);
    app.Mtd_AddView(kKind0View, 0);
    app.Mtd_AddView(kKind4View, 4);
    EXPECT_TRUE(BuildEveryClass(app, ui, m));
    ui.VerifyAllAnswered();
    ui.ClearCalls();
    ui.SetCursorPos(300, 200);
}

std::vector<std::string> MenuTest::Menu(const char* view, const URI_Ref& rsc, const CString& label,
                                        bool expectShown, const URI_Ref& rsc2) {
    std::vector<std::string> items;
    CBase_Cmd* pView = View(view);
    EXPECT_NE(pView, nullptr) << view;
    ui.ClearCalls();
    if (expectShown) ui.AnswerMenuDismiss();
    try {
        app.ShortMenu(pView, rsc, rsc2, label);
    } catch (const CUiScriptError&) {
        // Already a test failure: a popup that was not expected.
    }
    ui.VerifyAllAnswered();
    const Struct_UiCall* popup = ui.LastOf(Enum_UiCall::PopupMenu);
    if (!popup) return items;
    for (const auto& [text, command] : popup->vList.vPairs)
        items.push_back(text.IsEmpty() && command.IsEmpty() ? std::string("----") : text.str() + "|" + command.str());
    return items;
}

std::vector<std::string> MenuTest::Commands(const char* view, const URI_Ref& rsc, const CString& label) {
    std::vector<std::string> commands;
    for (const std::string& item : Menu(view, rsc, label))
        commands.push_back(item == "----" ? item : item.substr(item.find('|') + 1));
    return commands;
}

}  // namespace kiln::test
