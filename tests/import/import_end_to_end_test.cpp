// Imports through the kiln program: an ICD file into a product and the name
// replacement, each reached through the context menus with the file dialog
// answered by the script, on a workspace made by `kiln init`.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "tests/host/kiln_program.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

// A product package "示例电气" with one product, then the data file imported
// into the product with the shipped package chosen; `report` answers the
// report question when the import finds something.
std::string ProductAndImport(const std::string& file, const std::string& report) {
    return "view TreeView_User\n"
           "answer text 示例电气\nrclick\nmenu 新建产品包\n"
           "select \"产品包: 示例电气\"\nanswer choice --保护装置\nrclick\nmenu 新建IED产品\n"
           "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\"\n"
           "answer file " + std::string(KILN_SOURCE_DIR) + "/tests/data/scl/" + file + "\n" +
           "answer choice \"Orsane.Zel:2007  (标准)\"\n" + report +
           "rclick\nmenu \"导入 ICD（IED类型配置）\"\n";
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
    auto [status, out] = Run("import.kiln", ProductAndImport("ed2_bay_controller.icd", "answer no\n"));
    ASSERT_EQ(status, 0) << out;
    ASSERT_TRUE(Has(out, "ICD文件导入完毕,发现错误1个。是否查看报告？ -> no")) << out;

    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">"
        "<Header id=\"\"/><DataTypeTemplates>\n";
    Write("icd.Name", head +
                          "<Name name=\"CTRL\" type=\"sec:LDevice\" changeto=\"控制\"/>\n"
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
    for (const char* line : {"[command] ICD:RepalceName", "[command] ICD:RepalceName All",
                             "[open file] TypePackage文件|*.Name|ICD-XML文件|*.xml||", "逻辑装置:控制(控制)"})
        EXPECT_TRUE(Has(out, line)) << line << "\n" << out;
    EXPECT_FALSE(Has(out, "[message]")) << out;
    const std::string doc = DocumentText();
    for (const char* text : {"<cim:Naming.name>断路器控制1</cim:Naming.name>", "<cim:Naming.name>CSWI_控制</cim:Naming.name>",
                             "<cim:Naming.name>位置</cim:Naming.name>", "<sec:DARef.doName>位置</sec:DARef.doName>",
                             "<cim:Naming.name>物理装置1</cim:Naming.name>"})
        EXPECT_TRUE(Has(doc, text)) << text;
    for (const char* text : {"<cim:Naming.name>Q0CSWI1</cim:Naming.name>", "<sec:DARef.doName>Pos</sec:DARef.doName>",
                             "<cim:Naming.name>LPHD1</cim:Naming.name>"})
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
    EXPECT_TRUE(Has(ReadAll(dir / "out.Name"), "name=\"断路器控制1\"")) << ReadAll(dir / "out.Name");
    EXPECT_EQ(Snapshot(), before);
}

// Files in further tools' styles (a byte-order mark and CRLF, GBK, GB2312,
// UTF-16, a prefixed namespace, ISO-8859-1, a station file whose first IED
// is a client) come in through the menus and go out
// again through the ICD export as valid SCL holding the same devices.
// Nothing to rename, and a question of an import left without a fitting
// answer, are neither a lock nor a bad file: the run says no such thing.
TEST_F(ImportEndToEnd, NothingToRenameAndUnansweredQuestionsAreNoBadFiles) {
    Write("all.Name", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\">"
                      "<Header id=\"\"/><DataTypeTemplates><Name name=\"LPHD1\" changeto=\"物理装置1\"/>"
                      "</DataTypeTemplates></SCL>\n");
    auto [status, out] = Run("rename.kiln", "view TreeView_User\nanswer file all.Name\nrclick\nmenu 替换名称\n");
    ASSERT_EQ(status, 0) << out;
    EXPECT_TRUE(Has(out, "[command] ICD:RepalceName All")) << out;
    EXPECT_FALSE(Has(out, "[message]")) << out;

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
        {ProductAndImport("ed2_bay_controller.icd", ""), "ICD文件导入完毕,发现错误1个。是否查看报告？"},
        {typePackage + "answer text PK\nanswer cancel\n" + importIt, "TypePackage文件导入完毕,发现错误"},
    };
    for (const auto& [script, question] : runs) {
        std::tie(status, out) = Run("unanswered.kiln", script);
        EXPECT_EQ(status, 1) << out;
        EXPECT_TRUE(Has(out, question)) << out;
        EXPECT_FALSE(Has(out, "文件格式不正确")) << out;
    }
}

TEST_F(ImportEndToEnd, FilesOfFurtherToolsGoOutAgainAsValidScl) {
    const struct {
        const char* file;
        const char* icd;
        const char* report;  // the answer to the report question, when there is one
        std::vector<std::string> devices;
    } cases[] = {
        {"ed2_1_merging_unit.cid", "MU-610_Ver2.1_RevA", "answer no\n", {"MU"}},
        {"gbk_multi_ap_line_protection.icd", "PL-2000_Ver5.20_RevC", "answer no\n", {"LD0", "PROT", "PIGO", "PISV"}},
        {"utf16le_bus_protection.icd", "BP-30_Ver1.2_RevA", "", {"PROT"}},
        {"prefixed_namespace_bus_protection.iid", "BP-30I_Ver1.2_RevA", "answer no\n", {"PROT"}},
        {"latin1_feeder_relay.icd", "FR-7_Ver4.1_RevC", "", {"PROT"}},
        {"gb2312_multi_ap_line_relay.icd", "JXB-931A_Ver1.00_RevA", "answer no\n", {"PROT", "MEAS", "PIGO", "PISV"}},
        {"ed2_pv_feeder_station.scd", "PV_E02_Station_Ver3_Rev1", "answer no\n", {"PROT", "CTRL", "DER"}},
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
    }
}

// A maker's report and log control blocks come in through the menus and go
// out through the ICD export as the file had them: its gi, max, clients,
// buffer time, descriptions and logName, its integrity periods (none where
// it had none), and the members that left out their own device.
TEST_F(ImportEndToEnd, ControlBlocksGoOutAsTheMakersFileHadThem) {
    const char* file = "feeder_relay_report_blocks.icd";
    const fs::path out = dir / "out.icd";
    auto [status, text] =
        Run("export.kiln", ProductAndImport(file, "answer no\n") +
                               "select \"产品包: 示例电气\" \"IED产品: 产品类型_1\" \"IED类型配置: FR-21_Ver2.0_RevA\"\n"
                               "answer no\nanswer file " + out.string() + "\nrclick\nmenu \"生成 ICD 文件\"\n");
    ASSERT_EQ(status, 0) << text;
    ASSERT_TRUE(Has(text, "文件导出成功！")) << text;
    // The clients are outside the file: reported, and kept.
    EXPECT_TRUE(Has(text, "ICD文件导入完毕,发现错误2个。是否查看报告？ -> no")) << text;
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
          "ReportControl[@name='urcbMeas']/TrgOps/@gi", "ReportControl[@name!='urcbMeas']/RptEnabled/@max",
          "ReportControl/RptEnabled/ClientLN/@iedName", "ReportControl/RptEnabled/ClientLN/@ldInst",
          "ReportControl/RptEnabled/ClientLN/@prefix", "ReportControl/RptEnabled/ClientLN/@lnClass",
          "ReportControl/RptEnabled/ClientLN/@lnInst", "ReportControl/RptEnabled/ClientLN/@apRef",
          "ReportControl/RptEnabled/ClientLN/@desc", "LogControl/@desc", "LogControl/@logName", "LogControl/@intgPd",
          "DataSet/FCDA/@lnClass", "DataSet/FCDA/@lnInst", "DataSet/FCDA/@doName"})
        EXPECT_EQ(values(written, path), values(source, path)) << path;
    // What it left to the schema's defaults: general interrogation on, one
    // client; a member without ldInst is in the data set's own device.
    EXPECT_EQ(values(written, "ReportControl[@name!='urcbMeas']/TrgOps/@gi"), (std::vector<std::string>{"true", "true"}));
    EXPECT_EQ(values(written, "ReportControl[@name='urcbMeas']/RptEnabled/@max"), std::vector<std::string>{"1"});
    EXPECT_EQ(values(written, "DataSet[@name='dsTrip']/FCDA/@ldInst"),
              (std::vector<std::string>{"PROT", "PROT", "PROT"}));
}

}  // namespace
}  // namespace kiln::test
