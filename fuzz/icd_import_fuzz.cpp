// The ICD import command on one input as the chosen file, in a fresh
// document with a small standard package and a product: the import may
// refuse the file or report what it finds, never crash, hang or leak.
#include "fuzz/import_workspace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static kiln::fuzz::ImportWorkspace workspace("kiln_fuzz_icd");
    CKiln_Main app;
    workspace.Choose(app, "input.icd", data, size);
    URI_Ref icd;
    app.Rsc_ICD_Import(&icd, kiln::bench::AddProduct(app.m_Doc));
    return 0;
}
