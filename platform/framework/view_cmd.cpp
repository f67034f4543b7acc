#include "platform/framework/view_cmd.h"

#include "platform/ui/ui_services.h"

bool CBase_Cmd::Mtd_Refresh(int nHint) {
    ++m_nRefreshCount;
    Ui_Current().ViewRefresh(m_sID, nHint);
    return true;
}

bool CBase_Cmd::Mtd_ShowRsc(const URI_Ref& rsc, int nHint) {
    m_uShown = rsc;
    m_sShownKey = rsc.sClass;
    m_sShownAnchor.Empty();
    Ui_Current().ViewShow(m_sID, rsc, m_sShownKey, m_sShownAnchor, nHint);
    return true;
}

bool CBase_Cmd::Mtd_ShowRscAt(const URI_Ref& rsc, const CString& key, const CString& anchor) {
    m_uShown = rsc;
    m_sShownKey = key;
    m_sShownAnchor = anchor;
    Ui_Current().ViewShow(m_sID, rsc, key, anchor, 0);
    return true;
}

bool CBase_Cmd::Mtd_Locate(const URI_Ref& rsc) {
    m_uLocated = rsc;
    return true;
}

void CBase_Cmd::Mtd_SetClassIcon(const CString& key, int icon) {
    for (auto& entry : m_vClassIcons)
        if (entry.first == key) {
            entry.second = icon;
            return;
        }
    m_vClassIcons.emplace_back(key, icon);
}

int CBase_Cmd::Mtd_GetClassIcon(const CString& key) const {
    for (const auto& entry : m_vClassIcons)
        if (entry.first == key) return entry.second;
    return -1;
}
