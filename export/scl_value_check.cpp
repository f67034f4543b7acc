// The values of an ICD as written, each checked against the basic type of
// the DA or BDA it belongs to: a type's own values directly, a node's values
// through its LN type, the DO types and the DA types of its SDIs.
#include "export/scl_value_check.h"

#include <map>
#include <string>

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
        for (const pugi::xml_node& type : templates.children())
            for (const pugi::xml_node& member : type.children())
                Values(member, member.attribute("bType").value(),
                       std::string(type.attribute("id").value()) + "." + member.attribute("name").value());
    }

    void Ied(const pugi::xml_node& ied) {
        for (const pugi::xml_node& ap : ied.children("AccessPoint"))
            for (const pugi::xml_node& server : ap.children("Server"))
                for (const pugi::xml_node& ld : server.children("LDevice"))
                    for (const pugi::xml_node& ln : ld.children()) {
                        const std::string element = ln.name();
                        if (element != "LN0" && element != "LN") continue;
                        const std::string where = std::string(ld.attribute("inst").value()) + "/" +
                                                  ln.attribute("prefix").value() + ln.attribute("lnClass").value() +
                                                  ln.attribute("inst").value();
                        const pugi::xml_node lnType = Type(ln.attribute("lnType").value());
                        for (const pugi::xml_node& doi : ln.children("DOI"))
                            Below(doi, Type(Member(lnType, doi).attribute("type").value()),
                                  where + "." + doi.attribute("name").value());
                    }
    }

private:
    std::map<std::string, pugi::xml_node> types;

    pugi::xml_node Type(const char* id) const {
        const auto found = types.find(id);
        return found == types.end() ? pugi::xml_node() : found->second;
    }
    // The member (DO, SDO, DA or BDA) of `type` that `instance` names.
    static pugi::xml_node Member(const pugi::xml_node& type, const pugi::xml_node& instance) {
        for (const pugi::xml_node& m : type.children())
            if (std::string(m.attribute("name").value()) == instance.attribute("name").value()) return m;
        return pugi::xml_node();
    }

    // The SDIs and DAIs of a DOI or SDI whose type (DO or DA type) is `type`;
    // one whose member the type does not hold is left to the rules check.
    void Below(const pugi::xml_node& parent, const pugi::xml_node& type, const std::string& where) {
        if (!type) return;
        for (const pugi::xml_node& child : parent.children()) {
            const std::string element = child.name();
            const pugi::xml_node member = Member(type, child);
            if (!member) continue;
            const std::string at = where + "." + child.attribute("name").value();
            if (element == "SDI") Below(child, Type(member.attribute("type").value()), at);
            if (element == "DAI") Values(child, member.attribute("bType").value(), at);
        }
    }

    void Values(const pugi::xml_node& holder, const std::string& bType, const std::string& where) {
        for (const pugi::xml_node& val : holder.children("Val")) {
            const char* text = val.child_value();
            if (!kiln::core::FitsBasicType(bType, text))
                lines.push_back(CString("不符合SCL的值（") + CString(bType) + "取值错误）：" + CString(where) + ":" +
                                text);
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
