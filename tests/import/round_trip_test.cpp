// Round trips: a model written by the SCL writers and read back by the
// readers into a second ICD of the same document. What the two SCL forms
// cannot carry differs as listed with each check.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "export/kiln_export.h"
#include "tests/import/import_fixture.h"

namespace kiln::test {
namespace {

// The findings of reading an ICD back: its form names the base of a derived
// type without writing the base (the first pass over the templates and the
// type's reader each say so).
const std::vector<ReportEntry> kMissingBase = {
    {"other_error", "错误：ICD文件:  LNodeType:MyPTOC", "未找到基于的基类(zScl:base)MyBase"},
    {"other_error", "错误：ICD文件:  LNodeType:MyPTOC", "zScl:base MyBase类型包中未找到"}};

// A source ICD with its own types and instance, built with the creators.
class RoundTripTest : public ImportTest {
protected:
    RoundTripTest() {
        EXPECT_TRUE(app.NewRsc_ICD(&srcIcd, URI_Ref(), "Src", false, product));
        srcPkg = Target(srcIcd, "sec:ICD.TypePackage");
        BuildTypes();
    }

    void BuildTypes() {
        beh = MakeEnumType(srcPkg, "MyBeh", 1, {"on", "blocked", "test"});
        Set(beh, "cim:Naming.description", "行为");
        av = MakeDAType(srcPkg, "MyAV", 1);
        Link(av, "sec:DAType.ClassOf_DAType", m.analogueValue);
        MakeBDA(av, "f", 1, "FLOAT32");
        MakeBDA(av, "i", 2, "INT32");
        vec = MakeDAType(srcPkg, "MyVec", 2);
        Link(vec, "sec:DAType.ClassOf_DAType", m.vector);
        MakeBDA(vec, "mag", 1, "Struct", av);
        MakeBDA(vec, "ang", 2, "Struct", av);

        sps = MakeDOType(srcPkg, "MySPS", 1);
        Link(sps, "sec:DOType.ClassOf_DOType", m.sps);
        Set(sps, "cim:Naming.description", "单点");
        URI_Ref st = MakeDA(sps, "stVal", 1, "ST", "BOOLEAN");
        Set(st, "sec:DA.trgOp", EnumValue("TrgOpTypeEnum", "DChg"));
        URI_Ref q = MakeDA(sps, "q", 2, "ST", "Quality");
        Set(q, "sec:DA.trgOp", EnumValue("TrgOpTypeEnum", "QChg"));
        URI_Ref d = MakeDA(sps, "d", 3, "DC", "VisString255");
        Set(d, "sec:BDA.valueStr", "开关");
        inc = MakeDOType(srcPkg, "MyINC", 2);
        Link(inc, "sec:DOType.ClassOf_DOType", m.inc);
        URI_Ref incSt = MakeDA(inc, "stVal", 1, "ST", "INT32");
        Set(incSt, "sec:DA.trgOp", EnumValue("TrgOpTypeEnum", "DChg_DUpd"));
        URI_Ref ctl = MakeDA(inc, "ctlModel", 2, "CF", "Enum", beh);
        Set(ctl, "sec:BDA.valueStr", "on");
        MakeDA(inc, "opRcvd", 3, "OR", "BOOLEAN");
        cmv = MakeDOType(srcPkg, "MyCMV", 3);
        Link(cmv, "sec:DOType.ClassOf_DOType", m.cmv);
        MakeDA(cmv, "cVal", 1, "MX", "Struct", vec);
        wye = MakeDOType(srcPkg, "MyWYE", 4);
        Link(wye, "sec:DOType.ClassOf_DOType", m.wye);
        MakeSDO(wye, "phsA", 1, cmv);
        MakeSDO(wye, "phsB", 2, cmv);

        lln0T = MakeLNodeType(srcPkg, "MyLLN0", 1);
        Link(lln0T, "sec:LNodeType.ClassOf_LNType", m.lln0);
        MakeDO(lln0T, "Mod", 1, inc);
        MakeDO(lln0T, "Beh", 2, inc);
        lphdT = MakeLNodeType(srcPkg, "MyLPHD", 2);
        Link(lphdT, "sec:LNodeType.ClassOf_LNType", m.lphd);
        MakeDO(lphdT, "PhyHealth", 1, inc);
        baseT = MakeLNodeType(srcPkg, "MyBase", 3);
        Link(baseT, "sec:LNodeType.ClassOf_LNType", m.ptoc);
        strDO = MakeDO(baseT, "Str", 1, sps);
        ptocT = MakeLNodeType(srcPkg, "MyPTOC", 4, baseT);
        Link(ptocT, "sec:LNodeType.ClassOf_LNType", m.ptoc);
        Set(ptocT, "cim:Naming.description", "过流");
        MakeDO(ptocT, "Op", 1, sps);
        mmxuT = MakeLNodeType(srcPkg, "MyMMXU", 5);
        Link(mmxuT, "sec:LNodeType.ClassOf_LNType", m.mmxu);
        MakeDO(mmxuT, "A", 1, wye);
    }

    // The SCL text of the ICD template with the source package written
    // whole into its DataTypeTemplates, as a type-package file is.
    std::string ExportPackage() {
        CBase_XML xml;
        EXPECT_TRUE(xml.Load(CString(KILN_SOURCE_DIR) + "/Template/ICD_Template.xml"));
        EXPECT_TRUE(xml.Set_Default_NameSpase(kiln::exporter::kSclNamespace));
        CKiln_Export exporter;
        EXPECT_TRUE(exporter.Export_Alone_TypePackage(xml.Get_NodePtr(xml.GetDocumentElement(), "DataTypeTemplates"),
                                                      &app, xml, srcPkg, true));
        return Saved(xml);
    }

    std::string Saved(CBase_XML& xml) {
        // Tests run in parallel processes: each writes a file of its own.
        const CString path = CString(::testing::TempDir().c_str()) + "/round_trip_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                             std::to_string(::getpid()).c_str() + ".icd";
        EXPECT_TRUE(xml.SaveAs(path));
        std::ifstream in(path.GetString(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::remove(path.GetString());
        return text.str();
    }

    // Writes the source ICD with the ICD template and returns the file.
    std::string ExportIcd() {
        CBase_XML xml;
        EXPECT_TRUE(xml.Load(CString(KILN_SOURCE_DIR) + "/Template/ICD_Template.xml"));
        EXPECT_TRUE(xml.Set_Default_NameSpase(kiln::exporter::kSclNamespace));
        CKiln_Export exporter;
        EXPECT_TRUE(exporter.Export_ICD_IED(&app, xml, srcIcd, false));
        EXPECT_TRUE(exporter.Export_ICD_TypePackages(xml.Get_NodePtr(xml.GetDocumentElement(), "DataTypeTemplates"),
                                                     &app, xml, srcIcd));
        return Saved(xml);
    }

    URI_Ref srcIcd, srcPkg;
    URI_Ref beh, av, vec, sps, inc, cmv, wye, lln0T, lphdT, baseT, ptocT, mmxuT, strDO;
};

// The members of a type as "name:bType:fc:trgOp:type" lines, model values
// reduced to their last word, for comparing a type with its copy.
std::vector<std::string> Shape(CKiln_Main& app, const URI_Ref& type, const char* role) {
    std::vector<std::string> out;
    auto last = [](const CString& v) { return std::string(v.Mid(v.ReverseFind('.') + 1).GetString()); };
    std::vector<URI_Ref> list;
    app.DocMtd_get_Association_BUris(type, role, list, "e301:OrdNaming.ord", SortPolicy_ByOrd);
    for (const URI_Ref& r : list) {
        URI_Ref link = app.DocMtd_getFirstUri_ofAsso(r, "sec:BDA.DefinedBy_Struct");
        if (link.IsEmpty()) link = app.DocMtd_getFirstUri_ofAsso(r, "sec:BDA.DefinedBy_EnumType");
        if (link.IsEmpty()) link = app.DocMtd_getFirstUri_ofAsso(r, "sec:SDO.DefinedBy_DOType");
        if (link.IsEmpty()) link = app.DocMtd_getFirstUri_ofAsso(r, "sec:DO.DefinedBy_DOType");
        out.push_back(std::string(app.DocMtd_getValue_ofAttr(r, "cim:Naming.name").GetString()) + ":" +
                      last(app.DocMtd_getValue_ofAttr(r, "sec:BDA.bType")) + ":" +
                      last(app.DocMtd_getValue_ofAttr(r, "sec:DA.fc_0")) + ":" +
                      last(app.DocMtd_getValue_ofAttr(r, "sec:DA.trgOp")) + ":" +
                      std::string(app.DocMtd_getValue_ofAttr(link, "cim:Naming.name").GetString()) + ":" +
                      std::string(app.DocMtd_getValue_ofAttr(r, "sec:BDA.valueStr").GetString()));
    }
    return out;
}

TEST_F(RoundTripTest, TypeTemplatesComeBackWithTheirMembersAndClasses) {
    URI_Ref ld;
    ASSERT_TRUE(app.NewRsc_LDevice(&ld, Target(srcIcd, "sec:ICD.IED"), lln0T, lphdT, URI_Ref()));
    URI_Ref ptoc, mmxu;
    ASSERT_TRUE(app.NewRsc_LNode(&ptoc, ld, ptocT, true));
    ASSERT_TRUE(app.NewRsc_LNode(&mmxu, ld, mmxuT, true));
    ImportTemplates(ExportIcd());
    EXPECT_EQ(AllEntries(), kMissingBase);

    const struct {
        const char* id;
        ImportShellTable* table;
        URI_Ref src;
        const char* members;
        const char* classRole;
    } kTypes[] = {
        {"MySPS", &imp.m_mapNewDOTypes, sps, "sec:DOType.Contains_DAs", "sec:DOType.ClassOf_DOType"},
        {"MyINC", &imp.m_mapNewDOTypes, inc, "sec:DOType.Contains_DAs", "sec:DOType.ClassOf_DOType"},
        {"MyCMV", &imp.m_mapNewDOTypes, cmv, "sec:DOType.Contains_DAs", "sec:DOType.ClassOf_DOType"},
        {"MyWYE", &imp.m_mapNewDOTypes, wye, "sec:DOType.Contains_SDOs", "sec:DOType.ClassOf_DOType"},
        {"MyAV", &imp.m_mapNewDATypes, av, "sec:DAType.Contains_BDAs", "sec:DAType.ClassOf_DAType"},
        {"MyVec", &imp.m_mapNewDATypes, vec, "sec:DAType.Contains_BDAs", "sec:DAType.ClassOf_DAType"},
        {"MyLLN0", &imp.m_mapNewLNodeTypes, lln0T, "sec:LNodeType.DOs", "sec:LNodeType.ClassOf_LNType"},
        {"MyMMXU", &imp.m_mapNewLNodeTypes, mmxuT, "sec:LNodeType.DOs", "sec:LNodeType.ClassOf_LNType"},
    };
    for (const auto& t : kTypes) {
        URI_Ref copy = ShellOf(*t.table, t.id);
        ASSERT_TRUE(copy.IsSet()) << t.id;
        EXPECT_FALSE(Shape(app, t.src, t.members).empty()) << t.id;
        EXPECT_EQ(Shape(app, copy, t.members), Shape(app, t.src, t.members)) << t.id;
        EXPECT_EQ(Target(copy, t.classRole), Target(t.src, t.classRole)) << t.id;
        EXPECT_EQ(Get(copy, "cim:Naming.description"), Get(t.src, "cim:Naming.description")) << t.id;
    }
    // A derived type: the ICD form writes the base's DOs with it and not the
    // base itself, so the base is reported missing and its DOs come back as
    // the derived type's own.
    URI_Ref ptocCopy = ShellOf(imp.m_mapNewLNodeTypes, "MyPTOC");
    EXPECT_TRUE(Target(ptocCopy, "sec:LNodeType.Abstract_Type").IsEmpty());
    EXPECT_EQ(NamesOf(Members(ptocCopy, "sec:LNodeType.DOs")), (std::vector<CString>{"Op", "Str"}));
    EXPECT_EQ(Target(ptocCopy, "sec:LNodeType.ClassOf_LNType"), m.ptoc);
    EXPECT_EQ(Get(ptocCopy, "cim:Naming.description"), "过流");
    // Enumeration values: value and order come back, the name is "Val_" + ord.
    URI_Ref behCopy = ShellOf(imp.m_mapNewEnumTypes, "MyBeh");
    EXPECT_EQ(Get(behCopy, "cim:Naming.description"), "行为");
    std::vector<URI_Ref> vals = Members(behCopy, "sec:EnumType.EnumVals");
    std::vector<URI_Ref> srcVals = Members(beh, "sec:EnumType.EnumVals");
    ASSERT_EQ(vals.size(), srcVals.size());
    for (size_t i = 0; i < vals.size(); ++i) {
        EXPECT_EQ(Get(vals[i], "sec:EnumVal.val"), Get(srcVals[i], "sec:EnumVal.val"));
        EXPECT_EQ(Get(vals[i], "e301:OrdNaming.ord"), Get(srcVals[i], "e301:OrdNaming.ord"));
        EXPECT_EQ(Get(vals[i], "cim:Naming.name"), "Val_" + Get(srcVals[i], "e301:OrdNaming.ord"));
    }
}

TEST_F(RoundTripTest, ATypePackageFileComesBack) {
    // Base devices, one without a base (read back as such) and one based on it.
    URI_Ref baseLd, derivedLd;
    ASSERT_TRUE(app.NewRsc_LDevice(&baseLd, srcPkg, lln0T, lphdT, URI_Ref()));
    ASSERT_TRUE(app.NewRsc_LDevice(&derivedLd, srcPkg, lln0T, URI_Ref(), baseLd));
    ImportTemplates(ExportPackage());
    EXPECT_EQ(AllEntries(), std::vector<ReportEntry>{});
    for (const auto& [id, src] : {std::pair<const char*, URI_Ref>{"MySPS", sps}, {"MyINC", inc}, {"MyCMV", cmv}}) {
        URI_Ref copy = ShellOf(imp.m_mapNewDOTypes, id);
        EXPECT_EQ(Shape(app, copy, "sec:DOType.Contains_DAs"), Shape(app, src, "sec:DOType.Contains_DAs")) << id;
    }
    EXPECT_EQ(Target(ShellOf(imp.m_mapNewLNodeTypes, "MyPTOC"), "sec:LNodeType.Abstract_Type"),
              ShellOf(imp.m_mapNewLNodeTypes, "MyBase"));
    EXPECT_EQ(Target(ShellOf(imp.m_mapNewDATypes, "MyVec"), "sec:DAType.ClassOf_DAType"), m.vector);
}

TEST_F(RoundTripTest, InstancesComeBackWithValuesControlBlocksAndReferences) {
    URI_Ref ld;
    ASSERT_TRUE(app.NewRsc_LDevice(&ld, Target(srcIcd, "sec:ICD.IED"), lln0T, lphdT, URI_Ref()));
    Set(ld, "cim:Naming.name", "PROT");
    Set(ld, "cim:Naming.description", "保护");
    const URI_Ref lln0 = Member(ld, "sec:LDevice.LNodes", "LLN0");
    ASSERT_TRUE(lln0.IsSet());
    URI_Ref ptoc, mmxu;
    ASSERT_TRUE(app.NewRsc_LNode(&ptoc, ld, ptocT, true));
    Set(ptoc, "sec:LNode.prefix", "Q0");
    Set(ptoc, "cim:Naming.description", "过流一段");
    ASSERT_TRUE(app.NewRsc_LNode(&mmxu, ld, mmxuT, true));

    auto value = [&](const URI_Ref& node, const CString& doName, const URI_Ref& dataObject, const URI_Ref& member,
                     const CString& daiName, const CString& text) {
        URI_Ref doi = Member(node, "sec:LNode.DOIs", doName);
        if (doi.IsEmpty()) {
            EXPECT_TRUE(app.NewRsc_DOI(&doi, node, dataObject));
        }
        URI_Ref dai;
        EXPECT_TRUE(app.NewRsc_DAI(&dai, doi, member, daiName));
        Set(dai, "sec:DAI.valueStr", text);
    };
    const URI_Ref modDO = Member(lln0T, "sec:LNodeType.DOs", "Mod");
    const URI_Ref behDO = Member(lln0T, "sec:LNodeType.DOs", "Beh");
    value(lln0, "Mod", modDO, Member(inc, "sec:DOType.Contains_DAs", "stVal"), "stVal[ST]", "1");
    value(lln0, "Beh", behDO, Member(inc, "sec:DOType.Contains_DAs", "ctlModel"), "ctlModel[CF]", "blocked");
    value(ptoc, "Str", strDO, Member(sps, "sec:DOType.Contains_DAs", "d"), "d[DC]", "启动");
    value(mmxu, "A", Member(mmxuT, "sec:LNodeType.DOs", "A"), Member(av, "sec:DAType.Contains_BDAs", "f"),
          "phsA.cVal[MX].mag.f", "1.5");

    URI_Ref ds, fcda, brcb, urcb, log, lcb, sgcb, input;
    ASSERT_TRUE(app.NewRsc_DataSet(&ds, lln0));
    Set(ds, "cim:Naming.name", "dsPrt");
    ASSERT_TRUE(app.NewRsc_FCDA(&fcda, ds));
    Link(fcda, "sec:DARef.LNode", ptoc);
    Set(fcda, "sec:DARef.doName", "Str");
    Set(fcda, "sec:DARef.daName", "d");
    Set(fcda, "sec:FCDA.fc", EnumValue("FCType", "DC"));
    ASSERT_TRUE(app.NewRsc_RCB(&brcb, lln0, ds));
    ASSERT_TRUE(app.NewRsc_RCB(&urcb, lln0, ds));
    Set(urcb, "sec:RCB.BRCB_or_URCB", "false");
    Set(urcb, "sec:RCB.optSequenceNumber", "false");
    Set(urcb, "sec:RCB.trgOp", EnumValue("TrgOpControlTypeEnum", "DChgPeriodGI"));
    Set(urcb, "sec:RCB.rptEnabledMax", "16");
    Set(urcb, "sec:RCB.rptEnabledDesc", "后台");
    Set(urcb, "sec:RCB.indexed", "false");
    Set(brcb, "cim:Naming.description", "保护事件报告");
    URI_Ref client;
    ASSERT_TRUE(app.NewRsc_ClientLN(&client, brcb));
    Link(client, "sec:ClientLN.LNode", mmxu);
    ASSERT_TRUE(app.NewRsc_Log(&log, lln0));
    ASSERT_TRUE(app.NewRsc_LCB(&lcb, lln0, ds));
    Set(lcb, "cim:Naming.description", "保护事件日志");
    Set(lcb, "sec:LCB.bufTime", "20");
    Set(log, "cim:Naming.description", "事件记录");
    ASSERT_TRUE(app.NewRsc_SGCB(&sgcb, lln0));
    Set(sgcb, "sec:SGCB.resvTms", "30");
    Set(sgcb, "sec:SGCB.activeSG", "2");
    Set(sgcb, "sec:SGCB.numOfSG", "4");
    ASSERT_TRUE(app.NewRsc_ExtRef(&input, mmxu));
    Link(input, "sec:DARef.LNode", ptoc);
    Set(input, "cim:Naming.name", "in1");
    Set(input, "sec:DARef.doName", "Op");
    Set(input, "sec:DARef.daName", "stVal");

    ImportIcd(ExportIcd());
    EXPECT_EQ(AllEntries(), kMissingBase);

    const URI_Ref prot = Device("PROT");
    ASSERT_TRUE(prot.IsSet());
    EXPECT_EQ(Get(prot, "cim:Naming.description"), "保护");
    EXPECT_EQ(NamesOf(Members(prot, "sec:LDevice.LNodes")),
              (std::vector<CString>{"LLN0", "LPHD1", "Q0PTOC1", "MMXU1"}));
    const URI_Ref lln0Copy = Node(prot, "LLN0"), ptocCopy = Node(prot, "Q0PTOC1"), mmxuCopy = Node(prot, "MMXU1");
    EXPECT_EQ(Get(ptocCopy, "sec:LNode.prefix"), "Q0");
    EXPECT_EQ(Get(ptocCopy, "sec:LNode.lnClass"), "PTOC");
    EXPECT_EQ(Get(ptocCopy, "sec:LNode.lnInst"), "1");
    EXPECT_EQ(Get(ptocCopy, "cim:Naming.description"), "过流一段");
    EXPECT_EQ(Target(ptocCopy, "sec:LNode.LNodeType"), ShellOf(imp.m_mapNewLNodeTypes, "MyPTOC"));

    // Values, with the functional constraint after the data attribute.
    auto dai = [&](const URI_Ref& node, const char* doName, const char* name) {
        return Member(Member(node, "sec:LNode.DOIs", doName), "sec:DOI.DAIs", name);
    };
    EXPECT_EQ(Get(dai(lln0Copy, "Mod", "stVal[ST]"), "sec:DAI.valueStr"), "1");
    EXPECT_EQ(Get(dai(lln0Copy, "Beh", "ctlModel[CF]"), "sec:DAI.valueStr"), "blocked");
    EXPECT_EQ(Get(dai(ptocCopy, "Str", "d[DC]"), "sec:DAI.valueStr"), "启动");  // a DO of the base type
    EXPECT_EQ(Get(dai(mmxuCopy, "A", "phsA.cVal[MX].mag.f"), "sec:DAI.valueStr"), "1.5");

    // The data set with its member; the member's node is a pending reference
    // that the link pass finds among the run's nodes and paths.
    std::vector<URI_Ref> sets = Members(lln0Copy, "sec:LNode.DataSets");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(Get(sets[0], "cim:Naming.name"), "dsPrt");
    std::vector<URI_Ref> members = Members(sets[0], "sec:DataSet.FCDAs");
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(Get(members[0], "sec:FCDA.memberRef"), "Q0");
    EXPECT_EQ(Get(members[0], "sec:FCDA.fc"), EnumValue("FCType", "DC"));
    EXPECT_EQ(Get(members[0], "sec:DARef.doName"), "Str");
    EXPECT_EQ(Get(members[0], "sec:DARef.daName"), "d");
    ASSERT_EQ(imp.m_vPendingRefs.size(), 3u);  // the member, the client and the input
    for (const Struct_PendingRef& p : imp.m_vPendingRefs) {
        // The client is written after its node and names it so.
        if (p.m_uMember.sClass == "sec:ClientLN") {
            EXPECT_EQ(imp.m_mapInstLNodes[p.m_strLNPath], mmxuCopy) << p.m_strLNPath;
            continue;
        }
        EXPECT_EQ(imp.m_mapInstLNodes[p.m_strLNPath], ptocCopy) << p.m_strLNPath;
        EXPECT_EQ(imp.m_mapInstPaths.count("PROT/" + p.m_strLNName + "." + p.m_strDOName), 1u);
        EXPECT_EQ(daIndex.count("PROT/" + p.m_strLNName + "." + p.m_strDOName + "." + p.m_strDAName), 1u);
    }

    // Control blocks.
    std::vector<URI_Ref> rcbs = Members(lln0Copy, "sec:LNode.RCBs");
    ASSERT_EQ(rcbs.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const URI_Ref src = i == 0 ? brcb : urcb;
        for (const char* role : {"cim:Naming.name", "sec:RCB.BRCB_or_URCB", "sec:RCB.optSequenceNumber",
                                 "sec:RCB.optReportTimeStamp", "sec:RCB.rptID", "sec:RCB.confRev", "sec:RCB.trgOp",
                                 "cim:Naming.description", "sec:RCB.bufIm", "sec:RCB.intgPd", "sec:RCB.indexed",
                                 "sec:RCB.rptEnabledDesc", "sec:RCB.optBufferOverflow"})
            EXPECT_EQ(Get(rcbs[i], role), Get(src, role)) << role;
        EXPECT_EQ(Target(rcbs[i], "sec:RCB.DataSet"), sets[0]);
    }
    // The number of clients (5 where the model held none) and the client.
    EXPECT_EQ(Get(rcbs[0], "sec:RCB.rptEnabledMax"), "5");
    EXPECT_EQ(Get(rcbs[1], "sec:RCB.rptEnabledMax"), "16");
    EXPECT_EQ(Members(rcbs[0], "sec:RCB.ClientLNs").size(), 1u);
    std::vector<URI_Ref> lcbs = Members(lln0Copy, "sec:LNode.LCBs");
    ASSERT_EQ(lcbs.size(), 1u);
    EXPECT_EQ(Target(lcbs[0], "sec:LCB.DataSet"), sets[0]);
    EXPECT_EQ(Target(lcbs[0], "sec:LCB.Log"), Target(lln0Copy, "sec:LNode.Log"));
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.trgOp"), Get(lcb, "sec:LCB.trgOp"));
    EXPECT_EQ(Get(lcbs[0], "cim:Naming.description"), "保护事件日志");
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.bufTime"), "20");
    EXPECT_EQ(Get(Target(lln0Copy, "sec:LNode.Log"), "cim:Naming.description"), "事件记录");
    const URI_Ref sgcbCopy = Target(lln0Copy, "sec:LNode.SGCB");
    // The creator's description goes out and comes back; so does the time.
    EXPECT_EQ(Get(sgcbCopy, "cim:Naming.description"), "定值控制块");
    EXPECT_EQ(Get(sgcbCopy, "sec:SGCB.resvTms"), "30");
    EXPECT_EQ(Get(sgcbCopy, "sec:SGCB.activeSG"), "2");
    EXPECT_EQ(Get(sgcbCopy, "sec:SGCB.numOfSG"), "4");
    std::vector<URI_Ref> inputs = Members(mmxuCopy, "sec:LNode.ExtRefs");
    ASSERT_EQ(inputs.size(), 1u);
    EXPECT_EQ(Get(inputs[0], "cim:Naming.name"), "in1");
    EXPECT_EQ(Get(inputs[0], "sec:DARef.doName"), "Op");
    EXPECT_EQ(Get(inputs[0], "sec:DARef.daName"), "stVal");
}

TEST_F(RoundTripTest, ControlBlocksWithoutDataSetOrLogStayWithout) {
    URI_Ref ld;
    ASSERT_TRUE(app.NewRsc_LDevice(&ld, Target(srcIcd, "sec:ICD.IED"), lln0T, lphdT, URI_Ref()));
    Set(ld, "cim:Naming.name", "PROT");
    const URI_Ref lln0 = Member(ld, "sec:LDevice.LNodes", "LLN0");
    ASSERT_TRUE(lln0.IsSet());
    URI_Ref log, empty, lonely, logged, rcb;
    ASSERT_TRUE(app.NewRsc_Log(&log, lln0));
    ASSERT_TRUE(app.NewRsc_DataSet(&empty, lln0));
    ASSERT_TRUE(app.NewRsc_LCB(&lonely, lln0, empty));
    Doc().ClearLinks(lonely, "sec:LCB.Log");
    Set(lonely, "cim:Naming.name", "lcbAlone");
    ASSERT_TRUE(app.NewRsc_LCB(&logged, lln0, URI_Ref()));
    ASSERT_EQ(Target(logged, "sec:LCB.Log"), log);
    ASSERT_TRUE(app.NewRsc_RCB(&rcb, lln0, empty));

    ImportIcd(ExportIcd());
    EXPECT_EQ(AllEntries(), std::vector<ReportEntry>{});
    const URI_Ref lln0Copy = Node(Device("PROT"), "LLN0");
    ASSERT_TRUE(lln0Copy.IsSet());
    // The empty data set has no place in SCL and is not written.
    EXPECT_TRUE(Members(lln0Copy, "sec:LNode.DataSets").empty());
    std::vector<URI_Ref> rcbs = Members(lln0Copy, "sec:LNode.RCBs");
    ASSERT_EQ(rcbs.size(), 1u);
    EXPECT_TRUE(Target(rcbs[0], "sec:RCB.DataSet").IsEmpty());
    // The block without a Log is not given the device's Log; the other one is.
    std::vector<URI_Ref> lcbs = Members(lln0Copy, "sec:LNode.LCBs");
    ASSERT_EQ(NamesOf(lcbs), (std::vector<CString>{"lcbAlone", Get(logged, "cim:Naming.name")}));
    EXPECT_TRUE(Target(lcbs[0], "sec:LCB.Log").IsEmpty());
    EXPECT_TRUE(Target(lcbs[0], "sec:LCB.DataSet").IsEmpty());
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.trgOp"), Get(lonely, "sec:LCB.trgOp"));
    EXPECT_TRUE(Target(lln0Copy, "sec:LNode.Log").IsSet());
    EXPECT_EQ(Target(lcbs[1], "sec:LCB.Log"), Target(lln0Copy, "sec:LNode.Log"));
}

}  // namespace
}  // namespace kiln::test
