// The declarations of one edition's SCL schema files, read with pugixml,
// and what the ICD import keeps (and the export writes back) of them: the
// walks of the schema tests start from tIED and tDataTypeTemplates.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

namespace kiln::test {

// What the import keeps and the export writes back, as "Parent/Child" for
// an element and "Element@attribute" for an attribute.
std::set<std::string> KeptKeys();

class SchemaSet {
public:
    explicit SchemaSet(const std::filesystem::path& dir);
    bool Has(const char* type) const { return m_types.count(type) > 0; }

    // Walks the elements reachable from the element `name` of type `type`:
    // `visit` is called with each key ("Parent/Child", "Element@attr",
    // "Element text" for a simple content), its declaration and, for a
    // child, its minOccurs (its groups' counted in), and says whether to go
    // into an element.
    template <class Visit>
    void Walk(const std::string& name, const std::string& type, Visit visit) const {
        std::set<std::string> done;
        std::vector<std::pair<std::string, pugi::xml_node>> todo{{name, TypeNode(type)}};
        while (!todo.empty()) {
            auto [element, node] = todo.back();
            todo.pop_back();
            std::vector<Attribute> attrs;
            std::vector<Child> children;
            Content(node, attrs, children, 1);
            for (const Attribute& a : attrs)
                visit(a.name == "#text" ? element + " text" : element + "@" + a.name, a.decl, 0);
            for (const Child& child : children) {
                const std::string key = element + "/" + child.name;
                if (visit(key, child.decl, child.minOccurs) && done.insert(key).second)
                    todo.emplace_back(child.name, TypeOf(child.decl));
            }
        }
    }

    // The constraints the schema puts on the elements and attributes of
    // `written` (keys as KeptKeys gives them) below the global elements IED
    // and DataTypeTemplates, one text each: "required E@a", "child P/C"
    // (at least one), "fixed E@a", "type E@a: T" (a simple type with a
    // pattern, enumeration, length or range, a built-in one other than a
    // string's), "type E text: T", and "unique|key|keyref NAME" for the
    // identity constraints whose selectors reach written elements (the root
    // element's among them).
    std::set<std::string> Constraints(const std::set<std::string>& written) const;

private:
    struct Attribute {
        std::string name;
        pugi::xml_node decl;
    };
    struct Child {
        std::string name;
        pugi::xml_node decl;
        int minOccurs;  // with the enclosing groups' counted in
    };
    pugi::xml_node TypeNode(const std::string& qname) const;
    pugi::xml_node TypeOf(const pugi::xml_node& decl) const;
    void Content(const pugi::xml_node& node, std::vector<Attribute>& attrs, std::vector<Child>& children,
                 int minOccurs) const;
    bool Constraining(const std::string& qname) const;
    bool Constraining(const pugi::xml_node& simpleType) const;
    void Identities(const pugi::xml_node& decl, const std::string& element, const std::set<std::string>& written,
                    std::set<std::string>& out) const;

    std::vector<std::unique_ptr<pugi::xml_document>> m_docs;
    std::map<std::string, pugi::xml_node> m_types, m_simpleTypes, m_groups, m_attrGroups, m_elements;
};

}  // namespace kiln::test
