#include "tools/nsd2cim/nsd_reader.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <system_error>

namespace kiln::nsd2cim {
namespace {

namespace fs = std::filesystem;

// The namespaces the standard package is built from, in dependency order.
constexpr std::array<const char*, 4> kNamespaces = {"IEC 61850-7-2", "IEC 61850-7-3",
                                                    "IEC 61850-7-4", "IEC 61850-8-1"};
constexpr std::size_t kRequired = 3;  // 8-1 is optional

std::string CollapseSpace(const std::string& text) {
    std::string out;
    bool pendingSpace = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) out += ' ';
        pendingSpace = false;
        out += c;
    }
    return out;
}

NsdAttribute ReadAttribute(const pugi::xml_node& n) {
    NsdAttribute a;
    a.name = n.attribute("name").value();
    a.fc = n.attribute("fc").value();
    a.type = n.attribute("type").value();
    a.typeKind = n.attribute("typeKind").value();
    if (a.typeKind.empty()) a.typeKind = "BASIC";
    a.underlyingType = n.attribute("underlyingType").value();
    a.underlyingTypeKind = n.attribute("underlyingTypeKind").value();
    a.presCond = n.attribute("presCond").value();
    a.dchg = n.attribute("dchg").as_bool();
    a.qchg = n.attribute("qchg").as_bool();
    a.dupd = n.attribute("dupd").as_bool();
    a.defaultValue = n.attribute("defaultValue").value();
    if (n.attribute("isArray").as_bool()) a.sizeAttribute = n.attribute("sizeAttribute").value();
    return a;
}

void ReadEnumerations(const pugi::xml_node& root, NsdSet& out) {
    for (auto e : root.child("Enumerations").children("Enumeration")) {
        NsdEnumeration en;
        en.name = e.attribute("name").value();
        for (auto l : e.children("Literal"))
            en.literals.push_back(
                {l.attribute("name").value(), l.attribute("literalVal").value(), l.attribute("descID").value()});
        out.enumerations.push_back(std::move(en));
    }
}

void ReadConstructed(const pugi::xml_node& list, const char* element,
                     std::vector<NsdConstructed>& out) {
    for (auto c : list.children(element)) {
        NsdConstructed ca;
        ca.name = c.attribute("name").value();
        for (auto s : c.children("SubDataAttribute")) ca.members.push_back(ReadAttribute(s));
        out.push_back(std::move(ca));
    }
}

void ReadFunctionalConstraints(const pugi::xml_node& root, NsdSet& out) {
    for (auto f : root.child("FunctionalConstraints").children("FunctionalConstraint"))
        out.functionalConstraints.push_back(f.attribute("abbreviation").value());
}

void Read72(const pugi::xml_node& root, NsdSet& out) {
    for (auto b : root.child("BasicTypes").children("BasicType"))
        out.basicTypes.push_back(b.attribute("name").value());
    ReadFunctionalConstraints(root, out);
    ReadEnumerations(root, out);
    ReadConstructed(root.child("ConstructedAttributes"), "ConstructedAttribute", out.constructed);
}

void Read73(const pugi::xml_node& root, NsdSet& out) {
    ReadEnumerations(root, out);
    ReadConstructed(root.child("ConstructedAttributes"), "ConstructedAttribute", out.constructed);
    for (auto c : root.child("CDCs").children("CDC")) {
        NsdCdc cdc;
        cdc.name = c.attribute("name").value();
        cdc.variant = c.attribute("variant").value();
        for (auto m : c.children()) {
            const std::string tag = m.name();
            if (tag == "DataAttribute") {
                cdc.attributes.push_back(ReadAttribute(m));
            } else if (tag == "SubDataObject") {
                NsdSubObject s{m.attribute("name").value(), m.attribute("type").value(),
                               m.attribute("presCond").value(), "", {}};
                if (m.attribute("isArray").as_bool()) s.sizeAttribute = m.attribute("sizeAttribute").value();
                for (const NsdAttribute& a : cdc.attributes) s.attributesBefore.push_back(a.name);
                cdc.subObjects.push_back(std::move(s));
            }
            // ServiceParameter: the mapping's classes carry the control value themselves.
        }
        out.cdcs.push_back(std::move(cdc));
    }
}

void Read74(const pugi::xml_node& root, NsdSet& out) {
    ReadEnumerations(root, out);
    for (auto c : root.child("LNClasses").children()) {
        const std::string tag = c.name();
        if (tag != "LNClass" && tag != "AbstractLNClass") continue;
        NsdLnClass ln;
        ln.name = c.attribute("name").value();
        ln.base = c.attribute("base").value();
        ln.isAbstract = tag == "AbstractLNClass";
        for (auto d : c.children("DataObject")) {
            ln.dataObjects.push_back({d.attribute("name").value(), d.attribute("type").value(),
                                      d.attribute("presCond").value(),
                                      d.attribute("transient").as_bool(),
                                      d.attribute("underlyingType").value()});
        }
        out.lnClasses.push_back(std::move(ln));
    }
}

void Read81(const pugi::xml_node& root, NsdSet& out) {
    ReadFunctionalConstraints(root, out);
    ReadConstructed(root.child("ServiceConstructedAttributes"), "ServiceConstructedAttribute",
                    out.serviceConstructed);
    for (auto c : root.child("ServiceCDCs").children("ServiceCDC")) {
        NsdServiceCdc s;
        s.cdc = c.attribute("cdc").value();
        for (auto a : c.children("ServiceDataAttribute")) s.attributes.push_back(ReadAttribute(a));
        out.serviceCdcs.push_back(std::move(s));
    }
}

NsdFileInfo ReadInfo(const pugi::xml_document& doc, const std::string& fileName) {
    const pugi::xml_node root = doc.document_element();
    NsdFileInfo info;
    info.fileName = fileName;
    info.id = root.attribute("id").value();
    info.edition = std::string(root.attribute("version").value()) +
                   root.attribute("revision").value() + root.attribute("release").value();
    // Copyright comments ahead of the root element, then the notices of the file itself.
    for (auto n : doc.children()) {
        if (n.type() != pugi::node_comment) continue;
        std::string text = CollapseSpace(n.value());
        if (text.rfind("COPYRIGHT", 0) == 0) info.notices.push_back(std::move(text));
    }
    for (auto c : root.children("Copyright")) {
        for (auto n : c.children("Notice")) info.notices.push_back(CollapseSpace(n.text().get()));
        if (info.licence.empty()) info.licence = c.child("License").attribute("uri").value();
    }
    return info;
}

}  // namespace

bool ReadNsdFolder(const std::string& folder, NsdSet& out, std::string& error) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && it->path().extension() == ".nsd") files.push_back(it->path());
    }
    if (ec) {
        error = "cannot read the folder " + folder + ": " + ec.message();
        return false;
    }
    std::sort(files.begin(), files.end());

    std::array<std::unique_ptr<pugi::xml_document>, kNamespaces.size()> docs;
    std::array<std::string, kNamespaces.size()> names;
    for (const fs::path& file : files) {
        auto doc = std::make_unique<pugi::xml_document>();
        pugi::xml_parse_result r =
            doc->load_file(file.c_str(), pugi::parse_default | pugi::parse_comments);
        if (!r) {
            error = file.string() + ": " + r.description() + " at offset " +
                    std::to_string(r.offset);
            return false;
        }
        const std::string id = doc->document_element().attribute("id").value();
        auto pos = std::find(kNamespaces.begin(), kNamespaces.end(), id);
        if (pos == kNamespaces.end()) continue;
        const std::size_t k = static_cast<std::size_t>(pos - kNamespaces.begin());
        if (docs[k]) {
            error = "two files for " + id + ": " + names[k] + " and " + file.filename().string();
            return false;
        }
        docs[k] = std::move(doc);
        names[k] = file.filename().string();
    }
    for (std::size_t k = 0; k < kRequired; ++k) {
        if (!docs[k]) {
            error = std::string("no NSD file for ") + kNamespaces[k] + " in " + folder;
            return false;
        }
    }

    out = NsdSet{};
    for (std::size_t k = 0; k < docs.size(); ++k) {
        if (!docs[k]) continue;
        out.files.push_back(ReadInfo(*docs[k], names[k]));
        const pugi::xml_node root = docs[k]->document_element();
        switch (k) {
            case 0: Read72(root, out); break;
            case 1: Read73(root, out); break;
            case 2: Read74(root, out); break;
            default: Read81(root, out); break;
        }
    }
    return true;
}

}  // namespace kiln::nsd2cim
