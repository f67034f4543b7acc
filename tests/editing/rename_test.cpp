// Renaming: an ICD carries its name into its IED, its type package and the
// package's types, only where their names are made from it.
#include "tests/editing/editing_fixture.h"

namespace kiln::test {
namespace {

class RenameTest : public EditingTest {};

TEST_F(RenameTest, AnIcdCarriesItsNameIntoItsIedPackageAndTypes) {
    IcdModel x = BuildIcd();
    // The package and its types begin with the ICD's name, one type does not.
    URI_Ref other = MakeLNodeType(x.pkg, "XCBR_P1", 2);
    bool typesRenamed = false;
    EXPECT_TRUE(app.Rsc_Rename(x.icd, "P2", &typesRenamed));
    EXPECT_TRUE(typesRenamed);
    EXPECT_EQ(Get(x.icd, "cim:Naming.name"), "P2");
    EXPECT_EQ(Get(x.ied, "cim:Naming.name"), "P2_IED");
    EXPECT_EQ(Get(x.pkg, "cim:Naming.name"), "P2模板类包");
    EXPECT_EQ(Get(x.pkgLln0, "cim:Naming.name"), "P2_LLN0");
    EXPECT_EQ(Get(x.pkgInc, "cim:Naming.name"), "P2_INC");
    EXPECT_EQ(Get(x.pkgAv, "cim:Naming.name"), "P2_AV");
    EXPECT_EQ(Get(other, "cim:Naming.name"), "XCBR_P1");
    EXPECT_EQ(Get(x.pkgEnum, "cim:Naming.name"), "P1_Enum");  // enumerations are not in the set
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(RenameTest, OnlyNamesMadeFromTheOldNameAreRenamed) {
    IcdModel x = BuildIcd();
    Set(x.icd, "cim:Naming.name", "T");
    Set(x.ied, "cim:Naming.name", "TEMPLATE");
    Set(x.pkg, "cim:Naming.name", "T模板类包");
    URI_Ref ptoc = MakeLNodeType(x.pkg, "T_PTOC", 3);
    URI_Ref twice = MakeLNodeType(x.pkg, "TT", 4);
    URI_Ref same = MakeLNodeType(x.pkg, "T", 5);
    URI_Ref longer = MakeLNodeType(x.pkg, "T模板类包2", 6);
    EXPECT_TRUE(app.Rsc_Rename(x.icd, "X"));
    EXPECT_EQ(Get(x.icd, "cim:Naming.name"), "X");
    EXPECT_EQ(Get(x.pkg, "cim:Naming.name"), "X模板类包");
    EXPECT_EQ(Get(ptoc, "cim:Naming.name"), "X_PTOC");
    EXPECT_EQ(Get(same, "cim:Naming.name"), "X");
    EXPECT_EQ(Get(x.ied, "cim:Naming.name"), "TEMPLATE");
    EXPECT_EQ(Get(twice, "cim:Naming.name"), "TT");
    EXPECT_EQ(Get(longer, "cim:Naming.name"), "T模板类包2");
}

TEST_F(RenameTest, PackagesAndOtherClasses) {
    // An instance package renames its types; a standard one only itself.
    bool typesRenamed = false;
    EXPECT_TRUE(app.Rsc_Rename(m.instPkg, "Q", &typesRenamed));
    EXPECT_TRUE(typesRenamed);
    EXPECT_EQ(Get(m.p1Ptoc, "cim:Naming.name"), "Q_PTOC");
    EXPECT_EQ(Get(m.p1Sps, "cim:Naming.name"), "Q_SPS");
    EXPECT_TRUE(app.Rsc_Rename(m.stdPkg, "IEC", &typesRenamed));
    EXPECT_FALSE(typesRenamed);
    EXPECT_EQ(Get(m.stdPkg, "cim:Naming.name"), "IEC");
    EXPECT_EQ(Get(m.ptoc, "cim:Naming.name"), "PTOC");

    // A type renames itself alone, even when other names begin with its own.
    EXPECT_TRUE(app.Rsc_Rename(m.sps, "SPS2"));
    EXPECT_EQ(Get(m.sps, "cim:Naming.name"), "SPS2");
    EXPECT_EQ(Get(m.p1Sps, "cim:Naming.name"), "Q_SPS");
}

TEST_F(RenameTest, AnEmptyNameChangesNothingAndRefusalsChangeNothing) {
    Set(m.ptoc, "cim:Naming.name", "");
    EXPECT_TRUE(app.Rsc_Rename(m.ptoc, "NEW"));
    EXPECT_EQ(Get(m.ptoc, "cim:Naming.name"), "");

    bool typesRenamed = true;
    EXPECT_FALSE(app.Rsc_Rename(URI_Ref(), "X", &typesRenamed));
    EXPECT_FALSE(typesRenamed);
    EXPECT_TRUE(ui.Messages().empty());

    Doc().SetDomainEditable(kInstDomain, false);
    EXPECT_FALSE(app.Rsc_Rename(m.instPkg, "Q"));
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"当前域不可编辑！-W0091"}));
    EXPECT_EQ(Get(m.instPkg, "cim:Naming.name"), "P1");
}

TEST_F(RenameTest, AFailedWriteIsReportedAndTheRestIsRenamed) {
    IcdModel x = BuildIcd();
    Doc().InjectFault("modify", 1);  // the IED's name, the second write
    EXPECT_TRUE(app.Rsc_Rename(x.icd, "P2"));
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"资源改名时发生错误！ "}));
    EXPECT_EQ(Get(x.icd, "cim:Naming.name"), "P2");
    EXPECT_EQ(Get(x.ied, "cim:Naming.name"), "P1_IED");
    EXPECT_EQ(Get(x.pkg, "cim:Naming.name"), "P2模板类包");

    // Whichever read fails, a refused renaming has renamed nothing; the
    // type lists of the package are among those reads.
    int refused = 0;
    for (int skip = 0; skip < 40; ++skip) {
        Set(x.icd, "cim:Naming.name", "P2");
        Set(x.pkgLln0, "cim:Naming.name", "P2_LLN0");
        Doc().InjectFault("query", skip);
        const bool renamed = app.Rsc_Rename(x.icd, "P3");
        Doc().ClearFault();
        if (renamed) continue;
        ++refused;
        EXPECT_EQ(Get(x.icd, "cim:Naming.name"), "P2") << skip;
        EXPECT_EQ(Get(x.pkgLln0, "cim:Naming.name"), "P2_LLN0") << skip;
    }
    EXPECT_GE(refused, 3);
}

}  // namespace
}  // namespace kiln::test
