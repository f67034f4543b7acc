// The product selection dialog (template 2001 "设置厂家及产品类型"): the user
// picks a product package, then one of its products; OK is enabled only once
// a product is chosen. The result is the chosen product's URI text.
#pragma once

#include "core/kiln_main.h"
#include "platform/framework/dialog.h"

class __attribute__((visibility("default"))) CDlg_SetICDProduct : public CDialog {
public:
    enum { IDD = 2001, IDC_COMBO_PRODUCTPACKAGE = 2004, IDC_COMBO_PRODUCT = 2005 };

    explicit CDlg_SetICDProduct(CWnd* pParent = nullptr);
    CRuntimeClass* GetRuntimeClass() const override;
    ~CDlg_SetICDProduct() override;
    const AFX_MSGMAP* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnCbnSelchangeComboProductpackage();
    void OnCbnSelchangeComboProduct();
    // Fills the combo box with the names of the resources and the pairs with
    // (name, URI text); widens the drop-down list to 6 pixels per GBK byte of
    // the longest name, at most half the screen, never narrower than it was.
    void Set_COMBOItems_byURIs(std::vector<URI_Ref>& rscs, CComboBox& combo, Struct_Pairs& pairs);

    CKiln_Main* m_pApp = nullptr;
    CString m_strProductUri;
    Struct_Pairs m_PackagePairs;
    Struct_Pairs m_ProductPairs;
    CComboBox m_cbProduct;
    CComboBox m_cbPackage;
    CButton m_btnOK;
};
