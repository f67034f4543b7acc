// The scripted double: answers taken in order and checked against the
// question, every call recorded, and no question passing unanswered.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/file_dialog.h"
#include "platform/ui/scripted_ui.h"
#include "platform/ui/ui_functions.h"

namespace {

// A double whose failures are collected instead of failing the test, for
// the cases that check the failures themselves.
struct CollectingUi : CScriptedUi {
    std::vector<std::string> seen;
    CollectingUi() {
        SetFailureHandler([this](const std::string& f) { seen.push_back(f); });
    }
};

Struct_EditPack ChoicePack() {
    Struct_EditPack pack;
    pack.nEditKind = 7;
    pack.Add_ListItem("LLN0 (LN类)", "urn:x#LN1");
    pack.Add_ListItem("PTOC", "urn:x#LN2");
    return pack;
}

}  // namespace

TEST(ScriptedUi, AnswersAreTakenInOrderAndEveryCallIsRecorded) {
    CScriptedUi ui;
    ui.AnswerYes("删除").AnswerInput("abc").AnswerButton(1).AnswerNo();

    EXPECT_EQ(IDYES, _AfxMessageBox("确实要删除“X”吗？", MB_YESNO, "$?$删除确认"));
    CString value = "init";
    EXPECT_TRUE(Ui_Current().InputBox("名称：", value, nullptr, false));
    EXPECT_EQ(CString("abc"), value);
    Struct_Pairs buttons;
    buttons.Add("A", "");
    buttons.Add("B", "");
    EXPECT_EQ(1, Ui_Current().ButtonChoice("", "哪一个？", buttons, 0));
    Ui_Current().StatusText("进行中");
    EXPECT_EQ(IDNO, _AfxMessageBox("是否在IED范围", MB_YESNO));

    ASSERT_EQ(5u, ui.Calls().size());
    const Struct_UiCall& box = ui.Calls()[0];
    EXPECT_EQ(Enum_UiCall::FrameworkMessageBox, box.kind);
    EXPECT_EQ(CString("确实要删除“X”吗？"), box.sText);
    EXPECT_EQ(CString("$?$删除确认"), box.sCaption);
    EXPECT_EQ(MB_YESNO, box.nType);
    EXPECT_EQ(IDYES, box.nAnswer);
    EXPECT_EQ(CString("名称："), ui.Calls()[1].sText);
    EXPECT_EQ(CString("init"), ui.Calls()[1].sValue);
    EXPECT_EQ(-1, ui.Calls()[1].nEditKind);  // no edit pack
    EXPECT_EQ(CString("B"), ui.Calls()[2].sAnswer);
    EXPECT_EQ(Enum_UiCall::StatusText, ui.Calls()[3].kind);
    EXPECT_EQ(0u, ui.PendingAnswers());
}

TEST(ScriptedUi, NoticesNeedNoAnswerAndLeaveTheQueueAlone) {
    CScriptedUi ui;
    ui.AnswerYes();
    EXPECT_EQ(IDOK, _AfxMessageBox("导入成功!"));
    EXPECT_EQ(IDOK, AfxMessageBox("存在M2I映射,不能删除IED"));
    EXPECT_EQ(IDYES, _AfxMessageBox("是否查看报告？", MB_YESNO, "$?$导入完成"));
    EXPECT_EQ((std::vector<CString>{"导入成功!", "存在M2I映射,不能删除IED", "是否查看报告？"}), ui.Messages());
}

TEST(ScriptedUi, ViewNoticesAndTheWaitCursorAreRecordedWithTheirFields) {
    CScriptedUi ui;
    const URI_Ref ied("DOM#IED_1", "sec:IED");
    Ui_Current().AllViewsRefresh("", ied, 3);
    Ui_Current().AllViewsLocate("Tree", ied, 0);
    Ui_Current().ViewRefresh("Html", 2);
    Ui_Current().ViewShow("Html", ied, "IED_1", "#LD1", 5);
    Ui_Current().CommonMenu("Tree", ied);
    Ui_Current().WaitCursor(true);
    Ui_Current().WaitCursor(true);
    Ui_Current().WaitCursor(false);

    ASSERT_EQ(8u, ui.Calls().size());
    const Struct_UiCall& refresh = ui.Calls()[0];
    EXPECT_EQ(Enum_UiCall::AllViewsRefresh, refresh.kind);
    EXPECT_TRUE(refresh.sCaption.IsEmpty());
    EXPECT_EQ(ied, refresh.uRsc);
    EXPECT_EQ(3u, refresh.nType);
    const Struct_UiCall& locate = ui.Calls()[1];
    EXPECT_EQ(Enum_UiCall::AllViewsLocate, locate.kind);
    EXPECT_EQ(CString("Tree"), locate.sCaption);
    EXPECT_EQ(Enum_UiCall::ViewRefresh, ui.Calls()[2].kind);
    EXPECT_EQ(2u, ui.Calls()[2].nType);
    EXPECT_TRUE(ui.Calls()[2].uRsc.IsEmpty());
    const Struct_UiCall& show = *ui.LastOf(Enum_UiCall::ViewShow);
    EXPECT_EQ(CString("Html"), show.sCaption);
    EXPECT_EQ(ied, show.uRsc);
    EXPECT_EQ(CString("IED_1"), show.sValue);
    EXPECT_EQ(CString("#LD1"), show.sText);
    EXPECT_EQ(5u, show.nType);
    EXPECT_EQ(CString("Tree"), ui.LastOf(Enum_UiCall::CommonMenu)->sCaption);
    EXPECT_EQ(ied, ui.LastOf(Enum_UiCall::CommonMenu)->uRsc);
    EXPECT_EQ(1, ui.WaitCursorDepth());
    EXPECT_EQ(2, ui.CountOf(Enum_UiCall::WaitCursorBegin));
}

TEST(ScriptedUi, FrameworkAndClassLibraryMessageBoxesAreToldApart) {
    CScriptedUi ui;
    ui.AnswerCancel();
    _AfxMessageBox("框架");
    AfxMessageBox("类库");
    EXPECT_EQ(IDCANCEL, AfxMessageBox("类库问题", MB_YESNOCANCEL));
    ASSERT_EQ(1, ui.CountOf(Enum_UiCall::FrameworkMessageBox));
    ASSERT_EQ(2, ui.CountOf(Enum_UiCall::LibraryMessageBox));
    EXPECT_EQ(CString("框架"), ui.LastOf(Enum_UiCall::FrameworkMessageBox)->sText);
    EXPECT_EQ(CString("类库问题"), ui.LastOf(Enum_UiCall::LibraryMessageBox)->sText);
}

TEST(ScriptedUi, AnUnscriptedQuestionFailsWithItsText) {
    CollectingUi ui;
    try {
        _AfxMessageBox("是否由M2I生成DOI DAI", MB_YESNO);
        ADD_FAILURE() << "the question was answered";
    } catch (const CUiScriptError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("是否由M2I生成DOI DAI"));
    }
    ASSERT_EQ(1u, ui.seen.size());
    EXPECT_NE(std::string::npos, ui.seen[0].find("是否由M2I生成DOI DAI"));
    EXPECT_NE(std::string::npos, ui.seen[0].find("no answer"));
    // The question is in the record too.
    EXPECT_EQ(CString("是否由M2I生成DOI DAI"), ui.LastOf(Enum_UiCall::FrameworkMessageBox)->sText);
    ui.TakeFailures();
}

TEST(ScriptedUi, ByDefaultAFailureFailsTheTestEvenWhenTheErrorIsSwallowed) {
    EXPECT_NONFATAL_FAILURE(
        {
            CScriptedUi ui;
            try {
                _AfxMessageBox("未回答的问题", MB_YESNO);
            } catch (...) {
            }
        },
        "未回答的问题");
    EXPECT_NONFATAL_FAILURE({ CScriptedUi ui; ui.AnswerNo("多余的回答"); }, "多余的回答");
}

TEST(ScriptedUi, AnAnswerThatDoesNotFitTheQuestionFails) {
    CollectingUi ui;
    CString value;
    ui.AnswerYes();
    EXPECT_THROW(Ui_Current().InputBox("请选择：", value, nullptr, false), CUiScriptError);
    ASSERT_EQ(1u, ui.seen.size());
    EXPECT_NE(std::string::npos, ui.seen.back().find("请选择："));
    EXPECT_NE(std::string::npos, ui.seen.back().find("message box"));

    ui.AnswerMessageBox(IDYES);  // the box offers OK and Cancel only
    EXPECT_THROW(_AfxMessageBox("继续？", MB_OKCANCEL), CUiScriptError);
    EXPECT_EQ(2u, ui.seen.size());

    ui.AnswerYes("删除确认");  // a yes meant for another question
    EXPECT_THROW(_AfxMessageBox("创建缺省值？", MB_YESNO, "$?$创建缺省值？"), CUiScriptError);
    EXPECT_NE(std::string::npos, ui.seen.back().find("删除确认"));

    Struct_Pairs two;
    two.Add("A", "");
    two.Add("B", "");
    ui.AnswerButton(2);
    EXPECT_THROW(Ui_Current().ButtonChoice("", "q", two, 0), CUiScriptError);
    EXPECT_EQ(4u, ui.TakeFailures().size());
    EXPECT_EQ(0u, ui.PendingAnswers());
}

TEST(ScriptedUi, AnswersLeftOverAreFailures) {
    std::vector<std::string> seen;
    {
        CScriptedUi ui;
        ui.SetFailureHandler([&seen](const std::string& f) { seen.push_back(f); });
        ui.AnswerInput("never asked", "选择逻辑节点类型：");
    }
    ASSERT_EQ(1u, seen.size());
    EXPECT_NE(std::string::npos, seen[0].find("never asked"));
    EXPECT_NE(std::string::npos, seen[0].find("选择逻辑节点类型："));
}

TEST(ScriptedUi, InputBoxAnswersByTextByChoiceKeepAndCancel) {
    CollectingUi ui;
    Struct_EditPack pack = ChoicePack();
    ui.AnswerInputChoice("PTOC").AnswerInputKeep().AnswerInputCancel().AnswerInputChoice("XCBR");

    CString value = "ST";
    EXPECT_TRUE(Ui_Current().InputBox("选择逻辑节点类型：", value, &pack, false));
    EXPECT_EQ(CString("urn:x#LN2"), value);  // the value of the entry, not its text
    const Struct_UiCall& call = *ui.LastOf(Enum_UiCall::InputBox);
    EXPECT_EQ(7, call.nEditKind);
    EXPECT_EQ(2, call.vList.GetSize());
    EXPECT_EQ(CString("LLN0 (LN类)"), call.vList.vPairs[0].first);

    value = "ST";
    EXPECT_TRUE(Ui_Current().InputBox("请选择：", value, &pack, false));
    EXPECT_EQ(CString("ST"), value);
    EXPECT_FALSE(Ui_Current().InputBox("请选择：", value, &pack, false));
    EXPECT_EQ(CString("ST"), value);
    EXPECT_THROW(Ui_Current().InputBox("请选择：", value, &pack, false), CUiScriptError);
    EXPECT_NE(std::string::npos, ui.seen.back().find("XCBR"));
    ui.TakeFailures();
}

TEST(ScriptedUi, ButtonAndPickAnswersMustNameWhatTheBoxOffers) {
    CollectingUi ui;
    Struct_Pairs buttons;
    buttons.Add("复制必选成员", "");
    buttons.Add("不复制任何成员", "");
    Struct_Pairs rows;
    rows.Add("zel_INC", "urn:x#T1");
    rows.Add("zel_SPS", "urn:x#T2");
    ui.AnswerButtonText("不复制任何成员").AnswerButtonClose().AnswerPick("urn:x#T2").AnswerPickText("zel_INC");
    ui.AnswerPickCancel().AnswerPick("urn:x#T9");

    EXPECT_EQ(1, Ui_Current().ButtonChoice("", "请选择新建成员的范围：", buttons, 0));
    EXPECT_EQ(-1, Ui_Current().ButtonChoice("", "请选择新建成员的范围：", buttons, 0));
    EXPECT_EQ(1, Ui_Current().PickResource("选择GGIO其它DO使用的DOType:", rows, -1));
    EXPECT_EQ(0, Ui_Current().PickResource("p", rows, 1));
    EXPECT_EQ(-1, Ui_Current().PickResource("p", rows, 1));
    EXPECT_THROW(Ui_Current().PickResource("p", rows, 1), CUiScriptError);
    EXPECT_EQ(CString("urn:x#T2"), ui.CallsOf(Enum_UiCall::PickResource)[0].sAnswer);
    ui.TakeFailures();
}

TEST(ScriptedUi, FileDialogsAreAnsweredByKind) {
    CollectingUi ui;
    ui.AnswerOpenFile("/data/dev.icd").AnswerFileCancel().AnswerFileCancel().AnswerOpenFile("/x.icd");

    CFileDialog open(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ENABLESIZING, "ICD文件|*.icd|ICD-XML文件|*.icd.xml||");
    ASSERT_EQ(IDOK, open.DoModal());
    EXPECT_EQ(CString("/data/dev.icd"), open.GetPathName());
    EXPECT_STREQ("/data/dev.icd", open.m_ofn.lpstrFile);
    EXPECT_EQ(CString("dev.icd"), open.GetFileName());
    EXPECT_EQ(CString("icd"), open.GetFileExt());
    EXPECT_EQ(CString("dev"), open.GetFileTitle());
    const Struct_UiCall& call = *ui.LastOf(Enum_UiCall::OpenFile);
    EXPECT_EQ(CString("ICD文件|*.icd|ICD-XML文件|*.icd.xml||"), call.sText);
    EXPECT_EQ(OFN_HIDEREADONLY | OFN_ENABLESIZING, call.nType);

    CFileDialog open2(TRUE);
    EXPECT_EQ(IDCANCEL, open2.DoModal());
    EXPECT_TRUE(open2.GetPathName().IsEmpty());
    CFileDialog save(FALSE, "icd", "Prot_Ver2_Rev5", 6, "*.icd");
    EXPECT_EQ(IDCANCEL, save.DoModal());
    EXPECT_EQ(CString("Prot_Ver2_Rev5"), ui.LastOf(Enum_UiCall::SaveFile)->sValue);
    // An answer for an open dialog does not answer a save dialog.
    CFileDialog save2(FALSE, "Type", "Pkg", 6, "*.Type");
    EXPECT_THROW(save2.DoModal(), CUiScriptError);
    // A path splits at its last slash and last point; a backslash belongs
    // to the name.
    ui.AnswerOpenFile("/vp/a\\Prot.v2.icd");
    CFileDialog open3(TRUE);
    ASSERT_EQ(IDOK, open3.DoModal());
    EXPECT_EQ(CString("a\\Prot.v2.icd"), open3.GetFileName());
    EXPECT_EQ(CString("icd"), open3.GetFileExt());
    EXPECT_EQ(CString("a\\Prot.v2"), open3.GetFileTitle());
    ui.TakeFailures();
    ui.VerifyAllAnswered();
    ui.TakeFailures();
}

TEST(ScriptedUi, PopupMenusAreAnsweredByCommandOrText) {
    CollectingUi ui;
    Struct_UiMenu menu;
    menu.x = 99;
    menu.y = 20;
    menu.vItems.push_back({0x8000, MF_STRING, "增加 LN", "ICD:Add LNode", {}});
    menu.vItems.push_back({0, MF_SEPARATOR, "", "", {}});
    menu.vItems.push_back({0x8001, MF_STRING, "删除 LDevice", "ICD:Delete", {}});
    ui.AnswerMenuCommand("ICD:Delete").AnswerMenuText("增加 LN").AnswerMenuDismiss().AnswerMenuCommand("ICD:Nope");

    EXPECT_EQ(0x8001u, Ui_Current().TrackPopupMenu(menu));
    EXPECT_EQ(0x8000u, Ui_Current().TrackPopupMenu(menu));
    EXPECT_EQ(0u, Ui_Current().TrackPopupMenu(menu));
    EXPECT_THROW(Ui_Current().TrackPopupMenu(menu), CUiScriptError);
    // The failure lists what the menu offered.
    EXPECT_NE(std::string::npos, ui.seen.back().find("ICD:Add LNode"));
    const Struct_UiCall first = ui.CallsOf(Enum_UiCall::PopupMenu)[0];
    EXPECT_EQ(99, first.x);
    EXPECT_EQ(CString("ICD:Delete"), first.sAnswer);
    EXPECT_EQ(3, first.vList.GetSize());
    ui.TakeFailures();
}

TEST(ScriptedUi, ModalDialogsGetTheScriptedOutcome) {
    CScriptedUi ui;
    Struct_UiDialogAnswer answer;
    answer.nResult = IDOK;
    answer.vRanges.push_back({4, 0, 5, 8});
    answer.vRanges.push_back({1, 0, 1, 8});
    ui.AnswerDialog(answer, "CDlg_ICD_SimpleGrid");
    Struct_UiDialogAnswer got = Ui_Current().RunModal({"CDlg_ICD_SimpleGrid", "", {}});
    EXPECT_EQ(IDOK, got.nResult);
    ASSERT_EQ(2u, got.vRanges.size());
    EXPECT_EQ(5, got.vRanges[0].nLastRow);
    EXPECT_EQ(1, ui.CountOf(Enum_UiCall::ModalDialog));
}
