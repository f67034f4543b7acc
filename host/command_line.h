// The command line of `kiln` and its help texts.
#pragma once

#include <string>
#include <vector>

namespace kiln::host {

struct CommandLine {
    enum class Verb { Help, HelpEvent, Init, Run, Version, HelpInit, HelpRun };
    Verb verb = Verb::Help;
    std::string dir;                       // the workspace of init and run
    std::string script;                    // run: the script file, empty when none
    std::vector<std::string> events;       // run: the -e events, in order
    std::string topic;                     // help EVENT
};

// Parses argv. False, with a message, for a command line that is not right.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& cl, std::string& error);

// The program's version, for `kiln --version`.
constexpr const char* kKilnVersion = "0.1.0";

// `kiln --help`.
std::string UsageText();
// `kiln init --help` and `kiln run --help`.
std::string InitUsageText();
std::string RunUsageText();

// `kiln help EVENT`; false when there is no such event.
bool EventHelpText(const std::string& name, std::string& text);

}  // namespace kiln::host
