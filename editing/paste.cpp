// The copy buffer and pasting: by the classes of the target and of the copied
// resource, one row creates the new resource beside the target with its
// ordinary creator and fills it with a copy.
#include <vector>

#include "core/free_names.h"
#include "editing/copy_run.h"
#include "core/free_node_names.h"
#include "editing/lnode_class.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::editing::CCopyRun;

namespace {

CString Decimal(int n) {
    CString text;
    text.Format("%d", n);
    return text;
}

int CountAlong(CKiln_Main& app, const URI_Ref& start, const CString& path) {
    std::vector<URI_Ref> members;
    URI_Ref last;
    app.DocMtd_get_descendent_BUris(start, path, members, last, kRoleOrd, SortPolicy_ByOrd);
    return static_cast<int>(members.size());
}

// An LDevice with all its nodes, into the target device's IED. The nodes keep
// their numbers; the device takes the last place among the IED's devices,
// which are numbered across all its servers. It keeps its name unless
// another device of the IED has it; then it is named as a new device is,
// "LD_" and the first free number from its place on.
bool PasteLDevice(CKiln_Main& app, CCopyRun& run, const URI_Ref& target, const URI_Ref& copied) {
    const URI_Ref ied = run.First(target, "sec:LDevice.Server/sec:Server.IED");
    URI_Ref ld;
    if (!run.Made(app.NewRsc_LDevice(&ld, ied, URI_Ref(), URI_Ref(), URI_Ref()), ld)) return false;
    app.DocMtd_Copy_RscAttributes(copied, ld, CStringArray(), false, false);
    for (const URI_Ref& node : run.Members(copied, "sec:LDevice.LNodes")) {
        URI_Ref copy;
        if (!run.Made(app.NewRsc_LNode(&copy, ld, URI_Ref(), true), copy)) return false;
        if (!run.LNode(node, copy, ld, CString())) return false;
    }
    app.DocMtd_Modify_attribute_value(ld, kRoleOrd, Decimal(CountAlong(app, ied, "sec:IED.Servers/sec:Server.LDevices")));
    kiln::core::FreeDeviceName(app, ld);
    return true;
}

// A logical node, last in the target node's device. A copied LLN0 is
// refused, nothing made, where the device holds its LLN0 already.
bool PasteLNode(CKiln_Main& app, CCopyRun& run, const URI_Ref& target, const URI_Ref& copied) {
    const URI_Ref ld = run.First(target, "sec:LNode.LDevice");
    if (kiln::editing::LnClassOfNode(app, copied) == "LLN0" && kiln::editing::HoldsLln0(app, ld)) {
        _AfxMessageBox(kiln::editing::kSecondLln0, MB_OK, "", nullptr);
        return false;
    }
    URI_Ref node;
    if (!run.Made(app.NewRsc_LNode(&node, ld, URI_Ref(), true), node)) return false;
    if (!run.LNode(copied, node, ld, Decimal(CountAlong(app, ld, "sec:LDevice.LNodes")))) return false;
    // A name the device holds gives the copy the first free instance.
    kiln::core::CNodeInstances(app, ld, kiln::editing::LnClassOfNode(app, node), node).Free(node);
    return true;
}

// A type into the package of a target type, or into a target package. The
// new type keeps its creator's number, the last, and the copied type's name
// when the package has no other type of that name.
template <bool (CKiln_Main::*Create)(URI_Ref*, URI_Ref),
          bool (CCopyRun::*Fill)(const URI_Ref&, const URI_Ref&, const URI_Ref&)>
bool PasteType(CKiln_Main& app, CCopyRun& run, const URI_Ref& target, const URI_Ref& copied) {
    const URI_Ref package =
        target.sClass == "sec:TypePackage" ? target : run.First(target, target.sClass + ".TypePackage");
    URI_Ref type;
    if (!run.Made((app.*Create)(&type, package), type)) return false;
    run.NoteCopy(copied, type);
    if (!(run.*Fill)(copied, type, package)) return false;
    const CString name = app.DocMtd_getValue_ofAttr(type, kRoleName);
    const CString free = kiln::core::FreeTypeName(app, package, type.sClass, name, type);
    if (free != name) app.DocMtd_Modify_attribute_value(type, kRoleName, free);
    return true;
}

// A DO, last in the LNodeType of a target DO or in a target LNodeType. A DO
// whose name the type holds already is refused, nothing made.
bool PasteDO(CKiln_Main& app, CCopyRun& run, const URI_Ref& target, const URI_Ref& copied) {
    const URI_Ref lnType = target.sClass == "sec:DO" ? run.First(target, "sec:DO.LNodeType") : target;
    const CString name = app.DocMtd_getValue_ofAttr(copied, kRoleName);
    for (const URI_Ref& other : run.Members(lnType, "sec:LNodeType.DOs"))
        if (app.DocMtd_getValue_ofAttr(other, kRoleName) == name) {
            _AfxMessageBox("LN类型中已经存在名为" + name + "的DO，不能粘贴！", MB_OK, "", nullptr);
            return false;
        }
    URI_Ref d;
    if (!run.Made(app.NewRsc_DO(&d, lnType, CString()), d)) return false;
    CStringArray keep;
    keep.Add(kRoleOrd);
    return run.DO(copied, d, lnType, keep);
}

struct CPasteRow {
    const char* target;
    const char* otherTarget;  // a second class of target, or null
    const char* copied;
    bool (*paste)(CKiln_Main&, CCopyRun&, const URI_Ref&, const URI_Ref&);
};

const CPasteRow kPasteRows[] = {
    {"sec:LDevice", nullptr, "sec:LDevice", &PasteLDevice},
    {"sec:LNode", nullptr, "sec:LNode", &PasteLNode},
    {"sec:DAType", nullptr, "sec:DAType", &PasteType<&CKiln_Main::NewRsc_DAType, &CCopyRun::DAType>},
    {"sec:DOType", nullptr, "sec:DOType", &PasteType<&CKiln_Main::NewRsc_DOType, &CCopyRun::DOType>},
    {"sec:LNodeType", "sec:TypePackage", "sec:LNodeType",
     &PasteType<&CKiln_Main::NewRsc_LNodeType, &CCopyRun::LNodeType>},
    {"sec:DO", "sec:LNodeType", "sec:DO", &PasteDO},
};

const CPasteRow* FindPasteRow(const URI_Ref& target, const URI_Ref& copied) {
    for (const CPasteRow& row : kPasteRows) {
        const bool targetFits = target.sClass == row.target || (row.otherTarget && target.sClass == row.otherTarget);
        if (targetFits && copied.sClass == row.copied) return &row;
    }
    return nullptr;
}

// The noun the class is shown by ("数据集"); "复制的内容" for an empty handle.
CString ClassNoun(CKiln_Main& app, const URI_Ref& rsc) {
    CClassDfn dfn;
    if (rsc.sClass.empty() || !app.DocMtd_Get_ClassDfn(rsc.sClass, dfn)) return "复制的内容";
    return dfn.sText5.IsEmpty() ? dfn.sText3 : dfn.sText5;
}

// Why a paste that no row takes makes nothing: the copied class is pasted
// nowhere ("数据集不能粘贴！"), or elsewhere than onto this target.
CString NoPasteText(CKiln_Main& app, const URI_Ref& target, const URI_Ref& copied) {
    for (const CPasteRow& row : kPasteRows)
        if (copied.sClass == row.copied)
            return ClassNoun(app, copied) + "不能粘贴到" + ClassNoun(app, target) + "上！";
    return ClassNoun(app, copied) + "不能粘贴！";
}

}  // namespace

bool CKiln_Main::Rsc_Copy(URI_Ref rsc) {
    m_vCopiedRscs.clear();
    m_vCopiedRscs.push_back(rsc);
    return false;
}

bool CKiln_Main::Rsc_Paste(URI_Ref target) {
    if (m_vCopiedRscs.empty()) return false;
    const URI_Ref copied = m_vCopiedRscs.front();
    bool done = true;
    if (const CPasteRow* row = FindPasteRow(target, copied); !row) {
        _AfxMessageBox(NoPasteText(*this, target, copied), MB_OK, "", nullptr);
    } else if (DocMtd_TestBy_URIRef(copied.sUri).IsEmpty()) {
        // A copied resource deleted since has nothing left to paste.
        _AfxMessageBox("复制的" + ClassNoun(*this, copied) + "已被删除，不能粘贴！", MB_OK, "", nullptr);
        done = false;
    } else {
        CCopyRun run(*this);
        const bool pasted = row->paste(*this, run, target, copied);
        done = run.Finish() && pasted;
    }
    Mtd_AllViews_Refresh(nullptr, nullptr, 1);
    return done;
}
