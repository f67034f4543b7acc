// Test helper: a CIM-XML domain file indexed by rdf:ID, with the members of a
// parent list found through their links (in sibling order).
#pragma once

#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace nsd2cim_test {

inline const std::string kNs = "http://kiln.local/Zel/2006/CIM-Sec#";

class CimIndex {
public:
    bool Load(const std::string& path) {
        if (!doc_.load_file(path.c_str(), pugi::parse_default | pugi::parse_comments)) return false;
        for (pugi::xml_node r : doc_.document_element().children()) {
            const std::string id = r.attribute("rdf:ID").value();
            byId_.emplace(id, r);
            byClass_[r.name()].push_back(id);
            for (pugi::xml_node c : r.children()) {
                std::string target = c.attribute("rdf:resource").value();
                if (target.empty()) continue;
                if (target[0] == '#') target.erase(0, 1);
                referrers_[{c.name(), target}].push_back(id);
            }
        }
        return true;
    }

    const pugi::xml_document& Doc() const { return doc_; }
    bool Has(const std::string& id) const { return byId_.count(id) != 0; }
    pugi::xml_node Node(const std::string& id) const {
        auto it = byId_.find(id);
        return it == byId_.end() ? pugi::xml_node() : it->second;
    }
    std::string Class(const std::string& id) const { return Node(id).name(); }
    std::vector<std::string> OfClass(const std::string& cls) const {
        auto it = byClass_.find(cls);
        return it == byClass_.end() ? std::vector<std::string>() : it->second;
    }

    // Text of the attribute element `role`; "" when absent.
    std::string Attr(const std::string& id, const std::string& role) const {
        return Node(id).child(role.c_str()).text().get();
    }
    bool HasRole(const std::string& id, const std::string& role) const {
        return static_cast<bool>(Node(id).child(role.c_str()));
    }
    std::string Name(const std::string& id) const { return Attr(id, "cim:Naming.name"); }
    // The enumeration value after the model namespace, "#" and the enumeration
    // name: "ST" for "<ns>FCType.ST"; the whole text when it is not of that form.
    std::string Value(const std::string& id, const std::string& role, const std::string& en) const {
        const std::string v = Attr(id, role);
        const std::string head = kNs + en + ".";
        return v.rfind(head, 0) == 0 ? v.substr(head.size()) : "<" + v + ">";
    }

    // Targets (local ids) of the links `role` of `id`, in writing order.
    std::vector<std::string> Links(const std::string& id, const std::string& role) const {
        std::vector<std::string> out;
        for (pugi::xml_node c : Node(id).children(role.c_str())) {
            std::string t = c.attribute("rdf:resource").value();
            if (!t.empty() && t[0] == '#') t.erase(0, 1);
            out.push_back(t);
        }
        return out;
    }
    std::string Link(const std::string& id, const std::string& role) const {
        auto l = Links(id, role);
        return l.empty() ? std::string() : l.front();
    }
    std::string LinkName(const std::string& id, const std::string& role) const {
        return Name(Link(id, role));
    }

    // Resources whose link `role` points at `parent`, sorted by the number in
    // "e301:OrdNaming.ord" (stable, like the store's sort policy 3).
    std::vector<std::string> Members(const std::string& parent, const std::string& role) const {
        auto it = referrers_.find({role, parent});
        std::vector<std::string> out = it == referrers_.end() ? std::vector<std::string>() : it->second;
        std::stable_sort(out.begin(), out.end(), [&](const std::string& a, const std::string& b) {
            return Ord(a) < Ord(b);
        });
        return out;
    }
    std::vector<std::string> MemberNames(const std::string& parent, const std::string& role) const {
        std::vector<std::string> names;
        for (const std::string& m : Members(parent, role)) names.push_back(Name(m));
        return names;
    }
    int Ord(const std::string& id) const { return std::atoi(Attr(id, "e301:OrdNaming.ord").c_str()); }

    // The resources of class `cls` named `name`, in file order.
    std::vector<std::string> Named(const std::string& cls, const std::string& name) const {
        std::vector<std::string> out;
        for (const std::string& id : OfClass(cls))
            if (Name(id) == name) out.push_back(id);
        return out;
    }
    std::string One(const std::string& cls, const std::string& name) const {
        auto all = Named(cls, name);
        return all.size() == 1 ? all.front() : std::string();
    }

    // The member named `name` of a parent list; "" when there is none.
    std::string Member(const std::string& parent, const std::string& role, const std::string& name) const {
        for (const std::string& m : Members(parent, role))
            if (Name(m) == name) return m;
        return {};
    }

private:
    pugi::xml_document doc_;
    std::map<std::string, pugi::xml_node> byId_;
    std::map<std::string, std::vector<std::string>> byClass_;
    std::map<std::pair<std::string, std::string>, std::vector<std::string>> referrers_;
};

}  // namespace nsd2cim_test
