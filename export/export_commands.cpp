// The two commands that write SCL files: the ICD export (with its MICS
// document beside it) and the type-package export.
#include "core/kiln_main.h"
#include "export/command_steps.h"
#include "export/export_util.h"
#include "export/kiln_export.h"
#include "export/scl_rules_check.h"
#include "export/scl_value_check.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/file_dialog.h"

namespace kiln::exporter {
namespace {

constexpr const char* kToolId = "Tessary 2007";

// The header's id and revision from the exported resource's name: the
// revision is what follows the first "_Rev", the id what precedes the first
// "_Ver" (the whole name without one).
struct HeaderNames {
    CString id;
    CString revision;
};

HeaderNames DeriveHeader(const CString& name) {
    HeaderNames h;
    int rev = name.Find("_Rev");
    if (rev >= 0) h.revision = name.Mid(rev + 4);
    int ver = name.Find("_Ver");
    h.id = ver >= 0 ? name.Left(ver) : name;
    return h;
}

}  // namespace

// The MICS file beside the chosen SCL file: its extension replaced by
// ".mics", or ".mics" appended when the file name has none or has that one
// already (so that the MICS file never writes over the SCL file).
CString MicsPathFor(const CString& path) {
    int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    int dot = path.ReverseFind('.');
    if (dot > slash && path.Mid(dot) != ".mics") return path.Left(dot) + ".mics";
    return path + ".mics";
}

}  // namespace kiln::exporter

using namespace kiln::exporter;

bool CKiln_Main::Rsc_ICD_Export(URI_Ref icd, bool /*bUnused*/) {
    if (icd.IsEmpty()) return false;
    const bool bFromM2I = _AfxMessageBox("是否由M2I生成DOI DAI", MB_YESNO) == IDYES;

    CBase_XML scl, mics;
    CString sclTemplate, micsTemplate;
    if (!LoadTemplate(this, scl, "ICD_Template.xml", kSclNamespace, sclTemplate)) return false;
    if (!LoadTemplate(this, mics, "MICS_Template.xml", kMicsNamespace, micsTemplate)) return false;

    CString name;
    if (!ReadName(this, icd, name)) return false;
    CFileDialog dlg(FALSE, "icd", name, kSaveFlags, "*.icd");
    if (dlg.DoModal() != IDOK) return true;
    const CString path = dlg.GetPathName();
    WaitCursor wait;

    const HeaderNames h = DeriveHeader(name);
    XmlNode root = scl.GetDocumentElement();
    if (XmlNode header = scl.Get_NodePtr(root, "Header")) {
        Put(scl, header, "id", h.id);
        Put(scl, header, "revision", h.revision);
        CString version;
        if (DocMtd_get_attribute_value(icd, "sec:ICD.icdVersion", version)) Put(scl, header, "version", version);
        Put(scl, header, "toolID", kToolId);
    }

    const CString templateFault = sclTemplate + "模板文件格式不正确, 导出不成功！";
    CKiln_Export exporter;
    if (!exporter.Export_ICD_IED(this, scl, icd, bFromM2I)) return Failure(templateFault);
    const XmlNode templates = scl.Get_NodePtr(root, "DataTypeTemplates");
    if (!exporter.Export_ICD_TypePackages(templates, this, scl, icd)) return Failure(templateFault);
    // An IED without devices uses no type, and SCL has no empty templates
    // element: the file then goes without one.
    if (templates.ChildElements().empty()) root.RemoveChild(templates);
    const CString micsPath = MicsPathFor(path);
    exporter.Export_MICS(this, mics, icd);

    if (!SaveExportFiles({{scl, path}, {mics, micsPath}})) return false;
    // What SCL cannot hold was left out of the file, and what the file
    // still holds against SCL's rules: one line each after the success text.
    CString done = path + "模板文件" + "与" + micsPath + "文件导出成功！";
    for (const CString& item : exporter.LeftOut()) done += "\n未导出" + item;
    for (const CString& block : exporter.WithoutDataSet()) done += "\n控制块没有数据集：" + block;
    for (const CString& breach : SclRuleBreaches(root.PugiNode())) done += "\n" + breach;
    for (const CString& breach : SclValueBreaches(root.PugiNode())) done += "\n" + breach;
    Notice(done);
    return true;
}

bool CKiln_Main::Rsc_TypePackage_Export(URI_Ref package) {
    if (package.IsEmpty()) return false;
    CBase_XML scl;
    CString sclTemplate;
    if (!LoadTemplate(this, scl, "ICD_Template.xml", kSclNamespace, sclTemplate)) return false;

    CString name;
    if (!ReadName(this, package, name)) return false;
    const HeaderNames h = DeriveHeader(name);
    // A package carries the version of the ICD it belongs to; others none.
    const CString version = DocMtd_getFirstValue_ofAsso(package, "sec:TypePackage.ICD", "sec:ICD.icdVersion");

    CFileDialog dlg(FALSE, "Type", h.id, kSaveFlags, "*.Type");
    if (dlg.DoModal() != IDOK) return true;
    const CString path = dlg.GetPathName();
    WaitCursor wait;

    XmlNode root = scl.GetDocumentElement();
    if (XmlNode header = scl.Get_NodePtr(root, "Header")) {
        Put(scl, header, "id", h.id);
        Put(scl, header, "version", version);
        Put(scl, header, "revision", h.revision);
        Put(scl, header, "toolID", kToolId);
    }

    const CString templateFault = sclTemplate + "模板文件格式不正确, 导出不成功！";
    XmlNode templates = scl.Get_NodePtr(root, "DataTypeTemplates");
    CKiln_Export exporter;
    if (!templates || !exporter.Export_Alone_TypePackage(templates, this, scl, package, true))
        return Failure(templateFault);
    // A server holds at least one device, and the package's devices are no
    // IED's: the template's IED keeps its access point without its empty
    // server, as an ICD's IED without devices does.
    XmlNode server = scl.Get_NodePtr(scl.GetDocument(), "//Server");
    if (server && server.ChildElements("LDevice").empty() && !server.ParentNode().RemoveChild(server))
        return Failure(templateFault);
    if (!SaveExport(scl, path)) return false;
    // As the ICD export: what was left out, then the breaches of the
    // data-type templates, a line each. The template's IED is no part of the
    // package; the base devices the file keeps among the types are no type:
    // SCL has no place for them there, and the types are checked without them.
    CString done = path + "模板文件文件导出成功！";
    for (const CString& item : exporter.LeftOut()) done += "\n未导出" + item;
    pugi::xml_document copy;
    pugi::xml_node checked = copy.append_copy(root.PugiNode());
    while (checked.remove_child("IED")) {
    }
    pugi::xml_node list = checked.child("DataTypeTemplates");
    while (const pugi::xml_node ld = list.child("LDevice")) {
        done += CString("\n不符合SCL的LDevice（不能在DataTypeTemplates中）：") + ld.attribute("inst").value();
        list.remove_child(ld);
    }
    for (const CString& breach : SclRuleBreaches(checked)) done += "\n" + breach;
    for (const CString& breach : SclValueBreaches(checked)) done += "\n" + breach;
    Notice(done);
    return true;
}
