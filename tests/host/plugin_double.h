// A small plug-in for the host's tests: type packages with their LN types in
// "TreeView_User", a context menu per class, commands that ask every kind of
// question, command states, and two editable fields.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/framework/app_cim.h"

class CPluginDouble : public CBase_AppCim {
public:
    // What the host did, for the tests to check.
    static int s_nConstructed;
    static int s_nDestroyed;
    static std::vector<std::string> s_vCommands;  // every command string received
    // When set, a command catches every exception (as a careless plug-in
    // would), so that the host must notice a failed question itself.
    static bool s_bSwallowErrors;
    // When set, the document gets this fault injected as it is opened (a
    // system call of its save that fails).
    static std::string s_sFaultOnOpen;
    // When set, runs once, before the next command: what another process
    // does to the workspace while the run goes on.
    static std::function<void()> s_onCommand;
    static void Reset();

    CPluginDouble() { ++s_nConstructed; }
    ~CPluginDouble() override { ++s_nDestroyed; }

    bool Msg_OnOpenDocument() override;
    bool TreeMsg_OnSetChildItems(CBase_Cmd* pView, Struct_ItemDesc* pParent, std::vector<Struct_ItemDesc>* pOut) override;
    bool TreeMsg_OnGetRscText(CBase_Cmd* pView, Struct_ItemDesc* pItem, CString* pText) override;
    bool TreeMsg_OnClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) override;
    bool TreeMsg_OnRClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) override;
    bool HtmlMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, CString text, Struct_Pairs* pPairs) override;
    bool HtmlMsg_OnPrepareEditField(CBase_Cmd* pView, URI_Ref rsc, CString field, CString text,
                                    Struct_EditPack* pPack) override;
    bool HtmlMsg_OnFieldChanged(CBase_Cmd* pView, URI_Ref rsc, CString field, CString oldValue, CString& newValue,
                                CString* pDisplay, int* pRefresh) override;
    void Msg_OnAppCommand(CString command) override;
    void Msg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI) override;

private:
    void ShortMenu(CBase_Cmd* pView, const URI_Ref& rsc);
    void RunCommand(const CString& command);
    bool Editable(const URI_Ref& rsc);
    void AddItem(std::vector<Struct_ItemDesc>* pOut, const URI_Ref& rsc, const CString& key, const CString& text,
                 const CString& label);
};
