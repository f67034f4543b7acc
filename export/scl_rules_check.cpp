// The breaches of SCL's rules in an ICD as written: names that must be
// unique in their parent (LDevice inst in the IED, LN in its device, the
// data sets, control blocks, logs and DOIs of an LN, the SDIs and DAIs of a
// DOI, type ids, the members of a type and the values of an enumeration),
// the patterns of instance, prefix, class and member names, the types and
// data sets a node, member or block names, and the whole numbers of blocks
// and indexes.
#include "export/scl_rules_check.h"

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "core/scl_names.h"

namespace kiln::exporter {
namespace {

using namespace kiln::core;

// A whole number of xs:unsignedInt: digits only, at most 4294967295.
bool IsUnsigned(std::string_view text) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value <= 4294967295u;
}
bool IsPositive(std::string_view text) { return IsUnsigned(text) && text.find_first_not_of('0') != text.npos; }
bool IsUnsignedShort(std::string_view text) {
    return text.size() <= 5 && IsUnsigned(text) && std::stoul(std::string(text)) <= 65535;
}

// Attribute values of the instance part that SCL types: the element, the
// attribute (checked where written), its test and the rule's text.
struct CValueRule {
    const char* element;
    const char* attribute;
    bool (*test)(std::string_view);
    const char* rule;
};

constexpr CValueRule kValueRules[] = {
    {"ReportControl", "confRev", IsUnsigned, "confRev取值错误"},
    {"ReportControl", "bufTime", IsUnsigned, "bufTime取值错误"},
    {"ReportControl", "intgPd", IsUnsigned, "intgPd取值错误"},
    {"RptEnabled", "max", IsPositive, "max取值错误"},
    {"LogControl", "logName", IsSclAcsiName, "logName格式错误"},
    {"LogControl", "bufTime", IsUnsigned, "bufTime取值错误"},
    {"LogControl", "intgPd", IsUnsigned, "intgPd取值错误"},
    {"SettingControl", "numOfSGs", IsPositive, "numOfSGs取值错误"},
    {"SettingControl", "actSG", IsPositive, "actSG取值错误"},
    {"SettingControl", "resvTms", IsUnsignedShort, "resvTms取值错误"},
    {"FCDA", "ix", IsUnsigned, "ix取值错误"},
    {"DOI", "ix", IsUnsigned, "ix取值错误"},
};

// What an element's kind is called in a breach's text.
const char* KindOf(const char* element) {
    static constexpr std::pair<const char*, const char*> kKinds[] = {
        {"ReportControl", "报告控制块"}, {"LogControl", "日志控制块"}, {"SettingControl", "定值组控制块"},
        {"RptEnabled", "报告控制块"},    {"FCDA", "数据集成员"}};
    for (const auto& [name, kind] : kKinds)
        if (std::strcmp(element, name) == 0) return kind;
    return element;
}

class Check {
public:
    std::vector<CString> lines;
    // The ids of the file's types: LN types as "<id>|<lnClass>", DO types,
    // and DA and enumeration types (one space of ids for a DA's type).
    std::set<std::string> lnTypes, doTypes, daTypes;

    void Types(const pugi::xml_node& templates) {
        for (const pugi::xml_node& type : templates.children()) {
            const std::string element = type.name();
            const std::string id = type.attribute("id").value();
            if (element == "LNodeType") lnTypes.insert(id + "|" + type.attribute("lnClass").value());
            if (element == "DOType") doTypes.insert(id);
            if (element == "DAType" || element == "EnumType") daTypes.insert(id);
        }
    }

    // The typed attribute values of `element` and of the elements below it.
    void Values(const pugi::xml_node& element, const std::string& where) {
        for (const CValueRule& rule : kValueRules) {
            if (std::strcmp(element.name(), rule.element) != 0) continue;
            const pugi::xml_attribute attr = element.attribute(rule.attribute);
            if (attr && !rule.test(attr.value()))
                Add(KindOf(rule.element), rule.rule, where + ":" + attr.value());
        }
    }

    // An index or setting group, when there is one, is a whole number.
    static bool WholeOrAbsent(const pugi::xml_node& element, const char* attribute) {
        const pugi::xml_attribute attr = element.attribute(attribute);
        return !attr || IsUnsigned(attr.value());
    }
    void Whole(const pugi::xml_node& element, const char* attribute, const std::string& where) {
        if (!WholeOrAbsent(element, attribute))
            Add(element.name(), (std::string(attribute) + "取值错误").c_str(),
                where + ":" + element.attribute(attribute).value());
    }

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
            if (!lnTypes.count(std::string(ln.attribute("lnType").value()) + "|" + lnClass))
                Add(ln.name(), "lnType未指向该类的LNodeType", where);
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
        std::set<std::string> dataSets;
        for (const pugi::xml_node& set : ln.children("DataSet")) dataSets.insert(set.attribute("name").value());
        for (const auto& k : kNamed) {
            std::set<std::string> names;
            for (const pugi::xml_node& child : ln.children(k.element)) {
                const std::string name = child.attribute("name").value();
                const std::string at = where + "." + name;
                const bool bDoi = std::strcmp(k.element, "DOI") == 0;
                if (!(bDoi ? IsSclDoName(name) : IsSclAcsiName(name))) Add(k.kind, "名称格式错误", at);
                Once(names, name, k.kind, "在LN中重复", at);
                const pugi::xml_attribute datSet = child.attribute("datSet");
                if (datSet && !dataSets.count(datSet.value())) Add(k.kind, "datSet未指向本LN的数据集", at);
                Values(child, at);
                for (const pugi::xml_node& part : child.children()) Values(part, at);  // FCDA, RptEnabled
                if (bDoi) Instances(child, at);
            }
        }
        for (const pugi::xml_node& block : ln.children("SettingControl")) Values(block, where + ".SGCB");
    }

    // The SDIs and DAIs below a DOI or SDI: unique by name and index.
    void Instances(const pugi::xml_node& parent, const std::string& where) {
        // Names and indexes as the document holds them: the many DAIs that
        // break no rule make no string.
        std::set<std::pair<std::string_view, std::string_view>> keys;
        const char* twiceRule = std::strcmp(parent.name(), "DOI") == 0 ? "在DOI中重复" : "在SDI中重复";
        for (const pugi::xml_node& child : parent.children()) {
            const bool bSdi = std::strcmp(child.name(), "SDI") == 0;
            if (!bSdi && std::strcmp(child.name(), "DAI") != 0) continue;
            const std::string_view name = child.attribute("name").value();
            const bool badName = !IsSclAttributeName(name);
            const bool twice = !keys.emplace(name, child.attribute("ix").value()).second;
            bool badNumber = !WholeOrAbsent(child, "ix");
            for (const pugi::xml_node& val : child.children("Val")) badNumber = badNumber || !WholeOrAbsent(val, "sGroup");
            if (!bSdi && !badName && !twice && !badNumber) continue;
            const std::string at = where + "." + std::string(name);
            if (badName) Add(child.name(), "名称格式错误", at);
            if (twice) Add(child.name(), twiceRule, at);
            Whole(child, "ix", at);
            for (const pugi::xml_node& val : child.children("Val")) Whole(val, "sGroup", at);
            if (bSdi) Instances(child, at);
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
                    if (!IsSclEnumText(val.text().get()))
                        Add("EnumVal", "值格式错误", id + "." + val.attribute("ord").value());
                }
            }
        }
    }

    // The DOs, SDOs, DAs or BDAs of a type: names unique in it, each of its
    // kind's pattern and naming a type of the file (a DO or SDO always, a DA
    // or BDA when it names one).
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
            const pugi::xml_attribute type = member.attribute("type");
            const bool bData = element == "DO" || element == "SDO";
            if (bData && !doTypes.count(type.value())) Add(member.name(), "type未指向DOType", at);
            if (!bData && type && !daTypes.count(type.value())) Add(member.name(), "type未指向DAType或EnumType", at);
        }
    }
};

}  // namespace

std::vector<CString> SclRuleBreaches(const pugi::xml_node& scl) {
    Check check;
    for (const pugi::xml_node& templates : scl.children("DataTypeTemplates")) check.Types(templates);
    for (const pugi::xml_node& ied : scl.children("IED")) check.Ied(ied);
    for (const pugi::xml_node& templates : scl.children("DataTypeTemplates")) check.Templates(templates);
    return std::move(check.lines);
}

}  // namespace kiln::exporter
