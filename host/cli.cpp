#include "host/cli.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/text.h"
#include "host/transcript.h"
#include "host/workspace.h"
#include "platform/mfc/file_io.h"

namespace kiln::host {
namespace {

bool ReadPipe(const std::string& path, std::string& text, std::string& reason) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = std::strerror(errno);
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

}  // namespace

bool CollectEvents(const CommandLine& cl, std::vector<Event>& events, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!cl.script.empty()) {
        // A folder opens like a file but reads as nothing: the run would play
        // no event and still save.
        // A script may come through a pipe (`kiln run W <(...)`): it is read
        // to its end, before the workspace is locked, as the user asked.
        std::string text, reason;
        struct stat st {};
        const bool pipe = ::stat(cl.script.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
        if (pipe ? !ReadPipe(cl.script, text, reason) : !kiln::file::ReadFile(cl.script, text, reason)) {
            error = "cannot read the script " + cl.script + ": " + (reason == "is a folder" ? "it is a folder" : reason);
            return false;
        }
        ScriptError bad;
        const size_t first = events.size();
        if (!ParseScript(text, cl.script, events, bad)) {
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
        console.err << "kiln: " << Visible(error) << "\n(kiln --help explains the command line)\n";
        return kExitUsage;
    };
    CommandLine cl;
    std::string error;
    if (!ParseCommandLine(args, cl, error)) return usage(error);

    switch (cl.verb) {
        case CommandLine::Verb::Help:
            console.out << UsageText();
            return kExitOk;
        case CommandLine::Verb::Version:
            console.out << "kiln " << kKilnVersion << "\n";
            return kExitOk;
        case CommandLine::Verb::HelpInit:
            console.out << InitUsageText();
            return kExitOk;
        case CommandLine::Verb::HelpRun:
            console.out << RunUsageText();
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
                console.err << "kiln: error: " << Visible(error) << "\n";
                return kExitFailed;
            }
            if (const std::string lost = out.WriteFailure(); !lost.empty()) {
                console.err << "kiln: error: " << Visible(lost) << " (the workspace was made)\n";
                return kExitFailed;
            }
            return kExitOk;
        }
        case CommandLine::Verb::Run: break;
    }

    RunSettings settings;
    settings.workspace = cl.dir;
    // A bad script is no command-line error: it is named, without the hint.
    if (!CollectEvents(cl, settings.events, error)) {
        console.err << "kiln: error: " << Visible(error) << "\n";
        return kExitUsage;
    }
    if (console.inTerminal) {
        settings.terminalIn = &console.in;
        settings.terminalPrompt = &console.err;
    }
    // On a terminal that also shows the transcript, the status lines are the
    // progress; otherwise stderr shows them as they come.
    if (console.errTerminal && !console.outTerminal) settings.progress = &console.err;
    RunResult result = RunWorkspace(settings, module, console.out);
    // The transcript keeps its own line; stderr hears of the error once.
    if (result.status != kExitOk) console.err << "kiln: error: " << Visible(result.error) << "\n";
    return result.status;
}

}  // namespace kiln::host
