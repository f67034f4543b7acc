// Workspaces: a folder holding Template/ (the installation's templates) and
// the document folder beside it, so that a template is found from the
// document folder as "../Template/<name>".
#pragma once

#include <functional>
#include <string>

#include "platform/mfc/file_io.h"

namespace kiln::host {

class Transcript;

// The names of the document folder and the template folder inside a workspace.
using kiln::file::kDocumentFolder;
using kiln::file::kTemplateFolder;
// The manifest that marks a document folder.
using kiln::file::kManifestFile;
// The default domain prefix of a new document.
constexpr const char* kDefaultDomainPrefix = "kiln";
// The domain type of the standard definitions and the file that holds them.
constexpr const char* kStdDomainType = "二次模型标准定义包3";
constexpr const char* kStdDomainFile = "domains/IEC61850_std.xml";
constexpr const char* kStdDomainClass = "sec:TypePackage";

// Where the installation's files are: $KILN_HOME, or else the folder the
// program was built from.
struct Installation {
    std::string root;

    static Installation Find();
    std::string TemplateDir() const;
    std::string StdDomainFile() const;  // empty when the installation has none
};

// Makes a workspace in `dir` (which must not hold a document yet): copies
// the templates, creates the document with the default domain prefix and,
// when the installation has standard definitions, imports them as a domain
// that cannot be edited. Reports its steps to the transcript. Once it has
// made or found `dir`, it works through that folder as it opened it: its
// folders and files are made and filled through the folders it made, never
// by their paths nor through a link. On failure what it made is removed
// again, through those folders, while it holds the workspace's lock; a
// folder that another kiln works in stays as it is. A folder at or below
// another workspace's document or template folder, by its path or by what
// it or a folder above it holds (kiln's manifest, the templates an init
// copies), is refused before anything is made; the folders of `dir` that
// do not exist are made one by one, each through the folder above it, never
// through a link, and the deepest that existed is judged as it was opened,
// so that nothing lands in another workspace whatever is put in the place of
// a folder of the path. For tests, `beforeLock` runs between making the
// folder and taking the lock, and `beforeMake` between judging the path and
// making its folders.
bool InitWorkspace(const std::string& dir, const Installation& inst, Transcript& out, std::string& error,
                   const std::function<void()>& beforeLock = nullptr,
                   const std::function<void()>& beforeMake = nullptr);

// The document folder of a workspace; false, with a message that says what
// is missing, or which kiln is still making it, when `dir` is not a
// workspace.
bool FindDocumentFolder(const std::string& dir, std::string& docFolder, std::string& error);

}  // namespace kiln::host
