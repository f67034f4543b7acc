// The ICD and type-package export commands: header values, the file dialog,
// the MICS file beside the ICD, messages, and nothing written or changed
// where the command fails.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "export/kiln_export.h"
#include "tests/export/export_fixture.h"
#include "tests/host/named_breaches.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

const char* kTemplateFault = "模板文件格式不正确, 导出不成功！";

class ExportCommandTest : public ExportTest {
protected:
    ExportCommandTest() : c(BuildCompleteIcd()) {}
    // Runs the ICD export answering No to the M2I question and the dialog with `file`.
    bool ExportIcd(const std::string& file) {
        ui.AnswerNo("是否由M2I生成DOI DAI").AnswerSaveFile(file.c_str());
        return app.Rsc_ICD_Export(c.icd, false);
    }
    CompleteIcd c;
};

TEST_F(ExportCommandTest, IcdHeaderDialogMicsFileAndMessage) {
    const std::string before = ModelText();
    ASSERT_TRUE(ExportIcd(Path("dev.icd")));

    const Struct_UiCall* dialog = ui.LastOf(Enum_UiCall::SaveFile);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->sValue, "Prot_Ver2_Rev5");
    EXPECT_EQ(dialog->sCaption, "icd");
    EXPECT_EQ(dialog->nType, 6u);
    EXPECT_EQ(dialog->sText, "*.icd");

    const pugi::xml_document& scl = LoadFile(Path("dev.icd"));
    EXPECT_STREQ(scl.child("SCL").attribute("xmlns:zScl").value(), kiln::exporter::kZsclNamespace);
    pugi::xml_node header = scl.child("SCL").child("Header");
    EXPECT_STREQ(header.attribute("id").value(), "Prot");
    EXPECT_STREQ(header.attribute("revision").value(), "5");
    EXPECT_STREQ(header.attribute("version").value(), "2");
    EXPECT_STREQ(header.attribute("toolID").value(), "Tessary 2007");
    EXPECT_STREQ(scl.child("SCL").child("IED").attribute("type").value(), "PCS-931");

    // The MICS file takes the chosen path with ".mics" and is named in the message.
    ASSERT_TRUE(fs::exists(Path("dev.mics")));
    EXPECT_STREQ(LoadFile(Path("dev.mics")).child("MICS").attribute("iedModel").value(), "Prot_Ver2_Rev5");
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"是否由M2I生成DOI DAI",
                                                   CString(Path("dev.icd").c_str()) + "模板文件与" +
                                                       Path("dev.mics").c_str() + "文件导出成功！"}));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::WaitCursorBegin), 1);  // from the file choice to the end
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
    EXPECT_EQ(ModelText(), before);
}

TEST_F(ExportCommandTest, HeaderIdAndRevisionFromTheName) {
    struct Row {
        const char* name;
        const char* id;
        const char* revision;
    };
    for (const Row& r : {Row{"Prot", "Prot", ""}, Row{"A_Rev2", "A_Rev2", "2"}, Row{"A_Ver1.0_Rev3", "A", "3"}}) {
        Set(c.icd, "cim:Naming.name", r.name);
        ASSERT_TRUE(ExportIcd(Path("h.icd"))) << r.name;
        pugi::xml_node header = LoadFile(Path("h.icd")).child("SCL").child("Header");
        EXPECT_STREQ(header.attribute("id").value(), r.id) << r.name;
        EXPECT_STREQ(header.attribute("revision").value(), r.revision) << r.name;
    }
}

TEST_F(ExportCommandTest, MicsPathReplacesOrAppendsTheExtension) {
    EXPECT_EQ(kiln::exporter::MicsPathFor("/out/dev.icd"), "/out/dev.mics");
    EXPECT_EQ(kiln::exporter::MicsPathFor("/out/dev"), "/out/dev.mics");
    EXPECT_EQ(kiln::exporter::MicsPathFor("/out.d/dev"), "/out.d/dev.mics");
    EXPECT_EQ(kiln::exporter::MicsPathFor("C:\\out.d\\dev.x.icd"), "C:\\out.d\\dev.x.mics");
    // An SCL file chosen with the MICS extension keeps what the export wrote.
    ASSERT_TRUE(ExportIcd(Path("dev.mics")));
    EXPECT_TRUE(LoadFile(Path("dev.mics")).child("SCL"));
    EXPECT_TRUE(LoadFile(Path("dev.mics.mics")).child("MICS"));
}

TEST_F(ExportCommandTest, CancelledDialogWritesAndShowsNothing) {
    ui.AnswerYes("是否由M2I生成DOI DAI").AnswerFileCancel();
    EXPECT_TRUE(app.Rsc_ICD_Export(c.icd, false));
    ui.AnswerFileCancel();
    EXPECT_TRUE(app.Rsc_TypePackage_Export(c.pkg));
    EXPECT_EQ(ui.Messages().size(), 1u);  // the M2I question only
    EXPECT_TRUE(fs::is_empty(ws + "/document"));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::WaitCursorBegin), 0);
}

TEST_F(ExportCommandTest, EmptyResourceFailsWithoutMessageAndABrokenTemplateIsNamedWithoutFile) {
    EXPECT_FALSE(app.Rsc_ICD_Export(URI_Ref(), false));
    EXPECT_FALSE(app.Rsc_TypePackage_Export(URI_Ref()));
    EXPECT_TRUE(ui.Calls().empty());

    struct Row {
        const char* file;
        std::string text;
    };
    for (const Row& r : {Row{"ICD_Template.xml", ""}, Row{"ICD_Template.xml", "<SCL><Header>"},
                         Row{"MICS_Template.xml", ""}, Row{"MICS_Template.xml", "not xml"}}) {
        const std::string keep = Path("keep");
        fs::copy_file(Path("Template/") + r.file, keep, fs::copy_options::overwrite_existing);
        SetTemplate(r.file, r.text);
        ui.ClearCalls();
        ui.AnswerNo();
        EXPECT_FALSE(app.Rsc_ICD_Export(c.icd, false)) << r.file << " " << r.text;
        const bool icdTemplate = std::string(r.file) == "ICD_Template.xml";
        if (icdTemplate) {
            EXPECT_FALSE(app.Rsc_TypePackage_Export(c.pkg));
        }
        EXPECT_EQ(ui.CountOf(Enum_UiCall::SaveFile), 0);
        // The question, then the template named with the reason (by each export).
        ASSERT_EQ(ui.Messages().size(), icdTemplate ? 3u : 2u);
        for (size_t i = 1; i < ui.Messages().size(); ++i)
            EXPECT_EQ(ui.Messages()[i].Find(CString(Path("document/../Template/").c_str()) + r.file +
                                            (r.text.empty() ? "模板文件不能读取, 导出不成功！\n"
                                                            : "模板文件格式不正确, 导出不成功！\n")),
                      0)
                << ui.Messages()[i];
        fs::copy_file(keep, Path("Template/") + r.file, fs::copy_options::overwrite_existing);
    }
}

TEST_F(ExportCommandTest, TemplateWithoutHeaderStillExports) {
    SetTemplate("ICD_Template.xml",
                "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><IED name=\"TEMPLATE\" type=\"\"><AccessPoint "
                "name=\"S1\"><Server/></AccessPoint></IED><DataTypeTemplates/></SCL>");
    ASSERT_TRUE(ExportIcd(Path("nh.icd")));
    const pugi::xml_document& scl = LoadFile(Path("nh.icd"));
    EXPECT_FALSE(scl.child("SCL").child("Header"));
    EXPECT_EQ(Select(scl, "/SCL/IED/AccessPoint/Server/LDevice/@inst"), std::vector<std::string>{"PROT"});
}

TEST_F(ExportCommandTest, TemplateWithoutPlacesShowsTheTemplateMessageAndSavesNothing) {
    const std::string tmpl = Path("document/../Template/ICD_Template.xml");
    for (const char* text :
         {"<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><Header id=\"\"/><DataTypeTemplates/></SCL>",
          "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><Header id=\"\"/><IED type=\"\"/><DataTypeTemplates/></SCL>",
          "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><Header id=\"\"/><IED type=\"\"><AccessPoint><Server/>"
          "</AccessPoint></IED></SCL>"}) {
        SetTemplate("ICD_Template.xml", text);
        ui.ClearCalls();
        EXPECT_FALSE(ExportIcd(Path("bad.icd"))) << text;
        EXPECT_EQ(ui.Messages().back(), CString(tmpl.c_str()) + kTemplateFault) << text;
        EXPECT_FALSE(fs::exists(Path("bad.icd")));
        EXPECT_FALSE(fs::exists(Path("bad.mics")));
    }
    // The type-package export needs DataTypeTemplates only.
    ui.ClearCalls();
    ui.AnswerSaveFile(Path("bad.Type").c_str());
    EXPECT_FALSE(app.Rsc_TypePackage_Export(c.pkg));
    EXPECT_EQ(ui.Messages().back(), CString(tmpl.c_str()) + kTemplateFault);
    EXPECT_FALSE(fs::exists(Path("bad.Type")));
}

TEST_F(ExportCommandTest, WriterFailureSavesNothing) {
    // A valued DAI whose path the value tree refuses ends the export.
    Set(c.daiModStVal, "cim:Naming.name", "a.[1]");
    const std::string before = ModelText();
    EXPECT_FALSE(ExportIcd(Path("w.icd")));
    EXPECT_EQ(ui.Messages().back(), CString(Path("document/../Template/ICD_Template.xml").c_str()) + kTemplateFault);
    EXPECT_FALSE(fs::exists(Path("w.icd")));
    EXPECT_FALSE(fs::exists(Path("w.mics")));
    EXPECT_EQ(ModelText(), before);
}

TEST_F(ExportCommandTest, QueryFailureAnywhereSavesNothing) {
    // A failure injected into each document read in turn: the export either
    // completes, or stops (before the dialog without a message, after it with
    // the template message) and leaves no file.
    const CString fault = CString(Path("document/../Template/ICD_Template.xml").c_str()) + kTemplateFault;
    const std::string before = ModelText();
    int failedAfterDialog = 0;
    for (int skip = 0; skip < 120; ++skip) {
        for (const char* file : {"q.icd", "q.mics", "q.Type"}) fs::remove(Path(file));
        for (bool bIcd : {true, false}) {
            CScriptedUi local;  // answers a run leaves unused are no failure here
            local.SetFailureHandler([](const std::string&) {});
            if (bIcd) local.AnswerNo();
            local.AnswerSaveFile(Path(bIcd ? "q.icd" : "q.Type").c_str());
            Doc().InjectFault("query", skip);
            const bool ok = bIcd ? app.Rsc_ICD_Export(c.icd, false) : app.Rsc_TypePackage_Export(c.pkg);
            Doc().ClearFault();
            EXPECT_EQ(fs::exists(Path(bIcd ? "q.icd" : "q.Type")), ok) << skip;
            const bool dialog = local.CountOf(Enum_UiCall::SaveFile) == 1;
            const std::vector<CString> shown = local.Messages();
            if (!ok && dialog) {
                ++failedAfterDialog;
                EXPECT_EQ(shown.back(), fault) << skip;
            }
            if (!ok && !dialog) {
                EXPECT_EQ(shown.size(), bIcd ? 1u : 0u) << skip;
            }
        }
    }
    EXPECT_GT(failedAfterDialog, 20);
    EXPECT_EQ(ModelText(), before);
}

TEST_F(ExportCommandTest, UnwritableTargetsShowTheCreateMessage) {
    const std::string noDir = Path("missing/dev.icd");
    EXPECT_FALSE(ExportIcd(noDir));
    EXPECT_EQ(ui.Messages().back(),
              CString("创建") + noDir.c_str() + "文件失败！\n不能写入文件" + noDir.c_str() + "：" + std::strerror(ENOENT));

    // The ICD file is written, the MICS file cannot be: its own message, and
    // the ICD's state.
    fs::create_directories(Path("dev.mics"));
    ui.ClearCalls();
    EXPECT_FALSE(ExportIcd(Path("dev.icd")));
    EXPECT_EQ(ui.Messages().back(), CString("创建") + Path("dev.mics").c_str() + "文件失败！\n" + Path("dev.mics").c_str() +
                                        "不是文件\n" + Path("dev.icd").c_str() + "已写入");
    EXPECT_TRUE(fs::exists(Path("dev.icd")));

    ui.ClearCalls();
    ui.AnswerSaveFile(Path("missing/p.Type").c_str());
    EXPECT_FALSE(app.Rsc_TypePackage_Export(c.pkg));
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{CString("创建") + Path("missing/p.Type").c_str() + "文件失败！\n不能写入文件" +
                                                   Path("missing/p.Type").c_str() + "：" + std::strerror(ENOENT)}));
}

TEST_F(ExportCommandTest, TypePackageHeaderDialogAndMessage) {
    Set(c.pkg, "cim:Naming.name", "Pkg_Ver1_Rev4");
    const std::string before = ModelText();
    ui.AnswerSaveFile(Path("pkg.Type").c_str());
    ASSERT_TRUE(app.Rsc_TypePackage_Export(c.pkg));
    const Struct_UiCall* dialog = ui.LastOf(Enum_UiCall::SaveFile);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->sValue, "Pkg");
    EXPECT_EQ(dialog->sCaption, "Type");
    EXPECT_EQ(dialog->sText, "*.Type");
    pugi::xml_node header = LoadFile(Path("pkg.Type")).child("SCL").child("Header");
    EXPECT_STREQ(header.attribute("id").value(), "Pkg");
    EXPECT_STREQ(header.attribute("revision").value(), "4");
    EXPECT_STREQ(header.attribute("version").value(), "2");  // the version of the owning ICD
    // The success text first; the DOs whose types the file does not hold
    // (the standard's) follow as breaches.
    ASSERT_EQ(ui.Messages().size(), 1u);
    const CString done = ui.Messages().front();
    EXPECT_EQ(done.Left(done.Find("\n")), CString(Path("pkg.Type").c_str()) + "模板文件文件导出成功！");
    EXPECT_GE(done.Find("\n不符合SCL的DO（type未指向DOType）：PTOC_T.Op"), 0) << done;
    bool skipped = false;  // every schema error of the file is one of them
    const std::string errors = ValidateScl(Path("pkg.Type"), skipped);
    EXPECT_EQ(skipped ? std::string() : SchemaErrorsAgainstBreaches(Path("pkg.Type"), done.str(), errors), "");
    EXPECT_FALSE(fs::exists(Path("pkg.mics")));
    EXPECT_EQ(ModelText(), before);
}

}  // namespace
}  // namespace kiln::test
