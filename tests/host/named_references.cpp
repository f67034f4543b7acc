#include "tests/host/named_references.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace kiln::test {

namespace {

std::string Attr(const pugi::xml_node& n, const char* name) { return n.attribute(name).value(); }

bool Is(const pugi::xml_node& n, const char* name) {
    const char* own = n.name();
    const char* colon = std::strrchr(own, ':');
    return std::strcmp(colon ? colon + 1 : own, name) == 0;
}

// A name of a dotted path without its functional constraints, and the
// element index it names ("phsAHar(3)"; "" when none).
struct Step {
    std::string name, index;
};
std::vector<Step> Names(const std::string& path) {
    std::vector<Step> out;
    if (path.empty()) return out;
    for (size_t start = 0;;) {
        const size_t dot = path.find('.', start);
        const std::string part = path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        const size_t open = part.find('(');
        out.push_back({part.substr(0, std::min(part.find('['), open)),
                       open == std::string::npos ? std::string() : part.substr(open + 1, part.find(')') - open - 1)});
        if (dot == std::string::npos) return out;
        start = dot + 1;
    }
}

class Walk {
public:
    std::vector<DanglingReference> found;

    explicit Walk(const pugi::xml_node& scl) {
        for (const pugi::xml_node& templates : scl.children())
            if (Is(templates, "DataTypeTemplates"))
                for (const pugi::xml_node& type : templates.children()) m_types[Attr(type, "id")] = type;
    }

    void Templates() {
        for (const auto& [id, type] : m_types)
            for (const pugi::xml_node& member : type.children())
                if (Is(member, "DA") || Is(member, "BDA")) EnumValues(member, member, id + "." + Attr(member, "name"));
    }

    void Ied(const pugi::xml_node& ied) {
        const std::string iedName = Attr(ied, "name");
        std::map<std::string, pugi::xml_node> nodes;  // "<ld>|<prefix>|<class>|<inst>"
        std::vector<std::pair<pugi::xml_node, std::string>> all;  // nodes with their places
        for (const pugi::xpath_node& ld : ied.select_nodes("*[local-name()='AccessPoint']/*[local-name()='Server']/"
                                                           "*[local-name()='LDevice']"))
            for (const pugi::xml_node& ln : ld.node().children()) {
                if (!Is(ln, "LN") && !Is(ln, "LN0")) continue;
                const std::string ldInst = Attr(ld.node(), "inst");
                nodes[ldInst + "|" + Attr(ln, "prefix") + "|" + Attr(ln, "lnClass") + "|" + Attr(ln, "inst")] = ln;
                all.emplace_back(ln, ldInst + "/" + Attr(ln, "prefix") + Attr(ln, "lnClass") + Attr(ln, "inst"));
            }
        for (const auto& [ln, place] : all) {
            const pugi::xml_node lnType = Type(Attr(ln, "lnType"));
            for (const pugi::xml_node& doi : ln.children()) {
                if (!Is(doi, "DOI")) continue;
                const pugi::xml_node dataObject = Child(lnType, Attr(doi, "name"));
                const std::string at = place + "." + Attr(doi, "name");
                if (!dataObject)
                    found.push_back({"DOI", at, ""});
                else
                    Instances(doi, Type(Attr(dataObject, "type")), at);
            }
            for (const pugi::xml_node& set : ln.children()) {
                if (!Is(set, "DataSet")) continue;
                for (const pugi::xml_node& fcda : set.children()) {
                    if (!Is(fcda, "FCDA")) continue;
                    const std::string lnClass = Attr(fcda, "lnClass");
                    const bool ln0 = lnClass == "LLN0";
                    const std::string key = Attr(fcda, "ldInst") + "|" + (ln0 ? "" : Attr(fcda, "prefix")) + "|" +
                                            lnClass + "|" + (ln0 ? "" : Attr(fcda, "lnInst"));
                    Reference(nodes, key, fcda, "FCDA", place + "." + Attr(set, "name"));
                }
            }
            for (const pugi::xpath_node& ext : ln.select_nodes("*[local-name()='Inputs']/*[local-name()='ExtRef']")) {
                const pugi::xml_node ref = ext.node();
                // Only an input of the IED's own data can be resolved in the file.
                if (Attr(ref, "iedName") != iedName || Attr(ref, "doName").empty()) continue;
                const std::string lnClass = Attr(ref, "lnClass");
                const bool ln0 = lnClass == "LLN0";
                const std::string key = Attr(ref, "ldInst") + "|" + (ln0 ? "" : Attr(ref, "prefix")) + "|" + lnClass +
                                        "|" + (ln0 ? "" : Attr(ref, "lnInst"));
                Reference(nodes, key, ref, "ExtRef", place + "." + Attr(ref, "intAddr"));
            }
        }
    }

private:
    std::map<std::string, pugi::xml_node> m_types;

    pugi::xml_node Type(const std::string& id) const {
        const auto it = m_types.find(id);
        return it == m_types.end() ? pugi::xml_node() : it->second;
    }
    // The member (DO, SDO, DA or BDA) of the type by its name.
    static pugi::xml_node Child(const pugi::xml_node& type, const std::string& name) {
        for (const pugi::xml_node& m : type.children())
            if (Attr(m, "name") == name && !Is(m, "EnumVal")) return m;
        return pugi::xml_node();
    }
    // The type below a member: a DO's or SDO's DO type, a structured DA's or BDA's DA type.
    pugi::xml_node Below(const pugi::xml_node& member) const {
        if (Is(member, "DO") || Is(member, "SDO") || Attr(member, "bType") == "Struct") return Type(Attr(member, "type"));
        return pugi::xml_node();
    }

    // The SDIs and DAIs below a DOI or SDI whose type is `type`.
    void Instances(const pugi::xml_node& parent, const pugi::xml_node& type, const std::string& place) {
        for (const pugi::xml_node& child : parent.children()) {
            const bool sdi = Is(child, "SDI");
            if (!sdi && !Is(child, "DAI")) continue;
            const std::string at = place + "." + Attr(child, "name");
            const pugi::xml_node member = Child(type, Attr(child, "name"));
            // An SDI stands for an SDO or a structured DA or BDA, a DAI for a DA or BDA.
            const bool fits = member && (sdi ? static_cast<bool>(Below(member)) : Is(member, "DA") || Is(member, "BDA"));
            if (!fits) {
                found.push_back({sdi ? "SDI" : "DAI", at, ""});
                continue;
            }
            if (sdi)
                Instances(child, Below(member), at);
            else
                EnumValues(child, member, at);
        }
    }

    void EnumValues(const pugi::xml_node& holder, const pugi::xml_node& member, const std::string& place) {
        if (Attr(member, "bType") != "Enum") return;
        const pugi::xml_node enumType = Type(Attr(member, "type"));
        if (!Is(enumType, "EnumType")) return;
        std::set<std::string> texts;
        for (const pugi::xml_node& v : enumType.children())
            if (Is(v, "EnumVal")) texts.insert(v.child_value());
        for (const pugi::xml_node& val : holder.children()) {
            // An empty value is none, unless the enumeration has an empty text.
            if (Is(val, "Val") && !texts.count(val.child_value())) found.push_back({"Enum", place, val.child_value()});
        }
    }

    // A data-set member or input: its node in the IED, its DO path in the
    // node's type and its attribute path below.
    void Reference(const std::map<std::string, pugi::xml_node>& nodes, const std::string& key,
                   const pugi::xml_node& ref, const char* kind, const std::string& where) {
        std::string path = Attr(ref, "doName");
        if (!Attr(ref, "daName").empty()) path += "." + Attr(ref, "daName");
        const auto node = nodes.find(key);
        bool resolved = node != nodes.end();
        if (resolved) {
            const std::vector<Step> doNames = Names(Attr(ref, "doName"));
            const std::vector<Step> daNames = Names(Attr(ref, "daName"));
            // An index names an element below the count of its array (a
            // count given by an attribute's name holds any).
            auto element = [](const pugi::xml_node& member, const Step& step) {
                if (!member || step.index.empty()) return member;
                auto number = [](const std::string& t) {
                    return !t.empty() && t.size() < 10 && t.find_first_not_of("0123456789") == std::string::npos;
                };
                const std::string count = Attr(member, "count");
                const bool held = number(count) ? number(step.index) && std::stoul(step.index) < std::stoul(count)
                                                : !count.empty() && number(step.index);
                return held ? member : pugi::xml_node();
            };
            pugi::xml_node at =
                doNames.empty() ? pugi::xml_node() : Child(Type(Attr(node->second, "lnType")), doNames[0].name);
            for (size_t k = 1; at && k < doNames.size(); ++k) {
                at = element(Child(Below(at), doNames[k].name), doNames[k]);
                if (at && !Is(at, "SDO")) at = pugi::xml_node();
            }
            // Real files let daName begin with the SDOs of an array element
            // ("phsAHar(3).cVal"), as the export does.
            for (size_t k = 0; at && k < daNames.size(); ++k) at = element(Child(Below(at), daNames[k].name), daNames[k]);
            resolved = static_cast<bool>(at);
        }
        if (!resolved) found.push_back({kind, where + ":" + path, ""});
    }
};

}  // namespace

std::vector<DanglingReference> DanglingReferences(const pugi::xml_node& scl) {
    Walk walk(scl);
    walk.Templates();
    for (const pugi::xml_node& ied : scl.children())
        if (Is(ied, "IED")) walk.Ied(ied);
    return std::move(walk.found);
}

std::vector<std::string> UnnamedReferences(const std::vector<DanglingReference>& found, const std::string& message) {
    static const std::string kHead = "不符合SCL的值（Enum取值错误）：";
    std::multiset<std::string> named;
    for (size_t at = message.find(kHead); at != std::string::npos; at = message.find(kHead, at + 1)) {
        const size_t end = message.find('\n', at);
        named.insert(message.substr(at + kHead.size(), end == std::string::npos ? std::string::npos : end - at - kHead.size()));
    }
    std::vector<std::string> out;
    for (const DanglingReference& r : found) {
        if (r.kind != "Enum") {
            out.push_back("the file names a " + r.kind + " that does not exist: " + r.place);
            continue;
        }
        const auto it = named.find(r.place + ":" + r.value);
        if (it == named.end())
            out.push_back("the Enum value at " + r.place + " is none of its type's, and not named: " + r.value);
        else
            named.erase(it);
    }
    for (const std::string& line : named) out.push_back("the Enum value named at " + line + " is one of its type's");
    return out;
}

}  // namespace kiln::test
