// The steps every report-writing import worker shares: binding the report,
// the tables of the standard definitions, the check of the file's keys
// before anything is created, and the common ending.
#include "import/import_util.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

bool CKiln_Import::Bind_Report(CKiln_Main* app, CBase_XML* source, const CBase_XML& report) {
    m_saReportAttrs.RemoveAll();
    for (const char* a : {"name", "error", "parent"}) m_saReportAttrs.Add(a);
    m_xmlReportDoc = report;
    const XmlNode root = m_xmlReportDoc.GetDocumentElement();
    m_pReportRoot = m_xmlReportDoc.Get_NodePtr(root, "ICD");
    const std::pair<XmlNode*, const char*> kNodes[] = {
        {&m_pLNodesNode, "LNodes"}, {&m_pLDevicesNode, "LDevices"}, {&m_pLNodeTypesNode, "LNodeTypes"},
        {&m_pDOTypesNode, "DOTypes"}, {&m_pDATypesNode, "DATypes"}, {&m_pDOsNode, "DOs"},
        {&m_pDAsNode, "DAs"},       {&m_pBDAsNode, "BDAs"},         {&m_pDOIsNode, "DOIs"},
        {&m_pDAIsNode, "DAIs"}};
    bool complete = !m_pReportRoot.IsNull();
    for (const auto& [field, name] : kNodes) {
        *field = m_pReportRoot.IsNull() ? XmlNode() : m_xmlReportDoc.Get_NodePtr(m_pReportRoot, name);
        complete = complete && !field->IsNull();
    }
    m_pOtherErrorsNode = m_xmlReportDoc.Get_NodePtr(root, "other_errors");
    m_pMain = app;
    m_pSourceXml = source;
    return complete && !m_pOtherErrorsNode.IsNull();
}

URI_Ref CKiln_Import::Load_StandardTables(CKiln_Main* app) {
    using kiln::import::AddMembersByName;
    std::vector<URI_Ref> packages;
    app->DocMtd_get_Uris_byClassName("sec:TypePackage", packages, "", SortPolicy_ByName);
    for (const URI_Ref& p : packages) m_mapTypePackages.emplace(app->DocMtd_getValue_ofAttr(p, kRoleName), p);

    auto std = m_mapTypePackages.find("Orsane.Zel:2007");
    const URI_Ref stdPackage = std != m_mapTypePackages.end() ? std->second : app->m_uStdTypePackage;
    std::vector<URI_Ref> chain;
    if (stdPackage.IsSet()) app->GetTypePackage_Depended(&chain, stdPackage, false);
    for (const URI_Ref& p : chain) {
        AddMembersByName(app, p, "sec:TypePackage.DOSemantics", m_mapKnownDOSemantics);
        AddMembersByName(app, p, "sec:TypePackage.DASemantics", m_mapKnownDASemantics);
        AddMembersByName(app, p, "sec:TypePackage.EnumTypes", m_mapKnownEnumTypes);
    }
    for (const URI_Ref& p : chain) AddMembersByName(app, p, "sec:TypePackage.DATypes", m_mapKnownDATypes);
    for (const URI_Ref& p : chain) AddMembersByName(app, p, "sec:TypePackage.DOTypes", m_mapKnownDOTypes);
    for (const URI_Ref& p : chain) {
        for (const URI_Ref& lnType : kiln::import::MembersByOrd(app, p, "sec:TypePackage.LNodeTypes")) {
            const CString cls = app->DocMtd_getValue_ofAttr(lnType, kRoleName);
            m_mapKnownLNodeTypes.emplace(cls, lnType);
            // A class's DOs include those of its abstract classes, which hold
            // the common ones (Mod, Beh, ...).
            std::vector<URI_Ref> types;
            app->Get_AbstractTypes(lnType, &types, "sec:LNodeType.Abstract_Type");
            for (const URI_Ref& t : types)
                for (const URI_Ref& d : kiln::import::MembersByOrd(app, t, "sec:LNodeType.DOs"))
                    m_mapKnownDOs.emplace(cls + app->DocMtd_getValue_ofAttr(d, kRoleName), d);
        }
    }
    return stdPackage;
}

bool CKiln_Import::Check_FileKeys(XmlNode root, bool& bKeyMissing, bool bCheckKeys) {
    bKeyMissing = false;
    m_strRefusal = kiln::import::WrongRoot(root, "SCL", kiln::import::kSclNamespace);
    if (!m_strRefusal.IsEmpty()) return false;
    kiln::import::DropSclPrefix(root);
    const XmlNode templates = m_pSourceXml->Get_NodePtr(root, "DataTypeTemplates");
    if (templates.IsNull() || !bCheckKeys) return true;
    const struct {
        const char* element;
        const char* key;
        const char* name;
        const char* error;
    } kKeys[] = {{"LDevice", "inst", "错误：ICD文件:  LDevice:", "LDevice有inst为null！"},
                 {"EnumType", "id", "错误：ICD文件:  EnumType:", "EnumType有id为null！"},
                 {"DAType", "id", "错误：ICD文件:  DAType:", "DAType有id为null！"},
                 {"DOType", "id", "错误：ICD文件:  DOType:", "DOType有id为null！"},
                 {"LNodeType", "id", "错误：ICD文件:  LNodeType:", "LNodeType  id为null！"}};
    for (const auto& k : kKeys) {
        for (const XmlNode& el : kiln::import::Children(templates, k.element)) {
            CString key;
            if (el.GetAttribute(k.key, key)) continue;
            AddOtherError(k.name, k.error);
            bKeyMissing = true;
            return false;
        }
    }
    return true;
}

void CKiln_Import::Finish_Report(CKiln_Main* app, const char* what) {
    const CString kind(what);
    // The mapping's and the table's endings look at their errors only.
    const bool errorsOnly = kind == "M2I" || kind == "ITB";
    if (m_nErrors + (errorsOnly ? 0 : m_nWarnings) == 0) {
        _AfxMessageBox("导入成功!", MB_OK, "", nullptr);
        return;
    }
    CString summary;
    if (kind == "LNodeType" || errorsOnly)
        summary.Format(("导入" + kind + "结束，发现%d个错误。").GetString(), m_nErrors);
    else
        summary.Format(("导入" + kind + "结束，发现%d个错误，发现%d个警告。").GetString(), m_nErrors, m_nWarnings);
    app->Mtd_SetStatusBarText(summary);
    // A report that could not be written is not offered (Save_Report said so).
    const CString path = app->Get_ReportSavePath();
    if (!app->Save_Report(m_xmlReportDoc, path)) return;
    const CString question = kind + "文件导入完毕,发现错误" + kiln::import::Dec(m_nErrors) + "个。是否查看报告？";
    if (_AfxMessageBox(question, MB_YESNO, "$?$导入完成", nullptr) == IDYES) KQ_ShellExec(path, nullptr, "");
}
