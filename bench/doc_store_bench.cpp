// Document store benchmark: builds a document of about one million
// resources (a standard package with LN, DO and DA types, ten ICD domains
// with logical devices, nodes, DOIs, DAIs, data sets), runs sorted
// association and path queries, saves it, then in fresh processes parses
// the saved files with bare pugixml and opens the document again.
//
// Opening may cost at most three times the bare parse: by the instructions
// of the two phases where valgrind runs, else by their times.
//
//   doc_store_bench [folder]          the whole run, in a folder of its own
//                                     made under `folder` (default: $TMPDIR)
//   doc_store_bench parse <doc>       bare pugixml parse of a saved document
//   doc_store_bench open <doc>        open a saved document
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "bench/bench_util.h"
#include "platform/framework/cim_schema.h"
#include "platform/framework/doc_services.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

long PeakMb() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024;
}

void Check(bool ok, const char* what, CDocServices& s) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s: %s\n", what, s.LastDocError().GetString());
    std::exit(1);
}

CString Num(int n) {
    CString t;
    t.Format("%d", n);
    return t;
}

struct Model {
    URI_Ref bigLD;          // an LDevice with 10,000 logical nodes
    URI_Ref smallLD;        // an ordinary LDevice (100 nodes)
    URI_Ref pkg;
    int resources = 0;
};

// Creates `cls` named `name` with order `ord` in `dom`, linked to `parent` by `role`.
URI_Ref Add(CDocServices& s, const CString& dom, const char* cls, const CString& name, int ord, const char* role,
            const URI_Ref& parent) {
    URI_Ref r;
    Check(s.DocMtd_create_a_Rsc(dom, cls, r, name), "create", s);
    if (ord > 0) Check(s.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", Num(ord)), "ord", s);
    if (role) Check(s.DocMtd_add_Association(r, role, parent), role, s);
    return r;
}

Model Build(CDocServices& s) {
    Model m;
    const CString fc = CString(kiln::cim::kModelNamespace) + "#FCType.";
    URI_Ref type;
    Check(s.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type), "type", s);
    CString std = "kiln.std#";
    Check(s.Proc_Create_a_Domain_byType(std, type, "标准定义", DomainTypeDfn()), "domain", s);
    m.pkg = Add(s, std, "sec:TypePackage", "IEC61850", 0, nullptr, URI_Ref());
    s.DocMtd_Modify_attribute_value(m.pkg, "sec:TypePackage.ref", "http://www.iec.ch/61850/2003");

    // Types: 40 DA types of 6 members, 120 DO types of 8 DAs, 200 LN types of 15 DOs.
    std::vector<URI_Ref> daTypes, doTypes, lnTypes;
    std::vector<std::vector<URI_Ref>> das(120);
    std::vector<std::vector<URI_Ref>> dos(200);
    for (int i = 0; i < 40; ++i) {
        URI_Ref t = Add(s, std, "sec:DAType", "DAType_" + Num(i), i + 1, "sec:DAType.TypePackage", m.pkg);
        for (int k = 0; k < 6; ++k) Add(s, std, "sec:BDA", "b" + Num(k), k + 1, "sec:BDA.MemberOf_DAType", t);
        daTypes.push_back(t);
    }
    for (int i = 0; i < 120; ++i) {
        URI_Ref t = Add(s, std, "sec:DOType", "DOType_" + Num(i), i + 1, "sec:DOType.TypePackage", m.pkg);
        for (int k = 0; k < 8; ++k) {
            URI_Ref da = Add(s, std, "sec:DA", "da" + Num(k), k + 1, "sec:DA.MemberOf_DOType", t);
            s.DocMtd_Modify_attribute_value(da, "sec:DA.fc_0", fc + (k % 2 ? "ST" : "MX"));
            if (k == 7) s.DocMtd_add_Association(da, "sec:BDA.DefinedBy_Struct", daTypes[static_cast<size_t>(i % 40)]);
            das[static_cast<size_t>(i)].push_back(da);
        }
        doTypes.push_back(t);
    }
    for (int i = 0; i < 200; ++i) {
        URI_Ref t = Add(s, std, "sec:LNodeType", "LNType_" + Num(i), i + 1, "sec:LNodeType.TypePackage", m.pkg);
        for (int k = 0; k < 15; ++k) {
            URI_Ref d = Add(s, std, "sec:DO", "DO_" + Num(k), k + 1, "sec:DO.LNodeType", t);
            s.DocMtd_add_Association(d, "sec:DO.DefinedBy_DOType", doTypes[static_cast<size_t>((i + k) % 120)]);
            dos[static_cast<size_t>(i)].push_back(d);
        }
        lnTypes.push_back(t);
    }

    // Ten ICD domains; ICD 0 holds the big logical device.
    Check(s.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", type), "type", s);
    const char* classes[] = {"PTOC", "GGIO", "MMXU", "XCBR", "CSWI", "保护", "测量"};
    for (int icdNo = 0; icdNo < 10; ++icdNo) {
        CString dom = "kiln.icd" + Num(icdNo) + "#";
        Check(s.Proc_Create_a_Domain_byType(dom, type, "ICD", DomainTypeDfn()), "domain", s);
        URI_Ref icd = Add(s, dom, "sec:ICD", "ICD_" + Num(icdNo), 0, nullptr, URI_Ref());
        URI_Ref ied = Add(s, dom, "sec:IED", "TEMPLATE", 0, "sec:IED.ICD", icd);
        URI_Ref server = Add(s, dom, "sec:Server", "IED_Server", 0, "sec:Server.IED", ied);
        int lds = icdNo == 0 ? 11 : 21;
        for (int l = 0; l < lds; ++l) {
            URI_Ref ld = Add(s, dom, "sec:LDevice", "LD_" + Num(l), l + 1, "sec:LDevice.Server", server);
            bool big = icdNo == 0 && l == 0;
            int lns = big ? 10000 : 100;
            if (big) m.bigLD = ld;
            if (icdNo == 1 && l == 0) m.smallLD = ld;
            URI_Ref ds = Add(s, dom, "sec:DataSet", "dsAll", 1, nullptr, URI_Ref());
            std::vector<URI_Ref> nodes;
            for (int n = 0; n < lns; ++n) {
                // Order numbers run backwards so that sorting has work to do.
                int ord = lns - n;
                const char* cls = classes[n % 7];
                URI_Ref ln = Add(s, dom, "sec:LNode", CString(cls) + Num(n), ord, "sec:LNode.LDevice", ld);
                s.DocMtd_Modify_attribute_value(ln, "sec:LNode.lnClass", cls);
                s.DocMtd_Modify_attribute_value(ln, "sec:LNode.lnInst", Num(n + 1));
                int t = (n * 7 + l) % 200;
                s.DocMtd_add_Association(ln, "sec:LNode.LNodeType", lnTypes[static_cast<size_t>(t)]);
                nodes.push_back(ln);
                // Big-LD nodes are lean; ordinary ones carry DOIs and DAIs.
                int dois = big ? 1 : 8;
                for (int d = 0; d < dois; ++d) {
                    const URI_Ref& dobj = dos[static_cast<size_t>(t)][static_cast<size_t>(d)];
                    URI_Ref doi = Add(s, dom, "sec:DOI", "DO_" + Num(d), d + 1, "sec:DOI.LNode", ln);
                    s.DocMtd_add_Association(doi, "sec:DOI.DO", dobj);
                    int dai = big ? 1 : 5;
                    const auto& members = das[static_cast<size_t>((t + d) % 120)];
                    for (int a = 0; a < dai; ++a) {
                        URI_Ref r = Add(s, dom, "sec:DAI", "da" + Num(a), a + 1, "sec:DAI.DOI", doi);
                        s.DocMtd_add_Association(r, "sec:DAI.BDA", members[static_cast<size_t>(a)]);
                        if (a == 0) s.DocMtd_Modify_attribute_value(r, "sec:DAI.valueStr", "描述 " + Num(n));
                    }
                }
            }
            s.DocMtd_add_Association(ds, "sec:DataSet.LNode", nodes[0]);
            for (int f = 0; f < 20; ++f) {
                URI_Ref fcda = Add(s, dom, "sec:FCDA", "FCDA_" + Num(f), f + 1, "sec:FCDA.DataSet", ds);
                s.DocMtd_add_Association(fcda, "sec:DARef.LNode", nodes[static_cast<size_t>(f * 3 % lns)]);
                s.DocMtd_Modify_attribute_value(fcda, "sec:DARef.doName", "Mod");
            }
        }
    }
    m.resources = s.m_Doc.ResourceCount();
    return m;
}

// Average time of `reps` runs of `q`, in milliseconds.
template <typename Q>
double TimeMs(int reps, Q q) {
    auto t = Clock::now();
    for (int i = 0; i < reps; ++i) q();
    return Seconds(t) * 1000.0 / reps;
}

int ParsePhase(const std::string& dir) {
    std::vector<std::filesystem::path> files;
    for (auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".xml") files.push_back(e.path());
    auto t = Clock::now();
    size_t bytes = 0;
    bool parsed = true;
    kiln::bench::Counted([&] {
        for (const auto& file : files) {
            pugi::xml_document doc;
            parsed = parsed && doc.load_file(file.c_str());
        }
    });
    if (!parsed) return 1;
    for (const auto& file : files) bytes += std::filesystem::file_size(file);
    std::printf("%.3f %ld %zu\n", Seconds(t), PeakMb(), bytes);
    return 0;
}

int OpenPhase(const std::string& dir) {
    auto t = Clock::now();
    CDocServices s;
    bool opened = false;
    kiln::bench::Counted([&] { opened = s.m_Doc.Open(CString(dir)); });
    if (!opened) {
        std::fprintf(stderr, "open failed: %s\n", s.LastDocError().GetString());
        return 1;
    }
    std::printf("%.3f %ld %d\n", Seconds(t), PeakMb(), s.m_Doc.ResourceCount());
    return 0;
}

// Runs this program with a phase argument and reads its one line of figures.
bool RunPhase(const char* phase, const std::string& dir, double& secs, long& mb, long long& extra) {
    std::string cmd = "/proc/self/exe";
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n > 0) cmd.assign(exe, static_cast<size_t>(n));
    std::string line = "'" + cmd + "' " + phase + " '" + dir + "'";
    FILE* p = popen(line.c_str(), "r");
    if (!p) return false;
    int got = std::fscanf(p, "%lf %ld %lld", &secs, &mb, &extra);
    return pclose(p) == 0 && got == 3;
}

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "parse") == 0) return ParsePhase(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "open") == 0) return OpenPhase(argv[2]);
    kiln::bench::Args args("doc_store_bench", "a document of a million resources: queries, save, open");
    const std::string& base = args.Text("folder");
    if (const int status = args.Read(argc, argv); status != kiln::bench::Args::kGo) return status;
    const kiln::bench::RunFolder folder("kiln_doc_bench", base);
    const std::string dir = folder / "document";

    auto t = Clock::now();
    auto svc = std::make_unique<CDocServices>();
    CDocServices& s = *svc;
    Model m = Build(s);
    double build = Seconds(t);
    std::printf("build: %d resources in %.2f s, peak %ld MB\n", m.resources, build, PeakMb());

    std::vector<URI_Ref> out;
    URI_Ref last;
    double ordBig = TimeMs(50, [&] {
        s.DocMtd_get_Association_BUris(m.bigLD, "sec:LDevice.LNodes", out, "e301:OrdNaming.ord", SortPolicy_ByOrd);
    });
    size_t bigCount = out.size();
    double nameBig = TimeMs(20, [&] {
        s.DocMtd_get_Association_BUris(m.bigLD, "sec:LDevice.LNodes", out, "cim:Naming.name", SortPolicy_ByName);
    });
    double ordSmall = TimeMs(2000, [&] {
        s.DocMtd_get_Association_BUris(m.smallLD, "sec:LDevice.LNodes", out, "e301:OrdNaming.ord", SortPolicy_ByOrd);
    });
    size_t smallCount = out.size();
    double pathSmall = TimeMs(200, [&] {
        s.DocMtd_get_descendent_BUris(m.smallLD, "sec:LDevice.LNodes/sec:LNode.DOIs/sec:DOI.DAIs", out, last,
                                      "cim:Naming.name", SortPolicy_ByName);
    });
    size_t pathCount = out.size();
    double pathTypes = TimeMs(20, [&] {
        s.DocMtd_get_descendent_BUris(m.bigLD, "sec:LDevice.LNodes/sec:LNode.LNodeType", out, last,
                                      "e301:OrdNaming.ord", SortPolicy_ByOrd);
    });
    size_t typeCount = out.size();
    double byClass = TimeMs(20, [&] {
        s.DocMtd_get_Uris_byClassName("sec:LNodeType", out, "cim:Naming.name", SortPolicy_ByName);
    });
    std::printf("query: %zu members by ord %.3f ms, by name %.3f ms; %zu members by ord %.4f ms\n", bigCount, ordBig,
                nameBig, smallCount, ordSmall);
    std::printf("query: path LD/LNodes/DOIs/DAIs (%zu) by name %.3f ms; path to types of 10,000 nodes (%zu) %.3f ms; "
                "class sec:LNodeType (200 of 1M) %.3f ms\n",
                pathCount, pathSmall, typeCount, pathTypes, byClass);

    t = Clock::now();
    if (!s.m_Doc.Save(CString(dir))) {
        std::fprintf(stderr, "save failed: %s\n", s.LastDocError().GetString());
        return 1;
    }
    const double fullSave = Seconds(t);
    std::printf("save: %.2f s, peak %ld MB\n", fullSave, PeakMb());

    // A change to the small standard package: only its file and the manifest
    // are written. A save without changes writes nothing at all.
    // The median of five such saves: a save that writes little is ruled by
    // the disk's sync time, which varies from call to call.
    std::vector<double> smallSaves;
    for (int k = 0; k < 5; ++k) {
        s.DocMtd_Modify_attribute_value(m.pkg, "cim:Naming.description", CString("changed ") + Num(k));
        t = Clock::now();
        if (!s.m_Doc.Save()) {
            std::fprintf(stderr, "save failed: %s\n", s.LastDocError().GetString());
            return 1;
        }
        smallSaves.push_back(Seconds(t));
    }
    std::sort(smallSaves.begin(), smallSaves.end());
    const double smallSave = smallSaves[2];
    t = Clock::now();
    s.m_Doc.Save();
    const double noSave = Seconds(t);
    const bool smallOk = smallSave <= 0.05 * fullSave;
    std::printf("save after a change to the standard package (median of 5): %.3f s = %.1f%% of the full save (limit 5%%); "
                "a save without changes %.3f s\n",
                smallSave, 100.0 * smallSave / fullSave, noSave);
    svc.reset();

    double parseSecs = 0, openSecs = 0;
    long parseMb = 0, openMb = 0;
    long long bytes = 0, reopened = 0;
    if (!RunPhase("parse", dir, parseSecs, parseMb, bytes) || !RunPhase("open", dir, openSecs, openMb, reopened)) {
        std::fprintf(stderr, "a phase failed\n");
        return 1;
    }
    std::printf("bare pugixml parse of %.1f MB: %.2f s, peak %ld MB\n", bytes / 1048576.0, parseSecs, parseMb);
    std::printf("open: %lld resources in %.2f s, peak %ld MB\n", reopened, openSecs, openMb);
    kiln::bench::Verdict("open against a bare parse", 3, parseSecs, openSecs, "parse '" + dir + "'",
                         "open '" + dir + "'");
    kiln::bench::Require(reopened == m.resources, "every resource opened again");
    kiln::bench::Require(smallOk, "a save after a small change within 5% of a full save");
    return kiln::bench::Finish();
}
