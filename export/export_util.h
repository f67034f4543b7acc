// Small reading and writing steps that every writer of export/ shares.
#pragma once

#include <initializer_list>
#include <vector>

#include "core/kiln_main.h"
#include "core/type_classes.h"
#include "platform/mfc/containers.h"
#include "platform/mfc/text_funcs.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/base_xml.h"

namespace kiln::exporter {

// The stored text of the role; "" when the resource or role has none.
inline CString Attr(CKiln_Main* pMain, const URI_Ref& rsc, const CString& role) {
    CString value;
    if (!pMain->DocMtd_get_attribute_value(rsc, role, value)) return CString();
    return value;
}

// The name of the resource: false when it cannot be read.
inline bool ReadName(CKiln_Main* pMain, const URI_Ref& rsc, CString& name) {
    name = CString();
    return pMain->DocMtd_get_attribute_value(rsc, kiln::core::kRoleName, name);
}

// The name of the first target along the path; "" when none.
inline CString FirstName(CKiln_Main* pMain, const URI_Ref& rsc, const CString& path) {
    return pMain->DocMtd_getFirstValue_ofAsso(rsc, path, kiln::core::kRoleName);
}

// The members along the role in sibling order.
inline bool Members(CKiln_Main* pMain, const URI_Ref& rsc, const CString& role, std::vector<URI_Ref>& out) {
    return pMain->DocMtd_get_Association_BUris(rsc, role, out, kiln::core::kRoleOrd, SortPolicy_ByOrd);
}

// An enumeration value reduced to its value text: the text after "#", then
// after "." ("...#TrgOpControlTypeEnum.DChg" gives "DChg"). A text without
// those separators is kept as it stands, so that a plain stored value ("ST")
// is not lost.
inline CString Reduce(const CString& value) {
    CString text = value;
    int hash = text.Find('#');
    if (hash >= 0) text = text.Mid(hash + 1);
    int dot = text.Find('.');
    if (hash >= 0 && dot >= 0) text = text.Mid(dot + 1);
    return text;
}

inline CStringArray Names(std::initializer_list<const char*> names) {
    CStringArray out;
    for (const char* n : names) out.Add(n);
    return out;
}

// Writes "@name" = value on the element.
inline bool Put(CBase_XML& xml, const XmlNode& element, const char* attr, const CString& value) {
    return xml.Write_NodeValueString(element, CString("@") + attr, value);
}

}  // namespace kiln::exporter

namespace kiln::exporter {

// The LN class a logical node is written with: the class of its type as
// the type's LNodeType element writes it, so that the two match.
inline CString LnClassOf(CKiln_Main* pMain, const URI_Ref& lnode) {
    return kiln::core::LnClassOfType(*pMain, pMain->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType"));
}

// A node of class LLN0 after its device's first one: the ICD export leaves
// it out (a device holds one LN0), and what names it names nothing.
inline bool IsSecondLln0(CKiln_Main* pMain, const URI_Ref& lnode) {
    if (LnClassOf(pMain, lnode) != "LLN0") return false;
    std::vector<URI_Ref> nodes;
    Members(pMain, pMain->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LDevice"), "sec:LDevice.LNodes", nodes);
    for (const URI_Ref& n : nodes) {
        if (n == lnode) return false;
        if (LnClassOf(pMain, n) == "LLN0") return true;
    }
    return false;
}

}  // namespace kiln::exporter
