// The M2I import command on one input as the chosen file, on an ICD whose
// table holds the items "1" to "4": it may refuse the file or map it with
// report entries, never crash, hang or leak, and a refused file leaves no
// mapping behind.
#include "fuzz/itb_m2i_fuzz_model.h"

namespace {

kiln::fuzz::FuzzModel& Model() {
    static kiln::fuzz::FuzzModel model;
    static const bool itbMade = [] {
        URI_Ref itb;
        kiln::fuzz::Check(model.app.NewRsc_ITB(&itb, model.icd), "itb");
        for (const char* id : {"1", "2", "3", "4"}) {
            URI_Ref item;
            kiln::fuzz::Check(model.app.NewRsc_InfoItem(&item, itb), "info item");
            model.app.DocMtd_Modify_attribute_value(item, "sec:InfoItem.id", id);
        }
        return true;
    }();
    (void)itbMade;
    return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kiln::fuzz::FuzzModel& model = Model();
    model.Choose("input.m2i", data, size);
    const bool done = model.app.Rsc_M2I_Import(model.icd);
    const URI_Ref m2i = model.app.DocMtd_getFirstUri_ofAsso(model.icd, "sec:ICD.M2I");
    kiln::fuzz::Check(done == m2i.IsSet(), "a mapping exactly when the import succeeded");
    model.Remove(m2i, {"sec:M2I.MapItems"});
    return 0;
}
