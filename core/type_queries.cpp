#include "core/kiln_main.h"
#include "core/type_nesting.h"
#include "platform/mfc/gbk.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

constexpr const char* kDependRole = "sec:TypePackage.Depend_TypePackage";
constexpr const char* kAbstractRole = "sec:LNodeType.Abstract_Type";

// The text after the last "."; the whole text when it has none.
CString afterLastDot(const CString& text) {
    const int dot = text.ReverseFind('.');
    return dot >= 0 ? text.Mid(dot + 1) : text;
}

}  // namespace

bool CKiln_Main::Is_InstType(URI_Ref& rsc) {
    const std::string& cls = rsc.sClass;
    if (cls != "sec:TypePackage" && cls != "sec:LNodeType" && cls != "sec:DOType" && cls != "sec:DAType")
        return false;
    return DocMtd_getValue_ofAttr(rsc, CString(cls) + ".isInstType") == "true";
}

bool CKiln_Main::Get_AbstractTypes(URI_Ref type, std::vector<URI_Ref>* pOut, CString asso) {
    if (!pOut) return true;
    std::set<std::string> visited;
    for (;;) {
        pOut->push_back(type);
        visited.insert(type.sUri);
        URI_Ref next = DocMtd_getFirstUri_ofAsso(type, asso);
        if (next.IsEmpty() || visited.count(next.sUri) || pOut->size() >= kiln::core::kTypeNestingBound) return true;
        type = next;
    }
}

bool CKiln_Main::GetTypePackage_Depended(std::vector<URI_Ref>* pOut, URI_Ref package, bool bInstance) {
    // A chain longer than 20 steps, or one that comes back to a package it
    // passed, is refused.
    std::set<std::string> visited;
    int steps = 0;
    for (;;) {
        visited.insert(package.sUri);
        if (Is_InstType(package) == bInstance && pOut) pOut->push_back(package);
        URI_Ref next = DocMtd_getFirstUri_ofAsso(package, kDependRole);
        if (next.IsEmpty()) return true;
        if (++steps > 20 || visited.count(next.sUri)) {
            _AfxMessageBox("类型声明包的依赖性描述存在嵌套！", MB_OK, "", nullptr);
            return false;
        }
        package = next;
    }
}

bool CKiln_Main::Get_Depend_TypePackage(URI_Ref package, std::vector<URI_Ref>* pOut, bool bAll) {
    std::set<std::string> visited;
    for (;;) {
        if (pOut) pOut->push_back(package);
        visited.insert(package.sUri);
        URI_Ref next = DocMtd_getFirstUri_ofAsso(package, kDependRole);
        if (next.IsEmpty() || visited.count(next.sUri)) return true;
        // An empty value counts as an instance package here.
        if (!bAll && afterLastDot(DocMtd_getValue_ofAttr(next, "sec:TypePackage.isInstType")) == "false") return true;
        package = next;
    }
}

bool CKiln_Main::Get_LNode_NameSpace(URI_Ref& lnType, CString& ns) {
    static const char* const kLoopMessage = "求逻辑节点的继承名称空间时发生错误，可能由于抽象类型形成闭环。";
    std::set<std::string> visited;
    for (URI_Ref type = lnType;;) {
        visited.insert(type.sUri);
        URI_Ref package = DocMtd_getFirstUri_ofAsso(type, "sec:LNodeType.TypePackage");
        if (package.IsEmpty()) return false;
        const bool isStd = m_uStdTypePackage.IsSet() && package == m_uStdTypePackage;
        if (ns.IsEmpty()) {
            if (isStd) return true;
            ns = DocMtd_getValue_ofAttr(package, kRoleName);
        } else {
            ns += ">";
            ns += isStd ? CString("IEC 61850-7-4:2003") : DocMtd_getValue_ofAttr(package, kRoleName);
            if (kiln::text::GbkLength(ns.str()) > 255) {
                _AfxMessageBox(kLoopMessage, MB_OK, "", nullptr);
                return false;
            }
        }
        URI_Ref abstractType = DocMtd_getFirstUri_ofAsso(type, kAbstractRole);
        if (abstractType.IsEmpty()) return true;
        if (visited.count(abstractType.sUri)) {
            _AfxMessageBox(kLoopMessage, MB_OK, "", nullptr);
            return false;
        }
        type = abstractType;
    }
}

bool CKiln_Main::Is_InTheAsso_OR_Self(URI_Ref a, CString asso, URI_Ref b) {
    if (a == b) return true;
    // Every resource reachable from a is looked at once.
    std::set<std::string> visited{a.sUri};
    std::vector<URI_Ref> pending{a};
    while (!pending.empty()) {
        const URI_Ref from = pending.back();
        pending.pop_back();
        std::vector<URI_Ref> targets;
        DocMtd_get_Association_BUris(from, asso, targets, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& t : targets) {
            if (t == b) return true;
            if (visited.insert(t.sUri).second) pending.push_back(t);
        }
    }
    return false;
}
