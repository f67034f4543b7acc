// The schema files' declarations and the walk of constraints over them.
#include "tests/import/schema_set.h"

#include <cstring>
#include <sstream>

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

// A qualified name's local part.
std::string Local(const char* qname) {
    const char* colon = std::strchr(qname, ':');
    return colon ? colon + 1 : qname;
}

// Minimum occurrences of a particle ("minOccurs", 1 when absent).
int MinOccurs(const pugi::xml_node& particle) {
    const pugi::xml_attribute a = particle.attribute("minOccurs");
    return a ? a.as_int() : 1;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

std::set<std::string> KeptKeys() {
    std::set<std::string> out;
    for (const KeptRow& row : kKept) {
        for (const std::string& c : Words(row.children)) out.insert(std::string(row.element) + "/" + c);
        for (const std::string& a : Words(row.attributes)) out.insert(std::string(row.element) + "@" + a);
    }
    return out;
}

SchemaSet::SchemaSet(const fs::path& dir) {
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        if (e.path().extension() != ".xsd") continue;
        auto& doc = m_docs.emplace_back(std::make_unique<pugi::xml_document>());
        if (!doc->load_file(e.path().c_str())) continue;
        for (pugi::xml_node d = doc->document_element().first_child(); d; d = d.next_sibling()) {
            const std::string kind = Local(d.name()), name = d.attribute("name").value();
            if (kind == "complexType") m_types[name] = d;
            if (kind == "simpleType") m_simpleTypes[name] = d;
            if (kind == "group") m_groups[name] = d;
            if (kind == "attributeGroup") m_attrGroups[name] = d;
            if (kind == "element") m_elements[name] = d;
        }
    }
}

pugi::xml_node SchemaSet::TypeNode(const std::string& qname) const {
    auto it = m_types.find(Local(qname.c_str()));
    return it == m_types.end() ? pugi::xml_node() : it->second;
}

// An element declaration's type: named, or declared within it.
pugi::xml_node SchemaSet::TypeOf(const pugi::xml_node& decl) const {
    if (decl.attribute("type")) return TypeNode(decl.attribute("type").value());
    for (pugi::xml_node c = decl.first_child(); c; c = c.next_sibling())
        if (Local(c.name()) == "complexType") return c;
    return pugi::xml_node();
}

// The attributes and child elements a type's content declares, its bases'
// included; a simple content's base as the attribute "#text". A child's
// minOccurs counts its groups' (none within a choice of several).
void SchemaSet::Content(const pugi::xml_node& node, std::vector<Attribute>& attrs, std::vector<Child>& children,
                        int minOccurs) const {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        const std::string kind = Local(c.name());
        const std::string ref = Local(c.attribute("ref").value());
        if (kind == "attribute") {
            attrs.push_back({c.attribute("name") ? c.attribute("name").value() : ref, c});
        } else if (kind == "attributeGroup") {
            auto it = m_attrGroups.find(ref);
            if (it != m_attrGroups.end()) Content(it->second, attrs, children, minOccurs);
        } else if (kind == "group") {
            auto it = m_groups.find(ref);
            if (it != m_groups.end()) Content(it->second, attrs, children, minOccurs * MinOccurs(c));
        } else if (kind == "element") {
            auto it = m_elements.find(ref);
            const int min = minOccurs * MinOccurs(c);
            if (!ref.empty() && it != m_elements.end())
                children.push_back({ref, it->second, min});
            else if (c.attribute("name"))
                children.push_back({c.attribute("name").value(), c, min});
        } else if (kind == "extension" || kind == "restriction") {
            const pugi::xml_node base = TypeNode(c.attribute("base").value());
            if (base)
                Content(base, attrs, children, minOccurs);
            else if (Local(node.name()) == "simpleContent")
                attrs.push_back({"#text", c});
            Content(c, attrs, children, minOccurs);
        } else if (kind == "choice") {
            const int alternatives = static_cast<int>(std::distance(c.children().begin(), c.children().end()));
            Content(c, attrs, children, alternatives > 1 ? 0 : minOccurs * MinOccurs(c));
        } else if (kind == "sequence" || kind == "all") {
            Content(c, attrs, children, minOccurs * MinOccurs(c));
        } else if (kind == "complexContent" || kind == "simpleContent") {
            Content(c, attrs, children, minOccurs);
        }
    }
}

bool SchemaSet::Constraining(const std::string& qname) const {
    if (qname.rfind("xs:", 0) == 0) {
        const std::string builtin = qname.substr(3);
        return builtin != "string" && builtin != "normalizedString" && builtin != "token" &&
               builtin != "anySimpleType";
    }
    auto it = m_simpleTypes.find(Local(qname.c_str()));
    return it == m_simpleTypes.end() || Constraining(it->second);
}

// A simple type constrains when it has a facet, is a union or list, or
// restricts one that constrains.
bool SchemaSet::Constraining(const pugi::xml_node& simpleType) const {
    for (pugi::xml_node c = simpleType.first_child(); c; c = c.next_sibling()) {
        const std::string kind = Local(c.name());
        if (kind == "union" || kind == "list") return true;
        if (kind != "restriction") continue;
        for (pugi::xml_node facet = c.first_child(); facet; facet = facet.next_sibling())
            if (facet.type() == pugi::node_element && Local(facet.name()) != "annotation") {
                if (Local(facet.name()) != "simpleType") return true;
                if (Constraining(facet)) return true;
            }
        return c.attribute("base") && Constraining(std::string(c.attribute("base").value()));
    }
    return false;
}

// The unique, key and keyref constraints of an element declaration whose
// selector (one of its alternatives) steps through written elements only.
void SchemaSet::Identities(const pugi::xml_node& decl, const std::string& element,
                           const std::set<std::string>& written, std::set<std::string>& out) const {
    for (pugi::xml_node c = decl.first_child(); c; c = c.next_sibling()) {
        const std::string kind = Local(c.name());
        if (kind != "unique" && kind != "key" && kind != "keyref") continue;
        std::istringstream alternatives(c.child("xs:selector").attribute("xpath").value());
        bool reached = false;
        for (std::string path; std::getline(alternatives, path, '|');) {
            path = Trim(path);
            if (path.rfind("./", 0) == 0) path = path.substr(2);
            std::istringstream steps(path);
            std::string parent = element;
            bool all = true;
            for (std::string step; std::getline(steps, step, '/');) {
                step = Local(step.c_str());
                if (step != "*" && !written.count(parent + "/" + step)) all = false;
                parent = step;
            }
            reached = reached || all;
        }
        if (reached) out.insert(kind + " " + c.attribute("name").value());
    }
}

std::set<std::string> SchemaSet::Constraints(const std::set<std::string>& kept) const {
    std::set<std::string> written(kept), out;
    written.insert({"SCL/IED", "SCL/DataTypeTemplates"});
    auto root = m_elements.find("SCL");
    if (root != m_elements.end()) Identities(root->second, "SCL", written, out);
    auto visit = [&](const std::string& key, const pugi::xml_node& decl, int minOccurs) {
        const size_t slash = key.find('/');
        if (slash != std::string::npos) {
            if (minOccurs >= 1) out.insert("child " + key);
            if (!written.count(key)) return false;
            Identities(decl, key.substr(slash + 1), written, out);
            return true;
        }
        const bool text = key.find(' ') != std::string::npos;
        const bool required = std::string(decl.attribute("use").value()) == "required";
        if (!text && !required && !written.count(key)) return false;
        if (required) out.insert("required " + key);
        if (decl.attribute("fixed")) out.insert("fixed " + key);
        const pugi::xml_attribute type = text ? decl.attribute("base") : decl.attribute("type");
        const pugi::xml_node inner = decl.child("xs:simpleType");
        if (type ? Constraining(std::string(type.value())) : inner && Constraining(inner))
            out.insert("type " + key + ": " + (type ? Local(type.value()) : std::string("(its own)")));
        return false;
    };
    for (const auto& [top, type] : {std::pair<const char*, const char*>{"IED", "tIED"},
                                    {"DataTypeTemplates", "tDataTypeTemplates"}}) {
        auto it = m_elements.find(top);
        if (it != m_elements.end()) Identities(it->second, top, written, out);
        Walk(top, type, visit);
    }
    return out;
}

}  // namespace kiln::test
