// The import commands: each loads the report template (the name replacement
// has none), lets the user choose the file, loads it and hands it to one
// worker of a fresh importer.
#include "core/kiln_main.h"
#include "import/kiln_import.h"
#include "platform/framework/wnd.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/ui_functions.h"

#include <functional>

namespace {

constexpr DWORD kOpenFlags = 0x800004;  // hide read-only, sizable

// The wait cursor of the main window from the loaded file to the end.
class ImportWaitCursor {
public:
    ImportWaitCursor() : m_pWnd(AfxGetMainWnd()) {
        if (m_pWnd) m_pWnd->BeginWaitCursor();
    }
    ~ImportWaitCursor() {
        if (m_pWnd) m_pWnd->EndWaitCursor();
    }
    ImportWaitCursor(const ImportWaitCursor&) = delete;
    ImportWaitCursor& operator=(const ImportWaitCursor&) = delete;

private:
    CWnd* m_pWnd;
};

using Worker = std::function<bool(CKiln_Import&, CBase_XML&)>;

// The run from the file dialog on: the chosen file loaded, a fresh importer
// and its worker. `failure` follows the chosen path when the worker returns
// false (or something escapes it), and with bLoadFailureShown also when the
// file does not load.
bool RunOnChosenFile(CKiln_Main* app, const char* filter, const char* failure, bool bLoadFailureShown,
                     const Worker& worker) {
    CFileDialog dlg(TRUE, nullptr, nullptr, kOpenFlags, filter, nullptr, 0, TRUE);
    if (dlg.DoModal() != IDOK) return false;
    const CString path = dlg.GetPathName();
    ImportWaitCursor wait;
    CBase_XML source;
    bool done = false;
    if (source.Load(path)) {
        try {
            CKiln_Import importer;
            done = worker(importer, source);
        } catch (...) {
            // Whatever escapes the worker ends the run as a failed import.
            done = false;
        }
    } else if (!bLoadFailureShown) {
        return false;
    }
    if (!done) {
        _AfxMessageBox(path + failure, MB_OK, "", nullptr);
        return false;
    }
    app->Mtd_AllViews_Refresh(nullptr, nullptr, 0);
    return true;
}

// The frame of one import run with a report: the report template first.
bool RunImport(CKiln_Main* app, const char* filter, const char* failure,
               const std::function<bool(CKiln_Import&, CBase_XML&, const CBase_XML&)>& worker) {
    CBase_XML report;
    if (!app->Load_ReportTemplate(report)) {
        _AfxMessageBox(app->Get_ReportTemplatePath() + "Report_Tempalte.xml文件格式不正确, 导入不成功！", MB_OK, "",
                       nullptr);
        return false;
    }
    return RunOnChosenFile(app, filter, failure, false,
                           [&](CKiln_Import& imp, CBase_XML& source) { return worker(imp, source, report); });
}

}  // namespace

bool CKiln_Main::Rsc_ICD_Import(URI_Ref* pOut, URI_Ref product) {
    // The ICD's creator refuses these; asked before the file is chosen.
    if (product.IsEmpty()) {
        _AfxMessageBox("内部错误 - E992！", MB_OK, "", nullptr);
        return false;
    }
    if (product.sClass != "sec:Product") {
        _AfxMessageBox("产品型号指定错误！", MB_OK, "", nullptr);
        return false;
    }
    return RunImport(this, "ICD文件|*.icd|ICD-XML文件|*.icd.xml||", "ICD文件格式不正确, 导入不成功！",
                     [&](CKiln_Import& imp, CBase_XML& source, const CBase_XML& report) {
                         return imp.Import_ICD(pOut, this, &source, URI_Ref(), report, false, product);
                     });
}

bool CKiln_Main::Rsc_TypePackage_Import() {
    return RunImport(this, "TypePackage文件|*.Type|ICD-XML文件|*.xml||", "TypePackage文件格式不正确, 导入不成功！",
                     [&](CKiln_Import& imp, CBase_XML& source, const CBase_XML& report) {
                         return imp.Import_TypePackageFile(this, &source, report);
                     });
}

bool CKiln_Main::Rsc_LNodeType_Import(URI_Ref pkg) {
    return RunImport(this, "TypePackage文件|*.Type|ICD-XML文件|*.xml||", "TypePackage文件格式不正确, 导入不成功！",
                     [&](CKiln_Import& imp, CBase_XML& source, const CBase_XML& report) {
                         return imp.Import_LNodeTypeFile(this, &source, report, pkg);
                     });
}

// The name replacement writes no report: no template is loaded.
bool CKiln_Main::Rsc_ReplaceName(URI_Ref rsc) {
    return RunOnChosenFile(this, "TypePackage文件|*.Name|ICD-XML文件|*.xml||", "文件格式不正确, 替换不成功！", true,
                           [&](CKiln_Import& imp, CBase_XML& source) {
                               return imp.Replace_Names(this, &source, CBase_XML(), rsc);
                           });
}
