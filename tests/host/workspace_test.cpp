#include "host/workspace.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <sstream>

#include "host/transcript.h"
#include "host/workspace_lock.h"
#include "platform/framework/cim_doc.h"
#include "tests/host/host_fixture.h"

using namespace kiln::host;
using namespace kiln::host::test;
namespace fs = std::filesystem;

TEST(HostWorkspace, InitCopiesTemplatesAndImportsTheStandardDefinitionsReadOnly) {
    TempDir dir;
    MakeInstallation(dir.path() / "install");
    std::ostringstream out;
    Transcript t(out);
    std::string error;
    ASSERT_TRUE(InitWorkspace(dir.str("ws"), Installation{dir.str("install")}, t, error)) << error;
    EXPECT_EQ(ReadFile(dir.path() / "ws" / "Template" / "Report_Template.xml"),
              ReadFile(dir.path() / "install" / "Template" / "Report_Template.xml"));
    EXPECT_TRUE(fs::exists(dir.path() / "ws" / "Template" / "ICD_Template.xml"));
    EXPECT_NE(out.str().find("Template: 5 files"), std::string::npos) << out.str();

    std::string folder;
    ASSERT_TRUE(FindDocumentFolder(dir.str("ws"), folder, error)) << error;
    EXPECT_EQ(folder, dir.str("ws/document"));
    CBase_CimDoc doc;
    ASSERT_TRUE(doc.Open(folder.c_str())) << doc.LastError();
    EXPECT_EQ(doc.GetDomainPrefixDefault(), kDefaultDomainPrefix);
    ASSERT_TRUE(doc.Is_DomainExist("kiln.IEC61850_std#"));
    EXPECT_EQ(doc.DomainTypeName("kiln.IEC61850_std#"), kStdDomainType);
    EXPECT_FALSE(doc.IsDomainEditable("kiln.IEC61850_std#"));
    URI_Ref pkg = doc.Find("kiln.IEC61850_std#TP1");
    ASSERT_FALSE(pkg.IsEmpty());
    std::vector<URI_Ref> types;
    doc.Targets(pkg, "sec:TypePackage.LNodeTypes", types);
    EXPECT_EQ(types.size(), 2u);
    // The document environment offers the domain types the plug-in creates domains of.
    URI_Ref type;
    for (const char* name : {"二次模型标准定义包3", "二次模型数据类型包", "二次模型装置类型包", "二次模型装置ICD包"})
        EXPECT_TRUE(doc.FindDomainType(name, type)) << name;

    // A second init changes nothing.
    const auto before = Snapshot(folder);
    EXPECT_FALSE(InitWorkspace(dir.str("ws"), Installation{dir.str("install")}, t, error));
    EXPECT_NE(error.find("already holds a workspace"), std::string::npos) << error;
    EXPECT_EQ(Snapshot(folder), before);
}

TEST(HostWorkspace, AnInstallationWithoutDomainsGivesAnEmptyDocument) {
    TempDir dir;
    MakeInstallation(dir.path() / "install", false);
    std::ostringstream out;
    Transcript t(out);
    std::string error;
    ASSERT_TRUE(InitWorkspace(dir.str("ws"), Installation{dir.str("install")}, t, error)) << error;
    EXPECT_NE(out.str().find("no standard definitions"), std::string::npos) << out.str();
    CBase_CimDoc doc;
    ASSERT_TRUE(doc.Open(dir.str("ws/document").c_str())) << doc.LastError();
    EXPECT_EQ(doc.DomainNames().size(), 1u);  // the environment only
}

TEST(HostWorkspace, AFailedInitLeavesNothingBehind) {
    TempDir dir;
    std::ostringstream out;
    Transcript t(out);
    std::string error;
    // No templates in the installation.
    EXPECT_FALSE(InitWorkspace(dir.str("ws"), Installation{dir.str("install")}, t, error));
    EXPECT_NE(error.find("has no template folder"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir.path() / "ws"));
    // A template missing: named, and no workspace made whose template
    // folder nothing would know.
    MakeInstallation(dir.path() / "install");
    fs::remove(dir.path() / "install" / "Template" / "M2I_Template.xml");
    fs::create_directory(dir.path() / "install" / "Template" / "ITB_Template.xml.d");
    fs::remove(dir.path() / "install" / "Template" / "ITB_Template.xml");
    fs::rename(dir.path() / "install" / "Template" / "ITB_Template.xml.d", dir.path() / "install" / "Template" / "ITB_Template.xml");
    EXPECT_FALSE(InitWorkspace(dir.str("ws"), Installation{dir.str("install")}, t, error));
    EXPECT_EQ(error, "the installation's template folder " + dir.str("install/Template") + " lacks the templates " +
                         "ITB_Template.xml and M2I_Template.xml, which a workspace needs (set KILN_HOME); nothing was changed");
    EXPECT_FALSE(fs::exists(dir.path() / "ws"));
    fs::remove_all(dir.path() / "install");

    // Standard definitions that cannot be read: the folders made go again,
    // a folder that was there stays.
    MakeInstallation(dir.path() / "install");
    WriteFile(dir.path() / "install" / "domains" / "IEC61850_std.xml", "<rdf:RDF><broken");
    fs::create_directories(dir.path() / "ws");
    EXPECT_FALSE(InitWorkspace(dir.str("ws"), Installation{dir.str("install")}, t, error));
    EXPECT_NE(error.find("cannot import"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(dir.path() / "ws"));
    EXPECT_TRUE(fs::is_empty(dir.path() / "ws"));
    EXPECT_EQ(out.str(), "");

    std::string folder;
    EXPECT_FALSE(FindDocumentFolder(dir.str("ws"), folder, error));
    EXPECT_NE(error.find("is not a workspace"), std::string::npos) << error;

    // A link that leads nowhere in the place of a folder an init makes is
    // the user's: named, and left where it was.
    MakeInstallation(dir.path() / "install");
    for (const char* name : {"document", "Template"}) {
        const fs::path ws = dir.path() / ("linked_" + std::string(name));
        fs::create_directories(ws);
        fs::create_symlink("nowhere", ws / name);
        EXPECT_FALSE(InitWorkspace(ws.string(), Installation{dir.str("install")}, t, error)) << name;
        EXPECT_EQ(error, ws.string() + " holds " + (ws / name).string() + ", which is a dangling link, where a " +
                             "workspace has its " + (name[0] == 'd' ? "document" : "template") +
                             " folder; nothing was changed");
        EXPECT_TRUE(fs::is_symlink(ws / name)) << name;
    }
}

namespace {

// Every file and folder below `root` (relative name -> content; "/" for a
// folder); nothing when `root` is gone.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        out[fs::relative(it->path(), root).string()] = it->is_directory() ? "/" : ReadFile(it->path());
    return out;
}

// A process that holds the lock of `root` as an init at work does, having
// made `root`/Template; it lets go when the object goes.
class OtherInit {
public:
    explicit OtherInit(const fs::path& root) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            close(release[1]);
            WorkspaceLock lock;
            std::string error;
            char ok = lock.Acquire(root.string(), error) ? 1 : 0;
            if (ok) WriteFile(root / "Template" / "Report_Template.xml", "<Report/>");
            if (write(ready[1], &ok, 1) != 1) _exit(1);
            char c;
            (void)!read(release[0], &c, 1);  // until the parent closes its end
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char ok = 0;
        m_holding = read(ready[0], &ok, 1) == 1 && ok == 1;
        close(ready[0]);
    }
    ~OtherInit() {
        if (m_release >= 0) close(m_release);
        if (m_pid > 0) waitpid(m_pid, nullptr, 0);
    }
    bool Holding() const { return m_holding; }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};

}  // namespace

// An init that made the folder and then lost the race for it to another
// kiln leaves the other's work alone: a whole workspace with work saved in
// it, or an init still at work, which it names.
TEST(HostWorkspace, ARefusedInitRemovesOnlyWhatItMade) {
    TempDir dir;
    MakeInstallation(dir.path() / "install");
    const Installation inst{dir.str("install")};
    std::ostringstream out;
    Transcript t(out);
    std::string error;

    std::map<std::string, std::string> finished;
    ASSERT_FALSE(InitWorkspace(dir.str("ws"), inst, t, error, [&] {
        std::string second;
        ASSERT_TRUE(InitWorkspace(dir.str("ws"), inst, t, second)) << second;
        WriteFile(dir.path() / "ws" / "document" / "Report.xml", "<work saved by a run/>");
        finished = Tree(dir.path() / "ws");
    }));
    EXPECT_NE(error.find("already holds a workspace"), std::string::npos) << error;
    EXPECT_EQ(Tree(dir.path() / "ws"), finished);
    std::string folder;
    EXPECT_TRUE(FindDocumentFolder(dir.str("ws"), folder, error)) << error;

    std::unique_ptr<OtherInit> other;
    std::map<std::string, std::string> atWork;
    EXPECT_FALSE(InitWorkspace(dir.str("ws2"), inst, t, error, [&] {
        other = std::make_unique<OtherInit>(dir.path() / "ws2");
        atWork = Tree(dir.path() / "ws2");
    }));
    ASSERT_TRUE(other && other->Holding());
    EXPECT_EQ(error, "another kiln (process " + std::to_string(other->Pid()) + ") is making a workspace in " +
                         dir.str("ws2") + "; nothing was changed");
    EXPECT_EQ(Tree(dir.path() / "ws2"), atWork);
    EXPECT_TRUE(fs::exists(dir.path() / "ws2" / "Template" / "Report_Template.xml"));
    other.reset();

    // The folder above swapped for a link to a folder of another workspace
    // between the judging of the path and the making of its folders: the
    // init judges the folder as it opened it, and makes nothing there.
    fs::remove(dir.path() / "ws" / "Template" / "M2I_Template.xml");
    const fs::path x = dir.path() / "x";
    const std::string nested = "; no workspace is made inside another, nothing was changed";
    for (const auto& [folder, why] :
         {std::pair{std::string(kDocumentFolder), "it holds kiln's manifest " + dir.str("ws/document/document.xml")},
          {"Template", "the document folder beside it holds kiln's manifest " + dir.str("ws/document/document.xml")}}) {
        fs::create_directory(x);
        const auto before = Tree(dir.path() / "ws");
        EXPECT_FALSE(InitWorkspace((x / "in").string(), inst, t, error, nullptr, [&] {
            fs::rename(x, dir.path() / "x.aside");
            fs::create_directory_symlink(dir.path() / "ws" / folder, x);
        }));
        EXPECT_EQ(error, (x / "in").string() + " is inside the " + (folder == "Template" ? "template" : "document") +
                             " folder " + dir.str("ws/" + folder) + " of a workspace (" + why + ")" + nested);
        EXPECT_EQ(Tree(dir.path() / "ws"), before) << folder;
        fs::remove(x);
        fs::remove(dir.path() / "x.aside");
    }
}
