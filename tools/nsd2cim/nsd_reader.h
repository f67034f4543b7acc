// Reads the NSD files of one folder into an NsdSet.
#pragma once

#include <string>

#include "tools/nsd2cim/nsd_model.h"

namespace kiln::nsd2cim {

// Reads every "*.nsd" file of `folder` whose namespace is IEC 61850-7-2, -7-3,
// -7-4 or -8-1 (files of other namespaces are passed over). 7-2, 7-3 and 7-4
// must be there; 8-1 is optional. False with a message in `error` when the
// folder cannot be read, a file does not parse, a namespace comes twice or a
// required one is missing.
bool ReadNsdFolder(const std::string& folder, NsdSet& out, std::string& error);

}  // namespace kiln::nsd2cim
