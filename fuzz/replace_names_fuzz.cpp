// The name replacement over the whole document on one input as the chosen
// name file, in a fresh document with an ICD whose instance package holds
// the LN type T_GGIO (DO Ind) used by the node GGIO1 of device LD1: the run
// may refuse the file or rename, never crash, hang or leak.
#include "fuzz/import_workspace.h"

using kiln::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static kiln::fuzz::ImportWorkspace workspace("kiln_fuzz_replace_names");
    CKiln_Main app;
    workspace.Choose(app, "input.Name", data, size);
    URI_Ref icd, ld, lnType, dataObject, node;
    Check(app.NewRsc_ICD(&icd, URI_Ref(), "ICD1", false, kiln::bench::AddProduct(app.m_Doc)), "icd");
    const URI_Ref pkg = app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.TypePackage");
    Check(app.NewRsc_LNodeType(&lnType, pkg), "LN type");
    app.DocMtd_Modify_attribute_value(lnType, kiln::core::kRoleName, "T_GGIO");
    app.DocMtd_Modify_attribute_value(lnType, "sec:LNodeType.lnClass", "GGIO");
    Check(app.NewRsc_DO(&dataObject, lnType, ""), "DO");
    app.DocMtd_Modify_attribute_value(dataObject, kiln::core::kRoleName, "Ind");
    Check(app.NewRsc_LDevice(&ld, app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED"), URI_Ref(), URI_Ref(), URI_Ref()),
          "device");
    app.DocMtd_Modify_attribute_value(ld, kiln::core::kRoleName, "LD1");
    Check(app.NewRsc_LNode(&node, ld, lnType, false), "node");
    app.Rsc_ReplaceName(URI_Ref());
    return 0;
}
