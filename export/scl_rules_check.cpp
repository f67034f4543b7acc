// The breaches of SCL's rules in an ICD as written: names that must be
// unique in their parent (LDevice inst in the IED, LN in its device, the
// data sets, control blocks, logs and DOIs of an LN, the SDIs and DAIs of a
// DOI, type ids, the members of a type and the values of an enumeration)
// and the patterns of instance, prefix, class and member names.
#include "export/scl_rules_check.h"

#include <cstring>
#include <set>
#include <string>

#include "core/scl_names.h"

namespace kiln::exporter {
namespace {

using namespace kiln::core;

class Check {
public:
    std::vector<CString> lines;

    void Add(const char* kind, const char* rule, const std::string& where) {
        lines.push_back(CString("不符合SCL的") + kind + "（" + rule + "）：" + CString(where));
    }
    // Names the element when its key was met before in the set.
    void Once(std::set<std::string>& keys, const std::string& key, const char* kind, const char* rule,
              const std::string& where) {
        if (!keys.insert(key).second) Add(kind, rule, where);
    }

    void Ied(const pugi::xml_node& ied) {
        std::set<std::string> insts;
        for (const pugi::xml_node& ap : ied.children("AccessPoint"))
            for (const pugi::xml_node& server : ap.children("Server"))
                for (const pugi::xml_node& ld : server.children("LDevice")) {
                    const std::string inst = ld.attribute("inst").value();
                    if (!IsSclLdInst(inst)) Add("LDevice", "inst格式错误", inst);
                    Once(insts, inst, "LDevice", "inst在IED中重复", inst);
                    Device(ld, inst);
                }
    }

    void Device(const pugi::xml_node& ld, const std::string& ldInst) {
        std::set<std::string> nodes;
        for (const pugi::xml_node& ln : ld.children()) {
            const bool bLN0 = std::strcmp(ln.name(), "LN0") == 0;
            if (!bLN0 && std::strcmp(ln.name(), "LN") != 0) continue;
            const std::string prefix = ln.attribute("prefix").value();
            const std::string lnClass = ln.attribute("lnClass").value();
            const std::string inst = ln.attribute("inst").value();
            const std::string where = ldInst + "/" + prefix + lnClass + inst;
            if (!bLN0) {
                if (!IsSclLnPrefix(prefix)) Add("LN", "前缀格式错误", where);
                if (!IsSclLnInst(inst)) Add("LN", "inst格式错误", where);
                if (!IsSclLnClass(lnClass)) Add("LN", "lnClass格式错误", where);
                Once(nodes, prefix + "|" + lnClass + "|" + inst, "LN", "在LDevice中重复", where);
            }
            Node(ln, where);
        }
    }

    // The named children of an LN, each kind unique by name in the LN.
    void Node(const pugi::xml_node& ln, const std::string& where) {
        static constexpr struct {
            const char* element;
            const char* kind;
        } kNamed[] = {{"DataSet", "数据集"}, {"ReportControl", "报告控制块"}, {"LogControl", "日志控制块"},
                      {"Log", "日志"},       {"DOI", "DOI"}};
        for (const auto& k : kNamed) {
            std::set<std::string> names;
            for (const pugi::xml_node& child : ln.children(k.element)) {
                const std::string name = child.attribute("name").value();
                const std::string at = where + "." + name;
                const bool bDoi = std::strcmp(k.element, "DOI") == 0;
                if (!(bDoi ? IsSclDoName(name) : IsSclAcsiName(name))) Add(k.kind, "名称格式错误", at);
                Once(names, name, k.kind, "在LN中重复", at);
                if (bDoi) Values(child, at);
            }
        }
    }

    // The SDIs and DAIs below a DOI or SDI: unique by name and index.
    void Values(const pugi::xml_node& parent, const std::string& where) {
        std::set<std::string> keys;
        for (const pugi::xml_node& child : parent.children()) {
            const bool bSdi = std::strcmp(child.name(), "SDI") == 0;
            if (!bSdi && std::strcmp(child.name(), "DAI") != 0) continue;
            const std::string name = child.attribute("name").value();
            const std::string at = where + "." + name;
            if (!IsSclAttributeName(name)) Add(child.name(), "名称格式错误", at);
            Once(keys, name + "|" + child.attribute("ix").value(), child.name(),
                 std::strcmp(parent.name(), "DOI") == 0 ? "在DOI中重复" : "在SDI中重复", at);
            if (bSdi) Values(child, at);
        }
    }

    void Templates(const pugi::xml_node& templates) {
        std::set<std::string> ids;
        for (const pugi::xml_node& type : templates.children()) {
            if (type.type() != pugi::node_element) continue;
            const std::string id = type.attribute("id").value();
            if (!IsSclTypeId(id)) Add(type.name(), "id格式错误", id);
            Once(ids, id, type.name(), "id重复", id);
            const std::string element = type.name();
            if (element == "LNodeType") {
                if (!IsSclLnClass(type.attribute("lnClass").value())) Add("LNodeType", "lnClass格式错误", id);
                Members(type, id, "在LNodeType中重复");
            } else if (element == "DOType") {
                Members(type, id, "在DOType中重复");
            } else if (element == "DAType") {
                Members(type, id, "在DAType中重复");
            } else if (element == "EnumType") {
                std::set<std::string> ords, texts;
                for (const pugi::xml_node& val : type.children("EnumVal")) {
                    Once(ords, val.attribute("ord").value(), "EnumVal", "ord重复", id + "." + val.attribute("ord").value());
                    Once(texts, val.text().get(), "EnumVal", "值重复", id + "." + val.text().get());
                }
            }
        }
    }

    // The DOs, SDOs, DAs or BDAs of a type: names unique in it, each of its
    // kind's pattern.
    void Members(const pugi::xml_node& type, const std::string& id, const char* rule) {
        std::set<std::string> names;
        for (const pugi::xml_node& member : type.children()) {
            const std::string element = member.name();
            bool (*pattern)(std::string_view) = element == "DO"    ? IsSclDoName
                                                : element == "SDO" ? IsSclSdoName
                                                : element == "DA" || element == "BDA" ? IsSclAttributeName
                                                                                      : nullptr;
            if (!pattern) continue;
            const std::string name = member.attribute("name").value();
            const std::string at = id + "." + name;
            if (!pattern(name)) Add(member.name(), "名称格式错误", at);
            Once(names, name, member.name(), rule, at);
        }
    }
};

}  // namespace

std::vector<CString> SclRuleBreaches(const pugi::xml_node& scl) {
    Check check;
    for (const pugi::xml_node& ied : scl.children("IED")) check.Ied(ied);
    for (const pugi::xml_node& templates : scl.children("DataTypeTemplates")) check.Templates(templates);
    return std::move(check.lines);
}

}  // namespace kiln::exporter
