// The comparison of an exported SCL file with the file it was imported
// from: the IED the import takes and the data types it uses, by the rules of
// SCL (which siblings pair up, where their order counts, the schema's
// defaults), with the losses the README names as left out allowed.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "tests/import/xml_tree_diff.h"

namespace kiln::test {

// One thing the ICD import and export leave out, as the README's
// "What the system does not do" names it: the element (its local name,
// "AccessPoint/LN" for one under that parent; "*" with the attribute "{*}"
// for anything of another namespace) and the attribute ("" for the whole
// element) with the README's words.
struct AllowedLoss {
    const char* element;
    const char* attribute;
    const char* readme;
};
const std::vector<AllowedLoss>& AllowedLosses();

// The words an import report entry naming an allowed loss holds, taken from
// the difference's path: the kind of the element lost (its local name), its
// namespace when it has another, and the values that tell it from its
// siblings; for a lost attribute the element's kind and the attribute's
// local name (and namespace).
std::vector<std::string> ReportWordsOf(const TreeDifference& difference);

// The rules of SCL for CompareTrees.
const TreeDiffRules& SclRules();

// The IED an ICD import takes from the file: the first that has a Server,
// else the first one.
pugi::xml_node ImportedIed(const pugi::xml_node& scl);

// The kind and id ("DOType:Pos") of each type the IED's logical devices
// use, following the references from the nodes' types down to enumerations.
std::set<std::string> UsedTypes(const pugi::xml_node& ied, const pugi::xml_node& templates);

// Compares the exported file's root with the source's: the IED, the types
// it uses (by id after following references; a type the output adds is a
// difference too) and the Communication section.
std::vector<TreeDifference> CompareSclRoundTrip(const pugi::xml_node& sourceScl, const pugi::xml_node& outputScl);

// "" when xmllint accepts the file against SCL2007B4, else its output;
// `skipped` when the schema or xmllint is not there.
std::string ValidateAgainstScl(const std::string& path, bool& skipped);

}  // namespace kiln::test
