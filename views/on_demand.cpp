// Items that a property page shows before they exist, made when the user
// starts to edit them: the default value of a data attribute, the DOI and
// DAI of a logical node's data, the mapping item of an information item.
#include <algorithm>
#include <string>
#include <vector>

#include "core/create_pattern.h"
#include "core/scl_names.h"
#include "core/type_classes.h"
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

// The value of a data-attribute path is not made: the path as typed and why.
void NoValue(const CString& path, const CString& why) {
    _AfxMessageBox("不能创建“" + path + "”的值：" + why + "！", MB_OK, "", nullptr);
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

namespace {

// Why the path `rel` below the DO `doName` (as typed, after `shown`: the DO's
// name and a dot on a node's page) names no value of the DO's type: the
// path the type holds for it (its constraints elsewhere), a member of the
// structure it names, or its first part the type lacks.
CString DaPathFault(CKiln_Main& app, URI_Ref dataObject, const CString& doName, const CString& shown,
                    const CString& rel) {
    Struct_DAs_ofDO das;
    app.Get_DAs_of_aDO(dataObject, &das, "", nullptr);
    std::vector<std::string> held;  // the type's paths without their constraints
    for (const Struct_DAItem& item : das.vDAs) held.push_back(kiln::core::WithoutConstraints(item.sPath.str()));
    auto below = [](const std::string& path, const std::string& head) {
        return path.size() > head.size() && path.compare(0, head.size(), head) == 0 && path[head.size()] == '.';
    };
    const std::string plain = kiln::core::WithoutConstraints(rel.str());
    for (size_t k = 0; k < held.size(); ++k)
        if (held[k] == plain) return "路径应为" + shown + das.vDAs[k].sPath;
    for (size_t k = 0; k < held.size(); ++k)
        if (below(held[k], plain)) return rel + "是复合结构，应指定其成员，如" + shown + das.vDAs[k].sPath;
    for (size_t end = plain.find('.');; end = plain.find('.', end + 1)) {
        const std::string head = plain.substr(0, end);
        const bool found =
            std::any_of(held.begin(), held.end(), [&](const std::string& p) { return p == head || below(p, head); });
        if (!found || end == std::string::npos) return kiln::views::DoTypeLacksText(doName, CString(head));
    }
}

// Where a DAI is made: the DOI that holds it, or, where the node holds none
// for the data object yet, the node and the DO that the DOI is made of in
// the same step as the DAI.
struct DaiOwner {
    URI_Ref doi;
    URI_Ref lnode;
    URI_Ref dataObject;
    CString doName;
};

// Asks, then makes the DAI named by the data-attribute path, and the DOI
// with it where the owner has none: both or nothing.
bool MakeDAI(CKiln_Main& app, CBase_Cmd* view, const DaiOwner& owner, const CString& field) {
    if (!Ask("是否创建" + field + "的值？", "$?$创建当前值？")) return false;
    std::vector<URI_Ref> dais;
    URI_Ref last;
    if (owner.doi.IsSet() &&
        app.DocMtd_get_descendent_BUris(owner.doi, "sec:DOI.DAIs", dais, last, kRoleOrd, SortPolicy_ByOrd) == 0)
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
    URI_Ref dataObject = owner.dataObject;
    URI_Ref lnode = owner.lnode;
    if (app.DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType").IsSet())
        dataObject = app.Get_DO_Dfn(lnode, owner.doName);
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
        const CString head = owner.doName + ".";
        const bool withDo = field.Left(head.GetLength()) == head;
        NoValue(field, dataObject.IsEmpty()
                           ? kiln::views::NodeTypeLacksText(app, lnode, owner.doName)
                           : DaPathFault(app, dataObject, owner.doName, withDo ? head : CString(),
                                         withDo ? field.Mid(head.GetLength()) : field));
        return false;
    }
    URI_Ref dai;
    kiln::core::CNewRsc c(app, &dai, "W0074");
    const bool made = c.Build([&] {
        URI_Ref doi = owner.doi;
        if (doi.IsEmpty()) c.Adopt(app.NewRsc_DOI(&doi, owner.lnode, owner.dataObject), doi);
        URI_Ref member;
        c.Adopt(app.NewRsc_DAI(&member, doi, dfn, name), member);
        return member;
    });
    if (!made) return false;
    Redisplay(view);
    return true;
}

}  // namespace

std::optional<bool> OnDemandDOI(CKiln_Main& app, CBase_Cmd* view, const Struct_EditPack& pack, const URI_Ref& lnode) {
    // The page puts the field's path ("Mod.stVal[ST]") into the second pair list.
    const CString path = pack.vList2.vPairs.empty() ? CString() : pack.vList2.vPairs.front().second;
    if (path.IsEmpty()) return std::nullopt;
    // The path names the data object, then its attribute followed by the
    // attribute's functional constraints: DO.DA[FC].
    const int dot = path.Find('.'), open = path.Find('['), close = open < 0 ? -1 : path.Find(']', open);
    const CString form = "，应为DO.DA[FC]的形式，如Mod.stVal[ST]";
    if (close < 0) {
        NoValue(path, "路径中没有功能约束[FC]" + form);
        return false;
    }
    if (dot <= 0 || dot > open) {
        NoValue(path, "路径中没有DO或DA" + form);
        return false;
    }
    const CString doName = StringBefore(path, ".");
    const URI_Ref lnType = app.DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType");
    if (lnType.IsEmpty()) {
        NoValue(path, "逻辑节点" + kiln::core::NodeName(app, lnode) + "没有LN类型");
        return false;
    }
    std::vector<URI_Ref> chain;
    app.Get_AbstractTypes(lnType, &chain, "sec:LNodeType.Abstract_Type");
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
    if (found.IsEmpty()) {
        NoValue(path, kiln::views::NodeTypeLacksText(app, lnode, doName));
        return false;
    }
    // The node may hold the instance already: it is used, never doubled.
    std::vector<URI_Ref> dois;
    app.DocMtd_get_Association_BUris(lnode, "sec:LNode.DOIs", dois, kRoleOrd, SortPolicy_ByOrd);
    DaiOwner owner{URI_Ref(), lnode, found, doName};
    for (const URI_Ref& d : dois)
        if (app.DocMtd_getFirstUri_ofAsso(d, "sec:DOI.DO") == found) owner.doi = d;
    for (size_t k = 0; owner.doi.IsEmpty() && k < dois.size(); ++k)
        if (app.DocMtd_getValue_ofAttr(dois[k], kRoleName) == doName) owner.doi = dois[k];
    if (owner.doi.IsSet()) return OnDemandDAI(app, view, owner.doi, path);
    return MakeDAI(app, view, owner, path);
}

bool OnDemandDAI(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& doi, const CString& field) {
    return MakeDAI(app, view,
                   {doi, app.DocMtd_getFirstUri_ofAsso(doi, "sec:DOI.LNode"),
                    app.DocMtd_getFirstUri_ofAsso(doi, "sec:DOI.DO"), app.DocMtd_getValue_ofAttr(doi, kRoleName)},
                   field);
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
