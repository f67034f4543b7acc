#include "tests/export/export_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/kiln_export.h"

namespace fs = std::filesystem;

namespace kiln::test {

ExportTest::ExportTest() {
    char pattern[] = "/tmp/kiln-export-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) ADD_FAILURE() << "no temporary workspace";
    ws = dir ? dir : "/tmp";
    fs::create_directories(Path("document"));
    fs::create_directories(Path("Template"));
    for (const char* t : {"ICD_Template.xml", "MICS_Template.xml", "ITB_Template.xml", "M2I_Template.xml"})
        fs::copy_file(std::string(KILN_SOURCE_DIR) + "/Template/" + t, Path("Template/") + t);
    Doc().SetDocPath(Path("document").c_str());
    MakeDomain(kIcdDomain, "二次模型装置ICD包");
}

ExportTest::~ExportTest() {
    std::error_code ec;
    fs::remove_all(ws, ec);
}

void ExportTest::SetTemplate(const char* file, const std::string& text) {
    const std::string path = Path("Template/") + file;
    fs::remove(path);
    if (text.empty()) return;
    std::ofstream(path) << text;
}

CompleteIcd ExportTest::BuildCompleteIcd() {
    CompleteIcd c;
    c.icd = Make(kIcdDomain, "sec:ICD", "Prot_Ver2_Rev5");
    Set(c.icd, "sec:ICD.icdVersion", "2");
    c.ied = MakeUnder(c.icd, "sec:IED", "TEMPLATE", "sec:IED.ICD");
    Set(c.ied, "sec:IED.iedType", "PCS-931");
    c.server = MakeUnder(c.ied, "sec:Server", "IED_Server", "sec:Server.IED");
    c.pkg = MakeTypePackage(kIcdDomain, "ProtPkg", true);
    Link(c.pkg, "sec:TypePackage.ICD", c.icd);
    Link(c.pkg, "sec:TypePackage.Depend_TypePackage", m.stdPkg);

    auto instType = [&](const char* name, int ord, const URI_Ref& cls) {
        URI_Ref t = MakeLNodeType(c.pkg, name, ord, cls);
        Link(t, "sec:LNodeType.ClassOf_LNType", cls);
        return t;
    };
    c.lln0T = instType("LLN0_T", 1, m.lln0);
    c.ptocT = instType("PTOC_T", 2, m.ptoc);
    MakeDO(c.ptocT, "Op", 1, m.p1Sps);
    c.mmxuT = instType("MMXU_T", 3, m.mmxu);

    c.ld = MakeUnder(c.server, "sec:LDevice", "PROT", "sec:LDevice.Server", 1);
    Set(c.ld, "cim:Naming.description", "保护");
    c.lln0 = MakeLNode(c.ld, "", "", "", 1, c.lln0T);
    Set(c.lln0, "cim:Naming.name", "LLN0");
    c.ptoc = MakeLNode(c.ld, "P", "", "1", 2, c.ptocT);
    c.mmxu = MakeLNode(c.ld, "", "", "1", 3, c.mmxuT);

    c.dataSet = MakeUnder(c.lln0, "sec:DataSet", "dsPrt", "sec:DataSet.LNode", 1);
    Set(c.dataSet, "cim:Naming.description", "保护事件");
    c.fcdaOp = MakeUnder(c.dataSet, "sec:FCDA", "FCDA_1", "sec:FCDA.DataSet", 1);
    Link(c.fcdaOp, "sec:DARef.LNode", c.ptoc);
    Set(c.fcdaOp, "sec:DARef.doName", "Op");
    Set(c.fcdaOp, "sec:DARef.daName", "stVal");
    Set(c.fcdaOp, "sec:FCDA.fc", EnumValue("FCType", "ST"));
    c.fcdaA = MakeUnder(c.dataSet, "sec:FCDA", "FCDA_2", "sec:FCDA.DataSet", 2);
    Link(c.fcdaA, "sec:DARef.LNode", c.mmxu);
    Set(c.fcdaA, "sec:DARef.doName", "A.phsA");
    Set(c.fcdaA, "sec:FCDA.fc", EnumValue("FCType", "MX"));

    c.rcb = MakeUnder(c.lln0, "sec:RCB", "brcbPrt", "sec:RCB.LNode", 1);
    Link(c.rcb, "sec:RCB.DataSet", c.dataSet);
    Set(c.rcb, "sec:RCB.rptID", "brcbPrt");
    Set(c.rcb, "sec:RCB.confRev", "1");
    Set(c.rcb, "sec:RCB.BRCB_or_URCB", "true");
    Set(c.rcb, "sec:RCB.bufIm", "1500");
    Set(c.rcb, "sec:RCB.intgPd", "15000");
    Set(c.rcb, "sec:RCB.trgOp", EnumValue("TrgOpControlTypeEnum", "DChg_QChg_Period"));
    Set(c.rcb, "sec:RCB.optSequenceNumber", "true");
    Set(c.rcb, "sec:RCB.optBufferOverflow", "false");
    Set(c.rcb, "sec:RCB.sqNum", "7");

    c.log = MakeUnder(c.lln0, "sec:Log", "Log", "sec:Log.LNode");
    c.lcb = MakeUnder(c.lln0, "sec:LCB", "lcbPrt", "sec:LCB.LNode", 1);
    Link(c.lcb, "sec:LCB.DataSet", c.dataSet);
    Link(c.lcb, "sec:LCB.Log", c.log);
    Set(c.lcb, "sec:LCB.logEna", "true");
    Set(c.lcb, "sec:LCB.optReasonForInclusion", "true");
    Set(c.lcb, "sec:LCB.trgOp", EnumValue("TrgOpControlTypeEnum", "DChg"));
    c.sgcb = MakeUnder(c.lln0, "sec:SGCB", "SGCB", "sec:SGCB.LNode");
    Set(c.sgcb, "sec:SGCB.numOfSG", "2");
    Set(c.sgcb, "sec:SGCB.activeSG", "1");

    c.doiMod = MakeUnder(c.ptoc, "sec:DOI", "Mod", "sec:DOI.LNode", 1);
    c.daiModStVal = MakeUnder(c.doiMod, "sec:DAI", "stVal", "sec:DAI.DOI", 1);
    Set(c.daiModStVal, "sec:DAI.valueStr", "1");
    URI_Ref q = MakeUnder(c.doiMod, "sec:DAI", "q", "sec:DAI.DOI", 2);
    (void)q;

    c.extRef = MakeUnder(c.mmxu, "sec:ExtRef", "Trip_In", "sec:ExtRef.LNode", 1);
    Set(c.extRef, "cim:Naming.description", "跳闸输入");
    Link(c.extRef, "sec:DARef.LNode", c.ptoc);
    Set(c.extRef, "sec:DARef.doName", "Op");
    Set(c.extRef, "sec:DARef.daName", "stVal");
    return c;
}

const pugi::xml_document& ExportTest::WriteIcd(const URI_Ref& icd, bool bFromM2I, bool* pOk, const std::string& file) {
    CBase_XML xml;
    EXPECT_TRUE(xml.Load(Path("Template/ICD_Template.xml").c_str()));
    EXPECT_TRUE(xml.Set_Default_NameSpase(kiln::exporter::kSclNamespace));
    CKiln_Export exporter;
    bool ok = exporter.Export_ICD_IED(&app, xml, icd, bFromM2I) &&
              exporter.Export_ICD_TypePackages(xml.Get_NodePtr(xml.GetDocumentElement(), "DataTypeTemplates"), &app,
                                               xml, icd);
    if (pOk)
        *pOk = ok;
    else
        EXPECT_TRUE(ok);
    writtenWithout.clear();
    for (const CString& line : exporter.LeftOut()) writtenWithout.push_back(line.str());
    EXPECT_TRUE(xml.SaveAs(Path(file).c_str(), true));
    return LoadFile(Path(file));
}

std::string ExportTest::ModelText() {
    std::string all;
    for (const char* domain : {kStdDomain, kInstDomain, kIcdDomain}) {
        CString text;
        EXPECT_TRUE(app.DocMtd_DEnv_CimDomainToStr(domain, text)) << domain;
        all += text.str();
    }
    return all;
}

const pugi::xml_document& ExportTest::LoadFile(const std::string& path) {
    pugi::xml_document& doc = docs.emplace_back();
    pugi::xml_parse_result r = doc.load_file(path.c_str());
    EXPECT_TRUE(r) << path << ": " << r.description();
    return doc;
}

std::string ExportTest::ValidateScl(const std::string& path, bool& skipped) {
    const std::string xsd = std::string(KILN_SHARED_DIR) + "/xsd/SCL2007B4/SCL.xsd";
    skipped = !fs::exists(xsd) || std::system("command -v xmllint >/dev/null 2>&1") != 0;
    if (skipped) return std::string();
    const std::string cmd = "xmllint --noout --schema '" + xsd + "' '" + path + "' 2>&1";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        if (pclose(p) == 0) return std::string();
    }
    return out.empty() ? "xmllint failed" : out;
}

std::vector<std::string> Select(const pugi::xml_node& context, const char* xpath) {
    std::vector<std::string> out;
    for (const pugi::xpath_node& n : context.select_nodes(xpath)) {
        if (n.attribute())
            out.emplace_back(n.attribute().value());
        else
            out.emplace_back(n.node().name());
    }
    return out;
}

std::vector<std::string> AttrNames(const pugi::xml_node& element) {
    std::vector<std::string> out;
    for (const pugi::xml_attribute& a : element.attributes()) out.emplace_back(a.name());
    return out;
}

}  // namespace kiln::test
