// Copies of types: which referenced types are shared, found by name or
// copied; types that refer to themselves or to each other; the members'
// values and numbers; and a copy that stops at a refused creation.
#include "tests/editing/copy_fixture.h"

namespace kiln::test {
namespace {

using Texts = std::vector<CString>;

class TypeCopyTest : public CopyTest {
protected:
    void SetUp() override {
        x = BuildIcd();
        y = BuildIcd2();
    }
    // A new empty type of the class in the package, made by its creator.
    URI_Ref NewType(const CString& cls, const URI_Ref& pkg) {
        URI_Ref t;
        bool made = cls == "sec:DAType"   ? app.NewRsc_DAType(&t, pkg)
                    : cls == "sec:DOType" ? app.NewRsc_DOType(&t, pkg)
                                          : app.NewRsc_LNodeType(&t, pkg);
        EXPECT_TRUE(made) << cls;
        return t;
    }
    Texts Names(const std::vector<URI_Ref>& list) {
        Texts names;
        for (const URI_Ref& r : list) names.push_back(Get(r, "cim:Naming.name"));
        return names;
    }
    IcdModel x;
    Icd2Model y;
};

TEST_F(TypeCopyTest, AReferencedTypeOfAnIcdIsFoundByItsExactNameElseCopied) {
    // P2 already holds a DA type of the name of P1_INC's structure type.
    URI_Ref existing = MakeDAType(y.pkg, "P1_AV", 1);
    Snapshot before = Take();
    URI_Ref d = NewType("sec:DOType", y.pkg);
    EXPECT_TRUE(app.Rsc_Copy_DOType(x.pkgInc, d, y.pkg));
    EXPECT_EQ(Get(d, "cim:Naming.name"), "P1_INC");
    EXPECT_EQ(Names(Along(y.pkg, "sec:TypePackage.DATypes")), Texts{"P1_AV"});
    std::vector<URI_Ref> das = Along(d, "sec:DOType.Contains_DAs");
    ASSERT_EQ(Names(das), (Texts{"mag", "mode"}));
    EXPECT_EQ(First(das[0], "sec:BDA.DefinedBy_Struct"), existing);
    // The enumeration and the standard SDO type are shared, not copied.
    EXPECT_EQ(First(das[1], "sec:BDA.DefinedBy_EnumType"), x.pkgEnum);
    EXPECT_EQ(First(First(d, "sec:DOType.Contains_SDOs"), "sec:SDO.DefinedBy_DOType"), m.sps);
    EXPECT_EQ(Get(das[0], "sec:DA.fc_0"), Get(First(x.pkgInc, "sec:DOType.Contains_DAs"), "sec:DA.fc_0"));
    ExpectTidy(before);

    // A name that differs in case only is another name: the type is copied.
    Set(existing, "cim:Naming.name", "p1_av");
    before = Take();
    URI_Ref d2 = NewType("sec:DOType", y.pkg);
    EXPECT_TRUE(app.Rsc_Copy_DOType(x.pkgInc, d2, y.pkg));
    std::vector<URI_Ref> types = Along(y.pkg, "sec:TypePackage.DATypes");
    ASSERT_EQ(Names(types), (Texts{"p1_av", "P1_AV"}));
    EXPECT_EQ(First(Along(d2, "sec:DOType.Contains_DAs")[0], "sec:BDA.DefinedBy_Struct"), types[1]);
    EXPECT_EQ(Names(Along(types[1], "sec:DAType.Contains_BDAs")), Texts{"f"});
    EXPECT_EQ(Get(types[1], "e301:OrdNaming.ord"), "2");
    ExpectTidy(before);

    // Of two types of one name the first by number is found, not the first
    // made; a type the copy made is found by the name it took, and not by
    // the name its creator gave it.
    MakeDAType(y.pkg, "Q_AV", 9);
    URI_Ref firstByNumber = MakeDAType(y.pkg, "Q_AV", 3);
    URI_Ref qav = MakeDAType(x.pkg, "Q_AV", 7);
    URI_Ref dup1 = MakeDOType(x.pkg, "Dup", 5), dup2 = MakeDOType(x.pkg, "Dup", 6);
    MakeDA(dup1, "mag", 1, "MX", "Struct", qav);
    const size_t doTypesBefore = Along(y.pkg, "sec:TypePackage.DOTypes").size();
    URI_Ref creatorNamed = MakeDOType(x.pkg, "DOType_" + ToText(static_cast<int>(doTypesBefore) + 1), 7);
    URI_Ref ln = MakeLNodeType(x.pkg, "L", 5);
    MakeDO(ln, "a", 1, dup1);
    MakeDO(ln, "b", 2, dup2);
    MakeDO(ln, "c", 3, creatorNamed);
    before = Take();
    URI_Ref l = NewType("sec:LNodeType", y.pkg);
    EXPECT_TRUE(app.Rsc_Copy_LNodeType(ln, l, URI_Ref()));
    std::vector<URI_Ref> doTypes = Along(y.pkg, "sec:TypePackage.DOTypes");
    ASSERT_EQ(doTypes.size(), doTypesBefore + 2);
    const URI_Ref dupCopy = doTypes[doTypesBefore], namedCopy = doTypes[doTypesBefore + 1];
    EXPECT_EQ(Get(dupCopy, "cim:Naming.name"), "Dup");
    EXPECT_EQ(Get(namedCopy, "cim:Naming.name"), Get(creatorNamed, "cim:Naming.name"));
    std::vector<URI_Ref> dos = Along(l, "sec:LNodeType.DOs");
    ASSERT_EQ(Names(dos), (Texts{"a", "b", "c"}));
    EXPECT_EQ(First(dos[0], "sec:DO.DefinedBy_DOType"), dupCopy);
    EXPECT_EQ(First(dos[1], "sec:DO.DefinedBy_DOType"), dupCopy);
    EXPECT_EQ(First(dos[2], "sec:DO.DefinedBy_DOType"), namedCopy);
    EXPECT_EQ(First(First(dupCopy, "sec:DOType.Contains_DAs"), "sec:BDA.DefinedBy_Struct"), firstByNumber);
    ExpectTidy(before);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TypeCopyTest, TypesThatReferToThemselvesOrEachOtherAreCopiedOnceEach) {
    URI_Ref node = MakeDAType(x.pkg, "Node", 2);
    MakeBDA(node, "next", 1, "Struct", node);
    MakeBDA(node, "v", 2, "BOOLEAN");
    // Into another ICD's package: one new type, its member refers to it.
    Snapshot before = Take();
    URI_Ref d = NewType("sec:DAType", y.pkg);
    EXPECT_TRUE(app.Rsc_Copy_DAType(node, d, y.pkg));
    EXPECT_EQ(Along(y.pkg, "sec:TypePackage.DATypes").size(), 1u);
    std::vector<URI_Ref> bdas = Along(d, "sec:DAType.Contains_BDAs");
    ASSERT_EQ(Names(bdas), (Texts{"next", "v"}));
    EXPECT_EQ(First(bdas[0], "sec:BDA.DefinedBy_Struct"), d);
    // A plain member gets no type link.
    EXPECT_TRUE(First(bdas[1], "sec:BDA.DefinedBy_Struct").IsEmpty());
    EXPECT_TRUE(First(bdas[1], "sec:BDA.DefinedBy_EnumType").IsEmpty());
    ExpectTidy(before);

    // Into its own package: the member refers to the first type of that
    // name, the source, and nothing more is made.
    URI_Ref own = NewType("sec:DAType", x.pkg);
    EXPECT_TRUE(app.Rsc_Copy_DAType(node, own, x.pkg));
    EXPECT_EQ(Names(Along(x.pkg, "sec:TypePackage.DATypes")), (Texts{"P1_AV", "Node", "Node"}));
    EXPECT_EQ(First(Along(own, "sec:DAType.Contains_BDAs")[0], "sec:BDA.DefinedBy_Struct"), node);

    // Two types that refer to each other: two copies that refer to each other.
    URI_Ref a = MakeDAType(x.pkg, "A", 4), b = MakeDAType(x.pkg, "B", 5);
    MakeBDA(a, "toB", 1, "Struct", b);
    MakeBDA(b, "toA", 1, "Struct", a);
    before = Take();
    URI_Ref ca = NewType("sec:DAType", y.pkg);
    EXPECT_TRUE(app.Rsc_Copy_DAType(a, ca, y.pkg));
    std::vector<URI_Ref> types = Along(y.pkg, "sec:TypePackage.DATypes");
    ASSERT_EQ(Names(types), (Texts{"Node", "A", "B"}));
    EXPECT_EQ(First(Along(types[1], "sec:DAType.Contains_BDAs")[0], "sec:BDA.DefinedBy_Struct"), types[2]);
    EXPECT_EQ(First(Along(types[2], "sec:DAType.Contains_BDAs")[0], "sec:BDA.DefinedBy_Struct"), types[1]);
    ExpectTidy(before);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TypeCopyTest, ACopyWhoseNameWasNotTakenStillEndsAtItsOwnReference) {
    // The copy's attribute copy fails, so the copy keeps its creator's name
    // and the search by name cannot find it: the walk must still end.
    URI_Ref node = MakeDAType(x.pkg, "Node", 2);
    MakeBDA(node, "next", 1, "Struct", node);
    URI_Ref d = NewType("sec:DAType", y.pkg);
    Doc().InjectFault("copy");
    EXPECT_TRUE(app.Rsc_Copy_DAType(node, d, y.pkg));
    Doc().ClearFault();
    EXPECT_EQ(Along(y.pkg, "sec:TypePackage.DATypes").size(), 1u);
    EXPECT_EQ(First(Along(d, "sec:DAType.Contains_BDAs")[0], "sec:BDA.DefinedBy_Struct"), d);
}

TEST_F(TypeCopyTest, IntoItsOwnPackageACopyKeepsTheNamesAndTheMembersTheirNumbers) {
    // Members numbered with a gap keep their numbers, not their places.
    Set(Along(x.pkgInc, "sec:DOType.Contains_DAs")[1], "e301:OrdNaming.ord", "5");
    URI_Ref d = NewType("sec:DOType", x.pkg);
    EXPECT_TRUE(app.Rsc_Copy_DOType(x.pkgInc, d, x.pkg));
    EXPECT_EQ(Names(Along(x.pkg, "sec:TypePackage.DOTypes")), (Texts{"P1_INC", "P1_INC"}));
    EXPECT_EQ(Get(d, "e301:OrdNaming.ord"), "2");
    std::vector<URI_Ref> das = Along(d, "sec:DOType.Contains_DAs");
    ASSERT_EQ(Names(das), (Texts{"mag", "mode"}));
    EXPECT_EQ(Ords(das), (std::vector<int>{1, 5}));
    // The structure type is found by name: the source's own.
    EXPECT_EQ(First(das[0], "sec:BDA.DefinedBy_Struct"), x.pkgAv);
    EXPECT_EQ(Along(x.pkg, "sec:TypePackage.DATypes").size(), 1u);
}

TEST_F(TypeCopyTest, AnLNodeTypeSharesStandardTypesAndItsDosKeepTheirNumbers) {
    MakeDO(x.pkgLln0, "Beh", 2, x.pkgInc);
    Set(x.pkgLln0, "cim:Naming.description", "逻辑节点零");
    Snapshot before = Take();
    URI_Ref d = NewType("sec:LNodeType", y.pkg);
    EXPECT_TRUE(app.Rsc_Copy_LNodeType(x.pkgLln0, d, URI_Ref()));
    EXPECT_EQ(Get(d, "cim:Naming.description"), "逻辑节点零");
    EXPECT_EQ(First(d, "sec:LNodeType.ClassOf_LNType"), m.lln0);
    std::vector<URI_Ref> dos = Along(d, "sec:LNodeType.DOs");
    ASSERT_EQ(Names(dos), (Texts{"Mod", "Beh"}));
    EXPECT_EQ(Ords(dos), (std::vector<int>{1, 2}));
    // Mod's type is standard: shared. Beh's lies in P1's package: copied into
    // the LNodeType's own package (the package argument is not consulted).
    EXPECT_EQ(First(dos[0], "sec:DO.DefinedBy_DOType"), m.inc);
    std::vector<URI_Ref> doTypes = Along(y.pkg, "sec:TypePackage.DOTypes");
    ASSERT_EQ(Names(doTypes), Texts{"P1_INC"});
    EXPECT_EQ(First(dos[1], "sec:DO.DefinedBy_DOType"), doTypes[0]);
    EXPECT_EQ(Names(Along(y.pkg, "sec:TypePackage.DATypes")), Texts{"P1_AV"});
    ExpectTidy(before);
}

TEST_F(TypeCopyTest, ADoTakesTheSourcesNumberUnlessItsListNamesTheNumber) {
    URI_Ref beh = MakeDO(x.pkgLln0, "Beh", 2, m.inc);
    URI_Ref semantic = First(x.pkg, "sec:TypePackage.DOSemantics");
    Link(beh, "sec:DO.DOSemantic", semantic);
    // With the number in the list the new DO stays where its creator put it.
    URI_Ref last;
    ASSERT_TRUE(app.NewRsc_DO(&last, x.pkgLln0, ""));
    CStringArray keep;
    keep.Add("e301:OrdNaming.ord");
    EXPECT_TRUE(app.Rsc_Copy_DO(beh, last, x.pkgLln0, keep));
    EXPECT_EQ(Get(last, "cim:Naming.name"), "Beh");
    EXPECT_EQ(Get(last, "e301:OrdNaming.ord"), "3");
    EXPECT_EQ(First(last, "sec:DO.DOSemantic"), semantic);
    EXPECT_EQ(First(last, "sec:DO.DefinedBy_DOType"), m.inc);
    // With an empty list it takes the source's number.
    URI_Ref fresh = NewType("sec:LNodeType", y.pkg), d;
    ASSERT_TRUE(app.NewRsc_DO(&d, fresh, ""));
    CStringArray none;
    EXPECT_TRUE(app.Rsc_Copy_DO(beh, d, fresh, none));
    EXPECT_EQ(Get(d, "e301:OrdNaming.ord"), "2");
}

TEST_F(TypeCopyTest, TheFirstRefusedCreationStopsTheCopyAndTakesBackWhatItMade) {
    // The target type lies in an editable package, the package the
    // structure type must be copied into does not.
    MakeDomain("kiln.locked#", "二次模型数据类型包");
    URI_Ref lockedPkg = MakeTypePackage("kiln.locked#", "Locked", true);
    ASSERT_TRUE(Doc().SetDomainEditable("kiln.locked#", false));
    URI_Ref d = NewType("sec:DOType", y.pkg);
    ui.ClearCalls();
    const int before = Count();
    EXPECT_FALSE(app.Rsc_Copy_DOType(x.pkgInc, d, lockedPkg));
    EXPECT_EQ(Messages(), Texts{"当前域不可编辑！-W0060"});
    // The SDO and DA made before the refusal are gone; the caller's type stays.
    EXPECT_EQ(Count(), before);
    EXPECT_TRUE(Along(d, "sec:DOType.Contains_SDOs").empty());
    EXPECT_TRUE(Along(d, "sec:DOType.Contains_DAs").empty());
}

}  // namespace
}  // namespace kiln::test
