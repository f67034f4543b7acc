// Editing benchmark: deleting a whole ICD of 1,000 and of 2,000 logical
// nodes (each with DOIs, DAIs, a data set and a report control block, all
// nodes of a few shared types) and one whose IED holds 1,000 and 2,000
// logical devices (each an LLN0 and a GGIO), renumbering one sibling list
// of 10,000 and of 20,000 members, and the document's removal of 10,000 and
// 20,000 members of one list one by one. Each figure is the median of nine
// runs on a fresh document, in processor time (other work on the machine
// does not count); the larger model may cost at most 2.2 times the smaller
// one (2.3 for the devices' deletion): by the instructions of one run at
// each size where valgrind runs, else by time. The fourfold model is timed
// too, to show how the time grows beyond.
// The pastes into a second ICD, every type copied there: a device of 2,000
// and of 4,000 nodes, each of an LN type of its own, and an LN type of 2,000
// and of 4,000 DOs, each of a DO type of its own; at most 2.3 times.
//
//   editing_bench          prints the figures, exits with 1 when a ratio is missed
//   editing_bench count delete|delete-devices|renumber|remove|paste-ld|paste-lntype N
//                          one run at size N, what the verdict counts
//   editing_bench delete N deletes one ICD of N logical nodes, for callgrind
//                          (--toggle-collect=*Rsc_Delete*): at 1,000 nodes the
//                          deletion may take at most 238 M instructions
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "core/kiln_main.h"
#include "platform/framework/cim_schema.h"

using namespace kiln::bench;

namespace {

URI_Ref Make(CKiln_Main& app, const char* domain, const char* cls, const std::string& name, int ord = 0) {
    URI_Ref r;
    Require(app.DocMtd_create_a_Rsc(domain, cls, r, name.c_str()), cls);
    if (ord > 0) app.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", std::to_string(ord).c_str());
    return r;
}

URI_Ref Under(CKiln_Main& app, const URI_Ref& parent, const char* domain, const char* cls, const char* role,
              const std::string& name, int ord = 0) {
    URI_Ref r = Make(app, domain, cls, name, ord);
    Require(app.DocMtd_add_Association(r, role, parent), role);
    return r;
}

void MakeDomain(CKiln_Main& app, const char* name, const char* typeName) {
    URI_Ref type;
    Require(app.Proc_FindCreatableType_ByName(typeName, "", type), "domain type");
    Require(app.Proc_Create_a_Domain_byType(name, type, name, DomainTypeDfn()), "domain");
}

// The ICD a deletion phase deletes, in a domain of its own: its IED's
// server and its instance package.
struct CDeletedIcd {
    URI_Ref icd, server, pkg;
};

CDeletedIcd MakeDeletedIcd(CKiln_Main& app, const char* d) {
    app.m_Doc.SetDomainPrefixDefault("kiln");
    MakeDomain(app, d, "二次模型装置ICD包");
    CDeletedIcd out;
    out.icd = Make(app, d, "sec:ICD", "ICD");
    URI_Ref ied = Under(app, out.icd, d, "sec:IED", "sec:IED.ICD", "IED");
    out.server = Under(app, ied, d, "sec:Server", "sec:Server.IED", "S1");
    out.pkg = Make(app, d, "sec:TypePackage", "ICDtypes");
    app.DocMtd_Modify_attribute_value(out.pkg, "sec:TypePackage.isInstType", "true");
    app.DocMtd_add_Association(out.pkg, "sec:TypePackage.ICD", out.icd);
    return out;
}

// Deletes the ICD; the deletion is timed. At least `gone` resources go with
// it, as `what` says.
double TimedDelete(CKiln_Main& app, const URI_Ref& icd, int gone, const char* what) {
    const int before = app.m_Doc.ResourceCount();
    bool deleted = false;
    const double start = CpuMs();
    Counted([&] { deleted = app.Rsc_Delete(icd, false); });
    Require(deleted, "delete the ICD");
    const double ms = CpuMs() - start;
    Require(app.m_Doc.ResourceCount() <= before - gone, what);
    return ms;
}

// An ICD with `nodes` logical nodes over four logical devices; every node
// of one of four types of the ICD's package, with four DOIs of three DAIs,
// a data set of four FCDAs and a report control block. The deletion is timed.
double DeleteIcd(int nodes) {
    CKiln_Main app;
    const char* d = "kiln.icd#";
    const auto [icd, server, pkg] = MakeDeletedIcd(app, d);
    URI_Ref doType = Under(app, pkg, d, "sec:DOType", "sec:DOType.TypePackage", "SPS", 1);
    std::vector<URI_Ref> das;
    for (int a = 0; a < 3; ++a)
        das.push_back(Under(app, doType, d, "sec:DA", "sec:DA.MemberOf_DOType", "da" + std::to_string(a), a + 1));
    std::vector<URI_Ref> types;
    std::vector<std::vector<URI_Ref>> dos;
    for (int t = 0; t < 4; ++t) {
        types.push_back(Under(app, pkg, d, "sec:LNodeType", "sec:LNodeType.TypePackage", "T" + std::to_string(t), t + 1));
        dos.emplace_back();
        for (int k = 0; k < 4; ++k) {
            URI_Ref dobj = Under(app, types.back(), d, "sec:DO", "sec:DO.LNodeType", "DO" + std::to_string(k), k + 1);
            app.DocMtd_add_Association(dobj, "sec:DO.DefinedBy_DOType", doType);
            dos.back().push_back(dobj);
        }
    }
    std::vector<URI_Ref> lds;
    for (int l = 0; l < 4; ++l)
        lds.push_back(Under(app, server, d, "sec:LDevice", "sec:LDevice.Server", "LD" + std::to_string(l), l + 1));
    for (int n = 0; n < nodes; ++n) {
        const int t = n % 4;
        URI_Ref node = Under(app, lds[static_cast<size_t>(n % 4)], d, "sec:LNode", "sec:LNode.LDevice",
                             "GGIO" + std::to_string(n + 1), n / 4 + 1);
        app.DocMtd_add_Association(node, "sec:LNode.LNodeType", types[static_cast<size_t>(t)]);
        for (int k = 0; k < 4; ++k) {
            URI_Ref doi = Under(app, node, d, "sec:DOI", "sec:DOI.LNode", "DO" + std::to_string(k), k + 1);
            app.DocMtd_add_Association(doi, "sec:DOI.DO", dos[static_cast<size_t>(t)][static_cast<size_t>(k)]);
            for (int a = 0; a < 3; ++a) {
                URI_Ref dai = Under(app, doi, d, "sec:DAI", "sec:DAI.DOI", "da" + std::to_string(a), a + 1);
                app.DocMtd_add_Association(dai, "sec:DAI.BDA", das[static_cast<size_t>(a)]);
            }
        }
        URI_Ref ds = Under(app, node, d, "sec:DataSet", "sec:DataSet.LNode", "ds", 1);
        for (int f = 0; f < 4; ++f) Under(app, ds, d, "sec:FCDA", "sec:FCDA.DataSet", "f", f + 1);
        Under(app, node, d, "sec:RCB", "sec:RCB.LNode", "rcb", 1);
    }
    return TimedDelete(app, icd, nodes * 20 + 1, "the ICD's resources are gone");
}

// An ICD whose IED holds `devices` logical devices, each an LLN0 and a GGIO
// of the package's two types. The deletion is timed: the devices are one
// sibling list across the IED's server, which goes with them.
double DeleteIcdOfDevices(int devices) {
    CKiln_Main app;
    const char* d = "kiln.icd#";
    const auto [icd, server, pkg] = MakeDeletedIcd(app, d);
    const URI_Ref lln0Type = Under(app, pkg, d, "sec:LNodeType", "sec:LNodeType.TypePackage", "LLN0", 1);
    const URI_Ref ggioType = Under(app, pkg, d, "sec:LNodeType", "sec:LNodeType.TypePackage", "GGIO", 2);
    for (int l = 0; l < devices; ++l) {
        URI_Ref ld = Under(app, server, d, "sec:LDevice", "sec:LDevice.Server", "LD" + std::to_string(l + 1), l + 1);
        URI_Ref lln0 = Under(app, ld, d, "sec:LNode", "sec:LNode.LDevice", "LLN0", 1);
        app.DocMtd_add_Association(lln0, "sec:LNode.LNodeType", lln0Type);
        URI_Ref ggio = Under(app, ld, d, "sec:LNode", "sec:LNode.LDevice", "GGIO1", 2);
        app.DocMtd_add_Association(ggio, "sec:LNode.LNodeType", ggioType);
    }
    return TimedDelete(app, icd, devices * 3, "the ICD's devices are gone");
}

// One list of `members` logical nodes numbered in reverse with gaps; the
// renumbering of all of them is timed.
double Renumber(int members) {
    CKiln_Main app;
    app.m_Doc.SetDomainPrefixDefault("kiln");
    const char* d = "kiln.icd#";
    MakeDomain(app, d, "二次模型装置ICD包");
    URI_Ref ld = Make(app, d, "sec:LDevice", "LD", 1);
    std::vector<URI_Ref> nodes;
    for (int n = 0; n < members; ++n)
        nodes.push_back(Under(app, ld, d, "sec:LNode", "sec:LNode.LDevice", "N" + std::to_string(n), 3 * (members - n)));
    const URI_Ref first = nodes.front();
    // A first renumbering brings the list into the caches; the numbers are
    // then set back and the second, the same work, is timed.
    Require(app.Rsc_Adjust_Order(first, -999), "renumber");
    for (int n = 0; n < members; ++n)
        app.DocMtd_Modify_attribute_value(nodes[static_cast<size_t>(n)], "e301:OrdNaming.ord",
                                          std::to_string(3 * (members - n)).c_str());
    bool renumbered = false;
    const double start = CpuMs();
    Counted([&] { renumbered = app.Rsc_Adjust_Order(first, -999); });
    Require(renumbered, "renumber");
    const double ms = CpuMs() - start;
    Require(app.DocMtd_getValue_ofAttr(first, "e301:OrdNaming.ord") == std::to_string(members).c_str(),
            "the first made is the last one");
    return ms;
}

// One list of `members` logical nodes; the document removes them one by
// one, first to last, as a cascade does. The removals are timed.
double RemoveOneByOne(int members) {
    CKiln_Main app;
    app.m_Doc.SetDomainPrefixDefault("kiln");
    const char* d = "kiln.icd#";
    MakeDomain(app, d, "二次模型装置ICD包");
    URI_Ref ld = Make(app, d, "sec:LDevice", "LD", 1);
    std::vector<URI_Ref> nodes;
    for (int n = 0; n < members; ++n)
        nodes.push_back(Under(app, ld, d, "sec:LNode", "sec:LNode.LDevice", "N" + std::to_string(n), n + 1));
    const double start = CpuMs();
    Counted([&] {
        for (const URI_Ref& node : nodes) app.DocMtd_delete_a_Rsc(node);
    });
    const double ms = CpuMs() - start;
    int left = -1;
    app.DocMtd_GetSeqNumber_byAsso(ld, "sec:LDevice.LNodes", &left);
    Require(left == 0, "every node removed");
    return ms;
}

// An ICD of its own in the domain: its IED, server, one device and its
// instance package, for the paste phases.
struct CPasteIcd {
    URI_Ref ld, pkg;
};

CPasteIcd MakePasteIcd(CKiln_Main& app, const char* d, const std::string& name) {
    URI_Ref icd = Make(app, d, "sec:ICD", name);
    URI_Ref ied = Under(app, icd, d, "sec:IED", "sec:IED.ICD", name + "_IED");
    URI_Ref server = Under(app, ied, d, "sec:Server", "sec:Server.IED", "S1");
    CPasteIcd out;
    out.ld = Under(app, server, d, "sec:LDevice", "sec:LDevice.Server", name + "_LD", 1);
    out.pkg = Make(app, d, "sec:TypePackage", name + "types");
    app.DocMtd_Modify_attribute_value(out.pkg, "sec:TypePackage.isInstType", "true");
    app.DocMtd_add_Association(out.pkg, "sec:TypePackage.ICD", icd);
    return out;
}

// The two ICDs of a paste phase, A (copied from) and B (pasted into), in
// one domain of the document.
std::pair<CPasteIcd, CPasteIcd> MakePasteIcds(CKiln_Main& app) {
    app.m_Doc.SetDomainPrefixDefault("kiln");
    MakeDomain(app, "kiln.icd#", "二次模型装置ICD包");
    return {MakePasteIcd(app, "kiln.icd#", "A"), MakePasteIcd(app, "kiln.icd#", "B")};
}

// Copies `copied` and pastes it onto `target` (`what`); the paste is timed.
// The package `pkg` then lists `types` types by `role`, as `copiedTypes` says.
double TimedPaste(CKiln_Main& app, const URI_Ref& copied, const URI_Ref& target, const char* what, const URI_Ref& pkg,
                  const char* role, int types, const char* copiedTypes) {
    app.Rsc_Copy(copied);
    bool pasted = false;
    const double start = CpuMs();
    Counted([&] { pasted = app.Rsc_Paste(target); });
    const double ms = CpuMs() - start;
    Require(pasted, what);
    int listed = 0;
    app.DocMtd_GetSeqNumber_byAsso(pkg, role, &listed);
    Require(listed == types, copiedTypes);
    return ms;
}

// A type of the package, listed there under `ord`.
URI_Ref PackageType(CKiln_Main& app, const URI_Ref& pkg, const char* cls, const std::string& name, int ord) {
    const char* d = "kiln.icd#";
    return Under(app, pkg, d, cls, (std::string(cls) + ".TypePackage").c_str(), name, ord);
}

// A DA or BDA of the basic type, linked to `structType` when it is a structure.
URI_Ref Attribute(CKiln_Main& app, const URI_Ref& owner, const char* cls, const char* role, const std::string& name,
                  int ord, const char* bType, const URI_Ref& structType = URI_Ref()) {
    URI_Ref a = Under(app, owner, "kiln.icd#", cls, role, name, ord);
    app.DocMtd_Modify_attribute_value(
        a, "sec:BDA.bType", (std::string(kiln::cim::kModelNamespace) + "#PreBasicTypeEnum." + bType).c_str());
    if (structType.IsSet()) app.DocMtd_add_Association(a, "sec:BDA.DefinedBy_Struct", structType);
    return a;
}

// "复制 LD" + "粘贴 LD": a device of `nodes` logical nodes, each of an LN type
// of its own (two DOs of one shared DO type), pasted onto a device of a
// second ICD, whose package receives a copy of every type. The paste is timed.
double PasteLd(int nodes) {
    CKiln_Main app;
    const char* d = "kiln.icd#";
    const auto [from, into] = MakePasteIcds(app);
    URI_Ref sps = PackageType(app, from.pkg, "sec:DOType", "SPS", 1);
    Attribute(app, sps, "sec:DA", "sec:DA.MemberOf_DOType", "stVal", 1, "BOOLEAN");
    for (int n = 0; n < nodes; ++n) {
        URI_Ref type = PackageType(app, from.pkg, "sec:LNodeType", "T" + std::to_string(n), n + 1);
        for (int k = 0; k < 2; ++k) {
            URI_Ref dobj = Under(app, type, d, "sec:DO", "sec:DO.LNodeType", "Ind" + std::to_string(k + 1), k + 1);
            app.DocMtd_add_Association(dobj, "sec:DO.DefinedBy_DOType", sps);
        }
        URI_Ref node = Under(app, from.ld, d, "sec:LNode", "sec:LNode.LDevice", "GGIO" + std::to_string(n + 1), n + 1);
        app.DocMtd_add_Association(node, "sec:LNode.LNodeType", type);
    }
    return TimedPaste(app, from.ld, into.ld, "paste the device", into.pkg, "sec:TypePackage.LNodeTypes", nodes,
                      "every LN type copied");
}

// ICD:Copy + ICD:Paste of an LN type of `dos` DOs, each of a DO type of its
// own (an SDO of a shared DO type, a DA of a shared DA type), pasted onto the
// package of a second ICD, which receives a copy of every type. The paste is
// timed.
double PasteLnType(int dos) {
    CKiln_Main app;
    const char* d = "kiln.icd#";
    const auto [from, into] = MakePasteIcds(app);
    URI_Ref av = PackageType(app, from.pkg, "sec:DAType", "AV", 1);
    Attribute(app, av, "sec:BDA", "sec:BDA.MemberOf_DAType", "f", 1, "FLOAT32");
    URI_Ref sub = PackageType(app, from.pkg, "sec:DOType", "Sub", 1);
    Attribute(app, sub, "sec:DA", "sec:DA.MemberOf_DOType", "stVal", 1, "BOOLEAN");
    URI_Ref big = PackageType(app, from.pkg, "sec:LNodeType", "Big", 1);
    for (int n = 0; n < dos; ++n) {
        URI_Ref doType = PackageType(app, from.pkg, "sec:DOType", "DT" + std::to_string(n), n + 2);
        URI_Ref sdo = Under(app, doType, d, "sec:SDO", "sec:SDO.MemberOf_DOType", "sub", 1);
        app.DocMtd_add_Association(sdo, "sec:SDO.DefinedBy_DOType", sub);
        Attribute(app, doType, "sec:DA", "sec:DA.MemberOf_DOType", "mag", 2, "Struct", av);
        URI_Ref dobj = Under(app, big, d, "sec:DO", "sec:DO.LNodeType", "D" + std::to_string(n + 1), n + 1);
        app.DocMtd_add_Association(dobj, "sec:DO.DefinedBy_DOType", doType);
    }
    return TimedPaste(app, big, into.pkg, "paste the LN type", into.pkg, "sec:TypePackage.DOTypes", dos + 1,
                      "every DO type copied");
}

// Times the small model, its double and, for the record, its fourfold; the
// target is the ratio of the first two, judged by Verdict on the runs of
// `phase` at those sizes.
void Compare(const char* what, const char* phase, double (*run)(int), int small, double limit = 2.2) {
    // The sizes take turns, so that all meet the same load of the machine.
    std::vector<double> times[3];
    for (int k = 0; k < 9; ++k)
        for (int f = 0; f < 3; ++f) times[f].push_back(run(small << f));
    const double a = Median(times[0]), b = Median(times[1]), c = Median(times[2]);
    std::printf("%-30s %6d: %7.2f ms  %6d: %7.2f ms  ratio %.2f;  %6d: %7.2f ms, ratio %.2f\n", what, small, a,
                2 * small, b, b / a, 4 * small, c, c / b);
    const std::string count = std::string("count ") + phase + " ";
    Verdict(std::string(phase) + " at the double size", limit, a / 1e3, b / 1e3, count + std::to_string(small),
            count + std::to_string(2 * small));
}

// The phases the verdicts count, by name.
const struct {
    const char* name;
    double (*run)(int);
} kPhases[] = {{"delete", DeleteIcd},
               {"delete-devices", DeleteIcdOfDevices},
               {"renumber", Renumber},
               {"remove", RemoveOneByOne},
               {"paste-ld", PasteLd},
               {"paste-lntype", PasteLnType}};

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "delete") == 0) {
        Args args("editing_bench delete", "deletes one ICD of that many logical nodes, for callgrind");
        const long long& count = args.Count("nodes", 1000, 4);
        if (const int status = args.Read(argc, argv, 2); status != Args::kGo) return status;
        const int nodes = static_cast<int>(count);
        std::printf("delete an ICD of %d logical nodes: %.2f ms (goal at 1,000 nodes: at most 238 M instructions "
                    "by callgrind --toggle-collect=*Rsc_Delete*)\n",
                    nodes, DeleteIcd(nodes));
        return g_ok ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "count") == 0) {
        for (const auto& phase : kPhases)
            if (std::strcmp(argv[2], phase.name) == 0) {
                phase.run(std::max(4, std::atoi(argv[3])));
                return g_ok ? 0 : 1;
            }
        return 2;
    }
    Args args("editing_bench",
              "deleting an ICD of 1,000 and 2,000 logical nodes and one of 1,000 and 2,000 devices, renumbering "
              "10,000 and 20,000 members, pasting a device of 2,000 and 4,000 nodes and an LN type of 2,000 and "
              "4,000 DOs");
    if (const int status = args.Read(argc, argv); status != Args::kGo) return status;
    Compare("delete an ICD (logical nodes)", "delete", DeleteIcd, 1000);
    Compare("delete an ICD (devices)", "delete-devices", DeleteIcdOfDevices, 1000, 2.3);
    Compare("renumber a list (members)", "renumber", Renumber, 10000);
    Compare("remove members one by one", "remove", RemoveOneByOne, 10000);
    Compare("paste a device (nodes, LN types)", "paste-ld", PasteLd, 2000, 2.3);
    Compare("paste an LN type (DOs, DO types)", "paste-lntype", PasteLnType, 2000, 2.3);
    return Finish();
}
