// Deletion with the upkeep of the M2I it leaves behind, copy and paste, the
// exports and checks, and the automatic numbering, grouping, sorting and
// matching operations: each hands the current resource to its operation.
#include "commands/command_frame.h"

namespace kiln::commands {
namespace {

// The ICD whose M2I a deletion of the resource can touch, found before the
// resource is gone; empty for other classes.
URI_Ref OwningICD(CKiln_Main& app, const URI_Ref& rsc) {
    if (rsc.sClass == "sec:LDevice") return IcdOfLDevice(app, rsc);
    if (rsc.sClass == "sec:LNode") return IcdOfLNode(app, rsc);
    if (rsc.sClass == "sec:DO")
        return FirstOf(app, FirstOf(app, rsc, "sec:DO.LNodeType"), "sec:LNodeType.TypePackage/sec:TypePackage.ICD");
    return URI_Ref();
}

}  // namespace

Next Delete(CommandFrame& f) {
    CKiln_Main& app = f.app;
    app.m_bBulkDelete = false;
    const URI_Ref rsc = f.Current();
    const URI_Ref icd = OwningICD(app, rsc);
    const URI_Ref m2i = icd.IsSet() ? FirstOf(app, icd, "sec:ICD.M2I") : URI_Ref();
    app.Rsc_Delete(rsc, true);
    app.Refresh_M2I(m2i);
    Refresh(app, 2);
    return Next::CommonEnd;
}

Next Copy(CommandFrame& f) {
    f.app.Rsc_Copy(f.Current());
    return Next::CommonEnd;
}
Next Paste(CommandFrame& f) {
    f.app.Rsc_Paste(f.Current());
    return Next::CommonEnd;
}
Next DesignXslt(CommandFrame&) { return Next::CommonEnd; }
Next ExportICD(CommandFrame& f) {
    f.app.Rsc_ICD_Export(f.Current(), true);
    return Next::CommonEnd;
}
Next ExportTypePackage(CommandFrame& f) {
    f.app.Rsc_TypePackage_Export(f.Current());
    return Next::CommonEnd;
}
Next ExportITB(CommandFrame& f) {
    f.app.Rsc_ITB_Export(f.Current());
    return Next::CommonEnd;
}
Next ExportM2I(CommandFrame& f) {
    f.app.Rsc_M2I_Export(f.Current());
    return Next::CommonEnd;
}
Next CreateM2ILayout(CommandFrame& f) {
    f.app.Rsc_M2I_Create(f.Current());
    return Next::CommonEnd;
}
Next CreateReplaceNameFile(CommandFrame& f) {
    f.app.Rsc_Create_ReplaceNameFile(f.Current());
    return Next::CommonEnd;
}
Next CreateReplaceNameFileAll(CommandFrame& f) {
    f.app.Rsc_Create_ReplaceNameFile(URI_Ref());
    return Next::CommonEnd;
}
Next DeleteDARefDA(CommandFrame& f) {
    f.app.Rsc_Del_DA_M2I(f.Current());
    return Next::CommonEnd;
}
Next CheckICD(CommandFrame& f) {
    f.app.Check_ICD_IsCorrect(f.Current());
    return Next::CommonEnd;
}
Next CheckTypePackage(CommandFrame& f) {
    f.app.Only_Check_TypePackage(f.Current());
    return Next::CommonEnd;
}
Next RefreshM2I(CommandFrame& f) {
    f.app.Refresh_M2I(f.Current());
    Refresh(f.app, 2);
    return Next::CommonEnd;
}
Next MatchM2IByDoDesc(CommandFrame& f) {
    if (!DomainEditable(f.app, f.Current(), "W0098")) return Next::Leave;
    CStringArray excluded, selected;
    f.app.Rsc_MatchM2I_ByDoDesc(f.Current(), excluded, selected, URI_Ref(), URI_Ref());
    return Next::CommonEnd;
}
Next AutoSortLDeviceLNodeInst(CommandFrame& f) {
    if (!DomainEditable(f.app, f.Current(), "W0099")) return Next::Leave;
    f.app.Rsc_AutoSort_LD_LNodeInst(f.Current());
    Refresh(f.app, 1);
    Refresh(f.app, 2);
    return Next::CommonEnd;
}
Next AutoSortLNodeInst(CommandFrame& f) {
    if (!DomainEditable(f.app, f.Current(), "W0099")) return Next::Leave;
    f.app.Rsc_AutoSortLNodeInst(f.Current());
    Refresh(f.app, 1);
    Refresh(f.app, 2);
    return Next::CommonEnd;
}
Next ITBAutoOrd(CommandFrame& f) {
    if (!DomainEditable(f.app, f.Current(), "W0101")) return Next::Leave;
    f.app.Rsc_ITB_AutoOrd(f.Current());
    return Next::CommonEnd;
}
Next AutoGroupInfoItem(CommandFrame& f) {
    if (!DomainEditable(f.app, f.Current(), "W0102")) return Next::Leave;
    f.app.Rsc_AutoGroupInfoItem(f.Current());
    return Next::CommonEnd;
}
Next SetChNum(CommandFrame& f) {
    if (!DomainEditable(f.app, f.Current(), "W0103")) return Next::Leave;
    f.app.Rsc_Set_ChNum(f.Current());
    return Next::CommonEnd;
}
Next HandleLN0AndDel(CommandFrame& f) {
    f.app.Rsc_HandleLN0AndDel();
    return Next::CommonEnd;
}

}  // namespace kiln::commands
