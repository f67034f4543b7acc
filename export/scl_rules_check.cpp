// The breaches of SCL's rules in an ICD as written: names that must be
// unique in their parent (LDevice inst in the IED, LN in its device, the
// data sets, control blocks, logs and DOIs of an LN, the SDIs and DAIs of a
// DOI, type ids, the members of a type and the values of an enumeration),
// the patterns of instance, prefix, class and member names, the types,
// devices and data sets a node, member or block names, the members a type
// and a device need, and the typed attribute values (numbers, booleans,
// enumerations, references) of the table below.
#include "export/scl_rules_check.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "core/scl_names.h"
#include "core/scl_value_types.h"
#include "core/type_classes.h"

namespace kiln::exporter {
namespace {

using namespace kiln::core;

// Attribute values SCL types: the element, the attribute, its test, the
// rule's text, and whether the attribute must be there (a missing one is
// tested as empty).
struct CValueRule {
    const char* element;
    const char* attribute;
    bool (*test)(std::string_view);
    const char* rule;
    bool required = false;
};

constexpr CValueRule kValueRules[] = {
    {"IED", "originalSclVersion", IsSclVersionYear, "originalSclVersion取值错误"},
    {"IED", "originalSclRevision", IsSclRevisionLetter, "originalSclRevision取值错误"},
    {"IED", "originalSclRelease", IsSclReleaseNumber, "originalSclRelease取值错误"},
    {"IED", "engRight", IsSclRight, "engRight取值错误"},
    {"AccessPoint", "name", IsSclAccessPointName, "名称格式错误", true},
    {"AccessPoint", "router", IsSclBoolean, "router取值错误"},
    {"AccessPoint", "clock", IsSclBoolean, "clock取值错误"},
    {"AccessPoint", "kdc", IsSclBoolean, "kdc取值错误"},
    {"Server", "timeout", IsSclUnsigned, "timeout取值错误"},
    {"Authentication", "none", IsSclBoolean, "none取值错误"},
    {"Authentication", "password", IsSclBoolean, "password取值错误"},
    {"Authentication", "weak", IsSclBoolean, "weak取值错误"},
    {"Authentication", "strong", IsSclBoolean, "strong取值错误"},
    {"Authentication", "certificate", IsSclBoolean, "certificate取值错误"},
    {"LDevice", "ldName", IsSclLdName, "ldName格式错误"},
    {"ReportControl", "rptID", IsSclMessageId, "rptID格式错误"},
    {"ReportControl", "confRev", IsSclUnsigned, "confRev取值错误", true},
    {"ReportControl", "buffered", IsSclBoolean, "buffered取值错误"},
    {"ReportControl", "bufTime", IsSclUnsigned, "bufTime取值错误"},
    {"ReportControl", "indexed", IsSclBoolean, "indexed取值错误"},
    {"ReportControl", "intgPd", IsSclUnsigned, "intgPd取值错误"},
    {"OptFields", "seqNum", IsSclBoolean, "seqNum取值错误"},
    {"OptFields", "timeStamp", IsSclBoolean, "timeStamp取值错误"},
    {"OptFields", "dataSet", IsSclBoolean, "dataSet取值错误"},
    {"OptFields", "reasonCode", IsSclBoolean, "reasonCode取值错误"},
    {"OptFields", "dataRef", IsSclBoolean, "dataRef取值错误"},
    {"OptFields", "entryID", IsSclBoolean, "entryID取值错误"},
    {"OptFields", "configRef", IsSclBoolean, "configRef取值错误"},
    {"OptFields", "bufOvfl", IsSclBoolean, "bufOvfl取值错误"},
    {"RptEnabled", "max", IsSclPositive, "max取值错误"},
    {"ClientLN", "iedName", IsSclIedName, "iedName格式错误", true},
    {"ClientLN", "ldInst", IsSclLdInst, "ldInst格式错误", true},
    {"ClientLN", "prefix", IsSclLnPrefix, "prefix格式错误"},
    {"ClientLN", "lnClass", IsSclLnClassEnum, "lnClass格式错误", true},
    {"ClientLN", "lnInst", IsSclLnInstOrEmpty, "lnInst格式错误", true},
    {"ClientLN", "apRef", IsSclAccessPointName, "apRef格式错误"},
    {"LogControl", "ldInst", IsSclLdInst, "ldInst格式错误"},
    {"LogControl", "prefix", IsSclLnPrefix, "prefix格式错误"},
    {"LogControl", "lnClass", IsSclLnClassEnum, "lnClass格式错误"},
    {"LogControl", "lnInst", IsSclLnInst, "lnInst格式错误"},
    {"LogControl", "logName", IsSclLogName, "logName格式错误", true},
    {"LogControl", "logEna", IsSclBoolean, "logEna取值错误"},
    {"LogControl", "reasonCode", IsSclBoolean, "reasonCode取值错误"},
    {"LogControl", "bufTime", IsSclUnsigned, "bufTime取值错误"},
    {"LogControl", "intgPd", IsSclUnsigned, "intgPd取值错误"},
    {"SettingControl", "numOfSGs", IsSclPositive, "numOfSGs取值错误", true},
    {"SettingControl", "resvTms", IsSclUnsignedShort, "resvTms取值错误"},
    {"FCDA", "ldInst", IsSclLdInst, "ldInst格式错误"},
    {"FCDA", "prefix", IsSclLnPrefix, "prefix格式错误"},
    {"FCDA", "lnClass", IsSclLnClassEnum, "lnClass格式错误"},
    {"FCDA", "lnInst", IsSclLnInst, "lnInst格式错误"},
    {"FCDA", "doName", IsSclFullDoName, "doName格式错误"},
    {"FCDA", "daName", IsSclFullAttributeName, "daName格式错误"},
    {"FCDA", "fc", IsSclFc, "fc取值错误", true},
    {"FCDA", "ix", IsSclUnsigned, "ix取值错误"},
    {"ExtRef", "iedName", IsSclIedNameOrRelative, "iedName格式错误"},
    {"ExtRef", "ldInst", IsSclLdInst, "ldInst格式错误"},
    {"ExtRef", "prefix", IsSclLnPrefix, "prefix格式错误"},
    {"ExtRef", "lnClass", IsSclLnClassEnum, "lnClass格式错误"},
    {"ExtRef", "lnInst", IsSclLnInst, "lnInst格式错误"},
    {"ExtRef", "doName", IsSclFullDoName, "doName格式错误"},
    {"ExtRef", "daName", IsSclFullAttributeName, "daName格式错误"},
    {"DOI", "ix", IsSclUnsigned, "ix取值错误"},
    {"DAI", "valKind", IsSclValKind, "valKind取值错误"},
    {"DAI", "valImport", IsSclBoolean, "valImport取值错误"},
    {"DO", "transient", IsSclBoolean, "transient取值错误"},
    {"DOType", "cdc", IsSclCdc, "cdc取值错误", true},
    {"SDO", "count", IsSclSdoCount, "count取值错误"},
    {"DA", "fc", IsSclFc, "fc取值错误", true},
    {"DA", "bType", IsSclBasicType, "bType取值错误", true},
    {"DA", "valKind", IsSclValKind, "valKind取值错误"},
    {"DA", "count", IsSclDaCount, "count取值错误"},
    {"DA", "valImport", IsSclBoolean, "valImport取值错误"},
    {"BDA", "bType", IsSclBasicType, "bType取值错误", true},
    {"BDA", "valKind", IsSclValKind, "valKind取值错误"},
    {"BDA", "count", IsSclDaCount, "count取值错误"},
    {"BDA", "valImport", IsSclBoolean, "valImport取值错误"},
    {"EnumVal", "ord", IsSclInt, "ord取值错误", true},
};

// What an element's kind is called in a breach's text.
const char* KindOf(const char* element) {
    static constexpr std::pair<const char*, const char*> kKinds[] = {
        {"ReportControl", "报告控制块"}, {"LogControl", "日志控制块"}, {"SettingControl", "定值组控制块"},
        {"RptEnabled", "报告控制块"},    {"OptFields", "报告控制块"},       {"FCDA", "数据集成员"}};
    for (const auto& [name, kind] : kKinds)
        if (std::strcmp(element, name) == 0) return kind;
    return element;
}

// The value rules of each element, in the table's order.
const std::vector<const CValueRule*>& RulesOf(const char* element) {
    static const std::map<std::string, std::vector<const CValueRule*>, std::less<>> kByElement = [] {
        std::map<std::string, std::vector<const CValueRule*>, std::less<>> out;
        for (const CValueRule& rule : kValueRules) out[rule.element].push_back(&rule);
        return out;
    }();
    static const std::vector<const CValueRule*> kNone;
    const auto it = kByElement.find(std::string_view(element));
    return it == kByElement.end() ? kNone : it->second;
}

class Check {
public:
    std::vector<CString> lines;
    // The ids of the file's types: LN types as "<id>|<lnClass>", DO types,
    // and DA and enumeration types (one space of ids for a DA's type).
    std::set<std::string> lnTypes, doTypes, daTypes;

    // The LN and DO types by id (the first of an id), for the data of the
    // data sets' members.
    std::map<std::string, pugi::xml_node, std::less<>> lnTypeNodes, doTypeNodes;

    void Types(const pugi::xml_node& templates) {
        for (const pugi::xml_node& type : templates.children()) {
            const std::string element = type.name();
            const std::string id = type.attribute("id").value();
            if (element == "LNodeType") {
                lnTypes.insert(id + "|" + std::string(SclCollapsed(type.attribute("lnClass").value())));
                lnTypeNodes.emplace(id, type);
            }
            if (element == "DOType") {
                doTypes.insert(id);
                doTypeNodes.emplace(id, type);
            }
            if (element == "DAType" || element == "EnumType") daTypes.insert(id);
        }
    }

    // The typed attribute values of `element`.
    void Values(const pugi::xml_node& element, const std::string& where) {
        for (const CValueRule* rule : RulesOf(element.name())) {
            const pugi::xml_attribute attr = element.attribute(rule->attribute);
            if ((attr || rule->required) && !rule->test(attr.value()))
                Add(KindOf(rule->element), rule->rule, where + ":" + attr.value());
        }
    }

    // An index or setting group, when there is one, is a whole number.
    static bool WholeOrAbsent(const pugi::xml_node& element, const char* attribute) {
        const pugi::xml_attribute attr = element.attribute(attribute);
        return !attr || IsSclUnsigned(attr.value());
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

    // The devices of the IED, for the data set members that name one, and
    // the LN type of each of its nodes by "<inst>/<prefix>|<class>|<inst>".
    std::set<std::string> ldInsts;
    std::map<std::string, std::string> nodeTypes;

    void Ied(const pugi::xml_node& ied) {
        const std::string name = ied.attribute("name").value();
        Values(ied, name);
        ldInsts.clear();
        nodeTypes.clear();
        for (const pugi::xpath_node& ld : ied.select_nodes("AccessPoint/Server/LDevice")) {
            const std::string inst = ld.node().attribute("inst").value();
            ldInsts.insert(inst);
            for (const pugi::xml_node& ln : ld.node().children())
                nodeTypes.emplace(inst + "/" + ln.attribute("prefix").value() + "|" + ln.attribute("lnClass").value() +
                                      "|" + ln.attribute("inst").value(),
                                  ln.attribute("lnType").value());
        }
        std::set<std::string> insts;
        for (const pugi::xml_node& ap : ied.children("AccessPoint")) {
            const std::string apName = ap.attribute("name").value();
            Values(ap, name);
            for (const pugi::xml_node& server : ap.children("Server")) {
                Values(server, apName);
                for (const pugi::xml_node& auth : server.children("Authentication")) Values(auth, apName);
                for (const pugi::xml_node& ld : server.children("LDevice")) {
                    const std::string inst = ld.attribute("inst").value();
                    if (!IsSclLdInst(inst)) Add("LDevice", "inst格式错误", inst);
                    Once(insts, inst, "LDevice", "inst在IED中重复", inst);
                    Values(ld, inst);
                    if (!ld.child("LN0")) Add("LDevice", "没有LN0", inst);
                    Device(ld, inst);
                }
            }
        }
    }

    // The number of setting groups of the device being checked (its LN0's
    // SettingControl); 0 when it has none.
    unsigned long long groups = 0;
    // A value's setting group as a number; none when it gives no whole one.
    static std::optional<unsigned long long> GroupOf(const pugi::xml_node& val) {
        const pugi::xml_attribute group = val.attribute("sGroup");
        if (!group || !IsSclUnsigned(group.value())) return std::nullopt;
        return std::stoull(std::string(SclCollapsed(group.value())));
    }
    // A value's setting group past that number.
    bool PastGroups(const pugi::xml_node& val) const {
        const std::optional<unsigned long long> group = GroupOf(val);
        return groups > 0 && group && *group > groups;
    }
    // A value's setting group 0: the groups are counted from 1.
    static bool GroupZero(const pugi::xml_node& val) { return GroupOf(val) == 0ULL; }

    void Device(const pugi::xml_node& ld, const std::string& ldInst) {
        const pugi::xml_attribute numOfSGs = ld.child("LN0").child("SettingControl").attribute("numOfSGs");
        groups = numOfSGs && IsSclPositive(numOfSGs.value()) ? std::stoull(std::string(SclCollapsed(numOfSGs.value()))) : 0;
        std::set<std::string> nodes;
        for (const pugi::xml_node& ln : ld.children()) {
            const bool bLN0 = std::strcmp(ln.name(), "LN0") == 0;
            if (!bLN0 && std::strcmp(ln.name(), "LN") != 0) continue;
            const std::string prefix = ln.attribute("prefix").value();
            // Classes and names built on xs:Name are taken without the white
            // space at their ends, as the schema takes them.
            const std::string lnClass(SclCollapsed(ln.attribute("lnClass").value()));
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
        for (const pugi::xml_node& set : ln.children("DataSet"))
            dataSets.insert(std::string(SclCollapsed(set.attribute("name").value())));
        for (const auto& k : kNamed) {
            std::set<std::string> names;
            for (const pugi::xml_node& child : ln.children(k.element)) {
                const std::string name = child.attribute("name").value();
                const std::string at = where + "." + name;
                const bool bDoi = std::strcmp(k.element, "DOI") == 0;
                // A Log may be nameless (the LN's one log of a first-edition file).
                const bool bOptional = std::strcmp(k.element, "Log") == 0 && !child.attribute("name");
                const std::string_view key = SclCollapsed(name);
                if (!bOptional && !(bDoi ? IsSclDoName(key) : IsSclAcsiName(key)))
                    Add(k.kind, "名称格式错误", at);
                if (!bOptional) Once(names, std::string(key), k.kind, "在LN中重复", at);
                const pugi::xml_attribute datSet = child.attribute("datSet");
                if (datSet && !dataSets.count(std::string(SclCollapsed(datSet.value()))))
                    Add(k.kind, "datSet未指向本LN的数据集", at);
                Values(child, at);
                if (bDoi) {
                    Instances(child, at);
                    continue;
                }
                // FCDA, TrgOps, OptFields, RptEnabled.
                for (const pugi::xml_node& part : child.children()) {
                    // A member is named by its data too, its node included, since two
                    // members of one data set may name one DO of two nodes:
                    // "LD/LN.DataSet:LN.DO.DA".
                    const bool member = std::strcmp(part.name(), "FCDA") == 0;
                    const std::string place = member ? at + ":" + MemberData(part) : at;
                    Values(part, place);
                    for (const pugi::xml_node& client : part.children("ClientLN")) Values(client, at);
                    const pugi::xml_attribute ldInst = part.attribute("ldInst");
                    if (ldInst && !ldInsts.count(ldInst.value()))
                        Add("数据集成员", "ldInst未指向IED中的LDevice", place + ":" + ldInst.value());
                    if (member) MemberConstraint(part, place);
                }
            }
        }
        for (const pugi::xml_node& block : ln.children("SettingControl")) Values(block, where + ".SGCB");
        for (const pugi::xpath_node& extRef : ln.select_nodes("Inputs/ExtRef")) Values(extRef.node(), where);
    }

    // A data-set member whose functional constraint its data does not have
    // (the DA's own, or one of the DAs below its DO or SDO): the schema has
    // no rule for it, the data types do. A member whose data the file does
    // not hold is named by the rules of its references, if at all.
    void MemberConstraint(const pugi::xml_node& fcda, const std::string& where) {
        const auto type = nodeTypes.find(std::string(fcda.attribute("ldInst").value()) + "/" +
                                         fcda.attribute("prefix").value() + "|" + fcda.attribute("lnClass").value() +
                                         "|" + fcda.attribute("lnInst").value());
        if (type == nodeTypes.end()) return;
        const auto lnType = lnTypeNodes.find(type->second);
        if (lnType == lnTypeNodes.end()) return;
        const std::string doName = fcda.attribute("doName").value(), daName = fcda.attribute("daName").value();
        // The DO, then its SDOs, each by its name without an index.
        pugi::xml_node data = lnType->second;
        const char* member = "DO";
        for (size_t at = 0; at <= doName.size();) {
            const size_t dot = std::min(doName.find('.', at), doName.size());
            const std::string_view step =
                std::string_view(doName).substr(at, std::min(doName.find('(', at), dot) - at);
            const auto next = doTypeNodes.find(Named(data, member, step).attribute("type").value());
            if (next == doTypeNodes.end()) return;
            data = next->second;
            member = "SDO";
            at = dot + 1;
        }
        std::set<std::string> daConstraint;
        if (!daName.empty()) {
            const std::string_view first =
                std::string_view(daName).substr(0, std::min(daName.find('.'), daName.find('(')));
            const pugi::xml_node da = Named(data, "DA", first);
            if (da) daConstraint.insert(std::string(SclCollapsed(da.attribute("fc").value())));
        }
        const std::set<std::string>& held = daName.empty() ? ConstraintsOf(data) : daConstraint;
        // An fc outside SCL's list, the member's or a DA's, is named by its own rule.
        const std::string fc(SclCollapsed(fcda.attribute("fc").value()));
        if (!IsSclFc(fc) || held.empty() || held.count(fc) ||
            std::none_of(held.begin(), held.end(), [](const std::string& f) { return IsSclFc(f); }))
            return;
        lines.push_back(CString("不符合数据类型的数据集成员（fc不是其数据具有的功能约束）：") + CString(where + ":" + fc));
    }
    // The data a member names, as every line names a member: "LD/LN.DO.DA".
    static std::string MemberData(const pugi::xml_node& fcda) {
        const std::string node = std::string(fcda.attribute("prefix").value()) + fcda.attribute("lnClass").value() +
                                 fcda.attribute("lnInst").value();
        return kiln::core::MemberReferenceText(fcda.attribute("ldInst").value(), node.c_str(),
                                               fcda.attribute("doName").value(), fcda.attribute("daName").value())
            .str();
    }
    // The members of each type the members' data was looked up in, by
    // element and name, the first of each (as a search of the type's
    // children finds it): read once per type, as the members of a data set
    // name many data of one type.
    using ChildIndex = std::map<std::pair<std::string_view, std::string_view>, pugi::xml_node>;
    std::map<pugi::xml_node, ChildIndex> typeMembers;
    // The first child `element` of the type with a name attribute `name`.
    pugi::xml_node Named(const pugi::xml_node& type, std::string_view element, std::string_view name) {
        auto [it, added] = typeMembers.try_emplace(type);
        if (added)
            for (const pugi::xml_node& child : type.children())
                for (const pugi::xml_attribute& attr : child.attributes())
                    if (std::strcmp(attr.name(), "name") == 0)
                        it->second.emplace(std::pair(child.name(), attr.value()), child);
        const auto found = it->second.find(std::pair(element, name));
        return found == it->second.end() ? pugi::xml_node() : found->second;
    }
    // The functional constraints of a DO type (DataConstraints), read once per type.
    std::map<pugi::xml_node, std::set<std::string>> typeConstraints;
    const std::set<std::string>& ConstraintsOf(const pugi::xml_node& doType) {
        auto [it, added] = typeConstraints.try_emplace(doType);
        if (added) DataConstraints(doType, it->second, 0);
        return it->second;
    }
    // The functional constraints of the DAs of a DO type and of its SDOs'
    // types, a type nested too deep (or in itself) left off.
    void DataConstraints(const pugi::xml_node& doType, std::set<std::string>& held, int depth) {
        if (depth > 16) return;
        for (const pugi::xml_node& member : doType.children()) {
            if (std::strcmp(member.name(), "DA") == 0) held.insert(std::string(SclCollapsed(member.attribute("fc").value())));
            if (std::strcmp(member.name(), "SDO") != 0) continue;
            const auto sub = doTypeNodes.find(member.attribute("type").value());
            if (sub != doTypeNodes.end()) DataConstraints(sub->second, held, depth + 1);
        }
    }

    // The SDIs and DAIs below a DOI or SDI: unique by name and index where
    // they have an index.
    void Instances(const pugi::xml_node& parent, const std::string& where) {
        // Names as the document holds them, indexes by value ("1" and "01"
        // are one to SCL): only the few elements with an index make a string.
        std::set<std::pair<std::string_view, std::string>> keys;
        const char* twiceRule = std::strcmp(parent.name(), "DOI") == 0 ? "在DOI中重复" : "在SDI中重复";
        for (const pugi::xml_node& child : parent.children()) {
            const bool bSdi = std::strcmp(child.name(), "SDI") == 0;
            if (!bSdi && std::strcmp(child.name(), "DAI") != 0) continue;
            const std::string_view name = SclCollapsed(child.attribute("name").value());
            const bool badName = !IsSclAttributeName(name);
            // SCL's key is the name with the index: one without an index is
            // in no key, whatever its name.
            const bool twice =
                child.attribute("ix") && !keys.emplace(name, SclWholeNumberKey(child.attribute("ix").value())).second;
            bool badNumber = !WholeOrAbsent(child, "ix");
            for (const pugi::xml_node& val : child.children("Val"))
                badNumber = badNumber || !WholeOrAbsent(val, "sGroup") || PastGroups(val) || GroupZero(val);
            if (!bSdi && !badName && !twice && !badNumber && !child.attribute("valKind") && !child.attribute("valImport"))
                continue;
            const std::string at = where + "." + std::string(name);
            if (badName) Add(child.name(), "名称格式错误", at);
            if (twice) Add(child.name(), twiceRule, at);
            Whole(child, "ix", at);
            for (const pugi::xml_node& val : child.children("Val")) {
                Whole(val, "sGroup", at);
                if (PastGroups(val)) Add(child.name(), "sGroup超出numOfSGs", at + ":" + val.attribute("sGroup").value());
                if (GroupZero(val)) Add(child.name(), "sGroup小于1", at + ":" + val.attribute("sGroup").value());
            }
            Values(child, at);
            if (bSdi) Instances(child, at);
        }
    }

    void Templates(const pugi::xml_node& templates) {
        // SCL needs an LN type and a DO type in the templates: neither is
        // written when no node has a type, or no type of a node has a DO.
        for (const char* needs : {"LNodeType", "DOType"})
            if (!templates.child(needs)) Add("DataTypeTemplates", (std::string("没有") + needs).c_str(), "DataTypeTemplates");
        std::set<std::string> ids;
        for (const pugi::xml_node& type : templates.children()) {
            if (type.type() != pugi::node_element) continue;
            const std::string id = type.attribute("id").value();
            if (!IsSclTypeId(id)) Add(type.name(), "id格式错误", id);
            Once(ids, id, type.name(), "id重复", id);
            Values(type, id);
            const std::string element = type.name();
            // The members SCL needs at least one of (a DO type may be empty).
            const char* needs = element == "LNodeType" ? "DO"
                                : element == "DAType"  ? "BDA"
                                : element == "EnumType" ? "EnumVal"
                                                        : nullptr;
            if (needs && !type.child(needs)) Add(type.name(), (std::string("没有") + needs).c_str(), id);
            if (element == "LNodeType") {
                if (!IsSclLnClassEnum(type.attribute("lnClass").value())) Add("LNodeType", "lnClass格式错误", id);
                Members(type, id, "在LNodeType中重复");
            } else if (element == "DOType") {
                Members(type, id, "在DOType中重复");
            } else if (element == "DAType") {
                Members(type, id, "在DAType中重复");
            } else if (element == "EnumType") {
                std::set<std::string> ords, texts;
                for (const pugi::xml_node& val : type.children("EnumVal")) {
                    // Order numbers by value: "2", "02" and "+2" are one to SCL.
                    Once(ords, SclWholeNumberKey(val.attribute("ord").value()), "EnumVal", "ord重复",
                         id + "." + val.attribute("ord").value());
                    Once(texts, val.text().get(), "EnumVal", "值重复", id + "." + val.text().get());
                    if (!IsSclEnumText(val.text().get()))
                        Add("EnumVal", "值格式错误", id + "." + val.attribute("ord").value());
                    Values(val, id + "." + val.text().get());
                }
            }
        }
    }

    // The DOs, SDOs, DAs or BDAs of a type: names unique in it, each of its
    // kind's pattern and naming a type of the file (a DO or SDO always, a DA
    // or BDA when it names one), the setting groups of a DA's or BDA's values
    // whole numbers.
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
            const std::string_view key = SclCollapsed(name);
            if (!pattern(key)) Add(member.name(), "名称格式错误", at);
            Values(member, at);
            for (const pugi::xml_node& val : member.children("Val")) Whole(val, "sGroup", at);
            Once(names, std::string(key), member.name(), rule, at);
            const pugi::xml_attribute type = member.attribute("type");
            const bool bData = element == "DO" || element == "SDO";
            if (bData && !doTypes.count(type.value())) Add(member.name(), "type未指向DOType", at);
            if (!bData && type && !daTypes.count(type.value())) Add(member.name(), "type未指向DAType或EnumType", at);
            // An enumerated or structured attribute means nothing without the
            // type that holds its values or members.
            const std::string bType(SclCollapsed(member.attribute("bType").value()));
            if (!bData && (bType == "Enum" || bType == "Struct") && SclCollapsed(type.value()).empty())
                lines.push_back(CString("不符合数据类型的") + member.name() + "（bType为" + CString(bType) + "却没有type）：" +
                                CString(at));
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
