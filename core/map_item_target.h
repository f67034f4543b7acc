// The targets of many mapping items resolved against their nodes' types:
// each LN type's data objects are read once, and each data-object and
// attribute name once per LN type. A resolver holds what it read, so it
// serves while the model does not change (one export, one upkeep run).
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

class MapItemResolver {
public:
    explicit MapItemResolver(CKiln_Main& app) : m_app(app) {}

    struct Target {
        CKiln_Main::MapItemTarget state = CKiln_Main::MapItemTarget::Gone;
        CString cdc;  // the class of the data object's type; empty when gone or without one
    };
    Target Resolve(const URI_Ref& item);

private:
    // A data object by its name below an LN type, with its class.
    struct DataObject {
        URI_Ref object;
        CString cdc;
    };
    struct LNType {
        std::vector<URI_Ref> dataObjects;  // of the type, then of its abstract types in turn
        std::map<CString, DataObject> byName;
        std::map<std::pair<CString, CString>, Target> targets;  // (DO name, DA name)
    };
    LNType& TypeOf(const URI_Ref& lnType);
    const DataObject& DataObjectOf(LNType& type, const CString& doName);

    CKiln_Main& m_app;
    std::map<std::string, LNType> m_types;
};

}  // namespace kiln::core
