// The state of a command before the host shows its menu item: every command
// is enabled with its menu text, except the deletion, which names what it
// deletes as its question does (a logical node by the name its files give
// it) and is disabled for the standard type package and for a type
// package that belongs to an ICD.
#include "commands/command_frame.h"

void CKiln_Main::Msg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI) {
    if (!pCmdUI) return;
    bool enabled = true;
    if (command == "ICD:Delete") {
        URI_Ref current = m_uCurRsc;
        pCmdUI->SetText("删除" + GetRscText(current, true, true));
        if (current.sClass == "sec:TypePackage" &&
            (current == m_uStdTypePackage || kiln::commands::FirstOf(*this, current, "sec:TypePackage.ICD").IsSet()))
            enabled = false;
    }
    pCmdUI->Enable(enabled);
}
