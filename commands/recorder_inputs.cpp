// Inputs of the disturbance recorder's channels: every RADR and RBDR node of
// a logical device that has no external reference yet gets one, named after
// the node's description.
#include "commands/command_frame.h"

namespace kiln::commands {

Next CreateLNodeExtRefOfLD(CommandFrame& f) {
    CKiln_Main& app = f.app;
    for (const URI_Ref& node : InOrder(app, f.Current(), "sec:LDevice.LNodes")) {
        const URI_Ref cls = FirstOf(app, node, "sec:LNode.LNodeType/sec:LNodeType.ClassOf_LNType");
        if (cls.IsEmpty()) continue;
        CString clsName, description;
        app.DocMtd_get_attribute_value(cls, "cim:Naming.name", clsName);
        if (clsName != "RADR" && clsName != "RBDR") continue;
        app.DocMtd_get_attribute_value(node, "cim:Naming.description", description);
        if (FirstOf(app, node, "sec:LNode.ExtRefs").IsSet()) continue;
        URI_Ref ref;
        if (app.NewRsc_ExtRef(&ref, node) && ref.IsSet())
            app.DocMtd_Modify_attribute_value(ref, "cim:Naming.name", description);
    }
    return Next::CommonEnd;
}

}  // namespace kiln::commands
