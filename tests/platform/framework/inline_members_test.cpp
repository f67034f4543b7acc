// The small members of the framework's headers: the VP saver's refusal,
// the graphics settings' defaults, the copy rules of the drawer file and of
// the automation wrappers, and the BSTR conversion.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/framework/color_cfg.h"
#include "platform/framework/drawer_file.h"
#include "platform/framework/graphics_wrappers.h"
#include "platform/framework/html_ctrl.h"
#include "platform/framework/save_vp.h"
#include "platform/framework/vg_show_cfg.h"
#include "platform/framework/xml_cim_ep.h"
#include "platform/ui/scripted_ui.h"

namespace {

// An automation object that counts its references.
struct CountedDispatch : IDispatch {
    int refs = 1;
    unsigned long AddRef() override { return static_cast<unsigned long>(++refs); }
    unsigned long Release() override { return static_cast<unsigned long>(--refs); }
};

}  // namespace

TEST(SaveVp, IncompleteInformationIsRefusedWithTheMessageAndNothingStored) {
    CScriptedUi ui;
    CSave_VP vp;
    EXPECT_FALSE(vp.SetVPInfo("厂家", "", "型号", "版本"));
    ASSERT_EQ(1u, ui.Messages().size());
    const Struct_UiCall* box = ui.LastOf(Enum_UiCall::FrameworkMessageBox);
    EXPECT_EQ(CString("初始化CSave_VP对象失败（传入参数不全）！"), box->sText);
    EXPECT_EQ(MB_OK, box->nType);
    EXPECT_TRUE(box->sCaption.IsEmpty());
    EXPECT_TRUE(vp.m_strVPInfo1.IsEmpty());
    EXPECT_TRUE(vp.m_strVPInfo3.IsEmpty());

    EXPECT_TRUE(vp.SetVPInfo("厂家", "装置", "型号", "版本"));
    EXPECT_EQ(CString("型号"), vp.m_strVPInfo3);
    EXPECT_EQ(1u, ui.Messages().size());
}

TEST(SaveVp, InitSucceedsOnlyWithCompleteInformationAndAPath) {
    CScriptedUi ui;
    CSave_VP vp;
    EXPECT_FALSE(vp.Init("a", "b", "c", "d"));  // no VP path yet
    EXPECT_TRUE(vp.SetVPPath("/vp/dev.vp"));
    EXPECT_TRUE(vp.Init("a", "b", "c", "d"));
    EXPECT_FALSE(vp.Init("a", "b", "c", ""));
    EXPECT_EQ(1u, ui.Messages().size());
}

TEST(VgShowCfg, DefaultsAndCopies) {
    Struct_VGShowCfg cfg;
    EXPECT_DOUBLE_EQ(36.0, cfg.dValue1);
    EXPECT_DOUBLE_EQ(13.0, cfg.dValue2);
    EXPECT_TRUE(cfg.sText1.IsEmpty());
    EXPECT_EQ(CString("255,0,0"), cfg.sColor1);
    EXPECT_EQ(CString("7"), cfg.sText2);
    EXPECT_EQ(CString("140,140,140"), cfg.sColor2);
    EXPECT_EQ(CString("12"), cfg.sText3);
    EXPECT_EQ(100, cfg.nValue);
    EXPECT_DOUBLE_EQ(0.0, cfg.dValue3);
    EXPECT_DOUBLE_EQ(0.0, cfg.dValue4);
    EXPECT_TRUE(cfg.uRsc.IsEmpty());

    cfg.sColor1 = "0,0,255";
    cfg.uRsc = URI_Ref("urn:d#IED1", "sec:IED");
    Struct_VGShowCfg copy(cfg);
    EXPECT_EQ(CString("0,0,255"), copy.sColor1);
    EXPECT_EQ(CString("sec:IED"), CString(copy.uRsc.sClass));
}

TEST(DrawerFile, ACopyKeepsOnlyTheLastTextAndIsClosed) {
    CDrawerFile src;
    src.m_mapEntries["a"] = "b";
    src.m_strDrawerPath = "/d/drawer";
    src.m_strDomain = "x#";
    src.m_nState = 7;
    src.m_strKey = "KEY-1";
    char path[] = "/tmp/kiln_drawer_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(src.Open(path, CFile::modeReadWrite));

    CDrawerFile copy(src);
    EXPECT_FALSE(copy.IsOpen());
    EXPECT_TRUE(copy.m_mapEntries.empty());
    EXPECT_TRUE(copy.m_strDrawerPath.IsEmpty());
    EXPECT_TRUE(copy.m_strDomain.IsEmpty());
    EXPECT_EQ(0u, copy.m_nState);
    EXPECT_EQ(CString("KEY-1"), copy.m_strKey);
    EXPECT_TRUE(src.IsOpen());
    src.Close();
    std::remove(path);
}

TEST(ColorCfg, CopiesCarryEveryColourAndValue) {
    CBase_ColorCfg cfg;
    cfg.m_vColors.push_back({"Unknown", 0x808080});
    cfg.m_vColors.push_back({"Alarm", 0x0000FF});
    cfg.m_nValue5 = 9;
    CBase_ColorCfg copy;
    copy = cfg;
    cfg.m_vColors[1].nColor = 1;
    EXPECT_EQ(0x0000FFu, copy.Get_Color_ByName("Alarm"));
    EXPECT_EQ(9u, copy.m_nValue5);
    EXPECT_EQ(5u, copy.Get_Color_ByName("none", 5));
}

TEST(DispatchWrappers, CopiesShareTheObjectWithAReferenceOfTheirOwn) {
    CountedDispatch obj;
    {
        CLine line(&obj);  // takes over the caller's reference
        EXPECT_EQ(1, obj.refs);
        {
            CLine copy(line);
            EXPECT_EQ(2, obj.refs);
            CShape other;
            CShape shape(&obj);
            obj.AddRef();  // the reference CShape took over
            other = shape;
            EXPECT_EQ(4, obj.refs);
            other = other;  // self-assignment keeps the count
            EXPECT_EQ(4, obj.refs);
        }
        EXPECT_EQ(1, obj.refs);
        EXPECT_EQ(&obj, line.m_lpDispatch);
    }
    EXPECT_EQ(0, obj.refs);
}

TEST(GraphicsControl, CreatePassesItsArgumentsToTheControlWindow) {
    Cvgctrl ctrl;
    CWnd parent;
    RECT rect{0, 0, 640, 480};
    EXPECT_EQ(nullptr, ctrl.GetSafeHwnd());
    ASSERT_TRUE(ctrl.Create("VG", 0x50000000, rect, &parent, 4001, nullptr, TRUE, "key"));
    EXPECT_NE(nullptr, ctrl.GetSafeHwnd());
    EXPECT_TRUE(ctrl.m_ctrlClsid == Cvgctrl::GetClsid());
    EXPECT_EQ(CString("VG"), ctrl.m_strWindowName);
    EXPECT_EQ(&parent, ctrl.m_pParent);
    EXPECT_EQ(4001u, ctrl.m_nCtrlID);
    EXPECT_EQ(TRUE, ctrl.m_bStorage);
    EXPECT_EQ(CString("key"), ctrl.m_strLicKey);

    Cvgctrl plain;
    ASSERT_TRUE(plain.Create("Class", "VG2", 0, rect, &parent, 4002, nullptr));
    EXPECT_EQ(FALSE, plain.m_bStorage);
    EXPECT_TRUE(plain.m_strLicKey.IsEmpty());
}

TEST(HtmlMembers, Bstr2CStringEmptiesThenConverts) {
    CString text = "old";
    CHtmlEditCtrl2::BSTR2CString(nullptr, text);
    EXPECT_TRUE(text.IsEmpty());

    BSTR s = SysAllocString(u"逻辑节点LN0\U0001F600");
    CHtmlEditCtrl2::BSTR2CString(s, text);
    EXPECT_EQ(CString("逻辑节点LN0\U0001F600"), text);
    SysFreeString(s);

    std::u16string broken = u"a";
    broken += static_cast<char16_t>(0xD800);  // a lone high surrogate
    broken += u"b";
    s = SysAllocString(broken);
    CHtmlEditCtrl2::BSTR2CString(s, text);
    EXPECT_EQ(CString("a\xEF\xBF\xBD" "b"), text);
    SysFreeString(s);

    CCmdUI cmdUI;
    CBase_Html html;
    html.OnUpdateXSLTFilesText(&cmdUI);
    EXPECT_TRUE(cmdUI.m_bEnabled);
}

TEST(CimEp, ACopySharesTheLoadedDocument) {
    CXML_Cim_Ep ep;
    XmlNode root = ep.AddNewNode_withAttr(ep.GetDocument(), "EP", "");
    ASSERT_FALSE(root.IsNull());
    CXML_Cim_Ep copy(ep);
    CXML_Cim_Ep assigned;
    assigned = copy;
    ep.Write_NodeValueString(root, "@ver", "2");
    CString v;
    EXPECT_TRUE(CBase_XML::Get_NodeText(assigned.GetDocumentElement(), "@ver", v));
    EXPECT_EQ(CString("2"), v);
}
