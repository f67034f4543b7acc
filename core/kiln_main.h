// CKiln_Main: the plug-in object. The host constructs it, drives it through
// the handlers it overrides of CBase_AppCim, and deletes it through its
// virtual destructor. It holds the plug-in's shared state (the standard type
// package of the open document and its LLN0 and LPHD types, the copy buffer,
// the check report) and the model operations that the whole plug-in
// shares. Its members are defined in the .cpp files of core/ named after
// what they hold.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/framework/app_cim.h"
#include "platform/framework/records.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/base_xml.h"
#include "platform/xml/xml_node.h"

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
    // Document opening is the model core's (open_document.cpp). The view
    // and command handlers are filled by the views and the command
    // dispatcher; until then they answer as the framework does
    // (handler_stubs.cpp).
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
    // hold. With bLabelled false the class label is left out. Reads only.
    CString GetRscText(URI_Ref& rsc, bool bLabelled);

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
    // Appends the data attributes reachable from a DO, SDO, DA or BDA, with
    // their paths ("origin[ST].orCat"); with pConstraints only those whose
    // path holds one of the functional constraints.
    bool Get_DAs_of_aDO(URI_Ref& obj, Struct_DAs_ofDO* pOut, CString prefix, std::vector<CString>* pConstraints);
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
    // The next sequence number under the parent along the association or
    // path (without a parent: among all resources of the class named by
    // `asso`), as decimal text.
    CString Get_NewRscSeq(URI_Ref parent, CString asso);

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
    bool NewRsc_Val(URI_Ref* pOut, URI_Ref owner);
    bool NewRsc_EnumType(URI_Ref* pOut, URI_Ref package);
    bool NewRsc_EnumVal(URI_Ref* pOut, URI_Ref enumType, CString seq);
    bool NewRsc_DOSemantic(URI_Ref* pOut, URI_Ref package);
    bool NewRsc_DASemantic(URI_Ref* pOut, URI_Ref package);
    // ---- the ICD structure                            (create_icd.cpp)
    bool NewRsc_ICD(URI_Ref* pOut, URI_Ref dependPackage, CString name, bool bExtDOFreely, URI_Ref product);
    bool NewRsc_IED(URI_Ref* pOut, URI_Ref icd);
    bool NewRsc_LDevice(URI_Ref* pOut, URI_Ref parent, URI_Ref lln0Type, URI_Ref lphdType, URI_Ref templateLD);
    bool NewRsc_LNode(URI_Ref* pOut, URI_Ref ld, URI_Ref lnType, bool bInstNo);
    bool NewRsc_DOI(URI_Ref* pOut, URI_Ref lnode, URI_Ref dataObject);
    bool NewRsc_DAI(URI_Ref* pOut, URI_Ref doi, URI_Ref dataAttr, CString name);
    // ---- data sets, control blocks, settings          (create_controls.cpp)
    bool NewRsc_DataSet(URI_Ref* pOut, URI_Ref lnode);
    bool NewRsc_FCDA(URI_Ref* pOut, URI_Ref dataSet);
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

    // ---- choice lists for input boxes             (choice_lists.cpp)

    // ======================================================================
    // EDITING AND CHECKING (editing/)
    // ======================================================================
    // ---- sibling order, renaming, deletion, M2I upkeep

    // ---- copy and paste

    // ---- automatic generation and M2I matching

    // ---- consistency checks and their report

    // ---- exports (export/)
    // "ICD:Export ICD": the ICD as an SCL file with its MICS document beside
    // it; the second argument is not read.
    bool Rsc_ICD_Export(URI_Ref icd, bool bUnused);
    // "ICD:Export TypePackage": the package as an SCL file of type templates.
    bool Rsc_TypePackage_Export(URI_Ref package);

    // ======================================================================
    // VIEWS (views/)
    // ======================================================================
    // ---- context menus

    // ---- trees and property editing

    // ======================================================================
    // COMMANDS (commands/)
    // ======================================================================

private:
    // The data-attribute walk below Get_DAs_of_aDO; `onPath` holds the types
    // the walk is inside of.
    bool Get_DAs_of_aDO_Walk(URI_Ref& obj, Struct_DAs_ofDO* pOut, const CString& prefix,
                             std::vector<CString>* pConstraints, std::set<std::string>& onPath);
    // The logical-node text of GetRscText.
    CString LNodeText(const URI_Ref& lnode, bool bLabelled, const CString& desc);
};
