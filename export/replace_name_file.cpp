// The name-replacement file: the model names that hold Chinese characters,
// one Name element each under the ICD template's DataTypeTemplates, for
// the user to fill in "changeto".
#include <map>
#include <string>
#include <utility>

#include "core/kiln_main.h"
#include "export/command_steps.h"
#include "export/export_util.h"
#include "export/kiln_export.h"
#include "platform/mfc/gbk.h"
#include "platform/ui/file_dialog.h"

using namespace kiln::exporter;
using kiln::core::kRoleName;

namespace {

// The listed names keyed by their GBK bytes, so that the map's order is the
// file's order (unsigned bytes, case counts), and by class: a name borne by
// resources of two classes is listed for each, since the replacement renames
// only the class an entry names.
class NameTable {
public:
    void Add(const CString& name, const char* cls) {
        std::string gbk = kiln::text::Utf8ToGbk(name.str());  // once per name
        if (!HasHighBytePair(gbk)) return;
        m_entries.emplace(std::make_pair(std::move(gbk), std::string(cls)), std::make_pair(name, cls));
    }
    const std::map<std::pair<std::string, std::string>, std::pair<CString, const char*>>& Entries() const {
        return m_entries;
    }

private:
    std::map<std::pair<std::string, std::string>, std::pair<CString, const char*>> m_entries;
};

// The LN types of a package and the DOs of each.
void AddPackage(CKiln_Main* pMain, const URI_Ref& pkg, NameTable& names) {
    std::vector<URI_Ref> types;
    Members(pMain, pkg, "sec:TypePackage.LNodeTypes", types);
    for (const URI_Ref& t : types) {
        names.Add(Attr(pMain, t, kRoleName), "sec:LNodeType");
        std::vector<URI_Ref> dos;
        Members(pMain, t, "sec:LNodeType.DOs", dos);
        for (const URI_Ref& d : dos) names.Add(Attr(pMain, d, kRoleName), "sec:DO");
    }
}

// The logical devices of a server and their logical nodes; with bTypes also
// the LN type of each node and that type's DOs.
void AddServer(CKiln_Main* pMain, const URI_Ref& server, bool bTypes, NameTable& names) {
    std::vector<URI_Ref> devices;
    Members(pMain, server, "sec:Server.LDevices", devices);
    for (const URI_Ref& ld : devices) {
        names.Add(Attr(pMain, ld, kRoleName), "sec:LDevice");
        std::vector<URI_Ref> nodes;
        Members(pMain, ld, "sec:LDevice.LNodes", nodes);
        for (const URI_Ref& ln : nodes) {
            names.Add(Attr(pMain, ln, kRoleName), "sec:LNode");
            if (!bTypes) continue;
            const URI_Ref type = pMain->DocMtd_getFirstUri_ofAsso(ln, "sec:LNode.LNodeType");
            if (type.IsEmpty()) continue;
            names.Add(Attr(pMain, type, kRoleName), "sec:LNodeType");
            std::vector<URI_Ref> dos;
            Members(pMain, type, "sec:LNodeType.DOs", dos);
            for (const URI_Ref& d : dos) names.Add(Attr(pMain, d, kRoleName), "sec:DO");
        }
    }
}

constexpr const char* kServerPath = "sec:ICD.IED/sec:IED.Servers";

}  // namespace

namespace kiln::exporter {

bool HasHighBytePair(const std::string& bytes) {
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80 && static_cast<unsigned char>(bytes[i + 1]) >= 0x80)
            return true;
    return false;
}

}  // namespace kiln::exporter

bool CKiln_Export::IsChinese(const CString& text) { return HasHighBytePair(kiln::text::Utf8ToGbk(text.str())); }

bool CKiln_Export::Export_ReplaceNameFile(CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& rsc) {
    const XmlNode templates = xml.Get_NodePtr(xml.GetDocumentElement(), "DataTypeTemplates");
    if (!templates) return false;

    NameTable names;
    if (rsc.IsEmpty()) {
        std::vector<URI_Ref> icds, packages;
        pMain->DocMtd_get_Uris_byClassName_sortName("sec:ICD", icds, kRoleName, SortPolicy_ByName);
        pMain->DocMtd_get_Uris_byClassName_sortName("sec:TypePackage", packages, kRoleName, SortPolicy_ByName);
        for (const URI_Ref& icd : icds) {
            const URI_Ref server = pMain->DocMtd_getFirstUri_ofAsso(icd, kServerPath);
            if (server.IsSet()) AddServer(pMain, server, false, names);
        }
        for (const URI_Ref& pkg : packages)
            if (Attr(pMain, pkg, "sec:TypePackage.isInstType").CompareNoCase("true") == 0)
                AddPackage(pMain, pkg, names);
    } else if (rsc.sClass == "sec:ICD") {
        const URI_Ref pkg = pMain->DocMtd_getFirstUri_ofAsso(rsc, "sec:ICD.TypePackage");
        if (pkg.IsSet()) AddPackage(pMain, pkg, names);
        const URI_Ref server = pMain->DocMtd_getFirstUri_ofAsso(rsc, kServerPath);
        if (server.IsSet()) AddServer(pMain, server, true, names);
    } else if (rsc.sClass == "sec:TypePackage") {
        AddPackage(pMain, rsc, names);
    }

    const CStringArray attrs = Names({"name", "type", "changeto"});
    for (const auto& [key, entry] : names.Entries()) {
        XmlNode node = xml.AddNewNode_withAttrs(templates, "Name", attrs);
        Put(xml, node, "name", entry.first);
        Put(xml, node, "type", entry.second);
    }
    return true;
}

bool CKiln_Main::Rsc_Create_ReplaceNameFile(URI_Ref rsc) {
    CBase_XML xml;
    CString templatePath;
    if (!LoadTemplate(this, xml, "ICD_Template.xml", kSclNamespace, templatePath)) return false;

    // The extension matches the filter "*.Name".
    CFileDialog dlg(FALSE, "Name", " 名称替换", kSaveFlags, "*.Name");
    if (dlg.DoModal() != IDOK) return true;
    const CString path = dlg.GetPathName();
    WaitCursor wait;

    CKiln_Export exporter;
    if (!exporter.Export_ReplaceNameFile(this, xml, rsc))
        return Failure(templatePath + "模板文件格式不正确, 导出不成功！");
    if (!SaveExport(xml, path)) return false;
    Notice(path + "文件导出成功！");
    return true;
}
