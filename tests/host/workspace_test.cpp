#include "host/workspace.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/transcript.h"
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
    EXPECT_NE(out.str().find("Template: 2 files"), std::string::npos) << out.str();

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
}
