// Information items through the kiln program: an ITB made through menus and
// edits, nodes, descriptions and mapping targets from rows chosen in the
// grid, and the M2I and ICD files written from the result.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/host/kiln_program.h"

namespace fs = std::filesystem;

namespace {

using kiln::test::KilnCommand;
using kiln::test::ReadAll;
using kiln::test::RunShell;

constexpr const char* kScript = R"kiln(echo "== a product package and a product (TreeView_User)"
view TreeView_User
answer text 华东电气
rclick
menu 新建产品包
select "产品包: 华东电气"
answer choice --保护装置
rclick
menu 新建IED产品

echo "== an ICD of the product"
select "产品包: 华东电气" "IED产品: 产品类型_1"
rclick
menu "新建 ICD（IED类型配置）"

echo "== LN types LLN0, LPHD and PTOC instantiated from the standard package, mandatory members"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" 类型配置 LN类配置
answer choice "LLN0  (Orsane.Zel:2007)"
answer choice "复制必选成员\t\t\t（M）"
rclick
menu "增加 LN 类型"
answer choice "LPHD  (Orsane.Zel:2007)"
answer choice "复制必选成员\t\t\t（M）"
rclick
menu "增加 LN 类型"
answer choice "PTOC  (Orsane.Zel:2007)"
answer choice "复制必选成员\t\t\t（M）"
rclick
menu "增加 LN 类型"

echo "== a logical device (born with LLN0 and LPHD) and a PTOC node in it"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "IED: TEMPLATE"
rclick
menu "增加 LD"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "IED: TEMPLATE" 逻辑装置:LD_1
answer choice "Product_1_PTOC  (Product_1模板类包)"
rclick
menu "增加 LN"
echo "== an ITB of three items, made through menus and edits"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1"
rclick
menu "新建 ITB（装置信息表）"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "装置信息表: ITB"
rclick
menu "增加 信息条目"
rclick
menu "增加 信息条目"
rclick
menu "增加 信息条目"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "装置信息表: ITB" 未分组 "信息条目: Item1"
edit sec:InfoItem.id 1
edit sec:InfoItem.p103_grp 2
edit sec:InfoItem.p103_ent 1
edit cim:Naming.name 跳闸出口
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "装置信息表: ITB" 未分组 "信息条目: Item2"
edit sec:InfoItem.id 2
edit sec:InfoItem.p103_grp 1
edit sec:InfoItem.p103_ent 5
edit cim:Naming.name 过流告警
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "装置信息表: ITB" 未分组 "信息条目: Item3"
edit sec:InfoItem.id 3
edit sec:InfoItem.p103_grp 1
edit sec:InfoItem.p103_ent 3
edit cim:Naming.name 装置异常
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1"
rclick
menu "新建 M2I（信息表到模型的映射）"
tree 6
echo "== two PTOC nodes from items picked in the grid"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "IED: TEMPLATE" 逻辑装置:LD_1
answer rows 1-2
answer choice "Product_1_PTOC  (Product_1模板类包)"
rclick
menu "根据 ITB 新建 LNode "
echo "== descriptions of the PTOC nodes from the ITB"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "IED: TEMPLATE" 逻辑装置:LD_1 "逻辑节点:[]PTOC[1]"
answer rows 3,1-2
rclick
menu 根据ITB写注释
echo "== one node and one DO for the mapping items of items 3 and 1"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "映射表: M2I"
answer rows 3,1
answer choice "LD_1/[]PTOC[1](跳闸出口)"
rclick
menu 指定到共同的LNode
answer rows 1-3
answer choice Str
rclick
menu 指定到共同的DO
view TreeView_User
tree 6
echo "== the mapping as an M2I file"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1" "映射表: M2I"
answer file ../out/grid.m2i
rclick
menu "生成 M2I 文件"
echo "== the ICD file"
select "产品包: 华东电气" "IED产品: 产品类型_1" "IED类型配置: Product_1"
answer no
answer file ../out/grid.icd
rclick
menu "生成 ICD 文件"
)kiln";

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(InfoItemEndToEnd, RowsChosenInTheGridBuildNodesDescriptionsAndMappings) {
    if (!fs::exists(fs::path(KILN_SOURCE_DIR) / "domains" / "IEC61850_std.xml"))
        GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
    const fs::path dir = fs::temp_directory_path() / ("kiln_grid_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "scripts");
    fs::create_directories(dir / "out");
    std::ofstream(dir / "scripts" / "grid.kiln") << kScript;
    const fs::path ws = dir / "ws";
    auto [initStatus, initOut] = RunShell(KilnCommand("init '" + ws.string() + "'"));
    ASSERT_EQ(initStatus, 0) << initOut;
    auto [status, out] =
        RunShell(KilnCommand("run '" + ws.string() + "' '" + (dir / "scripts" / "grid.kiln").string() + "'"));
    ASSERT_EQ(status, 0) << out;
    // The grid lists the items by group and entry for the node commands.
    EXPECT_NE(out.find("    3 | 装置异常 |  |  |  |  | 1 | 3 | \n    2 | 过流告警 |  |  |  |  | 1 | 5 | \n"
                       "    1 | 跳闸出口 |  |  |  |  | 2 | 1 | \n  -> rows 1-2"),
              std::string::npos)
        << out;
    for (const char* node : {"逻辑节点:[]PTOC[1](跳闸出口)", "逻辑节点:[]PTOC[2](装置异常)", "逻辑节点:[]PTOC[3](过流告警)"})
        EXPECT_NE(out.find(node), std::string::npos) << node << "\n" << out;

    // Items 1 and 3 got the node and the DO; item 2 only the DO, so it is
    // not written; nor is item 3, whose target item 1 has (named).
    const std::string m2i = ReadAll(dir / "out" / "grid.m2i");
    EXPECT_EQ(1u, Count(m2i, "toDA=\"LD_1/PTOC1.Str\""));
    EXPECT_NE(m2i.find("idITB=\"1\""), std::string::npos) << m2i;
    EXPECT_EQ(m2i.find("idITB=\"3\""), std::string::npos) << m2i;
    EXPECT_EQ(m2i.find("idITB=\"2\""), std::string::npos) << m2i;
    EXPECT_NE(out.find("未导出映射条目（toDA: LD_1/PTOC1.Str重复）：Item3"), std::string::npos) << out;

    const fs::path icd = dir / "out" / "grid.icd";
    const std::string scl = ReadAll(icd);
    EXPECT_NE(scl.find("desc=\"装置异常\" inst=\"2\">"), std::string::npos) << scl;
    EXPECT_NE(scl.find("<ExtRef intAddr=\"过流告警\" />"), std::string::npos) << scl;
    const kiln::test::SclValidation lint = kiln::test::ValidateScl(icd);
    EXPECT_TRUE(lint.Ok()) << lint.output;
    fs::remove_all(dir);
    if (!lint.done) GTEST_SKIP() << "no ../shared/xsd/SCL2007B4/SCL.xsd or no xmllint: the file was not validated";
}

}  // namespace
