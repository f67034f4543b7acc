#include "host/command_line.h"

#include <cstdio>

#include "host/events.h"

namespace kiln::host {

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& cl, std::string& error) {
    cl = CommandLine{};
    auto wrong = [&](std::string message) {
        error = std::move(message);
        return false;
    };
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        if (args.size() > 1) return wrong("--help takes nothing after it");
        cl.verb = CommandLine::Verb::Help;
        return true;
    }
    const std::string& verb = args[0];
    if (verb == "--version" || verb == "-V") {
        if (args.size() > 1) return wrong("--version takes nothing after it");
        cl.verb = CommandLine::Verb::Version;
        return true;
    }
    // "kiln init --help": that command's usage (a run's is below).
    if (verb == "init" && args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
        cl.verb = CommandLine::Verb::HelpInit;
        return true;
    }
    if (verb == "help") {
        if (args.size() > 2) return wrong("usage: kiln help [EVENT]");
        if (args.size() == 2) {
            cl.verb = CommandLine::Verb::HelpEvent;
            cl.topic = args[1];
        }
        return true;
    }
    if (verb == "init") {
        if (args.size() != 2 || args[1].empty() || args[1][0] == '-') return wrong("usage: kiln init DIR");
        cl.verb = CommandLine::Verb::Init;
        cl.dir = args[1];
        return true;
    }
    if (verb != "run") return wrong("unknown command \"" + verb + "\"");
    cl.verb = CommandLine::Verb::Run;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-e") {
            if (i + 1 >= args.size()) return wrong("-e needs an event, e.g. -e 'tree'");
            cl.events.push_back(args[++i]);
        } else if (a == "--help" || a == "-h") {
            // Asked for help anywhere among its words, a run gives its usage.
            cl = CommandLine{};
            cl.verb = CommandLine::Verb::HelpRun;
            return true;
        } else if (a.size() > 1 && a[0] == '-') {
            return wrong("unknown option " + a + " of kiln run");
        } else if (cl.dir.empty()) {
            cl.dir = a;
        } else if (cl.script.empty()) {
            cl.script = a;
        } else {
            return wrong("kiln run takes one workspace and at most one script");
        }
    }
    if (cl.dir.empty()) return wrong("usage: kiln run DIR [SCRIPT] [-e EVENT]...");
    if (cl.script.empty() && cl.events.empty()) return wrong("kiln run needs a script or at least one -e EVENT");
    return true;
}

std::string InitUsageText() {
    return "usage: kiln init DIR\n"
           "\n"
           "Makes a workspace in DIR (made when missing): DIR/Template, copied from the installation,\n"
           "and the document DIR/document with the default domain prefix \"kiln\" and, when the\n"
           "installation has them, the standard definitions as a read-only domain. A folder that\n"
           "already holds a workspace is refused; a failed init leaves nothing behind.\n";
}

std::string RunUsageText() {
    return "usage: kiln run DIR SCRIPT [-e EVENT]...\n"
           "       kiln run DIR -e EVENT [-e EVENT]...\n"
           "\n"
           "Opens the document of the workspace DIR, plays the script's events and then the -e events,\n"
           "and saves the document when every event has passed (only what changed is written). One\n"
           "run at a time: a second run on the same workspace refuses at once. The exit status is 0\n"
           "on success, 1 when the run fails (the document is not saved, but for a save whose folder\n"
           "could not be synced), 2 for a wrong command line or script. kiln --help lists the events;\n"
           "kiln help EVENT explains one.\n";
}

std::string UsageText() {
    std::string s =
        "kiln: the headless host of the IEC 61850 device-model editor\n"
        "\n"
        "usage:\n"
        "  kiln init DIR                       make a workspace: DIR/Template and the document DIR/document\n"
        "  kiln run DIR SCRIPT [-e EVENT]...   open the workspace's document, play the script's events\n"
        "  kiln run DIR -e EVENT [-e EVENT]... and the -e events after them, then save the document\n"
        "  kiln help EVENT                     explain one event\n"
        "  kiln init --help, kiln run --help   the usage of one command\n"
        "  kiln --version                      the program's version\n"
        "  kiln --help                         this text\n"
        "\n"
        "A run opens the document, starts the plug-in, plays the events and saves the document only\n"
        "when every event has passed. Message boxes, status texts and questions are printed in the\n"
        "order they come. A question for which no `answer` is queued is asked on the terminal when\n"
        "the standard input is one; otherwise, and when the queued answer does not fit it, the run\n"
        "fails and the document is not saved.\n"
        "The exit status is 0 on success, 1 when a run fails, 2 for a wrong command line or script.\n"
        "\n"
        "Events (one a line in a script; a line beginning with # is a comment; quote texts that\n"
        "hold blanks with \"...\"):\n";
    for (const auto& e : EventDefs()) {
        char line[256];
        std::snprintf(line, sizeof line, "  %-28s %s\n", e.usage, e.summary);
        s += line;
    }
    s +=
        "\n"
        "The installation's templates and standard domains are read from $KILN_HOME (by default\n"
        "the folder kiln was built from): $KILN_HOME/Template and $KILN_HOME/domains.\n";
    return s;
}

bool EventHelpText(const std::string& name, std::string& text) {
    const EventDef* e = FindEventDef(name);
    if (!e) return false;
    text = std::string("usage: ") + e->usage + "\n\n" + e->help + "\n";
    return true;
}

}  // namespace kiln::host
