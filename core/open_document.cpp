#include "core/kiln_main.h"

#include "platform/ui/ui_functions.h"

bool CKiln_Main::Msg_OnOpenDocument() {
    if (Get_DomainPrefix_Default("").IsEmpty()) {
        _AfxMessageBox("EP格式错误：域名前缀未设置！", MB_OK, "", nullptr);
        return false;
    }
    m_nDocState = 10;

    // The three handles describe only the document being opened.
    m_uStdTypePackage.Clear();
    m_uStdLLN0Type.Clear();
    m_uStdLPHDType.Clear();

    std::vector<URI_Ref> packages;
    DocMtd_get_Uris_byClassName("sec:TypePackage", packages, "", SortPolicy_ByName);
    for (const URI_Ref& package : packages) {
        if (DocMtd_getValue_ofAttr(package, "sec:TypePackage.ref", nullptr, false) == kStdTypePackageRef) {
            m_uStdTypePackage = package;
            break;
        }
    }
    if (m_uStdTypePackage.IsEmpty()) {
        _AfxMessageBox("没有发现IEC61850-7-x标准类型定义，请首先导入该域！", MB_OK, "", nullptr);
        return true;
    }

    std::vector<URI_Ref> lnTypes;
    DocMtd_get_Association_BUris(m_uStdTypePackage, "sec:TypePackage.LNodeTypes", lnTypes, "e301:OrdNaming.ord",
                                 SortPolicy_ByOrd);
    for (const URI_Ref& lnType : lnTypes) {
        CString name = DocMtd_getValue_ofAttr(lnType, "cim:Naming.name", nullptr, false);
        if (name.CompareNoCase("LLN0") == 0) m_uStdLLN0Type = lnType;
        if (name.CompareNoCase("LPHD") == 0) m_uStdLPHDType = lnType;
        if (m_uStdLLN0Type.IsSet() && m_uStdLPHDType.IsSet()) break;
    }
    return true;
}
