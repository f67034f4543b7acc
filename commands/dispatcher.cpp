// The command dispatcher: every menu command arrives here with its command
// string, is compared with the chain of known commands in a fixed order, and
// runs the body of the first row that matches. A body that made a resource
// for the user ends in one refresh of every view.
#include <cstdint>

#include "commands/command_frame.h"
#include "commands/info_item_commands.h"
#include "commands/wait_cursor_ledger.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"

namespace kiln::commands {
namespace {

constexpr Body kNotBuiltYet = nullptr;

// Whole-string rows first, the two "contains" groups and the two prefix
// groups in their places; the fixed "ICD:Add ..." commands come before the
// generic "ICD:Add " group and so never reach it.
constexpr CommandRow kChain[] = {
    {"COMMON:Import ExternalData", Match::Whole, ImportExternalData},
    {"ICD:Sort InfoItem p103_ent", Match::Whole, SortInfoItemEnt},
    {"Set ICD Product", Match::Whole, SetICDProduct},
    {"ICD:Add SignalList", Match::Whole, AddSignalList},
    {"ICD:Add InSignal", Match::Whole, AddInSignal},
    {"ICD:Add OutSignal", Match::Whole, AddOutSignal},
    {"ICD:Add GSE", Match::Whole, AddGSE},
    {"ICD:Add SV", Match::Whole, AddSV},
    {"ICD:Add Soft Hard DO", Match::Whole, AddSoftHardDO},
    {"ICD:Add ICD In Product", Match::Whole, AddICDInProduct},
    {"ICD:Clear MapItem DARef Asso", Match::Whole, ClearMapItemDARef},
    {"ICD:Import ICD In Product", Match::Whole, ImportICDInProduct},
    {"ICD:Add Product", Match::Whole, AddProduct},
    {"ICD:Add ProductVer", Match::Whole, AddProductVer},
    {"ICD:Add ProductPackage", Match::Whole, AddProductPackage},
    {"ICD:Add TypePackage", Match::Whole, AddTypePackage},
    {"ICD:Most Bay To M2I MapItem", Match::Whole, MostBayToM2IMapItem},
    {"ICD:WriteDODescByLNodeDOI", Match::Whole, WriteDODescByLNodeDOI},
    {"ICD:Write Desc By ITB", Match::Whole, WriteDescByITB},
    {"ICD:Add Inst-TypePackage", Match::Whole, AddPackageOrICD},
    {"ICD:Add ICD", Match::Whole, AddPackageOrICD},
    {"ICD:Switch to BasicType", Match::Whole, SwitchBasicType},
    {"ICD:Switch to Struct", Match::Whole, SwitchStruct},
    {"ICD:Switch to EnumType", Match::Whole, SwitchEnumType},
    {"ICD:Add Val", Match::Whole, AddVal},
    {"ICD:Move", Match::Prefix, MoveGroup},
    {"ICD:Restore Ord", Match::Whole, RestoreOrd},
    {"ICD:Auto-Link DOSemantic", Match::Whole, AutoLinkDOSemantic},
    {"ICD:Auto-Link DASemantic", Match::Whole, AutoLinkDASemantic},
    {"ICD:Auto Del DataSet LCB RCB SGCB", Match::Whole, AutoDelDataSets},
    {"ICD:Auto Add DataSet Comm", Match::Whole, AutoAddDataSetComm},
    {"ICD:Auto Add DataSet IEDM", Match::Whole, AutoAddDataSetIEDM},
    {"ICD:Auto Add DataSet", Match::Whole, AutoAddDataSet},
    {"ICD:Add FCDs of LD(All)", Match::Whole, AddFCDsOfLD},
    {"ICD:Add FCDs of LD(No Common)", Match::Whole, AddFCDsOfLD},
    {"ICD:Appoint To Same", Match::Contains, AppointToSame},
    {"ICD:Add DO From LNode by ITB", Match::Whole, AddDOFromLNodeByITB},
    {"ICD:Create LNode by ITB", Match::Whole, CreateLNodeByITB},
    {"ICD:Create LNodeType DOs LNode M2I", Match::Contains, CreateLNodeTypeDOsLNodeM2I},
    {"ICD:Add ", Match::Prefix, AddGroup},
    {"ICD:Delete", Match::Whole, Delete},
    {"ICD:Copy", Match::Whole, Copy},
    {"ICD:Paste", Match::Whole, Paste},
    {"ICD:Design Xslt", Match::Whole, DesignXslt},
    {"ICD:Export ICD", Match::Whole, ExportICD},
    {"ICD:Export TypePackage", Match::Whole, ExportTypePackage},
    {"ICD:Export ITB", Match::Whole, ExportITB},
    {"ICD:Delete DARefDA", Match::Whole, DeleteDARefDA},
    {"ICD:Create M2I Layout", Match::Whole, CreateM2ILayout},
    {"ICD:Create ReplaceNameFile", Match::Whole, CreateReplaceNameFile},
    {"ICD:Write Description of DOs", Match::Whole, WriteDescriptionOfDOs},
    {"ICD:Check ICD", Match::Whole, CheckICD},
    {"ICD:Check TypePackage", Match::Whole, CheckTypePackage},
    {"ICD:Create ReplaceNameFile All", Match::Whole, CreateReplaceNameFileAll},
    {"ICD:Export M2I", Match::Whole, ExportM2I},
    {"ICD:Refreh M2I", Match::Whole, RefreshM2I},
    {"ICD:Match M2I ByDoDesc", Match::Whole, MatchM2IByDoDesc},
    {"ICD:Create LNode ExtRef of LD", Match::Whole, CreateLNodeExtRefOfLD},
    {"ICD:Auto Sort LDevice LNode Inst", Match::Whole, AutoSortLDeviceLNodeInst},
    {"ICD:AutoSortLNodeInst", Match::Whole, AutoSortLNodeInst},
    {"ICD:RepalceName", Match::Whole, ReplaceName},
    {"ICD:ITB AutoOrd", Match::Whole, ITBAutoOrd},
    {"ICD:AutoGroupInfoItem", Match::Whole, AutoGroupInfoItem},
    {"ICD:Set ChNum", Match::Whole, SetChNum},
    {"ICD:Import ICD", Match::Whole, ImportICD},
    {"ICD:Import TypePackage", Match::Whole, ImportTypePackage},
    {"ICD:RepalceName All", Match::Whole, ReplaceNameAll},
    {"ICD:Import LNodeType", Match::Whole, ImportLNodeType},
    {"ICD:Import ITB", Match::Whole, ImportITB},
    {"ICD:Import M2I", Match::Whole, ImportM2I},
    {"ICD:HandleLN0AndDel", Match::Whole, HandleLN0AndDel},
};

bool Matches(const CommandRow& row, const CString& command) {
    switch (row.match) {
        case Match::Whole: return command == row.text;
        case Match::Contains: return command.Find(row.text) >= 0;
        case Match::Prefix: return command.Left(8) == row.text;
    }
    return false;
}

}  // namespace

std::span<const CommandRow> CommandChain() { return kChain; }

const CommandRow* FindCommand(const CString& command) {
    for (const CommandRow& row : kChain)
        if (Matches(row, command)) return &row;
    return nullptr;
}

URI_Ref FirstOf(CKiln_Main& app, const URI_Ref& rsc, const CString& path) {
    return app.DocMtd_getFirstUri_ofAsso(rsc, path, -1, "", URI_Ref(), nullptr);
}

std::vector<URI_Ref> InOrder(CKiln_Main& app, const URI_Ref& start, const CString& path) {
    std::vector<URI_Ref> out;
    URI_Ref last;
    if (start.IsSet()) app.DocMtd_get_descendent_BUris(start, path, out, last, "e301:OrdNaming.ord", SortPolicy_ByOrd);
    return out;
}

void Notice(const CString& text) { _AfxMessageBox(text, MB_OK, "", nullptr); }

URI_Ref IcdOfLDevice(CKiln_Main& app, const URI_Ref& ld) {
    return FirstOf(app, ld, "sec:LDevice.Server/sec:Server.IED/sec:IED.ICD");
}

URI_Ref IcdOfLNode(CKiln_Main& app, const URI_Ref& lnode) {
    return FirstOf(app, lnode, "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED/sec:IED.ICD");
}

URI_Ref ItbOrNotice(CKiln_Main& app, const URI_Ref& icd) {
    const URI_Ref itb = FirstOf(app, icd, "sec:ICD.ITB");
    if (itb.IsEmpty()) Notice("没有找到ITB !");
    return itb;
}

void Refresh(CKiln_Main& app, int viewClass) { app.Mtd_AllViews_Refresh(nullptr, nullptr, viewClass); }

bool DomainEditable(CKiln_Main& app, const URI_Ref& rsc, const char* number) {
    CString domain;
    app.DocMtd_DEnv_Get_Rsc_Domain(rsc, domain);
    if (app.DocMtd_DEnv_IsDomainEditable(domain)) return true;
    Notice(CString("当前域不可编辑！-") + number);
    return false;
}

int LeadingInt(const CString& text) {
    const long long v = kiln::text::AtoiValue(text.str());
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int>(v);
}

}  // namespace kiln::commands

void CKiln_Main::Msg_OnAppCommand(CString command) {
    using namespace kiln::commands;
    CWaitCursorLedger waitCursors;  // whatever a body leaves on ends with the command
    CommandFrame frame{*this, command, URI_Ref(), Struct_EditPack()};
    frame.pack.nEditKind = 7;

    if (const CommandRow* row = FindCommand(command)) {
        // A write the document refused (a read-only domain) is shown once,
        // after the body, whichever way it ends.
        m_Doc.TakeWriteRefusal();
        const Next next = row->body ? row->body(frame) : Next::CommonEnd;
        if (const CString refused = m_Doc.TakeWriteRefusal(); !refused.IsEmpty()) Notice(refused);
        if (next == Next::Leave) return;
    } else if (StringBefore(command, ":") != "PRI" || command.Find(':') < 0) {
        Notice("未知命令！");
    }
    if (frame.newRsc.IsSet()) Refresh(*this, 0);
}
