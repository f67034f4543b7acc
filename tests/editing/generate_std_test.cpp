// Data sets generated for an ICD whose types are instantiated from the
// shipped standard package (domains/IEC61850_std.xml): the members are those
// the standard's data objects and common data classes give, and generating
// again adds nothing.
#include <filesystem>
#include <utility>
#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

const CString kStdFile = CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml";
constexpr const char* kIcdDomain = "kiln.icd1#";

using Names = std::vector<CString>;

class GenerateStdTest : public CoreTest {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kStdFile.str())) GTEST_SKIP() << "no " << kStdFile;
        URI_Ref domainType;
        ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", domainType));
        ASSERT_TRUE(app.Import_ExterDomainFile(domainType, "sec:TypePackage", kStdFile)) << app.LastDocError();
        ASSERT_TRUE(app.Msg_OnOpenDocument());
        MakeDomain(kInstDomain, "二次模型数据类型包");
        MakeDomain(kIcdDomain, "二次模型装置ICD包");
        pkg = MakeTypePackage(kInstDomain, "P1", true);
        Link(pkg, "sec:TypePackage.Depend_TypePackage", app.m_uStdTypePackage);

        URI_Ref icd = Make(kIcdDomain, "sec:ICD", "E2E"), ied;
        ASSERT_TRUE(app.NewRsc_IED(&ied, icd));
        ASSERT_TRUE(app.NewRsc_LDevice(&ld, ied, TypeOf("LLN0", "with M"), TypeOf("LPHD", "with M"), URI_Ref()));
        Set(ld, "cim:Naming.name", "PROT");
        for (const auto& [cls, scope] : std::vector<std::pair<CString, CString>>{
                 {"PTOC", "with M"}, {"PTOC", "with M"}, {"MMXU", "with M/C/O"}, {"GGIO", "with M"}}) {
            URI_Ref node;
            ASSERT_TRUE(app.NewRsc_LNode(&node, ld, TypeOf(cls, scope), true));
        }
        lln0 = Doc().FirstTarget(ld, "sec:LDevice.LNodes");
        ASSERT_EQ(Get(lln0, "cim:Naming.name"), "LLN0");
        ui.ClearCalls();
    }

    // The instance type of the standard LN class, made in the scope.
    URI_Ref TypeOf(const CString& lnClass, const CString& scope) {
        std::vector<URI_Ref> classes;
        Doc().Targets(app.m_uStdTypePackage, "sec:TypePackage.LNodeTypes", classes);
        for (const URI_Ref& c : classes) {
            if (Get(c, "cim:Naming.name") != lnClass) continue;
            URI_Ref type;
            EXPECT_TRUE(app.GetType_FromStandard(c, pkg, &type, false, scope)) << lnClass;
            return type;
        }
        ADD_FAILURE() << "no standard class " << lnClass;
        return URI_Ref();
    }

    URI_Ref NewDataSet() {
        URI_Ref dataSet;
        EXPECT_TRUE(app.NewRsc_DataSet(&dataSet, lln0));
        return dataSet;
    }

    URI_Ref pkg, ld, lln0;
};

// The measured values of MMXU with all its data objects: the MV ones, and
// the phases (not the whole) of the WYE and DEL ones.
Names MeasuredValues() {
    Names out;
    for (const char* d : {"TotW", "TotVAr", "TotVA", "TotPF", "Hz"}) out.push_back(CString("MMXU1.") + d);
    for (const char* phase : {"phsAB", "phsBC", "phsCA"}) out.push_back(CString("MMXU1.PPV.") + phase);
    for (const char* d : {"PNV", "PhV", "A", "W", "VAr", "VA", "PF", "Z"}) {
        for (const char* phase : {"phsA", "phsB", "phsC", "neut", "net", "res"})
            out.push_back(CString("MMXU1.") + d + "." + phase);
    }
    for (const char* stat : {"Av", "Max", "Min"}) {
        for (const char* d : {"A", "PPV", "PhV", "W", "VA", "VAr", "PF", "Z"})
            out.push_back(CString("MMXU1.") + stat + d + "Phs");
    }
    out.push_back("MMXU1.HzRte");
    return out;
}

TEST_F(GenerateStdTest, DataSetsHoldThePredictedMembersOnce) {
    // The standard data sets one after the other, as the commands make them:
    // protection operation, other states without the common objects,
    // measured values over the server.
    const URI_Ref trips = NewDataSet(), states = NewDataSet(), measured = NewDataSet();
    const auto generate = [&] {
        EXPECT_TRUE(app.Rsc_AutoCreateFCDA(trips, "ST", CKiln_Main::CREATE_FCD_NoCommon, "Op*,Str*", false,
                                           LNodeUse_None));
        EXPECT_TRUE(app.Rsc_AutoCreateFCDA(states, "ST", CKiln_Main::CREATE_FCD_NoCommon, "", false, LNodeUse_State));
        EXPECT_TRUE(app.Rsc_AutoCreateFCDA(measured, "MX", CKiln_Main::CREATE_FCD_All, "", true, LNodeUse_None));
    };
    generate();
    // ACT and ACD (Op, Str) carry general[ST]; "Str" is in ClcStr (SPC) too.
    EXPECT_EQ(DataSetMembers(trips), (Names{"PTOC1.Op", "PTOC1.Str", "PTOC2.Op", "PTOC2.Str", "MMXU1.ClcStr"}));
    EXPECT_EQ(DataSetMembers(states), (Names{"MMXU1.Blk", "MMXU1.ClcExp", "MMXU1.ClcNxtTmms", "MMXU1.Mir"}));
    EXPECT_EQ(DataSetMembers(measured), MeasuredValues());

    generate();
    EXPECT_EQ(DataSetMembers(trips).size(), 5u);
    EXPECT_EQ(DataSetMembers(states).size(), 4u);
    EXPECT_EQ(DataSetMembers(measured).size(), MeasuredValues().size());

    // What the others left: the common objects with a status (LPL only
    // through paramRev and valRev, which MMXU's optional NamPlt has).
    const URI_Ref rest = NewDataSet();
    EXPECT_TRUE(app.Rsc_AutoCreateFCDA(rest, "ST", CKiln_Main::CREATE_FCD_All, "", true, LNodeUse_None));
    EXPECT_EQ(DataSetMembers(rest), (Names{"LLN0.Beh", "LPHD1.PhyHealth", "LPHD1.Proxy", "PTOC1.Beh", "PTOC2.Beh",
                                    "MMXU1.NamPlt", "MMXU1.Beh", "MMXU1.Health", "MMXU1.Mod", "GGIO1.Beh"}));
    EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace kiln::test
