// What the import targets that meet a fresh document for every input share:
// a workspace folder with the report template beside the document folder,
// a user interface that answers every question, and the document of one
// input (a small standard package, the document folder set). Each input
// meets its own document, so that everything an import allocates is
// released by the end of the input and libFuzzer's leak check looks at that
// input alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/import_bench_model.h"
#include "core/kiln_main.h"
#include "fuzz/fuzz_support.h"
#include "platform/ui/ui_services.h"

namespace kiln::fuzz {

class ImportWorkspace : public ScratchFolder {
public:
    explicit ImportWorkspace(const std::string& name) : ScratchFolder(name) {
        std::filesystem::create_directories(Path() / "Template");
        std::filesystem::create_directories(Path() / "doc");
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / "Report_Template.xml",
                                   Path() / "Template" / "Report_Template.xml",
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // Writes the input as the chosen file `name`, without the report an
    // input before left, and readies the document: the standard package,
    // the document folder.
    void Choose(CKiln_Main& app, const char* name, const uint8_t* data, size_t size) {
        const std::filesystem::path file = Path() / name;
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        std::error_code ec;
        std::filesystem::remove(Path() / "doc" / "Report.xml", ec);
        ui.file = file.string().c_str();
        kiln::bench::BuildStandard(app);
        app.m_Doc.SetDocPath((Path() / "doc").string().c_str());
    }

    QuietUi ui;
    CUiServicesScope scope{&ui};
};

}  // namespace kiln::fuzz
