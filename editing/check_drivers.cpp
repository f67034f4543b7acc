// The two check drivers: an ICD or a type package is checked as a whole into
// the check report, which is saved beside the document and offered to the
// user when something was found.
#include "core/kiln_main.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;

bool CKiln_Main::Begin_CheckReport() {
    m_nReportErrors = 0;
    m_nReportWarnings = 0;
    if (!Load_ReportTemplate(m_xmlReport)) {
        m_pReportNode = XmlNode();
        _AfxMessageBox(Get_ReportTemplatePath() + "文件格式不正确, 导入不成功！", MB_OK, "",
                       nullptr);
        return false;
    }
    m_pReportNode = m_xmlReport.Get_NodePtr(m_xmlReport.GetDocumentElement(), "other_errors");
    return true;
}

void CKiln_Main::Check_TypePackages(const std::vector<URI_Ref>& packages) {
    for (const URI_Ref& package : packages) {
        Mtd_SetStatusBarText("正在检查TypePackage: " + DocMtd_getValue_ofAttr(package, kRoleName));
        Check_TypePackageNoRepeatName(package);
        Chech_TypePackage_DOCDC(package);
        Chech_TypePackage_SDOCDC_DAfc(package);
        Check_TypePackage_Values(package);
        Check_TypePackage_Nesting(package);
    }
}

void CKiln_Main::Finish_CheckReport(bool bIcd) {
    if (m_nReportErrors == 0 && m_nReportWarnings == 0) {
        Mtd_SetStatusBarText(" ");
        _AfxMessageBox(bIcd ? "检查完毕,ICD正确!" : "检查完毕,TypePackage正确!", MB_OK, "", nullptr);
        return;
    }
    CString summary;
    summary.Format(bIcd ? "检查ICD结束，发现%d个错误，发现%d个警告。" : "检查TypePackage结束，发现%d个错误，发现%d个警告。",
                   m_nReportErrors, m_nReportWarnings);
    Mtd_SetStatusBarText(summary);

    // A report that could not be written is not offered (Save_Report said so).
    const CString path = Get_ReportSavePath();
    if (!Save_Report(m_xmlReport, path)) return;
    CString question;
    question.Format("检查ICD结束，发现错误%d个，发现警告%d个。是否查看报告？", m_nReportErrors, m_nReportWarnings);
    if (_AfxMessageBox(question, MB_YESNO, "$?$导入完成", nullptr) == IDYES) KQ_ShellExec(path, nullptr, "");
}

bool CKiln_Main::Check_ICD_IsCorrect(URI_Ref icd) {
    if (!Begin_CheckReport()) return false;
    const URI_Ref ied = DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED");
    if (ied.IsSet()) {
        Mtd_SetStatusBarText("正在检查IED");
        Check_IED(ied);
    }
    const URI_Ref package = DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.TypePackage");
    if (package.IsSet()) {
        std::vector<URI_Ref> packages;
        GetTypePackage_Depended(&packages, package, true);
        Check_TypePackages(packages);
    }
    Mtd_SetStatusBarText("正在检查ICD的DARef相关关联 ");
    Chech_DARef_RepeatORhasDODA(icd);
    Finish_CheckReport(true);
    return true;
}

bool CKiln_Main::Only_Check_TypePackage(URI_Ref package) {
    if (!Begin_CheckReport()) return false;
    std::vector<URI_Ref> packages;
    GetTypePackage_Depended(&packages, package, true);
    Check_TypePackages(packages);
    Finish_CheckReport(false);
    return true;
}
