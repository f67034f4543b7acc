// The ITB and M2I imports through the kiln program: the demo's road to a
// device with LLN0, LPHD and PTOC nodes, then an information table and its
// mapping imported through the ICD's menu, a second table refused, and the
// mapping's report saved beside the document; then the ICD and the mapping
// written and read back into a second ICD.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>

#include "tests/host/kiln_program.h"

namespace fs = std::filesystem;

namespace {

using kiln::test::KilnCommand;
using kiln::test::ReadAll;
using kiln::test::RunShell;

const char* const kItb =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ITB xmlns=\"http://kiln.local/Zel/2004/ITB\" xmlns:s103=\"http://kiln.local/Zel/2004/ITB/s103\">\n"
    "<InfoItem id=\"1\" name=\"装置告警\"><s103:Config typ=\"1\" fun=\"160\" inf=\"1\" grp=\"1\" itm=\"1\"/></InfoItem>\n"
    "<InfoItem id=\"2\" name=\"动作\"><s103:Config typ=\"1\" fun=\"160\" inf=\"2\" grp=\"1\" itm=\"2\"/></InfoItem>\n"
    "<InfoItem id=\"3\" name=\"模式\"><s103:Config typ=\"1\" fun=\"160\" inf=\"3\" grp=\"1\" itm=\"3\"/></InfoItem>\n"
    "</ITB>\n";

std::string Item(const std::string& name, const std::string& toDA, const std::string& id) {
    return "<MappingItem name=\"" + name + "\" toDA=\"" + toDA +
           "\"><Process operator=\"M2I:ExtractVal\"><Parameter name=\"ParaANYwT\" idITB=\"" + id +
           "\"/></Process></MappingItem>\n";
}

TEST(ItbM2iEndToEnd, TheImportsThroughTheIcdMenu) {
    const fs::path demo = fs::path(KILN_SOURCE_DIR) / "examples" / "demo.kiln";
    if (!fs::exists(fs::path(KILN_SOURCE_DIR) / "domains" / "IEC61850_std.xml"))
        GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
    const fs::path dir = fs::temp_directory_path() / ("kiln_itb_m2i_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "dev.itb") << kItb;
    std::ofstream(dir / "dev.m2i") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<M2I><Mappings>\n" +
                                          Item("health", "LD_1/LPHD1.PhyHealth.stVal", "1") +
                                          Item("op", "LD_1/PTOC1.Op.general", "2") +
                                          Item("lost", "LD_1/PTOC1.Op.nothing", "2") +
                                          Item("mode", "LD_1/LLN01.Beh.stVal", "3") + "</Mappings></M2I>\n";

    // The demo's road up to its PTOC node, then the imports.
    std::stringstream script;
    std::ifstream in(demo);
    for (std::string line; std::getline(in, line);) {
        script << line << "\n";
        if (line == "menu \"增加 LN\"") break;
    }
    const std::string icdPath = "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1\"\n";
    script << icdPath << "answer file dev.itb\nrclick\nmenu \"导入 ITB（装置信息表）\"\n"
           << "rclick\nmenu \"导入 ITB（装置信息表）\"\n"
           << "answer file dev.m2i\nanswer no\nrclick\nmenu \"导入 M2I（信息表到模型的映射）\"\n"
           << "tree 7\n"
           // The LLN0 given an instance; ICD and mapping written, then read into the ICD read back.
           << "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1\" \"IED: TEMPLATE\" "
              "逻辑装置:LD_1 \"逻辑节点:[]LLN0[1]\"\nedit sec:LNode.lnInst 007\nedit sec:LNode.prefix Zq\n"
           << icdPath << "answer no\nanswer file dev.icd\nrclick\nmenu \"生成 ICD 文件\"\n"
           << "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1\" \"映射表: M2I\"\n"
           << "answer file again.m2i\nrclick\nmenu \"生成 M2I 文件\"\n"
           << "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"\nanswer file dev.icd\n"
           << "answer choice \"Orsane.Zel:2007  (标准)\"\nrclick\nmenu \"导入 ICD（IED类型配置）\"\n"
           << "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1_Ver_Rev\"\n"
           << "answer file dev.itb\nrclick\nmenu \"导入 ITB（装置信息表）\"\n"
           << "answer file again.m2i\nrclick\nmenu \"导入 M2I（信息表到模型的映射）\"\n"
           // The first mapping, naming the LLN0 with its instance, read into a third ICD from the file.
           << "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"\nanswer file dev.icd\n"
           << "answer choice \"Orsane.Zel:2007  (标准)\"\nrclick\nmenu \"导入 ICD（IED类型配置）\"\n"
           << "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1_Ver_Rev#2\"\n"
           << "answer file dev.itb\nrclick\nmenu \"导入 ITB（装置信息表）\"\n"
           << "answer file dev.m2i\nanswer no\nrclick\nmenu \"导入 M2I（信息表到模型的映射）\"\n";
    std::ofstream(dir / "road.kiln") << script.str();

    const fs::path ws = dir / "ws";
    auto [initStatus, initOut] = RunShell(KilnCommand("init '" + ws.string() + "'"));
    ASSERT_EQ(initStatus, 0) << initOut;
    auto [status, out] = RunShell(KilnCommand("run '" + ws.string() + "' '" + (dir / "road.kiln").string() + "'"));
    ASSERT_EQ(status, 0) << out;
    for (const std::string& expected :
         {"[message] " + (dir / "dev.itb").string() + "模板文件导入完成！", std::string("[message] 该ICD已有ITB，不能再导入！"),
          std::string("[status] 导入M2I结束，发现1个错误。"), std::string("[message] SCL的LN0没有前缀，LLN0不能设置前缀！"),
          "[message] " + (dir / "dev.m2i").string() + "模板文件导入完成！",
          std::string("            信息条目: 装置告警"), std::string("          映射条目: health"),
          std::string("          映射条目: op"), std::string("          映射条目: mode"),
          // The mapping names the LLN0 as the ICD does, whatever its instance.
          std::string("[status] MapItem:mode mode LD_1/LLN0.Beh.stVal \n"),
          "[message] 导入成功!\n[message] " + (dir / "again.m2i").string() + "模板文件导入完成！",
          std::string("[document] saved")})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    const std::string mode = "[status] MapItem:mode mode LD_1/LLN0.Beh.stVal \n";
    EXPECT_NE(out.find(mode, out.find(mode) + 1), std::string::npos) << out;
    // The item whose target does not exist is reported, and makes nothing.
    const std::string report = ReadAll(ws / "document" / "Report.xml");
    EXPECT_NE(report.find("MappingItem:lost未发现toDA:LD_1/PTOC1.Op.nothing！"), std::string::npos) << report;
    EXPECT_EQ(out.find("映射条目: lost"), std::string::npos);

    // A maker's LN0 with a prefix: a mapping naming it as its members do, and one with the prefix (as files
    // written before did), each find it.
    std::string icd = ReadAll(dir / "dev.icd");
    std::ofstream(dir / "maker.icd") << std::regex_replace(icd, std::regex("<LN0 "), "<LN0 prefix=\"Zq\" ");
    std::ofstream(dir / "maker.m2i") << "<M2I><Mappings>" + Item("mode", "LD_1/LLN0.Beh.stVal", "3") +
                                            Item("earlier", "LD_1/ZqLLN0.Beh.q", "2") + "</Mappings></M2I>\n";
    std::ofstream(dir / "maker.kiln") << "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"\nanswer file maker.icd\nanswer choice "
                                         "\"Orsane.Zel:2007  (标准)\"\nrclick\nmenu \"导入 ICD（IED类型配置）\"\n" + icdPath.substr(0, icdPath.size() - 2) +
                                         "_Ver_Rev#3\"\nanswer file dev.itb\nrclick\nmenu \"导入 ITB（装置信息表）\"\nanswer file "
                                         "maker.m2i\nrclick\nmenu \"导入 M2I（信息表到模型的映射）\"\n";
    std::tie(status, out) = RunShell(KilnCommand("run '" + ws.string() + "' '" + (dir / "maker.kiln").string() + "'"));
    EXPECT_NE(out.find(mode + "[status] MapItem:earlier earlier LD_1/LLN0.Beh.q \n[message] 导入成功!\n"), std::string::npos)
        << out;
    fs::remove_all(dir);
}

}  // namespace
