// A document folder opened from a manifest and one domain file, both from
// the input (split at the first "\n--\n"), and saved again when it opened.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/framework/cim_doc.h"

namespace {

// A folder of this process, in memory where there is such a file system,
// removed when the process ends.
struct Scratch {
    std::string path;
    Scratch() {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        path = std::string(base) + "/kiln_fuzz_open_" + std::to_string(getpid());
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::string& Folder() {
    static const Scratch scratch;
    return scratch.path;
}

void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string& folder = Folder();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder, ec);
    size_t cut = input.find("\n--\n");
    Put(folder + "/document.xml", input.substr(0, cut));
    if (cut != std::string::npos) Put(folder + "/domain-1-g1.xml", input.substr(cut + 4));
    CBase_CimDoc doc;
    if (doc.isOpened() && doc.Open(folder.c_str())) doc.Save();
    return 0;
}
