// Imports through the kiln program: an ICD file into a product and the name
// replacement, each reached through the context menus with the file dialog
// answered by the script, on a workspace made by `kiln init`.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

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

// Files in further tools' styles (a byte-order mark and CRLF, GBK, UTF-16,
// a prefixed namespace, ISO-8859-1) come in through the menus and go out
// again through the ICD export as valid SCL holding the same devices.
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
        {"prefixed_namespace_bus_protection.iid", "BP-30I_Ver1.2_RevA", "", {"PROT"}},
        {"latin1_feeder_relay.icd", "FR-7_Ver4.1_RevC", "", {"PROT"}},
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

}  // namespace
}  // namespace kiln::test
