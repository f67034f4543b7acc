#include "host/cli.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/transcript.h"
#include "host/workspace.h"

namespace kiln::host {

bool CollectEvents(const CommandLine& cl, std::vector<Event>& events, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!cl.script.empty()) {
        // A folder opens like a file but reads as nothing: the run would play
        // no event and still save.
        std::ifstream in(cl.script, std::ios::binary);
        if (!in || fs::is_directory(cl.script, ec)) {
            error = "cannot read the script " + cl.script + (in ? ": it is a folder" : "");
            return false;
        }
        std::ostringstream text;
        text << in.rdbuf();
        ScriptError bad;
        const size_t first = events.size();
        if (!ParseScript(text.str(), cl.script, events, bad)) {
            error = bad.What();
            return false;
        }
        const std::string dir = fs::absolute(cl.script, ec).parent_path().string();
        for (size_t i = first; i < events.size(); ++i) events[i].baseDir = dir;
    }
    const std::string cwd = fs::current_path(ec).string();
    for (size_t i = 0; i < cl.events.size(); ++i) {
        Event ev;
        bool has = false;
        ScriptError bad;
        if (!ParseLine(cl.events[i], "-e", static_cast<int>(i + 1), ev, has, bad)) {
            error = bad.What();
            return false;
        }
        if (!has) continue;
        ev.baseDir = cwd;
        events.push_back(std::move(ev));
    }
    return true;
}

int RunKiln(const std::vector<std::string>& args, const PluginModule& module, Console& console) {
    auto usage = [&](const std::string& error) {
        console.err << "kiln: " << error << "\n(kiln --help explains the command line)\n";
        return kExitUsage;
    };
    CommandLine cl;
    std::string error;
    if (!ParseCommandLine(args, cl, error)) return usage(error);

    switch (cl.verb) {
        case CommandLine::Verb::Help:
            console.out << UsageText();
            return kExitOk;
        case CommandLine::Verb::HelpEvent: {
            std::string text;
            if (!EventHelpText(cl.topic, text)) return usage("there is no event \"" + cl.topic + "\"");
            console.out << text;
            return kExitOk;
        }
        case CommandLine::Verb::Init: {
            Transcript out(console.out);
            if (!InitWorkspace(cl.dir, Installation::Find(), out, error)) {
                console.err << "kiln: error: " << error << "\n";
                return kExitFailed;
            }
            return kExitOk;
        }
        case CommandLine::Verb::Run: break;
    }

    RunSettings settings;
    settings.workspace = cl.dir;
    if (!CollectEvents(cl, settings.events, error)) return usage(error);
    if (console.inTerminal) {
        settings.terminalIn = &console.in;
        settings.terminalPrompt = &console.err;
    }
    // On a terminal that also shows the transcript, the status lines are the
    // progress; otherwise stderr shows them as they come.
    if (console.errTerminal && !console.outTerminal) settings.progress = &console.err;
    RunResult result = RunWorkspace(settings, module, console.out);
    // The transcript holds the error; a terminal also hears of it when the
    // transcript goes elsewhere.
    if (result.status != kExitOk && !console.outTerminal) console.err << "kiln: error: " << result.error << "\n";
    return result.status;
}

}  // namespace kiln::host
