// Product packages, products, versions and type packages, with the questions
// they ask; the numbering rules of the members of types.
#include <ctime>

#include "core/clock.h"
#include "platform/framework/cim_schema.h"
#include "tests/core/create_scaffold.h"

namespace kiln::test {
namespace {

const URI_Ref kSentinel("kiln.none#sentinel", "sec:Foo");

using ProductTest = CreateTest;

TEST_F(ProductTest, ProductPackageTakesTheTypedNameAndItsOwnDomain) {
    ui.AnswerInput("装置包A", "请输入新建装置类型包的名称");
    URI_Ref pkg;
    ASSERT_TRUE(app.NewRsc_ProductPackage(&pkg));
    EXPECT_EQ(pkg.sClass, "sec:ProductPackage");
    EXPECT_EQ(Get(pkg, "cim:Naming.name"), "装置包A");
    EXPECT_EQ(Get(pkg, "e301:OrdNaming.ord"), "");
    EXPECT_EQ(DomainOf(pkg), "kiln.装置包A#");
    EXPECT_EQ(Doc().DomainTypeName("kiln.装置包A#"), "二次模型装置类型包");
    EXPECT_EQ(Doc().DomainTitle("kiln.装置包A#"), "装置包A 产品类型包");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ProductTest, ProductPackageRefusals) {
    const int before = Count();
    URI_Ref out = kSentinel;
    ui.AnswerInputCancel();
    EXPECT_FALSE(app.NewRsc_ProductPackage(&out));
    EXPECT_EQ(out.sUri, kSentinel.sUri);
    EXPECT_TRUE(Messages().empty());

    MakeDomain("kiln.锁定#", "二次模型装置类型包", false);
    ui.AnswerInput("锁定");
    EXPECT_FALSE(app.NewRsc_ProductPackage(&out));
    EXPECT_EQ(Messages(), std::vector<CString>{"当前域不可编辑！-W0053"});

    // A failed creation takes the package back; the new domain stays.
    ui.ClearCalls();
    ui.AnswerInput("装置包B");
    Doc().InjectFault("create");
    EXPECT_FALSE(app.NewRsc_ProductPackage(&out));
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(Doc().Is_DomainExist("kiln.装置包B#"));
    EXPECT_EQ(Count(), before);
}

TEST_F(ProductTest, ProductAsksForItsTypeAmongTheEnumeration) {
    ui.AnswerInputChoice("--测控装置", "选择产品类型：");
    URI_Ref out;
    ASSERT_TRUE(app.NewRsc_Product(&out, prodPkg, ""));
    const Struct_UiCall* box = ui.LastOf(Enum_UiCall::InputBox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->nEditKind, 7);
    // A description beginning with "--" stands for the value; a value
    // without one is shown by its own name.
    const CString ns = CString(kiln::cim::kModelNamespace) + "#ProductTypeEnum.";
    EXPECT_EQ(box->vList.Get_Second_byFirst("--保护装置"), ns + "Protection");
    EXPECT_EQ(box->vList.Get_Second_byFirst("Other"), ns + "Other");
    EXPECT_EQ(Get(out, "sec:Product.productType"), ns + "MeasureControl");
    EXPECT_EQ(Get(out, "cim:Naming.name"), "产品类型_2");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "");
    EXPECT_EQ(First(out, "sec:Product.ProductPackage"), prodPkg);
    EXPECT_EQ(DomainOf(out), kProductDomain);

    ui.AnswerInputChoice("Other");
    ASSERT_TRUE(app.NewRsc_Product(&out, prodPkg, "PCS-931"));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "PCS-931");
}

TEST_F(ProductTest, ProductRefusalsLeaveTheOutHandle) {
    const int before = Count();
    URI_Ref out = kSentinel;
    ui.AnswerInputCancel("选择产品类型：");
    EXPECT_FALSE(app.NewRsc_Product(&out, prodPkg, ""));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(app.NewRsc_Product(&out, product, ""));
    EXPECT_EQ(Messages(), std::vector<CString>{"指定产品包错误！"});
    ASSERT_TRUE(Doc().SetDomainEditable(kProductDomain, false));
    EXPECT_FALSE(app.NewRsc_Product(&out, prodPkg, ""));
    EXPECT_EQ(Messages().back(), "当前域不可编辑！-W0054");
    EXPECT_EQ(out.sUri, kSentinel.sUri);
    EXPECT_EQ(ui.CountOf(Enum_UiCall::InputBox), 1);
    EXPECT_EQ(Count(), before);
}

TEST_F(ProductTest, ProductTakenBackAfterEachFailingCall) {
    EXPECT_EQ(FailEachCall(3,
                           [&](URI_Ref* out) {
                               ui.AnswerInputChoice("Other");
                               return app.NewRsc_Product(out, prodPkg, "");
                           }),
              3);
}

TEST_F(ProductTest, ProductVersionWithIcdAndTime) {
    std::tm t{};
    t.tm_year = 2008 - 1900;
    t.tm_mon = 1;
    t.tm_mday = 1;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    const std::time_t when = std::mktime(&t);
    kiln::core::CClockScope clock([when] { return when; });

    URI_Ref ver;
    ASSERT_TRUE(app.NewRsc_ProductVer(&ver, product, icd, "V1.00"));
    EXPECT_EQ(Get(ver, "cim:Naming.name"), "V1.00");
    EXPECT_EQ(Get(ver, "sec:ProductVer.version"), "2008年2月1日9点5分");
    EXPECT_EQ(First(ver, "sec:ProductVer.ICD"), icd);
    ASSERT_TRUE(app.NewRsc_ProductVer(&ver, product, URI_Ref(), ""));
    EXPECT_EQ(Get(ver, "cim:Naming.name"), "版本2");
    EXPECT_TRUE(First(ver, "sec:ProductVer.ICD").IsEmpty());

    URI_Ref out = kSentinel;
    EXPECT_FALSE(app.NewRsc_ProductVer(&out, product, ied, ""));
    EXPECT_EQ(Messages(), std::vector<CString>{"指定ICD错误！"});
    EXPECT_EQ(out.sUri, kSentinel.sUri);
}

using TypePackageTest = CreateTest;

TEST_F(TypePackageTest, OwnDomainOfItsKindNamedByTheUser) {
    struct {
        bool inst;
        CString given, prompt, typed, domainType, flag;
    } const kCases[] = {
        {true, "", "请输入产品类型包名称", "P2", "二次模型数据类型包", "true"},
        {false, "", "请输入标准定义包名称", "S2", "二次模型标准定义包3", "false"},
        {true, "保护包", "请输入保护包名称", "保护包2", "二次模型数据类型包", "true"},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(k.typed.str());
        ui.AnswerInput(k.typed, k.prompt);
        URI_Ref pkg;
        ASSERT_TRUE(app.NewRsc_TypePackage(&pkg, k.given, k.inst, URI_Ref()));
        EXPECT_EQ(ui.LastOf(Enum_UiCall::InputBox)->sText, k.prompt);
        EXPECT_EQ(Get(pkg, "cim:Naming.name"), k.typed);
        EXPECT_EQ(Get(pkg, "sec:TypePackage.isInstType"), k.flag);
        EXPECT_EQ(Get(pkg, "e301:OrdNaming.ord"), "");
        EXPECT_EQ(DomainOf(pkg), "kiln." + k.typed + "#");
        EXPECT_EQ(Doc().DomainTypeName(DomainOf(pkg)), k.domainType);
    }
    // A name whose domain exists goes into that domain, locked or not.
    ui.AnswerInput("p1");
    URI_Ref pkg;
    ASSERT_TRUE(app.NewRsc_TypePackage(&pkg, "", true, URI_Ref()));
    EXPECT_EQ(DomainOf(pkg), kInstDomain);
    ASSERT_TRUE(Doc().SetDomainEditable(kInstDomain, false));
    ui.AnswerInput("p1");
    EXPECT_FALSE(app.NewRsc_TypePackage(&pkg, "", true, URI_Ref()));
    EXPECT_EQ(Messages(), std::vector<CString>{"当前域不可编辑！-W0056"});
}

TEST_F(TypePackageTest, CancelledNameCreatesNothing) {
    const int before = Count();
    ui.AnswerInputCancel();
    URI_Ref out = kSentinel;
    EXPECT_FALSE(app.NewRsc_TypePackage(&out, "", true, URI_Ref()));
    EXPECT_EQ(out.sUri, kSentinel.sUri);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Count(), before);
}

TEST_F(TypePackageTest, PackageOfAnIcdLivesInItsDomainUnasked) {
    URI_Ref pkg;
    ASSERT_TRUE(app.NewRsc_TypePackage(&pkg, "", true, icd));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::InputBox), 0);
    EXPECT_EQ(DomainOf(pkg), kIcdDomain);
    EXPECT_EQ(Get(pkg, "cim:Naming.name"), "产品类型包");
    EXPECT_EQ(Get(pkg, "e301:OrdNaming.ord"), "");
    EXPECT_EQ(Targets(icd, "sec:ICD.TypePackage"), std::vector<URI_Ref>{pkg});

    ASSERT_TRUE(Doc().SetDomainEditable(kIcdDomain, false));
    EXPECT_FALSE(app.NewRsc_TypePackage(&pkg, "X", true, icd));
    EXPECT_EQ(Messages(), std::vector<CString>{"当前域不可编辑！-W0056"});
    ASSERT_TRUE(Doc().SetDomainEditable(kIcdDomain, true));
    ui.ClearCalls();

    EXPECT_EQ(FailEachCall(1, [&](URI_Ref* out) { return app.NewRsc_TypePackage(out, "X", true, icd); }), 3);
    EXPECT_EQ(Targets(icd, "sec:ICD.TypePackage").size(), 1u);
}

using TypeMemberTest = CreateTest;

TEST_F(TypeMemberTest, TypesTakeTheKindOfTheirPackage) {
    URI_Ref t;
    ASSERT_TRUE(app.NewRsc_DOType(&t, m.stdPkg));
    EXPECT_EQ(Get(t, "sec:DOType.isInstType"), "false");
    EXPECT_EQ(Get(t, "cim:Naming.name"), "DOType_6");
    ASSERT_TRUE(app.NewRsc_LNodeType(&t, m.instPkg));
    EXPECT_EQ(Get(t, "sec:LNodeType.isInstType"), "true");
}

TEST_F(TypeMemberTest, GivenSequenceAndOrderTexts) {
    URI_Ref ln = MakeLNodeType(m.instPkg, "LN5", 2);
    for (int i = 1; i <= 5; ++i) MakeDO(ln, "D" + ToText(i), i, URI_Ref());
    URI_Ref out;
    ASSERT_TRUE(app.NewRsc_DO(&out, ln, "3"));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "DO_3");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "3");

    // An order text places a DA or SDO; its name takes the next number.
    URI_Ref dt = MakeDOType(m.instPkg, "DT5", 2);
    for (int i = 1; i <= 5; ++i) MakeDA(dt, "a" + ToText(i), i, "ST", "BOOLEAN");
    ASSERT_TRUE(app.NewRsc_DA(&out, dt, "2"));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "DA_6");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "2");
    ASSERT_TRUE(app.NewRsc_SDO(&out, m.wye, "1"));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "SDO_4");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "1");

    ASSERT_TRUE(app.NewRsc_BDA(&out, m.vector, "9"));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "BDA_9");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "9");

    // A value given its number takes it, the first holding its owner's
    // value; one without a number follows the highest.
    Set(m.avF, "sec:BDA.valueStr", "2.5");
    ASSERT_TRUE(app.NewRsc_Val(&out, m.avF, "4"));
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "4");
    EXPECT_EQ(Get(out, "sec:Val.sValue"), "2.5");
    ASSERT_TRUE(app.NewRsc_Val(&out, m.avF, "2"));
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "2");
    EXPECT_EQ(Get(out, "sec:Val.sValue"), "");
    ASSERT_TRUE(app.NewRsc_Val(&out, m.avF));
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "5");
    EXPECT_EQ(Get(out, "sec:Val.sValue"), "");
}

TEST_F(TypeMemberTest, EnumValueCarriesItsNumberTwice) {
    URI_Ref out;
    ASSERT_TRUE(app.NewRsc_EnumVal(&out, m.ctlModel, ""));
    ASSERT_TRUE(app.NewRsc_EnumVal(&out, m.ctlModel, ""));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "Val_4");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "4");
    EXPECT_EQ(Get(out, "sec:EnumVal.val"), "4");
    ASSERT_TRUE(app.NewRsc_EnumVal(&out, m.ctlModel, "7"));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "Val_7");
    EXPECT_EQ(Get(out, "sec:EnumVal.val"), "7");
}

TEST_F(TypeMemberTest, ValueLinkFollowsItsOwner) {
    URI_Ref dai = Make(kIcdDomain, "sec:DAI", "stVal", 1);
    Link(dai, "sec:DAI.DOI", doi);
    URI_Ref val;
    ASSERT_TRUE(app.NewRsc_Val(&val, dai));
    EXPECT_EQ(First(val, "sec:Val.DAI"), dai);
    EXPECT_TRUE(First(val, "sec:Val.BDA").IsEmpty());
    ASSERT_TRUE(app.NewRsc_Val(&val, m.avF));
    EXPECT_EQ(First(val, "sec:Val.BDA"), m.avF);
    EXPECT_FALSE(app.NewRsc_Val(&val, lnode));
    EXPECT_EQ(Messages(), std::vector<CString>{"指定 BDA 错误！"});
}

}  // namespace
}  // namespace kiln::test
