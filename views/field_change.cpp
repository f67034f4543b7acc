// The change of a property field: the edit lock, associations relinked
// from the chosen value, checks of data values by their basic type, order
// numbers, names and the names derived from them. The result tells the host
// whether to store the new value itself.
#include <algorithm>
#include <climits>
#include <string>
#include <type_traits>
#include <vector>

#include "core/address_103.h"
#include "core/array_elements.h"
#include "core/data_values.h"
#include "core/itb_rules.h"
#include "core/scl_attribute_rules.h"
#include "core/scl_ied_roles.h"
#include "core/scl_names.h"
#include "core/scl_value_types.h"
#include "core/scl_values.h"
#include "core/free_node_names.h"
#include "core/info_item_keys.h"
#include "core/map_item_target.h"
#include "core/member_rename.h"
#include "editing/lnode_class.h"
#include "editing/member_users.h"
#include "core/name_rules.h"
#include "platform/framework/cim_schema.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"
#include "views/property_editor.h"
#include "views/view_helpers.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

void Notice(const CString& text) { _AfxMessageBox(text, MB_OK, "", nullptr); }

struct FollowUp {
    const char* field;
    const char* cls;  // nullptr: any class
    int refresh;
};

// The refresh code after a relinked association, by field and class; any
// other association gets 1. "sec:DARef.LNode", "sec:LNodeType.Abstract_Type"
// and "sec:LNode.LNodeType" change more and are handled beside the table.
constexpr FollowUp kFollowUps[] = {
    {"sec:DO.DefinedBy_DOType", "sec:DO", 3},
    {"sec:BDA.DefinedBy_Struct", nullptr, 3},
    {"sec:BDA.DefinedBy_EnumType", nullptr, 3},
    {"sec:SDO.DefinedBy_DOType", "sec:SDO", 3},
    {"sec:DARef.LNode", nullptr, 0},
    {"sec:RCB.DataSet", "sec:RCB", 0},
    {"sec:ClientLN.LNode", "sec:ClientLN", 0},
    {"sec:LCB.DataSet", "sec:LCB", 0},
    {"sec:LNode.LNodeType", "sec:LNode", 3},
    {"sec:TypePackage.Depend_TypePackage", "sec:TypePackage", 3},
    {"sec:LDevice.Abstract_LDevice", "sec:LDevice", 3},
    {"sec:LNodeType.Abstract_Type", "sec:LNodeType", 1},
    {"sec:LNodeType.ClassOf_LNType", "sec:LNodeType", 3},
    {"sec:DOType.ClassOf_DOType", "sec:DOType", 3},
    {"sec:DAType.ClassOf_DAType", "sec:DAType", 3},
    {"sec:LNode.MemberOf_LNodeContainer", "sec:LNode", 0},
    {"sec:MapItem.InfoItem", "sec:MapItem", 0},
};

// The fields by which a data-set member or an input names its node as its
// file did, and what of the node each holds: moved to another node, the
// reference takes the new node's, so that none names the old one.
enum class NodePart { Ied, Device, Prefix, Class, Instance };
struct NodeNamingField {
    const char* cls;
    const char* role;
    NodePart part;
};
constexpr NodeNamingField kNodeNamingFields[] = {
    {"sec:FCDA", "sec:FCDA.ldInst", NodePart::Device},     {"sec:FCDA", "sec:FCDA.memberRef", NodePart::Prefix},
    {"sec:FCDA", "sec:FCDA.lnClass", NodePart::Class},     {"sec:FCDA", "sec:FCDA.lnInst", NodePart::Instance},
    {"sec:ExtRef", "sec:ExtRef.iedName", NodePart::Ied},   {"sec:ExtRef", "sec:ExtRef.ldInst", NodePart::Device},
    {"sec:ExtRef", "sec:ExtRef.prefix", NodePart::Prefix}, {"sec:ExtRef", "sec:ExtRef.lnClass", NodePart::Class},
    {"sec:ExtRef", "sec:ExtRef.lnInst", NodePart::Instance},
};

// SCL's LN0 holds neither prefix nor instance: an LLN0 takes neither, and
// a reference that names one holds neither.
constexpr const char* kLln0PrefixText = "SCL的LN0没有前缀，LLN0不能设置前缀！";
constexpr const char* kLln0InstText = "SCL的LN0没有实例号，LLN0不能设置实例号！";
constexpr const char* kLln0ReferenceText = "SCL的LN0没有前缀和实例号，指向LLN0时前缀和实例号须为空！";
// A report block whose RptEnabled is off writes none, nor what it holds.
constexpr const char* kRptEnabledOffText = "RptEnabled为否，文件中没有RptEnabled的max和desc";

// Functional constraints as a message lists them: "ST、SV".
CString Listed(const std::vector<CString>& fcs) {
    CString list;
    for (const CString& fc : fcs) list += (list.IsEmpty() ? "" : "、") + fc;
    return list;
}

class FieldChange {
public:
    FieldChange(CKiln_Main& app, const URI_Ref& rsc, CString field, const CString& oldValue, CString& newValue,
                CString* display, int* refresh)
        : m_app(app), m_rsc(rsc), m_field(std::move(field)), m_old(oldValue), m_new(newValue), m_display(display),
          m_refresh(refresh) {}

    bool Run();

private:
    void Refresh(int code) {
        if (m_refresh) *m_refresh = code;
    }
    void Display(const CString& text) {
        if (m_display) *m_display = text;
    }
    bool Association();
    void AfterRelink();
    bool DataValue();
    bool EnumValue(const URI_Ref& dfn, const CString& descField);
    bool NumberChecked(const CString& bType, bool isFloat);
    bool AttributesOfDo(const CString& doName, Struct_DAs_ofDO& das);
    bool DoHoldsDaName(const CString& doName, const CString& daName);
    bool NodeHoldsDo(const CString& doName);
    std::vector<CString> ConstraintsOf(const CString& doName, const CString& daName);
    bool MemberConstraint();
    bool RowConstraint(const CString& doName);
    bool SubObjectsIntoDoName();
    bool SettingGroups();
    bool EnumCode();
    bool Name();
    bool NodeNamePart(bool prefix, const CString& text);
    bool NodeName(const CString& prefix, const CString& inst);
    bool NodeRename();
    bool NodeClass();
    bool TypeClass();
    bool KeptNodeField();
    bool Lln0ReferenceField();
    void ClearWhatTheNodeLacks(const CString& doName, bool doToo);
    void FollowNode();
    CString NodePartText(const URI_Ref& node, NodePart part);
    void SharedByAccessPoint();
    bool ReportBlockFlag();
    bool RptEnabledPart();
    bool Is(const char* cls) const { return m_rsc.sClass == cls; }
    // A data-set member, an input or a mapping item: a node's DO and DA by name.
    bool IsDataRef() const { return Is("sec:FCDA") || Is("sec:ExtRef") || Is("sec:MapItem"); }
    CString Get(const URI_Ref& r, const char* role) { return m_app.DocMtd_getValue_ofAttr(r, role); }
    // Stores a value the field does not hold already (an empty one where it holds none is none).
    void Put(const URI_Ref& r, const char* role, const CString& v) {
        if (Get(r, role) != v) m_app.DocMtd_Modify_attribute_value(r, role, v);
    }
    void Clear(const URI_Ref& r, const char* role) { Put(r, role, ""); }

    CKiln_Main& m_app;
    URI_Ref m_rsc;
    CString m_field;
    const CString& m_old;
    CString& m_new;
    CString* m_display;
    int* m_refresh;
};

bool FieldChange::Run() {
    // A handle the document does not hold (a page left open on a deleted
    // resource) changes nothing and says nothing.
    CString domain;
    if (!m_app.DocMtd_DEnv_Get_Rsc_Domain(m_rsc, domain)) return false;
    if (!kiln::views::DomainEditable(m_app, m_rsc)) {
        Notice("当前域不可编辑！-W0052");
        return false;
    }
    if (m_field == "sec:BDA.bType") {
        const CString bType = Get(m_rsc, "sec:BDA.bType");
        if (kiln::views::IsBasicType(bType, "Struct"))
            m_field = "sec:BDA.DefinedBy_Struct";
        else if (kiln::views::IsBasicType(bType, "Enum"))
            m_field = "sec:BDA.DefinedBy_EnumType";
    }
    const CString cls = m_rsc.sClass;
    Struct_AttrDfn attr;
    if (!m_app.DocMtd_Get_AttrDfn(cls, m_field, attr)) {
        Struct_AssoDfn asso;
        if (!m_app.DocMtd_Get_AssoDfn(cls, m_field, asso)) return false;
        return Association();
    }
    // Given the value its page shows (what it holds, or where it holds
    // nothing what its file writes), a field changes nothing: no check runs
    // and nothing that hangs on it is rewritten. A value it holds is left to
    // the host's store, which keeps it as it is; a field that holds none
    // stays without one.
    if (m_new == kiln::views::ShownValue(m_app, m_rsc, m_field)) return !Get(m_rsc, m_field).IsEmpty();
    if (Is("sec:RCB") && (m_field == "sec:RCB.gi" || m_field == "sec:RCB.rptEna")) return ReportBlockFlag();
    if (Is("sec:RCB") && !RptEnabledPart()) return false;
    if (kiln::views::ContainsAfterFirst(attr.sText6, ":Boolean")) return true;
    if (m_field == "sec:FCDA.fc" && Is("sec:FCDA") && !MemberConstraint()) return false;
    if (!m_new.IsEmpty() && m_new != "NULL") {
        // A unit, a range, a step, a dU or a time its target lacks could not be written.
        if (const CString refusal = kiln::views::MapItemPropertyRefusal(m_app, m_rsc, m_field); !refusal.IsEmpty()) {
            Notice(refusal);
            return false;
        }
        // The time stamp is written as the "t" of the item's data object and
        // read back as that whole reference: the item stores it so.
        if (m_field == "sec:MapItem.daName_t" && Is("sec:MapItem")) {
            m_new = kiln::core::NodeReference(m_app, m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:DARef.LNode")) + "." +
                    Get(m_rsc, "sec:DARef.doName") + ".t";
            return true;
        }
    }
    if (!attr.sText7.IsEmpty()) {
        Display(StringAfter(m_new, "#", "."));
        std::vector<std::pair<CString, CString>> units;
        if (kiln::views::UnitRows(m_app, m_rsc, m_field, units))
            for (const auto& [shown, value] : units)
                if (value == m_new) Display(shown);
        return true;
    }
    if ((m_field == "sec:DARef.doName" || m_field == "sec:DARef.daName") && m_new == "NULL") {
        if (m_field == "sec:DARef.doName") Clear(m_rsc, "sec:DARef.doName");
        Clear(m_rsc, "sec:DARef.daName");
        Refresh(0);
        return false;
    }
    if (m_field == "sec:DARef.daName" && IsDataRef()) {
        // A member's, input's or mapping item's DA its DO lacks could not be
        // written.
        const CString doName = Get(m_rsc, "sec:DARef.doName");
        if (!DoHoldsDaName(doName, m_new)) {
            Notice(kiln::views::LackingAttributeText(doName, m_new));
            return false;
        }
        if (Is("sec:FCDA") && !m_new.IsEmpty() && !RowConstraint(doName)) return false;
        if (SubObjectsIntoDoName()) return false;
    }
    if ((m_field == "sec:Val.sValue" && Is("sec:Val")) || (m_field == "sec:DAI.valueStr" && Is("sec:DAI")) ||
        (m_field == "sec:BDA.valueStr" && (Is("sec:BDA") || Is("sec:DA")))) {
        if (!DataValue()) return false;
        // The value's other place (the owner's own value, or its first
        // value) takes it as well; the host stores the field itself.
        kiln::core::WriteDataValue(m_app, m_rsc, m_new);
        return true;
    }
    if (m_field == "e301:OrdNaming.ord" && Is("sec:EnumVal")) return EnumCode();
    if (m_field == "e301:OrdNaming.ord") {
        // A place is a whole number; what is stored is the place the move
        // gives (the last one for a number past the list), never no number.
        m_new.Trim();
        if (m_new.IsEmpty() || m_new.str().find_first_not_of("0123456789") != std::string::npos) {
            Notice("不合法的整数！");
            return false;
        }
        const long long place = std::min<long long>(kiln::text::AtoiValue(m_new.str()), INT_MAX);
        if (!m_app.Rsc_Adjust_Order(m_rsc, static_cast<int>(place), nullptr)) return false;
        m_new = Get(m_rsc, kRoleOrd);
        return true;
    }
    if (m_field == kRoleName && Is("sec:LNode")) return NodeRename();
    if (m_field == kRoleName) return Name();
    // An item's id finds it from the mapping and the table's file, which
    // refuses an id given twice; an item without one is written into the
    // mapping under its order number: no two items go by one key there.
    if (m_field == "sec:InfoItem.id" && Is("sec:InfoItem")) {
        const CString key = kiln::core::InfoItemKey(m_app, m_rsc, m_new);
        const URI_Ref other = kiln::core::OtherItemOfKey(
            kiln::core::InfoItemsByKey(m_app, m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:InfoItem.ITB")), key, m_rsc);
        if (other.IsSet()) {
            const bool byId = Get(other, "sec:InfoItem.id") == key;
            Notice((m_new.IsEmpty() ? "infoitem没有id时M2I文件以" + key + "标识它" : "infoitem的id:" + m_new + "重复") +
                   "，" + (byId ? "它是" : "M2I文件以它标识没有id的") + "信息条目" + Get(other, kRoleName) +
                   (byId ? "的id" : CString()) + "，不能修改！");
            return false;
        }
    }
    // An item's group is none or one its table holds: the ITB file names
    // only the groups it holds.
    if (m_field == "sec:InfoItem.infoGroup" && Is("sec:InfoItem") && !m_new.IsEmpty()) {
        const std::vector<CString> groups =
            kiln::core::InfoGroupNames(m_app, m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:InfoItem.ITB"));
        if (std::find(groups.begin(), groups.end(), m_new) == groups.end()) {
            Notice("信息组" + m_new + "不存在，不能修改！");
            return false;
        }
    }
    if (m_field == "cim:Naming.description" && (Is("sec:LDevice") || Is("sec:LNode") || Is("sec:InfoGroup"))) {
        Refresh(2);
        return true;
    }
    if ((m_field == "sec:LNode.lnInst" || m_field == "sec:LNode.prefix") && Is("sec:LNode")) {
        const bool prefix = m_field == "sec:LNode.prefix";
        if (!NodeNamePart(prefix, m_new)) return false;
        return NodeName(prefix ? m_new : Get(m_rsc, "sec:LNode.prefix"), prefix ? Get(m_rsc, "sec:LNode.lnInst") : m_new);
    }
    if (m_field == "sec:LNode.lnClass" && Is("sec:LNode")) return NodeClass();
    if (m_field == "sec:LNodeType.prefix" && Is("sec:LNodeType")) {
        const URI_Ref base = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:LNodeType.Abstract_Type");
        if (base.IsSet()) {
            Put(m_rsc, kRoleName, m_new + Get(base, kRoleName));
            Refresh(2);
        }
        return true;
    }
    if (m_rsc.sUri == m_app.m_uStdTypePackage.sUri && m_field == "sec:TypePackage.ref") {
        Notice("该引用标识不能修改！");
        return false;
    }
    if (m_field == "sec:LCB.logName" && Is("sec:LCB")) {
        // A Log with a name gives the block its logName.
        const CString logName = Get(m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:LCB.Log"), kRoleName);
        if (!logName.IsEmpty() && m_new != logName) {
            Notice("日志控制块的logName由其日志决定，只能是" + logName + "！");
            return false;
        }
        const CString breach = kiln::core::LogNameBreach(m_new);
        if (!breach.IsEmpty()) Notice(breach);
        return breach.IsEmpty();
    }
    if (!TypeClass()) return false;
    if (!KeptNodeField()) return false;
    if (m_field == "sec:DARef.doName" && IsDataRef()) ClearWhatTheNodeLacks(m_new, false);
    // The fields written as typed SCL attributes take only what the type holds.
    if (kiln::core::IsWholeNumberField(m_field)) m_new.Trim();
    if (const CString breach = kiln::core::SclAttributeBreach(m_field, m_new); !breach.IsEmpty()) {
        Notice(breach);
        return false;
    }
    if (!Lln0ReferenceField()) return false;
    if (Is("sec:LDevice")) SharedByAccessPoint();
    // The values that hold an enumeration value's text take its new one.
    if (m_field == "sec:EnumVal.val" && Is("sec:EnumVal")) {
        kiln::editing::CarryEnumValue(m_app, m_rsc, kiln::editing::EnumValueText(m_app, m_rsc),
                                      m_new.IsEmpty() ? Get(m_rsc, kRoleName) : m_new);
        return true;
    }
    if (const CString refusal = kiln::views::SdiPartsRefusal(m_app, m_rsc, m_field, m_new); !refusal.IsEmpty()) {
        Notice(refusal);
        return false;
    }
    kiln::views::ShareSdiParts(m_app, m_rsc, m_field, m_new);
    // An array's count gives its size or names the attribute that holds it
    // ("maxPts"), as SCL allows.
    if ((m_field == "sec:SDO.count" && kiln::core::IsSclSdoName(m_new.str())) ||
        (m_field == "sec:BDA.count" && kiln::core::IsSclAttributeName(m_new.str())))
        return true;
    // A number of a 103 address is one octet, as the ITB file takes it.
    if (const kiln::core::CField103* field = kiln::core::Field103Of(m_field.str()); field && Is("sec:InfoItem")) {
        m_new.Trim();
        if (m_new.IsEmpty() || kiln::core::FitsField103(*field, m_new.str())) return true;
        Notice("不合法的整数！");
        return false;
    }
    // The other whole numbers (counts, periods, revisions, indexes) are
    // written where SCL takes only digits.
    if (kiln::views::ContainsAfterFirst(attr.sText6, ":Integer")) return NumberChecked("INT32U", false) && SettingGroups();
    return true;
}

// A device's setting-group control block holds its number of groups (5 when
// it names none, as the export writes it) and the active group; neither the
// active group nor a value's setting group may lie past that number.
bool FieldChange::SettingGroups() {
    auto number = [](const CString& text) { return kiln::text::AtoiValue(text.str()); };
    auto count = [&](const URI_Ref& sgcb) {
        const CString n = Get(sgcb, "sec:SGCB.numOfSG");
        return n.IsEmpty() ? 5 : number(n);
    };
    auto decimal = [](long long n) { return CString(std::to_string(n)); };
    // Groups are numbered from 1: a group 0 is none the file can mean.
    const bool groupZero = !m_new.IsEmpty() && number(m_new) < 1;
    if (m_field == "sec:SGCB.activeSG" && Is("sec:SGCB")) {
        if (groupZero) {
            Notice("激活定值组不能小于1，不能修改！");
            return false;
        }
        if (number(m_new) <= count(m_rsc)) return true;
        Notice("激活定值组不能大于定值组数（" + decimal(count(m_rsc)) + "），不能修改！");
        return false;
    }
    if (m_field == "sec:SGCB.numOfSG" && Is("sec:SGCB")) {
        const long long groups = m_new.IsEmpty() ? 5 : number(m_new);
        if (const long long active = number(Get(m_rsc, "sec:SGCB.activeSG")); active > groups) {
            Notice("定值组数不能小于激活定值组（" + decimal(active) + "），不能修改！");
            return false;
        }
        const URI_Ref ld = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:SGCB.LNode/sec:LNode.LDevice");
        std::vector<URI_Ref> vals;
        URI_Ref last;
        m_app.DocMtd_get_descendent_BUris(ld, "sec:LDevice.LNodes/sec:LNode.DOIs/sec:DOI.DAIs/sec:DAI.Vals", vals, last,
                                          kRoleOrd, SortPolicy_ByOrd);
        long long highest = 0;
        for (const URI_Ref& v : vals) highest = std::max(highest, number(Get(v, "sec:Val.sGroup")));
        if (highest <= groups) return true;
        Notice("逻辑装置中有定值组" + decimal(highest) + "的预设值，定值组数不能小于它，不能修改！");
        return false;
    }
    if (m_field == "sec:Val.sGroup" && Is("sec:Val")) {
        if (groupZero) {
            Notice("定值组不能小于1，不能修改！");
            return false;
        }
        const URI_Ref sgcb = m_app.DocMtd_getFirstUri_ofAsso(
            kiln::core::ValOwner(m_app, m_rsc), "sec:DAI.DOI/sec:DOI.LNode/sec:LNode.LDevice/sec:LDevice.LNodes/sec:LNode.SGCB");
        if (sgcb.IsEmpty() || number(m_new) <= count(sgcb)) return true;
        Notice("定值组不能大于定值组数（" + decimal(count(sgcb)) + "），不能修改！");
        return false;
    }
    return true;
}

// An enumeration value's number is its code: any whole number SCL's ord
// takes, once in its enumeration (compared by value, as SCL compares it).
// The host stores it; the mapping items whose unit is the value take it.
bool FieldChange::EnumCode() {
    m_new.Trim();
    if (!kiln::core::IsSclInt(m_new.str())) {
        Notice("不合法的整数！");
        return false;
    }
    const std::string key = kiln::core::SclWholeNumberKey(m_new.str());
    std::vector<URI_Ref> values;
    URI_Ref last;
    m_app.DocMtd_get_descendent_BUris(m_rsc, "sec:EnumVal.EnumType/sec:EnumType.EnumVals", values, last, kRoleOrd,
                                      SortPolicy_ByOrd);
    for (const URI_Ref& v : values)
        if (v != m_rsc && kiln::core::SclWholeNumberKey(Get(v, kRoleOrd).str()) == key) {
            Notice("枚举类型中已经存在序号为" + m_new + "的枚举值，不能修改！");
            return false;
        }
    kiln::editing::CarryEnumCode(m_app, m_rsc, m_new);
    return true;
}

bool FieldChange::Association() {
    std::vector<URI_Ref> current;
    URI_Ref last;
    // A DA's or BDA's new enumeration keeps the values it holds as well and
    // drops the others, saying which; values it cannot drop refuse it.
    std::vector<kiln::editing::CLackedValue> lacked;
    const URI_Ref newEnum = m_new == "NULL" ? URI_Ref() : m_app.DocMtd_TestBy_URIRef(m_new);
    auto lacking = [&](const std::vector<kiln::editing::CLackedValue>& values) {
        std::vector<CString> texts, labels;
        for (const auto& v : values) {
            if (std::find(texts.begin(), texts.end(), v.text) == texts.end()) texts.push_back(v.text);
            labels.push_back(v.label);
        }
        return std::pair{"枚举类型" + (newEnum.IsSet() ? Get(newEnum, kRoleName) : CString()) + "中没有" + Listed(texts),
                         Listed(labels)};
    };
    // So do the mapping items whose unit or multiplier it lacks, named by
    // its code, as a deleted value names them.
    std::vector<kiln::editing::CLackedUnit> lackedUnits;
    auto lackingUnits = [&](const std::vector<kiln::editing::CLackedUnit>& units) {
        std::vector<CString> codes, texts, labels;
        for (const auto& u : units) {
            std::vector<CString>& list = u.code.IsEmpty() ? texts : codes;
            const CString& named = u.code.IsEmpty() ? u.text : u.code;
            if (std::find(list.begin(), list.end(), named) == list.end()) list.push_back(named);
            labels.push_back(u.label);
        }
        CString why = codes.empty() ? CString() : "序号为" + Listed(codes) + "的枚举值";
        if (!texts.empty()) why += (why.IsEmpty() ? "" : "、") + Listed(texts);
        return std::pair{"枚举类型" + (newEnum.IsSet() ? Get(newEnum, kRoleName) : CString()) + "中没有" + why,
                         Listed(labels)};
    };
    if (m_field == "sec:BDA.DefinedBy_EnumType" && (m_new == "NULL" || newEnum.IsSet())) {
        lacked = kiln::editing::ValuesOutsideEnum(m_app, m_rsc, newEnum);
        lackedUnits = kiln::editing::UnitsOutsideEnum(m_app, m_rsc, newEnum);
        // Those held in a domain that cannot be edited refuse the change,
        // named as `named` names them, before `what`.
        auto refused = [&](const auto& all, auto holder, const auto& named, const char* what) {
            std::decay_t<decltype(all)> locked;
            for (const auto& x : all)
                if (!kiln::views::DomainEditable(m_app, x.*holder)) locked.push_back(x);
            if (locked.empty()) return false;
            const auto [why, labels] = named(locked);
            Notice(why + what + labels + "，不能修改！");
            return true;
        };
        if (refused(lacked, &kiln::editing::CLackedValue::holder, lacking, "，不可编辑的域中的预设值不能清除：") ||
            refused(lackedUnits, &kiln::editing::CLackedUnit::item, lackingUnits,
                    "，不可编辑的域中的映射条目的单位不能清除："))
            return false;
    }
    auto dropLacked = [&] {
        if (!lacked.empty()) {
            kiln::editing::DropValues(m_app, lacked);
            const auto [why, labels] = lacking(lacked);
            Notice(why + "，已清除预设值：" + labels + "！");
        }
        if (!lackedUnits.empty()) {
            kiln::editing::DropUnits(m_app, lackedUnits);
            const auto [why, labels] = lackingUnits(lackedUnits);
            Notice(why + "，已清除映射条目的单位：" + labels + "！");
        }
    };
    if (m_new == "NULL") {
        // A node is written with its type: one without any no file can hold.
        if (m_field == "sec:LNode.LNodeType" && Is("sec:LNode")) {
            Notice("逻辑节点的LN类型只能更换，不能清除！");
            return false;
        }
        if (m_app.DocMtd_get_descendent_BUris(m_rsc, m_field, current, last, kRoleOrd, SortPolicy_ByOrd) == 0)
            return false;
        for (const URI_Ref& t : current)
            if (!m_app.DocMtd_del_Association(m_rsc, m_field, t)) return false;
        if (m_field == "sec:DARef.LNode") {
            Clear(m_rsc, "sec:DARef.doName");
            Clear(m_rsc, "sec:DARef.daName");
        }
        dropLacked();
        Refresh(0);
        current.clear();
    }
    const URI_Ref target = m_app.DocMtd_TestBy_URIRef(m_new);
    if (target.IsEmpty()) return false;
    if (m_app.DocMtd_get_descendent_BUris(m_rsc, m_field, current, last, kRoleOrd, SortPolicy_ByOrd) == 0)
        return false;
    if (current.size() == 1 && current.front().sUri == target.sUri) return false;
    if (!kiln::views::RelinkAlone(m_app, m_rsc, m_field, target, current)) return false;
    dropLacked();
    Refresh(1);
    AfterRelink();
    return false;
}

void FieldChange::AfterRelink() {
    for (const FollowUp& f : kFollowUps) {
        if (m_field != f.field || (f.cls && !Is(f.cls))) continue;
        Refresh(f.refresh);
        if (m_field == "sec:DARef.LNode") {
            FollowNode();
        } else if (m_field == "sec:LNode.LNodeType") {
            // The node takes the LN class of its new type.
            const CString lnClass = kiln::core::LnClassOfType(m_app, m_app.DocMtd_TestBy_URIRef(m_new));
            if (!lnClass.IsEmpty()) Put(m_rsc, "sec:LNode.lnClass", lnClass);
        } else if (m_field == "sec:LNodeType.ClassOf_LNType") {
            // The nodes of the type that hold a class of their own take the
            // new one: a node is written with its type's class.
            const CString lnClass = kiln::core::LnClassOfType(m_app, m_rsc);
            std::vector<URI_Ref> nodes;
            m_app.DocMtd_get_Association_BUris(m_rsc, "sec:LNodeType.LNode", nodes, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& node : nodes)
                if (!Get(node, "sec:LNode.lnClass").IsEmpty()) Put(node, "sec:LNode.lnClass", lnClass);
        } else if (m_field == "sec:LNodeType.Abstract_Type") {
            CString inst = Get(m_rsc, "sec:LNodeType.isInstType");
            const URI_Ref base = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:LNodeType.Abstract_Type");
            if (inst.MakeLower() == "false" && base.IsSet()) {
                Put(m_rsc, kRoleName, Get(m_rsc, "sec:LNodeType.prefix") + Get(base, kRoleName));
                Refresh(2);
            }
        }
        return;
    }
}

bool FieldChange::DataValue() {
    URI_Ref dfn = kiln::views::ValueDefinition(m_app, m_rsc);
    const char* descField = Is("sec:Val")                   ? "sec:Val.desc"
                            : Is("sec:BDA") || Is("sec:DA") ? "sec:BDA.valueDesc"
                                                            : "sec:DAI.valueDesc";
    if (dfn.IsEmpty()) {
        Notice("内部错误（182）：不能获得DA/BDA！");
        return false;
    }
    const CString bType = Get(dfn, "sec:BDA.bType");
    using kiln::views::IsBasicType;
    if (IsBasicType(bType, "Struct")) {
        Notice("内部错误（183）：不能修改结构！");
        return false;
    }
    if (IsBasicType(bType, "Enum")) return EnumValue(dfn, descField);
    if (IsBasicType(bType, "BOOLEAN")) {
        if (m_app.DocMtd_getFirstUri_ofAsso(dfn, "sec:BDA.DefinedBy_EnumType").IsSet())
            return EnumValue(dfn, descField);
        // A plain BOOLEAN takes exactly the two values its list offers.
        if (m_new != "true" && m_new != "false") {
            Notice("没有发现对应的枚举值！");
            return false;
        }
        Display(m_new == "true" ? "是" : "否");
        return true;
    }
    const bool isInt = IsBasicType(bType, "INT"), isFloat = IsBasicType(bType, "FLOAT");
    if ((isInt || isFloat) && !NumberChecked(bType, isFloat)) return false;
    // A value its basic type cannot hold (past its range or length, no
    // date of the calendar, ...) is refused as well.
    const CString basic = StringAfter(bType, "#", ".");
    if (kiln::core::FitsBasicType(basic.str(), m_new.str())) return true;
    Notice(isInt ? "不合法的整数！" : isFloat ? "不合法的浮点数！" : "不合法的" + basic + "值！");
    return false;
}

bool FieldChange::EnumValue(const URI_Ref& dfn, const CString& descField) {
    const URI_Ref enumType = m_app.DocMtd_getFirstUri_ofAsso(dfn, "sec:BDA.DefinedBy_EnumType");
    if (enumType.IsEmpty()) {
        Notice("没有指定具体的枚举类型！");
        return false;
    }
    std::vector<URI_Ref> values;
    URI_Ref last;
    if (m_app.DocMtd_get_descendent_BUris(enumType, "sec:EnumType.EnumVals", values, last, kRoleOrd,
                                          SortPolicy_ByOrd) == 0)
        return false;
    // The description takes the value's text, which its file holds, not
    // the name a value read from a file is given.
    for (const URI_Ref& v : values) {
        if (Get(v, "sec:EnumVal.val") != m_new) continue;
        const CString text = kiln::core::EnumValLiteral(m_app, v);
        Put(m_rsc, descField, text);
        Display(text);
        return true;
    }
    Notice("没有发现对应的枚举值！");
    return false;
}

bool FieldChange::NumberChecked(const CString& bType, bool isFloat) {
    m_new.Trim();
    const std::string& text = m_new.str();
    const bool unsignedType = !isFloat && bType.Right(1) == "U";
    bool point = false, digit = false;
    for (size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        bool ok = c >= '0' && c <= '9';
        digit = digit || ok;
        if (!ok && c == '-' && k == 0 && !unsignedType) ok = true;
        if (!ok && c == '.' && isFloat && !point) ok = point = true;
        if (!ok) {
            Notice(isFloat ? "不合法的浮点数！" : "不合法的整数！");
            return false;
        }
    }
    // A sign or a point alone is no number; the empty text clears the value.
    if (!text.empty() && !digit) {
        Notice(isFloat ? "不合法的浮点数！" : "不合法的整数！");
        return false;
    }
    return true;
}

// A node is written with its type's class: its own class field holds that
// class, or nothing when it held none. A node without a type takes a class
// SCL holds.
bool FieldChange::NodeClass() {
    const URI_Ref type = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:LNode.LNodeType");
    if (type.IsSet()) {
        const CString typeClass = kiln::core::LnClassOfType(m_app, type);
        if (m_new == typeClass) return true;
        // Cleared, the class the file holds would be gone from the store
        // alone: only a node that holds none keeps none.
        if (m_new.IsEmpty() && Get(m_rsc, "sec:LNode.lnClass").IsEmpty()) return false;
        Notice("逻辑节点的类由其LN类型决定，只能是" + typeClass + "！");
        return false;
    }
    if (m_new.IsEmpty() || kiln::core::IsSclLnClass(m_new.str())) return true;
    Notice(kiln::core::kBadLnClass);
    return false;
}

// The data attributes, with their paths, of the DO `doName` of the data
// reference's node; false when the node, the DO or its attributes are not
// found.
bool FieldChange::AttributesOfDo(const CString& doName, Struct_DAs_ofDO& das) {
    URI_Ref lnode = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:DARef.LNode");
    if (lnode.IsEmpty() || doName.IsEmpty()) return false;
    URI_Ref dataObject = m_app.Get_DO_Dfn(lnode, doName);
    return dataObject.IsSet() && m_app.Get_DAs_of_aDO(dataObject, &das, "", nullptr);
}

// A data attribute picked below a sub-data object ("phsA.cVal[MX].mag.f"
// under DO PhV) names the SDOs in the member's, input's or mapping item's DO
// name, as SCL and the M2I file do (doName "PhV.phsA", daName "cVal.mag.f"),
// so that the item reads back from its file as it was: the SDOs are the names
// before the one that holds the functional constraints. True when the
// handler stored both names itself.
bool FieldChange::SubObjectsIntoDoName() {
    const CString doName = Get(m_rsc, "sec:DARef.doName");
    Struct_DAs_ofDO das;
    if (doName.Find('.') >= 0 || !AttributesOfDo(doName, das)) return false;
    for (const Struct_DAItem& item : das.vDAs) {
        const std::string& path = item.sPath.str();
        if (kiln::core::WithoutConstraints(path) != m_new.str()) continue;
        const size_t sdoEnd = kiln::core::SubObjectsLength(path);
        if (sdoEnd == 0) return false;
        Put(m_rsc, "sec:DARef.doName", doName + "." + path.substr(0, sdoEnd).c_str());
        Put(m_rsc, "sec:DARef.daName", m_new.Mid(static_cast<int>(sdoEnd) + 1));
        Refresh(0);
        return true;
    }
    return false;
}

// The functional constraints of the data a member of these names holds: a
// DA's own, or those of the DAs below a DO or SDO, in the type's order;
// none when the node or the DO cannot be found.
std::vector<CString> FieldChange::ConstraintsOf(const CString& doName, const CString& daName) {
    const CString object = kiln::core::WithoutElementIndexes(doName.str());
    const int dot = object.Find('.');
    Struct_DAs_ofDO das;
    std::vector<CString> held;
    if (!AttributesOfDo(dot < 0 ? object : object.Left(dot), das)) return held;
    // The paths below the DO as SCL names them, from the SDOs of the member's
    // DO name on, then its DA.
    CString below = dot < 0 ? CString() : object.Mid(dot + 1) + ".";
    below += CString(kiln::core::WithoutElementIndexes(kiln::core::WithoutConstraints(daName.str())));
    auto under = [&below](const CString& plain) {
        if (below.IsEmpty()) return true;
        if (below.Right(1) == ".") return plain.Left(below.GetLength()) == below;
        return plain == below || plain.Left(below.GetLength() + 1) == below + ".";
    };
    for (const Struct_DAItem& item : das.vDAs) {
        const std::string& path = item.sPath.str();
        const size_t open = path.find('['), close = path.find(']');
        if (!under(kiln::core::WithoutConstraints(path).c_str()) || open == std::string::npos ||
            close == std::string::npos)
            continue;
        for (size_t at = open + 1; at < close;) {
            const size_t end = std::min(path.find(',', at), close);
            const CString fc = path.substr(at, end - at).c_str();
            if (std::find(held.begin(), held.end(), fc) == held.end()) held.push_back(fc);
            at = end + 1;
        }
    }
    return held;
}

// A data-set member's functional constraint is one its data has. A member
// whose data cannot be found is left as it is (the export names it).
bool FieldChange::MemberConstraint() {
    const CString doName = Get(m_rsc, "sec:DARef.doName");
    const CString daName = kiln::core::WithoutConstraints(Get(m_rsc, "sec:DARef.daName").str()).c_str();
    const std::vector<CString> held = ConstraintsOf(doName, daName);
    const CString wanted = StringAfter(m_new, "#", ".");
    if (held.empty() || std::find(held.begin(), held.end(), wanted) != held.end()) return true;
    Notice("fc必须是" + doName + (daName.IsEmpty() ? CString() : "." + daName) + "具有的功能约束：" + Listed(held) + "！");
    return false;
}

// A member given a DA takes the DA's functional constraint when the DA has
// one alone; a DA of several keeps a member's that is among them and is
// refused to a member whose is not.
bool FieldChange::RowConstraint(const CString& doName) {
    const std::vector<CString> held = ConstraintsOf(doName, m_new);
    const CString fc = StringAfter(Get(m_rsc, "sec:FCDA.fc"), "#", ".");
    if (held.empty() || std::find(held.begin(), held.end(), fc) != held.end()) return true;
    if (held.size() == 1) {
        Put(m_rsc, "sec:FCDA.fc", CString(kiln::cim::kModelNamespace) + "#FCType." + held.front());
        Refresh(0);
        return true;
    }
    Notice("fc" + (fc.IsEmpty() ? CString("为空") : "为" + fc) + "，不是" + doName + "." + m_new + "具有的功能约束：" +
           Listed(held) + "，不能修改！");
    return false;
}

// A prefix or an instance that an SCL file cannot hold is refused; an LLN0
// takes neither (SCL's LN0 holds none, so no file could name the node by
// them) and may be left without an instance.
bool FieldChange::NodeNamePart(bool prefix, const CString& text) {
    const bool lln0 = kiln::editing::LnClassOfNode(m_app, m_rsc) == "LLN0";
    if (lln0 && !text.IsEmpty()) {
        Notice(prefix ? kLln0PrefixText : kLln0InstText);
        return false;
    }
    if (prefix ? kiln::core::IsSclLnPrefix(text.str()) : kiln::core::IsSclLnInst(text.str())) return true;
    if (!prefix && lln0) return true;
    Notice(prefix ? kiln::core::kBadLnPrefixText : kiln::core::kBadLnInstText);
    return false;
}

// The node takes the prefix and instance, its name made of them and its
// class, unless another node of the device has that name: SCL holds the
// name once. An LLN0's name holds neither (LN0 is written without both):
// renamed, it keeps the prefix and instance it holds.
bool FieldChange::NodeName(const CString& prefix, const CString& inst) {
    const CString lnClass = kiln::editing::LnClassOfNode(m_app, m_rsc);
    const bool lln0 = lnClass == "LLN0";
    const URI_Ref ld = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:LNode.LDevice");
    if (!lln0 && kiln::core::CNodeInstances(m_app, ld, lnClass, m_rsc).Taken(prefix, inst)) {
        Notice("逻辑装置中已经存在名为" + prefix + lnClass + inst + "的逻辑节点，不能修改！");
        return false;
    }
    // The field edited is stored by the host.
    if (!lln0 && m_field != "sec:LNode.prefix") Put(m_rsc, "sec:LNode.prefix", prefix);
    if (!lln0 && m_field != "sec:LNode.lnInst") Put(m_rsc, "sec:LNode.lnInst", inst);
    Put(m_rsc, kRoleName, kiln::core::NodeNameText(prefix, lnClass, inst));
    Refresh(3);
    return true;
}

// A node is written by its prefix, class and instance: a new name is taken
// apart into them, its class the node's own (the last place it stands).
bool FieldChange::NodeRename() {
    const CString lnClass = kiln::editing::LnClassOfNode(m_app, m_rsc);
    const int at = lnClass.IsEmpty() ? -1 : static_cast<int>(m_new.str().rfind(lnClass.str()));
    if (at < 0) {
        Notice("逻辑节点名称由前缀、" + lnClass + "和实例号组成，不能修改！");
        return false;
    }
    const CString prefix = m_new.Left(at), inst = m_new.Mid(at + lnClass.GetLength());
    if (!NodeNamePart(true, prefix) || !NodeNamePart(false, inst)) return false;
    return NodeName(prefix, inst);
}

// The class of an LN type or DO type made from a standard class is that
// class's (the exports write it); one without a standard class takes a
// class SCL holds.
bool FieldChange::TypeClass() {
    const bool lnType = m_field == "sec:LNodeType.lnClass" && Is("sec:LNodeType");
    if (!lnType && !(m_field == "sec:DOType.cdc" && Is("sec:DOType"))) return true;
    const URI_Ref cls =
        m_app.DocMtd_getFirstUri_ofAsso(m_rsc, lnType ? "sec:LNodeType.ClassOf_LNType" : "sec:DOType.ClassOf_DOType");
    const CString name = Get(cls, kRoleName);
    if (cls.IsSet() && m_new != name) {
        Notice((lnType ? "LN类型的类由其标准LN类决定，只能是" : "DO类型的CDC由其标准CDC决定，只能是") + name + "！");
        return false;
    }
    if (cls.IsSet() || !lnType || kiln::core::IsSclLnClass(m_new.str())) return true;
    Notice(kiln::core::kBadLnClass);
    return false;
}

// An input's or a report client's node fields stand for a node outside the
// model: one that names a node of the model is written with that node's. A
// log control block with a Log is written naming the Log's node.
bool FieldChange::KeptNodeField() {
    const bool lcb = Is("sec:LCB");
    const char* link = Is("sec:ExtRef")     ? "sec:DARef.LNode"
                       : Is("sec:ClientLN") ? "sec:ClientLN.LNode"
                       : lcb                ? "sec:LCB.Log"
                                            : nullptr;
    if (!link || m_app.DocMtd_getFirstUri_ofAsso(m_rsc, link).IsEmpty()) return true;
    for (const char* attr : kiln::core::kNodeRefAttributes)
        if (m_field == CString(m_rsc.sClass) + "." + attr) {
            Notice(lcb ? "已指定日志，其逻辑装置和逻辑节点由日志所在的逻辑节点决定，不能修改！"
                       : "已指向逻辑节点，其IED、逻辑装置和逻辑节点由所指向的逻辑节点决定，不能修改！");
            return false;
        }
    return true;
}

// A reference kept as typed (an input's or a report client's node, a log
// control block's log node) that names an LLN0 takes neither prefix nor
// instance: SCL's LN0 has none, so the file would name no node. A log
// control block without a class names an LLN0. What is cleared is taken.
bool FieldChange::Lln0ReferenceField() {
    const CString cls = m_rsc.sClass;
    if (!Is("sec:ExtRef") && !Is("sec:ClientLN") && !Is("sec:LCB")) return true;
    const CString role[] = {cls + ".prefix", cls + ".lnClass", cls + ".lnInst"};
    if (m_new.IsEmpty() || std::find(std::begin(role), std::end(role), m_field) == std::end(role)) return true;
    auto value = [&](const CString& r) { return r == m_field ? m_new : Get(m_rsc, r.str().c_str()); };
    const CString lnClass = value(role[1]);
    if ((lnClass == "LLN0" || (lnClass.IsEmpty() && Is("sec:LCB"))) &&
        !(value(role[0]).IsEmpty() && value(role[2]).IsEmpty())) {
        Notice(kLln0ReferenceText);
        return false;
    }
    return true;
}

// True when the DO `doName` (with its SDOs) of the reference's node has the
// DA `daName` (or a struct of attributes by that name), or when either is
// empty or the node or the DO cannot be found (the export names those).
bool FieldChange::DoHoldsDaName(const CString& doName, const CString& daName) {
    const CString plain = kiln::core::WithoutElementIndexes(kiln::core::WithoutConstraints(daName.str()));
    const CString object = kiln::core::WithoutElementIndexes(doName.str());
    const int dot = object.Find('.');
    Struct_DAs_ofDO das;
    if (plain.IsEmpty() || !AttributesOfDo(dot < 0 ? object : object.Left(dot), das)) return true;
    const CString wanted = (dot < 0 ? CString() : object.Mid(dot + 1) + ".") + plain;
    for (const Struct_DAItem& item : das.vDAs) {
        const CString path = kiln::core::WithoutConstraints(item.sPath.str()).c_str();
        if (path == wanted || path.Left(wanted.GetLength() + 1) == wanted + ".") return true;
    }
    return false;
}

// True when the type of the reference's node has the DO `doName` names,
// and the SDOs it names below it.
bool FieldChange::NodeHoldsDo(const CString& doName) {
    const CString object = kiln::core::WithoutElementIndexes(doName.str());
    const int dot = object.Find('.');
    URI_Ref lnode = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:DARef.LNode");
    if (m_app.Get_DO_Dfn(lnode, dot < 0 ? object : object.Left(dot)).IsEmpty()) return false;
    Struct_DAs_ofDO das;
    if (dot < 0 || !AttributesOfDo(object.Left(dot), das)) return true;
    const CString below = object.Mid(dot + 1) + ".";
    for (const Struct_DAItem& item : das.vDAs)
        if (CString(kiln::core::WithoutConstraints(item.sPath.str()).c_str()).Left(below.GetLength()) == below)
            return true;
    return false;
}

// A member, an input or a mapping item keeps the DO and DA its node's type
// holds: a DA the DO `doName` lacks is cleared, and with `doToo` a DO the
// type lacks with its DA. What is cleared is said.
void FieldChange::ClearWhatTheNodeLacks(const CString& doName, bool doToo) {
    const CString daName = Get(m_rsc, "sec:DARef.daName");
    CString why, cleared;
    if (doToo && !doName.IsEmpty() && !NodeHoldsDo(doName)) {
        why = kiln::views::NodeTypeLacksText(m_app, m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:DARef.LNode"), doName);
        cleared = "DO: " + doName + (daName.IsEmpty() ? CString() : "和DA: " + daName);
        Put(m_rsc, "sec:DARef.doName", "");
    } else if (!DoHoldsDaName(doName, daName)) {
        why = kiln::views::DoTypeLacksText(doName, daName);
        cleared = "DA: " + daName;
    } else {
        return;
    }
    Put(m_rsc, "sec:DARef.daName", "");
    Refresh(0);
    Notice(why + "，已清除" + cleared + "！");
}

// A reference moved to another node: what named the old node names the new
// one, and the DO and DA the new node's type lacks are cleared.
void FieldChange::FollowNode() {
    const URI_Ref node = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:DARef.LNode");
    for (const NodeNamingField& f : kNodeNamingFields)
        if (Is(f.cls)) Put(m_rsc, f.role, NodePartText(node, f.part));
    ClearWhatTheNodeLacks(Get(m_rsc, "sec:DARef.doName"), true);
    // A mapping item's time stamp is held as the whole reference of its DO's "t".
    if (Is("sec:MapItem") && !Get(m_rsc, "sec:MapItem.daName_t").IsEmpty()) {
        const CString doName = Get(m_rsc, "sec:DARef.doName");
        Put(m_rsc, "sec:MapItem.daName_t",
            doName.IsEmpty() ? CString() : kiln::core::NodeReference(m_app, node) + "." + doName + ".t");
    }
}

// What names the node in SCL, as the exports write it: an LLN0 has neither
// prefix nor instance.
CString FieldChange::NodePartText(const URI_Ref& node, NodePart part) {
    const CString lnClass = kiln::editing::LnClassOfNode(m_app, node);
    switch (part) {
        case NodePart::Ied:
            return m_app.DocMtd_getFirstValue_ofAsso(node, "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED",
                                                     kRoleName);
        case NodePart::Device: return m_app.DocMtd_getFirstValue_ofAsso(node, "sec:LNode.LDevice", kRoleName);
        case NodePart::Class: return lnClass;
        case NodePart::Prefix: return lnClass == "LLN0" ? CString() : Get(node, "sec:LNode.prefix");
        case NodePart::Instance: return lnClass == "LLN0" ? CString() : Get(node, "sec:LNode.lnInst");
    }
    return CString();
}

// The attributes of an access point, its server and authentication are
// written once per point: every device of the point takes the new value.
void FieldChange::SharedByAccessPoint() {
    const auto& roles = kiln::core::kAccessPointAttrRoles;
    if (std::none_of(std::begin(roles), std::end(roles), [&](const auto& r) { return m_field == r.role; })) return;
    std::vector<URI_Ref> devices;
    URI_Ref last;
    const URI_Ref ied = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:LDevice.Server/sec:Server.IED");
    m_app.DocMtd_get_descendent_BUris(ied, "sec:IED.Servers/sec:Server.LDevices", devices, last, kRoleOrd,
                                      SortPolicy_ByOrd);
    // A device without a point's name stands under the first point named.
    CString first;
    for (const URI_Ref& ld : devices)
        if (first.IsEmpty()) first = Get(ld, "sec:LDevice.apName");
    auto point = [&](const URI_Ref& ld) {
        const CString name = Get(ld, "sec:LDevice.apName");
        return name.IsEmpty() ? first : name;
    };
    const CString mine = point(m_rsc);
    for (const URI_Ref& ld : devices)
        if (ld != m_rsc && point(ld) == mine) Put(ld, m_field, m_new);
}

// A report block's general interrogation is also held by its trigger
// options: turning it off takes it out of them. A block with report
// clients keeps its RptEnabled, which holds them; a block without clients
// turned off loses the max and desc of its RptEnabled, and is told so (a
// file without RptEnabled is read without them).
bool FieldChange::ReportBlockFlag() {
    if (m_field == "sec:RCB.rptEna") {
        if (kiln::core::WritesRptEnabled(m_new.str())) return true;
        std::vector<URI_Ref> clients;
        m_app.DocMtd_get_Association_BUris(m_rsc, "sec:RCB.ClientLNs", clients, kRoleOrd, SortPolicy_ByOrd);
        if (!clients.empty()) {
            Notice("报告控制块有" + CString(std::to_string(clients.size())) + "个客户端LN，RptEnabled不能为否，不能修改！");
            return false;
        }
        CString cleared;
        for (const kiln::core::SclAttrRole& r : kiln::core::kRptEnabledAttrRoles)
            if (const CString held = Get(m_rsc, r.role); !held.IsEmpty()) {
                cleared += (cleared.IsEmpty() ? "" : "、") + CString(r.attribute) + ": " + held;
                Clear(m_rsc, r.role);
            }
        if (!cleared.IsEmpty()) {
            Refresh(0);
            Notice(CString(kRptEnabledOffText) + "，已清除" + cleared + "！");
        }
        return true;
    }
    // Off is written as the options without GI, none of them included (a
    // block without options would be written without TrgOps: gi on).
    if (m_new == "false") {
        CString options = StringAfter(Get(m_rsc, "sec:RCB.trgOp"), "#", ".");
        options.Replace("GI", "");
        Put(m_rsc, "sec:RCB.trgOp", CString(kiln::cim::kModelNamespace) + "#TrgOpControlTypeEnum." + options);
    }
    return true;
}

// The max and desc of a block's RptEnabled are taken only while the block
// writes one (clearing them always).
bool FieldChange::RptEnabledPart() {
    const bool writes = kiln::core::WritesRptEnabled(Get(m_rsc, "sec:RCB.rptEna").str());
    for (const kiln::core::SclAttrRole& r : kiln::core::kRptEnabledAttrRoles)
        if (m_field == r.role && !m_new.IsEmpty() && !writes) {
            Notice(CString(kRptEnabledOffText) + "，不能修改！");
            return false;
        }
    return true;
}

bool FieldChange::Name() {
    const CString breach = kiln::core::NameBreach(m_app, m_rsc, m_new);
    if (!breach.IsEmpty()) {
        Notice(breach);
        return false;
    }
    // An enumeration value without a text of its own stands by its name.
    if (Is("sec:EnumVal") && Get(m_rsc, "sec:EnumVal.val").IsEmpty())
        kiln::editing::CarryEnumValue(m_app, m_rsc, Get(m_rsc, kRoleName), m_new);
    if (Is("sec:InfoGroup")) {
        const URI_Ref itb = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:InfoGroup.ITB");
        std::vector<URI_Ref> groups, items;
        m_app.DocMtd_get_Association_BUris(itb, "sec:ITB.InfoGroups", groups, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& g : groups)
            if (Get(g, kRoleName) == m_new && m_new != m_old) {
                Notice("指定名称重复！");
                return false;
            }
        m_app.DocMtd_get_Association_BUris(itb, "sec:ITB.InfoItems", items, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& item : items)
            if (kiln::core::InInfoGroup(Get(item, "sec:InfoItem.infoGroup"), m_old)) Put(item, "sec:InfoItem.infoGroup", m_new);
        Refresh(2);
        m_app.Mtd_AllViews_Refresh(nullptr, &m_rsc, ViewClass_Tree);
        return true;
    }
    // What names the member by its name follows it, as what names a device
    // or a node by its link does; a text that may not change keeps the name.
    if (Is("sec:DO") || Is("sec:SDO") || Is("sec:DA") || Is("sec:BDA")) {
        const auto edits = kiln::core::MemberRenameEdits(m_app, m_rsc, Get(m_rsc, kRoleName), m_new);
        for (const kiln::core::CTextEdit& e : edits)
            if (!kiln::views::DomainEditable(m_app, e.rsc)) {
                Notice("当前域不可编辑！-W0052");
                return false;
            }
        kiln::core::ApplyTextEdits(m_app, edits);
    }
    for (const char* cls : {"sec:DO", "sec:DA", "sec:BDA", "sec:DOI", "sec:DAI", "sec:InfoItem", "sec:MapItem"})
        if (Is(cls)) {
            Refresh(4);
            return true;
        }
    bool typesRenamed = false;
    if (m_app.Rsc_Rename(m_rsc, m_new, &typesRenamed)) Refresh(typesRenamed ? 3 : 2);
    return true;
}

}  // namespace

bool CKiln_Main::HtmlMsg_OnFieldChanged(CBase_Cmd*, URI_Ref rsc, CString field, CString oldValue, CString& newValue,
                                        CString* pDisplay, int* pRefresh) {
    return FieldChange(*this, rsc, field, oldValue, newValue, pDisplay, pRefresh).Run();
}
