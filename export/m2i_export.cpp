// The M2I file: the mapping of information items onto data attributes,
// one MappingItem (with Process and Parameter) per mapped value, under the
// Mappings element of the M2I template; and the layout of an ICD's M2I file
// (the same header places, no items).
#include <vector>

#include "core/info_item_keys.h"
#include "core/kiln_main.h"
#include "export/command_steps.h"
#include "export/export_util.h"
#include "export/kiln_export.h"
#include "platform/ui/file_dialog.h"

using namespace kiln::exporter;
using kiln::core::kRoleName;

namespace {

// The places every M2I file fills for its ICD: Mappings' iedModel and
// icdVersion with Header's id (when there is a Header), and the iedModel of
// SourceRef and TargetRef (each when there).
void FillMappingsHeader(CBase_XML& xml, const XmlNode& mappings, const CString& icdName, const CString& icdVersion) {
    if (XmlNode header = xml.Get_NodePtr(mappings, "Header")) {
        Put(xml, mappings, "iedModel", icdName);
        Put(xml, mappings, "icdVersion", icdVersion);
        Put(xml, header, "id", "ITB For " + icdName);
    }
    for (const char* ref : {"SourceRef", "TargetRef"})
        if (XmlNode node = xml.Get_NodePtr(mappings, ref)) Put(xml, node, "iedModel", icdName);
}

// Asks for the file (default name: the ICD's name); false when cancelled.
bool AskPath(const CString& icdName, CString& path) {
    CFileDialog dlg(FALSE, "m2i", icdName, kSaveFlags, "*.m2i");
    if (dlg.DoModal() != IDOK) return false;
    path = dlg.GetPathName();
    return true;
}

// The success text names the file, as the ITB export's does, and is
// followed by one line for each item left out.
bool SaveAndReport(CBase_XML& xml, const CString& path, const std::vector<CString>& leftOut = {}) {
    if (!SaveExport(xml, path)) return false;
    CString done = path + "模板文件导出成功！";
    for (const CString& item : leftOut) done += "\n未导出" + item;
    Notice(done);
    return true;
}

}  // namespace

namespace kiln::exporter {

bool Export_M2I_MappingItem(CBase_XML& xml, const XmlNode& parent, const CString& ref, const CString& name,
                            const CString& desc, const CString& op, const CString& idItb, const CString& value,
                            const CString& daPart) {
    // The attribute lists and fixed texts, made once.
    static const CStringArray kItemAttrs = Names({"name", "desc", "toDA"});
    static const CStringArray kProcessAttrs = Names({"operator", "desc"});
    static const CStringArray kIdAttrs = Names({"name", "idITB"});
    static const CStringArray kIdValAttrs = Names({"name", "idITB", "val"});
    static const CStringArray kValAttrs = Names({"name", "val"});
    static const CStringArray kNameAttrs = Names({"name"});
    static const CString kExtract("M2I:ExtractVal"), kValueDesc("得到数据值"), kWithId("ParaANYwT"), kAny("ParaANY"),
        kNone;
    const CString joined = daPart.IsEmpty() ? CString() : ref + daPart;
    const XmlNode item = xml.AddNewNode_withAttrValues(parent, "MappingItem", kItemAttrs,
                                                       {name, desc, daPart.IsEmpty() ? ref : joined});
    if (!item) return false;
    const XmlNode process = xml.AddNewNode_withAttrValues(item, "Process", kProcessAttrs,
                                                          {op.IsEmpty() ? kExtract : op, desc.IsEmpty() ? kValueDesc : desc});
    if (!process) return false;
    // The information item's identifier first, then the value; an item
    // with both carries both, so that the import reads the value back.
    const XmlNode parameter =
        !idItb.IsEmpty() ? (value.IsEmpty() ? xml.AddNewNode_withAttrValues(process, "Parameter", kIdAttrs, {kWithId, idItb})
                                            : xml.AddNewNode_withAttrValues(process, "Parameter", kIdValAttrs,
                                                                            {kWithId, idItb, value}))
        : !value.IsEmpty() ? xml.AddNewNode_withAttrValues(process, "Parameter", kValAttrs, {kAny, value})
                           : xml.AddNewNode_withAttrValues(process, "Parameter", kNameAttrs, {kNone});
    return static_cast<bool>(parameter);
}

bool Read_M2I_MapItem(CKiln_Main* pMain, const URI_Ref& mapItem, M2IMapItem& out, M2IExportRun& run) {
    static const std::vector<CString> kRoles = [] {
        std::vector<CString> roles{kRoleName,           "sec:DARef.doName",       "sec:DARef.daName",
                                   "sec:MapItem.operator", "cim:Naming.description", "sec:MapItem.valStr"};
        for (const kiln::core::MapItemProperty& p : kiln::core::MapItemProperties()) roles.emplace_back(p.role);
        return roles;
    }();
    if (!pMain->m_Doc.ValuesOf(mapItem, kRoles, out.texts)) return false;
    // LN: prefix, class and instance; the class the ICD export writes.
    out.lnode = pMain->DocMtd_getFirstUri_ofAsso(mapItem, "sec:DARef.LNode");
    const auto [found, isNew] = run.nodes.try_emplace(out.lnode.sUri);
    out.node = &found->second;
    if (isNew) {
        out.node->ref = kiln::core::NodeReference(*pMain, out.lnode);
        out.node->secondLln0 = IsSecondLln0(pMain, out.lnode);
    }
    out.info = pMain->DocMtd_getFirstUri_ofAsso(mapItem, "sec:MapItem.InfoItem");
    out.target = run.targets.Resolve(out.lnode, CString(out.texts[M2IMapItem::kDoName]),
                                     CString(out.texts[M2IMapItem::kDaName]));
    return true;
}

void Export_M2I_MapItem(const XmlNode& mappings, CBase_XML& xml, const M2IMapItem& item, CKiln_Main* pMain,
                        std::vector<CString>& leftOut, M2IExportRun& run) {
    auto text = [&item](int field) { return CString(item.texts[static_cast<size_t>(field)]); };
    const CString name = text(M2IMapItem::kName);
    const M2IExportRun::Node& node = *item.node;
    const CString doName = text(M2IMapItem::kDoName);
    const CString daName = text(M2IMapItem::kDaName);
    const CString op = text(M2IMapItem::kOperator);
    const CString desc = text(M2IMapItem::kDesc);

    // The information item by its id, else its path name, else its number.
    const CString idItb = item.info.IsSet() ? kiln::core::InfoItemKey(*pMain, item.info) : CString();

    if (node.ref.IsEmpty() || doName.IsEmpty()) {
        leftOut.push_back(CString(node.ref.IsEmpty() ? "映射条目（未指向逻辑节点）：" : "映射条目（没有DO名）：") + name);
        return;
    }
    // An item without id whose order number is another item's id (or two
    // items of one id): the file would link the mapping to the other item.
    if (kiln::core::OtherItemOfKey(run.itemKeys, idItb, item.info).IsSet()) {
        leftOut.push_back("映射条目（InfoItem的标识" + idItb + "与其他InfoItem相同）：" + name);
        return;
    }

    if (node.secondLln0) {
        leftOut.push_back("映射条目（逻辑节点是LDevice中的第二个LLN0，未导出）：" + name);
        return;
    }
    const CString doRef = node.ref + "." + doName;
    // A DO or DA that its node's type no longer holds (a member deleted or
    // renamed in the type) could not be read back.
    const kiln::core::MapItemResolver::Target& target = item.target;
    if (target.state != CKiln_Main::MapItemTarget::Held) {
        leftOut.push_back("映射条目（DO或DA不在逻辑节点的类型中）：" + name);
        return;
    }
    // Below a data object whose class has key DAs the import makes map
    // items of those alone, and reads the others as properties or refuses them.
    if (!daName.IsEmpty() && target.keyClass && !target.keyDA) {
        leftOut.push_back("映射条目（DA: " + daName + "不是CDC: " + target.cdc + "的关键DA）：" + name);
        return;
    }

    // The MappingItems of the item: its target, then each property with a
    // value (the time stamp last), written at the item's data object. The
    // import reads a property back onto the item only where that object's
    // type holds it, its class has key DAs, and no key-DA item of the same
    // object follows an item without DA (which would take it): any other
    // property is left out and named.
    struct Entry {
        CString toDA, value;
    };
    const CString dotRef = doRef + ".";
    const std::vector<kiln::core::MapItemProperty>& properties = kiln::core::MapItemProperties();
    std::vector<Entry> entries;
    entries.reserve(1 + properties.size());
    entries.push_back({daName.IsEmpty() ? doRef : dotRef + daName, text(M2IMapItem::kValue)});
    const auto keyAfter = node.lastKeyItem.find(doName);
    const bool takenByKeyItem = daName.IsEmpty() && keyAfter != node.lastKeyItem.end() && keyAfter->second > run.position;
    for (size_t k = 0; k < properties.size(); ++k) {
        const int field = M2IMapItem::kProperties + static_cast<int>(k);
        if (item.texts[static_cast<size_t>(field)].empty()) continue;
        const kiln::core::MapItemProperty& p = properties[k];
        const CString stored = text(field);
        const URI_Ref attribute = run.targets.AttributeOf(item.lnode, doName, p.m2iPath);
        // A unit goes as the code of its attribute's enumeration value, which
        // the import reads; the time stamp has no value of its own.
        const URI_Ref unit = p.unitEnum ? run.targets.UnitOf(p, attribute, stored) : URI_Ref();
        const CString why = attribute.IsEmpty() ? "DO: " + doName + "的类型中没有" + p.m2iPath
                            : p.unitEnum && unit.IsEmpty() ? kiln::core::UnitLackedText(stored)
                            : !target.keyClass ? "CDC: " + target.cdc + "没有关键DA，导入时成为单独的映射条目"
                            : takenByKeyItem   ? CString("导入时归入其后同一DO的关键DA映射条目")
                                               : CString();
        if (!why.IsEmpty()) {
            leftOut.push_back("映射条目的" + CString(p.m2iPath) + "（" + why + "）：" + name);
            continue;
        }
        const CString value = unit.IsSet() ? kiln::core::EnumValCodeText(*pMain, unit)
                              : CString(p.m2iPath) == "t" ? CString()
                                                          : stored;
        entries.push_back({dotRef + p.m2iPath, value});
    }
    // The import refuses a toDA met before: the item is written whole or not.
    for (size_t i = 0; i < entries.size(); ++i) {
        const CString& toDA = entries[i].toDA;
        bool repeated = run.written.count(toDA.str()) > 0;
        for (size_t j = 0; j < i && !repeated; ++j) repeated = entries[j].toDA == toDA;
        if (repeated) {
            leftOut.push_back("映射条目（toDA: " + toDA + "重复）：" + name);
            return;
        }
    }
    static const CString kNoPart;
    for (Entry& entry : entries) {
        Export_M2I_MappingItem(xml, mappings, entry.toDA, name, desc, op, idItb, entry.value, kNoPart);
        run.written.insert(std::move(entry.toDA.str()));
    }
}

}  // namespace kiln::exporter

bool CKiln_Main::Rsc_M2I_Export(URI_Ref m2i) {
    if (m2i.IsEmpty()) return false;
    CBase_XML xml;
    CString templatePath;
    if (!LoadTemplate(this, xml, "M2I_Template.xml", kM2iNamespace, templatePath)) return false;

    const URI_Ref icd = DocMtd_getFirstUri_ofAsso(m2i, "sec:M2I.ICD");
    const CString icdName = Attr(this, icd, kRoleName);
    CString m2iName;
    if (!ReadName(this, m2i, m2iName)) return false;

    CString path;
    if (!AskPath(icdName, path)) return true;

    // Without Mappings the file could hold no item the import would find.
    const XmlNode mappings = xml.Get_NodePtr(xml.GetDocumentElement(), "Mappings");
    if (!mappings) return Failure(templatePath + "模板文件格式不正确, 导出不成功！\n没有Mappings元素");
    FillMappingsHeader(xml, mappings, icdName, Attr(this, icd, "sec:ICD.icdVersion"));

    std::vector<URI_Ref> items;
    if (!Members(this, m2i, "sec:M2I.MapItems", items)) return false;
    std::vector<CString> leftOut;
    M2IExportRun run(*this, kiln::core::InfoItemsByKey(*this, DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.ITB")));
    run.written.reserve(items.size() * 4);  // the item and a few properties each
    // Each item read once, then the last item of each data object that maps
    // one of its key DAs.
    std::vector<M2IMapItem> read(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        if (!Read_M2I_MapItem(this, items[i], read[i], run)) return false;
    for (size_t i = 0; i < read.size(); ++i)
        if (!read[i].texts[M2IMapItem::kDaName].empty() && read[i].target.keyDA)
            read[i].node->lastKeyItem[CString(read[i].texts[M2IMapItem::kDoName])] = i;
    for (run.position = 0; run.position < read.size(); ++run.position)
        Export_M2I_MapItem(mappings, xml, read[run.position], this, leftOut, run);
    return SaveAndReport(xml, path, leftOut);
}

bool CKiln_Main::Rsc_M2I_Create(URI_Ref icd) {
    if (icd.sClass != "sec:ICD") return false;
    CBase_XML xml;
    CString templatePath;
    if (!LoadTemplate(this, xml, "M2I_Template.xml", kM2iNamespace, templatePath)) return false;

    const CString icdName = Attr(this, icd, kRoleName);
    CString path;
    if (!AskPath(icdName, path)) return true;

    // The layout fills the places the export fills, so one template serves both.
    const XmlNode mappings = xml.Get_NodePtr(xml.GetDocumentElement(), "Mappings");
    if (!mappings) return Failure(templatePath + "模板文件格式不正确, 导出不成功！\n没有Mappings元素");
    FillMappingsHeader(xml, mappings, icdName, Attr(this, icd, "sec:ICD.icdVersion"));
    return SaveAndReport(xml, path);
}
