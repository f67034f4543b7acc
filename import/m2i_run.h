// What one M2I import keeps while it maps the MappingItems of its file: the
// new mapping, the report node and the path indexes of the
// ICD's instance.
#pragma once

#include <utility>
#include <vector>

#include "core/map_item_target.h"
#include "import/kiln_import.h"

struct CKiln_Import::M2IRun {
    CKiln_Main* app = nullptr;
    URI_Ref m2i;
    // The map items of the run, taken back with the M2I on a refusal, each
    // with the place in the file of the MappingItem that made it.
    std::vector<std::pair<size_t, URI_Ref>> made;
    bool refused = false;       // a creator refused: the run stops
    XmlNode reportNode;         // "M2I" of the report
    CString ns;                 // the namespace of the file's root: its elements are read by it
    ImportNameTable lnodes;             // "LD/LN" (LN: prefix + class + instance) -> sec:LNode
    ImportNameTable dos;                // DO and SDO paths
    ImportNameTable das;                // every path a toDA may name
    const ImportNameTable* items = nullptr;  // InfoItems by key
    kiln::core::UnitValues units;            // the enumerations of the units read so far

    // The place of the "." that ends the "LD/LN" part of a path: the first
    // whose text before it names a logical node, so that a device instance
    // with a dot ("LD.1/PTOC1.Op") is read as written; else the first after
    // the "/", else the first; -1 when there is none.
    int LnKeyEnd(const CString& path) const {
        for (int dot = path.Find('.'); dot >= 0; dot = path.Find('.', dot + 1))
            if (lnodes.count(path.Left(dot))) return dot;
        const int slash = path.Find('/');
        const int dot = slash >= 0 ? path.Find('.', slash + 1) : -1;
        return dot >= 0 ? dot : path.Find('.');
    }

    // A path as the ICD names its node: files written before named an LLN0
    // with the prefix and instance the model kept ("LD/LLN01.Beh",
    // "LD/ZqLLN0.Beh"), which the ICD does not write; such a node part is
    // read as the LLN0 of its device when no node has the name as written.
    // Any other path is returned as it is.
    CString InIcdForm(const CString& path) const {
        const int slash = path.Find('/');
        const int dot = slash >= 0 ? path.Find('.', slash + 1) : -1;
        if (dot < 0 || lnodes.count(path.Left(dot))) return path;
        // An "LLN0" of the node part followed by digits only, up to its dot.
        for (int at = path.Find("LLN0", slash + 1); at >= 0 && at + 4 <= dot; at = path.Find("LLN0", at + 1)) {
            int d = at + 4;
            while (d < dot && path[d] >= '0' && path[d] <= '9') ++d;
            if (d != dot) continue;
            const CString node = path.Left(slash + 1) + "LLN0";
            return lnodes.count(node) ? node + path.Mid(dot) : path;
        }
        return path;
    }
};
