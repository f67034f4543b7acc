#include "core/kiln_main.h"
#include "core/type_classes.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::kRoleName;

namespace {

// The winding's number after its transformer's name.
CString windingWord(const CString& windingType) {
    if (windingType.Find("#WindingType.primary") > 0) return "第一绕组";
    if (windingType.Find("#WindingType.secondary") > 0) return "第二绕组";
    if (windingType.Find("#WindingType.tertiary") > 0) return "第三绕组";
    if (windingType.Find("#WindingType.quaternary") > 0) return "第四绕组";
    return CString();
}

}  // namespace

CString CKiln_Main::LNodeText(const URI_Ref& lnode, bool bLabelled, const CString& desc, bool bAsWritten) {
    kiln::core::NodeNameParts parts;
    if (bAsWritten) {
        parts = kiln::core::WrittenNodeParts(*this, lnode);
    } else {
        parts.prefix = DocMtd_getValue_ofAttr(lnode, "sec:LNode.prefix");
        parts.lnClass = DocMtd_getValue_ofAttr(lnode, "sec:LNode.lnClass");
        parts.inst = DocMtd_getValue_ofAttr(lnode, "sec:LNode.lnInst");
        // Without a class of its own the node shows the LN class of its type;
        // the node itself stays as it is.
        if (parts.lnClass.IsEmpty())
            parts.lnClass =
                DocMtd_getFirstValue_ofAsso(lnode, "sec:LNode.LNodeType/sec:LNodeType.ClassOf_LNType", kRoleName);
    }
    CString text = "[" + parts.prefix + "]" + parts.lnClass + "[" + parts.inst + "]";
    if (!desc.IsEmpty()) text += "(" + desc + ")";
    if (bLabelled) return "逻辑节点:" + text;
    return DocMtd_getFirstValue_ofAsso(lnode, "sec:LNode.LDevice", kRoleName) + "/" + text;
}

CString CKiln_Main::GetRscText(URI_Ref& rsc, bool bLabelled, bool bAsWritten) {
    Struct_RscInst inst;
    if (!DocMtd_TestBy_RscInst(rsc.sUri, &inst, 0, true)) return "???";
    const CString N = inst.sName;
    // The handle's class decides; a handle without one takes the document's.
    URI_Ref self = rsc;
    if (self.sClass.empty()) self.sClass = inst.uRsc.sClass;
    const CString cls = self.sClass;
    const CString D = DocMtd_getValue_ofAttr(self, "cim:Naming.description");

    // The text is a class label and a body; without the label only the body
    // is shown.
    CString label;
    CString body = N;
    if (cls == "sec:TypePackage") {
        label = Is_InstType(self) ? "产品类型包:" : "标准定义:";
    } else if (cls == "sec:InfoGroup") {
        label = "InfoGroup:";
        body = D + "(" + N + ")";
    } else if (cls == "sec:LDevice") {
        label = "逻辑装置:";
        if (!D.IsEmpty()) body = N + "(" + D + ")";
    } else if (cls == "sec:LNode") {
        return LNodeText(self, bLabelled, D, bAsWritten);
    } else if (cls == "sec:LNodeType") {
        if (DocMtd_getValue_ofAttr(self, "sec:LNodeType.isInstType") == "true" && !D.IsEmpty())
            body = N + " (" + D + ")";
    } else if (cls == "sec:DOType") {
        label = "DO类型:";
    } else if (cls == "sec:DO") {
        label = "数据对象:";
    } else if (cls == "sec:SDO") {
        label = "子数据对象:";
    } else if (cls == "sec:DAType") {
        label = "DA类型:";
    } else if (cls == "sec:DA") {
        label = "数据属性:";
        const CString fc = DocMtd_getValue_ofAttr(self, "sec:DA.fc_0");
        if (!fc.IsEmpty()) body = N + " (" + StringAfter(fc, "#", ".") + ")";
    } else if (cls == "sec:BDA") {
        label = "子数据属性:";
    } else if (cls == "cim:TransformerWinding") {
        body = DocMtd_getFirstValue_ofAsso(self, "cim:TransformerWinding.MemberOf_PowerTransformer", kRoleName) +
               windingWord(DocMtd_getValue_ofAttr(self, "cim:TransformerWinding.windingType"));
    } else {
        CClassDfn dfn;
        if (DocMtd_Get_ClassDfn(cls, dfn))
            label = (dfn.sText5.IsEmpty() ? dfn.sText3 : dfn.sText5) + ": ";
        else
            label = StringAfter(cls, ":", "") + ": ";
    }
    return bLabelled ? label + body : body;
}
