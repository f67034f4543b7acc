// The target of a mapping item: it names its data object and data attribute
// by text ("A.phsA", "cVal.mag.f", "stVal[ST]") below its logical node, and
// these resolve the texts in the node's type.
#include <string>
#include <vector>

#include "core/key_das.h"
#include "core/map_item_target.h"
#include "core/type_classes.h"
#include "core/type_nesting.h"
#include "platform/framework/cim_schema.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

constexpr const char* kDoName = "sec:DARef.doName";
constexpr const char* kDaName = "sec:DARef.daName";

// The members of a data object or sub-data object along the path its class
// takes ("sec:DO..." for a DO, "sec:SDO..." for anything else), in order.
std::vector<URI_Ref> MembersOf(CKiln_Main& app, const URI_Ref& obj, const char* tail) {
    const CString head = obj.sClass == "sec:DO" ? "sec:DO.DefinedBy_DOType/" : "sec:SDO.DefinedBy_DOType/";
    std::vector<URI_Ref> out;
    URI_Ref last;
    app.DocMtd_get_descendent_BUris(obj, head + tail, out, last, kRoleOrd, SortPolicy_ByOrd);
    return out;
}

std::vector<URI_Ref> SubObjectsOf(CKiln_Main& app, const URI_Ref& obj) {
    return MembersOf(app, obj, "sec:DOType.Contains_SDOs");
}

std::vector<URI_Ref> AttributesOf(CKiln_Main& app, const URI_Ref& obj) {
    return MembersOf(app, obj, "sec:DOType.Contains_DAs");
}

// The first of the list whose name is exactly `name`; empty when none.
URI_Ref FirstNamed(CKiln_Main& app, const std::vector<URI_Ref>& list, const CString& name) {
    for (const URI_Ref& r : list)
        if (app.DocMtd_getValue_ofAttr(r, kRoleName) == name) return r;
    return URI_Ref();
}

// The position of the first "." after the first character, -1 when none.
int SplitAt(const CString& text) { return text.GetLength() > 1 ? text.Find('.', 1) : -1; }

// The text after the last "." of an enumeration value ("...#FCType.ST" gives "ST").
CString ConstraintText(const CString& value) {
    const int dot = value.ReverseFind('.');
    return dot < 0 ? value : value.Mid(dot + 1);
}

constexpr const char* kConstraintRoles[] = {"sec:DA.fc_0", "sec:DA.fc_1", "sec:DA.fc_2"};

// Whether `text` names the attribute or member: its name alone, or its name
// followed by one of its first three functional constraints in brackets.
bool Matches(CKiln_Main& app, const CString& text, const URI_Ref& element) {
    const CString name = app.DocMtd_getValue_ofAttr(element, kRoleName);
    if (text == name) return true;
    for (const char* fc : kConstraintRoles) {
        if (text == name + "[" + ConstraintText(app.DocMtd_getValue_ofAttr(element, fc)) + "]") return true;
    }
    return false;
}

// The first of the list that `text` names as Matches() takes it; empty when none.
URI_Ref FirstMatching(CKiln_Main& app, const std::vector<URI_Ref>& list, const CString& text) {
    for (const URI_Ref& c : list)
        if (Matches(app, text, c)) return c;
    return URI_Ref();
}

// The members an attribute has below it: a struct's members, else the
// values of its enumeration (a basic type has neither).
std::vector<URI_Ref> MembersBelow(CKiln_Main& app, const URI_Ref& attribute) {
    std::vector<URI_Ref> next;
    URI_Ref last;
    const bool isStruct = !app.DocMtd_getFirstUri_ofAsso(attribute, "sec:BDA.DefinedBy_Struct").IsEmpty();
    app.DocMtd_get_descendent_BUris(attribute,
                                    isStruct ? "sec:BDA.DefinedBy_Struct/sec:DAType.Contains_BDAs"
                                             : "sec:BDA.DefinedBy_EnumType/sec:EnumType.EnumVals",
                                    next, last, kRoleOrd, SortPolicy_ByOrd);
    return next;
}

// The member a dotted path names, one part a level: `find(list, part)` finds
// a part in its level's list, `below(member)` gives the next level's list.
// Empty for an empty path or part, a path with more parts than a walk of
// types reaches, or a part not found (only the first member a part names is
// looked below).
template <typename List, typename Find, typename Below>
URI_Ref MemberAtPath(CString path, List list, Find&& find, Below&& below) {
    for (;;) {
        if (path.IsEmpty() || kiln::core::PathPassesBound(path)) return URI_Ref();
        const int dot = SplitAt(path);
        const URI_Ref member = find(list, dot < 0 ? path : path.Left(dot));
        if (dot < 0 || member.IsEmpty()) return member;
        list = below(member);
        path = path.Mid(dot + 1);
    }
}

// The sub-data objects that lead `text` ("phsC.cVal.mag") from `start`, a
// DO or SDO: `sub(obj, name)` finds an object's sub-data object of the name.
// The last one goes to `lastSDO`, the text after it to `rest`; false when
// the text begins with none (its last part is never one).
template <typename Sub>
bool SubObjectsLeading(CString text, URI_Ref obj, CString& rest, URI_Ref& lastSDO, Sub&& sub) {
    bool any = false;
    for (;;) {
        if (obj.sClass != "sec:DO" && obj.sClass != "sec:SDO") return any;
        const int dot = SplitAt(text);
        if (dot < 0) return any;
        URI_Ref sdo = sub(obj, text.Left(dot));
        if (sdo.IsEmpty()) return any;
        text = text.Mid(dot + 1);
        rest = text;
        lastSDO = sdo;
        any = true;
        obj = sdo;
    }
}

}  // namespace

bool CKiln_Main::isDOName_In_DOSequence(CString name, std::vector<URI_Ref> candidates, URI_Ref& found) {
    const URI_Ref hit = MemberAtPath(
        name, std::move(candidates),
        [this](const std::vector<URI_Ref>& list, const CString& part) { return FirstNamed(*this, list, part); },
        [this](const URI_Ref& obj) { return SubObjectsOf(*this, obj); });
    if (hit.IsEmpty()) return false;
    found = hit;
    return true;
}

bool CKiln_Main::GetSDO_FromDO(CString text, URI_Ref start, CString& rest, URI_Ref& lastSDO) {
    return SubObjectsLeading(text, start, rest, lastSDO, [this](const URI_Ref& obj, const CString& name) {
        return FirstNamed(*this, SubObjectsOf(*this, obj), name);
    });
}

bool CKiln_Main::isDAName_In_DASequence(CString path, std::vector<URI_Ref> candidates) {
    return kiln::core::AttributeAtPath(*this, path, candidates).IsSet();
}

namespace kiln::core {

URI_Ref AttributeAtPath(CKiln_Main& app, const CString& path, const std::vector<URI_Ref>& candidates) {
    return MemberAtPath(
        path, candidates,
        [&app](const std::vector<URI_Ref>& list, const CString& part) { return FirstMatching(app, list, part); },
        [&app](const URI_Ref& attribute) { return MembersBelow(app, attribute); });
}

namespace {

struct SymbolRow {
    const char* symbol;
    long long code;
};

// The symbols an earlier release stored for units and the codes it wrote for
// them; it wrote "W" as 38 (62 was "W" too). "μ" is U+03BC GREEK SMALL
// LETTER MU.
constexpr SymbolRow kEarlierSiUnits[] = {
    {"none", 1},    {"m", 2},       {"kg", 3},       {"s", 4},          {"a", 5},      {"k", 6},
    {"mol", 7},     {"cd", 8},      {"deg", 9},      {"rad", 10},       {"sr", 11},    {"Gy", 21},
    {"q", 22},      {"℃", 23},      {"Sv", 24},      {"F", 25},         {"C", 26},     {"S", 27},
    {"H", 28},      {"V", 29},      {"ohm", 30},     {"J", 31},         {"N", 32},     {"Hz", 33},
    {"lx", 34},     {"Lm", 35},     {"Wb", 36},      {"T", 37},         {"W", 38},     {"Pa", 39},
    {"m^2", 41},    {"m^3", 42},    {"m/s", 43},     {"m/s^2", 44},     {"m^3/s", 45}, {"m/m^3", 46},
    {"M", 47},      {"kg/m^3", 48}, {"m^2/s", 49},   {"W/m k", 50},     {"J/K", 51},   {"ppm", 52},
    {"1/s", 53},    {"rad/s", 54},  {"VA", 61},      {"VAr", 63},       {"theta", 64}, {"cos(theta)", 65},
    {"Vs", 66},     {"V^2", 67},    {"As", 68},      {"A^2", 69},       {"A^2t", 70},  {"VAh", 71},
    {"Wh", 72},     {"VArh", 73},   {"V/Hz", 74},
};
constexpr SymbolRow kEarlierMultipliers[] = {
    {"y", -24}, {"z", -21}, {"a", -18}, {"f", -15}, {"p", -12}, {"n", -9}, {"μ", -6},
    {"m", -3},  {"c", -2},  {"d", -1},  {"None", 0}, {"da", 1}, {"h", 2},  {"k", 3},
    {"M", 6},   {"G", 9},   {"T", 12},  {"P", 15},  {"E", 18},  {"Z", 21}, {"Y", 24},
};

template <size_t N>
std::map<CString, long long> SymbolTable(const SymbolRow (&rows)[N]) {
    std::map<CString, long long> table;
    for (const SymbolRow& r : rows) table.emplace(r.symbol, r.code);
    return table;
}

}  // namespace

const std::vector<MapItemProperty>& MapItemProperties() {
    static const std::map<CString, long long> kSiUnitCodes = SymbolTable(kEarlierSiUnits);
    static const std::map<CString, long long> kMultiplierCodes = SymbolTable(kEarlierMultipliers);
    static const std::vector<MapItemProperty> kTable = {
        {"sec:MapItem.unitSiUnit", "units.SIUnit", "units.SIUnit", "SIUnitEnum", &kSiUnitCodes},
        {"sec:MapItem.unitMultiplier", "units.multiplier", "units.multiplier", "UnitMultiplierEnum",
         &kMultiplierCodes},
        {"sec:MapItem.minVal", "minVal", "minVal.f"},
        {"sec:MapItem.maxVal", "maxVal", "maxVal.f"},
        {"sec:MapItem.stepSize", "stepSize", "stepSize.f"},
        {"sec:MapItem.dU", "dU", "dU"},
        {"sec:MapItem.daName_t", "t", nullptr},
    };
    return kTable;
}

const MapItemProperty* MapItemPropertyOf(const CString& role) {
    for (const MapItemProperty& p : MapItemProperties())
        if (role == p.role) return &p;
    return nullptr;
}

std::vector<URI_Ref> EnumValsOfAttribute(CKiln_Main& app, const URI_Ref& attribute) {
    std::vector<URI_Ref> values;
    URI_Ref last;
    app.DocMtd_get_descendent_BUris(attribute, "sec:BDA.DefinedBy_EnumType/sec:EnumType.EnumVals", values, last,
                                    kRoleOrd, SortPolicy_ByOrd);
    return values;
}

CString EnumValCodeText(CKiln_Main& app, const URI_Ref& enumVal) {
    return EnumCodeText(app.DocMtd_getValue_ofAttr(enumVal, kRoleOrd));
}

CString EnumCodeText(const CString& ord) { return CString(std::to_string(kiln::text::AtoiValue(ord.str())).c_str()); }

CString EnumValLiteral(CKiln_Main& app, const URI_Ref& enumVal) {
    const CString val = app.DocMtd_getValue_ofAttr(enumVal, "sec:EnumVal.val");
    return val.IsEmpty() ? app.DocMtd_getValue_ofAttr(enumVal, kRoleName) : val;
}

const UnitValues::Enumeration& UnitValues::OfType(CKiln_Main& app, const URI_Ref& enumType) {
    auto [it, added] = m_enumerations.try_emplace(enumType.sUri);
    if (added && enumType.IsSet()) {
        std::vector<URI_Ref> values;
        URI_Ref last;
        app.DocMtd_get_descendent_BUris(enumType, "sec:EnumType.EnumVals", values, last, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& v : values) {
            it->second.byCode.emplace(EnumValCodeText(app, v), v);
            it->second.byLiteral.emplace(EnumValLiteral(app, v), v);
        }
    }
    return it->second;
}

const UnitValues::Enumeration& UnitValues::Of(CKiln_Main& app, const URI_Ref& attribute) {
    auto [at, first] = m_attributes.try_emplace(attribute.sUri, nullptr);
    if (first) at->second = &OfType(app, app.DocMtd_getFirstUri_ofAsso(attribute, "sec:BDA.DefinedBy_EnumType"));
    return *at->second;
}

URI_Ref UnitValues::OfCode(CKiln_Main& app, const URI_Ref& attribute, const CString& code) {
    if (attribute.IsEmpty()) return URI_Ref();
    const Enumeration& e = Of(app, attribute);
    const auto found = e.byCode.find(code);
    return found == e.byCode.end() ? URI_Ref() : found->second;
}

URI_Ref UnitValues::Find(const Enumeration& e, const MapItemProperty& p, const CString& stored) const {
    const CString text = UnitLiteral(stored);
    CString code = text;
    if (!IsUnitCodeText(text)) {
        if (const auto found = e.byLiteral.find(text); found != e.byLiteral.end()) return found->second;
        if (!p.earlierSymbols) return URI_Ref();
        const auto symbol = p.earlierSymbols->find(text);
        if (symbol == p.earlierSymbols->end()) return URI_Ref();
        code = CString(std::to_string(symbol->second).c_str());
    }
    const auto found = e.byCode.find(code);
    return found == e.byCode.end() ? URI_Ref() : found->second;
}

URI_Ref UnitValues::OfStored(CKiln_Main& app, const MapItemProperty& p, const URI_Ref& attribute,
                             const CString& stored) {
    if (stored.IsEmpty() || attribute.IsEmpty()) return URI_Ref();
    return Find(Of(app, attribute), p, stored);
}

URI_Ref UnitValues::InEnumeration(CKiln_Main& app, const MapItemProperty& p, const URI_Ref& enumType,
                                  const CString& stored) {
    if (stored.IsEmpty() || enumType.IsEmpty()) return URI_Ref();
    return Find(OfType(app, enumType), p, stored);
}

URI_Ref MapItemResolver::UnitOf(const MapItemProperty& p, const URI_Ref& attribute, const CString& stored) {
    return m_units.OfStored(m_app, p, attribute, stored);
}

CString UnitStoredValue(const MapItemProperty& p, const CString& code) {
    return CString(kiln::cim::kModelNamespace) + "#" + p.unitEnum + "." + code;
}

CString UnitLiteral(const CString& stored) {
    return stored.Find('#') < 0 ? stored : StringAfter(stored, "#", ".");
}

bool IsUnitCodeText(const CString& text) {
    const std::string& t = text.str();
    const size_t digits = !t.empty() && t[0] == '-' ? 1 : 0;
    if (digits == t.size() || t.find_first_not_of("0123456789", digits) != std::string::npos) return false;
    // "0" alone; no leading zero, no "-0".
    return t[digits] != '0' || (digits == 0 && t.size() == 1);
}

CString UnitLackedText(const CString& stored) {
    const CString text = UnitLiteral(stored);
    return IsUnitCodeText(text) ? "枚举类型中没有序号为" + text + "的枚举值" : "枚举类型中没有" + text;
}

MapItemResolver::LNType& MapItemResolver::TypeOf(const URI_Ref& lnType) {
    auto [it, added] = m_types.try_emplace(lnType.sUri);
    if (added) {
        // The node's data objects, as the definition lookups see them.
        IndexNames(it->second.dataObjects, m_app.Get_DOs_ofLNType(lnType));
    }
    return it->second;
}

void MapItemResolver::IndexNames(NameIndex& index, const std::vector<URI_Ref>& list) {
    for (const URI_Ref& r : list) index.emplace(m_app.DocMtd_getValue_ofAttr(r, kRoleName).str(), r);
}

const MapItemResolver::NameIndex& MapItemResolver::SubObjects(const URI_Ref& object) {
    auto [it, added] = m_subObjects.try_emplace(object.sUri);
    if (added) IndexNames(it->second, SubObjectsOf(m_app, object));
    return it->second;
}

const MapItemResolver::NameIndex& MapItemResolver::Attributes(const URI_Ref& owner, bool below) {
    auto [it, added] = (below ? m_membersBelow : m_attributes).try_emplace(owner.sUri);
    if (added) {
        // Each of the texts Matches() takes, the first member of each.
        for (const URI_Ref& c : below ? MembersBelow(m_app, owner) : AttributesOf(m_app, owner)) {
            const CString name = m_app.DocMtd_getValue_ofAttr(c, kRoleName);
            it->second.emplace(name.str(), c);
            for (const char* fc : kConstraintRoles)
                it->second.emplace((name + "[" + ConstraintText(m_app.DocMtd_getValue_ofAttr(c, fc)) + "]").str(), c);
        }
    }
    return it->second;
}

URI_Ref MapItemResolver::AttributeAt(const URI_Ref& object, const CString& path) {
    return MemberAtPath(path, &Attributes(object, false), Find,
                        [this](const URI_Ref& attribute) { return &Attributes(attribute, true); });
}

URI_Ref MapItemResolver::Find(const NameIndex* index, const CString& name) {
    const auto found = index->find(name.str());
    return found == index->end() ? URI_Ref() : found->second;
}

const MapItemResolver::DataObject& MapItemResolver::DataObjectOf(LNType& type, const CString& doName) {
    auto [it, added] = type.byName.try_emplace(doName);
    if (!added) return it->second;
    const NameIndex* dataObjects = &type.dataObjects;
    it->second.object =
        MemberAtPath(doName, dataObjects, Find, [this](const URI_Ref& obj) { return &SubObjects(obj); });
    if (it->second.object.IsSet()) {
        const URI_Ref& obj = it->second.object;
        const URI_Ref doType = m_app.DocMtd_getFirstUri_ofAsso(
            obj, obj.sClass == "sec:DO" ? "sec:DO.DefinedBy_DOType" : "sec:SDO.DefinedBy_DOType");
        if (doType.IsSet())
            it->second.cdc = m_app.DocMtd_getFirstValue_ofAsso(doType, "sec:DOType.ClassOf_DOType", kRoleName);
        it->second.keyClass = HasKeyDataAttributes(it->second.cdc);
    }
    return it->second;
}

MapItemResolver::LNType* MapItemResolver::NodeType(const URI_Ref& node) {
    if (node.IsEmpty()) return nullptr;
    auto [at, first] = m_nodes.try_emplace(node.sUri, nullptr);
    if (first) {
        const URI_Ref lnType = m_app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
        if (lnType.IsSet()) at->second = &TypeOf(lnType);
    }
    return at->second;
}

MapItemResolver::Target MapItemResolver::Resolve(const URI_Ref& item) {
    const URI_Ref node = m_app.DocMtd_getFirstUri_ofAsso(item, "sec:DARef.LNode");
    if (node.IsEmpty()) return Target();
    return Resolve(node, m_app.DocMtd_getValue_ofAttr(item, kDoName), m_app.DocMtd_getValue_ofAttr(item, kDaName));
}

MapItemResolver::Target MapItemResolver::Resolve(const URI_Ref& node, const CString& doName, const CString& daName) {
    LNType* nodeType = NodeType(node);
    // A node without type holds no data object.
    if (!nodeType) return Target();
    LNType& type = *nodeType;
    auto [it, added] = type.targets[doName].try_emplace(daName);
    if (!added) return it->second;
    Target& target = it->second;
    const DataObject& found = DataObjectOf(type, doName);
    if (found.object.IsEmpty()) return target;
    target.cdc = found.cdc;
    target.keyClass = found.keyClass;
    target.keyDA = found.keyClass && IsKeyDataAttribute(found.cdc, daName);
    CString path = daName;
    URI_Ref start = found.object;
    CString rest;
    URI_Ref lastSDO;
    auto subObject = [this](const URI_Ref& obj, const CString& name) { return Find(&SubObjects(obj), name); };
    if (!path.IsEmpty() && SubObjectsLeading(path, start, rest, lastSDO, subObject)) {
        start = lastSDO;
        path = rest;
    }
    target.state = path.IsEmpty() || AttributeAt(start, path).IsSet()
                       ? CKiln_Main::MapItemTarget::Held
                       : CKiln_Main::MapItemTarget::AttributeGone;
    return target;
}

URI_Ref MapItemResolver::AttributeOf(const URI_Ref& node, const CString& doName, const CString& path) {
    LNType* type = NodeType(node);
    if (!type) return URI_Ref();
    auto [it, added] = type->attributes.try_emplace(doName + "\n" + path);
    if (added) {
        const URI_Ref& object = DataObjectOf(*type, doName).object;
        if (object.IsSet()) it->second = AttributeAt(object, path);
    }
    return it->second;
}

}  // namespace kiln::core

CKiln_Main::MapItemTarget CKiln_Main::Get_MapItemTarget(const URI_Ref& item) {
    return kiln::core::MapItemResolver(*this).Resolve(item).state;
}
