#include "tests/import/scl_compare.h"

#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "export/kiln_export.h"
#include "import/unkept_content.h"
#include "tests/host/kiln_program.h"

namespace kiln::test {
namespace {

constexpr const char* kSclNs = kiln::exporter::kSclNamespace;

// The schema's defaults of the attributes an IED and its types may leave
// out ("*": every element).
struct DefaultRow {
    const char* element;
    const char* attribute;
    const char* value;
};
const DefaultRow kDefaults[] = {
    {"*", "desc", ""},
    {"TrgOps", "dchg", "false"}, {"TrgOps", "qchg", "false"}, {"TrgOps", "dupd", "false"},
    {"TrgOps", "period", "false"}, {"TrgOps", "gi", "true"},
    {"OptFields", "seqNum", "false"}, {"OptFields", "timeStamp", "false"}, {"OptFields", "dataSet", "false"},
    {"OptFields", "reasonCode", "false"}, {"OptFields", "dataRef", "false"}, {"OptFields", "entryID", "false"},
    {"OptFields", "configRef", "false"}, {"OptFields", "bufOvfl", "true"},
    {"ReportControl", "buffered", "false"}, {"ReportControl", "bufTime", "0"}, {"ReportControl", "indexed", "true"},
    {"ReportControl", "intgPd", "0"},
    {"LogControl", "intgPd", "0"}, {"LogControl", "prefix", ""}, {"LogControl", "lnClass", "LLN0"},
    {"LogControl", "logEna", "true"}, {"LogControl", "reasonCode", "true"}, {"LogControl", "bufTime", "0"},
    {"RptEnabled", "max", "1"},
    {"LN", "prefix", ""}, {"FCDA", "prefix", ""}, {"ClientLN", "prefix", ""},
    // An input's empty prefix names a node without one, as no prefix does;
    // a member's empty instance names LLN0, and its empty attribute name the
    // whole DO, as none does.
    {"ExtRef", "prefix", ""}, {"FCDA", "lnInst", ""}, {"FCDA", "daName", ""},
    {"SettingControl", "actSG", "1"},
    {"AccessPoint", "router", "false"}, {"AccessPoint", "clock", "false"}, {"Server", "timeout", "30"},
    {"Authentication", "none", "true"}, {"Authentication", "password", "false"}, {"Authentication", "weak", "false"},
    {"Authentication", "strong", "false"}, {"Authentication", "certificate", "false"},
    {"LNodeType", "iedType", ""}, {"DOType", "iedType", ""}, {"DAType", "iedType", ""},
    {"DO", "transient", "false"}, {"SDO", "count", "0"},
    {"DA", "dchg", "false"}, {"DA", "qchg", "false"}, {"DA", "dupd", "false"},
    {"DA", "valKind", "Set"}, {"DA", "count", "0"}, {"DA", "valImport", "false"},
    {"BDA", "valKind", "Set"}, {"BDA", "count", "0"}, {"BDA", "valImport", "false"},
};

// The attributes the export writes whether or not the source held them
// ("*": on every element). An output's attribute the source left out is
// compared as the source's default only for these; any other is made up.
struct WrittenRow {
    const char* element;
    const char* attribute;
};
const WrittenRow kAlwaysWritten[] = {
    // The writers list desc on nodes and types and leave it empty where the
    // model holds none: empty is the schema's default.
    {"*", "desc"},
    // An LN's prefix is listed always, empty where the node has none.
    {"LN", "prefix"},
    // The model keeps a block's trigger options as one value, written back
    // as every flag: which of them the file spelled out is not kept.
    {"TrgOps", "*"},
    // A data set member names its device always.
    {"FCDA", "ldInst"},
    // The number of clients is written always (the schema's default, 1,
    // where the file gave none).
    {"RptEnabled", "max"},
};

bool AlwaysWritten(const pugi::xml_node& el, const std::string& attr) {
    const std::string name = QualifiedName(el, nullptr, kSclNs);
    for (const WrittenRow& row : kAlwaysWritten)
        if ((row.element == std::string("*") || name == row.element) &&
            (row.attribute == std::string("*") || attr == row.attribute))
            return true;
    return false;
}

std::string LocalName(const pugi::xml_node& el) { return QualifiedName(el, nullptr, kSclNs); }

std::vector<pugi::xml_node> ChildrenNamed(const pugi::xml_node& parent, const char* local) {
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && LocalName(c) == local) out.push_back(c);
    return out;
}

bool DefaultOf(const pugi::xml_node& el, const std::string& attr, std::string& value) {
    const std::string name = LocalName(el);
    // A member or a log control block without ldInst names its own
    // logical device.
    if ((name == "FCDA" || name == "LogControl") && attr == "ldInst") {
        for (pugi::xml_node p = el.parent(); p; p = p.parent())
            if (LocalName(p) == "LDevice") {
                value = p.attribute("inst").value();
                return true;
            }
        return false;
    }
    for (const DefaultRow& row : kDefaults)
        if ((row.element == std::string("*") || name == row.element) && attr == row.attribute) {
            value = row.value;
            return true;
        }
    return false;
}

// The namespace of a qualified name ("{ns}local"), "" for the SCL one.
std::string NamespacePart(const std::string& qname) {
    return qname.size() > 1 && qname.front() == '{' ? qname.substr(1, qname.find('}') - 1) : std::string();
}

constexpr const char* kOtherNamespaces = "no elements or attributes of other namespaces";
constexpr const char* kSdiWithoutDai = "no SDI with no DAI below it";
constexpr const char* kNodeWithoutType = "no logical node whose LN type the file does not hold";
constexpr const char* kDataSetNotInNode = "no `datSet` that names no data set of its control block's node";
constexpr const char* kFurtherLog = "keeps one `Log` of each logical device";

// Whether the file's templates hold an LNodeType of the node's lnType.
bool TypeInFile(const pugi::xml_node& lnode) {
    pugi::xml_node root = lnode;
    while (root.parent() && root.parent().type() == pugi::node_element) root = root.parent();
    for (const pugi::xml_node& templates : ChildrenNamed(root, "DataTypeTemplates"))
        for (const pugi::xml_node& type : ChildrenNamed(templates, "LNodeType"))
            if (std::string(type.attribute("id").value()) == lnode.attribute("lnType").value()) return true;
    return false;
}

std::string AllowedLossOf(const pugi::xml_node& el, const std::string& attr) {
    const std::string name = LocalName(el);
    // What another namespace than SCL's and the writer's own adds.
    for (const std::string& ns : {NamespacePart(name), NamespacePart(attr)})
        if (!ns.empty() && ns != kiln::exporter::kZsclNamespace) return kOtherNamespaces;
    // An access point without a server is not kept (one that holds logical
    // nodes goes with them); one with a server is kept always.
    if (name == "AccessPoint" && attr.empty()) {
        if (!ChildrenNamed(el, "Server").empty()) return std::string();
        if (!ChildrenNamed(el, "LN").empty()) return AllowedLossOf(ChildrenNamed(el, "LN").front(), "");
    }
    // A node whose type the file lacks is a fault of the file, not taken.
    if ((name == "LN" || name == "LN0") && attr.empty() && LocalName(el.parent()) == "LDevice" && !TypeInFile(el))
        return kNodeWithoutType;
    // A control block's data set that its node does not hold is a fault of
    // the file: the block is kept without it.
    if ((name == "ReportControl" || name == "LogControl") && attr == "datSet") {
        bool held = false;
        for (const pugi::xml_node& set : ChildrenNamed(el.parent(), "DataSet"))
            held = held || std::string(set.attribute("name").value()) == el.attribute("datSet").value();
        if (!held) return kDataSetNotInNode;
    }
    // A logical device keeps the first Log it reads.
    if (name == "Log" && attr.empty()) {
        pugi::xml_node device = el.parent();
        while (device && LocalName(device) != "LDevice") device = device.parent();
        if (device && device.select_node(".//*[local-name()='Log']").node() != el) return kFurtherLog;
    }
    // An SDI with no DAI below it has no place in the model.
    if (name == "SDI" && attr.empty() && !el.select_node(".//*[local-name()='DAI']")) return kSdiWithoutDai;
    const std::string withParent = LocalName(el.parent()) + "/" + name;
    for (const AllowedLoss& row : AllowedLosses())
        if ((row.element == name || row.element == withParent) && attr == row.attribute) return row.readme;
    return std::string();
}

TreeDiffRules MakeRules() {
    TreeDiffRules r;
    r.ns = kSclNs;
    r.ownNamespaces = {kiln::exporter::kZsclNamespace};
    r.keys = {{"IED", {"name"}},
              {"AccessPoint", {"name"}},
              {"LDevice", {"inst"}},
              {"LN", {"prefix", "lnClass", "inst"}},
              {"DataSet", {"name"}},
              {"ReportControl", {"name"}},
              {"LogControl", {"name"}},
              {"GSEControl", {"name"}},
              {"SampledValueControl", {"name"}},
              {"Log", {"name"}},
              {"DOI", {"name", "ix"}},
              {"SDI", {"name", "ix"}},
              {"DAI", {"name", "ix"}},
              {"Val", {"sGroup"}},
              {"ClientLN", {"iedName", "apRef", "ldInst", "prefix", "lnClass", "lnInst"}},
              {"ExtRef", {"iedName", "ldInst", "prefix", "lnClass", "lnInst", "doName", "daName", "intAddr"}},
              {"DO", {"name"}},
              {"SDO", {"name"}},
              {"DA", {"name"}},
              {"BDA", {"name"}},
              {"EnumVal", {"ord"}},
              {"Private", {"type"}}};
    // The members of a data set and of a type are sequences.
    r.ordered = {"DataSet/FCDA", "LNodeType/DO", "DOType/SDO", "DOType/DA", "DAType/BDA"};
    // A DO type's SDOs and DAs are one sequence.
    r.orderedAcross = {{"DOType", {"SDO", "DA"}}};
    r.defaultOf = DefaultOf;
    r.alwaysWritten = AlwaysWritten;
    r.allowedLoss = AllowedLossOf;
    return r;
}

}  // namespace

std::set<std::string> UsedTypes(const pugi::xml_node& ied, const pugi::xml_node& templates) {
    std::map<std::string, pugi::xml_node> types;
    for (pugi::xml_node t = templates.first_child(); t; t = t.next_sibling())
        if (t.type() == pugi::node_element) types.emplace(LocalName(t) + ":" + t.attribute("id").value(), t);
    std::set<std::string> used;
    std::vector<std::string> todo;
    auto use = [&](const std::string& key) {
        if (used.insert(key).second) todo.push_back(key);
    };
    for (pugi::xml_node ap : ChildrenNamed(ied, "AccessPoint"))
        for (pugi::xml_node server : ChildrenNamed(ap, "Server"))
            for (pugi::xml_node ld : ChildrenNamed(server, "LDevice"))
                for (pugi::xml_node ln = ld.first_child(); ln; ln = ln.next_sibling())
                    if (LocalName(ln) == "LN0" || LocalName(ln) == "LN")
                        use(std::string("LNodeType:") + ln.attribute("lnType").value());
    while (!todo.empty()) {
        const std::string key = todo.back();
        todo.pop_back();
        auto it = types.find(key);
        if (it == types.end()) continue;
        for (pugi::xml_node m = it->second.first_child(); m; m = m.next_sibling()) {
            const std::string kind = LocalName(m);
            const std::string type = m.attribute("type").value();
            const std::string bType = m.attribute("bType").value();
            if (kind == "DO" || kind == "SDO")
                use("DOType:" + type);
            else if ((kind == "DA" || kind == "BDA") && bType == "Struct")
                use("DAType:" + type);
            else if ((kind == "DA" || kind == "BDA") && bType == "Enum")
                use("EnumType:" + type);
        }
    }
    return used;
}

const std::vector<AllowedLoss>& AllowedLosses() {
    static const std::vector<AllowedLoss> rows = [] {
        std::vector<AllowedLoss> out = {
            {"GSEControl", "", "no GOOSE or sampled-value control blocks"},
            {"SampledValueControl", "", "no GOOSE or sampled-value control blocks"},
            {"Communication", "", "no Communication section"},
            {"AccessPoint/LN", "", "no logical node directly under an access point"},
            {"OptFields", "segmentation", "the early first-edition report option `segmentation`"},
            {"Private", "", "no Private elements"},
            {"IED/Services", "", "no Services element of the IED"},
            {"*", "{*}", kOtherNamespaces},
            {"AccessPoint", "", "no access point without a server"},
            {"IED", "name", "names the IED \"TEMPLATE\", as an ICD does"},
            {"Text", "", "no `Text` elements"},
            {"Inputs", "desc", "no `desc` of an element `Inputs`"},
            {"AccessPoint/Services", "", "no `Services` of an access point"},
            {"AccessPoint/GOOSESecurity", "", "no `GOOSESecurity` or `SMVSecurity` of an access point"},
            {"AccessPoint/SMVSecurity", "", "no `GOOSESecurity` or `SMVSecurity` of an access point"},
            {"Server/Association", "", "no `Association` of a server"},
            {"IED/KDC", "", "no `KDC` of the IED"},
            {"DA/ProtNs", "", "no `ProtNs` of a data attribute or data type"},
            {"DAType/ProtNs", "", "no `ProtNs` of a data attribute or data type"},
            {"LN0/SCLControl", "", "no `SCLControl` of a first-edition LN0"},
            {"AccessPoint/ServerAt", "", "no access point without a server"},
        };
        // The binding attributes of an input, as the import's own table names them.
        for (const kiln::import::UnkeptAttribute& a : kiln::import::UnkeptAttributes())
            if (std::string(a.element) == "ExtRef") out.push_back({"ExtRef", a.attribute, "no binding attributes of inputs"});
        return out;
    }();
    return rows;
}

std::vector<std::string> ReportWordsOf(const TreeDifference& d) {
    // The last step of the path: "{ns}" and "[...]" may hold a "/".
    int depth = 0;
    size_t start = 0;
    for (size_t i = d.path.size(); i-- > 0;) {
        const char c = d.path[i];
        if (c == ']' || c == '}') ++depth;
        if (c == '[' || c == '{') --depth;
        if (c == '/' && depth == 0) {
            start = i + 1;
            break;
        }
    }
    const std::string step = d.path.substr(start);
    const size_t closeNs = step.front() == '{' ? step.find('}') : std::string::npos;
    const size_t open = step.find('[', closeNs == std::string::npos ? 0 : closeNs);
    const std::string kind = step.substr(0, open);
    auto addName = [](std::vector<std::string>& words, const std::string& qname) {
        const std::string ns = NamespacePart(qname);
        words.push_back(ns.empty() ? qname : qname.substr(qname.find('}') + 1));
        if (!ns.empty()) words.push_back(ns);
    };
    // The key values of the label ("name=g,ix="); a position names nothing.
    std::vector<std::string> keys;
    std::istringstream label(open == std::string::npos ? std::string() : step.substr(open + 1, step.size() - open - 2));
    for (std::string pair; std::getline(label, pair, ',');) {
        const size_t eq = pair.find('=');
        if (eq != std::string::npos && eq + 1 < pair.size()) keys.push_back(pair.substr(eq + 1));
    }
    // A control block's data set that its node lacks: the block's name and
    // the data set the file named.
    if (d.attribute == "datSet") {
        keys.push_back("DataSet:" + d.source.substr(1, d.source.size() - 2));
        return keys;
    }
    std::vector<std::string> words;
    addName(words, kind);
    if (!d.attribute.empty()) {
        addName(words, d.attribute);
        return words;
    }
    words.insert(words.end(), keys.begin(), keys.end());
    return words;
}

const TreeDiffRules& SclRules() {
    static const TreeDiffRules rules = MakeRules();
    return rules;
}

pugi::xml_node ImportedIed(const pugi::xml_node& scl) {
    const std::vector<pugi::xml_node> ieds = ChildrenNamed(scl, "IED");
    for (const pugi::xml_node& ied : ieds)
        for (const pugi::xml_node& ap : ChildrenNamed(ied, "AccessPoint"))
            if (!ChildrenNamed(ap, "Server").empty()) return ied;
    return ieds.empty() ? pugi::xml_node() : ieds.front();
}

namespace {

// Moves each DAI whose name is a dotted path into the SDIs its path names
// (an SDI of that name already there takes it), under its own last name.
void NestDottedDais(const pugi::xml_node& top) {
    std::vector<pugi::xml_node> dotted;
    for (pugi::xpath_node n : top.select_nodes(".//*[local-name()='DAI'][contains(@name, '.')]")) dotted.push_back(n.node());
    for (pugi::xml_node dai : dotted) {
        std::string name = dai.attribute("name").value();
        pugi::xml_node parent = dai.parent();
        for (size_t dot; (dot = name.find('.')) != std::string::npos; name.erase(0, dot + 1)) {
            const std::string step = name.substr(0, dot);
            pugi::xml_node sdi;
            for (const pugi::xml_node& c : ChildrenNamed(parent, "SDI"))
                if (step == c.attribute("name").value() && !c.attribute("ix")) sdi = c;
            if (!sdi) {
                // "DAI" or "prefix:DAI": the SDI takes the same prefix.
                const std::string element = std::string(dai.name()).substr(0, std::strlen(dai.name()) - 3) + "SDI";
                sdi = parent == dai.parent() ? parent.insert_child_before(element.c_str(), dai)
                                             : parent.append_child(element.c_str());
                sdi.append_attribute("name") = step.c_str();
            }
            parent = sdi;
        }
        dai.attribute("name").set_value(name.c_str());
        parent.append_move(dai);
    }
}

}  // namespace

std::vector<TreeDifference> CompareSclRoundTrip(const pugi::xml_node& sourceScl, const pugi::xml_node& outputScl) {
    std::vector<TreeDifference> out;
    const TreeDiffRules& rules = SclRules();
    const pugi::xml_node srcIed = ImportedIed(sourceScl);
    if (!srcIed) return out;
    const std::vector<pugi::xml_node> outIeds = ChildrenNamed(outputScl, "IED");
    const std::string iedPath = std::string("/SCL/IED[name=") + srcIed.attribute("name").value() + "]";
    if (outIeds.empty()) {
        out.push_back({iedPath, "", "(present)", "(absent)", ""});
    } else {
        // The export names the IED "TEMPLATE" (an allowed difference) and
        // so do its inputs and report clients that name the IED's own
        // nodes: those are compared as naming the source's IED.
        pugi::xml_document copy;
        const pugi::xml_node root = copy.append_copy(outputScl);
        pugi::xml_node ied = ChildrenNamed(root, "IED").front();
        const std::string srcName = srcIed.attribute("name").value(), outName = ied.attribute("name").value();
        if (srcName != outName)
            for (pugi::xpath_node ref : ied.select_nodes(".//*[local-name()='ExtRef' or local-name()='ClientLN']"))
                if (ref.node().attribute("iedName").value() == outName)
                    ref.node().attribute("iedName").set_value(srcName.c_str());
        // A DAI named by a dotted path ("units.SIUnit", not valid SCL) is
        // read as the DAI within its SDIs, and written so: compare it so.
        pugi::xml_document srcCopy;
        pugi::xml_node src = srcCopy.append_copy(srcIed);
        // The copy keeps the namespaces its ancestors declared.
        for (pugi::xml_node up = srcIed.parent(); up && up.type() == pugi::node_element; up = up.parent())
            for (const pugi::xml_attribute& a : up.attributes()) {
                const std::string name = a.name();
                if ((name == "xmlns" || name.rfind("xmlns:", 0) == 0) && !src.attribute(a.name()))
                    src.append_attribute(a.name()) = a.value();
            }
        NestDottedDais(src);
        CompareTrees(src, ied, iedPath, rules, out);
    }
    for (size_t i = 1; i < outIeds.size(); ++i)
        out.push_back({std::string("/SCL/IED[name=") + outIeds[i].attribute("name").value() + "]", "", "(absent)",
                       "(present)", ""});

    // The Communication section as it concerns the IED.
    for (const pugi::xml_node& comm : ChildrenNamed(sourceScl, "Communication")) {
        bool concerns = false;
        for (const pugi::xml_node& net : ChildrenNamed(comm, "SubNetwork"))
            for (const pugi::xml_node& ap : ChildrenNamed(net, "ConnectedAP"))
                concerns = concerns || std::string(ap.attribute("iedName").value()) == srcIed.attribute("name").value();
        if (concerns && ChildrenNamed(outputScl, "Communication").empty())
            out.push_back({"/SCL/Communication", "", "(present)", "(absent)", AllowedLossOf(comm, "")});
    }

    // The types in use, each compared with the output's type of its id.
    const std::vector<pugi::xml_node> st = ChildrenNamed(sourceScl, "DataTypeTemplates");
    const std::vector<pugi::xml_node> ot = ChildrenNamed(outputScl, "DataTypeTemplates");
    const pugi::xml_node srcTemplates = st.empty() ? pugi::xml_node() : st.front();
    const pugi::xml_node outTemplates = ot.empty() ? pugi::xml_node() : ot.front();
    const std::set<std::string> used = UsedTypes(srcIed, srcTemplates);
    std::map<std::string, pugi::xml_node> written;
    for (pugi::xml_node t = outTemplates.first_child(); t; t = t.next_sibling())
        if (t.type() == pugi::node_element) written.emplace(LocalName(t) + ":" + t.attribute("id").value(), t);
    std::set<std::string> compared;
    for (pugi::xml_node t = srcTemplates.first_child(); t; t = t.next_sibling()) {
        if (t.type() != pugi::node_element) continue;
        const std::string key = LocalName(t) + ":" + t.attribute("id").value();
        if (!used.count(key) || !compared.insert(key).second) continue;
        const std::string path = "/SCL/DataTypeTemplates/" + LocalName(t) + "[id=" + t.attribute("id").value() + "]";
        auto it = written.find(key);
        if (it == written.end())
            out.push_back({path, "", "(present)", "(absent)", ""});
        else
            CompareTrees(t, it->second, path, rules, out);
    }
    for (const auto& [key, t] : written)
        if (!used.count(key))
            out.push_back({"/SCL/DataTypeTemplates/" + LocalName(t) + "[id=" + t.attribute("id").value() + "]", "",
                           "(absent)", "(present)", ""});
    return out;
}

std::string ValidateAgainstScl(const std::string& path, bool& skipped) {
    const SclValidation lint = ValidateScl(path);
    skipped = !lint.done;
    return lint.Ok() ? std::string() : (lint.output.empty() ? "xmllint failed" : lint.output);
}

}  // namespace kiln::test
