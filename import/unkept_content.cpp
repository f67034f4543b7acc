// What an ICD import has no place for in the model, named in the import
// report: one warning per kind and element of the imported IED, of the
// data-type templates and of the file's Communication section as it
// concerns that IED. Nothing here changes the model.
//
// The pass reads the parsed tree directly and walks it without recursion,
// keeping the namespace declarations in force as it goes, so that a deeply
// nested file costs no more than a flat one of the same size.
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/scl_value_types.h"
#include "import/import_util.h"
#include "import/unkept_content.h"

using kiln::import::Dec;
using kiln::import::ReportedBy;
using kiln::import::UnkeptAttribute;
using kiln::import::UnkeptElement;

namespace kiln::import {

// Elements the model keeps nothing of: free texts and tools' private
// elements anywhere, the services of the IED and its access points, GOOSE
// and sampled-value control blocks, the security and key-distribution
// settings of an access point and its IED, the server's predefined
// associations, the protocol namespaces of a data attribute or type and the
// first edition's SCL control block; an access point's own logical nodes
// and the reference of an access point to another's server are named with
// the access points.
constexpr UnkeptElement kUnkeptElements[] = {
    {"*", "Private", ReportedBy::UnkeptPass},          {"*", "Text", ReportedBy::UnkeptPass},
    {"IED", "Services", ReportedBy::UnkeptPass},       {"AccessPoint", "Services", ReportedBy::UnkeptPass},
    {"*", "GSEControl", ReportedBy::UnkeptPass},       {"*", "SampledValueControl", ReportedBy::UnkeptPass},
    {"AccessPoint", "GOOSESecurity", ReportedBy::UnkeptPass},
    {"AccessPoint", "SMVSecurity", ReportedBy::UnkeptPass},
    {"Server", "Association", ReportedBy::UnkeptPass}, {"IED", "KDC", ReportedBy::UnkeptPass},
    {"DA", "ProtNs", ReportedBy::UnkeptPass},          {"DAType", "ProtNs", ReportedBy::UnkeptPass},
    {"LN0", "SCLControl", ReportedBy::UnkeptPass},
    {"AccessPoint", "LN", ReportedBy::IedReader},      {"AccessPoint", "ServerAt", ReportedBy::IedReader},
};

// Attributes the model keeps no place for: the description of an element
// Inputs, the attributes of an input that bind it to its source, and the
// early first-edition report option `segmentation`.
constexpr UnkeptAttribute kUnkeptAttributes[] = {
    {"Inputs", "desc", ReportedBy::UnkeptPass},           {"ExtRef", "serviceType", ReportedBy::UnkeptPass},
    {"ExtRef", "srcLDInst", ReportedBy::UnkeptPass},      {"ExtRef", "srcPrefix", ReportedBy::UnkeptPass},
    {"ExtRef", "srcLNClass", ReportedBy::UnkeptPass},     {"ExtRef", "srcLNInst", ReportedBy::UnkeptPass},
    {"ExtRef", "srcCBName", ReportedBy::UnkeptPass},      {"ExtRef", "pServT", ReportedBy::UnkeptPass},
    {"ExtRef", "pLN", ReportedBy::UnkeptPass},            {"ExtRef", "pDO", ReportedBy::UnkeptPass},
    {"ExtRef", "pDA", ReportedBy::UnkeptPass},            {"OptFields", "segmentation", ReportedBy::RcbReader},
};

// The boolean attributes the readers keep as true or false. A text SCL
// does not take for a boolean ("yes", "on", "TRUE") is read as the readers
// read it, and named with what it became.
constexpr struct {
    const char* element;
    const char* attribute;
} kBooleanAttributes[] = {
    {"ReportControl", "buffered"}, {"ReportControl", "indexed"}, {"TrgOps", "dchg"},      {"TrgOps", "qchg"},
    {"TrgOps", "dupd"},            {"TrgOps", "period"},         {"TrgOps", "gi"},        {"OptFields", "seqNum"},
    {"OptFields", "timeStamp"},    {"OptFields", "dataSet"},     {"OptFields", "reasonCode"},
    {"OptFields", "dataRef"},      {"OptFields", "entryID"},     {"OptFields", "configRef"},
    {"OptFields", "bufOvfl"},      {"LogControl", "logEna"},     {"LogControl", "reasonCode"},
    {"DO", "transient"},           {"DA", "dchg"},               {"DA", "qchg"},          {"DA", "dupd"},
    {"DA", "valImport"},           {"BDA", "valImport"},
};

std::span<const UnkeptElement> UnkeptElements() { return kUnkeptElements; }
std::span<const UnkeptAttribute> UnkeptAttributes() { return kUnkeptAttributes; }

}  // namespace kiln::import

namespace {

constexpr const char* kZsclNs = "http://kiln.local/Zel/2007/zScl";

// A "where" text names at most this many steps above what it reports.
constexpr int kWhereSteps = 12;

// SCL's namespace and the system's own: the readers take "zScl:" attributes
// by their prefix, whatever namespace the file gives it.
bool IsOwnNamespace(const std::string& prefix, const std::string& ns) {
    return prefix == "zScl" || ns.empty() || ns == kiln::import::kSclNamespace || ns == kZsclNs;
}

std::string PrefixOf(const char* qname) {
    const char* colon = std::strchr(qname, ':');
    return colon ? std::string(qname, colon) : std::string();
}

const char* LocalName(const char* qname) {
    const char* colon = std::strchr(qname, ':');
    return colon ? colon + 1 : qname;
}

CString LocalOf(const char* qname) { return CString(LocalName(qname)); }

// True when an element of this local name is one the walk below looks at
// more closely (the kinds it compares with); the others, most of an IED, are
// passed over without their names being compared one by one.
bool ReportedKind(const char* local) {
    auto is = [local](const char* k) { return k[0] == local[0] && std::strcmp(k, local) == 0; };
    for (const char* k : {"DOI", "SDI"})
        if (is(k)) return true;
    for (const UnkeptElement& row : kiln::import::UnkeptElements())
        if (is(row.element)) return true;
    for (const UnkeptAttribute& row : kiln::import::UnkeptAttributes())
        if (row.by == ReportedBy::UnkeptPass && is(row.element)) return true;
    return false;
}

CString Attr(const pugi::xml_node& el, const char* name) { return CString(el.attribute(name).value()); }

// The namespace declarations in force at an element, innermost last.
class Bindings {
public:
    // Those of the element's ancestors and its own.
    void EnterFrom(const pugi::xml_node& el) {
        std::vector<pugi::xml_node> chain;
        for (pugi::xml_node n = el; n && n.type() == pugi::node_element; n = n.parent()) chain.push_back(n);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) Enter(*it);
    }
    void Enter(const pugi::xml_node& el) {
        for (const pugi::xml_attribute& a : el.attributes()) {
            const char* name = a.name();
            if (std::strcmp(name, "xmlns") == 0)
                m_decls.emplace_back(std::string(), a.value());
            else if (std::strncmp(name, "xmlns:", 6) == 0)
                m_decls.emplace_back(name + 6, a.value());
        }
    }
    size_t Mark() const { return m_decls.size(); }
    void Leave(size_t mark) { m_decls.resize(mark); }
    const std::string& Resolve(const std::string& prefix) const {
        static const std::string kNone;
        for (auto it = m_decls.rbegin(); it != m_decls.rend(); ++it)
            if (it->first == prefix) return it->second;
        return kNone;
    }

private:
    std::vector<std::pair<std::string, std::string>> m_decls;
};

// The element's step in a "where" text: its kind and what names it.
CString StepOf(const pugi::xml_node& el) {
    const CString kind = LocalOf(el.name());
    if (kind == "LN0") return kind;
    if (kind == "LN") return "LN:" + Attr(el, "prefix") + Attr(el, "lnClass") + Attr(el, "inst");
    for (const char* key : {"name", "inst", "id"})
        if (pugi::xml_attribute a = el.attribute(key)) return kind + ":" + a.value();
    return kind;
}

// Where an element sits: the steps from `top` down to it ("IED:A/AccessPoint:
// S1/Server/LDevice:PROT/LN0"), the middle left out when the path is long.
CString WhereOf(const pugi::xml_node& el, const pugi::xml_node& top) {
    std::vector<CString> steps;
    pugi::xml_node n = el;
    for (; n && n != top && static_cast<int>(steps.size()) < kWhereSteps; n = n.parent()) steps.push_back(StepOf(n));
    CString where = StepOf(top);
    if (n && n != top) where += "/…";
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) where += "/" + *it;
    return where;
}

}  // namespace

void CKiln_Import::Report_UnkeptContent(const XmlNode& rootNode, const XmlNode& iedNode) {
    const pugi::xml_node root = rootNode.PugiNode(), ied = iedNode.PugiNode();
    if (!ied) return;
    const CString iedName = Attr(ied, "name");
    auto warn = [this](const CString& what, const CString& error) {
        AddEntry(m_pOtherErrorsNode, "other_error", "警告：ICD文件:  " + what, error, &m_nWarnings);
    };

    // Attributes of other namespaces: one entry per attribute and element
    // kind, in the order first met, with where that was and how often.
    struct ForeignAttr {
        CString name, ns, kind, where;
        int count = 0;
    };
    std::vector<ForeignAttr> foreignAttrs;
    std::map<std::pair<std::string, std::string>, size_t> foreignAt;  // (kind, "{ns}local") -> index
    Bindings bindings;

    // The SDIs of the outermost DOI last entered that have a DAI below them:
    // an SDI without one has no place in the model. Each such DOI is gone
    // through once, the DOIs nested in it with it.
    std::set<pugi::xml_node> sdisWithDai;
    auto markSdisWithDai = [&](const pugi::xml_node& doi) {
        sdisWithDai.clear();
        for (pugi::xml_node n = doi.first_child(); n && n != doi;) {
            // The SDIs above a DAI, up to the first already marked.
            if (n.type() == pugi::node_element && std::strcmp(LocalName(n.name()), "DAI") == 0)
                for (pugi::xml_node p = n.parent(); p != doi && sdisWithDai.insert(p).second;) p = p.parent();
            if (n.first_child()) {
                n = n.first_child();
                continue;
            }
            while (n != doi && !n.next_sibling()) n = n.parent();
            if (n != doi) n = n.next_sibling();
        }
    };

    auto checkAttrs = [&](const pugi::xml_node& el, const pugi::xml_node& top) {
        for (const pugi::xml_attribute& a : el.attributes()) {
            // Most attributes have no prefix: tell so in place, without a string.
            const char* colon = std::strchr(a.name(), ':');
            if (!colon) continue;
            const std::string_view head(a.name(), static_cast<size_t>(colon - a.name()));
            if (head.empty() || head == "xmlns" || head == "xml") continue;
            const std::string prefix(head);
            const std::string ns = bindings.Resolve(prefix);
            if (IsOwnNamespace(prefix, ns)) continue;
            const CString kind = LocalOf(el.name());
            const auto key = std::make_pair(kind.str(), "{" + ns + "}" + LocalOf(a.name()).str());
            auto it = foreignAt.find(key);
            if (it == foreignAt.end()) {
                it = foreignAt.emplace(key, foreignAttrs.size()).first;
                foreignAttrs.push_back({CString(a.name()), CString(ns), kind, WhereOf(el, top)});
            }
            ++foreignAttrs[it->second].count;
        }
    };

    // The warning of an element not kept at all: its kind and what names it.
    auto warnWhole = [&](const pugi::xml_node& el, const CString& kind, const CString& parentKind,
                         const CString& where) {
        if (kind == "Private") {
            const CString type = Attr(el, "type");
            warn("Private:" + type, where + "下的Private(type=" + type + ")未导入");
        } else if (kind == "Services" && parentKind == "IED") {
            warn("Services", "IED:" + iedName + "的Services未导入");
        } else if (kind == "Services" || kind == "Text") {
            warn(kind, where + "下的" + kind + "未导入");
        } else if (kind == "GSEControl" || kind == "SampledValueControl") {
            const CString name = Attr(el, "name");
            warn(kind + ":" + name, where + "下的" + (kind == "GSEControl" ? "GOOSE" : "采样值") + "控制块" + kind +
                                        ":" + name + "未导入");
        } else {
            const CString step = kind == "KDC"      ? kind + ":" + Attr(el, "iedName") + "/" + Attr(el, "apName")
                                 : kind == "ProtNs" ? kind + ":" + CString(el.child_value())
                                                    : StepOf(el);
            warn(step, where + "下的" + step + "未导入");
        }
    };

    // Reports what the model keeps nothing of at an element; true when the
    // walk is not to go into it (reported whole, or another reader's).
    auto reportWhole = [&](const pugi::xml_node& el, const pugi::xml_node& top) {
        const char* qname = el.name();
        const std::string prefix = PrefixOf(qname);
        const std::string& ns = bindings.Resolve(prefix);
        auto where = [&] { return WhereOf(el.parent(), top); };
        if (!IsOwnNamespace(prefix, ns)) {
            warn(CString(qname), where() + "下的" + qname + "(命名空间" + CString(ns) + ")未导入");
            return true;
        }
        const char* local = LocalName(qname);
        for (const auto& row : kiln::import::kBooleanAttributes) {
            if (row.element[0] != local[0] || std::strcmp(row.element, local) != 0) continue;
            const pugi::xml_attribute a = el.attribute(row.attribute);
            if (!a || kiln::core::IsSclBoolean(a.value())) continue;
            warn(CString(local) + "@" + row.attribute,
                 WhereOf(el, top) + "的属性" + row.attribute + "的值“" + a.value() + "”不是布尔值，按" +
                     (kiln::import::IsTrueText(a.value()) ? "true" : "false") + "导入");
        }
        if (!ReportedKind(local)) return false;  // the plain case: nothing below applies
        const CString kind = LocalOf(qname), parentKind = LocalOf(el.parent().name());
        for (const UnkeptElement& row : kiln::import::UnkeptElements()) {
            if (kind != row.element || (std::strcmp(row.parent, "*") != 0 && parentKind != row.parent)) continue;
            if (row.by == ReportedBy::UnkeptPass) warnWhole(el, kind, parentKind, where());
            return true;
        }
        // Unkept attributes; those binding an input are named together.
        CString bound;
        for (const UnkeptAttribute& row : kiln::import::UnkeptAttributes()) {
            if (row.by != ReportedBy::UnkeptPass || kind != row.element || !el.attribute(row.attribute)) continue;
            if (kind == "ExtRef")
                bound += (bound.IsEmpty() ? "" : ",") + CString(row.attribute);
            else
                warn(kind + "@" + row.attribute, WhereOf(el, top) + "的属性" + row.attribute + "未导入");
        }
        if (!bound.IsEmpty()) {
            CString id = Attr(el, "intAddr");
            if (id.IsEmpty())
                id = Attr(el, "iedName") + Attr(el, "ldInst") + "/" + Attr(el, "prefix") + Attr(el, "lnClass") +
                     Attr(el, "lnInst") + "." + Attr(el, "doName");
            warn("ExtRef:" + id, where() + "下的ExtRef:" + id + "的绑定属性" + bound + "未导入");
        }
        // An SDI with no DAI below it is not kept; the walk goes on into it
        // for what else it holds, the SDIs within it not named again. A DOI
        // within a DOI was gone through with the one around it.
        if (kind == "DOI" && parentKind != "DOI" && parentKind != "SDI") markSdisWithDai(el);
        if (kind == "SDI" && !sdisWithDai.count(el) && (parentKind != "SDI" || sdisWithDai.count(el.parent()))) {
            const CString step = StepOf(el);
            warn(step, where() + "下的" + step + "(其下无DAI)未导入");
        }
        return false;
    };

    // Every element below `top` (its own attributes included), without
    // recursion: each stack entry is the next child to look at and the
    // declarations to go back to when its parent is left.
    auto walk = [&](const pugi::xml_node& top) {
        bindings.Leave(0);
        bindings.EnterFrom(top);
        checkAttrs(top, top);
        std::vector<std::pair<pugi::xml_node, size_t>> stack{{top.first_child(), bindings.Mark()}};
        while (!stack.empty()) {
            pugi::xml_node el = stack.back().first;
            while (el && el.type() != pugi::node_element) el = el.next_sibling();
            if (!el) {
                bindings.Leave(stack.back().second);
                stack.pop_back();
                continue;
            }
            stack.back().first = el.next_sibling();
            const size_t mark = bindings.Mark();
            bindings.Enter(el);
            if (reportWhole(el, top)) {
                bindings.Leave(mark);
                continue;
            }
            checkAttrs(el, top);
            stack.emplace_back(el.first_child(), mark);
        }
    };

    walk(ied);
    for (pugi::xml_node t = root.first_child(); t; t = t.next_sibling())
        if (std::strcmp(t.name(), "DataTypeTemplates") == 0) walk(t);
    for (const ForeignAttr& a : foreignAttrs)
        warn(a.kind + "@" + a.name, a.where + "的属性" + a.name + "(命名空间" + a.ns + ")未导入" +
                                        (a.count > 1 ? "，" + a.kind + "中共" + Dec(a.count) + "处" : CString()));

    // The Communication section: the addresses of the IED's access points,
    // and of its GOOSE and sampled-value blocks.
    CString apNames;
    std::vector<std::pair<CString, pugi::xml_node>> addresses;  // access point name, GSE or SMV
    for (pugi::xml_node comm = root.first_child(); comm; comm = comm.next_sibling()) {
        if (std::strcmp(comm.name(), "Communication") != 0) continue;
        for (pugi::xml_node net = comm.first_child(); net; net = net.next_sibling()) {
            if (std::strcmp(net.name(), "SubNetwork") != 0) continue;
            for (pugi::xml_node cap = net.first_child(); cap; cap = cap.next_sibling()) {
                if (std::strcmp(cap.name(), "ConnectedAP") != 0 || Attr(cap, "iedName") != iedName) continue;
                const CString ap = Attr(cap, "apName");
                apNames += (apNames.IsEmpty() ? "" : ",") + ap;
                for (pugi::xml_node el = cap.first_child(); el; el = el.next_sibling()) {
                    const CString kind(el.name());
                    if (kind == "GSE" || kind == "SMV") addresses.emplace_back(ap, el);
                }
            }
        }
    }
    if (apNames.IsEmpty()) return;
    warn("Communication", "Communication中IED:" + iedName + "的ConnectedAP:" + apNames + "未导入");
    for (const auto& [ap, el] : addresses) {
        const CString kind(el.name());
        const CString block = Attr(el, "ldInst") + "/" + Attr(el, "cbName");
        warn(kind + ":" + block, "Communication中ConnectedAP:" + ap + "下的" + kind + "地址:" + block + "未导入");
    }
}
