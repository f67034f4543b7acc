// One writer per workspace: a run or an init holds an exclusive lock on the
// workspace's lock file from start to end, and one on its document folder as
// that resolves (a document reached from two workspaces through a link has
// one writer too); a second one refuses at once.
#pragma once

#include <string>

#include "platform/mfc/file_io.h"

namespace kiln::host {

// The lock file inside a workspace folder. It stays (empty) after a run, so
// that a run that changes nothing leaves the workspace as it was.
using kiln::file::kLockFile;

class WorkspaceLock {
public:
    WorkspaceLock() = default;
    WorkspaceLock(const WorkspaceLock&) = delete;
    WorkspaceLock& operator=(const WorkspaceLock&) = delete;
    ~WorkspaceLock() { Release(); }

    // Locks the workspace folder `root` (which must exist), making its lock
    // file when there is none, and its document folder when there is one. False, with a message that names the process
    // holding it, when another process has it; `holder` (when given) then
    // receives that name ("another kiln (process N)"), and stays empty when
    // the lock failed for another reason. With `rootFd` (the open workspace
    // folder, which the caller keeps) the files are opened in that folder,
    // whatever `root` leads to meanwhile; `root` names it in messages.
    bool Acquire(const std::string& root, std::string& error, std::string* holder = nullptr, int rootFd = -1);
    // Gives the lock up; the lock file stays.
    void Release();
    bool Held() const { return m_fd >= 0; }
    // The document folder as it was locked (-1 when there was none): the run
    // reads and saves the document there.
    int DocumentFolder() const { return m_docFd; }
    // Whether this lock made its lock file (there was none before).
    bool MadeFile() const { return m_madeFile; }

private:
    int m_fd = -1;
    int m_docFd = -1;  // the document folder, locked with flock
    bool m_madeFile = false;
};

// Who holds the lock of the workspace folder `root` without taking it:
// "another kiln (process N)" (or "another kiln" when it does not name
// itself in time); empty when nobody holds it or there is no lock file.
std::string LockHolder(const std::string& root);

}  // namespace kiln::host
