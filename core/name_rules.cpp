#include "core/name_rules.h"

#include <string_view>
#include <vector>

#include "core/scl_attribute_rules.h"
#include "core/scl_names.h"
#include "core/free_names.h"
#include "core/free_node_names.h"

namespace kiln::core {
namespace {

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
constexpr const char* kNodeLogs[] = {"sec:LNode.Log", nullptr};
constexpr const char* kNodeDOIs[] = {"sec:LNode.DOIs", nullptr};

constexpr const char* kBadType = "类型名不能为空，不能含空白字符，最多255个字符！";
constexpr const char* kBadDoName = "DO名必须以大写字母开头，只含字母和数字，最多12个字符！";
constexpr const char* kBadLogName = "日志名必须以字母开头，只含字母、数字和下划线，最多32个字符！";

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
    {"sec:DO", "sec:DO.LNodeType", kLnTypeDOs, IsSclDoName, kBadDoName, "DO", "LN类型"},
    {"sec:SDO", "sec:SDO.MemberOf_DOType", kDOTypeMembers, IsSclSdoName,
     "SDO名必须以小写字母开头，只含字母和数字，最多60个字符！", "SDO", "DO类型"},
    {"sec:DA", "sec:DA.MemberOf_DOType", kDOTypeMembers, IsSclAttributeName,
     "DA名必须是预定义的属性名，或以小写字母开头，只含字母和数字，最多60个字符！", "DA", "DO类型"},
    {"sec:BDA", "sec:BDA.MemberOf_DAType", kDATypeBDAs, IsSclAttributeName,
     "子DA名必须是预定义的属性名，或以小写字母开头，只含字母和数字，最多60个字符！", "子DA", "DA类型"},
    {"sec:LNodeType", "sec:LNodeType.TypePackage", kPackageTypes, IsSclTypeId, kBadType, "类型", "类型包"},
    {"sec:DOType", "sec:DOType.TypePackage", kPackageTypes, IsSclTypeId, kBadType, "类型", "类型包"},
    {"sec:DAType", "sec:DAType.TypePackage", kPackageTypes, IsSclTypeId, kBadType, "类型", "类型包"},
    {"sec:EnumType", "sec:EnumType.TypePackage", kPackageTypes, IsSclTypeId, kBadType, "类型", "类型包"},
    {"sec:DataSet", "sec:DataSet.LNode", kNodeDataSets, IsSclAcsiName,
     "数据集名必须以字母开头，只含字母、数字和下划线，最多32个字符！", "数据集", "逻辑节点"},
    {"sec:RCB", "sec:RCB.LNode", kNodeRCBs, IsSclAcsiName,
     "报告控制块名必须以字母开头，只含字母、数字和下划线，最多32个字符！", "报告控制块", "逻辑节点"},
    {"sec:LCB", "sec:LCB.LNode", kNodeLCBs, IsSclAcsiName,
     "日志控制块名必须以字母开头，只含字母、数字和下划线，最多32个字符！", "日志控制块", "逻辑节点"},
    {"sec:Log", "sec:Log.LNode", kNodeLogs, IsSclAcsiName, kBadLogName, "日志", "逻辑节点"},
    {"sec:DOI", "sec:DOI.LNode", kNodeDOIs, IsSclDoName, kBadDoName, "DO实例", "逻辑节点"},
};

// The name of an ICD or of an instance-type package heads the ids of the
// package's types ("P1" of "P1_PTOC"), those it holds (a renaming carries
// it into them) and those made in it later: a name that would give an id
// SCL refuses is refused.
CString CarriedTypeIdBreach(CKiln_Main& app, const URI_Ref& rsc, const CString& name) {
    URI_Ref package = rsc.sClass == "sec:ICD" ? app.DocMtd_getFirstUri_ofAsso(rsc, "sec:ICD.TypePackage") : rsc;
    if (package.IsEmpty() || !app.Is_InstType(package)) return CString();
    if (!IsSclTypeId((name + "_").str())) return kBadType;
    const CString old = app.DocMtd_getValue_ofAttr(rsc, "cim:Naming.name");
    if (old.IsEmpty()) return CString();
    for (const char* list : {"sec:TypePackage.DATypes", "sec:TypePackage.DOTypes", "sec:TypePackage.LNodeTypes"}) {
        std::vector<URI_Ref> types;
        app.DocMtd_get_Association_BUris(package, list, types, "e301:OrdNaming.ord", SortPolicy_ByOrd);
        for (const URI_Ref& type : types) {
            const CString id = app.DocMtd_getValue_ofAttr(type, "cim:Naming.name");
            const CString rest = id.Mid(old.GetLength());
            if (id.Left(old.GetLength()) == old && (rest.IsEmpty() || rest.Left(1) == "_") &&
                !IsSclTypeId((name + rest).str()))
                return kBadType;
        }
    }
    return CString();
}

}  // namespace

CString DoReferenceBreach(const CString& ref) {
    const std::string& text = ref.str();
    const size_t dot = text.find('.');
    bool valid = IsSclDoName(std::string_view(text).substr(0, dot));
    for (size_t at = dot; valid && at != std::string::npos;) {
        const size_t next = text.find('.', at + 1);
        const size_t length = next == std::string::npos ? next : next - at - 1;
        valid = IsSclSdoName(std::string_view(text).substr(at + 1, length));
        at = next;
    }
    return valid ? CString() : CString(kBadDoName);
}

CString LogNameBreach(const CString& name) {
    return name.IsEmpty() || IsSclAcsiName(name.str()) ? CString() : CString(kBadLogName);
}

CString NameBreach(CKiln_Main& app, const URI_Ref& rsc, const CString& name) {
    SiblingNames siblings(app);
    return NameBreach(siblings, app, rsc, name);
}

CString NameBreach(SiblingNames& siblings, CKiln_Main& app, const URI_Ref& rsc, const CString& name) {
    // A device's name is its instance, once among all devices of its IED.
    if (rsc.sClass == "sec:LDevice") {
        if (!IsSclLdInst(name.str())) return kBadLdInstText;
        const URI_Ref ied = app.DocMtd_getFirstUri_ofAsso(rsc, "sec:LDevice.Server/sec:Server.IED");
        if (ied.IsSet() && siblings.Taken(ied, kDevicesOfIed, name, rsc))
            return "IED中已经存在名为" + name + "的逻辑装置，不能修改！";
        return CString();
    }
    if (rsc.sClass == "sec:ICD" || rsc.sClass == "sec:TypePackage") return CarriedTypeIdBreach(app, rsc, name);
    // The ITB file holds no item or group without a name: its import refuses one.
    if (CString bare = name; bare.Trim().IsEmpty()) {
        if (rsc.sClass == "sec:InfoItem") return "信息条目名称不能为空，不能修改！";
        if (rsc.sClass == "sec:InfoGroup") return "信息组名称不能为空，不能修改！";
    }
    for (const CNameRule& rule : kNameRules) {
        if (rsc.sClass != rule.cls) continue;
        if (!rule.pattern(name.str())) return rule.badText;
        const URI_Ref owner = app.DocMtd_getFirstUri_ofAsso(rsc, rule.ownerRole);
        if (owner.IsEmpty()) return CString();
        for (const char* const* list = rule.siblingLists; *list; ++list)
            if (siblings.Taken(owner, *list, name, rsc))
                return CString(rule.owner) + "中已经存在名为" + name + "的" + rule.kind + "，不能修改！";
        return CString();
    }
    return CString();
}

}  // namespace kiln::core
