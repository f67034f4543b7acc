// Load speed of the XML layer against bare pugixml on a large SCL file.
//
//   xml_load_bench [megabytes=50] [runs=5] [folder]
//   xml_load_bench peak|bare file    (one load through the layer or pugixml)
//
// Writes bench_utf8.icd and bench_gbk.icd (same content, GBK with Chinese
// descriptions) into the folder (a new temporary folder by default, removed
// at the end), loads each through CBase_XML and through pugixml's load_file,
// selects every DAI, and prints the median times and the ratios. Targets:
// the layer's load at most 1.3x the bare parse for UTF-8, 2x for GBK.
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

}  // namespace

// Loads one file in this process and prints its peak resident memory in KB.
int PeakPhase(const char* path) {
    CBase_XML xml;
    if (!xml.Load(path)) return 1;
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%ld\n", ru.ru_maxrss);
    return 0;
}

// Loads one file with bare pugixml in this process: beside `peak`, the two
// loads whose instructions callgrind counts (--toggle-collect=*load_file*
// and *LoadXmlFile*).
int BarePhase(const char* path) {
    pugi::xml_document doc;
    return doc.load_file(path) ? 0 : 1;
}

// Runs this program's peak phase on `path` in a fresh process: its peak in KB.
long PeakOfLoad(const std::string& path) {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n <= 0) return -1;
    exe[n] = '\0';
    std::string cmd = "'";
    cmd.append(exe).append("' peak '").append(path).append("'");
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    long kb = -1;
    if (std::fscanf(p, "%ld", &kb) != 1) kb = -1;
    return pclose(p) == 0 ? kb : -1;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "peak") == 0) return PeakPhase(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "bare") == 0) return BarePhase(argv[2]);
    size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50;
    int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    if (megabytes == 0 || runs <= 0) {
        std::fprintf(stderr, "usage: %s [megabytes=50] [runs=5] [folder]\n", argv[0]);
        return 2;
    }
    bool ownFolder = argc <= 3;
    std::string folder;
    if (ownFolder) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kiln_xml_bench_XXXXXX").string();
        if (!mkdtemp(pattern.data())) return 1;
        folder = pattern;
    } else {
        folder = argv[3];
    }
    const std::string utf8Path = folder + "/bench_utf8.icd", gbkPath = folder + "/bench_gbk.icd";
    std::string utf8 = GenerateScl(megabytes << 20, "UTF-8");
    std::string gbk = kiln::text::Utf8ToGbk(GenerateScl(megabytes << 20, "GBK"));
    if (!WriteFile(utf8Path, utf8) || !WriteFile(gbkPath, gbk)) {
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

    bool met = true;
    std::printf("%-6s %10s %10s %7s %7s %12s %12s %9s\n", "input", "bare load", "layer load", "ratio", "target", "bare select",
                "layer select", "DAIs");
    for (auto [label, path, target] : {std::tuple{"UTF-8", utf8Path, 1.3}, std::tuple{"GBK", gbkPath, 2.0}}) {
        Figures f = Measure(path, runs);
        double ratio = f.layerLoad / f.bareLoad;
        met = met && ratio <= target;
        std::printf("%-6s %8.1f ms %8.1f ms %6.2fx %6.1fx %9.1f ms %9.1f ms %9zu%s\n", label, f.bareLoad * 1e3, f.layerLoad * 1e3,
                    ratio, target, f.bareSelect * 1e3, f.layerSelect * 1e3, f.dais, ratio <= target ? "" : "  (missed)");
    }
    // Peak memory of a load, each in a fresh process: GBK conversion must not
    // hold the file more than once beside the tree.
    const long utf8Peak = PeakOfLoad(utf8Path), gbkPeak = PeakOfLoad(gbkPath);
    const double peakRatio = utf8Peak > 0 ? static_cast<double>(gbkPeak) / static_cast<double>(utf8Peak) : 0;
    const bool peakOk = utf8Peak > 0 && gbkPeak > 0 && peakRatio <= 1.3;
    std::printf("peak memory of a load: UTF-8 %.1f MB, GBK %.1f MB, ratio %.2fx (target 1.3x)%s\n", utf8Peak / 1024.0,
                gbkPeak / 1024.0, peakRatio, peakOk ? "" : "  (missed)");
    met = met && peakOk;
    if (ownFolder) std::filesystem::remove_all(folder);
    return met ? 0 : 1;
}
