// The ICD import command on one input as the chosen file, in a fresh
// document with a small standard package and a product: the import may
// refuse the file or report what it finds, never crash, hang or leak.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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
// document folder, removed when the process ends; in memory (/dev/shm)
// where there is one, since every input is written there as the chosen file.
class Workspace {
public:
    Workspace() {
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
        m_path = base / ("kiln_fuzz_icd_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_path / "Template");
        std::filesystem::create_directories(m_path / "doc");
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / "Report_Template.xml",
                                   m_path / "Template" / "Report_Template.xml",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    ~Workspace() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace

// Each input meets a fresh document, so that everything an import allocates
// is released by the end of the input and libFuzzer's leak check looks at
// that input alone.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Workspace workspace;
    static const std::filesystem::path file = workspace.Path() / "input.icd";
    static QuietUi quiet;
    static CUiServicesScope scope(&quiet);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::error_code ec;
    std::filesystem::remove(workspace.Path() / "doc" / "Report.xml", ec);
    quiet.file = file.string().c_str();
    CKiln_Main app;
    BuildStandard(app);
    app.m_Doc.SetDocPath((workspace.Path() / "doc").string().c_str());
    URI_Ref type, prodPkg, product, icd;
    CBase_CimDoc& doc = app.m_Doc;
    Check(doc.FindDomainType("二次模型装置类型包", type), "domain type");
    Check(doc.CreateDomain("kiln.pp#", type, "pp", true), "product domain");
    Check(doc.CreateResource("kiln.pp#", "sec:ProductPackage", prodPkg, "PP"), "product package");
    Check(doc.CreateResource("kiln.pp#", "sec:Product", product, "P"), "product");
    Check(doc.AddLink(product, "sec:Product.ProductPackage", prodPkg), "product link");
    app.Rsc_ICD_Import(&icd, product);
    return 0;
}
