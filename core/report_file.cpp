// The report file of the checks and the imports: where its template and the
// saved report lie, loading the template and saving the filled report.
#include "core/kiln_main.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"

namespace {

// The report's file in the document folder.
constexpr const char* kReportFile = "Report.xml";

// The groups under the "ICD" node that the imports write into, in order.
constexpr const char* kImportCategories[] = {"LNodes", "LDevices", "LNodeTypes", "DOTypes", "DATypes",
                                             "DOs",    "DAs",      "BDAs",       "DOIs",    "DAIs"};

// The child element `name` of `parent`, appended when there is none.
XmlNode ChildWithCreate(const XmlNode& parent, const char* name) {
    XmlNode child = parent.SelectSingleNode(name);
    return child ? child : parent.AppendChild(name);
}

}  // namespace

CString CKiln_Main::Get_ReportTemplatePath() {
    return kiln::path::TemplateFile(DocMtd_Get_DocPath(), "Report_Template.xml");
}

CString CKiln_Main::Get_ReportSavePath() {
    const CString folder = DocMtd_Get_DocPath();
    return folder + (kiln::path::EndsWithSeparator(folder) ? "" : "/") + kReportFile;
}

bool CKiln_Main::Load_ReportTemplate(CBase_XML& xml) {
    if (!xml.Load(kiln::path::TemplateFileToOpen(Get_ReportTemplatePath()))) return false;
    const XmlNode root = xml.GetDocumentElement();
    if (!root) return false;
    const XmlNode icd = ChildWithCreate(root, "ICD");
    for (const char* category : kImportCategories) ChildWithCreate(icd, category);
    ChildWithCreate(root, "M2I");
    return !ChildWithCreate(root, "other_errors").IsNull();
}

bool CKiln_Main::Save_Report(CBase_XML& xml, const CString& path) {
    // The document's report follows its saves: the last saved run's report
    // comes back when this one's work is not saved. When it cannot be kept
    // it stays as it is (and the document refuses to save).
    const bool own = path == Get_ReportSavePath();
    if (own && !m_Doc.KeepFileUntilSave(kReportFile)) {
        m_Doc.NoteUnwrittenFile(m_Doc.LastError());
    } else {
        // Written in the document folder as it was opened, as the document's
        // files are, whatever the folder's name leads to meanwhile.
        const int folder = own ? m_Doc.FolderFd() : -1;
        if (folder >= 0 ? xml.SaveAt(folder, kReportFile, path) : xml.SaveAs(path, true)) return true;
        // The document's own report not written: the run that made it is
        // not saved (the reason names the file and the system's cause).
        if (own) m_Doc.NoteUnwrittenFile(xml.LastError());
    }
    _AfxMessageBox(path + "文件保存不成功！", MB_OK, "", nullptr);
    return false;
}
