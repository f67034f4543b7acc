// What one M2I import keeps while it maps the MappingItems of its file: the
// new mapping, the report node, the unit tables and the path indexes of the
// ICD's instance.
#pragma once

#include <utility>
#include <vector>

#include "core/unit_tables.h"
#include "import/kiln_import.h"

struct CKiln_Import::M2IRun {
    CKiln_Main* app = nullptr;
    URI_Ref m2i;
    // The map items of the run, taken back with the M2I on a refusal, each
    // with the place in the file of the MappingItem that made it.
    std::vector<std::pair<size_t, URI_Ref>> made;
    bool refused = false;       // a creator refused: the run stops
    XmlNode reportNode;         // "M2I" of the report
    kiln::core::UnitTable units, multipliers;
    ImportNameTable lnodes;             // "LD/LN" (LN: prefix + class + instance) -> sec:LNode
    ImportNameTable dos;                // DO and SDO paths
    ImportNameTable das;                // every path a toDA may name
    const ImportNameTable* items = nullptr;  // InfoItems by key
};
