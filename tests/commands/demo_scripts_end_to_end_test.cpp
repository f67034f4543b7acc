// Scripts played through the kiln program on the workspace that
// examples/demo.kiln builds (tests/commands/data/*.kiln): the standard data
// sets and the DO descriptions (server-wide and for one device), the
// alarms generated from an ITB, and a model made with the menus: its nodes,
// instances, counts, places, bay-wise mappings, names, generated types, data
// sets and copies, names taken and names SCL refuses. Each writes an ICD
// that must be valid SCL, or whose breaches the export names; further runs
// show the store.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "tests/host/kiln_program.h"
#include "tests/host/named_breaches.h"

namespace fs = std::filesystem;

namespace {

using kiln::test::KilnCommand;
using kiln::test::ReadAll;
using kiln::test::RunShell;

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// A fresh demo workspace (dir/build/demo-workspace) with the script of
// tests/commands/data copied beside the demo (dir/examples), as
// scripts/demo lays them out.
class DemoScripts : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(source / "domains" / "IEC61850_std.xml"))
            GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
        fs::remove_all(dir);
        fs::create_directories(dir / "examples");
        fs::create_directories(dir / "build");
        fs::copy_file(source / "examples" / "demo.kiln", dir / "examples" / "demo.kiln");
        auto [initStatus, initOut] = RunShell(KilnCommand("init " + Quoted(ws)));
        ASSERT_EQ(initStatus, 0) << initOut;
        auto [status, out] = Kiln(Quoted(dir / "examples" / "demo.kiln"));
        ASSERT_EQ(status, 0) << out;
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs kiln on the workspace with the arguments after its path.
    std::pair<int, std::string> Kiln(const std::string& args) {
        return RunShell(KilnCommand("run " + Quoted(ws) + " " + args));
    }
    // Plays the data script on the workspace.
    std::pair<int, std::string> Play(const char* script) {
        fs::copy_file(source / "tests" / "commands" / "data" / script, dir / "examples" / script);
        return Kiln(Quoted(dir / "examples" / script));
    }
    // Validates the file against SCL2007B4; false when it cannot be done.
    bool Validate(const fs::path& file) {
        const kiln::test::SclValidation lint = kiln::test::ValidateScl(file);
        EXPECT_TRUE(lint.Ok()) << lint.output;
        return lint.done;
    }
    // The file is valid, or its schema errors are the breaches its export's
    // message in the transcript names; false when it cannot be validated.
    bool ValidOrNamed(const fs::path& file, const std::string& out) {
        const kiln::test::SclValidation lint = kiln::test::ValidateScl(file);
        const size_t at = out.find("[message] " + file.string());
        const std::string message = at == std::string::npos ? out : out.substr(at, out.find("\n[", at + 1) - at);
        EXPECT_EQ(lint.Ok() ? "" : kiln::test::SchemaErrorsAgainstBreaches(file.string(), message, lint.output), "")
            << lint.output;
        return lint.done;
    }
    static std::string Match(const std::string& text, const std::string& pattern) {
        std::smatch m;
        return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : std::string();
    }

    const fs::path source = KILN_SOURCE_DIR;
    const fs::path dir = fs::temp_directory_path() / ("kiln_scripts_" + std::to_string(::getpid()));
    const fs::path ws = dir / "build" / "demo-workspace";
};

void ExpectAll(const std::string& text, std::initializer_list<std::string> parts) {
    for (const std::string& part : parts) EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

TEST_F(DemoScripts, StandardSetsAndDescriptionsGiveAValidIcd) {
    auto [status, out] = Play("sets_and_descriptions.kiln");
    ASSERT_EQ(status, 0) << out;
    ExpectAll(out, {"[question yes/no] 是否在IED范围 -> yes", "[command] ICD:Write Description of DOs",
                    "              日志: Log\n                日志控制块: LCB_DS_MOD",
                    "              数据集: DS_MX\n                功能限制DA项: FCDA_1", "              数据集: DS_COMM",
                    "              数据集: DS_DevAlarm", "[document] saved"});
    EXPECT_EQ(out.find("未知命令"), std::string::npos);
    EXPECT_EQ(out.find("[message]"), out.find("[message] " + (ws / "sets.icd").string()));

    // LLN0 as the store holds it: four sets left, eight RCBs, seven LCBs, one log.
    const std::string lln0 = Match(out, R"(description of "LLN0" \(([^)]+)\))");
    ASSERT_FALSE(lln0.empty()) << out;
    auto [showStatus, shown] = Kiln("-e 'show " + lln0 + "' -e 'show " + lln0 + " sec:LNode.DataSets'");
    ASSERT_EQ(showStatus, 0) << shown;
    ExpectAll(shown, {"sec:LNode.RCBs -> 8:", "sec:LNode.LCBs -> 7:", "sec:LNode.Log -> 1: \"Log\"",
                      "sec:LNode.SGCB -> 1: \"SGCB\"", "\"DS_MX\"  ", "\"DS_COMM\"  "});

    const std::string text = ReadAll(ws / "sets.icd");
    ASSERT_FALSE(text.empty());
    ExpectAll(text, {"<DataSet name=\"DS_MX\" desc=\"测量值\">", "doName=\"SoftWrn\" fc=\"ST\"",
                     "doName=\"Mod\" fc=\"ST\"", "<Log name=\"Log\"", "logName=\"Log\" datSet=\"DS_ACT\"",
                     "<DO name=\"Mod\" type=\"Product_1_ENC_BehaviourModeKind\" desc=\"模式\"",
                     "<DO name=\"Op\" type=\"Product_1_ACT\" transient=\"true\" desc=\"动作\"", "numOfSGs=\"5\""});

    // A maker's LN0 with a prefix, named by a member, a client with the prefix and an input with an
    // instance (as files written before named it): each finds it, and is written naming it as its LN0 stands.
    std::string maker = std::regex_replace(text, std::regex("(<LN0 )([^>]*>)"), "$1prefix=\"Zq\" $2<Inputs><ExtRef "
        "iedName=\"TEMPLATE\" ldInst=\"LD_1\" lnClass=\"LLN0\" lnInst=\"1\" doName=\"Mod\" intAddr=\"in1\"/></Inputs>");
    std::ofstream(ws / "maker.icd") << std::regex_replace(maker, std::regex("(\"RCB_DS_MOD\"[\\s\\S]*?<RptEnabled max=\"5\") />"),
        "$1><ClientLN iedName=\"TEMPLATE\" ldInst=\"LD_1\" prefix=\"Zq\" lnClass=\"LLN0\" lnInst=\"\"/></RptEnabled>");
    const std::string product = "'select \"产品包: 华东电气\" \"IED产品: 产品类型_1\"";
    auto [makerStatus, makerOut] = Kiln("-e " + product + "' -e 'answer file " + (ws / "maker.icd").string() +
        "' -e 'answer choice \"Orsane.Zel:2007  (标准)\"' -e rclick -e 'menu \"导入 ICD（IED类型配置）\"' -e " + product +
        " \"IED类型配置: Product_1_Ver_Rev#2\"' -e 'answer no' -e 'answer file " + (ws / "again.icd").string() + "' -e rclick -e 'menu \"生成 ICD 文件\"'");
    ASSERT_EQ(makerStatus, 0) << makerOut;
    ExpectAll(makerOut, {"[message] 导入成功!", "控制块没有数据集：LD_1/LLN0.RCB_DS_ST"});
    ExpectAll(ReadAll(ws / "again.icd"), {"zScl:prefix=\"Zq\"", "<FCDA ldInst=\"LD_1\" lnClass=\"LLN0\" doName=\"Mod\"",
        "<ClientLN iedName=\"TEMPLATE\" ldInst=\"LD_1\" lnClass=\"LLN0\" lnInst=\"\"",
        "<ExtRef iedName=\"TEMPLATE\" ldInst=\"LD_1\" lnClass=\"LLN0\" doName=\"Mod\""});
    // A document saved by the release before, its LLN0 named with its instance: the export names it as the file does.
    int renamed = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(ws / "document")) {
        const std::string xml = ReadAll(e.path()), old = std::regex_replace(
            xml, std::regex("(<sec:LNode rdf:ID=\"[^\"]*\">\\s*<cim:Naming.name>)LLN0<"), "$1LLN01<");
        if (old != xml) std::ofstream(e.path()) << old, ++renamed;
    }
    ASSERT_GT(renamed, 0);
    auto [oldStatus, oldOut] = Kiln("-e " + product + " \"IED类型配置: Product_1\"' -e 'answer no' -e 'answer file " +
                                    (ws / "old.icd").string() + "' -e rclick -e 'menu \"生成 ICD 文件\"'");
    ASSERT_EQ(oldStatus, 0) << oldOut;
    ExpectAll(oldOut, {"控制块没有数据集：LD_1/LLN0.RCB_DS_ST"});
    EXPECT_EQ(oldOut.find("LLN01."), std::string::npos) << oldOut;
    if (!Validate(ws / "sets.icd"))
        GTEST_SKIP() << "no ../shared/xsd/SCL2007B4/SCL.xsd or no xmllint: the ICD was not validated";
}

TEST_F(DemoScripts, StandardSetsWithoutLogGiveAnIcdWhoseBreachesAreNamed) {
    auto [status, out] = Play("sets_without_log.kiln");
    ASSERT_EQ(status, 0) << out;
    ExpectAll(out, {"[question yes/no] 是否在IED范围 -> no", "[document] saved"});
    EXPECT_EQ(out.find("[message]"), out.find("[message] " + (ws / "sets_no_log.icd").string()));

    // Only the set with members is written and named; the log control
    // blocks have no Log, which zScl:logName keeps, and so no logName, which
    // the export names.
    const std::string text = ReadAll(ws / "sets_no_log.icd");
    ASSERT_FALSE(text.empty());
    ExpectAll(out, {"不符合SCL的日志控制块（logName格式错误）：LD_1/LLN0.LCB_DS_ACT"});
    ExpectAll(text, {"<DataSet name=\"DS_ACT\"", "<LogControl name=\"LCB_DS_ACT\" datSet=\"DS_ACT\"",
                     "<LogControl name=\"LCB_DS_MOD\" logEna=", "zScl:logName=\"\">",
                     "<ReportControl name=\"RCB_DS_MX\" rptID=\"RCB_DS_MX\" confRev="});
    EXPECT_EQ(text.find("<DataSet name=\"DS_MX\""), std::string::npos);
    EXPECT_EQ(text.find("logName=\"\" "), std::string::npos);
    const kiln::test::SclValidation lint = kiln::test::ValidateScl(ws / "sets_no_log.icd");
    if (!lint.done) GTEST_SKIP() << "no ../shared/xsd/SCL2007B4/SCL.xsd or no xmllint: the ICD was not validated";
    EXPECT_NE(lint.status, 0);
    EXPECT_EQ(kiln::test::SchemaErrorsAgainstBreaches((ws / "sets_no_log.icd").string(), out, lint.output), "");
}

TEST_F(DemoScripts, AlarmsFromTheItbGiveAMappedGgioAndAValidIcd) {
    auto [status, out] = Play("alarms_from_itb.kiln");
    ASSERT_EQ(status, 0) << out;
    ExpectAll(out, {"[dialog] CDlg_SimpleGrid\n    1 | OvCurAlm |", "  -> rows 3,1",
                    "            逻辑节点:[]GGIO[1](告警信息)\n              Product_1_GGIO (告警信息)\n"
                    "                数据对象:Mod\n                数据对象:Health\n                数据对象:Beh\n"
                    "                数据对象:NamPlt\n                数据对象:CtlCirBrk\n"
                    "                数据对象:OvCurAlm\n",
                    "[document] saved"});
    EXPECT_EQ(out.find("[pick] 选择Mod使用的DOType:"), std::string::npos);  // zel_Mod_INC was found
    EXPECT_EQ(out.find("未知命令"), std::string::npos);

    // The first item points to the new node's DO; the second, not chosen, to nothing.
    const std::string first = Match(out, R"(sec:InfoItem.id of "Item1" \(([^)]+)\))");
    const std::string second = Match(out, R"(sec:InfoItem.id of "Item2" \(([^)]+)\))");
    ASSERT_FALSE(first.empty() || second.empty()) << out;
    auto [listStatus, listed] =
        Kiln("-e 'show " + first + " sec:InfoItem.MapItem' -e 'show " + second + " sec:InfoItem.MapItem'");
    ASSERT_EQ(listStatus, 0) << listed;
    const std::string firstMap = Match(listed, R"(sec:InfoItem.MapItem -> 1\n +"[^"]*"  (\S+))");
    const std::string secondMap = Match(listed.substr(listed.find(second)), R"(MapItem -> 1\n +"[^"]*"  (\S+))");
    ASSERT_FALSE(firstMap.empty() || secondMap.empty()) << listed;
    auto [showStatus, shown] = Kiln("-e 'show " + firstMap + "' -e 'show " + secondMap + "'");
    ASSERT_EQ(showStatus, 0) << shown;
    const size_t split = shown.find("> show " + secondMap);
    ASSERT_NE(split, std::string::npos) << shown;
    // The alarm's DO renamed OvAlm: its mapping and data-set member follow.
    ExpectAll(shown.substr(0, split), {"sec:DARef.doName = \"OvAlm\"", "sec:DARef.LNode -> 1: \"GGIO1\""});
    EXPECT_EQ(shown.find("sec:DARef.LNode", split), std::string::npos) << shown;

    const std::string text = ReadAll(ws / "alarms.icd");
    ExpectAll(text, {"<LN prefix=\"\" lnType=\"Product_1_GGIO\" lnClass=\"GGIO\" desc=\"告警信息\" inst=\"1\"",
                     "<DO name=\"NamPlt\" type=\"zel_LPL\" desc=\"铭牌\"",
                     "<DO name=\"CtlCirBrk\" type=\"Product_1_SPS\" desc=\"CtlCirBrk\"",
                     "<FCDA ldInst=\"LD_1\" lnClass=\"GGIO\" lnInst=\"1\" doName=\"OvAlm\" fc=\"ST\""});
    EXPECT_EQ(out.find("未导出数据集成员"), std::string::npos) << out;
    ExpectAll(ReadAll(ws / "alarms.m2i"), {"toDA=\"LD_1/GGIO1.OvAlm\""});

    // The node deleted, the M2I file names the mapping items it leaves out
    // (the second item was never mapped), and the check names them too.
    const std::string icd = "'select \"产品包: 华东电气\" \"IED产品: 产品类型_1\" \"IED类型配置: Product_1\"";
    auto [deleteStatus, deleted] =
        Kiln("-e " + icd + " \"IED: TEMPLATE\" 逻辑装置:LD_1' -e 'answer no' -e rclick -e 'menu ICD:Delete' -e " + icd +
             " \"IED: TEMPLATE\" 逻辑装置:LD_1 \"逻辑节点:[]GGIO[1](告警信息)\"' -e 'answer yes' -e rclick "
             "-e 'menu ICD:Delete' -e " + icd + " \"映射表: M2I\"' -e 'answer file " + (ws / "alarms.m2i").string() +
             "' -e rclick -e 'menu \"生成 M2I 文件\"' -e " + icd + "' -e 'answer no' -e rclick -e 'menu 检查ICD是否正确'");
    ASSERT_EQ(deleteStatus, 0) << deleted;
    ExpectAll(deleted, {"逻辑装置:LD_1”吗？\n    删除后以下映射条目将没有逻辑节点：Item1、Item3 -> no",
                        "吗？\n    删除后以下映射条目将没有逻辑节点：Item1、Item3 -> yes", "[message] " + (ws / "alarms.m2i").string() +
                                                                        "模板文件导出成功！\n    未导出映射条目（未指向逻辑节点）：Item1\n"
                        "    未导出映射条目（未指向逻辑节点）：Item2\n    未导出映射条目（未指向逻辑节点）：Item3\n"});
    const std::string report = ReadAll(ws / "document" / "Report.xml");
    ExpectAll(report, {"MapItem: Item1\" error=\" 未指定LNode ！\"", "MapItem: Item2\" error=\" 未指定LNode ！\"",
                       "MapItem: Item3\" error=\" 未指定LNode ！\""});

    // An information item deleted takes its mapping item along, as its
    // question says: neither the M2I file nor the check names it any more.
    auto [itemStatus, itemGone] =
        Kiln("-e " + icd + " \"装置信息表: ITB\" 未分组 \"信息条目: CtlCirBrk\"' -e 'answer yes' -e rclick -e 'menu ICD:Delete' -e " +
             icd + " \"映射表: M2I\"' -e 'answer file " + (ws / "alarms.m2i").string() +
             "' -e rclick -e 'menu \"生成 M2I 文件\"' -e " + icd + "' -e 'answer no' -e rclick -e 'menu 检查ICD是否正确'");
    ASSERT_EQ(itemStatus, 0) << itemGone;
    ExpectAll(itemGone, {"吗？\n    删除后以下映射条目将一并删除：Item3 -> yes",
                         "[message] " + (ws / "alarms.m2i").string() + "模板文件导出成功！\n    未导出映射条目（未指向逻辑节点）：Item1\n"
                         "    未导出映射条目（未指向逻辑节点）：Item2\n>"});
    EXPECT_EQ(ReadAll(ws / "document" / "Report.xml").find("MapItem: Item3"), std::string::npos);
    if (!Validate(ws / "alarms.icd"))
        GTEST_SKIP() << "no ../shared/xsd/SCL2007B4/SCL.xsd or no xmllint: the ICD was not validated";
}

// A model made with the menus only (menus_model.kiln): each command gives
// what was chosen, nothing is made twice, the ICD written is valid and what
// it leaves out is named.
TEST_F(DemoScripts, AModelMadeWithTheMenusHoldsWhatWasChosenAndNamesItsBreaches) {
    fs::copy_file(source / "tests" / "commands" / "data" / "menus_names.Name", dir / "examples" / "menus_names.Name");
    auto [status, out] = Play("menus_model.kiln");
    ASSERT_EQ(status, 0) << out;  // after the ICD's second renaming its IED is still TEMPLATE
    EXPECT_EQ(out.find("未知命令"), std::string::npos);
    // The log control blocks made before their device had a Log have no
    // logName, which is named; nothing else is until the plates.
    const std::string untilPlates = std::regex_replace(out.substr(0, out.find("== values SCL refuses")),
                                                       std::regex("\n *不符合SCL的日志控制块（logName格式错误）：[^\n]*"), "");
    // A second LLN0, made or pasted, a count and a place past every limit:
    // refused, the nodes as they were.
    const std::string secondLln0 = "\n[message] 逻辑装置中已经存在LLN0，不能增加逻辑节点！";
    ExpectAll(out, {"  -> \"Product_1_LLN0  (Product_1模板类包)\"" + secondLln0,
                    "[command] ICD:Paste" + secondLln0,
                    "[message] 数量超出上限，每次最多增加 10000 个逻辑节点！",
                    "[input] 请输入序号： -> \"4294967297\"\n[message] 不合法的整数！",
                    // The measured value of the mandatory members: a value
                    // type of no mandatory member takes its conditional ones.
                    "[status] DA类型Product_1_Ver_Rev_AnalogueValue在所选范围内没有成员，已复制其条件必选成员",
                    "          逻辑装置:LD_1\n            逻辑节点:[]LLN0[1]\n            逻辑节点:[]LPHD[1]\n"
                    "            逻辑节点:[]PTOC[1]\n            逻辑节点:[]MMXU[1]\n            逻辑节点:[]PTOC[2]\n",
                    // The attributes made are the rows chosen.
                    "              DO实例: TotW\n                DA实例: mag[MX].f\n"
                    "                DA实例: rangeC[CF].max.f\n                DA实例: dU[DC]\n",
                    // Each generated type takes a name of its own.
                    "[status] LN类型Product_1_GGIO已存在，新类型命名为Product_1_GGIO2",
                    "[status] LN类型Product_1_GGIO已存在，新类型命名为Product_1_GGIO3",
                    // The copy of LD_1 in its own IED, and a second LPL type.
                    "[status] 逻辑装置LD_1已存在，新逻辑装置命名为LD_2",
                    "[status] DO类型Product_1_LPL已存在，新类型命名为Product_1_LPL2", "[document] saved",
                    // Pastes that make nothing say so.
                    "[command] ICD:Paste\n[message] 数据集不能粘贴！",
                    "[command] ICD:Paste\n[message] 报告控制块不能粘贴！",
                    "[command] ICD:Paste\n[message] IED类型配置不能粘贴！",
                    // The GOOSE and sampled-value control blocks, not written, are named.
                    "    未导出GSE控制块（不支持导出）：PROT/LLN0.GSE控制块_1\n"
                    "    未导出采样控制块（不支持导出）：PROT/LLN0.采样控制块_1\n"});
    EXPECT_EQ(untilPlates.find("不符合SCL"), std::string::npos) << out;

    // The prefix joins each node's class (its type's) and instance.
    const std::string first = Match(out, R"(sec:LNode.prefix of "PTOC1" \(([^)]+)\))");
    const std::string second = Match(out, R"(sec:LNode.prefix of "PTOC2" \(([^)]+)\))");
    ASSERT_FALSE(first.empty() || second.empty()) << out;
    auto [showStatus, shown] = Kiln("-e 'show " + first + "' -e 'show " + second + "'");
    ASSERT_EQ(showStatus, 0) << shown;
    ExpectAll(shown, {"  \"APTOC1\"  sec:LNode", "  \"APTOC2\"  sec:LNode"});

    // The second item, made without an id, is the one mapped onto PTOC1.
    const std::string m2i = ReadAll(ws / "menus_model.m2i");
    EXPECT_FALSE(Match(m2i, R"re(toDA="LD_1/APTOC1.Op">\s*<Process[^>]*>\s*<Parameter [^>]*idITB="(2)")re").empty()) << m2i;

    const std::string text = ReadAll(ws / "menus_model.icd");
    ASSERT_FALSE(text.empty());
    ExpectAll(text, {"<IED name=\"TEMPLATE\"", "<LDevice inst=\"PROT\"", "<LDevice inst=\"LD_2\"",
                     "<SDI name=\"mag\">\n\t\t\t\t\t\t\t\t<DAI name=\"f\">\n\t\t\t\t\t\t\t\t\t<Val>1.5</Val>",
                     "<SDI name=\"rangeC\">\n\t\t\t\t\t\t\t\t<SDI name=\"max\">",
                     "<DO name=\"TotW\" type=\"X_MV\" desc=\"总有功\"",
                     "<LN prefix=\"A\" lnType=\"X_PTOC\" lnClass=\"PTOC\" desc=\"\" inst=\"2\"",
                     "<LN prefix=\"\" lnType=\"X_GGIO2\" lnClass=\"GGIO\" desc=\"一般信息\" inst=\"2\"",
                     "<LN prefix=\"\" lnType=\"X_GGIO3\" lnClass=\"GGIO\" desc=\"一般信息\" inst=\"3\"",
                     "<FCDA ldInst=\"PROT\" prefix=\"A\" lnClass=\"PTOC\" lnInst=\"2\" doName=\"Op\"",
                     "<FCDA ldInst=\"LD_2\" prefix=\"A\" lnClass=\"PTOC\" lnInst=\"2\" doName=\"Op\""});
    const size_t doi = text.find("<DOI name=\"TotW\">");
    ASSERT_NE(doi, std::string::npos) << text;
    EXPECT_EQ(text.substr(doi, text.find("</DOI>", doi) - doi).find("instMag"), std::string::npos) << text;
    auto count = [&text](const std::string& part) {
        int n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    };
    // The renamed ICD's types keep their IED's name; one type of each name;
    // in each device's LLN0 one of each set and block made twice, the copy's
    // members naming its own nodes.
    EXPECT_EQ(count("iedType=\"TEMPLATE\""), count("<LNodeType "));
    for (const char* type : {"X_GGIO\"", "X_GGIO2\"", "X_GGIO3\""})
        EXPECT_EQ(count(std::string("<LNodeType id=\"") + type), 1) << type;
    EXPECT_EQ(count("<LN0 "), 2);
    for (const char* part : {"<SettingControl ", "<DataSet name=\"DS_ACT\"", "<ReportControl name=\"RCB_DS_ACT\"",
                             "<DataSet name=\"DS_Comm\"", "<ReportControl name=\"RCB_DS_Comm\"",
                             "<LogControl name=\"LCB_DS_Comm\""})
        EXPECT_EQ(count(part), 2) << part;
    EXPECT_EQ(count("datSet=\"DS_ACT\""),
              count("<ReportControl name=\"RCB_DS_ACT\"") + count("<LogControl name=\"LCB_DS_ACT\""));
    EXPECT_EQ(count("<FCDA ldInst=\"LD_2\""), count("<FCDA ldInst=\"PROT\""));

    // Alarms of items without ids, two of each name and one Chinese: the
    // row chosen is mapped, not the other item of its name; names a DO of
    // the type has, or no DO name, are named and get no DO.
    ExpectAll(out, {"[message] 信息“OvCurAlm”的名称与LN类型中已有的DO重名，未生成DO！\n"
                    "    信息“ZroSeqAlm”的名称与LN类型中已有的DO重名，未生成DO！\n"
                    "    信息“过流告警”的名称不能作为DO名称（应以大写英文字母开头，只含英文字母和数字，"
                    "不超过12个字符），未生成DO！\n",
                    "              X_GGIO4 (告警信息)\n                数据对象:Mod\n                数据对象:Health\n"
                    "                数据对象:Beh\n                数据对象:NamPlt\n                数据对象:OvCurAlm\n"
                    "                数据对象:ZroSeqAlm\n          逻辑装置:LD_2\n"});
    const std::string itbM2i = ReadAll(ws / "menus_model_itb.m2i");
    EXPECT_FALSE(Match(itbM2i, R"re(toDA="PROT/GGIO4.OvCurAlm">\s*<Process[^>]*>\s*<Parameter [^>]*idITB="(6)")re").empty())
        << itbM2i;
    EXPECT_FALSE(Match(itbM2i, R"re(toDA="PROT/GGIO4.ZroSeqAlm">\s*<Process[^>]*>\s*<Parameter [^>]*idITB="(8)")re").empty())
        << itbM2i;
    int toGgio4 = 0;  // the items not chosen (7, 9, 10) point nowhere
    for (size_t at = itbM2i.find("toDA=\"PROT/GGIO4."); at != std::string::npos;
         at = itbM2i.find("toDA=\"PROT/GGIO4.", at + 1))
        ++toGgio4;
    EXPECT_EQ(toGgio4, 2) << itbM2i;
    for (const char* part : {"<DO name=\"OvCurAlm\"", "<DO name=\"ZroSeqAlm\""}) EXPECT_EQ(count(part), 1) << part;
    EXPECT_EQ(text.find("name=\"过流告警\""), std::string::npos);
    const std::string measured = ReadAll(ws / "menus_measured.icd");
    ExpectAll(measured, {"<DAType id=\"Product_1_Ver_Rev_AnalogueValue\" desc=\"\">\n\t\t\t<BDA name=\"i\""});
    const bool validated = ValidOrNamed(ws / "menus_model.icd", out) && ValidOrNamed(ws / "menus_measured.icd", out);

    // Names taken give the first free one, said on the status line; a
    // second LLN0 and names SCL refuses make nothing.
    ExpectAll(out, {"[status] 逻辑节点APTOC1已存在，新逻辑节点命名为APTOC3",
                    "[status] 逻辑装置PROT已存在，新逻辑装置命名为LD_3",
                    "[status] DO类型X_SPS已存在，新类型命名为X_SPS2",
                    "[status] LN类型X_MMXU已存在，新类型命名为X_MMXU2",
                    "[status] LN类型X_PTOC已存在，新类型命名为X_PTOC2",
                    "-> \"X_LLN0  (X模板类包)\"" + secondLln0,
                    "[message] 逻辑节点实例号必须是1到12位数字！\n  -> refused by the plug-in, kept \"1\"",
                    "[message] 逻辑节点前缀必须以字母开头，只含字母、数字和下划线，最多11个字符！\n"
                    "  -> refused by the plug-in, kept \"A\"",
                    "[message] 逻辑装置名必须以字母或数字开头，只含字母、数字和下划线，最多64个字符！\n"
                    "  -> refused by the plug-in, kept \"LD_2\""});
    const std::string names = ReadAll(ws / "menus_names.icd");
    ASSERT_FALSE(names.empty());
    ExpectAll(names, {"<LDevice inst=\"LD_3\"",
                      "<LN prefix=\"A\" lnType=\"X_PTOC\" lnClass=\"PTOC\" desc=\"\" inst=\"3\"",
                      "<LN prefix=\"\" lnType=\"X_PTOC2\" lnClass=\"PTOC\" desc=\"\" inst=\"3\"",
                      "<LNodeType id=\"X_PTOC2\"", "<DOType id=\"X_SPS2\"", "type=\"X_SPS2\""});
    auto countIn = [&names](const std::string& part) {
        int n = 0;
        for (size_t at = names.find(part); at != std::string::npos; at = names.find(part, at + 1)) ++n;
        return n;
    };
    for (const char* part : {"<LDevice inst=\"PROT\"", "<LDevice inst=\"LD_2\"", "<LNodeType id=\"X_PTOC\"",
                             "<DOType id=\"X_SPS\"", "<DOType id=\"X_SPS2\""})
        EXPECT_EQ(countIn(part), 1) << part;
    EXPECT_EQ(countIn("<LN0 "), 3);
    EXPECT_EQ(out.find("LDevice中已有LLN0"), std::string::npos) << out;
    EXPECT_EQ(countIn("inst=\"abc\""), 0);
    EXPECT_EQ(countIn("prefix=\"1A\""), 0);
    EXPECT_EQ(countIn("<LDevice inst=\"LD 2\""), 0);

    // A log name, a log control block's log name and a period SCL refuses
    // are not stored; the plates and the extension DO take SCL DO names,
    // said on the status line; of the names from the file, those SCL
    // refuses are left and named; the DOs left untyped are named after the
    // success text, and the schema refuses them too.
    const std::string badLog = "[message] 日志名必须以字母开头，只含字母、数字和下划线，最多32个字符！\n"
                               "  -> refused by the plug-in, kept ";
    ExpectAll(out, {"was \"Log\" -> \"日 志\"\n" + badLog + "\"Log\"", "was \"\" -> \"日 志\"\n" + badLog + "\"\"",
                    "was \"15000\" -> \"abc\"\n[message] 不合法的整数！\n  -> refused by the plug-in, kept \"15000\"",
                    "[status] DO名Mod_Soft不符合SCL，新DO命名为ModSoft\n[status] DO名Mod_hard不符合SCL，新DO命名为Modhard\n",
                    "[status] DO名Mod_Soft不符合SCL，新DO命名为ModSoft2\n[status] DO名Mod_hard不符合SCL，新DO命名为Modhard2\n",
                    "[status] DO名DO_8不符合SCL，新DO命名为DO8",
                    "[message] 名称Health未替换为健康：DO名必须以大写字母开头，只含字母和数字，最多12个字符！\n"
                    "    名称X_GGIO未替换为X_PTOC：类型包中已经存在名为X_PTOC的类型，不能修改！\n"
                    "    名称LD_2未替换为LD 2：逻辑装置名必须以字母或数字开头，只含字母、数字和下划线，最多64个字符！\n",
                    "    不符合SCL的DO（type未指向DOType）：X_PTOC.ModSoft\n"
                    "    不符合SCL的DO（type未指向DOType）：X_PTOC.Modhard\n"
                    "    不符合SCL的DO（type未指向DOType）：X_PTOC.ModSoft2\n"
                    "    不符合SCL的DO（type未指向DOType）：X_PTOC.Modhard2\n== the ITB and the type package"});
    const std::string plates = ReadAll(ws / "menus_plates.icd");
    ExpectAll(plates, {"<LDevice inst=\"BAY3\"", "<LDevice inst=\"LD_2\"", "<DO name=\"DO8\" type=\"X_SPS\"",
                       "<DO name=\"ModSoft2\" type=\"\"", "<LNodeType id=\"X_GGIO\"", "<DO name=\"Health\""});
    for (const char* part : {"Mod_Soft", "Mod_hard", "DO_8", "日 志", "intgPd=\"abc\"", "name=\"健康\"", "LD 2"})
        EXPECT_EQ(plates.find(part), std::string::npos) << part;
    // The ITB and the type package read back and written again are the
    // files first written, but for the owner their headers name.
    auto owned = [&](const char* file, std::initializer_list<std::pair<std::string, std::string>> owners) {
        std::string text = ReadAll(ws / file);
        for (const auto& [from, to] : owners)
            if (text.find(from) != std::string::npos) text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string itb = ReadAll(ws / "menus_model.itb");
    ExpectAll(itb, {"<InfoGroup name=\"1/2\"", "dataType=\"SPS\"", "typ=\"1\" fun=\"160\" inf=\"90\" grp=\"2\" itm=\"1\""});
    EXPECT_EQ(owned("menus_model_again.itb", {{"iedModel=\"Product_1_Ver_Rev\"", "iedModel=\"X\""},
                                              {"ITB For Product_1_Ver_Rev", "ITB For X"}}),
              itb);
    const std::string types = ReadAll(ws / "menus_model.Type");
    ASSERT_NE(types.find("<LNodeType id=\"X_PTOC\""), std::string::npos) << types;
    EXPECT_EQ(owned("menus_model_again.Type", {{"<Header id=\"X2\"", "<Header id=\"X模板类包\""}}), types);
    // The M2I file read back and the name file replaced from give the same
    // files again; the replacement says it is done. The mapping whose item
    // goes by the order number another item has as its id is named, not
    // written: read back, it would link to the other item.
    ExpectAll(out, {"menus_round_trip1.m2i\n[message] " + (ws / "menus_round_trip1.m2i").string() + "模板文件导出成功！\n"
                    "    未导出映射条目（InfoItem的标识12与其他InfoItem相同）：Item6\n",
                    "[message] 导入成功!\n[message] " + (ws / "menus_round_trip1.m2i").string() + "模板文件导入完成！",
                    "[message] " + (ws / "menus_round_trip1.Name").string() + "文件替换完成！"});
    for (const char* file : {"menus_round_trip1.m2i", "menus_round_trip1.Name"}) {
        std::string second = file;
        second.replace(second.find('1'), 1, "2");
        const std::string written = ReadAll(ws / file);
        EXPECT_NE(written.find(second.back() == 'i' ? "<MappingItem " : "<Name "), std::string::npos) << written;
        EXPECT_EQ(ReadAll(ws / second), written) << second;
    }
    const kiln::test::SclValidation lint = kiln::test::ValidateScl(ws / "menus_plates.icd");
    if (lint.done) {
        EXPECT_FALSE(lint.Ok()) << "the untyped DOs were expected to break the schema";
    }
    if (!validated || !ValidOrNamed(ws / "menus_names.icd", out))
        GTEST_SKIP() << "no ../shared/xsd/SCL2007B4/SCL.xsd or no xmllint: the ICD was not validated";
}

}  // namespace
