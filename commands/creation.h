// The generic creation of the "ICD:Add " group: what its bodies share.
#pragma once

#include "commands/command_frame.h"

namespace kiln::commands {

// One creation: the frame, the parent chosen by the class table, and whether
// the new resource is placed behind the current one (a sibling of its class).
struct Creation {
    CommandFrame& f;
    URI_Ref parent;
    bool place = true;
};

// What a creation body tells the frame: go on to placing and the common end,
// or leave at once (a cancelled question, a refusal).
using CreationBody = Next (*)(Creation&);

// Types and type members (creation_types.cpp).
Next AddType(Creation& c);
Next AddMember(Creation& c);
// Logical devices, nodes and their instances (creation_devices.cpp).
Next AddBaseLDevice(Creation& c);
Next AddLDevice(Creation& c);
Next AddLNode(Creation& c);
Next AddManyLNodes(Creation& c);
Next AddDOI(Creation& c);
Next AddDAI(Creation& c);

}  // namespace kiln::commands
