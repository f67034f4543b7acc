#include "core/kiln_main.h"

#include "core/type_nesting.h"

CKiln_Main::CKiln_Main() : m_treeWalks(std::make_unique<kiln::core::TypeWalkSteps>()) {
    m_uFieldIED.Clear();
    m_uStdTypePackage.Clear();
    m_uStdLLN0Type.Clear();
    m_uStdLPHDType.Clear();
    m_nEditLevel = 1;
    m_vCopiedRscs.clear();
    m_bBulkDelete = false;
    m_nReportErrors = 0;
    m_nReportWarnings = 0;

    // What the host shows of the plug-in.
    m_strAppTitle = "ICD建模工具";
    m_vAppNames.clear();
    m_vAppNames.push_back("ICD建模");
}

CKiln_Main::~CKiln_Main() = default;
