// The framework base of the plug-in object: the application base, the
// document services, and the host's handler interface. The host calls the
// virtual handlers below, in this order of the table of virtual operations
// (the numbers are the slots; 0 to 4 are CObject's). A handler the plug-in
// does not override does what the framework does: nothing, answering
// false or an empty result, unless its comment says otherwise.
//
// Beside the handlers: the context-menu services (the table that maps a
// picked item back to its command string), tree, HTML and graphics view
// services, the pick-a-resource box, the domain-name question, the import
// of an external domain, and the framework's error text.
#pragma once

#include <vector>

#include "platform/framework/app_base.h"
#include "platform/framework/color_cfg.h"
#include "platform/framework/doc_services.h"
#include "platform/framework/menu.h"
#include "platform/framework/records.h"
#include "platform/framework/view_cmd.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/xml_node.h"

class CBase_AppCim : public CBase_App, public CDocServices {
public:
    CBase_AppCim();

    // ---- handler interface, in slot order ----
    CRuntimeClass* GetRuntimeClass() const override;  // 0
    ~CBase_AppCim() override;                          // 1
    virtual bool Msg_Tab_Click(CBase_Cmd* pView, int nTab);                                          // 5
    virtual bool Msg_Tab_PosChange(CBase_Cmd* pView, int nTab);                                      // 6
    virtual bool Msg_Tab_TabChange(CBase_Cmd* pView, int nTab);                                      // 7
    virtual bool SearchMsg_OnSearch(CBase_Cmd* pView, CString text, std::vector<URI_Ref>* pFound);   // 8
    virtual bool SearchMsg_OnLocate(CBase_Cmd* pView, URI_Ref rsc);                                  // 9
    virtual bool SearchMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc);                                  // 10
    virtual bool RsltMsg_OnInitColumns(CBase_Cmd* pView);                                            // 11
    virtual bool RsltMsg_OnClickCheckBtn(CBase_Cmd* pView);                                          // 12
    virtual bool RsltMsg_OnLocate(CBase_Cmd* pView, URI_Ref rsc);                                    // 13
    virtual bool RsltMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc);                                    // 14
    virtual bool ProgMsg_OnClickStop(CBase_Cmd* pView);                                              // 15
    virtual bool OnMouseMove_Satellite_FlickerObjs(CBase_Cmd* pView, URI_Ref rsc);                   // 16
    virtual bool Msg_OnTimer(UINT nIDEvent);                                                         // 17
    virtual bool GridMsg_OnLocate(CBase_Cmd* pView, CString key);                                    // 18
    virtual bool GridMsg_OnRClick(CBase_Cmd* pView, CString key);                                    // 19
    // Slots 20 and 21 run this one body: true, nothing else.
    virtual bool GridMsg_OnLClick(CBase_Cmd* pView, CString key);                                    // 20, 21
    virtual bool TaskMsg_OnSwitchTask(CString task);                                                 // 22
    virtual bool TreeMsg_OnRClick(CBase_Cmd* pView, Struct_ItemDesc* pItem);                         // 23
    virtual bool TreeMsg_OnClick(CBase_Cmd* pView, Struct_ItemDesc* pItem);                          // 24
    virtual bool TreeMsg_OnDoubleClick(CBase_Cmd* pView, Struct_ItemDesc* pItem);                    // 25
    // The framework's own content is that of "TreeView_Manager": the domain
    // types at the top, the domains of a type below it; other views get none.
    virtual bool TreeMsg_OnSetChildItems(CBase_Cmd* pView, Struct_ItemDesc* pParent,
                                         std::vector<Struct_ItemDesc>* pOut);                        // 26
    virtual bool TreeMsg_OnPresetClassIcons(CBase_Cmd* pView);                                       // 27
    virtual bool TreeMsg_OnSetItemIcon(CBase_Cmd* pView, Struct_ItemDesc* pItem, int* pIcon);        // 28
    // The framework's text of an item of its own: a domain type's name, a
    // domain's name; true when the item's resource is one of these.
    virtual bool TreeMsg_OnGetRscText(CBase_Cmd* pView, Struct_ItemDesc* pItem, CString* pText);     // 29
    virtual bool TreeMsg_OnBeginDrag(CBase_Cmd* pView, Struct_ItemDesc* pItem);                      // 30
    virtual bool TreeMsg_OnEndDrag(CBase_Cmd* pView, Struct_ItemDesc* pDragged, Struct_ItemDesc* pTarget);  // 31
    virtual bool TreeMsg_OnPrepareEdit(CBase_Cmd* pView, Struct_ItemDesc* pItem, Struct_EditPack* pPack);  // 32
    virtual bool TreeMsg_OnEditChanged(CBase_Cmd* pView, Struct_ItemDesc* pItem, CString text);      // 33
    virtual bool HtmlMsg_OnSetXsltFile(CBase_Cmd* pView, URI_Ref rsc, CString* pXslt, CString* pText2,
                                       CString* pLabel, Struct_Pairs* pPairs);                       // 34
    virtual bool HtmlMsg_OnBeforeNavigate(CBase_Cmd* pView, URI_Ref& target, CString link, bool bFlag);  // 35
    virtual bool HtmlMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, CString text, Struct_Pairs* pPairs);  // 36
    virtual bool HtmlMsg_OnPrepareEditField(CBase_Cmd* pView, URI_Ref rsc, CString field, CString text,
                                            Struct_EditPack* pPack);                                 // 37
    virtual bool HtmlMsg_OnFieldChanged(CBase_Cmd* pView, URI_Ref rsc, CString field, CString oldValue,
                                        CString& newValue, CString* pDisplay, int* pRefresh);        // 38
    virtual bool VGDMsg_OnRedraw(CBase_Cmd* pView);                                                  // 39
    virtual bool VGDMsg_OnClick(CBase_Cmd* pView, URI_Ref rsc);                                      // 40
    virtual bool VGDMsg_OnDblClick(CBase_Cmd* pView, URI_Ref rsc);                                   // 41
    virtual bool VGDMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc);                                     // 42
    virtual bool VGDMsg_OnMouseMove(CBase_Cmd* pView, URI_Ref rsc);                                  // 43
    virtual bool VGDMsg_OnZoomChange(CBase_Cmd* pView, long nOld, long nNew);                        // 44
    virtual bool VgMsg_OnFileOpen(CBase_Cmd* pView, CString file, int* pInt, bool* pFlag1, bool* pFlag2);  // 45
    virtual bool VgMsg_AfterFileOpened(CBase_Cmd* pView);                                            // 46
    virtual bool VgMsg_OnBrowseSVG(CBase_Cmd* pView, CString file);                                  // 47
    virtual bool VgMsg_OnSetVisible_ofToolBar(CBase_Cmd* pView, bool* pVisible);                     // 48
    virtual bool VgMsg_BeforeSaveModified(CBase_Cmd* pView, CString* pText);                         // 49
    virtual bool VgMsg_OnClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2);                         // 50
    virtual bool VgMsg_OnClickLink(CBase_Cmd* pView, URI_Ref from, URI_Ref to, double x, double y, bool bFlag);  // 51
    virtual bool VgMsg_OnClick_PresentShape(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2);            // 52
    virtual bool VgMsg_OnDblClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2);                      // 53
    virtual bool VgMsg_OnDblClick_PresentShape(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2);         // 54
    virtual bool VgMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2, std::vector<URI_Ref>& selected);  // 55
    virtual bool VgMsg_OnMouseMove(CBase_Cmd* pView, URI_Ref rsc, bool* pFlag);                      // 56
    virtual bool VgMsg_OnZoomChange(CBase_Cmd* pView, long nOld, long nNew);                         // 57
    virtual bool VgMsg_OnSetLinks_ofFoot(CBase_Cmd* pView, URI_Ref rsc, std::vector<Struct_CIMLinkInst>* pLinks);  // 58
    virtual bool VgMsg_OnSetShape_ofObj(CBase_Cmd* pView, URI_Ref& rsc, CString* pShape, std::vector<URI_Ref>* pList,
                                        Struct_Pairs* pPairs);                                       // 59
    virtual bool VgMsg_OnAdding_A_Shape(CBase_Cmd* pView, URI_Ref rsc, CString shape);               // 60
    virtual unsigned long VgMsg_OnSetColor_ofFoot(CBase_Cmd* pView, URI_Ref& rsc, URI_Ref& rsc2);    // 61
    virtual bool VgMsg_OnSetNoteText(CBase_Cmd* pView, URI_Ref rsc, CString* pText);                 // 62
    virtual bool VgMsg_OnAddLink(CBase_Cmd* pView, URI_Ref from, URI_Ref to, CString style, int* pInt);  // 63
    virtual bool VgMsg_BeforeDeleteRsc(CBase_Cmd* pView, int nKind, std::vector<URI_Ref>& rscs, bool bFlag,
                                       bool& bOut);                                                  // 64
    virtual bool VgMsg_BeforeDeleteLink(CBase_Cmd* pView, std::vector<Struct_LinkLineDesc>& links);  // 65
    virtual bool VgMsg_OnPasteNew(CBase_Cmd* pView, const std::vector<URI_Ref>& pasted,
                                  std::vector<URI_Ref>& out);                                        // 66
    virtual bool VgMsg_AfterPaste(CBase_Cmd* pView, std::vector<URI_Ref>& pasted);                   // 67
    virtual bool VgMsg_SetPresent_ofObj(CBase_Cmd* pView, URI_Ref rsc, CString* pPresent);           // 68
    virtual bool VgMsg_OnDrawBackground(CBase_Cmd* pView);                                           // 69
    virtual void Msg_OnAppCommand(CString command);                                                  // 70
    virtual void Msg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI);                         // 71
    virtual void COMMON_Msg_OnAppCommand(CString command);                                           // 72
    virtual void COMMON_Msg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI);                 // 73
    virtual bool Msg_OnGetRscText(URI_Ref rsc, CString* pText);                                      // 74
    virtual bool Msg_OnAppNewFile();                                                                 // 75
    virtual bool Msg_OnAppOpenFile();                                                                // 76
    virtual bool Msg_OnPrepareDocument();                                                            // 77
    virtual bool Msg_OnOpenDocument();                                                               // 78
    virtual bool Msg_OnSaveDocument();                                                               // 79
    virtual bool Msg_OnCloseDocument();                                                              // 80
    virtual bool Msg_BeforeCheckin_RelVersion();                                                     // 81
    virtual bool Msg_AfterCheckin_TVersion();                                                        // 82
    virtual bool Rsc_Adjust_Order(URI_Ref rsc, CString role, int nOrder);                            // 83
    // The stored error text (Mtd_SetErrorMsg).
    virtual CString Mtd_GetErrorMsg();                                                               // 84
    virtual void ProjectMsg_OnAppCommand(CString command);                                           // 85
    virtual void ProjectMsg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI);                 // 86
    virtual void ProjectShortMenu(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2, CString label);       // 87
    virtual bool ProjectHtmlMsg_OnBeforeNavigate(CBase_Cmd* pView, URI_Ref& target, CString link, bool bFlag);  // 88
    virtual bool ProjectHtmlMsg_OnSetXsltFile(CBase_Cmd* pView, URI_Ref rsc, CString* pXslt, CString* pText2,
                                              CString* pLabel, Struct_Pairs* pPairs);                // 89
    virtual bool ProjectHtmlMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, CString text, Struct_Pairs* pPairs);  // 90
    virtual bool ProjectHtmlMsg_OnPrepareEditField(CBase_Cmd* pView, URI_Ref rsc, CString field, CString text,
                                                   Struct_EditPack* pPack);                          // 91
    virtual bool ProjectHtmlMsg_OnFieldChanged(CBase_Cmd* pView, URI_Ref rsc, CString field, CString oldValue,
                                               CString& newValue, CString* pDisplay, int* pRefresh);  // 92
    virtual bool Msg_OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam);                       // 93

    // ---- context menus ----
    // Empties the table of (item, command string) of the context menu.
    void Mtd_ShortMenu_Clear();
    // Appends an item with the text to the popup and records its command
    // string, so that picking the item hands exactly that string to
    // Msg_OnAppCommand; "_分隔符_" appends a separator. The flag is not used.
    // False without a popup.
    bool Mtd_ShortMenu_Append(CMenu* pPopup, const CString& command, const CString& text, bool bFlag = true);
    // The command string of a menu item identifier; empty when none.
    CString Mtd_ShortMenu_CommandOf(UINT nID) const;
    // The framework's own menu for a resource in the manager view; it
    // offers "导入域数据" ("COMMON:Import ExternalData") on a domain type.
    // Picking that makes the resource the current one and sends the command.
    // False when the menu has no item for the resource.
    bool APPCOMMON_ShortMenu(CBase_Cmd* pView, URI_Ref rsc);

    // ---- views ----
    // Fills a tree item: resource, key (the first and the fourth text),
    // label (the second), shown text (the third), flag, flag 2 and int 1.
    bool TreeMtd_SetItemDetail(Struct_ItemDesc* pItem, const URI_Ref& rsc, const CString& key, const CString& text,
                               bool bFlag, const CString& label, const CString& text2 = CString(), bool bFlag2 = true,
                               int nInt = 0);
    // Registers the icon of items with that key in the view.
    bool TreeMtd_Add_a_ClassIcon(CBase_Cmd* pView, const CString& key, int nIcon);
    // Shows the resource's page in the view at the anchor.
    bool HtmlMtd_LocateNow(CBase_Cmd* pView, const URI_Ref& rsc, const CString& key, const CString& anchor,
                           bool bNow = true);
    // The resource the view shows; empty without a view.
    URI_Ref HtmlMtd_GetCurrentUri(CBase_Cmd* pView);
    // A colour of the graphics view by name (0 for an unknown name).
    unsigned long VgMtd_GetColor_ByName(CBase_Cmd* pView, const CString& name);
    CBase_ColorCfg m_ColorCfg;

    // ---- questions ----
    // Lets the user pick one handle of the list (shown by "cim:Naming.name",
    // by URI text when a resource has no name); `rsc` is preselected and, on
    // true, the handle picked. False when cancelled or the list is empty.
    bool Select_A_URI_FromSeq(const std::vector<URI_Ref>& list, URI_Ref& rsc, const CString& prompt);
    // Asks for a name (the box opens with `name`); on OK the typed name goes
    // to `name` and the domain name built from it to `domain`: the prefix
    // (without a final "#" or "."), ".", the name with any "#" turned into
    // "_", and "#". False when cancelled; a blank answer gives true with
    // both emptied, for the caller to say that a name is needed.
    bool Mtd_InputName_withDomainName(const CString& prefix, CString& name, CString& domain, const CString& prompt);
    // Asks for a CIM-XML file and imports it into a new domain of the
    // domain type; `classText` as Import_ExterDomainFile takes it. A refusal
    // of the document is shown with its reason. False when cancelled or
    // refused.
    bool Import_ExterDomainData(URI_Ref domainType, CString classText);

    // ---- texts of the framework base ----
    CString DocMtd_Get_CurrentUser() { return m_strCurrentUser; }
    CString DocMtd_Get_EPCompanyName() { return m_strEPCompanyName; }
    CString DocMtd_Get_EPIdxCompanyName() { return m_strEPIdxCompanyName; }
    CString DocMtd_Get_EPIdxUtilityName() { return m_strEPIdxUtilityName; }
    CString m_strCurrentUser;
    CString m_strEPCompanyName;
    CString m_strEPIdxCompanyName;
    CString m_strEPIdxUtilityName;

    // ---- error text ----
    void Mtd_SetErrorMsg(const CString& text, const URI_Ref& rsc);
    CString Get_ErrorMsg() { return m_strErrorMsg; }
    URI_Ref Mtd_GetErrorUri() { return m_uErrorRsc; }

    // ---- XML ----
    // The value of the child element or attribute `name` of the node ("@x"
    // names an attribute only); false and "" when there is none.
    bool Get_Node_Value(const XmlNode& node, const CString& name, CString& value);
    CString Get_Node_ValueString(const XmlNode& node, const CString& name);

private:
    bool OnMenuItem(UINT nID);

    std::vector<CString> m_vShortMenuCmds;  // item identifier - first id -> command
    CString m_strCommonCmd;                 // the command of the common menu's item
    URI_Ref m_uCommonRsc;                   // and the resource it was offered for
    CBase_Cmd* m_pCommonView = nullptr;
    CString m_strErrorMsg;
    URI_Ref m_uErrorRsc;
};
