// Information-item grid benchmark: an ITB of N items in mixed group order,
// every item with a mapping item, half of them mapped to an LN and a DO (the
// grid hides those), filled in group-and-entry order and read back with
// every shown row selected as a range of its own, for N = 10,000 and 20,000.
//
//   info_item_grid_bench [runs=7]
//   info_item_grid_bench count N     one fill and read-back of N items, counted
// Prints the least processor time of one fill and read-back over the runs
// and, where valgrind runs, the instructions of one at each size; exits with
// 1 when the double size costs more than 2.2 times as much (by instructions
// where counted, else by time) or the rows read back are not the unmapped
// half.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/import_bench_model.h"
#include "commands/info_item_grid_dlg.h"
#include "core/kiln_main.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

using namespace kiln::bench;

namespace {

// Answers the grid with every row selected, one range a row.
class GridUi final : public BenchUi {
public:
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest& request) override {
        Struct_UiDialogAnswer a;
        a.nResult = IDOK;
        for (int r = 0; r < static_cast<int>(request.vRows.size()); ++r) a.vRanges.push_back({r, 0, r, 8});
        return a;
    }
};

// The ICD with one device of 50 nodes, its ITB of n items and its M2I.
URI_Ref Build(CKiln_Main& app, int n) {
    const CString ns = CString(kiln::cim::kModelNamespace) + "#";
    const CString dom = AddIcdDomain(app);
    URI_Ref icd = Add(app, dom, "sec:ICD", "Bench", 0, nullptr, URI_Ref());
    URI_Ref ied = Add(app, dom, "sec:IED", "TEMPLATE", 0, "sec:IED.ICD", icd);
    URI_Ref server = Add(app, dom, "sec:Server", "IED_Server", 0, "sec:Server.IED", ied);
    URI_Ref ld = Add(app, dom, "sec:LDevice", "PROT", 1, "sec:LDevice.Server", server);
    std::vector<URI_Ref> nodes;
    for (int i = 1; i <= 50; ++i) nodes.push_back(Add(app, dom, "sec:LNode", "GGIO" + Num(i), i, "sec:LNode.LDevice", ld));
    URI_Ref itb = Add(app, dom, "sec:ITB", "ITB", 0, "sec:ITB.ICD", icd);
    URI_Ref m2i = Add(app, dom, "sec:M2I", "M2I", 0, "sec:M2I.ICD", icd);
    const int groups = n / 10;
    for (int i = 1; i <= n; ++i) {
        URI_Ref item = Add(app, dom, "sec:InfoItem", "信号" + Num(i), i, "sec:InfoItem.ITB", itb);
        Set(app, item, "sec:InfoItem.id", Num(i));
        Set(app, item, "sec:InfoItem.dataType", ns + "ITBDataTypeEnum.SPS");
        Set(app, item, "sec:InfoItem.p103_typ", "1");
        Set(app, item, "sec:InfoItem.p103_fun", "178");
        Set(app, item, "sec:InfoItem.p103_inf", Num(i % 255));
        // Groups and entries in an order other than the ids'.
        Set(app, item, "sec:InfoItem.p103_grp", Num(1 + static_cast<int>((7919LL * i) % groups)));
        Set(app, item, "sec:InfoItem.p103_ent", Num(1 + (i * 3) % 10));
        Set(app, item, "sec:InfoItem.p103_acc", "0");
        URI_Ref map = Add(app, dom, "sec:MapItem", "Item" + Num(i), i, "sec:MapItem.M2I", m2i);
        Check(app, app.DocMtd_add_Association(map, "sec:MapItem.InfoItem", item), "info");
        Check(app, app.DocMtd_add_Association(map, "sec:DARef.LNode", nodes[i % nodes.size()]), "node");
        if (i % 2 == 0) Set(app, map, "sec:DARef.doName", "Ind" + Num(1 + i % 16));  // mapped
    }
    return itb;
}

// One fill and read-back of the grid, checked: the unmapped half shown.
void FillAndRead(CKiln_Main& app, const URI_Ref& itb, int n, double* seconds) {
    CDlg_ICD_SimpleGrid dlg;
    dlg.m_pMain = &app;
    dlg.m_uITB = itb;
    dlg.m_strSortAttr = "sec:InfoItem.p103_grp";
    INT_PTR result = IDCANCEL;
    const double start = CpuSeconds();
    Counted([&] { result = dlg.DoModal(); });
    if (seconds) *seconds = std::min(*seconds, CpuSeconds() - start);
    Require(result == IDOK && dlg.m_saIds.GetSize() == n / 2, "every unmapped item read back");
    for (const CString& id : dlg.m_saIds)
        if (std::atoi(id.GetString()) % 2 == 0) Require(false, "a mapped item was shown");
}

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    GridUi ui;
    CUiServicesScope scope(&ui);
    if (argc == 3 && std::strcmp(argv[1], "count") == 0) {
        const int n = std::max(10, std::atoi(argv[2]));
        CKiln_Main app;
        app.m_Doc.SetDomainPrefixDefault("kiln");
        FillAndRead(app, Build(app, n), n, nullptr);
        return g_ok ? 0 : 1;
    }
    Args args("info_item_grid_bench", "the information-item grid of ITBs of 10,000 and 20,000 items");
    const long long& runs = args.Count("runs", 7);
    if (const int status = args.Read(argc, argv); status != Args::kGo) return status;
    // Both sizes live side by side and their runs alternate, so that a change
    // in the machine's load touches both alike; the least time is kept.
    const int sizes[2] = {10000, 20000};
    CKiln_Main apps[2];
    URI_Ref itbs[2];
    for (int k = 0; k < 2; ++k) {
        apps[k].m_Doc.SetDomainPrefixDefault("kiln");
        itbs[k] = Build(apps[k], sizes[k]);
    }
    double best[2] = {1e300, 1e300};
    for (long long r = 0; r < runs; ++r) {
        for (int k = 0; k < 2; ++k) FillAndRead(apps[k], itbs[k], sizes[k], &best[k]);
    }
    for (int k = 0; k < 2; ++k)
        std::printf("%6d items (%d shown and selected): fill and read back %.3f s\n", sizes[k], sizes[k] / 2, best[k]);
    Verdict("the double size", 2.2, best[0], best[1], "count " + std::to_string(sizes[0]), "count " + std::to_string(sizes[1]));
    return Finish();
}
