#include "views/name_rules.h"

#include <string_view>
#include <vector>

#include "core/scl_names.h"
#include "platform/ui/ui_functions.h"

namespace kiln::views {
namespace {

using core::kRoleName;
using core::kRoleOrd;

// Kinds whose siblings share one name space in the file: the DAs and SDOs of
// a DO type, the four kinds of type of a package (one id each in SCL).
constexpr const char* kDOTypeMembers[] = {"sec:DOType.Contains_SDOs", "sec:DOType.Contains_DAs", nullptr};
constexpr const char* kPackageTypes[] = {"sec:TypePackage.LNodeTypes", "sec:TypePackage.DOTypes",
                                         "sec:TypePackage.DATypes", "sec:TypePackage.EnumTypes", nullptr};
constexpr const char* kLnTypeDOs[] = {"sec:LNodeType.DOs", nullptr};
constexpr const char* kDATypeBDAs[] = {"sec:DAType.Contains_BDAs", nullptr};
constexpr const char* kNodeDataSets[] = {"sec:LNode.DataSets", nullptr};
constexpr const char* kNodeRCBs[] = {"sec:LNode.RCBs", nullptr};
constexpr const char* kNodeLCBs[] = {"sec:LNode.LCBs", nullptr};

constexpr const char* kBadType = "类型名不能为空，不能含空白字符，最多255个字符！";

struct CNameRule {
    const char* cls;
    const char* ownerRole;
    const char* const* siblingLists;
    bool (*pattern)(std::string_view);
    const char* badText;
    const char* kind;
    const char* owner;
};

constexpr CNameRule kNameRules[] = {
    {"sec:DO", "sec:DO.LNodeType", kLnTypeDOs, core::IsSclDoName,
     "DO名必须以大写字母开头，只含字母和数字，最多12个字符！", "DO", "LN类型"},
    {"sec:SDO", "sec:SDO.MemberOf_DOType", kDOTypeMembers, core::IsSclSdoName,
     "SDO名必须以小写字母开头，只含字母和数字，最多60个字符！", "SDO", "DO类型"},
    {"sec:DA", "sec:DA.MemberOf_DOType", kDOTypeMembers, core::IsSclAttributeName,
     "DA名必须是预定义的属性名，或以小写字母开头，只含字母和数字，最多60个字符！", "DA", "DO类型"},
    {"sec:BDA", "sec:BDA.MemberOf_DAType", kDATypeBDAs, core::IsSclAttributeName,
     "子DA名必须是预定义的属性名，或以小写字母开头，只含字母和数字，最多60个字符！", "子DA", "DA类型"},
    {"sec:LNodeType", "sec:LNodeType.TypePackage", kPackageTypes, core::IsSclTypeId, kBadType, "类型", "类型包"},
    {"sec:DOType", "sec:DOType.TypePackage", kPackageTypes, core::IsSclTypeId, kBadType, "类型", "类型包"},
    {"sec:DAType", "sec:DAType.TypePackage", kPackageTypes, core::IsSclTypeId, kBadType, "类型", "类型包"},
    {"sec:EnumType", "sec:EnumType.TypePackage", kPackageTypes, core::IsSclTypeId, kBadType, "类型", "类型包"},
    {"sec:DataSet", "sec:DataSet.LNode", kNodeDataSets, core::IsSclAcsiName,
     "数据集名必须以字母开头，只含字母、数字和下划线，最多32个字符！", "数据集", "逻辑节点"},
    {"sec:RCB", "sec:RCB.LNode", kNodeRCBs, core::IsSclAcsiName,
     "报告控制块名必须以字母开头，只含字母、数字和下划线，最多32个字符！", "报告控制块", "逻辑节点"},
    {"sec:LCB", "sec:LCB.LNode", kNodeLCBs, core::IsSclAcsiName,
     "日志控制块名必须以字母开头，只含字母、数字和下划线，最多32个字符！", "日志控制块", "逻辑节点"},
};

void Notice(const CString& text) { _AfxMessageBox(text, MB_OK, "", nullptr); }

}  // namespace

bool NameRefused(CKiln_Main& app, const URI_Ref& rsc, const CString& name) {
    for (const CNameRule& rule : kNameRules) {
        if (rsc.sClass != rule.cls) continue;
        if (!rule.pattern(name.str())) {
            Notice(rule.badText);
            return true;
        }
        const URI_Ref owner = app.DocMtd_getFirstUri_ofAsso(rsc, rule.ownerRole);
        if (owner.IsEmpty()) return false;
        for (const char* const* list = rule.siblingLists; *list; ++list) {
            std::vector<URI_Ref> siblings;
            app.DocMtd_get_Association_BUris(owner, *list, siblings, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& s : siblings)
                if (!(s == rsc) && app.DocMtd_getValue_ofAttr(s, kRoleName) == name) {
                    Notice(CString(rule.owner) + "中已经存在名为" + name + "的" + rule.kind + "，不能修改！");
                    return true;
                }
        }
        return false;
    }
    return false;
}

}  // namespace kiln::views
