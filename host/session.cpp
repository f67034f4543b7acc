#include "host/session.h"

#include <filesystem>

#include "host/answers.h"
#include "host/host_ui.h"
#include "host/player.h"
#include "host/transcript.h"
#include "host/workspace.h"
#include "host/workspace_lock.h"
#include "platform/framework/app_cim.h"
#include "platform/framework/wnd.h"
#include "platform/mfc/extension_module.h"
#include "platform/mfc/file_io.h"

namespace kiln::host {

namespace {

void PrintDomains(CBase_CimDoc& doc, Transcript& out) {
    int count = 0;
    for (const CString& name : doc.DomainNames()) {
        if (name == kEnvDomain) continue;
        ++count;
        std::string line = name.str();
        const CString type = doc.DomainTypeName(name);
        if (!type.IsEmpty()) line += "  " + type.str();
        if (!doc.IsDomainEditable(name)) line += "  read-only";
        out.Line(line, 4);
    }
    if (count == 0) out.Line("(no domains)", 4);
}

}  // namespace

bool OpenInPlugin(CBase_AppCim& app, HostUi& ui, Transcript& out, const std::string& docFolder,
                  std::string& error, int docFd) {
    app.Mtd_CreateStandardViews();
    AfxSetMainWnd(app.Mtd_MainWnd());
    ui.SetApp(&app);
    if (!app.m_Doc.Open(docFolder.c_str(), docFd)) {
        error = "cannot open the document " + docFolder + ": " + app.LastDocError().str();
        return false;
    }
    out.Line("[document] opened");
    PrintDomains(app.m_Doc, out);
    bool accepted = false;
    if (!GuardedCall(ui, [&] { accepted = app.Msg_OnOpenDocument(); }, error)) return false;
    if (!accepted) {
        error = "the plug-in refused the document";
        return false;
    }
    // The trees are set up: each registers its class icons.
    for (const auto& view : app.Mtd_Views()) {
        if (view->m_nKind != ViewClass_Tree) continue;
        if (!GuardedCall(ui, [&] { app.TreeMsg_OnPresetClassIcons(view.get()); }, error)) return false;
    }
    return true;
}

RunResult RunWorkspace(const RunSettings& settings, const PluginModule& module, std::ostream& outStream) {
    Transcript out(outStream);
    out.SetProgress(settings.progress);
    RunResult result;
    bool savedUnsynced = false;
    auto fail = [&](const std::string& error) {
        result.status = 1;
        result.error = error;
        out.Error(error);
        out.Line(savedUnsynced ? "the document was saved, but may not have reached the disk"
                               : "the document was not saved");
        return result;
    };

    std::string docFolder;
    std::string error;
    if (!FindDocumentFolder(settings.workspace, docFolder, error)) return fail(error);
    // The whole run, from open to save, is the only one on this workspace.
    const std::filesystem::path root = std::filesystem::path(docFolder).parent_path();
    WorkspaceLock lock;
    if (!lock.Acquire(root.string(), error)) return fail(error);
    // The workspace's own folders and lock file, as they are now and as
    // their names lead later, and the document folder the run locked: no
    // file a user chose goes into or over them, however its path reaches
    // them.
    const kiln::file::KeptOut keptOut({docFolder, (root / kTemplateFolder).string(), (root / kLockFile).string()},
                                      {lock.DocumentFolder()});
    Answerer answers;
    answers.SetTerminal(settings.terminalIn, settings.terminalPrompt);
    HostUi ui(out, answers);
    CUiServicesScope scope(&ui);

    if (module.entry && module.entry(DLL_PROCESS_ATTACH) == 0)
        return fail("the plug-in module did not load (its entry point refused to attach)");
    std::unique_ptr<CBase_AppCim> app;
    bool saved = false;
    if (GuardedCall(ui, [&] { app = module.create(); }, error) && !app) error = "the plug-in object was not made";

    // The document is read from, and saved into, the folder the lock holds.
    if (error.empty()) OpenInPlugin(*app, ui, out, docFolder, error, lock.DocumentFolder());
    if (error.empty()) {
        Player player(*app, ui, out, answers, docFolder);
        for (const Event& ev : settings.events)
            if (!player.Play(ev, error)) break;
        if (error.empty()) error = answers.Unused();
        // Nobody could read what a run did whose transcript was lost.
        if (error.empty()) error = out.WriteFailure();
        if (error.empty()) saved = player.Save(error);
        savedUnsynced = !saved && app->m_Doc.SavedUnsynced();
    }

    // A run not saved leaves the files that follow the document's saves (its
    // report) as the last save had them.
    if (app && (!error.empty() || !saved)) app->m_Doc.RestoreUnsavedFiles();
    // The plug-in is destroyed and the module unloaded whatever happened.
    if (app) {
        std::string ignored;
        ui.SetApp(nullptr);
        GuardedCall(ui, [&] { app.reset(); }, ignored);
        AfxSetMainWnd(nullptr);
    }
    if (module.entry) module.entry(DLL_PROCESS_DETACH);
    out.EndProgress();
    if (!error.empty() || !saved) return fail(error.empty() ? "the document was not saved" : error);
    if (const std::string lost = out.WriteFailure(); !lost.empty()) {
        result.status = 1;
        result.error = lost + " (the document was saved)";
    }
    return result;
}

}  // namespace kiln::host
