// The context menus through the kiln program: a workspace whose document
// holds a resource of every class (made here with the creators), and a
// script that right-clicks each of them, and empty space, in every view the
// host has. The transcript must equal tests/views/menus_end_to_end.golden
// (KILN_UPDATE_GOLDEN=1 writes it instead; it must then be reviewed).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/host/kiln_program.h"

#include "tests/views/every_class.h"

using namespace kiln::test;
namespace fs = std::filesystem;

namespace {

class MenusEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(fs::path(KILN_SOURCE_DIR) / "domains" / "IEC61850_std.xml"))
            GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
        m_dir = fs::temp_directory_path() / ("kiln_menus_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        auto [status, out] = RunKiln("init '" + (m_dir / "ws").string() + "'");
        ASSERT_EQ(status, 0) << out;
    }
    void TearDown() override {
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }

    fs::path m_dir;
};

// The resources the script right-clicks, by what it prints before each.
struct Target {
    const char* title;
    URI_Ref EveryClass::*rsc;
};
const Target kTargets[] = {
    {"sec:ProductPackage", &EveryClass::productPackage},
    {"sec:Product", &EveryClass::product},
    {"sec:ProductVer", &EveryClass::productVer},
    {"sec:TypePackage, declaration package", &EveryClass::declPackage},
    {"sec:TypePackage, product package without ICD", &EveryClass::freePackage},
    {"sec:TypePackage, package of an ICD", &EveryClass::icdPackage},
    {"sec:ICD", &EveryClass::icd},
    {"sec:LNodeType, product type of the ICD", &EveryClass::lnTypeInst},
    {"sec:LNodeType, product type without ICD", &EveryClass::lnTypeFree},
    {"sec:LNodeType, declaration", &EveryClass::lnTypeDecl},
    {"sec:DOType, product type", &EveryClass::doTypeInst},
    {"sec:DOType, declaration", &EveryClass::doTypeDecl},
    {"sec:DAType, product type", &EveryClass::daTypeInst},
    {"sec:DAType, declaration", &EveryClass::daTypeDecl},
    {"sec:EnumType", &EveryClass::enumType},
    {"sec:EnumVal", &EveryClass::enumVal},
    {"sec:DOSemantic", &EveryClass::doSemantic},
    {"sec:DASemantic", &EveryClass::daSemantic},
    {"sec:DO", &EveryClass::dataObject},
    {"sec:SDO", &EveryClass::subDataObject},
    {"sec:DA of a product DO type", &EveryClass::daOwnerInst},
    {"sec:DA, Enum", &EveryClass::daEnum},
    {"sec:BDA of a product DA type", &EveryClass::bdaOwnerInst},
    {"sec:BDA, BOOLEAN", &EveryClass::bdaBoolean},
    {"sec:Val", &EveryClass::valOfDA},
    {"sec:IED", &EveryClass::ied},
    {"sec:Server", &EveryClass::server},
    {"sec:SignalList", &EveryClass::signalList},
    {"sec:InSignal", &EveryClass::inSignal},
    {"sec:OutSignal", &EveryClass::outSignal},
    {"sec:LDevice", &EveryClass::ldevice},
    {"sec:LNode, LLN0", &EveryClass::lnLLN0},
    {"sec:LNode, GGIO", &EveryClass::lnGGIO},
    {"sec:LNode, LPHD", &EveryClass::lnLPHD},
    {"sec:DOI", &EveryClass::doi},
    {"sec:DAI", &EveryClass::dai},
    {"sec:ExtRef", &EveryClass::extRef},
    {"sec:SGCB", &EveryClass::sgcb},
    {"sec:SettingGroup", &EveryClass::settingGroup},
    {"sec:SettingData", &EveryClass::settingData},
    {"sec:Log", &EveryClass::log},
    {"sec:LCB", &EveryClass::lcb},
    {"sec:RCB", &EveryClass::rcb},
    {"sec:ClientLN", &EveryClass::clientLN},
    {"sec:DataSet", &EveryClass::dataSet},
    {"sec:FCDA", &EveryClass::fcda},
    {"sec:GSE", &EveryClass::gse},
    {"sec:SV", &EveryClass::sv},
    {"sec:ITB", &EveryClass::itb},
    {"sec:InfoGroup", &EveryClass::infoGroup},
    {"sec:InfoItem", &EveryClass::infoItem},
    {"sec:M2I", &EveryClass::m2i},
    {"sec:MapItem", &EveryClass::mapItem},
};

}  // namespace

TEST_F(MenusEndToEnd, EveryClassRightClickedInEveryView) {
    // The document of every class, made with the creators and saved.
    const fs::path docFolder = m_dir / "ws" / "document";
    EveryClass m;
    URI_Ref stdPackage;
    {
        CScriptedUi ui;
        CKiln_Main app;
        ASSERT_TRUE(app.m_Doc.Open(docFolder.string().c_str())) << app.LastDocError();
        ASSERT_TRUE(app.Msg_OnOpenDocument());
        stdPackage = app.m_uStdTypePackage;
        ASSERT_TRUE(BuildEveryClass(app, ui, m));
        ASSERT_TRUE(app.m_Doc.Save(docFolder.string().c_str())) << app.LastDocError();
    }

    std::ostringstream script;
    for (const char* view : {"TreeView_User", "TreeView_Preset", "TreeView_ICDPreset", "TreeView_ICDPreset2",
                             "TreeView_Manager"}) {
        script << "view " << view << "\necho \"== " << view << ": empty space\"\nselect\nrclick\n";
        script << "echo \"== " << view << ": the standard package\"\nselect-uri " << stdPackage.sUri << "\nrclick\n";
        for (const Target& t : kTargets)
            script << "echo \"== " << view << ": " << t.title << "\"\nselect-uri " << (m.*t.rsc).sUri << "\nrclick\n";
        // The framework's own menu, on a domain type.
        if (std::string(view) == "TreeView_Manager")
            script << "echo \"== " << view << ": a domain type\"\nselect 二次模型数据类型包\nrclick\n";
    }
    // A property view right-clicks the page it shows (none here).
    for (const char* view : {"超文本视图1", "超文本视图2"}) script << "view " << view << "\nrclick\n";
    const fs::path scriptFile = m_dir / "menus.kiln";
    std::ofstream(scriptFile, std::ios::binary) << script.str();

    auto [status, transcript] = RunKiln("run '" + (m_dir / "ws").string() + "' '" + scriptFile.string() + "'");
    EXPECT_EQ(status, 0) << transcript;
    // The workspace's folder differs from run to run.
    for (size_t at; (at = transcript.find(m_dir.string())) != std::string::npos;)
        transcript.replace(at, m_dir.string().size(), "WORK");

    const fs::path golden = fs::path(KILN_SOURCE_DIR) / "tests" / "views" / "menus_end_to_end.golden";
    if (std::getenv("KILN_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << transcript;
        GTEST_SKIP() << "wrote " << golden;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_EQ(transcript, ReadAll(golden));
}
