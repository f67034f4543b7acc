// ICDs built on the shipped standard definitions with nodes of LLN0, LPHD,
// PTOC, XCBR, MMXU, GGIO and CSWI must be valid SCL: once with instance LN
// types that take over every data object of their classes (so that the file
// holds the standard DO, DA and enumeration types), once with instance types
// instantiated from the classes with each scope; and, with each scope, one
// ICD with a node of every LN class the choice list offers and a type of
// every offered DO and DA class.
#include <filesystem>
#include <map>
#include <set>

#include "export/kiln_export.h"
#include "tests/host/named_breaches.h"
#include "tests/export/export_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

class StdPackageTest : public ::testing::Test {
protected:
    StdPackageTest() {
        app.m_Doc.SetDomainPrefixDefault("kiln");
        char pattern[] = "/tmp/kiln-export-std-XXXXXX";
        ws = mkdtemp(pattern);
        fs::create_directories(ws + "/document");
        fs::create_directories(ws + "/Template");
        for (const char* t : {"ICD_Template.xml", "MICS_Template.xml"})
            fs::copy_file(std::string(KILN_SOURCE_DIR) + "/Template/" + t, ws + "/Template/" + t);
        app.m_Doc.SetDocPath((ws + "/document").c_str());
    }
    ~StdPackageTest() override {
        std::error_code ec;
        fs::remove_all(ws, ec);
    }

    URI_Ref Add(const CString& dom, const char* cls, const CString& name, int ord, const char* role,
                const URI_Ref& parent) {
        URI_Ref r;
        EXPECT_TRUE(app.DocMtd_create_a_Rsc(dom, cls, r, name)) << app.LastDocError();
        if (ord > 0) app.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", CString(std::to_string(ord)));
        if (role) {
            EXPECT_TRUE(app.DocMtd_add_Association(r, role, parent)) << role;
        }
        return r;
    }

    // Imports the shipped standard definitions and opens the document.
    void ImportStandard() {
        URI_Ref type;
        ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
        ASSERT_TRUE(app.Import_ExterDomainFile(type, "sec:TypePackage",
                                               CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml"))
            << app.LastDocError();
        ASSERT_TRUE(app.Msg_OnOpenDocument());
        ASSERT_TRUE(app.DocMtd_get_Association_BUris(app.m_uStdTypePackage, "sec:TypePackage.LNodeTypes", stdTypes,
                                                     "e301:OrdNaming.ord", SortPolicy_ByOrd));
        ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", type));
        ASSERT_TRUE(app.Proc_Create_a_Domain_byType(kDom, type, "ICD", DomainTypeDfn()));
    }
    URI_Ref StdClass(const char* name) {
        for (const URI_Ref& t : stdTypes)
            if (app.DocMtd_getValue_ofAttr(t, "cim:Naming.name") == name) return t;
        ADD_FAILURE() << "no standard class " << name;
        return URI_Ref();
    }
    // An ICD with its IED, server and own instance package (depending on the
    // standard package) and one logical device.
    void MakeIcd(const CString& name, URI_Ref& icd, URI_Ref& pkg, URI_Ref& ld) {
        icd = Add(kDom, "sec:ICD", name, 0, nullptr, URI_Ref());
        URI_Ref ied = Add(kDom, "sec:IED", "TEMPLATE", 0, "sec:IED.ICD", icd);
        URI_Ref server = Add(kDom, "sec:Server", "IED_Server", 0, "sec:Server.IED", ied);
        pkg = Add(kDom, "sec:TypePackage", name + "Pkg", 0, "sec:TypePackage.ICD", icd);
        app.DocMtd_Modify_attribute_value(pkg, "sec:TypePackage.isInstType", "true");
        app.DocMtd_add_Association(pkg, "sec:TypePackage.Depend_TypePackage", app.m_uStdTypePackage);
        ld = Add(kDom, "sec:LDevice", "CTRL", 1, "sec:LDevice.Server", server);
    }
    URI_Ref AddNode(const URI_Ref& ld, const char* cls, int ord, const URI_Ref& type) {
        URI_Ref ln = Add(kDom, "sec:LNode", cls, ord, "sec:LNode.LDevice", ld);
        app.DocMtd_Modify_attribute_value(ln, "sec:LNode.lnInst", "1");
        app.DocMtd_add_Association(ln, "sec:LNode.LNodeType", type);
        return ln;
    }
    // Exports the ICD to <ws>/<file>; "" when xmllint accepts it, else its
    // output ("skipped" when the schema or xmllint is absent).
    std::string ExportAndValidate(const URI_Ref& icd, const std::string& file, pugi::xml_document& doc) {
        ui.AnswerNo("是否由M2I生成DOI DAI").AnswerSaveFile((ws + "/" + file).c_str());
        EXPECT_TRUE(app.Rsc_ICD_Export(icd, false));
        EXPECT_TRUE(doc.load_file((ws + "/" + file).c_str()));
        return Lint(file);
    }
    // Exports the type package to <ws>/<file>.
    void ExportTypes(const URI_Ref& pkg, const std::string& file, pugi::xml_document& doc) {
        ui.AnswerSaveFile((ws + "/" + file).c_str());
        EXPECT_TRUE(app.Rsc_TypePackage_Export(pkg));
        EXPECT_TRUE(doc.load_file((ws + "/" + file).c_str()));
    }
    std::string Lint(const std::string& file) {
        const std::string xsd = std::string(KILN_SHARED_DIR) + "/xsd/SCL2007B4/SCL.xsd";
        if (!fs::exists(xsd) || std::system("command -v xmllint >/dev/null 2>&1") != 0) return "skipped";
        const std::string out = ws + "/lint.txt";
        const std::string cmd = "xmllint --noout --schema '" + xsd + "' '" + ws + "/" + file + "' > " + out + " 2>&1";
        if (std::system(cmd.c_str()) == 0) return std::string();
        std::string lint = "xmllint failed\n";
        if (FILE* f = std::fopen(out.c_str(), "r")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) lint.append(buf, n);
            std::fclose(f);
        }
        return lint;
    }

    // Adds the DO, DA and enumeration types of `from` to the templates of
    // `to`, each id once, leaving out a type with an enumerated member of no
    // enumeration and the types that use it.
    static void JoinTypes(pugi::xml_document& to, const pugi::xml_document& from) {
        pugi::xml_node templates = to.child("SCL").child("DataTypeTemplates");
        std::set<std::string> ids, open;
        for (pugi::xml_node t : templates.children()) ids.insert(t.attribute("id").value());
        for (bool more = true; more;) {
            more = false;
            for (pugi::xml_node t : from.child("SCL").child("DataTypeTemplates").children()) {
                if (open.count(t.attribute("id").value())) continue;
                for (pugi::xml_node m : t.children())
                    if ((std::string(m.attribute("bType").value()) == "Enum" && m.attribute("type").empty()) ||
                        open.count(m.attribute("type").value())) {
                        more = open.insert(t.attribute("id").value()).second;
                        break;
                    }
            }
        }
        for (const char* kind : {"DOType", "DAType", "EnumType"}) {
            for (pugi::xml_node t : from.child("SCL").child("DataTypeTemplates").children(kind)) {
                if (open.count(t.attribute("id").value()) || !ids.insert(t.attribute("id").value()).second) continue;
                pugi::xml_node after;
                for (pugi::xml_node c : templates.children()) {
                    const std::string name = c.name();
                    if (name == "LNodeType" || name == kind || (name == "DOType" && std::string(kind) != "DOType") ||
                        (name == "DAType" && std::string(kind) == "EnumType"))
                        after = c;
                }
                if (after) templates.insert_copy_after(t, after);
                else templates.prepend_copy(t);
            }
        }
    }

    static constexpr const char* kDom = "kiln.icd#";
    static constexpr const char* kClasses[] = {"LLN0", "LPHD", "PTOC", "XCBR", "MMXU", "GGIO", "CSWI"};
    CScriptedUi ui;
    CKiln_Main app;
    std::string ws;
    std::vector<URI_Ref> stdTypes;
};

// The file holds the functional constraints and basic types of the edition.
void ExpectEditionTypes(const pugi::xml_document& doc) {
    for (const char* fc : {"OR", "BL"})
        EXPECT_FALSE(doc.select_node((std::string("//DA[@fc='") + fc + "']").c_str()).node().empty()) << fc;
    for (const char* bType : {"Check", "ObjRef", "VisString129"})
        EXPECT_FALSE(doc.select_node((std::string("//*[@bType='") + bType + "']").c_str()).node().empty()) << bType;
}

TEST_F(StdPackageTest, IcdOfStandardClassesIsValidScl) {
    ImportStandard();
    URI_Ref icd, pkg, ld;
    MakeIcd("Std_Ver1", icd, pkg, ld);
    int ord = 0;
    for (const char* cls : kClasses) {
        ++ord;
        URI_Ref t = Add(kDom, "sec:LNodeType", CString(cls) + "_Inst", ord, "sec:LNodeType.TypePackage", pkg);
        app.DocMtd_Modify_attribute_value(t, "sec:LNodeType.isInstType", "true");
        app.DocMtd_add_Association(t, "sec:LNodeType.ClassOf_LNType", StdClass(cls));
        app.DocMtd_add_Association(t, "sec:LNodeType.Abstract_Type", StdClass(cls));
        AddNode(ld, cls, ord, t);
    }
    pugi::xml_document doc;
    const std::string lint = ExportAndValidate(icd, "std.icd", doc);
    ExpectEditionTypes(doc);
    if (lint == "skipped") GTEST_SKIP() << "../shared/xsd or xmllint is absent: schema not checked";
    EXPECT_EQ(lint, "");
}

TEST_F(StdPackageTest, IcdInstantiatedWithEveryScopeIsValidScl) {
    ImportStandard();
    for (const char* scope : {"with M", "with M/C", "with M/C/O"}) {
        SCOPED_TRACE(scope);
        URI_Ref icd, pkg, ld;
        const std::string tag = std::to_string(std::string(scope).size());
        MakeIcd(CString("Scope") + tag.c_str(), icd, pkg, ld);
        int ord = 0;
        for (const char* cls : kClasses) {
            URI_Ref type;
            ASSERT_TRUE(app.GetType_FromStandard(StdClass(cls), pkg, &type, true, scope)) << cls;
            AddNode(ld, cls, ++ord, type);
        }
        EXPECT_TRUE(ui.Messages().empty());
        pugi::xml_document doc;
        const std::string lint = ExportAndValidate(icd, "scope" + tag + ".icd", doc);
        EXPECT_EQ(doc.select_nodes("/SCL/DataTypeTemplates/LNodeType").size(), 7u);
        if (std::string(scope) == "with M/C/O") ExpectEditionTypes(doc);
        if (lint == "skipped") GTEST_SKIP() << "../shared/xsd or xmllint is absent: schema not checked";
        EXPECT_EQ(lint, "");
        ui.ClearCalls();
    }
}

// Every LN, DO and DA class the choice lists offer, instantiated with each
// scope the question offers into one ICD (a node of every LN class) and its
// type package (every type): the files are valid, and no class is reported
// incomplete. A scope that copies no member of a class copies the next
// level, so that no type is empty; the scope that copies nothing leaves
// empty LN types, the only breach of its files.
struct ScopeRow {
    const char* scope;
    bool copies;  // false: the scope copies no member at all
};
constexpr ScopeRow kScopeRows[] = {
    {"with M/C/O", true}, {"with M", true}, {"with M/C", true}, {"with no", false}};

TEST_F(StdPackageTest, IcdOfEveryOfferedClassWithEveryScopeIsValidScl) {
    ImportStandard();
    std::map<std::string, std::string> exported;  // scope -> the ICD's file
    bool skipped = false;
    for (const ScopeRow& row : kScopeRows) {
        SCOPED_TRACE(row.scope);
        const std::string tag = std::to_string(std::string(row.scope).size());
        URI_Ref icd, pkg, ld;
        MakeIcd(CString("Every") + tag.c_str() + "_Ver1", icd, pkg, ld);
        size_t offeredLn = 0;
        // The LN types in the ICD's package; the DO and the DA types each in
        // a package of their own, which holds one type of each class.
        std::vector<URI_Ref> packages{pkg};
        for (const char* listRole : {"sec:TypePackage.LNodeTypes", "sec:TypePackage.DOTypes", "sec:TypePackage.DATypes"}) {
            const bool lnTypes = std::string(listRole) == "sec:TypePackage.LNodeTypes";
            if (!lnTypes) {
                // Named after the list: "Pkg<tag>DOTypes", "Pkg<tag>DATypes".
                packages.push_back(Add(kDom, "sec:TypePackage", CString("Pkg") + tag.c_str() + (listRole + 16), 0,
                                       nullptr, URI_Ref()));
                app.DocMtd_Modify_attribute_value(packages.back(), "sec:TypePackage.isInstType", "true");
                app.DocMtd_add_Association(packages.back(), "sec:TypePackage.Depend_TypePackage",
                                           app.m_uStdTypePackage);
            }
            Struct_EditPack offered;
            ASSERT_TRUE(app.SetEditPackList_forType(&offered, packages.back(), "", listRole, "", "false"));
            ASSERT_GT(offered.vList.GetSize(), 10) << listRole;
            if (lnTypes) offeredLn = static_cast<size_t>(offered.vList.GetSize());
            int ord = 0;
            for (const auto& [shown, uri] : offered.vList.vPairs) {
                const URI_Ref cls = app.DocMtd_TestBy_URIRef(uri);
                URI_Ref type;
                ASSERT_TRUE(app.GetType_FromStandard(cls, packages.back(), &type, true, row.scope)) << shown;
                if (lnTypes) AddNode(ld, app.DocMtd_getValue_ofAttr(cls, "cim:Naming.name").str().c_str(), ++ord, type);
            }
        }
        // A DO or DA class that leaves an enumeration open (ENS, ENC, ...) is
        // reported incomplete when made alone: its data object names it.
        for (const CString& said : ui.Messages()) EXPECT_EQ(said.Find("标准类不完善（没有指定"), 0) << said.str();
        ui.ClearCalls();
        pugi::xml_document doc;
        const std::string file = "every" + tag + ".icd";
        const std::string lint = ExportAndValidate(icd, file, doc);
        const std::vector<CString> said = ui.Messages();
        exported[row.scope] = ws + "/" + file;
        EXPECT_EQ(doc.select_nodes("/SCL/IED//LN0 | /SCL/IED//LN").size(), offeredLn);
        EXPECT_TRUE(doc.select_node("//DA[@bType='']|//BDA[@bType='']|//DA[@bType='Enum' and not(@type)]").node().empty());
        // The DO and DA types join the ICD's templates, in one file.
        for (size_t k = 1; k < packages.size(); ++k) {
            pugi::xml_document one;
            ExportTypes(packages[k], "every" + tag + "_" + std::to_string(k) + ".Type", one);
            JoinTypes(doc, one);
        }
        doc.save_file((ws + "/joined" + tag + ".icd").c_str());
        const std::string typeLint = Lint("joined" + tag + ".icd");
        ui.ClearCalls();
        skipped = lint == "skipped";
        if (skipped) continue;
        if (row.copies) {
            EXPECT_EQ(lint, "");
            EXPECT_EQ(typeLint, "");
            EXPECT_TRUE(doc.select_node("//DAType[not(BDA)]|//LNodeType[not(DO)]|//DOType[not(*)]").node().empty());
        } else {
            // Empty types are the user's choice here: the export names every
            // schema error of the file, and nothing the schema accepts.
            ASSERT_FALSE(said.empty());
            EXPECT_EQ(SchemaErrorsAgainstBreaches(ws + "/" + file, said.back().str(), lint), "");
        }
    }
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(exported["with M/C/O"].c_str()));
    // Every array member of the definitions is written with its count in
    // each DO type of its CDC, and each type keeps its CDC's order across
    // SDOs and DAs.
    std::vector<URI_Ref> cdcs;
    ASSERT_TRUE(app.DocMtd_get_Association_BUris(app.m_uStdTypePackage, "sec:TypePackage.DOTypes", cdcs,
                                                 "e301:OrdNaming.ord", SortPolicy_ByOrd));
    std::map<std::string, std::map<std::string, std::string>> arrays;  // CDC -> member -> count
    std::map<std::string, std::string> kinds;                           // CDC -> order across kinds
    size_t arrayMembers = 0;
    for (const URI_Ref& cdc : cdcs) {
        const std::string name = app.DocMtd_getValue_ofAttr(cdc, "cim:Naming.name").str();
        kinds[name] = app.DocMtd_getValue_ofAttr(cdc, "sec:DOType.memberKinds").str();
        for (const auto& [role, countRole] : {std::pair{"sec:DOType.Contains_DAs", "sec:BDA.count"},
                                              std::pair{"sec:DOType.Contains_SDOs", "sec:SDO.count"}}) {
            std::vector<URI_Ref> members;
            ASSERT_TRUE(app.DocMtd_get_Association_BUris(cdc, role, members, "e301:OrdNaming.ord", SortPolicy_ByOrd));
            for (const URI_Ref& m : members) {
                const std::string count = app.DocMtd_getValue_ofAttr(m, countRole).str();
                if (count.empty()) continue;
                arrays[name][app.DocMtd_getValue_ofAttr(m, "cim:Naming.name").str()] = count;
                ++arrayMembers;
            }
        }
    }
    // The 16 arrays the name-space definitions declare; CSG's three variants are one member.
    EXPECT_EQ(arrayMembers, 14u);
    std::set<std::string> written;
    for (const pugi::xpath_node& t : doc.select_nodes("/SCL/DataTypeTemplates/DOType")) {
        const std::string cdc = t.node().attribute("cdc").value();
        std::string order;
        for (pugi::xml_node m = t.node().first_child(); m; m = m.next_sibling())
            order += std::string(m.name()) == "SDO" ? "S" : "A";
        if (!kinds[cdc].empty()) {
            EXPECT_EQ(order, kinds[cdc]) << t.node().attribute("id").value();
        }
        for (const auto& [name, count] : arrays[cdc]) {
            EXPECT_EQ(std::string(t.node().find_child_by_attribute("name", name.c_str()).attribute("count").value()),
                      count)
                << t.node().attribute("id").value() << "." << name;
            written.insert(cdc + "." + name);
        }
    }
    EXPECT_EQ(written.size(), arrayMembers);
    if (skipped) GTEST_SKIP() << "../shared/xsd or xmllint is absent: schema not checked";
}

TEST_F(StdPackageTest, MicsInheritedDosFollowEachClassChain) {
    ImportStandard();
    URI_Ref icd, pkg, ld;
    MakeIcd("Mics_Ver1", icd, pkg, ld);
    int ord = 0;
    for (const char* cls : {"PTOC", "MMXU", "XCBR"}) {
        URI_Ref t = Add(kDom, "sec:LNodeType", CString("P_") + cls, ++ord, "sec:LNodeType.TypePackage", pkg);
        app.DocMtd_Modify_attribute_value(t, "sec:LNodeType.prefix", "P");
        app.DocMtd_add_Association(t, "sec:LNodeType.ClassOf_LNType", StdClass(cls));
    }
    CBase_XML xml;
    ASSERT_TRUE(xml.Load((ws + "/Template/MICS_Template.xml").c_str()));
    CKiln_Export exporter;
    ASSERT_TRUE(exporter.Export_MICS(&app, xml, icd));
    ASSERT_TRUE(xml.SaveAs((ws + "/std.mics").c_str(), true));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((ws + "/std.mics").c_str()));

    for (const char* cls : {"PTOC", "MMXU", "XCBR"}) {
        SCOPED_TRACE(cls);
        // The DOs of the class, then of its base classes, in sibling order.
        std::vector<std::string> expected;
        std::vector<URI_Ref> chain;
        app.Get_AbstractTypes(StdClass(cls), &chain, "sec:LNodeType.Abstract_Type");
        EXPECT_GT(chain.size(), 1u);  // the shipped classes have base classes
        for (const URI_Ref& t : chain) {
            std::vector<URI_Ref> dos;
            app.DocMtd_get_Association_BUris(t, "sec:LNodeType.DOs", dos, "e301:OrdNaming.ord", SortPolicy_ByOrd);
            for (const URI_Ref& d : dos) expected.push_back(app.DocMtd_getValue_ofAttr(d, "cim:Naming.name").str());
        }
        const std::string xpath = std::string("/MICS/LNodeTypes/LNodeType[@name_ID='P_") + cls + "']/DO/@name_ID";
        EXPECT_EQ(Select(doc, xpath.c_str()), expected);
    }
}

}  // namespace
}  // namespace kiln::test
