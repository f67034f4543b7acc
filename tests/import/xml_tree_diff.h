// A small differ of two XML trees for the round-trip tests: element by
// element, attributes and texts, with rules saying how siblings pair up,
// where their order counts, what an attribute left out means and which
// losses are allowed (with the reason to show).
#pragma once

#include <pugixml.hpp>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kiln::test {

struct TreeDiffRules {
    // The namespace whose elements are named without a prefix in paths; an
    // element or attribute of another namespace is named "{ns}local".
    std::string ns;
    // The attributes naming an element among its siblings of one name
    // (element local name -> attributes); others pair up by position.
    std::map<std::string, std::vector<std::string>> keys;
    // "parent/child": siblings whose order is part of their meaning.
    std::set<std::string> ordered;
    // parent -> child names whose order across those names is part of their
    // meaning too (each named by its "name"); reported as "#order".
    std::map<std::string, std::set<std::string>> orderedAcross;
    // Namespaces of the writer's own attributes: one only the output has is
    // no difference.
    std::set<std::string> ownNamespaces;
    // The value an attribute has when the element leaves it out; false when
    // it has none.
    std::function<bool(const pugi::xml_node& element, const std::string& attr, std::string& value)> defaultOf;
    // Whether the writer always writes the output element's attribute: one
    // the source left out is then compared as the source's default. Any
    // other attribute only the output holds is a difference, even when it
    // holds the schema's default.
    std::function<bool(const pugi::xml_node& element, const std::string& attr)> alwaysWritten;
    // Why a source element (attr empty) or attribute may be missing or
    // changed in the output; empty when it may not.
    std::function<std::string(const pugi::xml_node& element, const std::string& attr)> allowedLoss;
};

// One difference: the element's path ("/IED[name=A]/AccessPoint[name=S1]"),
// the attribute ("" for the element itself, "#text" for its text, "#order" for the
// order of its children across kinds), the
// source's and the output's values ("(absent)" when missing), and `allowed`,
// the reason when the rules allow it.
struct TreeDifference {
    std::string path, attribute, source, output, allowed;
};
std::ostream& operator<<(std::ostream& os, const TreeDifference& d);

// The qualified name of an element or attribute as the rules name it:
// local name, or "{ns}local" outside the rules' namespace; "" for a
// namespace declaration.
std::string QualifiedName(const pugi::xml_node& element, const pugi::xml_attribute* attr, const std::string& ns);

// Compares `output` with `source` below `path` and appends what differs.
void CompareTrees(const pugi::xml_node& source, const pugi::xml_node& output, const std::string& path,
                  const TreeDiffRules& rules, std::vector<TreeDifference>& out);

}  // namespace kiln::test
