// The type-package checks on one instance package with a fault of every kind.
#include "tests/editing/checks_fixture.h"

namespace kiln::test {
namespace {

// Instance package P3 (depends on the standard package):
//   LNodeTypes: L_PTOC (class PTOC): Str T_SPS, Op T_INC, Foo T_SPS, Bar (untyped), N1..N3 T_NoCdc
//               L_None (no class); T_CMV (class MMXU, named like a DOType)
//               L_Derived (class PTOC, abstract type L_PTOC): Str T_SPS
//   DOTypes:    T_SPS (SPS): stVal[ST], q (no FC), d[ST], extra[ST]
//               T_INC (INC): stVal[SV], ctlModel[MX]
//               T_NoCdc (no CDC)
//               T_WYE (WYE): DA phsA[MX]; SDOs phsA T_CMV, phsB T_SPS, phsX T_CMV, phsC (untyped), neut T_NoCdc
//               T_CMV (CMV): cVal[MX], q[MX]
//               T_INC2 (INC): stVal[MX]
//   DATypes:    D1: x, x
// The standard INC gets a second ctlModel (FC SP).
class TypePackageChecksTest : public ChecksTest {
protected:
    TypePackageChecksTest() {
        MakeDA(m.inc, "ctlModel", 3, "SP", "Enum", m.ctlModel);
        pkg = MakeTypePackage(kInstDomain, "P3", true);
        Link(pkg, "sec:TypePackage.Depend_TypePackage", m.stdPkg);

        URI_Ref sps = Typed(MakeDOType(pkg, "T_SPS", 1), m.sps);
        MakeDA(sps, "stVal", 1, "ST", "BOOLEAN");
        MakeDA(sps, "q", 2, "", "Quality");
        MakeDA(sps, "d", 3, "ST", "VisString255");
        MakeDA(sps, "extra", 4, "ST", "BOOLEAN");
        URI_Ref inc = Typed(MakeDOType(pkg, "T_INC", 2), m.inc);
        MakeDA(inc, "stVal", 1, "SV", "INT32");
        MakeDA(inc, "ctlModel", 2, "MX", "Enum", m.ctlModel);
        URI_Ref noCdc = MakeDOType(pkg, "T_NoCdc", 3);
        URI_Ref wye = Typed(MakeDOType(pkg, "T_WYE", 4), m.wye);
        URI_Ref cmv = Typed(MakeDOType(pkg, "T_CMV", 5), m.cmv);
        MakeDA(cmv, "cVal", 1, "MX", "Struct", m.vector);
        MakeDA(cmv, "q", 2, "MX", "Quality");
        MakeDA(Typed(MakeDOType(pkg, "T_INC2", 6), m.inc), "stVal", 1, "MX", "INT32");
        MakeDA(wye, "phsA", 1, "MX", "Quality");
        MakeSDO(wye, "phsA", 1, cmv);
        MakeSDO(wye, "phsB", 2, sps);
        MakeSDO(wye, "phsX", 3, cmv);
        MakeSDO(wye, "phsC", 4, URI_Ref());
        MakeSDO(wye, "neut", 5, noCdc);
        URI_Ref d1 = MakeDAType(pkg, "D1", 1);
        MakeBDA(d1, "x", 1, "BOOLEAN");
        MakeBDA(d1, "x", 2, "BOOLEAN");

        URI_Ref ptoc = Classed(MakeLNodeType(pkg, "L_PTOC", 1), m.ptoc);
        MakeDO(ptoc, "Str", 1, sps);
        MakeDO(ptoc, "Op", 2, inc);
        MakeDO(ptoc, "Foo", 3, sps);
        MakeDO(ptoc, "Bar", 4, URI_Ref());
        for (int i = 1; i <= 3; ++i) MakeDO(ptoc, "N" + ToText(i), 4 + i, noCdc);
        MakeLNodeType(pkg, "L_None", 2);
        Classed(MakeLNodeType(pkg, "T_CMV", 3), m.mmxu);
        URI_Ref derived = Classed(MakeLNodeType(pkg, "L_Derived", 4, ptoc), m.ptoc);
        MakeDO(derived, "Str", 1, sps);
        StartReport();
    }
    URI_Ref Typed(const URI_Ref& doType, const URI_Ref& cdc) {
        Link(doType, "sec:DOType.ClassOf_DOType", cdc);
        return doType;
    }
    URI_Ref Classed(const URI_Ref& lnType, const URI_Ref& lnClass) {
        Link(lnType, "sec:LNodeType.ClassOf_LNType", lnClass);
        return lnType;
    }
    URI_Ref pkg;
};

TEST_F(TypePackageChecksTest, RepeatedNamesOfTypesAndMembers) {
    EXPECT_TRUE(KilnChecksProbe::Check_TypePackageNoRepeatName(app, pkg));
    EXPECT_EQ(Findings(), (std::vector<Finding>{
                              {"错误：    TypePackage: P3内", "T_CMV 名称重复"},
                              {"错误：  P3  LNodeType: L_Derived内", "Str 名称重复"},
                              {"错误：  P3  DOType: T_WYE内", "phsA 名称重复"},
                              {"错误：  P3  DAType: D1内", "x 名称重复"},
                          }));
}

TEST_F(TypePackageChecksTest, LnClassesAndTheCdcsOfDOs) {
    EXPECT_TRUE(KilnChecksProbe::Chech_TypePackage_DOCDC(app, pkg));
    const Finding noCdc{"错误：  P3的DOType: T_NoCdc", " 未指定CDC ！"};
    EXPECT_EQ(Findings(), (std::vector<Finding>{
                              {"错误：  P3的LNodeType: L_PTOC的DO: Op", "CDC为INC，而标准中为SPS"},
                              {"错误：  P3的LNodeType: L_PTOC的DO: Bar", " 未指定DOType ！"},
                              noCdc,
                              noCdc,
                              noCdc,
                              {"错误：  P3的LNodeType: L_None", " 未指定lnClass ！"},
                          }));
}

TEST_F(TypePackageChecksTest, SdoCdcsAndFunctionalConstraints) {
    EXPECT_TRUE(KilnChecksProbe::Chech_TypePackage_SDOCDC_DAfc(app, pkg));
    EXPECT_EQ(Findings(), (std::vector<Finding>{
                              {"错误：  P3的DOType: T_SPS的DA: d", "FC为ST，而标准中为DC"},
                              {"错误：  P3的DOType: T_SPS的DA: extra", "FC为ST，而标准中为"},
                              {"错误：  P3的DOType: T_INC的DA: ctlModel", "FC为MX，而标准中为CFSP"},
                              {"错误：  P3的DOType: T_NoCdc", " 未指定CDC ！"},
                              {"错误：  P3的DOType: T_WYE的SDO: phsB", "CDC为SPS，而标准中为CMV"},
                              {"错误：  P3的DOTypeName: T_WYE的SDO: phsC", " 未指定DOType ！"},
                              {"错误：  P3的DOType: T_NoCdc", " 未指定CDC ！"},
                              {"错误：  P3的DOType: T_WYE的DA: phsA", "FC为MX，而标准中为"},
                              {"错误：  P3的DOType: T_INC2的DA: stVal", "FC为MX，而标准中为STSV"},
                          }));
    EXPECT_EQ(app.m_nReportErrors, 9);
}

}  // namespace
}  // namespace kiln::test
