// The ICD import command on one input as the chosen file, in a document with
// a small standard package and a product: the import may refuse the file or
// report what it finds, never crash, hang or leak.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/kiln_main.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s\n", what);
    std::abort();
}

CString Num(long n) {
    CString t;
    t.Format("%ld", n);
    return t;
}

CString Enum(const char* e, const char* v) { return CString(kiln::cim::kModelNamespace) + "#" + e + "." + v; }

// Every question answered: the file dialog gives the input's file, the
// dependency question keeps its preset, message boxes say No.
class QuietUi : public Ifc_UiServices {
public:
    int MessageBox(Enum_UiCall, const CString& text, UINT, const CString&) override {
        last = text;
        return IDNO;
    }
    CString last;
    // The dependency question keeps its preset (the standard package).
    bool InputBox(const CString&, CString&, const Struct_EditPack*, bool) override { return true; }
    int ButtonChoice(const CString&, const CString&, const Struct_Pairs&, int) override { return -1; }
    int PickResource(const CString&, const Struct_Pairs&, int) override { return -1; }
    bool FileDialog(const Struct_UiFileRequest&, CString& path) override {
        path = file;
        return true;
    }
    CString file;
    UINT TrackPopupMenu(const Struct_UiMenu&) override { return 0; }
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest&) override { return {}; }
    void StatusText(const CString&) override {}
    void AllViewsRefresh(const CString&, const URI_Ref&, int) override {}
    void AllViewsLocate(const CString&, const URI_Ref&, int) override {}
    void ViewRefresh(const CString&, int) override {}
    void ViewShow(const CString&, const URI_Ref&, const CString&, const CString&, int) override {}
    bool ShellOpen(const CString&, const CString&) override { return false; }
    void WaitCursor(bool) override {}
    void CommonMenu(const CString&, const URI_Ref&) override {}
    POINT CursorPos() override { return POINT{0, 0}; }
};

// A standard package with the classes and CDCs the file uses.
void BuildStandard(CKiln_Main& app) {
    CBase_CimDoc& doc = app.m_Doc;
    doc.SetDomainPrefixDefault("kiln");
    URI_Ref type;
    Check(doc.FindDomainType("二次模型标准定义包3", type), "domain type");
    Check(doc.CreateDomain("kiln.std#", type, "std", true), "std domain");
    auto make = [&](const char* cls, const CString& name, const URI_Ref& parent, const char* role) {
        URI_Ref r;
        Check(doc.CreateResource("kiln.std#", cls, r, name), "create");
        if (parent.IsSet()) Check(doc.AddLink(r, role, parent), "link");
        return r;
    };
    URI_Ref pkg = make("sec:TypePackage", "IEC61850", URI_Ref(), "");
    doc.SetAttribute(pkg, "sec:TypePackage.ref", kStdTypePackageRef);
    doc.SetAttribute(pkg, "sec:TypePackage.isInstType", "false");
    URI_Ref sps = make("sec:DOType", "SPS", pkg, "sec:DOType.TypePackage");
    URI_Ref inc = make("sec:DOType", "INC", pkg, "sec:DOType.TypePackage");
    int ord = 0;
    for (const URI_Ref& cdc : {sps, inc}) {
        URI_Ref st = make("sec:DA", "stVal", cdc, "sec:DA.MemberOf_DOType");
        doc.SetAttribute(st, "sec:DA.fc_0", Enum("FCType", "ST"));
        doc.SetAttribute(st, "e301:OrdNaming.ord", Num(++ord));
        URI_Ref q = make("sec:DA", "q", cdc, "sec:DA.MemberOf_DOType");
        doc.SetAttribute(q, "sec:DA.fc_0", Enum("FCType", "ST"));
    }
    for (const char* cls : {"LLN0", "LPHD", "GGIO"}) {
        URI_Ref t = make("sec:LNodeType", cls, pkg, "sec:LNodeType.TypePackage");
        make("sec:DO", "Beh", t, "sec:DO.LNodeType");
    }
    Check(app.Msg_OnOpenDocument(), "open");
}

// A workspace folder of this process with the report template beside the
// document folder; in memory (/dev/shm) where there is one, since every
// input is written there as the chosen file.
const std::filesystem::path& Workspace() {
    static const std::filesystem::path ws = [] {
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
        const std::filesystem::path p = base / ("kiln_fuzz_icd_" + std::to_string(getpid()));
        std::filesystem::create_directories(p / "Template");
        std::filesystem::create_directories(p / "doc");
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / "Report_Template.xml",
                                   p / "Template" / "Report_Template.xml",
                                   std::filesystem::copy_options::overwrite_existing);
        return p;
    }();
    return ws;
}

// The document every input is imported into: the standard package and a
// product, built once. After each input the domains the import made are
// deleted; when the two built domains no longer read as they did, and after
// every kRebuildEvery inputs (the store keeps the slots of deleted
// resources), the session is built afresh, so each input meets the same
// content.
class Session {
public:
    static constexpr int kRebuildEvery = 256;

    Session() : m_scope(&m_ui) { Build(); }

    void Import(const CString& file) {
        m_ui.file = file;
        URI_Ref icd;
        m_app->Rsc_ICD_Import(&icd, m_product);
        if (++m_runs % kRebuildEvery == 0 || !Reset()) Build();
    }

private:
    void Build() {
        m_app.reset();
        m_app = std::make_unique<CKiln_Main>();
        BuildStandard(*m_app);
        CBase_CimDoc& doc = m_app->m_Doc;
        doc.SetDocPath((Workspace() / "doc").string().c_str());
        URI_Ref type, prodPkg;
        Check(doc.FindDomainType("二次模型装置类型包", type), "domain type");
        Check(doc.CreateDomain("kiln.pp#", type, "pp", true), "product domain");
        Check(doc.CreateResource("kiln.pp#", "sec:ProductPackage", prodPkg, "PP"), "product package");
        Check(doc.CreateResource("kiln.pp#", "sec:Product", m_product, "P"), "product");
        Check(doc.AddLink(m_product, "sec:Product.ProductPackage", prodPkg), "product link");
        m_domains = doc.DomainNames();
        m_built.clear();
        for (const char* cls : {"dEnv:DomainType", "sec:TypePackage", "sec:DOType", "sec:DA", "sec:LNodeType", "sec:DO",
                                "sec:ProductPackage", "sec:Product"}) {
            std::vector<URI_Ref> list;
            doc.ByClass(cls, list);
            m_built.insert(m_built.end(), list.begin(), list.end());
        }
        Check(static_cast<int>(m_built.size()) == doc.ResourceCount(), "every built resource listed");
        m_content = Content();
    }
    // Every value and link of the resources the session built, read through
    // the document, and the number of live resources: equal texts mean the
    // document holds what it held after Build.
    std::string Content() {
        const CBase_CimDoc& doc = m_app->m_Doc;
        std::string all = std::to_string(doc.ResourceCount());
        std::vector<URI_Ref> targets;
        for (const URI_Ref& r : m_built) {
            CClassDfn& cls = m_classes[r.sClass];
            if (cls.sText1.IsEmpty()) doc.GetClassDfn(r.sClass.c_str(), cls);
            all += "\n" + r.sUri;
            for (const Struct_AttrDfn& a : cls.vAttrs) {
                CString value;
                doc.GetAttribute(r, a.sText1, value);
                all += '\x1f' + value.str();
            }
            for (const Struct_AssoDfn& a : cls.vAssos) {
                doc.Targets(r, a.sText1, targets);
                all += '\x1e';
                for (const URI_Ref& t : targets) all += t.sUri + '\x1f';
            }
        }
        return all;
    }
    // Deletes every domain the import made; false when what was built changed.
    bool Reset() {
        CBase_CimDoc& doc = m_app->m_Doc;
        for (const CString& d : doc.DomainNames())
            if (std::find(m_domains.begin(), m_domains.end(), d) == m_domains.end() && !doc.Delete_a_Domain(d))
                return false;
        return doc.DomainNames() == m_domains && Content() == m_content;
    }

    QuietUi m_ui;
    CUiServicesScope m_scope;
    std::unique_ptr<CKiln_Main> m_app;
    URI_Ref m_product;
    std::vector<CString> m_domains;
    std::vector<URI_Ref> m_built;
    std::map<std::string, CClassDfn> m_classes;
    std::string m_content;
    int m_runs = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path file = Workspace() / "input.icd";
    static Session session;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::error_code ec;
    std::filesystem::remove(Workspace() / "doc" / "Report.xml", ec);
    session.Import(file.string().c_str());
    return 0;
}
