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
#include "fuzz/fuzz_support.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

namespace {

using kiln::fuzz::Check;
using kiln::fuzz::QuietUi;

CString Num(long n) {
    CString t;
    t.Format("%ld", n);
    return t;
}

CString Enum(const char* e, const char* v) { return CString(kiln::cim::kModelNamespace) + "#" + e + "." + v; }

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
    URI_Ref icd;
    app.Rsc_ICD_Import(&icd, kiln::fuzz::AddProduct(app.m_Doc));
    return 0;
}
