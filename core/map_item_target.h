// The targets of many mapping items resolved against their nodes' types:
// each LN type's data objects are read once, and each data-object and
// attribute name once per LN type. A resolver holds what it read, so it
// serves while the model does not change (one export, one upkeep run).
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

class MapItemResolver {
public:
    explicit MapItemResolver(CKiln_Main& app) : m_app(app) {}

    struct Target {
        CKiln_Main::MapItemTarget state = CKiln_Main::MapItemTarget::Gone;
        CString cdc;            // the class of the data object's type; empty when gone or without one
        bool keyClass = false;  // the class has key DAs (core/key_das.h)
        bool keyDA = false;     // the DA name is one of them
    };
    Target Resolve(const URI_Ref& item);
    // The same for a mapping item's node and names, read by the caller.
    Target Resolve(const URI_Ref& lnode, const CString& doName, const CString& daName);

private:
    // A data object by its name below an LN type, with its class.
    struct DataObject {
        URI_Ref object;
        CString cdc;
        bool keyClass = false;
    };
    struct LNType {
        std::vector<URI_Ref> dataObjects;  // of the type, then of its abstract types in turn
        std::map<CString, DataObject> byName;
        std::map<CString, std::map<CString, Target>> targets;  // by DO name, then DA name
    };
    LNType& TypeOf(const URI_Ref& lnType);
    const DataObject& DataObjectOf(LNType& type, const CString& doName);

    CKiln_Main& m_app;
    std::map<std::string, LNType> m_types;
    std::unordered_map<std::string, LNType*> m_nodes;  // each node's type, once looked up
};

}  // namespace kiln::core
