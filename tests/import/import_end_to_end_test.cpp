// Imports through the kiln program: an ICD file into a product and the name
// replacement, each reached through the context menus with the file dialog
// answered by the script, on a workspace made by `kiln init`.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "tests/host/kiln_program.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

// A product package "示例电气" with one product, then the data file (of
// tests/data/scl, or an absolute path) imported into the product with the
// shipped package chosen; `report` answers the
// report question when the import finds something.
std::string ProductAndImport(const std::string& file, const std::string& report) {
    return "view TreeView_User\n"
           "answer text 示例电气\nrclick\nmenu 新建产品包\n"
           "select \"产品包: 示例电气\"\nanswer choice --保护装置\nrclick\nmenu 新建IED产品\n"
           "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\"\n"
           "answer file " + (file[0] == '/' ? file : std::string(KILN_SOURCE_DIR) + "/tests/data/scl/" + file) + "\n" +
           "answer choice \"Orsane.Zel:2007  (标准)\"\n" + report +
           "rclick\nmenu \"导入 ICD（IED类型配置）\"\n";
}

// An element with everything below it as one line: its name, its attributes
// in the order of their names, its text and its children in order.
std::string Canonical(const pugi::xml_node& n) {
    std::map<std::string, std::string> attrs;
    for (const pugi::xml_attribute& a : n.attributes()) attrs[a.name()] = a.value();
    std::string out = std::string("<") + n.name();
    for (const auto& [name, value] : attrs) out += " " + name + "=\"" + value + "\"";
    out += ">" + std::string(n.text().get());
    for (const pugi::xml_node& c : n.children())
        if (c.type() == pugi::node_element) out += Canonical(c);
    return out + "</" + n.name() + ">";
}

// The DOI elements of every logical node of an SCL file, by device and node.
std::map<std::string, std::string> DoisByNode(const fs::path& file) {
    pugi::xml_document doc;
    std::map<std::string, std::string> out;
    if (!doc.load_file(file.c_str())) return out;
    for (const pugi::xpath_node& ln : doc.select_nodes("//*[local-name()='LN0' or local-name()='LN']")) {
        const pugi::xml_node n = ln.node();
        const std::string key = std::string(n.parent().attribute("inst").value()) + "/" + n.attribute("prefix").value() +
                                n.attribute("lnClass").value() + n.attribute("inst").value();
        for (const pugi::xml_node& doi : n.children("DOI")) out[key] += Canonical(doi);
    }
    return out;
}

class ImportEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(fs::path(KILN_SOURCE_DIR) / "domains" / "IEC61850_std.xml"))
            GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
        dir = fs::temp_directory_path() / ("kiln_import_e2e_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ws = dir / "ws";
        auto [status, out] = RunKiln("init '" + ws.string() + "'");
        ASSERT_EQ(status, 0) << out;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Writes the script beside the workspace and runs it.
    std::pair<int, std::string> Run(const std::string& name, const std::string& script) {
        std::ofstream(dir / name, std::ios::binary) << script;
        return RunKiln("run '" + ws.string() + "' '" + (dir / name).string() + "'");
    }
    void Write(const std::string& name, const std::string& text) { std::ofstream(dir / name, std::ios::binary) << text; }
    // Every file of the workspace's document folder, joined.
    std::string DocumentText() {
        std::string all;
        for (const fs::directory_entry& e : fs::directory_iterator(ws / "document"))
            if (e.path().filename().string().rfind("domain-", 0) == 0) all += ReadAll(e.path());
        return all;
    }
    // Path and bytes of every file of the workspace.
    std::map<std::string, std::string> Snapshot() {
        std::map<std::string, std::string> files;
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(ws))
            if (e.is_regular_file() && e.path().filename() != ".kiln.lock") files[e.path().string()] = ReadAll(e.path());
        return files;
    }
    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    fs::path dir, ws;
};

TEST_F(ImportEndToEnd, AnIcdFileComesIntoTheProductThroughItsMenu) {
    auto [status, out] = Run("import.kiln", ProductAndImport("gb2312_transformer_relay.icd", "") + "tree 7\n");
    ASSERT_EQ(status, 0) << out;
    for (const char* line :
         {"[command] ICD:Import ICD In Product", "gb2312_transformer_relay.icd", "[message] 导入成功!",
          "      IED类型配置: 主变保护_Ver1.00_RevB", "        IED: TR_PROT", "          逻辑装置:PROT(差动保护)",
          "            逻辑节点:[Diff]PDIF[1](纵差保护)", "[document] saved"})
        EXPECT_TRUE(Has(out, line)) << line << "\n" << out;
    // The Chinese values are in the saved document.
    const std::string doc = DocumentText();
    EXPECT_TRUE(Has(doc, "纵差保护动作"));
    EXPECT_TRUE(Has(doc, "示例电气（丁）"));
}

TEST_F(ImportEndToEnd, NamesOfAFileReplaceInAnIcdAndInTheWholeDocument) {
    // Its one report client is another IED's, kept as named: no error; what
    // the model has no place for is named with warnings.
    auto [status, out] = Run("import.kiln", ProductAndImport("ed2_bay_controller.icd", "answer no\n"));
    ASSERT_EQ(status, 0) << out;
    ASSERT_TRUE(Has(out, "ICD文件导入完毕,发现错误0个。是否查看报告？ -> no")) << out;

    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">"
        "<Header id=\"\"/><DataTypeTemplates>\n";
    Write("icd.Name", head +
                          "<Name name=\"CTRL\" type=\"sec:LDevice\" changeto=\"KZ\"/>\n"
                          "<Name name=\"Q0CSWI1\" type=\"sec:LNode\" changeto=\"断路器控制1\"/>\n"
                          "<Name name=\"CSWI$V1\" type=\"sec:LNodeType\" changeto=\"CSWI_控制\"/>\n"
                          "<Name name=\"Pos\" type=\"sec:DO\" changeto=\"位置\"/>\n"
                          "</DataTypeTemplates></SCL>\n");
    Write("all.Name", head + "<Name name=\"LPHD1\" changeto=\"物理装置1\"/>\n</DataTypeTemplates></SCL>\n");
    std::tie(status, out) = Run("replace.kiln",
                                "view TreeView_User\n"
                                "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: BCU-8_Ver1.4_RevC\"\n"
                                "answer file icd.Name\nrclick\nmenu \"替换名称(根据文件)\"\n"
                                "select\nanswer file all.Name\nrclick\nmenu 替换名称\n"
                                "tree 5\n");
    ASSERT_EQ(status, 0) << out;
    for (const std::string& line :
         {std::string("[command] ICD:RepalceName"), std::string("[command] ICD:RepalceName All"),
          std::string("[open file] TypePackage文件|*.Name|ICD-XML文件|*.xml||"), std::string("逻辑装置:KZ(控制)"),
          // A DO name SCL does not hold is not given, nor to the references to the DO.
          // Nor a node's: the files know it by its prefix, class and instance.
          "[message] 名称Pos未替换为位置：DO名必须以大写字母开头，只含字母和数字，最多12个字符！\n"
          "    名称Q0CSWI1未替换为断路器控制1：逻辑节点的名称由前缀、LN类和实例号组成，不能替换！\n[message] " +
              (dir / "icd.Name").string() + "文件替换完成！\n> select\n",
          std::string("[message] 名称LPHD1未替换为物理装置1：逻辑节点的名称由前缀、LN类和实例号组成，不能替换！\n")})
        EXPECT_TRUE(Has(out, line)) << line << "\n" << out;
    const std::string doc = DocumentText();
    for (const char* text : {"<cim:Naming.name>Q0CSWI1</cim:Naming.name>", "<cim:Naming.name>CSWI_控制</cim:Naming.name>",
                             "<cim:Naming.name>Pos</cim:Naming.name>", "<sec:DARef.doName>Pos</sec:DARef.doName>",
                             "<cim:Naming.name>LPHD1</cim:Naming.name>"})
        EXPECT_TRUE(Has(doc, text)) << text;
    for (const char* text : {"<cim:Naming.name>断路器控制1</cim:Naming.name>", "<sec:DARef.doName>位置</sec:DARef.doName>",
                             "<cim:Naming.name>位置</cim:Naming.name>", "<cim:Naming.name>物理装置1</cim:Naming.name>"})
        EXPECT_FALSE(Has(doc, text)) << text;

    // The name file the ICD's menu writes, replaced as it comes (no new
    // names): the workspace stays as it was, byte for byte.
    const auto before = Snapshot();
    std::tie(status, out) = Run("unedited.kiln",
                                "view TreeView_User\n"
                                "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: BCU-8_Ver1.4_RevC\"\n"
                                "answer file out.Name\nrclick\nmenu 生成替换名称文件\n"
                                "answer file out.Name\nrclick\nmenu \"替换名称(根据文件)\"\n");
    ASSERT_EQ(status, 0) << out;
    EXPECT_TRUE(Has(out, "[command] ICD:Create ReplaceNameFile\n")) << out;
    EXPECT_TRUE(Has(out, "[command] ICD:RepalceName\n")) << out;
    EXPECT_TRUE(Has(ReadAll(dir / "out.Name"), "name=\"CSWI_控制\"")) << ReadAll(dir / "out.Name");
    EXPECT_EQ(Snapshot(), before);
}

// Nothing to rename, and a question of an import left without a fitting
// answer, are neither a lock nor a bad file: the run says no such thing.
TEST_F(ImportEndToEnd, NothingToRenameAndUnansweredQuestionsAreNoBadFiles) {
    Write("all.Name", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">"
                      "<Header id=\"\"/><DataTypeTemplates><Name name=\"LPHD1\" changeto=\"物理装置1\"/>"
                      "</DataTypeTemplates></SCL>\n");
    auto [status, out] = Run("rename.kiln", "view TreeView_User\nanswer file all.Name\nrclick\nmenu 替换名称\n");
    ASSERT_EQ(status, 0) << out;
    EXPECT_TRUE(Has(out, "[command] ICD:RepalceName All")) << out;
    EXPECT_TRUE(Has(out, "[message] " + (dir / "all.Name").string() + "文件替换完成！\n")) << out;
    EXPECT_FALSE(Has(out, "不可编辑")) << out;
    EXPECT_FALSE(Has(out, "格式不正确")) << out;

    // A type package's name cancelled: the run ends there, as asked.
    Write("types.Type", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><Header id=\"PK\"/><DataTypeTemplates>"
                        "<LNodeType id=\"PT\" lnClass=\"PTOC\"><DO name=\"Op\" type=\"MISSING\"/></LNodeType>"
                        "</DataTypeTemplates></SCL>\n");
    const std::string typePackage =
        "view TreeView_User\nanswer file types.Type\nanswer choice \"Orsane.Zel:2007  (标准)\"\n";
    const std::string importIt = "rclick\nmenu \"导入 TypePackage（类型包）\"\n";
    std::tie(status, out) = Run("cancelled.kiln", typePackage + "answer cancel\n" + importIt);
    EXPECT_EQ(status, 0) << out;
    EXPECT_TRUE(Has(out, "[input] 请输入PK名称 -> cancel")) << out;
    EXPECT_FALSE(Has(out, "[message]")) << out;

    // The report question of an ICD import unanswered, that of a type
    // package answered with a button it does not have: the run fails on the
    // question, not on the file.
    const std::pair<std::string, const char*> runs[] = {
        {ProductAndImport("ed2_1_merging_unit.cid", ""), "ICD文件导入完毕,发现错误1个。是否查看报告？"},
        {typePackage + "answer text PK\nanswer cancel\n" + importIt, "TypePackage文件导入完毕,发现错误"},
    };
    for (const auto& [script, question] : runs) {
        std::tie(status, out) = Run("unanswered.kiln", script);
        EXPECT_EQ(status, 1) << out;
        EXPECT_TRUE(Has(out, question)) << out;
        EXPECT_FALSE(Has(out, "文件格式不正确")) << out;
    }
}

// The report of an import follows the document: a run that fails after
// its import leaves the report of the last saved run; a saved one replaces it.
TEST_F(ImportEndToEnd, TheReportOfAnImportIsKeptOnlyWhenTheRunIsSaved) {
    const fs::path report = ws / "document" / "Report.xml";
    std::ofstream(report, std::ios::binary) << "the last saved run's report";
    auto [failed, out] = Run("import.kiln", ProductAndImport("ed2_bay_controller.icd", "answer no\n") +
                                                "show kiln.nosuch#x\n");
    ASSERT_EQ(failed, 1) << out;
    ASSERT_TRUE(Has(out, "是否查看报告？ -> no")) << out;
    EXPECT_EQ(ReadAll(report), "the last saved run's report");
    auto [saved, out2] = Run("import.kiln", ProductAndImport("ed2_bay_controller.icd", "answer no\n"));
    ASSERT_EQ(saved, 0) << out2;
    EXPECT_TRUE(Has(ReadAll(report), "<")) << ReadAll(report);
    EXPECT_NE(ReadAll(report), "the last saved run's report");
    for (const fs::directory_entry& e : fs::directory_iterator(ws / "document"))
        EXPECT_EQ(e.path().filename().string().rfind("Report.xml.", 0), std::string::npos) << e.path();
}

// Files in further tools' styles (a byte-order mark and CRLF, GBK, GB2312,
// UTF-16, a prefixed namespace, ISO-8859-1, a station file whose first IED
// is a client) come in through the menus and go out
// again through the ICD export as valid SCL holding the same devices.
TEST_F(ImportEndToEnd, FilesOfFurtherToolsGoOutAgainAsValidScl) {
    const struct {
        const char* file;
        const char* icd;
        const char* report;  // the answer to the report question, when there is one
        std::vector<std::string> devices;
        std::vector<std::string> accessPoints;  // name, description: devices, as the file had them
    } cases[] = {
        {"ed2_1_merging_unit.cid", "MU-610_Ver2.1_RevA", "answer no\n", {"MU"}, {"S1 站控层:MU"}},
        {"gbk_multi_ap_line_protection.icd", "PL-2000_Ver5.20_RevC", "answer no\n", {"LD0", "PROT", "PIGO", "PISV"},
         {"S1 站控层MMS:LD0,PROT", "G1 过程层GOOSE:PIGO", "M1 过程层SV:PISV"}},
        {"ed2_bay_controller.icd", "BCU-8_Ver1.4_RevC", "answer no\n", {"CTRL", "MEAS"}, {"AP1 :CTRL,MEAS"}},
        {"ed2_station_client_first.scd", "220kV_Station_Ver3_RevA", "answer no\n", {"LD0", "PROT", "PIGO", "PISV"},
         {"S1 站控层MMS:LD0,PROT", "G1 过程层GOOSE:PIGO", "M1 过程层SV:PISV"}},
        {"utf16le_bus_protection.icd", "BP-30_Ver1.2_RevA", "", {"PROT"}, {"S1 :PROT"}},
        {"prefixed_namespace_bus_protection.iid", "BP-30I_Ver1.2_RevA", "answer no\n", {"PROT"}, {"S1 :PROT"}},
        {"latin1_feeder_relay.icd", "FR-7_Ver4.1_RevC", "", {"PROT"}, {"S1 :PROT"}},
        {"gb2312_multi_ap_line_relay.icd", "JXB-931A_Ver1.00_RevA", "answer no\n", {"PROT", "MEAS", "PIGO", "PISV"},
         {"S1 站控层:PROT,MEAS", "G1 GOOSE过程层:PIGO", "M1 SV过程层:PISV"}},
        {"ed2_pv_feeder_station.scd", "PV_E02_Station_Ver3_Rev1", "answer no\n", {"PROT", "CTRL", "DER"},
         {"S1 站控层MMS:PROT,CTRL,DER"}},
    };
    for (const auto& c : cases) {
        fs::remove_all(ws);
        ASSERT_EQ(RunKiln("init '" + ws.string() + "'").first, 0);
        const fs::path out = dir / (std::string(c.file) + ".out.icd");
        auto [status, text] =
            Run("export.kiln", ProductAndImport(c.file, c.report) +
                                   "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: " + c.icd + "\"\n" +
                                   "answer no\nanswer file " + out.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n");
        ASSERT_EQ(status, 0) << c.file << "\n" << text;
        EXPECT_TRUE(Has(text, "文件导出成功！")) << c.file << "\n" << text;
        const SclValidation valid = ValidateScl(out);
        EXPECT_TRUE(valid.Ok()) << c.file << "\n" << valid.output;
        const std::string written = ReadAll(out);
        for (const std::string& ld : c.devices)
            EXPECT_TRUE(Has(written, "<LDevice inst=\"" + ld + "\"")) << c.file << " " << ld;
        std::vector<std::string> accessPoints;
        const std::regex element("<(AccessPoint name|LDevice inst)=\"([^\"]*)\"(?: desc=\"([^\"]*)\")?");
        for (std::sregex_iterator it(written.begin(), written.end(), element), end; it != end; ++it) {
            if ((*it)[1] == "AccessPoint name")
                accessPoints.push_back((*it)[2].str() + " " + (*it)[3].str() + ":");
            else if (!accessPoints.empty())
                accessPoints.back() += (accessPoints.back().back() == ':' ? "" : ",") + (*it)[2].str();
        }
        EXPECT_EQ(accessPoints, c.accessPoints) << c.file;
    }
}

// A maker's report and log control blocks come in through the menus and go
// out through the ICD export as the file had them: its gi, max, clients,
// buffer time, descriptions and logName, its integrity periods (none where
// it had none), the members that left out their own device, its options as
// the schema reads them (1 and 0, defaults), RptEnabled's description, the
// indexed flag, the log's buffer time, the setting-group control without a
// description of kiln's, and an input of another IED as the file named it.
TEST_F(ImportEndToEnd, ControlBlocksGoOutAsTheMakersFileHadThem) {
    const char* file = "feeder_relay_report_blocks.icd";
    const fs::path out = dir / "out.icd";
    auto [status, text] =
        Run("export.kiln", ProductAndImport(file, "answer no\n") +
                               "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: FR-21_Ver2.0_RevA\"\n"
                               "answer no\nanswer file " + out.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n");
    ASSERT_EQ(status, 0) << text;
    ASSERT_TRUE(Has(text, "文件导出成功！")) << text;
    // The clients and the input outside the file are kept as named, with no
    // finding; the IED's Services, which the model has no place for, are named.
    EXPECT_TRUE(Has(text, "ICD文件导入完毕,发现错误0个。是否查看报告？ -> no")) << text;
    const SclValidation valid = ValidateScl(out);
    EXPECT_TRUE(valid.Ok()) << valid.output;

    pugi::xml_document source, written;
    ASSERT_TRUE(source.load_file((fs::path(KILN_SOURCE_DIR) / "tests/data/scl" / file).c_str()));
    ASSERT_TRUE(written.load_file(out.c_str()));
    const char* const ln0 = "/SCL/IED/AccessPoint/Server/LDevice[@inst='PROT']/LN0/";
    auto values = [&](const pugi::xml_document& doc, const std::string& path) {
        std::vector<std::string> found;
        for (const pugi::xpath_node& n : doc.select_nodes((ln0 + path).c_str()))
            found.push_back(n.attribute() ? n.attribute().value() : n.node().name());
        return found;
    };
    // What the file wrote comes back as it was.
    for (const char* path :
         {"ReportControl/@name", "ReportControl/@desc[. != '']", "ReportControl/@bufTime", "ReportControl/@intgPd",
          "ReportControl[@name!='urcbMeas']/RptEnabled/@max",
          "ReportControl/RptEnabled/ClientLN/@iedName", "ReportControl/RptEnabled/ClientLN/@ldInst",
          "ReportControl/RptEnabled/ClientLN/@prefix", "ReportControl/RptEnabled/ClientLN/@lnClass",
          "ReportControl/RptEnabled/ClientLN/@lnInst", "ReportControl/RptEnabled/ClientLN/@apRef",
          "ReportControl/RptEnabled/ClientLN/@desc", "LogControl/@desc", "LogControl/@logName", "LogControl/@intgPd",
          "DataSet/FCDA/@lnClass", "DataSet/FCDA/@lnInst", "DataSet/FCDA/@doName", "ReportControl/RptEnabled/@desc",
          "ReportControl/@indexed", "LogControl/@bufTime", "SettingControl/@numOfSGs", "SettingControl/@actSG",
          "SettingControl/@resvTms", "SettingControl/@desc"})
        EXPECT_EQ(values(written, path), values(source, path)) << path;
    // Descriptions only where the file had them.
    EXPECT_EQ(values(written, "ReportControl/@desc"), values(source, "ReportControl/@desc"));
    // The inputs of PTOC2, of another IED and of this one, as named; this
    // IED's own is named TEMPLATE, as the written IED is.
    const char* const inputs = "/SCL/IED/AccessPoint/Server/LDevice[@inst='PROT']/LN[@inst='2']/Inputs/ExtRef";
    ASSERT_EQ(source.select_nodes(inputs).size(), 2u);
    const std::string self = source.select_node("/SCL/IED/@name").attribute().value();
    for (const char* attr : {"iedName", "ldInst", "prefix", "lnClass", "lnInst", "doName", "daName", "intAddr", "desc"}) {
        std::vector<std::string> was, is;
        for (const pugi::xpath_node& n : source.select_nodes(inputs)) {
            const std::string value = n.node().attribute(attr).value();
            was.push_back(std::string(attr) == "iedName" && value == self ? "TEMPLATE" : value);
        }
        for (const pugi::xpath_node& n : written.select_nodes(inputs)) is.push_back(n.node().attribute(attr).value());
        EXPECT_EQ(is, was) << attr;
    }
    // Booleans as the schema reads them: 1 and 0 are true and false.
    EXPECT_EQ(values(written, "ReportControl[@name='urcbMeas']/TrgOps/@*"),
              (std::vector<std::string>{"true", "false", "false", "false", "true"}));  // dchg dupd qchg gi period
    EXPECT_EQ(values(written, "ReportControl[@name='urcbMeas']/OptFields/@seqNum"), std::vector<std::string>{"true"});
    EXPECT_EQ(values(written, "ReportControl[@name='urcbMeas']/@buffered"), std::vector<std::string>{});
    EXPECT_EQ(values(written, "ReportControl[@name='urcbCyc']/TrgOps/@period"), std::vector<std::string>{"true"});
    // Options the file left out are left out (the schema's defaults stand).
    EXPECT_EQ(values(written, "ReportControl/OptFields/@bufOvfl"), std::vector<std::string>{"false"});
    EXPECT_EQ(values(written, "ReportControl/OptFields/@dataRef"), std::vector<std::string>{});
    // What it left to the schema's defaults: general interrogation on, one
    // client; a member without ldInst is in the data set's own device.
    EXPECT_EQ(values(written, "ReportControl[@name!='urcbMeas']/TrgOps/@gi"), (std::vector<std::string>{"true", "true"}));
    EXPECT_EQ(values(written, "ReportControl[@name='urcbMeas']/RptEnabled/@max"), std::vector<std::string>{"1"});
    EXPECT_EQ(values(written, "DataSet[@name='dsTrip']/FCDA/@ldInst"),
              (std::vector<std::string>{"PROT", "PROT", "PROT"}));
}

// A device copied from one imported ICD and pasted into another: its data
// set's member of the first ICD's MEAS/MMXU1, which the second has not,
// names no node; the export leaves it out and names it, the file is valid
// SCL, and the check names the member.
TEST_F(ImportEndToEnd, APastedDeviceNamesNoNodeOfTheIcdItCameFrom) {
    const fs::path out = dir / "out.icd";
    const std::string target = "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: FR-7_Ver4.1_RevC\"";
    auto [status, text] = Run(
        "paste.kiln",
        ProductAndImport("feeder_relay_report_blocks.icd", "answer no\n") + "answer file " +
            std::string(KILN_SOURCE_DIR) + "/tests/data/scl/latin1_feeder_relay.icd\n" +
            "answer choice \"Orsane.Zel:2007  (标准)\"\nrclick\nmenu \"导入 ICD（IED类型配置）\"\n"
            "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: FR-21_Ver2.0_RevA\" \"IED: FR21_F03\" "
            "逻辑装置:PROT(保护)\nrclick\nmenu \"复制 LD\"\n" +
            target + " \"IED: FR7_E03\" \"逻辑装置:PROT(Schutzgerät)\"\nrclick\nmenu \"粘贴 LD\"\n" + target +
            "\nanswer no\nanswer file " + out.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n" + target +
            "\nanswer no\nrclick\nmenu \"检查ICD是否正确\"\n");
    ASSERT_EQ(status, 0) << text;
    EXPECT_TRUE(Has(text, "文件导出成功！\n    未导出数据集成员（未指向LNode）：LD_2/LLN0.dsMeas:MEAS/MMXU1.TotW\n")) << text;
    EXPECT_FALSE(Has(ReadAll(out), "ldInst=\"MEAS\"")) << ReadAll(out);
    EXPECT_TRUE(Has(ReadAll(ws / "document" / "Report.xml"),
                    "LD: LD_2的LNode: LLN0的DataSet: dsMeas的FCDA_1\" error=\" 未指定LNode ！\""));
    const SclValidation valid = ValidateScl(out);
    EXPECT_TRUE(valid.Ok()) << valid.output;
}

// A maker's ICD with classes the standard package does not hold (a later
// edition's LN class and CDC, a maker's LN class), a restricted copy of a
// standard enumeration and a value without text goes out again as the file
// had them: the classes, the nodes named after them and the data-set members
// that name them, the maker's enumerations with their own values, and the
// iedType of each LN type.
TEST_F(ImportEndToEnd, MakerClassesAndEnumerationsGoOutAsTheFileHadThem) {
    const fs::path out = dir / "inverter.out.icd";
    auto [status, text] = Run("export.kiln",
                              ProductAndImport("der_inverter_maker_classes.icd", "answer no\n") +
                                  "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: PV-INV-50_Ver3.02_RevB\"\n"
                                  "answer no\nanswer file " + out.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n");
    ASSERT_EQ(status, 0) << text;
    ASSERT_TRUE(Has(text, "文件导出成功！")) << text;
    const SclValidation valid = ValidateScl(out);
    EXPECT_TRUE(valid.Ok()) << valid.output;

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(out.c_str()));
    const pugi::xml_node dtt = doc.select_node("/SCL/DataTypeTemplates").node();
    auto values = [&](const pugi::xml_node& at, const char* xpath) {
        std::vector<std::string> found;
        for (const pugi::xpath_node& n : at.select_nodes(xpath))
            found.push_back(n.attribute() ? n.attribute().value() : n.node().text().get());
        return found;
    };
    using Texts = std::vector<std::string>;
    const struct {
        const char* xpath;
        Texts expected;
    } rows[] = {
        // Classes of the types, written as read.
        {"LNodeType/@lnClass", {"LLN0", "LPHD", "ZINV", "LPDI"}},
        {"DOType[@id='OTS_OpTm']/@cdc", {"OTS"}},
        {"LNodeType/@iedType", {"PV-INV-50", "PV-INV-50", "PV-INV-50", "PV-INV-50"}},
        // The maker's restricted enumeration with its own values; the
        // standard one it copied whole stays the standard's.
        {"EnumType/@id", {"BehaviourModeKind", "CtlModelKind", "HealthKind", "INV_StateKind"}},
        {"EnumType[@id='BehaviourModeKind']/EnumVal/@ord", {"1", "5"}},
        {"EnumType[@id='BehaviourModeKind']/EnumVal", {"on", "off"}},
        {"EnumType[@id='INV_StateKind']/EnumVal", {"", "Standby", "Running", "Fault"}},
    };
    for (const auto& r : rows) EXPECT_EQ(values(dtt, r.xpath), r.expected) << r.xpath;
    // The nodes keep their class, and the data-set members name them so.
    const pugi::xml_node ld = doc.select_node("//LDevice[@inst='DER']").node();
    EXPECT_EQ(values(ld, "LN/@lnClass"), (Texts{"LPHD", "ZINV", "LPDI", "LPDI"}));
    EXPECT_EQ(values(ld, "LN0/DataSet/FCDA/@lnClass"), (Texts{"ZINV", "ZINV", "LPDI", "LPDI"}));
    EXPECT_EQ(values(ld, "LN0/DataSet/FCDA[@prefix='PV']/@lnInst"), (Texts{"1", "2"}));
}

// An ICD made with the menus from standard classes with all their members,
// written, imported and written again: the second MICS document is the
// first, the ICD's name aside, so the imported types carry the presence
// conditions of their classes' members as the made ones do.
TEST_F(ImportEndToEnd, TheMicsOfAnImportedIcdIsThatOfTheIcdItCameFrom) {
    const std::string icd = "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1";
    std::string script =
        "view TreeView_User\nanswer text 华东电气\nrclick\nmenu 新建产品包\n"
        "select \"产品包: 华东电气\"\nanswer choice --保护装置\nrclick\nmenu 新建IED产品\n"
        "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"\nrclick\nmenu \"新建 ICD（IED类型配置）\"\n" +
        icd + "\" 类型配置 LN类配置\n";
    for (const char* cls : {"LLN0", "LPHD", "PTOC", "MMXU", "XCBR"})
        script += std::string("answer choice \"") + cls + "  (Orsane.Zel:2007)\"\n" +
                  "answer choice \"复制所有成员\\t\\t\\t（M、C和O）\"\nrclick\nmenu \"增加 LN 类型\"\n";
    script += icd + "\" \"IED: TEMPLATE\"\nrclick\nmenu \"增加 LD\"\n" + icd + "\" \"IED: TEMPLATE\" 逻辑装置:LD_1\n";
    for (const char* cls : {"PTOC", "MMXU", "XCBR"})
        script += std::string("answer choice \"Product_1_") + cls + "  (Product_1模板类包)\"\nrclick\nmenu \"增加 LN\"\n";
    const fs::path first = dir / "made.icd", second = dir / "again.icd";
    script += icd + "\"\nanswer no\nanswer file " + first.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n" +
              "select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"\nanswer file " + first.string() +
              "\nanswer choice \"Orsane.Zel:2007  (标准)\"\nrclick\nmenu \"导入 ICD（IED类型配置）\"\n" + icd +
              "_Ver_Rev\"\nanswer no\nanswer file " + second.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n";
    auto [status, text] = Run("mics.kiln", script);
    ASSERT_EQ(status, 0) << text;
    ASSERT_TRUE(Has(text, "[message] 导入成功!")) << text;

    const std::string made = ReadAll(dir / "made.mics");
    std::string again = ReadAll(dir / "again.mics");
    for (size_t at; (at = again.find("Product_1_Ver_Rev")) != std::string::npos;) again.erase(at + 9, 8);
    EXPECT_TRUE(Has(made, "presence=\"M\"") && Has(made, "presence=\"O\""));
    EXPECT_FALSE(Has(made, "presence=\"\""));
    EXPECT_EQ(again, made);
}

// A maker's settings file through the menus: every DOI, SDI and DAI goes out
// as the file wrote it, with its descriptions, short addresses, kinds of
// value, indexes, the values of every setting group and empty values, and
// DOIs and DAIs that hold nothing else.
TEST_F(ImportEndToEnd, DoiValuesGoOutAgainAsTheFileWroteThem) {
    const char* file = "distance_relay_settings.icd";
    const fs::path out = dir / "settings.out.icd";
    auto [status, text] = Run("settings.kiln", ProductAndImport(file, "") +
                                                   "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" "
                                                   "\"IED类型配置: LDR-9_Ver3.0_RevA\"\n"
                                                   "answer no\nanswer file " + out.string() +
                                                   "\nrclick\nmenu \"生成 ICD 文件\"\n");
    ASSERT_EQ(status, 0) << text;
    EXPECT_TRUE(Has(text, "导入成功!")) << text;
    EXPECT_TRUE(Has(text, "文件导出成功！")) << text;
    const SclValidation valid = ValidateScl(out);
    EXPECT_TRUE(valid.Ok()) << valid.output;
    const std::map<std::string, std::string> source =
        DoisByNode(fs::path(KILN_SOURCE_DIR) / "tests" / "data" / "scl" / file);
    ASSERT_EQ(source.size(), 4u);
    EXPECT_EQ(DoisByNode(out), source);
}

// What deletions and a new client leave in a maker's bay controller goes out
// as the model now holds it, each thing left out named after the success
// text: the inputs of Q0CSWI1 whose node (Q0XCBR1, renumbered first) is
// deleted keep no name of it, the blocks whose data sets are deleted (the
// confirmation names them) have no datSet, a client naming no node is not
// written, and the DOI of a DO deleted from its type goes with it (the
// confirmation names it). The check names the inputs that name no node.
TEST_F(ImportEndToEnd, WhatDeletionsLeaveGoesOutAsTheModelHoldsItAndIsNamed) {
    const fs::path out = dir / "bay.out.icd";
    const std::string ctrl = "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: BCU-8_Ver1.4_RevC\" "
                             "\"IED: BCU8_E01\" \"逻辑装置:CTRL(控制)\" ";
    std::string script = ProductAndImport("ed2_bay_controller.icd", "answer no\n") + ctrl +
                         "\"逻辑节点:[Q0]XCBR[1](断路器)\"\nedit sec:LNode.prefix Q9\nedit sec:LNode.lnInst 2\n" + ctrl +
                         "\"逻辑节点:[Q9]XCBR[2](断路器)\"\nanswer yes\nrclick\nmenu \"删除 LN\"\n";
    for (const char* set : {"dsPos", "dsLog"})
        script += ctrl + "\"逻辑节点:[]LLN0[]\" \"数据集: " + set + "\"\nanswer yes\nrclick\nmenu \"删除 数据集\"\n";
    script += ctrl + "\"逻辑节点:[]LLN0[]\" \"报告控制块: brcbPos\"\nrclick\nmenu \"增加 客户端LN\"\n" + ctrl +
              "\"逻辑节点:[Q0]CSWI[1](断路器控制)\" CSWI$V1 数据对象:Pos\nanswer yes\nrclick\nmenu \"删除 DO\"\n" +
              "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: BCU-8_Ver1.4_RevC\"\n"
              "answer no\nanswer file " + out.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n"
              "answer no\nrclick\nmenu 检查ICD是否正确\n";
    auto [status, text] = Run("deletions.kiln", script);
    ASSERT_EQ(status, 0) << text;
    for (const char* question : {"确实要删除“数据集: dsPos”吗？\n    删除后以下控制块将没有数据集：brcbPos -> yes",
                                 "确实要删除“数据集: dsLog”吗？\n    删除后以下控制块将没有数据集：lcbPos -> yes",
                                 "确实要删除“数据对象:Pos”吗？\n    删除后以下实例和数据集成员将一并删除：CTRL/Q0CSWI1.Pos -> yes"})
        EXPECT_TRUE(Has(text, question)) << question << "\n" << text;
    // A block without a data set is valid SCL: said as it is.
    EXPECT_TRUE(Has(text, "文件导出成功！\n"
                          "    未导出客户端LN（未指向LNode）：CTRL/LLN0.brcbPos:Client_2\n"
                          "    未导出外部输入量的源（未指向LNode）：CTRL/Q0CSWI1.CB_POS\n"
                          "    未导出外部输入量的源（未指向LNode）：CTRL/Q0CSWI1.CB_POS_Q\n"
                          "    控制块没有数据集：CTRL/LLN0.brcbPos\n"
                          "    控制块没有数据集：CTRL/LLN0.lcbPos\n"))
        << text;
    const std::string report = ReadAll(ws / "document" / "Report.xml");
    for (const char* finding : {"LD: CTRL的LNode: Q0CSWI1的ExtRef: CB_POS\" error=\" 未指定LNode ！\"",
                                "LD: CTRL的LNode: Q0CSWI1的ExtRef: CB_POS_Q\" error=\" 未指定LNode ！\""})
        EXPECT_TRUE(Has(report, finding)) << finding << "\n" << report;
    const SclValidation valid = ValidateScl(out);
    EXPECT_TRUE(valid.Ok()) << valid.output;

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(out.c_str()));
    const pugi::xml_node ld = doc.select_node("//LDevice[@inst='CTRL']").node();
    auto canonical = [&](const char* xpath) {
        std::vector<std::string> found;
        for (const pugi::xpath_node& n : ld.select_nodes(xpath)) found.push_back(Canonical(n.node()));
        return found;
    };
    EXPECT_EQ(canonical("LN[@lnClass='CSWI']/Inputs/ExtRef"),
              (std::vector<std::string>{"<ExtRef daName=\"stVal\" doName=\"Pos\" intAddr=\"CB_POS\"></ExtRef>",
                                        "<ExtRef daName=\"q\" doName=\"Pos\" intAddr=\"CB_POS_Q\"></ExtRef>"}));
    EXPECT_TRUE(canonical("LN[@lnClass='CSWI']/DOI").empty());
    EXPECT_TRUE(canonical("LN0/*[@datSet]").empty());
    EXPECT_EQ(canonical("LN0/ReportControl/RptEnabled/ClientLN"),
              std::vector<std::string>{"<ClientLN apRef=\"S1\" iedName=\"GW01\" ldInst=\"LD0\" lnClass=\"ITCI\" "
                                       "lnInst=\"1\"></ClientLN>"});
}

// A node given another type of its class, one made of the mandatory members
// only: the export leaves out the DOIs of the DOs that type lacks and names
// them, and the check names the same DOIs.
TEST_F(ImportEndToEnd, TheCheckNamesTheDoisTheExportLeavesOut) {
    const fs::path out = dir / "retyped.out.icd";
    const std::string icd = "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: BCU-8_Ver1.4_RevC\"";
    auto [status, text] = Run("retyped.kiln",
                              ProductAndImport("ed2_bay_controller.icd", "answer no\n") + icd +
                                  " 类型配置 LN类配置\nanswer choice \"MMXU  (Orsane.Zel:2007)\"\n"
                                  "answer choice \"复制必选成员\\t\\t\\t（M）\"\nrclick\nmenu \"增加 LN 类型\"\n" + icd +
                                  " \"IED: BCU8_E01\" \"逻辑装置:MEAS(测量)\" \"逻辑节点:[]MMXU[1](测量)\"\n"
                                  "edit sec:LNode.LNodeType \"BCU-8_Ver1.4_RevC_MMXU  (_新导入_模板类包)\"\n" + icd +
                                  "\nanswer no\nanswer file " + out.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n"
                                  "answer no\nrclick\nmenu 检查ICD是否正确\n");
    ASSERT_EQ(status, 0) << text;
    EXPECT_TRUE(Has(text, "文件导出成功！\n    未导出DOI（LN类型中没有该DO）：MEAS/MMXU1.TotW\n"
                          "    未导出DOI（LN类型中没有该DO）：MEAS/MMXU1.Hz\n"))
        << text;
    const std::string report = ReadAll(ws / "document" / "Report.xml");
    for (const char* finding : {"LD: MEAS的LNode: MMXU1的DOI: TotW\" error=\"LN类型中没有该DO\"",
                                "LD: MEAS的LNode: MMXU1的DOI: Hz\" error=\"LN类型中没有该DO\""})
        EXPECT_TRUE(Has(report, finding)) << finding << "\n" << report;
}

// Values their basic types cannot hold, as a file may bring them, come in
// as they are; the export names each after its success text, and the check
// of the ICD reports each as an error, those of nodes and those of types.
// Types nesting 3000 deep (below the name plate, whose DOI the walks read)
// or containing themselves come in too: the import and the check name
// them, and the exports end.
TEST_F(ImportEndToEnd, ValuesTheirTypesCannotHoldAreNamedByTheExportAndTheCheck) {
    std::string icd = ReadAll(fs::path(KILN_SOURCE_DIR) / "tests" / "data" / "scl" / "distance_relay_settings.icd");
    const std::string longText(300, 'a'), bigFloat(44, '9');
    std::string chain = "<DAType id=\"Self\"><BDA name=\"s\" bType=\"Struct\" type=\"Self\"/></DAType>";
    for (int i = 0; i < 3000; ++i)
        chain += "<DAType id=\"T" + std::to_string(i) + "\"><BDA name=\"v\" bType=\"BOOLEAN\"/>" +
                 (i < 2999 ? "<BDA name=\"b\" bType=\"Struct\" type=\"T" + std::to_string(i + 1) + "\"/>" : "") +
                 "</DAType>";
    const std::pair<std::string, std::string> edits[] = {
        {"<DOType id=\"LDR_LPL\" cdc=\"LPL\">",
         "<DOType id=\"LDR_LPL\" cdc=\"LPL\"><DA name=\"deep\" fc=\"DC\" bType=\"Struct\" type=\"T0\"/>"},
        {"</DataTypeTemplates>", chain + "</DataTypeTemplates>"},
        {"<Val sGroup=\"3\">3.0</Val>", "<Val sGroup=\"3\">" + bigFloat + "</Val>"},
        {"<DAI name=\"numPts\"><Val>2</Val>", "<DAI name=\"numPts\"><Val>65536</Val>"},
        {"<DAI name=\"swRev\"><Val/>", "<DAI name=\"swRev\"><Val>" + longText + "</Val>"},
        {"<DA name=\"numPts\" fc=\"SP\" bType=\"INT16U\"/>",
         "<DA name=\"numPts\" fc=\"SP\" bType=\"INT16U\"><Val>-1</Val></DA>"},
    };
    for (const auto& [from, to] : edits) {
        const size_t at = icd.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        icd.replace(at, from.size(), to);
    }
    Write("values.icd", icd);
    const fs::path out = dir / "values.out.icd";
    const std::string product = "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: LDR-9_Ver3.0_RevA\"";
    auto [status, text] = Run("values.kiln", ProductAndImport((dir / "values.icd").string(), "answer no\n") +
                                                 product + "\nanswer no\nanswer file " + out.string() +
                                                 "\nrclick\nmenu \"生成 ICD 文件\"\n"
                                                 "answer no\nrclick\nmenu 检查ICD是否正确\n" + product +
                                                 " 类型配置\nanswer file " + (dir / "types.out").string() +
                                                 "\nrclick\nmenu \"生成 TypePackage 文件\"\n");
    ASSERT_EQ(status, 0) << text;
    EXPECT_TRUE(Has(text, "ICD文件导入完毕,发现错误2个。")) << text;
    EXPECT_TRUE(Has(ReadAll(out), "<DAType id=\"T2999\""));
    EXPECT_TRUE(Has(ReadAll(dir / "types.out"), "<DAType id=\"Self\""));
    const std::string named[] = {
        "\n    不符合SCL的值（VisString255取值错误）：PROT/LLN0.NamPlt.swRev:" + longText,
        "\n    不符合SCL的值（FLOAT32取值错误）：PROT/PDIS1.PoRch.setMag.f:" + bigFloat,
        "\n    不符合SCL的值（INT16U取值错误）：PROT/PDIS1.TmACrv.numPts:65536",
        "\n    不符合SCL的值（INT16U取值错误）：LDR_CSG.numPts:-1",
    };
    for (const std::string& line : named) EXPECT_TRUE(Has(text, "文件导出成功！") && Has(text, line)) << line << "\n" << text;
    const std::string report = ReadAll(ws / "document" / "Report.xml");
    const std::string reported[] = {
        "LD: PROT的LNode: LLN0的DOI: NamPlt的DAI: swRev[DC]\" error=\"VisString255取值错误：" + longText,
        "LD: PROT的LNode: PDIS1的DOI: PoRch的DAI: setMag[SG].f\" error=\"FLOAT32取值错误：" + bigFloat,
        "LD: PROT的LNode: PDIS1的DOI: TmACrv的DAI: numPts[SP]\" error=\"INT16U取值错误：65536",
        "_新导入_模板类包的DOType: LDR_CSG的DA: numPts\" error=\"INT16U取值错误：-1",
        "_新导入_模板类包的DOType: LDR_LPL\" error=\"类型嵌套超过32层",
        "_新导入_模板类包的DAType: Self\" error=\"类型嵌套形成闭环：Self"};
    for (const std::string& error : reported) {
        const size_t at = report.find(error);
        EXPECT_NE(at, std::string::npos) << error << "\n" << report;
        EXPECT_EQ(report.find(error, at + 1), std::string::npos) << error;  // once
    }
}

// A report that cannot be written (a file-size limit stands for a full disk)
// fails the run with the file and the system's reason, not with the answer
// left over for the report question that then never comes; the workspace
// stays as it was.
TEST_F(ImportEndToEnd, AReportThatCannotBeWrittenFailsTheRunWithItsReason) {
    const auto before = Snapshot();
    Write("import.kiln", ProductAndImport("ed2_bay_controller.icd", "answer no\n"));
    auto [status, out] = RunShell("trap '' XFSZ; ulimit -f 0; " +
                                  KilnCommand("run '" + ws.string() + "' '" + (dir / "import.kiln").string() + "'"));
    EXPECT_EQ(status, 1) << out;
    const std::string report = (ws / "document" / "Report.xml").string();
    EXPECT_TRUE(Has(out, "[message] " + report + "文件保存不成功！")) << out;
    // The error line of the menu event ends with the file and the reason.
    const size_t at = out.find("kiln: error: " + (dir / "import.kiln").string() + ":");
    ASSERT_NE(at, std::string::npos) << out;
    const std::string line = out.substr(at, out.find('\n', at) - at);
    const std::string reason = report + "：" + std::strerror(EFBIG);
    EXPECT_EQ(line.substr(line.size() - std::min(line.size(), reason.size())), reason) << out;
    EXPECT_FALSE(Has(out, "found no question")) << out;
    EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace kiln::test
