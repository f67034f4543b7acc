// The fixed table of data-object descriptions of "ICD:Write Description of DOs".
#pragma once

#include <span>

namespace kiln::commands {

struct CDoDescription {
    const char* name;
    const char* description;
};

// Every known name with its description, in the order of insertion.
std::span<const CDoDescription> DoDescriptions();

}  // namespace kiln::commands
