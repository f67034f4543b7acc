// The type-package import command on one input as the chosen file, in a
// fresh document with a small standard package: the import may refuse the
// file or make a package of it, never crash, hang or leak.
#include "fuzz/import_workspace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static kiln::fuzz::ImportWorkspace workspace("kiln_fuzz_type_package");
    CKiln_Main app;
    workspace.Choose(app, "input.Type", data, size);
    app.Rsc_TypePackage_Import();
    return 0;
}
