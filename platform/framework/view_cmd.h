// The host's views: each a CBase_Cmd known by its identifier and kind. A
// view shows one resource at a time (a page at an anchor in the HTML views),
// can redisplay itself, locate a resource, and keeps the class icons and,
// for a graphics view, the domain of the drawing opened in it. What a view
// does is reported to the user-interface services.
#pragma once

#include <utility>
#include <vector>

#include "platform/framework/cobject.h"
#include "platform/framework/records.h"
#include "platform/mfc/cstring.h"

// The classes of views that a refresh or locate addresses; 0 addresses all.
// A view's kind is its class.
enum Enum_ViewClass {
    ViewClass_All = 0,
    ViewClass_Tree = 1,
    ViewClass_Html = 2,
    ViewClass_Graphics = 3,
};

// The identifiers of the host's standard views.
inline constexpr const char* kView_TreeManager = "TreeView_Manager";
inline constexpr const char* kView_TreeUser = "TreeView_User";
inline constexpr const char* kView_TreePreset = "TreeView_Preset";
inline constexpr const char* kView_TreeICDPreset = "TreeView_ICDPreset";
inline constexpr const char* kView_TreeICDPreset2 = "TreeView_ICDPreset2";
inline constexpr const char* kView_Html1 = "超文本视图1";
inline constexpr const char* kView_Html2 = "超文本视图2";

// One link line of the graphics view.
struct Struct_LinkLineDesc {
    URI_Ref uLink;
    URI_Ref uFrom;
    URI_Ref uTo;
};

class CBase_Cmd : public CObject {
public:
    CBase_Cmd(const CString& sID, int nKind) : m_sID(sID), m_nKind(nKind) {}
    ~CBase_Cmd() override = default;
    CBase_Cmd(const CBase_Cmd&) = delete;
    CBase_Cmd& operator=(const CBase_Cmd&) = delete;

    const CString m_sID;  // "TreeView_User", "超文本视图1", ...
    const int m_nKind;    // 1 to 3 for the host's views

    // What the view shows: a resource, the item key and anchor of its page.
    URI_Ref m_uShown;
    CString m_sShownKey;
    CString m_sShownAnchor;
    // The resource last located in the view.
    URI_Ref m_uLocated;
    // A graphics view: the domain of the drawing opened in it.
    URI_Ref m_uDomain;
    // Whether the view has its window open, and whether that window is ready.
    bool m_bWindowOpen = true;
    bool m_bWindowReady = true;
    // Redisplays so far.
    int m_nRefreshCount = 0;
    // Icons by item key, in registration order; a later registration of a
    // key replaces the earlier icon.
    std::vector<std::pair<CString, int>> m_vClassIcons;

    // Redisplays the view's content; true.
    virtual bool Mtd_Refresh(int nHint);
    // Shows a resource (an empty one clears the view); true.
    virtual bool Mtd_ShowRsc(const URI_Ref& rsc, int nHint);
    // Shows a resource's page at an item key and anchor; true.
    virtual bool Mtd_ShowRscAt(const URI_Ref& rsc, const CString& key, const CString& anchor);
    // Selects the resource when the view holds it; true.
    virtual bool Mtd_Locate(const URI_Ref& rsc);
    virtual bool Mtd_HasWindow() const { return m_bWindowOpen; }
    virtual bool Mtd_IsWindowReady() const { return m_bWindowOpen && m_bWindowReady; }

    void Mtd_SetClassIcon(const CString& key, int icon);
    // The icon registered for the key, -1 when none.
    int Mtd_GetClassIcon(const CString& key) const;
};
