// What the host's tests share: a temporary folder, a small installation
// (templates and standard definitions), a workspace made from it, a
// snapshot of a saved document, and a run of a script against the plug-in
// double.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "host/session.h"

namespace kiln::host::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return m_path; }
    std::string str(const std::string& sub = "") const { return (sub.empty() ? m_path : m_path / sub).string(); }

private:
    std::filesystem::path m_path;
};

// An installation in `root`: Template/ with the five templates and, when
// `withDomains`, domains/IEC61850_std.xml holding a standard package
// "IEC61850" with the LN types LLN0 and LPHD.
void MakeInstallation(const std::filesystem::path& root, bool withDomains = true);

void WriteFile(const std::filesystem::path& file, const std::string& text);
std::string ReadFile(const std::filesystem::path& file);

// True when `part` occurs in `text`.
inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Every file of a folder (name -> content), to see that a document was not
// touched.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

// The outcome of a run: its transcript and result.
struct Played {
    RunResult result;
    std::string transcript;
};

// A workspace made from a small installation, and runs of scripts on it
// against the plug-in double.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Workspace() const { return m_dir.str("ws"); }
    std::filesystem::path DocFolder() const { return m_dir.path() / "ws" / "document"; }

    // Parses the script (it must parse) and plays it. With `terminal`, the
    // questions nobody answered read their answers from it.
    Played Play(const std::string& script, const std::string* terminal = nullptr);

    TempDir m_dir;
    PluginModule m_module;
    int m_attached = 0;
    int m_detached = 0;
};

}  // namespace kiln::host::test
