// One domain as the document store's CIM-XML file holds it: resources in file
// order, each with its attributes (role, text) and links (role, local id of a
// target in the same domain), both in writing order.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kiln::nsd2cim {

struct CimResource {
    std::string cls;  // "sec:LNodeType"
    std::string id;   // local id, written as rdf:ID
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::pair<std::string, std::string>> links;

    void Attr(std::string role, std::string value) {
        attributes.emplace_back(std::move(role), std::move(value));
    }
    void Link(std::string role, std::string target) {
        links.emplace_back(std::move(role), std::move(target));
    }
};

struct CimDomain {
    std::string comment;  // written as an XML comment ahead of the root element
    std::vector<CimResource> resources;
};

}  // namespace kiln::nsd2cim
