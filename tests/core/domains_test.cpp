// The domain of a new resource and the next sequence number.
#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

class DomainTest : public CoreTest {
protected:
    DomainTest() { MakeDomain(kInstDomain, "二次模型数据类型包"); }

    CString DomainFor(URI_Ref parent, const CString& cls, CString& name, bool inst = true) {
        return app.Get_DomainName_withCreate(parent, cls, name, inst);
    }
    // A product in a product package, in a domain of that name.
    URI_Ref Product(const CString& domain) {
        MakeDomain(domain, "二次模型装置类型包");
        URI_Ref pkg = Make(domain, "sec:ProductPackage", "南瑞继保");
        URI_Ref product = Make(domain, "sec:Product", "PCS-931");
        Link(product, "sec:Product.ProductPackage", pkg);
        return product;
    }
};

TEST_F(DomainTest, OrdinaryRequestGivesTheParentsDomain) {
    CString name;
    EXPECT_EQ(DomainFor(URI_Ref(), "", name), "");
    URI_Ref ld = MakeLDevice(kInstDomain, "LD", 1);
    EXPECT_EQ(DomainFor(ld, "", name), kInstDomain);
    EXPECT_EQ(DomainFor(ld, "sec:LNode", name), kInstDomain);
    EXPECT_TRUE(ui.Calls().empty());
}

// The flag picks the domain type; the question shows the package's word.
TEST_F(DomainTest, TypePackageAsksForANameAndCreatesADomainOfItsKind) {
    const struct {
        bool inst;
        const char *word, *typed, *prompt, *domainType;
    } kCases[] = {
        {true, "产品类型包", "产品A", "请输入产品类型包名称", "二次模型数据类型包"},
        {false, "标准定义包", "标准B", "请输入标准定义包名称", "二次模型标准定义包3"},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(k.typed);
        ui.AnswerInput(k.typed);
        CString name = k.word;
        const CString domain = DomainFor(URI_Ref(), "sec:TypePackage", name, k.inst);

        EXPECT_EQ(domain, "kiln." + CString(k.typed) + "#");
        EXPECT_EQ(name, k.typed);
        const Struct_UiCall* box = ui.LastOf(Enum_UiCall::InputBox);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->sText, k.prompt);
        EXPECT_EQ(box->sValue, k.word);
        EXPECT_TRUE(Doc().Is_DomainExist(domain));
        EXPECT_EQ(Doc().DomainTypeName(domain), k.domainType);
        EXPECT_EQ(Doc().DomainTitle(domain), k.typed);
    }
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DomainTest, ExistingDomainIsUsedAsItIs) {
    MakeDomain("kiln.X#", "二次模型装置类型包");
    ui.AnswerInput("X");
    CString name = "产品类型包";
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:TypePackage", name, true), "kiln.X#");
    EXPECT_EQ(Doc().DomainTypeName("kiln.X#"), "二次模型装置类型包");
    EXPECT_EQ(Doc().DomainTitle("kiln.X#"), "kiln.X#");
}

TEST_F(DomainTest, CancelGivesNothingAndSaysNothing) {
    const size_t domains = Doc().DomainNames().size();
    ui.AnswerInputCancel();
    CString name = "产品类型包";
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:TypePackage", name, true), "");
    ui.AnswerInputCancel();
    name = "leftover";
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:ProductPackage", name), "");
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Doc().DomainNames().size(), domains);
}

TEST_F(DomainTest, ProductPackageAsksWithAnEmptyName) {
    ui.AnswerInput("装置1");
    CString name = "leftover";
    const CString domain = DomainFor(URI_Ref(), "sec:ProductPackage", name);
    EXPECT_EQ(domain, "kiln.装置1#");
    const Struct_UiCall* box = ui.LastOf(Enum_UiCall::InputBox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->sText, "请输入新建装置类型包的名称");
    EXPECT_EQ(box->sValue, "");
    EXPECT_EQ(name, "装置1");
    EXPECT_EQ(Doc().DomainTypeName(domain), "二次模型装置类型包");
    EXPECT_EQ(Doc().DomainTitle(domain), "装置1 产品类型包");
}

TEST_F(DomainTest, IcdDomainFollowsItsProductWithoutAsking) {
    URI_Ref product = Product("Kiln.PP#");
    CString name = "keep";
    const CString domain = DomainFor(product, "sec:ICD", name);
    EXPECT_EQ(domain, "kiln.pp.icd#");
    EXPECT_EQ(name, "keep");
    EXPECT_TRUE(ui.Calls().empty());
    EXPECT_EQ(Doc().DomainTypeName(domain), "二次模型装置ICD包");
    EXPECT_EQ(Doc().DomainTitle(domain), "南瑞继保 ICD模型");

    // A second ICD of the product finds the domain.
    EXPECT_EQ(DomainFor(product, "sec:ICD", name), "kiln.pp.icd#");
}

// A domain's name is one domain's: a package named like an ICD's domain,
// after it or before it, and packages apart only in case get their own.
TEST_F(DomainTest, AnIcdDomainIsNoOtherDomain) {
    CString name;
    EXPECT_EQ(DomainFor(Product("kiln.x#"), "sec:ICD", name), "kiln.x.icd#");
    ui.AnswerInput("x.icd").AnswerInput("y.icd");
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:TypePackage", name), "kiln.x_icd#");
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:ProductPackage", name), "kiln.y_icd#");
    const URI_Ref y = Product("kiln.y#");
    EXPECT_EQ(DomainFor(y, "sec:ICD", name), "kiln.y.icd#");
    // Packages apart only in case: the second one's ICDs go apart once the
    // lower-cased name holds the first one's, and find their domain again;
    // a package named like an ICD domain (as older documents hold) is passed.
    Link(Make("kiln.y.icd#", "sec:ICD", "I1"), "sec:ICD.Product", y);
    const URI_Ref bigY = Product("kiln.Y#");
    EXPECT_EQ(DomainFor(bigY, "sec:ICD", name), "kiln.Y.icd#");
    Link(Make("kiln.Y.icd#", "sec:ICD", "I2"), "sec:ICD.Product", bigY);
    EXPECT_EQ(DomainFor(bigY, "sec:ICD", name), "kiln.Y.icd#");
    EXPECT_EQ(DomainFor(y, "sec:ICD", name), "kiln.y.icd#");
    MakeDomain("kiln.z.icd#", "二次模型装置类型包");
    EXPECT_EQ(DomainFor(Product("kiln.z#"), "sec:ICD", name), "kiln.z_2.icd#");
    EXPECT_EQ(Doc().DomainTypeName("kiln.x_icd#"), "二次模型数据类型包");
    EXPECT_EQ(Doc().DomainTypeName("kiln.y.icd#"), "二次模型装置ICD包");
}

TEST_F(DomainTest, IcdNeedsAProductParent) {
    URI_Ref ld = MakeLDevice(kInstDomain, "LD", 1);
    CString name;
    EXPECT_EQ(DomainFor(ld, "sec:ICD", name), "");
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:ICD", name), "");
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(DomainTest, UnreachableServerIsReportedPerClass) {
    URI_Ref product = Product("kiln.pp#");
    Doc().SetDatabaseDoc(true);
    Doc().SetServerReachable(false);
    CString name;

    ui.AnswerInput("A");
    name = "产品类型包";
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:TypePackage", name), "");
    ui.AnswerInput("B");
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:ProductPackage", name), "");
    EXPECT_EQ(DomainFor(product, "sec:ICD", name), "");
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"数据库连接错误-030！", "数据库连接错误-031！",
                                                   "数据库连接错误-032！"}));
    EXPECT_FALSE(Doc().Is_DomainExist("kiln.A#"));
    EXPECT_FALSE(Doc().Is_DomainExist("kiln.pp.icd#"));

    // A reachable server lets the creation go on.
    Doc().SetServerReachable(true);
    ui.ClearCalls();
    ui.AnswerInput("A");
    name = "产品类型包";
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:TypePackage", name), "kiln.A#");
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DomainTest, FailedCreationIsReported) {
    ui.AnswerInput("Y");
    CString name = "产品类型包";
    Doc().InjectFault("domain");
    EXPECT_EQ(DomainFor(URI_Ref(), "sec:TypePackage", name), "");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"创建新域“kiln.Y#”失败！\n注入的故障：domain"});
    EXPECT_FALSE(Doc().Is_DomainExist("kiln.Y#"));
}

TEST_F(DomainTest, SequenceNumbersCountMembers) {
    // Without a parent: resources of the class named.
    EXPECT_EQ(app.Get_NewRscSeq(URI_Ref(), "sec:LDevice"), "1");
    URI_Ref ld = MakeLDevice(kInstDomain, "LD1", 1);
    MakeLDevice(kInstDomain, "LD2", 2);
    EXPECT_EQ(app.Get_NewRscSeq(URI_Ref(), "sec:LDevice"), "3");

    // Along one association, as the document numbers it.
    EXPECT_EQ(app.Get_NewRscSeq(ld, "sec:LDevice.LNodes"), "1");
    URI_Ref ln = MakeLNode(ld, "", "PTOC", "1", 1);
    MakeLNode(ld, "", "PTOC", "2", 2);
    EXPECT_EQ(app.Get_NewRscSeq(ld, "sec:LDevice.LNodes"), "3");

    // Along a path: from a node to its device's nodes.
    EXPECT_EQ(app.Get_NewRscSeq(ln, "sec:LNode.LDevice/sec:LDevice.LNodes"), "3");
    EXPECT_EQ(app.Get_NewRscSeq(ln, "sec:LNode.LNodeType/sec:LNodeType.DOs"), "1");

    // The number counts; it does not look at names.
    ASSERT_TRUE(Doc().DeleteResource(ln));
    EXPECT_EQ(app.Get_NewRscSeq(ld, "sec:LDevice.LNodes"), "2");
}

}  // namespace
}  // namespace kiln::test
