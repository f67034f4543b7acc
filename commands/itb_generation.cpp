// Model generation from the information table: a new LN type of a fixed
// standard class with the four common data objects and one data object per
// chosen information item, an LN of it in the logical device, and the
// mapping of the items onto it; or only the item data objects, added to the
// type of an existing LN. Every choice (the rows, the types) is made before
// the first object, the M2I included, is made, and the M2I's lock is tested
// before that too, so that a Cancel or a lock leaves the model as it was.
// Only the rows chosen are mapped, whatever their ids. An item whose name
// is no valid DO name, or one that a DO of the type already has, gets no DO
// and no mapping and is named in a message.
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "commands/command_frame.h"
#include "commands/info_item_grid_dlg.h"
#include "core/free_names.h"
#include "core/scl_names.h"
#include "platform/framework/cim_schema.h"

namespace kiln::commands {
namespace {

// One command of the generation group.
struct CGroupRow {
    const char* command;
    const char* lnClass;
    const char* itemType;  // the DOType name of the item data objects
    const char* suffix;    // after the ICD's name: the new type's name
    const char* word;      // the description of the new type and LN
    const char* use;       // the LN purpose written, or null
    const char* prompt;    // the choice of the item type when it is missing
};

constexpr CGroupRow kGroupRows[] = {
    {"ICD:Create LNodeType DOs LNode M2I(RASG ASG)", "RASG", "zel_ASG", "_RASG", "模拟量", nullptr,
     "选择RASG其它DO使用的DOType:"},
    {"ICD:Create LNodeType DOs LNode M2I(RSPG SPG)", "RSPG", "zel_SPG", "_RSPG", "开关量", nullptr,
     "选择RSPG其它DO使用的DOType:"},
    {"ICD:Create LNodeType DOs LNode M2I(GGIO SPS)", "GGIO", "zel_SPS", "_GGIO", "告警信息", "Alarm",
     "选择GGIO其它DO使用的DOType:"},
    {"ICD:Create LNodeType DOs LNode M2I(GGIO DPS) common", "GGIO", "zel_DPS", "_GGIO", "一般信息", "Warning",
     "选择GGIO其它DO使用的DOType:"},
    {"ICD:Create LNodeType DOs LNode M2I(MMXN MV)", "MMXN", "zel_MV", "_MMXN", "量测量", nullptr,
     "选择MMXN其它DO使用的DOType:"},
    {"ICD:Create LNodeType DOs LNode M2I(RING ING)", "RING", "zel_ING", "_RING", "整型", nullptr,
     "选择RING其它DO使用的DOType:"},
};

// The item type of an existing LN, by its LN class.
struct CSingleRow {
    const char* lnClass;
    const char* itemType;
    const char* prompt;
};

constexpr CSingleRow kSingleRows[] = {
    {"RASG", "zel_ASG", "选择RASG其它DO使用的DOType:"}, {"RSPG", "zel_SPG", "选择RSPG使用的DOType:"},
    {"GGIO", "zel_SPS", "选择GGIO其它DO使用的DOType:"}, {"RING", "zel_ING", "选择RING其它DO使用的DOType:"},
    {"MMXN", "zel_MV", "选择MMXN其它DO使用的DOType:"},
};

constexpr const char* kItemTypes[] = {"zel_ASG", "zel_SPG", "zel_SPS", "zel_DPS", "zel_ING", "zel_MV"};

CString Attr(CKiln_Main& app, const URI_Ref& rsc, const char* role) {
    CString value;
    app.DocMtd_get_attribute_value(rsc, role, value);
    return value;
}

bool IsStandardPackage(CKiln_Main& app, const URI_Ref& package) {
    return Attr(app, package, "sec:TypePackage.isInstType").CompareNoCase("false") == 0;
}

// The ICD's M2I, made (with one mapping item per information item) when it
// has none, once every choice is made; then its lock. False when it cannot
// be made or changed (the creator or the lock said why).
bool EditableMapping(CKiln_Main& app, const URI_Ref& icd, const URI_Ref& itb, const char* lockNo, URI_Ref& m2i) {
    m2i = FirstOf(app, icd, "sec:ICD.M2I");
    if (m2i.IsEmpty() && (!app.NewRsc_M2I(&m2i, icd, itb, true) || m2i.IsEmpty())) return false;
    return DomainEditable(app, m2i, lockNo);
}

// One chosen row of the grid: its item and the item's name.
struct CChosenItem {
    URI_Ref item;
    CString name;
};

// The information items the user picks from the grid (items already mapped
// hidden), in the order chosen; false on Cancel and when OK comes with no
// row chosen.
bool PickItems(CKiln_Main& app, const URI_Ref& itb, std::vector<CChosenItem>& chosen) {
    CDlg_ICD_SimpleGrid grid;
    grid.m_pMain = &app;
    grid.m_uITB = itb;
    grid.m_bShowAll = false;
    if (grid.DoModal() != IDOK || grid.m_vItems.empty()) return false;
    for (size_t i = 0; i < grid.m_vItems.size(); ++i)
        chosen.push_back({grid.m_vItems[i], grid.m_saNames[static_cast<int>(i)]});
    return true;
}

// The chosen items that can become DOs of a type whose DOs are named
// `taken`: a valid SCL data name that no DO of the type and no earlier row
// has. Each other row gets a line in `refusals`.
std::vector<CChosenItem> ItemsToMake(const std::vector<CChosenItem>& chosen, const std::vector<CString>& taken,
                                     CString& refusals) {
    std::vector<CChosenItem> out;
    std::unordered_set<std::string> names;  // looked up once per row
    for (const CString& name : taken) names.insert(name.str());
    for (const CChosenItem& row : chosen) {
        CString refusal;
        if (!core::IsSclDoName(std::string_view(row.name, static_cast<size_t>(row.name.GetLength()))))
            refusal = "信息“" + row.name + "”的名称不能作为DO名称（应以大写英文字母开头，只含英文字母和数字，"
                      "不超过12个字符），未生成DO！";
        else if (names.count(row.name.str()))
            refusal = "信息“" + row.name + "”的名称与LN类型中已有的DO重名，未生成DO！";
        if (!refusal.IsEmpty()) {
            refusals += (refusals.IsEmpty() ? "" : "\n") + refusal;
            continue;
        }
        names.insert(row.name.str());
        out.push_back(row);
    }
    return out;
}

std::vector<URI_Ref> ItemsOf(const std::vector<CChosenItem>& rows) {
    std::vector<URI_Ref> out;
    for (const CChosenItem& row : rows) out.push_back(row.item);
    return out;
}

// Lets the user pick a DOType when `type` is empty; false when it stays empty.
bool ChooseWhenMissing(CKiln_Main& app, const std::vector<URI_Ref>& offered, URI_Ref& type, const char* prompt) {
    if (type.IsSet()) return true;
    app.Select_A_URI_FromSeq(offered, type, prompt);
    return type.IsSet();
}

// A data object of the LN type with name, description and type (untyped
// when there is none); an item data object is marked as an extension first.
// False when the creator refused (it showed why).
bool MakeDataObject(CKiln_Main& app, const URI_Ref& lnType, const CString& name, const CString& description,
                    const URI_Ref& doType, bool item) {
    URI_Ref dataObject;
    if (!app.NewRsc_DO(&dataObject, lnType, "") || dataObject.IsEmpty()) return false;
    if (item) app.DocMtd_Modify_attribute_value(dataObject, "sec:DO.SemanticNs", "扩展");
    app.DocMtd_Modify_attribute_value(dataObject, "cim:Naming.name", name);
    app.DocMtd_Modify_attribute_value(dataObject, "cim:Naming.description", description);
    if (doType.IsSet()) app.DocMtd_add_Association(dataObject, "sec:DO.DefinedBy_DOType", doType);
    return true;
}

void MakeItemDataObjects(CKiln_Main& app, const URI_Ref& lnType, const std::vector<CChosenItem>& rows,
                         const URI_Ref& doType) {
    for (const CChosenItem& row : rows) MakeDataObject(app, lnType, row.name, row.name, doType, true);
}

// The DOTypes the group looks up in the instance packages, and the list it
// offers when one is missing.
struct CGroupTypes {
    URI_Ref mode, health, behaviour, namePlate;
    URI_Ref items[std::size(kItemTypes)];
    std::vector<URI_Ref> offered;  // later packages' types first
};

CGroupTypes FindGroupTypes(CKiln_Main& app, const std::vector<URI_Ref>& instancePackages) {
    CGroupTypes t;
    const std::pair<const char*, URI_Ref*> roles[] = {
        {"zel_Mod_INC", &t.mode}, {"zel_Health_INS", &t.health}, {"zel_Beh_INS", &t.behaviour},
        {"zel_LPL", &t.namePlate}};
    for (const URI_Ref& package : instancePackages) {
        const std::vector<URI_Ref> types = InOrder(app, package, "sec:TypePackage.DOTypes");
        t.offered.insert(t.offered.begin(), types.begin(), types.end());
        // A named type replaces an earlier one of its name or role ...
        for (const URI_Ref& type : types) {
            const CString name = Attr(app, type, "cim:Naming.name");
            for (size_t i = 0; i < std::size(kItemTypes); ++i)
                if (name.CompareNoCase(kItemTypes[i]) == 0) t.items[i] = type;
            for (const auto& [roleName, slot] : roles)
                if (name.CompareNoCase(roleName) == 0) *slot = type;
        }
        // ... a general one only fills a role still empty.
        for (const URI_Ref& type : types) {
            const CString name = Attr(app, type, "cim:Naming.name");
            if (name.CompareNoCase("zel_INC") == 0 && t.mode.IsEmpty()) t.mode = type;
            if (name.CompareNoCase("zel_INS") == 0) {
                if (t.health.IsEmpty()) t.health = type;
                if (t.behaviour.IsEmpty()) t.behaviour = type;
            }
        }
    }
    return t;
}

URI_Ref ItemType(const CGroupTypes& t, const char* name) {
    for (size_t i = 0; i < std::size(kItemTypes); ++i)
        if (CString(kItemTypes[i]) == name) return t.items[i];
    return URI_Ref();
}

// The standard LN class of that exact name; the last one found.
URI_Ref FindLNClass(CKiln_Main& app, const std::vector<URI_Ref>& standardPackages, const char* lnClass) {
    URI_Ref found;
    for (const URI_Ref& package : standardPackages)
        for (const URI_Ref& type : InOrder(app, package, "sec:TypePackage.LNodeTypes"))
            if (Attr(app, type, "cim:Naming.name") == lnClass) found = type;
    return found;
}

const CGroupRow* FindGroupRow(const CString& command) {
    for (const CGroupRow& row : kGroupRows)
        if (command == row.command) return &row;
    return nullptr;
}

}  // namespace

Next CreateLNodeTypeDOsLNodeM2I(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const CGroupRow* row = FindGroupRow(f.command);
    if (!row) return Next::Leave;
    const URI_Ref ld = f.Current();
    const URI_Ref icd = IcdOfLDevice(app, ld);
    const URI_Ref itb = ItbOrNotice(app, icd);
    if (itb.IsEmpty()) return Next::Leave;
    const URI_Ref package = FirstOf(app, icd, "sec:ICD.TypePackage");
    const CString icdName = Attr(app, icd, "cim:Naming.name");
    std::vector<CChosenItem> chosen;
    if (!PickItems(app, itb, chosen)) return Next::Leave;
    CString refusals;
    const std::vector<CChosenItem> rows = ItemsToMake(chosen, {"Mod", "Health", "Beh", "NamPlt"}, refusals);
    if (rows.empty()) {
        Notice(refusals);
        return Next::Leave;
    }

    // Every type is found or chosen before anything is made.
    std::vector<URI_Ref> packages, standard, instance;
    app.Get_Depend_TypePackage(package, &packages, true);
    for (const URI_Ref& p : packages) (IsStandardPackage(app, p) ? standard : instance).push_back(p);
    CGroupTypes types = FindGroupTypes(app, instance);
    const URI_Ref lnClass = FindLNClass(app, standard, row->lnClass);
    if (lnClass.IsEmpty()) {
        Notice(CString("没有找到标准逻辑节点类") + row->lnClass + "！");
        return Next::Leave;
    }
    if (types.namePlate.IsEmpty()) {
        Notice("没有找到DOType zel_LPL！");
        return Next::Leave;
    }
    URI_Ref itemType = ItemType(types, row->itemType);
    if (!ChooseWhenMissing(app, types.offered, types.mode, "选择Mod使用的DOType:") ||
        !ChooseWhenMissing(app, types.offered, types.health, "选择Health使用的DOType:") ||
        !ChooseWhenMissing(app, types.offered, types.behaviour, "选择Beh使用的DOType:") ||
        !ChooseWhenMissing(app, types.offered, itemType, row->prompt))
        return Next::Leave;
    URI_Ref m2i;
    if (!EditableMapping(app, icd, itb, "W0096", m2i)) return Next::Leave;

    // The type and its LN: without them nothing can be attached or mapped.
    const CString typeName = core::FreeTypeName(app, package, "sec:LNodeType", icdName + row->suffix);
    URI_Ref lnType, lnode;
    if (!app.NewRsc_LNodeType(&lnType, package) || lnType.IsEmpty()) return Next::Leave;
    if (!app.NewRsc_LNode(&lnode, ld, lnType, true) || lnode.IsEmpty()) return Next::Leave;
    if (row->use)
        app.DocMtd_Modify_attribute_value(lnode, "sec:LNode.LNodeUse",
                                          CString(kiln::cim::kModelNamespace) + "#LNodeUseEnum." + row->use);
    app.DocMtd_Modify_attribute_value(lnode, "cim:Naming.name", typeName + "1");
    app.DocMtd_Modify_attribute_value(lnode, "cim:Naming.description", row->word);
    app.DocMtd_Modify_attribute_value(lnType, "cim:Naming.name", typeName);
    app.DocMtd_Modify_attribute_value(lnType, "cim:Naming.description", row->word);
    app.DocMtd_add_Association(lnType, "sec:LNodeType.ClassOf_LNType", lnClass);

    MakeDataObject(app, lnType, "Mod", "模式", types.mode, false);
    MakeDataObject(app, lnType, "Health", "健康", types.health, false);
    MakeDataObject(app, lnType, "Beh", "性能", types.behaviour, false);
    MakeDataObject(app, lnType, "NamPlt", "铭牌", types.namePlate, false);
    MakeItemDataObjects(app, lnType, rows, itemType);

    app.Rsc_AutoSortLNodeInst(icd);
    app.Rsc_MatchM2I_ByDoDesc(m2i, ItemsOf(rows), ld, lnode);
    if (!refusals.IsEmpty()) Notice(refusals);
    Refresh(app, 1);
    Refresh(app, 2);
    return Next::CommonEnd;
}

Next AddDOFromLNodeByITB(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref lnode = f.Current();
    const URI_Ref icd = IcdOfLNode(app, lnode);
    const URI_Ref itb = ItbOrNotice(app, icd);
    if (itb.IsEmpty()) return Next::Leave;
    std::vector<CChosenItem> chosen;
    if (!PickItems(app, itb, chosen)) return Next::Leave;

    const URI_Ref lnType = FirstOf(app, lnode, "sec:LNode.LNodeType");
    std::vector<CString> taken;
    for (const URI_Ref& dataObject : InOrder(app, lnType, "sec:LNodeType.DOs"))
        taken.push_back(Attr(app, dataObject, "cim:Naming.name"));
    CString refusals;
    const std::vector<CChosenItem> rows = ItemsToMake(chosen, taken, refusals);
    if (rows.empty()) {
        Notice(refusals);
        return Next::Leave;
    }
    const CString lnClass = Attr(app, FirstOf(app, lnType, "sec:LNodeType.ClassOf_LNType"), "cim:Naming.name");
    // Every instance package of the document, by name; a later type of a
    // name replaces an earlier one.
    std::vector<URI_Ref> packages, offered;
    app.DocMtd_get_Uris_byClassName_sortName("sec:TypePackage", packages, "", SortPolicy_ByName);
    URI_Ref itemType;
    const CSingleRow* row = nullptr;
    for (const CSingleRow& r : kSingleRows)
        if (lnClass == r.lnClass) row = &r;
    for (const URI_Ref& package : packages) {
        if (IsStandardPackage(app, package)) continue;
        for (const URI_Ref& type : InOrder(app, package, "sec:TypePackage.DOTypes")) {
            offered.push_back(type);
            if (row && Attr(app, type, "cim:Naming.name").CompareNoCase(row->itemType) == 0) itemType = type;
        }
    }
    if (row && !ChooseWhenMissing(app, offered, itemType, row->prompt)) return Next::Leave;
    URI_Ref m2i;
    if (!EditableMapping(app, icd, itb, "W0095", m2i)) return Next::Leave;

    MakeItemDataObjects(app, lnType, rows, itemType);
    app.Rsc_MatchM2I_ByDoDesc(m2i, ItemsOf(rows), FirstOf(app, lnode, "sec:LNode.LDevice"), lnode);
    if (!refusals.IsEmpty()) Notice(refusals);
    Refresh(app, 1);
    Refresh(app, 2);
    return Next::CommonEnd;
}

}  // namespace kiln::commands
