#include "host/workspace.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/transcript.h"
#include "host/workspace_lock.h"
#include "platform/framework/cim_doc.h"

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

// Removes, on failure, the folders that InitWorkspace made.
class Undo {
public:
    void Add(fs::path p) { m_paths.push_back(std::move(p)); }
    void Commit() { m_paths.clear(); }
    ~Undo() {
        for (auto it = m_paths.rbegin(); it != m_paths.rend(); ++it) {
            std::error_code ec;
            fs::remove_all(*it, ec);
        }
    }

private:
    std::vector<fs::path> m_paths;
};

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

}  // namespace

namespace {

// A folder whose document folder holds no manifest: a workspace whose making
// stopped half-way. Init and run say the same.
std::string HalfMade(const fs::path& root) {
    return root.string() + " holds a half-made workspace: " + (root / kDocumentFolder / kManifestFile).string() +
           " is missing; remove " + (root / kDocumentFolder).string() + " and " + (root / "Template").string() +
           " (or the whole folder) and run kiln init " + root.string() + " again";
}

}  // namespace

bool InitWorkspace(const std::string& dir, const Installation& inst, Transcript& out, std::string& error) {
    std::error_code ec;
    const fs::path root = fs::absolute(dir, ec);
    const fs::path docFolder = root / kDocumentFolder;
    const fs::path tmplFolder = root / "Template";
    if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
        error = root.string() + " is a file, not a folder";
        return false;
    }
    Undo undo;
    const bool made = !fs::exists(root, ec);
    if (made) {
        if (!fs::create_directories(root, ec)) {
            error = "cannot make the folder " + root.string() + ": " + ec.message();
            return false;
        }
        undo.Add(root);
    }
    // Two inits, or an init beside a run, never work on one folder at once.
    // A refused init removes the lock file only when it made it.
    const bool hadLockFile = fs::exists(root / kLockFile, ec);
    WorkspaceLock lock;
    if (!lock.Acquire(root.string(), error)) return false;
    bool done = false;
    struct DropLock {
        WorkspaceLock& lock;
        bool keepFile;
        bool& done;
        ~DropLock() { lock.Release(!done && !keepFile); }
    } dropLock{lock, made || hadLockFile, done};
    if (fs::is_regular_file(docFolder / kManifestFile, ec)) {
        error = root.string() + " already holds a workspace (" + (docFolder / kManifestFile).string() + " exists)";
        return false;
    }
    if (fs::exists(docFolder, ec)) {
        error = HalfMade(root);
        return false;
    }
    if (fs::exists(tmplFolder, ec)) {
        error = root.string() + " already holds a workspace (" + tmplFolder.string() + " exists)";
        return false;
    }
    undo.Add(tmplFolder);
    int files = 0;
    if (!CopyTemplates(inst.TemplateDir(), tmplFolder, files, error)) return false;

    CBase_CimDoc doc;
    if (!doc.isOpened()) {
        error = "the document cannot be made: " + doc.LastError().str();
        return false;
    }
    doc.SetDomainPrefixDefault(kDefaultDomainPrefix);

    std::string imported;
    const std::string stdFile = inst.StdDomainFile();
    if (!stdFile.empty()) {
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
    }

    undo.Add(docFolder);
    if (!doc.Save(docFolder.string().c_str())) {
        error = "cannot save the document into " + docFolder.string() + ": " + doc.LastError().str();
        return false;
    }
    undo.Commit();
    done = true;

    out.Line("workspace " + root.string());
    out.Line("Template: " + std::to_string(files) + " files from " + inst.TemplateDir(), 2);
    out.Line("document: " + docFolder.string() + " (default domain prefix " + kDefaultDomainPrefix + ")", 2);
    if (imported.empty())
        out.Line("no standard definitions: the installation has no " + std::string(kStdDomainFile), 2);
    else
        out.Line("domain " + imported + ": " + stdFile + " (" + kStdDomainType + ", read-only)", 2);
    return true;
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
    if (!fs::is_regular_file(folder / kManifestFile, ec)) {
        if (fs::exists(folder, ec))
            error = HalfMade(root);
        else
            error = root.string() + " is not a workspace: " + (folder / kManifestFile).string() +
                    " is missing (make one with kiln init DIR)";
        return false;
    }
    docFolder = folder.string();
    return true;
}

}  // namespace kiln::host
