// The information-table (ITB) file: the groups and the information items of
// one ITB with their IEC 60870-5-103 addresses, written into the ITB
// template. The file names its ICD by the root's iedModel and icdVersion.
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/address_103.h"
#include "core/info_item_keys.h"
#include "core/itb_rules.h"
#include "core/kiln_main.h"
#include "export/command_steps.h"
#include "export/export_util.h"
#include "export/kiln_export.h"
#include "platform/ui/file_dialog.h"

using namespace kiln::exporter;
using kiln::core::kRoleName;

namespace kiln::exporter {

bool Export_ITB_InfoItem(const XmlNode& root, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& item, size_t index,
                         kiln::core::CItbTableRules& rules, std::vector<CString>& breaches) {
    CString name;
    if (!ReadName(pMain, item, name)) return false;
    const CString id = Attr(pMain, item, "sec:InfoItem.id");
    // Named after what the import names it: "InfoItem:" and its id or place.
    const auto breach = [&](const CString& what) {
        if (what.IsEmpty()) return;
        CString line = "不符合ITB的信息条目（";
        line.str().append(what.str()).append("）：InfoItem:").append(kiln::core::ItbRowLabel(id, index).str());
        breaches.push_back(std::move(line));
    };
    breach(kiln::core::CItbTableRules::ItemName(name));
    const URI_Ref icd = pMain->DocMtd_getFirstUri_ofAsso(item, "sec:InfoItem.ITB/sec:ITB.ICD");
    Put(xml, root, "iedModel", Attr(pMain, icd, kRoleName));
    Put(xml, root, "icdVersion", Attr(pMain, icd, "sec:ICD.icdVersion"));

    static const CStringArray kItemAttrs = Names({"id", "name", "dataType", "desc", "infoGroup"});
    static const CStringArray kConfigAttrs = [] {
        CStringArray names;
        for (const kiln::core::CField103& field : kiln::core::kFields103) names.Add(field.name);
        return names;
    }();
    XmlNode element = xml.AddNewNode_withAttrs(root, "InfoItem", kItemAttrs);
    if (!element) return false;
    Put(xml, element, "id", id);
    Put(xml, element, "name", name);
    Put(xml, element, "dataType", Reduce(Attr(pMain, item, "sec:InfoItem.dataType")));
    Put(xml, element, "desc", Attr(pMain, item, "cim:Naming.description"));
    // The file names only the groups it holds: the import would name one it
    // lacks, and the item is ungrouped in the table as it is.
    const CString group = Attr(pMain, item, "sec:InfoItem.infoGroup");
    const bool held = group.IsEmpty() || rules.HasGroup(group);
    Put(xml, element, "infoGroup", held ? group : CString());
    if (!held) breaches.push_back("未导出信息条目的信息组（ITB没有信息组" + group + "）：" + name);

    XmlNode config = xml.AddNewNode_withAttrs(element, "s103:Config", kConfigAttrs);
    if (!config) return false;
    // The entry number of the address is written as "itm". A number the ITB
    // import would refuse (one kept by an older document, or an entry
    // renumbered past 255) is written as held, and named. The address is
    // judged on the numbers as 103 reads them.
    int number[6];
    for (size_t f = 0; f < std::size(kiln::core::kFields103); ++f) {
        const kiln::core::CField103& field = kiln::core::kFields103[f];
        const CString value = Attr(pMain, item, field.role);
        Put(xml, config, field.name, value);
        number[f] = kiln::core::Number103(field, value.str());
        if (number[f] < 0 && !value.IsEmpty())
            breaches.push_back("不符合103的信息条目（" + CString(field.name) + "的值" + value + "不是" +
                               std::to_string(field.least).c_str() + "到255之间的整数）：" + name);
    }
    // The import refuses a file that gives an id twice.
    if (!rules.Id(id)) breaches.push_back("id重复的信息条目（id: " + id + "，导入时整个文件被拒绝）：" + name);
    breach(rules.Address(number, id, index));
    return true;
}

}  // namespace kiln::exporter

bool CKiln_Main::Rsc_ITB_Export(URI_Ref itb) {
    if (itb.IsEmpty()) return false;
    CBase_XML xml;
    CString templatePath;
    if (!LoadTemplate(this, xml, "ITB_Template.xml", kItbNamespace, templatePath)) return false;
    // The addresses are written as s103:Config: the root binds that prefix to
    // the 103 namespace (a template that does not bind it gains the binding).
    const CString s103 = xml.GetDocumentElement().PugiNode().attribute("xmlns:s103").value();
    if (s103.IsEmpty()) {
        if (!Put(xml, xml.GetDocumentElement(), "xmlns:s103", kS103Namespace)) return false;
    } else if (s103 != kS103Namespace) {
        return Failure(templatePath + "模板文件格式不正确, 导出不成功！\n前缀s103的命名空间是" + s103 + "，不是" +
                       kS103Namespace);
    }

    const URI_Ref icd = DocMtd_getFirstUri_ofAsso(itb, "sec:ITB.ICD");
    const CString icdName = Attr(this, icd, kRoleName);
    CString itbName;
    if (!ReadName(this, itb, itbName)) return false;

    CFileDialog dlg(FALSE, "itb", icdName, kSaveFlags, "*.itb");
    if (dlg.DoModal() != IDOK) return true;
    const CString path = dlg.GetPathName();

    const XmlNode root = xml.GetDocumentElement();
    if (XmlNode header = xml.Get_NodePtr(root, "Header")) {
        Put(xml, root, "iedModel", icdName);
        Put(xml, root, "iedVersion", CString());
        // The ICD's version too, so that a table without items still names
        // the ICD the import looks for.
        Put(xml, root, "icdVersion", Attr(this, icd, "sec:ICD.icdVersion"));
        Put(xml, header, "id", "ITB For " + icdName);
    }

    std::vector<URI_Ref> items, groups;
    if (!Members(this, itb, "sec:ITB.InfoItems", items)) return false;
    Members(this, itb, "sec:ITB.InfoGroups", groups);
    // What the ITB import names of a row, it names by the import's rules.
    kiln::core::CItbTableRules rules;
    std::vector<CString> breaches;
    for (size_t k = 0; k < groups.size(); ++k) {
        const URI_Ref& g = groups[k];
        CString name;
        if (!ReadName(this, g, name)) return false;
        bool kept = true;
        // Named after what the import names it: "InfoGroup:" and its name or place.
        if (const CString what = rules.Group(name, kept); !what.IsEmpty())
            breaches.push_back("不符合ITB的信息组（" + what + "）：InfoGroup:" + kiln::core::ItbRowLabel(name, k));
        XmlNode element = xml.AddNewNode_withAttrs(root, "InfoGroup", Names({"name", "desc"}));
        if (!element) return false;
        Put(xml, element, "name", name);
        Put(xml, element, "desc", Attr(this, g, "cim:Naming.description"));
    }
    for (size_t k = 0; k < items.size(); ++k)
        if (!Export_ITB_InfoItem(root, this, xml, items[k], k, rules, breaches)) return false;
    // An item written into the M2I file under the key of another (its order
    // number another's id) cannot be told from it there: its mapping is left
    // out of the M2I file. Only an item without an id goes by such a key;
    // two items of one id are named above.
    if (rules.MetItemWithoutId()) {
        const std::map<CString, URI_Ref> byKey = kiln::core::InfoItemsByKey(*this, itb);
        for (const URI_Ref& item : items) {
            const CString id = Attr(this, item, "sec:InfoItem.id");
            const CString key = kiln::core::InfoItemKey(*this, item, id);
            const URI_Ref other = kiln::core::OtherItemOfKey(byKey, key, item);
            if (other.IsEmpty() || (id == key && Attr(this, other, "sec:InfoItem.id") == key)) continue;
            breaches.push_back("M2I中标识相同的信息条目（标识: " + key + "，与" + Attr(this, other, kRoleName) +
                               "相同，其映射条目不能导出）：" + Attr(this, item, kRoleName));
        }
    }

    if (!SaveExport(xml, path)) return false;
    CString done = path + "模板文件导出成功！";
    for (const CString& breach : breaches) done += "\n" + breach;
    Notice(done);
    return true;
}
