// The LNodeType import command on one input as the chosen file, into an
// instance package of a fresh document that holds the type T_GGIO (DO Ind
// of the standard SPS) and the DO type T_SPS, so that the file's types may
// meet names the package has and base types found only there: the import
// may refuse the file or add its types, never crash, hang or leak.
#include "fuzz/import_workspace.h"

using kiln::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static kiln::fuzz::ImportWorkspace workspace("kiln_fuzz_lnode_type");
    CKiln_Main app;
    workspace.Choose(app, "input.Type", data, size);
    URI_Ref pkg, lnType, doType, dataObject;
    Check(app.NewRsc_TypePackage(&pkg, "P1", true, URI_Ref()), "package");
    Check(app.NewRsc_LNodeType(&lnType, pkg), "LN type");
    app.DocMtd_Modify_attribute_value(lnType, kiln::core::kRoleName, "T_GGIO");
    Check(app.NewRsc_DOType(&doType, pkg), "DO type");
    app.DocMtd_Modify_attribute_value(doType, kiln::core::kRoleName, "T_SPS");
    Check(app.NewRsc_DO(&dataObject, lnType, ""), "DO");
    app.DocMtd_Modify_attribute_value(dataObject, kiln::core::kRoleName, "Ind");
    app.DocMtd_add_Association(dataObject, "sec:DO.DefinedBy_DOType", doType);
    app.Rsc_LNodeType_Import(pkg);
    return 0;
}
