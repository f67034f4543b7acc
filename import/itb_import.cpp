// The ITB reader: the information groups and items of an ITB file, with
// their IEC 60870-5-103 addresses, as a new ITB of an ICD. Elements are read
// by their namespace, whatever prefix the file gives it: the table's in the
// namespace of the root ITB, the address (Config) in the 103 namespace. What
// the model cannot hold (a data type outside its list, a 103 number outside
// one octet) is left out; that, each element and address attribute that is
// not read, what an item lacks (its id, its name, a group to go by) and
// what 103 or the table refuses (an address given twice, an empty name, a
// group the file lacks or names twice) is named in the report.
#include <algorithm>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/address_103.h"
#include "core/itb_rules.h"
#include "import/import_util.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::import::NotRead;
using kiln::import::OtherNamespace;

namespace {

constexpr const char* kDescRole = "cim:Naming.description";

// The namespaces of the 103 address: the one kiln writes (and the same path
// under another host), and the one of the "sQV103" form.
enum class Ns103 { None, S103, SQV103, Other };

Ns103 KindOf(const CString& uri) {
    if (uri.IsEmpty()) return Ns103::None;
    const CString path = kiln::import::NamespacePath(uri);
    if (path == "/Zel/2004/ITB/s103") return Ns103::S103;
    if (path == "/Zel/2004/ITB/sQV103") return Ns103::SQV103;
    return Ns103::Other;
}

// An attribute of the Config element by its namespace and local name.
struct ConfigAttr {
    Ns103 ns;
    CString local;
    CString value;
    CString name;  // as written
};

using Form = std::pair<Ns103, const char*>;
constexpr Ns103 kNone = Ns103::None, kS = Ns103::S103, kQ = Ns103::SQV103;
// The attributes each number of the address is read from, in the order of
// kFields103, each tried in turn while the value is still empty.
const std::initializer_list<Form> kForms[] = {{{kNone, "typ"}, {kQ, "cpu"}, {kS, "cpu"}, {kS, "typ"}},
                                              {{kNone, "fun"}, {kQ, "fun"}, {kS, "fun"}},
                                              {{kNone, "inf"}, {kQ, "inf"}, {kS, "inf"}},
                                              {{kNone, "grp"}, {kQ, "grp"}, {kS, "grp"}},
                                              {{kNone, "itm"}, {kQ, "itm"}, {kS, "itm"}},
                                              {{kNone, "acc"}, {kQ, "acc"}, {kS, "acc"}}};

bool IsForm(const ConfigAttr& a, const Form& form) { return a.ns == form.first && a.local == form.second; }

// The first attribute of the forms, in order, with a value; null when none gives one.
const ConfigAttr* FirstValue(const std::vector<ConfigAttr>& attrs, std::initializer_list<Form> forms) {
    for (const Form& form : forms)
        for (const ConfigAttr& a : attrs)
            if (IsForm(a, form) && !a.value.IsEmpty()) return &a;
    return nullptr;
}

// Deletes what a refused run made, the latest first.
void TakeBack(CKiln_Main* app, const std::vector<URI_Ref>& made) {
    for (auto it = made.rbegin(); it != made.rend(); ++it) app->DocMtd_delete_a_Rsc(*it);
}

}  // namespace

bool CKiln_Import::Import_ITB(CKiln_Main* app, CBase_XML* source, URI_Ref icd, const CBase_XML* report) {
    m_nErrors = 0;
    if (report) Bind_Report(app, source, *report);
    m_pMain = app;
    m_pSourceXml = source;

    std::vector<URI_Ref> icds;
    app->DocMtd_get_Uris_byClassName("sec:ICD", icds, "", SortPolicy_ByName);
    for (const URI_Ref& i : icds)
        m_mapICDs.emplace(app->DocMtd_getValue_ofAttr(i, kRoleName) + app->DocMtd_getValue_ofAttr(i, "sec:ICD.icdVersion"),
                          i);

    const XmlNode root = source ? source->GetDocumentElement() : XmlNode();
    // Another kind of file holds no table.
    m_strRefusal = kiln::import::WrongRoot(root, "ITB", "/Zel/2004/ITB");
    if (!m_strRefusal.IsEmpty()) return false;
    // The table's elements are those of the root's namespace.
    const CString itbNs = root.NamespaceUri();
    std::vector<XmlNode> itemNodes, groupNodes;
    std::vector<CString> unread;
    for (const XmlNode& child : root.ChildElements()) {
        const CString local = child.LocalName();
        if (CString why = kiln::import::Unread(child, itbNs, {"Header", "InfoItem", "InfoGroup"}); !why.IsEmpty())
            unread.push_back(why);
        else if (local == "InfoItem") itemNodes.push_back(child);
        else if (local == "InfoGroup") groupNodes.push_back(child);
    }
    const bool noGroups = groupNodes.empty();

    CString icdVersion;
    Get_NodeText(root, "@icdVersion", icdVersion);
    if (icd.IsEmpty()) {
        CString iedModel;
        if (!Get_NodeText(root, "@iedModel", iedModel)) {
            _AfxMessageBox("找不到对应的ICD！", MB_OK, "", nullptr);
            return false;
        }
        auto it = m_mapICDs.find(iedModel + icdVersion);
        if (it == m_mapICDs.end()) {
            _AfxMessageBox("通过iedModel找不到对应的ICD！", MB_OK, "", nullptr);
            return false;
        }
        icd = it->second;
    }

    // Ids are checked before anything is made.
    kiln::core::CItbTableRules rules;
    std::vector<CString> ids(itemNodes.size());
    {
        for (size_t i = 0; i < itemNodes.size(); ++i) {
            Get_NodeText(itemNodes[i], "@id", ids[i]);
            if (!rules.Id(ids[i])) {
                _AfxMessageBox("infoitem的id:" + ids[i] + "重复！", MB_OK, "", nullptr);
                return false;
            }
        }
    }

    std::vector<URI_Ref> made;
    URI_Ref itb;
    if (!app->NewRsc_ITB(&itb, icd)) return false;
    made.push_back(itb);
    for (const CString& error : unread) AddOtherError("错误：ITB文件:  ITB", error);

    // A new group of that name; none, with what the run made taken back,
    // when the creator refuses.
    auto newGroup = [&](const CString& name) {
        URI_Ref group;
        if (!app->NewRsc_InfoGroup(&group, itb, "")) {
            TakeBack(app, made);
            return URI_Ref();
        }
        made.push_back(group);
        app->DocMtd_Modify_attribute_value(group, kRoleName, name);
        return group;
    };

    // A group keeps the name the file gives it, none when it gives none; a
    // name met before is left out, as the table holds each name once.
    for (size_t g = 0; g < groupNodes.size(); ++g) {
        const CString groupName = kiln::import::AttrText(groupNodes[g], "name");
        const CString label = kiln::core::ItbRowLabel(groupName, g);
        bool kept = true;
        if (const CString breach = rules.Group(groupName, kept); !breach.IsEmpty())
            AddOtherError("错误：ITB文件:  InfoGroup:" + label, breach);
        if (!kept) continue;
        const URI_Ref group = newGroup(groupName);
        if (group.IsEmpty()) return false;
        CString text;
        if (Get_NodeText(groupNodes[g], "@desc", text)) app->DocMtd_Modify_attribute_value(group, kDescRole, text);
        // A group holds no elements: an item written inside one is no item of the table.
        for (const XmlNode& element : groupNodes[g].ChildElements())
            AddOtherError("错误：ITB文件:  InfoGroup:" + label, NotRead(element));
    }

    std::set<CString> groupKeys;
    std::set<CString> dataTypes;
    CEnumClassDfn dataTypeDfn;
    CString dataTypeList;
    if (app->DocMtd_Get_EnumClassDfn("ITBDataTypeEnum", dataTypeDfn))
        for (const Struct_EnumValDfn& v : dataTypeDfn.vValues) {
            dataTypes.insert(v.sText2);
            dataTypeList += (dataTypeList.IsEmpty() ? "" : "、") + v.sText2;
        }
    std::vector<std::pair<CString, CString>> groupsNamed;  // (item, group) of a file without groups
    for (size_t i = 0; i < itemNodes.size(); ++i) {
        const XmlNode& node = itemNodes[i];
        URI_Ref item;
        if (!app->NewRsc_InfoItem(&item, itb)) {
            TakeBack(app, made);
            return false;
        }
        made.push_back(item);
        CString text, name, desc;
        const CString label = kiln::core::ItbRowLabel(ids[i], i);
        auto finding = [&](const CString& error) { AddOtherError("错误：ITB文件:  InfoItem:" + label, error); };
        // The item takes the id and name the file gives, none when it gives
        // none (not the creator's "Item" and number), and either missing is
        // named. An empty id is kept: it is what kiln writes for an item
        // without one, which the mapping knows by its place.
        if (Get_NodeText(node, "@id", text))
            app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.id", text);
        else
            finding("没有id属性");
        const bool hasName = Get_NodeText(node, "@name", name);
        app->DocMtd_Modify_attribute_value(item, kRoleName, name);
        if (Get_NodeText(node, "@desc", desc)) app->DocMtd_Modify_attribute_value(item, kDescRole, desc);
        app->Mtd_SetStatusBarText(ids[i] + " " + name + " " + desc);
        if (!hasName)
            finding("没有name属性");
        else if (const CString breach = kiln::core::CItbTableRules::ItemName(name); !breach.IsEmpty())
            finding(breach);
        // An empty data type names none.
        if (Get_NodeText(node, "@dataType", text) && !text.IsEmpty()) {
            if (dataTypes.count(text))
                app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.dataType",
                                                   kiln::import::ModelEnum("ITBDataTypeEnum", text));
            else
                finding("数据类型" + text + "不是可选的类型（" + dataTypeList + "）之一，未导入");
        }
        app->DocMtd_Modify_attribute_value(item, kRoleOrd, kiln::import::Dec(static_cast<long long>(i) + 1));

        // The Config element: the first of the forms, in order; every other
        // child element is named.
        XmlNode config;
        const std::vector<XmlNode> children = kiln::import::Children(node, "*");
        for (const auto& [ns, local] : {std::pair{Ns103::S103, "Config"}, std::pair{Ns103::SQV103, "Config"},
                                        std::pair{Ns103::S103, "config"}}) {
            for (const XmlNode& child : children)
                if (child.LocalName() == local && KindOf(child.NamespaceUri()) == ns) {
                    config = child;
                    break;
                }
            if (!config.IsNull()) break;
        }
        for (const XmlNode& child : children) {
            if (child == config) continue;
            const Ns103 ns = KindOf(child.NamespaceUri());
            const bool second = !config.IsNull() && child.LocalName().CompareNoCase("Config") == 0;
            if (ns == Ns103::S103 || ns == Ns103::SQV103)
                finding(NotRead(child, second ? "（只导入第一个Config）" : ""));
            else
                finding(NotRead(child, OtherNamespace(child)));
        }
        // The address holds no elements: one written inside it is not read.
        for (const XmlNode& child : config.ChildElements()) finding(NotRead(child));
        std::vector<ConfigAttr> attrs;
        for (const XmlNode& a : config.Attributes())
            attrs.push_back(ConfigAttr{KindOf(a.NamespaceUri()), a.LocalName(), a.GetText(), a.NodeName()});
        const ConfigAttr* taken[6];
        CString read[6];
        for (int f = 0; f < 6; ++f) {
            taken[f] = FirstValue(attrs, kForms[f]);
            if (taken[f]) read[f] = taken[f]->value;
        }
        // Every other attribute with a value is named: one the address has
        // no number for, and a further form of a number with another value.
        for (const ConfigAttr& a : attrs) {
            if (kiln::import::IsNamespaceDeclaration(a.name) || a.value.IsEmpty()) continue;
            int f = 0;
            const auto isA = [&](const Form& form) { return IsForm(a, form); };
            while (f < 6 && std::none_of(kForms[f].begin(), kForms[f].end(), isA)) ++f;
            if (f == 6)
                finding("属性" + a.name + "未导入");
            else if (&a != taken[f] && a.value != read[f])
                finding("属性" + a.name + "未导入（" + kiln::core::kFields103[f].name + "取属性" + taken[f]->name + "的值" +
                        read[f] + "）");
        }
        CString kept[6];
        for (int f = 0; f < 6; ++f) {
            const kiln::core::CField103& field = kiln::core::kFields103[f];
            if (kiln::core::FitsField103(field, read[f].str()) || read[f].IsEmpty())
                kept[f] = read[f];
            else
                finding(CString(field.name) + "的值" + read[f] + "不是" + kiln::import::Dec(field.least) +
                        "到255之间的整数，未导入");
            app->DocMtd_Modify_attribute_value(item, field.role, kept[f]);
        }
        // Addresses and groups go by the numbers, "01" being 1.
        int number[6];
        for (int f = 0; f < 6; ++f) number[f] = kiln::core::Number103(kiln::core::kFields103[f], kept[f].str());
        const CString typ = number[0] < 0 ? CString() : kiln::import::Dec(number[0]);
        const CString grp = number[3] < 0 ? CString() : kiln::import::Dec(number[3]);
        if (const CString breach = rules.Address(number, ids[i], i); !breach.IsEmpty()) finding(breach);
        const bool hasGroup = Get_NodeText(node, "@infoGroup", text);
        if (hasGroup) {
            app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.infoGroup", text);
            // A group the file lacks is named; without groups in the file,
            // once the groups made by address are known.
            if (!text.IsEmpty() && noGroups)
                groupsNamed.emplace_back(label, text);
            else if (!text.IsEmpty() && !rules.HasGroup(text))
                finding("信息组" + text + "不存在");
        }
        // Without groups in the file, an item that names none of its own
        // (kiln writes the attribute, empty or not, on every item) is
        // grouped by its address: by its type and group number, both given.
        if (!noGroups || hasGroup || (typ.IsEmpty() && grp.IsEmpty())) continue;
        if (typ.IsEmpty() || grp.IsEmpty()) {
            finding(CString("没有infoGroup，103地址中没有") + (typ.IsEmpty() ? "typ" : "grp") + "，未分组");
            continue;
        }
        app->DocMtd_Modify_attribute_value(item, "sec:InfoItem.infoGroup", typ + "/" + grp);
        groupKeys.insert(typ + "/" + grp);
    }

    // Groups made by address, in the order of their names.
    for (const CString& key : groupKeys)
        if (newGroup(key).IsEmpty()) return false;
    for (const auto& [label, group] : groupsNamed)
        if (!groupKeys.count(group)) AddOtherError("错误：ITB文件:  InfoItem:" + label, "信息组" + group + "不存在");
    app->Mtd_SetStatusBarText("导入ITB结束");
    if (report && m_nErrors > 0) Finish_Report(app, "ITB");
    return true;
}
