// One run of a workspace: open the document, load the plug-in module and
// construct the plug-in object, let it open the document, play the events,
// save, destroy the plug-in and unload the module. The document is saved
// only when every event has passed.
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/script.h"

class CBase_AppCim;

namespace kiln::host {

class HostUi;
class Transcript;

// What the host needs of a plug-in module.
struct PluginModule {
    // The module's entry point (DLL_PROCESS_ATTACH, DLL_PROCESS_DETACH);
    // may be empty for a module without one.
    std::function<int(int)> entry;
    // Constructs the plug-in object; the host deletes it through its
    // virtual destructor.
    std::function<std::unique_ptr<CBase_AppCim>()> create;
};

struct RunSettings {
    std::string workspace;
    std::vector<Event> events;
    // Questions without a queued answer are asked there (a terminal); when
    // null, they fail the run.
    std::istream* terminalIn = nullptr;
    std::ostream* terminalPrompt = nullptr;
    // Status texts are shown there too (stderr on a terminal).
    std::ostream* progress = nullptr;
};

struct RunResult {
    int status = 0;     // 0 done and saved; 1 failed, the document not saved
    std::string error;  // why it failed
};

// Opens the document of `docFolder` in the plug-in as a run does: its views
// made, the document read (its domains listed in `out`) and accepted by the
// plug-in, the trees' class icons registered. False, with the reason, when
// a step fails. With `docFd` (the folder open), the document is that folder.
bool OpenInPlugin(CBase_AppCim& app, HostUi& ui, Transcript& out, const std::string& docFolder,
                  std::string& error, int docFd = -1);

// Plays the events; the transcript goes to `out`.
RunResult RunWorkspace(const RunSettings& settings, const PluginModule& module, std::ostream& out);

}  // namespace kiln::host
