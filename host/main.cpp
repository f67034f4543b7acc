// kiln: the headless host of the plug-in. It makes workspaces and plays
// event scripts on them (see `kiln --help`).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "core/kiln_main.h"
#include "core/module.h"
#include "host/cli.h"

namespace {

// A standard stream that was closed gets /dev/null opened the other way
// round in its place before anything else is opened: no file the run opens
// (the lock file) takes its number and receives what is written there, and
// it stays as unusable as a closed one (a transcript that cannot be written
// still fails the run). False when it cannot be done.
bool HoldStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int taken = ::open("/dev/null", (fd == STDIN_FILENO ? O_WRONLY : O_RDONLY));
        if (taken != fd) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kiln::host;
    if (!HoldStandardStreams()) {
        static constexpr char kSays[] = "kiln: error: the standard streams cannot be held open\n";
        if (::write(STDERR_FILENO, kSays, sizeof kSays - 1) < 0) {
        }  // nowhere else to say it
        return 1;
    }
    PluginModule module;
    module.entry = KilnModule_Entry;
    module.create = [] { return std::unique_ptr<CBase_AppCim>(new CKiln_Main()); };
    Console console{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0, isatty(STDOUT_FILENO) != 0,
                    isatty(STDERR_FILENO) != 0};
    return RunKiln(std::vector<std::string>(argv + 1, argv + argc), module, console);
}
