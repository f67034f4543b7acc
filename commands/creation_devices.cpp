// Logical devices (born with their LLN0 and LPHD nodes, typed by the
// instance types of those standard classes that the package chain holds),
// logical nodes typed by a chosen instance LN type, and the DOI and DAI
// instances of a node. A new node or device numbered onto a name that is
// taken takes the first free number.
#include "commands/creation.h"
#include "core/free_node_names.h"
#include "editing/lnode_class.h"
#include "platform/mfc/text_funcs.h"

#include <algorithm>

namespace kiln::commands {
namespace {

constexpr const char* kNoNodeTypes = "由于类型包中没有定义除LLN0、LPHD之外的逻辑节点类型，不能增加逻辑节点！";
constexpr int kMaxNodesPerCommand = 10000;
constexpr const char* kTooManyNodes = "数量超出上限，每次最多增加 10000 个逻辑节点！";
constexpr const char* kIcdPackagePath = "sec:LDevice.Server/sec:Server.IED/sec:IED.ICD/sec:ICD.TypePackage";

CString NameOf(CKiln_Main& app, const URI_Ref& rsc) { return app.DocMtd_getValue_ofAttr(rsc, core::kRoleName); }

// The first instance LN types of the standard LLN0 and LPHD classes along the
// package's dependency chain; false with the message when either is missing.
// With `listingMustSucceed` a chain that cannot be listed (it nests or runs in
// a circle, which the listing reports) ends without a further message.
bool FindLln0AndLphd(CKiln_Main& app, const URI_Ref& package, URI_Ref& lln0, URI_Ref& lphd,
                     bool listingMustSucceed) {
    std::vector<URI_Ref> packages;
    if (!app.GetTypePackage_Depended(&packages, package, true) && listingMustSucceed) return false;
    for (const auto& [stdType, out] : {std::pair<const URI_Ref&, URI_Ref&>{app.m_uStdLLN0Type, lln0},
                                       std::pair<const URI_Ref&, URI_Ref&>{app.m_uStdLPHDType, lphd}}) {
        for (const URI_Ref& p : packages)
            if (stdType.IsSet() &&
                app.DocMtd_Find_aURI_InAsso(stdType, p, "sec:TypePackage.LNodeTypes", out,
                                            "sec:LNodeType.ClassOf_LNType"))
                break;
    }
    if (lln0.IsSet() && lphd.IsSet()) return true;
    Notice("在类型包中没有发现LPHD或LLN0实例化类型，不能增加逻辑装置！");
    return false;
}

// Asks for an instance LN type of the device's package; empty when none is
// offered, cancelled or the answer is empty.
URI_Ref AskNodeType(Creation& c, const CString& packagePath) {
    CKiln_Main& app = c.f.app;
    app.SetEditPackList_forType(&c.f.pack, c.parent, packagePath, "sec:TypePackage.LNodeTypes", "", "true");
    if (c.f.pack.vList.GetSize() == 0) {
        Notice(kNoNodeTypes);
        return URI_Ref();
    }
    CString answer;
    if (!app.Mtd_SingleInputBox("选择逻辑节点类型：", answer, &c.f.pack, false) || answer.IsEmpty())
        return URI_Ref();
    return app.DocMtd_TestBy_URIRef(answer);
}

}  // namespace

bool RefusedLln0(CKiln_Main& app, const URI_Ref& ld, const URI_Ref& type, int count) {
    if (editing::LnClassOfType(app, type) != "LLN0") return false;
    const bool present = count > 1 || editing::HoldsLln0(app, ld);
    if (present) Notice(editing::kSecondLln0);
    return present;
}

Next AddBaseLDevice(Creation& c) {
    CKiln_Main& app = c.f.app;
    URI_Ref lln0, lphd;
    if (!FindLln0AndLphd(app, c.parent, lln0, lphd, false)) return Next::Leave;
    return app.NewRsc_LDevice(&c.f.newRsc, c.parent, lln0, lphd, URI_Ref()) ? Next::CommonEnd : Next::Leave;
}

Next AddLDevice(Creation& c) {
    CKiln_Main& app = c.f.app;
    if (app.m_uStdLLN0Type.IsEmpty() || app.m_uStdLPHDType.IsEmpty()) {
        Notice("没有发现IEC61850的LPHD和LLN0定义，不能增加逻辑装置");
        return Next::Leave;
    }
    const URI_Ref package = FirstOf(app, c.parent, "sec:IED.ICD/sec:ICD.TypePackage");
    URI_Ref lln0, lphd;
    if (!FindLln0AndLphd(app, package, lln0, lphd, true)) return Next::Leave;
    if (!app.NewRsc_LDevice(&c.f.newRsc, c.parent, lln0, lphd, URI_Ref())) return Next::Leave;
    core::FreeDeviceName(app, c.f.newRsc);
    return Next::CommonEnd;
}

Next AddLNode(Creation& c) {
    CKiln_Main& app = c.f.app;
    const bool base = app.DocMtd_getValue_ofAttr(c.parent, "sec:LDevice.isAbstract") == "true";
    const URI_Ref type = AskNodeType(c, base ? "sec:LDevice.TypePackage" : kIcdPackagePath);
    if (type.IsEmpty() || RefusedLln0(app, c.parent, type, 1)) return Next::Leave;
    core::CNodeInstances taken(app, c.parent, editing::LnClassOfType(app, type));
    if (!app.NewRsc_LNode(&c.f.newRsc, c.parent, type, true)) return Next::Leave;
    taken.Free(c.f.newRsc);
    return Next::CommonEnd;
}

// At most kMaxNodesPerCommand nodes a command: a larger count is refused
// before anything is made, instead of exhausting memory half-way.
Next AddManyLNodes(Creation& c) {
    CKiln_Main& app = c.f.app;
    const URI_Ref type = AskNodeType(c, kIcdPackagePath);
    if (type.IsEmpty()) return Next::Leave;
    CString text;
    if (!app.Mtd_SingleInputBox("请输入数量：", text, nullptr, false)) return Next::Leave;
    // The count is a whole number of digits, blanks around it aside; any
    // other text ("abc", "-1", "2x") and 0 are refused, naming the text.
    CString digits = text;
    digits.Trim();
    const std::string typed = digits.str();
    const bool whole = !typed.empty() && typed.find_first_not_of("0123456789") == std::string::npos;
    const long long typedCount = whole ? kiln::text::AtoiValue(typed) : 0;
    if (typedCount > kMaxNodesPerCommand) {
        Notice(kTooManyNodes);
        return Next::Leave;
    }
    if (typedCount <= 0) {
        Notice("数量“" + text + "”不是1到10000之间的整数，未增加逻辑节点！");
        return Next::Leave;
    }
    const int count = static_cast<int>(typedCount);
    if (RefusedLln0(app, c.parent, type, count)) return Next::Leave;
    // The device's instances are read once: the cost per node stays flat.
    core::CNodeInstances taken(app, c.parent, editing::LnClassOfType(app, type));
    for (int i = 0; i < count; ++i) {
        URI_Ref made;
        if (!app.NewRsc_LNode(&made, c.parent, type, true)) continue;
        taken.Free(made);
        c.f.newRsc = made;
    }
    return c.f.newRsc.IsSet() ? Next::CommonEnd : Next::Leave;
}

// The DOs of the node's type that have no DOI in the node yet.
Next AddDOI(Creation& c) {
    CKiln_Main& app = c.f.app;
    if (c.parent.sClass != "sec:LNode") return Next::Leave;
    std::vector<URI_Ref> dois, dos;
    URI_Ref last;
    if (app.DocMtd_get_descendent_BUris(c.parent, "sec:LNode.DOIs", dois, last, core::kRoleOrd, SortPolicy_ByOrd) ==
        0)
        return Next::Leave;
    std::set<CString> taken;
    for (const URI_Ref& d : dois) taken.insert(NameOf(app, d));
    if (app.DocMtd_get_descendent_BUris(c.parent, "sec:LNode.LNodeType/sec:LNodeType.DOs", dos, last,
                                        core::kRoleOrd, SortPolicy_ByOrd) == 0)
        return Next::Leave;
    for (const URI_Ref& d : dos) {
        const CString name = NameOf(app, d);
        if (!taken.count(name)) c.f.pack.Add_ListItem(name, CString(d.sUri));
    }
    CString answer;
    if (!app.Mtd_SingleInputBox("选择DO：", answer, &c.f.pack, false)) return Next::Leave;
    if (answer.IsEmpty()) return Next::CommonEnd;
    const URI_Ref chosen = app.DocMtd_TestBy_URIRef(answer);
    if (chosen.IsEmpty()) return Next::Leave;
    return app.NewRsc_DOI(&c.f.newRsc, c.parent, chosen) ? Next::CommonEnd : Next::Leave;
}

// A DAI named by the chosen attribute path alone ("stVal[ST]"), as every
// reader of DAI names expects.
Next AddDAI(Creation& c) {
    CKiln_Main& app = c.f.app;
    if (c.parent.sClass != "sec:DOI") return Next::Leave;
    const CString doiName = NameOf(app, c.parent);
    URI_Ref lnode = FirstOf(app, c.parent, "sec:DOI.LNode");
    URI_Ref dataObject = app.Get_DO_Dfn(lnode, doiName);
    if (dataObject.IsEmpty()) return Next::Leave;
    std::vector<URI_Ref> dais;
    URI_Ref last;
    if (app.DocMtd_get_descendent_BUris(c.parent, "sec:DOI.DAIs", dais, last, core::kRoleOrd, SortPolicy_ByOrd) == 0)
        return Next::Leave;
    std::set<CString> taken;
    for (const URI_Ref& d : dais) taken.insert(NameOf(app, d));
    Struct_DAs_ofDO das;
    if (!app.Get_DAs_ofDO_ToChoose(dataObject, das)) return Next::Leave;
    // Members of one structure type share their identifier ("mag.f" and
    // "instMag.f"), so each row's value is its own path, and the answer is
    // resolved to the row that carries it.
    for (const Struct_DAItem& item : das.vDAs)
        if (!taken.count(item.sPath)) c.f.pack.Add_ListItem(item.sPath, item.sPath);
    CString answer;
    if (!app.Mtd_SingleInputBox("选择 " + doiName + " 下的DA：", answer, &c.f.pack, false)) return Next::Leave;
    const auto row = std::find_if(das.vDAs.begin(), das.vDAs.end(),
                                  [&](const Struct_DAItem& item) { return item.sPath == answer; });
    if (answer.IsEmpty() || row == das.vDAs.end() || taken.count(answer)) return Next::Leave;
    const URI_Ref member = app.DocMtd_TestBy_URIRef(CString(row->uRsc.sUri));
    if (member.IsEmpty()) return Next::Leave;
    return app.NewRsc_DAI(&c.f.newRsc, c.parent, member, row->sPath) ? Next::CommonEnd : Next::Leave;
}

}  // namespace kiln::commands
