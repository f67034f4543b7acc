// The module entry point, called in the process that links the module.
#include <gtest/gtest.h>

#include "core/module.h"

namespace {

TEST(ModuleEntry, AttachLinksTheProductDialogAndDetachUnlinksIt) {
    ASSERT_EQ(AfxFindDialogTemplate(2001), nullptr);
    ASSERT_EQ(KilnModule_Entry(DLL_PROCESS_ATTACH), 1);

    const CDialogTemplate* dlg = AfxFindDialogTemplate(2001);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->sCaption, "设置厂家及产品类型");
    EXPECT_EQ(dlg->sFontFace, "MS Shell Dlg");
    EXPECT_EQ(dlg->nFontSize, 8);
    EXPECT_EQ(dlg->cx, 193);
    EXPECT_EQ(dlg->cy, 66);
    const CDialogItemTemplate* packages = dlg->FindItem(2004);
    const CDialogItemTemplate* products = dlg->FindItem(2005);
    const CDialogItemTemplate* ok = dlg->FindItem(1);
    const CDialogItemTemplate* cancel = dlg->FindItem(2);
    ASSERT_TRUE(packages && products && ok && cancel);
    EXPECT_EQ(packages->sKind, "COMBOBOX");
    EXPECT_EQ(packages->x, 49);
    EXPECT_EQ(packages->y, 7);
    EXPECT_EQ(products->y, 24);
    EXPECT_EQ(ok->sKind, "DEFPUSHBUTTON");
    EXPECT_EQ(ok->sText, "确定");
    EXPECT_EQ(cancel->sText, "取消");
    ASSERT_EQ(dlg->vItems.size(), 6u);
    EXPECT_EQ(dlg->vItems[0].sText, "厂家");
    EXPECT_EQ(dlg->vItems[2].sText, "产品类型");

    // Thread attach and detach change nothing.
    EXPECT_EQ(KilnModule_Entry(DLL_THREAD_ATTACH), 1);
    EXPECT_EQ(KilnModule_Entry(DLL_THREAD_DETACH), 1);
    EXPECT_EQ(AfxFindDialogTemplate(2001), dlg);

    EXPECT_EQ(KilnModule_Entry(DLL_PROCESS_DETACH), 1);
    EXPECT_EQ(AfxFindDialogTemplate(2001), nullptr);
}

}  // namespace
