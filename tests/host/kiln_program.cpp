#include "tests/host/kiln_program.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <tuple>

#include "tests/host/named_breaches.h"

namespace kiln::test {

std::pair<int, std::string> RunShell(const std::string& cmd) {
    std::string out;
    FILE* p = popen((cmd + " < /dev/null 2>&1").c_str(), "r");
    if (!p) return {-1, out};
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int rc = pclose(p);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, out};
}

std::string KilnCommand(const std::string& args) {
    return std::string("KILN_HOME='") + KILN_SOURCE_DIR + "' '" + KILN_BINARY + "' " + args;
}

std::pair<int, std::string> RunKiln(const std::string& args) {
    return RunShell(KilnCommand(args));
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

SclValidation ValidateScl(const std::filesystem::path& file) {
    const std::string xsd = SclSchemaToCheck();
    SclValidation v;
    if (xsd.empty()) return v;
    v.done = true;
    std::tie(v.status, v.output) = RunShell("xmllint --noout --schema '" + xsd + "' '" + file.string() + "'");
    return v;
}

}  // namespace kiln::test
