// The M2I reader: the MappingItems of an M2I file resolved against the
// ICD's instance and grouped by the data object they address; each group
// then becomes the map items of a new M2I (m2i_items.cpp).
#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "import/import_util.h"
#include "import/m2i_run.h"
#include "platform/ui/ui_functions.h"

namespace {

constexpr const char* kM2iNamespace = "/Zel/2004/M2I";

// The data object part of a toDA below its "LD/LN" key: the first
// component, extended while the longer path is a DO or SDO; the last
// component never belongs to it.
CString DOPart(const ImportNameTable& dos, const CString& lnKey, const CString& rest) {
    std::vector<CString> parts;
    int from = 0;
    for (;;) {
        const int dot = rest.Find('.', from);
        if (dot < 0) {
            parts.push_back(rest.Mid(from));
            break;
        }
        parts.push_back(rest.Mid(from, dot - from));
        from = dot + 1;
    }
    CString doPart = parts[0];
    for (size_t i = 1; i + 1 < parts.size(); ++i) {
        const CString longer = doPart + "." + parts[i];
        if (!dos.count(lnKey + "." + longer)) break;
        doPart = longer;
    }
    return doPart;
}

// The Mappings elements of an M2I file: those of the root M2I's namespace
// below it, whatever prefix the file gives that namespace; none for a file
// of another root or a root of another namespace.
std::vector<XmlNode> MappingsOf(const CBase_XML* source) {
    const XmlNode root = source ? source->GetDocumentElement() : XmlNode();
    if (!kiln::import::IsTableRoot(root, "M2I", kM2iNamespace)) return {};
    return kiln::import::ChildrenIn(root, root.NamespaceUri(), {"Mappings"});
}

}  // namespace

bool CKiln_Import::Check_M2ISource(CKiln_Main* app, CBase_XML* source, const URI_Ref& icd) {
    if (MappingsOf(source).empty()) {
        _AfxMessageBox("未找到Mappings节点！", MB_OK, "", nullptr);
        // The root found, or the Mappings it holds of another namespace.
        const XmlNode root = source ? source->GetDocumentElement() : XmlNode();
        m_strRefusal = kiln::import::WrongRoot(root, "M2I", kM2iNamespace);
        if (m_strRefusal.IsEmpty()) m_strRefusal = kiln::import::NoneToRead(root, "Mappings", "映射条目");
        return false;
    }
    if (icd.IsEmpty()) {
        _AfxMessageBox("找不到对应的ICD！", MB_OK, "", nullptr);
        return false;
    }
    const URI_Ref ied = app->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED");
    if (ied.IsEmpty() || app->DocMtd_getFirstUri_ofAsso(ied, "sec:IED.Servers").IsEmpty()) {
        _AfxMessageBox("ICD没有IED或Server，不能导入M2I！", MB_OK, "", nullptr);
        return false;
    }
    return true;
}

void CKiln_Import::AddM2IError(M2IRun& run, const CString& name, const CString& error) {
    AddEntry(run.reportNode, "MappingItem", "错误：" + name, error, &m_nErrors);
}

bool CKiln_Import::Import_M2I(CKiln_Main* app, CBase_XML* source, URI_Ref icd, CBase_XML report,
                              ImportNameTable items) {
    M2IRun run;
    run.app = app;
    run.items = &items;
    m_nErrors = 0;
    m_saReportAttrs.Add("name");
    m_saReportAttrs.Add("error");
    m_xmlReportDoc = report;
    run.reportNode = m_xmlReportDoc.Get_NodePtr(m_xmlReportDoc.GetDocumentElement(), "M2I");
    if (run.reportNode.IsNull()) {
        _AfxMessageBox(app->Get_ReportTemplatePath() + "模板文件格式不正确, 导入不成功！", MB_OK, "", nullptr);
        return false;
    }
    m_pMain = app;
    m_pSourceXml = source;
    if (!Check_M2ISource(app, source, icd)) return false;
    // The elements of the file are read by the root's namespace; each other
    // element is named, as are those of that namespace the mapping has not.
    const XmlNode root = source->GetDocumentElement();
    run.ns = root.NamespaceUri();
    auto unread = [&](const CString& where, const XmlNode& parent, std::initializer_list<const char*> known) {
        parent.ForEachChildElementIn(run.ns, known, [&](const XmlNode& child, bool picked) {
            if (!picked) AddM2IError(run, where, kiln::import::Unread(child, run.ns, known));
        });
    };
    unread("M2I", root, {"Mappings"});
    const std::vector<XmlNode> allMappings = MappingsOf(source);
    const XmlNode mappings = allMappings.front();
    unread("Mappings", mappings, {"Header", "SourceRef", "TargetRef", "MappingItem"});
    // A mapping file holds one Mappings: a further one is not read, and named.
    for (size_t k = 1; k < allMappings.size(); ++k)
        AddM2IError(run, "Mappings", "第" + kiln::import::Dec(static_cast<long long>(k) + 1) + "个Mappings未导入（其中" +
                                         kiln::import::Dec(static_cast<long long>(
                                             kiln::import::ChildrenIn(allMappings[k], run.ns, {"MappingItem"}).size())) +
                                         "个MappingItem）");

    const URI_Ref itb = app->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.ITB");
    if (itb.sClass != "sec:ITB") {
        _AfxMessageBox("请先导入ITB！", MB_OK, "", nullptr);
        return false;
    }
    if (!app->NewRsc_M2I(&run.m2i, icd, itb, false)) {
        _AfxMessageBox("建M2I失败！", MB_OK, "", nullptr);
        return false;
    }
    kiln::import::IndexM2IPaths(app, icd, run.lnodes, run.dos, run.das);

    // Pass 1: each MappingItem checked and put in the group of its data
    // object; one that is reported (a target the model lacks, or met
    // before) joins none, so that it makes and changes nothing.
    std::map<CString, std::vector<M2IEntry>> groups;
    std::set<CString> seen;
    std::vector<XmlNode> processes;
    size_t met = 0;
    mappings.ForEachChildElementIn(run.ns, {"MappingItem"}, [&](const XmlNode& node, bool isItem) {
        if (!isItem) return;
        const size_t position = met++;
        CString toDA, name;
        Get_NodeText(node, "@toDA", toDA);
        toDA = run.InIcdForm(toDA);
        Get_NodeText(node, "@name", name);
        // The item's children in one walk: those it leaves named, its
        // Process elements kept; then what those leave, in file order.
        processes.clear();
        node.ForEachChildElementIn(run.ns, {"Process"}, [&](const XmlNode& child, bool picked) {
            if (picked)
                processes.push_back(child);
            else
                AddM2IError(run, name, kiln::import::Unread(child, run.ns, {"Process"}));
        });
        for (const XmlNode& process : processes) unread(name, process, {"Parameter", "parameter"});
        const int before = m_nErrors;
        if (!run.das.count(toDA)) AddM2IError(run, name, "MappingItem:" + name + "未发现toDA:" + toDA + "！");
        if (!seen.insert(toDA).second) AddM2IError(run, name, "MappingItem:" + name + "toDA:" + toDA + "重复！");
        if (m_nErrors != before) return;
        const int dot = run.LnKeyEnd(toDA);
        const CString lnKey = dot >= 0 ? toDA.Left(dot) : toDA;
        const CString rest = dot >= 0 ? toDA.Mid(dot + 1) : CString();
        const CString doPart = DOPart(run.dos, lnKey, rest);
        // The DA path is what follows the LN key and the DO part.
        const CString head = lnKey + "." + doPart + ".";
        const CString daPath = toDA.Left(head.GetLength()) == head ? toDA.Mid(head.GetLength()) : CString();
        groups[lnKey + "." + doPart].push_back(M2IEntry{toDA, daPath, node, position});
    });

    // Pass 2: the groups in the order of their keys.
    for (const auto& [key, entries] : groups) {
        Map_M2IGroup(run, key, entries);
        if (run.refused) {
            for (auto it = run.made.rbegin(); it != run.made.rend(); ++it) app->DocMtd_delete_a_Rsc(it->second);
            app->DocMtd_delete_a_Rsc(run.m2i);
            return false;
        }
    }
    // The groups go by data object; the map items take the order of the
    // MappingItems that made them, so that the file written again lists
    // them as this one did.
    std::vector<std::pair<size_t, URI_Ref>> inFileOrder = run.made;
    std::stable_sort(inFileOrder.begin(), inFileOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (inFileOrder != run.made)
        for (size_t i = 0; i < inFileOrder.size(); ++i)
            app->DocMtd_Modify_attribute_value(inFileOrder[i].second, kiln::core::kRoleOrd,
                                               kiln::import::Dec(static_cast<long long>(i) + 1));
    Finish_Report(app, "M2I");
    return true;
}
