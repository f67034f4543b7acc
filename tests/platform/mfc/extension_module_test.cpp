#include "platform/mfc/extension_module.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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
    "END\n";

TEST(ResourceScript, ReadsQuotedTextsAndStyles) {
    std::vector<CDialogTemplate> dialogs;
    std::string error;
    ASSERT_TRUE(AfxParseResourceScript(kScript, dialogs, error)) << error;
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].sCaption, "标题 \"A\"");
    const CDialogItemTemplate* combo = dialogs[0].FindItem(7004);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->vStyles, (std::vector<CString>{"CBS_DROPDOWN", "CBS_SORT"}));
}

TEST(ResourceScript, RejectsMalformedScripts) {
    std::vector<CDialogTemplate> dialogs;
    std::string error;
    EXPECT_FALSE(AfxParseResourceScript("1 DIALOG 0, 0, 1, 1\nBEGIN\n", dialogs, error));
    EXPECT_NE(error.find("END missing"), std::string::npos);
    // a text control without its text
    EXPECT_FALSE(AfxParseResourceScript("1 DIALOG 0, 0, 1, 1\nBEGIN\nLTEXT 5, 1, 1, 1, 1\nEND\n", dialogs, error));
    EXPECT_NE(error.find("line 3"), std::string::npos);
    EXPECT_FALSE(AfxParseResourceScript("1 DIALOG 0, 0, 1, 1\nCAPTION \"abc\n", dialogs, error));
    EXPECT_FALSE(AfxParseResourceScript("1 DIALOG 0,0,1,1\nBEGIN\nEND\n1 DIALOG 0,0,1,1\nBEGIN\nEND\n", dialogs,
                                        error));
    EXPECT_TRUE(dialogs.empty());
}

TEST(ResourceScript, ModuleResourceFileSitsBesideTheModule) {
    EXPECT_EQ(AfxModuleResourceFile("/opt/kiln/libkiln_core.so"), "/opt/kiln/resources/kiln_core.rc");
    EXPECT_EQ(AfxModuleResourceFile("/opt/kiln/libkiln_core.so.1.2"), "/opt/kiln/resources/kiln_core.rc");
    EXPECT_EQ(AfxModuleResourceFile("plugin.so"), "resources/plugin.rc");
}

TEST(ExtensionModule, LaterModuleIsSearchedFirstAndTermUnlinksOnlyItsOwn) {
    // One folder per process: test runs of other build folders may run at the same time.
    const fs::path dir = fs::temp_directory_path() / ("kiln_extmod_chain_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "resources");
    const CString module((dir / "libdemo.so").string());
    auto write = [&](const std::string& text) {
        std::ofstream(dir / "resources" / "demo.rc", std::ios::binary) << text;
    };

    AFX_EXTENSION_MODULE first, second;
    write(kScript);
    ASSERT_TRUE(AfxInitExtensionModule(first, module));
    EXPECT_EQ(AfxFindDialogTemplate(7001), nullptr);  // initialised, not yet linked
    new CDynLinkLibrary(first);
    std::string other = kScript;
    const std::string caption = "CAPTION \"标题 \"\"A\"\"\"";
    other.replace(other.find(caption), caption.size(), "CAPTION \"second\"");
    write(other);
    ASSERT_TRUE(AfxInitExtensionModule(second, module));
    new CDynLinkLibrary(second);

    ASSERT_NE(AfxFindDialogTemplate(7001), nullptr);
    EXPECT_EQ(AfxFindDialogTemplate(7001)->sCaption, "second");
    AfxTermExtensionModule(second);
    ASSERT_NE(AfxFindDialogTemplate(7001), nullptr);
    EXPECT_EQ(AfxFindDialogTemplate(7001)->sCaption, "标题 \"A\"");
    AfxTermExtensionModule(first);
    EXPECT_EQ(AfxFindDialogTemplate(7001), nullptr);
    fs::remove_all(dir);
}

}  // namespace
