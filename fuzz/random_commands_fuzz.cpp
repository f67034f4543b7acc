// Random sessions of a user whose choices are the input's bytes: each byte
// picks the next step, tree item, menu item, answer or field (see
// tests/commands/random_commands.h). A session must neither crash, hang nor
// leak; a refused step changes nothing, and each ICD it exports names every
// schema error it holds and no other (checked with xmllint when
// ../shared/xsd is there).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tests/commands/random_commands.h"
#include "tests/host/named_breaches.h"

namespace {

namespace fs = std::filesystem;

// The workspace the sessions start from, made once per process in memory
// (/dev/shm) where there is one, removed when the process ends.
class Folder {
public:
    Folder() {
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path();
        m_path = base / ("kiln_fuzz_commands_" + std::to_string(getpid()));
        std::string error;
        if (!kiln::test::PrepareWorkspace((m_path / "prepared").string(), error)) std::fprintf(stderr, "%s\n", error.c_str());
        kiln::fuzz::Check(error.empty(), "the workspace the sessions start from");
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Folder folder;
    static const kiln::test::SessionOptions options = [] {
        kiln::test::SessionOptions o;
        o.steps = 40;
        o.xsd = kiln::test::SclSchemaToCheck();
        return o;
    }();
    kiln::test::ByteChoices choices(data, size);
    const kiln::test::SessionResult r = kiln::test::PlaySession(
        (folder.Path() / "prepared").string(), (folder.Path() / "session").string(), choices, options);
    if (!r.faults.empty()) {
        for (const std::string& f : r.faults) std::fprintf(stderr, "fault: %s\n", f.c_str());
        std::fprintf(stderr, "# played after examples/demo.kiln and examples/import.kiln of %s:\n%s",
                     (folder.Path() / "prepared").string().c_str(), r.script.c_str());
        std::abort();
    }
    return 0;
}
