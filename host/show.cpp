#include "host/show.h"

#include <algorithm>
#include <vector>

#include "host/script.h"
#include "host/text.h"
#include "platform/framework/cim_doc.h"

namespace kiln::host {

namespace {

// The sibling order of the document: by "e301:OrdNaming.ord", ties in creation order.
constexpr const char* kOrdRole = "e301:OrdNaming.ord";
constexpr const char* kNameRole = "cim:Naming.name";

// A value as a script would write it, so that blanks, quotes and line
// breaks in it cannot be mistaken for the transcript's own layout.
std::string Shown(const std::string& text) { return QuoteWord(text, true); }

std::string NameOf(const CBase_CimDoc& doc, const URI_Ref& rsc) {
    CString name;
    doc.GetAttribute(rsc, kNameRole, name);
    return name.str();
}

std::string More(size_t count, size_t shown) { return "... " + std::to_string(count - shown) + " more"; }

}  // namespace

bool ShowResource(const CBase_CimDoc& doc, Transcript& out, const std::string& uri, const std::string& role,
                  size_t limit, std::string& error) {
    const URI_Ref rsc = doc.Find(uri.c_str());
    if (rsc.IsEmpty()) {
        error = "the document has no resource " + uri;
        return false;
    }
    CClassDfn cls;
    if (!doc.GetClassDfn(rsc.sClass.c_str(), cls)) {
        error = "the schema has no class " + rsc.sClass + " (of " + uri + ")";
        return false;
    }
    std::vector<std::string> assoRoles;
    for (const auto& a : cls.vAssos) assoRoles.push_back(a.sText1.str());

    if (!role.empty()) {
        Struct_AssoDfn dfn;
        if (!doc.GetAssoDfn(cls.sText1, role.c_str(), dfn)) {
            Struct_AttrDfn attr;
            error = doc.GetAttrDfn(cls.sText1, role.c_str(), attr)
                        ? role + " is an attribute of " + rsc.sClass + ", not an association (show " + uri +
                              " prints it)"
                        : rsc.sClass + " has no association " + role + "; it has " + Join(assoRoles, ", ");
            return false;
        }
    }

    std::string head = "[resource] " + uri + "  " + Shown(NameOf(doc, rsc)) + "  " + rsc.sClass;
    if (!cls.sText5.IsEmpty()) head += " (" + cls.sText5.str() + ")";
    out.Line(head);

    std::vector<URI_Ref> targets;
    if (!role.empty()) {
        if (!doc.Targets(rsc, role.c_str(), targets, kOrdRole, SortPolicy_ByOrd)) {
            error = "cannot read " + role + " of " + uri + ": " + doc.LastError().str();
            return false;
        }
        out.Line(role + " -> " + std::to_string(targets.size()), 4);
        const size_t shown = limit == 0 ? targets.size() : std::min(limit, targets.size());
        for (size_t i = 0; i < shown; ++i) out.Line(Shown(NameOf(doc, targets[i])) + "  " + targets[i].sUri, 6);
        if (shown < targets.size()) out.Line(More(targets.size(), shown), 6);
        return true;
    }

    // Roles in schema order, inherited ones first; the name stands in the head line.
    for (const auto& a : cls.vAttrs) {
        CString value;
        if (a.sText1 == kNameRole || !doc.GetAttribute(rsc, a.sText1, value) || value.IsEmpty()) continue;
        out.Line(a.sText1.str() + " = " + Shown(value.str()), 4);
    }
    for (const std::string& r : assoRoles) {
        if (!doc.Targets(rsc, r.c_str(), targets, kOrdRole, SortPolicy_ByOrd)) {
            error = "cannot read " + r + " of " + uri + ": " + doc.LastError().str();
            return false;
        }
        if (targets.empty()) continue;
        std::vector<std::string> names;
        const size_t shown = std::min(kShownTargets, targets.size());
        for (size_t i = 0; i < shown; ++i) names.push_back(Shown(NameOf(doc, targets[i])));
        if (shown < targets.size()) names.push_back(More(targets.size(), shown));
        out.Line(r + " -> " + std::to_string(targets.size()) + ": " + Join(names, ", "), 4);
    }
    return true;
}

}  // namespace kiln::host
