// The ICD import command on one input as the chosen file, in a fresh
// document with a small standard package and a product: the import may
// refuse the file or report what it finds, never crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/import_bench_model.h"
#include "core/kiln_main.h"
#include "fuzz/fuzz_support.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

namespace {

using kiln::bench::BuildStandard;
using kiln::fuzz::Check;
using kiln::fuzz::QuietUi;

// A workspace folder with the report template beside the document folder.
class Workspace : public kiln::fuzz::ScratchFolder {
public:
    Workspace() : ScratchFolder("kiln_fuzz_icd") {
        std::filesystem::create_directories(Path() / "Template");
        std::filesystem::create_directories(Path() / "doc");
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / "Report_Template.xml",
                                   Path() / "Template" / "Report_Template.xml",
                                   std::filesystem::copy_options::overwrite_existing);
    }
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
    app.Rsc_ICD_Import(&icd, kiln::bench::AddProduct(app.m_Doc));
    return 0;
}
