// The HTML views' handlers beside the property editor: link routing between
// the two views and the style sheet of each page.
#include "core/kiln_main.h"

namespace {

// The style sheets of a type package's pages by the label they were opened with.
struct PackagePage {
    const char* label;
    const char* sheet;
};
constexpr PackagePage kPackagePages[] = {
    {"DO名称语义", "sec_TypePackage_DOSemantic.xsl"}, {"DA名称语义", "sec_TypePackage_DASemantic.xsl"},
    {"LN类型", "sec_TypePackage_LNodeType.xsl"},      {"DO类型", "sec_TypePackage_DOType.xsl"},
    {"DA类型", "sec_TypePackage_DAType.xsl"},         {"Enum类型", "sec_TypePackage_EnumType.xsl"},
    {"LD类型", "sec_TypePackage_LDevice.xsl"},
};

}  // namespace

bool CKiln_Main::HtmlMsg_OnBeforeNavigate(CBase_Cmd* pView, URI_Ref& target, CString, bool bFlag) {
    if (target.IsEmpty()) return true;
    if (!m_Doc.cim_cfg().m_bSyncViews) return true;
    const CString sid = pView ? pView->m_sID : CString();
    if (sid == kView_Html1) {
        // A link of the first view opens in the second when that one is ready,
        // so that the first keeps its page.
        CBase_Cmd* second = Mtd_View_of_sID(kView_Html2);
        if (!bFlag && second && second->Mtd_HasWindow() && second->Mtd_IsWindowReady()) {
            second->Mtd_ShowRsc(target, 0);
            return false;
        }
    } else if (sid == kView_Html2) {
        return true;
    }
    Mtd_AllViews_Locate(target, nullptr, nullptr, ViewClass_Tree);
    Mtd_AllViews_Locate(target, nullptr, nullptr, ViewClass_Graphics);
    return true;
}

bool CKiln_Main::HtmlMsg_OnSetXsltFile(CBase_Cmd*, URI_Ref rsc, CString* pXslt, CString*, CString* pLabel,
                                       Struct_Pairs*) {
    if (pXslt) {
        *pXslt = CString(rsc.sClass) + ".xsl";
        pXslt->Replace(":", "_");
    }
    if (rsc.sClass == "sec:TypePackage") {
        for (const PackagePage& page : kPackagePages)
            if (pLabel && *pLabel == page.label && pXslt) *pXslt = page.sheet;
    } else if (pLabel) {
        pLabel->Empty();
    }
    m_uFieldIED.Clear();
    return false;
}
