// Numbering of logical nodes: a device is filled with n nodes of five LN
// classes through the creator, each taking the next instance number of its
// class. The cost per node must not grow with n: at the largest n at most
// twice what it is at 1,000, by the instructions of one run of each where
// valgrind runs, else by time.
//
//   lnode_numbering_bench [largest=8000]    (at least 2000)
//   lnode_numbering_bench count N      one run of N nodes, counted
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "core/kiln_main.h"

namespace {

using Clock = std::chrono::steady_clock;

bool Fail(const char* what) {
    std::fprintf(stderr, "lnode_numbering_bench: %s\n", what);
    return false;
}

// Seconds to create n nodes in a new device of a fresh document.
bool Run(int n, double& seconds) {
    CKiln_Main app;
    CBase_CimDoc& doc = app.m_Doc;
    doc.SetDomainPrefixDefault("kiln");
    URI_Ref domainType;
    if (!doc.FindDomainType("二次模型数据类型包", domainType) ||
        !doc.CreateDomain("kiln.p1#", domainType, "P1", true))
        return Fail("no domain");
    URI_Ref pkg, ld;
    doc.CreateResource("kiln.p1#", "sec:TypePackage", pkg, "P1");
    doc.SetAttribute(pkg, "sec:TypePackage.isInstType", "true");
    std::vector<URI_Ref> types;
    for (const char* cls : {"PTOC", "MMXU", "XCBR", "GGIO", "CSWI"}) {
        URI_Ref stdClass, type;
        doc.CreateResource("kiln.p1#", "sec:LNodeType", stdClass, cls);
        doc.CreateResource("kiln.p1#", "sec:LNodeType", type, CString("P1_") + cls);
        doc.AddLink(type, "sec:LNodeType.ClassOf_LNType", stdClass);
        types.push_back(type);
    }
    doc.CreateResource("kiln.p1#", "sec:LDevice", ld, "LD1");
    bool refused = false;
    const Clock::time_point start = Clock::now();
    kiln::bench::Counted([&] {
        for (int i = 0; i < n && !refused; ++i) {
            URI_Ref node;
            refused = !app.NewRsc_LNode(&node, ld, types[static_cast<size_t>(i) % types.size()], true);
        }
    });
    if (refused) return Fail("a node was refused");
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    URI_Ref last = doc.FirstTarget(ld, "sec:LDevice.LNodes", n - 1);
    CString inst;
    doc.GetAttribute(last, "sec:LNode.lnInst", inst);
    CString expected;
    expected.Format("%d", (n - 1) / 5 + 1);
    if (inst != expected) return Fail("wrong instance number");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    double seconds = 0;
    if (argc == 3 && std::strcmp(argv[1], "count") == 0) return Run(std::max(5, std::atoi(argv[2])), seconds) ? 0 : 1;
    kiln::bench::Args args("lnode_numbering_bench", "numbering the nodes of a device, cost per node");
    const long long& largest = args.Count("largest", 8000, 2000);
    if (const int status = args.Read(argc, argv); status != kiln::bench::Args::kGo) return status;
    double first = 0;
    int n = 1000;
    for (; n <= largest; n *= 2) {
        if (!Run(n, seconds)) return 1;
        std::printf("%6d nodes: %8.1f ms, %6.2f us per node\n", n, seconds * 1e3, seconds / n * 1e6);
        if (first == 0) first = seconds;
    }
    n /= 2;
    // The cost per node at most twice: the whole at most twice n / 1,000 times.
    kiln::bench::Verdict(std::to_string(n) + " nodes against 1000 (cost per node at most twice)", 2.0 * n / 1000, first,
                         seconds, "count 1000", "count " + std::to_string(n));
    return kiln::bench::Finish();
}
