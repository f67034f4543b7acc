#include "tools/nsd2cim/cim_writer.h"

#include <pugixml.hpp>
#include <sstream>

namespace kiln::nsd2cim {
namespace {

// "--" may not occur inside an XML comment.
std::string CommentText(std::string text) {
    for (std::size_t p; (p = text.find("--")) != std::string::npos;) text.replace(p, 2, "- -");
    if (!text.empty() && text.back() == '-') text += ' ';
    return text;
}

}  // namespace

std::string WriteCimXml(const CimDomain& domain) {
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    if (!domain.comment.empty())
        doc.append_child(pugi::node_comment).set_value(CommentText(domain.comment).c_str());

    pugi::xml_node root = doc.append_child("rdf:RDF");
    root.append_attribute("xmlns:rdf") = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
    root.append_attribute("xmlns:cim") = "http://iec.ch/TC57/2003/CIM-schema-cim10#";
    root.append_attribute("xmlns:sec") = "http://kiln.local/Zel/2006/CIM-Sec#";
    root.append_attribute("xmlns:e301") = "http://kiln.local/Zel/2006/e301#";
    root.append_attribute("xmlns:dEnv") = "http://kiln.local/Zel/2006/dEnv#";

    for (const CimResource& r : domain.resources) {
        pugi::xml_node e = root.append_child(r.cls.c_str());
        e.append_attribute("rdf:ID") = r.id.c_str();
        for (const auto& [role, value] : r.attributes)
            e.append_child(role.c_str()).text().set(value.c_str());
        for (const auto& [role, target] : r.links)
            e.append_child(role.c_str()).append_attribute("rdf:resource") = ("#" + target).c_str();
    }

    std::ostringstream os;
    doc.save(os, "  ", pugi::format_default, pugi::encoding_utf8);
    return os.str();
}

}  // namespace kiln::nsd2cim
