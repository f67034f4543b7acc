// Turns the NSD records into the domain of the standard type package.
#pragma once

#include <string>

#include "tools/nsd2cim/cim_domain.h"
#include "tools/nsd2cim/nsd_model.h"

namespace kiln::nsd2cim {

// Builds one "sec:TypePackage" (named "Orsane.Zel:2007", ref the IEC 61850
// (2003) namespace URI) with the LN classes as LNodeTypes, the CDCs as DOTypes,
// the constructed attribute classes as DATypes, the enumerations as EnumTypes
// and the DO and DA name semantics. Identifiers and order depend only on the
// NSD content. False with the list of problems in `error` when the NSD refers
// to a type, class, enumeration or functional constraint that it does not define.
bool BuildStdDomain(const NsdSet& nsd, CimDomain& out, std::string& error);

// The comment that carries the copyright notices of the NSD files.
std::string CopyrightComment(const NsdSet& nsd);

}  // namespace kiln::nsd2cim
