// The values of an ICD as written, each checked against the basic type of
// the DA or BDA it belongs to: a type's own values directly, a node's values
// through its LN type, the DO types and the DA types of its SDIs.
#include "export/scl_value_check.h"

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "core/scl_values.h"

namespace kiln::exporter {
namespace {

class ValueCheck {
public:
    std::vector<CString> lines;

    explicit ValueCheck(const pugi::xml_node& scl) {
        for (const pugi::xml_node& templates : scl.children("DataTypeTemplates"))
            for (const pugi::xml_node& type : templates.children()) types.emplace(type.attribute("id").value(), type);
    }

    void Types(const pugi::xml_node& templates) {
        for (const pugi::xml_node& type : templates.children()) {
            path = {type.attribute("id").value()};
            for (const pugi::xml_node& member : type.children()) {
                path.resize(1);
                path.push_back(member.attribute("name").value());
                Values(member, member);
            }
        }
    }

    void Ied(const pugi::xml_node& ied) {
        for (const pugi::xml_node& ap : ied.children("AccessPoint"))
            for (const pugi::xml_node& server : ap.children("Server"))
                for (const pugi::xml_node& ld : server.children("LDevice"))
                    for (const pugi::xml_node& ln : ld.children()) {
                        if (std::strcmp(ln.name(), "LN0") != 0 && std::strcmp(ln.name(), "LN") != 0) continue;
                        device = ld;
                        node = ln;
                        const pugi::xml_node lnType = Type(ln.attribute("lnType").value());
                        for (const pugi::xml_node& doi : ln.children("DOI")) {
                            path = {doi.attribute("name").value()};
                            Below(doi, Type(Member(lnType, doi).attribute("type").value()));
                        }
                    }
    }

private:
    std::map<std::string, pugi::xml_node, std::less<>> types;
    std::map<std::string, std::set<std::string, std::less<>>> enumTexts;
    // Where the value being checked stands: the device and node of an
    // instance (none for a type), then the names down to it. The text is
    // made only for a value that is named.
    pugi::xml_node device, node;
    std::vector<const char*> path;

    pugi::xml_node Type(std::string_view id) const {
        const auto found = types.find(id);
        return found == types.end() ? pugi::xml_node() : found->second;
    }
    // The member (DO, SDO, DA or BDA) of `type` that `instance` names.
    static pugi::xml_node Member(const pugi::xml_node& type, const pugi::xml_node& instance) {
        return type.find_child_by_attribute("name", instance.attribute("name").value());
    }

    // The SDIs and DAIs of a DOI or SDI whose type (DO or DA type) is `type`;
    // one whose member the type does not hold is left to the rules check.
    void Below(const pugi::xml_node& parent, const pugi::xml_node& type) {
        if (!type) return;
        for (const pugi::xml_node& child : parent.children()) {
            const bool sdi = std::strcmp(child.name(), "SDI") == 0;
            if (!sdi && std::strcmp(child.name(), "DAI") != 0) continue;
            const pugi::xml_node member = Member(type, child);
            if (!member) continue;
            path.push_back(child.attribute("name").value());
            if (sdi)
                Below(child, Type(member.attribute("type").value()));
            else
                Values(child, member);
            path.pop_back();
        }
    }

    // The texts of the enumeration type's values.
    const std::set<std::string, std::less<>>& EnumTexts(const pugi::xml_node& enumType) {
        auto& texts = enumTexts[enumType.attribute("id").value()];
        if (texts.empty())
            for (const pugi::xml_node& v : enumType.children("EnumVal")) texts.insert(v.child_value());
        return texts;
    }
    // A value fits the basic type of its DA or BDA (`member`), an empty one
    // only a type that has an empty value; an Enum value is one of its
    // enumeration's (a type the file lacks is left to the rules check).
    bool Fits(const pugi::xml_node& member, std::string_view bType, const char* text) {
        if (bType != "Enum") return kiln::core::FitsWrittenValue(bType, text);
        const pugi::xml_node enumType = Type(member.attribute("type").value());
        return std::strcmp(enumType.name(), "EnumType") != 0 || EnumTexts(enumType).count(text) > 0;
    }

    void Values(const pugi::xml_node& holder, const pugi::xml_node& member) {
        const std::string_view bType = member.attribute("bType").value();
        for (const pugi::xml_node& val : holder.children("Val")) {
            const char* text = val.child_value();
            if (Fits(member, bType, text)) continue;
            std::string where;
            if (node)
                where = std::string(device.attribute("inst").value()) + "/" + node.attribute("prefix").value() +
                        node.attribute("lnClass").value() + node.attribute("inst").value() + ".";
            for (size_t k = 0; k < path.size(); ++k) where.append(k ? "." : "").append(path[k]);
            lines.push_back(CString("不符合SCL的值（") + CString(std::string(bType)) + "取值错误）：" + CString(where) +
                            ":" + text);
        }
    }
};

}  // namespace

std::vector<CString> SclValueBreaches(const pugi::xml_node& scl) {
    ValueCheck check(scl);
    for (const pugi::xml_node& templates : scl.children("DataTypeTemplates")) check.Types(templates);
    for (const pugi::xml_node& ied : scl.children("IED")) check.Ied(ied);
    return std::move(check.lines);
}

}  // namespace kiln::exporter
