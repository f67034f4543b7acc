#include "tests/host/host_fixture.h"

#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "host/transcript.h"
#include "host/workspace.h"
#include "platform/mfc/extension_module.h"
#include "tests/host/plugin_double.h"

namespace fs = std::filesystem;

namespace kiln::host::test {

TempDir::TempDir() {
    std::random_device rd;
    m_path = fs::temp_directory_path() / ("kiln-host-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
    fs::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

void WriteFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void MakeInstallation(const fs::path& root, bool withDomains) {
    WriteFile(root / "Template" / "Report_Template.xml", "<Report><other_errors/></Report>\n");
    WriteFile(root / "Template" / "ICD_Template.xml", "<SCL><DataTypeTemplates/></SCL>\n");
    for (const char* other : {"MICS_Template.xml", "ITB_Template.xml", "M2I_Template.xml"})
        WriteFile(root / "Template" / other, "<Template/>\n");
    if (!withDomains) return;
    WriteFile(root / "domains" / "IEC61850_std.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"
         xmlns:cim="http://iec.ch/TC57/2003/CIM-schema-cim10#"
         xmlns:sec="http://kiln.local/Zel/2006/CIM-Sec#"
         xmlns:e301="http://kiln.local/Zel/2006/e301#"
         xmlns:dEnv="http://kiln.local/Zel/2006/dEnv#">
  <sec:TypePackage rdf:ID="TP1">
    <cim:Naming.name>IEC61850</cim:Naming.name>
    <sec:TypePackage.ref>http://www.iec.ch/61850/2003</sec:TypePackage.ref>
  </sec:TypePackage>
  <sec:LNodeType rdf:ID="LNT_LLN0">
    <cim:Naming.name>LLN0</cim:Naming.name>
    <e301:OrdNaming.ord>1</e301:OrdNaming.ord>
    <sec:LNodeType.TypePackage rdf:resource="#TP1"/>
  </sec:LNodeType>
  <sec:LNodeType rdf:ID="LNT_LPHD">
    <cim:Naming.name>LPHD</cim:Naming.name>
    <e301:OrdNaming.ord>2</e301:OrdNaming.ord>
    <sec:LNodeType.TypePackage rdf:resource="#TP1"/>
  </sec:LNodeType>
</rdf:RDF>
)");
}

std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().filename().string()] = ReadFile(e.path());
    return files;
}

void HostTest::SetUp() {
    CPluginDouble::Reset();
    MakeInstallation(m_dir.path() / "install");
    std::ostringstream out;
    Transcript t(out);
    std::string error;
    ASSERT_TRUE(InitWorkspace(Workspace(), Installation{m_dir.str("install")}, t, error)) << error;
    m_module.entry = [this](int reason) {
        if (reason == DLL_PROCESS_ATTACH) ++m_attached;
        if (reason == DLL_PROCESS_DETACH) ++m_detached;
        return 1;
    };
    m_module.create = [] { return std::unique_ptr<CBase_AppCim>(new CPluginDouble()); };
}

void HostTest::TearDown() {
    // Whatever a run did, the plug-in is destroyed and the module unloaded.
    EXPECT_EQ(CPluginDouble::s_nConstructed, CPluginDouble::s_nDestroyed);
    EXPECT_EQ(m_attached, m_detached);
}

Played HostTest::Play(const std::string& script, const std::string* terminal) {
    RunSettings settings;
    settings.workspace = Workspace();
    ScriptError bad;
    EXPECT_TRUE(ParseScript(script, "t.kiln", settings.events, bad)) << bad.What();
    for (auto& ev : settings.events) ev.baseDir = m_dir.str();
    std::istringstream in(terminal ? *terminal : "");
    std::ostringstream prompt;
    if (terminal) {
        settings.terminalIn = &in;
        settings.terminalPrompt = &prompt;
    }
    std::ostringstream out;
    Played run;
    run.result = RunWorkspace(settings, m_module, out);
    run.transcript = out.str();
    return run;
}

}  // namespace kiln::host::test
