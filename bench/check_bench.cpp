// Consistency-check benchmark: on the shipped standard package, ICDs of
// 1,000 and 2,000 logical nodes are built (instance types copied from the
// standard classes' mandatory members; DOIs, DAIs and a data set per node) and checked as a
// whole, once clean and once with a faulty data-set member in every node
// (so that the report holds one finding per node and is saved). The time
// must grow linearly: twice the model, at most 2.2 times the time (median
// of the runs). The DOIs are linked to their DOs and their DAIs named by
// their attributes' paths, as an import makes them, so that the values are
// checked: the clean check of 1,000 nodes must cost at most 1.2 times that
// of the same ICD whose DOIs have no links (whose values are not read).
// Times are processor times of the process. The
// standard package is checked as well: the driver, its names walked as a
// package's, and an instance copy of every standard class through the
// package driver.
//
//   check_bench [runs=7]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/import_bench_model.h"
#include "core/kiln_main.h"
#include "platform/ui/ui_services.h"
#include "tests/editing/std_icd_builder.h"

namespace fs = std::filesystem;

// The private checks the benchmark times directly.
struct KilnChecksProbe {
    static bool Check_TypePackageNoRepeatName(CKiln_Main& a, URI_Ref pkg) {
        return a.Check_TypePackageNoRepeatName(pkg);
    }
};

using namespace kiln::bench;

namespace {

// Processor time since `since` (CpuMs), in milliseconds.
double Ms(double since) { return CpuMs() - since; }

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "check_bench: %s\n", what.c_str());
    std::exit(1);
}

const char* const kClasses[] = {"PTOC", "PTRC", "XCBR", "CSWI", "MMXU", "GGIO", "PDIF", "RREC", "MSQI", "XSWI"};
constexpr int kNodesPerDevice = 50;

// The user: answers No to every question ("是否查看报告？" is the only one
// the checks ask), counts them, and fails on anything else a check cannot ask.
struct BenchUi : kiln::bench::BenchUi {
    int questions = 0;
    int MessageBox(Enum_UiCall, const CString&, UINT type, const CString&) override {
        if (type == MB_OK) return IDOK;
        ++questions;
        return IDNO;
    }
    bool InputBox(const CString&, CString&, const Struct_EditPack*, bool) override { Die("input box"); }
    int ButtonChoice(const CString&, const CString&, const Struct_Pairs&, int) override { Die("button box"); }
    int PickResource(const CString&, const Struct_Pairs&, int) override { Die("pick box"); }
    CString savePath;  // the M2I export's file, when one is expected
    bool FileDialog(const Struct_UiFileRequest&, CString& path) override {
        if (savePath.IsEmpty()) Die("file dialog");
        path = savePath;
        return true;
    }
    UINT TrackPopupMenu(const Struct_UiMenu&) override { Die("popup menu"); }
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest&) override { Die("dialog"); }
};

// A document on the standard package, with the workspace its report needs.
BenchUi g_ui;

struct Bench {
    std::unique_ptr<CKiln_Main> app;
    fs::path workspace;

    explicit Bench(const fs::path& ws) : workspace(ws) {
        fs::create_directories(ws / "Template");
        fs::create_directories(ws / "doc");
        for (const char* t : {"Report_Template.xml", "M2I_Template.xml"})
            fs::copy_file(fs::path(KILN_SOURCE_DIR) / "Template" / t, ws / "Template" / t,
                          fs::copy_options::overwrite_existing);
        app = std::make_unique<CKiln_Main>();
        CBase_CimDoc& doc = app->m_Doc;
        doc.SetDomainPrefixDefault("kiln");
        doc.SetDocPath((ws / "doc").string().c_str());
        URI_Ref type;
        if (!app->Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type) ||
            !app->Import_ExterDomainFile(type, "sec:TypePackage", CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml"))
            Die("cannot import the standard package: " + app->LastDocError().str());
        if (!app->Msg_OnOpenDocument() || app->m_uStdTypePackage.IsEmpty()) Die("no standard package");
        for (const char* d : {"kiln.types#", "kiln.icd#"}) {
            URI_Ref t;
            doc.FindDomainType(d[5] == 't' ? "二次模型数据类型包" : "二次模型装置ICD包", t);
            if (!doc.CreateDomain(d, t, d, true)) Die("cannot create a domain");
        }
    }
    ~Bench() {
        app.reset();
        std::error_code ec;
        fs::remove_all(workspace, ec);
    }
};

// An ICD of about `nodes` logical nodes in a document of its own.
struct IcdRun {
    Bench bench;
    kiln::model::StdIcdBuilder builder;
    double buildMs = 0;
    std::vector<double> clean, faulty;
    int findings = 0;

    IcdRun(int nodes, const fs::path& ws, bool doiLinks = true)
        : bench(ws), builder(*bench.app, bench.app->m_uStdTypePackage, "kiln.types#", "kiln.icd#") {
        builder.mandatoryOnly = true;
        builder.doiLinks = doiLinks;
        const std::vector<CString> classes(std::begin(kClasses), std::end(kClasses));
        double t0 = CpuMs();
        if (!builder.MakePackage("P") || !builder.MakeIcd("ICD1")) Die(builder.LastError().str());
        // LLN0 and LPHD count among the nodes of each device.
        for (int d = 0; d * kNodesPerDevice < nodes; ++d) {
            CString name;
            name.Format("LD%d", d + 1);
            if (!builder.AddLDevice(name, kNodesPerDevice - 2, classes)) Die(builder.LastError().str());
        }
        buildMs = Ms(t0);
    }
    void CheckClean() {
        double t0 = CpuMs();
        bench.app->Check_ICD_IsCorrect(builder.icd);
        clean.push_back(Ms(t0));
        if (bench.app->m_nReportErrors != 0) Die("the built ICD does not check clean");
    }
    // One data-set member per node naming a DA its type lacks.
    void AddFaults() {
        CKiln_Main& app = *bench.app;
        std::vector<URI_Ref> dataSets;
        app.DocMtd_get_Uris_byClassName("sec:DataSet", dataSets, "", SortPolicy_None);
        for (const URI_Ref& ds : dataSets) {
            URI_Ref fcda;
            app.DocMtd_create_a_Rsc("kiln.icd#", "sec:FCDA", fcda, "bad");
            app.DocMtd_add_Association(fcda, "sec:FCDA.DataSet", ds);
            app.DocMtd_add_Association(fcda, "sec:DARef.LNode", app.DocMtd_getFirstUri_ofAsso(ds, "sec:DataSet.LNode"));
            app.DocMtd_Modify_attribute_value(fcda, "sec:DARef.doName", "Beh");
            app.DocMtd_Modify_attribute_value(fcda, "sec:DARef.daName", "noSuchDA");
        }
    }
    void CheckFaulty() {
        const int asked = g_ui.questions;
        double t0 = CpuMs();
        bench.app->Check_ICD_IsCorrect(builder.icd);
        faulty.push_back(Ms(t0));
        findings = bench.app->m_nReportErrors;
        if (g_ui.questions != asked + 1 || !fs::exists(bench.workspace / "doc" / "Report.xml"))
            Die("the faulty ICD gave no report");
    }
    // An information table and a mapping on the ICD: an item and its map
    // item for each data-set member in turn (the node's status and measured
    // values), `items` in all.
    int AddMapping(int items) {
        CKiln_Main& app = *bench.app;
        const CString dom = "kiln.icd#";
        const URI_Ref itb = Add(app, dom, "sec:ITB", "ITB", 0, "sec:ITB.ICD", builder.icd);
        m2i = Add(app, dom, "sec:M2I", "M2I", 0, "sec:M2I.ICD", builder.icd);
        std::vector<URI_Ref> members;
        app.DocMtd_get_Uris_byClassName("sec:FCDA", members, "", SortPolicy_None);
        int made = 0;
        for (const URI_Ref& fcda : members) {
            if (made == items) break;
            ++made;
            const URI_Ref item = Add(app, dom, "sec:InfoItem", "信号" + Num(made), made, "sec:InfoItem.ITB", itb);
            Set(app, item, "sec:InfoItem.id", Num(made));
            const URI_Ref map = Add(app, dom, "sec:MapItem", "Item" + Num(made), made, "sec:MapItem.M2I", m2i);
            Link(app, map, "sec:MapItem.InfoItem", item);
            Link(app, map, "sec:DARef.LNode", app.DocMtd_getFirstUri_ofAsso(fcda, "sec:DARef.LNode"));
            for (const char* role : {"sec:DARef.doName", "sec:DARef.daName"})
                Set(app, map, role, app.DocMtd_getValue_ofAttr(fcda, role));
        }
        return made;
    }
    URI_Ref m2i;

    void Print() {
        std::printf("  %5d LNs, %7d resources: built %8.1f ms; clean %8.1f ms; one fault per node %8.1f ms "
                    "(%d findings, report saved)\n",
                    builder.lnodeCount, builder.resourceCount, buildMs, Median(clean), Median(faulty), findings);
    }
};

}  // namespace

int main(int argc, char** argv) {
    CUiServicesScope ui(&g_ui);
    // "check_bench m2i [runs]": an ICD of 10 devices with a mapping of 4,800
    // items, exported as an M2I file and checked; its instructions are what
    // callgrind counts (--toggle-collect=*Rsc_M2I_Export* or *Check_ICD_IsCorrect*).
    if (argc > 1 && std::strcmp(argv[1], "m2i") == 0) {
        const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
        const fs::path ws = fs::temp_directory_path() / ("kiln_check_bench_m2i_" + std::to_string(getpid()));
        IcdRun run(10 * kNodesPerDevice, ws);
        const int items = run.AddMapping(4800);
        g_ui.savePath = (ws / "bench.m2i").string().c_str();
        std::vector<double> exportMs, checkMs;
        for (int r = 0; r < runs; ++r) {
            double t0 = CpuMs();
            if (!run.bench.app->Rsc_M2I_Export(run.m2i) || !fs::exists(ws / "bench.m2i")) Die("the M2I export failed");
            exportMs.push_back(Ms(t0));
            t0 = CpuMs();
            run.bench.app->Check_ICD_IsCorrect(run.builder.icd);
            checkMs.push_back(Ms(t0));
            if (run.bench.app->m_nReportErrors != 0) Die("the mapped ICD does not check clean");
        }
        std::printf("%d LNs in 10 devices, %d map items, median of %d runs: M2I export %.1f ms, ICD check %.1f ms\n",
                    run.builder.lnodeCount, items, runs, Median(exportMs), Median(checkMs));
        return items == 4800 ? 0 : 1;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const fs::path base = fs::temp_directory_path() / ("kiln_check_bench_" + std::to_string(getpid()));

    // The standard package.
    {
        Bench b(base / "std");
        CKiln_Main& app = *b.app;
        std::vector<double> driver, names, copy;
        for (int r = 0; r < runs; ++r) {
            double t0 = CpuMs();
            app.Only_Check_TypePackage(app.m_uStdTypePackage);
            driver.push_back(Ms(t0));
            app.Load_ReportTemplate(app.m_xmlReport);
            app.m_pReportNode = app.m_xmlReport.Get_NodePtr(app.m_xmlReport.GetDocumentElement(), "other_errors");
            app.m_nReportErrors = 0;
            t0 = CpuMs();
            KilnChecksProbe::Check_TypePackageNoRepeatName(app, app.m_uStdTypePackage);
            names.push_back(Ms(t0));
            if (app.m_nReportErrors != 0) Die("the standard package repeats names");
        }
        kiln::model::StdIcdBuilder builder(app, app.m_uStdTypePackage, "kiln.types#", "kiln.icd#");
        if (!builder.MakePackage("P")) Die(builder.LastError().str());
        std::vector<URI_Ref> classes;
        app.DocMtd_get_Association_BUris_SortByOrd(app.m_uStdTypePackage, "sec:TypePackage.LNodeTypes", classes);
        for (const URI_Ref& c : classes)
            if (builder.LNodeTypeOf(app.DocMtd_getValue_ofAttr(c, "cim:Naming.name")).IsEmpty())
                Die(builder.LastError().str());
        for (int r = 0; r < runs; ++r) {
            double t0 = CpuMs();
            app.Only_Check_TypePackage(builder.package);
            copy.push_back(Ms(t0));
            if (app.m_nReportErrors != 0) Die("the copy of the standard classes does not check clean");
        }
        std::printf("standard package (%zu LN classes), median of %d runs:\n", classes.size(), runs);
        std::printf("  package driver on the standard package      %8.2f ms (nothing to check)\n", Median(driver));
        std::printf("  repeated names of the standard package      %8.2f ms, 0 findings\n", Median(names));
        std::printf("  package driver on a copy of every class     %8.2f ms, 0 findings (%d resources)\n",
                    Median(copy), builder.resourceCount);
    }

    // ICDs of 1,000 and 2,000 logical nodes, checked in turn so that both
    // see the same load of the machine.
    IcdRun small(1000, base / "icd1000");
    IcdRun large(2000, base / "icd2000");
    IcdRun unlinked(1000, base / "icd1000_unlinked", false);
    for (int r = 0; r < runs; ++r) {
        small.CheckClean();
        large.CheckClean();
        unlinked.CheckClean();
    }
    small.AddFaults();
    large.AddFaults();
    for (int r = 0; r < runs; ++r) {
        small.CheckFaulty();
        large.CheckFaulty();
    }
    std::printf("ICD check, median of %d runs:\n", runs);
    small.Print();
    large.Print();
    const double cleanRatio = Median(large.clean) / Median(small.clean);
    const double faultyRatio = Median(large.faulty) / Median(small.faulty);
    std::printf("  2x the model: clean %.2fx, with faults %.2fx the time (limit 2.2)\n", cleanRatio, faultyRatio);
    const double valueRatio = Median(small.clean) / Median(unlinked.clean);
    std::printf("  %5d LNs whose DOIs have no links (values not read): clean %8.1f ms; with values %.2fx "
                "(limit 1.2)\n",
                unlinked.builder.lnodeCount, Median(unlinked.clean), valueRatio);
    std::error_code ec;
    fs::remove_all(base, ec);
    return cleanRatio <= 2.2 && faultyRatio <= 2.2 && valueRatio <= 1.2 ? 0 : 1;
}
