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
// Times are processor times of the process; where valgrind runs, the
// instructions of one check at each size decide the ratios instead. The
// standard package is checked as well: the driver, its names walked as a
// package's, and an instance copy of every standard class through the
// package driver.
//
// "m2i" is the M2I export on its own model (M2iModel below): the
// instructions callgrind counts inside the export at 5 and 10 devices, one
// fresh process each, against a goal of 17 M a device; with a number of
// devices the same model is exported and checked and the times printed.
//
//   check_bench [runs=7]
//   check_bench count clean|faulty|unlinked N   one check of N nodes, counted
//   check_bench m2i
//   check_bench m2i devices [runs=7 | once]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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
        Counted([&] { bench.app->Check_ICD_IsCorrect(builder.icd); });
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
        Counted([&] { bench.app->Check_ICD_IsCorrect(builder.icd); });
        faulty.push_back(Ms(t0));
        findings = bench.app->m_nReportErrors;
        if (g_ui.questions != asked + 1 || !fs::exists(bench.workspace / "doc" / "Report.xml"))
            Die("the faulty ICD gave no report");
    }
    void Print() {
        std::printf("  %5d LNs, %7d resources: built %8.1f ms; clean %8.1f ms; one fault per node %8.1f ms "
                    "(%d findings, report saved)\n",
                    builder.lnodeCount, builder.resourceCount, buildMs, Median(clean), Median(faulty), findings);
    }
};

// The model of the M2I export: devices of LLN0, LPHD and 40 GGIO nodes
// whose types copy every DO of the standard class, each DOI's dU with a
// value (the signal's text); an information table and a mapping of 12 map
// items a node (480 a device), each on a key DA of its data object (or on
// stVal, for a class without key DAs) with its information item and a
// description, those on AnIn with a unit and a multiplier.
constexpr int kGgioPerDevice = 40;
constexpr int kMapItemsPerDevice = 480;
const char* const kGgioTargets[][2] = {{"Ind", "stVal"},   {"Alm", "stVal"},   {"Wrn", "stVal"},  {"IntIn", "stVal"},
                                       {"CntVal", "actVal"}, {"AnIn", "mag.f"},  {"AnOut", "mxVal.f"}, {"SPCSO", "stVal"},
                                       {"ISCSO", "stVal"}, {"DPCSO", "stVal"}, {"Beh", "stVal"},  {"Health", "stVal"}};
static_assert(std::size(kGgioTargets) * kGgioPerDevice == kMapItemsPerDevice);

struct M2iModel {
    Bench bench;
    kiln::model::StdIcdBuilder builder;
    URI_Ref m2i;
    int mapItems = 0, mappingItems = 0;  // map items, and the MappingItems the file must hold

    M2iModel(int devices, const fs::path& ws)
        : bench(ws), builder(*bench.app, bench.app->m_uStdTypePackage, "kiln.types#", "kiln.icd#") {
        CKiln_Main& app = *bench.app;
        if (!builder.MakePackage("P") || !builder.MakeIcd("ICD1")) Die(builder.LastError().str());
        for (int d = 1; d <= devices; ++d)
            if (!builder.AddLDevice("LD" + Num(d), kGgioPerDevice, {"GGIO"})) Die(builder.LastError().str());
        std::vector<URI_Ref> dais;
        app.DocMtd_get_Uris_byClassName("sec:DAI", dais, "", SortPolicy_None);
        int valued = 0;
        for (const URI_Ref& dai : dais)
            if (app.DocMtd_getValue_ofAttr(dai, "cim:Naming.name") == "dU[DC]")
                Set(app, dai, "sec:DAI.valueStr", "信号" + Num(++valued));

        const CString dom = "kiln.icd#";
        const URI_Ref itb = Add(app, dom, "sec:ITB", "ITB", 0, "sec:ITB.ICD", builder.icd);
        m2i = Add(app, dom, "sec:M2I", "M2I", 0, "sec:M2I.ICD", builder.icd);
        std::vector<URI_Ref> nodes;
        app.DocMtd_get_Uris_byClassName("sec:LNode", nodes, "e301:OrdNaming.ord", SortPolicy_None);
        for (const URI_Ref& node : nodes) {
            if (app.DocMtd_getValue_ofAttr(node, "cim:Naming.name").Left(4) != "GGIO") continue;
            for (const auto& [doName, daName] : kGgioTargets) {
                ++mapItems;
                const CString desc = CString("信号") + doName + Num(mapItems);
                const URI_Ref item = Add(app, dom, "sec:InfoItem", "信号" + Num(mapItems), mapItems, "sec:InfoItem.ITB", itb);
                Set(app, item, "sec:InfoItem.id", Num(mapItems));
                const URI_Ref map = Add(app, dom, "sec:MapItem", "Item" + Num(mapItems), mapItems, "sec:MapItem.M2I", m2i);
                Link(app, map, "sec:MapItem.InfoItem", item);
                Link(app, map, "sec:DARef.LNode", node);
                Set(app, map, "sec:DARef.doName", doName);
                Set(app, map, "sec:DARef.daName", daName);
                Set(app, map, "cim:Naming.description", desc);
                ++mappingItems;
                if (std::strcmp(doName, "AnIn") == 0) {
                    Set(app, map, "sec:MapItem.unitSiUnit", "V");
                    Set(app, map, "sec:MapItem.unitMultiplier", "k");
                    mappingItems += 2;
                }
            }
        }
        if (mapItems != devices * kMapItemsPerDevice) Die("the model has not its map items");
    }
    // Exports the mapping into `path`; dies unless every item was written.
    void Export(const fs::path& path) {
        g_ui.savePath = path.string().c_str();
        if (!bench.app->Rsc_M2I_Export(m2i)) Die("the M2I export failed");
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int written = 0;
        for (size_t at = text.find("<MappingItem "); at != std::string::npos; at = text.find("<MappingItem ", at + 1))
            ++written;
        if (written != mappingItems) Die("the M2I file holds " + std::to_string(written) + " MappingItems, not " +
                                         std::to_string(mappingItems));
    }
};

// The instructions callgrind counts inside the M2I export of the model of
// `devices` devices, run once in a fresh process; -1 when it cannot run.
long long ExportInstructions(int devices) {
    return CallgrindInstructions("*Rsc_M2I_Export*", "m2i " + std::to_string(devices) + " once");
}

// "check_bench m2i": the instructions of the export at 5 and 10 devices,
// against 17 M a device (170 M at 10 devices).
int M2iInstructions() {
    std::printf("M2I export, instructions inside Rsc_M2I_Export (callgrind):\n");
    for (const int devices : {5, 10}) {
        const long long count = ExportInstructions(devices);
        if (count <= 0) Die("callgrind did not run (is valgrind installed?)");
        const int items = devices * kMapItemsPerDevice;
        const double goal = 17e6 * devices;
        const bool met = static_cast<double>(count) <= goal;
        std::printf("  %2d devices, %4d map items: %7.1f M (goal %.0f M), %5.1f K a map item%s\n", devices, items,
                    count / 1e6, goal / 1e6, count / 1e3 / items, met ? "" : "  (missed)");
        Require(met, (std::to_string(devices) + " devices' M2I export within 17 M instructions a device").c_str());
    }
    return Finish();
}

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    CUiServicesScope ui(&g_ui);
    // "check_bench m2i": the export's instructions, each size in a fresh
    // process under callgrind. "check_bench m2i D [runs]": the model of D
    // devices exported and checked, median times; "check_bench m2i D once":
    // one export, what callgrind counts (--toggle-collect=*Rsc_M2I_Export*).
    if (argc > 1 && std::strcmp(argv[1], "m2i") == 0) {
        if (argc == 2) return M2iInstructions();
        const bool once = argc == 4 && std::strcmp(argv[3], "once") == 0;
        Args m2i("check_bench m2i", "the M2I export and the check of a model of that many devices ([runs] or once)");
        const long long& devices = m2i.Count("devices", 5);
        long long& runs = m2i.Count("runs", 7);
        if (const int status = m2i.Read(once ? 3 : argc, argv, 2); status != Args::kGo) return status;
        if (once) runs = 1;
        const RunFolder folder("kiln_check_bench_m2i");
        const fs::path ws = folder / "workspace";
        M2iModel model(static_cast<int>(devices), ws);
        std::vector<double> exportMs, checkMs;
        for (long long r = 0; r < runs; ++r) {
            double t0 = CpuMs();
            model.Export(ws / "bench.m2i");
            exportMs.push_back(Ms(t0));
            if (once) break;
            t0 = CpuMs();
            model.bench.app->Check_ICD_IsCorrect(model.builder.icd);
            checkMs.push_back(Ms(t0));
            if (model.bench.app->m_nReportErrors != 0) Die("the mapped ICD does not check clean");
        }
        std::printf("%d LNs in %d devices, %d map items (%d MappingItems), median of %lld runs: M2I export %.1f ms",
                    model.builder.lnodeCount, static_cast<int>(devices), model.mapItems, model.mappingItems, runs,
                    Median(exportMs));
        if (!once) std::printf(", ICD check %.1f ms", Median(checkMs));
        std::printf("\n");
        return 0;
    }
    const bool phase = argc == 4 && std::strcmp(argv[1], "count") == 0;
    Args args("check_bench", "the checks on the standard package and on ICDs of 1,000 and 2,000 LNs");
    const long long& runs = args.Count("runs", 7);
    if (!phase)
        if (const int status = args.Read(argc, argv); status != Args::kGo) return status;
    const RunFolder folder("kiln_check_bench");
    const fs::path base = folder.Path();
    if (phase) {
        const std::string what = argv[2];
        IcdRun run(std::max(20, std::atoi(argv[3])), base / "icd", what != "unlinked");
        if (what == "faulty") {
            run.AddFaults();
            run.CheckFaulty();
        } else {
            run.CheckClean();
        }
        return 0;
    }
    // The standard package.
    {
        Bench b(base / "std");
        CKiln_Main& app = *b.app;
        std::vector<double> driver, names, copy;
        for (long long r = 0; r < runs; ++r) {
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
        for (long long r = 0; r < runs; ++r) {
            double t0 = CpuMs();
            app.Only_Check_TypePackage(builder.package);
            copy.push_back(Ms(t0));
            if (app.m_nReportErrors != 0) Die("the copy of the standard classes does not check clean");
        }
        std::printf("standard package (%zu LN classes), median of %lld runs:\n", classes.size(), runs);
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
    for (long long r = 0; r < runs; ++r) {
        small.CheckClean();
        large.CheckClean();
        unlinked.CheckClean();
    }
    small.AddFaults();
    large.AddFaults();
    for (long long r = 0; r < runs; ++r) {
        small.CheckFaulty();
        large.CheckFaulty();
    }
    std::printf("ICD check, median of %lld runs:\n", runs);
    small.Print();
    large.Print();
    std::printf("  %5d LNs whose DOIs have no links (values not read): clean %8.1f ms\n", unlinked.builder.lnodeCount,
                Median(unlinked.clean));
    Verdict("clean check at the double size", 2.2, Median(small.clean) / 1e3, Median(large.clean) / 1e3,
            "count clean 1000", "count clean 2000");
    Verdict("check with faults at the double size", 2.2, Median(small.faulty) / 1e3, Median(large.faulty) / 1e3,
            "count faulty 1000", "count faulty 2000");
    Verdict("clean check with values against DOIs without links", 1.2, Median(unlinked.clean) / 1e3,
            Median(small.clean) / 1e3, "count unlinked 1000", "count clean 1000");
    return Finish();
}
