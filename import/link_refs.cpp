// After the whole IED is read: every queued ExtRef, FCDA and ClientLN is
// linked to the logical node it names, and what the imported IED does not
// hold is reported.
#include <map>
#include <string>

#include "core/array_elements.h"
#include "import/import_util.h"

using kiln::core::kRoleName;

bool CKiln_Import::Link_ExtRefsAndFCDAs(CKiln_Main* app, const ImportNameTable& daPaths) {
    std::map<std::string, std::map<std::string, std::string>> arrays;  // below each DO a reference indexes into
    for (const Struct_PendingRef& ref : m_vPendingRefs) {
        const CString cls(ref.m_uMember.sClass.c_str());
        if (cls == "sec:ExtRef" && ref.m_strLDInst.IsEmpty()) continue;
        const CString who = cls + ":" + app->DocMtd_getValue_ofAttr(ref.m_uMember, kRoleName);

        auto lnode = m_mapInstLNodes.find(ref.m_strLNPath);
        // A client or input of another IED is kept as the file named it:
        // nothing is lost, nothing to report. One without an IED name is reported.
        if (lnode == m_mapInstLNodes.end() && (cls == "sec:ClientLN" || cls == "sec:ExtRef")) {
            const CString iedName = app->DocMtd_getValue_ofAttr(ref.m_uMember, cls + ".iedName");
            if (!iedName.IsEmpty() && iedName != m_strIEDName) continue;
        }
        if (lnode == m_mapInstLNodes.end()) {
            AddOtherError("错误：ICD文件:" + who, "未找到LNode:" + ref.m_strLNPath);
            continue;
        }
        if (cls == "sec:ClientLN") {
            app->DocMtd_add_Association(ref.m_uMember, "sec:ClientLN.LNode", lnode->second);
            continue;
        }
        app->DocMtd_add_Association(ref.m_uMember, "sec:DARef.LNode", lnode->second);

        // A reference may name an element of an array ("HA.phsAHar(5)",
        // "phsAHar(3).cVal"): its paths are looked up without the indexes,
        // and each index against its array's count.
        const CString nodePath = ref.m_strLDInst + "/" + ref.m_strLNName + ".";
        const CString readPath = nodePath + ref.m_strDOName;
        const std::string doName = kiln::core::WithoutElementIndexes(ref.m_strDOName.str());
        const CString doPath = nodePath + CString(doName.c_str());
        bool doHeld = true, daHeld = true;
        if (ref.m_strDOName.Find('(') >= 0 || ref.m_strDAName.Find('(') >= 0) {
            const int dot = ref.m_strDOName.Find('.');
            auto top = m_mapInstPaths.find(nodePath + (dot < 0 ? ref.m_strDOName : ref.m_strDOName.Left(dot)));
            auto below = top == m_mapInstPaths.end() ? arrays.end() : arrays.find(top->second.sUri);
            if (top != m_mapInstPaths.end() && below == arrays.end())
                below = arrays.emplace(top->second.sUri, kiln::core::ArraysBelow(*app, top->second)).first;
            const std::string inDO = dot < 0 ? std::string() : ref.m_strDOName.Mid(dot + 1).str();
            const std::string whole = inDO + (inDO.empty() || ref.m_strDAName.IsEmpty() ? "" : ".") + ref.m_strDAName.str();
            doHeld = below != arrays.end() && kiln::core::ElementIndexesHeld(inDO, below->second);
            daHeld = doHeld && kiln::core::ElementIndexesHeld(whole, below->second);
        }
        auto dobj = m_mapInstPaths.find(doPath);
        if (dobj == m_mapInstPaths.end() || !doHeld) {
            AddOtherError("错误：+ICD文件:" + who, "按路径" + readPath + "未找到DO");
        } else {
            const URI_Ref type = app->DocMtd_getFirstUri_ofAsso(dobj->second, "sec:DO.DefinedBy_DOType");
            const URI_Ref cdc = type.IsSet() ? app->DocMtd_getFirstUri_ofAsso(type, "sec:DOType.ClassOf_DOType") : URI_Ref();
            const CString cdcName = cdc.IsSet() ? app->DocMtd_getValue_ofAttr(cdc, kRoleName) : CString();
            if (cdcName.CompareNoCase("ASG") == 0 || cdcName.CompareNoCase("SPG") == 0 ||
                cdcName.CompareNoCase("ING") == 0)
                AddEntry(m_pOtherErrorsNode, "other_error", "告警：ICD文件:" + who, "根据" + readPath + "得知为定值",
                         nullptr);
        }
        if (!ref.m_strDAName.IsEmpty() &&
            (!daHeld || !daPaths.count(doPath + "." + kiln::core::WithoutElementIndexes(ref.m_strDAName.str()).c_str())))
            AddOtherError("错误：ICD文件:" + who, "按路径" + readPath + "." + ref.m_strDAName + "未找到DO或DA");
    }
    return true;
}
