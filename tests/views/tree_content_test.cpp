// The content of the model trees: top levels, folders by package kind,
// children by class in their order, information items by group.
#include <algorithm>
#include <functional>
#include <tuple>

#include "core/type_nesting.h"
#include "tests/views/views_fixture.h"

using namespace kiln::test;
using Texts_t = std::vector<std::string>;

namespace {

class TreeContent : public ViewsTest {};

TEST_F(TreeContent, TopLevelsOfTheFourTrees) {
    URI_Ref productPackage = Make(kInstDomain, "sec:ProductPackage", "产品包");
    // An ICD of a product stands under the product, not at the top.
    URI_Ref product = Make(kInstDomain, "sec:Product", "PX");
    URI_Ref icd2 = Make(kIcdDomain, "sec:ICD", "A_ICD");
    Link(icd2, "sec:ICD.Product", product);
    URI_Ref stdTwo = MakeTypePackage(kStdDomain, "AAA标准", false);

    const Texts_t user = Texts(Children(kView_TreeUser));
    EXPECT_EQ(user, (Texts_t{app.GetRscText(productPackage, true).str(), app.GetRscText(icd.icd, true).str(), "产品类型包:P1"}));
    for (const char* sid : {kView_TreePreset, kView_TreeICDPreset2}) EXPECT_EQ(Texts(Children(sid)), user) << sid;
    // Standard packages only, by name, none of an ICD.
    EXPECT_EQ(Texts(Children(kView_TreeICDPreset)), (Texts_t{"标准定义:AAA标准", "标准定义:IEC61850"}));
    (void)stdTwo;
}

TEST_F(TreeContent, OtherViewsGetNothingAndTheManagerViewTheFrameworksItems) {
    std::vector<Struct_ItemDesc> out;
    EXPECT_TRUE(app.TreeMsg_OnSetChildItems(View(kView_Html1), nullptr, &out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(app.TreeMsg_OnSetChildItems(View(kView_TreeManager), nullptr, &out));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front().uRsc.sClass, kDomainTypeClass);
}

TEST_F(TreeContent, FoldersOfADeclarationPackage) {
    Struct_ItemDesc pkg = Children(kView_TreeICDPreset).back();
    auto folders = Children(kView_TreeICDPreset, &pkg);
    EXPECT_EQ(Texts(folders), (Texts_t{"LN类", "CDC类", "DA类", "枚举值类", "语义字典"}));
    const char* keys[] = {"LN类型", "DO类型", "DA类型", "Enum类型", "名称语义"};
    const char* labels[] = {"LN类型", "CDC类", "DA类型", "枚举值类", "名称语义"};
    for (size_t k = 0; k < folders.size(); ++k) {
        EXPECT_EQ(folders[k].sText4, keys[k]);
        EXPECT_EQ(folders[k].sText2, labels[k]);
        EXPECT_EQ(folders[k].uRsc, m.stdPkg);
    }
    auto semantics = Children(kView_TreeICDPreset, &folders[4]);
    EXPECT_EQ(Texts(semantics), (Texts_t{"DO名称语义", "DA名称语义"}));
}

TEST_F(TreeContent, FoldersOfInstancePackagesWithAndWithoutIcd) {
    Struct_ItemDesc p1 = Children(kView_TreeUser).back();
    EXPECT_EQ(Texts(Children(kView_TreeUser, &p1)), (Texts_t{"LN类", "DO类型", "DA类", "LD类型", "枚举值类"}));
    Struct_ItemDesc own = ItemOf(icd.icdPkg);
    EXPECT_EQ(Texts(Children(kView_TreeUser, &own)), (Texts_t{"LN类", "DO类型", "DA类", "枚举值类"}));
    // Under its ICD the package is the folder "类型配置", whatever its kind.
    Set(icd.icdPkg, "sec:TypePackage.isInstType", "false");
    Struct_ItemDesc icdItem = ItemOf(icd.icd);
    Struct_ItemDesc config = Child(kView_TreeUser, &icdItem, "类型配置");
    EXPECT_EQ(config.uRsc, icd.icdPkg);
    EXPECT_EQ(Texts(Children(kView_TreeUser, &config)), (Texts_t{"LN类配置", "DO类配置", "DA类配置", "Enum类配置"}));
}

TEST_F(TreeContent, AnIcdShowsItsPartsAndOptionalFolders) {
    Struct_ItemDesc icdItem = ItemOf(icd.icd);
    Texts_t texts = Texts(Children(kView_TreeUser, &icdItem));
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], "类型配置");
    // Without a type package or product versions, no folder for them.
    URI_Ref bare = Make(kIcdDomain, "sec:ICD", "BARE");
    Struct_ItemDesc bareItem = ItemOf(bare);
    EXPECT_TRUE(Children(kView_TreeUser, &bareItem).empty());
    URI_Ref ver = Make(kIcdDomain, "sec:ProductVer", "V2");
    Link(ver, "sec:ProductVer.ICD", bare);
    URI_Ref ver1 = Make(kIcdDomain, "sec:ProductVer", "V1");
    Link(ver1, "sec:ProductVer.ICD", bare);
    auto folder = Children(kView_TreeUser, &bareItem);
    ASSERT_EQ(Texts(folder), Texts_t{"软件版本"});
    auto versions = Children(kView_TreeUser, &folder[0]);
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_EQ(versions[0].uRsc, ver1);  // by name
}

TEST_F(TreeContent, TypesByNameEnumerationsByOrder) {
    MakeEnumType(m.instPkg, "Zeta", 1, {"a"});
    MakeEnumType(m.instPkg, "Alpha", 2, {"b"});
    MakeLNodeType(m.instPkg, "AAA_GGIO", 9);
    Struct_ItemDesc p1 = ItemOf(m.instPkg);
    Struct_ItemDesc ln = Child(kView_TreeUser, &p1, "LN类");
    Texts_t types = Texts(Children(kView_TreeUser, &ln));
    ASSERT_EQ(types.size(), 2u);
    EXPECT_NE(types[0].find("AAA_GGIO"), std::string::npos);
    Struct_ItemDesc en = Child(kView_TreeUser, &p1, "枚举值类");
    auto enums = Children(kView_TreeUser, &en);
    ASSERT_EQ(enums.size(), 2u);
    EXPECT_EQ(app.DocMtd_getValue_ofAttr(enums[0].uRsc, "cim:Naming.name"), "Zeta");
}

TEST_F(TreeContent, AnIedShowsOneSignalListAndTheDevicesOfAllServersByOrder) {
    Struct_ItemDesc ied = ItemOf(icd.ied);
    auto items = Children(kView_TreeUser, &ied);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].sText3, "信号列表");
    EXPECT_EQ(items[0].uRsc, icd.sl1);
    EXPECT_EQ(items[1].uRsc, icd.ldB);
    EXPECT_EQ(items[2].uRsc, icd.ldA);
    auto signals = Children(kView_TreeUser, &items[0]);
    ASSERT_EQ(signals.size(), 2u);
    EXPECT_EQ(signals[0].uRsc, icd.in1);
    EXPECT_EQ(signals[1].uRsc, icd.out1);
    EXPECT_FALSE(signals[0].bFlag1);
    EXPECT_FALSE(signals[1].bFlag1);
}

TEST_F(TreeContent, ALogicalNodeListsItsPartsInOrderWithExternalInputsPrefixed) {
    Struct_ItemDesc ln = ItemOf(icd.lnPtoc);
    auto items = Children(kView_TreeUser, &ln);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].uRsc, m.p1Ptoc);
    EXPECT_EQ(items[1].uRsc, icd.doiOp);
    EXPECT_EQ(items[2].sText3, "外部输入" + app.GetRscText(icd.extRef, true));
    EXPECT_TRUE(items[2].bFlag1);
    EXPECT_EQ(items[3].uRsc, icd.gse);
    EXPECT_FALSE(items[3].bFlag1);
    EXPECT_EQ(items[3].sText4, "sec:GSE");
}

TEST_F(TreeContent, InformationItemsByGroupAndUngrouped) {
    // A group without a name holds no item: an ungrouped item shows once, as such.
    URI_Ref unnamed = MakeUnder(icd.itb, "sec:InfoGroup", "", "sec:InfoGroup.ITB", 3);
    Struct_ItemDesc itb = ItemOf(icd.itb);
    auto items = Children(kView_TreeUser, &itb);
    EXPECT_EQ(Texts(items), (Texts_t{app.GetRscText(icd.gYaoxin, true).str(), app.GetRscText(icd.gAlarm, true).str(),
                                     app.GetRscText(unnamed, true).str(), "未分组"}));
    auto members = [&](Struct_ItemDesc& item) {
        std::vector<URI_Ref> r;
        for (auto& c : Children(kView_TreeUser, &item)) r.push_back(c.uRsc);
        return r;
    };
    EXPECT_EQ(members(items[0]), (std::vector<URI_Ref>{icd.i1}));
    // Group names are compared case-sensitively: "alarm" is not "Alarm".
    EXPECT_EQ(members(items[1]), (std::vector<URI_Ref>{icd.i4}));
    EXPECT_TRUE(members(items[2]).empty());
    EXPECT_EQ(items[3].sText2, "InfoItemUnGroup");
    EXPECT_EQ(items[3].sText4, "sec:ITB");
    EXPECT_EQ(members(items[3]), (std::vector<URI_Ref>{icd.i2, icd.i3, icd.i5}));
}

TEST_F(TreeContent, TheSortRuleFollowsThePath) {
    // "sec:LNodeType.DOs" sorts by order, "sec:TypePackage.LNodeTypes" by name.
    URI_Ref t = MakeLNodeType(m.instPkg, "T", 5);
    MakeDO(t, "Zz", 1, m.p1Sps);
    MakeDO(t, "Aa", 2, m.p1Sps);
    std::vector<Struct_ItemDesc> out;
    ASSERT_TRUE(app.AddTreeItems_byAssoPath_ICD(&out, t, "sec:LNodeType.DOs", "", true));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(app.DocMtd_getValue_ofAttr(out[0].uRsc, "cim:Naming.name"), "Zz");
    out.clear();
    ASSERT_TRUE(app.AddTreeItems_byAssoPath_ICD(&out, m.instPkg, "sec:TypePackage.LNodeTypes", ">", false));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].uRsc, m.p1Ptoc);
    EXPECT_EQ(out[0].sText3, ">" + app.GetRscText(m.p1Ptoc, true));
    EXPECT_FALSE(out[0].bFlag1);
    // A stale start: the query fails and nothing is added.
    URI_Ref stale("kiln.p1#gone", "sec:LNodeType");
    out.clear();
    EXPECT_FALSE(app.AddTreeItems_byAssoPath_ICD(&out, stale, "sec:LNodeType.DOs", "", true));
    EXPECT_TRUE(out.empty());
}

// Every item below `item`, opened as a host opens a tree, at most `levels` deep.
void OpenAll(std::vector<Struct_ItemDesc>& all, Struct_ItemDesc item, int levels,
             const std::function<std::vector<Struct_ItemDesc>(Struct_ItemDesc*)>& children) {
    if (levels == 0) return;
    for (Struct_ItemDesc& c : children(&item)) {
        all.push_back(c);
        OpenAll(all, c, levels - 1, children);
    }
}

TEST_F(TreeContent, TypesOpenAsOneWalkThatSaysWhereItStopped) {
    // Two DA types in each of 17 levels (196,607 paths), a chain of 40 and a
    // type that contains itself.
    const URI_Ref wide = MakeNestedDATypes(m.instPkg, "W", 17, 100, {"a", "b"});
    const URI_Ref deep = MakeNestedDATypes(m.instPkg, "D", 40, 200, {"b"});
    URI_Ref self = MakeDAType(m.instPkg, "Self", 300);
    MakeBDA(self, "s", 1, "Struct", self);
    URI_Ref doType = MakeDOType(m.instPkg, "Nest", 7);
    MakeDA(doType, "w", 1, "ST", "Struct", wide);
    MakeDA(doType, "d", 2, "ST", "Struct", deep);
    MakeDA(doType, "s", 3, "ST", "Struct", self);
    auto children = [&](Struct_ItemDesc* parent) { return Children(kView_TreeUser, parent); };
    auto count = [](const std::vector<Struct_ItemDesc>& items, const std::string& text) {
        return std::count_if(items.begin(), items.end(), [&](const Struct_ItemDesc& i) { return i.sText3.str() == text; });
    };
    const std::string budget = "类型嵌套展开超过100000条路径";
    children(nullptr);
    // The DO type's walk: the wide nesting spends the budget and says so
    // once, where it stopped; what is listed after it opens nothing.
    std::vector<Struct_ItemDesc> all;
    OpenAll(all, ItemOf(doType), 200, children);
    EXPECT_LE(all.size(), kiln::core::kTypeEntryBudget + 1);
    EXPECT_EQ(count(all, budget), 1);
    EXPECT_EQ(count(all, "类型嵌套超过32层") + count(all, "类型嵌套形成闭环：Self"), 0);  // never reached
    const Struct_ItemDesc spent = all.back();
    ASSERT_EQ(spent.sText3, "数据属性:s (ST)");
    // Each DA type of its own walk in a tree filled anew: the chain stops at
    // the bound, the circle at the type met again, each with its row.
    for (const auto& [type, row, types] :
         {std::tuple{deep, "类型嵌套超过32层", 32}, std::tuple{self, "类型嵌套形成闭环：Self", 1}}) {
        children(nullptr);
        all.clear();
        Struct_ItemDesc item = ItemOf(type);
        OpenAll(all, item, 200, children);
        EXPECT_EQ(count(all, row), 1) << row;
        EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const Struct_ItemDesc& i) { return i.uRsc.sClass == "sec:DAType"; }),
                  types)
            << row;
    }
    // An item listed before the walks spent the budget opens nothing, until
    // the tree is filled anew: then it begins a walk of its own.
    Struct_ItemDesc again = spent;
    children(nullptr);
    OpenAll(all, ItemOf(doType), 200, children);
    EXPECT_TRUE(children(&again).empty());
    children(nullptr);
    EXPECT_EQ(Texts(children(&again)), (Texts_t{"DA类型:Self"}));
    // A chain of two members a level, seven of its types past the budget:
    // the whole tree, every type listed and opened, spends one budget, said
    // once, not one for each type.
    MakeNestedDATypes(m.instPkg, "C", 23, 500, {"a", "b"});
    children(nullptr);
    all.clear();
    OpenAll(all, ItemOf(m.instPkg), 200, children);
    EXPECT_EQ(count(all, budget), 1);
    EXPECT_LE(all.size(), kiln::core::kTypeEntryBudget + 200);
}

TEST_F(TreeContent, DescendantsStepByStepWithoutTheExcludedOne) {
    std::vector<URI_Ref> out;
    URI_Ref none;
    EXPECT_EQ(app.DocMtd_get_descendent_BUris_mySelf(icd.ied, "sec:IED.Servers/sec:Server.LDevices", out, none), 1);
    // Each step in order: the devices of S1, then those of S2.
    EXPECT_EQ(out, (std::vector<URI_Ref>{icd.ldA, icd.ldB}));
    out.clear();
    EXPECT_EQ(app.DocMtd_get_descendent_BUris_mySelf(icd.ied, "sec:IED.Servers/sec:Server.LDevices", out, icd.ldA), 1);
    EXPECT_EQ(out, (std::vector<URI_Ref>{icd.ldB}));
    URI_Ref stale("kiln.icd1#gone", "sec:IED");
    EXPECT_EQ(app.DocMtd_get_descendent_BUris_mySelf(stale, "sec:IED.Servers", out, none), 0);
}

}  // namespace
