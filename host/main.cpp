// kiln: the headless host of the plug-in. It makes workspaces and plays
// event scripts on them (see `kiln --help`).
#include <unistd.h>

#include <iostream>

#include "core/kiln_main.h"
#include "core/module.h"
#include "host/cli.h"

int main(int argc, char** argv) {
    using namespace kiln::host;
    PluginModule module;
    module.entry = KilnModule_Entry;
    module.create = [] { return std::unique_ptr<CBase_AppCim>(new CKiln_Main()); };
    Console console{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0, isatty(STDOUT_FILENO) != 0,
                    isatty(STDERR_FILENO) != 0};
    return RunKiln(std::vector<std::string>(argv + 1, argv + argc), module, console);
}
