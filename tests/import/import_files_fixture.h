// The fixture of the import commands: a workspace with the report template
// beside the document folder, and runs of the three import entries on a
// file written there, answered through the scripted user interface.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/import/import_fixture.h"

namespace kiln::test {

class ImportFilesTest : public ImportTest {
protected:
    ImportFilesTest();
    ~ImportFilesTest() override;

    // Writes the text into the workspace and returns its path.
    CString WriteFile(const std::string& name, const std::string& text);
    // The import of an ICD of `product` from that text; `answers` queues
    // what comes after the file dialog (by default: keep the preset
    // dependency).
    using Answers = std::function<void()>;
    bool RunIcd(const std::string& text, URI_Ref* pOut, const Answers& answers = {});
    bool RunTypePackage(const std::string& text, const Answers& answers = {});
    bool RunLNodeType(const std::string& text, const URI_Ref& package);
    // The entries of the saved Report.xml, in document order; empty when
    // no report was saved.
    std::vector<ReportEntry> SavedReport();
    bool ReportSaved() const;
    // Every message box text of the run, in order.
    std::vector<CString> Boxes();
    // The ICDs and type packages of the document by name.
    std::vector<CString> IcdNames();
    std::vector<CString> PackageNames();

    std::filesystem::path workspace, docFolder;
};

}  // namespace kiln::test
