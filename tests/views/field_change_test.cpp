// The change of a field: the edit lock, relinked associations, data values
// checked by their basic type, names and what follows from them.
#include "core/map_item_target.h"
#include "platform/mfc/text_funcs.h"
#include "tests/views/views_fixture.h"

using namespace kiln::test;

namespace {

class FieldChange : public ViewsTest {
protected:
    // The change handler with the old value read from the store; `value` is
    // what the host would store, `display` and `refresh` what it is told.
    bool Change(const URI_Ref& rsc, const char* field, const CString& newValue) {
        value = newValue;
        display.Empty();
        refresh = -1;
        return app.HtmlMsg_OnFieldChanged(View(kView_Html1), rsc, field, Get(rsc, field), value, &display, &refresh);
    }
    std::vector<URI_Ref> Targets(const URI_Ref& rsc, const char* role) {
        std::vector<URI_Ref> out;
        app.DocMtd_get_Association_BUris(rsc, role, out, "e301:OrdNaming.ord", SortPolicy_ByOrd);
        return out;
    }
    URI_Ref ValOf(const URI_Ref& dfn) {
        URI_Ref val;
        EXPECT_TRUE(app.NewRsc_Val(&val, dfn));
        return val;
    }
    CString value, display;
    int refresh = -1;
};

TEST_F(FieldChange, ReadOnlyDomainsAndUnknownFieldsChangeNothing) {
    EXPECT_FALSE(Change(icd.ldA, "sec:Foo.bar", "x"));
    EXPECT_EQ(refresh, -1);
    URI_Ref stale("kiln.icd1#gone", "sec:LDevice");
    EXPECT_FALSE(Change(stale, "cim:Naming.name", "x"));
    EXPECT_TRUE(ui.Messages().empty());
    ASSERT_TRUE(app.m_Doc.SetDomainEditable(kIcdDomain, false));
    EXPECT_FALSE(Change(icd.ldA, "cim:Naming.description", "x"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0052"});
}

TEST_F(FieldChange, IntegersAreTrimmedAndCheckedForTheirSign) {
    URI_Ref s32 = ValOf(m.incStVal);
    EXPECT_TRUE(Change(s32, "sec:Val.sValue", " 42 "));
    EXPECT_EQ(value, "42");
    EXPECT_TRUE(Change(s32, "sec:Val.sValue", "-5"));
    EXPECT_TRUE(Change(s32, "sec:Val.sValue", ""));
    Set(m.incStVal, "sec:BDA.bType", EnumValue("PreBasicTypeEnum", "INT32U"));
    for (const char* bad : {"-5", "4a", "-", "1-"}) {
        ui.ClearCalls();
        EXPECT_FALSE(Change(s32, "sec:Val.sValue", bad)) << bad;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"不合法的整数！"}) << bad;
    }
    Set(m.incStVal, "sec:BDA.bType", EnumValue("PreBasicTypeEnum", "INT32"));
    EXPECT_FALSE(Change(s32, "sec:Val.sValue", "-"));
    // Whole numbers SCL writes take digits only; an array's count may also
    // name the attribute that holds the size. The numbers of a 103 address
    // are one octet each, a type identification from 1.
    const struct {
        URI_Ref rsc;
        const char* field;
        const char* good;
        const char* bad;
    } numbers[] = {{m.wyePhsA, "sec:SDO.count", "maxPts", "Max Pts"},
                   {m.incStVal, "sec:BDA.count", "maxPts", "-1"},
                   {m.incStVal, "sec:BDA.count", "16", "_n"},
                   {icd.i1, "sec:InfoItem.p103_typ", "1", "0"},
                   {icd.i1, "sec:InfoItem.p103_typ", "255", "999"},
                   {icd.i1, "sec:InfoItem.p103_fun", "0", "300"},
                   {icd.i1, "sec:InfoItem.p103_inf", "90", "-1"},
                   {icd.i1, "sec:InfoItem.p103_grp", "7", "12345678901234567890123"},
                   {icd.i1, "sec:InfoItem.p103_ent", "007", "256"},
                   {icd.i1, "sec:InfoItem.p103_acc", "0", "1000"}};
    for (const auto& row : numbers) {
        EXPECT_TRUE(Change(row.rsc, row.field, row.good)) << row.field << " " << row.good;
        ui.ClearCalls();
        EXPECT_FALSE(Change(row.rsc, row.field, row.bad)) << row.field << " " << row.bad;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"不合法的整数！"}) << row.bad;
    }
}

TEST_F(FieldChange, FloatsTakeOnePointAndALeadingSign) {
    URI_Ref f = ValOf(m.avF);
    EXPECT_TRUE(Change(f, "sec:Val.sValue", " -1.5 "));
    EXPECT_EQ(value, "-1.5");
    EXPECT_TRUE(Change(f, "sec:Val.sValue", ""));
    for (const char* bad : {"1.2.3", "1e5", "-", ".", "-.", "+1"}) {
        ui.ClearCalls();
        EXPECT_FALSE(Change(f, "sec:Val.sValue", bad)) << bad;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"不合法的浮点数！"}) << bad;
    }
}

// Each basic type takes the values it can hold, its largest ones too, and
// refuses one past them, the old value kept.
TEST_F(FieldChange, ValuesTheirBasicTypeCannotHoldAreRefused) {
    URI_Ref v = ValOf(m.incStVal);
    // 32 characters, 96 bytes: a length is counted in characters.
    std::string chinese32;
    for (int k = 0; k < 8; ++k) chinese32 += "保护动作";
    const struct {
        const char* bType;
        std::string good, bad;
        const char* message;
    } rows[] = {
        {"INT32", "-2147483648", "-2147483649", "不合法的整数！"},
        {"INT32", "2147483647", "2147483648", "不合法的整数！"},
        {"INT32U", "4294967295", "4294967296", "不合法的整数！"},
        {"INT8", "-128", "128", "不合法的整数！"},
        {"INT16U", "65535", "65536", "不合法的整数！"},
        {"INT24", "8388607", "-8388609", "不合法的整数！"},
        {"INT64", "-9223372036854775808", "9223372036854775808", "不合法的整数！"},
        {"INT128", "170141183460469231731687303715884105727", "170141183460469231731687303715884105728",
         "不合法的整数！"},
        {"FLOAT32", "340282346638528859811704183484516925440", std::string(44, '9'), "不合法的浮点数！"},
        {"FLOAT64", std::string(300, '9'), std::string(310, '9'), "不合法的浮点数！"},
        {"VisString255", std::string(255, 'a'), std::string(300, 'a'), "不合法的VisString255值！"},
        {"VisString32", chinese32, std::string(33, 'a'), "不合法的VisString32值！"},
        {"Unicode255", "总有功", std::string(256, 'a'), "不合法的Unicode255值！"},
        {"Timestamp", "2024-02-29T23:59:59.5Z", "2026-13-45T99:00:00Z", "不合法的Timestamp值！"},
        {"Timestamp", "2026-12-08T05:00:00+08:00", "2025-02-29T00:00:00Z", "不合法的Timestamp值！"},
        {"EntryTime", "2026-01-31T00:00:00", "2026-01-31", "不合法的EntryTime值！"},
        {"Octet64", std::string(128, 'F'), "zz", "不合法的Octet64值！"},
        {"Octet6", "0a0B0c0D0e0F", "0a0B0c0D0e0F00", "不合法的Octet6值！"},
        {"ObjRef", "LD1/LLN0.Mod", std::string(130, 'a'), "不合法的ObjRef值！"},
        {"Currency", "CNY", "yuan", "不合法的Currency值！"},
    };
    for (const auto& row : rows) {
        Set(m.incStVal, "sec:BDA.bType", EnumValue("PreBasicTypeEnum", row.bType));
        ui.ClearCalls();
        EXPECT_TRUE(Change(v, "sec:Val.sValue", row.good.c_str())) << row.bType << " " << row.good;
        Set(v, "sec:Val.sValue", row.good.c_str());
        EXPECT_FALSE(Change(v, "sec:Val.sValue", row.bad.c_str())) << row.bType << " " << row.bad;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{row.message}) << row.bType << " " << row.bad;
        EXPECT_EQ(Get(v, "sec:Val.sValue"), row.good.c_str());
        // The value a type's DA holds itself is checked the same way.
        ui.ClearCalls();
        EXPECT_FALSE(Change(m.incStVal, "sec:BDA.valueStr", row.bad.c_str())) << row.bType << " " << row.bad;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{row.message}) << row.bType << " " << row.bad;
    }
}

TEST_F(FieldChange, BooleansAndEnumerationValues) {
    // A plain BOOLEAN takes "true" and "false" only.
    URI_Ref b = ValOf(m.spsStVal);
    EXPECT_TRUE(Change(b, "sec:Val.sValue", "true"));
    EXPECT_EQ(display, "是");
    EXPECT_TRUE(Change(b, "sec:Val.sValue", "false"));
    EXPECT_EQ(display, "否");
    EXPECT_FALSE(Change(b, "sec:Val.sValue", "yes"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"没有发现对应的枚举值！"});
    // An enumerated value by its "val", the text a file holds, which goes
    // to the description too (not the value's name).
    URI_Ref e = ValOf(m.incCtlModel);
    EXPECT_TRUE(Change(e, "sec:Val.sValue", "2"));
    EXPECT_EQ(display, "2");
    EXPECT_EQ(Get(e, "sec:Val.desc"), "2");
    EXPECT_FALSE(Change(e, "sec:Val.sValue", "9"));
    // A BOOLEAN linked to an enumeration goes through it.
    Link(m.spsStVal, "sec:BDA.DefinedBy_EnumType", m.ctlModel);
    EXPECT_FALSE(Change(b, "sec:Val.sValue", "true"));
    EXPECT_TRUE(Change(b, "sec:Val.sValue", "1"));
    EXPECT_EQ(display, "1");
    // Structures take no value; a value without a definition is an error.
    URI_Ref st = MakeUnder(icd.doiOp, "sec:DAI", "origin[ST]", "sec:DAI.DOI", 1);
    ui.ClearCalls();
    EXPECT_FALSE(Change(st, "sec:DAI.valueStr", "x"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"内部错误（182）：不能获得DA/BDA！"});
    ui.ClearCalls();
    EXPECT_FALSE(Change(m.vecMag, "sec:BDA.valueStr", "x"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"内部错误（183）：不能修改结构！"});
}

TEST_F(FieldChange, AValueOnADaiIsCheckedByTheDaisDefinition) {
    URI_Ref dai = MakeUnder(icd.doiOp, "sec:DAI", "stVal[ST]", "sec:DAI.DOI", 1);
    Set(m.p1SpsStVal, "sec:BDA.bType", EnumValue("PreBasicTypeEnum", "INT32U"));
    URI_Ref val = ValOf(dai);
    EXPECT_FALSE(Change(val, "sec:Val.sValue", "-5"));
    EXPECT_TRUE(Change(dai, "sec:DAI.valueStr", "5"));
}

TEST_F(FieldChange, AssociationsAreRelinkedOrClearedByTheHandler) {
    URI_Ref fcda = MakeUnder(MakeUnder(icd.lnPtoc, "sec:DataSet", "ds", "sec:DataSet.LNode", 1), "sec:FCDA", "f",
                             "sec:FCDA.DataSet", 1);
    Link(fcda, "sec:DARef.LNode", icd.lnPtoc);
    Set(fcda, "sec:DARef.doName", "Op");
    Set(fcda, "sec:DARef.daName", "stVal[ST]");
    // The target it has: nothing changes, the refresh code is untouched.
    EXPECT_FALSE(Change(fcda, "sec:DARef.LNode", CString(icd.lnPtoc.sUri)));
    EXPECT_EQ(refresh, -1);
    EXPECT_EQ(Get(fcda, "sec:DARef.doName"), "Op");
    EXPECT_FALSE(Change(fcda, "sec:DARef.LNode", CString(icd.lnLLN0.sUri)));
    EXPECT_EQ(refresh, 0);
    EXPECT_EQ(Targets(fcda, "sec:DARef.LNode"), std::vector<URI_Ref>{icd.lnLLN0});
    EXPECT_EQ(Get(fcda, "sec:DARef.doName"), "");
    Set(fcda, "sec:DARef.doName", "Mod");
    Set(fcda, "sec:DARef.daName", "stVal[ST]");
    EXPECT_FALSE(Change(fcda, "sec:DARef.LNode", "NULL"));
    EXPECT_EQ(refresh, 0);
    EXPECT_TRUE(Targets(fcda, "sec:DARef.LNode").empty());
    EXPECT_EQ(Get(fcda, "sec:DARef.doName") + Get(fcda, "sec:DARef.daName"), "");
    // A field with several targets keeps exactly the new one.
    URI_Ref rcb = MakeUnder(icd.lnPtoc, "sec:RCB", "rcb", "sec:RCB.LNode", 1);
    URI_Ref c1 = MakeUnder(rcb, "sec:ClientLN", "c1", "sec:ClientLN.RCB", 1);
    Link(c1, "sec:ClientLN.LNode", icd.lnLLN0);
    Link(c1, "sec:ClientLN.LNode", icd.lnPtoc);
    EXPECT_FALSE(Change(c1, "sec:ClientLN.LNode", CString(icd.lnPtoc.sUri)));
    EXPECT_EQ(Targets(c1, "sec:ClientLN.LNode"), std::vector<URI_Ref>{icd.lnPtoc});
    // An unknown identifier changes nothing.
    EXPECT_FALSE(Change(c1, "sec:ClientLN.LNode", "kiln.icd1#nothing"));
    EXPECT_EQ(Targets(c1, "sec:ClientLN.LNode"), std::vector<URI_Ref>{icd.lnPtoc});

    // A member, an input and a mapping item moved to another node keep the
    // DO and DA its type has, say what they lose, and name the new node.
    const URI_Ref q0 = MakeLNode(icd.ldA, "Q0", "PTOC", "2", 3, m.p1Ptoc),  // Op: stVal, q
        full = MakeLNode(icd.ldA, "", "PTOC", "3", 4, m.ptoc),               // Op: stVal, q, origin, d
        meas = MakeLNode(icd.ldA, "", "MMXU", "1", 5, m.mmxu);               // no Op
    // The DA, DO/DA kept, the node as a member and an input name it, an item's time stamp, what is said.
    const struct { URI_Ref from, to; const char *daName, *kept, *node, *time, *said; } moves[] = {
        {icd.lnPtoc, q0, "q", "Op/q", "LD_A Q0 PTOC 2", "LD_A/Q0PTOC2.Op.t", ""},
        {full, icd.lnPtoc, "d", "Op/", "LD_A  PTOC 1", "LD_A/PTOC1.Op.t", "DO: Op的类型中没有d，已清除DA: d！"},
        {q0, meas, "q", "/", "LD_A  MMXU 1", "", "逻辑节点MMXU1的类型中没有Op，已清除DO: Op和DA: q！"},
    };
    for (const URI_Ref& ref : {fcda, icd.extRef, MakeUnder(icd.m2i, "sec:MapItem", "Item1", "sec:MapItem.M2I", 1)})
        for (const auto& move : moves) {
            Doc().ClearLinks(ref, "sec:DARef.LNode");
            Link(ref, "sec:DARef.LNode", move.from);
            Set(ref, "sec:DARef.doName", "Op");
            Set(ref, "sec:DARef.daName", move.daName);
            const bool item = ref.sClass == "sec:MapItem";
            if (item) Set(ref, "sec:MapItem.daName_t", "LD_A/XCBR1.Op.t");
            ui.ClearCalls();
            EXPECT_FALSE(Change(ref, "sec:DARef.LNode", CString(move.to.sUri)));
            CString names = item ? Get(ref, "sec:MapItem.daName_t") : CString();
            for (const char* a : {".ldInst", ref.sClass == "sec:FCDA" ? ".memberRef" : ".prefix", ".lnClass", ".lnInst"})
                if (!item) names += (names.IsEmpty() ? "" : " ") + Get(ref, CString(ref.sClass) + a);
            EXPECT_EQ(Get(ref, "sec:DARef.doName") + "/" + Get(ref, "sec:DARef.daName") + " " + names,
                      CString(move.kept) + " " + (item ? move.time : move.node));
            EXPECT_EQ(ui.Messages(), *move.said ? std::vector<CString>{move.said} : std::vector<CString>{});
        }
}

TEST_F(FieldChange, ANodeGivenAnotherTypeTakesItsClassAndAFailedAddKeepsTheOld) {
    URI_Ref mmxuType = MakeLNodeType(icd.icdPkg, "ICD_MMXU", 1);
    Link(mmxuType, "sec:LNodeType.ClassOf_LNType", m.mmxu);
    app.m_Doc.InjectFault("add");
    EXPECT_FALSE(Change(icd.lnPtoc, "sec:LNode.LNodeType", CString(mmxuType.sUri)));
    app.m_Doc.ClearFault();
    EXPECT_EQ(Targets(icd.lnPtoc, "sec:LNode.LNodeType"), std::vector<URI_Ref>{m.p1Ptoc});
    EXPECT_FALSE(Change(icd.lnPtoc, "sec:LNode.LNodeType", CString(mmxuType.sUri)));
    EXPECT_EQ(refresh, 3);
    EXPECT_EQ(Targets(icd.lnPtoc, "sec:LNode.LNodeType"), std::vector<URI_Ref>{mmxuType});
    EXPECT_EQ(Get(icd.lnPtoc, "sec:LNode.lnClass"), "MMXU");
    // The type's class changed: its nodes that hold a class take the new one.
    EXPECT_FALSE(Change(mmxuType, "sec:LNodeType.ClassOf_LNType", CString(m.lln0.sUri)));
    EXPECT_EQ(refresh, 3);
    EXPECT_EQ(Get(icd.lnPtoc, "sec:LNode.lnClass"), "LLN0");
}

TEST_F(FieldChange, TheTypeOfAStructuredMemberIsItsStructureLink) {
    EXPECT_FALSE(Change(m.vecMag, "sec:BDA.bType", CString(m.originator.sUri)));
    EXPECT_EQ(refresh, 3);
    EXPECT_EQ(Targets(m.vecMag, "sec:BDA.DefinedBy_Struct"), std::vector<URI_Ref>{m.originator});
    EXPECT_EQ(Get(m.vecMag, "sec:BDA.bType"), EnumValue("PreBasicTypeEnum", "Struct"));
    // Another enumeration keeps the values it holds too and drops the
    // others, saying which (once: a refused change changed nothing).
    Link(m.p1SpsStVal, "sec:BDA.DefinedBy_EnumType", m.ctlModel);
    Set(m.p1SpsStVal, "sec:BDA.valueStr", "1");
    const URI_Ref dai = MakeUnder(icd.doiOp, "sec:DAI", "stVal[ST]", "sec:DAI.DOI", 1);
    Set(dai, "sec:DAI.valueStr", "2");
    const URI_Ref one = MakeEnumType(m.instPkg, "One", 9, {"x"});
    Doc().SetDomainEditable(DomainOf(icd.icd), false);
    EXPECT_FALSE(Change(m.p1SpsStVal, "sec:BDA.DefinedBy_EnumType", CString(one.sUri)));
    Doc().SetDomainEditable(DomainOf(icd.icd), true);
    EXPECT_FALSE(Change(m.p1SpsStVal, "sec:BDA.DefinedBy_EnumType", CString(one.sUri)));
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"枚举类型One中没有2，不可编辑的域中的预设值不能清除：LD_A/PTOC1.Op.stVal[ST]:2，不能修改！",
                                                   "枚举类型One中没有2，已清除预设值：LD_A/PTOC1.Op.stVal[ST]:2！"}));
    EXPECT_EQ(Get(m.p1SpsStVal, "sec:BDA.valueStr") + "/" + Get(dai, "sec:DAI.valueStr"), "1/");
    // An abstract type gives a standard LN type its name.
    Set(m.lphd, "sec:LNodeType.prefix", "X");
    EXPECT_FALSE(Change(m.lphd, "sec:LNodeType.Abstract_Type", CString(m.ptoc.sUri)));
    EXPECT_EQ(refresh, 2);
    EXPECT_EQ(Get(m.lphd, "cim:Naming.name"), "XPTOC");
}

TEST_F(FieldChange, DataReferenceNamesClearedWithNull) {
    URI_Ref ext = icd.extRef;
    Set(ext, "sec:DARef.doName", "Op");
    Set(ext, "sec:DARef.daName", "q[ST]");
    EXPECT_FALSE(Change(ext, "sec:DARef.daName", "NULL"));
    EXPECT_EQ(refresh, 0);
    EXPECT_EQ(Get(ext, "sec:DARef.doName"), "Op");
    EXPECT_EQ(Get(ext, "sec:DARef.daName"), "");
    Set(ext, "sec:DARef.daName", "q[ST]");
    EXPECT_FALSE(Change(ext, "sec:DARef.doName", "NULL"));
    EXPECT_EQ(Get(ext, "sec:DARef.doName") + Get(ext, "sec:DARef.daName"), "");
    EXPECT_TRUE(Change(ext, "sec:DARef.doName", "Str"));

    // An attribute picked below a sub-data object: a member, an input and a
    // mapping item name the SDO in their DO name, as SCL and the M2I file do.
    const URI_Ref vec = MakeDAType(m.instPkg, "P1_Vec", 20);
    MakeBDA(vec, "mag", 1, "FLOAT32");
    const URI_Ref cmv = MakeDOType(m.instPkg, "P1_CMV", 21);
    MakeDA(cmv, "cVal", 1, "MX", "Struct", vec);
    MakeDA(cmv, "q", 2, "MX", "Quality");
    const URI_Ref wye = MakeDOType(m.instPkg, "P1_WYE", 22);
    MakeSDO(wye, "phsA", 1, cmv);
    MakeDA(wye, "d", 2, "DC", "VisString255");
    MakeDO(m.p1Ptoc, "PhV", 5, wye);
    const URI_Ref ds = MakeUnder(icd.lnPtoc, "sec:DataSet", "dsPhV", "sec:DataSet.LNode", 5);
    // Then a DA the DO lacks is refused, and another DO keeps only a DA it has.
    const struct {
        URI_Ref ref;
        const char* picked;
        const char* stored;
        const char* onStr;
    } picks[] = {
        {MakeUnder(ds, "sec:FCDA", "F1", "sec:FCDA.DataSet", 1), "phsA.cVal.mag", "PhV.phsA/cVal.mag", "Str/"},
        {MakeUnder(ds, "sec:FCDA", "F2", "sec:FCDA.DataSet", 2), "phsA.q", "PhV.phsA/q", "Str/q"},
        {MakeUnder(icd.lnPtoc, "sec:ExtRef", "In9", "sec:ExtRef.LNode", 9), "phsA.cVal.mag", "PhV.phsA/cVal.mag",
         "Str/"},
        {MakeUnder(icd.lnPtoc, "sec:ExtRef", "In10", "sec:ExtRef.LNode", 10), "d", "PhV/d", "Str/d"},
        {MakeUnder(icd.m2i, "sec:MapItem", "Item9", "sec:MapItem.M2I", 9), "phsA.cVal.mag", "PhV.phsA/cVal.mag",
         "Str/"},
        {MakeUnder(icd.m2i, "sec:MapItem", "Item10", "sec:MapItem.M2I", 10), "phsA.q", "PhV.phsA/q", "Str/q"},
    };
    for (const auto& p : picks) {
        Link(p.ref, "sec:DARef.LNode", icd.lnPtoc);
        Set(p.ref, "sec:DARef.doName", "PhV");
        if (Change(p.ref, "sec:DARef.daName", p.picked)) Set(p.ref, "sec:DARef.daName", p.picked);
        EXPECT_EQ(Get(p.ref, "sec:DARef.doName") + "/" + Get(p.ref, "sec:DARef.daName"), p.stored) << p.picked;
        EXPECT_FALSE(Change(p.ref, "sec:DARef.daName", "general")) << p.picked;
        if (Change(p.ref, "sec:DARef.doName", "Str")) Set(p.ref, "sec:DARef.doName", "Str");
        EXPECT_EQ(Get(p.ref, "sec:DARef.doName") + "/" + Get(p.ref, "sec:DARef.daName"), p.onStr) << p.picked;
    }
}

// A renamed DO, SDO, DA or BDA is carried into the texts that name it,
// resolved through the types of their node: the DOI and DAI names and the
// DO and DA paths of data-set members, inputs and mapping items. A name in
// a path that stands for another member keeps its text; a text in a domain
// that may not change refuses the rename.
TEST_F(FieldChange, ARenamedMemberIsCarriedIntoThePathsThatNameIt) {
    const URI_Ref vec = MakeDAType(m.instPkg, "P1_Vec", 20);
    const URI_Ref mag = MakeBDA(vec, "mag", 1, "FLOAT32");
    const URI_Ref cmv = MakeDOType(m.instPkg, "P1_CMV", 21);
    const URI_Ref cVal = MakeDA(cmv, "cVal", 1, "MX", "Struct", vec);
    const URI_Ref wye = MakeDOType(m.instPkg, "P1_WYE", 22);
    const URI_Ref phsA = MakeSDO(wye, "phsA", 1, cmv);
    MakeSDO(wye, "phsB", 2, cmv);
    const URI_Ref phV = MakeDO(m.p1Ptoc, "PhV", 5, wye);
    const URI_Ref doi = MakeUnder(icd.lnPtoc, "sec:DOI", "PhV", "sec:DOI.LNode", 5);
    const URI_Ref daiA = MakeUnder(doi, "sec:DAI", "phsA.cVal[MX].mag", "sec:DAI.DOI", 1);
    const URI_Ref daiB = MakeUnder(doi, "sec:DAI", "phsB.cVal[MX].mag", "sec:DAI.DOI", 2);
    const URI_Ref ds = MakeUnder(icd.lnPtoc, "sec:DataSet", "dsPhV", "sec:DataSet.LNode", 5);
    std::vector<URI_Ref> refs;
    auto ref = [&](const URI_Ref& r, const char* doName, const char* daName) {
        Link(r, "sec:DARef.LNode", icd.lnPtoc);
        Set(r, "sec:DARef.doName", doName);
        Set(r, "sec:DARef.daName", daName);
        refs.push_back(r);
    };
    ref(MakeUnder(ds, "sec:FCDA", "F1", "sec:FCDA.DataSet", 1), "PhV.phsA", "cVal.mag");
    ref(MakeUnder(ds, "sec:FCDA", "F2", "sec:FCDA.DataSet", 2), "PhV", "");
    ref(MakeUnder(ds, "sec:FCDA", "F3", "sec:FCDA.DataSet", 3), "PhV.phsB", "cVal");
    ref(MakeUnder(icd.lnPtoc, "sec:ExtRef", "In9", "sec:ExtRef.LNode", 9), "PhV.phsA", "cVal");
    ref(MakeUnder(icd.m2i, "sec:MapItem", "Item9", "sec:MapItem.M2I", 9), "PhV", "phsA.cVal[MX].mag");
    // Every text, in one line: the references, then the DOI and its DAIs.
    auto texts = [&] {
        std::string all;
        for (const URI_Ref& r : refs)
            all += (Get(r, "sec:DARef.doName") + "/" + Get(r, "sec:DARef.daName") + " ").str();
        for (const URI_Ref& r : {doi, daiA, daiB}) all += (Get(r, "cim:Naming.name") + " ").str();
        return all;
    };
    const struct {
        URI_Ref member;
        const char* name;
        const char* texts;
    } renames[] = {
        {phsA, "phsX",
         "PhV.phsX/cVal.mag PhV/ PhV.phsB/cVal PhV.phsX/cVal PhV/phsX.cVal[MX].mag "
         "PhV phsX.cVal[MX].mag phsB.cVal[MX].mag "},
        {cVal, "cValY",
         "PhV.phsX/cValY.mag PhV/ PhV.phsB/cValY PhV.phsX/cValY PhV/phsX.cValY[MX].mag "
         "PhV phsX.cValY[MX].mag phsB.cValY[MX].mag "},
        {mag, "magZ",
         "PhV.phsX/cValY.magZ PhV/ PhV.phsB/cValY PhV.phsX/cValY PhV/phsX.cValY[MX].magZ "
         "PhV phsX.cValY[MX].magZ phsB.cValY[MX].magZ "},
        {phV, "PhW",
         "PhW.phsX/cValY.magZ PhW/ PhW.phsB/cValY PhW.phsX/cValY PhW/phsX.cValY[MX].magZ "
         "PhW phsX.cValY[MX].magZ phsB.cValY[MX].magZ "},
    };
    for (const auto& r : renames) {
        EXPECT_TRUE(Change(r.member, "cim:Naming.name", r.name)) << r.name;
        Set(r.member, "cim:Naming.name", r.name);  // what the host stores
        EXPECT_EQ(texts(), r.texts) << r.name;
    }
    EXPECT_TRUE(ui.Messages().empty());

    const std::string before = texts();
    Doc().SetDomainEditable(DomainOf(icd.icd), false);
    EXPECT_FALSE(Change(phsA, "cim:Naming.name", "phsQ"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0052"});
    EXPECT_EQ(texts(), before);
}

TEST_F(FieldChange, GroupNamesAreUniqueAndTheirItemsFollow) {
    EXPECT_TRUE(Change(icd.gAlarm, "cim:Naming.name", "Alarm"));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Get(icd.i4, "sec:InfoItem.infoGroup"), "Alarm");
    EXPECT_FALSE(Change(icd.gAlarm, "cim:Naming.name", "遥信"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"指定名称重复！"});
    EXPECT_EQ(Get(icd.i1, "sec:InfoItem.infoGroup"), "遥信");
    EXPECT_TRUE(Change(icd.gAlarm, "cim:Naming.name", "告警"));
    EXPECT_EQ(refresh, 2);
    EXPECT_EQ(Get(icd.i4, "sec:InfoItem.infoGroup"), "告警");
    EXPECT_EQ(Get(icd.i3, "sec:InfoItem.infoGroup"), "alarm");
    // A group without a name held no item: naming it takes no ungrouped one.
    const URI_Ref unnamed = MakeUnder(icd.itb, "sec:InfoGroup", "", "sec:InfoGroup.ITB", 3);
    EXPECT_TRUE(Change(unnamed, "cim:Naming.name", "新组"));
    EXPECT_EQ(Get(icd.i2, "sec:InfoItem.infoGroup"), "");
}

// A field given the value its page shows (what it holds, or where it holds
// nothing what its file writes) changes nothing, the host's store included.
TEST_F(FieldChange, TheValueAPageShowsChangesNothing) {
    const URI_Ref classless = MakeLNode(icd.ldA, "", "", "2", 9, m.p1Ptoc);  // as older documents hold nodes
    // An LLN0 with the prefix a maker's LN0 gave it, one with the instance it
    // was made with; an enumerated value without its description; an input's
    // node field while it names a node of the model.
    const URI_Ref made = MakeLNode(icd.ldB, "", "LLN0", "1", 1);
    Set(made, "cim:Naming.name", "LLN0");
    Set(icd.lnLLN0, "sec:LNode.prefix", "Mk");
    const URI_Ref enumerated = ValOf(m.incCtlModel);
    Set(enumerated, "sec:Val.sValue", "2");
    Link(icd.extRef, "sec:DARef.LNode", icd.lnPtoc);
    Set(icd.extRef, "sec:ExtRef.lnClass", "PTOC");
    for (const auto& [rsc, field, shown] :
         {std::tuple{classless, "sec:LNode.lnClass", "PTOC"}, {icd.lnPtoc, "sec:LNode.lnInst", "1"},
          {icd.lnPtoc, "sec:LNode.prefix", ""}, {icd.lnPtoc, "cim:Naming.description", ""},
          {icd.ied, "sec:IED.engRight", ""}, {icd.lnLLN0, "cim:Naming.name", "LLN0"},
          {icd.lnLLN0, "sec:LNode.prefix", "Mk"}, {made, "cim:Naming.name", "LLN0"}, {made, "sec:LNode.lnInst", "1"},
          {enumerated, "sec:Val.sValue", "2"}, {icd.extRef, "sec:ExtRef.lnClass", "PTOC"}}) {
        const uint64_t revision = Doc().Revision();
        if (Change(rsc, field, shown)) Set(rsc, field, value);  // what the host stores
        EXPECT_EQ(Doc().Revision(), revision) << field;
        EXPECT_TRUE(ui.Messages().empty()) << field;
    }
}

TEST_F(FieldChange, NamesAndTheirParts) {
    EXPECT_TRUE(Change(icd.doiOp, "cim:Naming.name", "Op2"));
    EXPECT_EQ(refresh, 4);
    EXPECT_TRUE(Change(icd.lnPtoc, "sec:LNode.prefix", "A"));
    EXPECT_EQ(Get(icd.lnPtoc, "cim:Naming.name"), "APTOC1");
    EXPECT_EQ(refresh, 3);
    Set(icd.lnPtoc, "sec:LNode.prefix", "A");
    EXPECT_TRUE(Change(icd.lnPtoc, "sec:LNode.lnInst", "7"));
    EXPECT_EQ(Get(icd.lnPtoc, "cim:Naming.name"), "APTOC7");
    // A node made by the creator holds its type's class, which names it,
    // and two such nodes keep apart.
    URI_Ref made[2];
    for (URI_Ref& node : made) {
        ASSERT_TRUE(app.NewRsc_LNode(&node, icd.ldB, m.p1Ptoc, true));
        ASSERT_EQ(Get(node, "sec:LNode.lnClass"), "PTOC");
        EXPECT_TRUE(Change(node, "sec:LNode.prefix", "A"));
    }
    EXPECT_EQ(Get(made[0], "cim:Naming.name"), "APTOC1");
    EXPECT_EQ(Get(made[1], "cim:Naming.name"), "APTOC2");
    EXPECT_TRUE(Change(made[1], "sec:LNode.lnInst", "9"));
    EXPECT_EQ(Get(made[1], "cim:Naming.name"), "PTOC9");
    // An LLN0 a document saved before named LLN01 takes the name its files
    // give it and keeps the prefix and instance it holds.
    Set(icd.lnLLN0, "cim:Naming.name", "LLN01");
    Set(icd.lnLLN0, "sec:LNode.prefix", "Mk");
    Set(icd.lnLLN0, "sec:LNode.lnInst", "1");
    EXPECT_TRUE(Change(icd.lnLLN0, "cim:Naming.name", "LLN0"));
    EXPECT_EQ(Get(icd.lnLLN0, "sec:LNode.prefix") + Get(icd.lnLLN0, "sec:LNode.lnInst"), "Mk1");
    // Renaming a package renames the types named after it.
    EXPECT_TRUE(Change(m.instPkg, "cim:Naming.name", "Q1"));
    EXPECT_EQ(refresh, 3);
    EXPECT_EQ(Get(m.p1Ptoc, "cim:Naming.name"), "Q1_PTOC");
    EXPECT_TRUE(Change(icd.ldA, "cim:Naming.description", "保护"));
    EXPECT_EQ(refresh, 2);
}

TEST_F(FieldChange, NamePartsAnSclFileCannotHoldAreRefusedAndTheOldValueKept) {
    Set(icd.lnPtoc, "sec:LNode.prefix", "A");
    Set(icd.lnPtoc, "sec:LNode.lnInst", "1");
    Set(icd.lnPtoc, "cim:Naming.name", "APTOC1");
    const CString badInst = "逻辑节点实例号必须是1到12位数字！";
    const CString badPrefix = "逻辑节点前缀必须以字母开头，只含字母、数字和下划线，最多11个字符！";
    const CString badLd = "逻辑装置名必须以字母或数字开头，只含字母、数字和下划线，最多64个字符！";
    const CString ldName = Get(icd.ldA, "cim:Naming.name");
    const CString badAp = "访问点名必须以字母或数字开头，只含字母、数字和下划线，最多32个字符！";
    const CString badClass = "逻辑节点类必须是4个大写字母或LLN0！";
    const CString lln0Inst = "SCL的LN0没有实例号，LLN0不能设置实例号！";
    const CString badIed = "IED名必须以字母开头，只含字母、数字和下划线，最多64个字符，且不能是None！";
    Set(icd.ldA, "sec:LDevice.apName", "S1");
    // A report's client and a log control block name their node as a file did.
    const URI_Ref rcb = MakeUnder(icd.lnPtoc, "sec:RCB", "brcbA", "sec:RCB.LNode", 1);
    const URI_Ref client = MakeUnder(rcb, "sec:ClientLN", "c1", "sec:ClientLN.RCB", 1);
    Set(icd.extRef, "sec:ExtRef.lnClass", "LLN0");  // a log block without a class names an LLN0 too
    const URI_Ref lcb = MakeUnder(icd.lnPtoc, "sec:LCB", "lcbA", "sec:LCB.LNode", 1);
    // A report block without RptEnabled holds neither its max nor its desc.
    const URI_Ref off = MakeUnder(icd.lnPtoc, "sec:RCB", "urcbOff", "sec:RCB.LNode", 2);
    Set(off, "sec:RCB.rptEna", "false");
    const CString offText = "RptEnabled为否，文件中没有RptEnabled的max和desc";
    // A data-set member on PTOC1's Op (stVal and q, both ST), and an indexed DAI.
    const URI_Ref member = MakeUnder(MakeUnder(icd.lnLLN0, "sec:DataSet", "dsTrip", "sec:DataSet.LNode", 1),
                                     "sec:FCDA", "f1", "sec:FCDA.DataSet", 1);
    Link(member, "sec:DARef.LNode", icd.lnPtoc);
    Set(member, "sec:DARef.doName", "Op");
    const URI_Ref dai = MakeUnder(icd.doiOp, "sec:DAI", "stVal[ST]", "sec:DAI.DOI", 1);
    const CString badIx = "ix必须是0到4294967295之间的整数！";
    struct Case {
        URI_Ref rsc;
        const char* field;
        CString value;
        const CString& message;
    };
    // A node is written with its type's class, which one that holds it
    // keeps; one without a type takes a class SCL holds.
    const CString notTypeClass = "逻辑节点的类由其LN类型决定，只能是PTOC！";
    const URI_Ref untyped = MakeLNode(icd.ldB, "", "", "9", 9);
    const Case refused[] = {
        {icd.lnPtoc, "sec:LNode.lnClass", "MMXU", notTypeClass},
        {icd.lnPtoc, "sec:LNode.lnClass", "过流1", notTypeClass},
        {icd.lnPtoc, "sec:LNode.lnClass", " 1", notTypeClass},
        {icd.lnPtoc, "sec:LNode.lnClass", "", notTypeClass},
        {untyped, "sec:LNode.lnClass", "过流1", badClass},
        {untyped, "sec:LNode.lnClass", " 1", badClass},
        {icd.lnPtoc, "sec:LNode.lnInst", "abc", badInst},
        {icd.lnPtoc, "sec:LNode.lnInst", "", badInst},
        {icd.lnPtoc, "sec:LNode.lnInst", "1a", badInst},
        {icd.lnPtoc, "sec:LNode.lnInst", "1234567890123", badInst},
        // An LLN0 takes no instance, by its field or its name.
        {icd.lnLLN0, "sec:LNode.lnInst", "abc", lln0Inst},
        {icd.lnLLN0, "sec:LNode.lnInst", "5", lln0Inst},
        {icd.lnLLN0, "cim:Naming.name", "LLN05", lln0Inst},
        {icd.lnPtoc, "sec:LNode.prefix", "1A", badPrefix},
        {icd.lnPtoc, "sec:LNode.prefix", "A-B", badPrefix},
        {icd.lnPtoc, "sec:LNode.prefix", "过流", badPrefix},
        {icd.lnPtoc, "sec:LNode.prefix", "ABCDEFGHIJKL", badPrefix},
        {icd.ldA, "cim:Naming.name", "LD 1", badLd},
        {icd.ldA, "cim:Naming.name", "_LD1", badLd},
        {icd.ldA, "cim:Naming.name", "保护", badLd},
        {icd.ldA, "cim:Naming.name", "", badLd},
        {icd.ldA, "cim:Naming.name", CString(std::string(65, 'L')), badLd},
        {icd.ldA, "sec:LDevice.apName", "general (ST)", badAp},
        {icd.ldA, "sec:LDevice.apName", "S1 ", badAp},
        {icd.ldA, "sec:LDevice.apName", CString(std::string(33, 'S')), badAp},
        // Typed attributes of the IED, its access point, server and authentication.
        {icd.ied, "sec:IED.originalSclVersion", "abc", "originalSclVersion必须是2000到2299之间的年份！"},
        {icd.ied, "sec:IED.originalSclVersion", "2300", "originalSclVersion必须是2000到2299之间的年份！"},
        {icd.ied, "sec:IED.originalSclRevision", "b", "originalSclRevision必须是一个大写字母！"},
        {icd.ied, "sec:IED.originalSclRelease", "0", "originalSclRelease必须是1到255之间的整数！"},
        {icd.ied, "sec:IED.originalSclRelease", "256", "originalSclRelease必须是1到255之间的整数！"},
        {icd.ied, "sec:IED.engRight", "zz", "engRight必须是full、fix或dataflow！"},
        {icd.ldA, "sec:LDevice.serverTimeout", "abc", "timeout必须是0到4294967295之间的整数！"},
        {icd.ldA, "sec:LDevice.serverTimeout", "4294967296", "timeout必须是0到4294967295之间的整数！"},
        {icd.ldA, "sec:LDevice.apClock", "PROT", "clock必须是true、false、1或0！"},
        {icd.ldA, "sec:LDevice.apKdc", "101", "kdc必须是true、false、1或0！"},
        {icd.ldA, "sec:LDevice.apRouter", "yes", "router必须是true、false、1或0！"},
        {icd.ldA, "sec:LDevice.authStrong", "S1 ", "strong必须是true、false、1或0！"},
        {icd.ldA, "sec:LDevice.authNone", "no", "none必须是true、false、1或0！"},
        {icd.ldA, "sec:LDevice.ldName", "general (ST)", "ldName必须以字母开头，只含字母、数字和下划线，最多64个字符！"},
        {icd.ldA, "sec:LDevice.ldName", "1LD", "ldName必须以字母开头，只含字母、数字和下划线，最多64个字符！"},
        // Node references kept as a file wrote them.
        {icd.extRef, "sec:ExtRef.iedName", "1",
         "IED名必须是@，或以字母开头，只含字母、数字和下划线，最多64个字符，且不能是None！"},
        {icd.extRef, "sec:ExtRef.ldInst", "_L", badLd},
        {icd.extRef, "sec:ExtRef.prefix", "1P", badPrefix},
        {icd.extRef, "sec:ExtRef.lnClass", "ihmi", badClass},
        {icd.extRef, "sec:ExtRef.lnInst", "x", badInst},
        {client, "sec:ClientLN.iedName", CString(std::string(300, 'C')), badIed},
        {client, "sec:ClientLN.iedName", "None", badIed},
        {client, "sec:ClientLN.lnClass", "LLN", badClass},
        {client, "sec:ClientLN.apRef", "A P", badAp},
        {lcb, "sec:LCB.ldInst", "保护", badLd},
        {lcb, "sec:LCB.lnInst", "1a", badInst},
        {lcb, "sec:LCB.lnInst", "12", "SCL的LN0没有前缀和实例号，指向LLN0时前缀和实例号须为空！"},
        {icd.extRef, "sec:ExtRef.lnInst", "1", "SCL的LN0没有前缀和实例号，指向LLN0时前缀和实例号须为空！"},
        // Whole numbers take no sign, as SCL's unsigned types and the other
        // whole-number fields.
        {icd.ldA, "sec:LDevice.serverTimeout", "+5", "timeout必须是0到4294967295之间的整数！"},
        {icd.ied, "sec:IED.originalSclRelease", "+2", "originalSclRelease必须是1到255之间的整数！"},
        {icd.doiOp, "sec:DOI.ix", "+1", badIx},
        {dai, "sec:DAI.ix", "4294967296", badIx},
        {dai, "sec:DAI.ix", "x", badIx},
        // A member's functional constraint is one of its data.
        {member, "sec:FCDA.fc", EnumValue("FCType", "MX"), "fc必须是Op具有的功能约束：ST！"},
        {off, "sec:RCB.rptEnabledMax", "2", offText + "，不能修改！"},
        {off, "sec:RCB.rptEnabledDesc", "后台", offText + "，不能修改！"},
    };
    for (const Case& c : refused) {
        ui.ClearCalls();
        EXPECT_FALSE(Change(c.rsc, c.field, c.value)) << c.field << " " << c.value;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{c.message}) << c.value;
    }
    EXPECT_EQ(Get(icd.lnPtoc, "sec:LNode.prefix"), "A");
    EXPECT_EQ(Get(icd.lnPtoc, "sec:LNode.lnInst"), "1");
    EXPECT_EQ(Get(icd.lnPtoc, "cim:Naming.name"), "APTOC1");
    EXPECT_EQ(Get(icd.ldA, "cim:Naming.name"), ldName);
    EXPECT_EQ(Get(icd.ldA, "sec:LDevice.apName"), "S1");
    EXPECT_EQ(Get(client, "sec:ClientLN.iedName"), "");

    // The longest and the shortest values the patterns allow are taken; an
    // LLN0 writes no instance and may have none.
    ui.ClearCalls();
    EXPECT_TRUE(Change(icd.lnPtoc, "sec:LNode.lnInst", "123456789012"));
    EXPECT_EQ(Get(icd.lnPtoc, "cim:Naming.name"), "APTOC123456789012");
    EXPECT_TRUE(Change(icd.lnPtoc, "sec:LNode.prefix", "Ab_1234567x"));
    EXPECT_TRUE(Change(icd.lnPtoc, "sec:LNode.prefix", ""));
    Set(icd.lnLLN0, "sec:LNode.lnInst", "1");
    EXPECT_TRUE(Change(icd.lnLLN0, "sec:LNode.lnInst", ""));
    EXPECT_TRUE(Change(icd.ldA, "cim:Naming.name", "1_" + CString(std::string(62, 'L'))));
    EXPECT_TRUE(Change(icd.ldA, "sec:LDevice.apName", "1_" + CString(std::string(30, 'G'))));
    EXPECT_TRUE(Change(icd.ldA, "sec:LDevice.apName", ""));
    // Values of their types, an IED name of 64 characters, the relative
    // IED of an input, and no value at all (nothing written).
    const Case takes[] = {
        {icd.ied, "sec:IED.originalSclVersion", "2007", ""}, {icd.ied, "sec:IED.engRight", "fix", ""},
        {icd.ldA, "sec:LDevice.apClock", "1", ""},        {icd.ldA, "sec:LDevice.serverTimeout", "4294967295", ""},
        {client, "sec:ClientLN.iedName", CString(std::string(64, 'C')), ""},
        {icd.extRef, "sec:ExtRef.iedName", "@", ""},      {icd.extRef, "sec:ExtRef.lnClass", "LLN0", ""},
        {client, "sec:ClientLN.prefix", "Ab_1234567x", ""},
        {untyped, "sec:LNode.lnClass", "GGIO", ""},
        {rcb, "sec:RCB.rptEnabledMax", "2", ""},
    };
    EXPECT_TRUE(Change(icd.lnPtoc, "sec:LNode.lnClass", "PTOC"));
    for (const Case& c : takes) {
        EXPECT_TRUE(Change(c.rsc, c.field, c.value)) << c.field;
        Set(c.rsc, c.field, c.value);  // what the host stores
        EXPECT_TRUE(Change(c.rsc, c.field, "")) << c.field;
    }
    // Turned off, a block without clients loses them, and is told so; one
    // with clients is refused.
    Set(off, "sec:RCB.rptEna", "true");
    Set(off, "sec:RCB.rptEnabledMax", "2");
    Set(off, "sec:RCB.rptEnabledDesc", "后台");
    ui.ClearCalls();
    EXPECT_FALSE(Change(rcb, "sec:RCB.rptEna", "false"));
    EXPECT_TRUE(Change(off, "sec:RCB.rptEna", "false"));
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"报告控制块有1个客户端LN，RptEnabled不能为否，不能修改！",
                                                   offText + "，已清除max: 2、desc: 后台！"}));
    EXPECT_EQ(Get(off, "sec:RCB.rptEnabledMax") + Get(off, "sec:RCB.rptEnabledDesc"), "");
    ui.ClearCalls();
    // Whole numbers are stored without the blanks around them.
    for (const auto& [rsc, field] : {std::pair{icd.ldA, "sec:LDevice.serverTimeout"},
                                     std::pair{icd.ied, "sec:IED.originalSclRelease"},
                                     std::pair{icd.doiOp, "sec:DOI.ix"}, std::pair{dai, "sec:DAI.ix"}}) {
        EXPECT_TRUE(Change(rsc, field, " 12 ")) << field;
        EXPECT_EQ(value, "12") << field;
    }
    EXPECT_TRUE(Change(member, "sec:FCDA.fc", EnumValue("FCType", "ST")));
    Set(member, "sec:DARef.daName", "q");
    EXPECT_TRUE(Change(member, "sec:FCDA.fc", EnumValue("FCType", "ST")));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(Change(member, "sec:FCDA.fc", EnumValue("FCType", "DC")));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"fc必须是Op.q具有的功能约束：ST！"});
    // A DA of one constraint gives the member that one; of several, the
    // member keeps its own among them and is refused without one.
    for (const auto& [fc, doName, daName, after, said] :
         {std::tuple{"ST", "Mod", "ctlModel", "CF", ""}, std::tuple{"", "Op", "q", "ST", ""},
          std::tuple{"SV", "Mod", "stVal", "SV", ""},
          std::tuple{"CF", "Mod", "stVal", "CF", "fc为CF，不是Mod.stVal具有的功能约束：ST、SV，不能修改！"}}) {
        Set(member, "sec:FCDA.fc", *fc ? EnumValue("FCType", fc) : CString());
        Set(member, "sec:DARef.doName", doName);
        Set(member, "sec:DARef.daName", "");
        ui.ClearCalls();
        EXPECT_EQ(Change(member, "sec:DARef.daName", daName), !*said) << daName;
        EXPECT_EQ(StringAfter(Get(member, "sec:FCDA.fc"), "#", "."), after) << daName;
        EXPECT_EQ(ui.Messages(), *said ? std::vector<CString>{said} : std::vector<CString>{}) << daName;
    }
}

TEST_F(FieldChange, NamesSclHoldsOnceOrOnlyInTheirPatternAreRefusedAndTheOldValueKept) {
    // Nodes of the device: APTOC1 and PTOC3 beside PTOC1; PTOC2 in another device.
    MakeLNode(icd.ldA, "A", "PTOC", "1", 3, m.p1Ptoc);
    MakeLNode(icd.ldA, "", "PTOC", "3", 4, m.p1Ptoc);
    const URI_Ref elsewhere = MakeLNode(icd.ldB, "", "PTOC", "2", 1, m.p1Ptoc);
    // Members of types, types, and the named content of a node.
    const URI_Ref str = MakeDO(m.p1Ptoc, "Str", 2, m.p1Sps);
    const URI_Ref sdo = MakeSDO(m.p1Sps, "sub", 3, m.p1Sps);
    const URI_Ref daType = MakeDAType(m.instPkg, "P1_Orig", 9);
    MakeBDA(daType, "orCat", 1, "Enum");
    const URI_Ref orIdent = MakeBDA(daType, "orIdent", 2, "Octet64");
    MakeUnder(icd.lnPtoc, "sec:DataSet", "dsA", "sec:DataSet.LNode", 1);
    const URI_Ref dsB = MakeUnder(icd.lnPtoc, "sec:DataSet", "dsB", "sec:DataSet.LNode", 2);
    MakeUnder(icd.lnPtoc, "sec:RCB", "brcbA", "sec:RCB.LNode", 1);
    const URI_Ref rcbB = MakeUnder(icd.lnPtoc, "sec:RCB", "brcbB", "sec:RCB.LNode", 2);
    const URI_Ref emptyPkg = MakeTypePackage(kInstDomain, "P3", true);
    struct Case {
        URI_Ref rsc;
        const char* field;
        CString value;
        CString message;
    };
    const Case refused[] = {
        {icd.lnPtoc, "sec:LNode.prefix", "A", "逻辑装置中已经存在名为APTOC1的逻辑节点，不能修改！"},
        {icd.lnPtoc, "sec:LNode.lnInst", "3", "逻辑装置中已经存在名为PTOC3的逻辑节点，不能修改！"},
        {icd.ldA, "cim:Naming.name", "LD_B", "IED中已经存在名为LD_B的逻辑装置，不能修改！"},
        {m.p1PtocOp, "cim:Naming.name", "Str", "LN类型中已经存在名为Str的DO，不能修改！"},
        {m.p1PtocOp, "cim:Naming.name", "op", "DO名必须以大写字母开头，只含字母和数字，最多12个字符！"},
        {m.p1PtocOp, "cim:Naming.name", "过流", "DO名必须以大写字母开头，只含字母和数字，最多12个字符！"},
        {m.p1PtocOp, "cim:Naming.name", "OpABCDEFGHIJK", "DO名必须以大写字母开头，只含字母和数字，最多12个字符！"},
        {m.p1SpsStVal, "cim:Naming.name", "q", "DO类型中已经存在名为q的DA，不能修改！"},
        {m.p1SpsStVal, "cim:Naming.name", "sub", "DO类型中已经存在名为sub的DA，不能修改！"},
        {m.p1SpsStVal, "cim:Naming.name", "StVal",
         "DA名必须是预定义的属性名，或以小写字母开头，只含字母和数字，最多60个字符！"},
        {sdo, "cim:Naming.name", "stVal", "DO类型中已经存在名为stVal的SDO，不能修改！"},
        {sdo, "cim:Naming.name", "Sub", "SDO名必须以小写字母开头，只含字母和数字，最多60个字符！"},
        {orIdent, "cim:Naming.name", "orCat", "DA类型中已经存在名为orCat的子DA，不能修改！"},
        {m.p1Ptoc, "cim:Naming.name", "P1_SPS", "类型包中已经存在名为P1_SPS的类型，不能修改！"},
        {m.p1Sps, "cim:Naming.name", "P1 SPS", "类型名不能为空，不能含空白字符，最多255个字符！"},
        // An instance package's name heads its types' ids.
        {m.instPkg, "cim:Naming.name", "P 1", "类型名不能为空，不能含空白字符，最多255个字符！"},
        {m.instPkg, "cim:Naming.name", CString(std::string(251, 'P').c_str()), "类型名不能为空，不能含空白字符，最多255个字符！"},
        // Also while it holds no type: the types made in it later carry it.
        {emptyPkg, "cim:Naming.name", " ", "类型名不能为空，不能含空白字符，最多255个字符！"},
        {emptyPkg, "cim:Naming.name", "P2 ", "类型名不能为空，不能含空白字符，最多255个字符！"},
        {dsB, "cim:Naming.name", "dsA", "逻辑节点中已经存在名为dsA的数据集，不能修改！"},
        {dsB, "cim:Naming.name", "1ds", "数据集名必须以字母开头，只含字母、数字和下划线，最多32个字符！"},
        {rcbB, "cim:Naming.name", "brcbA", "逻辑节点中已经存在名为brcbA的报告控制块，不能修改！"},
        // The ITB file holds no item without a name.
        {icd.i1, "cim:Naming.name", "", "信息条目名称不能为空，不能修改！"},
        {icd.i1, "cim:Naming.name", " ", "信息条目名称不能为空，不能修改！"},
        {icd.gAlarm, "cim:Naming.name", "", "信息组名称不能为空，不能修改！"},
    };
    for (const Case& c : refused) {
        ui.ClearCalls();
        EXPECT_FALSE(Change(c.rsc, c.field, c.value)) << c.value;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{c.message}) << c.value;
    }
    EXPECT_EQ(Get(icd.lnPtoc, "cim:Naming.name"), "PTOC1");
    EXPECT_EQ(Get(icd.ldA, "cim:Naming.name"), "LD_A");
    EXPECT_EQ(Get(m.p1PtocOp, "cim:Naming.name"), "Op");
    EXPECT_EQ(Get(m.p1Ptoc, "cim:Naming.name"), "P1_PTOC");
    EXPECT_EQ(Get(dsB, "cim:Naming.name"), "dsB");

    // Free names, the resource's own, a name of another device or another
    // kind, and the predefined attribute names are taken.
    const Case accepted[] = {
        {icd.lnPtoc, "sec:LNode.prefix", "B", ""},   {icd.lnPtoc, "sec:LNode.lnInst", "1", ""},
        {icd.lnPtoc, "sec:LNode.lnInst", "4", ""},   {elsewhere, "sec:LNode.lnInst", "1", ""},
        {icd.ldA, "cim:Naming.name", "LD_A", ""},    {str, "cim:Naming.name", "Str2", ""},
        {m.p1SpsStVal, "cim:Naming.name", "T", ""},  {sdo, "cim:Naming.name", "subA", ""},
        {m.p1Ptoc, "cim:Naming.name", "P1_PTOC2", ""}, {rcbB, "cim:Naming.name", "dsA", ""},
        {m.instPkg, "cim:Naming.name", "P2", ""}, {emptyPkg, "cim:Naming.name", "P4", ""},
    };
    for (const Case& c : accepted) {
        ui.ClearCalls();
        EXPECT_TRUE(Change(c.rsc, c.field, c.value)) << c.value;
        EXPECT_TRUE(ui.Messages().empty()) << c.value;
    }
}

TEST_F(FieldChange, TheStandardReferenceAndOrderNumbers) {
    EXPECT_FALSE(Change(m.stdPkg, "sec:TypePackage.ref", "http://x"));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"该引用标识不能修改！"});
    EXPECT_TRUE(Change(m.instPkg, "sec:TypePackage.ref", "http://x"));
    // The order edit answers what the move answers.
    EXPECT_TRUE(Change(icd.i3, "e301:OrdNaming.ord", "1"));
    EXPECT_EQ(Get(icd.i3, "e301:OrdNaming.ord"), "1");
    EXPECT_EQ(Get(icd.i1, "e301:OrdNaming.ord"), "2");
    URI_Ref loose = Make(kIcdDomain, "sec:Val", "");
    EXPECT_FALSE(Change(loose, "e301:OrdNaming.ord", "1"));
    // A cleared place is refused, every item where it was; a place past
    // the list stores the last one, which the move gave.
    const std::vector<URI_Ref> items = Targets(icd.itb, "sec:ITB.InfoItems");
    ASSERT_GE(items.size(), 3u);
    for (const char* bad : {"", " ", "x", "-2"}) {
        ui.ClearCalls();
        EXPECT_FALSE(Change(items[2], "e301:OrdNaming.ord", bad)) << bad;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"不合法的整数！"}) << bad;
        for (size_t k = 0; k < items.size(); ++k) EXPECT_EQ(Get(items[k], "e301:OrdNaming.ord"), ToText(static_cast<int>(k) + 1));
    }
    EXPECT_TRUE(Change(items[0], "e301:OrdNaming.ord", "99"));
    EXPECT_EQ(value, ToText(static_cast<int>(items.size())));
    EXPECT_EQ(Get(items[0], "e301:OrdNaming.ord"), ToText(static_cast<int>(items.size())));
    // An enumeration value's number is its code: any whole number, once in
    // its enumeration (by value), stored as typed; no other value moves.
    const URI_Ref kinds = MakeEnumType(m.instPkg, "Kinds", 9, {"a", "b", "c"});
    const std::vector<URI_Ref> values = Targets(kinds, "sec:EnumType.EnumVals");
    ASSERT_EQ(values.size(), 3u);
    const struct {
        const char* typed;
        bool stored;
        const char* message;
    } codes[] = {{"x", false, "不合法的整数！"}, {"", false, "不合法的整数！"},
                 {"2", false, "枚举类型中已经存在序号为2的枚举值，不能修改！"},
                 {"+02", false, "枚举类型中已经存在序号为+02的枚举值，不能修改！"},
                 {"2147483648", false, "不合法的整数！"}, {"-2", true, nullptr}, {"99", true, nullptr}};
    for (const auto& c : codes) {
        ui.ClearCalls();
        EXPECT_EQ(Change(values[2], "e301:OrdNaming.ord", c.typed), c.stored) << c.typed;
        EXPECT_EQ(ui.Messages(), c.message ? std::vector<CString>{c.message} : std::vector<CString>()) << c.typed;
        if (c.stored) {
            EXPECT_EQ(value, c.typed);
        }
        for (size_t k = 0; k + 1 < values.size(); ++k) EXPECT_EQ(Get(values[k], "e301:OrdNaming.ord"), ToText(static_cast<int>(k) + 1));
    }
}

// A mapping item takes a unit, range, step, dU or time only where its data
// object holds the attribute, offers the units as the target's enumeration
// writes them, and an information item takes no id another item of its
// table holds.
TEST_F(FieldChange, MapItemPropertiesAndInfoItemIds) {
    AddUnits(m.stdPkg, m.cmv, 3, true);
    const URI_Ref type = MakeLNodeType(m.instPkg, "T_MMXU", 9);
    MakeDO(type, "TotW", 1, m.cmv);
    const URI_Ref mmxu = MakeLNode(icd.ldA, "", "MMXU", "1", 3, type);
    auto item = [&](const URI_Ref& node, const char* doName, const char* daName) {
        URI_Ref r = MakeUnder(icd.m2i, "sec:MapItem", "MI", "sec:MapItem.M2I");
        Link(r, "sec:DARef.LNode", node);
        Set(r, "sec:DARef.doName", doName);
        Set(r, "sec:DARef.daName", daName);
        return r;
    };
    const URI_Ref op = item(icd.lnPtoc, "Op", "stVal"), totW = item(mmxu, "TotW", "cVal.mag.f");
    const struct {
        const char* field;
        const char* value;
    } fields[] = {{"sec:MapItem.minVal", "45"}, {"sec:MapItem.stepSize", "0.1"}, {"sec:MapItem.dU", "总有功"},
                  {"sec:MapItem.unitSiUnit", "A"}, {"sec:MapItem.daName_t", "t"}};
    for (const auto& f : fields) {
        const CString path = kiln::core::MapItemPropertyOf(f.field)->m2iPath;
        const CString stored = CString(f.field).Find("unit") >= 0 ? EnumValue("SIUnitEnum", f.value) : CString(f.value);
        ui.ClearCalls();
        EXPECT_FALSE(Change(op, f.field, stored)) << f.field;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"DO: Op的类型中没有" + path + "，不能修改！"}) << f.field;
        // TotW holds all but a time stamp.
        EXPECT_EQ(Change(totW, f.field, stored), path != "t") << f.field;
    }
    Set(op, "sec:MapItem.minVal", "45");
    EXPECT_TRUE(Change(op, "sec:MapItem.minVal", ""));  // clearing is no value

    // The unit list: every value of the target's enumeration, stored as
    // its code (W 38 and Watts 62 each their own); none where no file could
    // write one.
    auto unitRows = [&](const URI_Ref& item) {
        Struct_EditPack pack;
        EXPECT_TRUE(app.HtmlMsg_OnPrepareEditField(View(kView_Html1), item, "sec:MapItem.unitSiUnit", "", &pack));
        std::vector<std::string> rows;
        for (const auto& [shown, stored] : pack.vList.vPairs) rows.push_back(shown.str() + "=" + StringAfter(stored, "#", ".").str());
        return rows;
    };
    EXPECT_EQ(unitRows(totW), (std::vector<std::string>{"A=5", "°C=23", "V=29", "W=38", "Watts=62"}));
    EXPECT_EQ(unitRows(op), std::vector<std::string>());
    const char* unit = "sec:MapItem.unitSiUnit";
    EXPECT_TRUE(Change(totW, unit, EnumValue("SIUnitEnum", "62")));
    EXPECT_EQ(display, "Watts");
    Set(totW, unit, value);
    // The unit keeps its value through a new text and a new code; deleting
    // the value names the item, which loses its unit.
    std::vector<URI_Ref> values;
    Doc().ByClass("sec:EnumVal", values);
    const auto watts = std::find_if(values.begin(), values.end(), [&](const URI_Ref& v) { return Get(v, "sec:EnumVal.val") == "Watts"; });
    ASSERT_NE(watts, values.end());
    for (const auto& [field, typed] : {std::pair{"sec:EnumVal.val", "Cust2"}, std::pair{"e301:OrdNaming.ord", "64"}}) {
        ASSERT_TRUE(Change(*watts, field, typed)) << field;
        Set(*watts, field, value);
    }
    EXPECT_EQ(Get(totW, unit), EnumValue("SIUnitEnum", "64"));
    Set(totW, unit, "");  // given again, it is shown by its new text
    EXPECT_TRUE(Change(totW, unit, EnumValue("SIUnitEnum", "64")));
    EXPECT_EQ(display, "Cust2");
    Set(totW, unit, value);
    ui.AnswerNo();
    EXPECT_FALSE(app.Rsc_Delete(*watts, true));
    EXPECT_EQ(ui.Messages().back(), "确实要删除“" + app.GetRscText(*watts, true) + "”吗？\n删除后以下映射条目将没有单位：MI");
    ui.AnswerYes();
    EXPECT_TRUE(app.Rsc_Delete(*watts, true));
    EXPECT_EQ(Get(totW, unit), "");
    // So does a new enumeration of the unit's attribute that lacks its code
    // (refused where the item cannot be changed); one that holds it keeps it.
    Set(totW, unit, EnumValue("SIUnitEnum", "38"));
    std::vector<URI_Ref> bdas;
    Doc().ByClass("sec:BDA", bdas);
    const auto siUnit = std::find_if(bdas.begin(), bdas.end(), [&](const URI_Ref& b) { return Get(b, "cim:Naming.name") == "SIUnit"; });
    ASSERT_NE(siUnit, bdas.end());
    const URI_Ref kept = MakeEnumType(m.instPkg, "Kept", 9, {"x"}), health = MakeEnumType(m.instPkg, "Health", 9, {"Ok"});
    Set(MakeUnder(kept, "sec:EnumVal", "W", "sec:EnumVal.EnumType", 38), "sec:EnumVal.val", "W");
    ui.ClearCalls();
    EXPECT_FALSE(Change(*siUnit, "sec:BDA.DefinedBy_EnumType", CString(kept.sUri)));
    EXPECT_EQ(Get(totW, unit), EnumValue("SIUnitEnum", "38"));
    Doc().SetDomainEditable(DomainOf(icd.icd), false);
    EXPECT_FALSE(Change(*siUnit, "sec:BDA.DefinedBy_EnumType", CString(health.sUri)));
    Doc().SetDomainEditable(DomainOf(icd.icd), true);
    EXPECT_EQ(Targets(*siUnit, "sec:BDA.DefinedBy_EnumType"), std::vector<URI_Ref>{kept});
    EXPECT_FALSE(Change(*siUnit, "sec:BDA.DefinedBy_EnumType", CString(health.sUri)));
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"枚举类型Health中没有序号为38的枚举值，不可编辑的域中的映射条目的单位不能清除：MI:W，不能修改！",
                                                   "枚举类型Health中没有序号为38的枚举值，已清除映射条目的单位：MI:W！"}));
    EXPECT_EQ(Get(totW, unit), "");

    // An item's id is none another item is written under in the mapping:
    // that one's id, or the order number of one without an id (I1 to I5
    // hold none; I3 and I4 are given one).
    Set(icd.i3, "sec:InfoItem.id", "x");
    Set(icd.i4, "sec:InfoItem.id", "3");
    const struct {
        URI_Ref item;
        const char* id;
        const char* said;
    } ids[] = {
        {icd.i2, "1", "infoitem的id:1重复，M2I文件以它标识没有id的信息条目I1，不能修改！"},
        {icd.i2, "x", "infoitem的id:x重复，它是信息条目I3的id，不能修改！"},
        {icd.i2, "4", nullptr},  // I4 goes by its id
        {icd.i2, "2", nullptr},
        {icd.i1, "1", nullptr},  // its own order number
        {icd.i3, "x", nullptr},  // its own id
        // Without an id, an item goes by its order number.
        {icd.i3, "", "infoitem没有id时M2I文件以3标识它，它是信息条目I4的id，不能修改！"},
        {icd.i4, "", nullptr},
    };
    for (const auto& r : ids) {
        ui.ClearCalls();
        EXPECT_EQ(Change(r.item, "sec:InfoItem.id", r.id), !r.said) << r.id;
        EXPECT_EQ(ui.Messages(), r.said ? std::vector<CString>{r.said} : std::vector<CString>{}) << r.id;
    }
}

}  // namespace
