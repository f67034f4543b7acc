// The readers of SCL data-type templates on hand-written files: what each
// element gives the model, the findings with their exact texts and counts,
// and the DA classes of struct members.
#include "tests/import/import_fixture.h"

namespace kiln::test {
namespace {

// A small template section in an Ed2 maker's style, with Chinese texts.
const char* const kTemplates = R"(
<LNodeType id="MyPTOC" lnClass="PTOC" desc="过流保护">
  <DO name="Mod" type="MyINC"/>
  <DO name="Str" type="MySPS" desc="启动"/>
  <DO name="Xyz" type="MySPS" desc="扩展" transient="TRUE"/>
  <DO name="Tr" type="MySPS" transient="1"/>
</LNodeType>
<DOType id="MySPS" iedType="R-100" cdc="SPS" desc="单点状态">
  <DA name="stVal" fc="ST" bType="BOOLEAN" dchg="true"/>
  <DA name="q" fc="ST" bType="Quality" qchg="true"/>
  <DA name="origin" fc="ST" bType="Struct" type="MyOrig"/>
  <DA name="d" fc="DC" bType="VisString255" valKind="Set" count="2" sAddr="1.2"><Val>单点</Val><Val>二</Val></DA>
  <DA name="myExt" fc="EX" bType="VisString64" dchg="1" valKind="Conf" valImport="1"/>
  <DA name="ctlNum" fc="SR" bType="INT8U"/>
</DOType>
<DOType id="MyINC" cdc="INC">
  <DA name="stVal" fc="ST" bType="INT32" dchg="true" dupd="TRUE"/>
  <DA name="beh" fc="ST" bType="Enum" type="Beh"/>
  <DA name="cat" fc="CF" bType="Enum" type="MyCat"/>
  <DA name="chk" fc="CO" bType="Check"/>
  <DA name="ref" fc="DC" bType="ObjRef"/>
  <SDO name="phsA" type="MySPS"/>
  <SDO name="other" type="MySPS" desc="其他"/>
</DOType>
<DOType id="MyWYE" cdc="WYE">
  <SDO name="phsA" type="MySPS" count="3"/>
  <SDO name="phsX" type="MySPS"/>
</DOType>
<DAType id="MyOrig" iedType="R-100" desc="发起者">
  <BDA name="orCat" bType="Enum" type="MyCat" valKind="RO" valImport="0"/>
  <BDA name="orIdent" bType="Octet64" desc="标识"><Val>a</Val><Val sGroup="2" desc="第二">b</Val><Val>c</Val></BDA>
</DAType>
<EnumType id="MyCat" desc="类别">
  <EnumVal ord="0">not-supported</EnumVal>
  <EnumVal ord="3" desc="远方">remote-control</EnumVal>
</EnumType>
<EnumType id="Beh">
  <EnumVal ord="1">on</EnumVal>
  <EnumVal ord="2">blocked</EnumVal>
</EnumType>
<EnumType id="850EN_Beh" desc="行为">
  <EnumVal ord="1">on</EnumVal>
  <EnumVal ord="2">blocked</EnumVal>
</EnumType>
<EnumType id="MyEmpty">
  <EnumVal ord="0"/>
  <EnumVal ord="1">one</EnumVal>
</EnumType>
)";

TEST_F(ImportTest, TypeTemplatesFillTheirShells) {
    // The class members' presence conditions, which their members take over.
    const CString mandatory = EnumValue("PresenceTypeEnum", "M"), optional = EnumValue("PresenceTypeEnum", "O"),
                  conditional = EnumValue("PresenceTypeEnum", "C");
    Set(m.spsStVal, "sec:BDA.presence", mandatory);
    Set(m.spsD, "sec:BDA.presence", optional);
    Set(m.commonMod, "sec:DO.presence", mandatory);
    Set(m.ptocStr, "sec:DO.presence", conditional);
    Set(m.wyePhsA, "sec:SDO.presence", optional);
    ImportTemplates(Scl(kTemplates));
    EXPECT_EQ(AllEntries(), std::vector<ReportEntry>{});
    EXPECT_EQ(imp.m_nErrors, 0);

    // Enumerations: the standard one gets no shell, a copy that describes
    // itself does; values by their text.
    EXPECT_TRUE(ShellOf(imp.m_mapNewEnumTypes, "Beh").IsEmpty());
    EXPECT_EQ(Get(ShellOf(imp.m_mapNewEnumTypes, "850EN_Beh"), "cim:Naming.description"), "行为");
    URI_Ref cat = ShellOf(imp.m_mapNewEnumTypes, "MyCat");
    EXPECT_EQ(Get(cat, "cim:Naming.description"), "类别");
    std::vector<URI_Ref> vals = Members(cat, "sec:EnumType.EnumVals");
    ASSERT_EQ(vals.size(), 2u);
    EXPECT_EQ(Get(vals[0], "cim:Naming.name"), "Val_0");
    EXPECT_EQ(Get(vals[0], "sec:EnumVal.val"), "not-supported");
    EXPECT_EQ(Get(vals[1], "cim:Naming.name"), "Val_3");
    EXPECT_EQ(Get(vals[1], "cim:Naming.description"), "远方");
    // A value without text has no name to stand in for it.
    std::vector<URI_Ref> emptyFirst = Members(ShellOf(imp.m_mapNewEnumTypes, "MyEmpty"), "sec:EnumType.EnumVals");
    ASSERT_EQ(emptyFirst.size(), 2u);
    EXPECT_EQ(Get(emptyFirst[0], "sec:EnumVal.val"), "");
    EXPECT_EQ(Get(emptyFirst[0], "cim:Naming.name"), "");
    EXPECT_EQ(Get(emptyFirst[1], "cim:Naming.name"), "Val_1");

    // DO type: class, members in order, triggers, constraints, semantics.
    URI_Ref sps = ShellOf(imp.m_mapNewDOTypes, "MySPS");
    EXPECT_EQ(Target(sps, "sec:DOType.ClassOf_DOType"), m.sps);
    EXPECT_EQ(Get(sps, "sec:DOType.isInstType"), "true");
    EXPECT_EQ(Get(sps, "cim:Naming.description"), "单点状态");
    std::vector<URI_Ref> das = Members(sps, "sec:DOType.Contains_DAs");
    EXPECT_EQ(NamesOf(das), (std::vector<CString>{"stVal", "q", "origin", "d", "myExt", "ctlNum"}));
    EXPECT_EQ(Get(das[0], "sec:DA.trgOp"), EnumValue("TrgOpTypeEnum", "DChg"));
    EXPECT_EQ(Get(das[1], "sec:DA.trgOp"), EnumValue("TrgOpTypeEnum", "QChg"));
    EXPECT_EQ(Get(das[4], "sec:DA.trgOp"), EnumValue("TrgOpTypeEnum", "DChg"));  // "1" is xs:boolean's true
    EXPECT_EQ(Get(das[0], "sec:DA.fc_0"), EnumValue("FCType", "ST"));
    EXPECT_EQ(Get(das[5], "sec:DA.fc_0"), EnumValue("FCType", "SR"));
    EXPECT_EQ(Get(das[0], "sec:BDA.bType"), EnumValue("PreBasicTypeEnum", "BOOLEAN"));
    EXPECT_EQ(Target(das[0], "sec:BDA.DASemantic"), semStVal);
    EXPECT_EQ(Get(das[0], "sec:BDA.SemanticNs"), "");
    EXPECT_EQ(Get(das[3], "sec:BDA.SemanticNs"), "");  // a CDC member without a standard semantic
    EXPECT_EQ(Get(das[4], "sec:BDA.SemanticNs"), kiln::import::kNewPackageNs);
    EXPECT_EQ(Get(das[3], "sec:BDA.valKind"), EnumValue("ValKindEnum", "Set"));
    EXPECT_EQ(Get(das[3], "sec:BDA.count"), "2");
    EXPECT_EQ(Get(das[3], "sec:BDA.sAddr"), "1.2");
    // Every kind of value the SCL allows, whether the value is imported, and
    // the types' iedType are kept to be written back.
    EXPECT_EQ(Get(das[4], "sec:BDA.valKind"), EnumValue("ValKindEnum", "Conf"));
    EXPECT_EQ(Get(das[4], "sec:BDA.valImport"), "true");
    EXPECT_EQ(Get(das[3], "sec:BDA.valImport"), "");
    EXPECT_EQ(Get(sps, "sec:DOType.iedType"), "R-100");
    EXPECT_EQ(Get(ShellOf(imp.m_mapNewDOTypes, "MyINC"), "sec:DOType.iedType"), "");
    // A DA's values are kept like a BDA's.
    EXPECT_EQ(Get(das[3], "sec:BDA.valueStr"), "单点");
    EXPECT_EQ(Members(das[3], "sec:BDA.Vals").size(), 2u);
    // Members of the CDC keep its presence conditions; the others have none.
    EXPECT_EQ(Get(das[0], "sec:BDA.presence"), mandatory);
    EXPECT_EQ(Get(das[3], "sec:BDA.presence"), optional);
    EXPECT_EQ(Get(das[1], "sec:BDA.presence"), "");
    EXPECT_EQ(Get(das[4], "sec:BDA.presence"), "");
    std::vector<URI_Ref> wyeSdos = Members(ShellOf(imp.m_mapNewDOTypes, "MyWYE"), "sec:DOType.Contains_SDOs");
    ASSERT_EQ(wyeSdos.size(), 2u);
    EXPECT_EQ(Get(wyeSdos[0], "sec:SDO.presence"), optional);
    EXPECT_EQ(Get(wyeSdos[1], "sec:SDO.presence"), "");
    // An array of sub-objects keeps its size.
    EXPECT_EQ(Get(wyeSdos[0], "sec:SDO.count"), "3");
    EXPECT_EQ(Get(wyeSdos[1], "sec:SDO.count"), "");

    URI_Ref inc = ShellOf(imp.m_mapNewDOTypes, "MyINC");
    std::vector<URI_Ref> incDAs = Members(inc, "sec:DOType.Contains_DAs");
    EXPECT_EQ(Get(incDAs[0], "sec:DA.trgOp"), EnumValue("TrgOpTypeEnum", "DChg_DUpd"));
    EXPECT_EQ(Target(incDAs[1], "sec:BDA.DefinedBy_EnumType"), enBeh);  // standard, through "850EN_"
    EXPECT_EQ(Target(incDAs[2], "sec:BDA.DefinedBy_EnumType"), cat);
    std::vector<URI_Ref> sdos = Members(inc, "sec:DOType.Contains_SDOs");
    ASSERT_EQ(sdos.size(), 2u);
    EXPECT_EQ(Get(sdos[0], "e301:OrdNaming.ord"), "1");
    EXPECT_EQ(Target(sdos[0], "sec:SDO.DefinedBy_DOType"), sps);
    EXPECT_EQ(Get(sdos[0], "sec:SDO.SemanticNs"), "扩展");  // a standard semantic, not a member of INC
    EXPECT_EQ(Get(sdos[1], "sec:SDO.SemanticNs"), "扩展");
    EXPECT_EQ(Get(sdos[1], "cim:Naming.description"), "其他");

    // DA type: BDAs, links, values; the struct DA of the CDC gave its class.
    URI_Ref orig = ShellOf(imp.m_mapNewDATypes, "MyOrig");
    EXPECT_EQ(Target(das[2], "sec:BDA.DefinedBy_Struct"), orig);
    EXPECT_EQ(Target(orig, "sec:DAType.ClassOf_DAType"), m.originator);
    EXPECT_EQ(Get(orig, "cim:Naming.description"), "发起者");
    std::vector<URI_Ref> bdas = Members(orig, "sec:DAType.Contains_BDAs");
    ASSERT_EQ(bdas.size(), 2u);
    EXPECT_EQ(Target(bdas[0], "sec:BDA.DefinedBy_EnumType"), cat);
    EXPECT_EQ(Get(orig, "sec:DAType.iedType"), "R-100");
    EXPECT_EQ(Get(bdas[0], "sec:BDA.valKind"), EnumValue("ValKindEnum", "RO"));
    EXPECT_EQ(Get(bdas[0], "sec:BDA.valImport"), "false");
    EXPECT_EQ(Get(bdas[1], "sec:BDA.valueStr"), "a");
    std::vector<URI_Ref> values = Members(bdas[1], "sec:BDA.Vals");
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(Get(values[1], "e301:OrdNaming.ord"), "2");
    EXPECT_EQ(Get(values[1], "sec:Val.sValue"), "b");
    EXPECT_EQ(Get(values[1], "sec:Val.sGroup"), "2");
    EXPECT_EQ(Get(values[1], "sec:Val.desc"), "第二");
    EXPECT_EQ(Get(bdas[1], "cim:Naming.description"), "标识");

    // LN type: class, DOs, semantics, transient.
    URI_Ref ptoc = ShellOf(imp.m_mapNewLNodeTypes, "MyPTOC");
    EXPECT_EQ(Target(ptoc, "sec:LNodeType.ClassOf_LNType"), m.ptoc);
    EXPECT_EQ(Get(ptoc, "e301:OrdNaming.ord"), "1");
    EXPECT_EQ(Get(ptoc, "cim:Naming.description"), "过流保护");
    std::vector<URI_Ref> dos = Members(ptoc, "sec:LNodeType.DOs");
    EXPECT_EQ(NamesOf(dos), (std::vector<CString>{"Mod", "Str", "Xyz", "Tr"}));
    EXPECT_EQ(Target(dos[0], "sec:DO.DefinedBy_DOType"), inc);
    // Mod is a DO of PTOC's abstract class: the standard semantic alone.
    EXPECT_EQ(Target(dos[0], "sec:DO.DOSemantic"), semMod);
    EXPECT_EQ(Get(dos[0], "sec:DO.SemanticNs"), "");
    EXPECT_EQ(Target(dos[1], "sec:DO.DOSemantic"), semStr);
    // DOs of the class (and of its abstract class) keep its presence conditions.
    EXPECT_EQ(Get(dos[0], "sec:DO.presence"), mandatory);
    EXPECT_EQ(Get(dos[1], "sec:DO.presence"), conditional);
    EXPECT_EQ(Get(dos[2], "sec:DO.presence"), "");
    EXPECT_EQ(Get(dos[2], "sec:DO.transient"), "true");
    EXPECT_EQ(Get(dos[3], "sec:DO.transient"), "true");  // "1"
    EXPECT_EQ(Get(dos[0], "sec:DO.transient"), "");
}

TEST_F(ImportTest, DOsOutsideTheClassCarryTheHeaderIdAndShareNewSemantics) {
    imp.m_strHeaderId = "H1";
    ImportTemplates(Scl(R"(
<LNodeType id="L" lnClass="MMXU">
  <DO name="Str" type="T" desc="启动一"/>
  <DO name="Str" type="T" desc="启动二"/>
  <DO name="Own" type="T" desc="自定义"/>
</LNodeType>
<DOType id="T" cdc="SPS"><DA name="stVal" fc="ST" bType="BOOLEAN"/><DA name="x" fc="ST" bType="Struct" type="S"/></DOType>
<DAType id="S"><BDA name="f" bType="FLOAT32"/></DAType>)"));
    std::vector<URI_Ref> dos = Members(ShellOf(imp.m_mapNewLNodeTypes, "L"), "sec:LNodeType.DOs");
    ASSERT_EQ(dos.size(), 3u);
    // Str is a standard semantic but no DO of MMXU: one new semantic of the package.
    URI_Ref own = Target(dos[0], "sec:DO.DOSemantic");
    EXPECT_TRUE(own.IsSet());
    EXPECT_NE(own, semStr);
    EXPECT_EQ(Target(dos[1], "sec:DO.DOSemantic"), own);
    EXPECT_EQ(Target(own, "sec:DOSemantic.TypePackage"), pkg);
    EXPECT_EQ(Get(own, "cim:Naming.description"), "启动一");
    EXPECT_EQ(Get(dos[0], "sec:DO.SemanticNs"), "H1");
    EXPECT_EQ(Get(dos[2], "sec:DO.SemanticNs"), "H1");
    EXPECT_EQ(Get(dos[2], "sec:DO.SemanticDesc"), "自定义");
    EXPECT_TRUE(Target(dos[2], "sec:DO.DOSemantic").IsEmpty());
    // A struct DA that is no member of its CDC carries the header id.
    std::vector<URI_Ref> das = Members(ShellOf(imp.m_mapNewDOTypes, "T"), "sec:DOType.Contains_DAs");
    EXPECT_EQ(Get(das[1], "sec:BDA.SemanticNs"), "H1");
    EXPECT_TRUE(Target(ShellOf(imp.m_mapNewDATypes, "S"), "sec:DAType.ClassOf_DAType").IsEmpty());
}

TEST_F(ImportTest, TypeTemplateFindingsHaveTheirTextsAndCounts) {
    ImportTemplates(Scl(R"(
<LNodeType id="L1" lnClass="XXXX"><DO name="A" type="NoSuch"/><DO type="T1"/></LNodeType>
<LNodeType id="L2"><DO name="B" type="T1"/></LNodeType>
<LNodeType id="L3" lnClass="PTOC" zScl:base="Missing"/>
<DOType id="T1" cdc="NOPE">
  <DA name="x" fc="ST" bType="int32" dchg="true" qchg="TRUE" dupd="true"/>
  <DA name="s" bType="Struct" type="NoDA"/>
  <DA name="e" bType="Enum" type="NoEnum"/>
  <SDO name="sd" type="NoDO"/>
  <SDO type="T1"/>
</DOType>
<DAType id="D1"><BDA name="b" bType="struct" type="D2"/><BDA name="c" type="D2"/><BDA name="u" bType="Enum" type="NoEnum"/></DAType>
<DAType id="D2"><BDA name="f" bType="FLOAT32"/></DAType>)"));
    // The first pass finds the missing base before any member is read.
    const std::vector<ReportEntry> expected = {
        {"other_error", "错误：ICD文件:  LNodeType:L3", "未找到基于的基类(zScl:base)Missing"},
        {"other_error", "错误：ICD文件:  DOType:T1", "DA:s缺少SCL必需的属性fc"},
        {"other_error", "错误：ICD文件:  DOType:T1", "DA:e缺少SCL必需的属性fc"},
        {"other_error", "错误：ICD文件:  DOType:T1", "第2个SDO缺少SCL必需的属性name"},
        {"other_error", "错误：ICD文件:  DOType:T1", "未找到CDC:NOPE"},
        {"other_error", "错误：ICD文件:  DA:x", "dchg与qchg同为true！"},
        {"other_error", "错误：ICD文件:  DA:x", "dupd与qchg同为true！"},
        {"other_error", "错误：ICD文件:  DA:x", "bType指定错误,在850标准无 int32 类型。"},
        {"other_error", "错误：ICD文件:  DA:s", "未找到DAType:NoDA"},
        {"other_error", "错误：ICD文件:  DA:e", "未找到EnumType:NoEnum"},
        {"other_error", "错误：ICD文件:  SDO:sd", "未找到DOType:NoDO"},
        {"other_error", "错误：ICD文件:  DAType:D1", "BDA:c缺少SCL必需的属性bType"},
        {"other_error", "错误：ICD文件:  DA:b", "bType指定错误,在850标准无 struct 类型。"},
        {"other_error", "错误：ICD文件:  BDA:u", "未找到EnumType:NoEnum"},
        {"other_error", "错误：ICD文件:  LNodeType:L1", "lnclass: XXXX在标准包中未找到"},
        {"other_error", "错误：ICD文件:  DO:A", "未找到DOType:NoSuch"},
        {"other_error", "ICD文件:  DO:", "名称为空"},
        {"other_error", "错误：ICD文件:  LNodeType:L2", "lnclass为空"},
        {"other_error", "错误：ICD文件:  LNodeType:L3", "zScl:base Missing类型包中未找到"},
        {"other_error", "错误：ICD文件:  DOType:T1", "类型嵌套形成闭环：T1"},
    };
    EXPECT_EQ(Entries("other_errors"), expected);
    EXPECT_EQ(imp.m_nErrors, 20);
    EXPECT_EQ(imp.m_nWarnings, 0);

    // The readers go on past every finding.
    URI_Ref t1 = ShellOf(imp.m_mapNewDOTypes, "T1");
    std::vector<URI_Ref> das = Members(t1, "sec:DOType.Contains_DAs");
    ASSERT_EQ(das.size(), 3u);
    EXPECT_EQ(Get(das[0], "sec:BDA.bType"), EnumValue("PreBasicTypeEnum", "int32"));
    // With qchg beside the data triggers, the data triggers are kept.
    EXPECT_EQ(Get(das[0], "sec:DA.trgOp"), EnumValue("TrgOpTypeEnum", "DChg_DUpd"));
    EXPECT_EQ(Get(das[1], "sec:BDA.SemanticNs"), kiln::import::kNewPackageNs);
    std::vector<URI_Ref> bdas = Members(ShellOf(imp.m_mapNewDATypes, "D1"), "sec:DAType.Contains_BDAs");
    EXPECT_EQ(Target(bdas[0], "sec:BDA.DefinedBy_Struct"), ShellOf(imp.m_mapNewDATypes, "D2"));
    EXPECT_TRUE(Target(bdas[1], "sec:BDA.DefinedBy_Struct").IsEmpty());
    URI_Ref l1 = ShellOf(imp.m_mapNewLNodeTypes, "L1");
    std::vector<URI_Ref> dos = Members(l1, "sec:LNodeType.DOs");
    EXPECT_EQ(NamesOf(dos), (std::vector<CString>{"A", "DO_2"}));
    EXPECT_EQ(Target(dos[1], "sec:DO.DefinedBy_DOType"), t1);
    EXPECT_TRUE(Target(l1, "sec:LNodeType.ClassOf_LNType").IsEmpty());
    // Classes outside the standard package are kept as the file wrote them.
    EXPECT_EQ(Get(l1, "sec:LNodeType.lnClass"), "XXXX");
    EXPECT_EQ(Get(t1, "sec:DOType.cdc"), "NOPE");
    EXPECT_TRUE(Target(t1, "sec:DOType.ClassOf_DOType").IsEmpty());
    EXPECT_TRUE(Target(ShellOf(imp.m_mapNewLNodeTypes, "L3"), "sec:LNodeType.Abstract_Type").IsEmpty());
}

TEST_F(ImportTest, StructMembersGetTheirClassesLevelByLevel) {
    Set(m.avF, "sec:BDA.presence", EnumValue("PresenceTypeEnum", "M"));
    ImportTemplates(Scl(R"(
<DOType id="MyCMV" cdc="CMV"><DA name="cVal" fc="MX" bType="Struct" type="MyVec"/><DA name="q" fc="MX" bType="Quality"/></DOType>
<DOType id="MyCMV2" cdc="CMV"><DA name="cVal" fc="MX" bType="Struct" type="MyVec2"/></DOType>
<DAType id="MyVec"><BDA name="mag" bType="Struct" type="MyAV"/><BDA name="ang" bType="Struct" type="MyAV2"/></DAType>
<DAType id="MyVec2"><BDA name="mag" bType="Struct" type="MyAV"/></DAType>
<DAType id="MyAV"><BDA name="f" bType="FLOAT32"/></DAType>
<DAType id="MyAV2"><BDA name="f" bType="FLOAT32"/></DAType>
<DAType id="Lonely"><BDA name="x" bType="INT32"/></DAType>)"));
    EXPECT_EQ(Target(ShellOf(imp.m_mapNewDATypes, "MyVec"), "sec:DAType.ClassOf_DAType"), m.vector);
    // MyVec2 is also of class Vector; MyAV keeps the class it got first.
    EXPECT_EQ(Target(ShellOf(imp.m_mapNewDATypes, "MyVec2"), "sec:DAType.ClassOf_DAType"), m.vector);
    EXPECT_EQ(Target(ShellOf(imp.m_mapNewDATypes, "MyAV"), "sec:DAType.ClassOf_DAType"), m.analogueValue);
    EXPECT_EQ(Target(ShellOf(imp.m_mapNewDATypes, "MyAV2"), "sec:DAType.ClassOf_DAType"), m.analogueValue);
    EXPECT_EQ(Members(ShellOf(imp.m_mapNewDATypes, "MyAV"), "sec:DAType.ClassOf_DAType").size(), 1u);
    // The BDAs of a type with a class keep the presence conditions of the class's BDAs.
    EXPECT_EQ(Get(Members(ShellOf(imp.m_mapNewDATypes, "MyAV2"), "sec:DAType.Contains_BDAs").at(0), "sec:BDA.presence"),
              EnumValue("PresenceTypeEnum", "M"));
    EXPECT_EQ(Get(Members(ShellOf(imp.m_mapNewDATypes, "Lonely"), "sec:DAType.Contains_BDAs").at(0), "sec:BDA.presence"),
              "");

    imp.Check_DATypeClassOf(&app);
    EXPECT_EQ(Entries("other_errors"),
              (std::vector<ReportEntry>{{"other_error", "警告:ICD文件:  DAType:Lonely", " 未找到ClassofDAType"}}));
    EXPECT_EQ(imp.m_nWarnings, 1);
    EXPECT_EQ(imp.m_nErrors, 0);
}

TEST_F(ImportTest, EveryPredefinedBasicTypeOfTheEditionIsAccepted) {
    std::string das;
    for (int i = 0; i < kiln::import::kBasicTypeCount; ++i)
        das += std::string("<DA name=\"a") + std::to_string(i) + "\" fc=\"ST\" bType=\"" +
               kiln::import::kBasicTypes[i] + "\"/>";
    ImportTemplates(Scl("<DOType id=\"T\" cdc=\"SPS\">" + das + "<DA name=\"z\" fc=\"BL\" bType=\"Bogus\"/></DOType>"));
    EXPECT_EQ(
        Entries("other_errors"),
        (std::vector<ReportEntry>{{"other_error", "错误：ICD文件:  DA:z", "bType指定错误,在850标准无 Bogus 类型。"}}));
}

TEST_F(ImportTest, ReadersWithoutTheBasicTypeSetReportEveryBType) {
    LoadScl(Scl(R"(<DAType id="D"><BDA name="f" bType="FLOAT32"/><BDA name="g"/></DAType>)"));
    URI_Ref daType;
    ASSERT_TRUE(app.NewRsc_DAType(&daType, pkg));
    imp.Import_DAType(&app, daType, scl.Get_NodePtr(scl.GetDocumentElement(), "DataTypeTemplates/DAType"), "4", false);
    EXPECT_EQ(Entries("other_errors"),
              (std::vector<ReportEntry>{{"other_error", "错误：ICD文件:  DAType:D", "BDA:g缺少SCL必需的属性bType"},
                                        {"other_error", "错误：ICD文件:  DA:f", "bType指定错误,在850标准无 FLOAT32 类型。"}}));
    EXPECT_EQ(Get(daType, "e301:OrdNaming.ord"), "4");
}

TEST_F(ImportTest, AnEmptyOrderTextLeavesTheTypesOrder) {
    LoadScl(Scl(R"(<DAType id="D" desc="x"/><DOType id="O" cdc="SPS"/><LNodeType id="L" lnClass="PTOC"/>)"));
    XmlNode templates = scl.Get_NodePtr(scl.GetDocumentElement(), "DataTypeTemplates");
    URI_Ref da, dt, ln;
    ASSERT_TRUE(app.NewRsc_DAType(&da, pkg));
    ASSERT_TRUE(app.NewRsc_DOType(&dt, pkg));
    ASSERT_TRUE(app.NewRsc_LNodeType(&ln, pkg));
    for (const URI_Ref& t : {da, dt, ln}) Set(t, "e301:OrdNaming.ord", "7");
    imp.Import_DAType(&app, da, scl.Get_NodePtr(templates, "DAType"), "", false);
    imp.Import_DOType(&app, dt, scl.Get_NodePtr(templates, "DOType"), "", false);
    imp.Import_LNodeType(&app, ln, scl.Get_NodePtr(templates, "LNodeType"), "", pkg, "", false);
    for (const URI_Ref& t : {da, dt, ln}) EXPECT_EQ(Get(t, "e301:OrdNaming.ord"), "7");
    EXPECT_EQ(Get(da, "cim:Naming.description"), "x");
}

TEST_F(ImportTest, ARefusingCreatorSkipsItsElementAndChildren) {
    LoadScl(Scl(R"(
<DAType id="D"><BDA name="b" bType="Bogus" type="X"><Val>1</Val></BDA></DAType>
<DOType id="O" cdc="SPS"><DA name="a" fc="ST" bType="Bogus" dchg="true" qchg="true"/><SDO name="s" type="None"/></DOType>
<LNodeType id="L" lnClass="PTOC"><DO name="d" type="None"/></LNodeType>)"));
    // The shells stand; the members' creators refuse.
    XmlNode templates = scl.Get_NodePtr(scl.GetDocumentElement(), "DataTypeTemplates");
    URI_Ref da, dt, ln;
    ASSERT_TRUE(app.NewRsc_DAType(&da, pkg));
    ASSERT_TRUE(app.NewRsc_DOType(&dt, pkg));
    ASSERT_TRUE(app.NewRsc_LNodeType(&ln, pkg));
    ASSERT_TRUE(Doc().SetDomainEditable(DomainOf(pkg), false));
    const int before = Doc().ResourceCount();
    imp.Import_DAType(&app, da, scl.Get_NodePtr(templates, "DAType"), "1", false);
    imp.Import_DOType(&app, dt, scl.Get_NodePtr(templates, "DOType"), "1", false);
    imp.Import_LNodeType(&app, ln, scl.Get_NodePtr(templates, "LNodeType"), "", pkg, "1", false);
    // Only the creators' refusals are seen; no finding of the skipped members.
    EXPECT_EQ(Entries("other_errors"), std::vector<ReportEntry>{});
    EXPECT_EQ(Doc().ResourceCount(), before);
    EXPECT_FALSE(ui.Messages().empty());
}

}  // namespace
}  // namespace kiln::test

namespace kiln::test {
namespace {

// A file in the style of a standard-conformant Ed2 ICD, read against the
// shipped standard definitions: every basic type, constraint and class it
// uses is known, so the report stays empty.
TEST_F(ImportTest, AStandardConformantFileGivesNoFindingsAgainstTheShippedDefinitions) {
    const CString file = CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml";
    URI_Ref type;
    ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
    CString domain;
    ASSERT_TRUE(app.Import_ExterDomainFile(type, "sec:TypePackage", file, &domain)) << app.LastDocError();
    std::vector<URI_Ref> packages;
    app.DocMtd_get_Uris_byClassName("sec:TypePackage", packages, "", SortPolicy_ByName);
    URI_Ref shipped;
    for (const URI_Ref& p : packages)
        if (DomainOf(p) == domain) shipped = p;
    ASSERT_TRUE(shipped.IsSet());
    UseStandardPackage(shipped);

    imp.m_strHeaderId = "STD-1";
    ImportTemplates(Scl(R"(
<LNodeType id="GGIO_1" lnClass="GGIO" desc="通用输入输出"><DO name="Beh" type="ENS_1"/><DO name="Health" type="ENS_2"/><DO name="SPCSO" type="SPC_1"/><DO name="Pos" type="DPC_1"/></LNodeType>
<DOType id="ENS_1" cdc="ENS"><DA name="stVal" fc="ST" bType="Enum" type="BehaviourModeKind" dchg="true"/><DA name="q" fc="ST" bType="Quality" qchg="true"/><DA name="t" fc="ST" bType="Timestamp"/></DOType>
<DOType id="ENS_2" cdc="ENS"><DA name="stVal" fc="ST" bType="Enum" type="HealthKind" dchg="true"/></DOType>
<EnumType id="HealthKind"><EnumVal ord="1">Ok</EnumVal><EnumVal ord="3">Alarm</EnumVal></EnumType>
<DOType id="SPC_1" cdc="SPC">
  <DA name="origin" fc="ST" bType="Struct" type="Orig_1"/><DA name="ctlNum" fc="ST" bType="INT8U"/>
  <DA name="stVal" fc="ST" bType="BOOLEAN" dchg="true"/><DA name="q" fc="ST" bType="Quality" qchg="true"/><DA name="t" fc="ST" bType="Timestamp"/>
  <DA name="opRcvd" fc="OR" bType="BOOLEAN" dchg="true"/><DA name="blkEna" fc="BL" bType="BOOLEAN"/>
  <DA name="ctlModel" fc="CF" bType="Enum" type="CtlModelKind"><Val>direct-with-normal-security</Val></DA>
  <DA name="SBO" fc="CO" bType="VisString129"/><DA name="Oper" fc="CO" bType="Struct" type="Oper_1"/>
  <DA name="cdcName" fc="EX" bType="VisString255"/>
</DOType>
<DOType id="DPC_1" cdc="DPC"><DA name="stVal" fc="ST" bType="Dbpos" dchg="true"/><DA name="Oper" fc="CO" bType="Struct" type="Oper_1"/></DOType>
<DAType id="Oper_1"><BDA name="ctlVal" bType="BOOLEAN"/><BDA name="operTm" bType="Timestamp"/><BDA name="origin" bType="Struct" type="Orig_1"/>
  <BDA name="ctlNum" bType="INT8U"/><BDA name="T" bType="Timestamp"/><BDA name="Test" bType="BOOLEAN"/><BDA name="Check" bType="Check"/></DAType>
<DAType id="Orig_1"><BDA name="orCat" bType="Enum" type="OriginatorCategoryKind"/><BDA name="orIdent" bType="Octet64"/></DAType>
<EnumType id="CtlModelKind"><EnumVal ord="0">status-only</EnumVal><EnumVal ord="1">direct-with-normal-security</EnumVal>
  <EnumVal ord="2">sbo-with-normal-security</EnumVal><EnumVal ord="3">direct-with-enhanced-security</EnumVal>
  <EnumVal ord="4">sbo-with-enhanced-security</EnumVal></EnumType>
)"));
    imp.Check_DATypeClassOf(&app);
    EXPECT_EQ(AllEntries(), std::vector<ReportEntry>{});
    EXPECT_TRUE(ShellOf(imp.m_mapNewEnumTypes, "CtlModelKind").IsEmpty());  // the standard's own
    // A copy the maker restricted is the file's own, and its DA uses it.
    const URI_Ref health = ShellOf(imp.m_mapNewEnumTypes, "HealthKind");
    ASSERT_TRUE(health.IsSet());
    EXPECT_EQ(Members(health, "sec:EnumType.EnumVals").size(), 2u);
    EXPECT_EQ(Target(Member(ShellOf(imp.m_mapNewDOTypes, "ENS_2"), "sec:DOType.Contains_DAs", "stVal"),
                     "sec:BDA.DefinedBy_EnumType"),
              health);
    URI_Ref oper = ShellOf(imp.m_mapNewDATypes, "Oper_1");
    EXPECT_EQ(Get(Target(oper, "sec:DAType.ClassOf_DAType"), "cim:Naming.name"), "Oper_BOOLEAN");
    EXPECT_EQ(Get(Target(ShellOf(imp.m_mapNewDATypes, "Orig_1"), "sec:DAType.ClassOf_DAType"), "cim:Naming.name"),
              "Originator");
    URI_Ref spc = ShellOf(imp.m_mapNewDOTypes, "SPC_1");
    URI_Ref ctlModel = Member(spc, "sec:DOType.Contains_DAs", "ctlModel");
    EXPECT_EQ(Get(Target(ctlModel, "sec:BDA.DefinedBy_EnumType"), "cim:Naming.name"), "850EN_CtlModelKind");
    EXPECT_EQ(Get(ctlModel, "sec:BDA.valueStr"), "direct-with-normal-security");
    EXPECT_EQ(Get(Member(spc, "sec:DOType.Contains_DAs", "blkEna"), "sec:DA.fc_0"), EnumValue("FCType", "BL"));
    // Beh is a DO of GGIO's abstract class: the standard semantic, no namespace.
    URI_Ref beh = Member(ShellOf(imp.m_mapNewLNodeTypes, "GGIO_1"), "sec:LNodeType.DOs", "Beh");
    EXPECT_TRUE(Target(beh, "sec:DO.DOSemantic").IsSet());
    EXPECT_EQ(Get(beh, "sec:DO.SemanticNs"), "");
    // Pos is no DO of GGIO: it carries the header id.
    EXPECT_EQ(Get(Member(ShellOf(imp.m_mapNewLNodeTypes, "GGIO_1"), "sec:LNodeType.DOs", "Pos"), "sec:DO.SemanticNs"),
              "STD-1");
}

}  // namespace
}  // namespace kiln::test
