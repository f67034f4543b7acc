#include "platform/framework/dialog.h"

#include <algorithm>

#include "platform/ui/ui_services.h"

int GetSystemMetrics(int nIndex) {
    POINT screen = Ui_Current().ScreenSize();
    if (nIndex == SM_CXSCREEN) return static_cast<int>(screen.x);
    if (nIndex == SM_CYSCREEN) return static_cast<int>(screen.y);
    return 0;
}

int AfxDluToPixelsX(int dlu) { return dlu * 6 / 4; }
int AfxDluToPixelsY(int dlu) { return dlu * 13 / 8; }

namespace {

bool HasStyle(const std::vector<CString>& styles, const char* style) {
    return std::find(styles.begin(), styles.end(), CString(style)) != styles.end();
}

bool IsButtonKind(const CString& kind) {
    return kind == "PUSHBUTTON" || kind == "DEFPUSHBUTTON" || kind == "CHECKBOX" || kind == "AUTOCHECKBOX" ||
           kind == "RADIOBUTTON" || kind == "AUTORADIOBUTTON";
}

long Width(const RECT& r) { return r.right - r.left; }

}  // namespace

// ---- combo box ----------------------------------------------------------------

int CComboBox::AddString(const char* text) {
    CString item(text);
    int pos = GetCount();
    if (m_bSort) {
        // After the entries that do not sort behind it, so equals keep their order.
        pos = 0;
        while (pos < GetCount() && item.CompareNoCase(m_vItems[static_cast<size_t>(pos)]) >= 0) ++pos;
    }
    m_vItems.insert(m_vItems.begin() + pos, item);
    if (m_nCurSel >= pos) ++m_nCurSel;
    return pos;
}

void CComboBox::ResetContent() {
    m_vItems.clear();
    m_nCurSel = CB_ERR;
    m_strWindowName.Empty();
}

int CComboBox::SetCurSel(int nSelect) {
    if (nSelect < 0 || nSelect >= GetCount()) {
        m_nCurSel = CB_ERR;
        m_strWindowName.Empty();
        return CB_ERR;
    }
    m_nCurSel = nSelect;
    m_strWindowName = m_vItems[static_cast<size_t>(nSelect)];
    return nSelect;
}

void CComboBox::GetLBText(int nIndex, CString& text) const {
    text = nIndex >= 0 && nIndex < GetCount() ? m_vItems[static_cast<size_t>(nIndex)] : CString();
}

int CComboBox::GetLBTextLen(int nIndex) const {
    return nIndex >= 0 && nIndex < GetCount() ? m_vItems[static_cast<size_t>(nIndex)].GetLength() : CB_ERR;
}

int CComboBox::FindStringExact(int nIndexStart, const char* text) const {
    for (int i = std::max(nIndexStart + 1, 0); i < GetCount(); ++i)
        if (m_vItems[static_cast<size_t>(i)].CompareNoCase(text) == 0) return i;
    return CB_ERR;
}

int CComboBox::GetDroppedWidth() const { return std::max(m_nDroppedWidth, static_cast<int>(Width(m_rect))); }

int CComboBox::SetDroppedWidth(UINT nWidth) {
    m_nDroppedWidth = static_cast<int>(nWidth);
    return GetDroppedWidth();
}

void CComboBox::GetDroppedControlRect(RECT* lpRect) const {
    if (!lpRect) return;
    *lpRect = m_rect;
    lpRect->right = m_rect.left + GetDroppedWidth();
}

// ---- data exchange ----------------------------------------------------------------

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (pDX && pDX->m_pDlgWnd) pDX->m_pDlgWnd->BindItem(nIDC, rControl);
}

// ---- dialog -------------------------------------------------------------------------

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::CDialog() = default;

CDialog::~CDialog() = default;

BOOL CDialog::InitModalIndirect(const CDialogTemplate& tmpl, CWnd* pParentWnd) {
    m_inlineTemplate = tmpl;
    m_bInline = true;
    m_pParentWnd = pParentWnd;
    return TRUE;
}

void CDialog::CreateItems() {
    m_vItems.clear();
    for (const CDialogItemTemplate& t : m_pTemplate->vItems) {
        if (t.nID <= 0) continue;  // static texts have no id
        std::unique_ptr<CWnd> own;
        if (t.sKind == "COMBOBOX") {
            auto combo = std::make_unique<CComboBox>();
            combo->m_bSort = HasStyle(t.vStyles, "CBS_SORT");
            own = std::move(combo);
        } else if (IsButtonKind(t.sKind)) {
            own = std::make_unique<CButton>();
        } else {
            own = std::make_unique<CWnd>();
        }
        own->m_nCtrlID = static_cast<UINT>(t.nID);
        own->m_strWindowName = t.sText;
        own->m_pParent = this;
        own->m_bEnabled = !HasStyle(t.vStyles, "WS_DISABLED");
        own->MoveWindow(static_cast<int>(m_rect.left) + AfxDluToPixelsX(t.x),
                        static_cast<int>(m_rect.top) + AfxDluToPixelsY(t.y), AfxDluToPixelsX(t.cx),
                        AfxDluToPixelsY(t.cy));
        own->Attach_Window();
        CWnd* wnd = own.get();
        m_vItems.push_back(Item{&t, std::move(own), wnd});
    }
}

void CDialog::BindItem(int nID, CWnd& control) {
    for (Item& item : m_vItems) {
        if (item.pTemplate->nID != nID) continue;
        if (item.pWnd == &control) return;
        const CWnd& from = *item.pWnd;
        control.m_nCtrlID = from.m_nCtrlID;
        control.m_strWindowName = from.m_strWindowName;
        control.m_pParent = from.m_pParent;
        control.m_bEnabled = from.m_bEnabled;
        control.m_rect = from.m_rect;
        auto* fromCombo = dynamic_cast<const CComboBox*>(&from);
        if (auto* combo = dynamic_cast<CComboBox*>(&control); combo && fromCombo) {
            combo->m_bSort = fromCombo->m_bSort;
            combo->m_vItems = fromCombo->m_vItems;
            combo->m_nCurSel = fromCombo->m_nCurSel;
            combo->m_nDroppedWidth = fromCombo->m_nDroppedWidth;
        }
        control.Attach_Window();
        item.pWnd = &control;
        return;
    }
}

void CDialog::CloseItems() {
    for (Item& item : m_vItems)
        if (item.pWnd != item.pOwn.get()) item.pWnd->DestroyWindow();
    m_vItems.clear();
}

CWnd* CDialog::GetDlgItem(int nID) const {
    for (const Item& item : m_vItems)
        if (item.pTemplate->nID == nID) return item.pWnd;
    return nullptr;
}

INT_PTR CDialog::DoModal() {
    m_pTemplate = m_bInline ? &m_inlineTemplate : AfxFindDialogTemplate(static_cast<int>(m_nIDTemplate));
    if (!m_pTemplate) return -1;
    if (m_strDialogName.IsEmpty()) m_strDialogName.Format("%d", m_pTemplate->nID);
    m_strWindowName = m_pTemplate->sCaption;
    MoveWindow(AfxDluToPixelsX(m_pTemplate->x), AfxDluToPixelsY(m_pTemplate->y), AfxDluToPixelsX(m_pTemplate->cx),
               AfxDluToPixelsY(m_pTemplate->cy));
    Attach_Window();
    m_bEnded = false;
    m_nResult = IDCANCEL;
    CreateItems();
    OnInitDialog();
    while (!m_bEnded) {
        Struct_UiDialogAnswer answer = Ui_Current().RunModal(Mtd_DialogRequest());
        bool done = Mtd_DoAnswer(answer);
        if (answer.nResult != IDOK) {
            OnCommand(MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            continue;
        }
        CWnd* ok = GetDlgItem(IDOK);
        if (!done || (ok && !ok->IsWindowEnabled())) continue;  // nothing to press: ask again
        OnCommand(MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    CloseItems();
    DestroyWindow();
    return m_nResult;
}

Struct_UiDialogRequest CDialog::Mtd_DialogRequest() const {
    Struct_UiDialogRequest request;
    request.sDialog = m_strDialogName;
    request.sCaption = m_strWindowName;
    for (const Item& item : m_vItems) {
        auto* combo = dynamic_cast<const CComboBox*>(item.pWnd);
        if (!combo || !combo->IsWindowEnabled()) continue;
        for (const CString& entry : combo->m_vItems) request.vRows.push_back({entry});
    }
    return request;
}

bool CDialog::Mtd_DoAnswer(const Struct_UiDialogAnswer& answer) {
    for (const CString& pick : answer.vPicks) {
        bool picked = false;
        for (const Item& item : m_vItems) {
            auto* combo = dynamic_cast<CComboBox*>(item.pWnd);
            if (!combo || !combo->IsWindowEnabled()) continue;
            auto it = std::find(combo->m_vItems.begin(), combo->m_vItems.end(), pick);
            if (it == combo->m_vItems.end()) continue;
            combo->SetCurSel(static_cast<int>(it - combo->m_vItems.begin()));
            OnCommand(MAKEWPARAM(static_cast<UINT>(item.pTemplate->nID), CBN_SELCHANGE), 0);
            picked = true;
            break;
        }
        if (!picked) return false;
    }
    return true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

const AFX_MSGMAP* CDialog::GetMessageMap() const {
    static const AFX_MSGMAP_ENTRY entries[] = {END_MESSAGE_MAP_ENTRY};
    static const AFX_MSGMAP map{nullptr, entries};
    return &map;
}

void CDialog::EndDialog(int nResult) {
    m_bEnded = true;
    m_nResult = nResult;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
    UINT id = static_cast<UINT>(wParam & 0xFFFF);
    UINT code = static_cast<UINT>((wParam >> 16) & 0xFFFF);
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (e->nCode == code && e->nID == id) {
                (this->*(e->pfn))();
                return TRUE;
            }
        }
    }
    if (code != BN_CLICKED) return FALSE;
    if (id == static_cast<UINT>(IDOK)) {
        OnOK();
        return TRUE;
    }
    if (id == static_cast<UINT>(IDCANCEL)) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}
