// Random sessions of a user whose choices are the input's bytes: each byte
// picks the next step, tree item, menu item, answer or field (see
// tests/commands/random_commands.h). A session must neither crash, hang nor
// leak; a refused step changes nothing, and each ICD it exports names every
// schema error it holds and no other (checked with xmllint when
// ../shared/xsd is there).
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

// The workspace the sessions start from, made once per process.
class Folder : public kiln::fuzz::ScratchFolder {
public:
    Folder() : ScratchFolder("kiln_fuzz_commands") {
        std::string error;
        if (!kiln::test::PrepareWorkspace((Path() / "prepared").string(), error)) std::fprintf(stderr, "%s\n", error.c_str());
        kiln::fuzz::Check(error.empty(), "the workspace the sessions start from");
    }
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
