// The class texts of LN and DO types, as the writers and the node naming
// read them.
#pragma once

#include "core/kiln_main.h"

namespace kiln::core {

// The class of a type: the name of the standard class it is made from
// (along `classRole`); else the class text its file gave (`keptRole`: a
// class the standard package does not hold); else, for a class of the
// standard package itself, its own name. Empty for an empty handle and for
// an instance type without a class: its id is no class.
inline CString ClassTextOfType(CKiln_Main& app, const URI_Ref& type, const char* classRole, const char* keptRole) {
    if (type.IsEmpty()) return CString();
    const URI_Ref cls = app.DocMtd_getFirstUri_ofAsso(type, classRole);
    if (cls.IsSet()) return app.DocMtd_getValue_ofAttr(cls, kRoleName);
    const CString kept = app.DocMtd_getValue_ofAttr(type, keptRole);
    if (!kept.IsEmpty()) return kept;
    URI_Ref self = type;
    return app.Is_InstType(self) ? CString() : app.DocMtd_getValue_ofAttr(type, kRoleName);
}

// The LN class of an LN type.
inline CString LnClassOfType(CKiln_Main& app, const URI_Ref& lnType) {
    return ClassTextOfType(app, lnType, "sec:LNodeType.ClassOf_LNType", "sec:LNodeType.lnClass");
}

// The class of a logical node: its own "sec:LNode.lnClass" when it has one
// (nodes read from files, nodes given another type), else its type's class
// (nodes made in the editor carry none). The property view keeps the own
// class equal to the type's, which the exports write.
inline CString LnClassOfNode(CKiln_Main& app, const URI_Ref& node) {
    const CString own = app.DocMtd_getValue_ofAttr(node, "sec:LNode.lnClass");
    if (!own.IsEmpty()) return own;
    return LnClassOfType(app, app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType"));
}

// A logical node's name as the ICD names it: prefix, class and instance; an
// LLN0, written as LN0, which holds neither prefix nor instance, by its class
// alone (the model may keep either). Every file and message names a node so.
inline CString NodeNameText(const CString& prefix, const CString& lnClass, const CString& inst) {
    return lnClass == "LLN0" ? lnClass : prefix + lnClass + inst;
}

// The parts of a node's name as the ICD writes them: its class the class of
// its type (else the one it holds), an LLN0 without prefix and instance.
struct NodeNameParts {
    CString prefix, lnClass, inst;
    bool typed = false;  // the class is its type's
};
inline NodeNameParts WrittenNodeParts(CKiln_Main& app, const URI_Ref& lnode) {
    NodeNameParts parts;
    parts.lnClass = LnClassOfType(app, app.DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType"));
    parts.typed = !parts.lnClass.IsEmpty();
    if (!parts.typed) parts.lnClass = app.DocMtd_getValue_ofAttr(lnode, "sec:LNode.lnClass");
    if (parts.lnClass == "LLN0") return parts;
    parts.prefix = app.DocMtd_getValue_ofAttr(lnode, "sec:LNode.prefix");
    parts.inst = app.DocMtd_getValue_ofAttr(lnode, "sec:LNode.lnInst");
    return parts;
}

// A node's name made of the parts above; a node without a type by the name
// it holds.
inline CString NodeName(CKiln_Main& app, const URI_Ref& lnode) {
    const NodeNameParts parts = WrittenNodeParts(app, lnode);
    if (!parts.typed) return app.DocMtd_getValue_ofAttr(lnode, kRoleName);
    return NodeNameText(parts.prefix, parts.lnClass, parts.inst);
}

// A node's reference "LD/name" (its name as above); empty for a node outside
// a logical device.
inline CString NodeReference(CKiln_Main& app, const URI_Ref& lnode) {
    const CString ld = app.DocMtd_getFirstValue_ofAsso(lnode, "sec:LNode.LDevice", kRoleName);
    if (ld.IsEmpty()) return CString();
    return ld + "/" + NodeName(app, lnode);
}

// A data-set member named by its own reference, as every line and question
// names one: "LD/LN.DO[.DA]" from its device, its node's name and its data;
// "LN.DO[.DA]" without a device, "DO[.DA]" without a node. Members that name
// different data never read alike.
inline CString MemberReferenceText(const CString& ld, const CString& node, const CString& doName,
                                   const CString& daName) {
    const CString data = daName.IsEmpty() ? doName : doName + "." + daName;
    if (node.IsEmpty()) return data;
    return (ld.IsEmpty() ? CString() : ld + "/") + node + "." + data;
}

// A member of the model (an FCDA) by its reference: its node's device and
// name when it names a node, else the device and node as its file gave them;
// its data, or its own name when it names none.
inline CString MemberReference(CKiln_Main& app, const URI_Ref& fcda) {
    CString doName = app.DocMtd_getValue_ofAttr(fcda, "sec:DARef.doName");
    const CString daName = app.DocMtd_getValue_ofAttr(fcda, "sec:DARef.daName");
    if (doName.IsEmpty() && daName.IsEmpty()) doName = app.DocMtd_getValue_ofAttr(fcda, kRoleName);
    const URI_Ref node = app.DocMtd_getFirstUri_ofAsso(fcda, "sec:DARef.LNode");
    if (node.IsSet())
        return MemberReferenceText(app.DocMtd_getFirstValue_ofAsso(node, "sec:LNode.LDevice", kRoleName),
                                   NodeName(app, node), doName, daName);
    return MemberReferenceText(app.DocMtd_getValue_ofAttr(fcda, "sec:FCDA.ldInst"),
                               app.DocMtd_getValue_ofAttr(fcda, "sec:FCDA.memberRef") +
                                   app.DocMtd_getValue_ofAttr(fcda, "sec:FCDA.lnClass") +
                                   app.DocMtd_getValue_ofAttr(fcda, "sec:FCDA.lnInst"),
                               doName, daName);
}

// The CDC of a DO type.
inline CString CdcOfType(CKiln_Main& app, const URI_Ref& doType) {
    return ClassTextOfType(app, doType, "sec:DOType.ClassOf_DOType", "sec:DOType.cdc");
}

}  // namespace kiln::core
