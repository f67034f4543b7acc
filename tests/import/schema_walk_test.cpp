// Every element and attribute the SCL schemas of both editions allow within
// an IED and the data-type templates is either kept or named by the import
// report: the schemas' declarations are walked from tIED and
// tDataTypeTemplates (types by extension and restriction, groups, attribute
// groups, global elements by reference) and each is looked up in the table
// of what the import keeps (tests/import/schema_set.cpp), or in the
// import's own table of what it reports. A kept one is held by some file of tests/data/scl in what the
// round trip compares, so the round trip proves it comes back; a reported
// one is in the README's list, through the round trip's allowed losses.
// Content of other namespaces (xs:any, xs:anyAttribute) is reported as a
// whole and not walked here.
#include <algorithm>
#include <iostream>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "export/kiln_export.h"
#include "import/unkept_content.h"
#include "platform/xml/base_xml.h"
#include "tests/import/schema_set.h"
#include "tests/import/scl_compare.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

bool ReportedElement(const std::string& parent, const std::string& child) {
    for (const kiln::import::UnkeptElement& row : kiln::import::UnkeptElements())
        if (child == row.element && (std::string(row.parent) == "*" || parent == row.parent)) return true;
    return false;
}

bool ReportedAttribute(const std::string& element, const std::string& attr) {
    for (const kiln::import::UnkeptAttribute& row : kiln::import::UnkeptAttributes())
        if (element == row.element && attr == row.attribute) return true;
    return false;
}

// The keys of what the round trip compares in each file of tests/data/scl:
// the IED the import takes and the types it uses.
std::set<std::string> KeysInDataFiles() {
    const std::string ns = kiln::exporter::kSclNamespace;
    std::set<std::string> out;
    auto add = [&](const pugi::xml_node& top) {
        std::vector<pugi::xml_node> todo{top};
        while (!todo.empty()) {
            const pugi::xml_node el = todo.back();
            todo.pop_back();
            const std::string name = QualifiedName(el, nullptr, ns);
            for (const pugi::xml_attribute& a : el.attributes()) out.insert(name + "@" + QualifiedName(el, &a, ns));
            for (pugi::xml_node c = el.first_child(); c; c = c.next_sibling())
                if (c.type() == pugi::node_element) {
                    out.insert(name + "/" + QualifiedName(c, nullptr, ns));
                    todo.push_back(c);
                }
        }
    };
    for (const fs::directory_entry& e : fs::directory_iterator(fs::path(KILN_SOURCE_DIR) / "tests" / "data" / "scl")) {
        CBase_XML file;
        if (!file.Load(e.path().c_str())) {
            ADD_FAILURE() << e.path() << ": " << file.LastError();
            continue;
        }
        const pugi::xml_node scl = file.GetDocumentElement().PugiNode();
        const pugi::xml_node ied = ImportedIed(scl);
        add(ied);
        for (pugi::xml_node t = scl.first_child(); t; t = t.next_sibling()) {
            if (QualifiedName(t, nullptr, ns) != "DataTypeTemplates") continue;
            const std::set<std::string> used = UsedTypes(ied, t);
            for (pugi::xml_node type = t.first_child(); type; type = type.next_sibling()) {
                if (type.type() != pugi::node_element) continue;
                const std::string kind = QualifiedName(type, nullptr, ns);
                if (!used.count(kind + ":" + type.attribute("id").value())) continue;
                out.insert("DataTypeTemplates/" + kind);
                add(type);
            }
        }
    }
    return out;
}

TEST(SchemaWalk, EveryDeclarationWithinAnIedAndItsTypesIsKeptOrReported) {
    const fs::path xsd = fs::path(KILN_SHARED_DIR) / "xsd";
    if (!fs::exists(xsd / "SCL2007B4" / "SCL.xsd") || !fs::exists(xsd / "SCL2003" / "SCL.xsd"))
        GTEST_SKIP() << "../shared/xsd (SCL2007B4 and SCL2003) is not there: the schema walk is not run";

    const std::set<std::string> kept = KeptKeys();
    std::set<std::string> keptMet, reportedMet, neither;
    for (const char* edition : {"SCL2007B4", "SCL2003"}) {
        const SchemaSet schema(xsd / edition);
        ASSERT_TRUE(schema.Has("tIED") && schema.Has("tDataTypeTemplates")) << edition;
        auto visit = [&](const std::string& key, const pugi::xml_node&, int) {
            if (key.find(' ') != std::string::npos) return false;  // a simple content
            const size_t at = key.find('@'), slash = key.find('/');
            const bool reported = at != std::string::npos
                                      ? ReportedAttribute(key.substr(0, at), key.substr(at + 1))
                                      : ReportedElement(key.substr(0, slash), key.substr(slash + 1));
            if (reported) {
                reportedMet.insert(key);
                return false;
            }
            (kept.count(key) ? keptMet : neither).insert(key + " (" + edition + ")");
            return kept.count(key) > 0;
        };
        schema.Walk("IED", "tIED", visit);
        schema.Walk("DataTypeTemplates", "tDataTypeTemplates", visit);
    }
    std::string unaccounted;
    for (const std::string& key : neither) unaccounted += "\n  " + key;
    EXPECT_EQ(unaccounted, "") << "neither kept nor named by the import report";

    // A kept declaration the schemas do not hold is a slip of the table.
    std::set<std::string> keptKeys;
    for (const std::string& k : keptMet) keptKeys.insert(k.substr(0, k.find(' ')));
    for (const std::string& key : kept) EXPECT_TRUE(keptKeys.count(key)) << key << " is in no schema";

    // What the round trip of the data files compares holds each kept one.
    const std::set<std::string> inFiles = KeysInDataFiles();
    for (const std::string& key : kept)
        EXPECT_TRUE(inFiles.count(key)) << key << ": no file of tests/data/scl holds it, so no round trip proves it";

    std::set<std::string> all(keptKeys);
    all.insert(reportedMet.begin(), reportedMet.end());
    for (const std::string& k : neither) all.insert(k.substr(0, k.find(' ')));
    std::cout << "schema walk: " << all.size() << " declarations, " << keptKeys.size() << " kept, "
              << reportedMet.size() << " reported\n";
}

// Each element and attribute the import reports is one the round trip
// allows to go, with the words the README's list uses for it.
TEST(SchemaWalk, WhatTheImportReportsIsInTheReadmesList) {
    auto allowed = [](const std::string& element, const std::string& attribute) {
        return std::any_of(AllowedLosses().begin(), AllowedLosses().end(), [&](const AllowedLoss& row) {
            return row.element == element && row.attribute == attribute;
        });
    };
    for (const kiln::import::UnkeptElement& row : kiln::import::UnkeptElements()) {
        const std::string element = std::string(row.parent) == "*" ? row.element
                                                                   : std::string(row.parent) + "/" + row.element;
        EXPECT_TRUE(allowed(element, "")) << element;
    }
    for (const kiln::import::UnkeptAttribute& row : kiln::import::UnkeptAttributes())
        EXPECT_TRUE(allowed(row.element, row.attribute)) << row.element << "@" << row.attribute;
}

}  // namespace
}  // namespace kiln::test
