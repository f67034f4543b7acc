// The users of a type's member, found from the member up: the types that
// contain its type (as DOs, SDOs, DAs and BDAs), the LN types they reach and
// the types derived from those, and the nodes of these LN types, whose DOIs,
// DAIs and data references are resolved name by name along their paths.
#include "editing/member_users.h"

#include "core/map_item_target.h"

#include "core/data_values.h"
#include "core/member_rename.h"
#include "core/type_classes.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace kiln::editing {
namespace {

constexpr const char* kAbstractRole = "sec:LNodeType.Abstract_Type";

std::vector<URI_Ref> Along(CKiln_Main& app, const URI_Ref& owner, const char* role) {
    std::vector<URI_Ref> list;
    if (owner.IsSet()) app.DocMtd_get_Association_BUris(owner, role, list, kRoleOrd, SortPolicy_ByOrd);
    return list;
}

// A DA or BDA named by the type that holds it (its DO type or DA type):
// "type.name".
CString AttributeLabel(CKiln_Main& app, const URI_Ref& attribute) {
    URI_Ref type = app.DocMtd_getFirstUri_ofAsso(attribute, "sec:DA.MemberOf_DOType");
    if (type.IsEmpty()) type = app.DocMtd_getFirstUri_ofAsso(attribute, "sec:BDA.MemberOf_DAType");
    return app.DocMtd_getValue_ofAttr(type, kRoleName) + "." + app.DocMtd_getValue_ofAttr(attribute, kRoleName);
}

// The texts a DAI, DA or BDA holds: its own value, then its Val items'.
std::vector<CString> HeldTexts(CKiln_Main& app, const URI_Ref& holder) {
    std::vector<CString> texts;
    if (const char* own = kiln::core::OwnValueRole(holder)) texts.push_back(app.DocMtd_getValue_ofAttr(holder, own));
    for (const URI_Ref& v : kiln::core::ValsOf(app, holder)) texts.push_back(app.DocMtd_getValue_ofAttr(v, "sec:Val.sValue"));
    return texts;
}

// The names of a dotted path, each without its functional constraint or
// index ("origin[ST].orCat" gives "origin", "orCat").
std::vector<std::string> PathNames(const CString& path) {
    std::vector<std::string> names;
    const std::string& text = path.str();
    if (text.empty()) return names;
    for (size_t start = 0;;) {
        const size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        names.push_back(part.substr(0, part.find('[')));
        if (dot == std::string::npos) return names;
        start = dot + 1;
    }
}

// Each unit or multiplier the node's mapping items store, with its property
// and the attribute of the item's data object it is a value of.
template <class Fn>
void EachStoredUnit(CKiln_Main& app, kiln::core::MapItemResolver& resolver, const URI_Ref& node, Fn&& fn) {
    for (const URI_Ref& item : Along(app, node, "sec:LNode.DARefs")) {
        if (item.sClass != "sec:MapItem") continue;
        for (const kiln::core::MapItemProperty& p : kiln::core::MapItemProperties()) {
            if (!p.unitEnum) continue;
            const CString stored = app.DocMtd_getValue_ofAttr(item, p.role);
            if (stored.IsEmpty()) continue;
            fn(item, p, resolver.AttributeOf(node, app.DocMtd_getValue_ofAttr(item, "sec:DARef.doName"), p.m2iPath),
               stored);
        }
    }
}

class CUserFinder {
public:
    CUserFinder(CKiln_Main& app, const URI_Ref& member, const CString& enumText)
        : m_app(app), m_member(member), m_enumText(enumText), m_bEnum(member.sClass == "sec:EnumVal") {
        if (m_bEnum) m_enumType = app.DocMtd_getFirstUri_ofAsso(member, "sec:EnumVal.EnumType");
    }

    CMemberUsers Run() {
        CMemberUsers out;
        std::set<std::string> seen;
        for (const URI_Ref& node : Nodes()) {
            const URI_Ref lnType = m_app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
            const CString where = NodePath(node);
            for (const URI_Ref& doi : Along(m_app, node, "sec:LNode.DOIs")) {
                const CString doiName = m_app.DocMtd_getValue_ofAttr(doi, kRoleName);
                const URI_Ref dataObject = DoOf(lnType, doiName.str());
                if (dataObject.IsEmpty()) continue;
                if (dataObject == m_member) {
                    Add(out, 0, doi, where + "." + doiName, seen);
                    continue;
                }
                for (const URI_Ref& dai : Along(m_app, doi, "sec:DOI.DAIs")) {
                    const CString daiName = m_app.DocMtd_getValue_ofAttr(dai, kRoleName);
                    URI_Ref end;
                    const bool passes = Passes(dataObject, PathNames(daiName), 0, &end);
                    // A DAI holding the enumeration value loses that value only:
                    // its other values, address and groups stay.
                    if (passes || (m_bEnum && HoldsEnumValue(end, dai)))
                        Add(out, passes ? 0 : 2, dai, where + "." + doiName + "." + daiName, seen);
                }
            }
            if (m_bEnum) {
                AddUnits(out, node, seen);
                continue;
            }
            for (const URI_Ref& ref : Along(m_app, node, "sec:LNode.DARefs")) {
                std::vector<std::string> path = PathNames(m_app.DocMtd_getValue_ofAttr(ref, "sec:DARef.doName"));
                if (path.empty()) continue;
                for (const std::string& n : PathNames(m_app.DocMtd_getValue_ofAttr(ref, "sec:DARef.daName")))
                    path.push_back(n);
                const URI_Ref dataObject = DoOf(lnType, path.front());
                if (dataObject.IsEmpty() || !(dataObject == m_member || Passes(dataObject, path, 1, nullptr))) continue;
                if (ref.sClass == "sec:FCDA")
                    Add(out, 0, ref, MemberLabel(ref), seen);
                else
                    Add(out, 1, ref, ReferenceLabel(ref), seen);
            }
        }
        if (m_bEnum)
            for (const URI_Ref& holder : Along(m_app, m_enumType, "sec:EnumType.TypeOf_BDA"))
                if (HoldsText(holder))
                    Add(out, 2, holder, AttributeLabel(m_app, holder), seen);
        return out;
    }

private:
    CString Name(const URI_Ref& r) { return m_app.DocMtd_getValue_ofAttr(r, kRoleName); }

    // The node's mapping items whose unit or multiplier is the enumeration value.
    void AddUnits(CMemberUsers& out, const URI_Ref& node, std::set<std::string>& seen) {
        EachStoredUnit(m_app, m_resolver, node,
                       [&](const URI_Ref& item, const kiln::core::MapItemProperty& p, const URI_Ref& attribute,
                           const CString& stored) {
                           if (m_resolver.UnitOf(p, attribute, stored) != m_member) return;
                           out.units.emplace_back(item, p.role);
                           if (seen.insert(item.sUri).second) out.labels[3].push_back(Name(item));
                       });
    }

    static void Add(CMemberUsers& out, int list, const URI_Ref& user, const CString& label, std::set<std::string>& seen) {
        if (!seen.insert(user.sUri).second) return;
        std::vector<URI_Ref>& target = list == 0 ? out.instances : list == 1 ? out.references : out.typeValues;
        target.push_back(user);
        out.labels[list].push_back(label);
    }

    CString NodePath(const URI_Ref& node) { return kiln::core::NodeReference(m_app, node); }
    CString MemberLabel(const URI_Ref& fcda) {
        const URI_Ref set = m_app.DocMtd_getFirstUri_ofAsso(fcda, "sec:FCDA.DataSet");
        const URI_Ref node = m_app.DocMtd_getFirstUri_ofAsso(set, "sec:DataSet.LNode");
        return NodePath(node) + "." + Name(set) + ":" + kiln::core::MemberReference(m_app, fcda);
    }
    CString ReferenceLabel(const URI_Ref& ref) {
        if (ref.sClass == "sec:ExtRef")
            return NodePath(m_app.DocMtd_getFirstUri_ofAsso(ref, "sec:ExtRef.LNode")) + "." + Name(ref);
        return Name(ref);
    }

    // The nodes whose LN types reach the member's type.
    std::vector<URI_Ref> Nodes() {
        std::vector<URI_Ref> nodes;
        std::set<std::string> seen;
        const URI_Ref from = m_bEnum ? m_enumType : m_member;
        for (const URI_Ref& t : kiln::core::LNodeTypesReaching(m_app, from))
            for (const URI_Ref& node : Along(m_app, t, "sec:LNodeType.LNode"))
                if (seen.insert(node.sUri).second) nodes.push_back(node);
        return nodes;
    }

    // The DO of the name the node's LN type gives (its own, then its base types').
    URI_Ref DoOf(const URI_Ref& lnType, const std::string& name) {
        if (lnType.IsEmpty()) return URI_Ref();
        std::vector<URI_Ref>& chain = m_chains[lnType.sUri];
        if (chain.empty()) m_app.Get_AbstractTypes(lnType, &chain, kAbstractRole);
        for (const URI_Ref& t : chain)
            if (const URI_Ref found = MemberNamed(t, name); found.IsSet()) return found;
        return URI_Ref();
    }

    // The member of the name in a type's lists, read once per type.
    URI_Ref MemberNamed(const URI_Ref& type, const std::string& name) {
        auto known = m_members.find(type.sUri);
        if (known == m_members.end()) {
            std::map<std::string, URI_Ref>& members = m_members[type.sUri];
            static const std::map<std::string, std::vector<const char*>> kLists = {
                {"sec:LNodeType", {"sec:LNodeType.DOs"}},
                {"sec:DOType", {"sec:DOType.Contains_SDOs", "sec:DOType.Contains_DAs"}},
                {"sec:DAType", {"sec:DAType.Contains_BDAs"}}};
            if (const auto lists = kLists.find(type.sClass); lists != kLists.end())
                for (const char* role : lists->second)
                    for (const URI_Ref& m : Along(m_app, type, role)) members.emplace(Name(m).str(), m);
            known = m_members.find(type.sUri);
        }
        const auto found = known->second.find(name);
        return found == known->second.end() ? URI_Ref() : found->second;
    }

    // The member one level below `at` (an SDO or DA of a DO's or SDO's type,
    // a BDA of a DA's or BDA's structure).
    URI_Ref Below(const URI_Ref& at, const std::string& name) {
        const char* typeRole = at.sClass == "sec:DO"    ? "sec:DO.DefinedBy_DOType"
                               : at.sClass == "sec:SDO" ? "sec:SDO.DefinedBy_DOType"
                                                        : "sec:BDA.DefinedBy_Struct";
        const URI_Ref type = m_app.DocMtd_getFirstUri_ofAsso(at, typeRole);
        return type.IsSet() ? MemberNamed(type, name) : URI_Ref();
    }

    // True when the path below `from` (its names from `first` on) passes
    // the member; `pEnd` gets the member the whole path reaches, if any.
    bool Passes(URI_Ref at, const std::vector<std::string>& names, size_t first, URI_Ref* pEnd) {
        for (size_t k = first; k < names.size(); ++k) {
            at = Below(at, names[k]);
            if (at.IsEmpty()) return false;
            if (at == m_member) return true;
        }
        if (pEnd) *pEnd = at;
        return false;
    }

    bool HoldsText(const URI_Ref& holder) {
        const std::vector<CString> texts = HeldTexts(m_app, holder);
        return std::find(texts.begin(), texts.end(), m_enumText) != texts.end();
    }
    // A DAI whose whole path ends at a DA or BDA of the enumeration and that
    // holds the value.
    bool HoldsEnumValue(const URI_Ref& end, const URI_Ref& dai) {
        if (end.IsEmpty() || end.sClass == "sec:DO" || end.sClass == "sec:SDO") return false;
        return m_app.DocMtd_getFirstUri_ofAsso(end, "sec:BDA.DefinedBy_EnumType") == m_enumType && HoldsText(dai);
    }

    CKiln_Main& m_app;
    URI_Ref m_member;
    CString m_enumText;
    bool m_bEnum;
    URI_Ref m_enumType;
    kiln::core::MapItemResolver m_resolver{m_app};
    std::map<std::string, std::vector<URI_Ref>> m_chains;
    std::map<std::string, std::map<std::string, URI_Ref>> m_members;
};

// The names of a list, at most ten, then how many there are in all.
CString Listed(const std::vector<CString>& labels) {
    constexpr size_t kShown = 10;
    CString text;
    for (size_t k = 0; k < labels.size() && k < kShown; ++k) text += (k ? "、" : "") + labels[k];
    if (labels.size() > kShown) text.AppendFormat("等%d项", static_cast<int>(labels.size()));
    return text;
}

// A value held by a DAI, DA or BDA: its own text and the texts of its Val
// items, each that equals `from` set to `to`. An empty `to` drops the value:
// the Val items holding it are deleted and the own value follows the first left.
void ReplaceHeldValue(CKiln_Main& app, const URI_Ref& holder, const CString& from, const CString& to) {
    const char* own = kiln::core::OwnValueRole(holder);
    if (own == nullptr) return;
    const bool ownHeld = app.DocMtd_getValue_ofAttr(holder, own) == from;
    bool dropped = false;
    for (const URI_Ref& v : kiln::core::ValsOf(app, holder)) {
        if (app.DocMtd_getValue_ofAttr(v, "sec:Val.sValue") != from) continue;
        if (to.IsEmpty()) {
            dropped = app.Rsc_Delete(v, false) || dropped;
        } else {
            kiln::core::WriteDataValue(app, v, to);
        }
    }
    if (!to.IsEmpty()) {
        if (ownHeld) kiln::core::WriteDataValue(app, holder, to);
        return;
    }
    // A dropped value: the own value is that of the first value left, and the
    // name shown for the value goes with it.
    if (ownHeld || dropped) kiln::core::KeepOwnValue(app, holder);
    if (ownHeld) app.DocMtd_Modify_attribute_value(holder, holder.sClass == "sec:DAI" ? "sec:DAI.valueDesc" : "sec:BDA.valueDesc", to);
}

// The mapping items whose unit is the value store it as the code.
void StoreUnitCode(CKiln_Main& app, const CMemberUsers& users, const CString& code) {
    for (const auto& [item, role] : users.units) {
        const CString stored = kiln::core::UnitStoredValue(*kiln::core::MapItemPropertyOf(role), code);
        if (app.DocMtd_getValue_ofAttr(item, role) != stored) app.DocMtd_Modify_attribute_value(item, role, stored);
    }
}

}  // namespace

bool IsTypeMemberClass(const std::string& cls) {
    return cls == "sec:DO" || cls == "sec:SDO" || cls == "sec:DA" || cls == "sec:BDA" || cls == "sec:EnumVal";
}

CString EnumValueText(CKiln_Main& app, const URI_Ref& enumVal) { return kiln::core::EnumValLiteral(app, enumVal); }

CMemberUsers UsersOfMember(CKiln_Main& app, const URI_Ref& member) {
    if (!IsTypeMemberClass(member.sClass)) return CMemberUsers();
    const CString text = member.sClass == "sec:EnumVal" ? EnumValueText(app, member) : CString();
    return CUserFinder(app, member, text).Run();
}

CString UsersQuestionLines(const CMemberUsers& users) {
    CString lines;
    if (!users.instances.empty()) lines += "\n删除后以下实例和数据集成员将一并删除：" + Listed(users.labels[0]);
    if (!users.references.empty()) lines += "\n删除后以下输入和映射条目将不再指向数据：" + Listed(users.labels[1]);
    if (!users.typeValues.empty()) lines += "\n删除后以下预设值将一并删除：" + Listed(users.labels[2]);
    if (!users.units.empty()) lines += "\n删除后以下映射条目将没有单位：" + Listed(users.labels[3]);
    return lines;
}

bool TakeUsersAway(CKiln_Main& app, const CMemberUsers& users, const CString& enumText) {
    for (const URI_Ref& instance : users.instances)
        if (!app.Rsc_Delete(instance, false)) return false;
    for (const URI_Ref& ref : users.references)
        for (const char* role : {"sec:DARef.doName", "sec:DARef.daName"})
            if (!app.DocMtd_getValue_ofAttr(ref, role).IsEmpty()) app.DocMtd_Modify_attribute_value(ref, role, CString());
    for (const URI_Ref& holder : users.typeValues) ReplaceHeldValue(app, holder, enumText, CString());
    for (const auto& [item, role] : users.units) app.DocMtd_Modify_attribute_value(item, role, CString());
    return true;
}

void CarryEnumValue(CKiln_Main& app, const URI_Ref& enumVal, const CString& oldText, const CString& newText) {
    if (oldText == newText) return;
    const CMemberUsers users = CUserFinder(app, enumVal, oldText).Run();
    if (!oldText.IsEmpty())
        for (const std::vector<URI_Ref>* list : {&users.instances, &users.typeValues})
            for (const URI_Ref& holder : *list) ReplaceHeldValue(app, holder, oldText, newText);
    // A unit an earlier release stored as the value's text names it by its code.
    StoreUnitCode(app, users, kiln::core::EnumValCodeText(app, enumVal));
}

void CarryEnumCode(CKiln_Main& app, const URI_Ref& enumVal, const CString& newOrd) {
    if (kiln::core::EnumCodeText(newOrd) == kiln::core::EnumValCodeText(app, enumVal)) return;
    StoreUnitCode(app, CUserFinder(app, enumVal, EnumValueText(app, enumVal)).Run(), kiln::core::EnumCodeText(newOrd));
}

std::vector<CLackedValue> ValuesOutsideEnum(CKiln_Main& app, const URI_Ref& attribute, const URI_Ref& enumType) {
    std::set<std::string> literals;
    for (const URI_Ref& v : Along(app, enumType, "sec:EnumType.EnumVals"))
        literals.insert(EnumValueText(app, v).str());
    std::vector<std::pair<URI_Ref, CString>> holders;
    holders.emplace_back(attribute, AttributeLabel(app, attribute));
    const CMemberUsers users = UsersOfMember(app, attribute);
    for (size_t k = 0; k < users.instances.size(); ++k)
        if (users.instances[k].sClass == "sec:DAI") holders.emplace_back(users.instances[k], users.labels[0][k]);
    std::vector<CLackedValue> lacked;
    for (const auto& [holder, path] : holders) {
        std::set<std::string> seen;
        for (const CString& text : HeldTexts(app, holder))
            if (!text.IsEmpty() && !literals.count(text.str()) && seen.insert(text.str()).second)
                lacked.push_back({holder, text, path + ":" + text});
    }
    return lacked;
}

void DropValues(CKiln_Main& app, const std::vector<CLackedValue>& values) {
    for (const CLackedValue& v : values) ReplaceHeldValue(app, v.holder, v.text, CString());
}

std::vector<CLackedUnit> UnitsOutsideEnum(CKiln_Main& app, const URI_Ref& attribute, const URI_Ref& enumType) {
    std::vector<CLackedUnit> lacked;
    kiln::core::MapItemResolver resolver(app);
    kiln::core::UnitValues units;
    std::set<std::string> seen;
    for (const URI_Ref& type : kiln::core::LNodeTypesReaching(app, attribute))
        for (const URI_Ref& node : Along(app, type, "sec:LNodeType.LNode")) {
            if (!seen.insert(node.sUri).second) continue;
            EachStoredUnit(app, resolver, node,
                           [&](const URI_Ref& item, const kiln::core::MapItemProperty& p, const URI_Ref& at,
                               const CString& stored) {
                               if (at != attribute || units.InEnumeration(app, p, enumType, stored).IsSet()) return;
                               // Named as the page showed it: by the value it is
                               // of, else by the text it holds.
                               const URI_Ref held = resolver.UnitOf(p, attribute, stored);
                               const CString text =
                                   held.IsSet() ? kiln::core::EnumValLiteral(app, held) : kiln::core::UnitLiteral(stored);
                               const CString code = held.IsSet() ? kiln::core::EnumValCodeText(app, held) : CString();
                               lacked.push_back({item, p.role, code, text,
                                                 app.DocMtd_getValue_ofAttr(item, kRoleName) + ":" + text});
                           });
        }
    return lacked;
}

void DropUnits(CKiln_Main& app, const std::vector<CLackedUnit>& units) {
    for (const CLackedUnit& u : units) app.DocMtd_Modify_attribute_value(u.item, u.role, CString());
}

}  // namespace kiln::editing
