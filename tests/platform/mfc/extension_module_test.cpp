#include "platform/mfc/extension_module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const char* kScript =
    "// comment with a \"stray quote\n"
    "7001 DIALOG 0, 0, 100, 40\n"
    "STYLE DS_MODALFRAME | WS_CAPTION\n"
    "CAPTION \"标题 \"\"A\"\"\"\n"
    "FONT 8, \"MS Shell Dlg\"\n"
    "BEGIN\n"
    "    LTEXT \"厂家\", -1, 29, 7, 16, 8\n"
    "    COMBOBOX 7004, 49, 7, 104, 121, CBS_DROPDOWN | CBS_SORT\n"
    "    DEFPUSHBUTTON \"确定\", 1, 81, 45, 50, 14\n"
    "END\n";

// A module folder of its own for each test, removed afterwards.
class ExtensionModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kiln_extmod_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir / "resources");
        module = CString((dir / "libdemo.so").string());
    }
    void TearDown() override { fs::remove_all(dir); }
    void writeResources(const std::string& text) {
        std::ofstream(dir / "resources" / "demo.rc", std::ios::binary) << text;
    }
    fs::path dir;
    CString module;
};

}  // namespace

TEST(ResourceScript, ReadsDialogAndControls) {
    std::vector<CDialogTemplate> dialogs;
    std::string error;
    ASSERT_TRUE(AfxParseResourceScript(kScript, dialogs, error)) << error;
    ASSERT_EQ(dialogs.size(), 1u);
    const CDialogTemplate& d = dialogs[0];
    EXPECT_EQ(d.nID, 7001);
    EXPECT_EQ(d.cx, 100);
    EXPECT_EQ(d.cy, 40);
    EXPECT_EQ(d.sCaption, "标题 \"A\"");
    EXPECT_EQ(d.nFontSize, 8);
    EXPECT_EQ(d.sFontFace, "MS Shell Dlg");
    ASSERT_EQ(d.vItems.size(), 3u);
    EXPECT_EQ(d.vItems[0].sText, "厂家");
    EXPECT_EQ(d.vItems[0].nID, -1);
    const CDialogItemTemplate* combo = d.FindItem(7004);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->sKind, "COMBOBOX");
    EXPECT_EQ(combo->cy, 121);
    ASSERT_EQ(combo->vStyles.size(), 2u);
    EXPECT_EQ(combo->vStyles[1], "CBS_SORT");
    EXPECT_EQ(d.FindItem(1)->sText, "确定");
}

TEST(ResourceScript, RejectsMalformedScripts) {
    std::vector<CDialogTemplate> dialogs;
    std::string error;
    // END missing
    EXPECT_FALSE(AfxParseResourceScript("1 DIALOG 0, 0, 1, 1\nBEGIN\n", dialogs, error));
    EXPECT_NE(error.find("END missing"), std::string::npos);
    // a text control without its text
    EXPECT_FALSE(AfxParseResourceScript("1 DIALOG 0, 0, 1, 1\nBEGIN\nLTEXT 5, 1, 1, 1, 1\nEND\n", dialogs, error));
    EXPECT_NE(error.find("line 3"), std::string::npos);
    // an unterminated text
    EXPECT_FALSE(AfxParseResourceScript("1 DIALOG 0, 0, 1, 1\nCAPTION \"abc\n", dialogs, error));
    // a dialog defined twice
    EXPECT_FALSE(AfxParseResourceScript("1 DIALOG 0,0,1,1\nBEGIN\nEND\n1 DIALOG 0,0,1,1\nBEGIN\nEND\n", dialogs,
                                        error));
    EXPECT_TRUE(dialogs.empty());
}

TEST(ResourceScript, ModuleResourceFileSitsBesideTheModule) {
    EXPECT_EQ(AfxModuleResourceFile("/opt/kiln/libkiln_core.so"), "/opt/kiln/resources/kiln_core.rc");
    EXPECT_EQ(AfxModuleResourceFile("/opt/kiln/libkiln_core.so.1.2"), "/opt/kiln/resources/kiln_core.rc");
    EXPECT_EQ(AfxModuleResourceFile("plugin.so"), "resources/plugin.rc");
}

TEST_F(ExtensionModuleTest, LinkedModuleIsFoundUntilTerminated) {
    writeResources(kScript);
    AFX_EXTENSION_MODULE state;
    ASSERT_TRUE(AfxInitExtensionModule(state, module));
    EXPECT_EQ(AfxFindDialogTemplate(7001), nullptr);  // initialised, not yet linked
    new CDynLinkLibrary(state, false);
    const CDialogTemplate* d = AfxFindDialogTemplate(7001);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->sCaption, "标题 \"A\"");
    EXPECT_EQ(AfxFindDialogTemplate(7002), nullptr);
    AfxTermExtensionModule(state, false);
    EXPECT_EQ(AfxFindDialogTemplate(7001), nullptr);
    EXPECT_FALSE(state.bInitialized);
}

TEST_F(ExtensionModuleTest, MissingOrBrokenResourceFileFailsInitialisation) {
    AFX_EXTENSION_MODULE state;
    EXPECT_FALSE(AfxInitExtensionModule(state, module));  // no file yet
    EXPECT_FALSE(state.bInitialized);
    writeResources("7001 DIALOG 0, 0, 1, 1\nBEGIN\n");
    EXPECT_FALSE(AfxInitExtensionModule(state, module));
    EXPECT_TRUE(state.vDialogs.empty());
    writeResources(kScript);
    EXPECT_TRUE(AfxInitExtensionModule(state, module));
    EXPECT_EQ(state.vDialogs.size(), 1u);
    AfxTermExtensionModule(state);
}

TEST_F(ExtensionModuleTest, LaterModuleIsSearchedFirst) {
    writeResources(kScript);
    AFX_EXTENSION_MODULE first, second;
    ASSERT_TRUE(AfxInitExtensionModule(first, module));
    new CDynLinkLibrary(first);
    std::string other = kScript;
    const std::string caption = "CAPTION \"标题 \"\"A\"\"\"";
    other.replace(other.find(caption), caption.size(), "CAPTION \"second\"");
    writeResources(other);
    ASSERT_TRUE(AfxInitExtensionModule(second, module));
    new CDynLinkLibrary(second);
    ASSERT_NE(AfxFindDialogTemplate(7001), nullptr);
    EXPECT_EQ(AfxFindDialogTemplate(7001)->sCaption, "second");
    AfxTermExtensionModule(second);
    EXPECT_EQ(AfxFindDialogTemplate(7001)->sCaption, "标题 \"A\"");
    AfxTermExtensionModule(first);
    EXPECT_EQ(AfxFindDialogTemplate(7001), nullptr);
}
