#include "host/workspace.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string_view>
#include <system_error>
#include <vector>

#include "host/transcript.h"
#include "host/workspace_lock.h"
#include "platform/framework/cim_doc.h"
#include "platform/mfc/file_io.h"

#ifndef KILN_INSTALL_DIR
#define KILN_INSTALL_DIR "."
#endif

namespace fs = std::filesystem;

namespace kiln::host {

Installation Installation::Find() {
    const char* home = std::getenv("KILN_HOME");
    return Installation{home && *home ? home : KILN_INSTALL_DIR};
}

std::string Installation::TemplateDir() const { return (fs::path(root) / "Template").string(); }

std::string Installation::StdDomainFile() const {
    fs::path p = fs::path(root) / kStdDomainFile;
    std::error_code ec;
    return fs::is_regular_file(p, ec) ? p.string() : std::string();
}

namespace {

bool CopyTemplates(const fs::path& from, const fs::path& to, int& count, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) {
        error = "the installation has no template folder " + from.string() + " (set KILN_HOME)";
        return false;
    }
    fs::copy(from, to, fs::copy_options::recursive, ec);
    if (ec) {
        error = "cannot copy the templates from " + from.string() + " to " + to.string() + ": " + ec.message();
        return false;
    }
    count = 0;
    for (auto it = fs::recursive_directory_iterator(to, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file()) ++count;
    return true;
}

bool HasManifest(const fs::path& root) {
    std::error_code ec;
    return fs::is_regular_file(root / kDocumentFolder / kManifestFile, ec);
}

// What is wrong with the manifest `manifest` that is no regular file:
// "is missing", "is a dangling link", "is a folder", "is a FIFO", ...
std::string ManifestFault(const fs::path& manifest) {
    const std::string kind = kiln::file::KindAt(manifest.string());
    return kind.empty() ? "is missing" : "is " + kind;
}

// The document of a new workspace: the default domain prefix and, when the
// installation has standard definitions, their read-only domain, whose name
// `imported` receives.
bool MakeDocument(CBase_CimDoc& doc, const Installation& inst, std::string& imported, std::string& error) {
    if (!doc.isOpened()) {
        error = "the document cannot be made: " + doc.LastError().str();
        return false;
    }
    doc.SetDomainPrefixDefault(kDefaultDomainPrefix);
    const std::string stdFile = inst.StdDomainFile();
    if (stdFile.empty()) return true;
    URI_Ref type;
    if (!doc.FindDomainType(kStdDomainType, type)) {
        error = std::string("the document has no domain type ") + kStdDomainType;
        return false;
    }
    CString domain;
    if (!doc.ImportDomainFile(stdFile.c_str(), type, kStdDomainClass, "", &domain)) {
        error = "cannot import " + stdFile + ": " + doc.LastError().str();
        return false;
    }
    if (!doc.SetDomainEditable(domain, false)) {
        error = "cannot make the domain " + domain.str() + " read-only: " + doc.LastError().str();
        return false;
    }
    imported = domain.str();
    return true;
}

// What an init of `inst` writes into the document folder (file name ->
// bytes), made in memory; false when it cannot be made.
bool InitFiles(const Installation& inst, std::map<std::string, std::string>& files) {
    CBase_CimDoc doc;
    std::string imported, error;
    return MakeDocument(doc, inst, imported, error) && doc.SaveInMemory(files);
}

// Whether the document folder holds anything besides its manifest that an
// init did not write: the domain files and reports of saved work. An init
// that stopped half-way left nothing, or the installation's standard domain
// as an init saves it (byte for byte), or a part of it (a domain file is
// written in place, a kill leaves its beginning), or a part of its
// manifest. Without `inst`, any other file counts.
bool HoldsSavedFiles(const fs::path& docFolder, const Installation* inst) {
    std::error_code ec;
    std::map<std::string, std::string> init;
    bool made = false;
    for (auto it = fs::directory_iterator(docFolder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == kManifestFile) continue;
        if (!inst || (!made && !(made = true, InitFiles(*inst, init)))) return true;
        std::string bytes;
        if (!kiln::file::ReadFile(it->path().string(), bytes)) return true;
        // The init's file `of`, whole or its beginning.
        auto begins = [&](std::string_view of) {
            const auto own = init.find(std::string(of));
            return own != init.end() && own->second.compare(0, bytes.size(), bytes) == 0;
        };
        if (begins(name)) continue;
        // A temporary is the init's when it begins a file the init writes, or
        // is the manifest's (which counts only once it has its name).
        std::string_view target;
        pid_t writer = 0;
        if (kiln::file::TemporaryOf(name, target, writer) && (target == kManifestFile || begins(target))) continue;
        return true;
    }
    return false;
}

// A folder with the document folder but no manifest, or with Template/ and
// a lock file (`hadLockFile`: there before this kiln came), which an init
// makes first: a workspace whose making stopped half-way. Init and run say
// the same, and name what to remove: what only an init made. A manifest
// lost beside saved files, or something else in its place, is named
// instead: the files stay.
bool HalfMade(const fs::path& root, bool hadLockFile, const Installation& inst, std::string& error) {
    std::error_code ec;
    const fs::path docFolder = root / kDocumentFolder;
    const fs::path tmplFolder = root / "Template";
    // An init makes folders there: anything else is the user's, named as
    // what it is and left alone.
    for (const auto& [p, what] : {std::pair{docFolder, "document folder"}, {tmplFolder, "template folder"}})
        if (const std::string kind = kiln::file::KindAt(p.string()); !kind.empty() && kind != "a folder") {
            error = root.string() + " holds " + p.string() + ", which is " + kind + ", where a workspace has its " +
                    what + "; nothing was changed";
            return true;
        }
    const fs::path manifest = docFolder / kManifestFile;
    const std::string fault = ManifestFault(manifest);
    const bool saved = HoldsSavedFiles(docFolder, fault == "is missing" ? &inst : nullptr);
    if (saved || fault != "is missing") {
        error = root.string() + " holds a workspace whose manifest " + manifest.string() + " " + fault + "; " +
                (saved ? "the saved files in " + docFolder.string() + " are kept and " : "") +
                "nothing was changed: put the manifest back (from a backup) to open the workspace";
        return true;
    }
    if (!fs::exists(docFolder, ec) && !(hadLockFile && fs::exists(tmplFolder, ec))) return false;
    std::string made;
    for (const fs::path& p : {docFolder, tmplFolder})
        if (fs::exists(p, ec)) made += (made.empty() ? "" : " and ") + p.string();
    const bool initsOwn = fs::exists(docFolder, ec) && !fs::is_empty(docFolder, ec);
    error = root.string() + " holds a half-made workspace: " + manifest.string() + " is missing" +
            (initsOwn ? " and " + docFolder.string() + " holds only what an init writes" : "") + "; remove " + made +
            " and run kiln init " + root.string() + " again";
    return true;
}

// A workspace's document folder named where a workspace is meant: its
// workspace is the folder above, named instead, and no workspace is made
// inside it.
bool IsDocumentFolder(const fs::path& root, std::string& error) {
    std::error_code ec;
    fs::path named = root.lexically_normal();
    if (!named.has_filename()) named = named.parent_path();
    if (HasManifest(root) || !fs::is_regular_file(root / kManifestFile, ec) || named.filename() != kDocumentFolder)
        return false;
    error = named.string() + " is the document folder of the workspace " + named.parent_path().string() +
            ", not a workspace (run kiln run " + named.parent_path().string() + ")";
    return true;
}

// A folder at or below the document or template folder of a workspace, by
// its path as given or as its deepest existing folder resolves: an init
// makes no workspace among another's files, and a run names the workspace.
// `error` names it, then `tail`.
bool InsideWorkspace(const fs::path& root, const std::string& tail, std::string& error) {
    std::error_code ec;
    fs::path named = root.lexically_normal();
    if (!named.has_filename()) named = named.parent_path();
    fs::path existing = named;
    while (!fs::exists(existing, ec) && existing.has_relative_path()) existing = existing.parent_path();
    const fs::path resolved = fs::canonical(existing, ec);
    // Each path from `root` itself (when it stands for it) up to the top.
    for (const auto& [start, isRoot] : {std::pair{named, true}, {ec ? fs::path() : resolved, existing == named}})
        for (fs::path folder = start; folder.has_relative_path(); folder = folder.parent_path()) {
            const std::string name = folder.filename().string();
            const fs::path workspace = folder.parent_path();
            if ((name != kDocumentFolder && name != "Template") || !HasManifest(workspace)) continue;
            const std::string what = name == kDocumentFolder ? "document folder" : "template folder";
            error = root.string() +
                    (isRoot && folder == start ? " is the " + what : " is inside the " + what + " " + folder.string()) +
                    " of the workspace " + workspace.string() + tail;
            return true;
        }
    return false;
}

// An init at work holds the lock until its manifest is written.
std::string InitAtWork(const fs::path& root, const std::string& holder) {
    return holder + " is making a workspace in " + root.string() + "; nothing was changed";
}

// The steps of an init on the locked folder `root`; `made` receives what
// they made, for a failure to remove.
bool MakeWorkspace(const fs::path& root, bool hadLockFile, const Installation& inst, Transcript& out,
                   std::vector<fs::path>& made, std::string& error) {
    std::error_code ec;
    const fs::path docFolder = root / kDocumentFolder;
    const fs::path tmplFolder = root / "Template";
    if (HasManifest(root)) {
        error = root.string() + " already holds a workspace (" + (docFolder / kManifestFile).string() + " exists)";
        return false;
    }
    if (HalfMade(root, hadLockFile, inst, error)) return false;
    if (fs::exists(tmplFolder, ec)) {
        error = root.string() + " already holds a workspace (" + tmplFolder.string() + " exists)";
        return false;
    }
    // A failed init removes what it made, never what it found (a link).
    auto making = [&](const fs::path& p) {
        if (!fs::exists(fs::symlink_status(p, ec))) made.push_back(p);
    };
    making(tmplFolder);
    int files = 0;
    if (!CopyTemplates(inst.TemplateDir(), tmplFolder, files, error)) return false;

    CBase_CimDoc doc;
    std::string imported;
    if (!MakeDocument(doc, inst, imported, error)) return false;

    making(docFolder);
    if (!doc.Save(docFolder.string().c_str())) {
        error = "cannot save the document into " + docFolder.string() + ": " + doc.LastError().str();
        return false;
    }

    out.Line("workspace " + root.string());
    out.Line("Template: " + std::to_string(files) + " files from " + inst.TemplateDir(), 2);
    out.Line("document: " + docFolder.string() + " (default domain prefix " + kDefaultDomainPrefix + ")", 2);
    if (imported.empty())
        out.Line("no standard definitions: the installation has no " + std::string(kStdDomainFile), 2);
    else
        out.Line("domain " + imported + ": " + inst.StdDomainFile() + " (" + kStdDomainType + ", read-only)", 2);
    return true;
}

}  // namespace

bool InitWorkspace(const std::string& dir, const Installation& inst, Transcript& out, std::string& error,
                   const std::function<void()>& beforeLock) {
    std::error_code ec;
    const fs::path root = fs::absolute(dir, ec);
    if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
        error = root.string() + " is a file, not a folder";
        return false;
    }
    if (IsDocumentFolder(root, error) ||
        InsideWorkspace(root, "; no workspace is made inside another, nothing was changed", error))
        return false;
    // Of two inits, the one whose mkdir makes the folder made it; the other
    // finds it there.
    const bool madeRoot = fs::create_directories(root, ec);
    if (ec) {
        error = "cannot make the folder " + root.string() + ": " + ec.message();
        return false;
    }
    if (beforeLock) beforeLock();
    // Two inits, or an init beside a run, never work on one folder at once;
    // one refused by another's lock leaves the folder to it.
    WorkspaceLock lock;
    std::string holder;
    if (!lock.Acquire(root.string(), error, &holder)) {
        if (!holder.empty() && !HasManifest(root)) error = InitAtWork(root, holder);
        return false;
    }
    std::vector<fs::path> made;
    if (MakeWorkspace(root, !lock.MadeFile(), inst, out, made, error)) return true;
    // A failed init removes, while it holds the lock, only what it made: the
    // folder too when it made it and nothing else came into it meanwhile.
    // The lock file it made stays when another kiln has made a workspace
    // there since (the file is the workspace's now).
    for (auto it = made.rbegin(); it != made.rend(); ++it) fs::remove_all(*it, ec);
    if (lock.MadeFile() && !HasManifest(root)) fs::remove(root / kLockFile, ec);
    if (madeRoot) fs::remove(root, ec);  // an empty folder only
    lock.Release();
    return false;
}

bool FindDocumentFolder(const std::string& dir, std::string& docFolder, std::string& error) {
    std::error_code ec;
    const fs::path root = fs::absolute(dir, ec);
    if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
        error = root.string() + " is a file, not a workspace folder (make a workspace with kiln init DIR)";
        return false;
    }
    if (!fs::is_directory(root, ec)) {
        error = "no workspace at " + root.string() + ": the folder does not exist (make one with kiln init " + dir +
                ")";
        return false;
    }
    const fs::path folder = root / kDocumentFolder;
    // No manifest yet: an init that holds the lock is still making it, and
    // may have finished by the time it is asked.
    if (!HasManifest(root)) {
        if (const std::string holder = LockHolder(root.string()); !holder.empty()) {
            error = InitAtWork(root, holder) + ", try again when it has finished";
            return false;
        }
    }
    if (IsDocumentFolder(root, error)) return false;
    if (!HasManifest(root)) {
        if (InsideWorkspace(root, ", not a workspace", error)) return false;
        if (!HalfMade(root, fs::exists(root / kLockFile, ec), Installation::Find(), error))
            error = root.string() + " is not a workspace: " + (folder / kManifestFile).string() +
                    " is missing (make one with kiln init DIR)";
        return false;
    }
    docFolder = folder.string();
    return true;
}

}  // namespace kiln::host
