// The ITB import command on one input as the chosen file: it may refuse the
// file or make a table of it, never crash, hang or leak, and a refused file
// leaves no table behind.
#include "fuzz/itb_m2i_fuzz_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static kiln::fuzz::FuzzModel model;
    model.Choose("input.itb", data, size);
    const bool done = model.app.Rsc_ITB_Import(model.icd);
    const URI_Ref itb = model.app.DocMtd_getFirstUri_ofAsso(model.icd, "sec:ICD.ITB");
    kiln::fuzz::Check(done == itb.IsSet(), "a table exactly when the import succeeded");
    model.Remove(itb, {"sec:ITB.InfoItems", "sec:ITB.InfoGroups"});
    return 0;
}
