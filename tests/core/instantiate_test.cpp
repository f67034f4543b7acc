// Instance types built from the standard classes of the hand-made package:
// reuse and choice, scopes, copied members, enumerations, messages, cycles,
// and the linking of name semantics.
#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

constexpr const char* kScopeTitle = "请选择新建成员的范围：";

class InstantiateTest : public ModelTest {
protected:
    // The targets of a role in sibling order.
    std::vector<URI_Ref> Members(const URI_Ref& rsc, const CString& role) {
        std::vector<URI_Ref> out;
        EXPECT_TRUE(app.DocMtd_get_Association_BUris(rsc, role, out, "e301:OrdNaming.ord", SortPolicy_ByOrd));
        return out;
    }
    std::vector<CString> Names(const URI_Ref& rsc, const CString& role) {
        std::vector<CString> names;
        for (const URI_Ref& r : Members(rsc, role)) names.push_back(Get(r, "cim:Naming.name"));
        return names;
    }
    std::vector<CString> Ords(const URI_Ref& rsc, const CString& role) {
        std::vector<CString> ords;
        for (const URI_Ref& r : Members(rsc, role)) ords.push_back(Get(r, "e301:OrdNaming.ord"));
        return ords;
    }
    URI_Ref Member(const URI_Ref& rsc, const CString& role, const CString& name) {
        for (const URI_Ref& r : Members(rsc, role))
            if (Get(r, "cim:Naming.name") == name) return r;
        return URI_Ref();
    }
    URI_Ref First(const URI_Ref& rsc, const CString& path) { return Doc().FirstTarget(rsc, path); }
    int Count() { return Doc().ResourceCount(); }
    void SetPresence(const URI_Ref& member, const CString& role, const char* value) {
        Set(member, role, EnumValue("PresenceTypeEnum", value));
    }
    URI_Ref Build(const URI_Ref& stdClass, const CString& scope, bool forceNew = true) {
        URI_Ref out;
        EXPECT_TRUE(app.GetType_FromStandard(stdClass, m.instPkg, &out, forceNew, scope));
        return out;
    }
};

// ---- reuse and choice ----

TEST_F(InstantiateTest, ASingleUsableTypeIsReusedWithoutAQuestion) {
    const int before = Count();
    URI_Ref out;
    ASSERT_TRUE(app.GetType_FromStandard(m.sps, m.instPkg, &out, false, ""));
    EXPECT_EQ(out, m.p1Sps);
    EXPECT_EQ(Count(), before);
    EXPECT_TRUE(ui.Calls().size() <= 1u) << "at most the wait cursor";
    EXPECT_EQ(ui.CountOf(Enum_UiCall::InputBox), 0);

    // A CDC used by two DOs of one LN class is instantiated once.
    URI_Ref ln = Build(m.ptoc, "with M");
    const URI_Ref str = Member(ln, "sec:LNodeType.DOs", "Str"), op = Member(ln, "sec:LNodeType.DOs", "Op");
    EXPECT_EQ(First(str, "sec:DO.DefinedBy_DOType"), m.p1Sps);
    EXPECT_EQ(First(op, "sec:DO.DefinedBy_DOType"), m.p1Sps);
}

TEST_F(InstantiateTest, SeveralUsableTypesAreOfferedInOrderAndOthersNever) {
    URI_Ref second = MakeDOType(m.instPkg, "P1_SPS_B", 3);
    Link(second, "sec:DOType.ClassOf_DOType", m.sps);
    URI_Ref early = MakeDOType(m.instPkg, "P1_SPS_A", 0);  // no order number: sorts first
    Link(early, "sec:DOType.ClassOf_DOType", m.sps);
    // An instance package outside P1's chain.
    MakeDomain("kiln.p2#", "二次模型数据类型包");
    URI_Ref p2 = MakeTypePackage("kiln.p2#", "P2", true);
    URI_Ref foreign = MakeDOType(p2, "P2_SPS", 1);
    Link(foreign, "sec:DOType.ClassOf_DOType", m.sps);

    ui.AnswerInputChoice("P1_SPS_B");
    URI_Ref out;
    ASSERT_TRUE(app.GetType_FromStandard(m.sps, m.instPkg, &out, false, "with M"));
    EXPECT_EQ(out, second);
    const Struct_UiCall* box = ui.LastOf(Enum_UiCall::InputBox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->sText, "发现 SPS 的实例类型有多个，请作出选择：");
    EXPECT_EQ(box->nEditKind, 7);
    ASSERT_EQ(box->vList.GetSize(), 3);
    EXPECT_EQ(box->vList.vPairs[0].first, "P1_SPS_A");
    EXPECT_EQ(box->vList.vPairs[1].first, "P1_SPS");
    EXPECT_EQ(box->vList.vPairs[2].first, "P1_SPS_B");
    EXPECT_EQ(box->vList.vPairs[2].second, CString(second.sUri));

    ui.AnswerInputCancel();
    EXPECT_FALSE(app.GetType_FromStandard(m.sps, m.instPkg, &out, false, "with M"));
    EXPECT_TRUE(out.IsEmpty());

    // An empty answer: done, without a type; a member asking so stays untyped.
    ui.AnswerInput("");
    URI_Ref d;
    ASSERT_TRUE(app.Add_InstMember_byStd(m.p1Ptoc, m.ptocStr, d, "with M"));
    EXPECT_EQ(Get(d, "cim:Naming.name"), "Str");
    EXPECT_TRUE(First(d, "sec:DO.DefinedBy_DOType").IsEmpty());
}

TEST_F(InstantiateTest, ForceNewMakesANewTypeButItsMembersStillReuse) {
    URI_Ref out = Build(m.sps, "with M/C/O");
    ASSERT_TRUE(out.IsSet());
    EXPECT_NE(out, m.p1Sps);
    // P1_SPS is taken: the first free name, said on the status line.
    EXPECT_EQ(Get(out, "cim:Naming.name"), "P1_SPS2");
    EXPECT_EQ(ui.LastOf(Enum_UiCall::StatusText)->sText, "DO类型P1_SPS已存在，新类型命名为P1_SPS2");
    EXPECT_EQ(Get(out, "sec:DOType.isInstType"), "true");
    EXPECT_EQ(First(out, "sec:DOType.ClassOf_DOType"), m.sps);
    EXPECT_EQ(Names(out, "sec:DOType.Contains_DAs"), (std::vector<CString>{"stVal", "q", "origin", "d"}));
    URI_Ref origin = Member(out, "sec:DOType.Contains_DAs", "origin");
    URI_Ref originType = First(origin, "sec:BDA.DefinedBy_Struct");
    EXPECT_EQ(Get(originType, "cim:Naming.name"), "P1_Originator");
    EXPECT_EQ(First(originType, "sec:DAType.ClassOf_DAType"), m.originator);

    // The second build finds the Originator type made by the first.
    URI_Ref again = Build(m.sps, "with M/C/O");
    EXPECT_EQ(Get(again, "cim:Naming.name"), "P1_SPS3");
    EXPECT_EQ(First(Member(again, "sec:DOType.Contains_DAs", "origin"), "sec:BDA.DefinedBy_Struct"), originType);
}

TEST_F(InstantiateTest, ATypeOfAnIcdPackageIsNamedAfterTheIcd) {
    URI_Ref icd = Make(kInstDomain, "sec:ICD", "T1");
    Link(icd, "sec:ICD.TypePackage", m.instPkg);
    EXPECT_EQ(Get(Build(m.lpl, "with no"), "cim:Naming.name"), "T1_LPL");
}

// ---- scopes and copied members ----

TEST_F(InstantiateTest, EachScopeCopiesItsMembersInOrderWithoutTheirOrderNumbers) {
    SetPresence(m.ptocStr, "sec:DO.presence", "C");
    SetPresence(m.commonBeh, "sec:DO.presence", "O");
    Set(m.ptocOp, "cim:Naming.description", "动作");
    Set(m.ptocOp, "e301:OrdNaming.ord", "7");

    struct Row {
        const char* scope;
        std::vector<CString> dos;
    };
    const Row rows[] = {{"with M", {"Op", "Mod", "NamPlt"}},
                        {"with M/C", {"Str", "Op", "Mod", "NamPlt"}},
                        {"with M/C/O", {"Str", "Op", "Mod", "Beh", "NamPlt"}},
                        {"with no", {}}};
    int taken = 1;  // P1_PTOC, then each build
    for (const Row& r : rows) {
        SCOPED_TRACE(r.scope);
        URI_Ref ln = Build(m.ptoc, r.scope);
        EXPECT_EQ(Get(ln, "cim:Naming.name"), "P1_PTOC" + ToText(++taken));
        EXPECT_EQ(First(ln, "sec:LNodeType.ClassOf_LNType"), m.ptoc);
        EXPECT_EQ(Names(ln, "sec:LNodeType.DOs"), r.dos);
        std::vector<CString> contiguous;
        for (size_t i = 1; i <= r.dos.size(); ++i) contiguous.push_back(ToText(static_cast<int>(i)));
        EXPECT_EQ(Ords(ln, "sec:LNodeType.DOs"), contiguous);
    }
    URI_Ref ln = Build(m.ptoc, "with M");
    URI_Ref op = Member(ln, "sec:LNodeType.DOs", "Op");
    EXPECT_EQ(Get(op, "cim:Naming.description"), "动作");
    EXPECT_EQ(Get(op, "e301:OrdNaming.ord"), "1");
    EXPECT_EQ(Get(op, "sec:DO.derivate"), "") << "declared by the standard package";
    EXPECT_TRUE(ui.Messages().empty());
}

// A class of which the scope takes no member gets those of the next level
// that has some, and the status line says which.
TEST_F(InstantiateTest, AClassTheScopeLeavesEmptyGetsItsNextLevel) {
    const struct {
        const char *f, *i, *scope;
        std::vector<CString> bdas;
        const char* copied;
    } rows[] = {{"C", "O", "with M", {"f"}, "条件必选成员"},
                {"O", "O", "with M", {"f", "i"}, "可选成员"},
                {"O", "O", "with M/C", {"f", "i"}, "可选成员"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.f) + r.i + " " + r.scope);
        SetPresence(m.avF, "sec:BDA.presence", r.f);
        SetPresence(m.avI, "sec:BDA.presence", r.i);
        ui.ClearCalls();
        URI_Ref av = Build(m.analogueValue, r.scope);
        EXPECT_EQ(Names(av, "sec:DAType.Contains_BDAs"), r.bdas);
        const Struct_UiCall* status = ui.LastOf(Enum_UiCall::StatusText);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->sText, "DA类型" + Get(av, "cim:Naming.name") + "在所选范围内没有成员，已复制其" + r.copied);
    }
}

TEST_F(InstantiateTest, TheScopeIsAskedOnceForTheWholeTree) {
    ui.AnswerInputChoice("复制所有成员\t\t\t（M、C和O）", kScopeTitle);
    URI_Ref ln;
    ASSERT_TRUE(app.GetType_FromStandard(m.mmxu, m.instPkg, &ln, true, ""));
    EXPECT_EQ(ui.CountOf(Enum_UiCall::InputBox), 1);
    const Struct_UiCall* box = ui.LastOf(Enum_UiCall::InputBox);
    ASSERT_EQ(box->vList.GetSize(), 4);
    EXPECT_EQ(box->sValue, "复制必选成员\t\t\t（M）");
    const char* const values[] = {"with M", "with M/C", "with M/C/O", "with no"};
    const char* const texts[] = {"复制必选成员\t\t\t（M）", "复制必选和条件必选成员 （M和C）",
                                 "复制所有成员\t\t\t（M、C和O）", "不复制任何成员\t\t\t"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(box->vList.vPairs[i].first, texts[i]);
        EXPECT_EQ(box->vList.vPairs[i].second, values[i]);
    }
    // WYE, CMV, Vector and AnalogueValue were all built under the one answer.
    URI_Ref a = Member(ln, "sec:LNodeType.DOs", "A");
    URI_Ref wye = First(a, "sec:DO.DefinedBy_DOType");
    EXPECT_EQ(Names(wye, "sec:DOType.Contains_SDOs"), (std::vector<CString>{"phsA", "phsB", "phsC"}));
    URI_Ref cmv = First(Member(wye, "sec:DOType.Contains_SDOs", "phsB"), "sec:SDO.DefinedBy_DOType");
    EXPECT_EQ(Get(cmv, "cim:Naming.name"), "P1_CMV");
    URI_Ref vec = First(Member(cmv, "sec:DOType.Contains_DAs", "cVal"), "sec:BDA.DefinedBy_Struct");
    EXPECT_EQ(Names(vec, "sec:DAType.Contains_BDAs"), (std::vector<CString>{"mag", "ang"}));

    // Cancelled: the type stays with its class, name and no members.
    const int before = Count();
    ui.AnswerInputCancel(kScopeTitle);
    URI_Ref lpl;
    EXPECT_FALSE(app.GetType_FromStandard(m.lpl, m.instPkg, &lpl, true, ""));
    EXPECT_EQ(Count(), before + 1);
    URI_Ref made = Members(m.instPkg, "sec:TypePackage.DOTypes").back();
    EXPECT_EQ(Get(made, "cim:Naming.name"), "P1_LPL2");  // the MMXU's NamPlt has P1_LPL
    EXPECT_EQ(First(made, "sec:DOType.ClassOf_DOType"), m.lpl);
    EXPECT_TRUE(Members(made, "sec:DOType.Contains_DAs").empty());
}

TEST_F(InstantiateTest, NameSpaceAttributesFollowEveryScopeButNone) {
    // An LPL of a declaration package: every member optional.
    MakeDomain("kiln.d1#", "二次模型标准定义包3");
    URI_Ref decl = MakeTypePackage("kiln.d1#", "D1", false);
    Link(decl, "sec:TypePackage.Depend_TypePackage", m.stdPkg);
    URI_Ref lpl = MakeDOType(decl, "XLPL", 1);
    for (const char* name : {"vendor", "ldNs", "cdcNs", "cdcName", "dU", "dataNs"}) {
        URI_Ref da = MakeDA(lpl, name, 0, "EX", "VisString255");
        SetPresence(da, "sec:BDA.presence", "O");
    }
    URI_Ref with = Build(lpl, "with M");
    EXPECT_EQ(Names(with, "sec:DOType.Contains_DAs"), (std::vector<CString>{"cdcNs", "dU", "dataNs"}));
    EXPECT_EQ(Get(Member(with, "sec:DOType.Contains_DAs", "cdcNs"), "sec:BDA.valueStr"), "D1");
    EXPECT_TRUE(Members(Build(lpl, "with no"), "sec:DOType.Contains_DAs").empty());

    URI_Ref all = Build(lpl, "with M/C/O");
    EXPECT_EQ(Get(Member(all, "sec:DOType.Contains_DAs", "ldNs"), "sec:BDA.valueStr"), "IEC 61850-7-4:2003");
    EXPECT_EQ(Get(Member(all, "sec:DOType.Contains_DAs", "cdcName"), "sec:BDA.valueStr"), "XLPL");
    EXPECT_EQ(Get(Member(all, "sec:DOType.Contains_DAs", "dataNs"), "sec:BDA.valueStr"), "");
    EXPECT_EQ(Get(Member(all, "sec:DOType.Contains_DAs", "vendor"), "sec:BDA.valueStr"), "");

    // A CDC of the standard package leaves cdcNs empty.
    URI_Ref cdcNs = MakeDA(m.lpl, "cdcNs", 3, "EX", "VisString255");
    URI_Ref stdLpl = Build(m.lpl, "with M");
    EXPECT_EQ(Get(Member(stdLpl, "sec:DOType.Contains_DAs", "cdcNs"), "sec:BDA.valueStr"), "");
    EXPECT_EQ(Get(Member(stdLpl, "sec:DOType.Contains_DAs", "ldNs"), "sec:BDA.valueStr"), "IEC 61850-7-4:2003");
    (void)cdcNs;
}

TEST_F(InstantiateTest, InheritedDataObjectsComeAfterOwnOnesAndDerivedOnesAreMarked) {
    MakeDomain("kiln.d1#", "二次模型标准定义包3");
    URI_Ref decl = MakeTypePackage("kiln.d1#", "D1", false);
    Link(decl, "sec:TypePackage.Depend_TypePackage", m.stdPkg);
    URI_Ref xptoc = MakeLNodeType(decl, "XPTOC", 1, m.ptoc);
    MakeDO(xptoc, "Ext", 1, m.sps);
    URI_Ref ln;
    ASSERT_TRUE(app.GetType_FromStandard(xptoc, m.instPkg, &ln, true, "with M"));
    EXPECT_EQ(Names(ln, "sec:LNodeType.DOs"), (std::vector<CString>{"Ext", "Str", "Op", "Mod", "Beh", "NamPlt"}));
    EXPECT_EQ(Ords(ln, "sec:LNodeType.DOs"), (std::vector<CString>{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(Get(Member(ln, "sec:LNodeType.DOs", "Ext"), "sec:DO.derivate"), "true");
    EXPECT_EQ(Get(Member(ln, "sec:LNodeType.DOs", "Str"), "sec:DO.derivate"), "");
    EXPECT_EQ(Get(Member(ln, "sec:LNodeType.DOs", "Mod"), "sec:DO.derivate"), "");
}

TEST_F(InstantiateTest, EnumerationsAndSemanticsAreSharedNotCopied) {
    URI_Ref sem = MakeUnder(m.stdPkg, "sec:DASemantic", "ctlModel", "sec:DASemantic.TypePackage", 1);
    Link(m.incCtlModel, "sec:BDA.DASemantic", sem);
    const int enumsBefore = static_cast<int>(Members(m.instPkg, "sec:TypePackage.EnumTypes").size());
    URI_Ref inc = Build(m.inc, "with M");
    URI_Ref ctl = Member(inc, "sec:DOType.Contains_DAs", "ctlModel");
    EXPECT_EQ(First(ctl, "sec:BDA.DefinedBy_EnumType"), m.ctlModel);
    EXPECT_EQ(First(ctl, "sec:BDA.DASemantic"), sem);
    EXPECT_EQ(Get(ctl, "sec:DA.fc_0"), EnumValue("FCType", "CF"));
    EXPECT_EQ(Get(Member(inc, "sec:DOType.Contains_DAs", "stVal"), "sec:DA.fc_1"), EnumValue("FCType", "SV"));
    EXPECT_EQ(static_cast<int>(Members(m.instPkg, "sec:TypePackage.EnumTypes").size()), enumsBefore);
}

// ---- enumerations set per data object ----

class PerObjectEnumTest : public InstantiateTest {
protected:
    PerObjectEnumTest() {
        beh = MakeEnumType(m.stdPkg, "850EN_BehaviourModeKind", 2, {"on", "blocked"});
        health = MakeEnumType(m.stdPkg, "850EN_HealthKind", 3, {"Ok", "Warning"});
        ens = MakeDOType(m.stdPkg, "ENS", 6);
        MakeDA(ens, "stVal", 1, "ST", "Enum");
        MakeDA(ens, "q", 2, "ST", "Quality");
        operEnum = MakeDAType(m.stdPkg, "Oper_Enum", 4);
        MakeBDA(operEnum, "ctlVal", 1, "Enum");
        MakeBDA(operEnum, "origin", 2, "Struct", m.originator);
        enc = MakeDOType(m.stdPkg, "ENC", 7);
        MakeDA(enc, "stVal", 1, "ST", "Enum");
        MakeDA(enc, "Oper", 2, "CO", "Struct", operEnum);
        MakeDA(enc, "ctlModel", 3, "CF", "Enum", m.ctlModel);
        ln = MakeLNodeType(m.stdPkg, "XLN", 6);
        Link(MakeDO(ln, "Beh", 1, ens), "sec:DO.DefinedBy_EnumType", beh);
        Link(MakeDO(ln, "Health", 2, ens), "sec:DO.DefinedBy_EnumType", health);
        Link(MakeDO(ln, "Mod", 3, enc), "sec:DO.DefinedBy_EnumType", beh);
        MakeDO(ln, "Any", 4, ens);  // no enumeration given
        ui.ClearCalls();
    }
    URI_Ref TypeOf(const URI_Ref& lnType, const CString& doName) {
        return First(Member(lnType, "sec:LNodeType.DOs", doName), "sec:DO.DefinedBy_DOType");
    }
    URI_Ref beh, health, ens, operEnum, enc, ln;
};

TEST_F(PerObjectEnumTest, EachDataObjectGetsATypeOfItsOwnEnumeration) {
    const std::vector<CString> openMessage{"标准类不完善（没有指定DA的枚举类型）"};
    URI_Ref inst = Build(ln, "with M");
    EXPECT_EQ(ui.Messages(), openMessage) << "only the DO without an enumeration";

    URI_Ref behType = TypeOf(inst, "Beh"), healthType = TypeOf(inst, "Health"), modType = TypeOf(inst, "Mod");
    EXPECT_NE(behType, healthType);
    EXPECT_EQ(Get(behType, "cim:Naming.name"), "P1_ENS_BehaviourModeKind");
    EXPECT_EQ(Get(healthType, "cim:Naming.name"), "P1_ENS_HealthKind");
    EXPECT_EQ(Get(modType, "cim:Naming.name"), "P1_ENC_BehaviourModeKind");
    // Every one still names its real CDC.
    EXPECT_EQ(First(behType, "sec:DOType.ClassOf_DOType"), ens);
    EXPECT_EQ(First(healthType, "sec:DOType.ClassOf_DOType"), ens);
    EXPECT_EQ(First(modType, "sec:DOType.ClassOf_DOType"), enc);
    EXPECT_EQ(First(Member(behType, "sec:DOType.Contains_DAs", "stVal"), "sec:BDA.DefinedBy_EnumType"), beh);
    EXPECT_EQ(First(Member(healthType, "sec:DOType.Contains_DAs", "stVal"), "sec:BDA.DefinedBy_EnumType"), health);
    EXPECT_EQ(First(Member(modType, "sec:DOType.Contains_DAs", "stVal"), "sec:BDA.DefinedBy_EnumType"), beh);
    EXPECT_EQ(First(Member(modType, "sec:DOType.Contains_DAs", "ctlModel"), "sec:BDA.DefinedBy_EnumType"),
              m.ctlModel);
    // The operate structure carries the enumeration down; the originator,
    // which has none open, is one type for all.
    URI_Ref oper = First(Member(modType, "sec:DOType.Contains_DAs", "Oper"), "sec:BDA.DefinedBy_Struct");
    EXPECT_EQ(Get(oper, "cim:Naming.name"), "P1_Oper_Enum_BehaviourModeKind");
    EXPECT_EQ(First(Member(oper, "sec:DAType.Contains_BDAs", "ctlVal"), "sec:BDA.DefinedBy_EnumType"), beh);
    EXPECT_EQ(Get(First(Member(oper, "sec:DAType.Contains_BDAs", "origin"), "sec:BDA.DefinedBy_Struct"),
                  "cim:Naming.name"),
              "P1_Originator");
    // The DO without an enumeration keeps an open stVal in a type of its own.
    URI_Ref anyType = TypeOf(inst, "Any");
    EXPECT_EQ(Get(anyType, "cim:Naming.name"), "P1_ENS");
    EXPECT_TRUE(First(Member(anyType, "sec:DOType.Contains_DAs", "stVal"), "sec:BDA.DefinedBy_EnumType").IsEmpty());

    // A second LN type reuses each without a question.
    ui.ClearCalls();
    URI_Ref second = Build(ln, "with M");
    EXPECT_EQ(TypeOf(second, "Beh"), behType);
    EXPECT_EQ(TypeOf(second, "Health"), healthType);
    EXPECT_EQ(TypeOf(second, "Mod"), modType);
    EXPECT_EQ(TypeOf(second, "Any"), anyType);
    EXPECT_EQ(ui.CountOf(Enum_UiCall::InputBox), 0);

    // A member added to a type later takes the type's enumeration.
    URI_Ref subVal = MakeDA(ens, "subVal", 3, "SV", "Enum");
    URI_Ref added;
    ASSERT_TRUE(app.Add_InstMember_byStd(healthType, subVal, added, ""));
    EXPECT_EQ(First(added, "sec:BDA.DefinedBy_EnumType"), health);
}

// A type made by an import carries no record of its enumeration; its open
// value attribute tells it, so it is reused as a type built here would be.
TEST_F(PerObjectEnumTest, ATypeWithoutItsRecordIsKnownByItsValueAttribute) {
    URI_Ref imported = MakeDOType(m.instPkg, "P1_ENS_BehaviourModeKind", 5);
    Link(imported, "sec:DOType.ClassOf_DOType", ens);
    MakeDA(imported, "stVal", 1, "ST", "Enum", beh);
    URI_Ref inst = Build(ln, "with M");
    EXPECT_EQ(TypeOf(inst, "Beh"), imported);
    EXPECT_NE(TypeOf(inst, "Health"), imported);
    EXPECT_NE(TypeOf(inst, "Any"), imported);
    URI_Ref subVal = MakeDA(ens, "subVal", 3, "SV", "Enum");
    URI_Ref added;
    ASSERT_TRUE(app.Add_InstMember_byStd(imported, subVal, added, ""));
    EXPECT_EQ(First(added, "sec:BDA.DefinedBy_EnumType"), beh);
}

// ---- messages and refusals ----

TEST_F(InstantiateTest, IncompleteStandardClassesAreReported) {
    // A DO without a type: false with the message, the member stays.
    URI_Ref bare = MakeDO(m.ptoc, "Bare", 3, URI_Ref());
    URI_Ref out;
    EXPECT_FALSE(app.Add_InstMember_byStd(m.p1Ptoc, bare, out, "with M"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"标准类不完善（没有指定DO的类型）"});
    EXPECT_TRUE(Member(m.p1Ptoc, "sec:LNodeType.DOs", "Bare").IsSet());

    // A nested failure ends the whole tree with "数据不完整！" at each level.
    ui.ClearCalls();
    URI_Ref broken = MakeDA(m.cmv, "bad", 3, "MX", "Struct");  // a structure without its type
    URI_Ref ln;
    EXPECT_FALSE(app.GetType_FromStandard(m.mmxu, m.instPkg, &ln, true, "with M"));
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"标准类不完善（没有指定DA的类型）", "数据不完整！", "数据不完整！"}))
        << "one for the phase SDO, one for the DO";
    (void)broken;
}

TEST_F(InstantiateTest, ARefusingCreatorStopsAtOnce) {
    ASSERT_TRUE(Doc().SetDomainEditable(kInstDomain, false));
    const int before = Count();
    URI_Ref out;
    EXPECT_FALSE(app.Add_InstMember_byStd(m.p1Ptoc, m.ptocStr, out, "with M"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0061"});
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(Count(), before);

    ui.ClearCalls();
    EXPECT_FALSE(app.GetType_FromStandard(m.ptoc, m.instPkg, &out, true, "with M"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0058"});
    EXPECT_EQ(Count(), before);
}

TEST_F(InstantiateTest, AFailedDerivateWriteIsReportedAndTheBuildGoesOn) {
    MakeDomain("kiln.d1#", "二次模型标准定义包3");
    URI_Ref decl = MakeTypePackage("kiln.d1#", "D1", false);
    URI_Ref xln = MakeLNodeType(decl, "XLN", 1);
    MakeDO(xln, "Ext", 1, m.sps);  // its type P1_SPS is reused
    // The calls before the derivate write: the type's three writes and
    // name, the DO's order and name writes and attribute copy.
    for (int skip = 0; skip < 12; ++skip) {
        ui.ClearCalls();
        Doc().InjectFault("modify", skip);
        URI_Ref ln;
        const bool ok = app.GetType_FromStandard(xln, m.instPkg, &ln, true, "with M");
        Doc().ClearFault();
        const std::vector<CString> msgs = ui.Messages();
        if (ok && msgs == std::vector<CString>{"内部错误（185）"}) {
            EXPECT_EQ(Names(ln, "sec:LNodeType.DOs"), std::vector<CString>{"Ext"});
            EXPECT_EQ(Get(Member(ln, "sec:LNodeType.DOs", "Ext"), "sec:DO.derivate"), "");
            return;
        }
    }
    ADD_FAILURE() << "no run reached the derivate write";
}

// ---- cycles ----

TEST_F(InstantiateTest, ACyclicBaseChainEnds) {
    URI_Ref a = MakeLNodeType(m.stdPkg, "CycA", 7);
    URI_Ref b = MakeLNodeType(m.stdPkg, "CycB", 8, a);
    Link(a, "sec:LNodeType.Abstract_Type", b);
    MakeDO(a, "DoA", 1, m.sps);
    MakeDO(b, "DoB", 1, m.sps);
    Set(a, "sec:LNodeType.isAbstract", "true");
    Set(a, "sec:LNodeType.prefix", "Cy");
    URI_Ref inst = Build(a, "with M");
    EXPECT_EQ(Names(inst, "sec:LNodeType.DOs"), (std::vector<CString>{"DoA", "DoB"}));
    EXPECT_EQ(Get(inst, "sec:LNodeType.prefix"), "Cy");
    EXPECT_EQ(Get(inst, "sec:LNodeType.isAbstract"), "") << "an instance type is never abstract";
    EXPECT_EQ(Get(inst, "sec:LNodeType.isInstType"), "true");
}

TEST_F(InstantiateTest, ASelfReferencingStructureIsTypedByItself) {
    URI_Ref node = MakeDAType(m.stdPkg, "Node", 4);
    MakeBDA(node, "val", 1, "INT32");
    MakeBDA(node, "next", 2, "Struct", node);
    URI_Ref self = MakeDOType(m.stdPkg, "SELF", 8);
    MakeSDO(self, "inner", 1, self);
    // A declaration package as target: the types it gets are never found by
    // the search, so only the walk's own record ends the recursion.
    MakeDomain("kiln.d1#", "二次模型标准定义包3");
    URI_Ref decl = MakeTypePackage("kiln.d1#", "D1", false);
    for (const URI_Ref& pkg : {m.instPkg, decl}) {
        URI_Ref t;
        ASSERT_TRUE(app.GetType_FromStandard(node, pkg, &t, true, "with M"));
        EXPECT_EQ(First(Member(t, "sec:DAType.Contains_BDAs", "next"), "sec:BDA.DefinedBy_Struct"), t);
        ASSERT_TRUE(app.GetType_FromStandard(self, pkg, &t, true, "with M"));
        EXPECT_EQ(First(Member(t, "sec:DOType.Contains_SDOs", "inner"), "sec:SDO.DefinedBy_DOType"), t);
    }
}

// ---- name semantics ----

TEST_F(InstantiateTest, AutoLinkTakesTheNearerPackagesEntry) {
    MakeDomain("kiln.d1#", "二次模型标准定义包3");
    URI_Ref decl = MakeTypePackage("kiln.d1#", "D1", false);
    Link(decl, "sec:TypePackage.Depend_TypePackage", m.stdPkg);
    auto doSem = [&](const URI_Ref& pkg, const char* name, int ord) {
        return MakeUnder(pkg, "sec:DOSemantic", name, "sec:DOSemantic.TypePackage", ord);
    };
    auto daSem = [&](const URI_Ref& pkg, const char* name, int ord) {
        return MakeUnder(pkg, "sec:DASemantic", name, "sec:DASemantic.TypePackage", ord);
    };
    URI_Ref nearOp = doSem(decl, "Op", 1), farOp = doSem(m.stdPkg, "Op", 1), farStr = doSem(m.stdPkg, "Str", 2);
    URI_Ref nearStVal = daSem(decl, "stVal", 1), farPhsA = daSem(m.stdPkg, "phsA", 1);
    URI_Ref xln = MakeLNodeType(decl, "XLN", 1);
    URI_Ref op = MakeDO(xln, "Op", 1, m.sps);
    URI_Ref str = MakeDO(xln, "Str", 2, m.sps);
    URI_Ref odd = MakeDO(xln, "Odd", 3, m.sps);
    Link(str, "sec:DO.DOSemantic", farStr);   // already right
    Link(odd, "sec:DO.DOSemantic", farOp);    // matches nothing: cleared
    URI_Ref xcdc = MakeDOType(decl, "XCDC", 1);
    URI_Ref stVal = MakeDA(xcdc, "stVal", 1, "ST", "BOOLEAN");
    URI_Ref phsA = MakeSDO(xcdc, "phsA", 1, m.cmv);
    ASSERT_TRUE(app.AutoLink_NameSemantic(decl, "DO"));
    EXPECT_EQ(First(op, "sec:DO.DOSemantic"), nearOp);
    EXPECT_EQ(First(str, "sec:DO.DOSemantic"), farStr);
    EXPECT_TRUE(First(odd, "sec:DO.DOSemantic").IsEmpty());
    EXPECT_TRUE(First(stVal, "sec:BDA.DASemantic").IsEmpty()) << "kind DO leaves DAs alone";

    ASSERT_TRUE(app.AutoLink_NameSemantic(decl, "DA"));
    EXPECT_EQ(First(stVal, "sec:BDA.DASemantic"), nearStVal);
    EXPECT_EQ(First(phsA, "sec:SDO.DASemantic"), farPhsA) << "SDOs match the DA entries";
    (void)farOp;

    ASSERT_TRUE(Doc().SetDomainEditable("kiln.d1#", false));
    EXPECT_FALSE(app.AutoLink_NameSemantic(decl, "DO"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0105"});
}

}  // namespace
}  // namespace kiln::test
