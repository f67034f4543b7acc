// Tree benchmark: filling the whole tree of an ICD of 1,000 and of 2,000
// logical nodes (each typed by one of four shared LN types, with DOIs,
// DAIs, a data set and a report control block), as a host expands every
// item; and expanding one item with 10,000 and 20,000 members: a logical
// device's nodes, and the folder "未分组" of an ITB whose items belong to no
// group. Each figure is the median of seven runs in processor time; the
// double size may cost at most 2.2 times as much: by the instructions of one
// run at each size where valgrind runs, else by time.
//
//   tree_bench          prints the figures, exits with 1 when a ratio is missed
//   tree_bench count icd|device|ungrouped N   one run at size N, counted
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "core/kiln_main.h"

using namespace kiln::bench;

namespace {

const char* kDomain = "kiln.icd#";

URI_Ref Make(CKiln_Main& app, const char* cls, const std::string& name, int ord = 0) {
    URI_Ref r;
    Require(app.DocMtd_create_a_Rsc(kDomain, cls, r, name.c_str()), cls);
    if (ord > 0) app.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", std::to_string(ord).c_str());
    return r;
}

URI_Ref Under(CKiln_Main& app, const URI_Ref& parent, const char* cls, const char* role, const std::string& name,
              int ord = 0) {
    URI_Ref r = Make(app, cls, name, ord);
    Require(app.DocMtd_add_Association(r, role, parent), role);
    return r;
}

void Prepare(CKiln_Main& app) {
    app.m_Doc.SetDomainPrefixDefault("kiln");
    URI_Ref type;
    Require(app.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", type), "domain type");
    Require(app.Proc_Create_a_Domain_byType(kDomain, type, kDomain, DomainTypeDfn()), "domain");
    app.Mtd_CreateStandardViews();
}

// Expands the item and everything below it as a host does: an item whose
// resource already stands above it on its branch is not opened again.
// Returns the number of items.
size_t Walk(CKiln_Main& app, CBase_Cmd* view, Struct_ItemDesc* item, std::vector<std::string>& branch) {
    std::vector<Struct_ItemDesc> children;
    app.TreeMsg_OnSetChildItems(view, item, &children);
    size_t n = children.size();
    for (auto& c : children) {
        const std::string mark = c.uRsc.sUri + '|' + c.sText4.str();
        if (std::find(branch.begin(), branch.end(), mark) != branch.end()) continue;
        branch.push_back(mark);
        n += Walk(app, view, &c, branch);
        branch.pop_back();
    }
    return n;
}

// The whole tree of an ICD with `nodes` logical nodes over four devices.
double FillIcdTree(int nodes, size_t& items) {
    CKiln_Main app;
    Prepare(app);
    URI_Ref icd = Make(app, "sec:ICD", "ICD");
    URI_Ref ied = Under(app, icd, "sec:IED", "sec:IED.ICD", "IED");
    URI_Ref server = Under(app, ied, "sec:Server", "sec:Server.IED", "S1");
    URI_Ref pkg = Make(app, "sec:TypePackage", "ICDtypes");
    app.DocMtd_Modify_attribute_value(pkg, "sec:TypePackage.isInstType", "true");
    app.DocMtd_add_Association(pkg, "sec:TypePackage.ICD", icd);
    URI_Ref doType = Under(app, pkg, "sec:DOType", "sec:DOType.TypePackage", "SPS", 1);
    std::vector<URI_Ref> das;
    for (int a = 0; a < 3; ++a)
        das.push_back(Under(app, doType, "sec:DA", "sec:DA.MemberOf_DOType", "da" + std::to_string(a), a + 1));
    std::vector<URI_Ref> types;
    std::vector<std::vector<URI_Ref>> dos;
    for (int t = 0; t < 4; ++t) {
        types.push_back(Under(app, pkg, "sec:LNodeType", "sec:LNodeType.TypePackage", "T" + std::to_string(t), t + 1));
        dos.emplace_back();
        for (int k = 0; k < 4; ++k) {
            URI_Ref dobj = Under(app, types.back(), "sec:DO", "sec:DO.LNodeType", "DO" + std::to_string(k), k + 1);
            app.DocMtd_add_Association(dobj, "sec:DO.DefinedBy_DOType", doType);
            dos.back().push_back(dobj);
        }
    }
    std::vector<URI_Ref> lds;
    for (int l = 0; l < 4; ++l)
        lds.push_back(Under(app, server, "sec:LDevice", "sec:LDevice.Server", "LD" + std::to_string(l), l + 1));
    for (int n = 0; n < nodes; ++n) {
        const size_t t = static_cast<size_t>(n % 4);
        URI_Ref node = Under(app, lds[static_cast<size_t>(n % 4)], "sec:LNode", "sec:LNode.LDevice",
                             "GGIO" + std::to_string(n + 1), n / 4 + 1);
        app.DocMtd_Modify_attribute_value(node, "sec:LNode.lnClass", "GGIO");
        app.DocMtd_Modify_attribute_value(node, "sec:LNode.lnInst", std::to_string(n + 1).c_str());
        app.DocMtd_add_Association(node, "sec:LNode.LNodeType", types[t]);
        for (int k = 0; k < 4; ++k) {
            URI_Ref doi = Under(app, node, "sec:DOI", "sec:DOI.LNode", "DO" + std::to_string(k), k + 1);
            app.DocMtd_add_Association(doi, "sec:DOI.DO", dos[t][static_cast<size_t>(k)]);
            for (int a = 0; a < 3; ++a) {
                URI_Ref dai = Under(app, doi, "sec:DAI", "sec:DAI.DOI", "da" + std::to_string(a), a + 1);
                app.DocMtd_add_Association(dai, "sec:DAI.BDA", das[static_cast<size_t>(a)]);
            }
        }
        URI_Ref ds = Under(app, node, "sec:DataSet", "sec:DataSet.LNode", "ds", 1);
        for (int f = 0; f < 4; ++f) Under(app, ds, "sec:FCDA", "sec:FCDA.DataSet", "f", f + 1);
        Under(app, node, "sec:RCB", "sec:RCB.LNode", "rcb", 1);
    }
    CBase_Cmd* view = app.Mtd_View_of_sID(kView_TreeUser);
    std::vector<Struct_ItemDesc> top;
    app.TreeMsg_OnSetChildItems(view, nullptr, &top);
    Require(top.size() == 1, "the ICD at the top");
    std::vector<std::string> branch;
    const double start = CpuMs();
    Counted([&] { items = Walk(app, view, &top[0], branch); });
    const double ms = CpuMs() - start;
    Require(items > static_cast<size_t>(nodes) * 40, "the whole tree");
    return ms;
}

// One item with `members` children: a device's nodes, or the ungrouped
// items of an ITB. Only the expansion of that one item is timed.
double ExpandOne(int members, bool ungrouped) {
    CKiln_Main app;
    Prepare(app);
    Struct_ItemDesc item;
    if (ungrouped) {
        URI_Ref itb = Make(app, "sec:ITB", "ITB");
        for (int g = 0; g < 8; ++g) Under(app, itb, "sec:InfoGroup", "sec:InfoGroup.ITB", "G" + std::to_string(g), g + 1);
        for (int n = 0; n < members; ++n) {
            URI_Ref it = Under(app, itb, "sec:InfoItem", "sec:InfoItem.ITB", "I" + std::to_string(n), n + 1);
            app.DocMtd_Modify_attribute_value(it, "sec:InfoItem.infoGroup", n % 2 ? "" : "无此组");
        }
        app.TreeMtd_SetItemDetail(&item, itb, "sec:ITB", "未分组", true, "InfoItemUnGroup");
    } else {
        URI_Ref ld = Make(app, "sec:LDevice", "LD", 1);
        for (int n = 0; n < members; ++n) {
            URI_Ref node = Under(app, ld, "sec:LNode", "sec:LNode.LDevice", "GGIO" + std::to_string(n + 1), n + 1);
            app.DocMtd_Modify_attribute_value(node, "sec:LNode.lnClass", "GGIO");
        }
        app.TreeMtd_SetItemDetail(&item, ld, "sec:LDevice", "LD", true, "");
    }
    CBase_Cmd* view = app.Mtd_View_of_sID(kView_TreeUser);
    std::vector<Struct_ItemDesc> out;
    const double start = CpuMs();
    Counted([&] { app.TreeMsg_OnSetChildItems(view, &item, &out); });
    const double ms = CpuMs() - start;
    Require(out.size() == static_cast<size_t>(members), "every member listed");
    return ms;
}

bool Report(const char* what, const char* phase, int small, const std::function<double(int)>& run) {
    std::vector<double> a, b;
    for (int r = 0; r < 7; ++r) {
        a.push_back(run(small));
        b.push_back(run(2 * small));
    }
    const double ma = Median(a), mb = Median(b);
    std::printf("%-40s %6d: %9.2f ms   %6d: %9.2f ms   ratio %.2f\n", what, small, ma, 2 * small, mb, mb / ma);
    const std::string count = std::string("count ") + phase + " ";
    return Verdict(std::string(what) + " at the double size", 2.2, ma / 1e3, mb / 1e3, count + std::to_string(small),
                   count + std::to_string(2 * small));
}

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    size_t items = 0;
    if (argc == 4 && std::strcmp(argv[1], "count") == 0) {
        const int n = std::max(4, std::atoi(argv[3]));
        if (std::strcmp(argv[2], "icd") == 0) FillIcdTree(n, items);
        else if (std::strcmp(argv[2], "device") == 0 || std::strcmp(argv[2], "ungrouped") == 0)
            ExpandOne(n, argv[2][0] == 'u');
        else return 2;
        return g_ok ? 0 : 1;
    }
    Args args("tree_bench", "the whole tree of an ICD of 1,000 and 2,000 LNs; one item of 10,000 and 20,000 members");
    if (const int status = args.Read(argc, argv); status != Args::kGo) return status;
    Report("whole tree of an ICD (logical nodes)", "icd", 1000, [&](int n) { return FillIcdTree(n, items); });
    std::printf("  (%zu items in the tree of the larger ICD)\n", items);
    Report("one device's nodes", "device", 10000, [](int n) { return ExpandOne(n, false); });
    Report("\"未分组\" of an ITB", "ungrouped", 10000, [](int n) { return ExpandOne(n, true); });
    return Finish();
}
