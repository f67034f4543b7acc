// Every element and attribute the SCL schemas of both editions allow within
// an IED and the data-type templates is either kept or named by the import
// report: the schemas' declarations are walked from tIED and
// tDataTypeTemplates (types by extension and restriction, groups, attribute
// groups, global elements by reference) and each is looked up in the table
// below of what the import keeps, or in the import's own table of what it
// reports. A kept one is held by some file of tests/data/scl in what the
// round trip compares, so the round trip proves it comes back; a reported
// one is in the README's list, through the round trip's allowed losses.
// Content of other namespaces (xs:any, xs:anyAttribute) is reported as a
// whole and not walked here.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "export/kiln_export.h"
#include "import/unkept_content.h"
#include "platform/xml/base_xml.h"
#include "tests/import/scl_compare.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

// What the import keeps and the export writes back, by element: its child
// elements and its attributes, each list space-separated.
struct KeptRow {
    const char* element;
    const char* children;
    const char* attributes;
};
const KeptRow kKept[] = {
    {"IED", "AccessPoint",
     "name desc type manufacturer configVersion originalSclVersion originalSclRevision originalSclRelease engRight "
     "owner"},
    {"AccessPoint", "Server", "name desc router clock kdc"},
    {"Server", "Authentication LDevice", "desc timeout"},
    {"Authentication", "", "none password weak strong certificate"},
    {"LDevice", "LN0 LN AccessControl", "inst desc ldName"},
    {"AccessControl", "", ""},
    {"LN0", "DOI DataSet ReportControl LogControl Inputs Log SettingControl", "lnClass inst lnType desc"},
    {"LN", "DOI DataSet ReportControl LogControl Inputs Log", "prefix lnClass inst lnType desc"},
    {"DOI", "SDI DAI", "name desc ix accessControl"},
    {"SDI", "SDI DAI", "name desc ix sAddr"},
    {"DAI", "Val", "name desc ix sAddr valKind valImport"},
    {"Val", "", "sGroup"},
    {"DataSet", "FCDA", "name desc"},
    {"FCDA", "", "ldInst prefix lnClass lnInst doName daName fc ix"},
    {"ReportControl", "TrgOps OptFields RptEnabled",
     "name desc datSet intgPd rptID confRev buffered bufTime indexed"},
    {"TrgOps", "", "dchg qchg dupd period gi"},
    {"OptFields", "", "seqNum timeStamp dataSet reasonCode dataRef entryID configRef bufOvfl"},
    {"RptEnabled", "ClientLN", "desc max"},
    {"ClientLN", "", "iedName ldInst prefix lnClass lnInst desc apRef"},
    {"LogControl", "TrgOps",
     "name desc datSet intgPd ldInst prefix lnClass lnInst logName logEna reasonCode bufTime"},
    {"Log", "", "name desc"},
    {"SettingControl", "", "desc numOfSGs actSG resvTms"},
    {"Inputs", "ExtRef", ""},
    {"ExtRef", "", "iedName ldInst prefix lnClass lnInst doName daName intAddr desc"},
    {"DataTypeTemplates", "LNodeType DOType DAType EnumType", ""},
    {"LNodeType", "DO", "id desc iedType lnClass"},
    {"DO", "", "name type accessControl transient desc"},
    {"DOType", "SDO DA", "id desc iedType cdc"},
    {"SDO", "", "name type desc count"},
    {"DA", "Val", "name desc sAddr bType valKind type count valImport fc dchg qchg dupd"},
    {"DAType", "BDA", "id desc iedType"},
    {"BDA", "Val", "name desc sAddr bType valKind type count valImport"},
    {"EnumType", "EnumVal", "id desc"},
    {"EnumVal", "", "ord desc"},
};

std::vector<std::string> Words(const char* list) {
    std::istringstream in(list);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// "Parent/Child" for an element, "Element@attribute" for an attribute.
std::set<std::string> KeptKeys() {
    std::set<std::string> out;
    for (const KeptRow& row : kKept) {
        for (const std::string& c : Words(row.children)) out.insert(std::string(row.element) + "/" + c);
        for (const std::string& a : Words(row.attributes)) out.insert(std::string(row.element) + "@" + a);
    }
    return out;
}

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

std::string Local(const char* qname) {
    const char* colon = std::strchr(qname, ':');
    return colon ? colon + 1 : qname;
}

// The declarations of one edition's schema files, by local name.
class SchemaSet {
public:
    explicit SchemaSet(const fs::path& dir) {
        for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
            if (e.path().extension() != ".xsd") continue;
            auto& doc = m_docs.emplace_back(std::make_unique<pugi::xml_document>());
            if (!doc->load_file(e.path().c_str())) continue;
            for (pugi::xml_node d = doc->document_element().first_child(); d; d = d.next_sibling()) {
                const std::string kind = Local(d.name()), name = d.attribute("name").value();
                if (kind == "complexType") m_types[name] = d;
                if (kind == "group") m_groups[name] = d;
                if (kind == "attributeGroup") m_attrGroups[name] = d;
                if (kind == "element") m_elements[name] = d;
            }
        }
    }
    bool Has(const char* type) const { return m_types.count(type) > 0; }

    // Walks the elements reachable from the element `name` of type `type`:
    // `visit` is called with each key ("Parent/Child", "Element@attr") and
    // says whether to go into an element.
    template <class Visit>
    void Walk(const std::string& name, const std::string& type, Visit visit) const {
        std::set<std::string> done;
        std::vector<std::pair<std::string, pugi::xml_node>> todo{{name, TypeNode(type)}};
        while (!todo.empty()) {
            auto [element, node] = todo.back();
            todo.pop_back();
            std::vector<std::string> attrs;
            std::vector<std::pair<std::string, pugi::xml_node>> children;
            Content(node, attrs, children);
            for (const std::string& a : attrs) visit(element + "@" + a);
            for (const auto& [child, decl] : children) {
                const std::string key = element + "/" + child;
                if (visit(key) && done.insert(key).second) todo.emplace_back(child, TypeOf(decl));
            }
        }
    }

private:
    pugi::xml_node TypeNode(const std::string& qname) const {
        auto it = m_types.find(Local(qname.c_str()));
        return it == m_types.end() ? pugi::xml_node() : it->second;
    }
    // An element declaration's type: named, or declared within it.
    pugi::xml_node TypeOf(const pugi::xml_node& decl) const {
        if (decl.attribute("type")) return TypeNode(decl.attribute("type").value());
        for (pugi::xml_node c = decl.first_child(); c; c = c.next_sibling())
            if (Local(c.name()) == "complexType") return c;
        return pugi::xml_node();
    }
    // The attributes and child elements a type's content declares, its
    // bases' included.
    void Content(const pugi::xml_node& node, std::vector<std::string>& attrs,
                 std::vector<std::pair<std::string, pugi::xml_node>>& children) const {
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) continue;
            const std::string kind = Local(c.name());
            const std::string ref = Local(c.attribute("ref").value());
            if (kind == "attribute") {
                attrs.push_back(c.attribute("name") ? c.attribute("name").value() : ref);
            } else if (kind == "attributeGroup") {
                auto it = m_attrGroups.find(ref);
                if (it != m_attrGroups.end()) Content(it->second, attrs, children);
            } else if (kind == "group") {
                auto it = m_groups.find(ref);
                if (it != m_groups.end()) Content(it->second, attrs, children);
            } else if (kind == "element") {
                auto it = m_elements.find(ref);
                if (!ref.empty() && it != m_elements.end())
                    children.emplace_back(ref, it->second);
                else if (c.attribute("name"))
                    children.emplace_back(c.attribute("name").value(), c);
            } else if (kind == "extension" || kind == "restriction") {
                const pugi::xml_node base = TypeNode(c.attribute("base").value());
                if (base) Content(base, attrs, children);
                Content(c, attrs, children);
            } else if (kind == "sequence" || kind == "choice" || kind == "all" || kind == "complexContent" ||
                       kind == "simpleContent") {
                Content(c, attrs, children);
            }
        }
    }

    std::vector<std::unique_ptr<pugi::xml_document>> m_docs;
    std::map<std::string, pugi::xml_node> m_types, m_groups, m_attrGroups, m_elements;
};

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
        auto visit = [&](const std::string& key) {
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
