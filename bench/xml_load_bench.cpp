// Load cost of the XML layer against bare pugixml.
//
//   xml_load_bench [megabytes=50] [runs=5] [folder]
//   xml_load_bench instructions [megabytes=10] [folder]
//   xml_load_bench peak|bare file    (one load through the layer or pugixml)
//
// Writes SCL files of one content into a folder of the run's own, made under
// the folder given ($TMPDIR by default) and removed at the end: bench_utf8.icd on few lines,
// bench_indented.icd indented by tabs as kiln and most tools write SCL,
// bench_crlf.icd the same with CR LF line ends, bench_gbk.icd in GBK with
// Chinese descriptions; loads each through CBase_XML and through pugixml's
// load_file, selects every DAI, and prints the median times and the ratios.
// Goals: the layer's load at most 1.3x the bare parse for every UTF-8 file,
// 1.6x for GBK (whose conversion comes on top), judged by the instructions
// of one load of each in a fresh process where valgrind runs, else by the
// median times. Then one element of 300,000 attributes against 300,000
// elements of one attribute each: at most 3x (each name is checked against
// the earlier ones of its element without reading them all again).
//
// "instructions" counts the instructions of each load inside the call, by
// callgrind (valgrind must be installed; --toggle-collect of the peak and
// bare phases), for files of the given size and twice it, and for the files
// of a model of 5 and 10 devices of 50 logical nodes as kiln writes them
// (ICD, ITB and M2I of 480 items a device): the layer's loads of the three
// at most 44 M instructions at 10 devices, 22 M at 5.
#include <sys/resource.h>
#include <unistd.h>
#include <cstring>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "bench/bench_util.h"
#include "platform/mfc/gbk.h"
#include "platform/xml/base_xml.h"

namespace {

const char* kDescs[] = {"过流保护一段动作", "距离保护启动", "零序过流告警", "断路器位置", "遥信量", "装置运行状态"};

// An SCL instance: IED / LDevice / LN0 and LN / DOI / SDI / DAI / Val, with
// Chinese descriptions, until the text reaches `bytes`.
std::string GenerateScl(size_t bytes, const char* encoding) {
    std::string s;
    s.reserve(bytes + (1 << 20));
    s += "<?xml version=\"1.0\" encoding=\"";
    s += encoding;
    s += "\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">\n<Header id=\"bench\"/>\n";
    char buf[512];
    for (int ied = 0; s.size() < bytes; ++ied) {
        std::snprintf(buf, sizeof buf, "<IED name=\"IED%d\" desc=\"保护装置%d\">\n<AccessPoint name=\"S1\">\n<Server>\n", ied, ied);
        s += buf;
        for (int ld = 0; ld < 8 && s.size() < bytes; ++ld) {
            std::snprintf(buf, sizeof buf, "<LDevice inst=\"LD%d\" desc=\"逻辑设备%d\">\n", ld, ld);
            s += buf;
            for (int ln = 0; ln < 40; ++ln) {
                if (ln == 0)
                    s += "<LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"LLN0_T\" desc=\"逻辑节点零\">\n";
                else {
                    std::snprintf(buf, sizeof buf, "<LN prefix=\"\" lnClass=\"PTOC\" inst=\"%d\" lnType=\"PTOC_T\" desc=\"%s%d\">\n", ln,
                                  kDescs[ln % 6], ln);
                    s += buf;
                }
                for (int doi = 0; doi < 6; ++doi) {
                    std::snprintf(buf, sizeof buf,
                                  "<DOI name=\"DO%d\" desc=\"%s\">\n"
                                  "<DAI name=\"stVal\" desc=\"%s\" sAddr=\"%d:%d\"><Val>on</Val></DAI>\n"
                                  "<DAI name=\"dU\"><Val>%s</Val></DAI>\n"
                                  "<SDI name=\"origin\"><DAI name=\"orCat\"><Val>%d</Val></DAI>"
                                  "<SDI name=\"units\"><DAI name=\"SIUnit\"><Val>V</Val></DAI></SDI></SDI>\n"
                                  "</DOI>\n",
                                  doi, kDescs[doi], kDescs[(doi + 1) % 6], ln, doi, kDescs[(doi + 2) % 6], doi);
                    s += buf;
                }
                s += ln == 0 ? "</LN0>\n" : "</LN>\n";
            }
            s += "</LDevice>\n";
        }
        s += "</Server>\n</AccessPoint>\n</IED>\n";
    }
    s += "</SCL>\n";
    return s;
}

// The text as pugixml writes it indented, one tab a level (what kiln's
// exports and most tools write), with `eol` ending every line.
std::string Indented(const std::string& flat, const char* eol) {
    pugi::xml_document doc;
    if (!doc.load_buffer(flat.data(), flat.size(), pugi::parse_default | pugi::parse_declaration)) return std::string();
    struct Writer : pugi::xml_writer {
        std::string text;
        void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
    } writer;
    doc.save(writer, "\t", pugi::format_indent, pugi::encoding_utf8);
    if (std::strcmp(eol, "\n") == 0) return std::move(writer.text);
    std::string out;
    out.reserve(writer.text.size() + writer.text.size() / 16);
    for (char c : writer.text) {
        if (c == '\n') out += eol;
        else out += c;
    }
    return out;
}

const char* const kClasses[] = {"PTOC", "PTRC", "XCBR", "CSWI", "MMXU", "GGIO", "PDIF", "RREC", "MSQI", "XSWI"};
constexpr int kNodesPerDevice = 50, kItemsPerDevice = 480;

// The ICD of a model of `devices` devices of 50 logical nodes, each node
// with four DOIs holding a value and a description, and its types.
std::string ModelIcd(int devices) {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" "
                    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" version=\"2007\" revision=\"B\">"
                    "<Header id=\"model\" version=\"1\" revision=\"1\" toolID=\"kiln\" nameStructure=\"IEDName\"/>"
                    "<IED name=\"TEMPLATE\" desc=\"测控装置\" type=\"T\" manufacturer=\"M\" configVersion=\"1.0\">"
                    "<AccessPoint name=\"S1\"><Server><Authentication none=\"true\"/>";
    char buf[512];
    for (int d = 1; d <= devices; ++d) {
        std::snprintf(buf, sizeof buf, "<LDevice inst=\"LD%d\" desc=\"逻辑设备%d\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"LLN0_T\"/>", d, d);
        s += buf;
        for (int n = 1; n <= kNodesPerDevice; ++n) {
            const char* cls = kClasses[n % 10];
            std::snprintf(buf, sizeof buf, "<LN prefix=\"\" lnClass=\"%s\" inst=\"%d\" lnType=\"%s_T\" desc=\"%s%d\">", cls, n, cls,
                          kDescs[n % 6], n);
            s += buf;
            for (int k = 1; k <= 4; ++k) {
                std::snprintf(buf, sizeof buf,
                              "<DOI name=\"Ind%d\" desc=\"%s\"><DAI name=\"stVal\" sAddr=\"%d:%d:%d\"/>"
                              "<DAI name=\"dU\"><Val>%s</Val></DAI></DOI>",
                              k, kDescs[k % 6], d, n, k, kDescs[(k + n) % 6]);
                s += buf;
            }
            s += "</LN>";
        }
        s += "</LDevice>";
    }
    s += "</Server></AccessPoint></IED><DataTypeTemplates><LNodeType id=\"LLN0_T\" lnClass=\"LLN0\">"
         "<DO name=\"Beh\" type=\"ENS_T\"/></LNodeType>";
    for (const char* cls : kClasses) {
        s += std::string("<LNodeType id=\"") + cls + "_T\" lnClass=\"" + cls + "\">";
        for (int k = 1; k <= 4; ++k) s += "<DO name=\"Ind" + std::to_string(k) + "\" type=\"SPS_T\"/>";
        s += "</LNodeType>";
    }
    s += "<DOType id=\"SPS_T\" cdc=\"SPS\"><DA name=\"stVal\" bType=\"BOOLEAN\" fc=\"ST\" dchg=\"true\"/>"
         "<DA name=\"q\" bType=\"Quality\" fc=\"ST\" qchg=\"true\"/><DA name=\"t\" bType=\"Timestamp\" fc=\"ST\"/>"
         "<DA name=\"dU\" bType=\"Unicode255\" fc=\"DC\"/></DOType>"
         "<DOType id=\"ENS_T\" cdc=\"ENS\"><DA name=\"stVal\" bType=\"Enum\" type=\"Beh\" fc=\"ST\"/></DOType>"
         "<EnumType id=\"Beh\"><EnumVal ord=\"1\">on</EnumVal><EnumVal ord=\"2\">blocked</EnumVal></EnumType>"
         "</DataTypeTemplates></SCL>";
    return Indented(s, "\n");
}

// Its information table: 480 items a device, each with its 103 address.
std::string ModelItb(int devices) {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ITB xmlns=\"http://kiln.local/Zel/2004/ITB\" "
                    "xmlns:s103=\"http://kiln.local/Zel/2004/ITB/s103\" iedModel=\"Model\" iedVersion=\"\" icdVersion=\"1\">"
                    "<Header id=\"\"/><InfoGroup name=\"1\" desc=\"遥信\"/>";
    char buf[512];
    for (int i = 1; i <= devices * kItemsPerDevice; ++i) {
        std::snprintf(buf, sizeof buf,
                      "<InfoItem id=\"%d\" name=\"信号%d\" dataType=\"BOOLEAN\" desc=\"%s\" infoGroup=\"1\">"
                      "<s103:Config typ=\"1\" fun=\"%d\" inf=\"%d\" grp=\"1\" itm=\"%d\" acc=\"\"/></InfoItem>",
                      i, i, kDescs[i % 6], 160 + i / 256 % 90, i % 256, i % 250 + 1);
        s += buf;
    }
    return Indented(s + "</ITB>", "\n");
}

// Its mapping: an item for every information item, on the DOIs of the ICD.
std::string ModelM2i(int devices) {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><M2I xmlns=\"http://kiln.local/Zel/2004/M2I\">"
                    "<Mappings iedModel=\"Model\" icdVersion=\"1\"><Header id=\"\"/><SourceRef iedModel=\"Model\"/>"
                    "<TargetRef iedModel=\"Model\"/>";
    char buf[512];
    for (int i = 1; i <= devices * kItemsPerDevice; ++i) {
        const int d = 1 + (i - 1) / kItemsPerDevice, n = 1 + (i - 1) % kItemsPerDevice / 4 % kNodesPerDevice, k = 1 + (i - 1) % 4;
        std::snprintf(buf, sizeof buf,
                      "<MappingItem name=\"Item%d\" desc=\"%s\" toDA=\"LD%d/%s%d.Ind%d.stVal\">"
                      "<Process operator=\"M2I:ExtractVal\" desc=\"\"><Parameter name=\"ParaANYwT\" idITB=\"%d\"/></Process>"
                      "</MappingItem>",
                      i, kDescs[i % 6], d, kClasses[n % 10], n, k, i);
        s += buf;
    }
    return Indented(s + "</Mappings></M2I>", "\n");
}

double Seconds(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures {
    double bareLoad, layerLoad, bareSelect, layerSelect;
    size_t dais;
};

Figures Measure(const std::string& path, int runs) {
    std::vector<double> bareLoad, layerLoad, bareSelect, layerSelect;
    size_t bareCount = 0, layerCount = 0;
    for (int r = 0; r < runs; ++r) {
        {
            pugi::xml_document doc;
            bareLoad.push_back(Seconds([&] {
                if (!doc.load_file(path.c_str())) std::fprintf(stderr, "pugixml could not parse %s\n", path.c_str());
            }));
            bareSelect.push_back(Seconds([&] {
                pugi::xpath_node_set set = doc.select_nodes("//DAI");
                bareCount = 0;
                for (const pugi::xpath_node& n : set) bareCount += *n.node().attribute("name").value() != 0;
            }));
        }
        {
            CBase_XML xml;
            layerLoad.push_back(Seconds([&] {
                if (!xml.Load(path.c_str())) std::fprintf(stderr, "CBase_XML could not load %s\n", path.c_str());
            }));
            layerSelect.push_back(Seconds([&] {
                XmlNodeList list = xml.GetDocumentElement().SelectNodes("//DAI");
                layerCount = 0;
                CString name;
                for (long i = 0; i < list.Length(); ++i)
                    layerCount += CBase_XML::Get_NodeText(list.Item(i), "@name", name) && !name.IsEmpty();
            }));
        }
    }
    if (bareCount != layerCount) std::fprintf(stderr, "DAI counts differ: %zu and %zu\n", bareCount, layerCount);
    return {Median(bareLoad), Median(layerLoad), Median(bareSelect), Median(layerSelect), layerCount};
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A document of `count` attributes: all on the root (`oneElement`), or one
// on each of `count` elements below it.
std::string Attributes(size_t count, bool oneElement) {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r";
    s.reserve(count * 20 + 64);
    if (!oneElement) s += ">\n";
    char buf[64];
    for (size_t i = 0; i < count; ++i) {
        if (oneElement) std::snprintf(buf, sizeof buf, " a%zu=\"%zu\"", i, i % 1000);
        else std::snprintf(buf, sizeof buf, "<e a=\"%zu\"/>\n", i % 1000);
        s += buf;
    }
    s += oneElement ? "/>\n" : "</r>\n";
    return s;
}

// The load of one element of many attributes against as many elements of one
// attribute: at most 3x, by the counts of one load of each in a fresh process.
bool AttributesOfOneElement(const std::string& folder) {
    constexpr size_t kCount = 300000;
    const std::string elements = folder + "/attributes_apart.xml", together = folder + "/attributes_together.xml";
    if (!WriteFile(elements, Attributes(kCount, false)) || !WriteFile(together, Attributes(kCount, true))) {
        std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
        kiln::bench::Require(false, "the files of many attributes written");
        return false;
    }
    double seconds[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        CBase_XML xml;
        const std::string& path = k == 0 ? elements : together;
        bool loaded = false;
        seconds[k] = Seconds([&] { loaded = xml.Load(path.c_str()); });
        if (!loaded) {
            std::fprintf(stderr, "CBase_XML could not load %s: %s\n", path.c_str(), xml.LastError().GetString());
            kiln::bench::Require(false, "the files of many attributes loaded");
            return false;
        }
    }
    return kiln::bench::Verdict("300,000 attributes on one element against 300,000 elements of one attribute", 3.0,
                                seconds[0], seconds[1], "peak '" + elements + "'", "peak '" + together + "'");
}

}  // namespace

// Loads one file in this process and prints its peak resident memory in KB.
int PeakPhase(const char* path) {
    CBase_XML xml;
    bool loaded = false;
    kiln::bench::Counted([&] { loaded = xml.Load(path); });
    if (!loaded) return 1;
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%ld\n", ru.ru_maxrss);
    return 0;
}

// Loads one file with bare pugixml in this process: beside `peak`, the two
// loads whose instructions callgrind counts (--toggle-collect=*load_file*
// and CBase_XML::Load(*: the layer's whole load, which no function inside
// it matches, so that nothing nested toggles the count off).
int BarePhase(const char* path) {
    pugi::xml_document doc;
    bool loaded = false;
    kiln::bench::Counted([&] { loaded = static_cast<bool>(doc.load_file(path)); });
    return loaded ? 0 : 1;
}

// Runs this program's peak phase on `path` in a fresh process: its peak in KB.
long PeakOfLoad(const std::string& path) {
    const std::string exe = kiln::bench::SelfPath();
    if (exe.empty()) return -1;
    const std::string cmd = "'" + exe + "' peak '" + path + "'";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    long kb = -1;
    if (std::fscanf(p, "%ld", &kb) != 1) kb = -1;
    return pclose(p) == 0 ? kb : -1;
}

// The instructions callgrind counts inside one load of `path` (through the
// layer or bare pugixml) in a fresh process; -1 when it cannot run.
long long InstructionsOfLoad(const std::string& path, bool layer) {
    return kiln::bench::CallgrindInstructions(layer ? "CBase_XML::Load(*" : "*load_file*",
                                              std::string(layer ? "peak" : "bare") + " '" + path + "'");
}

// The "instructions" mode: each file at two sizes, bare and through the
// layer, and the model's files at 5 and 10 devices.
int Instructions(size_t megabytes, const std::string& folder) {
    std::printf("instructions of one load (callgrind, inside the call):\n");
    std::printf("%-10s %6s %14s %14s %7s %7s\n", "file", "MB", "bare", "layer", "ratio", "goal");
    for (const size_t mb : {megabytes, 2 * megabytes}) {
        const std::string flat = GenerateScl(mb << 20, "UTF-8");
        const std::string indented = Indented(flat, "\n");
        const std::tuple<const char*, std::string, double> files[] = {
            {"UTF-8", flat, 1.3},
            {"indented", indented, 1.3},
            {"CRLF", Indented(flat, "\r\n"), 1.3},
            {"GBK", kiln::text::Utf8ToGbk(GenerateScl(mb << 20, "GBK")), 1.6},
        };
        for (const auto& [label, text, goal] : files) {
            const std::string path = folder + "/instr_" + label + "_" + std::to_string(mb) + ".xml";
            if (text.empty() || !WriteFile(path, text)) return 1;
            const long long bare = InstructionsOfLoad(path, false), layer = InstructionsOfLoad(path, true);
            if (bare <= 0 || layer <= 0) {
                std::fprintf(stderr, "callgrind did not run (is valgrind installed?)\n");
                return 1;
            }
            const double ratio = static_cast<double>(layer) / static_cast<double>(bare);
            const bool met = kiln::bench::Within(ratio, goal);
            const auto [shown, most] = kiln::bench::Shown(ratio, goal);
            std::printf("%-10s %6.1f %12.1f M %12.1f M %6sx %6sx%s\n", label, text.size() / 1048576.0, bare / 1e6,
                        layer / 1e6, shown.c_str(), most.c_str(), met ? "" : "  (missed)");
            kiln::bench::Require(met, (std::string(label) + " load at " + std::to_string(mb) + " MB").c_str());
        }
    }
    for (const int devices : {5, 10}) {
        long long total = 0;
        std::string sizes;
        for (const auto& [name, text] : {std::pair{"model.icd", ModelIcd(devices)}, std::pair{"model.itb", ModelItb(devices)},
                                         std::pair{"model.m2i", ModelM2i(devices)}}) {
            const std::string path = folder + "/" + std::to_string(devices) + "_" + name;
            if (!WriteFile(path, text)) return 1;
            const long long layer = InstructionsOfLoad(path, true);
            if (layer <= 0) return 1;
            total += layer;
            char part[96];
            std::snprintf(part, sizeof part, "%s%s %.1f M (%.2f MB)", sizes.empty() ? "" : ", ", name, layer / 1e6,
                          text.size() / 1048576.0);
            sizes += part;
        }
        const double goal = 4.4e6 * devices;
        const bool met = static_cast<double>(total) <= goal;
        std::printf("model of %2d devices, the layer's loads: %.1f M (goal %.0f M)%s: %s\n", devices, total / 1e6, goal / 1e6,
                    met ? "" : "  (missed)", sizes.c_str());
        kiln::bench::Require(met, ("the loads of a model of " + std::to_string(devices) + " devices").c_str());
    }
    return kiln::bench::Finish();
}

int main(int argc, char** argv) {
    argc = kiln::bench::Switches(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "peak") == 0) return PeakPhase(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "bare") == 0) return BarePhase(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "instructions") == 0) {
        kiln::bench::Args args("xml_load_bench instructions",
                               "the instructions of each load at that size and twice it, and of a model's files");
        const long long& mb = args.Count("megabytes", 10);
        const std::string& base = args.Text("folder");
        if (const int status = args.Read(argc, argv, 2); status != kiln::bench::Args::kGo) return status;
        const kiln::bench::RunFolder folder("kiln_xml_bench", base);
        return Instructions(static_cast<size_t>(mb), folder.Path());
    }
    kiln::bench::Args args("xml_load_bench", "XML load, UTF-8 and GBK");
    const long long& megabytes = args.Count("megabytes", 50);
    const long long& runCount = args.Count("runs", 5);
    const std::string& base = args.Text("folder");
    if (const int status = args.Read(argc, argv); status != kiln::bench::Args::kGo) return status;
    const int runs = static_cast<int>(runCount);
    const kiln::bench::RunFolder own("kiln_xml_bench", base);
    const std::string& folder = own.Path();
    const std::string utf8Path = folder + "/bench_utf8.icd", gbkPath = folder + "/bench_gbk.icd",
                      indentedPath = folder + "/bench_indented.icd", crlfPath = folder + "/bench_crlf.icd";
    std::string utf8 = GenerateScl(static_cast<size_t>(megabytes) << 20, "UTF-8");
    std::string gbk = kiln::text::Utf8ToGbk(GenerateScl(static_cast<size_t>(megabytes) << 20, "GBK"));
    if (!WriteFile(utf8Path, utf8) || !WriteFile(gbkPath, gbk) || !WriteFile(indentedPath, Indented(utf8, "\n")) ||
        !WriteFile(crlfPath, Indented(utf8, "\r\n"))) {
        std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("files: UTF-8 %.1f MB, GBK %.1f MB; median of %d runs\n", utf8.size() / 1048576.0, gbk.size() / 1048576.0, runs);
    utf8.clear();
    utf8.shrink_to_fit();
    gbk.clear();
    gbk.shrink_to_fit();

    // The layer's Chinese texts must come out right, or the timing means nothing.
    {
        CBase_XML xml;
        CString desc;
        if (!xml.Load(gbkPath.c_str()) || !CBase_XML::Get_NodeText(xml.GetDocumentElement(), "/SCL/IED/@desc", desc) ||
            desc != "保护装置0") {
            std::fprintf(stderr, "the GBK file did not load correctly\n");
            return 1;
        }
    }

    struct Pending {
        std::string what;
        double limit, bare, layer;
        std::string bareArgs, layerArgs;
    };
    std::vector<Pending> verdicts;
    std::printf("%-6s %10s %10s %7s %7s %12s %12s %9s\n", "input", "bare load", "layer load", "ratio", "goal", "bare select",
                "layer select", "DAIs");
    for (auto [label, path, target] : {std::tuple{"UTF-8", utf8Path, 1.3}, std::tuple{"indent", indentedPath, 1.3},
                                       std::tuple{"CRLF", crlfPath, 1.3}, std::tuple{"GBK", gbkPath, 1.6}}) {
        Figures f = Measure(path, runs);
        double ratio = f.layerLoad / f.bareLoad;
        std::printf("%-6s %8.1f ms %8.1f ms %6.2fx %6.1fx %9.1f ms %9.1f ms %9zu\n", label, f.bareLoad * 1e3, f.layerLoad * 1e3,
                    ratio, target, f.bareSelect * 1e3, f.layerSelect * 1e3, f.dais);
        verdicts.push_back({std::string(label) + " load against a bare load", target, f.bareLoad, f.layerLoad,
                            "bare '" + path + "'", "peak '" + path + "'"});
    }
    // The verdicts after the table, each in processes of their own.
    for (const auto& v : verdicts)
        kiln::bench::Verdict(v.what, v.limit, v.bare, v.layer, v.bareArgs, v.layerArgs);
    AttributesOfOneElement(folder);
    // Peak memory of a load, each in a fresh process: GBK conversion must not
    // hold the file more than once beside the tree.
    const long utf8Peak = PeakOfLoad(utf8Path), gbkPeak = PeakOfLoad(gbkPath);
    const double peakRatio = utf8Peak > 0 ? static_cast<double>(gbkPeak) / static_cast<double>(utf8Peak) : 0;
    const bool peakOk = utf8Peak > 0 && gbkPeak > 0 && kiln::bench::Within(peakRatio, 1.3);
    const auto [shown, most] = kiln::bench::Shown(peakRatio, 1.3, 1);
    std::printf("peak memory of a load: UTF-8 %.1f MB, GBK %.1f MB, ratio %sx (target %sx)%s\n", utf8Peak / 1024.0,
                gbkPeak / 1024.0, shown.c_str(), most.c_str(), peakOk ? "" : "  (missed)");
    kiln::bench::Require(peakOk, "a GBK load's peak memory at most 1.3 times a UTF-8 load's");
    return kiln::bench::Finish();
}
