// CKiln_Main: the plug-in object. The host constructs it, drives it through
// the handlers it overrides of CBase_AppCim, and deletes it through its
// virtual destructor. It holds the plug-in's shared state (the standard type
// package of the open document and its LLN0 and LPHD types, the copy buffer,
// the check report) and the model operations that the whole plug-in
// shares. Its members are defined in the .cpp files of core/ named after
// what they hold.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/framework/app_cim.h"
#include "platform/framework/records.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/base_xml.h"
#include "platform/xml/xml_node.h"

namespace kiln::core {
struct TypePath;
class TypeWalkSteps;
}

// The purpose of a logical node: the text after the last "." of its
// "sec:LNode.LNodeUse" (0: the attribute is empty).
enum LNodeUseEnum {
    LNodeUse_None = 0,
    LNodeUse_Warning = 1,
    LNodeUse_Alarm = 2,
    LNodeUse_DevAlarm = 3,
    LNodeUse_State = 4,
};

// The value of "sec:TypePackage.ref" that marks the standard type package:
// the IEC 61850-6 (2003) SCL namespace without its final "/SCL".
inline constexpr const char* kStdTypePackageRef = "http://www.iec.ch/61850/2003";

namespace kiln::core {
// The name of every resource, and its 1-based position among its siblings
// (decimal text), by which member lists are sorted.
inline constexpr const char* kRoleName = "cim:Naming.name";
inline constexpr const char* kRoleOrd = "e301:OrdNaming.ord";
}  // namespace kiln::core

class CKiln_Main : public CBase_AppCim {
public:
    // ======================================================================
    // Construction and destruction                      (kiln_main.cpp)
    // ======================================================================
    CKiln_Main();
    ~CKiln_Main() override;
    CKiln_Main(const CKiln_Main&) = delete;
    CKiln_Main& operator=(const CKiln_Main&) = delete;

    // ======================================================================
    // State, in declaration order
    // ======================================================================
    URI_Ref m_uStdTypePackage;         // the standard type package of the open document
    URI_Ref m_uStdLLN0Type;            // its LNodeType "LLN0"
    URI_Ref m_uStdLPHDType;            // its LNodeType "LPHD"
    URI_Ref m_uFieldIED;               // start resource of the property editor's path lists
    int m_nEditLevel = 1;              // 1; levels 2 and 3 offer more in menus and fields
    std::vector<URI_Ref> m_vCopiedRscs;  // the copy buffer
    bool m_bBulkDelete = false;        // a bulk deletion skips the refusals that protect used types
    CBase_XML m_xmlReport;             // the check report document
    XmlNode m_pReportNode;             // the node under which findings are appended
    int m_nReportErrors = 0;           // errors written since the last check started
    int m_nReportWarnings = 0;         // warnings written since the last check started

    // ======================================================================
    // Host handlers, in slot order
    // Document opening is the model core's (open_document.cpp); the view
    // handlers are the views' (views/), the command handlers the command
    // dispatcher's (commands/).
    // ======================================================================
    bool TreeMsg_OnRClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) override;                        // 23
    bool TreeMsg_OnClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) override;                         // 24
    bool TreeMsg_OnDoubleClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) override;                   // 25
    bool TreeMsg_OnSetChildItems(CBase_Cmd* pView, Struct_ItemDesc* pParent,
                                 std::vector<Struct_ItemDesc>* pOut) override;                      // 26
    bool TreeMsg_OnPresetClassIcons(CBase_Cmd* pView) override;                                      // 27
    bool TreeMsg_OnGetRscText(CBase_Cmd* pView, Struct_ItemDesc* pItem, CString* pText) override;    // 29
    bool TreeMsg_OnBeginDrag(CBase_Cmd* pView, Struct_ItemDesc* pItem) override;                     // 30
    bool TreeMsg_OnEndDrag(CBase_Cmd* pView, Struct_ItemDesc* pDragged, Struct_ItemDesc* pTarget) override;  // 31
    bool HtmlMsg_OnSetXsltFile(CBase_Cmd* pView, URI_Ref rsc, CString* pXslt, CString* pText2, CString* pLabel,
                               Struct_Pairs* pPairs) override;                                      // 34
    bool HtmlMsg_OnBeforeNavigate(CBase_Cmd* pView, URI_Ref& target, CString link, bool bFlag) override;  // 35
    bool HtmlMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, CString text, Struct_Pairs* pPairs) override;  // 36
    bool HtmlMsg_OnPrepareEditField(CBase_Cmd* pView, URI_Ref rsc, CString field, CString text,
                                    Struct_EditPack* pPack) override;                               // 37
    bool HtmlMsg_OnFieldChanged(CBase_Cmd* pView, URI_Ref rsc, CString field, CString oldValue, CString& newValue,
                                CString* pDisplay, int* pRefresh) override;                         // 38
    bool VgMsg_OnFileOpen(CBase_Cmd* pView, CString file, int* pInt, bool* pFlag1, bool* pFlag2) override;  // 45
    bool VgMsg_AfterFileOpened(CBase_Cmd* pView) override;                                           // 46
    bool VgMsg_BeforeSaveModified(CBase_Cmd* pView, CString* pText) override;                        // 49
    bool VgMsg_OnClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2) override;                        // 50
    bool VgMsg_OnClickLink(CBase_Cmd* pView, URI_Ref from, URI_Ref to, double x, double y, bool bFlag) override;  // 51
    bool VgMsg_OnDblClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2) override;                     // 53
    bool VgMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2, std::vector<URI_Ref>& selected) override;  // 55
    bool VgMsg_OnMouseMove(CBase_Cmd* pView, URI_Ref rsc, bool* pFlag) override;                     // 56
    bool VgMsg_OnZoomChange(CBase_Cmd* pView, long nOld, long nNew) override;                        // 57
    bool VgMsg_OnSetLinks_ofFoot(CBase_Cmd* pView, URI_Ref rsc, std::vector<Struct_CIMLinkInst>* pLinks) override;  // 58
    bool VgMsg_OnSetShape_ofObj(CBase_Cmd* pView, URI_Ref& rsc, CString* pShape, std::vector<URI_Ref>* pList,
                                Struct_Pairs* pPairs) override;                                     // 59
    unsigned long VgMsg_OnSetColor_ofFoot(CBase_Cmd* pView, URI_Ref& rsc, URI_Ref& rsc2) override;   // 61
    bool VgMsg_OnAddLink(CBase_Cmd* pView, URI_Ref from, URI_Ref to, CString style, int* pInt) override;  // 63
    bool VgMsg_BeforeDeleteRsc(CBase_Cmd* pView, int nKind, std::vector<URI_Ref>& rscs, bool bFlag,
                               bool& bOut) override;                                                // 64
    bool VgMsg_BeforeDeleteLink(CBase_Cmd* pView, std::vector<Struct_LinkLineDesc>& links) override;  // 65
    bool VgMsg_OnPasteNew(CBase_Cmd* pView, const std::vector<URI_Ref>& pasted,
                          std::vector<URI_Ref>& out) override;                                      // 66
    void Msg_OnAppCommand(CString command) override;                                                 // 70
    void Msg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI) override;                        // 71
    // Finds the standard type package of the opened document and its "LLN0"
    // and "LPHD" types; false (and nothing changed) when the document has no
    // default domain prefix.
    bool Msg_OnOpenDocument() override;                                                              // 78

    // ======================================================================
    // Sorted member queries                             (sorted_queries.cpp)
    // Lists are replaced; false (or 0) only when the query itself fails.
    // ======================================================================
    // The targets of an association, sorted by the attribute and policy.
    bool DocMtd_get_Association_BUris(const URI_Ref& rsc, const CString& asso, std::vector<URI_Ref>& out,
                                      const CString& sortAttr, Enum_SortPolicy policy);
    bool DocMtd_get_Association_BUris_SortByName(const URI_Ref& rsc, const CString& asso, std::vector<URI_Ref>& out);
    bool DocMtd_get_Association_BUris_SortByOrd(const URI_Ref& rsc, const CString& asso, std::vector<URI_Ref>& out);
    // The resources at the end of a path of roles joined by "/"; 0 only when
    // the query failed.
    int DocMtd_get_descendent_BUris(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                                    URI_Ref& last, const CString& sortAttr, Enum_SortPolicy policy);
    int DocMtd_get_descendent_BUris_SortByName(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                                               URI_Ref& last);
    int DocMtd_get_descendent_BUris_SortByOrd(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                                              URI_Ref& last);
    // All resources of a class; an empty sort attribute sorts by name.
    bool DocMtd_get_Uris_byClassName_sortName(const CString& cls, std::vector<URI_Ref>& out, const CString& sortAttr,
                                              Enum_SortPolicy policy);
    // Sorts the list by the number in the attribute (read like atoi, stable)
    // and, with bRenumber, writes 1, 2, 3 ... where the number differs.
    void Sort_Reset_Ord(std::vector<URI_Ref>* pList, bool bRenumber, CString attr);

    // ======================================================================
    // Utilities: text, time, purpose, report            (utilities.cpp)
    // ======================================================================
    // True when the GBK form of the text holds two adjacent bytes >= 0x80.
    static bool IsChinese(CString text);
    // The local time (kiln::core::ClockNow): mode 0 "yyyyMMddhhmmss", mode 1
    // "y年M月d日h点m分" without zeros, other modes the six numbers run together.
    static void GetTime(CString* pOut, int mode);
    // Whether the node's "sec:LNode.LNodeUse" names that purpose.
    bool isLNodeUseToThisPurpose(URI_Ref& node, LNodeUseEnum purpose);
    // Appends one finding ("other_error") under the report node and counts it.
    bool Write_error_to_Report(CString name, CString message, bool isError);

    // ======================================================================
    // Display texts                                     (display_text.cpp)
    // ======================================================================
    // The text a resource is shown by: its class label and name, and for some
    // classes further attributes; "???" for a resource the document does not
    // hold. With bLabelled false the class label is left out. With bAsWritten
    // a logical node shows the parts of the name its files give it (an LLN0
    // neither prefix nor instance), as messages quote it. Reads only.
    CString GetRscText(URI_Ref& rsc, bool bLabelled, bool bAsWritten = false);

    // ======================================================================
    // Type queries: instance types, inheritance, packages (type_queries.cpp)
    // The walks along single links stop at a resource they already passed,
    // so cyclic data ends with what its acyclic portion gives.
    // ======================================================================
    // True for a package or type whose "...isInstType" is exactly "true".
    bool Is_InstType(URI_Ref& rsc);
    // Appends the type, its abstract type, that one's abstract type ...
    // following the single-target association; always true.
    bool Get_AbstractTypes(URI_Ref type, std::vector<URI_Ref>* pOut, CString asso);
    // Appends the packages of the dependency chain whose instance flag equals
    // bInstance; false with a message when the chain nests more than 20
    // steps or runs in a circle.
    bool GetTypePackage_Depended(std::vector<URI_Ref>* pOut, URI_Ref package, bool bInstance);
    // Appends the package and the packages it depends on; without bAll the
    // walk stops before a package whose isInstType ends in "false". True.
    bool Get_Depend_TypePackage(URI_Ref package, std::vector<URI_Ref>* pOut, bool bAll);
    // The chain of package names along which an LNodeType inherits, joined
    // by ">" ("P1>IEC 61850-7-4:2003"); false without a package, and with a
    // message when the text passes 255 GBK bytes or the chain runs in a circle.
    bool Get_LNode_NameSpace(URI_Ref& lnType, CString& ns);
    // True when b is a or lies along the association from a, any number of steps.
    bool Is_InTheAsso_OR_Self(URI_Ref a, CString asso, URI_Ref b);

    // ======================================================================
    // Definition lookups of DOs and DAs                 (definition_lookups.cpp)
    // ======================================================================
    // The DOs of an LNodeType and of its abstract types, with the package of
    // each in the parallel list.
    bool Get_DOs_of_Std_LNType(std::vector<URI_Ref>& dos, std::vector<URI_Ref>& packages, URI_Ref& lnType);
    // The DO of that name of a logical node's type (or its abstract types).
    URI_Ref Get_DO_Dfn(URI_Ref& lnode, CString doName);
    // The DOs of an LN type, then those of its abstract types in turn, in
    // the order the definition lookups meet them; a type without DOs adds none.
    std::vector<URI_Ref> Get_DOs_ofLNType(const URI_Ref& lnType);
    // Appends the data attributes reachable from a DO, SDO, DA or BDA, with
    // their paths ("origin[ST].orCat"); with pConstraints only those whose
    // path holds one of the functional constraints.
    bool Get_DAs_of_aDO(URI_Ref& obj, Struct_DAs_ofDO* pOut, CString prefix, std::vector<CString>* pConstraints);
    // The same for a list to choose from: where the walk stopped short of
    // every path (sStopped), a message says so before the list is shown.
    bool Get_DAs_ofDO_ToChoose(URI_Ref& dataObject, Struct_DAs_ofDO& das);
    // The data attribute at that path ("stVal[ST]") below the object.
    URI_Ref Get_DA_Dfn(URI_Ref& obj, CString path);
    // The data attribute a DARef (FCDA, ExtRef, SettingData, MapItem) names.
    URI_Ref Get_Dfn_ofDARef(URI_Ref& daRef);

    // ======================================================================
    // Domains and sequence numbers                      (domains.cpp)
    // ======================================================================
    // The domain of a new resource: its parent's, or for "sec:TypePackage",
    // "sec:ProductPackage" and "sec:ICD" one of their own, found or created
    // (asking the user for a name where one is needed). "" when cancelled or
    // refused.
    CString Get_DomainName_withCreate(URI_Ref& parent, const CString& cls, CString& name, bool bInstType);
    // The name of the domain that takes the ICDs of the product's package
    // (found, not created).
    CString IcdDomainOf(const URI_Ref& product);
    // The next sequence number under the parent along the association or
    // path (without a parent: among all resources of the class named by
    // `asso`), as decimal text.
    CString Get_NewRscSeq(const URI_Ref& parent, const CString& asso);

    // ======================================================================
    // CREATORS: the NewRsc_ family
    // ======================================================================
    // Each makes one resource (and what belongs to it) in its parent's
    // domain, with its name, order number, links and defaults; true with the
    // handle in *pOut. False when refused (the message shown: edit lock,
    // wrong parent, cancelled question) or when a document call failed
    // (what the creator made is deleted again, no message).
    // ---- products and type packages                  (create_products.cpp)
    bool NewRsc_ProductPackage(URI_Ref* pOut);
    bool NewRsc_Product(URI_Ref* pOut, URI_Ref package, CString name);
    bool NewRsc_ProductVer(URI_Ref* pOut, URI_Ref product, URI_Ref icd, CString name);
    bool NewRsc_TypePackage(URI_Ref* pOut, CString name, bool bInstType, URI_Ref icd);
    // ---- types and their members                      (create_types.cpp)
    bool NewRsc_LNodeType(URI_Ref* pOut, URI_Ref package);
    bool NewRsc_DOType(URI_Ref* pOut, URI_Ref package);
    bool NewRsc_DAType(URI_Ref* pOut, URI_Ref package);
    bool NewRsc_DO(URI_Ref* pOut, URI_Ref lnType, CString seq);
    bool NewRsc_SDO(URI_Ref* pOut, URI_Ref doType, CString ord);
    bool NewRsc_DA(URI_Ref* pOut, URI_Ref doType, CString ord);
    bool NewRsc_BDA(URI_Ref* pOut, URI_Ref daType, CString seq);
    // A value behind the owner's others, numbered `ord` when given (no look
    // at the others), else after the highest number they carry.
    bool NewRsc_Val(URI_Ref* pOut, const URI_Ref& owner, const CString& ord = CString());
    bool NewRsc_EnumType(URI_Ref* pOut, URI_Ref package);
    bool NewRsc_EnumVal(URI_Ref* pOut, URI_Ref enumType, CString seq);
    bool NewRsc_DOSemantic(URI_Ref* pOut, URI_Ref package);
    bool NewRsc_DASemantic(URI_Ref* pOut, URI_Ref package);
    // ---- the ICD structure                            (create_icd.cpp)
    bool NewRsc_ICD(URI_Ref* pOut, URI_Ref dependPackage, CString name, bool bExtDOFreely, URI_Ref product);
    bool NewRsc_IED(URI_Ref* pOut, URI_Ref icd);
    bool NewRsc_LDevice(URI_Ref* pOut, URI_Ref parent, URI_Ref lln0Type, URI_Ref lphdType, URI_Ref templateLD);
    bool NewRsc_LNode(URI_Ref* pOut, const URI_Ref& ld, const URI_Ref& lnType, bool bInstNo);
    bool NewRsc_DOI(URI_Ref* pOut, const URI_Ref& lnode, const URI_Ref& dataObject);
    bool NewRsc_DAI(URI_Ref* pOut, const URI_Ref& doi, const URI_Ref& dataAttr, const CString& name);
    // ---- data sets, control blocks, settings          (create_controls.cpp)
    bool NewRsc_DataSet(URI_Ref* pOut, URI_Ref lnode);
    bool NewRsc_FCDA(URI_Ref* pOut, const URI_Ref& dataSet);
    bool NewRsc_RCB(URI_Ref* pOut, URI_Ref lnode, URI_Ref dataSet);
    bool NewRsc_ClientLN(URI_Ref* pOut, URI_Ref rcb);
    bool NewRsc_LCB(URI_Ref* pOut, URI_Ref lnode, URI_Ref dataSet);
    bool NewRsc_Log(URI_Ref* pOut, URI_Ref lnode);
    bool NewRsc_SGCB(URI_Ref* pOut, URI_Ref lnode);
    bool NewRsc_SettingGroup(URI_Ref* pOut, URI_Ref sgcb);
    bool NewRsc_SettingData(URI_Ref* pOut, URI_Ref settingGroup);
    bool NewRsc_ExtRef(URI_Ref* pOut, URI_Ref lnode);
    // ---- SV, GSE and signals                          (create_signals.cpp)
    bool NewRsc_SV(URI_Ref* pOut, URI_Ref lnode);
    bool NewRsc_GSE(URI_Ref* pOut, URI_Ref lnode);
    bool NewRsc_SignalList(URI_Ref* pOut, URI_Ref ied);
    bool NewRsc_OutSignal(URI_Ref* pOut, URI_Ref signalList);
    bool NewRsc_InSignal(URI_Ref* pOut, URI_Ref signalList);
    // ---- information table and mapping                (create_itb.cpp)
    bool NewRsc_ITB(URI_Ref* pOut, URI_Ref icd);
    bool NewRsc_InfoItem(URI_Ref* pOut, URI_Ref itb);
    bool NewRsc_InfoGroup(URI_Ref* pOut, URI_Ref itb, CString name);
    bool NewRsc_M2I(URI_Ref* pOut, URI_Ref icd, URI_Ref itb, bool bMapItems);
    bool NewRsc_MapItem(URI_Ref* pOut, URI_Ref m2i, URI_Ref infoItem);

    // ---- instantiation from standard types      (instantiate.cpp)
    // Scope: "with M", "with M/C", "with M/C/O", "with no", or empty to ask
    // the user once for the whole tree of types built.
    // An instance type of the standard class that the package's chain of
    // instance packages may use (the user picks among several), or a new one
    // named after the package (or its ICD) and the class, with the class's
    // members of the scope. False when refused, cancelled or failed; what was
    // created stays.
    bool GetType_FromStandard(URI_Ref stdClass, URI_Ref package, URI_Ref* out, bool forceNew, CString scope);
    // Adds to the instance type a copy of a member of its standard class,
    // typed by an instance type of the member's standard type.
    bool Add_InstMember_byStd(URI_Ref& instType, URI_Ref& stdMember, URI_Ref& out, CString scope);
    // Links the package's DOs (kind "DO") or DAs, SDOs and BDAs ("DA") to the
    // name-semantic entries of the same name of its declaration packages.
    bool AutoLink_NameSemantic(URI_Ref& package, CString kind);
    // The nodes of the logical device numbered last, counted per LN class,
    // with the document's change stamps of what the count depends on; kept
    // between creations so that numbering n nodes costs n, not n²
    // (create_icd.cpp).
    struct LNodeClassCount {
        std::string sDevice;
        std::vector<uint64_t> vStamps;
        std::vector<std::pair<CString, int>> vPerClass;
    };
    LNodeClassCount m_LNodeClassCount;

    // ---- choice lists for input boxes             (choice_lists.cpp)
    // Each appends (display text, URI text) rows to the record's list, sets
    // its edit kind to 7 and changes nothing; false when a lookup fails.
    // The types of the package reached along packagePath (and of its
    // dependency chain) listed along listRole, without the resource and the
    // targets of exclusionPath; instFlag "true"/"false" picks instance or
    // standard types ("" the package's own kind). Instance types may be
    // restricted to those of the resource's current standard class.
    bool SetEditPackList_forType(Struct_EditPack* pPack, URI_Ref rsc, CString packagePath, CString listRole,
                                 CString exclusionPath, CString instFlag);
    // The instance LN types of the node's current LN class in its ICD's chain.
    bool SetEditPackList_forLNodeType_toLNClass(Struct_EditPack* pPack, URI_Ref lnode);
    // The targets of the path from the resource (without one: every resource
    // of the class named by the path), by their display texts.
    bool SetEditPackList_byPath(Struct_EditPack* pPack, URI_Ref start, CString path);
    // The type packages the package may depend on, marked "  (产品系列)" or "  (标准)".
    bool SetEditPack_forDependPackage(Struct_EditPack* pPack, URI_Ref package);

    // ======================================================================
    // EDITING AND CHECKING (editing/)
    // ======================================================================
    // ---- sibling order, renaming, deletion, M2I upkeep
    // Sibling order                                     (editing/sibling_order.cpp)
    // Moves the resource to place nPos among the siblings its class has (-1:
    // the last place; -999: numbers all siblings 1..n in their order). With
    // pCount only the number of siblings is given. False when refused
    // ("当前域不可编辑！-W0104"), when the class has no sibling order, or when
    // nothing changed.
    bool Rsc_Adjust_Order(URI_Ref rsc, int nPos, int* pCount = nullptr);
    // The same move among the resources reached from rsc along `path` (rsc
    // included), renumbered 1..n first; false for a place outside 1..n.
    bool Change_Ord_To(URI_Ref rsc, CString path, int nPos);
    // Asks for the place ("请输入序号："); false when cancelled.
    bool Change_Ord_To_AskPosition(URI_Ref rsc, CString path);
    bool Change_Ord_UpOne(URI_Ref rsc, CString path);
    bool Change_Ord_DownOne(URI_Ref rsc, CString path);
    // Adds nAmount to the number of every resource along `path` from `start`
    // whose number is at least nFirst. Always true.
    bool Change_AllOrd_DownNum(URI_Ref start, CString path, int nFirst, int nAmount);
    bool Change_AllOrd_DownOne(URI_Ref start, CString path, int nFirst);
    // Numbers the information items of an ITB by group number, then entry
    // number, giving an item without identifier its old number as one.
    bool Rsc_ITB_AutoOrd(URI_Ref itb);
    // Numbers the logical nodes of a logical device 1..n per LN class and
    // names them after it (LLN0 and LPHD stay); for an ICD, of all its
    // logical devices. Always true.
    bool Rsc_AutoSort_LD_LNodeInst(URI_Ref ld);
    bool Rsc_AutoSortLNodeInst(URI_Ref icd);
    // Renaming and deletion                             (editing/rename.cpp, editing/delete.cpp)
    // Renames the resource; an ICD also renames its IED and type package, an
    // instance-type package also its types, where their names begin with the
    // old name. *pTypesRenamed tells whether a package's types were in it.
    bool Rsc_Rename(URI_Ref rsc, CString newName, bool* pTypesRenamed = nullptr);
    // Deletes the resource with everything it owns, unless a type is still
    // used, an ITB has an M2I, or an IED's ICD has an M2I. With bAsk the user
    // confirms first and member failures are reported. The remaining
    // siblings keep contiguous numbers.
    bool Rsc_Delete(URI_Ref rsc, bool bAsk);
    // Deletes each resource as Rsc_Delete(rsc, false) does, the lists they
    // leave renumbered once at the end; false when one was not deleted.
    bool Rsc_DeleteEach(const std::vector<URI_Ref>& rscs);
    // M2I upkeep                                        (editing/m2i_upkeep.cpp)
    // Empties the names of every mapping item of the M2I that no longer
    // resolve in the model. Always true; nothing is shown.
    bool Refresh_M2I(URI_Ref m2i);
    // Empties the data-attribute name of every mapping item. Always true.
    bool Rsc_Del_DA_M2I(URI_Ref m2i);
    // What of a mapping item's target the model holds       (core/map_item_target.cpp)
    // Gone: no node, or no data object of its DO name in the node's type;
    // AttributeGone: the data object, but not the attribute named below it.
    enum class MapItemTarget { Gone, AttributeGone, Held };
    MapItemTarget Get_MapItemTarget(const URI_Ref& item);
    // Its resolvers: a data-object name ("A" or "A.phsA") among candidates;
    // the leading sub-data objects of an attribute name; an attribute path
    // ("cVal.mag.f", "stVal[ST]") among candidates.
    bool isDOName_In_DOSequence(CString name, std::vector<URI_Ref> candidates, URI_Ref& found);
    bool GetSDO_FromDO(CString text, URI_Ref start, CString& rest, URI_Ref& lastSDO);
    bool isDAName_In_DASequence(CString path, std::vector<URI_Ref> candidates);

    // ---- copy and paste
    // Copies of types                                   (editing/type_copy.cpp)
    // Each fills a type (or DO) that the caller created empty with a deep copy
    // of the source: its attribute values, its members in order with their
    // numbers, name semantics and enumerations shared, and the types the
    // members refer to: a type outside every ICD is shared, a type of an
    // ICD's package is the first of its name in the target package, or else
    // copied there once. False when a creation was refused or failed (the
    // creator's message shown): what the copy made is then removed again.
    bool Rsc_Copy_DAType(URI_Ref source, URI_Ref target, URI_Ref package);
    bool Rsc_Copy_DOType(URI_Ref source, URI_Ref target, URI_Ref package);
    // The DO takes the source's values except the roles of `except`; a list
    // that names "e301:OrdNaming.ord" leaves the target its own number.
    bool Rsc_Copy_DO(URI_Ref& source, URI_Ref& target, URI_Ref& lnType, CStringArray& except);
    // The DOs' types go to the target LNodeType's own package.
    bool Rsc_Copy_LNodeType(URI_Ref source, URI_Ref target, URI_Ref package);
    // Copy buffer, pasting and the copy of a logical node (editing/paste.cpp,
    // editing/lnode_copy.cpp)
    // Keeps the resource (any, unchecked) as the only entry of the copy buffer.
    // Always false.
    bool Rsc_Copy(URI_Ref rsc);
    // Puts a copy of the buffer's resource beside the target, by the pair of
    // classes: an LDevice with its nodes beside an LDevice, a logical node
    // last in the target node's device, a DA, DO or LN type in the target's
    // package (or in the target package), a DO last in the target's LNodeType
    // (or in the target LNodeType); other pairs make nothing. The views are
    // refreshed. False when the buffer is empty, the copied resource is gone,
    // or a creation was refused (then nothing of the paste stays).
    bool Rsc_Paste(URI_Ref target);
    // Fills the logical node `target`, created empty in `ld`, from `source`:
    // values (then `ord` as its number when not empty), type by the rule of
    // the type copies with the ICD's package as target, log, setting groups,
    // data sets with their members, control blocks on the copied data set of
    // the same name, external inputs, and (for a type shared with the source)
    // the DOIs with their DAIs. False as the type copies.
    bool Rsc_Copy_LNode(URI_Ref source, URI_Ref target, URI_Ref ld, CString ord);

    // ---- automatic generation and M2I matching
    // Information groups, channel numbers, re-typing    (editing/auto_generate.cpp)
    // Writes the group key "typ/grp" into every information item of the ITB
    // that has a 103 type and creates the groups of the keys no group is
    // named by, in text order. Always true.
    bool Rsc_AutoGroupInfoItem(URI_Ref itb);
    // Writes the instance number of every RADR and RBDR node of the logical
    // device into its "ChNum" / "setVal[SG]", creating that DOI and DAI
    // where they are missing. Always true.
    bool Rsc_Set_ChNum(URI_Ref ldevice);
    // Re-types every node whose name holds "LN0" or "LPHD" to the LLN0 or
    // LPHD type of the package "故障信息类型包", takes the four information
    // types off their nodes, and deletes the types given up (a type still
    // in use is refused by the deletion). False when it stops at a node
    // whose domain cannot be edited ("当前域不可编辑！-W0046").
    bool Rsc_HandleLN0AndDel();
    // Whether the member lists of the DOs of an LNodeType, or of one DO, can
    // be built; other classes give true. Changes nothing.
    bool Refresh_DOMember(URI_Ref& rsc);

    // Data-set members                                  (editing/fcda_generate.cpp)
    // Which data objects become members: 0 all, 1 all but the common ones
    // (LLN0, RBDR, RADR and LPHD nodes, Mod, Beh, Health, NamPlt ...).
    enum CREATE_FCD_TYPEEnum {
        CREATE_FCD_All = 0,
        CREATE_FCD_NoCommon = 1,
    };
    // Fills the data set with one member per data object (and sub-data
    // object) of the nodes of its logical device (serverWide: of every
    // logical device of its server) that has an attribute of the functional
    // constraint, passes the filter ("" or "*...": all; "a,b*,$Chinese$":
    // names, stems, double-byte names), the kind and, for GGIO nodes, the
    // purpose, and is no member of any data set of the server yet. False
    // when the data set has no node, the node no device or the device no
    // server.
    bool Rsc_AutoCreateFCDA(URI_Ref dataSet, CString fc, CREATE_FCD_TYPEEnum kind, CString filter,
                            bool serverWide, LNodeUseEnum use);
    // The same for the nodes of one logical device; `keys` holds the member
    // keys ("LD/PTOC1.Str") that are left out. Always true.
    bool Rsc_AutoCreateFCDA_LNode(CString ldName, std::set<CString>& keys, URI_Ref dataSet, URI_Ref ldevice,
                                  CString fc, CREATE_FCD_TYPEEnum kind, CString filter, LNodeUseEnum use);
    // One data object or sub-data object and, below it, its sub-data
    // objects; `ref` is the node reference (or the parent's key), `path` the
    // parent's path ending in ".". False when the object has no name or no
    // DOType.
    bool Rsc_AutoCreateFCDA_DO(CString ref, std::set<CString>& keys, URI_Ref dataSet, URI_Ref dataObject,
                               URI_Ref lnode, CString fc, CREATE_FCD_TYPEEnum kind, CString path);

    // M2I matching                                      (editing/m2i_match.cpp)
    // Gives every information item of the M2I's ITB (those selected, or all
    // but the excluded) a mapping item and points its mapping items without
    // a node to the node and DO that the rules in the nodes' descriptions
    // name for the item (optionally only the nodes of one device or one
    // node). Always true; nothing is shown.
    bool Rsc_MatchM2I_ByDoDesc(URI_Ref m2i, CStringArray& excludedIds, CStringArray& selectedIds, URI_Ref ldevice,
                               URI_Ref lnode);
    // The same for the chosen items only (items of the ITB in their order),
    // whatever their ids: ids may be empty or repeated. None when empty.
    bool Rsc_MatchM2I_ByDoDesc(URI_Ref m2i, const std::vector<URI_Ref>& chosenItems, URI_Ref ldevice,
                               URI_Ref lnode);

    // ---- consistency checks and their report
    // The report file, shared by the checks and the imports (core/report_file.cpp).
    // "Report_Template.xml" of the installation: the document folder, then
    // "../Template/", then the file name.
    CString Get_ReportTemplatePath();
    // Where a filled report is saved: "Report.xml" in the document folder.
    CString Get_ReportSavePath();
    // Loads the template into `xml` as a fresh document. False, with nothing
    // shown, when the file is missing or not well-formed. The group nodes the
    // writers look up ("other_errors", "ICD" with its ten categories, "M2I")
    // are added when the template lacks them, so no entry is ever lost.
    bool Load_ReportTemplate(CBase_XML& xml);
    // Saves the report to `path`; when that fails, shows the path followed by
    // "文件保存不成功！" and returns false.
    bool Save_Report(CBase_XML& xml, const CString& path);

    // The check drivers (editing/check_drivers.cpp): load the template into
    // m_xmlReport, run the checks in their fixed order, show the summary,
    // save the report when something was found and offer to open it. False
    // only when the template cannot be loaded (after a message).
    bool Check_ICD_IsCorrect(URI_Ref icd);
    bool Only_Check_TypePackage(URI_Ref package);

    // A full logical-node name ("[prefix]class[inst]") borne by `count` (>= 2)
    // nodes of one logical device.
    struct RepeatedName {
        CString name;
        int count = 0;
    };
    // Appends one record per node whose full name another node of the
    // device shares; false when the device has no logical node
    // (editing/icd_checks.cpp).
    bool Check_LNodeName(URI_Ref& ldevice, std::vector<RepeatedName>& repeated);

private:
    // The checks below write each finding into the report as an error and
    // change nothing in the model. Tests reach them through the probe.
    friend struct KilnChecksProbe;
    // ICD structure (editing/icd_checks.cpp).
    bool Check_IED(URI_Ref ied);
    bool Check_Asso_Num(URI_Ref rsc, CString assoc, int min, int max, CString prefix, bool report);
    bool Chech_Name_Repeat(URI_Ref rsc, CStringArray& assocs, CString attr, CString prefix, CString classFilter);
    bool Chech_AbstractType_Name_Repeat(URI_Ref rsc, CStringArray& assocs, CString abstractAssoc, CString attr,
                                        CString prefix, CString classFilter);
    // Data references of an ICD against the types of their logical nodes
    // (editing/dataref_check.cpp). The path map holds every DO, SDO, DA
    // and BDA path of the LNodeTypes of a package ("T/Pos.Oper[CO].ctlVal").
    bool Chech_DARef_RepeatORhasDODA(URI_Ref icd);
    bool GetLNTypeDOSDODA(URI_Ref typePackage, std::map<CString, URI_Ref>& paths);
    bool GetSDODA(URI_Ref doType, std::map<CString, URI_Ref>& paths, CString prefix);
    bool GetDABDA(URI_Ref daType, std::map<CString, URI_Ref>& paths, CString prefix);
    // Type packages (editing/type_package_checks.cpp).
    bool Check_TypePackageNoRepeatName(URI_Ref package);
    bool Chech_TypePackage_DOCDC(URI_Ref package);
    bool Chech_TypePackage_SDOCDC_DAfc(URI_Ref package);
    // The preset values of the package's DAs and BDAs that their basic types
    // cannot hold, each an error of the check report.
    void Check_TypePackage_Values(URI_Ref package);
    // The package's types that contain themselves or nest or derive deeper
    // than the walks go (TypeNestingFaults), each an error of the check report.
    void Check_TypePackage_Nesting(URI_Ref package);
    // Shared steps of the two drivers (editing/check_drivers.cpp).
    bool Begin_CheckReport();
    void Check_TypePackages(const std::vector<URI_Ref>& packages);
    void Finish_CheckReport(bool bIcd);
    // The path walks below GetSDODA and GetDABDA: `onPath` holds the types
    // the walk is inside of; a type met again there, or past the bound of
    // nesting, is not entered (the type checks name it).
    void GetSDODA_Walk(URI_Ref doType, std::map<CString, URI_Ref>& paths, const CString& prefix,
                       kiln::core::TypePath& onPath);
    void GetDABDA_Walk(URI_Ref daType, std::map<CString, URI_Ref>& paths, const CString& prefix,
                       kiln::core::TypePath& onPath);
    // Fills `chain` with a type and its abstract types (Get_AbstractTypes);
    // when the chain runs in a circle, one finding under `where` and false.
    bool AbstractChain_Checked(const URI_Ref& type, const CString& abstractAssoc, const CString& where,
                               std::vector<URI_Ref>& chain);

public:

    // ---- exports (export/)
    // "ICD:Export ICD": the ICD as an SCL file with its MICS document beside
    // it; the second argument is not read.
    bool Rsc_ICD_Export(URI_Ref icd, bool bUnused);
    // "ICD:Export TypePackage": the package as an SCL file of type templates.
    bool Rsc_TypePackage_Export(URI_Ref package);
    // "ICD:Create ReplaceNameFile" (an ICD or a type package) and "ICD:Create
    // ReplaceNameFile All" (empty): the Chinese names as a "*.Name" file.
    bool Rsc_Create_ReplaceNameFile(URI_Ref rsc);
    // "ICD:Export ITB": the information table with its groups and items.
    bool Rsc_ITB_Export(URI_Ref itb);
    // "ICD:Export M2I": the mapping with one MappingItem per mapped value.
    bool Rsc_M2I_Export(URI_Ref m2i);
    // "ICD:Create M2I Layout": an M2I file of the ICD without items.
    bool Rsc_M2I_Create(URI_Ref icd);

    // ---- imports (import/)
    // "ICD:Import ICD In Product": an SCL ICD file as a new ICD of the
    // product (out receives it); an empty or wrong product is refused first.
    bool Rsc_ICD_Import(URI_Ref* pOut, URI_Ref product);
    // "ICD:Import TypePackage": a type-package file as a new product package.
    bool Rsc_TypePackage_Import();
    // "ICD:Import LNodeType": the types of a type-package file into `pkg`.
    bool Rsc_LNodeType_Import(URI_Ref pkg);
    // "ICD:RepalceName" (an ICD or type package) and "ICD:RepalceName All"
    // (empty): the names of a name-replacement file replaced in the model.
    bool Rsc_ReplaceName(URI_Ref rsc);
    // "ICD:Import ITB": an ITB file as the information table of the ICD; an
    // ICD that has one already is refused before the file is chosen.
    bool Rsc_ITB_Import(URI_Ref icd);
    // "ICD:Import M2I": an M2I file as the mapping of the ICD, with the ITB
    // file beside it when the ICD has no ITB yet; an ICD that has a mapping
    // already is refused before the file is chosen.
    bool Rsc_M2I_Import(URI_Ref icd);

    // ======================================================================
    // VIEWS (views/)
    // ======================================================================
    // ---- context menus
    // Shows the context menu of rsc in the view (views/short_menu.cpp): in
    // "TreeView_Manager" the framework's own menu; in a view of kind 1 to 3
    // the items of rsc's class that the edit level, the label and the
    // resource's properties allow (possibly none), after which rsc, rsc2 and
    // the view are the current resource, second resource and view of the
    // commands. No menu, and nothing stored, in a view of another kind or
    // for a class the edit level hides.
    void ShortMenu(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2, CString label);

    // ---- trees and property editing
    // Tree content (views/tree_content.cpp). Appends a resource item for
    // every resource reached from parent along the path (by name when the
    // path reaches types, ICDs or products, else by sibling order), its text
    // the prefix and the display text; false, adding nothing, when the query
    // fails.
    bool AddTreeItems_byAssoPath_ICD(std::vector<Struct_ItemDesc>* pOut, URI_Ref& parent, CString path,
                                     CString prefix, bool bFlag);
    bool SetTreeItems_ByUris_ICD(std::vector<Struct_ItemDesc>* pOut, std::vector<URI_Ref>& list, CString prefix,
                                 bool bFlag);
    bool SetTreeItem_ByUri_ICD(std::vector<Struct_ItemDesc>* pOut, URI_Ref& rsc, CString prefix, bool bFlag);
    // Appends every resource reached along the path, each step in sibling
    // order, without `except`; 0 when the first step's query fails.
    int DocMtd_get_descendent_BUris_mySelf(URI_Ref& start, CString path, std::vector<URI_Ref>& out,
                                           URI_Ref& except);
    // The walks of types the model trees have opened: an item below a DO,
    // DA, type or instance carries its step (nInt2, generation in nInt3).
    // Filling a tree's top level begins a new generation.
    std::unique_ptr<kiln::core::TypeWalkSteps> m_treeWalks;

    // ======================================================================
    // COMMANDS (commands/)
    // ======================================================================
    // Msg_OnAppCommand (commands/dispatcher.cpp) and Msg_OnAppCommandUpdate
    // (commands/command_states.cpp) are the host handlers above; the bodies
    // of the commands and the product dialog live in commands/.

private:
    // The data-attribute walk below Get_DAs_of_aDO; `onPath` holds the types
    // the walk is inside of.
    bool Get_DAs_of_aDO_Walk(URI_Ref& obj, Struct_DAs_ofDO* pOut, const CString& prefix,
                             std::vector<CString>* pConstraints, kiln::core::TypePath& onPath);
    // The logical-node text of GetRscText.
    CString LNodeText(const URI_Ref& lnode, bool bLabelled, const CString& desc, bool bAsWritten);
};
