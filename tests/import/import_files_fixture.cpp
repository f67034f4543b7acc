#include "tests/import/import_files_fixture.h"

#include <unistd.h>

#include <atomic>
#include <fstream>

namespace fs = std::filesystem;

namespace kiln::test {

ImportFilesTest::ImportFilesTest() {
    static std::atomic<int> serial{0};
    workspace = fs::temp_directory_path() / ("kiln_import_files_" + std::to_string(getpid()) + "_" +
                                             std::to_string(serial++));
    fs::remove_all(workspace);
    fs::create_directories(workspace / "Template");
    docFolder = workspace / "doc";
    fs::create_directories(docFolder);
    fs::copy_file(fs::path(KILN_SOURCE_DIR) / "Template" / "Report_Template.xml",
                  workspace / "Template" / "Report_Template.xml");
    Doc().SetDocPath(docFolder.string().c_str());
    app.m_uStdTypePackage = m.stdPkg;
    ui.ClearCalls();
}

ImportFilesTest::~ImportFilesTest() {
    std::error_code ec;
    fs::remove_all(workspace, ec);
}

CString ImportFilesTest::WriteFile(const std::string& name, const std::string& text) {
    const fs::path file = workspace / name;
    std::ofstream out(file, std::ios::binary);
    out << text;
    return file.string().c_str();
}

bool ImportFilesTest::RunIcd(const std::string& text, URI_Ref* pOut, const Answers& answers) {
    ui.AnswerOpenFile(WriteFile("in.icd", text));
    if (answers)
        answers();
    else
        ui.AnswerInputKeep("选择依赖的类型包：");
    return app.Rsc_ICD_Import(pOut, product);
}

bool ImportFilesTest::RunTypePackage(const std::string& text, const Answers& answers) {
    ui.AnswerOpenFile(WriteFile("in.Type", text));
    if (answers) {
        answers();
    } else {
        ui.AnswerInputKeep("选择依赖的类型包：");
        ui.AnswerInputKeep("名称");  // the new package's domain
    }
    return app.Rsc_TypePackage_Import();
}

bool ImportFilesTest::RunLNodeType(const std::string& text, const URI_Ref& package) {
    ui.AnswerOpenFile(WriteFile("in.Type", text));
    return app.Rsc_LNodeType_Import(package);
}

bool ImportFilesTest::ReportSaved() const { return fs::is_regular_file(docFolder / "Report.xml"); }

std::vector<ReportEntry> ImportFilesTest::SavedReport() {
    std::vector<ReportEntry> out;
    if (!ReportSaved()) return out;
    CBase_XML xml;
    EXPECT_TRUE(xml.Load((docFolder / "Report.xml").string().c_str()));
    XmlNodeList list = xml.GetDocumentElement().SelectNodes(".//*[@error]");
    for (long i = 0; i < list.Length(); ++i) {
        ReportEntry e;
        e.element = list.Item(i).NodeName();
        list.Item(i).GetAttribute("name", e.name);
        list.Item(i).GetAttribute("error", e.error);
        out.push_back(e);
    }
    return out;
}

std::vector<CString> ImportFilesTest::Boxes() {
    std::vector<CString> out;
    for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::FrameworkMessageBox)) out.push_back(c.sText);
    return out;
}

std::vector<CString> ImportFilesTest::IcdNames() {
    std::vector<URI_Ref> list;
    app.DocMtd_get_Uris_byClassName("sec:ICD", list, "", SortPolicy_ByName);
    return NamesOf(list);
}

std::vector<CString> ImportFilesTest::PackageNames() {
    std::vector<URI_Ref> list;
    app.DocMtd_get_Uris_byClassName("sec:TypePackage", list, "", SortPolicy_ByName);
    return NamesOf(list);
}

}  // namespace kiln::test
