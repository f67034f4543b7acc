// Import readers benchmark: a script-made SCL file with an IED of N logical
// nodes (20 to a logical device: LLN0, LPHD and 18 GGIO with DOIs, DAIs, a
// data set, report and log control blocks and inputs) is read into a fresh
// document: the data-type templates (both passes), then the IED with the
// instance readers and both instance path indexes, which are timed. Run for
// 1,000 and 2,000 nodes; twice the nodes may cost at most 2.2 times as much:
// by the instructions of one run at each size where valgrind runs, else by
// the best times. And the name replacement of a name file that renames each
// of 5,000 and of 10,000 LN types of an ICD's package and as many DOs of one
// of them, each named by a DOI of a node, at most 2.3 times as much at the
// double size. The files go into a folder of the run's own.
//
//   import_readers_bench [runs=7]     (KILN_BENCH_NODES=N: N and 2N nodes instead)
//   import_readers_bench count N      one run of N nodes, what the verdict counts
//   import_readers_bench count names N   one name replacement of N LN types
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/import_bench_model.h"
#include "core/kiln_main.h"
#include "import/kiln_import.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

using namespace kiln::bench;

namespace {

// The status line of an import is shown on every node; a host would not
// print it, so the benchmark shows nothing. Questions are not expected.
class QuietUi : public kiln::bench::BenchUi {
public:
    int MessageBox(Enum_UiCall, const CString& text, UINT, const CString&) override {
        std::fprintf(stderr, "unexpected message: %s\n", text.GetString());
        std::exit(1);
    }
};

struct Result {
    double seconds = 0;
    size_t lnodes = 0, daPaths = 0, doPaths = 0;
    int errors = 0;
};

// One import into a fresh document; the instance readers and indexes timed.
Result RunOnce(const std::string& file) {
    CKiln_Main app;
    BuildStandard(app);
    URI_Ref type, prodPkg, product, icd;
    CBase_CimDoc& doc = app.m_Doc;
    Check(doc.FindDomainType("二次模型装置类型包", type), "domain type");
    Check(doc.CreateDomain("kiln.pp#", type, "pp", true), "product domain");
    Check(doc.CreateResource("kiln.pp#", "sec:ProductPackage", prodPkg, "PP"), "product package");
    Check(doc.CreateResource("kiln.pp#", "sec:Product", product, "P"), "product");
    Check(doc.AddLink(product, "sec:Product.ProductPackage", prodPkg), "product link");
    Check(app.NewRsc_ICD(&icd, URI_Ref(), "ICD", false, product), "ICD");
    URI_Ref pkg = app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.TypePackage");

    CBase_XML scl;
    Check(scl.Load(file.c_str()), "load");
    CKiln_Import imp;
    imp.m_xmlReportDoc.AddNewNode_withAttrs(imp.m_xmlReportDoc.GetDocument(), "Report", CStringArray());
    XmlNode root = imp.m_xmlReportDoc.GetDocumentElement();
    for (XmlNode* n :
         {&imp.m_pOtherErrorsNode, &imp.m_pLNodesNode, &imp.m_pLDevicesNode, &imp.m_pDOIsNode, &imp.m_pDAIsNode})
        *n = root;
    imp.m_saReportAttrs.Add("name");
    imp.m_saReportAttrs.Add("error");
    for (int i = 0; i < kiln::import::kBasicTypeCount; ++i) imp.m_setBasicTypes.insert(kiln::import::kBasicTypes[i]);
    std::vector<URI_Ref> std;
    app.DocMtd_get_Association_BUris(app.m_uStdTypePackage, "sec:TypePackage.LNodeTypes", std, "", SortPolicy_ByName);
    for (const URI_Ref& t : std) imp.m_mapKnownLNodeTypes.emplace(app.DocMtd_getValue_ofAttr(t, "cim:Naming.name"), t);
    app.DocMtd_get_Association_BUris(app.m_uStdTypePackage, "sec:TypePackage.DOTypes", std, "", SortPolicy_ByName);
    for (const URI_Ref& t : std) imp.m_mapKnownDOTypes.emplace(app.DocMtd_getValue_ofAttr(t, "cim:Naming.name"), t);

    // The first pass: one shell per type element.
    XmlNode templates = scl.Get_NodePtr(scl.GetDocumentElement(), "DataTypeTemplates");
    using Creator = bool (CKiln_Main::*)(URI_Ref*, URI_Ref);
    const std::pair<const char*, std::pair<ImportShellTable*, Creator>> kKinds[] = {
        {"EnumType", {&imp.m_mapNewEnumTypes, &CKiln_Main::NewRsc_EnumType}},
        {"DAType", {&imp.m_mapNewDATypes, &CKiln_Main::NewRsc_DAType}},
        {"DOType", {&imp.m_mapNewDOTypes, &CKiln_Main::NewRsc_DOType}},
        {"LNodeType", {&imp.m_mapNewLNodeTypes, &CKiln_Main::NewRsc_LNodeType}}};
    for (const auto& [element, kind] : kKinds) {
        XmlNodeList list = templates.SelectNodes(element);
        for (long i = 0; i < list.Length(); ++i) {
            Struct_ImportShell shell;
            CString id;
            list.Item(i).GetAttribute("id", id);
            Check((app.*kind.second)(&shell.m_uShell, pkg), "shell");
            app.DocMtd_Modify_attribute_value(shell.m_uShell, "cim:Naming.name", id);
            shell.m_strOrd = Num(i + 1);
            shell.m_pNode = list.Item(i);
            kind.first->emplace(id, shell);
        }
    }
    for (auto& [id, s] : imp.m_mapNewEnumTypes) imp.Import_EnumType(&app, s.m_uShell, s.m_pNode, s.m_strOrd);
    for (auto& [id, s] : imp.m_mapNewDOTypes) imp.Import_DOType(&app, s.m_uShell, s.m_pNode, s.m_strOrd, false);
    for (auto& [id, s] : imp.m_mapNewDATypes) imp.Import_DAType(&app, s.m_uShell, s.m_pNode, s.m_strOrd, false);
    for (auto& [id, s] : imp.m_mapNewLNodeTypes)
        imp.Import_LNodeType(&app, s.m_uShell, s.m_pNode, s.m_strBase, pkg, s.m_strOrd, false);
    imp.Link_AllStructBDAs(&app);

    ImportNameTable daPaths;
    const double start = ThreadCpuSeconds();
    Counted([&] {
        imp.Import_IED(&app, icd, scl.Get_NodePtr(scl.GetDocumentElement(), "IED"));
        imp.Index_ICD_DAs(&app, icd, daPaths);
        imp.Index_ICD_LNodes(&app, icd);
    });
    Result r;
    r.seconds = ThreadCpuSeconds() - start;
    r.lnodes = imp.m_mapInstLNodes.size();
    r.daPaths = daPaths.size();
    r.doPaths = imp.m_mapInstPaths.size();
    r.errors = imp.m_nErrors;
    return r;
}

// The name replacement of `types` LN types of an ICD's package, each
// renamed by a pair of the name file; the replacement timed.
Result RenameOnce(const RunFolder& folder, long types) {
    CKiln_Main app;
    BuildStandard(app);
    URI_Ref icd;
    Check(app.NewRsc_ICD(&icd, URI_Ref(), "ICD", false, AddProduct(app.m_Doc)), "ICD");
    const URI_Ref pkg = app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.TypePackage");
    std::string pairs;
    for (long t = 0; t < types; ++t) {
        URI_Ref type;
        Check(app.NewRsc_LNodeType(&type, pkg), "LN type");
        app.DocMtd_Modify_attribute_value(type, "cim:Naming.name", "T" + Num(t));
        pairs += "<Name name=\"T" + std::to_string(t) + "\" type=\"sec:LNodeType\" changeto=\"R" +
                 std::to_string(t) + "\"/>\n";
    }
    // The first type holds as many DOs, and a node of it a DOI of each: the
    // pairs rename them too, carried into the DOIs.
    CBase_CimDoc& doc = app.m_Doc;
    const std::string domain = icd.sUri.substr(0, icd.sUri.find('#') + 1);
    std::vector<URI_Ref> typeList;
    app.DocMtd_get_Association_BUris(pkg, "sec:TypePackage.LNodeTypes", typeList, "", SortPolicy_ByName);
    URI_Ref ld, node;
    Check(doc.CreateResource(domain.c_str(), "sec:LDevice", ld, "LD1") &&
              doc.AddLink(ld, "sec:LDevice.Server", app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED/sec:IED.Servers")) &&
              doc.CreateResource(domain.c_str(), "sec:LNode", node, "GGIO1") &&
              doc.AddLink(node, "sec:LNode.LDevice", ld) && doc.AddLink(node, "sec:LNode.LNodeType", typeList.at(0)),
          "node");
    for (long d = 0; d < types; ++d) {
        URI_Ref dataObject, doi;
        Check(app.NewRsc_DO(&dataObject, typeList[0], ""), "DO");
        app.DocMtd_Modify_attribute_value(dataObject, "cim:Naming.name", "Ind" + Num(d));
        Check(doc.CreateResource(domain.c_str(), "sec:DOI", doi, "Ind" + Num(d)) && doc.AddLink(doi, "sec:DOI.LNode", node) &&
                  doc.AddLink(doi, "sec:DOI.DO", dataObject),
              "DOI");
        pairs += "<Name name=\"Ind" + std::to_string(d) + "\" type=\"sec:DO\" changeto=\"Sig" + std::to_string(d) +
                 "\"/>\n";
    }
    const std::string file = folder / ("names_" + std::to_string(types) + ".Name");
    std::ofstream(file, std::ios::binary) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                             "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><DataTypeTemplates>\n"
                                          << pairs << "</DataTypeTemplates></SCL>\n";
    CBase_XML names;
    Check(names.Load(file.c_str()), "load the name file");
    CKiln_Import imp;
    const double start = ThreadCpuSeconds();
    bool done = false;
    Counted([&] { done = imp.Replace_Names(&app, &names, CBase_XML(), pkg); });
    Result r;
    r.seconds = ThreadCpuSeconds() - start;
    std::vector<URI_Ref> renamed;
    app.DocMtd_get_Association_BUris(pkg, "sec:TypePackage.LNodeTypes", renamed, "", SortPolicy_ByName);
    for (const URI_Ref& t : renamed) r.lnodes += app.DocMtd_getValue_ofAttr(t, "cim:Naming.name").Left(1) == "R";
    std::vector<URI_Ref> dois;
    app.DocMtd_get_Association_BUris(node, "sec:LNode.DOIs", dois, "", SortPolicy_ByName);
    for (const URI_Ref& doi : dois) r.errors += app.DocMtd_getValue_ofAttr(doi, "cim:Naming.name").Left(3) != "Sig";
    r.errors += (dois.size() != static_cast<size_t>(types)) + (done ? 0 : 1);
    return r;
}

// One run in a child process, so that each run starts on a fresh heap; the
// result comes back through a pipe.
Result RunInChild(const std::function<Result()>& run) {
    int fds[2];
    Check(pipe(fds) == 0, "pipe");
    const pid_t pid = fork();
    Check(pid >= 0, "fork");
    if (pid == 0) {
        close(fds[0]);
        const Result r = run();
        const ssize_t n = write(fds[1], &r, sizeof r);
        _exit(n == static_cast<ssize_t>(sizeof r) ? 0 : 1);
    }
    close(fds[1]);
    Result r;
    const ssize_t n = read(fds[0], &r, sizeof r);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Check(n == static_cast<ssize_t>(sizeof r) && WIFEXITED(status) && WEXITSTATUS(status) == 0, "run");
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    QuietUi quiet;
    CUiServicesScope scope(&quiet);
    const bool phase = argc == 3 && std::strcmp(argv[1], "count") == 0;
    if (argc == 4 && std::strcmp(argv[1], "count") == 0 && std::strcmp(argv[2], "names") == 0) {
        const RunFolder folder("kiln_import_readers_bench");
        const long types = std::max(1L, std::atol(argv[3]));
        const Result r = RenameOnce(folder, types);
        return r.lnodes == static_cast<size_t>(types) && r.errors == 0 ? 0 : 1;
    }
    Args args("import_readers_bench", "SCL instance readers and path indexes, 1,000 and 2,000 nodes");
    const long long& runCount = args.Count("runs", 7);
    if (!phase)
        if (const int status = args.Read(argc, argv); status != Args::kGo) return status;
    const RunFolder folder("kiln_import_readers_bench");
    if (phase) {
        const long nodes = std::max(20L, std::atol(argv[2]));
        const std::string file = folder / "count.icd";
        std::ofstream(file, std::ios::binary) << MakeScl(nodes, "A");
        const Result r = RunOnce(file);
        return r.lnodes == static_cast<size_t>(nodes) && r.errors == 0 ? 0 : 1;
    }
    const int runs = static_cast<int>(runCount);
    const char* sizes = std::getenv("KILN_BENCH_NODES");
    std::vector<long> sizeList = {1000L, 2000L};
    if (sizes) sizeList = {std::atol(sizes), 2 * std::atol(sizes)};
    std::vector<std::string> files;
    for (long nodes : sizeList) {
        files.push_back(folder / ("nodes_" + std::to_string(nodes) + ".icd"));
        std::ofstream out(files.back(), std::ios::binary);
        out << MakeScl(nodes, "A");
    }
    // The sizes take turns, so that other work on the machine falls on both.
    std::vector<std::vector<double>> times(sizeList.size());
    std::vector<Result> last(sizeList.size());
    for (int i = 0; i < runs; ++i)
        for (size_t k = 0; k < sizeList.size(); ++k) {
            last[k] = RunInChild([&] { return RunOnce(files[k]); });
            times[k].push_back(last[k].seconds);
        }
    std::vector<double> best;
    bool clean = true;
    for (size_t k = 0; k < sizeList.size(); ++k) {
        // The best run is compared: other work on the machine only ever adds time.
        std::sort(times[k].begin(), times[k].end());
        best.push_back(times[k].front());
        const Result& r = last[k];
        std::printf(
            "%ld logical nodes: instance readers and indexes best %.3f s, median %.3f s CPU of %d runs; %zu nodes, "
            "%zu DA paths, %zu DO paths, %d errors, file %.1f MB\n",
            sizeList[k], times[k].front(), Median(times[k]), runs, r.lnodes, r.daPaths, r.doPaths,
            r.errors, std::filesystem::file_size(files[k]) / 1e6);
        clean = clean && r.lnodes == static_cast<size_t>(sizeList[k]) && r.errors == 0;
    }
    if (!clean) {
        std::fprintf(stderr, "the import is not clean\n");
        return 1;
    }
    Verdict("twice the nodes", 2.2, best[0], best[1], "count " + std::to_string(sizeList[0]),
            "count " + std::to_string(sizeList[1]));

    // The name replacement: each size's best run, the sizes taking turns.
    constexpr long kTypes = 5000;
    std::vector<std::vector<double>> renames(2);
    for (int i = 0; i < runs; ++i)
        for (long k = 0; k < 2; ++k) {
            const Result r = RunInChild([&] { return RenameOnce(folder, kTypes << k); });
            Require(r.lnodes == static_cast<size_t>(kTypes << k) && r.errors == 0, "every LN type renamed");
            renames[static_cast<size_t>(k)].push_back(r.seconds);
        }
    for (auto& t : renames) std::sort(t.begin(), t.end());
    std::printf("name replacement of %ld LN types best %.3f s, of %ld best %.3f s CPU of %d runs\n", kTypes,
                renames[0].front(), 2 * kTypes, renames[1].front(), runs);
    Verdict("name replacement of twice the LN types", 2.3, renames[0].front(), renames[1].front(),
            "count names " + std::to_string(kTypes), "count names " + std::to_string(2 * kTypes));
    return Finish();
}
