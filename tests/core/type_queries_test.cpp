// Instance types, abstract-type chains, package dependencies, inheritance
// name spaces and reachability along an association, cycles included.
#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

constexpr const char* kAbstract = "sec:LNodeType.Abstract_Type";
constexpr const char* kDepend = "sec:TypePackage.Depend_TypePackage";
const char* kNestMessage = "类型声明包的依赖性描述存在嵌套！";
const char* kLoopMessage = "求逻辑节点的继承名称空间时发生错误，可能由于抽象类型形成闭环。";

using TypeQueryTest = ModelTest;

TEST_F(TypeQueryTest, InstanceTypeOnlyForExactlyTrue) {
    EXPECT_TRUE(app.Is_InstType(m.instPkg));
    EXPECT_FALSE(app.Is_InstType(m.stdPkg));
    EXPECT_TRUE(app.Is_InstType(m.p1Ptoc));
    EXPECT_TRUE(app.Is_InstType(m.p1Sps));
    Set(m.p1Sps, "sec:DOType.isInstType", "True");
    EXPECT_FALSE(app.Is_InstType(m.p1Sps));
    Set(m.p1Sps, "sec:DOType.isInstType", "");
    EXPECT_FALSE(app.Is_InstType(m.p1Sps));
    URI_Ref ld = MakeLDevice(kInstDomain, "LD", 1);
    EXPECT_FALSE(app.Is_InstType(ld));
}

TEST_F(TypeQueryTest, AbstractTypesFromTheTypeUp) {
    std::vector<URI_Ref> out = {m.sps};  // appended to
    EXPECT_TRUE(app.Get_AbstractTypes(m.p1Ptoc, &out, kAbstract));
    EXPECT_EQ(out, (std::vector<URI_Ref>{m.sps, m.p1Ptoc, m.ptoc, m.commonLN}));
    out.clear();
    EXPECT_TRUE(app.Get_AbstractTypes(m.commonLN, &out, kAbstract));
    EXPECT_EQ(out, std::vector<URI_Ref>{m.commonLN});
}

TEST_F(TypeQueryTest, AbstractTypesEndACycle) {
    URI_Ref a = MakeLNodeType(m.instPkg, "A", 5);
    URI_Ref b = MakeLNodeType(m.instPkg, "B", 6, a);
    Link(a, kAbstract, b);
    std::vector<URI_Ref> out;
    EXPECT_TRUE(app.Get_AbstractTypes(a, &out, kAbstract));
    EXPECT_EQ(out, (std::vector<URI_Ref>{a, b}));
}

class PackageChainTest : public ModelTest {
protected:
    // count packages in the instance domain, each depending on the next;
    // the last depends on nothing.
    std::vector<URI_Ref> Chain(int count) {
        std::vector<URI_Ref> chain;
        for (int i = 0; i < count; ++i) chain.push_back(MakeTypePackage(kInstDomain, "C" + ToText(i), true));
        for (int i = 0; i + 1 < count; ++i) Link(chain[i], kDepend, chain[i + 1]);
        return chain;
    }
};

TEST_F(PackageChainTest, DependedPackagesOfOneKind) {
    std::vector<URI_Ref> out;
    EXPECT_TRUE(app.GetTypePackage_Depended(&out, m.instPkg, true));
    EXPECT_EQ(out, std::vector<URI_Ref>{m.instPkg});
    out.clear();
    EXPECT_TRUE(app.GetTypePackage_Depended(&out, m.instPkg, false));
    EXPECT_EQ(out, std::vector<URI_Ref>{m.stdPkg});
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(PackageChainTest, TwentyDependenciesPassATwentyFirstIsRefused) {
    std::vector<URI_Ref> chain = Chain(21);
    std::vector<URI_Ref> out;
    EXPECT_TRUE(app.GetTypePackage_Depended(&out, chain[0], true));
    EXPECT_EQ(out, chain);
    EXPECT_TRUE(ui.Calls().empty());

    URI_Ref extra = MakeTypePackage(kInstDomain, "C21", true);
    Link(chain.back(), kDepend, extra);
    out.clear();
    EXPECT_FALSE(app.GetTypePackage_Depended(&out, chain[0], true));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{kNestMessage});
    EXPECT_EQ(out, chain);  // the matches among the first 21
}

TEST_F(PackageChainTest, CircularDependencyIsRefusedWithoutRepeats) {
    std::vector<URI_Ref> chain = Chain(2);
    Link(chain[1], kDepend, chain[0]);
    std::vector<URI_Ref> out;
    EXPECT_FALSE(app.GetTypePackage_Depended(&out, chain[0], true));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{kNestMessage});
    EXPECT_EQ(out, chain);
}

TEST_F(PackageChainTest, DependTypePackageStopsBeforeAStandardPackage) {
    std::vector<URI_Ref> out;
    EXPECT_TRUE(app.Get_Depend_TypePackage(m.instPkg, &out, false));
    EXPECT_EQ(out, std::vector<URI_Ref>{m.instPkg});
    out.clear();
    EXPECT_TRUE(app.Get_Depend_TypePackage(m.instPkg, &out, true));
    EXPECT_EQ(out, (std::vector<URI_Ref>{m.instPkg, m.stdPkg}));

    // An empty flag counts as an instance package here; a flag ending in
    // ".false" stops the walk like "false".
    std::vector<URI_Ref> chain = Chain(3);
    Set(chain[1], "sec:TypePackage.isInstType", "");
    Set(chain[2], "sec:TypePackage.isInstType", "x#Boolean.false");
    out.clear();
    EXPECT_TRUE(app.Get_Depend_TypePackage(chain[0], &out, false));
    EXPECT_EQ(out, (std::vector<URI_Ref>{chain[0], chain[1]}));
}

TEST_F(PackageChainTest, DependTypePackageEndsACycle) {
    std::vector<URI_Ref> chain = Chain(3);
    Link(chain[2], kDepend, chain[1]);
    std::vector<URI_Ref> out;
    EXPECT_TRUE(app.Get_Depend_TypePackage(chain[0], &out, true));
    EXPECT_EQ(out, chain);
    EXPECT_TRUE(ui.Calls().empty());
}

class NameSpaceTest : public ModelTest {
protected:
    NameSpaceTest() {
        // A standard LN class without an abstract type of its own.
        ggio = MakeLNodeType(m.stdPkg, "GGIO", 6);
    }
    URI_Ref ggio;
};

TEST_F(NameSpaceTest, StandardTypeHasAnEmptyNameSpace) {
    CString ns;
    EXPECT_TRUE(app.Get_LNode_NameSpace(m.lln0, ns));
    EXPECT_TRUE(ns.IsEmpty());
}

TEST_F(NameSpaceTest, PackagesAlongTheInheritance) {
    URI_Ref p1Ggio = MakeLNodeType(m.instPkg, "P1_GGIO", 2, ggio);
    CString ns;
    EXPECT_TRUE(app.Get_LNode_NameSpace(p1Ggio, ns));
    EXPECT_EQ(ns, "P1>IEC 61850-7-4:2003");

    URI_Ref p2 = MakeTypePackage(kInstDomain, "P2", true);
    URI_Ref p2Ggio = MakeLNodeType(p2, "P2_GGIO", 1, p1Ggio);
    ns.Empty();
    EXPECT_TRUE(app.Get_LNode_NameSpace(p2Ggio, ns));
    EXPECT_EQ(ns, "P2>P1>IEC 61850-7-4:2003");

    // Every standard level adds its name-space text.
    ns.Empty();
    EXPECT_TRUE(app.Get_LNode_NameSpace(m.p1Ptoc, ns));
    EXPECT_EQ(ns, "P1>IEC 61850-7-4:2003>IEC 61850-7-4:2003");
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(NameSpaceTest, TypeWithoutPackageFailsSilently) {
    URI_Ref loose = Make(kInstDomain, "sec:LNodeType", "Loose");
    CString ns;
    EXPECT_FALSE(app.Get_LNode_NameSpace(loose, ns));
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(NameSpaceTest, LimitIs255GbkBytes) {
    // 100 Chinese characters: 200 bytes in GBK, 300 in UTF-8.
    CString longName;
    for (int i = 0; i < 100; ++i) longName += "包";
    URI_Ref outer = MakeTypePackage(kInstDomain, longName, true);
    URI_Ref inner = MakeTypePackage(kInstDomain, CString('A', 54), true);
    URI_Ref innerType = MakeLNodeType(inner, "T1", 1);
    URI_Ref outerType = MakeLNodeType(outer, "T2", 1, innerType);
    CString ns;
    EXPECT_TRUE(app.Get_LNode_NameSpace(outerType, ns));  // 200 + 1 + 54 = 255
    EXPECT_TRUE(ui.Calls().empty());

    Set(inner, "cim:Naming.name", CString('A', 55));
    ns.Empty();
    EXPECT_FALSE(app.Get_LNode_NameSpace(outerType, ns));  // 256
    EXPECT_EQ(ui.Messages(), std::vector<CString>{kLoopMessage});
}

TEST_F(NameSpaceTest, AbstractTypeCycleIsRefused) {
    URI_Ref a = MakeLNodeType(m.instPkg, "A", 5);
    URI_Ref b = MakeLNodeType(m.instPkg, "B", 6, a);
    Link(a, kAbstract, b);
    CString ns;
    EXPECT_FALSE(app.Get_LNode_NameSpace(a, ns));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{kLoopMessage});
}

using ReachTest = ModelTest;

TEST_F(ReachTest, SelfAndDerivedTypesAtAnyDepth) {
    const CString derived = "sec:LNodeType.Derivative_Types";
    EXPECT_TRUE(app.Is_InTheAsso_OR_Self(m.ptoc, derived, m.ptoc));
    EXPECT_TRUE(app.Is_InTheAsso_OR_Self(m.commonLN, derived, m.ptoc));
    EXPECT_TRUE(app.Is_InTheAsso_OR_Self(m.commonLN, derived, m.p1Ptoc));  // grandchild
    EXPECT_FALSE(app.Is_InTheAsso_OR_Self(m.p1Ptoc, derived, m.commonLN));
    EXPECT_FALSE(app.Is_InTheAsso_OR_Self(m.lln0, derived, m.p1Ptoc));
}

TEST_F(ReachTest, EndsACycle) {
    URI_Ref a = MakeLNodeType(m.instPkg, "A", 5);
    URI_Ref b = MakeLNodeType(m.instPkg, "B", 6, a);
    URI_Ref c = MakeLNodeType(m.instPkg, "C", 7, b);
    Link(a, kAbstract, c);
    const CString derived = "sec:LNodeType.Derivative_Types";
    EXPECT_FALSE(app.Is_InTheAsso_OR_Self(a, derived, m.lln0));
    EXPECT_TRUE(app.Is_InTheAsso_OR_Self(a, derived, c));
    EXPECT_TRUE(app.Is_InTheAsso_OR_Self(c, derived, b));
}

}  // namespace
}  // namespace kiln::test
