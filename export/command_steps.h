// Steps every export command shares: its template from the template folder,
// the save dialog's flags, the wait cursor after the file choice, notices.
#pragma once

#include <string>
#include <string_view>

#include "core/kiln_main.h"
#include "platform/framework/wnd.h"
#include "platform/mfc/file_io.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"
#include "platform/xml/base_xml.h"

namespace kiln::exporter {

inline constexpr DWORD kSaveFlags = 6;  // hide read-only, prompt before overwriting

// An export that could not do its work: the message, and the run that asked
// for it fails with the same text.
inline bool Failure(const CString& text) { return KQ_CommandFailure(text); }

// The root element of each export's template.
struct TemplateRoot {
    std::string_view file;
    std::string_view root;
};
inline constexpr TemplateRoot kTemplateRoots[] = {
    {"ICD_Template.xml", "SCL"}, {"MICS_Template.xml", "MICS"}, {"ITB_Template.xml", "ITB"}, {"M2I_Template.xml", "M2I"}};

// Loads a template of the template folder beside the document folder and
// sets its default namespace; `path` receives the template's path. A
// template that cannot be read, whose root is not its kind's or declares
// another namespace, is named with the reason and fails the run.
inline bool LoadTemplate(CKiln_Main* pMain, CBase_XML& xml, const char* file, const char* ns, CString& path) {
    path = kiln::path::TemplateFile(pMain->DocMtd_Get_DocPath(), file);
    const CString fault = path + "模板文件格式不正确, 导出不成功！\n";
    if (!xml.Load(kiln::path::TemplateFileToOpen(path))) {
        // A template that is missing, unreadable or no file is named as such,
        // not as one of a wrong form: its head alone is read again to tell.
        kiln::file::Bytes head;
        std::string reason;
        if (!kiln::file::ReadFile(kiln::path::TemplateFileToOpen(path).str(), head, reason, 1,
                                  [](std::string_view) { return false; }))
            return Failure(path + "模板文件不能读取, 导出不成功！\n" + CString(reason));
        return Failure(fault + xml.LastError());
    }
    const pugi::xml_node element = xml.GetDocumentElement().PugiNode();
    const std::string qname = element.name();
    const size_t colon = qname.find(':');
    const std::string_view local = std::string_view(qname).substr(colon == std::string::npos ? 0 : colon + 1);
    for (const TemplateRoot& t : kTemplateRoots)
        if (t.file == file && t.root != local)
            return Failure(fault + "根元素是" + CString(qname) + "，不是" + CString(std::string(t.root)));
    const pugi::xml_attribute declared =
        element.attribute(colon == std::string::npos ? "xmlns" : ("xmlns:" + qname.substr(0, colon)).c_str());
    if (declared && std::string_view(declared.value()) != ns)
        return Failure(fault + "根元素的命名空间是" + declared.value() + "，不是" + ns);
    return xml.Set_Default_NameSpase(ns);
}

// Writes an export's file, the user's choice, never into the workspace's own
// folders; when it cannot be written, "创建<path>文件失败！" with the cause,
// and the run fails.
inline bool SaveExport(CBase_XML& xml, const CString& path) {
    return xml.SaveAs(path, true, kiln::file::Target::Chosen) || Failure("创建" + path + "文件失败！\n" + xml.LastError());
}

// The wait cursor of the main window from the file choice to the command's end.
class WaitCursor {
public:
    WaitCursor() {
        if (CWnd* w = AfxGetMainWnd()) {
            w->BeginWaitCursor();
            m_pWnd = w;
        }
    }
    ~WaitCursor() {
        if (m_pWnd) m_pWnd->EndWaitCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    CWnd* m_pWnd = nullptr;
};

// An OK box without caption.
inline void Notice(const CString& text) { _AfxMessageBox(text, MB_OK); }

}  // namespace kiln::exporter
