// Steps every export command shares: its template from the template folder,
// the save dialog's flags, the wait cursor after the file choice, notices.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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

// A file of an export and the document written into it.
struct ExportFile {
    CBase_XML& xml;
    CString path;
};

// Writes an export's files, the user's choice, never into the workspace's
// own folders, in the order given, all into one folder (that of the first),
// opened once for all of them: whatever its name leads to meanwhile, they
// land together. When one cannot be written, "创建<path>文件失败！" with the
// cause, the later ones are not written, and the run fails. One that took
// its name but whose folder could not be synced is written but may not have
// reached the disk: the run fails saying so, and the others are still
// written. Once a file has taken its name, a failure names each file's state.
inline bool SaveExportFiles(std::initializer_list<ExportFile> files) {
    const CString& first = files.begin()->path;
    std::string name;
    const int dirfd = kiln::file::OpenFolderOf(first.str(), name);
    if (dirfd < 0)
        return Failure("创建" + first + "文件失败！\n不能写入文件" + first + "：" + CString(std::strerror(errno)));
    CString failed;
    std::vector<CString> states;
    bool written = false, unsynced = false;
    for (const ExportFile& f : files) {
        name = f.path.str().substr(f.path.str().rfind('/') + 1);
        struct stat st {};
        if (!failed.IsEmpty()) {
            const bool old = ::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            states.push_back(f.path + (old ? "没有写入，原来的文件保留着" : "没有写入"));
        } else if (f.xml.SaveAt(dirfd, CString(name), f.path, kiln::file::Target::Chosen)) {
            written = true;
            states.push_back(f.path + "已写入");
        } else if (f.xml.SavedUnsynced()) {
            written = unsynced = true;
            states.push_back(f.path + "已写入，但" + f.xml.LastError() + "：它可能还没有写到磁盘上");
        } else {
            failed = "创建" + f.path + "文件失败！\n" + f.xml.LastError();
        }
    }
    ::close(dirfd);
    if (failed.IsEmpty() && !unsynced) return true;
    if (!written) return Failure(failed);
    CString text = failed;
    for (const CString& state : states) text += (text.IsEmpty() ? "" : "\n") + state;
    if (unsynced) text += "\n请检查磁盘，再执行sync命令使它写到磁盘上";
    return Failure(text);
}

// The same for an export of one file.
inline bool SaveExport(CBase_XML& xml, const CString& path) { return SaveExportFiles({{xml, path}}); }

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
