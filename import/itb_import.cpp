// The ITB reader: the information groups and items of an ITB file, with
// their IEC 60870-5-103 addresses, as a new ITB of an ICD.
#include <initializer_list>
#include <set>
#include <vector>

#include "import/import_util.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::import::Children;

namespace {

constexpr const char* kDescRole = "cim:Naming.description";

// The first node of the XPaths, in order, that gives a non-empty text; ""
// when none does.
CString FirstText(CKiln_Import& imp, const XmlNode& node, std::initializer_list<const char*> xpaths) {
    CString text;
    for (const char* xpath : xpaths) {
        imp.Get_NodeText(node, xpath, text);
        if (!text.IsEmpty()) break;
    }
    return text;
}

// The local name of an element ("ITB" for "itb:ITB").
CString LocalName(const XmlNode& node) {
    const CString name = node.NodeName();
    const int colon = name.Find(':');
    return colon >= 0 ? name.Mid(colon + 1) : name;
}

// Deletes what a refused run made, the latest first.
void TakeBack(CKiln_Main* app, const std::vector<URI_Ref>& made) {
    for (auto it = made.rbegin(); it != made.rend(); ++it) app->DocMtd_delete_a_Rsc(*it);
}

}  // namespace

bool CKiln_Import::Import_ITB(CKiln_Main* app, CBase_XML* source, URI_Ref icd, ImportNameTable* items) {
    m_nErrors = 0;
    m_pMain = app;
    m_pSourceXml = source;

    std::vector<URI_Ref> icds;
    app->DocMtd_get_Uris_byClassName("sec:ICD", icds, "", SortPolicy_ByName);
    for (const URI_Ref& i : icds)
        m_mapICDs.emplace(app->DocMtd_getValue_ofAttr(i, kRoleName) + app->DocMtd_getValue_ofAttr(i, "sec:ICD.icdVersion"),
                          i);

    const XmlNode root = source ? source->GetDocumentElement() : XmlNode();
    // Another kind of file holds no table.
    if (root.IsNull() || LocalName(root) != "ITB") return false;
    const std::vector<XmlNode> itemNodes = Children(root, "InfoItem");
    const std::vector<XmlNode> groupNodes = Children(root, "InfoGroup");
    const bool noGroups = groupNodes.empty();

    CString icdVersion;
    Get_NodeText(root, "@icdVersion", icdVersion);
    if (icd.IsEmpty()) {
        CString iedModel;
        if (!Get_NodeText(root, "@iedModel", iedModel)) {
            _AfxMessageBox("找不到对应的ICD！", MB_OK, "", nullptr);
            return false;
        }
        auto it = m_mapICDs.find(iedModel + icdVersion);
        if (it == m_mapICDs.end()) {
            _AfxMessageBox("通过iedModel找不到对应的ICD！", MB_OK, "", nullptr);
            return false;
        }
        icd = it->second;
    }

    // Ids are checked before anything is made; items without an id are
    // not keyed and so never repeat one.
    std::vector<CString> ids(itemNodes.size());
    {
        std::set<CString> seen;
        for (size_t i = 0; i < itemNodes.size(); ++i) {
            Get_NodeText(itemNodes[i], "@id", ids[i]);
            if (ids[i].IsEmpty()) continue;
            if (!seen.insert(ids[i]).second) {
                _AfxMessageBox("infoitem的id:" + ids[i] + "重复！", MB_OK, "", nullptr);
                return false;
            }
        }
    }

    std::vector<URI_Ref> made;
    URI_Ref itb;
    if (!app->NewRsc_ITB(&itb, icd)) return false;
    made.push_back(itb);

    for (const XmlNode& g : groupNodes) {
        URI_Ref group;
        if (!app->NewRsc_InfoGroup(&group, itb, "")) {
            TakeBack(app, made);
            return false;
        }
        made.push_back(group);
        CString text;
        if (Get_NodeText(g, "@name", text)) app->DocMtd_Modify_attribute_value(group, kRoleName, text);
        if (Get_NodeText(g, "@desc", text)) app->DocMtd_Modify_attribute_value(group, kDescRole, text);
    }

    ImportNameTable keyed;  // handed to the caller only when the run succeeds
    std::set<CString> groupKeys;
    for (size_t i = 0; i < itemNodes.size(); ++i) {
        const XmlNode& node = itemNodes[i];
        URI_Ref item;
        if (!app->NewRsc_InfoItem(&item, itb)) {
            TakeBack(app, made);
            return false;
        }
        made.push_back(item);
        CString text, name, desc;
        if (Get_NodeText(node, "@id", text)) app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.id", text);
        if (!ids[i].IsEmpty()) keyed.emplace(ids[i], item);
        if (Get_NodeText(node, "@name", name)) app->DocMtd_Modify_attribute_value(item, kRoleName, name);
        if (Get_NodeText(node, "@desc", desc)) app->DocMtd_Modify_attribute_value(item, kDescRole, desc);
        app->Mtd_SetStatusBarText(ids[i] + " " + name + " " + desc);
        // An empty data type names none.
        if (Get_NodeText(node, "@dataType", text) && !text.IsEmpty())
            app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.dataType", kiln::import::ModelEnum("ITBDataTypeEnum", text));
        app->DocMtd_Modify_attribute_value(item, kRoleOrd, kiln::import::Dec(static_cast<long long>(i) + 1));

        XmlNode config = node.SelectSingleNode("s103:Config");
        if (config.IsNull()) config = node.SelectSingleNode("sQV103:Config");
        if (config.IsNull()) config = node.SelectSingleNode("s103:config");
        const CString typ = FirstText(*this, config, {"@typ", "@sQV103:cpu", "@s103:cpu", "@s103:typ"});
        const CString grp = FirstText(*this, config, {"@grp", "@sQV103:grp", "@s103:grp"});
        app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.p103_typ", typ);
        app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.p103_fun",
                                           FirstText(*this, config, {"@fun", "@sQV103:fun", "@s103:fun"}));
        app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.p103_inf",
                                           FirstText(*this, config, {"@inf", "@sQV103:inf", "@s103:inf"}));
        app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.p103_grp", grp);
        app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.p103_ent",
                                           FirstText(*this, config, {"@itm", "@sQV103:itm", "@s103:itm"}));
        app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.p103_acc",
                                           FirstText(*this, config, {"@acc", "@sQV103:acc", "@s103:acc"}));
        if (Get_NodeText(node, "@infoGroup", text)) app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.infoGroup", text);
        if (typ.IsEmpty() && grp.IsEmpty()) continue;
        // Without groups in the file, the items are grouped by their address.
        if (noGroups) app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.infoGroup", typ + "/" + grp);
        groupKeys.insert(typ + "/" + grp);
    }

    if (noGroups) {
        for (const CString& key : groupKeys) {
            URI_Ref group;
            if (!app->NewRsc_InfoGroup(&group, itb, "")) {
                TakeBack(app, made);
                return false;
            }
            made.push_back(group);
            app->DocMtd_Modify_attribute_value(group, kRoleName, key);
        }
    }
    if (items) items->insert(keyed.begin(), keyed.end());
    app->Mtd_SetStatusBarText("导入ITB结束");
    return true;
}
