#include "core/array_elements.h"

#include <set>
#include <vector>

#include "core/scl_value_types.h"
#include "core/type_nesting.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

using OnPath = kiln::core::TypePath;

std::vector<URI_Ref> MembersOf(CKiln_Main& app, const URI_Ref& type, const char* role) {
    std::vector<URI_Ref> out;
    app.DocMtd_get_Association_BUris(type, role, out, kRoleOrd, SortPolicy_ByOrd);
    return out;
}

// Enters the member at `path` into the table when it has a count.
void Note(CKiln_Main& app, const URI_Ref& member, const char* countRole, const std::string& path,
          std::map<std::string, std::string>& arrays) {
    const CString count = app.DocMtd_getValue_ofAttr(member, countRole);
    if (!count.IsEmpty()) arrays.emplace(path, count.str());
}

// The members of a struct type below `path`; a type the walk is inside of
// is not entered again.
void StructWalk(CKiln_Main& app, const URI_Ref& type, const std::string& path, std::map<std::string, std::string>& arrays,
                OnPath& onPath) {
    if (!kiln::core::EnterTypePath(onPath, type)) return;
    for (const URI_Ref& bda : MembersOf(app, type, "sec:DAType.Contains_BDAs")) {
        const std::string p = path + "." + app.DocMtd_getValue_ofAttr(bda, kRoleName).str();
        Note(app, bda, "sec:BDA.count", p, arrays);
        StructWalk(app, app.DocMtd_getFirstUri_ofAsso(bda, "sec:BDA.DefinedBy_Struct"), p, arrays, onPath);
    }
    onPath.erase(type.sUri);
}

// The SDOs and DAs of a DO type below `prefix` ("" or a path ending in ".").
void DOTypeWalk(CKiln_Main& app, const URI_Ref& type, const std::string& prefix,
                std::map<std::string, std::string>& arrays, OnPath& onPath) {
    if (!kiln::core::EnterTypePath(onPath, type)) return;
    for (const URI_Ref& sdo : MembersOf(app, type, "sec:DOType.Contains_SDOs")) {
        const std::string p = prefix + app.DocMtd_getValue_ofAttr(sdo, kRoleName).str();
        Note(app, sdo, "sec:SDO.count", p, arrays);
        DOTypeWalk(app, app.DocMtd_getFirstUri_ofAsso(sdo, "sec:SDO.DefinedBy_DOType"), p + ".", arrays, onPath);
    }
    for (const URI_Ref& da : MembersOf(app, type, "sec:DOType.Contains_DAs")) {
        const std::string p = prefix + app.DocMtd_getValue_ofAttr(da, kRoleName).str();
        Note(app, da, "sec:BDA.count", p, arrays);
        StructWalk(app, app.DocMtd_getFirstUri_ofAsso(da, "sec:BDA.DefinedBy_Struct"), p, arrays, onPath);
    }
    onPath.erase(type.sUri);
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Whether a count holds the element of the index (both texts of digits
// compared as numbers, of any length).
bool CountHolds(std::string_view count, std::string_view index) {
    if (!AllDigits(count)) return true;
    const std::string n = kiln::core::SclWholeNumberKey(count), i = kiln::core::SclWholeNumberKey(index);
    return i.size() != n.size() ? i.size() < n.size() : i < n;
}

}  // namespace

namespace kiln::core {

std::map<std::string, std::string> ArraysBelow(CKiln_Main& app, const URI_Ref& dataObject) {
    std::map<std::string, std::string> arrays;
    OnPath onPath;
    const char* typeRole = dataObject.sClass == "sec:DO" ? "sec:DO.DefinedBy_DOType" : "sec:SDO.DefinedBy_DOType";
    DOTypeWalk(app, app.DocMtd_getFirstUri_ofAsso(dataObject, typeRole), std::string(), arrays, onPath);
    return arrays;
}

std::string WithoutElementIndexes(std::string_view path) {
    std::string bare;
    bare.reserve(path.size());
    for (size_t at = 0; at < path.size();) {
        const size_t open = path.find('(', at);
        bare.append(path.substr(at, open == std::string_view::npos ? std::string_view::npos : open - at));
        if (open == std::string_view::npos) break;
        const size_t close = path.find(')', open);
        // An unclosed bracket is no index: the rest stays as it is.
        if (close == std::string_view::npos) {
            bare.append(path.substr(open));
            break;
        }
        at = close + 1;
    }
    return bare;
}

bool ElementIndexesHeld(std::string_view path, const std::map<std::string, std::string>& arrays) {
    std::string bare;
    for (size_t at = 0; at < path.size();) {
        const size_t open = path.find('(', at);
        if (open == std::string_view::npos) return true;
        bare.append(path.substr(at, open - at));
        const size_t close = path.find(')', open);
        if (close == std::string_view::npos || !AllDigits(path.substr(open + 1, close - open - 1))) return false;
        // An index follows a name and ends it.
        if (close + 1 < path.size() && path[close + 1] != '.') return false;
        const auto array = arrays.find(bare);
        if (array == arrays.end() || !CountHolds(array->second, path.substr(open + 1, close - open - 1))) return false;
        at = close + 1;
    }
    return true;
}

}  // namespace kiln::core
