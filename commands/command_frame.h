// What the command bodies share: the frame of one dispatched command (the
// plug-in object, the command string, the new resource and the edit pack),
// how a body ends, the rows of the dispatch chain, and small helpers.
#pragma once

#include <span>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::commands {

// One command in the dispatcher. A body that creates a resource for the user
// hands `newRsc` to the creator; when it is set at the common end, every view
// is refreshed once.
struct CommandFrame {
    CKiln_Main& app;
    CString command;
    URI_Ref newRsc;
    Struct_EditPack pack;  // edit kind 7: choose from the list

    URI_Ref Current() const { return app.m_uCurRsc; }
};

// How a body ends: through the common end (refresh when a resource was made)
// or leaving at once, without that refresh.
enum class Next { CommonEnd, Leave };
using Body = Next (*)(CommandFrame&);

// How a row of the chain is compared with the command string.
enum class Match {
    Whole,     // equal, case-sensitive
    Contains,  // the row's text occurs anywhere
    Prefix,    // the first eight characters equal the row's text
};

// One row of the dispatcher's chain; `body` null: a command whose subsystem is
// not built yet stands in its place and does nothing.
struct CommandRow {
    const char* text;
    Match match;
    Body body;
};

// The chain, in the order of the tests.
std::span<const CommandRow> CommandChain();
// The first row that the command matches; null when none does.
const CommandRow* FindCommand(const CString& command);

// ---- helpers shared by the bodies ----
// The first target along an association or "/"-joined path; empty when none.
URI_Ref FirstOf(CKiln_Main& app, const URI_Ref& rsc, const CString& path);
// Every resource at the end of the path, each step in sibling order; empty
// when there is none (or the start is empty).
std::vector<URI_Ref> InOrder(CKiln_Main& app, const URI_Ref& start, const CString& path);
// A notice: OK, no caption.
void Notice(const CString& text);
// The ICD of a logical device, of a logical node; empty when there is none.
URI_Ref IcdOfLDevice(CKiln_Main& app, const URI_Ref& ld);
URI_Ref IcdOfLNode(CKiln_Main& app, const URI_Ref& lnode);
// The ITB of the ICD; when it has none, shows "没有找到ITB !" and gives an
// empty reference.
URI_Ref ItbOrNotice(CKiln_Main& app, const URI_Ref& icd);
// Refreshes every view of the class (0: all).
void Refresh(CKiln_Main& app, int viewClass);
// True when the domain of the resource may be changed; otherwise shows
// "当前域不可编辑！-" + number and gives false.
bool DomainEditable(CKiln_Main& app, const URI_Ref& rsc, const char* number);
// The decimal integer at the start of a text (0 when it has none).
int LeadingInt(const CString& text);
// A device holds one LLN0: `count` nodes of an LLN0 type are refused, with
// the message, when the device has its LLN0 already or when more than one is
// asked for at once (creation_devices.cpp).
bool RefusedLln0(CKiln_Main& app, const URI_Ref& ld, const URI_Ref& type, int count);

// ---- the bodies, by what they do ----
// Fixed creators, product and link commands (fixed_commands.cpp).
Next AddSignalList(CommandFrame& f);
Next AddInSignal(CommandFrame& f);
Next AddOutSignal(CommandFrame& f);
Next AddGSE(CommandFrame& f);
Next AddSV(CommandFrame& f);
Next AddSoftHardDO(CommandFrame& f);
Next AddICDInProduct(CommandFrame& f);
Next ClearMapItemDARef(CommandFrame& f);
Next AddProduct(CommandFrame& f);
Next AddProductVer(CommandFrame& f);
Next AddProductPackage(CommandFrame& f);
Next AddTypePackage(CommandFrame& f);
Next ImportExternalData(CommandFrame& f);
// Imports of ICD, type-package, LNodeType, ITB and M2I files (import_commands.cpp).
Next ImportICDInProduct(CommandFrame& f);
Next ImportICD(CommandFrame& f);
Next ImportTypePackage(CommandFrame& f);
Next ImportLNodeType(CommandFrame& f);
Next ImportITB(CommandFrame& f);
Next ImportM2I(CommandFrame& f);
// Name replacement from a file (import_commands.cpp).
Next ReplaceName(CommandFrame& f);
Next ReplaceNameAll(CommandFrame& f);
// Product selection (set_icd_product.cpp).
Next SetICDProduct(CommandFrame& f);
// Type and order commands (type_order_commands.cpp).
Next AddPackageOrICD(CommandFrame& f);
Next SwitchBasicType(CommandFrame& f);
Next SwitchStruct(CommandFrame& f);
Next SwitchEnumType(CommandFrame& f);
Next AddVal(CommandFrame& f);
Next MoveGroup(CommandFrame& f);
Next RestoreOrd(CommandFrame& f);
Next AutoLinkDOSemantic(CommandFrame& f);
Next AutoLinkDASemantic(CommandFrame& f);
// Generic creation (creation_frame.cpp, creation_types.cpp, creation_devices.cpp).
Next AddGroup(CommandFrame& f);
// Deletion, file and upkeep commands (file_commands.cpp).
Next Delete(CommandFrame& f);
Next Copy(CommandFrame& f);
Next Paste(CommandFrame& f);
Next DesignXslt(CommandFrame& f);
Next ExportICD(CommandFrame& f);
Next ExportTypePackage(CommandFrame& f);
Next ExportITB(CommandFrame& f);
Next ExportM2I(CommandFrame& f);
Next CreateM2ILayout(CommandFrame& f);
Next CreateReplaceNameFile(CommandFrame& f);
Next CreateReplaceNameFileAll(CommandFrame& f);
Next DeleteDARefDA(CommandFrame& f);
Next CheckICD(CommandFrame& f);
Next CheckTypePackage(CommandFrame& f);
Next RefreshM2I(CommandFrame& f);
Next MatchM2IByDoDesc(CommandFrame& f);
Next AutoSortLDeviceLNodeInst(CommandFrame& f);
Next AutoSortLNodeInst(CommandFrame& f);
Next ITBAutoOrd(CommandFrame& f);
Next AutoGroupInfoItem(CommandFrame& f);
Next SetChNum(CommandFrame& f);
Next HandleLN0AndDel(CommandFrame& f);
// Standard data sets (data_set_commands.cpp).
Next AutoAddDataSet(CommandFrame& f);
Next AutoAddDataSetComm(CommandFrame& f);
Next AutoAddDataSetIEDM(CommandFrame& f);
Next AutoDelDataSets(CommandFrame& f);
Next AddFCDsOfLD(CommandFrame& f);
// Description writers (do_descriptions.cpp, doi_descriptions.cpp) and the
// recorder channels' inputs (recorder_inputs.cpp).
Next WriteDescriptionOfDOs(CommandFrame& f);
Next WriteDODescByLNodeDOI(CommandFrame& f);
Next CreateLNodeExtRefOfLD(CommandFrame& f);
// Model generation from the information table (itb_generation.cpp).
Next CreateLNodeTypeDOsLNodeM2I(CommandFrame& f);
Next AddDOFromLNodeByITB(CommandFrame& f);

}  // namespace kiln::commands
