#include "core/itb_rules.h"

#include <string>

namespace kiln::core {

bool InInfoGroup(const CString& itemGroup, const CString& groupName) {
    return !groupName.IsEmpty() && itemGroup == groupName;
}

CString ItbRowLabel(const CString& key, size_t index) {
    return key.IsEmpty() ? CString(("第" + std::to_string(index + 1) + "条").c_str()) : key;
}

CString CItbTableRules::Group(const CString& name, bool& kept) {
    kept = name.IsEmpty() || m_groups.insert(name).second;
    return !kept ? "名称重复，未导入" : name.IsEmpty() ? "名称为空" : "";
}

CString CItbTableRules::ItemName(const CString& name) {
    CString bare = name;
    return bare.Trim().IsEmpty() ? "名称为空" : "";
}

bool CItbTableRules::Id(const CString& id) {
    m_withoutId = m_withoutId || id.IsEmpty();
    return id.IsEmpty() || m_ids.insert(id).second;
}

CString CItbTableRules::Address(const int (&numbers)[6], const CString& id, size_t index) {
    if (numbers[1] < 0 || numbers[2] < 0) return CString();
    uint64_t address = 0;
    for (int f = 0; f < 5; ++f) address = address << 9 | static_cast<uint64_t>(numbers[f] + 1);
    const auto [first, isNew] = m_addresses.try_emplace(address, Row{id, index});
    if (isNew) return CString();
    return "与InfoItem:" + ItbRowLabel(first->second.id, first->second.index) +
           "的103地址（typ、fun、inf、grp、itm）相同";
}

}  // namespace kiln::core
