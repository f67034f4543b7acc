// Writes a domain in the document store's CIM-XML format.
#pragma once

#include <string>

#include "tools/nsd2cim/cim_domain.h"

namespace kiln::nsd2cim {

// The file text: UTF-8 with its declaration, the domain's comment, then the
// rdf:RDF root with one element per resource in domain order, indented by two
// blanks. Links name same-domain targets as "#" + local id.
std::string WriteCimXml(const CimDomain& domain);

}  // namespace kiln::nsd2cim
