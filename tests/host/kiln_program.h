// Runs the kiln program from end-to-end tests and reads what it wrote: the
// program is started through the shell with no terminal on its standard
// input, and its standard output and error come back as one transcript; SCL
// files it wrote are checked against the schema.
#pragma once

#include <filesystem>
#include <string>
#include <utility>

namespace kiln::test {

// Runs the shell command with standard input from /dev/null and standard
// error folded into standard output; its exit status (-1 when it did not
// exit normally or could not start) and its output.
std::pair<int, std::string> RunShell(const std::string& cmd);

// The shell command that runs the built kiln program with the arguments
// (already quoted for the shell), with the source tree as its installation.
std::string KilnCommand(const std::string& args);

// Runs kiln with the arguments; its exit status and transcript.
std::pair<int, std::string> RunKiln(const std::string& args);

// The whole content of the file, byte for byte (empty when it cannot be read).
std::string ReadAll(const std::filesystem::path& file);

// The file checked by xmllint against ../shared/xsd/SCL2007B4/SCL.xsd: done
// is false when the schema or xmllint is missing; otherwise xmllint's exit
// status and output.
struct SclValidation {
    bool done = false;
    int status = -1;
    std::string output;
    // No fault found: not done, or xmllint accepted the file.
    bool Ok() const { return !done || status == 0; }
};
SclValidation ValidateScl(const std::filesystem::path& file);

}  // namespace kiln::test
