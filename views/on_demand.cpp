// Items that a property page shows before they exist, made when the user
// starts to edit them: the default value of a data attribute, the DOI and
// DAI of a logical node's data, the mapping item of an information item.
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"
#include "views/property_editor.h"
#include "views/view_helpers.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace kiln::views {

namespace {

void Redisplay(CBase_Cmd* view) {
    if (view) view->Mtd_Refresh(0);
}

bool Ask(const CString& text, const CString& caption) {
    return _AfxMessageBox(text, MB_YESNO, caption, nullptr) == IDYES;
}

}  // namespace

std::optional<bool> OnDemandValue(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& attr) {
    if (app.DocMtd_getFirstUri_ofAsso(attr, "sec:BDA.Vals").IsSet()) return std::nullopt;
    const CString name = app.DocMtd_getValue_ofAttr(attr, kRoleName);
    if (IsBasicType(app.DocMtd_getValue_ofAttr(attr, "sec:BDA.bType"), "Struct")) {
        _AfxMessageBox("不能创建复合结构的缺省值！", MB_OK, "", nullptr);
        return false;
    }
    const char* owner = attr.sClass == "sec:DA" ? "sec:DA.MemberOf_DOType" : "sec:BDA.MemberOf_DAType";
    const CString typeName = app.DocMtd_getFirstValue_ofAsso(attr, owner, kRoleName);
    if (typeName.IsEmpty()) return false;
    if (!Ask("是否创建" + name + "的缺省值？\n\n注意：这将影响到所有使用 " + typeName + " 的类型和成员",
             "$?$创建缺省值？"))
        return false;
    URI_Ref val;
    if (!app.NewRsc_Val(&val, attr)) return false;
    Redisplay(view);
    return true;
}

std::optional<bool> OnDemandDOI(CKiln_Main& app, Struct_EditPack& pack, URI_Ref& rsc, CString& field) {
    // The page puts the field's path ("Mod.stVal[ST]") into the second pair list.
    const CString path = pack.vList2.vPairs.empty() ? CString() : pack.vList2.vPairs.front().second;
    if (!ContainsAfterFirst(path, ".")) return std::nullopt;
    const CString doName = StringBefore(path, ".");
    std::vector<URI_Ref> chain;
    app.Get_AbstractTypes(app.DocMtd_getFirstUri_ofAsso(rsc, "sec:LNode.LNodeType"), &chain,
                          "sec:LNodeType.Abstract_Type");
    URI_Ref found;
    for (const URI_Ref& type : chain) {
        if (type.IsEmpty()) continue;
        std::vector<URI_Ref> dos;
        URI_Ref last;
        if (app.DocMtd_get_descendent_BUris(type, "sec:LNodeType.DOs", dos, last, kRoleOrd, SortPolicy_ByOrd) == 0)
            return false;
        for (const URI_Ref& d : dos)
            if (app.DocMtd_getValue_ofAttr(d, kRoleName) == doName) {
                found = d;
                break;
            }
        if (found.IsSet()) break;
    }
    if (found.IsEmpty()) return std::nullopt;
    // The node may hold the instance already: it is used, never doubled.
    std::vector<URI_Ref> dois;
    app.DocMtd_get_Association_BUris(rsc, "sec:LNode.DOIs", dois, kRoleOrd, SortPolicy_ByOrd);
    URI_Ref doi;
    for (const URI_Ref& d : dois)
        if (app.DocMtd_getFirstUri_ofAsso(d, "sec:DOI.DO") == found) doi = d;
    for (size_t k = 0; doi.IsEmpty() && k < dois.size(); ++k)
        if (app.DocMtd_getValue_ofAttr(dois[k], kRoleName) == doName) doi = dois[k];
    if (doi.IsEmpty() && !app.NewRsc_DOI(&doi, rsc, found)) return false;
    rsc = doi;
    field = path;
    return std::nullopt;
}

bool OnDemandDAI(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& doi, const CString& field) {
    if (!Ask("是否创建" + field + "的值？", "$?$创建当前值？")) return false;
    std::vector<URI_Ref> dais;
    URI_Ref last;
    if (app.DocMtd_get_descendent_BUris(doi, "sec:DOI.DAIs", dais, last, kRoleOrd, SortPolicy_ByOrd) == 0)
        return false;
    auto exists = [&](const CString& name) {
        for (const URI_Ref& d : dais)
            if (app.DocMtd_getValue_ofAttr(d, kRoleName) == name) {
                _AfxMessageBox("已经存在“" + field + "”的当前值，不用创建！", MB_OK, "", nullptr);
                return true;
            }
        return false;
    };
    if (exists(field)) return false;
    // The DO of the DOI's name in its node's type, as the export and the
    // check judge the DOI: its own link may name the DO of a type the node
    // had before. A DOI of a node without a type goes by its link.
    URI_Ref dataObject = app.DocMtd_getFirstUri_ofAsso(doi, "sec:DOI.DO");
    URI_Ref lnode = app.DocMtd_getFirstUri_ofAsso(doi, "sec:DOI.LNode");
    if (app.DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType").IsSet())
        dataObject = app.Get_DO_Dfn(lnode, app.DocMtd_getValue_ofAttr(doi, kRoleName));
    CString name = field;
    URI_Ref dfn = app.Get_DA_Dfn(dataObject, name);
    if (dfn.IsEmpty()) {
        // A path from the node's page begins with the data object's name;
        // the DAI is named without it, and never made twice.
        name = StringAfter(field, ".");
        dfn = app.Get_DA_Dfn(dataObject, name);
        if (dfn.IsSet() && exists(name)) return false;
    }
    if (dfn.IsEmpty()) {
        _AfxMessageBox("不能创建复合结构的值，或不合法的DA/BDA！", MB_OK, "", nullptr);
        return false;
    }
    URI_Ref dai;
    if (!app.NewRsc_DAI(&dai, doi, dfn, name)) return false;
    Redisplay(view);
    return true;
}

bool OnDemandMapItem(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& infoItem) {
    if (app.DocMtd_getFirstUri_ofAsso(infoItem, "sec:InfoItem.MapItem").IsSet()) {
        _AfxMessageBox("已经存在映射条目，不用创建！", MB_OK, "", nullptr);
        return false;
    }
    const URI_Ref m2i = app.DocMtd_getFirstUri_ofAsso(infoItem, "sec:InfoItem.ITB/sec:ITB.ICD/sec:ICD.M2I");
    if (m2i.IsEmpty()) {
        _AfxMessageBox("内部错误（180）--不能定位映射！", MB_OK, "", nullptr);
        return false;
    }
    URI_Ref item;
    if (!app.NewRsc_MapItem(&item, m2i, infoItem)) return false;
    Redisplay(view);
    _AfxMessageBox("已创建映射条目，请继续。", MB_OK, "", nullptr);
    return true;
}

}  // namespace kiln::views
