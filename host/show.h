// The host's own look into the document store: a resource with its class,
// name, attribute values and links, printed into the transcript.
#pragma once

#include <cstddef>
#include <string>

#include "host/transcript.h"

class CBase_CimDoc;

namespace kiln::host {

// Targets a resource's summary names along each role before "... N more".
inline constexpr size_t kShownTargets = 5;

// Prints the resource `uri`: a head line with its identifier, name and class,
// then each attribute value it holds ("role = value") and, for each role
// along which it has links, their number and the first targets' names.
// With `role`, prints the head line and every target along that role (at
// most `limit`, 0 for all), name and identifier, in sibling order. False,
// with the reason, for an unknown resource or a role its class lacks.
bool ShowResource(const CBase_CimDoc& doc, Transcript& out, const std::string& uri, const std::string& role,
                  size_t limit, std::string& error);

}  // namespace kiln::host
