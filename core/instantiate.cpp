// Instance types built from the standard classes: an LN, DO or DA type of a
// product package is found among the package chain's instance types of its
// standard class, or created with copies of the class's members, each typed
// in turn by an instance type of the member's standard type. Name semantics
// of a package's members are linked to the entries of its declaration
// packages.
//
// Enumerations set per data object: the CDCs ENS, ENC and ENG leave the
// enumeration of their value attributes open, and a standard DO names it
// through "sec:DO.DefinedBy_EnumType". Building such a DO's type carries that
// enumeration down to the types that hold open enumerated members; each such
// instance type records the enumeration it was built with (the same role on
// the type) and is reused only for data objects of that enumeration, so Beh
// and Health of one LN never share a DO type.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/free_names.h"
#include "core/kiln_main.h"
#include "core/type_nesting.h"
#include "platform/framework/wnd.h"
#include "platform/mfc/containers.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

constexpr const char* kDoEnumRole = "sec:DO.DefinedBy_EnumType";
constexpr const char* kStdEnumPrefix = "850EN_";

using TypeCreator = bool (CKiln_Main::*)(URI_Ref*, URI_Ref);
using MemberCreator = bool (CKiln_Main::*)(URI_Ref*, URI_Ref, CString);

// One row per class of standard class.
struct TypeKind {
    const char* cls;
    const char* instRole;     // on the standard class: its instance types
    const char* packageRole;  // from a type to its package
    const char* classOfRole;  // from an instance type to its standard class
    const char* memberRoles[2];
    const char* enumRole;     // the enumeration a type was built with; null: never open
    TypeCreator create;
    const char* word;         // in messages
};

const TypeKind kTypeKinds[] = {
    {"sec:LNodeType", "sec:LNodeType.Inst_LNTypes", "sec:LNodeType.TypePackage", "sec:LNodeType.ClassOf_LNType",
     {"sec:LNodeType.DOs", nullptr}, nullptr, &CKiln_Main::NewRsc_LNodeType, "LN"},
    {"sec:DOType", "sec:DOType.Inst_DOTypes", "sec:DOType.TypePackage", "sec:DOType.ClassOf_DOType",
     {"sec:DOType.Contains_SDOs", "sec:DOType.Contains_DAs"}, "sec:DOType.DefinedBy_EnumType",
     &CKiln_Main::NewRsc_DOType, "DO"},
    {"sec:DAType", "sec:DAType.Inst_DATypes", "sec:DAType.TypePackage", "sec:DAType.ClassOf_DAType",
     {"sec:DAType.Contains_BDAs", nullptr}, "sec:DAType.DefinedBy_EnumType", &CKiln_Main::NewRsc_DAType, "DA"},
};

// One row per class of standard member.
struct MemberKind {
    const char* cls;
    MemberCreator create;
    const char* packageRole;  // read on the instance type
    const char* typeRole;
    const char* semanticRole;
    const char* presenceRole;
    const char* word;         // in messages
};

const MemberKind kMemberKinds[] = {
    {"sec:DO", &CKiln_Main::NewRsc_DO, "sec:LNodeType.TypePackage", "sec:DO.DefinedBy_DOType", "sec:DO.DOSemantic",
     "sec:DO.presence", "DO"},
    {"sec:SDO", &CKiln_Main::NewRsc_SDO, "sec:DOType.TypePackage", "sec:SDO.DefinedBy_DOType", "sec:SDO.DASemantic",
     "sec:SDO.presence", "SDO"},
    {"sec:DA", &CKiln_Main::NewRsc_DA, "sec:DOType.TypePackage", "sec:BDA.DefinedBy_Struct", "sec:BDA.DASemantic",
     "sec:BDA.presence", "DA"},
    {"sec:BDA", &CKiln_Main::NewRsc_BDA, "sec:DAType.TypePackage", "sec:BDA.DefinedBy_Struct", "sec:BDA.DASemantic",
     "sec:BDA.presence", "BDA"},
};

// The member scopes: value and the text the choice box shows.
const std::pair<const char*, const char*> kScopes[] = {
    {"with M", "复制必选成员\t\t\t（M）"},
    {"with M/C", "复制必选和条件必选成员 （M和C）"},
    {"with M/C/O", "复制所有成员\t\t\t（M、C和O）"},
    {"with no", "不复制任何成员\t\t\t"},
};

const TypeKind* TypeKindOf(const URI_Ref& rsc) {
    for (const TypeKind& k : kTypeKinds)
        if (rsc.sClass == k.cls) return &k;
    return nullptr;
}

const MemberKind* MemberKindOf(const URI_Ref& rsc) {
    for (const MemberKind& k : kMemberKinds)
        if (rsc.sClass == k.cls) return &k;
    return nullptr;
}

bool IsDataAttribute(const URI_Ref& rsc) { return rsc.sClass == "sec:DA" || rsc.sClass == "sec:BDA"; }

void Notice(const CString& text) { _AfxMessageBox(text, MB_OK, "", nullptr); }

// The work of one call of GetType_FromStandard or Add_InstMember_byStd: the
// scope chosen once for the whole tree, and the types under construction, so
// that a type that contains itself (through a structure or an SDO) is typed
// by the one being built instead of starting another.
class CInstantiation {
public:
    CInstantiation(CKiln_Main& app, const CString& scope) : m_app(app), m_scope(scope) {
        CCmdTarget().BeginWaitCursor();  // stays on; the dispatcher ends it
    }

    bool Type(const URI_Ref& stdClass, const URI_Ref& package, URI_Ref* out, bool forceNew, URI_Ref enumType);
    bool Member(const URI_Ref& instType, const URI_Ref& stdMember, URI_Ref& out);

private:
    bool FindUsable(const TypeKind& k, const URI_Ref& stdClass, const URI_Ref& package, const URI_Ref& enumType,
                    URI_Ref* out, bool& found);
    bool Create(const TypeKind& k, const URI_Ref& stdClass, const URI_Ref& package, const URI_Ref& enumType,
                URI_Ref* out);
    bool AddMembers(const TypeKind& k, const URI_Ref& stdClass, const URI_Ref& type);
    bool AskScope();
    int Presence(const URI_Ref& member);
    // The enumeration a type was built with (empty when none).
    URI_Ref EnumOf(const URI_Ref& type);
    URI_Ref EnumOfWalk(const URI_Ref& type, kiln::core::TypePath& onPath);
    // Whether a standard type holds an enumerated data attribute without an
    // enumeration, directly or in a structure it contains.
    bool HasOpenEnum(const URI_Ref& stdType);
    bool HasOpenEnumWalk(const URI_Ref& stdType, kiln::core::TypePath& onPath);
    void SetValueText(const URI_Ref& instType, const URI_Ref& member);

    CKiln_Main& m_app;
    CString m_scope;
    std::map<std::string, URI_Ref> m_building;  // standard class + enumeration -> the type being built
    std::map<std::string, bool> m_open;         // HasOpenEnum, per standard type
};

bool CInstantiation::Type(const URI_Ref& stdClass, const URI_Ref& package, URI_Ref* out, bool forceNew,
                          URI_Ref enumType) {
    if (!out) return false;
    out->Clear();
    const TypeKind* k = TypeKindOf(stdClass);
    if (!k) return false;
    if (!k->enumRole || !HasOpenEnum(stdClass)) enumType.Clear();

    const std::string key = stdClass.sUri + "|" + enumType.sUri;
    if (auto it = m_building.find(key); it != m_building.end()) {
        *out = it->second;
        return true;
    }
    if (!forceNew) {
        bool found = false;
        if (!FindUsable(*k, stdClass, package, enumType, out, found)) return false;
        if (found) return true;
    }
    if (!Create(*k, stdClass, package, enumType, out)) return false;
    m_building[key] = *out;
    const bool ok = AddMembers(*k, stdClass, *out);
    m_building.erase(key);
    return ok;
}

bool CInstantiation::FindUsable(const TypeKind& k, const URI_Ref& stdClass, const URI_Ref& package,
                                const URI_Ref& enumType, URI_Ref* out, bool& found) {
    std::vector<URI_Ref> instances, packages, kept;
    if (!m_app.DocMtd_get_Association_BUris(stdClass, k.instRole, instances, kRoleOrd, SortPolicy_ByOrd))
        return false;
    if (!m_app.GetTypePackage_Depended(&packages, package, true)) return false;
    for (const URI_Ref& t : instances) {
        if (Search_URISequence(packages, m_app.DocMtd_getFirstUri_ofAsso(t, k.packageRole)) < 0) continue;
        if (k.enumRole && !(EnumOf(t) == enumType)) continue;
        kept.push_back(t);
    }
    if (kept.empty()) return true;
    found = true;
    if (kept.size() == 1) {
        *out = kept.front();
        return true;
    }
    Struct_EditPack pack;
    pack.nEditKind = 7;
    for (URI_Ref& t : kept) pack.Add_ListItem(m_app.DocMtd_getValue_ofAttr(t, kRoleName), CString(t.sUri));
    CString value;
    const CString title = "发现 " + m_app.DocMtd_getValue_ofAttr(stdClass, kRoleName) + " 的实例类型有多个，请作出选择：";
    if (!m_app.Mtd_SingleInputBox(title, value, &pack, false)) return false;
    if (!value.IsEmpty()) *out = m_app.DocMtd_TestBy_URIRef(value);
    return true;
}

bool CInstantiation::Create(const TypeKind& k, const URI_Ref& stdClass, const URI_Ref& package,
                            const URI_Ref& enumType, URI_Ref* out) {
    if (!(m_app.*k.create)(out, package)) return false;
    if (!m_app.DocMtd_add_Association(*out, k.classOfRole, stdClass)) return false;
    // The new type keeps its creator's instance flag; the mark of an
    // abstract standard class is the class's, not its instances'.
    CStringArray except;
    except.Add("isInstType");
    except.Add("isAbstract");
    if (!m_app.DocMtd_Copy_RscAttributes(stdClass, *out, except, true, false)) return false;

    CString base = m_app.DocMtd_getFirstValue_ofAsso(package, "sec:TypePackage.ICD", kRoleName);
    if (m_app.DocMtd_getFirstUri_ofAsso(package, "sec:TypePackage.ICD").IsEmpty())
        base = m_app.DocMtd_getValue_ofAttr(package, kRoleName);
    CString name = base + "_" + m_app.DocMtd_getValue_ofAttr(stdClass, kRoleName);
    if (enumType.IsSet()) {
        // Types of one class built for different enumerations are told
        // apart by the enumeration's name.
        CString enumName = m_app.DocMtd_getValue_ofAttr(enumType, kRoleName);
        if (enumName.Find(kStdEnumPrefix) == 0) enumName = enumName.Mid(static_cast<int>(strlen(kStdEnumPrefix)));
        name += "_" + enumName;
        if (!m_app.DocMtd_add_Association(*out, k.enumRole, enumType)) return false;
    }
    // A name the package holds already goes to no second type.
    return m_app.DocMtd_Modify_attribute_value(*out, kRoleName,
                                               kiln::core::FreeTypeName(m_app, package, k.cls, name, *out));
}

bool CInstantiation::AskScope() {
    Struct_EditPack pack;
    pack.nEditKind = 7;
    for (const auto& [value, display] : kScopes) pack.Add_ListItem(display, value);
    CString value = kScopes[0].second;
    if (!m_app.Mtd_SingleInputBox("请选择新建成员的范围：", value, &pack, false)) return false;
    // A box left on its initial row hands back that row's text.
    const CString byText = pack.vList.Get_Second_byFirst(value);
    m_scope = byText.IsEmpty() ? value : byText;
    return true;
}

// The presence level of a standard member: 0 mandatory (or none given), 1
// conditional, 2 optional. "dU", "cdcNs" and "dataNs" count as mandatory:
// they follow every scope but "with no".
int CInstantiation::Presence(const URI_Ref& member) {
    if (IsDataAttribute(member)) {
        const CString name = m_app.DocMtd_getValue_ofAttr(member, kRoleName);
        if (name == "dU" || name == "cdcNs" || name == "dataNs") return 0;
    }
    const MemberKind* mk = MemberKindOf(member);
    if (!mk) return 3;
    const CString presence = m_app.DocMtd_getValue_ofAttr(member, mk->presenceRole);
    if (presence.Find("#PresenceTypeEnum.C") > 0) return 1;
    if (presence.Find("#PresenceTypeEnum.O") > 0) return 2;
    return 0;
}

// The members the scope copies: mandatory ones, conditional ones with M/C
// or more, optional ones with M/C/O. SCL holds no type without members, so
// where the scope copies none of a class that has some, the next level is
// copied (a class with no mandatory member, as AnalogueValue, gets its
// conditional ones) and the status line says so.
bool CInstantiation::AddMembers(const TypeKind& k, const URI_Ref& stdClass, const URI_Ref& type) {
    if (m_scope.IsEmpty() && !AskScope()) return false;
    if (m_scope == "with no") return true;
    const bool isLN = stdClass.sClass == "sec:LNodeType";
    std::vector<URI_Ref> members, declaredBy;
    for (const char* role : k.memberRoles) {
        if (!role) continue;
        std::vector<URI_Ref> some, by;
        URI_Ref last;
        URI_Ref lnClass = stdClass;
        if (isLN) {
            if (!m_app.Get_DOs_of_Std_LNType(some, by, lnClass)) return false;
        } else if (m_app.DocMtd_get_descendent_BUris(stdClass, role, some, last, kRoleOrd, SortPolicy_ByOrd) == 0) {
            return false;
        }
        by.resize(some.size());
        members.insert(members.end(), some.begin(), some.end());
        declaredBy.insert(declaredBy.end(), by.begin(), by.end());
    }
    std::vector<int> levels;
    for (const URI_Ref& m : members) levels.push_back(Presence(m));
    const int inScope = m_scope == "with M" ? 0 : m_scope == "with M/C/O" ? 2 : 1;
    int level = inScope;
    const auto anyUpTo = [&](int l) { return std::any_of(levels.begin(), levels.end(), [l](int v) { return v <= l; }); };
    while (level < 2 && !anyUpTo(level)) ++level;
    if (level != inScope && anyUpTo(level))
        m_app.Mtd_SetStatusBarText(CString(k.word) + "类型" + m_app.DocMtd_getValue_ofAttr(type, kRoleName) +
                                   "在所选范围内没有成员，已复制其" + (level == 1 ? "条件必选成员" : "可选成员"));
    for (size_t i = 0; i < members.size(); ++i) {
        if (levels[i] > level) continue;
        URI_Ref made;
        if (!Member(type, members[i], made)) return false;
        if (isLN && !(declaredBy[i] == m_app.m_uStdTypePackage) &&
            !m_app.DocMtd_Modify_attribute_value(made, "sec:DO.derivate", "true"))
            Notice("内部错误（185）");
    }
    return true;
}

bool CInstantiation::Member(const URI_Ref& instType, const URI_Ref& stdMember, URI_Ref& out) {
    const MemberKind* mk = MemberKindOf(stdMember);
    if (!mk) return false;
    // A creator that refuses has shown why; nothing is left to add to.
    if (!(m_app.*mk->create)(&out, instType, CString())) return false;
    if (!m_app.DocMtd_Copy_RscAttributes(stdMember, out, CStringArray(), true, false)) return false;
    const URI_Ref semantic = m_app.DocMtd_getFirstUri_ofAsso(stdMember, mk->semanticRole);
    if (semantic.IsSet()) m_app.DocMtd_add_Association(out, mk->semanticRole, semantic);

    URI_Ref enumType;
    if (IsDataAttribute(stdMember)) {
        const CString bType = m_app.DocMtd_getValue_ofAttr(stdMember, "sec:BDA.bType");
        if (bType.Find("#PreBasicTypeEnum.Struct") < 0) {
            if (bType.Find("#PreBasicTypeEnum.Enum") > 0) {
                // Enumeration types are shared, never copied.
                URI_Ref e = m_app.DocMtd_getFirstUri_ofAsso(stdMember, "sec:BDA.DefinedBy_EnumType");
                if (e.IsEmpty()) e = EnumOf(instType);
                if (e.IsSet())
                    m_app.DocMtd_add_Association(out, "sec:BDA.DefinedBy_EnumType", e);
                else
                    Notice(CString("标准类不完善（没有指定") + mk->word + "的枚举类型）");
            }
            if (stdMember.sClass == "sec:DA" && bType.Find("#PreBasicTypeEnum.VisString255") > 0)
                SetValueText(instType, out);
            return true;
        }
        enumType = EnumOf(instType);
    } else if (stdMember.sClass == "sec:DO") {
        enumType = m_app.DocMtd_getFirstUri_ofAsso(stdMember, kDoEnumRole);
    }

    const URI_Ref stdType = m_app.DocMtd_getFirstUri_ofAsso(stdMember, mk->typeRole);
    if (stdType.IsEmpty()) {
        Notice(CString("标准类不完善（没有指定") + mk->word + "的类型）");
        return false;
    }
    const URI_Ref package = m_app.DocMtd_getFirstUri_ofAsso(instType, mk->packageRole);
    URI_Ref type;
    if (!Type(stdType, package, &type, false, enumType)) {
        Notice("数据不完整！");
        return false;
    }
    if (type.IsSet()) m_app.DocMtd_add_Association(out, mk->typeRole, type);
    return true;
}

// The preset text of a name-space DA: "ldNs" the standard's edition,
// "cdcNs" the package of a CDC outside the standard package, "cdcName" the CDC.
void CInstantiation::SetValueText(const URI_Ref& instType, const URI_Ref& member) {
    const CString name = m_app.DocMtd_getValue_ofAttr(member, kRoleName);
    if (name == "ldNs") {
        m_app.DocMtd_Modify_attribute_value(member, "sec:BDA.valueStr", "IEC 61850-7-4:2003");
    } else if (name == "cdcNs") {
        const URI_Ref pkg = m_app.DocMtd_getFirstUri_ofAsso(instType, "sec:DOType.ClassOf_DOType/sec:DOType.TypePackage");
        if (pkg.IsSet() && !(pkg == m_app.m_uStdTypePackage))
            m_app.DocMtd_Modify_attribute_value(member, "sec:BDA.valueStr", m_app.DocMtd_getValue_ofAttr(pkg, kRoleName));
    } else if (name == "cdcName") {
        m_app.DocMtd_Modify_attribute_value(
            member, "sec:BDA.valueStr",
            m_app.DocMtd_getFirstValue_ofAsso(instType, "sec:DOType.ClassOf_DOType", kRoleName));
    }
}

URI_Ref CInstantiation::EnumOf(const URI_Ref& type) {
    kiln::core::TypePath onPath;
    return EnumOfWalk(type, onPath);
}

// The type's record of its enumeration; for a type without one (made by an
// import or a copy), the enumeration of its first member that the standard
// class leaves open, so that such a type is reused as one built here would be.
URI_Ref CInstantiation::EnumOfWalk(const URI_Ref& type, kiln::core::TypePath& onPath) {
    const TypeKind* k = TypeKindOf(type);
    if (!k || !k->enumRole) return URI_Ref();
    const URI_Ref recorded = m_app.DocMtd_getFirstUri_ofAsso(type, k->enumRole);
    if (recorded.IsSet()) return recorded;
    const URI_Ref stdClass = m_app.DocMtd_getFirstUri_ofAsso(type, k->classOfRole);
    if (stdClass.IsEmpty() || !HasOpenEnum(stdClass) || !kiln::core::EnterTypePath(onPath, type)) return URI_Ref();
    const char* role = type.sClass == "sec:DOType" ? "sec:DOType.Contains_DAs" : "sec:DAType.Contains_BDAs";
    std::vector<URI_Ref> stdMembers, members;
    m_app.DocMtd_get_Association_BUris(stdClass, role, stdMembers, kRoleOrd, SortPolicy_ByOrd);
    m_app.DocMtd_get_Association_BUris(type, role, members, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& sm : stdMembers) {
        const CString bType = m_app.DocMtd_getValue_ofAttr(sm, "sec:BDA.bType");
        const bool isStruct = bType.Find("#PreBasicTypeEnum.Struct") >= 0;
        if (isStruct) {
            const URI_Ref t = m_app.DocMtd_getFirstUri_ofAsso(sm, "sec:BDA.DefinedBy_Struct");
            if (t.IsEmpty() || !HasOpenEnum(t)) continue;
        } else if (bType.Find("#PreBasicTypeEnum.Enum") <= 0 ||
                   m_app.DocMtd_getFirstUri_ofAsso(sm, "sec:BDA.DefinedBy_EnumType").IsSet()) {
            continue;
        }
        const CString name = m_app.DocMtd_getValue_ofAttr(sm, kRoleName);
        for (const URI_Ref& member : members) {
            if (m_app.DocMtd_getValue_ofAttr(member, kRoleName) != name) continue;
            const URI_Ref found =
                isStruct ? EnumOfWalk(m_app.DocMtd_getFirstUri_ofAsso(member, "sec:BDA.DefinedBy_Struct"), onPath)
                         : m_app.DocMtd_getFirstUri_ofAsso(member, "sec:BDA.DefinedBy_EnumType");
            if (found.IsSet()) return found;
        }
    }
    return URI_Ref();
}

bool CInstantiation::HasOpenEnum(const URI_Ref& stdType) {
    kiln::core::TypePath onPath;
    return HasOpenEnumWalk(stdType, onPath);
}

bool CInstantiation::HasOpenEnumWalk(const URI_Ref& stdType, kiln::core::TypePath& onPath) {
    if (auto it = m_open.find(stdType.sUri); it != m_open.end()) return it->second;
    // A structure met again on its own path adds nothing new.
    if (!kiln::core::EnterTypePath(onPath, stdType)) return false;
    const char* role = stdType.sClass == "sec:DOType" ? "sec:DOType.Contains_DAs" : "sec:DAType.Contains_BDAs";
    std::vector<URI_Ref> members;
    m_app.DocMtd_get_Association_BUris(stdType, role, members, kRoleOrd, SortPolicy_ByOrd);
    bool open = false;
    for (const URI_Ref& m : members) {
        const CString bType = m_app.DocMtd_getValue_ofAttr(m, "sec:BDA.bType");
        if (bType.Find("#PreBasicTypeEnum.Struct") >= 0) {
            const URI_Ref t = m_app.DocMtd_getFirstUri_ofAsso(m, "sec:BDA.DefinedBy_Struct");
            open = t.IsSet() && HasOpenEnumWalk(t, onPath);
        } else {
            open = bType.Find("#PreBasicTypeEnum.Enum") > 0 &&
                   m_app.DocMtd_getFirstUri_ofAsso(m, "sec:BDA.DefinedBy_EnumType").IsEmpty();
        }
        if (open) break;
    }
    onPath.erase(stdType.sUri);
    m_open[stdType.sUri] = open;
    return open;
}

}  // namespace

bool CKiln_Main::GetType_FromStandard(URI_Ref stdClass, URI_Ref package, URI_Ref* out, bool forceNew,
                                      CString scope) {
    return CInstantiation(*this, scope).Type(stdClass, package, out, forceNew, URI_Ref());
}

bool CKiln_Main::Add_InstMember_byStd(URI_Ref& instType, URI_Ref& stdMember, URI_Ref& out, CString scope) {
    return CInstantiation(*this, scope).Member(instType, stdMember, out);
}

bool CKiln_Main::AutoLink_NameSemantic(URI_Ref& package, CString kind) {
    CString domain;
    DocMtd_DEnv_Get_Rsc_Domain(package, domain);
    if (!DocMtd_DEnv_IsDomainEditable(domain)) {
        Notice("当前域不可编辑！-W0105");
        return false;
    }
    CCmdTarget().BeginWaitCursor();
    std::vector<URI_Ref> packages;
    if (!GetTypePackage_Depended(&packages, package, false)) return false;

    struct Pass {
        const char* tableRole;  // null: the table of the pass before stays
        const char* membersPath;
        const char* linkRole;
    };
    static const Pass kDoPasses[] = {
        {"sec:TypePackage.DOSemantics", "sec:TypePackage.LNodeTypes/sec:LNodeType.DOs", "sec:DO.DOSemantic"}};
    static const Pass kDaPasses[] = {
        {"sec:TypePackage.DASemantics", "sec:TypePackage.DOTypes/sec:DOType.Contains_DAs", "sec:BDA.DASemantic"},
        {nullptr, "sec:TypePackage.DOTypes/sec:DOType.Contains_SDOs", "sec:SDO.DASemantic"},
        {"sec:TypePackage.DASemantics", "sec:TypePackage.DATypes/sec:DAType.Contains_BDAs", "sec:BDA.DASemantic"}};
    // Any other kind links nothing.
    const Pass* passes = kind == "DO" ? kDoPasses : kDaPasses;
    const size_t count = kind == "DO" ? std::size(kDoPasses) : kind == "DA" ? std::size(kDaPasses) : 0;

    // The entries by name: of one name, the first (the nearer package's).
    std::unordered_map<std::string, CString> table;
    for (size_t p = 0; p < count; ++p) {
        const Pass& pass = passes[p];
        if (pass.tableRole) {
            table.clear();
            for (const URI_Ref& pkg : packages) {
                std::vector<URI_Ref> entries;
                if (!DocMtd_get_Association_BUris(pkg, pass.tableRole, entries, kRoleOrd, SortPolicy_ByOrd))
                    return false;
                for (URI_Ref& e : entries) table.emplace(DocMtd_getValue_ofAttr(e, kRoleName).str(), CString(e.sUri));
            }
        }
        if (table.empty()) continue;
        std::vector<URI_Ref> members;
        URI_Ref last;
        if (DocMtd_get_descendent_BUris(package, pass.membersPath, members, last, kRoleOrd, SortPolicy_ByOrd) == 0)
            return false;
        for (const URI_Ref& m : members) {
            const auto entry = table.find(DocMtd_getValue_ofAttr(m, kRoleName).str());
            const CString wanted = entry != table.end() ? entry->second : CString();
            const CString current(DocMtd_getFirstUri_ofAsso(m, pass.linkRole).sUri);
            if (wanted == current) continue;
            if (!DocMtd_update_Association(m, pass.linkRole, DocMtd_TestBy_URIRef(wanted))) return false;
        }
    }
    return true;
}
