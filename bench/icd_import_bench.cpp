// ICD import benchmark: script-made ICDs of about 5 and 10 MB (UTF-8, and
// the 10 MB one also declared and written in GB2312) imported whole by the
// ICD worker into a fresh document, against a bare pugixml parse of the same
// file. Prints CPU times, the ratio to the bare parse and the ratio of the
// two sizes (target at most 2.2), and the peak resident memory of each run.
//
// The floor is what the platform itself costs: the bare parse plus building
// the same resources (classes, names, values, links) straight through the
// document store, in a process of its own. The import run writes down what it
// made; the floor run reads that in before its clock starts. Memory is
// compared as growth over each run's starting point: the import's peak
// against the parsed file plus the store's footprint for those resources.
//
// Values: an ICD with one DAI of N values (300,000) against one with N DAIs
// of one value each, at most 3 times its cost; a type file whose DA holds
// N/10 and N/5 values through the type-package and the LN type import, the
// double count at most 2.2 times.
//
// The verdicts (import against the floor at most 2, the double size at most
// 2.2, the values' as above) rest on the instructions of one run of each
// phase where valgrind runs, else on the times. The files go into a folder
// of the run's own.
//
//   icd_import_bench [--times] [nodes=10000] [runs=1] [values=300000]   (the
//   second size is twice the first; times are medians of the runs)
//   icd_import_bench count import|floor|types|lntypes FILE   one run of a
//   phase, counted
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <pugixml.hpp>

#include "bench/bench_util.h"
#include "bench/import_bench_model.h"
#include "core/kiln_main.h"
#include "import/kiln_import.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

using namespace kiln::bench;

namespace {

// The status line of an import is shown on every node; a host would not
// print it, so the benchmark shows nothing. The last message is kept.
class QuietUi : public kiln::bench::BenchUi {
public:
    int MessageBox(Enum_UiCall, const CString& text, UINT, const CString&) override {
        last = text;
        return IDNO;
    }
    CString last;
    // The dependency question keeps its preset (the standard package).
    bool InputBox(const CString&, CString&, const Struct_EditPack*, bool) override { return true; }
};

struct Result {
    double parse = 0, import = 0;
    long peakKb = 0;
    long growthKb = 0;  // peak over the memory before the file was loaded
    int errors = 0, warnings = 0;
    size_t lnodes = 0, values = 0;
};

struct FloorResult {
    double parse = 0, build = 0;
    long parsedKb = 0, storeKb = 0;  // memory growth of the parse, then of the build
    size_t resources = 0, values = 0, links = 0;
};

long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What an import made, in creation order by class: resources with their
// values, links among them and to resources that were there before
// ("outside", numbered after the made ones).
struct Script {
    struct Made {
        std::string cls, name;
        std::vector<std::pair<std::string, std::string>> values;
    };
    std::vector<Made> made;
    std::vector<std::string> outsideClasses;
    struct Link {
        uint32_t from;
        std::string role;
        uint32_t to;
    };
    std::vector<Link> links;
};

void Put(std::ofstream& out, const std::string& text) {
    const uint32_t n = static_cast<uint32_t>(text.size());
    out.write(reinterpret_cast<const char*>(&n), sizeof n);
    out.write(text.data(), n);
}
void Put(std::ofstream& out, uint32_t n) { out.write(reinterpret_cast<const char*>(&n), sizeof n); }
uint32_t GetNumber(std::ifstream& in) {
    uint32_t n = 0;
    in.read(reinterpret_cast<char*>(&n), sizeof n);
    return n;
}
std::string GetText(std::ifstream& in) {
    std::string text(GetNumber(in), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    return text;
}

void WriteScript(const Script& s, const std::string& file) {
    std::ofstream out(file, std::ios::binary);
    Put(out, static_cast<uint32_t>(s.made.size()));
    for (const Script::Made& m : s.made) {
        Put(out, m.cls);
        Put(out, m.name);
        Put(out, static_cast<uint32_t>(m.values.size()));
        for (const auto& [role, value] : m.values) {
            Put(out, role);
            Put(out, value);
        }
    }
    Put(out, static_cast<uint32_t>(s.outsideClasses.size()));
    for (const std::string& c : s.outsideClasses) Put(out, c);
    Put(out, static_cast<uint32_t>(s.links.size()));
    for (const Script::Link& l : s.links) {
        Put(out, l.from);
        Put(out, l.role);
        Put(out, l.to);
    }
    Check(out.good(), "script written");
}

Script ReadScript(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    Script s;
    s.made.resize(GetNumber(in));
    for (Script::Made& m : s.made) {
        m.cls = GetText(in);
        m.name = GetText(in);
        m.values.resize(GetNumber(in));
        for (auto& [role, value] : m.values) {
            role = GetText(in);
            value = GetText(in);
        }
    }
    s.outsideClasses.resize(GetNumber(in));
    for (std::string& c : s.outsideClasses) c = GetText(in);
    s.links.resize(GetNumber(in));
    for (Script::Link& l : s.links) {
        l.from = GetNumber(in);
        l.role = GetText(in);
        l.to = GetNumber(in);
    }
    Check(in.good(), "script read");
    return s;
}

// The number of values (of DAIs, DAs and BDAs) the document holds.
size_t ValueCount(const CBase_CimDoc& doc) {
    std::vector<URI_Ref> list;
    Check(doc.ByClass("sec:Val", list, "", 0), "class query");
    return list.size();
}

// The identifiers of every live resource of the document.
std::set<std::string> AllResources(const CBase_CimDoc& doc) {
    std::set<std::string> all;
    const kiln::cim::CCimSchema& sc = *doc.Schema();
    std::vector<URI_Ref> list;
    for (int c = 0; c < sc.ClassCount(); ++c) {
        Check(doc.ByClass(sc.Class(c).name, list, "", 0), "class query");
        for (const URI_Ref& r : list) all.insert(r.sUri);
    }
    return all;
}

// Everything made since `before`: each link once, from the end whose role
// has the lower id (or the only named end, or the made end).
Script RecordMade(const CBase_CimDoc& doc, const std::set<std::string>& before) {
    const kiln::cim::CCimSchema& sc = *doc.Schema();
    Script s;
    std::vector<URI_Ref> made;
    std::map<std::string, uint32_t> madeAt, outsideAt;
    std::vector<URI_Ref> list;
    for (int c = 0; c < sc.ClassCount(); ++c) {
        Check(doc.ByClass(sc.Class(c).name, list, "", 0), "class query");
        for (const URI_Ref& r : list) {
            if (before.count(r.sUri)) continue;
            madeAt[r.sUri] = static_cast<uint32_t>(made.size());
            made.push_back(r);
        }
    }
    s.made.resize(made.size());
    std::vector<std::pair<uint32_t, std::string>> pending;  // links to resources from before
    for (size_t i = 0; i < made.size(); ++i) {
        Script::Made& m = s.made[i];
        m.cls = made[i].sClass;
        CString value;
        Check(doc.GetAttribute(made[i], "cim:Naming.name", value), "name");
        m.name = value.str();
        for (int k = sc.ClassId(m.cls); k >= 0; k = sc.Class(k).base) {
            for (int r : sc.Class(k).roles) {
                const kiln::cim::RoleInfo& role = sc.Role(r);
                if (role.name.empty()) continue;
                if (role.kind == kiln::cim::RoleKind::Attribute) {
                    Check(doc.GetAttribute(made[i], role.name, value), "value");
                    if (!value.IsEmpty() && role.name != "cim:Naming.name") m.values.emplace_back(role.name, value.str());
                    continue;
                }
                Check(doc.Targets(made[i], role.name, list, "", 0), "targets");
                const bool otherEndNamed = !sc.Role(role.reverse).name.empty();
                for (const URI_Ref& t : list) {
                    auto at = madeAt.find(t.sUri);
                    if (at != madeAt.end()) {
                        if (otherEndNamed && role.reverse < r) continue;
                        s.links.push_back({static_cast<uint32_t>(i), role.name, at->second});
                        continue;
                    }
                    auto [out, added] = outsideAt.emplace(t.sUri, static_cast<uint32_t>(s.outsideClasses.size()));
                    if (added) s.outsideClasses.push_back(t.sClass);
                    s.links.push_back({static_cast<uint32_t>(i), role.name,
                                       static_cast<uint32_t>(made.size()) + out->second});
                }
            }
        }
    }
    return s;
}

// The import report as the report template gives it.
void MakeReport(CBase_XML& report) {
    report.AddNewNode_withAttrs(report.GetDocument(), "Report", CStringArray());
    XmlNode root = report.GetDocumentElement();
    XmlNode icdNode = root.AppendChild("ICD");
    for (const char* c : {"LNodes", "LDevices", "LNodeTypes", "DOTypes", "DATypes", "DOs", "DAs", "BDAs", "DOIs", "DAIs"})
        icdNode.AppendChild(c);
    root.AppendChild("other_errors");
}

// One run in a fresh process: the bare parse, then the whole ICD import.
Result RunOnce(const std::string& file) {
    Result r;
    {
        const double t0 = ThreadCpuSeconds();
        pugi::xml_document bare;
        Check(bare.load_file(file.c_str()), "bare parse");
        r.parse = ThreadCpuSeconds() - t0;
    }
    QuietUi quiet;
    CUiServicesScope scope(&quiet);
    CKiln_Main app;
    BuildStandard(app);
    URI_Ref icd;
    CBase_CimDoc& doc = app.m_Doc;
    const URI_Ref product = AddProduct(doc);

    CBase_XML report;
    MakeReport(report);

    const std::set<std::string> before = AllResources(doc);
    const long startKb = ResidentKb();
    CKiln_Import imp;
    const double t0 = ThreadCpuSeconds();
    Counted([&] {
        CBase_XML scl;
        Check(scl.Load(file.c_str()), "load");
        Check(imp.Import_ICD(&icd, &app, &scl, URI_Ref(), report, false, product), "import");
    });
    r.import = ThreadCpuSeconds() - t0;
    r.errors = imp.m_nErrors;
    r.warnings = imp.m_nWarnings;
    r.lnodes = imp.m_mapInstLNodes.size();
    r.values = ValueCount(doc);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    r.peakKb = usage.ru_maxrss;
    r.growthKb = usage.ru_maxrss - startKb;
    WriteScript(RecordMade(doc, before), file + ".made");
    return r;
}

// The floor: the bare parse of the file, then the resources the import made
// built straight through the store (the resources it linked to that were
// there before are made first, off the clock).
FloorResult RunFloor(const std::string& file) {
    FloorResult f;
    const Script s = ReadScript(file + ".made");
    CBase_CimDoc doc;
    doc.SetDomainPrefixDefault("kiln");
    URI_Ref type;
    Check(doc.FindDomainType("二次模型装置ICD包", type), "domain type");
    const CString domain = "kiln.floor#";
    Check(doc.CreateDomain(domain, type, "floor", true), "floor domain");
    std::vector<URI_Ref> handles(s.made.size() + s.outsideClasses.size());
    for (size_t k = 0; k < s.outsideClasses.size(); ++k)
        Check(doc.CreateResource(domain, s.outsideClasses[k], handles[s.made.size() + k], ""), "outside resource");
    const long startKb = ResidentKb();
    long parsedKb = 0;
    pugi::xml_document parsed;
    Counted([&] {
        double t0 = ThreadCpuSeconds();
        Check(parsed.load_file(file.c_str()), "bare parse");
        f.parse = ThreadCpuSeconds() - t0;
        parsedKb = ResidentKb();
        t0 = ThreadCpuSeconds();
        for (size_t i = 0; i < s.made.size(); ++i)
            Check(doc.CreateResource(domain, s.made[i].cls, handles[i], s.made[i].name), "create");
        for (size_t i = 0; i < s.made.size(); ++i)
            for (const auto& [role, value] : s.made[i].values)
                Check(doc.SetAttribute(handles[i], role, value), "value");
        for (const Script::Link& l : s.links) Check(doc.AddLink(handles[l.from], l.role, handles[l.to]), "link");
        f.build = ThreadCpuSeconds() - t0;
    });
    f.parsedKb = parsedKb - startKb;
    f.storeKb = ResidentKb() - parsedKb;
    f.resources = s.made.size();
    for (const Script::Made& m : s.made) f.values += m.values.size();
    f.links = s.links.size();
    return f;
}

// One run of a type file's import in a fresh process, counted: the
// type-package import (a new package of the file), or with `lnodeTypes` the
// LN type import into an instance package of the document.
struct TypesResult {
    double seconds = 0;
    int errors = 0;
    size_t values = 0;
    bool done = false;
};

TypesResult RunTypes(const std::string& file, bool lnodeTypes) {
    TypesResult r;
    QuietUi quiet;
    CUiServicesScope scope(&quiet);
    CKiln_Main app;
    BuildStandard(app);
    URI_Ref pkg;
    if (lnodeTypes) Check(app.NewRsc_TypePackage(&pkg, "P1", true, URI_Ref()), "instance package");
    CBase_XML report;
    MakeReport(report);
    CKiln_Import imp;
    const double t0 = ThreadCpuSeconds();
    Counted([&] {
        CBase_XML types;
        Check(types.Load(file.c_str()), "load");
        r.done = lnodeTypes ? imp.Import_LNodeTypeFile(&app, &types, report, pkg)
                            : imp.Import_TypePackageFile(&app, &types, report);
    });
    r.seconds = ThreadCpuSeconds() - t0;
    r.errors = imp.m_nErrors;
    r.values = ValueCount(app.m_Doc);
    return r;
}
TypesResult RunTypePackage(const std::string& file) { return RunTypes(file, false); }
TypesResult RunLNodeTypes(const std::string& file) { return RunTypes(file, true); }

// The values cases' templates: a node type of 100 DOs of the type holding
// the valued attribute dU.
std::string ValueTemplates() {
    std::string t = "<LNodeType id=\"VAL_T\" lnClass=\"GGIO\">";
    for (int d = 1; d <= 100; ++d) t += "<DO name=\"Ind" + std::to_string(d) + "\" type=\"SPS_T\"/>";
    return t + "</LNodeType>" + kTemplates;
}

// An ICD holding `values` values of DAIs: all in one DAI (`oneDai`), or one
// to a DAI, a DAI to a DOI, 100 DOIs to a node, 20 nodes to a device.
std::string MakeValuesScl(long values, bool oneDai) {
    const long perNode = oneDai ? values : 100, perLD = 20;
    const long nodes = (values + perNode - 1) / perNode;
    std::string ied = "<IED name=\"V\" type=\"T\"><AccessPoint name=\"S1\"><Server>";
    long made = 0;
    for (long ld = 0; ld * perLD < nodes; ++ld) {
        ied += "<LDevice inst=\"LD" + std::to_string(ld) + "\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"LLN0_T\"/>";
        for (long n = 1; n <= perLD && made < values; ++n) {
            ied += "<LN lnClass=\"GGIO\" inst=\"" + std::to_string(n) + "\" lnType=\"VAL_T\">";
            if (oneDai) {
                ied += "<DOI name=\"Ind1\"><DAI name=\"dU\">";
                for (; made < values; ++made) ied += "<Val>v" + std::to_string(made) + "</Val>";
                ied += "</DAI></DOI>";
            }
            for (long d = 1; !oneDai && d <= perNode && made < values; ++d, ++made)
                ied += "<DOI name=\"Ind" + std::to_string(d) + "\"><DAI name=\"dU\"><Val>v" + std::to_string(made) +
                       "</Val></DAI></DOI>";
            ied += "</LN>";
        }
        ied += "</LDevice>";
    }
    ied += "</Server></AccessPoint></IED>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">"
           "<Header id=\"H\"/>" +
           ied + "<DataTypeTemplates>" + ValueTemplates() + "</DataTypeTemplates></SCL>";
}

// A type file whose DO type V_T (of a node type VAL_T) has a DA holding
// `values` values.
std::string MakeValuesTypes(long values) {
    std::string da = "<DA name=\"dU\" fc=\"DC\" bType=\"Unicode255\">";
    for (long v = 0; v < values; ++v) da += "<Val>v" + std::to_string(v) + "</Val>";
    da += "</DA>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">"
           "<Header id=\"VT\"/><DataTypeTemplates><LNodeType id=\"VAL_T\" lnClass=\"GGIO\"><DO name=\"Ind1\" "
           "type=\"V_T\"/></LNodeType><DOType id=\"V_T\" cdc=\"SPS\"><DA name=\"stVal\" fc=\"ST\" "
           "bType=\"BOOLEAN\"/>" +
           da + "</DOType></DataTypeTemplates></SCL>";
}

template <typename R, typename Run>
R RunInChild(const std::string& file, Run run) {
    int fds[2];
    Check(pipe(fds) == 0, "pipe");
    const pid_t pid = fork();
    Check(pid >= 0, "fork");
    if (pid == 0) {
        close(fds[0]);
        const R r = run(file);
        const ssize_t n = write(fds[1], &r, sizeof r);
        _exit(n == static_cast<ssize_t>(sizeof r) ? 0 : 1);
    }
    close(fds[1]);
    R r;
    const ssize_t n = read(fds[0], &r, sizeof r);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Check(n == static_cast<ssize_t>(sizeof r) && WIFEXITED(status) && WEXITSTATUS(status) == 0, "run");
    return r;
}

// The text in GB2312 with its declaration changed.
std::string ToGb2312(std::string text) {
    text.replace(text.find("UTF-8"), 5, "GB2312");
    iconv_t cd = iconv_open("GB2312", "UTF-8");
    Check(cd != reinterpret_cast<iconv_t>(-1), "iconv");
    std::string out(text.size() * 2 + 16, '\0');
    char* in = text.data();
    size_t inLeft = text.size();
    char* o = out.data();
    size_t outLeft = out.size();
    Check(iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<size_t>(-1), "convert");
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "count") == 0) {
        if (std::strcmp(argv[2], "import") == 0) RunOnce(argv[3]);
        else if (std::strcmp(argv[2], "floor") == 0) RunFloor(argv[3]);
        else if (std::strcmp(argv[2], "types") == 0) return RunTypePackage(argv[3]).done ? 0 : 1;
        else if (std::strcmp(argv[2], "lntypes") == 0) return RunLNodeTypes(argv[3]).done ? 0 : 1;
        else return 2;
        return 0;
    }
    Args args("icd_import_bench", "ICD import of about 5 and 10 MB against a bare parse and its floor");
    const long long& nodeCount = args.Count("nodes", 10000, 100);
    const long long& runCount = args.Count("runs", 1);
    const long long& valueCount = args.Count("values", 300000, 1000);
    if (const int status = args.Read(argc, argv); status != Args::kGo) return status;
    const long nodes = static_cast<long>(nodeCount), runs = static_cast<long>(runCount);
    const RunFolder folder("kiln_icd_import_bench");
    struct Case {
        std::string label, file;
    };
    std::vector<Case> cases;
    for (long n : {nodes, 2 * nodes}) {
        const std::string text = MakeScl(n, "B");
        cases.push_back({std::to_string(n) + " nodes UTF-8",
                         folder / ("nodes_" + std::to_string(n) + ".icd")});
        std::ofstream(cases.back().file, std::ios::binary) << text;
        if (n == 2 * nodes) {
            cases.push_back({std::to_string(n) + " nodes GB2312",
                             folder / ("gb_nodes_" + std::to_string(n) + ".icd")});
            std::ofstream(cases.back().file, std::ios::binary) << ToGb2312(text);
        }
    }
    // Each case `runs` times, import and floor runs taking turns; the times
    // are the medians, memory and counts those of the last runs.
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::vector<Result> results;
    for (const Case& c : cases) {
        std::vector<double> imports, parses, floorParses, builds, floors;
        Result r;
        FloorResult f;
        for (long k = 0; k < runs; ++k) {
            r = RunInChild<Result>(c.file, RunOnce);
            f = RunInChild<FloorResult>(c.file, RunFloor);
            imports.push_back(r.import);
            parses.push_back(r.parse);
            floorParses.push_back(f.parse);
            builds.push_back(f.build);
            floors.push_back(f.parse + f.build);
        }
        r.import = median(imports);
        r.parse = median(parses);
        f.parse = median(floorParses);
        f.build = median(builds);
        const double floor = median(floors);
        results.push_back(r);
        std::printf("%s: file %.1f MB, import %.2f s CPU, bare parse %.2f s, ratio %.1f, peak %.0f MB, %zu nodes, "
                    "%d errors, %d warnings\n",
                    c.label.c_str(), std::filesystem::file_size(c.file) / 1e6, r.import, r.parse, r.import / r.parse,
                    r.peakKb / 1024.0, r.lnodes, r.errors, r.warnings);
        std::printf("  floor: parse %.2f s + store %.2f s (%zu resources, %zu values, %zu links) = %.2f s; import/floor "
                    "%.2f\n",
                    f.parse, f.build, f.resources, f.values, f.links, floor, r.import / floor);
        std::printf("  memory: import peak growth %.0f MB; parsed file %.0f MB + store %.0f MB = %.0f MB; ratio %.2f "
                    "(target at most 1.5)\n",
                    r.growthKb / 1024.0, f.parsedKb / 1024.0, f.storeKb / 1024.0, (f.parsedKb + f.storeKb) / 1024.0,
                    static_cast<double>(r.growthKb) / static_cast<double>(f.parsedKb + f.storeKb));
        Require(r.growthKb <= 1.5 * static_cast<double>(f.parsedKb + f.storeKb), (c.label + ": memory").c_str());
        const std::string file = "'" + c.file + "'";
        Verdict(c.label + ": import against the floor", 2, floor, r.import, "count floor " + file,
                "count import " + file);
    }
    Verdict("the double size", 2.2, results[0].import, results[1].import, "count import '" + cases[0].file + "'",
            "count import '" + cases[1].file + "'");

    // Values: an ICD with one DAI of N values against one of N DAIs of one
    // value each; a type file whose DA holds N/10 and N/5 values through the
    // type-package and the LN type import.
    const long values = static_cast<long>(valueCount);
    struct ValuesCase {
        std::string label, file;
        Result r;
    } spread{std::to_string(values) + " DAIs of one value", folder / "values_spread.icd", {}},
        one{"one DAI of " + std::to_string(values) + " values", folder / "values_one.icd", {}};
    for (ValuesCase* c : {&spread, &one}) {
        std::ofstream(c->file, std::ios::binary) << MakeValuesScl(values, c == &one);
        c->r = RunInChild<Result>(c->file, RunOnce);
        std::printf("%s: file %.1f MB, import %.2f s CPU, peak %.0f MB, %zu values made, %d errors, %d warnings\n",
                    c->label.c_str(), std::filesystem::file_size(c->file) / 1e6, c->r.import, c->r.peakKb / 1024.0,
                    c->r.values, c->r.errors, c->r.warnings);
        Require(c->r.values >= static_cast<size_t>(values) && c->r.errors == 0, "every value of the ICD imported");
    }
    Verdict("one DAI of " + std::to_string(values) + " values against as many DAIs of one", 3, spread.r.import,
            one.r.import, "count import '" + spread.file + "'", "count import '" + one.file + "'");
    const long typeValues = values / 10;
    std::vector<std::string> typeFiles;
    for (long n : {typeValues, 2 * typeValues}) {
        typeFiles.push_back(folder / ("values_" + std::to_string(n) + ".Type"));
        std::ofstream(typeFiles.back(), std::ios::binary) << MakeValuesTypes(n);
    }
    for (const auto& [label, phase, run] :
         {std::make_tuple("type-package import", "types", RunTypePackage),
          std::make_tuple("LN type import", "lntypes", RunLNodeTypes)}) {
        std::vector<TypesResult> rs;
        for (const std::string& file : typeFiles) rs.push_back(RunInChild<TypesResult>(file, run));
        std::printf("%s of a DA of %ld and %ld values: %.2f s and %.2f s CPU, %zu and %zu values made, %d and %d "
                    "errors\n",
                    label, typeValues, 2 * typeValues, rs[0].seconds, rs[1].seconds, rs[0].values, rs[1].values,
                    rs[0].errors, rs[1].errors);
        Require(rs[0].done && rs[1].done && rs[0].values >= static_cast<size_t>(typeValues) &&
                    rs[1].values >= static_cast<size_t>(2 * typeValues),
                "every value of the type file imported");
        Verdict(std::string(label) + ", the double count of values", 2.2, rs[0].seconds, rs[1].seconds,
                std::string("count ") + phase + " '" + typeFiles[0] + "'",
                std::string("count ") + phase + " '" + typeFiles[1] + "'");
    }
    return Finish();
}
