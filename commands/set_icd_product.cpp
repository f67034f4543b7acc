// The product selection dialog and the command "Set ICD Product", which
// replaces the current ICD's product link by one to the chosen product.
#include "commands/command_frame.h"
#include "commands/set_icd_product_dlg.h"
#include "platform/mfc/gbk.h"

CDlg_SetICDProduct::CDlg_SetICDProduct(CWnd* pParent) : CDialog(IDD, pParent) {}

CDlg_SetICDProduct::~CDlg_SetICDProduct() = default;

CRuntimeClass* CDlg_SetICDProduct::GetRuntimeClass() const {
    static CRuntimeClass cls{"CDlg_SetICDProduct", static_cast<int>(sizeof(CDlg_SetICDProduct))};
    return &cls;
}

const AFX_MSGMAP* CDlg_SetICDProduct::GetMessageMap() const {
    static const AFX_MSGMAP_ENTRY entries[] = {
        ON_CBN_SELCHANGE(IDC_COMBO_PRODUCTPACKAGE, CDlg_SetICDProduct::OnCbnSelchangeComboProductpackage),
        ON_CBN_SELCHANGE(IDC_COMBO_PRODUCT, CDlg_SetICDProduct::OnCbnSelchangeComboProduct), END_MESSAGE_MAP_ENTRY};
    static const AFX_MSGMAP map{CDialog::GetMessageMap(), entries};
    return &map;
}

void CDlg_SetICDProduct::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_COMBO_PRODUCT, m_cbProduct);
    DDX_Control(pDX, IDC_COMBO_PRODUCTPACKAGE, m_cbPackage);
    DDX_Control(pDX, IDOK, m_btnOK);
}

BOOL CDlg_SetICDProduct::OnInitDialog() {
    CDialog::OnInitDialog();
    m_cbProduct.EnableWindow(FALSE);
    m_btnOK.EnableWindow(FALSE);
    std::vector<URI_Ref> packages;
    if (m_pApp) m_pApp->DocMtd_get_Uris_byClassName("sec:ProductPackage", packages, kiln::core::kRoleName,
                                                    SortPolicy_ByName);
    Set_COMBOItems_byURIs(packages, m_cbPackage, m_PackagePairs);
    return TRUE;
}

void CDlg_SetICDProduct::OnCbnSelchangeComboProductpackage() {
    m_cbProduct.EnableWindow(TRUE);
    m_btnOK.EnableWindow(FALSE);
    CString name;
    if (m_cbPackage.GetCurSel() >= 0) m_cbPackage.GetLBText(m_cbPackage.GetCurSel(), name);
    if (name.IsEmpty() || !m_pApp) return;
    const URI_Ref package = m_pApp->DocMtd_TestBy_URIRef(m_PackagePairs.Get_Second_byFirst(name));
    std::vector<URI_Ref> products;
    m_pApp->DocMtd_get_Association_BUris(package, "sec:ProductPackage.Products", products, "", SortPolicy_ByName);
    Set_COMBOItems_byURIs(products, m_cbProduct, m_ProductPairs);
}

void CDlg_SetICDProduct::OnCbnSelchangeComboProduct() {
    m_btnOK.EnableWindow(TRUE);
    CString name;
    if (m_cbProduct.GetCurSel() >= 0) m_cbProduct.GetLBText(m_cbProduct.GetCurSel(), name);
    if (!name.IsEmpty()) m_strProductUri = m_ProductPairs.Get_Second_byFirst(name);
}

void CDlg_SetICDProduct::Set_COMBOItems_byURIs(std::vector<URI_Ref>& rscs, CComboBox& combo, Struct_Pairs& pairs) {
    pairs.Clear();
    combo.ResetContent();
    int longest = 0;
    for (const URI_Ref& r : rscs) {
        CString name;
        if (m_pApp) m_pApp->DocMtd_get_attribute_value(r, kiln::core::kRoleName, name);
        longest = std::max(longest, kiln::text::GbkLength(name.str()));
        pairs.Add(name, CString(r.sUri));
        combo.AddString(name);
    }
    const int wanted = 6 * longest;
    RECT rect;
    combo.GetDroppedControlRect(&rect);
    const int current = static_cast<int>(rect.right - rect.left);
    if (wanted <= current) return;
    const int half = GetSystemMetrics(SM_CXSCREEN) / 2;
    combo.SetDroppedWidth(static_cast<UINT>(wanted <= half ? wanted : half));
}

namespace kiln::commands {

Next SetICDProduct(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref icd = f.Current();
    CDlg_SetICDProduct dlg(nullptr);
    dlg.m_pApp = &app;
    if (dlg.DoModal() != IDOK) return Next::CommonEnd;
    // The chosen product is resolved and checked before the ICD's links change.
    const URI_Ref product = app.DocMtd_TestBy_URIRef(dlg.m_strProductUri);
    if (product.IsEmpty() || product.sClass != "sec:Product") return Next::CommonEnd;
    std::vector<URI_Ref> old;
    app.DocMtd_get_Association_BUris(icd, "sec:ICD.Product", old, core::kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& p : old) app.DocMtd_del_Association(icd, "sec:ICD.Product", p);
    app.DocMtd_add_Association(icd, "sec:ICD.Product", product);
    Refresh(app, 2);
    Refresh(app, 1);
    return Next::CommonEnd;
}

}  // namespace kiln::commands
