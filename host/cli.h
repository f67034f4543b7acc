// The whole `kiln` command line, apart from the choice of plug-in module
// and of the process's streams, so that tests can run it.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/script.h"
#include "host/session.h"

namespace kiln::host {

// Exit statuses of kiln.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The process's streams and which of them are terminals.
struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inTerminal = false;
    bool outTerminal = false;
    bool errTerminal = false;
};

// Reads and checks the script and the -e events of a run, before anything
// runs. Relative paths of a script's events are taken from the script's
// folder, those of -e events from the current folder.
bool CollectEvents(const CommandLine& cl, std::vector<Event>& events, std::string& error);

// Runs `kiln ARGS...` (without the program name); the exit status.
int RunKiln(const std::vector<std::string>& args, const PluginModule& module, Console& console);

}  // namespace kiln::host
