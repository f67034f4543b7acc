#include "core/itb_rules.h"

#include <string>

namespace kiln::core {

bool InInfoGroup(const CString& itemGroup, const CString& groupName) {
    return !groupName.IsEmpty() && itemGroup == groupName;
}

CString ItbRowLabel(const CString& key, size_t index) {
    return key.IsEmpty() ? CString(("第" + std::to_string(index + 1) + "条").c_str()) : key;
}

CString Number103(const CField103& field, const CString& text) {
    if (!FitsField103(field, text.str())) return CString();
    // Digits only: the text is the number but for leading zeros.
    return text.GetLength() == 1 || text[0] != '0' ? text : CString(std::to_string(std::stoi(text.str())).c_str());
}

CString CItbTableRules::Group(const CString& name, bool& kept) {
    kept = name.IsEmpty() || m_groups.insert(name).second;
    return !kept ? "名称重复，未导入" : name.IsEmpty() ? "名称为空" : "";
}

CString CItbTableRules::ItemName(const CString& name) {
    CString bare = name;
    return bare.Trim().IsEmpty() ? "名称为空" : "";
}

bool CItbTableRules::Id(const CString& id) { return id.IsEmpty() || m_ids.insert(id).second; }

CString CItbTableRules::Address(const CString (&numbers)[6], const CString& id, size_t index) {
    if (numbers[1].IsEmpty() || numbers[2].IsEmpty()) return CString();
    std::string address;
    for (int f = 0; f < 5; ++f) (address += numbers[f].str()) += '/';
    const auto [first, isNew] = m_addresses.try_emplace(std::move(address), Row{id, index});
    return isNew ? CString()
                 : "与InfoItem:" + ItbRowLabel(first->second.id, first->second.index) +
                       "的103地址（typ、fun、inf、grp、itm）相同";
}

}  // namespace kiln::core
