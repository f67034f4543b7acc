// Data-set generation benchmark: on the shipped standard package, ICDs of
// 1,000 and 2,000 logical nodes are built (20 and 40 logical devices of 50
// nodes, instance types with the standard classes' mandatory members), the
// members of the data sets the builder made are removed, and then the
// standard data sets of a server are generated on the first LLN0 as one
// command makes them, server-wide: measured values, pressing plates,
// protection operation and four state data sets by purpose. Each run starts
// from the same model (the members made are removed, untimed). Figures are
// the median of the runs in processor time, the sizes interleaved; twice the
// model may cost at most 2.2 times as much: by the instructions of one
// generation at each size where valgrind runs, else by time.
//
//   generate_bench [runs=7]
//   generate_bench count N     one generation on N logical nodes, counted
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "core/kiln_main.h"
#include "tests/editing/std_icd_builder.h"

using namespace kiln::bench;

namespace {

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "generate_bench: %s\n", what.c_str());
    std::exit(1);
}

const char* const kClasses[] = {"PTOC", "PTRC", "XCBR", "CSWI", "MMXU", "GGIO", "PDIF", "RREC", "MSQI", "XSWI"};
constexpr int kNodesPerDevice = 50;

// One standard data set: constraint, kind, filter, purpose.
struct StdDataSet {
    const char* fc;
    CKiln_Main::CREATE_FCD_TYPEEnum kind;
    const char* filter;
    LNodeUseEnum use;
};

const StdDataSet kStdDataSets[] = {
    {"MX", CKiln_Main::CREATE_FCD_All, "", LNodeUse_None},
    {"ST", CKiln_Main::CREATE_FCD_All, "Hard*,hard*,Soft*,soft*", LNodeUse_None},
    {"ST", CKiln_Main::CREATE_FCD_All, "Op*,Str*", LNodeUse_None},
    {"ST", CKiln_Main::CREATE_FCD_NoCommon, "$Chinese$", LNodeUse_State},
    {"ST", CKiln_Main::CREATE_FCD_NoCommon, "$Chinese$", LNodeUse_Warning},
    {"ST", CKiln_Main::CREATE_FCD_NoCommon, "$Chinese$", LNodeUse_Alarm},
    {"ST", CKiln_Main::CREATE_FCD_NoCommon, "$Chinese$", LNodeUse_DevAlarm},
    // Everything else with a status, so that most data objects are walked
    // down to their attributes and many members are made.
    {"ST", CKiln_Main::CREATE_FCD_All, "", LNodeUse_None},
};

// An ICD of `nodes` logical nodes on the standard package, in a document of its own.
struct Run {
    std::unique_ptr<CKiln_Main> app = std::make_unique<CKiln_Main>();
    std::unique_ptr<kiln::model::StdIcdBuilder> builder;
    URI_Ref lln0;
    std::vector<double> times;
    size_t members = 0;

    explicit Run(int nodes) {
        CBase_CimDoc& doc = app->m_Doc;
        doc.SetDomainPrefixDefault("kiln");
        URI_Ref type;
        if (!app->Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type) ||
            !app->Import_ExterDomainFile(type, "sec:TypePackage",
                                         CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml"))
            Die("cannot import the standard package: " + app->LastDocError().str());
        if (!app->Msg_OnOpenDocument() || app->m_uStdTypePackage.IsEmpty()) Die("no standard package");
        for (const char* d : {"kiln.types#", "kiln.icd#"}) {
            URI_Ref t;
            doc.FindDomainType(d[5] == 't' ? "二次模型数据类型包" : "二次模型装置ICD包", t);
            if (!doc.CreateDomain(d, t, d, true)) Die("cannot create a domain");
        }
        builder = std::make_unique<kiln::model::StdIcdBuilder>(*app, app->m_uStdTypePackage, "kiln.types#",
                                                               "kiln.icd#");
        builder->mandatoryOnly = true;
        const std::vector<CString> classes(std::begin(kClasses), std::end(kClasses));
        if (!builder->MakePackage("P") || !builder->MakeIcd("ICD1")) Die(builder->LastError().str());
        for (int d = 0; d * kNodesPerDevice < nodes; ++d) {
            CString name;
            name.Format("LD%d", d + 1);
            if (!builder->AddLDevice(name, kNodesPerDevice - 2, classes)) Die(builder->LastError().str());
        }
        // The builder's members would make every data object a member already.
        std::vector<URI_Ref> all;
        app->DocMtd_get_Uris_byClassName("sec:FCDA", all, "", SortPolicy_None);
        for (const URI_Ref& f : all) app->DocMtd_delete_a_Rsc(f);
        const URI_Ref firstDevice = app->DocMtd_getFirstUri_ofAsso(builder->server, "sec:Server.LDevices", 0);
        std::vector<URI_Ref> nodesOfFirst;
        app->DocMtd_get_Association_BUris_SortByOrd(firstDevice, "sec:LDevice.LNodes", nodesOfFirst);
        if (nodesOfFirst.empty()) Die("no logical node");
        lln0 = nodesOfFirst.front();
    }

    void Generate() {
        std::vector<URI_Ref> sets;
        for (size_t k = 0; k < std::size(kStdDataSets); ++k) {
            URI_Ref ds;
            if (!app->NewRsc_DataSet(&ds, lln0)) Die("cannot make a data set");
            sets.push_back(ds);
        }
        const double t0 = CpuMs();
        bool refused = false;
        Counted([&] {
            for (size_t k = 0; k < sets.size(); ++k) {
                const StdDataSet& s = kStdDataSets[k];
                refused = refused || !app->Rsc_AutoCreateFCDA(sets[k], s.fc, s.kind, s.filter, true, s.use);
            }
        });
        if (refused) Die("generation refused");
        times.push_back(CpuMs() - t0);
        // Back to the model without them (untimed).
        size_t made = 0;
        for (const URI_Ref& ds : sets) {
            std::vector<URI_Ref> fcdas;
            app->DocMtd_get_Association_BUris(ds, "sec:DataSet.FCDAs", fcdas, "", SortPolicy_None);
            made += fcdas.size();
            for (const URI_Ref& f : fcdas) app->DocMtd_delete_a_Rsc(f);
            app->DocMtd_delete_a_Rsc(ds);
        }
        if (members != 0 && made != members) Die("a run made another number of members");
        members = made;
    }

    void Print() const {
        std::printf("  %5d LNs, %7d resources: %zu members in %zu data sets, %9.1f ms\n", builder->lnodeCount,
                    builder->resourceCount, members, std::size(kStdDataSets), Median(times));
    }
};

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "count") == 0) {
        Run one(std::max(50, std::atoi(argv[2])));
        one.Generate();
        return 0;
    }
    Args args("generate_bench", "the standard data sets of a server for ICDs of 1,000 and 2,000 logical nodes");
    const long long& runs = args.Count("runs", 7);
    if (const int status = args.Read(argc, argv); status != Args::kGo) return status;
    Run small(1000), large(2000);
    for (long long r = 0; r < runs; ++r) {
        small.Generate();
        large.Generate();
    }
    std::printf("standard data sets of a server, server-wide, median of %lld runs (processor time):\n", runs);
    small.Print();
    large.Print();
    Verdict("twice the model", 2.2, Median(small.times) / 1e3, Median(large.times) / 1e3, "count 1000", "count 2000");
    return Finish();
}
