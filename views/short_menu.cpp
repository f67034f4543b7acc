// The context-menu builder: decides from the view, the edit level, the
// resource's class and a few of its properties which rows of the menu
// tables to append, remembers the resource and the view for the command
// that follows, and tracks the popup at the cursor.
#include <optional>

#include "core/kiln_main.h"
#include "platform/framework/menu.h"
#include "platform/framework/wnd.h"
#include "platform/ui/ui_functions.h"
#include "views/context_menu_tables.h"

using namespace kiln::views;

namespace {

constexpr const char* kExtDOFreelyPath = "sec:LNodeType.TypePackage/sec:TypePackage.ICD";
constexpr const char* kLNClassPath = "sec:LNode.LNodeType/sec:LNodeType.ClassOf_LNType";
constexpr const char* kStructValue = "#PreBasicTypeEnum.Struct";
constexpr const char* kEnumValue = "#PreBasicTypeEnum.Enum";

// The kinds of view that get a plug-in menu.
bool HasPluginMenu(const CBase_Cmd& view) { return view.m_nKind >= 1 && view.m_nKind <= 3; }

// Answers the terms of the rows of one table for one right click. Each
// property of the resource is read once, when a row first asks for it.
class MenuConditions {
public:
    MenuConditions(CKiln_Main& app, const CBase_Cmd& view, const URI_Ref& rsc, const CString& label,
                   const MenuTable& table)
        : m_app(app), m_view(view), m_rsc(rsc), m_label(label), m_table(table) {}

    bool Holds(size_t index) {
        const MenuRow& row = m_table.rows[index];
        const unsigned t = row.terms;
        if ((t & kLabel) && m_label != row.arg) return false;
        if ((t & kOtherLabel) && !OtherLabel(index)) return false;
        if ((t & kView) && m_view.m_sID != row.arg) return false;
        if ((t & kInstType) && !InstType()) return false;
        if ((t & kDeclType) && InstType()) return false;
        if ((t & kNoOwningIcd) && !NoOwningIcd()) return false;
        if ((t & kExtDOFreely) && !ExtDOFreely()) return false;
        if ((t & kOwnerInst) && !OwnerInst()) return false;
        if ((t & kOwnerDecl) && OwnerInst()) return false;
        if ((t & kStructBType) && BType() != kStruct) return false;
        if ((t & kEnumBType) && BType() != kEnum) return false;
        if ((t & kBasicBType) && BType() != kBasic) return false;
        if ((t & kLevelAtMost1) && !(m_app.m_nEditLevel <= 1)) return false;
        if ((t & kLevel2) && m_app.m_nEditLevel != 2) return false;
        if ((t & kViewKindNot3) && m_view.m_nKind == 3) return false;
        if ((t & kStdLLN0Class) && !StdLLN0Class()) return false;
        if ((t & kItbLNClass) && !ItbLNClass()) return false;
        return true;
    }

private:
    enum BasicKind { kStruct, kEnum, kBasic };

    // The label equals none of the labels the rows above test.
    bool OtherLabel(size_t index) const {
        for (size_t i = 0; i < index; ++i) {
            const MenuRow& above = m_table.rows[i];
            if ((above.terms & kLabel) && m_label == above.arg) return false;
        }
        return true;
    }

    bool InstType() {
        if (!m_inst) m_inst = m_app.Is_InstType(m_rsc);
        return *m_inst;
    }

    bool NoOwningIcd() {
        if (!m_noIcd)
            m_noIcd = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:TypePackage.ICD", -1, "", URI_Ref(), nullptr)
                          .IsEmpty();
        return *m_noIcd;
    }

    // Any value other than "false" (in any letter case), the empty one
    // included, lets the type be extended freely.
    bool ExtDOFreely() {
        if (!m_extDO) {
            CString v = m_app.DocMtd_getFirstValue_ofAsso(m_rsc, kExtDOFreelyPath, "sec:ICD.extDOFreely", nullptr,
                                                          false);
            m_extDO = v.CompareNoCase("false") != 0;
        }
        return *m_extDO;
    }

    bool OwnerInst() {
        if (!m_ownerInst) {
            m_ownerInst = m_table.ownerPath && m_table.ownerRole &&
                          m_app.DocMtd_getFirstValue_ofAsso(m_rsc, m_table.ownerPath, m_table.ownerRole, nullptr,
                                                            false) == "true";
        }
        return *m_ownerInst;
    }

    // Stored values begin with the model namespace, so a match counts only
    // after the first character.
    BasicKind BType() {
        if (!m_bType) {
            CString v = m_app.DocMtd_getValue_ofAttr(m_rsc, "sec:BDA.bType", nullptr, false);
            m_bType = v.Find(kStructValue) > 0 ? kStruct : v.Find(kEnumValue) > 0 ? kEnum : kBasic;
        }
        return *m_bType;
    }

    const URI_Ref& LNClass() {
        if (!m_lnClass) m_lnClass = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, kLNClassPath, -1, "", URI_Ref(), nullptr);
        return *m_lnClass;
    }

    // Handles compare by identifier: a node without an LN class matches
    // while no standard "LLN0" type is known.
    bool StdLLN0Class() { return LNClass() == m_app.m_uStdLLN0Type; }

    bool ItbLNClass() {
        if (StdLLN0Class()) return false;
        CString name;
        m_app.DocMtd_get_attribute_value(LNClass(), "cim:Naming.name", name);
        return IsItbLNClassName(name);
    }

    CKiln_Main& m_app;
    const CBase_Cmd& m_view;
    URI_Ref m_rsc;
    const CString& m_label;
    const MenuTable& m_table;
    std::optional<bool> m_inst, m_noIcd, m_extDO, m_ownerInst;
    std::optional<BasicKind> m_bType;
    std::optional<URI_Ref> m_lnClass;
};

}  // namespace

void CKiln_Main::ShortMenu(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2, CString label) {
    if (pView && pView->m_sID == kView_TreeManager) {
        APPCOMMON_ShortMenu(pView, rsc);
        return;
    }
    Mtd_Clear_MN_Varibles();

    // A menu bar whose one popup entry holds the items. The popup belongs
    // to the bar once appended; destroying the bar destroys both.
    CMenu bar;
    bar.CreateMenu();
    CMenu popup;
    popup.CreatePopupMenu();
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "First");
    popup.m_hMenu = nullptr;
    CMenu* items = bar.GetSubMenu(0);

    int shown = -1;
    Mtd_ShortMenu_Clear();
    // Outside edit level 1 types, their members and devices get no menu,
    // and the current resource stays.
    if (m_nEditLevel != 1 && IsHiddenOutsideLevel1(rsc.sClass)) return;
    // A view of another kind (or none) gets no menu and stores nothing.
    if (pView && HasPluginMenu(*pView)) {
        shown = 0;
        const MenuTable* table = nullptr;
        if (m_nEditLevel <= 1) table = FindMenuTable(1, rsc.sClass);
        if (!table && m_nEditLevel <= 2) table = FindMenuTable(2, rsc.sClass);
        if (table) {
            MenuConditions conditions(*this, *pView, rsc, label, *table);
            for (size_t i = 0; i < table->rows.size(); ++i)
                if (conditions.Holds(i)) Mtd_ShortMenu_Append(items, table->rows[i].command, table->rows[i].text, true);
        }
    }
    if (shown < 0) return;

    // The commands of this menu act on these, also when the menu is empty.
    m_uCurRsc = rsc;
    m_uCurRsc2 = rsc2;
    m_pCurCmd = pView;
    POINT cursor{};
    GetCursorPos(&cursor);
    // The menu opens one pixel left of the cursor; a picked item reaches
    // the main window as a command, which the framework turns into the
    // item's command string for Msg_OnAppCommand.
    if (CMenu* menu = bar.GetSubMenu(shown))
        menu->TrackPopupMenu(TPM_RIGHTBUTTON, static_cast<int>(cursor.x) - 1, static_cast<int>(cursor.y),
                             AfxGetMainWnd(), nullptr);
}
