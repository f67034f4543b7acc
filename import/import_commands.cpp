// The import commands: each loads the report template (the name replacement
// has none), lets the user choose the file, loads it and hands it to one
// worker of a fresh importer.
#include "core/info_item_keys.h"
#include "core/kiln_main.h"
#include "import/import_util.h"
#include "import/kiln_import.h"
#include "platform/framework/wnd.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/ui_error.h"
#include "platform/ui/ui_functions.h"

#include <filesystem>
#include <functional>
#include <vector>

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

// The texts of one entry point. A path "+" a text: the text follows the path.
struct EntryTexts {
    const char* filter;
    const char* templateFailure;  // after the template path
    const char* failure;          // after the chosen path when the worker fails
    bool failureNamesPath = true;
    const char* done = nullptr;     // after the chosen path when the worker succeeds
    bool unloadableFails = false;  // a file that does not load gets the failure message
    bool failureSaysWhy = false;   // ... followed by why, on a line of its own
};

// What a worker tells the frame: done, failed (the frame shows the entry's
// failure message) or stopped with its own message. Every failure message of
// an import fails the run that asked for it, as a failed export does.
enum class Outcome { Done, Failed, Stopped };
using Worker = std::function<Outcome(CKiln_Import&, CBase_XML&, const CBase_XML&, const CString&)>;

// A failure message with why the worker refused the file on a line of its
// own, when it said.
CString WithRefusal(const CString& failure, const CString& why) {
    return why.IsEmpty() ? failure : failure + "\n" + why;
}

// The run from the file dialog on: the chosen file loaded, a fresh importer
// and its worker, given the report template (empty for the name replacement).
bool RunOnChosenFile(CKiln_Main* app, const EntryTexts& t, const CBase_XML& report, const Worker& worker) {
    CFileDialog dlg(TRUE, nullptr, nullptr, kOpenFlags, t.filter, nullptr, 0, TRUE);
    if (dlg.DoModal() != IDOK) return false;
    const CString path = dlg.GetPathName();
    const CString failure = t.failureNamesPath ? path + t.failure : CString(t.failure);
    ImportWaitCursor wait;
    CBase_XML source;
    if (!source.Load(path)) {
        if (t.unloadableFails) KQ_CommandFailure(t.failureSaysWhy ? failure + "\n" + source.LastError() : failure);
        return false;
    }
    Outcome outcome = Outcome::Failed;
    CString why;
    try {
        CKiln_Import importer;
        outcome = worker(importer, source, report, path);
        why = importer.m_strRefusal;
    } catch (const CUiScriptError&) {
        // A question left without an answer ends the run like a cancel: the
        // file was not at fault, so no failure message names it.
        outcome = Outcome::Stopped;
    } catch (...) {
        // Whatever else escapes the worker ends the run as a failed import.
        outcome = Outcome::Failed;
    }
    if (outcome != Outcome::Done) {
        if (outcome == Outcome::Failed) KQ_CommandFailure(WithRefusal(failure, why));
        return false;
    }
    if (t.done) _AfxMessageBox(path + t.done, MB_OK, "", nullptr);
    app->Mtd_AllViews_Refresh(nullptr, nullptr, 0);
    return true;
}

// The frame of one import run with a report: the report template first.
bool RunImport(CKiln_Main* app, const EntryTexts& t, const Worker& worker) {
    CBase_XML report;
    if (!app->Load_ReportTemplate(report)) return KQ_CommandFailure(app->Get_ReportTemplatePath() + t.templateFailure);
    return RunOnChosenFile(app, t, report, worker);
}

// The frame with a worker that only succeeds or fails; a file that does not
// load gets the failure message too, with why.
bool RunImport(CKiln_Main* app, const char* filter, const char* failure,
               const std::function<bool(CKiln_Import&, CBase_XML&, const CBase_XML&)>& worker) {
    const EntryTexts texts{filter, "文件格式不正确, 导入不成功！", failure, true, nullptr, true, true};
    return RunImport(app, texts, [&](CKiln_Import& imp, CBase_XML& source, const CBase_XML& report, const CString&) {
        return worker(imp, source, report) ? Outcome::Done : Outcome::Failed;
    });
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

// The name replacement writes no report: no template is loaded. A run that
// succeeds says so after the names it could not give.
bool CKiln_Main::Rsc_ReplaceName(URI_Ref rsc) {
    const EntryTexts texts{"TypePackage文件|*.Name|ICD-XML文件|*.xml||", nullptr, "文件格式不正确, 替换不成功！", true,
                           "文件替换完成！", true, true};
    return RunOnChosenFile(this, texts, CBase_XML(),
                           [&](CKiln_Import& imp, CBase_XML& source, const CBase_XML&, const CString&) {
                               return imp.Replace_Names(this, &source, CBase_XML(), rsc) ? Outcome::Done
                                                                                         : Outcome::Failed;
                           });
}

namespace {

constexpr const char* kFormatFault = "模板文件格式不正确, 导入不成功！";
constexpr const char* kDone = "模板文件导入完成！";

// Where the ITB that goes with an M2I file is looked for, in order: "x.itb"
// for "x.m2i"; "x.itb.xml", then "x.itb" for "x.m2i.xml"; otherwise the
// path without its last four characters, then ".itb".
std::vector<CString> CompanionPaths(const CString& path) {
    CString lower = path;
    lower.MakeLower();
    const int n = path.GetLength();
    if (n >= 8 && lower.Right(8) == ".m2i.xml") {
        const CString base = path.Left(n - 8);
        return {base + ".itb.xml", base + ".itb"};
    }
    return {path.Left(n >= 4 ? n - 4 : 0) + ".itb"};
}

// Deletes an ITB with its items and groups.
void DeleteItb(CKiln_Main* app, const URI_Ref& itb) {
    for (const char* role : {"sec:ITB.InfoItems", "sec:ITB.InfoGroups"}) {
        std::vector<URI_Ref> list;
        app->DocMtd_get_Association_BUris(itb, role, list, kiln::core::kRoleOrd, SortPolicy_ByOrd);
        for (auto it = list.rbegin(); it != list.rend(); ++it) app->DocMtd_delete_a_Rsc(*it);
    }
    app->DocMtd_delete_a_Rsc(itb);
}

}  // namespace

bool CKiln_Main::Rsc_ITB_Import(URI_Ref icd) {
    if (icd.sClass != "sec:ICD") return false;
    if (DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.ITB").IsSet()) {
        _AfxMessageBox("该ICD已有ITB，不能再导入！", MB_OK, "", nullptr);
        return false;
    }
    const EntryTexts texts{"ITB文件|*.itb|ITB-XML文件|*.itb.xml||", kFormatFault, "ITB文件格式不正确, 导入不成功！",
                           false, kDone, true, true};
    return RunImport(this, texts, [&](CKiln_Import& imp, CBase_XML& source, const CBase_XML& report, const CString&) {
        return imp.Import_ITB(this, &source, icd, &report) ? Outcome::Done : Outcome::Failed;
    });
}

bool CKiln_Main::Rsc_M2I_Import(URI_Ref icd) {
    if (icd.sClass != "sec:ICD") return false;
    if (DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.M2I").IsSet()) {
        _AfxMessageBox("该ICD已有M2I，不能再导入！", MB_OK, "", nullptr);
        return false;
    }
    const EntryTexts texts{"M2I文件|*.m2i|M2I-XML文件|*.m2i.xml||", kFormatFault, kFormatFault, true, kDone, true, true};
    return RunImport(this, texts,
                     [&](CKiln_Import& imp, CBase_XML& source, const CBase_XML& report, const CString& path) {
        // Nothing is read or made for a file or an ICD the mapping refuses.
        if (!imp.Check_M2ISource(this, &source, icd)) return Outcome::Failed;
        ImportNameTable items;
        URI_Ref newItb;
        const URI_Ref itb = DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.ITB");
        if (itb.IsSet()) {
            items = kiln::core::InfoItemsByKey(*this, itb);
        } else {
            const std::vector<CString> candidates = CompanionPaths(path);
            CString companion;
            for (const CString& c : candidates) {
                std::error_code ec;
                if (std::filesystem::is_regular_file(std::filesystem::path(c.GetString()), ec)) {
                    companion = c;
                    break;
                }
            }
            if (companion.IsEmpty()) {
                KQ_CommandFailure("未发现" + candidates.front() + "文件！");
                return Outcome::Stopped;
            }
            CBase_XML itbXml;
            if (!itbXml.Load(companion)) {
                KQ_CommandFailure(companion + "ITB文件格式不正确, 导入不成功！\n" + itbXml.LastError());
                return Outcome::Stopped;
            }
            if (!imp.Import_ITB(this, &itbXml, icd, &report)) {
                KQ_CommandFailure(WithRefusal(companion + "ITB文件格式不正确, 导入不成功！", imp.m_strRefusal));
                return Outcome::Stopped;
            }
            newItb = DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.ITB");
            items = kiln::core::InfoItemsByKey(*this, newItb);
        }
        imp.Init_KeyDATable("", "");
        if (imp.Import_M2I(this, &source, icd, report, items)) return Outcome::Done;
        // A refused mapping leaves no table behind that this run read.
        if (newItb.IsSet()) DeleteItb(this, newItb);
        return Outcome::Failed;
    });
}
