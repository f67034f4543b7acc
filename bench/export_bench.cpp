// Export benchmark: builds an ICD of 45 logical devices of 100 nodes, whose
// every DO holds a DOI with three valued DAIs and every device four data
// sets of 80 members, as devices hold them (an SCL file of about 13 MB), exports it through the exporter (IED
// instance, data-type templates, save), then loads the written file with
// bare pugixml and times saving that same DOM. Then the export's check of
// SCL's rules on a written ICD whose one data set has 20,000 and 40,000
// members, each naming a DO of its own of one LN type.
//
//   export_bench [--times] [folder=$TMPDIR] [lds=45]   (the files go into a
//                                   folder of the run's own made under it)
//   export_bench count export LDS | count save FILE | count check N
//                                   one export of LDS devices, one bare save
//                                   of FILE, or the rule check of a data set
//                                   of N members on N DOs of one LN type, counted
// Exits with 1 when the export costs more than twice the bare save, or the
// rule check of twice the members more than 2.3 times as much: by the
// instructions of one of each where valgrind runs, else by time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "bench/bench_util.h"
#include "bench/import_bench_model.h"
#include "core/kiln_main.h"
#include "export/kiln_export.h"
#include "export/scl_rules_check.h"
#include "export/scl_value_check.h"
#include "platform/framework/cim_schema.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

CString Num(int n) {
    CString t;
    t.Format("%d", n);
    return t;
}

class Builder {
public:
    explicit Builder(CKiln_Main& app) : m_app(app) {}
    URI_Ref Add(const CString& dom, const char* cls, const CString& name, int ord, const char* role,
                const URI_Ref& parent) {
        URI_Ref r;
        Check(m_app.DocMtd_create_a_Rsc(dom, cls, r, name), "create");
        if (ord > 0) Check(m_app.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", Num(ord)), "ord");
        if (role) Check(m_app.DocMtd_add_Association(r, role, parent), role);
        return r;
    }
    void Set(const URI_Ref& r, const char* role, const CString& v) { Check(m_app.DocMtd_Modify_attribute_value(r, role, v), role); }
    void Link(const URI_Ref& r, const char* role, const URI_Ref& t) { Check(m_app.DocMtd_add_Association(r, role, t), role); }
    void Check(bool ok, const char* what) {
        if (ok) return;
        std::fprintf(stderr, "failed: %s: %s\n", what, m_app.LastDocError().GetString());
        std::exit(1);
    }
    // An ICD `name` whose IED TEMPLATE has one server, and its instance
    // package `pkgName`.
    struct Icd {
        URI_Ref icd, server, pkg;
    };
    Icd AddIcd(const CString& dom, const CString& name, const CString& pkgName) {
        Icd out;
        out.icd = Add(dom, "sec:ICD", name, 0, nullptr, URI_Ref());
        URI_Ref ied = Add(dom, "sec:IED", "TEMPLATE", 0, "sec:IED.ICD", out.icd);
        out.server = Add(dom, "sec:Server", "IED_Server", 0, "sec:Server.IED", ied);
        out.pkg = Add(dom, "sec:TypePackage", pkgName, 0, "sec:TypePackage.ICD", out.icd);
        Set(out.pkg, "sec:TypePackage.isInstType", "true");
        return out;
    }

private:
    CKiln_Main& m_app;
};

// The ICD template the export command writes into.
void LoadIcdTemplate(Builder& b, CBase_XML& xml) {
    const std::string tmpl = std::string(KILN_SOURCE_DIR) + "/Template/ICD_Template.xml";
    b.Check(xml.Load(tmpl.c_str()) && xml.Set_Default_NameSpase(kiln::exporter::kSclNamespace), "template");
}

// The export's writers as the command runs them: the IED of `icd`, then its
// data-type templates.
void WriteIcd(Builder& b, CKiln_Main& app, CBase_XML& xml, const URI_Ref& icd) {
    CKiln_Export exporter;
    b.Check(exporter.Export_ICD_IED(&app, xml, icd, false), "IED");
    b.Check(exporter.Export_ICD_TypePackages(xml.Get_NodePtr(xml.GetDocumentElement(), "DataTypeTemplates"), &app, xml,
                                             icd),
            "templates");
}

// The domain of an ICD in a fresh document.
CString IcdDomain(CKiln_Main& app) {
    app.m_Doc.SetDomainPrefixDefault("kiln");
    return kiln::bench::AddIcdDomain(app);
}

// The check of SCL's rules on a written ICD whose one data set has `n`
// members, each naming a DO of its own of the one node's LN type (of n DOs):
// the model is built and exported, then the check of the written document
// alone is counted. Its time in seconds, its breaches named and the
// members written.
double WideCheck(int n, size_t& breaches, size_t& members) {
    CKiln_Main app;
    Builder b(app);
    const CString dom = IcdDomain(app);
    const CString ns = CString(kiln::cim::kModelNamespace) + "#";
    const auto [icd, server, pkg] = b.AddIcd(dom, "Wide_Ver1_Rev1", "WidePkg");
    URI_Ref doType = b.Add(dom, "sec:DOType", "Wide_SPS", 1, "sec:DOType.TypePackage", pkg);
    URI_Ref da = b.Add(dom, "sec:DA", "stVal", 1, "sec:DA.MemberOf_DOType", doType);
    b.Set(da, "sec:DA.fc_0", ns + "FCType.ST");
    b.Set(da, "sec:BDA.bType", ns + "PreBasicTypeEnum.BOOLEAN");
    b.Link(doType, "sec:DOType.ClassOf_DOType", b.Add(dom, "sec:DOType", "SPS", 2, nullptr, URI_Ref()));
    URI_Ref lln0Type = b.Add(dom, "sec:LNodeType", "Wide_LLN0", 2, "sec:LNodeType.TypePackage", pkg);
    b.Set(lln0Type, "sec:LNodeType.lnClass", "LLN0");
    b.Link(b.Add(dom, "sec:DO", "Loc", 1, "sec:DO.LNodeType", lln0Type), "sec:DO.DefinedBy_DOType", doType);
    URI_Ref lnType = b.Add(dom, "sec:LNodeType", "Wide_GGIO", 1, "sec:LNodeType.TypePackage", pkg);
    b.Set(lnType, "sec:LNodeType.lnClass", "GGIO");
    URI_Ref ld = b.Add(dom, "sec:LDevice", "LD0", 1, "sec:LDevice.Server", server);
    b.Link(b.Add(dom, "sec:LNode", "LLN0", 1, "sec:LNode.LDevice", ld), "sec:LNode.LNodeType", lln0Type);
    URI_Ref ln = b.Add(dom, "sec:LNode", "GGIO1", 2, "sec:LNode.LDevice", ld);
    b.Set(ln, "sec:LNode.lnInst", "1");
    b.Link(ln, "sec:LNode.LNodeType", lnType);
    URI_Ref ds = b.Add(dom, "sec:DataSet", "dsWide", 1, "sec:DataSet.LNode", ln);
    for (int i = 1; i <= n; ++i) {
        URI_Ref d = b.Add(dom, "sec:DO", "Ind" + Num(i), i, "sec:DO.LNodeType", lnType);
        b.Link(d, "sec:DO.DefinedBy_DOType", doType);
        URI_Ref fcda = b.Add(dom, "sec:FCDA", "FCDA" + Num(i), i, "sec:FCDA.DataSet", ds);
        b.Link(fcda, "sec:DARef.LNode", ln);
        b.Set(fcda, "sec:DARef.doName", "Ind" + Num(i));
        b.Set(fcda, "sec:DARef.daName", "stVal");
        b.Set(fcda, "sec:FCDA.fc", ns + "FCType.ST");
    }
    CBase_XML xml;
    LoadIcdTemplate(b, xml);
    WriteIcd(b, app, xml, icd);
    members = xml.GetDocumentElement().PugiNode().select_nodes("//FCDA").size();
    const double start = kiln::bench::CpuSeconds();
    kiln::bench::Counted(
        [&] { breaches = kiln::exporter::SclRuleBreaches(xml.GetDocumentElement().PugiNode()).size(); });
    return kiln::bench::CpuSeconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    const bool phase = argc == 4 && std::strcmp(argv[1], "count") == 0;
    if (phase && std::strcmp(argv[2], "save") == 0) {
        pugi::xml_document doc;
        if (!doc.load_file(argv[3])) return 1;
        bool saved = false;
        kiln::bench::Counted([&] {
            saved = doc.save_file((std::string(argv[3]) + ".pugi").c_str(), "\t", pugi::format_default,
                                  pugi::encoding_utf8);
        });
        return saved ? 0 : 1;
    }
    if (phase && std::strcmp(argv[2], "check") == 0) {
        size_t breaches = 0, members = 0;
        WideCheck(std::atoi(argv[3]), breaches, members);
        return 0;
    }
    kiln::bench::Args args("export_bench",
                           "ICD export of 45 devices with data sets (13 MB) against a bare save; the rule check of "
                           "a data set of 20,000 and 40,000 members on as many DOs of one LN type");
    const std::string& base = args.Text("folder");
    const long long& devices = args.Count("lds", 45);
    if (!phase)
        if (const int status = args.Read(argc, argv); status != kiln::bench::Args::kGo) return status;
    const kiln::bench::RunFolder folder("kiln_export_bench", base);
    const int lds = phase ? std::atoi(argv[3]) : static_cast<int>(devices);
    const std::string out = folder / "export.icd";
    const std::string resaved = folder / "pugi.icd";

    CKiln_Main app;
    Builder b(app);
    const CString ns = CString(kiln::cim::kModelNamespace) + "#";
    const CString dom = IcdDomain(app);

    const Clock::time_point buildStart = Clock::now();
    const auto [icd, server, pkg] = b.AddIcd(dom, "Bench_Ver1_Rev1", "BenchPkg");

    // 30 DO types of 14 DAs, 50 LN types of 12 DOs.
    constexpr int kDAs = 14, kDOs = 12, kValued = 3;
    std::vector<URI_Ref> doTypes, lnTypes;
    for (int i = 0; i < 30; ++i) {
        URI_Ref t = b.Add(dom, "sec:DOType", "DOType_" + Num(i), i + 1, "sec:DOType.TypePackage", pkg);
        for (int k = 0; k < kDAs; ++k) {
            URI_Ref da = b.Add(dom, "sec:DA", "da" + Num(k), k + 1, "sec:DA.MemberOf_DOType", t);
            b.Set(da, "sec:DA.fc_0", ns + "FCType.ST");
            b.Set(da, "sec:BDA.bType", ns + "PreBasicTypeEnum.INT32");
        }
        doTypes.push_back(t);
    }
    for (int i = 0; i < 50; ++i) {
        URI_Ref t = b.Add(dom, "sec:LNodeType", "LNType_" + Num(i), i + 1, "sec:LNodeType.TypePackage", pkg);
        b.Set(t, "sec:LNodeType.lnClass", "GGIO");
        for (int k = 0; k < kDOs; ++k) {
            URI_Ref d = b.Add(dom, "sec:DO", "DO" + Num(k), k + 1, "sec:DO.LNodeType", t);
            b.Link(d, "sec:DO.DefinedBy_DOType", doTypes[static_cast<size_t>((i + k) % 30)]);
        }
        lnTypes.push_back(t);
    }
    constexpr int kDataSets = 4, kMembers = 80;
    long dais = 0, fcdas = 0;
    for (int l = 0; l < lds; ++l) {
        URI_Ref ld = b.Add(dom, "sec:LDevice", "LD" + Num(l), l + 1, "sec:LDevice.Server", server);
        std::vector<URI_Ref> nodes;
        for (int n = 0; n < 100; ++n) {
            URI_Ref ln = b.Add(dom, "sec:LNode", "GGIO" + Num(n + 1), n + 1, "sec:LNode.LDevice", ld);
            nodes.push_back(ln);
            b.Set(ln, "sec:LNode.lnInst", Num(n + 1));
            b.Link(ln, "sec:LNode.LNodeType", lnTypes[static_cast<size_t>(n % 50)]);
            for (int d = 0; d < kDOs; ++d) {
                URI_Ref doi = b.Add(dom, "sec:DOI", "DO" + Num(d), d + 1, "sec:DOI.LNode", ln);
                for (int a = 0; a < kValued; ++a) {
                    URI_Ref dai = b.Add(dom, "sec:DAI", "da" + Num(a), a + 1, "sec:DAI.DOI", doi);
                    b.Set(dai, "sec:DAI.valueStr", Num(1000000 + a));
                    ++dais;
                }
            }
        }
        // The data sets on the device's first node: data objects of its
        // nodes, one a member, each data set on its own DO of 80 nodes.
        for (int s = 0; s < kDataSets; ++s) {
            URI_Ref ds = b.Add(dom, "sec:DataSet", "dsGGIO" + Num(s + 1), s + 1, "sec:DataSet.LNode", nodes[0]);
            for (int m = 0; m < kMembers; ++m) {
                URI_Ref fcda = b.Add(dom, "sec:FCDA", "FCDA" + Num(m + 1), m + 1, "sec:FCDA.DataSet", ds);
                b.Link(fcda, "sec:DARef.LNode", nodes[static_cast<size_t>(m)]);
                b.Set(fcda, "sec:DARef.doName", "DO" + Num(s));
                b.Set(fcda, "sec:FCDA.fc", ns + "FCType.ST");
                ++fcdas;
            }
        }
    }
    std::printf("model: %d logical devices, %ld valued DAIs, %ld data-set members, built in %.2f s\n", lds, dais, fcdas,
                Seconds(buildStart));

    // The model reads of the value trees alone (what no faster XML can save).
    const Clock::time_point readStart = Clock::now();
    {
        std::vector<URI_Ref> devices, nodes, dois;
        URI_Ref last;
        app.DocMtd_get_descendent_BUris(icd, "sec:ICD.IED/sec:IED.Servers/sec:Server.LDevices", devices, last,
                                        kiln::core::kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& ld : devices) {
            app.DocMtd_get_Association_BUris(ld, "sec:LDevice.LNodes", nodes, kiln::core::kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& ln : nodes) {
                app.DocMtd_get_Association_BUris(ln, "sec:LNode.DOIs", dois, kiln::core::kRoleOrd, SortPolicy_ByOrd);
                for (const URI_Ref& doi : dois) {
                    bool ok = false;
                    DOIObj tree(&app, doi, ok);
                    b.Check(ok, "value tree");
                }
            }
        }
    }
    const double readSeconds = Seconds(readStart);

    // The export as the command runs it, without the questions and the dialog.
    CBase_XML xml;
    LoadIcdTemplate(b, xml);
    const Clock::time_point exportStart = Clock::now();
    double writeSeconds = 0;
    kiln::bench::Counted([&] {
        WriteIcd(b, app, xml, icd);
        writeSeconds = Seconds(exportStart);
        b.Check(xml.SaveAs(out.c_str(), true), "save");
    });
    const double exportSeconds = Seconds(exportStart);
    if (phase) return 0;
    // The command then checks the written document against SCL's rules on
    // names (the model's nodes name their types, not classes: each is a
    // breach, so the check also makes its lines).
    const Clock::time_point checkStart = Clock::now();
    const size_t breaches = kiln::exporter::SclRuleBreaches(xml.GetDocumentElement().PugiNode()).size();
    const double checkSeconds = Seconds(checkStart);
    // Then its values against their basic types.
    const Clock::time_point valueStart = Clock::now();
    const size_t badValues = kiln::exporter::SclValueBreaches(xml.GetDocumentElement().PugiNode()).size();
    const double valueSeconds = Seconds(valueStart);
    const double mb = static_cast<double>(std::filesystem::file_size(out)) / (1024.0 * 1024.0);

    pugi::xml_document doc;
    if (!doc.load_file(out.c_str())) {
        std::fprintf(stderr, "failed: reload\n");
        return 1;
    }
    const Clock::time_point saveStart = Clock::now();
    bool saved = false;
    kiln::bench::Counted([&] { saved = doc.save_file(resaved.c_str(), "\t", pugi::format_default, pugi::encoding_utf8); });
    if (!saved) {
        std::fprintf(stderr, "failed: pugixml save\n");
        return 1;
    }
    const double pugiSeconds = Seconds(saveStart);
    const double ratio = exportSeconds / pugiSeconds;
    std::printf("SCL file: %.1f MB\n", mb);
    std::printf("export: %.3f s (writers %.3f s, save %.3f s)\n", exportSeconds, writeSeconds,
                exportSeconds - writeSeconds);
    std::printf("check of SCL's rules on names: %.3f s, %zu breaches named (%.2f of the export)\n", checkSeconds,
                breaches, checkSeconds / exportSeconds);
    std::printf("check of the values' basic types: %.3f s, %zu values named (%.2f of the export)\n", valueSeconds,
                badValues, valueSeconds / exportSeconds);
    std::printf("of which the model reads of the value trees: %.3f s\n", readSeconds);
    std::printf("pugixml save of the same DOM: %.3f s\n", pugiSeconds);
    std::printf("ratio: %.2f\n", ratio);
    kiln::bench::Verdict("export against a bare save", 2.0, pugiSeconds, exportSeconds, "count save '" + out + "'",
                         "count export " + std::to_string(lds));

    // The rule check of a data set whose members name as many DOs of one
    // LN type: each member's data looked up by name in the type.
    const int wide[2] = {20000, 40000};
    double checkTimes[2];
    for (int k = 0; k < 2; ++k) {
        size_t named = 0, members = 0;
        checkTimes[k] = WideCheck(wide[k], named, members);
        std::printf("rule check of %zu members on as many DOs of one LN type: %.3f s, %zu breaches named\n", members,
                    checkTimes[k], named);
        kiln::bench::Require(members == static_cast<size_t>(wide[k]) && named == 0,
                             "the wide data set written whole, breaking no rule");
    }
    kiln::bench::Verdict("rule check of a data set on one LN type's DOs at the double size", 2.3, checkTimes[0],
                         checkTimes[1], "count check " + std::to_string(wide[0]),
                         "count check " + std::to_string(wide[1]));
    return kiln::bench::Finish();
}
