// Numbering of logical nodes: a device is filled with n nodes of five LN
// classes through the creator, each taking the next instance number of its
// class. The cost per node must not grow with n.
//
//   lnode_numbering_bench [largest n = 8000]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

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
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < n; ++i) {
        URI_Ref node;
        if (!app.NewRsc_LNode(&node, ld, types[static_cast<size_t>(i) % types.size()], true))
            return Fail("a node was refused");
    }
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
    const int largest = argc > 1 ? std::atoi(argv[1]) : 8000;
    double firstPerNode = 0, lastPerNode = 0;
    for (int n = 1000; n <= largest; n *= 2) {
        double seconds = 0;
        if (!Run(n, seconds)) return 1;
        const double perNode = seconds / n * 1e6;
        std::printf("%6d nodes: %8.1f ms, %6.2f us per node\n", n, seconds * 1e3, perNode);
        if (firstPerNode == 0) firstPerNode = perNode;
        lastPerNode = perNode;
    }
    const double growth = firstPerNode > 0 ? lastPerNode / firstPerNode : 0;
    std::printf("cost per node, largest / 1000 nodes: %.2f (target <= 2)\n", growth);
    return growth <= 2.0 ? 0 : 1;
}
