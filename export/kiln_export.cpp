// The exporter's construction and its repeat-free type lists.
#include "export/kiln_export.h"

CKiln_Export::CKiln_Export() = default;

CKiln_Export::~CKiln_Export() = default;

void CKiln_Export::AddOnce(std::vector<URI_Ref>& list, std::set<std::string>& uris, const URI_Ref& rsc) {
    if (uris.insert(rsc.sUri).second) list.push_back(rsc);
}
