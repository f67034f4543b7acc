#include "tests/import/xml_tree_diff.h"

#include <algorithm>
#include <cstring>
#include <ostream>

namespace kiln::test {

std::ostream& operator<<(std::ostream& os, const TreeDifference& d) {
    os << d.path;
    if (!d.attribute.empty()) os << (d.attribute.front() == '#' ? " " : " @") << d.attribute;
    os << ": source " << d.source << ", output " << d.output;
    if (!d.allowed.empty()) os << " (allowed: " << d.allowed << ")";
    return os;
}

namespace {

constexpr const char* kAbsent = "(absent)";
constexpr const char* kPresent = "(present)";

// The namespace a prefix ("" for the default one) stands for at `element`.
std::string NamespaceOf(pugi::xml_node element, const std::string& prefix) {
    const std::string decl = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
    for (; element; element = element.parent())
        if (pugi::xml_attribute a = element.attribute(decl.c_str())) return a.value();
    return std::string();
}

std::string Qualify(const pugi::xml_node& scope, const char* name, bool isAttr, const std::string& ns) {
    const char* colon = std::strchr(name, ':');
    const std::string prefix = colon ? std::string(name, colon) : std::string();
    const std::string local = colon ? std::string(colon + 1) : std::string(name);
    if (isAttr) {
        if (prefix == "xmlns" || (!colon && local == "xmlns")) return std::string();
        if (!colon || prefix == "xml") return name;
    }
    const std::string uri = NamespaceOf(scope, prefix);
    if (uri == ns || (uri.empty() && !isAttr)) return local;
    return "{" + uri + "}" + local;
}

bool IsBool(const std::string& v) { return v == "true" || v == "false"; }

// Equal texts, and xs:boolean's "1"/"0" equal to "true"/"false".
bool SameValue(const std::string& a, const std::string& b) {
    if (a == b) return true;
    if (!IsBool(a) && !IsBool(b)) return false;
    auto norm = [](const std::string& v) { return v == "1" ? std::string("true") : v == "0" ? "false" : v; };
    return norm(a) == norm(b);
}

std::string Trimmed(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// The element's own text (its text and CDATA children), trimmed.
std::string OwnText(const pugi::xml_node& element) {
    std::string text;
    for (pugi::xml_node c : element.children())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) text += c.value();
    return Trimmed(text);
}

// The attribute values of an element by qualified name, with the defaults
// of those it leaves out filled in where the rules know one.
struct Attrs {
    std::map<std::string, std::string> given;
    bool Value(const pugi::xml_node& el, const std::string& name, const TreeDiffRules& rules, std::string& v) const {
        auto it = given.find(name);
        if (it != given.end()) {
            v = it->second;
            return true;
        }
        return rules.defaultOf && rules.defaultOf(el, name, v);
    }
};

Attrs AttrsOf(const pugi::xml_node& el, const std::string& ns) {
    Attrs out;
    for (pugi::xml_attribute a : el.attributes()) {
        const std::string q = Qualify(el, a.name(), true, ns);
        if (!q.empty()) out.given.emplace(q, a.value());
    }
    return out;
}

struct Group {
    std::vector<pugi::xml_node> source, output;
};

std::string KeyOf(const pugi::xml_node& el, const std::vector<std::string>& keys, const TreeDiffRules& rules,
                  const std::string& ns) {
    const Attrs attrs = AttrsOf(el, ns);
    std::string key;
    for (const std::string& k : keys) {
        std::string v;
        attrs.Value(el, k, rules, v);
        key += (key.empty() ? "" : ",") + k + "=" + v;
    }
    return key;
}

std::string Allowed(const TreeDiffRules& rules, const pugi::xml_node& el, const std::string& attr) {
    return rules.allowedLoss ? rules.allowedLoss(el, attr) : std::string();
}

}  // namespace

std::string QualifiedName(const pugi::xml_node& element, const pugi::xml_attribute* attr, const std::string& ns) {
    return attr ? Qualify(element, attr->name(), true, ns) : Qualify(element, element.name(), false, ns);
}

void CompareTrees(const pugi::xml_node& source, const pugi::xml_node& output, const std::string& path,
                  const TreeDiffRules& rules, std::vector<TreeDifference>& out) {
    // Attributes, a left-out one compared as its default.
    const Attrs sa = AttrsOf(source, rules.ns), oa = AttrsOf(output, rules.ns);
    std::set<std::string> names;
    for (const auto& [n, v] : sa.given) names.insert(n);
    for (const auto& [n, v] : oa.given) names.insert(n);
    for (const std::string& n : names) {
        std::string sv, ov;
        const bool hasS = sa.Value(source, n, rules, sv), hasO = oa.Value(output, n, rules, ov);
        if (!hasS && n.front() == '{' && rules.ownNamespaces.count(n.substr(1, n.find('}') - 1))) continue;
        // An attribute the source left out and the output holds was made up
        // by the writer, unless the writer always writes it.
        if (!sa.given.count(n) && oa.given.count(n) && !(rules.alwaysWritten && rules.alwaysWritten(output, n))) {
            out.push_back({path, n, kAbsent, '"' + ov + '"', std::string()});
            continue;
        }
        if (hasS == hasO && (!hasS || SameValue(sv, ov))) continue;
        out.push_back({path, n, hasS ? '"' + sv + '"' : kAbsent, hasO ? '"' + ov + '"' : kAbsent,
                       hasS ? Allowed(rules, source, n) : std::string()});
    }
    const std::string st = OwnText(source), ot = OwnText(output);
    if (st != ot) out.push_back({path, "#text", '"' + st + '"', '"' + ot + '"', Allowed(rules, source, "#text")});

    // The order across kinds of the members both sides hold (a member only
    // one side holds is a difference of its own below).
    const auto across = rules.orderedAcross.find(Qualify(source, source.name(), false, rules.ns));
    if (across != rules.orderedAcross.end()) {
        auto sequence = [&](const pugi::xml_node& parent) {
            std::vector<std::string> seq;
            for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
                if (c.type() != pugi::node_element) continue;
                const std::string q = Qualify(c, c.name(), false, rules.ns);
                if (across->second.count(q)) seq.push_back(q + " " + c.attribute("name").value());
            }
            return seq;
        };
        std::vector<std::string> ss = sequence(source), os = sequence(output);
        const std::multiset<std::string> inS(ss.begin(), ss.end()), inO(os.begin(), os.end());
        ss.erase(std::remove_if(ss.begin(), ss.end(), [&](const std::string& m) { return !inO.count(m); }), ss.end());
        os.erase(std::remove_if(os.begin(), os.end(), [&](const std::string& m) { return !inS.count(m); }), os.end());
        if (ss != os) {
            auto join = [](const std::vector<std::string>& seq) {
                std::string text;
                for (const std::string& m : seq) text += (text.empty() ? "" : ", ") + m;
                return '"' + text + '"';
            };
            out.push_back({path, "#order", join(ss), join(os), ""});
        }
    }

    // Children, grouped by name in the order the source names them first.
    std::vector<std::string> order;
    std::map<std::string, Group> groups;
    auto collect = [&](const pugi::xml_node& parent, bool isSource) {
        for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) continue;
            const std::string q = Qualify(c, c.name(), false, rules.ns);
            if (!groups.count(q)) order.push_back(q);
            (isSource ? groups[q].source : groups[q].output).push_back(c);
        }
    };
    collect(source, true);
    collect(output, false);
    const std::string parentName = Qualify(source, source.name(), false, rules.ns);
    for (const std::string& q : order) {
        const Group& g = groups[q];
        auto keyIt = rules.keys.find(q);
        const bool keyed = keyIt != rules.keys.end() && !rules.ordered.count(parentName + "/" + q);
        const bool several = g.source.size() > 1 || g.output.size() > 1;
        // Pairs by key (in document order among equal keys) or by position.
        std::vector<std::pair<pugi::xml_node, pugi::xml_node>> pairs;
        std::vector<std::string> labels;
        if (keyed) {
            std::multimap<std::string, pugi::xml_node> outs;
            for (const pugi::xml_node& o : g.output) outs.emplace(KeyOf(o, keyIt->second, rules, rules.ns), o);
            for (const pugi::xml_node& s : g.source) {
                const std::string k = KeyOf(s, keyIt->second, rules, rules.ns);
                auto it = outs.find(k);
                pugi::xml_node o;
                if (it != outs.end()) {
                    o = it->second;
                    outs.erase(it);
                }
                pairs.emplace_back(s, o);
                labels.push_back(k);
            }
            for (const auto& [k, o] : outs) {
                pairs.emplace_back(pugi::xml_node(), o);
                labels.push_back(k);
            }
        } else {
            for (size_t i = 0; i < std::max(g.source.size(), g.output.size()); ++i) {
                pairs.emplace_back(i < g.source.size() ? g.source[i] : pugi::xml_node(),
                                   i < g.output.size() ? g.output[i] : pugi::xml_node());
                labels.push_back(several ? std::to_string(i + 1) : std::string());
            }
        }
        for (size_t i = 0; i < pairs.size(); ++i) {
            const auto& [s, o] = pairs[i];
            const std::string childPath = path + "/" + q + (labels[i].empty() ? "" : "[" + labels[i] + "]");
            if (s && o)
                CompareTrees(s, o, childPath, rules, out);
            else if (s)
                out.push_back({childPath, "", kPresent, kAbsent, Allowed(rules, s, "")});
            else
                out.push_back({childPath, "", kAbsent, kPresent, ""});
        }
    }
}

}  // namespace kiln::test
