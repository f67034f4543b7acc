// The map items of one data object's group of MappingItems: for a CDC with
// key data attributes one map item per key DA, which the group's other
// attributes (units, range, step) fill; for any other CDC one map item per
// MappingItem. Every problem is an entry of the report.
#include <vector>

#include "core/map_item_target.h"
#include "import/import_util.h"
#include "import/m2i_run.h"

using kiln::core::kRoleName;

namespace {

constexpr const char* kDescRole = "cim:Naming.description";
constexpr const char* kDefaultOperator = "M2I:ExtractVal";

// What one MappingItem's attributes and its Process and Parameter children give.
struct ItemTexts {
    CString name, desc, operators, params, key, value;
};

// The attributes a DA path that is no key DA may set on the current map
// item of a key-DA group; compared without regard to case.
enum class Handler { None, Time, DU, SIUnit, Multiplier, MinVal, MaxVal, StepSize };

Handler HandlerOf(const CString& daPath) {
    static const struct {
        const char* path;
        Handler handler;
    } kHandlers[] = {{"t", Handler::Time},           {"dU", Handler::DU},          {"units.SIUnit", Handler::SIUnit},
                     {"units.multiplier", Handler::Multiplier}, {"minVal.f", Handler::MinVal}, {"minVal", Handler::MinVal},
                     {"maxVal.f", Handler::MaxVal},  {"maxVal", Handler::MaxVal},  {"stepSize.f", Handler::StepSize},
                     {"stepSize", Handler::StepSize}};
    for (const auto& h : kHandlers)
        if (daPath.CompareNoCase(h.path) == 0) return h.handler;
    return Handler::None;
}

}  // namespace

void CKiln_Import::Map_M2IGroup(M2IRun& run, const CString& key, const std::vector<M2IEntry>& entries) {
    CKiln_Main* app = run.app;
    auto found = run.dos.find(key);
    if (found == run.dos.end()) {
        // A target whose data object the paths do not give: each entry is named.
        for (const M2IEntry& e : entries) {
            CString name;
            Get_NodeText(e.node, "@name", name);
            AddM2IError(run, name, "MappingItem:" + name + "未发现toDA:" + e.toDA + "！");
        }
        return;
    }
    const URI_Ref object = found->second;
    const URI_Ref type = app->DocMtd_getFirstUri_ofAsso(
        object, object.sClass == "sec:SDO" ? "sec:SDO.DefinedBy_DOType" : "sec:DO.DefinedBy_DOType");
    const URI_Ref cdcType = type.IsSet() ? app->DocMtd_getFirstUri_ofAsso(type, "sec:DOType.ClassOf_DOType") : URI_Ref();
    const CString cdc = cdcType.IsSet() ? app->DocMtd_getValue_ofAttr(cdcType, kRoleName) : CString();
    const bool keyGroup = !cdc.IsEmpty() && m_mapKeyDAs.count(cdc) > 0;
    const int dot = run.LnKeyEnd(key);
    const CString lnPart = key.Left(dot);
    const CString doName = key.Mid(dot + 1);
    URI_Ref lnode;

    auto lookUpNode = [&](const ItemTexts& t) {
        auto it = run.lnodes.find(lnPart);
        if (it != run.lnodes.end())
            lnode = it->second;
        else
            AddM2IError(run, t.name, "MappingItem:" + t.name + "未发现LD/LNode:" + lnPart + "！");
    };
    // The texts of one MappingItem; with checkOperator a Process without
    // operator is reported, with nodeFirst the logical node is looked up
    // before the Process elements are read.
    auto read = [&](const XmlNode& node, bool checkOperator, bool nodeFirst) {
        ItemTexts t;
        Get_NodeText(node, "@name", t.name);
        if (nodeFirst) lookUpNode(t);
        bool firstParam = true;
        bool severalIds = false;
        node.ForEachChildElementIn(run.ns, {"Process"}, [&](const XmlNode& process, bool picked) {
            if (!picked) return;
            CString op;
            Get_NodeText(process, "@operator", op);
            if (t.operators.IsEmpty()) {
                t.operators = op;
                if (op.IsEmpty() && checkOperator) AddM2IError(run, t.name, "MappingItem:" + t.name + "未找到operator！");
            } else {
                t.operators += "/" + op;
            }
            process.ForEachChildElementIn(run.ns, {"Parameter", "parameter"}, [&](const XmlNode& param, bool named) {
                if (!named) return;
                CString pname, id, val;
                Get_NodeText(param, "@name", pname);
                Get_NodeText(param, "@idITB", id);
                Get_NodeText(param, "@val", val);
                if (!firstParam) t.params += "/";
                t.params += pname;
                firstParam = false;
                // An empty id adds nothing to the key.
                if (t.key.IsEmpty()) {
                    t.key = id;
                } else if (!id.IsEmpty()) {
                    t.key += "/" + id;
                    severalIds = true;
                }
                if (!t.value.IsEmpty()) t.value += "/";
                t.value += val;
            });
        });
        // Reported once with the whole key: an entry per further id would
        // repeat the growing key for every parameter.
        if (severalIds) AddM2IError(run, t.name, "MappingItem:" + t.name + "对应多个InfoItem:" + t.key + "！");
        Get_NodeText(node, "@desc", t.desc);
        return t;
    };
    auto newItem = [&](const M2IEntry& e) {
        URI_Ref item;
        if (app->NewRsc_MapItem(&item, run.m2i, URI_Ref())) {
            run.made.emplace_back(e.position, item);
        } else {
            run.refused = true;
        }
        return item;
    };
    // The InfoItem of an entry's key; a key that names none is reported.
    auto infoOf = [&](const ItemTexts& t) {
        if (t.key.IsEmpty()) return URI_Ref();
        auto info = run.items->find(t.key);
        if (info != run.items->end()) return info->second;
        AddM2IError(run, t.name, "MappingItem:" + t.name + "未找到对应InfoItem:" + t.key + "！");
        return URI_Ref();
    };
    // The reference, texts, value and InfoItem link of the map item.
    auto fill = [&](const URI_Ref& item, const ItemTexts& t, const URI_Ref& info, const M2IEntry& e,
                    bool writeDaName) {
        if (lnode.IsSet()) app->DocMtd_update_Association(item, "sec:DARef.LNode", lnode);
        app->DocMtd_Modify_attribute_value(item, kRoleName, t.name);
        app->DocMtd_Modify_attribute_value(item, kDescRole, t.desc);
        app->DocMtd_Modify_attribute_value(item, "sec:DARef.doName", doName);
        if (writeDaName) app->DocMtd_Modify_attribute_value(item, "sec:DARef.daName", e.daPath);
        if (!t.value.IsEmpty()) app->DocMtd_Modify_attribute_value(item, "sec:MapItem.valStr", t.value);
        // The operator the export writes for an item without one reads as none.
        if (!t.operators.IsEmpty() && t.operators != kDefaultOperator) app->DocMtd_Modify_attribute_value(item, "sec:MapItem.operator", t.operators);
        if (info.IsSet()) app->DocMtd_add_Association(item, "sec:MapItem.InfoItem", info);
    };

    // An entry that is reported makes and changes nothing: its texts and
    // InfoItem are read, and checked, before anything is written.
    if (!keyGroup) {
        for (const M2IEntry& e : entries) {
            const int before = m_nErrors;
            const ItemTexts t = read(e.node, false, false);
            lookUpNode(t);
            const URI_Ref info = infoOf(t);
            if (m_nErrors != before) continue;
            const URI_Ref item = newItem(e);
            if (run.refused) return;
            fill(item, t, info, e, true);
            app->Mtd_SetStatusBarText("MapItem:" + t.name + " " + t.name + " " + e.toDA + " " + t.desc);
        }
        return;
    }

    // The group's map item is made when it is first written, so a group
    // whose entries all make their own leaves none empty behind; the first
    // key DA always fills it.
    URI_Ref groupItem, current;
    auto groupItemNow = [&](const M2IEntry& e) {
        if (groupItem.IsEmpty()) groupItem = newItem(e);
        return groupItem;
    };
    // Attributes read before the group's first key DA belong on its map
    // item, also after an item that names the data object itself. Without
    // a key DA they go on the item of the data object before them; with
    // none, an attribute has no map item to hold it and is not read.
    bool hasKeyDA = false;
    for (const M2IEntry& e : entries) hasKeyDA = hasKeyDA || (!e.daPath.IsEmpty() && IsKeyDA(cdc, e.daPath));
    int keyCount = 0;
    for (const M2IEntry& e : entries) {
        const int before = m_nErrors;
        const ItemTexts t = read(e.node, true, true);
        // An attribute of a group with a key DA links no InfoItem: its key
        // is not looked up.
        const bool attribute = !e.daPath.IsEmpty() && !IsKeyDA(cdc, e.daPath);
        const URI_Ref info = attribute && hasKeyDA ? URI_Ref() : infoOf(t);
        if (m_nErrors != before) continue;
        if (e.daPath.IsEmpty()) {
            current = newItem(e);
            if (run.refused) return;
            fill(current, t, info, e, false);
            continue;
        }
        if (!attribute) {
            current = ++keyCount == 1 ? groupItemNow(e) : newItem(e);
            if (run.refused) return;
            fill(current, t, info, e, true);
        } else {
            const Handler h = HandlerOf(e.daPath);
            // A unit is stored as the code the file gives, when its
            // attribute's enumeration holds it; another code is reported.
            CString unitValue;
            if (h == Handler::SIUnit || h == Handler::Multiplier) {
                if (run.units.OfCode(*app, run.das.at(e.toDA), t.value).IsSet())
                    unitValue = kiln::core::UnitStoredValue(
                        *kiln::core::MapItemPropertyOf(h == Handler::SIUnit ? "sec:MapItem.unitSiUnit"
                                                                            : "sec:MapItem.unitMultiplier"),
                        t.value);
                else
                    AddM2IError(run, t.name, "MappingItem:" + t.name + "值为" + t.value + "，标准中无此值！");
            } else if (h == Handler::None) {
                AddM2IError(run, t.name, "MappingItem:" + t.name + "在CDC: " + cdc + " 下的DA: " + e.daPath +
                                             "中放值，超出约定范围");
            }
            if (!hasKeyDA && current.IsEmpty())
                AddM2IError(run, t.name, "MappingItem:" + t.name + "处未发现关键DA,其toDA为" + e.toDA + "，未导入！");
            if (m_nErrors != before) continue;
            const URI_Ref target = hasKeyDA && keyCount == 0 ? groupItemNow(e) : current;
            if (run.refused) return;
            switch (h) {
            case Handler::Time: app->DocMtd_Modify_attribute_value(target, "sec:MapItem.daName_t", e.toDA); break;
            case Handler::DU: app->DocMtd_Modify_attribute_value(target, "sec:MapItem.dU", t.value); break;
            case Handler::SIUnit: app->DocMtd_Modify_attribute_value(target, "sec:MapItem.unitSiUnit", unitValue); break;
            case Handler::Multiplier:
                app->DocMtd_Modify_attribute_value(target, "sec:MapItem.unitMultiplier", unitValue);
                break;
            case Handler::MinVal: app->DocMtd_Modify_attribute_value(target, "sec:MapItem.minVal", t.value); break;
            case Handler::MaxVal: app->DocMtd_Modify_attribute_value(target, "sec:MapItem.maxVal", t.value); break;
            case Handler::StepSize: app->DocMtd_Modify_attribute_value(target, "sec:MapItem.stepSize", t.value); break;
            case Handler::None: break;
            }
        }
        app->Mtd_SetStatusBarText("MapItem:" + t.name + " " + e.toDA + " " + t.desc);
    }
}
