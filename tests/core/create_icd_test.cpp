// The ICD with its IED, server and template package; logical devices with
// their LLN0 and LPHD nodes; logical nodes with their instance numbers; DOIs
// and DAIs.
#include "tests/core/create_scaffold.h"

namespace kiln::test {
namespace {

constexpr const char* kProductIcdDomain = "kiln.pp.icd#";  // the product's ICD domain

using IcdTest = CreateTest;

TEST_F(IcdTest, RefusesAMissingOrWrongProductBeforeItsDomain) {
    URI_Ref out;
    EXPECT_FALSE(app.NewRsc_ICD(&out, URI_Ref(), "", false, URI_Ref()));
    EXPECT_FALSE(app.NewRsc_ICD(&out, URI_Ref(), "", false, prodPkg));
    EXPECT_EQ(Messages(), (std::vector<CString>{"内部错误 - E992！", "产品型号指定错误！"}));
    EXPECT_FALSE(Doc().Is_DomainExist(kProductIcdDomain));
}

TEST_F(IcdTest, NewIcdHasIedServerAndTemplatePackage) {
    Make(kIcdDomain, "sec:ICD", "ICD2");
    URI_Ref out;
    ASSERT_TRUE(app.NewRsc_ICD(&out, URI_Ref(), "", true, product));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Get(out, "cim:Naming.name"), "Product_3");
    EXPECT_EQ(Get(out, "sec:ICD.extDOFreely"), "true");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "");
    EXPECT_EQ(First(out, "sec:ICD.Product"), product);
    EXPECT_EQ(DomainOf(out), kProductIcdDomain);
    EXPECT_EQ(Doc().DomainTypeName(kProductIcdDomain), "二次模型装置ICD包");
    EXPECT_EQ(Doc().DomainTitle(kProductIcdDomain), "PP ICD模型");

    const std::vector<URI_Ref> ieds = Targets(out, "sec:ICD.IED");
    ASSERT_EQ(ieds.size(), 1u);
    EXPECT_EQ(Get(ieds[0], "cim:Naming.name"), "TEMPLATE");
    EXPECT_EQ(Get(ieds[0], "e301:OrdNaming.ord"), "");
    const std::vector<URI_Ref> servers = Targets(ieds[0], "sec:IED.Servers");
    ASSERT_EQ(servers.size(), 1u);
    EXPECT_EQ(Get(servers[0], "cim:Naming.name"), "IED_Server");
    EXPECT_EQ(Get(servers[0], "e301:OrdNaming.ord"), "");
    EXPECT_EQ(DomainOf(servers[0]), kProductIcdDomain);

    const std::vector<URI_Ref> pkgs = Targets(out, "sec:ICD.TypePackage");
    ASSERT_EQ(pkgs.size(), 1u);
    EXPECT_EQ(Get(pkgs[0], "cim:Naming.name"), "Product_3模板类包");
    EXPECT_EQ(Get(pkgs[0], "sec:TypePackage.isInstType"), "true");
    EXPECT_EQ(DomainOf(pkgs[0]), kProductIcdDomain);
    EXPECT_EQ(Targets(pkgs[0], "sec:TypePackage.Depend_TypePackage"), std::vector<URI_Ref>{m.stdPkg});
}

TEST_F(IcdTest, GivenNameAndDependency) {
    URI_Ref out;
    ASSERT_TRUE(app.NewRsc_ICD(&out, m.instPkg, "_新导入_", false, product));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "_新导入_");
    EXPECT_EQ(Get(out, "sec:ICD.extDOFreely"), "false");
    const URI_Ref pkg = First(out, "sec:ICD.TypePackage");
    EXPECT_EQ(Get(pkg, "cim:Naming.name"), "_新导入_模板类包");
    EXPECT_EQ(Targets(pkg, "sec:TypePackage.Depend_TypePackage"), std::vector<URI_Ref>{m.instPkg});

    app.m_uStdTypePackage.Clear();
    ASSERT_TRUE(app.NewRsc_ICD(&out, URI_Ref(), "", false, product));
    EXPECT_TRUE(Targets(First(out, "sec:ICD.TypePackage"), "sec:TypePackage.Depend_TypePackage").empty());
}

TEST_F(IcdTest, LockedDomainAndMissingDrawer) {
    MakeDomain(kProductIcdDomain, "二次模型装置ICD包", false);
    URI_Ref out;
    EXPECT_FALSE(app.NewRsc_ICD(&out, URI_Ref(), "", false, product));
    app.m_bUseDrawer = true;
    EXPECT_FALSE(app.NewRsc_ICD(&out, URI_Ref(), "", false, product));
    EXPECT_EQ(Messages(), (std::vector<CString>{"当前域不可编辑！-W0057", "从DrawerFile中加载临时域失败（007）！"}));
}

// Whatever document call fails, the ICD, its IED, the IED's server and the
// template package are all taken back.
TEST_F(IcdTest, FailureTakesBackTheWholeStructure) {
    EXPECT_EQ(FailEachCall(8, [&](URI_Ref* out) { return app.NewRsc_ICD(out, URI_Ref(), "", false, product); }), 11);
}

class LDeviceTest : public CreateTest {
protected:
    LDeviceTest() {
        lln0Type = MakeLNodeType(m.instPkg, "P1_LLN0", 2, m.lln0);
        Link(lln0Type, "sec:LNodeType.ClassOf_LNType", m.lln0);
        lphdType = MakeLNodeType(m.instPkg, "P1_LPHD", 3, m.lphd);
        Link(lphdType, "sec:LNodeType.ClassOf_LNType", m.lphd);
    }
    URI_Ref lln0Type, lphdType;
};

TEST_F(LDeviceTest, InstanceDeviceWithLln0AndLphd) {
    URI_Ref dev;
    ASSERT_TRUE(app.NewRsc_LDevice(&dev, ied, lln0Type, lphdType, URI_Ref()));
    EXPECT_EQ(Get(dev, "cim:Naming.name"), "LD_2");
    EXPECT_EQ(Get(dev, "e301:OrdNaming.ord"), "2");
    EXPECT_EQ(Get(dev, "sec:LDevice.isAbstract"), "false");
    EXPECT_EQ(First(dev, "sec:LDevice.Server"), server);
    const std::vector<URI_Ref> nodes = Targets(dev, "sec:LDevice.LNodes");
    ASSERT_EQ(nodes.size(), 2u);
    const URI_Ref types[] = {lln0Type, lphdType};
    // Each named and classed as its file writes it.
    const char* names[] = {"LLN0", "LPHD1"};
    const char* classes[] = {"LLN0", "LPHD"};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Get(nodes[i], "cim:Naming.name"), names[i]);
        EXPECT_EQ(Get(nodes[i], "sec:LNode.lnClass"), classes[i]);
        EXPECT_EQ(Get(nodes[i], "sec:LNode.lnInst"), "1");
        EXPECT_EQ(Get(nodes[i], "e301:OrdNaming.ord"), ToText(i + 1));
        EXPECT_EQ(First(nodes[i], "sec:LNode.LNodeType"), types[i]);
    }

    // Devices are numbered among those of all the IED's servers.
    URI_Ref server2 = MakeUnder(ied, "sec:Server", "S2", "sec:Server.IED");
    MakeUnder(server2, "sec:LDevice", "X", "sec:LDevice.Server", 3);
    ASSERT_TRUE(app.NewRsc_LDevice(&dev, ied, URI_Ref(), URI_Ref(), URI_Ref()));
    EXPECT_EQ(Get(dev, "cim:Naming.name"), "LD_4");
    EXPECT_TRUE(Targets(dev, "sec:LDevice.LNodes").empty());
}

TEST_F(LDeviceTest, TemplateDeviceInAPackage) {
    URI_Ref base, dev;
    ASSERT_TRUE(app.NewRsc_LDevice(&base, m.instPkg, URI_Ref(), URI_Ref(), lnode));
    EXPECT_EQ(Get(base, "cim:Naming.name"), "LD_1");
    EXPECT_EQ(Get(base, "sec:LDevice.isAbstract"), "true");
    EXPECT_EQ(First(base, "sec:LDevice.TypePackage"), m.instPkg);
    EXPECT_TRUE(First(base, "sec:LDevice.Abstract_LDevice").IsEmpty());
    ASSERT_TRUE(app.NewRsc_LDevice(&dev, m.instPkg, URI_Ref(), URI_Ref(), base));
    EXPECT_EQ(Get(dev, "cim:Naming.name"), "LD_2");
    EXPECT_EQ(First(dev, "sec:LDevice.Abstract_LDevice"), base);
}

TEST_F(LDeviceTest, FailureTakesBackDeviceAndNodes) {
    // The device's four calls, four of each node (the instance number's
    // write does not count) and the two renamings.
    EXPECT_EQ(FailEachCall(10,
                           [&](URI_Ref* out) { return app.NewRsc_LDevice(out, ied, lln0Type, lphdType, URI_Ref()); }),
              14);
}

using LNodeTest = CreateTest;

TEST_F(LNodeTest, InstanceNumberCountsTheNodesOfTheClass) {
    // PTOC1 exists; PTOC3 stands where PTOC2 was deleted.
    MakeLNode(ld, "", "PTOC", "3", 2, m.p1Ptoc);
    MakeLNode(ld, "", "MMXU", "1", 3, m.mmxu);
    URI_Ref node;
    ASSERT_TRUE(app.NewRsc_LNode(&node, ld, m.p1Ptoc, true));
    EXPECT_EQ(Get(node, "cim:Naming.name"), "PTOC3");
    EXPECT_EQ(Get(node, "sec:LNode.lnInst"), "3");
    EXPECT_EQ(Get(node, "e301:OrdNaming.ord"), "4");
    EXPECT_EQ(First(node, "sec:LNode.LNodeType"), m.p1Ptoc);
    EXPECT_TRUE(Targets(node, "sec:LNode.DOIs").empty());

    ASSERT_TRUE(app.NewRsc_LNode(&node, ld, m.p1Ptoc, false));
    EXPECT_EQ(Get(node, "cim:Naming.name"), "PTOC");
    EXPECT_EQ(Get(node, "sec:LNode.lnInst"), "");

    // A type of the standard package is its own class.
    ASSERT_TRUE(app.NewRsc_LNode(&node, ld, m.mmxu, true));
    EXPECT_EQ(Get(node, "cim:Naming.name"), "MMXU2");

    ASSERT_TRUE(app.NewRsc_LNode(&node, ld, URI_Ref(), true));
    EXPECT_EQ(Get(node, "cim:Naming.name"), "LN_7");
    EXPECT_EQ(Get(node, "sec:LNode.lnInst"), "");
    EXPECT_TRUE(First(node, "sec:LNode.LNodeType").IsEmpty());
}

// The count kept between creations follows every change it depends on.
TEST_F(LNodeTest, InstanceNumbersFollowChangesBetweenCreations) {
    auto next = [&](const URI_Ref& device, const URI_Ref& type) {
        URI_Ref node;
        EXPECT_TRUE(app.NewRsc_LNode(&node, device, type, true));
        return node;
    };
    auto instOf = [&](const URI_Ref& node) { return Get(node, "sec:LNode.lnInst"); };
    // ld holds PTOC1 (P1_PTOC) already.
    URI_Ref a = next(ld, m.p1Ptoc), b = next(ld, m.p1Ptoc);
    EXPECT_EQ(instOf(a), "2");
    EXPECT_EQ(instOf(b), "3");
    // Another device counts on its own, and the first one's count holds.
    URI_Ref other = MakeUnder(server, "sec:LDevice", "LD9", "sec:LDevice.Server", 9);
    EXPECT_EQ(instOf(next(other, m.p1Ptoc)), "1");
    EXPECT_EQ(instOf(next(ld, m.p1Ptoc)), "4");
    // A node deleted.
    ASSERT_TRUE(Doc().DeleteResource(a));
    EXPECT_EQ(instOf(next(ld, m.p1Ptoc)), "4");
    // A node retyped to another class, and one made outside the creator.
    ASSERT_TRUE(Doc().UpdateLink(b, "sec:LNode.LNodeType", m.mmxu));
    EXPECT_EQ(instOf(next(ld, m.p1Ptoc)), "4");
    MakeLNode(ld, "", "PTOC", "", 20, m.p1Ptoc);
    EXPECT_EQ(instOf(next(ld, m.p1Ptoc)), "6");
    EXPECT_EQ(instOf(next(ld, m.mmxu)), "2");
    // The LN type's class changed, and a class renamed.
    ASSERT_TRUE(Doc().UpdateLink(m.p1Ptoc, "sec:LNodeType.ClassOf_LNType", m.mmxu));
    EXPECT_EQ(instOf(next(ld, m.mmxu)), "9");
    Set(m.mmxu, "cim:Naming.name", "MMXN");
    EXPECT_EQ(Get(next(ld, m.mmxu), "cim:Naming.name"), "MMXN10");
}

TEST_F(LNodeTest, DoiAndDaiTakeTheirDefinitions) {
    URI_Ref newDoi;
    ASSERT_TRUE(app.NewRsc_DOI(&newDoi, lnode, m.p1PtocOp));
    EXPECT_EQ(Get(newDoi, "cim:Naming.name"), "Op");
    EXPECT_EQ(Get(newDoi, "e301:OrdNaming.ord"), "2");
    EXPECT_EQ(First(newDoi, "sec:DOI.DO"), m.p1PtocOp);

    URI_Ref dai;
    ASSERT_TRUE(app.NewRsc_DAI(&dai, newDoi, m.p1SpsStVal, ""));
    EXPECT_EQ(Get(dai, "cim:Naming.name"), "DAI_1");
    EXPECT_EQ(First(dai, "sec:DAI.BDA"), m.p1SpsStVal);
    ASSERT_TRUE(app.NewRsc_DAI(&dai, newDoi, m.avF, "q"));
    EXPECT_EQ(Get(dai, "cim:Naming.name"), "q");
    EXPECT_EQ(Get(dai, "e301:OrdNaming.ord"), "2");
    EXPECT_EQ(First(dai, "sec:DAI.BDA"), m.avF);
    // An attribute of another class leaves the DAI without the link.
    ASSERT_TRUE(app.NewRsc_DAI(&dai, newDoi, lnode, ""));
    EXPECT_EQ(Get(dai, "cim:Naming.name"), "DAI_3");
    EXPECT_TRUE(First(dai, "sec:DAI.BDA").IsEmpty());
}

}  // namespace
}  // namespace kiln::test
