// The class library's dialogs: a modal dialog built from a dialog template
// (one of the extension-module chain, or one given in memory), its combo
// boxes and buttons, the data exchange that binds control members to the
// template's controls, and the message map that routes a control's
// notification to a member of the dialog.
//
// A modal run asks the host's user-interface services what the user does
// (RunModal). The request shows, one row each, the entries of the enabled
// combo boxes; the answer's picks are done in order (a pick selects the entry
// in the first enabled box that holds it and sends that box's
// selection-change notification), then its button is pressed: IDOK presses
// OK, anything else Cancel. When a pick finds no entry, or OK is disabled,
// the press does not happen and the dialog asks again, as a user would go on
// working in it.
//
// Positions: a template's dialog units become pixels with the base units of
// the dialog font, 6 pixels across and 13 down (x * 6 / 4, y * 13 / 8).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/framework/wnd.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/extension_module.h"
#include "platform/ui/ui_records.h"

using INT_PTR = std::intptr_t;

// Notification codes of controls, in the high word of a WM_COMMAND's wParam.
constexpr UINT BN_CLICKED = 0;
constexpr UINT CBN_SELCHANGE = 1;
constexpr int CB_ERR = -1;

constexpr WPARAM MAKEWPARAM(UINT low, UINT high) { return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16)); }

// System metrics: the primary screen's width and height in pixels.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
int GetSystemMetrics(int nIndex);

class CDialog;

// One entry of a message map: a notification code, the control's id and the
// member of the dialog that handles it. A null member ends the map.
struct AFX_MSGMAP_ENTRY {
    UINT nCode;
    UINT nID;
    void (CDialog::*pfn)();
};

// A dialog's map and the map of its base, searched after it.
struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// An entry for a member of a class derived from CDialog.
template <class T>
AFX_MSGMAP_ENTRY AfxNotifyEntry(UINT nCode, UINT nID, void (T::*pfn)()) {
    return AFX_MSGMAP_ENTRY{nCode, nID, static_cast<void (CDialog::*)()>(pfn)};
}
#define ON_CBN_SELCHANGE(id, memberFxn) AfxNotifyEntry(CBN_SELCHANGE, id, &memberFxn)
#define ON_BN_CLICKED(id, memberFxn) AfxNotifyEntry(BN_CLICKED, id, &memberFxn)
#define END_MESSAGE_MAP_ENTRY AFX_MSGMAP_ENTRY{0, 0, nullptr}

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

// Binds `rControl` to the dialog's control `nIDC`: from then on the member is
// that control (its text, place and state come from the template).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CButton : public CWnd {};

// A combo box's list. With the template style CBS_SORT new entries take
// their place in ASCII case-insensitive order (byte order among equals).
class CComboBox : public CWnd {
public:
    bool m_bSort = false;
    std::vector<CString> m_vItems;
    int m_nCurSel = CB_ERR;
    int m_nDroppedWidth = 0;

    // The index of the new entry.
    int AddString(const char* text);
    void ResetContent();
    int GetCount() const { return static_cast<int>(m_vItems.size()); }
    int GetCurSel() const { return m_nCurSel; }
    // Selects the entry (-1: none); CB_ERR outside the list.
    int SetCurSel(int nSelect);
    // The entry's text; empty outside the list.
    void GetLBText(int nIndex, CString& text) const;
    int GetLBTextLen(int nIndex) const;
    // The first entry from nIndexStart + 1 on equal to the text without
    // regard to ASCII case; CB_ERR when none.
    int FindStringExact(int nIndexStart, const char* text) const;
    // The width of the drop-down list is never below the box's own width.
    int GetDroppedWidth() const;
    int SetDroppedWidth(UINT nWidth);
    void GetDroppedControlRect(RECT* lpRect) const;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    CDialog();
    ~CDialog() override;

    // Uses a template held in memory instead of one of the resource chain.
    BOOL InitModalIndirect(const CDialogTemplate& tmpl, CWnd* pParentWnd = nullptr);
    // The result EndDialog was given; -1 when the template cannot be found.
    virtual INT_PTR DoModal();

    // Binds the controls (UpdateData(FALSE)); TRUE.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // UpdateData(TRUE), then EndDialog(IDOK).
    virtual void OnOK();
    virtual void OnCancel();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // The dialog's control of that id (a bound member or the dialog's own
    // object); null when the template has none or the dialog is not open.
    CWnd* GetDlgItem(int nID) const;

    // IDOK and IDCANCEL clicks and the notifications of the message map.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    // What the host is shown, and carrying out the user's answer (false when
    // the answer cannot be done). A dialog with other controls adds its own.
    virtual Struct_UiDialogRequest Mtd_DialogRequest() const;
    virtual bool Mtd_DoAnswer(const Struct_UiDialogAnswer& answer);
    // The name the host knows the dialog by: the template's id by default.
    CString m_strDialogName;

private:
    friend void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
    struct Item {
        const CDialogItemTemplate* pTemplate;
        std::unique_ptr<CWnd> pOwn;  // the dialog's own object until a member is bound
        CWnd* pWnd;
    };
    void CreateItems();
    void BindItem(int nID, CWnd& control);
    void CloseItems();

    CDialogTemplate m_inlineTemplate;
    bool m_bInline = false;
    const CDialogTemplate* m_pTemplate = nullptr;
    std::vector<Item> m_vItems;
    bool m_bEnded = false;
    int m_nResult = IDCANCEL;
};

// Dialog units of the dialog font to pixels.
int AfxDluToPixelsX(int dlu);
int AfxDluToPixelsY(int dlu);
