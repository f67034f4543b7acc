// The command handlers of the plug-in object that the command dispatcher
// does not fill yet: each answers as the framework does, so that a host can
// already drive the plug-in.
#include "core/kiln_main.h"

void CKiln_Main::Msg_OnAppCommand(CString command) { CBase_AppCim::Msg_OnAppCommand(command); }

void CKiln_Main::Msg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI) {
    CBase_AppCim::Msg_OnAppCommandUpdate(command, pCmdUI);
}
