#include "tests/editing/checks_fixture.h"

#include <atomic>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kiln::test {

std::ostream& operator<<(std::ostream& os, const Finding& f) {
    return os << "{\"" << f.name << "\", \"" << f.error << "\"}";
}

namespace {

std::vector<Finding> FindingsUnder(const XmlNode& node) {
    std::vector<Finding> out;
    XmlNodeList list = node.SelectNodes("other_error");
    for (long i = 0; i < list.Length(); ++i) {
        Finding f;
        list.Item(i).GetAttribute("name", f.name);
        list.Item(i).GetAttribute("error", f.error);
        out.push_back(f);
    }
    return out;
}

}  // namespace

ChecksTest::ChecksTest() {
    static std::atomic<int> serial{0};
    workspace = fs::temp_directory_path() /
                ("kiln_checks_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
    fs::remove_all(workspace);
    fs::create_directories(workspace / "Template");
    docFolder = workspace / "doc";
    fs::create_directories(docFolder);
    fs::copy_file(fs::path(KILN_SOURCE_DIR) / "Template" / "Report_Template.xml",
                  workspace / "Template" / "Report_Template.xml");
    Doc().SetDocPath(docFolder.string().c_str());

    // P1_PTOC is an ordinary instance type here: its DOs are its own.
    EXPECT_TRUE(Doc().DelLink(m.p1Ptoc, "sec:LNodeType.Abstract_Type", m.ptoc)) << Doc().LastError();
    MakeDO(m.p1Ptoc, "Str", 2, m.p1Sps);
    p1Inc = MakeDOType(m.instPkg, "P1_INC", 2);
    Link(p1Inc, "sec:DOType.ClassOf_DOType", m.inc);
    MakeDA(p1Inc, "stVal", 1, "ST", "INT32");
    MakeDA(p1Inc, "ctlModel", 2, "CF", "Enum", m.ctlModel);
    p1Lln0 = MakeLNodeType(m.instPkg, "P1_LLN0", 2);
    Link(p1Lln0, "sec:LNodeType.ClassOf_LNType", m.lln0);
    MakeDO(p1Lln0, "Beh", 1, p1Inc);
    MakeDO(p1Lln0, "Mod", 2, p1Inc);
    ui.ClearCalls();
}

ChecksTest::~ChecksTest() {
    std::error_code ec;
    fs::remove_all(workspace, ec);
}

void ChecksTest::StartReport() {
    ASSERT_TRUE(app.Load_ReportTemplate(app.m_xmlReport));
    app.m_pReportNode = app.m_xmlReport.Get_NodePtr(app.m_xmlReport.GetDocumentElement(), "other_errors");
    ASSERT_FALSE(app.m_pReportNode.IsNull());
    app.m_nReportErrors = 0;
    app.m_nReportWarnings = 0;
}

std::vector<Finding> ChecksTest::Findings() { return FindingsUnder(app.m_pReportNode); }

std::vector<Finding> ChecksTest::SavedFindings() {
    CBase_XML saved;
    if (!saved.Load((docFolder / "Report.xml").string().c_str())) {
        ADD_FAILURE() << "no report saved";
        return {};
    }
    return FindingsUnder(saved.Get_NodePtr(saved.GetDocumentElement(), "other_errors"));
}

bool ChecksTest::ReportSaved() const { return fs::exists(docFolder / "Report.xml"); }

IcdModel ChecksTest::MakeIcd(const CString& name, bool withPackage) {
    const CString domain = "kiln." + name + "#";
    MakeDomain(domain, "二次模型装置ICD包");
    IcdModel icd;
    icd.icd = Make(domain, "sec:ICD", name);
    icd.ied = MakeUnder(icd.icd, "sec:IED", "TEMPLATE", "sec:IED.ICD");
    icd.server = MakeUnder(icd.ied, "sec:Server", "IED_Server", "sec:Server.IED");
    if (withPackage) Link(m.instPkg, "sec:TypePackage.ICD", icd.icd);
    return icd;
}

URI_Ref ChecksTest::AddLDevice(const URI_Ref& server, const CString& name, int ord) {
    return MakeUnder(server, "sec:LDevice", name, "sec:LDevice.Server", ord);
}

URI_Ref ChecksTest::AddLNode(const URI_Ref& ld, const CString& prefix, const CString& lnClass, const CString& inst,
                             int ord, const URI_Ref& lnType) {
    return MakeLNode(ld, prefix, lnClass, inst, ord, lnType);
}

URI_Ref ChecksTest::AddMember(const URI_Ref& node, const CString& cls, const CString& name, const CString& role,
                              int ord) {
    return MakeUnder(node, cls, name, role, ord);
}

URI_Ref ChecksTest::AddDAI(const URI_Ref& doi, const CString& name, int ord) {
    return MakeUnder(doi, "sec:DAI", name, "sec:DAI.DOI", ord);
}

URI_Ref ChecksTest::AddRef(const CString& cls, const CString& name, const URI_Ref& owner, const CString& ownerRole,
                           const URI_Ref& target, const CString& doName, const CString& daName) {
    URI_Ref ref = owner.IsSet() ? MakeUnder(owner, cls, name, ownerRole) : Make(DomainOf(target), cls, name);
    Link(ref, "sec:DARef.LNode", target);
    if (!doName.IsEmpty()) Set(ref, "sec:DARef.doName", doName);
    if (!daName.IsEmpty()) Set(ref, "sec:DARef.daName", daName);
    return ref;
}

}  // namespace kiln::test
