#include "tests/import/import_fixture.h"

#include <atomic>
#include <filesystem>
#include <fstream>

namespace kiln::test {

std::string Scl(const std::string& templates, const std::string& ied) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" xmlns:zScl=\"http://kiln.local/zScl\" "
           "version=\"2007\" revision=\"B\" release=\"4\">\n"
           "<Header id=\"H1\"/>\n" +
           ied + "\n<DataTypeTemplates>\n" + templates + "\n</DataTypeTemplates>\n</SCL>\n";
}

std::ostream& operator<<(std::ostream& os, const ReportEntry& e) {
    return os << "<" << e.element << " name=\"" << e.name << "\" error=\"" << e.error << "\">";
}

ImportTest::ImportTest() {
    // Name semantics and an enumeration stored with the standard's prefix.
    semMod = MakeUnder(m.stdPkg, "sec:DOSemantic", "Mod", "sec:DOSemantic.TypePackage");
    semStr = MakeUnder(m.stdPkg, "sec:DOSemantic", "Str", "sec:DOSemantic.TypePackage");
    semStVal = MakeUnder(m.stdPkg, "sec:DASemantic", "stVal", "sec:DASemantic.TypePackage");
    semQ = MakeUnder(m.stdPkg, "sec:DASemantic", "q", "sec:DASemantic.TypePackage");
    semPhsA = MakeUnder(m.stdPkg, "sec:DASemantic", "phsA", "sec:DASemantic.TypePackage");
    enBeh = MakeEnumType(m.stdPkg, "850EN_Beh", 2, {"on", "blocked"});
    // Its values carry their texts, as the standard definitions' do.
    for (const URI_Ref& v : Members(enBeh, "sec:EnumType.EnumVals")) Set(v, "sec:EnumVal.val", Get(v, "cim:Naming.name"));

    MakeDomain("kiln.pp#", "二次模型装置类型包");
    URI_Ref prodPkg = Make("kiln.pp#", "sec:ProductPackage", "PP");
    product = MakeUnder(prodPkg, "sec:Product", "P", "sec:Product.ProductPackage");
    EXPECT_TRUE(app.NewRsc_ICD(&icd, URI_Ref(), "ICD1", false, product));
    pkg = Target(icd, "sec:ICD.TypePackage");

    // The report as the ICD import sets it up.
    EXPECT_TRUE(imp.m_xmlReportDoc.Load(CString(KILN_SOURCE_DIR) + "/Template/Report_Template.xml"));
    for (const char* a : {"name", "error", "parent"}) imp.m_saReportAttrs.Add(a);
    XmlNode root = imp.m_xmlReportDoc.GetDocumentElement();
    imp.m_pReportRoot = imp.m_xmlReportDoc.Get_NodePtr(root, "ICD");
    imp.m_pOtherErrorsNode = imp.m_xmlReportDoc.Get_NodePtr(root, "other_errors");
    const std::pair<XmlNode*, const char*> kNodes[] = {{&imp.m_pLNodeTypesNode, "LNodeTypes"},
                                                       {&imp.m_pDOTypesNode, "DOTypes"},
                                                       {&imp.m_pDATypesNode, "DATypes"},
                                                       {&imp.m_pDOsNode, "DOs"},
                                                       {&imp.m_pDAsNode, "DAs"},
                                                       {&imp.m_pBDAsNode, "BDAs"},
                                                       {&imp.m_pLNodesNode, "LNodes"},
                                                       {&imp.m_pLDevicesNode, "LDevices"},
                                                       {&imp.m_pDOIsNode, "DOIs"},
                                                       {&imp.m_pDAIsNode, "DAIs"}};
    for (const auto& [field, name] : kNodes) {
        *field = imp.m_xmlReportDoc.Get_NodePtr(imp.m_pReportRoot, name);
        EXPECT_FALSE(field->IsNull()) << "the report template lacks " << name;
    }
    EXPECT_FALSE(imp.m_pOtherErrorsNode.IsNull());

    imp.m_pMain = &app;
    imp.m_pSourceXml = &scl;
    UseStandardPackage(m.stdPkg);
    ui.ClearCalls();
}

void ImportTest::UseStandardPackage(const URI_Ref& stdPkg) {
    for (ImportNameTable* t :
         {&imp.m_mapKnownLNodeTypes, &imp.m_mapKnownDOTypes, &imp.m_mapKnownDATypes, &imp.m_mapKnownEnumTypes,
          &imp.m_mapKnownDOSemantics, &imp.m_mapKnownDASemantics, &imp.m_mapKnownDOs})
        t->clear();
    auto fill = [&](const char* role, ImportNameTable& table) {
        for (const URI_Ref& t : Members(stdPkg, role)) table.emplace(Get(t, "cim:Naming.name"), t);
    };
    fill("sec:TypePackage.LNodeTypes", imp.m_mapKnownLNodeTypes);
    fill("sec:TypePackage.DOTypes", imp.m_mapKnownDOTypes);
    fill("sec:TypePackage.DATypes", imp.m_mapKnownDATypes);
    fill("sec:TypePackage.EnumTypes", imp.m_mapKnownEnumTypes);
    fill("sec:TypePackage.DOSemantics", imp.m_mapKnownDOSemantics);
    fill("sec:TypePackage.DASemantics", imp.m_mapKnownDASemantics);
    for (const auto& [cls, type] : imp.m_mapKnownLNodeTypes) {
        std::vector<URI_Ref> chain;
        app.Get_AbstractTypes(type, &chain, "sec:LNodeType.Abstract_Type");
        for (const URI_Ref& t : chain)
            for (const URI_Ref& d : Members(t, "sec:LNodeType.DOs"))
                imp.m_mapKnownDOs.emplace(cls + Get(d, "cim:Naming.name"), d);
    }
}

XmlNode ImportTest::LoadScl(const std::string& text) {
    static std::atomic<int> counter{0};
    const std::filesystem::path file =
        std::filesystem::path(::testing::TempDir()) /
        ("import_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".icd");
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }
    EXPECT_TRUE(scl.Load(file.string())) << "the test file does not load";
    std::filesystem::remove(file);
    return scl.GetDocumentElement();
}

bool ImportTest::ReadTemplates(const XmlNode& templates) {
    // The import's own pass over the templates, into the ICD's package; the
    // dependency question keeps its preset, the standard package.
    app.m_uStdTypePackage = m.stdPkg;
    ui.AnswerInputKeep("选择依赖的类型包：");
    return imp.Import_DataTypeTemplates(&app, icd, templates, "");
}

void ImportTest::ImportTemplates(const std::string& text) {
    XmlNode root = LoadScl(text);
    ReadTemplates(scl.Get_NodePtr(root, "DataTypeTemplates"));
}

void ImportTest::ImportIcd(const std::string& text) {
    XmlNode root = LoadScl(text);
    CBase_XML::Get_NodeText(scl.Get_NodePtr(root, "Header"), "@id", imp.m_strHeaderId);
    ReadTemplates(scl.Get_NodePtr(root, "DataTypeTemplates"));
    imp.Import_IED(&app, icd, scl.Get_NodePtr(root, "IED"));
    imp.Index_ICD_DAs(&app, icd, daIndex);
    imp.Index_ICD_LNodes(&app, icd);
}

URI_Ref ImportTest::ShellOf(const ImportShellTable& table, const CString& id) {
    auto it = table.find(id);
    return it == table.end() ? URI_Ref() : it->second.m_uShell;
}

std::vector<URI_Ref> ImportTest::Members(const URI_Ref& owner, const CString& role) {
    std::vector<URI_Ref> out;
    app.DocMtd_get_Association_BUris(owner, role, out, "e301:OrdNaming.ord", SortPolicy_ByOrd);
    return out;
}

URI_Ref ImportTest::Member(const URI_Ref& owner, const CString& role, const CString& name) {
    for (const URI_Ref& r : Members(owner, role))
        if (Get(r, "cim:Naming.name") == name) return r;
    return URI_Ref();
}

std::vector<CString> ImportTest::NamesOf(const std::vector<URI_Ref>& list) {
    std::vector<CString> out;
    for (const URI_Ref& r : list) out.push_back(Get(r, "cim:Naming.name"));
    return out;
}

URI_Ref ImportTest::Target(const URI_Ref& rsc, const CString& role) { return app.DocMtd_getFirstUri_ofAsso(rsc, role); }

namespace {

// The report entries of the listed elements: element name, name and error.
std::vector<ReportEntry> EntriesOf(XmlNodeList list) {
    std::vector<ReportEntry> out;
    for (long i = 0; i < list.Length(); ++i) {
        ReportEntry e;
        e.element = list.Item(i).NodeName();
        list.Item(i).GetAttribute("name", e.name);
        list.Item(i).GetAttribute("error", e.error);
        out.push_back(e);
    }
    return out;
}

}  // namespace

std::vector<ReportEntry> ImportTest::Entries(const char* category) {
    XmlNode root = imp.m_xmlReportDoc.GetDocumentElement();
    XmlNode node = CString(category) == "other_errors"
                       ? imp.m_xmlReportDoc.Get_NodePtr(root, "other_errors")
                       : imp.m_xmlReportDoc.Get_NodePtr(root, CString("ICD/") + category);
    return EntriesOf(node.SelectNodes("*"));
}

std::vector<ReportEntry> ImportTest::AllEntries() {
    return EntriesOf(imp.m_xmlReportDoc.GetDocumentElement().SelectNodes(".//*[@error]"));
}

URI_Ref ImportTest::Ied() { return Target(icd, "sec:ICD.IED"); }

URI_Ref ImportTest::Device(const CString& inst) {
    return Member(Target(Ied(), "sec:IED.Servers"), "sec:Server.LDevices", inst);
}

URI_Ref ImportTest::Node(const URI_Ref& ld, const CString& name) { return Member(ld, "sec:LDevice.LNodes", name); }

}  // namespace kiln::test
